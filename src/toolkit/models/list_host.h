#pragma once
// What the Qt-free list engine needs from the window that shows it: text
// measuring, repainting, timers, the in-place editor, the tip and the
// dialog around it. The widget implements it; tests pass fakes. Every
// operation has a harmless default so a model can run without a window.

#include <string>
#include <string_view>

#include "toolkit/core/geometry.h"

namespace pm2 {

// A font choice of a row: the control's item font, optionally bold.
struct FontChoice {
  int font = 0;      // 0: the default GUI font
  bool bold = false;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Size of `text` laid out in `maxWidth` (word breaks, tabs expanded);
  // with `singleLine` only the first line is measured and nothing wraps.
  virtual Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) = 0;
  virtual int LineHeight(FontChoice font) = 0;
};

// Fixed metrics: every character `charWidth` wide (bold one more), tab
// stops every 8 characters, lines `lineHeight` high. Makes layout results
// the same on every machine; tests and the benchmark use it.
class FixedTextMeasurer : public TextMeasurer {
 public:
  explicit FixedTextMeasurer(int charWidth = 6, int lineHeight = 13)
      : m_charWidth(charWidth), m_lineHeight(lineHeight) {}
  Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) override;
  int LineHeight(FontChoice) override { return m_lineHeight; }

 private:
  int m_charWidth;
  int m_lineHeight;
};

// Size of the images of an image list (count 0: no list).
struct ImageListInfo {
  int count = 0;
  int cx = 16;
  int cy = 16;
  bool Exists() const { return count > 0; }
};

class ListHost {
 public:
  virtual ~ListHost() = default;
  virtual Rect ClientRect() { return {}; }
  virtual bool HasFocus() { return false; }
  virtual bool IsEnabled() { return true; }
  virtual void TakeFocus() {}
  // Null rectangle: the whole window.
  virtual void Invalidate(const Rect* /*r*/, bool /*now*/) {}
  virtual void StartTimer(int /*id*/, int /*ms*/) {}
  virtual void KillTimer(int /*id*/) {}
  virtual void Beep() {}
  virtual void ScrollBarsChanged() {}
  // Tab / Shift+Tab and Escape in a dialog.
  virtual void MoveToNextControl(bool /*previous*/) {}
  virtual void CancelDialog() {}
  // In-place editor (one at a time).
  virtual void CreateEditor(const Rect& /*r*/, const std::string& /*text*/, bool /*wrap*/, FontChoice) {}
  virtual void ShowEditor() {}
  virtual void ResizeEditor(int /*width*/, int /*height*/) {}
  virtual void DestroyEditor() {}
  virtual bool EditorExists() { return false; }
  virtual std::string EditorText() { return {}; }
  // Tip for clipped texts.
  virtual void TipShow(unsigned /*hitFlags*/, int /*item*/, int /*column*/, Point) {}
  virtual void TipHide() {}
  virtual void TipRefresh() {}
  // Mouse position in client coordinates (auto-scroll while dragging).
  virtual Point CursorPos() { return {}; }
  virtual Rect ClientToScreen(Rect r) { return r; }
  // Takes or releases the mouse; true when it was held before.
  virtual bool CaptureMouse(bool /*take*/) { return false; }
  // A text in one case for type-ahead comparison. The default folds ASCII
  // letters only; a window folds every letter its text encoding knows.
  virtual std::string FoldCase(std::string_view text);
};

}  // namespace pm2
