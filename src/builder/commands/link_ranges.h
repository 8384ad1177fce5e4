// Memory ranges of the linker control files: a start and an exclusive end,
// in 64 bits so that a range reaching the top of the 32-bit space cannot
// wrap. Lists are small fixed-capacity arrays; what does not fit is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pm2 {

struct MemRangeRec;

struct LinkRange {
  uint64_t start = 0;
  uint64_t end = 0;  // first address after the range
  uint64_t Last() const { return end - 1; }
  bool Empty() const { return end <= start; }
};

template <std::size_t N>
struct LinkRangeList {
  LinkRange r[N];
  std::size_t n = 0;
  // Adds a non-empty range; false when the list is full (the range is dropped).
  bool Add(LinkRange range) {
    if (range.Empty()) return true;
    if (n >= N) return false;
    r[n++] = range;
    return true;
  }
  const LinkRange* begin() const { return r; }
  const LinkRange* end() const { return r + n; }
};

LinkRange ToLinkRange(const MemRangeRec& m);

// Sorts by start, then joins each range with the following ones that start
// no later than the first address after its end.
void SortAndJoin(LinkRange* ranges, std::size_t& count);
template <std::size_t N>
void SortAndJoin(LinkRangeList<N>& list) { SortAndJoin(list.r, list.n); }

}  // namespace pm2
