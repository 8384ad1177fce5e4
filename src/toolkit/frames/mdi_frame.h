#pragma once
// SECMDIFrameWnd: the docking MDI main frame. The top-level widget lays out
// itself: a command bar slot at the top, the status bar slot at the bottom,
// the four dock bars (top and bottom across the whole width, left and right
// between them) and the MDI client in what is left. Bars float in floating
// frames or as windows inside the MDI client. Commands go to the active bar
// child, then the active MDI child, then the workspace hook, then the
// frame's own handlers.

#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/commands.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/docking/frame_layout.h"
#include "toolkit/docking/workbook_layout.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace pm2 {

class SECControlBar;
class SECDockBar;
class SECMDIChildWnd;
class SECMiniDockFrameWnd;
class MaxChildCaptionButtons;
class SettingsStore;

// The icon of a window that holds a bar without an icon of its own.
QIcon BarWindowIcon();

class SECMDIFrameWnd : public QWidget, public CommandTarget, public DockStateFrame {
 public:
  explicit SECMDIFrameWnd(QWidget* parent = nullptr);
  ~SECMDIFrameWnd() override;

  // Slots for the command bar (menus and toolbars) and the status bar: any
  // widget, laid out at the top and at the bottom. The frame does not own a
  // widget it is given beyond Qt's parenting.
  void SetCommandBar(QWidget* bar);
  QWidget* CommandBar() const { return m_commandBar; }
  void SetStatusBar(QWidget* bar);
  QWidget* StatusBar() const { return m_statusBar; }
  QMdiArea* MdiClient() const { return m_mdi; }
  // The buttons of a maximised document window, in the menu row.
  MaxChildCaptionButtons* MaxChildButtons() const { return m_maxChildButtons; }
  // The dockable frame that holds the activation instead of a document
  // window (null when a document window is active).
  CommandTarget* ActiveBarChild() const { return m_activeBarChild; }

  // Creates the dock bars of the requested sides (CBRS_ALIGN_ bits).
  void EnableDocking(std::uint32_t dockStyle);
  SECDockBar* GetDockBar(unsigned id) const;
  SECDockBar* DockBarFor(DockSide side) const;

  void AddControlBar(SECControlBar* bar);
  void RemoveControlBar(SECControlBar* bar);
  const std::vector<SECControlBar*>& ControlBars() const { return m_bars; }
  // Every shown bar updates its controls from the command states.
  void UpdateControlBars();
  SECControlBar* GetControlBar(unsigned id) const;

  // Docking. Without a dock bar the side whose alignment equals the bar's
  // is taken; a screen rectangle places the bar where it was dropped.
  void DockControlBar(SECControlBar* bar, SECDockBar* dockBar = nullptr, const QRect* screenRect = nullptr,
                      QPoint screenPoint = {});
  void DockControlBarEx(SECControlBar* bar, const DockPosition& pos, unsigned dockBarId, const DockSizeInfo& size);
  void DockControlBarEx(SECControlBar* bar, unsigned dockBarId, int pos1, int pos2, float share, int length);
  void FloatControlBar(SECControlBar* bar, QPoint screenPoint, std::uint32_t style);
  void FloatControlBarInMDIChild(SECControlBar* bar, QPoint clientPoint, std::uint32_t style);
  void ShowControlBar(SECControlBar* bar, bool show, bool delay);
  unsigned GetNextDockPosition(DockPosition* pos, DockSizeInfo* size) { return m_dockOrder.Next(pos, size); }
  // Removes the bar from its dock bar (leaving a held place when asked)
  // or from its floating window.
  void DetachBar(SECControlBar* bar, bool holdPlace);
  const std::vector<SECMiniDockFrameWnd*>& FloatingFrames() const { return m_floating; }
  void ForgetFloatingFrame(SECMiniDockFrameWnd* f);
  // Hides or removes the window of a floating dock bar as its bars require.
  void SettleFloatingHost(SECDockBar* d);
  virtual SECMDIChildWnd* CreateFloatingMDIChild(std::uint32_t style, SECControlBar* bar);
  // The screen area a floating frame must stay reachable in.
  virtual QRect WorkArea() const;

  virtual void RecalcLayout();
  // What the bars leave for the MDI client and the tab row.
  QRect ClientLayoutRect() const { return m_rectLayout; }
  virtual ClientMargins ClientMarginsNow() const { return {}; }

  // Commands: routed in the frame's order.
  bool RouteCommand(CommandId id);
  CommandState QueryCommandState(CommandId id);
  void SetActiveBarChild(CommandTarget* t) { m_activeBarChild = t; }
  void SetWorkspaceHook(CommandTarget* t) { m_workspaceHook = t; }
  // The workspace manager the frame's commands go through (its own).
  virtual CommandTarget* WorkspaceHook() const { return m_workspaceHook; }

  // The message line: the frame hands texts (a hint while a bar is dragged,
  // the idle prompt afterwards) to whoever shows them, usually the status bar.
  void SetMessageHandler(std::function<void(const std::string&)> f) { m_messageHandler = std::move(f); }
  void ShowMessageString(unsigned id);
  // The prompt of a menu item or toolbar button under the mouse, from the
  // prompt source; 0 (or a command without a prompt) shows the idle prompt.
  void SetPromptSource(std::function<std::string(unsigned)> f) { m_promptSource = std::move(f); }
  void ShowCommandPrompt(unsigned id);
  // The same from a bar: the main frame of `inside` (a floating bar's frame
  // is owned by it) shows the prompt.
  static void ShowCommandPromptFrom(QWidget* inside, unsigned id);

  // Called with the menu resource id of the active document window, or -1
  // for the frame's own menu (no document window, or one without a menu).
  void SetMenuSelector(std::function<void(int)> f) { m_menuSelector = std::move(f); }
  int CurrentMenu() const { return m_currentMenu; }
  // A window that is not an MDI child (a dockable frame) shows its menu.
  void SelectMenu(int menu) {
    if (menu == m_currentMenu) return;
    m_currentMenu = menu;
    if (m_menuSelector) m_menuSelector(menu);
  }

  // The bar context menu: greys Allow Docking for a bar inside the main
  // window and offers Float In Main Window.
  virtual void OnBarContextMenu(SECControlBar* bar, QMenu* menu);

  // Dock state.
  bool GetDockState(SECDockState& state) const override;
  bool SetDockState(SECDockState& state) override;
  void LoadBarState(SettingsStore& store, const std::string& profile);
  void SaveBarState(SettingsStore& store, const std::string& profile) const;
  // The source of the records' extensions (the toolbar manager, later).
  void SetControlBarManager(ControlBarInfoExSource* m) { m_infoExSource = m; }
  ControlBarInfoExSource* GetControlBarManager() const { return m_infoExSource; }
  // Makes bars a stored state names by class but the frame lacks.
  using BarFactory = std::function<SECControlBar*(const std::string& className)>;
  void SetBarFactory(BarFactory f) { m_barFactory = std::move(f); }
  SECControlBar* CreateDynamicBar(const std::string& className, const std::string& title, std::uint32_t style,
                                  std::uint32_t exStyle, unsigned id);
  const std::vector<SECControlBar*>& DynamicBars() const { return m_dynamicBars; }

  // Close order: the close hook may refuse (the application asks its
  // questions and saves its state there), then every MDI child must agree.
  void SetCloseHook(std::function<bool()> f) { m_closeHook = std::move(f); }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void paintEvent(QPaintEvent*) override;
  virtual void PlaceMdiClient(const QRect& area);
  // Tells the document windows that the frame is going away, before its
  // parts are destroyed (they may still see events while Qt deletes them).
  void DetachChildren();

  QMdiArea* m_mdi = nullptr;
  QRect m_rectLayout;

 private:
  QWidget* m_commandBar = nullptr;
  QWidget* m_statusBar = nullptr;
  MaxChildCaptionButtons* m_maxChildButtons = nullptr;
  SECDockBar* m_dockBars[4] = {};
  std::vector<SECControlBar*> m_bars;
  std::vector<SECMiniDockFrameWnd*> m_floating;
  std::vector<SECControlBar*> m_dynamicBars;
  DockOrder m_dockOrder;
  MdiCascade m_cascade;
  CommandTarget* m_activeBarChild = nullptr;
  CommandTarget* m_workspaceHook = nullptr;
  BarFactory m_barFactory;
  std::function<bool()> m_closeHook;
  bool m_inLayout = false;
  std::function<void(int)> m_menuSelector;
  int m_currentMenu = -1;
  bool m_layoutPending = false;
  ControlBarInfoExSource* m_infoExSource = nullptr;
  std::function<void(const std::string&)> m_messageHandler;
  std::function<std::string(unsigned)> m_promptSource;
  void OnChildActivated(QMdiSubWindow* w);
};

}  // namespace pm2
