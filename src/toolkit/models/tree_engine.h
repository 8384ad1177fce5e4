#pragma once
// SECTreeBaseC: a tree of nodes on the list engine. Every visible node is
// one row; collapsing a node removes its descendants' rows, expanding puts
// them back. Item handles are node addresses; null and TVI_ROOT stand for
// the hidden root. Notifications use the tree-view codes and records.

#include <memory>
#include <string>

#include "toolkit/models/list_engine.h"
#include "toolkit/models/subitem_text_storage.h"
#include "toolkit/models/tree_node.h"

namespace pm2 {

constexpr unsigned TVS_HASBUTTONS = 0x1;
constexpr unsigned TVS_HASLINES = 0x2;
constexpr unsigned TVS_LINESATROOT = 0x4;
constexpr unsigned TVS_EDITLABELS = 0x8;
constexpr unsigned TVS_DISABLEDRAGDROP = 0x10;
constexpr unsigned TVS_SHOWSELALWAYS = 0x20;
constexpr unsigned TVS_SINGLEEXPAND = 0x400;

constexpr unsigned TVXS_MULTISEL = 0x00100000;
constexpr unsigned TVXS_WRAP = 0x00200000;
constexpr unsigned TVXS_COLUMNHEADER = 0x00400000;
constexpr unsigned TVXS_TOOLTIPS = 0x00800000;
constexpr unsigned TVXS_ANIMATE = 0x01000000;
constexpr unsigned TVXS_HOVEREXPAND = 0x02000000;
constexpr unsigned TVXS_HEADERCLICK = 0x04000000;
constexpr unsigned TVXS_HEADERDRAG = 0x08000000;

constexpr int kNoImage = -12;
// The drop-target hover timer has its own id, apart from the list's
// type-ahead timer, so that neither ends the other.
constexpr int kTimerHover = 4;
// Rows an animated expand shows at once; an animated collapse shows the
// window this many times while its rows go.
constexpr int kAnimationSteps = 5;

struct TreeInsert {
  HTREEITEM parent = nullptr;
  HTREEITEM insertAfter = nullptr;  // TVI_FIRST, TVI_LAST, TVI_SORT, ... or a sibling
  TreeItemDesc item;
};

// Tree geometry of a row's label column, relative to the cell.
struct TreeRowLayout {
  int xOrigin = 0;       // where the item's images start
  Rect button;           // empty when the item shows no button
};

class SECTreeBaseC : public SECListBaseC {
 public:
  SECTreeBaseC();
  ~SECTreeBaseC() override;

  void Create(unsigned style, unsigned exStyle) override;

  // --- styles ---
  unsigned GetTreeStyle() const;
  unsigned GetTreeStyleEx() const { return m_treeStyleEx; }
  bool SetTreeStyle(unsigned style);
  bool SetTreeStyleEx(unsigned exStyle);
  bool ModifyTreeStyle(unsigned remove, unsigned add) { return SetTreeStyle((GetTreeStyle() & ~remove) | add); }
  bool ModifyTreeStyleEx(unsigned remove, unsigned add) { return SetTreeStyleEx((m_treeStyleEx & ~remove) | add); }
  // Both words: SetTreeStyle, then SetTreeStyleEx; true when both succeed.
  bool SetStyles(unsigned style, unsigned exStyle) { return SetTreeStyle(style) && SetTreeStyleEx(exStyle); }
  void GetStyles(unsigned* style, unsigned* exStyle) const {
    if (style) *style = GetTreeStyle();
    if (exStyle) *exStyle = m_treeStyleEx;
  }
  bool ModifyStyles(unsigned remove, unsigned add, unsigned removeEx, unsigned addEx) {
    return ModifyTreeStyle(remove, add) && ModifyTreeStyleEx(removeEx, addEx);
  }
  int GetIndent() const { return m_indent; }
  void SetIndent(int indent);
  void SetKeepParentVisible(bool on) { m_keepParentVisible = on; }
  void SetLabelWrap(bool on) override;
  void EnableMultiSelect(bool on) override;
  void EnableToolTips(bool on) override;
  void SetHeaderStyle(bool show, bool clickable) override;
  void SetTreeImageList(ImageListKind kind, ImageListInfo info);

  // --- items ---
  HTREEITEM InsertItem(const TreeInsert& ins);
  HTREEITEM InsertItem(const std::string& text, HTREEITEM parent = nullptr, HTREEITEM after = nullptr);
  bool DeleteItem(HTREEITEM item);
  void DeleteAllItems() override;
  HTREEITEM GetNextItem(HTREEITEM item, unsigned code);
  HTREEITEM GetRootItem() { return GetNextItem(nullptr, TVGN_ROOT); }
  HTREEITEM GetChildItem(HTREEITEM item) { return GetNextItem(item, TVGN_CHILD); }
  HTREEITEM GetNextSiblingItem(HTREEITEM item) { return GetNextItem(item, TVGN_NEXT); }
  HTREEITEM GetParentItem(HTREEITEM item) { return GetNextItem(item, TVGN_PARENT); }
  HTREEITEM GetCaretItem() { return GetNextItem(nullptr, TVGN_CARET); }
  bool GetTreeItem(TreeItemDesc& desc, bool copyText = true, bool ask = true);
  bool SetTreeItem(const TreeItemDesc& desc);
  bool SetItemState(HTREEITEM item, unsigned state, unsigned mask);
  bool SetItemData(HTREEITEM item, std::intptr_t value);
  bool SetItemLabel(HTREEITEM item, const std::string& text);
  bool SetItemText(HTREEITEM item, int column, const std::string& text);
  std::string GetItemText(HTREEITEM item, int column = 0);
  std::intptr_t GetItemData(HTREEITEM item);
  unsigned GetItemState(HTREEITEM item, unsigned mask);
  bool IsItemExpanded(HTREEITEM item);
  bool ItemHasChildren(HTREEITEM item);
  bool ItemHasChildrenCallback(HTREEITEM item);
  int CountItems(HTREEITEM item, bool recursive, bool expandedOnly);
  HTREEITEM GetNextItemInOrder(HTREEITEM item);
  bool Expand(HTREEITEM item, unsigned code, bool redraw = true, bool force = false);
  bool ExpandAll(HTREEITEM item, bool redraw = true);
  bool Select(HTREEITEM item, unsigned code);
  bool SelectItem(HTREEITEM item) { return Select(item, TVGN_CARET); }
  bool SelectDropTarget(HTREEITEM item, bool ensureVisible = true);
  bool EnsureVisible(HTREEITEM item, bool withParent = false);
  HTREEITEM HitTest(int x, int y, unsigned* flags);
  HTREEITEM GetItemAtRow(int row) const;
  int GetRowOfItem(HTREEITEM item, int firstRow = 0) const;
  // The same answer by a search of every row (what the index must match).
  int FindRowLinear(HTREEITEM item, int firstRow = 0) const;
  virtual int CompareItems(HTREEITEM a, HTREEITEM b);
  // The extended state of an item: 0x100 greys it and its subtree, 0x200
  // hides them. GetItemExState reports 0x100 also when an ancestor has it.
  void SetItemExState(HTREEITEM item, unsigned exState);
  unsigned GetItemExState(HTREEITEM item) const;
  bool IsNodeVisible(HTREEITEM item) const;
  int GetDepth(HTREEITEM item) const;

  // --- sub-item texts ---
  void EnableSubItemText(bool on);
  bool HasSubItemText() const { return m_store != nullptr; }
  int InsertColumn(int index, const std::string& text, int format = LVCFMT_LEFT, int width = -1,
                   int subItem = -1, int image = -1, bool redraw = true) override;
  bool DeleteColumn(int index) override;

  // --- layout of the label column ---
  TreeRowLayout RowLayout(int row);
  bool GetButtonRect(HTREEITEM item, Rect* r);
  // A child not hidden by extended-state bit 0x200: buttons and the line
  // down to the children are drawn only for such items.
  static bool HasVisibleChild(const TreeNode* node);
  // A label's display text: the highlight token "\{HI}" removed.
  static std::string DisplayLabel(const std::string& label, size_t* tokenPos = nullptr);

  // --- input the widget forwards ---
  void TreeLButtonDown(int x, int y, unsigned keyFlags);
  void TreeLButtonDblClk(int x, int y, unsigned keyFlags);
  bool TreeChar(char ch);
  void TreeTimer(int id);

  // --- list engine overrides ---
  using SECListBaseC::EnsureVisible;
  using SECListBaseC::HitTest;
  bool GetItem(ListItemDesc& desc, bool ask = true) override;
  bool SetItem(const ListItemDesc& desc, bool redraw = true) override;
  bool HasCallbacks(int index) const override;
  // The list's second state word of a row is its node's extended state.
  bool SetItemStateEx(const ListItemDesc& desc) override;
  bool GetItemStateEx(ListItemDesc& desc) override;
  using SECListBaseC::GetItemStateEx;
  using SECListBaseC::SetItemStateEx;
  NotifyResult NotifyDeleteItem(int) override { return 0; }
  NotifyResult NotifyBeginLabelEdit(int item, int subItem) override;
  NotifyResult NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) override;
  NotifyResult NotifyKeyDown(unsigned key) override;
  void PickItemFont(SECListPaintContext& ctx) override;
  bool InitPaintContext(SECListPaintContext& ctx, int index, int column) override;

 protected:
  void OnRowsRemoving(int index, int count) override;
  bool OnSelChanging(int item, int oldFocus, bool byMouse) override;
  void OnSelChanged(int item, int oldFocus, bool byMouse) override;
  void OnBeginDrag(int focus, Point pt) override;
  void OnBeginRightDrag(int focus, Point pt) override;
  void OnLabelEdited(int item, int subItem) override;
  void CalcItemHeight(SECListPaintContext& ctx, int* height) override;
  void OnColumnMoved(int from, int to) override;
  void OnKeyHome(int focus, bool shift, bool ctrl) override;
  void OnKeyEnd(int focus, bool shift, bool ctrl) override;
  void OnKeyCollapse(int focus) override;
  void OnKeyBack(int focus) override;
  void OnKeyExpand(int focus) override;
  void OnKeyExpandAll(int focus) override;
  std::string TypeAheadLabel(int index) override;

  virtual NotifyResult NotifyItemExpanding(TreeNode* node, unsigned code);
  virtual NotifyResult NotifyItemExpanded(TreeNode* node, unsigned code);
  virtual NotifyResult NotifySetDispInfo(TreeNode* node, unsigned mask);
  virtual NotifyResult NotifyTreeGetDispInfo(TreeItemDesc& desc);
  virtual void OnDeleteItem(TreeNode* node);
  virtual std::unique_ptr<TreeNode> CreateNode() { return std::make_unique<TreeNode>(); }
  NotifyResult NotifySelChange(int code, int row, int oldRow, int cause);

 private:
  TreeNode* Node(HTREEITEM h) const;
  bool ApplyItem(TreeNode* node, const TreeItemDesc& desc);
  int InsertRow(int row, TreeNode* node);
  TreeNode* PrevVisible(TreeNode* node) const;
  TreeNode* NextVisible(TreeNode* node) const;
  int InsertDescendantRows(TreeNode* node, int row);
  bool DeleteNodeLevel(TreeNode* node, bool wholeTree);
  void RebuildRows();
  void ForgetRowsOf(TreeNode* node);
  void NewRoot();

  std::unique_ptr<SECSubItemTextStorage> m_store;
  std::unique_ptr<TreeNode> m_root;
  int m_indent = 20;
  unsigned m_treeStyle = 0;
  unsigned m_treeStyleEx = 0;
  bool m_hoverTimer = false;
  int m_hoverDelay = 1000;
  bool m_keepParentVisible = true;
  bool m_rowsRenamed = false;  // a row's node was changed through the list: no index
  bool m_busyRows = false;  // rows change from within the tree: no selection notifications
};

// The concrete tree control model.
class SECTreeCtrlModel : public SECTreeBaseC {};

}  // namespace pm2
