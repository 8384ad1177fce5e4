#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QListView>
#include <QFile>
#include <QLineEdit>
#include <QKeyEvent>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include "project/dialogs/add_files_dialog.h"
#include "project/dialogs/book_view.h"
#include "project/dialogs/dialog_test_util.h"
#include "project/dialogs/file_type_dialog.h"

namespace pm2 {
namespace {

class FileDialogsTest : public DialogTest {
 protected:
  // Empty files of these names in the folder.
  static bool MakeFiles(const QTemporaryDir& dir, std::initializer_list<const char*> names) {
    for (const char* n : names) {
      QFile f(dir.filePath(n));
      if (!f.open(QIODevice::WriteOnly)) return false;
    }
    return true;
  }
  // An adder that takes every file and notes its path.
  static std::function<bool(const std::string&, const std::string&)> Recorder(std::vector<std::string>* added) {
    return [added](const std::string& folder, const std::string& name) {
      added->push_back(folder + name);
      return true;
    };
  }
};

TEST_F(FileDialogsTest, AddStaysOpenAndAddsEverySelectedFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(MakeFiles(dir, {"a.c", "b.c", "c.c"}));
  ProjectRec* p = OpenProject((dir.path() + "/demo.pm2").toLocal8Bit().constData());
  std::vector<std::string> added;
  AddFilesDialog dlg("Source Group 1", ProjectAddFilesFilter(p, false), dir.path());
  dlg.SetAdder(Recorder(&added));
  dlg.show();
  QApplication::processEvents();
  EXPECT_EQ(dlg.windowTitle(), "Add Files to Group 'Source Group 1'");
  dlg.selectNameFilter(dlg.nameFilters().back());
  QLineEdit* name = dlg.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  name->setText("\"a.c\" \"b.c\" \"c.c\"");
  QApplication::processEvents();
  dlg.accept();
  EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open after Add";
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0], (dir.path() + "/a.c").toStdString());
  EXPECT_EQ(dlg.AddedCount(), 3);
  EXPECT_EQ(dlg.nameFilters().size(), 6) << "no C++ row without a 166 target";
  dlg.reject();
}

// After an Add the dialog still shows its Add button, ready for the next
// choice, and one Esc closes it.
TEST_F(FileDialogsTest, AddKeepsItsButtonAndOneEscCloses) {
  QTemporaryDir dir;
  ASSERT_TRUE(MakeFiles(dir, {"a.c", "b.c"}));
  ProjectRec* p = OpenProject((dir.path() + "/demo.pm2").toLocal8Bit().constData());
  std::vector<std::string> added;
  AddFilesDialog dlg("Source Group 1", ProjectAddFilesFilter(p, false), dir.path());
  dlg.SetAdder(Recorder(&added));
  dlg.show();
  QApplication::processEvents();
  dlg.selectNameFilter(dlg.nameFilters().back());
  QLineEdit* name = dlg.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(name, nullptr);
  auto key = [](QWidget* w, int k) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  };
  name->setFocus();
  for (QChar c : QString("a.c")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(name, &press);
  }
  QApplication::processEvents();
  key(name, Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_EQ(added.size(), 1u);
  ASSERT_TRUE(dlg.isVisible());
  auto* box = dlg.findChild<QDialogButtonBox*>("buttonBox");
  ASSERT_NE(box, nullptr);
  QPushButton* accept = box->button(QDialogButtonBox::Open);
  if (!accept) accept = box->button(QDialogButtonBox::Save);
  ASSERT_NE(accept, nullptr);
  EXPECT_TRUE(accept->isVisible());
  EXPECT_EQ(accept->text(), "Add");
  key(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(dlg.isVisible());
}

// Qt names its accept button "Open" whenever the selection is a folder (an
// empty name, the folder row chosen); the dialog's button stays "Add".
TEST_F(FileDialogsTest, ButtonStaysAddWhateverIsChosen) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  ASSERT_TRUE(MakeFiles(dir, {"a.c"}));
  ProjectRec* p = OpenProject((dir.path() + "/demo.pm2").toLocal8Bit().constData());
  std::vector<std::string> added;
  AddFilesDialog dlg("Source Group 1", ProjectAddFilesFilter(p, false), dir.path());
  dlg.SetAdder(Recorder(&added));
  dlg.show();
  dlg.selectNameFilter(dlg.nameFilters().back());
  auto* model = dlg.findChild<QFileSystemModel*>();
  auto* view = dlg.findChild<QListView*>("listView");
  auto* box = dlg.findChild<QDialogButtonBox*>("buttonBox");
  QLineEdit* name = dlg.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_TRUE(model && view && box && name);
  const QModelIndex folder = model->index(dir.path());
  QElapsedTimer t;
  t.start();
  while (model->rowCount(folder) < 2 && t.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  struct Row {
    const char* name;
    const char* choose;  // the row chosen in the list; null: the name emptied
  };
  const Row rows[] = {{"file chosen", "a.c"}, {"folder chosen", "sub"}, {"name emptied", nullptr},
                      {"file added by a double click", "a.c"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    if (r.choose && std::string(r.name).find("double") != std::string::npos) {
      // As a user with the detail view: one click chooses, a double click adds.
      dlg.setViewMode(QFileDialog::Detail);
      auto* tree = dlg.findChild<QTreeView*>("treeView");
      ASSERT_NE(tree, nullptr);
      QApplication::processEvents();
      const QModelIndex i = model->index(dir.filePath(r.choose));
      const QPoint at = tree->visualRect(tree->model() == model ? i : QModelIndex()).center();
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      EXPECT_EQ(1u, added.size());
    } else if (r.choose) {
      const QModelIndex i = model->index(dir.filePath(r.choose));
      view->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    } else {
      name->clear();
    }
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(box->button(QDialogButtonBox::Open)->text().toStdString(), "Add");
  }
  dlg.reject();
}

// A folder chosen together with files is passed over: Add adds the files
// instead of entering the folder; a folder alone is entered.
TEST_F(FileDialogsTest, FolderBesideChosenFilesIsPassedOver) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  ASSERT_TRUE(MakeFiles(dir, {"a.c", "sub/b.c"}));
  ProjectRec* p = OpenProject((dir.path() + "/demo.pm2").toLocal8Bit().constData());
  std::vector<std::string> added;
  AddFilesDialog dlg("Source Group 1", ProjectAddFilesFilter(p, false), dir.path());
  dlg.SetAdder(Recorder(&added));
  dlg.show();
  dlg.selectNameFilter(dlg.nameFilters().back());
  auto* model = dlg.findChild<QFileSystemModel*>();
  auto* view = dlg.findChild<QListView*>("listView");
  ASSERT_NE(model, nullptr);
  ASSERT_NE(view, nullptr);
  const QModelIndex folder = model->index(dir.path());
  QElapsedTimer t;
  t.start();
  while (model->rowCount(folder) < 2 && t.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_EQ(model->rowCount(folder), 2) << "the folder's entries are listed";
  QItemSelection both;
  for (const char* n : {"sub", "a.c"}) {
    const QModelIndex i = model->index(dir.filePath(n));
    both.select(i, i);
  }
  view->selectionModel()->select(both, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  dlg.accept();
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0], dir.filePath("a.c").toStdString());
  EXPECT_EQ(QDir(dlg.directory()).canonicalPath(), QDir(dir.path()).canonicalPath()) << "the folder is not entered";
  // The folder alone is entered.
  const QModelIndex sub = model->index(dir.filePath("sub"));
  view->selectionModel()->select(sub, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  dlg.accept();
  EXPECT_EQ(added.size(), 1u);
  EXPECT_EQ(QDir(dlg.directory()).canonicalPath(), QDir(dir.filePath("sub")).canonicalPath());
  dlg.reject();
}

TEST_F(FileDialogsTest, FileTypeDialogOffersCppOnlyFor166) {
  FileTypeDialog d51("x.q", "", 0, false);
  EXPECT_EQ(d51.Types()->count(), 6);
  FileTypeDialog d166("x.q", "", 0, true);
  ASSERT_EQ(d166.Types()->count(), 7);
  d166.show();
  d166.Types()->setCurrentIndex(5);
  EXPECT_EQ(d166.ChosenType(), kFileCustom);
  SendKey(&d166, Qt::Key_Escape);
  EXPECT_TRUE(d166.isVisible()) << "Escape only beeps";
  EXPECT_EQ(shell.beeps, 1);
  EXPECT_EQ(d166.windowTitle(), "Select File Type for 'x.q'");
}

TEST_F(FileDialogsTest, FileTypesPageStoresEditedAndUnsetFilters) {
  ProjectRec* p = OpenProject();
  p->filters[kFilterAsm] = OptString("*.w51");
  p->filters[kFilterPlm] = OptString();
  FileTypesPage page(p);
  EXPECT_EQ(page.Edit(1)->text(), "*.w51");
  EXPECT_EQ(page.Edit(5)->text(), "*.plm");
  page.show();
  page.Edit(0)->setFocus();
  page.Edit(0)->selectAll();
  TypeText(page.Edit(0), "*.c  ;*.h");
  EXPECT_FALSE(page.Confirm());
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "Invalid Filter - Example: '*.asm; *.a; *.s'");
  page.Edit(0)->selectAll();
  TypeText(page.Edit(0), "*.c; *.h");
  EXPECT_TRUE(page.Confirm());
  EXPECT_EQ(p->filters[kFilterC].str(), "*.c; *.h");
  EXPECT_EQ(p->filters[kFilterPlm].str(), "*.plm") << "an unset filter gets its default";
  EXPECT_EQ(p->filters[kFilterAsm].str(), "*.w51");
}

// The options file keeps a filter in parentheses: one with a bracket
// without its partner would read back as another ("*.c;*.x)" as "*.c;*.x",
// "*.lib;*.l(" as "*.lib;*.l()"), so it is refused naming its field.
TEST_F(FileDialogsTest, FileTypesPageRefusesAFilterTheOptionsFileCannotHold) {
  const struct {
    const char* name;
    int edit;
    int filter;
    const char* typed;
    const char* message;  // "" when stored
  } rows[] = {
      {"ClosingParenthesis", 0, kFilterC, "*.c;*.x)",
       "The text of 'C Source' cannot be stored: it holds a ')' without its '('."},
      {"OpeningParenthesis", 3, kFilterLibrary, "*.lib;*.l(",
       "The text of 'Library' cannot be stored: it holds a '(' without its ')'."},
      {"Balanced", 3, kFilterLibrary, "*.lib;*.l(1)", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ProjectRec* p = OpenProject();
    const std::string before = p->filters[r.filter].str();
    shell.boxes.clear();
    FileTypesPage page(p);
    page.show();
    page.Edit(r.edit)->setFocus();
    page.Edit(r.edit)->selectAll();
    TypeText(page.Edit(r.edit), r.typed);
    EXPECT_EQ(page.Confirm(), *r.message == '\0');
    if (*r.message) {
      EXPECT_EQ(shell.boxes, std::vector<std::string>{r.message});
      EXPECT_EQ(p->filters[r.filter].str(), before);
    } else {
      EXPECT_TRUE(shell.boxes.empty());
      EXPECT_EQ(p->filters[r.filter].str(), r.typed);
    }
  }
}

TEST_F(FileDialogsTest, BooksWindowOpensBooksButNotCategories) {
  EnvironmentInfo env;
  env.generalBooks = {{"/opt/pm2/doc/ide.pdf", "IDE Guide", 7}};
  env.toolsets[3] = std::make_unique<ToolsetInfo>();
  env.toolsets[3]->rootFolder = "/opt/pm2/ARM/";
  env.toolsets[3]->books = {{"HLP/gnu.pdf", "GNU Tools", 6}};
  ProjectRec* p = OpenProject();
  p->curTarget->toolset = 3;
  BookView view;
  view.resize(240, 200);
  std::vector<std::string> opened;
  bool succeed = true;
  view.SetOpener([&](const std::string& path) {
    opened.push_back(path);
    return succeed;
  });
  view.Fill(&env, p);
  view.show();
  HTREEITEM category = view.Tree()->GetRootItem();
  ASSERT_NE(category, nullptr);
  EXPECT_EQ(view.Tree()->GetItemText(category), "Pelmora2");
  view.Tree()->SelectItem(category);
  view.OpenSelectedBook();
  EXPECT_TRUE(opened.empty()) << "a category node opens nothing";
  SECTreeCtrl* tree = view.Tree();
  HTREEITEM gnu = nullptr;
  for (HTREEITEM c = tree->GetRootItem(); c && !gnu; c = tree->GetNextSiblingItem(c))
    for (HTREEITEM b = tree->GetChildItem(c); b && !gnu; b = tree->GetNextSiblingItem(b))
      if (tree->GetItemText(b) == "GNU Tools") gnu = b;
  ASSERT_NE(gnu, nullptr);
  tree->SelectItem(gnu);
  succeed = false;
  view.OpenSelectedBook();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "/opt/pm2/ARM/HLP/gnu.pdf");
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], "Can't open file '/opt/pm2/ARM/HLP/gnu.pdf'");
}

}  // namespace
}  // namespace pm2

#include "project/dialogs/old_project_import.h"
#include "project/import/old_ini_import.h"
#include "project/model/option_defaults.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {
namespace {

TEST_F(FileDialogsTest, OldProjectImportChecksFolderAndReports) {
  QTemporaryDir dir, other;
  for (QTemporaryDir* d : {&dir, &other}) {
    QFile f(d->filePath("old.prj"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[PROJ]\r\nF=main.c\xFF" "3 0 1\r\n");
  }
  ProjectRec* p = OpenProject((dir.path() + "/new.pm2").toLocal8Bit().constData());
  p->curTarget->toolset = 3;
  ResetTargetOptions(p->curTarget, kToolsetUndefined);
  QString pick = other.filePath("old.prj");
  SetPicker([&](const PickerRequest& r) -> std::optional<QString> {
    EXPECT_EQ(r.title, "Import Pelmora1 Project");
    return pick;
  });
  EXPECT_FALSE(RunOldProjectImport(nullptr, p));
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0], kOldIniNotInProjectFolder);
  pick = dir.filePath("old.prj");
  EXPECT_TRUE(RunOldProjectImport(nullptr, p));
  ASSERT_EQ(shell.boxes.size(), 2u);
  EXPECT_EQ(shell.boxes[1], kOldIniImportDone);
  ASSERT_NE(p->firstGroup->firstFile, nullptr);
  EXPECT_EQ(p->firstGroup->firstFile->name.str(), "main.c");
  SetPicker(nullptr);
}

}  // namespace
}  // namespace pm2
