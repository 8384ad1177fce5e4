#include "toolkit/workspace/mdi_workspace_host.h"

#include <algorithm>
#include <cstdint>

#include <QFileDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/persistent_tree.h"
#include "toolkit/dockable/dockable_frame.h"
#include "toolkit/dockable/frame_bar.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/workspace/workspace_dialog.h"

namespace pm2 {

namespace {

constexpr int kShowMinimized = 2, kShowMaximized = 3;

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

unsigned ShowCmdOf(const QWidget* w) {
  if (w->isMinimized()) return kShowMinimized;
  if (w->isMaximized()) return kShowMaximized;
  return 1;
}

// A stored rectangle fitted into `area`: no larger than it and moved
// inside it, computed in 64 bits so that no value of a damaged workspace
// file overflows. A null rectangle when the stored one is empty.
QRect FittedInto(const Rect& r, const QRect& area) {
  const int64_t width = int64_t(r.right) - r.left, height = int64_t(r.bottom) - r.top;
  if (width <= 0 || height <= 0 || area.isEmpty()) return QRect();
  const int64_t w = std::min<int64_t>(width, area.width()), h = std::min<int64_t>(height, area.height());
  const int64_t x = std::clamp<int64_t>(r.left, area.x(), int64_t(area.x()) + area.width() - w);
  const int64_t y = std::clamp<int64_t>(r.top, area.y(), int64_t(area.y()) + area.height() - h);
  return QRect(int(x), int(y), int(w), int(h));
}

// Where the main window's inside may stand: the available area of its
// screen less the window manager's frame around it.
QRect MainArea(const QWidget* frame) {
  const QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
  if (!screen) return QRect();
  const QRect outer = frame->frameGeometry(), inner = frame->geometry();
  return screen->availableGeometry().adjusted(inner.left() - outer.left(), inner.top() - outer.top(),
                                              inner.right() - outer.right(), inner.bottom() - outer.bottom());
}

void ApplyShowCmd(QWidget* w, int showCmd) {
  if (showCmd == kShowMaximized) w->showMaximized();
  else if (showCmd == kShowMinimized) w->showMinimized();
  else if (showCmd > 0) w->showNormal();
}

}  // namespace

WindowPlacement MdiWorkspaceHost::MainPlacement() const {
  WindowPlacement wp;
  const QRect g = m_frame->isMaximized() || m_frame->isMinimized() ? m_frame->normalGeometry() : m_frame->geometry();
  wp.normal = ToRect(g);
  wp.showCmd = ShowCmdOf(m_frame);
  return wp;
}

void MdiWorkspaceHost::SetMainPlacement(const WindowPlacement& wp, int showCmd) {
  // A workspace file from another screen, or a damaged one, must not put
  // the window out of sight.
  if (const QRect r = FittedInto(wp.normal, MainArea(m_frame)); !r.isNull()) m_frame->setGeometry(r);
  ApplyShowCmd(m_frame, showCmd);
}

std::string MdiWorkspaceHost::MainTitle() const { return FromQString(m_frame->windowTitle()); }
void MdiWorkspaceHost::SetMainTitle(const std::string& title) { m_frame->setWindowTitle(ToQString(title)); }
void MdiWorkspaceHost::ShowMainWindow(int showCmd) { ApplyShowCmd(m_frame, showCmd <= 0 ? 1 : showCmd); }

bool MdiWorkspaceHost::SaveDockState(SECPersistentTreeNode* root) {
  SECDockState state(m_frame->GetControlBarManager());
  if (!state.GetFrameState(m_frame)) return false;
  state.RemoveStaleBarIDs();
  const bool ok = state.SaveStateToNode(root);
  if (saveBarManager) saveBarManager(root);
  return ok;
}

bool MdiWorkspaceHost::RestoreDockState(const SECPersistentTreeNode* root) {
  if (loadBarManager) loadBarManager(root);
  SECDockState state(m_frame->GetControlBarManager());
  if (!state.LoadStateFromNode(root) || state.Records().empty()) return false;
  return state.SetFrameState(m_frame);
}

void MdiWorkspaceHost::HideControlBars() {
  // The restored dock state decides what shows again. The menu bar (a bar
  // that cannot be hidden, or one in the frame's command slot) stays: a
  // workspace saved without it would never show it again, and the menus
  // would be gone for the rest of the run.
  for (SECControlBar* bar : m_frame->ControlBars())
    if (bar != m_frame->CommandBar() && bar->CanHide()) m_frame->ShowControlBar(bar, false, false);
}

TemplateFrame* MdiWorkspaceHost::ActiveChild() const {
  // A dockable frame holding the activation counts as the active child.
  if (auto* dockable = dynamic_cast<SECDockableFrame*>(m_frame->ActiveBarChild()))
    if (TemplateFrame* f = FrameOfDockable(dockable)) return f;
  QMdiSubWindow* w = m_frame->MdiClient()->activeSubWindow();
  return w ? FrameOf(w) : nullptr;
}

void MdiWorkspaceHost::ActivateFrame(TemplateFrame* frame, int showCmd) {
  QMdiSubWindow* w = FrameWindow(frame);
  if (!w) return;
  m_frame->MdiClient()->setActiveSubWindow(w);
  if (showCmd > 0 && int(ShowCmdOf(w)) != showCmd) ApplyShowCmd(w, showCmd);
}

void MdiWorkspaceHost::ActivateFirstChild() {
  for (QMdiSubWindow* w : m_frame->MdiClient()->subWindowList())
    if (FrameOf(w) && !w->isHidden()) {
      m_frame->MdiClient()->setActiveSubWindow(w);
      return;
    }
}

bool MdiWorkspaceHost::IsFrameVisible(const TemplateFrame* frame) const {
  if (SECDockableFrame* d = DockableFrame(frame)) return d->Bar() && d->Bar()->State().visible;
  QMdiSubWindow* w = FrameWindow(frame);
  return w && !w->isHidden();
}

void MdiWorkspaceHost::ShowFrame(TemplateFrame* frame, bool show) {
  if (SECDockableFrame* d = DockableFrame(frame)) {
    if (d->Bar()) m_frame->ShowControlBar(d->Bar(), show, false);
    return;
  }
  if (QMdiSubWindow* w = FrameWindow(frame)) w->setVisible(show);
}

WindowPlacement MdiWorkspaceHost::FramePlacement(const TemplateFrame* frame) const {
  WindowPlacement wp;
  if (QMdiSubWindow* w = FrameWindow(frame)) {
    wp.normal = ToRect(w->geometry());
    wp.showCmd = ShowCmdOf(w);
  }
  return wp;
}

void MdiWorkspaceHost::SetFramePlacement(TemplateFrame* frame, const WindowPlacement& wp) {
  QMdiSubWindow* w = FrameWindow(frame);
  if (!w) return;
  const QWidget* client = w->mdiArea() ? w->mdiArea()->viewport() : nullptr;
  const QRect area = client && !client->rect().isEmpty() ? client->rect() : MainArea(m_frame);
  if (const QRect r = FittedInto(wp.normal, area); !r.isNull()) w->setGeometry(r);
  if (wp.showCmd == kShowMaximized || wp.showCmd == kShowMinimized) ApplyShowCmd(w, int(wp.showCmd));
}

bool MdiWorkspaceHost::CloseFrame(TemplateFrame* frame) {
  if (SECDockableFrame* d = DockableFrame(frame)) {
    // A dockable frame closes with its bar: the bar leaves the frame and
    // takes the dockable frame and its view with it.
    SECFrameBar* bar = d->Bar();
    if (!bar) return false;
    d->OnUpdateFrameMenu(false);
    m_frame->RemoveControlBar(bar);
    bar->hide();
    bar->deleteLater();
    m_frame->RecalcLayout();
    return true;
  }
  QMdiSubWindow* w = FrameWindow(frame);
  return w && w->close();
}

unsigned MdiWorkspaceHost::DockedBarId(const TemplateFrame* frame) const {
  SECDockableFrame* d = DockableFrame(frame);
  return d && d->Bar() ? d->Bar()->BarId() : 0;
}

bool MdiWorkspaceHost::DockedFloating(const TemplateFrame* frame, WindowPlacement* wp) const {
  SECDockableFrame* d = DockableFrame(frame);
  if (!d || !d->IsFloating()) return false;
  auto* mini = dynamic_cast<SECMiniDockFrameWnd*>(d->Bar()->window());
  if (!mini) return false;
  wp->normal = ToRect(mini->geometry());
  wp->showCmd = 1;
  return true;
}

void MdiWorkspaceHost::FloatDockedView(TemplateFrame* frame, const Rect& rect) {
  SECDockableFrame* d = DockableFrame(frame);
  if (!d || !d->Bar() || rect.IsEmpty()) return;
  // The bar's floating size is what the floating window holds inside its
  // border and caption.
  const QSize chrome = SECMiniDockFrameWnd::Chrome();
  d->Bar()->State().szFloat = Size{rect.Width() - chrome.width(), rect.Height() - chrome.height()};
  m_frame->FloatControlBar(d->Bar(), QPoint(rect.left, rect.top), CBRS_ALIGN_TOP);
}

void MdiWorkspaceHost::ActivateDockableFrame(TemplateFrame* frame) {
  if (SECDockableFrame* d = DockableFrame(frame)) d->OnUpdateFrameMenu(true);
}

std::string WorkspaceFileFilters(const std::string& filter) {
  return WorkspaceText(kIdsWsFileFilterName) + " (" + filter + ");;" + WorkspaceText(kIdsWsAllFilesName) + " (*.*)";
}

bool QtWorkspacePrompts::PromptForFileName(bool forSave, const std::string& filter, std::string* name) {
  QFileDialog dialog(m_parent, ToQString(WorkspaceText(forSave ? kIdsWsSaveTitle : kIdsWsOpenTitle)));
  dialog.setNameFilter(ToQString(WorkspaceFileFilters(filter)));
  dialog.setAcceptMode(forSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(forSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (filter.size() > 2) dialog.setDefaultSuffix(ToQString(filter.substr(2)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *name = FromQString(dialog.selectedFiles().front());
  return true;
}

bool QtWorkspacePrompts::RunWorkspaceDialog(WorkspaceNameLists* lists, std::string* chosen, bool forOpen,
                                            bool forSave) {
  SECWsMgrDialogEx dialog(lists, chosen, forOpen, forSave, m_parent);
  return dialog.exec() == QDialog::Accepted;
}

void QtWorkspacePrompts::ShowError(unsigned stringId, const std::string& name, const std::string& reason) {
  const std::string text = WorkspaceText(stringId, name) + (reason.empty() ? std::string() : "\n\n" + reason);
  QMessageBox::warning(m_parent, ToQString(WorkspaceText(kIdsWsMgrCaption)), ToQString(text));
}

void AttachWorkspaceManager(SECMDIFrameWnd* frame, SECWorkspaceManagerEx* mgr) { frame->SetWorkspaceHook(mgr); }

void FillRecentWorkspaceMenu(QMenu* menu, SECMDIFrameWnd* frame, const SECWorkspaceManagerEx& mgr) {
  // The items replace the old ones where they stood (at the end when none).
  QAction* before = nullptr;
  const QList<QAction*> actions = menu->actions();
  for (int i = 0; i < actions.size(); ++i) {
    QAction* a = actions[i];
    if (!a->property("pm2RecentWorkspace").toBool()) continue;
    before = i + 1 < actions.size() ? actions[i + 1] : nullptr;
    menu->removeAction(a);
    a->deleteLater();
  }
  if (before && before->property("pm2RecentWorkspace").toBool()) before = nullptr;
  for (const RecentMenuItem& item : mgr.RecentMenu()) {
    auto* a = new QAction(ToQString(item.text), menu);
    a->setProperty("pm2RecentWorkspace", true);
    // No command id in the action's data: a menu bar runs the id an action
    // carries, and the command would run twice (the second opening closes
    // the windows the first opened).
    a->setEnabled(item.enabled);
    a->setCheckable(item.checked);
    a->setChecked(item.checked);
    const unsigned id = item.id;
    QObject::connect(a, &QAction::triggered, frame, [frame, id] { frame->RouteCommand(id); });
    menu->insertAction(before, a);
  }
}

}  // namespace pm2
