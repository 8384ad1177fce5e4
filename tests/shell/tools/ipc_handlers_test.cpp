#include "shell/tools/ipc_build_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <functional>
#include <thread>

#include "builder/commands/arm_ads_command.h"
#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/commands/q166_command.h"
#include "builder/commands/w166_command.h"
#include "ipc/event_dispatcher.h"
#include "project/files/project_file.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/tools/ipc_notifications.h"
#include "platform/serve_while_waiting.h"
#include "shell/tools/tool_fakes.h"

namespace pm2 {
namespace {

struct FakeIpcShell : IpcShell {
  bool HasTarget() override { return hasTarget; }
  bool IsBusy() override { return busy; }
  bool HasDebugRecord() override { return true; }
  bool IsDebugging() override { return debugging; }
  bool RequestBuild(uint8_t mode) override {
    calls.push_back("build:" + std::to_string(mode));
    return buildStarts;
  }
  void StopBuild() override { calls.push_back("stop"); }
  void RunOnGuiThread(const std::function<void()>& fn) override {
    calls.push_back("gui");
    fn();
  }
  ProjectRec* Project() override { return project; }
  void ProjectTreeChanged() override { calls.push_back("tree"); }
  const NodeRec* OptionsSheetNode() override { return sheetNode; }
  bool ComponentsSheetOpen() override { return componentsOpen; }
  const NodeRec* sheetNode = nullptr;
  bool componentsOpen = false;
  std::string AbsolutePath(const std::string& stored) override { return "/abs/" + stored; }

  bool hasTarget = true, busy = false, debugging = false, buildStarts = true;
  ProjectRec* project = nullptr;
  std::vector<std::string> calls;
};

// What was sent: type name, destination, and the status or reply texts.
struct Sent {
  std::string what;
  int32_t to;
};

struct IpcFixture : ::testing::Test {
  EventDispatcher dispatcher;
  FakeIpcShell shell;
  IpcShellState state;
  std::vector<Sent> sent;
  std::vector<std::unique_ptr<dtc_EventBase>> events;
  bool sendResult = true;
  std::function<void()> onEnd;  // run once, as the next BuildEnd is sent
  IpcSendFn send = [this](dtc_EventBase& e) {
    std::string what;
    if (auto* s = dynamic_cast<dtc_Make::SetStatus*>(&e))
      what = "status " + std::to_string(s->m_nStatus) + " " + s->m_strText;
    else if (auto* w = dynamic_cast<dtc_Identify::WhichProjectReply*>(&e))
      what = "which " + w->m_strName + "|" + w->m_strFolder;
    else if (auto* r = dynamic_cast<dtc_Make::GetProjectFileReply*>(&e))
      what = "file " + r->m_strName + "|" + r->m_strGroup + "|" + r->m_strType + "|" + r->m_strFolder;
    else if (auto* t = dynamic_cast<dtc_TargetInfo::TargetInfo*>(&e))
      what = "info " + t->m_strDevice + "|" + std::to_string(t->m_nWidth) + "|" + std::to_string(t->m_nByteOrder);
    else if (auto* b = dynamic_cast<dtc_Make::BuildInfo*>(&e))
      what = "line " + b->m_strFile + "|" + std::to_string(static_cast<int32_t>(b->m_nLine)) + "|" + b->m_strMessage;
    else if (auto* end = dynamic_cast<dtc_Make::BuildEnd*>(&e)) {
      what = "end " + std::to_string(end->m_nResult);
      if (onEnd) {
        sent.push_back({what, e.m_nDestination});
        auto reply = std::move(onEnd);  // a client answering the moment the end arrives
        reply();
        return sendResult;
      }
    }
    else if (auto* id = dynamic_cast<dtc_Identify::Identity*>(&e))
      what = "identity " + id->m_strName;
    else
      what = "other";
    sent.push_back({what, e.m_nDestination});
    return sendResult;
  };
  IpcBuildHandlers handlers{dispatcher, shell, state, send};
  IpcNotifier notifier{dispatcher, shell, state, send, [] { return 3; }};

  void SetUp() override { state.muted = 0; }
  void TearDown() override {
    theApp().m_pProject = nullptr;
    PoolFreeAll();
  }
  template <class X>
  void From(int32_t sender, X event) {
    event.m_nSender = sender;
    dispatcher.Deliver(event);
  }
  std::vector<std::string> Whats() const {
    std::vector<std::string> out;
    for (const Sent& s : sent) out.push_back(s.what + " @" + std::to_string(s.to));
    return out;
  }
  // The target's block with its toolset's defaults.
  static OptionBlock* GiveTargetOptions(TargetRec* t) {
    OptionBlock* b = NewOptionBlock(kPoolProject);
    b->owner = t;
    SetDefaultOptions(*b, t, t->toolset, kLevelTarget);
    b->owner = t;
    t->pOpts = b;
    return b;
  }
  ProjectRec* OpenProject() {
    ProjectRec* p = NewProject("demo", "/p/");
    p->curTarget->toolset = kToolsetArmGnu;
    theApp().m_pProject = p;
    shell.project = p;
    return p;
  }
};

TEST_F(IpcFixture, ABuildAskedForTheMomentTheEndArrivesStarts) {
  From(5, dtc_Make::Build(0));
  onEnd = [this] { From(5, dtc_Make::Build(0)); };
  notifier.SendBuildEndEvent(0);
  EXPECT_EQ(Whats(), (std::vector<std::string>{"end 0 @5"}));
  // Each asks the GUI thread whether an options sheet is open first.
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"gui", "build:0", "gui", "build:0"}));
  EXPECT_EQ(state.buildClient, 5);
}

TEST_F(IpcFixture, BuildFromSecondClientRefusedWhileFirstRuns) {
  From(5, dtc_Make::Build(1));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"gui", "build:1"}));
  EXPECT_EQ(state.buildClient, 5);
  EXPECT_EQ(state.buildByEvent, 1);
  From(3, dtc_Make::Build(0));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 1 Build command is currently executing @3"}));
  // BuildStop from another client is refused; from the starter it stops.
  shell.busy = true;
  From(3, dtc_Make::BuildStop());
  From(5, dtc_Make::BuildStop());
  EXPECT_EQ(Whats().back(), "status 1 Command not allowed now @3");
  EXPECT_EQ(shell.calls.back(), "stop");
  notifier.SendBuildEndEvent(1);
  EXPECT_EQ(Whats().back(), "end 1 @5");
  EXPECT_EQ(state.buildClient, -1);
}

struct RefusalRow {
  const char* name;
  bool debugging, busy, hasTarget, starts;
  std::vector<std::string> replies;
};
class BuildRefusalTest : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(BuildRefusalTest, LeavesLaterBuildsPossible) {
  struct F : IpcFixture {
    void TestBody() override {}
  } f;
  f.SetUp();
  f.shell.debugging = GetParam().debugging;
  f.shell.busy = GetParam().busy;
  f.shell.hasTarget = GetParam().hasTarget;
  f.shell.buildStarts = GetParam().starts;
  f.From(4, dtc_Make::Build(0));
  EXPECT_EQ(f.Whats(), GetParam().replies);
  EXPECT_EQ(f.state.buildClient, -1);
  EXPECT_EQ(f.state.buildByEvent, 0);
  f.shell = FakeIpcShell();
  f.From(6, dtc_Make::Build(0));
  EXPECT_EQ(f.state.buildClient, 6);
  f.TearDown();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BuildRefusalTest,
    ::testing::Values(RefusalRow{"WhileDebugging", true, false, true, true,
                                 {"status 1 Can't execute command while debugging @4"}},
                      RefusalRow{"WhileBusy", false, true, true, true,
                                 {"status 1 Build command is currently executing @4"}},
                      RefusalRow{"NoTarget", false, false, false, true, {"status 1 Can't access the project now @4"}},
                      // The GUI thread refused the start (the last build still
                      // ended): the client hears so instead of waiting for good.
                      RefusalRow{"GuiDidNotStart", false, false, true, false,
                                 {"status 1 Build command is currently executing @4"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IpcFixture, SetFileGroupAddsOnlyFilesNoOtherGroupHolds) {
  ProjectRec* p = OpenProject();
  AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  From(2, dtc_Make::SetFileGroup("Drivers", "/src/drv", TextList{"main.c", "uart.c", "", "lib.lib"}));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @2"}));
  GroupRec* g = FindGroupByName(p->firstGroup, "Drivers");
  ASSERT_NE(g, nullptr);
  ASSERT_NE(g->firstFile, nullptr);
  EXPECT_EQ(g->firstFile->path.str(), "/src/drv/uart.c");
  EXPECT_EQ(g->firstFile->next->name.str(), "lib.lib");
  EXPECT_EQ(shell.calls.back(), "tree");
  EXPECT_EQ(state.buildClient, -1);  // no build client left behind
  // Again with the group's own file: emptied first, so it comes back.
  sent.clear();
  shell.calls.clear();
  From(2, dtc_Make::SetFileGroup("Drivers", "/src/drv/", TextList{"uart.c"}));
  EXPECT_EQ(g->firstFile->name.str(), "uart.c");
  EXPECT_EQ(g->firstFile->next, nullptr);
}

// A group is named without letter case, as the Components page names it:
// another case reaches the group the project holds, never a second one.
TEST_F(IpcFixture, GroupRequestsIgnoreLetterCase) {
  ProjectRec* p = OpenProject();
  GroupRec* g = p->firstGroup;
  From(2, dtc_Make::SetFileGroup("source GROUP 1", "/src", TextList{"uart.c"}));
  From(2, dtc_Make::SetOptions("SOURCE group 1", TextList{"X=1"}, TextList{"/inc"}));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @2", "status 0 Ok. @2"}));
  EXPECT_EQ(g->next, nullptr) << "no second group beside '" << g->name.str() << "'";
  EXPECT_EQ(g->name.str(), "Source Group 1");
  ASSERT_NE(g->firstFile, nullptr);
  EXPECT_EQ(g->firstFile->name.str(), "uart.c");
  ASSERT_NE(GetNodeOptions(g), nullptr);
  EXPECT_EQ(GetNodeOptions(g)->cGnu.ACDEFN.str(), "X=1");
}

// Emptied of files that other groups hold, the group loses the ones it had:
// the tree is rebuilt so it no longer shows them; a group that had none and
// gains none leaves the tree alone.
TEST_F(IpcFixture, SetFileGroupRebuildsTheTreeWhenTheGroupLosesFiles) {
  ProjectRec* p = OpenProject();
  AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  GroupRec* other = AddGroup(p, "Other");
  AddFileToGroup(other, "uart.c", "/p/", kFileC);
  From(2, dtc_Make::SetFileGroup("Source Group 1", "/src", TextList{"uart.c"}));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @2"}));
  EXPECT_EQ(p->firstGroup->firstFile, nullptr);
  ASSERT_FALSE(shell.calls.empty());
  EXPECT_EQ(shell.calls.back(), "tree");
  shell.calls.clear();
  From(2, dtc_Make::SetFileGroup("Source Group 1", "/src", TextList{"uart.c"}));
  for (const std::string& call : shell.calls) EXPECT_NE(call, "tree");
}

// Under the open Components sheet a group's change would be undone by the
// sheet's OK after the client was told "Ok.": it is refused, and nothing
// changes.
TEST_F(IpcFixture, GroupChangesRefusedWhileTheComponentsSheetIsOpen) {
  ProjectRec* p = OpenProject();
  FileRec* kept = AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  shell.componentsOpen = true;
  From(4, dtc_Make::SetFileGroup("Source Group 1", "/src", TextList{"uart.c"}));
  From(4, dtc_Make::SetFileGroup("Drivers", "/src", TextList{"uart.c"}));
  From(4, dtc_Make::SetOptions("Source Group 1", TextList{"X=1"}, TextList{}));
  From(4, dtc_Make::Build(0));
  const std::string open = "' while the dialog 'Components, Environment and Books' is open @4";
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 1 Can't change group 'Source Group 1" + open,
                                               "status 1 Can't change group 'Drivers" + open,
                                               "status 1 Can't change group 'Source Group 1" + open,
                                               "status 1 Can't build while the dialog 'Components, Environment "
                                               "and Books' is open @4"}));
  EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), "build:0"), 0);
  EXPECT_EQ(state.buildClient, -1);
  EXPECT_EQ(p->firstGroup->firstFile, kept);
  EXPECT_EQ(p->firstGroup->next, nullptr);
  EXPECT_EQ(FindTargetOptions(p->firstGroup->pOpts, p->curTarget), nullptr);
  // An unknown group is still named as such.
  From(4, dtc_Make::SetOptions("Nope", TextList{}, TextList{}));
  EXPECT_EQ(Whats().back(), "status 1 Group name is not defined @4");
  shell.componentsOpen = false;
  From(4, dtc_Make::SetFileGroup("Source Group 1", "/src", TextList{"uart.c"}));
  EXPECT_EQ(Whats().back(), "status 0 Ok. @4");
}

// The files of a group leave the project when its list is set: under the
// open options sheet of one of them the request is refused, so the sheet's
// OK does not write into a file the project no longer holds. A sheet of a
// file of another group, or of the group itself, does not stand in the way.
TEST_F(IpcFixture, SetFileGroupRefusedWhileOneOfItsFilesHasItsOptionsSheetOpen) {
  ProjectRec* p = OpenProject();
  FileRec* edited = AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  GroupRec* other = AddGroup(p, "Other");
  FileRec* elsewhere = AddFileToGroup(other, "uart.c", "/p/", kFileC);
  shell.sheetNode = edited;
  From(3, dtc_Make::SetFileGroup("source group 1", "/src", TextList{"main.c"}));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 1 Can't set the files of group 'Source Group 1' while the "
                                               "options dialog of file 'main.c' is open @3"}));
  EXPECT_EQ(p->firstGroup->firstFile, edited);
  EXPECT_EQ(p->firstGroup->lastFile, edited);
  for (const NodeRec* node : {static_cast<const NodeRec*>(elsewhere), static_cast<const NodeRec*>(p->firstGroup)}) {
    shell.sheetNode = node;
    sent.clear();
    From(3, dtc_Make::SetFileGroup("Source Group 1", "/src", TextList{"spi.c"}));
    EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @3"}));
    ASSERT_NE(p->firstGroup->firstFile, nullptr);
    EXPECT_EQ(p->firstGroup->firstFile->name.str(), "spi.c");
  }
  EXPECT_EQ(other->firstFile, elsewhere);
}

struct GroupRow {
  const char* name;
  std::string group, folder;
  std::string reply;
};
class SetFileGroupRefusal : public ::testing::TestWithParam<GroupRow> {};
TEST_P(SetFileGroupRefusal, NothingChanges) {
  struct F : IpcFixture {
    void TestBody() override {}
  } f;
  f.SetUp();
  ProjectRec* p = f.OpenProject();
  FileRec* kept = AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  f.From(7, dtc_Make::SetFileGroup(GetParam().group, GetParam().folder, TextList{"x.c"}));
  EXPECT_EQ(f.Whats(), (std::vector<std::string>{GetParam().reply + " @7"}));
  EXPECT_EQ(p->firstGroup->firstFile, kept);
  EXPECT_EQ(p->firstGroup->next, nullptr);  // no group added
  f.TearDown();
}
INSTANTIATE_TEST_SUITE_P(
    Rows, SetFileGroupRefusal,
    ::testing::Values(GroupRow{"EmptyGroup", "", "/x", "status 1 Invalid group name"},
                      GroupRow{"EmptyFolderBeforeEmptying", "Source Group 1", "", "status 1 Invalid path name"},
                      GroupRow{"GroupNameTheProjectFileCannotHold", "Drivers)", "/x",
                               "status 1 The group name 'Drivers)' cannot be stored: it holds a ')' without its '('."},
                      // A folder of this machine: its '\\' is part of a name,
                      // which the project would read back as a separator.
                      GroupRow{"FolderWithABackslash", "Source Group 1", "/src/we\\ird",
                               "status 1 The file '/src/we\\ird/x.c' cannot be stored in the project: its folder "
                               "holds a '\\', which the project reads as a folder separator."},
                      GroupRow{"FolderWithALineBreak", "Source Group 1", "/src\r\n/x",
                               "status 1 The folder '/src\r\n/x' cannot be stored: it holds the control character "
                               "0x0D."},
                      GroupRow{"GroupNameWithATab", "A\tB", "/x",
                               "status 1 The group name 'A\tB' cannot be stored: it holds the control character "
                               "0x09."}),
    [](const auto& info) { return std::string(info.param.name); });

// An include path or symbol holding a line break is read back whole from
// the project file, but would reach the compiler's command line as one
// ("linker input file not found"): refused, nothing changed.
TEST_F(IpcFixture, SetOptionsRefusesControlCharacters) {
  ProjectRec* p = OpenProject();
  From(1, dtc_Make::SetOptions("Source Group 1", TextList{"A"}, TextList{"/i1"}));
  const struct {
    const char* name;
    TextList symbols, paths;
    const char* reply;
  } rows[] = {
      {"IncludePathCrLf", {"B"}, {"/i2\r\n/i3"},
       "status 1 The include paths of group 'Source Group 1' cannot be stored: they hold the control character "
       "0x0D. @1"},
      {"SymbolTab", {"B\t=1"}, {"/i2"},
       "status 1 The symbols of group 'Source Group 1' cannot be stored: they hold the control character 0x09. @1"},
      {"IncludePathNul", {"B"}, {std::string("/i2\0x", 5)},
       "status 1 The include paths of group 'Source Group 1' cannot be stored: they hold the control character "
       "0x00. @1"},
  };
  for (const auto& r : rows) {
    From(1, dtc_Make::SetOptions("Source Group 1", r.symbols, r.paths));
    EXPECT_EQ(Whats().back(), r.reply) << r.name;
    const OptionBlock* o = FindTargetOptions(p->firstGroup->pOpts, p->curTarget);
    ASSERT_NE(o, nullptr) << r.name;
    EXPECT_EQ(o->cGnu.ACDEFN.str(), "A") << r.name;
    EXPECT_EQ(o->cGnu.ACINCD.str(), "/i1") << r.name;
  }
}

// The texts go where the target's compiler reads them, and the line that
// compiler then gets for a file of the group holds them; the other
// families' fields reach no compiler and are left alone. An ARM-ADS
// target's group is no exception: "Ok." means stored.
TEST_F(IpcFixture, SetOptionsStoresWhereTheTargetsCompilerReadsIt) {
  const struct {
    const char* name;
    uint16_t toolset;
    std::function<std::string(OptionBlock&)> stored;
    std::function<void(CommandContext&, FileRec*, TargetRec*)> line;
    std::vector<const char*> inLine;
  } rows[] = {
      {"ArmGnu", kToolsetArmGnu,
       [](OptionBlock& o) { return o.cGnu.ACDEFN.str() + "|" + o.cGnu.ACINCD.str(); },
       [](CommandContext& c, FileRec* f, TargetRec* t) { MakeGnuCcCommand(c, f, t, true); }, {"-DA", "-DB=2"}},
      {"ArmAds", kToolsetArmAds,
       [](OptionBlock& o) { return o.cAds.ADSCDEFN.str() + "|" + o.cAds.ADSCINCD.str(); },
       [](CommandContext& c, FileRec* f, TargetRec* t) { MakeAdsCcCommand(c, f, t, true); }, {"-DA", "-DB=2"}},
      {"166", kToolset166,
       [](OptionBlock& o) { return o.q166.DEFINE.str() + "|" + o.q166.INCC6.str(); },
       [](CommandContext& c, FileRec* f, TargetRec* t) { MakeQ166CompilerCommand(c, f, t, true); }, {"A,B=\"2\""}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    sent.clear();
    ProjectRec* p = OpenProject();
    p->curTarget->toolset = r.toolset;
    GiveTargetOptions(p->curTarget);
    FileRec* file = AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
    From(1, dtc_Make::SetOptions("Source Group 1", TextList{"A", "B=2"}, TextList{"/i1", "/i2"}));
    EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @1"}));
    OptionBlock* o = FindTargetOptions(p->firstGroup->pOpts, p->curTarget);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(r.stored(*o), "A,B=2|/i1;/i2");
    EXPECT_EQ(o->q51.Q51DEF.str(), "") << "another family's field";
    CommandContext ctx;
    r.line(ctx, file, p->curTarget);
    const std::string line(ctx.Text());
    for (const char* piece : r.inLine) EXPECT_NE(line.find(piece), std::string::npos) << piece << " in " << line;
    EXPECT_NE(line.find("i1"), std::string::npos) << line;
    EXPECT_NE(line.find("i2"), std::string::npos) << line;
    TearDown();
  }
  OpenProject();
  From(1, dtc_Make::SetOptions("Nope", TextList{}, TextList{}));
  EXPECT_EQ(Whats().back(), "status 1 Group name is not defined @1");
}

// A peer's texts are held to the compiler page's rules, by the page's own
// checks: an include path is one row of the page's folder list, so a ';'
// or ',' in it (which would give the build several folders) is refused as
// the list refuses the row; a Define longer than the page's edit holds is
// refused naming the field and its limit, as is one the page's syntax check
// refuses. Nothing changes: the group gets no block of its own.
TEST_F(IpcFixture, SetOptionsRefusesWhatThePageRefuses) {
  const std::string group = "status 1 Group 'Source Group 1': ";
  const std::string d128(128, 'D'), d129(129, 'D'), d256(256, 'D'), d257(257, 'D');
  const struct {
    const char* name;
    uint16_t toolset;
    TextList symbols, paths;
    std::string reply;
  } rows[] = {
      {"SemicolonInAPath", kToolsetArmGnu, {"A"}, {"a;b"},
       group + "The folder 'a;b' cannot be a row of this list: ';' and ',' separate the list's folders, so ';' "
               "would split it into several."},
      {"CommaInAPath", kToolsetArmGnu, {}, {"inc", "inc/my,dir;x"},
       group + "The folder 'inc/my,dir;x' cannot be a row of this list: ';' and ',' separate the list's folders, "
               "so ',' would split it into several."},
      {"DefinePastTheArmLimit", kToolsetArmGnu, {d129}, {},
       group + "The text of 'Define' cannot be longer than 128 characters; it was left as it was."},
      {"DefinePastTheAdsLimit", kToolsetArmAds, {d128, "X"}, {},
       group + "The text of 'Define' cannot be longer than 128 characters; it was left as it was."},
      {"DefinePast166Limit", kToolset166, {d129}, {},
       group + "The text of 'Define' cannot be longer than 128 characters; it was left as it was."},
      {"DefinePast51Limit", kToolset51, {d257}, {},
       group + "The text of 'Define' cannot be longer than 256 characters; it was left as it was."},
      {"DefineAtTheArmLimit", kToolsetArmGnu, {d128}, {}, "status 0 Ok."},
      {"DefineAt51Limit", kToolset51, {d256}, {}, "status 0 Ok."},
      {"DefineWithoutAValue", kToolsetArmGnu, {"A="}, {}, group + "Syntax error in 'Define'"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    sent.clear();
    ProjectRec* p = OpenProject();
    p->curTarget->toolset = r.toolset;
    GiveTargetOptions(p->curTarget);
    From(1, dtc_Make::SetOptions("Source Group 1", r.symbols, r.paths));
    EXPECT_EQ(Whats(), (std::vector<std::string>{r.reply + " @1"}));
    const bool stored = r.reply == "status 0 Ok.";
    EXPECT_EQ(FindTargetOptions(p->firstGroup->pOpts, p->curTarget) != nullptr, stored);
    TearDown();
  }
}

// A 166 group without options of its own gets a block as its options
// sheet's OK makes one: it overrides nothing but the peer's texts, so the
// compiler and the assembler get the target's MOD167 once, not "MOD167
// MOD167" from a copy of the device's controls.
TEST_F(IpcFixture, SetOptionsOnAGroupOfThe166FamilyAddsOnlyItsTexts) {
  ProjectRec* p = OpenProject();
  TargetRec* t = p->curTarget;
  t->toolset = kToolset166;
  OptionBlock* b = GiveTargetOptions(t);
  b->t166.flags.MOD167 = 1;
  SyncArchitectureControls(*b, kToolset166);
  t->pOpts = b;
  FileRec* c = AddFileToGroup(p->firstGroup, "main.c", "/p/", kFileC);
  FileRec* a = AddFileToGroup(p->firstGroup, "start.s", "/p/", kFileAsm);
  auto count = [](std::string_view line, std::string_view word) {
    int n = 0;
    for (size_t at = line.find(word); at != std::string_view::npos; at = line.find(word, at + 1)) ++n;
    return n;
  };
  auto lines = [&] {
    CommandContext cc, ac;
    MakeQ166CompilerCommand(cc, c, t, true);
    MakeW166AssemblerCommand(ac, a, t, true);
    return std::pair{std::string(cc.Text()), std::string(ac.Text())};
  };
  const auto [compilerBefore, assemblerBefore] = lines();
  ASSERT_EQ(count(compilerBefore, "MOD167"), 1) << compilerBefore;
  ASSERT_EQ(count(assemblerBefore, "MOD167"), 1) << assemblerBefore;
  From(1, dtc_Make::SetOptions("Source Group 1", TextList{"PEER"}, TextList{}));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"status 0 Ok. @1"}));
  const auto [compiler, assembler] = lines();
  EXPECT_EQ(count(compiler, "MOD167"), 1) << compiler;
  EXPECT_EQ(count(assembler, "MOD167"), 1) << assembler;
  EXPECT_NE(compiler.find("PEER"), std::string::npos) << compiler;
  // The assembler's line is the target's as it was: the group overrides none of it.
  EXPECT_EQ(assembler, assemblerBefore);
}

// What a peer sends is stored so that it reads back whole from the project
// file, or refused with the reason and nothing changed: a define "A)B" would
// read back as "A", a file "b>c.c" as the path ".../b".
struct PeerTextRow {
  const char* name;
  TextList symbols;  // SetOptions: the symbols (the include paths the same)
  TextList files;    // SetFileGroup in the folder "/src/"
  std::string reply;
};

class PeerTextsStored : public ::testing::TestWithParam<PeerTextRow> {};

TEST_P(PeerTextsStored, ReadBackWholeOrAreRefused) {
  struct F : IpcFixture {
    void TestBody() override {}
  } f;
  f.SetUp();
  ProjectRec* p = f.OpenProject();
  p->curTarget->pOpts = NewOptionBlock(kPoolProject);
  p->curTarget->pOpts->owner = p->curTarget;
  SetDefaultOptions(*p->curTarget->pOpts, p->curTarget, kToolsetArmGnu, kLevelTarget);
  const PeerTextRow& row = GetParam();
  if (!row.symbols.empty()) f.From(5, dtc_Make::SetOptions("Source Group 1", row.symbols, row.symbols));
  if (!row.files.empty()) f.From(5, dtc_Make::SetFileGroup("Source Group 1", "/src", row.files));
  EXPECT_EQ(f.Whats(), (std::vector<std::string>{row.reply + " @5"}));
  const bool stored = row.reply == "status 0 Ok.";
  // Written and read back as a save and an open would.
  NumberProjectRecords(*p);
  const std::string projectText = BuildProjectFileText(*p), optionsText = BuildOptionsFileText(*p);
  const std::string_view options = optionsText;
  // Closed as an open closes it: the fixture's project lives in the pool a
  // read starts by freeing.
  theApp().m_pProject = nullptr;
  ProjectFileIo io;
  ASSERT_EQ(ReadProjectText(io, "/p/demo.pm2", projectText, &options), 0) << io.message;
  GroupRec* g = FindGroupByName(io.project->firstGroup, "Source Group 1");
  ASSERT_NE(g, nullptr);
  const OptionBlock* o = FindTargetOptions(g->pOpts, io.project->curTarget);
  std::string symbols, paths;
  for (const std::string& t : row.symbols) symbols += (symbols.empty() ? "" : ",") + t;
  for (const std::string& t : row.symbols) paths += (paths.empty() ? "" : ";") + t;
  if (!row.symbols.empty() && stored) {
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->cGnu.ACDEFN.str(), symbols);
    EXPECT_EQ(o->cGnu.ACINCD.str(), paths);
  } else if (o) {
    EXPECT_EQ(o->cGnu.ACDEFN.str(), "");
  }
  std::vector<std::string> files;
  for (FileRec* file = g->firstFile; file; file = file->next) files.push_back(file->path.str() + "|" + file->name.str());
  std::vector<std::string> expected;
  if (stored)
    for (const std::string& name : row.files) expected.push_back("/src/" + name + "|" + name);
  EXPECT_EQ(files, expected);
  f.TearDown();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PeerTextsStored,
    ::testing::Values(
        PeerTextRow{"ClosingBracketInASymbol", {"A)B", "C"}, {},
                    "status 1 The symbols of group 'Source Group 1' cannot be stored: they hold a ')' without its '('."},
        PeerTextRow{"OpeningBracketInASymbol", {"A(B"}, {},
                    "status 1 The symbols of group 'Source Group 1' cannot be stored: they hold a '(' without its ')'."},
        PeerTextRow{"LineBreakInASymbol", {"A\nB"}, {},
                    "status 1 The symbols of group 'Source Group 1' cannot be stored: they hold a line break without "
                    "a carriage return."},
        PeerTextRow{"BalancedBracketsAndQuotes", {"S=\"a b\"", "-x", "<y>"}, {}, "status 0 Ok."},
        // The Define edit takes no function-like macro ('(' ends a name), nor does a peer.
        PeerTextRow{"FunctionLikeMacro", {"F(x)=(x+1)"}, {},
                    "status 1 Group 'Source Group 1': Syntax error in 'Define'"},
        PeerTextRow{"GreaterThanInAFileName", {}, {"b>c.c"},
                    "status 1 The file '/src/b>c.c' cannot be stored in the project: its name holds a '>' without "
                    "its '<'."},
        PeerTextRow{"LessThanInAFileName", {}, {"ok.c", "b<c.c"},
                    "status 1 The file '/src/b<c.c' cannot be stored in the project: its name holds a '<' without "
                    "its '>'."},
        PeerTextRow{"BackslashInAFileName", {}, {"ok.c", "a\\b.c"},
                    "status 1 The file '/src/a\\b.c' cannot be stored in the project: its name holds a '\\', which "
                    "the project reads as a folder separator."},
        PeerTextRow{"TabInAFileName", {}, {"ok.c", "a\tb.c"},
                    "status 1 The file '/src/a\tb.c' cannot be stored in the project: its name holds the control "
                    "character 0x09."},
        PeerTextRow{"UnusualButStorableNames", {}, {"-o INJ.c", "q'uote\".c", "a)b.c", "x<1>.c"}, "status 0 Ok."}),
    [](const auto& info) { return std::string(info.param.name); });

struct GetRow {
  const char* name;
  std::string request;
  std::string reply;
};
class GetProjectFileRows : public ::testing::TestWithParam<GetRow> {};
TEST_P(GetProjectFileRows, Reply) {
  struct F : IpcFixture {
    void TestBody() override {}
  } f;
  f.SetUp();
  ProjectRec* p = f.OpenProject();
  AddFileToGroup(p->firstGroup, "main.c", "src/", kFileC);
  AddFileToGroup(p->firstGroup, "doc.txt", "", kFileText);
  f.From(9, dtc_Make::GetProjectFile(GetParam().request));
  EXPECT_EQ(f.Whats(), (std::vector<std::string>{GetParam().reply + " @9"}));
  f.TearDown();
}
INSTANTIATE_TEST_SUITE_P(
    Rows, GetProjectFileRows,
    ::testing::Values(GetRow{"ByName", "main.c", "file main.c|Source Group 1|C|/abs/src/"},
                      GetRow{"EmptyIndexIsZero", "()", "file main.c|Source Group 1|C|/abs/src/"},
                      GetRow{"TextOnlyByIndex", "(1)", "file doc.txt|Source Group 1|Text|/abs/"},
                      GetRow{"TextNotByName", "doc.txt", "status 1 Given file is not in project"},
                      GetRow{"IndexPastEnd", "(2)", "status 1 Given file is not in project"},
                      GetRow{"Unclosed", "(12", "status 1 Invalid parameter given"},
                      GetRow{"NotDigit", "(1a)", "status 1 Invalid parameter given"},
                      GetRow{"Empty", "", "status 1 Invalid parameter given"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IpcFixture, WhichProjectToAllAndMutedSilence) {
  From(2, dtc_Identify::WhichProject());
  OpenProject();
  From(2, dtc_Identify::WhichProject());
  state.muted = 1;
  From(2, dtc_Identify::WhichProject());
  From(2, dtc_Make::GetProjectFile("main.c"));
  EXPECT_EQ(Whats(), (std::vector<std::string>{"which <None>|<None> @-1", "which demo|/p/ @-1"}));
}

TEST_F(IpcFixture, TargetInfoCodesByToolset) {
  ProjectRec* p = OpenProject();
  From(2, dtc_TargetInfo::GetTargetInfo());  // no block of its own: silent
  EXPECT_TRUE(sent.empty());
  TargetRec* t = p->curTarget;
  t->pOpts = static_cast<OptionBlock*>(PoolAlloc(sizeof(OptionBlock), 1));
  new (t->pOpts) OptionBlock();
  t->pOpts->owner = t;
  t->DEVICE = OptString::Pooled("LPC2138", 1);
  From(2, dtc_TargetInfo::GetTargetInfo());
  t->pOpts->lst.GLFLAGS |= kGlFlagsBigEndian;
  From(2, dtc_TargetInfo::GetTargetInfo());
  t->toolset = kToolset166;
  From(2, dtc_TargetInfo::GetTargetInfo());
  EXPECT_EQ(Whats(), (std::vector<std::string>{"info LPC2138|4|2 @2", "info LPC2138|4|1 @2", "info LPC2138|2|2 @2"}));
}

struct MessageRow {
  const char* name;
  std::string line;
  bool isMessage;
  std::string file;
  int lineNo;
  std::string text;
};
class BuildMessageRows : public ::testing::TestWithParam<MessageRow> {};
TEST_P(BuildMessageRows, Parse) {
  BuildMessage m = ParseBuildMessage(GetParam().line);
  EXPECT_EQ(m.isMessage, GetParam().isMessage);
  EXPECT_EQ(m.file, GetParam().file);
  EXPECT_EQ(m.line, GetParam().lineNo);
  EXPECT_EQ(m.text, GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, BuildMessageRows,
    ::testing::Values(MessageRow{"WithColumn", "main.c(12,5): error: x\r\n", true, "main.c", 12, "error: x"},
                      MessageRow{"NoColon", "a.c(3) warning", true, "a.c", 3, "warning"},
                      MessageRow{"LineZero", "a.c(0): x", false, "", -1, "a.c(0): x"},
                      MessageRow{"NotDigit", "a.c(x): y", false, "", -1, "a.c(x): y"},
                      MessageRow{"NoParen", "Build target 'T'\n", false, "", -1, "Build target 'T'"},
                      MessageRow{"MissingClose", "a.c(12", false, "", -1, "a.c(12"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IpcFixture, BuildLinesOnlyForRequestedBuildsWithProjectPaths) {
  OpenProject();
  AddFileToGroup(shell.project->firstGroup, "main.c", "src/", kFileC);
  notifier.SendBuildInfoEvent("compiling...");  // no requested build
  state.buildByEvent = 1;
  state.buildClient = 4;
  notifier.SendBuildInfoEvent("main.c(12,5): error: x\n");
  notifier.SendBuildInfoEvent("other.c(3): w");
  notifier.SendBuildInfoEvent("\x90high");
  EXPECT_EQ(Whats(), (std::vector<std::string>{"line /abs/src/main.c|12|error: x @4", "line other.c|3|w @4"}));
}

TEST_F(IpcFixture, StartMuteRuleAndWhoIs) {
  sendResult = false;  // nobody else attached
  std::vector<std::string> reports;
  ASSERT_TRUE(notifier.StartEventInterface([] { return true; }, [&](const std::string& t) { reports.push_back(t); }));
  EXPECT_EQ(state.muted, 1);
  EXPECT_EQ(Whats(), (std::vector<std::string>{"identity Pelmora2 3 @-1"}));
  notifier.SendBuildEndEvent(0);  // muted: nothing, but the client is forgotten
  EXPECT_EQ(sent.size(), 1u);
  sendResult = true;
  From(8, dtc_Identify::WhoIs());
  EXPECT_EQ(state.muted, 0);
  notifier.SendBuildEndEvent(-1);
  EXPECT_EQ(Whats().back(), "end 2 @-1");
  // A failed start stays muted and never answers WhoIs.
  IpcShellState other;
  EventDispatcher d2;
  IpcNotifier n2(d2, shell, other, send, [] { return -1; });
  EXPECT_FALSE(n2.StartEventInterface([] { return false; }, [&](const std::string& t) { reports.push_back(t); }));
  n2.OnWhoIs();
  EXPECT_EQ(other.muted, 1);
  EXPECT_EQ(reports, (std::vector<std::string>{kIpcStartFailed}));
}


// The shell as the receiver thread sees it in the program: what it asks of
// the GUI thread waits until the GUI thread serves it.
struct GuiThreadShell : FakeIpcShell {
  bool IsDebugging() override {
    bool on = false;
    RunOnGuiThread([&] { on = debugging; });
    return on;
  }
  void RunOnGuiThread(const std::function<void()>& fn) override { gate.Call(fn); }
  HandOverGate gate;
};

// The handlers leave the dispatcher (the program closing) while a request
// delivered on the receiver thread waits for the GUI thread: leaving waits
// for that delivery, so the GUI thread serves the request meanwhile.
TEST(IpcHandlersLeave, WhileARequestWaitsForTheGuiThread) {
  EventDispatcher dispatcher;
  GuiThreadShell shell;
  shell.debugging = true;  // the build is refused with a status: no project needed
  IpcShellState state;
  state.muted = 0;
  std::atomic<int> sent{0};
  auto handlers = std::make_unique<IpcBuildHandlers>(dispatcher, shell, state, [&](dtc_EventBase&) {
    ++sent;
    return true;
  });
  std::thread receiver([&] {
    dtc_Make::Build request(0);
    request.m_nSender = 4;
    dispatcher.Deliver(request);
  });
  ASSERT_TRUE(shell.gate.WaitForCaller());
  ExpectReturnsWithin(std::chrono::seconds(20),
                      [&] { WaitServing([&] { handlers.reset(); }, [&] { shell.gate.Serve(); }); });
  receiver.join();
  EXPECT_EQ(shell.gate.Served(), 1);
  EXPECT_EQ(sent, 1);  // "Can't execute command while debugging"
  EXPECT_EQ(state.buildClient, -1);
}

}  // namespace
}  // namespace pm2
