// Renders the status bar in its states and the splash window to PNG, so
// that a person can look at them. Usage:
//   toolkit_frames_panes_gallery <output folder> [--show]
// With --show the same widgets also open on screen. Exits non-zero when a
// picture could not be made.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"
#include "toolkit/frames/splash_wnd.h"
#include "toolkit/frames/status_bar.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

constexpr CommandId kBuild = 0xE711, kLine = 0xE710, kCap = 0xE701, kNum = 0xE702, kScrl = 0xE703, kOvr = 0xE704,
                    kSim = 0xE712;

const ResourceTables& Strings() {
  static ResourceTables t = [] {
    ResourceTables r;
    std::string err;
    if (!r.Load("STRING 59153 \"                                \"\n"
                "STRING 59152 \"L:99999 C:999\"\n"
                "STRING 59137 \"CAP\"\n"
                "STRING 59138 \"NUM\"\n"
                "STRING 59139 \"SCRL\"\n"
                "STRING 59140 \"OVR\"\n"
                "STRING 59154 \"Simulation\"\n",
                "gallery strings", &err))
      std::fprintf(stderr, "gallery: %s\n", err.c_str());
    return r;
  }();
  return t;
}

// A frame-like window: an empty client area with the status bar at its
// bottom, as the main frame lays it out; a fixed-size window has no size
// grip.
struct Framed {
  QWidget* window;
  SECStatusBar* bar;
};

Framed MakeFramed(int width, const std::vector<CommandId>& ids, bool fixedSize = false) {
  auto* w = new QWidget;
  w->resize(width, 90);
  if (fixedSize) w->setFixedSize(width, 90);
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* client = new QLabel;
  client->setAutoFillBackground(true);
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, SysQColor(SysColor::AppWorkspace));
  client->setPalette(pal);
  layout->addWidget(client, 1);
  auto* bar = new SECStatusBar(w);
  layout->addWidget(bar);
  bar->SetIndicators(ids.data(), int(ids.size()), Strings());
  return {w, bar};
}

struct Shot {
  const char* name;
  std::function<QWidget*()> make;
};

std::vector<Shot> Shots() {
  return {
      {"status_ready",
       [] {
         Framed f = MakeFramed(640, {0, kLine, kCap, kNum, kScrl});
         f.bar->SetWindowText("Ready");
         f.bar->SetPaneText(1, "L:128 C:17");
         return f.window;
       }},
      {"status_progress",
       [] {
         Framed f = MakeFramed(640, {0, kBuild, kLine, kCap, kNum});
         f.bar->SetWindowText("Building target 'Blinky'...");
         f.bar->SetPaneText(2, "L:42 C:1");
         SECProgressCtrl* p = f.bar->ShowProgress(1);
         p->SetPos(62);
         return f.window;
       }},
      {"status_indicator_states",
       [] {
         // CAP on (pop-out), NUM off (disabled, no text), OVR plain.
         Framed f = MakeFramed(640, {0, kSim, kCap, kNum, kOvr});
         f.bar->SetWindowText("Stopped at breakpoint in main.c line 42");
         f.bar->SetPaneStyle(2, f.bar->GetPaneStyle(2) | sbps::kPopout);
         f.bar->SetPaneStyle(3, f.bar->GetPaneStyle(3) | sbps::kDisabled);
         return f.window;
       }},
      {"status_two_stretch_panes",
       [] {
         Framed f = MakeFramed(640, {0, kSim, kLine, kCap}, true);
         f.bar->SetWindowText("Message pane");
         f.bar->SetPaneText(1, "Second stretch pane");
         f.bar->SetPaneStyle(1, f.bar->GetPaneStyle(1) | sbps::kStretch);
         return f.window;
       }},
      {"status_narrow",
       [] {
         Framed f = MakeFramed(300, {0, kLine, kCap, kNum});
         f.bar->SetWindowText("A long message that does not fit into the pane");
         return f.window;
       }},
  };
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  const bool show = argc > 2 && std::strcmp(argv[2], "--show") == 0;
  if (!show) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(out);
  int failed = 0, written = 0;
  auto save = [&](const char* name, QWidget* w) {
    w->show();
    QApplication::processEvents();
    const QPixmap pm = w->grab();
    const QString file = out + "/" + name + ".png";
    if (pm.isNull() || !pm.save(file)) {
      std::fprintf(stderr, "gallery: could not write '%s'\n", file.toLocal8Bit().constData());
      ++failed;
    } else {
      ++written;
    }
  };
  std::vector<QWidget*> keep;
  for (const auto& shot : pm2::Shots()) {
    QWidget* w = shot.make();
    save(shot.name, w);
    if (show) keep.push_back(w);
    else delete w;
  }
  {
    auto* splash = new pm2::SECSplashWnd(pm2::SECSplashWnd::kDefaultBitmap, 60000, show);
    if (!splash->Create(nullptr, true)) {
      std::fprintf(stderr, "gallery: the splash picture could not be read\n");
      ++failed;
    } else {
      save("splash", splash);
    }
    if (show) keep.push_back(splash);
    else delete splash;
  }
  std::printf("%d pictures written to %s, %d failed\n", written, out.toLocal8Bit().constData(), failed);
  if (show) return app.exec();
  return failed ? 1 : 0;
}
