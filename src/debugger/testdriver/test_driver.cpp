// The scriptable test driver: a driver library that answers every slot the
// IDE calls from a script, so sessions and windows can be tested without a
// target. The script is the file named by the driver's parameter string
// (else by PM2_TESTDRV_SCRIPT); one command a line:
//   fail <bootcode> <text>      fail BootDll code 3 or 4 (failure bit and
//                               text), or answer non-zero to 6 or 7
//   refuse <n> <reason>         refuse the first n stop questions
//   group <name> <flags>        a register group
//   reg <group> <name> <value> [edit] [head|field|close]
//   menu <table 1-4> <kind> <text>   an entry of a menu table
//   menustate <table> <index> <checked 0/1>
//   mem <hex address> <hex bytes>    target memory
//   readable <hex end>          reads stop at this address
//   stopat <hex>                the stop address a failed read reports
//   eval <expression> <hex value>
//   pc <hex>                    the program counter
//   windows <hex>               window flags the driver sets at start
//   exec <text> <result>        a command text and the answer of DbgControl 11
//   dis <hex address> <kind> <text>  a line of the disassembly listing
//                               (kind 32 source, 33 code, 34 other)
//   break <hex address>         a breakpoint set at the start
// The driver hands over a small command syntax (BS, BK, BL, G, Display) at
// the start of a session.
// Every call is written to a log that tests read through TestDriverLog().
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "debugger/abi/debug_interface.h"
#include "debugger/model/syntax_table_builder.h"

namespace {

struct Script {
  std::map<int, std::string> failAt;
  int refusals = 0;
  std::string refuseReason;
  std::vector<RegisterGroup> groups;
  std::vector<std::string> groupNames;
  std::vector<RegisterEntry> regs;
  std::vector<DebugMenuEntry> menus[4];
  std::vector<std::string> menuTexts[4];
  std::vector<uint32_t> menuStates[4];  // two words per entry
  std::map<uint32_t, uint8_t> memory;
  uint32_t readableEnd = 0xFFFFFFFFu;
  uint32_t stopAt = 0;  // non-zero: a failed read reports this stop address
  std::map<std::string, uint64_t> evals;
  std::map<std::string, int> execResults;
  uint32_t pc = 0;
  uint32_t windowFlags = 0;
  struct Listed {
    uint16_t kind;
    uint32_t address;
    std::string text;
  };
  std::vector<Listed> listing;
  std::map<uint32_t, bool> breaks;  // address -> enabled
};

DebugInterface g_record;
DebugInterface* g_ide = nullptr;
Script g_script;
RegisterSet g_set;
std::mutex g_logMutex;
std::string g_log;

void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log += line + "\n";
}

uint32_t Hex(const std::string& s) { return uint32_t(std::strtoul(s.c_str(), nullptr, 16)); }

std::string Rest(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  std::size_t b = rest.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : rest.substr(b);
}

void ReadScript(const std::string& path) {
  g_script = Script{};
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd == "fail") {
      int code = 0;
      in >> code;
      g_script.failAt[code] = Rest(in);
    } else if (cmd == "refuse") {
      in >> g_script.refusals;
      g_script.refuseReason = Rest(in);
    } else if (cmd == "group") {
      std::string name;
      int flags = 0;
      in >> name >> flags;
      g_script.groupNames.push_back(name);
      g_script.groups.push_back(RegisterGroup{0, uint8_t(flags), nullptr});
    } else if (cmd == "reg") {
      RegisterEntry e{};
      int group = 0;
      std::string name, value, opt;
      in >> group >> name >> value;
      e.kind = 1;
      e.group = uint8_t(group);
      if (name != "-") std::snprintf(e.name, sizeof e.name, "%s", name.c_str());
      std::snprintf(e.value, sizeof e.value, "%s", value.c_str());
      while (in >> opt) {
        if (opt == "edit") e.editable = 1;
        if (opt == "head") e.composite = 0x100;
        if (opt == "field") e.composite = 0x101;
        if (opt == "close") e.composite = 0x100;
      }
      g_script.regs.push_back(e);
    } else if (cmd == "menu") {
      int table = 1, kind = 1;
      in >> table >> kind;
      if (table < 1 || table > 4) continue;
      g_script.menuTexts[table - 1].push_back(Rest(in));
      g_script.menus[table - 1].push_back(DebugMenuEntry{kind, nullptr, nullptr, 0, 0, nullptr});
    } else if (cmd == "menustate") {
      int table = 1, index = 0, checked = 0;
      in >> table >> index >> checked;
      auto& states = g_script.menuStates[table - 1];
      if (states.size() < std::size_t(index + 1) * 2) states.resize(std::size_t(index + 1) * 2);
      states[std::size_t(index) * 2 + 1] = uint32_t(checked);
    } else if (cmd == "mem") {
      std::string addr, bytes;
      in >> addr >> bytes;
      uint32_t a = Hex(addr);
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        g_script.memory[a++] = uint8_t(Hex(bytes.substr(i, 2)));
    } else if (cmd == "dis") {
      std::string addr;
      int kind = kDisasmCode;
      in >> addr >> kind;
      g_script.listing.push_back({uint16_t(kind), Hex(addr), Rest(in)});
    } else if (cmd == "break") {
      std::string addr;
      in >> addr;
      g_script.breaks[Hex(addr)] = true;
    } else if (cmd == "stopat") {
      std::string at;
      in >> at;
      g_script.stopAt = Hex(at);
    } else if (cmd == "readable") {
      std::string end;
      in >> end;
      g_script.readableEnd = Hex(end);
    } else if (cmd == "eval") {
      std::string expr, value;
      in >> expr >> value;
      g_script.evals[expr] = std::strtoull(value.c_str(), nullptr, 16);
    } else if (cmd == "exec") {
      std::string text;
      int result = 0;
      in >> text >> result;
      g_script.execResults[text] = result;
    } else if (cmd == "pc") {
      std::string pc;
      in >> pc;
      g_script.pc = Hex(pc);
    } else if (cmd == "windows") {
      std::string w;
      in >> w;
      g_script.windowFlags = Hex(w);
    }
  }
}

void MenuCallback(DebugMenuEntry* entry) { Log(std::string("menu ") + (entry->text ? entry->text : "")); }

void BuildTables() {
  for (int t = 0; t < 4; ++t) {
    auto& table = g_script.menus[t];
    if (table.empty()) continue;
    auto& states = g_script.menuStates[t];
    if (states.size() < table.size() * 2) states.resize(table.size() * 2);
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i].text = g_script.menuTexts[t][i].c_str();
      table[i].callback = MenuCallback;
      table[i].state = &states[i * 2];
    }
    table.push_back(DebugMenuEntry{kDbgMenuEnd, nullptr, nullptr, 0, 0, nullptr});
  }
  DebugMenuEntry** slots[4] = {&g_record.menu1, &g_record.menu2, &g_record.menu3, &g_record.menu4};
  for (int t = 0; t < 4; ++t) *slots[t] = g_script.menus[t].empty() ? nullptr : g_script.menus[t].data();
}

// ---- driver operations

void RegRefresh(RegisterEntry* entry, uint32_t mode) {
  if (!entry) {
    Log("regrefresh " + std::to_string(mode));
    return;
  }
  entry->redraw = 0;
}
void RegSet(RegisterEntry* entry, const uint64_t* value) {
  std::snprintf(entry->value, sizeof entry->value, "0x%08llX", static_cast<unsigned long long>(*value));
  entry->changed = 1;
  entry->redraw = 1;
  Log(std::string("regset ") + entry->name + " " + entry->value);
}

bool ReadByte(uint32_t a, uint8_t* out) {
  if (a >= g_script.readableEnd) return false;
  auto it = g_script.memory.find(a);
  *out = it == g_script.memory.end() ? 0 : it->second;
  return true;
}

intptr_t Control(int32_t code, intptr_t a, intptr_t b) {
  Log("control " + std::to_string(code));
  switch (code) {
    case kDbgCtlMayStop:
      if (g_script.refusals > 0) {
        --g_script.refusals;
        std::snprintf(reinterpret_cast<char*>(a), 1024, "%s", g_script.refuseReason.c_str());
        return 1;
      }
      return 0;
    case kDbgCtlProgramCounter:
      return g_script.pc;
    case kDbgCtlEvalAddress: {
      auto it = g_script.evals.find(reinterpret_cast<const char*>(a));
      if (it == g_script.evals.end()) return 1;
      const uint32_t value = uint32_t(it->second);
      std::memcpy(reinterpret_cast<uint8_t*>(b) + 12, &value, 4);
      return 0;
    }
    case 3:  // a value assignment
      Log(std::string("assign ") + reinterpret_cast<const char*>(a));
      return g_script.execResults.count(reinterpret_cast<const char*>(a)) ? 1 : 0;
    case 8:
      Log("escape");
      return 0;
    case kDbgCtlExecNow: {
      const char* text = reinterpret_cast<const char*>(a);
      Log(std::string("exec ") + (text ? text : ""));
      std::string key = text ? text : "";
      while (!key.empty() && (key.back() == '\n' || key.back() == '\r')) key.pop_back();
      auto it = g_script.execResults.find(key);
      return it == g_script.execResults.end() ? 0 : it->second;
    }
    case kDbgCtlIpcEvaluate: {
      auto* r = reinterpret_cast<DriverExpressionRecord*>(a);
      auto it = g_script.evals.find(r->text ? r->text : "");
      if (it == g_script.evals.end()) {
        r->error = 1;
      } else {
        r->resultLow = uint32_t(it->second);
        r->resultHigh = uint32_t(it->second >> 32);
      }
      return 0;
    }
    case kDbgCtlIpcClearBreak:
      Log("clearbreak " + std::to_string(reinterpret_cast<const uint32_t*>(a)[0]));
      return 0;
    case kDbgCtlIpcMessage: {
      auto* m = reinterpret_cast<TargetMessageRecord*>(a);
      Log("message " + std::to_string(m->word[0]) + " " + std::to_string(m->value));
      return 0;
    }
    case kDbgCtlIpcMemory: {
      auto* r = reinterpret_cast<DriverMemoryRequest*>(a);
      Log("memory kind " + std::to_string(r->kind) + " count " + std::to_string(r->count));
      auto* bytes = static_cast<uint8_t*>(r->buffer);
      if (r->kind == 1) {
        for (uint32_t i = 0; i < r->count; ++i)
          if (!ReadByte(r->addressLow + i, &bytes[i])) {
            r->failed = 1;
            r->stoppedAt = g_script.stopAt ? g_script.stopAt : r->addressLow + i;
            break;
          }
      } else if (r->kind == 2) {
        for (uint32_t i = 0; i < r->count; ++i) {
          if (r->addressLow + i >= g_script.readableEnd) {
            r->failed = 1;
            r->stoppedAt = r->addressLow + i;
            break;
          }
          g_script.memory[r->addressLow + i] = bytes[i];
        }
      } else if (r->kind == 3) {
        r->time = double(r->timeLow) / 1000.0;
      } else if (r->kind == 4) {
        auto it = std::find_if(g_script.evals.begin(), g_script.evals.end(),
                               [&](const auto& e) { return e.second == r->addressLow; });
        if (it == g_script.evals.end())
          r->failed = 1;
        else
          std::snprintf(static_cast<char*>(r->buffer), r->count, "%s", it->first.c_str());
      }
      return 0;
    }
    default:
      (void)b;
      return 0;
  }
}

int32_t Go(uint32_t stop) {
  Log("go " + std::to_string(stop));
  return 0;
}
int32_t Step(int32_t mode) {
  Log("step " + std::to_string(mode));
  g_script.pc += 4;
  g_record.pc = g_script.pc;
  return 0;
}
int32_t StopExecution() {
  Log("stop");
  g_record.flags &= ~uint32_t(kDbgFlagExecuting);
  return 0;
}
int32_t ReadMemory(uint64_t address, uint32_t count, void* buffer) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (uint32_t i = 0; i < count; ++i)
    if (!ReadByte(uint32_t(address + i), &bytes[i])) return 1;
  return 0;
}
uint32_t WriteMemory(uint64_t address, uint32_t count, const void* bytes) {
  Log("write " + std::to_string(address) + " " + std::to_string(count));
  for (uint32_t i = 0; i < count; ++i) {
    if (uint32_t(address + i) >= g_script.readableEnd) return 1;
    g_script.memory[uint32_t(address + i)] = static_cast<const uint8_t*>(bytes)[i];
  }
  return 0;
}
int32_t FormatAddress(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "0x%08X", unsigned(address));
}

// ---- the disassembly listing: own12 holds the line's index + 1.
void SetLine(DisasmLine* l, int i, bool asked) {
  const uint16_t wasKind = l->kind;
  *l = DisasmLine{};
  if (i < 0 || i >= int(g_script.listing.size())) {
    l->kind = kDisasmEnd;
    return;
  }
  const auto& row = g_script.listing[std::size_t(i)];
  l->kind = row.kind;
  l->address = row.address;
  l->own12 = uint32_t(i + 1);
  if (asked && wasKind == kDisasmRequest) l->state |= kDisasmAsked;
}
intptr_t DisasmNext(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (l->kind == kDisasmEnd) return 0;
  if (l->kind == kDisasmRequest) {
    const uint32_t want = g_record.disasmRequest[0];
    int i = 0;
    const int n = int(g_script.listing.size());
    while (i < n && (g_script.listing[std::size_t(i)].address < want ||
                     g_script.listing[std::size_t(i)].kind != kDisasmCode))
      ++i;
    SetLine(l, i, i < n && g_script.listing[std::size_t(i)].address == want);
    return 0;
  }
  SetLine(l, int(l->own12), false);
  return 0;
}
intptr_t DisasmPrev(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (l->kind == kDisasmEnd || l->kind == kDisasmRequest) return 0;
  SetLine(l, int(l->own12) - 2, false);
  return 0;
}
intptr_t DisasmRefresh(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  l->state = uint16_t(l->state & ~kDisasmPc);
  if (l->kind == kDisasmCode && l->address == g_record.pc) l->state |= kDisasmPc;
  return 0;
}
intptr_t DisasmText(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (l->own12 == 0 || l->own12 > g_script.listing.size()) return reinterpret_cast<intptr_t>("");
  return reinterpret_cast<intptr_t>(g_script.listing[l->own12 - 1].text.c_str());
}
uint32_t Breakpoint(uint64_t address, int32_t op) {
  const uint32_t a = uint32_t(address);
  auto it = g_script.breaks.find(a);
  switch (op) {
    case 2:  // enable / disable
      if (it == g_script.breaks.end()) return uint32_t(-1);
      it->second = !it->second;
      return 0;
    case 3:  // insert / remove
      Log("breakpoint " + std::to_string(a));
      if (it == g_script.breaks.end())
        g_script.breaks[a] = true;
      else
        g_script.breaks.erase(it);
      return 0;
    case 1:
    case 7:  // marks: 1 enabled, 2 disabled
      return it == g_script.breaks.end() ? 0 : it->second ? 1 : 2;
    default:
      return 0;
  }
}

// The command syntax the driver hands over: BS/BK <expression>, BL, G, Display.
pm2::SyntaxTableBuilder g_syntax;
const pm2::SyntaxTableBuilder::Word* g_syntaxRoot = nullptr;
const pm2::SyntaxTableBuilder::Word* g_syntaxFallback = nullptr;
void BuildSyntax() {
  if (g_syntaxRoot) return;
  using B = pm2::SyntaxTableBuilder;
  const uint8_t* expr = g_syntax.Record("<expression>", 0, 12, 254, ' ');
  const uint8_t* bs = g_syntax.Record("BS - set breakpoint", 2, 2, 2, ' ', {B::Ref(expr), 2});
  const uint8_t* bk = g_syntax.Record("BK - kill breakpoint", 2, 2, 2, ' ', {B::Ref(expr), 2});
  const uint8_t* bl = g_syntax.Record("BL - list breakpoints", 2, 2, 2, ' ', {5});
  const uint8_t* go = g_syntax.Record("G - go", 1, 1, 1, ' ', {B::Ref(expr), 2});
  const uint8_t* dis = g_syntax.Record("DISplay", 3, 7, 3, ' ', {B::Ref(expr), 2});
  g_syntaxRoot = g_syntax.Table({B::Ref(bs), B::Ref(bk), B::Ref(bl), B::Ref(go), B::Ref(dis), 1});
  g_syntaxFallback = g_syntax.Table({B::Ref(g_syntax.Record("<< no help available ! >>", 0, 25, 255, ' ')), 0});
}

int32_t Exec(const char* text, int32_t length) {
  Log("command " + std::string(text ? text : "", text && length > 0 ? std::size_t(length) : 0));
  return 0;
}
void Exit() { Log("exit"); }
int32_t Eval(int32_t, const char* text, uint64_t* value) {
  auto it = g_script.evals.find(text ? text : "");
  if (it == g_script.evals.end()) return 1;
  *value = it->second;
  return 0;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t BootDll(int32_t code, void* argument) {
  Log("boot " + std::to_string(code));
  switch (code) {
    case 1: {
      g_ide = static_cast<DebugInterface*>(argument);
      g_record = *g_ide;
      g_record.DbgControl = Control;
      g_record.DbgGo = Go;
      g_record.DbgStep = Step;
      g_record.DbgStopExecution = StopExecution;
      g_record.DbgReadMemory = ReadMemory;
      g_record.DbgExecCommand = Exec;
      g_record.DbgExit = Exit;
      g_record.DbgEvalExpression = Eval;
      g_record.DbgWriteMemory = WriteMemory;
      g_record.DbgFormatAddress = FormatAddress;
      g_record.DbgGetDisasmLine = DisasmNext;
      g_record.DbgPrevDisasmLine = DisasmPrev;
      g_record.DbgRefreshDisasmLine = DisasmRefresh;
      g_record.DbgDisasmLineText = DisasmText;
      g_record.DbgBreakpoint = Breakpoint;
      return 0;
    }
    case 2:
      *static_cast<DebugInterface**>(argument) = &g_record;
      return 0;
    case 3:
    case 4:
    case 5: {
      auto* s = static_cast<DebugSettings*>(argument);
      if (code == 3 || code == 5) {
        const char* path = s->dllParams[0] ? s->dllParams : std::getenv("PM2_TESTDRV_SCRIPT");
        ReadScript(path ? path : "");
        BuildTables();
        g_record.windowFlags |= g_script.windowFlags;
        g_record.pc = g_script.pc;
        Log(std::string("program ") + s->programFile);
      }
      auto fail = g_script.failAt.find(code);
      if (fail != g_script.failAt.end()) {
        s->flags |= kDbgSettingsStartFailed;
        std::snprintf(s->errorText, sizeof s->errorText, "%s", fail->second.c_str());
        return 1;
      }
      if (code == 4) {
        if (g_ide && g_ide->PrintToCommandWindow) g_ide->PrintToCommandWindow("Test driver: session started\n");
        BuildSyntax();
        if (g_record.SetCommandSyntaxTables) g_record.SetCommandSyntaxTables(g_syntaxFallback, g_syntaxFallback, g_syntaxRoot);
        g_set = RegisterSet{};
        for (std::size_t i = 0; i < g_script.groups.size(); ++i) g_script.groups[i].name = g_script.groupNames[i].c_str();
        g_set.groupCount = uint32_t(g_script.groups.size());
        g_set.registerCount = uint32_t(g_script.regs.size());
        g_set.groups = g_script.groups.data();
        g_set.registers = g_script.regs.data();
        g_set.refresh = RegRefresh;
        g_set.setValue = RegSet;
        if (g_record.IdeServiceCall && g_set.groupCount) g_record.IdeServiceCall(44, reinterpret_cast<intptr_t>(&g_set));
      }
      return 0;
    }
    case 6:
    case 7: {
      auto* s = static_cast<DebugSettings*>(argument);
      auto fail = g_script.failAt.find(code);
      if (fail != g_script.failAt.end()) {
        std::snprintf(s->errorText, sizeof s->errorText, "%s", fail->second.c_str());
        return 1;
      }
      return 0;
    }
    default:
      return 0;
  }
}

// The calls made so far (tests open the library themselves to read it).
__attribute__((visibility("default"))) const char* TestDriverLog() { return g_log.c_str(); }
__attribute__((visibility("default"))) void TestDriverClearLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.clear();
}
// Sets or clears the executing bit of the driver's record.
__attribute__((visibility("default"))) void TestDriverSetExecuting(int on) {
  if (on)
    g_record.flags |= kDbgFlagExecuting;
  else
    g_record.flags &= ~uint32_t(kDbgFlagExecuting);
}

}  // extern "C"
