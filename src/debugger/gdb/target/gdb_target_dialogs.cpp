// What the debug dialogs ask of a GDB target: the breakpoint list and
// definitions, the program's symbols, and in simulation the stand-in for
// the UART. qemu's empty machine is RAM from end to end, so the program's
// UART registers are plain memory: the driver keeps the line status saying
// "transmitter empty" and watches the receive/transmit register with one
// access watchpoint. A read or a write is told by the instruction that made
// the access (the one before the stop, an ARM or Thumb load or store; where
// it cannot be read, by the value against the one the driver left there). A
// write is a character the program sent (to serial window 1; the register
// then holds the waiting key or 0 again); a read takes the key that waited
// there with "data ready" set. The stand-in's stops are the driver's own: a
// run goes on, a step goes on to where it would have ended.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <unistd.h>

#include "debugger/gdb/arm/arm_access.h"
#include "debugger/gdb/breakpoints/breakpoint_expression.h"
#include "debugger/gdb/commands/expression_effects.h"
#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/commands/step_places.h"
#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/elf/line_tables.h"

namespace pm2::gdb {

namespace {

constexpr int kTimeoutMs = 3000;
constexpr uint8_t kLsrEmpty = 0x60;  // transmitter holding and shift registers empty
constexpr uint8_t kLsrReady = 0x01;  // receive data ready
constexpr uint32_t kLsrOffset = 0x14, kLcrOffset = 0x0C;

std::string HexText(uint64_t v) {
  char b[24];
  std::snprintf(b, sizeof b, "0x%llX", static_cast<unsigned long long>(v));
  return b;
}

std::string ByteCell(uint32_t address) { return "*(unsigned char*)" + HexText(address); }

// The leading number of a gdb value text ("72 'H'", "0x10", "-1").
bool LeadingNumber(const std::string& text, uint64_t* out) {
  const std::string t = text.substr(0, text.find(' '));
  if (t.empty()) return false;
  char* end = nullptr;
  *out = std::strtoull(t.c_str(), &end, 0);
  return end && *end == '\0';
}

std::string WriteByte(uint32_t address, uint8_t value) {
  char b[64];
  std::snprintf(b, sizeof b, "-data-write-memory-bytes 0x%X %02X", address, value);
  return b;
}

uint64_t ParseHex(const std::string& text, bool* ok) {
  char* end = nullptr;
  const uint64_t v = std::strtoull(text.c_str(), &end, 16);
  *ok = !text.empty() && end && *end == '\0';
  return v;
}

int WatchNumber(const MiRecord& r) {
  for (const char* key : {"wpt", "hw-rwpt", "hw-awpt"})
    if (const MiValue* w = r.results.Find(key)) return std::atoi(w->Str("number").c_str());
  return -1;
}

}  // namespace

// ------------------------------------------------------------------ breakpoints

bool GdbTarget::ListBreakpoints(std::vector<GdbBreakpointInfo>* out) {
  out->clear();
  if (State() == SessionState::Dead) {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    *out = m_keptBreakpoints;
    return true;
  }
  if (!Halted()) return false;
  MiRecord r = m_gdb->Call("-break-list", kTimeoutMs);
  if (!Ok(r)) return false;
  const MiValue* table = r.results.Find("BreakpointTable");
  if (!table) return true;
  std::set<int> listed;
  for (GdbBreakpointInfo& info : BreakpointTableRows(*table)) {
    {
      std::lock_guard<std::mutex> lock(m_bpMutex);
      if (m_ownNumbers.count(info.number)) continue;
      // gdb lists the passes left of this round; the user sees (and the
      // session keeps) the count as defined.
      if (const auto defined = m_definedCounts.find(info.number); defined != m_definedCounts.end())
        info.passCount = defined->second;
    }
    listed.insert(info.number);
    // gdb runs what the watched expression asks for at every listing:
    // one that writes or calls ("x++", "f(3)") shows no address or size.
    uint64_t v = 0;
    const std::string address = "(unsigned long)&(" + info.location + ")", size = "sizeof(" + info.location + ")";
    if (info.access && ReadOnlyExpressionFault(address).empty() && ReadOnlyExpressionFault(size).empty()) {
      if (Evaluate(address, &v)) info.address = v;
      if (Evaluate(size, &v)) info.length = uint32_t(v);
    }
    out->push_back(std::move(info));
  }
  std::lock_guard<std::mutex> lock(m_bpMutex);
  m_keptBreakpoints = *out;
  // What gdb no longer lists went by any road (a typed "delete", a
  // temporary breakpoint's stop): its count and truth with it.
  for (auto it = m_definedCounts.begin(); it != m_definedCounts.end();)
    it = listed.count(it->first) ? std::next(it) : m_definedCounts.erase(it);
  for (auto it = m_pendingCounts.begin(); it != m_pendingCounts.end();)
    it = listed.count(it->first) ? std::next(it) : m_pendingCounts.erase(it);
  for (auto it = m_conditionals.begin(); it != m_conditionals.end();)
    it = listed.count(it->first) ? std::next(it) : m_conditionals.erase(it);
  return true;
}

std::vector<GdbBreakpointInfo> GdbTarget::KeptBreakpoints() const {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  return m_keptBreakpoints;
}

void GdbTarget::DefinedCount(int number, uint32_t count) {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  // A count defined now is gdb's already.
  m_pendingCounts.erase(number);
  if (count > 1)
    m_definedCounts[number] = count;
  else
    m_definedCounts.erase(number);
}

void GdbTarget::RememberBreakpoints() {
  std::vector<GdbBreakpointInfo> list;
  if (State() != SessionState::Dead) ListBreakpoints(&list);
}

std::string GdbTarget::LineLocation(uint64_t address) {
  SourceLine line;
  if (!CodeMayBeAsked() || !FindSource(address, &line) || line.file.empty() || line.line <= 0) return {};
  const std::string at = HexText(address);
  HoldConsole();
  const bool asked = Ok(m_gdb->Call("-interpreter-exec console " + MiQuote("info line *" + at), kTimeoutMs));
  const std::string info = TakeHeldConsole();
  if (!asked || !LineStartsAt(info, at)) return {};
  // "<main>" is a function's entry, "<main+12>" is not.
  const std::size_t open = info.find('<', info.find("starts at address ")), close = info.find('>', open);
  if (open == std::string::npos || close == std::string::npos || info.find('+', open) > close) return {};
  return line.file + ":" + std::to_string(line.line);
}

bool GdbTarget::DeleteBreakpoint(int number) {
  return WhileStill([&] { return DeleteNumber(number); });
}

bool GdbTarget::DeleteNumber(int number) {
  if (!Halted()) return false;
  RememberBreakpointsAfter remember{this};
  // What the driver forgets, kept until gdb has deleted the breakpoint: a
  // delete gdb refused or did not answer leaves it with gdb, and with the
  // driver as well.
  std::vector<std::pair<uint64_t, bool>> forgotten;  // address, disabled
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (auto it = m_breakpoints.begin(); it != m_breakpoints.end();) {
      if (it->second != number) {
        ++it;
        continue;
      }
      // A breakpoint set there later starts enabled.
      const auto off = m_disabled.find(it->first);
      forgotten.emplace_back(it->first, off != m_disabled.end() && off->second);
      if (off != m_disabled.end()) m_disabled.erase(off);
      it = m_breakpoints.erase(it);
    }
  }
  if (Ok(m_gdb->Call("-break-delete " + std::to_string(number), kTimeoutMs))) return true;
  std::lock_guard<std::mutex> lock(m_bpMutex);
  for (const auto& [address, disabled] : forgotten) {
    m_breakpoints[address] = number;
    if (disabled) m_disabled[address] = true;
  }
  return false;
}

bool GdbTarget::EnableBreakpoint(int number, bool on) {
  return WhileStill([&] { return EnableNumber(number, on); });
}

bool GdbTarget::EnableNumber(int number, bool on) {
  if (!Halted()) return false;
  RememberBreakpointsAfter remember{this};
  if (!Ok(m_gdb->Call((on ? "-break-enable " : "-break-disable ") + std::to_string(number), kTimeoutMs)))
    return false;
  // The margins' and the disassembly's marks follow, at each of its places.
  std::lock_guard<std::mutex> lock(m_bpMutex);
  for (const auto& [address, n] : m_breakpoints)
    if (n == number) m_disabled[address] = !on;
  return true;
}

bool GdbTarget::DefineBreakpoint(const std::string& expression, uint32_t passCount, int access,
                                 const std::vector<std::string>& commands, int* number, std::string* err) {
  // Every refusal is said once, on the command page, with its reason.
  const auto refuse = [&](const std::string& why) {
    *err = why;
    Refuse("breakpoint '" + expression.substr(0, 60) + "': " + why);
    return false;
  };
  if (!Still()) return refuse("the target runs; stop it first");
  RememberBreakpointsAfter remember{this};
  // The dialog's texts are the IDE's: translated, one quoted argument each
  // command, a line end or a NUL in one refused. gdb evaluates the
  // expression as it sets the breakpoint, and a watchpoint's again at every
  // step: one that writes, calls or places a literal in target memory is
  // refused.
  // A lone literal has an address only once gdb placed it in target
  // memory: it is no location and no watched place. The check reads the
  // text gdb gets.
  // A truth ("U == 3") is a conditional breakpoint; an address may carry
  // a condition of gdb's form ("LED_On if n > 2").
  std::string target, gdbCommand, place, condition;
  const bool hasCondition = !access && SplitCondition(expression, &place, &condition);
  bool valid = true;
  if (!access && !hasCondition && GdbExpression(expression, &target, err) && IsTruthExpression(target))
    return DefineConditional(expression, target, passCount, commands, number, err);
  if (hasCondition) {
    std::string gdbCondition;
    valid = GdbLocation(place, &target, err) && GdbExpression(condition, &gdbCondition, err);
    if (valid) *err = ReadOnlyExpressionFault(gdbCondition);
    valid = valid && err->empty();
    condition = gdbCondition;
  } else {
    valid = access ? GdbExpression(expression, &target, err) : GdbLocation(expression, &target, err);
  }
  if (valid && access) {
    *err = ReadOnlyExpressionFault(target, WholeLiteral::Refused);
    valid = err->empty();
  }
  for (const std::string& line : commands) {
    if (!valid) break;
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    // The dialog's command, or a stored breakpoint's from the options
    // file: kept with the project, it is judged as a file's line.
    std::string one;
    valid = BreakpointCommand(line, CommandOrigin::File, &one, err);
    gdbCommand += " " + MiQuote(GdbSpelling(one));
  }
  if (!valid) return refuse(*err);
  std::string cmd;
  if (access)
    cmd = std::string("-break-watch ") + (access == 1 ? "-r " : access == 3 ? "-a " : "") + "-- " + MiQuote(target);
  else
    cmd = "-break-insert " + (hasCondition ? "-c " + MiQuote(condition) + " " : std::string()) + "-- " + MiQuote(target);
  MiRecord r;
  {
    // gdb evaluates the location or the watched expression as it sets it.
    const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
    if (!read.ok()) return refuse("the target runs; stop it first");
    r = m_gdb->Call(cmd, kTimeoutMs);
  }
  if (!Ok(r, err)) return refuse(*err);
  *number = access ? WatchNumber(r) : -1;
  if (!access) {
    const InsertedBreakpoint b = InsertedBreakpointOf(r.results);
    *number = b.number;
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (uint64_t address : b.addresses) m_breakpoints[address] = b.number;
  }
  if (*number <= 0) return refuse("gdb gave no breakpoint number");
  if (passCount > 1)
    m_gdb->Call("-break-after " + std::to_string(*number) + " " + std::to_string(passCount - 1), kTimeoutMs);
  DefinedCount(*number, passCount);
  if (!gdbCommand.empty())
    m_gdb->Call("-break-commands " + std::to_string(*number) + gdbCommand, kTimeoutMs);
  return true;
}

bool GdbTarget::DefineConditional(const std::string& expression, const std::string& truth, uint32_t passCount,
                                  const std::vector<std::string>& commands, int* number, std::string* err) {
  const auto refuse = [&](const std::string& why) {
    *err = why;
    Refuse("conditional breakpoint '" + expression.substr(0, 60) + "': " + why);
    return false;
  };
  // gdb evaluates the expression at every step: it only reads.
  if (std::string fault = ReadOnlyExpressionFault(truth, WholeLiteral::Refused); !fault.empty()) return refuse(fault);
  std::string gdbCommand;
  for (const std::string& line : commands) {
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::string one, why;
    if (!BreakpointCommand(line, CommandOrigin::File, &one, &why)) return refuse(why);
    gdbCommand += " " + MiQuote(GdbSpelling(one));
  }
  // gdb watches the expression's value; the condition lets only a change
  // to true stop the target.
  MiRecord r, c;
  {
    const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
    if (!read.ok()) return refuse("the target runs");
    r = m_gdb->Call("-break-watch -- " + MiQuote(truth), kTimeoutMs);
    if (!Ok(r, err)) return refuse(*err);
    *number = WatchNumber(r);
    if (*number <= 0) return refuse("gdb gave no watchpoint number");
    c = m_gdb->Call("-interpreter-exec console " + MiQuote("condition " + std::to_string(*number) + " " + truth),
                    kTimeoutMs);
  }
  if (!Ok(c, err)) {
    m_gdb->Call("-break-delete " + std::to_string(*number), kTimeoutMs);
    return refuse(*err);
  }
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    m_conditionals[*number] = truth;
  }
  if (passCount > 1)
    m_gdb->Call("-break-after " + std::to_string(*number) + " " + std::to_string(passCount - 1), kTimeoutMs);
  DefinedCount(*number, passCount);
  if (!gdbCommand.empty())
    m_gdb->Call("-break-commands " + std::to_string(*number) + gdbCommand, kTimeoutMs);
  return true;
}

// ------------------------------------------------------------------ symbols

bool GdbTarget::FunctionLocals(const std::string& file, std::vector<FunctionBlock>* out) {
  out->clear();
  if (!Halted() || file.empty()) return false;
  // gdb prints a file's blocks after its whole line table: into a file of
  // the driver's, not onto the console. gdb names a unit's file as the
  // compiler was given it, which the file's own name ends.
  std::error_code ec;
  std::string path = (std::filesystem::temp_directory_path(ec) / "pm2gdbblocksXXXXXX").string();
  const int fd = mkstemp(path.data());
  if (fd < 0) return false;
  close(fd);
  const std::string name = file.substr(file.find_last_of("/\\") + 1);
  // gdb prints the units it has read in full only.
  HoldConsole();
  const bool printed =
      Ok(m_gdb->Call("-interpreter-exec console " + MiQuote("maint expand-symtabs " + LineTableFilter(file)),
                     kTimeoutMs)) &&
      Ok(m_gdb->Call(
          "-interpreter-exec console " + MiQuote("maint print symbols -source " + name + " -- " + path), kTimeoutMs));
  TakeHeldConsole();
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::filesystem::remove(path, ec);
  if (!printed) return false;
  *out = ParseFunctionBlocks(text.str());
  return true;
}

bool GdbTarget::Symbols(std::vector<GdbSymbol>* out, std::size_t limit) {
  out->clear();
  if (!Halted()) return false;
  // gdb writes the types in the language of the place the target stands
  // at: in assembly code a struct's type is its bare tag ("point"). The
  // list is C's ("struct point"), the user's setting as it was afterwards.
  const MiRecord language = m_gdb->Call("-gdb-show language", kTimeoutMs);
  std::string setting = Ok(language) ? language.results.Str("value") : "";
  setting = setting.substr(0, setting.find(';'));
  const bool switched = !setting.empty() && setting != "c" && Ok(m_gdb->Call("-gdb-set language c", kTimeoutMs));
  struct Restore {
    GdbTarget* target;
    bool switched;
    std::string setting;
    ~Restore() {
      if (switched) target->m_gdb->Call("-gdb-set language " + setting, kTimeoutMs);
    }
  } restore{this, switched, setting};
  for (const bool functions : {true, false}) {
    MiRecord r = m_gdb->Call(functions ? "-symbol-info-functions" : "-symbol-info-variables", kTimeoutMs);
    if (!Ok(r)) continue;
    const MiValue* symbols = r.results.Find("symbols");
    const MiValue* debug = symbols ? symbols->Find("debug") : nullptr;
    if (!debug) continue;
    for (const auto& file : debug->items) {
      const std::string fullname = file.second.Str("fullname");
      const std::string filename = file.second.Str("filename");
      const MiValue* list = file.second.Find("symbols");
      if (!list) continue;
      for (const auto& s : list->items) {
        if (out->size() >= limit) return true;
        GdbSymbol sym;
        sym.name = s.second.Str("name");
        sym.type = s.second.Str("type");
        sym.file = fullname.empty() ? filename : fullname;
        sym.function = functions;
        uint64_t v = 0;
        const std::string base = filename.substr(filename.find_last_of("/\\") + 1);
        if (Evaluate("(unsigned long)&'" + base + "'::" + sym.name, &v) || Evaluate("(unsigned long)&" + sym.name, &v))
          sym.address = v;
        out->push_back(sym);
      }
    }
  }
  return true;
}

// ------------------------------------------------------------------ the UART stand-in

void GdbTarget::SetupUart(const TargetParams& params) {
  m_uartBase = params.uartBase;
  m_gdb->Call(WriteByte(m_uartBase + kLsrOffset, kLsrEmpty), kTimeoutMs);
  m_gdb->Call(WriteByte(m_uartBase, 0), kTimeoutMs);
  MiRecord w = m_gdb->Call("-break-watch -a " + MiQuote(ByteCell(m_uartBase)), kTimeoutMs);
  if (Ok(w)) {
    m_uartWrite = m_uartRead = WatchNumber(w);
    OwnBreakpoint(m_uartWrite);
  }

}

GdbTarget::OwnRepair GdbTarget::OwnRepairOf(const MiValue& table) {
  std::map<int, bool> listed;  // gdb's number -> enabled
  for (const GdbBreakpointInfo& b : BreakpointTableRows(table)) listed[b.number] = b.enabled;
  std::set<int> own;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    own = m_ownNumbers;
  }
  OwnRepair repair;
  for (int number : own) {
    const auto found = listed.find(number);
    if (found != listed.end()) {
      if (!found->second) repair.enable.push_back(number);
      continue;
    }
    // A run's stop goes when it is reached: only the watchpoint is missed.
    if (number == m_uartWrite) repair.setWatch = true;
  }
  return repair;
}

void GdbTarget::SayOwnRepair(bool watch, bool set, bool ok) {
  if (!m_events.print) return;
  const std::string what = watch ? "the serial output's watchpoint" : "the stop of a run until an address";
  if (!ok && set)
    m_events.print("*** Error: the command deleted the driver's own breakpoint (" + what +
                   ") and gdb does not set it again: the serial windows get no output\n");
  else if (!ok)
    m_events.print("*** Error: the command disabled the driver's own breakpoint (" + what +
                   ") and gdb does not enable it again\n");
  else
    m_events.print("GDB driver: the command " + std::string(set ? "deleted" : "disabled") +
                   " the driver's own breakpoint (" + what + "): " + (set ? "set again" : "enabled again") + "\n");
}

void GdbTarget::TakeNewWatch(const MiRecord& w) {
  // The old number stays the driver's: gdb never gives it again, and the
  // user's numbers above it stay as BL showed them.
  const int number = WatchNumber(w);
  if (number <= 0) return;
  m_uartWrite = number;
  m_uartRead = number;
  OwnBreakpoint(number);
}

void GdbTarget::KeepOwnBreakpoints() {
  // gdb lists nothing while the target runs.
  if (!m_gdb || !Halted()) return;
  {
    // A check of the last stop's still under way ends first: both would
    // set the watchpoint again.
    std::unique_lock<std::mutex> lock(m_ownCheckMutex);
    m_ownCheckCv.wait_for(lock, std::chrono::milliseconds(kTimeoutMs), [this] { return m_ownChecks == 0; });
  }
  MiRecord r = m_gdb->Call("-break-list", kTimeoutMs);
  const MiValue* table = Ok(r) ? r.results.Find("BreakpointTable") : nullptr;
  if (!table) return;
  const OwnRepair repair = OwnRepairOf(*table);
  for (int number : repair.enable)
    SayOwnRepair(number == m_uartWrite, false,
                 Ok(m_gdb->Call("-break-enable " + std::to_string(number), kTimeoutMs)));
  if (!repair.setWatch) return;
  MiRecord w = m_gdb->Call("-break-watch -a " + MiQuote(ByteCell(m_uartBase)), kTimeoutMs);
  if (Ok(w)) TakeNewWatch(w);
  SayOwnRepair(true, true, Ok(w));
}

void GdbTarget::OwnCheckDone() {
  {
    std::lock_guard<std::mutex> lock(m_ownCheckMutex);
    --m_ownChecks;
  }
  m_ownCheckCv.notify_all();
}

void GdbTarget::CheckOwnBreakpointsAtStop() {
  if (!m_gdb) return;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    if (m_ownNumbers.empty()) return;
  }
  {
    std::lock_guard<std::mutex> lock(m_ownCheckMutex);
    ++m_ownChecks;
  }
  // Asked without waiting: the stop's thread is gdb's reader, which hands
  // over gdb's answers. gdb takes the commands in order, so what puts the
  // watchpoint back comes before anything that runs the target next.
  const int64_t sent = m_gdb->Send("-break-list", [this](MiRecord& r) {
    const MiValue* table = Ok(r) ? r.results.Find("BreakpointTable") : nullptr;
    if (!table) return OwnCheckDone();
    const OwnRepair repair = OwnRepairOf(*table);
    std::vector<std::pair<std::string, GdbConnection::Continuation>> commands;
    for (int number : repair.enable) {
      const bool watch = number == m_uartWrite;
      commands.emplace_back("-break-enable " + std::to_string(number),
                            [this, watch](MiRecord& e) { SayOwnRepair(watch, false, Ok(e)); });
    }
    if (repair.setWatch)
      commands.emplace_back("-break-watch -a " + MiQuote(ByteCell(m_uartBase)), [this](MiRecord& w) {
        if (Ok(w)) TakeNewWatch(w);
        SayOwnRepair(true, true, Ok(w));
      });
    if (commands.empty()) return OwnCheckDone();
    // The last answer ends the check.
    auto& last = commands.back().second;
    last = [this, then = last](MiRecord& answer) {
      then(answer);
      OwnCheckDone();
    };
    for (auto& [command, then] : commands)
      if (m_gdb->Send(command, then) < 0) return OwnCheckDone();
  });
  if (sent < 0) OwnCheckDone();
}

void GdbTarget::OnConsole(const std::string& text) {
  // gdb announces a watchpoint's stop before the stop itself: the
  // announcement of the UART's watchpoint is held until the stop shows
  // whose it is, and dropped with the driver's own stops.
  // gdb writes the empty line before the announcement on its own, so an
  // empty line waits for what follows it.
  std::string out;
  const std::string shown = ShownBreakpointNumbers(text);
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    if (m_capturing && m_captured.size() < 65536) m_captured += text;
    if (!m_holding && m_uartWrite > 0 &&
        text.find("atchpoint " + std::to_string(m_uartWrite) + ":") != std::string::npos) {
      m_holding = true;
      m_held.swap(m_blank);
    }
    if (m_holding) {
      if (m_held.size() < 65536) m_held += text;
      return;
    }
    if (m_uartWrite > 0 && text.find_first_not_of("\r\n") == std::string::npos) {
      if (m_blank.size() < 64) m_blank += text;
      return;
    }
    // A typed command's messages so far come first, in gdb's order.
    if (m_typedLog) out.swap(m_typedLogText);
    out += m_blank;
    m_blank.clear();
    out += shown;
    if (!shown.empty()) m_openLine = shown.back() != '\n';
  }
  if (out.empty()) return;  // a line about the driver's own breakpoints
  if (m_events.console)
    m_events.console(out);
  else if (m_events.print)
    m_events.print(out);
}

std::string GdbTarget::ShownBreakpointNumbers(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  return m_shownNumbers.Line(text, Numbering());
}

BreakpointNumbering GdbTarget::Numbering() const {
  // Asked while m_bpMutex is held.
  return BreakpointNumbering{[this](int gdb) { return m_ownNumbers.count(gdb) > 0; },
                             [this](int gdb) { return UserNumber(gdb); }};
}

void GdbTarget::FlushBlankConsole() {
  std::string out;
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    out.swap(m_blank);
  }
  if (!out.empty() && m_events.print) m_events.print(out);
}

std::string GdbTarget::TakeHeldConsole() {
  std::lock_guard<std::mutex> lock(m_consoleMutex);
  m_holding = false;
  std::string held = std::move(m_blank);
  m_blank.clear();
  held += m_held;
  m_held.clear();
  return held;
}

void GdbTarget::ArmKey() {
  std::lock_guard<std::mutex> lock(m_keyMutex);
  ArmKeyLocked();
}

void GdbTarget::ArmKeyLocked() {
  // The next key waits in the receive register with "data ready" set.
  m_armed = !m_keys.empty();
  if (m_keys.empty()) {
    m_cell = 0;
    m_gdb->Send(WriteByte(m_uartBase, 0));
    m_gdb->Send(WriteByte(m_uartBase + kLsrOffset, kLsrEmpty));
    return;
  }
  m_cell = m_keys.front();
  m_gdb->Send(WriteByte(m_uartBase, m_keys.front()));
  m_gdb->Send(WriteByte(m_uartBase + kLsrOffset, kLsrEmpty | kLsrReady));
}

void GdbTarget::SerialInput(uint8_t c) {
  if (m_uartWrite < 0 || !m_gdb) return;
  {
    std::lock_guard<std::mutex> lock(m_keyMutex);
    const bool first = m_keys.empty();
    if (m_keys.size() < 4096) m_keys.push_back(c);
    if (!first) return;
    if (!Still()) {
      // A running target is stopped for a moment to take the key. gdb's
      // words on that stop (the place it stopped at) are the driver's:
      // held, and dropped with the stop. In one of the stand-in's own
      // stops the target runs for the user too: a write now would meet it
      // running again, and the interrupt stops nothing; that stop puts the
      // key in the register before the program goes on (ArmKey,
      // ContinueRun), which this lock orders before or after the request.
      HoldConsole();
      m_keyInterrupt = true;
      m_gdb->Send("-exec-interrupt");
      return;
    }
  }
  // The key is the user's write into the receive register.
  const GdbPermissions::Hold write(m_access, GdbAccess::Write, [this] { return Still(); });
  if (write.ok()) ArmKey();
}

bool GdbTarget::ContinueRun() {
  SendPendingCounts();
  std::lock_guard<std::mutex> lock(m_keyMutex);
  if (!m_keys.empty() && !m_armed) ArmKeyLocked();
  return m_gdb->Send("-exec-continue") >= 0;
}

void GdbTarget::TakeHiddenStore(const MiRecord& r) {
  if (m_uartWrite < 0 || r.results.Str("reason") != "signal-received") return;
  // Asked before anything of this stop writes the register (gdb answers in
  // order), so the answer holds what the program left there.
  const uint8_t left = m_cell.load();
  m_gdb->Send("-data-read-memory-bytes " + HexText(m_uartBase) + " " + std::to_string(kLcrOffset + 1),
              [this, left](MiRecord& mem) {
                const MiValue* m = mem.results.Find("memory");
                if (!m || m->items.empty()) return;
                const std::string hex = m->items[0].second.Str("contents");
                if (hex.size() < 2 * (kLcrOffset + 1)) return;
                const auto byteAt = [&hex](uint32_t i) {
                  return uint8_t(std::strtoul(hex.substr(std::size_t(i) * 2, 2).c_str(), nullptr, 16));
                };
                const uint8_t c = byteAt(0);
                // With the divisor latch open the register is the divisor,
                // not a character (as Written).
                if (c != left && c != 0 && !(byteAt(kLcrOffset) & 0x80) && m_events.serial) m_events.serial(c);
              });
}

bool GdbTarget::AlsoBreakpointHit(const MiRecord& r) {
  // gdb names every reason of one stop, each as "reason".
  for (const MiItem& item : r.results.items)
    if (item.first == "reason" && item.second.text == "breakpoint-hit") return true;
  return false;
}

void GdbTarget::ResumeAfterUart(const MiRecord& r) {
  if (AlsoBreakpointHit(r))
    ReportOwnStop(r);
  else if (m_freeRun && TakePause(r))
    return;  // a change waits for the target to stand (WhileStill)
  else if (m_freeRun)
    ContinueRun();
  else if (m_stepMode >= 0 && m_stepMode != 3)
    ContinueStep(r);
  else
    EndOwnStep(r, true);  // one instruction stepped: it ends after the access
}

void GdbTarget::HoldConsole() {
  std::lock_guard<std::mutex> lock(m_consoleMutex);
  m_holding = true;
}

void GdbTarget::Written(uint8_t c, const MiRecord& r) {
  // With the divisor latch open the register is the divisor, not a character.
  m_gdb->Send("-data-read-memory-bytes " + HexText(m_uartBase + kLcrOffset) + " 1", [this, c, r](MiRecord& lcr) {
    uint8_t lcrValue = 0;
    if (const MiValue* mem = lcr.results.Find("memory"))
      if (!mem->items.empty())
        lcrValue = uint8_t(std::strtoul(mem->items[0].second.Str("contents").c_str(), nullptr, 16));
    if (c != 0 && !(lcrValue & 0x80) && m_events.serial) m_events.serial(c);
    ArmKey();  // the register holds the waiting key again, or 0
    ResumeAfterUart(r);
  });
}

bool GdbTarget::UartStop(const MiRecord& r) {
  if (m_uartWrite < 0) return false;
  const std::string reason = r.results.Str("reason");
  if (reason == "access-watchpoint-trigger") {
    const MiValue* wpt = r.results.Find("hw-awpt");
    if (!wpt || std::atoi(wpt->Str("number").c_str()) != m_uartWrite) return false;
    const MiValue* value = r.results.Find("value");
    uint64_t c = 0;
    const bool known = value && (value->Find("new") ? LeadingNumber(value->Str("new"), &c)
                                                    : LeadingNumber(value->Str("value"), &c));
    if (!known) {
      ResumeAfterUart(r);
      return true;
    }
    bool ok = false;
    const MiValue* frame = r.results.Find("frame");
    const uint64_t pc = frame ? ParseHex(frame->Str("addr"), &ok) : 0;
    const uint8_t cell = m_cell.load();
    const bool armed = m_armed.load();
    // The instruction before the stop tells a read from a write of the
    // armed value, in the state (ARM or Thumb) the core is in; gdb answers
    // in order, so the state is known when the bytes come.
    auto thumb = std::make_shared<bool>(false);
    m_gdb->Send("-data-evaluate-expression \"(unsigned long)$cpsr\"", [thumb](MiRecord& v) {
      uint64_t cpsr = 0;
      if (LeadingNumber(v.results.Str("value"), &cpsr)) *thumb = (cpsr & 0x20) != 0;
    });
    m_gdb->Send("-data-read-memory-bytes " + HexText(pc - 4) + " 4", [this, c, r, ok, cell, armed, thumb](MiRecord& mem) {
      MemAccess access = MemAccess::Unknown;
      if (ok)
        if (const MiValue* m = mem.results.Find("memory"))
          if (!m->items.empty()) {
            const std::string hex = m->items[0].second.Str("contents");
            if (hex.size() == 8) {
              uint8_t bytes[4];
              for (int i = 0; i < 4; ++i)
                bytes[i] = uint8_t(std::strtoul(hex.substr(std::size_t(i) * 2, 2).c_str(), nullptr, 16));
              access = AccessBefore(*thumb, bytes);
            }
          }
      const bool read = UartStopIsRead(uint8_t(c), cell, access);
      if (read) {
        // The program read the receive register: the key that waited
        // there is taken. A key typed since, not yet in the register, waits
        // on: the program read nothing of it.
        if (armed) {
          std::lock_guard<std::mutex> lock(m_keyMutex);
          if (!m_keys.empty()) m_keys.pop_front();
        }
        ArmKey();
        ResumeAfterUart(r);  // gdb takes the commands in order: the writes come first
        return;
      }
      Written(uint8_t(c), r);
    });
    return true;
  }
  if (reason == "signal-received" && m_keyInterrupt.exchange(false)) {
    ArmKey();
    ResumeAfterUart(r);  // a run goes on, and so does a step
    return true;
  }
  return false;
}

}  // namespace pm2::gdb
