// The line input and the go-to-line dialog, driven with QTest.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "shell/app/line_input_rules.h"
#include "shell/app/window_registry.h"
#include "shell/windows/goto_line_dialog.h"
#include "shell/windows/line_input_dialog.h"
#include "shell/windows/window_tracking.h"

namespace pm2 {
namespace {

TEST(LineInputDialogTest, OkKeepsTheTextWithoutLeadingBlanks) {
  LineInputDialog d("Enter address");
  EXPECT_EQ(d.windowTitle(), "Enter address");
  d.show();
  QTest::keyClicks(d.Edit(), "   0x1000 + 4");
  QTest::mouseClick(d.OkButton(), Qt::LeftButton);
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.Result(), "0x1000 + 4");
  EXPECT_EQ(d.ResultLength(), 10);
}

TEST(LineInputDialogTest, CancelGivesLengthZero) {
  LineInputDialog d("Enter address");
  d.show();
  QTest::keyClicks(d.Edit(), "main");
  QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.ResultLength(), 0);
}

TEST(LineInputDialogTest, EditTakesSixtyFourCharacters) {
  LineInputDialog d("x");
  d.show();
  QTest::keyClicks(d.Edit(), QString(70, 'a'));
  EXPECT_EQ(d.Edit()->text().size(), 64);
}

TEST(LineInputDialogTest, RunReturnsTheTextOnEnter) {
  std::string text;
  QTimer::singleShot(0, [] {
    auto* d = qobject_cast<LineInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    QTest::keyClicks(d->Edit(), " value");
    QTest::keyClick(d->Edit(), Qt::Key_Return);
  });
  EXPECT_TRUE(LineInputDialog::Run("Prompt", &text));
  EXPECT_EQ(text, "value");
}

struct ResultRow {
  const char* name;
  std::string edit;
  std::string kept;
};

class LineInputRule : public ::testing::TestWithParam<ResultRow> {};

TEST_P(LineInputRule, KeepsWhatOkKeeps) { EXPECT_EQ(LineInputResult(GetParam().edit), GetParam().kept); }

INSTANTIATE_TEST_SUITE_P(Rows, LineInputRule,
                         ::testing::Values(ResultRow{"Plain", "abc", "abc"},
                                           ResultRow{"LeadingBlanks", "  a b ", "a b "},
                                           ResultRow{"OnlyBlanks", "   ", ""},
                                           ResultRow{"CutTo77", std::string(80, 'x'), std::string(77, 'x')},
                                           ResultRow{"CutBeforeTrim", std::string(5, ' ') + std::string(80, 'y'),
                                                     std::string(72, 'y')}),
                         [](const auto& info) { return std::string(info.param.name); });

class FakeView : public GotoLineTarget {
 public:
  bool HasActiveEditorView() override { return hasView; }
  bool GoToLine(long line) override {
    jumps.push_back(line);
    return line <= lines;
  }
  bool hasView = true;
  long lines = 500;
  std::vector<long> jumps;
};

class GotoLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = new GotoLineDialog(view, [this] { ++beeps; });
    dialog->show();
  }
  void TearDown() override { delete dialog.data(); }
  void Type(const QString& text) {
    dialog->Edit()->clear();
    QTest::keyClicks(dialog->Edit(), text);
  }
  void Press() { QTest::mouseClick(dialog->GoButton(), Qt::LeftButton); }

  FakeView view;
  QPointer<GotoLineDialog> dialog;
  int beeps = 0;
};

struct GotoRow {
  const char* name;
  const char* typed;
  long jump;  // 0: no jump
  int beeps;
};

class GotoLineEntry : public GotoLineTest, public ::testing::WithParamInterface<GotoRow> {};

TEST_P(GotoLineEntry, JumpsOrBeeps) {
  Type(GetParam().typed);
  Press();
  if (GetParam().jump)
    EXPECT_EQ(view.jumps, std::vector<long>{GetParam().jump});
  else
    EXPECT_TRUE(view.jumps.empty());
  EXPECT_EQ(beeps, GetParam().beeps);
  EXPECT_TRUE(dialog->isVisible());  // it stays open for the next jump
  EXPECT_EQ(dialog->Edit()->selectedText(), dialog->Edit()->text());
}

INSTANTIATE_TEST_SUITE_P(Rows, GotoLineEntry,
                         ::testing::Values(GotoRow{"Line", "42", 42, 0}, GotoRow{"Zero", "0", 0, 1},
                                           GotoRow{"Letters", "abc", 0, 1}, GotoRow{"Blank", "1 2", 0, 1},
                                           GotoRow{"Empty", "", 0, 1},
                                           GotoRow{"RefusedByTheView", "9999", 9999, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GotoLineTest, WithoutAnEditorViewItBeeps) {
  view.hasView = false;
  Type("5");
  Press();
  EXPECT_TRUE(view.jumps.empty());
  EXPECT_EQ(beeps, 1);
}

TEST_F(GotoLineTest, EnterAndEscapeDoNothing) {
  Type("7");
  QTest::keyClick(dialog->Edit(), Qt::Key_Return);
  QTest::keyClick(dialog->Edit(), Qt::Key_Escape);
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(view.jumps.empty());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(GotoLineTest, EditTakesTenCharacters) {
  Type("123456789012");
  EXPECT_EQ(dialog->Edit()->text(), "1234567890");
}

TEST_F(GotoLineTest, ClosingDestroysTheDialogAndTheRegistryForgetsIt) {
  WindowRegistry registry;
  TrackWindow(registry, WindowSlot::GotoLineDlg, dialog);
  EXPECT_TRUE(registry.IsOpen(WindowSlot::GotoLineDlg));
  dialog->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(dialog.isNull());
  EXPECT_FALSE(registry.IsOpen(WindowSlot::GotoLineDlg));
}

}  // namespace
}  // namespace pm2
