#pragma once
// SECDockableFrame: a frame window with its own view and menu that lives
// in a frame bar, so it docks, floats and floats inside the main window
// like a control bar, and takes part in the main frame's menu switching
// and command routing when it is active. It draws its own caption; the
// caption's buttons and the placement command (docked at a side, floating,
// MDI child) run through its message filters. A press on the caption drags
// the bar through its dock context; a double click toggles docking.

#include <QWidget>
#include <memory>

#include "toolkit/core/commands.h"
#include "toolkit/dockable/caption_painter.h"
#include "toolkit/filters/syscommand_ex.h"

namespace pm2 {

class SECFrameBar;
class SECMDIFrameWnd;

class SECDockableFrame : public QWidget, public CommandTarget, public PlacementHost {
 public:
  // The frame and its bar; the bar joins `main` with `barId`.
  SECDockableFrame(SECMDIFrameWnd* main, unsigned barId, const std::string& title);
  ~SECDockableFrame() override;

  SECFrameBar* Bar() const { return m_bar; }
  void SetView(QWidget* view);
  QWidget* View() const { return m_view; }
  // The menu shown while the frame is active (-1: the main frame's own).
  void SetMenuResourceId(int id) { m_menuId = id; }
  // Bit 1 turns the caption buttons on; bits 2, 4, 8 switch off maximise,
  // restore and minimise.
  void SetCaptionButtons(unsigned flags);
  SECMsgFilter& Filters() { return *m_filters; }
  bool IsFloating() const;
  bool IsActiveFrame() const { return m_active; }
  // Activation: the main frame routes commands here and shows the menu.
  void OnUpdateFrameMenu(bool active);

  // Geometry shared by painting and hit tests.
  QRect CaptionRect() const;
  int HitTest(QPoint local) const;  // 2 caption, 1 client

  // PlacementHost
  bool Exists(FilterWindow* w) const override { return w == &m_fw && m_bar; }
  int CurrentPlacement(FilterWindow* w) const override;
  bool ToMdiChild(FilterWindow* w, int showPlacement) override;
  bool ToDocked(FilterWindow* w, int side, const DockParams& params) override;
  bool ToFloating(FilterWindow* w, const Point* pos, const Size* size) override;
  int TrackMenu(const std::vector<PlacementMenuItem>& menu, Point screen, FilterWindow* owner) override;
  void RepaintFrame(FilterWindow*) override { update(); }
  // Tests choose the menu item instead of a user.
  void SetMenuChooser(std::function<int(const std::vector<PlacementMenuItem>&)> f) { m_chooser = std::move(f); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  bool event(QEvent*) override;
  bool eventFilter(QObject*, QEvent*) override;

 private:
  unsigned Give(unsigned msg, std::uintptr_t wParam, QPoint point);
  std::intptr_t DefWindowProc(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
  void RememberDockSide();

  SECMDIFrameWnd* m_main;
  SECFrameBar* m_bar = nullptr;
  QWidget* m_view = nullptr;
  QtFilterWindow m_fw;
  std::unique_ptr<SECMsgFilter> m_filters;
  SECMsgFilter::DescriptorTable m_table;
  int m_menuId = -1;
  unsigned m_lastDockId = 0;  // the dock bar it last docked in
  bool m_active = false;
  std::function<int(const std::vector<PlacementMenuItem>&)> m_chooser;
};

}  // namespace pm2
