#include "project/edit/component_lists.h"

#include <gtest/gtest.h>

#include <functional>

#include "project/model_fixture.h"
#include "project/recording_shell.h"

namespace pm2 {
namespace {

class ComponentsTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    open = OpenNewProject("/work/demo/demo.pm2");
    open->curTarget->toolset = 3;
    AddGroup(open, "Docs");
    AddFileToGroup(open->firstGroup, "main.c", "./", kFileC);
    AddFileToGroup(open->firstGroup, "util.c", "./", kFileC);
    AddFileToGroup(open->firstGroup->next, "rt.lib", "./", kFileLibrary);
    OpenProjectSheetCopy(c, open, "/nonexistent/TOOLS.INI", nullptr);
  }
  std::vector<std::string> Names(const std::vector<TargetRec*>& v) {
    std::vector<std::string> out;
    for (auto* t : v) out.push_back(t->name.str());
    return out;
  }
  ProjectRec* open = nullptr;
  ProjectSheetCopy c;
};

struct NameRow {
  const char* name;
  const char* newName;
  const char* message;
};

TEST_F(ComponentsTest, TargetRenameRows) {
  AddTarget(c, 1, "Flash", nullptr);
  const NameRow rows[] = {
      {"case only", "target 1", "Target item already exists"},
      {"other target", "FLASH", "Target item already exists"},
      {"new name", "Debug", ""},
  };
  for (const NameRow& r : rows) {
    EditResult res = RenameTarget(c, 0, r.newName);
    EXPECT_EQ(res.message, r.message) << r.name;
    EXPECT_EQ(res.ok, std::string(r.message).empty()) << r.name;
  }
  EXPECT_EQ(Names(c.targets), (std::vector<std::string>{"Debug", "Flash"}));
}

// A name is cut to 128 characters, never inside one: a character of
// several bytes at the limit is kept whole or left out whole.
TEST_F(ComponentsTest, NamesAreCutBetweenCharacters) {
  const std::string umlaut = "\xC3\xA4";
  const struct {
    const char* name;
    std::string typed;
    std::string kept;
  } rows[] = {
      {"last character of two bytes", std::string(127, 'a') + umlaut, std::string(127, 'a') + umlaut},
      {"one character too many", std::string(128, 'a') + umlaut, std::string(128, 'a')},
      {"all of two bytes", std::string(" ") + [&] {
         std::string s;
         for (int i = 0; i < 130; ++i) s += umlaut;
         return s;
       }(), " " + [&] {
         std::string s;
         for (int i = 0; i < 127; ++i) s += umlaut;
         return s;
       }()},
  };
  for (const auto& r : rows) {
    ASSERT_TRUE(RenameGroup(c, 0, r.typed).ok) << r.name;
    EXPECT_EQ(c.groups[0]->name.str(), r.kept) << r.name;
    ASSERT_TRUE(RenameTarget(c, 0, r.typed).ok) << r.name;
    EXPECT_EQ(c.targets[0]->name.str(), r.kept) << r.name;
    // The next row starts from other names (a rename to the same name is
    // a duplicate).
    ASSERT_TRUE(RenameGroup(c, 0, "G").ok);
    ASSERT_TRUE(RenameTarget(c, 0, "T").ok);
  }
}

TEST_F(ComponentsTest, GroupDuplicateIsRefusedIgnoringCase) {
  EXPECT_EQ(AddGroup(c, 2, "docs").message, "Group item already exists");
  EXPECT_EQ(c.groups.size(), 2u);
  EXPECT_TRUE(AddGroup(c, 2, "Startup").ok);
  EXPECT_EQ(c.project->lastGroup->name.str(), "Startup");
  EXPECT_EQ(RenameGroup(c, 2, "SOURCE GROUP 1").message, "Group item already exists");
}

// Targets and groups are written as "(name)": a name with a bracket
// without its partner would read back as another name (and the rest of the
// line as other fields), so every road that names one refuses it and says
// why; the lists stay as they were.
TEST_F(ComponentsTest, NamesTheProjectFileCannotHoldAreRefusedWithTheReason) {
  const struct {
    const char* name;
    std::function<EditResult(ProjectSheetCopy&, const std::string&)> edit;
    std::string text;
    std::string message;  // "" when taken
  } rows[] = {
      {"RenameTargetClosing", [](auto& c, auto& n) { return RenameTarget(c, 0, n); }, "T)1",
       "The target name 'T)1' cannot be stored: it holds a ')' without its '('."},
      {"RenameTargetOpening", [](auto& c, auto& n) { return RenameTarget(c, 0, n); }, "T(1",
       "The target name 'T(1' cannot be stored: it holds a '(' without its ')'."},
      {"AddTargetClosing", [&](auto& c, auto& n) { return AddTarget(c, 0, n, open->curTarget); }, "T)1",
       "The target name 'T)1' cannot be stored: it holds a ')' without its '('."},
      {"RenameGroupClosing", [](auto& c, auto& n) { return RenameGroup(c, 0, n); }, "x)y",
       "The group name 'x)y' cannot be stored: it holds a ')' without its '('."},
      {"AddGroupClosing", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "x)y",
       "The group name 'x)y' cannot be stored: it holds a ')' without its '('."},
      {"AddGroupOpening", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "(x",
       "The group name '(x' cannot be stored: it holds a '(' without its ')'."},
      {"AddGroupLineBreakMark", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "a\\~b",
       "The group name 'a\\~b' cannot be stored: it holds the characters \"\\~\"."},
      // Cut to the longest name, the closing bracket would be lost.
      {"AddGroupCutOpen", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "(" + std::string(127, 'x') + ")",
       "The group name '(" + std::string(127, 'x') + "' cannot be stored: it holds a '(' without its ')'."},
      // The build names files after a target: "a/b" would be a folder.
      {"RenameTargetSlash", [](auto& c, auto& n) { return RenameTarget(c, 0, n); }, "a/b",
       "The target name 'a/b' cannot be stored: it holds a '/', which would make a folder of the files the build "
       "names after it."},
      {"AddTargetBackslash", [&](auto& c, auto& n) { return AddTarget(c, 0, n, open->curTarget); }, "a\\b",
       "The target name 'a\\b' cannot be stored: it holds a '\\', which would make a folder of the files the "
       "build names after it."},
      {"RenameTargetTab", [](auto& c, auto& n) { return RenameTarget(c, 0, n); }, "a\tb",
       "The target name 'a\tb' cannot be stored: it holds the control character 0x09, which the files the build "
       "names after it cannot hold."},
      {"GroupSlashIsTaken", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "Drivers/UART", ""},
      {"BalancedBracketsAreTaken", [](auto& c, auto& n) { return AddGroup(c, 0, n); }, "Drivers (UART)", ""},
      {"BalancedTargetIsTaken", [](auto& c, auto& n) { return RenameTarget(c, 0, n); }, "Flash (A)", ""},
  };
  for (const auto& r : rows) {
    const std::vector<std::string> targets = Names(c.targets);
    std::vector<std::string> groups;
    for (GroupRec* g : c.groups) groups.push_back(g->name.str());
    EditResult res = r.edit(c, r.text);
    EXPECT_EQ(res.message, r.message) << r.name;
    EXPECT_EQ(res.ok, r.message.empty()) << r.name;
    if (res.ok) continue;
    EXPECT_EQ(Names(c.targets), targets) << r.name;
    std::vector<std::string> groupsAfter;
    for (GroupRec* g : c.groups) groupsAfter.push_back(g->name.str());
    EXPECT_EQ(groupsAfter, groups) << r.name;
  }
}

TEST_F(ComponentsTest, NewTargetCopiesCurrentOrOpenProjectsCurrent) {
  DeleteTarget(c, 0);
  EXPECT_EQ(c.current, nullptr);
  EXPECT_EQ(AddTarget(c, 0, "T2", nullptr).message, "No current Target is available !");
  ASSERT_TRUE(AddTarget(c, 0, "T2", open->curTarget).ok);
  EXPECT_EQ(c.targets[0]->toolset, 3);
  EXPECT_NE(c.targets[0], open->curTarget);
}

TEST_F(ComponentsTest, LeavingNeedsATargetAndAGroup) {
  DeleteTarget(c, 0);
  EXPECT_EQ(CheckComponentsComplete(c), "At least one Target is required !");
  AddTarget(c, 0, "T", open->curTarget);
  DeleteGroup(c, 1);
  DeleteGroup(c, 0);
  EXPECT_EQ(CheckComponentsComplete(c), "At least one Group is required !");
}

TEST_F(ComponentsTest, OkMakesFirstTargetCurrentWhenCurrentWasDeleted) {
  AddTarget(c, 1, "Second", nullptr);
  MoveTarget(c, 1, 0);
  DeleteTarget(c, 1);  // "Target 1", the current one
  SheetApplyResult r = ApplyProjectSheetCopy(c, open, nullptr, "/nonexistent/TOOLS.INI");
  ASSERT_NE(open->curTarget, nullptr);
  EXPECT_EQ(open->curTarget->name.str(), "Second");
  EXPECT_EQ(open->firstTarget, open->curTarget);
  EXPECT_EQ(open->firstTarget->next, nullptr);
  EXPECT_FALSE(r.envChanged);
}

TEST_F(ComponentsTest, CancelLeavesTheOpenProjectAlone) {
  RenameTarget(c, 0, "Renamed");
  DeleteGroup(c, 1);
  DeleteGroupFile(c.groups[0], 0);
  EXPECT_EQ(open->curTarget->name.str(), "Target 1");
  EXPECT_EQ(open->firstGroup->next->name.str(), "Docs");
  EXPECT_EQ(open->firstGroup->firstFile->name.str(), "main.c");
}

TEST_F(ComponentsTest, FileMovesAndDeletesKeepChainInListOrder) {
  GroupRec* g = c.groups[0];
  MoveGroupFile(g, 1, 0);
  auto rows = GroupFileRows(g);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]->name.str(), "util.c");
  EXPECT_EQ(g->lastFile->name.str(), "main.c");
  DeleteGroupFile(g, 0);
  EXPECT_EQ(g->firstFile, g->lastFile);
  EXPECT_EQ(g->firstFile->name.str(), "main.c");
}

struct AddRow {
  const char* name;
  const char* file;
  const char* folder;
  uint8_t chosen;  // what the type dialog answers
  bool added;
  uint8_t type;
  const char* messageStart;
};

// The project window's Add Files says it with the same text as every
// other membership message, ending in its own line.
TEST_F(ComponentsTest, TheFramesMembershipMessageIsTheOneText) {
  AddFileOutcome o = AddFileToGroupChecked(c.project, c.groups[1], "/work/demo/src/", "main.c",
                                           [](const std::string&) { return uint8_t(0); }, AddFileStyle::kFrame);
  EXPECT_EQ(o.file, nullptr);
  EXPECT_EQ(o.message,
            "File 'main.c' is already a member of -\n   Group:\t'Source Group 1'\n   Type:\tC source file\n\n"
            "File will not be added to target.");
}

TEST_F(ComponentsTest, AddFileRows) {
  const AddRow rows[] = {
      {"same name other case", "MAIN.C", "/work/demo/src/", 0, false, 0,
       "File 'main.c' is already a member of -\n   Group:\t'Source Group 1'"},
      {"library twice allowed", "rt.lib", "/work/demo/lib/", 0, true, kFileLibrary, ""},
      {"unknown type chosen", "notes.xyz", "/work/demo/doc", kFileText, true, kFileText, ""},
      {"unknown type not chosen", "data.bin", "/work/demo/", 0, false, 0, ""},
      {"new C file", "uart.c", "/work/demo/src", 0, true, kFileC, ""},
  };
  for (const AddRow& r : rows) {
    AddFileOutcome o = AddFileToGroupChecked(
        c.project, c.groups[1], r.folder, r.file, [&](const std::string&) { return r.chosen; },
        AddFileStyle::kSheet);
    EXPECT_EQ(o.file != nullptr, r.added) << r.name;
    if (o.file) {
      EXPECT_EQ(o.file->type, r.type) << r.name;
    }
    EXPECT_EQ(o.message.substr(0, std::string(r.messageStart).size()), r.messageStart) << r.name;
    if (!o.message.empty()) {
      EXPECT_TRUE(o.message.ends_with("\nFile will not be added.")) << r.name;
    }
  }
  auto rowsNow = GroupFileRows(c.groups[1]);
  ASSERT_EQ(rowsNow.size(), 4u);
  EXPECT_EQ(rowsNow[3]->path.str(), "./src/uart.c");
}

// A name the project file can't hold ("<path><name>") is refused with the
// reason: it would read back as another file. One it can hold is added.
TEST_F(ComponentsTest, AddFilesRefusesANameTheProjectFileCannotHold) {
  const struct {
    const char* name;
    const char* file;
    const char* folder;
    const char* message;  // "" when added
  } rows[] = {
      {"greater than", "b>c.c", "/work/demo/src/",
       "The file './src/b>c.c' cannot be stored in the project: its name holds a '>' without its '<'."},
      {"less than", "b<c.c", "/work/demo/src/",
       "The file './src/b<c.c' cannot be stored in the project: its name holds a '<' without its '>'."},
      {"folder with greater than", "ok.c", "/work/demo/x>y/",
       "The file './x>y/ok.c' cannot be stored in the project: its name holds a '>' without its '<'."},
      {"backslash", "a\\b.c", "/work/demo/src/",
       "The file './src/a\\b.c' cannot be stored in the project: its name holds a '\\', which the project reads as "
       "a folder separator."},
      // A '\\' of a folder of this machine belongs to its name: stored, the
      // file would be read back from "we/ird/", another folder.
      {"backslash in the folder", "x.c", "/work/demo/we\\ird/",
       "The file './we\\ird/x.c' cannot be stored in the project: its folder holds a '\\', which the project reads "
       "as a folder separator."},
      {"backslash in a folder above", "x.c", "/work/demo/a\\b/src",
       "The file './a\\b/src/x.c' cannot be stored in the project: its folder holds a '\\', which the project "
       "reads as a folder separator."},
      // A line break is read back whole, but a tool's command line would
      // split the name at it.
      {"carriage return and line feed", "cr\r\nlf.c", "/work/demo/src/",
       "The file './src/cr\r\nlf.c' cannot be stored in the project: its name holds the control character 0x0D."},
      {"tab", "a\tb.c", "/work/demo/src/",
       "The file './src/a\tb.c' cannot be stored in the project: its name holds the control character 0x09."},
      {"leading dash and quotes", "-o q'uote\".c", "/work/demo/src/", ""},
  };
  for (const auto& r : rows) {
    const std::size_t before = GroupFileRows(c.groups[1]).size();
    AddFileOutcome o = AddFileToGroupChecked(c.project, c.groups[1], r.folder, r.file, nullptr, AddFileStyle::kFrame);
    EXPECT_EQ(o.message, r.message) << r.name;
    EXPECT_EQ(o.file != nullptr, *r.message == '\0') << r.name;
    EXPECT_EQ(GroupFileRows(c.groups[1]).size(), before + (o.file ? 1 : 0)) << r.name;
  }
}

TEST_F(ComponentsTest, FrameStyleMembershipNamesTarget) {
  AddFileOutcome o = AddFileToGroupChecked(open, open->firstGroup, "/work/demo/", "util.c", nullptr,
                                           AddFileStyle::kFrame);
  EXPECT_TRUE(o.beep);
  EXPECT_TRUE(o.message.ends_with("Type:\tC source file\n\nFile will not be added to target."))
      << o.message;
}

TEST(AddFilesFilter, CppRowOnlyFor166) {
  std::string patterns[6] = {"*.c;*.h", "", "", "", "", ""};
  auto rows = BuildAddFilesFilter(patterns, false);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].title, "C Source file (*.c;*.h)");
  EXPECT_EQ(rows[3].title, "Library file (*.lib)");
  EXPECT_EQ(rows.back().title, "All files (*.*)");
  rows = BuildAddFilesFilter(patterns, true);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[5].title, "C++ Source file (*.cpp)");
}

}  // namespace
}  // namespace pm2
