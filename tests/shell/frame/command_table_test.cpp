// The command table's update rules as the menus and buttons see them, in
// named rows: a state of the program and what each command shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <ostream>
#include <set>

#include "shell/frame/command_table.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/core/resources.h"

namespace pm2 {
namespace {

CommandUpdateContext Idle() {
  CommandUpdateContext c;
  c.hasProject = c.hasTarget = c.currentTargetHasOptions = true;
  c.targetName = "LPC2138";
  return c;
}
CommandUpdateContext Building() {
  CommandUpdateContext c = Idle();
  c.buildRunning = true;
  return c;
}
CommandUpdateContext Session() {
  CommandUpdateContext c = Idle();
  c.sessionActive = true;
  return c;
}
CommandUpdateContext Running() {
  CommandUpdateContext c = Session();
  c.targetExecuting = true;
  return c;
}
CommandUpdateContext NoProject() { return CommandUpdateContext{}; }
CommandUpdateContext GroupSelected() {
  CommandUpdateContext c = Idle();
  c.selectedKind = 3;
  c.selectedName = "Source";
  return c;
}
CommandUpdateContext FileSelected(int type, bool include = false) {
  CommandUpdateContext c = Idle();
  c.selectedKind = 4;
  c.selectedName = "Blinky.c";
  c.selectedFileType = type;
  c.selectedIsInclude = include;
  return c;
}
CommandUpdateContext ReadOnlyGroup() {
  CommandUpdateContext c = GroupSelected();
  c.projectReadOnly = true;
  return c;
}
CommandUpdateContext EditorWithSelection() {
  CommandUpdateContext c = Idle();
  c.activeViewKind = 2;
  c.viewHasSelection = true;
  c.activeDocName = "LED.c";
  c.activeDocTranslatable = true;
  return c;
}
CommandUpdateContext EditorNotInProject() {
  CommandUpdateContext c = EditorWithSelection();
  c.activeDocTranslatable = false;
  return c;
}
CommandUpdateContext StopBlocked() {
  CommandUpdateContext c = Building();
  c.stopBlocked = true;
  return c;
}

struct Row {
  const char* name;
  CommandUpdateContext (*context)();
  CommandId id;
  bool enabled;
  int check;
  const char* text;  // null: the text stays unset
};

const Row kRows[] = {
    {"BuildWhenIdle", Idle, cmd::kBuildTarget, true, 0, nullptr},
    {"BuildGreyWhileBuilding", Building, cmd::kBuildTarget, false, 0, nullptr},
    {"BuildGreyInSession", Session, cmd::kBuildTarget, false, 0, nullptr},
    {"BuildGreyWithoutProject", NoProject, cmd::kBuildTarget, false, 0, nullptr},
    {"RebuildFollowsBuild", Building, cmd::kRebuildAll, false, 0, nullptr},
    {"StopOnlyWhileBuilding", Idle, cmd::kStopBuild, false, 0, nullptr},
    {"StopWhileBuilding", Building, cmd::kStopBuild, true, 0, nullptr},
    {"StopRefusedWhenBlocked", StopBlocked, cmd::kStopBuild, false, 0, nullptr},
    {"OpenProjectWhenIdle", NoProject, cmd::kOpenProject, true, 0, nullptr},
    {"OpenProjectGreyWhileBuilding", Building, cmd::kOpenProject, false, 0, nullptr},
    {"CloseNeedsAProject", NoProject, cmd::kCloseProject, false, 0, nullptr},
    {"CloseGreyInSession", Session, cmd::kCloseProject, false, 0, nullptr},
    {"CloseGreyWhileBuilding", Building, cmd::kCloseProject, false, 0, nullptr},
    {"NewProjectGreyWhileBuilding", Building, cmd::kNewProject, false, 0, nullptr},
    {"ImportWhenIdle", NoProject, cmd::kImportOld, true, 0, nullptr},
    {"ImportGreyInSession", Session, cmd::kImportOld, false, 0, nullptr},
    {"ImportGreyWhileBuilding", Building, cmd::kImportOld, false, 0, nullptr},
    {"SaveAllAlways", Building, cmd::kSaveAll, true, 0, nullptr},
    {"TranslateNamesTheFile", EditorWithSelection, cmd::kTranslate, true, 0, "&Translate LED.c"},
    {"TranslateNotAProjectFile", EditorNotInProject, cmd::kTranslate, false, 0, "&Translate LED.c"},
    {"TranslateWithoutEditor", Idle, cmd::kTranslate, false, 0, nullptr},
    {"TranslateSelectedCFile", [] { return FileSelected(1); }, cmd::kTranslateNamed, true, 0, "&Translate Blinky.c"},
    {"TranslateSelectedTextFile", [] { return FileSelected(5); }, cmd::kTranslateNamed, false, 0,
     "&Translate Blinky.c"},
    {"OpenSelectedSource", [] { return FileSelected(1); }, cmd::kOpenSelectedFile, true, 0, "&Open Blinky.c"},
    {"OpenSelectedObjectRefused", [] { return FileSelected(3); }, cmd::kOpenSelectedFile, false, 0,
     "&Open Blinky.c"},
    {"OpenSelectedLibraryRefused", [] { return FileSelected(4); }, cmd::kOpenSelectedFile, false, 0,
     "&Open Blinky.c"},
    {"OpenIncludeEntryRefused", [] { return FileSelected(1, true); }, cmd::kOpenSelectedFile, false, 0,
     "&Open Blinky.c"},
    {"RemoveNamesTheGroup", GroupSelected, cmd::kRemoveItem, true, 0, "R&emove Group 'Source' and it's Files"},
    {"RemoveNamesTheFile", [] { return FileSelected(1); }, cmd::kRemoveItem, true, 0, "R&emove File 'Blinky.c'"},
    {"RemoveGreyForReadOnly", ReadOnlyGroup, cmd::kRemoveItem, false, 0, "R&emove Group 'Source' and it's Files"},
    {"RemoveGreyWithNothingSelected", Idle, cmd::kRemoveItem, false, 0, nullptr},
    {"AddFilesToGroup", GroupSelected, cmd::kAddFiles, true, 0, "Add Files to Group 'Source'..."},
    {"AddFilesNeedsAGroup", [] { return FileSelected(1); }, cmd::kAddFiles, false, 0, nullptr},
    {"OptionsNameTheGroup", GroupSelected, cmd::kOptionsForItem, true, 0, "&Options for Group 'Source'..."},
    {"OptionsNeedASelection", Idle, cmd::kOptionsForItem, false, 0, nullptr},
    {"IndentNeedsASelection", EditorWithSelection, 35071, true, 0, nullptr},
    {"IndentWithoutEditor", Idle, 35070, false, 0, nullptr},
    {"RunWhenDebugIdle", Session, 32791, true, 0, nullptr},
    {"RunGreyWhileRunning", Running, 32791, false, 0, nullptr},
    {"RunGreyWithoutSession", Idle, 32791, false, 0, nullptr},
    {"StopRunningOnlyWhileRunning", Running, 32797, true, 0, nullptr},
    {"RecentGreyWhileBuilding", Building, 32806, false, 0, nullptr},
    {"RecentWhenIdle", NoProject, 32813, true, 0, nullptr},
    {"FindBoxInEditor", EditorWithSelection, cmd::kFindBox, true, 0, nullptr},
    {"FindBoxWithoutView", Idle, cmd::kFindBox, false, 0, nullptr},
    {"ConfigureFlashToolsWithATarget", Idle, 35415, true, 0, nullptr},
    {"ConfigureFlashToolsGreyWithoutAProject", NoProject, 35415, false, 0, nullptr},
    {"VisualStyleWhenIdle", Idle, cmd::kViewVisualStyle, true, 0, nullptr},
    {"VisualStyleCheckedWhenOn", [] { CommandUpdateContext c = Idle(); c.visualStyle = true; return c; },
     cmd::kViewVisualStyle, true, 1, nullptr},
    {"VisualStyleGreyInSession", Session, cmd::kViewVisualStyle, false, 0, nullptr},
};

class CommandRule : public ::testing::TestWithParam<Row> {};

TEST_P(CommandRule, ShowsItsState) {
  const Row& r = GetParam();
  CommandState s = EvaluateCommand(r.id, r.context());
  EXPECT_EQ(s.enabled, r.enabled);
  EXPECT_EQ(s.check, r.check);
  if (r.text) {
    EXPECT_TRUE(s.textSet);
    EXPECT_EQ(s.text, r.text);
  } else {
    EXPECT_FALSE(s.textSet) << s.text;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandRule, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& i) { return std::string(i.param.name); });

TEST(CommandTable, BarsAreCheckedWhileOpen) {
  CommandUpdateContext c = Idle();
  c.projectBarOpen = true;
  EXPECT_EQ(EvaluateCommand(cmd::kViewProjectBar, c).check, 1);
  EXPECT_EQ(EvaluateCommand(cmd::kViewOutputBar, c).check, 0);
  EXPECT_TRUE(EvaluateCommand(cmd::kViewOutputBar, c).enabled);
}

// Within one drop-down of the main menu, two items sharing a mnemonic make
// Alt+letter cycle instead of choose.
TEST(ShellMenus, ItemsOfOneDropDownDoNotShareAMnemonic) {
  std::set<std::string> shared;
  for (unsigned id : {kMainMenuId, kEditorMenuId}) {
    const std::vector<MenuEntry>* menu = ShellResources().Menu(id);
    ASSERT_NE(menu, nullptr);
    for (const MenuEntry& popup : *menu) {
      std::map<char, std::string> first;
      for (const MenuEntry& e : popup.children) {
        const std::size_t amp = e.text.find('&');
        if (e.kind != MenuEntry::Kind::Item || amp == std::string::npos || amp + 1 >= e.text.size()) continue;
        const char c = char(std::toupper(static_cast<unsigned char>(e.text[amp + 1])));
        auto [at, fresh] = first.emplace(c, e.text);
        if (!fresh) shared.insert(popup.text + " " + c + ": " + at->second + " | " + e.text);
      }
    }
  }
  EXPECT_EQ(shared, std::set<std::string>{});
}

// The Debug drop-down of both menus offers the run and trace commands of
// the Debug toolbar, not only the toolbar and the disassembly window's menu.
struct DebugItemRow {
  const char* name;
  CommandId id;
};
void PrintTo(const DebugItemRow& row, std::ostream* out) { *out << row.name; }

class DebugMenuItem : public ::testing::TestWithParam<DebugItemRow> {};

TEST_P(DebugMenuItem, IsInTheDebugDropDown) {
  for (unsigned id : {kMainMenuId, kEditorMenuId}) {
    const std::vector<MenuEntry>* menu = ShellResources().Menu(id);
    ASSERT_NE(menu, nullptr);
    bool found = false;
    for (const MenuEntry& popup : *menu)
      if (popup.text == "&Debug")
        for (const MenuEntry& e : popup.children) found |= e.kind == MenuEntry::Kind::Item && e.id == GetParam().id;
    EXPECT_TRUE(found) << "menu " << id;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, DebugMenuItem,
                         ::testing::Values(DebugItemRow{"Run", 32791}, DebugItemRow{"ShowNextStatement", 35072},
                                           DebugItemRow{"TraceRecording", 35019},
                                           DebugItemRow{"ViewTrace", 35043}, DebugItemRow{"Breakpoints", 35041}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandTable, RowsDoNotOverlap) {
  std::set<CommandId> seen;
  for (const CommandRow& r : CommandTable()) {
    ASSERT_LE(r.first, r.last) << r.what;
    for (CommandId id = r.first; id <= r.last; ++id) EXPECT_TRUE(seen.insert(id).second) << id;
  }
}

struct RangeRow {
  const char* name;
  CommandId id;
  RuntimeRange range;
  int index;
  int table;
};

const RangeRow kRanges[] = {
    {"FirstRecent", 32804, RuntimeRange::RecentProject, 0, 0},
    {"LastRecent", 32813, RuntimeRange::RecentProject, 9, 0},
    {"FirstDriverTable", 32820, RuntimeRange::DriverMenu, 0, 0},
    {"SecondDriverTableEnd", 32929, RuntimeRange::DriverMenu, 49, 1},
    {"ThirdDriverTable", 33005, RuntimeRange::DriverMenu, 5, 2},
    {"FourthDriverTable", 35114, RuntimeRange::DriverMenu, 0, 3},
    {"UserTool", 32930, RuntimeRange::UserTool, 0, 0},
    {"LastUserTool", 32979, RuntimeRange::UserTool, 49, 0},
    {"SourceControl", 32999, RuntimeRange::SourceControl, 19, 0},
    {"GapAfterDriverTable", 32870, RuntimeRange::None, -1, -1},
    {"FixedCommand", 32720, RuntimeRange::None, -1, -1},
};

class RuntimeIds : public ::testing::TestWithParam<RangeRow> {};

TEST_P(RuntimeIds, Classify) {
  const RangeRow& r = GetParam();
  int index = -1, table = -1;
  EXPECT_EQ(ClassifyRuntimeId(r.id, &index, &table), r.range);
  EXPECT_EQ(index, r.index);
  EXPECT_EQ(table, r.table);
}

INSTANTIATE_TEST_SUITE_P(Rows, RuntimeIds, ::testing::ValuesIn(kRanges),
                         [](const ::testing::TestParamInfo<RangeRow>& i) { return std::string(i.param.name); });


// The ids of a popup's items, submenus included.
void CollectIds(const std::vector<MenuEntry>& entries, std::vector<CommandId>* ids) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Item) ids->push_back(e.id);
    CollectIds(e.children, ids);
  }
}

// An editor window's menu adds to File and Edit only: from View on it offers
// exactly the main menu's commands, so no command is lost by opening a file.
TEST(ShellMenus, EditorMenuKeepsTheMainMenusPopupsFromViewOn) {
  const std::vector<MenuEntry>* frameMenu = ShellResources().Menu(120);
  const std::vector<MenuEntry>* editorMenu = ShellResources().Menu(121);
  ASSERT_NE(frameMenu, nullptr);
  ASSERT_NE(editorMenu, nullptr);
  ASSERT_EQ(frameMenu->size(), editorMenu->size());
  for (size_t i = 2; i < frameMenu->size(); ++i) {
    std::vector<CommandId> a, b;
    CollectIds((*frameMenu)[i].children, &a);
    CollectIds((*editorMenu)[i].children, &b);
    EXPECT_EQ(a, b) << (*frameMenu)[i].text;
  }
  std::vector<CommandId> frameAll, editorAll;
  CollectIds(*frameMenu, &frameAll);
  CollectIds(*editorMenu, &editorAll);
  for (CommandId id : frameAll)
    EXPECT_NE(std::find(editorAll.begin(), editorAll.end(), id), editorAll.end()) << id;
}


// The status line's prompt of every item of both menus is a sentence for
// the user: said, capitalised, and free of notes meant for developers.
TEST(CommandTable, EveryMenuItemsPromptIsASentenceForTheUser) {
  std::vector<std::string> faults;
  std::function<void(const std::vector<MenuEntry>&)> walk = [&](const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& e : entries) {
      if (e.kind == MenuEntry::Kind::Popup) walk(e.children);
      if (e.kind != MenuEntry::Kind::Item) continue;
      const std::string p = CommandPrompt(e.id);
      if (p.empty() || !std::isupper(static_cast<unsigned char>(p[0])) || p.find(".cpp") != std::string::npos ||
          p.find("its own rule") != std::string::npos)
        faults.push_back(std::to_string(e.id) + " " + e.text + ": \"" + p + "\"");
    }
  };
  for (unsigned id : {kMainMenuId, kEditorMenuId}) {
    const std::vector<MenuEntry>* menu = ShellResources().Menu(id);
    ASSERT_NE(menu, nullptr);
    walk(*menu);
  }
  EXPECT_EQ(faults, std::vector<std::string>{});
}

struct PromptRow {
  const char* name;
  CommandId id;
  const char* prompt;
};

class CommandPromptRows : public ::testing::TestWithParam<PromptRow> {};

TEST_P(CommandPromptRows, TellsWhatTheCommandDoes) { EXPECT_EQ(CommandPrompt(GetParam().id), GetParam().prompt); }

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandPromptRows,
    ::testing::Values(PromptRow{"SingleRowOfTheTable", 32720, "Build the current target"},
                      PromptRow{"RangeRowTakesTheMenuText", 57634, "Copy"},
                      PromptRow{"DotsAndKeyCutOff", 57601, "Open"},
                      PromptRow{"EditorMenuOnly", 35130, "Go To Line"},
                      PromptRow{"FrameworkCommandOfTheMenu", 57650, "Cascade"},
                      PromptRow{"Unknown", 4242, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
