#include "toolkit/docking/control_bar_state.h"

#include <algorithm>

namespace pm2 {

unsigned DockBarIdOf(DockSide s) {
  static constexpr unsigned kIds[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                                      AFX_IDW_DOCKBAR_RIGHT, AFX_IDW_DOCKBAR_FLOAT};
  return kIds[int(s)];
}

bool DockSideOfId(unsigned id, DockSide* side) {
  for (DockSide s : {DockSide::Top, DockSide::Bottom, DockSide::Left, DockSide::Right, DockSide::Float}) {
    if (DockBarIdOf(s) == id) {
      *side = s;
      return true;
    }
  }
  return false;
}

std::uint32_t AlignOf(DockSide s) {
  static constexpr std::uint32_t kAlign[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT,
                                             CBRS_ALIGN_TOP};
  return kAlign[int(s)];
}

Size ControlBarState::CalcFixedLayout(bool /*stretch*/, bool horz) const { return horz ? szHorz : szVert; }

Size ControlBarState::CalcDynamicLayout(int length, std::uint32_t mode) {
  if (mode & LM_COMMIT) {
    int len = length;
    if (mode & LM_STRETCH) len = int(float(length) * stretch);
    if (mode & LM_HORZDOCK) {
      (mode & LM_LENGTHY ? szHorz.cy : szHorz.cx) = len;
    } else if (mode & LM_VERTDOCK) {
      (mode & LM_LENGTHY ? szVert.cy : szVert.cx) = len;
    } else if (mode & LM_LENGTHY) {
      szFloat.cy = len;
    } else {
      szFloat.cx = len;
      mruWidth = len;
    }
  }
  if (mode & (LM_HORZDOCK | LM_VERTDOCK)) return CalcFixedLayout(mode & LM_STRETCH, mode & LM_HORZ);
  return szFloat;
}

Rect ControlBarState::GetInsideRect(const Rect& client) const {
  Rect r = client;
  if ((exStyle & SECBAR_EX_GRIPPER) && !IsFloating()) {
    int m = gripper.sideMargin;
    if (IsHorzRow()) {
      r.left += gripper.Width();
      r.top += m;
    } else {
      r.top += gripper.Height();
      r.left += m;
    }
    r.right -= m;
    r.bottom -= m;
  } else if (exStyle & SECBAR_EX_INSIDEBORDER) {
    r.left += insideBorder.left;
    r.top += insideBorder.top;
    r.right -= insideBorder.right;
    r.bottom -= insideBorder.bottom;
  }
  return r;
}

Rect ControlBarState::CalcInsideRect(Rect rect, bool horz, bool withGripper) const {
  if (!(exStyle & SECBAR_EX_FLATBORDER)) {
    // The plain arithmetic: the border widths on each side.
    if (horz) {
      rect.left += borderLeft;
      rect.top += borderTop;
      rect.right -= borderRight;
      rect.bottom -= borderBottom;
    } else {
      rect.left += borderTop;
      rect.top += borderLeft;
      rect.right -= borderBottom;
      rect.bottom -= borderRight;
    }
    return rect;
  }
  if (style & CBRS_BORDER_LEFT) rect.left += 1;
  if (style & CBRS_BORDER_TOP) rect.top += 1;
  if (style & CBRS_BORDER_RIGHT) rect.right -= 1;
  if (style & CBRS_BORDER_BOTTOM) rect.bottom -= 1;
  bool gripperShown = !IsFloating() && (exStyle & SECBAR_EX_GRIPPER);
  if (horz) {
    rect.left += gripperShown ? gripper.Width() : borderLeft;
    rect.top += borderTop;
    rect.right -= borderRight;
    rect.bottom -= borderBottom;
  } else {
    // Borders are turned by a quarter for a vertical bar.
    rect.left += borderTop;
    rect.top += (withGripper && gripperShown) ? gripper.Height() : borderLeft;
    rect.right -= borderBottom;
    rect.bottom -= borderRight;
  }
  return rect;
}

void ControlBarState::SetExStyle(std::uint32_t ex) {
  std::uint32_t themed = exStyle & SECBAR_EX_THEMED;
  exStyle = ex | themed;
}

Rect FillChildRect(const ControlBarState& bar, int cx, int cy) {
  if (cx < 1 || cy < 1) return {};
  int m = bar.gripper.sideMargin;
  int x = 0, y = 0, w = cx, h = cy;
  bool gripper = (bar.exStyle & SECBAR_EX_GRIPPER) != 0;
  if (gripper) {
    if (!bar.IsHorzRow()) {
      x = m;
      y = bar.gripper.Height();
      w = std::max(0, cx - 2 * m);
      h = std::max(0, cy - m - bar.gripper.Height());
    } else {
      x = bar.gripper.Width();
      y = m;
      w = std::max(0, cx - m - bar.gripper.Width());
      h = std::max(0, cy - 2 * m);
    }
    // A floating bar shows no gripper: the child takes its room back.
    if (bar.IsFloating()) {
      x = 0;
      y = 0;
      w = cx;
      h = cy;
    }
  } else if (bar.exStyle & SECBAR_EX_INSIDEBORDER) {
    x = bar.insideBorder.left;
    y = bar.insideBorder.top;
    w = std::max(0, cx - bar.insideBorder.left - bar.insideBorder.right);
    h = std::max(0, cy - bar.insideBorder.top - bar.insideBorder.bottom);
  }
  return {x, y, x + w, y + h};
}

std::vector<Rect> ProportionalChildRects(const ControlBarState& bar, const ChildRecords& records, int cx, int cy) {
  std::vector<Rect> out;
  int w0 = records.base.Width(), h0 = records.base.Height();
  if (cx < 1 || cy < 1 || w0 <= 0 || h0 <= 0) return out;
  Rect area = FillChildRect(bar, cx, cy);
  int width = area.Width(), height = area.Height();
  int ox = area.left, oy = area.top;
  if (!(bar.exStyle & SECBAR_EX_GRIPPER) && (bar.exStyle & SECBAR_EX_INSIDEBORDER)) {
    // The inset is added per child below, as the records hold the offsets.
    ox = 0;
    oy = 0;
  }
  for (const Rect& r : records.children) {
    Rect n{r.left * width / w0 + ox, r.top * height / h0 + oy, r.right * width / w0 + ox, r.bottom * height / h0 + oy};
    if (!(bar.exStyle & SECBAR_EX_GRIPPER) && (bar.exStyle & SECBAR_EX_INSIDEBORDER))
      n.Offset(bar.insideBorder.left, bar.insideBorder.top);
    out.push_back(n);
  }
  return out;
}

namespace {

// Places a square button at the far end of the strip and shortens it.
Rect LayoutButton(Rect* strip, bool horz) {
  Rect b;
  if (horz) {
    b.left = std::max(0, strip->left + 2);
    b.right = std::min(strip->right, strip->right - 4);
    b.top = strip->top;
    b.bottom = b.top + (b.right - b.left);
    strip->top = b.bottom + 2;
  } else {
    b.top = std::max(0, strip->top + 2);
    b.bottom = std::min(strip->bottom, strip->bottom - 4);
    b.right = strip->right;
    b.left = b.right - (b.bottom - b.top);
    strip->right = b.left - 2;
  }
  return b;
}

}  // namespace

BarDecorations ComputeBarDecorations(const ControlBarState& bar, const Rect& client) {
  BarDecorations d;
  d.bordered = client;
  if (!(bar.style & CBRS_BORDER_ANY)) return d;
  if (bar.exStyle & SECBAR_EX_FLATBORDER) {
    if (bar.style & CBRS_BORDER_LEFT) d.bordered.left += 1;
    if (bar.style & CBRS_BORDER_TOP) d.bordered.top += 1;
    if (bar.style & CBRS_BORDER_RIGHT) d.bordered.right -= 1;
    if (bar.style & CBRS_BORDER_BOTTOM) d.bordered.bottom -= 1;
  }
  if (!(bar.exStyle & SECBAR_EX_GRIPPER) || bar.IsFloating() || !(bar.IsHorzRow() || bar.IsVertColumn())) return d;
  d.horzRow = bar.IsHorzRow();
  const Rect& r = d.bordered;
  int m = bar.gripper.sideMargin;
  Rect strip{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  if (d.horzRow) {
    strip.right = strip.left + bar.gripper.Width();
    strip.top += m;
    strip.bottom -= m;
  } else {
    strip.bottom = strip.top + bar.gripper.Height();
    strip.left += m;
    strip.right -= m;
  }
  d.strip = strip;
  if (bar.exStyle & SECBAR_EX_FLATCAPTION) {
    Rect c = r;
    if (d.horzRow) c.right = c.left + bar.gripper.Width() - 1;
    else c.bottom = c.top + bar.gripper.Height() - 1;
    c.Inflate(-1, -1, -1, -1);
    d.caption = c;
  }
  Rect rest = strip;
  if (bar.exStyle & SECBAR_EX_CLOSEBTN) d.closeBtn = LayoutButton(&rest, d.horzRow);
  if (bar.exStyle & SECBAR_EX_EXPANDBTN) d.expandBtn = LayoutButton(&rest, d.horzRow);
  d.text = rest;
  return d;
}

}  // namespace pm2
