// Appending 100,000 build lines to the output window's build page, shown
// on the offscreen platform and painted once at the end, against
// QPlainTextEdit::appendPlainText with the same lines in a window of the
// same size, in the same run. Ours is measured as lines arrive one by one
// and as the tool runner brackets them with the redraw-off and -on texts.
// Prints the time of each and the ratio (goal: ours no slower).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "project/model/app_state.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "bench_peer.h"

namespace {

constexpr int kLines = 100000;
constexpr int kWidth = 640, kHeight = 240;

const std::vector<std::string>& Lines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    out.reserve(kLines);
    char buf[160];
    for (int i = 0; i < kLines; ++i) {
      switch (i % 4) {
        case 0: std::snprintf(buf, sizeof buf, "compiling module%05d.c...\r\n", i); break;
        case 1: std::snprintf(buf, sizeof buf, "module%05d.c(%d): warning: unused variable 'n%d'\r\n", i, i % 700, i); break;
        case 2: std::snprintf(buf, sizeof buf, "module%05d.c(%d): error: 'IOSET%d' undeclared (first use in this function)\r\n", i, i % 900, i % 3); break;
        default: std::snprintf(buf, sizeof buf, "assembling startup%05d.s...\r\n", i); break;
      }
      out.emplace_back(buf);
    }
    return out;
  }();
  return lines;
}

void AppendToOutWin(benchmark::State& state, bool bracketed) {
  pm2::ShellServices shell;
  const auto& lines = Lines();
  for (auto _ : state) {
    pm2::COutWin win(nullptr, shell);
    win.resize(kWidth, kHeight);
    win.show();
    QApplication::processEvents();
    if (bracketed) win.OutputText("\xFF");
    for (const std::string& line : lines) win.OutputText(line.c_str());
    if (bracketed) win.OutputText("\xFE");
    QApplication::processEvents();
    benchmark::DoNotOptimize(win.BuildPane()->Model().Count());
  }
}

void BM_OutWinAppend(benchmark::State& state) { AppendToOutWin(state, false); }
void BM_OutWinAppendBracketed(benchmark::State& state) { AppendToOutWin(state, true); }

void BM_QPlainTextEditAppend(benchmark::State& state) {
  const auto& lines = Lines();
  for (auto _ : state) {
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setFont(pm2::COutView::DefaultFont());
    edit.resize(kWidth, kHeight);
    edit.show();
    QApplication::processEvents();
    for (const std::string& line : lines) {
      // The same line as the pane shows it: without its line end.
      edit.appendPlainText(QString::fromLocal8Bit(line.data(), qsizetype(line.size() - 2)));
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(edit.blockCount());
  }
}

BENCHMARK(BM_OutWinAppend)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OutWinAppendBracketed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QPlainTextEditAppend)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double peer = times.Time("BM_QPlainTextEditAppend/iterations:3");
  for (const char* ours : {"BM_OutWinAppend/iterations:3", "BM_OutWinAppendBracketed/iterations:3"}) {
    const double t = times.Time(ours);
    if (t > 0 && peer > 0)
      std::printf("100,000 lines: %s %.1f ms, QPlainTextEdit %.1f ms; ratio ours/peer %.3f (%s)\n", ours, t, peer,
                  t / peer, t <= peer ? "no slower" : "slower");
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
