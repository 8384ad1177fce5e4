#include "shell/tools/svcs_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace pm2 {
namespace {

const char kSample[] =
    "[SVCS]\r\n"
    "  DataBase=C:\\Repo\r\n"
    "  MenuItem=Check &In %F\r\n"
    "    Command=ci.exe\r\n"
    "    Arguments=-m%Q #F\r\n"
    "    Environment=A=1;B=2\r\n"
    "    RunMinimized=1\r\n"
    "    QueryComment=1\r\n"
    "    QueryRevision=0\r\n"
    "    QueryCheckPoint=0\r\n"
    "  MenuItem=Get\r\n"
    "    Command=get\r\n"
    "    Arguments=\r\n"
    "    Environment=\r\n"
    "    RunMinimized=0\r\n"
    "    QueryComment=0\r\n"
    "    QueryRevision=1\r\n"
    "    QueryCheckPoint=1\r\n";

TEST(SvcsFile, WrittenFileReadsBackByteForByte) {
  std::vector<SvcsSection> s = ParseSvcs(kSample);
  ASSERT_EQ(s.size(), 1u);
  ASSERT_EQ(s[0].entries.size(), 2u);
  EXPECT_EQ(s[0].dataBase, "C:\\Repo");
  EXPECT_EQ(s[0].entries[0].arguments, "-m%Q #F");
  EXPECT_EQ(s[0].entries[1].queryCheckPoint, 1);
  EXPECT_EQ(SerializeSvcs(s), kSample);
}

TEST(SvcsFile, DeletedAndUnnamedEntriesAreNotWritten) {
  std::vector<SvcsSection> s = ParseSvcs(kSample);
  s[0].entries[0].deleted = true;
  s[0].entries.push_back(SvcsEntry());
  std::vector<SvcsSection> back = ParseSvcs(SerializeSvcs(s));
  ASSERT_EQ(back[0].entries.size(), 1u);
  EXPECT_EQ(back[0].entries[0].menuText, "Get");
}

struct LineRow {
  const char* name;
  const char* input;
  std::vector<std::string> lines;
};

class SvcsLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(SvcsLines, Scanner) { EXPECT_EQ(SplitSvcsLines(GetParam().input), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Rows, SvcsLines,
    ::testing::Values(
        LineRow{"LfAndCrLf", "a\nb\r\n\r\n  \t c  \n", {"a", "b", "c"}},
        LineRow{"CommentIsOneBlank", "x/*note*/y\n", {"x y"}},
        LineRow{"CommentOnlyLineSkipped", "/* only */\nz", {"z"}},
        LineRow{"UnclosedCommentEndsLine", "key=v /* open\nnext", {"key=v", "next"}},
        LineRow{"CommentEndsOnItsLine", "a /* x\n*/ b", {"a", "*/ b"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NumberRow {
  const char* name;
  const char* text;
  bool ok;
  uint32_t value;
};

class SvcsNumbers : public ::testing::TestWithParam<NumberRow> {};

TEST_P(SvcsNumbers, Forms) {
  uint32_t v = 0;
  EXPECT_EQ(ParseSvcsNumber(GetParam().text, &v), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(v, GetParam().value);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SvcsNumbers,
                         ::testing::Values(NumberRow{"Hex", "0x1F", true, 31},
                                           NumberRow{"TrailingH", "1H", true, 1},
                                           NumberRow{"HexWithH", "FFh", true, 255},
                                           NumberRow{"Decimal", "12", true, 12},
                                           NumberRow{"Empty", "", false, 0},
                                           NumberRow{"Garbage", "1x", false, 0},
                                           NumberRow{"BareHexLetters", "FF", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ParseRow {
  const char* name;
  const char* input;
  std::string menuText;      // first entry's menu text ("" when none)
  int runMinimized;          // first entry's flag (-1 when no entry)
  size_t sections;
};

class SvcsParse : public ::testing::TestWithParam<ParseRow> {};

TEST_P(SvcsParse, Rules) {
  std::vector<SvcsSection> s = ParseSvcs(GetParam().input);
  EXPECT_EQ(s.size(), GetParam().sections);
  if (s.empty() || s[0].entries.empty()) {
    EXPECT_EQ(GetParam().runMinimized, -1);
    return;
  }
  EXPECT_EQ(s[0].entries[0].menuText, GetParam().menuText);
  EXPECT_EQ(s[0].entries[0].runMinimized, GetParam().runMinimized);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SvcsParse,
    ::testing::Values(
        ParseRow{"KeyLineFirstGivesNothing", "MenuItem=x\n[S]\nMenuItem=y\n", "", -1, 0},
        ParseRow{"CommentAfterMenuText", "[S]\nMenuItem=Get   /* why */\n", "Get", 0, 1},
        ParseRow{"RunMinimizedHex", "[S]\nMenuItem=a\nRunMinimized=0x1\n", "a", 1, 1},
        ParseRow{"RunMinimizedH", "[S]\nMenuItem=a\nRunMinimized = 1H\n", "a", 1, 1},
        ParseRow{"RunMinimizedDecimal", "[S]\nmenuitem=a\nrunminimized=1\n", "a", 1, 1},
        ParseRow{"LowEightBits", "[S]\nMenuItem=a\nRunMinimized=0x102\n", "a", 2, 1},
        ParseRow{"EntryKeysBeforeMenuItemIgnored", "[S]\nRunMinimized=1\nMenuItem=a\n", "a", 0, 1},
        ParseRow{"UnknownKeyIgnored", "[S]\nMenuItem=a\nColour=3\nRunMinimized=1\n", "a", 1, 1},
        ParseRow{"ValueStopsAtFF", "[S]\nMenuItem=ab\xff" "cd\n", "ab", 0, 1},
        ParseRow{"TwoSections", "[S]\nMenuItem=a\n[T]\nMenuItem=b\n", "a", 0, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SvcsFile, TextLimits) {
  std::string longText(400, 'm');
  std::vector<SvcsSection> s =
      ParseSvcs("[" + std::string(50, 'N') + "]\nMenuItem=" + longText + "\nCommand=" + longText + "\n");
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].name.size(), 39u);
  EXPECT_EQ(s[0].entries[0].menuText.size(), 127u);
  EXPECT_EQ(s[0].entries[0].command.size(), 256u);
  // Blanks the cut leaves at the end go, so the value writes and reads back the same.
  s = ParseSvcs("[S]\nMenuItem=" + std::string(125, 'm') + " \t xyz\n");
  EXPECT_EQ(s[0].entries[0].menuText, std::string(125, 'm'));
  EXPECT_EQ(ParseSvcs(SerializeSvcs(s))[0].entries[0].menuText, std::string(125, 'm'));
}

// Every prefix of a written file reads without fault, and every entry it
// yields whose lines all arrived equals the original entry.
TEST(SvcsFile, CutAtEveryLength) {
  const std::vector<SvcsSection> full = ParseSvcs(kSample);
  const std::string bytes = kSample;
  for (size_t n = 0; n <= bytes.size(); ++n) {
    std::vector<SvcsSection> cut = ParseSvcs(bytes.substr(0, n));
    ASSERT_LE(cut.size(), 1u) << n;
    if (cut.empty()) continue;
    ASSERT_LE(cut[0].entries.size(), full[0].entries.size()) << n;
    // The second entry starts at "  MenuItem=Get": the first is whole then.
    if (cut[0].entries.size() == 2) {
      const SvcsEntry& a = cut[0].entries[0];
      const SvcsEntry& b = full[0].entries[0];
      EXPECT_EQ(a.menuText, b.menuText) << n;
      EXPECT_EQ(a.environment, b.environment) << n;
      EXPECT_EQ(a.queryCheckPoint, b.queryCheckPoint) << n;
    }
    if (n == bytes.size()) {
      EXPECT_EQ(SerializeSvcs(cut), bytes);
    }
  }
}

TEST(SvcsFile, UnwritableFileNamed) {
  std::string err;
  EXPECT_FALSE(WriteSvcsFile("/nonexistent-folder/x.SVCS", ParseSvcs(kSample), &err));
  EXPECT_EQ(err, "Can't write to file '/nonexistent-folder/x.SVCS' !");
  std::vector<SvcsSection> s;
  EXPECT_FALSE(ReadSvcsFile("/nonexistent-folder/x.SVCS", &s));
  EXPECT_TRUE(s.empty());
}

}  // namespace
}  // namespace pm2

#include "shell/tools/svcs_template_model.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

struct TemplateFixture : ::testing::Test {
  std::string dir;
  void SetUp() override {
    std::string tmpl = test::TempFolder() + "/pm2svcsXXXXXX";
    dir = ::mkdtemp(tmpl.data());
  }
  void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
  }
  std::string Read(const std::string& path) {
    std::vector<SvcsSection> s;
    ReadSvcsFile(path, &s);
    return SerializeSvcs(s);
  }
};

TEST_F(TemplateFixture, EditsFirstSectionKeepsOthers) {
  std::string path = Write("a.SVCS", "[One]\nDataBase=db1\nMenuItem=Get\nCommand=get\n[Two]\nDataBase=db2\nMenuItem=X\n");
  SvcsTemplateModel m;
  m.Open(path);
  EXPECT_EQ(m.RowTexts(), (std::vector<std::string>{"Get"}));
  EXPECT_FALSE(m.Modified());
  m.Insert(1, "Put %F");
  m.Store(1, "  put  ", " #F ", " A=1 ", 1, 1, 0, 0);
  m.database = " db9 ";
  EXPECT_TRUE(m.Modified());
  std::string err;
  ASSERT_TRUE(m.Write(&err)) << err;
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(path, &s));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].dataBase, "db9");
  ASSERT_EQ(s[0].entries.size(), 2u);
  EXPECT_EQ(s[0].entries[1].command, "put");
  EXPECT_EQ(s[0].entries[1].arguments, "#F");
  EXPECT_EQ(s[1].dataBase, "db2");
  EXPECT_EQ(s[1].entries[0].menuText, "X");
}

TEST_F(TemplateFixture, NewFileGetsSectionSvcsAndChangeAsksToSave) {
  SvcsTemplateModel m;
  m.Open(dir + "/new.SVCS");
  EXPECT_EQ(m.Count(), 0);
  m.Insert(0, "Check In");
  EXPECT_TRUE(m.NeedsSaveQuestion(dir + "/other.SVCS"));
  EXPECT_FALSE(m.NeedsSaveQuestion(dir + "/NEW.svcs"));
  EXPECT_EQ(m.SaveQuestion(), "Save changes to template file '" + dir + "/new.SVCS' ?");
  std::string err;
  ASSERT_TRUE(m.ChangeTemplate(dir + "/other.SVCS", true, &err));
  EXPECT_EQ(Read(dir + "/new.SVCS"), "[SVCS]\r\n  DataBase=\r\n  MenuItem=Check In\r\n    Command=\r\n"
                                     "    Arguments=\r\n    Environment=\r\n    RunMinimized=0\r\n"
                                     "    QueryComment=0\r\n    QueryRevision=0\r\n    QueryCheckPoint=0\r\n");
  EXPECT_EQ(m.Path(), dir + "/other.SVCS");
  EXPECT_FALSE(m.Modified());
  m.Erase(0);  // nothing there: no change
  EXPECT_FALSE(m.Modified());
}

// Commands typed while no template file is named need a name before OK
// can keep them; naming the file keeps them, after the file's own.
TEST_F(TemplateFixture, TypedCommandsWithoutAFileWaitForItsName) {
  SvcsTemplateModel m;
  m.Open("");
  EXPECT_FALSE(m.NeedsTemplateName(""));
  m.Insert(0, "Get");
  m.Store(0, "git", "pull", "", 0, 0, 0, 0);
  EXPECT_TRUE(m.NeedsTemplateName("  "));
  EXPECT_FALSE(m.NeedsTemplateName(dir + "/vc.SVCS"));
  std::string err;
  {
    std::ofstream(dir + "/has.SVCS") << "[SVCS]\nMenuItem=Put\nCommand=git\n";
  }
  SvcsTemplateModel other = m;
  ASSERT_TRUE(m.ChangeTemplate(dir + "/vc.SVCS", false, &err));
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m.Entry(0).arguments, "pull");
  EXPECT_TRUE(m.Modified());
  ASSERT_TRUE(m.Write(&err)) << err;
  std::vector<SvcsSection> s;
  ASSERT_TRUE(ReadSvcsFile(dir + "/vc.SVCS", &s));
  ASSERT_EQ(s.at(0).entries.size(), 1u);
  EXPECT_EQ(s[0].entries[0].menuText, "Get");
  ASSERT_TRUE(other.ChangeTemplate(dir + "/has.SVCS", false, &err));
  EXPECT_EQ(other.RowTexts(), (std::vector<std::string>{"Put", "Get"}));
  // With a file named, a change of name reads the other file as before.
  m.Open(dir + "/vc.SVCS");
  EXPECT_FALSE(m.NeedsTemplateName(""));
}

TEST_F(TemplateFixture, UnwritableTemplateNamed) {
  SvcsTemplateModel m;
  m.Open("/nonexistent-folder/t.SVCS");
  m.Insert(0, "a");
  std::string err;
  EXPECT_FALSE(m.Write(&err));
  EXPECT_EQ(err, "Can't write to file '/nonexistent-folder/t.SVCS' !");
}

}  // namespace
}  // namespace pm2

#include "project/files/project_file.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

// A project with one 51 target whose block holds `identifier`.
ProjectRec* ProjectWithIdentifier(const std::string& identifier) {
  ProjectRec* p = PoolNew<ProjectRec>(kPoolProject);
  p->name = OptString::Pooled("demo", kPoolProject);
  p->folder = OptString::Pooled("/p/", kPoolProject);
  TargetRec* t = PoolNew<TargetRec>(kPoolProject);
  t->kind = kKindTarget;
  t->name = OptString::Pooled("Target 1", kPoolProject);
  t->toolset = kToolset51;
  p->firstTarget = p->lastTarget = p->curTarget = t;
  t->pOpts = NewOptionBlock(kPoolProject);
  t->pOpts->owner = t;
  SetDefaultOptions(*t->pOpts, t, kToolset51, kLevelTarget);
  t->pOpts->lst.SVCSID = OptString::Pooled(identifier, kPoolProject);
  return p;
}

// The identifier field: shown from the target, copied back on OK, written
// to the project file and read back as it was stored.
TEST(SvcsProjectIdentifier, FieldRoundTrip) {
  const std::string longId(70, 'L');
  struct Row {
    const char* name;
    std::string stored;  // in the target before the dialog
    std::string typed;   // the field's text at OK
    bool changed;
    std::string expected;  // in the target after OK and after a save and an open
  } rows[] = {
      {"set", "", "PRJ-42", true, "PRJ-42"},
      {"replaced", "OLD", "NEW 2", true, "NEW 2"},
      {"blanks trimmed", "", "  A 1\t", true, "A 1"},
      {"cut to 64", "", std::string(70, 'x'), true, std::string(64, 'x')},
      {"emptied", "OLD", "", true, ""},
      {"only blanks", "OLD", "   ", true, ""},
      {"retyped the same", "SAME", "SAME", false, "SAME"},
      {"untouched long text kept whole", longId, longId, false, longId},
      {"brackets", "", "rel<2>", true, "rel<2>"},
      {"lone closing bracket", "", "a>b", true, "a>b"},
      {"lone opening bracket", "", "a<b", true, "a<b"},
      {"parentheses and percent", "", "(x) %I", true, "(x) %I"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PoolFreeAll();
    ProjectRec* p = ProjectWithIdentifier(r.stored);
    OptionBlock* block = p->curTarget->pOpts;
    const OptString before = block->lst.SVCSID;

    SvcsTemplateModel m;
    m.AttachTarget(block);
    EXPECT_TRUE(m.HasTarget());
    EXPECT_EQ(m.projectId, r.stored);
    m.projectId = r.typed;
    EXPECT_EQ(m.ApplyProjectIdentifier(), r.changed);
    EXPECT_EQ(block->lst.SVCSID.str(), r.expected);
    if (!r.changed) { EXPECT_TRUE(block->lst.SVCSID.SameStored(before)); }
    if (r.expected.empty()) { EXPECT_TRUE(block->lst.SVCSID.IsEmptyOpt()); }

    const std::string text = BuildProjectFileText(*p);
    ProjectFileIo io;
    ASSERT_EQ(0, ReadProjectText(io, "/p/demo.pm2", text, nullptr)) << io.message;
    ASSERT_TRUE(io.project && io.project->curTarget && io.project->curTarget->pOpts);
    EXPECT_EQ(io.project->curTarget->pOpts->lst.SVCSID.str(), r.expected);
    EXPECT_EQ(BuildProjectFileText(*io.project), text);
  }
  PoolFreeAll();
}

TEST(SvcsProjectIdentifier, WithoutATargetNothingIsCopied) {
  SvcsTemplateModel m;
  m.AttachTarget(nullptr);
  EXPECT_FALSE(m.HasTarget());
  EXPECT_EQ(m.projectId, "");
  m.projectId = "PRJ";
  EXPECT_FALSE(m.ApplyProjectIdentifier());
}

}  // namespace
}  // namespace pm2
