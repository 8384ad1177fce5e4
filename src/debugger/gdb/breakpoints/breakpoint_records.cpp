#include "debugger/gdb/breakpoints/breakpoint_records.h"

#include <set>

namespace pm2::gdb {

const char* BreakpointRecords::Keep(const std::string& text) {
  m_texts.push_back(text);
  return m_texts.back().c_str();
}

DbgBreakpointRecord* BreakpointRecords::RecordOf(int number) {
  auto it = m_byNumber.find(number);
  if (it != m_byNumber.end()) return it->second;
  m_bps.push_back(DbgBreakpointRecord{});
  m_bps.back().word04 = uint32_t(number);
  m_byNumber[number] = &m_bps.back();
  return &m_bps.back();
}

DbgBreakpointRecord* BreakpointRecords::Find(int number) const {
  auto it = m_byNumber.find(number);
  return it == m_byNumber.end() ? nullptr : it->second;
}

DbgBreakpointRecord* BreakpointRecords::Build(const std::vector<GdbBreakpointInfo>& list) {
  DbgBreakpointRecord* prev = nullptr;
  m_head = nullptr;
  // One record per number: linking a number's record twice would point it
  // at itself or close a ring, and every walk of the list would go on for ever.
  std::set<int> linked;
  for (const GdbBreakpointInfo& b : list) {
    if (!linked.insert(b.number).second) continue;
    DbgBreakpointRecord* r = RecordOf(b.number);
    const uint32_t number = r->number;
    const auto listed = m_listedEnabled.find(b.number);
    const bool mine = (r->flags & kDbgBpEnabled) != 0;
    const bool enabled = listed != m_listedEnabled.end() && mine != listed->second ? mine : b.enabled;
    m_listedEnabled[b.number] = b.enabled;
    *r = DbgBreakpointRecord{};
    r->word04 = uint32_t(b.number);
    r->number = number;
    r->address = uint32_t(b.address);
    r->passCount = b.passCount;
    if (b.access == 2 && !b.condition.empty() && b.condition == b.location) {
      // A watched truth that stops only when it turns true: conditional.
      r->flags = 1;
      r->expression = Keep(b.location);
    } else if (b.access) {
      r->flags = 2;
      r->access = uint16_t(b.access);
      r->length = b.length ? b.length : 1;
      r->expression = Keep(b.location);
    } else if (!b.condition.empty()) {
      // An execution breakpoint with gdb's condition ("break X if n > 2").
      r->expression = Keep(b.condition);
    }
    if (r->flags == 0)
      m_places[b.number] = b.location;
    else
      m_places.erase(b.number);
    if (enabled) r->flags |= kDbgBpEnabled;
    if (!b.command.empty()) r->command = Keep(b.command);
    if (prev)
      prev->next = r;
    else
      m_head = r;
    prev = r;
  }
  return m_head;
}

void BreakpointRecords::Unlink(DbgBreakpointRecord* r) {
  for (DbgBreakpointRecord** link = &m_head; *link; link = &(*link)->next)
    if (*link == r) {
      *link = r->next;
      break;
    }
  m_byNumber.erase(int(r->word04));
  m_places.erase(int(r->word04));
  m_listedEnabled.erase(int(r->word04));
}

std::string BreakpointRecords::PlaceOf(const DbgBreakpointRecord* r) const {
  if (!r) return {};
  const auto known = m_byNumber.find(int(r->word04));
  const auto place = m_places.find(int(r->word04));
  if (known == m_byNumber.end() || known->second != r || place == m_places.end()) return {};
  // The driver gives gdb an address or an expression as "*0x378" or
  // "*(expression)", a function's name or a source line as itself.
  const std::string& p = place->second;
  if (p.size() > 3 && p.compare(0, 2, "*(") == 0 && p.back() == ')') return p.substr(2, p.size() - 3);
  if (p.size() > 1 && p[0] == '*') return p.substr(1);
  return p;
}

}  // namespace pm2::gdb
