// The File menu's rules beside the editor's own windows, given through the
// frame's command routing as the menus give them: New and Open wait while
// an editor's find dialog is open; Save As and Close act on the
// configuration wizard's window as on a text window; Close All keeps each
// project file's place, where the project tree opens it again. And Find in
// Files offers the folder of the project just read; the toolbar's find box
// keeps what was typed and left, and moves an entry chosen to the front.
#include <gtest/gtest.h>

#include "shell/app/recent_projects.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "shell/app/shell_app.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/main_frame.h"
#include "toolkit/menus/menu_bar.h"
#include "shell/tools/find_in_files.h"
#include "shell/frame/editor_windows.h"
#include "shell/tools/ui/find_in_files_dialog.h"

namespace pm2 {
namespace {

using test::WaitFor;

constexpr CommandId kFileClose = 57602, kFileSaveAs = 57604;

class FileCommandsTest : public test::ExampleFrameTest {};

TEST_F(FileCommandsTest, NewAndOpenWaitWhileAnEditorsFindDialogIsOpen) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  int asked = 0;
  f->m_chooseSourceFile = [&](const std::string&, const std::vector<std::string>&, int*) {
    ++asked;
    return std::string();
  };
  const int before = f->Editors().Count();
  ASSERT_TRUE(f->ExecuteCommand(cmd::kEditFind));
  ASSERT_TRUE(WaitFor([&] { return v->IsFindDialogOpen(); }));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileOpen));
  EXPECT_EQ(f->Editors().Count(), before) << "no new text while the find dialog is open";
  EXPECT_EQ(asked, 0) << "no open-file question while the find dialog is open";
  // Closed, both act again.
  v->FindDialog()->close();
  ASSERT_TRUE(WaitFor([&] { return !v->IsFindDialogOpen(); }));
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileNew));
  EXPECT_EQ(f->Editors().Count(), before + 1);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kFileOpen));
  EXPECT_EQ(asked, 1);
}

// The recent documents the program records are listed in the File menu
// before Exit, the latest first; choosing one opens it, and one gone since
// is said and taken off the list.
TEST_F(FileCommandsTest, TheFileMenuListsTheRecentFilesAndOpensThem) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  s.App().AddRecentFile(dir + "gone.c");
  s.App().AddRecentFile(dir + "LED.c");
  SECMenuBar* bar = f->Bars()->MenuBar();
  ASSERT_NE(bar, nullptr);
  bar->OpenPopup(0, false);
  QMenu* file = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(file, nullptr);
  std::vector<std::string> texts;
  for (QAction* a : file->actions()) texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
  file->close();
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[texts.size() - 4], "&1 " + dir + "LED.c");
  EXPECT_EQ(texts[texts.size() - 3], "&2 " + dir + "gone.c");
  EXPECT_EQ(texts[texts.size() - 2], "-");
  EXPECT_EQ(texts.back().rfind("E&xit", 0), 0u) << texts.back();
  // Shown again, the list is not repeated.
  bar->OpenPopup(0, false);
  file = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::size_t(file->actions().size()), texts.size());
  file->close();

  ASSERT_TRUE(f->ExecuteCommand(cmd::kRecentFileFirst));
  ASSERT_NE(f->Editors().ActiveDocument(), nullptr);
  EXPECT_EQ(f->Editors().ActiveDocument()->Path(), dir + "LED.c");
  test::BoxAnswers boxes({QMessageBox::Ok});
  ASSERT_TRUE(f->ExecuteCommand(cmd::kRecentFileFirst + 1));
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], "Cannot open file '" + dir + "gone.c'\n\nThe file does not exist.");
  EXPECT_EQ(s.App().m_recentFiles.At(1), "");
}

// A file opened is on the stored list at once: a program ended by a
// signal (kill -9, a crash, a lost session) keeps what the user opened.
TEST_F(FileCommandsTest, AFileOpenedIsOnTheStoredListBeforeTheProgramEnds) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  f->OpenFileAndShow(dir + "Timer.c", 0, 0);
  ASSERT_EQ(s.App().m_recentFiles.At(0), dir + "Timer.c");
  // Read as the next program would, from the file alone.
  SettingsStore onDisk(s.App().Settings().FilePath());
  ASSERT_TRUE(onDisk.Load());
  RecentProjects files = RecentProjects::Files();
  files.Load(onDisk);
  EXPECT_EQ(files.At(0), dir + "Timer.c");
}

TEST_F(FileCommandsTest, SaveAsAndCloseActOnTheConfigurationWizardsWindow) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  // Opened without a line, a startup file with an options block shows the
  // wizard.
  f->OpenFileAndShow(dir + "Startup.s", 0, 0);
  ASSERT_NE(f->Editors().ActiveDocument(), nullptr);
  ASSERT_EQ(f->Editors().Active(), nullptr) << "the wizard, not a text view, is in front";
  EXPECT_TRUE(f->QueryCommand(kFileSaveAs).enabled);
  EXPECT_TRUE(f->QueryCommand(kFileClose).enabled);
  const int before = f->Editors().Count();
  EXPECT_TRUE(f->ExecuteCommand(kFileClose));
  // The window goes once its deletion has run.
  EXPECT_TRUE(WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return f->Editors().Count() == before - 1;
  }));
}

TEST_F(FileCommandsTest, CloseAllKeepsEachFilesPlaceWhereTheProjectTreeOpensItAgain) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->QueryCommand(cmd::kCloseAll).enabled) << "no editor window in front";
  FileRec* blinky = FindSourceFileByName("Blinky.c");
  ASSERT_NE(blinky, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 30);
  ASSERT_NE(v, nullptr);
  int top = 0, caret = 0, column = 0;
  ASSERT_TRUE(v->GetViewPosition(&top, &caret, &column));
  ASSERT_EQ(caret, 30);
  EXPECT_TRUE(f->QueryCommand(cmd::kCloseAll).enabled);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kCloseAll));
  EXPECT_TRUE(WaitFor([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return f->Editors().Count() == 0;
  }));
  EXPECT_EQ(blinky->caretLine, 30);
  // Opened from the tree, the file comes back at that line.
  SelectInProject(f, blinky);
  EXPECT_TRUE(f->ExecuteCommand(cmd::kOpenSelectedFile));
  EditorView* again = f->Editors().Active();
  ASSERT_NE(again, nullptr);
  ASSERT_TRUE(again->GetViewPosition(&top, &caret, &column));
  EXPECT_EQ(caret, 30);
}

TEST_F(FileCommandsTest, TheFindBoxKeepsATypedTextAndMovesAChosenEntryToTheFront) {
  SettingsStore settings(dir + "settings.ini");
  settings.WriteProfileString("Settings\\Find", "Find1", "alpha");
  settings.WriteProfileString("Settings\\Find", "Find2", "beta");
  settings.WriteProfileString("Settings\\Find", "Find3", "gamma");
  test::Session s(settings, dir + "Blinky.pm2", root + "PM2/pelmora2");
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenActive(f, dir + "Blinky.c", 1);
  ASSERT_NE(v, nullptr);
  f->UpdateCommandUi();
  QComboBox* box = f->Bars()->FindBox();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(box->isEnabled());
  auto entries = [box] {
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
    return out;
  };
  ASSERT_EQ(entries(), (std::vector<std::string>{"alpha", "beta", "gamma"}));
  // Typed, then the editor takes the keyboard back.
  box->lineEdit()->setFocus();
  ASSERT_TRUE(WaitFor([&] { return box->lineEdit()->hasFocus(); }));
  box->lineEdit()->selectAll();
  QTest::keyClicks(box->lineEdit(), "typed");
  v->setFocus();
  ASSERT_TRUE(WaitFor([&] { return !box->lineEdit()->hasFocus(); }));
  EXPECT_EQ(entries(), (std::vector<std::string>{"typed", "alpha", "beta", "gamma"}));
  EXPECT_EQ(box->currentText().toStdString(), "typed");
  EXPECT_EQ(settings.GetProfileString("Settings\\Find", "Find1"), "typed");
  // "beta" chosen from the list (the box says which row the user chose).
  box->setCurrentIndex(2);
  emit box->activated(2);
  EXPECT_EQ(entries(), (std::vector<std::string>{"beta", "typed", "alpha", "gamma"}));
  EXPECT_EQ(box->currentText().toStdString(), "beta");
}

TEST_F(FileCommandsTest, FindInFilesOffersTheFolderOfTheProjectJustRead) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  std::string offered = "<no dialog>";
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<FindInFilesDialog*>(QApplication::activeModalWidget());
    if (!dlg) return;
    offered = dlg->FolderCombo()->currentText().toStdString();
    dlg->reject();
  });
  EXPECT_TRUE(f->ExecuteCommand(kCmdFindInFiles));
  std::string folder = s.App().Project()->folder.str();
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  EXPECT_EQ(offered, folder);
}

}  // namespace
}  // namespace pm2
