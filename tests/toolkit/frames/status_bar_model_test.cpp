// The status bar's panes without a window: indicators, the send-once rule
// for texts, styles, stretch distribution and command updates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/core/resources.h"
#include "toolkit/frames/status_bar_model.h"
#include "toolkit/models/list_host.h"

namespace pm2 {
namespace {

constexpr CommandId kCap = 0xE701, kNum = 0xE702, kScrl = 0xE703, kOvr = 0xE704;

// Every character 6 pixels wide: "CAP" is 18, "SCRL" 24.
const char* kStrings =
    "STRING 59137 \"CAP\"\n"
    "STRING 59138 \"NUM\"\n"
    "STRING 59139 \"SCRL\"\n"
    "STRING 59140 \"OVR\"\n";

class Sink : public StatusBarSink {
 public:
  std::vector<int> sent;
  std::vector<std::vector<int>> parts;
  void TextSent(int index) override { sent.push_back(index); }
  void PartsSet(const std::vector<int>& r) override { parts.push_back(r); }
};

struct Bar {
  Sink sink;
  ResourceTables strings;
  FixedTextMeasurer measurer{6, 13};
  SECStatusBarModel model{&sink};
  Bar(std::vector<CommandId> ids, Size window, bool grip) {
    std::string err;
    EXPECT_TRUE(strings.Load(kStrings, "test strings", &err)) << err;
    model.SetWindow(window, grip);
    EXPECT_TRUE(model.SetIndicators(ids.data(), int(ids.size()), strings, measurer, 1024));
  }
  std::vector<int> Rights() const {
    std::vector<int> r;
    for (int i = 0; i < model.GetCount(); ++i) r.push_back(model.GetItemRect(i).right);
    return r;
  }
  std::vector<int> Lefts() const {
    std::vector<int> r;
    for (int i = 0; i < model.GetCount(); ++i) r.push_back(model.GetItemRect(i).left);
    return r;
  }
};

TEST(StatusBarModel, MessagePaneFirstStretchesWithoutBorders) {
  Bar bar({0, kCap}, {600, 22}, false);
  EXPECT_EQ(bar.model.GetPaneStyle(0), sbps::kNoBorders | sbps::kStretch);
  EXPECT_EQ(bar.model.GetPaneStyle(1), sbps::kNormal);
  EXPECT_EQ(bar.model.Pane(1).cxText, 18);
  // The message pane takes every pixel the other pane leaves.
  EXPECT_EQ(bar.model.GetItemRect(1).right, 600);
  EXPECT_EQ(bar.model.GetItemRect(1).Width(), 6 + 18);
  EXPECT_EQ(bar.model.GetItemRect(0).right + 2, bar.model.GetItemRect(1).left);
}

TEST(StatusBarModel, SeparatorAfterTheFirstNeitherStretchesNorLosesBorders) {
  Bar bar({kCap, 0}, {600, 22}, false);
  EXPECT_EQ(bar.model.GetPaneStyle(1), sbps::kNormal);
  EXPECT_EQ(bar.model.Pane(1).cxText, 1024 / 4);
}

// Named layouts: pane right edges for a window width, with or without the
// size grip (whose room is 2 border widths plus a scroll bar's width, 18).
struct LayoutRow {
  const char* name;
  std::vector<CommandId> ids;
  std::vector<int> stretchAlso;  // further panes given the stretch style
  int width;
  bool grip;
  std::vector<int> rights;
};

TEST(StatusBarModel, PaneLayoutRows) {
  const LayoutRow rows[] = {
      {"stretch pane fills the row", {0, kCap, kNum}, {}, 600, false, {548, 574, 600}},
      {"size grip takes its room at the right", {0, kCap, kNum}, {}, 600, true, {530, 556, 582}},
      {"too narrow: no stretch, panes keep their widths", {0, kCap, kNum}, {}, 200, false, {262, 288, 314}},
      {"two stretch panes: floor first, remainder last", {0, kCap, kNum}, {2}, 601, false, {405, 431, 601}},
      {"no stretch pane: widths only", {kCap, kScrl, kNum}, {}, 600, false, {24, 56, 82}},
      {"three stretch panes share evenly", {kCap, kNum, kOvr}, {0, 1, 2}, 301, false, {99, 200, 301}},
  };
  for (const LayoutRow& row : rows) {
    SCOPED_TRACE(row.name);
    Bar bar(row.ids, {row.width, 22}, row.grip);
    for (int i : row.stretchAlso) bar.model.SetPaneStyle(i, bar.model.GetPaneStyle(i) | sbps::kStretch);
    EXPECT_EQ(bar.Rights(), row.rights);
    // Panes never overlap: each starts one gap after the last.
    const std::vector<int> lefts = bar.Lefts();
    for (std::size_t i = 1; i < lefts.size(); ++i) EXPECT_EQ(lefts[i], row.rights[i - 1] + 2);
  }
}

TEST(StatusBarModel, PanesSitInsideTheVerticalBorders) {
  Bar bar({0, kCap}, {400, 24}, false);
  const Rect r = bar.model.GetItemRect(1);
  EXPECT_EQ(r.top, 2 + 2);       // top inset, then the window's border
  EXPECT_EQ(r.bottom, 24 - 2);
  EXPECT_TRUE(bar.model.GetItemRect(2).IsEmpty());
  EXPECT_TRUE(bar.model.GetItemRect(-1).IsEmpty());
}

TEST(StatusBarModel, StretchChangeLaysOutBeforeTheTextIsSentAgain) {
  Bar bar({kCap, kNum}, {300, 22}, false);
  bar.sink.parts.clear();
  bar.sink.sent.clear();
  bar.model.SetPaneStyle(1, sbps::kStretch);
  ASSERT_EQ(bar.sink.parts.size(), 1u);
  EXPECT_EQ(bar.sink.parts[0].back(), 300);
  EXPECT_EQ(bar.sink.sent, std::vector<int>{1});
  // A change of another bit sends the text again but lays nothing out.
  bar.model.SetPaneStyle(1, sbps::kStretch | sbps::kPopout);
  EXPECT_EQ(bar.sink.parts.size(), 1u);
  EXPECT_EQ(bar.sink.sent, (std::vector<int>{1, 1}));
  EXPECT_EQ(bar.model.Pane(1).shownStyle, sbps::kPopout);
  // The same style again changes nothing.
  bar.model.SetPaneStyle(1, sbps::kStretch | sbps::kPopout);
  EXPECT_EQ(bar.sink.sent.size(), 2u);
}

// Named sequences of SetPaneText calls on pane 1: how often the window is
// told and what it shows afterwards.
struct TextStep {
  const char* text;
  bool update;
};
struct TextRow {
  const char* name;
  std::vector<TextStep> steps;
  int sends;
  const char* shown;
  bool marked;
};

TEST(StatusBarModel, SendOnceRows) {
  const TextRow rows[] = {
      {"same text twice is sent once", {{"Ln 1", true}, {"Ln 1", true}}, 1, "Ln 1", false},
      {"a new text is sent again", {{"Ln 1", true}, {"Ln 2", true}}, 2, "Ln 2", false},
      {"without update only marked", {{"Ln 1", false}}, 0, "CAP", true},
      {"a marked text goes with the next update even if equal", {{"Ln 1", false}, {"Ln 1", true}}, 1, "Ln 1", false},
      {"the text it already has sends nothing", {{"CAP", true}}, 0, "CAP", false},
      {"an empty text clears the pane", {{"", true}}, 1, "", false},
  };
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.name);
    Bar bar({0, kCap}, {300, 22}, false);
    bar.sink.sent.clear();
    for (const TextStep& s : row.steps) EXPECT_TRUE(bar.model.SetPaneText(1, s.text, s.update));
    EXPECT_EQ(int(bar.sink.sent.size()), row.sends);
    EXPECT_EQ(bar.model.Pane(1).shown, row.shown);
    EXPECT_EQ(bar.model.Pane(1).needsSend, row.marked);
  }
}

TEST(StatusBarModel, MarkedTextsGoOutWithTheNextTextUpdate) {
  Bar bar({0, kCap, kNum}, {300, 22}, false);
  bar.sink.sent.clear();
  bar.model.SetPaneText(0, "Ready", false);
  bar.model.SetPaneText(2, "num", false);
  bar.model.UpdateAllPanes(true, false);
  EXPECT_TRUE(bar.sink.sent.empty());
  bar.model.UpdateAllPanes(false, true);
  EXPECT_EQ(bar.sink.sent, (std::vector<int>{0, 2}));
  EXPECT_EQ(bar.model.Pane(0).shown, "Ready");
  bar.model.UpdateAllPanes(false, true);
  EXPECT_EQ(bar.sink.sent.size(), 2u);
}

TEST(StatusBarModel, DisabledPaneKeepsItsTextButShowsNone) {
  Bar bar({0, kCap}, {300, 22}, false);
  bar.model.SetPaneStyle(1, sbps::kDisabled);
  EXPECT_EQ(bar.model.GetPaneText(1), "CAP");
  EXPECT_EQ(bar.model.Pane(1).shown, "");
  bar.model.SetPaneText(1, "CAPS", true);
  EXPECT_EQ(bar.model.Pane(1).shown, "");
  bar.model.SetPaneStyle(1, sbps::kNormal);
  EXPECT_EQ(bar.model.Pane(1).shown, "CAPS");
}

TEST(StatusBarModel, IndicatorsWithoutIdsGiveEmptyPanes) {
  Bar bar({}, {300, 22}, false);
  SECStatusBarModel& m = bar.model;
  EXPECT_TRUE(m.SetIndicators(nullptr, 3, bar.strings, bar.measurer, 1024));
  EXPECT_EQ(m.GetCount(), 3);
  EXPECT_EQ(m.GetPaneText(1), "");
  EXPECT_EQ(m.CommandToIndex(0), 0);
}

TEST(StatusBarModel, UnknownStringGivesAnEmptyNarrowPane) {
  Bar bar({0, 0xE7FF}, {300, 22}, false);
  EXPECT_EQ(bar.model.GetPaneText(1), "");
  EXPECT_EQ(bar.model.Pane(1).cxText, 0);
  EXPECT_EQ(bar.model.GetItemRect(1).Width(), 6);
}

TEST(StatusBarModel, BadIndexesAreRefusedQuietly) {
  Bar bar({0, kCap}, {300, 22}, false);
  EXPECT_FALSE(bar.model.SetPaneText(2, "x", true));
  EXPECT_FALSE(bar.model.SetPaneText(-1, "x", true));
  bar.model.SetPaneStyle(5, sbps::kPopout);
  EXPECT_EQ(bar.model.GetPaneStyle(5), 0u);
  EXPECT_EQ(bar.model.GetPaneText(7), "");
}

TEST(StatusBarModel, CommandToIndexFindsTheFirstPane) {
  Bar bar({0, kCap, kNum, kCap}, {300, 22}, false);
  EXPECT_EQ(bar.model.CommandToIndex(kCap), 1);
  EXPECT_EQ(bar.model.CommandToIndex(kNum), 2);
  EXPECT_EQ(bar.model.CommandToIndex(kOvr), -1);
}

TEST(StatusBarModel, WindowTextIsTheMessagePane) {
  Bar bar({kCap, 0, kNum}, {300, 22}, false);
  EXPECT_EQ(bar.model.SetWindowText("Building target 'Blinky'"), 0);
  EXPECT_EQ(bar.model.GetPaneText(1), "Building target 'Blinky'");
  EXPECT_EQ(bar.model.Pane(1).shown, "Building target 'Blinky'");
  EXPECT_EQ(bar.model.GetWindowTextLength(), 24);

  Bar noMessage({kCap, kNum}, {300, 22}, false);
  EXPECT_EQ(noMessage.model.SetWindowText("Ready"), -1);
  EXPECT_EQ(noMessage.model.GetWindowText(), "");
  EXPECT_EQ(noMessage.model.GetWindowTextLength(), 0);
}

TEST(StatusBarModel, HeightFollowsTheFontAndTheMinimum) {
  Bar bar({0}, {300, 22}, false);
  const Size a = bar.model.CalcFixedLayout(true, 13, 0);
  const Size b = bar.model.CalcFixedLayout(true, 16, 0);
  const Size lead = bar.model.CalcFixedLayout(true, 16, 3);
  EXPECT_EQ(b.cy - a.cy, 3);
  EXPECT_EQ(lead.cy, a.cy);
  EXPECT_EQ(a.cx, 32767);
  bar.model.SetMinHeight(a.cy + 10);
  EXPECT_EQ(bar.model.CalcFixedLayout(true, 13, 0).cy, a.cy + 10);
  EXPECT_EQ(bar.model.CalcFixedLayout(false, 13, 0), (Size{0, 0}));
  // One line of text and the pane borders fit between the insets.
  EXPECT_GE(a.cy - 2 - 2 * 2, 13);
}

TEST(StatusBarModel, GripSquareSitsInTheCorner) {
  Bar bar({0}, {300, 22}, true);
  EXPECT_EQ(bar.model.GripRect(), (Rect{284, 6, 300, 22}));
  Bar low({0}, {300, 12}, true);
  EXPECT_EQ(low.model.GripRect(), (Rect{290, 2, 300, 12}));
  Bar none({0}, {300, 22}, false);
  EXPECT_TRUE(none.model.GripRect().IsEmpty());
  EXPECT_EQ(none.model.InsideRect(), (Rect{0, 2, 300, 22}));
}

// Command updates: each pane asks the router for its command's state.
TEST(StatusBarModel, CommandUpdatesSetStylesAndTexts) {
  CommandTarget frame;
  frame.OnUpdate(kCap, [](CommandState& s) {
    s.Enable(true);
    s.SetCheck(1);
  });
  frame.OnUpdate(kScrl, [](CommandState& s) {
    s.Enable(true);
    s.SetText("SCROLL");
  });
  CommandRouter router;
  router.SetChain({&frame});

  Bar bar({0, kCap, kNum, kScrl}, {400, 22}, false);
  bar.model.UpdateCmdUI(router, false);
  EXPECT_EQ(bar.model.GetPaneStyle(1), sbps::kPopout);
  EXPECT_EQ(bar.model.GetPaneStyle(2), sbps::kNormal) << "no handler, not asked to disable";
  EXPECT_EQ(bar.model.Pane(3).shown, "SCROLL");

  bar.model.UpdateCmdUI(router, true);
  EXPECT_EQ(bar.model.GetPaneStyle(2), sbps::kDisabled);
  EXPECT_EQ(bar.model.Pane(2).shown, "");
  EXPECT_EQ(bar.model.GetPaneStyle(1), sbps::kPopout);
  EXPECT_EQ(bar.model.GetPaneText(0), "") << "the message pane is not updated";
}

}  // namespace
}  // namespace pm2
