// The control files of the 51 linkers (the banked NB51, the extended NX51
// with its NP51 variant) and of the 251 linker N251.
//
// Groups of controls end with "\r\n". NX51 and N251 can generate memory
// classes from the target's memory description (NX51FL bit 2); the
// generated part is marked by g_nPreviewFrom / g_nPreviewTo.
#pragma once

#include <string>
#include <string_view>

namespace pm2 {

class CommandContext;
struct OptionBlock;

// Mode 2 appends to the text already in the buffer; other modes start from
// an empty buffer. None of them changes the block. The builders do not set
// up the node context: NX51 hands over to N251 when the last
// SetCommandContext was for a 251 target, or when the block's T51FL has
// neither the extended compiler (0x20000) nor the extended linker (0x8000).
void MakeNB51LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode);
void MakeNX51LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode);
void MakeN251LinkerCommand(CommandContext& ctx, const OptionBlock& block, int mode);

// The code and xdata ranges of a 51 block as "0X%04X-0X%04X" texts joined
// by ',' (ordered, touching and overlapping ranges joined).
void FormatMergedRanges(std::string& codeOut, std::string& xdataOut, const OptionBlock& block);

// keyword, then ("listFolder name.extension") when either folder is not ".\".
std::string FormatListFileControl(std::string_view keyword, std::string_view name,
                                  const char* outFolder, const char* listFolder,
                                  std::string_view extension);

}  // namespace pm2
