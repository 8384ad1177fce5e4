// The GDB driver library: the driver record's slots over one GdbTarget.
// The IDE calls the slots on its GUI thread (a client's read-only
// evaluation of a halted target may come on the event interface's thread,
// kDbgCtlAnyThreadReads); gdb's reader thread reaches
// the IDE only by posting (a stop, the end of the session) and through the
// thread-safe print callback.
#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <sstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "driver_abi/debug_records.h"
#include "debugger/gdb/arm/arm_assembler.h"
#include "debugger/gdb/commands/command_language.h"
#include "debugger/gdb/commands/gdb_commands.h"
#include "debugger/gdb/records/gdb_dialog_records.h"
#include "debugger/gdb/records/gdb_listing.h"
#include "debugger/gdb/elf/elf_arm_code.h"
#include "debugger/gdb/commands/expression_effects.h"
#include "debugger/gdb/target/gdb_target.h"
#include "debugger/gdb/target/settings_form.h"
#include "debugger/gdb/target/start_gate.h"
#include "debugger/gdb/arm/inline_asm.h"
#include "debugger/driver_shared/tool_box_labels.h"
#include "debugger/driver_shared/trace_history.h"

namespace {

// The settings' option bit "Load Application at Startup" (of either side).
constexpr uint32_t kSettingsLoadAtStartup = 0x2;

using pm2::gdb::GdbTarget;
using pm2::gdb::SourceLine;

DebugInterface g_record;
DebugInterface* g_ide = nullptr;
std::unique_ptr<GdbTarget> g_target;
std::unique_ptr<pm2::gdb::GdbDialogRecords> g_records;  // what the debug dialogs read
std::string g_sourcePath;  // what srcFile points at after DbgFindSource
std::vector<DbgLinePair> g_lines;  // what the last DbgLineTable answered
DbgLineTableRecord g_lineTable;
std::vector<DbgCallStackEntry> g_callStack;
uint32_t g_callStackPc = 0;  // the program counter the call stack was read at
std::vector<pm2::gdb::ListingLine> ListedCode(uint32_t from, uint32_t to);
// The disassembly window's listing, a chunk at a time from gdb.
pm2::gdb::GdbListing g_listing(ListedCode);
std::string g_lineText;  // what DbgDisasmLineText answered last
// The recorded execution history as listing lines; renewed at each stop.
pm2::TraceHistory g_history([](uint32_t address) {
  return g_target ? g_target->DescribeStep(address) : pm2::TraceStep{};
});
// Each run, step or reset renews the history once the target has stopped.
uint64_t g_runs = 0;
uint64_t g_historyRuns = ~uint64_t(0);
// The last run was recorded because the user asked for trace recording
// (and not only for the coverage).
std::atomic<bool> g_traceRecorded{false};
// Code coverage: the simulation's exec log runs from the session's first
// run; what it saw, renewed at each stop.
std::atomic<bool> g_coverageWanted{false};
pm2::gdb::CoverageLog g_coverage;
uint64_t g_coverageRuns = ~uint64_t(0);
constexpr uint32_t kOffersTrace = 0x2000;
// The inline assembler's "asm" command over the target toolchain's
// assembler; the text of the last command it refused (DbgControl 7).
pm2::gdb::ArmAssembler g_assembler;
// Which instruction set the program's code is in, by address.
std::shared_ptr<pm2::gdb::ElfArmCode> g_code;
std::unique_ptr<pm2::gdb::InlineAsm> g_asm;
std::string g_asmMissing;  // why there is no assembler, asked once a session

// gdb reads a literal pool as instructions (its disassembler follows the
// program's "$a"/"$t" marks, not "$d"): the pools show as the data the
// program file says they are.
std::vector<pm2::gdb::ListingLine> ListedCode(uint32_t from, uint32_t to) {
  if (!g_target) return {};
  auto disassemble = [](uint32_t a, uint32_t b) { return g_target->Disassemble(a, b); };
  if (!g_code) return disassemble(from, to);
  return pm2::gdb::ListingWithData(from, to, *g_code, disassemble, [](uint32_t at, uint32_t size, uint8_t* out) {
    return g_target->Read(at, size, out) == 0;
  });
}
std::string g_refusal;
// The command syntax handed to the command window.
pm2::SyntaxTableBuilder g_syntaxTables;
pm2::gdb::GdbSyntax g_syntax;

// The notification that carries one serial byte: the window number in
// bits 24 to 31, the byte in the low 8 bits.
constexpr int32_t kSerialByteNotify = 15;
// IDE service 22's flag of a refresh after a write: the windows read the
// target again and keep their places.
constexpr intptr_t kRefreshAfterWrite = 0x2;

void SetFlag(uint32_t bit, bool on) {
  if (on)
    __atomic_fetch_or(&g_record.flags, bit, __ATOMIC_SEQ_CST);
  else
    __atomic_fetch_and(&g_record.flags, ~bit, __ATOMIC_SEQ_CST);
}

void Print(const std::string& text) {
  if (g_record.PrintToCommandWindow) g_record.PrintToCommandWindow(text.c_str());
}

bool ToolBoxCommand(const std::string& line, pm2::gdb::CommandOrigin origin, int32_t* result);
void BeforeRun();
bool AsmCommand(const std::string& line, int32_t* result);

// A write of the driver's own or of a typed command (memory, code, a
// register): the windows refresh as after a write of their own (IDE
// service 22 with flag 0x2, the views keep their places); the listing is
// read again, as the write may have been to code.
void AfterWrite() {
  g_listing.Forget();
  if (g_target) g_record.pc = g_target->Pc();
  if (g_record.IdeServiceCall) g_record.IdeServiceCall(22, kRefreshAfterWrite);
}

pm2::gdb::TargetEvents Events() {
  pm2::gdb::TargetEvents e;
  e.print = Print;
  // The record's position is the stop's before the IDE sees the target stand.
  e.executing = [](bool on) {
    if (!on && g_target) g_record.pc = g_target->Pc();
    SetFlag(kDbgFlagExecuting, on);
  };
  e.stopped = [] {
    if (g_target) g_record.pc = g_target->Pc();
    if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyTargetStopped, 0);
  };
  // A register or variable written by a command: the debug windows refresh
  // by flags (IDE service 22; 0 also brings the new position into view).
  e.changed = [] {
    if (g_target) g_record.pc = g_target->Pc();
    if (g_record.IdeServiceCall) g_record.IdeServiceCall(22, 0);
  };
  // A typed command of gdb's: the windows refresh as after a write of their
  // own (IDE service 22 with flag 0x2, the views keep their places); the
  // listing is read again, as the command may have written code.
  e.written = [] { AfterWrite(); };
  // A character of the simulated UART: to serial window 1 (number 0),
  // posted, as the reader thread must not wait for the GUI.
  e.serial = [](uint8_t c) {
    if (g_record.PostNotify) g_record.PostNotify(kSerialByteNotify, intptr_t(c));
  };
  // A short text for the status line, posted: the texts live in a small
  // ring, as the GUI reads one after this returns.
  e.status = [](const std::string& text) {
    static char ring[4][32];
    static std::atomic<unsigned> next{0};
    char* slot = ring[next++ % 4];
    std::snprintf(slot, sizeof ring[0], "%s", text.c_str());
    if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyStatusText, reinterpret_cast<intptr_t>(slot));
  };
  // Breakpoints typed on the command page: the margins and the
  // disassembly window show them at once (IDE service 14).
  e.breakpointsChanged = [] {
    if (g_record.IdeServiceCall) g_record.IdeServiceCall(14, 0);
  };
  // The function editor's compile (its Include) lists the file's errors
  // with their lines (IDE service 41: position, text).
  e.includeError = [](int line, const std::string& text) {
    if (!g_record.IdeServiceCall || !(g_record.flags & kDbgFlagFunctionCompile)) return;
    const intptr_t record[2] = {intptr_t(uint32_t(line) & 0xFFFF), reinterpret_cast<intptr_t>(text.c_str())};
    g_record.IdeServiceCall(41, reinterpret_cast<intptr_t>(record));
  };
  // An Include file's lines are the user's own: the tool box's commands
  // and the inline assembler are the driver's there too.
  e.ownCommand = [](const std::string& line, int* result) {
    int32_t r = 0;
    const bool own = ToolBoxCommand(line, pm2::gdb::CommandOrigin::File, &r) || AsmCommand(line, &r);
    *result = r;
    return own;
  };
  // The IDE's message pump: the session's end, on the GUI thread, takes
  // what the reader thread hands over while it waits for that thread.
  e.pump = [] {
    if (g_record.PumpPendingMessages) g_record.PumpPendingMessages();
  };
  // "U address" (the disassembly window's Show Code at Address): the
  // window walks its listing to the address reported here.
  e.shown = [](uint32_t address) { g_record.shownAddress = address; };
  e.runStarting = [] { BeforeRun(); };
  e.ended = [](const std::string& reason) {
    Print("*** Error: " + reason + ": the debug session ends\n");
    // The target keeps its list of breakpoints after gdb has gone.
    if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyDriverEnded, kDbgEndedListsBreakpoints);
  };
  return e;
}

// An expression of the IDE in gdb's form (register names as the register
// page shows them); a refused one is said on the command page when `say`.
bool IdeExpression(const char* text, std::string* out, bool say) {
  std::string err;
  if (pm2::gdb::GdbExpression(text ? text : "", out, &err)) return true;
  if (say) Print("*** error: " + err + "\n");
  return false;
}

// An expression the IDE asks for only to show a value or an address
// (the memory window's address bar, again at every stop; the register
// page's entry; an editor's value tip): gdb runs what an expression asks
// for, so one that writes or calls is refused, *err saying why.
bool ShownExpression(const char* text, std::string* out, std::string* err) {
  if (!pm2::gdb::GdbExpression(text ? text : "", out, err)) return false;
  // The text gdb gets is the one checked.
  if (std::string fault = pm2::gdb::ReadOnlyExpressionFault(*out); !fault.empty()) {
    *err = std::move(fault);
    return false;
  }
  return true;
}

// The address texts refused this session: the memory window asks again at
// every stop, and each reason is said on the command page once.
std::set<std::string> g_saidAddressRefusals;

void SayAddressRefusal(const std::string& text, const std::string& reason) {
  if (!g_saidAddressRefusals.insert(text + '\n' + reason).second) return;
  Print("*** error: address '" + text.substr(0, 60) + "': " + reason + "\n");
}

// Whether gdb's value text of an address (its number `value`) fits the
// 32-bit space: at most 0xFFFFFFFF, or a negative number of 32 bits ("-1").
bool FitsAddress(const std::string& text, uint64_t value) {
  if (value <= 0xFFFFFFFFu) return true;
  const std::size_t digit = text.find_first_of("-0123456789");
  return digit != std::string::npos && text[digit] == '-' && int64_t(value) >= INT32_MIN;
}

// ---- slots

int32_t Assign(const char* text, int32_t length);
void PutNames(DbgWatchNames* out, const std::vector<std::string>& names);

intptr_t Control(int32_t code, intptr_t a, intptr_t b) {
  switch (code) {
    case kDbgCtlMayStop:
    case kDbgCtlBeforeStop:
      return 0;
    case kDbgCtlExecNow: {
      g_refusal.clear();
      int32_t result = 0;
      if (a && (ToolBoxCommand(reinterpret_cast<const char*>(a), pm2::gdb::CommandOrigin::Ide, &result) ||
                AsmCommand(reinterpret_cast<const char*>(a), &result)))
        return result;
      return g_target && a ? g_target->Execute(reinterpret_cast<const char*>(a), pm2::gdb::CommandOrigin::Ide) : 1;
    }
    case kDbgCtlProgramCounter:
      return g_target ? intptr_t(g_target->Pc()) : 0;
    case kDbgCtlAssemblyAddress: {
      const uint32_t pc = g_target ? g_target->Pc() : 0;
      return intptr_t(g_asm ? g_asm->Address(pc) : pc);
    }
    case kDbgCtlResultText:
      // The words of the last refused command; the buffer keeps the
      // command's own text for any other.
      if (b && !g_refusal.empty()) std::snprintf(reinterpret_cast<char*>(b), 256, "%s", g_refusal.c_str());
      return 0;
    case kDbgCtlAnyThreadReads:
      // A read-only evaluation asks gdb through the connection, which pairs
      // each answer with its command whatever the thread, and reads the
      // target's state from atomics: any thread may ask while it is halted.
      if (b) *reinterpret_cast<int32_t*>(b) = 1;
      return 0;
    case kDbgCtlReadOnlyFault: {
      // What gdb would run evaluating a client's text: an assignment, an
      // increment, a call in any form, a literal placed in target memory.
      const std::string fault = a ? pm2::gdb::ReadOnlyExpressionFault(reinterpret_cast<const char*>(a)) : std::string();
      if (b) std::snprintf(reinterpret_cast<char*>(b), 256, "%s", fault.c_str());
      return fault.empty() ? 0 : 1;
    }
    case kDbgCtlBreakpointPlace: {
      const std::string place =
          g_records && a ? g_records->BreakpointPlace(reinterpret_cast<const DbgBreakpointRecord*>(a)) : "";
      if (b) std::snprintf(reinterpret_cast<char*>(b), kDbgDefinitionSize, "%s", place.c_str());
      return place.empty() || place.size() >= kDbgDefinitionSize ? 0 : 1;
    }
    case kDbgCtlAssemblerMissing:
      if (b) std::snprintf(reinterpret_cast<char*>(b), 256, "%s", g_asmMissing.c_str());
      return g_asmMissing.empty() ? 0 : 1;
    case 3:  // a value assignment
      return Assign(reinterpret_cast<const char*>(a), -1);
    case 8:  // Esc in the command window: stop a running target
      return g_target && g_target->AskStop() ? 0 : 1;
    case 15:  // the size of an address's memory space: all 4 GB
      return -1;
    case 4:  // a memory space's attributes, from the program's sections
      if (!g_records || !b) return 1;
      g_records->MemorySpace(uint32_t(a), reinterpret_cast<DbgMemorySpaceRecord*>(b));
      return 0;
    case kDbgCtlBeforeCallStack:
      // A caller's place is its frame's pc, the return address, as gdb's
      // backtrace shows it: the instruction before it is no whole
      // instruction to name (a Thumb BL is two halfwords). Its source line
      // is the call's (FindSource).
      if (!g_target || !g_target->CallStack(&g_callStack)) g_callStack.clear();
      for (DbgCallStackEntry& e : g_callStack) e.calling &= ~1u;
      g_callStackPc = g_target ? g_target->Pc() : 0;
      g_record.callStack = g_callStack.data();
      g_record.callStackTop = int32_t(g_callStack.size()) - 1;
      return 0;
    case kDbgCtlInstructionText: {
      const uint32_t at = *reinterpret_cast<const uint32_t*>(a);
      std::string text;
      uint8_t word[4] = {};
      const uint32_t size = 4 - (at & 3);
      if (g_target && g_code && g_code->DataAt(at) && g_target->Read(at, size, word) == 0)
        text = pm2::gdb::DataLineText(at, word, size);
      else if (g_target)
        text = g_target->Instruction(at);
      std::snprintf(reinterpret_cast<char*>(b), 256, "%s", text.c_str());
      return text.empty() ? 1 : 0;
    }
    case kDbgCtlEvalAddress: {
      uint64_t value = 0;
      std::string expression, err;
      const char* text = reinterpret_cast<const char*>(a);
      if (!g_target || !text) return 1;
      if (!ShownExpression(text, &expression, &err)) {
        SayAddressRefusal(text, err);
        return 1;
      }
      // The record holds a 32-bit address: a larger value would show and
      // be written at its low word.
      std::string shown, refused;
      if (!g_target->Evaluate(expression, &value, &shown, &refused)) {
        if (!refused.empty())
          SayAddressRefusal(text, refused);
        else if (!shown.empty())
          SayAddressRefusal(text, "its value " + shown + " is no address");
        return 1;
      }
      if (!FitsAddress(shown, value)) {
        SayAddressRefusal(text, "the value " + shown + " does not fit in 32 bits");
        return 1;
      }
      value = uint32_t(value);
      std::memcpy(reinterpret_cast<uint8_t*>(b) + 12, &value, 4);
      return 0;
    }
    case kDbgCtlWatchEval: {
      auto* v = reinterpret_cast<DbgWatchValue*>(a);
      if (!g_target || !v || !v->expression) return 1;
      // A row the driver refuses says why in its text.
      std::string expression, err;
      if (!pm2::gdb::GdbExpression(v->expression, &expression, &err)) {
        std::snprintf(v->text, sizeof v->text, "%s", err.c_str());
        return 1;
      }
      return g_target->WatchValue(expression, v->radix, v) ? 0 : 1;
    }
    case kDbgCtlWatchMembers: {
      std::vector<std::string> names;
      std::string expression;
      if (!g_target || !a || !b || !IdeExpression(reinterpret_cast<const char*>(a), &expression, false) ||
          !g_target->WatchMembers(expression, &names))
        return 1;
      PutNames(reinterpret_cast<DbgWatchNames*>(b), names);
      return 0;
    }
    case kDbgCtlLocals: {
      std::vector<std::string> names;
      auto* out = reinterpret_cast<DbgWatchNames*>(a);
      if (!g_target || !out || !g_target->Locals(&out->key, &names)) return 1;
      PutNames(out, names);
      return 0;
    }
    case kDbgCtlValueTip: {
      // The word under the mouse in an editor: "name = value".
      auto* buffer = reinterpret_cast<char*>(a);
      // A word that would write or call shows no tip.
      std::string text;
      uint64_t value = 0;
      std::string expression, err;
      if (!g_target || !buffer || !buffer[0] || !ShownExpression(buffer, &expression, &err) ||
          !g_target->Evaluate(expression, &value, &text))
        return 1;
      const std::string tip = std::string(buffer) + " = " + text;
      std::snprintf(buffer, 1024, "%s", tip.c_str());
      return 0;
    }
    case kDbgCtlIpcEvaluate: {
      auto* r = reinterpret_cast<DriverExpressionRecord*>(a);
      uint64_t value = 0;
      std::string expression;
      // An assignment the IDE made of a client's register name and value:
      // done as the command language's assignment (its two sides each one
      // expression, quoted for gdb), so the windows and the position follow.
      if (g_target && r->text &&
          pm2::gdb::TranslateCommand(r->text, pm2::gdb::CommandOrigin::Ide).action == pm2::gdb::CommandAction::Assign) {
        if (g_target->Execute(r->text, pm2::gdb::CommandOrigin::Ide) != 0) r->error = 1;
        return 0;
      }
      // Anything else a client asks is a read: a text that writes or calls
      // in any form never reaches gdb, whatever the IDE checked before.
      if (!g_target || !IdeExpression(r->text, &expression, true)) {
        r->error = 1;
        return 0;
      }
      if (const std::string fault = pm2::gdb::ReadOnlyExpressionFault(expression); !fault.empty()) {
        Print("*** error: " + fault + "\n");
        r->error = 1;
        return 0;
      }
      if (!g_target->Evaluate(expression, &value)) {
        r->error = 1;
        return 0;
      }
      r->resultLow = uint32_t(value);
      r->resultHigh = uint32_t(value >> 32);
      return 0;
    }
    case kDbgCtlIpcClearBreak: {
      const auto* pair = reinterpret_cast<const uint32_t*>(a);
      return g_target && g_target->Breakpoint(uint64_t(pair[0]) | (uint64_t(pair[1]) << 32), false) ? 0 : 1;
    }
    case kDbgCtlIpcMemory: {
      auto* r = reinterpret_cast<DriverMemoryRequest*>(a);
      const uint64_t address = uint64_t(r->addressLow) | (uint64_t(r->addressHigh) << 32);
      if (!g_target) {
        r->failed = 1;
        return 0;
      }
      if (r->kind == 1) {
        uint32_t upTo = 0;
        if (g_target->Read(address, r->count, static_cast<uint8_t*>(r->buffer), &upTo) != 0) {
          r->failed = 1;
          r->stoppedAt = upTo;
        }
      } else if (r->kind == 2) {
        uint32_t written = 0;
        if (!g_target->Write(address, r->count, static_cast<const uint8_t*>(r->buffer), &written)) {
          // The low word of where it stopped: 0 for a write cut at 4 GB.
          r->failed = 1;
          r->stoppedAt = uint32_t(address + written);
        }
      } else if (r->kind == 4) {
        const std::string name = g_target->SymbolAt(address);
        if (name.empty())
          r->failed = 1;
        else
          std::snprintf(static_cast<char*>(r->buffer), r->count, "%s", name.c_str());
      } else {
        r->failed = 1;  // no time stamps through GDB
      }
      return 0;
    }
    default:
      (void)b;
      return 1;
  }
}

void PutNames(DbgWatchNames* out, const std::vector<std::string>& names) {
  std::size_t at = 0;
  out->count = 0;
  for (const std::string& n : names) {
    if (at + n.size() + 1 > sizeof out->names) break;
    std::memcpy(out->names + at, n.c_str(), n.size() + 1);
    at += n.size() + 1;
    ++out->count;
  }
}

// Data between the program's code (a literal pool): no instruction.
bool IsData(uint32_t address) { return g_code && g_code->DataAt(address); }

// What the exec log saw, once per stop.
void SyncCoverage() {
  if (g_records && g_target && g_target->CodeMayBeAsked() && g_coverageRuns != g_runs) {
    g_coverageRuns = g_runs;
    g_coverage = g_target->Coverage();
  }
}

intptr_t Enum(int32_t code, intptr_t a, intptr_t b) {
  if (code == kDbgEnumPublics && b) {
    *reinterpret_cast<DbgSymbolRecord**>(b) = g_records ? g_records->Publics() : nullptr;
    return 0;
  }
  if (code == kDbgEnumScopes && b && a == 0) {
    *reinterpret_cast<DbgScopeRecord**>(b) = g_records ? g_records->Scopes() : nullptr;
    return 0;
  }
  if (code == kDbgEnumScopes && b) {
    // The coverage tree; only the simulation logs what it executes.
    *reinterpret_cast<DbgCoverageRecord**>(b) =
        g_records && g_target && g_target->TraceOffered() ? g_records->Coverage() : nullptr;
    return 0;
  }
  if (code == kDbgEnumCoverageUpdate && b) {
    SyncCoverage();
    if (g_records) g_records->UpdateCoverage(reinterpret_cast<DbgCoverageRecord*>(b), g_coverage, IsData);
    return 0;
  }
  if (code == kDbgEnumCoverageClear) {
    if (g_target) g_target->ClearCoverage();
    g_coverage.Clear();
    return 0;
  }
  if (code != kDbgEnumAddressName || !g_target || !b) return 0;
  const std::string name = g_target->SymbolAt(uint64_t(uint32_t(a)));
  if (name.empty()) return 0;
  std::snprintf(reinterpret_cast<char*>(b), 256, "%s", name.c_str());
  return 1;
}

// Trace recording follows the record's trace byte when the target starts.
void SwitchTrace() {
  if (!g_target || !g_target->TraceOffered()) return;
  const bool wasRecorded = g_traceRecorded.exchange((g_record.traceOn & 1) != 0);
  const bool want = g_traceRecorded || g_coverageWanted;
  std::string err;
  // The log ran for the coverage alone: it starts again, so that the user's
  // history starts now (the coverage keeps what every log saw).
  if (g_traceRecorded && !wasRecorded && g_target->Tracing() && !g_target->SetTrace(false, &err))
    Print("*** Error: " + err + "\n");
  if (want != g_target->Tracing() && !g_target->SetTrace(want, &err)) Print("*** Error: " + err + "\n");
}
// The history of the last stop.
void SyncHistory() {
  if (!g_target || !g_target->CodeMayBeAsked() || g_runs == g_historyRuns) return;
  g_historyRuns = g_runs;
  g_history.Set(g_traceRecorded || (g_record.traceOn & 1) ? g_target->TraceEntries() : std::vector<uint32_t>{});
}
// The target runs: the inline assembler's address is the next stop's PC.
void ForgetAsmAddress() {
  if (g_asm) g_asm->Forget();
}
// What every run of the target does first, whoever starts it.
void BeforeRun() {
  SwitchTrace();
  ForgetAsmAddress();
  ++g_runs;
}
// A run, a step and a stop request return at once: the request thread
// waits on gdb, and the stop's notice brings the new position. The trace's
// switch asks qemu, so it goes first on that thread.
int32_t Go(uint32_t stop) {
  if (!g_target) return 1;
  ForgetAsmAddress();
  ++g_runs;
  return g_target->AskRun(stop, SwitchTrace) ? 0 : 1;
}
int32_t Step(int32_t mode) {
  if (!g_target) return 1;
  ForgetAsmAddress();
  ++g_runs;
  return g_target->AskStep(mode, SwitchTrace) ? 0 : 1;
}
int32_t StopExecution() { return g_target && g_target->AskStop() ? 0 : 1; }
int32_t ReadMemory(uint64_t address, uint32_t count, void* buffer) {
  return g_target ? g_target->Read(address, count, static_cast<uint8_t*>(buffer)) : 1;
}
uint32_t WriteMemory(uint64_t address, uint32_t count, const void* bytes) {
  uint32_t written = 0;
  if (!g_target) return 1;
  if (g_target->Write(address, count, static_cast<const uint8_t*>(bytes), &written)) return 0;
  // A range past the end of the space is cut there, as gdb would wrap it.
  if (g_target->Halted() && address + count > GdbTarget::kAddressSpaceEnd) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "*** error: the write at 0x%08llX is cut at the end of the 4 GB space: %u of %u bytes written\n",
                  static_cast<unsigned long long>(address), written, count);
    Print(text);
  }
  return 1;
}
// op 1 and 7: 0 none, 1 enabled, 2 disabled (no coverage through GDB);
// op 2 flips enabled, op 3 inserts or removes.
uint32_t Breakpoint(uint64_t address, int32_t op) {
  if (!g_target) return uint32_t(-1);
  const int state = g_target->BreakpointState(address);
  switch (op) {
    case 1:
      return uint32_t(state);
    case 7: {
      // With the gutter colour of the code coverage once it is counted.
      if (!g_coverageWanted || !g_records) return uint32_t(state);
      SyncCoverage();
      const uint32_t at = uint32_t(address);
      return uint32_t(state) | pm2::gdb::CoverageMarks(at, g_records->CoveredAt(at, IsData), g_coverage);
    }
    case 2:
      return state && g_target->EnableBreakpoint(address, state == 2) ? 0 : uint32_t(-1);
    case 3:
      return g_target->Breakpoint(address, state == 0) ? 0 : uint32_t(-1);
    default:
      return 0;
  }
}
int32_t ResetCpu(int32_t) {
  // The program starts again: what ran before is no history of it.
  if (g_target) g_target->ClearTrace();
  ForgetAsmAddress();
  ++g_runs;
  return g_target && g_target->Reset() ? 0 : 1;
}
intptr_t BreakpointList(int32_t op, intptr_t, intptr_t, void* record) {
  if (op == kDbgBpListDisableAll || op == kDbgBpListKillAll) {
    if (!g_target) return 1;
    if (op == kDbgBpListDisableAll)
      g_target->DisableAllBreakpoints();
    else
      g_target->DeleteAllBreakpoints();
    return 0;
  }
  if (!g_records) return 0;
  switch (op) {
    case kDbgBpListHead: return reinterpret_cast<intptr_t>(g_records->BreakpointHead());
    case kDbgBpListOpen: g_records->OpenBreakpoints(); return 0;
    case kDbgBpListKill: g_records->KillBreakpoint(static_cast<DbgBreakpointRecord*>(record)); return 0;
    case kDbgBpListClose: g_records->ApplyEnables(); return 0;
    default: return 0;
  }
}
intptr_t BreakpointDefine(int32_t, intptr_t, intptr_t, void* request) {
  auto* q = static_cast<DbgBreakpointRequest*>(request);
  if (!q) return 0;
  if (!g_records) {
    q->error = 1;
    return 0;
  }
  g_records->Define(q);
  return 0;
}
void SerialInput(uint32_t window, uint16_t c) {
  if (g_target && window == 0) g_target->SerialInput(uint8_t(c));
}
// The driver's own commands of the tool box: DEFINE BUTTON "label", "command"
// and KILL BUTTON n (* for all) hand the button to the IDE (services 32, 33).
// True when the line was one of them; *result 0 when it was done. A
// button's command runs as typed when the button is pressed: one defined
// by a file's line or a client is held to a file's rule (file_commands.h),
// as the user did not write it, and may not take a built-in button's label.
bool ToolBoxCommand(const std::string& line, pm2::gdb::CommandOrigin origin, int32_t* result) {
  auto starts = [&](const char* word) { return strncasecmp(line.c_str(), word, std::strlen(word)) == 0; };
  if (starts("DEFINE BUTTON")) {
    std::vector<std::string> quoted;
    std::string cur;
    bool in = false;
    for (std::size_t i = 13; i < line.size(); ++i) {
      const char c = line[i];
      if (in && c == '\\' && i + 1 < line.size()) {
        cur += line[++i];
      } else if (c == '"') {
        if (in) quoted.push_back(cur);
        cur.clear();
        in = !in;
      } else if (in) {
        cur += c;
      }
    }
    if (quoted.size() != 2 || quoted[0].empty() || !g_record.IdeServiceCall) {
      Print("*** error: DEFINE BUTTON \"label\", \"command\"\n");
      *result = 1;
      return true;
    }
    // A file's button labelled as the box's own would pass for it, and a
    // click would run the file's command where the user meant to refresh.
    if (origin != pm2::gdb::CommandOrigin::Typed && pm2::IsBuiltInButtonLabel(quoted[0])) {
      g_refusal = "DEFINE BUTTON \"" + quoted[0] +
                  "\": a button defined by a file may not take the name of the tool box's own button";
      Print("*** error: " + g_refusal + "\n");
      *result = 1;
      return true;
    }
    if (origin != pm2::gdb::CommandOrigin::Typed) {
      const pm2::gdb::CommandTranslation t = pm2::gdb::TranslateCommand(quoted[1], pm2::gdb::CommandOrigin::File);
      if (t.action == pm2::gdb::CommandAction::Refuse) {
        g_refusal = "DEFINE BUTTON \"" + quoted[0] + "\": " + t.error;
        Print("*** error: " + g_refusal + "\n");
        *result = 1;
        return true;
      }
    }
    const char* words[2] = {quoted[0].c_str(), quoted[1].c_str()};
    *result = g_record.IdeServiceCall(32, reinterpret_cast<intptr_t>(words)) ? 0 : 1;
    return true;
  }
  if (starts("KILL BUTTON")) {
    std::string arg = line.substr(11);
    arg.erase(0, arg.find_first_not_of(' '));
    const intptr_t n = arg.compare(0, 1, "*") == 0 ? intptr_t(-1) : intptr_t(std::atoi(arg.c_str()));
    *result = g_record.IdeServiceCall && g_record.IdeServiceCall(33, n) ? 0 : 1;
    return true;
  }
  return false;
}

// "asm <address>" and "asm <instruction>" of the inline assembler; true
// when the line was one, *result 0 when it was done. A refused one is said
// on the command page and kept for DbgControl 7.
bool AsmCommand(const std::string& line, int32_t* result) {
  std::string argument;
  if (!pm2::gdb::InlineAsm::IsCommand(line, &argument)) return false;
  if (!g_asm || !g_target) {
    g_refusal = "asm: no debug session";
    *result = 1;
  } else {
    *result = g_asm->Run(argument, g_target->Pc());
    if (*result != 0) g_refusal = g_asm->Error();
  }
  if (*result != 0) Print("*** error: " + g_refusal + "\n");
  return true;
}

int32_t ExecCommand(const char* text, int32_t length) {
  if (!g_target || !text) return 0;
  const std::string line(text, length > 0 ? std::size_t(length) : std::strlen(text));
  int32_t result = 0;
  g_refusal.clear();
  if (ToolBoxCommand(line, pm2::gdb::CommandOrigin::Typed, &result)) return result;
  if (AsmCommand(line, &result)) {
    // Typed on the command page: the disassembly window shows the address.
    uint32_t address = g_asm ? g_asm->Address(g_target->Pc()) : 0;
    if (result == 0 && g_record.IdeServiceCall) g_record.IdeServiceCall(40, reinterpret_cast<intptr_t>(&address));
    return result;
  }
  // The command window shows the line as it was typed: no echo here.
  return g_target->Execute(line, pm2::gdb::CommandOrigin::Typed);
}
// The register page's entry: a value to show and then write, never a
// text that writes or runs something else first.
int32_t Eval(int32_t, const char* text, uint64_t* value) {
  if (!g_target) return 1;
  std::string expression, err;
  if (!ShownExpression(text, &expression, &err)) {
    Print("*** error: '" + std::string(text ? text : "").substr(0, 60) + "': " + err + "\n");
    return 1;
  }
  return g_target->Evaluate(expression, value) ? 0 : 1;
}
int32_t FindSource(uint32_t address) {
  SourceLine line;
  // A caller's return address may start the line after its call (a call
  // that ends its line): the byte before it is inside the call, as gdb
  // looks a caller frame's line up.
  // The place the target stands in is no caller's.
  const uint32_t pc = g_target ? g_target->Pc() : 0;
  const bool caller = address != 0 && address != pc && g_callStackPc == pc &&
                      std::any_of(g_callStack.begin(), g_callStack.end(),
                                  [address](const DbgCallStackEntry& e) { return e.calling == address; });
  if (!g_target || !g_target->FindSource(caller ? address - 1 : address, &line)) return 1;
  g_sourcePath = line.file;
  g_record.srcFile = const_cast<char*>(g_sourcePath.c_str());
  g_record.srcLine = uint32_t(line.line);
  return 0;
}
void* LineTable(const char* path) {
  if (!g_target || !path || !g_target->LineTable(path, &g_lines) || g_lines.empty()) return nullptr;
  g_lineTable = DbgLineTableRecord{uint32_t(g_lines.size()), g_lines.data()};
  return &g_lineTable;
}
// Every mode gives a C hexadecimal literal: the memory window writes its
// mode-1 text into the assignment it asks for, and gdb reads digits
// without "0x" as decimal, or as octal after a leading zero.
int32_t FormatAddress(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "0x%08llX", static_cast<unsigned long long>(address));
}
int32_t Assign(const char* text, int32_t length) {
  if (!g_target || !text) return 1;
  // " `count = 5\n": gdb knows no back-quote and wants no line end; a
  // line end inside the text is refused.
  std::string line(text, length > 0 ? std::size_t(length) : std::strlen(text));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  line.erase(std::remove(line.begin(), line.end(), '`'), line.end());
  if (line.find('\0') != std::string::npos) {
    Print("*** error: the assignment holds a NUL character\n");
    return 1;
  }
  // The memory window's typed writes, or a watch window's value edit: what
  // was asked is written and nothing else, a refusal says why.
  pm2::gdb::TypedWrite write;
  std::string err;
  const bool typed = pm2::gdb::ParseTypedWrite(line, &write, &err);
  const bool ok = typed ? g_target->WriteTyped(write, &err) : err.empty() && g_target->EditValue(line, &err);
  if (!ok) Print("*** error: " + (err.empty() ? "the assignment failed" : err) + "\n");
  // The window that wrote asks the others to refresh (service 22); they
  // find the program counter as the write left it ("$pc = 0x200" moves the
  // arrows), and the code as written.
  g_target->AfterWrite();
  g_record.pc = g_target->Pc();
  g_listing.Forget();
  return ok ? 0 : 1;
}
int32_t ReadString(char* buffer, uint64_t address, int32_t maximum) {
  if (!g_target || !buffer || maximum <= 0) return -1;
  std::vector<uint8_t> bytes(std::size_t(maximum), 0);
  uint32_t upTo = 0;
  if (g_target->Read(address, uint32_t(maximum), bytes.data(), &upTo) != 0 && upTo == uint32_t(address)) return -1;
  int32_t n = 0;
  while (n < maximum - 1 && bytes[std::size_t(n)]) ++n;
  std::memcpy(buffer, bytes.data(), std::size_t(n));
  buffer[n] = '\0';
  return n;
}
intptr_t DisasmNext(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    SyncHistory();
    g_history.Next(l);
  } else {
    g_listing.Next(l, g_record.disasmRequest[0]);
  }
  return 0;
}
intptr_t DisasmPrev(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    SyncHistory();
    g_history.Prev(l);
  } else {
    g_listing.Prev(l);
  }
  return 0;
}
intptr_t DisasmRefresh(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    // A line of the history before the last stop holds no PC.
    SyncHistory();
    g_history.Refresh(l);
  } else {
    g_listing.Refresh(l, g_target ? g_target->Pc() : 0, g_target && g_target->HasBreakpoint(l->address));
  }
  return 0;
}
intptr_t DisasmText(void* record) {
  const auto* l = static_cast<DisasmLine*>(record);
  g_lineText = pm2::TraceHistory::IsTraceLine(*l) ? g_history.Text(*l) : g_listing.Text(*l);
  return reinterpret_cast<intptr_t>(g_lineText.c_str());
}
// The history's descriptor (its ninth word the number of entries), or 0.
intptr_t TraceInfo(void*) {
  SyncHistory();
  return reinterpret_cast<intptr_t>(g_history.Descriptor());
}
// Code 3: whether records exist.
int32_t TraceQuery(int32_t code, intptr_t, intptr_t, intptr_t) {
  if (code != 3) return 0;
  SyncHistory();
  return int32_t(g_history.Count());
}
void Exit() {
  // gdb, qemu and the request thread end first: a request under way may
  // still reach what the rest below clears.
  if (g_target) g_target->Close();
  g_saidAddressRefusals.clear();
  g_asm.reset();
  g_code.reset();
  g_records.reset();
  g_listing.Forget();
  g_history.Forget();
  g_historyRuns = ~uint64_t(0);
  g_traceRecorded = false;
  g_coverageWanted = false;
  g_coverage.Clear();
  g_coverageRuns = ~uint64_t(0);
  g_target.reset();
}
void RefreshRegisters(RegisterEntry* entry, uint32_t) {
  if (!entry && g_target) g_target->RefreshRegisters();
}
void SetRegister(RegisterEntry* entry, const uint64_t* value) {
  if (!g_target || !entry || !value) return;
  g_target->SetRegister(entry, *value);
  // The IDE reads the program counter from the record: a written one is
  // the position now.
  g_record.pc = g_target->Pc();
}

void Fail(DebugSettings* s, const std::string& text) {
  s->flags |= kDbgSettingsStartFailed;
  std::snprintf(s->errorText, sizeof s->errorText, "%s", text.c_str());
}

// A flash session goes to the GDB server of the target side's parameters
// (localhost:3333 unless "-remote" names another); with "-sim" it loads into qemu.
bool FlashSimulated(const std::string& params) {
  std::istringstream in(params);
  std::string word;
  while (in >> word)
    if (word == "-sim") return true;
  return false;
}

// The inline assembler over this session's target and program file.
void StartInlineAsm(const std::string& program) {
  pm2::gdb::InlineAsm::Target t;
  // An address expression is a value of the program. A text that assigns
  // ("ldr r0, =label") or calls in any form ("f(1)", "(f)(1)") is no
  // address and is never evaluated, as gdb would write or run the program.
  t.address = [](const std::string& text, uint64_t* value) {
    std::string expression;
    return g_target && IdeExpression(text.c_str(), &expression, false) &&
           pm2::gdb::ReadOnlyExpressionFault(expression).empty() && g_target->Evaluate(expression, value);
  };
  t.write = [](uint32_t address, const std::vector<uint8_t>& bytes, std::string* err) {
    if (!g_target || !g_target->Halted()) {
      *err = "the target runs; stop it first";
      return false;
    }
    if (!g_target->Write(address, uint32_t(bytes.size()), bytes.data())) return false;
    // The listing shows the new code, the memory window the new bytes.
    AfterWrite();
    return true;
  };
  t.assemble = [](const pm2::gdb::AsmLine& line, std::vector<uint8_t>* bytes, std::string* err) {
    return g_assembler.Assemble(line, bytes, err);
  };
  auto code = std::make_shared<pm2::gdb::ElfArmCode>(pm2::gdb::ElfArmCode::FromFile(program));
  g_code = code;
  t.thumbAt = [code](uint32_t address) { return code->ThumbAt(address); };
  t.dataAt = [code](uint32_t address) { return code->DataAt(address); };
  t.arch = code->Arch();
  t.symbols = program;
  g_asm = std::make_unique<pm2::gdb::InlineAsm>(std::move(t));
  g_asmMissing = g_assembler.Missing();
  g_refusal.clear();
}

bool StartTarget(DebugSettings* s, bool forFlash) {
  pm2::gdb::TargetParams params = pm2::gdb::ParseTargetParams(s->dllParams);
  if (forFlash) {
    params.simulate = FlashSimulated(s->dllParams);
    // The program's own UART is none of a download's business.
    params.uart = false;
  }
  // The text comes from the project's options file: every road to a start
  // passes here before gdb or the emulator runs.
  pm2::gdb::StartGate gate;
  gate.where = std::string("the Parameter field of the ") +
               (forFlash || (s->flags & kDbgSettingsTargetDriver) ? "target side's Driver DLL" : "simulator's CPU DLL") +
               " (Options for Target - Debug), kept in the project's options file";
  if (s->projectFolder) gate.folder = s->projectFolder;
  gate.ask = [](const std::string& question) {
    return g_record.IdeServiceCall &&
           g_record.IdeServiceCall(kIdeServiceRunProgramQuestion, reinterpret_cast<intptr_t>(question.c_str())) != 0;
  };
  std::string refused;
  if (!pm2::gdb::PassStartGate(s->dllParams, gate, &params, &refused)) {
    Fail(s, refused);
    return false;
  }
  pm2::gdb::TargetEvents events = Events();
  // A download says what it did in its own words: gdb's chatter from the
  // reader thread would reach the page after them.
  if (forFlash) events.console = [](const std::string&) {};
  g_target = std::make_unique<GdbTarget>(std::move(events));
  std::string err;
  if (!g_target->Start(params, s->programFile, &err)) {
    g_target->Close();
    g_target.reset();
    Fail(s, err);
    return false;
  }
  return true;
}

// Stored names keep the project's case; the file may differ in it.
void FindProgramFile(DebugSettings* s) {
  if (access(s->programFile, R_OK) == 0) return;
  std::string path = s->programFile;
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = path.substr(slash + 1);
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d))
      if (strcasecmp(e->d_name, name.c_str()) == 0) {
        std::snprintf(s->programFile, sizeof s->programFile, "%s/%s", folder.c_str(), e->d_name);
        break;
      }
    closedir(d);
  }
}

}  // namespace

// The options pages' questions: the ARM family (7), flash programming
// offered (100), and the driver's settings as a form the pages show
// (its parameter text: the target, the emulator and its machine or the
// GDB server, the gdb program).
extern "C" __attribute__((visibility("default"))) int32_t DllPm3Cap(int32_t code, void* argument) {
  constexpr int32_t kFamilyArm = 7;
  auto* form = static_cast<DriverSettingsForm*>(argument);
  switch (code) {
    case 2: return kFamilyArm;
    case 100: return 1;
    case kDrvCapSettingsKind: return kDrvSettingsForm;
    case kDrvCapSettingsForm:
      if (!form) return 0;
      pm2::gdb::FillSettingsForm(form->parameter ? form->parameter : "", form);
      return 1;
    case kDrvCapSettingsText: {
      if (!form) return 0;
      std::string text, error;
      if (!pm2::gdb::SettingsFormText(*form, &text, &error)) {
        std::snprintf(form->error, sizeof form->error, "%s", error.c_str());
        return 0;
      }
      if (text.size() >= sizeof form->text) {
        // Refused as too long for any field: the IDE names its own limit.
        std::snprintf(form->text, sizeof form->text, "%s", text.c_str());
        form->error[0] = '\0';
        return 0;
      }
      std::snprintf(form->text, sizeof form->text, "%s", text.c_str());
      return 1;
    }
    default: return 0;
  }
}

extern "C" __attribute__((visibility("default"))) int32_t BootDll(int32_t code, void* argument) {
  switch (code) {
    case 1:
      g_ide = static_cast<DebugInterface*>(argument);
      g_record = *g_ide;
      g_record.DbgControl = Control;
      g_record.DbgGo = Go;
      g_record.DbgStep = Step;
      g_record.DbgStopExecution = StopExecution;
      g_record.DbgReadMemory = ReadMemory;
      g_record.DbgWriteMemory = WriteMemory;
      g_record.DbgBreakpoint = Breakpoint;
      g_record.DbgExecCommand = ExecCommand;
      g_record.DbgEvalExpression = Eval;
      g_record.DbgFindSource = FindSource;
      g_record.DbgLineTable = LineTable;
      g_record.DbgEnum = Enum;
      g_record.DbgFormatAddress = FormatAddress;
      g_record.DbgAssign = Assign;
      g_record.DbgReadString = ReadString;
      g_record.DbgExit = Exit;
      g_record.DbgResetCpu = ResetCpu;
      g_record.DbgBreakpointList = BreakpointList;
      g_record.DbgBreakpointDefine = BreakpointDefine;
      g_record.DbgSerialInput = SerialInput;
      g_record.DbgGetDisasmLine = DisasmNext;
      g_record.DbgPrevDisasmLine = DisasmPrev;
      g_record.DbgRefreshDisasmLine = DisasmRefresh;
      g_record.DbgDisasmLineText = DisasmText;
      g_record.DbgTraceInfo = TraceInfo;
      g_record.DbgTraceQuery = TraceQuery;
      // GDB has no performance analyser; code coverage comes from qemu's exec log.
      g_record.flags &= ~uint32_t(0x4000 | 0x8000);
      return 0;
    case 2:
      *static_cast<DebugInterface**>(argument) = &g_record;
      return 0;
    case 3: {
      auto* s = static_cast<DebugSettings*>(argument);
      FindProgramFile(s);
      if (access(s->programFile, R_OK) != 0) Fail(s, std::string("program file '") + s->programFile +
                                                          "' not found; build the target first");
      return 0;
    }
    case 4: {
      auto* s = static_cast<DebugSettings*>(argument);
      if (!StartTarget(s, false)) return 1;
      // On a GDB server the target is where it was left: "Load Application
      // at Startup" resets it and loads the program (qemu started by the
      // driver has loaded it already, and stands at its reset).
      if ((s->flags & kSettingsLoadAtStartup) && !g_target->Simulated()) {
        std::string err, report;
        Print("GDB driver: loading '" + std::string(s->programFile) + "' into the target\n");
        if (!g_target->LoadAtStart(&err, &report)) {
          g_target->Close();
          g_target.reset();
          Fail(s, "the program could not be loaded into the target: " + err);
          return 1;
        }
        Print("GDB driver: " + report + "\n");
      }
      g_records = std::make_unique<pm2::gdb::GdbDialogRecords>(*g_target, s->programFile);
      g_record.pc = g_target->Pc();
      Print(g_target->TraceOffered() ? "GDB driver: no performance analyser through GDB\n"
                                     : "GDB driver: no performance analyser and no code coverage through GDB\n");
      g_target->Registers()->refresh = RefreshRegisters;
      g_target->Registers()->setValue = SetRegister;
      if (g_record.IdeServiceCall)
        g_record.IdeServiceCall(44, reinterpret_cast<intptr_t>(g_target->Registers()));
      g_listing.Forget();
      g_history.Forget();
      StartInlineAsm(s->programFile);
      // Trace recording through qemu's exec log.
      if (g_target->TraceOffered()) g_record.flags |= kOffersTrace;
      // Code coverage counts from the session's start, whether or not its
      // window is open: the exec log runs from the first run on.
      g_coverageWanted = g_target->TraceOffered();
      if (!g_syntax.root) g_syntax = pm2::gdb::BuildGdbSyntax(g_syntaxTables);
      if (g_record.SetCommandSyntaxTables)
        g_record.SetCommandSyntaxTables(g_syntax.fallback, g_syntax.fallback, g_syntax.root);
      if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyTargetStopped, 0);
      return 0;
    }
    case 5:
      return 0;
    case 6:
    case 7: {
      auto* s = static_cast<DebugSettings*>(argument);
      FindProgramFile(s);
      const std::string program = s->programFile;
      if (code == 6 && access(program.c_str(), R_OK) != 0) {
        std::snprintf(s->errorText, sizeof s->errorText, "program file '%s' not found; build the target first",
                      program.c_str());
        return 1;
      }
      Print(std::string(code == 6 ? "GDB driver: downloading '" : "GDB driver: erasing the flash for '") +
            program + "'\n");
      if (!StartTarget(s, true)) return 1;
      std::string err, report;
      const bool ok = code == 6 ? g_target->Download(&err, &report)
                                : g_target->Console("monitor flash erase_sector 0 0 last", &err);
      if (!ok)
        std::snprintf(s->errorText, sizeof s->errorText, "%s", err.empty() ? "the GDB server refused" : err.c_str());
      else
        Print(code == 6 ? "GDB driver: " + report + "\n" : std::string("GDB driver: flash erased\n"));
      return ok ? 0 : 1;
    }
    default:
      return 0;
  }
}
