// A list of 100,000 rows in 4 columns, scrolled a page at a time and painted
// into a QImage: our owner-drawn SECListCtrl against Qt's QListWidget
// holding the same rows (joined into one text per row, as it has no
// columns), in the same run. Prints the time per page of each and the ratio
// (goal: ours no slower).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <cstdio>
#include <map>
#include <string>

#include "toolkit/controls/list_ctrl.h"
#include "bench_peer.h"

namespace {

constexpr int kRows = 100000;
constexpr int kWidth = 480;
constexpr int kHeight = 400;

std::string Cell(int row, int col) {
  char buf[64];
  switch (col) {
    case 0: std::snprintf(buf, sizeof buf, "symbol_%06d", row); break;
    case 1: std::snprintf(buf, sizeof buf, "0x%08X", 0x20000000 + row * 4); break;
    case 2: std::snprintf(buf, sizeof buf, "%s", row % 3 ? "unsigned int" : "struct reading"); break;
    default: std::snprintf(buf, sizeof buf, "%d", row * 7); break;
  }
  return buf;
}

void BM_SECListCtrlPage(benchmark::State& state) {
  pm2::SECListCtrl list(nullptr, pm2::LVS_REPORT | pm2::LVS_NOLABELWRAP);
  list.resize(kWidth, kHeight);
  const char* names[] = {"Symbol", "Address", "Type", "Value"};
  for (const char* n : names) list.AddColumn(n, pm2::LVCFMT_LEFT, 110);
  for (int r = 0; r < kRows; ++r) {
    list.InsertItemText(r, Cell(r, 0));
    for (int c = 1; c < 4; ++c) list.SetItemText(r, c, Cell(r, c));
  }
  list.UpdateScrollBars();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    list.OnVScroll(pm2::ScrollCode::PageDown);
    if (list.GetTopIndex() >= kRows - 100) list.OnVScroll(pm2::ScrollCode::Top);
    list.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_QListWidgetPage(benchmark::State& state) {
  QListWidget list;
  list.resize(kWidth, kHeight);
  list.setUniformItemSizes(true);
  for (int r = 0; r < kRows; ++r) {
    std::string text = Cell(r, 0) + "\t" + Cell(r, 1) + "\t" + Cell(r, 2) + "\t" + Cell(r, 3);
    list.addItem(QString::fromStdString(text));
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QScrollBar* bar = list.verticalScrollBar();
  for (auto _ : state) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    if (bar->value() >= bar->maximum()) bar->setValue(0);
    list.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

BENCHMARK(BM_SECListCtrlPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QListWidgetPage)->Unit(benchmark::kMicrosecond);

void PrintRatios(const pm2::bench::TimesReporter& times) {
  const double ours = times.Time("BM_SECListCtrlPage"), peer = times.Time("BM_QListWidgetPage");
  pm2::bench::PrintRatio("a page of the 100,000-row list", ours, "QListWidget", peer, 1.0, "us");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return pm2::bench::RunAndReport(argc, argv, PrintRatios);
}
