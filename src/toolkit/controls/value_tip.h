// The value tip: a small green bubble beside the pointer with one line of
// white text ("Addr=..." while a scroll thumb is dragged). Each view owns
// one, made with the view's font.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

#include "toolkit/models/value_tip_geometry.h"

namespace pm2 {

class ValueTip : public QWidget {
 public:
  ValueTip(QWidget* owner, const QFont& font);
  // Shows the text near the pointer (pointer in screen coordinates; the
  // overload without one reads the cursor).
  void ShowText(const QString& text);
  void ShowTextAt(const QString& text, QPoint pointer);
  void Hide();
  QString Text() const { return m_text; }

  // All tips share one drag: a hide starts the next.
  static TipDrag& Drag();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString m_text;
};

}  // namespace pm2
