#include "toolkit/toolbars/toolbar_manager.h"

#include <QMdiArea>
#include <algorithm>

#include "platform/settings_store.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/custom_toolbar.h"

namespace pm2 {

SECToolBarManager::SECToolBarManager(SECMDIFrameWnd* frame, const ResourceModule& module)
    : m_frame(frame), m_bmpMgr(new SECBmpMgr(module)) {
  if (m_frame) {
    m_frame->SetControlBarManager(this);
    m_frame->SetBarFactory([this](const std::string& cls) { return CreateBar(cls); });
    m_frameWatch = QObject::connect(m_frame, &QObject::destroyed, [this] { m_frame = nullptr; });
  }
}

SECToolBarManager::~SECToolBarManager() {
  QObject::disconnect(m_frameWatch);
  if (m_frame) {
    m_frame->SetControlBarManager(nullptr);
    m_frame->SetBarFactory(nullptr);
    for (SECCustomToolBar* tb : ToolBars()) {
      tb->SetInfoExSource(nullptr);
      tb->SetManager(nullptr);
    }
  }
  m_bmpMgr->Release();
}

bool SECToolBarManager::LoadToolBarResource(unsigned id, unsigned largeId) {
  return m_bmpMgr->AddToolBarResource(id, largeId, true) > 0;
}

void SECToolBarManager::DefineDefaultToolBar(ToolBarDefinition def) { m_defs.push_back(std::move(def)); }

bool SECToolBarManager::GetDefaultButtons(unsigned barId, std::vector<unsigned>* ids) const {
  for (const ToolBarDefinition& d : m_defs)
    if (d.id == barId) {
      *ids = d.buttons;
      return true;
    }
  return false;
}

const ToolBarButtonMapEntry* SECToolBarManager::FindButtonMapEntry(unsigned id) const {
  for (const ToolBarButtonMapEntry& e : m_btnMap)
    if (e.id == id) return &e;
  return nullptr;
}

std::string SECToolBarManager::TipText(unsigned id) const {
  if (!m_tips) return {};
  const std::string s = m_tips(id);
  const auto nl = s.find('\n');
  return nl == std::string::npos ? s : s.substr(nl + 1);
}

std::string SECToolBarManager::DescriptionText(unsigned id) const {
  if (!m_tips) return {};
  const std::string s = m_tips(id);
  return s.substr(0, s.find('\n'));
}

std::uint32_t SECToolBarManager::BarStyle() const {
  return CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM | CBRS_SIZE_DYNAMIC | (m_settings.toolTips ? CBRS_TOOLTIPS : 0);
}

std::vector<SECCustomToolBar*> SECToolBarManager::ToolBars() const {
  std::vector<SECCustomToolBar*> out;
  if (!m_frame) return out;
  for (SECControlBar* b : m_frame->ControlBars())
    if (auto* tb = dynamic_cast<SECCustomToolBar*>(b)) out.push_back(tb);
  return out;
}

SECCustomToolBar* SECToolBarManager::GetToolBar(unsigned id) const {
  for (SECCustomToolBar* tb : ToolBars())
    if (tb->BarId() == id) return tb;
  return nullptr;
}

std::vector<SECStdBtn*> SECToolBarManager::ButtonsWithId(unsigned id) const {
  std::vector<SECStdBtn*> out;
  for (SECCustomToolBar* tb : ToolBars())
    for (int i = 0; i < tb->ButtonCount(); ++i) {
      SECStdBtn* b = tb->Button(i);
      if (b->m_nID == id && !(b->m_nStyle & TBBS_SEPARATOR)) out.push_back(b);
    }
  return out;
}

void SECToolBarManager::EnableToolTips(bool on) {
  if (m_settings.toolTips == on) return;
  m_settings.toolTips = on;
  for (SECCustomToolBar* tb : ToolBars()) {
    std::uint32_t& style = tb->State().style;
    style = on ? (style | CBRS_TOOLTIPS) : (style & ~CBRS_TOOLTIPS);
  }
}

void SECToolBarManager::EnableCoolLook(bool on) {
  if (m_settings.coolLook == on) return;
  m_settings.coolLook = on;
  for (SECCustomToolBar* tb : ToolBars())
    tb->SetToolBarFlags(on ? (tb->ToolBarFlags() | 0x300u) : (tb->ToolBarFlags() & ~0x300u));
}

void SECToolBarManager::EnableLargeButtons(bool on) {
  if (m_settings.largeButtons == on) return;
  m_settings.largeButtons = on;
  m_bmpMgr->SetSmallImages(!on);
  for (SECCustomToolBar* tb : ToolBars()) {
    tb->RecalcSizes();
    if (SECDockBar* d = tb->DockBar(); d && d->IsFloatingBar())
      if (auto* mf = dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget())) mf->RecalcLayout();
  }
  if (m_frame) m_frame->RecalcLayout();
  for (SECCustomToolBar* tb : ToolBars()) tb->LayoutButtons();
}

SECCustomToolBar* SECToolBarManager::NewToolBar(unsigned id, const std::string& title) {
  auto* tb = new SECCustomToolBar(this);
  if (!tb->CreateToolBar(m_frame, title, id, BarStyle(), ToolBarFlags())) {
    delete tb;
    return nullptr;
  }
  tb->SetCustomizeMode(m_customize);
  return tb;
}

void SECToolBarManager::CreateDefaultToolBars() {
  if (!m_frame) return;
  DockMenuBar();
  std::vector<SECCustomToolBar*> made;
  for (const ToolBarDefinition& def : m_defs) {
    SECCustomToolBar* tb = NewToolBar(def.id, def.title);
    if (!tb) break;  // earlier bars stay
    tb->SetButtons(def.buttons);
    tb->EnableDocking(def.alignStyle);
    SECCustomToolBar* beside = def.dockNextTo ? GetToolBar(def.dockNextTo) : nullptr;
    SECDockBar* dock = m_frame->GetDockBar(def.dockBarId);
    int row = 0, column = 0, thickness = 0;
    if (beside && dock && beside->DockBar() == dock && dock->Model().GetBarRowInfo(&beside->State(), &row, &column, &thickness)) {
      const bool horz = def.dockBarId == AFX_IDW_DOCKBAR_TOP || def.dockBarId == AFX_IDW_DOCKBAR_BOTTOM;
      const int length = horz ? tb->State().szHorz.cx : tb->State().szVert.cy;
      m_frame->DockControlBarEx(tb, DockPosition{row, column + 1, 0}, def.dockBarId, DockSizeInfo{1.0f, length});
      if (horz) tb->State().szHorz.cx = length;
      else tb->State().szVert.cy = length;
      tb->RecalcSizes();
    } else {
      m_frame->DockControlBar(tb, dock);
    }
    made.push_back(tb);
  }
  for (std::size_t i = 0; i < made.size(); ++i) {
    const ToolBarDefinition& def = m_defs[i];
    if (!def.visible) m_frame->ShowControlBar(made[i], false, false);
    if (!def.docked) m_frame->FloatControlBar(made[i], m_frame->mapToGlobal(QPoint(100, 100)), CBRS_ALIGN_TOP);
  }
  m_frame->RecalcLayout();
}

void SECToolBarManager::AttachToolBars() {
  bool any = false;
  for (SECCustomToolBar* tb : ToolBars()) {
    if (tb == m_menuBar) continue;
    any = true;
    if (tb->Manager() != this) tb->SetManager(this);
    tb->update();
  }
  if (!any) CreateDefaultToolBars();
}

SECCustomToolBar* SECToolBarManager::CreateUserToolBar(const std::string& title) {
  std::vector<unsigned> used;
  if (m_frame)
    for (SECControlBar* b : m_frame->ControlBars()) used.push_back(b->BarId());
  const unsigned id = NextUserToolBarId(used);
  if (!id || !m_frame) return nullptr;
  const std::string name = title.empty() ? "Toolbar" + std::to_string(id - (kFirstUserToolBarId - 1)) : title;
  return NewToolBar(id, name);
}

bool SECToolBarManager::ResetToolBar(SECCustomToolBar* bar) {
  std::vector<unsigned> ids;
  if (!bar || !GetDefaultButtons(bar->BarId(), &ids)) return false;
  bar->SetButtons(ids);
  if (m_frame) m_frame->RecalcLayout();
  return true;
}

bool SECToolBarManager::DestroyUserToolBar(SECCustomToolBar* bar) {
  if (!bar || bar->BarId() < kFirstUserToolBarId || bar->BarId() >= kMenuBarId) return false;
  ToolBarClosing(bar);
  if (SECMDIFrameWnd* f = bar->DockSite()) {
    f->RemoveControlBar(bar);
    f->RecalcLayout();
  }
  bar->hide();
  bar->deleteLater();
  return true;
}

SECCustomToolBar* SECToolBarManager::FindToolBarAt(const QRect& screenRect) const {
  SECCustomToolBar* docked = nullptr;
  for (SECCustomToolBar* tb : ToolBars()) {
    if (!tb->isVisible()) continue;
    QWidget* w = tb->IsFloating() && tb->window() != m_frame ? tb->window() : tb;
    const QRect r(w->mapToGlobal(QPoint(0, 0)), w->size());
    if (!r.intersects(screenRect)) continue;
    if (tb->IsFloating()) return tb;  // floating windows lie above docked bars
    if (!docked) docked = tb;
  }
  return docked;
}

QWidget* SECToolBarManager::CustomizeDialog() const { return qobject_cast<QWidget*>(m_customizeDialog.data()); }

void SECToolBarManager::SetCustomizeMode(bool on, QWidget* dialog) {
  m_customizeDialog = on ? dialog : nullptr;
  if (m_customize == on) return;
  m_customize = on;
  for (SECCustomToolBar* tb : ToolBars()) tb->SetCustomizeMode(on);
}

void SECToolBarManager::SetSelectionOwner(SECCustomToolBar* bar) {
  if (m_selOwner && m_selOwner != bar) {
    for (SECCustomToolBar* tb : ToolBars())
      if (tb == m_selOwner) tb->ClearSelection();
  }
  m_selOwner = bar;
}

void SECToolBarManager::ToolBarClosing(SECCustomToolBar* bar) {
  if (m_selOwner == bar) m_selOwner = nullptr;
}

void SECToolBarManager::SaveState(SettingsStore& store, const std::string& profile) const {
  SaveToolBarManagerSettings(store, profile, m_settings);
}

void SECToolBarManager::LoadState(const SettingsStore& store, const std::string& profile) {
  ToolBarManagerSettings s = m_settings;
  LoadToolBarManagerSettings(store, profile, &s);
  EnableToolTips(s.toolTips);
  EnableCoolLook(s.coolLook);
  EnableLargeButtons(s.largeButtons);
  AttachToolBars();
}

bool SECToolBarManager::SaveStateToNode(SECPersistentTreeNode* parent) const {
  return SaveToolBarManagerNode(parent, m_settings);
}

bool SECToolBarManager::LoadStateFromNode(const SECPersistentTreeNode* parent) {
  ToolBarManagerSettings s;
  LoadToolBarManagerNode(parent, &s);
  EnableToolTips(s.toolTips);
  EnableCoolLook(s.coolLook);
  EnableLargeButtons(s.largeButtons);
  AttachToolBars();
  return parent != nullptr;
}

void SECToolBarManager::SaveBarState(SettingsStore& store, const std::string& profile) const {
  if (m_frame) m_frame->SaveBarState(store, profile);
  SaveState(store, profile);
}

void SECToolBarManager::LoadBarState(SettingsStore& store, const std::string& profile) {
  if (m_frame) m_frame->LoadBarState(store, profile);
  LoadState(store, profile);
  DockMenuBar();
}

void SECToolBarManager::DockMenuBar() {
  // A menu bar in the frame's command slot stays there.
  if (m_frame && m_menuBar && !m_menuBar->DockBar() && m_frame->CommandBar() != m_menuBar)
    m_frame->DockControlBar(m_menuBar, m_frame->GetDockBar(AFX_IDW_DOCKBAR_TOP));
}

std::unique_ptr<ControlBarInfoEx> SECToolBarManager::CreateInfoEx() {
  return std::make_unique<SECCustomToolBarInfoEx>();
}

SECControlBar* SECToolBarManager::CreateBar(const std::string& className) {
  if (className == "SECCustomToolBar") {
    // The frame creates and docks it; the saved record restores its buttons.
    auto* tb = new SECCustomToolBar(this);
    return tb;
  }
  return nullptr;
}

}  // namespace pm2
