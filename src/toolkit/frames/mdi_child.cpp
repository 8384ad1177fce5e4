#include "toolkit/frames/mdi_child.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/workbook.h"

namespace pm2 {

SECMDIChildWnd::SECMDIChildWnd(SECMDIFrameWnd* frame) : QMdiSubWindow(nullptr), m_frame(frame) {
  setAttribute(Qt::WA_DeleteOnClose);
}

void SECMDIChildWnd::EnableCaptionButtons(unsigned flags) {
  bool on = flags & 1;
  Qt::WindowFlags f = windowFlags();
  f.setFlag(Qt::WindowMinimizeButtonHint, on && !(flags & 2));
  f.setFlag(Qt::WindowMaximizeButtonHint, on && !(flags & 4));
  f.setFlag(Qt::WindowCloseButtonHint, on && !(flags & 8));
  setWindowFlags(f);
}

std::string SECMDIChildWnd::SheetLabel() const { return FromQString(windowTitle()); }

SECWorksheetWnd::SECWorksheetWnd(SECMDIFrameWnd* frame) : SECMDIChildWnd(frame) {
  if (SECWorkbookWnd* wb = Workbook()) wb->AddSheet(this);
}

SECWorksheetWnd::~SECWorksheetWnd() {
  if (SECWorkbookWnd* wb = Workbook()) wb->RemoveSheet(this);
}

SECWorkbookWnd* SECWorksheetWnd::Workbook() const { return dynamic_cast<SECWorkbookWnd*>(m_frame.data()); }

void SECWorksheetWnd::showEvent(QShowEvent* e) {
  QMdiSubWindow::showEvent(e);
  if (SECWorkbookWnd* wb = Workbook()) wb->SheetChanged();
}

void SECWorksheetWnd::hideEvent(QHideEvent* e) {
  QMdiSubWindow::hideEvent(e);
  if (SECWorkbookWnd* wb = Workbook()) wb->SheetChanged();
}

void SECWorksheetWnd::changeEvent(QEvent* e) {
  QMdiSubWindow::changeEvent(e);
  if (e->type() == QEvent::WindowTitleChange || e->type() == QEvent::WindowStateChange)
    if (SECWorkbookWnd* wb = Workbook()) wb->SheetChanged();
}

BarChildHost::BarChildHost(QMdiSubWindow* self, SECMDIFrameWnd* frame) : m_frame(frame) {
  m_dockBar = new SECDockBar(frame, DockSide::Float, self);
  m_dockBar->SetMDIChild(true);
}

SECControlBar* BarChildHost::SingleBar() const {
  std::vector<SECControlBar*> bars = m_dockBar->Bars();
  return bars.size() == 1 ? bars.front() : nullptr;
}

void BarChildHost::CloseByHiding() {
  if (SECControlBar* bar = SingleBar())
    if (m_frame) m_frame->ShowControlBar(bar, false, false);
}

void BarChildHost::CommitSize(const QSize& client) {
  SECControlBar* bar = SingleBar();
  if (!bar || client.width() < 1 || client.height() < 1) return;
  bar->State().CalcDynamicLayout(client.width(), LM_COMMIT | LM_MRUWIDTH);
  bar->State().CalcDynamicLayout(client.height(), LM_COMMIT | LM_MRUWIDTH | LM_LENGTHY);
  m_dockBar->CalcLayout(Size{32767, 32767});
  m_dockBar->ApplyLayout();
}

SECControlBarMDIChildWnd::SECControlBarMDIChildWnd(SECMDIFrameWnd* frame)
    : SECMDIChildWnd(frame), BarChildHost(this, frame) {
  setAttribute(Qt::WA_DeleteOnClose, false);
}

void SECControlBarMDIChildWnd::closeEvent(QCloseEvent* e) {
  if (SingleBar()) {
    e->ignore();
    showNormal();
    CloseByHiding();
    return;
  }
  SECMDIChildWnd::closeEvent(e);
}

void SECControlBarMDIChildWnd::resizeEvent(QResizeEvent* e) {
  SECMDIChildWnd::resizeEvent(e);
  if (widget()) CommitSize(widget()->size());
}

void SECControlBarMDIChildWnd::moveEvent(QMoveEvent* e) {
  SECMDIChildWnd::moveEvent(e);
  if (SECControlBar* bar = SingleBar()) bar->State().mru.floatPos = {x(), y()};
}

SECControlBarWorksheet::SECControlBarWorksheet(SECMDIFrameWnd* frame)
    : SECWorksheetWnd(frame), BarChildHost(this, frame) {
  setAttribute(Qt::WA_DeleteOnClose, false);
}

std::string SECControlBarWorksheet::SheetLabel() const {
  SECControlBar* bar = SingleBar();
  return bar ? bar->State().title : SECWorksheetWnd::SheetLabel();
}

void SECControlBarWorksheet::closeEvent(QCloseEvent* e) {
  if (SingleBar()) {
    e->ignore();
    showNormal();
    CloseByHiding();
    return;
  }
  SECWorksheetWnd::closeEvent(e);
}

void SECControlBarWorksheet::resizeEvent(QResizeEvent* e) {
  SECWorksheetWnd::resizeEvent(e);
  if (widget()) CommitSize(widget()->size());
}

void SECControlBarWorksheet::moveEvent(QMoveEvent* e) {
  SECWorksheetWnd::moveEvent(e);
  if (SECControlBar* bar = SingleBar()) bar->State().mru.floatPos = {x(), y()};
}

}  // namespace pm2
