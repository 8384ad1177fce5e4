#include "toolkit/menus/menu_bar.h"

#include "toolkit/dockable/max_child_buttons.h"

#include <QApplication>
#include <algorithm>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/dock_bar.h"
#include "toolkit/frames/mdi_frame.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/menus/bmp_menu.h"
#include "toolkit/menus/menu_builder.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/tb_menu_btn.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {
namespace {

// Keys of the keyboard menu mode, by table.
struct NavKeyRow {
  int key;
  MenuKey nav;
};
constexpr NavKeyRow kNavKeys[] = {{Qt::Key_Left, MenuKey::Left},     {Qt::Key_Right, MenuKey::Right},
                                  {Qt::Key_Down, MenuKey::Down},     {Qt::Key_Return, MenuKey::Return},
                                  {Qt::Key_Enter, MenuKey::Return},  {Qt::Key_Escape, MenuKey::Escape}};

const MenuKey* NavKeyOf(int key) {
  for (const NavKeyRow& r : kNavKeys)
    if (r.key == key) return &r.nav;
  return nullptr;
}

// The mnemonic character a key stands for, 0 for none.
char KeyChar(const QKeyEvent* e) {
  const int k = e->key();
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return char(k);
  return 0;
}

void SelectFirstItem(QMenu* menu) {
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->isEnabled() && a->isVisible()) {
      menu->setActiveAction(a);
      return;
    }
}

}  // namespace

SECMenuBar::SECMenuBar(SECToolBarManager* manager, SECBmpMgr* bmp, const ResourceTables& tables)
    : SECCustomToolBar(manager, bmp), m_tables(tables) {
  m_dwLockFlags = 1;  // titles never leave the menu bar
  m_bmpMenus = std::make_unique<SECBmpMenuPlugIn>(ToolkitResourceModule());
  if (BmpMgr()) m_bmpMenus->SetBmpMgr(BmpMgr());
}

SECMenuBar::~SECMenuBar() {
  if (m_appFilter) qApp->removeEventFilter(this);
  for (auto& [row, menu] : m_popups) delete menu.data();
}

bool SECMenuBar::SetMenuInfo(const std::vector<unsigned>& ids, std::string* err) {
  for (auto& [row, menu] : m_popups) delete menu.data();
  m_popups.clear();
  const bool ok = m_model.SetMenuInfo(m_tables, ids, err);
  if (!ids.empty() && !m_frameMenu) m_frameMenu = ids.front();
  if (ok && m_frameMenu) m_model.SelectMenu(m_frameMenu);
  ResetButtons();
  return ok;
}

void SECMenuBar::ResetButtons() {
  RemoveAllButtons();
  const auto& rows = m_model.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    auto b = std::make_unique<SECTBMenuBtn>();
    b->m_nID = rows[i].id;
    b->InitMenu(this, SECMenuBtnRow{unsigned(i), 0, rows[i].title, 0});
    m_btns.push_back(std::move(b));
  }
  ShowMenu(m_model.CurrentFlag());
}

void SECMenuBar::ShowMenu(unsigned flag) {
  m_model.ShowMenu(flag);
  for (int i = 0; i < ButtonCount(); ++i) {
    SECStdBtn* b = Button(i);
    if (m_model.IsVisible(i)) b->m_nStyle &= ~TBBS_HIDDEN;
    else b->m_nStyle |= TBBS_HIDDEN;
  }
  SyncTracker();
  Changed();
}

bool SECMenuBar::SelectMenu(unsigned resource) {
  if (!m_model.SelectMenu(resource)) return false;
  if (m_openMenu) m_openMenu->close();
  ShowMenu(m_model.CurrentFlag());
  return true;
}

void SECMenuBar::SyncTracker() {
  std::vector<MenuNavButton> nav;
  for (int i = 0; i < ButtonCount(); ++i)
    nav.push_back({m_model.Rows()[std::size_t(i)].mnemonic, m_model.IsVisible(i),
                   !(Button(i)->m_nStyle & TBBS_DISABLED)});
  m_tracker.SetButtons(std::move(nav));
}

void SECMenuBar::ShowTrackerState() {
  // The keyboard mode shows its title raised; an open popup presses it.
  const int hot = m_tracker.Mode() == MenuMode::Keyboard ? m_tracker.Hot() : -1;
  if (m_tracker.Mode() != MenuMode::Open) SetHot(hot);
  if (m_childShown) update(ChildIconRect().adjusted(-1, -1, 1, 1));
}

void SECMenuBar::CancelMenu() {
  m_tracker.Cancel();
  if (m_openMenu) m_openMenu->close();
  ShowTrackerState();
}

QMenu* SECMenuBar::OpenMenu() const { return qobject_cast<QMenu*>(m_openMenu.data()); }

QMenu* SECMenuBar::FrameWindowMenu() const { return qobject_cast<QMenu*>(m_frameWindowMenu.data()); }

// ---- popups ---------------------------------------------------------------------

void SECMenuBar::UpdatePopup(QMenu* menu) {
  SECMDIFrameWnd* f = DockSite();
  if (!f) return;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator() || a->menu()) continue;
    const unsigned id = a->data().toUInt();
    if (!id) continue;
    const CommandState s = f->QueryCommandState(id);
    a->setEnabled(s.enabled);
    a->setCheckable(s.check != 0);
    a->setChecked(s.check == 1);
    // The item's own label (without its key) is kept the first time, so
    // that an update that names no text (nothing selected, another
    // project) shows it again rather than what an earlier update made of
    // it. The key part is always the one the item shows now (a key may
    // have been assigned since).
    const char* const kOwnLabel = "pm2OwnLabel";
    const QString shown = a->text();
    const int tab = shown.indexOf('\t');
    const QString key = tab >= 0 ? shown.mid(tab) : QString();
    if (!a->property(kOwnLabel).isValid()) a->setProperty(kOwnLabel, tab >= 0 ? shown.left(tab) : shown);
    QString text = s.textSet ? ToQString(s.text) : a->property(kOwnLabel).toString() + key;
    // A text given without a key keeps the key the item shows.
    if (s.textSet && !text.contains('\t')) text += key;
    if (text != shown) a->setText(text);
  }
}

QMenu* SECMenuBar::PopupFor(int index) {
  if (index < 0 || index >= int(m_model.Rows().size())) return nullptr;
  const MenuBarRow& row = m_model.Rows()[std::size_t(index)];
  if (!row.IsPopup()) return nullptr;
  QPointer<QWidget>& slot = m_popups[index];
  if (auto* existing = qobject_cast<QMenu*>(slot.data())) return existing;
  auto* menu = new QMenu(this);
  FillQMenu(menu, row.entry->children);
  std::vector<QMenu*> all{menu};
  for (std::size_t k = 0; k < all.size(); ++k) {
    QMenu* m = all[k];
    QObject::connect(m, &QMenu::aboutToShow, this, [this, m] { UpdatePopup(m); });
    for (QAction* a : m->actions())
      if (a->menu()) all.push_back(a->menu());
  }
  QObject::connect(menu, &QMenu::triggered, this, [this](QAction* a) {
    m_endReason = PopupEnd::Command;
    const unsigned id = a->data().toUInt();
    // The popup is gone before the command runs (it may open a dialog).
    if (id) QTimer::singleShot(0, this, [this, id] { RunCommand(id); });
  });
  QObject::connect(menu, &QMenu::aboutToHide, this, [this, menu] { PopupHidden(menu); });
  m_bmpMenus->Track(menu);
  slot = menu;
  return menu;
}

void SECMenuBar::OpenButtonPopup(SECStdBtn& button, unsigned, unsigned) {
  // A click on a title: the tracker decides (a click on the open title
  // closes its popup).
  const int index = IndexOf(button);
  button.m_nStyle &= ~TBBS_PRESSED;
  const int open = m_tracker.Click(index);
  if (open >= 0) SwitchTo(open, false);
  else if (m_openMenu) m_openMenu->close();
  ShowTrackerState();
}

void SECMenuBar::SwitchTo(int index, bool byKeyboard) {
  if (m_openMenu) {
    // The open popup goes first; the next opens once it has.
    m_switchTo = index;
    m_switchByKeyboard = byKeyboard;
    m_openMenu->close();
    return;
  }
  OpenPopup(index, byKeyboard);
}

void SECMenuBar::OpenPopup(int index, bool byKeyboard) {
  if (index == MenuTracker::kWindowMenu) {
    OpenWindowMenu(byKeyboard);
    return;
  }
  if (index < 0 || index >= ButtonCount()) return;
  const MenuBarRow& row = m_model.Rows()[std::size_t(index)];
  if (!row.IsPopup()) {
    // A command on the bar itself.
    m_tracker.Cancel();
    ShowTrackerState();
    RunCommand(row.id);
    return;
  }
  QMenu* menu = PopupFor(index);
  if (!menu) return;
  SetHot(-1);
  SECStdBtn* b = Button(index);
  b->m_nStyle |= TBBS_PRESSED;
  b->Invalidate();
  m_openIndex = index;
  m_openMenu = menu;
  m_endReason = PopupEnd::Outside;
  if (byKeyboard)
    m_openedByMouse.invalidate();
  else
    m_openedByMouse.start();
  menu->installEventFilter(this);
  const QPoint at = PopupPoint(QRect(b->m_x, b->m_y, b->m_cx, b->m_cy), menu->sizeHint().width());
  repaint();
  menu->popup(at);
  if (byKeyboard) SelectFirstItem(menu);
}

QPoint SECMenuBar::PopupPoint(const QRect& item, int popupWidth) const {
  // Under the item; docked at a side, beside it, towards the documents.
  if (IsVerticalDock() && DockBar() && DockBar()->Side() == DockSide::Right)
    return mapToGlobal(QPoint(item.left() - popupWidth, item.top()));
  if (IsVerticalDock()) return mapToGlobal(QPoint(item.right() + 1, item.top()));
  return mapToGlobal(QPoint(item.left(), item.bottom() + 1));
}

void SECMenuBar::PopupHidden(QMenu* menu) {
  menu->removeEventFilter(this);
  if (menu != m_openMenu.data()) return;
  if (m_openIndex >= 0 && m_openIndex < ButtonCount()) {
    Button(m_openIndex)->m_nStyle &= ~TBBS_PRESSED;
    Button(m_openIndex)->Invalidate();
  }
  m_openMenu = nullptr;
  m_openIndex = -1;
  if (m_switchTo != -1) {
    const int to = m_switchTo;
    const bool kb = m_switchByKeyboard;
    m_switchTo = -1;
    QTimer::singleShot(0, this, [this, to, kb] {
      OpenPopup(to, kb);
      m_openedByMouse.invalidate();  // moved onto by the mouse, not clicked open
    });
    return;
  }
  m_tracker.PopupEnded(m_endReason);
  m_endReason = PopupEnd::Outside;
  ShowTrackerState();
}

bool SECMenuBar::FilterPopup(QMenu* menu, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(event);
      if (k->key() == Qt::Key_Escape) {
        m_endReason = PopupEnd::Escape;
        return false;  // the popup closes itself
      }
      if (k->key() == Qt::Key_Right) {
        QAction* a = menu->activeAction();
        if (a && a->menu()) return false;  // into the submenu
      }
      if (k->key() == Qt::Key_Left || k->key() == Qt::Key_Right) {
        const int next = m_tracker.Key(k->key() == Qt::Key_Left ? MenuKey::Left : MenuKey::Right);
        if (next != -1 && next != m_openIndex) SwitchTo(next, true);
        return true;
      }
      return false;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* m = static_cast<QMouseEvent*>(event);
      const QPoint local = mapFromGlobal(m->globalPosition().toPoint());
      if (!rect().contains(local)) return false;
      const int index = HitTestIndex(local);
      if (event->type() == QEvent::MouseMove) {
        const int next = m_tracker.Hover(index);
        if (next >= 0) SwitchTo(next, false);
        return false;
      }
      if (index < 0) return false;
      // The second press of a double click on the title that opened the
      // menu leaves it open.
      if (index == m_openIndex && m_openedByMouse.isValid() &&
          m_openedByMouse.elapsed() < QApplication::doubleClickInterval())
        return true;
      const int next = m_tracker.Click(index);
      if (next >= 0) {
        SwitchTo(next, false);
      } else {
        m_endReason = PopupEnd::Outside;
        menu->close();
      }
      return true;
    }
    default: return false;
  }
}

// ---- keys through the application ---------------------------------------------

void SECMenuBar::AttachToApplication() {
  if (m_appFilter) return;
  qApp->installEventFilter(this);
  m_appFilter = true;
}

bool SECMenuBar::OwnsEvent(QObject* watched) const {
  // The keys of the main window, of the floating frame that holds the bar
  // when it floats, and of the frames of the main window's other floating
  // bars: they belong to it (a toolbar's find box there is part of the
  // main window's keyboard, its menus' mnemonics included).
  auto* w = qobject_cast<QWidget*>(watched);
  SECMDIFrameWnd* site = DockSite();
  if (!w || !site || !isVisible()) return false;
  const QWidget* top = w->window();
  if (top == site || top == window()) return true;
  const auto& floating = site->FloatingFrames();
  return std::find(floating.begin(), floating.end(), top) != floating.end();
}

bool SECMenuBar::FilterApplication(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ShortcutOverride) {
    // A key that a shortcut of the window takes (a label's Alt mnemonic, a
    // button's) never arrives as a key press: Alt was used with it all the
    // same, and its release must not arm the menu bar.
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Alt && OwnsEvent(watched)) m_tracker.AltConsumed();
    return false;
  }
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress &&
      type != QEvent::WindowDeactivate)
    return false;
  if (QApplication::activePopupWidget() || !OwnsEvent(watched)) return false;
  if (type == QEvent::WindowDeactivate) {
    // Another window of the program taking the keyboard ends the mode (a
    // closing popup deactivates the frame only for a moment).
    if ((watched == DockSite() || watched == window()) && m_tracker.Mode() == MenuMode::Keyboard)
      QTimer::singleShot(0, this, [this] {
        QWidget* active = QApplication::activeWindow();
        if (active && active != DockSite() && active != window() && !QApplication::activePopupWidget()) CancelMenu();
      });
    return false;
  }
  if (type == QEvent::MouseButtonPress) {
    // Alt held through a click (an editor's column selection) was used with
    // the mouse: its release must not arm the menu bar.
    m_tracker.AltConsumed();
    if (m_tracker.Mode() == MenuMode::Keyboard && watched != this) CancelMenu();
    return false;
  }
  auto* k = static_cast<QKeyEvent*>(event);
  const SeenKey seen{event, int(type), k->key(), unsigned(k->modifiers()), k->timestamp()};
  if (seen == m_lastPassed) return false;
  m_lastPassed = seen;
  const bool taken = FilterKey(k);
  if (taken) m_lastPassed = SeenKey{};  // a taken key goes no further
  return taken;
}

bool SECMenuBar::FilterKey(QKeyEvent* k) {
  const QEvent::Type type = k->type();
  const Qt::KeyboardModifiers mods = k->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::MetaModifier);
  if (type == QEvent::KeyRelease) {
    if (k->key() == Qt::Key_Alt && !k->isAutoRepeat()) {
      m_tracker.AltUp();
      ShowTrackerState();
    }
    return false;
  }
  if (k->key() == Qt::Key_Alt) {
    if (mods == 0 && !k->isAutoRepeat()) m_tracker.AltDown();
    else m_tracker.AltConsumed();
    ShowTrackerState();
    return false;
  }
  m_tracker.AltConsumed();
  if ((k->modifiers() & Qt::AltModifier) && mods == 0) {
    // Alt+- opens the maximised document's window menu, Alt+Space the
    // main window's.
    if (k->key() == Qt::Key_Minus) {
      const int open = m_tracker.WindowMenu();
      if (open == -1) return false;
      OpenPopup(open, true);
      return true;
    }
    if (k->key() == Qt::Key_Space) {
      CancelMenu();
      OpenFrameWindowMenu();
      return true;
    }
    const char c = KeyChar(k);
    const int open = c ? m_tracker.Mnemonic(c) : -1;
    if (open < 0) return false;
    OpenPopup(open, true);
    return true;
  }
  if (k->key() == Qt::Key_F10 && k->modifiers() == Qt::NoModifier && !(m_f10Bound && m_f10Bound())) {
    m_tracker.F10();
    ShowTrackerState();
    return true;
  }
  if (m_tracker.Mode() != MenuMode::Keyboard) return false;
  if (const MenuKey* nav = NavKeyOf(k->key())) {
    const int open = m_tracker.Key(*nav);
    if (open != -1) OpenPopup(open, true);
    ShowTrackerState();
    return true;
  }
  if (const char c = KeyChar(k)) {
    const int open = m_tracker.Mnemonic(c);
    if (open >= 0) OpenPopup(open, true);
    return true;
  }
  return true;  // the keyboard belongs to the menu while the mode lasts
}

bool SECMenuBar::eventFilter(QObject* watched, QEvent* event) {
  if (m_child && watched == m_child.data()) {
    const QEvent::Type t = event->type();
    if (t == QEvent::WindowStateChange || t == QEvent::WindowIconChange || t == QEvent::Hide)
      QTimer::singleShot(0, this, [this] { SetMaxChildState(); });
    return false;
  }
  if (m_openMenu && watched == m_openMenu.data()) {
    if (auto* menu = qobject_cast<QMenu*>(m_openMenu.data())) return FilterPopup(menu, event);
    return false;
  }
  if (m_appFilter && FilterApplication(watched, event)) return true;
  return SECCustomToolBar::eventFilter(watched, event);
}

void SECMenuBar::mousePressEvent(QMouseEvent* e) {
  if (m_childShown && e->button() == Qt::LeftButton) {
    const QPoint pt = e->position().toPoint();
    if (ChildIconRect().contains(pt)) {
      if (m_tracker.Mode() == MenuMode::Keyboard) CancelMenu();
      OpenChildSystemMenu();
      return;
    }
    const int part = m_caption.HitTest({pt.x(), pt.y()}, FromQRect(ChildCaptionRect()));
    if (part >= 0) {
      m_caption.Press(part, !isEnabled());
      update(ChildCaptionRect());
      return;
    }
  }
  // A press on no title leaves the keyboard mode (and may drag the bar).
  if (HitTestIndex(e->position().toPoint()) < 0 && m_tracker.Mode() == MenuMode::Keyboard) CancelMenu();
  SECCustomToolBar::mousePressEvent(e);
}

// ---- a maximised child's buttons -------------------------------------------------

void SECMenuBar::FollowMdiChildren(QMdiArea* client) {
  if (!client) return;
  // The frame hosts the maximised child's caption (on this bar), so the
  // child draws none of its own.
  client->window()->setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar);
  QObject::connect(client, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) { SetActiveChild(w); });
  SetActiveChild(client->activeSubWindow());
}

QMdiSubWindow* SECMenuBar::ActiveChild() const { return qobject_cast<QMdiSubWindow*>(m_child.data()); }

void SECMenuBar::SetActiveChild(QMdiSubWindow* child) {
  if (child != m_child.data()) {
    if (m_child) m_child->removeEventFilter(this);
    m_child = child;
    if (child) child->installEventFilter(this);
  }
  SetMaxChildState();
}

namespace {
// The caption style of a child from its window hints: a window that names
// none has every box; one that does has those it names (a close button
// implies a system menu).
unsigned ChildStyleOf(const QWidget* w) {
  const Qt::WindowFlags f = w->windowFlags();
  const Qt::WindowFlags hints = Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
  if (!(f & hints)) return kChildSysMenu | kChildMinimizeBox | kChildMaximizeBox;
  unsigned bits = 0;
  if (f & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)) bits |= kChildSysMenu;
  if (f & Qt::WindowMinimizeButtonHint) bits |= kChildMinimizeBox;
  if (f & Qt::WindowMaximizeButtonHint) bits |= kChildMaximizeBox;
  return bits;
}
}  // namespace

bool SECMenuBar::SetMaxChildState(bool forceHide) {
  QMdiSubWindow* child = ActiveChild();
  const unsigned style = child ? ChildStyleOf(child) : 0;
  const bool show = !forceHide && child && child->isVisible() && child->isMaximized() && (style & kChildSysMenu);
  const bool changed = show != m_childShown || (show && style != m_caption.Style());
  if (!changed) {
    if (show) update(ChildIconRect());  // the icon may have changed
    return false;
  }
  m_childShown = show;
  m_tracker.SetWindowMenu(show);
  m_caption.Cancel();
  if (show) m_caption.SetStyle(style);
  // The bar grows by the buttons' room, or gives it back.
  Changed();
  update();
  return true;
}

// Docked at the left or right the document's icon sits above the titles
// and its caption buttons below them; else at the left and right ends.
QRect SECMenuBar::ChildIconRect() const {
  if (!m_childShown) return {};
  const Rect base = SECCustomToolBar::InsideMargins();
  if (IsVerticalDock()) return QRect((width() - kChildIconSize) / 2, base.top + 2, kChildIconSize, kChildIconSize);
  return QRect(base.left + 2, (height() - kChildIconSize) / 2, kChildIconSize, kChildIconSize);
}

QRect SECMenuBar::ChildCaptionRect() const {
  if (!m_childShown) return {};
  const Rect base = SECCustomToolBar::InsideMargins();
  const Size ext = m_caption.Extent();
  if (IsVerticalDock()) return QRect((width() - ext.cx) / 2, height() - base.bottom - 2 - ext.cy, ext.cx, ext.cy);
  return QRect(width() - base.right - 2 - ext.cx, (height() - ext.cy) / 2, ext.cx, ext.cy);
}

Rect SECMenuBar::ExtraMargins(bool vertical) const {
  if (!m_childShown) return {};
  if (vertical) return {0, kChildIconSize + 6, 0, m_caption.Extent().cy + 6};
  return {kChildIconSize + 6, 0, m_caption.Extent().cx + 6, 0};
}

Rect SECMenuBar::InsideMargins() const {
  Rect m = SECCustomToolBar::InsideMargins();
  const Rect extra = ExtraMargins(IsVerticalDock());
  return {m.left + extra.left, m.top + extra.top, m.right + extra.right, m.bottom + extra.bottom};
}

void SECMenuBar::RunChildCommand(ChildCommand cmd) {
  QPointer<QMdiSubWindow> child = ActiveChild();
  if (!child || cmd == ChildCommand::None) return;
  // Posted, as a system command is: the child may go away while it runs.
  QTimer::singleShot(0, this, [child, cmd] {
    if (!child) return;
    switch (cmd) {
      case ChildCommand::Minimize: child->showMinimized(); break;
      case ChildCommand::Restore: child->showNormal(); break;
      case ChildCommand::Close: child->close(); break;
      case ChildCommand::None: break;
    }
  });
}

QPoint SECMenuBar::ChildMenuPoint(const QMenu* menu) const {
  // A little below the icon, as the window's own icon opens it; docked at
  // a side, beside the bar, level with the icon.
  const QRect icon = ChildIconRect();
  if (IsVerticalDock()) return PopupPoint(QRect(0, icon.top(), width(), icon.height()), menu->sizeHint().width());
  return PopupPoint(icon.adjusted(0, 0, 0, 2), menu->sizeHint().width());
}

void SECMenuBar::OpenChildSystemMenu() {
  QMdiSubWindow* child = ActiveChild();
  if (!child) return;
  if (QMenu* menu = child->systemMenu()) menu->popup(ChildMenuPoint(menu));
}

void SECMenuBar::OpenWindowMenu(bool byKeyboard) {
  // The document's window menu opens as the titles' popups do, so that
  // Left and Right go on from it to the titles.
  QMdiSubWindow* child = ActiveChild();
  QMenu* menu = child && m_childShown ? child->systemMenu() : nullptr;
  if (!menu) {
    m_tracker.Cancel();
    ShowTrackerState();
    return;
  }
  SetHot(-1);
  m_openIndex = MenuTracker::kWindowMenu;
  m_openMenu = menu;
  m_endReason = PopupEnd::Outside;
  m_openedByMouse.invalidate();
  menu->installEventFilter(this);
  // Each opening hears its own end; the menu is the child's, opened by
  // its icon too.
  QObject::connect(menu, &QMenu::aboutToHide, this, [this, menu] { PopupHidden(menu); }, Qt::SingleShotConnection);
  menu->popup(ChildMenuPoint(menu));
  if (byKeyboard) SelectFirstItem(menu);
}

void SECMenuBar::OpenFrameWindowMenu() {
  QWidget* frame = window();
  if (!frame) return;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* restore = menu->addAction("&Restore", frame, [frame] { frame->showNormal(); });
  restore->setEnabled(frame->isMaximized() || frame->isMinimized());
  QAction* minimize = menu->addAction("Mi&nimize", frame, [frame] { frame->showMinimized(); });
  minimize->setEnabled(!frame->isMinimized());
  QAction* maximize = menu->addAction("Ma&ximize", frame, [frame] { frame->showMaximized(); });
  maximize->setEnabled(!frame->isMaximized());
  menu->addSeparator();
  QAction* close = menu->addAction("&Close\tAlt+F4", frame, [frame] { frame->close(); });
  menu->setDefaultAction(close);
  m_frameWindowMenu = menu;
  menu->popup(frame->mapToGlobal(QPoint(0, 0)));
  SelectFirstItem(menu);
}

void SECMenuBar::mouseMoveEvent(QMouseEvent* e) {
  if (m_caption.Pressed() >= 0) {
    const QPoint pt = e->position().toPoint();
    m_caption.Move(m_caption.HitTest({pt.x(), pt.y()}, FromQRect(ChildCaptionRect())));
    update(ChildCaptionRect());
    return;
  }
  SECCustomToolBar::mouseMoveEvent(e);
}

void SECMenuBar::mouseReleaseEvent(QMouseEvent* e) {
  if (m_caption.Pressed() >= 0) {
    const QPoint pt = e->position().toPoint();
    const ChildCommand cmd =
        e->button() == Qt::LeftButton ? m_caption.Release(m_caption.HitTest({pt.x(), pt.y()}, FromQRect(ChildCaptionRect())))
                                      : ChildCommand::None;
    update(ChildCaptionRect());
    RunChildCommand(cmd);
    return;
  }
  SECCustomToolBar::mouseReleaseEvent(e);
}

void SECMenuBar::mouseDoubleClickEvent(QMouseEvent* e) {
  // A double-click on the icon runs the system menu's default: close.
  if (m_childShown && e->button() == Qt::LeftButton && ChildIconRect().contains(e->position().toPoint())) {
    if (QMdiSubWindow* child = ActiveChild(); child && child->systemMenu()) child->systemMenu()->close();
    RunChildCommand(ChildCommand::Close);
    return;
  }
  if (m_childShown && ChildCaptionRect().contains(e->position().toPoint())) {
    mousePressEvent(e);  // a quick second click is a click
    return;
  }
  // The second press of a double click on a title is not a second click:
  // the menu the first one opened stays open.
  if (HitTestIndex(e->position().toPoint()) >= 0) return;
  SECCustomToolBar::mouseDoubleClickEvent(e);
}

void SECMenuBar::paintEvent(QPaintEvent* e) {
  SECCustomToolBar::paintEvent(e);
  if (!m_childShown) return;
  QPainter p(this);
  PaintChildButtons(p);
}

namespace {

// A caption part as the classic look draws it: a raised (or, pressed,
// sunken) button with its glyph.
void DrawCaptionPart(QPainter& p, const QRect& r, int part, bool pressed, bool enabled) {
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  const QColor outerTl = SysQColor(pressed ? SysColor::DkShadow3D : SysColor::Light3D);
  const QColor outerBr = SysQColor(pressed ? SysColor::BtnHighlight : SysColor::DkShadow3D);
  const QColor innerTl = SysQColor(pressed ? SysColor::BtnShadow : SysColor::BtnHighlight);
  const QColor innerBr = SysQColor(pressed ? SysColor::Light3D : SysColor::BtnShadow);
  const auto frame = [&](const QRect& f, const QColor& tl, const QColor& br) {
    p.setPen(tl);
    p.drawLine(f.left(), f.top(), f.right() - 1, f.top());
    p.drawLine(f.left(), f.top(), f.left(), f.bottom() - 1);
    p.setPen(br);
    p.drawLine(f.left(), f.bottom(), f.right(), f.bottom());
    p.drawLine(f.right(), f.top(), f.right(), f.bottom());
  };
  frame(r, outerTl, outerBr);
  frame(r.adjusted(1, 1, -1, -1), innerTl, innerBr);
  const int ox = r.left() + (pressed ? 1 : 0), oy = r.top() + (pressed ? 1 : 0);
  const auto glyph = [&](int dx, int dy, const QColor& c) {
    const int x = ox + dx, y = oy + dy;
    switch (part) {
      case 0:  // minimise: a bar at the bottom
        p.fillRect(x + 4, y + 9, 6, 2, c);
        break;
      case 1:  // restore: two windows, the front one lower left
        p.setPen(c);
        p.fillRect(x + 6, y + 2, 6, 2, c);
        p.drawLine(x + 11, y + 2, x + 11, y + 7);
        p.drawLine(x + 10, y + 7, x + 11, y + 7);
        p.drawLine(x + 6, y + 2, x + 6, y + 4);
        p.fillRect(x + 3, y + 5, 6, 2, c);
        p.drawRect(x + 3, y + 5, 5, 5);
        break;
      default:  // close: a cross two pixels wide
        p.setPen(c);
        for (int k = 0; k < 7; ++k) {
          p.drawLine(x + 4 + k, y + 3 + k, x + 5 + k, y + 3 + k);
          p.drawLine(x + 10 - k, y + 3 + k, x + 11 - k, y + 3 + k);
        }
        break;
    }
  };
  if (enabled) {
    glyph(0, 0, SysQColor(SysColor::BtnText));
  } else {
    glyph(1, 1, SysQColor(SysColor::BtnHighlight));
    glyph(0, 0, SysQColor(SysColor::GrayText));
  }
}

}  // namespace

void SECMenuBar::PaintChildButtons(QPainter& p) const {
  p.save();
  if (m_child) {
    QIcon icon = m_child->windowIcon();
    if (icon.isNull()) icon = BarWindowIcon();
    p.drawPixmap(ChildIconRect(), icon.pixmap(kChildIconSize, kChildIconSize));
    // In the keyboard menu mode the window menu's place shows raised when
    // it is the hot one, as a title does.
    if (m_tracker.Mode() == MenuMode::Keyboard && m_tracker.Hot() == MenuTracker::kWindowMenu) {
      const QRect r = ChildIconRect().adjusted(-1, -1, 0, 0);
      p.setPen(SysQColor(SysColor::BtnHighlight));
      p.drawLine(r.topLeft(), r.topRight());
      p.drawLine(r.topLeft(), r.bottomLeft());
      p.setPen(SysQColor(SysColor::BtnShadow));
      p.drawLine(r.bottomLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomRight());
    }
  }
  const Rect buttons = FromQRect(ChildCaptionRect());
  for (int part = 0; part < 3; ++part)
    DrawCaptionPart(p, ToQRect(m_caption.PartRect(part, buttons)), part, m_caption.ShownPressed() == part,
                    m_caption.PartEnabled(part));
  p.restore();
}

void SECMenuBar::OnSetBarInfoEx(const ControlBarInfo&, SECMDIFrameWnd* frame) {
  // The titles come from the menu resources, never from a saved state; a
  // state that says the bar was hidden would leave the program without its
  // menus.
  ControlBarState& s = State();
  s.visible = true;
  // A layout saved while the bar sat in the frame's command line gives it
  // no side and no docking: it docks anywhere, at the top to begin with
  // (unless it still sits there).
  if (frame && frame->CommandBar() == this) return;
  s.dockStyle |= CBRS_ALIGN_ANY;
  if (!(s.style & CBRS_ALIGN_ANY)) s.style |= CBRS_ALIGN_TOP;
}

void SECMenuBar::OnBarFloat() {
  if (SECDockBar* d = DockBar())
    if (auto* floating = dynamic_cast<SECMiniDockFrameWnd*>(d->parentWidget())) floating->SetSysMenu(false);
  SECCustomToolBar::OnBarFloat();
}

SECMenuBar* InstallMenuBar(SECMDIFrameWnd* frame, const ResourceTables& tables, const std::vector<unsigned>& menuIds,
                           SECToolBarManager* manager, MenuBarPlace place, std::string* err) {
  if (!frame || menuIds.empty()) {
    if (err) *err = "no frame or no menu resource for the menu bar";
    return nullptr;
  }
  auto* bar = new SECMenuBar(manager, nullptr, tables);
  const std::uint32_t style = manager ? manager->BarStyle() : (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM | CBRS_SIZE_DYNAMIC);
  if (!bar->CreateToolBar(frame, "Menu Bar", kMenuBarId, style & ~CBRS_TOOLTIPS,
                          manager ? manager->ToolBarFlags() : kTbCoolLook)) {
    delete bar;
    if (err) *err = "the menu bar could not be created";
    return nullptr;
  }
  bar->ModifyExStyle(0, SECBAR_EX_OWNROW, false);
  if (!bar->SetMenuInfo(menuIds, err)) {
    delete bar;
    return nullptr;
  }
  if (manager) manager->SetMenuBar(bar);
  if (place == MenuBarPlace::CommandSlot) {
    // No side to dock at: a restored dock state leaves it where it is.
    bar->State().style &= ~CBRS_ALIGN_ANY;
    bar->State().dockStyle = 0;
    bar->RecalcSizes();
    frame->SetCommandBar(bar);
  } else {
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(bar, frame->GetDockBar(AFX_IDW_DOCKBAR_TOP));
  }
  const unsigned frameMenu = menuIds.front();
  // The frame may activate windows while it is torn down, after its bars.
  QPointer<SECMenuBar> guard(bar);
  frame->SetMenuSelector([guard, frameMenu](int id) {
    if (!guard) return;
    if (id < 0 || !guard->SelectMenu(unsigned(id))) guard->SelectMenu(frameMenu);
  });
  bar->AttachToApplication();
  bar->FollowMdiChildren(frame->MdiClient());
  if (MaxChildCaptionButtons* strip = frame->MaxChildButtons()) strip->SetMenuBarMode(true);
  return bar;
}

}  // namespace pm2
