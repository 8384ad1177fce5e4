#include "editor/wizard_ui/options_tree.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "toolkit/controls/inplace_edit.h"
#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/list_view_impl.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

constexpr unsigned kGreyed = 0x100;  // the tree's extended state: grey text
constexpr unsigned kInPlaceEditorId = 1007;
constexpr int kInPlaceEscape = 27;

}  // namespace

// ------------------------------------------------------------------ control

COptionsTreeCtrl::COptionsTreeCtrl(COptionsTree* owner)
    : SECTreeCtrl(owner, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, TVXS_COLUMNHEADER),
      m_owner(owner) {
  setObjectName("OptionsTreeCtrl");
  EnableSubItemText(true);
  // A click anywhere on a row hits it, the value column too.
  SetListStyleEx(GetListStyleEx() | LVXS_FULLROWSELECT);
  // The tree's label column is there from the start: it is "Option".
  if (GetColumnCount() == 0) InsertColumn(0, "Option", LVCFMT_LEFT, 300);
  ListColumnDesc label;
  label.mask = LVCF_TEXT | LVCF_WIDTH;
  label.text = "Option";
  label.width = 300;
  SetColumnInfo(0, label);
  InsertColumn(1, "Value", LVCFMT_LEFT, 5000);
}

int COptionsTreeCtrl::ModelRowAt(int listRow) {
  HTREEITEM h = GetItemAtRow(listRow);
  return h ? int(GetItemData(h)) : -1;
}

int COptionsTreeCtrl::ModelRowAtPoint(QPoint p, bool* inValueColumn) {
  unsigned flags = 0;
  HTREEITEM h = HitTest(p.x(), p.y(), &flags);
  if (!h) return -1;
  const int row = int(GetItemData(h));
  if (inValueColumn) *inValueColumn = p.x() >= m_owner->ValueCell(row).left();
  return row;
}

void COptionsTreeCtrl::paintEvent(QPaintEvent* e) {
  SECTreeCtrl::paintEvent(e);
  // The check boxes of the value column, drawn over the rows that hold one.
  QPainter p(this);
  const OptionRows& rows = m_owner->Rows();
  for (int listRow = GetTopIndex(); listRow < GetItemCount(); ++listRow) {
    Rect cell;
    if (!GetCellRect(listRow, 1, &cell, 0)) continue;
    if (cell.top > height()) break;
    const int row = ModelRowAt(listRow);
    if (row < 0 || rows.Row(row).kind != kRowCheck) continue;
    const int side = std::max(cell.Height() - 2, 8);
    QStyleOptionButton box;
    box.rect = QRect(cell.left + 4, cell.top + (cell.Height() - side) / 2, side, side);
    box.state = rows.Row(row).value ? QStyle::State_On : QStyle::State_Off;
    if (!(rows.Row(row).flags & kRowDisabled)) box.state |= QStyle::State_Enabled;
    ClassicStyle()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &p, this);
  }
}

void COptionsTreeCtrl::mousePressEvent(QMouseEvent* e) {
  SECTreeCtrl::mousePressEvent(e);
  if (e->button() != Qt::LeftButton) return;
  bool inValue = false;
  const int row = ModelRowAtPoint(e->position().toPoint(), &inValue);
  if (row >= 0 && inValue) m_owner->BeginEdit(row);
}

void COptionsTreeCtrl::mouseDoubleClickEvent(QMouseEvent* e) {
  SECTreeCtrl::mouseDoubleClickEvent(e);
  const int row = ModelRowAtPoint(e->position().toPoint(), nullptr);
  if (row >= 0) m_owner->BeginEdit(row);
}

bool COptionsTreeCtrl::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const int row = ModelRowAtPoint(help->pos(), nullptr);
    const OptionRows& rows = m_owner->Rows();
    if (row >= 0 && !(rows.Row(row).flags & kRowDisabled) && !rows.Row(row).help.empty())
      QToolTip::showText(help->globalPos(), ToQString(rows.Row(row).help), this);
    else
      QToolTip::hideText();
    return true;
  }
  return SECTreeCtrl::event(e);
}

// ------------------------------------------------------------------ tree

COptionsTree::COptionsTree(QWidget* parent) : QWidget(parent), m_tree(new COptionsTreeCtrl(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_tree);
  chooseFile = [this](const std::string& current) {
    QFileDialog dialog(this, QString(), ToQString(current));
    dialog.setDefaultSuffix("W51");
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(ToQString(current));
    KeepHeaderIcon(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return FromQString(dialog.selectedFiles().front());
  };
}

void COptionsTree::SetRows(const OptionRows& rows) {
  if (m_editor) m_editor->deleteLater();
  m_editRow = -1;
  m_rows = rows;
  m_tree->DeleteAllItems();
  m_items.assign(size_t(rows.Count()), nullptr);
  for (int i = 0; i < rows.Count(); ++i) {
    const OptionRow& r = rows.Row(i);
    HTREEITEM parent = r.parent >= 0 ? m_items[size_t(r.parent)] : nullptr;
    HTREEITEM item = m_tree->InsertItem(r.label, parent, TVI_LAST());
    m_items[size_t(i)] = item;
    m_tree->SetItemData(item, i);
  }
  RefreshAll();
  // Folders, and the block's own row, open as their STYLE says, children
  // before their parents so that a parent's rows count its open children.
  for (int i = rows.Count() - 1; i >= 0; --i)
    if (rows.Row(i).flags & kRowExpanded) m_tree->Expand(m_items[size_t(i)], TVE_EXPAND);
  // The name column is as wide as its widest label.
  QFontMetrics fm(m_tree->font());
  int widest = 0;
  for (int i = 0; i < rows.Count(); ++i)
    widest = std::max(widest, fm.horizontalAdvance(ToQString(rows.Row(i).label)) + 20 * (rows.Row(i).depth + 1) + 10);
  if (widest > m_tree->GetColumnWidth(0)) m_tree->SetColumnWidth(0, widest);
}

void COptionsTree::Refresh(int i) {
  const OptionRow& r = m_rows.Row(i);
  m_tree->SetItemText(m_items[size_t(i)], 1, m_rows.ValueText(i));
  m_tree->SetItemExState(m_items[size_t(i)], (r.flags & kRowDisabled) ? kGreyed : 0);
}

void COptionsTree::RefreshAll() {
  for (int i = 0; i < m_rows.Count(); ++i) Refresh(i);
  m_tree->update();
}

int COptionsTree::ListRowOf(int row) const {
  if (row < 0 || row >= m_rows.Count()) return -1;
  return m_tree->GetRowOfItem(m_items[size_t(row)]);
}

QRect COptionsTree::ValueCell(int row) const {
  const int listRow = ListRowOf(row);
  Rect cell;
  if (listRow < 0 || !m_tree->GetCellRect(listRow, 1, &cell, 0)) return {};
  return ToQRect(cell);
}

bool COptionsTree::BeginEdit(int row) {
  if (row < 0 || row >= m_rows.Count() || !m_rows.Editable(row) || m_editor) return false;
  m_tree->SelectItem(m_items[size_t(row)]);
  const OptionRow& r = m_rows.Row(row);
  switch (r.kind) {
    case kRowCheck:
      m_rows.Toggle(row);
      RefreshAll();
      emit rowChanged(row);
      return true;
    case kRowFile: {
      const std::string path = chooseFile ? chooseFile(r.text) : std::string();
      if (!path.empty() && m_rows.SetFile(row, path)) {
        Refresh(row);
        emit rowChanged(row);
      }
      return true;
    }
    default: break;
  }
  m_editRow = row;
  QRect cell = ValueCell(row);
  cell.setWidth(std::min(cell.width(), std::max(160, m_tree->width() - cell.left() - 2)));
  // The toolkit's in-place editors, started as by the mouse; each reports
  // its end key and text once and then deletes itself. Escape drops the
  // edit, any other end takes the text.
  InPlaceResult done = [this, row](unsigned, int endKey, const std::string& text) {
    EndEdit(row, endKey != kInPlaceEscape, text);
  };
  QWidget* editor = nullptr;
  if (r.kind == kRowDecimal) {
    editor = new CInPlaceSpinEdit(m_tree, cell, kInPlaceEditorId, r.minimum, r.maximum, std::to_string(r.value),
                                  kInPlaceMouse, std::move(done));
  } else if (r.kind == kRowSelection) {
    const std::string chosen = r.value >= 0 && size_t(r.value) < r.entries.size() ? r.entries[size_t(r.value)] : "";
    auto* list = new CInPlaceList(m_tree, cell, kInPlaceEditorId, r.entries, chosen, kInPlaceMouse, std::move(done));
    // Choosing an entry with the mouse ends the edit at once: the focus
    // goes back to the tree.
    connect(list, &QComboBox::activated, m_tree, [this] { m_tree->setFocus(); });
    editor = list;
  } else {
    editor = new CInPlaceEdit(m_tree, cell, kInPlaceEditorId, m_rows.EditText(row), kInPlaceMouse, std::move(done));
  }
  editor->setObjectName("OptionsInPlaceEditor");
  m_editor = editor;
  return true;
}

void COptionsTree::EndEdit(int row, bool accepted, const std::string& text) {
  if (m_editRow != row) return;
  m_editRow = -1;
  // The editor deletes itself once it has reported.
  m_editor = nullptr;
  m_tree->setFocus();
  if (!accepted) return;
  if (!m_rows.AcceptsInput(row, text)) {
    // Not a number of the row's kind: the value stays as it was.
    QApplication::beep();
    return;
  }
  if (m_rows.EndEdit(row, text)) {
    RefreshAll();
    emit rowChanged(row);
  }
}

}  // namespace pm2
