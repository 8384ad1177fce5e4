// The build driver against the tools people compare it with, each pair in
// one run with the ratio printed:
//  - the up-to-date check of a generated ARM-GNU project of 2,000 C files
//    with shared headers, all up to date, against `ninja` doing nothing on
//    an equivalent build.ninja with gcc depfiles;
//  - the dependency scan of the same files against `arm-none-eabi-gcc -MM`.
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

#include "build/build_driver.h"
#include "build/preprocessor.h"
#include "platform/notification_hub.h"
#include "platform/win_path.h"
#include "project/app_state.h"
#include "project/environment.h"
#include "project/option_defaults.h"
#include "project/pool.h"
#include "project/project_records.h"

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
  Generated() {
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
    for (int i = 0; i < kFiles; ++i) {
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
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (upToDate_ > 0 && ninja_ > 0)
      std::printf("up-to-date check of %d files vs ninja doing nothing: %.2fx the time (goal: at most 1)\n",
                  kFiles, upToDate_ / ninja_);
    if (scan_ > 0 && gcc_ > 0)
      std::printf("dependency scan of %d files vs arm-none-eabi-gcc -MM: %.1fx faster (goal: at least 10)\n",
                  kFiles, gcc_ / scan_);
  }

 private:
  double upToDate_ = 0, ninja_ = 0, scan_ = 0, gcc_ = 0;
};

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  pm2::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
