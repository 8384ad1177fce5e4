#include <gtest/gtest.h>

#include "fake_list_host.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {
namespace {

using test::FakeListHost;
using test::RecordingListener;

// Fixed metrics: 6-pixel characters, 13-pixel lines, so a text row is 13
// pixels high; client 200x120 with a 20-pixel header leaves 101 pixels.
class ListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetHost(&host);
    list.SetNotifyListener(&owner);
    list.Create(LVS_REPORT, 0);
    list.AddColumn("Name", LVCFMT_LEFT, 100);
    list.AddColumn("Value", LVCFMT_LEFT, 60);
  }
  void Fill(int n, const char* prefix = "item") {
    for (int i = 0; i < n; ++i) list.InsertItemText(list.GetItemCount(), prefix + std::to_string(i));
    list.UpdateScrollBars();
  }
  std::vector<int> Sel() const { return list.Selection(); }

  FakeListHost host;
  RecordingListener owner;
  SECListCtrlModel list;
};

TEST_F(ListFixture, FocusFollowsInsertionAndDeletion) {
  Fill(5);
  ASSERT_EQ(list.GetFocusIndex(), 0);  // the first item takes the focus
  list.SetFocusItem(2, true);
  list.DeselectAllExcept(2);
  list.InsertItemText(1, "new");
  EXPECT_EQ(list.GetFocusIndex(), 3);
  EXPECT_EQ(list.GetItemText(3, 0), "item2");
  EXPECT_EQ(Sel(), std::vector<int>{3});

  struct Row {
    const char* name;
    int focus, index, count, focusAfter;
  } rows[] = {
      {"focused item deleted names the next", 2, 2, 1, 2},
      {"focus after the run moves up", 4, 1, 2, 2},
      {"run reaching the end leaves item before it", 4, 3, 3, 2},
      {"focus before the run stays", 1, 2, 2, 1},
      {"focus inside the run past its first item goes before it", 2, 1, 2, 0},
  };
  for (const Row& r : rows) {
    list.DeleteAllItems();
    Fill(6);
    list.SetFocusItem(r.focus, true);
    list.DeselectAllExcept(r.focus);
    ASSERT_TRUE(list.DeleteItems(r.index, r.count)) << r.name;
    EXPECT_EQ(list.GetFocusIndex(), r.focusAfter) << r.name;
    // Nothing left selected: the focused item is selected again.
    EXPECT_TRUE(list.IsItemSelected(r.focusAfter)) << r.name;
  }
  EXPECT_FALSE(list.DeleteItems(99, 1));
  EXPECT_EQ(owner.Count(LVN_DELETEITEM), 5);
}

TEST_F(ListFixture, SelectionArrayStaysSortedAndShifts) {
  Fill(8);
  for (int i : {6, 1, 4}) list.SelectItem(i, true);
  EXPECT_EQ(Sel(), (std::vector<int>{0, 1, 4, 6}));
  list.DeleteItems(3, 2);  // removes 3 and 4
  EXPECT_EQ(Sel(), (std::vector<int>{0, 1, 4}));
  list.InsertItemText(0, "top");
  EXPECT_EQ(Sel(), (std::vector<int>{1, 2, 5}));
  list.SelectItem(2, false);
  EXPECT_EQ(list.GetSelectedCount(), 2);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED | LVNI_BELOW), 1);
  EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED | LVNI_BELOW), 5);
  EXPECT_EQ(list.GetNextItem(5, LVNI_SELECTED | LVNI_ABOVE), 1);
  EXPECT_EQ(list.GetNextItem(0, LVNI_ABOVE), -1);
  EXPECT_EQ(list.GetNextItem(2, LVNI_TORIGHT), 3);

  list.EnableMultiSelect(false);  // more than one selected: all cleared
  EXPECT_EQ(list.GetSelectedCount(), 0);
  list.SelectItem(3, true);
  list.SelectItem(4, true);
  EXPECT_EQ(Sel(), std::vector<int>{4});
}

TEST_F(ListFixture, CallbackTextsAskTheOwner) {
  Fill(2);
  ListItemDesc callback;
  callback.mask = LVIF_TEXT;
  callback.item = 1;
  callback.textCallback = true;
  ASSERT_TRUE(list.SetItem(callback, true));
  owner.dispTexts[1] = "from owner";
  const int asked = owner.Count(LVN_GETDISPINFO);
  EXPECT_EQ(list.GetItemText(1, 0), "from owner");
  EXPECT_EQ(owner.Count(LVN_GETDISPINFO), asked + 1);
  // A stored callback marker is not replaced without LVIF_DI_SETITEM.
  list.SetItemText(1, 0, "plain");
  EXPECT_EQ(list.GetItemText(1, 0), "from owner");
  ListItemDesc d;
  d.mask = LVIF_TEXT | LVIF_DI_SETITEM;
  d.item = 1;
  d.text = "stored";
  list.SetItem(d);
  EXPECT_EQ(list.GetItemText(1, 0), "stored");
  EXPECT_TRUE(list.SetItemText(0, 1, "cell"));
  EXPECT_EQ(list.GetItemText(0, 1), "cell");
  EXPECT_FALSE(list.HasCallbacks(1));
  EXPECT_FALSE(list.SetItemText(5, 0, "missing"));
}

TEST_F(ListFixture, ColumnOperationsKeepCellsWithTheirColumns) {
  Fill(2);
  list.SetItemText(0, 1, "v0");
  list.AddColumn("Third", LVCFMT_LEFT, 40);
  list.SetItemText(0, 2, "t0");
  EXPECT_EQ(list.GetColumnWidth(list.AddColumn("Narrow", LVCFMT_LEFT, -1)), 10);

  // A column inserted between keeps the later columns' texts.
  list.InsertColumn(1, "Inserted", LVCFMT_LEFT, 30);
  EXPECT_EQ(list.GetItemText(0, list.GetColumnSubItem(2)), "v0");
  EXPECT_EQ(list.GetItemText(0, list.GetColumnSubItem(3)), "t0");
  EXPECT_EQ(list.GetItemText(0, list.GetColumnSubItem(1)), "");

  // Moving a column takes its cells along.
  ASSERT_TRUE(list.MoveColumn(3, 1));
  EXPECT_EQ(list.GetColumnText(1), "Third");
  EXPECT_EQ(list.GetItemText(0, list.GetColumnSubItem(1)), "t0");

  const int labelWidth = list.GetColumnWidth(0);
  EXPECT_FALSE(list.DeleteColumn(0));  // other columns exist
  ASSERT_TRUE(list.DeleteColumnByText("Inserted"));
  EXPECT_EQ(list.GetColumnWidth(0), labelWidth + 30);  // width handed to label column
  EXPECT_EQ(list.GetItemText(0, list.GetColumnSubItem(list.FindColumn("Value"))), "v0");
  while (list.GetColumnCount() > 1) list.DeleteColumn(list.GetColumnCount() - 1);
  EXPECT_TRUE(list.DeleteColumn(0));  // the only column: empties the list
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(ListEngine, NonReportListHasOneHiddenColumn) {
  SECListCtrlModel list;
  list.Create(LVS_ICON, 0);
  EXPECT_EQ(list.GetColumnCount(), 1);
  EXPECT_EQ(list.GetColumnWidth(0), 20);
  EXPECT_FALSE(list.IsHeaderVisible());
}

TEST_F(ListFixture, LayoutRowsHeaderAndScrollRanges) {
  Fill(20);
  const Rect inside = list.GetInsideRect();
  EXPECT_EQ(inside.top, 20);                                          // below the header
  EXPECT_EQ(inside.right, 200 - (GetSystemMetric(SysMetric::CxVScroll) - 1));  // bar shown
  EXPECT_EQ(inside.bottom, 121);
  const int rowsPerPage = inside.Height() / 13;
  EXPECT_EQ(list.GetCountPerPage(), rowsPerPage);
  EXPECT_EQ(list.GetBottomIndex(), rowsPerPage - 1);
  Rect r;
  ASSERT_TRUE(list.GetCellRect(3, 1, &r, 0));
  EXPECT_EQ(r, (Rect{100, 20 + 3 * 13, 160, 20 + 4 * 13}));
  const ScrollBarState& v = list.VertBar();
  EXPECT_TRUE(v.shown);
  EXPECT_EQ(v.max, 19);
  EXPECT_EQ(v.page, rowsPerPage);
  EXPECT_FALSE(list.HorzBar().shown);  // 160 pixels of columns fit

  list.SetColumnWidth(1, 300);
  list.UpdateScrollBars();
  EXPECT_TRUE(list.HorzBar().shown);
  EXPECT_EQ(list.HorzBar().max, 400);
  list.OnHScroll(ScrollCode::Bottom);
  EXPECT_EQ(list.GetScrollOffset(), 400 - list.GetInsideRect().Width());
  EXPECT_EQ(list.GetColumnLeft(1), 100 - list.GetScrollOffset());
  list.OnHScroll(ScrollCode::Top);
  EXPECT_EQ(list.GetScrollOffset(), 0);

  list.SetTopIndex(5);
  EXPECT_FALSE(list.GetCellRect(4, 0, &r, 0));  // above the top row
  list.EnsureVisible(5);                         // the top row: one row up
  EXPECT_EQ(list.GetTopIndex(), 4);
  list.EnsureVisible(19);
  EXPECT_EQ(list.GetBottomIndex(), 19);
  const int top = list.GetTopIndex();
  list.OnMouseWheel(60);
  EXPECT_EQ(list.GetTopIndex(), top);
  list.OnMouseWheel(60);
  EXPECT_EQ(list.GetTopIndex(), top - 1);

  list.DeleteAllItems();
  EXPECT_FALSE(list.VertBar().shown);
  EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(ListFixture, HitTestParts) {
  Fill(3);
  list.SetImageList(ImageListKind::Small, {4, 16, 16});
  list.UpdateScrollBars();
  // Rows are 16 high with images: image at 2..18, label from 23.
  unsigned f = 0;
  int col = 0;
  struct Row {
    const char* name;
    int x, y, item;
    unsigned flags;
  } rows[] = {
      {"label", 30, 20 + 16 + 5, 1, LVHT_ONROW | LVHT_ONITEMLABEL},
      {"image", 10, 20 + 8, 0, LVHT_ONROW | LVHT_ONITEMICON},
      {"left of image", 1, 20 + 1, 0, LVHT_ONROW | LVHT_LEFTOFLABEL},
      {"second column", 120, 20 + 2 * 16 + 1, 2, LVHT_ONROW},
      {"header button", 50, 5, 0, LVHT_HEADER},
      {"divider", 102, 5, 0, LVHT_DIVIDER},
      {"below rows", 50, 110, -1, LVHT_NOWHERE},
      {"outside", 250, -5, -1, LVHT_ABOVE | LVHT_TORIGHT},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(list.HitTest(r.x, r.y, &f, &col), r.item) << r.name;
    EXPECT_EQ(f, r.flags) << r.name;
  }
}

TEST_F(ListFixture, MouseSelectionMultipleMode) {
  Fill(6);
  auto click = [&](int item, unsigned keys) {
    int y = 20 + item * 13 + 5;
    list.OnLButtonDown(8, y, keys);
    list.OnLButtonUp(8, y, keys);
  };
  click(1, 0);
  EXPECT_EQ(Sel(), std::vector<int>{1});
  click(4, MK_SHIFT);
  EXPECT_EQ(Sel(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(list.GetAnchor(), 1);
  // Ctrl+click on a selected item toggles it on release, not on press.
  const int y2 = 20 + 2 * 13 + 5;
  list.OnLButtonDown(8, y2, MK_CONTROL);
  EXPECT_TRUE(list.IsItemSelected(2));
  list.OnLButtonUp(8, y2, MK_CONTROL);
  EXPECT_FALSE(list.IsItemSelected(2));
  EXPECT_EQ(Sel(), (std::vector<int>{1, 3, 4}));
  // A right click on a selected item keeps the selection, moves the focus.
  list.OnRButtonDown(8, 20 + 3 * 13 + 5, 0);
  EXPECT_EQ(Sel(), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(list.GetFocusIndex(), 3);
  // A plain click collapses the selection to the clicked item.
  click(3, 0);
  EXPECT_EQ(Sel(), std::vector<int>{3});
  EXPECT_GE(owner.Count(NM_CLICK), 4);
}

// A release over the header never touches the item whose index equals the
// column's; a header click is reported before the plain click.
TEST_F(ListFixture, HeaderReleaseLeavesTheSelection) {
  Fill(4);
  list.SelectItem(1, true);
  ASSERT_EQ(Sel(), (std::vector<int>{0, 1}));
  struct Row {
    const char* name;
    bool clickable;
    std::vector<int> codes;
  } rows[] = {
      {"clickable header", true, {LVN_COLUMNCLICK, NM_CLICK}},
      {"header without buttons", false, {NM_CLICK}},
  };
  for (const Row& r : rows) {
    list.SetHeaderStyle(true, r.clickable);
    owner.codes.clear();
    list.OnLButtonDown(130, 10, 0);  // column 1's button
    list.OnLButtonUp(130, 10, 0);
    EXPECT_EQ(Sel(), (std::vector<int>{0, 1})) << r.name;
    EXPECT_EQ(owner.codes, r.codes) << r.name;
  }
}

TEST(ListEngine, ShiftClickWithoutAnchorSelectsNothingNew) {
  FakeListHost host;
  SECListCtrlModel list;
  list.SetHost(&host);
  list.Create(LVS_REPORT, 0);
  list.AddColumn("Name", LVCFMT_LEFT, 100);
  for (int i = 0; i < 4; ++i) list.InsertItemText(i, "x");
  list.SetFocusItem(-1, false);
  list.DeselectAllExcept(-1);
  list.OnLButtonDown(8, 20 + 2 * 13 + 5, MK_SHIFT);
  EXPECT_EQ(list.GetSelectedCount(), 0);
}

TEST_F(ListFixture, KeyboardSelectionAndDialogKeys) {
  Fill(30);
  list.OnKeyDown(vk::Down, false, false);
  list.OnKeyDown(vk::Down, true, false);
  list.OnKeyDown(vk::Down, true, false);
  EXPECT_EQ(Sel(), (std::vector<int>{1, 2, 3}));
  list.OnKeyDown(vk::Down, false, true);  // Ctrl moves only the caret
  EXPECT_EQ(list.GetFocusIndex(), 4);
  EXPECT_EQ(Sel(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list.GetAnchor(), 1);  // the anchor stays where Shift began
  list.OnKeyDown(vk::Space, false, true);  // Ctrl+Space toggles the caret item
  EXPECT_EQ(Sel(), (std::vector<int>{1, 2, 3, 4}));
  list.OnKeyDown(vk::End, false, false);
  EXPECT_EQ(Sel(), std::vector<int>{29});
  EXPECT_EQ(list.GetBottomIndex(), 29);
  list.OnKeyDown(vk::Home, false, false);
  EXPECT_EQ(Sel(), std::vector<int>{0});
  EXPECT_EQ(list.GetTopIndex(), 0);
  const int page = list.GetCountPerPage();
  list.OnKeyDown(vk::Next, false, false);  // to the bottom row
  EXPECT_EQ(list.GetFocusIndex(), page - 1);
  list.OnKeyDown(vk::Next, false, false);  // at the bottom: a page on
  EXPECT_EQ(list.GetTopIndex(), page);
  EXPECT_EQ(list.GetFocusIndex(), list.GetBottomIndex());
  list.OnKeyDown(vk::Tab, true, false);
  EXPECT_EQ(host.nextControl, -1);
  list.OnKeyDown(vk::Escape, false, false);
  EXPECT_EQ(host.cancels, 1);
  EXPECT_GE(owner.Count(LVN_KEYDOWN), 9);
}

TEST_F(ListFixture, SingleSelectionModeKeepsOneItem) {
  list.EnableMultiSelect(false);
  Fill(5);
  list.OnLButtonDown(8, 20 + 1 * 13 + 5, 0);
  list.OnLButtonDown(8, 20 + 3 * 13 + 5, MK_SHIFT);
  EXPECT_EQ(Sel(), std::vector<int>{3});
  list.OnKeyDown(vk::Up, true, false);
  EXPECT_EQ(Sel(), std::vector<int>{2});
}

TEST_F(ListFixture, DragStartsAtFourPixelsAndAutoScrolls) {
  Fill(30);
  list.SetTopIndex(5);
  const int y = 20 + 2 * 13 + 5;  // row 7
  list.OnLButtonDown(8, y, MK_LBUTTON);
  list.OnMouseMove(11, y, MK_LBUTTON);  // 3 pixels: no drag yet
  EXPECT_FALSE(list.ItemDragPending());
  list.OnMouseMove(12, y, MK_LBUTTON);
  EXPECT_TRUE(list.ItemDragPending());
  list.SetScrollTimer(50);
  EXPECT_EQ(host.timers[kTimerAutoScroll], 50);
  host.cursor = {8, 20 + 3};  // over the top row
  list.OnTimer(kTimerAutoScroll);
  EXPECT_EQ(list.GetTopIndex(), 4);
  host.cursor = {8, list.GetInsideRect().bottom - 3};  // over the bottom row
  list.OnTimer(kTimerAutoScroll);
  EXPECT_EQ(list.GetTopIndex(), 5);
  list.OnLButtonUp(8, y, 0);
  EXPECT_FALSE(list.ItemDragPending());
  list.KillScrollTimer();
  EXPECT_EQ(host.timers.count(kTimerAutoScroll), 0u);
}

TEST_F(ListFixture, TypeAheadCyclesRefinesAndSwallowsAfterFailure) {
  for (const char* t : {"apple", "banana", "avocado", "apricot", "cherry"}) list.InsertItemText(99, t);
  list.SetFocusItem(0, true);
  list.OnChar('a');
  EXPECT_EQ(list.GetFocusIndex(), 2);  // starts after the focus
  list.OnTimer(kTimerTypeAhead);       // activity since the tick: run goes on
  list.OnTimer(kTimerTypeAhead);       // pause: the run ends
  EXPECT_EQ(list.GetTypeAheadFlags(), 0);
  list.OnChar('a');
  EXPECT_EQ(list.GetFocusIndex(), 3);
  list.OnChar('P');                    // refines from the focused item
  EXPECT_EQ(list.GetFocusIndex(), 3);
  list.OnChar('p');
  EXPECT_EQ(list.GetFocusIndex(), 0);  // "app" wraps to apple
  list.OnChar('z');
  EXPECT_EQ(host.beeps, 1);
  list.OnChar('l');                    // swallowed after the failure
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(list.GetTypeAheadText(), "aPpz");
  list.OnTimer(kTimerTypeAhead);
  list.OnTimer(kTimerTypeAhead);
  list.OnChar('c');
  EXPECT_EQ(list.GetFocusIndex(), 4);
}

TEST_F(ListFixture, LabelEditVetoCommitAndRestore) {
  list.ModifyListStyle(0, LVS_EDITLABELS);
  Fill(3);
  owner.answers[LVN_BEGINLABELEDIT] = 1;
  EXPECT_FALSE(list.EditLabel(1, 0));
  EXPECT_FALSE(host.editor);
  EXPECT_EQ(list.GetEditItem(), -1);

  owner.answers[LVN_BEGINLABELEDIT] = 0;
  ASSERT_TRUE(list.EditLabel(1, 0));
  EXPECT_EQ(host.editorText, "item1");
  host.editorText = "typed";
  list.OnEditorUpdate("typed");
  EXPECT_EQ(list.GetItemText(1, 0), "typed");  // shown while typing
  ASSERT_TRUE(list.EndLabelEdit(false));
  EXPECT_EQ(list.GetItemText(1, 0), "item1");  // restored
  EXPECT_EQ(owner.endEditTexts.back(), "<null>");

  // The owner refuses a committed text: the old text comes back.
  list.EditLabel(1, 0);
  host.editorText = "refused";
  list.EndLabelEdit(true);
  EXPECT_EQ(list.GetItemText(1, 0), "item1");
  // The owner accepts and rewrites it.
  owner.answers[LVN_ENDLABELEDIT] = 1;
  owner.replaceEndEditText = "Rewritten";
  list.OnKeyDown(vk::F2, false, false);
  EXPECT_TRUE(host.editor);
  host.editorText = "accepted";
  list.EndLabelEdit(true);
  EXPECT_EQ(list.GetItemText(0, 0), "Rewritten");
  EXPECT_FALSE(list.EndLabelEdit(true));  // nothing running
}

TEST_F(ListFixture, EditorStaysInsideWithOneColumn) {
  list.DeleteColumn(1);
  list.InsertItemText(0, std::string(60, 'w'));
  list.UpdateScrollBars();
  ASSERT_TRUE(list.EditLabel(0, 0));
  EXPECT_LE(host.editorRect.right, list.GetInsideRect().right);
}

// The editor covers the label grown 4 pixels left (not left of 0) and 1
// up and down, and is the label width plus 14 wide, both when the edit
// starts and when typing resizes it.
TEST_F(ListFixture, EditorRectangleFromTheLabel) {
  list.ModifyListStyle(0, LVS_EDITLABELS);
  Fill(2);
  list.SetItemText(1, 1, "val");
  struct Row {
    const char* name;
    int item, column;
  } rows[] = {{"label column", 0, 0}, {"sub-item column", 1, 1}};
  for (const Row& row : rows) {
    Rect label;
    ASSERT_TRUE(list.GetCellRect(row.item, row.column, &label, 2)) << row.name;
    ASSERT_TRUE(list.EditLabel(row.item, row.column)) << row.name;
    const Rect created = host.editorRect;
    EXPECT_EQ(created.left, std::max(0, label.left - 4)) << row.name;
    EXPECT_EQ(created.top, label.top - 1) << row.name;
    EXPECT_EQ(created.bottom, label.bottom + 1) << row.name;
    EXPECT_EQ(created.Width(), label.Width() + 14) << row.name;
    list.OnEditorUpdate(host.editorText);  // same text: same size
    EXPECT_EQ(host.editorRect.Width(), created.Width()) << row.name;
    EXPECT_EQ(host.editorRect.Height(), created.Height()) << row.name;
    list.EndLabelEdit(false);
  }
}

// A second click on the selected item's label, its image or the gap
// between them (re)starts the delayed edit; one left of the image does not.
TEST_F(ListFixture, DelayedEditStartsFromLabelImageAndGap) {
  list.ModifyListStyle(0, LVS_EDITLABELS);
  list.SetImageList(ImageListKind::Small, {4, 16, 16});
  Fill(3);
  const int y = 20 + 5;
  Rect img, label;
  ASSERT_TRUE(list.GetCellRect(0, 0, &img, 1));
  ASSERT_TRUE(list.GetCellRect(0, 0, &label, 2));
  ASSERT_LT(img.right, label.left);
  struct Row {
    const char* name;
    int x;
    bool timer;
  } rows[] = {
      {"label", label.left + 1, true},
      {"image", img.left + 1, true},
      {"gap between image and label", img.right + 1, true},
      {"left of the image", img.left - 1, false},
  };
  for (const Row& r : rows) {
    list.OnLButtonDown(label.left + 1, y, 0);  // names the item for editing
    list.OnLButtonUp(label.left + 1, y, 0);
    host.timers.clear();
    list.OnLButtonDown(r.x, y, 0);
    list.OnLButtonUp(r.x, y, 0);
    EXPECT_EQ(host.timers.count(kTimerEdit) == 1, r.timer) << r.name;
  }
}

TEST_F(ListFixture, HeaderDragDropPositionsAndResize) {
  list.AddColumn("C2", LVCFMT_LEFT, 50);
  list.AddColumn("C3", LVCFMT_LEFT, 50);
  // Columns: 0 [0,100) 1 [100,160) 2 [160,210) 3 [210,260).
  struct Row {
    const char* name;
    int x, pos;
  } rows[] = {
      {"left half of column 0", 20, -1},
      {"right half of column 0", 70, 1},
      {"left half of column 1", 110, 1},
      {"right half of column 2", 200, 3},
      {"left half of column 3", 215, 3},
      {"past the last column", 400, 4},
  };
  for (const Row& r : rows) EXPECT_EQ(list.HeaderDropPosAt(r.x), r.pos) << r.name;

  auto drag = [&](int fromX, int toX) {
    list.OnLButtonDown(fromX, 5, MK_LBUTTON);
    list.OnMouseMove(toX, 5, MK_LBUTTON);
    list.OnLButtonUp(toX, 5, 0);
  };
  list.ModifyListStyleEx(0, LVXS_HEADERDRAGDROP);
  drag(180, 200);  // column 2 onto its own right half: no move
  EXPECT_EQ(list.GetColumnText(2), "C2");
  drag(180, 215);  // onto the left half of column 3: no move
  EXPECT_EQ(list.GetColumnText(2), "C2");
  drag(180, 110);  // onto the left half of column 1
  EXPECT_EQ(list.GetColumnText(1), "C2");
  drag(50, 190);   // column 0 never moves; a plain click is reported
  EXPECT_EQ(list.GetColumnText(0), "Name");
  EXPECT_EQ(owner.Count(LVN_COLUMNCLICK), 1);

  list.OnLButtonDown(100, 5, MK_LBUTTON);  // divider of column 0
  ASSERT_TRUE(list.ResizeActive());
  list.OnMouseMove(3, 5, MK_LBUTTON);
  list.OnLButtonUp(3, 5, 0);
  EXPECT_EQ(list.GetColumnWidth(0), 10);  // never narrower than 10
}

TEST_F(ListFixture, PaintColoursFollowFocusAndStyles) {
  Fill(2);
  list.AddColumn("Third", LVCFMT_LEFT, 40);
  list.SetFocusItem(1, true);
  auto ctx = list.CreatePaintContext();
  struct Row {
    const char* name;
    bool focus;
    unsigned addStyle, addEx;
    int column;
    Color text, bk;
  } rows[] = {
      {"focused list", true, 0, 0, 0, GetSysColor(SysColor::HighlightText), GetSysColor(SysColor::Highlight)},
      {"no focus, show always", false, LVS_SHOWSELALWAYS, 0, 0, GetSysColor(SysColor::MenuText),
       GetSysColor(SysColor::Menu)},
      {"no focus", false, 0, 0, 0, GetSysColor(SysColor::WindowText), GetSysColor(SysColor::Window)},
      {"sub cell without full row", true, 0, 0, 1, GetSysColor(SysColor::WindowText),
       GetSysColor(SysColor::Window)},
      {"sub cell with full row", true, 0, LVXS_FULLROWSELECT, 1, GetSysColor(SysColor::HighlightText),
       GetSysColor(SysColor::Highlight)},
  };
  for (const Row& r : rows) {
    host.focus = r.focus;
    list.SetListStyle((list.GetListStyle() & ~LVS_SHOWSELALWAYS) | r.addStyle, false);
    list.SetListStyleEx(r.addEx, false);
    ASSERT_TRUE(list.InitPaintContext(*ctx, 1, r.column)) << r.name;
    EXPECT_EQ(ctx->textColor, r.text) << r.name;
    EXPECT_EQ(ctx->bkColor, r.bk) << r.name;
  }
}

// An owner that keeps bits of the second state word itself.
class StateOwner : public NotifyListener {
 public:
  unsigned answer = 0;
  int asked = 0;
  unsigned askedMask = 0;
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    if (hdr.code != LVN_GETDISPINFO) return 0;
    auto& nm = reinterpret_cast<NMLVDISPINFO&>(hdr);
    if ((nm.item.mask & LVIF_STATEEX) && (nm.item.mask & LVIF_STATE)) {
      ++asked;
      askedMask = nm.item.stateMask;
      nm.item.state = answer;
    }
    return 0;
  }
};

TEST_F(ListFixture, SecondStateWordAndItsCallbackMask) {
  Fill(3);
  ASSERT_FALSE(list.HasCallbacks(1));
  EXPECT_TRUE(list.SetItemStateEx(1, 0x41, 0x4F));
  EXPECT_EQ(list.GetItemStateEx(1, 0xFF), 0x41u);
  EXPECT_EQ(list.GetItemStateEx(1, 0x0F), 0x01u);
  EXPECT_EQ(list.GetItemStateEx(0, 0xFF), 0u);
  EXPECT_EQ(list.GetItemState(1, 0xFF) & 0x40, 0u);  // the first word is another word
  EXPECT_FALSE(list.SetItemStateEx(9, 1, 1));
  EXPECT_EQ(list.GetItemStateEx(9, 0xFF), 0u);

  StateOwner keeper;
  list.SetNotifyListener(&keeper);
  list.SetCallbackMaskEx(0x80);
  EXPECT_EQ(list.GetCallbackMaskEx(), 0x80u);
  EXPECT_TRUE(list.HasCallbacks(0));
  keeper.answer = 0x80;
  EXPECT_EQ(list.GetItemStateEx(1, 0xFF), 0xC1u);  // its own bits from the owner, the rest stored
  EXPECT_EQ(keeper.asked, 1);
  EXPECT_EQ(keeper.askedMask, 0x80u);
  EXPECT_EQ(list.GetItemStateEx(1, 0x0F), 0x01u);  // no owner bit asked: no question
  EXPECT_EQ(keeper.asked, 1);
}

TEST_F(ListFixture, ColumnsDescribedByMask) {
  Fill(2);
  ListColumnDesc text;
  text.mask = LVCF_TEXT;
  text.text = "Bare";
  text.width = 77;  // not named in the mask
  ASSERT_EQ(list.InsertColumnInfo(5, text), 2);
  ListColumnDesc got;
  got.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM | LVCF_IMAGE;
  ASSERT_TRUE(list.GetColumnInfo(2, &got));
  EXPECT_EQ(got.text, "Bare");
  EXPECT_EQ(got.width, 10);
  EXPECT_EQ(got.format, LVCFMT_LEFT);
  EXPECT_EQ(got.subItem, 2);
  EXPECT_EQ(got.image, -1);

  ListColumnDesc full;
  full.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_IMAGE;
  full.text = "Size";
  full.width = 44;
  full.format = LVCFMT_RIGHT;
  full.image = 3;
  ASSERT_EQ(list.AddColumnInfo(full), 3);
  EXPECT_EQ(list.GetColumnWidth(3), 44);
  EXPECT_EQ(list.GetColumnFormat(3), LVCFMT_RIGHT);
  EXPECT_EQ(list.GetColumnRecord(3)->image, 3);

  // Only the named fields are read out and written.
  ListColumnDesc widthOnly;
  widthOnly.mask = LVCF_WIDTH;
  widthOnly.text = "untouched";
  ASSERT_TRUE(list.GetColumnInfo(3, &widthOnly));
  EXPECT_EQ(widthOnly.width, 44);
  EXPECT_EQ(widthOnly.text, "untouched");
  ListColumnDesc rename;
  rename.mask = LVCF_TEXT;
  rename.text = "Bytes";
  rename.width = 1;
  ASSERT_TRUE(list.SetColumnInfo(3, rename));
  EXPECT_EQ(list.GetColumnText(3), "Bytes");
  EXPECT_EQ(list.GetColumnWidth(3), 44);
  ListColumnDesc wide;
  wide.mask = LVCF_WIDTH;
  wide.width = -1;
  ASSERT_TRUE(list.SetColumnInfo(3, wide));
  EXPECT_EQ(list.GetColumnWidth(3), 10);
  EXPECT_FALSE(list.SetColumnInfo(9, wide));
  EXPECT_FALSE(list.GetColumnInfo(9, &got));
}

TEST_F(ListFixture, IconAndTipColoursAreTheirOwn) {
  Fill(2);
  EXPECT_TRUE(list.SetIconBkColor(MakeRgb(1, 1, 1)));
  EXPECT_TRUE(list.SetSelIconBkColor(MakeRgb(2, 2, 2)));
  EXPECT_TRUE(list.SetToolTipBkColor(MakeRgb(3, 3, 3)));
  EXPECT_TRUE(list.SetToolTipTextColor(MakeRgb(4, 4, 4)));
  EXPECT_EQ(list.GetToolTipBkColor(), MakeRgb(3, 3, 3));
  EXPECT_EQ(list.GetToolTipTextColor(), MakeRgb(4, 4, 4));
  EXPECT_EQ(list.GetIconBkColor(), MakeRgb(1, 1, 1));
  EXPECT_EQ(list.GetSelIconBkColor(), MakeRgb(2, 2, 2));
  list.SetFocusItem(0, true);
  auto ctx = list.CreatePaintContext();
  ASSERT_TRUE(list.InitPaintContext(*ctx, 0, 0));
  EXPECT_EQ(ctx->bk2Color, MakeRgb(2, 2, 2));  // selected in a focused list
  ASSERT_TRUE(list.InitPaintContext(*ctx, 1, 0));
  EXPECT_EQ(ctx->bk2Color, MakeRgb(1, 1, 1));
  EXPECT_NE(list.GetTextBkColor(), MakeRgb(1, 1, 1));  // the row background is another colour
}

TEST_F(ListFixture, ItemFieldsStyleWordsAndTheCreateSplit) {
  Fill(2);
  ASSERT_TRUE(list.SetItemFields(1, 0, LVIF_TEXT | LVIF_PARAM, "renamed", 0, 0, 0, 42));
  EXPECT_EQ(list.GetItemText(1, 0), "renamed");
  EXPECT_EQ(list.GetItemData(1), 42);
  ASSERT_TRUE(list.SetItemFields(1, 1, LVIF_TEXT, "cell", 0, 0, 0, 0));
  EXPECT_EQ(list.GetItemText(1, 1), "cell");
  EXPECT_FALSE(list.SetItemFields(7, 0, LVIF_TEXT, "x", 0, 0, 0, 0));

  ASSERT_TRUE(list.SetListStyles(LVS_REPORT | LVS_SINGLESEL, LVXS_FULLROWSELECT));
  unsigned style = 0, ex = 0;
  list.GetListStyles(&style, &ex);
  EXPECT_EQ(style, LVS_REPORT | LVS_SINGLESEL);
  EXPECT_EQ(ex, LVXS_FULLROWSELECT);

  struct Row {
    const char* name;
    unsigned style, ex;
    unsigned listStyle, listEx;
    unsigned windowStyle, windowEx;
  } rows[] = {
      {"window bits stay with the window", 0x50810000u | LVS_REPORT | LVS_EDITLABELS, 0x00000200u,
       LVS_REPORT | LVS_EDITLABELS, 0, 0x50810000u, 0x00000200u},
      {"the list's extended bits move", LVS_REPORT, 0x02100000u | 0x00000200u, LVS_REPORT, 0x02100000u, 0,
       0x00000200u},
      {"bits 0x0C00 are not list bits", LVS_REPORT | 0x0C00u, 0, LVS_REPORT, 0, 0x0C00u, 0},
  };
  for (const Row& r : rows) {
    SECListCtrlModel fresh;
    unsigned s = r.style, e = r.ex;
    fresh.SplitCreateStyles(&s, &e);
    EXPECT_EQ(fresh.GetListStyle(), r.listStyle) << r.name;
    EXPECT_EQ(fresh.GetListStyleEx(), r.listEx) << r.name;
    EXPECT_EQ(s, r.windowStyle) << r.name;
    EXPECT_EQ(e, r.windowEx) << r.name;
  }
}

TEST_F(ListFixture, RowWalksHeightsAndTheScrollExtent) {
  Fill(20);  // 13-pixel rows, 101 pixels inside: 7 rows a page
  list.SetTopIndex(14);
  ASSERT_EQ(list.GetTopIndex(), 13);  // the last page starts at 13
  EXPECT_EQ(list.GetPrevPageTop(), 6);
  list.SetTopIndex(3);
  EXPECT_EQ(list.GetPrevPageTop(), 0);
  list.SetTopIndex(0);
  EXPECT_EQ(list.GetPrevPageTop(), 0);
  struct Row {
    const char* name;
    int y, rowsTo, rowAt;
  } rows[] = {
      {"top edge", 0, 0, 0},       {"inside the first row", 1, 1, 0}, {"last pixel of row 0", 12, 1, 0},
      {"first pixel of row 1", 13, 1, 1}, {"one past", 14, 2, 1},     {"past the last row", 20 * 13, 20, -1},
      {"above", -5, 0, -1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(list.GetRowsToOffset(r.y), r.rowsTo) << r.name;
    EXPECT_EQ(list.GetRowsToPoint({5, r.y}), r.rowsTo) << r.name;
    EXPECT_EQ(list.GetRowAtOffset(r.y), r.rowAt) << r.name;
  }
  EXPECT_EQ(list.GetScrollRowCount(), 20);
  EXPECT_EQ(list.GetScrollExtent(), (Size{list.GetTotalWidth(), 20 * 13}));

  ASSERT_TRUE(list.SetItemHeight(3, 30));
  EXPECT_EQ(list.RowHeight(3), 30);
  EXPECT_EQ(list.GetRowAtOffset(3 * 13 + 29), 3);
  EXPECT_EQ(list.GetScrollExtent().cy, 19 * 13 + 30);
  EXPECT_EQ(list.ReMeasureItem(3), 13);  // measured afresh, so it shrinks
  EXPECT_EQ(list.RowHeight(3), 13);
  EXPECT_FALSE(list.SetItemHeight(40, 5));
  EXPECT_EQ(list.ReMeasureItem(40), -1);
}

TEST_F(ListFixture, InvalidateItemDownToTheBottom) {
  Fill(5);
  const Rect inside = list.GetInsideRect();
  Rect row2;
  ASSERT_TRUE(list.GetRowRect(2, &row2));
  host.invalidated.clear();
  list.InvalidateItem(2, false, false, true, false);
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0].top, row2.top);
  EXPECT_EQ(host.invalidated[0].bottom, inside.bottom);
  EXPECT_EQ(host.invalidated[0].left, inside.left);
  host.invalidated.clear();
  list.InvalidateItem(2, false, true, false, false);
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0].bottom, row2.bottom);
  host.invalidated.clear();
  list.InvalidateItem(9, false, true, true, false);  // no such row
  EXPECT_TRUE(host.invalidated.empty());
}

}  // namespace
}  // namespace pm2
