// Renders the output window in its states and the tool argument dialog to
// PNG, so that a person can look at them. Usage:
//   shell_output_gallery <output folder> [--show]
// With --show the same windows also open on screen. Exits non-zero when a
// picture could not be made.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QScrollBar>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "project/model/app_state.h"
#include "shell/output/arg_get.h"
#include "shell/output/find_dialog.h"
#include "shell/output/out_edv.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "toolkit/controls/tab_windows.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

// What building the example prints, with one warning and one error.
const char* const kBlinkyBuild[] = {
    "Build target 'LPC2138'",
    "assembling Startup.s...",
    "compiling Blinky.c...",
    "Blinky.c(31): warning: unused variable 'count'",
    "compiling LED.c...",
    "LED.c(12): error: 'IOSET1' undeclared (first use in this function)",
    "compiling Timer.c...",
    "Blinky.elf - 1 Error(s), 1 Warning(s).",
};

ShellServices& Shell() {
  static ShellServices shell;
  return shell;
}

COutWin* BlinkyWindow(int width, int height) {
  auto* w = new COutWin(nullptr, Shell());
  w->resize(width, height);
  for (const char* line : kBlinkyBuild) w->OutputText(line);
  return w;
}

struct Shot {
  const char* name;
  std::function<QWidget*()> make;
  std::function<void(QWidget*)> after;  // once shown, before the picture
};

std::vector<Shot> Shots() {
  return {
      {"output_build",
       [] { return BlinkyWindow(640, 200); },
       [](QWidget* w) {
         // The error line selected, as after a click on it.
         auto* win = static_cast<COutWin*>(w);
         win->BuildPane()->Model().Click(5, false, false);
         win->BuildPane()->setFocus();
         win->BuildPane()->update();
       }},
      {"output_build_selection",
       [] { return BlinkyWindow(640, 200); },
       [](QWidget* w) {
         auto* win = static_cast<COutWin*>(w);
         win->BuildPane()->Model().Click(2, false, false);
         win->BuildPane()->Model().Click(4, true, false);
         win->BuildPane()->Model().Click(7, false, true);
         win->BuildPane()->update();
       }},
      {"output_build_scrolled",
       [] {
         COutWin* w = BlinkyWindow(480, 160);
         for (int i = 0; i < 40; ++i) w->OutputText(("compiling module" + std::to_string(i) + ".c...").c_str());
         w->OutputText(("Timer.c(88): warning: passing argument 1 of 'set_match' makes integer from pointer "
                        "without a cast; the value is truncated to 32 bits and the timer runs " +
                        std::string(80, '.') + " END")
                           .c_str());
         return w;
       },
       [](QWidget* w) {
         auto* win = static_cast<COutWin*>(w);
         QScrollBar* h = win->TabWnd()->GetScrollBar(0, win->BuildPane());
         h->setValue(h->maximum());
       }},
      {"output_find_in_files",
       [] {
         COutWin* w = BlinkyWindow(640, 160);
         w->OutputText2("Searching for 'IOSET1'...");
         w->OutputText2("LED.c(12): IOSET1 = LED_MASK;");
         w->OutputText2("LPC2138.h(211): #define IOSET1 (*((volatile unsigned long *) 0xE0028014))");
         w->OutputText2("Lines matched: 2       Files matched: 2        Total files searched: 7");
         w->SelectPage(COutWin::kFindPage);
         return w;
       },
       nullptr},
      {"output_command_page",
       [] {
         COutWin* w = BlinkyWindow(640, 160);
         w->SelectPage(COutWin::kCommandPage);
         return w;
       },
       nullptr},
      {"output_big_font",
       [] {
         COutWin* w = BlinkyWindow(640, 200);
         QFont big("DejaVu Sans Mono");
         big.setPixelSize(18);
         w->ApplyFont(&big);
         return w;
       },
       nullptr},
      {"output_edit_pane",
       [] {
         auto* e = new COutEdv(Shell());
         e->resize(480, 120);
         std::string text;
         for (const char* line : kBlinkyBuild) text += std::string(line) + "\n";
         e->SetText(text);
         return e;
       },
       nullptr},
      {"arg_get_dialog",
       [] {
         auto* d = new CArgGet;
         d->m_toolName = "PC-Lint";
         d->m_prepared = "-i\"/opt/lint\" std.lnt Blinky.c LED.c Timer.c";
         return d;
       },
       nullptr},
      {"find_dialog",
       [] {
         auto* d = new OutputFindDialog(nullptr, nullptr);
         d->TextEdit()->setText("IOSET1");
         d->MatchCaseBox()->setChecked(true);
         return d;
       },
       nullptr},
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
  std::vector<QWidget*> keep;
  for (const auto& shot : pm2::Shots()) {
    QWidget* w = shot.make();
    w->show();
    w->activateWindow();
    QApplication::processEvents();
    if (shot.after) shot.after(w);
    QApplication::processEvents();
    const QPixmap pm = w->grab();
    const QString file = out + "/" + shot.name + ".png";
    if (pm.isNull() || !pm.save(file)) {
      std::fprintf(stderr, "gallery: could not write '%s'\n", file.toLocal8Bit().constData());
      ++failed;
    } else {
      ++written;
    }
    if (show) keep.push_back(w);
    else delete w;
  }
  std::printf("%d pictures written to %s, %d failed\n", written, out.toLocal8Bit().constData(), failed);
  if (show) return app.exec();
  return failed ? 1 : 0;
}
