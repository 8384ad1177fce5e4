// Pictures of the options sheet: every page of every toolset at target
// level, and the group and file pages, as PNG files in the folder given
// (offscreen), or on screen with --show.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <map>
#include <fstream>
#include <memory>

#include "options/core/driver_caps.h"
#include "options/bank_stream.h"
#include "options/core/options_session.h"
#include "options/pages/bank_wizard_dialog.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/option_page.h"
#include "options/pages/options_sheet.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

class NoDrivers : public DriverCaps {
 public:
  bool Call(const std::string&, int code, void*, int32_t* result) override {
    *result = code == kCapFamily ? 7 : 1;
    return true;
  }
  std::string Refusal(const std::string&) override { return {}; }
};

const char* const kToolsetNames[] = {"51", "251", "166", "armgnu", "armads", "51np"};

int Render(const QString& folder) {
  int written = 0;
  NoDrivers drivers;
  EnvironmentInfo env;
  for (int t = 0; t < 5; ++t) {
    env.toolsets[t] = std::make_unique<ToolsetInfo>();
    env.toolsets[t]->targetDrivers = {{"GDB.DLL", "GDB Server"}, {"SIM.DLL", ""}};
  }
  // The last pass: a banked 51 target with the NP51 linker and on-chip ROM
  // and XRAM, for the extended pages and the target page's other rows.
  for (uint16_t pass = 0; pass < 6; ++pass) {
    const uint16_t toolset = pass == 5 ? 0 : pass;
    ResetAppState();
    PoolFreeAll();
    ProjectRec* p = NewProject(nullptr, "/tmp/gallery.pm2");
    theApp().m_pProject = p;
    TargetRec* target = p->curTarget;
    target->toolset = toolset;
    ResetTargetOptions(target, kToolsetUndefined);
    if (pass == 5) {
      Target51Opts& t = target->pOpts->t51;
      t.T51FL |= 0x108000 | 0x2000 | 0x40 | 0x20 | 0x1;
      t.IRO51 = {1, 0, 0x2000};
      t.XRA51 = {0, 0, 0x300};
      t.OCM51[0] = {0, 0, 0x10000};
      t.RCB51 = {0, 0x8000, 0xFFFF};
    }
    FileRec* file = AddFileToGroup(p->firstGroup, "main.c", ".\\", kFileC);
    struct Node {
      NodeRec* node;
      const char* level;
    } nodes[] = {{target, "target"}, {p->firstGroup, "group"}, {file, "file"}};
    for (const Node& n : nodes) {
      OptionsSession session;
      std::string error;
      if (!session.Begin(p, n.node, &error)) continue;
      SheetServices services;
      services.environment = &env;
      services.drivers = &drivers;
      services.refuse = [](const std::string&) {};
      OptionsSheet sheet(session, services, "Options");
      sheet.resize(640, 560);
      sheet.show();
      for (int i = 0; i < sheet.PageCount(); ++i) {
        sheet.Tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        QString title = sheet.Tabs()->tabText(i).toLower().replace(' ', '_').replace('+', 'p');
        const QString name = QString("%1/options_%2_%3_%4_%5.png")
                                 .arg(folder, kToolsetNames[pass], n.level)
                                 .arg(i, 2, 10, QChar('0'))
                                 .arg(title);
        if (sheet.grab().save(name)) ++written;
      }
      session.Rollback();
    }
  }
  FolderListDialog folders("Setup CC Include Paths:", ".\\inc;..\\common,C:\\Tools\\include", ";,");
  folders.resize(460, 300);
  folders.show();
  QApplication::processEvents();
  if (folders.grab().save(folder + "/options_folder_list.png")) ++written;
  // The code-banking wizard on a small banked program: bank 2 over its limit.
  const std::string bankFile = (folder + "/gallery.Sbr").toStdString();
  std::ofstream(bankFile, std::ios::binary) << test::BankStream()
                                                   .Module(0, 0, 9000, 40, "MAIN")
                                                   .Module(1, 0, 12000, 0, "DISPLAY")
                                                   .Module(2, 0, 4000, 12, "SERIAL")
                                                   .Module(3, 0, 2500, 0, "TIMER")
                                                   .Calls(0, {{1, 12}, {2, 3}})
                                                   .Calls(1, {{3, 7}})
                                                   .End();
  BankWizardDialog::Services services;
  const std::map<std::string, uint8_t> stored = {{"MAIN", 1}, {"DISPLAY", 2}, {"SERIAL", 2}, {"TIMER", 3}};
  services.storedBank = [&stored](const std::string& name) { return stored.at(name); };
  BankWizardDialog wizard(bankFile, 0xC000, 0, services);
  wizard.show();
  wizard.SelectBank(2);
  QApplication::processEvents();
  if (wizard.grab().save(folder + "/options_bank_wizard.png")) ++written;
  wizard.Place();
  wizard.SelectBank(1);
  QApplication::processEvents();
  if (wizard.grab().save(folder + "/options_bank_wizard_placed.png")) ++written;
  std::remove(bankFile.c_str());
  return written;
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  // Its temporary files, Qt's runtime folder and its event-interface
  // objects in folders and names of this run alone, gone at its end.
  pm2::test::TestProcessScope scope;
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("gallery/options");
  QDir().mkpath(folder);
  const int written = pm2::Render(folder);
  std::printf("%d pictures in %s\n", written, folder.toLocal8Bit().constData());
  return written > 0 ? 0 : 1;
}
