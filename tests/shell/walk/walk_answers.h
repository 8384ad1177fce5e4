// The walk's answers to whatever a command asks: while a WalkAnswers
// lives, a timer finds the modal window in front (a message box, a file
// dialog, a sheet) and answers it the way the current command's mode says:
// with its default button (OK, Yes, a path inside the walk's folder for a
// file dialog) or with Cancel. A window that comes back after its answer
// is given Cancel, then closed, so no command can hold the walk; a command
// that asks without end is reported. A context menu the walk opened is
// listed or has one of its items chosen, as a user chooses it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "toolkit/controls/list_box_editor.h"

namespace pm2::test {

// How a command's windows are answered: with their defaults, with
// Cancel, or with their fields changed (every field of every page given
// one text of FieldTexts()) or their own buttons pressed before the default;
// or a row of each list chosen and the buttons that act on a row pressed
// (kRowButtons: Kill Selected, Enable, Disable, Remove, Delete, Move).
enum class Answer { kDefault, kCancel, kFill, kButtons, kRowButtons };

// The texts a user may leave in a field: empty, one past the field's limit
// (kPastLimit), the characters the project files quote, blanks, a line
// break, capitals and letters outside ASCII (a text stored in another case
// shows), a number out of any range, and one exactly
// at the field's limit (kAtLimit), which the field must take whole.
inline constexpr const char* kPastLimit = "<past the limit>";
inline constexpr const char* kAtLimit = "<at the limit>";
inline constexpr const char* kCapitalsText = "\xC3\x84rger Walk \xC3\xBC\xE2\x82\xAC";
inline const std::vector<std::string>& FieldTexts() {
  static const std::vector<std::string> texts = {
      "", kPastLimit, "( ) < > \\ \"", "   ", "a\r\nb", kCapitalsText, "99999999999", kAtLimit};
  return texts;
}
// The answer "/f<n>" that gives a window's fields that text of FieldTexts().
inline std::string FillWith(const std::string& text) {
  const auto at = std::find(FieldTexts().begin(), FieldTexts().end(), text);
  return "/f" + std::to_string(at - FieldTexts().begin());
}
// The answers a sheet (a window of pages whose fields the project keeps)
// gets besides `changed`, the one the walk's turn gave it: a text exactly at
// each field's limit, which it must keep whole, and one of capitals and
// letters outside ASCII, which it must store as typed; given first, while
// its fields hold what the state gave them.
inline std::vector<std::string> SheetFills(const std::string& changed) {
  std::vector<std::string> out;
  for (const char* text : {kAtLimit, kCapitalsText})
    if (FillWith(text) != changed) out.push_back(FillWith(text));
  return out;
}
// The words of the buttons a window has of its own (list editors, the
// breakpoint and analyser dialogs, the option pages).
inline bool OwnButton(const QString& text) {
  // The folder lists' "...", the driver settings' "Settings" and "DLL
  // Settings", the link file's "Edit...", the banking wizard's "Manage...".
  static const char* const kWords[] = {"New",  "Delete",   "Move",     "Define",       "Kill", "Defaults",
                                       "Browse", "Remove", "Add",      "...",          "Settings",
                                       "DLL Settings", "Edit...", "Manage..."};
  QString plain = text;
  plain.remove('&');
  for (const char* w : kWords)
    if (plain.startsWith(w) || plain.contains(QString(" ") + w)) return true;
  return false;
}

// The buttons that act on the row a list has selected.
inline bool RowButton(const QString& text) {
  QString plain = text;
  plain.remove('&');
  for (const char* w : {"Kill Selected", "Enable", "Disable", "Remove", "Delete", "Move"})
    if (plain.startsWith(w)) return true;
  return false;
}

// One item of a context menu as the walk sees it.
struct MenuItem {
  std::string text;
  bool enabled = false;
  unsigned id = 0;  // the command the item runs, where it names one
};

class WalkAnswers {
 public:
  // `folder` (ending in '/') is where file dialogs are pointed.
  explicit WalkAnswers(std::string folder) : m_folder(std::move(folder)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Respond(); });
    m_timer.start(5);
    QCoreApplication::instance()->installEventFilter(&m_menuShows);
  }
  // Called on a dialog before its default answer (a sheet that needs a
  // choice before its OK, as a user makes it).
  std::function<void(QDialog&)> beforeAccept;
  // Around each of a window's own buttons pressed: a row of its list
  // chosen first, as a user chooses one, and the outcome judged after.
  std::function<void(QAbstractButton&)> beforeButton;
  std::function<void()> afterButton;
  // Told of each text typed or pasted into a field, and of each dialog
  // whose OK is about to be pressed (the walk's check of typed texts).
  std::function<void(QLineEdit*, const QString&)> typed;
  std::function<void(QDialog&)> atOk;
  // Told of each page of a window shown (its tab clicked).
  std::function<void(QWidget*)> pageShown;
  // Whether a field takes a text at its limit (else it keeps its own).
  std::function<bool(QLineEdit*)> takesLongText;
  // While this says no, modal windows are left open (a sheet held open
  // while a peer's request arrives); menus are answered all the same.
  std::function<bool()> holdUntil;
  // A window that holds the main window (the print preview) is left open
  // while this is set: the state the road keeps it open for.
  bool keepHolder = false;
  // The name the next save dialog gets (else a new one).
  void NameNextSave(std::string name) { m_nextSave = std::move(name); }
  // The device the next device sheet's OK chooses ("<vendor>/<device>";
  // "none": none chosen, as a user who gives OK at once), else the
  // state's own.
  std::string nextDevice;
  // The text the next window's first field gets before its default answer
  // (the value a user types into the entry a menu item asks for).
  void GiveNext(std::string text) { m_giveNext = std::move(text); }
  bool Giving() const { return !m_giveNext.empty(); }

  // The mode of the next answers, and the count of answers given in it.
  void Start(Answer mode, int text = 0) {
    m_mode = mode;
    m_text = text;
    m_given = 0;
    m_tries.clear();
    asked.clear();
    boxes.clear();
    answeredWith.clear();
  }
  int Given() const { return m_given; }
  // A command that keeps asking after this many answers is a fault.
  static constexpr int kMostAnswers = 200;
  bool TooMany() const { return m_given > kMostAnswers; }

  // The next context menu that pops up: listed (and closed), or the item
  // with this text chosen.
  void ListNextMenu() {
    m_menuAction = MenuAction::kList;
    menuItems.clear();
    menuSeen = m_menuShows.shown = false;
  }
  void ChooseInNextMenu(const std::string& text) {
    m_menuAction = MenuAction::kChoose;
    m_choose = text;
    menuSeen = m_menuShows.shown = false;
    chosen.reset();
  }
  // Whether the menu asked for appeared: answered, or shown and closed by
  // the program before the answers' timer came round (on a loaded machine).
  bool MenuShown() const { return menuSeen || m_menuShows.shown; }

  // A context menu shown by popup() (the call that opened it has
  // returned): listed or chosen in now.
  void AnswerShownMenu() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()); menu && !menuSeen)
      AnswerMenu(menu);
  }

  // What the windows said: their titles and texts, in order.
  std::vector<std::string> asked;
  // The texts of the message boxes among them (both of the current mode's
  // answers: a message a step expected is not judged again by the next).
  std::vector<std::string> boxes;
  // The button each of them was answered with ("" none: closed).
  std::vector<std::string> answeredWith;
  // The pages visited and fields changed so far (for the walk's counts).
  int pagesVisited = 0, fieldsChanged = 0, buttonsPressed = 0;
  std::vector<MenuItem> menuItems;
  bool menuSeen = false;
  // The item chosen in the last menu a choice was asked of (enabled), if any.
  std::optional<MenuItem> chosen;
  std::string folder() const { return m_folder; }
  // A window that holds the main window by disabling it rather than by
  // being modal (the print preview, the progress of a long operation):
  // answered as a modal one is.
  static QWidget* HoldingWindow() {
    bool held = false;
    QWidget* holder = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets()) {
      if (!t->isVisible()) continue;
      if (!t->isEnabled() && !qobject_cast<QDialog*>(t)) held = true;
      else if (qobject_cast<QDialog*>(t) && t->isEnabled() && !holder) holder = t;
    }
    return held ? holder : nullptr;
  }

 private:
  enum class MenuAction { kNone, kList, kChoose };

  // Notes every context menu shown, whoever closes it.
  class MenuShows : public QObject {
   public:
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Show && qobject_cast<QMenu*>(o)) shown = true;
      return false;
    }
    bool shown = false;
  };
  MenuShows m_menuShows;

  // The answer is given from a queued call, not from the timer: a window
  // an answer opens (a file dialog's own question) runs its own loop, in
  // which this timer must go on answering.
  void Respond() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      Later(menu, [this, menu] { AnswerMenu(menu); });
      return;
    }
    QWidget* w = QApplication::activeModalWidget();
    if (!w && !keepHolder) w = HoldingWindow();
    if (!w || !w->isVisible() || m_pending.count(w)) return;
    if (holdUntil) {
      if (!holdUntil()) return;
      holdUntil = nullptr;
    }
    Later(w, [this, w] { AnswerWindow(w); });
  }
  // The call is tied to the answers, not to the window: a window gone
  // before its turn must leave the pending set too, or a later window made
  // at the same address would never be answered.
  template <class F>
  void Later(QWidget* w, F answer) {
    m_pending.insert(w);
    const QPointer<QWidget> alive(w);
    QTimer::singleShot(0, &m_timer, [this, w, alive, answer] {
      m_pending.erase(w);
      if (alive && alive->isVisible()) answer();
    });
  }

  void AnswerWindow(QWidget* w) {
    ++m_given;
    const int tries = ++m_tries[w];
    // The same window back after its answer (a field refused): Cancel,
    // then close it.
    const bool cancel = m_mode == Answer::kCancel || tries > 3 || m_given > kMostAnswers / 2;
    if (tries > 6) {
      if (auto* d = qobject_cast<QDialog*>(w)) d->done(QDialog::Rejected);
      else w->close();
      return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      asked.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
      boxes.push_back(box->text().toStdString());
      QAbstractButton* b = cancel ? box->escapeButton() : static_cast<QAbstractButton*>(box->defaultButton());
      if (!b && !cancel && !box->buttons().isEmpty()) b = box->buttons().front();
      answeredWith.push_back(b ? b->text().remove('&').trimmed().toStdString() : std::string());
      if (b) b->click();
      else box->reject();
      return;
    }
    if (auto* files = qobject_cast<QFileDialog*>(w)) {
      asked.push_back(files->windowTitle().toStdString());
      if (cancel) {
        files->reject();
        return;
      }
      // Typed into the name field, as a user does: a selection made in
      // code is dropped while the dialog's folder loads.
      files->setDirectory(QString::fromStdString(m_folder));
      const QString path = PathFor(*files);
      if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
      else files->selectFile(path);
      static_cast<QDialog*>(files)->accept();
      return;
    }
    asked.push_back(w->windowTitle().toStdString());
    if (auto* d = qobject_cast<QDialog*>(w)) {
      if (cancel) {
        d->reject();
        return;
      }
      // Changed as a user changes it, once a window and only the window
      // the command opened (a window its buttons open gets its default).
      // Its pages are visited in each of these modes.
      if (tries == 1 && !m_filling) {
        m_filling = true;
        Change(*d);
        m_filling = false;
        if (!d->isVisible()) return;
      }
      if (tries == 1 && !m_giveNext.empty()) {
        bool given = false;
        for (QLineEdit* e : d->findChildren<QLineEdit*>())
          if (!given && e->isVisible() && e->isEnabled() && !e->isReadOnly()) {
            e->setFocus();
            e->selectAll();
            e->insert(QString::fromUtf8(m_giveNext.c_str()));
            given = true;
          }
        // A window whose first field is a list of names (the workspaces'):
        // a new row, the text typed into it, Enter, as a user names one.
        const bool asRow = !given;
        if (asRow) GiveNewRow(*d, QString::fromUtf8(m_giveNext.c_str()));
        m_giveNext.clear();
        if (asRow && !d->isVisible()) return;
      }
      // What the typing posted (a field giving back a text it refused, and
      // its notice) comes before the OK, as the event loop turns between a
      // user's typing and Enter.
      QCoreApplication::sendPostedEvents();
      if (!d->isVisible()) return;
      if (beforeAccept) beforeAccept(*d);
      if (atOk) atOk(*d);
      // Its default button pressed, as Enter presses it (the button's own
      // checks run: a list's Save takes the row chosen); accepted where it
      // has none.
      if (QPushButton* b = DefaultButton(*d)) b->click();
      else d->accept();
      return;
    }
    w->close();
  }

  // Every page of the window visited as a click on its tab visits it
  // (leaving a page runs its checks), and on each page every field given
  // the mode's text or every own button pressed.
  void Change(QDialog& d) {
    const QPointer<QDialog> alive(&d);
    const QList<QTabWidget*> tabs = d.findChildren<QTabWidget*>();
    if (tabs.isEmpty()) {
      ChangePage(d);
      return;
    }
    for (QTabWidget* t : tabs) {
      const QPointer<QTabWidget> tab(t);
      for (int i = 0; tab && alive && i < tab->count(); ++i) {
        QTabBar* bar = tab->tabBar();
        if (!bar->isVisible() || !bar->isTabEnabled(i)) continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        if (!alive || !tab) return;
        // A page that refuses to be left (it said why) keeps the sheet:
        // the rest of the pages wait for the user to mend it.
        if (tab->currentIndex() != i) break;
        ++pagesVisited;
        if (pageShown && tab->currentWidget()) pageShown(tab->currentWidget());
        if (tab->currentWidget()) ChangePage(*tab->currentWidget());
      }
    }
  }
  void ChangePage(QWidget& page) {
    if (m_mode == Answer::kDefault) return;
    const QPointer<QWidget> alive(&page);
    if (m_mode == Answer::kButtons || m_mode == Answer::kRowButtons) {
      const bool rows = m_mode == Answer::kRowButtons;
      std::vector<QPointer<QAbstractButton>> own;
      for (QAbstractButton* b : page.findChildren<QAbstractButton*>())
        if (!qobject_cast<QCheckBox*>(b) && !qobject_cast<QRadioButton*>(b) &&
            (rows ? RowButton(b->text()) : OwnButton(b->text()) || OwnButton(b->toolTip())))
          own.push_back(b);
      for (const QPointer<QAbstractButton>& b : own) {
        if (alive && b && b->isVisible() && beforeButton) beforeButton(*b);
        if (alive && b && b->isVisible() && b->isEnabled()) {
          ++buttonsPressed;
          b->click();
          if (afterButton) afterButton();
        }
      }
      return;
    }
    const std::string& text = FieldTexts()[size_t(m_text) % FieldTexts().size()];
    for (QLineEdit* e : page.findChildren<QLineEdit*>()) {
      if (!alive) return;
      if (!e->isVisible() || !e->isEnabled() || e->isReadOnly()) continue;
      // A text at the limit goes where a long text is the user's to give (a
      // number or an address field keeps what it holds).
      if (text == kAtLimit && !(takesLongText && takesLongText(e))) continue;
      // As a paste does: the whole text replaced, through the field's
      // validator and limit.
      e->setFocus();
      e->selectAll();
      QString given = QString::fromUtf8(text.c_str());
      if (text == kPastLimit) given = QString(e->maxLength() < 32767 ? e->maxLength() + 1 : 300, 'x');
      if (text == kAtLimit) given = QString(e->maxLength() < 32767 ? e->maxLength() : 300, 'x');
      e->insert(given);
      // The event loop turns before the next field, as between a user's
      // fields: a field that refuses the text gives it back and says so.
      QCoreApplication::sendPostedEvents();
      if (!alive) return;
      if (typed) typed(e, given);
      ++fieldsChanged;
    }
    for (QPlainTextEdit* e : page.findChildren<QPlainTextEdit*>()) {
      if (!alive) return;
      if (!e->isVisible() || !e->isEnabled() || e->isReadOnly()) continue;
      e->setPlainText(text == kPastLimit ? QString(4000, 'x') : QString::fromUtf8(text.c_str()));
      ++fieldsChanged;
    }
  }

  // The window's enabled default button, or null.
  static void GiveNewRow(QDialog& d, const QString& text) {
    for (SECListBoxEditor* list : d.findChildren<SECListBoxEditor*>()) {
      if (!list->isVisible() || !list->isEnabled()) continue;
      list->setFocus();
      QTest::keyClick(list, Qt::Key_Insert);
      if (SECListBoxEdit* edit = list->InPlaceEdit(); edit && edit->isVisible()) {
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
      }
      return;
    }
  }
  static QPushButton* DefaultButton(QDialog& d) {
    for (QPushButton* b : d.findChildren<QPushButton*>())
      if (b->isDefault() && b->isVisible() && b->isEnabled() && b->window() == &d) return b;
    return nullptr;
  }

  // A save gets a new name in the folder; an open the first file there
  // the dialog's filter shows (a folder picker the folder itself).
  QString PathFor(QFileDialog& d) {
    const QDir folder(QString::fromStdString(m_folder));
    if (d.fileMode() == QFileDialog::Directory) return folder.absolutePath();
    if (d.acceptMode() == QFileDialog::AcceptSave) {
      if (!m_nextSave.empty()) {
        const QString name = QString::fromStdString(m_nextSave);
        m_nextSave.clear();
        return folder.filePath(name);
      }
      const QString suffix = d.defaultSuffix().isEmpty() ? QString("txt") : d.defaultSuffix();
      return folder.filePath(QString("walk%1.%2").arg(++m_saved).arg(suffix));
    }
    const QStringList filters = Patterns(d.selectedNameFilter());
    const QStringList names = folder.entryList(filters, QDir::Files, QDir::Name);
    return names.isEmpty() ? folder.filePath("none") : folder.filePath(names.front());
  }
  static QStringList Patterns(const QString& filter) {
    const int open = filter.indexOf('('), close = filter.lastIndexOf(')');
    if (open < 0 || close < open) return {"*"};
    return filter.mid(open + 1, close - open - 1).split(' ', Qt::SkipEmptyParts);
  }

  void AnswerMenu(QMenu* menu) {
    if (m_menuAction == MenuAction::kNone || menuSeen) {
      menu->close();
      return;
    }
    menuSeen = true;
    if (m_menuAction == MenuAction::kList) {
      ListItems(*menu, "", true);
      m_menuAction = MenuAction::kNone;
      menu->close();
      return;
    }
    // The item the menu hands on (its own or a submenu's) is the one chosen.
    QObject::connect(menu, &QMenu::triggered, menu,
                     [this](QAction* a) { chosen = MenuItem{Text(a), true, a->data().toUInt()}; });
    m_menuAction = MenuAction::kNone;
    // An item of a submenu is named "<submenu>><item>": the submenu opened
    // as a user opens it (its entry made current, then the Right key),
    // then the item chosen in it.
    QMenu* in = menu;
    std::string rest = m_choose;
    for (size_t cut; in && (cut = rest.find('>')) != std::string::npos;) {
      QMenu* sub = nullptr;
      for (QAction* a : in->actions())
        if (a->menu() && a->isEnabled() && Text(a) == rest.substr(0, cut)) sub = a->menu();
      if (!sub) break;
      in->setActiveAction(sub->menuAction());
      if (!sub->isVisible()) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(in, &right);
      }
      in = sub->isVisible() ? sub : nullptr;
      rest = rest.substr(cut + 1);
    }
    for (QAction* a : in ? in->actions() : QList<QAction*>())
      if (!a->isSeparator() && !a->menu() && a->isEnabled() && Named(Text(a), rest)) {
        // As a user chooses it: the item made current, then Enter, so the
        // menu's exec() returns it.
        in->setActiveAction(a);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(in, &press);
        return;
      }
    menu->close();
  }
  // An item's text against the name a road gives it: the whole text, or
  // its start followed by '*' (an item that names an address of the build).
  static bool Named(const std::string& text, const std::string& name) {
    if (!name.empty() && name.back() == '*') return text.rfind(name.substr(0, name.size() - 1), 0) == 0;
    return text == name;
  }
  // The items of a menu and of its submenus (named "<submenu>><item>"),
  // an item enabled only where its submenu is.
  void ListItems(QMenu& menu, const std::string& prefix, bool enabled) {
    for (QAction* a : menu.actions()) {
      if (a->isSeparator()) continue;
      if (a->menu()) {
        ListItems(*a->menu(), prefix + Text(a) + ">", enabled && a->isEnabled());
        continue;
      }
      menuItems.push_back({prefix + Text(a), enabled && a->isEnabled(), a->data().toUInt()});
    }
  }

 public:
  // An item's text as the walk names it: without '&' and the key.
  static std::string Text(QAction* a) {
    std::string t;
    for (QChar c : a->text()) {
      if (c == '\t') break;
      if (c != '&') t += c.toLatin1() ? c.toLatin1() : '?';
    }
    return t;
  }

 private:
  std::string m_folder;
  QTimer m_timer;
  Answer m_mode = Answer::kDefault;
  int m_text = 0;
  bool m_filling = false;
  int m_given = 0;
  int m_saved = 0;
  std::map<QWidget*, int> m_tries;
  std::set<QWidget*> m_pending;
  MenuAction m_menuAction = MenuAction::kNone;
  std::string m_choose;
  std::string m_nextSave;
  std::string m_giveNext;
};

}  // namespace pm2::test
