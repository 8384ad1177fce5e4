#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QImage>
#include <algorithm>
#include <vector>

#include "toolkit/qt_test_app.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tab_controls.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/controls/wnd_plugin.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/core/theme.h"

namespace pm2 {
namespace {

using test::App;

// ------------------------------------------------ a visual style of our own

struct ThemeCall {
  int part = 0;
  int state = 0;
  Rect r;
};
std::vector<ThemeCall> g_drawn;
int g_opened = 0, g_closed = 0;
bool g_haveThemeData = true;
int g_token = 0;
std::vector<std::wstring> g_styledClasses = {L"Button"};

HTHEME FakeOpen(void*, const wchar_t* classList) {
  ++g_opened;
  const bool known = std::find(g_styledClasses.begin(), g_styledClasses.end(), classList) != g_styledClasses.end();
  return g_haveThemeData && known ? &g_token : nullptr;
}
HRESULT FakeClose(HTHEME) {
  ++g_closed;
  return kS_OK;
}
HRESULT FakeDraw(HTHEME, void*, int part, int state, const Rect& r, const Rect*) {
  g_drawn.push_back({part, state, r});
  return kS_OK;
}
int Yes() { return 1; }

ThemeBinding FakeStyle() {
  ThemeBinding b;
  b.openThemeData = FakeOpen;
  b.closeThemeData = FakeClose;
  b.drawThemeBackground = FakeDraw;
  b.isThemeActive = Yes;
  b.isAppThemed = Yes;
  return b;
}

// A four-button flat strip; `overflow` gives it more tabs than it shows.
std::unique_ptr<SECTabControl> FlatStrip(bool overflow) {
  auto w = std::make_unique<SECTabControl>(nullptr, 0x2);
  w->resize(overflow ? 160 : 400, 18);
  w->SetClientRect({0, 0, w->width(), w->height()});
  for (int i = 0; i < (overflow ? 8 : 2); ++i) w->AddTab("Page " + std::to_string(i), nullptr);
  w->ActivateTab(0);
  w->UpdateScrollButtons();
  return w;
}

// The scroll buttons go through the visual-style layer only when both of
// its queries answer yes and it has data for buttons; otherwise, and
// always on a machine without a style, they are drawn classically.
TEST(FlatStripPainting, ScrollButtonsThemedOnlyWhenTheStyleIsOn) {
  App();
  struct Row {
    const char* name;
    bool bind;
    bool commonControls6;
    bool themeData;
    bool overflow;
    unsigned pressed;
    std::vector<int> states;  // per button, first to last; empty: classic
  } rows[] = {
      {"no style bound", false, false, true, true, 0, {}},
      {"style on, old common controls", true, false, true, true, 0, {}},
      {"style on, no data for buttons", true, true, false, true, 0, {}},
      {"tabs fit: every button disabled", true, true, true, false, 0, {4, 4, 4, 4}},
      {"at the start: first and previous disabled", true, true, true, true, 0, {4, 4, 1, 1}},
      {"next held down", true, true, true, true, kTabButtonNext, {4, 4, 3, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SECThemeFreeLibrary();
    if (row.bind) SECThemeSetBinding(FakeStyle(), row.commonControls6);
    g_haveThemeData = row.themeData;
    g_drawn.clear();
    g_opened = g_closed = 0;
    auto strip = FlatStrip(row.overflow);
    strip->m_nPressedButton = row.pressed;
    const QImage shot = strip->grab().toImage();
    std::vector<int> states;
    for (const ThemeCall& c : g_drawn) {
      EXPECT_EQ(c.part, 1);
      states.push_back(c.state);
    }
    EXPECT_EQ(states, row.states);
    EXPECT_EQ(g_closed, row.themeData ? g_opened : 0);  // every opened theme is closed again
    const Rect first = strip->GetButtonRect(kTabButtonFirst);
    const QRgb face = shot.pixel(first.left + 3, first.top + 3) & 0xFFFFFFu;
    if (row.states.empty()) {
      EXPECT_EQ(face, GetSysColor(SysColor::BtnFace)) << "classic face";
    }
  }
  SECThemeFreeLibrary();
}

// The list's header and the tree's expand buttons ask the same switch as
// every other painter: styled parts with the style on, classic ones
// without it.
TEST(ListAndTreePainting, HeaderAndExpandButtonsFollowTheVisualStyle) {
  App();
  struct Row {
    const char* name;
    bool bind;
    std::vector<std::pair<int, int>> header;  // (part, state) per call
    std::vector<std::pair<int, int>> buttons;
  } rows[] = {
      {"no style", false, {}, {}},
      {"style on", true, {{1, 1}, {1, 1}, {3, 1}}, {{2, 2}, {2, 1}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SECThemeFreeLibrary();
    if (row.bind) SECThemeSetBinding(FakeStyle(), true);
    g_haveThemeData = true;
    g_styledClasses = {L"HEADER"};
    g_drawn.clear();
    g_opened = g_closed = 0;
    SECListCtrl list(nullptr, LVS_REPORT);
    list.resize(300, 80);
    list.AddColumn("Name", LVCFMT_LEFT, 100);
    list.AddColumn("Value", LVCFMT_LEFT, 100);
    list.grab();
    std::vector<std::pair<int, int>> got;
    for (const ThemeCall& c : g_drawn) got.push_back({c.part, c.state});
    EXPECT_EQ(got, row.header);
    EXPECT_EQ(g_closed, g_opened);

    g_styledClasses = {L"TREEVIEW"};
    g_drawn.clear();
    SECTreeCtrl tree(nullptr);
    tree.resize(200, 100);
    HTREEITEM open = tree.InsertItem("open");
    tree.InsertItem("child", open);
    HTREEITEM shut = tree.InsertItem("shut");
    tree.InsertItem("child", shut);
    tree.Expand(open, TVE_EXPAND);
    tree.grab();
    got.clear();
    for (const ThemeCall& c : g_drawn) got.push_back({c.part, c.state});
    EXPECT_EQ(got, row.buttons);
  }
  g_styledClasses = {L"Button"};
  SECThemeFreeLibrary();
}

// A selected tree row of two columns: with whole-row selection the first
// cell is filled to its end like the others; without it, the fill stays
// behind the label's text.
TEST(ListAndTreePainting, AWholeRowSelectionFillsTheTreesLabelCellToItsEnd) {
  App();
  struct Row {
    const char* name;
    unsigned exStyle;
    bool filledToTheEnd;
  } rows[] = {
      {"LabelOnly", 0, false},
      {"WholeRow", LVXS_FULLROWSELECT, true},
      {"WholeRowWithGridAndFill", LVXS_FULLROWSELECT | LVXS_GRIDLINES | LVXS_FILLLABELCOLUMN, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SECTreeCtrl tree(nullptr, TVS_SHOWSELALWAYS, TVXS_COLUMNHEADER);
    tree.resize(300, 100);
    tree.EnableSubItemText(true);
    if (tree.GetColumnCount() == 0) tree.InsertColumn(0, "Callee", LVCFMT_LEFT, 150);
    ListColumnDesc first;
    first.mask = LVCF_TEXT | LVCF_WIDTH;
    first.text = "Callee";
    first.width = 150;
    tree.SetColumnInfo(0, first);
    tree.InsertColumn(1, "Caller", LVCFMT_LEFT, 150);
    tree.ModifyListStyleEx(0, row.exStyle);
    HTREEITEM item = tree.InsertItem("ab", nullptr, TVI_LAST());
    tree.SetItemText(item, 1, "caller");
    tree.SelectItem(item);
    Rect label;
    ASSERT_TRUE(tree.GetItemRect(0, &label, 2));
    const int y = (label.top + label.bottom) / 2;
    const QImage shot = tree.grab().toImage();
    const int end = tree.GetColumnWidth(0) - 12;  // well past the text "ab"
    ASSERT_GT(end, label.right + 4);
    const QColor onLabel = shot.pixelColor(label.left + 1, y);
    const QColor pastLabel = shot.pixelColor(end, y);
    EXPECT_EQ(onLabel == pastLabel, row.filledToTheEnd)
        << onLabel.name().toStdString() << " " << pastLabel.name().toStdString();
  }
}

// The flat strip's fonts can be replaced one by one; the widths follow the
// active tab's font, which every tab is measured in.
TEST(FlatStripFonts, ReplacedFontsResizeTheTabs) {
  App();
  auto strip = FlatStrip(false);
  const int before = strip->GetTab(1).m_nWidth;
  QFont big("Tahoma");
  big.setPixelSize(30);
  big.setBold(true);
  EXPECT_FALSE(strip->SetFontObject(big, 3));
  EXPECT_FALSE(strip->SetFontObject(big, -1));
  EXPECT_EQ(strip->GetTab(1).m_nWidth, before);
  ASSERT_TRUE(strip->SetFontObject(big, 2));
  EXPECT_EQ(strip->Font(2).pixelSize(), 30);
  EXPECT_EQ(strip->GetTab(1).m_nWidth, QFontMetrics(big).horizontalAdvance("Page 1") + 20);
  EXPECT_GT(strip->GetTab(1).m_nWidth, before);
  // The unselected tabs' font changes what they are drawn in, not the widths.
  QFont small("Tahoma");
  small.setPixelSize(8);
  ASSERT_TRUE(strip->SetFontObject(small, 0, false));
  EXPECT_EQ(strip->Font(0).pixelSize(), 8);
  EXPECT_EQ(strip->GetTab(1).m_nWidth, QFontMetrics(big).horizontalAdvance("Page 1") + 20);
}

// The outline of an inactive tab: both slants reach the strip's bottom row
// in black, and the shadowed bottom edge runs between them without
// covering the right slant's last pixel.
TEST(FlatStripPainting, TabOutlineClosesAtTheBottomCorners) {
  App();
  SysColors().ResetToClassic();
  auto strip = FlatStrip(false);
  const QImage shot = strip->grab().toImage();
  const Rect box = strip->TabBounds(1);
  const int B = box.bottom, w = strip->GetTab(1).m_nWidth;
  auto rgb = [&](int x, int y) { return Color(shot.pixel(x, y) & 0xFFFFFFu); };
  const Color black = 0, shadow = GetSysColor(SysColor::BtnShadow);
  // Bottom row: the leftmost black pixel is the left slant's end, the
  // rightmost the right slant's, with shadow in between.
  int firstBlack = -1, lastBlack = -1;
  for (int x = box.left; x < box.left + w; ++x)
    if (rgb(x, B - 1) == black) {
      if (firstBlack < 0) firstBlack = x;
      lastBlack = x;
    }
  ASSERT_GE(firstBlack, 0);
  EXPECT_GT(lastBlack, firstBlack + 1);
  EXPECT_EQ(rgb(lastBlack - 1, B - 1), shadow);
  EXPECT_EQ(rgb(firstBlack + 1, B - 1), shadow);
  // The right slant is unbroken: every row has a black pixel near it.
  for (int y = box.top + 1; y < B; ++y) {
    bool found = false;
    for (int x = box.left + w - strip->m_nSlant - 2; x < box.left + w; ++x) found = found || rgb(x, y) == black;
    EXPECT_TRUE(found) << "row " << y;
  }
}


// A plug-in that outlives its host forgets it instead of keeping a pointer
// to a destroyed window; one attached to a live host still filters it.
TEST(PlugIn, OutlivingTheHostLeavesNoDanglingWindow) {
  App();
  struct Counter : SECWndPlugIn {
    int seen = 0;
    bool OnPlugInEvent(QEvent* e, std::intptr_t*) override {
      if (e->type() == QEvent::MouseButtonPress) ++seen;
      return false;
    }
  };
  auto plug = std::make_unique<Counter>();
  {
    QWidget host;
    ASSERT_TRUE(plug->AttachToFrame(&host));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&host, &press);
    EXPECT_EQ(plug->seen, 1);
  }
  EXPECT_EQ(plug->Host(), nullptr);
  EXPECT_FALSE(plug->DetachFromFrame());
  plug.reset();  // must not reach for the destroyed window
}

// Percentage and caption text stay on one line, centred in the bar, even
// when the caption holds a line feed.
TEST(ProgressPainting, TextIsOneLineHigh) {
  App();
  struct Row {
    const char* name;
    std::uint32_t style;
    const char* caption;
  } rows[] = {{"percentage", progress::kPercent, ""},
              {"caption", progress::kCaption, "Loading"},
              {"caption with a line feed", progress::kCaption, "Loading\nfiles"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SECProgressCtrl bar;
    bar.resize(200, 80);
    bar.SetBarStyle(row.style);
    bar.SetCaption(row.caption);
    bar.SetPos(0);  // all empty: the text shows in the bar colour on white
    const QImage shot = bar.grab().toImage();
    int top = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x)
        if ((shot.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) {
          if (top < 0) top = y;
          bottom = y;
        }
    ASSERT_GE(top, 0) << "no text drawn";
    EXPECT_LE(bottom - top + 1, QFontMetrics(bar.font()).height());
  }
}

}  // namespace
}  // namespace pm2
