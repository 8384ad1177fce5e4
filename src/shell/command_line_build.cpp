#include "shell/command_line_build.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "builder/driver/build_driver.h"
#include "builder/driver/dependency_file.h"
#include "builder/runner/build_log.h"
#include "platform/notification_hub.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/environment/install_paths.h"
#include "project/files/project_file.h"
#include "project/files/project_open.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"

namespace pm2 {

const char kUsageText[] =
    "Pelmora2 - integrated development environment for embedded microcontrollers\n"
    "\n"
    "usage: pelmora2 -b|-r [-t target] [-o file] [-p] project.pm2\n"
    "  -b         build the target, then exit\n"
    "  -r         rebuild the target, then exit\n"
    "  -t target  the target to build (default: the project's current target)\n"
    "  -o file    write a copy of the build output to this file\n"
    "  -p         the next word names the project\n"
    "Exit status: 0 target created without errors, 1 build failed, 2 usage error.\n";

std::size_t ReadCommandLineWord(std::string_view text, std::string* word) {
  word->clear();
  std::size_t i = 0;
  if (!text.empty() && text[0] == '"') {
    std::size_t close = text.find('"', 1);
    std::size_t end = close == std::string_view::npos ? text.size() : close;
    word->assign(text.substr(1, std::min(end - 1, kCommandWordMax)));
    return close == std::string_view::npos ? text.size() : close + 1;
  }
  while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
  word->assign(text.substr(0, std::min(i, kCommandWordMax)));
  return i;
}

namespace {

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return i;
}

}  // namespace

CommandLineArgs ParseCommandLine(std::string_view text) {
  CommandLineArgs a;
  std::size_t i = 0;
  for (;;) {
    i = SkipBlanks(text, i);
    if (i >= text.size()) break;
    if (text[i] == '-') {
      std::size_t j = SkipBlanks(text, i + 1);
      if (text.substr(j, 5) == "-help") {  // --help
        a.help = true;
        i = j + 5;
        continue;
      }
      char c = j < text.size() ? char(std::tolower(static_cast<unsigned char>(text[j]))) : 0;
      std::string* target = nullptr;
      switch (c) {
        case 'b': a.build = true; i = j + 1; continue;
        case 'r': a.rebuild = true; i = j + 1; continue;
        case 'x': a.channel = a.mirror = true; i = j + 1; continue;
        case 'y': a.channel = true; i = j + 1; continue;
        case 'h': case '?': a.help = true; i = j + 1; continue;
        case 'd': target = &a.project; break;
        case 'p': target = &a.project; break;
        case 'o': target = &a.output; break;
        case 't': target = &a.target; break;
        default: break;
      }
      if (target) {
        std::size_t k = SkipBlanks(text, j + 1);
        std::string word;
        std::size_t used = ReadCommandLineWord(text.substr(k), &word);
        if (used > 0) {
          *target = word;
          if (c == 'd') a.debug = true;
        }
        i = k + used;
        continue;
      }
      // Not an option: the word that begins with the letter names the project.
      i = j;
    }
    std::string word;
    std::size_t used = ReadCommandLineWord(text.substr(i), &word);
    if (used == 0) break;
    a.project = word;
    i += used;
  }
  if (a.project.empty()) {
    a.target.clear();
    a.debug = a.build = a.rebuild = false;
  }
  return a;
}

std::string JoinArguments(int argc, char** argv) {
  std::string s;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) s += ' ';
    std::string a = argv[i];
    // A value glued to its letter ("-tMy Target" from -t"My Target") is
    // quoted on its own: quoting the whole would make it a project name.
    std::size_t from = 0;
    if (a.size() > 2 && a[0] == '-' && std::strchr("dDpPoOtT", a[1])) from = 2;
    bool quote = a.size() == from || a.find_first_of(" \t", from) != std::string::npos;
    s += quote ? a.substr(0, from) + "\"" + a.substr(from) + "\"" : a;
  }
  return s;
}

std::string_view StripPaneControlBytes(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && static_cast<unsigned char>(line[i]) >= 249) ++i;
  return line.substr(i);
}

namespace {

// Without a window the user sees message boxes on the error stream.
class ConsoleShell : public ShellServices {
 public:
  ConsoleShell(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}
  void Beep() override {}
  int MessageBox(const std::string& text, int) override {
    std::fprintf(err_, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
    return kIdOk;
  }
  void PostOutputText(const std::string& line) override { std::fputs(line.c_str(), out_); }

 private:
  std::FILE* out_;
  std::FILE* err_;
};

// As the project model selects a target by name: the first one of exactly
// that name (case counts), hidden targets skipped.
TargetRec* FindTarget(ProjectRec* project, const std::string& name) {
  for (TargetRec* t = project->firstTarget; t; t = t->next)
    if (!(t->flags & kTargetDeleted) && t->name == name.c_str()) return t;
  return nullptr;
}

}  // namespace

int RunCommandLine(const CommandLineArgs& args, const std::string& programPath, std::FILE* out,
                   std::FILE* err, const std::function<void(int status)>& built) {
  if (args.help) {
    std::fputs(kUsageText, out);
    return 0;
  }
  if (args.debug) {
    // -d asks for a debug session instead of a build, and that needs the window.
    std::fprintf(err, "-d \"%s\"  ---  A debug session needs the program's window\n",
                 args.project.c_str());
    return 2;
  }
  if (args.project.empty() || !(args.build || args.rebuild)) {
    std::fputs(kUsageText, err);
    return 2;
  }
  ConsoleShell shell(out, err);
  AppState& app = theApp();
  // The start-up bits, as the window's start-up leaves them for the rest of
  // the program (a batch start keeps the project off the recent list).
  if (args.rebuild) app.m_nState |= kStateRebuildOnStart;
  if (args.build) app.m_nState |= kStateBuildOnStart;
  if (args.channel) app.m_nState |= kStateInstanceChannel;
  app.m_pShell = &shell;
  SetupInstallPaths(app, programPath);
  std::string message;
  if (!LoadStartupEnvironment(app, &message))
    std::fprintf(err, "%s\n", message.empty() ? ("Cannot read '" + app.m_toolsIniPath + "'").c_str()
                                              : message.c_str());

  // A project named relative to the caller's folder is opened by its full
  // path: the project's folder is then absolute wherever it is used (the
  // key sequences of user programs, which run in the project folder, name
  // files by it), as the window's open has it.
  std::string projectPath = args.project;
  if (!IsAbsolutePath(projectPath)) {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (!ec) projectPath = (here / projectPath).lexically_normal().string();
  }
  int rc = OpenProjectFile(projectPath, &message);
  ProjectRec* project = app.m_pProject;
  if (rc != 0 || !project) {
    std::fprintf(err, "%s\n", message.empty() ? ("Cannot open project '" + args.project + "'").c_str()
                                              : message.c_str());
    app.m_pShell = nullptr;
    return 1;
  }
  TargetRec* target = project->curTarget;
  if (!args.target.empty()) {
    target = FindTarget(project, args.target);
    if (!target) {
      // The window's open would go on and build the current target; a batch
      // build of a target other than the one asked for must not pass as success.
      std::fprintf(err, "-t \"%s\"  ---  Target not defined in Project '%s'\n", args.target.c_str(),
                   args.project.c_str());
      app.m_pShell = nullptr;
      return 1;
    }
    project->curTarget = target;
  }
  if (!target) {
    std::fprintf(err, "Project '%s' has no current target\n", args.project.c_str());
    app.m_pShell = nullptr;
    return 1;
  }

  std::FILE* copy = nullptr;
  BuildLog log;
  bool notBuilt = true;
  DirectHub hub([&](int code, intptr_t arg) -> intptr_t {
    if (code == kNotifyBuildOutputLine && arg) {
      const char* line = reinterpret_cast<const char*>(arg);
      const std::string_view shown = StripPaneControlBytes(line);
      if (shown.empty()) return 0;  // only a switch of the pane's redrawing
      std::fwrite(shown.data(), 1, shown.size(), out);
      std::fflush(out);
      if (copy) std::fwrite(shown.data(), 1, shown.size(), copy);
      log.WriteOutputLine(std::string(shown));
    } else if (code == kNotifyBuildFinished) {
      notBuilt = arg != 0;
    }
    return 0;
  });
  BuildDriverDeps deps;
  deps.hub = &hub;
  deps.shell = &shell;
  BuildDriver driver(std::move(deps));
  // Another build of this target (from this or another instance) runs:
  // say so and touch none of its files, not even the log.
  if (!driver.ClaimTarget(project, target)) {
    std::fputs(BuildDriver::TargetBusyMessage(*target).c_str(), out);
    app.m_pShell = nullptr;
    return 1;
  }
  if (!args.output.empty()) {
    copy = std::fopen(args.output.c_str(), "wb");
    if (!copy) std::fprintf(err, "-o \"%s\"  ---  Can't create output file\n", args.output.c_str());
  }
  // The folder the build works in: a project opened by its bare name lies
  // in the current folder.
  std::string folder = project->folder.str();
  if (folder.empty() || !IsAbsolutePath(folder)) {
    std::error_code ec;
    folder = (std::filesystem::current_path(ec) / folder).string();
  }
  if (!folder.empty() && !IsPathSeparator(folder.back())) folder += '/';
  // The project file's name as on the disk: the exact one in one stat call,
  // else the folder's listing finds its case variant.
  std::string projectFile = project->name.str() + ".pm2";
  std::error_code noFile;
  if (!std::filesystem::exists(folder + projectFile, noFile))
    projectFile = std::string(FileNamePart(ProjectSiblingPath(*project, "pm2")));
  // The heading names the project in the folder worked out above.
  BuildLogProject logProject{folder, project->name.str(), folder + projectFile};
  // Where the outputs go when that is outside the project (or through a
  // link) is said before the first write there, the log's.
  driver.SayOutputFolders(project, target);
  const OptionBlock* own = FindTargetOptions(target->pOpts, target);
  if (own) {
    // The window keeps the project folder current; here a relative output
    // folder has to be taken against it, as the build itself does.
    std::string base, why;
    if (IsProjectFolderText(own->out.OUTDIR.c_str()) || own->out.OUTDIR.empty() || own->out.OUTDIR == "./")
      base = folder;
    else if (!ToLocalPath(own->out.OUTDIR.view(), folder, DriveMap(), &base, &why))
      base.clear();
    if (!base.empty() && base.back() != '/') base += '/';
    std::error_code ec;
    if (!base.empty()) std::filesystem::create_directories(base, ec);  // the build makes it anyway
    if (!base.empty()) log.SetBuildLogFile(1, base + own->out.OUTNAME.str() + ".plg", &logProject);
    if (!log.ReplacedNote().empty()) std::fprintf(out, "%s\n", log.ReplacedNote().c_str());
  }

  // What the last build of an ARM target left, so only what changed is
  // translated; when its dependency file is gone, the build scans each file
  // as it comes to it instead of all of them before the first translation.
  driver.UpdateDependencies(project, target, false);
  // The user programs' key sequences name what the window's -b names: its
  // project window selects the target's row, which stands for the project
  // file, and a batch build opens no editor window.
  BuildDriver::UserProgramFiles files;
  files.fileToTranslate = FilePosition{folder + projectFile, 0, 0};
  driver.SetUserProgramFiles(std::move(files));
  app.m_nState |= kStateBusy;
  // -b wins over -r when both are given.
  driver.RunBuild(project, target, args.build ? kBuildModeBuild : kBuildModeRebuild);
  app.m_nState &= ~kStateBusy;
  log.SetBuildLogFile(0, std::string(), &logProject);
  if (copy) std::fclose(copy);
  app.m_pShell = nullptr;
  const int status = (!notBuilt && driver.State().errors == 0) ? 0 : 1;
  // The target's lock file goes now: a program that ends in `built`
  // destroys no driver.
  driver.ReleaseTarget();
  if (built) built(status);
  return status;
}

}  // namespace pm2
