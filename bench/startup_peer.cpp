// The start-up peer: the smallest Qt Widgets program that shows one
// window, ending as soon as it is idle, as pelmora2 does with
// PM2_QUIT_WHEN_IDLE.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(800, 600);
  window.show();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return app.exec();
}
