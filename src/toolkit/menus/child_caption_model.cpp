#include "toolkit/menus/child_caption_model.h"

namespace pm2 {

Rect ChildCaptionButtons::PartRect(int part, const Rect& buttons) const {
  const int x = buttons.left + part * m_part.cx + (part == 2 ? 2 : 0);
  const int y = buttons.top + (buttons.Height() - m_part.cy) / 2;
  return {x, y, x + m_part.cx, y + m_part.cy};
}

int ChildCaptionButtons::HitTest(Point p, const Rect& buttons) const {
  if (!(m_style & kChildSysMenu)) return -1;
  for (int part = 0; part < 3; ++part) {
    if (!PartEnabled(part)) continue;
    if (PartRect(part, buttons).Contains(p)) return part;
  }
  return -1;
}

void ChildCaptionButtons::Press(int part, bool disabled) {
  if (disabled || part < 0) return;
  m_pressed = part;
  m_over = true;
}

ChildCommand ChildCaptionButtons::Release(int part) {
  const int pressed = m_pressed;
  Cancel();
  if (pressed < 0 || part != pressed) return ChildCommand::None;
  static constexpr ChildCommand kByPart[] = {ChildCommand::Minimize, ChildCommand::Restore, ChildCommand::Close};
  return kByPart[pressed];
}

}  // namespace pm2
