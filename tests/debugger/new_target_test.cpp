// A new project for each ARM device of the installed device database, made
// as the New Project command makes it (the device applied, its startup file
// copied with a Yes) plus a main.c, and nothing else set: it builds with
// pelmora2 and its simulated debug session with the GDB driver under qemu
// stops at main, with the installation's environment file, templates and
// device database.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "builder/commands/arm_gnu_command.h"
#include "builder/commands/command_context.h"
#include "builder/driver/toolset_folders.h"
#include "debugger/session/debug_settings_builder.h"
#include "project/devices/device_db.h"
#include "project/edit/startup_copy.h"
#include "project/model/debug_texts.h"
#include "project/model/device_strings.h"
#include "gdb_session_fixture.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Says Yes to every question of the startup copy and keeps its reports.
class YesUser : public StartupCopyUser {
 public:
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return true;
  }
  void Report(const std::string& text) override { reports.push_back(text); }
  std::vector<std::string> questions, reports;
};

const char* const kMain =
    "/* The program of a new project. */\n"
    "volatile unsigned counter = 3;\n"
    "\n"
    "int main(void) {\n"
    "  for (;;) {\n"
    "    counter = counter * 7 / 5 + 1;\n"
    "  }\n"
    "}\n";

struct DeviceRow {
  const char* name;
  const char* vendor;
  const char* device;
  const char* startup;    // the installed startup file, below <root>/ARM/
  uint32_t flash;         // the device's flash, where the program starts
};

const DeviceRow kDevices[] = {
    {"LPC2104", "NXP", "LPC2104", "Startup/NXP/Startup.s", 0},
    {"LPC2106", "NXP", "LPC2106", "Startup/NXP/Startup.s", 0},
    {"LPC2129", "NXP", "LPC2129", "Startup/NXP/Startup.s", 0},
    {"LPC2138", "NXP", "LPC2138", "Startup/NXP/Startup.s", 0},
    {"LPC2148", "NXP", "LPC2148", "Startup/NXP/Startup.s", 0},
    {"AT91SAM7S64", "Atmel", "AT91SAM7S64", "Startup/Atmel/Startup.s", 0x100000},
    {"AT91SAM7S256", "Atmel", "AT91SAM7S256", "Startup/Atmel/Startup.s", 0x100000},
};

class NewArmTarget : public ShellAppTest, public ::testing::WithParamInterface<DeviceRow> {
 protected:
  void SetUp() override {
    ShellAppTest::SetUp();
    root = std::string(PM2_TEST_INSTALL_ROOT) + "/";
    if (!fs::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc")) GTEST_SKIP() << "arm-none-eabi-gcc is not installed";
    if (access("/usr/bin/gdb-multiarch", X_OK) != 0 || access("/usr/bin/qemu-system-arm", X_OK) != 0)
      GTEST_SKIP() << "gdb-multiarch or qemu-system-arm is missing (./pm2.sh installs them)";
    ASSERT_TRUE(app->FindToolsIni(root + "PM2/pelmora2"));
    ASSERT_EQ(db.Read(root + "PM2/pelmora2.cdb"), 0);
    folder = dir.path() + "/New/";
    fs::create_directories(folder);
  }
  void TearDown() override {
    if (session) session->StopDebugger();
    app->SetDebugPort(nullptr);
    session.reset();
    ShellAppTest::TearDown();
  }
  // New Project, the device sheet's OK and the startup copy's Yes, as the
  // command does them; then main.c added to the first group.
  ProjectRec* MakeProject(const DeviceRow& r) {
    ProjectRec* p = NewProject(nullptr, (folder + "New").c_str());
    app->State().m_pProject = p;
    EXPECT_TRUE(app->SetProjectDirectory());
    // The file as the user typed its name; the save takes its place.
    std::ofstream(folder + "New.pm2", std::ios::binary);
    const DeviceDbEntry* entry = db.Find(r.vendor, r.device, kFamilyArm);
    EXPECT_NE(entry, nullptr) << r.device << " is not in the installed database";
    if (!entry) return nullptr;
    ApplyDeviceOptions(p->curTarget, kToolsetArmGnu, entry);
    std::string lib;
    EXPECT_TRUE(GetToolsetLibFolder(app->State(), *p->curTarget, &lib));
    YesUser user;
    EXPECT_TRUE(CopyStartupFileToProject(p, lib, user));
    EXPECT_TRUE(user.reports.empty()) << testing::PrintToString(user.reports);
    std::ofstream(folder + "main.c", std::ios::binary) << kMain;
    AddFileToGroup(p->firstGroup, "main.c", "./", kFileC);
    app->SaveProject();
    return p;
  }

  std::string root, folder;
  DeviceDatabase db{kPoolFindInFiles};
  RecordingHost host;
  RoutingFrame routed;
  std::unique_ptr<DebugSession> session;
};

TEST_P(NewArmTarget, BuildsAndItsSimulationStopsAtMain) {
  const DeviceRow& r = GetParam();
  ProjectRec* p = MakeProject(r);
  ASSERT_NE(p, nullptr);
  TargetRec* t = p->curTarget;
  ASSERT_NE(t->pOpts, nullptr);

  // What the startup file needs came with it: the device's script, named
  // by the linker options, and no start files of the C library.
  const std::string script = std::string(r.device) + ".ld";
  EXPECT_EQ(ReadText(folder + script), ReadText(root + "ARM/" + fs::path(r.startup).parent_path().string() + "/" + script));
  EXPECT_EQ(ReadText(folder + "Startup.s"), ReadText(root + "ARM/" + r.startup));
  CommandContext ctx;
  MakeGnuLdCommand(ctx, *t->pOpts, 0);
  const std::string ld(ctx.Text());
  EXPECT_NE(ld.find("-T " + script + " "), std::string::npos) << ld;
  EXPECT_NE(ld.find("-nostartfiles"), std::string::npos) << ld;

  // The debug options: the simulator with the GDB driver, going till main().
  const DebugOpts& d = t->pOpts->dbg;
  EXPECT_EQ(d.flags & 3, 1u) << "the simulator is used";
  EXPECT_TRUE(d.flags & kGoTillMain);
  EXPECT_EQ(d.str[kDbgSimDll].str(), "GDBDRV.DLL");
  EXPECT_EQ(d.str[kDbgSimParams].str().rfind("-sim", 0), 0u) << d.str[kDbgSimParams].str();
  EXPECT_EQ(d.str[kDbgTargetDll].str(), "GDBDRV.DLL");

  // pelmora2 builds the saved project as it is.
  const std::string cmd = "cd '" + folder + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" + root +
                          "PM2/pelmora2' -b New.pm2 > build.txt 2>&1";
  const int status = std::system(cmd.c_str());
  const std::string out = ReadText(folder + "build.txt");
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  EXPECT_NE(out.find("0 Error(s), 0 Warning(s)."), std::string::npos) << out;
  const std::string elf = ReadText(folder + "New.elf");
  ASSERT_GE(elf.size(), 0x1Cu) << out;
  ASSERT_EQ(elf.substr(0, 4), "\x7f" "ELF");
  uint32_t entry = 0;
  for (int i = 3; i >= 0; --i) entry = entry << 8 | uint8_t(elf[0x18 + i]);
  EXPECT_EQ(entry, r.flash) << "the program starts at the vectors in flash";

  // Ctrl+F5 with the target's own debug options: the session stops at main.
  app->m_szProgramFolder = std::string(PM2_PROGRAM_DIR) + "/";
  session = std::make_unique<DebugSession>(*app, host);
  routed.session = session.get();
  app->SetFrame(&routed);
  app->SetDebugPort(session.get());
  session->StartDebugger();
  ASSERT_TRUE(session->SessionActive()) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  DebugInterface* rec = session->Record();
  ASSERT_TRUE(WaitFor([&] { return !session->TargetExecuting() && rec->DbgFindSource(rec->pc) == 0; }))
      << std::hex << rec->pc;
  EXPECT_NE(std::string(static_cast<const char*>(rec->srcFile)).find("main.c"), std::string::npos)
      << static_cast<const char*>(rec->srcFile);
  uint64_t mainAddress = 0;
  ASSERT_EQ(rec->DbgEvalExpression(1, "&main", &mainAddress), 0);
  EXPECT_GE(rec->pc, uint32_t(mainAddress));
  EXPECT_LT(rec->pc, uint32_t(mainAddress) + 0x20) << "the stop is in main's first lines";
  session->StopDebugger();
  EXPECT_TRUE(WaitFor([] { return Children("gdb-multiarch").empty() && Children("qemu-system-arm").empty(); }));
}

INSTANTIATE_TEST_SUITE_P(Devices, NewArmTarget, ::testing::ValuesIn(kDevices),
                         [](const auto& info) { return std::string(info.param.name); });

// Every ARM device of the installed database names a startup file that is
// installed, with the device's linker script beside it, and the GDB driver
// for both debug sides; the rows above cover each of them.
TEST(InstalledArmDevices, EachHasItsTemplatesAndDrivers) {
  const std::string root = std::string(PM2_TEST_INSTALL_ROOT) + "/";
  DeviceDatabase db(kPoolFindInFiles);
  ASSERT_EQ(db.Read(root + "PM2/pelmora2.cdb"), 0);
  int devices = 0;
  for (const DeviceDbEntry* e = db.First(); e; e = e->pNext) {
    if (e->nFamily != kFamilyArm) continue;
    ++devices;
    const std::string name = e->device.str();
    std::string startup = FindDeviceOptionValue(*e, "SFILE").str();
    std::replace(startup.begin(), startup.end(), '\\', '/');
    EXPECT_TRUE(fs::is_regular_file(root + "ARM/" + startup)) << name << ": " << startup;
    const std::string script = root + "ARM/" + fs::path(startup).parent_path().string() + "/" + name + ".ld";
    EXPECT_TRUE(fs::is_regular_file(script)) << name << ": " << script;
    EXPECT_EQ(FindDeviceOptionValue(*e, "SIM").str().rfind("GDBDRV.DLL(-sim", 0), 0u) << name;
    EXPECT_EQ(FindDeviceOptionValue(*e, "MON").str().rfind("GDBDRV.DLL(", 0), 0u) << name;
    EXPECT_TRUE(std::any_of(std::begin(kDevices), std::end(kDevices),
                            [&](const DeviceRow& r) { return name == r.device && startup == r.startup; }))
        << name << " is not tried as a new project above";
  }
  EXPECT_EQ(devices, int(std::size(kDevices)));
  db.Free();
}

}  // namespace
}  // namespace pm2
