#include "debugger/gdb/target/gdb_target.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <utility>

#include "debugger/gdb/commands/expression_effects.h"
#include "debugger/gdb/elf/line_tables.h"
#include "debugger/gdb/process/qemu_launcher.h"

namespace pm2::gdb {

namespace {

constexpr int kCommandTimeoutMs = 3000;
// gdb's first answer, once it has read the program file.
constexpr int kFirstAnswerMs = 20000;
// How long a stop request waits for gdb to read it before gdb is signalled.
constexpr int kInterruptSignalMs = 300;

// What gdb's log stream said while it read the program file, without its
// warnings: "" when it read the file.
std::string LoadFailure(const std::string& log) {
  std::string failure;
  std::size_t at = 0;
  while (at < log.size()) {
    std::size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(at, end - at);
    at = end + 1;
    if (line.empty() || line.rfind("warning:", 0) == 0) continue;
    failure += (failure.empty() ? "" : "; ") + line;
  }
  return failure;
}

// What an emulator that ended as the session started wrote, at most this much.
constexpr std::size_t kEmulatorSaidKept = 400;

std::string EmulatorEndedText(const QemuMachine& qemu, std::string said) {
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
  if (said.size() == kEmulatorSaidKept) said += "...";
  return "the emulator of the driver's settings, '" + qemu.program + "' (machine '" + qemu.machine +
         "'), ended as the session started" + (said.empty() ? std::string(" without a word") : "; it said:\n" + said);
}

// gdb's report of a breakpoint in the console text of a stop that was
// also the driver's own (the UART stand-in's watchpoint, its way back up a
// step's frame): from the line that names the breakpoint on ("" none).
std::string BreakpointReport(const std::string& held) {
  const std::size_t at = held.find("reakpoint ");
  if (at == std::string::npos) return std::string();
  const std::size_t line = held.rfind('\n', at);
  return held.substr(line == std::string::npos ? 0 : line + 1);
}

// The milliseconds left of a bound (0 once it has ended).
int RestMs(const CreditedBound& until) { return until.RestMs(); }

std::string Hex(uint64_t v) {
  char b[24];
  std::snprintf(b, sizeof b, "0x%llX", static_cast<unsigned long long>(v));
  return b;
}

uint64_t ParseNumber(const std::string& text, bool* ok) {
  const char* s = text.c_str();
  char* end = nullptr;
  unsigned long long v = 0;
  if (text.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    v = std::strtoull(s + 2, &end, 16);
  else if (!text.empty() && text[0] == '-')
    v = static_cast<unsigned long long>(std::strtoll(s, &end, 10));
  else
    v = std::strtoull(s, &end, 10);
  *ok = end && end != s && (*end == '\0' || *end == ' ');
  return v;
}

// The names the register page shows for gdb's core registers of ARM.
struct CoreRegister {
  const char* gdb;
  const char* shown;
};
constexpr CoreRegister kCore[] = {{"r0", "R0"},   {"r1", "R1"},   {"r2", "R2"},   {"r3", "R3"},  {"r4", "R4"},
                                  {"r5", "R5"},   {"r6", "R6"},   {"r7", "R7"},   {"r8", "R8"},  {"r9", "R9"},
                                  {"r10", "R10"}, {"r11", "R11"}, {"r12", "R12"}, {"sp", "SP"},  {"lr", "LR"},
                                  {"pc", "PC"},   {"cpsr", "CPSR"}};

}  // namespace

TargetParams ParseTargetParams(const std::string& text) {
  TargetParams p;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    if (word == "-sim") {
      p.simulate = true;
    } else if (word == "-remote") {
      p.simulate = false;
      in >> p.remote;
    } else if (word == "-gdb") {
      in >> p.gdb;
    } else if (word == "-qemu") {
      in >> p.qemu.program;
    } else if (word == "-machine") {
      in >> p.qemu.machine;
    } else if (word == "-uart") {
      std::string base;
      in >> base;
      p.uart = base != "none";
      if (p.uart) p.uartBase = uint32_t(std::strtoul(base.c_str(), nullptr, 0));
    } else if (word == "-timeout") {
      int seconds = 0;
      in >> seconds;
      if (seconds > 0) p.connectTimeoutMs = seconds * 1000;
    }
  }
  return p;
}

GdbTarget::GdbTarget(TargetEvents events)
    : m_events(std::move(events)),
      m_access([this](const std::string& setting) { return SetAccess(setting); },
               [this] {
                 // A setting gdb did not answer fails the command it was
                 // sent for, and is said as any other command's silence is
                 // (the command itself is not sent: nothing would read it).
                 if (m_settingUnanswered.exchange(false)) WaitEnded(WaitFor::Setting, WaitEnd::NoAnswer);
               }) {
  // While a run of the IDE's is under way on the request thread the target
  // runs for the IDE: no other thread waits for that run's hold.
  m_access.SetBusyElsewhere([this] { return RunAskedElsewhere(); });
}

bool GdbTarget::SetAccess(const std::string& setting) {
  if (!m_gdb) return false;
  const MiRecord r = m_gdb->Call(setting, kCommandTimeoutMs);
  if (r.cls == "timeout") m_settingUnanswered = true;
  return Ok(r);
}

GdbTarget::~GdbTarget() { Close(); }

bool GdbTarget::Ok(const MiRecord& r, std::string* err) const {
  if (r.cls == "done" || r.cls == "running" || r.cls == "connected") return true;
  if (err) *err = r.results.Str("msg").empty() ? r.cls : r.results.Str("msg");
  return false;
}

bool GdbTarget::Start(const TargetParams& params, const std::string& program, std::string* err) {
  if (FindInPath(params.gdb).empty()) {
    *err = MissingProgramText(params.gdb, "GDB program");
    return false;
  }
  m_simulated = params.simulate;
  GdbConnection::Handlers h;
  h.stopped = [this](const MiRecord& r) { OnStopped(r); };
  // The IDE hears of a stop once gdb takes questions again.
  h.settled = [this] {
    if (!m_ownStop) NotifyStopped();
  };
  h.running = [this] {
    // A target that did not answer stays out of the executing state until
    // it stops again, so that the session can still be ended.
    if (!m_unanswered) SetExecuting(true);
  };
  h.console = [this](const std::string& text) { OnConsole(text); };
  h.log = [this](const std::string& text) { OnLog(text); };
  h.dead = [this](const std::string& reason) { OnDead(reason); };
  h.answeredAgain = [this](const MiRecord&) { AnsweredAgain(); };
  m_gdb = std::make_unique<GdbConnection>(std::move(h));
  {
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_starting = true;
    m_startLog.clear();
  }
  if (!m_gdb->Start({params.gdb, "-q", "-nx", "--interpreter=mi2", program}, err)) return false;
  // qemu starts while gdb reads the program and takes its settings; its
  // stub's socket listens at once, so the connection below waits for
  // nothing else.
  std::string remote = params.remote;
  if (params.simulate) {
    int monitor = -1;
    if (!StartQemu(params.qemu, program, &m_qemu, &m_stub, &monitor, err)) return false;
    m_qemuMonitor.Open(monitor);
    m_gdb->WatchAlso(m_qemu.Pid());
    remote = m_stub.Path();
  }
  std::string why;
  // gdb reads its commands while the target runs: a stop request reaches
  // it during a step too. Without that, gdb reads nothing until the step
  // ends, and a step that runs on (a line that loops on itself, stepped
  // instruction by instruction, as qemu's stub steps no ranges) takes no
  // signal either: gdb drops the interrupt between two of its steps.
  // gdb answers its first command once it has read the program, which
  // takes longer on a busy machine: that answer has a bound of its own. The
  // server's first answers, too, may come late while the session starts:
  // gdb waits for each packet as long as the connection may take, and only
  // then as long as a stopped target is waited for.
  const std::string connectPacketWait =
      "-gdb-set remotetimeout " + std::to_string(std::max(2, params.connectTimeoutMs / 1000));
  bool first = true;
  for (const std::string& setup : {std::string("-gdb-set confirm off"), std::string("-gdb-set pagination off"),
                                  connectPacketWait, std::string("-gdb-set tcp connect-timeout 3"),
                                  std::string("-gdb-set mi-async on")})
    if (!Ok(m_gdb->Call(setup, std::exchange(first, false) ? kFirstAnswerMs : kCommandTimeoutMs), &why)) {
      // A program that ended at once says what it said; it is no gdb
      // that speaks GDB/MI.
      *err = m_gdb->State() == SessionState::Dead
                 ? m_gdb->DeadReason() + " (the GDB program of the driver's settings must be a gdb with GDB/MI)"
                 : params.gdb + " does not answer: " + why;
      return false;
    }
  // gdb has read the program file before it answers its first command; what
  // it could not read it said on its log stream. Such a file (cut short,
  // empty, not a program) ends the start with gdb's words, before anything
  // connects to the target (qemu ends with the session).
  {
    std::lock_guard<std::mutex> lock(m_logMutex);
    const std::string failure = LoadFailure(m_startLog);
    if (!failure.empty()) {
      *err = failure;
      return false;
    }
  }
  MiRecord connected = m_gdb->Call("-target-select remote " + remote, params.connectTimeoutMs);
  if (!Ok(connected, &why)) {
    *err = params.simulate && !m_qemu.Running()
               ? EmulatorEndedText(params.qemu, m_qemu.Said(kEmulatorSaidKept))
               : "GDB server at " + remote + " does not answer" + (why.empty() ? "" : ": " + why);
    return false;
  }
  // The first stop comes with the connection; its frame is the position.
  m_gdb->WaitStopped(kCommandTimeoutMs);
  m_gdb->Call("-gdb-set remotetimeout 2", kCommandTimeoutMs);
  // qemu keeps its breakpoints and watchpoints off the program's memory:
  // they stay set between stops, rather than each step setting and
  // removing them again (the UART stand-in's watchpoint with every step).
  if (params.simulate) m_gdb->Call("-gdb-set breakpoint always-inserted on", kCommandTimeoutMs);
  BuildRegisterSet();
  if (params.simulate && params.uart) SetupUart(params);
  m_monitor = std::thread([this] { Monitor(); });
  std::string log;
  {
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_starting = false;
    log.swap(m_startLog);
  }
  if (m_events.print) {
    // What gdb warned of while it read the program file.
    if (!log.empty()) m_events.print(log);
    m_events.print(params.simulate ? "GDB driver: simulation in " + params.qemu.program + " (machine '" +
                                         params.qemu.machine + "'), GDB stub at " + remote + "\n"
                                   : "GDB driver: connected to the GDB server at " + remote + "\n");
  }
  return true;
}

void GdbTarget::OnLog(const std::string& text) {
  {
    // A typed command's messages are the command page's ("No breakpoint
    // number 9." with the page's number).
    const std::string shown = ShownBreakpointNumbers(text);
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    if (m_typedLog) {
      if (m_typedLogText.size() < 65536) m_typedLogText += shown;
      return;
    }
  }
  std::lock_guard<std::mutex> lock(m_logMutex);
  // Kept while the session starts (bounded); later gdb's errors come with
  // the answers that the driver prints.
  if (m_starting && m_startLog.size() < 4096) m_startLog += text;
}

void GdbTarget::SetExecuting(bool on) {
  std::lock_guard<std::mutex> lock(m_executingMutex);
  if (!on) ++m_standsSeen;
  // Standing for the IDE, the target takes its questions again, whatever
  // the request thread still ends.
  if (!on) m_runAsked = false;
  m_executing = on;
  if (m_events.executing) m_events.executing(on);
}

uint64_t GdbTarget::StandsSeen() {
  std::lock_guard<std::mutex> lock(m_executingMutex);
  return m_standsSeen;
}

void GdbTarget::RunAnswered(const MiRecord& answer, uint64_t standsBefore) {
  if (answer.cls != "running") return;
  std::lock_guard<std::mutex> lock(m_executingMutex);
  if (m_standsSeen != standsBefore || m_unanswered) return;
  m_executing = true;
  if (m_events.executing) m_events.executing(true);
}

void GdbTarget::WaitEnded(WaitFor what, WaitEnd end) {
  const WaitReport report = ReportWait(what, end, kReplyBoundMs);
  if (end == WaitEnd::NoAnswer || what == WaitFor::Stop) {
    m_unanswered = true;
    SetExecuting(false);
  }
  if (m_events.print) m_events.print(report.command);
  if (m_events.status) m_events.status(report.status);
}

void GdbTarget::AnsweredAgain() {
  // Only a wait that ended without an answer kept the target from taking
  // commands; one that ended because a command of gdb's ran on did not.
  if (!m_unanswered.exchange(false)) return;
  // gdb now does what it did not answer in time: a run or a step it took
  // late runs the target, which a stop request then stops.
  if (State() == SessionState::Running) SetExecuting(true);
  if (m_events.print) m_events.print("GDB driver: gdb answers again: the target takes commands again\n");
  if (m_events.status) m_events.status("gdb answers");
}

bool GdbTarget::SayUnanswered() {
  // Refused without a word only where the IDE sees why (the target runs).
  if (m_unanswered && m_events.print)
    m_events.print("*** Error: the target did not answer the last command: nothing more is sent to it until it "
                   "stops or gdb answers again (Ctrl+F5 ends the session)\n");
  return false;
}

bool GdbTarget::MonitorStopTaken() {
  if (m_qemuMonitor.Taken(kReplyBoundMs)) return true;
  if (m_events.print)
    m_events.print("*** Error: qemu has not taken the stop request sent to it: no run, step or typed command goes "
                   "until it does, as the stop would end it (Ctrl+F5 ends the session)\n");
  if (m_events.status) m_events.status("qemu: no answer");
  return false;
}

void GdbTarget::Monitor() {
  // A simulation whose qemu ends, or a gdb that ends, ends the session.
  while (!m_closing) {
    if (m_simulated && !m_qemu.Running() && !m_closing) {
      if (m_gdb) m_gdb->Die("qemu-system-arm ended");
      if (m_gdb) m_gdb->KillProcess();
      return;
    }
    if (m_gdb && m_gdb->State() == SessionState::Dead) return;
    TakeStandingStop();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

void GdbTarget::OnDead(const std::string& reason) {
  if (m_closing) return;
  SetExecuting(false);
  if (m_events.ended) m_events.ended(reason);
}

void GdbTarget::Close() {
  m_closing = true;
  WakeWaits();
  // gdb and qemu end first: a request under way on the request thread
  // waits on them no longer (their answers come as errors), and it ends.
  if (m_gdb) m_gdb->Close(m_events.pump);
  m_qemu.Kill();
  m_qemuMonitor.Close();
  m_stub.Close();
  WakeWaits();
  m_requests.Close(m_events.pump);
  if (m_monitor.joinable()) m_monitor.join();
  m_gdb.reset();
}

void GdbTarget::WakeWaits() {
  // Each under its own lock, so that a wait between its check and its
  // sleep does not miss the wake.
  { std::lock_guard<std::mutex> lock(m_reportMutex); }
  m_reportCv.notify_all();
  { std::lock_guard<std::mutex> lock(m_pauseStateMutex); }
  m_pauseCv.notify_all();
}

bool GdbTarget::CodeMayBeAsked() {
  if (!Halted()) return false;
  if (!m_executing && !m_ownWay) return true;
  std::lock_guard<std::mutex> lock(m_pauseStateMutex);
  return m_pauseThread == std::this_thread::get_id();
}

void GdbTarget::OnStopped(const MiRecord& r) {
  // Until the stop shows whose it is, and the IDE has heard of it, nothing
  // asks gdb about the code: the driver may resume the target at once.
  m_ownWay = true;
  TakeHiddenStore(r);
  if (PauseStop(r) || StrayInterrupt(r) || UntakenRunEnded(r)) return;
  ReloadCounts(r);
  const std::string held = TakeHeldConsole();
  const bool finishing = std::exchange(m_finishing, false);
  m_ownStop = true;
  if (UartStop(r)) {
    // The UART's stop that also hit a breakpoint is the user's: gdb's report
    // of the breakpoint is shown, its report of the watchpoint is not.
    if (const std::string report = BreakpointReport(held); AlsoBreakpointHit(r) && !report.empty() && m_events.print)
      m_events.print(ShownBreakpointNumbers(report));
    return;
  }
  // The driver's own way back up to a step's frame ended: the step goes on,
  // unless the return landed on a user's breakpoint (gdb names that reason
  // second): gdb's own step would have stopped there, and going on from it
  // steps over it.
  const bool hit = AlsoBreakpointHit(r);
  if (finishing && m_stepMode >= 0 && r.results.Str("reason") == "function-finished" && !hit) {
    ContinueStep(r);
    return;
  }
  m_ownStop = false;
  m_ownWay = false;
  if (finishing && hit) {
    // The "Run till exit" before it was the driver's; gdb's report of the
    // breakpoint is the user's.
    if (const std::string report = BreakpointReport(held); !report.empty() && m_events.print)
      m_events.print(ShownBreakpointNumbers(report));
  } else if (!held.empty() && m_events.print) {
    m_events.print(held);
  }
  ReportStop(r);
}

void GdbTarget::NotifyStopped() {
  // The IDE sees the target stand only now that gdb takes commands: cleared
  // as gdb's stop record came (before gdb's own state followed it), the
  // executing bit let a step asked for at once find gdb still running, and
  // the step was dropped without a word. The bit goes before the count of
  // reported stops, which a stop request reads first (Interrupt).
  m_stopAsked = false;
  m_ownWay = false;
  // The run or step asked for has come to its stop: the windows may ask.
  m_runAsked = false;
  SetExecuting(false);
  PrefetchRegisters();
  CheckOwnBreakpointsAtStop();
  {
    std::lock_guard<std::mutex> lock(m_reportMutex);
    ++m_reported;
  }
  m_reportCv.notify_all();
  {
    // A change waiting for a stop of its own has this one.
    std::lock_guard<std::mutex> lock(m_pauseStateMutex);
  }
  m_pauseCv.notify_all();
  if (m_events.stopped) m_events.stopped();
}

void GdbTarget::ReportOwnStop(const MiRecord& r) {
  // A stop request that met one of the driver's own stops ends there: gdb
  // said nothing of a stop of the user's, so the driver says where it is.
  if (m_stopAsked) SayStop(r);
  ReportStop(r);
  NotifyStopped();
}

void GdbTarget::SayStop(const MiRecord& r) {
  if (!m_events.print) return;
  std::string text = "\nProgram stopped.\n";
  if (const MiValue* frame = r.results.Find("frame")) {
    text += frame->Str("addr");
    if (!frame->Str("func").empty()) text += " in " + frame->Str("func") + " ()";
    if (!frame->Str("file").empty()) text += " at " + frame->Str("file") + ":" + frame->Str("line");
    text += "\n";
  }
  m_events.print(text);
}

uint64_t GdbTarget::Reported() {
  std::lock_guard<std::mutex> lock(m_reportMutex);
  return m_reported;
}

bool GdbTarget::WaitReported(uint64_t n, int timeoutMs, bool orStopAsked) {
  const CreditedBound bound = ReplyBound(timeoutMs);
  std::unique_lock<std::mutex> lock(m_reportMutex);
  const auto done = [&] {
    return m_reported >= n || m_closing || (orStopAsked && m_stopQueued) ||
           (m_gdb && m_gdb->State() == SessionState::Dead);
  };
  while (!done()) {
    const int rest = bound.RestMs();
    if (rest == 0) break;
    m_reportCv.wait_for(lock, std::chrono::milliseconds(std::min(rest, kCreditSliceMs)), done);
  }
  return m_reported >= n;
}

CreditedBound GdbTarget::ReplyBound(int ms) const { return CreditedBound(m_gdb ? &m_gdb->Credit() : nullptr, ms); }

const char* GdbTarget::StepCommand(int mode) {
  static const char* const kCommands[] = {"-exec-step", "-exec-next", "-exec-finish", "-exec-step-instruction",
                                          "-exec-next-instruction"};
  return mode >= 0 && mode < int(std::size(kCommands)) ? kCommands[mode] : nullptr;
}

void GdbTarget::ReportStop(const MiRecord& r, bool sayReason) {
  const MiValue* frame = r.results.Find("frame");
  if (frame) {
    bool ok = false;
    uint64_t pc = ParseNumber(frame->Str("addr"), &ok);
    if (ok) m_pc = uint32_t(pc);
    m_pcKnown = ok;
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopLine.file = frame->Str("fullname");
    m_stopFunction = frame->Str("func");
    bool lineOk = false;
    m_stopLine.line = int(ParseNumber(frame->Str("line"), &lineOk));
    if (!lineOk) m_stopLine.line = 0;
  } else {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopFunction.clear();
  }
  m_stepMode = -1;
  m_unanswered = false;
  const std::string reason = r.results.Str("reason");
  if (sayReason && (reason == "exited" || reason == "exited-normally" || reason == "signal-received"))
    if (m_events.print) m_events.print("GDB driver: the program stopped (" + reason + ")\n");
}

bool GdbTarget::Go(uint32_t stopAddress) {
  if (!Halted()) return SayUnanswered();
  if (!MonitorStopTaken()) return false;
  // Whatever a command did to the driver's own watchpoint, the program's
  // output reaches the serial window.
  KeepOwnBreakpoints();
  SendPendingCounts();
  bool stepped = false;
  if (StopForTrueCondition(&stepped)) return stepped;
  // gdb resumes the target only with memory writes on.
  const GdbPermissions::Hold run(m_access, GdbAccess::Run, [this] { return Halted(); });
  if (!run.ok()) return false;
  const CreditedBound until = ReplyBound(kReplyBoundMs);
  if (stopAddress != 0xFFFFFFFFu) {
    MiRecord r = m_gdb->Call("-break-insert -t *" + Hex(stopAddress), RestMs(until));
    if (r.cls == "timeout") WaitEnded(WaitFor::Run, WaitEnd::NoAnswer);
    if (!Ok(r)) return false;
    if (const MiValue* b = r.results.Find("bkpt")) OwnBreakpoint(std::atoi(b->Str("number").c_str()));
  }
  m_freeRun = true;
  m_stepMode = -1;
  // The program counter of the last stop is no answer once the target runs.
  m_pcKnown = false;
  const uint64_t stands = StandsSeen();
  MiRecord r = m_gdb->Call("-exec-continue", RestMs(until));
  if (r.cls == "timeout") WaitEnded(WaitFor::Run, WaitEnd::NoAnswer);
  if (Ok(r) && !RunTaken(until)) return false;
  RunAnswered(r, stands);
  return Ok(r);
}

bool GdbTarget::Step(int mode) {
  if (!Halted()) return SayUnanswered();
  const char* command = StepCommand(mode);
  if (!command) return false;
  if (!MonitorStopTaken()) return false;
  KeepOwnBreakpoints();
  SendPendingCounts();
  // One bound for the whole step, whatever it asks gdb on the way.
  const CreditedBound until = ReplyBound(kReplyBoundMs);
  m_freeRun = false;
  // With the UART stand-in a step may be broken into; its frame's depth
  // tells how far to go back up.
  // Asked without waiting: gdb answers it before the step's own answer, so
  // the depth is known before any stop of the step.
  m_stepDepth = 0;
  if (m_uartWrite >= 0 && mode != 3)
    m_gdb->Send("-stack-info-depth", [this](MiRecord& r) {
      bool ok = false;
      const int depth = int(ParseNumber(r.results.Str("depth"), &ok));
      if (ok) m_stepDepth = depth;
    });
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stepLine = m_stopLine;
    m_stepAgain.clear();
  }
  m_stepMode = mode;
  const uint64_t before = Reported();
  const uint64_t stands = StandsSeen();
  MiRecord r;
  {
    // gdb resumes the target only with memory writes on.
    const GdbPermissions::Hold run(m_access, GdbAccess::Run, [this] { return Halted(); });
    if (run.ok()) r = m_gdb->Call(command, RestMs(until));
  }
  if (!Ok(r)) {
    m_stepMode = -1;
    if (r.cls == "timeout") WaitEnded(WaitFor::Step, WaitEnd::NoAnswer);
    return false;
  }
  // The target runs for the step from gdb's answer on: a stop request that
  // comes at once finds it running.
  RunAnswered(r, stands);
  // A step that does not end within the bound leaves the target running;
  // its stop comes later like any other. A stop request asked for meanwhile
  // takes over: the step has gone.
  if (WaitReported(before + 1, RestMs(until), true) || m_stopQueued) return true;
  if (m_closing) return false;
  // Running, or standing in one of the driver's own stops on the way (the
  // UART stand-in's): the step runs on either way.
  if (State() == SessionState::Running || m_executing) WaitEnded(WaitFor::Step, WaitEnd::RunsOn);
  return false;
}

bool GdbTarget::Interrupt() {
  // A stop of the UART stand-in under way now reports itself instead of
  // resuming the program or its step.
  m_freeRun = false;
  m_stepMode = -1;
  // The count first: a stop reported once the executing bit was read as set
  // counts after it (NotifyStopped clears the bit before it counts).
  const uint64_t before = Reported();
  // Running as the IDE sees it: gdb may be in one of the driver's own stops.
  if (!m_executing) return true;
  m_stopAsked = true;
  const CreditedBound until = ReplyBound(kReplyBoundMs);
  // gdb takes the request at once, whatever runs the target (a run, a
  // step), and answers it before the stop. Only a command of gdb's own that
  // runs the target ("print f()") keeps it from reading: that one is
  // stopped otherwise (below). A gdb that reads is not signalled: it would
  // take the signal as a quit of what it is doing, the stop's report among
  // it.
  // A step that gdb takes instruction by instruction leaves the target
  // running only between two of gdb's steps: a request that reaches qemu's
  // stub while it stands is dropped, and gdb steps on. The request goes
  // again until one lands.
  // gdb still at a command it did not answer (a typed call that runs on)
  // reads the request only after the stop: it then takes it for a second
  // one under way, and the signal of the next such call for the user's
  // giving up the target, and disconnects. Such a command is stopped
  // without a request to gdb.
  // gdb that was held while it resumed the target (waiting for its server
  // to take the run) reads the request only once it goes on: its answer
  // then comes after this wait has ended without one, and gdb answers
  // again, with the target running for it (the request may have met the
  // target standing between two of gdb's own steps, and been dropped).
  // An answer that comes after the wait ended is gdb's return only when
  // gdb itself was silent then (held while it resumed the target). gdb
  // that was only slow to answer (a busy machine) says nothing of the
  // target by it: its server may still be held, and the target does not
  // run again for the IDE.
  auto answered = std::make_shared<std::atomic<bool>>(false);
  auto silentAtTheEnd = std::make_shared<std::atomic<bool>>(true);
  while (!m_gdb->Owing()) {
    m_gdb->Send("-exec-interrupt", [this, answered, silentAtTheEnd](MiRecord& a) {
      *answered = true;
      if (a.cls == "done" && *silentAtTheEnd) AnsweredAgain();
    });
    if (WaitReported(before + 1, std::min(kInterruptSignalMs, RestMs(until)))) return true;
    if (!*answered || RestMs(until) == 0 || m_gdb->State() == SessionState::Dead) break;
  }
  if (!*answered) {
    if (!m_qemuMonitor.IsOpen()) {
      m_gdb->SignalInterrupt();
    } else {
      // In simulation qemu stops the machine itself, and gdb hears of it as
      // of a stop it asked for: a request gdb read with the target stopped
      // already (one that met the UART stand-in's stop) leaves gdb waiting
      // for an answer to it, and gdb would take a signal as giving up.
      // A qemu that is held reads the stop when it goes on: nothing runs
      // again until qemu has taken it (MonitorStopTaken), so that it never
      // stops a later step or run.
      m_qemuMonitor.Stop();
    }
  }
  if (WaitReported(before + 1, RestMs(until))) return true;
  if (m_gdb->State() == SessionState::Dead) return false;
  *silentAtTheEnd = !*answered && m_gdb->Silent();
  WaitEnded(WaitFor::Stop, WaitEnd::NoAnswer);
  // A qemu held while gdb stepped over the breakpoint a run starts from
  // drops every request read after that step ended, and gdb runs on: the
  // request stands, and goes again once qemu answers.
  LeaveStopStanding(before);
  return false;
}

bool GdbTarget::Reset() {
  if (!Halted()) return false;
  const char* const kResets[] = {"monitor system_reset", "monitor reset halt"};
  bool done = false;
  {
    const GdbPermissions::Hold run(m_access, GdbAccess::Run, [this] { return Halted(); });
    for (const char* command : kResets)
      if (run.ok() && Ok(m_gdb->Call("-interpreter-exec console " + MiQuote(command), kCommandTimeoutMs))) {
        done = true;
        break;
      }
  }
  if (!done) return false;
  // gdb's own idea of the registers is stale after a reset behind its back.
  // "flushregs" is the older gdb's name (newer ones call it deprecated);
  // gdb's words on it are the driver's business, not the command page's.
  HoldConsole();
  if (!Ok(m_gdb->Call("-interpreter-exec console " + MiQuote("maintenance flush register-cache"), kCommandTimeoutMs)))
    m_gdb->Call("-interpreter-exec console " + MiQuote("flushregs"), kCommandTimeoutMs);
  TakeHeldConsole();
  uint64_t pc = 0;
  if (Evaluate("(unsigned long)$pc", &pc)) m_pc = uint32_t(pc);
  RegistersMayChange();
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    m_stopLine = SourceLine{};
    m_stopFunction.clear();
  }
  if (m_events.stopped) m_events.stopped();
  return true;
}

int GdbTarget::Read(uint64_t address, uint32_t count, uint8_t* out, uint32_t* readUpTo) {
  if (readUpTo) *readUpTo = uint32_t(address);
  if (!CodeMayBeAsked()) return 1;
  if (count == 0) return 0;
  if (address >= kAddressSpaceEnd) return 1;
  const uint32_t asked = count;
  count = uint32_t(std::min<uint64_t>(count, kAddressSpaceEnd - address));
  MiRecord r = m_gdb->Call("-data-read-memory-bytes " + Hex(address) + " " + std::to_string(count),
                           kCommandTimeoutMs);
  if (!Ok(r)) return 1;
  const MiValue* blocks = r.results.Find("memory");
  uint64_t covered = address;
  if (blocks) {
    for (const auto& [name, block] : blocks->items) {
      bool ok1 = false, ok2 = false;
      const uint64_t begin = ParseNumber(block.Str("begin"), &ok1);
      const uint64_t offset = ParseNumber(block.Str("offset"), &ok2);
      const MiValue* hex = block.Find("contents");
      if (!hex) continue;
      const std::string& contents = hex->text;
      if (!ok1) continue;
      const uint64_t at = begin + (ok2 ? offset : 0);
      // The block's bytes that lie in the range asked for, decoded in one pass.
      const uint64_t from = std::max(at, address);
      const uint64_t to = std::min(at + contents.size() / 2, address + count);
      auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
      for (uint64_t a = from; a < to; ++a) {
        const std::size_t i = std::size_t(a - at) * 2;
        out[a - address] = uint8_t(nibble(contents[i]) * 16 + nibble(contents[i + 1]));
      }
      if (from < to && from <= covered && to > covered) covered = to;
    }
  }
  if (readUpTo) *readUpTo = uint32_t(covered);
  return covered >= address + asked ? 0 : 1;
}

bool GdbTarget::Write(uint64_t address, uint32_t count, const uint8_t* bytes, uint32_t* written) {
  if (written) *written = 0;
  if (!CodeMayBeAsked() || (count > 0 && address >= kAddressSpaceEnd)) return false;
  const uint32_t asked = count;
  count = uint32_t(std::min<uint64_t>(count, kAddressSpaceEnd - address));
  std::string hex;
  hex.reserve(count * 2);
  static const char kDigits[] = "0123456789abcdef";
  for (uint32_t i = 0; i < count; ++i) {
    hex.push_back(kDigits[bytes[i] >> 4]);
    hex.push_back(kDigits[bytes[i] & 15]);
  }
  if (count > 0) {
    const GdbPermissions::Hold write(m_access, GdbAccess::Write, [this] { return Halted(); });
    if (!write.ok() || !Ok(m_gdb->Call("-data-write-memory-bytes " + Hex(address) + " " + hex, kCommandTimeoutMs)))
      return false;
  }
  if (written) *written = count;
  return count == asked;
}

bool GdbTarget::Evaluate(const std::string& expression, uint64_t* value, std::string* text, std::string* error) {
  // Running as the IDE sees it: gdb may be in one of the driver's own
  // momentary stops (the UART stand-in's), whose values are no answer.
  if (!CodeMayBeAsked()) return false;
  // The program counter of the stop is known without asking (a client reads
  // it after every step); anything that may assign forgets it.
  if (expression == "$pc" && m_pcKnown && !text) {
    *value = m_pc;
    return true;
  }
  if (expression.find('=') != std::string::npos) RegistersMayChange();
  // Whatever the text asks for, gdb neither writes nor calls for it.
  const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
  if (!read.ok()) return false;
  MiRecord r = m_gdb->Call("-data-evaluate-expression " + MiQuote(expression), kCommandTimeoutMs);
  if (!Ok(r, error)) {
    if (text) *text = r.results.Str("msg");
    return false;
  }
  const std::string v = r.results.Str("value");
  if (text) *text = v;
  // "0x100 <main>", "42 '*'" and a function's "{int (void)} 0x220 <main>"
  // evaluate to their number.
  return ValueNumber(v, value);
}

bool GdbTarget::Breakpoint(uint64_t address, bool insert) {
  return WhileStill([&] { return ChangeBreakpoint(address, insert); });
}

bool GdbTarget::ChangeBreakpoint(uint64_t address, bool insert) {
  if (!Halted()) return false;
  RememberBreakpointsAfter remember{this};
  // m_bpMutex is never held while gdb is asked: gdb's answers are handed
  // over on the reader thread, and the check of the driver's own
  // breakpoints that each stop starts takes the lock there. Held across a
  // question, it kept the answer unread until the call gave up (a margin
  // click right after a stop failed whenever that check's answer came
  // late).
  const std::string line = insert && !HasBreakpoint(address) ? LineLocation(address) : std::string();
  if (insert && line.empty() && !HasBreakpoint(address) && BreakOnEntryLine(address)) return true;
  if (!insert) {
    int number = 0;
    // What the driver forgets of the breakpoint, kept until gdb has deleted
    // it: a delete gdb refused or did not answer leaves the breakpoint
    // with gdb, and the driver then keeps it as well (the margin asked
    // again would otherwise set a second one on the line).
    struct Forgotten {
      uint64_t address;
      bool disabled;
    };
    std::vector<Forgotten> forgotten;
    std::optional<uint64_t> entryOf;
    {
      std::lock_guard<std::mutex> lock(m_bpMutex);
      auto it = m_breakpoints.find(address);
      if (it == m_breakpoints.end()) {
        // A function's address names the breakpoint "BS function" set after
        // its entry code, or the one of its line when the line is the
        // function.
        for (const auto* aliases : {&m_entryBreak, &m_lineEntry}) {
          auto alias = aliases->find(address);
          if (alias != aliases->end() && it == m_breakpoints.end()) it = m_breakpoints.find(alias->second);
        }
        if (const auto entry = m_lineEntry.find(address); entry != m_lineEntry.end()) {
          entryOf = entry->second;
          m_lineEntry.erase(entry);
        }
      }
      if (it == m_breakpoints.end()) return false;
      // A breakpoint in several places goes from all of them.
      number = it->second;
      for (auto at = m_breakpoints.begin(); at != m_breakpoints.end();)
        if (at->second == number) {
          const auto off = m_disabled.find(at->first);
          forgotten.push_back({at->first, off != m_disabled.end() && off->second});
          if (off != m_disabled.end()) m_disabled.erase(off);
          at = m_breakpoints.erase(at);
        } else {
          ++at;
        }
    }
    if (Ok(m_gdb->Call("-break-delete " + std::to_string(number), kCommandTimeoutMs))) return true;
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (const Forgotten& f : forgotten) {
      m_breakpoints[f.address] = number;
      if (f.disabled) m_disabled[f.address] = true;
    }
    if (entryOf) m_lineEntry[address] = *entryOf;
    return false;
  }
  if (HasBreakpoint(address)) return true;
  if (!line.empty()) {
    // The line's breakpoint, as BREAK file:line sets it: gdb places it in
    // every copy of the line (a header's line in each file that includes
    // it), lists it by its name and keeps one number for all of them.
    MiRecord r = m_gdb->Call("-break-insert -- " + MiQuote(line), kCommandTimeoutMs);
    const InsertedBreakpoint b = Ok(r) ? InsertedBreakpointOf(r.results) : InsertedBreakpoint{};
    if (std::find(b.addresses.begin(), b.addresses.end(), address) != b.addresses.end()) {
      std::lock_guard<std::mutex> lock(m_bpMutex);
      for (uint64_t at : b.addresses) m_breakpoints.emplace(at, b.number);
      return true;
    }
    // gdb placed the line elsewhere: the address itself is asked for.
    if (b.number > 0) m_gdb->Call("-break-delete " + std::to_string(b.number), kCommandTimeoutMs);
  }
  MiRecord r = m_gdb->Call("-break-insert *" + Hex(address), kCommandTimeoutMs);
  if (!Ok(r)) return false;
  if (const MiValue* b = r.results.Find("bkpt")) {
    bool ok = false;
    const int number = int(ParseNumber(b->Str("number"), &ok));
    std::lock_guard<std::mutex> lock(m_bpMutex);
    m_breakpoints[address] = number;
  }
  return true;
}

bool GdbTarget::BreakOnEntryLine(uint64_t address) {
  SourceLine at;
  if (!FindSource(address, &at) || at.file.empty() || at.line <= 0) return false;
  MiRecord r = m_gdb->Call("-break-insert -- " + MiQuote(at.file + ":" + std::to_string(at.line)), kCommandTimeoutMs);
  const InsertedBreakpoint b = Ok(r) ? InsertedBreakpointOf(r.results) : InsertedBreakpoint{};
  if (b.number <= 0) return false;
  bool everyCopy = b.addresses.size() > 1;
  for (uint64_t placed : b.addresses) {
    SourceLine there;
    everyCopy = everyCopy && FindSource(placed, &there) && there.file == at.file && there.line == at.line;
  }
  if (!everyCopy) {
    m_gdb->Call("-break-delete " + std::to_string(b.number), kCommandTimeoutMs);
    return false;
  }
  std::lock_guard<std::mutex> lock(m_bpMutex);
  for (uint64_t placed : b.addresses) m_breakpoints.emplace(placed, b.number);
  m_lineEntry[address] = b.addresses[0];
  return true;
}

int GdbTarget::BreakpointState(uint64_t address) const {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  if (!m_breakpoints.count(address)) {
    // The entry of a one-line function shows its line's breakpoint.
    const auto alias = m_lineEntry.find(address);
    if (alias == m_lineEntry.end() || !m_breakpoints.count(alias->second)) return 0;
    address = alias->second;
  }
  auto it = m_disabled.find(address);
  return it != m_disabled.end() && it->second ? 2 : 1;
}

bool GdbTarget::EnableBreakpoint(uint64_t address, bool enable) {
  return WhileStill([&] { return ChangeEnabled(address, enable); });
}

bool GdbTarget::ChangeEnabled(uint64_t address, bool enable) {
  if (!Halted()) return false;
  RememberBreakpointsAfter remember{this};
  int number = 0;
  {
    // Not held while gdb is asked (see ChangeBreakpoint).
    std::lock_guard<std::mutex> lock(m_bpMutex);
    auto it = m_breakpoints.find(address);
    if (const auto alias = m_lineEntry.find(address); it == m_breakpoints.end() && alias != m_lineEntry.end())
      it = m_breakpoints.find(alias->second);
    if (it == m_breakpoints.end()) return false;
    number = it->second;
  }
  if (!Ok(m_gdb->Call(std::string(enable ? "-break-enable " : "-break-disable ") + std::to_string(number),
                      kCommandTimeoutMs)))
    return false;
  std::lock_guard<std::mutex> lock(m_bpMutex);
  // gdb's number covers each place of the breakpoint.
  for (const auto& [at, n] : m_breakpoints)
    if (n == number) m_disabled[at] = !enable;
  return true;
}

void GdbTarget::DisableAllBreakpoints() {
  WhileStill([this] {
    DisableAll();
    return true;
  });
}

void GdbTarget::DeleteAllBreakpoints() {
  WhileStill([this] {
    DeleteAll();
    return true;
  });
}

void GdbTarget::DisableAll() {
  if (!Halted()) return;
  RememberBreakpointsAfter remember{this};
  // Every breakpoint of the user's as gdb lists them: two at one address
  // (BS twice) are two, and watchpoints are breakpoints too.
  std::vector<GdbBreakpointInfo> list;
  if (!ListBreakpoints(&list)) return;
  for (const GdbBreakpointInfo& b : list)
    if (b.enabled) EnableBreakpoint(b.number, false);
}

void GdbTarget::DeleteAll() {
  if (!Halted()) return;
  RememberBreakpointsAfter remember{this};
  std::vector<GdbBreakpointInfo> list;
  if (!ListBreakpoints(&list)) return;
  for (const GdbBreakpointInfo& b : list) DeleteBreakpoint(b.number);
  std::lock_guard<std::mutex> lock(m_bpMutex);
  m_breakpoints.clear();
  m_disabled.clear();
  m_entryBreak.clear();
  m_lineEntry.clear();
}

bool GdbTarget::HasBreakpoint(uint64_t address) const {
  std::lock_guard<std::mutex> lock(m_bpMutex);
  return m_breakpoints.count(address) != 0;
}

bool GdbTarget::FindSource(uint64_t address, SourceLine* out) {
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    if (address == m_pc && !m_stopLine.file.empty()) {
      *out = m_stopLine;
      return true;
    }
  }
  if (!CodeMayBeAsked()) {
    // gdb has gone, or cannot be asked now (the target runs, or stands in
    // one of the driver's own stops, or gdb did not answer): the lines of
    // the breakpoints it placed still answer, so that a session ended now
    // keeps its breakpoints.
    std::lock_guard<std::mutex> lock(m_bpMutex);
    for (const GdbBreakpointInfo& b : m_keptBreakpoints)
      if (b.address == address && !b.file.empty() && b.line > 0) {
        *out = SourceLine{b.file, b.line};
        return true;
      }
    return false;
  }
  // Mode 4 names the line-table row whose range holds the address, not
  // only an address that starts one (as mode 1 does).
  MiRecord r = m_gdb->Call("-data-disassemble -s " + Hex(address) + " -e " + Hex(address + 1) + " -- 4",
                           kCommandTimeoutMs);
  const MiValue* lines = r.results.Find("asm_insns");
  if (!Ok(r) || !lines) return false;
  for (const auto& [name, line] : lines->items) {
    if (name != "src_and_asm_line" || line.Str("fullname").empty()) continue;
    bool ok = false;
    out->file = line.Str("fullname");
    out->line = int(ParseNumber(line.Str("line"), &ok));
    return ok;
  }
  return false;
}

bool GdbTarget::LineTable(const std::string& file, std::vector<DbgLinePair>* out) {
  out->clear();
  if (!CodeMayBeAsked()) return false;
  MiRecord r = m_gdb->Call("-symbol-list-lines " + MiQuote(file), kCommandTimeoutMs);
  const MiValue* lines = r.results.Find("lines");
  const bool listed = Ok(r) && lines;
  if (listed)
    for (const auto& [name, entry] : lines->items) {
      bool okLine = false, okPc = false;
      const uint64_t line = ParseNumber(entry.Str("line"), &okLine);
      const uint64_t pc = ParseNumber(entry.Str("pc"), &okPc);
      if (okLine && okPc && line > 0) out->push_back(DbgLinePair{uint32_t(line), uint32_t(pc)});
    }
  // gdb's answer is one unit's table of the file: a header's code lines
  // are in the tables of each file that uses them. gdb's words on these
  // are the driver's business, not the command page's.
  const std::string filter = LineTableFilter(file);
  HoldConsole();
  const bool expanded = Ok(m_gdb->Call("-interpreter-exec console " + MiQuote("maint expand-symtabs " + filter),
                                       kCommandTimeoutMs));
  const bool printed = expanded && Ok(m_gdb->Call(
                                        "-interpreter-exec console " + MiQuote("maint info line-table " + filter),
                                        kCommandTimeoutMs));
  const std::string tables = TakeHeldConsole();
  if (!printed) return listed;
  std::set<std::pair<uint32_t, uint32_t>> known;
  for (const DbgLinePair& p : *out) known.insert({p.line, p.address});
  for (const DbgLinePair& p : ParseLineTables(tables, file))
    if (known.insert({p.line, p.address}).second) out->push_back(p);
  return true;
}

std::string GdbTarget::Instruction(uint64_t address) {
  if (!CodeMayBeAsked()) return {};
  MiRecord r = m_gdb->Call("-data-disassemble -s " + Hex(address) + " -e " + Hex(address + 1) + " -- 0",
                           kCommandTimeoutMs);
  const MiValue* insns = r.results.Find("asm_insns");
  if (!Ok(r) || !insns || insns->items.empty()) return {};
  return insns->items[0].second.Str("inst");
}

std::vector<ListingLine> GdbTarget::Disassemble(uint32_t from, uint32_t to) {
  if (!CodeMayBeAsked()) return {};
  auto source = [this](const std::string& file, int line) { return m_sources.Line(file, line); };
  // gdb gives a range no source at all when it starts in code without line
  // information (the startup code): the source is asked for one function
  // at a time, and a function without lines keeps its assembly.
  MiRecord plain = m_gdb->Call("-data-disassemble -s " + Hex(from) + " -e " + Hex(to) + " -- 0", kCommandTimeoutMs);
  const MiValue* insns = plain.results.Find("asm_insns");
  if (!Ok(plain) || !insns || insns->items.empty()) return {};
  std::vector<ListingLine> out;
  const auto& items = insns->items;
  for (std::size_t first = 0; first < items.size();) {
    const std::string func = items[first].second.Str("func-name");
    std::size_t end = first + 1;
    while (end < items.size() && items[end].second.Str("func-name") == func) ++end;
    bool ok = false;
    const uint64_t runFrom = ParseNumber(items[first].second.Str("address"), &ok);
    const uint64_t runTo = end < items.size() ? ParseNumber(items[end].second.Str("address"), &ok) : to;
    std::vector<ListingLine> lines;
    if (!func.empty()) {
      MiRecord mixed = m_gdb->Call("-data-disassemble -s " + Hex(runFrom) + " -e " + Hex(runTo) + " -- 4",
                                   kCommandTimeoutMs);
      const MiValue* m = mixed.results.Find("asm_insns");
      if (Ok(mixed) && m) lines = ParseListing(*m, source);
    }
    if (lines.empty()) {
      MiValue run;
      run.kind = MiValue::Kind::List;
      run.items.assign(items.begin() + std::ptrdiff_t(first), items.begin() + std::ptrdiff_t(end));
      lines = ParseListing(run, source);
    }
    out.insert(out.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    first = end;
  }
  return out;
}

bool GdbTarget::CallStack(std::vector<DbgCallStackEntry>* out) {
  out->clear();
  if (!CodeMayBeAsked()) return false;
  MiRecord r = m_gdb->Call("-stack-list-frames", kCommandTimeoutMs);
  const MiValue* stack = r.results.Find("stack");
  if (!Ok(r) || !stack) return false;
  struct Frame {
    uint64_t addr;
    std::string func;
  };
  std::vector<Frame> frames;  // innermost first
  for (const auto& [name, f] : stack->items) {
    bool ok = false;
    frames.push_back({ParseNumber(f.Str("addr"), &ok), f.Str("func")});
  }
  for (std::size_t i = frames.size(); i-- > 0;) {
    DbgCallStackEntry e{};
    e.calling = i + 1 < frames.size() ? uint32_t(frames[i + 1].addr) : 0;
    // Only a frame with a caller can be finished.
    e.leavable = i + 1 < frames.size() ? 1 : 0;
    uint64_t start = 0;
    if (FunctionAddress(frames[i].func, &start)) e.called = uint32_t(start);
    out->push_back(e);
  }
  return true;
}

// ------------------------------------------------------------------ watch

namespace {

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

// The type code of a C type as gdb names it.
uint8_t TypeCode(const std::string& type) {
  const std::string t = Trim(type);
  static const char* const kChars[] = {"char", "signed char", "unsigned char", "uint8_t", "int8_t",
                                       "const char", "volatile char", "const unsigned char"};
  for (const char* c : kChars)
    if (t == c) return kDbgTypeChar;
  if (t.rfind("struct ", 0) == 0) return kDbgTypeStruct;
  if (t.rfind("union ", 0) == 0) return kDbgTypeUnion;
  if (t == "void" || t == "const void") return 0;
  if (!t.empty() && t.back() == '*') return kDbgTypePointer;
  return kDbgTypeScalar;
}

// The watch windows write a back-quote before a symbol; gdb knows none.
std::string WithoutQuotes(const std::string& expression) {
  std::string out;
  for (char c : expression)
    if (c != '`') out += c;
  return out;
}

}  // namespace

bool GdbTarget::ReadOnlyAddress(const std::string& expression, uint64_t* address) {
  // The address of a literal array ("abc") is one gdb would make for it in
  // target memory.
  const std::string of = "(unsigned long)&(" + expression + ")";
  return ReadOnlyExpressionFault(of).empty() && Evaluate(of, address);
}

bool GdbTarget::WatchValue(const std::string& expression, int radix, DbgWatchValue* out) {
  // gdb's variable object runs what its expression asks for, at every stop
  // the window is refreshed: gdb itself neither writes nor calls for it,
  // and a row that would is refused first, with the reason in its text
  // (the text gdb gets, without the window's back-quotes). The window
  // shows an array from its address, which a literal has only in target
  // memory.
  const std::string expr = WithoutQuotes(expression);
  if (const std::string fault = ReadOnlyExpressionFault(expr, WholeLiteral::Refused); !fault.empty()) {
    std::snprintf(out->text, sizeof out->text, "%s", fault.c_str());
    return false;
  }
  // gdb that does not answer reads nothing: the row says so, and so does
  // the status line (it would otherwise go back to "Ready").
  auto noAnswer = [&] {
    if (!m_unanswered && !(m_gdb && m_gdb->Silent())) return false;
    std::snprintf(out->text, sizeof out->text, "gdb does not answer; the row is read when it answers again");
    if (m_events.status) m_events.status("gdb: no answer");
    return true;
  };
  const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
  if (!read.ok()) {
    noAnswer();
    return false;
  }
  MiRecord created = m_gdb->Call("-var-create - * " + MiQuote(expr), kCommandTimeoutMs);
  if (created.cls == "timeout" && noAnswer()) return false;
  if (!Ok(created)) {
    // gdb's variable object does not say why; the expression does. A name
    // the current place does not see ("No symbol \"n\" in current
    // context.") is out of scope, not in error.
    std::string why;
    Ok(m_gdb->Call("-data-evaluate-expression " + MiQuote(expr), kCommandTimeoutMs), &why);
    if (why.compare(0, 10, "No symbol ") == 0 && why.find(" in current context") != std::string::npos) {
      const char* asked = out->expression;
      const int32_t radixAsked = out->radix;
      *out = DbgWatchValue{};
      out->expression = asked;
      out->radix = radixAsked;
      out->targetCode = 0xFF;
      out->outOfScope = 1;
      return true;
    }
    return false;
  }
  const std::string name = created.results.Str("name");
  const std::string type = created.results.Str("type");
  std::string value = created.results.Str("value");
  bool ok = false;
  const int children = int(ParseNumber(created.results.Str("numchild"), &ok));
  // A function is no struct: gdb writes its value as its type in braces and
  // its address ("{int (void)} 0x220 <main>"), and the radix forms of it
  // are of its code's first bytes, not of the address.
  const std::string functionHead = "{" + Trim(type) + "} ";
  const bool function = value.compare(0, functionHead.size(), functionHead) == 0;
  if (function && radix == 10) {
    const std::string rest = value.substr(functionHead.size());
    const uint64_t address = ParseNumber(rest.substr(0, rest.find(' ')), &ok);
    if (ok) value = functionHead + std::to_string(address) + rest.substr(std::min(rest.find(' '), rest.size()));
  } else if (!function && (radix == 10 || radix == 16)) {
    MiRecord v = m_gdb->Call(std::string("-var-evaluate-expression -f ") + (radix == 16 ? "hexadecimal " : "decimal ") +
                                 name,
                             kCommandTimeoutMs);
    if (Ok(v)) value = v.results.Str("value");
  }
  // Nothing waits for the delete: gdb does it before the next question.
  m_gdb->Send("-var-delete " + name);
  out->isArray = 0;
  out->targetCode = 0xFF;
  out->count = 0;
  out->address = 0;
  out->tag[0] = '\0';
  out->text[0] = '\0';
  const std::string t = Trim(type);
  uint64_t address = 0;
  if (!t.empty() && t.back() == ']') {
    const std::size_t open = t.rfind('[');
    out->code = kDbgTypePointer;
    out->isArray = 1;
    out->count = uint32_t(ParseNumber(t.substr(open + 1, t.size() - open - 2), &ok));
    out->targetCode = TypeCode(t.substr(0, open));
    if (ReadOnlyAddress(expr, &address)) out->address = uint32_t(address);
    return true;
  }
  const uint8_t code = TypeCode(t);
  if (code == kDbgTypePointer) {
    out->code = kDbgTypePointer;
    out->targetCode = TypeCode(t.substr(0, t.size() - 1));
    if (out->targetCode == kDbgTypeScalar && children > 1) out->targetCode = kDbgTypeStruct;
    const std::string number = value.substr(0, value.find(' '));
    out->address = uint32_t(ParseNumber(number, &ok));
    std::snprintf(out->text, sizeof out->text, "%s", number.c_str());
    return true;
  }
  if (code == kDbgTypeStruct || code == kDbgTypeUnion || (!function && !value.empty() && value[0] == '{')) {
    out->code = code == kDbgTypeUnion ? kDbgTypeUnion : kDbgTypeStruct;
    const std::size_t blank = t.find(' ');
    const std::string tag = code == kDbgTypeScalar ? t : (blank == std::string::npos ? "" : t.substr(blank + 1));
    std::snprintf(out->tag, sizeof out->tag, "%s", tag.c_str());
    if (ReadOnlyAddress(expr, &address)) out->address = uint32_t(address);
    return true;
  }
  out->code = code;
  // A character's value is its number; the window writes the character.
  const std::string text = code == kDbgTypeChar ? value.substr(0, value.find(' ')) : value;
  std::snprintf(out->text, sizeof out->text, "%s", text.c_str());
  return true;
}

bool GdbTarget::WatchMembers(const std::string& expression, std::vector<std::string>* out) {
  out->clear();
  const std::string expr = WithoutQuotes(expression);
  if (!ReadOnlyExpressionFault(expr).empty()) return false;
  const GdbPermissions::Hold read(m_access, GdbAccess::Read, [this] { return Still(); });
  if (!read.ok()) return false;
  MiRecord created = m_gdb->Call("-var-create - * " + MiQuote(expr), kCommandTimeoutMs);
  if (!Ok(created)) return false;
  const std::string name = created.results.Str("name");
  MiRecord r = m_gdb->Call("-var-list-children " + name, kCommandTimeoutMs);
  if (const MiValue* children = Ok(r) ? r.results.Find("children") : nullptr)
    for (const auto& [key, child] : children->items) out->push_back(child.Str("exp"));
  m_gdb->Send("-var-delete " + name);
  return true;
}

bool GdbTarget::Locals(uint32_t* scope, std::vector<std::string>* out) {
  out->clear();
  *scope = 0;
  if (!CodeMayBeAsked()) return false;
  // The function of the stop, unless the position moved since.
  std::string func;
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    func = m_stopFunction;
  }
  if (func.empty()) {
    MiRecord frame = m_gdb->Call("-stack-info-frame", kCommandTimeoutMs);
    const MiValue* f = Ok(frame) ? frame.results.Find("frame") : nullptr;
    func = f ? f->Str("func") : "";
  }
  uint64_t start = 0;
  if (!FunctionAddress(func, &start)) return false;
  *scope = uint32_t(start);
  MiRecord r = m_gdb->Call("-stack-list-variables --no-values", kCommandTimeoutMs);
  if (const MiValue* vars = Ok(r) ? r.results.Find("variables") : nullptr)
    for (const auto& [key, v] : vars->items) out->push_back(v.Str("name"));
  return true;
}

bool GdbTarget::FunctionAddress(const std::string& function, uint64_t* address) {
  if (function.empty() || function == "??") return false;
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    auto it = m_functionAddresses.find(function);
    if (it != m_functionAddresses.end()) {
      *address = it->second;
      return true;
    }
  }
  if (!Evaluate("(unsigned long)&" + function, address)) return false;
  std::lock_guard<std::mutex> lock(m_stopMutex);
  m_functionAddresses[function] = *address;
  return true;
}

std::string GdbTarget::SymbolAt(uint64_t address) {
  if (!CodeMayBeAsked()) return {};
  uint64_t value = 0;
  std::string text;
  if (!Evaluate("(void*)" + Hex(address), &value, &text)) return {};
  std::size_t lt = text.find('<'), gt = text.rfind('>');
  if (lt == std::string::npos || gt == std::string::npos || gt <= lt + 1) return {};
  return text.substr(lt + 1, gt - lt - 1);
}

bool GdbTarget::Download(std::string* err, std::string* report) {
  MiRecord r;
  {
    const GdbPermissions::Hold write(m_access, GdbAccess::Write);
    if (write.ok()) r = m_gdb->Call("-target-download", 60000);
  }
  if (!Ok(r, err)) return false;
  // gdb compares each loaded section with the file; a mismatch is only a
  // warning to gdb, and only its console text says which section it was.
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    m_capturing = true;
    m_captured.clear();
  }
  std::string why;
  const bool compared = Console("compare-sections", &why);
  std::string captured;
  {
    std::lock_guard<std::mutex> lock(m_consoleMutex);
    m_capturing = false;
    captured.swap(m_captured);
  }
  if (!compared) {
    *err = "the verify failed: " + why;
    return false;
  }
  if (captured.find("MIS-MATCHED") != std::string::npos || captured.find("matched") == std::string::npos) {
    const std::size_t at = captured.find("Section ");
    *err = "the verify found the target's memory different from the program file" +
           (at == std::string::npos ? std::string() : ": " + captured.substr(at, captured.find('\n', at) - at));
    return false;
  }
  *report = r.results.Str("load-size") + " bytes loaded at " + r.results.Str("address") + " and verified";
  return true;
}

// ------------------------------------------------------------------ registers

void GdbTarget::BuildRegisterSet() {
  MiRecord r = m_gdb->Call("-data-list-register-names", kCommandTimeoutMs);
  const MiValue* names = r.results.Find("register-names");
  m_regs.clear();
  m_regNumbers.clear();
  m_regNames.clear();
  if (!names) return;
  for (const CoreRegister& core : kCore) {
    for (std::size_t i = 0; i < names->items.size(); ++i) {
      if (names->items[i].second.text != core.gdb) continue;
      RegisterEntry e{};
      e.kind = 1;
      e.group = 0;
      e.editable = 1;
      e.refreshDisasm = std::strcmp(core.gdb, "pc") == 0;
      std::snprintf(e.name, sizeof e.name, "%s", core.shown);
      m_regs.push_back(e);
      m_regNumbers.push_back(int(i));
      m_regNames.push_back(core.gdb);
    }
  }
  m_regCommand = "-data-list-register-values x";
  for (int n : m_regNumbers) m_regCommand += " " + std::to_string(n);
  m_groups = {RegisterGroup{0, 1, nullptr}};
  m_groups[0].name = m_groupName.c_str();
  m_set = RegisterSet{1, uint32_t(m_regs.size()), m_groups.data(), m_regs.data(), nullptr, nullptr};
  RefreshRegisters();
}

void GdbTarget::RegistersMayChange() {
  m_pcKnown = false;
  std::lock_guard<std::mutex> lock(m_regMutex);
  m_regSerial = 0;
}

void GdbTarget::PrefetchRegisters() {
  uint64_t serial = 0;
  {
    std::lock_guard<std::mutex> lock(m_regMutex);
    ++m_stopSerial;
    m_regSerial = 0;
    m_regWaiting = false;
    // Only for a page that read them at the stop before.
    if (!m_registersShown.exchange(false) || m_regCommand.empty() || !m_gdb) return;
    serial = m_regSerial = m_stopSerial;
    m_regWaiting = true;
  }
  m_gdb->Send(m_regCommand, [this, serial](MiRecord& r) {
    std::lock_guard<std::mutex> lock(m_regMutex);
    if (m_regSerial != serial) return;
    m_regAnswer = std::move(r);
    m_regWaiting = false;
    m_regCv.notify_all();
  });
}

void GdbTarget::RefreshRegisters() {
  if (!CodeMayBeAsked() || m_regs.empty()) return;
  m_registersShown = true;
  // The values asked for at the stop, when nothing changed them since;
  // taken once, as a later refresh may follow a change.
  MiRecord r;
  bool asked = false, prefetched = false;
  {
    std::unique_lock<std::mutex> lock(m_regMutex);
    if (m_regSerial != 0 && m_regSerial == m_stopSerial) {
      asked = true;
      prefetched = m_regCv.wait_for(lock, std::chrono::milliseconds(kCommandTimeoutMs), [&] { return !m_regWaiting; });
      if (prefetched) r = std::move(m_regAnswer);
      m_regSerial = 0;
    }
  }
  // gdb did not answer the question asked at the stop within its bound: it
  // is not asked again for the same values (the page keeps what it shows).
  if (asked && !prefetched) return;
  if (!prefetched) r = m_gdb->Call(m_regCommand, kCommandTimeoutMs);
  const MiValue* values = r.results.Find("register-values");
  if (!values) return;
  std::map<int, std::string> byNumber;
  for (const auto& [name, v] : values->items) {
    bool ok = false;
    byNumber[int(ParseNumber(v.Str("number"), &ok))] = v.Str("value");
  }
  // The first refresh after a stop: the values shown before it are what
  // the stop is compared with until the next one (a register written in
  // between stays marked).
  uint64_t stop = 0;
  {
    std::lock_guard<std::mutex> lock(m_regMutex);
    stop = m_stopSerial;
  }
  if (stop != m_baselineStop || m_baseline.size() != m_regs.size()) {
    m_baselineStop = stop;
    m_baseline.clear();
    for (const RegisterEntry& e : m_regs) m_baseline.emplace_back(e.value);
  }
  for (std::size_t i = 0; i < m_regs.size(); ++i) {
    bool ok = false;
    const uint64_t value = ParseNumber(byNumber[m_regNumbers[i]], &ok);
    char text[40];
    // Eight hex digits without a prefix: they fit the narrow project bar.
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(value));
    RegisterEntry& e = m_regs[i];
    e.redraw = std::strcmp(e.value, text) != 0;
    e.changed = !m_baseline[i].empty() && m_baseline[i] != text;
    std::snprintf(e.value, sizeof e.value, "%s", text);
  }
}

void GdbTarget::SetRegister(RegisterEntry* entry, uint64_t value) {
  const std::ptrdiff_t i = entry - m_regs.data();
  if (i < 0 || std::size_t(i) >= m_regs.size() || !Halted()) return;
  RegistersMayChange();
  {
    const GdbPermissions::Hold write(m_access, GdbAccess::Write, [this] { return Halted(); });
    if (write.ok())
      m_gdb->Call("-data-evaluate-expression " + MiQuote("$" + m_regNames[std::size_t(i)] + "=" + Hex(value)),
                  kCommandTimeoutMs);
  }
  // A written program counter is the new position: the driver's own idea
  // of it and of the stop's line follow.
  if (entry->refreshDisasm) TakePosition();
  RefreshRegisters();
}

}  // namespace pm2::gdb
