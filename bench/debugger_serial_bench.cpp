// 1 MB of serial text into a serial window (the terminal buffer and the
// view, shown on the offscreen platform and painted at the end) against
// the way a Qt program would show it in a window of the same size, in the
// same run: the text gathered into chunks of about 4 KB (100 lines, what
// one read of a port gives) and each chunk appended to a QPlainTextEdit.
// Ours gets the text a line at a time (as a driver hands over what the
// target sent) and a byte at a time (as the GDB driver's UART stand-in
// posts it). Prints the time of each and the ratio (goal: ours no slower).

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

void BM_QPlainTextEditChunks(benchmark::State& state) {
  constexpr int kChunk = 100;
  const auto& lines = Lines();
  for (auto _ : state) {
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit.resize(kWidth, kHeight);
    edit.show();
    QApplication::processEvents();
    QString chunk;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!chunk.isEmpty()) chunk += QLatin1Char('\n');
      chunk += QString::fromLatin1(lines[i].data(), qsizetype(lines[i].size() - 2));  // without "\r\n"
      if ((i + 1) % kChunk == 0 || i + 1 == lines.size()) {
        edit.appendPlainText(chunk);
        chunk.clear();
      }
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(edit.blockCount());
  }
}

BENCHMARK(BM_SerialWindowLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SerialWindowBytes)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QPlainTextEditChunks)->Unit(benchmark::kMillisecond)->Iterations(3);


}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, [](const pm2::bench::TimesReporter& times) {
    const double peer = times.Time("BM_QPlainTextEditChunks/iterations:3");
    pm2::bench::PrintRatio("1 MB of serial text, a line at a time", times.Time("BM_SerialWindowLines/iterations:3"),
                           "QPlainTextEdit in 4 KB chunks", peer, 1.0);
    pm2::bench::PrintRatio("1 MB of serial text, a byte at a time", times.Time("BM_SerialWindowBytes/iterations:3"),
                           "QPlainTextEdit in 4 KB chunks", peer, 1.0);
  });
}
