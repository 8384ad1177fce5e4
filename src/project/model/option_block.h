// OptionBlock: every tool option of a target, or the overrides of a group
// or a file, for all five toolsets at fixed places.
//
// A target owns one block whose fields hold real values. A group or file
// owns at most one block per target; there every switch is a 2-bit field
// whose value 2 means "take the level above", and number fields use an
// out-of-range value for the same purpose (kInheritOptimize etc.).
//
// Field names are the project-file keys in upper case. The sub-records
// follow one another in this order; toolsets use only their own target,
// compiler, assembler and linker sub-records (the 251 toolset shares the 51
// assembler and linker), the output, listing, build-properties, debug and
// flash sub-records are common.
//
// Stored layout: the block that older tools wrote was one packed record of
// 1417 bytes with 4-byte pointers and 9-byte memory ranges. In memory the
// block holds real pointers and aligned fields; each sub-record's Visit()
// enumerates its fields in stored order with their stored widths, which is
// what comparisons, deep copies and packed images are built on. Unnamed
// words are kept and copied but have no meaning here.
//
// Strings are OptString handles, never null; an unset string is
// g_szEmptyOpt. Blocks live in pools and are released with them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "project/model/key_values.h"
#include "project/text/opt_string.h"

namespace pm2 {

struct TargetRec;
struct ProjectRec;

static_assert(std::endian::native == std::endian::little,
              "flag words and byte arrays are read little-endian");

// ToolsetId of a TargetRec.
enum ToolsetId : uint16_t {
  kToolset51 = 0,       // "MCS-51"
  kToolset251 = 1,      // "MCS-251"
  kToolset166 = 2,      // "166/167"
  kToolsetArmGnu = 3,   // "ARM-GNU"
  kToolsetArmAds = 4,   // "ARM-ADS"
  kToolsetUndefined = 0xFFFF,
};

// Node-level values meaning "the value of the level above applies".
inline constexpr uint8_t kInherit2Bit = 2;
inline constexpr uint8_t kInheritOptimize = 8;
inline constexpr uint8_t kInheritSpeedSize = 2;
inline constexpr uint8_t kInheritWarningLev = 4;
inline constexpr uint16_t kInheritStopCode = 11;
inline constexpr uint16_t kNoBank = 0xFFFF;  // BANKNO of a file without a code bank

// A memory range. Stored packed as 9 bytes: u8 kind, u32 start, u32 size
// (little-endian); see PackMemRange.
struct MemRangeRec {
  uint8_t kind = 0;  // 0 RAM, 1 ROM (on-chip ROM ranges use 1); or flags
  uint32_t start = 0;
  uint32_t size = 0;
  bool operator==(const MemRangeRec&) const = default;
};
inline constexpr std::size_t kMemRangePackedSize = 9;

void PackMemRange(const MemRangeRec& r, uint8_t* out9);
MemRangeRec UnpackMemRange(const uint8_t* in9);
// n ranges to or from n * 9 packed bytes (the project file's bytes[27] and
// bytes[54] forms).
void PackMemRanges(const MemRangeRec* r, std::size_t n, uint8_t* out);
void UnpackMemRanges(const uint8_t* in, std::size_t n, MemRangeRec* r);

// The first 32-bit word of a raw byte array (little-endian), as the
// defaults and device steps use it.
uint32_t FirstWord(const uint8_t* bytes);
void SetFirstWord(uint8_t* bytes, uint32_t value);

// Flag words with named bit-fields are small structs; these give and take
// the whole word, for defaults given as masks.
template <class F>
uint32_t FlagWord(const F& f) {
  static_assert(std::is_trivially_copyable_v<F> && sizeof(F) <= 4);
  uint32_t w = 0;
  std::memcpy(&w, &f, sizeof(F));
  return w;
}
template <class F>
void SetFlagWord(F& f, uint32_t w) {
  static_assert(std::is_trivially_copyable_v<F> && sizeof(F) <= 4);
  std::memcpy(&f, &w, sizeof(F));
}
// value = (value and not clear) or set
template <class F>
void ClearSetFlagWord(F& f, uint32_t clear, uint32_t set) {
  SetFlagWord(f, (FlagWord(f) & ~clear) | set);
}

// ---------------------------------------------------------------- output
struct OutputFlags {
  uint16_t GENAPP : 1;    // bit 0
  uint16_t GENLIB : 1;    // bit 1
  uint16_t DEBUG : 1;     // bit 2
  uint16_t GENHEX : 1;    // bit 3
  uint16_t bit4 : 1;      // set by default
  uint16_t bit5 : 1;      // set by default
  uint16_t bit6 : 1;
  uint16_t RUNUSR0 : 1;   // bit 7: run program 0 after the build
  uint16_t RUNUSR1 : 1;   // bit 8
  uint16_t BROWSE : 1;    // bit 9
  uint16_t MG32K : 1;     // bit 10
  uint16_t BRUNUSR0 : 1;  // bit 11: run program 0 before the build
  uint16_t BRUNUSR1 : 1;  // bit 12
  uint16_t bits13to15 : 3;
};
static_assert(sizeof(OutputFlags) == 2);

struct OutputOpts {
  OptString OUTDIR;
  OptString OUTNAME;
  OutputFlags flags{};
  uint32_t outWord1 = 0;
  uint32_t TGMORE = 0;
  uint8_t outByte = 0;        // cleared by default
  uint8_t HEXSEL = 0;
  uint16_t outWord2 = 0;      // 0xFFFF by default
  OptString RUNUSR[2];        // the two programs run after the build
  OptString BRUNUSR[2];       // the two programs run before the build
  uint32_t outSpare[3] = {};

  template <class V> void Visit(V&& v) {
    v(OUTDIR); v(OUTNAME); v(flags); v(outWord1); v(TGMORE); v(outByte); v(HEXSEL);
    v(outWord2); v(RUNUSR[0]); v(RUNUSR[1]); v(BRUNUSR[0]); v(BRUNUSR[1]);
    for (auto& w : outSpare) v(w);
  }
};

// ---------------------------------------------------------------- listing
struct ListingOpts {
  uint32_t OPTOX = 0;         // options-file key "OPTOX", 16 by default
  OptString LSTDIR;
  uint16_t pageWidth = 0;
  uint16_t pageLength = 0;
  uint8_t lstByte = 0;        // 8 by default
  uint32_t listFlags = 0;
  uint8_t lstByte2 = 0;
  OptString SVCSID;           // source-code-control identity
  uint32_t GLFLAGS = 0;       // bit 11: ARM device is big-endian
  uint32_t lstWord = 0;
  uint8_t ADSFLGA[20] = {};
  KeyValueRec* OPTKUS = nullptr;  // the target's KEY=value list

  template <class V> void Visit(V&& v) {
    v(OPTOX); v(LSTDIR); v(pageWidth); v(pageLength); v(lstByte); v(listFlags);
    v(lstByte2); v(SVCSID); v(GLFLAGS); v(lstWord); v(ADSFLGA); v(OPTKUS);
  }
};

// ---------------------------------------------------------------- 166 target
struct Target166Flags {
  uint8_t USEONCHIPROM : 1;    // bit 0
  uint8_t USEONCHIPXCAN : 1;   // bit 1
  uint8_t USEONCHIPXRAM2 : 1;  // bit 2
  uint8_t hasOnChipRom : 1;    // bit 3
  uint8_t hasOnChipXram : 1;   // bit 4
  uint8_t hasCan : 1;          // bit 5
  uint8_t MOD167 : 1;          // bit 6
  uint8_t MODV2 : 1;           // bit 7
};
static_assert(sizeof(Target166Flags) == 1);

struct Target166Opts {
  uint32_t clock = 0;  // Hz
  uint8_t MODEL = 0;
  uint8_t RTOS = 0;
  uint16_t NHOLD = 0;
  uint16_t IHOLD = 0;
  uint16_t SHOLD = 0;
  uint16_t BHOLD = 0;
  Target166Flags flags{};
  uint8_t NEARRAM = 0;
  uint8_t NEARROM = 0;
  MemRangeRec EXTMEM[6];  // external RAM (kind 0) or ROM (kind 1)
  MemRangeRec CAN;        // on-chip ranges
  MemRangeRec IROM;
  MemRangeRec XRAM;
  MemRangeRec XRAM2;
  MemRangeRec IRAM;

  template <class V> void Visit(V&& v) {
    v(clock); v(MODEL); v(RTOS); v(NHOLD); v(IHOLD); v(SHOLD); v(BHOLD); v(flags);
    v(NEARRAM); v(NEARROM);
    for (auto& r : EXTMEM) v(r);
    v(CAN); v(IROM); v(XRAM); v(XRAM2); v(IRAM);
  }
};

// ---------------------------------------------------------------- 166 compiler
struct Compiler166Flags {
  uint16_t REGCOLOR : 2;
  uint16_t STATIC : 2;
  uint16_t ALIAS : 2;
  uint16_t ORDER : 2;
  uint16_t UNSIGNEDCHAR : 2;
  uint16_t NODPPSAVE : 2;
  uint16_t FLOAT64 : 2;
  uint16_t SAVEUSR : 2;
};
static_assert(sizeof(Compiler166Flags) == 2);

struct Compiler166Flags2 {
  uint16_t REORDER : 2;
  uint16_t bits2to15 : 14;
};
static_assert(sizeof(Compiler166Flags2) == 2);

struct Compiler166Opts {
  uint8_t OPTIMIZE = 0;
  uint8_t SPEEDSIZE = 0;
  uint8_t WARNINGLEV = 0;
  Compiler166Flags flags{};
  Compiler166Flags2 flags2{};
  OptString CMISC;
  OptString DEFINE;
  OptString UNDEFINE;
  OptString INCC6;

  template <class V> void Visit(V&& v) {
    v(OPTIMIZE); v(SPEEDSIZE); v(WARNINGLEV); v(flags); v(flags2);
    v(CMISC); v(DEFINE); v(UNDEFINE); v(INCC6);
  }
};

// ---------------------------------------------------------------- build properties
struct BuildPropFlags {
  uint16_t INCBLD : 2;
  uint16_t ALWAYSBUILD : 2;
  uint16_t GENASM : 2;
  uint16_t ASMASM : 2;
  uint16_t PUBLICSONLY : 2;
  uint16_t bits10to15 : 6;
};
static_assert(sizeof(BuildPropFlags) == 2);

struct BuildPropOpts {
  BuildPropFlags flags{};
  uint16_t STOPCODE = 0;
  uint16_t BANKNO = 0;  // code bank of a file, kNoBank for none
  OptString CUSTARGS;
  OptString LIBMODS;
  uint8_t PROPFLD[20] = {};

  template <class V> void Visit(V&& v) {
    v(flags); v(STOPCODE); v(BANKNO); v(CUSTARGS); v(LIBMODS); v(PROPFLD);
  }
};

// ---------------------------------------------------------------- 166 assembler
struct Asm166Flags {
  uint8_t MPL : 2;
  uint8_t CASE : 2;
  uint8_t bits4to7 : 4;
};
static_assert(sizeof(Asm166Flags) == 1);

struct Asm166Opts {
  Asm166Flags flags{};
  OptString AMISC;
  OptString ASET;
  OptString ARESET;
  OptString INCA6;

  template <class V> void Visit(V&& v) { v(flags); v(AMISC); v(ASET); v(ARESET); v(INCA6); }
};

// ---------------------------------------------------------------- 166 linker
struct Linker166Flags {
  uint16_t USELINKFILE : 1;
  uint16_t LINKONLY : 1;
  uint16_t USETARGSET : 1;
  uint16_t DPPUSE : 1;
  uint16_t bits4to15 : 12;
};
static_assert(sizeof(Linker166Flags) == 2);

struct Linker166Opts {
  Linker166Flags flags{};
  uint8_t NDATASEL = 0;
  uint8_t NCONSTSEL = 0;
  uint32_t lnkWords1[4] = {};
  OptString NEARDATASTR;
  OptString NEARCONSTSTR;
  uint32_t lnkWords2[2] = {};
  OptString CINITTAB;
  OptString INTVECTADDR;
  uint8_t LWARNLEV = 0;
  OptString LDISWARN;
  OptString LNKFILE;
  OptString LASSIGN;
  OptString LREGBANK;
  OptString LRESERVE;
  OptString LMISC;
  OptString LCLASSES;
  OptString LSECT;

  template <class V> void Visit(V&& v) {
    v(flags); v(NDATASEL); v(NCONSTSEL);
    for (auto& w : lnkWords1) v(w);
    v(NEARDATASTR); v(NEARCONSTSTR);
    for (auto& w : lnkWords2) v(w);
    v(CINITTAB); v(INTVECTADDR); v(LWARNLEV); v(LDISWARN); v(LNKFILE); v(LASSIGN);
    v(LREGBANK); v(LRESERVE); v(LMISC); v(LCLASSES); v(LSECT);
  }
};

// ---------------------------------------------------------------- debug (key OPTDBG)
struct DebugOpts {
  uint32_t flags = 0;
  OptString str[10];          // driver names and parameters
  uint32_t word2 = 0;
  OptString str11;
  KeyValueRec* OPTKEY = nullptr;  // the debugger driver's KEY=value list

  template <class V> void Visit(V&& v) {
    v(flags);
    for (auto& s : str) v(s);
    v(word2); v(str11); v(OPTKEY);
  }
};

// ---------------------------------------------------------------- 166 EC++ compiler
struct CompilerYq166Opts {
  uint8_t YQ166[20] = {};
  OptString ECMISC;
  OptString ECDEFINE;
  OptString ECUNDEF;
  OptString ECINC;

  template <class V> void Visit(V&& v) { v(YQ166); v(ECMISC); v(ECDEFINE); v(ECUNDEF); v(ECINC); }
};

// ---------------------------------------------------------------- flash
struct FlashOpts {
  uint8_t FLASH1[20] = {};
  OptString FLASH3;
  OptString FLASH2;
  KeyValueRec* keys = nullptr;  // empty by default

  template <class V> void Visit(V&& v) { v(FLASH1); v(FLASH3); v(FLASH2); v(keys); }
};

// ---------------------------------------------------------------- 51 target
// T51FL bits set by the device's CPU keywords.
enum T51Bits : uint32_t {
  kT51Iram = 1u << 4, kT51Xram = 1u << 5, kT51Irom = 1u << 6, kT51ModA2 = 1u << 7,
  kT51ModDp2 = 1u << 8, kT51ModP2 = 1u << 9, kT51Mod517Dp = 1u << 10,
  kT51Mod517Au = 1u << 11, kT51Mode2 = 1u << 12, kT51Mx15 = 1u << 15,
  kT51Mx17 = 1u << 17, kT51Dpx = 1u << 18, kT51ModCont = 1u << 19, kT51Np51 = 1u << 20,
  kT51ModDa = 1u << 22, kT51ModAb2 = 1u << 23, kT51Mxp = 1u << 24, kT51Xram2 = 1u << 25,
};

struct Target51Opts {
  uint32_t clock = 0;  // Hz
  uint16_t MODEL5 = 0;
  uint16_t RTOS5 = 0;
  uint16_t ROMSZ5 = 0;
  uint32_t DHOLD5 = 0;
  uint32_t XHOLD5 = 0;
  uint32_t T51FL = 0;  // device feature bits (T51Bits)
  uint16_t CBANKS5 = 0;
  uint16_t XBANKS5 = 0;
  MemRangeRec RCB51;
  MemRangeRec RXB51;
  MemRangeRec OCM51[3];
  MemRangeRec OCR51[3];
  MemRangeRec IRO51;
  MemRangeRec IRA51;
  MemRangeRec XRA51;
  MemRangeRec XRA512;

  template <class V> void Visit(V&& v) {
    v(clock); v(MODEL5); v(RTOS5); v(ROMSZ5); v(DHOLD5); v(XHOLD5); v(T51FL);
    v(CBANKS5); v(XBANKS5); v(RCB51); v(RXB51);
    for (auto& r : OCM51) v(r);
    for (auto& r : OCR51) v(r);
    v(IRO51); v(IRA51); v(XRA51); v(XRA512);
  }
};

// ---------------------------------------------------------------- 51 compiler
struct Compiler51Opts {
  uint32_t Q51FL = 0;
  uint32_t Q51VA = 0;
  OptString Q51MSC;
  OptString Q51DEF;
  OptString Q51UDF;
  OptString INCC5;

  template <class V> void Visit(V&& v) { v(Q51FL); v(Q51VA); v(Q51MSC); v(Q51DEF); v(Q51UDF); v(INCC5); }
};

// ---------------------------------------------------------------- 51/251 assembler
struct Asm51Opts {
  uint32_t WX51FL = 0;
  OptString WX51MSC;
  OptString WX51SET;
  OptString WX51RST;
  OptString INCA5;

  template <class V> void Visit(V&& v) { v(WX51FL); v(WX51MSC); v(WX51SET); v(WX51RST); v(INCA5); }
};

// ---------------------------------------------------------------- 51/251 linker
struct Linker51Opts {
  uint32_t NX51FL = 0;
  OptString NX51OVL, NX51MSC, NX51DWN, NX51LFI, NX51ASN, NX51RES, NX51CCL, NX51UCL,
      NX51CSC, NX51UCS, NX51COB, NX51XDB, NX51PDB, NX51BIB, NX51DAB, NX51IDB, NX51PRC,
      NX51STK, NX51COS, NX51XDS, NX51BIS, NX51DAS, NX51IDS;

  template <class V> void Visit(V&& v) {
    v(NX51FL);
    v(NX51OVL); v(NX51MSC); v(NX51DWN); v(NX51LFI); v(NX51ASN); v(NX51RES); v(NX51CCL);
    v(NX51UCL); v(NX51CSC); v(NX51UCS); v(NX51COB); v(NX51XDB); v(NX51PDB); v(NX51BIB);
    v(NX51DAB); v(NX51IDB); v(NX51PRC); v(NX51STK); v(NX51COS); v(NX51XDS); v(NX51BIS);
    v(NX51DAS); v(NX51IDS);
  }
};

// ---------------------------------------------------------------- 251 target
enum T251Bits : uint32_t {
  kT251Src = 1u << 2,    // MODSRC (cleared by MODBIN)
  kT251Intr4 = 1u << 3,  // INTR4 (cleared by INTR2)
  kT251Iram = 1u << 4, kT251Xram = 1u << 5, kT251Irom = 1u << 6,
};

struct Target251Opts {
  uint32_t clock = 0;  // Hz
  uint16_t MODEL25 = 0;
  uint16_t RTOS25 = 0;
  uint16_t ROMSZ25 = 0;
  uint32_t DHOLD25 = 0;
  uint32_t XHOLD25 = 0;
  uint32_t FHOLD25 = 0;
  uint32_t T251FL = 0;  // T251Bits
  uint16_t CBANKS2 = 0;
  MemRangeRec OCM251[6];
  uint32_t t251Words[2] = {};
  MemRangeRec RCB25;
  MemRangeRec IRO25;
  MemRangeRec ERA25;
  MemRangeRec XRA25;

  template <class V> void Visit(V&& v) {
    v(clock); v(MODEL25); v(RTOS25); v(ROMSZ25); v(DHOLD25); v(XHOLD25); v(FHOLD25);
    v(T251FL); v(CBANKS2);
    for (auto& r : OCM251) v(r);
    v(t251Words[0]); v(t251Words[1]); v(RCB25); v(IRO25); v(ERA25); v(XRA25);
  }
};

// ---------------------------------------------------------------- 251 compiler
struct Compiler251Opts {
  uint32_t Q251F1 = 0;
  uint32_t Q251F2 = 0;
  OptString Q251MSC;
  OptString Q251DEF;
  OptString Q251UDF;
  OptString INCC2;

  template <class V> void Visit(V&& v) { v(Q251F1); v(Q251F2); v(Q251MSC); v(Q251DEF); v(Q251UDF); v(INCC2); }
};

// ---------------------------------------------------------------- ARM targets
// Bits of the second byte of the first word of TFLAGSA / ADSTFLGA, as bits
// of that word.
enum TArmBits : uint32_t {
  kTArmIrom = 1u << 10,  // byte 1 bit 2
  kTArmIram = 1u << 11,  // byte 1 bit 3
  kTArmXram = 1u << 12,  // byte 1 bit 4
};
inline constexpr uint32_t kGlFlagsBigEndian = 1u << 11;  // GLFLAGS bit 11

struct TargetArmGnuOpts {
  uint32_t clock = 0;  // Hz
  uint8_t TFLAGSA[20] = {};
  MemRangeRec OCMARM[6];  // three IRAM (kind 0), then three IROM (kind 1)
  MemRangeRec OCMARAM;
  MemRangeRec OCMAROM;
  MemRangeRec OCMXRAM;
  OptString GCPUTYP;

  template <class V> void Visit(V&& v) {
    v(clock); v(TFLAGSA);
    for (auto& r : OCMARM) v(r);
    v(OCMARAM); v(OCMAROM); v(OCMXRAM); v(GCPUTYP);
  }
};

struct CompilerArmGnuOpts {
  uint8_t ACCFLG[20] = {};
  OptString ACMISC;
  OptString ACDEFN;
  OptString ACUDEF;
  OptString ACINCD;

  template <class V> void Visit(V&& v) { v(ACCFLG); v(ACMISC); v(ACDEFN); v(ACUDEF); v(ACINCD); }
};

struct AsmArmGnuOpts {
  uint8_t AASFLG[20] = {};
  OptString AAMISC;
  OptString AADEFN;
  OptString AAUDEF;
  OptString AAINCD;

  template <class V> void Visit(V&& v) { v(AASFLG); v(AAMISC); v(AADEFN); v(AAUDEF); v(AAINCD); }
};

struct LinkerArmGnuOpts {
  uint8_t ALDFLAG[20] = {};
  OptString ALDTADR;
  OptString ALDDADR;
  OptString ALDBSSR;
  OptString ALDICLB;
  OptString ALDICDR;
  OptString ALDMISC;
  OptString ALDSCAT;
  OptString ldStr[3];  // stored and copied, not named

  template <class V> void Visit(V&& v) {
    v(ALDFLAG); v(ALDTADR); v(ALDDADR); v(ALDBSSR); v(ALDICLB); v(ALDICDR); v(ALDMISC);
    v(ALDSCAT);
    for (auto& s : ldStr) v(s);
  }
};

struct TargetArmAdsOpts {
  uint32_t clock = 0;  // Hz
  uint8_t ADSTFLGA[20] = {};
  MemRangeRec OCMADSOCM[6];  // three IRAM (kind 0), then three IROM (kind 1)
  MemRangeRec OCMADSIRAM;
  MemRangeRec OCMADSIROM;
  MemRangeRec OCMADSXRAM;
  OptString ACPUTYP;

  template <class V> void Visit(V&& v) {
    v(clock); v(ADSTFLGA);
    for (auto& r : OCMADSOCM) v(r);
    v(OCMADSIRAM); v(OCMADSIROM); v(OCMADSXRAM); v(ACPUTYP);
  }
};

struct CompilerArmAdsOpts {
  uint8_t ADSCCFLG[20] = {};
  OptString ADSCMISC;
  OptString ADSCDEFN;
  OptString ADSCUDEF;
  OptString ADSCINCD;

  template <class V> void Visit(V&& v) { v(ADSCCFLG); v(ADSCMISC); v(ADSCDEFN); v(ADSCUDEF); v(ADSCINCD); }
};

struct AsmArmAdsOpts {
  uint8_t ADSASFLG[20] = {};
  OptString ADSAMISC;
  OptString ADSADEFN;
  OptString ADSAUDEF;
  OptString ADSAINCD;

  template <class V> void Visit(V&& v) { v(ADSASFLG); v(ADSAMISC); v(ADSADEFN); v(ADSAUDEF); v(ADSAINCD); }
};

struct LinkerArmAdsOpts {
  uint8_t ADSLDFG[20] = {};
  OptString ADSLDTA;
  OptString ADSLDDA;
  OptString ADSLDSC;
  OptString ADSLDIB;
  OptString ADSLDIC;
  OptString ADSLDMC;
  OptString ADSLDIF;
  OptString ldStr[4];  // stored and copied, not named; the last ends the block

  template <class V> void Visit(V&& v) {
    v(ADSLDFG); v(ADSLDTA); v(ADSLDDA); v(ADSLDSC); v(ADSLDIB); v(ADSLDIC); v(ADSLDMC);
    v(ADSLDIF);
    for (auto& s : ldStr) v(s);
  }
};

// ---------------------------------------------------------------- the block
struct OptionBlock {
  // Header: not part of comparisons.
  OptionBlock* next = nullptr;  // next block of the node's list
  TargetRec* owner = nullptr;   // the target this block belongs to; null when detached
  uint32_t hdrWord = 0;

  OutputOpts out;               // all toolsets
  ListingOpts lst;              // all toolsets
  Target166Opts t166;           // toolset 2
  Compiler166Opts q166;
  BuildPropOpts prop;           // all toolsets
  Asm166Opts w166;
  Linker166Opts n166;
  DebugOpts dbg;                // all toolsets
  CompilerYq166Opts yq166;
  FlashOpts flash;              // all toolsets
  Target51Opts t51;             // toolset 0
  Compiler51Opts q51;
  Asm51Opts w51;                // toolsets 0 and 1
  Linker51Opts n51;             // toolsets 0 and 1
  Target251Opts t251;           // toolset 1
  Compiler251Opts q251;
  TargetArmGnuOpts tGnu;        // toolset 3
  CompilerArmGnuOpts cGnu;
  AsmArmGnuOpts aGnu;
  LinkerArmGnuOpts lGnu;
  TargetArmAdsOpts tAds;        // toolset 4
  CompilerArmAdsOpts cAds;
  AsmArmAdsOpts aAds;
  LinkerArmAdsOpts lAds;

  // Every sub-record after the header, in stored order.
  template <class V> void VisitSubRecords(V&& v) {
    v(out); v(lst); v(t166); v(q166); v(prop); v(w166); v(n166); v(dbg); v(yq166);
    v(flash); v(t51); v(q51); v(w51); v(n51); v(t251); v(q251); v(tGnu); v(cGnu);
    v(aGnu); v(lGnu); v(tAds); v(cAds); v(aAds); v(lAds);
  }
  // Every field after the header, in stored order.
  template <class V> void Visit(V&& v) {
    VisitSubRecords([&](auto& sub) { sub.Visit(v); });
  }
};

// Size of the stored packed record (4-byte pointers, 9-byte ranges).
inline constexpr std::size_t kOptionBlockPackedSize = 1417;
// The packed size this build's field list adds up to (header included);
// equals kOptionBlockPackedSize.
std::size_t PackedOptionBlockSize();

// ---------------------------------------------------------------- operations
struct NodeRec;  // project_records.h: the common head of targets, groups, files

// A zeroed block (every string g_szEmptyOpt) in the pool.
OptionBlock* NewOptionBlock(int pool);

// Allocates a block in pool 1, copies source into it when given, owns it to
// the current target and pushes it at the head of the node's list.
OptionBlock* CloneOptionBlock(NodeRec* node, const OptionBlock* source);
// Clears the block's owner, so FindTargetOptions no longer finds it.
void DetachOptionBlock(NodeRec* node, OptionBlock* block);
// Detaches the target's blocks of every group and file of the project
// (after a change of the target's family): they inherit from it again.
// Returns how many were detached.
int DetachNodeBlocksOfTarget(ProjectRec* project, const TargetRec* target);
// After the target's device changed: when its family (toolset) changed
// from one it had, the groups' and files' blocks written for the old family
// would be read with the new family's layout (every field 0), so they are
// detached and the nodes inherit from the target again. A target without a
// family before keeps them. Select Device and the options sheet's Device
// page both end here.
// Returns how many were detached.
int DetachNodeBlocksAfterFamilyChange(ProjectRec* project, const TargetRec* target, uint16_t oldToolset);
// The current target's block of a group or file; when it has none, a new
// block in pool 1 with the node-level defaults of the target's toolset (51
// for a target without one), owned by the
// current target and pushed on the node's list. Null without a project or
// current target, or for a node that is no group or file.
OptionBlock* GetNodeOptions(NodeRec* node);

// True when the blocks differ in any field after the header; strings and
// lists compare by identity (the same stored text).
bool OptionBlocksDiffer(const OptionBlock& a, const OptionBlock& b);
// True when the build-properties sub-records are equal and, for the owner's
// toolset, the compiler and assembler sub-records match with strings
// compared by content. False without an owner or for an unknown toolset.
bool OptionBlocksMatch(const OptionBlock& defaults, const OptionBlock& block);
// True when the block overrides nothing: it matches the toolset's target
// defaults followed by its node defaults. nodeKind is 3 (group) or 4 (file).
bool IsDefaultNodeOptions(const OptionBlock& block, int nodeKind);

// A copy in the pool with every string duplicated (empty becomes
// g_szEmptyOpt), the three KEY=value lists duplicated, next cleared and the
// owner as given.
OptionBlock* CopyOptionBlockDeep(const OptionBlock& block, int pool, TargetRec* newOwner);

// Code bank of a file of the current project (type 1 search by name).
bool SetFileBankNo(const char* fileName, uint16_t bank);
// 0 when the file or its block is missing or the value is kNoBank.
uint16_t GetFileBankNo(const char* fileName);

// One entry of the current target block's KEY=value list; the getter gives
// the text ("" when absent or without a target block) and returns its length.
void SetTargetOptionValue(const char* key, const char* value);
std::size_t GetTargetOptionValue(const char* key, std::string& out);

}  // namespace pm2
