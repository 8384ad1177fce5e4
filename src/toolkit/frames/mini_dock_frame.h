#pragma once
// SECMiniDockFrameWnd: the small tool window that holds a floating bar.
// It draws its own caption strip: the title, and the caption buttons laid
// out, painted and tracked by its caption filters (a tool window shows
// only close). A press on the caption starts a drag that can dock the bar
// again, a double click docks it back, a press on its border resizes it,
// and closing it hides its bars instead of destroying them. A right click
// on the caption opens its system menu: Move, and Hide in place of Close
// (the system's own entries for size, minimise, maximise and restore make
// no sense for it and are left out). A frame that
// holds several bars (CBRS_FLOAT_MULTI) stacks them in rows; its caption
// only moves it and shows no bar's title.

#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "toolkit/dockable/caption_painter.h"

class QMenu;

namespace pm2 {

class SECDockBar;
class SECMDIFrameWnd;

class SECMiniDockFrameWnd : public QWidget {
 public:
  static constexpr int kBorder = 3, kCaption = 18;

  SECMiniDockFrameWnd(SECMDIFrameWnd* frame, std::uint32_t barStyle);
  SECDockBar* FloatDockBar() const { return m_dockBar; }
  // Resizes the window around its bars and moves it to (x, y) (y not above
  // the screen).
  void RecalcLayoutAt(int x, int y);
  void RecalcLayout();
  QRect CaptionRect() const;
  // The close button as its filter laid it out (empty when not shown).
  QRect CloseButtonRect() const;
  SECMsgFilter& Filters() { return *m_filters; }
  int HitTest(QPoint local) const;  // a sizing code, 2 caption, 20 close, 1 client, 0 outside
  std::uint32_t BarStyle() const { return m_barStyle; }
  // Without a system menu the caption shows no close button (a bar that
  // must stay, as the menu bar, floats in such a frame).
  void SetSysMenu(bool on);
  bool HasSysMenu() const;
  static QSize Chrome() { return QSize(2 * kBorder, 2 * kBorder + kCaption); }
  // The system menu (built on first use; its actions carry the system
  // command in their data) and what its commands do: SC_MOVE lets the frame
  // follow the mouse until a click or Enter (Escape puts it back), SC_CLOSE
  // hides the frame with its bars.
  QMenu* SystemMenu();
  void SysCommand(unsigned cmd);
  bool IsMovingByMenu() const { return m_menuMove; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void hideEvent(QHideEvent*) override;
  void moveEvent(QMoveEvent*) override;

 private:
  unsigned Give(unsigned msg, std::uintptr_t wParam, QPoint point);
  std::intptr_t DefWindowProc(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
  SECCaptionControlListMsgFilter* CaptionButtons() const;

  SECMDIFrameWnd* m_frame;
  SECDockBar* m_dockBar;
  std::uint32_t m_barStyle = 0;  // the alignment it was made for
  bool m_inLayout = false;
  bool m_moving = false;  // the caption moves a frame of several bars
  QPoint m_moveGrab;
  QMenu* m_sysMenu = nullptr;
  bool m_rightOnCaption = false;  // a right press on the caption awaits its release
  // The Move command of the system menu: the frame follows the mouse,
  // keeping m_menuGrab (the pointer less the frame's corner) until it is put
  // down, or goes back to m_menuMoveStart.
  bool m_menuMove = false;
  QPoint m_menuGrab, m_menuMoveStart;
  void EndMenuMove(bool keep);
  QtFilterWindow m_fw;
  std::unique_ptr<SECMsgFilter> m_filters;
};

}  // namespace pm2
