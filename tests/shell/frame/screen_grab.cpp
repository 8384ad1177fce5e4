// screen_grab: saves the whole screen of the display it runs on as a PNG,
// for the end-to-end test's pictures of the real program under Xvfb.
//   screen_grab out.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: screen_grab out.png\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    std::fprintf(stderr, "screen_grab: no screen\n");
    return 1;
  }
  QPixmap shot = screen->grabWindow(0);
  if (shot.isNull() || !shot.save(argv[1], "PNG")) {
    std::fprintf(stderr, "screen_grab: cannot save '%s'\n", argv[1]);
    return 1;
  }
  return 0;
}
