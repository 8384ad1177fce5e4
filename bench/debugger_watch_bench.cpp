// Refreshing a watch window of 1,000 expressions after a stop (each one
// evaluated through the driver record, its text stored, changed rows
// marked, the window painted) against filling a QTreeWidget with the same
// 1,000 names and values and painting it, in the same run. The driver
// answers from memory, as the peer asks no driver. Prints the time of each
// and the ratio (goal: ours no slower).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "debugger/model/watch_format.h"
#include "debugger/windows/watch_window.h"
#include "bench_peer.h"

namespace pm2 {
namespace {

constexpr int kRows = 1000;
constexpr int kWidth = 500, kHeight = 700;
int g_generation = 0;  // the values change with every refresh

// "v123" evaluates to a number that changes for every third row.
intptr_t Control(int32_t code, intptr_t a, intptr_t) {
  if (code != kDbgCtlWatchEval) return 1;
  auto* v = reinterpret_cast<DbgWatchValue*>(a);
  const int n = std::atoi(v->expression + 1);
  v->code = kDbgTypeScalar;
  std::snprintf(v->text, sizeof v->text, "%d", n * 7 + (n % 3 == 0 ? g_generation : 0));
  return 0;
}

std::string Name(int i) { return "v" + std::to_string(i); }

void Paint(QWidget* w, QImage& image) {
  QPainter p(&image);
  w->render(&p);
}

void BM_RefreshOurs(benchmark::State& state) {
  DebugInterface record{};
  record.flags = kDbgFlagActive;
  record.DbgControl = Control;
  DebugInterface* active = &record;
  WatchWindow window(false, &active, WatchEnvironment{});
  window.resize(kWidth, kHeight);
  window.show();
  window.Attach();
  for (int i = 0; i < kRows; ++i) window.AddExpression(Name(i));
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    ++g_generation;
    window.Refresh();
    Paint(&window, image);
  }
  state.counters["rows"] = double(window.GetItemCount());
}

void BM_FillPeer(benchmark::State& state) {
  std::vector<QString> names, values;
  for (int i = 0; i < kRows; ++i) {
    names.push_back(QString::fromStdString(Name(i)));
    values.push_back(QString::fromStdString(WatchValueCell(std::to_string(i * 7))));
  }
  QTreeWidget tree;
  tree.setColumnCount(2);
  tree.setHeaderLabels({"Name", "Value"});
  tree.resize(kWidth, kHeight);
  tree.show();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    tree.setUpdatesEnabled(false);
    tree.clear();
    for (int i = 0; i < kRows; ++i) {
      auto* item = new QTreeWidgetItem(&tree);
      item->setText(0, names[std::size_t(i)]);
      item->setText(1, values[std::size_t(i)]);
    }
    tree.setUpdatesEnabled(true);
    Paint(&tree, image);
  }
}

BENCHMARK(BM_RefreshOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPeer)->Unit(benchmark::kMillisecond);


}  // namespace
}  // namespace pm2

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, [](const pm2::bench::TimesReporter& times) {
    const double ours = times.Time("BM_RefreshOurs"), peer = times.Time("BM_FillPeer");
    pm2::bench::PrintRatio("refresh a watch window of 1,000 expressions", ours, "QTreeWidget", peer, 1.0);
  });
}
