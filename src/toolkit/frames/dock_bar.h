#pragma once
// SECDockBar: the strip along one edge of the frame (or inside a floating
// frame) that holds control bars in rows. The rows, shares and splitters
// are its DockBarModel; the widget places the bars, paints the splitters
// and client edges, and lets the user drag a splitter (a mouse-grab state
// machine: Esc or the right button cancels, the limits keep every bar and
// the client area usable).

#include <QWidget>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "toolkit/docking/dock_bar_model.h"

namespace pm2 {

class DragOverlay;
class SECControlBar;
class SECMDIFrameWnd;

class SECDockBar : public QWidget {
 public:
  SECDockBar(SECMDIFrameWnd* frame, DockSide side, QWidget* parent);
  ~SECDockBar() override;

  DockBarModel& Model() { return m_model; }
  const DockBarModel& Model() const { return m_model; }
  DockSide Side() const { return m_model.Side(); }
  unsigned Id() const { return DockBarIdOf(Side()); }
  bool IsFloatingBar() const { return m_model.IsFloating(); }
  // The dock bar sits in a window inside the main window.
  bool IsMDIChild() const { return m_mdiChild; }
  void SetMDIChild(bool on) { m_mdiChild = on; }
  SECMDIFrameWnd* Frame() const { return m_frame; }
  // A floating frame's dock bar may hold several bars (CBRS_FLOAT_MULTI):
  // it takes the bit from its frame or from a bar that allows it. Without
  // it the dock bar takes its bar's title, which its frame shows.
  bool IsFloatMulti() const { return m_floatMulti; }
  void SetFloatMulti(bool on) { m_floatMulti = on; }
  const std::string& Text() const { return m_text; }

  // Lays the rows out for the available size, no thicker across its rows
  // than maxAcross where its sizable rows can give (DockBarModel::Layout);
  // answers the dock bar's size.
  Size CalcLayout(Size available, int maxAcross = std::numeric_limits<int>::max());
  // Moves the bars to the rectangles of the last layout.
  void ApplyLayout();

  // Takes a bar (from wherever it was). With a screen rectangle the bar
  // goes where it was dropped, else to its held place or a new last row.
  void DockControlBar(SECControlBar* bar, const QRect* screenRect = nullptr, QPoint screenPoint = {});
  int DockControlBarAt(SECControlBar* bar, const DockPosition& pos);
  void RemoveControlBar(SECControlBar* bar, bool addPlaceholder);
  // A bar being destroyed leaves without a held place or any window call.
  void ForgetBar(SECControlBar* bar);
  // Rebuilds the rows from stored ids (0 a row end, id | 0x10000 a held
  // place); `find` gives the bar of an id or null.
  void RestoreEntries(const std::vector<std::uint32_t>& ids, const std::function<SECControlBar*(unsigned)>& find);
  // The stored form of the rows.
  std::vector<std::uint32_t> StoredEntries() const;
  // The bar widget of a state held here, or null.
  SECControlBar* BarOf(const ControlBarState* s) const;
  std::vector<SECControlBar*> Bars() const;
  int VisibleBarCount() const { return m_model.GetDockedVisibleCount(); }

  QRect DropRectOnScreen(const SECControlBar* bar, const QRect& dragScreen, QPoint cursor) const;

  bool IsBarExpanded(const SECControlBar* bar) const;
  bool IsExpandDisabled(const SECControlBar* bar) const;
  void ToggleExpand(SECControlBar* bar, int how);

  // Splitter tracking, also reachable from tests.
  bool IsTrackingSplitter() const { return m_tracking >= 0; }
  int SplitterAt(QPoint p) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void focusOutEvent(QFocusEvent*) override;

 private:
  void EndTracking(bool apply);
  int TrackedPos(QPoint p) const;
  QRect TrackRect(int pos) const;

  SECMDIFrameWnd* m_frame;
  DockBarModel m_model;
  bool m_mdiChild = false;
  bool m_floatMulti = false;
  std::string m_text;
  void TakeBarStyle(const SECControlBar* bar);
  std::map<const ControlBarState*, SECControlBar*> m_widgets;
  // Splitter tracking.
  int m_tracking = -1;
  DockSplitter m_trackSplitter;
  int m_grab = 0, m_min = 0, m_max = 0, m_pos = 0;
  std::unique_ptr<DragOverlay> m_overlay;
};

}  // namespace pm2
