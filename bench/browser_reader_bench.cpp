// The source browser against plain peers in the same run: loading browse
// records of 100,000 symbols and 1,000,000 occurrences against reading the
// same file into a vector with std::ifstream (goal: at most 3 times the
// time), and filtering the 100,000 names by a name mask against the same
// match done with fnmatch(3) (goal: at most 1.5 times the time: ours also
// gathers the symbols that pass). Prints both times and ratios.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/browser/browse_sample_file.h"
#include "browser/browse_session.h"
#include "browser/browse_symbol_list.h"
#include "bench_peer.h"

namespace {

constexpr uint32_t kSymbols = 100000;
constexpr uint32_t kPerSymbol = 10;  // 1,000,000 occurrences

// Names like "uart_rx_00042": a few prefixes over numbered names.
std::string SymbolName(uint32_t i) {
  static const char* const kPrefixes[] = {"uart_rx_", "timer", "adc_read", "Port", "led_", "_isr_"};
  char number[16];
  std::snprintf(number, sizeof number, "%05u", i);
  return std::string(kPrefixes[i % 6]) + number;
}

const std::string& BrowseFile() {
  static const std::string path = [] {
    pm2::BrowseSampleFile f;
    f.ModuleStart().Header(kSymbols, {"", "CODE", "DATA", "XDATA"});
    for (uint32_t file = 1; file <= 50; ++file) f.File("src/file" + std::to_string(file) + ".c");
    for (uint32_t i = 0; i < kSymbols; ++i) {
      f.NameRec(SymbolName(i)).Symbol(i % 3 ? 4 : 8, uint16_t(1 + i % 3), uint16_t(i % 3 ? 4 : 17), 0);
      std::vector<uint8_t> c;
      pm2::BrowseSampleFile::U32(c, kPerSymbol);
      for (uint32_t k = 0; k < kPerSymbol; ++k) {
        const uint16_t kind = k == 0 ? 1 : (k % 4 == 3 && i > 0 ? 3 : 2);
        pm2::BrowseSampleFile::U16(c, kind);
        pm2::BrowseSampleFile::U16(c, uint16_t(1 + (i + k) % 50));
        pm2::BrowseSampleFile::U32(c, 10 + k * 7);
        pm2::BrowseSampleFile::U32(c, k % 2);
        pm2::BrowseSampleFile::U32(c, kind == 3 ? i - 1 : 0xFFFFFFFFu);
      }
      f.Record(0x64, c);
    }
    f.ModuleEnd();
    const std::string p = (std::filesystem::temp_directory_path() / "pm2_browser_bench.obj").string();
    f.Write(p);
    return p;
  }();
  return path;
}

void BM_IfstreamBaseline(benchmark::State& state) {
  const std::string& path = BrowseFile();
  for (auto _ : state) {
    // The fastest plain read: the size first, then one read.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(int64_t(std::filesystem::file_size(path)) * state.iterations());
}

void BM_LoadBrowseInfo(benchmark::State& state) {
  const std::string& path = BrowseFile();
  pm2::BrowseSession session;
  for (auto _ : state) {
    // Dropping the last table is not part of loading the next.
    state.PauseTiming();
    session.Free();
    state.ResumeTiming();
    const std::string err = session.Open(path, "/project/");
    if (!err.empty()) state.SkipWithError(err.c_str());
    benchmark::DoNotOptimize(session.Module());
  }
  state.SetBytesProcessed(int64_t(std::filesystem::file_size(path)) * state.iterations());
}

pm2::BrowseSession& Loaded() {
  static pm2::BrowseSession session;
  if (!session.Module()) session.Open(BrowseFile(), "/project/");
  return session;
}

constexpr const char* kMask = "*rx_0#1*";

void BM_FnmatchMaskBaseline(benchmark::State& state) {
  const pm2::BrowseModule& m = *Loaded().Module();
  // The same match: the literal found anywhere (case ignored), a digit.
  std::vector<std::string> names;
  for (const pm2::BrowseName& n : m.Names()) names.emplace_back(n.text.begin(), n.text.end());
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (const std::string& n : names)
      if (::fnmatch("*rx_0[0-9]1*", n.c_str(), FNM_CASEFOLD) == 0) ++hits;
    benchmark::DoNotOptimize(hits);
  }
  state.counters["names"] = double(hits);
}

void BM_FilterByMask(benchmark::State& state) {
  const pm2::BrowseModule& m = *Loaded().Module();
  pm2::BrowseListFilter filter;
  filter.mask = kMask;
  size_t hits = 0;
  for (auto _ : state) {
    hits = pm2::FilterSymbols(m, filter).size();
    benchmark::DoNotOptimize(hits);
  }
  state.counters["names"] = double(hits);
}

BENCHMARK(BM_IfstreamBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBrowseInfo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FnmatchMaskBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterByMask)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      // With repetitions the ratio is taken of the medians.
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const std::string& n = r.run_name.function_name;
      if (n == "BM_IfstreamBaseline") read_ = r.GetAdjustedRealTime();
      if (n == "BM_LoadBrowseInfo") load_ = r.GetAdjustedRealTime();
      if (n == "BM_FnmatchMaskBaseline") fnmatch_ = r.GetAdjustedRealTime();
      if (n == "BM_FilterByMask") mask_ = r.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    pm2::bench::PrintRatio("browse load of 100,000 symbols", load_, "ifstream read", read_, 3.0);
    pm2::bench::PrintRatio("name mask over 100,000 names", mask_, "fnmatch", fnmatch_, 1.5);
  }

 private:
  double read_ = 0, load_ = 0, fnmatch_ = 0, mask_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
