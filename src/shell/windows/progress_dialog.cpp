#include "shell/windows/progress_dialog.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "toolkit/controls/progress_ctrl.h"

namespace pm2 {

ProgressDialogGeometry ProgressDialogLayout(int clientWidth, bool hasCancel) {
  ProgressDialogGeometry g;
  g.window = QSize(ProgressDialog::kWidth, hasCancel ? 150 : 100);
  g.text = QRect(QPoint(10, 10), QPoint(clientWidth - 20 - 1, 30 - 1));
  g.bar = QRect(QPoint(10, 40), QPoint(clientWidth - 20 - 1, 60 - 1));
  if (hasCancel) g.cancel = QRect((clientWidth - 100) / 2, 75, 100, 30);
  return g;
}

// ------------------------------------------------------------ the window

ProgressWindow::ProgressWindow(const QString& title, const QString& cancelText, const QString& text,
                               std::function<void()> onCancel)
    : QDialog(nullptr), m_onCancel(std::move(onCancel)) {
  setWindowTitle(title);
  setModal(false);
  m_text = new QLabel(text, this);
  m_barFrame = new QFrame(this);
  m_barFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_barFrame->setLineWidth(1);
  m_bar = new SECProgressCtrl(m_barFrame);
  m_bar->SetBarStyle(progress::kDefault);
  m_bar->SetRange(0, 0);
  if (!cancelText.isEmpty()) {
    m_cancel = new QPushButton(cancelText, this);
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
  }
  ProgressDialogGeometry g = ProgressDialogLayout(ProgressDialog::kWidth, m_cancel != nullptr);
  setFixedSize(g.window);
  // Centred on the screen's work area.
  if (QScreen* screen = QApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(g.window.width() / 2, g.window.height() / 2));
  }
  Place();
}

void ProgressWindow::Place() {
  ProgressDialogGeometry g = ProgressDialogLayout(width(), m_cancel != nullptr);
  m_text->setGeometry(g.text);
  m_barFrame->setGeometry(g.bar);
  const int edge = m_barFrame->frameWidth();
  m_bar->setGeometry(edge, edge, g.bar.width() - 2 * edge, g.bar.height() - 2 * edge);
  if (m_cancel) m_cancel->setGeometry(g.cancel);
}

void ProgressWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Place();
}

void ProgressWindow::SetMaximum(int maximum) {
  m_maximum = maximum;
  m_bar->SetRange(0, maximum);
}

void ProgressWindow::reject() {
  if (m_onCancel) m_onCancel();
}

// ------------------------------------------------------------ the operation

ProgressDialog::ProgressDialog(const QString& title, const QString& cancelText, QWidget* mainWindow,
                               MillisecondClock clock)
    : m_gate(std::move(clock)), m_title(title), m_cancelText(cancelText), m_mainWindow(mainWindow) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  m_cursorSet = true;
}

ProgressDialog::~ProgressDialog() {
  m_window.reset();
  if (m_cursorSet) QApplication::restoreOverrideCursor();
  if (m_mainWindow) m_mainWindow->setEnabled(true);
}

QDialog* ProgressDialog::Window() const { return m_window.get(); }

void ProgressDialog::SetText(const QString& text) {
  m_text = text;
  if (m_window) m_window->TextLine()->setText(text);
}

int ProgressDialog::Update(int position, int maximum) {
  if (!m_gate.DelayPassed()) return 1;
  if (!m_window && m_gate.MayCreate(maximum)) {
    m_window = std::make_unique<ProgressWindow>(m_title, m_cancelText, m_text,
                                                [this] { m_gate.Cancel(); });
    m_window->show();
    if (m_mainWindow) m_mainWindow->setEnabled(false);
  }
  if (!m_window) return m_gate.Cancelled() ? 0 : 1;
  if (maximum != 0 || maximum != m_window->Maximum()) m_window->SetMaximum(maximum);
  if (m_window->Bar()->GetPos() != position) m_window->Bar()->SetPos(position);
  if (!PumpEvents()) return 0;
  return m_gate.Cancelled() ? 0 : 1;
}

namespace {

// Holds back a quit request met while pumping, so that it reaches the
// application's own loop afterwards rather than ending a nested one.
class QuitCatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
      quit = true;
      return true;
    }
    return false;
  }
  bool quit = false;
};

}  // namespace

bool ProgressDialog::PumpEvents() {
  QuitCatcher catcher;
  QCoreApplication::instance()->installEventFilter(&catcher);
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::instance()->removeEventFilter(&catcher);
  if (catcher.quit) {
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    return false;
  }
  return true;
}

}  // namespace pm2
