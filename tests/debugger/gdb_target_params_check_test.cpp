// The checks of the GDB driver's settings text: the values each word
// takes and refuses (a gdb target that runs a program, a machine with the
// emulator's own options), the first refused word of a whole text, and the
// gate of the session's start: a gdb or an emulator named by its path runs
// only after a Yes, a machine must be one of the emulator's.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/qemu_launcher.h"
#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/target/start_gate.h"
#include "debugger/gdb/target/target_params_check.h"

namespace pm2::gdb {
namespace {

namespace fs = std::filesystem;

using Check = std::string (*)(const std::string&);
struct ParamValueRow {
  const char* name;
  Check check;
  const char* value;
  bool taken;
};
void PrintTo(const ParamValueRow& r, std::ostream* out) { *out << r.name; }

const ParamValueRow kValueRows[] = {
    {"ServerByName", RemoteFault, "localhost:3333", true},
    {"ServerByAddress", RemoteFault, "192.168.1.5:2331", true},
    {"ServerByV6Address", RemoteFault, "[::1]:3333", true},
    {"ServerWithTcp", RemoteFault, "tcp:board:3333", true},
    {"ServerAPipe", RemoteFault, "|/tmp/pipe.sh", false},
    {"ServerAPipeWithAPort", RemoteFault, "|/tmp/pipe.sh:1234", false},
    {"ServerADevice", RemoteFault, "/dev/ttyUSB0", false},
    {"ServerWithoutPort", RemoteFault, "board", false},
    {"ServerPortZero", RemoteFault, "board:0", false},
    {"ServerPortTooLarge", RemoteFault, "board:70000", false},
    {"ServerPortNotANumber", RemoteFault, "board:33a", false},
    {"ServerHostAnOption", RemoteFault, "-x:3333", false},
    {"ServerUdp", RemoteFault, "udp:board:3333", false},
    {"MachineNone", MachineFault, "none", true},
    {"MachineVirt", MachineFault, "virt-8.0", true},
    {"MachineBoard", MachineFault, "lm3s6965evb", true},
    {"MachineWithSuboption", MachineFault, "virt,dumpdtb=/tmp/victim", false},
    {"MachineWithValue", MachineFault, "virt=1", false},
    {"MachineAnOption", MachineFault, "-M", false},
    {"MachineEmpty", MachineFault, "", false},
    {"ProgramOnPath", ProgramFault, "gdb-multiarch", true},
    {"ProgramByPath", ProgramFault, "/usr/bin/gdb-multiarch", true},
    {"ProgramOfTheFolder", ProgramFault, "./gdbx", true},
    {"ProgramAnOption", ProgramFault, "-x", false},
    {"ProgramEmpty", ProgramFault, "", false},
    {"UartNone", UartFault, "none", true},
    {"UartHex", UartFault, "0xE000C000", true},
    {"UartTrailingWord", UartFault, "0xE000C000,x", false},
    {"UartNegative", UartFault, "-1", false},
    {"UartPast4GB", UartFault, "0x100000000", false},
    {"TimeoutOne", TimeoutFault, "1", true},
    {"TimeoutMost", TimeoutFault, "600", true},
    {"TimeoutZero", TimeoutFault, "0", false},
    {"TimeoutTooLong", TimeoutFault, "601", false},
    {"TimeoutWithUnit", TimeoutFault, "10s", false},
};

class TargetParamValue : public ::testing::TestWithParam<ParamValueRow> {};

TEST_P(TargetParamValue, IsTakenOrRefusedWithAReason) {
  const ParamValueRow& r = GetParam();
  const std::string why = r.check(r.value);
  EXPECT_EQ(why.empty(), r.taken) << why;
}

INSTANTIATE_TEST_SUITE_P(Rows, TargetParamValue, ::testing::ValuesIn(kValueRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A GDB server on a local socket is taken by its path; any other file at
// a path (a program, a device, a plain file) is not.
TEST(TargetParamValue, ALocalSocketIsAServerAndAnotherFileIsNot) {
  const std::string dir = ::testing::TempDir() + "pm2_remote_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const std::string socketPath = dir + "/server.sock", filePath = dir + "/server.sh";
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr {};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
  std::strcpy(addr.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  std::ofstream(filePath) << "#!/bin/sh\n";
  EXPECT_EQ(RemoteFault(socketPath), "");
  EXPECT_NE(RemoteFault(filePath), "");
  EXPECT_NE(RemoteFault("|" + socketPath), "");
  ::close(fd);
  std::filesystem::remove_all(dir);
}

TEST(TargetParamValue, TheReasonSaysWhatTheValueWouldDo) {
  EXPECT_NE(RemoteFault("|/tmp/pipe.sh").find("'|' has gdb run the rest as a program"), std::string::npos);
  EXPECT_NE(MachineFault("virt,dumpdtb=/tmp/v").find("after ',' the emulator would take options"), std::string::npos);
  EXPECT_TRUE(NamedByPath("./gdbx"));
  EXPECT_TRUE(NamedByPath("/usr/bin/gdb"));
  EXPECT_FALSE(NamedByPath("gdb-multiarch"));
}

struct TextRow {
  const char* name;
  const char* text;
  const char* word;   // the refused word; "" none
  const char* value;  // its value as written
};
void PrintTo(const TextRow& r, std::ostream* out) { *out << r.name; }

const TextRow kTextRows[] = {
    {"TheExamplesSimulation", "-sim", "", ""},
    {"TheExamplesServer", "-remote localhost:3333", "", ""},
    {"EveryWordGood", "-sim -qemu qemu-system-arm -machine virt -uart none -gdb gdb-multiarch -timeout 10", "", ""},
    {"WordsOfOthersPass", "-remote board:2331 -verbose", "", ""},
    {"ServerAPipe", "-remote |/tmp/pipe.sh", "-remote", "|/tmp/pipe.sh"},
    {"MachineWritesAFile", "-sim -machine virt,dumpdtb=/tmp/victim", "-machine", "virt,dumpdtb=/tmp/victim"},
    {"APipeAfterSim", "-sim -remote |x", "-remote", "|x"},
    {"AWordWithoutValue", "-sim -gdb", "-gdb", ""},
    {"AnOptionForAProgram", "-qemu -sim", "-qemu", "-sim"},
    {"UartNoNumber", "-uart serial", "-uart", "serial"},
};

class TargetParamsText : public ::testing::TestWithParam<TextRow> {};

TEST_P(TargetParamsText, TheFirstRefusedWordIsNamed) {
  const TextRow& r = GetParam();
  const ParamsFault fault = CheckTargetParams(r.text);
  EXPECT_EQ(fault.word, r.word) << fault.why;
  EXPECT_EQ(fault.value, r.value);
  EXPECT_EQ(fault.why.empty(), std::string(r.word).empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, TargetParamsText, ::testing::ValuesIn(kTextRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EmulatorMachineList, TheNamesAreTheFirstWordsBelowTheHeading) {
  const std::string help =
      "Supported machines are:\n"
      "akita                Sharp SL-C1000 (Akita) PDA (PXA270) (deprecated)\n"
      "none                 empty machine\n"
      "virt                 QEMU 8.2 ARM Virtual Machine (alias of virt-8.2)\n"
      "virt-8.2             QEMU 8.2 ARM Virtual Machine\n";
  EXPECT_EQ(MachineNames(help), (std::vector<std::string>{"akita", "none", "virt", "virt-8.2"}));
}

// The gate of the session's start, with a folder of the project's that
// holds a program of its own (never run here: the gate only names it).
class StartGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "pm2gate_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern + "/";
    std::ofstream(folder + "gdbx") << "#!/bin/sh\ntouch '" << folder << "ran'\n";
    ::chmod((folder + "gdbx").c_str(), 0755);
    gate.where = "the Parameter field";
    gate.folder = folder;
    gate.ask = [this](const std::string& question) {
      questions.push_back(question);
      return answer;
    };
  }
  void TearDown() override { fs::remove_all(folder); }
  bool Pass(const std::string& text, TargetParams* params, std::string* err) {
    *params = ParseTargetParams(text);
    return PassStartGate(text, gate, params, err);
  }

  std::string folder;
  StartGate gate;
  bool answer = false;
  std::vector<std::string> questions;
};

TEST_F(StartGateTest, ProgramsOnThePathRunUnasked) {
  TargetParams p;
  std::string err;
  EXPECT_TRUE(Pass("-remote board:2331 -gdb gdb-multiarch", &p, &err)) << err;
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(p.gdb, "gdb-multiarch");
}

TEST_F(StartGateTest, AProgramOfTheProjectRunsOnlyAfterAYesByItsFullPath) {
  for (const std::string& named : {std::string("./gdbx"), folder + "gdbx"}) {
    SCOPED_TRACE(named);
    questions.clear();
    TargetParams p;
    std::string err;
    answer = false;
    EXPECT_FALSE(Pass("-remote board:2331 -gdb " + named, &p, &err));
    ASSERT_EQ(questions.size(), 1u);
    const std::string full = fs::canonical(folder + "gdbx").string();
    EXPECT_NE(questions[0].find("\n\n" + full + "\n\n"), std::string::npos) << questions[0];
    EXPECT_EQ(err, "the GDB program '" + full +
                       "', named by its path in the Parameter field, was not run: a program the project brings runs "
                       "only when the user says Yes to it (a start without a window asks nobody); nothing was started");
    answer = true;
    EXPECT_TRUE(Pass("-remote board:2331 -gdb " + named, &p, &err)) << err;
    EXPECT_EQ(p.gdb, full);
  }
  EXPECT_FALSE(fs::exists(folder + "ran"));
}

TEST_F(StartGateTest, AnEmulatorByItsPathIsAskedForOnlyWhenItWouldRun) {
  TargetParams p;
  std::string err;
  EXPECT_TRUE(Pass("-remote board:2331 -qemu " + folder + "gdbx", &p, &err)) << err;
  EXPECT_TRUE(questions.empty()) << "a session on a GDB server runs no emulator";
  EXPECT_FALSE(Pass("-sim -qemu " + folder + "gdbx", &p, &err));
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("as its Emulator:"), std::string::npos) << questions[0];
}

TEST_F(StartGateTest, ARefusedWordIsSaidWithItsValueBeforeAnyQuestion) {
  TargetParams p;
  std::string err;
  EXPECT_FALSE(Pass("-gdb ./gdbx -remote |" + folder + "gdbx", &p, &err));
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(err, "-remote '|" + folder +
                     "gdbx' in the Parameter field, is not a host and a port from 1 to 65535 ('|' has gdb run the rest as a program of this "
                     "machine); nothing was started");
}

TEST_F(StartGateTest, AMachineTheEmulatorDoesNotKnowIsRefused) {
  if (FindInPath("qemu-system-arm").empty()) GTEST_SKIP() << "qemu-system-arm is not installed";
  TargetParams p;
  std::string err;
  EXPECT_TRUE(Pass("-sim -machine virt", &p, &err)) << err;
  EXPECT_FALSE(Pass("-sim -machine no-such-board", &p, &err));
  EXPECT_EQ(err, "-machine 'no-such-board' in the Parameter field, is not a machine of qemu-system-arm "
                 "(its list: qemu-system-arm -machine help); nothing was started");
}

// A PATH entry that is no absolute folder is one below the folder the IDE
// runs in, maybe the project's: a bare name is never found there.
TEST(ProgramLookup, ARelativePathEntryIsNoFolderOfTheSearch) {
  std::string pattern = (fs::temp_directory_path() / "pm2path_XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  std::ofstream(pattern + "/own-gdb") << "#!/bin/sh\n";
  ::chmod((pattern + "/own-gdb").c_str(), 0755);
  const char* was = std::getenv("PATH");
  const std::string saved = was ? was : "";
  const std::string relative = fs::relative(pattern, fs::current_path()).string();
  ::setenv("PATH", (relative + ":/usr/bin").c_str(), 1);
  const std::string viaRelative = FindInPath("own-gdb");
  ::setenv("PATH", (pattern + ":/usr/bin").c_str(), 1);
  const std::string viaAbsolute = FindInPath("own-gdb");
  ::setenv("PATH", saved.c_str(), 1);
  fs::remove_all(pattern);
  EXPECT_EQ(viaRelative, "");
  EXPECT_EQ(viaAbsolute, pattern + "/own-gdb");
}

TEST(QemuCommandLine, ACommaInTheProgramsPathStaysInItsValue) {
  const std::vector<std::string> line = QemuCommandLine(QemuMachine{}, "/p/a,dumpdtb=x/Blinky.elf");
  bool found = false;
  for (const std::string& word : line)
    if (word.rfind("loader,", 0) == 0) {
      found = true;
      EXPECT_EQ(word, "loader,file=/p/a,,dumpdtb=x/Blinky.elf,cpu-num=0");
    }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace pm2::gdb
