// Compiler lines of 100,000 files with mixed group and file blocks, against
// a plain snprintf of a line of the same length (the physical baseline).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "builder/commands/command_context.h"
#include "builder/commands/q166_command.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "bench_peer.h"

namespace {

using namespace pm2;

constexpr int kFiles = 100000;
constexpr int kGroups = 100;

struct Project {
  TargetRec target;
  std::vector<GroupRec> groups = std::vector<GroupRec>(kGroups);
  std::vector<FileRec> files = std::vector<FileRec>(kFiles);
  std::vector<OptionBlock> blocks;
  std::vector<std::string> names;
  Project() {
    target.kind = kKindTarget;
    target.toolset = kToolset166;
    blocks.reserve(kGroups + kFiles / 4 + 1);
    names.reserve(kFiles);
    OptionBlock& t = blocks.emplace_back();
    SetDefaultOptions(t, &target, kToolset166, kLevelTarget);
    t.owner = &target;
    t.q166.DEFINE = OptString("DEBUG VERSION=3");
    t.q166.INCC6 = OptString("C:\\inc");
    target.pOpts = &t;
    auto node = [&]() -> OptionBlock& {
      OptionBlock& b = blocks.emplace_back();
      SetDefaultOptions(b, &target, kToolset166, kLevelTarget);
      SetDefaultOptions(b, &target, kToolset166, kLevelNode);
      b.owner = &target;
      return b;
    };
    for (int g = 0; g < kGroups; ++g) {
      groups[g].kind = kKindGroup;
      if (g % 2 == 0) {
        OptionBlock& b = node();
        b.q166.DEFINE = OptString("GROUP");
        b.q166.UNDEFINE = OptString("DEBUG");
        groups[g].pOpts = &b;
      }
    }
    for (int i = 0; i < kFiles; ++i) {
      FileRec& f = files[i];
      f.kind = kKindFile;
      f.group = &groups[i % kGroups];
      names.push_back("file" + std::to_string(i) + ".c");
      f.name = OptString(names.back().c_str());
      f.path = OptString(i % 3 ? names.back().c_str() : ".\\x.c");
      if (i % 4 == 0) {
        OptionBlock& b = node();
        b.q166.OPTIMIZE = 3;
        b.q166.INCC6 = OptString("C:\\own");
        f.pOpts = &b;
      }
    }
  }
};

Project& TheProject() {
  static Project p;
  return p;
}

std::size_t g_lineLength = 0;

void BM_CompilerLines(benchmark::State& state) {
  Project& p = TheProject();
  CommandContext ctx;
  std::size_t total = 0;
  for (auto _ : state) {
    for (FileRec& f : p.files) {
      MakeQ166CompilerCommand(ctx, &f, &p.target, true);
      total += ctx.g_nCmdLineLen;
    }
  }
  g_lineLength = total / (state.iterations() * kFiles);
  state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kFiles, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompilerLines)->Unit(benchmark::kMillisecond);

// The same number of lines of the same mean length, each one snprintf.
void BM_SnprintfBaseline(benchmark::State& state) {
  std::vector<char> buf(kCmdLineBufSize);
  std::string filler(g_lineLength > 20 ? g_lineLength - 20 : 1, 'x');
  for (auto _ : state) {
    for (int i = 0; i < kFiles; ++i) {
      int n = std::snprintf(buf.data(), buf.size(), "%s OBJECT(file%d.obj)", filler.c_str(), i);
      benchmark::DoNotOptimize(n);
    }
  }
  state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kFiles, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SnprintfBaseline)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double lines = times.Time("BM_CompilerLines") / kFiles, base = times.Time("BM_SnprintfBaseline") / kFiles;
  // Goal: a 2,000-file project's lines in 10 ms.
  pm2::bench::PrintAgainstBaseline("compiler line (per line)", lines * 1000,
                                   "snprintf of a " + std::to_string(g_lineLength) + "-byte line", base * 1000, 5.0,
                                   "us");
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
