#pragma once
// SECListCtrl: the owner-drawn multi-column list control. The behaviour is
// the engine's (SECListBaseC); this class is its window.

#include <QWidget>
#include <memory>

#include "toolkit/controls/list_view_impl.h"
#include "toolkit/core/list_engine.h"

namespace pm2 {

class SECListCtrl : public QWidget, public SECListBaseC {
  Q_OBJECT
 public:
  // `style` and `exStyle` are the list style words (LVS_ and extended bits).
  explicit SECListCtrl(QWidget* parent = nullptr, unsigned style = LVS_REPORT, unsigned exStyle = 0);
  ~SECListCtrl() override;

  ListViewImpl& View() { return *m_view; }
  void SetImages(ImageListKind kind, ImageStrip strip) { m_view->SetImages(kind, std::move(strip)); }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  std::unique_ptr<ListViewImpl> m_view;
};

}  // namespace pm2
