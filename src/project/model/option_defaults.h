// Default values of option blocks, per toolset and level.
//
// Level "target" is a target's own block, level "node" a group's or file's.
// Flag-word defaults are masks: value = (old and not clear) or set. The
// strings "C" and "A" of the target (default controls of the device) seed
// the compiler's and assembler's misc controls at target level when they
// are not empty.
//
// Each sub-record has its initialiser; the option pages use them to reset
// one tool. A toolset's default set runs them in the stored order: output,
// listing, HEXSEL, target sub-record (derived from the target's CPU and MEM
// strings), compiler, build properties, assembler, linker, debug, flash;
// then the misc controls are brought in line with the device's
// architecture (MOD167 / MODV2 / MODE2).
#pragma once

#include <cstdint>

#include "project/model/option_block.h"

namespace pm2 {

struct TargetRec;

enum OptLevel : int { kLevelNode = 0, kLevelTarget = 1 };

// Sub-record initialisers. target may be null (no device strings then).
void InitOutputOpts(OptionBlock& b);
void InitListingOpts(OptionBlock& b, bool armAds);
void InitBuildPropOpts(BuildPropOpts& p, int level);
void InitCompiler166Opts(Compiler166Opts& c, int level);
void InitCompilerYq166Opts(CompilerYq166Opts& c, int level);
void InitAsm166Opts(Asm166Opts& a, int level);
void InitLinker166Opts(Linker166Opts& l);
void InitCompiler51Opts(Compiler51Opts& c, const TargetRec* target, int level);
void InitAsm51Opts(Asm51Opts& a, const TargetRec* target, int level);
void InitLinker51Opts(Linker51Opts& l, bool for251);
void InitCompiler251Opts(Compiler251Opts& c, const TargetRec* target, int level);
void InitCompilerArmGnuOpts(CompilerArmGnuOpts& c, const TargetRec* target, int level);
void InitAsmArmGnuOpts(AsmArmGnuOpts& a, const TargetRec* target, int level);
void InitLinkerArmGnuOpts(LinkerArmGnuOpts& l);
void InitCompilerArmAdsOpts(CompilerArmAdsOpts& c, const TargetRec* target, int level);
void InitAsmArmAdsOpts(AsmArmAdsOpts& a, const TargetRec* target, int level);
void InitLinkerArmAdsOpts(LinkerArmAdsOpts& l);
void InitDebugOpts(DebugOpts& d);
void InitFlashOpts(FlashOpts& f);
// Target sub-records: fixed values, the rest cleared, then the device's CPU
// (and for 251 and 166 MEM) string of target parsed with reset.
void InitTarget51Opts(Target51Opts& t, const TargetRec* target);
void InitTarget251Opts(Target251Opts& t, const TargetRec* target);
void InitTarget166Opts(Target166Opts& t, const TargetRec* target);
void InitTargetArmGnuOpts(TargetArmGnuOpts& t, const TargetRec* target);
void InitTargetArmAdsOpts(TargetArmAdsOpts& t, const TargetRec* target);

// A toolset's whole default set; next is cleared, the owner is kept.
void SetDefaultOptions51(OptionBlock& b, const TargetRec* target, int level);
void SetDefaultOptions251(OptionBlock& b, const TargetRec* target, int level);
void SetDefaultOptions166(OptionBlock& b, const TargetRec* target, int level);
void SetDefaultOptionsArmGnu(OptionBlock& b, const TargetRec* target, int level);
void SetDefaultOptionsArmAds(OptionBlock& b, const TargetRec* target, int level);
// By toolset; false (block untouched) for a toolset outside 0..4.
bool SetDefaultOptions(OptionBlock& b, const TargetRec* target, uint16_t toolset, int level);

// Re-initialises only the toolset's target sub-record from the device
// strings; false for an unknown toolset.
bool InitTargetSubRecord(OptionBlock& b, const TargetRec* target, uint16_t toolset);

// Passes the misc controls through the architecture syncs of the toolset:
// 166 CMISC/AMISC with MOD167 and MODV2, 51 Q51MSC/WX51MSC with MODE2
// (T51FL bit 12). Other toolsets: nothing.
void SyncArchitectureControls(OptionBlock& b, uint16_t toolset);

// (Re)creates the target's block for its current toolset: none for an
// undefined toolset; the same toolset as before re-derives only the target
// sub-record; another toolset clears the whole block first.
void ResetTargetOptions(TargetRec* target, uint16_t previousToolset);

}  // namespace pm2
