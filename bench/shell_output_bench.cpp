// Appending 100,000 build lines to the output window's build page, shown
// on the offscreen platform and painted once at the end, against the ways a
// Qt program would append them in a window of the same size, in the same
// run: QPlainTextEdit::appendPlainText with chunks of 1,000 lines, and a
// QListView with uniform rows over a list model that takes the chunks.
// Ours is measured as lines arrive one by one and as the tool runner
// brackets them with the redraw-off and -on texts. Prints the time of each
// and the ratio against the faster peer (goal: ours no slower).

#include <benchmark/benchmark.h>

#include <QAbstractListModel>
#include <QApplication>
#include <QListView>
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
constexpr int kChunk = 1000;  // lines a peer takes at once

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

// The same line as the pane shows it: without its line end.
QString Shown(const std::string& line) { return QString::fromLocal8Bit(line.data(), qsizetype(line.size() - 2)); }

void BM_QPlainTextEditChunks(benchmark::State& state) {
  const auto& lines = Lines();
  for (auto _ : state) {
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setFont(pm2::COutView::DefaultFont());
    edit.resize(kWidth, kHeight);
    edit.show();
    QApplication::processEvents();
    QString chunk;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!chunk.isEmpty()) chunk += QLatin1Char('\n');
      chunk += Shown(lines[i]);
      if ((i + 1) % kChunk == 0 || i + 1 == lines.size()) {
        edit.appendPlainText(chunk);
        chunk.clear();
      }
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(edit.blockCount());
  }
}

// A list model that takes lines in chunks, as a Qt program keeps a log.
class LineModel : public QAbstractListModel {
 public:
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : int(lines_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || index.row() >= int(lines_.size())) return {};
    return lines_[size_t(index.row())];
  }
  void Append(std::vector<QString>& chunk) {
    const int first = int(lines_.size());
    beginInsertRows(QModelIndex(), first, first + int(chunk.size()) - 1);
    for (QString& l : chunk) lines_.push_back(std::move(l));
    endInsertRows();
    chunk.clear();
  }

 private:
  std::vector<QString> lines_;
};

void BM_QListViewModel(benchmark::State& state) {
  const auto& lines = Lines();
  for (auto _ : state) {
    LineModel model;
    QListView view;
    view.setUniformItemSizes(true);
    view.setFont(pm2::COutView::DefaultFont());
    view.setModel(&model);
    view.resize(kWidth, kHeight);
    view.show();
    QApplication::processEvents();
    std::vector<QString> chunk;
    chunk.reserve(kChunk);
    for (size_t i = 0; i < lines.size(); ++i) {
      chunk.push_back(Shown(lines[i]));
      if (chunk.size() == size_t(kChunk) || i + 1 == lines.size()) model.Append(chunk);
    }
    view.scrollToBottom();
    QApplication::processEvents();
    benchmark::DoNotOptimize(model.rowCount());
  }
}

BENCHMARK(BM_OutWinAppend)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OutWinAppendBracketed)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QPlainTextEditChunks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QListViewModel)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double edit = times.Time("BM_QPlainTextEditChunks/iterations:3");
  const double list = times.Time("BM_QListViewModel/iterations:3");
  const bool editFaster = edit > 0 && (list <= 0 || edit <= list);
  const double peer = editFaster ? edit : list;
  const char* peerName = editFaster ? "QPlainTextEdit in chunks" : "QListView over a model";
  pm2::bench::PrintRatio("100,000 lines, one at a time", times.Time("BM_OutWinAppend/iterations:3"), peerName,
                         peer, 1.0);
  pm2::bench::PrintRatio("100,000 lines, bracketed by the runner", times.Time("BM_OutWinAppendBracketed/iterations:3"),
                         peerName, peer, 1.0);
}

// The font database, glyph caches and style are loaded once per process,
// and the first run of 100,000 lines in a process grows the heap that
// later runs reuse (it took 30-40% longer than the same run right after
// it, for the same instructions): without a warm-up the first bench to run
// (ours) would pay for both alone. So the warm-up appends every line once.
void WarmUp() {
  pm2::ShellServices shell;
  pm2::COutWin win(nullptr, shell);
  win.resize(kWidth, kHeight);
  win.show();
  for (const std::string& line : Lines()) win.OutputText(line.c_str());
  QPlainTextEdit edit;
  edit.setFont(pm2::COutView::DefaultFont());
  edit.appendPlainText(Shown(Lines()[0]));
  edit.show();
  QListView view;
  view.setFont(pm2::COutView::DefaultFont());
  view.show();
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  WarmUp();
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
