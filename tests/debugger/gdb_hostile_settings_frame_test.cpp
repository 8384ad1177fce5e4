// A project made by someone else keeps the GDB driver's settings text in its
// options file. In the real main frame on a copy of the example made
// hostile here: a gdb target "|script", a machine whose option would have
// the emulator write a victim file, and a gdb and an emulator of the
// project's own folder (scripts that would leave a marker file). Ctrl+F5
// and a peer's start run none of them: the marker stays absent, the victim
// byte for byte as it was, and the box says which field and why. A gdb of
// the project's runs only after a Yes in a box that names it, asked once.
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gdb_frame_fixture.h"
#include "platform/ipc_namespace.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace gdb_hostile_settings_frame_test {

namespace fs = std::filesystem;

// The example's debug options, both sides.
constexpr const char* kExampleDebug = "OPTDBG 44029,0,(GDBDRV.DLL)(-sim)()()()(GDBDRV.DLL)(-remote localhost:3333)()()()";
constexpr const char* kSimulatorSide = "the Parameter field of the simulator's CPU DLL";
constexpr const char* kTargetSide = "the Parameter field of the target side's Driver DLL";
constexpr const char* kFieldTail = " (Options for Target - Debug), kept in the project's options file";

class GdbHostileSettingsTest : public test::GdbExampleFrameTest {
 protected:
  void SetUp() override {
    test::GdbExampleFrameTest::SetUp();
    if (IsSkipped()) return;
    const std::string build = "cd '" + dir + "' && '" + root + "PM2/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
    ASSERT_EQ(std::system(build.c_str()), 0) << "the example does not build";
    // The project's own programs: each leaves the marker when it runs, and
    // then does what the real one would.
    Script("pipe.sh", "touch '" + Marker() + "'\n");
    Script("gdbx", "touch '" + Marker() + "'\nexec gdb-multiarch \"$@\"\n");
    Script("qemux", "touch '" + Marker() + "'\nexec qemu-system-arm \"$@\"\n");
    std::ofstream(Victim(), std::ios::binary) << kVictimText;
  }
  std::string Marker() const { return dir + "marker"; }
  std::string Victim() const { return dir + "victim.txt"; }
  void Script(const std::string& name, const std::string& body) {
    std::ofstream(dir + name) << "#!/bin/sh\n" << body;
    ::chmod((dir + name).c_str(), 0755);
  }
  // Both sides' parameter texts ("$D" the project's folder); the simulator
  // side used when `simulator`.
  void SetDebugOptions(bool simulator, std::string sim, std::string target) {
    for (std::string* text : {&sim, &target})
      for (std::size_t at; (at = text->find("$D")) != std::string::npos;) text->replace(at, 2, dir);
    const std::string path = dir + "Blinky.Opt";
    std::stringstream all;
    all << std::ifstream(path).rdbuf();
    std::string opt = all.str();
    const std::size_t at = opt.find(kExampleDebug);
    ASSERT_NE(at, std::string::npos);
    opt.replace(at, std::strlen(kExampleDebug),
                std::string("OPTDBG ") + (simulator ? "44029" : "44028") + ",0,(GDBDRV.DLL)(" + sim +
                    ")()()()(GDBDRV.DLL)(" + target + ")()()()");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << opt;
  }
  std::string VictimText() const {
    std::stringstream all;
    all << std::ifstream(Victim(), std::ios::binary).rdbuf();
    return all.str();
  }
  // Ctrl+F5 in the frame, the boxes answered in turn; true once the start
  // was refused (the last box says why) or the session stands.
  bool CtrlF5(test::BoxAnswers& boxes, std::size_t boxesWanted) {
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f)) return Says("the frame is not active");
    QTest::keyClick(f, Qt::Key_F5, Qt::ControlModifier);
    DebugSession& s = f->Debugger()->Session();
    return test::WaitFor([&] {
             return boxesWanted ? boxes.texts.size() >= boxesWanted : s.SessionActive() && !s.TargetExecuting();
           }) ||
           Says("boxes: " + std::to_string(boxes.texts.size()) + "\n" + Commands());
  }
  bool Open() {
    session = std::make_unique<test::ExampleSession>(dir, root);
    f = session->Frame();
    return (session->started && f) || Says("the example did not open");
  }

  static constexpr const char* kVictimText = "the user's own file\n";
};

struct HostileRow {
  const char* name;
  bool simulator;              // the simulator's side is used, else the target side
  const char* sim, *target;    // the sides' parameter texts ("$D" the project's folder)
  bool asked;                  // a question comes first, answered No
  const char* said;            // the refusal after "Error: " ("$D" the folder, "$F" the field); the
                               // program's field when a question comes first
};
void PrintTo(const HostileRow& r, std::ostream* out) { *out << r.name; }

const HostileRow kHostileRows[] = {
    {"ServerAPipe", false, "-sim", "-remote |$Dpipe.sh", false,
     "-remote '|$Dpipe.sh' in $F, is not a host and a port from 1 to 65535 ('|' has gdb run the rest as "
     "a program of this machine); nothing was started"},
    {"MachineWritesAFile", true, "-sim -machine virt,dumpdtb=$Dvictim.txt", "-remote localhost:3333", false,
     "-machine 'virt,dumpdtb=$Dvictim.txt' in $F, is not a machine's name: a name holds only letters, "
     "digits, '.', '-' and '_' (after ',' the emulator would take options of the machine, such as a file it "
     "writes); nothing was started"},
    {"GdbByItsPath", true, "-sim -gdb $Dgdbx", "-remote localhost:3333", true, "GDB program"},
    {"GdbOfTheFolder", true, "-sim -gdb ./gdbx", "-remote localhost:3333", true, "GDB program"},
    {"EmulatorByItsPath", true, "-sim -qemu $Dqemux", "-remote localhost:3333", true, "Emulator"},
};

class HostileSettings : public GdbHostileSettingsTest, public ::testing::WithParamInterface<HostileRow> {
 protected:
  std::string Said() const {
    std::string text = GetParam().said;
    for (std::size_t at; (at = text.find("$D")) != std::string::npos;) text.replace(at, 2, dir);
    for (std::size_t at; (at = text.find("$F")) != std::string::npos;) text.replace(at, 2, Field());
    return text;
  }
  std::string Field() const {
    return std::string(GetParam().simulator ? kSimulatorSide : kTargetSide) + kFieldTail;
  }
  // What the refusal of a program named by its path says.
  std::string NotRun(const std::string& field, const std::string& program) const {
    return "the " + field + " '" + program + "', named by its path in " + Field() +
           ", was not run: a program the project brings runs only when the user says Yes to it (a "
           "start without a window asks nobody); nothing was started";
  }
  std::string Expected() const {
    const HostileRow& r = GetParam();
    if (!r.asked) return Said();
    return NotRun(Said(), fs::canonical(dir + (Said() == "Emulator" ? "qemux" : "gdbx")).string());
  }
  void ExpectNothingRan() {
    EXPECT_FALSE(fs::exists(Marker())) << "a program of the project ran";
    EXPECT_EQ(VictimText(), kVictimText) << "the emulator wrote the user's file";
  }
};

TEST_P(HostileSettings, CtrlF5SaysWhyBeforeAnythingRuns) {
  const HostileRow& r = GetParam();
  ASSERT_NO_FATAL_FAILURE(SetDebugOptions(r.simulator, r.sim, r.target));
  ASSERT_TRUE(Open());
  test::BoxAnswers boxes(r.asked ? std::vector{QMessageBox::No, QMessageBox::Ok} : std::vector{QMessageBox::Ok});
  ASSERT_TRUE(CtrlF5(boxes, r.asked ? 2 : 1));
  EXPECT_FALSE(f->Debugger()->Session().SessionActive());
  ExpectNothingRan();
  if (r.asked) {
    const std::string program = fs::canonical(dir + (Said() == "Emulator" ? "qemux" : "gdbx")).string();
    EXPECT_NE(boxes.texts[0].find("\n\n" + program + "\n\n"), std::string::npos) << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("It is named by its path in " + Field()), std::string::npos) << boxes.texts[0];
  }
  EXPECT_EQ(boxes.texts.back(), "Error: " + Expected() + "\nDebugger aborted !");
}

TEST_P(HostileSettings, APeersStartHearsWhyAndNothingRuns) {
  const HostileRow& r = GetParam();
  ASSERT_NO_FATAL_FAILURE(SetDebugOptions(r.simulator, r.sim, r.target));
  ASSERT_TRUE(Open());
  test::BoxAnswers boxes(r.asked ? std::vector{QMessageBox::No, QMessageBox::Ok} : std::vector{QMessageBox::Ok});
  const std::string client = QCoreApplication::applicationDirPath().toStdString() + "/debugger_ipc_client";
  ASSERT_TRUE(fs::exists(client)) << client;
  const IpcNamespace ns = IpcNamespace::FromEnvironment();
  QProcess peer;
  peer.start(QString::fromStdString(client),
             {QString::fromStdString(ns.suffix), QString::fromStdString(ns.runtimeDir), "start:status Error: "});
  ASSERT_TRUE(peer.waitForStarted());
  ASSERT_TRUE(test::WaitFor([&] { return peer.state() == QProcess::NotRunning; })) << "the peer heard no refusal";
  const std::string heard = peer.readAllStandardOutput().toStdString();
  EXPECT_EQ(peer.exitCode(), 0) << heard;
  EXPECT_NE(heard.find("status Error: " + Expected() + "\n"), std::string::npos) << heard;
  EXPECT_FALSE(f->Debugger()->Session().SessionActive());
  ExpectNothingRan();
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileSettings, ::testing::ValuesIn(kHostileRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The user says Yes to the project's gdb: it runs (its marker), the session
// stands; a second start asks no more.
TEST_F(GdbHostileSettingsTest, AGdbOfTheProjectRunsAfterAYesAskedOnce) {
  ASSERT_NO_FATAL_FAILURE(SetDebugOptions(true, "-sim -gdb ./gdbx", "-remote localhost:3333"));
  ASSERT_TRUE(Open());
  test::BoxAnswers boxes({QMessageBox::Yes});
  ASSERT_TRUE(CtrlF5(boxes, 0));
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find(fs::canonical(dir + "gdbx").string()), std::string::npos) << boxes.texts[0];
  EXPECT_TRUE(fs::exists(Marker())) << "the agreed gdb did not run";
  ASSERT_TRUE(f->ExecuteCommand(kStartStop));
  ASSERT_TRUE(test::WaitFor([&] { return !f->Debugger()->Session().SessionActive(); }));
  fs::remove(Marker());
  ASSERT_TRUE(CtrlF5(boxes, 0));
  EXPECT_EQ(boxes.texts.size(), 1u) << boxes.texts.back();
  EXPECT_TRUE(fs::exists(Marker()));
}

}  // namespace gdb_hostile_settings_frame_test
}  // namespace pm2
