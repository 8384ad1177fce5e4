#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/browse_file_name.h"
#include "browser/browse_navigation.h"
#include "browser/browse_sample_file.h"
#include "platform/temp_dir.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {
namespace {

struct FakeViewer : BrowseViewer {
  bool ShowBrowseResult(bool open, BrowseName& name) override {
    log.push_back(std::string(open ? "browser-open:" : "browser:") + std::string(name.text));
    return hasBrowser;
  }
  void ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) override {
    log.push_back("show:" + path + ":" + std::to_string(line) + ":" + name);
  }
  void Beep() override { log.push_back("beep"); }
  std::vector<std::string> log;
  bool hasBrowser = true;
};

struct FakeChooser : BrowseChooser {
  BrowseSymbol* Choose(const BrowseName& name) override {
    asked.emplace_back(name.text);
    if (pick < 0) return nullptr;
    BrowseSymbol* s = name.first;
    for (int i = 0; i < pick && s; ++i) s = s->next;
    return s;
  }
  std::vector<std::string> asked;
  int pick = -1;  // -1: cancel
};

struct NavFixture : ::testing::Test {
  TempDir dir;
  BrowseSession session;
  BrowseSource source;
  FakeViewer viewer;
  FakeChooser chooser;
  void SetUp() override { Use(SampleModule()); }
  void Use(const BrowseSampleFile& f) {
    source.file = dir / "out";
    source.baseFolder = dir.path();
    f.Write(source.file);
    session.Free();
  }
  std::string Main() const { return dir / "src/main.c"; }
  // The add-in location as "path:line:name".
  std::string Location() {
    const BrowseAddInLocation& l = session.AddInLocation();
    if (!l.Complete()) return "none";
    return l.file->path + ":" + std::to_string(l.line) + ":" + std::string(l.name->text);
  }
};

struct FindRow {
  const char* name;
  const char* symbol;
  bool definition;
  const char* text;      // the result; null: found
  const char* file;      // "main" for src/main.c, else the path
  uint32_t line;
  const char* found = nullptr;  // the name recorded, when not the one asked for
};
class BrowseFindRows : public NavFixture, public ::testing::WithParamInterface<FindRow> {};
TEST_P(BrowseFindRows, AddInLookUp) {
  Use(SampleModule(true));
  const FindRow& r = GetParam();
  std::optional<std::string> text = FindSymbolLocation(session, source, r.symbol, r.definition, chooser);
  ASSERT_TRUE(text);
  if (r.text) {
    EXPECT_EQ(*text, r.text);
    EXPECT_EQ(Location(), "none");
    return;
  }
  EXPECT_EQ(*text, "");
  const std::string file = std::string(r.file) == "main" ? Main() : r.file;
  EXPECT_EQ(Location(), file + ":" + std::to_string(r.line) + ":" + (r.found ? r.found : r.symbol));
  EXPECT_TRUE(chooser.asked.empty());
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseFindRows,
    ::testing::Values(
        FindRow{"DefinitionIsKindOne", "main", true, nullptr, "main", 10},
        FindRow{"ReferenceIsKindTwo", "main", false, nullptr, "main", 40},
        FindRow{"MemberDefinitionIsKindSix", "field", true, nullptr, "main", 71},
        FindRow{"MemberReferenceIsKindFive", "field", false, nullptr, "/abs/util.c", 80},
        FindRow{"CallsAreNoReference", "start", false, "Source Browser: 'start' - undefined Definition/Reference !",
                nullptr, 0},
        FindRow{"NoReference", "pair", false, "Source Browser: 'pair' - undefined Definition/Reference !", nullptr,
                0},
        FindRow{"Undefined", "nothing", true, "Source Browser: 'nothing' is undefined !", nullptr, 0},
        FindRow{"UnderscoreNameAsAsked", "_isr", true, nullptr, "/abs/util.c", 50, "_isr"},
        // The add-in's name is taken as it is: no compiler prefixes tried.
        FindRow{"UnderscoreFormNotTried", "isr", true, "Source Browser: 'isr' is undefined !", nullptr, 0},
        FindRow{"UnderscoreQuestionFormNotTried", "vector", true, "Source Browser: 'vector' is undefined !", nullptr,
                0},
        FindRow{"UnderscoreQuestionNameAsAsked", "_?vector", true, nullptr, "/abs/util.c", 90, "_?vector"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NavFixture, LoaderErrorIsTheAnswer) {
  source.file = dir / "missing";
  EXPECT_EQ(FindSymbolLocation(session, source, "main", true, chooser),
            std::optional<std::string>("Can't open file '" + source.file + "'"));
  FakeViewer v;
  EXPECT_EQ(GoToSymbol(session, source, "main", true, v, chooser), "Can't open file '" + source.file + "'");
}

struct GoRow {
  const char* name;
  const char* symbol;
  bool definition;
  const char* result;
  const char* shown;  // the last viewer call
};
class BrowseGoToRows : public NavFixture, public ::testing::WithParamInterface<GoRow> {};
TEST_P(BrowseGoToRows, EditorLookUp) {
  BrowseSampleFile f = SampleModule(true);
  Use(f);
  const GoRow& r = GetParam();
  EXPECT_EQ(GoToSymbol(session, source, r.symbol, r.definition, viewer, chooser), r.result);
  std::string shown = viewer.log.empty() ? "nothing" : viewer.log.back();
  const std::string mainPath = Main();
  if (shown.find(mainPath) != std::string::npos) shown.replace(shown.find(mainPath), mainPath.size(), "main");
  EXPECT_EQ(shown, r.shown);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseGoToRows,
    ::testing::Values(GoRow{"Definition", "main", true, "", "show:main:10:main"},
                      GoRow{"Reference", "main", false, "", "show:main:40:main"},
                      GoRow{"UnderscoreForm", "isr", true, "", "show:/abs/util.c:50:_isr"},
                      GoRow{"UnderscoreQuestionForm", "vector", true, "", "show:/abs/util.c:90:_?vector"},
                      GoRow{"Undefined", "nothing", true, "Source Browser: 'nothing' is undefined !", "nothing"},
                      GoRow{"NoDefinitionTextNamesTheAskedName", "vector", false,
                            "Source Browser: 'vector' - undefined Definition/Reference !", "browser:_?vector"}),
    [](const auto& info) { return std::string(info.param.name); });

// Steps from the definition of "main": [R 40, call 12, R 0x12345 in util.c, D 10].
TEST_F(NavFixture, StepsSkipCallsAndWrapBothWays) {
  ASSERT_EQ(FindSymbolLocation(session, source, "main", true, chooser), std::optional<std::string>(""));
  struct Step {
    bool next;
    const char* at;
  };
  const Step steps[] = {
      {true, "main:40"},  // past the last entry to the first
      {true, "util:74565"},  // line 0x12345; the call relation at index 1 skipped
      {true, "main:10"},
      {false, "util:74565"},
      {false, "main:40"},  // back over the call
      {false, "main:10"},  // before the first: the last
  };
  for (const Step& s : steps) {
    ASSERT_TRUE(s.next ? GetNextReferenceLocation(session) : GetPreviousReferenceLocation(session)) << s.at;
    std::string at = Location();
    at.replace(0, at.find(':'), at.find("main.c") != std::string::npos ? "main" : "util");
    at = at.substr(0, at.rfind(':'));
    EXPECT_EQ(at, s.at);
  }
  // The editor's steps move the same cursor and show the place.
  ASSERT_TRUE(GoToNextReference(session, viewer));
  EXPECT_EQ(viewer.log.back(), "show:" + Main() + ":40:main");
  ASSERT_TRUE(GoToPreviousReference(session, viewer));
  EXPECT_EQ(viewer.log.back(), "show:" + Main() + ":10:main");
}

TEST_F(NavFixture, StepsNeedACursorAndEnd) {
  EXPECT_FALSE(GetNextReferenceLocation(session));  // nothing loaded
  EXPECT_FALSE(GoToPreviousReference(session, viewer));
  BrowseSampleFile f;
  f.ModuleStart()
      .Header(2)
      .File("a.c")
      .NameRec("calls")
      .Symbol(8)
      .Occurrences({{3, 1, 1, 0, 1}, {4, 1, 2, 0, 1}})
      .NameRec("lost")
      .Symbol(4)
      .Occurrences({{1, 1, 5}, {1, 9, 6}})
      .ModuleEnd();
  Use(f);
  ASSERT_EQ(session.Open(source.file, source.baseFolder), "");
  EXPECT_FALSE(GetNextReferenceLocation(session));  // loaded, no cursor
  BrowseModule& m = *session.Module();
  // Only call relations: the step ends without a place.
  SetBrowseCursor(session, m.FindName("calls")->first, 0);
  EXPECT_FALSE(GetNextReferenceLocation(session));
  EXPECT_FALSE(GetPreviousReferenceLocation(session));
  // An entry in a file the table does not have: no place, but the cursor moved.
  SetBrowseCursor(session, m.FindName("lost")->first, 0);
  EXPECT_EQ(m.cursor.name, m.FindName("lost"));
  EXPECT_FALSE(GetNextReferenceLocation(session));
  EXPECT_EQ(m.cursor.index, 1u);
  EXPECT_TRUE(GetNextReferenceLocation(session));
  EXPECT_EQ(Location(), dir / "a.c" + ":5:lost");
}

TEST_F(NavFixture, FreeingAndEmptyCursorClearTheAddInLocation) {
  ASSERT_EQ(FindSymbolLocation(session, source, "counter", true, chooser), std::optional<std::string>(""));
  EXPECT_EQ(Location(), Main() + ":2:counter");
  SetBrowseCursor(session, nullptr, 0);
  EXPECT_EQ(Location(), "none");
  EXPECT_FALSE(GetNextReferenceLocation(session));
  ASSERT_EQ(FindSymbolLocation(session, source, "counter", false, chooser), std::optional<std::string>(""));
  session.Free();
  EXPECT_EQ(Location(), "none");
  EXPECT_FALSE(GetNextReferenceLocation(session));
  // A failed look-up also leaves no old location behind.
  ASSERT_EQ(FindSymbolLocation(session, source, "counter", false, chooser), std::optional<std::string>(""));
  EXPECT_EQ(FindSymbolLocation(session, source, "nothing", false, chooser),
            std::optional<std::string>("Source Browser: 'nothing' is undefined !"));
  EXPECT_EQ(Location(), "none");
}

struct SeveralFixture : NavFixture {
  void SetUp() override {
    BrowseSampleFile f;
    f.ModuleStart()
        .Header(3)
        .File("a.c")
        .NameRec("i")
        .Symbol(2, 0, 4, 1)
        .Occurrences({{2, 1, 10}, {1, 1, 11}})
        .Symbol(2, 0, 4, 1)
        .Occurrences({{2, 1, 20}, {1, 1, 21}})
        .Symbol(512)  // no class of the nine
        .Occurrences({{2, 1, 30}})
        .ModuleEnd();
    Use(f);
  }
};

TEST_F(SeveralFixture, AddInAsksTheChooser) {
  EXPECT_EQ(FindSymbolLocation(session, source, "i", true, chooser), std::nullopt);  // cancelled
  EXPECT_EQ(chooser.asked, std::vector<std::string>{"i"});
  EXPECT_EQ(Location(), "none");
  chooser.pick = 1;
  EXPECT_EQ(FindSymbolLocation(session, source, "i", false, chooser), std::optional<std::string>(""));
  EXPECT_EQ(Location(), dir / "a.c" + ":21:i");
  ASSERT_TRUE(GetNextReferenceLocation(session));
  EXPECT_EQ(Location(), dir / "a.c" + ":20:i");
}

TEST_F(SeveralFixture, EditorOpensTheBrowserInstead) {
  EXPECT_EQ(GoToSymbol(session, source, "i", true, viewer, chooser), "");
  EXPECT_EQ(viewer.log, std::vector<std::string>{"browser-open:i"});
  EXPECT_TRUE(chooser.asked.empty());
}

TEST_F(SeveralFixture, EditorWithoutBrowserWindowAsksTheChooser) {
  viewer.hasBrowser = false;
  EXPECT_EQ(GoToSymbol(session, source, "i", true, viewer, chooser), "");  // cancelled
  EXPECT_EQ(viewer.log, std::vector<std::string>{"browser-open:i"});
  chooser.pick = 1;
  EXPECT_EQ(GoToSymbol(session, source, "i", false, viewer, chooser), "");
  EXPECT_EQ(viewer.log.back(), "show:" + dir / "a.c" + ":21:i");
  EXPECT_EQ(chooser.asked.size(), 2u);
}

TEST_F(SeveralFixture, ChoiceLinesNameClassAndName) {
  ASSERT_EQ(session.Open(source.file, source.baseFolder), "");
  const BrowseModule& m = *session.Module();
  std::vector<BrowseChoice> rows = BrowseChoices(*m.FindName("i"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].text, "local sym - i");
  EXPECT_EQ(rows[1].text, "local sym - i");
  EXPECT_EQ(rows[0].symbol, m.FindName("i")->first);
  EXPECT_EQ(rows[1].symbol, m.FindName("i")->first->next);
}

TEST_F(NavFixture, SingleRecordGivesNoChoiceLines) {
  ASSERT_EQ(session.Open(source.file, source.baseFolder), "");
  EXPECT_TRUE(BrowseChoices(*session.Module()->FindName("main")).empty());
}

TEST_F(NavFixture, OccurrenceWithoutFile) {
  BrowseSampleFile f;
  f.ModuleStart().Header(1).File("a.c").NameRec("x").Symbol(4).Occurrences({{2, 7, 3}, {1, 1, 4}}).ModuleEnd();
  Use(f);
  EXPECT_EQ(FindSymbolLocation(session, source, "x", true, chooser),
            std::optional<std::string>("Source Browser: 'x' - undefined Definition/Reference !"));
  EXPECT_EQ(GoToSymbol(session, source, "x", true, viewer, chooser), "");
  EXPECT_EQ(viewer.log.back(), "beep");
}

// ---- which file holds the browse data

struct FileNameRow {
  const char* name;
  uint16_t toolset;
  const char* outDir;
  const char* expected;  // below the project folder
};
class BrowseFileNameRows : public ::testing::TestWithParam<FileNameRow> {};
TEST_P(BrowseFileNameRows, LinkerOutput) {
  const FileNameRow& r = GetParam();
  ProjectRec* p = NewProject(nullptr, "/work/proj/Blinky.pm2");
  TargetRec* t = p->firstTarget;
  t->toolset = r.toolset;
  ResetTargetOptions(t, kToolsetUndefined);
  OptionBlock* o = FindTargetOptions(t->pOpts, t);
  ASSERT_TRUE(o);
  o->out.OUTDIR = OptString(r.outDir);
  o->out.OUTNAME = OptString("Blinky");
  EXPECT_EQ(TargetBrowseFile(*p, *t), std::string("/work/proj/") + r.expected);
  PoolFree(kPoolProject);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BrowseFileNameRows,
    ::testing::Values(FileNameRow{"Mcs51ProjectFolder", kToolset51, ".\\", "Blinky"},
                      FileNameRow{"Q166OutputFolder", kToolset166, ".\\obj\\", "obj/Blinky"},
                      FileNameRow{"ArmGnuElf", kToolsetArmGnu, ".\\out\\", "out/Blinky.elf"},
                      FileNameRow{"ArmAdsAxf", kToolsetArmAds, ".\\", "Blinky.axf"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
