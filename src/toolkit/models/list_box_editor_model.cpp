#include "toolkit/models/list_box_editor_model.h"

#include <algorithm>

namespace pm2 {
namespace {

std::string TrimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
  return s;
}

bool IsBlank(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

void ListBoxEditorModel::InitializeModel(unsigned options, bool multiSelect) {
  m_options = options;
  m_multi = multiSelect;
  if (HasEmptyRow() && (m_rows.empty() || !m_rows.back().text.empty())) InsertString(-1, "");
}

const std::string& ListBoxEditorModel::GetText(int row) const {
  static const std::string empty;
  return (row >= 0 && row < GetCount()) ? m_rows[row].text : empty;
}

std::intptr_t ListBoxEditorModel::GetData(int row) const {
  return (row >= 0 && row < GetCount()) ? m_rows[row].data : 0;
}

int ListBoxEditorModel::InsertString(int row, const std::string& text, std::intptr_t data) {
  if (row < 0 || row > GetCount()) row = GetCount();
  m_rows.insert(m_rows.begin() + row, Row{text, data});
  m_selected.insert(m_selected.begin() + row, false);
  if (m_cur >= row) ++m_cur;
  if (m_anchor >= row) ++m_anchor;
  m_host->Repaint();
  return row;
}

bool ListBoxEditorModel::DeleteString(int row) {
  if (row < 0 || row >= GetCount()) return false;
  m_rows.erase(m_rows.begin() + row);
  m_selected.erase(m_selected.begin() + row);
  if (m_cur == row) m_cur = -1;
  else if (m_cur > row) --m_cur;
  if (m_anchor == row) m_anchor = -1;
  else if (m_anchor > row) --m_anchor;
  m_host->Repaint();
  return true;
}

bool ListBoxEditorModel::SetItemText(int row, const std::string& text) {
  if (row < 0 || row >= GetCount()) return false;
  m_rows[row].text = text;
  m_host->Repaint();
  return true;
}

void ListBoxEditorModel::SetCurSel(int row) {
  m_cur = (row >= 0 && row < GetCount()) ? row : -1;
  m_anchor = m_cur;
  if (!m_multi) std::fill(m_selected.begin(), m_selected.end(), false);
  if (m_cur >= 0) m_selected[m_cur] = true;
  m_host->Repaint();
}

void ListBoxEditorModel::ExtendSelectionTo(int row) {
  if (row < 0 || row >= GetCount()) return;
  if (!m_multi) {
    SetCurSel(row);
    return;
  }
  const int anchor = (m_anchor >= 0 && m_anchor < GetCount()) ? m_anchor : (m_cur >= 0 ? m_cur : row);
  const int lo = std::min(anchor, row);
  const int hi = std::max(anchor, row);
  for (int r = 0; r < GetCount(); ++r) m_selected[r] = r >= lo && r <= hi;
  m_cur = row;
  m_anchor = anchor;
  m_host->Repaint();
}

bool ListBoxEditorModel::IsSelected(int row) const {
  return row >= 0 && row < GetCount() && m_selected[row];
}

void ListBoxEditorModel::SetSelected(int row, bool on) {
  if (row >= 0 && row < GetCount()) m_selected[row] = on;
  m_host->Repaint();
}

void ListBoxEditorModel::SendToParent(int code) {
  if (CommandListener* to = m_parent.get()) to->OnCommand(m_listId, code, this);
}

void ListBoxEditorModel::EnsureSelection() {
  if (m_cur < 0 && GetCount() > 0) SetCurSel(GetCount() - 1);
  NotifySelChange();
}

void ListBoxEditorModel::AppendEmptyRowIfDue() {
  if (HasEmptyRow() && (m_rows.empty() || !m_rows.back().text.empty())) InsertString(-1, "");
}

// --- editing -------------------------------------------------------------------

bool ListBoxEditorModel::StartEditing(char ch) {
  if (m_spacesAllowed && (ch == ' ' || ch == '\b')) {
    m_host->MoveFocusFromList(ch == '\b');
    return false;
  }
  if (m_cur < 0 || m_editing) return false;
  m_textBefore = m_rows[m_cur].text;
  std::string initial(1, ch);
  CreateInPlaceEdit(m_cur, false, (ch && ch != ' ' && ch != '\b') ? &initial : nullptr);
  return true;
}

void ListBoxEditorModel::CreateInPlaceEdit(int index, bool isNew, const std::string* initial) {
  NotifySelChange();
  m_selBeforeEdit = m_cur;
  SetCurSel(index);
  m_editing = true;
  m_cancelled = false;
  m_adding = isNew;
  if (isNew) m_textBefore.clear();
  m_host->OpenEdit(index, initial ? *initial : m_rows[index].text, initial != nullptr);
}

void ListBoxEditorModel::AcceptEdit(const std::string& text) {
  if (!m_editing) return;
  if (m_cur >= 0) m_rows[m_cur].text = text;
  EndEditing();
}

void ListBoxEditorModel::CancelEdit() {
  if (!m_editing) return;
  if (m_adding && m_cur >= 0) {
    DropNewRow(m_cur);
    m_adding = false;
  }
  m_cancelled = true;
  EndEditing();
}

void ListBoxEditorModel::DropNewRow(int row) {
  DeleteString(row);
  const int back = m_selBeforeEdit > row ? m_selBeforeEdit - 1 : m_selBeforeEdit;
  SetCurSel(std::min(back, GetCount() - 1));
}

void ListBoxEditorModel::RefuseAddedRow(int index) {
  if (index < 0 || index >= GetCount()) return;
  if (IsEmptyLastRow(index)) SetItemText(index, "");
  else DropNewRow(index);
}

bool ListBoxEditorModel::SpaceEndsEntry(const std::string& textAfter, int caretBefore, bool hadSelection) const {
  if (m_spacesAllowed || hadSelection) return false;
  const int trimmed = int(TrimRight(textAfter).size());
  return caretBefore - trimmed + 1 >= m_spacesThatEnd;
}

void ListBoxEditorModel::EndEditing() {
  if (!m_editing) return;
  m_editing = false;
  m_host->CloseEdit();
  const int index = m_cur;
  if (index >= 0 && !m_cancelled) {
    const std::string text = m_rows[index].text;
    const bool lastRow = index == GetCount() - 1;
    const bool wasEmptyRow = lastRow && HasEmptyRow() && m_textBefore.empty() && !m_adding;
    if (lastRow && !m_textBefore.empty() && text != m_textBefore) {
      OnItemRenamed(index, m_textBefore, text);
    } else if (!m_adding && !wasEmptyRow) {
      if (text != m_textBefore) OnItemRenamed(index, m_textBefore, text);
    } else {
      OnItemAdded(index, text);
      if (wasEmptyRow && !IsBlank(text) && index < GetCount()) AppendEmptyRowIfDue();
    }
  }
  m_textBefore.clear();
  m_adding = false;
  m_cancelled = false;
  EnsureSelection();
}

// --- hooks ----------------------------------------------------------------------------

void ListBoxEditorModel::OnItemRenamed(int index, std::string /*oldText*/, std::string newText) {
  newText = TrimRight(newText);
  if (newText.empty()) {
    DeleteItem(index);
    return;
  }
  SetItemText(index, newText);
  AppendEmptyRowIfDue();
}

void ListBoxEditorModel::OnItemAdded(int index, std::string text) {
  text = TrimRight(text);
  if (text.empty()) {
    // Blanks typed into the empty last row: that row cannot be deleted, so
    // it is emptied again, or it would pass for an item afterwards.
    if (IsEmptyLastRow(index)) SetItemText(index, "");
    else DeleteItem(index);
    return;
  }
  SetItemText(index, text);
}

void ListBoxEditorModel::OnItemMoved(int oldIndex, int /*newIndex*/, std::string /*text*/, bool /*dragged*/) {
  m_lastMovedFrom = oldIndex;
  SendToParent(kLbeMoved);
}

bool ListBoxEditorModel::OnItemDeleting(int, std::string) { return true; }

// --- commands --------------------------------------------------------------------------

bool ListBoxEditorModel::OnNewItem() {
  if (m_editing) return false;
  if (m_rows.empty() || !m_rows.back().text.empty()) InsertString(-1, "");
  int row = GetCount() - 1;
  if (HasEmptyRow()) InsertString(-1, "");  // the new empty last row
  CreateInPlaceEdit(row, true, nullptr);
  return true;
}

void ListBoxEditorModel::OnDeleteItems() {
  if (m_multi) {
    for (int r = GetCount() - 1; r >= 0; --r) {
      if (m_selected[r] && !IsEmptyLastRow(r) && !DeleteItem(r)) return;
    }
    return;
  }
  DeleteItem(m_cur);
}

bool ListBoxEditorModel::DeleteItem(int index) {
  if (index < 0 || index >= GetCount() || IsEmptyLastRow(index)) return false;
  if (!OnItemDeleting(index, m_rows[index].text)) return false;
  DeleteString(index);
  if (!m_multi) SetCurSel(std::min(index, GetCount() - 1));
  m_lastMovedFrom = index;
  SendToParent(kLbeDeleted);
  return true;
}

bool ListBoxEditorModel::MoveItem(int index) {
  if (index <= 0 || index >= GetCount()) return false;
  std::swap(m_rows[index], m_rows[index - 1]);
  bool s = m_selected[index];
  m_selected[index] = m_selected[index - 1];
  m_selected[index - 1] = s;
  m_host->Repaint();
  return true;
}

int ListBoxEditorModel::RowToMove() const {
  if (!m_multi) return m_cur;
  // A multiple-selection list moves its one selected row, wherever the caret is.
  if (std::count(m_selected.begin(), m_selected.end(), true) != 1) return -1;
  return int(std::find(m_selected.begin(), m_selected.end(), true) - m_selected.begin());
}

bool ListBoxEditorModel::OnMoveUp() {
  const int cur = RowToMove();
  if (cur <= 0 || IsEmptyLastRow(cur)) return false;
  MoveItem(cur);
  SetCurSel(cur - 1);
  OnItemMoved(cur, cur - 1, m_rows[cur - 1].text, false);
  return true;
}

bool ListBoxEditorModel::OnMoveDown() {
  const int cur = RowToMove();
  if (cur < 0 || cur >= GetItemCount() - 1) return false;
  MoveItem(cur + 1);
  SetCurSel(cur + 1);
  OnItemMoved(cur, cur + 1, m_rows[cur + 1].text, false);
  return true;
}

bool ListBoxEditorModel::OnListKey(unsigned key, bool alt, bool ctrl) {
  if (m_options & LBE_SHORTCUTS) {
    if (key == vk::Insert && !alt) return OnNewItem(), true;
    if (key == vk::Delete && !alt) return OnDeleteItems(), true;
    if (key == vk::Up && alt) return OnMoveUp(), true;
    if (key == vk::Down && alt) return OnMoveDown(), true;
  }
  if (key == vk::F2 && (m_options & LBE_BROWSE)) return StartEditing(0), true;
  (void)ctrl;
  return false;
}

bool ListBoxEditorModel::OnListChar(char ch, bool ctrl) {
  if (!(m_options & LBE_TYPETOEDIT) || ctrl) return false;
  // Backspace is a typed character too: it opens an edit without initial
  // text, or (spaces allowed) moves the focus back out of the list.
  if (static_cast<unsigned char>(ch) < 0x20 && ch != '\b') return false;
  StartEditing(ch);
  return true;
}

bool ListBoxEditorModel::OnListText(std::string_view typed, bool ctrl) {
  if (typed.size() == 1) return OnListChar(typed[0], ctrl);
  if (typed.empty() || !(m_options & LBE_TYPETOEDIT) || ctrl) return false;
  if (m_cur < 0 || m_editing) return false;
  m_textBefore = m_rows[m_cur].text;
  const std::string initial(typed);
  CreateInPlaceEdit(m_cur, false, &initial);
  return true;
}

// --- drag ---------------------------------------------------------------------------------

bool ListBoxEditorModel::CanStartDrag() const {
  return (m_options & LBE_DRAG) && m_cur >= 0 && !IsEmptyLastRow(m_cur) && !m_editing;
}

int ListBoxEditorModel::DragTarget(int row, bool lowerHalf) const {
  const int items = GetItemCount();
  if (row < 0 || row >= items) return -1;
  const int t = lowerHalf ? row + 1 : row;
  return t >= items ? -1 : t;
}

bool ListBoxEditorModel::FinishDrag(int from, int target, int heldMs, bool began, bool cancelled) {
  if (!began || cancelled || heldMs <= 250 || from < 0 || from >= GetItemCount()) return false;
  if (target == -1) target = GetItemCount();
  if (target > from) --target;  // the row leaves its old place first
  if (target == from) return false;
  Row row = m_rows[from];
  DeleteString(from);
  InsertString(target, row.text, row.data);
  SetCurSel(target);
  OnItemMoved(from, target, row.text, true);
  return true;
}

}  // namespace pm2
