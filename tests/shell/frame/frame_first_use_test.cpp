// The frame as a new user meets it in the first hour: Find opened again
// takes what is typed, Save names a new text, the Project menu after
// another project was opened, the editor's Insert '#include <...>', the
// support pages without a browser, what a paste can't keep, and message
// boxes that belong to the frame.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "project/model/project_records.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_workspace.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "shell/windows/qt_user_dialogs.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_controls.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "shell/output/out_win.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/workspace/workspace_list.h"
#include "toolkit/workspace/workspace_manager.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

using test::WaitFor;

class FrameFirstUseTest : public test::ExampleFrameTest {
 protected:
  // The popup of the main menu that holds the command, updated as it is
  // when the user opens it.
  static QMenu* OpenPopupWith(CMainFrame* f, CommandId id) {
    SECMenuBar* bar = f->Bars()->MenuBar();
    for (int i = 0; i < int(bar->Model().Rows().size()); ++i) {
      QMenu* menu = bar->Model().Rows()[std::size_t(i)].IsPopup() ? bar->PopupFor(i) : nullptr;
      if (!menu) continue;
      for (QAction* a : menu->actions())
        if (a->data().toUInt() == id) {
          emit menu->aboutToShow();
          return menu;
        }
    }
    return nullptr;
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static std::string LineText(EditorView* v, int n) {
    CEditTextBuffer& t = v->Document().Text();
    CEditLine* line = t.GetLine(n);
    return line ? line->m_text.substr(0, std::size_t(t.ContentLength(line))) : std::string();
  }
};

// Ctrl+F, some typing in the find field, the focus moved on to a button
// and the dialog closed; typing in the text; Ctrl+F again: the focus is in
// the find field with its text selected, so what is typed now replaces it
// (it went nowhere, or after the old text, before). Ctrl+H the same.
TEST_F(FrameFirstUseTest, FindOpenedAgainTakesWhatIsTyped) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  struct Row {
    const char* name;
    Qt::Key key;
  } rows[] = {{"find", Qt::Key_F}, {"replace", Qt::Key_H}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    for (int opening = 0; opening < 2; ++opening) {
      SCOPED_TRACE(opening);
      v->setFocus();
      QTest::keyClicks(v, "w");  // typing in the text between the openings
      QTest::keyClick(v, Qt::Key_Left);
      QTest::keyClick(v, r.key, Qt::ControlModifier);
      EditFindDialog* dialog = v->FindDialog();
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
      QLineEdit* field = dialog->FindCombo()->lineEdit();
      QComboBox* combo = dialog->FindCombo();
      ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == combo; }))
          << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
      EXPECT_FALSE(field->text().isEmpty());
      EXPECT_EQ(field->selectedText(), field->text());
      QTest::keyClicks(QApplication::focusWidget(), "LED_Out");
      EXPECT_EQ(dialog->FindCombo()->currentText(), "LED_Out");
      // The focus leaves the field before the dialog closes.
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_NE(QApplication::focusWidget(), combo);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      ASSERT_TRUE(WaitFor([&] { return !dialog->isVisible(); }));
      f->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    }
  }
}

// Ctrl+S and File > Save on a new text ask for its name, as Save As does,
// and write it there; Cancel writes nothing.
TEST_F(FrameFirstUseTest, SaveOnANewTextAsksForItsName) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "int z;");
  std::vector<std::string> offered;
  f->m_chooseSaveAsFile = [&](const std::string& suggested) {
    offered.push_back(suggested);
    return std::string();  // Cancel
  };
  EXPECT_TRUE(f->QueryCommand(cmd::kFileSave).enabled);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], dir + "Text1");
  EXPECT_TRUE(f->Editors().ActiveIsUntitled());

  f->m_chooseSaveAsFile = [&](const std::string& suggested) {
    offered.push_back(suggested);
    return dir + "z.c";
  };
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  v->setFocus();
  QTest::keyClick(v, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_NE(ReadAll(dir + "z.c").find("int z;"), std::string::npos);
  EXPECT_EQ(f->Editors().ActiveTitle(), "z.c");
  EXPECT_FALSE(f->Editors().ActiveIsUntitled());
  // Saved once under a name, Save writes there without asking.
  QTest::keyClicks(v, "x");
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileSave));
  EXPECT_EQ(offered.size(), 2u);
  EXPECT_NE(ReadAll(dir + "z.c").find("int z;x"), std::string::npos);
}

// The Project menu names the selected group; after another project was
// opened (nothing selected in it) the items read as the menu gives them and
// Remove is greyed, since there is nothing it could remove.
TEST_F(FrameFirstUseTest, TheProjectMenuAfterAnotherProjectWasOpened) {
  const std::string other = dir + "other/";
  fs::create_directories(other);
  for (const char* name : {"Blinky.pm2", "Blinky.c", "LED.c", "Timer.c", "Startup.s", "LED.h", "Timer.h", "LPC2138.h",
                           "LPC2138.ld"})
    fs::copy_file(dir + name, other + name);
  fs::rename(other + "Blinky.pm2", other + "Other.pm2");
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  GroupRec* group = s.App().Project()->firstGroup;
  ASSERT_NE(group, nullptr);
  SelectInProject(f, group);
  ASSERT_EQ(s.App().m_pSelItem, group);
  QMenu* project = OpenPopupWith(f, cmd::kRemoveItem);
  ASSERT_NE(project, nullptr);
  QAction* remove = ActionOf(project, cmd::kRemoveItem);
  QAction* add = ActionOf(project, cmd::kAddFiles);
  ASSERT_TRUE(remove && add);
  const std::string groupName = group->name.str();
  EXPECT_EQ(remove->text().toStdString(), "R&emove Group '" + groupName + "' and it's Files");
  EXPECT_EQ(add->text().toStdString(), "Add Files to Group '" + groupName + "'...");
  EXPECT_TRUE(remove->isEnabled());

  s.App().OpenProject(other + "Other.pm2");
  ASSERT_NE(s.App().Project(), nullptr);
  ASSERT_EQ(s.App().Project()->name.str(), "Other");
  // The new project's tree selects its target, if anything.
  NodeRec* selected = s.App().m_pSelItem;
  ASSERT_TRUE(!selected || selected->kind == kKindTarget) << selected->kind;
  ASSERT_EQ(OpenPopupWith(f, cmd::kRemoveItem), project);
  EXPECT_EQ(remove->text().toStdString(), "R&emove Item");
  EXPECT_EQ(add->text().toStdString(), "Add &Files to Group...");
  EXPECT_FALSE(remove->isEnabled());
  EXPECT_FALSE(add->isEnabled());
  // Selecting a file of the new project names it.
  GroupRec* first = s.App().Project()->firstGroup;
  ASSERT_TRUE(first && first->firstFile);
  SelectInProject(f, first->firstFile);
  OpenPopupWith(f, cmd::kRemoveItem);
  EXPECT_EQ(remove->text().toStdString(), "R&emove File '" + first->firstFile->name.str() + "'");
  EXPECT_TRUE(remove->isEnabled());
  // An item named after the active text keeps its key, and reads as the
  // menu gives it again once no text is open.
  f->OpenFileAndShow(other + "LED.c", 1, 0);
  OpenPopupWith(f, cmd::kTranslate);
  QAction* translate = ActionOf(project, cmd::kTranslate);
  ASSERT_NE(translate, nullptr);
  EXPECT_EQ(translate->text().toStdString(), "&Translate LED.c\tCtrl+F7");
  f->MdiClient()->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(f->Editors().Count(), 0);
  OpenPopupWith(f, cmd::kTranslate);
  EXPECT_EQ(translate->text().toStdString(), "&Translate\tCtrl+F7");
}

// Knowledge Base, Contact Support and Check for Update say when no web
// browser can be started, with the address; Peripheral Help is greyed and
// tells why on the message line.
TEST_F(FrameFirstUseTest, HelpCommandsSayWhyNothingOpens) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  struct Row {
    const char* name;
    CommandId id;
    const char* page;
  } rows[] = {{"knowledge base", 35136, "/support/kb.asp"},
              {"contact", 35137, "/support/contact.asp"},
              {"update", 35400, "/update/check.asp"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::string asked;
    bool opens = false;
    f->m_openUrl = [&](const std::string& url) {
      asked = url;
      return opens;
    };
    {
      test::BoxAnswers boxes({QMessageBox::Ok});
      EXPECT_TRUE(f->ExecuteCommand(r.id));
      ASSERT_EQ(boxes.texts.size(), 1u);
      EXPECT_NE(asked.find(r.page), std::string::npos);
      EXPECT_EQ(boxes.texts[0], "Could not start a web browser to open '" + asked + "'");
    }
    opens = true;
    test::BoxAnswers boxes({QMessageBox::Ok});
    EXPECT_TRUE(f->ExecuteCommand(r.id));
    EXPECT_TRUE(boxes.texts.empty());
  }
  const CommandState help = f->QueryCommand(35135);
  EXPECT_FALSE(help.enabled);
  EXPECT_EQ(help.text, "Peripheral &Help for " + s.App().Project()->curTarget->DEVICE.str());
  EXPECT_EQ(help.greyedReason,
            "No peripheral help file is installed for '" + s.App().Project()->curTarget->DEVICE.str() + "'");
}

// Text from another program with characters the 8-bit text can't hold:
// they are pasted as '?', and the message line says how many, once.
TEST_F(FrameFirstUseTest, APasteSaysWhatTheTextCouldNotHold) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  v->setFocus();
  QGuiApplication::clipboard()->setText(QString::fromUtf8("a\xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC"));
  f->Status()->SetWindowText("Ready");
  QTest::keyClick(v, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(LineText(v, 1), "a?? \x80");
  EXPECT_EQ(f->Status()->GetWindowText(), PasteLossText(2));
  // Text the code page holds pastes without a word.
  f->Status()->SetWindowText("Ready");
  QGuiApplication::clipboard()->setText(QString::fromUtf8("\xC3\xBC"));
  QTest::keyClick(v, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(LineText(v, 1), "a?? \x80\xFC");
  EXPECT_EQ(f->Status()->GetWindowText(), "Ready");
}

// A workspace saved and opened again from the Window menu: its layout is
// applied, and the menu bar and the target box stay as they were.
TEST_F(FrameFirstUseTest, OpeningAWorkspaceKeepsTheMenusAndTheTargetBox) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  SECMenuBar* menus = f->Bars()->MenuBar();
  ASSERT_TRUE(menus && !menus->isHidden());
  ASSERT_NE(f->Bars()->TargetBox(), nullptr);
  const QString target = QString::fromStdString(s.App().Project()->curTarget->name.str());
  ASSERT_EQ(f->Bars()->TargetBox()->currentText(), target);
  f->ExecuteCommand(cmd::kViewOutputBar);
  ASSERT_TRUE(mgr.SaveWorkspace("Layout")) << mgr.LastError();
  f->ExecuteCommand(cmd::kViewOutputBar);
  ASSERT_TRUE(f->ExecuteCommand(kIdWorkspaceRecentFirst));
  EXPECT_EQ(mgr.CurrentName(), "Layout");
  EXPECT_FALSE(f->OutputBar()->IsBarVisible());  // the layout was applied
  EXPECT_FALSE(menus->isHidden());
  EXPECT_TRUE(menus->IsBarVisible());
  EXPECT_EQ(menus->DockBar(), f->GetDockBar(AFX_IDW_DOCKBAR_TOP));
  QComboBox* box = f->Bars()->TargetBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->currentText(), target);
  EXPECT_GT(box->count(), 0);
}

// Window > Cascade gives windows of a useful size; a maximised editor
// window comes back maximised with the project, and restored takes the
// rectangle it had; a window saved in a larger area comes back inside.
TEST_F(FrameFirstUseTest, EditorWindowsCascadeAndComeBackAsTheyWere) {
  SettingsStore settings(dir + "settings.ini");
  QRect cascaded;
  {
    test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
    CMainFrame* f = s.Frame();
    ASSERT_NE(f, nullptr);
    f->resize(1000, 760);
    f->OpenFileAndShow(dir + "Timer.c", 1, 0);
    f->OpenFileAndShow(dir + "LED.c", 1, 0);
    f->OpenFileAndShow(dir + "Blinky.c", 1, 0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(f->ExecuteCommand(57650));  // Window > Cascade
    const QSize area = f->MdiClient()->viewport()->size();
    const QList<QMdiSubWindow*> windows = f->MdiClient()->subWindowList();
    ASSERT_EQ(windows.size(), 3);
    for (QMdiSubWindow* w : windows) {
      SCOPED_TRACE(w->windowTitle().toStdString());
      EXPECT_GE(w->width(), area.width() * 3 / 5);
      EXPECT_GE(w->height(), area.height() * 3 / 5);
      EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(w->geometry()));
    }
    // The active window is in front, furthest down.
    QMdiSubWindow* active = f->MdiClient()->activeSubWindow();
    ASSERT_NE(active, nullptr);
    for (QMdiSubWindow* w : windows) EXPECT_LE(w->y(), active->y());
    cascaded = active->geometry();
    active->showMaximized();
    EXPECT_TRUE(f->close());
  }
  ResetAppState();
  PoolFreeAll();
  SettingsStore again(dir + "settings.ini");
  ASSERT_TRUE(again.Load());
  test::Session s(again, "", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->Editors().Count(), 3);
  QMdiSubWindow* active = f->MdiClient()->activeSubWindow();
  ASSERT_NE(active, nullptr);
  EXPECT_EQ(f->Editors().ActiveTitle(), "Blinky.c");
  EXPECT_TRUE(active->isMaximized());
  active->showNormal();
  const QSize area = f->MdiClient()->viewport()->size();
  if (area.width() >= cascaded.right() && area.height() >= cascaded.bottom()) {
    EXPECT_EQ(active->geometry(), cascaded);
  }
  for (QMdiSubWindow* w : f->MdiClient()->subWindowList())
    EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(w->geometry())) << w->windowTitle().toStdString();
}

// The Window menu lists the open windows and marks the active one only.
TEST_F(FrameFirstUseTest, TheWindowListMarksOnlyTheActiveWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Timer.c", 1, 0);
  f->OpenFileAndShow(dir + "LED.c", 1, 0);
  f->OpenFileAndShow(dir + "Blinky.c", 1, 0);
  for (const char* activeFile : {"Blinky.c", "Timer.c"}) {
    SCOPED_TRACE(activeFile);
    f->OpenFileAndShow(dir + activeFile, 1, 0);
    QMenu* window = OpenPopupWith(f, 57650);
    ASSERT_NE(window, nullptr);
    int listed = 0;
    std::vector<std::string> marked;
    for (QAction* a : window->actions()) {
      const unsigned id = a->data().toUInt();
      if (id < 65280 || id > 65288) continue;
      ++listed;
      if (a->isCheckable() || a->isChecked()) marked.push_back(a->text().toStdString());
    }
    EXPECT_EQ(listed, 3);
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_NE(marked[0].find(activeFile), std::string::npos) << marked[0];
  }
}

// The output window shows its page tabs whole floating, and docked again.
TEST_F(FrameFirstUseTest, TheOutputTabsShowWholeFloatingAndDockedAgain) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->resize(1000, 760);
  SECTabWnd* tabs = f->Output()->TabWnd();
  auto* strip = dynamic_cast<SECTabControlModel*>(tabs->TabCtrl());
  ASSERT_NE(strip, nullptr);
  ASSERT_EQ(strip->GetTabCount(), 3);
  auto allShown = [&] {
    QCoreApplication::processEvents();
    return tabs->TabWidget()->width() >= strip->FullWidth();
  };
  EXPECT_TRUE(allShown());
  f->FloatControlBar(f->OutputBar(), f->mapToGlobal(QPoint(200, 200)), CBRS_ALIGN_TOP);
  ASSERT_TRUE(f->OutputBar()->IsFloating());
  EXPECT_TRUE(allShown()) << tabs->TabWidget()->width() << " < " << strip->FullWidth();
  f->DockControlBar(f->OutputBar(), f->GetDockBar(AFX_IDW_DOCKBAR_BOTTOM));
  ASSERT_FALSE(f->OutputBar()->IsFloating());
  EXPECT_TRUE(allShown()) << tabs->TabWidget()->width() << " < " << strip->FullWidth();
}

// While the toolbars are customised the frame ignores close requests.
TEST_F(FrameFirstUseTest, NoCloseWhileTheToolbarsAreCustomised) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Bars()->Manager(), nullptr);
  f->Bars()->Manager()->SetCustomizeMode(true);
  EXPECT_FALSE(f->close());
  EXPECT_TRUE(f->isVisible());
  f->Bars()->Manager()->SetCustomizeMode(false);
  EXPECT_TRUE(f->close());
}

// Ctrl+F4 closes the active editor window (a modified one asks first).
TEST_F(FrameFirstUseTest, CtrlF4ClosesTheActiveEditorWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "LED.c", 1, 0);
  f->OpenFileAndShow(dir + "Blinky.c", 1, 0);
  f->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f));
  EditorView* v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  v->setFocus();
  QTest::keyClick(v, Qt::Key_F4, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(f->Editors().Count(), 1);
  EXPECT_EQ(f->Editors().ActiveTitle(), "LED.c");
  // A modified text asks; Cancel keeps it open.
  v = f->Editors().Active();
  ASSERT_NE(v, nullptr);
  QTest::keyClicks(v, "x");
  test::BoxAnswers boxes({QMessageBox::Cancel});
  v->setFocus();
  QTest::keyClick(v, Qt::Key_F4, Qt::ControlModifier);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(f->Editors().Count(), 1);
}

// The program's message boxes belong to the frame, so that they open over
// it and over its floating windows rather than behind them.
TEST_F(FrameFirstUseTest, MessageBoxesBelongToTheFrame) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(s.runtime.Dialogs().ParentWindow(), f);
  QWidget* parent = nullptr;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&parent] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      parent = box->parentWidget();
      box->accept();
    }
  });
  answer.start(10);
  s.App().Dialogs().MessageBox("A damaged settings file was reset.", kMbOk | kMbIconExclamation);
  EXPECT_EQ(parent, f);
}

}  // namespace
}  // namespace pm2
