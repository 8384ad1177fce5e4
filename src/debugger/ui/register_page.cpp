#include "debugger/ui/register_page.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <QResizeEvent>

#include "toolkit/controls/list_edit.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

RegisterPage::RegisterPage(std::function<bool()> sessionActive,
                           std::function<bool(const std::string&, uint64_t*)> evaluate, std::function<void()> beep,
                           QWidget* parent)
    : SECTreeCtrl(parent, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                  TVXS_COLUMNHEADER),
      m_sessionActive(std::move(sessionActive)),
      m_evaluate(std::move(evaluate)),
      m_beep(std::move(beep)) {
  setObjectName("Regs");
  EnableSubItemText(true);
  // Column 0 is the tree's own; it gets its title, the value column follows.
  if (GetColumnCount() == 0) InsertColumn(0, "Register", LVCFMT_LEFT, 115);
  ListColumnDesc name;
  name.mask = LVCF_TEXT | LVCF_WIDTH;
  name.text = "Register";
  name.width = 115;
  SetColumnInfo(0, name);
  InsertColumn(1, "Value", LVCFMT_LEFT, 150);
}

void RegisterPage::SetRegisterSet(const RegisterSet* set) {
  DeleteAllItems();
  m_items.clear();
  m_model.SetRegisterSet(set);
  for (const RegisterRow& row : m_model.Rows()) {
    HTREEITEM parent = row.parent >= 0 ? m_items[std::size_t(row.parent)] : nullptr;
    HTREEITEM item = InsertItem(row.name, parent, TVI_LAST());
    SetItemData(item, std::intptr_t(m_items.size()));
    m_items.push_back(item);
  }
  for (std::size_t i = 0; i < m_model.Rows().size(); ++i)
    if (m_model.Rows()[i].expanded) Expand(m_items[i], TVE_EXPAND);
  std::vector<int> all(m_model.Rows().size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = int(i);
  FillValues(all);
}

void RegisterPage::FillValues(const std::vector<int>& rows) {
  for (int r : rows)
    if (r >= 0 && std::size_t(r) < m_items.size()) SetItemText(m_items[std::size_t(r)], 1, m_model.ValueText(r));
  update();
}

void RegisterPage::UpdateAll() {
  if (!m_sessionActive()) return;
  FillValues(m_model.Refresh(RegisterSetModel::kRefreshAll, true));
}

void RegisterPage::UpdateItems(uint32_t item) {
  if (!m_sessionActive()) return;
  FillValues(m_model.Refresh(RegisterSetModel::kRefreshItem | (item & 0xFFFF), true));
}

int RegisterPage::ModelRowOfListRow(int listRow) {
  HTREEITEM item = GetItemAtRow(listRow);
  return item ? int(GetItemData(item)) : -1;
}

bool RegisterPage::EditValue(int modelRow) {
  if (!m_model.MayEdit(modelRow, m_sessionActive())) {
    m_beep();
    return false;
  }
  const int listRow = GetRowOfItem(m_items[std::size_t(modelRow)]);
  return listRow >= 0 && EditLabel(listRow, 1);
}

NotifyResult RegisterPage::NotifyBeginLabelEdit(int item, int subItem) {
  // The name column is never edited; a value only where the driver allows.
  if (subItem != 1 || !m_model.MayEdit(ModelRowOfListRow(item), m_sessionActive())) return 1;
  // The editor stops typing at the limit: cutting a longer text afterwards
  // would evaluate another expression than the one typed.
  if (SECListEdit* edit = GetEditControl()) edit->SetLimitText(int(RegisterSetModel::kEditMax));
  return 0;
}

NotifyResult RegisterPage::NotifyEndLabelEdit(int item, int subItem, std::string* text, bool commit) {
  if (!commit || subItem != 1 || !text || text->empty()) return 0;
  if (text->size() > RegisterSetModel::kEditMax) text->resize(RegisterSetModel::kEditMax);
  const int row = ModelRowOfListRow(item);
  uint64_t value = 0;
  m_evaluating = true;
  const bool ok = m_evaluate(RegisterSetModel::TextToEvaluate(*text, m_model.ValueText(row)), &value);
  m_evaluating = false;
  if (!ok) {
    m_beep();
    return 0;
  }
  m_model.SetValue(row, value);
  UpdateAll();
  const RegisterEntry* entry = m_model.Rows()[std::size_t(row)].entry;
  if (valueSet) valueSet(entry && entry->refreshDisasm);
  // The cell shows the driver's text of the new value, not what was typed.
  *text = m_model.ValueText(row);
  return 1;
}

NotifyResult RegisterPage::NotifyItemExpanded(TreeNode* node, unsigned code) {
  const NotifyResult result = SECTreeCtrl::NotifyItemExpanded(node, code);
  // A group opened shows its registers' values as they are now (a pass
  // without the driver's leading refresh).
  if (code == TVE_EXPAND && node && !m_items.empty()) {
    const auto row = std::size_t(GetItemData(node));
    if (row < m_model.Rows().size() && !m_model.Rows()[row].entry) FillValues(m_model.Refresh(0, m_sessionActive()));
  }
  return result;
}

bool RegisterPage::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_F2 && (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      e->accept();
      return true;
    }
  }
  return SECTreeCtrl::event(e);
}

void RegisterPage::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F2 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    HTREEITEM item = GetCaretItem();
    if (item)
      EditValue(int(GetItemData(item)));
    else
      m_beep();
    return;
  }
  SECTreeCtrl::keyPressEvent(e);
}

void RegisterPage::OnKeyEditLabel(int focus) {
  const int row = ModelRowOfListRow(focus);
  if (row >= 0) EditValue(row);
}

void RegisterPage::mouseDoubleClickEvent(QMouseEvent* e) {
  // The tree's own hit test finds an item only on its label (the name
  // column); the value column is found by its row and column.
  unsigned flags = 0;
  int column = -1;
  const int row = SECListBaseC::HitTest(int(e->position().x()), int(e->position().y()), &flags, &column);
  HTREEITEM item = row >= 0 && column >= 1 ? GetItemAtRow(row) : nullptr;
  if (item && m_model.Rows()[std::size_t(GetItemData(item))].entry) {
    EditValue(int(GetItemData(item)));
    return;
  }
  SECTreeCtrl::mouseDoubleClickEvent(e);
}

void RegisterPage::PickItemColors(SECListPaintContext& ctx) {
  SECTreeCtrl::PickItemColors(ctx);
  HTREEITEM item = GetItemAtRow(ctx.item.item);
  if (item && m_model.Changed(int(GetItemData(item)))) {
    ctx.textColor = GetSysColor(SysColor::HighlightText);
    ctx.bkColor = ctx.fillColor = GetSysColor(SysColor::Highlight);
  }
}

void RegisterPage::PickItemFont(SECListPaintContext& ctx) {
  SECTreeCtrl::PickItemFont(ctx);
  HTREEITEM item = GetItemAtRow(ctx.item.item);
  if (item && m_model.Rows()[std::size_t(GetItemData(item))].bold) ctx.font.bold = true;
}

void RegisterPage::resizeEvent(QResizeEvent* e) {
  SECTreeCtrl::resizeEvent(e);
  // The names are short: on a narrow page the values keep the room they
  // need, on a wide one the name column has its 115 pixels.
  const int w = e->size().width();
  const int name = std::clamp(w - 78, 60, 115);
  SetColumnWidth(0, name);
  SetColumnWidth(1, w > name ? w - name : 150);
}

}  // namespace pm2
