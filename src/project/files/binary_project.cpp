#include "project/files/binary_project.h"

#include <cstring>
#include <unordered_map>
#include <vector>

#include "project/files/debug_lists.h"
#include "project/files/stored_texts.h"
#include "project/model/debug_texts.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

const char* const g_BinaryFieldNames[kBinaryFieldNameCount] = {
    "Name", "Path", "Cext", "Aext", "Oext", "Lext", "Text", "Pext",
    "Target", "Group", "curTarg", "tvExp", "tvExpO", "ToolSet", "Device", "Vendor",
    "CPU", "MEM", "C", "A", "RL", "OH", "cbSel", "Index",
    "Full", "fType", "WndPl", "nFI", "gExec", "gLib", "gDeb", "gHex",
    "gBep", "gdsc", "gtsc", "gUsr1", "gUsr2", "gOmfs", "gHexs", "gFlash",
    "gUprg1", "gUprg2", "gHex1", "gHex2", "gHex3", "gLdir", "gPgWid", "gPgLen",
    "gclist", "galist", "gllist", "gilist", "gaCond", "gaSyms", "gaXref", "gcCond",
    "gcCode", "gcLinc", "gcSyms", "glMmap", "glComR", "glGenS", "glLibS", "glLine",
    "glLocs", "glPubS", "glXref", "gaXpSl", "Clk166", "mModel", "mOS", "mHold",
    "uocRom", "uocXCAN", "hadROM", "hadXRAM", "hadICAN", "nRam", "nRom", "t6ocm",
    "ican", "irom", "xram", "iram", "Optim", "SizSpd", "wLev", "RgCol",
    "uStat", "uAlias", "uOrder", "unsChr", "uSavDp", "uFlt64", "pMisc", "pDef",
    "pUdef", "uMpl", "uCase", "uTabs", "apMisc", "apSet", "apRest", "IncTB",
    "AlwBd", "GenAsm", "AsmAsm", "PubOnly", "nExCode", "ppMisc", "ppMods", "uFile",
    "lOnly", "umfTrg", "dppuse", "ndSel", "ncSel", "ndStr", "ncStr", "iStr",
    "ivAddr", "lwLev", "disWno", "lnkFil", "asgn", "rBank", "lResrv", "lMisc",
    "uClass", "uSect", "gFlags", "m167", "BookT", "BookD", "DrUse", "uSim",
    "sDll", "sDpa", "sDgd", "sDga", "sIfil", "tDll", "tDpa", "tDgd",
    "tDga", "tIfil", "BR_1", "BR_2", "BR_3", "BR_4", "BR_5", "BR_6",
    "BR_7", "BR_8", "BR_9", "BR_A", "BR_B", "BR_C", "ED_T", "ED_C",
    "WA_1", "WA_2", "MM_1", "MM_2", "TB_X", "TB_L", "XM_S", "PA_X",
    "DB_F", "SD_M", "SD_S", "SD_N", "MM_3", "MM_4", "uSavUsr", "nTsel",
    "sTkey", "sTnam", "gBr", "LtE", "LtC", "LtI", "EvU", "EvE",
    "EvI", "EvL",
};

namespace {

// One field as read.
struct FieldValue {
  uint8_t type = 0;
  uint32_t number = 0;  // byte, u16, u32
  std::string text;     // strings (top bits cleared), blobs, eight bytes
};

// What the record readers work on.
struct ImportState {
  ProjectRec* project = nullptr;
  std::vector<TargetRec*> targets;  // by import index
  std::vector<GroupRec*> groups;
  std::vector<FileRec*> files;      // by creation order
  std::vector<int> fileIndex;       // import index of files[i] (nFI)
  TargetRec* target = nullptr;      // of the current target record
  GroupRec* group = nullptr;        // of the current group record
  FileRec* file = nullptr;          // of the current file record
  OptionBlock* block = nullptr;     // of the current option record
  OptString pendingPath;            // "Full" before "WndPl" in the project record
  MemWindowRec* lastMemEntry = nullptr;  // the memory-window entry appended last
  int bookRow = 0;
  EditorFileRec* lastEditorFile = nullptr;
  ListTails tails;  // appends in constant time
  std::string fault;  // what is wrong with the record being read, naming its field
};

using Apply = void (*)(ImportState&, const FieldValue&, int arg);

struct FieldRule {
  const char* name;
  uint8_t type;
  uint16_t size;  // blobs: the size they must have; 0 any
  int arg;
  Apply apply;
};

OptString Str(const FieldValue& v, int pool = kPoolProject) {
  return v.text.empty() ? OptString() : OptString::Pooled(v.text, pool);
}

uint16_t U16At(const std::string& s, std::size_t at) {
  return uint16_t(uint8_t(s[at]) | (uint8_t(s[at + 1]) << 8));
}

// ---- project record
const FieldRule kProjectRules[] = {
    {"Name", kFieldString, 0, 0, [](ImportState&, const FieldValue&, int) {}},
    {"Path", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { s.project->folder = Str(v); }},
    {"Cext", kFieldString, 0, kFilterC,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Aext", kFieldString, 0, kFilterAsm,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Oext", kFieldString, 0, kFilterObject,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Lext", kFieldString, 0, kFilterLibrary,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Text", kFieldString, 0, kFilterText,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Pext", kFieldString, 0, kFilterPlm,
     [](ImportState& s, const FieldValue& v, int i) { s.project->filters[i] = Str(v); }},
    {"Full", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { s.pendingPath = Str(v); }},
    // The open-file entry: its 44-byte placement, then two 32-bit numbers.
    {"WndPl", kFieldBlob, 76, 0,
     [](ImportState& s, const FieldValue& v, int) {
       EditorFileRec* e = AppendEditorFile(&s.project->editorFiles, &s.tails);
       std::memcpy(e->placement, v.text.data(), kPlacementSize);
       std::memcpy(&e->number1, v.text.data() + 44, 4);
       std::memcpy(&e->number2, v.text.data() + 48, 4);
       e->path = s.pendingPath;
       s.pendingPath = OptString();
     }},
};

// ---- target record
#define PM2_TSTR(N, F) \
  {N, kFieldString, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.target->F = Str(v); }}
#define PM2_OPTDL(N, I)                                                  \
  {N, kFieldString, 0, I, [](ImportState& s, const FieldValue& v, int i) { \
     s.target->OPTDL[i] = Str(v);                                        \
   }}
#define PM2_BP(N, T, BODY)                                                 \
  {N, T, 0, 0, [](ImportState& s, const FieldValue& v, int) {              \
     if (BreakpointRec* p = s.tails.Last(s.target->breakpoints)) { BODY; }       \
   }}

#define PM2_MEMENTRY(N, W)                                                  \
  {N, kFieldString, 0, W, [](ImportState& s, const FieldValue& v, int w) {  \
     s.lastMemEntry = AppendMemWindowEntry(s.target, w, Str(v, kPoolDebugLists), &s.tails); \
   }}

const FieldRule kTargetRules[] = {
    {"Target", kFieldShortString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       TargetRec* t = PoolNew<TargetRec>(kPoolProject);
       t->kind = kKindTarget;
       t->toolset = kToolsetUndefined;
       t->name = Str(v);
       if (s.project->lastTarget) s.project->lastTarget->next = t; else s.project->firstTarget = t;
       s.project->lastTarget = t;
       s.targets.push_back(t);
       s.target = t;
       s.lastMemEntry = nullptr;
       s.bookRow = 0;
     }},
    {"curTarg", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue&, int) { s.project->curTarget = s.target; }},
    {"tvExp", kFieldByte, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       s.target->flags = uint8_t((s.target->flags & ~1u) | (v.number & 1));
     }},
    {"tvExpO", kFieldByte, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       s.target->flags = uint8_t((s.target->flags & ~2u) | ((v.number & 1) << 1));
     }},
    {"ToolSet", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { s.target->toolset = uint16_t(v.number); }},
    PM2_TSTR("Device", DEVICE), PM2_TSTR("Vendor", VENDOR), PM2_TSTR("CPU", CPU),
    PM2_TSTR("MEM", MEM), PM2_TSTR("C", C), PM2_TSTR("A", A), PM2_TSTR("RL", RL),
    PM2_TSTR("OH", OH),
    {"BookT", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (s.bookRow < kBookSlots) s.target->books[s.bookRow].title = Str(v);
     }},
    {"BookD", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (s.bookRow < kBookSlots) s.target->books[s.bookRow++].path = Str(v);
     }},
    PM2_OPTDL("sDll", 0), PM2_OPTDL("sDpa", 1), PM2_OPTDL("sDgd", 2), PM2_OPTDL("sDga", 3),
    PM2_OPTDL("tDll", 4), PM2_OPTDL("tDpa", 5), PM2_OPTDL("tDgd", 6), PM2_OPTDL("tDga", 7),
    {"BR_5", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       AppendBreakpoint(s.target, &s.tails)->flags = uint8_t(v.number & kBreakKindMask);
     }},
    PM2_BP("BR_1", kFieldString, p->inlineText = Str(v, kPoolDebugLists)),
    PM2_BP("BR_2", kFieldU32, p->value1 = v.number),
    PM2_BP("BR_4", kFieldU32, p->value2 = v.number),
    PM2_BP("BR_3", kFieldU16, p->flags = uint8_t((p->flags & ~kBreakFlag3) | ((v.number & 1) << 3))),
    PM2_BP("BR_6", kFieldU16, p->flags = uint8_t((p->flags & ~kBreakFlag4) | ((v.number & 1) << 4))),
    PM2_BP("BR_7", kFieldU32, p->value3 = v.number),
    PM2_BP("BR_8", kFieldU32, p->value4 = v.number),
    PM2_BP("BR_A", kFieldU32, p->value5 = v.number),
    PM2_BP("BR_9", kFieldU16, p->value16 = uint16_t(v.number)),
    PM2_BP("BR_B", kFieldString, p->text1 = Str(v, kPoolDebugLists)),
    PM2_BP("BR_C", kFieldString, p->text2 = Str(v, kPoolDebugLists)),
    {"WA_1", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int i) { AppendWatch(s.target, i, Str(v, kPoolDebugLists), &s.tails); }},
    {"WA_2", kFieldString, 0, 1,
     [](ImportState& s, const FieldValue& v, int i) { AppendWatch(s.target, i, Str(v, kPoolDebugLists), &s.tails); }},
    PM2_MEMENTRY("MM_1", 0), PM2_MEMENTRY("MM_2", 1), PM2_MEMENTRY("MM_3", 2),
    PM2_MEMENTRY("MM_4", 3),
    {"XM_S", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       // The value of the entry appended last, in whichever window it went.
       if (s.lastMemEntry) s.lastMemEntry->value = uint16_t(v.number);
     }},
    {"TB_X", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       AppendToolboxButton(s.target, Str(v, kPoolDebugLists), OptString(), &s.tails);
     }},
    {"TB_L", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (ToolboxButtonRec* b = s.tails.Last(s.target->toolbox)) b->text2 = Str(v, kPoolDebugLists);
     }},
    {"PA_X", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { AppendPerfRange(s.target, Str(v, kPoolDebugLists), &s.tails); }},
    {"DB_F", kFieldU32, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { s.target->debugFlags = v.number; }},
    {"SD_M", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (!s.target->symbolsWindow) s.target->symbolsWindow = PoolNew<SymbolsWindowRec>(kPoolDebugLists);
       s.target->symbolsWindow->text = Str(v, kPoolDebugLists);
     }},
    {"SD_S", kFieldU32, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (s.target->symbolsWindow) s.target->symbolsWindow->value = v.number;
     }},
    {"SD_N", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (s.target->symbolsWindow) s.target->symbolsWindow->value16 = uint16_t(v.number);
     }},
    PM2_TSTR("LtE", OPTLE), PM2_TSTR("LtC", OPTLC),
    {"LtI", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       TextListRec* n = PoolNew<TextListRec>(kPoolProject);
       n->text = Str(v);
       s.tails.Link(s.target->OPTLI, n);
     }},
    {"EvU", kFieldU32, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { s.target->USEENV = v.number; }},
    PM2_TSTR("EvE", ENVBIN), PM2_TSTR("EvI", ENVINC), PM2_TSTR("EvL", ENVLIB),
};

// ---- group record
const FieldRule kGroupRules[] = {
    {"Group", kFieldShortString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       GroupRec* g = PoolNew<GroupRec>(kPoolProject);
       g->kind = kKindGroup;
       g->name = Str(v);
       if (s.project->lastGroup) s.project->lastGroup->next = g; else s.project->firstGroup = g;
       s.project->lastGroup = g;
       s.groups.push_back(g);
       s.group = g;
     }},
    {"tvExp", kFieldByte, 0, 0,
     [](ImportState& s, const FieldValue& v, int b) {
       if (GroupRec* g = s.group) g->flags = (g->flags & ~(1u << b)) | ((v.number & 1) << b);
     }},
    {"tvExpO", kFieldByte, 0, 1,
     [](ImportState& s, const FieldValue& v, int b) {
       if (GroupRec* g = s.group) g->flags = (g->flags & ~(1u << b)) | ((v.number & 1) << b);
     }},
    {"cbSel", kFieldByte, 0, 3,
     [](ImportState& s, const FieldValue& v, int b) {
       if (GroupRec* g = s.group) g->flags = (g->flags & ~(1u << b)) | ((v.number & 1) << b);
     }},
};

// ---- file record
const FieldRule kFileRules[] = {
    {"Name", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       FileRec* f = PoolNew<FileRec>(kPoolProject);
       f->kind = kKindFile;
       f->name = Str(v);
       s.fileIndex.push_back(int(s.files.size()));
       s.files.push_back(f);
       s.file = f;
     }},
    {"tvExp", kFieldByte, 0, 1,
     [](ImportState& s, const FieldValue& v, int b) {
       if (s.file) s.file->flags = uint8_t((s.file->flags & ~(1u << b)) | ((v.number & 1) << b));
     }},
    {"tvExpO", kFieldByte, 0, 2,
     [](ImportState& s, const FieldValue& v, int b) {
       if (s.file) s.file->flags = uint8_t((s.file->flags & ~(1u << b)) | ((v.number & 1) << b));
     }},
    {"Index", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       // A file whose group index names no group stays out of the project.
       if (!s.file || s.file->group || v.number >= s.groups.size()) return;
       GroupRec* g = s.groups[v.number];
       s.file->group = g;
       if (g->lastFile) g->lastFile->next = s.file; else g->firstFile = s.file;
       g->lastFile = s.file;
     }},
    {"Full", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { if (s.file) s.file->path = Str(v); }},
    {"fType", kFieldByte, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { if (s.file) s.file->type = uint8_t(v.number); }},
    {"WndPl", kFieldBlob, 44, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (s.file) std::memcpy(s.file->windowPlacement, v.text.data(), kPlacementSize);
     }},
    {"nFI", kFieldU16, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { if (s.file) s.fileIndex.back() = int(v.number); }},
    {"ED_T", kFieldU32, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { if (s.file) s.file->topLine = int32_t(v.number); }},
    {"ED_C", kFieldU32, 0, 0,
     [](ImportState& s, const FieldValue& v, int) { if (s.file) s.file->caretLine = int32_t(v.number); }},
};

// ---- option records
#define PM2_OSTR(N, F) \
  {N, kFieldString, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->F = Str(v); }}
#define PM2_ONUM(N, T, F) \
  {N, T, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->F = decltype(s.block->F)(v.number); }}
#define PM2_OBITS(N, F) \
  {N, kFieldByte, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->F = v.number & 3; }}
#define PM2_OUTBIT(N, BIT)                                                  \
  {N, kFieldByte, 0, BIT, [](ImportState& s, const FieldValue& v, int b) {  \
     uint32_t w = FlagWord(s.block->out.flags);                             \
     SetFlagWord(s.block->out.flags, (w & ~(1u << b)) | ((v.number & 1) << b)); \
   }}
#define PM2_LSTBIT(N, BIT)                                                  \
  {N, kFieldByte, 0, BIT, [](ImportState& s, const FieldValue& v, int b) {  \
     uint32_t& w = s.block->lst.listFlags;                                  \
     w = (w & ~(1u << b)) | ((v.number & 1) << b);                          \
   }}
#define PM2_166BIT(N, BIT)                                                  \
  {N, kFieldByte, 0, BIT, [](ImportState& s, const FieldValue& v, int b) {  \
     uint32_t w = FlagWord(s.block->t166.flags);                            \
     SetFlagWord(s.block->t166.flags, (w & ~(1u << b)) | ((v.number & 1) << b)); \
   }}
#define PM2_RANGE(N, F)                                                     \
  {N, kFieldBlob, 9, 0, [](ImportState& s, const FieldValue& v, int) {      \
     s.block->t166.F = UnpackMemRange(reinterpret_cast<const uint8_t*>(v.text.data())); \
   }}
#define PM2_DBGSTR(N, I)                                                    \
  {N, kFieldString, 0, I, [](ImportState& s, const FieldValue& v, int i) {  \
     s.block->dbg.str[i] = Str(v);                                          \
   }}

// Fields of the compiler, assembler and build properties (all three
// option records) and of the target options record alone.
const FieldRule kNodeOptionRules[] = {
    PM2_ONUM("Optim", kFieldByte, q166.OPTIMIZE), PM2_ONUM("SizSpd", kFieldByte, q166.SPEEDSIZE),
    PM2_ONUM("wLev", kFieldByte, q166.WARNINGLEV),
    PM2_OBITS("RgCol", q166.flags.REGCOLOR), PM2_OBITS("uStat", q166.flags.STATIC),
    PM2_OBITS("uAlias", q166.flags.ALIAS), PM2_OBITS("uOrder", q166.flags.ORDER),
    PM2_OBITS("unsChr", q166.flags.UNSIGNEDCHAR), PM2_OBITS("uSavDp", q166.flags.NODPPSAVE),
    PM2_OBITS("uFlt64", q166.flags.FLOAT64), PM2_OBITS("uSavUsr", q166.flags.SAVEUSR),
    PM2_OSTR("pMisc", q166.CMISC), PM2_OSTR("pDef", q166.DEFINE), PM2_OSTR("pUdef", q166.UNDEFINE),
    PM2_OBITS("uMpl", w166.flags.MPL), PM2_OBITS("uCase", w166.flags.CASE),
    PM2_OSTR("apMisc", w166.AMISC), PM2_OSTR("apSet", w166.ASET), PM2_OSTR("apRest", w166.ARESET),
    PM2_OBITS("IncTB", prop.flags.INCBLD), PM2_OBITS("AlwBd", prop.flags.ALWAYSBUILD),
    PM2_OBITS("GenAsm", prop.flags.GENASM), PM2_OBITS("AsmAsm", prop.flags.ASMASM),
    PM2_OBITS("PubOnly", prop.flags.PUBLICSONLY), PM2_ONUM("nExCode", kFieldU16, prop.STOPCODE),
    PM2_OSTR("ppMisc", prop.CUSTARGS), PM2_OSTR("ppMods", prop.LIBMODS),
    PM2_ONUM("gFlags", kFieldU32, out.outWord1),
};

const FieldRule kTargetOptionRules[] = {
    PM2_OSTR("Name", out.OUTNAME), PM2_OSTR("Path", out.OUTDIR),
    PM2_OUTBIT("gExec", 0), PM2_OUTBIT("gLib", 1), PM2_OUTBIT("gDeb", 2), PM2_OUTBIT("gHex", 3),
    PM2_OUTBIT("gBep", 4), PM2_OUTBIT("gdsc", 5), PM2_OUTBIT("gtsc", 6), PM2_OUTBIT("gUsr1", 7),
    PM2_OUTBIT("gUsr2", 8), PM2_OUTBIT("gBr", 9),
    PM2_ONUM("gOmfs", kFieldByte, out.outByte), PM2_ONUM("gHexs", kFieldByte, out.HEXSEL),
    PM2_ONUM("gFlash", kFieldU16, out.outWord2), PM2_ONUM("gHex1", kFieldU32, out.outSpare[0]),
    PM2_ONUM("gHex2", kFieldU32, out.outSpare[1]), PM2_ONUM("gHex3", kFieldU32, out.outSpare[2]),
    PM2_OSTR("gUprg1", out.RUNUSR[0]), PM2_OSTR("gUprg2", out.RUNUSR[1]),
    PM2_OSTR("gLdir", lst.LSTDIR), PM2_ONUM("gPgWid", kFieldU16, lst.pageWidth),
    PM2_ONUM("gPgLen", kFieldU32, lst.pageLength), PM2_ONUM("uTabs", kFieldByte, lst.lstByte),
    PM2_LSTBIT("gclist", 0), PM2_LSTBIT("galist", 1), PM2_LSTBIT("gllist", 2),
    PM2_LSTBIT("gilist", 3), PM2_LSTBIT("gaCond", 4), PM2_LSTBIT("gaSyms", 5),
    PM2_LSTBIT("gaXref", 6), PM2_LSTBIT("gcCond", 7), PM2_LSTBIT("gcCode", 8),
    PM2_LSTBIT("gcLinc", 9), PM2_LSTBIT("gcSyms", 10), PM2_LSTBIT("glMmap", 11),
    PM2_LSTBIT("glComR", 12), PM2_LSTBIT("glGenS", 13), PM2_LSTBIT("glLibS", 14),
    PM2_LSTBIT("glLine", 15), PM2_LSTBIT("glLocs", 16), PM2_LSTBIT("glPubS", 17),
    PM2_LSTBIT("glXref", 18), PM2_ONUM("gaXpSl", kFieldByte, lst.lstByte2),
    PM2_ONUM("Clk166", kFieldU32, t166.clock), PM2_ONUM("mModel", kFieldByte, t166.MODEL),
    PM2_ONUM("mOS", kFieldByte, t166.RTOS),
    {"mHold", kFieldBlob, 8, 0,
     [](ImportState& s, const FieldValue& v, int) {
       Target166Opts& t = s.block->t166;
       t.NHOLD = U16At(v.text, 0);
       t.IHOLD = U16At(v.text, 2);
       t.SHOLD = U16At(v.text, 4);
       t.BHOLD = U16At(v.text, 6);
     }},
    PM2_166BIT("uocRom", 0), PM2_166BIT("uocXCAN", 1), PM2_166BIT("hadROM", 3),
    PM2_166BIT("hadXRAM", 4), PM2_166BIT("hadICAN", 5), PM2_166BIT("m167", 6),
    PM2_ONUM("nRam", kFieldByte, t166.NEARRAM), PM2_ONUM("nRom", kFieldByte, t166.NEARROM),
    {"t6ocm", kFieldBlob, 54, 0,
     [](ImportState& s, const FieldValue& v, int) {
       UnpackMemRanges(reinterpret_cast<const uint8_t*>(v.text.data()), 6, s.block->t166.EXTMEM);
     }},
    PM2_RANGE("ican", CAN), PM2_RANGE("irom", IROM), PM2_RANGE("xram", XRAM), PM2_RANGE("iram", IRAM),
    {"uFile", kFieldByte, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->n166.flags.USELINKFILE = v.number & 1; }},
    {"lOnly", kFieldByte, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->n166.flags.LINKONLY = v.number & 1; }},
    {"umfTrg", kFieldByte, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->n166.flags.USETARGSET = v.number & 1; }},
    {"dppuse", kFieldByte, 0, 0, [](ImportState& s, const FieldValue& v, int) { s.block->n166.flags.DPPUSE = v.number & 1; }},
    PM2_ONUM("ndSel", kFieldByte, n166.NDATASEL), PM2_ONUM("ncSel", kFieldByte, n166.NCONSTSEL),
    PM2_OSTR("ndStr", n166.NEARDATASTR), PM2_OSTR("ncStr", n166.NEARCONSTSTR),
    PM2_OSTR("iStr", n166.CINITTAB), PM2_OSTR("ivAddr", n166.INTVECTADDR),
    PM2_ONUM("lwLev", kFieldByte, n166.LWARNLEV), PM2_OSTR("disWno", n166.LDISWARN),
    PM2_OSTR("lnkFil", n166.LNKFILE), PM2_OSTR("asgn", n166.LASSIGN),
    PM2_OSTR("rBank", n166.LREGBANK), PM2_OSTR("lResrv", n166.LRESERVE),
    PM2_OSTR("lMisc", n166.LMISC), PM2_OSTR("uClass", n166.LCLASSES), PM2_OSTR("uSect", n166.LSECT),
    PM2_ONUM("uSim", kFieldU32, dbg.flags), PM2_ONUM("nTsel", kFieldU32, dbg.word2),
    PM2_DBGSTR("sDll", kDbgSimDll), PM2_DBGSTR("sDpa", kDbgSimParams), PM2_DBGSTR("sDgd", kDbgSimDialog),
    PM2_DBGSTR("sDga", kDbgSimDialogParams), PM2_DBGSTR("sIfil", kDbgSimIni), PM2_DBGSTR("tDll", kDbgTargetDll),
    PM2_DBGSTR("tDpa", kDbgTargetParams), PM2_DBGSTR("tDgd", kDbgTargetDialog),
    PM2_DBGSTR("tDga", kDbgTargetDialogParams), PM2_DBGSTR("tIfil", kDbgTargetIni),
    {"sTkey", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       KeyValueRec* n = PoolNew<KeyValueRec>(kPoolProject);
       n->key = Str(v);
       s.tails.Link(s.block->dbg.OPTKEY, n);
     }},
    {"sTnam", kFieldString, 0, 0,
     [](ImportState& s, const FieldValue& v, int) {
       if (KeyValueRec* last = s.tails.Last(s.block->dbg.OPTKEY)) last->value = Str(v);
     }},
};

struct RuleSet {
  const FieldRule* a;
  std::size_t na;
  const FieldRule* b = nullptr;
  std::size_t nb = 0;
  const FieldRule* Find(std::string_view name) const {
    for (std::size_t i = 0; i < na; ++i) if (name == a[i].name) return &a[i];
    for (std::size_t i = 0; i < nb; ++i) if (name == b[i].name) return &b[i];
    return nullptr;
  }
};
#define PM2_RULES(r) r, sizeof(r) / sizeof(r[0])

bool KnownFieldName(std::string_view name) {
  for (const char* n : g_BinaryFieldNames) if (name == n) return true;
  return false;
}

// Reads the bytes of one record body.
class BodyCursor {
 public:
  BodyCursor(std::string_view body) : m_body(body) {}
  bool AtEnd() const { return m_pos >= m_body.size(); }
  bool Take(std::size_t n, std::string_view* out) {
    if (m_body.size() - m_pos < n) return false;
    *out = m_body.substr(m_pos, n);
    m_pos += n;
    return true;
  }
  bool U8(uint32_t* v) {
    std::string_view b;
    if (!Take(1, &b)) return false;
    *v = uint8_t(b[0]);
    return true;
  }
  bool U16(uint32_t* v) {
    std::string_view b;
    if (!Take(2, &b)) return false;
    *v = uint32_t(uint8_t(b[0])) | (uint32_t(uint8_t(b[1])) << 8);
    return true;
  }
  bool U32(uint32_t* v) {
    std::string_view b;
    if (!Take(4, &b)) return false;
    *v = 0;
    for (int i = 3; i >= 0; --i) *v = (*v << 8) | uint8_t(b[std::size_t(i)]);
    return true;
  }

 private:
  std::string_view m_body;
  std::size_t m_pos = 0;
};

std::string ClearTopBits(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(c & 0x7F);
  return out;
}

const char* FieldTypeName(uint32_t type) {
  static const char* const kNames[] = {"a byte", "a 16-bit number", "a 32-bit number", "eight bytes",
                                       "a short string", "a string", "a blob"};
  return type < sizeof kNames / sizeof kNames[0] ? kNames[type] : "a value of no known type";
}

// One field; false when the body ends inside it or its type is none the
// format has (*fault says which, naming the field).
bool ReadField(BodyCursor& c, std::string* name, FieldValue* v, std::string* fault) {
  uint32_t len, type;
  std::string_view bytes;
  if (!c.U8(&len) || !c.Take(len, &bytes)) {
    *fault = "the record ends inside the name of a field";
    return false;
  }
  *name = std::string(bytes);
  if (!c.U8(&type)) {
    *fault = "field '" + *name + "': the record ends before its type";
    return false;
  }
  v->type = uint8_t(type);
  v->number = 0;
  v->text.clear();
  bool whole = false;
  switch (type) {
    case kFieldByte: whole = c.U8(&v->number); break;
    case kFieldU16: whole = c.U16(&v->number); break;
    case kFieldU32: whole = c.U32(&v->number); break;
    case kFieldBytes8:
      whole = c.Take(8, &bytes);
      if (whole) v->text = std::string(bytes);
      break;
    case kFieldShortString:
      whole = c.U8(&len) && c.Take(len, &bytes);
      if (whole) v->text = ClearTopBits(bytes);
      break;
    case kFieldString:
      whole = c.U16(&len) && c.Take(len, &bytes);
      if (whole) v->text = ClearTopBits(bytes);
      break;
    case kFieldBlob:
      whole = c.U32(&len) && c.Take(len, &bytes);
      if (whole) v->text = std::string(bytes);
      break;
    default:
      // An unknown type cannot be skipped.
      *fault = "field '" + *name + "' has the type " + std::to_string(type) + ", which the format does not have";
      return false;
  }
  if (!whole) *fault = "field '" + *name + "': the record ends inside its value (" + FieldTypeName(type) + ")";
  return whole;
}

// A field of the right name whose value is not what its reader takes.
bool FieldFits(const FieldRule& rule, const std::string& name, const FieldValue& v, std::string* fault) {
  if (rule.type != v.type) {
    *fault = "field '" + name + "' is " + FieldTypeName(v.type) + " where " + FieldTypeName(rule.type) + " belongs";
    return false;
  }
  if (rule.size && v.text.size() != rule.size) {
    *fault = "field '" + name + "' holds " + std::to_string(v.text.size()) + " bytes where " +
             std::to_string(rule.size) + " belong";
    return false;
  }
  return true;
}

// The fields of one record body; returns an error code.
// With an anchor, every rule but the first (which creates the record)
// waits until the anchor is set.
int ReadFields(BodyCursor& c, const RuleSet& rules, ImportState& s,
               TargetRec* const* anchor = nullptr) {
  std::string name;
  FieldValue v;
  while (!c.AtEnd()) {
    if (!ReadField(c, &name, &v, &s.fault)) return kBinBadField;
    if (!KnownFieldName(name)) continue;
    const FieldRule* rule = rules.Find(name);
    if (!rule) continue;  // a field this record does not use
    if (anchor && !*anchor && rule != rules.a) continue;
    if (!FieldFits(*rule, name, v, &s.fault)) return kBinBadField;
    rule->apply(s, v, rule->arg);
  }
  return kBinOk;
}

TargetRec* ByIndex(const std::vector<TargetRec*>& v, uint32_t i) { return i < v.size() ? v[i] : nullptr; }

int ReadOptionRecord(uint8_t type, BodyCursor& c, ImportState& s) {
  uint32_t ti = 0, gi = 0, fi = 0;
  if (type == kBinGroupOptions || type == kBinFileOptions) {
    if (!c.U16(&ti) || !c.U16(&gi) || (type == kBinFileOptions && !c.U16(&fi))) {
      s.fault = "the record ends inside its target, group and file indexes";
      return kBinBadField;
    }
  }
  OptionBlock* b = NewOptionBlock(kPoolProject);
  s.block = b;
  if (type == kBinTargetOptions) {
    // The target comes from the record's "Index" field.
    std::string name;
    FieldValue v;
    RuleSet rules{PM2_RULES(kTargetOptionRules), PM2_RULES(kNodeOptionRules)};
    TargetRec* target = nullptr;
    while (!c.AtEnd()) {
      if (!ReadField(c, &name, &v, &s.fault)) return kBinBadField;
      if (name == "Index") {
        if (v.type != kFieldU16) {
          s.fault = "field 'Index' is " + std::string(FieldTypeName(v.type)) + " where " + FieldTypeName(kFieldU16) +
                    " belongs";
          return kBinBadField;
        }
        target = ByIndex(s.targets, v.number);
        if (target) SetDefaultOptions(*b, target, kToolset166, kLevelTarget);
        continue;
      }
      if (!KnownFieldName(name)) continue;
      const FieldRule* rule = rules.Find(name);
      if (!rule) continue;
      if (!FieldFits(*rule, name, v, &s.fault)) return kBinBadField;
      rule->apply(s, v, rule->arg);
    }
    if (target) {
      b->owner = target;
      target->pOpts = b;
    }
    return kBinOk;
  }
  TargetRec* target = ByIndex(s.targets, ti);
  SetDefaultOptions(*b, target, kToolset166, kLevelNode);
  RuleSet rules{PM2_RULES(kNodeOptionRules)};
  if (int rc = ReadFields(c, rules, s)) return rc;
  NodeRec* node = nullptr;
  if (type == kBinGroupOptions) {
    if (gi < s.groups.size()) node = s.groups[gi];
  } else {
    for (std::size_t i = 0; i < s.files.size(); ++i) {
      if (uint32_t(s.fileIndex[i]) == fi && s.files[i]->group) node = s.files[i];
    }
  }
  if (!target || !node) return kBinOk;  // dropped: nothing to attach it to
  b->owner = target;
  b->next = node->pOpts;
  node->pOpts = b;
  return kBinOk;
}

}  // namespace

int ReadBinaryProject(std::string_view data, bool readOnly, ProjectRec** project, std::string_view baseName,
                      std::string* why) {
  *project = nullptr;
  ImportState s;
  // While the import runs the new project is the open one, so the defaults
  // of its option blocks (the output name) are its own; the caller's open
  // project is put back on every way out.
  struct OpenProjectRestore {
    ProjectRec* saved = theApp().m_pProject;
    ~OpenProjectRestore() { theApp().m_pProject = saved; }
  } restore;
  std::size_t pos = 0;
  std::size_t recordStart = 0;
  int recordNumber = 0;
  uint8_t type = 0;
  std::string fault;  // what is wrong with the record's frame
  auto record = [&](uint8_t* typeOut, std::string_view* body) -> int {
    recordStart = pos;
    ++recordNumber;
    if (pos < data.size()) *typeOut = uint8_t(data[pos]);
    if (data.size() - pos < 3) {
      fault = "the file ends inside the record's type and length";
      return kBinBadChecksum;
    }
    *typeOut = uint8_t(data[pos]);
    uint32_t len = uint32_t(uint8_t(data[pos + 1])) | (uint32_t(uint8_t(data[pos + 2])) << 8);
    if (len == 0) {
      fault = "its length is 0";
      return kBinBadChecksum;
    }
    if (data.size() - pos - 3 < len) {
      fault = "its length (" + std::to_string(len) + " bytes) runs past the end of the file: the file is cut off";
      return kBinBadChecksum;
    }
    uint8_t sum = 0;
    for (std::size_t i = pos; i < pos + 3 + len; ++i) sum = uint8_t(sum + uint8_t(data[i]));
    *body = data.substr(pos + 3, len - 1);
    pos += 3 + len;
    if (sum != 0) fault = "its checksum is wrong";
    return sum == 0 ? kBinOk : kBinBadChecksum;
  };
  // Where the reader stands, for a message: "record 3 (a target) at byte 120: ...".
  auto place = [&] {
    static const char* const kKinds[] = {"",
                                         "the header",
                                         "the project",
                                         "a target",
                                         "a group",
                                         "a file",
                                         "a target's options",
                                         "a group's options",
                                         "a file's options"};
    std::string kind = type < sizeof kKinds / sizeof kKinds[0] && type ? kKinds[type] : "of type " + std::to_string(type);
    return "record " + std::to_string(recordNumber) + " (" + kind + ") at byte " + std::to_string(recordStart) + ": ";
  };
  auto say = [&](const std::string& text) {
    if (why) *why = text;
  };

  std::string_view body;
  if (record(&type, &body) != kBinOk || type != kBinHeader || body.size() + 1 > 101 ||
      body != std::string_view(kBinaryProjectHeader)) {
    say(fault.empty() || type != kBinHeader
            ? "it starts neither with the header of a project file nor with that of a binary project ('" +
                  std::string(kBinaryProjectHeader) + "')"
            : place() + fault);
    return kBinBadHeader;
  }
  while (pos < data.size()) {
    if (uint8_t(data[pos]) == kBinEndOfFile) break;
    if (int rc = record(&type, &body)) {
      say(place() + fault);
      return rc;
    }
    if (type == kBinEndOfProject) break;
    BodyCursor c(body);
    int rc = kBinOk;
    if (type == kBinProject) {
      ProjectRec* p = PoolNew<ProjectRec>(kPoolProject);
      p->kind = kKindProject;
      if (readOnly) p->flags |= kProjectReadOnly;
      if (!baseName.empty()) p->name = OptString::Pooled(baseName, kPoolProject);
      theApp().m_pProject = p;
      s.project = p;
      *project = p;
      rc = ReadFields(c, RuleSet{PM2_RULES(kProjectRules)}, s);
    } else if (!s.project) {
      continue;  // nothing to attach records to before the project record
    } else if (type == kBinTarget) {
      s.target = nullptr;
      rc = ReadFields(c, RuleSet{PM2_RULES(kTargetRules)}, s, &s.target);
    } else if (type == kBinGroup) {
      s.group = nullptr;  // flags before the record's own "Group" touch no other group
      rc = ReadFields(c, RuleSet{PM2_RULES(kGroupRules)}, s);
    } else if (type == kBinFile) {
      s.file = nullptr;
      rc = ReadFields(c, RuleSet{PM2_RULES(kFileRules)}, s);
    } else if (type >= kBinTargetOptions && type <= kBinFileOptions) {
      rc = ReadOptionRecord(type, c, s);
    }
    // Records of other types are skipped whole by their length.
    if (rc) {
      say(place() + s.fault);
      return rc;
    }
  }
  if (!s.project) say("it holds no project record (type 2) before its end at byte " + std::to_string(pos));
  if (s.project && !s.project->curTarget) s.project->curTarget = s.project->firstTarget;
  // Saved, such a name or text would come back as another one and the
  // rest of its line misread: the project is refused rather than converted
  // wrong.
  if (s.project) {
    if (std::string refusal = ProjectTextRefusal(*s.project); !refusal.empty()) {
      if (why) *why = std::move(refusal);
      return kBinBadName;
    }
    // Kept both, a group named without letter case (by the Components
    // page, a peer's request) would be the wrong one half the time.
    for (GroupRec* g = s.project->firstGroup; g; g = g->next) {
      const GroupRec* first = FindGroupByName(s.project->firstGroup, g->name.c_str());
      if (first == g) continue;
      if (why)
        *why = "There are two groups named '" + first->name.str() + "' and '" + g->name.str() +
               "': group names are told apart without letter case.";
      return kBinBadName;
    }
  }
  return kBinOk;
}

// ------------------------------------------------------------------ writer

BinaryProjectWriter::BinaryProjectWriter() {
  Begin(kBinHeader);
  m_data.append(kBinaryProjectHeader);
  End();
}

void BinaryProjectWriter::Begin(uint8_t type) {
  m_start = m_data.size();
  m_data.push_back(char(type));
  m_data.append(2, '\0');
}

void BinaryProjectWriter::Index(uint16_t value) { Raw(&value, 2); }

void BinaryProjectWriter::Name(const char* name, uint8_t type) {
  m_data.push_back(char(std::strlen(name)));
  m_data.append(name);
  m_data.push_back(char(type));
}
void BinaryProjectWriter::Byte(const char* name, uint8_t v) { Name(name, kFieldByte); Raw(&v, 1); }
void BinaryProjectWriter::U16(const char* name, uint16_t v) { Name(name, kFieldU16); Raw(&v, 2); }
void BinaryProjectWriter::U32(const char* name, uint32_t v) { Name(name, kFieldU32); Raw(&v, 4); }
void BinaryProjectWriter::ShortString(const char* name, std::string_view v) {
  Name(name, kFieldShortString);
  m_data.push_back(char(v.size()));
  m_data.append(v);
}
void BinaryProjectWriter::String(const char* name, std::string_view v) {
  Name(name, kFieldString);
  uint16_t n = uint16_t(v.size());
  Raw(&n, 2);
  m_data.append(v);
}
void BinaryProjectWriter::Blob(const char* name, std::string_view v) {
  Name(name, kFieldBlob);
  uint32_t n = uint32_t(v.size());
  Raw(&n, 4);
  m_data.append(v);
}

void BinaryProjectWriter::End() {
  uint16_t len = uint16_t(m_data.size() - m_start - 3 + 1);
  std::memcpy(&m_data[m_start + 1], &len, 2);
  uint8_t sum = 0;
  for (std::size_t i = m_start; i < m_data.size(); ++i) sum = uint8_t(sum + uint8_t(m_data[i]));
  m_data.push_back(char(uint8_t(0u - sum)));
}

void BinaryProjectWriter::EndOfProject() {
  Begin(kBinEndOfProject);
  End();
}

}  // namespace pm2
