// Whole-text passes of the editor engine on a 1,000,000-line file, each
// against a peer in the same run: Replace All of a one-character word
// against `sed -i` on the same file, and Mark All against `grep -c`
// writing its count to a file (GNU grep told to write to /dev/null stops at
// the first match). Prints the ratio ours/peer for each (goal: at most 3).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "editor/engine/edit_engine.h"
#include "editor/text/text_buffer.h"
#include "bench_peer.h"

namespace pm2 {
namespace {

constexpr int kLines = 1000000;

class NoClipboard : public EditClipboard {
 public:
  bool HasText() const override { return false; }
  std::optional<std::string> GetText() const override { return std::nullopt; }
  bool SetText(const std::string&) override { return false; }
};

// A window that shows nothing: the engine's passes run as they would in
// the editor, without painting.
class QuietHost : public EditHost {
 public:
  void InvalidateAll() override {}
  void InvalidateRect(int, int, int, int) override {}
  void PlaceCaret(int, int, bool) override {}
  void ScrollBarsChanged() override {}
  void ShowMessage(int, const std::string&) override {}
  EditClipboard& Clipboard() override { return m_clip; }
  bool HasFocus() const override { return false; }

 private:
  NoClipboard m_clip;
};

struct Fixture {
  bench::TempFolder folder{"pm2passes"};  // removed with the fixture
  std::string dir = folder.Path();
  std::string file;
  std::string data;
  Fixture() {
    file = dir + "/big.c";
    data.reserve(size_t(kLines) * 32);
    for (int i = 0; i < kLines; ++i)
      data += "\tsum = sum + q * " + std::to_string(i % 1000) + ";\r\n";
    std::ofstream(file, std::ios::binary) << data;
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

struct Editor {
  CEditTextBuffer text;
  EditShared shared;
  QuietHost host;
  EditEngine engine{&text, &shared, &host};
  Editor() {
    text.LoadFromBytes(Data().data);
    engine.SetMetrics(8, 16);
    engine.SetClientSize(800, 600);
    engine.InitView();
    shared.find.text = "q";
    shared.find.matchCase = true;
    shared.replacement = "r";
  }
};

void BM_ReplaceAllOurs(benchmark::State& state) {
  Editor e;
  int replaced = 0;
  for (auto _ : state) {
    replaced = e.engine.ReplaceAll();
    state.PauseTiming();
    e.engine.RunCommand(kCmdEditUndo);  // the next pass finds the words again
    state.ResumeTiming();
  }
  if (replaced != kLines) state.SkipWithError("not every word was replaced");
  state.counters["replaced"] = replaced;
}

void BM_ReplaceAllPeerSed(benchmark::State& state) {
  std::string copy = Data().dir + "/sed.c";
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(Data().file, copy, std::filesystem::copy_options::overwrite_existing);
    state.ResumeTiming();
    std::string cmd = "sed -i 's/q/r/g' " + copy;
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sed did not run");
  }
}

void BM_MarkAllOurs(benchmark::State& state) {
  Editor e;
  int marked = 0;
  for (auto _ : state) {
    marked = e.engine.MarkAll();
    state.PauseTiming();
    e.engine.ClearBookmarks();
    state.ResumeTiming();
  }
  if (marked != kLines) state.SkipWithError("not every line was marked");
  state.counters["marked"] = marked;
}

void BM_MarkAllPeerGrep(benchmark::State& state) {
  const std::string count = Data().dir + "/count.txt";
  for (auto _ : state) {
    std::string cmd = "grep -c q " + Data().file + " > " + count;
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("grep did not run");
  }
  std::ifstream in(count);
  int counted = 0;
  if (!(in >> counted) || counted != kLines) state.SkipWithError("grep did not count every line");
}

BENCHMARK(BM_ReplaceAllOurs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceAllPeerSed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MarkAllOurs)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_MarkAllPeerGrep)->Unit(benchmark::kMillisecond)->Iterations(30);

void PrintRatios(const bench::TimesReporter& times) {
  const char* pairs[][3] = {{"Replace All vs sed -i", "BM_ReplaceAllOurs", "BM_ReplaceAllPeerSed"},
                            {"Mark All vs grep -c", "BM_MarkAllOurs", "BM_MarkAllPeerGrep"}};
  for (auto& p : pairs) {
    const double a = times.Time(p[1]), b = times.Time(p[2]);
    bench::PrintRatio(std::string(p[0]) + " (1,000,000 lines)", a, "peer", b, 3.0);
  }
}

}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  return pm2::bench::RunAndReport(argc, argv, pm2::PrintRatios);
}
