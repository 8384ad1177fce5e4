#include "toolkit/toolbars/tb_menu_btn.h"

#include <cctype>

#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

Color Sys(SysColor c) { return GetSysColor(c); }

Color Darker(Color c, int by) {
  std::uint16_t h = 0, l = 0, s = 0;
  SECRGBtoHLS(c, &h, &l, &s);
  return SECHLStoRGB(h, std::max(0, int(l) - by), s);
}

}  // namespace

void SECTBMenuBtn::InitMenu(ButtonHost* host, const SECMenuBtnRow& row) {
  m_pToolBar = host;
  m_menu1 = row.menu1;
  m_menu2 = row.menu2;
  m_text = row.text;
  m_value4 = row.value4;
  RecomputeMnemonic();
  CalcSize();
}

void SECTBMenuBtn::RecomputeMnemonic() {
  const auto amp = m_text.find('&');
  m_mnemonic = amp == std::string::npos || amp + 1 >= m_text.size()
                   ? 0
                   : char(std::toupper(static_cast<unsigned char>(m_text[amp + 1])));
}

void SECTBMenuBtn::CalcSize() {
  if (!m_pToolBar) return;
  const Size text = m_pToolBar->MeasureMenuText(m_text);
  m_cx = text.cx + 10;
  m_cy = text.cy + 6;
  m_pToolBar->RaiseLargestButton(m_cx, m_cy);
}

const SECButtonClass* SECTBMenuBtn::GetButtonClass() const {
  static const SECButtonClass kClass{[]() -> SECStdBtn* { return new SECTBMenuBtn; }};
  return &kClass;
}

bool SECTBMenuBtn::OnLButtonDown(Point) {
  if (m_nStyle & TBBS_DISABLED) return false;
  m_nStyle |= TBBS_PRESSED;
  Invalidate();
  OpenPopup();
  return false;
}

void SECTBMenuBtn::OpenPopup() {
  if (m_pToolBar) m_pToolBar->OpenButtonPopup(*this, m_menu1, m_menu2);
}

void SECTBMenuBtn::DrawButton(SECBtnDrawState& s, bool plain, int& x, int& y, int& cx, int& cy, int) {
  const BarLook look = m_pToolBar ? m_pToolBar->Look() : BarLook{};
  const bool xp = SECIsXPLook();
  PixelBuffer& b = s.button;
  const Color face = Sys(SysColor::BtnFace), hl = Sys(SysColor::BtnHighlight);
  const Color shadow = Sys(SysColor::BtnShadow), dark = Sys(SysColor::BtnText);
  FillPixels(b, x, y, cx, cy, xp ? SECGetXPColor(0) : face);
  int tx = x + 4, ty = y + 3;
  const bool down = (m_nStyle & (TBBS_PRESSED | TBBS_CHECKED)) != 0;
  if (!down || plain) {
    if (!look.cool) {
      FramePixels(b, x, y, cx, cy, hl, dark);
      FramePixels(b, x + 1, y + 1, cx - 2, cy - 2, face, shadow);
    } else if (Hot()) {
      if (xp) {
        FillPixels(b, x, y, cx - 3, cy, SECGetXPColor(5));
        FramePixels(b, x, y, cx - 3, cy, Sys(SysColor::Highlight), Sys(SysColor::Highlight));
      } else {
        FramePixels(b, x, y, cx, cy, hl, shadow);
      }
    }
  } else if (!xp) {
    FramePixels(b, x, y, cx, cy, shadow, hl);
    ++tx;
    ++ty;
  } else {
    // An open tab: its face joins the popup below; a soft shadow on its right.
    const int tab = cx - 3;
    FillPixels(b, x, y, tab, cy, SECGetXPColor(0));
    const Color border = SECGetXPColor(26);
    FillPixels(b, x, y, 1, cy, border);
    FillPixels(b, x, y, tab, 1, border);
    FillPixels(b, x + tab - 1, y, 1, cy, border);
    const int darken[3] = {80, 50, 20};  // nearest the tab darkest
    for (int i = 0; i < 3; ++i) FillPixels(b, x + tab + i, y + 2 + i, 1, cy - 2 - i, Darker(face, darken[i]));
  }
  if (m_pToolBar) m_pToolBar->DrawMenuText(b, tx, ty, m_text, xp ? SECGetXPColor(29) : Sys(SysColor::MenuText));
}

}  // namespace pm2
