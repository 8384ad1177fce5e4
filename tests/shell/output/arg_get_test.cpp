// The tool argument dialog: its caption, the prepared line, the typing
// limit, OK and Cancel.

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "shell/output/arg_get.h"
#include "shell/output/output_test_support.h"

namespace pm2 {
namespace {

// Runs the dialog modally; `act` runs once it is open.
int RunDialog(CArgGet& dialog, std::function<void()> act) {
  QTimer::singleShot(0, &dialog, [&] {
    act();
  });
  return dialog.exec();
}

QPushButton* Button(CArgGet& dialog, QDialogButtonBox::StandardButton which) {
  return dialog.findChild<QDialogButtonBox*>()->button(which);
}

TEST(ArgGet, OkReturnsTheEditedLineWithItsLength) {
  TestApp();
  CArgGet dialog;
  dialog.m_toolName = "PC-Lint";
  dialog.m_prepared = "-i\"C:\\Lint\" main.c";
  QString caption, shown;
  const int result = RunDialog(dialog, [&] {
    caption = dialog.windowTitle();
    shown = dialog.Edit()->text();
    dialog.Edit()->end(false);
    QTest::keyClicks(dialog.Edit(), " -v");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(caption, "Application - PC-Lint");
  EXPECT_EQ(shown, "-i\"C:\\Lint\" main.c");
  EXPECT_EQ(dialog.m_result, "-i\"C:\\Lint\" main.c -v");
  EXPECT_EQ(dialog.m_resultLength, int(dialog.m_result.size()));
}

TEST(ArgGet, CancelLeavesTheResultEmptyEvenAfterAnEarlierOk) {
  TestApp();
  CArgGet dialog;
  dialog.m_toolName = "Tool";
  dialog.m_prepared = "first";
  RunDialog(dialog, [&] { dialog.accept(); });
  ASSERT_EQ(dialog.m_result, "first");
  dialog.m_prepared = "second";
  const int result = RunDialog(dialog, [&] {
    QTest::keyClicks(dialog.Edit(), "typed");
    QTest::mouseClick(Button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(dialog.m_result, "");
  EXPECT_EQ(dialog.m_resultLength, 0);
}

struct LimitRow {
  const char* name;
  int preparedLength;
  int typed;
  int expectedLength;
};

class ArgLimit : public ::testing::TestWithParam<LimitRow> {};

TEST_P(ArgLimit, TypingStopsAt255ButALongerPreparedLineStaysWhole) {
  TestApp();
  CArgGet dialog;
  dialog.m_prepared = std::string(size_t(GetParam().preparedLength), 'p');
  RunDialog(dialog, [&] {
    dialog.Edit()->end(false);
    for (int i = 0; i < GetParam().typed; ++i) QTest::keyClick(dialog.Edit(), Qt::Key_X);
    dialog.accept();
  });
  EXPECT_EQ(dialog.m_resultLength, GetParam().expectedLength);
}

INSTANTIATE_TEST_SUITE_P(Rows, ArgLimit,
                         ::testing::Values(LimitRow{"ShortLineGrowsToTheLimit", 250, 10, 255},
                                           LimitRow{"AtTheLimitNothingMore", 255, 3, 255},
                                           LimitRow{"LongerPreparedLineShownWhole", 300, 0, 300},
                                           LimitRow{"LongerPreparedLineCannotGrow", 300, 5, 300},
                                           LimitRow{"ResultKeepsAtMost511", 600, 0, 511}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArgGet, ALongerPreparedLineCanBeShortened) {
  TestApp();
  CArgGet dialog;
  dialog.m_prepared = std::string(300, 'p');
  RunDialog(dialog, [&] {
    dialog.Edit()->end(false);
    QTest::keyClick(dialog.Edit(), Qt::Key_Backspace);
    QTest::keyClick(dialog.Edit(), Qt::Key_Backspace);
    QTest::keyClick(dialog.Edit(), Qt::Key_X);  // still longer than 255: refused
    dialog.accept();
  });
  EXPECT_EQ(dialog.m_result, std::string(298, 'p'));
}

}  // namespace
}  // namespace pm2
