// The debug session in the real main frame over the scriptable test
// driver: Ctrl+F5's command starts it, the driver's entries appear in the
// Peripherals menu and call the driver, the register page and the command page
// show what the driver gave, and the command ends it again.
#include <dlfcn.h>

#include <QMenu>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "debugger/windows/command_window.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/register_page.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_workspace.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/workspace/workspace_manager.h"
#include "shell/frame/frame_fixture.h"
#include "toolkit/menus/menu_bar.h"

namespace pm2 {
namespace {

class DebugFrameTest : public test::ExampleFrameTest {};

// The Peripherals menu: "Reset CPU", then the driver's tables.
QMenu* PeripheralsMenu(CMainFrame* f) {
  SECMenuBar* bar = f->Bars()->MenuBar();
  for (int i = 0; i < int(bar->Model().Rows().size()); ++i) {
    const MenuBarRow& row = bar->Model().Rows()[std::size_t(i)];
    if (!row.IsPopup()) continue;
    for (const MenuEntry& e : row.entry->children)
      if (e.id == 35020) return bar->PopupFor(i);
  }
  return nullptr;
}

TEST_F(DebugFrameTest, SessionWithTheTestDriverRunsInTheFrame) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->Debugger(), nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "menu 1 1 Trace Recording\nmenustate 1 0 1\ngroup Core 1\nreg 0 R0 00000001 edit\n";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));

  DebugSession& session = f->Debugger()->Session();
  ASSERT_TRUE(f->QueryCommand(32802).enabled);
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive(); })) << log();
  EXPECT_EQ(f->QueryCommand(32802).check, 1);
  EXPECT_TRUE(f->QueryCommand(32795).enabled);  // step over while halted

  // The driver's entry in the Peripherals menu, checked by its state block.
  QMenu* menu = PeripheralsMenu(f);
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  QAction* trace = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == "Trace Recording") trace = a;
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->data().toUInt(), 32820u);
  EXPECT_TRUE(trace->isChecked());
  EXPECT_TRUE(f->ExecuteCommand(32820));
  EXPECT_NE(std::string(log()).find("menu Trace Recording\n"), std::string::npos);

  // The register page and the command page.
  EXPECT_EQ(f->Debugger()->Registers()->Model().Rows().size(), 2u);
  EXPECT_NE(f->Debugger()->CommandPage()->Text().toStdString().find("Test driver: session started"), std::string::npos);

  // Closing the program ends the session first; a driver that refuses to
  // stop keeps the program open.
  std::ofstream(script, std::ios::app) << "refuse 1 still flashing\n";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(session.SessionActive());
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive(); }));
  EXPECT_FALSE(f->Debugger()->EndForClose());
  EXPECT_TRUE(session.SessionActive());
  ASSERT_TRUE(f->ExecuteCommand(32802));
  EXPECT_FALSE(session.SessionActive());
  EXPECT_FALSE(session.DriverLoaded());
  EXPECT_TRUE(f->Debugger()->Registers()->Model().Rows().empty());
  emit menu->aboutToShow();
  for (QAction* a : menu->actions()) EXPECT_NE(a->text(), "Trace Recording");
  dlclose(driver);
}

// A session swaps the Build toolbar for the Debug toolbar: a workspace
// saved in a session and opened after it shows the Build toolbar again,
// and one saved outside a session and opened in one shows the Debug bar.
TEST_F(DebugFrameTest, AWorkspaceOpenedInTheOtherModeTakesThatModesToolbar) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f->Debugger(), nullptr);
  ASSERT_NE(f->Workspace(), nullptr);
  const std::string script = dir + "driver.script";
  std::ofstream(script) << "reg 0 R0 00000001 edit\n";
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  o->dbg.flags |= 1;
  o->dbg.str[0] = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[1] = OptString::Pooled(script, kPoolScratch);
  DebugSession& session = f->Debugger()->Session();
  FrameBars* bars = f->Bars();
  ASSERT_TRUE(bars->IsToolBarVisible(kBuildToolBarId));
  ASSERT_TRUE(f->Workspace()->Manager().SaveWorkspace("Editing"));

  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_TRUE(test::WaitFor([&] { return session.SessionActive(); }));
  ASSERT_FALSE(bars->IsToolBarVisible(kBuildToolBarId));
  ASSERT_TRUE(bars->IsToolBarVisible(kDebugToolBarId));
  ASSERT_TRUE(f->Workspace()->Manager().SaveWorkspace("Debugging"));
  ASSERT_TRUE(f->Workspace()->Manager().OpenWorkspace("Editing", true));
  EXPECT_FALSE(bars->IsToolBarVisible(kBuildToolBarId)) << "opened in a session";
  EXPECT_TRUE(bars->IsToolBarVisible(kDebugToolBarId)) << "opened in a session";
  ASSERT_TRUE(f->ExecuteCommand(32802));
  ASSERT_FALSE(session.SessionActive());

  ASSERT_TRUE(f->Workspace()->Manager().OpenWorkspace("Debugging", true));
  EXPECT_TRUE(bars->IsToolBarVisible(kBuildToolBarId)) << "opened after the session";
  EXPECT_FALSE(bars->IsToolBarVisible(kDebugToolBarId)) << "opened after the session";
}

TEST_F(DebugFrameTest, FlashDownloadThroughTheDriverAndItsUpdateRules) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  ASSERT_NE(f, nullptr);
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  const std::string script = dir + "flash.script";
  std::ofstream(script) << "fail 7 sector locked\n";
  o->flash.FLASH1[0] = 0x1;  // through the driver
  EXPECT_FALSE(f->QueryCommand(35404).enabled);  // no driver named
  o->flash.FLASH2 = OptString::Pooled("TESTDRV.DLL", kPoolScratch);
  o->dbg.str[6] = OptString::Pooled(script, kPoolScratch);
  EXPECT_TRUE(f->QueryCommand(35404).enabled);
  EXPECT_FALSE(f->QueryCommand(35405).enabled);  // erase is not enabled in the options
  o->flash.FLASH1[4] = 0x1;
  EXPECT_TRUE(f->QueryCommand(35405).enabled);
  o->flash.FLASH1[0] = 0x3;  // with the external tool as well: erase is greyed
  EXPECT_FALSE(f->QueryCommand(35405).enabled);
  o->flash.FLASH1[0] = 0x1;

  void* driver = dlopen((root + "PM2/TestDrv.so").c_str(), RTLD_NOW);
  ASSERT_NE(driver, nullptr);
  auto log = reinterpret_cast<const char* (*)()>(dlsym(driver, "TestDriverLog"));
  reinterpret_cast<void (*)()>(dlsym(driver, "TestDriverClearLog"))();
  test::BoxAnswers boxes({QMessageBox::Ok});
  ASSERT_TRUE(f->ExecuteCommand(35404));
  EXPECT_NE(std::string(log()).find("boot 6\n"), std::string::npos) << log();
  EXPECT_TRUE(boxes.texts.empty());
  ASSERT_TRUE(f->ExecuteCommand(35405));
  EXPECT_NE(std::string(log()).find("boot 7\n"), std::string::npos) << log();
  EXPECT_TRUE(test::WaitFor([&] { return !boxes.texts.empty(); }));
  ASSERT_FALSE(boxes.texts.empty());
  EXPECT_EQ(boxes.texts[0], "Error: Flash Erase failed  -  sector locked");
  EXPECT_FALSE(f->Debugger()->Session().DriverLoaded());
  dlclose(driver);
}

// The external tool gets the stored form's arguments without their
// parentheses, #H names the hex file the build writes; Erase without a
// driver runs nothing, not even the tool.
TEST_F(DebugFrameTest, FlashToolGetsItsArgumentsAndEraseNeedsTheDriver) {
  test::ExampleSession s(dir, root);
  ASSERT_TRUE(s.started);
  CMainFrame* f = s.Frame();
  OptionBlock* o = s.App().Project()->curTarget->pOpts;
  const std::string said = dir + "flash-args.txt", erased = dir + "erased.txt";
  o->flash.FLASH1[0] = 0x2;
  o->flash.FLASH3 = OptString::Pooled("\"/bin/sh\" (-c \"echo %H > " + said + "\")", kPoolScratch);
  ASSERT_TRUE(f->QueryCommand(35404).enabled);
  ASSERT_TRUE(f->ExecuteCommand(35404));
  // The tool wrote its line, and its run has ended (a busy machine may
  // take a while from the one to the other).
  ASSERT_TRUE(test::WaitFor([&] {
    return std::filesystem::exists(said) && std::filesystem::file_size(said) > 0 && !s.App().HasState(kStateBusy);
  }));
  std::ifstream in(said);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "Blinky.hex");
  // Neither the driver nor the tool chosen: Erase does nothing.
  o->flash.FLASH1[0] = 0x0;
  o->flash.FLASH1[4] = 0x1;
  o->flash.FLASH3 = OptString::Pooled("\"/bin/sh\" (-c \"echo > " + erased + "\")", kPoolScratch);
  f->ExecuteCommand(35405);
  // A tool started would hold the busy state from its start; the tools
  // run one at a time, so the Download after it ends after it too.
  EXPECT_FALSE(s.App().HasState(kStateBusy));
  std::filesystem::remove(said);
  o->flash.FLASH1[0] = 0x2;
  o->flash.FLASH3 = OptString::Pooled("\"/bin/sh\" (-c \"echo %H > " + said + "\")", kPoolScratch);
  ASSERT_TRUE(f->ExecuteCommand(35404));
  ASSERT_TRUE(test::WaitFor([&] { return std::filesystem::exists(said) && !s.App().HasState(kStateBusy); }));
  EXPECT_FALSE(std::filesystem::exists(erased));
}

struct SplitRow {
  const char* name;
  const char* command;
  const char* program;
  const char* arguments;
};

class FlashCommandSplit : public ::testing::TestWithParam<SplitRow> {};

TEST_P(FlashCommandSplit, ProgramAndArguments) {
  std::string program, arguments;
  SplitFlashCommand(GetParam().command, &program, &arguments);
  EXPECT_EQ(program, GetParam().program);
  EXPECT_EQ(arguments, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlashCommandSplit,
    ::testing::Values(SplitRow{"Plain", "lpc21isp #H /dev/ttyUSB0 38400 12000", "lpc21isp", "#H /dev/ttyUSB0 38400 12000"},
                      SplitRow{"QuotedProgramWithBlank", "\"/opt/my tools/flash\" -p #H", "/opt/my tools/flash", "-p #H"},
                      SplitRow{"ProgramAlone", "  flash  ", "flash", ""},
                      SplitRow{"UnclosedQuote", "\"flash -x", "flash -x", ""}, SplitRow{"Empty", "   ", "", ""},
                      // The flash page's stored form: the parentheses are no arguments.
                      SplitRow{"StoredForm", "\"lpc21isp\" (#H /dev/ttyUSB0 38400 12000)", "lpc21isp",
                               "#H /dev/ttyUSB0 38400 12000"},
                      SplitRow{"StoredFormNestedPair", "\"/opt/my tools/flash\" (-p (#H) -v)", "/opt/my tools/flash",
                               "-p (#H) -v"},
                      SplitRow{"StoredFormEmptyArguments", "\"flash\" ()", "flash", ""},
                      SplitRow{"ProgramBeforeParenthesis", "flash(-p #H)", "flash", "-p #H"},
                      SplitRow{"ParenthesesInsideArguments", "flash -p (#H) -v", "flash", "-p (#H) -v"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
