#pragma once
// The window half shared by the list and tree controls: a QWidget that is
// also its engine and hands every Qt event to the engine's ListViewImpl.

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTimerEvent>
#include <QWidget>
#include <memory>

#include "toolkit/controls/list_view_impl.h"
#include "toolkit/controls/sys_color_change.h"

namespace pm2 {

template <class Engine>
class ListWindow : public QWidget, public Engine {
 public:
  ListViewImpl& View() { return *m_view; }

  // The in-place editor while a label edit runs, else null.
  SECListEdit* GetEditControl() const { return m_view->Editor(); }

  // Image lists: without LVS_SHAREIMAGELISTS the control keeps its own
  // copy (CopyImageList) and hands back its previous copy, which is then
  // the caller's; with it the control uses the caller's list itself.
  // Null for a kind out of range (and then nothing changes).
  std::shared_ptr<ImageStrip> SetImageList(std::shared_ptr<ImageStrip> list, ImageListKind kind) {
    const int k = int(kind);
    if (k < 0 || k > 3) return nullptr;
    auto previous = m_view->SetImageList(std::move(list), kind, this->HasListStyle(LVS_SHAREIMAGELISTS));
    ImagesChanged(kind);
    return previous;
  }
  using Engine::SetImageList;
  std::shared_ptr<ImageStrip> GetImageStrip(ImageListKind kind) const { return m_view->GetImageStrip(kind); }
  static std::shared_ptr<ImageStrip> CopyImageList(const ImageStrip& source) {
    return ListViewImpl::CopyImageList(source);
  }

 protected:
  explicit ListWindow(QWidget* parent) : QWidget(parent) {}

  bool event(QEvent* e) override {
    // Tab and Shift+Tab reach the engine instead of moving the focus.
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
        m_view->KeyPress(k);
        return true;
      }
    }
    return QWidget::event(e);
  }
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    m_view->Paint(p, e->rect());
  }
  void mousePressEvent(QMouseEvent* e) override { m_view->MousePress(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { m_view->MouseRelease(e); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { m_view->MouseDoubleClick(e); }
  void mouseMoveEvent(QMouseEvent* e) override { m_view->MouseMove(e); }
  void leaveEvent(QEvent*) override { m_view->Leave(); }
  void wheelEvent(QWheelEvent* e) override { m_view->Wheel(e); }
  void keyPressEvent(QKeyEvent* e) override {
    if (!m_view->KeyPress(e)) QWidget::keyPressEvent(e);
  }
  void timerEvent(QTimerEvent* e) override { m_view->Timer(e->timerId()); }
  void focusInEvent(QFocusEvent*) override { m_view->FocusIn(); }
  void focusOutEvent(QFocusEvent*) override { m_view->FocusOut(); }
  void resizeEvent(QResizeEvent*) override { m_view->Resized(); }
  void changeEvent(QEvent* e) override {
    if (e->type() == QEvent::EnabledChange) m_view->EnabledChanged();
    // WM_SYSCOLORCHANGE: the engine reloads its colours when it follows
    // the system's, and the window repaints with them.
    if (IsSysColorChange(e)) {
      this->OnSysColorChange();
      update();
    }
    QWidget::changeEvent(e);
  }

  // An image list was replaced (the tree's indent follows its images).
  virtual void ImagesChanged(ImageListKind) {}

  std::unique_ptr<ListViewImpl> m_view;
};

}  // namespace pm2
