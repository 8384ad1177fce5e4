#pragma once
// SECSplashWnd: the start-up picture, centred on the screen, that closes
// itself when its time is up, on the first key or mouse button press
// (while its timer runs), or on request. The picture is drawn 1:1, then
// DrawExtra() may draw over it.
//
//   auto* splash = new SECSplashWnd();           // the product picture, 3 s
//   splash->setAttribute(Qt::WA_DeleteOnClose);
//   splash->Create();                             // shown at once
//
// Without a parent the splash stays above other windows and out of the
// task bar unless it was given its own title; with a parent it may hold
// the parent disabled while it shows (DisableParent).

#include <QBasicTimer>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "toolkit/frames/splash_model.h"

namespace pm2 {

class SECSplashWnd : public QWidget {
 public:
  // The product's splash picture compiled into the program.
  static const char* const kDefaultBitmap;

  // `bitmap` is a Qt resource path or a file name.
  explicit SECSplashWnd(QString bitmap = kDefaultBitmap, int durationMs = 3000, bool noTimer = false,
                        bool topmost = false);
  ~SECSplashWnd() override;

  // Loads the picture and places the window centred on `screen` (the
  // primary screen when empty), starts the timer unless told not to, and
  // with `visible` shows and paints it at once. False, with nothing shown,
  // when the picture cannot be read.
  virtual bool Create(QWidget* parent = nullptr, bool visible = true, const QRect& screen = {});
  // A custom title, used at creation; the splash then has a task-bar entry.
  virtual void SetTitle(const QString& title);
  virtual void Close();
  virtual void RestartTimer();
  // Starts the closing timer with `ms`, also for a splash made without one.
  virtual void SetDuration(int ms);
  // With a parent: disables (or enables again) the parent while the splash
  // itself stays enabled; closing enables a parent it disabled.
  virtual void DisableParent(bool disable);
  virtual void SetTopmost(bool topmost);
  virtual void SetCloseOnInput(bool close);

  const QImage& Image() const { return m_image; }
  const SplashRules& Rules() const { return m_rules; }
  bool TimerRunning() const { return m_timer.isActive(); }
  int TimerId() const { return m_timer.timerId(); }

 protected:
  // Drawing hook after the picture; `rect` is the client rectangle.
  virtual void DrawExtra(QPainter& /*p*/, const QRect& /*rect*/) {}
  void paintEvent(QPaintEvent*) override;
  void timerEvent(QTimerEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  bool CloseOnInput();
  void PostClose();

  QString m_bitmap;
  SplashRules m_rules;
  QImage m_image;
  QBasicTimer m_timer;
  QPointer<QWidget> m_parent;
  bool m_parentDisabled = false;
  bool m_customTitle = false;
  QString m_title;
};

}  // namespace pm2
