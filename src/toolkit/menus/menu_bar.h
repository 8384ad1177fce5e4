#pragma once
// SECMenuBar: the frame's menu drawn as a toolbar (our own control bar, not
// a QMenuBar). Every top-level item of the listed menu resources is a text
// button; the bar shows the buttons of the current resource, which follows
// the active document window (the frame's own menu when none is active).
// A press on a title, Alt+mnemonic, or Down/Return in keyboard menu mode
// drops its popup (a QMenu with the toolkit's bitmap-menu look) down under
// it. While a popup is open, an event filter on it moves to the next title
// with Left/Right, switches popups when the mouse moves onto another title
// and closes it on a click on its own title; an event filter on the
// application gives Alt, F10 and the keys of keyboard menu mode to the bar.
// The logic itself is MenuTracker's; the rows MenuBarModel's.

#include <QElapsedTimer>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/menus/child_caption_model.h"
#include "toolkit/menus/menu_bar_model.h"
#include "toolkit/menus/menu_tracker.h"
#include "toolkit/toolbars/custom_toolbar.h"

class QKeyEvent;
class QMdiArea;
class QMdiSubWindow;
class QPainter;
class QMenu;

namespace pm2 {

class SECBmpMenuPlugIn;

class SECMenuBar : public SECCustomToolBar {
 public:
  // `tables` holds the menus and must outlive the bar.
  SECMenuBar(SECToolBarManager* manager, SECBmpMgr* bmp, const ResourceTables& tables);
  ~SECMenuBar() override;
  std::string ClassName() const override { return "SECMenuBar"; }

  // Builds the buttons of every listed menu resource; false when none has
  // any item.
  bool SetMenuInfo(const std::vector<unsigned>& ids, std::string* err = nullptr);
  // Shows the buttons of a listed resource; false (nothing changes) for
  // another.
  bool SelectMenu(unsigned resource);
  void ShowMenu(unsigned flag);
  unsigned FrameMenu() const { return m_frameMenu; }
  const MenuBarModel& Model() const { return m_model; }
  const MenuTracker& Tracker() const { return m_tracker; }
  // The button of the first visible title with that mnemonic, else -1.
  int FindMnemonic(char c) const { return m_tracker.FindMnemonic(c); }
  void ResetButtons();

  // Popups.
  void OpenPopup(int index, bool byKeyboard);
  QMenu* OpenMenu() const;
  // The main window's window menu while Alt+Space holds it open.
  QMenu* FrameWindowMenu() const;
  int OpenIndex() const { return m_openIndex; }
  QMenu* PopupFor(int index);
  void CancelMenu();

  bool AcceptsDrop() const override { return false; }
  void OpenButtonPopup(SECStdBtn& button, unsigned menu1, unsigned menu2) override;
  void OnSetBarInfoEx(const ControlBarInfo& info, SECMDIFrameWnd* frame) override;
  // The menus never go away: the bar cannot be hidden, and floating it
  // gives a frame without a close button.
  bool CanHide() override { return false; }
  void OnBarFloat() override;

  // The application-wide filter the frame routes its keys through.
  void AttachToApplication();
  // A maximised document window gives the bar its buttons: its icon at the
  // left (a press opens its system menu, a double-click closes it) and its
  // minimise, restore and close parts at the right. The bar follows the
  // active window of `client`; the window itself then draws no caption.
  void FollowMdiChildren(QMdiArea* client);
  // Shows the buttons when the active child is maximised and has a system
  // menu (and `forceHide` is not set), else hides them; true when that
  // changed anything.
  bool SetMaxChildState(bool forceHide = false);
  bool ChildButtonsShown() const { return m_childShown; }
  QMdiSubWindow* ActiveChild() const;
  const ChildCaptionButtons& ChildCaption() const { return m_caption; }
  // Both in the bar's coordinates; empty while the buttons are hidden.
  QRect ChildIconRect() const;
  QRect ChildCaptionRect() const;

  // F10 enters the keyboard menu mode unless this answers true (the
  // shortcut table binds F10 to a command, as the IDE's Step Over).
  void SetF10Bound(std::function<bool()> f) { m_f10Bound = std::move(f); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  Rect InsideMargins() const override;
  Rect ExtraMargins(bool vertical) const override;

 private:
  void SetActiveChild(QMdiSubWindow* child);
  void RunChildCommand(ChildCommand cmd);
  void OpenChildSystemMenu();
  // The maximised document's window menu as a popup of the bar (Alt+-, or
  // Left from the first title); the main window's own (Alt+Space).
  void OpenWindowMenu(bool byKeyboard);
  void OpenFrameWindowMenu();
  void PaintChildButtons(QPainter& p) const;
  // Where a popup of an item of the bar (in the bar's coordinates) opens.
  QPoint PopupPoint(const QRect& item, int popupWidth) const;
  QPoint ChildMenuPoint(const QMenu* menu) const;
  bool FilterPopup(QMenu* menu, QEvent* event);
  bool FilterApplication(QObject* watched, QEvent* event);
  bool FilterKey(QKeyEvent* k);
  void PopupHidden(QMenu* menu);
  void SwitchTo(int index, bool byKeyboard);
  void ShowTrackerState();
  void SyncTracker();
  void UpdatePopup(QMenu* menu);
  bool OwnsEvent(QObject* watched) const;

  const ResourceTables& m_tables;
  MenuBarModel m_model;
  MenuTracker m_tracker;
  unsigned m_frameMenu = 0;
  // Held as widgets: a pointer to a menu being destroyed is only ever a
  // widget there.
  std::map<int, QPointer<QWidget>> m_popups;  // by model row
  std::unique_ptr<SECBmpMenuPlugIn> m_bmpMenus;
  QPointer<QWidget> m_openMenu;
  QElapsedTimer m_openedByMouse;  // since a click opened the menu; invalid for a key
  int m_openIndex = -1;
  int m_switchTo = -1;
  QPointer<QWidget> m_frameWindowMenu;  // while the main window's menu is open
  bool m_switchByKeyboard = false;
  PopupEnd m_endReason = PopupEnd::Outside;
  bool m_appFilter = false;
  std::function<bool()> m_f10Bound;
  // The maximised child's buttons. The child is held as a widget (it gets
  // events while being destroyed, when it is only a widget any more);
  // ActiveChild() is the sub-window, null once that destruction has begun.
  QPointer<QWidget> m_child;
  ChildCaptionButtons m_caption;
  bool m_childShown = false;
  // A key event the bar lets pass climbs the parents through the filter
  // again; the last one passed is remembered so that it counts once.
  struct SeenKey {
    const QEvent* event = nullptr;
    int type = 0, key = 0;
    unsigned modifiers = 0;
    unsigned long stamp = 0;
    friend bool operator==(const SeenKey&, const SeenKey&) = default;
  } m_lastPassed;
};

// Where the menu bar lives: the frame's command line across its whole width
// above the dock bars, or docked in a row of its own at the top like any
// bar, to be dragged, floated and docked on any side (the IDE's choice).
enum class MenuBarPlace { CommandSlot, Docked };

// Makes the frame's menu bar: listed menus `menuIds` (the first is the
// frame's own), following the active document window, with its keys routed
// through the application. With a manager the bar shares its images and is
// adopted by it. Null, with `err`, when no listed menu has an item.
SECMenuBar* InstallMenuBar(SECMDIFrameWnd* frame, const ResourceTables& tables, const std::vector<unsigned>& menuIds,
                           SECToolBarManager* manager = nullptr, MenuBarPlace place = MenuBarPlace::CommandSlot,
                           std::string* err = nullptr);

}  // namespace pm2
