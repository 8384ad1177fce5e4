#include "debugger/driver_shared/trace_history.h"

#include <cstdio>

namespace pm2 {

void TraceHistory::Set(std::vector<uint32_t> addresses) {
  m_entries = std::move(addresses);
  ++m_generation;
  m_descriptor[0] = m_generation;
  m_descriptor[kCountWord] = Count();
}

void TraceHistory::Forget() {
  m_steps.clear();
  Set({});
}

const TraceStep& TraceHistory::Step(uint32_t index) {
  const uint32_t address = m_entries[index];
  auto it = m_steps.find(address);
  if (it == m_steps.end()) it = m_steps.emplace(address, m_describe ? m_describe(address) : TraceStep{}).first;
  return it->second;
}

bool TraceHistory::NewSourceLine(uint32_t index) {
  const TraceStep& s = Step(index);
  if (s.file.empty()) return false;
  if (index == 0) return true;
  const TraceStep& before = Step(index - 1);
  return before.file != s.file || before.line != s.line;
}

void TraceHistory::SetLine(DisasmLine* l, uint32_t index, uint16_t kind) const {
  *l = DisasmLine{};
  l->kind = kind;
  l->address = m_entries[index];
  l->line = index;
  l->item = index + 1;
  l->own12 = m_generation;
  Refresh(l);
}

void TraceHistory::SetEnd(DisasmLine* l) {
  *l = DisasmLine{};
  l->kind = kDisasmEnd;
}

void TraceHistory::Next(DisasmLine* l) {
  if (l->item == 0) {
    // The request: the oldest entry.
    if (m_entries.empty()) return SetEnd(l);
    return SetLine(l, 0, NewSourceLine(0) ? kDisasmTrace3 : kDisasmTrace1);
  }
  if (l->own12 != m_generation || l->item > Count()) return SetEnd(l);
  const uint32_t index = l->item - 1;
  if (l->kind == kDisasmTrace3) return SetLine(l, index, kDisasmTrace1);
  if (index + 1 >= Count()) return SetEnd(l);
  SetLine(l, index + 1, NewSourceLine(index + 1) ? kDisasmTrace3 : kDisasmTrace1);
}

void TraceHistory::Prev(DisasmLine* l) {
  if (l->item == 0) {
    // The request: the newest entry, where the program stands.
    if (m_entries.empty()) return SetEnd(l);
    return SetLine(l, Count() - 1, kDisasmTrace1);
  }
  if (l->own12 != m_generation || l->item > Count()) return SetEnd(l);
  const uint32_t index = l->item - 1;
  if (l->kind != kDisasmTrace3 && NewSourceLine(index)) return SetLine(l, index, kDisasmTrace3);
  if (index == 0) return SetEnd(l);
  SetLine(l, index - 1, kDisasmTrace1);
}

void TraceHistory::Refresh(DisasmLine* l) const {
  l->state = uint16_t(l->state & ~kDisasmPc);
  // Only the newest instruction is the one the program stands at.
  if (l->kind == kDisasmTrace1 && l->own12 == m_generation && l->item == Count() && Count() > 0)
    l->state |= kDisasmPc;
}

std::string TraceHistory::Text(const DisasmLine& l) {
  if (l.own12 != m_generation || l.item == 0 || l.item > Count()) return {};
  const TraceStep& s = Step(l.item - 1);
  char head[32];
  if (l.kind == kDisasmTrace3) {
    std::snprintf(head, sizeof head, "%5d: ", s.line);
    return head + s.sourceText;
  }
  std::snprintf(head, sizeof head, "0x%08X  ", l.address);
  return head + (s.instruction.empty() ? std::string("???") : s.instruction);
}

}  // namespace pm2
