#pragma once
// SECControlBar: a docking window. It lives in a dock bar at an edge of
// the frame, in a floating frame, or in a window inside the main window,
// keeps one size per state and its share of a dock-bar row (its
// ControlBarState), shows a gripper with a caption and close and
// expand/contract buttons while docked, and offers the docking commands on
// its context menu. Its single child fills the child area.

#include <QWidget>
#include <memory>
#include <string>

#include "toolkit/docking/control_bar_state.h"

class QMenu;
class QPainter;

namespace pm2 {

struct ControlBarInfo;
class ControlBarInfoExSource;
class SECDockBar;
class SECDockContext;
class SECMDIFrameWnd;

class SECControlBar : public QWidget {
 public:
  SECControlBar();
  ~SECControlBar() override;

  // Creates the bar for a frame: style and extended style as the stored
  // states carry them; the bar joins the frame's bar list.
  bool Create(SECMDIFrameWnd* frame, const std::string& title, std::uint32_t style, std::uint32_t exStyle,
              unsigned id);
  virtual std::string ClassName() const { return "SECControlBar"; }

  ControlBarState& State() { return m_state; }
  const ControlBarState& State() const { return m_state; }
  unsigned BarId() const { return m_state.id; }
  std::string Title() const { return m_state.title; }

  void SetChild(QWidget* child);
  QWidget* Child() const { return m_child; }

  void EnableDocking(std::uint32_t dockStyle);
  SECDockContext* DockContext() const { return m_dockContext.get(); }
  SECMDIFrameWnd* DockSite() const { return m_dockSite; }
  SECDockBar* DockBar() const { return m_dockBar; }
  void SetDockBar(SECDockBar* d) { m_dockBar = d; }
  bool IsFloating() const { return m_state.IsFloating(); }
  bool IsMDIChildFloat() const;
  bool IsBarVisible() const { return m_state.visible; }

  void SetExStyle(std::uint32_t ex, bool redraw);
  void ModifyExStyle(std::uint32_t remove, std::uint32_t add, bool redraw) {
    SetExStyle((m_state.exStyle & ~remove) | add, redraw);
  }

  // The bar's record in a saved dock state, and back. Derived bars add
  // their own entries through the hooks and an extension source.
  void GetBarInfoEx(ControlBarInfo* info) const;
  void SetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd* frame);
  virtual void OnGetBarInfoEx(ControlBarInfo*) const {}
  virtual void OnSetBarInfoEx(const ControlBarInfo&, SECMDIFrameWnd*) {}
  void SetInfoExSource(ControlBarInfoExSource* s) { m_infoExSource = s; }

  // Commands of the context menu.
  void OnAllowDocking();
  void OnHide();
  void OnFloatInMainWindow();
  // The popup menu the bar shows; the caller owns it.
  QMenu* BuildContextMenu();

  // Hooks around moves and for derived bars.
  virtual void OnBarDock() {}
  virtual void OnBarFloat() {}
  virtual void OnBarMDIFloat() {}
  virtual void OnExtendContextMenu(QMenu*) {}
  // The frame's update of its commands reaches the bar's own controls.
  virtual void OnUpdateCmdUI(SECMDIFrameWnd*) {}
  virtual bool CanHide() { return true; }
  virtual bool CanExpand() { return true; }

  // Geometry of the decorations, shared by painting, tips and clicks.
  BarDecorations Decorations() const;
  bool ExpandEnabled() const;
  bool CanExpandNow() const;  // the button offers to expand
  // Applies the child layout for the current size.
  void LayoutChild();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;
  bool event(QEvent*) override;

 private:
  void TakeChildRecords();
  ControlBarState m_state;
  SECMDIFrameWnd* m_dockSite = nullptr;
  SECDockBar* m_dockBar = nullptr;
  std::unique_ptr<SECDockContext> m_dockContext;
  QWidget* m_child = nullptr;
  bool m_closePressed = false;
  bool m_expandPressed = false;
  int m_hot = 0;  // button under the mouse: 1 close, 2 expand
  ChildRecords m_childRecords;
  bool m_haveRecords = false;
  ControlBarInfoExSource* m_infoExSource = nullptr;
};

// Paints a bar's borders, gripper, caption and buttons (control_bar_paint.cpp).
// `hot` names the button under the mouse (1 close, 2 expand), drawn raised.
void PaintControlBar(QPainter& p, const SECControlBar& bar, bool closePressed, bool expandPressed, int hot = 0);

}  // namespace pm2
