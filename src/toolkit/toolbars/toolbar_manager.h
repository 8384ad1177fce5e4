#pragma once
// SECToolBarManager: the frame's toolbars as one family. It keeps the
// definitions of the default toolbars, the button map that turns some
// commands into window buttons, the shared bitmap manager and the switches
// tool tips, cool look and large buttons; it creates the default toolbars
// (and the menu bar's dock place), user toolbars, finds the toolbar under a
// dropped button, and saves and restores its switches and, through the dock
// state, every toolbar's title and buttons.
//
// The main frame calls, in order: the constructor, LoadToolBarResource,
// SetButtonMap, DefineDefaultToolBar for each default bar, then
// LoadBarState (which creates the default toolbars on a first run).

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/docking/bar_styles.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/toolbars/button_host.h"
#include "toolkit/toolbars/resource_module.h"
#include "toolkit/toolbars/std_btn.h"
#include "toolkit/toolbars/toolbar_state.h"

namespace pm2 {

class SECBmpMgr;
class SECControlBar;
class SECCustomToolBar;
class SECMDIFrameWnd;
class SettingsStore;
class SECPersistentTreeNode;

// The main frame's default toolbars.
constexpr unsigned kFileToolBarId = 0xE800, kDebugToolBarId = 0xE805, kBuildToolBarId = 0xE806;

struct ToolBarDefinition {
  unsigned id = 0;
  std::string title;
  std::vector<unsigned> buttons;  // 0 a separator
  std::uint32_t alignStyle = CBRS_ALIGN_ANY;
  unsigned dockBarId = AFX_IDW_DOCKBAR_TOP;
  unsigned dockNextTo = 0;  // a defined bar to dock beside, 0 none
  bool docked = true;
  bool visible = true;
};

// One row of a button map: which button class a command gets, its style and
// the window button's control (id, style, width, minimum width, height).
struct ToolBarButtonMapEntry {
  const SECButtonClass* buttonClass = nullptr;
  unsigned id = 0;
  std::uint32_t style = 0;
  unsigned controlId = 0;
  std::uint32_t controlStyle = 0;
  int width = 0, minWidth = 0, height = 0;
};

class SECToolBarManager : public ControlBarInfoExSource {
 public:
  // `module` serves the toolbar images and must outlive the manager.
  SECToolBarManager(SECMDIFrameWnd* frame, const ResourceModule& module);
  ~SECToolBarManager() override;
  SECToolBarManager(const SECToolBarManager&) = delete;
  SECToolBarManager& operator=(const SECToolBarManager&) = delete;

  // Null once the frame is being destroyed.
  SECMDIFrameWnd* Frame() const { return m_frame; }
  SECBmpMgr* BmpMgr() const { return m_bmpMgr; }

  bool LoadToolBarResource(unsigned id, unsigned largeId = 0);
  void DefineDefaultToolBar(ToolBarDefinition def);
  const std::vector<ToolBarDefinition>& Definitions() const { return m_defs; }
  bool GetDefaultButtons(unsigned barId, std::vector<unsigned>* ids) const;
  void SetButtonMap(std::vector<ToolBarButtonMapEntry> map) { m_btnMap = std::move(map); }
  const ToolBarButtonMapEntry* FindButtonMapEntry(unsigned id) const;
  // Tip text of a command (the part after a newline of its string, when the
  // source gives one in that form).
  void SetTipSource(std::function<std::string(unsigned)> f) { m_tips = std::move(f); }
  std::string TipText(unsigned id) const;
  // The description of a command: the part of its string before a newline.
  std::string DescriptionText(unsigned id) const;

  // Notifications of every toolbar's buttons (window buttons' created and
  // Enter codes, drop-down buttons) that the toolbar itself does not take.
  std::function<void(const ToolbarNotify&)> onNotify;

  // Switches; each applies to every toolbar at once.
  void EnableToolTips(bool on);
  void EnableCoolLook(bool on);
  void EnableLargeButtons(bool on);
  const ToolBarManagerSettings& Settings() const { return m_settings; }
  std::uint32_t BarStyle() const;
  std::uint32_t ToolBarFlags() const { return m_settings.coolLook ? 0x300u : 0u; }

  // The menu bar docks first, in a row of its own (InstallMenuBar).
  void SetMenuBar(SECCustomToolBar* bar) { m_menuBar = bar; }
  SECCustomToolBar* MenuBar() const { return m_menuBar.data(); }

  void CreateDefaultToolBars();
  // Adopts the toolbars the frame has; makes the defaults when it has none.
  void AttachToolBars();
  // A new empty user toolbar with the next free id (null when none is left),
  // titled `title` or "Toolbar<n>".
  SECCustomToolBar* CreateUserToolBar(const std::string& title = {});
  SECCustomToolBar* GetToolBar(unsigned id) const;
  // A predefined toolbar gets its default buttons back (false for a bar
  // without a definition); a user toolbar is destroyed (false for others).
  bool ResetToolBar(SECCustomToolBar* bar);
  bool DestroyUserToolBar(SECCustomToolBar* bar);
  std::vector<SECCustomToolBar*> ToolBars() const;
  // The visible toolbar a dropped rectangle falls on: a floating one before
  // a docked one.
  SECCustomToolBar* FindToolBarAt(const QRect& screenRect) const;
  // Every button showing `id` on every toolbar.
  std::vector<SECStdBtn*> ButtonsWithId(unsigned id) const;

  // `dialog`: the customise dialog while it is open (a button dropped back
  // on it does nothing).
  void SetCustomizeMode(bool on, QWidget* dialog = nullptr);
  QWidget* CustomizeDialog() const;
  bool IsCustomizing() const override { return m_customize; }
  // The toolbar holding the customise selection (one at a time).
  void SetSelectionOwner(SECCustomToolBar* bar);

  // Profile form of the switches ("<profile>-ToolBarManager"); loading ends
  // by adopting the toolbars (or creating the defaults).
  void SaveState(SettingsStore& store, const std::string& profile) const;
  void LoadState(const SettingsStore& store, const std::string& profile);
  // Tree-node form ("ToolBarMgr" under `parent`), for workspaces; loading
  // ends like LoadState.
  bool SaveStateToNode(SECPersistentTreeNode* parent) const;
  bool LoadStateFromNode(const SECPersistentTreeNode* parent);
  // The dock state with every toolbar's buttons, then the switches.
  void SaveBarState(SettingsStore& store, const std::string& profile) const;
  void LoadBarState(SettingsStore& store, const std::string& profile);

  // ControlBarInfoExSource: every record gets room for a toolbar's form.
  std::unique_ptr<ControlBarInfoEx> CreateInfoEx() override;
  // Makes a toolbar a saved state names but the frame lacks (its class is
  // "SECCustomToolBar"); null for other classes.
  SECControlBar* CreateBar(const std::string& className);
  // A toolbar removed itself (its last button went).
  void ToolBarClosing(SECCustomToolBar* bar);

 private:
  SECCustomToolBar* NewToolBar(unsigned id, const std::string& title);
  void DockMenuBar();

  // Either may go first: the frame (taking its bars) or the manager. The
  // frame's destroyed signal clears the pointer before the frame is gone.
  SECMDIFrameWnd* m_frame;
  QMetaObject::Connection m_frameWatch;
  SECBmpMgr* m_bmpMgr;
  std::vector<ToolBarDefinition> m_defs;
  std::vector<ToolBarButtonMapEntry> m_btnMap;
  std::function<std::string(unsigned)> m_tips;
  ToolBarManagerSettings m_settings;
  bool m_customize = false;
  QPointer<QObject> m_customizeDialog;
  QPointer<SECCustomToolBar> m_selOwner;
  QPointer<SECCustomToolBar> m_menuBar;
};

}  // namespace pm2
