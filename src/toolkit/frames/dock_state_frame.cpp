// Capturing a frame's docking layout into a dock state and applying one
// back, creating bars that the state names but the frame lacks.

#include <QMdiArea>
#include <QMdiSubWindow>

#include "platform/settings_store.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/docking/frame_layout.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/dock_context.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"

namespace pm2 {

void SECControlBar::GetBarInfoEx(ControlBarInfo* r) const {
  const SECControlBar& bar = *this;
  const ControlBarState& s = bar.State();
  r->barId = s.id & 0xFFFF;
  r->visible = s.visible;
  r->mruWidth = s.mruWidth;
  SECDockBar* d = bar.DockBar();
  r->floating = d && d->IsFloatingBar();
  r->horz = (s.mru.floatStyle & CBRS_ORIENT_VERT) == 0;
  if (d) {
    QPoint tl = bar.pos();
    r->pos = {tl.x(), tl.y()};
  }
  if (bar.DockContext()) {
    r->docking = true;
    r->mruDockId = s.mru.dockId;
    r->mruDockPos = s.mru.dockPos;
    r->mruFloatStyle = s.mru.floatStyle;
    r->mruFloatPos = s.mru.floatPos;
  }
  r->mruFloat = s.szFloat;
  r->mruHorz = s.szHorz;
  r->mruVert = s.szVert;
  r->mruDockingState = s.savedDockStyle;
  r->dockingStyle = s.dockStyle;
  r->pctWidth = s.stretch;
  r->style = s.style;
  r->exStyle = s.exStyle;
  r->prevFloating = s.mru.wasFloating;
  r->mdiChild = bar.IsMDIChildFloat();
  if (r->mdiChild && d && d->parentWidget()) {
    WindowPlacement wp;
    QRect g = d->parentWidget()->geometry();
    wp.normal = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    r->placement = EncodePlacement(wp);
  }
  r->className = bar.ClassName();
  r->windowName = s.title;
  if (m_infoExSource) r->ext = m_infoExSource->CreateInfoEx();
  OnGetBarInfoEx(r);
}

void SECControlBar::SetBarInfoEx(const ControlBarInfo& r, SECMDIFrameWnd* frame) {
  ControlBarState& s = m_state;
  s.mruWidth = r.mruWidth;
  if (r.mruFloat.cx > 0 && r.mruFloat.cy > 0) s.szFloat = r.mruFloat;
  if (r.mruHorz.cx > 0 && r.mruHorz.cy > 0) s.szHorz = r.mruHorz;
  if (r.mruVert.cx > 0 && r.mruVert.cy > 0) s.szVert = r.mruVert;
  s.savedDockStyle = r.mruDockingState;
  s.dockStyle = r.dockingStyle;
  if (r.pctWidth > 0) s.stretch = r.pctWidth;
  s.shareSet = true;
  s.style = r.style & CBRS_ALL;
  s.SetExStyle(r.exStyle);
  if (r.docking) {
    s.mru.dockId = r.mruDockId;
    s.mru.dockPos = r.mruDockPos;
    s.mru.floatStyle = r.mruFloatStyle;
    s.mru.floatPos = r.mruFloatPos;
  }
  s.mru.wasFloating = r.prevFloating;
  s.visible = r.visible;
  // Derived bars read their own entries (a dialog bar its dialog's id).
  OnSetBarInfoEx(r, frame);
}

bool SECMDIFrameWnd::GetDockState(SECDockState& state) const {
  state.ClearRecords();
  QRect wa = WorkArea();
  state.SetScreenSize(Size{wa.width(), wa.height()});
  for (const DockSideRow& row : DockSideTable()) {
    SECDockBar* d = DockBarFor(row.side);
    if (!d) continue;
    ControlBarInfo* r = state.NewBarInfo();
    r->isDockBar = true;
    r->barId = d->Id();
    r->bars = d->StoredEntries();
  }
  for (SECMiniDockFrameWnd* f : FloatingFrames()) {
    SECDockBar* d = f->FloatDockBar();
    if (d->Model().BarCount() == 0) continue;
    ControlBarInfo* r = state.NewBarInfo();
    r->isDockBar = true;
    r->barId = AFX_IDW_DOCKBAR_FLOAT;
    r->floating = true;
    r->horz = !(f->BarStyle() & CBRS_ORIENT_VERT);
    r->visible = d->VisibleBarCount() > 0;
    r->pos = {f->x(), f->y()};
    r->bars = d->StoredEntries();
  }
  for (SECControlBar* bar : ControlBars()) bar->GetBarInfoEx(state.NewBarInfo());
  return true;
}

bool SECMDIFrameWnd::SetDockState(SECDockState& state) {
  auto& records = state.Records();
  // Bars the state names but the frame lacks are made from their class.
  for (size_t i = 0; i < records.size();) {
    ControlBarInfo& r = *records[i];
    if (r.isDockBar || GetControlBar(r.barId) ||
        CreateDynamicBar(r.className, r.windowName, r.style, r.exStyle, r.barId)) {
      ++i;
      continue;
    }
    records.erase(records.begin() + std::ptrdiff_t(i));
  }
  for (auto& r : records)
    if (!r->isDockBar)
      if (SECControlBar* bar = GetControlBar(r->barId)) bar->SetBarInfoEx(*r, this);
  auto find = [this](unsigned id) { return GetControlBar(id); };
  // Bars leave their floating windows first; the rows are then rebuilt.
  for (SECControlBar* bar : ControlBars())
    if (bar->DockBar()) DetachBar(bar, false);
  for (auto& r : records) {
    if (!r->isDockBar || r->floating) continue;
    if (SECDockBar* d = GetDockBar(r->barId)) d->RestoreEntries(r->bars, find);
  }
  // A floating frame comes back with all its bars in their rows: the first
  // bar makes the frame, which then takes its stored list.
  for (auto& r : records) {
    if (!r->isDockBar || !r->floating) continue;
    SECControlBar* first = nullptr;
    for (std::uint32_t id : r->bars)
      if (!first && id && !(id & 0xFFFF0000u)) first = GetControlBar(id);
    if (!first) continue;
    std::uint32_t style = (r->horz ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT) | (first->State().dockStyle & CBRS_FLOAT_MULTI);
    FloatControlBar(first, QPoint(r->pos.x, r->pos.y), style);
    SECDockBar* d = first->DockBar();
    auto* mf = d ? dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget()) : nullptr;
    if (!mf) continue;
    d->RestoreEntries(r->bars, find);
    mf->RecalcLayoutAt(r->pos.x, r->pos.y);
    mf->setVisible(d->VisibleBarCount() > 0);
  }
  for (auto& r : records) {
    if (r->isDockBar || !r->mdiChild) continue;
    SECControlBar* bar = GetControlBar(r->barId);
    if (!bar) continue;
    WindowPlacement wp = DecodePlacement(r->placement.data(), r->placement.size());
    FloatControlBarInMDIChild(bar, QPoint(wp.normal.left, wp.normal.top), CBRS_ALIGN_TOP);
    SECDockBar* d = bar->DockBar();
    QWidget* host = d ? d->parentWidget() : nullptr;
    while (host && !qobject_cast<QMdiSubWindow*>(host)) host = host->parentWidget();
    if (host && !wp.normal.IsEmpty())
      host->setGeometry(wp.normal.left, wp.normal.top, wp.normal.Width(), wp.normal.Height());
    if (host && !bar->State().visible) host->hide();
  }
  // A bar the state did not place goes to the side it fits. One that keeps
  // a row of its own (the menu bar, in a state saved without it) goes above
  // the rows there, where it sits on a first start.
  for (SECControlBar* bar : ControlBars()) {
    if (bar->DockBar()) continue;
    const DockSideRow* side = SideRowForAlign(bar->State().style);
    SECDockBar* d = side && (bar->State().exStyle & SECBAR_EX_OWNROW) ? DockBarFor(side->side) : nullptr;
    if (d) {
      d->DockControlBarAt(bar, DockPosition{0, 0, 4});
      bar->OnBarDock();
    } else {
      DockControlBar(bar);
    }
  }
  RecalcLayout();
  return true;
}

void SECMDIFrameWnd::LoadBarState(SettingsStore& store, const std::string& profile) {
  SECDockState state(m_infoExSource);
  state.LoadState(store, profile);
  if (!state.Records().empty()) state.SetFrameState(this);
}

void SECMDIFrameWnd::SaveBarState(SettingsStore& store, const std::string& profile) const {
  SECDockState state(m_infoExSource);
  if (!state.GetFrameState(this)) return;
  state.RemoveStaleBarIDs();
  state.SaveState(store, profile);
}

}  // namespace pm2
