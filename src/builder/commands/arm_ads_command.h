// The control strings of the ARM ADS/RealView compiler, assembler and
// linker. The linker line is traced ("### " lines) into the trace file of
// the ADS link preparation when one is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pm2 {

class CommandContext;
class TraceFile;
struct NodeRec;
struct OptionBlock;
struct TargetRec;

// Fields of the ADS compiler flags word (first word of ADSCCFLG).
enum AdsCcField : int {
  kAdsCcInterwork = 0,   // 2 bits
  kAdsCcOptimize = 2,    // 7 bits: 0 inherit, 1..3
  kAdsCcOtime = 9,       // 2 bits
  kAdsCcSplitLdm = 11,   // 2 bits
  kAdsCcZo = 13,
  kAdsCcStrict = 15,
  kAdsCcFy = 17,
  kAdsCcZc = 19,
  kAdsCcRopi = 21,
  kAdsCcRwpi = 23,
  kAdsCcWarnings = 25,   // 3 bits: 0 inherit, 1..2
  kAdsCcThumb = 28,      // 2 bits: the Thumb compiler
};
// Fields of the ADS assembler flags word (first word of ADSASFLG), 2 bits each.
enum AdsAsField : int {
  kAdsAsInterwork = 0, kAdsAsRopi = 2, kAdsAsRwpi = 4, kAdsAs16 = 6,
  kAdsAsSplitLdm = 8, kAdsAsSwst = 10, kAdsAsNoWarn = 12,
};
// Bits of the ADS listing flags word (first word of ADSFLGA).
inline constexpr uint32_t kAdsLstOn = 0x01;
inline constexpr uint32_t kAdsLstXref = 0x02;
inline constexpr uint32_t kAdsLstLinker = 0x10;
// Bits of the ADS linker flag byte (ADSLDFG[0]).
inline constexpr uint8_t kAdsLdRopi = 0x02, kAdsLdRwpi = 0x04, kAdsLdNoScanLib = 0x08,
                         kAdsLdStrict = 0x10;

inline constexpr int kAdsDefaultPageLength = 66;
inline constexpr int kAdsDefaultPageWidth = 79;

// The compiler line; returns true when the Thumb compiler (tool code 42
// instead of 36) is to run.
bool MakeAdsCcCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName);
void MakeAdsAsmCommand(CommandContext& ctx, NodeRec* node, TargetRec* target, bool withObjectName);

// The linker line (mode 0 preview with "*.o" and line breaks, mode 2 the
// build's line over the given objects, the buffer emptied by the caller).
void MakeAdsLinkCommand(CommandContext& ctx, const OptionBlock& options, int mode,
                        std::span<const std::string> objects = {}, TraceFile* trace = nullptr);

}  // namespace pm2
