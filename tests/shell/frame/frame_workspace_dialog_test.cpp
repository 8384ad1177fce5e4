// The workspace dialog of the Window menu as a user types into it: a name
// with a blank saves under the whole name, and the dialog that opens a
// workspace offers no row for a new name, so nothing typed there asks to
// save.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_workspace.h"
#include "toolkit/workspace/workspace_dialog.h"
#include "toolkit/workspace/workspace_list.h"
#include "toolkit/workspace/workspace_manager.h"

namespace pm2 {
namespace frame_workspace_dialog_test {

class FrameWorkspaceDialogTest : public test::ExampleFrameTest {};

// Runs `command` of the frame and, once its workspace dialog is up, `drive`
// on it (called once); answers the message boxes with `answers` and
// returns their texts.
std::vector<std::string> WithDialog(CMainFrame* f, unsigned command, const std::function<void(SECWsMgrDialogEx&)>& drive,
                                    std::vector<QMessageBox::StandardButton> answers) {
  test::BoxAnswers boxes(std::move(answers));
  bool driven = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = dynamic_cast<SECWsMgrDialogEx*>(QApplication::activeModalWidget());
    if (driven || !dialog) return;
    driven = true;
    drive(*dialog);
  });
  poll.start(10);
  f->ExecuteCommand(command);
  EXPECT_TRUE(driven);
  return boxes.texts;
}

TEST_F(FrameWorkspaceDialogTest, ABlankIsPartOfANameAndOpeningOffersNoNewName) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  SECWorkspaceManagerEx& mgr = f->Workspace()->Manager();
  ASSERT_TRUE(mgr.SaveWorkspace("Debug")) << mgr.LastError();

  // Save Workspace As: "My Lay" typed into the empty last row, then Enter.
  const std::vector<std::string> asked = WithDialog(
      f, kIdWorkspaceSaveAs,
      [](SECWsMgrDialogEx& d) {
        SECWSLBEditorEx* list = d.Editor();
        ASSERT_TRUE(list->HasEmptyRow());
        list->setFocus();
        list->SetCurSel(list->GetCount() - 1);
        QTest::keyClicks(list, "M");
        // One key at a time, as long as the name is being typed.
        for (const char c : std::string("y Lay")) {
          QPointer<QLineEdit> edit = list->InPlaceEdit();
          ASSERT_TRUE(edit && list->IsEditing()) << "the name ended before '" << c << "'";
          QTest::keyClicks(edit, QString(QChar(c)));
        }
        ASSERT_TRUE(list->IsEditing()) << "the blank ended the name";
        QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
      },
      {QMessageBox::Yes});
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("My Lay"), std::string::npos) << asked[0];
  EXPECT_EQ(mgr.CurrentName(), "My Lay");
  std::vector<std::string> stored;
  ASSERT_TRUE(mgr.ReadWorkspaceList(&stored));
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"Debug", "My Lay"}));

  // Open Workspace: no New button, no empty row; Insert adds none, and a
  // name typed on a row renames it without asking to save.
  int rows = -1;
  bool insertOpened = true;
  const std::vector<std::string> openAsked = WithDialog(
      f, kIdWorkspaceOpen,
      [&](SECWsMgrDialogEx& d) {
        SECWSLBEditorEx* list = d.Editor();
        list->setFocus();
        list->SetCurSel(0);
        rows = list->GetCount();
        EXPECT_FALSE(list->HasEmptyRow());
        EXPECT_TRUE(list->ButtonRect(SECListBoxEditor::kNew).isEmpty());
        EXPECT_FALSE(list->ButtonRect(SECListBoxEditor::kDelete).isEmpty());
        QTest::keyClick(list, Qt::Key_Insert);
        insertOpened = list->IsEditing();
        if (insertOpened) list->CancelEdit();
        EXPECT_EQ(list->GetCount(), rows);
        QTest::keyClicks(list, "Z");
        ASSERT_NE(list->InPlaceEdit(), nullptr);
        QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
        EXPECT_EQ(list->GetText(0), "Z");
        EXPECT_EQ(list->GetCount(), rows);
        d.reject();
      },
      {QMessageBox::No});
  EXPECT_EQ(rows, 2);
  EXPECT_FALSE(insertOpened);
  EXPECT_EQ(openAsked, std::vector<std::string>{});
  ASSERT_TRUE(mgr.ReadWorkspaceList(&stored));
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (std::vector<std::string>{"Debug", "My Lay"}));  // Cancel kept the names
}

}  // namespace frame_workspace_dialog_test
}  // namespace pm2
