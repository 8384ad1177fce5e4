#pragma once
// The buttons a maximised document window leaves on the menu bar: its
// icon at the left end (a press opens its system menu) and its minimise,
// restore and close parts at the right end. This is their geometry, hit
// test and press state machine, without a window.

#include "toolkit/core/geometry.h"

namespace pm2 {

// The child's caption style, as far as the buttons need it.
constexpr unsigned kChildSysMenu = 1, kChildMinimizeBox = 2, kChildMaximizeBox = 4;

enum class ChildCommand { None, Minimize, Restore, Close };

// The caption parts of the classic look: the caption button metrics less
// the frame they have in a caption (18 x 18 less 2 and 4).
constexpr Size kChildCaptionPart{16, 14};
constexpr int kChildIconSize = 16;

class ChildCaptionButtons {
 public:
  // Starts as a window with every box.
  void SetStyle(unsigned bits) { m_style = bits; }
  unsigned Style() const { return m_style; }
  // Three parts and a gap of two before the close part.
  Size Extent() const { return {3 * m_part.cx + 2, m_part.cy}; }
  // Part 0 minimise, 1 restore, 2 close, inside the buttons' rectangle.
  Rect PartRect(int part, const Rect& buttons) const;
  // The part under a point, -1 for none: nothing without a system menu; the
  // minimise and restore parts only with a minimise box.
  int HitTest(Point p, const Rect& buttons) const;
  // Whether a part is drawn active (the minimise and restore parts are
  // greyed without a minimise box).
  bool PartEnabled(int part) const { return part == 2 || (m_style & kChildMinimizeBox); }

  // The mouse: a press remembers the part, which shows pressed only while
  // the mouse is over it; a release over the same part gives its command.
  void Press(int part, bool disabled);
  void Move(int part) { m_over = m_pressed >= 0 && part == m_pressed; }
  ChildCommand Release(int part);
  void Cancel() { m_pressed = -1, m_over = false; }
  int Pressed() const { return m_pressed; }
  // The part drawn pressed, -1 for none.
  int ShownPressed() const { return m_over ? m_pressed : -1; }

 private:
  unsigned m_style = kChildSysMenu | kChildMinimizeBox | kChildMaximizeBox;
  Size m_part = kChildCaptionPart;
  int m_pressed = -1;
  bool m_over = false;
};

}  // namespace pm2
