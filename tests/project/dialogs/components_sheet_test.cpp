#include <QTabWidget>
#include <QTest>

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

// A new name the page refuses (Insert, the name, Enter, as the user types
// it) leaves the list as it was before the Insert: the same rows, the row
// selected then selected again, and for groups the files of that group
// still shown; no empty row is left highlighted.
TEST_F(SheetTest, ARefusedNewNameLeavesTheListAsBeforeTheInsert) {
  const struct {
    const char* name;
    bool groups;
    const char* typed;
    std::string message;
  } rows[] = {
      {"TargetTheFileCannotHold", false, "T)1",
       "The target name 'T)1' cannot be stored: it holds a ')' without its '('."},
      {"TargetDuplicate", false, "FLASH", "Target item already exists"},
      {"GroupTheFileCannotHold", true, "x)y",
       "The group name 'x)y' cannot be stored: it holds a ')' without its '('."},
      {"GroupDuplicate", true, "startup", "Group item already exists"},
  };
  open->curTarget->name = OptString::Pooled("Flash", kPoolProject);
  open->firstGroup->name = OptString::Pooled("Startup", kPoolProject);
  const auto texts = [](const ComponentListEditor* list) {
    std::vector<std::string> out;
    for (int row = 0; row < list->GetCount(); ++row) out.push_back(list->GetText(row));
    return out;
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    shell.boxes.clear();
    ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
    sheet.show();
    ComponentsPage* page = sheet.Components();
    ComponentListEditor* list = r.groups ? page->Groups() : page->Targets();
    list->setFocus();
    const int selected = list->GetCurSel();
    ASSERT_EQ(selected, 0);
    const std::vector<std::string> before = texts(list);
    QTest::keyClick(list, Qt::Key_Insert);
    ASSERT_NE(list->InPlaceEdit(), nullptr);
    QTest::keyClicks(list->InPlaceEdit(), r.typed);
    QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], r.message);
    EXPECT_EQ(texts(list), before);
    EXPECT_EQ(list->GetCurSel(), selected);
    EXPECT_FALSE(list->IsSelected(list->GetCount() - 1));
    ASSERT_EQ(page->Files()->GetItemCount(), 1);
    EXPECT_EQ(page->Files()->GetText(0), "main.c");
  }
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

#include "project/dialogs/books_page.h"

namespace pm2 {
namespace {

TEST_F(SheetTest, BooksPageAddsABookThroughTheDialogAndOkStoresIt) {
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  sheet.Tabs()->setCurrentWidget(sheet.Books());
  BooksPage* books = sheet.Books();
  books->SetBookAsker([](QString& title, QString& path) {
    title = "Board Manual";
    path = "/work/demo/doc/board.pdf";
    return true;
  });
  books->List(kBooksDevice)->OnNewItem();
  ASSERT_EQ(books->List(kBooksDevice)->GetItemCount(), 1);
  EXPECT_EQ(books->List(kBooksDevice)->GetText(0), "Board Manual");
  EXPECT_FALSE(books->BookButton()->isEnabled());
  SendKey(books, Qt::Key_Return);
  EXPECT_TRUE(sheet.isVisible()) << "Enter on the page does not close the sheet";
  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  sheet.ApplyToProject();
  EXPECT_EQ(open->curTarget->books[0].title.str(), "Board Manual");
  EXPECT_EQ(open->curTarget->books[0].path.str(), "./doc/board.pdf");
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

TEST_F(SheetTest, MovesAndDeletesInTheListsReachTheProjectInListOrder) {
  AddGroup(open, "B");
  AddGroup(open, "C");
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  ComponentListEditor* groups = sheet.Components()->Groups();
  groups->SetCurSel(0);
  groups->OnMoveDown();           // B, Source Group 1, C
  groups->SetCurSel(2);
  groups->OnMoveUp();             // B, C, Source Group 1
  groups->SetCurSel(0);
  groups->DeleteItem(0);          // C, Source Group 1
  QApplication::processEvents();
  EXPECT_EQ(groups->GetText(0), "C");
  // The files list follows the selected group.
  groups->SetCurSel(1);
  groups->NotifySelChange();
  EXPECT_EQ(sheet.Components()->Files()->GetText(0), "main.c");
  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  sheet.ApplyToProject();
  ASSERT_NE(open->firstGroup, nullptr);
  EXPECT_EQ(open->firstGroup->name.str(), "C");
  EXPECT_EQ(open->firstGroup->next->name.str(), "Source Group 1");
  EXPECT_EQ(open->firstGroup->next->next, nullptr);
  EXPECT_EQ(open->lastGroup, open->firstGroup->next);
}

}  // namespace
}  // namespace pm2

namespace pm2 {
namespace {

// Names typed into the target and group lists key by key, as the user
// types them: a blank is part of the name, and typing on a row starts
// editing it.
struct TypedNameRow {
  const char* name;
  bool groups;
  bool onRow;          // typed on the selected row (else Insert first)
  const char* typed;
  const char* stored;  // the name of the target or group afterwards
};

class TypedNames : public SheetTest, public ::testing::WithParamInterface<TypedNameRow> {};

TEST_P(TypedNames, ReachTheProjectWhole) {
  const TypedNameRow& r = GetParam();
  ProjectSheet sheet(open, "/nonexistent/TOOLS.INI", nullptr);
  sheet.show();
  ComponentListEditor* list = r.groups ? sheet.Components()->Groups() : sheet.Components()->Targets();
  list->setFocus();
  list->SetCurSel(0);
  if (r.onRow) {
    QTest::keyClicks(list, QString::fromUtf8(r.typed).left(1));
    ASSERT_NE(list->InPlaceEdit(), nullptr) << "typing on the row opens its edit";
    QTest::keyClicks(list->InPlaceEdit(), QString::fromUtf8(r.typed).mid(1));
  } else {
    QTest::keyClick(list, Qt::Key_Insert);
    ASSERT_NE(list->InPlaceEdit(), nullptr);
    QTest::keyClicks(list->InPlaceEdit(), QString::fromUtf8(r.typed));
  }
  ASSERT_TRUE(list->IsEditing()) << "a blank does not end the entry";
  QTest::keyClick(list->InPlaceEdit(), Qt::Key_Return);
  EXPECT_TRUE(shell.boxes.empty());
  sheet.accept();
  ASSERT_EQ(sheet.result(), QDialog::Accepted);
  sheet.ApplyToProject();
  if (r.groups) {
    EXPECT_EQ((r.onRow ? open->firstGroup : open->lastGroup)->name.str(), r.stored);
  } else {
    EXPECT_EQ((r.onRow ? open->firstTarget : open->lastTarget)->name.str(), r.stored);
  }
}

const TypedNameRow kTypedNameRows[] = {
    {"NewTarget", false, false, "My Target", "My Target"},
    {"NewGroup", true, false, "Start Up Code", "Start Up Code"},
    {"RenamedTargetTypedOnItsRow", false, true, "Flash Image", "Flash Image"},
    {"RenamedGroupTypedOnItsRow", true, true, "Drivers 2", "Drivers 2"},
};
INSTANTIATE_TEST_SUITE_P(Rows, TypedNames, ::testing::ValuesIn(kTypedNameRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
