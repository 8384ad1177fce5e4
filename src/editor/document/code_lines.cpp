#include "editor/document/code_lines.h"

#include <algorithm>

namespace pm2 {

namespace {

// DbgBreakpoint: op 1 the state at an address (1 enabled, 2 disabled), op 7
// the same with the executed bits.
constexpr int32_t kBpState = 1, kBpMarks = 7;
constexpr uint32_t kBpEnabledBit = 0x1, kBpDisabledBit = 0x2, kBpExecutedBits = 0xC;

const std::vector<CodeRange> kNoRanges;

}  // namespace

CodeLines::CodeLines(const DbgLineTableRecord* table) {
  if (!table || !table->pairs || table->count == 0) return;
  // The pairs that count: of a run of pairs with one address only the last
  // line; an end there counts only without a line.
  std::vector<std::pair<uint32_t, uint32_t>> kept;
  for (uint32_t i = 0; i < table->count; ++i) {
    const DbgLinePair& p = table->pairs[i];
    if (i + 1 < table->count && table->pairs[i + 1].address == p.address && (p.line == 0 || table->pairs[i + 1].line != 0))
      continue;
    kept.emplace_back(p.address, p.line);
  }
  // In address order; a later line of one address still wins, and any
  // line wins over an end.
  std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& p : kept) {
    if (!m_pairs.empty() && m_pairs.back().first == p.first) {
      if (p.second != 0) m_pairs.back() = p;
    } else {
      m_pairs.push_back(p);
    }
  }
  for (std::size_t i = 0; i < m_pairs.size(); ++i) {
    const auto [address, line] = m_pairs[i];
    if (line == 0) continue;
    auto first = m_first.emplace(line, address).first;
    first->second = std::min(first->second, address);
    const uint32_t end = i + 1 < m_pairs.size() ? m_pairs[i + 1].first : address + 1;
    std::vector<CodeRange>& ranges = m_ranges[line];
    if (!ranges.empty() && ranges.back().end == address)
      ranges.back().end = end;
    else if (end > address)
      ranges.push_back(CodeRange{address, end});
  }
}

bool CodeLines::Address(uint32_t line, uint32_t* address) const {
  auto it = m_first.find(line);
  if (it == m_first.end()) return false;
  *address = it->second;
  return true;
}

bool CodeLines::AddressAtOrAfter(uint32_t line, uint32_t* address) const {
  auto it = m_first.lower_bound(line);
  if (it == m_first.end()) return false;
  *address = it->second;
  return true;
}

const std::vector<CodeRange>& CodeLines::Ranges(uint32_t line) const {
  auto it = m_ranges.find(line);
  return it == m_ranges.end() ? kNoRanges : it->second;
}

uint32_t LineBreakState(uint32_t address, const std::vector<CodeRange>& ranges,
                        const std::function<uint32_t(uint32_t, int32_t)>& query) {
  uint32_t own = query(address, kBpMarks);
  if (own == uint32_t(-1)) own = 0;
  uint32_t box = own & (kBpEnabledBit | kBpDisabledBit);
  for (const CodeRange& r : ranges) {
    const uint32_t end = r.end - r.begin > kMaxLineScan ? r.begin + kMaxLineScan : r.end;
    for (uint32_t a = r.begin; a < end && !(box & kBpEnabledBit); ++a) {
      if (a == address) continue;
      const uint32_t s = query(a, kBpState);
      if (s == 1) box = kBpEnabledBit;
      else if (s == 2) box |= kBpDisabledBit;
    }
  }
  // One enabled breakpoint makes the box red.
  if (box & kBpEnabledBit) box = kBpEnabledBit;
  return (own & kBpExecutedBits) | box;
}

std::vector<uint32_t> LineBreakpoints(const std::vector<CodeRange>& ranges,
                                      const std::function<uint32_t(uint32_t, int32_t)>& query) {
  std::vector<uint32_t> out;
  for (const CodeRange& r : ranges) {
    const uint32_t end = r.end - r.begin > kMaxLineScan ? r.begin + kMaxLineScan : r.end;
    for (uint32_t a = r.begin; a < end; ++a) {
      const uint32_t s = query(a, kBpState);
      if (s == 1 || s == 2) out.push_back(a);
    }
  }
  return out;
}

}  // namespace pm2
