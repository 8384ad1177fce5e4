// 1 MB of serial text into a serial window (the terminal buffer and the
// view, shown on the offscreen platform and painted at the end) against
// QPlainTextEdit::appendPlainText with the same lines in a window of the
// same size, in the same run. The text arrives a line at a time (as a
// driver hands over what the target sent) and a byte at a time (as the
// GDB driver's UART stand-in posts it). Prints the time of each and the
// ratio (goal: ours no slower).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "debugger/dialogs/serial_window.h"
#include "debugger/model/serial_terminal.h"
#include "bench_peer.h"

namespace {

constexpr std::size_t kBytes = 1 << 20;
constexpr int kWidth = 640, kHeight = 240;

const std::vector<std::string>& Lines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    std::size_t total = 0;
    char buf[96];
    for (int i = 0; total < kBytes; ++i) {
      std::snprintf(buf, sizeof buf, "LED %d on, tick %08d, ADC %4d mV\r\n", i % 8, i, (i * 37) % 3300);
      out.emplace_back(buf);
      total += out.back().size();
    }
    return out;
  }();
  return lines;
}

void SerialWindowAppend(benchmark::State& state, bool byteAtATime) {
  const auto& lines = Lines();
  for (auto _ : state) {
    pm2::SerialTerminal terminal;
    pm2::SerialWindow w(0, terminal, false, nullptr);
    w.resize(kWidth, kHeight);
    w.show();
    QApplication::processEvents();
    for (const std::string& line : lines) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(line.data());
      if (byteAtATime)
        for (std::size_t i = 0; i < line.size(); ++i) w.WriteBytes(bytes + i, 1);
      else
        w.WriteBytes(bytes, int(line.size()));
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(w.RowCount());
  }
}

void BM_SerialWindowLines(benchmark::State& state) { SerialWindowAppend(state, false); }
void BM_SerialWindowBytes(benchmark::State& state) { SerialWindowAppend(state, true); }

void BM_QPlainTextEditAppend(benchmark::State& state) {
  const auto& lines = Lines();
  for (auto _ : state) {
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit.resize(kWidth, kHeight);
    edit.show();
    QApplication::processEvents();
    for (const std::string& line : lines)
      edit.appendPlainText(QString::fromLatin1(line.data(), qsizetype(line.size() - 2)));  // without "\r\n"
    QApplication::processEvents();
    benchmark::DoNotOptimize(edit.blockCount());
  }
}

BENCHMARK(BM_SerialWindowLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SerialWindowBytes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QPlainTextEditAppend)->Unit(benchmark::kMillisecond)->Iterations(3);


}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, [](const pm2::bench::TimesReporter& times) {
    const double peer = times.Time("BM_QPlainTextEditAppend/iterations:3");
    for (const char* ours : {"BM_SerialWindowLines/iterations:3", "BM_SerialWindowBytes/iterations:3"}) {
      const double t = times.Time(ours);
      if (t > 0 && peer > 0)
        std::printf("1 MB of serial text: %s %.1f ms, QPlainTextEdit %.1f ms; ratio ours/peer %.3f (%s)\n", ours, t,
                    peer, t / peer, t <= peer ? "no slower" : "slower");
    }
  });
}
