// The performance analyser without a window: each range's share of the
// elapsed time, the remainder row, the statistics texts and the bar's
// width (clipped to the scale, so a range above 100 % never draws past it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "driver_abi/debug_records.h"

namespace pm2 {

// At most this many range records are walked (a driver list that loops
// or runs on is cut here).
constexpr int kPaMaxRanges = 4096;

struct PaRow {
  const DbgPaRangeRecord* record = nullptr;
  std::string name;  // as shown: a leading "`" dropped, bounded
  double percent = 0;
  bool remainder = false;
};

// Computes the percentages (written into the records as the view does)
// and gives the rows, the remainder first. now: the time counter while
// active, else the frozen time.
std::vector<PaRow> PaComputeRows(DbgPaRangeRecord* remainder, DbgPaRangeRecord* ranges, uint64_t now, uint64_t base);

// The bar's filled width in pixels: percent × pixels per percent, clipped
// to [0, the bar box's width].
int PaBarWidth(double percent, double pixelsPerPercent, int boxWidth);

// The statistics texts of a row (count, min, max, average, total,
// percentage); toSeconds converts cycles.
struct PaStatsText {
  std::string count, minimum, maximum, average, total, percent;
};
template <typename ToSeconds>
PaStatsText PaStatistics(const PaRow& row, ToSeconds toSeconds);

std::string PaSeconds(double seconds);

template <typename ToSeconds>
PaStatsText PaStatistics(const PaRow& row, ToSeconds toSeconds) {
  PaStatsText t;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%3.1f", row.percent);
  t.percent = buf;
  const DbgPaRangeRecord* r = row.record;
  if (!r) return t;
  t.total = PaSeconds(toSeconds(r->totalTime));
  if (row.remainder) return t;
  std::snprintf(buf, sizeof buf, "%u", r->count);
  t.count = buf;
  auto edge = [&](uint64_t v) { return PaSeconds(v == 0 || v == ~uint64_t(0) ? 0.0 : toSeconds(v)); };
  t.minimum = edge(r->minTime);
  t.maximum = edge(r->maxTime);
  const uint64_t avg = (r->count && r->totalTime) ? r->totalTime / r->count : 0;
  t.average = PaSeconds(avg ? toSeconds(avg) : 0.0);
  return t;
}

}  // namespace pm2
