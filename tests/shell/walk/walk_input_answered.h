// Whether the program takes the user's input: a key sent now and then the
// way the platform sends a user's key (into the window system's queue,
// which a loop that shuts out the keyboard and mouse leaves waiting), to a
// window that takes input now (the modal window in front, the popup, else
// the window with the keyboard). The key is F35, which no command and no
// field uses, and it is taken away at the window it came to, so it never
// reaches a widget. A key that waits longer than the bound for the event
// loop to take it means the window did not answer the user, however often
// its timers ran meanwhile.
#pragma once

#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "walk_program_clock.h"

namespace pm2::test {

inline constexpr Qt::Key kProbeKey = Qt::Key_F35;


// The window a user's key goes to now: the popup open, else the modal
// window in front, else the window with the keyboard, else a shown window
// of the program; null where none is shown.
inline QWindow* WindowTakingInput() {
  if (QWidget* popup = QApplication::activePopupWidget(); popup && popup->windowHandle()) return popup->windowHandle();
  if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal->isVisible()) return modal;
  if (QWindow* focus = QGuiApplication::focusWindow(); focus && focus->isVisible()) return focus;
  for (QWindow* w : QGuiApplication::topLevelWindows())
    if (w->isVisible() && w->type() != Qt::ToolTip) return w;
  return nullptr;
}

// The probe key pressed into the window system's queue for `window`, as
// the platform queues a user's key: taken up only by an event loop that
// takes the user's input.
inline void QueueProbeKey(QWindow* window) {
  QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
      window, QEvent::KeyPress, kProbeKey, Qt::NoModifier);
}

// Whether an event is the probe key come to a window of the program.
inline bool IsProbeKey(QObject* to, QEvent* e) {
  const QEvent::Type t = e->type();
  if (t != QEvent::KeyPress && t != QEvent::ShortcutOverride && t != QEvent::KeyRelease) return false;
  return static_cast<QKeyEvent*>(e)->key() == kProbeKey && (to->isWindowType() || to->isWidgetType());
}

// The longest time a probe key waited, since the last Restart, for the
// event loop to take it. One key is under way at a time; it is sent again
// (its wait counted from the first) where the window it went to no longer
// takes input (a modal window opened in front of it, it closed), since
// the platform drops a key for a blocked window, and each second it waits.
class InputWatch : public QObject {
 public:
  // `clock`: the program's own time in seconds (ProgramSeconds).
  explicit InputWatch(std::function<double()> clock = ProgramSeconds) : m_clock(std::move(clock)) {
    qApp->installEventFilter(this);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(100);
    Restart();
  }
  ~InputWatch() override { qApp->removeEventFilter(this); }
  // A new step: what waited before it was judged with the step before.
  void Restart() {
    m_longest = 0;
    if (m_underWay) m_sent = m_clock();
  }
  // In seconds, up to now (a key still waiting counts with its wait so far).
  double Longest() {
    Tick();
    return m_longest;
  }
  // A beat: a key sent where none is under way, sent again where its
  // window no longer takes input, and the wait of one under way measured.
  void Tick() {
    QWindow* now = WindowTakingInput();
    if (m_underWay) {
      const double at = m_clock();
      m_longest = std::max(m_longest, at - m_sent);
      // Sent again each second it waits: a key left over from a loop that
      // shut out input is not always taken up until another comes.
      if ((now && now != m_target.data()) || at - m_lastSend >= 1.0) Send(now ? now : m_target.data(), false);
      return;
    }
    if (now) Send(now, true);
  }
  bool eventFilter(QObject* to, QEvent* e) override {
    if (!IsProbeKey(to, e)) return false;
    if (m_underWay && e->type() != QEvent::KeyRelease) {
      m_longest = std::max(m_longest, m_clock() - m_sent);
      m_underWay = false;
      m_target = nullptr;
      ++taken;
    }
    // Taken away here: no widget sees the probe.
    return true;
  }
  int taken = 0;  // probe keys the event loop took

 private:
  void Send(QWindow* window, bool fresh) {
    if (!window) return;
    m_lastSend = m_clock();
    if (fresh) m_sent = m_lastSend;
    m_underWay = true;
    m_target = window;
    QueueProbeKey(window);
  }
  std::function<double()> m_clock;
  QTimer m_timer;
  QPointer<QWindow> m_target;
  bool m_underWay = false;
  double m_sent = 0, m_lastSend = 0, m_longest = 0;
};

// The check after a step: why the window did not answer the user's input,
// or an empty text.
inline std::string InputUnanswered(double longest, int boundSeconds) {
  if (longest <= boundSeconds) return {};
  char said[200];
  std::snprintf(said, sizeof said,
                "the window did not take the user's input for %.1f s (more than %d s: keyboard and mouse shut out)",
                longest, boundSeconds);
  return said;
}

}  // namespace pm2::test
