// The Debug page in the real main frame over a copy of the example project:
// every field of the page is typed or clicked, OK saves the project, and
// the next debug session starts the driver chosen under "Use:" with the
// parameters and the initialisation file typed (the scripted test driver
// logs what it was given).
#include <dlfcn.h>

#include <QTest>
#include <fstream>
#include <sstream>

#include "debugger/ui/debug_commands.h"
#include "options/pages/debug_page.h"
#include "options/pages/options_sheet.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/project_commands_ext.h"

namespace pm2 {
namespace {

class DebugPageFrameTest : public test::ExampleFrameTest {};

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

// The sheet on screen with its Debug page in front; null without one.
DebugPage* ShowDebugPage(OptionsSheet& sheet) {
  sheet.show();
  for (int i = 0; i < sheet.PageCount(); ++i)
    if (sheet.Page(i)->Id() == PageId::kDebug) sheet.Tabs()->setCurrentIndex(i);
  return dynamic_cast<DebugPage*>(sheet.CurrentPage());
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(DebugPageFrameTest, EveryFieldTypedReachesTheNextSession) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  const std::string script = dir + "target.script";
  std::ofstream(script) << "group Core 1\nreg 0 R0 00000001\n";
  std::ofstream(dir + "target.ini") << "\n";
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"))();

  bool edited = false;
  f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    DebugPage* page = ShowDebugPage(sheet);
    if (!page) return int(QDialog::Rejected);
    // The example's record as stored: GDB in simulation, a GDB server on the target side.
    EXPECT_EQ(page->DllText(0)->text(), "GDBDRV.DLL");
    EXPECT_EQ(page->IniFile(0)->text(), "");
    EXPECT_EQ(page->DllText(5)->text(), "-remote localhost:3333");
    // The simulator's side.
    Type(page->DllText(0), "TESTDRV.DLL");
    Type(page->DllText(1), QString::fromStdString(script));
    Type(page->DllText(2), "SIMDLG.DLL");
    Type(page->DllText(3), "-pSIM");
    Type(page->IniFile(0), ".\\sim.ini");
    // The target side, with the scripted driver chosen under "Use:".
    QTest::mouseClick(page->TargetDriver(), Qt::LeftButton, {}, QPoint(6, page->TargetDriver()->height() / 2));
    const int row = page->Drivers()->findText("Scripted Test Driver");
    EXPECT_GE(row, 0);
    page->Drivers()->setFocus();
    while (page->Drivers()->currentIndex() < row) QTest::keyClick(page->Drivers(), Qt::Key_Down);
    Type(page->DllText(5), QString::fromStdString(script));
    Type(page->DllText(6), "TDLG.DLL");
    Type(page->DllText(7), "-pTARGET");
    Type(page->IniFile(1), ".\\target.ini");
    // Every box of the target column, each click flipping its bit.
    for (int bit = 9; bit < 16; ++bit)
      if (page->FlagBox(bit)->isEnabled()) QTest::mouseClick(page->FlagBox(bit), Qt::LeftButton, {}, QPoint(4, 4));
    edited = true;
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    return sheet.result();
  };
  const uint32_t before = s.App().Project()->curTarget->pOpts->dbg.flags;
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  ASSERT_TRUE(edited);
  const DebugOpts& d = s.App().Project()->curTarget->pOpts->dbg;
  EXPECT_EQ(d.flags & 3u, 2u);  // the target side
  EXPECT_NE(d.flags & 0xFE00u, before & 0xFE00u);
  // OK saved the project with the texts in the record's order.
  EXPECT_NE(FileText(dir + "Blinky.Opt").find("(TESTDRV.DLL)(" + script + ")(SIMDLG.DLL)(-pSIM)(.\\sim.ini)"),
            std::string::npos)
      << FileText(dir + "Blinky.Opt");

  ASSERT_TRUE(f->ExecuteCommand(32802));
  DebugSession& session = f->Debugger()->Session();
  ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive(); })) << log();
  const std::string text = log();
  EXPECT_NE(text.find("dll " + root + "ARM/BIN/../../PM2/TestDrv\n"), std::string::npos) << text;
  EXPECT_NE(text.find("params " + script + "\n"), std::string::npos) << text;
  EXPECT_NE(text.find("dialog " + root + "ARM/BIN/TDLG (-pTARGET)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("init " + dir + "target.ini\n"), std::string::npos) << text;
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return !session.SessionActive(); }));

  // Back to the simulator: its side's texts as typed before.
  f->ProjectCommands()->m_runOptionsSheet = [&](OptionsSheet& sheet) {
    DebugPage* page = ShowDebugPage(sheet);
    if (!page) return int(QDialog::Rejected);
    EXPECT_EQ(page->Drivers()->currentText(), "Scripted Test Driver");
    QTest::mouseClick(page->Simulator(), Qt::LeftButton, {}, QPoint(6, page->Simulator()->height() / 2));
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    return sheet.result();
  };
  ASSERT_TRUE(f->ExecuteCommand(cmd::kOptionsForTarget));
  EXPECT_EQ(d.flags & 3u, 1u);  // the simulator
  reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"))();
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive(); })) << log();
  const std::string sim = log();
  EXPECT_NE(sim.find("dll " + root + "ARM/BIN/TESTDRV\n"), std::string::npos) << sim;
  EXPECT_NE(sim.find("dialog " + root + "ARM/BIN/SIMDLG (-pSIM)\n"), std::string::npos) << sim;
  EXPECT_NE(sim.find("init " + dir + "sim.ini\n"), std::string::npos) << sim;
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_TRUE(test::WaitFor([&] { return !session.SessionActive(); }));
  dlclose(driver);
}

}  // namespace
}  // namespace pm2
