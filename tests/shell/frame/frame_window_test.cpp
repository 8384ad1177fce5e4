// The frame as a user drives it: every key its menus show reaches that
// item's command, File New and Save As, the Window menu, the project's
// editor windows back after a restart, one question per modified text on
// exit, and the recent list keeping the project's name as it is on disk.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "project/model/project_records.h"
#include "debugger/session/debug_session.h"
#include "debugger/ui/debug_commands.h"
#include "shell/frame/frame_accelerators.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/models/tab_layout.h"
#include "shell/frame/frame_bars.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "toolkit/menus/bmp_menu.h"
#include "shell/frame/editor_options_command.h"
#include "project/environment/environment.h"
#include "shell/frame/document_lookup.h"
#include "shell/frame/frame_keys.h"
#include "toolkit/menus/command_list.h"
#include "toolkit/menus/qt_keys.h"
#include "shell/frame/frame_workspace.h"
#include "toolkit/workspace/workspace_list.h"
#include "toolkit/workspace/workspace_manager.h"
#include "shell/output/find_dialog.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/std_btn.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

using test::ScriptedQuestions;

class FrameWindowTest : public test::ExampleFrameTest {};

// The Qt key of a record's virtual key.
Qt::Key QtKeyOf(std::uint16_t vk) {
  if (vk >= 112 && vk <= 123) return Qt::Key(Qt::Key_F1 + (vk - 112));
  if (vk == 27) return Qt::Key_Escape;
  return Qt::Key(Qt::Key_A + (vk - 'A'));
}

Qt::KeyboardModifiers QtModsOf(const ACCEL& a) {
  Qt::KeyboardModifiers m;
  if (a.fVirt & FCONTROL) m |= Qt::ControlModifier;
  if (a.fVirt & FALT) m |= Qt::AltModifier;
  if (a.fVirt & FSHIFT) m |= Qt::ShiftModifier;
  return m;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(FrameWindowTest, EveryKeyTheMenusShowReachesItsItemsCommand) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->m_chooseSourceFile = [](const std::string&, const std::vector<std::string>&, int*) { return std::string(); };
  f->OpenFileAndShow(dir + "Blinky.c", 5, 0);
  // Dialogs the commands open are closed again as they come up; their
  // titles are kept, so that a refused Exit names what asked.
  QTimer closer;
  std::vector<std::string> closed;
  QObject::connect(&closer, &QTimer::timeout, [&closed] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      closed.push_back(w->windowTitle().toStdString());
      w->close();
    }
  });
  closer.start(20);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  std::vector<unsigned> reached;
  f->Keys()->onCommandKey = [&reached](unsigned id) { reached.push_back(id); };
  QWidget* tree = f->ProjectBar()->View()->Tree();
  ACCEL exitKey{};
  for (const ACCEL& a : DefaultFrameAccelerators()) {
    if (a.cmd == cmd::kAppExit) {
      exitKey = a;
      continue;
    }
    SCOPED_TRACE(FrameKeyName(a));
    f->activateWindow();
    tree->setFocus();
    QCoreApplication::processEvents();
    reached.clear();
    QTest::keyClick(tree, QtKeyOf(a.key), QtModsOf(a));
    ASSERT_EQ(reached.size(), 1u);
    EXPECT_EQ(reached[0], a.cmd);
    ASSERT_TRUE(WaitIdle(s.App()));
  }
  // Exit last: the frame closes, the texts the keys changed left unsaved.
  ASSERT_EQ(exitKey.cmd, cmd::kAppExit);
  ScriptedQuestions questions;
  questions.saveAnswer = DocumentQuestions::kNo;
  f->SetDocumentQuestions(&questions);
  // Exit is refused while the driver starts or ends, or while the target
  // runs: under load Ctrl+F5's session may have started in time for F5 to
  // set the example running (it blinks for ever), and it is stopped first.
  DebugSession& debug = f->Debugger()->Session();
  ASSERT_TRUE(test::WaitFor([&] { return !debug.DriverBusy(); }));
  if (debug.TargetExecuting()) debug.StopRunning();
  ASSERT_TRUE(test::WaitFor([&] { return !debug.TargetExecuting(); }));
  f->activateWindow();
  tree->setFocus();
  reached.clear();
  closed.clear();
  QTest::keyClick(tree, QtKeyOf(exitKey.key), QtModsOf(exitKey));
  EXPECT_EQ(reached, std::vector<unsigned>{cmd::kAppExit});
  EXPECT_TRUE(test::WaitFor([f] { return !f->isVisible(); })) << "closed on the way: " << ::testing::PrintToString(closed);
  f->Keys()->onCommandKey = nullptr;
}

TEST_F(FrameWindowTest, TheEditorsMenuKeysWorkInTheEditor) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 5);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  // Ctrl+F2 sets a bookmark on line 5, F2 comes back to it from line 1.
  QTest::keyClick(v, Qt::Key_F2, Qt::ControlModifier);
  QTest::keyClick(v, Qt::Key_Home, Qt::ControlModifier);
  ASSERT_EQ(v->Engine().State().nCaretLine, 1);
  QTest::keyClick(v, Qt::Key_F2);
  EXPECT_EQ(v->Engine().State().nCaretLine, 5);
  // Ctrl+G: the go-to-line dialog.
  QTest::keyClick(v, Qt::Key_G, Qt::ControlModifier);
  QWidget* gotoLine = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->inherits("pm2::GotoLineDialog")) gotoLine = w;
  ASSERT_NE(gotoLine, nullptr);
  gotoLine->close();
  // Ctrl+N: a new text in a window of its own.
  v->setFocus();
  QTest::keyClick(v, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(f->Editors().Count(), 2);
  EXPECT_EQ(f->MdiClient()->activeSubWindow()->windowTitle().toStdString(), "Text1");
}

TEST_F(FrameWindowTest, FileNewThenSaveAsWritesTheTextUnderTheChosenName) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  // Save has no file to write to yet; Save As asks for one.
  EXPECT_FALSE(f->QueryCommand(cmd::kFileSave).enabled && f->Editors().SaveActive());
  QTest::keyClicks(v, "int x;");
  std::string offered;
  f->m_chooseSaveAsFile = [&](const std::string& suggested) {
    offered = suggested;
    return dir + "new.c";
  };
  EXPECT_TRUE(f->ExecuteCommand(57604));
  EXPECT_EQ(offered, dir + "Text1");
  EXPECT_NE(ReadAll(dir + "new.c").find("int x;"), std::string::npos);
  EXPECT_EQ(f->Editors().ActiveTitle(), "new.c");
  // The caption is the full path, "*" right after it while modified; the
  // workbook tab keeps the file name.
  QMdiSubWindow* sheet = f->MdiClient()->activeSubWindow();
  EXPECT_EQ(sheet->windowTitle().toStdString(), fs::canonical(dir + "new.c").string());
  EXPECT_EQ(f->GetSheetLabel(static_cast<SECWorksheetWnd*>(sheet)), "new.c");
  QTest::keyClicks(f->Editors().Active(), "x");
  EXPECT_EQ(sheet->windowTitle().toStdString(), fs::canonical(dir + "new.c").string() + "*");
  EXPECT_EQ(f->GetSheetLabel(static_cast<SECWorksheetWnd*>(sheet)), "new.c*");
  f->Editors().SaveActive();
  // File Close closes it.
  EXPECT_TRUE(f->ExecuteCommand(57602));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f->Editors().Count(), 0);
}

// The recent documents: the list of the settings is read at start, a file
// opened and a text saved under a new name go to its top, and at exit its
// six places are written back.
TEST_F(FrameWindowTest, RecentDocumentsAreReadAtStartAndWrittenAtExit) {
  SettingsStore settings(dir + "settings.ini");
  for (int i = 1; i <= 6; ++i) {
    const std::string n = std::to_string(i);
    settings.WriteProfileString("Recent File List", ("File" + n).c_str(), (dir + "old" + n + ".c").c_str());
  }
  std::vector<std::string> before;
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    before = s.App().m_recentFiles.Entries();
    ASSERT_EQ(before.size(), 6u);
    EXPECT_NE(std::find(before.begin(), before.end(), dir + "old1.c"), before.end());
    ASSERT_NE(s.App().OpenDocumentFile(dir + "LED.c"), nullptr);
    f->m_chooseSaveAsFile = [&](const std::string&) { return dir + "copy.c"; };
    EXPECT_TRUE(f->ExecuteCommand(57604));
  }
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  auto file = [&](int i) { return again.GetProfileString("Recent File List", "File" + std::to_string(i)); };
  EXPECT_EQ(file(1), fs::canonical(dir + "copy.c").string());
  EXPECT_EQ(file(2), fs::canonical(dir + "LED.c").string());
  for (int i = 3; i <= 6; ++i) EXPECT_EQ(file(i), before[i - 3]) << i;
  EXPECT_EQ(file(7), "");
}

// Save All (as a build or the close) writes a new text only under a name
// the user gives; Cancel there writes nothing and says so.
TEST_F(FrameWindowTest, SavingAllAsksANewTextForItsName) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ScriptedQuestions questions;
  questions.saveAnswer = DocumentQuestions::kYes;
  f->SetDocumentQuestions(&questions);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  QTest::keyClicks(f->Editors().Active(), "int y;");
  std::vector<std::string> offered;
  f->m_chooseSaveAsFile = [&](const std::string& suggested) {
    offered.push_back(suggested);
    return std::string();  // Cancel
  };
  EXPECT_FALSE(f->SaveAndCloseTextDocuments(false, true));
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], dir + "Text1");
  EXPECT_FALSE(fs::exists(dir + "Text1"));
  f->m_chooseSaveAsFile = [&](const std::string&) { return dir + "y.c"; };
  EXPECT_TRUE(f->SaveAndCloseTextDocuments(false, true));
  EXPECT_NE(ReadAll(dir + "y.c").find("int y;"), std::string::npos);
  EXPECT_EQ(f->Editors().ActiveTitle(), "y.c");
  f->SetDocumentQuestions(nullptr);
}

TEST_F(FrameWindowTest, TheWindowMenuArrangesAndListsTheWindows) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  f->OpenFileAndShow(dir + "Timer.c", 0, 0);
  QList<QMdiSubWindow*> list = f->MdiClient()->subWindowList();
  ASSERT_EQ(list.size(), 2);
  EXPECT_TRUE(f->ExecuteCommand(57651));  // tile horizontally: one above the other
  EXPECT_FALSE(list[0]->geometry().intersects(list[1]->geometry()));
  EXPECT_EQ(list[0]->x(), list[1]->x());
  EXPECT_GT(list[1]->y(), list[0]->y());
  EXPECT_EQ(list[0]->width(), f->MdiClient()->viewport()->width());
  EXPECT_TRUE(f->ExecuteCommand(57652));  // tile vertically: side by side
  EXPECT_FALSE(list[0]->geometry().intersects(list[1]->geometry()));
  EXPECT_EQ(list[0]->y(), list[1]->y());
  EXPECT_GT(list[1]->x(), list[0]->x());
  EXPECT_EQ(list[0]->height(), f->MdiClient()->viewport()->height());
  EXPECT_TRUE(f->ExecuteCommand(57650));  // cascade: the second below and right of the first
  EXPECT_GT(list[1]->y(), list[0]->y());
  // The list's first entry brings the first window to the front.
  EXPECT_EQ(f->MdiClient()->activeSubWindow(), list[1]);
  EXPECT_TRUE(f->ExecuteCommand(65280));
  EXPECT_EQ(f->MdiClient()->activeSubWindow(), list[0]);
  EXPECT_EQ(f->Editors().ActiveTitle(), "Blinky.c");
}

// The Window menu opened as a user opens it, twice: the second opening
// replaces the list of the first (it once read an entry it had just freed).
TEST_F(FrameWindowTest, TheWindowMenuOpensTwiceWithOneListOfWindows) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  f->OpenFileAndShow(dir + "Timer.c", 0, 0);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  SECMenuBar* bar = f->Bars()->MenuBar();
  int window = -1;
  for (int i = 0; i < int(bar->Model().Rows().size()) && window < 0; ++i) {
    const MenuBarRow& row = bar->Model().Rows()[std::size_t(i)];
    if (!row.IsPopup() || !bar->Model().IsVisible(i)) continue;
    for (const MenuEntry& e : row.entry->children)
      if (e.kind == MenuEntry::Kind::Item && e.id == 57650) window = i;
  }
  ASSERT_GE(window, 0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    bar->OpenPopup(window, false);
    QMenu* menu = bar->OpenMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(test::WaitFor([menu] { return menu->isVisible(); }));
    std::vector<std::string> listed;
    int separators = 0;
    for (QAction* a : menu->actions()) {
      if (a->property("pm2WindowList").toBool()) ++separators;
      const uint id = a->data().toUInt();
      if (id >= 65280 && id <= 65288) listed.push_back(a->text().toStdString());
    }
    EXPECT_EQ(separators, 1);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_NE(listed[0].find("Blinky.c"), std::string::npos);
    EXPECT_EQ(listed[1].rfind("&2 ", 0), 0u);
    menu->close();
    ASSERT_TRUE(test::WaitFor([menu] { return !menu->isVisible(); }));
  }
}

// With a recent workspace listed in the Window menu ("&1 Debug"), the list
// of windows is numbered on from it: no two items of the menu share a key,
// so each digit chooses its item at once.
TEST_F(FrameWindowTest, TheWindowListAndTheRecentWorkspacesAreNumberedApart) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  f->OpenFileAndShow(dir + "Timer.c", 0, 0);
  ASSERT_TRUE(f->Workspace()->Manager().SaveWorkspace("Debug"));
  SECMenuBar* bar = f->Bars()->MenuBar();
  QMenu* menu = nullptr;
  int windowPopup = -1;
  for (int i = 0; i < int(bar->Model().Rows().size()) && !menu; ++i) {
    const MenuBarRow& row = bar->Model().Rows()[std::size_t(i)];
    if (!row.IsPopup() || !bar->Model().IsVisible(i)) continue;
    for (const MenuEntry& e : row.entry->children)
      if (e.kind == MenuEntry::Kind::Item && e.id == 57650) {
        windowPopup = i;
        bar->OpenPopup(i, false);
        menu = bar->OpenMenu();
      }
  }
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(test::WaitFor([menu] { return menu->isVisible(); }));
  std::vector<std::string> texts, windows;
  for (QAction* a : menu->actions()) {
    const QString t = a->text();
    if (a->isSeparator() || t.isEmpty()) continue;
    texts.push_back(t.toStdString());
    const uint id = a->data().toUInt();
    if (id >= 65280 && id <= 65288) windows.push_back(t.toStdString());
  }
  ASSERT_EQ(windows.size(), 2u) << ::testing::PrintToString(texts);
  EXPECT_EQ(windows[0].rfind("&2 ", 0), 0u) << windows[0];
  EXPECT_NE(windows[0].find("Blinky.c"), std::string::npos) << windows[0];
  EXPECT_EQ(windows[1].rfind("&3 ", 0), 0u) << windows[1];
  EXPECT_NE(std::find(texts.begin(), texts.end(), "&1 Debug"), texts.end()) << ::testing::PrintToString(texts);
  std::map<QChar, std::string> keys;
  for (const std::string& t : texts) {
    const QString text = QString::fromStdString(t);
    for (int i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != QLatin1Char('&')) continue;
      if (text[i + 1] == QLatin1Char('&')) {
        ++i;
        continue;
      }
      const QChar key = text[i + 1].toUpper();
      EXPECT_TRUE(keys.emplace(key, t).second) << "'" << t << "' and '" << keys[key] << "' share a key";
      break;
    }
  }
  // The second window's digit activates it, with no second press.
  QTest::keyClick(menu, Qt::Key_3);
  EXPECT_TRUE(test::WaitFor([&] { return !menu->isVisible(); }));
  ASSERT_NE(f->MdiClient()->activeSubWindow(), nullptr);
  EXPECT_TRUE(f->MdiClient()->activeSubWindow()->windowTitle().contains("Timer.c"));
  bar->OpenPopup(windowPopup, false);
  menu = bar->OpenMenu();
  ASSERT_TRUE(test::WaitFor([menu] { return menu->isVisible(); }));
  // Chosen from the menu after Close All, the workspace brings its windows back.
  f->ExecuteCommand(35129);
  menu->close();
  ASSERT_TRUE(test::WaitFor([menu] { return !menu->isVisible(); }));
  ASSERT_EQ(f->Editors().Count(), 0);
  bar->OpenPopup(windowPopup, false);
  menu = bar->OpenMenu();
  ASSERT_TRUE(test::WaitFor([menu] { return menu->isVisible(); }));
  QAction* recent = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == "&1 Debug") recent = a;
  ASSERT_NE(recent, nullptr);
  recent->trigger();
  menu->close();
  // The command runs once: run again, it would close the windows it opened.
  EXPECT_TRUE(test::WaitFor([&] { return f->Editors().Count() == 2; }));
  // A second run would wait among the posted events: all are delivered.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(f->Editors().Count(), 2);
}

// Peripheral Help follows its own rule: enabled and named after the current
// target's device, greyed without a project.
TEST_F(FrameWindowTest, PeripheralHelpNamesTheDeviceAndIsGreyedWithoutAProject) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ProjectRec* p = s.App().Project();
  ASSERT_TRUE(p && p->curTarget && !p->curTarget->DEVICE.empty());
  // The device has no help file installed: the item names it, greyed, and
  // the message line says why.
  const CommandState on = f->QueryCommand(35135);
  EXPECT_FALSE(on.enabled);
  EXPECT_EQ(on.text, "Peripheral &Help for " + p->curTarget->DEVICE.str());
  EXPECT_EQ(on.greyedReason, "No peripheral help file is installed for '" + p->curTarget->DEVICE.str() + "'");
  test::BoxAnswers boxes({QMessageBox::No});
  ASSERT_TRUE(f->ExecuteCommand(cmd::kCloseProject));
  ASSERT_EQ(s.App().Project(), nullptr);
  EXPECT_FALSE(f->QueryCommand(35135).enabled);
}

TEST_F(FrameWindowTest, EditorWindowsComeBackWithTheProjectAtTheirPlace) {
  SettingsStore settings(dir + "settings.ini");
  {
    std::ofstream(dir + "notes.txt") << "one\ntwo\nthree\nfour\n";
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    f->OpenFileAndShow(dir + "notes.txt", 3, 0);   // no file of the project
    f->OpenFileAndShow(dir + "Timer.c", 12, 0);
    f->OpenFileAndShow(dir + "Blinky.c", 15, 0);  // the active one
    ASSERT_EQ(f->Editors().Active()->Engine().State().nCaretLine, 15);
    ASSERT_EQ(f->Editors().Count(), 3);
    EXPECT_TRUE(f->close());
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(f->Editors().Count(), 3);
  EXPECT_EQ(f->Editors().ActiveTitle(), "Blinky.c");
  ASSERT_NE(f->Editors().Active(), nullptr);
  EXPECT_EQ(f->Editors().Active()->Engine().State().nCaretLine, 15);
  EditorDocument* timer = f->Editors().Find(dir + "Timer.c");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(f->Editors().ViewOf(timer)->Engine().State().nCaretLine, 12);
  EditorDocument* notes = f->Editors().Find(dir + "notes.txt");
  ASSERT_NE(notes, nullptr);
  EXPECT_EQ(f->Editors().ViewOf(notes)->Engine().State().nCaretLine, 3);
}

// A new text that was never saved has no file to open again: it is not
// kept with the project, and the next start finds nothing to complain of.
TEST_F(FrameWindowTest, ANewTextNeverSavedIsNotKeptWithTheProject) {
  SettingsStore settings(dir + "settings.ini");
  {
    test::BoxAnswers boxes({QMessageBox::No});
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    f->OpenFileAndShow(dir + "Timer.c", 12, 0);
    ASSERT_TRUE(f->ExecuteCommand(cmd::kFileNew));
    ASSERT_EQ(f->Editors().ActiveTitle(), "Text1");
    EXPECT_TRUE(f->close());
  }
  for (const auto& e : fs::directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    EXPECT_EQ(ReadAll(e.path().string()).find("Text1"), std::string::npos) << e.path();
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::BoxAnswers boxes({QMessageBox::Ok});
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
  EXPECT_EQ(f->Editors().Count(), 1);
  EXPECT_EQ(f->Editors().ActiveTitle(), "Timer.c");
}

TEST_F(FrameWindowTest, ExitAsksOncePerModifiedTextAndCancelKeepsTheProgram) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ScriptedQuestions questions;
  f->SetDocumentQuestions(&questions);
  EditorView* v = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "/*q*/");
  questions.saveAnswer = DocumentQuestions::kCancel;
  EXPECT_FALSE(f->close());
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(f->Editors().Count(), 1);
  // No: one question, the program closes, the file keeps its old text.
  questions.asked.clear();
  questions.saveAnswer = DocumentQuestions::kNo;
  EXPECT_TRUE(f->close());
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(ReadAll(dir + "Timer.h").find("/*q*/"), std::string::npos);
  f->SetDocumentQuestions(nullptr);
}

TEST_F(FrameWindowTest, ClosingTheProjectAsksOnceAndCancelKeepsIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ScriptedQuestions questions;
  f->SetDocumentQuestions(&questions);
  EditorView* v = f->Editors().Open(dir + "Timer.h");
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "/*q*/");
  questions.saveAnswer = DocumentQuestions::kCancel;
  f->ExecuteCommand(cmd::kCloseProject);
  EXPECT_NE(s.App().Project(), nullptr);
  EXPECT_EQ(questions.asked.size(), 1u);
  questions.asked.clear();
  questions.saveAnswer = DocumentQuestions::kNo;
  f->ExecuteCommand(cmd::kCloseProject);
  EXPECT_EQ(s.App().Project(), nullptr);
  EXPECT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(f->Editors().Count(), 0);
  f->SetDocumentQuestions(nullptr);
}

TEST_F(FrameWindowTest, TheStatusLineTellsWhatTheButtonUnderTheMouseDoes) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECCustomToolBar* bar = f->Bars()->ToolBar(kBuildToolBarId);
  ASSERT_NE(bar, nullptr);
  SECStdBtn* build = nullptr;
  for (int i = 0; i < bar->ButtonCount(); ++i)
    if (bar->Button(i)->m_nID == cmd::kBuildTarget) build = bar->Button(i);
  ASSERT_NE(build, nullptr);
  auto moveTo = [bar](QPoint p) {
    QMouseEvent move(QEvent::MouseMove, p, bar->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
  };
  moveTo(QPoint(build->m_x + build->m_cx / 2, build->m_y + build->m_cy / 2));
  EXPECT_EQ(f->Status()->GetWindowText(), "Build the current target");
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(bar, &leave);
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
}

TEST_F(FrameWindowTest, ABuildLeavesTheKeyboardWithTheEditor) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 3);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  QTest::keyClick(v, Qt::Key_F7);
  EXPECT_EQ(QApplication::focusWidget(), v);
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(QApplication::focusWidget(), v);
}

TEST_F(FrameWindowTest, CopyAndFindOfTheEditMenuReachTheOutputWindowWhenItHasTheKeyboard) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 3, 0);
  f->AppendOutputLine(kOutputBuildPage, "compiling Blinky.c...");
  f->AppendOutputLine(kOutputBuildPage, "linking...");
  COutView* pane = f->Output()->BuildPane();
  pane->Model().SelectOnly(1);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  pane->setFocus();
  QApplication::clipboard()->clear();
  EXPECT_TRUE(f->QueryCommand(cmd::kEditCopy).enabled);
  QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text().trimmed().toStdString(), "linking...");
  EXPECT_TRUE(f->ExecuteCommand(cmd::kEditFind));
  ASSERT_NE(f->Output()->FindDialog(), nullptr);
  EXPECT_TRUE(f->Output()->FindDialog()->isVisible());
  f->Output()->FindDialog()->close();
  // Back in the editor, Copy is the editor's again: its selected line.
  f->Editors().Active()->setFocus();
  EXPECT_TRUE(f->ExecuteCommand(cmd::kEditCopy));
  EXPECT_NE(QApplication::clipboard()->text().toStdString().find(f->Editors().Active()->Engine().GetSelectedText(nullptr)),
            std::string::npos);
  EXPECT_NE(QApplication::clipboard()->text().trimmed().toStdString(), "linking...");
}

TEST_F(FrameWindowTest, SaveAllListsTheProjectUnderItsNameOnDisk) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->ExecuteCommand(cmd::kSaveAll);
  const std::string first = s.App().m_recent.At(0);
  EXPECT_TRUE(fs::exists(first)) << first;
  EXPECT_EQ(fs::path(first).filename().string(), "Blinky.pm2");
}


std::vector<std::string> ChildTexts(SECTreeCtrl* tree, HTREEITEM item) {
  std::vector<std::string> out;
  for (HTREEITEM c = tree->GetChildItem(item); c; c = tree->GetNextSiblingItem(c)) {
    std::string t = tree->GetItemText(c);
    for (char& ch : t) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    out.push_back(t);
  }
  return out;
}

TEST_F(FrameWindowTest, TheIncludeFilesShowUnderTheirFileBeforeTheFirstBuild) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Nothing was built: no object file and no dependency record.
  for (const auto& e : fs::recursive_directory_iterator(dir))
    ASSERT_NE(e.path().extension(), ".o") << e.path();
  ProjectRec* p = s.App().Project();
  ASSERT_NE(p, nullptr);
  FileRec* blinky = FindSourceFileByPath((dir + "Blinky.c").c_str());
  ASSERT_NE(blinky, nullptr);
  SECTreeCtrl* tree = f->ProjectBar()->View()->Tree();
  HTREEITEM item = f->ProjectBar()->View()->ItemOf(blinky);
  ASSERT_NE(item, nullptr);
  const std::vector<std::string> shown = ChildTexts(tree, item);
  EXPECT_NE(std::find(shown.begin(), shown.end(), "led.h"), shown.end()) << ::testing::PrintToString(shown);
  EXPECT_NE(std::find(shown.begin(), shown.end(), "timer.h"), shown.end()) << ::testing::PrintToString(shown);
}

// The project bar's three tabs carry an icon each and still show their
// labels whole at the bar's default width, whichever of them is in front.
TEST_F(FrameWindowTest, TheProjectBarsTabsReadWholeAtTheDefaultWidth) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  CPrjWin* bar = f->ProjectBar();
  ASSERT_TRUE(bar->IsBarVisible());
  ASSERT_EQ(bar->width(), 180) << "a new user's bar";
  auto* strip = dynamic_cast<SEC3DTabControlModel*>(bar->Tabs()->TabCtrl());
  ASSERT_NE(strip, nullptr);
  ASSERT_EQ(strip->GetTabCount(), 3);
  for (unsigned page : {CPrjWin::kFilesPageId, CPrjWin::kRegsPageId, CPrjWin::kBooksPageId}) {
    bar->ActivatePane(page);
    QApplication::processEvents();
    EXPECT_TRUE(strip->m_bShowLabels) << page;
    for (int i = 0; i < strip->GetTabCount(); ++i) {
      const SEC3DTab& tab = strip->Tab3D(i);
      EXPECT_NE(tab.m_hIcon, nullptr) << i;
      EXPECT_EQ(tab.m_strLabel, tab.m_strFullLabel) << "page " << page << ", tab " << i;
      EXPECT_LE(strip->GetTabRect(i).right, strip->ClientRect().right) << "page " << page << ", tab " << i;
    }
  }
}


TEST_F(FrameWindowTest, AFloatingOutputWindowComesBackShownAndPainted) {
  SettingsStore settings(dir + "settings.ini");
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    f->FloatControlBar(f->OutputBar(), f->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
    ASSERT_TRUE(f->OutputBar()->IsFloating());
    EXPECT_TRUE(f->close());
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  QCoreApplication::processEvents();
  SECControlBar* bar = f->OutputBar();
  ASSERT_TRUE(bar->IsFloating());
  // Held off the screen until the frame is up, then shown again.
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->window()->isVisible(); }, pm2::test::kHangWaitMs));
  EXPECT_TRUE(f->QueryCommand(cmd::kViewOutputBar).check);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_TRUE(bar->window()->isVisible());
  EXPECT_NE(bar->window(), f);
  EXPECT_GT(bar->width(), 20);
  EXPECT_GT(bar->height(), 20);
  EXPECT_TRUE(f->Output()->isVisible());
}


// A named workspace keeps the layout: saved with the output window hidden,
// reopened from the recent list after it was shown again.
TEST_F(FrameWindowTest, AWorkspaceSavesAndReopensTheLayout) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  ASSERT_TRUE(f->OutputBar()->IsBarVisible());
  f->ExecuteCommand(cmd::kViewOutputBar);
  ASSERT_FALSE(f->OutputBar()->IsBarVisible());
  ASSERT_TRUE(mgr.SaveWorkspace("Quiet")) << mgr.LastError();
  EXPECT_TRUE(f->QueryCommand(kIdWorkspaceClose).enabled);
  f->ExecuteCommand(cmd::kViewOutputBar);
  ASSERT_TRUE(f->OutputBar()->IsBarVisible());
  EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());
  EXPECT_EQ(mgr.CurrentName(), "Quiet");
  // Save Workspace keeps the layout under the current name; the editor
  // windows stay what the project has.
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  f->ExecuteCommand(cmd::kViewOutputBar);
  EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceSave));
  f->ExecuteCommand(cmd::kViewOutputBar);
  EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
  EXPECT_TRUE(f->OutputBar()->IsBarVisible());
  EXPECT_EQ(f->Editors().Count(), 1);
}


// A workspace is the open document windows as well as the layout: saved
// with three files open, one moved and another active, and opened again
// after all were closed, it brings back the same files, the moved window
// where it was, and the same active one.
TEST_F(FrameWindowTest, AWorkspaceReopensItsDocumentWindows) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  f->ExecuteCommand(35129);  // Close All: only what the test opens
  const std::vector<std::string> files = {"Blinky.c", "LED.c", "Timer.h"};
  for (const std::string& name : files) f->OpenFileAndShow(dir + name, 0, 0);
  ASSERT_EQ(f->Editors().Count(), 3);
  QMdiSubWindow* led = f->Editors().SheetOf(f->Editors().Find(dir + "LED.c"));
  ASSERT_NE(led, nullptr);
  led->showNormal();
  led->setGeometry(QRect(40, 30, 300, 200));
  const QRect placed = led->geometry();
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);  // the active one
  ASSERT_TRUE(mgr.SaveWorkspace("Three")) << mgr.LastError();
  f->ExecuteCommand(35129);
  ASSERT_EQ(f->Editors().Count(), 0);
  EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
  EXPECT_EQ(mgr.CurrentName(), "Three");
  std::vector<std::string> open;
  for (const EditorDocument* d : f->Editors().Documents().Documents()) open.push_back(d->FileName());
  std::sort(open.begin(), open.end());
  EXPECT_EQ(open, (std::vector<std::string>{"Blinky.c", "LED.c", "Timer.h"}));
  EXPECT_EQ(f->Editors().ActiveTitle(), "Blinky.c");
  QMdiSubWindow* ledAgain = f->Editors().SheetOf(f->Editors().Find(dir + "LED.c"));
  ASSERT_NE(ledAgain, nullptr);
  EXPECT_EQ(ledAgain->geometry(), placed);
}

// A right click in the output window shows its bar's menu (Allow Docking
// and Hide) with the window's own entries after it; Hide hides the bar.
TEST_F(FrameWindowTest, TheOutputWindowsMenuCarriesTheBarsEntries) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->OutputBar()->IsBarVisible());
  std::unique_ptr<QMenu> menu(f->Output()->ContextMenu());
  std::vector<std::string> texts;
  QAction* hide = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    texts.push_back(a->text().toStdString());
    if (a->text() == "&Hide") hide = a;
  }
  EXPECT_EQ(texts,
            (std::vector<std::string>{"&Allow Docking", "&Hide", "Float In &Main Window", "&Copy", "&Find..."}));
  ASSERT_NE(hide, nullptr);
  hide->trigger();
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Opened while one of its own documents is open, a workspace closes that
// window and brings the file back in a window of its own (the closing
// window goes only once the event loop runs: found again as the file's
// window, it took the reopened file with it).
TEST_F(FrameWindowTest, AWorkspaceOpenedWithItsDocumentOpenBringsTheDocumentBack) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  f->ExecuteCommand(35129);  // Close All: only what the test opens
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  QPointer<QMdiSubWindow> before = f->Editors().SheetOf(f->Editors().Find(dir + "Blinky.c"));
  ASSERT_NE(before, nullptr);
  ASSERT_TRUE(mgr.SaveWorkspace("w2")) << mgr.LastError();
  EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
  // The closed window goes as the event loop deletes it.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(before.isNull());
  EXPECT_EQ(f->Editors().Count(), 1);
  QMdiSubWindow* after = f->Editors().SheetOf(f->Editors().Find(dir + "Blinky.c"));
  ASSERT_NE(after, nullptr);
  EXPECT_TRUE(after->isVisible());
  EXPECT_EQ(f->Editors().ActiveTitle(), "Blinky.c");
}

// Saving a workspace saves a modified document first and offers a new one
// a name (Save As): the workspace keeps the files as the user has them. A
// new text whose name the user does not give has no file and is not kept.
TEST_F(FrameWindowTest, SavingAWorkspaceSavesModifiedAndNewDocuments) {
  struct Row {
    const char* name;
    const char* newName;  // "" cancels the Save As
    std::vector<std::string> reopened;
  };
  for (const Row& r : {Row{"new text named", "Notes.txt", {"Blinky.c", "Notes.txt"}},
                       Row{"new text not named", "", {"Blinky.c"}}}) {
    SCOPED_TRACE(r.name);
    test::ExampleSession s(dir, root);
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
    f->ExecuteCommand(35129);
    f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
    EditorView* blinky = f->Editors().Active();
    ASSERT_NE(blinky, nullptr);
    QTest::keyClicks(blinky, "/*typed*/");
    ASSERT_TRUE(blinky->Document().IsModified());
    const std::string typed = blinky->Document().Text().GetText();
    EditorView* fresh = f->Editors().NewDocument();
    ASSERT_NE(fresh, nullptr);
    QTest::keyClicks(fresh, "new words");
    std::vector<std::string> offered;
    f->m_chooseSaveAsFile = [&](const std::string& suggested) {
      offered.push_back(suggested);
      return *r.newName ? dir + r.newName : std::string();
    };
    ASSERT_TRUE(mgr.SaveWorkspace(std::string("Saved ") + r.name)) << mgr.LastError();
    EXPECT_EQ(offered, std::vector<std::string>{dir + "Text1"});
    EXPECT_EQ(FileText(dir + "Blinky.c"), typed);
    EXPECT_FALSE(blinky->Document().IsModified());
    if (*r.newName) {
      EXPECT_EQ(FileText(dir + r.newName), "new words");
    }
    // Reopened after every window closed: the files the workspace kept.
    for (EditorDocument* d : f->Editors().Documents().Documents()) d->Text().SetModified(0);
    f->ExecuteCommand(35129);
    ASSERT_EQ(f->Editors().Count(), 0);
    EXPECT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
    std::vector<std::string> open;
    for (const EditorDocument* d : f->Editors().Documents().Documents()) open.push_back(d->FileName());
    std::sort(open.begin(), open.end());
    EXPECT_EQ(open, r.reopened);
  }
}

// The text of the menu item of a command, from whichever drop-down holds it.
std::string MenuItemText(CMainFrame* f, unsigned id) {
  SECMenuBar* bar = f->Bars()->MenuBar();
  for (int i = 0; i < int(bar->Model().Rows().size()); ++i) {
    QMenu* menu = bar->Model().Rows()[std::size_t(i)].IsPopup() ? bar->PopupFor(i) : nullptr;
    for (QAction* a : menu ? menu->actions() : QList<QAction*>())
      if (a->data().toUInt() == id) return a->text().toStdString();
  }
  return "(none)";
}

// View > Options: a key the shortcuts page gives a command runs it at once,
// is kept in the shortcut file beside the settings and works after a restart;
// every menu item goes on showing its key, then and after the restart.
TEST_F(FrameWindowTest, AKeyAssignedInTheOptionsWorksAndIsKept) {
  // The shortcuts page of the program's sheet: F9 captured for Build Target.
  SetEditorOptionsSheet([](CColFnt& sheet) {
    CPgScut* page = sheet.ShortcutsPage();
    EXPECT_TRUE(sheet.Tabs()->isTabEnabled(2));
    const int row = page->RowOfCommand(cmd::kBuildTarget);
    EXPECT_GE(row, 0);
    if (row < 0) return false;
    page->Commands()->setCurrentRow(row);
    page->captureKey = [] { return HotKeyOf(Qt::Key_F9, Qt::NoModifier); };
    page->AssignButton()->click();
    EXPECT_TRUE(page->Modified());
    return true;
  });
  SettingsStore settings(dir + "settings.ini");
  auto pressF9 = [](CMainFrame* f) {
    f->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(f));
    std::vector<unsigned> reached;
    f->Keys()->onCommandKey = [&reached](unsigned id) { reached.push_back(id); };
    QTest::keyClick(f->ProjectBar()->View()->Tree(), Qt::Key_F9);
    f->Keys()->onCommandKey = nullptr;
    return reached;
  };
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(pressF9(f).empty());
    EXPECT_TRUE(f->ExecuteCommand(32763));
    EXPECT_EQ(pressF9(f), (std::vector<unsigned>{cmd::kBuildTarget}));
    ASSERT_TRUE(WaitIdle(s.App()));
    EXPECT_TRUE(fs::exists(dir + "pelmora2.Mac"));
    EXPECT_EQ(MenuItemText(f, cmd::kFileSave), "&Save\tCtrl+S");
    EXPECT_NE(MenuItemText(f, cmd::kBuildTarget).find("\tF7"), std::string::npos);  // its first key
    EXPECT_TRUE(f->close());
  }
  SetEditorOptionsSheet(nullptr);
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  ASSERT_NE(s.Frame(), nullptr);
  EXPECT_EQ(pressF9(s.Frame()), (std::vector<unsigned>{cmd::kBuildTarget}));
  ASSERT_TRUE(WaitIdle(s.App()));
  EXPECT_EQ(MenuItemText(s.Frame(), cmd::kFileSave), "&Save\tCtrl+S");
  EXPECT_NE(MenuItemText(s.Frame(), cmd::kBuildTarget).find("\tF7"), std::string::npos);
}


// The context menus of the editor and of the project window show the main
// toolbars' images beside the commands they share with the toolbars.
TEST_F(FrameWindowTest, ContextMenusShowTheToolbarImages) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECBmpMenuPlugIn* images = f->ContextMenuImages();
  ASSERT_NE(images, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  EditorView* view = f->Editors().Active();
  ASSERT_NE(view, nullptr);
  // Whether `menu` is drawn with the image of each command.
  auto drawnWithImages = [&](QMenu* menu, std::vector<unsigned> ids, const char* name) {
    EXPECT_TRUE(images->IsConverted(menu)) << name;
    for (unsigned id : ids) {
      QAction* item = nullptr;
      for (QAction* a : menu->actions())
        if (a->data().toUInt() == id) item = a;
      ASSERT_NE(item, nullptr) << name << " " << id;
      const SECBmpMenuItemInfo* info = images->ItemInfo(menu, item);
      ASSERT_NE(info, nullptr) << name << " " << id;
      EXPECT_EQ(info->nID, int(id)) << name;
      StripHandle strip{};
      int image = -1;
      EXPECT_TRUE(images->BmpMgr()->GetBitmap(id, &strip, &image)) << name << " " << id;
    }
  };
  {
    QMenu menu;
    ASSERT_TRUE(view->BuildContextMenu(menu));
    menu.popup(view->mapToGlobal(QPoint(20, 20)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    drawnWithImages(&menu, {cmd::kEditUndo, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste}, "editor");
    menu.close();
  }
  bool seen = false;
  QTimer::singleShot(0, f, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    seen = true;
    drawnWithImages(menu, {cmd::kBuildTarget, cmd::kRebuildAll, cmd::kStopBuild}, "project window");
    menu->close();
  });
  f->ShowProjectContextMenu(f->ProjectBar()->mapToGlobal(QPoint(30, 40)));
  EXPECT_TRUE(seen);
}

// View > Options: shortcuts whose file cannot be written still work for the
// session, and the user is told they were not saved and why.
TEST_F(FrameWindowTest, ShortcutsThatCannotBeSavedAreReported) {
  // A folder where the shortcut file goes: no file can take its name.
  fs::create_directories(dir + "pelmora2.Mac");
  SetEditorOptionsSheet([](CColFnt& sheet) {
    CPgScut* page = sheet.ShortcutsPage();
    const int row = page->RowOfCommand(cmd::kBuildTarget);
    EXPECT_GE(row, 0);
    if (row < 0) return false;
    page->Commands()->setCurrentRow(row);
    page->captureKey = [] { return HotKeyOf(Qt::Key_F9, Qt::NoModifier); };
    page->AssignButton()->click();
    return true;
  });
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  test::BoxAnswers boxes({QMessageBox::Ok});
  EXPECT_TRUE(f->ExecuteCommand(32763));
  SetEditorOptionsSheet(nullptr);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0].rfind("The keyboard shortcuts could not be saved: Cannot write '" + dir + "pelmora2.Mac'", 0),
            0u)
      << boxes.texts[0];
  EXPECT_EQ(boxes.icons[0], QMessageBox::Warning);
  EXPECT_TRUE(fs::is_directory(dir + "pelmora2.Mac"));
  // The key works all the same.
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  std::vector<unsigned> reached;
  f->Keys()->onCommandKey = [&reached](unsigned id) { reached.push_back(id); };
  QTest::keyClick(f->ProjectBar()->View()->Tree(), Qt::Key_F9);
  f->Keys()->onCommandKey = nullptr;
  EXPECT_EQ(reached, (std::vector<unsigned>{cmd::kBuildTarget}));
  ASSERT_TRUE(WaitIdle(s.App()));
}

// View > Options, Shortcuts: a chosen command is described by what the
// status line says of it.
TEST_F(FrameWindowTest, TheShortcutsPageDescribesTheChosenCommand) {
  struct Row {
    const char* name;
    unsigned id;
    const char* description;
  } rows[] = {
      {"a command with a prompt of its own", cmd::kBuildTarget, "Build the current target"},
      {"a window toggle", cmd::kViewProjectBar, "Show or hide the project window"},
      {"a command whose prompt is its menu text", cmd::kFileOpen, "Open"},
  };
  std::vector<std::string> shown;
  SetEditorOptionsSheet([&](CColFnt& sheet) {
    CPgScut* page = sheet.ShortcutsPage();
    for (const Row& r : rows) {
      const int row = page->RowOfCommand(r.id);
      EXPECT_GE(row, 0) << r.name;
      page->Commands()->setCurrentRow(row);
      shown.push_back(page->Description()->text().toStdString());
    }
    return false;
  });
  test::ExampleSession s(dir, root);
  ASSERT_NE(s.Frame(), nullptr);
  s.Frame()->ExecuteCommand(32763);
  SetEditorOptionsSheet(nullptr);
  ASSERT_EQ(shown.size(), std::size(rows));
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], rows[i].description) << rows[i].name;
}

// OK on View > Options with nothing changed leaves the editors as they were.
TEST_F(FrameWindowTest, OptionsClosedWithOkUnchangedKeepTheEditorFont) {
  SetEditorOptionsSheet([](CColFnt&) { return true; });
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  ASSERT_NE(f->Editors().Active(), nullptr);
  const QFont before = f->Editors().Active()->EditorFont();
  EXPECT_TRUE(f->ExecuteCommand(32763));
  const QFont after = f->Editors().Active()->EditorFont();
  SetEditorOptionsSheet(nullptr);
  EXPECT_EQ(after.family(), before.family());
  EXPECT_EQ(after.pointSizeF(), before.pointSizeF());
  EXPECT_EQ(after.pixelSize(), before.pixelSize());
  EXPECT_EQ(after.weight(), before.weight());
  EXPECT_EQ(after.italic(), before.italic());
}

// The caret pane at a line past a million and the program counter's pane
// show their whole texts in the bar's font.
struct PaneRow {
  const char* name;
  unsigned pane;
  const char* text;
};

class StatusPanes : public test::ExampleFrameTest, public ::testing::WithParamInterface<PaneRow> {};

TEST_P(StatusPanes, ShowTheirWholeText) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  if (GetParam().pane == 118)
    f->SetCaretPosition(GetParam().text);
  else
    f->DriverStatusChanged(GetParam().text);
  SECStatusBar* bar = f->Status();
  const int index = bar->CommandToIndex(GetParam().pane);
  ASSERT_GE(index, 0);
  EXPECT_EQ(bar->GetPaneText(index), GetParam().text);
  const int needed = QFontMetrics(bar->font()).horizontalAdvance(QString::fromLatin1(GetParam().text));
  EXPECT_GE(bar->GetItemRect(index).width() - kStatusPanePadding, needed);
}

const PaneRow kPaneRows[] = {
    {"CaretAtAMillion", 118, "L:1000000 C:2048"},
    {"ProgramCounter", 123, "PC: 0xFFFFFFFF"},
    {"SessionEnded", 123, "Debug session ended"},
};
INSTANTIATE_TEST_SUITE_P(Rows, StatusPanes, ::testing::ValuesIn(kPaneRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Project > Open Project starts its dialog in the open project's folder.
TEST_F(FrameWindowTest, OpenProjectStartsInTheProjectsFolder) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::string start = "(not asked)";
  f->m_chooseProjectFile = [&start](const std::string& folder) {
    start = folder;
    return std::string();
  };
  EXPECT_TRUE(f->ExecuteCommand(cmd::kOpenProject));
  EXPECT_EQ(fs::path(start).lexically_normal(), fs::path(dir).lexically_normal());
}

// The debug layout is a layout of its own: it starts without the output
// window, keeps what a session changed, and the build layout comes back.
TEST_F(FrameWindowTest, TheBuildAndDebugLayoutsAreKeptApart) {
  SettingsStore settings(dir + "settings.ini");
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->OutputBar()->IsBarVisible());
  f->SaveDockLayout(1);
  f->ApplyDockLayout(0);
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());
  f->ExecuteCommand(cmd::kViewProjectBar);  // the session hides the project window
  ASSERT_FALSE(f->ProjectBar()->IsBarVisible());
  f->SaveDockLayout(0);
  f->ApplyDockLayout(1);
  EXPECT_TRUE(f->OutputBar()->IsBarVisible());
  EXPECT_TRUE(f->ProjectBar()->IsBarVisible());
  f->ApplyDockLayout(0);
  EXPECT_FALSE(f->ProjectBar()->IsBarVisible());
  EXPECT_TRUE(settings.KeyExists("Software\\Vond\\Pelmora2\\DSTAT2\\XX-Bar0"));
}


// A window moved partly out of the area can be scrolled back into view.
TEST_F(FrameWindowTest, TheWindowAreaScrollsToAChildPartlyOutsideIt) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  QMdiSubWindow* w = f->MdiClient()->activeSubWindow();
  ASSERT_NE(w, nullptr);
  w->showNormal();
  w->setGeometry(0, 0, 300, 200);
  const QSize area = f->MdiClient()->viewport()->size();
  w->move(area.width() - 100, area.height() - 50);
  QCoreApplication::processEvents();
  QScrollBar* h = f->MdiClient()->horizontalScrollBar();
  QScrollBar* v = f->MdiClient()->verticalScrollBar();
  EXPECT_TRUE(h->isVisible() || v->isVisible());
  EXPECT_GT(std::max(h->maximum(), v->maximum()), 0);
}


// A window that fills the area follows it when a bar docks: no scroll bar
// comes up over its caption buttons.
TEST_F(FrameWindowTest, AWindowFillingTheAreaFollowsItWhenABarDocks) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ProjectBar()->IsBarVisible());
  f->ExecuteCommand(cmd::kViewProjectBar);  // the area grows
  QCoreApplication::processEvents();
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  QMdiSubWindow* w = f->MdiClient()->activeSubWindow();
  ASSERT_NE(w, nullptr);
  ASSERT_FALSE(w->isMaximized());
  f->ExecuteCommand(cmd::kViewProjectBar);  // and shrinks again
  QCoreApplication::processEvents();
  ASSERT_TRUE(f->ProjectBar()->IsBarVisible());
  EXPECT_FALSE(f->MdiClient()->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(f->MdiClient()->verticalScrollBar()->isVisible());
  EXPECT_EQ(w->geometry(), QRect(QPoint(0, 0), f->MdiClient()->viewport()->size()));
}

// An item whose text follows the state ("Translate Blinky.c") keeps the key
// its menu shows.
TEST_F(FrameWindowTest, AnItemWithAChangingTextKeepsItsKey) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Blinky.c", 0, 0);
  SECMenuBar* bar = f->Bars()->MenuBar();
  QAction* translate = nullptr;
  for (int i = 0; i < int(bar->Model().Rows().size()) && !translate; ++i) {
    QMenu* menu = bar->Model().Rows()[std::size_t(i)].IsPopup() ? bar->PopupFor(i) : nullptr;
    if (!menu) continue;
    for (QAction* a : menu->actions())
      if (a->data().toUInt() == cmd::kTranslate) {
        emit menu->aboutToShow();
        translate = a;
      }
  }
  ASSERT_NE(translate, nullptr);
  EXPECT_EQ(translate->text().toStdString(), "&Translate Blinky.c\tCtrl+F7");
}


// The find box is moved like any button: Alt and drag it onto another toolbar.
TEST_F(FrameWindowTest, AltDragMovesTheFindBoxToAnotherToolbar) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECCustomToolBar* file = f->Bars()->ToolBar(kFileToolBarId);
  SECCustomToolBar* build = f->Bars()->ToolBar(kBuildToolBarId);
  QComboBox* box = f->Bars()->FindBox();
  ASSERT_TRUE(file && build && box);
  ASSERT_GE(file->FindButton(kFindBoxButton), 0);
  const QPoint onBox = box->rect().center();
  const QPoint global = box->mapToGlobal(onBox);
  const SECStdBtn* third = build->Button(3);
  const QPoint target = build->mapToGlobal(QPoint(third->m_x + third->m_cx / 2, third->m_y + third->m_cy / 2));
  auto send = [](QWidget* w, QEvent::Type type, QPoint globalPos, Qt::MouseButtons buttons) {
    QMouseEvent e(type, w->mapFromGlobal(globalPos), globalPos, Qt::LeftButton, buttons, Qt::AltModifier);
    QApplication::sendEvent(w, &e);
  };
  send(box, QEvent::MouseButtonPress, global, Qt::LeftButton);
  send(box, QEvent::MouseMove, target, Qt::LeftButton);
  send(box, QEvent::MouseButtonRelease, target, Qt::NoButton);
  QCoreApplication::processEvents();
  const auto left = file->ButtonIds();
  EXPECT_EQ(std::find(left.begin(), left.end(), kFindBoxButton), left.end());
  const auto ids = build->ButtonIds();
  EXPECT_NE(std::find(ids.begin(), ids.end(), kFindBoxButton), ids.end()) << ::testing::PrintToString(ids);
}


// Floated and docked again, the output window's tab strip is as before.
TEST_F(FrameWindowTest, TheOutputTabsComeBackWholeAfterFloatAndDock) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->RecalcLayout();
  QCoreApplication::processEvents();
  SECTabWnd* tabs = f->Output()->TabWnd();
  ASSERT_NE(tabs, nullptr);
  const QRect before = tabs->geometry();
  const QSize outBefore = f->Output()->size();
  // As the user does it: a double click on the caption floats it, a second
  // one on the floating frame's caption docks it again.
  ASSERT_NE(f->OutputBar()->DockContext(), nullptr);
  f->OutputBar()->DockContext()->ToggleDocking();
  QCoreApplication::processEvents();
  ASSERT_TRUE(f->OutputBar()->IsFloating());
  f->OutputBar()->DockContext()->ToggleDocking();
  f->RecalcLayout();
  QCoreApplication::processEvents();
  EXPECT_EQ(f->Output()->size(), outBefore);
  EXPECT_EQ(tabs->geometry(), before);
}


// F1 in a C file looks the word at the caret up in the compiler's manual;
// Esc in the output window gives the keyboard back to the editor.
TEST_F(FrameWindowTest, F1LooksTheWordUpAndEscReturnsToTheEditor) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ToolsetInfo* arm = theEnvironment().toolsets[s.App().Project()->curTarget->toolset].get();
  ASSERT_NE(arm, nullptr);
  EnvBook manual;
  manual.path = "gcc.pdf";
  manual.kind = 1;  // the C compiler's manual
  arm->books.push_back(manual);
  std::vector<ToolHelpRequest> shown;
  f->m_showHelp = [&shown](const ToolHelpRequest& r) { shown.push_back(r); };
  EditorView* v = OpenActive(f, dir + "LED.c", 0);
  ASSERT_NE(v, nullptr);
  v->setFocus();
  std::string word;
  for (int i = 0; i < 40 && (!v->GetWordAtCaret(&word) || word.empty()); ++i) QTest::keyClick(v, Qt::Key_Right);
  ASSERT_FALSE(word.empty());
  QTest::keyClick(v, Qt::Key_F1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].file, arm->rootFolder + "gcc.pdf");
  EXPECT_EQ(shown[0].keyword, word);
  // F1 elsewhere does nothing and goes nowhere.
  QWidget* pane = f->Output()->BuildPane();
  pane->setFocus();
  QTest::keyClick(pane, Qt::Key_F1);
  EXPECT_EQ(shown.size(), 1u);
  QTest::keyClick(pane, Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), v);
  arm->books.pop_back();
}

}  // namespace
}  // namespace pm2
