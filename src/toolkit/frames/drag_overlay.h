#pragma once
// A translucent, input-transparent window that shows the rectangle of a
// drag (a thin frame where a bar would dock, a thick one where it would
// float, a line for a splitter) above everything, in screen coordinates.

#include <QWidget>

namespace pm2 {

class DragOverlay : public QWidget {
 public:
  enum class Look { Dock, Float, Splitter };
  DragOverlay();
  void ShowRect(const QRect& screenRect, Look look);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Look m_look = Look::Dock;
};

}  // namespace pm2
