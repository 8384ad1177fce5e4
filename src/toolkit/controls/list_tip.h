#pragma once
// SECListTip: a borderless pop-up that shows the whole text of a cell whose
// text is clipped, laid exactly over the clipped text. Mouse input passes
// through it to the owner.

#include <QBasicTimer>
#include <QFont>
#include <QWidget>

#include "toolkit/core/geometry.h"

namespace pm2 {

class SECListClient;

class SECListTip : public QWidget {
  Q_OBJECT
 public:
  SECListTip(SECListClient* client, QWidget* owner);

  // True when the tip stands for the cell (shown now or already).
  bool Show(unsigned hitFlags, int item, int column, Point pt);
  void Hide();
  void Refresh();
  const QString& Text() const { return m_text; }
  int Item() const { return m_item; }
  // Tips show only while the application is active; tests and the gallery
  // on the offscreen platform turn that check off.
  static void SetRequireActiveWindow(bool on);

 protected:
  void paintEvent(QPaintEvent*) override;
  void timerEvent(QTimerEvent*) override;

 private:
  SECListClient* m_client;
  QWidget* m_owner;
  int m_item = -1;
  int m_subItem = -1;
  QString m_text;
  Rect m_rcItem;
  QBasicTimer m_timer;
};

}  // namespace pm2
