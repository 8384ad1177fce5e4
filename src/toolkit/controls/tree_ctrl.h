#pragma once
// SECTreeCtrl: the tree control window over the tree model. The program's
// trees derive from it and override PickItemColors, PickItemFont and
// OnKeyEditLabel.

#include <QWidget>
#include <memory>

#include "toolkit/controls/list_view_impl.h"
#include "toolkit/core/tree_engine.h"

namespace pm2 {

class TreeViewImpl;

class SECTreeCtrl : public QWidget, public SECTreeBaseC {
  Q_OBJECT
 public:
  // `style`: TVS_ bits and list bits; `exStyle`: the extended tree bits.
  explicit SECTreeCtrl(QWidget* parent = nullptr, unsigned style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                       unsigned exStyle = 0);
  ~SECTreeCtrl() override;

  ListViewImpl& View();
  void SetImages(ImageListKind kind, ImageStrip strip);

 signals:
  // After a label edit of column 0 ended with the text accepted.
  void labelEditEnded(unsigned controlId, pm2::HTREEITEM item);

 protected:
  void OnLabelEdited(int item, int subItem) override;
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
