#include "shell/frame/frame_keys.h"

#include <QAbstractSpinBox>
#include <algorithm>
#include <map>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>

#include "editor/document/editor_document.h"
#include "editor/engine/edit_commands.h"
#include "editor/ide/editor_view.h"
#include "editor/view/edit_keys_qt.h"
#include "project/environment/environment.h"
#include "project/model/project_records.h"
#include "shell/app/key_routing.h"
#include "shell/app/shell_app.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_accelerators.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/main_frame.h"
#include "shell/output/out_win.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/menus/qt_keys.h"
#include "toolkit/menus/qt_menu_access.h"

namespace pm2 {

namespace {

// A field that takes typed text keeps its own editing keys.
bool IsTextField(const QObject* o) {
  if (qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
      qobject_cast<const QTextEdit*>(o) || qobject_cast<const QPlainTextEdit*>(o))
    return true;
  auto* combo = qobject_cast<const QComboBox*>(o);
  return combo && combo->isEditable();
}

// The editor view a widget is or lies in.
EditorView* EditorViewOf(QObject* o) {
  for (; o; o = o->parent())
    if (auto* v = qobject_cast<EditorView*>(o)) return v;
  return nullptr;
}

// The commands that run and step the target: their keys reach the frame
// also from its modeless windows (the tool box, the debug dialogs), so a
// debug session goes on from wherever the focus is. The frame's other keys
// (Esc, the editing keys) stay with those windows; Alt+F4 closes a dialog.
constexpr unsigned kRunCommands[] = {32791, 32794, 32795, 32741, 32796, 32802};

bool IsRunCommand(unsigned id) {
  for (unsigned c : kRunCommands)
    if (c == id) return true;
  return false;
}

// Keys whose command, greyed, is refused with a beep rather than in
// silence: Step Into while the target runs, Step Out where no function
// called the one the program stopped in (it says why as well).
constexpr unsigned kBeepWhenGreyed[] = {32794, 32741};

bool BeepsWhenGreyed(unsigned id) {
  for (unsigned c : kBeepWhenGreyed)
    if (c == id) return true;
  return false;
}

// One menu resource of the frame's menu bar as the shortcut table and the
// command list walk it: its titles are the top level, each popup title's
// drop-down (made when first asked for) is the submenu. A plain command
// title is read, never rewritten: the bar's buttons keep their labels.
class MenuBarAccess : public MenuAccess {
 public:
  MenuBarAccess(SECMenuBar& bar, unsigned flag) : m_bar(bar) {
    const std::vector<MenuBarRow>& rows = bar.Model().Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].mask & flag) m_rows.push_back(int(i));
  }
  int ItemCount() const override { return int(m_rows.size()); }
  std::string ItemText(int pos) const override { return Row(pos).title; }
  int ItemId(int pos) const override { return Row(pos).IsPopup() ? -1 : int(Row(pos).id); }
  MenuAccess* SubMenu(int pos) override {
    QMenu* menu = Row(pos).IsPopup() ? m_bar.PopupFor(m_rows[std::size_t(pos)]) : nullptr;
    if (!menu) return nullptr;
    auto& access = m_subs[menu];
    if (!access) access = std::make_unique<QMenuAccess>(menu);
    return access.get();
  }
  void SetItemText(int, const std::string&) override {}

 private:
  const MenuBarRow& Row(int pos) const { return m_bar.Model().Rows()[std::size_t(m_rows[std::size_t(pos)])]; }
  SECMenuBar& m_bar;
  std::vector<int> m_rows;
  std::map<const QMenu*, std::unique_ptr<QMenuAccess>> m_subs;
};

}  // namespace

FrameKeys::FrameKeys(CMainFrame& frame, const std::string& settingsFile) : QObject(&frame), m_frame(frame) {
  const std::size_t cut = settingsFile.find_last_of('/');
  const std::string folder = cut == std::string::npos ? std::string() : settingsFile.substr(0, cut + 1);
  m_paths = {folder + "pelmora2.Mac", folder + "pelmora2.Mac"};
  m_table = std::make_shared<const AccelTable>(DefaultFrameAccelerators());
  qApp->installEventFilter(this);
  // F10 is Step Over while the table binds it; the menu bar keeps it otherwise.
  if (SECMenuBar* bar = m_frame.Bars() ? m_frame.Bars()->MenuBar() : nullptr)
    bar->SetF10Bound([this] { return m_table && FindAccelCommand(*m_table, FVIRTKEY, 121) != 0; });
}

FrameKeys::~FrameKeys() { qApp->removeEventFilter(this); }

void FrameKeys::Install() {
  m_shortcuts = std::make_unique<SECShortcutTable>(*this, m_paths);
  // Only a user's file changes the menus' key texts; the defaults are
  // what the menus show already.
  if (m_shortcuts->Load()) m_shortcuts->CreateAccelTable();
}

bool FrameKeys::TakeShortcuts(const SECShortcutTable& edited) {
  if (!m_shortcuts) m_shortcuts = std::make_unique<SECShortcutTable>(*this, m_paths);
  m_shortcuts->Records() = edited.Records();
  const bool saved = m_shortcuts->Save();
  m_shortcuts->CreateAccelTable();
  return saved;
}

std::vector<MenuAccess*> FrameKeys::Menus() {
  m_menus.clear();
  std::vector<MenuAccess*> out;
  SECMenuBar* bar = m_frame.Bars() ? m_frame.Bars()->MenuBar() : nullptr;
  if (!bar) return out;
  // The frame's own menu first, then the document windows' menus: each is
  // a top level whose titles keep their text and whose drop-downs show keys.
  std::vector<unsigned> resources{bar->FrameMenu()};
  for (const MenuBarRow& row : bar->Model().Rows())
    if (std::find(resources.begin(), resources.end(), row.resource) == resources.end())
      resources.push_back(row.resource);
  for (unsigned resource : resources) {
    const unsigned flag = bar->Model().FlagOf(resource);
    if (!flag) continue;
    m_menus.push_back(std::make_unique<MenuBarAccess>(*bar, flag));
    out.push_back(m_menus.back().get());
  }
  return out;
}

unsigned FrameKeys::CommandOfKey(QObject* target, const QKeyEvent& key) const {
  if (!m_table) return 0;
  const Qt::KeyboardModifiers mods = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
  // Typing and the editing keys of a text field stay with it.
  if (IsTextField(target) && !(mods & Qt::AltModifier) &&
      (key.key() < Qt::Key_F1 || key.key() > Qt::Key_F35) && key.key() != Qt::Key_Escape)
    return 0;
  // An editor view runs the keys of its own table itself.
  if (EditorViewOf(target) && FindKeyCommand(EditKeyFromQt(key.key()), EditModsFromQt(unsigned(mods))) != 0)
    return 0;
  const QString text = key.text();
  const char typed = text.size() == 1 && text[0].unicode() < 128 ? char(text[0].unicode()) : 0;
  return MatchKeyPress(*m_table, key.key(), mods, typed);
}

bool FrameKeys::eventFilter(QObject* watched, QEvent* event) {
  // A lock key shows on its indicator at once, not at the next idle update.
  if (event->type() == QEvent::KeyRelease) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) m_frame.UpdateKeyIndicators();
    return false;
  }
  // A menu of the frame tells the status line what its item under the
  // mouse does (connected the first time it shows).
  if (event->type() == QEvent::Show) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu && !menu->property("pm2Prompts").toBool() && menu->parentWidget() &&
        menu->parentWidget()->window() == &m_frame) {
      menu->setProperty("pm2Prompts", true);
      connect(menu, &QMenu::hovered, this, [this](QAction* a) {
        bool ok = false;
        const unsigned id = a->data().toUInt(&ok);
        m_frame.ShowCommandPrompt(ok ? id : 0);
      });
      connect(menu, &QMenu::aboutToHide, this, [this] { m_frame.ShowCommandPrompt(0); });
    }
    return false;
  }
  // A greyed item takes no highlight, so it sends no hover: its prompt
  // (which may say why it is greyed) comes from the mouse over it.
  if (event->type() == QEvent::MouseMove) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu && menu->property("pm2Prompts").toBool()) {
      QAction* a = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      bool ok = false;
      const unsigned id = a && !a->isEnabled() && !a->isSeparator() ? a->data().toUInt(&ok) : 0;
      if (ok) m_frame.ShowCommandPrompt(id);
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  // Keys of the frame's own windows, and the run keys of the modeless
  // windows it owns; none while a menu or a modal dialog is open.
  QWidget* window = widget->window();
  const bool own = window == &m_frame;
  const bool owned = !own && !window->isModal() && window->parentWidget() && window->parentWidget()->window() == &m_frame;
  if ((!own && !owned) || QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
  // A held window (disabled while the print preview shows) takes no keys:
  // they reach this filter before the window drops them.
  if (!window->isEnabled()) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (own && key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) return HandleF1();
  // Ctrl+F4 closes the active document window, as its window menu's Close
  // does (a modified text asks first), wherever the focus is in the frame.
  if (own && key->key() == Qt::Key_F4 && key->modifiers() == Qt::ControlModifier) {
    QMdiSubWindow* child = m_frame.MdiClient()->activeSubWindow();
    if (child) child->close();
    return child != nullptr;
  }
  // Alt+F4 closes the window that has the keyboard: in a modeless dialog
  // of the frame (Go to Line, a debug dialog) that dialog, not the program.
  if (owned && qobject_cast<QDialog*>(window) && key->key() == Qt::Key_F4 &&
      (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
    window->close();
    return true;
  }
  // A window that uses the key itself (an edit key of a list, say) claims
  // it the way Qt's own controls claim shortcuts.
  QKeyEvent claim(QEvent::ShortcutOverride, key->key(), key->modifiers(), key->text());
  claim.ignore();
  QCoreApplication::sendEvent(widget, &claim);
  if (claim.isAccepted()) return false;
  const unsigned id = CommandOfKey(watched, *key);
  if (owned) {
    if (!id || !IsRunCommand(id) || key->key() == Qt::Key_Escape) return false;
    if (onCommandKey) onCommandKey(id);
    // A greyed command is refused by the frame (with its beep).
    if (m_frame.QueryCommand(id).enabled || BeepsWhenGreyed(id)) m_frame.ExecuteCommand(id);
    return true;
  }
  if (id) {
    if (onCommandKey) onCommandKey(id);
    const bool enabled = m_frame.QueryCommand(id).enabled;
    // Esc stops a running target; otherwise it keeps its usual meaning.
    if (!enabled && key->key() == Qt::Key_Escape) return HandleEscape(watched);
    if (enabled || BeepsWhenGreyed(id)) m_frame.ExecuteCommand(id);
    return true;
  }
  if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) return HandleEscape(watched);
  return false;
}

// Esc in one of the frame's bars gives the focus back to the active
// editor; elsewhere it goes to its window.
bool FrameKeys::HandleEscape(QObject* target) {
  if (EditorViewOf(target) || IsTextField(target)) return false;
  KeyRoutingContext c;
  c.key = RoutedKey::Escape;
  c.inEscapeParent = !m_frame.MdiClient()->isAncestorOf(static_cast<QWidget*>(target));
  EditorView* view = m_frame.Editors().Active();
  c.hasActiveView = view != nullptr;
  if (RouteKey(c) != KeyAction::FocusActiveView) return false;
  view->setFocus();
  return true;
}

// F1 is always taken: in a C or assembler editor it looks the word at the
// caret up in the compiler's or assembler's manual.
bool FrameKeys::HandleF1() {
  KeyRoutingContext c;
  c.key = RoutedKey::F1;
  // The command page's line looks its own word up (its edit takes the key).
  QWidget* focus = QApplication::focusWidget();
  QWidget* commandPage = m_frame.Output() ? m_frame.Output()->CommandPage() : nullptr;
  c.commandWindowFocus = focus && commandPage && commandPage->isAncestorOf(focus);
  if (RouteKey(c) == KeyAction::CommandLineHelp) return false;
  EditorView* view = m_frame.Editors().Active();
  c.editorFocus = view && view->hasFocus();
  c.hasActiveView = view != nullptr;
  if (view) {
    c.editorFileKind = view->Document().FileType();
    view->GetWordAtCaret(&c.wordAtCaret);
  }
  ProjectRec* p = theApp().m_pProject;
  c.toolset = p && p->curTarget ? int(p->curTarget->toolset) : 100;
  if (RouteKey(c) != KeyAction::BookHelp || !m_helpReady) return true;
  const ToolsetInfo* family =
      c.toolset >= 0 && c.toolset < kToolsetCount ? theEnvironment().toolsets[std::size_t(c.toolset)].get() : nullptr;
  std::string book = BookForWord(family, c.toolset, c.editorFileKind);
  if (book.empty()) return true;
  ToolHelpRequest help{family->rootFolder + book, c.wordAtCaret};
  if (m_frame.m_showHelp)
    m_frame.m_showHelp(help);
  else if (QFileInfo::exists(ToQString(help.file)))
    QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(help.file)));
  return true;
}

}  // namespace pm2
