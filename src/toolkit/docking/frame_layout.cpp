#include "toolkit/docking/frame_layout.h"

#include <algorithm>

namespace pm2 {

const std::vector<DockSideRow>& DockSideTable() {
  static const std::vector<DockSideRow> kTable = {
      {AFX_IDW_DOCKBAR_TOP, DockSide::Top, 0x2800},
      {AFX_IDW_DOCKBAR_BOTTOM, DockSide::Bottom, 0x8200},
      {AFX_IDW_DOCKBAR_LEFT, DockSide::Left, 0x1400},
      {AFX_IDW_DOCKBAR_RIGHT, DockSide::Right, 0x4100},
  };
  return kTable;
}

const DockSideRow* SideRowForAlign(std::uint32_t barStyle) {
  for (const DockSideRow& r : DockSideTable())
    if ((r.style & CBRS_ALIGN_ANY) == (barStyle & CBRS_ALIGN_ANY)) return &r;
  return nullptr;
}

DockOrder::DockOrder() {
  for (int i = 0; i < 6; ++i) {
    if (i % 3 == 0) m_list.push_back(0);
    m_list.push_back(AFX_IDW_DOCKBAR_BOTTOM);
    if (i % 2 == 0) m_list.push_back(0);
    m_list.push_back(AFX_IDW_DOCKBAR_LEFT);
    if (i % 2 == 0) m_list.push_back(0);
    m_list.push_back(AFX_IDW_DOCKBAR_RIGHT);
  }
}

unsigned DockOrder::Next(DockPosition* pos, DockSizeInfo* size) {
  *size = DockSizeInfo{};
  int n = int(m_list.size());
  for (int step = 0; step < n; ++step) {
    int i = (m_read + step) % n;
    unsigned id = m_list[i];
    if (id == 0) continue;
    DockPosition p{0, 1, 2};
    if (id == AFX_IDW_DOCKBAR_TOP || id == AFX_IDW_DOCKBAR_LEFT) p.flags = 3;
    int prev = i == 0 ? n - 1 : i - 1;
    if (n > 1 && m_list[prev] == 0) {
      p.flags |= 4;
      if (p.flags & 1) p.row = 1;
    }
    *pos = p;
    m_read = (i + 1) % n;
    return id;
  }
  *pos = DockPosition{0, 0, 4};
  return AFX_IDW_DOCKBAR_BOTTOM;
}

std::uint32_t DockLayoutModeFor(unsigned dockBarId) {
  if (dockBarId == AFX_IDW_DOCKBAR_TOP || dockBarId == AFX_IDW_DOCKBAR_BOTTOM) return 42;
  if (dockBarId == AFX_IDW_DOCKBAR_LEFT || dockBarId == AFX_IDW_DOCKBAR_RIGHT) return 16;
  return 38;
}

Point MdiCascade::Take(Size client) {
  Point p = m_next;
  m_next.x += 20;
  m_next.y += 23;
  if (m_next.x > client.cx - 30) m_next.x = 30;
  if (m_next.y > client.cy - 30) m_next.y = 30;
  return p;
}

Point ClampIntoMdiClient(Point p, Size client) {
  return {std::clamp(p.x, 0, std::max(0, client.cx)), std::clamp(p.y, 0, std::max(0, client.cy - 30))};
}

Point ClampFloatPoint(Point p, Size barSize, const Rect& wa) {
  p.x = std::min(p.x, wa.right - 10);
  p.y = std::min(p.y, wa.bottom - 10);
  if (p.x + barSize.cx < wa.left + 10) p.x = wa.left + 10 - barSize.cx;
  if (p.y + barSize.cy < wa.top + 10) p.y = wa.top + 10 - barSize.cy;
  return p;
}

}  // namespace pm2
