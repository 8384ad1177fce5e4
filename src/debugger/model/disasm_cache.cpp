#include "debugger/model/disasm_cache.h"

#include <algorithm>
#include <cstring>

namespace pm2 {

namespace {
DisasmLine EndLine() {
  DisasmLine l{};
  l.kind = kDisasmEnd;
  return l;
}
}  // namespace

void RecordDisasmSource::Next(DisasmLine& line) {
  DebugInterface* r = Record();
  if (r && r->DbgGetDisasmLine)
    r->DbgGetDisasmLine(&line);
  else
    line.kind = kDisasmEnd;
}
void RecordDisasmSource::Prev(DisasmLine& line) {
  DebugInterface* r = Record();
  if (r && r->DbgPrevDisasmLine)
    r->DbgPrevDisasmLine(&line);
  else
    line.kind = kDisasmEnd;
}
void RecordDisasmSource::Refresh(DisasmLine& line) {
  DebugInterface* r = Record();
  if (r && r->DbgRefreshDisasmLine) r->DbgRefreshDisasmLine(&line);
}
std::string RecordDisasmSource::Text(DisasmLine& line) {
  DebugInterface* r = Record();
  if (!r || !r->DbgDisasmLineText) return {};
  const char* text = reinterpret_cast<const char*>(r->DbgDisasmLineText(&line));
  return text ? std::string(text) : std::string();
}
void RecordDisasmSource::Request(uint32_t address) {
  DebugInterface* r = Record();
  if (!r) return;
  r->disasmRequest[0] = address;
  r->disasmRequest[1] = address;
}

void RecordDisasmSource::Shown(uint32_t address) {
  if (DebugInterface* r = Record()) r->shownAddress = address;
}

void DisasmCache::Resize(int visible) {
  visible = std::max(1, visible);
  if (visible == m_visible) return;
  const DisasmLine first = m_lines.empty() ? DisasmLine{} : m_lines[0];
  m_visible = visible;
  m_lines.assign(size_t(visible + 2), DisasmLine{});
  m_texts.assign(size_t(visible + 2), std::string());
  m_lines[0] = first;
  m_cursor = -1;
  if (first.kind == kDisasmRequest || first.kind == kDisasmEnd) return;  // nothing shown yet
  FillFrom(first);
}

void DisasmCache::Fetch(int slot, const DisasmLine& line) {
  DisasmLine& l = m_lines[size_t(slot)];
  l = line;
  if (Ends(l)) {
    m_texts[size_t(slot)].clear();
    l.length = 0;
    return;
  }
  m_source.Refresh(l);
  std::string text = m_source.Text(l);
  if (text.size() > kMaxText) text.resize(kMaxText);
  l.length = uint16_t(text.size());
  m_texts[size_t(slot)] = std::move(text);
}

void DisasmCache::FillFrom(DisasmLine record) {
  for (int i = 0; i < Size(); ++i) {
    Fetch(i, record);
    if (Ends(record)) {
      // The rest of the cache is past the end.
      for (int k = i + 1; k < Size(); ++k) Fetch(k, EndLine());
      return;
    }
    m_source.Next(record);
  }
}

void DisasmCache::Refill(uint32_t address) {
  if (m_lines.empty()) return;
  m_source.Shown(address);
  // Already in view: the view stays.
  for (int i = 0; i + 1 < Size(); ++i) {
    DisasmLine& l = m_lines[size_t(i)];
    if (Ends(l)) break;
    m_source.Refresh(l);
    if (l.state & kDisasmAsked && l.address == address) {
      int keep = m_cursor;
      FillFrom(m_lines[0]);
      m_cursor = keep >= 0 ? i : -1;
      return;
    }
  }
  m_source.Request(address);
  DisasmLine request{};
  request.address = address;
  m_source.Next(request);
  FillFrom(request);
  for (int i = 0; i < m_visible; ++i)
    if (m_lines[size_t(i)].state & kDisasmAsked) {
      if (m_cursor >= 0) m_cursor = i;
      break;
    }
}

void DisasmCache::FillBackFrom(DisasmLine record, int n) {
  if (m_lines.empty()) return;
  int steps = 0;
  for (; steps < n; ++steps) {
    DisasmLine before = record;
    m_source.Prev(record);
    if (record.kind == kDisasmEnd) {
      record = before;
      break;
    }
    if (record.kind == kDisasmRequest) {
      m_source.Next(record);
      break;
    }
  }
  if (m_cursor >= 0) m_cursor = steps;
  FillFrom(record);
}

void DisasmCache::ScrollToAddress(uint32_t address) {
  if (m_lines.empty()) return;
  m_source.Request(address);
  DisasmLine request{};
  request.address = address;
  m_source.Next(request);
  FillBackFrom(request, address == m_start ? 0 : m_visible / 3);
}

int DisasmCache::PcLine() const {
  for (int i = 0; i < std::min(Size(), m_visible); ++i)
    if (m_lines[size_t(i)].state & kDisasmPc) return i;
  return -1;
}

void DisasmCache::UpdateLineStates() {
  for (int i = 0; i < Size(); ++i)
    if (!Ends(m_lines[size_t(i)])) m_source.Refresh(m_lines[size_t(i)]);
}

void DisasmCache::GotoAddress(uint32_t pc) {
  if (m_lines.empty()) return;
  UpdateLineStates();
  int at = PcLine();
  if (at >= 0 && m_lines[size_t(at)].address == pc) {
    // Keep the PC in the upper part of a large view: lines come in below.
    while (m_visible > 8 && at * 23 > m_visible * 20) {
      DisasmLine next = m_lines.back();
      m_source.Next(next);
      if (Ends(m_lines.back()) || next.kind == kDisasmEnd) break;
      m_lines.erase(m_lines.begin());
      m_texts.erase(m_texts.begin());
      m_lines.emplace_back();
      m_texts.emplace_back();
      Fetch(Size() - 1, next);
      --at;
    }
    if (m_visible > 3 && at == m_visible - 1) LineDown();
    UpdateLineStates();
    return;
  }
  m_cursor = -1;
  ScrollToAddress(pc);
}

bool DisasmCache::LineUp() {
  if (m_lines.empty()) return false;
  if (m_cursor > 0) {
    --m_cursor;
    return true;
  }
  DisasmLine first = m_lines[0];
  m_source.Prev(first);
  if (Ends(first)) return false;
  m_lines.pop_back();
  m_texts.pop_back();
  m_lines.insert(m_lines.begin(), DisasmLine{});
  m_texts.insert(m_texts.begin(), std::string());
  Fetch(0, first);
  return true;
}

bool DisasmCache::LineDown() {
  if (m_lines.empty()) return false;
  if (m_cursor >= 0 && m_cursor < m_visible - 2) {
    ++m_cursor;
    return true;
  }
  DisasmLine last = m_lines.back();
  if (m_visible >= 3) {
    if (Ends(m_lines[1])) return false;
  }
  if (Ends(last)) {
    if (m_visible < 3) return false;
  } else {
    m_source.Next(last);
    if (m_visible < 3 && last.kind == kDisasmEnd) return false;
  }
  m_lines.erase(m_lines.begin());
  m_texts.erase(m_texts.begin());
  m_lines.emplace_back();
  m_texts.emplace_back();
  Fetch(Size() - 1, Ends(m_lines[size_t(Size() - 2)]) ? EndLine() : last);
  return true;
}

bool DisasmCache::PageDown() {
  if (m_lines.empty()) return false;
  if (m_visible < 3) return LineDown();
  DisasmLine from = m_lines[size_t(m_visible - 1)];
  if (Ends(from)) return false;
  if (Ends(m_lines[1])) return false;
  m_source.Next(from);
  if (Ends(from)) return false;
  // The old last line becomes the first.
  FillFrom(m_lines[size_t(m_visible - 1)]);
  return true;
}

bool DisasmCache::PageUp() {
  if (m_lines.empty()) return false;
  DisasmLine record = m_lines[0];
  int steps = 0;
  for (int i = 0; i < m_visible - 1; ++i) {
    DisasmLine before = record;
    m_source.Prev(record);
    if (Ends(record)) {
      record = before;
      break;
    }
    ++steps;
  }
  if (steps == 0) return false;
  const int cursor = m_cursor;
  FillFrom(record);
  m_cursor = cursor;
  return true;
}

bool DisasmCache::ScrollToCodeAddress(uint32_t address) {
  if (m_lines.empty()) return false;
  // Compared within the family's code addresses (sums in 64 bits: ARM's
  // reach the top of the 4 GB space).
  const uint64_t low = address & m_mask, start = m_start & m_mask;
  auto code = [this](const DisasmLine& l) { return uint64_t(l.address & m_mask); };
  if (low <= start) {
    Refill((m_start & m_mask) | (address & ~m_mask));
    return true;
  }
  DisasmLine walk = m_lines[0];
  // An address further below the view than the walk back covers is asked
  // for near it: walking the listing there line by line may take a million
  // lines.
  const bool farBelow = !Ends(walk) && code(walk) + 256 < low;
  if (Ends(walk) || farBelow) {
    m_source.Request(address > 256 ? address - 256 : m_start);
    walk = DisasmLine{};
    m_source.Next(walk);
  } else if (code(walk) <= low) {
    for (int guard = 0; guard < 100000 && code(walk) + 256 >= low; ++guard) {
      DisasmLine before = walk;
      m_source.Prev(walk);
      if (Ends(walk) || code(walk) <= start) {
        if (Ends(walk)) walk = before;
        break;
      }
    }
  } else {
    const uint32_t from = low >= start + 256 ? address - 256 : m_start;
    m_source.Request(from);
    walk = DisasmLine{};
    m_source.Next(walk);
  }
  if (Ends(walk)) return false;
  for (int guard = 0; guard < 1000000; ++guard) {
    DisasmLine next = walk;
    m_source.Next(next);
    if (next.kind == kDisasmEnd || (next.kind == kDisasmRequest)) break;
    if (next.address < walk.address) return false;
    if (code(next) > low) break;
    walk = next;
  }
  if (code(walk) > low) return false;
  m_source.Shown(walk.address);
  FillFrom(walk);
  return true;
}

bool DisasmCache::ShowTraceRecords() {
  if (m_lines.empty()) return false;
  // A request for the history's end, stepped back to its last entry.
  DisasmLine last{};
  last.kind = kDisasmTrace1;
  last.item = 0;
  m_source.Prev(last);
  if (!IsTrace(last)) return false;
  m_cursor = -1;
  FillBackFrom(last, m_visible / 3);
  UpdateLineStates();
  return true;
}

bool DisasmCache::GotoHistoryIndex(uint32_t index) {
  if (m_lines.empty() || !IsTrace(m_lines[0])) return false;
  DisasmLine walk = m_lines[0];
  const bool forward = walk.line < index;
  for (int guard = 0; guard < 1000000 && walk.line != index; ++guard) {
    DisasmLine next = walk;
    if (forward)
      m_source.Next(next);
    else
      m_source.Prev(next);
    if (!IsTrace(next)) break;
    walk = next;
  }
  if (walk.line != index && (forward ? walk.line < index : walk.line > index)) return false;
  // An entry's source line stands before its instruction.
  for (DisasmLine before = walk; walk.line == index;) {
    m_source.Prev(before);
    if (!IsTrace(before) || before.line != index) break;
    walk = before;
  }
  FillFrom(walk);
  return true;
}

int DisasmCache::CompareRecords(const DisasmLine& a, const DisasmLine& b) {
  const bool traceA = IsTrace(a), traceB = IsTrace(b);
  if (traceA != traceB) return traceA ? -1 : 1;
  const bool same = a.kind == b.kind && a.address == b.address && a.item == b.item && a.line == b.line;
  if (same) return 0;
  if (traceA) {
    if (a.item != b.item) return a.item < b.item ? -1 : 1;
  } else if (a.address != b.address) {
    return a.address < b.address ? -1 : 1;
  }
  // One entry or one address: walk forward from a while it stays.
  DisasmLine walk = a;
  for (int guard = 0; guard < 64; ++guard) {
    m_source.Next(walk);
    if (Ends(walk) || (traceA ? walk.item != a.item : walk.address != a.address)) return 1;
    if (walk.kind == b.kind && walk.line == b.line && walk.item == b.item) return -1;
  }
  return 1;
}

}  // namespace pm2
