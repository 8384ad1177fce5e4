#include "shell/frame/build_stop_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <algorithm>
#include <iterator>

namespace pm2 {
namespace {

int g_waits = 0;

// The user's input a widget refuses while the build stops; the window
// above it has taken it already (so no key waits in the platform's queue).
constexpr QEvent::Type kRefused[] = {
    QEvent::KeyPress,      QEvent::KeyRelease,  QEvent::ShortcutOverride, QEvent::MouseButtonPress,
    QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::Wheel, QEvent::ContextMenu,
    QEvent::DragEnter,     QEvent::DragMove,    QEvent::Drop,             QEvent::InputMethod,
};

class Refusal : public QObject {
 public:
  bool eventFilter(QObject* to, QEvent* e) override {
    if (!to->isWidgetType()) return false;
    // The title bar's close: the window stays until the wait is over.
    if (e->type() == QEvent::Close && e->spontaneous()) {
      e->ignore();
      return true;
    }
    return std::find(std::begin(kRefused), std::end(kRefused), e->type()) != std::end(kRefused);
  }
};

}  // namespace

void BuildStopWait::Run(const std::function<bool()>& ended) {
  Refusal refusal;
  QCoreApplication::instance()->installEventFilter(&refusal);
  ++g_waits;
  while (!ended()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  --g_waits;
  QCoreApplication::instance()->removeEventFilter(&refusal);
}

bool BuildStopWait::Waiting() { return g_waits > 0; }

}  // namespace pm2
