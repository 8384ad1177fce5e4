// What the benches share: every run's time kept by name, so that after
// all runs a bench can print its ratio against the peer measured in the
// same run, and a private scratch folder removed at exit.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pm2::bench {

class TimesReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      // A run that stopped with an error has no time to compare.
      const double t = r.error_occurred ? 0.0 : r.GetAdjustedRealTime();
      times_[r.benchmark_name()] = t;
      times_[r.run_name.function_name] = t;
    }
  }
  // The adjusted real time of a benchmark by its full name
  // ("BM_Open/iterations:2") or by its function's name (its last variant
  // run); 0 when it did not run or stopped with an error.
  double Time(const std::string& name) const {
    const auto it = times_.find(name);
    return it == times_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};

// The results a bench found different between ours and the peer: each
// side must do the work it is timed for, and a peer that does less (or
// more) than ours makes the comparison void. RunAndReport lists them and
// fails the run when there is any.
inline std::vector<std::string>& Mismatches() {
  static std::vector<std::string> found;
  return found;
}

// Notes a mismatch (and stops the benchmark's run with it) unless the two
// results are the same.
template <class T>
bool SameResult(benchmark::State& state, const std::string& what, const T& ours, const T& peer) {
  if (ours == peer) return true;
  state.SkipWithError(("results differ: " + what).c_str());
  Mismatches().push_back(what);
  return false;
}

// Runs the benchmarks the command line selects, then report(times) prints
// the ratios; exit status 1 when a peer's result differed from ours.
template <class Report>
int RunAndReport(int argc, char** argv, Report report) {
  benchmark::Initialize(&argc, argv);
  TimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  report(static_cast<const TimesReporter&>(reporter));
  benchmark::Shutdown();
  for (const std::string& m : Mismatches()) std::printf("FAILED: ours and the peer's results differ: %s\n", m.c_str());
  return Mismatches().empty() ? 0 : 1;
}

// One comparison's closing line: what was measured, both times, the ratio
// ours/peer and the goal with whether this run met it. Nothing when either
// side did not run.
inline void PrintRatio(const std::string& what, double ours, const std::string& peer, double theirs,
                       double goal, const char* unit = "ms") {
  if (ours <= 0 || theirs <= 0) return;
  const double ratio = ours / theirs;
  std::printf("%s: ours %.2f %s, %s %.2f %s; ratio %.2f (goal <= %.2f: %s)\n", what.c_str(), ours, unit,
              peer.c_str(), theirs, unit, ratio, goal, ratio <= goal ? "met" : "NOT met");
}

// The same against a physical baseline (a plain split or print of the same
// bytes, which no user would pick instead): the ratio is told, the goal is
// on our own time (what a user waits for).
inline void PrintAgainstBaseline(const std::string& what, double ours, const std::string& baseline, double base,
                                 double goal, const char* unit = "ms") {
  if (ours <= 0 || base <= 0) return;
  std::printf("%s: ours %.2f %s, %s %.2f %s (%.1fx); goal ours <= %.2f %s: %s\n", what.c_str(), ours, unit,
              baseline.c_str(), base, unit, ours / base, goal, unit, ours <= goal ? "met" : "NOT met");
}

// A new folder /tmp/<prefix>XXXXXX, removed with everything in it when the
// object goes. Without one the bench cannot run: it stops.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace pm2::bench
