// Tree control model on the list engine: nodes, rows, expand and collapse,
// selection, hit tests, notifications and the label column's layout.
#include "toolkit/models/tree_engine.h"

#include <algorithm>

namespace pm2 {
namespace {

constexpr char kHighlightToken[] = "\\{HI}";
// A one-line label is measured and drawn up to this many characters.
constexpr size_t kSingleLineLabelMax = 259;

HTREEITEM AsHandle(std::uintptr_t v) { return reinterpret_cast<HTREEITEM>(v); }
bool IsRootHandle(HTREEITEM h) { return h == nullptr || h == AsHandle(kTviRoot); }

}  // namespace

SECTreeBaseC::SECTreeBaseC() {
  ModifyListStyle(0, LVS_REPORT | LVS_SHAREIMAGELISTS, false);
  NewRoot();
}

SECTreeBaseC::~SECTreeBaseC() {
  // Nodes go before the list engine's rows that name them.
  m_root.reset();
}

void SECTreeBaseC::NewRoot() {
  m_root = CreateNode();
  m_root->SetExpanded(true);
}

void SECTreeBaseC::Create(unsigned style, unsigned exStyle) {
  SECListBaseC::Create(LVS_REPORT | LVS_SHAREIMAGELISTS | (style & ~0x43Fu & 0xF3FFu), exStyle & ~0x3F00000u);
  if (GetColumnCount() == 0) SECListBaseC::InsertColumn(0, "", LVCFMT_LEFT, -1, 0, -1, true);
  SetTreeStyle(style & 0x43F);
  SetTreeStyleEx(exStyle & 0x3F00000);
}

// --- styles -------------------------------------------------------------------

unsigned SECTreeBaseC::GetTreeStyle() const {
  unsigned s = m_treeStyle;
  if (GetListStyle() & LVS_EDITLABELS) s |= TVS_EDITLABELS;
  if (GetListStyle() & LVS_SHOWSELALWAYS) s |= TVS_SHOWSELALWAYS;
  return s;
}

bool SECTreeBaseC::SetTreeStyle(unsigned style) {
  m_treeStyle = style & 0x417;
  unsigned add = ((style & TVS_EDITLABELS) ? LVS_EDITLABELS : 0) | ((style & TVS_SHOWSELALWAYS) ? LVS_SHOWSELALWAYS : 0);
  InvalidateAllMeasures();
  return ModifyListStyle(LVS_EDITLABELS | LVS_SHOWSELALWAYS, add);
}

bool SECTreeBaseC::SetTreeStyleEx(unsigned ex) {
  m_treeStyleEx = ex;
  unsigned remove = 0, add = 0, removeEx = 0, addEx = 0;
  ((ex & TVXS_MULTISEL) ? remove : add) |= LVS_SINGLESEL;
  ((ex & TVXS_WRAP) ? remove : add) |= LVS_NOLABELWRAP;
  ((ex & TVXS_COLUMNHEADER) ? remove : add) |= LVS_NOCOLUMNHEADER;
  if ((ex & TVXS_HEADERCLICK) && (ex & TVXS_COLUMNHEADER)) {
    remove |= LVS_NOSORTHEADER;
    ((ex & TVXS_HEADERDRAG) ? addEx : removeEx) |= LVXS_HEADERDRAGDROP;
  } else {
    add |= LVS_NOSORTHEADER;
    removeEx |= LVXS_HEADERDRAGDROP;
  }
  ((ex & TVXS_TOOLTIPS) ? addEx : removeEx) |= LVXS_TOOLTIPS;
  if (!(ex & TVXS_MULTISEL) && GetSelectedCount() > 1) DeselectAllExcept(GetFocusIndex());
  return ModifyListStyles(remove, add, removeEx, addEx);
}

void SECTreeBaseC::SetLabelWrap(bool on) { ModifyTreeStyleEx(on ? 0 : TVXS_WRAP, on ? TVXS_WRAP : 0); }
void SECTreeBaseC::EnableMultiSelect(bool on) { ModifyTreeStyleEx(on ? 0 : TVXS_MULTISEL, on ? TVXS_MULTISEL : 0); }
void SECTreeBaseC::EnableToolTips(bool on) { ModifyTreeStyleEx(on ? 0 : TVXS_TOOLTIPS, on ? TVXS_TOOLTIPS : 0); }

void SECTreeBaseC::SetHeaderStyle(bool show, bool clickable) {
  unsigned ex = m_treeStyleEx & ~(TVXS_COLUMNHEADER | TVXS_HEADERCLICK);
  if (show) ex |= TVXS_COLUMNHEADER;
  if (clickable) ex |= TVXS_HEADERCLICK;
  SetTreeStyleEx(ex);
}

void SECTreeBaseC::SetIndent(int indent) {
  m_indent = indent + (indent & 1);  // always even
  InvalidateAllMeasures();
}

void SECTreeBaseC::SetTreeImageList(ImageListKind kind, ImageListInfo info) {
  SetImageList(kind, info);
  if (kind == ImageListKind::Normal && info.Exists() && info.cx > m_indent) SetIndent(info.cx);
}

// --- nodes and rows ---------------------------------------------------------------

TreeNode* SECTreeBaseC::Node(HTREEITEM h) const { return IsRootHandle(h) ? m_root.get() : h; }

HTREEITEM SECTreeBaseC::GetItemAtRow(int row) const {
  SECListItem* rec = GetItemRecord(row);
  return rec ? reinterpret_cast<HTREEITEM>(rec->param) : nullptr;
}

int SECTreeBaseC::GetRowOfItem(HTREEITEM item, int firstRow) const {
  if (IsRootHandle(item)) return -1;
  const auto want = reinterpret_cast<std::intptr_t>(item);
  // The index answers while every row names the node it was made for; a
  // node shown in several rows, or rows renamed through the list, are
  // looked up the long way (first match from firstRow on).
  if (!m_rowsRenamed) {
    if (item->rowCount == 0) return -1;
    if (item->rowCount == 1 && item->rowRecord) {
      const int r = RowOfRecord(item->rowRecord);
      if (r >= 0 && GetItemRecord(r)->param == want) return r >= firstRow ? r : -1;
    }
  }
  return FindRowLinear(item, firstRow);
}

int SECTreeBaseC::FindRowLinear(HTREEITEM item, int firstRow) const {
  if (IsRootHandle(item)) return -1;
  const auto want = reinterpret_cast<std::intptr_t>(item);
  for (int r = std::max(0, firstRow); r < GetItemCount(); ++r) {
    if (GetItemRecord(r)->param == want) return r;
  }
  return -1;
}

void SECTreeBaseC::OnRowsRemoving(int index, int count) {
  for (int r = index; r < index + count; ++r) {
    SECListItem* rec = GetItemRecord(r);
    if (!rec || !rec->link) continue;
    auto* node = static_cast<TreeNode*>(rec->link);
    --node->rowCount;
    if (node->rowRecord == rec) node->rowRecord = nullptr;
  }
}

void SECTreeBaseC::ForgetRowsOf(TreeNode* node) {
  // Only a node shown twice still has rows when it goes; they stay (as
  // before) but no longer link to it.
  if (node->rowCount <= 0) return;
  for (int r = 0; r < GetItemCount(); ++r) {
    if (GetItemRecord(r)->link == node) GetItemRecord(r)->link = nullptr;
  }
  node->rowCount = 0;
  node->rowRecord = nullptr;
}

bool SECTreeBaseC::IsNodeVisible(HTREEITEM item) const {
  TreeNode* n = Node(item);
  if (n == m_root.get()) return false;
  if (n->extState & 0x200) return false;
  for (TreeNode* p = n->Parent(); p && p != m_root.get(); p = p->Parent()) {
    if (!p->IsExpanded() || (p->extState & 0x200)) return false;
  }
  return true;
}

int SECTreeBaseC::GetDepth(HTREEITEM item) const { return Node(item)->GetDepth(); }

TreeNode* SECTreeBaseC::PrevVisible(TreeNode* node) const {
  for (auto* p = static_cast<TreeNode*>(node->GetPrevInOrder()); p && p != m_root.get();
       p = static_cast<TreeNode*>(p->GetPrevInOrder())) {
    if (IsNodeVisible(p)) return p;
  }
  return nullptr;
}

TreeNode* SECTreeBaseC::NextVisible(TreeNode* node) const {
  for (auto* p = static_cast<TreeNode*>(node->GetNextInOrder()); p; p = static_cast<TreeNode*>(p->GetNextInOrder())) {
    if (IsNodeVisible(p)) return p;
  }
  return nullptr;
}

int SECTreeBaseC::InsertRow(int row, TreeNode* node) {
  auto rec = NewItem();
  rec->param = reinterpret_cast<std::intptr_t>(node);
  rec->link = node;
  node->rowRecord = rec.get();
  ++node->rowCount;
  rec->state2 = node->rowWord;
  AddSubItems(*rec);
  const bool was = m_busyRows;
  m_busyRows = true;
  int r = InsertItemRecord(row, std::move(rec));
  m_busyRows = was;
  return r;
}

int SECTreeBaseC::InsertDescendantRows(TreeNode* node, int row) {
  for (TreeNode* c = node->FirstChild(); c; c = c->Next()) {
    if (c->extState & 0x200) continue;
    InsertRow(row++, c);
    if (c->IsExpanded()) row = InsertDescendantRows(c, row);
  }
  return row;
}

bool SECTreeBaseC::ApplyItem(TreeNode* node, const TreeItemDesc& d) {
  unsigned marked = 0;
  bool applied = false;
  TreeItemDesc& it = node->item;
  if (d.mask & TVIF_CHILDREN) {
    if (it.children == -1) marked |= TVIF_CHILDREN;
    else it.children = d.children;
  }
  if (d.mask & TVIF_IMAGE) {
    if (it.image == -1) marked |= TVIF_IMAGE;
    else it.image = d.image;
  }
  if (d.mask & TVIF_SELECTEDIMAGE) {
    if (it.selectedImage == -1) marked |= TVIF_SELECTEDIMAGE;
    else it.selectedImage = d.selectedImage;
  }
  if (d.mask & TVIF_PARAM) it.param = d.param;
  if (d.mask & TVIF_STATE) it.state = (it.state & ~d.stateMask) | (d.state & d.stateMask);
  if (d.mask & TVIF_TEXT) {
    if (d.textCallback) {
      it.textCallback = true;
      it.text.clear();
    }
    if (it.textCallback) {
      marked |= TVIF_TEXT;
    } else {
      it.text = d.text;
      applied = true;
    }
  }
  if (marked) NotifySetDispInfo(node, marked);
  return applied;
}

HTREEITEM SECTreeBaseC::InsertItem(const std::string& text, HTREEITEM parent, HTREEITEM after) {
  TreeInsert ins;
  ins.parent = parent;
  ins.insertAfter = after ? after : TVI_LAST();
  ins.item.mask = TVIF_TEXT;
  ins.item.text = text;
  return InsertItem(ins);
}

HTREEITEM SECTreeBaseC::InsertItem(const TreeInsert& ins) {
  if (!m_root) NewRoot();
  TreeNode* parent = Node(ins.parent);
  auto owned = CreateNode();
  TreeNode* node = owned.get();
  TreeItemDesc d = ins.item;
  d.mask |= TVIF_HANDLE;
  d.hItem = node;
  // The fields are applied as by SetItem: a new node holds no
  // owner-supplied value yet, so only a callback text goes to the owner;
  // the expanded bit is decided below.
  node->item.mask = d.mask;
  ApplyItem(node, d);

  const auto pos = reinterpret_cast<std::uintptr_t>(ins.insertAfter);
  SECTreeNode* after = SECTreeNode::kLast;
  if (pos == kTviFirst) {
    after = SECTreeNode::kFirst;
  } else if (pos == kTviSort || pos == kTviSortDescending) {
    after = SECTreeNode::kLast;
    TreeNode* before = nullptr;
    for (TreeNode* c = parent->FirstChild(); c; c = c->Next()) {
      int cmp = CompareItems(c, node);
      if ((pos == kTviSort && cmp > 0) || (pos == kTviSortDescending && cmp < 0)) {
        before = c;
        break;
      }
    }
    if (before) after = before->Prev() ? static_cast<SECTreeNode*>(before->Prev()) : SECTreeNode::kFirst;
  } else if (pos != 0 && pos != kTviRoot && pos != kTviLast) {
    after = ins.insertAfter;
  }
  if (!parent->AddChild(node, after)) return nullptr;
  owned.release();  // the parent owns it now
  const bool expanded = (ins.item.mask & TVIF_STATE) && (ins.item.state & TVIS_EXPANDED) &&
                        (ins.item.stateMask & TVIS_EXPANDED);
  node->SetExpanded(expanded);
  if (IsNodeVisible(node)) {
    TreeNode* prev = PrevVisible(node);
    int row = prev ? GetRowOfItem(prev) + 1 : 0;
    InsertRow(row, node);
  }
  return node;
}

bool SECTreeBaseC::DeleteNodeLevel(TreeNode* start, bool wholeTree) {
  while (TreeNode* leaf = static_cast<TreeNode*>(start->GetFirstLeaf())) {
    if (!wholeTree) {
      int row = GetRowOfItem(leaf);
      if (row >= 0) SECListBaseC::DeleteItems(row, 1);
    }
    OnDeleteItem(leaf);
    ForgetRowsOf(leaf);
    leaf->Detach();
    delete leaf;
  }
  return true;
}

bool SECTreeBaseC::DeleteItem(HTREEITEM item) {
  TreeNode* node = Node(item);
  if (node == m_root.get()) {
    // Rows go first: ending a running edit or a repaint must never meet a
    // row whose node is already gone.
    EndLabelEdit(true);
    SECListBaseC::DeleteAllItems();
    m_rowsRenamed = false;
    DeleteNodeLevel(node, true);
    NewRoot();
    return true;
  }
  DeleteNodeLevel(node, false);
  int row = GetRowOfItem(node);
  if (row >= 0) SECListBaseC::DeleteItems(row, 1);
  OnDeleteItem(node);
  ForgetRowsOf(node);
  node->Detach();
  delete node;
  return true;
}

void SECTreeBaseC::DeleteAllItems() { DeleteItem(nullptr); }

void SECTreeBaseC::OnDeleteItem(TreeNode* node) {
  NMTREEVIEW nm;
  nm.hdr.code = TVN_DELETEITEM;
  nm.itemOld = node->item;
  Send(nm.hdr);
  if (m_store) m_store->RemoveItem(node);
}

// --- item access --------------------------------------------------------------------

bool SECTreeBaseC::GetTreeItem(TreeItemDesc& d, bool copyText, bool ask) {
  TreeNode* node = Node(d.hItem);
  const TreeItemDesc& it = node->item;
  unsigned collected = 0;
  if (d.mask & TVIF_CHILDREN) {
    d.children = it.children;
    if (it.children == -1) collected |= TVIF_CHILDREN;
  }
  if (d.mask & TVIF_IMAGE) {
    d.image = it.image;
    if (it.image == -1) collected |= TVIF_IMAGE;
  }
  if (d.mask & TVIF_SELECTEDIMAGE) {
    d.selectedImage = it.selectedImage;
    if (it.selectedImage == -1) collected |= TVIF_SELECTEDIMAGE;
  }
  if (d.mask & TVIF_PARAM) d.param = it.param;
  if (d.mask & TVIF_STATE) {
    unsigned s = it.state;
    int row = GetRowOfItem(node);
    if (row >= 0) {
      s &= ~(TVIS_SELECTED | TVIS_DROPHILITED);
      if (IsItemSelected(row)) s |= TVIS_SELECTED;
      if (GetDropHiliteIndex() == row) s |= TVIS_DROPHILITED;
    }
    d.state = s & d.stateMask;
  }
  if (d.mask & TVIF_TEXT) {
    d.textCallback = it.textCallback;
    if (it.textCallback) collected |= TVIF_TEXT;
    else d.text = copyText ? it.text.substr(0, std::max(0, d.textMax)) : it.text;
  }
  if (ask && collected) {
    d.param = it.param;
    TreeItemDesc q = d;
    q.mask = collected;
    NotifyTreeGetDispInfo(q);
    if (collected & TVIF_TEXT) {
      d.text = q.text;
      d.textCallback = false;
    }
    if (collected & TVIF_IMAGE) d.image = q.image;
    if (collected & TVIF_SELECTEDIMAGE) d.selectedImage = q.selectedImage;
    if (collected & TVIF_CHILDREN) d.children = q.children;
  }
  return true;
}

bool SECTreeBaseC::SetTreeItem(const TreeItemDesc& d) {
  TreeNode* node = Node(d.hItem);
  const TreeItemDesc before = node->item;
  ApplyItem(node, d);
  int row = GetRowOfItem(node);
  if (row < 0) return true;
  if (d.mask & TVIF_STATE) {
    const unsigned m = d.stateMask & (0x4 | 0x8 | 0x2 | 0xF000);
    if (m) {
      ListItemDesc ld;
      ld.mask = LVIF_STATE;
      ld.item = row;
      ld.state = d.state & m;
      ld.stateMask = m;
      if (!SECListBaseC::SetItem(ld, false)) return false;
    }
  }
  const bool repaint = ((before.state ^ node->item.state) & (0x8 | 0xF00 | 0xF000 | TVIS_BOLD)) ||
                       before.image != node->item.image || before.text != node->item.text;
  if (d.mask & TVIF_TEXT) GetItemRecord(row)->needsMeasuring = true;
  if (repaint && row != GetEditItem()) InvalidateItem(row);
  return true;
}

bool SECTreeBaseC::SetItemState(HTREEITEM item, unsigned state, unsigned mask) {
  TreeItemDesc d;
  d.mask = TVIF_STATE;
  d.hItem = item;
  d.state = state;
  d.stateMask = mask;
  return SetTreeItem(d);
}

bool SECTreeBaseC::SetItemData(HTREEITEM item, std::intptr_t value) {
  TreeItemDesc d;
  d.mask = TVIF_PARAM;
  d.hItem = item;
  d.param = value;
  return SetTreeItem(d);
}

bool SECTreeBaseC::SetItemLabel(HTREEITEM item, const std::string& text) {
  TreeItemDesc d;
  d.mask = TVIF_TEXT;
  d.hItem = item;
  d.text = text;
  return SetTreeItem(d);
}

bool SECTreeBaseC::SetItemText(HTREEITEM item, int column, const std::string& text) {
  if (column == 0) return SetItemLabel(item, text);
  if (column >= GetColumnCount()) return false;
  // Texts live in the store (created on first use), so that they survive
  // while the item's row is gone under a collapsed parent.
  if (!m_store) m_store = std::make_unique<SECSubItemTextStorage>();
  m_store->SetSubItemText(Node(item), column, text);
  int row = GetRowOfItem(item);
  if (row >= 0) InvalidateItem(row);
  return true;
}

std::string SECTreeBaseC::GetItemText(HTREEITEM item, int column) {
  if (column == 0) {
    TreeItemDesc d;
    d.mask = TVIF_TEXT;
    d.hItem = item;
    GetTreeItem(d, true, true);
    return d.text;
  }
  std::string t;
  if (m_store) m_store->GetSubItemText(Node(item), column, &t);
  return t;
}

std::intptr_t SECTreeBaseC::GetItemData(HTREEITEM item) {
  return IsRootHandle(item) ? 0 : Node(item)->item.param;
}

unsigned SECTreeBaseC::GetItemState(HTREEITEM item, unsigned mask) {
  TreeItemDesc d;
  d.mask = TVIF_STATE;
  d.hItem = item;
  d.stateMask = mask;
  GetTreeItem(d, false, false);
  return d.state;
}

bool SECTreeBaseC::IsItemExpanded(HTREEITEM item) { return Node(item)->IsExpanded(); }
bool SECTreeBaseC::ItemHasChildren(HTREEITEM item) { return Node(item)->FirstChild() != nullptr; }

bool SECTreeBaseC::ItemHasChildrenCallback(HTREEITEM item) {
  TreeNode* n = Node(item);
  if (n->FirstChild()) return false;
  TreeItemDesc d;
  d.mask = TVIF_CHILDREN;
  d.hItem = n;
  GetTreeItem(d, false, true);
  return d.children > 0;
}

int SECTreeBaseC::CountItems(HTREEITEM item, bool recursive, bool expandedOnly) {
  int n = 0;
  for (TreeNode* c = Node(item)->FirstChild(); c; c = c->Next()) {
    ++n;
    if (recursive && (!expandedOnly || c->IsExpanded())) n += CountItems(c, true, expandedOnly);
  }
  return n;
}

HTREEITEM SECTreeBaseC::GetNextItemInOrder(HTREEITEM item) {
  return static_cast<TreeNode*>(Node(item)->GetNextInOrder());
}

void SECTreeBaseC::SetItemExState(HTREEITEM item, unsigned exState) {
  TreeNode* n = Node(item);
  const bool wasVisible = IsNodeVisible(n);
  n->extState = exState & 0x300;
  if (wasVisible != IsNodeVisible(n)) RebuildRows();
  else if (int row = GetRowOfItem(n); row >= 0) InvalidateItem(row);
}

unsigned SECTreeBaseC::GetItemExState(HTREEITEM item) const {
  const TreeNode* n = Node(item);
  if (!n || n == m_root.get()) return 0;
  unsigned s = n->extState & 0x300;
  for (const TreeNode* p = n->Parent(); p && p != m_root.get(); p = p->Parent()) s |= p->extState & 0x100;
  return s;
}

bool SECTreeBaseC::SetItemStateEx(const ListItemDesc& desc) {
  TreeNode* n = GetItemAtRow(desc.item);
  if (!n) return false;
  if (desc.mask & LVIF_STATE) SetItemExState(n, (n->extState & ~desc.stateMask) | (desc.state & desc.stateMask));
  if ((desc.mask & LVIF_TEXT) && GetItemRecord(desc.item)) {
    GetItemRecord(desc.item)->needsMeasuring = true;
    InvalidateItem(desc.item);
  }
  return true;
}

bool SECTreeBaseC::GetItemStateEx(ListItemDesc& desc) {
  TreeNode* n = GetItemAtRow(desc.item);
  if (!n) return false;
  if (desc.mask & LVIF_STATE) desc.state = GetItemExState(n) & desc.stateMask;
  return true;
}

int SECTreeBaseC::CompareItems(HTREEITEM a, HTREEITEM b) {
  return GetItemText(a, 0).compare(GetItemText(b, 0));
}

// --- navigation ------------------------------------------------------------------------

HTREEITEM SECTreeBaseC::GetNextItem(HTREEITEM item, unsigned code) {
  const bool root = IsRootHandle(item);
  TreeNode* n = Node(item);
  switch (code) {
    case TVGN_ROOT: {
      if (root) return m_root->FirstChild();
      while (n->Parent() && n->Parent() != m_root.get()) n = n->Parent();
      return n;
    }
    case TVGN_NEXT: return root ? nullptr : n->Next();
    case TVGN_PREVIOUS: return root ? nullptr : n->Prev();
    case TVGN_PARENT: {
      TreeNode* p = root ? nullptr : n->Parent();
      return p == m_root.get() ? nullptr : p;
    }
    case TVGN_CHILD: return n->FirstChild();
    case TVGN_FIRSTVISIBLE: return GetItemAtRow(GetTopIndex());
    case TVGN_NEXTVISIBLE: {
      if (root) return nullptr;
      int row = GetRowOfItem(n);
      return row >= 0 ? GetItemAtRow(row + 1) : NextVisible(n);
    }
    case TVGN_PREVIOUSVISIBLE: {
      if (root) return nullptr;
      int row = GetRowOfItem(n);
      return row >= 0 ? (row > 0 ? GetItemAtRow(row - 1) : nullptr) : PrevVisible(n);
    }
    case TVGN_DROPHILITE: return GetItemAtRow(GetDropHiliteIndex());
    case TVGN_CARET: return GetItemAtRow(GetFocusIndex());
    case TVGN_FIRSTSELECTED: return GetItemAtRow(SECListBaseC::GetNextItem(-1, LVNI_SELECTED | LVNI_BELOW));
    case TVGN_NEXTSELECTED: {
      int row = GetRowOfItem(n);
      if (row < 0) {
        TreeNode* p = PrevVisible(n);
        row = p ? GetRowOfItem(p) : -1;
      }
      return GetItemAtRow(SECListBaseC::GetNextItem(row, LVNI_SELECTED | LVNI_BELOW));
    }
    case TVGN_PREVSELECTED: {
      int row = GetRowOfItem(n);
      if (row < 0) {
        TreeNode* p = NextVisible(n);
        row = p ? GetRowOfItem(p) : GetItemCount();
      }
      return GetItemAtRow(SECListBaseC::GetNextItem(row, LVNI_SELECTED | LVNI_ABOVE));
    }
    default: return nullptr;
  }
}

// --- expand and collapse --------------------------------------------------------------------

bool SECTreeBaseC::Expand(HTREEITEM item, unsigned code, bool redraw, bool force) {
  TreeNode* node = Node(item);
  if (node == m_root.get()) return true;
  if (!force && !node->FirstChild() && !ItemHasChildrenCallback(node)) return true;
  if ((code & 3) == TVE_TOGGLE) code = (code & ~3u) | (node->IsExpanded() ? TVE_COLLAPSE : TVE_EXPAND);
  if (NotifyItemExpanding(node, code) == 1) return false;
  const int row = GetRowOfItem(node);
  const bool expanding = (code & 3) == TVE_EXPAND;
  if (expanding) {
    if (node->IsExpanded()) return true;
    if (!node->FirstChild()) return false;
    node->SetExpanded(true);
    if (row >= 0) {
      const int end = InsertDescendantRows(node, row + 1);
      // Animated: the first rows show at once, the rest with the redraw.
      if (m_treeStyleEx & TVXS_ANIMATE) {
        for (int r = row + 1; r < std::min(end, row + 1 + kAnimationSteps); ++r) {
          Rect rr;
          if (GetRowRect(r, &rr)) Host().Invalidate(&rr, true);
        }
      }
    }
  } else if (node->IsExpanded()) {
    TreeNode* caret = GetItemAtRow(GetFocusIndex());
    if (caret && node->IsAncestorOf(caret) && row >= 0) {
      const int old = GetFocusIndex();
      NotifySelChange(TVN_SELCHANGING, row, old, 1);
      m_busyRows = true;
      SECListBaseC::SetFocusItem(row, true);
      m_busyRows = false;
      NotifySelChange(TVN_SELCHANGED, row, old, 1);
    }
    node->SetExpanded(false);
    if (row >= 0) {
      int count = 0;
      while (row + 1 + count < GetItemCount() && node->IsAncestorOf(GetItemAtRow(row + 1 + count))) ++count;
      for (int r = row + 1; r < row + 1 + count; ++r) {
        if (IsItemSelected(r)) SECListBaseC::SetItemState(r, 0, LVIS_SELECTED);
      }
      if (count && (m_treeStyleEx & TVXS_ANIMATE)) {
        // Animated: the rows go one at a time, the window shown in steps.
        const int step = std::max(1, count / kAnimationSteps);
        for (int i = 1; i <= count; ++i) {
          SECListBaseC::DeleteItems(row + 1, 1);
          if (i % step == 0) Host().Invalidate(nullptr, true);
        }
        Host().Invalidate(nullptr, true);
      } else if (count) {
        SECListBaseC::DeleteItems(row + 1, count);
      }
    }
  }
  if (code & TVE_COLLAPSERESET) {
    while (TreeNode* c = node->FirstChild()) DeleteItem(c);
  }
  NotifyItemExpanded(node, code);
  if (redraw) {
    if (expanding && m_keepParentVisible && row >= 0) {
      if (TreeNode* last = static_cast<TreeNode*>(node->GetLastChild())) EnsureVisible(last, true);
      // More children than the page holds: the item goes back to the top
      // and takes the caret, without selection notifications.
      const int itemRow = GetRowOfItem(node);
      if (itemRow >= 0 && itemRow < GetTopIndex()) {
        SetTopIndex(itemRow);
        m_busyRows = true;
        SECListBaseC::SetFocusItem(itemRow, true);
        m_busyRows = false;
      }
    }
    UpdateScrollBars();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

bool SECTreeBaseC::ExpandAll(HTREEITEM item, bool redraw) {
  TreeNode* start = Node(item);
  if (start != m_root.get()) Expand(start, TVE_EXPAND, false);
  for (TreeNode* n = start->FirstChild(); n && start->IsAncestorOf(n);
       n = static_cast<TreeNode*>(n->GetNextInOrder())) {
    if (n->FirstChild()) Expand(n, TVE_EXPAND, false);
  }
  if (redraw) {
    UpdateScrollBars();
    Host().Invalidate(nullptr, false);
  }
  return true;
}

void SECTreeBaseC::RebuildRows() {
  TreeNode* focus = GetItemAtRow(GetFocusIndex());
  TreeNode* top = GetItemAtRow(GetTopIndex());
  std::vector<TreeNode*> selected;
  for (int r : Selection()) selected.push_back(GetItemAtRow(r));
  m_busyRows = true;
  SECListBaseC::DeleteAllItems();
  InsertDescendantRows(m_root.get(), 0);
  SECListBaseC::DeselectAllExcept(-1);
  for (TreeNode* n : selected) {
    int r = GetRowOfItem(n);
    if (r >= 0) SECListBaseC::SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
  }
  int fr = focus ? GetRowOfItem(focus) : -1;
  if (fr >= 0) SECListBaseC::SetCaretItem(fr);
  m_busyRows = false;
  if (int tr = top ? GetRowOfItem(top) : -1; tr >= 0) m_top = tr;
  UpdateScrollBars();
  Host().Invalidate(nullptr, false);
}

bool SECTreeBaseC::EnsureVisible(HTREEITEM item, bool withParent) {
  TreeNode* node = Node(item);
  if (node == m_root.get()) return false;
  if (GetRowOfItem(node) < 0) {
    std::vector<TreeNode*> chain;
    for (TreeNode* p = node->Parent(); p && p != m_root.get(); p = p->Parent()) chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      if (!(*it)->IsExpanded() && !Expand(*it, TVE_EXPAND, false)) return false;
    }
    if (GetRowOfItem(node) < 0) return false;
    UpdateScrollBars();
    Host().Invalidate(nullptr, false);
  }
  const int row = GetRowOfItem(node);
  const int prow = withParent ? GetRowOfItem(node->Parent()) : -1;
  if (prow >= 0) EnsureRangeVisible(prow, row);
  if (row < GetTopIndex() || row > GetBottomIndex()) SECListBaseC::EnsureVisible(row);
  return true;
}

// --- selection ------------------------------------------------------------------------

NotifyResult SECTreeBaseC::NotifySelChange(int code, int row, int oldRow, int cause) {
  NMTREEVIEW nm;
  nm.hdr.code = code;
  nm.action = cause == 0 ? TVC_BYKEYBOARD : cause == 1 ? TVC_BYMOUSE : TVC_UNKNOWN;
  if (oldRow >= 0) {
    if (TreeNode* n = GetItemAtRow(oldRow)) nm.itemOld = n->item;
  }
  if (row >= 0) {
    if (TreeNode* n = GetItemAtRow(row)) nm.itemNew = n->item;
  }
  return Send(nm.hdr);
}

bool SECTreeBaseC::OnSelChanging(int item, int oldFocus, bool byMouse) {
  if (m_busyRows) return false;
  return NotifySelChange(TVN_SELCHANGING, item, oldFocus, byMouse ? 1 : 0) == 1;
}

void SECTreeBaseC::OnSelChanged(int item, int oldFocus, bool byMouse) {
  if (!m_busyRows) NotifySelChange(TVN_SELCHANGED, item, oldFocus, byMouse ? 1 : 0);
}

bool SECTreeBaseC::Select(HTREEITEM item, unsigned code) {
  switch (code) {
    case TVGN_CARET: {
      if (!EnsureVisible(item, false)) return false;
      const int row = GetRowOfItem(item);
      const int old = GetFocusIndex();
      if (NotifySelChange(TVN_SELCHANGING, row, old, 2) == 1) return false;
      m_busyRows = true;
      // SetFocusItem leaves a single selection in a single-select tree;
      // a multi-select tree keeps its other selected rows.
      SECListBaseC::SetFocusItem(row, true);
      m_busyRows = false;
      NotifySelChange(TVN_SELCHANGED, row, old, 2);
      return true;
    }
    case TVGN_DROPHILITE: return SelectDropTarget(item, true);
    case TVGN_FIRSTVISIBLE:
      if (!EnsureVisible(item, false)) return false;
      SetTopIndex(GetRowOfItem(item));
      return true;
    default: return false;
  }
}

bool SECTreeBaseC::SelectDropTarget(HTREEITEM item, bool ensureVisible) {
  if (!item) {
    SetDropHilite(-1);
    Host().KillTimer(kTimerHover);
    m_hoverTimer = false;
    return true;
  }
  if (ensureVisible && !EnsureVisible(item, false)) return false;
  const int row = GetRowOfItem(item);
  const bool changed = row != GetDropHiliteIndex();
  SetDropHilite(row);
  if ((m_treeStyleEx & TVXS_HOVEREXPAND) && changed) {
    Host().KillTimer(kTimerHover);
    Host().StartTimer(kTimerHover, m_hoverDelay);
    m_hoverTimer = true;
  }
  return true;
}

// --- hit testing and layout ---------------------------------------------------------------

HTREEITEM SECTreeBaseC::HitTest(int x, int y, unsigned* flags) {
  unsigned f = 0;
  int col = -1;
  const int row = SECListBaseC::HitTest(x, y, &f, &col);
  unsigned t = 0;
  bool report = false;
  if (f & LVHT_ONROW) {
    report = true;
    if (f & LVHT_ONITEMLABEL) t = 0x4004;
    else if (f & LVHT_ONITEMICON) t = 0x4002;
    else if (f & LVHT_RIGHTOFLABEL) t = 0x4020;
    else if (f & LVHT_ONITEMSTATEICON) t = 0x4040;
    else if (f & LVHT_LEFTOFLABEL) {
      Rect b;
      TreeNode* n = GetItemAtRow(row);
      t = ((m_treeStyle & TVS_HASBUTTONS) && GetButtonRect(n, &b) && b.Contains({x, y})) ? 0x4010 : 0x4008;
    } else {
      t = 0x4000;
      report = (GetListStyleEx() & LVXS_FULLROWSELECT) != 0;
    }
  } else if (f & LVHT_DIVIDER) {
    t = 0x1000;
  } else if (f & LVHT_HEADER) {
    t = 0x2000;
  } else if (f & (LVHT_ABOVE | LVHT_BELOW | LVHT_TOLEFT | LVHT_TORIGHT)) {
    if (f & LVHT_ABOVE) t |= TVHT_ABOVE;
    if (f & LVHT_BELOW) t |= TVHT_BELOW;
    if (f & LVHT_TOLEFT) t |= TVHT_TOLEFT;
    if (f & LVHT_TORIGHT) t |= TVHT_TORIGHT;
  } else {
    t = TVHT_NOWHERE;
  }
  if (flags) *flags = t;
  return report ? GetItemAtRow(row) : nullptr;
}

TreeRowLayout SECTreeBaseC::RowLayout(int row) {
  TreeRowLayout l;
  TreeNode* n = GetItemAtRow(row);
  if (!n) return l;
  const bool rootColumn = (m_treeStyle & TVS_LINESATROOT) && (m_treeStyle & (TVS_HASLINES | TVS_HASBUTTONS));
  l.xOrigin = m_indent * (n->GetDepth() - 1) + (rootColumn ? m_indent : 0);
  const bool hasButton = (m_treeStyle & TVS_HASBUTTONS) && l.xOrigin > 0 &&
                         (HasVisibleChild(n) || (n->item.children != 0 && ItemHasChildrenCallback(n)));
  if (hasButton) {
    SECListItem* rec = GetItemRecord(row);
    MeasureItem(row);
    const int h = std::max(1, rec->height);
    const bool images = GetImageList(ImageListKind::Normal).Exists();
    const int side = images ? std::min(15, h * 20 / 33) : 8;
    // Centred on the level's line column, then put on even coordinates so
    // the box meets the dotted lines' pixels (columns scroll by whole
    // pixels, rows have even heights).
    const int cx = l.xOrigin - m_indent / 2;
    const int cy = h / 2;
    const int left = (cx - side / 2) & ~1;
    const int top = (cy - side / 2) & ~1;
    l.button = {left, top, left + side, top + side};
  }
  return l;
}

bool SECTreeBaseC::HasVisibleChild(const TreeNode* node) {
  for (const TreeNode* c = node->FirstChild(); c; c = c->Next()) {
    if (!(c->extState & 0x200)) return true;
  }
  return false;
}

bool SECTreeBaseC::GetButtonRect(HTREEITEM item, Rect* r) {
  const int row = GetRowOfItem(item);
  if (row < 0) return false;
  TreeRowLayout l = RowLayout(row);
  if (l.button.IsEmpty()) return false;
  Rect cell;
  const int labelCol = std::max(0, FindColumnIndex(0));
  if (!GetCellRect(row, labelCol, &cell, 0)) return false;
  *r = l.button;
  r->Offset(cell.left, cell.top);
  return true;
}

std::string SECTreeBaseC::DisplayLabel(const std::string& label, size_t* tokenPos) {
  size_t p = label.find(kHighlightToken);
  if (tokenPos) *tokenPos = p;
  if (p == std::string::npos) return label;
  return label.substr(0, p) + label.substr(p + 5);
}

void SECTreeBaseC::CalcItemHeight(SECListPaintContext& ctx, int* height) {
  if (ctx.item.subItem != 0 || !ctx.record) {
    SECListBaseC::CalcItemHeight(ctx, height);
    return;
  }
  SECListItem* rec = ctx.record;
  TreeNode* n = reinterpret_cast<TreeNode*>(rec->param);
  const bool rootColumn = (m_treeStyle & TVS_LINESATROOT) && (m_treeStyle & (TVS_HASLINES | TVS_HASBUTTONS));
  int x = m_indent * (n->GetDepth() - 1) + (rootColumn ? m_indent : 0);
  const ImageListInfo stateList = GetImageList(ImageListKind::State);
  const ImageListInfo normal = GetImageList(ImageListKind::Normal);
  const unsigned stateIndex = (n->item.state >> 12) & 0xF;
  int h = 0;
  rec->stateRect = {};
  rec->imageRect = {};
  if (stateList.Exists() && stateIndex > 0) {
    rec->stateRect = {x, 0, x + stateList.cx, stateList.cy};
    x += stateList.cx;
    h = std::max(h, stateList.cy);
  }
  const int image = (ctx.item.state & LVIS_SELECTED) ? n->item.selectedImage : n->item.image;
  if (normal.Exists() && image != kNoImage) {
    rec->imageRect = {x, 0, x + normal.cx, normal.cy};
    x += normal.cx;
    h = std::max(h, normal.cy);
  }
  // The text starts 6 pixels after the images; the label rectangle (the
  // selection band) begins 2 pixels before the text.
  x += 4;
  const bool single = !IsLabelWrap();
  // The room is counted from where the label starts, not from the cell's
  // left edge, so a wrapped label breaks inside the column instead of
  // running on past its right edge by the indent and images.
  int avail = 10000 - 5;
  if (GetColumnCount() >= 2) avail = GetColumnWidth(ctx.column) - 5 - x;
  else if (!single) avail = GetInsideRect().Width() - 5 - x;
  std::string_view text = ctx.item.text;
  if (single) text = text.substr(0, std::min(text.find('\n'), kSingleLineLabelMax));
  Size s = MeasureText(text, ctx.font, std::max(1, avail), single);
  if (s.cy == 0) s.cy = Measurer().LineHeight(ctx.font);
  if (single) {
    s.cx += 1;
    s.cy += 1;
  } else {
    s.cy += 2;
  }
  s.cx += 4;  // room for the selection band around the text
  h = std::max({h, s.cy, rec->height});
  h += h & 1;
  rec->labelRect = {x, (h - s.cy) / 2, x + s.cx, (h - s.cy) / 2 + s.cy};
  if (!rec->imageRect.IsEmpty()) rec->imageRect.Offset(0, (h - rec->imageRect.Height()) / 2);
  if (!rec->stateRect.IsEmpty()) rec->stateRect.Offset(0, (h - rec->stateRect.Height()) / 2);
  *height = h;
}

// --- list engine row access redirected to nodes ----------------------------------------------

bool SECTreeBaseC::GetItem(ListItemDesc& desc, bool ask) {
  TreeNode* n = GetItemAtRow(desc.item);
  if (!n) return false;
  if (desc.subItem == 0) {
    ListItemDesc base = desc;
    base.mask &= LVIF_STATE | LVIF_PARAM;
    SECListBaseC::GetItem(base, false);
    TreeItemDesc t;
    t.hItem = n;
    t.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    t.stateMask = 0xFFFF;
    GetTreeItem(t, true, ask);
    if (desc.mask & LVIF_TEXT) {
      desc.text = DisplayLabel(t.text);
      desc.textCallback = false;
    }
    if (desc.mask & LVIF_IMAGE) desc.image = (base.state & LVIS_SELECTED) ? t.selectedImage : t.image;
    if (desc.mask & LVIF_STATE) {
      desc.state = (base.state & (LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED)) |
                   (n->item.state & ~(LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED) & 0xFFFF);
    }
    desc.param = reinterpret_cast<std::intptr_t>(n);
    return true;
  }
  if (m_store && (desc.mask & LVIF_TEXT)) {
    ListItemDesc base = desc;
    base.mask &= ~LVIF_TEXT;
    SECListBaseC::GetItem(base, ask);
    m_store->GetSubItemText(n, desc.subItem, &desc.text);
    desc.textCallback = false;
    desc.state = base.state;
    return true;
  }
  return SECListBaseC::GetItem(desc, ask);
}

bool SECTreeBaseC::SetItem(const ListItemDesc& desc, bool redraw) {
  TreeNode* n = GetItemAtRow(desc.item);
  if (!n) return false;
  if (desc.mask & LVIF_TEXT) {
    if (desc.subItem == 0) {
      n->item.text = desc.text;
      n->item.textCallback = desc.textCallback;
    } else {
      if (!m_store) m_store = std::make_unique<SECSubItemTextStorage>();
      m_store->SetSubItemText(n, desc.subItem, desc.text);
    }
    GetItemRecord(desc.item)->needsMeasuring = true;
    if (redraw && desc.item != GetEditItem()) InvalidateItem(desc.item);
  }
  ListItemDesc rest = desc;
  rest.mask &= ~LVIF_TEXT;
  // A row given another node through the list no longer matches the index.
  if ((rest.mask & LVIF_PARAM) && desc.param != reinterpret_cast<std::intptr_t>(n)) m_rowsRenamed = true;
  return rest.mask ? SECListBaseC::SetItem(rest, redraw) : true;
}

bool SECTreeBaseC::HasCallbacks(int index) const {
  TreeNode* n = GetItemAtRow(index);
  if (!n) return false;
  return n->item.textCallback || n->item.image == -1 || n->item.selectedImage == -1 || n->item.children == -1;
}

bool SECTreeBaseC::InitPaintContext(SECListPaintContext& ctx, int index, int column) {
  TreeNode* n = GetItemAtRow(index);
  if (!n) return false;
  // The flags are this row's before any colour is picked: one context
  // serves every row of a paint, so the last row's grey bit must not
  // reach the colour choice of this one.
  ctx.paintFlags = n->extState & 0x200;
  for (TreeNode* p = n; p && p != m_root.get(); p = p->Parent()) {
    if (p->extState & 0x100) ctx.paintFlags |= 0x100;
  }
  return SECListBaseC::InitPaintContext(ctx, index, column);
}

void SECTreeBaseC::PickItemFont(SECListPaintContext& ctx) {
  SECListBaseC::PickItemFont(ctx);
  if (ctx.item.subItem == 0 && (ctx.item.state & TVIS_BOLD)) ctx.font.bold = true;
}

std::string SECTreeBaseC::TypeAheadLabel(int index) {
  TreeNode* n = GetItemAtRow(index);
  return n ? DisplayLabel(GetItemText(n, 0)) : std::string();
}

// --- columns -------------------------------------------------------------------------------

void SECTreeBaseC::EnableSubItemText(bool on) {
  if (on && !m_store) m_store = std::make_unique<SECSubItemTextStorage>();
  if (!on) m_store.reset();
}

int SECTreeBaseC::InsertColumn(int index, const std::string& text, int format, int width, int subItem,
                               int image, bool redraw) {
  const int count = GetColumnCount();
  if (count > 0) {
    if (index > count) index = count;
    if (index <= 0) index = 1;
  }
  int r = SECListBaseC::InsertColumn(index, text, format, width, subItem, image, redraw);
  if (m_store && r >= 1) m_store->InsertColumn(r);
  return r;
}

bool SECTreeBaseC::DeleteColumn(int index) {
  const int count = GetColumnCount();
  if (index < 0 || index >= count || (index == 0 && count > 1)) return false;
  if (m_store && index >= 1) m_store->DeleteColumn(index);
  return SECListBaseC::DeleteColumn(index);
}

void SECTreeBaseC::OnColumnMoved(int from, int to) {
  if (!m_store) return;
  for (auto* n = static_cast<TreeNode*>(m_root->GetNextInOrder()); n; n = static_cast<TreeNode*>(n->GetNextInOrder())) {
    m_store->MoveColumn(n, from, to);
  }
}

// --- notifications ------------------------------------------------------------------------

NotifyResult SECTreeBaseC::NotifyItemExpanding(TreeNode* node, unsigned code) {
  NMTREEVIEW nm;
  nm.hdr.code = TVN_ITEMEXPANDING;
  nm.action = code;
  nm.itemNew = node->item;
  return Send(nm.hdr);
}

NotifyResult SECTreeBaseC::NotifyItemExpanded(TreeNode* node, unsigned code) {
  NMTREEVIEW nm;
  nm.hdr.code = TVN_ITEMEXPANDED;
  nm.action = code;
  nm.itemNew = node->item;
  nm.itemNew.state = node->IsExpanded() ? TVIS_EXPANDED : 0;
  return Send(nm.hdr);
}

NotifyResult SECTreeBaseC::NotifySetDispInfo(TreeNode* node, unsigned mask) {
  TVDISPINFO nm;
  nm.hdr.code = TVN_SETDISPINFO;
  nm.item = node->item;
  nm.item.mask = mask;
  return Send(nm.hdr);
}

NotifyResult SECTreeBaseC::NotifyTreeGetDispInfo(TreeItemDesc& desc) {
  TVDISPINFO nm;
  nm.hdr.code = TVN_GETDISPINFO;
  nm.item = desc;
  NotifyResult r = Send(nm.hdr);
  desc = nm.item;
  return r;
}

NotifyResult SECTreeBaseC::NotifyBeginLabelEdit(int item, int subItem) {
  if (subItem != 0) return SECListBaseC::NotifyBeginLabelEdit(item, subItem);
  TVDISPINFO nm;
  nm.hdr.code = TVN_BEGINLABELEDIT;
  nm.item = GetItemAtRow(item)->item;
  nm.item.mask |= TVIF_TEXT;
  return Send(nm.hdr) != 0 ? 1 : 0;
}

NotifyResult SECTreeBaseC::NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) {
  if (subItem != 0) return SECListBaseC::NotifyEndLabelEdit(item, subItem, text, commit);
  TVDISPINFO nm;
  nm.hdr.code = TVN_ENDLABELEDIT;
  nm.item = GetItemAtRow(item)->item;
  nm.item.mask |= TVIF_TEXT;
  nm.hasText = commit;
  nm.item.text = commit ? text->substr(0, kTextCapacity - 1) : std::string();
  NotifyResult r = Send(nm.hdr);
  if (r != 0 && commit) {
    *text = nm.item.text;
    return 1;
  }
  return 0;
}

NotifyResult SECTreeBaseC::NotifyKeyDown(unsigned key) {
  NMTVKEYDOWN nm;
  nm.hdr.code = TVN_KEYDOWN;
  nm.wVKey = key;
  return Send(nm.hdr);
}

void SECTreeBaseC::OnBeginDrag(int focus, Point pt) {
  if (!(m_treeStyle & TVS_DISABLEDRAGDROP)) {
    NMTREEVIEW nm;
    nm.hdr.code = TVN_BEGINDRAG;
    if (TreeNode* n = GetItemAtRow(focus)) nm.itemNew = n->item;
    nm.ptX = pt.x;
    nm.ptY = pt.y;
    Send(nm.hdr);
  }
  ClearItemDragPending();
}

void SECTreeBaseC::OnBeginRightDrag(int focus, Point pt) {
  if (!(m_treeStyle & TVS_DISABLEDRAGDROP)) {
    NMTREEVIEW nm;
    nm.hdr.code = TVN_BEGINRDRAG;
    if (TreeNode* n = GetItemAtRow(focus)) nm.itemNew = n->item;
    nm.ptX = pt.x;
    nm.ptY = pt.y;
    Send(nm.hdr);
  }
  ClearItemDragPending();
}

void SECTreeBaseC::OnLabelEdited(int, int) {}

// --- keys, mouse and timer ------------------------------------------------------------------

void SECTreeBaseC::OnKeyHome(int focus, bool shift, bool ctrl) { SECListBaseC::OnKeyHome(focus, shift, ctrl); }
void SECTreeBaseC::OnKeyEnd(int focus, bool shift, bool ctrl) { SECListBaseC::OnKeyEnd(focus, shift, ctrl); }

void SECTreeBaseC::OnKeyCollapse(int focus) {
  TreeNode* n = GetItemAtRow(focus);
  if (!n) return;
  if ((n->FirstChild() || ItemHasChildrenCallback(n)) && n->IsExpanded()) {
    Expand(n, TVE_COLLAPSE);
  } else if (n->Parent() && n->Parent() != m_root.get()) {
    const int prow = GetRowOfItem(n->Parent());
    SECListBaseC::DeselectAllExcept(-1);
    KeySelect(prow, false, false);
  }
  Host().TipHide();
}

void SECTreeBaseC::OnKeyBack(int focus) { OnKeyCollapse(focus); }

void SECTreeBaseC::OnKeyExpand(int focus) {
  TreeNode* n = GetItemAtRow(focus);
  if (!n) return;
  if (n->IsExpanded() && n->FirstChild()) {
    KeySelect(GetRowOfItem(n->FirstChild()), false, false);
  } else if (n->FirstChild() || ItemHasChildrenCallback(n)) {
    Expand(n, TVE_EXPAND);
  }
  Host().TipHide();
}

void SECTreeBaseC::OnKeyExpandAll(int focus) {
  if (TreeNode* n = GetItemAtRow(focus)) ExpandAll(n, true);
  Host().TipHide();
}

void SECTreeBaseC::TreeLButtonDown(int x, int y, unsigned keyFlags) {
  unsigned flags = 0;
  HTREEITEM hit = HitTest(x, y, &flags);
  if (!hit && (flags & 0x4000)) hit = GetItemAtRow(SECListBaseC::HitTest(x, y, nullptr, nullptr));
  if ((m_treeStyle & TVS_SINGLEEXPAND) && GetCaretItem() && hit) {
    TreeNode* oldCaret = GetCaretItem();
    SECListBaseC::OnLButtonDown(x, y, keyFlags);
    TreeNode* caret = GetCaretItem();
    if (caret == hit && caret != oldCaret) {
      if (oldCaret->IsExpanded() && !oldCaret->IsAncestorOf(caret)) Expand(oldCaret, TVE_COLLAPSE);
      Expand(caret, TVE_EXPAND);
    } else if (caret == oldCaret) {
      Expand(hit, TVE_TOGGLE);
    }
    return;
  }
  if (hit && (flags & TVHT_ONITEMBUTTON)) {
    if (!Host().HasFocus()) Host().TakeFocus();
    Expand(hit, TVE_TOGGLE);
    return;
  }
  SECListBaseC::OnLButtonDown(x, y, keyFlags);
}

void SECTreeBaseC::TreeLButtonDblClk(int x, int y, unsigned keyFlags) {
  SECListBaseC::OnLButtonDblClk(x, y, keyFlags);
  if (ItemDragPending() || GetEditItem() >= 0 || (keyFlags & (MK_SHIFT | MK_CONTROL))) return;
  unsigned flags = 0;
  HTREEITEM hit = HitTest(x, y, &flags);
  if (hit && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMBUTTON))) Expand(hit, TVE_TOGGLE);
  Host().TipHide();
}

bool SECTreeBaseC::TreeChar(char ch) {
  if (ch == '-' || ch == '_' || ch == '=' || ch == '+' || ch == '*') return true;
  return OnChar(ch);
}

void SECTreeBaseC::TreeTimer(int id) {
  if (id == kTimerHover) {
    Host().KillTimer(kTimerHover);
    m_hoverTimer = false;
    TreeNode* drop = GetItemAtRow(GetDropHiliteIndex());
    if ((m_treeStyleEx & TVXS_HOVEREXPAND) && drop && !drop->IsExpanded()) {
      Expand(drop, TVE_EXPAND, true);
      Host().Invalidate(nullptr, true);  // shown while the drag still holds the mouse
    }
    return;
  }
  OnTimer(id);
}

}  // namespace pm2
