#include "debugger/model/perf_analyzer_stats.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pm2 {

namespace {

std::string RangeName(const DbgPaRangeRecord& r) {
  if (!r.name) return {};
  const uint32_t len = std::min<uint32_t>(r.nameLength, 255);
  const void* nul = std::memchr(r.name, 0, len);
  std::string s(r.name, nul ? std::size_t(static_cast<const char*>(nul) - r.name) : len);
  if (!s.empty() && s[0] == '`') s.erase(0, 1);
  return s;
}

}  // namespace

std::string PaSeconds(double seconds) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%6.6f", seconds);
  return buf;
}

std::vector<PaRow> PaComputeRows(DbgPaRangeRecord* remainder, DbgPaRangeRecord* ranges, uint64_t now, uint64_t base) {
  std::vector<PaRow> rows;
  const uint64_t elapsed = now > base ? now - base : 0;
  const double onePercent = double(elapsed) * 0.01;
  uint64_t sum = 0;
  int n = 0;
  std::vector<PaRow> ranged;
  for (DbgPaRangeRecord* r = ranges; r && n < kPaMaxRanges; r = r->next, ++n) {
    if (r == remainder) break;
    sum += r->totalTime;
    const double pct = onePercent > 0 ? double(r->totalTime) / onePercent : 0.0;
    r->percent = float(pct);
    ranged.push_back(PaRow{r, RangeName(*r), pct, false});
  }
  if (remainder) {
    const uint64_t rest = elapsed > sum ? elapsed - sum : 0;
    remainder->totalTime = rest;
    double pct = onePercent > 0 ? double(rest) / onePercent : 0.0;
    pct = std::clamp(pct, 0.0, 100.0);
    remainder->percent = float(pct);
    rows.push_back(PaRow{remainder, RangeName(*remainder), pct, true});
  }
  rows.insert(rows.end(), ranged.begin(), ranged.end());
  return rows;
}

int PaBarWidth(double percent, double pixelsPerPercent, int boxWidth) {
  if (pixelsPerPercent <= 0 || boxWidth <= 0 || !(percent > 0)) return 0;
  const double w = percent * pixelsPerPercent;
  return w >= double(boxWidth) ? boxWidth : int(w);
}

}  // namespace pm2
