#include "toolkit/views/list_print_job.h"

#include <algorithm>

namespace pm2 {

Rect PrintScale::PageInLogical(int horzRes, int vertRes) const {
  return {0, 0, horzRes * screenDpiX / std::max(1, printerDpiX), vertRes * screenDpiY / std::max(1, printerDpiY)};
}

void SECListPrintJob::SetTop(int row) {
  const int per = m_list.IsIconLayout() ? std::max(1, m_list.IconsPerLine()) : 1;
  m_list.ScrollLines(row / per - m_list.GetTopIndex() / per);
}

bool SECListPrintJob::Begin(const Rect& page, bool preview) {
  m_begun = true;
  m_oldTop = m_list.GetTopIndex();
  SetTop(0);
  m_curPage = 0;
  m_maxPage = 0;
  if (!m_host.CreatePrintFonts()) return false;
  m_host.UsePrintFonts(true);
  m_page = page;
  m_host.SetDrawRect(&m_page);
  m_printing = true;
  m_list.InvalidateAllMeasures();
  if (preview) {
    int pages = 1;
    while (NextPage()) ++pages;
    m_maxPage = pages;
    SetTop(0);
  }
  return true;
}

bool SECListPrintJob::NextPage() {
  const int top = m_list.GetTopIndex();
  // The row before the first that does not fit; a row taller than the
  // page still makes a page of its own.
  const int next = std::max(m_list.GetBottomIndex() + 1, top + 1);
  if (next >= m_list.GetItemCount()) return false;
  SetTop(next);
  return m_list.GetTopIndex() > top;
}

bool SECListPrintJob::GoToPage(int page) {
  if (page == m_curPage) return true;
  SetTop(0);
  bool ok = true;
  for (int p = 2; p <= page && ok; ++p) ok = NextPage();
  m_curPage = page;
  return ok;
}

void SECListPrintJob::End() {
  if (!m_begun) return;
  m_begun = false;
  m_page = {};
  m_host.SetDrawRect(nullptr);
  m_host.UsePrintFonts(false);
  m_host.DeletePrintFonts();
  m_printing = false;
  SetTop(m_oldTop);
  m_list.ReMeasureAndUpdate();
  m_host.Repaint();
}

}  // namespace pm2
