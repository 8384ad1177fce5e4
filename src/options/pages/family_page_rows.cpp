// The rows of the compiler, assembler and linker pages of the 51, 251 and
// 166 families: each control's field, bits, list, limit and check.
#include <QCheckBox>
#include <QComboBox>

#include "builder/commands/n51_linker.h"
#include "options/core/compiler_texts.h"
#include "options/core/family_entries.h"
#include "options/core/tri_state.h"
#include "options/pages/family_tool_page.h"
#include "project/model/option_defaults.h"

namespace pm2 {

namespace {

using K = FamilyKind;
using C = FamilyCheck;
using L = FamilyLevel;

#define PM2_WORD(expr)                                                   \
  [](const OptionBlock& b) -> uint32_t { return uint32_t(b.expr); },     \
  [](OptionBlock& b, uint32_t w) { b.expr = decltype(b.expr)(w); }
#define PM2_FLAGS(expr)                                             \
  [](const OptionBlock& b) -> uint32_t { return FlagWord(b.expr); }, \
  [](OptionBlock& b, uint32_t w) { SetFlagWord(b.expr, w); }
#define PM2_TEXT(expr) [](OptionBlock& b) -> OptString& { return b.expr; }

// A control on width bits of a word of the block, from shift up.
FamilyControl Bits(K kind, const char* label, uint32_t (*get)(const OptionBlock&),
                   void (*set)(OptionBlock&, uint32_t), int shift, int width, bool (*enabled)(const OptionBlock&)) {
  FamilyControl c;
  c.kind = kind;
  c.label = label;
  c.get = get;
  c.set = set;
  c.shift = shift;
  c.width = width;
  c.enabled = enabled;
  return c;
}

FamilyControl Box(const char* label, uint32_t (*get)(const OptionBlock&), void (*set)(OptionBlock&, uint32_t),
                  int shift, L level = L::kAny) {
  FamilyControl c = Bits(K::kBox, label, get, set, shift, FamilyControl().width, nullptr);
  c.level = level;
  return c;
}

FamilyControl Flag(const char* label, uint32_t (*get)(const OptionBlock&), void (*set)(OptionBlock&, uint32_t),
                   int bit, bool (*enabled)(const OptionBlock&) = nullptr) {
  return Bits(K::kFlag, label, get, set, bit, 1, enabled);
}

FamilyControl List(const char* label, uint32_t (*get)(const OptionBlock&), void (*set)(OptionBlock&, uint32_t),
                   int shift, int width, std::vector<const char*> entries, int targetInherit,
                   bool (*enabled)(const OptionBlock&) = nullptr) {
  FamilyControl c = Bits(K::kList, label, get, set, shift, width, enabled);
  c.entries = std::move(entries);
  c.targetInherit = targetInherit;
  return c;
}

FamilyControl Text(const char* label, OptString& (*field)(OptionBlock&), int limit, C check = C::kNone,
                   bool (*enabled)(const OptionBlock&) = nullptr) {
  FamilyControl c;
  c.kind = K::kText;
  c.label = label;
  c.text = field;
  c.limit = limit;
  c.check = check;
  c.enabled = enabled;
  return c;
}

FamilyControl NodeOnly(FamilyControl c) {
  c.level = L::kNodeOnly;
  return c;
}
FamilyControl Untrimmed(FamilyControl c) {
  c.trim = false;
  return c;
}
FamilyControl Folders(FamilyControl c, const char* title) {
  c.folders = title;
  return c;
}
FamilyControl MultiLine(FamilyControl c) {
  c.multiLine = true;
  return c;
}

FamilyControl Shown(const char* label, OptString& (*field)(OptionBlock&) = nullptr) {
  FamilyControl c;
  c.kind = K::kShown;
  c.label = label;
  c.text = field;
  return c;
}

constexpr const char* kCompilerFolders = "Setup Compiler Include Paths:";
constexpr const char* kAsmFolders = "Setup Assembler Include Paths:";

// The compiler and assembler pages' four texts.
std::vector<FamilyControl> CompilerTexts(OptString& (*def)(OptionBlock&), OptString& (*undef)(OptionBlock&),
                                         OptString& (*inc)(OptionBlock&), OptString& (*misc)(OptionBlock&),
                                         int limit) {
  return {Text("&Define:", def, limit, C::kDefine), NodeOnly(Text("&Undefine:", undef, limit, C::kUndefine)),
          Folders(Text("&Include Paths:", inc, kIncludePathsLimit), kCompilerFolders),
          Untrimmed(Text("&Misc Controls:", misc, limit))};
}

template <class T>
std::vector<T> Joined(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<const char*> kLevels0to7 = {"0: Constant folding", "1: Dead code elimination",
                                              "2: Data overlaying",  "3: Peephole optimization",
                                              "4: Register variables", "5: Common subexpression elimination",
                                              "6: Loop rotation",    "7: Extended Index Access Optimizing",
                                              "<default>"};
const std::vector<const char*> kQ51Levels = {
    " 0: Constant folding", " 1: Dead code elimination", " 2: Data overlaying", " 3: Peephole optimization",
    " 4: Register variables", " 5: Common subexpression elimination", " 6: Loop rotation",
    " 7: Extended Index Access Optimizing", " 8: Reuse Common Entry Code", " 9: Common Block Subroutines",
    "<default>", "10: Rearrange Code to maximize Common Blocks", "11: Reuse Common Exit Code"};
const std::vector<const char*> kEmphasis = {"Favor size", "Favor speed", "<default>"};
const std::vector<const char*> kWarnings = {"Warninglevel 0", "Warninglevel 1", "Warninglevel 2",
                                            "Warninglevel 3", "<default>"};
const std::vector<const char*> kFuzzy = {"0", "1", "2", "3", "4", "5", "6", "7", "default"};

// ---------------------------------------------------------------- 51 compiler
constexpr int kQ51Level = 0, kQ51Packing = 10, kQ51LevelDefault = 10;

bool ExtendedTools(const OptionBlock& target) { return (target.t51.T51FL & (0x8000u | 0x20000u | 0x1000000u)) != 0; }

// The levels above 10 exist only with the extended tools' code packing.
int Q51LevelRows(const FamilyToolPage& page) {
  const OptionBlock& target = page.TargetBlock();
  if (!ExtendedTools(target)) return 11;
  if (!page.AtNode()) return GetBitField(page.Copy().q51.Q51FL, 26, 2) == 1 ? 13 : 11;
  return GetBitField(page.StoredTargetBlock().q51.Q51FL, 26, 2) != 0 ? 13 : 11;
}

void Q51Changed(FamilyToolPage& page, int control) {
  if (control == kQ51Packing) {
    uint32_t& word = page.Copy().q51.Q51FL;
    if (GetBitField(word, 26, 2) == 0 && GetBitField(word, 14, 4) > 10) word = SetBitField(word, 14, 4, 10);
  } else if (control >= 0) {
    return;
  }
  const int rows = Q51LevelRows(page);
  page.FillList(kQ51Level, rows);
  auto* combo = static_cast<QComboBox*>(page.Control(kQ51Level));
  if (combo->currentIndex() < 0) {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(kQ51LevelDefault);
  }
}

FamilyControl PackingBox(uint32_t (*get)(const OptionBlock&), void (*set)(OptionBlock&, uint32_t)) {
  FamilyControl c = Box("Linker Code Packing (max. AJMP / ACALL)", get, set, 26, L::kTargetOnly);
  c.enabled = ExtendedTools;
  return c;
}

uint32_t& Q51Vector(OptionBlock& b) { return b.q51.Q51VA; }

FamilyControl VectorEdit() {
  FamilyControl c;
  c.kind = K::kNumber;
  c.label = "Interrupt vector &address:";
  c.number = Q51Vector;
  c.numberMax = 65535;
  c.numberMessage = "Invalid Interrupt Vector Address !";
  c.limit = 8;
  c.level = L::kTargetOnly;
  return c;
}

#define Q51 PM2_WORD(q51.Q51FL)
const std::vector<FamilyControl> kQ51Controls = Joined<FamilyControl>(
    {List("Code Optimization &Level:", Q51, 14, 4, kQ51Levels, 10),
     List("&Emphasis:", Q51, 22, 2, kEmphasis, 2),
     List("&Warnings:", Q51, 18, 4, {"Warninglevel 0 (off)", "Warninglevel 1", "Warninglevel 2", "<default>"}, 3),
     List("Bits to &round for float compare:", Q51, 10, 4, kFuzzy, -1),
     Box("Global Register Coloring", Q51, 0, L::kTargetOnly),
     Box("Don't use absolute register accesses", Q51, 6),
     Box("Keep variables in order", Q51, 2),
     Box("Enable ANSI integer promotion rules", Q51, 4),
     Box("Interrupt vectors at address", Q51, 8, L::kTargetOnly),
     VectorEdit(),
     PackingBox(Q51)},
    CompilerTexts(PM2_TEXT(q51.Q51DEF), PM2_TEXT(q51.Q51UDF), PM2_TEXT(q51.INCC5), PM2_TEXT(q51.Q51MSC),
                  CompilerTextLimit(kToolset51)));
#undef Q51

// ---------------------------------------------------------------- 251 compiler
#define Q251 PM2_WORD(q251.Q251F1)
const std::vector<FamilyControl> kQ251Controls = Joined<FamilyControl>(
    {List("Code Optimization &Level:", Q251, 16, 4, kLevels0to7, 8),
     List("&Emphasis:", Q251, 24, 2, kEmphasis, 2),
     List("&Warnings:", Q251, 20, 4, kWarnings, 4),
     List("Bits to &round for float compare:", Q251, 12, 4, kFuzzy, -1),
     Box("Global Register Coloring", Q251, 0, L::kTargetOnly),
     Box("Keep variables in order", Q251, 2),
     Box("Alias checking on pointer accesses", Q251, 4),
     Box("Generate reentrant functions", Q251, 6),
     Box("Plain char is unsigned char", Q251, 8),
     Box("Use double-precision floating point", Q251, 10)},
    CompilerTexts(PM2_TEXT(q251.Q251DEF), PM2_TEXT(q251.Q251UDF), PM2_TEXT(q251.INCC2), PM2_TEXT(q251.Q251MSC),
                  CompilerTextLimit(kToolset251)));
#undef Q251

// ---------------------------------------------------------------- 166 compilers
#define Q166 PM2_FLAGS(q166.flags)
const std::vector<FamilyControl> kQ166Controls = Joined<FamilyControl>(
    {List("Code Optimization &Level:", PM2_WORD(q166.OPTIMIZE), 0, 8, kLevels0to7, 8),
     List("&Emphasis:", PM2_WORD(q166.SPEEDSIZE), 0, 8, kEmphasis, 2),
     List("&Warnings:", PM2_WORD(q166.WARNINGLEV), 0, 8, kWarnings, 4),
     Box("Global Register Coloring", Q166, 0, L::kTargetOnly),
     Box("Automatic variables in static memory", Q166, 2),
     Box("Alias checking on pointer accesses", Q166, 4),
     Box("Keep variables in order", Q166, 6),
     Box("Plain char is unsigned char", Q166, 8),
     Box("Save DPP on interrupt entry", Q166, 10),
     Box("Use 64-bit floating point", Q166, 12),
     Box("Temporaries on the user stack", Q166, 14),
     Box("Rearrange instructions", PM2_FLAGS(q166.flags2), 0)},
    CompilerTexts(PM2_TEXT(q166.DEFINE), PM2_TEXT(q166.UNDEFINE), PM2_TEXT(q166.INCC6), PM2_TEXT(q166.CMISC),
                  CompilerTextLimit(kToolset166)));
#undef Q166

const std::vector<FamilyControl> kYq166Controls = CompilerTexts(
    PM2_TEXT(yq166.ECDEFINE), PM2_TEXT(yq166.ECUNDEF), PM2_TEXT(yq166.ECINC), PM2_TEXT(yq166.ECMISC), 128);

// ---------------------------------------------------------------- assemblers
std::vector<FamilyControl> AsmTexts(OptString& (*set)(OptionBlock&), OptString& (*reset)(OptionBlock&),
                                    OptString& (*inc)(OptionBlock&), OptString& (*misc)(OptionBlock&),
                                    bool resetAtTarget) {
  FamilyControl r = Text("&Reset:", reset, 128, C::kReset);
  if (!resetAtTarget) r.level = L::kNodeOnly;
  return {Text("&Set:", set, 128, C::kSet), r, Folders(Text("&Include Paths:", inc, kIncludePathsLimit), kAsmFolders),
          Untrimmed(Text("&Misc Controls:", misc, 128))};
}

#define WX51 PM2_WORD(w51.WX51FL)
FamilyControl SfrBox() {
  FamilyControl c = Box("Define 8051 SFR Names", WX51, 6);
  c.inverted = true;
  c.enabled = [](const OptionBlock& target) { return (target.t51.T51FL & (0x1000u | 0x10000u)) == 0; };
  c.enabledByTarget = true;
  return c;
}
const std::vector<FamilyControl> kW51Controls = Joined<FamilyControl>(
    {Box("Macro processor: Standard", WX51, 2), Box("Macro processor: MPL", WX51, 0), SfrBox()},
    AsmTexts(PM2_TEXT(w51.WX51SET), PM2_TEXT(w51.WX51RST), PM2_TEXT(w51.INCA5), PM2_TEXT(w51.WX51MSC), false));
const std::vector<FamilyControl> kW251Controls = Joined<FamilyControl>(
    {Box("Macro processor: Standard", WX51, 2), Box("Macro processor: MPL", WX51, 0),
     Box("Case sensitive symbols", WX51, 4)},
    AsmTexts(PM2_TEXT(w51.WX51SET), PM2_TEXT(w51.WX51RST), PM2_TEXT(w51.INCA5), PM2_TEXT(w51.WX51MSC), false));
#undef WX51
const std::vector<FamilyControl> kW166Controls = Joined<FamilyControl>(
    {Box("Macro processing language MPL", PM2_FLAGS(w166.flags), 0),
     Box("Case sensitive symbols", PM2_FLAGS(w166.flags), 2)},
    AsmTexts(PM2_TEXT(w166.ASET), PM2_TEXT(w166.ARESET), PM2_TEXT(w166.INCA6), PM2_TEXT(w166.AMISC), true));

// ---------------------------------------------------------------- 51 and 251 linkers
#define NX51 PM2_WORD(n51.NX51FL)
bool NoLinkFile(const OptionBlock& b) { return (b.n51.NX51FL & 1) == 0; }
bool OwnRanges(const OptionBlock& b) { return (b.n51.NX51FL & 5) == 0; }

constexpr int kUseTargetLayout = 0, kCodeRange = 1, kXdataRange = 2;

void ShowMergedRanges(FamilyToolPage& page) {
  std::string code, xdata;
  FormatMergedRanges(code, xdata, page.Copy());
  page.SetTextQuietly(kCodeRange, code);
  page.SetTextQuietly(kXdataRange, xdata);
}

// The memory layout from the target page fills the two range edits.
void LocateChanged(FamilyToolPage& page, int control) {
  if ((control == kUseTargetLayout || control < 0) && (page.Copy().n51.NX51FL & 4)) ShowMergedRanges(page);
}

void LocateDefaults(OptionBlock& b, const TargetRec*, int) {
  Linker51Opts& l = b.n51;
  l.NX51FL |= 4;
  for (OptString* s : {&l.NX51RES, &l.NX51CCL, &l.NX51UCL, &l.NX51CSC, &l.NX51UCS, &l.NX51COB, &l.NX51XDB,
                       &l.NX51PDB, &l.NX51BIB, &l.NX51DAB, &l.NX51IDB, &l.NX51PRC, &l.NX51STK, &l.NX51COS,
                       &l.NX51XDS, &l.NX51BIS, &l.NX51DAS, &l.NX51IDS})
    *s = OptString();
}

const std::vector<FamilyControl> kNB51LocateControls = {
    Flag("Use Memory Layout from Target Dialog", NX51, 2, NoLinkFile),
    Text("&Code Range:", PM2_TEXT(n51.NX51COB), 254, C::kNone, OwnRanges),
    Text("&Xdata Range:", PM2_TEXT(n51.NX51XDB), 254, C::kNone, OwnRanges),
    Text("C&ode:", PM2_TEXT(n51.NX51COS), 24584, C::kNone, NoLinkFile),
    Text("Xdat&a:", PM2_TEXT(n51.NX51XDS), 24584, C::kNone, NoLinkFile),
    Text("&Pdata:", PM2_TEXT(n51.NX51PDB), 14, C::kNone, NoLinkFile),
    Text("Pr&ecede:", PM2_TEXT(n51.NX51PRC), 8190, C::kNone, NoLinkFile),
    Text("&Bit:", PM2_TEXT(n51.NX51BIB), 14, C::kNone, NoLinkFile),
    Text("Bit segments:", PM2_TEXT(n51.NX51BIS), 24584, C::kNone, NoLinkFile),
    Text("&Data:", PM2_TEXT(n51.NX51DAB), 14, C::kNone, NoLinkFile),
    Text("Data segments:", PM2_TEXT(n51.NX51DAS), 24584, C::kNone, NoLinkFile),
    Text("&Idata:", PM2_TEXT(n51.NX51IDB), 14, C::kNone, NoLinkFile),
    Text("Idata segments:", PM2_TEXT(n51.NX51IDS), 24584, C::kNone, NoLinkFile),
    Text("&Stack:", PM2_TEXT(n51.NX51STK), 8190, C::kNone, NoLinkFile),
};

constexpr int kClassesShown = 4;
const std::vector<FamilyControl> kNX51LocateControls = {
    Flag("Use Memory Layout from Target Dialog", NX51, 2, NoLinkFile),
    Text("&Reserve:", PM2_TEXT(n51.NX51RES), 8190, C::kNone, NoLinkFile),
    Text("User &Classes:", PM2_TEXT(n51.NX51UCL), 24584, C::kNone, NoLinkFile),
    Text("User &Sections:", PM2_TEXT(n51.NX51UCS), 24584, C::kNone, NoLinkFile),
    Shown("Classes:"),
    Shown("C Sections:", PM2_TEXT(n51.NX51CSC)),
};

void ShowMarkedClasses(FamilyToolPage& page, int shown) {
  auto* edit = static_cast<QPlainTextEdit*>(page.Control(shown));
  const QSignalBlocker block(edit);
  edit->setPlainText(QString::fromLocal8Bit(page.MarkedPreviewPart().c_str()));
}

void MiscDefaults(OptionBlock& b, const TargetRec*, int) {
  Linker51Opts& l = b.n51;
  l.NX51FL = (l.NX51FL & ~(0x1u | 0x2u | 0x8u | 0x10u | 0x40u | 0x80u)) | 0x20u | 0x100u;
  for (OptString* s : {&l.NX51OVL, &l.NX51MSC, &l.NX51DWN, &l.NX51LFI, &l.NX51ASN}) *s = OptString();
}

FamilyControl LinkFile(uint32_t (*get)(const OptionBlock&), void (*set)(OptionBlock&, uint32_t),
                       OptString& (*name)(OptionBlock&)) {
  FamilyControl c;
  c.kind = K::kLinkFile;
  c.label = "use linker control file";
  c.get = get;
  c.set = set;
  c.shift = 0;
  c.width = 1;
  c.text = name;
  return c;
}

const std::vector<FamilyControl> kNB51MiscControls = {
    Text("Disable &Warning Numbers:", PM2_TEXT(n51.NX51DWN), 254, C::kWarnings, NoLinkFile),
    LinkFile(NX51, PM2_TEXT(n51.NX51LFI)),
    MultiLine(Text("&Overlay:", PM2_TEXT(n51.NX51OVL), 24584, C::kNone, NoLinkFile)),
    Text("&Misc Controls:", PM2_TEXT(n51.NX51MSC), 2046, C::kNone, NoLinkFile),
};
const std::vector<FamilyControl> kNX51MiscControls = {
    List("Warning &Level:", NX51, 4, 4, {"Level 0", "Level 1", "Level 2"}, -1, NoLinkFile),
    Flag("Create relocatable output file only", NX51, 1, NoLinkFile),
    Flag("Case sensitive symbols", NX51, 3, NoLinkFile),
    Text("Disable &Warning Numbers:", PM2_TEXT(n51.NX51DWN), 254, C::kWarnings, NoLinkFile),
    LinkFile(NX51, PM2_TEXT(n51.NX51LFI)),
    MultiLine(Text("&Overlay:", PM2_TEXT(n51.NX51OVL), 24584, C::kNone, NoLinkFile)),
    Text("&Assign:", PM2_TEXT(n51.NX51ASN), 2046, C::kNone, NoLinkFile),
    Text("&Misc Controls:", PM2_TEXT(n51.NX51MSC), 2046, C::kNone, NoLinkFile),
};
#undef NX51

// ---------------------------------------------------------------- 166 linker
#define N166 PM2_FLAGS(n166.flags)
bool No166LinkFile(const OptionBlock& b) { return !b.n166.flags.USELINKFILE; }
bool Own166Layout(const OptionBlock& b) { return No166LinkFile(b) && !b.n166.flags.USETARGSET; }
bool OwnDpps(const OptionBlock& b) { return Own166Layout(b) && b.n166.flags.DPPUSE; }

const std::vector<const char*> kDpps = {"DPP0", "DPP1", "DPP2", "DPP3", "none"};
constexpr int kNearDataSel = 2, kNearData = 3, kNearConstSel = 4, kNearConst = 5, kInitTable = 6,
              kClasses166 = 7;

std::string RangeText(uint32_t low, uint32_t high) {
  char text[40];
  std::snprintf(text, sizeof text, "0x%06X - 0x%06X", unsigned(low), unsigned(high));
  return text;
}

// The computed DPP ranges and initialisation table, and the generated
// classes, as the builder left them in the copy.
void Locate166Previewed(FamilyToolPage& page) {
  const Linker166Opts& l = page.Copy().n166;
  static_cast<QCheckBox*>(page.Control(1))->blockSignals(true);
  static_cast<QCheckBox*>(page.Control(1))->setChecked(l.flags.DPPUSE);
  static_cast<QCheckBox*>(page.Control(1))->blockSignals(false);
  if (l.flags.DPPUSE && l.flags.USETARGSET) {
    page.SetTextQuietly(kNearData, RangeText(l.lnkWords1[0], l.lnkWords1[1]));
    page.SetTextQuietly(kNearConst, RangeText(l.lnkWords1[2], l.lnkWords1[3]));
    for (int list : {kNearDataSel, kNearConstSel}) page.FillList(list, 5);
  }
  if (l.flags.USETARGSET && (l.lnkWords2[0] || l.lnkWords2[1]))
    page.SetTextQuietly(kInitTable, RangeText(l.lnkWords2[0], l.lnkWords2[1]));
  ShowMarkedClasses(page, kClasses166);
}

void Locate166Changed(FamilyToolPage& page, int control) {
  if (control == kInitTable) {
    // The table's range as typed, or none while it is not a range.
    uint32_t low = 0, high = 0;
    if (!ReadAddressRange(page.TextOf(kInitTable), &low, &high)) low = high = 0;
    page.Copy().n166.lnkWords2[0] = low;
    page.Copy().n166.lnkWords2[1] = high;
    return;
  }
  if (control >= 0) return;
  // An initialisation table of 0 to 0 is shown empty.
  uint32_t low = 0, high = 0;
  if (ReadAddressRange(page.TextOf(kInitTable), &low, &high) && low == 0 && high == 0)
    page.SetTextQuietly(kInitTable, "");
}

const std::vector<FamilyControl> kN166LocateControls = {
    Flag("Use Memory Layout from Target Dialog", N166, 2, No166LinkFile),
    Flag("Assign DPP registers (DPPUSE)", N166, 3, Own166Layout),
    List("Near &Data DPP:", PM2_WORD(n166.NDATASEL), 0, 8, kDpps, -1, OwnDpps),
    Text("Near Data &Range:", PM2_TEXT(n166.NEARDATASTR), 30, C::kNearRange, OwnDpps),
    List("Near &Const DPP:", PM2_WORD(n166.NCONSTSEL), 0, 8, kDpps, -1, OwnDpps),
    Text("Near Const R&ange:", PM2_TEXT(n166.NEARCONSTSTR), 30, C::kNearRange, OwnDpps),
    Text("C &Init Table Range:", PM2_TEXT(n166.CINITTAB), 30, C::kInitRange, Own166Layout),
    Shown("Classes:"),
    MultiLine(Text("User C&lasses:", PM2_TEXT(n166.LCLASSES), 65534, C::kNone, No166LinkFile)),
    MultiLine(Text("User &Sections:", PM2_TEXT(n166.LSECT), 65534, C::kNone, No166LinkFile)),
};

const std::vector<FamilyControl> kN166MiscControls = {
    LinkFile(N166, PM2_TEXT(n166.LNKFILE)),
    Flag("Link only (LINKONLY)", N166, 1, No166LinkFile),
    Text("Interrupt &Vector Table Address:", PM2_TEXT(n166.INTVECTADDR), 18, C::kAnyNumber, No166LinkFile),
    List("Warning &Level:", PM2_WORD(n166.LWARNLEV), 0, 8, {"Level 0", "Level 1", "Level 2"}, -1, No166LinkFile),
    Text("Disable &Warning Numbers:", PM2_TEXT(n166.LDISWARN), 254, C::kWarnings, No166LinkFile),
    Text("&Assign:", PM2_TEXT(n166.LASSIGN), 2046, C::kNone, No166LinkFile),
    Text("Register &Banks:", PM2_TEXT(n166.LREGBANK), 2046, C::kNone, No166LinkFile),
    Text("&Reserve:", PM2_TEXT(n166.LRESERVE), 2046, C::kNone, No166LinkFile),
    MultiLine(Text("&Misc Controls:", PM2_TEXT(n166.LMISC), 2046, C::kNone, No166LinkFile)),
};
#undef N166

void WriteBack166Linker(OptionBlock& e, const OptionBlock& p) {
  e.n166 = p.n166;
  // The computed near ranges are the builder's to fill on every build.
  for (uint32_t& w : e.n166.lnkWords1) w = 0;
}

const FamilyPageRow kRows[] = {
    {PageId::kCompiler51, kQ51Controls, [](OptionBlock& e, const OptionBlock& p) { e.q51 = p.q51; },
     [](OptionBlock& b, const TargetRec* t, int level) { InitCompiler51Opts(b.q51, t, level); }, false,
     [](OptionBlock& copy, const OptionBlock& target, bool node) {
       copy.q51.Q51VA = target.q51.Q51VA;
       if (node) copy.q51.Q51FL = SetBitField(copy.q51.Q51FL, 26, 2, 2);
     },
     Q51Changed},
    {PageId::kCompiler251, kQ251Controls, [](OptionBlock& e, const OptionBlock& p) { e.q251 = p.q251; },
     [](OptionBlock& b, const TargetRec* t, int level) { InitCompiler251Opts(b.q251, t, level); }},
    {PageId::kCompiler166, kQ166Controls, [](OptionBlock& e, const OptionBlock& p) { e.q166 = p.q166; },
     [](OptionBlock& b, const TargetRec*, int level) { InitCompiler166Opts(b.q166, level); }},
    {PageId::kCompilerYq166, kYq166Controls, [](OptionBlock& e, const OptionBlock& p) { e.yq166 = p.yq166; },
     [](OptionBlock& b, const TargetRec*, int level) { InitCompilerYq166Opts(b.yq166, level); }},
    {PageId::kAsm51, kW51Controls, [](OptionBlock& e, const OptionBlock& p) { e.w51 = p.w51; },
     [](OptionBlock& b, const TargetRec* t, int level) { InitAsm51Opts(b.w51, t, level); }},
    {PageId::kAsm251, kW251Controls, [](OptionBlock& e, const OptionBlock& p) { e.w51 = p.w51; },
     [](OptionBlock& b, const TargetRec* t, int level) { InitAsm51Opts(b.w51, t, level); }},
    {PageId::kAsm166, kW166Controls, [](OptionBlock& e, const OptionBlock& p) { e.w166 = p.w166; },
     [](OptionBlock& b, const TargetRec*, int level) { InitAsm166Opts(b.w166, level); }},
    {PageId::kLocate51, kNB51LocateControls,
     [](OptionBlock& e, const OptionBlock& p) {
       // With a linker control file the page's controls are not in use.
       if (!(p.n51.NX51FL & 1)) e.n51 = p.n51;
     },
     LocateDefaults, true, nullptr, LocateChanged},
    {PageId::kLocate251, kNX51LocateControls, [](OptionBlock& e, const OptionBlock& p) { e.n51 = p.n51; },
     LocateDefaults, true, nullptr, nullptr, [](FamilyToolPage& page) { ShowMarkedClasses(page, kClassesShown); },
     false, true},
    {PageId::kLocate166, kN166LocateControls, WriteBack166Linker,
     [](OptionBlock& b, const TargetRec*, int) {
       Linker166Opts& l = b.n166;
       l.NDATASEL = 2;
       l.NCONSTSEL = 1;
       l.flags.DPPUSE = 0;
       l.flags.USETARGSET = 1;
       for (OptString* s : {&l.LCLASSES, &l.CINITTAB, &l.LSECT, &l.NEARDATASTR, &l.NEARCONSTSTR}) *s = OptString();
     },
     true, nullptr, Locate166Changed, Locate166Previewed, true},
    {PageId::kMisc51, kNB51MiscControls, [](OptionBlock& e, const OptionBlock& p) { e.n51 = p.n51; }, MiscDefaults,
     true, nullptr, nullptr, nullptr, false, true},
    {PageId::kMisc251, kNX51MiscControls, [](OptionBlock& e, const OptionBlock& p) { e.n51 = p.n51; },
     MiscDefaults, true, nullptr, nullptr, nullptr, false, true},
    {PageId::kMisc166, kN166MiscControls, WriteBack166Linker,
     [](OptionBlock& b, const TargetRec*, int) {
       Linker166Opts& l = b.n166;
       l.flags.USELINKFILE = 0;
       l.flags.LINKONLY = 0;
       l.LWARNLEV = 2;
       for (OptString* s : {&l.INTVECTADDR, &l.LDISWARN, &l.LNKFILE, &l.LASSIGN, &l.LREGBANK, &l.LRESERVE, &l.LMISC})
         *s = OptString();
     },
     true, nullptr, nullptr, nullptr, true},
};

#undef PM2_WORD
#undef PM2_FLAGS
#undef PM2_TEXT

}  // namespace

const FamilyPageRow* FindFamilyPageRow(PageId id) {
  for (const FamilyPageRow& r : kRows)
    if (r.id == id) return &r;
  return nullptr;
}

}  // namespace pm2
