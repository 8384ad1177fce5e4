// Scrolling the disassembly window by a page over a scripted listing of
// 20,000 lines, painted each time, against a QPlainTextEdit holding the
// same lines in a window of the same size scrolled by the same number of
// lines and painted, in the same run. Prints the time of each and the
// ratio (goal: ours no slower).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <map>
#include <string>

#include "../tests/debugger/fake_debug_record.h"
#include "debugger/windows/disassembly_window.h"
#include "bench_peer.h"

namespace {

constexpr int kListing = 20000;
constexpr int kPages = 200;
constexpr int kWidth = 640, kHeight = 480;

void BM_DisassemblyPageDown(benchmark::State& state) {
  pm2::test::FakeListing(kListing);
  pm2::test::Fake().pc = 0x100;
  DebugInterface* record = pm2::test::FakeRecord();
  pm2::DisassemblyHost host;
  host.record = [record] { return record; };
  host.active = [] { return true; };
  pm2::DisassemblyView view(host);
  view.resize(kWidth, kHeight);
  view.show();
  QApplication::processEvents();
  long lines = 0;
  // The lines' area, as the view repaints it after a scroll (the peer's viewport).
  const pm2::DisassemblyView::Geometry g = view.Layout();
  const QRect area(0, 0, g.text.right() + 1, g.text.height());
  for (auto _ : state) {
    view.ScrollToAddress(0x100);
    for (int i = 0; i < kPages; ++i) {
      view.Cache().PageDown();
      view.repaint(area);
    }
    lines += long(kPages) * (view.Cache().Visible() - 1);
  }
  state.counters["lines"] = double(lines) / double(state.iterations());
}

void BM_QPlainTextEditPageDown(benchmark::State& state) {
  pm2::test::FakeListing(kListing);
  QString text;
  for (const auto& line : pm2::test::Fake().listing) text += QString::fromStdString(line.text) + '\n';
  QPlainTextEdit edit;
  edit.setReadOnly(true);
  edit.setLineWrapMode(QPlainTextEdit::NoWrap);
  edit.setFont(QFont("monospace"));
  edit.setPlainText(text);
  edit.resize(kWidth, kHeight);
  edit.show();
  QApplication::processEvents();
  QScrollBar* bar = edit.verticalScrollBar();
  // The same step as the disassembly's page: its visible lines less one.
  pm2::DisassemblyHost host;
  pm2::DisassemblyView probe(host);
  probe.resize(kWidth, kHeight);
  const int step = probe.Layout().visible - 1;
  for (auto _ : state) {
    bar->setValue(0);
    for (int i = 0; i < kPages; ++i) {
      bar->setValue(bar->value() + step);
      edit.viewport()->repaint();
    }
  }
}

BENCHMARK(BM_DisassemblyPageDown)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QPlainTextEditPageDown)->Unit(benchmark::kMillisecond)->Iterations(5);


}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, [](const pm2::bench::TimesReporter& times) {
    const double ours = times.Time("BM_DisassemblyPageDown/iterations:5");
    const double peer = times.Time("BM_QPlainTextEditPageDown/iterations:5");
    pm2::bench::PrintRatio(std::to_string(kPages) + " pages of the disassembly window", ours, "QPlainTextEdit", peer,
                           1.0);
  });
}
