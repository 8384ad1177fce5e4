// The GDB driver's target: one gdb-multiarch (and in simulation one
// qemu-system-arm) per session, with the operations the driver's record
// slots call. Run control, breakpoints, memory, registers, expressions and
// source lines all go through GDB/MI. The IDE is told about stops and the
// end of the session through callbacks that only post.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "debugger/gdb/elf/block_symbols.h"
#include "debugger/gdb/breakpoints/breakpoint_table.h"
#include "debugger/gdb/process/child_process.h"
#include "debugger/gdb/process/qemu_launcher.h"
#include "debugger/gdb/process/qemu_monitor.h"
#include "debugger/gdb/commands/background_run.h"
#include "debugger/gdb/commands/command_language.h"
#include "debugger/gdb/trace/exec_trace.h"
#include "debugger/gdb/mi/gdb_connection.h"
#include "debugger/gdb/records/gdb_listing.h"
#include "debugger/gdb/mi/gdb_permissions.h"
#include "debugger/gdb/breakpoints/shown_breakpoint_numbers.h"
#include "debugger/driver_shared/trace_history.h"
#include "debugger/gdb/mi/wait_report.h"
#include "debugger/gdb/target/request_thread.h"

namespace pm2::gdb {

struct TypedWrite;

// The driver's parameter string: "-sim" (qemu) or "-remote host:port"
// (any GDB server); "-gdb <program>" names another gdb, "-qemu <program>"
// another emulator and "-machine <name>" its machine.
struct TargetParams {
  bool simulate = true;
  std::string remote = "localhost:3333";
  std::string gdb = "gdb-multiarch";
  QemuMachine qemu;
  int connectTimeoutMs = 6000;
  // In simulation the driver stands in for the UART whose registers start
  // here (the LPC2xxx layout: receive/transmit at +0, line status at +0x14);
  // "-uart none" leaves it out.
  bool uart = true;
  uint32_t uartBase = 0xE000C000u;
};
TargetParams ParseTargetParams(const std::string& text);

struct TargetEvents {
  std::function<void(const std::string&)> print;  // a text for the command window
  // gdb's own console text; null: it goes to print.
  std::function<void(const std::string&)> console;
  std::function<void()> stopped;                  // the target stopped (posted)
  // A command changed registers or memory without running the target: the
  // IDE's windows show the new values (called on the thread of the command).
  std::function<void()> changed;
  // A typed command of gdb's own ended with the target stopped: it may have
  // written anything (a variable, memory, a register, code), so the IDE's
  // windows read the target again where they stand, as after a write of
  // their own (called on the thread of the command).
  std::function<void()> written;
  std::function<void(const std::string&)> ended;  // the session must end (posted)
  std::function<void(bool)> executing;            // the executing bit
  std::function<void(uint8_t)> serial;            // a character the program sent to its UART
  std::function<void(const std::string&)> status; // a short text for the status line
  // A command set, removed, enabled or disabled breakpoints: the IDE's
  // margins and disassembly window show them (called on the command's thread).
  std::function<void()> breakpointsChanged;
  // A line of a file the Include command runs failed: its number in the
  // file and the error as the command page shows it (the function
  // editor's error list). Only the lines of the file named by the command
  // itself, not those of files it includes in turn.
  std::function<void(int line, const std::string& text)> includeError;
  // The driver's own commands (the tool box's DEFINE BUTTON and KILL
  // BUTTON, the inline assembler) met in an included file: true when the
  // line was one, *result 0 when it was done.
  std::function<bool(const std::string& line, int* result)> ownCommand;
  // Serves the thread that ends the session (the window's queue) while it
  // waits for the driver's threads, which may wait for it.
  std::function<void()> pump;
  // The code address a command named ("U main"): the disassembly window
  // shows it.
  std::function<void(uint32_t)> shown;
  // A typed command is about to run the target (G, G,address, or a line of
  // gdb's own that may): the driver does what its own run does first
  // (trace and coverage recording follow the record, the run is counted).
  std::function<void()> runStarting;
};

// A function or variable of the program.
struct GdbSymbol {
  std::string name;
  std::string file;      // the source file's full path ("" without debug information)
  std::string type;      // gdb's type text
  uint64_t address = 0;
  bool function = false;
};

struct SourceLine {
  std::string file;  // full path
  int line = 0;
};

class GdbTarget {
 public:
  explicit GdbTarget(TargetEvents events);
  ~GdbTarget();
  GdbTarget(const GdbTarget&) = delete;
  GdbTarget& operator=(const GdbTarget&) = delete;

  // Starts gdb (and qemu) and connects; false with *err.
  bool Start(const TargetParams& params, const std::string& program, std::string* err);
  void Close();
  SessionState State() const { return m_gdb ? m_gdb->State() : SessionState::Dead; }
  // Stopped, and answering: after a wait without an answer nothing asks the
  // target again until it stops or gdb answers again.
  // A run or step asked for and not yet come to its stop is the request
  // thread's: for every other thread the target runs.
  bool Halted() const { return State() == SessionState::Stopped && !m_unanswered && !RunAskedElsewhere(); }
  bool RunAskedElsewhere() const { return m_runAsked && !m_requests.OnThisThread(); }
  // Whether gdb may be asked about the program's code, lines, frames,
  // registers or memory now: the target stands as the IDE sees it, and not
  // in one of the driver's own stops (the UART stand-in's, or a stop the
  // IDE has not heard of yet), from which the driver resumes it at once;
  // or the question is part of a change the driver makes in a pause of its
  // own (WhileStill), which holds the target until the change is done.
  // gdb that is asked such a question once the target runs again aborts
  // ("terminate called after throwing an instance of 'gdb_exception_error'"
  // after a -data-disassemble), and the session with it: the questions
  // then answer from what the driver keeps, or not at all.
  bool CodeMayBeAsked();

  // Run control, on the request thread (AskRun, AskStep, AskStop below);
  // Step and Stop wait for the stop, each at most kReplyBoundMs in all. A wait that ends at its bound says so on the
  // command page and the status line; when it ends without any answer the
  // target counts as not answering: the IDE no longer sees it executing
  // (so Ctrl+F5 and File > Exit end the session) until its next stop, or
  // until gdb answers a command again.
  static constexpr int kReplyBoundMs = 3000;
  // The IDE's run control (gdb_target_requests.cpp): the request goes to
  // the driver's request thread and the call returns at once, so the
  // window never waits on gdb or its server. The target runs for the IDE
  // from the request on; the request's stop or the words of its bound say
  // how it ended, and a run or step that ended without running the target
  // (refused, unanswered) is told as a stop at the place it stands.
  // `first` runs on the request thread before the run or step. False when
  // the request was refused at once (said on the command page).
  bool AskRun(uint32_t stopAddress, std::function<void()> first);
  bool AskStep(int mode, std::function<void()> first);
  // A stop request goes out after what was asked before it, at once when a
  // step waits for its stop.
  bool AskStop();
  bool Go(uint32_t stopAddress);
  bool Step(int mode);
  bool Interrupt();
  // Resets the target (qemu's and OpenOCD's "monitor" reset) and reports
  // the stop at the new program counter.
  bool Reset();

  // Memory: 0 when all was read; otherwise the bytes up to *readUpTo. The
  // target's address space ends at 4 GB: a range running past it is cut
  // there (gdb would wrap it round to address 0), one starting past it is
  // refused.
  static constexpr uint64_t kAddressSpaceEnd = uint64_t(1) << 32;
  int Read(uint64_t address, uint32_t count, uint8_t* out, uint32_t* readUpTo = nullptr);
  // True when all was written; *written (if given) gets the bytes written.
  bool Write(uint64_t address, uint32_t count, const uint8_t* bytes, uint32_t* written = nullptr);
  // The number gdb gives for an expression; *text (if given) gets gdb's
  // value text, or its message when gdb refused, *error (if given) only
  // that message. A read: gdb evaluates it with memory writes and calls
  // off, and refuses one that would write or call.
  bool Evaluate(const std::string& expression, uint64_t* value, std::string* text = nullptr,
                std::string* error = nullptr);
  // The IDE's edits of values (gdb_target_writes.cpp), false with *err
  // saying why. A watch window's "target = value": the value one
  // expression that only reads. The memory window's typed write: every
  // value checked and evaluated before the first is written, none written
  // past the end of the 4 GB space.
  bool EditValue(const std::string& edit, std::string* err);
  bool WriteTyped(const TypedWrite& write, std::string* err);
  // After a write the IDE made (a value edit, a typed write): a written
  // register is read again, and a written program counter is the position.
  void AfterWrite() { TakePosition(); }
  // A line of the IDE's command language (command_language.h): 0 when it
  // was done, else 1 with the reason on the command page. A typed line that
  // is not of the language goes to gdb's own command interpreter.
  int Execute(const std::string& line, CommandOrigin origin);
  // A command of gdb's own interpreter that the driver itself makes;
  // `answered` sees gdb's answer first, on the reader thread.
  bool Console(const std::string& command, std::string* err = nullptr,
               const std::function<void(MiRecord&)>& answered = nullptr);
  // The margins' and the disassembly window's breakpoint at an address,
  // set or removed. While the program runs freely the driver stops it for
  // the change and lets it run on (WhileStill).
  bool Breakpoint(uint64_t address, bool insert);
  // A function's entry whose line holds the whole function (a one-line
  // function in a header, one copy per file): the breakpoint goes on the
  // line, which gdb places in every copy. False (nothing set) when gdb
  // places it in one copy only or on another line.
  bool BreakOnEntryLine(uint64_t address);
  bool HasBreakpoint(uint64_t address) const;
  // 0 none, 1 an enabled breakpoint, 2 a disabled one.
  int BreakpointState(uint64_t address) const;
  bool EnableBreakpoint(uint64_t address, bool enable);
  // A change to the breakpoints made with the target standing still: at
  // once when it stands; while it runs freely (a run, not a step) the
  // driver stops it for a moment, a stop of its own the IDE does not hear
  // of, makes the change and lets it run on (a stop request that came
  // meanwhile gets the stop instead). False, with nothing changed, when
  // the target cannot be stopped for it.
  bool WhileStill(const std::function<bool()>& change);
  // Every breakpoint disabled, or deleted.
  void DisableAllBreakpoints();
  void DeleteAllBreakpoints();
  // The watch windows' questions through gdb's variable objects: the type
  // and value of an expression (radix 10, 16 or -1), the member names of a
  // struct or union, the locals of the current frame with its function's
  // address as the scope. An expression that writes or calls
  // (expression_effects.h) is never asked: WatchValue says why in out->text.
  bool WatchValue(const std::string& expression, int radix, DbgWatchValue* out);
  bool WatchMembers(const std::string& expression, std::vector<std::string>* out);
  bool Locals(uint32_t* scope, std::vector<std::string>* out);
  bool FindSource(uint64_t address, SourceLine* out);
  // The code lines of a source file: (line, address) pairs in gdb's order.
  bool LineTable(const std::string& file, std::vector<DbgLinePair>* out);
  // The instruction at an address as gdb disassembles it; "" when none.
  std::string Instruction(uint64_t address);
  // The listing of [from, to): source lines with their instructions.
  std::vector<ListingLine> Disassemble(uint32_t from, uint32_t to);
  std::string SymbolAt(uint64_t address);
  // The active calls, outermost first.
  bool CallStack(std::vector<DbgCallStackEntry>* out);
  // Loads the program into the target and compares what it holds with the
  // file; *report says how much was loaded where.
  bool Download(std::string* err, std::string* report);
  // The start of a session on a GDB server that loads the program: the
  // target reset (as far as the server can) and loaded, standing at the
  // program's entry (gdb_target_start_load.cpp).
  bool LoadAtStart(std::string* err, std::string* report);

  // The breakpoints dialog: gdb's breakpoints, the driver's own left out.
  // Its changes are made as WhileStill makes them.
  // Once gdb has gone (it or qemu died) the list is the one kept at the
  // last change, and FindSource answers for its addresses: the IDE keeps
  // the session's breakpoints as after a normal end.
  bool ListBreakpoints(std::vector<GdbBreakpointInfo>* out);
  // The list as gdb gave it at the last change of the breakpoints.
  std::vector<GdbBreakpointInfo> KeptBreakpoints() const;
  bool DeleteBreakpoint(int number);
  bool EnableBreakpoint(int number, bool on);
  // A breakpoint at an expression, or a watchpoint with access (1 read,
  // 2 write, 3 both); passCount above 1 lets it pass that often first, at
  // every round (the count starts again after each stop at it); the
  // commands run at each hit, one line each. A refusal is said once on the
  // command page, and *err holds it.
  bool DefineBreakpoint(const std::string& expression, uint32_t passCount, int access,
                        const std::vector<std::string>& commands, int* number, std::string* err);
  // A conditional breakpoint: the target stops when `truth` (gdb's form of
  // `expression`) becomes true. Refused with the reason on the command page.
  bool DefineConditional(const std::string& expression, const std::string& truth, uint32_t passCount,
                         const std::vector<std::string>& commands, int* number, std::string* err);
  // The program's functions and variables (at most `limit`).
  bool Symbols(std::vector<GdbSymbol>* out, std::size_t limit);
  // The local symbols of each function of a source file, by its blocks.
  bool FunctionLocals(const std::string& file, std::vector<FunctionBlock>* out);
  // A key typed into serial window 1 for the simulated UART.
  void SerialInput(uint8_t c);

  // Trace recording (simulation only): while on, qemu logs every executed
  // instruction into a bounded ring. Switched while the target is halted.
  bool TraceOffered() const { return m_simulated; }
  bool Simulated() const { return m_simulated; }  // qemu of the driver's own
  bool Tracing() const { return m_tracing; }
  bool SetTrace(bool on, std::string* err);
  // The recorded addresses, oldest first, the last one at the program counter.
  std::vector<uint32_t> TraceEntries() const;
  void ClearTrace() { m_trace.Clear(); }
  // Code coverage: what the exec log saw run since it was last cleared.
  CoverageLog Coverage() const { return m_trace.Coverage(); }
  void ClearCoverage() { m_trace.ClearCoverage(); }
  // The instructions of the function that holds an address, as gdb's
  // disassembler gives them; false when gdb knows no function there.
  bool FunctionCode(uint32_t address, std::vector<CoveredInstruction>* out);
  // The instruction at an executed address with its source line (any
  // address inside the line, not only where the line starts).
  TraceStep DescribeStep(uint32_t address);

  uint32_t Pc() const { return m_pc; }

  // The register set of the IDE's register page.
  RegisterSet* Registers() { return &m_set; }
  void RefreshRegisters();
  void SetRegister(RegisterEntry* entry, uint64_t value);

 private:
  // An address as the driver's messages show it: "0x" and at least 8 hex digits.
  static std::string Hex8(uint64_t v);
  void OnStopped(const MiRecord& r);
  // A stop the driver asked for to change breakpoints while the target
  // runs (WhileStill): taken here, the IDE hears nothing of it.
  bool PauseStop(const MiRecord& r);
  // A stop of the UART stand-in's, its work done, is the pause a change
  // waits for: gdb took the change's interrupt for it. True when it was.
  bool TakePause(const MiRecord& r);
  // The interrupt of a pause that a stand-in's stop took may still stop
  // the target once it runs on: that stop is the driver's, and the run
  // goes on.
  bool StrayInterrupt(const MiRecord& r);
  // The breakpoints a stop hit (gdb's numbers: bkptno, and the watchpoint
  // tuples of a watched expression's stop).
  static std::vector<int> HitNumbers(const MiRecord& r);
  // gdb counts a breakpoint's ignore count down to 0 and then stops at
  // every pass: each breakpoint the stop hit whose count the user defined
  // counts again from that count (taken at the stop, sent by
  // SendPendingCounts).
  void ReloadCounts(const MiRecord& r);
  // The counts ReloadCounts took at a stop go to gdb before the target runs
  // or steps again: at the stop itself gdb may still be running the
  // breakpoint's own commands ("print num"), and a command that changes
  // the breakpoint meanwhile once ended gdb. Called before every run and
  // step, the driver's own resumes included.
  void SendPendingCounts();
  // The pass count a breakpoint was defined with (1: none).
  void DefinedCount(int number, uint32_t count);
  // At each stop the IDE hears of: gdb's list is asked for without waiting
  // and the driver's own watchpoint put back where a command disabled or
  // deleted it (the answer handled on the reader thread).
  void CheckOwnBreakpointsAtStop();
  // What KeepOwnBreakpoints does for a list gdb gave: the commands that put
  // the driver's own breakpoints back, sent in order; `then` sees the
  // new watchpoint's answer when the watchpoint was set again.
  struct OwnRepair {
    std::vector<int> enable;  // gdb's numbers of own breakpoints listed disabled
    bool setWatch = false;    // the UART's watchpoint is gone
  };
  OwnRepair OwnRepairOf(const MiValue& table);
  void SayOwnRepair(bool watch, bool set, bool ok);
  void TakeNewWatch(const MiRecord& w);
  void OwnCheckDone();
  // Before the target runs (a run or a step of the IDE's): a conditional
  // breakpoint whose expression holds already stops the target after its
  // first instruction, as the expression is true while it runs; one with
  // passes left counts this one. True when the run became that step
  // (*stepped: it was done), false to run as asked.
  bool StopForTrueCondition(bool* stepped);
  // Breakpoint and EnableBreakpoint by address with the target standing.
  bool ChangeBreakpoint(uint64_t address, bool insert);
  bool ChangeEnabled(uint64_t address, bool enable);
  // The breakpoints dialog's and the IDE's changes by gdb's number, and of
  // them all, with the target standing.
  bool DeleteNumber(int number);
  bool EnableNumber(int number, bool on);
  void DisableAll();
  void DeleteAll();
  // A stop of the UART stand-in: handled here and the program resumed.
  bool UartStop(const MiRecord& r);
  void SetupUart(const TargetParams& params);
  void ArmKey();
  void ArmKeyLocked();  // ArmKey with m_keyMutex held
  // The program runs on after a stop of the driver's own (a run it let go
  // on): a key typed while that stop was handled goes into the receive
  // register first. False when gdb could not be asked.
  bool ContinueRun();
  // A stop by an interrupt (a key's, a pause's, the user's) can land on the
  // program's store into the transmit register, which gdb then reports as
  // the interrupt alone: the character stored is taken from the register.
  void TakeHiddenStore(const MiRecord& r);
  void OnConsole(const std::string& text);
  void OnLog(const std::string& text);
  // A wait reached its bound: the texts, and with no answer the target
  // leaves the executing state.
  void WaitEnded(WaitFor what, WaitEnd end);
  // gdb answered a command after a wait without an answer had ended: the
  // target takes commands again.
  void AnsweredAgain();
  // A run command refused after a wait without an answer says so; false.
  bool SayUnanswered();
  // Before the target runs or steps, or a typed line goes to gdb: a stop
  // request sent to qemu's monitor is taken (within the reply bound), or
  // the command is refused with the reason, as the stop would end it.
  bool MonitorStopTaken();
  // A stop request whose wait ended without a stop stands until the target
  // stops (gdb_target_standing_stop.cpp): in simulation it also goes to
  // qemu's monitor, and once qemu has read it (it answers again) the
  // requests go to gdb again until one stops the target; a target that
  // still runs then runs for the IDE too, and Esc stops it.
  void LeaveStopStanding(uint64_t reportedBefore);
  // Called by the monitor thread: the standing request's turn once qemu
  // answers again.
  void TakeStandingStop();
  // Sends one of gdb's permission settings; true when gdb took it.
  bool SetAccess(const std::string& setting);
  // The executing bit the IDE sees, and its mirror here.
  void SetExecuting(bool on);
  // The times the target was seen to stand (SetExecuting(false)).
  uint64_t StandsSeen();
  // gdb answered a run "running": the target runs for the IDE at once
  // (Stop Running is offered, a stop request is sent), not only once the
  // reader has read gdb's report that follows the answer, unless it was
  // seen to stand since `standsBefore` (a stop that came first).
  void RunAnswered(const MiRecord& answer, uint64_t standsBefore);
  std::string TakeHeldConsole();
  // A console text with gdb's breakpoint numbers as the command page shows them.
  std::string ShownBreakpointNumbers(const std::string& text);
  // An empty line held back in case the UART's report follows: out now.
  void FlushBlankConsole();
  void Written(uint8_t c, const MiRecord& r);
  void ResumeAfterUart(const MiRecord& r);
  // gdb's stop at the UART's watchpoint also hit a breakpoint at the new
  // program counter (a user's, or a run's stop address): it is no stop of
  // the stand-in alone and is not resumed.
  static bool AlsoBreakpointHit(const MiRecord& r);
  // A step the UART stand-in broke into goes on: back up to the step's
  // frame, then the same step again, so it ends where it would have.
  void ContinueStep(const MiRecord& r);
  void HoldConsole();
  // gdb's command of a step mode (0 into, 1 over, 2 out, 3 one instruction).
  static const char* StepCommand(int mode);
  // The command that goes on with the step under way after a stop of the
  // driver's own: a typed step's console command, or the IDE's step's.
  std::string StepAgainCommand(int mode);
  // A typed resuming command is about to go to gdb: it is a run (the
  // driver's own stops let it run on) or a step (they go on with it, as
  // they go on with the IDE's steps).
  void PrepareTypedResume(const TypedResume& resume);
  void ReportStop(const MiRecord& r, bool sayReason = true);
  // After gdb answered a run: whether its server took it (within the run's
  // bound); otherwise the command page says that the target does not
  // answer, and the stops the server's late answer brings are the
  // driver's (UntakenRunEnded): the run goes on, as the user asked.
  bool RunTaken(const CreditedBound& until);
  // A bound on gdb's answer that lasts longer by what gdb, the emulator
  // and the reader of gdb's output waited for a processor meanwhile.
  CreditedBound ReplyBound(int ms) const;
  bool UntakenRunEnded(const MiRecord& r);
  // A stop the driver took as its own turns out to end the step: reported
  // now, as the settling of that stop left the IDE out.
  void ReportOwnStop(const MiRecord& r);
  // The stop's place on the command page, as gdb says a stop of its own.
  void SayStop(const MiRecord& r);
  // A typed step ends in one of the driver's own stops (its way through the
  // UART stand-in's): gdb printed nothing of that end, so its place is
  // printed in gdb's words ("44\t<text>" back in the step's own frame, else
  // with the frame's function and file) before the IDE hears of it.
  void EndOwnStep(const MiRecord& r, bool sameFrame);
  void NotifyStopped();
  // Waits until n stops were reported to the IDE in all; a stop request
  // asked for meanwhile ends the wait too when `orStopAsked` (false then).
  bool WaitReported(uint64_t n, int timeoutMs, bool orStopAsked = false);
  // A run or step asked for ended: one that did not run the target (no
  // stop since `reportedBefore`, not running) leaves it standing for the
  // IDE, told as a stop.
  void RequestEnded(uint64_t reportedBefore);
  // A run of any kind (`request` on the request thread), the target running
  // for the IDE from now on.
  bool Ask(std::function<void()> request);
  // Runs a request on the request thread; an exception it throws is said
  // on the command page instead of ending the program.
  void RunGuarded(const std::function<void()>& request);
  // Wakes every wait of the driver's threads: the session ends.
  void WakeWaits();
  uint64_t Reported();
  void OnDead(const std::string& reason);
  // The register page's values are asked for as the target stops when the
  // page read them at the stop before: their answer is on its way while the
  // IDE hears of the stop. Anything that may write a register forgets them.
  void PrefetchRegisters();
  void RegistersMayChange();
  void BuildRegisterSet();
  // Whether gdb evaluates an expression (with neither writes nor calls),
  // else false with gdb's reason.
  bool ReadOnlyValue(const std::string& expression, std::string* err);
  // The address of what an expression designates, when asking for it
  // only reads.
  bool ReadOnlyAddress(const std::string& expression, uint64_t* address);
  // "file:line" (the file's full path) when a source line starts at the
  // address and it is no function's entry (gdb would set a breakpoint on
  // that line past the entry code); "" otherwise.
  std::string LineLocation(uint64_t address);
  // A function's address, asked of gdb once.
  bool FunctionAddress(const std::string& function, uint64_t* address);
  void Monitor();
  bool Ok(const MiRecord& r, std::string* err = nullptr) const;
  // The command language's actions (gdb_target_commands.cpp).
  int Refuse(const std::string& why);
  // A typed "G" or "G, location": from the request thread, unless it is a
  // line of an included file.
  int TypedRun(const CommandTranslation& t);
  int RunUntil(const std::string& location);
  int SetBreakpointAt(const CommandTranslation& t, CommandOrigin origin);
  int ChangeBreakpoints(const CommandTranslation& t);
  int ListForCommandPage();
  int IncludeFile(const std::string& file);
  // A typed line of gdb's own: the breakpoint numbers in it are the
  // command page's, and gdb's messages and unfinished line reach the page.
  int TypedConsole(const std::string& typed);
  // The end of a typed command's answer: its unfinished line ended and its
  // messages (but the one its refusal says) to the page, in gdb's order.
  void EndTypedAnswer(const MiRecord* answer);
  // After a typed command: the margins' breakpoints that gdb deleted go,
  // and those it enabled or disabled show it.
  void FollowTypedBreakpoints();
  // "U address": the disassembly window is told the address.
  int ShowCode(const std::string& address);
  int AssignAndReposition(const std::string& assignment);
  // After the program counter changed behind a stop: the new position,
  // and the IDE told.
  void Reposition();
  // The program counter and the stop's line as gdb has them now.
  void TakePosition();
  // A breakpoint of the driver's own: hidden from the user, and the
  // numbers the command page shows leave it out.
  void OwnBreakpoint(int number);
  // After a typed command and before every run or step: the driver's own
  // breakpoints that a command deleted or disabled are set or enabled
  // again, and the command page says so.
  void KeepOwnBreakpoints();
  // Takes gdb's list of breakpoints as the kept one (each change to the
  // breakpoints ends with it, while gdb still answers).
  void RememberBreakpoints();
  // Calls RememberBreakpoints when it leaves its scope, after the locks
  // taken below it are released.
  struct RememberBreakpointsAfter {
    GdbTarget* target;
    ~RememberBreakpointsAfter() { target->RememberBreakpoints(); }
  };
  int UserNumber(int gdbNumber) const;  // under m_bpMutex
  BreakpointNumbering Numbering() const;  // under m_bpMutex
  int GdbNumber(int userNumber) const;  // under m_bpMutex; 0 when none

  // Stopped as the IDE sees it too: not in one of the driver's own
  // momentary stops (the UART stand-in's), whose values are no answer.
  bool Still() const { return Halted() && !m_executing; }

  TargetEvents m_events;
  std::unique_ptr<GdbConnection> m_gdb;
  // What gdb lets each command do: reads never write or call.
  GdbPermissions m_access;
  ChildProcess m_qemu;
  QemuMonitor m_qemuMonitor;  // simulation only
  StubSocket m_stub;          // simulation only: gdb's way to qemu's stub
  bool m_simulated = false;
  std::thread m_monitor;
  std::atomic<bool> m_closing{false};
  // The IDE's run control (AskRun, AskStep, AskStop), and what is asked of
  // it: a run or step not yet under way keeps the other threads' questions
  // from gdb (CodeMayBeAsked) until its stop; a stop request queued.
  RequestThread m_requests;
  std::atomic<bool> m_runAsked{false};
  std::atomic<int> m_runsQueued{0};  // runs and steps asked for, not yet ended
  std::atomic<bool> m_stopQueued{false};
  std::atomic<uint32_t> m_pc{0};
  // m_pc is gdb's $pc: set by a stop, cleared by anything that may assign.
  std::atomic<bool> m_pcKnown{false};
  SourceLine m_stopLine;
  std::string m_stopFunction;  // the function of the stop's frame ("" not known)
  // Functions' addresses as gdb gave them: the program does not change.
  std::map<std::string, uint64_t> m_functionAddresses;
  SourceCache m_sources;
  std::mutex m_stopMutex;
  std::map<uint64_t, int> m_breakpoints;  // address -> gdb's number
  std::map<uint64_t, bool> m_disabled;    // address -> disabled
  // The UART stand-in: its two watchpoints, the keys not yet read, whether
  // the program runs freely (a stop in a step is reported) and whether an
  // interrupt was the driver's own, to hand over a key.
  // (Set again on the reader thread when a command deleted the watchpoint.)
  std::atomic<int> m_uartWrite{-1}, m_uartRead{-1};
  uint32_t m_uartBase = 0;
  std::deque<uint8_t> m_keys;
  std::mutex m_keyMutex;
  std::atomic<bool> m_freeRun{false};
  std::atomic<bool> m_keyInterrupt{false};
  // A stop request is under way (cleared by the stop it brings).
  std::atomic<bool> m_stopAsked{false};
  // The stops reported before a stop request that stands (LeaveStopStanding);
  // -1 none.
  std::atomic<int64_t> m_standingSince{-1};
  std::atomic<bool> m_unanswered{false};
  // A run gdb answered was not taken by its server (RunTaken).
  // Kept until a stop shows that the server takes what gdb sends again
  // (UntakenRunEnded); whether the late run was said.
  std::atomic<bool> m_runUntaken{false};
  std::atomic<bool> m_runLateSaid{false};
  // A permission setting got no answer; said once the hold's lock is free.
  std::atomic<bool> m_settingUnanswered{false};
  std::atomic<bool> m_executing{false};
  std::mutex m_executingMutex;
  uint64_t m_standsSeen = 0;
  // gdb's log stream while the session starts: why a start failed.
  std::mutex m_logMutex;
  std::string m_startLog;
  bool m_starting = false;
  // The step under way (Step's mode, -1 none) and the stack depth it
  // started at; whether the current stop is the driver's own (the IDE does
  // not hear of it) and whether a finish of the driver's is under way (both
  // kept by the reader thread).
  std::atomic<int> m_stepMode{-1};
  std::atomic<int> m_stepDepth{0};
  SourceLine m_stepLine;  // where the step started (under m_stopMutex)
  std::string m_stepAgain;  // a typed step's command to go on with ("" the IDE's step; under m_stopMutex)
  std::string m_stepLocation;  // where a typed step to a location goes (under m_stopMutex)
  std::string m_stepFunction;  // the function a typed step started in (under m_stopMutex)
  bool m_ownStop = false;
  // From a stop of gdb's until the IDE hears of it: the stop may be one of
  // the driver's own, which it resumes at once (CodeMayBeAsked).
  std::atomic<bool> m_ownWay{false};
  bool m_finishing = false;
  std::mutex m_reportMutex;
  std::condition_variable m_reportCv;
  uint64_t m_reported = 0;
  std::atomic<uint8_t> m_cell{0};   // what the driver left in the receive/transmit register
  std::atomic<bool> m_armed{false};  // a key waits in the receive register, "data ready" set
  std::mutex m_consoleMutex;
  bool m_holding = false;  // console text held until the stop shows whose it is
  std::string m_held;
  std::string m_blank;  // empty lines waiting for the text after them
  bool m_openLine = false;   // the last console text ended without a line end
  bool m_typedLog = false;   // a typed command runs: gdb's log stream is its messages
  std::string m_typedLogText;
  bool m_capturing = false;  // the console's text is kept in m_captured too
  std::string m_captured;
  mutable std::mutex m_bpMutex;
  std::set<int> m_ownNumbers;                // the driver's own breakpoints (UART, run until)
  ShownBreakpointText m_shownNumbers;        // under m_bpMutex
  std::vector<GdbBreakpointInfo> m_keptBreakpoints;  // the user's, as gdb listed them last
  std::map<int, uint32_t> m_definedCounts;   // gdb's number -> the pass count defined (above 1)
  std::map<int, uint32_t> m_pendingCounts;   // counts to set again before the next run (SendPendingCounts)
  // The checks of the driver's own breakpoints at stops whose answers are
  // still to come.
  std::mutex m_ownCheckMutex;
  std::condition_variable m_ownCheckCv;
  int m_ownChecks = 0;
  // A conditional breakpoint's gdb number -> its truth in gdb's form.
  std::map<int, std::string> m_conditionals;
  // WhileStill's stop: one at a time; whether one is asked for, whether it
  // came (the target stands, the IDE still sees it running) and its record.
  std::mutex m_pauseMutex;
  std::mutex m_pauseStateMutex;
  std::condition_variable m_pauseCv;
  bool m_pauseWanted = false;
  bool m_paused = false;
  std::thread::id m_pauseThread;  // the thread whose change runs in the pause
  std::atomic<bool> m_strayInterrupt{false};
  MiRecord m_pauseStop;
  std::map<uint64_t, uint64_t> m_entryBreak;  // a function's entry -> its breakpoint after the entry code
  // The entry of a one-line function set from its line -> the line's
  // breakpoint after the entry code (gdb places it in every copy).
  std::map<uint64_t, uint64_t> m_lineEntry;
  int m_includeDepth = 0;
  // While a line of an included file runs: its refusal goes here, not to
  // the command page (the line's number goes with it there).
  std::string* m_refusal = nullptr;

  // The register page: one group of the core registers.
  std::vector<RegisterGroup> m_groups;
  std::vector<RegisterEntry> m_regs;
  std::vector<int> m_regNumbers;       // gdb's register numbers
  std::vector<std::string> m_regNames;  // gdb's names ("r0", "sp", "cpsr")
  std::string m_regCommand;             // the values of them all
  std::mutex m_regMutex;
  std::condition_variable m_regCv;
  uint64_t m_stopSerial = 0;  // stops reported (under m_regMutex)
  uint64_t m_regSerial = 0;   // the stop the prefetched values are of; 0 none
  bool m_regWaiting = false;  // their answer is on its way
  MiRecord m_regAnswer;
  std::atomic<bool> m_registersShown{false};  // the page read them since the last stop
  // The value texts a stop is compared with (those shown before it), and
  // that stop's serial; the "changed" marks stay until the next stop.
  std::vector<std::string> m_baseline;
  uint64_t m_baselineStop = ~uint64_t(0);
  std::string m_groupName = "Core";
  RegisterSet m_set{};

  ExecTraceReader m_trace;
  bool m_tracing = false;
};

}  // namespace pm2::gdb
