// The project file: line grammar, key lines, records, blocks, round trips
// and saving.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "platform/win_path.h"
#include "project/file_test_util.h"
#include "project/files/buffered_file.h"
#include "project/files/project_file.h"
#include "project/recording_shell.h"
#include "projfile_fixture.h"

namespace pm2 {
namespace {

// Every key field of two blocks compared through the key table itself.
void ExpectFieldsEqual(TargetRec* ta, OptionBlock* a, TargetRec* tb, OptionBlock* b, int nodeKind,
                       uint8_t fileType) {
  KeyContext ca{ta, a, 1}, cb{tb, b, 1};
  for (int fam : BlockFamilies(nodeKind, ta->toolset, fileType)) {
    const KeyFamily& f = GetKeyFamily(fam);
    for (std::size_t i = 0; i < f.count; ++i) {
      const FieldRow& row = f.rows[i];
      SCOPED_TRACE(std::string(f.name) + " " + row.key);
      if (row.kind == FieldKind::kNumber || row.kind == FieldKind::kBits) {
        EXPECT_EQ(row.get(ca), row.get(cb));
      } else if (row.kind == FieldKind::kString) {
        EXPECT_EQ(row.str(ca)->str(), row.str(cb)->str());
      } else if (row.kind == FieldKind::kBytes) {
        uint8_t x[64], y[64];
        row.load(ca, x);
        row.load(cb, y);
        EXPECT_EQ(0, std::memcmp(x, y, row.width));
      }
    }
  }
}

// ------------------------------------------------------------------ grammar

struct NumberRow {
  const char* name;
  const char* line;
  int32_t expected;
};

TEST(ProjFileGrammar, NumbersInEveryForm) {
  const NumberRow rows[] = {
      {"hex prefix", "K 0x1F", 31},   {"trailing H", "K 1FH", 31}, {"trailing h", "K 1fh", 31},
      {"decimal", "K 31", 31},        {"negated hex", "K -0x1", -1}, {"minus blank", "K - 12", -12},
      {"with equals", "K = 0X10", 16}, {"none", "K", 0},            {"full 32 bits", "K 0xFFFFFFFF", -1},
  };
  for (const NumberRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text = std::string(row.line) + "\r\n";
    ProjectLineReader r(text);
    ASSERT_TRUE(r.NextLine());
    EXPECT_EQ("K", r.Key());
    EXPECT_EQ(row.expected, r.Number());
  }
}

TEST(ProjFileGrammar, NumberListsWithCommas) {
  std::string text = "Options 3 , 0x2,1fh ,7\n";
  ProjectLineReader r(text);
  ASSERT_TRUE(r.NextLine());
  EXPECT_EQ("OPTIONS", r.Key());
  EXPECT_EQ(3, r.NumberComma());
  EXPECT_EQ(2, r.NumberComma());
  EXPECT_EQ(31, r.NumberComma());
  EXPECT_EQ(7, r.NumberComma());
}

struct LineRow {
  const char* name;
  const char* text;
  const char* key;
  const char* value;
};

TEST(ProjFileGrammar, LinesKeysCommentsAndStrings) {
  const LineRow rows[] = {
      {"key any case", "  optimize = (x)\r\n", "OPTIMIZE", "x"},
      {"lone LF ends a line", "A (1)\nB (2)\n", "A", "1"},
      {"comment anywhere", "Ke/* note */y (v)\r\n", "KE", ""},
      {"comment characters inside a value", "K (a/* c */b)\r\n", "K", "a/* c */b"},
      {"unclosed comment inside a value", "K (FOO /* BAR)\r\n", "K", "FOO /* BAR"},
      {"comment characters inside angle brackets", "K <x /* y>\r\n", "K", "x /* y"},
      {"comment after a nested value", "K /* a */ (f(x) /* b) /* c */\r\n", "K", "f(x) /* b"},
      {"unclosed comment", "K (ab) /* to the end\r\n", "K", "ab"},
      {"nested parentheses", "K (f(a,(b)) x)\r\n", "K", "f(a,(b)) x"},
      {"angle brackets", "K <a<b>c>\r\n", "K", "a<b>c"},
      {"line break escape", "K (one\\~two)\r\n", "K", "one\r\ntwo"},
      {"unterminated value", "K (open\r\n", "K", "open"},
      {"CR alone stays", "K (a\rb)\r\n", "K", "a\rb"},
      {"empty lines skipped", "\r\n \t \r\nK (z)\r\n", "K", "z"},
  };
  for (const LineRow& row : rows) {
    SCOPED_TRACE(row.name);
    ProjectLineReader r(row.text);
    ASSERT_TRUE(r.NextLine());
    EXPECT_EQ(row.key, r.Key());
    EXPECT_EQ(row.value, r.StringText());
  }
}

TEST(ProjFileGrammar, EmptyValueIsTheSharedEmptyString) {
  ProjectLineReader r("K () <> x\r\n");
  ASSERT_TRUE(r.NextLine());
  EXPECT_TRUE(r.String(1).IsEmptyOpt());
  EXPECT_TRUE(r.String(1).IsEmptyOpt());
  EXPECT_TRUE(r.String(1).IsEmptyOpt());  // no bracket: nothing consumed
  EXPECT_EQ(0, r.Number());
}

TEST(ProjFileGrammar, ByteListsFillOnlyWhatTheyReach) {
  struct Row {
    const char* name;
    const char* text;
    uint8_t expected[4];
  } rows[] = {
      {"short list keeps the rest", "K { 1,2 }", {1, 2, 9, 9}},
      {"long list ignores extras", "K { 1,2,3,4,5,6 }", {1, 2, 3, 4}},
      {"cut to 8 bits", "K {0x1FF, -1}", {0xFF, 0xFF, 9, 9}},
      {"garbage skipped", "K { 7, x, 8 }", {7, 9, 9, 9}},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.name);
    uint8_t field[4] = {9, 9, 9, 9};
    std::string text = std::string(row.text) + "\r\n";
    ProjectLineReader r(text);
    ASSERT_TRUE(r.NextLine());
    r.ByteList(field, 4);
    EXPECT_EQ(0, std::memcmp(field, row.expected, 4));
  }
}

TEST(ProjFileGrammar, WrittenValuesReadBack) {
  const char* values[] = {"plain", "nested (a (b) c)", "two\r\nlines", "lone\nLF", ""};
  std::string out;
  ProjectLineWriter w(out);
  for (const char* v : values) w.StringLine("Key", v);
  std::string huge(120000, 'x');  // longer than any fixed line buffer
  w.StringLine("Key", huge);
  ProjectLineReader r(out);
  for (const char* v : values) {
    ASSERT_TRUE(r.NextLine());
    std::string expected = std::strcmp(v, "lone\nLF") == 0 ? "lone\r\nLF" : v;
    EXPECT_EQ(expected, r.StringText());
  }
  ASSERT_TRUE(r.NextLine());
  EXPECT_EQ(huge, r.StringText());
  EXPECT_FALSE(r.NextLine());
}

TEST(ProjFileKeys, TablesAreConsistent) {
  EXPECT_EQ(kKeyTableEnd, g_ProjectKeys[kProjectKeyCount].code);
  for (std::size_t i = 0; i < kProjectKeyCount; ++i) {
    EXPECT_EQ(236 - i, g_ProjectKeys[i].code) << g_ProjectKeys[i].key;
  }
  EXPECT_EQ(39u, LookupProjectKey("ENDOPT", 0)->code);
  EXPECT_EQ(36u, LookupProjectKey("ENDOPT", 1)->code);
  EXPECT_EQ(nullptr, LookupProjectKey("NOSUCH", 0));
  // Every key a block writes is a key of the project file.
  for (int fam = 0; fam < kFamCount; ++fam) {
    const KeyFamily& f = GetKeyFamily(fam);
    for (std::size_t i = 0; i < f.count; ++i) {
      std::string upper = f.rows[i].key;
      for (char& ch : upper) ch = char(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_NE(nullptr, LookupProjectKey(upper, 0)) << upper;
      ASSERT_NE(nullptr, FindFieldRow(upper)) << upper;
      EXPECT_STREQ(f.rows[i].key, FindFieldRow(upper)->key);
    }
  }
}

// ------------------------------------------------------------------ round trips

class ProjFileRoundTrip : public ProjectFileTest {};

TEST_F(ProjFileRoundTrip, EveryToolsetWritesReadsAndWritesAgainIdentically) {
  for (uint16_t toolset = 0; toolset < kToolsetCount; ++toolset) {
    SCOPED_TRACE(ToolsetDisplayName(toolset));
    PoolFreeAll();
    ProjectRec* p = MakeProject();
    TargetRec* t1 = AddTarget(p, "Target 1", toolset);
    TargetRec* t2 = AddTarget(p, "Other (big)", toolset);
    GroupRec* g1 = AddGroupRec(p, "Startup");
    GroupRec* g2 = AddGroupRec(p, "Source Group 2");
    FileRec* fc = AddFile(g1, "main.c", kFileC, 0x5A5A1234);
    FileRec* fa = AddFile(g1, "start.w51", kFileAsm, 7);
    FileRec* fx = AddFile(g2, "lib.cpp", kFileCpp, 0);
    FileRec* ft = AddFile(g2, "notes.txt", kFileText, 0);
    FillFamilies(t1, t1->pOpts, kKindTarget, 0, 100);
    t1->pOpts->dbg.flags = 5;
    t1->pOpts->dbg.str[3] = OptString::Pooled("drv (x)", 1);
    t1->OPTDL[6] = OptString::Pooled("SimArm.DLL", 1);
    FillFamilies(t2, t2->pOpts, kKindTarget, 0, 900);
    // The reader applies the CPU string to the target sub-record after
    // the key lines; that is tested with the device strings.
    t1->CPU = t2->CPU = OptString();
    OptionBlock* gb = AddNodeBlock(g2, t1);
    FillFamilies(t1, gb, kKindGroup, 0, 300);
    OptionBlock* fb[4];
    int i = 0;
    for (FileRec* f : {fc, fa, fx, ft}) {
      fb[i] = AddNodeBlock(f, t2);
      FillFamilies(t2, fb[i], kKindFile, f->type, 500 + 50 * uint32_t(i));
      ++i;
    }

    std::string first = BuildProjectFileText(*p);
    ProjectFileIo io;
    ASSERT_EQ(0, ReadProjectText(io, "/tmp/demo.pm2", first, nullptr)) << io.message;
    ProjectRec* q = io.project;
    EXPECT_EQ(first, BuildProjectFileText(*q));

    // Records and blocks came back where they were.
    TargetRec* r1 = q->firstTarget;
    TargetRec* r2 = r1->next;
    ASSERT_TRUE(r2);
    EXPECT_EQ("Other (big)", r2->name.str());
    EXPECT_EQ(toolset, r2->toolset);
    GroupRec* rg2 = q->firstGroup->next;
    FileRec* rc = q->firstGroup->firstFile;
    EXPECT_EQ(".\\src\\main.c", rc->path.str());
    EXPECT_EQ(0x5A5A1234u, rc->time);
    EXPECT_EQ(kFileAsm, rc->next->type);
    ExpectFieldsEqual(t1, t1->pOpts, r1, r1->pOpts, kKindTarget, 0);
    ExpectFieldsEqual(t2, t2->pOpts, r2, r2->pOpts, kKindTarget, 0);
    ASSERT_TRUE(rg2->pOpts);
    EXPECT_EQ(r1, rg2->pOpts->owner);
    ExpectFieldsEqual(t1, gb, r1, rg2->pOpts, kKindGroup, 0);
    i = 0;
    for (FileRec* f = q->firstGroup->firstFile; f; f = f->next ? f->next : (f->group == rg2 ? nullptr : rg2->firstFile)) {
      ASSERT_TRUE(f->pOpts);
      EXPECT_EQ(r2, f->pOpts->owner);
      ExpectFieldsEqual(t2, fb[i], r2, f->pOpts, kKindFile, f->type);
      ++i;
    }
    EXPECT_EQ(4, i);
    EXPECT_EQ(5u, r1->pOpts->dbg.flags);
    EXPECT_EQ("drv (x)", r1->pOpts->dbg.str[3].str());
    EXPECT_EQ("SimArm.DLL", r1->OPTDL[6].str());
  }
}

TEST_F(ProjFileRoundTrip, FileBlocksCarryTheirTypesFamiliesOnly) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolset166);
  GroupRec* g = AddGroupRec(p, "G");
  AddNodeBlock(AddFile(g, "a.txt", kFileText), t);
  AddNodeBlock(AddFile(g, "b.cpp", kFileCpp), t);
  std::string text = BuildProjectFileText(*p);
  std::size_t txt = text.find("// File 'a.txt'");
  std::size_t cpp = text.find("// File 'b.cpp'");
  ASSERT_NE(std::string::npos, txt);
  ASSERT_NE(std::string::npos, cpp);
  std::string txtBlock = text.substr(txt, cpp - txt);
  EXPECT_NE(std::string::npos, txtBlock.find(" StopCode="));
  EXPECT_EQ(std::string::npos, txtBlock.find("Optimize"));
  EXPECT_EQ(std::string::npos, txtBlock.find("BankNo"));  // a 166 target
  EXPECT_NE(std::string::npos, text.substr(cpp).find(" ECMISC ("));
}

// Files written here must open in the other installation and the reverse,
// so the line forms are checked as text, not only by reading them back.
TEST_F(ProjFileRoundTrip, LineFormsAreExact) {
  ProjectRec* p = MakeProject();
  TargetRec* t51 = AddTarget(p, "Small", kToolset51);
  TargetRec* t166 = AddTarget(p, "Big", kToolset166);
  AddTarget(p, "Odd", 7);
  GroupRec* g = AddGroupRec(p, "Src");
  FileRec* f = AddFile(g, "m.c", kFileC, 0xAB12);
  AddNodeBlock(g, t166);
  AddNodeBlock(f, t51);
  t51->pOpts->t51.T51FL = 0x80000001u;
  t51->pOpts->out.RUNUSR[1] = OptString::Pooled("post.bat", 1);
  t51->pOpts->out.flags.RUNUSR1 = 1;
  t51->pOpts->q51.Q51DEF = OptString::Pooled("A\r\nB", 1);
  t51->OPTDL[1] = OptString::Pooled("-p", 1);
  t166->pOpts->t166.EXTMEM[1] = {1, 0x90000000u, 0x100};
  std::string text = BuildProjectFileText(*p);
  const struct {
    const char* name;
    const char* expected;
  } rows[] = {
      {"target lines", "\r\n\r\nTarget (Small), 0x0000 // Tools: 'MCS-51'\r\n"
                       "Target (Big), 0x0002 // Tools: '166/167'\r\n"
                       "Target (Odd), 0x0007 // Tools: '<unspecified>'\r\n\r\n"},
      {"group and file lines",
       "\r\nGroup (Src)\r\n\r\nFile 1,1,<.\\src\\m.c><m.c> 0xAB12 \r\n\r\n\r\n"},
      {"target block opens", "\r\n\r\nOptions 1,0,0  // Target 'Small'\r\n Device ()\r\n"},
      {"32-bit number in signed decimal", "\r\n T51FL=-2147483647\r\n"},
      {"user programs", "\r\n RunUsr 0 0 <>\r\n RunUsr 1 1 <post.bat>\r\n BrunUsr 0 0 <>\r\n"},
      {"line break in a value", "\r\n Q51DEF (A\\~B)\r\n"},
      {"bank of a 51 target", "\r\n BankNo=65535\r\n NX51FL="},
      {"debug lines", "\r\n  OPTDL ()(-p)()()()()()()\r\n  OPTDBG "},
      {"external memory rows", "\r\n ExtMem 0 0,0,0\r\n ExtMem 1 1,-1879048192,256\r\n"},
      {"block of an unknown toolset", "\r\nOptions 3,0,0  // Target 'Odd'\r\nEndOpt\r\n\r\n"},
      {"group block", "\r\nOptions 2,1,0  // Group 'Src'\r\n PropFld { "},
      {"file block", "\r\nOptions 1,1,1  // File 'm.c'\r\n PropFld { 2,"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_NE(std::string::npos, text.find(row.expected)) << text;
  }
  // Only the 51 and 251 targets carry a bank number.
  std::size_t big = text.find("// Target 'Big'");
  EXPECT_EQ(std::string::npos, text.substr(big, text.find("EndOpt", big) - big).find("BankNo"));
}

TEST_F(ProjFileRoundTrip, RemovedRecordsAreLeftOutAndTheRestRenumbered) {
  ProjectRec* p = MakeProject();
  TargetRec* gone = AddTarget(p, "Gone", kToolset51);
  gone->flags |= kTargetDeleted;
  TargetRec* t = AddTarget(p, "Kept", kToolset51);
  GroupRec* g0 = AddGroupRec(p, "Dropped");
  g0->flags |= kGroupDeleted;
  AddFile(g0, "x.c", kFileC);
  GroupRec* g = AddGroupRec(p, "Live");
  AddFile(g, "removed.c", kFileC)->flags |= kFileRemoved;
  FileRec* f = AddFile(g, "kept.c", kFileC);
  AddNodeBlock(f, t);
  std::string text = BuildProjectFileText(*p);
  EXPECT_EQ(std::string::npos, text.find("Gone"));
  EXPECT_EQ(std::string::npos, text.find("removed.c"));
  EXPECT_NE(std::string::npos, text.find("File 1,1,<.\\src\\kept.c><kept.c> 0x0 \r\n"));
  EXPECT_NE(std::string::npos, text.find("Options 1,1,1  // File 'kept.c'"));
  // The writer leaves its numbers on the records; left-out records carry 0,
  // the files of a deleted group too.
  struct Row {
    const char* name;
    uint32_t number;
    uint32_t expected;
  } rows[] = {{"deleted target", gone->number, 0},     {"kept target", t->number, 1},
              {"deleted group", g0->number, 0},        {"file of deleted group", g0->firstFile->number, 0},
              {"live group", g->number, 1},            {"removed file", g->firstFile->number, 0},
              {"kept file", f->number, 1}};
  for (const Row& r : rows) EXPECT_EQ(r.expected, r.number) << r.name;

  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/tmp/d.pm2", text, nullptr));
  EXPECT_EQ("Kept", io.project->curTarget->name.str());
  EXPECT_EQ(io.project->curTarget, io.project->firstGroup->firstFile->pOpts->owner);
}

TEST_F(ProjFileRoundTrip, ReaderNumbersRecordsInFileOrderAcrossGroups) {
  std::string text = std::string(kProjectHeader) +
                     "Target (A), 0x0000\r\nTarget (B), 0x0000\r\n"
                     "Group (G1)\r\nGroup (G2)\r\n"
                     "File 2,1,<b.c><b.c> 0\r\nFile 1,1,<a.c><a.c> 0\r\nFile 2,1,<c.c><c.c> 0\r\n"
                     "Options 1,0,0\r\nEndOpt\r\nOptions 2,0,0\r\nEndOpt\r\n"
                     "Options 2,2,3\r\nEndOpt\r\n";
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/tmp/n.pm2", text, nullptr)) << io.message;
  ProjectRec* p = io.project;
  EXPECT_EQ(1, p->firstTarget->number);
  EXPECT_EQ(2, p->lastTarget->number);
  EXPECT_EQ(2, p->lastGroup->number);
  // Numbers follow the order of the lines, not the order within groups.
  FileRec* a = p->firstGroup->firstFile;
  FileRec* b = p->lastGroup->firstFile;
  FileRec* c = b->next;
  EXPECT_EQ(2, a->number);
  EXPECT_EQ(1, b->number);
  EXPECT_EQ(3, c->number);
  ASSERT_NE(nullptr, c->pOpts);
  EXPECT_EQ(p->lastTarget, c->pOpts->owner);
  EXPECT_EQ(nullptr, b->pOpts);
  // A save renumbers in list order and still finds the block of c.c.
  std::string again = BuildProjectFileText(*p);
  EXPECT_EQ(1, a->number);
  EXPECT_EQ(3, c->number);
  EXPECT_NE(std::string::npos, again.find("Options 2,2,3  // File 'c.c'"));
}

// More files than 16 bits can number: every one is written, read back and
// written again, each file's own block with it; the ones past 65,535 (where
// a 16-bit number wraps to 0, which means "left out") included.
TEST_F(ProjFileRoundTrip, MoreThan65535FilesAreAllSavedWithTheirBlocks) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "Big", kToolsetArmGnu);
  GroupRec* g = AddGroupRec(p, "Many");
  constexpr uint32_t kFiles = 70000;
  const uint32_t withBlocks[] = {65535, 65536, 65537, kFiles};
  std::vector<FileRec*> files;
  for (uint32_t i = 1; i <= kFiles; ++i) files.push_back(AddFile(g, ("f" + std::to_string(i) + ".c").c_str(), kFileC));
  for (uint32_t n : withBlocks) AddNodeBlock(files[n - 1], t)->prop.PROPFLD[0] = uint8_t(n);
  const std::string text = BuildProjectFileText(*p);
  EXPECT_EQ(files[65535]->number, 65536u);
  EXPECT_NE(std::string::npos, text.find("<.\\src\\f65536.c><f65536.c>"));
  EXPECT_NE(std::string::npos, text.find("Options 1,1,65536  // File 'f65536.c'"));

  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/tmp/big.pm2", text, nullptr)) << io.message;
  uint32_t count = 0;
  for (FileRec* f = io.project->firstGroup->firstFile; f; f = f->next) {
    ++count;
    ASSERT_EQ("f" + std::to_string(count) + ".c", f->name.str());
    const bool blocked = std::find(std::begin(withBlocks), std::end(withBlocks), count) != std::end(withBlocks);
    ASSERT_EQ(blocked, f->pOpts != nullptr) << f->name.str();
    if (blocked) {
      EXPECT_EQ(uint8_t(count), f->pOpts->prop.PROPFLD[0]) << f->name.str();
    }
  }
  EXPECT_EQ(kFiles, count);
  EXPECT_EQ(text, BuildProjectFileText(*io.project));
}

// ------------------------------------------------------------------ bad input

class ProjFileErrors : public ProjectFileTest {};

std::string Text(const std::string& body) { return std::string(kProjectHeader) + body; }

TEST_F(ProjFileErrors, WrongReferencesGiveError8) {
  struct Row {
    const char* name;
    const char* body;
  } rows[] = {
      {"file block without group", "Target (T), 0x0000\r\nGroup (G)\r\nFile 1,1,<a.c><a.c> 0\r\n"
                                   "Options 1,0,2\r\nEndOpt\r\n"},
      {"unknown target", "Target (T), 0x0000\r\nOptions 2,0,0\r\nEndOpt\r\n"},
      {"unknown group", "Target (T), 0x0000\r\nOptions 1,3,0\r\nEndOpt\r\n"},
      {"file of another group", "Target (T), 0x0000\r\nGroup (G)\r\nGroup (H)\r\n"
                                "File 1,1,<a.c><a.c> 0\r\nOptions 1,2,1\r\nEndOpt\r\n"},
      {"file names an unknown group", "Target (T), 0x0000\r\nFile 4,1,<a.c><a.c> 0\r\n"},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.name);
    PoolFreeAll();
    ProjectFileIo io;
    EXPECT_EQ(kProjectFileBadContents, ReadProjectText(io, "/tmp/x.pm2", Text(row.body), nullptr));
    EXPECT_NE(std::string::npos, io.message.find("/tmp/x.pm2")) << io.message;
  }
}

// A block whose "EndOpt" is gone runs into the next record line: the file is
// refused at that line, never read with one target's block taking the
// next one's options (and that target dropped).
TEST_F(ProjFileErrors, ABlockWithoutItsEndIsRefusedAtTheRecordLine) {
  const struct {
    const char* name;
    const char* body;
    const char* message;
  } rows[] = {
      {"next target's block", "Target (A), 0x0003\r\nTarget (B), 0x0003\r\n\r\nOptions 1,0,0\r\nOptimize=1\r\n"
                              "Options 2,0,0\r\nOptimize=3\r\nEndOpt\r\n",
       "'/tmp/x.pm2' line 9: a record line inside an options block, whose 'EndOpt' is missing: 'Options 2,0,0'"},
      {"a group's block", "Target (A), 0x0003\r\nGroup (G)\r\nOptions 1,0,0\r\nEndOpt\r\nOptions 1,1,0\r\n"
                          "Options 1,0,0\r\nEndOpt\r\n",
       "'/tmp/x.pm2' line 9: a record line inside an options block, whose 'EndOpt' is missing: 'Options 1,0,0'"},
      {"file line", "Target (A), 0x0003\r\nGroup (G)\r\nOptions 1,0,0\r\nFile 1,1,<a.c><a.c> 0\r\nEndOpt\r\n",
       "'/tmp/x.pm2' line 7: a record line inside an options block, whose 'EndOpt' is missing: "
       "'File 1,1,<a.c><a.c> 0'"},
      {"target line", "Target (A), 0x0003\r\nOptions 1,0,0\r\nTarget (B), 0x0003\r\nEndOpt\r\n",
       "'/tmp/x.pm2' line 6: a record line inside an options block, whose 'EndOpt' is missing: "
       "'Target (B), 0x0003'"},
      {"group line", "Target (A), 0x0003\r\nOptions 1,0,0\r\nGroup (G)\r\nEndOpt\r\n",
       "'/tmp/x.pm2' line 6: a record line inside an options block, whose 'EndOpt' is missing: 'Group (G)'"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PoolFreeAll();
    ScopedRecordingShell shell;
    ProjectFileIo io;
    EXPECT_EQ(kProjectFileBadContents, ReadProjectText(io, "/tmp/x.pm2", Text(row.body), nullptr));
    EXPECT_EQ(io.message, row.message);
    EXPECT_TRUE(shell.shell.boxes.empty());
  }
}

TEST_F(ProjFileErrors, HeaderIsRequired) {
  ProjectFileIo io;
  EXPECT_EQ(8, ReadProjectText(io, "/tmp/x.pm2", "### Pelmora2 Project", nullptr));
  EXPECT_EQ(8, ReadProjectText(io, "/tmp/x.pm2", "Target (T), 0x0000\r\n", nullptr));
}

TEST_F(ProjFileErrors, TargetWithoutOptionsIsRemovedWithAMessage) {
  ScopedRecordingShell shell;
  std::string body =
      "Target (Empty), 0xFFFF\r\nTarget (Real), 0x0002\r\n\r\nOptions 2,0,0\r\nOptimize=3\r\nEndOpt\r\n";
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/p/x.pm2", Text(body), nullptr));
  ASSERT_EQ(1u, shell.shell.boxes.size());
  EXPECT_EQ("Invalid Project '/p/x.pm2'\nTarget 'Empty' missing Target-Options, Target removed !",
            shell.shell.boxes[0]);
  EXPECT_EQ(1, shell.shell.beeps);
  EXPECT_TRUE(io.project->firstTarget->flags & kTargetDeleted);
  EXPECT_EQ("Real", io.project->curTarget->name.str());
  EXPECT_EQ(3, io.project->curTarget->pOpts->q166.OPTIMIZE);

  // With no target left the project cannot be opened.
  PoolFreeAll();
  EXPECT_EQ(8, ReadProjectText(io, "/p/x.pm2", Text("Target (Empty), 0xFFFF\r\n"), nullptr));
}

TEST_F(ProjFileErrors, NewProjectWithoutToolsetOpensAgainAfterSave) {
  // A new project has one target whose toolset is not chosen yet (none, or
  // a device whose tools are not installed); saving it and opening it again
  // must keep that target and its files, and give it no options, as the
  // new one had none: both files then read back as they were written.
  ScopedRecordingShell shell;
  ProjectRec* project = NewProject("Fresh", "/p/Fresh.pm2");
  ASSERT_NE(project, nullptr);
  ASSERT_EQ(project->firstTarget->toolset, kToolsetUndefined);
  ASSERT_EQ(project->firstTarget->pOpts, nullptr);
  NumberProjectRecords(*project);
  const std::string text = BuildProjectFileText(*project);
  const std::string options = BuildOptionsFileText(*project);
  const std::string targetName = project->firstTarget->name.str();  // the read frees scratch

  ProjectFileIo io;
  const std::string_view optionsView(options);
  ASSERT_EQ(0, ReadProjectText(io, "/p/Fresh.pm2", text, &optionsView));
  EXPECT_TRUE(shell.shell.boxes.empty());
  ASSERT_NE(io.project->curTarget, nullptr);
  EXPECT_EQ(io.project->curTarget->name.str(), targetName);
  EXPECT_FALSE(io.project->curTarget->flags & kTargetDeleted);
  EXPECT_EQ(io.project->curTarget->pOpts, nullptr);
  NumberProjectRecords(*io.project);
  EXPECT_EQ(BuildProjectFileText(*io.project), text);
  EXPECT_EQ(BuildOptionsFileText(*io.project), options);
}

// Keys of the file that fill no field of a block are skipped in it.
TEST_F(ProjFileErrors, FileKeysWithoutAFieldAreSkipped) {
  std::string body =
      "Target (T), 0x0000\r\nGroup (G)\r\n\r\nOptions 1,0,0\r\n PRJNAME (x)\r\n PRJPATH (y)\r\n"
      " Q51MSC (A)\r\nEndOpt\r\nOptions 1,1,0\r\n Q51MSC (B)\r\nEndOpt\r\n";
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectText(io, "/p/x.pm2", Text(body), nullptr));
  EXPECT_EQ("A", io.project->firstTarget->pOpts->q51.Q51MSC.str());
  EXPECT_EQ("B", io.project->firstGroup->pOpts->q51.Q51MSC.str());
  EXPECT_EQ(0u, io.project->firstGroup->pOpts->prop.PROPFLD[0] & 3u);  // a group block
}

// A file that ends inside an options block was cut off: what it holds is
// not what was saved, and a build from it would fail for reasons the user
// can't see. A record number or toolset that is no number is reported with
// its line rather than read as 0.
TEST_F(ProjFileErrors, DamagedFilesAreReportedWithTheirLine) {
  struct Row {
    const char* name;
    std::string body;
    std::string message;
  } rows[] = {
      {"cut inside the target block", "Target (T), 0x0003\r\n\r\nOptions 1,0,0\r\n Q51MSC (A)\r\n",
       "'/p/x.pm2' line 7: the file ends inside the options of target 'T' (its 'EndOpt' is missing)"},
      {"cut inside a group block",
       "Target (T), 0x0000\r\nGroup (G)\r\nOptions 1,0,0\r\nEndOpt\r\nOptions 1,1,0\r\n Q51MSC (B)\r\n",
       "'/p/x.pm2' line 9: the file ends inside the options of target 'T' (its 'EndOpt' is missing)"},
      {"toolset not a number", "Target (T), GNU\r\n",
       "'/p/x.pm2' line 4: the toolset is not a number: 'Target (T), GNU'"},
      {"group number not a number", "Target (T), 0x0000\r\nGroup (G)\r\nFile one,1,<a.c><a.c> 0x0\r\n",
       "'/p/x.pm2' line 6: the group number is not a number: 'File one,1,<a.c><a.c> 0x0'"},
      {"options numbers not numbers", "Target (T), 0x0000\r\nOptions x,0,0\r\nEndOpt\r\n",
       "'/p/x.pm2' line 5: a record number is not a number: 'Options x,0,0'"},
      // Inside a block: read as its default, a key or value the block can't
      // take would build something else (no hex file, another folder).
      {"unknown key in a block", "Target (T), 0x0000\r\nOptions 1,0,0\r\n GenHexx=1\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: unknown key 'GENHEXX' in the options: 'GenHexx=1'"},
      {"bit-field value not a number", "Target (T), 0x0000\r\nOptions 1,0,0\r\n GenHex=yes\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'GenHex' is no number: 'GenHex=yes'"},
      {"number followed by more", "Target (T), 0x0000\r\nOptions 1,0,0\r\n HexSel=1x\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'HexSel' is no number: 'HexSel=1x'"},
      {"bit-field too big", "Target (T), 0x0000\r\nOptions 1,0,0\r\n GenHex=2\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'GenHex' does not fit its field: 'GenHex=2'"},
      {"byte field too big", "Target (T), 0x0000\r\nOptions 1,0,0\r\n HexSel=256\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'HexSel' does not fit its field: 'HexSel=256'"},
      {"word overflowing 32 bits", "Target (T), 0x0000\r\nOptions 1,0,0\r\n TGMORE=0x100000001\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'TGMORE' does not fit its field: 'TGMORE=0x100000001'"},
      {"toolset overflowing its field", "Target (T), 0x1000000000003\r\n",
       "'/p/x.pm2' line 4: the toolset does not fit its field: 'Target (T), 0x1000000000003'"},
      {"clock not a number", "Target (T), 0x0000\r\nOptions 1,0,0\r\n Cpu (CLOCK(fast))\r\nEndOpt\r\n",
       "'/p/x.pm2' line 6: the value of 'CLOCK' is no number in the CPU string: '(CLOCK(fast))'"},
      // A name's leftover is no toolset: "T)1" read on would be target 'T'
      // of another family.
      {"target name with a leftover", "Target (T)1), 0x0004 // Tools: 'ARM-ADS'\r\n",
       "'/p/x.pm2' line 4: the target's fields do not end where the line does: "
       "'Target (T)1), 0x0004 // Tools: 'ARM-ADS''"},
      // The build names its dependency file after the target.
      {"target name with a folder separator", "Target (a/b), 0x0004\r\n",
       "'/p/x.pm2' line 4: the target name holds a '/', which would make a folder of the files the build names "
       "after it: 'Target (a/b), 0x0004'"},
      {"target name not closed", "Target ((T), 0x0004\r\n",
       "'/p/x.pm2' line 4: the target name has no closing ')': 'Target ((T), 0x0004'"},
      {"group name with a leftover", "Target (T), 0x0000\r\nGroup (x)y)\r\n",
       "'/p/x.pm2' line 5: the group's name does not end where the line does: 'Group (x)y)'"},
      {"group name not closed", "Target (T), 0x0000\r\nGroup ((x)\r\n",
       "'/p/x.pm2' line 5: the group name has no closing ')': 'Group ((x)'"},
      // Kept both, a request naming one of them would change the other.
      {"two groups of one name", "Target (T), 0x0000\r\nGroup (Source)\r\nGroup (Lib)\r\nGroup (source)\r\n",
       "'/p/x.pm2' line 7: the group has the name of group 'Source' above it (group names are told apart without "
       "letter case): 'Group (source)'"},
  };
  for (const Row& r : rows) {
    ProjectFileIo io;
    EXPECT_EQ(kProjectFileBadContents, ReadProjectText(io, "/p/x.pm2", Text(r.body), nullptr)) << r.name;
    EXPECT_EQ(io.message, r.message) << r.name;
  }
}

TEST_F(ProjFileErrors, EveryCutOfAFileReadsOrFailsCleanly) {
  ProjectRec* p = MakeProject();
  TargetRec* t = AddTarget(p, "T", kToolsetArmGnu);
  GroupRec* g = AddGroupRec(p, "G");
  AddNodeBlock(AddFile(g, "a.c", kFileC), t);
  std::string text = BuildProjectFileText(*p);
  // What a read keeps, as text: the names of the live targets, groups and
  // files with each file's path.
  auto names = [](ProjectRec* q) {
    std::string out;
    for (TargetRec* t = q->firstTarget; t; t = t->next)
      if (!(t->flags & kTargetDeleted)) out += "T:" + t->name.str() + ";";
    for (GroupRec* g = q->firstGroup; g; g = g->next) {
      out += "G:" + g->name.str() + ";";
      for (FileRec* f = g->firstFile; f; f = f->next) out += "F:" + f->path.str() + "|" + f->name.str() + ";";
    }
    return out;
  };
  PoolFree(kPoolProject);
  ProjectFileIo full;
  ASSERT_EQ(0, ReadProjectText(full, "/p/x.pm2", text, nullptr)) << full.message;
  const std::string whole = names(full.project);
  ASSERT_NE(std::string::npos, whole.find("a.c")) << whole;
  bool anyRead = false;
  for (std::size_t len = 0; len <= text.size(); ++len) {
    SCOPED_TRACE("cut at " + std::to_string(len));
    PoolFree(kPoolProject);
    ProjectFileIo io;
    int rc = ReadProjectText(io, "/p/x.pm2", std::string_view(text).substr(0, len), nullptr);
    if (rc != 0) {
      // Refused: the message names the file.
      EXPECT_EQ(kProjectFileBadContents, rc);
      EXPECT_NE(std::string::npos, io.message.find("'/p/x.pm2'")) << io.message;
      continue;
    }
    // A project that opens has every record whole: the file list comes
    // before the target's block, so no cut name or path can get through.
    anyRead = true;
    EXPECT_EQ(whole, names(io.project));
  }
  EXPECT_TRUE(anyRead);
}

// ------------------------------------------------------------------ files on disk

class ProjFileDisk : public ProjectFileTest {
 protected:
  ScratchDir dir;
  std::string Folder() { return dir.path.string() + "/"; }
};

TEST_F(ProjFileDisk, UnchangedSaveLeavesTheFilesAlone) {
  ProjectRec* p = MakeProject(Folder().c_str(), "demo");
  AddTarget(p, "T", kToolset51);
  ProjectFileIo io;
  ASSERT_EQ(0, WriteProjectFiles(io, p)) << io.message;
  std::string pm2 = dir.File("demo.Pm2");
  ASSERT_EQ(0, std::string(kProjectHeader).compare(0, 64, ReadFileText(pm2), 0, 64));
  struct stat before, after;
  ASSERT_EQ(0, ::stat(pm2.c_str(), &before));
  ASSERT_EQ(0, WriteProjectFiles(io, p));
  ASSERT_EQ(0, ::stat(pm2.c_str(), &after));
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_FALSE(std::filesystem::exists(dir.File("demo_Pm2.Bak")));

  p->firstTarget->pOpts->q51.Q51MSC = OptString::Pooled("CHANGED", 1);
  ASSERT_EQ(0, WriteProjectFiles(io, p));
  EXPECT_TRUE(std::filesystem::exists(dir.File("demo_Pm2.Bak")));
  ProjectFileIo in;
  ASSERT_EQ(0, ReadProjectFile(in, pm2)) << in.message;
  EXPECT_EQ("CHANGED", in.project->firstTarget->pOpts->q51.Q51MSC.str());
}

// Fails every file creation whose path names the project file.
class ProjectFileFailingDisk : public FailingDisk {
 public:
  ProjectFileFailingDisk() : FailingDisk(kWrite) {}
  int CreateNew(const std::string& p, unsigned m, int* h) override {
    return p.find(".Pm2") != std::string::npos ? ENOSPC : d.CreateNew(p, m, h);
  }
  int Write(int h, const char* data, size_t n) override { return d.Write(h, data, n); }
};

TEST_F(ProjFileDisk, FailedProjectFileIsReportedAndTheOptionsFileStillWritten) {
  ProjectRec* p = MakeProject(Folder().c_str(), "demo");
  AddTarget(p, "T", kToolset166);
  ProjectFileFailingDisk disk;
  ProjectFileIo io(&disk);
  EXPECT_NE(0, WriteProjectFiles(io, p));
  EXPECT_EQ(dir.File("demo.Pm2"), io.path);
  EXPECT_NE(std::string::npos, io.message.find("demo.Pm2")) << io.message;
  EXPECT_FALSE(std::filesystem::exists(dir.File("demo.Pm2")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("demo.Opt")));
}

TEST_F(ProjFileDisk, WindowsFileOpensAndItsFilesResolveIgnoringCase) {
  std::filesystem::create_directories(dir.path / "Src");
  WriteFileText(dir.File("Src/Main.C"), "int main;\n");
  std::string body =
      "Target (Board), 0x0003 // Tools: 'ARM-GNU'\r\n\r\nGroup (App)\r\n\r\n"
      "File 1,1,<.\\SRC\\main.c><main.c> 0x0 \r\n\r\n\r\nOptions 1,0,0  // Target 'Board'\r\n"
      " OutDir (.\\Obj\\)\r\nEndOpt\r\n";
  WriteFileText(dir.File("board.pm2"), Text(body));
  WriteFileText(dir.File("BOARD.OPT"), Text("cExt (*.c;*.x)\r\n"));
  ProjectFileIo io;
  ASSERT_EQ(0, ReadProjectFile(io, dir.File("board.pm2"))) << io.message;
  EXPECT_EQ("*.c;*.x", io.project->filters[kFilterC].str());
  EXPECT_EQ(".\\Obj\\", io.project->firstTarget->pOpts->out.OUTDIR.str());
  PathResolver resolver;
  std::string local;
  ASSERT_TRUE(resolver.ResolveStoredPath(io.project->firstGroup->firstFile->path.view(), Folder(),
                                         &local));
  EXPECT_EQ(dir.File("Src/Main.C"), local);
}

TEST_F(ProjFileDisk, ReadOnlyProjectAsksForANewName) {
  ProjectRec* p = MakeProject(Folder().c_str(), "ro");
  AddTarget(p, "T", kToolset51);
  ProjectFileIo first;
  ASSERT_EQ(0, WriteProjectFiles(first, p)) << first.message;
  const std::string original = ReadFileText(dir.File("ro.Pm2"));
  ::chmod(dir.File("ro.Pm2").c_str(), 0444);

  struct Row {
    const char* name;
    bool answer;        // what the user says
    int expected;       // the save's result
    bool newFilesMade;  // "copy.Pm2" and "copy.Opt" exist afterwards
  } rows[] = {{"refused", false, 0, false}, {"new name chosen", true, 0, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ProjectFileIo in;
    ASSERT_EQ(0, ReadProjectFile(in, dir.File("ro.Pm2"))) << in.message;
    ProjectRec* q = in.project;
    ASSERT_TRUE(q->flags & kProjectReadOnly);
    q->firstTarget->pOpts->q51.Q51MSC = OptString::Pooled("CHANGED", 1);
    ::unlink(dir.File("ro.Opt").c_str());

    int asked = 0;
    std::string newFolder = Folder();
    ProjectFileIo out;
    out.saveProjectAs = [&](ProjectRec* project) {
      ++asked;
      if (!r.answer) return false;
      project->name = OptString::Pooled("copy", kPoolProject);
      project->folder = OptString::Pooled(newFolder, kPoolProject);
      project->flags &= uint8_t(~kProjectReadOnly);
      return true;
    };
    EXPECT_EQ(r.expected, WriteProjectFiles(out, q)) << out.message;
    EXPECT_EQ(1, asked);
    EXPECT_EQ(original, ReadFileText(dir.File("ro.Pm2")));
    // A refusal ends the save before the options file; a new name takes it along.
    EXPECT_FALSE(std::filesystem::exists(dir.File("ro.Opt")));
    EXPECT_EQ(r.newFilesMade, std::filesystem::exists(dir.File("copy.Pm2")));
    EXPECT_EQ(r.newFilesMade, std::filesystem::exists(dir.File("copy.Opt")));
    if (r.newFilesMade) {
      ProjectFileIo back;
      ASSERT_EQ(0, ReadProjectFile(back, dir.File("copy.Pm2"))) << back.message;
      EXPECT_EQ("CHANGED", back.project->firstTarget->pOpts->q51.Q51MSC.str());
      EXPECT_FALSE(back.project->flags & kProjectReadOnly);
    }
  }
  // Unchanged text: nothing to write, so nobody is asked.
  ProjectFileIo in;
  ASSERT_EQ(0, ReadProjectFile(in, dir.File("ro.Pm2")));
  int asked = 0;
  ProjectFileIo out;
  out.saveProjectAs = [&](ProjectRec*) {
    ++asked;
    return true;
  };
  EXPECT_EQ(0, WriteProjectFiles(out, in.project));
  EXPECT_EQ(0, asked);
  ::chmod(dir.File("ro.Pm2").c_str(), 0644);
}

TEST_F(ProjFileDisk, ReadOnlyAndMissingFiles) {
  ProjectFileIo io;
  EXPECT_EQ(kProjectFileCannotOpen, ReadProjectFile(io, dir.File("none.pm2")));
  WriteFileText(dir.File("empty.pm2"), "");
  EXPECT_EQ(kProjectFileBadContents, ReadProjectFile(io, dir.File("empty.pm2")));

  ProjectRec* p = MakeProject(Folder().c_str(), "ro");
  AddTarget(p, "T", kToolset51);
  ASSERT_EQ(0, WriteProjectFiles(io, p));
  ::chmod(dir.File("ro.Pm2").c_str(), 0444);
  ProjectFileIo in;
  ASSERT_EQ(0, ReadProjectFile(in, dir.File("ro.Pm2")));
  EXPECT_TRUE(in.project->flags & kProjectReadOnly);
  // A changed read-only project is not overwritten without a new name.
  in.project->firstTarget->pOpts->q51.Q51MSC = OptString::Pooled("X", 1);
  EXPECT_EQ(kProjectFileReadOnly, WriteProjectFiles(in, in.project));
  ::chmod(dir.File("ro.Pm2").c_str(), 0644);
}

}  // namespace
}  // namespace pm2
