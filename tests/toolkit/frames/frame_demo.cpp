// The demo frame on screen: `frame_demo` shows it; `frame_demo [--after ms]
// <file.png>` writes a picture of it after a while (300 ms by default, so
// that input from outside can act first) and ends. With `--several-bars`
// the serial and watch bars may share one floating frame, and the serial
// bar floats in such a frame.

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo_frame.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/workbook.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int after = 300;
  const char* out = nullptr;
  bool several = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--after") == 0 && i + 1 < argc) after = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--several-bars") == 0) several = true;
    else out = argv[i];
  }
  pm2::DemoFrame demo = pm2::BuildDemoFrame();
  demo.frame->show();
  if (several) {
    for (pm2::SECControlBar* b : {demo.serial, demo.watch})
      b->EnableDocking(pm2::CBRS_ALIGN_ANY | pm2::CBRS_FLOAT_MULTI);
    demo.frame->FloatControlBar(demo.serial, QPoint(620, 200), pm2::CBRS_ALIGN_TOP | pm2::CBRS_FLOAT_MULTI);
  }
  if (out) {
    QTimer::singleShot(after, [&app, &demo, out] {
      QImage img = pm2::GrabFrameWithFloating(demo.frame);
      bool ok = img.save(QString::fromLocal8Bit(out), "PNG");
      if (!ok) std::fprintf(stderr, "cannot write '%s' (%dx%d)\n", out, img.width(), img.height());
      app.exit(ok ? 0 : 1);
    });
  }
  int rc = app.exec();
  delete demo.frame;
  return rc;
}
