#include "debugger/windows/watch_window.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>

#include "debugger/model/watch_format.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

WatchWindow::WatchWindow(bool locals, DebugInterface* const* record, WatchEnvironment env, QWidget* parent)
    : SECTreeCtrl(parent, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                  TVXS_COLUMNHEADER),
      m_model(locals, record, env),
      m_env(env) {
  setObjectName(locals ? "Locals" : "Watch");
  EnableSubItemText(true);
  if (GetColumnCount() == 0) InsertColumn(0, "Name", LVCFMT_LEFT, 200);
  ListColumnDesc name;
  name.mask = LVCF_TEXT | LVCF_WIDTH;
  name.text = "Name";
  name.width = 200;
  SetColumnInfo(0, name);
  InsertColumn(1, "Value", LVCFMT_LEFT, 250);
  // Rows select whole from any cell, between grid lines; the name column
  // takes what the value column leaves.
  ModifyListStyleEx(0, LVXS_FULLROWSELECT | LVXS_GRIDLINES | LVXS_FILLLABELCOLUMN);
}

void WatchWindow::Beep() {
  if (m_env.beep) m_env.beep();
}

// ------------------------------------------------------------------ rows

HTREEITEM WatchWindow::Insert(WatchItem* row, HTREEITEM parent) {
  TreeInsert ins;
  ins.parent = parent;
  ins.insertAfter = TVI_LAST();
  ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  ins.item.text = row->name;
  ins.item.param = reinterpret_cast<std::intptr_t>(row);
  ins.item.children = (row->flags & kWatchExpandable) || !row->children.empty() ? -1 : 0;
  HTREEITEM item = InsertItem(ins);
  if (!(row->flags & kWatchNoValue)) SetItemText(item, 1, WatchValueCell(row->value));
  return item;
}

void WatchWindow::Fill(const std::vector<std::unique_ptr<WatchItem>>& rows, HTREEITEM parent) {
  for (const auto& r : rows) {
    HTREEITEM item = Insert(r.get(), parent);
    if (!r->children.empty()) {
      Fill(r->children, item);
      if (r->expanded) Expand(item, TVE_EXPAND);
    }
  }
}

void WatchWindow::WriteValues() {
  // One walk of the tree's items in order; each item names its row.
  for (HTREEITEM item = GetRootItem(); item; item = GetNextItemInOrder(item)) {
    const WatchItem* r = RowOf(item);
    if (!r) continue;
    // A name changes in place too (a radix chosen for the row gives it its suffix).
    if (GetItemText(item, 0) != r->name) SetItemLabel(item, r->name);
    const std::string cell = (r->flags & kWatchNoValue) ? std::string() : WatchValueCell(r->value);
    if (GetItemText(item, 1) != cell) SetItemText(item, 1, cell);
  }
}

void WatchWindow::Sync() {
  if (m_filling) return;
  m_filling = true;
  if (m_shownStructure != m_model.Structure()) {
    WatchItem* selected = RowOf(GetCaretItem());
    DeleteAllItems();
    Fill(m_model.Rows(), nullptr);
    m_shownStructure = m_model.Structure();
    // The caret stays on its row when the row is still there.
    for (WatchItem* r : m_model.VisibleRows())
      if (r == selected) SelectItem(ItemOf(r));
  } else {
    WriteValues();
  }
  m_filling = false;
  update();
}

HTREEITEM WatchWindow::ItemOf(const WatchItem* row) {
  for (HTREEITEM item = GetRootItem(); item; item = GetNextItemInOrder(item))
    if (GetItemData(item) == reinterpret_cast<std::intptr_t>(row)) return item;
  return nullptr;
}

WatchItem* WatchWindow::RowOf(HTREEITEM item) {
  return item ? reinterpret_cast<WatchItem*>(GetItemData(item)) : nullptr;
}

// ------------------------------------------------------------------ service calls

void WatchWindow::Attach() {
  m_model.Attach();
  Sync();
}
void WatchWindow::Refresh() {
  m_model.Refresh();
  Sync();
}
void WatchWindow::ClearValues() {
  m_model.ClearValues();
  Sync();
}
void WatchWindow::Rebuild() {
  m_model.Rebuild();
  Sync();
}
bool WatchWindow::AddExpression(const std::string& expression) {
  const bool added = m_model.AddExpression(expression);
  Sync();
  return added;
}
void WatchWindow::SetRadix(int radix) {
  m_model.SetRadix(radix);
  Sync();
}

// ------------------------------------------------------------------ edits

bool WatchWindow::EditSelected(int column) {
  HTREEITEM item = GetCaretItem();
  WatchItem* row = RowOf(item);
  if (!row) {
    Beep();
    return false;
  }
  const bool may = column == 0 ? m_model.MayEditName(row) : m_model.MayEditValue(row);
  if (!may) return false;
  const int listRow = GetRowOfItem(item);
  return listRow >= 0 && EditLabel(listRow, column);
}

NotifyResult WatchWindow::NotifyBeginLabelEdit(int item, int subItem) {
  WatchItem* row = RowOf(GetItemAtRow(item));
  if (!row) return 1;
  // The checks beep themselves when they refuse.
  const bool may = subItem == 0 ? m_model.MayEditName(row) : m_model.MayEditValue(row);
  return may ? 0 : 1;
}

NotifyResult WatchWindow::NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) {
  WatchItem* row = RowOf(GetItemAtRow(item));
  if (!commit || !row || !text) return 0;
  if (subItem == 0) {
    if (text->size() > 128) text->resize(128);
    m_model.EndNameEdit(row, *text);
  } else {
    m_model.EndValueEdit(row, *text);
  }
  // The rows change under the edit: shown again once it has ended.
  QTimer::singleShot(0, this, [this] { Sync(); });
  return 0;
}

NotifyResult WatchWindow::NotifyItemExpanding(TreeNode* node, unsigned code) {
  WatchItem* row = RowOf(node);
  if (!row || m_filling) return 0;
  if ((code & 3) == TVE_EXPAND) {
    const bool build = (row->flags & kWatchExpandable) != 0;
    m_model.Expand(row);
    if (build) {
      m_filling = true;
      for (const auto& c : row->children) Insert(c.get(), node);
      m_filling = false;
      m_shownStructure = m_model.Structure();
    }
  } else {
    m_model.Collapse(row);
  }
  return 0;
}

NotifyResult WatchWindow::NotifyItemExpanded(TreeNode* node, unsigned code) {
  if ((code & 3) == TVE_EXPAND && !m_filling && RowOf(node)) {
    m_model.Refresh();
    Sync();
  }
  return 0;
}

NotifyResult WatchWindow::NotifyTreeGetDispInfo(TreeItemDesc& desc) {
  if (desc.mask & TVIF_CHILDREN) {
    const WatchItem* row = RowOf(desc.hItem);
    desc.children = row && ((row->flags & kWatchExpandable) || !row->children.empty()) ? 1 : 0;
  }
  return 0;
}

void WatchWindow::OnKeyEditLabel(int) { EditSelected(0); }

// F2, Ctrl+F2 and Delete are the window's own, before any shortcut of the
// frame that holds it.
bool WatchWindow::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    if ((k->key() == Qt::Key_F2 && (mods == Qt::NoModifier || mods == Qt::ControlModifier)) ||
        (k->key() == Qt::Key_Delete && mods == Qt::NoModifier)) {
      e->accept();
      return true;
    }
  }
  return SECTreeCtrl::event(e);
}

void WatchWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete) {
    WatchItem* row = RowOf(GetCaretItem());
    if (row && !m_model.IsLocals() && !row->parent && !row->placeholder) {
      m_model.DeleteRow(row);
      Sync();
    } else {
      Beep();
    }
    return;
  }
  if (e->key() == Qt::Key_F2) {
    // F2 edits the name; Ctrl+F2 the value.
    EditSelected((e->modifiers() & Qt::ControlModifier) ? 1 : 0);
    return;
  }
  SECTreeCtrl::keyPressEvent(e);
}

void WatchWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  unsigned flags = 0;
  int column = -1;
  const int row = SECListBaseC::HitTest(int(e->position().x()), int(e->position().y()), &flags, &column);
  HTREEITEM item = row >= 0 ? GetItemAtRow(row) : nullptr;
  if (item && column == 1) {
    SelectItem(item);
    CancelEditTimer();
    // Once the click's release has gone by, so that it does not end the edit.
    QTimer::singleShot(0, this, [this] { EditSelected(1); });
    return;
  }
  SECTreeCtrl::mouseDoubleClickEvent(e);
}

void WatchWindow::contextMenuEvent(QContextMenuEvent* e) {
  WatchItem* row = RowOf(GetCaretItem());
  if (!row || row->placeholder) {
    Beep();
    return;
  }
  m_model.SetContextRow(row);
  QMenu menu(this);
  struct Item {
    const char* text;
    int id;
    int radix;
  };
  static const Item kItems[] = {{"&Hexadecimal Display", kCmdRadixHex, 16}, {"&Decimal Display", kCmdRadixDecimal, 10}};
  for (const Item& it : kItems) {
    QAction* a = menu.addAction(it.text);
    a->setCheckable(true);
    a->setChecked(m_model.WindowRadix() == it.radix);
    a->setData(it.id);
  }
  QAction* chosen = menu.exec(e->globalPos());
  if (!chosen) return;
  const int id = chosen->data().toInt();
  if (m_sink)
    m_sink(id);
  else
    SetRadix(id == kCmdRadixHex ? 16 : 10);
}

void WatchWindow::PickItemColors(SECListPaintContext& ctx) {
  SECTreeCtrl::PickItemColors(ctx);
  const WatchItem* row = RowOf(GetItemAtRow(ctx.item.item));
  if (row && (row->flags & kWatchChanged)) {
    ctx.textColor = GetSysColor(SysColor::HighlightText);
    ctx.bkColor = ctx.fillColor = GetSysColor(SysColor::Highlight);
  }
}

void WatchWindow::resizeEvent(QResizeEvent* e) {
  SECTreeCtrl::resizeEvent(e);
  const int w = e->size().width();
  SetColumnWidth(0, 200);
  SetColumnWidth(1, w > 150 ? (w - 200) - 2 : 250 - 2);
}

}  // namespace pm2
