// The control strings of the ARM-GNU compiler, assembler and linker.
//
// The compiler and assembler lines go into a command input file ahead of
// the source's path; the linker line is the whole command input file
// ("lnp") of the link. Preview lines (mode 0) break the linker's option
// groups with "\r\n" and show "*.o" for the objects; the build's line
// (mode 2) has no breaks and lists the objects of the build's items.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pm2 {

class CommandContext;
struct NodeRec;
struct OptionBlock;
struct TargetRec;

// Fields of the GNU compiler flags word (first word of ACCFLG).
enum GnuCcField : int {
  kGnuCcApcsFrame = 0,   // 2 bits
  kGnuCcStackCheck = 2,  // 2 bits
  kGnuCcReentrant = 4,   // 2 bits
  kGnuCcInterwork = 6,   // 2 bits
  kGnuCcField8 = 8,      // 2 bits, resolved only
  kGnuCcAnsi = 10,       // 2 bits
  kGnuCcOptimize = 12,   // 8 bits: 0 inherit, 1..6
  kGnuCcWarnings = 20,   // 8 bits: 0 inherit, 1..3
};

// Bits of the GNU/ADS target flags word (GLFLAGS).
inline constexpr uint32_t kGlListingOn = 0x01;   // listing selection bit 0
inline constexpr uint32_t kGlMapFile = 0x100;
// Bits of the GNU linker flag byte (ALDFLAG[0]).
inline constexpr uint8_t kGnuLdGcSections = 0x02;
inline constexpr uint8_t kGnuLdNoStartFiles = 0x04;
inline constexpr uint8_t kGnuLdNoDefaultLibs = 0x08;

// The compiler line of a node; with withObjectName (file nodes) the object
// folder comes from the file's path and g_szObjFileName is the object the
// line's "-o" names.
void MakeGnuCcCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName);
void MakeGnuAsCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName);

// The linker line of the options (copied into the target level). Mode 0 is
// the preview; mode 2 the build, which has emptied the buffer itself and
// passes the object files of its items (the link item excluded).
void MakeGnuLdCommand(CommandContext& ctx, const OptionBlock& options, int mode,
                      std::span<const std::string> objects = {});

// "-Wa,-a" / "-a" listing letters of the GNU listing selection (GLFLAGS
// bits 0 to 7).
std::string GnuListingLetters(uint32_t selection);

// True when the folder text stands for the project folder (".\", "./" or
// empty).
bool IsProjectFolder(std::string_view folder);

}  // namespace pm2
