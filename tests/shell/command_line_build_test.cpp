// The program's command line (table rows) and the command-line build of
// the example project with Debian's arm-none-eabi tools, run as a user
// would: the pelmora2 program of the build tree on a copy of the example.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "builder/driver/target_lock.h"
#include "builder/runner/progress_channel.h"
#include "platform/ipc_namespace.h"
#include "platform/ipc_objects.h"
#include "shell/command_line_build.h"
#include "example_build_fixture.h"
#include "example_copy.h"
#include "hang_guard.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

struct ParseRow {
  const char* name;
  const char* line;
  const char* project;
  const char* target;
  const char* output;
  bool build, rebuild, debug;
};

const ParseRow kParseRows[] = {
    {"bare_word", "Blinky.pm2", "Blinky.pm2", "", "", false, false, false},
    {"build_with_target_and_output", "-b -t LPC2138 -o out.txt p.pm2", "p.pm2", "LPC2138", "out.txt", true, false, false},
    {"words_glued_to_letters", "-r -tT1 -oout -pproj", "proj", "T1", "out", false, true, false},
    {"upper_case_letters", "-B -P x.pm2", "x.pm2", "", "", true, false, false},
    {"quoted_path_with_blanks", "-b \"my dir/p.pm2\"", "my dir/p.pm2", "", "", true, false, false},
    {"later_word_wins", "a.pm2 b.pm2 -b", "b.pm2", "", "", true, false, false},
    {"debug_with_glued_path", "-dp.pm2", "p.pm2", "", "", false, false, true},
    {"debug_without_word", "-d", "", "", "", false, false, false},
    {"minus_build_word", "-build", "uild", "", "", true, false, false},
    {"unknown_letter_names_project", "-q x.pm2", "x.pm2", "", "", false, false, false},
    {"no_project_clears_bits", "-b -t T1", "", "", "", false, false, false},
    {"trailing_option_keeps_value", "-b p.pm2 -t T1 -t", "p.pm2", "T1", "", true, false, false},
    {"option_letter_after_blanks", "- b -  t\tT1 p.pm2", "p.pm2", "T1", "", true, false, false},
    {"quoted_target_with_blanks", "-b -t \"Target 1\" p.pm2", "p.pm2", "Target 1", "", true, false, false},
    {"build_and_rebuild_both_kept", "-r -b p.pm2", "p.pm2", "", "", true, true, false},
};

class ParseCommandLineRows : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseCommandLineRows, Row) {
  const ParseRow& r = GetParam();
  CommandLineArgs a = ParseCommandLine(r.line);
  EXPECT_EQ(a.project, r.project);
  EXPECT_EQ(a.target, r.target);
  EXPECT_EQ(a.output, r.output);
  EXPECT_EQ(a.build, r.build);
  EXPECT_EQ(a.rebuild, r.rebuild);
  EXPECT_EQ(a.debug, r.debug);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseCommandLineRows, ::testing::ValuesIn(kParseRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct ArgvRow {
  const char* name;
  std::vector<const char*> argv;  // without the program
  const char* project;
  const char* target;
};

const ArgvRow kArgvRows[] = {
    {"separate_value_with_blanks", {"-b", "-t", "My Target", "my dir/p.pm2"}, "my dir/p.pm2", "My Target"},
    {"glued_value_with_blanks", {"-b", "-tMy Target", "-pmy dir/p.pm2"}, "my dir/p.pm2", "My Target"},
    {"path_with_blanks_starting_with_minus", {"-b", "-x y/p.pm2"}, "-x y/p.pm2", ""},
    {"empty_target_value", {"-b", "-t", "", "p.pm2"}, "p.pm2", ""},
};

class ArgumentsRows : public ::testing::TestWithParam<ArgvRow> {};

// What a shell hands over, parsed as the one text the options are read from.
TEST_P(ArgumentsRows, Row) {
  std::vector<char*> argv{const_cast<char*>("pelmora2")};
  for (const char* a : GetParam().argv) argv.push_back(const_cast<char*>(a));
  CommandLineArgs a = ParseCommandLine(JoinArguments(int(argv.size()), argv.data()));
  EXPECT_EQ(a.project, GetParam().project);
  EXPECT_EQ(a.target, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Rows, ArgumentsRows, ::testing::ValuesIn(kArgvRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadCommandLineWord, LongWordIsCutButConsumed) {
  std::string word;
  std::string text(300, 'a');
  EXPECT_EQ(ReadCommandLineWord(text + " rest", &word), 300u);
  EXPECT_EQ(word.size(), kCommandWordMax);
  EXPECT_EQ(ReadCommandLineWord("\"a b\" c", &word), 5u);
  EXPECT_EQ(word, "a b");
}

struct StripRow {
  const char* name;
  std::string line;
  std::string shown;
};

const StripRow kStripRows[] = {
    {"redraw_off_alone", "\xFF", ""},
    {"redraw_on_alone", "\xFE", ""},
    {"several_leading_bytes", "\xF9\xFD" "compiling a.c...\n", "compiling a.c...\n"},
    {"byte_248_is_text", "\xF8x\n", "\xF8x\n"},
    {"only_leading_bytes_go", "a\xFF\n", "a\xFF\n"},
    {"plain_line", "linking...\n", "linking...\n"},
};

class StripPaneControlBytesRows : public ::testing::TestWithParam<StripRow> {};

TEST_P(StripPaneControlBytesRows, Row) {
  EXPECT_EQ(StripPaneControlBytes(GetParam().line), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, StripPaneControlBytesRows, ::testing::ValuesIn(kStripRows),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- end to end

// A file of a process's /proc folder, "" when it cannot be read: the
// process may end between the look and the read (a stream's read of a
// vanished process throws).
std::string ProcText(const fs::path& path) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  ::close(fd);
  return text;
}

// The compilers of a source of the example's folder now running (cc1
// below gcc): by their working folder or a path in their command line.
std::vector<pid_t> CompilersOf(const std::string& dir, const std::string& source) {
  std::vector<pid_t> out;
  const std::string folder = dir.substr(0, dir.size() - 1);
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (ProcText(e.path() / "comm") != "cc1\n") continue;
    const std::string line = ProcText(e.path() / "cmdline");
    std::error_code ec;
    const fs::path cwd = fs::read_symlink(e.path() / "cwd", ec);
    if (line.find(source) == std::string::npos) continue;
    if (line.find(folder) != std::string::npos || (!ec && cwd.string() == folder)) out.push_back(pid_t(std::stoi(name)));
  }
  return out;
}

// The build locks of the runtime folder (pm2-build-<uid>-<hash>.lock).
std::vector<std::string> BuildLocks(const std::string& runtimeFolder) {
  std::vector<std::string> locks;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(runtimeFolder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("pm2-build-", 0) == 0 && name.size() > 5 && name.substr(name.size() - 5) == ".lock")
      locks.push_back(name);
  }
  return locks;
}

// A command-line build ended by a signal (Ctrl+C, SIGTERM, a closed
// terminal's SIGHUP) ends the tools it started with it (they run in process
// groups of their own): no compiler of the killed build runs on beside the
// next build's. Nor does its target's lock file stay behind.
TEST_F(ExampleBuild, AKilledBuildEndsTheToolsItStarted) {
  // A function whose translation takes the compiler many seconds.
  {
    std::ofstream slow(dir_ + "Timer.c", std::ios::app);
    slow << "\n#define PM2_S0 x = x * 3 + 1;\n";
    for (int i = 1; i <= 5; ++i) {
      slow << "#define PM2_S" << i;
      for (int j = 0; j < 10; ++j) slow << " PM2_S" << i - 1;
      slow << "\n";
    }
    for (int f = 0; f < 4; ++f) slow << "void pm2_slow" << f << "(void) { volatile int x = 0; PM2_S5 }\n";
  }
  struct Row {
    const char* name;
    int signal;
  } rows[] = {{"SIGTERM", SIGTERM}, {"Ctrl+C", SIGINT}, {"SIGHUP", SIGHUP}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    fs::remove_all(dir_ + "Obj");
    const std::string cmd = root_ + "PM2/pelmora2 -b " + dir_ + "Blinky.pm2 > " + dir_ + "stdout.txt 2>&1";
    const std::string line = "exec " + cmd;  // made before the fork, as the child may not allocate
    const pid_t build = ::fork();
    ASSERT_GE(build, 0);
    if (build == 0) {
      ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Waits bounded only to catch a hang.
    const auto bound = [] { return std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs); };
    bool compiling = false;
    for (const auto until = bound(); !compiling && std::chrono::steady_clock::now() < until;) {
      compiling = !CompilersOf(dir_, "Timer.c").empty();
      if (!compiling) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The build holds its target's lock while it compiles.
    const std::vector<std::string> held = BuildLocks(run_);
    ::kill(build, r.signal);
    int status = 0;
    ASSERT_EQ(::waitpid(build, &status, 0), build);
    ASSERT_TRUE(compiling) << ReadText(dir_ + "stdout.txt");
    EXPECT_EQ(held.size(), 1u);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == r.signal) << status;
    // The compiler would run on for many seconds; it is ended with the build.
    bool gone = false;
    for (const auto until = bound(); !gone && std::chrono::steady_clock::now() < until;) {
      gone = CompilersOf(dir_, "Timer.c").empty();
      if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (pid_t left : CompilersOf(dir_, "Timer.c")) ::kill(left, SIGKILL);
    EXPECT_TRUE(gone);
    // Ended, not finished: a compiler that ran on to its end would have left
    // the object behind.
    EXPECT_FALSE(fs::exists(dir_ + "Obj/Timer.o"));
    EXPECT_EQ(BuildLocks(run_), std::vector<std::string>{});
  }
}

// A display number that no X server answers on (neither its socket file
// nor its abstract socket is there).
std::string SilentDisplay() {
  const std::string sockets = ProcText("/proc/net/unix");
  for (int n = 957;; ++n) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (!fs::exists(socket) && sockets.find("@" + socket + "\n") == std::string::npos) return ":" + std::to_string(n);
  }
}

// A DISPLAY that names no reachable X server (a closed session's) does not
// end a command-line build: it builds without a window, as with no display.
TEST_F(ExampleBuild, BuildsWithoutAWindowWhenTheDisplayDoesNotAnswer) {
  const std::string display = SilentDisplay();
  const std::string cmd = "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=" + display + " " + root_ +
                          "PM2/pelmora2 -b " + dir_ + "Blinky.pm2 > " + dir_ + "stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_TRUE(WIFEXITED(status)) << status << out_;
  EXPECT_EQ(WEXITSTATUS(status), 0) << display << "\n" << out_;
  EXPECT_NE(out_.find("\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s)."), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF");
}

// An X server that is there but stopped (a suspended Xvfb, a frozen
// session) still accepts connections on its socket, and never answers on
// them: a command-line build beside it neither waits for it nor stays
// silent, it builds without a window.
TEST_F(ExampleBuild, BuildsWithoutAWindowBesideAStoppedXServer) {
  if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
  // The server says its display number on a pipe once it listens.
  int ready[2];
  ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
  const pid_t server = ::fork();
  ASSERT_GE(server, 0);
  if (server == 0) {
    ::dup2(ready[1], 3);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "320x240x24",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  std::string number;
  char c = 0;
  while (::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(ready[0]);
  ASSERT_FALSE(number.empty()) << "Xvfb did not start";
  ASSERT_EQ(::kill(server, SIGSTOP), 0);

  const std::string cmd = "exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:" + number + " " + root_ +
                          "PM2/pelmora2 -b " + dir_ + "Blinky.pm2 > " + dir_ + "stdout.txt 2>&1";
  const pid_t build = ::fork();
  ASSERT_GE(build, 0);
  if (build == 0) {
    ::setpgid(0, 0);
    ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Bounded only to catch the hang: a build that hangs is ended with what
  // it started, so that it leaves nothing behind.
  int status = 0;
  bool ended = false;
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(test::kHangWaitMs);
       !ended && std::chrono::steady_clock::now() < until;) {
    ended = ::waitpid(build, &status, WNOHANG) == build;
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!ended) {
    ::kill(-build, SIGKILL);
    ::waitpid(build, &status, 0);
  }
  // Woken to end, so that it removes its socket and lock file.
  ::kill(server, SIGTERM);
  ::kill(server, SIGCONT);
  ::waitpid(server, nullptr, 0);
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_TRUE(ended) << "the build waited for the stopped X server :" << number << "\n" << out_;
  ASSERT_TRUE(WIFEXITED(status)) << status << out_;
  EXPECT_EQ(WEXITSTATUS(status), 0) << out_;
  EXPECT_NE(out_.find("\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s)."), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF");
}

// A user program's key sequences are filled without a display as the
// window's -b fills them: the selected target row stands for the project
// file, so "%F" and "@F" name it and the program runs.
TEST_F(ExampleBuild, UserProgramKeySequencesAreFilledWithoutADisplay) {
  std::string text = ReadText(dir_ + "Blinky.pm2");
  const std::string from = " BrunUsr 0 0 <>";
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, from.size(), " BrunUsr 0 1 </bin/sh -c \"echo filled: %F @F\">");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << text;
  const std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " + root_ + "PM2/pelmora2 -b " + dir_ +
                          "Blinky.pm2 > " + dir_ + "stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_TRUE(WIFEXITED(status)) << status << out_;
  EXPECT_EQ(WEXITSTATUS(status), 0) << out_;
  EXPECT_EQ(out_.find("cannot be filled"), std::string::npos) << out_;
  EXPECT_NE(out_.find("User command #1: /bin/sh -c \"echo filled: Blinky.pm2 Blinky\"\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\nfilled: Blinky.pm2 Blinky\n"), std::string::npos) << "the program ran\n" << out_;
}

// The README's own form, a project named relative to the caller's folder:
// the user program run after the build runs in the project folder, so the
// files its key sequences name must be found from there.
TEST_F(ExampleBuild, KeySequencesOfAProjectNamedRelativeToTheCallerNameItsFiles) {
  std::string text = ReadText(dir_ + "Blinky.pm2");
  const std::string from = " RunUsr 0 0 <>";
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, from.size(),
               " RunUsr 0 1 </bin/sh -c \"test -f #P && test -d $P && ls #L* && test -f #H && "
               "test -d $L && echo every file found\">");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << text;
  const fs::path project(dir_.substr(0, dir_.size() - 1));
  const std::string cmd = "cd " + project.parent_path().string() + " && env -u DISPLAY -u WAYLAND_DISPLAY " +
                          root_ + "PM2/pelmora2 -b " + project.filename().string() + "/Blinky.pm2 > " + dir_ +
                          "stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_TRUE(WIFEXITED(status)) << status << out_;
  EXPECT_EQ(WEXITSTATUS(status), 0) << out_;
  EXPECT_NE(out_.find("\nevery file found\n"), std::string::npos) << out_;
}

// A project that plants programs named like the toolset's and like a
// system tool in its folder runs none of them: a program named without a
// folder is looked up as a shell does, on PATH (the toolset's folders
// first), never in the project's folder. Each planted program would leave
// a marker; the build is the real compiler's, and a user command naming a
// program only the project has is refused with the reason.
TEST_F(ExampleBuild, ProgramsPlantedInTheProjectFolderStandInForNone) {
  const std::string marker = dir_ + "marker";
  for (const char* name : {"arm-uclibc-gcc", "arm-uclibc-as", "arm-uclibc-objcopy", "make", "pm2own"}) {
    std::ofstream(dir_ + name) << "#!/bin/sh\ntouch " << marker << "\n";
    ::chmod((dir_ + name).c_str(), 0755);
  }
  std::string text = ReadText(dir_ + "Blinky.pm2");
  for (auto [from, to] : {std::pair<std::string, std::string>{" BrunUsr 0 0 <>", " BrunUsr 0 1 <make --version>"},
                          {" RunUsr 0 0 <>", " RunUsr 0 1 <pm2own --version>"}}) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << text;
  Build();
  EXPECT_FALSE(fs::exists(marker)) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF") << out_;
  EXPECT_NE(out_.find("'pm2own' is in none of the folders of PATH ("), std::string::npos) << out_;
  EXPECT_NE(out_.find("programs are not looked up in the working folder"), std::string::npos) << out_;
  EXPECT_NE(out_.find("name it with its folder ('./pm2own')"), std::string::npos) << out_;
}

TEST_F(ExampleBuild, BuildsThenTranslatesOnlyWhatChanged) {
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_NE(out_.find("\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s)."), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF");
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex").substr(0, 1), ":");
  EXPECT_NE(ReadText(dir_ + "Obj/Blinky.plg").find("0 Error(s), 0 Warning(s)."), std::string::npos);
  const std::string dep = ReadText(dir_ + "Blinky_LPC2138.dep");
  EXPECT_EQ(dep.rfind("Dependencies for Project 'Blinky', Target 'LPC2138': (DO NOT MODIFY !)\r\n", 0), 0u);
  EXPECT_NE(dep.find("I (LED.h)"), std::string::npos) << dep;

  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_EQ(out_.find("compiling"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("assembling"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("linking"), std::string::npos) << out_;

  // A lost dependency file is rebuilt by scanning: still nothing to do.
  fs::remove(dir_ + "Blinky_LPC2138.dep");
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_EQ(out_.find("compiling"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("assembling"), std::string::npos) << out_;
  EXPECT_NE(ReadText(dir_ + "Blinky_LPC2138.dep").find("I (LED.h)"), std::string::npos);

  // A header one second newer than every object (a slow build may take more
  // than a second between two of them): exactly its includers.
  auto newestObject = [&] {
    return std::max({MTime(dir_ + "Obj/Blinky.o"), MTime(dir_ + "Obj/LED.o"), MTime(dir_ + "Obj/Timer.o")});
  };
  SetTime(dir_ + "LED.h", newestObject() + 1);
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("Blinky.c")) << out_;
  EXPECT_TRUE(Compiled("LED.c")) << out_;
  EXPECT_FALSE(Compiled("Timer.c")) << out_;
  EXPECT_NE(out_.find("linking..."), std::string::npos) << out_;

  // The dependency file lost and a header changed: the build scans each
  // file as it comes to it and still translates exactly the includers.
  fs::remove(dir_ + "Blinky_LPC2138.dep");
  SetTime(dir_ + "LED.h", MTime(dir_ + "Obj/LED.o") - 10);  // older again
  SetTime(dir_ + "Timer.h", newestObject() + 1);
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("Blinky.c")) << out_;
  EXPECT_FALSE(Compiled("LED.c")) << out_;
  EXPECT_TRUE(Compiled("Timer.c")) << out_;
  EXPECT_NE(ReadText(dir_ + "Blinky_LPC2138.dep").find("I (Timer.h)"), std::string::npos);
}

TEST_F(ExampleBuild, BuildWinsOverRebuildAndUncreatableCopyIsReported) {
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_EQ(Run("-r -b -o " + dir_ + "no/such/copy.txt " + dir_ + "Blinky.pm2"), 0) << out_;
  EXPECT_NE(out_.find("-o \"" + dir_ + "no/such/copy.txt\"  ---  Can't create output file"),
            std::string::npos)
      << out_;
  EXPECT_EQ(out_.find("compiling"), std::string::npos) << out_;
}

TEST_F(ExampleBuild, RelativeOutputFolderIsTakenInTheProjectFolder) {
  std::string project = ReadText(dir_ + "Blinky.pm2");
  size_t at = project.find(" OutDir (./Obj/)");
  ASSERT_NE(at, std::string::npos);
  project.replace(at, 16, " OutDir (Obj/)");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << project;
  fs::create_directories(dir_ + "elsewhere");
  std::string cmd = "cd " + dir_ + "elsewhere && " + root_ + "PM2/pelmora2 -b " + dir_ + "Blinky.pm2 > " +
                    dir_ + "stdout.txt 2>&1";
  ASSERT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 0) << ReadText(dir_ + "stdout.txt");
  EXPECT_NE(ReadText(dir_ + "Obj/Blinky.plg").find("0 Error(s), 0 Warning(s)."), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir_ + "elsewhere"));
}

TEST_F(ExampleBuild, WindowsFormFoldersBuildWhenOpenedByBareNameInItsFolder) {
  // As a project written on Windows stores them: ".\Obj\" for output and
  // listing; and the user runs the program inside the project folder.
  std::string project = ReadText(dir_ + "Blinky.pm2");
  for (const char* key : {" OutDir (./Obj/)", " LstDir (./Obj/)"}) {
    size_t at = project.find(key);
    ASSERT_NE(at, std::string::npos) << key;
    project.replace(at + 8, 7, "(.\\Obj\\)");
  }
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << project;
  fs::create_directories(dir_ + "Obj");
  std::string cmd = "cd " + dir_ + " && " + root_ + "PM2/pelmora2 -b Blinky.pm2 > stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_EQ(WEXITSTATUS(status), 0) << out_;
  EXPECT_NE(out_.find("0 Error(s), 0 Warning(s)."), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF");
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex").substr(0, 1), ":");
}

// A source renamed on disk to another case is still the project's file: the
// up-to-date test finds it ignoring case, and so does the compiler, which is
// handed the name as it stands on disk.
TEST_F(ExampleBuild, SourceRenamedToAnotherCaseIsCompiledByItsNameOnDisk) {
  fs::rename(dir_ + "LED.c", dir_ + "led.c");
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("LED.c")) << out_;
  EXPECT_EQ(out_.find("No such file"), std::string::npos) << out_;
  EXPECT_TRUE(fs::exists(dir_ + "Obj/LED.o"));
  // Changed later, it is translated again the same way.
  SetTime(dir_ + "led.c", time(nullptr) + 5);
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("LED.c")) << out_;
  EXPECT_FALSE(Compiled("Timer.c")) << out_;
}

// A project brought from Windows may hold its C sources under upper-case
// names ("LED.C"), which gcc by itself takes for C++: the build tells it
// the project's file type, and the program links.
TEST_F(ExampleBuild, CSourceNamedInUpperCaseOnDiskIsCompiledAsC) {
  fs::rename(dir_ + "LED.c", dir_ + "LED.C");
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("LED.c")) << out_;
  EXPECT_EQ(out_.find("undefined reference"), std::string::npos) << out_;
  EXPECT_NE(out_.find("\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s)."), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf").substr(0, 4), "\x7f" "ELF");
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex").substr(0, 1), ":");
}

// As a new user runs it: inside the example's folder, the project named by
// its bare file name (here saved in another case, as the save may name it).
// The log is whole: heading with the project's folder and the file's date,
// every line, trailer.
TEST_F(ExampleBuild, BareNameInItsFolderWritesTheWholeBuildLog) {
  fs::rename(dir_ + "Blinky.pm2", dir_ + "Blinky.Pm2");
  std::string cmd = "cd " + dir_ + " && " + root_ + "PM2/pelmora2 -b Blinky.Pm2 > stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_EQ(WEXITSTATUS(status), 0) << out_;
  const std::string log = ReadText(dir_ + "Obj/Blinky.plg");
  ASSERT_GE(log.size(), 9u) << log;
  EXPECT_EQ(log.substr(log.size() - 9), "</html>\r\n") << log;
  EXPECT_EQ(log.find("<unknown>"), std::string::npos) << log;
  EXPECT_NE(log.find("Project File Date:  "), std::string::npos) << log;
  // The project line names the folder the build worked in, not the bare name.
  EXPECT_NE(log.find("<h2>Project:</h2>\r\n" + dir_ + "Blinky.pm2\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"./Obj/Blinky.elf\" - 0 Error(s), 0 Warning(s).\r\n</pre>"), std::string::npos) << log;
  // Every line the user saw is in the log.
  std::istringstream lines(out_);
  for (std::string line; std::getline(lines, line);) EXPECT_NE(log.find(line + "\r\n"), std::string::npos) << line;
  // Neither the compiler nor the scan is handed the tools folder's BIN.
  const std::string dep = ReadText(dir_ + "Blinky_LPC2138.dep");
  EXPECT_EQ(dep.find("BIN/INC"), std::string::npos) << dep;
  EXPECT_EQ(dep.find("INC\\ "), std::string::npos) << dep;
  // Debian's assembler takes the CPU option without a deprecation warning.
  EXPECT_EQ(out_.find("Assembler messages:"), std::string::npos) << out_;
}

TEST_F(ExampleBuild, ChangedDefineRetranslatesTheCFiles) {
  ASSERT_EQ(Build(), 0) << out_;
  std::string project = ReadText(dir_ + "Blinky.pm2");
  size_t at = project.find(" ACDEFN ()");
  ASSERT_NE(at, std::string::npos);
  project.replace(at, 10, " ACDEFN (SPEED=2)");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << project;
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_TRUE(Compiled("Blinky.c") && Compiled("LED.c") && Compiled("Timer.c")) << out_;
  EXPECT_EQ(out_.find("assembling"), std::string::npos) << out_;
}

TEST_F(ExampleBuild, ErrorInASourceLeavesTheTargetUnbuilt) {
  std::ofstream(dir_ + "Timer.c", std::ios::app) << "\nint broken = ;\n";
  EXPECT_EQ(Run("-r -o " + dir_ + "copy.txt " + dir_ + "Blinky.pm2"), 1) << out_;
  EXPECT_NE(out_.find("Timer.c("), std::string::npos) << out_;
  EXPECT_NE(out_.find("error"), std::string::npos) << out_;
  EXPECT_NE(out_.find("Target not created"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("linking"), std::string::npos) << out_;
  EXPECT_EQ(ReadText(dir_ + "copy.txt"), out_);
}

// A build leaves nothing in the user's runtime folder, built or not: the
// target's lock file goes with the build (the program ends at once after
// it, without freeing its records).
TEST_F(ExampleBuild, LeavesNothingInItsRuntimeFolder) {
  auto left = [&] {
    std::string names;
    for (const auto& e : fs::directory_iterator(run_)) names += e.path().filename().string() + " ";
    return names;
  };
  ASSERT_EQ(Build(), 0) << out_;
  EXPECT_EQ(left(), "") << "after a build that created the target";
  std::ofstream(dir_ + "Timer.c", std::ios::app) << "\nint broken = ;\n";
  ASSERT_EQ(Build(), 1) << out_;
  EXPECT_EQ(left(), "") << "after a build that failed";
}

// After a good build, a tool that fails fails the build: a deleted source
// and an option the compiler rejects each end with "Target not created"
// and exit status 1, whether or not the tool's words were recognised.
TEST_F(ExampleBuild, FailingToolAfterAGoodBuildFailsTheBuild) {
  ASSERT_EQ(Build(), 0) << out_;
  fs::remove(dir_ + "Timer.c");
  EXPECT_EQ(Build(), 1) << out_;
  EXPECT_NE(out_.find("Target not created"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("0 Error(s)"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("linking"), std::string::npos) << out_;

  fs::remove_all(dir_);
  SetUp();  // a fresh copy
  ASSERT_EQ(Build(), 0) << out_;
  std::string project = ReadText(dir_ + "Blinky.pm2");
  size_t at = project.find(" ACMISC ()");
  ASSERT_NE(at, std::string::npos);
  project.replace(at, 10, " ACMISC (--no-such-option)");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << project;
  EXPECT_EQ(Build(), 1) << out_;
  EXPECT_NE(out_.find("Target not created"), std::string::npos) << out_;

  // A header gone after a good build.
  fs::remove_all(dir_);
  SetUp();
  ASSERT_EQ(Build(), 0) << out_;
  fs::remove(dir_ + "LED.h");
  EXPECT_EQ(Build(), 1) << out_;
  EXPECT_NE(out_.find("compiling LED.c"), std::string::npos) << out_;
  EXPECT_NE(out_.find("Target not created"), std::string::npos) << out_;
}

// A project folder and an installation root named with blanks and letters
// beyond ASCII build to the same hex file as the plain ones.
// Translations side by side make the image of a build one file at a time,
// with the same output.
TEST_F(ExampleBuild, ParallelBuildMakesTheSerialImageAndOutput) {
  ::setenv("PM2_BUILD_JOBS", "1", 1);
  ASSERT_EQ(Run("-r " + dir_ + "Blinky.pm2"), 0) << out_;
  ::unsetenv("PM2_BUILD_JOBS");
  const std::string serialOut = out_;
  const std::string serialElf = ReadText(dir_ + "Obj/Blinky.elf");
  const std::string serialHex = ReadText(dir_ + "Obj/Blinky.hex");
  ASSERT_EQ(Run("-r " + dir_ + "Blinky.pm2"), 0) << out_;
  EXPECT_EQ(out_, serialOut);
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf"), serialElf);
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex"), serialHex);
}

// With the real compiler: warnings in several files and an error in one
// read the same, line for line, when the files are translated side by side.
TEST_F(ExampleBuild, ParallelOutputWithWarningsAndAnErrorIsTheSerialOutput) {
  for (const char* name : {"Blinky.c", "Timer.c"}) {
    std::ofstream(dir_ + name, std::ios::app) << "#warning \"look at " << name << "\"\n";
  }
  std::ofstream(dir_ + "LED.c", std::ios::app) << "#error \"not ready\"\n";
  ::setenv("PM2_BUILD_JOBS", "1", 1);
  ASSERT_EQ(Run("-r " + dir_ + "Blinky.pm2"), 1) << out_;
  ::unsetenv("PM2_BUILD_JOBS");
  const std::string serialOut = out_;
  EXPECT_NE(serialOut.find("Target not created"), std::string::npos) << serialOut;
  EXPECT_NE(serialOut.find("look at Timer.c"), std::string::npos) << serialOut;
  ASSERT_EQ(Run("-r " + dir_ + "Blinky.pm2"), 1) << out_;
  EXPECT_EQ(out_, serialOut);
}

// Two programs started together on one target: the one that claims it
// first builds, the other says so and ends with status 1 touching nothing;
// the outputs are those of one clean build. (A user program before the
// build keeps the first one busy long enough for the second to meet it.)
TEST_F(ExampleBuild, TwoBuildsOfOneTargetStartedTogether) {
  ASSERT_EQ(Build(), 0) << out_;
  const std::string elf = ReadText(dir_ + "Obj/Blinky.elf");
  const std::string hex = ReadText(dir_ + "Obj/Blinky.hex");
  fs::remove_all(dir_ + "Obj");
  fs::remove(dir_ + "Blinky_LPC2138.dep");
  std::string text = ReadText(dir_ + "Blinky.pm2");
  const std::string from = " BrunUsr 0 0 <>";
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, from.size(), " BrunUsr 0 1 <sleep 1>");
  std::ofstream(dir_ + "Blinky.pm2", std::ios::binary) << text;
  const std::string one = root_ + "PM2/pelmora2 -b " + dir_ + "Blinky.pm2 > " + dir_;
  const std::string cmd = "(" + one + "a.txt 2>&1; echo $? > " + dir_ + "a.rc) & (" + one + "b.txt 2>&1; echo $? > " +
                          dir_ + "b.rc) & wait";
  ASSERT_EQ(std::system(("sh -c '" + cmd + "'").c_str()), 0);
  const std::string a = ReadText(dir_ + "a.rc"), b = ReadText(dir_ + "b.rc");
  const std::string busy = "Target 'LPC2138' is being built by another build\n";
  ASSERT_TRUE((a == "0\n" && b == "1\n") || (a == "1\n" && b == "0\n")) << a << b;
  const std::string refused = ReadText(dir_ + (a == "1\n" ? "a.txt" : "b.txt"));
  const std::string built = ReadText(dir_ + (a == "0\n" ? "a.txt" : "b.txt"));
  EXPECT_EQ(refused, busy);
  EXPECT_NE(built.find("User command #1: sleep 1"), std::string::npos) << built;
  EXPECT_NE(built.find("0 Error(s), 0 Warning(s)."), std::string::npos) << built;
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf"), elf);
  EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex"), hex);
}

TEST_F(ExampleBuild, FoldersWithBlanksAndNonAsciiLettersBuildTheSameImage) {
  ASSERT_EQ(Build(), 0) << out_;
  const std::string plainHex = ReadText(dir_ + "Obj/Blinky.hex");
  const std::string odd = dir_ + "my dir é/";
  fs::create_directories(odd);
  test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", odd + "blinky");
  fs::remove_all(odd + "blinky/Obj");
  fs::copy(root_, odd + "inst root é", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  const std::string cmd = "cd \"" + odd + "blinky\" && \"" + odd + "inst root é/PM2/pelmora2\" -b Blinky.pm2 > \"" +
                          dir_ + "stdout.txt\" 2>&1";
  const int status = std::system(cmd.c_str());
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_EQ(WEXITSTATUS(status), 0) << out_;
  EXPECT_EQ(ReadText(odd + "blinky/Obj/Blinky.hex"), plainHex);
}

// A build killed with SIGKILL at any moment (the program and its tools
// together) costs only time: the next build makes the ELF and hex files of
// a clean build, byte for byte, and no scratch file is left behind.
TEST_F(ExampleBuild, KilledBuildCostsOnlyTime) {
  const std::string tmp = dir_ + "tmp/";
  fs::create_directories(tmp);
  // The tools' own temporary folder holds their files and the captures;
  // its lock file stays.
  auto ToolTempLeftovers = [&]() {
    int n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir_ + "Obj/Blinky.pm2tmp", ec))
      n += e.path().filename() == ".pm2lock" ? 0 : 1;
    return n;
  };
  auto build = [&]() {
    const std::string cmd = "cd " + dir_ + " && TMPDIR=" + tmp + " " + root_ + "PM2/pelmora2 -b Blinky.pm2 > " +
                            dir_ + "stdout.txt 2>&1";
    const int status = std::system(cmd.c_str());
    out_ = ReadText(dir_ + "stdout.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  // The kills are spread over the time a whole build takes on this
  // machine, so that they land in every step however fast it is.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(build(), 0) << out_;
  const long wholeMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - started).count());
  const std::string elf = ReadText(dir_ + "Obj/Blinky.elf");
  const std::string hex = ReadText(dir_ + "Obj/Blinky.hex");
  ASSERT_FALSE(elf.empty());
  const std::string program = root_ + "PM2/pelmora2";
  int killedLeftovers = 0;  // rounds whose kill hit a running tool
  // What the child needs is made before the fork: between fork and exec a
  // child of a process with threads may only make async-signal-safe calls.
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "TMPDIR=", 7) != 0) envText.push_back(*e);
  envText.push_back("TMPDIR=" + tmp);
  std::vector<char*> envp;
  for (std::string& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  const char* const argv[] = {program.c_str(), "-b", "Blinky.pm2", nullptr};
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(null, 0);
  // Eleven kills spread over the build, then more passes over the same
  // spread, each a little later, until three have hit a running tool.
  for (int round = 0; round < 44 && (round < 11 || killedLeftovers < 3); ++round) {
    const long delayMs = wholeMs * (round % 11) / 11 + round / 11 * wholeMs / 44;
    SCOPED_TRACE("killed after " + std::to_string(delayMs) + " ms");
    // Every source newer than its object, so every step runs again.
    for (const auto& e : fs::directory_iterator(dir_ + "Obj")) SetTime(e.path().string(), time(nullptr) - 100);
    for (const char* name : {"Startup.s", "Blinky.c", "LED.c", "Timer.c"}) SetTime(dir_ + name, time(nullptr) - 50);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::setpgid(0, 0);
      if (::chdir(dir_.c_str()) != 0) ::_exit(127);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execve(argv[0], const_cast<char* const*>(argv), envp.data());
      ::_exit(127);
    }
    ::setpgid(pid, pid);
    ::usleep(useconds_t(delayMs) * 1000);
    ::kill(-pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    killedLeftovers += fs::is_empty(tmp) && ToolTempLeftovers() == 0 ? 0 : 1;
    ASSERT_EQ(build(), 0) << out_;
    EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.elf") == elf, true);
    EXPECT_EQ(ReadText(dir_ + "Obj/Blinky.hex"), hex);
    EXPECT_TRUE(fs::is_empty(tmp));
    EXPECT_EQ(ToolTempLeftovers(), 0);
    for (const auto& e : fs::directory_iterator(dir_ + "Obj")) {
      const std::string ext = e.path().extension().string();
      EXPECT_TRUE(ext != ".__i" && ext != "._ia" && ext != ".pm2run") << e.path();
    }
  }
  ::close(null);
  // The kills did hit tools at work (else the test proves nothing).
  EXPECT_GE(killedLeftovers, 3);
}

// A build started from the command line with a display while the event
// interface cannot start (here: its runtime folder is a link, which it
// refuses) shows no box that nobody could answer: it says why on its error
// output and builds, the interface muted.
TEST_F(ExampleBuild, WindowBuildWhoseEventInterfaceCannotStartSaysWhyAndBuilds) {
  const std::string window = root_ + "PM2/pelmora2_window";
  if (!fs::exists(window)) GTEST_SKIP() << "built without the window program";
  fs::create_directory_symlink(run_, run_ + "-link");
  const std::string cmd = "cd " + dir_ + " && HOME=" + dir_ + "home XDG_CONFIG_HOME=" + dir_ +
                          "home/.config XDG_RUNTIME_DIR=" + run_ + "-link QT_QPA_PLATFORM=offscreen PM2_NO_SPLASH=1 " +
                          "timeout 60 " + window + " -b Blinky.pm2 > " + dir_ + "stdout.txt 2> " + dir_ + "stderr.txt";
  const int status = std::system(cmd.c_str());
  fs::remove(run_ + "-link");
  const std::string err = ReadText(dir_ + "stderr.txt");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << err << ReadText(dir_ + "stdout.txt");
  EXPECT_NE(err.find("Could not Initialize ActivateIPDispatcher() ! (The runtime folder '" + run_ +
                     "-link' is not a folder)"),
            std::string::npos)
      << err;
  EXPECT_TRUE(fs::exists(dir_ + "Obj/Blinky.hex"));
}

// Refusals that come before any tool runs.
class CommandLineRefusals : public ExampleCopy {};

TEST_F(CommandLineRefusals, TargetNameMustMatchInCase) {
  EXPECT_EQ(Run("-b -t lpc2138 " + dir_ + "Blinky.pm2"), 1) << out_;
  EXPECT_NE(out_.find("-t \"lpc2138\"  ---  Target not defined in Project '" + dir_ + "Blinky.pm2'"),
            std::string::npos)
      << out_;
  EXPECT_EQ(out_.find("Build target"), std::string::npos) << out_;
}

// While another build (here: this test, as another instance would) holds
// the target, the program says so, exits with 1 and writes nothing.
TEST_F(CommandLineRefusals, TargetBeingBuiltElsewhereIsRefused) {
  TargetBuildLock other;
  ASSERT_TRUE(other.Acquire(DefaultRuntimeFolder(), dir_ + "Blinky.pm2", "LPC2138"));
  EXPECT_EQ(Run("-b " + dir_ + "Blinky.pm2"), 1) << out_;
  EXPECT_EQ(out_, "Target 'LPC2138' is being built by another build\n");
  EXPECT_FALSE(fs::exists(dir_ + "Obj/Blinky.plg"));
  EXPECT_FALSE(fs::exists(dir_ + "Blinky_LPC2138.dep"));
  other.Release();
}

// Every file under a folder with its content, but the test's own output.
std::map<std::string, std::string> FolderContents(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string rel = fs::relative(e.path(), dir).string();
    if (rel == "stdout.txt" || rel.rfind("home", 0) == 0) continue;
    files[rel] = e.is_regular_file() ? ReadText(e.path().string()) : std::string("<folder>");
  }
  return files;
}

// Started with a display the refusal is the same: the window program leaves
// the log of the build that holds the target, the dependency files and the
// project files (no re-save, no backup) exactly as they were.
TEST_F(CommandLineRefusals, TargetBeingBuiltElsewhereIsRefusedInTheWindowToo) {
  const std::string window = root_ + "PM2/pelmora2_window";
  if (!fs::exists(window)) GTEST_SKIP() << "built without the window program";
  fs::create_directories(dir_ + "Obj");
  { std::ofstream(dir_ + "Obj/Blinky.plg") << "the log of the build that holds the target\n"; }
  fs::create_directories(dir_ + "home");
  const auto before = FolderContents(dir_);
  TargetBuildLock other;
  ASSERT_TRUE(other.Acquire(DefaultRuntimeFolder(), dir_ + "Blinky.pm2", "LPC2138"));
  const std::string cmd = "cd " + dir_ + " && HOME=" + dir_ + "home XDG_CONFIG_HOME=" + dir_ +
                          "home/.config QT_QPA_PLATFORM=offscreen PM2_NO_SPLASH=1 timeout 60 " + window + " -b " +
                          dir_ + "Blinky.pm2 > " + dir_ + "stdout.txt 2>&1";
  const int status = std::system(cmd.c_str());
  other.Release();
  out_ = ReadText(dir_ + "stdout.txt");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << out_;
  EXPECT_NE(out_.find("Target 'LPC2138' is being built by another build"), std::string::npos) << out_;
  const auto after = FolderContents(dir_);
  for (const auto& [name, text] : after) {
    const auto was = before.find(name);
    EXPECT_TRUE(was != before.end()) << "written: " << name;
    if (was != before.end()) {
      EXPECT_EQ(text, was->second) << "changed: " << name;
    }
  }
  EXPECT_EQ(after.size(), before.size());
}

TEST_F(CommandLineRefusals, DebugSessionIsNotABuild) {
  EXPECT_EQ(Run("-b -d " + dir_ + "Blinky.pm2"), 2) << out_;
  EXPECT_NE(out_.find("-d \"" + dir_ + "Blinky.pm2\"  ---  "), std::string::npos) << out_;
  EXPECT_EQ(out_.find("Build target"), std::string::npos) << out_;
}

// A project path that can't be examined (a link loop, a name part longer
// than the file system allows) is reported as not found, with or without a
// display, never ended by an exception.
TEST_F(CommandLineRefusals, UnexaminablePathsAreNotFound) {
  fs::create_symlink(dir_ + "loop2.pm2", dir_ + "loop1.pm2");
  fs::create_symlink(dir_ + "loop1.pm2", dir_ + "loop2.pm2");
  for (const std::string& path : {dir_ + "loop1.pm2", dir_ + "loop1.pm2/x.pm2", dir_ + std::string(300, 'a') + ".pm2"}) {
    SCOPED_TRACE(path);
    for (const char* display : {"", "DISPLAY=:97 "}) {
      EXPECT_EQ(Run(std::string("-b ") + path), 1) << out_;
      const std::string cmd = std::string(display) + root_ + "PM2/pelmora2 -b " + path + " > " + dir_ +
                              "stdout.txt 2>&1";
      const int status = std::system(cmd.c_str());
      ASSERT_TRUE(WIFEXITED(status)) << display;
      EXPECT_EQ(WEXITSTATUS(status), 1) << display << ReadText(dir_ + "stdout.txt");
      EXPECT_NE(ReadText(dir_ + "stdout.txt").find("' not found"), std::string::npos) << display;
    }
  }
}

TEST(CommandLineBuild, UsageErrors) {
  const std::string prog = std::string(std::getenv("PM2_TEST_BIN")) + "/test-root/PM2/pelmora2";
  EXPECT_EQ(WEXITSTATUS(std::system((prog + " > /dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((prog + " -b > /dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((prog + " -b /nonexistent/x.pm2 > /dev/null 2>&1").c_str())), 1);
}

}  // namespace
}  // namespace pm2
