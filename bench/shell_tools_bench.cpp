// Find in Files over this program's own source tree against `grep -rn` for
// the same word and patterns, in the same run; prints the ratio of the two
// times. The source tree is PM2_BENCH_SRC (default: the tree it was built
// from).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/notification_hub.h"
#include "shell/tools/find_in_files.h"
#include "bench_peer.h"

namespace {

std::string SourceFolder() {
  const char* env = std::getenv("PM2_BENCH_SRC");
  return std::string(env ? env : PM2_BENCH_SOURCE_DIR) + "/src/";
}

void BM_GrepBaseline(benchmark::State& state) {
  const std::string cmd = "grep -rn --include='*.h' --include='*.cpp' Register " + SourceFolder() + " | wc -l";
  for (auto _ : state) {
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[64] = {};
    if (p) {
      benchmark::DoNotOptimize(std::fgets(buf, sizeof buf, p));
      ::pclose(p);
    }
  }
}

void BM_FindInFiles(benchmark::State& state) {
  size_t lines = 0;
  pm2::DirectHub hub([&lines](int, intptr_t) {
    ++lines;
    return 0;
  });
  pm2::FindInFilesRequest r;
  r.folder = SourceFolder();
  r.findText = "Register";
  r.fileTypes = "*.h;*.cpp";
  r.includeSubfolders = true;
  r.matchCase = true;
  pm2::FindInFiles find(hub, {});
  for (auto _ : state) find.Search(r);
  benchmark::DoNotOptimize(lines);
}

BENCHMARK(BM_GrepBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindInFiles)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double grep = times.Time("BM_GrepBaseline"), find = times.Time("BM_FindInFiles");
  pm2::bench::PrintRatio("find in files over the source tree", find, "grep -rn", grep, 1.5);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
