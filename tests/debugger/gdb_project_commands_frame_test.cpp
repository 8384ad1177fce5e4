// Commands that come with a project, and typed lines that would leave gdb
// waiting, in the real main frame with the GDB driver under qemu.
//
// A hostile copy of the example: its options file keeps a breakpoint whose
// command is a shell command, and names an initialisation file with
// shell, '!', python, pipe and "with" lines and a tool-box button whose
// command is a shell command. Started as `pelmora2 -d`, the session runs
// the initialisation file and sets the stored breakpoint: no host command
// runs (every marker file stays absent), each refusal is said on the
// command page with its file and line, the file's harmless line runs, and
// F5 still stops at the stored breakpoint.
//
// Typed on the real command page, gdb's alias "w" of "with" and a user's
// alias do not open gdb's own input: F10 still steps.
//
// A project whose initialisation file is a named pipe, and Include lines
// typed on the command page that name a pipe, an endless device, a socket
// or a folder: each is refused with what it is, and the session goes on.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "debugger/ui/debug_commands.h"
#include "debugger/windows/command_window.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/margin_view.h"
#include "shell/frame/frame_fixture.h"
#include "gdb_frame_fixture.h"
#include "hang_guard.h"

namespace pm2 {
// Named: the program's test files are compiled as one file in CI.
namespace gdb_project_commands_frame_test {

constexpr CommandId kGo = 32791, kStepOver = 32795;
constexpr uint32_t kStoredLine = 43;  // Blinky.c: Serial_PutString("LED ") in the main loop

// The program started as `pelmora2 -d Blinky.pm2` on the copy in `dir`.
struct DebugOnStartSession : test::SettingsInFolder, test::Session {
  DebugOnStartSession(const std::string& dir, const std::string& root)
      : SettingsInFolder(dir), Session(settings, "-d " + dir + "Blinky.pm2", root + "PM2/pelmora2") {}
};

class GdbProjectCommandsTest : public test::GdbExampleFrameTest {
 protected:
  void TearDown() override {
    if (started) {
      // The session ends here, not the program (as -d would at a session's end).
      started->App().ClearState(kStateDebugOnStart);
      if (f && f->Debugger()->Session().SessionActive()) f->ExecuteCommand(kStartStop);
      f = nullptr;
      started.reset();
    }
    test::GdbExampleFrameTest::TearDown();
  }
  std::string Marker(const char* name) const { return dir + "marker-" + name; }
  // Replaces `from` by `to` in the copy's options file.
  void EditOptions(const std::string& from, const std::string& to) {
    const std::string path = dir + "Blinky.Opt";
    std::stringstream all;
    all << std::ifstream(path).rdbuf();
    std::string text = all.str();
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }

  std::unique_ptr<DebugOnStartSession> started;
};

TEST_F(GdbProjectCommandsTest, AHostileProjectsFilesRunNothingOnTheHostAndTheSessionGoesOn) {
  // The program built first, as the user would have it before -d.
  const std::string build = "cd '" + dir + "' && '" + root + "PM2/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
  ASSERT_EQ(std::system(build.c_str()), 0) << "the example does not build";
  // The options: the initialisation file named on the simulator's side
  // (the program not loaded at the start, so a -d start runs the file),
  // and the stored breakpoint.
  ASSERT_NO_FATAL_FAILURE(EditOptions("OPTDBG 44029,0,(GDBDRV.DLL)(-sim)()()()",
                                      "OPTDBG 44025,0,(GDBDRV.DLL)(-sim)()()(.\\hostile.ini)"));
  ASSERT_NO_FATAL_FAILURE(EditOptions("EndOpt", "  OPTBB 0,0," + std::to_string(kStoredLine) +
                                                    ",1,0,0,0,0,0,1,<shell touch " + Marker("breakpoint") +
                                                    ">(Blinky.c)()\nEndOpt"));
  std::ofstream(dir + "hostile.ini") << "shell touch " << Marker("shell") << "\n"
                                     << "!touch " << Marker("bang") << "\n"
                                     << "python open('" << Marker("python") << "', 'w').close()\n"
                                     << "| print 1 | touch " << Marker("pipe") << "\n"
                                     << "w print pretty -- shell touch " << Marker("with") << "\n"
                                     << "DEFINE BUTTON \"Reset\", \"shell touch " << Marker("button") << "\"\n"
                                     << "print 6*7\n";

  started = std::make_unique<DebugOnStartSession>(dir, root);
  f = started->Frame();
  ASSERT_TRUE(started->started && f) << "the program did not start";
  DebugSession& s = f->Debugger()->Session();
  auto commands = [&] { return Commands(); };
  // Without "Load Application at Startup" a -d start runs the
  // initialisation file; the session stands at the reset address.
  ASSERT_TRUE(test::WaitFor([&] { return s.SessionActive() && !s.TargetExecuting(); })) << commands();
  // The initialisation file ran to its end: its harmless line reached gdb.
  ASSERT_TRUE(test::WaitFor([&] { return commands().find("$1 = 42") != std::string::npos; })) << commands();
  const std::string said = commands();
  const char* kRule = "' is not sent to gdb: a line read from a file may only";
  for (const auto& [line, word] : {std::pair{1, "shell"}, {2, "!"}, {3, "python"}, {4, "|"}, {5, "w"}}) {
    const std::string text =
        "*** error in 'hostile.ini', line " + std::to_string(line) + ": '" + word + kRule;
    EXPECT_NE(said.find(text), std::string::npos) << text << "\n" << said;
  }
  EXPECT_NE(said.find("DEFINE BUTTON \"Reset\": 'shell" + std::string(kRule)), std::string::npos) << said;
  EXPECT_NE(said.find("*** error: the command 'shell touch " + Marker("breakpoint") +
                      "' of the breakpoint at Blinky.c, line " + std::to_string(kStoredLine) +
                      " kept in the project's options file is not given to gdb; the breakpoint is set without it"),
            std::string::npos)
      << said;

  // F5: the session stops at the stored breakpoint (the stop at the reset
  // address put the disassembly window in front, which stays there), and
  // its command did not run.
  const std::size_t before = commands().size();
  ASSERT_TRUE(f->ExecuteCommand(kGo));
  const std::string stop = "Breakpoint 1, main () at Blinky.c:" + std::to_string(kStoredLine) + "\n";
  EXPECT_TRUE(test::WaitFor([&] {
    return !s.TargetExecuting() && commands().find(stop, before) != std::string::npos;
  })) << commands().substr(before);
  EXPECT_TRUE(s.SessionActive());
  for (const char* marker : {"breakpoint", "shell", "bang", "python", "pipe", "with", "button"})
    EXPECT_FALSE(std::filesystem::exists(Marker(marker))) << "a host command ran: " << marker << "\n" << commands();
}

TEST_F(GdbProjectCommandsTest, TypedAliasesOfACommandListAreRefusedAndF10StillSteps) {
  ASSERT_TRUE(StartAtMain());
  DebugSession& s = f->Debugger()->Session();
  CommandWindow* page = f->Debugger()->CommandPage();
  auto type = [&](const char* line) {
    page->Input()->setFocus();
    page->Input()->setText(line);
    QTest::keyClick(page->Input(), Qt::Key_Return);
  };
  const std::size_t before = Commands().size();
  type("w print pretty -- commands");
  type("alias cm = commands");
  type("cm");
  ASSERT_TRUE(test::WaitFor([&] { return Commands().find("Undefined command: \"cm\"", before) != std::string::npos; }))
      << Commands().substr(before);
  const std::string said = Commands().substr(before);
  EXPECT_NE(said.find("*** error: 'commands' is not sent to gdb: gdb would then wait for further lines"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("*** error: 'alias' is not sent to gdb: a command under a name of its own"), std::string::npos)
      << said;
  // gdb waits for no command list: F10 steps to the next line.
  EditorView* v = View("Blinky.c");
  const uint32_t line = v->Margin().PcLine();
  ASSERT_TRUE(f->ExecuteCommand(kStepOver));
  EXPECT_TRUE(test::WaitFor([&] { return !s.TargetExecuting() && v->Margin().PcLine() == line + 1; }))
      << v->Margin().PcLine() << "\n" << Commands().substr(before);
  EXPECT_EQ(Commands().find("did not answer", before), std::string::npos) << Commands().substr(before);
}

TEST_F(GdbProjectCommandsTest, APipeADeviceOrASocketNamedAsAFileOfCommandsIsRefusedWithWhatItIs) {
  const std::string build = "cd '" + dir + "' && '" + root + "PM2/pelmora2' -b Blinky.pm2 >/dev/null 2>&1";
  ASSERT_EQ(std::system(build.c_str()), 0) << "the example does not build";
  // Opening a pipe without a writer would wait for good: a hang fails the
  // test by name instead of running into the runner's limit.
  test::HangGuard guard("a file of commands that is a pipe, a device or a socket", std::chrono::seconds(300));
  ASSERT_EQ(::mkfifo((dir + "init.fifo").c_str(), 0600), 0);
  ASSERT_NO_FATAL_FAILURE(EditOptions("OPTDBG 44029,0,(GDBDRV.DLL)(-sim)()()()",
                                      "OPTDBG 44025,0,(GDBDRV.DLL)(-sim)()()(.\\init.fifo)"));
  // A socket's name must be short: one of its own in the temporary folder.
  const std::string socketPath =
      (std::filesystem::temp_directory_path() / ("pm2-include-" + std::to_string(::getpid()))).string();
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof addr.sun_path);
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
  ::unlink(socketPath.c_str());
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(sock, 1), 0);

  started = std::make_unique<DebugOnStartSession>(dir, root);
  f = started->Frame();
  ASSERT_TRUE(started->started && f) << "the program did not start";
  DebugSession& s = f->Debugger()->Session();
  ASSERT_TRUE(test::WaitFor([&] { return s.SessionActive() && !s.TargetExecuting(); })) << Commands();
  // The options' ".\\init.fifo" reaches the driver as a path in the project's folder.
  const std::string kRefusedPipe =
      "*** error: Include: '" + dir + "init.fifo' is a named pipe (FIFO), not a file of commands";
  ASSERT_TRUE(test::WaitFor([&] { return Commands().find(kRefusedPipe) != std::string::npos; })) << Commands();

  CommandWindow* page = f->Debugger()->CommandPage();
  auto type = [&](const std::string& line) {
    page->Input()->setFocus();
    page->Input()->setText(QString::fromStdString(line));
    QTest::keyClick(page->Input(), Qt::Key_Return);
  };
  struct IncludedNameRow {
    const char* name;
    std::string path;
    const char* kind;
  } rows[] = {
      {"named pipe", dir + "init.fifo", "a named pipe (FIFO)"},
      {"endless device", "/dev/zero", "a character device"},
      {"socket", socketPath, "a socket"},
      {"folder", dir.substr(0, dir.size() - 1), "a folder"},
  };
  for (const IncludedNameRow& r : rows) {
    const std::size_t before = Commands().size();
    type("Include \"" + r.path + "\"");
    const std::string said = "*** error: Include: '" + r.path + "' is " + r.kind + ", not a file of commands";
    EXPECT_TRUE(test::WaitFor([&] { return Commands().find(said, before) != std::string::npos; }))
        << r.name << "\n" << Commands().substr(before);
  }
  // The session still answers.
  const std::size_t before = Commands().size();
  type("print 6*7");
  EXPECT_TRUE(test::WaitFor([&] { return Commands().find("= 42", before) != std::string::npos; }))
      << Commands().substr(before);
  EXPECT_TRUE(s.SessionActive());
  ::close(sock);
  ::unlink(socketPath.c_str());
}

}  // namespace gdb_project_commands_frame_test
}  // namespace pm2
