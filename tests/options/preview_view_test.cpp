// The command-line preview changes only the characters that differ from
// the line it shows; what a user sees afterwards must be what the line set
// whole with setPlainText shows: the same text, no selection, the cursor
// and the view at the start.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextCursor>

#include "options/pages/preview_view.h"
#include "toolkit/qt_test_app.h"

namespace pm2 {
namespace {

struct ChangeRow {
  const char* name;
  QString before;
  QString after;
};

QString Long(const char* word, int times) {
  QString s;
  for (int i = 0; i < times; ++i) s += QString("%1_%2 ").arg(word).arg(i);
  return s;
}

class PreviewViewChange : public testing::TestWithParam<ChangeRow> {};

TEST_P(PreviewViewChange, ShowsWhatTheWholeLineShows) {
  test::App();
  const ChangeRow& row = GetParam();
  PreviewView ours;
  PreviewView whole;  // the same view, each line set whole as Qt sets it
  for (PreviewView* v : {&ours, &whole}) {
    v->setFixedSize(160, 60);
    v->show();
  }
  ours.SetText(row.before);
  whole.setPlainText(row.before);
  QApplication::processEvents();
  // The user selected part of the line and scrolled down.
  for (PreviewView* v : {&ours, &whole}) {
    const int end = v->document()->characterCount() - 1;
    QTextCursor c(v->document());
    c.setPosition(std::min(3, end));
    c.setPosition(std::min(9, end), QTextCursor::KeepAnchor);
    v->setTextCursor(c);
    v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum());
  }
  ours.SetText(row.after);
  whole.setPlainText(row.after);
  QApplication::processEvents();
  EXPECT_EQ(ours.Text(), row.after);
  EXPECT_EQ(ours.toPlainText(), whole.toPlainText());
  EXPECT_EQ(ours.document()->blockCount(), whole.document()->blockCount());
  EXPECT_EQ(ours.textCursor().position(), whole.textCursor().position());
  EXPECT_EQ(ours.textCursor().hasSelection(), whole.textCursor().hasSelection());
  EXPECT_EQ(ours.verticalScrollBar()->value(), whole.verticalScrollBar()->value());
  EXPECT_EQ(ours.verticalScrollBar()->maximum(), whole.verticalScrollBar()->maximum());
  EXPECT_FALSE(ours.document()->isUndoAvailable());
}

// A line the builder made is shown as its local 8-bit text; the same line
// again after a text set another way is shown again.
TEST(PreviewViewLine, ShowsTheBuildersLineAfterAnyOtherText) {
  test::App();
  PreviewView view;
  view.SetLine("-c -DLED");
  EXPECT_EQ(view.toPlainText(), "-c -DLED");
  view.SetLine("-c -DLEDX");
  EXPECT_EQ(view.toPlainText(), "-c -DLEDX");
  view.SetText("other");
  view.SetLine("-c -DLEDX");
  EXPECT_EQ(view.Text(), "-c -DLEDX");
  EXPECT_EQ(view.toPlainText(), "-c -DLEDX");
  view.SetLine("");
  EXPECT_EQ(view.toPlainText(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PreviewViewChange,
    testing::Values(
        ChangeRow{"CharacterTypedAtTheEnd", "-c -DLED", "-c -DLEDX"},
        ChangeRow{"CharacterTakenBackInTheMiddle", "-c -DLEDX -I./inc -o a.o", "-c -DLED -I./inc -o a.o"},
        ChangeRow{"RepeatedCharacterTyped", "-DAA -O2", "-DAAA -O2"},
        ChangeRow{"FirstCharacterChanged", "-c -O2", "+c -O2"},
        ChangeRow{"WholeLineReplaced", "abc", "xyz123"},
        ChangeRow{"FromEmpty", "", "-c -mcpu=arm7tdmi"},
        ChangeRow{"ToEmpty", "-c -mcpu=arm7tdmi", ""},
        ChangeRow{"LongLineThatScrolls", Long("NAME", 40) + "-O2", Long("NAME", 40) + "-O3 " + Long("MORE", 10)},
        ChangeRow{"LineBreaksAddedAndRemoved", "one\ntwo three", "one two\nthree\nfour"},
        ChangeRow{"CarriageReturnLineFeed", "one\r\ntwo", "one\r\ntwo three"},
        ChangeRow{"CarriageReturnGone", "one\r\ntwo", "one two"}),
    [](const testing::TestParamInfo<ChangeRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
