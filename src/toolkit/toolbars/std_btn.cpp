#include "toolkit/toolbars/std_btn.h"

#include "toolkit/core/color_math.h"
#include "toolkit/core/sys_colors.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

bool g_runningCommand = false;  // GUI thread only

Color Sys(SysColor c) { return GetSysColor(c); }
Color Xp(int i) { return SECGetXPColor(i); }

constexpr Color kXPTransparent = 0xC0C0C0;

// A one-bit mask of (x, y, cx, cy): true where the pixel shows the face or
// the highlight colour (the background of an image).
std::vector<bool> BackgroundMask(const PixelBuffer& p, int x, int y, int cx, int cy) {
  std::vector<bool> mask(std::size_t(std::max(cx, 0) * std::max(cy, 0)));
  const Color face = Sys(SysColor::BtnFace), hl = Sys(SysColor::BtnHighlight);
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i) {
      const Color c = p.At(x + i, y + j);
      mask[std::size_t(j * cx + i)] = c == face || c == hl;
    }
  return mask;
}

// Paints `c` where the mask is false, the mask moved by (dx, dy), clipped
// to the masked area.
void PaintMaskShape(PixelBuffer& p, const std::vector<bool>& mask, int x, int y, int cx, int cy, int dx, int dy,
                    Color c) {
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i) {
      const int ti = i + dx, tj = j + dy;
      if (ti < 0 || tj < 0 || ti >= cx || tj >= cy) continue;
      if (!mask[std::size_t(j * cx + i)]) p.Set(x + ti, y + tj, c);
    }
}

void HalftoneOverMask(PixelBuffer& p, const std::vector<bool>& mask, int x, int y, int cx, int cy) {
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i)
      if (mask[std::size_t(j * cx + i)]) p.Set(x + i, y + j, HalftoneAt(x + i, y + j));
}

// The image as a pixel area of the strip.
BlitArea ImageArea(int x, int y, int cx, int cy, int xSrc, int ySrc) { return {x, y, cx, cy, xSrc, ySrc}; }

}  // namespace

bool SECIsRunningCommand() { return g_runningCommand; }

void FillPixels(PixelBuffer& p, int x, int y, int cx, int cy, Color c) {
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i) p.Set(x + i, y + j, c);
}

void FramePixels(PixelBuffer& p, int x, int y, int cx, int cy, Color tl, Color br) {
  if (cx <= 0 || cy <= 0) return;
  FillPixels(p, x, y, cx - 1, 1, tl);
  FillPixels(p, x, y, 1, cy - 1, tl);
  FillPixels(p, x + cx - 1, y, 1, cy, br);
  FillPixels(p, x, y + cy - 1, cx, 1, br);
}

Color HalftoneAt(int x, int y) {
  return ((x + y) & 1) == 0 ? Sys(SysColor::BtnHighlight) : Sys(SysColor::BtnFace);
}

void SECStdBtn::Invalidate(bool) {
  if (m_pToolBar) m_pToolBar->InvalidateButton(BtnRect());
}

void SECStdBtn::Init(ButtonHost* host, const unsigned*) {
  m_pToolBar = host;
  CalcSize();
}

void SECStdBtn::CalcSize() {
  if (!m_pToolBar) return;
  const ButtonMetrics m = m_pToolBar->Metrics();
  m_cx = (m_nStyle & TBBS_SEPARATOR) ? m.separatorCx : m.buttonCx;
  m_cy = m.buttonCy;
  m_pToolBar->RaiseLargestButton(m_cx, m_cy);
}

const SECButtonClass* SECStdBtn::GetButtonClass() const {
  static const SECButtonClass kClass{[]() -> SECStdBtn* { return new SECStdBtn; }};
  return &kClass;
}

void SECStdBtn::SendNotify(int code, int param1, int param2) {
  if (!m_pToolBar) return;
  ToolbarNotify n;
  n.code = code;
  n.item = m_nID;
  n.index = m_pToolBar->IndexOf(*this);
  n.param1 = param1;
  n.param2 = param2;
  m_pToolBar->SendNotify(n);
}

bool SECStdBtn::OnLButtonDown(Point) {
  if (m_nStyle & TBBS_DISABLED) return false;
  if (m_nStyle & TBSTYLE_DROPDOWN) {
    m_nStyle |= TBBS_PRESSED;
    Invalidate();
    if (m_pToolBar) m_pToolBar->UpdateWindow();
    const bool before = g_runningCommand;
    g_runningCommand = true;
    SendNotify(kTbnDropDown, 0, 0);
    g_runningCommand = before;
    m_nStyle &= ~TBBS_PRESSED;
    Invalidate();
    if (m_pToolBar) m_pToolBar->RefreshHotState();
    return false;
  }
  m_nStyle |= TBBS_PRESSED;
  Invalidate();
  return true;
}

void SECStdBtn::OnMouseMove(Point p) {
  // Edges included, unlike a half-open rectangle.
  const bool inside = p.x >= m_x && p.x <= m_x + m_cx && p.y >= m_y && p.y <= m_y + m_cy;
  const std::uint32_t old = m_nStyle;
  m_nStyle = inside ? (m_nStyle | TBBS_PRESSED) : (m_nStyle & ~TBBS_PRESSED);
  if (old != m_nStyle) Invalidate();
}

void SECStdBtn::OnCancelMode() {
  m_nStyle &= ~TBBS_PRESSED;
  Invalidate();
}

unsigned SECStdBtn::OnLButtonUp(Point p) {
  m_nStyle &= ~TBBS_PRESSED;
  Invalidate();
  const bool inside = p.x >= m_x && p.x <= m_x + m_cx && p.y >= m_y && p.y <= m_y + m_cy;
  if (!inside) return 0;
  if (!(m_nStyle & TBBS_DISABLED) && (m_nStyle & TBBS_CHECKBOX) && m_pToolBar) {
    if ((m_nStyle & TBBS_CHECKGROUP) == TBBS_CHECKGROUP) {
      // A check group behaves as radio buttons: the pressed one is checked,
      // the others of its group (on every bar that shows them) are not.
      for (SECStdBtn* other : m_pToolBar->CheckGroupOf(*this)) {
        if (other->m_nID == m_nID) continue;
        const std::uint32_t bits[2] = {0, TBBS_CHECKED | TBBS_INDETERMINATE};
        for (SECStdBtn* twin : m_pToolBar->ButtonsWithId(other->m_nID)) twin->OnStyleNotify(1, bits);
      }
      const std::uint32_t bits[2] = {TBBS_CHECKED, TBBS_INDETERMINATE};
      for (SECStdBtn* twin : m_pToolBar->ButtonsWithId(m_nID)) twin->OnStyleNotify(1, bits);
    } else {
      const std::uint32_t bits[2] = {(m_nStyle & TBBS_CHECKED) ? 0u : TBBS_CHECKED,
                                     ((m_nStyle & TBBS_CHECKED) ? TBBS_CHECKED : 0u) | TBBS_INDETERMINATE};
      for (SECStdBtn* twin : m_pToolBar->ButtonsWithId(m_nID)) twin->OnStyleNotify(1, bits);
    }
  }
  return m_nID;
}

void SECStdBtn::OnStyleNotify(int code, const std::uint32_t* bits) {
  if (code != 1) return;
  m_nStyle = (m_nStyle & ~bits[1]) | bits[0];
  Invalidate();
}

unsigned SECStdBtn::OnToolHitTest(Point, ButtonToolInfo* info) const {
  if (info) *info = {m_nID, BtnRect()};
  return m_nID;
}

void SECStdBtn::Paint(PixelBuffer& dc, const Rect& visible, SECBtnDrawState& s) {
  if (!visible.Intersects(BtnRect())) return;
  if (DrawSeparator(dc)) return;
  SelectImage(s);
  s.button = PixelBuffer(m_cx, m_cy);
  DrawFace(s);
  DrawTransparentBack(s);
  DrawSelection(s);
  BlitToDC(dc, s);
}

void SECStdBtn::SelectImage(SECBtnDrawState& s) {
  s.strip.reset();
  s.imageIndex = m_nImage;
  SECBmpMgr* mgr = m_pToolBar ? m_pToolBar->BmpMgr() : nullptr;
  StripHandle strip;
  int image = 0;
  if (mgr && mgr->GetBitmap(m_nID, &strip, &image)) {
    s.strip = std::move(strip);
    s.imageIndex = image;
  }
}

bool SECStdBtn::DrawSeparator(PixelBuffer& dc) {
  if (!(m_nStyle & TBBS_SEPARATOR)) return false;
  if (!m_pToolBar) return true;
  const BarLook look = m_pToolBar->Look();
  if (!look.cool) return true;
  const bool xp = SECIsXPLook();
  if (!look.vertical) {
    if (m_nStyle & TBBS_WRAPPED) return true;
    const int mid = m_x + m_cx / 2;
    if (xp) {
      FillPixels(dc, m_x, m_y, m_cx, m_cy, Xp(0));
      FillPixels(dc, mid, m_y + 2, 1, m_cy - 4, Xp(1));
      return true;
    }
    if (!look.transparentBack) FillPixels(dc, m_x, m_y, m_cx, m_cy, Sys(SysColor::BtnFace));
    FillPixels(dc, mid, m_y, 1, m_cy, Sys(SysColor::BtnShadow));
    FillPixels(dc, mid + 1, m_y, 1, m_cy, Sys(SysColor::BtnHighlight));
    return true;
  }
  if (xp) {
    FillPixels(dc, m_x, m_y, m_cx, m_cy, Xp(0));
    FillPixels(dc, m_x + 2, m_y + m_cy / 2, m_cx - 4, 1, Xp(1));
    return true;
  }
  if (!look.transparentBack) FillPixels(dc, m_x, m_y, m_cx, m_cy, Sys(SysColor::BtnFace));
  FillPixels(dc, m_x, m_y + m_cy / 2 - 1, m_cx, 1, Sys(SysColor::BtnShadow));
  FillPixels(dc, m_x, m_y + m_cy / 2, m_cx, 1, Sys(SysColor::BtnHighlight));
  return true;
}

void SECStdBtn::DrawFace(SECBtnDrawState& s) {
  int x = 0, y = 0, cx = m_cx, cy = m_cy;
  const bool customizing = m_pToolBar && m_pToolBar->Look().customizing;
  if (customizing) {
    DrawButton(s, true, x, y, cx, cy);
    return;
  }
  DrawButton(s, false, x, y, cx, cy);
  if (m_nStyle & TBBS_PRESSED) return;
  if (m_nStyle & TBBS_DISABLED)
    DrawDisabled(s, x, y, cx, cy);
  else if (m_nStyle & TBBS_CHECKED)
    DrawChecked(s, x, y, cx, cy);
  else if (m_nStyle & TBBS_INDETERMINATE)
    DrawIndeterminate(s, x, y, cx, cy);
}

void SECStdBtn::DrawButton(SECBtnDrawState& s, bool plain, int& x, int& y, int& cx, int& cy, int cxImage) {
  const ButtonMetrics m = m_pToolBar ? m_pToolBar->Metrics() : ButtonMetrics{};
  const BarLook look = m_pToolBar ? m_pToolBar->Look() : BarLook{};
  const bool xp = SECIsXPLook();
  if (cxImage < 0) cxImage = m.imageCx;
  int xImage = x + (cx - cxImage - 1) / 2;
  int yImage = y + (cy - m.imageCy) / 2;
  PixelBuffer& b = s.button;
  const Color face = Sys(SysColor::BtnFace), hl = Sys(SysColor::BtnHighlight);
  const Color shadow = Sys(SysColor::BtnShadow), text = Sys(SysColor::BtnText);
  FillPixels(b, x, y, cx, cy, xp ? Xp(3) : face);
  const auto inset = [&](int n) {
    x += n;
    y += n;
    cx -= 2 * n;
    cy -= 2 * n;
  };
  if (!CheckedOrPressed() || plain) {
    if (look.cool && (!Hot() || plain)) {
      inset(2);
    } else if (look.cool) {
      if (xp) {
        FillPixels(b, x, y, cx, cy, Xp(5));
        FramePixels(b, x, y, cx, cy, Xp(6), Xp(6));
        inset(1);
        if (!(m_nStyle & TBBS_CHECKED)) {
          --xImage;
          --yImage;
        }
      } else {
        FramePixels(b, x, y, cx, cy, hl, shadow);
        inset(2);
      }
    } else {
      FramePixels(b, x, y, cx, cy, hl, text);
      inset(1);
      FramePixels(b, x, y, cx, cy, face, shadow);
      inset(1);
    }
  } else if (xp) {
    const bool pressed = (m_nStyle & TBBS_PRESSED) != 0;
    FillPixels(b, x, y, cx, cy, Xp(pressed ? 7 : 11));
    FramePixels(b, x, y, cx, cy, Xp(pressed ? 8 : 12), Xp(pressed ? 8 : 12));
    inset(1);
  } else {
    FramePixels(b, x, y, cx, cy, look.cool ? shadow : text, hl);
    inset(1);
    if (!look.cool) {
      FramePixels(b, x, y, cx, cy, shadow, face);
      inset(1);
    }
    ++xImage;
    ++yImage;
  }
  DrawImage(xImage, yImage, cxImage, m.imageCy, s, cxImage * s.imageIndex, 0);
}

void SECStdBtn::DrawImage(int x, int y, int cx, int cy, SECBtnDrawState& s, int xSrc, int ySrc) {
  if (!s.strip) return;
  const PixelBuffer& src = *s.strip;
  PixelBuffer& b = s.button;
  if (!SECIsXPLook()) {
    for (int j = 0; j < cy; ++j)
      for (int i = 0; i < cx; ++i) b.Set(x + i, y + j, src.At(xSrc + i, ySrc + j));
    return;
  }
  const bool customizing = m_pToolBar && m_pToolBar->Look().customizing;
  if (Hot() && !CheckedOrPressed()) {
    SECDrawShadowBitmap(b, ImageArea(x + 2, y + 2, cx, cy, xSrc, ySrc), src, kXPTransparent, Xp(30));
    SECDrawTransparentBitmap(b, ImageArea(x, y, cx, cy, xSrc, ySrc), src, kXPTransparent);
  } else if (!Hot() && !CheckedOrPressed() && !customizing) {
    if (m_nStyle & TBBS_DISABLED) return;
    SECDrawBlendedBitmap(b, ImageArea(x + 1, y + 1, cx, cy, xSrc, ySrc), src, kXPTransparent,
                         Sys(SysColor::Window), 178);
  } else {
    SECDrawTransparentBitmap(b, ImageArea(x + 1, y + 1, cx, cy, xSrc, ySrc), src, kXPTransparent);
  }
}

void SECStdBtn::DrawDisabled(SECBtnDrawState& s, int x, int y, int cx, int cy) {
  PixelBuffer& b = s.button;
  if (SECIsXPLook()) {
    // A checked button's frame is already there (DrawButton); a second one
    // inside it would double the border.
    FillPixels(b, x, y, cx, cy, Xp((m_nStyle & TBBS_CHECKED) ? 11 : 9));
    if (s.strip) {
      const ButtonMetrics m = m_pToolBar ? m_pToolBar->Metrics() : ButtonMetrics{};
      SECDrawShadowBitmap(b, ImageArea(x + 3, y + 3, m.imageCx, m.imageCy, m.imageCx * s.imageIndex, 0), *s.strip,
                          kXPTransparent, Xp(31));
    }
    return;
  }
  // Embossed: the image's shape in the highlight colour one pixel down and
  // right, and in the shadow colour over it.
  const std::vector<bool> mask = BackgroundMask(b, x, y, cx, cy);
  FillPixels(b, x, y, cx, cy, Sys(SysColor::BtnFace));
  PaintMaskShape(b, mask, x, y, cx, cy, 1, 1, Sys(SysColor::BtnHighlight));
  PaintMaskShape(b, mask, x, y, cx, cy, 0, 0, Sys(SysColor::BtnShadow));
  if (m_nStyle & TBBS_CHECKED) HalftoneOverMask(b, BackgroundMask(b, x, y, cx, cy), x, y, cx, cy);
}

void SECStdBtn::DrawChecked(SECBtnDrawState& s, int x, int y, int cx, int cy) {
  if (SECIsXPLook()) return;
  HalftoneOverMask(s.button, BackgroundMask(s.button, x, y, cx, cy), x, y, cx, cy);
}

void SECStdBtn::DrawIndeterminate(SECBtnDrawState& s, int x, int y, int cx, int cy) {
  PixelBuffer& b = s.button;
  if (SECIsXPLook()) {
    if (m_nStyle & TBBS_PRESSED) return;
    FillPixels(b, x, y, cx, cy, Xp(9));
    if (s.strip) {
      const ButtonMetrics m = m_pToolBar ? m_pToolBar->Metrics() : ButtonMetrics{};
      SECDrawShadowBitmap(b, ImageArea(x + 3, y + 3, m.imageCx, m.imageCy, m.imageCx * s.imageIndex, 0), *s.strip,
                          kXPTransparent, Xp(31));
    }
    return;
  }
  const std::vector<bool> mask = BackgroundMask(b, x, y, cx, cy);
  FillPixels(b, x, y, cx, cy, Sys(SysColor::BtnFace));
  PaintMaskShape(b, mask, x, y, cx, cy, 0, 0, Sys(SysColor::BtnShadow));
  HalftoneOverMask(b, BackgroundMask(b, x, y, cx, cy), x, y, cx, cy);
}

void SECStdBtn::DrawCustomizeFrame(SECBtnDrawState& s) {
  if (!(m_nStyle & TBBS_CUSTOMIZESEL)) return;
  const Color c = Sys(SysColor::BtnText);
  for (int i = 0; i < 3; ++i) FramePixels(s.button, i, i, m_cx - 2 * i, m_cy - 2 * i, c, c);
}

void SECStdBtn::DrawSelection(SECBtnDrawState& s) { DrawCustomizeFrame(s); }

void SECStdBtn::DrawTransparentBack(SECBtnDrawState& s) {
  if (!m_pToolBar || !m_pToolBar->Look().transparentBack) return;
  const PixelBuffer* back = m_pToolBar->Background();
  if (!back) return;
  const Color face = Sys(SysColor::BtnFace);
  for (int j = 0; j < m_cy; ++j)
    for (int i = 0; i < m_cx; ++i)
      if (s.button.At(i, j) == face) s.button.Set(i, j, back->At(m_x + i, m_y + j));
}

void SECStdBtn::BlitToDC(PixelBuffer& dc, SECBtnDrawState& s) {
  for (int j = 0; j < m_cy; ++j)
    for (int i = 0; i < m_cx; ++i) dc.Set(m_x + i, m_y + j, s.button.At(i, j));
}

}  // namespace pm2
