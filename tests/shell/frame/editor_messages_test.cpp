// The editor's messages in the running frame: each one the engine or the
// text reports reaches the user as a message box with the exclamation
// icon (the program's own boxes, not a test's recorder).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "editor/engine/edit_commands.h"
#include "editor/ide/editor_view.h"
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

}  // namespace
}  // namespace pm2
