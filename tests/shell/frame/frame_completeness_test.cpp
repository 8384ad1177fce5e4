// No silent gaps: the real main frame, started as the program starts it,
// has a handler for every command its table, menus and toolbars offer, and
// the program's start-up and frame classes implement every operation of
// their interfaces.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/offered_commands.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/core/resources.h"

namespace pm2 {
namespace {

class FrameCompletenessTest : public test::ExampleFrameTest {};

TEST_F(FrameCompletenessTest, EveryOfferedCommandHasAHandler) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> missing;
  for (CommandId id : test::OfferedCommands())
    if (!f->HasHandler(id)) missing.push_back(std::to_string(id));
  EXPECT_EQ(::testing::PrintToString(missing), "{}") << "commands without a handler";
}

// The items of the menus by drop-down: the popup's text and its items.
std::vector<std::pair<std::string, CommandId>> MenuItems(unsigned menu) {
  std::vector<std::pair<std::string, CommandId>> out;
  std::function<void(const std::string&, const std::vector<MenuEntry>&)> walk =
      [&](const std::string& popup, const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& e : entries) {
          if (e.kind == MenuEntry::Kind::Item) out.emplace_back(popup, e.id);
          if (e.kind == MenuEntry::Kind::Popup) walk(popup.empty() ? e.text : popup, e.children);
        }
      };
  if (const auto* m = ShellResources().Menu(menu)) walk("", *m);
  return out;
}

// The states a new user meets the menus in.
enum class MenuState { kNoProject, kProject, kProjectEditor, kTextWithoutProject };
struct MenuStateRow {
  const char* name;
  MenuState state;
};

class MenuWalk : public test::ExampleFrameTest, public ::testing::WithParamInterface<MenuStateRow> {};

// In each state every item of both menus has a handler, and a greyed one
// tells on the status line what it does or why it is greyed. Without a
// project, every item of the Project and Flash menus that is offered shows
// a window or a message when chosen: none does nothing at all.
TEST_P(MenuWalk, EveryItemActsIsGreyedOrSaysWhy) {
  const MenuState state = GetParam().state;
  const bool project = state == MenuState::kProject || state == MenuState::kProjectEditor;
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, project ? dir + "Blinky.pm2" : "", root + "PM2/pelmora2");
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  if (state == MenuState::kProjectEditor || state == MenuState::kTextWithoutProject) {
    ASSERT_NE(OpenActive(f, dir + "LED.c", 1), nullptr);
  }
  std::vector<std::string> faults;
  for (unsigned menu : {kMainMenuId, kEditorMenuId})
    for (const auto& [popup, id] : MenuItems(menu)) {
      const CommandState st = f->QueryCommand(id);
      if (!f->HasHandler(id)) faults.push_back(popup + " " + std::to_string(id) + ": no handler");
      if (!st.enabled && st.greyedReason.empty() && CommandPrompt(id).empty())
        faults.push_back(popup + " " + std::to_string(id) + ": greyed without a word");
    }
  if (state == MenuState::kNoProject) {
    // Whatever the command opens is closed again at once; what counts is
    // that something showed.
    int shown = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w != f && w->isVisible() && (w->isModal() || w->isWindow()) && !w->property("pm2Before").toBool()) {
          ++shown;
          w->close();
        }
    });
    for (const auto& [popup, id] : MenuItems(kMainMenuId)) {
      if (popup != "&Project" && popup != "F&lash") continue;
      if (!f->QueryCommand(id).enabled || (id >= 32804 && id <= 32813)) continue;
      for (QWidget* w : QApplication::topLevelWidgets()) w->setProperty("pm2Before", w->isVisible());
      shown = 0;
      const std::string before = f->Status()->GetWindowText();
      f->Status()->SetWindowText("");
      closer.start(50);
      f->ExecuteCommand(id);
      // What the command shows may come from a queued call: waited for,
      // bounded only so that a command that shows nothing is found.
      test::WaitFor([&] { return shown > 0 || !f->Status()->GetWindowText().empty(); });
      closer.stop();
      const std::string said = f->Status()->GetWindowText();
      if (shown == 0 && said.empty())
        faults.push_back(popup + " " + std::to_string(id) + ": offered, but nothing happens");
      f->Status()->SetWindowText(before);
    }
  }
  EXPECT_EQ(faults, std::vector<std::string>{});
}

const MenuStateRow kMenuStates[] = {
    {"NoProject", MenuState::kNoProject},
    {"ExampleOpen", MenuState::kProject},
    {"ExampleWithAnEditor", MenuState::kProjectEditor},
    {"TextWithoutAProject", MenuState::kTextWithoutProject},
};
INSTANTIATE_TEST_SUITE_P(States, MenuWalk, ::testing::ValuesIn(kMenuStates),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether a class declares its own version of an interface operation: the
// type of &Class::Op names the class that declares it.
#define PM2_OWN(Class, Base, Op) \
  { #Op, !std::is_same_v<decltype(&Class::Op), decltype(&Base::Op)> }

struct Operation {
  const char* name;
  bool own;
};

TEST(FrameInterfaces, TheProgramsStartUpStepsAreAllImplemented) {
  const Operation steps[] = {
      PM2_OWN(FrameStartup, StartupPorts, SetUpProfile),
      PM2_OWN(FrameStartup, StartupPorts, LoadEditorDefaults),
      PM2_OWN(FrameStartup, StartupPorts, ClearAddInLink),
      PM2_OWN(FrameStartup, StartupPorts, LoadFrameSettings),
      PM2_OWN(FrameStartup, StartupPorts, ShowSplash),
      PM2_OWN(FrameStartup, StartupPorts, RegisterDocumentTemplates),
      PM2_OWN(FrameStartup, StartupPorts, CreateMainFrame),
      PM2_OWN(FrameStartup, StartupPorts, ProcessShellCommand),
      PM2_OWN(FrameStartup, StartupPorts, ShowMainFrame),
      PM2_OWN(FrameStartup, StartupPorts, StartEventInterface),
      PM2_OWN(FrameStartup, StartupPorts, LoadShortcutTable),
      PM2_OWN(FrameStartup, StartupPorts, OpenInstanceChannel),
      PM2_OWN(FrameStartup, StartupPorts, InitHelp),
      PM2_OWN(FrameStartup, StartupPorts, SendGoodbye),
      PM2_OWN(FrameStartup, StartupPorts, CloseHelp),
      PM2_OWN(FrameStartup, StartupPorts, CloseInstanceChannel),
      PM2_OWN(FrameStartup, StartupPorts, SaveFrameSettings),
  };
  std::vector<std::string> missing;
  for (const Operation& op : steps)
    if (!op.own) missing.push_back(op.name);
  EXPECT_EQ(::testing::PrintToString(missing), "{}");
}

TEST(FrameInterfaces, TheMainFrameImplementsEveryHook) {
  const Operation hooks[] = {
      PM2_OWN(CMainFrame, FrameHooks, CloseMainWindow),
      PM2_OWN(CMainFrame, FrameHooks, UpdateTitle),
      PM2_OWN(CMainFrame, FrameHooks, EnableTargetBox),
      PM2_OWN(CMainFrame, FrameHooks, IdleUpdate),
      PM2_OWN(CMainFrame, FrameHooks, ShowOutputPage),
      PM2_OWN(CMainFrame, FrameHooks, RepaintMainWindow),
      PM2_OWN(CMainFrame, FrameHooks, SetWaitCursor),
      PM2_OWN(CMainFrame, FrameHooks, ShowStatusProgress),
      PM2_OWN(CMainFrame, FrameHooks, DriverStatusChanged),
      PM2_OWN(CMainFrame, FrameHooks, RouteCommand),
      PM2_OWN(CMainFrame, FrameHooks, AppendOutputLine),
      PM2_OWN(CMainFrame, FrameHooks, AppendCommandOutput),
      PM2_OWN(CMainFrame, FrameHooks, MarkCommandOutput),
      PM2_OWN(CMainFrame, FrameHooks, RefreshProjectTree),
      PM2_OWN(CMainFrame, FrameHooks, RefreshBooks),
      PM2_OWN(CMainFrame, FrameHooks, RefreshFileMarks),
      PM2_OWN(CMainFrame, FrameHooks, ForAllDocuments),
      PM2_OWN(CMainFrame, FrameHooks, SaveAndCloseTextDocuments),
      PM2_OWN(CMainFrame, FrameHooks, StoreOpenEditorWindows),
      PM2_OWN(CMainFrame, FrameHooks, RestoreEditorWindows),
      PM2_OWN(CMainFrame, FrameHooks, OpenDocument),
      PM2_OWN(CMainFrame, FrameHooks, CheckChangedSourceFiles),
      PM2_OWN(CMainFrame, FrameHooks, ReloadChangedDocuments),
      PM2_OWN(CMainFrame, FrameHooks, ActiveDocumentTitle),
      PM2_OWN(CMainFrame, FrameHooks, LineInput),
      PM2_OWN(CMainFrame, FrameHooks, CloseBrowser),
      PM2_OWN(CMainFrame, FrameHooks, StartDebugger),
      PM2_OWN(CMainFrame, FrameHooks, StopDebugger),
      PM2_OWN(CMainFrame, FrameHooks, OnDebugStartStop),
      PM2_OWN(CMainFrame, FrameHooks, RefreshWatch),
      PM2_OWN(CMainFrame, FrameHooks, RunInitFileInclude),
      PM2_OWN(CMainFrame, FrameHooks, ActivatePendingFrame),
      PM2_OWN(CMainFrame, FrameHooks, WriteSerial),
      PM2_OWN(CMainFrame, FrameHooks, DebugService),
  };
  std::vector<std::string> missing;
  for (const Operation& op : hooks)
    if (!op.own) missing.push_back(op.name);
  EXPECT_EQ(::testing::PrintToString(missing), "{}");
}

}  // namespace
}  // namespace pm2
