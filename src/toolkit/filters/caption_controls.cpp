#include "toolkit/filters/caption_controls.h"

namespace pm2 {

namespace {
std::intptr_t PackPoint(Point p) { return std::intptr_t((std::uint32_t(p.y & 0xFFFF) << 16) | std::uint32_t(p.x & 0xFFFF)); }

// The system command of each caption-button kind.
constexpr unsigned kKindCommand[] = {SC_CLOSE_CMD, SC_MINIMIZE_CMD, SC_MAXIMIZE_CMD, SC_RESTORE_CMD, SC_CONTEXTHELP_CMD};
}  // namespace

// ------------------------------------------------------------------ caption

Rect SECCaptionMsgFilter::GetCaptionRect() const {
  if (!m_wnd) return {};
  const std::uint32_t style = m_wnd->Style();
  const CaptionMetrics& mt = m_wnd->Metrics();
  int bx = 0, by = 0;
  if (style & (WS_CAPTION_BITS | WS_THICKFRAME_BIT)) {
    if ((style & WS_THICKFRAME_BIT) && !m_wnd->IsIconic()) {
      bx = mt.cxFrame;
      by = mt.cyFrame;
    } else if (style & WS_DLGFRAME_BIT) {
      bx = mt.cxDlgFrame;
      by = mt.cyDlgFrame;
    } else {
      bx = mt.cxBorder;
      by = mt.cyBorder;
    }
  }
  const int width = m_wnd->WindowSize().cx - 2 * bx;
  int height = ((m_wnd->ExStyle() & WS_EX_TOOLWINDOW_BIT) ? mt.cySmCaption : mt.cyCaption) - mt.cyBorder;
  if ((style & WS_CAPTION_BITS) != WS_CAPTION_BITS) height = 0;
  return Rect{bx, by, bx + width, by + height};
}

Size SECCaptionMsgFilter::GetButtonSize() const {
  if (!m_wnd) return {};
  const CaptionMetrics& mt = m_wnd->Metrics();
  if (m_wnd->ExStyle() & WS_EX_TOOLWINDOW_BIT) return Size{mt.cxSmSize - 2, mt.cySmSize - 4};
  return Size{mt.cxSize - 2, mt.cySize - 4};
}

Point SECCaptionMsgFilter::GetFirstButtonOrigin(const Rect& caption, Size button) const {
  return Point{caption.right - button.cx - 2, caption.top + 2};
}

Size SECCapConLstMDIMaxChildMsgFilter::GetButtonSize() const {
  if (!m_wnd) return {};
  const CaptionMetrics& mt = m_wnd->Metrics();
  return Size{mt.cxMenuSize - 2, mt.cyMenuSize - 4};
}

Point SECCapConLstMDIMaxChildMsgFilter::GetFirstButtonOrigin(const Rect& caption, Size button) const {
  Point p = SECCaptionControlListMsgFilter::GetFirstButtonOrigin(caption, button);
  if (m_wnd) p.y += m_wnd->Metrics().cyCaption;
  return p;
}

unsigned SECCapConLstMDIMaxChildMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  const bool press = m.msg == wm::NcLButtonDown || m.msg == wm::NcRButtonDown;
  if (!press || int(m.wParam) != kHitMenu) return SECCaptionControlListMsgFilter::OnMessage(m, result);
  FilterMessage asCaption = m;
  asCaption.wParam = kHitCaption;
  return SECCaptionControlListMsgFilter::OnMessage(asCaption, result);
}

// ------------------------------------------------------------------ list

SECCaptionControlListMsgFilter::SECCaptionControlListMsgFilter(FilterWindow* wnd, int id)
    : SECCaptionMsgFilter(wnd, id) {
  for (int kind : {kCapClose, kCapMaximize, kCapRestore, kCapMinimize, kCapHelp})
    AddChild(std::make_unique<SECCaptionControlMsgFilter>(wnd, kind));
}

unsigned SECCaptionControlListMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  LayoutControls();
  return SECCaptionMsgFilter::OnMessage(m, result);
}

void SECCaptionControlListMsgFilter::LayoutControls() {
  if (!m_enabled || !m_wnd) return;
  const Size size = GetButtonSize();
  const Rect caption = GetCaptionRect();
  Point p = GetFirstButtonOrigin(caption, size);
  for (auto& c : m_children) {
    auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
    if (!ctl) continue;
    bool disabled = false;
    if (!ctl->IsVisible(&disabled)) {
      ctl->SetButtonRect({});
      continue;
    }
    ctl->SetButtonRect(Rect{p.x, p.y, p.x + size.cx, p.y + size.cy});
    ctl->SetStateBits(DFCS_INACTIVE_BIT, disabled);
    p.x -= size.cx;
    const int id = ctl->Id();
    if (id == kCapClose || id == kCapMinimize || (id == kCapRestore && m_wnd->IsIconic())) p.x -= 2;
  }
}

void SECCaptionControlListMsgFilter::SetButtonStates(const std::vector<bool>& enabled) {
  const int kinds[] = {kCapClose, kCapMaximize, kCapRestore, kCapMinimize};
  for (std::size_t i = 0; i < 4 && i < enabled.size(); ++i)
    if (SECMsgFilter* f = FindFilter(kinds[i], nullptr, 0)) f->Enable(enabled[i]);
}

// ------------------------------------------------------------------ button

SECCaptionControlMsgFilter::SECCaptionControlMsgFilter(const SECCaptionControlMsgFilter& o)
    : SECCaptionMsgFilter(o), m_rect(o.m_rect), m_type(o.m_type), m_baseState(o.m_baseState), m_state(o.m_state),
      m_holdDelay(o.m_holdDelay) {}

bool SECCaptionControlMsgFilter::IsVisible(bool* disabled) const {
  *disabled = false;
  if (!m_wnd || m_id < 0 || m_id >= kCapNone) return false;
  const std::uint32_t style = m_wnd->Style(), ex = m_wnd->ExStyle();
  if (!(style & WS_SYSMENU_BIT)) return false;
  const bool minBox = style & WS_MINIMIZEBOX_BIT, maxBox = style & WS_MAXIMIZEBOX_BIT;
  switch (m_id) {
    case kCapClose:
      *disabled = m_wnd->IsCloseDisabled();
      return true;
    case kCapHelp:
      return !minBox && !maxBox && (ex & WS_EX_CONTEXTHELP_BIT) && !(ex & WS_EX_TOOLWINDOW_BIT);
    default:
      break;
  }
  if ((ex & WS_EX_TOOLWINDOW_BIT) || !(minBox || maxBox)) return false;
  const bool zoomed = m_wnd->IsZoomed(), iconic = m_wnd->IsIconic();
  if (m_id == kCapMaximize) {
    *disabled = !maxBox;
    return !zoomed;
  }
  if (m_id == kCapRestore) {
    *disabled = (zoomed && !maxBox) || (iconic && !minBox);
    return zoomed || iconic;
  }
  if (m_id == kCapMinimize) {
    *disabled = !minBox;
    return !iconic;
  }
  return false;
}

void SECCaptionControlMsgFilter::Draw() {
  if (!m_wnd || m_id < 0 || m_id >= kCapNone || m_rect.IsEmpty()) return;
  m_wnd->DrawFrameControl(m_rect, m_type, State());
}

bool SECCaptionControlMsgFilter::HitTest(Point screen) const {
  if (!m_wnd) return false;
  const Point o = m_wnd->WindowOrigin();
  return m_rect.Contains(Point{screen.x - o.x, screen.y - o.y});
}

unsigned SECCaptionControlMsgFilter::OnMessage(const FilterMessage& m, std::intptr_t* result) {
  switch (m.msg) {
    case wm::SetText:
    case wm::SetCursor:
    case wm::NcPaint:
    case wm::NcActivate:
      Draw();
      return kFilterHandled;
    case wm::NcLButtonDown:
    case wm::NcRButtonDown:
      if (int(m.wParam) != kHitCaption || !HitTest(m.point)) break;
      if (!(m_state & DFCS_INACTIVE_BIT)) {
        if (m.msg == wm::NcLButtonDown) OnLButtonDown(m.point);
        else Fire(1, m.point);
      }
      return 7;
    case wm::MouseMove:
    case wm::LButtonUp: {
      if (!m_tracking) break;
      const Point c = m_wnd ? m_wnd->ClientOrigin() : Point{};
      const Point screen{m.point.x + c.x, m.point.y + c.y};
      if (m.msg == wm::LButtonUp) OnLButtonUp(screen);
      else OnMouseMove(screen);
      return 7;
    }
    default:
      break;
  }
  return SECCaptionMsgFilter::OnMessage(m, result);
}

void SECCaptionControlMsgFilter::BeginTracking(bool push, bool redraw) {
  m_tracking = true;
  if (push) m_state |= DFCS_PUSHED_BIT;
  if (m_wnd) m_wnd->SetCapture(true);
  if (redraw) Draw();
}

void SECCaptionControlMsgFilter::EndTracking(bool release, bool redraw) {
  m_tracking = false;
  StopHoldTimer();
  if (release) m_state &= ~DFCS_PUSHED_BIT;
  if (m_wnd) m_wnd->SetCapture(false);
  if (redraw) Draw();
}

void SECCaptionControlMsgFilter::StartHoldTimer(Point screen) {
  StopHoldTimer();
  if (m_holdDelay <= 0 || !m_wnd) return;
  // The timer fires once; a release or a move out cancels it first.
  m_timer = m_wnd->StartTimer(m_holdDelay, [this, screen] {
    if (m_tracking) OnHold(screen);
  });
}

void SECCaptionControlMsgFilter::OnLButtonDown(Point screen) {
  BeginTracking(true, true);
  if (m_holdDelay == 0) OnHold(screen);
  else StartHoldTimer(screen);
}

void SECCaptionControlMsgFilter::OnMouseMove(Point screen) {
  if (!m_tracking) return;
  const bool inside = HitTest(screen);
  if (inside == bool(m_state & DFCS_PUSHED_BIT)) return;
  if (inside) StartHoldTimer(screen);
  else StopHoldTimer();
  SetStateBits(DFCS_PUSHED_BIT, inside);
  Draw();
}

void SECCaptionControlMsgFilter::OnLButtonUp(Point screen) {
  EndTracking(true, true);
  if (HitTest(screen)) Fire(0, screen);
}

void SECCaptionControlMsgFilter::OnHold(Point screen) {
  EndTracking(true, false);
  Fire(2, screen);
}

bool SECCaptionControlMsgFilter::GetCommand(int event, Point screen, unsigned* msg, std::uintptr_t* wParam,
                                            std::intptr_t* lParam) {
  if (event != 0 || m_id < 0 || m_id > kCapHelp) return false;
  *msg = wm::SysCommand;
  *wParam = kKindCommand[m_id];
  *lParam = PackPoint(screen);
  return true;
}

void SECCaptionControlMsgFilter::Fire(int event, Point screen) {
  unsigned msg = 0;
  std::uintptr_t w = 0;
  std::intptr_t l = 0;
  if (m_wnd && GetCommand(event, screen, &msg, &w, &l)) m_wnd->PostMessage(msg, w, l);
}

}  // namespace pm2
