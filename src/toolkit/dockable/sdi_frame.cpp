#include "toolkit/dockable/sdi_frame.h"

#include <QMdiArea>

#include "toolkit/docking/sdi_layout.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"

namespace pm2 {

SECFrameWnd::SECFrameWnd(QWidget* parent) : SECMDIFrameWnd(parent) { m_mdi->hide(); }

void SECFrameWnd::SetView(QWidget* view) {
  m_view = view;
  view->setParent(this);
  view->show();
  RecalcLayout();
}

void SECFrameWnd::PlaceMdiClient(const QRect& area) {
  m_mdi->hide();
  if (m_view) m_view->setGeometry(area.left(), area.top(), std::max(0, area.width()), std::max(0, area.height()));
}

void SECFrameWnd::DockControlBarEx(SECControlBar* bar, unsigned dockBarId, int pos1, int pos2, float share,
                                   int length) {
  SECDockBar* d = GetDockBar(dockBarId);
  if (!d) {
    SECMDIFrameWnd::DockControlBarEx(bar, dockBarId, pos1, pos2, share, length);
    return;
  }
  bar->State().stretch = share;
  bar->State().CalcDynamicLayout(length, SdiDockLayoutMode(bar->State().style));
  SECDockBar* old = bar->DockBar();
  if (old && old != d && old->IsFloatingBar()) DetachBar(bar, false);
  d->DockControlBarAt(bar, DockPosition{pos2, pos1, 0});
  bar->OnBarDock();
  RecalcLayout();
}

CommandTarget* SECFrameWnd::WorkspaceHook() const {
  if (CommandTarget* own = SECMDIFrameWnd::WorkspaceHook()) return own;
  // A frame inside another (a dockable frame in a bar) uses the manager of
  // the top-level frame.
  QWidget* top = parentWidget() ? parentWidget()->window() : nullptr;
  auto* outer = dynamic_cast<SECMDIFrameWnd*>(top);
  return outer && outer != this ? outer->WorkspaceHook() : nullptr;
}

void SECFrameWnd::OnBarContextMenu(SECControlBar* bar, QMenu* menu) {
  // No MDI client to float in: the docking items only.
  (void)bar;
  (void)menu;
}

}  // namespace pm2
