#pragma once
// SECToolBarRectTracker: the rectangle shown while a button is dragged onto
// a toolbar or a window button's right edge is dragged wider. It is a
// mouse-grab state machine the owning widget feeds with screen points; the
// rectangle is drawn by a translucent overlay above every window, so
// nothing is drawn into (or has to be erased from) the desktop.

#include <QRect>
#include <memory>

namespace pm2 {

class DragOverlay;

class SECToolBarRectTracker {
 public:
  SECToolBarRectTracker();
  ~SECToolBarRectTracker();
  SECToolBarRectTracker(const SECToolBarRectTracker&) = delete;
  SECToolBarRectTracker& operator=(const SECToolBarRectTracker&) = delete;

  // Moving the whole rectangle: it keeps its offset to the grab point.
  void BeginMove(const QRect& screenRect, QPoint screenGrab);
  // Resizing by the right edge, never narrower than `minWidth`. Refused
  // (false) while another track runs.
  bool BeginResize(const QRect& screenRect, int minWidth);
  void MoveTo(QPoint screenPoint);
  // Ends the track: true when the rectangle changed; `rect` is the result.
  bool End(QRect* rect);
  // Escape or the right button: the rectangle goes back.
  void Cancel();
  bool IsTracking() const { return m_mode != Mode::None; }
  QRect Rect() const { return m_rect; }

 private:
  enum class Mode { None, Move, Resize };
  void Show();
  Mode m_mode = Mode::None;
  QRect m_start, m_rect;
  QPoint m_offset;
  int m_minWidth = 1;
  std::unique_ptr<DragOverlay> m_overlay;
};

}  // namespace pm2
