// The GDB driver library: the driver record's slots over one GdbTarget.
// The IDE calls the slots on its GUI thread; gdb's reader thread reaches
// the IDE only by posting (a stop, the end of the session) and through the
// thread-safe print callback.
#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "debugger/abi/debug_interface.h"
#include "debugger/gdb/gdb_commands.h"
#include "debugger/gdb/gdb_listing.h"
#include "debugger/gdb/gdb_target.h"

namespace {

using pm2::gdb::GdbTarget;
using pm2::gdb::SourceLine;

DebugInterface g_record;
DebugInterface* g_ide = nullptr;
std::unique_ptr<GdbTarget> g_target;
std::string g_sourcePath;  // what srcFile points at after DbgFindSource
std::vector<DbgLinePair> g_lines;  // what the last DbgLineTable answered
DbgLineTableRecord g_lineTable;
std::vector<DbgCallStackEntry> g_callStack;
// The disassembly window's listing, a chunk at a time from gdb.
pm2::gdb::GdbListing g_listing([](uint32_t from, uint32_t to) {
  return g_target ? g_target->Disassemble(from, to) : std::vector<pm2::gdb::ListingLine>{};
});
std::string g_lineText;  // what DbgDisasmLineText answered last
// The command syntax handed to the command window.
pm2::SyntaxTableBuilder g_syntaxTables;
pm2::gdb::GdbSyntax g_syntax;

void SetFlag(uint32_t bit, bool on) {
  if (on)
    __atomic_fetch_or(&g_record.flags, bit, __ATOMIC_SEQ_CST);
  else
    __atomic_fetch_and(&g_record.flags, ~bit, __ATOMIC_SEQ_CST);
}

void Print(const std::string& text) {
  if (g_record.PrintToCommandWindow) g_record.PrintToCommandWindow(text.c_str());
}

pm2::gdb::TargetEvents Events() {
  pm2::gdb::TargetEvents e;
  e.print = Print;
  e.executing = [](bool on) { SetFlag(kDbgFlagExecuting, on); };
  e.stopped = [] {
    if (g_target) g_record.pc = g_target->Pc();
    if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyTargetStopped, 0);
  };
  e.ended = [](const std::string& reason) {
    Print("*** Error: " + reason + ": the debug session ends\n");
    if (g_record.PostNotify) g_record.PostNotify(kDbgNotifyDriverEnded, 0);
  };
  return e;
}

// ---- slots

int32_t Assign(const char* text, int32_t length);

intptr_t Control(int32_t code, intptr_t a, intptr_t b) {
  switch (code) {
    case kDbgCtlMayStop:
    case kDbgCtlBeforeStop:
      return 0;
    case kDbgCtlExecNow:
      return g_target ? g_target->Execute(reinterpret_cast<const char*>(a)) : 1;
    case kDbgCtlProgramCounter:
    case 12:  // the current assembly address
      return g_target ? intptr_t(g_target->Pc()) : 0;
    case 3:  // a value assignment
      return Assign(reinterpret_cast<const char*>(a), -1);
    case 8:  // Esc in the command window: stop a running target
      return g_target && g_target->Interrupt() ? 0 : 1;
    case 15:  // the size of an address's memory space: all 4 GB
      return -1;
    case kDbgCtlBeforeCallStack:
      if (!g_target || !g_target->CallStack(&g_callStack)) g_callStack.clear();
      g_record.callStack = g_callStack.data();
      g_record.callStackTop = int32_t(g_callStack.size()) - 1;
      return 0;
    case kDbgCtlInstructionText: {
      const std::string text = g_target ? g_target->Instruction(*reinterpret_cast<const uint32_t*>(a)) : "";
      std::snprintf(reinterpret_cast<char*>(b), 256, "%s", text.c_str());
      return text.empty() ? 1 : 0;
    }
    case kDbgCtlEvalAddress: {
      uint64_t value = 0;
      if (!g_target || !g_target->Evaluate(reinterpret_cast<const char*>(a), &value)) return 1;
      std::memcpy(reinterpret_cast<uint8_t*>(b) + 12, &value, 4);
      return 0;
    }
    case kDbgCtlIpcEvaluate: {
      auto* r = reinterpret_cast<DriverExpressionRecord*>(a);
      uint64_t value = 0;
      if (!g_target || !g_target->Evaluate(r->text ? r->text : "", &value)) {
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
        if (!g_target->Write(address, r->count, static_cast<const uint8_t*>(r->buffer))) {
          r->failed = 1;
          r->stoppedAt = r->addressLow;
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

intptr_t Enum(int32_t code, intptr_t a, intptr_t b) {
  if (code != kDbgEnumAddressName || !g_target || !b) return 0;
  const std::string name = g_target->SymbolAt(uint64_t(uint32_t(a)));
  if (name.empty()) return 0;
  std::snprintf(reinterpret_cast<char*>(b), 256, "%s", name.c_str());
  return 1;
}

int32_t Go(uint32_t stop) { return g_target && g_target->Go(stop) ? 0 : 1; }
int32_t Step(int32_t mode) { return g_target && g_target->Step(mode) ? 0 : 1; }
int32_t StopExecution() { return g_target && g_target->Interrupt() ? 0 : 1; }
int32_t ReadMemory(uint64_t address, uint32_t count, void* buffer) {
  return g_target ? g_target->Read(address, count, static_cast<uint8_t*>(buffer)) : 1;
}
uint32_t WriteMemory(uint64_t address, uint32_t count, const void* bytes) {
  return g_target && g_target->Write(address, count, static_cast<const uint8_t*>(bytes)) ? 0 : 1;
}
uint32_t Breakpoint(uint64_t address, int32_t op) {
  if (!g_target) return uint32_t(-1);
  switch (op) {
    case 1: return g_target->HasBreakpoint(address) ? 1 : 0;
    case 3: return g_target->Breakpoint(address, !g_target->HasBreakpoint(address)) ? 0 : uint32_t(-1);
    case 7: return g_target->HasBreakpoint(address) ? 1 : 0;
    default: return 0;
  }
}
int32_t ExecCommand(const char* text, int32_t length) {
  if (!g_target || !text) return 0;
  // The command window shows the line as it was typed: no echo here.
  return g_target->Execute(std::string(text, length > 0 ? std::size_t(length) : std::strlen(text)));
}
int32_t Eval(int32_t, const char* text, uint64_t* value) {
  return g_target && g_target->Evaluate(text ? text : "", value) ? 0 : 1;
}
int32_t FindSource(uint32_t address) {
  SourceLine line;
  if (!g_target || !g_target->FindSource(address, &line)) return 1;
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
int32_t FormatAddress(int32_t mode, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, mode == 1 ? "%08llX" : "0x%08llX", static_cast<unsigned long long>(address));
}
int32_t Assign(const char* text, int32_t length) {
  if (!g_target || !text) return 1;
  // The memory window's typed writes: one assignment a value.
  std::vector<std::string> writes;
  if (pm2::gdb::TypedWriteAssignments(std::string(text, length > 0 ? std::size_t(length) : std::strlen(text)), &writes)) {
    uint64_t ignored = 0;
    for (const std::string& w : writes)
      if (!g_target->Evaluate(w, &ignored)) return 1;
    return 0;
  }
  uint64_t value = 0;
  return g_target->Evaluate(std::string(text, length > 0 ? std::size_t(length) : std::strlen(text)), &value) ? 0 : 1;
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
  g_listing.Next(static_cast<DisasmLine*>(record), g_record.disasmRequest[0]);
  return 0;
}
intptr_t DisasmPrev(void* record) {
  g_listing.Prev(static_cast<DisasmLine*>(record));
  return 0;
}
intptr_t DisasmRefresh(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  g_listing.Refresh(l, g_target ? g_target->Pc() : 0, g_target && g_target->HasBreakpoint(l->address));
  return 0;
}
intptr_t DisasmText(void* record) {
  g_lineText = g_listing.Text(*static_cast<DisasmLine*>(record));
  return reinterpret_cast<intptr_t>(g_lineText.c_str());
}
void Exit() {
  g_listing.Forget();
  if (g_target) g_target->Close();
  g_target.reset();
}
void RefreshRegisters(RegisterEntry* entry, uint32_t) {
  if (!entry && g_target) g_target->RefreshRegisters();
}
void SetRegister(RegisterEntry* entry, const uint64_t* value) {
  if (g_target && entry && value) g_target->SetRegister(entry, *value);
}

void Fail(DebugSettings* s, const std::string& text) {
  s->flags |= kDbgSettingsStartFailed;
  std::snprintf(s->errorText, sizeof s->errorText, "%s", text.c_str());
}

bool StartTarget(DebugSettings* s, bool forFlash) {
  pm2::gdb::TargetParams params = pm2::gdb::ParseTargetParams(s->dllParams);
  if (forFlash) params.simulate = false;
  g_target = std::make_unique<GdbTarget>(Events());
  std::string err;
  if (!g_target->Start(params, s->programFile, &err)) {
    g_target->Close();
    g_target.reset();
    Fail(s, err);
    return false;
  }
  return true;
}

}  // namespace

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
      g_record.DbgGetDisasmLine = DisasmNext;
      g_record.DbgPrevDisasmLine = DisasmPrev;
      g_record.DbgRefreshDisasmLine = DisasmRefresh;
      g_record.DbgDisasmLineText = DisasmText;
      // GDB has no performance analyser and no code coverage.
      g_record.flags &= ~uint32_t(0x4000 | 0x8000);
      return 0;
    case 2:
      *static_cast<DebugInterface**>(argument) = &g_record;
      return 0;
    case 3: {
      auto* s = static_cast<DebugSettings*>(argument);
      if (access(s->programFile, R_OK) != 0) {
        // Stored names keep the project's case; the file may differ in it.
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
      if (access(s->programFile, R_OK) != 0) Fail(s, std::string("program file '") + s->programFile +
                                                          "' not found; build the target first");
      return 0;
    }
    case 4: {
      auto* s = static_cast<DebugSettings*>(argument);
      if (!StartTarget(s, false)) return 1;
      g_record.pc = g_target->Pc();
      Print("GDB driver: no performance analyser and no code coverage through GDB\n");
      g_target->Registers()->refresh = RefreshRegisters;
      g_target->Registers()->setValue = SetRegister;
      if (g_record.IdeServiceCall)
        g_record.IdeServiceCall(44, reinterpret_cast<intptr_t>(g_target->Registers()));
      g_listing.Forget();
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
      if (!StartTarget(s, true)) return 1;
      std::string err;
      bool ok = code == 6 ? g_target->Download(&err)
                          : g_target->Execute("monitor flash erase_sector 0 0 last") == 0;
      if (!ok) std::snprintf(s->errorText, sizeof s->errorText, "%s",
                             err.empty() ? "the GDB server refused" : err.c_str());
      return ok ? 0 : 1;
    }
    default:
      return 0;
  }
}
