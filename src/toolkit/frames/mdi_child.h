#pragma once
// MDI child frames: SECMDIChildWnd routes commands to its own handlers and
// tells the frame when it becomes active; SECWorksheetWnd joins the
// workbook's tab row; SECControlBarMDIChildWnd and SECControlBarWorksheet
// hold a control bar floating inside the main window, and closing them
// hides the bar instead of destroying it.

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <string>

#include "toolkit/core/commands.h"

namespace pm2 {

class SECControlBar;
class SECDockBar;
class SECMDIFrameWnd;
class SECWorkbookWnd;

class SECMDIChildWnd : public QMdiSubWindow, public CommandTarget {
 public:
  explicit SECMDIChildWnd(SECMDIFrameWnd* frame);
  SECMDIFrameWnd* Frame() const { return m_frame.data(); }
  // The menu resource shown while this child is active (0: the frame's).
  unsigned MenuResourceId() const { return m_menuId; }
  void SetMenuResourceId(unsigned id) { m_menuId = id; }
  // Caption buttons: bit 0 on, bits 1..3 switch off minimise, maximise, close.
  void EnableCaptionButtons(unsigned flags);
  virtual std::string SheetLabel() const;
  // The frame is going away: the child stops calling it.
  virtual void DetachFrame() { m_frame = nullptr; }

 protected:
  // A child may outlive its frame briefly (a deferred delete).
  QPointer<SECMDIFrameWnd> m_frame;

 private:
  unsigned m_menuId = 0;
};

class SECWorksheetWnd : public SECMDIChildWnd {
 public:
  explicit SECWorksheetWnd(SECMDIFrameWnd* frame);
  ~SECWorksheetWnd() override;
  SECWorkbookWnd* Workbook() const;
  bool IsPressed() const { return m_pressed; }
  void SetPressed(bool p) { m_pressed = p; }
  void SetTabIcon(const QIcon& icon) { m_tabIcon = icon; }
  const QIcon& TabIcon() const { return m_tabIcon; }

 protected:
  void showEvent(QShowEvent*) override;
  void hideEvent(QHideEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  QIcon m_tabIcon;
  bool m_pressed = false;
};

// What both bar-holding children share: the float dock bar inside them.
class BarChildHost {
 public:
  explicit BarChildHost(QMdiSubWindow* self, SECMDIFrameWnd* frame);
  SECDockBar* FloatDockBar() const { return m_dockBar; }
  SECControlBar* SingleBar() const;
  // The window closes by hiding its bar.
  void CloseByHiding();
  void CommitSize(const QSize& client);
  void DetachHostFrame() { m_frame = nullptr; }

 private:
  SECDockBar* m_dockBar;
  QPointer<SECMDIFrameWnd> m_frame;
};

class SECControlBarMDIChildWnd : public SECMDIChildWnd, public BarChildHost {
 public:
  explicit SECControlBarMDIChildWnd(SECMDIFrameWnd* frame);
  void DetachFrame() override {
    SECMDIChildWnd::DetachFrame();
    DetachHostFrame();
  }

 protected:
  void closeEvent(QCloseEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
};

class SECControlBarWorksheet : public SECWorksheetWnd, public BarChildHost {
 public:
  explicit SECControlBarWorksheet(SECMDIFrameWnd* frame);
  void DetachFrame() override {
    SECWorksheetWnd::DetachFrame();
    DetachHostFrame();
  }
  std::string SheetLabel() const override;

 protected:
  void closeEvent(QCloseEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void moveEvent(QMoveEvent*) override;
};

}  // namespace pm2
