#include "project/files/project_keys.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "project/files/project_lines.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

const KeyRow* LookupProjectKey(std::string_view upperKey, int selector) {
  const KeyRow* row = selector == 0 ? g_ProjectKeys : g_OptFileKeys;
  for (; row->code != kKeyTableEnd; ++row) {
    if (upperKey == row->key) return row;
  }
  return nullptr;
}

// ------------------------------------------------------------------ rows
// F is a field expression over the context `c` (c.b the block, c.t the
// target).
#define PM2_NUM(K, W, F)                                                   \
  FieldRow {                                                               \
    .key = K, .kind = FieldKind::kNumber, .width = W,                      \
    .get = [](KeyContext& c) -> uint32_t { return uint32_t(c.F); },        \
    .set = [](KeyContext& c, uint32_t v) { c.F = decltype(c.F)(v); }       \
  }
#define PM2_BITS(K, W, F)                                                  \
  FieldRow {                                                               \
    .key = K, .kind = FieldKind::kBits, .width = W,                        \
    .get = [](KeyContext& c) -> uint32_t { return uint32_t(c.F); },        \
    .set = [](KeyContext& c, uint32_t v) { c.F = (v & ((1u << W) - 1)); }  \
  }
#define PM2_STR(K, F)                                                      \
  FieldRow {                                                               \
    .key = K, .kind = FieldKind::kString, .width = 0,                      \
    .str = [](KeyContext& c) -> OptString* { return &c.F; }                \
  }
#define PM2_BYTES(K, N, F)                                                          \
  FieldRow {                                                                        \
    .key = K, .kind = FieldKind::kBytes, .width = N,                                \
    .load = [](KeyContext& c, uint8_t* out) { std::memcpy(out, c.F, N); },          \
    .store = [](KeyContext& c, const uint8_t* in) { std::memcpy(c.F, in, N); }      \
  }
// Memory ranges are stored as 9 packed bytes each.
#define PM2_RANGES(K, COUNT, F)                                                     \
  FieldRow {                                                                        \
    .key = K, .kind = FieldKind::kBytes, .width = 9 * COUNT,                        \
    .load = [](KeyContext& c, uint8_t* out) { PackMemRanges(&c.F, COUNT, out); },   \
    .store = [](KeyContext& c, const uint8_t* in) { UnpackMemRanges(in, COUNT, &c.F); } \
  }
#define PM2_LINE(K, WRITE, READ) \
  FieldRow { .key = K, .kind = FieldKind::kLine, .width = 0, .write = WRITE, .read = READ }

namespace {

// ---- lines of their own form

void WriteUserPrograms(ProjectLineWriter& w, KeyContext& c, const char* key,
                       const OptString* programs, uint32_t flag0, uint32_t flag1) {
  w.Linef(" %s %d %d <%s>", key, 0, int(flag0), programs[0].c_str());
  w.Linef(" %s %d %d <%s>", key, 1, int(flag1), programs[1].c_str());
  (void)c;
}

void WriteRunUsr(ProjectLineWriter& w, KeyContext& c) {
  auto& o = c.b->out;
  WriteUserPrograms(w, c, "RunUsr", o.RUNUSR, o.flags.RUNUSR0, o.flags.RUNUSR1);
}
void ReadRunUsr(ProjectLineReader& r, KeyContext& c) {
  auto& o = c.b->out;
  int index = r.Number() == 0 ? 0 : 1;
  uint32_t run = uint32_t(r.NumberComma()) & 1;
  if (index == 0) o.flags.RUNUSR0 = run & 1; else o.flags.RUNUSR1 = run & 1;
  o.RUNUSR[index] = r.String(c.pool);
}
void WriteBrunUsr(ProjectLineWriter& w, KeyContext& c) {
  auto& o = c.b->out;
  WriteUserPrograms(w, c, "BrunUsr", o.BRUNUSR, o.flags.BRUNUSR0, o.flags.BRUNUSR1);
}
void ReadBrunUsr(ProjectLineReader& r, KeyContext& c) {
  auto& o = c.b->out;
  int index = r.Number() == 0 ? 0 : 1;
  uint32_t run = uint32_t(r.NumberComma()) & 1;
  if (index == 0) o.flags.BRUNUSR0 = run & 1; else o.flags.BRUNUSR1 = run & 1;
  o.BRUNUSR[index] = r.String(c.pool);
}
void WriteSvcsId(ProjectLineWriter& w, KeyContext& c) {
  w.Linef(" SVCSID <%s>", c.b->lst.SVCSID.c_str());
}
// The identifier is the line's only value, so everything from its '<' to
// the line's last '>' belongs to it: a lone bracket typed into it reads
// back as it was written instead of cutting the text short.
void ReadSvcsId(ProjectLineReader& r, KeyContext& c) {
  const std::string& line = r.Line();
  const std::size_t open = line.find('<');
  const std::size_t close = line.rfind('>');
  if (open == std::string::npos || close == std::string::npos || close < open) {
    c.b->lst.SVCSID = r.String(c.pool);
    return;
  }
  std::string text;
  for (std::size_t i = open + 1; i < close; ++i) {
    if (line[i] == '\\' && i + 1 < close && line[i + 1] == '~') {
      text += "\r\n";
      ++i;
    } else {
      text += line[i];
    }
  }
  c.b->lst.SVCSID = OptString::Pooled(text, c.pool);
}

void WriteExtMem(ProjectLineWriter& w, KeyContext& c) {
  for (int i = 0; i < 6; ++i) {
    const MemRangeRec& m = c.b->t166.EXTMEM[i];
    w.Linef(" ExtMem %d %d,%d,%d", i, int(m.kind), int32_t(m.start), int32_t(m.size));
  }
}
void ReadExtMem(ProjectLineReader& r, KeyContext& c) {
  int32_t row = r.Number();
  if (row < 0 || row > 5) return;
  MemRangeRec& m = c.b->t166.EXTMEM[row];
  m.kind = uint8_t(r.NumberComma());
  m.start = uint32_t(r.NumberComma());
  m.size = uint32_t(r.NumberComma());
}

void WriteBankNo(ProjectLineWriter& w, KeyContext& c) {
  if (c.t && (c.t->toolset == kToolset51 || c.t->toolset == kToolset251)) {
    w.NumberLine("BankNo", c.b->prop.BANKNO);
  }
}
void ReadBankNo(ProjectLineReader& r, KeyContext& c) { c.b->prop.BANKNO = uint16_t(r.Number()); }

// ---- families

const FieldRow kDeviceRows[] = {
    PM2_STR("Device", t->DEVICE), PM2_STR("Vendor", t->VENDOR), PM2_STR("Cpu", t->CPU),
    PM2_STR("FlashUt", t->FLASHUT), PM2_STR("StupF", t->STUPF), PM2_STR("FlashDR", t->FLASHDR),
    PM2_STR("Rgf", t->RGF), PM2_STR("Mem", t->MEM), PM2_STR("C", t->C), PM2_STR("A", t->A),
    PM2_STR("RL", t->RL), PM2_STR("OH", t->OH), PM2_NUM("UseEnv", 32, t->USEENV),
    PM2_STR("EnvBin", t->ENVBIN), PM2_STR("EnvInc", t->ENVINC), PM2_STR("EnvLib", t->ENVLIB),
    PM2_STR("EnvReg", t->ENVREG), PM2_STR("OrgReg", t->ORGREG), PM2_NUM("TgStat", 32, t->TGSTAT),
};

const FieldRow kOutputRows[] = {
    PM2_STR("OutDir", b->out.OUTDIR), PM2_STR("OutName", b->out.OUTNAME),
    PM2_BITS("GenApp", 1, b->out.flags.GENAPP), PM2_BITS("GenLib", 1, b->out.flags.GENLIB),
    PM2_BITS("GenHex", 1, b->out.flags.GENHEX), PM2_BITS("Debug", 1, b->out.flags.DEBUG),
    PM2_BITS("Browse", 1, b->out.flags.BROWSE), PM2_STR("LstDir", b->lst.LSTDIR),
    PM2_NUM("HexSel", 8, b->out.HEXSEL), PM2_BITS("MG32K", 1, b->out.flags.MG32K),
    PM2_NUM("TGMORE", 32, b->out.TGMORE),
};

const FieldRow kUserProgramRows[] = {
    PM2_LINE("RunUsr", WriteRunUsr, ReadRunUsr),
    PM2_LINE("BrunUsr", WriteBrunUsr, ReadBrunUsr),
    PM2_LINE("SVCSID", WriteSvcsId, ReadSvcsId),
};

const FieldRow kTarget51Rows[] = {
    PM2_NUM("MODEL5", 16, b->t51.MODEL5), PM2_NUM("RTOS5", 16, b->t51.RTOS5),
    PM2_NUM("ROMSZ5", 16, b->t51.ROMSZ5), PM2_NUM("DHOLD5", 32, b->t51.DHOLD5),
    PM2_NUM("XHOLD5", 32, b->t51.XHOLD5), PM2_NUM("T51FL", 32, b->t51.T51FL),
    PM2_NUM("CBANKS5", 16, b->t51.CBANKS5), PM2_NUM("XBANKS5", 16, b->t51.XBANKS5),
    PM2_RANGES("RCB51", 1, b->t51.RCB51), PM2_RANGES("RXB51", 1, b->t51.RXB51),
    PM2_RANGES("OCM51", 3, b->t51.OCM51[0]), PM2_RANGES("OCR51", 3, b->t51.OCR51[0]),
    PM2_RANGES("IRO51", 1, b->t51.IRO51), PM2_RANGES("IRA51", 1, b->t51.IRA51),
    PM2_RANGES("XRA51", 1, b->t51.XRA51), PM2_RANGES("XRA512", 1, b->t51.XRA512),
};

const FieldRow kTarget251Rows[] = {
    PM2_NUM("MODEL25", 16, b->t251.MODEL25),
    PM2_NUM("RTOS25", 8, b->t251.RTOS25),  // read as its low 8 bits
    PM2_NUM("ROMSZ25", 16, b->t251.ROMSZ25), PM2_NUM("DHOLD25", 32, b->t251.DHOLD25),
    PM2_NUM("XHOLD25", 32, b->t251.XHOLD25), PM2_NUM("FHOLD25", 32, b->t251.FHOLD25),
    PM2_NUM("T251FL", 32, b->t251.T251FL), PM2_NUM("CBANKS2", 16, b->t251.CBANKS2),
    PM2_RANGES("RCB25", 1, b->t251.RCB25), PM2_RANGES("IRO25", 1, b->t251.IRO25),
    PM2_RANGES("ERA25", 1, b->t251.ERA25), PM2_RANGES("XRA25", 1, b->t251.XRA25),
    PM2_RANGES("OCM251", 6, b->t251.OCM251[0]),
};

const FieldRow kTarget166Rows[] = {
    PM2_NUM("Model", 8, b->t166.MODEL), PM2_NUM("RTOS", 8, b->t166.RTOS),
    PM2_NUM("nHold", 16, b->t166.NHOLD), PM2_NUM("iHold", 16, b->t166.IHOLD),
    PM2_NUM("sHold", 16, b->t166.SHOLD), PM2_NUM("bHold", 16, b->t166.BHOLD),
    PM2_BITS("MOD167", 1, b->t166.flags.MOD167), PM2_BITS("MODV2", 1, b->t166.flags.MODV2),
    PM2_BITS("UseOnChipRom", 1, b->t166.flags.USEONCHIPROM),
    PM2_BITS("UseOnchipXCAN", 1, b->t166.flags.USEONCHIPXCAN),
    PM2_BITS("UseOnchipXRAM2", 1, b->t166.flags.USEONCHIPXRAM2),
    PM2_NUM("NearRam", 8, b->t166.NEARRAM), PM2_NUM("NearRom", 8, b->t166.NEARROM),
    PM2_LINE("ExtMem", WriteExtMem, ReadExtMem),
};

const FieldRow kTargetArmGnuRows[] = {
    PM2_NUM("GLFLAGS", 32, b->lst.GLFLAGS), PM2_STR("GCPUTYP", b->tGnu.GCPUTYP),
    PM2_BYTES("TFlagsA", 20, b->tGnu.TFLAGSA), PM2_RANGES("OCMARM", 6, b->tGnu.OCMARM[0]),
    PM2_RANGES("OCMARAM", 1, b->tGnu.OCMARAM), PM2_RANGES("OCMAROM", 1, b->tGnu.OCMAROM),
    PM2_RANGES("OCMXRAM", 1, b->tGnu.OCMXRAM),
};

const FieldRow kTargetArmAdsRows[] = {
    PM2_NUM("GLFLAGS", 32, b->lst.GLFLAGS), PM2_BYTES("ADSFLGA", 20, b->lst.ADSFLGA),
    PM2_STR("ACPUTYP", b->tAds.ACPUTYP), PM2_BYTES("ADSTFLGA", 20, b->tAds.ADSTFLGA),
    PM2_RANGES("OCMADSOCM", 6, b->tAds.OCMADSOCM[0]),
    PM2_RANGES("OCMADSIRAM", 1, b->tAds.OCMADSIRAM),
    PM2_RANGES("OCMADSIROM", 1, b->tAds.OCMADSIROM),
    PM2_RANGES("OCMADSXRAM", 1, b->tAds.OCMADSXRAM),
};

const FieldRow kCompiler51Rows[] = {
    PM2_NUM("Q51FL", 32, b->q51.Q51FL), PM2_NUM("Q51VA", 32, b->q51.Q51VA),
    PM2_STR("Q51MSC", b->q51.Q51MSC), PM2_STR("Q51DEF", b->q51.Q51DEF),
    PM2_STR("Q51UDF", b->q51.Q51UDF), PM2_STR("INCC5", b->q51.INCC5),
};

const FieldRow kCompiler251Rows[] = {
    PM2_NUM("Q251F1", 32, b->q251.Q251F1), PM2_NUM("Q251F2", 32, b->q251.Q251F2),
    PM2_STR("Q251MSC", b->q251.Q251MSC), PM2_STR("Q251DEF", b->q251.Q251DEF),
    PM2_STR("Q251UDF", b->q251.Q251UDF), PM2_STR("INCC2", b->q251.INCC2),
};

const FieldRow kCompiler166Rows[] = {
    PM2_NUM("Optimize", 8, b->q166.OPTIMIZE), PM2_NUM("SpeedSize", 8, b->q166.SPEEDSIZE),
    PM2_BITS("RegColor", 2, b->q166.flags.REGCOLOR), PM2_BITS("Static", 2, b->q166.flags.STATIC),
    PM2_NUM("WarningLev", 8, b->q166.WARNINGLEV), PM2_BITS("Alias", 2, b->q166.flags.ALIAS),
    PM2_BITS("Order", 2, b->q166.flags.ORDER),
    PM2_BITS("UnsignedChar", 2, b->q166.flags.UNSIGNEDCHAR),
    PM2_BITS("NoDppSave", 2, b->q166.flags.NODPPSAVE),
    PM2_BITS("Float64", 2, b->q166.flags.FLOAT64), PM2_BITS("SaveUsr", 2, b->q166.flags.SAVEUSR),
    PM2_BITS("Reorder", 2, b->q166.flags2.REORDER), PM2_STR("cMisc", b->q166.CMISC),
    PM2_STR("Define", b->q166.DEFINE), PM2_STR("Undefine", b->q166.UNDEFINE),
    PM2_STR("INCC6", b->q166.INCC6),
};

const FieldRow kCompilerYq166Rows[] = {
    PM2_BYTES("YQ166", 20, b->yq166.YQ166), PM2_STR("ECMISC", b->yq166.ECMISC),
    PM2_STR("ECDEFINE", b->yq166.ECDEFINE), PM2_STR("ECUNDEF", b->yq166.ECUNDEF),
    PM2_STR("ECINC", b->yq166.ECINC),
};

const FieldRow kCompilerArmGnuRows[] = {
    PM2_BYTES("ACCFLG", 20, b->cGnu.ACCFLG), PM2_STR("ACMISC", b->cGnu.ACMISC),
    PM2_STR("ACDEFN", b->cGnu.ACDEFN), PM2_STR("ACUDEF", b->cGnu.ACUDEF),
    PM2_STR("ACINCD", b->cGnu.ACINCD),
};

const FieldRow kCompilerArmAdsRows[] = {
    PM2_BYTES("ADSCCFLG", 20, b->cAds.ADSCCFLG), PM2_STR("ADSCMISC", b->cAds.ADSCMISC),
    PM2_STR("ADSCDEFN", b->cAds.ADSCDEFN), PM2_STR("ADSCUDEF", b->cAds.ADSCUDEF),
    PM2_STR("ADSCINCD", b->cAds.ADSCINCD),
};

const FieldRow kAsm51Rows[] = {
    PM2_NUM("WX51FL", 32, b->w51.WX51FL), PM2_STR("WX51MSC", b->w51.WX51MSC),
    PM2_STR("WX51SET", b->w51.WX51SET), PM2_STR("WX51RST", b->w51.WX51RST),
    PM2_STR("INCA5", b->w51.INCA5),
};

const FieldRow kAsm166Rows[] = {
    PM2_BITS("MPL", 2, b->w166.flags.MPL), PM2_BITS("CASE", 2, b->w166.flags.CASE),
    PM2_STR("aMisc", b->w166.AMISC), PM2_STR("aSet", b->w166.ASET),
    PM2_STR("aReset", b->w166.ARESET), PM2_STR("INCA6", b->w166.INCA6),
};

const FieldRow kAsmArmGnuRows[] = {
    PM2_BYTES("AASFLG", 20, b->aGnu.AASFLG), PM2_STR("AAMISC", b->aGnu.AAMISC),
    PM2_STR("AADEFN", b->aGnu.AADEFN), PM2_STR("AAUDEF", b->aGnu.AAUDEF),
    PM2_STR("AAINCD", b->aGnu.AAINCD),
};

const FieldRow kAsmArmAdsRows[] = {
    PM2_BYTES("ADSASFLG", 20, b->aAds.ADSASFLG), PM2_STR("ADSAMISC", b->aAds.ADSAMISC),
    PM2_STR("ADSADEFN", b->aAds.ADSADEFN), PM2_STR("ADSAUDEF", b->aAds.ADSAUDEF),
    PM2_STR("ADSAINCD", b->aAds.ADSAINCD),
};

const FieldRow kBuildPropRows[] = {
    PM2_BYTES("PropFld", 20, b->prop.PROPFLD), PM2_BITS("IncBld", 2, b->prop.flags.INCBLD),
    PM2_BITS("AlwaysBuild", 2, b->prop.flags.ALWAYSBUILD),
    PM2_BITS("GenAsm", 2, b->prop.flags.GENASM), PM2_BITS("AsmAsm", 2, b->prop.flags.ASMASM),
    PM2_BITS("PublicsOnly", 2, b->prop.flags.PUBLICSONLY),
    PM2_NUM("StopCode", 16, b->prop.STOPCODE), PM2_STR("CustArgs", b->prop.CUSTARGS),
    PM2_STR("LibMods", b->prop.LIBMODS),
    PM2_LINE("BankNo", WriteBankNo, ReadBankNo),  // 51 and 251 targets only
};

const FieldRow kLinker51Rows[] = {
    PM2_NUM("NX51FL", 32, b->n51.NX51FL), PM2_STR("NX51OVL", b->n51.NX51OVL),
    PM2_STR("NX51MSC", b->n51.NX51MSC), PM2_STR("NX51DWN", b->n51.NX51DWN),
    PM2_STR("NX51LFI", b->n51.NX51LFI), PM2_STR("NX51ASN", b->n51.NX51ASN),
    PM2_STR("NX51RES", b->n51.NX51RES), PM2_STR("NX51CCL", b->n51.NX51CCL),
    PM2_STR("NX51UCL", b->n51.NX51UCL), PM2_STR("NX51CSC", b->n51.NX51CSC),
    PM2_STR("NX51UCS", b->n51.NX51UCS), PM2_STR("NX51COB", b->n51.NX51COB),
    PM2_STR("NX51XDB", b->n51.NX51XDB), PM2_STR("NX51PDB", b->n51.NX51PDB),
    PM2_STR("NX51BIB", b->n51.NX51BIB), PM2_STR("NX51DAB", b->n51.NX51DAB),
    PM2_STR("NX51IDB", b->n51.NX51IDB), PM2_STR("NX51PRC", b->n51.NX51PRC),
    PM2_STR("NX51STK", b->n51.NX51STK), PM2_STR("NX51COS", b->n51.NX51COS),
    PM2_STR("NX51XDS", b->n51.NX51XDS), PM2_STR("NX51BIS", b->n51.NX51BIS),
    PM2_STR("NX51DAS", b->n51.NX51DAS), PM2_STR("NX51IDS", b->n51.NX51IDS),
};

const FieldRow kLinker166Rows[] = {
    PM2_BITS("useLinkFile", 1, b->n166.flags.USELINKFILE), PM2_STR("LnkFile", b->n166.LNKFILE),
    PM2_BITS("LinkOnly", 1, b->n166.flags.LINKONLY),
    PM2_BITS("UseTargSet", 1, b->n166.flags.USETARGSET),
    PM2_BITS("DppUse", 1, b->n166.flags.DPPUSE), PM2_NUM("nDataSel", 8, b->n166.NDATASEL),
    PM2_NUM("nConstSel", 8, b->n166.NCONSTSEL), PM2_STR("NearDataStr", b->n166.NEARDATASTR),
    PM2_STR("NearConstStr", b->n166.NEARCONSTSTR), PM2_STR("CinitTab", b->n166.CINITTAB),
    PM2_STR("IntVectAddr", b->n166.INTVECTADDR), PM2_NUM("lWarnLev", 8, b->n166.LWARNLEV),
    PM2_STR("lDisWarn", b->n166.LDISWARN), PM2_STR("lAssign", b->n166.LASSIGN),
    PM2_STR("lRegbank", b->n166.LREGBANK), PM2_STR("lReserve", b->n166.LRESERVE),
    PM2_STR("lMisc", b->n166.LMISC), PM2_STR("lClasses", b->n166.LCLASSES),
    PM2_STR("lSect", b->n166.LSECT),
};

const FieldRow kLinkerArmGnuRows[] = {
    PM2_BYTES("ALDFLAG", 20, b->lGnu.ALDFLAG), PM2_STR("ALDTADR", b->lGnu.ALDTADR),
    PM2_STR("ALDDADR", b->lGnu.ALDDADR), PM2_STR("ALDBSSR", b->lGnu.ALDBSSR),
    PM2_STR("ALDICLB", b->lGnu.ALDICLB), PM2_STR("ALDICDR", b->lGnu.ALDICDR),
    PM2_STR("ALDMISC", b->lGnu.ALDMISC), PM2_STR("ALDSCAT", b->lGnu.ALDSCAT),
};

const FieldRow kLinkerArmAdsRows[] = {
    PM2_BYTES("ADSLDFG", 20, b->lAds.ADSLDFG), PM2_STR("ADSLDTA", b->lAds.ADSLDTA),
    PM2_STR("ADSLDDA", b->lAds.ADSLDDA), PM2_STR("ADSLDSC", b->lAds.ADSLDSC),
    PM2_STR("ADSLDIB", b->lAds.ADSLDIB), PM2_STR("ADSLDIC", b->lAds.ADSLDIC),
    PM2_STR("ADSLDMC", b->lAds.ADSLDMC), PM2_STR("ADSLDIF", b->lAds.ADSLDIF),
};

const FieldRow kDebugRows[] = {
    PM2_LINE("OPTDL", WriteOptDlLine, ReadOptDlLine),
    PM2_LINE("OPTDBG", WriteOptDbgLine, ReadOptDbgLine),
};

const FieldRow kFlashRows[] = {
    PM2_BYTES("FLASH1", 20, b->flash.FLASH1), PM2_STR("FLASH2", b->flash.FLASH2),
    PM2_STR("FLASH3", b->flash.FLASH3),
};

#define PM2_FAMILY(name, rows) KeyFamily{name, rows, sizeof(rows) / sizeof(rows[0])}
const KeyFamily kFamilies[kFamCount] = {
    PM2_FAMILY("device", kDeviceRows),
    PM2_FAMILY("output", kOutputRows),
    PM2_FAMILY("user programs", kUserProgramRows),
    PM2_FAMILY("51 target", kTarget51Rows),
    PM2_FAMILY("251 target", kTarget251Rows),
    PM2_FAMILY("166 target", kTarget166Rows),
    PM2_FAMILY("ARM-GNU target", kTargetArmGnuRows),
    PM2_FAMILY("ARM-ADS target", kTargetArmAdsRows),
    PM2_FAMILY("Q51 compiler", kCompiler51Rows),
    PM2_FAMILY("Q251 compiler", kCompiler251Rows),
    PM2_FAMILY("Q166 compiler", kCompiler166Rows),
    PM2_FAMILY("YQ166 compiler", kCompilerYq166Rows),
    PM2_FAMILY("ARM-GNU compiler", kCompilerArmGnuRows),
    PM2_FAMILY("ARM-ADS compiler", kCompilerArmAdsRows),
    PM2_FAMILY("W51/WX51 assembler", kAsm51Rows),
    PM2_FAMILY("W166 assembler", kAsm166Rows),
    PM2_FAMILY("ARM-GNU assembler", kAsmArmGnuRows),
    PM2_FAMILY("ARM-ADS assembler", kAsmArmAdsRows),
    PM2_FAMILY("build properties", kBuildPropRows),
    PM2_FAMILY("NX51 linker", kLinker51Rows),
    PM2_FAMILY("N166 linker", kLinker166Rows),
    PM2_FAMILY("ARM-GNU linker", kLinkerArmGnuRows),
    PM2_FAMILY("ARM-ADS linker", kLinkerArmAdsRows),
    PM2_FAMILY("debug", kDebugRows),
    PM2_FAMILY("flash", kFlashRows),
};

// Per toolset: target sub-record, compiler, second compiler (or -1),
// assembler, linker.
struct ToolsetFamilies {
  int target, compiler, compiler2, assembler, linker;
};
const ToolsetFamilies kToolsetFamilies[kToolsetCount] = {
    {kFamTarget51, kFamCompiler51, -1, kFamAsm51, kFamLinker51},
    {kFamTarget251, kFamCompiler251, -1, kFamAsm51, kFamLinker51},
    {kFamTarget166, kFamCompiler166, kFamCompilerYq166, kFamAsm166, kFamLinker166},
    {kFamTargetArmGnu, kFamCompilerArmGnu, -1, kFamAsmArmGnu, kFamLinkerArmGnu},
    {kFamTargetArmAds, kFamCompilerArmAds, -1, kFamAsmArmAds, kFamLinkerArmAds},
};

std::string UpperKey(const char* key) {
  std::string s(key);
  for (char& ch : s) {
    if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
  }
  return s;
}

}  // namespace

const KeyFamily& GetKeyFamily(int family) { return kFamilies[family]; }

std::vector<int> BlockFamilies(int nodeKind, uint16_t toolset, uint8_t fileType) {
  std::vector<int> list;
  if (toolset >= kToolsetCount) return list;
  const ToolsetFamilies& f = kToolsetFamilies[toolset];
  if (nodeKind == kKindTarget) {
    list = {kFamDevice, kFamOutput, kFamUserPrograms, f.target, f.compiler};
    if (f.compiler2 >= 0) list.push_back(f.compiler2);
    list.insert(list.end(), {f.assembler, kFamBuildProps, f.linker, kFamDebug, kFamFlash});
  } else if (nodeKind == kKindGroup) {
    list = {kFamBuildProps, f.compiler};
    if (f.compiler2 >= 0) list.push_back(f.compiler2);
    list.push_back(f.assembler);
  } else {
    list = {kFamBuildProps};
    if (fileType == kFileC) list.push_back(f.compiler);
    if (fileType == kFileAsm) list.push_back(f.assembler);
    if (fileType == kFileCpp && toolset == kToolset166) list.push_back(f.compiler2);
  }
  return list;
}

const FieldRow* FindFieldRow(std::string_view upperKey) {
  static const std::unordered_map<std::string, const FieldRow*> byKey = [] {
    std::unordered_map<std::string, const FieldRow*> m;
    for (const KeyFamily& fam : kFamilies) {
      for (std::size_t i = 0; i < fam.count; ++i) m.emplace(UpperKey(fam.rows[i].key), &fam.rows[i]);
    }
    return m;
  }();
  auto it = byKey.find(std::string(upperKey));
  return it == byKey.end() ? nullptr : it->second;
}

void WriteFieldRow(ProjectLineWriter& w, KeyContext& c, const FieldRow& row) {
  switch (row.kind) {
    case FieldKind::kNumber:
      // Signed decimal, as a 32-bit value reads back.
      w.NumberLine(row.key, row.width == 32 ? int64_t(int32_t(row.get(c))) : int64_t(row.get(c)));
      break;
    case FieldKind::kBits:
      w.NumberLine(row.key, row.get(c));
      break;
    case FieldKind::kString:
      w.StringLine(row.key, row.str(c)->view());
      break;
    case FieldKind::kBytes: {
      uint8_t bytes[64];
      row.load(c, bytes);
      w.BytesLine(row.key, bytes, row.width);
      break;
    }
    case FieldKind::kLine:
      row.write(w, c);
      break;
  }
}

std::string ReadFieldRow(ProjectLineReader& r, KeyContext& c, const FieldRow& row) {
  switch (row.kind) {
    case FieldKind::kNumber:
    case FieldKind::kBits: {
      const int32_t n = r.Number();
      if (!r.LastNumberValid() || !r.AtLineEnd()) return "the value of '" + std::string(row.key) + "' is no number";
      // A field narrower than 32 bits was written as a value it holds; a
      // full one may have been written signed.
      const bool fits = !r.LastNumberOverflowed() &&
                        (row.width >= 32 || (n >= 0 && uint32_t(n) < (1u << row.width)));
      if (!fits) return "the value of '" + std::string(row.key) + "' does not fit its field";
      row.set(c, uint32_t(n));
      break;
    }
    case FieldKind::kString:
      *row.str(c) = r.String(c.pool);
      break;
    case FieldKind::kBytes: {
      uint8_t bytes[64];
      row.load(c, bytes);
      r.ByteList(bytes, row.width);
      row.store(c, bytes);
      break;
    }
    case FieldKind::kLine:
      row.read(r, c);
      break;
  }
  return std::string();
}

void WriteOptionKeyLines(ProjectLineWriter& w, TargetRec* target, OptionBlock* block,
                         int nodeKind, uint8_t fileType) {
  KeyContext c{target, block, kPoolProject};
  for (int fam : BlockFamilies(nodeKind, target->toolset, fileType)) {
    const KeyFamily& f = kFamilies[fam];
    for (std::size_t i = 0; i < f.count; ++i) WriteFieldRow(w, c, f.rows[i]);
  }
}

bool ReadTargetOptionLines(ProjectLineReader& r, TargetRec* target, OptionBlock* block,
                           int pool, std::string* error, int* cpuLine) {
  OptionBlock& b = *block;
  for (OptString* s : {&b.q166.INCC6, &b.w166.INCA6, &b.q51.INCC5, &b.w51.INCA5, &b.q251.INCC2,
                       &b.yq166.ECINC, &b.cGnu.ACINCD, &b.aGnu.AAINCD, &b.cAds.ADSCINCD,
                       &b.aAds.ADSAINCD, &b.out.BRUNUSR[0], &b.out.BRUNUSR[1]}) {
    *s = OptString();
  }
  KeyContext c{target, block, pool};
  // A key that fills one field stands once in a block: a second would
  // silently take the place of the first, and a file that says two things
  // of one option says nothing sure of it.
  std::vector<std::pair<const FieldRow*, int>> seen;
  while (r.NextLine()) {
    if (r.Key() == "ENDOPT") return true;
    // A record line ends the file's part of the options: a block that runs
    // into one lost its "EndOpt", and reading on would give this target
    // the next one's options.
    for (const char* record : {"TARGET", "GROUP", "FILE", "OPTIONS"})
      if (r.Key() == record) {
        if (error) *error = "a record line inside an options block, whose 'EndOpt' is missing";
        return false;
      }
    const FieldRow* row = FindFieldRow(r.Key());
    // Skipped, the key's default would build something else than the
    // project says (an output folder, a hex file).
    if (!row) {
      // Keys of the file that fill no field ("PRJNAME", ...) are older
      // programs' and stay skipped.
      if (LookupProjectKey(r.Key(), 0)) continue;
      if (error) *error = "unknown key '" + r.Key() + "' in the options";
      return false;
    }
    if (row->kind != FieldKind::kLine) {
      for (const auto& [earlier, line] : seen)
        if (earlier == row) {
          if (error)
            *error = "the key '" + std::string(row->key) + "' stands a second time in one options block (first at line " +
                     std::to_string(line) + ")";
          return false;
        }
      seen.emplace_back(row, r.LineNumber());
    }
    if (cpuLine && row->kind == FieldKind::kString && std::string_view(row->key) == "Cpu") *cpuLine = r.LineNumber();
    std::string why = ReadFieldRow(r, c, *row);
    if (!why.empty()) {
      if (error) *error = why;
      return false;
    }
  }
  return false;
}

void WriteOptDlLine(ProjectLineWriter& w, KeyContext& c) {
  const OptString* s = c.t->OPTDL;
  w.Linef("  OPTDL (%s)(%s)(%s)(%s)(%s)(%s)(%s)(%s)", s[0].c_str(), s[1].c_str(), s[2].c_str(),
          s[3].c_str(), s[4].c_str(), s[5].c_str(), s[6].c_str(), s[7].c_str());
}

void ReadOptDlLine(ProjectLineReader& r, KeyContext& c) {
  for (OptString& s : c.t->OPTDL) s = r.String(c.pool);
}

void WriteOptDbgLine(ProjectLineWriter& w, KeyContext& c) {
  const DebugOpts& d = c.b->dbg;
  std::string line = "  OPTDBG " + std::to_string(int32_t(d.flags)) + "," +
                     std::to_string(int32_t(d.word2)) + ",";
  // The ten texts in DebugText order: the simulator's side, then the target's.
  for (const OptString& s : d.str) line += "(" + s.str() + ")";
  line += " (" + d.str11.str() + ")()()()";
  w.Line(line);
}

void ReadOptDbgLine(ProjectLineReader& r, KeyContext& c) {
  DebugOpts& d = c.b->dbg;
  d.flags = uint32_t(r.NumberComma());
  d.word2 = uint32_t(r.NumberComma());
  for (OptString& s : d.str) s = r.String(c.pool);
  d.str11 = r.String(c.pool);
}

}  // namespace pm2
