// The editor's messages in the running frame: each one the engine or the
// text reports reaches the user as a message box with the exclamation
// icon (the program's own boxes, not a test's recorder).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QCheckBox>
#include <QPushButton>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "editor/engine/edit_commands.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/find_dialog.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_fixture.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

struct MessageRow {
  const char* name;
  // Brings the message about in the frame started on the example in `dir`.
  void (*act)(CMainFrame* f, const std::string& dir);
  const char* text;
};

EditorView* OpenText(CMainFrame* f, const std::string& path) {
  f->OpenFileAndShow(path, 0, 0);
  return f->Editors().Active();
}

const MessageRow kMessageRows[] = {
    {"NotFound",
     [](CMainFrame* f, const std::string& dir) {
       if (EditorView* v = OpenText(f, dir + "Blinky.c")) v->Engine().FindText("zq_nowhere", true);
     },
     "Cannot find the string 'zq_nowhere'."},
    {"ReplacePassFinished",
     [](CMainFrame* f, const std::string& dir) {
       EditorView* v = OpenText(f, dir + "Blinky.c");
       if (!v) return;
       EditShared& shared = v->Engine().Shared();
       shared.find.text = "main";
       shared.find.forward = true;
       shared.find.wrap = true;
       shared.replacement = "main";
       for (int i = 0; i < 100 && v->Engine().ReplaceNext() == EditEngine::FindOutcome::kFound; ++i) {
       }
     },
     "The search for 'main' is finished."},
    {"LineTooLong",
     [](CMainFrame* f, const std::string& dir) {
       std::ofstream(dir + "full.txt") << std::string(2047, 'x') << "\n";
       if (EditorView* v = OpenText(f, dir + "full.txt")) QTest::keyClicks(v, "a");
     },
     "The operation cannot be completed: the maximum line length is exceeded."},
    {"ReadOnly",
     [](CMainFrame* f, const std::string& dir) {
       std::ofstream(dir + "locked.txt") << "one\ntwo\n";
       fs::permissions(dir + "locked.txt", fs::perms::owner_read | fs::perms::group_read);
       EditorView* v = OpenText(f, dir + "locked.txt");
       if (!v) return;
       v->Engine().RunCommand(kCmdSelectAll);
       f->ExecuteCommand(kCmdIndentBlock);
     },
     "The file is read-only."},
    {"ClipboardEmpty",
     [](CMainFrame* f, const std::string& dir) {
       EditorView* v = OpenText(f, dir + "Blinky.c");
       QGuiApplication::clipboard()->clear();
       // The command is greyed then; a clipboard emptied by its owner
       // between the check and the paste meets the same words.
       if (v) v->Engine().Paste();
     },
     "The clipboard is empty or cannot be opened."},
    {"LinesCut",
     [](CMainFrame* f, const std::string& dir) {
       std::ofstream(dir + "wide.txt") << std::string(3000, 'y') << "\n";
       OpenText(f, dir + "wide.txt");
     },
     "Lines longer than 2048 characters will be cut."},
};

class EditorMessages : public test::ExampleFrameTest, public ::testing::WithParamInterface<MessageRow> {};

TEST_P(EditorMessages, AreShownInABoxWithTheExclamationIcon) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  test::BoxAnswers boxes({QMessageBox::Ok});
  GetParam().act(f, dir);
  ASSERT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
  EXPECT_EQ(boxes.texts, std::vector<std::string>{GetParam().text});
  EXPECT_EQ(boxes.icons.front(), QMessageBox::Warning);
}

INSTANTIATE_TEST_SUITE_P(Rows, EditorMessages, ::testing::ValuesIn(kMessageRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The Find dialog tells an invalid expression (Find Next, Mark All) in a
// box of its own, not the frame's: when the box closes the keyboard is
// back in the dialog's field, where the user mends the expression, and not
// in the document under it, where the keys would change the text.
struct FindBoxRow {
  const char* name;
  const char* button;
};

const FindBoxRow kFindBoxRows[] = {{"FindNext", "&Find Next"}, {"MarkAll", "&Mark All"}};

class FindDialogBox : public test::ExampleFrameTest, public ::testing::WithParamInterface<FindBoxRow> {};

TEST_P(FindDialogBox, IsTheDialogsAndTheKeyboardGoesBackToItsField) {
  test::ExampleSession s(dir, root);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  EditorView* v = OpenText(f, dir + "Blinky.c");
  ASSERT_NE(v, nullptr);
  v->RunViewCommand(kCmdEditFind);
  EditFindDialog* d = v->FindDialog();
  ASSERT_NE(d, nullptr);
  d->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(d));
  QPushButton* button = nullptr;
  for (QPushButton* b : d->findChildren<QPushButton*>())
    if (b->text() == GetParam().button) button = b;
  ASSERT_NE(button, nullptr);
  d->FindCombo()->setFocus();
  d->FindCombo()->setCurrentText("Serial(Init");
  d->RegexBox()->setChecked(true);
  test::BoxAnswers boxes({QMessageBox::Ok});
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"The regular expression 'Serial(Init' is no valid regular expression: "
                                                  "a '(' without its ')' (at column 7)."});
  EXPECT_EQ(boxes.owners.front().data(), static_cast<QWidget*>(d)) << "the box belongs to the frame";
  ASSERT_TRUE(v->IsFindDialogOpen());
  EXPECT_TRUE(test::WaitFor([&] {
    QWidget* focus = QApplication::focusWidget();
    return QApplication::activeWindow() == d && focus && d->FindCombo()->isAncestorOf(focus);
  })) << "the keyboard went to " << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString() : "nobody");
}

INSTANTIATE_TEST_SUITE_P(Rows, FindDialogBox, ::testing::ValuesIn(kFindBoxRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
