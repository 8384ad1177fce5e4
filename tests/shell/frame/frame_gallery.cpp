// Pictures of the main frame and the project window on the offscreen
// platform: frame_gallery <build folder> <source folder>. Opens a copy of
// the example, then saves the frame with the project window, with a source
// window open, in workbook mode, with the Project menu open, and the project tree's
// images, into <build>/gallery/frame. Exits non-zero when a picture could
// not be made.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <cstdio>
#include <filesystem>

#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/main_frame.h"
#include "toolkit/controls/inplace_edit.h"
#include "shell/project_window/prj_images.h"
#include "shell/windows/shell_runtime.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/menu_bar.h"
#include "test_leftovers.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

bool Save(const QImage& image, const QString& folder, const char* name) {
  QString path = folder + "/" + name + ".png";
  if (image.isNull() || !image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    return false;
  }
  return true;
}

QImage TreeImages() {
  auto strip = ProjectTreeImages();
  QImage out(int(strip->images.size()) * 22 + 4, 24, QImage::Format_RGB32);
  out.fill(SysQColor(SysColor::Window));
  QPainter p(&out);
  for (std::size_t i = 0; i < strip->images.size(); ++i) p.drawPixmap(4 + int(i) * 22, 4, strip->images[i]);
  return out;
}

int Run(const std::string& build, const std::string& source) {
  QString folder = QString::fromStdString(build + "/gallery/frame");
  QDir().mkpath(folder);
  std::string work = (fs::temp_directory_path() / "pm2gallery_frame").string();
  fs::remove_all(work);
  fs::copy(source + "/examples/blinky", work, fs::copy_options::recursive);
  bool ok = Save(TreeImages(), folder, "project-tree-images");
  {
    SettingsStore settings(work + "/settings.ini");
    ShellRuntime runtime(settings);
    FrameStartup ports(runtime, settings, false);
    runtime.App().InitInstance(ports, work + "/Blinky.pm2", build + "/test-root/PM2/pelmora2");
    CMainFrame* f = ports.Frame();
    if (!f) return 1;
    f->resize(1000, 700);
    f->UpdateCommandUi();
    QApplication::processEvents();
    ok &= Save(f->grab().toImage(), folder, "frame-project");
    f->Editors().Open(work + "/LED.c", 7);
    f->UpdateCommandUi();
    QApplication::processEvents();
    ok &= Save(f->grab().toImage(), folder, "frame-source-window");
    f->SetWorkbookMode(true);
    f->Editors().Open(work + "/Timer.c");
    f->UpdateCommandUi();
    QApplication::processEvents();
    ok &= Save(f->grab().toImage(), folder, "frame-workbook");
    // The Project menu dropped from the menu bar, over the frame: in the
    // classic look, then in the XP look of View > Visual Style.
    auto projectMenu = [&](const char* name) {
      SECMenuBar* bar = f->Bars()->MenuBar();
      if (!bar) return;
      int project = bar->FindMnemonic('p');
      bar->OpenPopup(project, true);
      QApplication::processEvents();
      if (QMenu* menu = bar->OpenMenu()) {
        QImage shot = f->grab().toImage();
        QPainter p(&shot);
        p.drawPixmap(f->mapFromGlobal(menu->pos()), menu->grab());
        p.end();
        ok &= Save(shot, folder, name);
        menu->close();
      }
    };
    projectMenu("frame-project-menu");
    f->ExecuteCommand(cmd::kViewVisualStyle);
    projectMenu("frame-project-menu-xp");
    f->ExecuteCommand(cmd::kViewVisualStyle);
    // A cell editor over a cell of the project tree.
    new CInPlaceEdit(f, QRect(30, 140, 120, 20), 1, "Source", kInPlaceMouse, nullptr);
    QApplication::processEvents();
    ok &= Save(f->grab(QRect(0, 100, 300, 100)).toImage(), folder, "inplace-edit");
    ports.DestroyFrame();
    runtime.App().ExitInstance(ports);
  }
  fs::remove_all(work);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: frame_gallery <build folder> <source folder>\n");
    return 2;
  }
  return pm2::Run(argv[1], argv[2]);
}
