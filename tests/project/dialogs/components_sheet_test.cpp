#include <QTabWidget>

#include "project/dialogs/components_page.h"
#include "project/dialogs/folders_page.h"
#include "project/dialogs/project_sheet.h"
#include "project/dialogs/dialog_test_util.h"
#include "project/files/project_file.h"

namespace pm2 {
namespace {

class SheetTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    open = OpenProject();
    open->curTarget->toolset = 3;
    AddFileToGroup(open->firstGroup, "main.c", "./", kFileC);
    before = BuildProjectFileText(*open);
  }
  // Types `text` into the editor's empty last row, as the user does.
  static void TypeNew(SECListBoxEditor* e, const std::string& text) {
    e->SetCurSel(e->GetCount() - 1);
    e->StartEditing(0);
    e->AcceptEdit(text);
  }
  static void Rename(SECListBoxEditor* e, int row, const std::string& text) {
    e->SetCurSel(row);
    e->StartEditing(0);
    e->AcceptEdit(text);
  }
  ProjectRec* open = nullptr;
  std::string before;
};

TEST_F(SheetTest, CancelLeavesProjectByteForByte) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  Rename(sheet.Components()->Targets(), 0, "Renamed");
  TypeNew(sheet.Components()->Groups(), "Startup");
  sheet.reject();
  EXPECT_EQ(sheet.result(), QDialog::Rejected);
  EXPECT_EQ(BuildProjectFileText(*open), before);
}

TEST_F(SheetTest, OkAppliesRenamesAndNewGroups) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  Rename(sheet.Components()->Targets(), 0, "Flash");
  TypeNew(sheet.Components()->Groups(), "Startup");
  EXPECT_EQ(sheet.Components()->Groups()->GetItemCount(), 2);
  EXPECT_TRUE(sheet.Components()->Groups()->IsEmptyLastRow(2));
  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  sheet.ApplyToProject();
  EXPECT_EQ(open->curTarget->name.str(), "Flash");
  ASSERT_NE(open->firstGroup->next, nullptr);
  EXPECT_EQ(open->lastGroup->name.str(), "Startup");
  EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(SheetTest, CaseOnlyRenameIsRefusedAndUndoneInTheList) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  ComponentListEditor* targets = sheet.Components()->Targets();
  Rename(targets, 0, "TARGET 1");
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "Target item already exists");
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(targets->GetText(0), "Target 1");
  TypeNew(targets, "target 1");
  EXPECT_EQ(shell.boxes.size(), 2u);
  EXPECT_EQ(targets->GetItemCount(), 1);
  EXPECT_TRUE(targets->IsEmptyLastRow(1));
}

TEST_F(SheetTest, DeletingEveryTargetKeepsTheSheetOpen) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  ComponentListEditor* targets = sheet.Components()->Targets();
  targets->SetCurSel(0);
  targets->DeleteItem(0);
  QApplication::processEvents();
  EXPECT_FALSE(sheet.Components()->Groups()->isVisible()) << "groups show only while there is a target";
  sheet.accept();
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "At least one Target is required !");
}

TEST_F(SheetTest, FilesAreAddedThroughThePageAndRefusedTwice) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  ComponentsPage* page = sheet.Components();
  EXPECT_EQ(page->Files()->GetItemCount(), 1);
  EXPECT_TRUE(page->AddFile("/work/demo/src/", "uart.c", nullptr));
  EXPECT_FALSE(page->AddFile("/work/demo/other/", "UART.C", nullptr));
  EXPECT_EQ(page->Files()->GetItemCount(), 2);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_NE(shell.boxes[0].find("is already a member of"), std::string::npos);
  // Renaming a file is refused with a beep only.
  Rename(page->Files(), 0, "other.c");
  EXPECT_EQ(page->Files()->GetText(0), "main.c");
  sheet.accept();
  sheet.ApplyToProject();
  EXPECT_EQ(open->firstGroup->lastFile->name.str(), "uart.c");
}

TEST_F(SheetTest, InvalidFilterKeepsTheFoldersPage) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  sheet.Tabs()->setCurrentWidget(sheet.Folders());
  QLineEdit* c = sheet.Folders()->Filter(kSheetFilterC);
  c->setFocus();
  c->selectAll();
  TypeText(c, "c; *.h");
  sheet.accept();
  EXPECT_NE(sheet.result(), QDialog::Accepted);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "Invalid Filter - Example: '*.asm; *.a; *.s'");
  c->selectAll();
  TypeText(c, "*.c; *.h");
  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  sheet.ApplyToProject();
  EXPECT_EQ(open->filters[kFilterC].str(), "*.c;*.h");
}

}  // namespace
}  // namespace pm2
