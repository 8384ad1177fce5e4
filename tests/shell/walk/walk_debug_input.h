// What a user types into the debug windows, as the walk's steps type it:
// a watch expression into a Watch page's row (F2, the text, Enter), a row
// opened (Right), an address into a Memory page's bar (Enter), keys into a
// serial window. A window that is not shown is opened first from the View
// menu, as the user opens it. Each returns why it could not be done, or
// an empty text.
//
//   watch:1:sample      typed into Watch #1's empty row
//   expand:1:sample     the row opened (its members or elements shown)
//   memory:1:&counter   typed into Memory #1's address bar
//   serial:1:k          typed into serial window #1
//   await-serial:1:key: k   until serial window #1 has received the text
//   await-memory:5A     until the first value of the memory page in front reads it
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <string>
#include <vector>

#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "shell/frame/main_frame.h"
#include "toolkit/controls/list_edit.h"
#include "walk_answers.h"
#include "walk_places.h"

namespace pm2::test {

// A text typed key by key into a widget: a line break as Enter, letters
// outside ASCII as a keyboard layout or an input method gives them, a key
// event with the letter and no key code of its own.
inline void TypeText(QWidget* w, const std::string& text) {
  const QPointer<QWidget> alive(w);
  for (QChar c : QString::fromUtf8(text.c_str())) {
    if (!alive) return;
    if (c == '\r' || c == '\n') {
      QTest::keyClick(w, Qt::Key_Return);
      continue;
    }
    if (c.unicode() >= 32 && c.unicode() < 127) {
      QTest::keyClick(w, char(c.unicode()));
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    if (!alive) return;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

// The View menu's commands of the windows typed into.
inline constexpr CommandId kViewWatchBar = 32749, kViewMemory = 32758;
inline constexpr CommandId kViewSerial[3] = {32735, 32728, 35418};

class WalkDebugInput {
 public:
  explicit WalkDebugInput(CMainFrame* frame) : m_frame(frame) {}

  // The texts the random road types into the debug windows: expressions
  // and addresses of the walk's programs, and the texts a user may leave
  // in any field (walk_answers.h), one past the limit a long run of 'x'.
  static const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
      std::vector<std::string> t = {"counter", "&counter", "(counter + 1) * 2", "sample", "history[1]", "counter)"};
      for (const std::string& field : FieldTexts())
        t.push_back(field == kPastLimit || field == kAtLimit ? std::string(300, 'x') : field);
      return t;
    }();
    return texts;
  }
  // A step of the random road that types one of them: into Watch #1 or #2
  // (while the target stands: a running one refuses the edit), into a
  // Memory page's bar, or into serial window #1.
  template <class Rng>
  static std::string TypingStep(Rng& rng, bool running) {
    const std::string& text = Texts()[rng() % Texts().size()];
    switch (rng() % (running ? 2 : 3)) {
      case 0: return "memory:" + std::to_string(1 + rng() % 4) + ":" + text;
      case 1: return "serial:1:" + text;
      default: return "watch:" + std::to_string(1 + rng() % 2) + ":" + text;
    }
  }
  static bool IsTyping(const std::string& step) {
    for (const char* kind : {"watch:", "memory:", "serial:"})
      if (step.rfind(kind, 0) == 0) return true;
    return false;
  }

  // "1:text" split into the window's number (1 up to `most`) and the text.
  static bool Split(const std::string& arguments, int most, int* n, std::string* text) {
    const size_t colon = arguments.find(':');
    if (colon != 1 || arguments[0] < '1' || arguments[0] > char('0' + most)) return false;
    *n = arguments[0] - '0';
    *text = arguments.substr(2);
    return true;
  }

  std::string TypeWatchRow(int n, const std::string& text) {
    WatchWindow* watch = WatchPage(n);
    if (!watch) return "no Watch #" + std::to_string(n) + " page to type into";
    int row = -1;
    for (int r = 0; r < watch->GetItemCount(); ++r)
      if (const WatchItem* item = watch->RowOf(watch->GetItemAtRow(r)); item && item->placeholder) row = r;
    if (row < 0) return "Watch #" + std::to_string(n) + " has no row to type into";
    if (watch->GetCaretItem() != watch->GetItemAtRow(row) && !Click(watch, row))
      return "the empty row of Watch #" + std::to_string(n) + " is not in sight";
    watch->setFocus();
    QTest::keyClick(watch, Qt::Key_F2);
    SECListEdit* edit = watch->GetEditControl();
    if (!edit) return "F2 opened no edit on the empty row of Watch #" + std::to_string(n);
    // A line break typed ends the edit itself.
    const QPointer<QWidget> open(edit);
    TypeText(edit, text);
    if (open && watch->GetEditControl() == edit) QTest::keyClick(edit, Qt::Key_Return);
    return {};
  }

  std::string ExpandWatchRow(int n, const std::string& name) {
    WatchWindow* watch = WatchPage(n);
    if (!watch) return "no Watch #" + std::to_string(n) + " page";
    for (int r = 0; r < watch->GetItemCount(); ++r)
      if (const WatchItem* item = watch->RowOf(watch->GetItemAtRow(r)); item && !item->parent && item->name == name) {
        if (watch->GetCaretItem() != watch->GetItemAtRow(r) && !Click(watch, r))
          return "the row '" + name + "' of Watch #" + std::to_string(n) + " is not in sight";
        watch->setFocus();
        QTest::keyClick(watch, Qt::Key_Right);
        return {};
      }
    return "Watch #" + std::to_string(n) + " has no row '" + name + "'";
  }

  std::string TypeMemoryAddress(int n, const std::string& text) {
    if (!m_frame->Debugger()->Windows().Memory() || !m_frame->Debugger()->Windows().Memory()->isVisible())
      m_frame->ExecuteCommand(kViewMemory);
    MemoryWindow* memory = m_frame->Debugger()->Windows().Memory();
    if (!memory || !memory->isVisible()) return "View > Memory Window showed no memory window";
    memory->ActivatePage(n - 1);
    QLineEdit* bar = memory->Page(n - 1)->AddressEdit();
    if (!bar->isVisible()) return "Memory #" + std::to_string(n) + " shows no address bar";
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->rect().center());
    bar->selectAll();
    TypeText(bar, text);
    QTest::keyClick(bar, Qt::Key_Return);
    return {};
  }

  std::string TypeSerial(int n, const std::string& text) {
    SerialWindow* serial = Serial(n);
    if (!serial) return "no serial window #" + std::to_string(n);
    serial->setFocus();
    TypeText(serial, text);
    return {};
  }

  // Whether serial window #n (opened when it is not) has received the
  // text, on any of its lines.
  bool SerialHas(int n, const std::string& text) {
    SerialWindow* serial = Serial(n);
    if (!serial) return false;
    const SerialTerminal& t = serial->Terminal();
    for (int i = 0; i < t.LineCount(); ++i)
      if (t.Line(i).find(text) != std::string::npos) return true;
    return false;
  }
  // Whether the first value of the memory page in front reads the text.
  bool MemoryShows(const std::string& text) {
    MemoryWindow* memory = m_frame->Debugger()->Windows().Memory();
    MemoryPage* page = memory ? memory->ActivePage() : nullptr;
    const std::vector<std::string> rows = page ? page->Rows() : std::vector<std::string>();
    const size_t values = rows.empty() ? std::string::npos : rows[0].find(": ");
    return values != std::string::npos && rows[0].compare(values + 2, text.size(), text) == 0;
  }

 private:
  // The debug bar's Watch #n page in front (its tab clicked), the bar
  // shown first when it is not.
  WatchWindow* WatchPage(int n) {
    if (!FirstShown<DebugBarWindow>()) m_frame->ExecuteCommand(kViewWatchBar);
    auto* bar = FirstShown<DebugBarWindow>();
    if (!bar) return nullptr;
    bar->ActivatePage(n);
    QApplication::processEvents();
    WatchWindow* watch = bar->Watch(n);
    return watch && watch->isVisible() ? watch : nullptr;
  }
  // A click on a row, as a user selects it (scrolled into sight first).
  static bool Click(WatchWindow* watch, int row) {
    watch->EnsureVisible(watch->GetItemAtRow(row));
    const QPoint at = RowPoint(watch, *watch, row);
    if (at.x() < 0) return false;
    watch->setFocus();
    QTest::mouseClick(watch, Qt::LeftButton, {}, at);
    return true;
  }
  // Serial window #n, opened from the View menu when it is not.
  SerialWindow* Serial(int n) {
    DebugDialogs* dialogs = m_frame->Debugger()->Dialogs();
    if (!dialogs) return nullptr;
    if (!dialogs->Serial(n - 1) || !dialogs->Serial(n - 1)->isVisible()) m_frame->ExecuteCommand(kViewSerial[n - 1]);
    SerialWindow* serial = dialogs->Serial(n - 1);
    return serial && serial->isVisible() ? serial : nullptr;
  }

  CMainFrame* m_frame;
};

}  // namespace pm2::test
