// Filtering 1,000,000 lines of mixed compiler output against a baseline
// that only splits the same bytes into lines; prints lines per second and
// the ratio of the two.
#include <benchmark/benchmark.h>

#include <string>

#include "builder/runner/output_filters.h"
#include "builder/runner/tool_run_request.h"
#include "project/model/app_state.h"
#include "bench_peer.h"

namespace {

constexpr int kLines = 1000000;

const std::string& MixedOutput() {
  static const std::string text = [] {
    const char* forms[] = {
        "*** WARNING C206 IN LINE 5 OF C:\\SRC\\MAIN.C: 'f': missing function-prototype\r\n",
        "*** ERROR C141 IN LINE 12 OF SUB.C: syntax error near ';'\r\n",
        "Q51 COMPILER V9.0 - SN: 12345\r\n",
        "    some listing text that the filter drops\r\n",
    };
    std::string out;
    for (int i = 0; i < kLines; ++i) out += forms[i % 4];
    return out;
  }();
  return text;
}

class NullShell : public pm2::ShellServices {
 public:
  size_t lines = 0;
  void PostOutputText(const std::string&) override { ++lines; }
};

void BM_SplitLinesBaseline(benchmark::State& state) {
  const std::string& text = MixedOutput();
  for (auto _ : state) {
    pm2::MemoryByteSource source(text);
    pm2::CaptureReader reader(source);
    std::string line;
    size_t count = 0;
    while (reader.ReadLine(line) > 0) ++count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["lines/s"] = benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_CompilerFilter(benchmark::State& state) {
  const std::string& text = MixedOutput();
  for (auto _ : state) {
    pm2::MemoryByteSource source(text);
    pm2::CaptureReader reader(source);
    NullShell shell;
    pm2::ToolRunRequest request;
    request.toolCode = 2;
    request.exitCode = 2;
    pm2::FilterToolOutput(request, reader, shell);
    benchmark::DoNotOptimize(request.errors);
  }
  state.counters["lines/s"] = benchmark::Counter(double(kLines) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SplitLinesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompilerFilter)->Unit(benchmark::kMillisecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double baseline = times.Time("BM_SplitLinesBaseline"), filter = times.Time("BM_CompilerFilter");
  // Goal: a million lines a second, so that no tool's output waits for it.
  pm2::bench::PrintAgainstBaseline("compiler output filter, 1,000,000 lines", filter, "line split of the same bytes",
                                   baseline, 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
