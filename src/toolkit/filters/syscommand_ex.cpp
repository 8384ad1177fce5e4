#include "toolkit/filters/syscommand_ex.h"

namespace pm2 {

unsigned SysCommandExMessage() { return 0xC3A1; }

int PlacementGroup(int p) {
  if (p >= kPlaceMdiChild && p <= kPlaceMdiRestored) return kPlaceMdiChild;
  if (p >= kPlaceDocked && p <= kPlaceBottom) return kPlaceDocked;
  return p == kPlaceFloating ? kPlaceFloating : 0;
}

std::vector<PlacementMenuItem> BuildPlacementMenu(int current) {
  auto item = [current](unsigned text, int cmd) {
    PlacementMenuItem i;
    i.textId = text;
    i.command = cmd;
    // A group item is checked when the window is anywhere in its group.
    i.checked = cmd == current || ((cmd == kPlaceDocked || cmd == kPlaceMdiChild) && PlacementGroup(current) == cmd);
    return i;
  };
  std::vector<PlacementMenuItem> menu = {item(20993, kPlaceDocked), item(21076, kPlaceFloating),
                                         item(21077, kPlaceMdiChild), PlacementMenuItem{}};
  PlacementMenuItem dock;
  dock.textId = 21082;
  dock.children = {item(21078, kPlaceTop), item(21079, kPlaceLeft), item(21080, kPlaceBottom), item(21081, kPlaceRight)};
  PlacementMenuItem mdi;
  mdi.textId = 21086;
  mdi.children = {item(21083, kPlaceMdiMin), item(21084, kPlaceMdiMax), item(21085, kPlaceMdiRestored)};
  menu.push_back(dock);
  menu.push_back(mdi);
  return menu;
}

DockParams DefaultDockParams(int side) {
  DockParams p;
  const bool nearSide = side == kPlaceTop || side == kPlaceLeft;
  p.pos1 = nearSide ? 1 : 0;
  p.pos2 = nearSide ? 3 : 4;
  p.share = 1.0f;
  p.length = 150;
  return p;
}

unsigned ScxMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  if (m.msg != SysCommandExMessage()) return FilterChildren(m, result);
  auto* rec = reinterpret_cast<SysCommandExRecord*>(m.lParam);
  unsigned r = rec ? Handle(unsigned(m.wParam) & ~0xFu, rec) : 0;
  if (r & kFilterHandled) r |= kFilterStop;
  if (result) *result = rec && rec->succeeded;
  return r;
}

unsigned ScxMsgFilter::Handle(unsigned code, SysCommandExRecord* rec) {
  if (!rec->window || !m_host || !m_host->Exists(rec->window)) return 0;
  FilterWindow* repaint = (rec->flags & 1) ? rec->window : nullptr;
  unsigned r = 0;
  if (code == kScxExecute) {
    rec->succeeded = Execute(rec);
    r = 15;
  } else if (code == kScxQueryMenu) {
    rec->menu = BuildPlacementMenu(m_host->CurrentPlacement(rec->window));
    r = 15;
  } else if (code == kScxShowMenu) {
    SysCommandExRecord query = *rec;
    query.flags &= ~1u;
    Handle(kScxQueryMenu, &query);
    Point at{rec->x, rec->y};
    const int chosen = m_host->TrackMenu(query.menu, at, rec->window);
    if (chosen) {
      SysCommandExRecord run = *rec;
      run.flags &= ~1u;
      run.command = chosen;
      Handle(kScxExecute, &run);
      rec->succeeded = run.succeeded;
    }
    rec->window = nullptr;
    r = 15;
  }
  if (repaint && m_host->Exists(repaint)) m_host->RepaintFrame(repaint);
  return r;
}

bool ScxMsgFilter::Execute(SysCommandExRecord* rec) {
  FilterWindow* w = rec->window;
  const int current = m_host->CurrentPlacement(w);
  int cmd = rec->command;
  if (cmd == kPlaceDefault) cmd = PlacementGroup(current) == kPlaceMdiChild ? kPlaceDocked : kPlaceMdiChild;
  switch (PlacementGroup(cmd)) {
    case kPlaceMdiChild:
      return m_host->ToMdiChild(w, cmd == kPlaceMdiChild ? kPlaceMdiRestored : cmd);
    case kPlaceDocked: {
      if (cmd == kPlaceDocked) {
        if (PlacementGroup(current) == kPlaceDocked) return true;  // already docked
        return m_host->ToDocked(w, 0, DockParams{});
      }
      DockParams p = DefaultDockParams(cmd);
      if ((rec->flags & 1) && rec->dockPos) {
        p.pos1 = rec->dockPos->pos1;
        p.pos2 = rec->dockPos->pos2;
      }
      if ((rec->flags & 2) && rec->dockSize) {
        p.share = rec->dockSize->share;
        p.length = rec->dockSize->length;
      }
      return m_host->ToDocked(w, cmd, p);
    }
    case kPlaceFloating: {
      const Point pos{rec->x, rec->y};
      const Size size{rec->cx, rec->cy};
      return m_host->ToFloating(w, (rec->flags & 1) ? &pos : nullptr, (rec->flags & 2) ? &size : nullptr);
    }
    default:
      return false;
  }
}

void ScxButtonMsgFilter::Draw() {
  if (!m_wnd || m_rect.IsEmpty()) return;
  m_wnd->DrawFrameControl(m_rect, m_type, m_state);
}

unsigned ScxButtonMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  unsigned r = SECCaptionControlMsgFilter::OnMessage(m, result);
  const bool mouse = m.msg == wm::NcLButtonDown || m.msg == wm::NcRButtonDown || m.msg == wm::MouseMove ||
                     m.msg == wm::LButtonUp;
  if (mouse && (r & kFilterHandled)) r |= kFilterStop;
  return r;
}

void ScxButtonMsgFilter::Fire(int event, Point screen) {
  if (!m_wnd) return;
  SysCommandExRecord rec;
  rec.window = m_wnd;
  if (event == 0) {
    m_wnd->SendMessage(SysCommandExMessage(), kScxExecute, reinterpret_cast<std::intptr_t>(&rec));
    return;
  }
  // The menu opens at the button's bottom-left corner.
  const Point o = m_wnd->WindowOrigin();
  rec.button = m_rect;
  rec.button.Offset(o.x, o.y);
  rec.x = rec.button.left;
  rec.y = rec.button.bottom;
  if (event == 2) rec.flags |= 1;
  (void)screen;
  m_wnd->SendMessage(SysCommandExMessage(), kScxShowMenu, reinterpret_cast<std::intptr_t>(&rec));
}

unsigned ScxCaptionNCRDBLClkFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  if (m.msg != wm::NcRButtonDblClk || int(m.wParam) != kHitCaption || !m_wnd)
    return SECCaptionMsgFilter::OnMessage(m, result);
  SysCommandExRecord rec;
  rec.window = m_wnd;
  m_wnd->SendMessage(SysCommandExMessage(), kScxExecute, reinterpret_cast<std::intptr_t>(&rec));
  return 15;
}

unsigned ScxContextMenuFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  if (m.msg != wm::NcRButtonUp || int(m.wParam) != kHitCaption || !m_wnd) return SECMsgFilter::OnMessage(m, result);
  SysCommandExRecord rec;
  rec.window = m_wnd;
  rec.x = m.point.x;
  rec.y = m.point.y;
  m_wnd->SendMessage(SysCommandExMessage(), kScxShowMenu, reinterpret_cast<std::intptr_t>(&rec));
  return 15;
}

SECMsgFilter::DescriptorTable DockableFrameDescriptors(PlacementHost* host) {
  return {
      {257, -1, [host] { return std::make_unique<ScxMsgFilter>(host); }, 0},
      {256, -1, MakeFilter<SECCaptionControlListMsgFilter>(), 1},
      {258, 256, MakeFilter<ScxButtonMsgFilter>(), 0},
      {259, -1, MakeFilter<ScxCaptionNCRDBLClkFilter>(), 0},
      {262, -1, MakeFilter<ScxContextMenuFilter>(), 0},
  };
}

}  // namespace pm2
