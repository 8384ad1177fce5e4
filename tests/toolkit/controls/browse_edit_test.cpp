// Browse edits on the offscreen platform: the "..." button beside the edit,
// and the picker (replaced through SetPicker) filling or leaving the text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "toolkit/controls/browse_edit.h"

namespace pm2 {
namespace {

void EnsureBrowseEditApp() {
  static int argc = 1;
  static char name[] = "toolkit_edits_test";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
  }
}

// Records what the picker was asked and answers with a chosen path (or
// nothing, as Cancel does).
struct FakePicker {
  std::vector<PickerRequest> requests;
  std::optional<QString> answer;
};

class BrowseEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureBrowseEditApp();
    dialogPtr = std::make_unique<QDialog>();
    dialog = dialogPtr.get();
    SetPicker([this](const PickerRequest& r) {
      picker.requests.push_back(r);
      return picker.answer;
    });
    root = std::filesystem::temp_directory_path() / ("pm2_browse_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "sub");
    std::ofstream(root / "sub" / "main.c") << "int x;\n";
  }
  void TearDown() override {
    SetPicker(nullptr);
    std::filesystem::remove_all(root);
  }
  std::string Root() const { return root.string(); }

  FakePicker picker;
  std::filesystem::path root;
  std::unique_ptr<QDialog> dialogPtr;  // made after the application exists
  QDialog* dialog = nullptr;
};

TEST_F(BrowseEditTest, ButtonTakesTheRightmostPixelsAndFollowsTheEdit) {
  auto* edit = new SECBrowseDirEdit(dialog);
  edit->setGeometry(10, 20, 200, 22);
  ASSERT_TRUE(edit->Initialize());
  EXPECT_FALSE(edit->Initialize());  // one button per edit
  QPushButton* button = edit->Button();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "...");
  EXPECT_EQ(edit->geometry(), QRect(10, 20, 174, 22));
  EXPECT_EQ(button->geometry(), QRect(185, 20, 25, 22));  // ends where the edit used to
  EXPECT_EQ(button->parentWidget(), dialog);
  EXPECT_EQ(edit->nextInFocusChain(), button);

  dialog->show();
  EXPECT_TRUE(button->isVisible());
  edit->setEnabled(false);
  EXPECT_FALSE(button->isEnabled());
  edit->hide();
  EXPECT_FALSE(button->isVisible());
  edit->setEnabled(true);
  edit->show();
  EXPECT_TRUE(button->isEnabled());
  EXPECT_TRUE(button->isVisible());
}

TEST_F(BrowseEditTest, DisabledEditGetsADisabledButton) {
  auto* edit = new SECBrowseFileEdit(dialog);
  edit->setEnabled(false);
  ASSERT_TRUE(edit->Initialize());
  EXPECT_FALSE(edit->Button()->isEnabled());
  SECBrowseDirEdit orphan;  // no dialog to put a button in
  EXPECT_FALSE(orphan.Initialize());
  EXPECT_EQ(orphan.Button(), nullptr);
}

TEST_F(BrowseEditTest, FolderPickerStartsFromTheEditsText) {
  struct Row {
    const char* name;
    std::string text;
    std::string start;  // what the picker gets; "" = the current directory
  };
  const std::string sub = Root() + "/sub";
  const Row rows[] = {
      {"folder", sub, sub},
      {"folder with trailing separator", sub + "/", sub},
      {"folder with Windows separators", Root() + "\\sub\\", sub},
      {"mapped bare drive", "D:", Root() + "/"},
      {"mapped drive path", "D:\\sub", sub},
      {"unmapped drive", "Q:\\sub", ""},
      {"file, not a folder", sub + "/main.c", ""},
      {"missing folder", Root() + "/nope", ""},
      {"empty", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    picker.requests.clear();
    auto* edit = new SECBrowseDirEdit(dialog);
    edit->FileSystem().MapDrive('d', Root());
    edit->setText(QString::fromStdString(row.text));
    ASSERT_TRUE(edit->Initialize());
    edit->Button()->click();
    ASSERT_EQ(picker.requests.size(), 1u);
    const PickerRequest& r = picker.requests[0];
    EXPECT_EQ(r.kind, PickerRequest::Kind::Folder);
    EXPECT_EQ(r.owner, dialog);
    const QString expected = row.start.empty() ? QDir::currentPath() : QString::fromStdString(row.start);
    EXPECT_EQ(r.startFolder, expected);
    EXPECT_EQ(edit->text(), QString::fromStdString(row.text));  // cancelled: unchanged
    delete edit;
  }
}

TEST_F(BrowseEditTest, ChosenFolderReplacesTheTextWithOrWithoutSeparator) {
  auto* edit = new SECBrowseDirEdit(dialog);
  edit->SetTitle("Pick it");
  edit->setText("old");
  ASSERT_TRUE(edit->Initialize());
  picker.answer = QString::fromStdString(Root() + "/sub/");
  edit->Button()->click();
  EXPECT_EQ(picker.requests.at(0).title, "Pick it");
  EXPECT_EQ(edit->text(), QString::fromStdString(Root() + "/sub/"));  // classic mode keeps one separator

  edit->SetMode(0);
  edit->Button()->click();
  EXPECT_EQ(edit->text(), QString::fromStdString(Root() + "/sub"));  // shell mode drops it

  picker.answer.reset();
  edit->Button()->click();
  EXPECT_EQ(edit->text(), QString::fromStdString(Root() + "/sub"));
}

TEST_F(BrowseEditTest, FolderPickerWithoutAChoiceHasNoFolder) {
  SECDirSelectDlg dlg("t", nullptr, QString());
  EXPECT_EQ(dlg.GetFolder(), QString());
  EXPECT_EQ(dlg.DoModal(), 2);
  EXPECT_EQ(dlg.GetFolder(), QString());
  picker.answer = "/";
  EXPECT_EQ(dlg.DoModal(), 1);
  EXPECT_EQ(dlg.GetFolder(), "/");
}

TEST_F(BrowseEditTest, FilePickerStartsFromTheText) {
  struct Row {
    const char* name;
    std::string text;
    std::string folder;
    std::string file;
  };
  const std::string sub = Root() + "/sub";
  const Row rows[] = {
      {"existing file", sub + "/main.c", sub, "main.c"},
      {"file through a drive", "D:\\sub\\main.c", sub, "main.c"},
      {"folder", sub, sub, ""},
      {"missing file", sub + "/gone.c", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    picker.requests.clear();
    auto* edit = new SECBrowseFileEdit(dialog);
    edit->FileSystem().MapDrive('D', Root());
    edit->setText(QString::fromStdString(row.text));
    ASSERT_TRUE(edit->Initialize());
    edit->Button()->click();
    ASSERT_EQ(picker.requests.size(), 1u);
    const PickerRequest& r = picker.requests[0];
    EXPECT_EQ(r.kind, PickerRequest::Kind::OpenFile);
    EXPECT_EQ(r.owner, edit);
    EXPECT_EQ(r.startFolder, QString::fromStdString(row.folder));
    EXPECT_EQ(r.startFile, QString::fromStdString(row.file));
    delete edit;
  }
}

TEST_F(BrowseEditTest, FilePickerGetsFilterAndFillsTheEdit) {
  auto* edit = new SECBrowseFileEdit(dialog);
  edit->SetFilter("C source (*.c;*.h)|*.c;*.h|All files (*.*)|*.*||");
  edit->setText("kept");
  ASSERT_TRUE(edit->Initialize());
  edit->Button()->click();
  EXPECT_EQ(edit->text(), "kept");
  EXPECT_EQ(picker.requests.at(0).filter, "C source (*.c *.h);;All files (*)");
  picker.answer = QString::fromStdString(Root() + "/sub/main.c");
  edit->Button()->click();
  EXPECT_EQ(edit->text(), *picker.answer);
}

}  // namespace
}  // namespace pm2
