#include "debugger/windows/call_stack_window.h"

#include <QMouseEvent>
#include <QResizeEvent>

namespace pm2 {

CallStackWindow::CallStackWindow(DebugInterface* const* record, std::function<bool(uint32_t)> showSource,
                                 std::function<void()> beep, std::function<void()> askDriver, QWidget* parent)
    : SECTreeCtrl(parent, TVS_SHOWSELALWAYS, TVXS_COLUMNHEADER),
      m_record(record),
      m_showSource(std::move(showSource)),
      m_beep(std::move(beep)),
      m_askDriver(std::move(askDriver)) {
  setObjectName("CallStack");
  EnableSubItemText(true);
  if (GetColumnCount() == 0) InsertColumn(0, "Callee", LVCFMT_LEFT, 150);
  ListColumnDesc name;
  name.mask = LVCF_TEXT | LVCF_WIDTH;
  name.text = "Callee";
  name.width = 150;
  SetColumnInfo(0, name);
  InsertColumn(1, "Caller", LVCFMT_LEFT, 150);
  // Rows select whole from any cell, between grid lines; the callee column
  // takes what the caller column leaves.
  ModifyListStyleEx(0, LVXS_FULLROWSELECT | LVXS_GRIDLINES | LVXS_FILLLABELCOLUMN);
}

void CallStackWindow::Refresh() {
  DebugInterface* r = *m_record;
  m_rows.clear();
  if (r && (r->flags & kDbgFlagActive) && !(r->flags & kDbgFlagExecuting)) {
    if (m_askDriver)
      m_askDriver();
    else if (r->DbgControl)
      r->DbgControl(kDbgCtlBeforeCallStack, 0, 0);
    m_rows = FillCallStack(*r);
  }
  Show();
}

void CallStackWindow::Clear() {
  m_rows.clear();
  Show();
}

void CallStackWindow::Show() {
  DeleteAllItems();
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    HTREEITEM item = InsertItem(m_rows[i].calledText, nullptr, TVI_LAST());
    SetItemData(item, std::intptr_t(i));
    SetItemText(item, 1, m_rows[i].callingText);
  }
  update();
}

bool CallStackWindow::ShowCallingPlace(int row) {
  if (row < 0 || std::size_t(row) >= m_rows.size() || m_rows[std::size_t(row)].calling == 0 ||
      !m_showSource(m_rows[std::size_t(row)].calling)) {
    m_beep();
    return false;
  }
  return true;
}

void CallStackWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  unsigned flags = 0;
  HTREEITEM item = HitTest(int(e->position().x()), int(e->position().y()), &flags);
  if (item) SelectItem(item);
  HTREEITEM selected = GetCaretItem();
  ShowCallingPlace(selected ? int(GetItemData(selected)) : -1);
}

void CallStackWindow::resizeEvent(QResizeEvent* e) {
  SECTreeCtrl::resizeEvent(e);
  const int half = e->size().width() / 2;
  SetColumnWidth(0, half);
  SetColumnWidth(1, half);
}

}  // namespace pm2
