// Pictures of the dialogs the frame's commands open, each taken while the
// dialog runs in the frame on the offscreen platform:
// ide_dialogs_gallery <build folder> <source folder>. Saves into
// <build>/gallery/ide: the components sheet, the device sheet, the device
// database, Add Files, Find in Files with its hits in the find page, the
// customise dialog and the Tools menu with a user tool, the books tab.
// Exits non-zero when a picture could not be made.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/tools/user_tools.h"
#include "shell/app/shell_app.h"
#include "shell/frame/frame_bars.h"
#include "toolkit/menus/menu_bar.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_startup.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/frame/tool_commands.h"
#include "shell/project_window/prj_win.h"
#include "shell/tools/find_in_files.h"
#include "shell/tools/ui/find_in_files_dialog.h"
#include "shell/windows/shell_runtime.h"
#include "toolkit/controls/tab_windows.h"
#include "test_leftovers.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

QString g_folder;
bool g_ok = true;

void Save(const QImage& image, const char* name) {
  QString path = g_folder + "/" + name + ".png";
  if (image.isNull() || !image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    g_ok = false;
  }
}

// Grabs the modal dialog the command opens, then closes it with `close`.
void GrabNextModal(const char* name, std::function<void(QWidget*)> prepare = {}) {
  QTimer::singleShot(200, [name, prepare] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) {
      std::fprintf(stderr, "no dialog for %s\n", name);
      g_ok = false;
      return;
    }
    if (prepare) prepare(w);
    QApplication::processEvents();
    Save(w->grab().toImage(), name);
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
  });
}

int Run(const std::string& build, const std::string& source) {
  g_folder = QString::fromStdString(build + "/gallery/ide");
  QDir().mkpath(g_folder);
  std::string work = (fs::temp_directory_path() / "pm2gallery_ide_dialogs").string();
  fs::remove_all(work);
  fs::copy(source + "/examples/blinky", work, fs::copy_options::recursive);
  SettingsStore settings(work + "/settings.ini");
  ShellRuntime runtime(settings);
  FrameStartup ports(runtime, settings, false);
  runtime.App().InitInstance(ports, work + "/Blinky.pm2", build + "/test-root/PM2/pelmora2");
  CMainFrame* f = ports.Frame();
  if (!f) return 1;
  f->resize(1000, 700);
  QApplication::processEvents();
  ProjectCommandsExt* project = f->ProjectCommands();
  auto grabDialog = [](const char* name) {
    return [name](QDialog& d) {
      d.show();
      QApplication::processEvents();
      Save(d.grab().toImage(), name);
      return int(QDialog::Rejected);
    };
  };
  project->m_runDialog = grabDialog("dialog-components");
  f->ExecuteCommand(cmd::kComponents);
  project->m_runDialog = grabDialog("dialog-device");
  runtime.App().m_pSelItem = runtime.App().Project()->curTarget;
  f->ExecuteCommand(cmd::kSelectDevice);
  project->m_runDialog = grabDialog("dialog-device-database");
  f->ExecuteCommand(32710);
  project->m_runDialog = [](QDialog& d) { return d.exec(); };
  runtime.App().m_pSelItem = runtime.App().Project()->firstGroup;
  GrabNextModal("dialog-add-files");
  f->ExecuteCommand(cmd::kAddFiles);
  GrabNextModal("dialog-find-in-files", [&](QWidget* w) {
    auto* d = static_cast<FindInFilesDialog*>(w);
    d->FindCombo()->setEditText("LED_On");
    d->FolderCombo()->setEditText(QString::fromStdString(work));
  });
  f->ExecuteCommand(kCmdFindInFiles);
  GrabNextModal("dialog-customize-tools");
  f->ExecuteCommand(35095);

  // A search's hits in the find page.
  FindInFilesRequest request;
  request.findText = "LED";
  request.fileTypes = "*.c;*.h";
  request.folder = work;
  f->ShowOutputPage(2);
  f->Tools()->Finder().Start(request);
  // Its lines come through the GUI thread, so the loop runs until it ends.
  while (f->Tools()->FindRunning()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  Save(f->grab().toImage(), "frame-find-page");

  // The Tools menu with a user tool at its end.
  settings.WriteProfileInt("ToolM", "Mfg0", 0x100);
  settings.WriteProfileString("ToolM", "Mtx0", "Word Count of @E");
  settings.WriteProfileString("ToolM", "Mex0", "/usr/bin/wc");
  settings.WriteProfileString("ToolM", "Mag0", "#E");
  f->Tools()->Tools().Load(settings);
  for (int i = 0; i < int(f->Bars()->MenuBar()->Model().Rows().size()); ++i) {
    QMenu* menu = f->Bars()->MenuBar()->PopupFor(i);
    bool tools = false;
    for (QAction* a : menu->actions()) tools = tools || a->data().toUInt() == 35095;
    if (!tools) continue;
    menu->popup(f->mapToGlobal(QPoint(200, 40)));
    QApplication::processEvents();
    Save(menu->grab().toImage(), "menu-tools");
    menu->hide();
  }

  // The books tab of the project window.
  f->ProjectBar()->ActivatePane(CPrjWin::kBooksPageId);
  QApplication::processEvents();
  Save(f->ProjectBar()->grab().toImage(), "project-books-tab");

  ports.DestroyFrame();
  runtime.App().ExitInstance(ports);
  fs::remove_all(work);
  return g_ok ? 0 : 1;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::Run(argv[1], argv[2]);
}
