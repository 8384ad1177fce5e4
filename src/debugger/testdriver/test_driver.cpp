// The scriptable test driver: a driver library that answers every slot the
// IDE calls from a script, so sessions and windows can be tested without a
// target. The script is the file named by the driver's parameter string
// (else by PM2_TESTDRV_SCRIPT); one command a line:
//   fail <bootcode> <text>      fail BootDll code 3 or 4 (failure bit and
//                               text), or answer non-zero to 6 or 7
//   refuse <n> <reason>         refuse the first n stop questions
//   group <name> <flags>        a register group
//   reg <group> <name> <value> [edit] [head|field|close] [pc]
//                               (pc: the register is the program counter)
//   menu <table 1-4> <kind> <text>   an entry of a menu table
//   menustate <table> <index> <checked 0/1>
//   mem <hex address> <hex bytes>    target memory
//   readable <hex end>          reads stop at this address
//   stopat <hex>                the stop address a failed read reports
//   eval <expression> <hex value>
//   writes <expression> <reason>  by this driver's rules the expression
//                               ("_" for a blank) does more than read:
//                               DbgControl 0x1022 refuses it with the reason
//                               (every other text only reads)
//   pc <hex>                    the program counter
//   windows <hex>               window flags the driver sets at start
//   drivertext <text>           the target driver's settings text it leaves
//   noasm <reason>              the driver has no inline assembler, for
//                               that reason (DbgControl 0x1020)
//   offers <hex>                the capability bits of the record's flags
//                               (default 0x18000: analyser and memory map)
//   exec <text> <result>        a command text ("_" for a blank) and the
//                               answer of DbgControl 11 and DbgExecCommand
//   says <text> <reply>         what the driver prints on the command page
//                               when it runs that command
//   moves <text> <hex address>  that command puts the program counter at the
//                               address and tells the IDE (service 22
//                               without flags), as an assignment does
//   value <expr> <code> <array 0/1> <target code> <count> <hex address> [text]
//                               what the watch windows get for an expression
//                               (the text is the value, or a struct's tag)
//   members <expr> <name>...    a struct's member names
//   locals <hex scope> <name>...  the locals at the program counter
//   frame <hex calling> <hex called> [leavable 0/1, default 1]
//   enter <hex calling> <hex called>  the call the next step into enters (one
//                               a line, in order): pushed on the target's call
//                               stack, which the IDE sees once it asks for it
//                               (DbgControl 0x1001); a step out leaves the
//                               innermost call
//   stepstops                   each step ends with the target's stop told
//                               (PostNotify), as a driver's target stops
//   endposts <text>             at its end (DbgExit) the driver posts the
//                               text to the status line and the command
//                               page from its own memory, as a driver's
//                               thread may just before the IDE unloads it
//   endstops                    at its end (DbgExit) the driver tells the
//                               target's stop and its own end, as a
//                               driver whose target stops while the
//                               program closes mid-session
//   refusesteps                 every step is refused (DbgStep gives 1, the
//                               target stays where it is, nothing is told)
//   current <hex address> <hex attribute>  the function DbgEnum 8 names
//                               and the first byte of its DbgAddressAttr
//                               a call, outermost first
//   name <hex> <text>           DbgEnum 9's name of an address
//   string <hex> <text>         a target string (DbgReadString)
//   line <file> <line> <hex>    a (line, address) pair of a file's table;
//                               DbgFindSource answers the file and line
//   tip <word> <text>           a value tip's text
//   bp <hex flags> <hex address> <pass count> <expression|-> [command]
//                               a breakpoint of the driver's list
//   bpdefine <error 0/1> <outcome> [reason]  how DbgBreakpointDefine answers
//                                    (a refusal says the reason on the command page)
//   sym <name> <hex class> <hex value> <type code>   a public symbol
//   module <name>               a module of the scope and coverage trees
//   func <name> <instructions> <executed> <open jumps>   a function of it
//   local <name> <hex class> <hex value> <type code>    a symbol of the last
//                               function (or module)
//   line <number> <hex address> (a number first) a line of the last
//                               module's line table
//   map <hex start> <hex end> <hex attributes>  the memory map
//   pa <number> <name> <hex start> <hex end> <count> <min> <max> <total>
//   cycles <n>                  the time counter
//   dis <hex address> <kind> <text>  a line of the disassembly listing
//                               (kind 32 source, 33 code, 34 other)
//   disreg <hex address> <item>  the code line there refers to a register item
//   break <hex address>         a breakpoint set at the start
//   trace <hex address> <text>  an executed instruction of the recorded
//                               history, oldest first (the driver then
//                               offers trace recording)
//   tracesrc <hex address> <line> <text>  the source line of an executed address
//   pumps                       BootDll code 4 runs the IDE's message pump
//                               once, as a driver waiting for its server does
// The driver hands over a small command syntax (BS, BK, BL, G, Display) at
// the start of a session.
// Every call is written to a log that tests read through TestDriverLog().
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"
#include "driver_abi/debug_records.h"
#include "driver_abi/driver_settings_form.h"
#include "debugger/driver_shared/trace_history.h"
#include "driver_abi/syntax_table_builder.h"

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
  uint64_t readableEnd = uint64_t(1) << 32;  // the first address that cannot be read
  uint32_t stopAt = 0;  // non-zero: a failed read reports this stop address
  std::map<std::string, uint64_t> evals;
  std::map<std::string, int> execResults;
  std::map<std::string, std::string> execReplies;
  std::map<std::string, uint32_t> execMoves;
  uint32_t pc = 0;
  uint32_t windowFlags = 0;
  std::string driverText;  // the target driver's settings text left at the start
  bool pumpsAtStart = false;  // BootDll code 4 runs the IDE's message pump
  std::string noAssembler;  // why there is no inline assembler ("" there is one)
  std::map<std::string, std::string> writes;  // expression -> why it does more than read
  uint32_t offers = 0x8000 | 0x10000;
  std::vector<uint8_t> current;  // DbgEnum 8's record, the address at byte 19
  struct Value {
    uint8_t code = 0, isArray = 0, target = 0xFF;
    uint32_t count = 0, address = 0;
    std::string text;
  };
  std::map<std::string, Value> values;
  std::map<std::string, std::vector<std::string>> members;
  uint32_t scope = 0;
  std::vector<std::string> locals;
  std::vector<DbgCallStackEntry> frames;  // the target's calls, outermost first
  std::deque<DbgCallStackEntry> enters;   // the calls the next steps into enter
  bool stepStops = false;
  std::string endPosts;  // posted at the end; empty: nothing
  bool endStops = false;
  bool refuseSteps = false;
  std::map<uint32_t, std::string> names, strings;
  std::map<std::string, std::vector<DbgLinePair>> lines;
  std::map<std::string, std::string> tips;
  std::map<uint32_t, int> breakpoints;  // address -> 1 enabled, 2 disabled
  // The dialogs' records; deques keep their addresses while they grow.
  std::deque<DbgBreakpointRecord> bps;
  std::deque<std::string> texts;
  int bpDefineError = 0, bpDefineOutcome = 0;
  std::string bpDefineReason;  // said on the command page with a refusal ("" none)
  std::deque<DbgTypeRecord> types;
  std::deque<DbgSymbolRecord> publics;
  std::deque<DbgScopeRecord> scopes;     // [0] the application
  std::deque<DbgSymbolRecord> scopeLocals;
  std::map<const DbgScopeRecord*, std::vector<DbgLineRecord>> moduleLines;
  std::map<const DbgScopeRecord*, DbgCoverageRecord*> coverageOf;
  std::deque<DbgCoverageRecord> coverage;  // [0] the application
  std::vector<uint32_t> mapRuns;           // start, end, attribute
  std::map<uint32_t, std::vector<uint16_t>> spaces;
  std::deque<DbgPaRangeRecord> ranges;
  DbgPaRangeRecord rest{};
  uint64_t cycles = 0;
  struct Listed {
    uint16_t kind;
    uint32_t address;
    std::string text;
    uint32_t item = 0;  // non-zero: the register item the line refers to
  };
  std::vector<Listed> listing;
  std::vector<uint32_t> trace;
  std::map<uint32_t, pm2::TraceStep> traceSteps;
};

DebugInterface g_record;
DebugInterface* g_ide = nullptr;
Script g_script;
// The call stack as the IDE last asked for it (the record points here).
std::vector<DbgCallStackEntry> g_shownFrames;
// DbgAddressAttr's words by address.
std::map<uint32_t, uint16_t> g_attrs;
RegisterSet g_set;
std::mutex g_logMutex;
std::string g_log;

void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log += line + "\n";
}

uint32_t Hex(const std::string& s) { return uint32_t(std::strtoul(s.c_str(), nullptr, 16)); }

// What the script says the driver prints when it runs a command.
void Reply(const std::string& command) {
  auto it = g_script.execReplies.find(command);
  if (it != g_script.execReplies.end() && g_ide && g_ide->PrintToCommandWindow)
    g_ide->PrintToCommandWindow(it->second.c_str());
}

// A command the script says moves the program counter: moved, and the IDE
// told as after an assignment (service 22 without flags).
void MovePc(const std::string& command) {
  auto it = g_script.execMoves.find(command);
  if (it == g_script.execMoves.end()) return;
  g_record.pc = g_script.pc = it->second;
  if (g_record.IdeServiceCall) g_record.IdeServiceCall(22, 0);
}

std::string Rest(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  std::size_t b = rest.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : rest.substr(b);
}

std::string Unquoted(const char* text) {
  std::string s;
  for (const char* p = text ? text : ""; *p; ++p)
    if (*p != '`' && *p != ' ' && *p != '(' && *p != ')') s += *p;
  return s;
}

const char* Keep(const std::string& text) {
  g_script.texts.push_back(text);
  return g_script.texts.back().c_str();
}

void AppendBp(const DbgBreakpointRecord& r) {
  g_script.bps.push_back(r);
  // Relink: the list runs in the order the records were made, skipping killed ones.
}

DbgScopeRecord* LastModule() {
  for (auto it = g_script.scopes.rbegin(); it != g_script.scopes.rend(); ++it)
    if (it->kind == kDbgScopeModule) return &*it;
  return nullptr;
}

// A module or function of the scope tree and of the coverage tree, both
// under one application record.
void AddScope(uint32_t kind, const std::string& name) {
  if (g_script.scopes.empty()) {
    g_script.scopes.push_back(DbgScopeRecord{});
    g_script.scopes[0].kind = kDbgScopeApp;
    g_script.scopes[0].name = Keep("unnamed");
    g_script.coverage.push_back(DbgCoverageRecord{});
    g_script.coverage[0].name = g_script.scopes[0].name;
    g_script.coverageOf[&g_script.scopes[0]] = &g_script.coverage[0];
  }
  DbgScopeRecord* parent = kind == kDbgScopeModule ? &g_script.scopes[0] : LastModule();
  if (!parent) return;
  DbgCoverageRecord* covParent = g_script.coverageOf[parent];
  DbgScopeRecord s{};
  s.kind = kind;
  s.name = Keep(name);
  s.parent = parent;
  g_script.scopes.push_back(s);
  DbgCoverageRecord c{};
  c.name = s.name;
  c.kind = uint8_t(kind == kDbgScopeFunction ? kDbgCovFunction : 1);
  g_script.coverage.push_back(c);
  g_script.coverageOf[&g_script.scopes.back()] = &g_script.coverage.back();
  // Appended last among the parent's children.
  DbgScopeRecord** link = &parent->children;
  while (*link) link = &(*link)->next;
  *link = &g_script.scopes.back();
  DbgCoverageRecord** clink = &covParent->child;
  while (*clink) clink = &(*clink)->next;
  *clink = &g_script.coverage.back();
}

void LinkBps() {
  DbgBreakpointRecord* prev = nullptr;
  for (auto& r : g_script.bps) {
    if (r.word04 == 0xDEADu) continue;  // killed
    r.next = nullptr;
    if (prev) prev->next = &r;
    prev = &r;
  }
}

DbgBreakpointRecord* BpHead() {
  LinkBps();
  for (auto& r : g_script.bps)
    if (r.word04 != 0xDEADu) return &r;
  return nullptr;
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
    } else if (cmd == "pumps") {
      g_script.pumpsAtStart = true;
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
        if (opt == "pc") e.refreshDisasm = 1;
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
      g_script.listing.push_back({uint16_t(kind), Hex(addr), Rest(in), 0});
    } else if (cmd == "disreg") {
      std::string addr;
      uint32_t item = 0;
      in >> addr >> item;
      for (auto& l : g_script.listing)
        if (l.address == Hex(addr) && l.kind == kDisasmCode) l.item = item;
    } else if (cmd == "trace") {
      std::string addr;
      in >> addr;
      g_script.trace.push_back(Hex(addr));
      g_script.traceSteps[Hex(addr)].instruction = Rest(in);
    } else if (cmd == "tracesrc") {
      std::string addr;
      int number = 0;
      in >> addr >> number;
      pm2::TraceStep& step = g_script.traceSteps[Hex(addr)];
      step.file = "script";
      step.line = number;
      step.sourceText = Rest(in);
    } else if (cmd == "break") {
      std::string addr;
      in >> addr;
      g_script.breakpoints[Hex(addr)] = 1;
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
    } else if (cmd == "writes") {
      std::string expr;
      in >> expr;
      std::replace(expr.begin(), expr.end(), '_', ' ');
      g_script.writes[expr] = Rest(in);
    } else if (cmd == "exec") {
      std::string text;
      int result = 0;
      in >> text >> result;
      std::replace(text.begin(), text.end(), '_', ' ');  // "_" stands for a blank
      g_script.execResults[text] = result;
    } else if (cmd == "moves") {
      std::string text, to;
      in >> text >> to;
      std::replace(text.begin(), text.end(), '_', ' ');
      g_script.execMoves[text] = Hex(to);
    } else if (cmd == "says") {
      std::string text;
      in >> text;
      std::replace(text.begin(), text.end(), '_', ' ');
      g_script.execReplies[text] = Rest(in) + "\n";
    } else if (cmd == "pc") {
      std::string pc;
      in >> pc;
      g_script.pc = Hex(pc);
    } else if (cmd == "value") {
      std::string expr, address;
      int code = 0, isArray = 0, target = 0xFF;
      Script::Value v;
      in >> expr >> code >> isArray >> target >> v.count >> address;
      v.code = uint8_t(code);
      v.isArray = uint8_t(isArray);
      v.target = uint8_t(target);
      v.address = Hex(address);
      v.text = Rest(in);
      g_script.values[Unquoted(expr.c_str())] = v;
    } else if (cmd == "members" || cmd == "locals") {
      std::string first, name;
      in >> first;
      std::vector<std::string> names;
      while (in >> name) names.push_back(name);
      if (cmd == "members") {
        g_script.members[Unquoted(first.c_str())] = names;
      } else {
        g_script.scope = Hex(first);
        g_script.locals = names;
      }
    } else if (cmd == "frame" || cmd == "enter") {
      std::string calling, called;
      int leavable = 1;
      in >> calling >> called;
      if (cmd == "enter" || !(in >> leavable)) leavable = 1;
      DbgCallStackEntry e{};
      e.calling = Hex(calling);
      e.called = Hex(called);
      e.leavable = uint32_t(leavable);
      if (cmd == "frame")
        g_script.frames.push_back(e);
      else
        g_script.enters.push_back(e);
    } else if (cmd == "stepstops") {
      g_script.stepStops = true;
    } else if (cmd == "endposts") {
      g_script.endPosts = Rest(in);
    } else if (cmd == "endstops") {
      g_script.endStops = true;
    } else if (cmd == "refusesteps") {
      g_script.refuseSteps = true;
    } else if (cmd == "name" || cmd == "string") {
      std::string at;
      in >> at;
      (cmd == "name" ? g_script.names : g_script.strings)[Hex(at)] = Rest(in);
    } else if (cmd == "line") {
      // "line <file> <line> <hex>", or with a number first a line of the
      // last module's table.
      std::string first;
      in >> first;
      if (!first.empty() && first.find_first_not_of("0123456789") == std::string::npos) {
        std::string addr;
        in >> addr;
        DbgScopeRecord* module = LastModule();
        if (module) {
          auto& table = g_script.moduleLines[module];
          table.push_back(DbgLineRecord{uint32_t(std::stoul(first)), Hex(addr)});
          module->lines = table.data();
          module->lineCount = uint32_t(table.size());
        }
      } else {
        std::string at;
        uint32_t number = 0;
        in >> number >> at;
        g_script.lines[first].push_back(DbgLinePair{number, Hex(at)});
      }
    } else if (cmd == "tip") {
      std::string word;
      in >> word;
      g_script.tips[word] = Rest(in);
    } else if (cmd == "bp") {
      std::string flags, addr, pass, expr;
      in >> flags >> addr >> pass >> expr;
      DbgBreakpointRecord r{};
      r.flags = Hex(flags);
      r.address = Hex(addr);
      r.passCount = uint32_t(std::atoi(pass.c_str()));
      if (expr != "-") r.expression = Keep(expr);
      const std::string command = Rest(in);
      if (!command.empty()) r.command = Keep(command);
      AppendBp(r);
    } else if (cmd == "bpdefine") {
      in >> g_script.bpDefineError >> g_script.bpDefineOutcome;
      g_script.bpDefineReason = Rest(in);
    } else if (cmd == "sym" || cmd == "local") {
      std::string name, cls, value;
      int type = 0;
      in >> name >> cls >> value >> type;
      DbgSymbolRecord sym{};
      sym.name = Keep(name);
      sym.classWord = Hex(cls);
      sym.value = Hex(value);
      g_script.types.push_back(DbgTypeRecord{});
      g_script.types.back().code = uint8_t(type);
      sym.type = &g_script.types.back();
      if (cmd == "sym") {
        g_script.publics.push_back(sym);
        if (g_script.publics.size() > 1) g_script.publics[g_script.publics.size() - 2].next = &g_script.publics.back();
      } else if (g_script.scopes.size() > 1) {
        DbgScopeRecord& owner = g_script.scopes.back();
        g_script.scopeLocals.push_back(sym);
        g_script.scopeLocals.back().next = owner.symbols;
        owner.symbols = &g_script.scopeLocals.back();
      }
    } else if (cmd == "module" || cmd == "func") {
      std::string name;
      in >> name;
      AddScope(cmd == "module" ? kDbgScopeModule : kDbgScopeFunction, name);
      if (cmd == "func") {
        DbgCoverageRecord& f = g_script.coverage.back();
        in >> f.instructions >> f.executed >> f.jumpsOpen;
        if (f.instructions && f.executed >= f.instructions) f.kind |= kDbgCovFull;
      }
    } else if (cmd == "map") {
      std::string from, to, attr;
      in >> from >> to >> attr;
      for (uint32_t a = Hex(from); a <= Hex(to); ++a) {
        auto& space = g_script.spaces[a & 0xFFFF0000u];
        if (space.empty()) space.resize(0x10000);
        space[a & 0xFFFF] = uint16_t(Hex(attr));
        if (a == 0xFFFFFFFFu) break;
      }
    } else if (cmd == "pa") {
      DbgPaRangeRecord r{};
      std::string name, start, end;
      int number = 0;
      unsigned long long mn = 0, mx = 0, total = 0;
      in >> number >> name >> start >> end >> r.count >> mn >> mx >> total;
      r.number = uint16_t(number);
      r.name = Keep(name);
      r.nameLength = uint32_t(name.size());
      r.start = Hex(start);
      r.end = Hex(end);
      r.minTime = mn;
      r.maxTime = mx;
      r.totalTime = total;
      g_script.ranges.push_back(r);
      if (g_script.ranges.size() > 1) g_script.ranges[g_script.ranges.size() - 2].next = &g_script.ranges.back();
    } else if (cmd == "cycles") {
      in >> g_script.cycles;
    } else if (cmd == "drivertext") {
      g_script.driverText = Rest(in);
    } else if (cmd == "noasm") {
      g_script.noAssembler = Rest(in);
    } else if (cmd == "windows") {
      std::string w;
      in >> w;
      g_script.windowFlags = Hex(w);
    } else if (cmd == "current") {
      std::string address, attr;
      in >> address >> attr;
      const uint32_t a = Hex(address);
      g_script.current.assign(32, 0);
      std::memcpy(g_script.current.data() + 19, &a, 4);
      g_attrs[a] = uint16_t(Hex(attr));
    } else if (cmd == "offers") {
      std::string w;
      in >> w;
      g_script.offers = Hex(w);
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
  // The program counter's register moves the program counter.
  if (entry->refreshDisasm) g_record.pc = g_script.pc = uint32_t(*value);
  Log(std::string("regset ") + entry->name + " " + entry->value);
}

bool ReadByte(uint32_t a, uint8_t* out) {
  if (a >= g_script.readableEnd) return false;
  auto it = g_script.memory.find(a);
  *out = it == g_script.memory.end() ? 0 : it->second;
  return true;
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
    case 12:  // the assembly address
      return g_script.pc;
    case 4: {  // a memory space's attribute array
      auto* out = reinterpret_cast<DbgMemorySpaceRecord*>(b);
      auto it = g_script.spaces.find(uint32_t(a));
      *out = DbgMemorySpaceRecord{};
      if (it != g_script.spaces.end()) {
        out->attributes = it->second.data();
        out->count = uint32_t(it->second.size());
      }
      return 0;
    }
    case kDbgCtlInstructionText: {
      const uint32_t address = *reinterpret_cast<const uint32_t*>(a);
      std::snprintf(reinterpret_cast<char*>(b), 256, "%08X  NOP", address);
      return 0;
    }
    case kDbgCtlReadOnlyFault: {
      auto it = g_script.writes.find(a ? reinterpret_cast<const char*>(a) : "");
      const std::string why = it == g_script.writes.end() ? std::string() : it->second;
      std::snprintf(reinterpret_cast<char*>(b), 256, "%s", why.c_str());
      return why.empty() ? 0 : 1;
    }
    case kDbgCtlAssemblerMissing:
      std::snprintf(reinterpret_cast<char*>(b), 256, "%s", g_script.noAssembler.c_str());
      return g_script.noAssembler.empty() ? 0 : 1;
    case 7:  // the text of a command result
      std::snprintf(reinterpret_cast<char*>(b), 256, "*** error %d", int(a));
      return 0;
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
      Reply(key);
      MovePc(key);
      auto it = g_script.execResults.find(key);
      return it == g_script.execResults.end() ? 0 : it->second;
    }
    case kDbgCtlWatchEval: {
      auto* v = reinterpret_cast<DbgWatchValue*>(a);
      auto it = g_script.values.find(Unquoted(v->expression));
      if (it == g_script.values.end()) return 1;
      const Script::Value& sv = it->second;
      v->code = sv.code;
      v->isArray = sv.isArray;
      v->targetCode = sv.target;
      v->count = sv.count;
      v->address = sv.address;
      v->outOfScope = 0;
      const bool structured = sv.code == kDbgTypeStruct || sv.code == kDbgTypeUnion;
      std::snprintf(v->tag, sizeof v->tag, "%s", structured ? sv.text.c_str() : "");
      std::string text = sv.text;
      if (v->radix == 16 && !structured && !text.empty() && text[0] != '0') {
        char hex[32];
        std::snprintf(hex, sizeof hex, "0x%llX", std::strtoull(text.c_str(), nullptr, 0));
        text = hex;
      }
      std::snprintf(v->text, sizeof v->text, "%s", structured ? "" : text.c_str());
      return 0;
    }
    case kDbgCtlWatchMembers: {
      auto it = g_script.members.find(Unquoted(reinterpret_cast<const char*>(a)));
      if (it == g_script.members.end()) return 1;
      PutNames(reinterpret_cast<DbgWatchNames*>(b), it->second);
      return 0;
    }
    case kDbgCtlLocals: {
      auto* out = reinterpret_cast<DbgWatchNames*>(a);
      out->key = g_script.scope;
      PutNames(out, g_script.locals);
      return 0;
    }
    case kDbgCtlValueTip: {
      auto* buffer = reinterpret_cast<char*>(a);
      auto it = g_script.tips.find(buffer);
      if (it == g_script.tips.end()) return 1;
      std::snprintf(buffer, 1024, "%s", it->second.c_str());
      return 0;
    }
    case kDbgCtlBeforeCallStack:
      g_shownFrames = g_script.frames;
      g_record.callStack = g_shownFrames.data();
      g_record.callStackTop = int32_t(g_shownFrames.size()) - 1;
      return 0;
    case kDbgCtlAnyThreadReads:
      // The script's values are read only once the script is loaded.
      if (b) *reinterpret_cast<int32_t*>(b) = 1;
      return 0;
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
  if (g_script.refuseSteps) return 1;
  g_script.pc += 4;
  g_record.pc = g_script.pc;
  if (mode == kDbgStepInto && !g_script.enters.empty()) {
    g_script.frames.push_back(g_script.enters.front());
    g_script.enters.pop_front();
  } else if (mode == kDbgStepOut && !g_script.frames.empty()) {
    g_script.frames.pop_back();
  }
  if (g_script.stepStops && g_record.PostNotify) g_record.PostNotify(kDbgNotifyTargetStopped, 0);
  return 0;
}
int32_t StopExecution() {
  Log("stop");
  g_record.flags &= ~uint32_t(kDbgFlagExecuting);
  return 0;
}
int32_t ReadMemory(uint64_t address, uint32_t count, void* buffer) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  // The target's space ends at 4 GB: a range past it is refused, as the
  // GDB driver refuses it.
  if (address + count > (uint64_t(1) << 32)) return 1;
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
  if (row.item) {
    l->state |= kDisasmRegister;
    l->item = row.item;
  }
}
// The scripted history.
pm2::TraceHistory g_history([](uint32_t address) {
  auto it = g_script.traceSteps.find(address);
  return it == g_script.traceSteps.end() ? pm2::TraceStep{} : it->second;
});
std::string g_traceText;
intptr_t DisasmNext(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    g_history.Next(l);
    return 0;
  }
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
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    g_history.Prev(l);
    return 0;
  }
  if (l->kind == kDisasmEnd || l->kind == kDisasmRequest) return 0;
  SetLine(l, int(l->own12) - 2, false);
  return 0;
}
intptr_t DisasmRefresh(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    g_history.Refresh(l);
    return 0;
  }
  l->state = uint16_t(l->state & ~kDisasmPc);
  if (l->kind == kDisasmCode && l->address == g_record.pc) l->state |= kDisasmPc;
  return 0;
}
intptr_t DisasmText(void* record) {
  auto* l = static_cast<DisasmLine*>(record);
  if (pm2::TraceHistory::IsTraceLine(*l)) {
    g_traceText = g_history.Text(*l);
    return reinterpret_cast<intptr_t>(g_traceText.c_str());
  }
  if (l->own12 == 0 || l->own12 > g_script.listing.size()) return reinterpret_cast<intptr_t>("");
  return reinterpret_cast<intptr_t>(g_script.listing[l->own12 - 1].text.c_str());
}
intptr_t TraceInfo(void* address) {
  Log("traceinfo " + std::to_string(reinterpret_cast<uintptr_t>(address)));
  return reinterpret_cast<intptr_t>(g_history.Descriptor());
}
int32_t TraceQuery(int32_t code, intptr_t, intptr_t, intptr_t) { return code == 3 ? int32_t(g_history.Count()) : 0; }

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
  std::string line(text ? text : "", text && length > 0 ? std::size_t(length) : 0);
  Log("command " + line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  Reply(line);
  MovePc(line);
  auto it = g_script.execResults.find(line);
  return it == g_script.execResults.end() ? 0 : it->second;
}

intptr_t BreakpointList(int32_t op, intptr_t, intptr_t, void* record) {
  Log("bplist " + std::to_string(op));
  if (op == kDbgBpListKillAll) g_script.breakpoints.clear();
  if (op == kDbgBpListDisableAll)
    for (auto& [address, state] : g_script.breakpoints) state = 2;
  if (op == kDbgBpListHead) return reinterpret_cast<intptr_t>(BpHead());
  if (op == kDbgBpListKill && record) {
    auto* r = static_cast<DbgBreakpointRecord*>(record);
    Log("bpkill " + std::to_string(r->address));
    r->word04 = 0xDEADu;
    LinkBps();
  }
  return 0;
}

intptr_t BreakpointDefine(int32_t, intptr_t, intptr_t, void* request) {
  auto* q = static_cast<DbgBreakpointRequest*>(request);
  const std::string expr = q->expression ? q->expression : "";
  Log("bpdefine " + expr + " count " + std::to_string(q->passCount) + " access " + std::to_string(q->access) +
      " size " + std::to_string(q->size) + " cmd " + (q->command ? q->command : ""));
  if (g_script.bpDefineError) {
    q->error = 1;
    if (!g_script.bpDefineReason.empty() && g_ide && g_ide->PrintToCommandWindow)
      g_ide->PrintToCommandWindow(("*** error: " + g_script.bpDefineReason + "\n").c_str());
    return 0;
  }
  q->outcome = uint8_t(g_script.bpDefineOutcome);
  if (q->outcome == 2) return 0;
  auto known = g_script.evals.find(expr);
  DbgBreakpointRecord r{};
  r.flags = kDbgBpEnabled | (q->access ? 2u : known != g_script.evals.end() ? 0u : 1u) | (q->flags & kDbgBpObjects);
  r.address = known != g_script.evals.end() ? uint32_t(known->second) : 0;
  r.access = q->access;
  r.length = q->size;
  r.count = (q->flags & kDbgBpObjects) ? 1 : 0;
  r.passCount = q->passCount;
  if (!expr.empty() && known == g_script.evals.end()) r.expression = Keep(expr);
  if (q->command && *q->command) r.command = Keep(q->command);
  if (q->outcome == 1) {
    for (auto& old : g_script.bps)
      if (old.word04 != 0xDEADu && old.address == r.address) {
        DbgBreakpointRecord* next = old.next;
        old = r;
        old.next = next;
        q->result = &old;
        return 0;
      }
  }
  AppendBp(r);
  LinkBps();
  q->result = &g_script.bps.back();
  return 0;
}

intptr_t Enum(int32_t code, intptr_t a, intptr_t b) {
  Log("enum " + std::to_string(code));
  switch (code) {
    case kDbgEnumAddressName: {
      auto it = g_script.names.find(uint32_t(a));
      if (it == g_script.names.end()) return 0;
      std::snprintf(reinterpret_cast<char*>(b), 256, "%s", it->second.c_str());
      return 1;
    }
    case kDbgEnumPublics:
      *reinterpret_cast<DbgSymbolRecord**>(b) = g_script.publics.empty() ? nullptr : &g_script.publics[0];
      return 0;
    case kDbgEnumScopes:
      // a = 1: the coverage tree; else the scope tree.
      if (a == 1)
        *reinterpret_cast<DbgCoverageRecord**>(b) = g_script.coverage.empty() ? nullptr : &g_script.coverage[0];
      else
        *reinterpret_cast<DbgScopeRecord**>(b) = g_script.scopes.empty() ? nullptr : &g_script.scopes[0];
      return 0;
    case kDbgEnumCyclesToSeconds: {
      auto* rec = reinterpret_cast<uint8_t*>(b);
      uint64_t cycles = 0;
      std::memcpy(&cycles, rec, 8);
      const double seconds = double(cycles) / 1e6;
      std::memcpy(rec + 8, &seconds, 8);
      return 0;
    }
    case kDbgEnumCoverageClear:
      for (auto& c : g_script.coverage) {
        c.executed = 0;
        c.kind &= uint8_t(~kDbgCovFull);
      }
      return 0;
    case kDbgEnumCurrentFunction:
      *reinterpret_cast<const uint8_t**>(b) = g_script.current.empty() ? nullptr : g_script.current.data();
      return 0;
    case kDbgEnumPaClear:
      for (auto& r : g_script.ranges) r.count = 0, r.totalTime = r.minTime = r.maxTime = 0;
      return 0;
    default:
      return 0;
  }
}


void SerialInput(uint32_t window, uint16_t value) { Log("serial " + std::to_string(window) + " " + std::to_string(value)); }

intptr_t AddressAttr(void* address) {
  return reinterpret_cast<intptr_t>(&g_attrs[uint32_t(reinterpret_cast<uintptr_t>(address))]);
}
void Exit() {
  Log("exit");
  if (g_script.endStops && g_record.PostNotify) {
    g_record.PostNotify(kDbgNotifyTargetStopped, 0);
    g_record.PostNotify(kDbgNotifyDriverEnded, 0);
  }
  if (g_script.endPosts.empty() || !g_record.PostNotify) return;
  // The driver's own memory, gone once the IDE unloads the library.
  static char status[64], command[64];
  std::snprintf(status, sizeof status, "%s", g_script.endPosts.c_str());
  std::snprintf(command, sizeof command, "%s\n", g_script.endPosts.c_str());
  g_record.PostNotify(kDbgNotifyStatusText, reinterpret_cast<intptr_t>(status));
  g_record.PostNotify(kDbgNotifyCommandText, reinterpret_cast<intptr_t>(command));
}
// " `count = 7\n": logged; a scripted value takes the new text.
int32_t Assign(const char* text, int32_t length) {
  std::string line(text ? text : "", text && length > 0 ? std::size_t(length) : 0);
  Log("assign " + line);
  const std::size_t eq = line.find(" = ");
  if (eq == std::string::npos) return 1;
  auto it = g_script.values.find(Unquoted(line.substr(0, eq).c_str()));
  if (it == g_script.values.end()) return 1;
  std::string value = line.substr(eq + 3);
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  it->second.text = value;
  return 0;
}
int32_t FormatAddress(int32_t, uint64_t address, intptr_t, char* buffer) {
  return std::snprintf(buffer, 64, "0x%08llX", static_cast<unsigned long long>(address));
}
int32_t ReadString(char* buffer, uint64_t address, int32_t maximum) {
  auto it = g_script.strings.find(uint32_t(address));
  if (it == g_script.strings.end()) return -1;
  std::snprintf(buffer, std::size_t(maximum) + 1, "%s", it->second.c_str());
  return int32_t(std::strlen(buffer));
}
std::string g_sourceFile;
int32_t FindSource(uint32_t address) {
  for (const auto& [file, pairs] : g_script.lines)
    for (const DbgLinePair& p : pairs)
      if (p.address == address) {
        g_sourceFile = file;
        g_record.srcFile = const_cast<char*>(g_sourceFile.c_str());
        g_record.srcLine = p.line;
        return 0;
      }
  return 1;
}
DbgLineTableRecord g_table;
void* LineTable(const char* path) {
  const std::string p = path ? path : "";
  for (const auto& [file, pairs] : g_script.lines)
    if (p.size() >= file.size() && p.compare(p.size() - file.size(), file.size(), file) == 0) {
      g_table = DbgLineTableRecord{uint32_t(pairs.size()), pairs.data()};
      return &g_table;
    }
  return nullptr;
}
uint32_t Breakpoint(uint64_t address, int32_t op) {
  Log("breakpoint " + std::to_string(address) + " " + std::to_string(op));
  auto it = g_script.breakpoints.find(uint32_t(address));
  const int state = it == g_script.breakpoints.end() ? 0 : it->second;
  if (op == 1 || op == 7) return uint32_t(state);
  if (op == 2) {
    if (!state) return uint32_t(-1);  // nothing to enable or disable
    it->second = state == 1 ? 2 : 1;
  }
  if (op == 3) {
    if (state)
      g_script.breakpoints.erase(it);
    else
      g_script.breakpoints[uint32_t(address)] = 1;
  }
  return 0;
}
int32_t ResetCpu(int32_t how) {
  Log("reset " + std::to_string(how));
  return 0;
}
int32_t Eval(int32_t, const char* text, uint64_t* value) {
  auto it = g_script.evals.find(text ? text : "");
  if (it == g_script.evals.end()) return 1;
  *value = it->second;
  return 0;
}

}  // namespace

extern "C" {

// The options pages' questions: an ARM driver, without settings of its own
// (its script is named by its parameter) and without flash programming.
__attribute__((visibility("default"))) int32_t DllPm3Cap(int32_t code, void*) {
  constexpr int32_t kFamilyArm = 7;
  return code == 2 ? kFamilyArm : code == kDrvCapSettingsKind ? kDrvSettingsNone : 0;
}

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
      g_record.DbgAssign = Assign;
      g_record.DbgEnum = Enum;
      g_record.DbgFormatAddress = FormatAddress;
      g_record.DbgReadString = ReadString;
      g_record.DbgFindSource = FindSource;
      g_record.DbgLineTable = LineTable;
      g_record.DbgBreakpoint = Breakpoint;
      g_record.DbgBreakpointList = BreakpointList;
      g_record.DbgResetCpu = ResetCpu;
      g_record.DbgBreakpointDefine = BreakpointDefine;
      g_record.DbgSerialInput = SerialInput;
      g_record.DbgAddressAttr = AddressAttr;
      g_record.DbgWriteMemory = WriteMemory;
      g_record.DbgGetDisasmLine = DisasmNext;
      g_record.DbgPrevDisasmLine = DisasmPrev;
      g_record.DbgRefreshDisasmLine = DisasmRefresh;
      g_record.DbgDisasmLineText = DisasmText;
      g_record.DbgTraceInfo = TraceInfo;
      g_record.DbgTraceQuery = TraceQuery;
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
        g_record.cycles = g_script.cycles;
        g_history.Forget();
        g_history.Set(g_script.trace);
        g_record.flags = (g_record.flags & ~uint32_t(0x8000 | 0x10000)) | g_script.offers;
        if (!g_script.trace.empty()) g_record.flags |= 0x2000;  // offers trace recording
        g_script.rest.name = "<other>";
        g_script.rest.nameLength = 7;
        g_record.analyserRest = &g_script.rest;
        g_record.analyserRanges = g_script.ranges.empty() ? nullptr : &g_script.ranges[0];
        Log(std::string("program ") + s->programFile);
        // What the session was given: the library, its parameters, the
        // dialog library with its parameters and the initialisation file.
        Log(std::string("dll ") + s->dllPath);
        Log(std::string("params ") + s->dllParams);
        Log(std::string("dialog ") + s->dialogDllPath + " (" + s->dialogDllParams + ")");
        Log(std::string("init ") + s->initFile);
      }
      auto fail = g_script.failAt.find(code);
      if (fail != g_script.failAt.end()) {
        s->flags |= kDbgSettingsStartFailed;
        std::snprintf(s->errorText, sizeof s->errorText, "%s", fail->second.c_str());
        return 1;
      }
      if (code == 4) {
        if (g_script.pumpsAtStart && g_record.PumpPendingMessages) {
          Log("pump");
          g_record.PumpPendingMessages();
        }
        Log(std::string("drivertext ") + s->targetDriverText);
        if (!g_script.driverText.empty())
          std::snprintf(s->targetDriverText, sizeof s->targetDriverText, "%s", g_script.driverText.c_str());
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
// The driver's own record (tests read and change its words).
__attribute__((visibility("default"))) DebugInterface* TestDriverRecord() { return &g_record; }
// Sets or clears the executing bit of the driver's record.
__attribute__((visibility("default"))) void TestDriverSetExecuting(int on) {
  if (on)
    g_record.flags |= kDbgFlagExecuting;
  else
    g_record.flags &= ~uint32_t(kDbgFlagExecuting);
}

}  // extern "C"
