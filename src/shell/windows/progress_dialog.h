// The progress window of a long operation on the GUI thread. It appears
// only once the operation has lasted its start delay (2000 ms) and an
// update names a maximum; while shown it disables the main window and
// keeps the user interface alive by pumping pending events at every
// update. An optional Cancel button (and Escape) marks the operation
// cancelled; the window stays until the object goes, which re-enables the
// main window and restores the cursor.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

#include "shell/app/progress_gate.h"

class QFrame;
class QLabel;
class QPushButton;

namespace pm2 {

class SECProgressCtrl;

// Where everything sits, in client coordinates of a window of the given
// client width: 370 x 150 pixels with a Cancel button, 370 x 100 without.
struct ProgressDialogGeometry {
  QSize window;
  QRect text;    // the text line: x 10 .. width - 20, y 10 .. 30
  QRect bar;     // the progress bar: y 40 .. 60
  QRect cancel;  // centred, 100 wide, y 75 .. 105; empty without a button
};
ProgressDialogGeometry ProgressDialogLayout(int clientWidth, bool hasCancel);

class ProgressWindow;

class ProgressDialog {
 public:
  static constexpr int kWidth = 370;

  // cancelText empty: no Cancel button. mainWindow (may be null) is
  // disabled while the window shows. clock: milliseconds (tests pass a fake).
  ProgressDialog(const QString& title, const QString& cancelText, QWidget* mainWindow = nullptr,
                 MillisecondClock clock = SteadyMilliseconds);
  ~ProgressDialog();
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // 1 to go on, 0 after the user cancelled or when a quit request came in
  // (the request stays pending for the application's own loop).
  int Update(int position, int maximum);
  void SetText(const QString& text);

  bool Cancelled() const { return m_gate.Cancelled(); }
  // The window once it exists (null before).
  QDialog* Window() const;

 private:
  bool PumpEvents();

  ProgressGate m_gate;
  QString m_title;
  QString m_cancelText;
  QString m_text;
  QWidget* m_mainWindow;
  std::unique_ptr<ProgressWindow> m_window;
  bool m_cursorSet = false;
};

// The window itself, built when the delay has passed.
class ProgressWindow : public QDialog {
  Q_OBJECT
 public:
  ProgressWindow(const QString& title, const QString& cancelText, const QString& text,
                 std::function<void()> onCancel);
  SECProgressCtrl* Bar() const { return m_bar; }
  QLabel* TextLine() const { return m_text; }
  QPushButton* CancelButton() const { return m_cancel; }
  int Maximum() const { return m_maximum; }
  void SetMaximum(int maximum);

 protected:
  void reject() override;  // Escape and the close box cancel; the window stays
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Place();
  std::function<void()> m_onCancel;
  QLabel* m_text = nullptr;
  QFrame* m_barFrame = nullptr;  // the sunken edge around the bar
  SECProgressCtrl* m_bar = nullptr;
  QPushButton* m_cancel = nullptr;
  int m_maximum = 0;
};

}  // namespace pm2
