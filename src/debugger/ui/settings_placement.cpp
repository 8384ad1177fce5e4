#include "debugger/ui/settings_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pm2 {

namespace {

void StorePlacement(const QWidget* w, SettingsPlacement* slot) {
  const QRect g = w->isMaximized() || w->isMinimized() ? w->normalGeometry() : w->geometry();
  if (g.width() <= 0 || g.height() <= 0) return;
  slot->length = kSettingsPlacementBytes;
  slot->showCmd = w->isMaximized() ? 3 : w->isMinimized() ? 2 : 1;
  slot->left = g.left();
  slot->top = g.top();
  slot->right = g.left() + g.width();
  slot->bottom = g.top() + g.height();
}

void StoreRect(const QWidget* w, ScreenRect* slot) {
  const QRect g = w->geometry();
  if (g.width() <= 0 || g.height() <= 0) return;
  *slot = ScreenRect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

// Stores the window's place whenever it changes while the window is shown,
// and when it closes.
template <typename Slot, void (*Store)(const QWidget*, Slot*)>
class Keeper : public QObject {
 public:
  Keeper(QWidget* window, Slot* slot) : QObject(window), m_window(window), m_slot(slot) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    const QEvent::Type t = e->type();
    if (o == m_window && m_window->isVisible() &&
        (t == QEvent::Close || t == QEvent::Hide || t == QEvent::Move || t == QEvent::Resize ||
         t == QEvent::WindowStateChange))
      Store(m_window, m_slot);
    return false;
  }

 private:
  QWidget* m_window;
  Slot* m_slot;
};

}  // namespace

std::vector<ScreenArea> PlacementAreas(const QWidget* window) {
  std::vector<ScreenArea> areas;
  if (!window->isWindow() && window->parentWidget()) {
    const QRect r = window->parentWidget()->rect();
    areas.push_back({0, 0, r.width(), r.height()});
    return areas;
  }
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect a = primary->availableGeometry();
    areas.push_back({a.x(), a.y(), a.width(), a.height()});
  }
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect a = screen->availableGeometry();
    areas.push_back({a.x(), a.y(), a.width(), a.height()});
  }
  return areas;
}

bool FittedPlacement(const SettingsPlacement& slot, const std::vector<ScreenArea>& areas, QRect* out) {
  if (!slot.Valid()) return false;
  FramePlacement p;
  p.left = slot.left;
  p.top = slot.top;
  p.right = slot.right;
  p.bottom = slot.bottom;
  ScreenArea fitted;
  if (!FitFrameRect(p, areas, &fitted)) return false;
  *out = QRect(fitted.x, fitted.y, fitted.width, fitted.height);
  return true;
}

void KeepSettingsPlacement(QWidget* window, SettingsPlacement* slot) {
  QRect r;
  if (FittedPlacement(*slot, PlacementAreas(window), &r)) {
    window->setGeometry(r);
    if (slot->showCmd == 3) window->showMaximized();
  }
  new Keeper<SettingsPlacement, StorePlacement>(window, slot);
}

void KeepToolBoxRect(QWidget* window, ScreenRect* slot) {
  if (!slot->Empty()) {
    SettingsPlacement p;
    p.length = kSettingsPlacementBytes;
    p.left = slot->left;
    p.top = slot->top;
    p.right = slot->left + window->width();
    p.bottom = slot->top + window->height();
    QRect r;
    // The stored corner is the client area's, as stored.
    if (FittedPlacement(p, PlacementAreas(window), &r)) window->setGeometry(QRect(r.topLeft(), window->size()));
  }
  new Keeper<ScreenRect, StoreRect>(window, slot);
}

}  // namespace pm2
