// The options file: editor positions, debug lists, window placements and
// per-target sections survive a save and a read; sections of unknown or
// renamed targets are ignored.
#include <array>
#include <cstring>

#include "project/files/debug_lists.h"
#include "project/files/project_file.h"
#include "project/files/project_lines.h"
#include "project/files/stored_texts.h"
#include "project/model/key_values.h"
#include "projfile_fixture.h"

namespace pm2 {
namespace {

class OptFileTest : public ProjectFileTest {
 protected:
  // Saves p's two texts and reads them back into a new project.
  ProjectRec* RoundTrip(ProjectRec* p, std::string* options = nullptr) {
    std::string project = BuildProjectFileText(*p);
    std::string opt = BuildOptionsFileText(*p);
    if (options) *options = opt;
    std::string_view view(opt);
    ProjectFileIo io;
    EXPECT_EQ(0, ReadProjectText(io, "/tmp/demo.pm2", project, &view)) << io.message;
    return io.project;
  }
};

// A line breakpoint set in any file the project can hold comes back on
// its line of that file, and the project saves again with it.
TEST_F(OptFileTest, LineBreakpointsOfEveryFileTheProjectHoldsComeBack) {
  struct Row {
    const char* name;
    std::string file;
  };
  const Row rows[] = {
      {"Plain", "LED.c"},
      {"ClosingParenthesis", "x)y.c"},
      {"OpeningParenthesis", "x(y.c"},
      {"BalancedParentheses", "x(1).c"},
      {"BalancedAngles", "x<y>.c"},
      {"ParenthesisAndAngles", "x)<y>.c"},
      {"Blank", "my file.c"},
      {"Quote", "x\"y.c"},
      {"NonAsciiAtTheLengthLimit", std::string(126, 'a') + "\xC3\xA4.c"},
  };
  for (const Row& r : rows) {
    PoolFreeAll();
    ProjectRec* p = MakeProject();
    TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
    FileRec* f = AddFile(AddGroupRec(p, "G"), r.file.c_str(), kFileC);
    ASSERT_EQ(StoredFileNameRefusal(f->path.view(), f->name.view()), "") << r.name;
    BreakpointRec* b = AppendBreakpoint(t);
    b->flags = kBreakKindLine | kBreakFlag3;
    b->value1 = 12;
    b->text1 = OptString::Pooled(r.file, kPoolDebugLists);
    ASSERT_EQ(ProjectTextRefusal(*p), "") << r.name;
    ProjectRec* q = RoundTrip(p);
    ASSERT_NE(q->firstTarget->breakpoints, nullptr) << r.name;
    const BreakpointRec& back = *q->firstTarget->breakpoints;
    EXPECT_EQ(back.text1.str(), r.file) << r.name;
    EXPECT_EQ(back.inlineText.str(), "") << r.name;
    EXPECT_EQ(back.value1, 12u) << r.name;
    EXPECT_EQ(back.flags, b->flags) << r.name;
    EXPECT_EQ(ProjectTextRefusal(*q), "") << r.name;
    EXPECT_EQ(BuildOptionsFileText(*q), BuildOptionsFileText(*p)) << r.name;
  }
}

// A line breakpoint the user removed is not written, and what it held is
// not asked about: it cannot make a save fail. Other kinds keep the bit.
TEST_F(OptFileTest, ARemovedLineBreakpointIsNeitherWrittenNorChecked) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
  const auto add = [&](uint8_t flags, const char* file, uint32_t line) {
    BreakpointRec* b = AppendBreakpoint(t);
    b->flags = flags;
    b->value1 = line;
    b->text1 = OptString::Pooled(file, kPoolDebugLists);
  };
  add(kBreakKindLine | kBreakFlag4, "x)y>.c", 3);
  add(kBreakKindLine | kBreakFlag3, "LED.c", 7);
  add(5 | kBreakFlag4, "cond", 9);
  EXPECT_EQ(ProjectTextRefusal(*p), "");
  std::string opt;
  ProjectRec* q = RoundTrip(p, &opt);
  EXPECT_EQ(opt.find("x)y>.c"), std::string::npos) << opt;
  EXPECT_NE(opt.find("OPTBB 0,0,7,1,"), std::string::npos) << opt;
  std::vector<uint32_t> lines;
  for (const BreakpointRec* b = q->firstTarget->breakpoints; b; b = b->next) lines.push_back(b->value1);
  EXPECT_EQ(lines, (std::vector<uint32_t>{7, 9}));
}

TEST_F(OptFileTest, EditorPositionsDebugListsAndPlacementsComeBackInOrder) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolset166);
  AddTarget(p, "Second", kToolsetArmGnu);
  p->curTarget = t->next;
  GroupRec* g = AddGroupRec(p, "G");
  g->flags = 0x0B;
  FileRec* f = AddFile(g, "main.c", kFileC);
  f->topLine = 120;
  f->caretLine = 0x1234567;  // cut to 24 bits
  f->caretColumn = 17;
  f->flags = 0x80 | 0x10 | 0x04 | 0x02;
  for (int i = 0; i < kPlacementSize; ++i) f->windowPlacement[i] = uint8_t(i + 1);
  EditorFileRec* e = AppendEditorFile(&p->editorFiles);
  e->path = OptString::Pooled("C:\\work\\doc\\readme.txt", 1);
  e->number1 = 3;
  e->number2 = -4;
  e->placement[0] = 44;
  t->pOpts->t166.clock = 20000000;
  t->pOpts->t166.EXTMEM[2] = {1, 0x10000, 0x8000};
  t->pOpts->lst.listFlags = 0x80F0F;
  t->books[5].title = OptString::Pooled("User's Guide", 1);
  t->books[5].path = OptString::Pooled("guide.pdf", 1);
  t->books[5].word = 1;
  for (const char* expr : {"a", "b[1]", "(c)"}) {
    AppendMemWindowEntry(t, 2, OptString::Pooled(expr, 9))->value = 7;
  }
  AppendWatch(t, 0, OptString::Pooled("x", 9));
  AppendWatch(t, 1, OptString::Pooled("y + 1", 9));
  BreakpointRec* bp = AppendBreakpoint(t);
  bp->flags = 5 | kBreakFlag4;
  bp->value1 = 0xC0001234;
  bp->value16 = 9;
  bp->inlineText = OptString::Pooled("main.c\\33", 9);
  bp->text2 = OptString::Pooled("cmd", 9);
  AppendToolboxButton(t, OptString::Pooled("Reset", 9), OptString::Pooled("RESET", 9));
  AppendToolboxButton(t, OptString::Pooled("half", 9), OptString());  // not kept
  AppendPerfRange(t, OptString::Pooled("main", 9));
  t->symbolsWindow = PoolNew<SymbolsWindowRec>(9);
  t->symbolsWindow->text = OptString::Pooled("sym", 9);
  t->symbolsWindow->value = 77;
  t->debugFlags = 0xA5;
  t->OPTLE = OptString::Pooled("lint-nt.exe", 1);
  t->pOpts->dbg.OPTKEY = SetKeyValue(nullptr, "DLGDARM", "(1)", 1);
  t->pOpts->lst.OPTKUS = SetKeyValue(nullptr, "NSZCOM", "4", 1);

  std::string opt;
  ProjectRec* q = RoundTrip(p, &opt);
  EXPECT_EQ(0, opt.compare(0, kProjectHeaderSize, kProjectHeader));
  TargetRec* r = q->firstTarget;
  EXPECT_EQ(r->next, q->curTarget);  // OPTFL's third number
  EXPECT_EQ(0x0Bu, q->firstGroup->flags);
  FileRec* rf = q->firstGroup->firstFile;
  EXPECT_EQ(120, rf->topLine);
  EXPECT_EQ(0x234567, rf->caretLine);
  EXPECT_EQ(17, rf->caretColumn);
  EXPECT_EQ(f->flags, rf->flags);
  EXPECT_EQ(0, std::memcmp(f->windowPlacement, rf->windowPlacement, kPlacementSize));
  ASSERT_TRUE(q->editorFiles);
  EXPECT_EQ(".\\doc\\readme.txt", q->editorFiles->path.str());
  EXPECT_EQ(-4, q->editorFiles->number2);
  EXPECT_EQ(44, q->editorFiles->placement[0]);
  EXPECT_EQ(20000000u, r->pOpts->t166.clock);
  EXPECT_EQ(t->pOpts->t166.EXTMEM[2], r->pOpts->t166.EXTMEM[2]);
  EXPECT_EQ(0x80F0Fu, r->pOpts->lst.listFlags);
  EXPECT_EQ("User's Guide", r->books[5].title.str());
  EXPECT_EQ(1u, r->books[5].word);
  std::string mem;
  for (MemWindowRec* m = r->memWindows[2]; m; m = m->next) mem += m->expression.str() + ";";
  EXPECT_EQ("a;b[1];(c);", mem);
  EXPECT_EQ("y + 1", r->watches[1]->expression.str());
  ASSERT_TRUE(r->breakpoints);
  EXPECT_EQ(bp->flags, r->breakpoints->flags);
  EXPECT_EQ(0xC0001234u, r->breakpoints->value1);
  EXPECT_EQ("main.c\\33", r->breakpoints->inlineText.str());
  EXPECT_EQ("cmd", r->breakpoints->text2.str());
  ASSERT_TRUE(r->toolbox);
  EXPECT_EQ(nullptr, r->toolbox->next);
  EXPECT_EQ("sym", r->symbolsWindow->text.str());
  EXPECT_EQ(0xA5u, r->debugFlags);
  EXPECT_EQ("lint-nt.exe", r->OPTLE.str());
  EXPECT_EQ("(1)", GetKeyValue(r->pOpts->dbg.OPTKEY, "DLGDARM"));
  EXPECT_EQ("4", GetKeyValue(r->pOpts->lst.OPTKUS, "NSZCOM"));
  // What was read saves and reads back to the same text.
  std::string again;
  ProjectRec* q2 = RoundTrip(q, &again);
  EXPECT_EQ(again, BuildOptionsFileText(*q2));
}

TEST_F(OptFileTest, CodeGeneratorTimeSurvivesSaveReadAndCopy) {
  ProjectRec* p = MakeProject();
  AddTarget(p, "T", kToolset166);
  const uint8_t stamp[8] = {0x01, 0xFE, 0x00, 0x80, 0x7F, 0x10, 0xAB, 0xCD};
  std::memcpy(p->codeGenTime, stamp, 8);
  std::string opt;
  ProjectRec* back = RoundTrip(p, &opt);
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(0, std::memcmp(stamp, back->codeGenTime, 8));
  // Each project keeps its own stamp: a fresh one reads zeros.
  ProjectRec* fresh = MakeProject();
  AddTarget(fresh, "T", kToolset166);
  ProjectRec* other = RoundTrip(fresh);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(0, std::memcmp(std::array<uint8_t, 8>{}.data(), other->codeGenTime, 8));
  // A working copy takes the stamp along, so saving the copy keeps it.
  ProjectRec* copy = CopyProjectTree(back, kPoolScratch);
  EXPECT_EQ(opt, BuildOptionsFileText(*copy));
}

TEST_F(OptFileTest, SectionsOfRenamedOrSurplusTargetsAreIgnored) {
  ProjectRec* p = MakeProject();
  for (int i = 0; i < 256; ++i) {
    TargetRec* t = AddTarget(p, ("T" + std::to_string(i + 1)).c_str(), kToolset51);
    t->pOpts->t51.clock = 1000 + uint32_t(i);
  }
  std::string project = BuildProjectFileText(*p);
  std::string opt = BuildOptionsFileText(*p);
  // Rename target 2 in the project file only.
  std::size_t at = project.find("Target (T2),");
  project.replace(at, 11, "Target (X2),");
  for (TargetRec* t = p->firstTarget; t; t = t->next) t->pOpts->t51.clock = 0;
  std::string_view view(opt);
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/tmp/d.pm2", project, &view));
  std::vector<TargetRec*> ts;
  for (TargetRec* t = io.project->firstTarget; t; t = t->next) ts.push_back(t);
  ASSERT_EQ(256u, ts.size());
  EXPECT_EQ(1000u, ts[0]->pOpts->t51.clock);
  EXPECT_NE(1001u, ts[1]->pOpts->t51.clock);  // renamed: keeps the defaults
  EXPECT_EQ(1254u, ts[254]->pOpts->t51.clock);  // the 255th
  EXPECT_NE(1255u, ts[255]->pOpts->t51.clock);  // the 256th is ignored
}

// The running index of a list line is not read back, but the text is
// what another installation compares and shows: every list counts from 0.
TEST_F(OptFileTest, ListLinesCountEachListFromZero) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolset51);
  AppendWatch(t, 0, OptString::Pooled("a", 9));
  AppendWatch(t, 0, OptString::Pooled("b", 9));
  AppendWatch(t, 1, OptString::Pooled("c", 9));
  AppendToolboxButton(t, OptString::Pooled("Go", 9), OptString::Pooled("g", 9));
  AppendPerfRange(t, OptString::Pooled("main", 9));
  AppendPerfRange(t, OptString::Pooled("isr", 9));
  for (const char* dir : {"inc", "", "lib"}) {
    TextListRec* n = PoolNew<TextListRec>(kPoolProject);
    n->text = OptString::Pooled(dir, kPoolProject);
    if (TextListRec* last = LastOf(t->OPTLI)) last->next = n; else t->OPTLI = n;
  }
  std::string opt = BuildOptionsFileText(*p);
  const struct {
    const char* name;
    const char* lines;
  } rows[] = {
      {"watch lists", "  OPTWA 0,1,(a)\r\n  OPTWA 1,1,(b)\r\n  OPTWA 0,2,(c)\r\n"},
      {"tool box", "  OPTBT 0,(Go)(g)\r\n"},
      {"analyser ranges", "  OPTPA 0,(main)\r\n  OPTPA 1,(isr)\r\n"},
      {"lint folders, empty left out", "  OPTLI 0,<inc>\r\n  OPTLI 1,<lib>\r\nEndOpt\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_NE(std::string::npos, opt.find(row.lines)) << opt;
  }
}

// Long debug lists read whole and in file order; their reading time is a
// matter for the benchmarks, not for a test.
TEST_F(OptFileTest, LongDebugListsReadWholeInFileOrder) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolset51);
  AppendWatch(t, 0, OptString::Pooled("first", 9));
  std::string opt = BuildOptionsFileText(*p);
  const size_t at = opt.find("  OPTWA 0,1,(first)\r\n");
  ASSERT_NE(at, std::string::npos) << opt;
  const int kLines = 20000;
  std::string many;
  for (int i = 1; i <= kLines; ++i) {
    many += "  OPTWA " + std::to_string(i) + ",1,(w" + std::to_string(i) + ")\r\n";
    many += "  OPTBB " + std::to_string(i) + ",1,0,0,0,0,0,0,0,0,(x)(y)(z)\r\n";
  }
  opt.insert(at, many);
  const std::string project = BuildProjectFileText(*p);
  std::string_view view(opt);
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/tmp/demo.pm2", project, &view)) << io.message;
  int watches = 0, breakpoints = 0;
  for (WatchRec* w = io.project->firstTarget->watches[0]; w; w = w->next) ++watches;
  for (BreakpointRec* b = io.project->firstTarget->breakpoints; b; b = b->next) ++breakpoints;
  EXPECT_EQ(watches, kLines + 1);
  EXPECT_EQ(breakpoints, kLines);
  EXPECT_EQ(io.project->firstTarget->watches[0]->expression.str(), "w1");
  const WatchRec* last = io.project->firstTarget->watches[0];
  while (last->next) last = last->next;
  EXPECT_EQ(last->expression.str(), "first");
}

TEST_F(OptFileTest, BadOptionsFilesFailTheOpen) {
  ProjectRec* p = MakeProject();
  AddTarget(p, "T", kToolset51);
  std::string project = BuildProjectFileText(*p);
  for (std::string_view bad : {std::string_view(""), std::string_view("cExt (*.c)\r\n")}) {
    PoolFree(kPoolProject);
    ProjectFileIo io;
    EXPECT_EQ(8, ReadProjectText(io, "/tmp/d.pm2", project, &bad));
  }
}

// A value that is not a number where the file has one is reported with
// its file and line instead of being read as 0.
TEST_F(OptFileTest, BadNumbersAreReportedWithTheirLine) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
  FileRec* f = AddFile(AddGroupRec(p, "G"), "main.c", kFileC);
  f->topLine = 120;
  t->pOpts->tGnu.clock = 12345678;
  t->debugFlags = 0xA5;
  const std::string project = BuildProjectFileText(*p);
  const std::string opt = BuildOptionsFileText(*p);
  struct Row {
    const char* name;
    const char* key;     // the line whose first number is spoilt
    const char* number;  // as the writer wrote it
  } rows[] = {
      {"clock", "ARMCLK", "12345678"},
      {"debug flags", "OPTDF", "0xA5"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const size_t key = opt.find(std::string(row.key));
    ASSERT_NE(key, std::string::npos) << opt;
    const size_t at = opt.find(row.number, key);
    ASSERT_NE(at, std::string::npos) << opt;
    std::string bad = opt;
    bad.replace(at, std::strlen(row.number), "twelve");
    const int line = int(std::count(opt.begin(), opt.begin() + long(at), '\n')) + 1;
    std::string_view view(bad);
    ProjectFileIo io;
    EXPECT_EQ(kProjectFileBadContents, ReadProjectText(io, "/tmp/d.pm2", project, &view));
    EXPECT_EQ(io.message, "'/tmp/d.Opt' is damaged: line " + std::to_string(line) + ": the value of '" +
                              row.key + "' is not a number");
  }
}

// A target or group line whose name leaves a leftover, or is not closed,
// is refused naming its line: read on, the leftover would be taken for the
// fields after the name (a group's flags, a target's toolset).
TEST_F(OptFileTest, TargetAndGroupLinesWhoseFieldsDoNotEndAreRefused) {
  ProjectRec* p = MakeProject();
  AddTarget(p, "T", kToolsetArmAds);
  AddFile(AddGroupRec(p, "G"), "main.c", kFileC);
  const std::string project = BuildProjectFileText(*p);
  const std::string opt = BuildOptionsFileText(*p);
  struct Row {
    const char* name;
    const char* written;  // as the writer wrote it
    const char* spoilt;
    std::string message;
  } rows[] = {
      {"TargetLeftover", "Target (T), ", "Target (T)1), ", "the fields of 'TARGET' do not end where the line does"},
      {"TargetNotClosed", "Target (T), 0x0004", "Target ((T), 0x0004", "the name in 'TARGET' has no closing ')'"},
      {"GroupLeftover", "GRPOPT 1,(G),", "GRPOPT 1,(G)y),", "the fields of 'GRPOPT' do not end where the line does"},
      {"GroupNotClosed", "GRPOPT 1,(G),", "GRPOPT 1,((G),", "the name in 'GRPOPT' has no closing ')'"},
      {"TargetSectionLeftover", "TARGOPT 1, (T)", "TARGOPT 1, (T)x)",
       "the fields of 'TARGOPT' do not end where the line does"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const size_t at = opt.find(row.written);
    ASSERT_NE(at, std::string::npos) << opt;
    std::string bad = opt;
    bad.replace(at, std::strlen(row.written), row.spoilt);
    const int line = int(std::count(opt.begin(), opt.begin() + long(at), '\n')) + 1;
    std::string_view view(bad);
    PoolFree(kPoolProject);
    ProjectFileIo io;
    EXPECT_EQ(kProjectFileBadContents, ReadProjectText(io, "/tmp/d.pm2", project, &view));
    EXPECT_EQ(io.message, "'/tmp/d.Opt' is damaged: line " + std::to_string(line) + ": " + row.message);
  }
  // As written, it reads.
  std::string_view good(opt);
  PoolFree(kPoolProject);
  ProjectFileIo io;
  EXPECT_EQ(kProjectFileOk, ReadProjectText(io, "/tmp/d.pm2", project, &good)) << io.message;
}

// An options file cut at any length past its banner still opens; every
// value whose line was complete comes back as a whole file gives it, and a
// value whose line was cut off entirely stays as a project without it has.
TEST_F(OptFileTest, EveryCutKeepsTheValuesOfCompleteLines) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
  FileRec* f = AddFile(AddGroupRec(p, "G"), "main.c", kFileC);
  f->topLine = 120;
  f->caretLine = 4567;
  t->pOpts->tGnu.clock = 12345678;
  t->debugFlags = 0xA5;
  t->OPTLE = OptString::Pooled("lint-nt.exe", 1);
  AppendWatch(t, 1, OptString::Pooled("y + 1", 9));
  const std::string project = BuildProjectFileText(*p);
  const std::string opt = BuildOptionsFileText(*p);

  struct Row {
    const char* key;  // the line's key as the file starts it
    std::string (*get)(ProjectRec* q);
  };
  const Row rows[] = {
      {"OPTFFF", [](ProjectRec* q) {
         FileRec* rf = q->firstGroup->firstFile;
         return std::to_string(rf->topLine) + "," + std::to_string(rf->caretLine);
       }},
      {"ARMCLK", [](ProjectRec* q) { return std::to_string(q->firstTarget->pOpts->tGnu.clock); }},
      {"OPTDF", [](ProjectRec* q) { return std::to_string(q->firstTarget->debugFlags); }},
      {"OPTLE", [](ProjectRec* q) { return q->firstTarget->OPTLE.str(); }},
      {"OPTWA", [](ProjectRec* q) {
         WatchRec* w = q->firstTarget->watches[1];
         return w ? w->expression.str() : std::string("<none>");
       }},
  };
  // Reads the project with the options text cut at len; the rows' values.
  auto readCut = [&](std::size_t len, int* rc) {
    PoolFree(kPoolProject);
    PoolFree(kPoolDebugLists);
    std::string_view view = std::string_view(opt).substr(0, len);
    ProjectFileIo io;
    *rc = ReadProjectText(io, "/tmp/demo.pm2", project, &view);
    std::vector<std::string> values;
    if (*rc == 0) for (const Row& r : rows) values.push_back(r.get(io.project));
    if (*rc != 0) {
      EXPECT_NE(std::string::npos, io.message.find("demo.Opt")) << io.message;
    }
    return values;
  };
  int rc = 0;
  const std::vector<std::string> whole = readCut(opt.size(), &rc);
  ASSERT_EQ(0, rc);
  const std::vector<std::string> bare = readCut(kProjectHeaderSize, &rc);
  ASSERT_EQ(0, rc);

  // Each row's line, found once (keys stand after blanks, then ' ' or '=').
  std::vector<std::size_t> starts, ends;
  for (const Row& r : rows) {
    std::size_t found = std::string::npos, count = 0;
    for (std::size_t at = 0; at < opt.size(); at = opt.find('\n', at) + 1) {
      std::size_t k = opt.find_first_not_of(' ', at);
      std::size_t n = std::strlen(r.key);
      if (opt.compare(k, n, r.key) == 0 && (opt[k + n] == ' ' || opt[k + n] == '=')) {
        found = at;
        ++count;
      }
      if (opt.find('\n', at) == std::string::npos) break;
    }
    ASSERT_EQ(1u, count) << r.key << " in\n" << opt;
    starts.push_back(found);
    ends.push_back(opt.find('\n', found) + 1);
  }
  for (std::size_t len = 0; len <= opt.size(); ++len) {
    SCOPED_TRACE("cut at " + std::to_string(len));
    std::vector<std::string> values = readCut(len, &rc);
    // Only a cut inside the banner may refuse the file.
    if (rc != 0) {
      EXPECT_EQ(kProjectFileBadContents, rc);
      EXPECT_LT(len, kProjectHeaderSize);
      continue;
    }
    for (std::size_t i = 0; i < std::size(rows); ++i) {
      if (len >= ends[i]) {
        EXPECT_EQ(whole[i], values[i]) << rows[i].key;
      }
      if (len <= starts[i]) {
        EXPECT_EQ(bare[i], values[i]) << rows[i].key;
      }
    }
  }
  for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_NE(whole[i], bare[i]) << rows[i].key;
}

TEST_F(OptFileTest, ActiveEditorComesFromTheShellHook) {
  ProjectRec* p = MakeProject();
  AddTarget(p, "T", kToolset51);
  AddFile(AddGroupRec(p, "G"), "a.c", kFileC);
  SetSyncFileHook([](FileRec* f) {
    f->flags |= kFileActiveWindow;
    f->topLine = 42;
    return 1;
  });
  ProjectRec* q = RoundTrip(p);
  SetSyncFileHook(nullptr);
  FileRec* f = q->firstGroup->firstFile;
  EXPECT_TRUE(f->flags & kFileActiveWindow);
  EXPECT_EQ(42, f->topLine);
}

}  // namespace
}  // namespace pm2
