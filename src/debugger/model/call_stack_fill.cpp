#include "debugger/model/call_stack_fill.h"

#include <cstdio>
#include <cstring>

namespace pm2 {

std::string CallStackTextArea::Store(const std::string& text) {
  if (m_fill + int(text.size()) >= kCallStackTextArea - 3) return "...";
  m_fill += int(text.size()) + 2;
  return text;
}

namespace {

// The driver's name of an address, else the address as it writes one.
std::string NameOf(DebugInterface& r, uint32_t address) {
  char buffer[256];
  buffer[0] = '\0';
  if (r.DbgEnum && r.DbgEnum(kDbgEnumAddressName, intptr_t(address), reinterpret_cast<intptr_t>(buffer)) != 0) {
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
  }
  char formatted[64] = "";
  if (r.DbgFormatAddress)
    r.DbgFormatAddress(0, address, 0, formatted);
  else
    std::snprintf(formatted, sizeof formatted, "0x%08X", address);
  return formatted;
}

// An outermost entry without a calling place: the driver names the
// function the target stands in; a record that is no function leaves the
// entry out. A driver that names none keeps the entry as it gave it.
void ResolveOutermost(DebugInterface& r, DbgCallStackEntry& e) {
  const uint8_t* current = nullptr;
  if (!r.DbgEnum) return;
  r.DbgEnum(kDbgEnumCurrentFunction, 0, reinterpret_cast<intptr_t>(&current));
  if (!current) return;
  uint32_t address = 0;
  std::memcpy(&address, current + 19, 4);
  const auto* info =
      r.DbgAddressAttr ? reinterpret_cast<const uint8_t*>(r.DbgAddressAttr(reinterpret_cast<void*>(uintptr_t(address))))
                       : nullptr;
  if (info && (info[0] & kDbgAttrFunction)) {
    e.calling = 0;
    e.called = address;
  } else {
    e.called = 0;
  }
}

}  // namespace

std::vector<CallStackRow> FillCallStack(DebugInterface& r) {
  std::vector<CallStackRow> rows;
  auto* entries = static_cast<DbgCallStackEntry*>(r.callStack);
  if (!entries || r.callStackTop < 0) return rows;
  if (entries[0].calling == 0) ResolveOutermost(r, entries[0]);
  CallStackTextArea area;
  int number = 0;
  for (int i = r.callStackTop; i >= 0 && number < kCallStackMaxRows; --i) {
    const DbgCallStackEntry& e = entries[i];
    // The outermost entry without a function is not a call.
    if (i == 0 && e.called == 0) continue;
    CallStackRow row;
    row.calling = e.calling;
    row.called = e.called;
    row.callingText = area.Store(NameOf(r, e.calling));
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d: ", number);
    row.calledText = area.Store(prefix + NameOf(r, e.called));
    rows.push_back(std::move(row));
    ++number;
  }
  return rows;
}

}  // namespace pm2
