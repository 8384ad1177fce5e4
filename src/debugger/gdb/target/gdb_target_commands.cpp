// The IDE's command language on a GDB target: each translated line
// (command_language.h) done with MI commands whose texts are single quoted
// arguments. Breakpoints the driver sets for itself (the UART stand-in's
// watchpoint, the temporary one of "run until") keep gdb's numbers busy;
// the command page's numbers leave them out, so the user's first
// breakpoint is number 1.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <utility>

#include "debugger/driver_shared/command_file.h"
#include "debugger/gdb/commands/background_run.h"
#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/commands/nested_input.h"
#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/breakpoints/typed_breakpoint_numbers.h"

namespace pm2::gdb {

namespace {

constexpr int kTimeoutMs = 3000;
constexpr int kMaxIncludeDepth = 8;

// A line's location as BL shows it: the file by its name, as BREAK LED.h:11
// is typed ("/home/u/blinky/LED.h:11" -> "LED.h:11"); any other as it is.
std::string ShownLocation(const std::string& location) {
  const std::size_t colon = location.rfind(':'), slash = location.rfind('/', colon);
  if (colon == std::string::npos || slash == std::string::npos || colon + 1 == location.size() ||
      location.find_first_not_of("0123456789", colon + 1) != std::string::npos)
    return location;
  return location.substr(slash + 1);
}

// A file's name without its folders, as a message names it ("x.ini").
std::string FileNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The command word of a typed line, as a refusal names it ("print").
std::string TypedWord(const std::string& typed) {
  const std::size_t from = typed.find_first_not_of(" \t");
  if (from == std::string::npos) return typed;
  return typed.substr(from, typed.find_first_of(" \t/", from) - from);
}

}  // namespace

std::string GdbTarget::Hex8(uint64_t v) {
  char b[24];
  std::snprintf(b, sizeof b, "0x%08llX", static_cast<unsigned long long>(v));
  return b;
}

int GdbTarget::Refuse(const std::string& why) {
  if (m_refusal)
    *m_refusal = why;
  else if (m_events.print)
    m_events.print("*** error: " + why + "\n");
  return 1;
}

bool GdbTarget::Console(const std::string& command, std::string* err,
                        const std::function<void(MiRecord&)>& answered) {
  if (!m_gdb) return false;
  // A command of gdb's own may set any register, run the target, or write
  // (the user's own "set var", or the driver's monitor commands).
  RegistersMayChange();
  const GdbPermissions::Hold run(m_access, GdbAccess::Run);
  const bool ok =
      run.ok() && Ok(m_gdb->Call("-interpreter-exec console " + MiQuote(command), kTimeoutMs, answered), err);
  FlushBlankConsole();
  return ok;
}

int GdbTarget::TypedConsole(const std::string& typed) {
  // gdb's own commands may set or delete breakpoints too.
  RememberBreakpointsAfter remember{this};
  std::string command, err;
  {
    // Stopped as the IDE sees it: in one of the driver's own momentary
    // stops the target runs on at once.
    TypedBreakpoints breakpoints;
    std::vector<GdbBreakpointInfo> list;
    breakpoints.running = !Still() || !ListBreakpoints(&list);
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (const GdbBreakpointInfo& b : list) breakpoints.userNumbers.push_back(UserNumber(b.number));
    breakpoints.gdbNumber = [this](int user) { return GdbNumber(user); };  // asked while the lock is held
    if (!TypedBreakpointCommand(GdbSpelling(typed), breakpoints, &command, &err)) return Refuse(err);
  }
  if (command.empty()) return 0;  // no breakpoint of the user's to change
  // While the target runs, or stands in one of the driver's own stops on
  // the way of a run or a step, gdb is not the user's: a command it takes
  // then meets the driver's own going on (a "print" that met a step's going
  // on ended gdb). The line is refused, as BS is.
  if (!Still()) return Refuse(TypedWord(typed) + ": the target runs; stop it first");
  // gdb's messages of the command (its log stream: "No source file named
  // x.c.") and what it printed without a line end ("output 1") are the
  // command page's now, not later glued to the next text. They go as gdb's
  // console text goes, so that they keep its order.
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    m_typedLog = true;
    m_typedLogText.clear();
  }
  const bool silentBefore = m_gdb && m_gdb->Silent();
  // A typed step stays a step through the UART stand-in's stops, as the
  // IDE's own steps do; a typed run runs on through them.
  const TypedResume resume = TypedResumeOf(command);
  if (Still()) PrepareTypedResume(resume);
  // A resuming command runs in the background: gdb goes on reading, and
  // Esc's stop request reaches it.
  const uint64_t stands = StandsSeen();
  auto answer = std::make_shared<MiRecord>();
  const bool ok = Console(InBackground(command), &err, [this, answer](MiRecord& a) {
    *answer = a;
    EndTypedAnswer(&a);
  });
  if (!ok && resume.resumes) m_stepMode = -1;
  // A typed run or step runs for the IDE as soon as gdb took it, as F5's
  // does: not first when gdb's report that the target runs is read, so
  // that the window never shows a running target as standing.
  if (ok && resume.resumes) RunAnswered(*answer, stands);
  if (!ok && !silentBefore && m_gdb && m_gdb->Silent()) {
    // gdb is still at the command: it may run the target for it ("print
    // f()" calls f, and gdb tells nothing of that run). The target runs as
    // after a step that runs on, and Esc stops it (or says that gdb does
    // not answer the stop request either).
    EndTypedAnswer(nullptr);
    SetExecuting(true);
    WaitEnded(WaitFor::Command, WaitEnd::RunsOn);
    return 0;
  }
  // "set may-write-memory off" typed: the driver's next command must not
  // trust what it last told gdb.
  m_access.Forget();
  EndTypedAnswer(nullptr);  // gdb did not answer in time: what it said so far
  // Whatever form the command took (gdb's python, a command of the user's
  // own), the driver's own breakpoints are its own again.
  KeepOwnBreakpoints();
  FollowTypedBreakpoints();
  // gdb's "ignore N C" gives the breakpoint a pass count of C + 1, which
  // it keeps for every round as one defined in the Breakpoints dialog.
  if (int number = 0, count = -1; ok && std::sscanf(command.c_str(), "ignore %d %d", &number, &count) == 2 &&
                                   number > 0 && count >= 0)
    DefinedCount(number, uint32_t(count) + 1);
  if (ok && !resume.resumes && Still()) {
    // "set var U = 7", "p $pc = 0x200": what the windows show may have
    // changed, the position too. (A command that resumed the target has
    // its stop to come, which tells the IDE; one of the driver's own stops
    // on its way is no position to take.)
    RegistersMayChange();
    TakePosition();
    if (m_events.written) m_events.written();
  }
  if (ok) return 0;
  {
    // "No breakpoint number 9." names gdb's number.
    std::lock_guard<std::mutex> lock(m_bpMutex);
    err = m_shownNumbers.Line(err, Numbering());
  }
  return Refuse(err);
}

std::string GdbTarget::StepAgainCommand(int mode) {
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    if (!m_stepAgain.empty()) return "-interpreter-exec console " + MiQuote(m_stepAgain);
  }
  const char* command = StepCommand(mode);
  return command ? command : "";
}

void GdbTarget::PrepareTypedResume(const TypedResume& resume) {
  if (!resume.resumes) return;
  m_freeRun = resume.stepMode < 0;
  m_stepDepth = 0;
  if (resume.stepMode >= 0 && m_uartWrite >= 0) {
    // The depth the step starts at: how far a stop of the UART stand-in's
    // in a call below goes back up before the step goes on.
    MiRecord d = m_gdb->Call("-stack-info-depth", kTimeoutMs);
    const int depth = std::atoi(d.results.Str("depth").c_str());
    if (Ok(d) && depth > 0) m_stepDepth = depth;
  }
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stepLine = m_stopLine;
    m_stepAgain = resume.again;
    m_stepLocation = resume.location;
    m_stepFunction = m_stopFunction;
  }
  m_stepMode = resume.stepMode;
}

void GdbTarget::FollowTypedBreakpoints() {
  std::vector<GdbBreakpointInfo> list;
  if (!ListBreakpoints(&list)) return;
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    std::map<int, bool> enabled;  // gdb's number -> enabled
    for (const GdbBreakpointInfo& b : list) enabled[b.number] = b.enabled;
    for (auto it = m_breakpoints.begin(); it != m_breakpoints.end();) {
      const auto found = enabled.find(it->second);
      if (found == enabled.end()) {
        m_disabled.erase(it->first);
        it = m_breakpoints.erase(it);
        changed = true;
        continue;
      }
      bool& disabled = m_disabled[it->first];
      changed |= disabled != !found->second;
      disabled = !found->second;
      ++it;
    }
    for (auto it = m_entryBreak.begin(); it != m_entryBreak.end();)
      it = m_breakpoints.count(it->second) ? std::next(it) : m_entryBreak.erase(it);
  }
  if (changed && m_events.breakpointsChanged) m_events.breakpointsChanged();
}

void GdbTarget::OwnBreakpoint(int number) {
  if (number <= 0) return;
  std::lock_guard<std::mutex> lock(m_bpMutex);
  m_ownNumbers.insert(number);
}

int GdbTarget::UserNumber(int gdbNumber) const {
  int below = 0;
  for (int own : m_ownNumbers)
    if (own < gdbNumber) ++below;
  return gdbNumber - below;
}

int GdbTarget::GdbNumber(int userNumber) const {
  if (userNumber <= 0) return 0;
  int number = userNumber;
  for (int own : m_ownNumbers)  // ascending
    if (own <= number) ++number;
  return number;
}

int GdbTarget::Execute(const std::string& input, CommandOrigin origin) {
  if (input.find_first_not_of(" \t\r\n") == std::string::npos) return 0;
  if (!m_gdb || State() == SessionState::Dead) return 1;
  const CommandTranslation t = TranslateCommand(input, origin);
  switch (t.action) {
    case CommandAction::Refuse:
      return Refuse(t.error);
    case CommandAction::Typed:
      if (const std::string why = NestedInputRefusal(GdbSpelling(t.expression)); !why.empty()) return Refuse(why);
      if (m_unanswered) return SayUnanswered() ? 0 : 1;
      if (!MonitorStopTaken()) return 1;
      // The line may run the target ("continue", "until"): the driver's
      // own watchpoint is checked first, as before any run.
      if (Still()) {
        KeepOwnBreakpoints();
        SendPendingCounts();
      }
      if (m_events.runStarting && Halted()) m_events.runStarting();
      return TypedConsole(t.expression);
    case CommandAction::Go:
    case CommandAction::RunUntil:
      return TypedRun(t);
    case CommandAction::SetPc:
      return AssignAndReposition("$pc = " + t.expression);
    case CommandAction::Assign:
      return AssignAndReposition(t.expression);
    case CommandAction::SetBreakpoint:
      return SetBreakpointAt(t, origin);
    case CommandAction::KillBreakpoints:
    case CommandAction::EnableBreakpoints:
    case CommandAction::DisableBreakpoints:
      return ChangeBreakpoints(t);
    case CommandAction::ListBreakpoints:
      return ListForCommandPage();
    case CommandAction::Include:
      return IncludeFile(t.file);
    case CommandAction::ShowCode:
      return ShowCode(t.expression);
  }
  return 1;
}

void GdbTarget::EndTypedAnswer(const MiRecord* answer) {
  std::string log;
  bool open = false;
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    if (!m_typedLog) return;
    m_typedLog = false;
    log.swap(m_typedLogText);
    open = std::exchange(m_openLine, false);
  }
  // A refused command's message comes as its answer too: said once, as the refusal.
  const std::string refusal = answer && answer->cls == "error" ? answer->results.Str("msg") : "";
  if (!refusal.empty())
    if (const std::size_t at = log.find(refusal + "\n"); at != std::string::npos) log.erase(at, refusal.size() + 1);
  std::string text = (open ? "\n" : "") + log;
  {
    // A table of gdb's whose rows were all the driver's.
    std::lock_guard<std::mutex> lock(m_bpMutex);
    text += m_shownNumbers.End();
  }
  if (text.empty()) return;
  if (m_events.console)
    m_events.console(text);
  else if (m_events.print)
    m_events.print(text);
}

int GdbTarget::TypedRun(const CommandTranslation& t) {
  if (!Halted()) {
    if (!m_unanswered) return Refuse("G: the target runs already");
    SayUnanswered();
    return 1;
  }
  if (m_events.runStarting) m_events.runStarting();
  const bool until = t.action == CommandAction::RunUntil;
  // A line of an included file runs before the next one: the file's runs
  // go in turn, and a refusal goes to its line.
  if (m_includeDepth > 0) {
    if (until) return RunUntil(t.location);
    // A run the target did not answer has said so already.
    return Go(0xFFFFFFFFu) ? 0 : m_unanswered ? 1 : Refuse("G: the target runs already");
  }
  // Typed, or a client's: the run goes from the request thread, and the
  // window gets the line back at once.
  if (!until) return AskRun(0xFFFFFFFFu, nullptr) ? 0 : 1;
  return Ask([this, location = t.location] { RunUntil(location); }) ? 0 : 1;
}

int GdbTarget::RunUntil(const std::string& location) {
  if (!Halted()) return Refuse("G: the target runs already");
  if (!MonitorStopTaken()) return 1;
  SendPendingCounts();
  std::string err;
  MiRecord r;
  {
    // gdb evaluates the location as it sets the breakpoint.
    const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
    if (!read.ok()) return Refuse("G: the target runs already");
    r = m_gdb->Call("-break-insert -t -- " + MiQuote(location), kTimeoutMs);
  }
  if (!Ok(r, &err)) return Refuse("G: " + err);
  if (const MiValue* b = r.results.Find("bkpt")) OwnBreakpoint(std::atoi(b->Str("number").c_str()));
  m_freeRun = true;
  m_stepMode = -1;
  const GdbPermissions::Hold run(m_access, GdbAccess::Run, [this] { return Halted(); });
  if (!run.ok()) return Refuse("G: " + err);
  const uint64_t stands = StandsSeen();
  r = m_gdb->Call("-exec-continue", kTimeoutMs);
  RunAnswered(r, stands);
  return Ok(r, &err) ? 0 : Refuse("G: " + err);
}

int GdbTarget::AssignAndReposition(const std::string& assignment) {
  if (!Halted()) return Refuse("the target runs: no assignment now");
  std::string err;
  {
    // The write asked for, and no call.
    const GdbPermissions::Hold write(m_access, GdbAccess::Write, [this] { return Halted(); });
    if (!write.ok()) return Refuse("the target runs: no assignment now");
    if (!Ok(m_gdb->Call("-data-evaluate-expression " + MiQuote(assignment), kTimeoutMs), &err)) return Refuse(err);
  }
  Reposition();
  return 0;
}

int GdbTarget::ShowCode(const std::string& address) {
  uint64_t at = 0;
  std::string text, error;
  if (!Evaluate(address, &at, &text, &error))
    return Refuse("U: " + (!error.empty() ? error : !text.empty() ? "its value " + text + " is no address"
                                                                  : "the target runs; stop it first"));
  if (at > 0xFFFFFFFFu) return Refuse("U: the value " + text + " does not fit in 32 bits");
  if (m_events.shown) m_events.shown(uint32_t(at));
  return 0;
}

void GdbTarget::Reposition() {
  RegistersMayChange();
  TakePosition();
  // The IDE shows the new position.
  if (m_events.changed) m_events.changed();
}

void GdbTarget::TakePosition() {
  uint64_t pc = 0;
  if (!Evaluate("(unsigned long)$pc", &pc) || uint32_t(pc) == m_pc) return;
  m_pc = uint32_t(pc);
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopLine = SourceLine{};
    m_stopFunction.clear();
  }
  SourceLine line;
  if (FindSource(pc, &line)) {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopLine = line;
  }
}

int GdbTarget::SetBreakpointAt(const CommandTranslation& t, CommandOrigin origin) {
  if (!Still()) return Refuse("BS: the target runs; stop it first");
  RememberBreakpointsAfter remember{this};
  std::string gdbCommand, err;
  if (!t.command.empty() && !BreakpointCommand(t.command, origin, &gdbCommand, &err)) return Refuse("BS: " + err);
  if (!t.truth.empty()) {
    int number = 0;
    if (!DefineConditional(t.truth, t.truth, t.count, {t.command}, &number, &err)) return 1;
    if (m_events.print) {
      std::lock_guard<std::mutex> lock(m_bpMutex);
      m_events.print("Conditional breakpoint " + std::to_string(UserNumber(number)) + ": " + t.truth + "\n");
    }
    if (m_events.breakpointsChanged) m_events.breakpointsChanged();
    return 0;
  }
  std::string command = "-break-insert";
  if (t.count > 1) command += " -i " + std::to_string(t.count - 1);
  MiRecord r;
  {
    // gdb evaluates the location as it sets the breakpoint.
    const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
    if (!read.ok()) return Refuse("BS: the target runs; stop it first");
    r = m_gdb->Call(command + " -- " + MiQuote(t.location), kTimeoutMs);
  }
  if (!Ok(r, &err)) return Refuse("BS: " + err);
  const InsertedBreakpoint b = InsertedBreakpointOf(r.results);
  const int number = b.number;
  if (number <= 0) return Refuse("BS: gdb gave no breakpoint number");
  DefinedCount(number, t.count);
  if (!gdbCommand.empty() && !Ok(m_gdb->Call("-break-commands " + std::to_string(number) + " " +
                                                  MiQuote(GdbSpelling(gdbCommand)),
                                              kTimeoutMs),
                                  &err)) {
    m_gdb->Call("-break-delete " + std::to_string(number), kTimeoutMs);
    return Refuse("BS: " + err);
  }
  uint64_t entry = 0;
  // "BS main" stops after main's entry code; main's address names it too
  // (a function in several places has no one entry).
  const bool function = b.addresses.size() == 1 && t.location[0] != '*' &&
                        Evaluate("(unsigned long)" + t.location, &entry);
  int shown = 0;
  {
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (uint64_t address : b.addresses) m_breakpoints[address] = number;
    if (function && entry != b.addresses[0]) m_entryBreak[entry] = b.addresses[0];
    shown = UserNumber(number);
  }
  if (m_events.print) {
    std::string text = "Breakpoint " + std::to_string(shown) + " at ";
    text += b.addresses.empty() ? r.results.Find("bkpt")->Str("addr") : Hex8(b.addresses[0]);
    if (!b.file.empty()) text += ": " + b.file + ", line " + b.line;
    if (b.addresses.size() > 1) text += " (" + std::to_string(b.addresses.size()) + " locations)";
    m_events.print(text + "\n");
  }
  if (m_events.breakpointsChanged) m_events.breakpointsChanged();
  return 0;
}

int GdbTarget::ChangeBreakpoints(const CommandTranslation& t) {
  const char* word = t.action == CommandAction::KillBreakpoints     ? "BK"
                     : t.action == CommandAction::EnableBreakpoints ? "BE"
                                                                    : "BD";
  if (!Still()) return Refuse(std::string(word) + ": the target runs; stop it first");
  std::vector<int> numbers;
  if (t.all) {
    std::vector<GdbBreakpointInfo> list;
    ListBreakpoints(&list);
    for (const GdbBreakpointInfo& b : list) numbers.push_back(b.number);
  } else {
    std::vector<GdbBreakpointInfo> list;
    ListBreakpoints(&list);
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (int user : t.numbers) {
      const int number = GdbNumber(user);
      bool exists = false;
      for (const GdbBreakpointInfo& b : list) exists |= b.number == number;
      if (!exists) return Refuse(std::string(word) + ": no breakpoint " + std::to_string(user));
      numbers.push_back(number);
    }
  }
  int failed = 0;
  for (int number : numbers) {
    const bool ok = t.action == CommandAction::KillBreakpoints ? DeleteBreakpoint(number)
                                                               : EnableBreakpoint(number, t.action ==
                                                                                              CommandAction::EnableBreakpoints);
    if (!ok) {
      ++failed;
      continue;
    }
    // The margin's view of the breakpoints follows (an enable's or a
    // disable's is EnableBreakpoint's).
    std::lock_guard<std::mutex> lock(m_bpMutex);
    if (t.action == CommandAction::KillBreakpoints) {
      for (auto it = m_disabled.begin(); it != m_disabled.end();)
        it = m_breakpoints.count(it->first) ? std::next(it) : m_disabled.erase(it);
      for (auto it = m_entryBreak.begin(); it != m_entryBreak.end();)
        it = m_breakpoints.count(it->second) ? std::next(it) : m_entryBreak.erase(it);
    }
  }
  if (failed < int(numbers.size()) && m_events.breakpointsChanged) m_events.breakpointsChanged();
  return failed ? Refuse(std::string(word) + ": gdb refused " + std::to_string(failed) + " of them") : 0;
}

int GdbTarget::ListForCommandPage() {
  std::vector<GdbBreakpointInfo> list;
  if (!ListBreakpoints(&list)) return Refuse("BL: the target runs; stop it first");
  std::string text;
  for (const GdbBreakpointInfo& b : list) {
    int shown = 0;
    {
      std::lock_guard<std::mutex> lock(m_bpMutex);
      shown = UserNumber(b.number);
    }
    char head[64];
    // A conditional breakpoint has no address: it watches its truth.
    const bool conditional = b.access == 2 && !b.condition.empty() && b.condition == b.location;
    if (conditional)
      std::snprintf(head, sizeof head, "%3d: (%c) (C)  ", shown, b.enabled ? 'E' : 'D');
    else
      std::snprintf(head, sizeof head, "%3d: (%c) %s  ", shown, b.enabled ? 'E' : 'D', Hex8(b.address).c_str());
    text += head + ShownLocation(b.location);
    if (b.access && !conditional) text += b.access == 1 ? "  (read)" : b.access == 2 ? "  (write)" : "  (read/write)";
    if (b.passCount > 1) text += ", CNT=" + std::to_string(b.passCount);
    if (!b.condition.empty() && !conditional) text += ", if " + b.condition;
    if (!b.command.empty()) text += ", \"" + b.command + "\"";
    text += "\n";
  }
  if (m_events.print && !text.empty()) m_events.print(text);
  return 0;
}

int GdbTarget::IncludeFile(const std::string& file) {
  if (m_includeDepth >= kMaxIncludeDepth)
    return Refuse("Include: '" + file + "' includes files more than " + std::to_string(kMaxIncludeDepth) + " deep");
  // Read whole before a line runs: a named pipe or a device named here is
  // refused with what it is, never waited on or read without end.
  std::string content, unread;
  if (!ReadCommandFile(file, &content, &unread)) {
    // A path written in the project's Windows form.
    std::string slashed = file;
    for (char& c : slashed)
      if (c == '\\') c = '/';
    std::string slashedWhy;
    if (slashed == file) return Refuse("Include: " + unread);
    // What stands at the name as the file system reads it is what is said.
    if (!ReadCommandFile(slashed, &content, &slashedWhy))
      return Refuse("Include: " + (::access(file.c_str(), F_OK) == 0 ? unread : slashedWhy));
  }
  ++m_includeDepth;
  int failed = 0, number = 0;
  std::istringstream in(content);
  std::string line;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, 2, "//") == 0) continue;
    // A file's lines need not be the user's (the project's initialisation
    // file comes with the project): they are judged as a file's. A
    // refused line is said with its file and number ("*** error in
    // 'x.ini', line 2: ..."), which a double click on the command page
    // takes to the function editor's line; the lines after it still run.
    std::string why;
    std::string* outer = std::exchange(m_refusal, &why);
    int result = 0;
    if (!m_events.ownCommand || !m_events.ownCommand(line, &result)) result = Execute(line, CommandOrigin::File);
    m_refusal = outer;
    if (result == 0) continue;
    ++failed;
    const std::string text = "*** error in '" + FileNameOf(file) + "', line " + std::to_string(number) + ": " +
                             (why.empty() ? "the line failed" : why);
    if (m_events.print) m_events.print(text + "\n");
    if (m_includeDepth == 1 && m_events.includeError) m_events.includeError(number, text);
  }
  --m_includeDepth;
  if (!failed) return 0;
  return Refuse("Include: " + std::to_string(failed) + (failed == 1 ? " line" : " lines") + " of '" + file +
                "' failed");
}

}  // namespace pm2::gdb
