#pragma once
// The caption buttons of the frame's maximised MDI child (minimise,
// restore, close), drawn by the frame at the right end of its menu row and
// run by the frame's filters (ids 257, 256, 260, 261): a maximised child
// shows no title bar of its own, as on a frame with a menu bar. The strip
// is a small child of the frame above the command bar; it shows only while
// the active child is maximised.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "toolkit/dockable/caption_painter.h"
#include "toolkit/filters/mdi_max_child.h"

class QMdiArea;
class QMdiSubWindow;

namespace pm2 {

class MaxChildCaptionButtons : public QWidget, public MaxChildSource {
 public:
  MaxChildCaptionButtons(QWidget* frame, QMdiArea* mdi);
  ~MaxChildCaptionButtons() override;

  SECMsgFilter& Filters() { return *m_filters; }
  // A button's place in frame coordinates; empty when it does not show.
  QRect ButtonRect(int kind) const;
  // Follows the frame's size and the active child's state.
  void Reposition();
  // In menu-bar mode the menu bar shows the maximised child's buttons
  // itself, so this strip stays hidden.
  void SetMenuBarMode(bool on);

  FilterWindow* MaximisedChild() const override;
  SECMsgFilter* ChildFilters(FilterWindow*) const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  bool eventFilter(QObject*, QEvent*) override;

 private:
  class ChildWindow;
  void Watch(QMdiSubWindow* w);
  // Where the child's window (its caption above the frame) starts, in
  // frame coordinates; the filters' rectangles are in its coordinates.
  QPoint WindowInFrame() const;
  void PlaceWindow(QPoint stripInFrame);
  SECCaptionControlListMsgFilter* List() const;
  unsigned Give(unsigned msg, std::uintptr_t wParam, QPoint local);

  QWidget* m_frame;
  [[maybe_unused]] QMdiArea* m_mdi;
  QtFilterWindow m_place;
  std::unique_ptr<ChildWindow> m_child;
  MaxChildFilterWindow m_wnd;
  std::unique_ptr<SECMsgFilter> m_filters;
  // A widget: the child gets events while being destroyed, when it is a
  // sub-window no more.
  QPointer<QWidget> m_watched;
  bool m_menuBarMode = false;
};

}  // namespace pm2
