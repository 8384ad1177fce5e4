// The frame's project dialogs, tools, Find in Files and event interface,
// reached the way a user reaches them: through the menus and the command
// routing of a frame started as the program starts it, with the example
// project open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <signal.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QAbstractButton>
#include <QProcess>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/runner/command_line_split.h"
#include "shell/app/debug_port.h"
#include "editor/view/edit_view.h"
#include "options/pages/options_sheet.h"
#include "platform/ipc_namespace.h"
#include "project/model/option_block.h"
#include "platform/ipc_objects.h"
#include "platform/notification_hub.h"
#include "platform/settings_store.h"
#include "project/dialogs/add_files_dialog.h"
#include "project/dialogs/components_page.h"
#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/project_sheet.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/app/state_bits.h"
#include "test_leftovers.h"
#include "shell/frame/frame_bars.h"
#include "toolkit/menus/menu_bar.h"
#include "shell/frame/ipc_wiring.h"
#include "builder/runner/progress_channel.h"
#include "driver_abi/debug_interface.h"
#include "shell/frame/addin_commands.h"
#include "shell/frame/browser_commands.h"
#include "project/dialogs/file_type_dialog.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/project_commands_ext.h"
#include "platform/win_path.h"
#include "shell/windows/qt_user_dialogs.h"
#include "shell/windows/watchdog.h"
#include "shell/frame/editor_windows.h"
#include "editor/engine/edit_commands.h"
#include "editor/ide/editor_view.h"
#include "shell/frame/tool_commands.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "shell/tools/addin_link.h"
#include "shell/tools/find_in_files.h"
#include "shell/tools/ui/find_in_files_dialog.h"
#include "shell/windows/shell_runtime.h"
#include "toolkit/controls/list_box_editor.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {


// Every item text of the project tree, depth first.
std::vector<std::string> TreeTexts(CMainFrame* f) {
  std::vector<std::string> out;
  SECTreeCtrl* tree = f->ProjectBar()->View()->Tree();
  for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextItemInOrder(i)) out.push_back(tree->GetItemText(i));
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

std::vector<std::string> PaneLines(COutView* pane) { return pane->Model().Lines(); }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

using test::WaitFor;

class FrameCommandsTest : public test::ExampleFrameTest {
 protected:
  // Runs the event interface's test client in the given mode against this
  // program, the event loop going meanwhile; its exit code and its output.
  static std::pair<int, std::string> RunIpcClient(const std::string& mode, int ms) {
    const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/shell_frame_ipc_client";
    const IpcNamespace ns = IpcNamespace::FromEnvironment();
    QProcess child;
    child.start(QString::fromStdString(client), {QString::fromStdString(ns.suffix),
                                                 QString::fromStdString(ns.runtimeDir), QString::fromStdString(mode)});
    if (!child.waitForStarted()) return {-1, "cannot start " + client};
    if (!WaitFor([&] { return child.state() == QProcess::NotRunning; }, ms)) {
      child.kill();
      child.waitForFinished();
      return {-1, "the client did not end: " + child.readAllStandardOutput().toStdString()};
    }
    return {child.exitCode(), child.readAllStandardOutput().toStdString()};
  }
  // The popup of the main menu that holds the command.
  static QMenu* PopupWith(CMainFrame* f, CommandId id) {
    for (int i = 0; i < int(f->Bars()->MenuBar()->Model().Rows().size()); ++i)
      for (QAction* a : f->Bars()->MenuBar()->PopupFor(i)->actions())
        if (a->data().toUInt() == id) return f->Bars()->MenuBar()->PopupFor(i);
    return nullptr;
  }
};

TEST_F(FrameCommandsTest, ComponentsSheetFromTheMenuAddsAGroupToTheProjectWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(Contains(TreeTexts(f), "Drivers"));
  bool shown = false;
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<ProjectSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    shown = true;
    sheet->show();
    SECListBoxEditor* groups = sheet->Components()->Groups();
    groups->SetCurSel(groups->GetCount() - 1);
    groups->StartEditing(0);
    groups->AcceptEdit("Drivers");
    sheet->accept();
    return sheet->result();
  };
  QMenu* project = PopupWith(f, cmd::kComponents);
  ASSERT_NE(project, nullptr);
  emit project->aboutToShow();
  QAction* item = ActionOf(project, cmd::kComponents);
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->isEnabled());
  item->trigger();  // the menu bar runs the command once the popup is gone
  EXPECT_TRUE(WaitFor([&] { return shown; }));
  EXPECT_NE(FindGroupByName(s.App().Project()->firstGroup, "Drivers"), nullptr);
  EXPECT_TRUE(Contains(TreeTexts(f), "Drivers"));
  // Cancel changes nothing.
  f->ProjectCommands()->m_runDialog = [](QDialog&) { return int(QDialog::Rejected); };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_TRUE(Contains(TreeTexts(f), "Drivers"));
}

// The event interface hears while the sheet is open, so that a client's
// group change is refused rather than undone by the sheet's OK.
TEST_F(FrameCommandsTest, EventInterfaceKnowsWhenTheComponentsSheetIsOpen) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.ports.Ipc(), nullptr);
  IpcShell& ipc = *s.ports.Ipc();
  EXPECT_FALSE(ipc.ComponentsSheetOpen());
  bool openInside = false;
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    if (dynamic_cast<ProjectSheet*>(&d)) openInside = ipc.ComponentsSheetOpen();
    return int(QDialog::Rejected);
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_TRUE(openInside);
  EXPECT_FALSE(ipc.ComponentsSheetOpen());
}

// A peer's build while the Components sheet is open would run under the
// sheet's OK, which replaces the groups the build reads: it is refused
// with the reason, as the peer's group changes are, and nothing starts.
TEST_F(FrameCommandsTest, APeersBuildIsRefusedWhileTheComponentsSheetIsOpen) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::string answer;
  bool busy = true;
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    if (!dynamic_cast<ProjectSheet*>(&d)) return int(QDialog::Rejected);
    const auto [code, out] = RunIpcClient("0", 60000);
    const size_t at = out.find("status ");
    answer = at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at);
    busy = s.App().HasState(kStateBusy);
    return int(QDialog::Rejected);
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kComponents));
  EXPECT_EQ(answer, "status 1 Can't build while the dialog 'Components, Environment and Books' is open");
  EXPECT_FALSE(busy);
  EXPECT_FALSE(s.App().HasState(kStateBusy));
}

// The project window's menu opened on Blinky.c names it; a peer's group
// change that refills the tree while the menu is open moves the selection
// to the target. The menu's options entry still opens the file's sheet,
// not the target's; once the file has left the project the entry opens
// nothing.
TEST_F(FrameCommandsTest, TheProjectMenusOptionsEntryKeepsItsFileWhenAPeerRefillsTheTree) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  struct Row {
    const char* name;
    const char* peerGroup;  // the group whose files the peer sets
    const char* sheetFor;   // the sheet the entry opened ("" none)
  } rows[] = {
      {"another group changes", "Peer", "file 'Blinky.c'"},
      {"the file's own group loses it", "Source", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FileRec* file = nullptr;
    for (GroupRec* g = p->firstGroup; g; g = g->next)
      for (FileRec* x = g->firstFile; x; x = x->next)
        if (x->name.str() == "Blinky.c") file = x;
    ASSERT_NE(file, nullptr);
    SelectInProject(f, file);
    ASSERT_EQ(s.App().m_pSelItem, file);
    std::string sheetFor, entry, answer = "<menu never open>";
    f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet&) {
      const NodeRec* n = s.App().m_pOptionsNode;
      sheetFor = !n ? "?" : n->kind == kKindFile ? "file '" + static_cast<const FileRec*>(n)->name.str() + "'"
                                                 : "other";
      return int(QDialog::Rejected);
    };
    QTimer inMenu;
    QObject::connect(&inMenu, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !entry.empty()) return;
      QAction* options = ActionOf(menu, cmd::kOptionsForItem);
      if (!options) return;
      entry = options->text().toStdString();
      const auto [code, out] = RunIpcClient(std::string("setgroup ") + r.peerGroup + " " + dir + " Extra.c", 60000);
      answer = out.substr(out.find("status ") == std::string::npos ? 0 : out.find("status "));
      menu->setActiveAction(options);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    inMenu.start(10);
    f->ShowProjectContextMenu(f->mapToGlobal(QPoint(20, 20)));
    inMenu.stop();
    EXPECT_EQ(entry, "&Options for File 'Blinky.c'...");
    EXPECT_EQ(answer, "status 0 Ok.\n");
    EXPECT_EQ(sheetFor, r.sheetFor);
  }
}

TEST_F(FrameCommandsTest, NewProjectAsksForANameThenTheDevice) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  // Cancel in the name dialog keeps the open project.
  commands->m_chooseNewProjectName = [] { return std::string(); };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kNewProject));
  EXPECT_EQ(s.App().Project()->name.str(), "Blinky");
  commands->m_chooseNewProjectName = [&] { return dir + "Fresh/Fresh.pm2"; };
  fs::create_directories(dir + "Fresh");
  bool deviceAsked = false;
  commands->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<DeviceSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    deviceAsked = true;
    sheet->show();
    EXPECT_TRUE(sheet->Selector()->SelectDevice("NXP", "LPC2138"));
    sheet->accept();
    return sheet->result();
  };
  // The device's startup file is offered; No here (the copy has tests of
  // its own).
  std::string question;
  QTimer no;
  QObject::connect(&no, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      question = box->text().toStdString();
      box->button(QMessageBox::No)->click();
    }
  });
  no.start(10);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kNewProject));
  no.stop();
  EXPECT_TRUE(deviceAsked);
  EXPECT_EQ(question.rfind("Copy ", 0), 0u) << question;
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name.str(), "Fresh");
  ASSERT_NE(p->curTarget, nullptr);
  EXPECT_EQ(p->curTarget->DEVICE.str(), "LPC2138");
  EXPECT_EQ(commands->CreationCounter(), 2);
  EXPECT_EQ(f->windowTitle().toStdString().rfind("Fresh", 0), 0u) << f->windowTitle().toStdString();
  EXPECT_TRUE(Contains(TreeTexts(f), p->curTarget->name.str()));
  // Written under the name as typed, and listed so: it opens after a restart.
  std::vector<std::string> written;
  for (const auto& e : fs::directory_iterator(dir + "Fresh"))
    if (SamePathIgnoringCase(e.path().extension().string(), ".pm2")) written.push_back(e.path().filename().string());
  EXPECT_EQ(written, (std::vector<std::string>{"Fresh.pm2"}));
  EXPECT_GT(fs::file_size(dir + "Fresh/Fresh.pm2"), 0u);
  EXPECT_EQ(s.App().m_recent.At(0), dir + "Fresh/Fresh.pm2");
  // The new project's output names its build log and browse file at once:
  // on a toolset whose compiler writes browse information the Source
  // Browser is offered without the project being opened again.
  EXPECT_EQ(s.App().m_szBrowseFile.rfind(dir + "Fresh/", 0), 0u) << s.App().m_szBrowseFile;
  const uint16_t toolset = p->curTarget->toolset;
  p->curTarget->toolset = kToolset51;
  EXPECT_TRUE(f->QueryCommand(kCmdSourceBrowser).enabled);
  p->curTarget->toolset = toolset;
}

TEST_F(FrameCommandsTest, AddFilesAddsAFileToTheSelectedGroup) {
  { std::ofstream(dir + "Extra.c") << "int extra;\n"; }
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  GroupRec* group = s.App().Project()->firstGroup;
  ASSERT_NE(group, nullptr);
  SelectInProject(f, group);
  CPrjView* view = f->ProjectBar()->View();
  ASSERT_EQ(s.App().m_pSelItem, group);
  EXPECT_TRUE(f->QueryCommand(cmd::kAddFiles).enabled);
  // The dialog stays open after Add; the user then closes it.
  bool driven = false;
  bool shownWhileOpen = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<AddFilesDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    driven = true;
    dlg->selectNameFilter(dlg->nameFilters().back());
    dlg->findChild<QLineEdit*>("fileNameEdit")->setText("Extra.c");
    QApplication::processEvents();
    dlg->accept();
    // Added at once: the project window shows the file before the dialog
    // is closed.
    shownWhileOpen = dlg->isVisible() && Contains(TreeTexts(f), "Extra.c");
    dlg->reject();
  });
  EXPECT_TRUE(f->ExecuteCommand(cmd::kAddFiles));
  EXPECT_TRUE(driven);
  EXPECT_TRUE(shownWhileOpen);
  EXPECT_NE(FindSourceFileByName("Extra.c"), nullptr);
  EXPECT_TRUE(Contains(TreeTexts(f), "Extra.c"));
  // After the dialog the group is still selected in the tree filled again,
  // and the Project menu acts on it: more files can be added at once.
  NodeRec* shown = view->RecordOf(view->Tree()->GetCaretItem());
  EXPECT_EQ(shown, group);
  EXPECT_EQ(s.App().m_pSelItem, shown);
  CommandState add = f->QueryCommand(cmd::kAddFiles);
  EXPECT_TRUE(add.enabled);
  EXPECT_EQ(add.text, "Add Files to Group '" + group->name.str() + "'...");
}

TEST_F(FrameCommandsTest, AUserToolFromTheSettingsRunsFromTheToolsMenuIntoTheBuildPage) {
  const std::string script = dir + "echo_tool.sh";
  { std::ofstream(script) << "#!/bin/sh\necho \"tool says $1 $2\"\n"; }
  ::chmod(script.c_str(), 0755);
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileInt("ToolM", "Mfg0", 0x100);
  settings.WriteProfileString("ToolM", "Mtx0", "Echo @P");
  settings.WriteProfileString("ToolM", "Mex0", script.c_str());
  settings.WriteProfileString("ToolM", "Mid0", dir.c_str());
  settings.WriteProfileString("ToolM", "Mag0", "hello %P");
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  QMenu* tools = PopupWith(f, 35095);
  ASSERT_NE(tools, nullptr);
  emit tools->aboutToShow();
  QAction* item = ActionOf(tools, 32930);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text().toStdString(), "Echo Blinky");
  EXPECT_TRUE(item->isEnabled());
  EXPECT_TRUE(tools->actions().at(tools->actions().indexOf(item) - 1)->isSeparator());
  item->trigger();  // the menu bar runs the command once the popup is gone
  std::string all;
  auto buildPage = [&] {
    all.clear();
    for (const std::string& l : PaneLines(f->Output()->BuildPane())) all += l + "\n";
    return all;
  };
  // The tool's line arrives, and then the run ends.
  EXPECT_TRUE(WaitFor([&] { return buildPage().find("tool says hello Blinky.pm2") != std::string::npos; })) << all;
  ASSERT_TRUE(WaitFor([&] { return !s.App().HasState(kStateBusy); }));
  // Opening the menu again gives the same item the same id.
  emit tools->aboutToShow();
  EXPECT_NE(ActionOf(tools, 32930), nullptr);
  EXPECT_EQ(ActionOf(tools, 32931), nullptr);
}

// The frame goes away while a search waits for the GUI thread to take a
// line: the lines are served while the search is stopped and joined.
// Starts Find in Files from its command with the dialog filled in;
// false when the dialog did not come up.
bool StartFindInFiles(CMainFrame* f, const char* word, const char* types, const std::string& folder,
                      bool regex = false) {
  bool driven = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<FindInFilesDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    driven = true;
    dlg->FindCombo()->setEditText(word);
    dlg->TypesCombo()->setEditText(types);
    dlg->FolderCombo()->setEditText(QString::fromStdString(folder));
    dlg->RegexBox()->setChecked(regex);
    dlg->accept();
  });
  return f->ExecuteCommand(kCmdFindInFiles) && driven;
}

TEST_F(FrameCommandsTest, FrameGoesAwayWhileASearchWaitsForTheGuiThread) {
  {
    std::ofstream many(dir + "many.txt");
    for (int i = 0; i < 3000; ++i) many << "needle " << i << "\n";
  }
  SettingsStore settings(dir + "settings.ini");
  auto s = std::make_unique<test::Session>(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s->Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(StartFindInFiles(f, "needle", "*.txt", dir));
  EXPECT_TRUE(f->Tools()->FindRunning());
  Watchdog guard(std::chrono::seconds(20));
  s.reset();
}

TEST_F(FrameCommandsTest, FindInFilesListsHitsAndADoubleClickOpensTheLine) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(StartFindInFiles(f, "LED_On", "*.c", dir));
  ASSERT_TRUE(WaitFor([&] { return !f->Tools()->FindRunning(); }));
  ASSERT_TRUE(WaitFor([&] {
    auto lines = PaneLines(f->Output()->FindPane());
    return !lines.empty() && lines.back() == "2 occurrence(s) have been found.";
  }));
  COutView* pane = f->Output()->FindPane();
  const auto lines = PaneLines(pane);
  int hit = -1, hits = 0;
  for (int i = 0; i < int(lines.size()); ++i)
    if (lines[i].find("Blinky.c(") != std::string::npos) {
      ++hits;
      if (hit < 0) hit = i;
    }
  ASSERT_GE(hit, 0);
  EXPECT_GT(hits, 0);
  // The hits are real: each names a line of the file that holds the text.
  const std::string& line = lines[size_t(hit)];
  const int lineNo = std::atoi(line.c_str() + line.find("Blinky.c(") + 9);
  EXPECT_GT(lineNo, 0);
  pane->Model().EnsureVisible(hit);
  pane->update();
  Rect lr = pane->Model().LineRect(hit);
  const QPoint at = QRect(lr.left, lr.top, lr.right - lr.left, lr.bottom - lr.top).center();
  QTest::mouseDClick(pane, Qt::LeftButton, {}, at);
  // A real mouse's button comes up after a double click; the test's one
  // stays down for later tests of this program (an add-in request is
  // refused while the left button is down).
  if (QGuiApplication::mouseButtons() & Qt::LeftButton) QTest::mouseRelease(pane, Qt::LeftButton, {}, at);
  EXPECT_NE(f->Editors().ActivePath().find("Blinky.c"), std::string::npos);
  ASSERT_NE(f->Editors().Active(), nullptr);
  // The line of the hit is shown selected.
  bool column = false;
  const std::string selected = f->Editors().Active()->Engine().GetSelectedText(&column);
  EXPECT_NE(selected.find(line.substr(line.find("): ") + 3)), std::string::npos) << selected;
}

// Regular expression ticked and an expression that does not compile: the
// Find in Files page says so once, with why and the column of the unmatched
// '(', instead of counting no occurrences in files it never searched.
TEST_F(FrameCommandsTest, FindInFilesTellsAnInvalidExpressionOnce) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(StartFindInFiles(f, "LED_On(", "*.c;*.h", dir, true));
  ASSERT_TRUE(WaitFor([&] { return !f->Tools()->FindRunning(); }));
  const std::string told =
      "The regular expression 'LED_On(' is no valid regular expression: a '(' without its ')' (at column 7).";
  ASSERT_TRUE(WaitFor([&] {
    auto lines = PaneLines(f->Output()->FindPane());
    return !lines.empty() && lines.back() == told;
  }));
  EXPECT_EQ(PaneLines(f->Output()->FindPane()), (std::vector<std::string>{told}));
  // Mended, it is searched.
  ASSERT_TRUE(StartFindInFiles(f, "LED_On\\(", "*.c", dir, true));
  ASSERT_TRUE(WaitFor([&] { return !f->Tools()->FindRunning(); }));
  ASSERT_TRUE(WaitFor([&] {
    auto lines = PaneLines(f->Output()->FindPane());
    return !lines.empty() && lines.back() == "2 occurrence(s) have been found.";
  }));
}

// The search reads the files on disk: an edit not yet saved is found, as
// it is saved first; a second request while it runs stops it with a beep.
TEST_F(FrameCommandsTest, FindInFilesSavesTheEditedTextsFirstAndASecondRequestStopsIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "/*unsaved_marker*/");
  ASSERT_TRUE(StartFindInFiles(f, "unsaved_marker", "*.h", dir));
  ASSERT_TRUE(WaitFor([&] { return !f->Tools()->FindRunning(); }));
  EXPECT_FALSE(f->Editors().ActiveDocument()->IsModified());
  ASSERT_TRUE(WaitFor([&] {
    auto lines = PaneLines(f->Output()->FindPane());
    return !lines.empty() && lines.back() == "1 occurrence(s) have been found.";
  })) << ::testing::PrintToString(PaneLines(f->Output()->FindPane()));

  {
    std::ofstream many(dir + "many.txt");
    for (int i = 0; i < 20000; ++i) many << "needle " << i << "\n";
  }
  ASSERT_TRUE(StartFindInFiles(f, "needle", "*.txt", dir));
  const int beeps = s.runtime.Dialogs().BeepCount();
  ASSERT_TRUE(f->Tools()->FindRunning());
  f->ExecuteCommand(kCmdFindInFiles);
  EXPECT_EQ(s.runtime.Dialogs().BeepCount(), beeps + 1);
  ASSERT_TRUE(WaitFor([&] { return !f->Tools()->FindRunning(); }));
}

TEST_F(FrameCommandsTest, AClientOfTheEventInterfaceBuildsAndReceivesTheBuildEnd) {
  if (!fs::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc")) GTEST_SKIP() << "the ARM tools are not installed";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const auto [code, out] = RunIpcClient("1", 180000);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("identity Pelmora2"), std::string::npos) << out;
  EXPECT_NE(out.find("end 0"), std::string::npos) << out;
  EXPECT_EQ(out.find("lines 0\n"), std::string::npos) << out;
  // The build ran in the IDE's own window.
  std::string all;
  for (const std::string& l : PaneLines(f->Output()->BuildPane())) all += l + "\n";
  EXPECT_NE(all.find("compiling LED.c..."), std::string::npos) << all;
}

// The driver's target messages (service code 2051) reach every client
// registered for target messaging; the target channel's state (2064)
// reaches the client that started the session, and nobody before one did.
TEST_F(FrameCommandsTest, TargetMessagesAndConnectionEventsReachTheClient) {
  // The session the client asks for fails to start at once (no such
  // driver): the client is the session's client all the same.
  const std::string opt = ReadText(dir + "Blinky.Opt");
  std::string noDriver = opt;
  for (size_t at; (at = noDriver.find("GDBDRV.DLL")) != std::string::npos;) noDriver.replace(at, 10, "NODRV.DLL");
  WriteText(dir + "Blinky.Opt", noDriver);
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  test::BoxAnswers boxes({QMessageBox::Ok});
  const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/shell_frame_ipc_client";
  const IpcNamespace ns = IpcNamespace::FromEnvironment();
  QProcess child;
  child.start(QString::fromStdString(client),
              {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), "target"});
  ASSERT_TRUE(child.waitForStarted());
  std::string out;
  auto saw = [&](const std::string& line) {
    return WaitFor(
        [&] {
          out += child.readAllStandardOutput().toStdString();
          return out.find(line + "\n") != std::string::npos || child.state() == QProcess::NotRunning;
        }) &&
           out.find(line + "\n") != std::string::npos;
  };
  struct KillChild {
    QProcess& p;
    ~KillChild() {
      if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
      }
    }
  } killChild{child};
  ASSERT_TRUE(saw("ready")) << out;
  // The session start the client asks for is a deferred command: none of
  // the start-up's may still wait.
  ASSERT_TRUE(WaitFor([&] { return !s.App().Deferred().Pending(); }));
  // No client started a session: the connection is told to nobody.
  s.App().IdeServiceCall(2064, 1);
  TargetMessageRecord m{};
  m.word[0] = 1;
  m.word[1] = 2;
  m.word[2] = 3;
  m.word[3] = 4;  // carries nothing
  m.word[4] = 5;
  m.word[5] = 6;
  m.value = 0x123456789ull;
  s.App().IdeServiceCall(2051, reinterpret_cast<intptr_t>(&m));
  ASSERT_TRUE(saw("asked")) << out;
  ASSERT_TRUE(saw("debugger stopped")) << out;  // the start failed
  s.App().IdeServiceCall(2064, 1);
  s.App().IdeServiceCall(2064, 0);
  ASSERT_TRUE(WaitFor([&] { return child.state() == QProcess::NotRunning; })) << out;
  out += child.readAllStandardOutput().toStdString();
  EXPECT_EQ(child.exitCode(), 0) << out;
  // The failed start is told with its reason, and its end once.
  EXPECT_EQ(out.substr(out.find("ready\n")), "ready\nfrom target 1 2 3 5 6 4886718345\nasked\nstatus Error: '" + root +
                                                 "ARM/BIN/NODRV' not found\ndebugger stopped\nconnected\ndisconnected\n");
}

// A session the client asks for whose program file was never built: the
// GDB driver refuses the start; the client hears why, and the end once.
TEST_F(FrameCommandsTest, AClientsStartWithoutAProgramFileIsToldOnceWithTheReason) {
  if (access("/usr/bin/gdb-multiarch", X_OK) != 0 || access("/usr/bin/qemu-system-arm", X_OK) != 0)
    GTEST_SKIP() << "gdb-multiarch or qemu-system-arm is not installed (./pm2.sh installs them)";
  test::ExampleSession s(dir, root);  // the copy has no Obj folder: nothing built
  ASSERT_NE(s.Frame(), nullptr);
  test::BoxAnswers boxes({QMessageBox::Ok});
  const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/shell_frame_ipc_client";
  const IpcNamespace ns = IpcNamespace::FromEnvironment();
  QProcess child;
  child.start(QString::fromStdString(client),
              {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), "target"});
  ASSERT_TRUE(child.waitForStarted());
  std::string out;
  auto saw = [&](const std::string& line) {
    return WaitFor(
        [&] {
          out += child.readAllStandardOutput().toStdString();
          return out.find(line + "\n") != std::string::npos || child.state() == QProcess::NotRunning;
        }) &&
           out.find(line + "\n") != std::string::npos;
  };
  struct KillChild {
    QProcess& p;
    ~KillChild() {
      if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
      }
    }
  } killChild{child};
  ASSERT_TRUE(saw("ready")) << out;
  ASSERT_TRUE(WaitFor([&] { return !s.App().Deferred().Pending(); }));
  TargetMessageRecord m{};
  s.App().IdeServiceCall(2051, reinterpret_cast<intptr_t>(&m));  // the client asks for the session on it
  ASSERT_TRUE(saw("asked")) << out;
  ASSERT_TRUE(saw("debugger stopped")) << out;
  ASSERT_FALSE(s.App().Debug().SessionActive());
  // Anything told about the failed start comes before the channel's end.
  s.App().IdeServiceCall(2064, 0);
  ASSERT_TRUE(WaitFor([&] { return child.state() == QProcess::NotRunning; })) << out;
  out += child.readAllStandardOutput().toStdString();
  const std::string told = out.substr(out.find("asked\n"));
  std::size_t stops = 0;
  for (std::size_t at = told.find("debugger stopped"); at != std::string::npos; at = told.find("debugger stopped", at + 1))
    ++stops;
  EXPECT_EQ(stops, 1u) << told;
  const std::size_t reason = told.find("\nstatus ");
  EXPECT_NE(reason, std::string::npos) << told;
  EXPECT_LT(reason, told.find("debugger stopped")) << told;
  ASSERT_EQ(boxes.texts.size(), 1u);
}

// Build requests back to back, each sent the moment the answer to the one
// before arrives: every one is answered (its end, or a refusal that says
// why), and the program is not left busy.
TEST_F(FrameCommandsTest, BackToBackBuildRequestsAreAllAnswered) {
  if (!fs::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc")) GTEST_SKIP() << "the ARM tools are not installed";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Built once: the requests then find nothing to do and end at once.
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitIdle(s.App()));
  const auto [code, out] = RunIpcClient("stress 500", 600000);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("answered 500 of 500"), std::string::npos) << out;
  EXPECT_TRUE(WaitIdle(s.App()));
  EXPECT_FALSE(s.App().HasState(kStateBusy));
}

// A peer's requests beside an open options sheet: under the group's own
// sheet its options are refused (OK would write the sheet's copy over
// them), under any sheet a build is refused (it would take what the user
// has not confirmed); each refusal says why. A target's sheet does not
// write a group's options, so the peer's change is kept there.
TEST_F(FrameCommandsTest, PeerRequestsBesideAnOpenOptionsSheet) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  GroupRec* group = FindGroupByName(p->firstGroup, "Source");
  ASSERT_NE(group, nullptr);
  auto defines = [&] {
    OptionBlock* o = FindTargetOptions(group->pOpts, p->curTarget);
    return o ? o->cGnu.ACDEFN.str() : std::string();
  };
  struct Row {
    const char* name;
    bool onGroup;
    bool pressOk;
    const char* setoptAnswer;
    const char* buildAnswer;
    const char* definesAfter;
  };
  const Row rows[] = {
      {"group sheet, OK", true, true, "status 1 Can't set the options of group 'Source' while its options dialog is open",
       "status 1 Can't build while the options dialog of group 'Source' is open", ""},
      {"target sheet, Cancel", false, false, "status 0 Ok.",
       "status 1 Can't build while the options dialog of target 'LPC2138' is open", "PEER"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> answers;
    f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
      sheet.show();
      for (const char* mode : {"setopt Source PEER", "0"}) {
        const auto [code, out] = RunIpcClient(mode, 60000);
        const size_t at = out.find("status ");
        answers.push_back(at == std::string::npos ? out : out.substr(at, out.find('\n', at) - at));
      }
      QTest::mouseClick(r.pressOk ? sheet.OkButton() : sheet.CancelButton(), Qt::LeftButton);
      return sheet.result();
    };
    s.App().m_pSelItem = r.onGroup ? static_cast<NodeRec*>(group) : static_cast<NodeRec*>(p->curTarget);
    ASSERT_TRUE(f->ExecuteCommand(r.onGroup ? cmd::kOptionsForItem : cmd::kOptionsForTarget));
    EXPECT_EQ(answers, (std::vector<std::string>{r.setoptAnswer, r.buildAnswer}));
    EXPECT_EQ(defines(), r.definesAfter);
    EXPECT_EQ(s.App().m_pOptionsNode, nullptr);
  }
  // With the sheet closed the group's options are the peer's to set.
  const auto [code, out] = RunIpcClient("setopt Source AFTER", 60000);
  EXPECT_NE(out.find("status 0 Ok."), std::string::npos) << out;
  EXPECT_EQ(defines(), "AFTER");
}

// A peer's include path and Define go through the compiler page's own
// checks: a path holding a list separator, which the build would pass as
// several folders, and a Define past the page's limit are refused naming
// why, and the compiler's line stays as it was; an accepted path is the
// one folder the line then gets.
TEST_F(FrameCommandsTest, APeersTextsAreHeldToTheCompilerPagesRules) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  GroupRec* group = FindGroupByName(p->firstGroup, "Source");
  ASSERT_NE(group, nullptr);
  ASSERT_NE(group->firstFile, nullptr);
  auto line = [&] {
    CommandContext ctx;
    MakeGnuCcCommand(ctx, group->firstFile, p->curTarget, true);
    return SplitCommandLine(ctx.Text());
  };
  const std::vector<std::string> before = line();
  const std::string refused = "status 1 Group 'Source': ";
  const struct {
    std::string mode, answer;
  } rows[] = {
      {"setinc Source a;b", refused + "The folder 'a;b' cannot be a row of 'Include Paths': ';' and ',' separate the "
                                      "list's folders, so ';' would split it into several."},
      {"setinc Source inc/my,dir;x", refused + "The folder 'inc/my,dir;x' cannot be a row of 'Include Paths': ';' and "
                                               "',' separate the list's folders, so ',' would split it into several."},
      {"setopt Source " + std::string(129, 'D'),
       refused + "The text of 'Define' cannot be longer than 128 characters; it was left as it was."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode.substr(0, 30));
    const auto [code, out] = RunIpcClient(r.mode, 60000);
    EXPECT_NE(out.find(r.answer + "\n"), std::string::npos) << out;
    EXPECT_EQ(line(), before);
  }
  const auto [code, out] = RunIpcClient("setinc Source peer_inc", 60000);
  EXPECT_NE(out.find("status 0 Ok.\n"), std::string::npos) << out;
  std::vector<std::string> added;
  for (const std::string& arg : line())
    if (std::find(before.begin(), before.end(), arg) == before.end()) added.push_back(arg);
  ASSERT_EQ(added.size(), 1u) << ::testing::PrintToString(added);
  EXPECT_EQ(added[0].rfind("-I", 0), 0u) << added[0];
  EXPECT_NE(added[0].find("peer_inc"), std::string::npos) << added[0];
}

// A client's build request that reaches the window after a user tool took
// the busy bit (it started after the handler looked): the build command is
// greyed, so the request started nothing and says so. Taken as started, its
// client would wait for an end that the tool's end never sends, and every
// later request would be refused as if that build still ran.
TEST_F(FrameCommandsTest, ABuildRequestWhileAToolRunsStartsNothingAndSaysSo) {
  test::ExampleSession s(dir, root);
  ASSERT_NE(s.Frame(), nullptr);
  s.App().SetState(kStateBusy);  // as a user tool's start sets it
  EXPECT_EQ(s.App().OnDebugNotify(kNotifyIpcBuildRequest, 0), 0);
  EXPECT_EQ(s.App().OnDebugNotify(kNotifyIpcBuildRequest, 1), 0);
  s.App().OnDebugNotify(kNotifyUserToolFinished, 0);
  ASSERT_FALSE(s.App().HasState(kStateBusy));
  EXPECT_EQ(s.App().OnDebugNotify(kNotifyIpcBuildRequest, 0), 1);  // nothing runs: this one starts
  EXPECT_TRUE(WaitIdle(s.App()));
}

// A translation leaves the target not built whatever it does; a peer is
// told how its one file went: 0 when the compiler found no error.
TEST_F(FrameCommandsTest, AnErrorFreeTranslationEndsWithZero) {
  if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not installed";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kTranslate));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(s.App().BuildEndResult(), 0) << BuildText(f);
  // The error is typed into the editor (the translation saves it first), so
  // no file changes behind the editor's back.
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  v->Engine().RunCommand(kCmdBottom);
  QTest::keyClick(v, Qt::Key_End);
  QTest::keyClick(v, Qt::Key_Return);
  QTest::keyClicks(v, "int broken = ;");
  ASSERT_TRUE(v->Document().IsModified());
  ASSERT_TRUE(f->ExecuteCommand(cmd::kTranslate));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(s.App().BuildEndResult(), 1) << BuildText(f);
}

// Select Device keeps the target's linker script, which names the memory
// of the device it was written for: the user is told which one the new
// device links with. The same device again says nothing.
TEST_F(FrameCommandsTest, ADeviceChangeNamesTheKeptLinkerScript) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectCommandsExt* commands = f->ProjectCommands();
  struct Row {
    const char* name;
    const char* device;
    const char* note;  // null: no message
  } rows[] = {
      {"another device", "LPC2106",
       "Device 'LPC2106' links with the linker script 'LPC2138.ld', kept from device 'LPC2138'.\n\n"
       "If the script does not fit the new device's memory, name another on the Linker page of the target's options."},
      {"the same device", "LPC2106", nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    commands->m_runDialog = [&](QDialog& d) {
      auto* sheet = dynamic_cast<DeviceSheet*>(&d);
      if (!sheet) return int(QDialog::Rejected);
      sheet->show();
      EXPECT_TRUE(sheet->Selector()->SelectDevice("NXP", r.device));
      sheet->accept();
      return sheet->result();
    };
    test::BoxAnswers closer({QMessageBox::Ok});
    EXPECT_TRUE(f->ExecuteCommand(cmd::kSelectDevice));
    EXPECT_EQ(s.App().Project()->curTarget->DEVICE.str(), r.device);
    EXPECT_EQ(s.App().Project()->curTarget->pOpts->lGnu.ALDSCAT.str(), "LPC2138.ld");
    if (r.note) {
      ASSERT_EQ(closer.texts.size(), 1u);
      EXPECT_EQ(closer.texts[0], r.note);
    } else {
      EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
    }
  }
}

// Select Device from the example's ARM device to an 8051 device: the
// groups' and files' blocks of the ARM family go, so they inherit from the
// new target instead of being read as 51 blocks with every field 0.
TEST_F(FrameCommandsTest, AnotherFamilysDeviceLeavesGroupsAndFilesInheriting) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  GroupRec* group = p->firstGroup;
  ASSERT_NE(group, nullptr);
  ASSERT_NE(group->firstFile, nullptr);
  ASSERT_NE(GetNodeOptions(group), nullptr);
  ASSERT_NE(GetNodeOptions(group->firstFile), nullptr);
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<DeviceSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    EXPECT_TRUE(sheet->Selector()->SelectDevice("Atmel", "AT89C51"));
    sheet->accept();
    return sheet->result();
  };
  test::BoxAnswers closer({QMessageBox::Ok});
  EXPECT_TRUE(f->ExecuteCommand(cmd::kSelectDevice));
  TargetRec* target = s.App().Project()->curTarget;
  EXPECT_EQ(target->toolset, 0);
  for (GroupRec* g = s.App().Project()->firstGroup; g; g = g->next) {
    EXPECT_EQ(FindTargetOptions(g->pOpts, target), nullptr) << g->name.str();
    for (FileRec* file = g->firstFile; file; file = file->next)
      EXPECT_EQ(FindTargetOptions(file->pOpts, target), nullptr) << file->name.str();
  }
  // A device of the same family keeps a node's own block.
  OptionBlock* own = GetNodeOptions(group);
  ASSERT_NE(own, nullptr);
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* sheet = dynamic_cast<DeviceSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    EXPECT_TRUE(sheet->Selector()->SelectDevice("Infineon", "C515C"));
    sheet->accept();
    return sheet->result();
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kSelectDevice));
  EXPECT_EQ(FindTargetOptions(s.App().Project()->firstGroup->pOpts, s.App().Project()->curTarget), own);
}

// The options' Device page keeps the script too, and says so at OK.
TEST_F(FrameCommandsTest, TheOptionsDevicePageNamesTheKeptLinkerScript) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  bool chosen = false;
  f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    sheet.show();
    for (int i = 0; i < sheet.PageCount(); ++i)
      if (sheet.Page(i)->Id() == PageId::kDevice) sheet.Tabs()->setCurrentIndex(i);
    auto* selector = sheet.CurrentPage() ? sheet.CurrentPage()->findChild<DeviceSelector*>() : nullptr;
    if (!selector) return int(QDialog::Rejected);
    // Found and then chosen as a click chooses it: away to its vendor and back.
    chosen = selector->SelectDevice("NXP", "LPC2129");
    const HTREEITEM device = selector->Tree()->GetCaretItem();
    selector->Tree()->SelectItem(selector->Tree()->GetParentItem(device));
    selector->Tree()->SelectItem(device);
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    return sheet.result();
  };
  test::BoxAnswers closer({QMessageBox::Ok});
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(s.App().Project()->curTarget->DEVICE.str(), "LPC2129");
  ASSERT_EQ(closer.texts.size(), 1u);
  EXPECT_EQ(closer.texts[0],
            "Device 'LPC2129' links with the linker script 'LPC2138.ld', kept from device 'LPC2138'.\n\n"
            "If the script does not fit the new device's memory, name another on the Linker page of the target's "
            "options.");
}

// The user program after a build fills "F" with the file selected in the
// project window and "E" with the active editor's file, as they are when
// the build starts; with neither, a line naming "%F" runs nothing and the
// build counts an error that names the sequence.
TEST_F(FrameCommandsTest, AUserProgramNamesTheFilesOfTheBuildsStart) {
  if (!HaveTools()) GTEST_SKIP() << "the ARM tools are not installed";
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  OptionBlock& opts = *s.App().Project()->curTarget->pOpts;
  opts.out.flags.RUNUSR0 = 1;
  opts.out.RUNUSR[0] = OptString::Pooled("/bin/sh -c \"echo %F ~F #E > seq.txt\"", kPoolProject);
  // A file selected, another in the editor.
  FileRec* timer = FindSourceFileByPath((dir + "Timer.c").c_str());
  ASSERT_NE(timer, nullptr);
  ASSERT_NE(OpenActive(f, dir + "Blinky.c", 3), nullptr);
  SelectInProject(f, timer);
  ASSERT_EQ(s.App().m_pSelItem, timer);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kBuildTarget));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(s.App().BuildEndResult(), 0) << BuildText(f);
  std::ifstream in(dir + "seq.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "Timer.c 0 " + dir + "Blinky.c\n") << BuildText(f);
  // Neither: nothing runs.
  fs::remove(dir + "seq.txt");
  f->Editors().CloseAll();
  s.App().m_pSelItem = nullptr;
  ASSERT_TRUE(f->ExecuteCommand(cmd::kRebuildAll));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(s.App().BuildEndResult(), 1) << BuildText(f);
  EXPECT_FALSE(fs::exists(dir + "seq.txt"));
  EXPECT_NE(BuildText(f).find("error - key sequence '%F' cannot be filled: no file is selected in the project window or "
                              "open in an editor; the command is not run"),
            std::string::npos)
      << BuildText(f);
}

// The event interface's named objects in /dev/shm of this test program's
// namespace (the mapping and the semaphores).
int SharedObjectsOf(const IpcNamespace& ns) {
  const std::string tail = "." + std::to_string(ns.uid) + ns.suffix;
  int n = 0;
  for (const auto& e : fs::directory_iterator("/dev/shm")) {
    const std::string name = e.path().filename().string();
    if (name.size() > tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0) ++n;
  }
  return n;
}

struct ExitRow {
  const char* name;
  bool peer;  // another process of the interface is still attached
};

class ObjectsAtExit : public FrameCommandsTest, public ::testing::WithParamInterface<ExitRow> {};

// A normal exit removes the objects when it is the last user; a peer still
// attached keeps them until it leaves itself.
TEST_P(ObjectsAtExit, GoWithTheLastUser) {
  const IpcNamespace ns = IpcNamespace::FromEnvironment();
  IpcObjects::RemoveAll(ns);
  IpcObjects peer(ns);
  std::string err;
  if (GetParam().peer) {
    ASSERT_TRUE(peer.Attach(&err)) << err;
  }
  {
    test::ExampleSession s(dir, root);
    ASSERT_NE(s.Frame(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return SharedObjectsOf(ns) == 1 + 3 * kIpcSlotCount; }));
    EXPECT_TRUE(s.Frame()->close());
  }
  EXPECT_EQ(SharedObjectsOf(ns), GetParam().peer ? 1 + 3 * kIpcSlotCount : 0);
  peer.Detach();
  EXPECT_EQ(SharedObjectsOf(ns), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, ObjectsAtExit, ::testing::Values(ExitRow{"Alone", false}, ExitRow{"WithAPeer", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SignalRow {
  const char* name;
  int signal;
  bool peer;  // another process of the interface is still attached
};

class ObjectsAtSignal : public FrameCommandsTest, public ::testing::WithParamInterface<SignalRow> {};

// The program ended by SIGTERM, SIGINT or SIGHUP removes the objects when it
// is their last user, as a normal exit does, and ends as the signal ends it.
TEST_P(ObjectsAtSignal, GoWithTheLastUser) {
  const IpcNamespace ns = IpcNamespace::ForTest(test::TestSuffix("sig"), dir + "run");
  IpcObjects::RemoveAll(ns);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("PM2_IPC_SUFFIX", QString::fromStdString(ns.suffix));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(ns.runtimeDir));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir + "config"));
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(QString::fromStdString(root + "PM2/pelmora2_window"), {QString::fromStdString(dir + "Blinky.pm2")});
  ASSERT_TRUE(program.waitForStarted());
  ASSERT_TRUE(WaitFor([&] { return SharedObjectsOf(ns) == 1 + 3 * kIpcSlotCount; }));
  IpcObjects peer(ns);
  std::string err;
  if (GetParam().peer) {
    ASSERT_TRUE(peer.Attach(&err)) << err;
  }
  ASSERT_EQ(::kill(pid_t(program.processId()), GetParam().signal), 0);
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);
  EXPECT_EQ(SharedObjectsOf(ns), GetParam().peer ? 1 + 3 * kIpcSlotCount : 0);
  peer.Detach();
  EXPECT_EQ(SharedObjectsOf(ns), 0);
  IpcObjects::RemoveAll(ns);
}

INSTANTIATE_TEST_SUITE_P(Rows, ObjectsAtSignal,
                         ::testing::Values(SignalRow{"Term", SIGTERM, false}, SignalRow{"Int", SIGINT, false},
                                           SignalRow{"Hup", SIGHUP, false}, SignalRow{"TermWithAPeer", SIGTERM, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameCommandsTest, WithYTheInstanceChannelCarriesTextsBothWays) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../tools/shell_tools_channel_peer";
  ASSERT_TRUE(fs::exists(peer)) << peer;
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, "-y " + dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.ports.Ipc(), nullptr);
  InstanceChannel* channel = s.ports.Ipc()->Channel();
  ASSERT_NE(channel, nullptr);
  ASSERT_TRUE(channel->IsOpen());
  QProcess child;
  child.start(QString::fromStdString(peer), {qEnvironmentVariable("XDG_RUNTIME_DIR"), "999180Flashing"});
  ASSERT_TRUE(child.waitForReadyRead(test::kHangWaitMs));
  ASSERT_EQ(child.readLine().trimmed().toStdString(), "ready");
  // A mirrored command-window line goes to the other instance as kind 2.
  s.App().Ipc().ChannelSend(2, "g, main");
  // Its progress request comes back and shows in the status bar.
  ASSERT_TRUE(WaitFor([&] { return f->Status()->GetWindowText().find("Flashing") != std::string::npos; }))
      << f->Status()->GetWindowText();
  ASSERT_TRUE(WaitFor([&] { return child.state() == QProcess::NotRunning; }));
  EXPECT_NE(child.readAll().toStdString().find("got:007002g, main"), std::string::npos);
}


TEST_F(FrameCommandsTest, FileExtensionsStoresAnEditedFilterInTheProjectOnOkOnly) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  const std::string before = p->filters[kFilterAsm].str();
  // Cancel leaves the project alone, even after typing.
  f->ProjectCommands()->m_runDialog = [](QDialog& d) {
    auto* dialog = dynamic_cast<FileTypesDialog*>(&d);
    if (!dialog) return int(QDialog::Rejected);
    dialog->show();
    QLineEdit* asm_ = dialog->Page()->Edit(1);
    asm_->setFocus();
    asm_->selectAll();
    QTest::keyClicks(asm_, "*.s; *.w51");
    dialog->reject();
    return dialog->result();
  };
  QMenu* project = PopupWith(f, kCmdFileExtensions);
  ASSERT_NE(project, nullptr) << "the Project menu holds the item";
  emit project->aboutToShow();
  QAction* item = ActionOf(project, kCmdFileExtensions);
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(item->isEnabled());
  item->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(p->filters[kFilterAsm].str(), before);
  // OK stores the edited filter.
  f->ProjectCommands()->m_runDialog = [&](QDialog& d) {
    auto* dialog = dynamic_cast<FileTypesDialog*>(&d);
    if (!dialog) return int(QDialog::Rejected);
    dialog->show();
    QLineEdit* asm_ = dialog->Page()->Edit(1);
    asm_->setFocus();
    asm_->selectAll();
    QTest::keyClicks(asm_, "*.s; *.w51");
    dialog->accept();
    return dialog->result();
  };
  EXPECT_TRUE(f->ExecuteCommand(kCmdFileExtensions));
  EXPECT_EQ(p->filters[kFilterAsm].str(), "*.s; *.w51");
}


TEST_F(FrameCommandsTest, StartedAddInRegistersFollowsTheAnnouncedFileAndDetaches) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../tools/shell_tools_addin_peer";
  ASSERT_TRUE(fs::exists(peer)) << peer;
  const std::string log = dir + "addin.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  // The ARM-GNU target's output is an ELF image: it holds no browse
  // records, so the peer's definition request ends with a message naming it.
  fs::create_directories(dir + "Obj");
  const std::string elf = dir + "Obj/Blinky.elf";
  std::ofstream(elf, std::ios::binary) << "\x7f" "ELF\x01\x01\x01";
  test::BoxAnswers closer({QMessageBox::Ok});
  std::vector<std::string>& boxes = closer.texts;
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileString("Settings\\EasyCase", "Bin", ("  " + peer + " ").c_str());
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  AddInCommands* addIns = f->AddIns();
  ASSERT_NE(addIns, nullptr);
  EXPECT_EQ(f->QueryCommand(kCmdToggleAddIn).check, 0);
  ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  ASSERT_TRUE(addIns->Logic().Running());
  // The peer registers its window through the watched socket, then asks
  // for a definition, which queries its symbol.
  ASSERT_TRUE(WaitFor([&] { return addIns->Logic().Link().window == 77; }));
  EXPECT_EQ(f->QueryCommand(kCmdToggleAddIn).check, 1);
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  ASSERT_TRUE(WaitFor([&] { return logText().find("code 80000009") != std::string::npos; })) << logText();
  ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }));
  // The example is an ARM-GNU target: its tools write no browse records.
  EXPECT_EQ(boxes, std::vector<std::string>{
                       "Source Browser: the compiler of this ARM-GNU target writes no browse information."});
  // Announcing a file and its line lets the peer go on to its file request
  // and its detach.
  const std::string file = dir + "Blinky.c";
  addIns->NotifyFile(file, 12);
  ASSERT_TRUE(WaitFor([&] { return !addIns->Logic().Running(); })) << logText();
  const std::string text = logText();
  EXPECT_NE(text.find("code 80000004"), std::string::npos) << "the command states went out on start";
  EXPECT_NE(text.find("code 80000002 0 " + file), std::string::npos) << text;
  EXPECT_NE(text.find("code 80000003 12"), std::string::npos) << text;
  EXPECT_NE(text.find("code 80000008"), std::string::npos) << text;
  EXPECT_EQ(addIns->Logic().Link().currentFile, file);
  EXPECT_EQ(f->QueryCommand(kCmdToggleAddIn).check, 0);
  qunsetenv("PM2_ADDIN_LOG");
}

// A save tells the connected add-in the file, then the caret line; before
// an add-in runs a save tells nothing.
// The source browser reads what the 51, 251 and 166 tools record; for the
// example's ARM-GNU target the command is greyed.
TEST_F(FrameCommandsTest, SourceBrowserCommandFollowsTheTargetsToolset) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Browser(), nullptr);
  TargetRec* target = s.App().Project()->curTarget;
  // On an ARM target the command is greyed, and the status line's prompt
  // says why.
  EXPECT_FALSE(f->QueryCommand(kCmdSourceBrowser).enabled);
  // The mouse over the greyed item in the View menu.
  SECMenuBar* bar = f->Bars()->MenuBar();
  ASSERT_NE(bar, nullptr);
  bar->OpenPopup(2, false);
  QMenu* view = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(view, nullptr);
  QAction* item = nullptr;
  for (QAction* a : view->actions())
    if (a->data().toUInt() == kCmdSourceBrowser) item = a;
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->isEnabled());
  const QPoint over = view->actionGeometry(item).center();
  QMouseEvent move(QEvent::MouseMove, over, view->mapToGlobal(over), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  EXPECT_EQ(f->Status()->GetWindowText(),
            "Source Browser: the compiler of this ARM-GNU target writes no browse information.");
  view->close();
  const uint16_t toolset = target->toolset;
  target->toolset = kToolsetArmAds;
  EXPECT_FALSE(f->QueryCommand(kCmdSourceBrowser).enabled);
  EXPECT_STREQ(f->Browser()->Source().toolsWriteNone, "ARM-ADS");
  target->toolset = kToolset51;
  EXPECT_TRUE(f->QueryCommand(kCmdSourceBrowser).enabled);
  EXPECT_EQ(f->QueryCommand(kCmdSourceBrowser).check, 0);
  EXPECT_EQ(f->Browser()->Source().toolsWriteNone, nullptr);
  f->ShowCommandPrompt(kCmdSourceBrowser);
  EXPECT_EQ(f->Status()->GetWindowText().find("no browse information"), std::string::npos);
  target->toolset = toolset;
  EXPECT_STREQ(f->Browser()->Source().toolsWriteNone, "ARM-GNU");
  // The browser's frame refuses to close while the docking layouts switch.
  EXPECT_TRUE(f->Browser()->FrameMayClose());
  s.App().SetState(kStateLayoutSwitch);
  EXPECT_FALSE(f->Browser()->FrameMayClose());
  s.App().ClearState(kStateLayoutSwitch);
}

// A linker's progress records, taken off the tool runner's channel on the
// build thread as during a build, reach the window's status bar through the
// notification message: the label shows, and the end brings "Ready" back.
TEST_F(FrameCommandsTest, LinkerProgressRecordsOfABuildShowInTheStatusBar) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProgressChannel channel;
  ASSERT_TRUE(channel.Open(dir));
  ProgressRecord start;
  start.kind = 1;
  start.upper = 100;
  start.text = "Linking Blinky";
  ProgressRecord step = start;
  step.kind = 3;
  step.position = 60;
  std::atomic<int> drained {-1};
  std::thread build([&] {
    SendProgressRecord(dir, start);
    SendProgressRecord(dir, step);
    drained = channel.Drain(&s.App().Hub());
  });
  const bool done = WaitFor([&] { return drained >= 0; });
  build.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(drained, 2);
  EXPECT_EQ(f->Status()->GetWindowText(), "Linking Blinky");
  ProgressRecord end;
  end.kind = 2;
  ASSERT_TRUE(SendProgressRecord(dir, end));
  drained = -1;
  std::thread ending([&] { drained = channel.Drain(&s.App().Hub()); });
  WaitFor([&] { return drained >= 0; });
  ending.join();
  EXPECT_TRUE(WaitFor([&] { return f->Status()->GetWindowText() == "Ready"; }));
}

// The test add-in as the settings' Easy-Case program, taking blocks and
// never answering, its log in `log`.
void UseSilentAddIn(SettingsStore& settings, const std::string& log) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../tools/shell_tools_addin_peer";
  ASSERT_TRUE(fs::exists(peer)) << peer;
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  qputenv("PM2_ADDIN_SILENT", "1");
  settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
}

// An add-in that never answers: while the program waits the status bar
// names it, and Esc ends each wait at once; the add-in stays attached and
// no message comes (without Esc every wait would last the whole reply time
// and detach the add-in with a message).
TEST_F(FrameCommandsTest, EscEndsTheWaitForASilentAddIn) {
  test::BoxAnswers closer({QMessageBox::Ok});
  SettingsStore settings(dir + "settings.ini");
  ASSERT_NO_FATAL_FAILURE(UseSilentAddIn(settings, dir + "addin-silent.log"));
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::vector<std::string> shown;
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [&] {
    const std::string text = f->Status()->GetWindowText();
    if (text.rfind("Waiting", 0) != 0) return;
    shown.push_back(text);
    QTest::keyClick(f, Qt::Key_Escape);
  });
  esc.start(50);
  // The start sends the add-in its command states, each waiting for an answer.
  ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  esc.stop();
  qunsetenv("PM2_ADDIN_SILENT");
  EXPECT_TRUE(f->AddIns()->Logic().Running());
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "Waiting for the add-in 'shell_tools_addin_peer' to answer (Esc ends the wait)");
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  // Stopped: the add-in is asked to close (a wait ended the same way).
  const size_t waits = shown.size();
  esc.start(50);
  EXPECT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  esc.stop();
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  EXPECT_LE(shown.size(), waits + 1);
  const std::string log = dir + "addin-silent.log";
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_TRUE(WaitFor([&] { return logText().find("code 80000001 0\n") != std::string::npos; })) << logText();
}

// The add-in's start sends its six command states, each a request: one Esc
// ends the wait the user sees and the rest of the sequence is not waited
// for (without that, the next state's wait would hold the window its whole
// reply time and detach the add-in with a message). The add-in still hears
// every state.
TEST_F(FrameCommandsTest, OneEscEndsTheWaitOfTheWholeCommandStateSequence) {
  const std::string log = dir + "addin-states.log";
  test::BoxAnswers closer({QMessageBox::Ok});
  SettingsStore settings(dir + "settings.ini");
  ASSERT_NO_FATAL_FAILURE(UseSilentAddIn(settings, log));
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Esc once, at the first wait; every wait seen after it is counted.
  int escapes = 0, waitsAfterEsc = 0;
  bool escOnEveryWait = false;
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [&] {
    if (f->Status()->GetWindowText().rfind("Waiting", 0) != 0) return;
    if (escapes > 0 && !escOnEveryWait) {
      ++waitsAfterEsc;
      return;
    }
    ++escapes;
    QTest::keyClick(f, Qt::Key_Escape);
  });
  esc.start(50);
  ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  esc.stop();
  qunsetenv("PM2_ADDIN_SILENT");
  EXPECT_EQ(escapes, 1);
  EXPECT_EQ(waitsAfterEsc, 0);
  EXPECT_TRUE(f->AddIns()->Logic().Running());
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string states =
      "code 80000004 9560\ncode 80000004 9561\ncode 80000004 9562\ncode 80000004 9563\n"
      "code 80000004 9564\ncode 80000004 9565\n";
  EXPECT_TRUE(WaitFor([&] { return logText() == states; })) << logText();
  // Stopped: the add-in is asked to close (its wait ended the same way).
  escOnEveryWait = true;
  esc.start(50);
  EXPECT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  esc.stop();
  EXPECT_LE(escapes, 2);
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  EXPECT_TRUE(WaitFor([&] { return logText() == states + "code 80000001 0\n"; })) << logText();
}

// Save All tells a connected add-in each saved C file and its line, two
// requests a file: one Esc ends the wait of them all (without that, each
// further request would hold the window its whole reply time and the add-in
// would be detached with a message). The add-in still hears every block.
TEST_F(FrameCommandsTest, OneEscEndsTheWaitOfSaveAllsNotices) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../tools/shell_tools_addin_peer";
  ASSERT_TRUE(fs::exists(peer)) << peer;
  const std::string log = dir + "addin-save-all.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  qputenv("PM2_ADDIN_SILENT", "1");
  test::BoxAnswers closer({QMessageBox::Ok});
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Esc once, at the first wait of what is done next; a wait after it would
  // last the add-in's whole reply time and detach it with a box. The
  // window's idle update runs during the wait first, as it does when the
  // user waits a moment: the files after the first are still saved
  // without a question.
  int escapes = 0;
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [&] {
    if (escapes > 0 || f->Status()->GetWindowText().rfind("Waiting", 0) != 0) return;
    ++escapes;
    f->UpdateCommandUi();
    QTest::keyClick(f, Qt::Key_Escape);
  });
  esc.start(20);
  ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  ASSERT_TRUE(f->AddIns()->Logic().Running());
  // The add-in hears of the first C file opened (its answer is awaited, and
  // the second file's notice waits for it): one Esc ends that wait too.
  escapes = 0;
  for (const char* name : {"LED.c", "Timer.c"}) {
    EditorView* edit = f->Editors().Open(dir + name, 3);
    ASSERT_NE(edit, nullptr) << name;
    QTest::keyClicks(edit, "/*a*/");
  }
  escapes = 0;
  ASSERT_TRUE(f->ExecuteCommand(cmd::kSaveAll));
  EXPECT_EQ(escapes, 1);
  EXPECT_TRUE(f->AddIns()->Logic().Running());
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto notices = [&] {
    const std::string text = logText();
    int n = 0;
    for (const char* code : {"code 80000002 ", "code 80000003 "})
      for (size_t at = text.find(code); at != std::string::npos; at = text.find(code, at + 1)) ++n;
    return n;
  };
  EXPECT_TRUE(WaitFor([&] { return notices() == 4; })) << logText();
  // Stopped: asked to close, with its wait ended the same way.
  escapes = 0;
  EXPECT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  esc.stop();
  qunsetenv("PM2_ADDIN_SILENT");
  qunsetenv("PM2_ADDIN_LOG");
  EXPECT_LE(escapes, 1);
  EXPECT_TRUE(closer.texts.empty()) << closer.texts[0];
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
  EXPECT_TRUE(WaitFor([&] { return logText().find("code 80000001 0\n") != std::string::npos; })) << logText();
}

TEST_F(FrameCommandsTest, SaveAnnouncesTheFileAndItsLineToTheAddIn) {
  const std::string peer = QCoreApplication::applicationDirPath().toStdString() + "/../tools/shell_tools_addin_peer";
  ASSERT_TRUE(fs::exists(peer)) << peer;
  const std::string log = dir + "addin-save.log";
  qputenv("PM2_ADDIN_LOG", QByteArray::fromStdString(log));
  // The peer's definition request finds no browse records and shows why.
  test::BoxAnswers closer({QMessageBox::Ok});
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileString("Settings\\EasyCase", "Bin", peer.c_str());
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  AddInCommands* addIns = f->AddIns();
  ASSERT_NE(addIns, nullptr);
  const std::string file = dir + "LED.c";
  EditorView* edit = f->Editors().Open(file, 7);
  ASSERT_NE(edit, nullptr);
  QTest::keyClicks(edit, "/*a*/");
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  EXPECT_FALSE(edit->Document().IsModified());
  EXPECT_EQ(addIns->Logic().Link().currentFile, "") << "no add-in runs: nothing was announced";

  ASSERT_TRUE(f->ExecuteCommand(kCmdToggleAddIn));
  ASSERT_TRUE(addIns->Logic().Running());
  auto logText = [&] {
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  // The peer has registered and waits, after its symbol request, for a file
  // and a line.
  ASSERT_TRUE(WaitFor([&] { return logText().find("code 80000009") != std::string::npos; })) << logText();
  QTest::keyClicks(edit, "/*b*/");
  // The line the user looks at: the caret's, or the top line when the
  // caret is scrolled out of sight.
  int top = 0, caretLine = 0, column = 0;
  ASSERT_TRUE(edit->GetViewPosition(&top, &caretLine, &column));
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  EXPECT_FALSE(edit->Document().IsModified());
  ASSERT_TRUE(WaitFor([&] { return !addIns->Logic().Running(); })) << logText();
  const std::string text = logText();
  const size_t announce = text.find("code 80000002 0 " + file);
  const size_t line = text.find("code 80000003 " + std::to_string(caretLine) + " ");
  ASSERT_NE(announce, std::string::npos) << text;
  ASSERT_NE(line, std::string::npos) << text;
  EXPECT_LT(announce, line) << text;
  EXPECT_EQ(addIns->Logic().Link().currentFile, file);
  qunsetenv("PM2_ADDIN_LOG");
}

}  // namespace
}  // namespace pm2
