// The options file ("<folder><name>.Opt"): what belongs to a project but
// not to its build description - file filters, editor windows, and per
// target the clocks, listing and hex settings, books, debugger settings and
// the debug session's lists. Same header and line grammar as the project
// file; see project_file.h.
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/files/project_keys.h"
#include "project/files/project_lines.h"
#include "project/model/app_state.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

const char* const kFilterKeys[kFilterCount] = {"cExt", "aExt", "oExt", "lExt",
                                               "tExt", "pExt", "CppX"};

int Bit(uint32_t word, int bit) { return int((word >> bit) & 1u); }
uint32_t WithBit(uint32_t word, int bit, int32_t value) {
  return (word & ~(1u << bit)) | (uint32_t(value & 1) << bit);
}

// ------------------------------------------------------------------ writer

void WriteTargetSection(ProjectLineWriter& w, ProjectRec& project, TargetRec* t, int number) {
  OptionBlock& b = *t->pOpts;
  w.Linef("TARGOPT %d, (%s)", number, t->name.c_str());
  switch (t->toolset) {
    case kToolset51: w.NumberLine("CLK51", int32_t(b.t51.clock)); break;
    case kToolset251: w.NumberLine("CLK251", int32_t(b.t251.clock)); break;
    case kToolsetArmGnu: w.NumberLine("ARMCLK", int32_t(b.tGnu.clock)); break;
    case kToolsetArmAds: w.NumberLine("ADSCLK", int32_t(b.tAds.clock)); break;
    case kToolset166: {
      uint32_t f = FlagWord(b.t166.flags);
      w.Linef("  OPT166 %d,%d,%d,%d,%d,%d", int32_t(b.t166.clock), Bit(f, 0), Bit(f, 1),
              Bit(f, 3), Bit(f, 4), Bit(f, 5));
      uint8_t bytes[54];
      PackMemRanges(b.t166.EXTMEM, 6, bytes);
      w.Linef("  OPT166MMM %s", FormatByteList(bytes, 54).c_str());
      const MemRangeRec* ranges[4] = {&b.t166.CAN, &b.t166.IROM, &b.t166.XRAM, &b.t166.IRAM};
      const char* keys[4] = {"OPT166ICA", "OPT166IRO", "OPT166XRA", "OPT166IRA"};
      for (int i = 0; i < 4; ++i) {
        PackMemRange(*ranges[i], bytes);
        w.Linef("  %s %s", keys[i], FormatByteList(bytes, 9).c_str());
      }
      break;
    }
    default: break;
  }
  uint32_t of = FlagWord(b.out.flags);
  w.Linef("  OPTTT %d,%d,%d,%d", int32_t(b.out.outWord1), Bit(of, 4), Bit(of, 5), Bit(of, 6));
  w.Linef("  OPTHX %d,%d,%d,%d,%d", int(b.out.HEXSEL), int(b.out.outWord2),
          int32_t(b.out.outSpare[0]), int32_t(b.out.outSpare[1]), int32_t(b.out.outSpare[2]));
  w.Linef("  OPTLX %d,%d,%d,<%s>", int(b.lst.pageWidth), int(b.lst.pageLength),
          int(b.lst.lstByte), b.lst.LSTDIR.c_str());
  w.Linef("  OPTOX %d", int32_t(b.lst.OPTOX));
  uint32_t lf = b.lst.listFlags;
  std::string lt = "  OPTLT ";
  for (int i = 0; i <= 10; ++i) lt += std::to_string(Bit(lf, i)) + ",";
  lt += std::to_string(Bit(lf, 19));
  w.Line(lt);
  std::string xl = "  OPTXL ";
  for (int i = 11; i <= 18; ++i) xl += std::to_string(Bit(lf, i)) + ",";
  xl += std::to_string(int(b.lst.lstByte2));
  w.Line(xl);
  w.Linef("  OPTFL %d,%d,%d", Bit(t->flags, 0), Bit(t->flags, 1),
          project.curTarget == t ? 1 : 0);
  for (int i = 0; i < kBookSlots; ++i) {
    const BookSlot& s = t->books[i];
    if (s.title.empty()) continue;
    w.Linef("  OPTBL %d,(%s)<%s>", i + (s.word == 1 ? 0x4000 : 0), s.title.c_str(),
            s.path.c_str());
  }
  KeyContext c{t, &b, kPoolProject};
  WriteOptDlLine(w, c);
  WriteOptDbgLine(w, c);
  for (const KeyValueRec* k = b.dbg.OPTKEY; k; k = k->next) {
    w.Linef("  OPTKEY %d,(%s)(%s)", 0, k->key.c_str(), k->value.c_str());
  }
  for (const KeyValueRec* k = b.lst.OPTKUS; k; k = k->next) {
    w.Linef("  OPTKUS %d,(%s)(%s)", 0, k->key.c_str(), k->value.c_str());
  }
  int i = 0;
  for (const BreakpointRec* p = t->breakpoints; p; p = p->next) {
    if (!IsWrittenBreakpoint(*p)) continue;
    const bool inlinePlace = BreakpointFileInInlinePlace(*p);
    w.Linef("  OPTBB %d,%d,%d,%d,%d,%d,%d,%d,%d,%d,<%s>(%s)(%s)", i++, p->flags & kBreakKindMask,
            int32_t(p->value1), (p->flags & kBreakFlag3) ? 1 : 0, int32_t(p->value2),
            (p->flags & kBreakFlag4) ? 1 : 0, int32_t(p->value3), int32_t(p->value4),
            int(p->value16), int32_t(p->value5), inlinePlace ? p->text1.c_str() : p->inlineText.c_str(),
            inlinePlace ? "" : p->text1.c_str(), p->text2.c_str());
  }
  // Each watch list counts from 0 on its own, as every list of the section.
  for (int list = 0; list < 2; ++list) {
    i = 0;
    for (const WatchRec* p = t->watches[list]; p; p = p->next, ++i) {
      w.Linef("  OPTWA %d,%d,(%s)", i, list + 1, p->expression.c_str());
    }
  }
  for (int win = 0; win < 4; ++win) {
    for (const MemWindowRec* p = t->memWindows[win]; p; p = p->next) {
      w.Linef("  OPTMM %d,%d,(%s)", win + 1, int(p->value), p->expression.c_str());
    }
  }
  i = 0;
  for (const ToolboxButtonRec* p = t->toolbox; p; p = p->next, ++i) {
    w.Linef("  OPTBT %d,(%s)(%s)", i, p->text1.c_str(), p->text2.c_str());
  }
  i = 0;
  for (const PerfRangeRec* p = t->perfRanges; p; p = p->next, ++i) {
    w.Linef("  OPTPA %d,(%s)", i, p->text.c_str());
  }
  if (const SymbolsWindowRec* s = t->symbolsWindow) {
    w.Linef("  OPTSY %d,%d,(%s)", int32_t(s->value), int(s->value16), s->text.c_str());
  }
  w.Linef("  OPTDF 0x%X", unsigned(t->debugFlags));
  w.Linef("  OPTLE <%s>", t->OPTLE.c_str());
  w.Linef("  OPTLC <%s>", t->OPTLC.c_str());
  i = 0;
  for (const TextListRec* p = t->OPTLI; p; p = p->next) {
    if (p->text.empty()) continue;
    w.Linef("  OPTLI %d,<%s>", i++, p->text.c_str());
  }
  w.Line("EndOpt");
  w.Empty();
}

bool PlacementSet(const uint8_t* placement) {
  return placement[0] | placement[1] | placement[2] | placement[3];
}

}  // namespace

void WriteOptionsText(std::string& out, ProjectRec& project) {
  NumberProjectRecords(project);
  ProjectLineWriter w(out);
  w.Header();
  for (int i = 0; i < kFilterCount; ++i) w.StringLine(kFilterKeys[i], project.filters[i].view());
  w.BytesLine("DaveTm", project.codeGenTime, 8);
  w.Empty();
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (!t->number) continue;
    w.Linef("Target (%s), 0x%04X // Tools: '%s'", t->name.c_str(), unsigned(t->toolset),
            ToolsetDisplayName(t->toolset));
  }
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    if (!g->number) continue;
    w.Linef("GRPOPT %d,(%s),%d,%d,%d", int(g->number), g->name.c_str(), Bit(g->flags, 0),
            Bit(g->flags, 1), Bit(g->flags, 3));
  }
  w.Empty();
  for (GroupRec* g = project.firstGroup; g; g = g->next) {
    for (FileRec* f = g->firstFile; f && g->number; f = f->next) {
      if (!f->number) continue;
      SyncFileWithOpenDocuments(f);
      uint32_t packed = uint32_t(Bit(f->flags, 1)) | (uint32_t(Bit(f->flags, 7)) << 1) |
                        (uint32_t(f->caretColumn & 0xFF) << 24);
      std::string placement = PlacementSet(f->windowPlacement)
                                  ? FormatByteList(f->windowPlacement, kPlacementSize)
                                  : "";
      w.Linef("OPTFFF %d,%d,%d,%d,%d,%d,%d,%d,<%s><%s> %s", int(g->number), int(f->number),
              int(f->type), int32_t(packed), Bit(f->flags, 2), f->topLine, f->caretLine,
              Bit(f->flags, 4), f->path.c_str(), f->name.c_str(), placement.c_str());
    }
  }
  w.Empty();
  for (const EditorFileRec* e = project.editorFiles; e; e = e->next) {
    std::string rel = MakeRelativePath(project.folder.view(), e->path.view());
    w.Linef("ExtF <%s> %d,%d,%d,%s", rel.c_str(), e->number1, e->number2, 0,
            FormatByteList(e->placement, kPlacementSize).c_str());
  }
  w.Empty();
  for (TargetRec* t = project.firstTarget; t; t = t->next) {
    if (t->number && t->pOpts) WriteTargetSection(w, project, t, t->number);
  }
}

// ------------------------------------------------------------------ reader

namespace {

inline constexpr int kMaxOptTargets = 255;

// The project's records by the numbers they carry (index + 1).
struct RecordIndex {
  std::vector<TargetRec*> targets;
  std::vector<GroupRec*> groups;
  std::vector<FileRec*> files;

  template <class Rec>
  static void Put(std::vector<Rec*>& v, Rec* r) {
    if (!r->number) return;
    if (v.size() < r->number) v.resize(r->number, nullptr);
    v[r->number - 1] = r;
  }
  explicit RecordIndex(const ProjectRec& project) {
    for (TargetRec* t = project.firstTarget; t; t = t->next) Put(targets, t);
    for (GroupRec* g = project.firstGroup; g; g = g->next) {
      Put(groups, g);
      for (FileRec* f = g->firstFile; f; f = f->next) Put(files, f);
    }
  }
  template <class Rec>
  static Rec* At(const std::vector<Rec*>& v, int number) {
    return number >= 1 && std::size_t(number) <= v.size() ? v[std::size_t(number - 1)] : nullptr;
  }
};

struct OptReader {
  ProjectRec& project;
  RecordIndex numbers;
  ProjectLineReader& r;
  TargetRec* table[kMaxOptTargets] = {};
  int targetLines = 0;
  TargetRec* target = nullptr;   // the section's target
  OptionBlock* block = nullptr;  // its block
  ListTails tails;               // appends in constant time
  int badNumberLine = 0;         // the first line with a number that is none
  std::string fieldFault;        // why the current line's fields are not as its format gives them
};

// A target or group line whose name is not closed, or whose fields do not
// end where the format says, is refused: read on, the name's leftover would
// be taken for the fields after it.
bool FieldsAsWritten(OptReader& o, bool nameClosed) {
  if (!o.fieldFault.empty()) return false;
  if (!nameClosed) o.fieldFault = "the name in '" + o.r.Key() + "' has no closing ')'";
  else if (!o.r.AtFieldsEnd()) o.fieldFault = "the fields of '" + o.r.Key() + "' do not end where the line does";
  return o.fieldFault.empty();
}

// A number of the current line; one that is no number is noted with its
// line, so the file is reported instead of the value read as 0.
int32_t Num(OptReader& o) {
  int32_t v = o.r.Number();
  if (!o.r.LastNumberValid() && o.badNumberLine == 0) o.badNumberLine = o.r.LineNumber();
  return v;
}
int32_t NumC(OptReader& o) {
  int32_t v = o.r.NumberComma();
  if (!o.r.LastNumberValid() && o.badNumberLine == 0) o.badNumberLine = o.r.LineNumber();
  return v;
}

// What a line needs before it is read.
enum class Needs : uint8_t { kNothing, kTarget, kBlock };

struct OptLineHandler {
  const char* key;  // upper case, as in g_OptFileKeys
  Needs needs;
  void (*read)(OptReader&);
};

void ReadFilter(OptReader& o, int index) { o.project.filters[index] = o.r.String(kPoolProject); }

void AppendKeyValue(KeyValueRec*& list, OptReader& o) {
  NumC(o);
  OptString key = o.r.String(kPoolProject);
  OptString value = o.r.String(kPoolProject);
  if (key.empty()) return;
  KeyValueRec* node = PoolNew<KeyValueRec>(kPoolProject);
  node->key = key;
  node->value = value;
  o.tails.Link(list, node);
}

void ReadRangeLine(OptReader& o, MemRangeRec& range) {
  uint8_t bytes[9];
  PackMemRange(range, bytes);
  o.r.ByteList(bytes, 9);
  range = UnpackMemRange(bytes);
}

const OptLineHandler kOptLines[] = {
    {"CEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterC); }},
    {"AEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterAsm); }},
    {"OEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterObject); }},
    {"LEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterLibrary); }},
    {"TEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterText); }},
    {"PEXT", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterPlm); }},
    {"TARGET", Needs::kNothing,
     [](OptReader& o) {
       OptString name = o.r.String(kPoolScratch);
       const bool closed = o.r.LastStringClosed();
       o.r.SkipComma();
       uint16_t toolset = uint16_t(Num(o));
       if (!FieldsAsWritten(o, closed)) return;
       if (o.targetLines >= kMaxOptTargets) return;  // the 256th and later are ignored
       int number = ++o.targetLines;
       TargetRec* found = RecordIndex::At(o.numbers.targets, number);
       if (found && !(found->toolset == toolset && found->name == name)) found = nullptr;
       o.table[number - 1] = found;
     }},
    {"GRPOPT", Needs::kNothing,
     [](OptReader& o) {
       int number = NumC(o);
       OptString name = o.r.String(kPoolScratch);
       const bool closed = o.r.LastStringClosed();
       if (!closed) return void(FieldsAsWritten(o, closed));
       int b0 = NumC(o), b1 = NumC(o), b3 = NumC(o);
       if (!FieldsAsWritten(o, closed)) return;
       GroupRec* g = number <= kMaxOptTargets ? RecordIndex::At(o.numbers.groups, number) : nullptr;
       if (!g || !(g->name == name)) return;
       g->flags = WithBit(WithBit(WithBit(g->flags, 0, b0), 1, b1), 3, b3);
     }},
    {"OPTFFF", Needs::kNothing,
     [](OptReader& o) {
       int v[8];
       for (int& x : v) x = NumC(o);
       std::string path = o.r.StringText();
       std::string name = o.r.StringText();
       FileRec* f = RecordIndex::At(o.numbers.files, v[1]);
       if (!f || !f->group || v[0] < 0 || f->group->number != uint32_t(v[0]) || f->type != v[2] ||
           !SamePathIgnoringCase(f->path.view(), path) || !f->name.EqualsNoCase(name)) {
         return;
       }
       uint32_t packed = uint32_t(v[3]);
       f->topLine = v[5] & 0xFFFFFF;
       f->caretLine = v[6] & 0xFFFFFF;
       f->caretColumn = int32_t(packed >> 24);
       uint32_t flags = f->flags;
       flags = WithBit(flags, 1, int(packed & 1));
       flags = WithBit(flags, 7, int((packed >> 1) & 1));
       flags = WithBit(flags, 2, v[4]);
       flags = WithBit(flags, 4, v[7]);
       f->flags = uint8_t(flags);
       o.r.ByteList(f->windowPlacement, kPlacementSize);
     }},
    {"EXTF", Needs::kNothing,
     [](OptReader& o) {
       EditorFileRec* e = AppendEditorFile(&o.project.editorFiles, &o.tails);
       e->path = o.r.String(kPoolProject);
       e->number1 = NumC(o);
       e->number2 = NumC(o);
       NumC(o);
       o.r.ByteList(e->placement, kPlacementSize);
     }},
    {"TARGOPT", Needs::kNothing,
     [](OptReader& o) {
       int index = NumC(o);
       o.target = nullptr;
       o.block = nullptr;
       // The name that follows the number is written for the reader of the
       // file; when it stands there it must end where the line does.
       if (!o.r.AtFieldsEnd()) {
         o.r.String(kPoolScratch);
         if (!FieldsAsWritten(o, o.r.LastStringClosed())) return;
       }
       if (index < 1 || index > o.targetLines) return;
       o.target = o.table[index - 1];
       if (!o.target) return;
       o.block = o.target->pOpts;
       for (BookSlot& s : o.target->books) s.title = s.path = OptString();
     }},
    {"OPT166", Needs::kBlock,
     [](OptReader& o) {
       o.block->t166.clock = uint32_t(NumC(o));
       uint32_t f = FlagWord(o.block->t166.flags);
       for (int bit : {0, 1, 3, 4, 5}) f = WithBit(f, bit, NumC(o));
       SetFlagWord(o.block->t166.flags, f);
     }},
    {"OPT166MMM", Needs::kBlock,
     [](OptReader& o) {
       uint8_t bytes[54];
       PackMemRanges(o.block->t166.EXTMEM, 6, bytes);
       o.r.ByteList(bytes, 54);
       UnpackMemRanges(bytes, 6, o.block->t166.EXTMEM);
     }},
    {"OPT166ICA", Needs::kBlock, [](OptReader& o) { ReadRangeLine(o, o.block->t166.CAN); }},
    {"OPT166IRO", Needs::kBlock, [](OptReader& o) { ReadRangeLine(o, o.block->t166.IROM); }},
    {"OPT166XRA", Needs::kBlock, [](OptReader& o) { ReadRangeLine(o, o.block->t166.XRAM); }},
    {"OPT166IRA", Needs::kBlock, [](OptReader& o) { ReadRangeLine(o, o.block->t166.IRAM); }},
    {"OPTTT", Needs::kBlock,
     [](OptReader& o) {
       o.block->out.outWord1 = uint32_t(NumC(o));
       uint32_t f = FlagWord(o.block->out.flags);
       for (int bit : {4, 5, 6}) f = WithBit(f, bit, NumC(o));
       SetFlagWord(o.block->out.flags, f);
     }},
    {"OPTHX", Needs::kBlock,
     [](OptReader& o) {
       OutputOpts& out = o.block->out;
       out.HEXSEL = uint8_t(NumC(o));
       out.outWord2 = uint16_t(NumC(o));
       for (uint32_t& w : out.outSpare) w = uint32_t(NumC(o));
     }},
    {"OPTLX", Needs::kBlock,
     [](OptReader& o) {
       ListingOpts& l = o.block->lst;
       l.pageWidth = uint16_t(NumC(o));
       l.pageLength = uint16_t(NumC(o));
       l.lstByte = uint8_t(NumC(o));
       l.LSTDIR = o.r.String(kPoolProject);
     }},
    {"OPTLT", Needs::kBlock,
     [](OptReader& o) {
       uint32_t& f = o.block->lst.listFlags;
       for (int bit = 0; bit <= 10; ++bit) f = WithBit(f, bit, NumC(o));
       f = WithBit(f, 19, NumC(o));
     }},
    {"OPTXL", Needs::kBlock,
     [](OptReader& o) {
       uint32_t& f = o.block->lst.listFlags;
       for (int bit = 11; bit <= 18; ++bit) f = WithBit(f, bit, NumC(o));
       o.block->lst.lstByte2 = uint8_t(NumC(o));
     }},
    {"OPTFL", Needs::kTarget,
     [](OptReader& o) {
       int b0 = NumC(o), b1 = NumC(o), cur = NumC(o);
       o.target->flags = uint8_t(WithBit(WithBit(o.target->flags, 0, b0), 1, b1));
       if (cur != 0) o.project.curTarget = o.target;
     }},
    {"OPTBL", Needs::kTarget,
     [](OptReader& o) {
       int index = NumC(o);
       uint32_t word = (index & 0x4000) ? 1 : 0;
       index &= ~0x4000;
       OptString title = o.r.String(kPoolProject);
       OptString path = o.r.String(kPoolProject);
       if (index < 0 || index >= kBookSlots) return;
       BookSlot& s = o.target->books[index];
       s.word = word;
       s.title = title;
       s.path = path;
     }},
    {"OPTDL", Needs::kTarget,
     [](OptReader& o) {
       KeyContext c{o.target, o.block, kPoolProject};
       ReadOptDlLine(o.r, c);
     }},
    {"OPTDBG", Needs::kBlock,
     [](OptReader& o) {
       KeyContext c{o.target, o.block, kPoolProject};
       ReadOptDbgLine(o.r, c);
     }},
    {"OPTWA", Needs::kTarget,
     [](OptReader& o) {
       NumC(o);
       int list = NumC(o);
       AppendWatch(o.target, list == 1 ? 0 : 1, o.r.String(kPoolDebugLists), &o.tails);
     }},
    {"OPTMM", Needs::kTarget,
     [](OptReader& o) {
       int window = NumC(o);
       uint16_t value = uint16_t(NumC(o));
       OptString expr = o.r.String(kPoolDebugLists);
       if (MemWindowRec* m = AppendMemWindowEntry(o.target, window - 1, expr, &o.tails)) m->value = value;
     }},
    {"OPTBT", Needs::kTarget,
     [](OptReader& o) {
       NumC(o);
       OptString a = o.r.String(kPoolDebugLists), b = o.r.String(kPoolDebugLists);
       if (!a.empty() && !b.empty()) AppendToolboxButton(o.target, a, b, &o.tails);
     }},
    {"OPTPA", Needs::kTarget,
     [](OptReader& o) {
       NumC(o);
       OptString text = o.r.String(kPoolDebugLists);
       if (!text.empty()) AppendPerfRange(o.target, text, &o.tails);
     }},
    {"OPTSY", Needs::kTarget,
     [](OptReader& o) {
       SymbolsWindowRec* s = PoolNew<SymbolsWindowRec>(kPoolDebugLists);
       s->value = uint32_t(NumC(o));
       s->value16 = uint16_t(NumC(o));
       s->text = o.r.String(kPoolDebugLists);
       o.target->symbolsWindow = s;
     }},
    {"OPTDF", Needs::kTarget, [](OptReader& o) { o.target->debugFlags = uint32_t(Num(o)); }},
    {"OPTLE", Needs::kTarget, [](OptReader& o) { o.target->OPTLE = o.r.String(kPoolProject); }},
    {"OPTLC", Needs::kTarget, [](OptReader& o) { o.target->OPTLC = o.r.String(kPoolProject); }},
    {"OPTLI", Needs::kTarget,
     [](OptReader& o) {
       NumC(o);
       OptString text = o.r.String(kPoolProject);
       if (text.empty()) return;
       TextListRec* node = PoolNew<TextListRec>(kPoolProject);
       node->text = text;
       o.tails.Link(o.target->OPTLI, node);
     }},
    {"OPTBB", Needs::kTarget,
     [](OptReader& o) {
       BreakpointRec* p = AppendBreakpoint(o.target, &o.tails);
       NumC(o);
       uint32_t flags = uint32_t(NumC(o)) & kBreakKindMask;
       p->value1 = uint32_t(NumC(o));
       if (NumC(o) & 1) flags |= kBreakFlag3;
       p->value2 = uint32_t(NumC(o));
       if (NumC(o) & 1) flags |= kBreakFlag4;
       p->value3 = uint32_t(NumC(o));
       p->value4 = uint32_t(NumC(o));
       p->value16 = uint16_t(NumC(o));
       p->value5 = uint32_t(NumC(o));
       p->flags = uint8_t(flags);
       p->inlineText = o.r.String(kPoolDebugLists);
       p->text1 = o.r.String(kPoolDebugLists);
       p->text2 = o.r.String(kPoolDebugLists);
       // A line breakpoint's file that the first string could not hold.
       if ((flags & kBreakKindMask) == kBreakKindLine && p->text1.empty() && !p->inlineText.empty()) {
         p->text1 = p->inlineText;
         p->inlineText = OptString();
       }
     }},
    {"ENDOPT", Needs::kNothing,
     [](OptReader& o) {
       o.target = nullptr;
       o.block = nullptr;
     }},
    {"OPTKEY", Needs::kBlock, [](OptReader& o) { AppendKeyValue(o.block->dbg.OPTKEY, o); }},
    {"OPTKUS", Needs::kBlock, [](OptReader& o) { AppendKeyValue(o.block->lst.OPTKUS, o); }},
    {"CLK51", Needs::kBlock, [](OptReader& o) { o.block->t51.clock = uint32_t(Num(o)); }},
    {"CLK251", Needs::kBlock, [](OptReader& o) { o.block->t251.clock = uint32_t(Num(o)); }},
    {"ARMCLK", Needs::kBlock, [](OptReader& o) { o.block->tGnu.clock = uint32_t(Num(o)); }},
    {"ADSCLK", Needs::kBlock, [](OptReader& o) { o.block->tAds.clock = uint32_t(Num(o)); }},
    {"OPTOX", Needs::kBlock, [](OptReader& o) { o.block->lst.OPTOX = uint32_t(Num(o)); }},
    {"CPPX", Needs::kNothing, [](OptReader& o) { ReadFilter(o, kFilterCpp); }},
    {"DAVETM", Needs::kNothing,
     [](OptReader& o) { o.r.ByteList(o.project.codeGenTime, 8); }},
};

const OptLineHandler* FindOptLine(const std::string& key) {
  if (!LookupProjectKey(key, 1)) return nullptr;
  for (const OptLineHandler& h : kOptLines) {
    if (key == h.key) return &h;
  }
  return nullptr;
}

}  // namespace

void SayDroppedLines(const std::string& path, const std::vector<std::string>& dropped) {
  if (dropped.empty()) return;
  // A few lines name the damage; a file of thousands is not listed whole.
  constexpr std::size_t kListed = 8;
  std::string list;
  for (std::size_t i = 0; i < dropped.size() && i < kListed; ++i) list += "\n" + dropped[i];
  if (dropped.size() > kListed) list += "\n(and " + std::to_string(dropped.size() - kListed) + " more)";
  // Said as the open's other warnings are (PrintToOutput), without their
  // length limit.
  ShellServices& shell = theApp().Shell();
  shell.Beep();
  shell.MessageBox("'" + path + "' is damaged: " + std::to_string(dropped.size()) +
                       " line(s) could not be read and are left out:" + list +
                       "\n\nThe project is saved without them; the file as it is now is kept as '" +
                       BackupNameOf(path) + "'.",
                   kMbOk | kMbIconExclamation);
}

int ReadOptionsText(ProjectRec& project, std::string_view text) {
  std::string message;
  return ReadOptionsText(project, text, &message);
}

int ReadOptionsText(ProjectRec& project, std::string_view text, std::string* message) {
  return ReadOptionsText(project, text, message, nullptr);
}

int ReadOptionsText(ProjectRec& project, std::string_view text, std::string* message,
                    std::vector<std::string>* dropped) {
  if (!HasProjectBanner(text)) return kProjectFileBadContents;
  ProjectLineReader r(text);
  OptReader o{project, RecordIndex(project), r, {}, 0, nullptr, nullptr, ListTails(), 0, {}};
  bool inLostSection = false;  // a section whose target the project lacks, said by its first line
  auto drop = [&] {
    if (dropped) dropped->push_back(r.Described());
  };
  while (r.NextLine()) {
    const OptLineHandler* h = FindOptLine(r.Key());
    if (!h) {
      // Keys of the format that fill nothing here are older programs'.
      if (!r.IsBannerLine() && !LookupProjectKey(r.Key(), 1)) drop();
      continue;
    }
    if ((h->needs == Needs::kTarget && !o.target) || (h->needs == Needs::kBlock && !o.block)) {
      if (!inLostSection) drop();
      continue;
    }
    const bool section = r.Key() == "TARGOPT";
    h->read(o);
    if (section) {
      inLostSection = !o.target && o.fieldFault.empty();
      if (inLostSection) drop();
    } else if (r.Key() == "ENDOPT") {
      inLostSection = false;
    }
    if (!o.fieldFault.empty() && !r.LineWasCut()) {
      *message = "line " + std::to_string(r.LineNumber()) + ": " + o.fieldFault;
      return kProjectFileBadContents;
    }
    // A cut-off last line keeps what it held, as any cut line does.
    if (o.badNumberLine && !r.LineWasCut()) {
      *message = "line " + std::to_string(o.badNumberLine) + ": the value of '" + r.Key() + "' is not a number";
      return kProjectFileBadContents;
    }
  }
  return kProjectFileOk;
}

}  // namespace pm2
