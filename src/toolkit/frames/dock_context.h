#pragma once
// SECDockContext: moves a control bar between dock bars and floating
// frames. A drag or a floating frame's resize is a mouse-grab state
// machine: the rectangle follows the cursor in a translucent overlay; Ctrl
// keeps the bar floating, Shift turns its orientation; Esc, the right
// button or losing the application's focus cancel and leave the bar where
// it was; the left button's release docks or floats it.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <memory>
#include <vector>

#include "toolkit/docking/drag_track.h"

namespace pm2 {

class DragOverlay;
class SECControlBar;
class SECDockBar;

// Sizing-border hit codes of a floating frame.
enum : int { HTLEFT = 10, HTRIGHT, HTTOP, HTTOPLEFT, HTTOPRIGHT, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT };

class SECDockContext : public QObject {
 public:
  explicit SECDockContext(SECControlBar* bar);
  ~SECDockContext() override;

  void StartDrag(QPoint globalPos);
  void StartResize(int hitTest, QPoint globalPos);
  void ToggleDocking();
  void ToggleMDIFloat();
  bool IsTracking() const { return m_mode != Mode::None; }
  void Cancel();
  const DragTrack& Track() const { return m_track; }
  // The overlay's rectangle while tracking (screen), for tests.
  QRect OverlayRect() const;

 protected:
  bool eventFilter(QObject*, QEvent*) override;

 private:
  enum class Mode { None, Drag, Resize };
  void Begin(Mode mode);
  void End();
  void MoveTo(QPoint global);
  void EndDrag();
  void Stretch(QPoint global);
  void EndResize();
  void ShowPreview();
  void CollectTargets();
  // Where the bar would go in a target (screen).
  QRect DropRect(SECDockBar* d) const;

  SECControlBar* m_bar;
  Mode m_mode = Mode::None;
  DragTrack m_track;
  std::vector<DockTarget> m_targets;
  std::vector<SECDockBar*> m_targetBars;
  std::unique_ptr<DragOverlay> m_overlay;
  int m_hit = 0;
  QRect m_resizeRect;
  QPoint m_resizeLast;
  bool m_moved = false;
};

}  // namespace pm2
