// The label measurer's one-line width against a full text layout of the
// same line: the quick path must give the layout's result.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <string>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);  // never destroyed, as Qt wants
  return *app;
}

struct MeasureRow {
  const char* name;
  std::string text;
};

class QtTextMeasurerLine : public testing::TestWithParam<MeasureRow> {};

TEST_P(QtTextMeasurerLine, GivesTheLaidOutWidth) {
  App();
  const MeasureRow& row = GetParam();
  QtTextMeasurer measurer(DefaultGuiFont());
  for (bool bold : {false, true}) {
    FontChoice choice;
    choice.bold = bold;
    const QFontMetrics fm(measurer.FontFor(choice));
    QString line = QString::fromLocal8Bit(row.text.data(), qsizetype(row.text.size()));
    line.truncate(line.indexOf('\n') >= 0 ? line.indexOf('\n') : line.size());
    line.truncate(259);
    const QRect laidOut = fm.boundingRect(QRect(0, 0, 100000, 1000), Qt::TextSingleLine | Qt::TextExpandTabs, line);
    const Size size = measurer.Measure(row.text, choice, 0, true);
    EXPECT_EQ(size.cx, laidOut.width()) << (bold ? "bold" : "normal");
    EXPECT_EQ(size.cy, fm.height());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, QtTextMeasurerLine,
    testing::Values(MeasureRow{"Plain", "main.c"}, MeasureRow{"Words", "Source Group 1"},
                    MeasureRow{"Tabs", "a\tb\t\tc"}, MeasureRow{"Mnemonic", "&Options for Target"},
                    MeasureRow{"DoubledAmpersand", "Save && Close"}, MeasureRow{"Empty", ""},
                    MeasureRow{"LeadingBlanks", "   indented"}, MeasureRow{"TrailingBlanks", "Target 1   "},
                    MeasureRow{"OnlyBlanks", "    "}, MeasureRow{"SecondLineDropped", "first\nsecond line"},
                    MeasureRow{"Punctuation", "STARTUP.S (ARM) [1]: {x}, 'y' - 100%"},
                    MeasureRow{"Long", std::string(400, 'W') + " and more"},
                    MeasureRow{"Umlauts", "Gr\xc3\xb6\xc3\x9f" "e.c"}, MeasureRow{"EndsInF", "Output of"},
                    MeasureRow{"EndsInY", "Memory"}, MeasureRow{"EndsInJ", "Proj"}, MeasureRow{"EndsInR", "Register"},
                    MeasureRow{"EndsInSlash", "src/"}, MeasureRow{"EndsInW", "Window"},
                    MeasureRow{"EndsInItalicLike", "Text /*"}, MeasureRow{"SingleT", "t"},
                    MeasureRow{"Digits", "0x00400000"}, MeasureRow{"EndsInQuote", "'abc'"},
                    MeasureRow{"StartsInJ", "jump"}, MeasureRow{"AmpersandLast", "Build &"}),
    [](const testing::TestParamInfo<MeasureRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
