// The demo frame on screen: `frame_demo` shows it; `frame_demo <file.png>`
// writes a picture of it and ends.

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <cstdio>

#include "demo_frame.h"
#include "toolkit/frames/workbook.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  pm2::DemoFrame demo = pm2::BuildDemoFrame();
  demo.frame->show();
  if (argc > 1) {
    QString out = argv[1];
    QTimer::singleShot(300, [&app, &demo, out, argv] {
      QImage img = pm2::GrabFrameWithFloating(demo.frame);
      bool ok = img.save(out, "PNG");
      if (!ok) std::fprintf(stderr, "cannot write '%s' (%dx%d)\n", argv[1], img.width(), img.height());
      app.exit(ok ? 0 : 1);
    });
  }
  int rc = app.exec();
  delete demo.frame;
  return rc;
}
