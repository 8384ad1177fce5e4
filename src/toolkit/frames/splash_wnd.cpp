#include "toolkit/frames/splash_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"

namespace pm2 {

const char* const SECSplashWnd::kDefaultBitmap = ":/pm2/splash.png";

SECSplashWnd::SECSplashWnd(QString bitmap, int durationMs, bool noTimer, bool topmost)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_bitmap(std::move(bitmap)) {
  m_rules.durationMs = durationMs;
  m_rules.noTimer = noTimer;
  m_rules.topmost = topmost;
}

SECSplashWnd::~SECSplashWnd() = default;

bool SECSplashWnd::Create(QWidget* parent, bool visible, const QRect& screen) {
  QImage image(m_bitmap);
  if (image.isNull()) {
    // The program starts without its splash rather than not at all.
    qWarning("The splash picture '%s' cannot be read.", qPrintable(m_bitmap));
    return false;
  }
  m_image = std::move(image);

  // A splash of its own (no parent, no title) keeps above the windows that
  // start behind it.
  m_parent = parent;
  if (!parent && !m_customTitle) m_rules.topmost = true;
  Qt::WindowFlags flags = Qt::FramelessWindowHint;
  flags |= m_customTitle ? Qt::Window : Qt::SplashScreen;
  if (m_rules.topmost) flags |= Qt::WindowStaysOnTopHint;
  setParent(parent, flags);
  setWindowTitle(m_customTitle ? m_title : ToQString(ToolkitResources().String(kIdsSplashTitle)));

  QRect area = screen;
  if (area.isEmpty()) {
    const QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (s) area = s->geometry();
  }
  const Point at = SplashPosition(FromQRect(area), {m_image.width(), m_image.height()});
  setGeometry(at.x, at.y, m_image.width(), m_image.height());
  setFixedSize(m_image.size());

  if (!m_rules.noTimer) m_timer.start(m_rules.durationMs, this);
  if (visible) {
    // Shown active, as a start-up window is, so that the first key reaches it.
    show();
    raise();
    activateWindow();
    repaint();
  }
  return true;
}

void SECSplashWnd::SetTitle(const QString& title) {
  m_customTitle = true;
  m_title = title;
}

void SECSplashWnd::Close() { close(); }

void SECSplashWnd::RestartTimer() { SetDuration(m_rules.durationMs); }

void SECSplashWnd::SetDuration(int ms) {
  m_rules.durationMs = ms;
  m_timer.start(ms, this);
  m_rules.noTimer = false;
}

void SECSplashWnd::DisableParent(bool disable) {
  if (!m_parent) return;
  m_parentDisabled = disable;
  m_parent->setEnabled(!disable);
  setEnabled(true);
}

void SECSplashWnd::SetTopmost(bool topmost) {
  m_rules.topmost = topmost;
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
  // Changing a flag hides the window; show it again where it was, without
  // taking the activation.
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  if (shown) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  }
}

void SECSplashWnd::SetCloseOnInput(bool close) { m_rules.closeOnInput = close; }

void SECSplashWnd::PostClose() {
  QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool SECSplashWnd::CloseOnInput() {
  if (!m_rules.InputCloses()) return false;
  PostClose();
  return true;
}

void SECSplashWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, m_image);
  p.save();
  DrawExtra(p, rect());
  p.restore();
}

void SECSplashWnd::timerEvent(QTimerEvent* e) {
  // Only the closing timer closes; a subclass's own timers pass.
  if (e->timerId() == m_timer.timerId()) {
    m_timer.stop();
    PostClose();
    return;
  }
  QWidget::timerEvent(e);
}

void SECSplashWnd::keyPressEvent(QKeyEvent* e) {
  if (CloseOnInput()) e->accept();
  else QWidget::keyPressEvent(e);
}

void SECSplashWnd::mousePressEvent(QMouseEvent* e) {
  if (CloseOnInput()) e->accept();
  else QWidget::mousePressEvent(e);
}

void SECSplashWnd::mouseDoubleClickEvent(QMouseEvent* e) {
  if (CloseOnInput()) e->accept();
  else QWidget::mouseDoubleClickEvent(e);
}

void SECSplashWnd::closeEvent(QCloseEvent* e) {
  m_timer.stop();
  if (m_parentDisabled && m_parent) m_parent->setEnabled(true);
  m_parentDisabled = false;
  QWidget::closeEvent(e);
}

}  // namespace pm2
