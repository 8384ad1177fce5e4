#include "builder/commands/link_ranges.h"

#include <algorithm>

#include "project/model/option_block.h"

namespace pm2 {

LinkRange ToLinkRange(const MemRangeRec& m) {
  return LinkRange{m.start, uint64_t{m.start} + m.size};
}

void SortAndJoin(LinkRange* ranges, std::size_t& count) {
  std::stable_sort(ranges, ranges + count,
                   [](const LinkRange& a, const LinkRange& b) { return a.start < b.start; });
  std::size_t out = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (out && ranges[i].start <= ranges[out - 1].end)
      ranges[out - 1].end = std::max(ranges[out - 1].end, ranges[i].end);
    else
      ranges[out++] = ranges[i];
  }
  count = out;
}

}  // namespace pm2
