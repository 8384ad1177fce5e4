#pragma once
// SECFrameWnd: the single-document frame. The same docking frame base with
// one view where the MDI client would be; bars dock with the layout mode
// their own style gives (see SdiDockLayoutMode). Without an MDI client no
// bar floats as a child window of the frame (the bar menu offers no Float
// In Main Window), and a frame without a workspace manager of its own
// routes through the one of the frame it lies in.

#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

class SECFrameWnd : public SECMDIFrameWnd {
 public:
  explicit SECFrameWnd(QWidget* parent = nullptr);
  void SetView(QWidget* view);
  QWidget* View() const { return m_view; }
  void DockControlBarEx(SECControlBar* bar, unsigned dockBarId, int pos1, int pos2, float share, int length);
  CommandTarget* WorkspaceHook() const override;
  void OnBarContextMenu(SECControlBar* bar, QMenu* menu) override;

 protected:
  void PlaceMdiClient(const QRect& area) override;

 private:
  QWidget* m_view = nullptr;
};

}  // namespace pm2
