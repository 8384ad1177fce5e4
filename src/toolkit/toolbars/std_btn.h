#pragma once
// SECStdBtn: the plain toolbar button. Its style word carries both the kind
// (low word) and the display state (high word), as in the common toolbar
// control. The bar forwards the mouse to it; it paints itself in every state
// into its bar's pixels, in the classic or the XP look.

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/geometry.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/button_host.h"

namespace pm2 {

constexpr std::uint32_t TBBS_SEPARATOR = 0x00000001;
constexpr std::uint32_t TBBS_CHECKBOX = 0x00000002;
constexpr std::uint32_t TBBS_GROUP = 0x00000004;
constexpr std::uint32_t TBSTYLE_DROPDOWN = 0x00000008;
constexpr std::uint32_t TBBS_CHECKGROUP = TBBS_CHECKBOX | TBBS_GROUP;
constexpr std::uint32_t TBBS_CHECKED = 0x00010000;
constexpr std::uint32_t TBBS_PRESSED = 0x00020000;
constexpr std::uint32_t TBBS_DISABLED = 0x00040000;
constexpr std::uint32_t TBBS_HIDDEN = 0x00080000;
constexpr std::uint32_t TBBS_INDETERMINATE = 0x00100000;
constexpr std::uint32_t TBBS_WRAPPED = 0x00200000;
constexpr std::uint32_t TBBS_CUSTOMIZESEL = 0x01000000;
constexpr std::uint32_t TBBS_HOT = 0x02000000;
constexpr std::uint32_t TBBS_NOAUTODISABLE = 0x10000000;
constexpr std::uint32_t TBBS_VCENTER = 0x20000000;

// Button kinds of m_nType.
constexpr int kBtnPlain = 0;
constexpr int kBtnWindow = 2;
constexpr int kBtnMenuText = 3;
constexpr int kBtnPinnedRight = 5;

// The scratch of one painting pass, shared by the buttons of a bar (or of
// every bar of a manager): the button's own pixels and the strip selected
// for its image.
struct SECBtnDrawState {
  PixelBuffer button;
  StripHandle strip;   // null: the button has no image
  int imageIndex = 0;
};

// What a tip needs of a button.
struct ButtonToolInfo {
  unsigned id = 0;
  Rect rect;
};

// Process-wide: raised while a button runs a command by notification, so
// that update passes do not disturb it.
bool SECIsRunningCommand();

class SECStdBtn;
// Toolbars create buttons from tables through one of these per class.
struct SECButtonClass {
  SECStdBtn* (*create)() = nullptr;
};

class SECStdBtn {
 public:
  SECStdBtn() = default;
  virtual ~SECStdBtn() = default;
  SECStdBtn(const SECStdBtn&) = delete;
  SECStdBtn& operator=(const SECStdBtn&) = delete;

  virtual void SetVertical(bool) {}
  virtual void SetStyle(std::uint32_t style) { m_nStyle = style; }
  virtual std::uint32_t GetStyle() const { return m_nStyle; }
  virtual bool TestStyle(std::uint32_t mask) const { return (m_nStyle & mask) == mask; }
  virtual void SetPos(int x, int y) { m_x = x; m_y = y; }
  virtual void Invalidate(bool erase = false);
  // `extra` points at the extra columns of a button-map row, or is null.
  virtual void Init(ButtonHost* host, const unsigned* extra);
  virtual bool CanDrag() const { return true; }
  virtual void Paint(PixelBuffer& dc, const Rect& visible, SECBtnDrawState& state);
  // True when the bar must capture the mouse.
  virtual bool OnLButtonDown(Point p);
  virtual void OnMouseMove(Point p);
  virtual void OnCancelMode();
  // The command to run, 0 for none.
  virtual unsigned OnLButtonUp(Point p);
  virtual void OnHiddenChanged() {}
  virtual void OnBarStyleChange(std::uint32_t) {}
  virtual unsigned OnToolHitTest(Point p, ButtonToolInfo* info) const;
  // Code 1: bits[0] are set, bits[1] cleared.
  virtual void OnStyleNotify(int code, const std::uint32_t* bits);
  virtual void CalcSize();
  // The button's width in a row (docked at the top or bottom, or
  // floating), whichever form it has now.
  virtual int RowCx() const { return m_cx; }
  // The button's own saved state (a window button's width); none here.
  virtual std::string GetPersistData() const { return {}; }
  virtual void SetPersistData(const std::uint8_t* /*data*/, std::size_t /*size*/) {}
  virtual const SECButtonClass* GetButtonClass() const;

  Rect BtnRect() const { return {m_x, m_y, m_x + m_cx, m_y + m_cy}; }
  void SendNotify(int code, int param1, int param2);

  unsigned m_nID = 0;       // 0 for a separator
  int m_nImage = 0;
  std::uint32_t m_nStyle = 0;
  int m_x = -1, m_y = -1;
  int m_cx = 23, m_cy = 22;
  int m_nType = kBtnPlain;
  ButtonHost* m_pToolBar = nullptr;

 protected:
  // x, y, cx, cy shrink as borders are drawn.
  virtual void DrawButton(SECBtnDrawState& s, bool plain, int& x, int& y, int& cx, int& cy, int cxImage = -1);
  virtual void DrawDisabled(SECBtnDrawState& s, int x, int y, int cx, int cy);
  virtual void DrawChecked(SECBtnDrawState& s, int x, int y, int cx, int cy);
  virtual void DrawIndeterminate(SECBtnDrawState& s, int x, int y, int cx, int cy);
  virtual void DrawCustomizeFrame(SECBtnDrawState& s);
  virtual void SelectImage(SECBtnDrawState& s);
  virtual bool DrawSeparator(PixelBuffer& dc);
  virtual void DrawFace(SECBtnDrawState& s);
  virtual void DrawImage(int x, int y, int cx, int cy, SECBtnDrawState& s, int xSrc, int ySrc);
  virtual void DrawTransparentBack(SECBtnDrawState& s);
  virtual void DrawSelection(SECBtnDrawState& s);
  virtual void BlitToDC(PixelBuffer& dc, SECBtnDrawState& s);

  bool Hot() const { return (m_nStyle & TBBS_HOT) != 0; }
  bool CheckedOrPressed() const { return (m_nStyle & (TBBS_CHECKED | TBBS_PRESSED)) != 0; }
};

// Pixel helpers shared by the button and the menus.
void FillPixels(PixelBuffer& p, int x, int y, int cx, int cy, Color c);
// One-pixel frame: top and left in `tl`, bottom and right in `br`.
void FramePixels(PixelBuffer& p, int x, int y, int cx, int cy, Color tl, Color br);
// The 8x8 halftone of the face and highlight colours at (x, y).
Color HalftoneAt(int x, int y);

}  // namespace pm2
