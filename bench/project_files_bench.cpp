// A generated project of 10,000 files in 20 groups and 8 targets, written
// and read, against a baseline that only splits the same bytes into lines;
// prints both times and the ratios (goal: each within 100 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "project/files/project_file.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "bench_peer.h"

namespace {

using namespace pm2;

ProjectRec* MakeLargeProject() {
  ProjectRec* p = PoolNew<ProjectRec>(kPoolProject);
  p->name = OptString::Pooled("big", kPoolProject);
  p->folder = OptString::Pooled("C:\\big\\", kPoolProject);
  for (int i = 0; i < 8; ++i) {
    TargetRec* t = PoolNew<TargetRec>(kPoolProject);
    t->kind = kKindTarget;
    t->toolset = uint16_t(i % kToolsetCount);
    t->name = OptString::Pooled("Target " + std::to_string(i + 1), kPoolProject);
    OptionBlock* b = NewOptionBlock(kPoolProject);
    b->owner = t;
    t->pOpts = b;
    SetDefaultOptions(*b, t, t->toolset, kLevelTarget);
    if (p->lastTarget) p->lastTarget->next = t; else p->firstTarget = t;
    p->lastTarget = t;
  }
  p->curTarget = p->firstTarget;
  for (int gi = 0; gi < 20; ++gi) {
    GroupRec* g = PoolNew<GroupRec>(kPoolProject);
    g->kind = kKindGroup;
    g->name = OptString::Pooled("Group " + std::to_string(gi), kPoolProject);
    if (p->lastGroup) p->lastGroup->next = g; else p->firstGroup = g;
    p->lastGroup = g;
    for (int fi = 0; fi < 500; ++fi) {
      FileRec* f = PoolNew<FileRec>(kPoolProject);
      f->kind = kKindFile;
      std::string name = "file" + std::to_string(gi * 500 + fi) + ".c";
      f->name = OptString::Pooled(name, kPoolProject);
      f->path = OptString::Pooled(".\\src\\" + name, kPoolProject);
      f->type = kFileC;
      f->group = g;
      if (g->lastFile) g->lastFile->next = f; else g->firstFile = f;
      g->lastFile = f;
      if (fi % 50 == 0) {  // some files override options for one target
        OptionBlock* b = NewOptionBlock(kPoolProject);
        b->owner = p->firstTarget;
        InitBuildPropOpts(b->prop, kLevelNode);
        f->pOpts = b;
      }
    }
  }
  return p;
}

const std::string& ProjectText() {
  static const std::string text = [] {
    std::string t = BuildProjectFileText(*MakeLargeProject());
    return t;
  }();
  return text;
}

void BM_SplitLinesBaseline(benchmark::State& state) {
  const std::string& text = ProjectText();
  for (auto _ : state) {
    std::size_t lines = 0, pos = 0;
    std::string line;
    while (pos < text.size()) {
      std::size_t lf = text.find('\n', pos);
      if (lf == std::string::npos) lf = text.size();
      line.assign(text, pos, lf - pos);
      benchmark::DoNotOptimize(line.data());
      ++lines;
      pos = lf + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(int64_t(text.size()) * state.iterations());
}

void BM_ReadProject(benchmark::State& state) {
  const std::string& text = ProjectText();
  ShellServices quiet;
  theApp().m_pShell = &quiet;
  for (auto _ : state) {
    ProjectFileIo io;
    ReadProjectText(io, "/bench/big.pm2", text, nullptr);
    benchmark::DoNotOptimize(io.project);
    state.PauseTiming();
    PoolFree(kPoolProject);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(text.size()) * state.iterations());
}

void BM_WriteProject(benchmark::State& state) {
  ProjectRec* p = MakeLargeProject();
  for (auto _ : state) {
    std::string text = BuildProjectFileText(*p);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(int64_t(ProjectText().size()) * state.iterations());
}

BENCHMARK(BM_SplitLinesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteProject)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double baseline = times.Time("BM_SplitLinesBaseline");
  const double read = times.Time("BM_ReadProject"), write = times.Time("BM_WriteProject");
  // Goal: opening or saving a 10,000-file project is not felt (100 ms).
  pm2::bench::PrintAgainstBaseline("project file read", read, "line split of the same bytes", baseline, 100.0);
  pm2::bench::PrintAgainstBaseline("project file write", write, "line split of the same bytes", baseline, 100.0);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
