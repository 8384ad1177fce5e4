// Every command in every state: the real main frame, started as the
// program starts it, brought into each state a user meets through its own
// commands, and walked (command_walk.h). A found fault ends its state's
// walk with the road that led to it; the rows of KnownRoads run such roads
// again, and PM2_WALK_REPLAY adds one more row ("<start>:<road>").
//
// The longer walk: PM2_WALK_SEEDS=<n> runs n seeds a state (from
// PM2_WALK_SEED, 1 by default), PM2_WALK_STEPS=<n> random steps a seed.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_walk.h"
#include "held_build.h"
#include "platform/settings_store.h"
#include "project/dialogs/device_selection.h"
#include "project/files/project_file.h"
#include "project/model/project_records.h"
#include "shell/frame/tool_commands.h"
#include "shell/tools/find_in_files.h"
#include "shell/tools/lint_run.h"
#include "shell/tools/user_tools.h"

namespace fs = std::filesystem;

namespace pm2 {
namespace {

int EnvNumber(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

// A main that never returns: stopped at main, the second F10 steps over a
// call that never comes back, so the step runs on, and so does the target
// until it is stopped.
constexpr const char* kLoopingMain =
    "int counter;\n"
    "static void Count(void) { for (;;) { counter++; } }\n"
    "int main(void)\n"
    "{\n"
    "  Count();\n"
    "}\n";

// The looping main with records a watch row opens: a structure with an
// array member, an array, both in use; and a local of main.
constexpr const char* kRecordsMain =
    "int counter;\n"
    "struct Sample { int count; char name[6]; };\n"
    "struct Sample sample = {1, \"walk\"};\n"
    "int history[4] = {1, 2, 3, 4};\n"
    "static void Count(void) { for (;;) { counter++; history[counter & 3] = counter; } }\n"
    "int main(void)\n"
    "{\n"
    "  int step = 2;\n"
    "  sample.count = step;\n"
    "  Count();\n"
    "}\n";

// A main whose loop adds one to `counter` on a line of its own (line 5):
// a counted breakpoint there stops once every count passes, which the
// walk reads back from `counter`.
constexpr const char* kCountingMain =
    "int counter;\n"
    "static void Count(void)\n"
    "{\n"
    "  for (;;)\n"
    "    counter++;\n"
    "}\n"
    "int main(void)\n"
    "{\n"
    "  Count();\n"
    "}\n";

// A first-generation project beside the example's sources.
constexpr const char* kOldProject = "[PROJ]\r\nF=Blinky.c\xFF" "3 0 1\r\nF=LED.c\xFF" "3 0 1\r\n";

// How a walk's session starts: with no project, the example, the example
// with the looping main (with records: the looping main with a structure
// and an array), or no project beside a first-generation project.
struct Start {
  std::string kind;
};

// An installation root of the walk's own, beside the tests' one: what a
// command writes there (TOOLS.INI by the Components sheet's folders, the
// tools' settings, the device database) stays in the walk's folder, so a
// field the walk filled never reaches another test. The programs and the
// tool folders are the tests' own, linked.
std::string OwnRoot(const std::string& shared, const std::string& own) {
  std::error_code ec;
  fs::create_directories(own + "PM2", ec);
  for (const auto& e : fs::directory_iterator(shared, ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_directory() && name != "PM2") fs::create_directory_symlink(e.path(), own + name, ec);
    else if (e.is_regular_file()) fs::copy_file(e.path(), own + name, ec);
  }
  for (const auto& e : fs::directory_iterator(shared + "PM2", ec)) {
    const std::string to = own + "PM2/" + e.path().filename().string();
    // The programs are linked; what a program may write is copied, and so
    // are the driver libraries: the program loads a driver only from its
    // installation's folders, and a link leading out of them is refused.
    const bool program = e.is_regular_file() && (fs::status(e.path()).permissions() & fs::perms::owner_exec) != fs::perms::none;
    if (program && e.path().extension() != ".so") fs::create_symlink(e.path(), to, ec);
    else fs::copy(e.path(), to, fs::copy_options::recursive, ec);
  }
  return own;
}

// A 51-family project whose compiler (the stand-in of the tests' root) is
// held at its first run (the first tool of each build counts a run) until
// the build is stopped: a build running that
// the walk meets whatever the machine's speed. The compiler has a process
// of its own, as a compiler driver has its passes.
// The directives come from the environment, not from the source, which
// the walk's own edits may change.
constexpr const char* kHeldMain = "void main(void) {}\n";
constexpr const char* kHeldDirectives = "child 600;meet %swalk.meet 2 600";
constexpr const char* kHeldProject =
    "### Pelmora2 Project, (C) Vond Software\r\n### Do not modify !\r\n\r\n"
    "Target (Board), 0x0000 // Tools: 'MCS-51'\r\n\r\nGroup (Source)\r\n\r\n"
    "File 1,1,<./Main.c><Main.c> 0x0 \r\n\r\n\r\n"
    "Options 1,0,0  // Target 'Board'\r\n OutDir (./Obj/)\r\n OutName (Board)\r\nEndOpt\r\n";

std::string UntouchedFilesText(const std::string& path) { return test::UntouchedFiles::Read(path); }

// The held project's files written as the program writes them, so the
// program reads at open what it would write.
void WriteHeldProject(const std::string& dir) {
  char directives[512];
  std::snprintf(directives, sizeof directives, kHeldDirectives, dir.c_str());
  ::setenv("PM2_STANDIN", directives, 1);
  std::ofstream(dir + "Main.c", std::ios::binary) << kHeldMain;
  std::ofstream(dir + "Board.pm2", std::ios::binary) << kHeldProject;
  ProjectFileIo io;
  if (ReadProjectFile(io, dir + "Board.pm2") == kProjectFileOk && io.project) {
    const std::string text = BuildProjectFileText(*io.project), options = BuildOptionsFileText(*io.project);
    std::ofstream(dir + "Board.pm2", std::ios::binary | std::ios::trunc) << text;
    std::ofstream(dir + "Board.Opt", std::ios::binary | std::ios::trunc) << options;
  }
  ResetAppState();
  PoolFreeAll();
}

// The example's simulator the installation's Scripted Test Driver, with no
// script (a driver of its own that offers the performance analyser), as
// the Debug page's OK stores the choice.
void UseScriptedDriver(const std::string& dir) {
  for (const char* name : {"Blinky.pm2", "Blinky.Opt"}) {
    std::string text = UntouchedFilesText(dir + name);
    const std::string gdb = "(GDBDRV.DLL)(-sim)";
    if (const size_t at = text.find(gdb); at != std::string::npos) text.replace(at, gdb.size(), "(TESTDRV.DLL)()");
    std::ofstream(dir + name, std::ios::binary | std::ios::trunc) << text;
  }
}

// The project read and written again as the program writes it (its two
// files, named after `file` without the extension), after `change` (when
// given) changed it; false when it could not be read.
bool RewriteProject(const std::string& dir, const std::string& file,
                    const std::function<void(ProjectRec&)>& change = {}) {
  ProjectFileIo io;
  bool ok = ReadProjectFile(io, dir + file) == kProjectFileOk && io.project;
  if (ok) {
    if (change) change(*io.project);
    const std::string base = dir + file.substr(0, file.rfind('.'));
    const std::string text = BuildProjectFileText(*io.project), options = BuildOptionsFileText(*io.project);
    std::ofstream(base + ".pm2", std::ios::binary | std::ios::trunc) << text;
    std::ofstream(base + ".Opt", std::ios::binary | std::ios::trunc) << options;
  }
  ResetAppState();
  PoolFreeAll();
  return ok;
}

// A project of two targets of two families beside the example's sources:
// the example's ARM target (the current one) and a 51-family target the
// tests' stand-ins build; three groups, each with files; options of a
// group's and of a file's own for each target (a define each).
constexpr const char* kTargetsHead =
    "### Pelmora2 Project, (C) Vond Software\r\n### Do not modify !\r\n\r\n"
    "Target (Blinky), 0x0003 // Tools: 'ARM-GNU'\r\nTarget (Board), 0x0000 // Tools: 'MCS-51'\r\n\r\n"
    "Group (Startup)\r\nGroup (Source)\r\nGroup (Drivers)\r\n\r\n"
    "File 1,2,<./Startup.s><Startup.s> 0x0 \r\nFile 2,1,<./Blinky.c><Blinky.c> 0x0 \r\n"
    "File 3,1,<./LED.c><LED.c> 0x0 \r\nFile 3,1,<./Timer.c><Timer.c> 0x0 \r\nFile 3,5,<./LED.h><LED.h> 0x0 \r\n"
    "\r\n\r\n";
// Each target's Define list longer than its field's limit (as a peer or an
// older project leaves it): shown whole, kept whole through the sheet. Names
// only: any first part of it is a list of its own.
std::string LongDefines(const char* name) {
  std::string list;
  for (int n = 0; list.size() < 300; ++n)
    list += (n ? "," : "") + std::string(name) + std::to_string(n);
  return list;
}
constexpr const char* kTargetsTail =
    "Options 2,0,0  // Target 'Board'\r\n OutDir (./Obj51/)\r\n OutName (Board)\r\n Q51DEF (%s)\r\nEndOpt\r\n\r\n"
    "Options 1,3,0  // Group 'Drivers'\r\n ACDEFN (WALK_DRIVERS=1)\r\nEndOpt\r\n\r\n"
    "Options 2,2,0  // Group 'Source'\r\n Q51DEF (WALK_SOURCE)\r\nEndOpt\r\n\r\n"
    "Options 1,3,3  // File 'LED.c'\r\n ACDEFN (WALK_LED=2)\r\nEndOpt\r\n\r\n"
    "Options 2,3,4  // File 'Timer.c'\r\n Q51DEF (WALK_TIMER)\r\nEndOpt\r\n";
bool WriteTargetsProject(const std::string& dir) {
  // The example's own target block, as its project file has it.
  std::ifstream in(dir + "Blinky.pm2", std::ios::binary);
  const std::string example((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t from = example.find("Options 1,0,0"), to = example.find("EndOpt\r\n", from);
  if (from == std::string::npos || to == std::string::npos) return false;
  std::string block = example.substr(from, to + 8 - from);
  const size_t defines = block.find(" ACDEFN ()");
  if (defines == std::string::npos) return false;
  block.replace(defines, 10, " ACDEFN (" + LongDefines("WALK_ARM") + ")");
  std::vector<char> tail(std::strlen(kTargetsTail) + 400);
  std::snprintf(tail.data(), tail.size(), kTargetsTail, LongDefines("WALK_51").c_str());
  std::ofstream(dir + "Targets.pm2", std::ios::binary) << kTargetsHead << block << "\r\n" << tail.data();
  if (!RewriteProject(dir, "Targets.pm2")) return false;
  // Each block of its own came through.
  std::ifstream out(dir + "Targets.pm2", std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
  for (const std::string& part : {std::string("Target (Board)"), std::string("// Group 'Drivers'"),
                                  std::string("// Group 'Source'"), std::string("// File 'LED.c'"),
                                  std::string("// File 'Timer.c'"), std::string("WALK_LED=2"), std::string("WALK_TIMER"),
                                  LongDefines("WALK_ARM"), LongDefines("WALK_51")})
    if (written.find(part) == std::string::npos) return false;
  return true;
}

// A user tool and a lint run the walk meets while they run: their program
// is a stand-in of the tests' root, held (with a process of its own) until
// the walk's end, or until Exit ends it. It prints an error, so it writes
// nothing beside the file it is given.
constexpr const char* kHeldToolDirectives = "child 600;meet %swalk.meet 2 600;error 1 1 the walk holds this tool";
void HoldTools(const std::string& dir) {
  char directives[512];
  std::snprintf(directives, sizeof directives, kHeldToolDirectives, dir.c_str());
  ::setenv("PM2_STANDIN", directives, 1);
}
// The held program of the walk's root under a name of its own (the stand-in
// plays no tool it knows by that name).
std::string HeldProgram(const std::string& shared, const std::string& own, const char* name) {
  std::error_code ec;
  fs::create_symlink(shared + "Q51/BIN/Q51.EXE", own + name, ec);
  return own + name;
}

// The project's folder made read-only (a-w), its files left as they were:
// a text can be changed, and every save there (a new file renamed over the
// old one) is refused. Root passes over
// the bits, so the walk's thread (the program's thread, whose threads it
// starts inherit it) gives up root's right to write anywhere while the
// folder is read-only, and takes it back at the end.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string dir) : m_dir(std::move(dir)) {
    SetOverride(false);
    std::error_code ec;
    fs::permissions(m_dir, kWrite, fs::perm_options::remove, ec);
  }
  // Writable again, so that the session's clean-up can remove it.
  ~ReadOnlyFolder() {
    std::error_code ec;
    fs::permissions(m_dir, fs::perms::owner_write, fs::perm_options::add, ec);
    SetOverride(true);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  static constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  // Root's right to write past the bits, in the calling thread's effective
  // set (kept in its permitted set, so it can be taken back).
  static void SetOverride(bool on) {
    if (::geteuid() != 0) return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return;
    const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
    data[0].effective = on ? data[0].effective | (data[0].permitted & bits) : data[0].effective & ~bits;
    (void)::syscall(SYS_capset, &header, data);
  }
  std::string m_dir;
};

// One session of the program in a folder of its own.
class WalkSession {
 public:
  explicit WalkSession(const std::string& kind) : kind(kind) {
    const char* bin = std::getenv("PM2_TEST_BIN");
    root = std::string(bin ? bin : "") + "/test-root/";
    std::string pattern = (fs::temp_directory_path() / "pm2walk_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    dir = pattern + "/";
    test::CopyExample(std::string(std::getenv("PM2_TEST_SRC")) + "/examples/blinky", dir);
    fs::remove_all(dir + "Obj");
    if (kind == "looping") std::ofstream(dir + "Blinky.c", std::ios::binary) << kLoopingMain;
    if (kind == "scripted") UseScriptedDriver(dir);
    if (kind == "records") std::ofstream(dir + "Blinky.c", std::ios::binary) << kRecordsMain;
    if (kind == "counting") std::ofstream(dir + "Blinky.c", std::ios::binary) << kCountingMain;
    if (kind == "firstgen") std::ofstream(dir + "old.prj", std::ios::binary) << kOldProject;
    ResetAppState();
    PoolFreeAll();
    if (kind == "held" || kind == "errors" || kind == "browse") WriteHeldProject(dir);
    // The same project built to its end: with an error its compiler
    // reports, or without, its tools writing the source browser's file.
    if (kind == "errors") ::setenv("PM2_STANDIN", "error 1 1 the walk's source has an error", 1);
    if (kind == "browse") {
      ::unsetenv("PM2_STANDIN");
      // Browse Information on, as the Output page's box sets it.
      if (!RewriteProject(dir, "Board.pm2", [](ProjectRec& p) {
            if (OptionBlock* b = p.curTarget ? FindTargetOptions(p.curTarget->pOpts, p.curTarget) : nullptr)
              b->out.flags.BROWSE = 1;
          }))
        return;
    }
    if (kind == "targets" && !WriteTargetsProject(dir)) return;
    // The settings of the read-only folder's session are kept beside its
    // installation (the user's settings are not in the project's folder).
    settingsPath = kind == "readonly" ? dir + "root/settings.ini" : dir + "settings.ini";
    // What the program starts stays below the walk, whatever ends its parent.
    test::AdoptOrphans();
    const std::string shared = root;
    root = OwnRoot(root, dir + "root/");
    const bool example = kind == "example" || kind == "looping" || kind == "tool" || kind == "lint" ||
                         kind == "scripted" || kind == "records" || kind == "counting" || kind == "readonly" ||
                         kind == "finding";
    // The session keeps to the folder: its file dialogs start there.
    fs::current_path(dir);
    settings = std::make_unique<SettingsStore>(settingsPath);
    if (kind == "tool" || kind == "lint") HoldTools(dir);
    // The user tool, stored as the Customize Tools dialog's OK stores it.
    if (kind == "tool") {
      UserToolEntry tool;
      tool.used = true;
      tool.menuText = "Walk Tool";
      tool.program = HeldProgram(shared, root, "WalkTool");
      tool.arguments = "--file=%E --line=^E";
      WriteUserTools(*settings, {tool});
    }
    // The lint program, set as the lint options dialog's OK sets it.
    if (kind == "lint" && !RewriteProject(dir, "Blinky.pm2", [&](ProjectRec& p) {
          if (p.curTarget) ApplyLintSettings(*p.curTarget, {HeldProgram(shared, root, "WalkLint"), dir + "walk.lnt", {dir}});
        }))
      return;
    const std::string project = example            ? dir + "Blinky.pm2"
                                : kind == "held" || kind == "errors" || kind == "browse" ? dir + "Board.pm2"
                                : kind == "targets" ? dir + "Targets.pm2"
                                                    : "";
    if (kind == "readonly") readOnly = std::make_unique<ReadOnlyFolder>(dir);
    session.emplace(*settings, project, root + "PM2/pelmora2");
  }
  ~WalkSession() {
    // A held tool still running is let go (its meeting is complete).
    if (kind == "tool" || kind == "lint")
      std::ofstream(dir + "walk.meet", std::ios::app) << "start the walk's end\nstart the walk's end\n";
    // A build still running (a held one) is stopped first: the program's
    // end frees the project its thread reads.
    if (session && session->Frame() && session->App().HasState(kStateBusy)) {
      session->Frame()->ExecuteCommand(cmd::kStopBuild);
      test::WaitFor([&] { return !session->App().HasState(kStateBusy); });
    }
    ::unsetenv("PM2_STANDIN");
    answers.reset();
    if (session && session->Frame() && session->Frame()->Debugger()->Session().SessionActive())
      session->Frame()->Debugger()->Session().StopDebugger();
    session.reset();
    settings.reset();
    ResetAppState();
    PoolFreeAll();
    readOnly.reset();
    fs::current_path(fs::temp_directory_path());
    std::error_code ec;
    if (!dir.empty()) fs::remove_all(dir, ec);
  }
  // The program started again as a user starts it after Exit: its end run
  // (its settings saved), then a start with the same settings file and no
  // project named, so that the project it had open reopens. The new
  // session, or null.
  test::Session* Restart() {
    if (!session) return nullptr;
    session.reset();
    settings.reset();
    ResetAppState();
    PoolFreeAll();
    // Read as the program's main reads it before the start.
    settings = std::make_unique<SettingsStore>(settingsPath);
    if (!settings->Load()) return nullptr;
    session.emplace(*settings, "", root + "PM2/pelmora2");
    if (!Started()) return nullptr;
    HoldSearches();
    return &*session;
  }
  // The "finding" kind: every search of Find in Files is held before the
  // first file it reads until it is stopped (Find in Files again, Exit
  // refused meanwhile, the program's end), so the walk meets the program
  // while a search runs.
  void HoldSearches() {
    if (kind != "finding" || !session || !session->Frame() || !session->Frame()->Tools()) return;
    FindInFiles& finder = session->Frame()->Tools()->Finder();
    finder.SetFileGate([this, &finder](const std::string&) {
      std::unique_lock<std::mutex> lock(searchHold.mutex);
      searchHold.entered = true;
      while (finder.StopState() == kFindRun) searchHold.changed.wait_for(lock, std::chrono::milliseconds(5));
    });
  }
  struct SearchHold {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;  // a search reached its first file and waits there
  } searchHold;
  // Started, with the frame the active window, as the user meets it.
  bool Started() {
    if (!session || !session->started || !session->Frame()) return false;
    session->Frame()->activateWindow();
    return QTest::qWaitForWindowActive(session->Frame());
  }
  // The walk meets the held build (or tool, or lint run) while it runs: the
  // checks do not wait for its end, and "await-held" waits for its program.
  void Hold(test::CommandWalk& walk) {
    if (kind == "finding") {
      HoldSearches();
      walk.heldCompilerRuns = [this] {
        std::lock_guard<std::mutex> lock(searchHold.mutex);
        return searchHold.entered;
      };
      return;
    }
    if (kind != "held" && kind != "tool" && kind != "lint") return;
    const std::string meet = dir + "walk.meet";
    // Only the first build whose compiler began is held: a build after it
    // was stopped runs to its end, and the checks wait for that end. The
    // application asked is the session's of the moment (a start again
    // makes a new one).
    walk.buildHeld = [this, meet] { return session && session->App().HasState(kStateBusy) && test::HeldRunWaits(meet); };
    walk.heldCompilerRuns = [meet] { return !test::MeetingStarts(meet).empty(); };
  }
  // The walk's answers; a device sheet's OK chooses the example's device
  // (for the 51-family project a device of that family, as its user
  // chooses one), or what a "device:" step named.
  test::WalkAnswers& Answers() {
    if (!answers) {
      answers = std::make_unique<test::WalkAnswers>(dir);
      const std::string own = kind == "held" || kind == "errors" || kind == "browse" ? "Atmel/AT89C51" : "NXP/LPC2138";
      answers->beforeAccept = [own, a = answers.get()](QDialog& d) {
        auto* sheet = dynamic_cast<DeviceSheet*>(&d);
        if (!sheet) return;
        const std::string device = a->nextDevice.empty() ? own : std::exchange(a->nextDevice, std::string());
        const size_t slash = device.find('/');
        if (slash != std::string::npos) sheet->Selector()->SelectDevice(device.substr(0, slash), device.substr(slash + 1));
      };
    }
    return *answers;
  }

  std::string kind, root, dir, settingsPath;
  std::unique_ptr<ReadOnlyFolder> readOnly;  // the "readonly" kind's folder, while the session lives
  std::unique_ptr<SettingsStore> settings;
  // In place: a start again (Restart) makes the new session where the old
  // one was, so what holds on to its application keeps holding it.
  std::optional<test::Session> session;
  std::unique_ptr<test::WalkAnswers> answers;
};

bool HaveDebugTools(const std::string& root) {
  return fs::exists(root + "GNU/Arm-Tools/Bin/arm-uclibc-gcc") && access("/usr/bin/gdb-multiarch", X_OK) == 0 &&
         access("/usr/bin/qemu-system-arm", X_OK) == 0;
}

// A state, how it starts and the road that brings it about; a stopped
// one's target stays where the road left it through the sweep.
struct WalkState {
  const char* name;
  const char* start;
  const char* road;
  bool stopped = false;
};

// Through the frame's own commands: New Project (np.pm2, NXP > LPC2138,
// the startup file copied), Components, Options for Target, Build, the
// debug commands.
const WalkState kStates[] = {
    {"NoProject", "none", ""},
    {"NewProjectNotSaved", "none", "name:np.pm2;32702"},
    {"FirstGenerationImported", "firstgen", "name:fg.pm2;35091"},
    {"ExampleOpen", "example", "open:Blinky.c"},
    {"ExampleAfterComponentsOk", "example", "32704;open:Blinky.c"},
    {"ExampleAfterOptionsOk", "example", "35051;open:Blinky.c"},
    // Show Next Statement last: the user back at the line where the
    // program stands, the caret on it.
    {"DebugStoppedAtMain", "looping", "32720;32802;await-stop;open:LED.c;35072", true},
    {"TargetRunning", "looping", "32720;32802;await-stop;open:LED.c;32791"},
    {"StepRanOn", "looping", "32720;32802;await-stop;open:LED.c;32795;32795"},
    {"JustAfterStopRunning", "looping", "32720;32802;await-stop;open:LED.c;32791;32797"},
    {"JustAfterTheSessionEnded", "looping", "32720;32802;await-stop;open:LED.c;32802"},
    // Options for Target held open while a peer asks for a build; then
    // its OK.
    {"SheetOpenBesideAPeersRequest", "example", "open:Blinky.c;peer:0;35051"},
    // Stopped at main with breakpoints that have a pass count and a
    // command, typed on the Command page, and conditional ones: a truth
    // the program makes true, with a count, and a place with a condition
    // (typed in gdb's own words).
    {"DebugWithBreakpoints", "looping",
     "32720;32802;await-stop;open:LED.c;type:BS Count, 3, \"counter = 0\";type:BS main, 2;"
     "type:BS counter > 5, 2;type:break LED_On if num > 1",
     true},
    // Stopped at a breakpoint of count 3 on the line of the loop that
    // counts, after a second Go met it again: the passes between its stops
    // are its count (read back from the program's counter), here and at
    // every Go of the road that meets it again.
    {"CountedBreakpointMetAgain", "counting",
     "32720;32802;await-stop;open:Blinky.c;type:BS Blinky.c:5, 3;32791;await-stop;32791;await-stop"},
    // A build running: its compiler held until the build is stopped.
    {"BuildRunning", "held", "open:Main.c;32720;await-held"},
    // Two targets of two families, groups and files with options of their
    // own, and a file selected in the project window.
    {"TargetsGroupsAndAFileSelected", "targets", "open:Blinky.c;select:LED.c"},
    // A user tool started from the Tools menu, and a lint run, each held
    // running until Exit ends it.
    {"UserToolRunning", "tool", "open:Blinky.c;menu:Tools:Walk Tool;await-held"},
    {"LintRunning", "lint", "open:Blinky.c;35105;await-held"},
    // Stopped at main with a peer of the event interface attached from the
    // start to the end.
    {"DebugWithAPeerAttached", "looping", "attach;32720;32802;await-stop;open:LED.c", true},
    // The same build stopped: a 51-family project (whose tools write the
    // source browser's file) with nothing running.
    {"BuildStopped", "held", "open:Main.c;32720;await-held;32721"},
    // A session of the Scripted Test Driver (no script): a driver that
    // offers the performance analyser and the memory map.
    {"ScriptedDriverSession", "scripted", "open:Blinky.c;32720;32802;await-session"},
    // Stopped at main with watch rows typed into Watch #1 (a structure and
    // an array opened, an expression in brackets the options file keeps;
    // one it could not keep is refused) and one added from the editor's
    // menu on a line with code; kept over the session's end and the next
    // start, and written by Save All. Symbols, Code Coverage and the
    // Toolbox open beside them.
    {"DebugWithWatchRows", "records",
     "32720;32802;await-stop;open:Blinky.c;watch:1:sample;expand:1:sample;watch:1:history;expand:1:history;"
     "watch:1:(counter + 1) * 2;watch:1:sample.name[1];watch:2:history[1]);"
     "ctx:code@counter:Add \"counter\" to Watch Window...>#2;"
     "bp-session;32802;await-stop;35048;35047;35073",
     true},
    // The example run until its serial window showed its text, a key typed
    // there and echoed, then stopped; a byte changed in the Memory window
    // as a user changes it (its menu's Modify at the first value). The
    // documents' tabs shown (Workbook Mode).
    // A build that ended with an error its compiler reported (the
    // 51-family project), the error's line shown on the build page.
    {"BuildEndedWithErrors", "errors", "open:Main.c;32720;await-idle"},
    // The same project built to its end, the Source Browser open on the
    // browse file its tools wrote.
    {"SourceBrowserOpen", "browse", "open:Main.c;32720;await-idle;35096"},
    // A workspace saved (the two editors open, named as a user names it in
    // the workspaces' list), closed (its editors with it), and opened again
    // from its entry in the Window menu: its editors are back.
    {"WorkspaceOpened", "example",
     "open:Blinky.c;open:LED.c;with:WalkSpace;43013;43012;menu:Window:1 WalkSpace;front:Blinky.c;front:LED.c"},
    // The example in a folder made read-only: a text changed and saved is
    // refused with a message naming the file and why, and stays changed in
    // its editor; every save after it is refused so.
    {"ProjectInAReadOnlyFolder", "readonly", "open:Blinky.c;keys:End,Return;57603"},
    // Find in Files searching the example's folder for "LED", held before
    // its first file: the commands run while the search runs (Find in
    // Files again stops it; Exit is refused meanwhile).
    {"FindInFilesRunning", "finding", "open:Blinky.c;with:LED;35056;await-held"},
    // The print preview of Blinky.c held open: the main window is held
    // (its keys run nothing, its close is refused) while the preview's
    // own fields and buttons are used and a peer asks for a build.
    {"PrintPreviewHeldOpen", "example", "open:Blinky.c;hold;57609"},
    {"MemoryChangedAndSerialFed", "example",
     "32705;32720;32802;await-stop;open:LED.c;32791;await-serial:1:LED 1 on;serial:1:z;await-serial:1:key: z;32797;"
     "await-stop;memory:1:&pattern_step;with:0x5A;ctx:memory-value:Modify Memory at*;await-memory:5A",
     true},
};

// The walks that start a debug session need the ARM tools, gdb and qemu.
bool NeedsDebugTools(const std::string& start, const std::string& road) {
  return start == "looping" || start == "records" || start == "counting" || road.find("32802") != std::string::npos;
}
bool NeedsDebugTools(const WalkState& s) { return NeedsDebugTools(s.start, s.road); }
// A road that typed texts the next session keeps (breakpoints, watch rows,
// memory pages, keys the target read) cannot be walked again as it was.
bool TypesKeptTexts(const std::string& road) {
  for (const char* step : {"type:", "watch:", "memory:", "serial:"})
    if (road.find(step) != std::string::npos) return true;
  return false;
}

class CommandWalkTest : public ::testing::TestWithParam<WalkState> {};

TEST_P(CommandWalkTest, EveryCommandThenARandomRoad) {
  const WalkState& state = GetParam();
  const int seeds = std::max(1, EnvNumber("PM2_WALK_SEEDS", 1));
  const unsigned first = unsigned(EnvNumber("PM2_WALK_SEED", 1));
  const int steps = EnvNumber("PM2_WALK_STEPS", 40);
  test::RanRecord::Offered();
  for (int n = 0; n < seeds; ++n) {
    const unsigned seed = first + unsigned(n);
    WalkSession s(state.start);
    if (NeedsDebugTools(state) && !HaveDebugTools(s.root))
      GTEST_SKIP() << "the ARM tools, gdb-multiarch or qemu-system-arm are missing (./pm2.sh installs them)";
    ASSERT_TRUE(s.Started());
    test::CommandWalk walk(s.session->Frame(), s.session->App(), s.Answers(), state.name, state.start, seed);
    s.Hold(walk);
    walk.restart = [&s] { return s.Restart(); };
    std::printf("walk: %s, seed %u\n", state.name, seed);
    ASSERT_TRUE(walk.StartMatches());
    ASSERT_TRUE(walk.RunRoad(state.road)) << "the state was not reached";
    // Once a state, before the sweep changes the project's options: a debug
    // command, Stop Running and the session's end given at once, for each
    // debug command the state enables; the state's road brings it back
    // after each (where the road can be walked again: not over breakpoints
    // it typed, which the next session keeps).
    const bool again = NeedsDebugTools(state) && !TypesKeptTexts(state.road);
    if (n == 0 && again && !walk.Interrupt([&] { return walk.RunRoad(state.road); })) return;
    DebugSession& debug = s.session->Frame()->Debugger()->Session();
    const auto where = debug.Record()->pc;
    // A stopped state stays stopped where it was through the sweep.
    if (state.stopped)
      walk.sweepKeeps = [&debug, where, &s]() -> std::string {
        if (debug.SessionActive() && !debug.TargetExecuting() && debug.Record()->pc == where) return {};
        char said[120];
        std::snprintf(said, sizeof said, "active %d, running %d, pc %x (was %x)", int(debug.SessionActive()),
                      int(debug.TargetExecuting()), unsigned(debug.Record()->pc), unsigned(where));
        // What the driver said last tells why.
        const std::string page = s.session->Frame()->Debugger()->CommandPage()->Text().toStdString();
        return said + std::string("; the command page ends:\n") +
               page.substr(page.size() > 1500 ? page.size() - 1500 : 0);
      };
    // The sweep once a state; the random road once a seed.
    if (n == 0 && !walk.Sweep()) return;
    walk.sweepKeeps = nullptr;
    if (n == 0 && state.stopped && !walk.MoveTheCounter()) return;
    if (!walk.Random(steps)) return;
    if (!walk.PeerStillAnswered()) return;
    const bool exitOnTheRoad = walk.closed;
    if (!walk.closed && !walk.Tail()) return;
    const test::WalkAnswers& a = s.Answers();
    std::printf("walk: %s, seed %u: %d enable states asked, %d commands and items run (%d by their keys), "
                "%d context menus, %d random steps, %d pages visited, %d fields changed, %d own buttons pressed, "
                "%d message boxes, %d starts again, Exit %s\n",
                state.name, seed, walk.counts.asked, walk.counts.ran, walk.counts.keys, walk.counts.menus,
                walk.counts.random, a.pagesVisited, a.fieldsChanged, a.buttonsPressed, walk.counts.messages,
                walk.counts.restarts,
                exitOnTheRoad ? "on the road closed the frame" : walk.closed ? "closed the frame" : "was refused");
    for (const std::string& text : walk.messages) std::printf("walk: message: %s\n", text.c_str());
    if (walk.peerEvents >= 0) std::printf("walk: the attached peer took %d notifications\n", walk.peerEvents);
  }
}

INSTANTIATE_TEST_SUITE_P(States, CommandWalkTest, ::testing::ValuesIn(kStates),
                         [](const auto& info) { return std::string(info.param.name); });

// Roads the walk found, run again; each must end with the checks passing.
struct KnownRoad {
  std::string name;
  std::string start;
  std::string road;
};

std::vector<KnownRoad> KnownRoads() {
  std::vector<KnownRoad> rows = {
      // A new project, its Components sheet's OK, then Build.
      {"NewProjectComponentsOkThenBuild", "none", "name:np.pm2;32702;32704;32720"},
      // A step that runs on, Stop Running, and the session ended at once.
      {"StopRunningThenEndTheSessionAtOnce", "looping", "32720;32802;await-stop;32795;32795!;32797!;32802"},
      // Back from another program, Start/Stop Debug Session at once (the
      // click that brings the program back is the toolbar button's).
      {"ComeBackThenStartTheSessionAtOnce", "looping", "32720;come-back!;32802;await-stop"},
      // The code coverage window open, a step, and the session ended at
      // once: the step's stop came after the end.
      {"StepThenEndTheSessionWithCoverageOpen", "looping", "32720;32802;await-stop;35047;32795!;32802"},
      {"StopRunningThenEndTheSessionWithCoverageOpen", "looping", "32720;32802;await-stop;35047;32791;32797!;32802"},
      // The Inline Assembler opened while the program runs: its own
      // address text was taken for an instruction ("junk at end of line").
      {"InlineAssemblerWhileTheProgramRuns", "looping", "32720;32802;await-stop;open:LED.c;32791;35082/c"},
      // A build whose compiler runs (with a process of its own), stopped,
      // or ended by Exit or Close Project.
      {"StopBuildWhileTheCompilerRuns", "held", "open:Main.c;32720;await-held;32721"},
      {"ExitWhileTheCompilerRuns", "held", "open:Main.c;32720;await-held;57665"},
      {"CloseProjectWhileTheCompilerRuns", "held", "open:Main.c;32720;await-held;32793"},
      {"ExitRightAfterBuild", "example", "open:Blinky.c;32720!;57665"},
      // Stop Build, then at once what frees the project: the stopped
      // build's thread still read it (it had cleared the busy state only).
      {"StopBuildThenCloseProjectAtOnce", "held", "open:Main.c;32720;await-held;32721!;32793"},
      {"StopBuildThenExitAtOnce", "held", "open:Main.c;32720;await-held;32721!;57665"},
      // Stop Build, the open project chosen again from the recent list
      // (Cancel), then Rebuild All: the checks took the rebuild for the
      // held build until its compiler began, and when it began during
      // their wait's last turn they found the program busy.
      {"RebuildAfterTheHeldBuildWasStopped", "held", "open:Main.c;32720;await-held;32721;32804/c;32816"},
      // Exit, and before its close (posted) arrives, Options for Target:
      // the close came inside the sheet and freed the project it edits.
      {"ExitThenOptionsForTargetAtOnce", "example", "open:Blinky.c;57665!;35051/c"},
      // Jump To Reference in an editor with no project open: the message
      // named an empty file ("Can't open file ''").
      {"JumpToReferenceWithoutAProject", "none", "open:LED.c;35100;35099"},
      // Breakpoints with a pass count and a command, the counted one met
      // again and again by the running program (the example's LED_On, whose
      // passes pattern_step counts: it stops at every third), then the
      // session ended and started again twice, and the count counts from
      // the count defined in the next session too: each reads back as the
      // user gave it.
      {"BreakpointsKeptOverSessions", "example",
       "32720;32802;await-stop;open:Blinky.c;type:BS LED_On, 3, \"print num\";type:BS main, 2;"
       "32791;await-stop;value:pattern_step=2;32791;await-stop;value:pattern_step=5;"
       "bp-session;bp-session;32802;await-stop;32791;await-stop;value:pattern_step=2;32791;await-stop;"
       "value:pattern_step=5;32802;bp-session"},
      // A breakpoint put on the example's first line, a comment, outside a
      // session: a session sets it on the first line with code, eleven
      // lines below (as the margin shows it meanwhile), and its end keeps
      // it there, session after session.
      {"ABreakpointOnACommentKeptOnTheNextLineWithCode", "example",
       "32720;open:Blinky.c;caret:1;35012;bp-session;bp-session"},
      // Stop Build while a user tool or a lint run runs (the busy state is
      // theirs): it waited, blind to the user, for the run's end.
      {"StopBuildWhileAUserToolRuns", "tool", "open:Blinky.c;menu:Tools:Walk Tool;await-held;32721"},
      {"StopBuildWhileALintRunRuns", "lint", "open:Blinky.c;35105;await-held;32721"},
      // Exit, and the editor's context menu before the close is taken up:
      // the close freed the menu with the editor window, and its handler's
      // frame freed it again.
      {"ExitThenTheEditorsMenuAtOnce", "example", "open:Blinky.c;57665!;ctx:editor:Copy"},
      // A new text's window closed, then Close All with another text
      // changed: the walk ran the commands from outside any event, so the
      // closed window was deleted inside Close All's question, under the
      // list it walked (a user's command leaves no such deletion behind).
      {"CloseThenCloseAllWithATextChanged", "example", "open:LED.c;35070;57600;57602;35129"},
      // New Project with OK given in the device sheet before a device was
      // chosen: its target, read back from the files the program wrote,
      // had options of its own (written back as a block the project had
      // not).
      {"NewProjectWithoutADevice", "none", "name:np.pm2;device:none;32702"},
      // F5, Esc and Ctrl+F5, each at once: the Esc came before the driver
      // had read gdb's report that the target runs, and was lost (Stop
      // Running greyed); the target ran on and the session's end was
      // refused.
      {"StopRunningRightAfterGoThenEndTheSession", "looping",
       "32720;32802;await-stop;open:LED.c;32791!;32797!;32802;await-end"},
      // Conditional breakpoints (a truth the running program makes true,
      // with a count; a place with a condition, in gdb's own words), the
      // program run and stopped, the session ended and started again twice.
      // A text changed, then closed with Yes to "Save changes to ...?", and
      // changed again at Exit (whose question comes from the close it
      // posts, after the step): each Yes writes the editor's text.
      {"CloseAndExitWithAChangedText", "example",
       "open:LED.c;keys:Ctrl+End,Return;57602;open:LED.c;keys:Ctrl+End,Return;57665"},
      {"ConditionalBreakpointsKeptOverSessions", "looping",
       "32720;32802;await-stop;open:Blinky.c;type:BS counter > 5, 2;type:break LED_On if num > 1;32791;32797;"
       "bp-session;bp-session"},
  };
  if (const char* replay = std::getenv("PM2_WALK_REPLAY"); replay && *replay) {
    const std::string text = replay;
    const size_t colon = text.find(':');
    rows.push_back({"Replay", text.substr(0, colon), colon == std::string::npos ? "" : text.substr(colon + 1)});
  }
  return rows;
}

class KnownRoadTest : public ::testing::TestWithParam<KnownRoad> {};

TEST_P(KnownRoadTest, RunsWithEveryCheckPassing) {
  const KnownRoad& row = GetParam();
  WalkSession s(row.start);
  if (NeedsDebugTools(row.start, row.road) && !HaveDebugTools(s.root))
    GTEST_SKIP() << "the ARM tools, gdb-multiarch or qemu-system-arm are missing (./pm2.sh installs them)";
  ASSERT_TRUE(s.Started());
  test::CommandWalk walk(s.session->Frame(), s.session->App(), s.Answers(), row.name, row.start, 0);
  s.Hold(walk);
  walk.restart = [&s] { return s.Restart(); };
  ASSERT_TRUE(walk.StartMatches());
  EXPECT_TRUE(walk.RunRoad(row.road) && walk.PeerStillAnswered()) << walk.fault;
}

INSTANTIATE_TEST_SUITE_P(Roads, KnownRoadTest, ::testing::ValuesIn(KnownRoads()),
                         [](const auto& info) { return info.param.name; });

// What a probe key met when the event loop took it: the program still
// waiting for the stopped build (busy), and its commands greyed meanwhile.
class KeyMet : public QObject {
 public:
  KeyMet(test::Session& session) : m_session(session) { qApp->installEventFilter(this); }
  ~KeyMet() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* to, QEvent* e) override {
    if (!test::IsProbeKey(to, e)) return false;
    if (!taken) {
      taken = true;
      whileBusy = m_session.App().HasState(kStateBusy);
      aboutGreyed = !m_session.Frame()->QueryCommand(cmd::kAppAbout).enabled;
    }
    return true;
  }
  bool taken = false, whileBusy = false, aboutGreyed = false;

 private:
  test::Session& m_session;
};
// Queues the probe key as the frame's close begins (the close Exit posts).
class KeyAtClose : public QObject {
 public:
  bool eventFilter(QObject* to, QEvent* e) override {
    if (e->type() == QEvent::Close && !queued) {
      queued = true;
      test::QueueProbeKey(static_cast<QWidget*>(to)->windowHandle());
    }
    return false;
  }
  bool queued = false;
};

// Stop Build and Exit while the held compiler runs: the program waits for
// the stopped build's end (its thread still reads the project), and the
// user's key, queued where the platform queues a user's, is taken while it
// waits (not held back until after it), with every command refused.
struct StopWaitRow {
  const char* name;
  CommandId command;
};
const StopWaitRow kStopWaitRows[] = {{"StopBuild", cmd::kStopBuild}, {"Exit", cmd::kAppExit}};
class BuildStopWaitTest : public ::testing::TestWithParam<StopWaitRow> {};

TEST_P(BuildStopWaitTest, TakesTheUsersKeysWhileCommandsAreRefused) {
  const StopWaitRow& row = GetParam();
  WalkSession s("held");
  ASSERT_TRUE(s.Started());
  test::CommandWalk walk(s.session->Frame(), s.session->App(), s.Answers(), row.name, "held", 0);
  s.Hold(walk);
  ASSERT_TRUE(walk.RunRoad("open:Main.c;32720;await-held")) << walk.fault;
  CMainFrame* frame = s.session->Frame();
  ASSERT_TRUE(s.session->App().HasState(kStateBusy));
  KeyMet met(*s.session);
  KeyAtClose atClose;
  if (row.command == cmd::kAppExit) frame->installEventFilter(&atClose);
  else test::QueueProbeKey(frame->windowHandle());
  test::AsAnEvent([&] { frame->ExecuteCommand(row.command); });
  if (row.command == cmd::kAppExit) {
    ASSERT_TRUE(test::WaitFor([&] { return !frame->isVisible(); }));
  }
  EXPECT_TRUE(met.taken && met.whileBusy) << "the key was " << (met.taken ? "taken after the wait" : "never taken");
  EXPECT_TRUE(met.aboutGreyed) << "a command stayed offered while the build stopped";
  if (row.command == cmd::kAppExit) frame->removeEventFilter(&atClose);
  EXPECT_FALSE(s.session->App().HasState(kStateBusy));
}

INSTANTIATE_TEST_SUITE_P(Waits, BuildStopWaitTest, ::testing::ValuesIn(kStopWaitRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pm2
