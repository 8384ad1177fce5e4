// The build driver against the tools people compare it with, each pair in
// one run with the ratio printed:
//  - the up-to-date check of a generated ARM-GNU project of 2,000 C files
//    with shared headers, all up to date, against `ninja` doing nothing on
//    an equivalent build.ninja with gcc depfiles;
//  - the dependency scan of the same files against `arm-none-eabi-gcc -MM`;
//  - a full build of 200 files with the real ARM-GNU compiler against
//    `make -jN` running the very same compiler command lines with as many
//    jobs as the driver runs side by side (its worker count).
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "builder/driver/build_driver.h"
#include "builder/driver/build_state.h"
#include "builder/driver/translation_pool.h"
#include "builder/preprocessor/preprocessor.h"
#include "platform/notification_hub.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/model/app_state.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "bench_peer.h"

namespace pm2 {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 2000;
constexpr int kHeaders = 40;
constexpr int kHeadersPerFile = 6;

std::string Name(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "f%04d", i);
  return buf;
}

// A project folder with kFiles sources, each including a few of the shared
// headers, which include one common header.
class Generated {
 public:
  explicit Generated(int files = kFiles) {
    char pattern[] = "/tmp/pm2bench_XXXXXX";
    folder_ = std::string(::mkdtemp(pattern)) + "/";
    fs::create_directories(folder_ + "Obj");
    std::ofstream(folder_ + "common.h") << "#ifndef COMMON_H\n#define COMMON_H\n#define WORD(x) ((x) * 2)\n"
                                           "typedef unsigned int u32;\n#endif\n";
    for (int h = 0; h < kHeaders; ++h)
      std::ofstream(folder_ + "h" + std::to_string(h) + ".h")
          << "#ifndef H" << h << "\n#define H" << h << "\n#include \"common.h\"\n"
          << "#if WORD(" << h << ") > 10\nextern u32 v" << h << ";\n#else\nextern int v" << h
          << ";\n#endif\n#endif\n";
    for (int i = 0; i < files; ++i) {
      std::ofstream f(folder_ + Name(i) + ".c");
      for (int k = 0; k < kHeadersPerFile; ++k) f << "#include \"h" << (i * 7 + k * 5) % kHeaders << ".h\"\n";
      f << "/* a comment */\nint " << Name(i) << "(int a) { return WORD(a) + " << i << "; }\n";
    }
    // Sources and headers older than any object made now: an include as old
    // as its object counts as changed.
    const auto past = fs::file_time_type::clock::now() - std::chrono::seconds(60);
    for (const auto& e : fs::directory_iterator(folder_))
      if (e.is_regular_file()) fs::last_write_time(e.path(), past);
  }
  ~Generated() { fs::remove_all(folder_); }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

Generated& Files() {
  static Generated g;
  return g;
}

bool HaveGcc() { return std::system("arm-none-eabi-gcc --version >/dev/null 2>&1") == 0; }
bool HaveNinja() { return std::system("ninja --version >/dev/null 2>&1") == 0; }

void Touch(const std::string& path) {
  std::ofstream(path, std::ios::app).flush();
}

// ---------------------------------------------------------------- up to date

class QuietShell : public ShellServices {
 public:
  void Beep() override {}
  int MessageBox(const std::string&, int) override { return 0; }
  void PostOutputText(const std::string&) override {}
};

struct DriverProject {
  DriverProject() {
    const std::string dir = Files().Folder();
    project = NewProject(nullptr, (dir + "Bench.pm2").c_str());
    target = project->firstTarget;
    target->toolset = kToolsetArmGnu;
    ResetTargetOptions(target, kToolsetUndefined);
    OptionBlock* o = FindTargetOptions(target->pOpts, target);
    o->out.OUTDIR = OptString(".\\Obj\\");
    o->out.OUTNAME = OptString("Bench");
    o->out.flags.GENAPP = 0;  // objects only
    o->out.flags.bit4 = 0;
    for (int i = 0; i < kFiles; ++i) AddFileToGroup(project->firstGroup, (Name(i) + ".c").c_str(), ".\\", kFileC);
    info.toolset = kToolsetArmGnu;
    info.rootFolder = info.makerFolder = dir;
    info.toolsFolder = dir + "BIN/";
    theApp().m_pToolsetInfo[kToolsetArmGnu] = &info;
  }
  ~DriverProject() {
    theApp().m_pToolsetInfo[kToolsetArmGnu] = nullptr;
    PoolFree(kPoolScratch);
    PoolFree(kPoolProject);
  }
  ProjectRec* project = nullptr;
  TargetRec* target = nullptr;
  ToolsetInfo info;
};

// A compiler that writes the object: the first build makes every object,
// every later build finds them up to date.
void FakeCompile(ToolRunRequest& r) {
  std::string object = ToForwardSlashes(r.objectFile);
  if (object.compare(0, 2, "./") == 0) object.erase(0, 2);
  Touch(Files().Folder() + object);
  r.exitCode = 0;
}

int g_translated = 0;

void BM_DriverUpToDate(benchmark::State& state) {
  DirectHub hub(nullptr);
  QuietShell shell;
  theApp().m_pShell = &shell;
  DriverProject p;
  BuildDriver driver({&hub, &shell, [](ToolRunRequest& r) { FakeCompile(r); }, "", ""});
  driver.BuildTarget(p.project, p.target, kBuildModeBuild);  // makes the objects and the records
  for (auto _ : state) {
    driver.BuildTarget(p.project, p.target, kBuildModeBuild);
    g_translated = 0;
    for (const auto& e : driver.Explanations()) {
      if (e.translated && g_translated == 0) std::fprintf(stderr, "%s: %s\n", e.file.c_str(), e.reason.c_str());
      g_translated += e.translated;
    }
  }
  if (g_translated != 0) state.SkipWithError("a file was translated again");
}
BENCHMARK(BM_DriverUpToDate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same graph for ninja: one edge per file with a gcc depfile.
void WriteNinjaFiles() {
  const std::string dir = Files().Folder();
  std::ofstream n(dir + "build.ninja");
  n << "rule cc\n  command = cp $in.dep $out.d && touch $out\n  depfile = $out.d\n  deps = gcc\n\n";
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = Name(i);
    n << "build Obj/" << name << ".o: cc " << name << ".c\n";
    std::ofstream d(dir + name + ".c.dep");
    d << "Obj/" << name << ".o: " << name << ".c";
    for (int k = 0; k < kHeadersPerFile; ++k) d << " h" << (i * 7 + k * 5) % kHeaders << ".h";
    d << " common.h\n";
  }
}

void BM_NinjaNoOp(benchmark::State& state) {
  if (!HaveNinja()) {
    state.SkipWithError("ninja is not installed");
    return;
  }
  WriteNinjaFiles();
  const std::string cmd = "ninja -C " + Files().Folder() + " >/dev/null";
  if (std::system(cmd.c_str()) != 0) state.SkipWithError("ninja failed");
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("ninja failed");
}
BENCHMARK(BM_NinjaNoOp)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---------------------------------------------------------------- dependency scan

void BM_DependencyScan(benchmark::State& state) {
  const std::string dir = Files().Folder();
  PathResolver resolver;
  size_t includes = 0;
  for (auto _ : state) {
    includes = 0;
    for (int i = 0; i < kFiles; ++i) {
      DepScanRequest r;
      r.sourcePath = dir + Name(i) + ".c";
      r.objectPath = dir + "Obj/" + Name(i) + ".o";
      PreprocessForDependencies(r, resolver, dir);
      includes += r.includes.size();
    }
  }
  state.counters["includes"] = double(includes);
}
BENCHMARK(BM_DependencyScan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_GccMM(benchmark::State& state) {
  if (!HaveGcc()) {
    state.SkipWithError("arm-none-eabi-gcc is not installed");
    return;
  }
  std::string cmd = "cd " + Files().Folder() + " && arm-none-eabi-gcc -MM";
  for (int i = 0; i < kFiles; ++i) cmd += " " + Name(i) + ".c";
  cmd += " >/dev/null";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("gcc -MM failed");
}
BENCHMARK(BM_GccMM)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---------------------------------------------------------------- full build

constexpr int kBuildFiles = 200;

Generated& BuildFiles() {
  static Generated g(kBuildFiles);
  return g;
}

std::string InstallRoot() { return PM2_BENCH_INSTALL_ROOT "/"; }
std::string GnuCompiler() { return InstallRoot() + "GNU/Arm-Tools/Bin/arm-uclibc-gcc"; }

// The project of the full build: kBuildFiles C files, objects in .\Obj\,
// the build tree's ARM-GNU toolset (Debian's arm-none-eabi tools).
struct FullBuildProject {
  FullBuildProject() {
    const std::string dir = BuildFiles().Folder();
    project = NewProject(nullptr, (dir + "Full.pm2").c_str());
    target = project->firstTarget;
    target->toolset = kToolsetArmGnu;
    ResetTargetOptions(target, kToolsetUndefined);
    OptionBlock* o = FindTargetOptions(target->pOpts, target);
    o->out.OUTDIR = OptString(".\\Obj\\");
    o->out.OUTNAME = OptString("Full");
    o->out.flags.GENAPP = 0;  // objects only: the compiler runs are what is compared
    o->out.flags.bit4 = 0;
    for (int i = 0; i < kBuildFiles; ++i)
      AddFileToGroup(project->firstGroup, (Name(i) + ".c").c_str(), ".\\", kFileC);
    const std::string root = InstallRoot();
    info.toolset = kToolsetArmGnu;
    info.rootFolder = info.makerFolder = root + "ARM/";
    info.toolsFolder = info.rootFolder + "BIN/";
    info.secondFolder = info.armToolFolder = root + "GNU/";
    info.secondToolsFolder = root + "GNU/Arm-Tools/Bin/";
    theApp().m_pToolsetInfo[kToolsetArmGnu] = &info;
    savedSpawn = theApp().m_vspawnPath;
    theApp().m_vspawnPath = root + "PM2/VSPAWN.EXE";
  }
  ~FullBuildProject() {
    theApp().m_pToolsetInfo[kToolsetArmGnu] = nullptr;
    theApp().m_vspawnPath = savedSpawn;
    PoolFree(kPoolScratch);
    PoolFree(kPoolProject);
  }
  ProjectRec* project = nullptr;
  TargetRec* target = nullptr;
  ToolsetInfo info;
  std::string savedSpawn;
};

bool HaveArmGnu() {
  struct stat st;
  return ::stat(GnuCompiler().c_str(), &st) == 0 && HaveGcc();
}

// Counts the compiler runs of a build and the lines that report an error.
class CountingHub : public NotificationHub {
 public:
  intptr_t Send(int code, intptr_t arg) override {
    Note(code, arg);
    return 0;
  }
  void Post(int code, intptr_t arg) override { Note(code, arg); }
  int compiled = 0;
  int errors = 0;
  std::string firstError;

 private:
  void Note(int code, intptr_t arg) {
    if (code != kNotifyBuildOutputLine) return;
    const std::string line = reinterpret_cast<const char*>(arg);
    if (line.rfind("compiling ", 0) == 0) ++compiled;
    if (line.find("error") != std::string::npos && ++errors == 1) firstError = line;
  }
};

void BM_DriverFullBuild(benchmark::State& state) {
  if (!HaveArmGnu()) {
    state.SkipWithError("arm-none-eabi-gcc is not installed in the build tree's root");
    return;
  }
  QuietShell shell;
  theApp().m_pShell = &shell;
  FullBuildProject p;
  CountingHub hub;
  BuildDriver driver({&hub, &shell, nullptr, "", ""});
  for (auto _ : state) {
    hub.compiled = 0;
    driver.BuildTarget(p.project, p.target, kBuildModeRebuild);
  }
  if (hub.errors) state.SkipWithError(("the build failed: " + hub.firstError).c_str());
  else if (hub.compiled != kBuildFiles) state.SkipWithError("not every file was compiled");
  state.counters["files"] = hub.compiled;
}
BENCHMARK(BM_DriverFullBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

// A Makefile whose rules run the compiler with the command lines our
// driver hands it: taken from the command input files of a build whose
// tool runs are only recorded.
bool WriteMakefile() {
  FullBuildProject p;
  CountingHub hub;
  QuietShell shell;
  std::vector<std::pair<std::string, std::string>> rules;  // object, arguments
  auto record = [&](ToolRunRequest& r) {
    std::ifstream f(r.commandFile, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    rules.emplace_back(ToForwardSlashes(WithoutQuotes(r.objectFile)), text);
    r.exitCode = 0;
  };
  BuildDriver driver({&hub, &shell, record, "", ""});
  driver.BuildTarget(p.project, p.target, kBuildModeRebuild);
  if (rules.size() != size_t(kBuildFiles)) return false;
  std::ofstream mk(BuildFiles().Folder() + "Makefile");
  mk << "CC = " << GnuCompiler() << "\n\nall:";
  for (const auto& r : rules) mk << " " << r.first;
  mk << "\n\n";
  // Our command files are quoted for gcc's @file reading, whose backslash
  // escapes the shell reads the same way.
  for (int i = 0; i < kBuildFiles; ++i)
    mk << rules[i].first << ": " << Name(i) << ".c\n\t@echo compiling " << Name(i) << ".c\n\t@$(CC) "
       << rules[i].second << "\n\n";
  return bool(mk);
}

void BM_MakeFullBuild(benchmark::State& state) {
  if (!HaveArmGnu() || std::system("make --version >/dev/null 2>&1") != 0) {
    state.SkipWithError("make or arm-none-eabi-gcc is not installed");
    return;
  }
  if (!WriteMakefile()) {
    state.SkipWithError("the command lines could not be taken from a build");
    return;
  }
  const std::string cmd =
      "make -s -j" + std::to_string(TranslationWorkerCount()) + " -B -C " + BuildFiles().Folder() + " >/dev/null";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("make failed");
}
BENCHMARK(BM_MakeFullBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

// Prints each pair's ratio after the runs.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const std::string name = r.benchmark_name();
      const double t = r.error_occurred ? 0 : r.GetAdjustedRealTime();
      if (name.find("DriverUpToDate") != std::string::npos) upToDate_ = t;
      if (name.find("NinjaNoOp") != std::string::npos) ninja_ = t;
      if (name.find("DependencyScan") != std::string::npos) scan_ = t;
      if (name.find("GccMM") != std::string::npos) gcc_ = t;
      if (name.find("DriverFullBuild") != std::string::npos) full_ = t;
      if (name.find("MakeFullBuild") != std::string::npos) make_ = t;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const std::string files = std::to_string(kFiles) + " files";
    bench::PrintRatio("up-to-date check of " + files, upToDate_, "ninja doing nothing", ninja_, 1.0);
    bench::PrintRatio("dependency scan of " + files, scan_, "arm-none-eabi-gcc -MM", gcc_, 0.1);
    bench::PrintRatio("full build of " + std::to_string(kBuildFiles) + " files", full_,
                      "make -j" + std::to_string(TranslationWorkerCount()), make_, 1.05);
  }

 private:
  double upToDate_ = 0, ninja_ = 0, scan_ = 0, gcc_ = 0, full_ = 0, make_ = 0;
};

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  pm2::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
