// Pictures of the shell's small windows in their typical states, as PNG
// files on the offscreen platform: shell_gallery <output folder>. Exits
// non-zero when a picture could not be made.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "shell/windows/goto_line_dialog.h"
#include "shell/windows/line_input_dialog.h"
#include "shell/windows/progress_dialog.h"
#include "toolkit/controls/progress_ctrl.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

class NoView : public GotoLineTarget {
 public:
  bool HasActiveEditorView() override { return true; }
  bool GoToLine(long) override { return true; }
};

bool Save(QWidget* w, const QString& folder, const char* name) {
  w->show();
  QApplication::processEvents();
  QPixmap picture = w->grab();
  QString path = folder + "/" + name + ".png";
  if (picture.isNull() || !picture.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

// A progress window as it shows after its delay, at a position.
bool ProgressShot(const QString& folder, const char* name, const QString& cancel, const QString& text,
                  int position, int maximum) {
  int64_t now = 0;
  ProgressDialog d("Downloading to Flash", cancel, nullptr, [&] { return now; });
  d.SetText(text);
  now = 5000;
  d.Update(position, maximum);
  return d.Window() && Save(d.Window(), folder, name);
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("gallery");
  folder += "/shell";
  QDir().mkpath(folder);
  bool ok = true;
  using namespace pm2;
  ok &= ProgressShot(folder, "progress_cancel", "Cancel", "Erase sector 3 of 12", 40, 100);
  ok &= ProgressShot(folder, "progress_plain", "", "Loading 'Blinky.elf'", 75, 100);
  ok &= ProgressShot(folder, "progress_start", "Stop", "", 0, 10);
  {
    LineInputDialog d("Enter the address of the watch expression");
    d.Edit()->setText("  0x40000000");
    ok &= Save(&d, folder, "line_input");
  }
  {
    NoView view;
    auto* d = new GotoLineDialog(view, [] {});
    d->Edit()->setText("128");
    ok &= Save(d, folder, "goto_line");
    delete d;
  }
  return ok ? 0 : 1;
}
