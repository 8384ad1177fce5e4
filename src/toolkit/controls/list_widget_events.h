#pragma once
// Event forwarding shared by the list and tree windows.

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTimerEvent>

#define PM2_LIST_WIDGET_EVENTS(Class)                                                         \
  bool Class::event(QEvent* e) {                                                              \
    if (e->type() == QEvent::KeyPress) {                                                      \
      auto* k = static_cast<QKeyEvent*>(e);                                                   \
      if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {                           \
        m_view->KeyPress(k);                                                                  \
        return true;                                                                          \
      }                                                                                       \
    }                                                                                         \
    return QWidget::event(e);                                                                 \
  }                                                                                           \
  void Class::paintEvent(QPaintEvent* e) {                                                    \
    QPainter p(this);                                                                         \
    m_view->Paint(p, e->rect());                                                              \
  }                                                                                           \
  void Class::mousePressEvent(QMouseEvent* e) { m_view->MousePress(e); }                       \
  void Class::mouseReleaseEvent(QMouseEvent* e) { m_view->MouseRelease(e); }                   \
  void Class::mouseDoubleClickEvent(QMouseEvent* e) { m_view->MouseDoubleClick(e); }          \
  void Class::mouseMoveEvent(QMouseEvent* e) { m_view->MouseMove(e); }                         \
  void Class::leaveEvent(QEvent*) { m_view->Leave(); }                                        \
  void Class::wheelEvent(QWheelEvent* e) { m_view->Wheel(e); }                                 \
  void Class::keyPressEvent(QKeyEvent* e) {                                                   \
    if (!m_view->KeyPress(e)) QWidget::keyPressEvent(e);                                      \
  }                                                                                           \
  void Class::timerEvent(QTimerEvent* e) { m_view->Timer(e->timerId()); }                      \
  void Class::focusInEvent(QFocusEvent*) { m_view->FocusIn(); }                                \
  void Class::focusOutEvent(QFocusEvent*) { m_view->FocusOut(); }                              \
  void Class::resizeEvent(QResizeEvent*) { m_view->Resized(); }                                \
  void Class::changeEvent(QEvent* e) {                                                        \
    if (e->type() == QEvent::EnabledChange) m_view->EnabledChanged();                         \
    QWidget::changeEvent(e);                                                                  \
  }
