#include "debugger/gdb/breakpoints/breakpoint_table.h"

#include <cstdlib>
#include <map>

namespace pm2::gdb {

namespace {

// "7" is breakpoint 7, "7.2" its second location; anything else is no row.
bool RowNumber(const std::string& text, int* number, bool* isLocation) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || n <= 0 || n > 0x7FFFFFFF || (*end != '\0' && *end != '.')) return false;
  *number = int(n);
  *isLocation = *end == '.';
  return true;
}

// The leading number of gdb's address text ("0x0000021c", "0x21c <main+4>");
// false for "<MULTIPLE>" or "<PENDING>".
bool AddressOf(const std::string& text, uint64_t* out) {
  const std::string t = text.substr(0, text.find(' '));
  if (t.empty()) return false;
  char* end = nullptr;
  *out = std::strtoull(t.c_str(), &end, 0);
  return end && *end == '\0';
}

// A row's place in the program: a code location's address, file and line.
void TakePlace(const MiValue& row, GdbBreakpointInfo* info) {
  if (info->access) return;  // a watchpoint's place is its expression's
  uint64_t address = 0;
  if (info->address == 0 && AddressOf(row.Str("addr"), &address)) info->address = address;
  if (info->file.empty() && !row.Str("fullname").empty()) {
    info->file = row.Str("fullname");
    info->line = std::atoi(row.Str("line").c_str());
  }
}

// What a breakpoint's own row says. A location standing for its missing
// breakpoint has no type: a code location has an address, a watched one
// only its expression (a write watchpoint, gdb's "watch").
GdbBreakpointInfo InfoOfRow(const MiValue& row, int number) {
  GdbBreakpointInfo info;
  info.number = number;
  const std::string type = row.Find("type") ? row.Str("type") : row.Find("addr") ? "breakpoint" : "watchpoint";
  info.enabled = row.Str("enabled") == "y";
  info.condition = row.Str("cond");
  info.ignoreLeft = uint32_t(std::strtoul(row.Str("ignore").c_str(), nullptr, 10));
  info.passCount = info.ignoreLeft + 1;
  if (const MiValue* script = row.Find("script"))
    for (const auto& line : script->items) info.command += (info.command.empty() ? "" : "\n") + line.second.text;
  if (type.find("watchpoint") != std::string::npos) {
    info.access = type.find("read") != std::string::npos ? 1 : type.find("acc") != std::string::npos ? 3 : 2;
    info.location = row.Str("what");
  } else {
    info.location = row.Find("original-location") ? row.Str("original-location") : row.Str("what");
  }
  return info;
}

}  // namespace

std::vector<GdbBreakpointInfo> BreakpointTableRows(const MiValue& table) {
  std::vector<GdbBreakpointInfo> out;
  const MiValue* body = table.Find("body");
  if (!body) return out;
  std::map<int, std::size_t> at;  // number -> its place in out
  std::map<int, bool> ownRow;     // number -> its breakpoint's own row was seen
  std::vector<const MiValue*> locations;
  for (const auto& item : body->items) {
    const MiValue& row = item.second;
    if (row.kind != MiValue::Kind::Tuple) continue;
    int number = 0;
    bool isLocation = false;
    if (!RowNumber(row.Str("number"), &number, &isLocation)) continue;
    if (isLocation) {
      // Its breakpoint's row may come later: it folds in after all rows.
      if (!at.count(number)) {
        at[number] = out.size();
        out.push_back(InfoOfRow(row, number));
      }
      locations.push_back(&row);
      continue;
    }
    if (ownRow[number]) continue;  // the same number again
    ownRow[number] = true;
    GdbBreakpointInfo info = InfoOfRow(row, number);
    TakePlace(row, &info);
    if (const auto it = at.find(number); it != at.end())
      out[it->second] = info;  // listed after a location of its own
    else {
      at[number] = out.size();
      out.push_back(info);
    }
    if (const MiValue* nested = row.Find("locations"))
      for (const auto& location : nested->items)
        if (location.second.kind == MiValue::Kind::Tuple) locations.push_back(&location.second);
  }
  for (const MiValue* row : locations) {
    int number = 0;
    bool isLocation = false;
    if (!RowNumber(row->Str("number"), &number, &isLocation)) continue;
    if (const auto it = at.find(number); it != at.end()) TakePlace(*row, &out[it->second]);
  }
  return out;
}

InsertedBreakpoint InsertedBreakpointOf(const MiValue& results) {
  InsertedBreakpoint out;
  const MiValue* bkpt = results.Find("bkpt");
  if (!bkpt || bkpt->kind != MiValue::Kind::Tuple) return out;
  int number = 0;
  bool isLocation = false;
  if (!RowNumber(bkpt->Str("number"), &number, &isLocation) || isLocation) return out;
  out.number = number;
  std::vector<const MiValue*> places{bkpt};
  for (const auto& item : results.items)
    if (item.first.empty() && item.second.kind == MiValue::Kind::Tuple) places.push_back(&item.second);
  if (const MiValue* nested = bkpt->Find("locations"))
    for (const auto& location : nested->items)
      if (location.second.kind == MiValue::Kind::Tuple) places.push_back(&location.second);
  for (const MiValue* place : places) {
    int of = 0;
    // Only this breakpoint's own locations ("N.k") are its places.
    if (place != bkpt && (!RowNumber(place->Str("number"), &of, &isLocation) || !isLocation || of != number))
      continue;
    uint64_t address = 0;
    if (!AddressOf(place->Str("addr"), &address)) continue;
    bool known = false;
    for (uint64_t a : out.addresses) known |= a == address;
    if (!known) out.addresses.push_back(address);
    if (out.file.empty() && !place->Str("file").empty()) {
      out.file = place->Str("file");
      out.line = place->Str("line");
    }
  }
  return out;
}

}  // namespace pm2::gdb
