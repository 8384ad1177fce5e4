#pragma once
// What a toolbar button needs from the bar that holds it. Buttons are plain
// objects without a window: the bar lays them out, forwards the mouse, paints
// them into its own pixels and is told when one must be repainted or wants to
// notify the bar's owner.

#include <string>
#include <vector>

#include "toolkit/core/bitmap_effects.h"
#include "toolkit/core/geometry.h"

namespace pm2 {

class SECBmpMgr;
class SECStdBtn;

// Sizes of the bar's buttons, derived from its image size.
struct ButtonMetrics {
  int imageCx = 16, imageCy = 15;
  int buttonCx = 23, buttonCy = 22;
  int separatorCx = 8;

  // A button is its image plus 7 each way; a separator a third of the
  // image width plus 8.
  static ButtonMetrics FromImage(int cx, int cy) { return {cx, cy, cx + 7, cy + 7, (cx + 8) / 3}; }
};

// The bar's look as the buttons read it when they paint.
struct BarLook {
  bool cool = false;         // flat buttons, raised only under the mouse
  bool vertical = false;
  bool customizing = false;  // buttons draw plain, with a frame when selected
  bool transparentBack = false;  // the bar's own background shows through
};

// The notification a button sends to the bar's owner, laid out like the
// common toolbar control's record: header, the command in the item field,
// and the button's index and two values at the end.
struct ToolbarNotify {
  unsigned barId = 0;   // the bar's control id
  int code = 0;
  unsigned item = 0;    // the button's command id
  int index = 0;        // the button's index in its bar
  int param1 = 0;
  int param2 = 0;
};
constexpr int kTbnDropDown = -710;

class ButtonHost {
 public:
  virtual ~ButtonHost() = default;
  virtual SECBmpMgr* BmpMgr() const = 0;
  virtual ButtonMetrics Metrics() const = 0;
  virtual BarLook Look() const = 0;
  virtual void InvalidateButton(const Rect& r) = 0;
  virtual void UpdateWindow() {}
  // Synchronous; the owner sees it before the button goes on.
  virtual void SendNotify(const ToolbarNotify& n) = 0;
  virtual int IndexOf(const SECStdBtn& b) const = 0;
  virtual void RefreshHotState() {}
  // Every button showing `id` on every bar of the same manager, this bar's
  // own included.
  virtual std::vector<SECStdBtn*> ButtonsWithId(unsigned id) = 0;
  // The buttons of `b`'s check group on this bar (b included), empty when
  // it is in none.
  virtual std::vector<SECStdBtn*> CheckGroupOf(const SECStdBtn& b) = 0;
  // A button changed its own size (a window button resized by the user):
  // the bar lays itself out again.
  virtual void ButtonSizeChanged() {}
  // The bar's window, for buttons that put a control on it; null without.
  virtual void* NativeParent() const { return nullptr; }
  // The bar raises its largest-button size to these values.
  virtual void RaiseLargestButton(int /*cx*/, int /*cy*/) {}
  // The bar's background in bar coordinates, for a transparent back; null
  // when it has none.
  virtual const PixelBuffer* Background() const { return nullptr; }

  // Text buttons (the menu bar's): the extent of a text in the bar's menu
  // font, drawing it into a button's pixels with its top-left at (x, y),
  // and opening the popup a button stands for.
  virtual Size MeasureMenuText(const std::string& /*text*/) const { return {}; }
  virtual void DrawMenuText(PixelBuffer& /*into*/, int /*x*/, int /*y*/, const std::string& /*text*/,
                            Color /*color*/) const {}
  virtual void OpenButtonPopup(SECStdBtn& /*button*/, unsigned /*menu1*/, unsigned /*menu2*/) {}
};

}  // namespace pm2
