// The project dialogs as pictures: `project_gallery <folder>` writes one PNG
// per dialog and state.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <functional>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "project/devices/device_db_source.h"
#include "project/dialogs/book_view.h"
#include "project/dialogs/books_page.h"
#include "project/dialogs/device_db_editor.h"
#include "project/dialogs/device_selection.h"
#include "project/dialogs/components_page.h"
#include "project/dialogs/file_type_dialog.h"
#include "project/dialogs/folders_page.h"
#include "project/dialogs/project_sheet.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

ProjectRec* DemoProject() {
  PoolFreeAll();
  ProjectRec* p = NewProject(nullptr, "/home/user/blinky/Blinky.pm2");
  theApp().m_pProject = p;
  theApp().m_installRoot = "/opt/pelmora2/";
  TargetRec* t = p->curTarget;
  t->name = OptString("LPC2138 Flash");
  t->toolset = 3;
  t->VENDOR = OptString("NXP");
  t->DEVICE = OptString("LPC2138");
  ResetTargetOptions(t, kToolsetUndefined);
  TargetRec* sim = CopyTargetRec(t, kPoolProject);
  sim->name = OptString("Simulator");
  t->next = sim;
  p->lastTarget = sim;
  p->firstGroup->name = OptString("Startup Code");
  AddFileToGroup(p->firstGroup, "Startup.s", "./", kFileAsm);
  GroupRec* g = AddGroup(p, "Source Files");
  for (const char* f : {"Blinky.c", "IRQ.c", "Serial.c", "Retarget.c"}) AddFileToGroup(g, f, "./", kFileC);
  AddGroup(p, "Documentation");
  t->books[0] = {OptString("lpc213x_um.pdf"), OptString("LPC213x User Manual"), 0};
  return p;
}

EnvironmentInfo* DemoEnvironment() {
  static EnvironmentInfo env;
  for (int id : {3, 4}) {
    env.toolsets[id] = std::make_unique<ToolsetInfo>();
    env.toolsets[id]->toolset = id;
    env.toolsets[id]->rootFolder = "/opt/pelmora2/ARM/";
    env.toolsets[id]->toolsFolder = "/opt/pelmora2/ARM/BIN/";
    env.toolsets[id]->makerFolder = "/opt/pelmora2/";
    env.toolsets[id]->armToolFolder = id == 3 ? "/usr/lib/gcc/arm-none-eabi/" : "/opt/realview/";
    env.toolsets[id]->books = {{"HLP/gnu_as.pdf", "GNU Assembler", 6}, {"HLP/gnu_ld.pdf", "GNU Linker", 6}};
  }
  env.generalBooks = {{"DOC/pm2_guide.pdf", "Pelmora2 User's Guide", 7}, {"DOC/release.txt", "Release Notes", 7}};
  return &env;
}

// The shipped devices as a database file in a scratch folder.
std::string ShippedDatabase() {
  static QTemporaryDir dir;
  static std::string path;
  if (!path.empty()) return path;
  QFile f(PM2_SOURCE_DIR "/src/resources/devices.txt");
  if (!f.open(QIODevice::ReadOnly)) return path;
  const QByteArray text = f.readAll();
  DeviceDatabase db(kPoolFindInFiles);
  std::string err;
  ParseDeviceSource(std::string_view(text.constData(), size_t(text.size())), "devices.txt", db, &err);
  path = dir.filePath("pelmora2.cdb").toStdString();
  db.Write(path);
  db.Free();
  return path;
}

std::vector<TitledPath> Databases() {
  return {{ShippedDatabase(), "Generic CPU Data Base"}, {ShippedDatabase(), "Board Vendor Devices"}};
}

struct Shot {
  const char* name;
  std::function<QWidget*()> make;
};

std::vector<Shot> Shots() {
  return {
      {"sheet_components",
       [] {
         auto* s = new ProjectSheet(DemoProject(), "/nonexistent/TOOLS.INI", DemoEnvironment());
         s->Components()->Groups()->SetCurSel(1);
         s->Components()->OnCommand(ComponentsPage::kGroupsId, kLbnSelChange, nullptr);
         return s;
       }},
      {"sheet_folders",
       [] {
         auto* s = new ProjectSheet(DemoProject(), "/nonexistent/TOOLS.INI", DemoEnvironment());
         s->Tabs()->setCurrentWidget(s->Folders());
         return s;
       }},
      {"sheet_books",
       [] {
         auto* s = new ProjectSheet(DemoProject(), "/nonexistent/TOOLS.INI", DemoEnvironment());
         s->Tabs()->setCurrentWidget(s->Books());
         s->Books()->StartChange(kBooksDevice, 0);
         return s;
       }},
      {"sheet_no_project",
       [] {
         theApp().m_pProject = nullptr;
         return new ProjectSheet(nullptr, "/nonexistent/TOOLS.INI", DemoEnvironment());
       }},
      {"device_sheet",
       [] { return new DeviceSheet(Databases(), 0, DemoProject()->curTarget); }},
      {"device_page_51",
       [] {
         ProjectRec* p = DemoProject();
         p->curTarget->toolset = 0;
         auto* w = new DeviceSelector(Databases(), 0, p->curTarget, DeviceSelector::kOptionsPage);
         HTREEITEM v = w->Tree()->GetRootItem();
         for (; v; v = w->Tree()->GetNextSiblingItem(v)) {
           HTREEITEM d = w->Tree()->GetChildItem(v);
           auto* e = d ? reinterpret_cast<const DeviceDbEntry*>(w->Tree()->GetItemData(d)) : nullptr;
           if (e && e->nFamily == 0) {
             w->SelectDevice(e->vendor.str(), e->device.str());
             break;
           }
         }
         return w;
       }},
      {"device_db_editor",
       [] {
         auto* e = new DeviceDbEditor(ShippedDatabase());
         const DeviceDbEntry* first = e->Database().First();
         for (const DeviceDbEntry* d = first; d; d = d->pNext)
           if (d->device == "LPC2138") first = d;
         e->SelectEntry(first);
         return e;
       }},
      {"books_window",
       [] {
         auto* v = new BookView;
         v->resize(260, 300);
         v->Fill(DemoEnvironment(), DemoProject());
         return v;
       }},
      {"file_type_dialog",
       [] { return new FileTypeDialog("notes.xyz", "The file '/home/user/blinky/notes.xyz' matches no file type of the project. Choose its type:", 0, true); }},
      {"file_types_page", [] { return new FileTypesPage(DemoProject()); }},
      {"book_dialog", [] { return new BookDialog("LPC213x User Manual", "/opt/pelmora2/ARM/HLP/lpc213x_um.pdf"); }},
  };
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(out);
  int failed = 0, written = 0;
  for (const auto& shot : pm2::Shots()) {
    QWidget* w = shot.make();
    w->show();
    QApplication::processEvents();
    const QString file = out + "/" + shot.name + ".png";
    if (!w->grab().save(file)) {
      std::fprintf(stderr, "project_gallery: could not write '%s'\n", file.toLocal8Bit().constData());
      ++failed;
    } else {
      ++written;
    }
    delete w;
  }
  std::printf("%d pictures written to %s, %d failed\n", written, out.toLocal8Bit().constData(), failed);
  return failed ? 1 : 0;
}
