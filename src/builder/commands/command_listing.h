// The common tail of the compiler and assembler lines of the 51, 251 and
// 166 families: the listing controls (read from the target level) and the
// SRC or OBJECT control of the output.
//
// The base name is the file's name for a file node and "*" for group and
// target nodes (a preview shows PRINT(.\lst\*.lst)). The listing folder
// "differs" when the node is a file whose path NeedsOwnOutputName or the
// listing folder is not ".\"; only then is a folder written.
#pragma once

namespace pm2 {

class CommandContext;

// Bits of the listing flags word (target level).
enum ListingBit : unsigned {
  kLstC = 1u << 0,            // C listing
  kLstAsm = 1u << 1,          // assembler listing
  kLstLinker = 1u << 2,       // linker listing
  kLstPreprint = 1u << 3,     // C preprocessor listing
  kLstAsmCond = 1u << 4,      // assembler conditional lines
  kLstAsmSymbols = 1u << 5,
  kLstAsmXref = 1u << 6,
  kLstCCond = 1u << 7,        // C conditional lines
  kLstCCode = 1u << 8,
  kLstCInclude = 1u << 9,
  kLstCSymbols = 1u << 10,
  kLstMap = 1u << 11,
  kLstComments = 1u << 12,
  kLstGenerated = 1u << 13,
  kLstLibraries = 1u << 14,
  kLstLines = 1u << 15,
  kLstLocals = 1u << 16,
  kLstPublics = 1u << 17,
  kLstXref = 1u << 18,
  kLstLinkCode = 1u << 19,    // NX51 code listing
};

inline constexpr int kDefaultPageWidth = 120;
inline constexpr int kDefaultPageLength = 65;

// NOPRINT or PRINT(...), PAGEWIDTH, PAGELENGTH, TABS, PREPRINT; then SRC or
// OBJECT by the node's GENASM field.
void AppendCompilerTail(CommandContext& ctx);
// NOPRINT or PRINT(...), NOCOND, NOSYMBOLS, XREF, PAGEWIDTH, PAGELENGTH;
// then OBJECT.
void AppendAssemblerTail(CommandContext& ctx);
// "CODE", "LISTINCLUDE", "SYMBOLS" by the C listing bits 8 to 10, then
// "NOCOND" when bit 7 is clear.
void AppendCListingContents(CommandContext& ctx);

}  // namespace pm2
