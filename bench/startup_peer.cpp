// The start-up peer: the smallest Qt Widgets program that shows one
// window with a menu bar (a QMainWindow with the menus an IDE starts
// with), ending as soon as it is idle, as pelmora2 does with
// PM2_QUIT_WHEN_IDLE, or with PM2_QUIT_WHEN_SHOWN once its window is
// painted, printing "shown" as pelmora2 does.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class QuitWhenShown : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      m_seen = true;
      QTimer::singleShot(0, qApp, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QuitWhenShown quitWhenShown;
  const bool whenShown = std::getenv("PM2_QUIT_WHEN_SHOWN") != nullptr;
  if (whenShown) app.installEventFilter(&quitWhenShown);
  QMainWindow window;
  for (const char* menu : {"&File", "&Edit", "&View", "&Project", "&Debug", "&Tools", "&Window", "&Help"})
    window.menuBar()->addMenu(menu)->addAction("&Open...");
  window.setCentralWidget(new QWidget);
  window.resize(800, 600);
  window.show();
  if (!whenShown) QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return app.exec();
}
