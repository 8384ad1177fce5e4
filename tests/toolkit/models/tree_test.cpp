#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "fake_list_host.h"
#include "toolkit/models/subitem_text_storage.h"
#include "toolkit/models/tree_engine.h"
#include "toolkit/models/tree_node.h"

namespace pm2 {
namespace {

using test::FakeListHost;

class TreeListener : public NotifyListener {
 public:
  std::vector<int> codes;
  std::map<int, NotifyResult> answers;
  std::vector<unsigned> actions;
  NotifyResult OnNotify(NotifyHeader& hdr) override {
    codes.push_back(hdr.code);
    if (hdr.code == TVN_SELCHANGING || hdr.code == TVN_SELCHANGED) {
      actions.push_back(reinterpret_cast<NMTREEVIEW&>(hdr).action);
    }
    auto it = answers.find(hdr.code);
    return it == answers.end() ? 0 : it->second;
  }
  int Count(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }
};

class TreeFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetHost(&host);
    tree.SetNotifyListener(&owner);
    tree.Create(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 0);
  }
  // Labels of the rows, in row order.
  std::vector<std::string> Rows() {
    std::vector<std::string> out;
    for (int r = 0; r < tree.GetItemCount(); ++r) out.push_back(tree.GetItemText(tree.GetItemAtRow(r), 0));
    return out;
  }
  std::vector<std::string> Children(HTREEITEM parent) {
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetChildItem(parent); c; c = tree.GetNextSiblingItem(c)) {
      out.push_back(tree.GetItemText(c, 0));
    }
    return out;
  }
  HTREEITEM Add(const std::string& text, HTREEITEM parent = nullptr, HTREEITEM after = nullptr) {
    return tree.InsertItem(text, parent, after);
  }

  FakeListHost host;
  TreeListener owner;
  SECTreeCtrlModel tree;
};

TEST_F(TreeFixture, InsertionOrders) {
  HTREEITEM p = Add("parent");
  struct Row {
    const char* name;
    HTREEITEM where;
    std::vector<std::string> expected;
  } rows[] = {
      {"sort", TVI_SORT(), {"a", "b", "b'", "c"}},
      {"sort descending", TVI_SORT_DESCENDING(), {"c", "b", "b'", "a"}},
  };
  for (const Row& r : rows) {
    while (HTREEITEM c = tree.GetChildItem(p)) tree.DeleteItem(c);
    for (const char* t : {"b", "c", "a"}) Add(t, p, r.where);
    // An equal label goes after the equal ones; tell them apart by data.
    TreeInsert ins;
    ins.parent = p;
    ins.insertAfter = r.where;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.text = "b";
    ins.item.param = 1;
    HTREEITEM dup = tree.InsertItem(ins);
    std::vector<std::string> got;
    for (HTREEITEM c = tree.GetChildItem(p); c; c = tree.GetNextSiblingItem(c)) {
      got.push_back(tree.GetItemText(c, 0) + (c == dup ? "'" : ""));
    }
    EXPECT_EQ(got, r.expected) << r.name;
  }
  HTREEITEM first = Add("first", p, TVI_FIRST());
  EXPECT_EQ(tree.GetChildItem(p), first);
  HTREEITEM mid = Add("mid", p, first);
  EXPECT_EQ(tree.GetNextSiblingItem(first), mid);
  HTREEITEM other = Add("other");
  EXPECT_EQ(Add("stray", p, other), nullptr);  // sibling of another parent
  EXPECT_EQ(tree.CountItems(p, false, false), 6);
}

TEST_F(TreeFixture, ExpandAndCollapseChangeTheRows) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  Add("a1x", a1);
  Add("a2", a);
  Add("b");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "b"}));
  ASSERT_TRUE(tree.Expand(a, TVE_EXPAND));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "a1", "a2", "b"}));
  tree.Expand(a1, TVE_TOGGLE);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "a1", "a1x", "a2", "b"}));
  tree.Expand(a, TVE_TOGGLE);  // collapse keeps a1's expanded state
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(tree.IsItemExpanded(a1));
  tree.Expand(a, TVE_EXPAND);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "a1", "a1x", "a2", "b"}));
  // A child inserted under a collapsed parent has no row, but navigation
  // from it still finds the next visible node.
  tree.Expand(a1, TVE_COLLAPSE);
  HTREEITEM hidden = Add("a1y", a1);
  EXPECT_EQ(tree.GetRowOfItem(hidden), -1);
  EXPECT_EQ(tree.GetItemText(tree.GetNextItem(hidden, TVGN_NEXTVISIBLE), 0), "a2");
  EXPECT_EQ(tree.GetItemText(tree.GetNextItem(hidden, TVGN_PREVIOUSVISIBLE), 0), "a1");
  tree.Expand(a, TVE_COLLAPSERESET);
  EXPECT_EQ(tree.GetChildItem(a), nullptr);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(owner.Count(TVN_DELETEITEM), 4);  // a1, a1x, a1y, a2
}

TEST_F(TreeFixture, AnimatedExpandShowsFirstRowsAndCollapseShowsSteps) {
  // Rows tall enough for twelve on the page, so every new row is on it.
  host.client = {0, 0, 200, 400};
  HTREEITEM a = Add("a");
  for (int i = 0; i < 12; ++i) Add("c" + std::to_string(i), a);
  Add("b");
  struct Row {
    const char* name;
    bool animate;
    int expandRepaints;    // rows painted at once while expanding
    int collapseRepaints;  // window shown while collapsing
  } rows[] = {
      {"plain", false, 0, 0},
      // 12 rows: every 12/5 = 2 deletions, then once at the end.
      {"animated", true, kAnimationSteps, 12 / 2 + 1},
  };
  for (const Row& r : rows) {
    tree.SetTreeStyleEx(r.animate ? TVXS_ANIMATE : 0);
    host.immediateRepaints = 0;
    ASSERT_TRUE(tree.Expand(a, TVE_EXPAND, false));
    EXPECT_EQ(host.immediateRepaints, r.expandRepaints) << r.name;
    EXPECT_EQ(tree.GetItemCount(), 14) << r.name;
    host.immediateRepaints = 0;
    ASSERT_TRUE(tree.Expand(a, TVE_COLLAPSE, false));
    EXPECT_EQ(host.immediateRepaints, r.collapseRepaints) << r.name;
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a", "b"})) << r.name;
  }
}

TEST_F(TreeFixture, ExpandVetoAndNothingToExpand) {
  HTREEITEM leaf = Add("leaf");
  HTREEITEM p = Add("p");
  Add("c", p);
  EXPECT_TRUE(tree.Expand(leaf, TVE_EXPAND));  // nothing to do, no notification
  EXPECT_EQ(owner.Count(TVN_ITEMEXPANDING), 0);
  EXPECT_FALSE(tree.Expand(leaf, TVE_EXPAND, true, true));
  EXPECT_EQ(owner.Count(TVN_ITEMEXPANDING), 1);
  owner.answers[TVN_ITEMEXPANDING] = 1;
  EXPECT_FALSE(tree.Expand(p, TVE_EXPAND));
  EXPECT_FALSE(tree.IsItemExpanded(p));
  EXPECT_EQ(tree.GetItemCount(), 2);
  owner.answers.clear();
  EXPECT_TRUE(tree.Expand(p, TVE_EXPAND));
  EXPECT_EQ(owner.Count(TVN_ITEMEXPANDED), 1);
}

TEST_F(TreeFixture, ExpandingMoreChildrenThanThePageKeepsTheItemOnTop) {
  Add("above");
  HTREEITEM p = Add("p");
  for (int i = 0; i < 40; ++i) Add("c" + std::to_string(i), p);
  ASSERT_TRUE(tree.Expand(p, TVE_EXPAND));
  EXPECT_EQ(tree.GetTopIndex(), tree.GetRowOfItem(p));
  EXPECT_EQ(tree.GetCaretItem(), p);
  EXPECT_EQ(owner.Count(TVN_SELCHANGING) + owner.Count(TVN_SELCHANGED), 0);
  // With keep-parent-visible off the view is left alone.
  tree.Expand(p, TVE_COLLAPSE);
  tree.SetKeepParentVisible(false);
  tree.SetTopIndex(0);
  tree.Expand(p, TVE_EXPAND);
  EXPECT_EQ(tree.GetTopIndex(), 0);
}

TEST_F(TreeFixture, OnlyCallbackTextsOfANewItemGoToTheOwner) {
  struct Row {
    const char* name;
    unsigned mask;
    bool textCallback;
    int image;
    int children;
    int setDispInfo;
  } rows[] = {
      {"plain text", TVIF_TEXT, false, 0, 0, 0},
      {"owner-supplied image and children", TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN, false, -1, -1, 0},
      {"owner-supplied text", TVIF_TEXT, true, 0, 0, 1},
  };
  for (const Row& r : rows) {
    owner.codes.clear();
    TreeInsert ins;
    ins.item.mask = r.mask;
    ins.item.text = "x";
    ins.item.textCallback = r.textCallback;
    ins.item.image = r.image;
    ins.item.children = r.children;
    HTREEITEM h = tree.InsertItem(ins);
    ASSERT_NE(h, nullptr) << r.name;
    EXPECT_EQ(owner.Count(TVN_SETDISPINFO), r.setDispInfo) << r.name;
    // A later set of an owner-supplied field goes to the owner.
    TreeItemDesc d;
    d.hItem = h;
    d.mask = TVIF_IMAGE;
    d.image = 3;
    tree.SetTreeItem(d);
    EXPECT_EQ(owner.Count(TVN_SETDISPINFO), r.setDispInfo + (r.image == -1 ? 1 : 0)) << r.name;
  }
}

TEST_F(TreeFixture, SelectionVetoAndCollapseMovesTheCaret) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  HTREEITEM a2 = Add("a2", a);
  HTREEITEM b = Add("b");
  tree.EnableMultiSelect(true);
  ASSERT_TRUE(tree.SelectItem(a1));  // expands a to make a1 visible
  EXPECT_EQ(tree.GetCaretItem(), a1);
  EXPECT_EQ(owner.actions.back(), TVC_UNKNOWN);
  owner.answers[TVN_SELCHANGING] = 1;
  EXPECT_FALSE(tree.SelectItem(b));
  EXPECT_EQ(tree.GetCaretItem(), a1);
  owner.answers.clear();
  tree.SetItemState(a2, TVIS_SELECTED, TVIS_SELECTED);
  tree.Expand(a, TVE_COLLAPSE);
  EXPECT_EQ(tree.GetCaretItem(), a);
  EXPECT_EQ(owner.actions.back(), TVC_BYMOUSE);
  tree.Expand(a, TVE_EXPAND);
  EXPECT_EQ(tree.GetItemState(a2, TVIS_SELECTED), 0u);
  EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_FIRSTSELECTED), a);
}

TEST_F(TreeFixture, CaretSelectKeepsTheOtherSelectedRowsOfAMultiSelectTree) {
  HTREEITEM a = Add("a");
  HTREEITEM b = Add("b");
  HTREEITEM c = Add("c");
  tree.EnableMultiSelect(true);
  tree.SetItemState(a, TVIS_SELECTED, TVIS_SELECTED);
  tree.SetItemState(b, TVIS_SELECTED, TVIS_SELECTED);
  ASSERT_TRUE(tree.Select(c, TVGN_CARET));
  EXPECT_EQ(tree.GetCaretItem(), c);
  for (HTREEITEM h : {a, b, c}) EXPECT_EQ(tree.GetItemState(h, TVIS_SELECTED), TVIS_SELECTED);
  // A single-selection tree still keeps one selected row.
  tree.EnableMultiSelect(false);
  ASSERT_TRUE(tree.Select(a, TVGN_CARET));
  EXPECT_EQ(tree.GetItemState(b, TVIS_SELECTED), 0u);
  EXPECT_EQ(tree.GetItemState(c, TVIS_SELECTED), 0u);
  EXPECT_EQ(tree.GetItemState(a, TVIS_SELECTED), TVIS_SELECTED);
}

TEST_F(TreeFixture, GreyRowColourDoesNotLeakIntoTheNextRow) {
  HTREEITEM grey = Add("grey");
  Add("plain");
  tree.SetItemExState(grey, 0x100);
  host.focus = false;
  // Painting reuses one context for every row, as the widget does.
  auto ctx = tree.CreatePaintContext();
  ASSERT_TRUE(tree.InitPaintContext(*ctx, 0, 0));
  EXPECT_EQ(ctx->textColor, tree.GetGrayTextColor());
  ASSERT_TRUE(tree.InitPaintContext(*ctx, 1, 0));
  EXPECT_EQ(ctx->paintFlags & 0x100, 0u);
  EXPECT_EQ(ctx->textColor, tree.GetTextColor());
}

TEST_F(TreeFixture, ExtendedStateThroughTheListsSecondWordAndStyleWords) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  Add("b");
  tree.Expand(a, TVE_EXPAND);
  const int rowA = tree.GetRowOfItem(a);
  ASSERT_TRUE(tree.SetItemStateEx(rowA, 0x100, 0x100));
  EXPECT_EQ(tree.GetItemExState(a), 0x100u);
  EXPECT_EQ(tree.GetItemExState(a1), 0x100u);  // greyed with its parent
  EXPECT_EQ(tree.GetItemStateEx(tree.GetRowOfItem(a1), 0x300), 0x100u);
  ASSERT_TRUE(tree.SetItemStateEx(rowA, 0x200, 0x300));  // hides a and its subtree
  EXPECT_EQ(tree.GetItemExState(a), 0x200u);
  EXPECT_EQ(std::vector<std::string>{"b"}, Rows());
  tree.SetItemExState(a, 0);
  EXPECT_EQ((std::vector<std::string>{"a", "a1", "b"}), Rows());

  ASSERT_TRUE(tree.SetStyles(TVS_HASLINES | TVS_EDITLABELS, TVXS_MULTISEL));
  unsigned style = 0, ex = 0;
  tree.GetStyles(&style, &ex);
  EXPECT_EQ(style, TVS_HASLINES | TVS_EDITLABELS);
  EXPECT_EQ(ex, unsigned(TVXS_MULTISEL));
  EXPECT_TRUE(tree.HasListStyle(LVS_EDITLABELS));
  EXPECT_TRUE(tree.IsMultiSelect());
  ASSERT_TRUE(tree.ModifyStyles(TVS_EDITLABELS, TVS_HASBUTTONS, TVXS_MULTISEL, TVXS_TOOLTIPS));
  tree.GetStyles(&style, &ex);
  EXPECT_EQ(style, TVS_HASLINES | TVS_HASBUTTONS);
  EXPECT_EQ(ex, unsigned(TVXS_TOOLTIPS));
  EXPECT_FALSE(tree.HasListStyle(LVS_EDITLABELS));
  EXPECT_FALSE(tree.IsMultiSelect());
}

TEST_F(TreeFixture, NavigationCodes) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  HTREEITEM deep = Add("deep", a1);
  HTREEITEM b = Add("b");
  EXPECT_EQ(tree.GetNextItem(a, TVGN_PARENT), nullptr);
  EXPECT_EQ(tree.GetNextItem(deep, TVGN_ROOT), a);
  EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_ROOT), a);
  EXPECT_EQ(tree.GetNextItem(TVI_ROOT(), TVGN_CHILD), a);
  EXPECT_EQ(tree.GetNextItem(b, TVGN_PREVIOUS), a);
  EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_NEXT), nullptr);
  EXPECT_EQ(tree.GetNextItem(a, TVGN_FIRSTVISIBLE), a);
  EXPECT_EQ(tree.GetNextItem(a, TVGN_NEXTVISIBLE), b);
  EXPECT_EQ(tree.GetNextItem(a, 77), nullptr);
  EXPECT_EQ(tree.GetNextItemInOrder(a1), deep);
  EXPECT_EQ(tree.GetNextItemInOrder(deep), b);
  EXPECT_EQ(tree.GetDepth(deep), 3);
}

TEST_F(TreeFixture, DeleteRootEmptiesAndAcceptsNewItems) {
  HTREEITEM a = Add("a");
  Add("a1", a);
  tree.EnableSubItemText(true);
  tree.InsertColumn(1, "Value", LVCFMT_LEFT, 50);
  tree.SetItemText(a, 1, "va");
  ASSERT_TRUE(tree.DeleteItem(TVI_ROOT()));
  EXPECT_EQ(tree.GetItemCount(), 0);
  EXPECT_EQ(owner.Count(TVN_DELETEITEM), 2);
  HTREEITEM n = Add("new");
  EXPECT_EQ(Rows(), std::vector<std::string>{"new"});
  EXPECT_EQ(tree.GetItemText(n, 1), "");
}

TEST_F(TreeFixture, SubItemTextsSurviveCollapse) {
  tree.InsertColumn(1, "Value", LVCFMT_LEFT, 50);
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  tree.Expand(a, TVE_EXPAND);
  EXPECT_TRUE(tree.SetItemText(a1, 1, "v1"));
  EXPECT_FALSE(tree.SetItemText(a1, 5, "no such column"));
  tree.Expand(a, TVE_COLLAPSE);
  tree.Expand(a, TVE_EXPAND);
  EXPECT_EQ(tree.GetItemText(a1, 1), "v1");
  EXPECT_EQ(tree.SECListBaseC::GetItemText(tree.GetRowOfItem(a1), 1), "v1");
  // A column inserted in front moves the texts right.
  tree.InsertColumn(1, "Before", LVCFMT_LEFT, 30);
  EXPECT_EQ(tree.GetItemText(a1, 2), "v1");
  EXPECT_EQ(tree.GetItemText(a1, 1), "");
}

TEST_F(TreeFixture, HitTestsOnButtonImageAndLabel) {
  tree.SetTreeImageList(ImageListKind::Normal, {3, 16, 16});
  HTREEITEM a = Add("a");
  TreeInsert ins;
  ins.parent = a;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE;
  ins.item.text = "child";
  ins.item.image = 1;
  HTREEITEM c = tree.InsertItem(ins);
  tree.SetItemState(a, 0, 0);
  tree.Expand(a, TVE_EXPAND);
  tree.UpdateScrollBars();
  Rect button;
  ASSERT_TRUE(tree.GetButtonRect(a, &button));
  // a is top-level with lines at root: the button sits in the first
  // indent column, the label after it; the child is one indent further.
  EXPECT_LT(button.right, tree.GetIndent());
  unsigned flags = 0;
  EXPECT_EQ(tree.HitTest(button.left + button.Width() / 2, button.top + button.Height() / 2, &flags), a);
  EXPECT_EQ(flags, TVHT_ONITEMBUTTON | 0x4000u);
  Rect img;
  ASSERT_TRUE(tree.GetCellRect(tree.GetRowOfItem(c), 0, &img, 1));
  EXPECT_EQ(img.left, 2 * tree.GetIndent());
  EXPECT_EQ(tree.HitTest(img.left + 3, img.top + 3, &flags), c);
  EXPECT_EQ(flags, TVHT_ONITEMICON | 0x4000u);
  Rect label;
  ASSERT_TRUE(tree.GetCellRect(tree.GetRowOfItem(c), 0, &label, 2));
  EXPECT_GE(label.left, img.right);
  EXPECT_EQ(tree.HitTest(label.left + 1, label.top + 1, &flags), c);
  EXPECT_EQ(flags, TVHT_ONITEMLABEL | 0x4000u);
  EXPECT_EQ(tree.HitTest(img.left - 2, img.top + 3, &flags), c);
  EXPECT_EQ(flags, TVHT_ONITEMINDENT | 0x4000u);
  EXPECT_EQ(tree.HitTest(190, img.top + 3, &flags), c);
  EXPECT_EQ(flags, TVHT_ONITEMRIGHT | 0x4000u);

  // Clicking the button toggles without selecting.
  tree.TreeLButtonDown(button.left + 2, button.top + 2, MK_LBUTTON);
  EXPECT_FALSE(tree.IsItemExpanded(a));
  EXPECT_EQ(tree.GetItemCount(), 1);
}

// Button side and label start per image list: 8 pixels without images,
// row height x 20 / 33 (at most 15) with them; the text 6 pixels after
// the images; the box on even coordinates.
TEST_F(TreeFixture, ButtonSizeAndLabelStartFollowTheImages) {
  struct Row {
    const char* name;
    ImageListInfo images;
    int side;
  } rows[] = {
      {"no images", {}, 8},
      {"16-pixel images, row 16 high", {2, 16, 16}, 9},
      {"32-pixel images, capped", {2, 32, 32}, 15},
  };
  for (const Row& r : rows) {
    tree.DeleteAllItems();
    tree.SetTreeImageList(ImageListKind::Normal, r.images);
    TreeInsert ins;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.text = "a";
    ins.item.image = ins.item.selectedImage = 0;
    HTREEITEM a = tree.InsertItem(ins);
    Add("a1", a);
    tree.UpdateScrollBars();
    Rect button;
    ASSERT_TRUE(tree.GetButtonRect(a, &button)) << r.name;
    EXPECT_EQ(button.Width(), r.side) << r.name;
    EXPECT_EQ(button.Height(), r.side) << r.name;
    Rect cell;
    ASSERT_TRUE(tree.GetCellRect(0, 0, &cell, 0)) << r.name;
    EXPECT_EQ((button.left - cell.left) % 2, 0) << r.name;
    EXPECT_EQ((button.top - cell.top) % 2, 0) << r.name;
    Rect label;
    ASSERT_TRUE(tree.GetCellRect(0, 0, &label, 2)) << r.name;
    const int imagesEnd = tree.GetIndent() + (r.images.Exists() ? r.images.cx : 0);  // top level, lines at root
    EXPECT_EQ(label.left + 2 - cell.left, imagesEnd + 6) << r.name;
  }
}

// Hidden children (extended-state bit 0x200) give no button.
TEST_F(TreeFixture, OnlyVisibleChildrenGiveAButton) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  tree.SetItemExState(a1, 0x200);
  Rect button;
  EXPECT_FALSE(tree.GetButtonRect(a, &button));
  tree.SetItemExState(a1, 0);
  EXPECT_TRUE(tree.GetButtonRect(a, &button));
}

TEST_F(TreeFixture, IndentAndImageWidths) {
  tree.SetIndent(19);
  EXPECT_EQ(tree.GetIndent(), 20);
  tree.SetTreeImageList(ImageListKind::Normal, {2, 24, 24});
  EXPECT_EQ(tree.GetIndent(), 24);
  tree.SetTreeImageList(ImageListKind::Normal, {2, 16, 16});
  EXPECT_EQ(tree.GetIndent(), 24);
}

TEST_F(TreeFixture, KeysExpandCollapseAndSwallowExpandCharacters) {
  HTREEITEM a = Add("a");
  HTREEITEM a1 = Add("a1", a);
  Add("b");
  tree.SelectItem(a);
  tree.OnKeyDown(vk::Right, false, false);
  EXPECT_TRUE(tree.IsItemExpanded(a));
  tree.OnKeyDown(vk::Right, false, false);
  EXPECT_EQ(tree.GetCaretItem(), a1);
  tree.OnKeyDown(vk::Left, false, false);  // a1 has no children: to its parent
  EXPECT_EQ(tree.GetCaretItem(), a);
  tree.OnKeyDown(vk::Subtract, false, false);
  EXPECT_FALSE(tree.IsItemExpanded(a));
  tree.OnKeyDown(vk::Multiply, false, false);
  EXPECT_TRUE(tree.IsItemExpanded(a));
  EXPECT_TRUE(tree.TreeChar('+'));
  EXPECT_TRUE(tree.TreeChar('*'));
  EXPECT_EQ(tree.GetTypeAheadFlags(), 0);  // no search started
  tree.TreeChar('b');
  EXPECT_EQ(tree.GetItemText(tree.GetCaretItem(), 0), "b");
  EXPECT_GE(owner.Count(TVN_KEYDOWN), 5);
}

TEST_F(TreeFixture, HoverOverDropTargetExpands) {
  tree.ModifyTreeStyleEx(0, TVXS_HOVEREXPAND);
  HTREEITEM a = Add("a");
  Add("a1", a);
  HTREEITEM b = Add("b");
  Add("b1", b);
  tree.SelectDropTarget(a);
  EXPECT_EQ(host.timers[kTimerHover], 1000);
  tree.SelectDropTarget(b);  // another row restarts the wait
  EXPECT_EQ(host.timers.count(kTimerHover), 1u);
  // The type-ahead timer neither ends the wait nor expands the target.
  tree.TreeTimer(kTimerTypeAhead);
  EXPECT_EQ(host.timers.count(kTimerHover), 1u);
  EXPECT_FALSE(tree.IsItemExpanded(b));
  host.immediateRepaints = 0;
  tree.TreeTimer(kTimerHover);
  EXPECT_TRUE(tree.IsItemExpanded(b));
  EXPECT_GE(host.immediateRepaints, 1);  // shown at once, mid-drag
  EXPECT_FALSE(tree.IsItemExpanded(a));
  EXPECT_EQ(host.timers.count(kTimerHover), 0u);
  tree.SelectDropTarget(nullptr);
  EXPECT_EQ(tree.GetNextItem(nullptr, TVGN_DROPHILITE), nullptr);
}

TEST(TreeLabel, HighlightTokenIsNotShown) {
  size_t pos = 0;
  EXPECT_EQ(SECTreeBaseC::DisplayLabel("value\\{HI}changed", &pos), "valuechanged");
  EXPECT_EQ(pos, 5u);
  EXPECT_EQ(SECTreeBaseC::DisplayLabel("plain", &pos), "plain");
  EXPECT_EQ(pos, std::string::npos);
}

// --- node records --------------------------------------------------------------

TEST(TreeNodes, AddChildPositionsAndRefusal) {
  TreeNode root;
  auto* a = new TreeNode;
  auto* b = new TreeNode;
  auto* c = new TreeNode;
  auto* d = new TreeNode;
  TreeNode other;
  auto* stranger = new TreeNode;
  other.AddChildLast(stranger);
  EXPECT_TRUE(root.AddChild(a, stranger));  // no children yet: only child
  EXPECT_TRUE(root.AddChild(c, reinterpret_cast<SECTreeNode*>(std::uintptr_t(2))));
  EXPECT_TRUE(root.AddChild(b, a));
  EXPECT_TRUE(root.AddChildFirst(d));
  auto* e = new TreeNode;
  EXPECT_FALSE(root.AddChild(e, stranger));
  EXPECT_EQ(e->RawParent(), nullptr);
  delete e;
  std::vector<SECTreeNode*> order;
  for (SECTreeNode* n = root.GetFirstChild(); n; n = n->GetNextSibling()) order.push_back(n);
  EXPECT_EQ(order, (std::vector<SECTreeNode*>{d, a, b, c}));
  EXPECT_EQ(c->GetPrevInOrder(), b);
  EXPECT_TRUE(root.IsAncestorOf(b));
  EXPECT_FALSE(b->IsAncestorOf(b));
  b->Detach();
  EXPECT_EQ(a->GetNextSibling(), c);
  delete b;
}

TEST(TreeNodes, HiddenLevelJoinsGrandchildren) {
  TreeNode root;
  auto* c1 = new TreeNode;
  auto* c2 = new TreeNode;
  auto* g1 = new TreeNode;
  auto* g2 = new TreeNode;
  root.AddChildLast(c1);
  root.AddChildLast(c2);
  c1->AddChildLast(g1);
  c2->AddChildLast(g2);
  root.SetHiddenLevel(1);
  EXPECT_EQ(g1->GetParent(), &root);
  EXPECT_EQ(g1->GetNextSibling(), g2);
  EXPECT_EQ(g2->GetPrevSibling(), g1);
  root.SetHiddenLevel(0);
  EXPECT_EQ(g1->GetParent(), c1);
  EXPECT_EQ(g1->GetNextSibling(), nullptr);
}

TEST(TreeNodes, DeepChainDeletesWithoutRecursion) {
  auto* root = new TreeNode;
  SECTreeNode* cur = root;
  for (int i = 0; i < 200000; ++i) {
    auto* n = new TreeNode;
    cur->AddChildLast(n);
    cur = n;
  }
  EXPECT_EQ(cur->GetRawLevel(), 200000);
  delete root;  // would overflow the stack if deletion recursed
}

TEST(SubItemTextStorage, StoreMoveAndInsert) {
  SECSubItemTextStorage s;
  TreeNode a, b;
  std::string t = "x";
  EXPECT_FALSE(s.GetSubItemText(&a, 1, &t));
  EXPECT_EQ(t, "");
  EXPECT_TRUE(s.InsertColumn(1));
  EXPECT_EQ(s.ItemCount(), 0u);
  s.SetSubItemText(&a, 5, "five");
  for (int c = 1; c <= 4; ++c) {
    EXPECT_TRUE(s.GetSubItemText(&a, c, &t));
    EXPECT_EQ(t, "");
  }
  s.SetSubItemText(&a, 1, "one");
  EXPECT_TRUE(s.MoveColumn(&a, 1, 3));
  s.GetSubItemText(&a, 3, &t);
  EXPECT_EQ(t, "one");
  EXPECT_FALSE(s.MoveColumn(&b, 1, 2));
  s.InsertColumn(1);
  s.GetSubItemText(&a, 6, &t);
  EXPECT_EQ(t, "five");
  EXPECT_TRUE(s.RemoveItem(&a));
  EXPECT_FALSE(s.RemoveItem(&a));
}

TEST(SubItemTextStorage, TheLabelColumnIsRefusedNotIndexed) {
  SECSubItemTextStorage s;
  TreeNode a;
  s.SetSubItemText(&a, 1, "one");
  struct Row {
    const char* name;
    int from, to;
  } rows[] = {{"from the label", 0, 1}, {"to the label", 1, 0}, {"negative", -1, 2}};
  for (const Row& r : rows) EXPECT_FALSE(s.MoveColumn(&a, r.from, r.to)) << r.name;
  EXPECT_FALSE(s.InsertColumn(0));
  EXPECT_FALSE(s.SetSubItemText(&a, 0, "label"));
  std::string t;
  EXPECT_TRUE(s.GetSubItemText(&a, 1, &t));
  EXPECT_EQ(t, "one");
}

// The parent keeps its last child through every way of linking and
// unlinking, so appending never walks the children.
struct LastChildRow {
  const char* name;
  std::vector<std::string> ops;  // "last N", "first N", "after A N", "detach N"
  std::string order;             // the children, first to last
};

class TreeNodeLastChild : public ::testing::TestWithParam<LastChildRow> {};

TEST_P(TreeNodeLastChild, StaysTheWalkedLast) {
  SECTreeNode parent;
  std::map<std::string, SECTreeNode*> nodes;
  auto node = [&](const std::string& n) {
    if (!nodes[n]) nodes[n] = new SECTreeNode;
    return nodes[n];
  };
  for (const std::string& op : GetParam().ops) {
    std::istringstream in(op);
    std::string verb, a, b;
    in >> verb >> a >> b;
    if (verb == "last") {
      ASSERT_TRUE(parent.AddChildLast(node(a)));
    } else if (verb == "first") {
      ASSERT_TRUE(parent.AddChildFirst(node(a)));
    } else if (verb == "after") {
      ASSERT_TRUE(parent.AddChild(node(b), node(a)));
    }
    if (verb == "detach") {
      node(a)->Detach();
      delete node(a);
      nodes.erase(a);
    }
  }
  std::string order;
  SECTreeNode* walked = nullptr;
  for (SECTreeNode* c = parent.RawFirstChild(); c; c = c->RawNext()) {
    for (const auto& [n, p] : nodes)
      if (p == c) order += n;
    walked = c;
  }
  EXPECT_EQ(order, GetParam().order);
  EXPECT_EQ(parent.RawLastChild(), walked);
  EXPECT_EQ(parent.GetLastChild(), walked);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TreeNodeLastChild,
    ::testing::Values(LastChildRow{"Appends", {"last a", "last b", "last c"}, "abc"},
                      LastChildRow{"FirstIntoEmpty", {"first a", "last b"}, "ab"},
                      LastChildRow{"FirstBeforeOthers", {"last a", "first b"}, "ba"},
                      LastChildRow{"AfterTheLast", {"last a", "after a b", "last c"}, "abc"},
                      LastChildRow{"AfterAMiddleOne", {"last a", "last c", "after a b"}, "abc"},
                      LastChildRow{"LastDetached", {"last a", "last b", "detach b", "last c"}, "ac"},
                      LastChildRow{"OnlyDetached", {"last a", "detach a", "last b"}, "b"},
                      LastChildRow{"FirstDetached", {"last a", "last b", "detach a"}, "b"},
                      LastChildRow{"MiddleDetached", {"last a", "last b", "last c", "detach b"}, "ac"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
