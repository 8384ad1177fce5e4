// Tools started in process groups of their own and the program's end by a
// signal: no tool outlives the program.
#include "builder/runner/process_spawn.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/runner/tool_environment.h"
#include "platform/termination.h"
#include "test_leftovers.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

// The processes whose working folder is `folder`.
std::vector<pid_t> ProcessesIn(const fs::path& folder) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code gone;
    if (fs::read_symlink(e.path() / "cwd", gone) == folder) found.push_back(pid_t(std::stoi(name)));
  }
  return found;
}

// A program is looked up as a shell does: a name without a folder on the
// search list only, never in the start folder (a project's own "make"
// there stands in for nothing); a name with a folder in that folder,
// relative ones against the start folder. A file of the name that cannot
// be run hides none further on, and is named when there is no program.
TEST(ProcessSpawn, ABareNameIsLookedUpOnTheSearchListOnly) {
  const fs::path dir = fs::path(test::TempFolder()) / ("spawn_lookup_" + std::to_string(::getpid()));
  fs::create_directories(dir / "start");
  fs::create_directories(dir / "bin");
  const auto program = [](const fs::path& p) {
    std::ofstream(p) << "#!/bin/sh\n";
    fs::permissions(p, fs::perms::owner_all);
  };
  const auto plain = [](const fs::path& p) { std::ofstream(p) << "notes\n"; };
  program(dir / "bin" / "onpath");
  plain(dir / "start" / "onpath");
  program(dir / "start" / "here");
  program(dir / "bin" / "here");
  program(dir / "start" / "own");
  plain(dir / "bin" / "nowhere");
  const std::string start = (dir / "start").string() + "/";
  // A relative entry of the list would be the start folder to a shell.
  const std::string list = "start:.::" + (dir / "bin").string();
  struct Row {
    const char* name;
    const char* program;
    fs::path found;
  } rows[] = {
      {"a plain file in the start folder", "onpath", dir / "bin" / "onpath"},
      {"a program in the start folder and on the list", "here", dir / "bin" / "here"},
      {"a program in the start folder only", "own", {}},
      {"named with its folder", "./own", dir / "start" / "." / "own"},
      {"named with its folder in Windows form", ".\\OWN", dir / "start" / "." / "own"},
      {"no program anywhere", "nowhere", dir / "bin" / "nowhere"},
  };
  for (const Row& r : rows) EXPECT_EQ(FindProgram(r.program, list, start), r.found.string()) << r.name;
  EnvOverlay env;
  env.Set("PATH", list);
  const ResolvedCommand own = ResolveCommandLine("own --version", &env, start);
  EXPECT_TRUE(own.argv.empty());
  EXPECT_EQ(own.error, "'own' is in none of the folders of PATH (" + (dir / "bin").string() +
                           "/); programs are not looked up in the working folder '" + start +
                           "': to run one of its own, name it with its folder ('./own')");
  const ResolvedCommand none = ResolveCommandLine("nowhere", &env, start);
  EXPECT_NE(none.error.find("is not executable"), std::string::npos) << none.error;
  fs::remove_all(dir);
}

// A tool that a build would start after the program's end by a signal has
// ended the running ones (a build thread that reaches its next step while
// the end runs) is not started: nothing would end it. The end's cleanups run
// in the reverse order of their registration, so a cleanup registered
// before the first tool starts runs after the tools' end, as such a thread
// would.
TEST(ProcessSpawn, NoToolStartsOnceTheProgramEndsByASignal) {
  const fs::path folder = fs::path(test::TempFolder()) / "spawn-at-the-end";
  fs::create_directories(folder);
  const fs::path said = folder / "said.txt";
  const pid_t program = ::fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    AddTerminationCleanup([&] {
      SpawnSpec late;
      late.commandLine = "/bin/sleep 1000";
      late.folder = folder.string();
      const SpawnResult r = SpawnProcess(late);
      std::ofstream(said) << (r.pid > 0 ? "started" : r.error);
    });
    InstallTerminationHandlers();
    SpawnSpec first;
    first.commandLine = "/bin/true";
    const SpawnResult r = SpawnProcess(first);
    if (r.pid <= 0 || WaitProcess(r.pid, 60000) != 0) ::_exit(3);
    ::raise(SIGTERM);
    for (;;) ::pause();
  }
  int status = 0;
  ASSERT_EQ(::waitpid(program, &status, 0), program);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  std::ifstream in(said);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "'/bin/sleep': " + std::string(std::strerror(ECANCELED)));
  const std::vector<pid_t> left = ProcessesIn(folder);
  for (pid_t p : left) ::kill(p, SIGKILL);
  EXPECT_TRUE(left.empty());
}

}  // namespace
}  // namespace pm2
