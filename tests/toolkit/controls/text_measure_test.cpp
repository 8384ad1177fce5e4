// The label measurer's one-line width against a full text layout of the
// same line: the quick path must give the layout's result. And the choice
// of installed font families.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <string>
#include <vector>

#include "toolkit/qt_test_app.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/tab_controls.h"

namespace pm2 {
namespace {

using test::App;

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

// Families asked for by the tab strips: the installed ones are kept in
// order, a list with none installed is left to the font system's fallback.
struct FamiliesRow {
  const char* name;
  QStringList wanted;
  QStringList expected;  // "<installed>" stands for a family this machine has
};

class InstalledFamiliesRows : public testing::TestWithParam<FamiliesRow> {};

TEST_P(InstalledFamiliesRows, KeepsTheInstalledInOrder) {
  App();
  const QStringList families = QFontDatabase::families();
  ASSERT_GE(families.size(), 2);
  auto expand = [&](QStringList list) {
    for (QString& f : list) {
      if (f == "<installed>") f = families[0];
      else if (f == "<installed2>") f = families[1];
      else if (f == "<INSTALLED>") f = families[0].toUpper();
    }
    return list;
  };
  const FamiliesRow& row = GetParam();
  EXPECT_EQ(InstalledFamilies(expand(row.wanted)), expand(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstalledFamiliesRows,
    testing::Values(
        FamiliesRow{"MissingFirst", {"No Such Face 1", "<installed>"}, {"<installed>"}},
        FamiliesRow{"OrderKept", {"<installed2>", "No Such Face 1", "<installed>"}, {"<installed2>", "<installed>"}},
        FamiliesRow{"NoneInstalled", {"No Such Face 1", "No Such Face 2"}, {"No Such Face 1", "No Such Face 2"}},
        FamiliesRow{"CaseIgnored", {"<INSTALLED>"}, {"<INSTALLED>"}}, FamiliesRow{"Empty", {}, {}}),
    [](const testing::TestParamInfo<FamiliesRow>& info) { return std::string(info.param.name); });

// A family is found whatever way the machine lists it: once plain, or
// once per foundry with the foundry in brackets; a name asked for may carry
// a foundry too.
struct ListedRow {
  const char* name;
  const char* family;
  bool expected;
};

class FamilyListedRows : public testing::TestWithParam<ListedRow> {};

TEST_P(FamilyListedRows, ComparesTheFamilies) {
  const QStringList listed{"C059 [urw]", "C059 [UKWN]", "DejaVu Sans", "Nimbus Sans [URW ]", "Nimbus Sans [UKWN]"};
  EXPECT_EQ(FamilyListed(listed, GetParam().family), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FamilyListedRows,
    testing::Values(ListedRow{"ListedWithItsFoundry", "C059 [urw]", true},
                    ListedRow{"ListedWithTheOtherFoundry", "C059 [UKWN]", true},
                    ListedRow{"FamilyWithoutFoundry", "C059", true},
                    ListedRow{"FoundryInOtherCase", "c059 [URW]", true},
                    ListedRow{"FoundryTheMachineLacks", "C059 [zzz]", true},
                    ListedRow{"ListedPlain", "DejaVu Sans", true},
                    ListedRow{"FoundryOnAFamilyListedPlain", "DejaVu Sans [urw]", true},
                    ListedRow{"FoundryWithABlank", "Nimbus Sans [URW ]", true},
                    ListedRow{"OnlyTheStartOfAFamily", "DejaVu", false},
                    ListedRow{"ALongerFamily", "Nimbus Sans Narrow", false},
                    ListedRow{"ALongerFamilyWithFoundry", "Nimbus Sans Narrow [urw]", false},
                    ListedRow{"Empty", "", false}),
    [](const testing::TestParamInfo<ListedRow>& info) { return std::string(info.param.name); });

// The classic tab strip's font size: the largest whose line height fits the
// cell, found with as few sizes tried as the heights allow.
struct FitRow {
  const char* name;
  int heightPer100;  // line height = size * this / 100, rounded up
  int expected;
  int tries;  // sizes whose height was asked for
};

class LargestSizeFittingRows : public testing::TestWithParam<FitRow> {};

TEST_P(LargestSizeFittingRows, TakesTheLargestThatFits) {
  const FitRow& row = GetParam();
  std::vector<int> asked;
  const int size = LargestSizeFitting(15, 7, [&](int px) {
    asked.push_back(px);
    return (px * row.heightPer100 + 99) / 100;
  });
  EXPECT_EQ(size, row.expected);
  EXPECT_EQ(int(asked.size()), row.tries);
  // What a walk down from the cell would choose.
  int walk = 15;
  while (walk > 7 && (walk * row.heightPer100 + 99) / 100 > 15) --walk;
  EXPECT_EQ(size, walk);
}

INSTANTIATE_TEST_SUITE_P(Rows, LargestSizeFittingRows,
                         testing::Values(FitRow{"CellFits", 100, 15, 2}, FitRow{"OneBelowTheCell", 105, 14, 2},
                                         FitRow{"NarrowFace", 110, 13, 2}, FitRow{"Wider", 120, 12, 3},
                                         FitRow{"WiderStill", 130, 11, 4}, FitRow{"NothingFits", 300, 7, 8},
                                         FitRow{"OnlyTheSmallest", 210, 7, 8}),
                         [](const testing::TestParamInfo<FitRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
