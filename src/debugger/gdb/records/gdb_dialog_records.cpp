#include "debugger/gdb/records/gdb_dialog_records.h"

#include <algorithm>

namespace pm2::gdb {

namespace {

// Symbols read from gdb per session; a program with more lists the first.
constexpr std::size_t kMaxSymbols = 2000;
constexpr std::size_t kMaxLinesPerFile = 4000;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

// A type's text without the qualifiers that do not change its kind.
std::string WithoutQualifiers(const std::string& text) {
  std::string s = text;
  for (const char* q : {"volatile ", "const ", "static "})
    for (std::size_t at; (at = s.find(q)) != std::string::npos;) s.erase(at, std::string(q).size());
  return s;
}

}  // namespace

std::string TypeTagOfGdbText(const std::string& text) {
  const std::string s = WithoutQualifiers(text);
  if (s.find_first_of("([*") != std::string::npos) return "";
  for (const char* kind : {"struct ", "union ", "enum "}) {
    const std::size_t n = std::string(kind).size();
    if (s.compare(0, n, kind) != 0) continue;
    std::string tag = s.substr(n);
    while (!tag.empty() && tag.back() == ' ') tag.pop_back();
    // gdb names a type without a tag "{...}".
    return tag.find_first_of("{} ") == std::string::npos ? tag : "";
  }
  return "";
}

std::vector<std::string> DialogCommands(const std::string& request) {
  std::vector<std::string> out(1);
  for (std::size_t i = 0; i < request.size(); ++i) {
    const char c = request[i];
    const char n = i + 1 < request.size() ? request[i + 1] : '\0';
    if (c != '\\' || (n != '"' && n != '\'' && n != '\\')) {
      out.back() += c;
    } else if (n == '\\' && i + 2 < request.size() && request[i + 2] == 'n') {
      out.emplace_back();
      i += 2;
    } else {
      out.back() += n;
      ++i;
    }
  }
  if (out.size() == 1 && out[0].empty()) out.clear();
  return out;
}

DbgTypeRecord TypeOfGdbText(const std::string& text) {
  DbgTypeRecord t{};
  static const struct {
    const char* text;
    uint8_t code;
  } kTypes[] = {{"void", 0},           {"char", 2},          {"unsigned char", 3}, {"signed char", 2},
                {"int", 4},            {"unsigned int", 5},  {"short", 6},         {"unsigned short", 7},
                {"long", 8},           {"unsigned long", 9}, {"float", 10},        {"double", 11},
                {"long long", 8},      {"unsigned long long", 9}, {"_Bool", 3}};
  const std::string s = WithoutQualifiers(text);
  if (s.find('(') != std::string::npos) {
    t.code = 15;
    return t;
  }
  if (s.find('[') != std::string::npos) {
    t.code = 12;
    t.isArray = 1;
    std::size_t at = s.find('[');
    while (at != std::string::npos && t.dimensionCount < 8) {
      t.dimensions[t.dimensionCount++] = uint32_t(std::strtoul(s.c_str() + at + 1, nullptr, 10));
      at = s.find('[', at + 1);
    }
    return t;
  }
  if (s.find('*') != std::string::npos) {
    t.code = 12;
    t.size = 4;
    return t;
  }
  if (s.compare(0, 7, "struct ") == 0) t.code = 14;
  else if (s.compare(0, 6, "union ") == 0) t.code = 13;
  else if (s.compare(0, 5, "enum ") == 0) t.code = 17;
  else {
    t.code = 4;
    for (const auto& k : kTypes)
      if (s == k.text) t.code = k.code;
  }
  return t;
}

std::string ArrayElementText(const std::string& text) {
  const std::size_t open = text.find('[');
  if (open == std::string::npos || text.find('(') != std::string::npos) return "";
  std::string element = text.substr(0, open);
  while (!element.empty() && element.back() == ' ') element.pop_back();
  return element;
}

GdbDialogRecords::GdbDialogRecords(GdbTarget& target, std::string programFile)
    : m_target(target), m_program(std::move(programFile)) {}

const DbgTypeRecord* GdbDialogRecords::KeepType(const std::string& gdbText) {
  DbgTypeRecord t = TypeOfGdbText(gdbText);
  // The symbols dialog shows an array with its element type, and a struct,
  // union or enum with its tag.
  if (t.isArray) t.element = KeepType(ArrayElementText(gdbText));
  if (const std::string tag = TypeTagOfGdbText(gdbText); !tag.empty()) t.tag = Keep(tag);
  m_types.push_back(t);
  return &m_types.back();
}

const char* GdbDialogRecords::Keep(const std::string& text) {
  m_texts.push_back(text);
  return m_texts.back().c_str();
}

DbgBreakpointRecord* GdbDialogRecords::BreakpointHead() {
  std::vector<GdbBreakpointInfo> list;
  if (!m_target.ListBreakpoints(&list)) list = m_target.KeptBreakpoints();
  return m_breakpoints.Build(list);
}

void GdbDialogRecords::KillBreakpoint(DbgBreakpointRecord* r) {
  if (!r) return;
  m_target.DeleteBreakpoint(int(r->word04));
  // The record stays in memory (the dialog may still point at it) but
  // leaves the list.
  m_breakpoints.Unlink(r);
}

void GdbDialogRecords::ApplyEnables() {
  // While the program runs, in a stop of the driver's own.
  m_target.WhileStill([this] {
    std::vector<GdbBreakpointInfo> list;
    if (!m_target.ListBreakpoints(&list)) return false;
    for (const GdbBreakpointInfo& b : list) {
      const DbgBreakpointRecord* r = m_breakpoints.Find(b.number);
      if (!r) continue;
      const bool want = (r->flags & kDbgBpEnabled) != 0;
      if (want != b.enabled) m_target.EnableBreakpoint(b.number, want);
    }
    m_breakpoints.ForgetChanges();
    return true;
  });
}

void GdbDialogRecords::Define(DbgBreakpointRequest* q) {
  const std::string expression = q->expression ? std::string(q->expression).substr(0, 298) : "";
  const std::vector<std::string> commands =
      q->command ? DialogCommands(std::string(q->command).substr(0, 1023)) : std::vector<std::string>{};
  int number = 0;
  std::string err;
  if (expression.empty() ||
      !m_target.DefineBreakpoint(expression, q->passCount, q->access & 3, commands, &number, &err)) {
    q->error = 1;
    return;
  }
  BreakpointHead();
  q->result = m_breakpoints.RecordOf(number);
  q->outcome = 0;
}

void GdbDialogRecords::ReadSymbols() {
  if (m_symbolsRead) return;
  std::vector<GdbSymbol> symbols;
  if (!m_target.Symbols(&symbols, kMaxSymbols)) return;
  m_symbolsRead = true;
  m_scopes.push_back(DbgScopeRecord{});
  DbgScopeRecord& app = m_scopes.back();
  app.kind = kDbgScopeApp;
  app.name = Keep("unnamed");
  std::map<std::string, DbgScopeRecord*> modules;
  DbgSymbolRecord* lastPublic = nullptr;
  auto moduleOf = [&](const std::string& file) {
    auto it = modules.find(file);
    if (it != modules.end()) return it->second;
    m_scopes.push_back(DbgScopeRecord{});
    DbgScopeRecord* m = &m_scopes.back();
    m->kind = kDbgScopeModule;
    m->name = Keep(BaseName(file));
    m->parent = &app;
    DbgScopeRecord** link = &app.children;
    while (*link) link = &(*link)->next;
    *link = m;
    std::vector<DbgLinePair> pairs;
    if (m_target.LineTable(file, &pairs)) {
      m_lines.emplace_back();
      for (const DbgLinePair& p : pairs) {
        if (m_lines.back().size() >= kMaxLinesPerFile) break;
        if (p.line == 0) continue;  // where a run of the file's code ends
        m_lines.back().push_back(DbgLineRecord{p.line, p.address});
      }
      m->lines = m_lines.back().data();
      m->lineCount = uint32_t(m_lines.back().size());
    }
    modules[file] = m;
    return m;
  };
  for (const GdbSymbol& s : symbols) {
    const DbgTypeRecord* type = KeepType(s.type);
    DbgSymbolRecord rec{};
    rec.name = Keep(s.name);
    rec.classWord = 1;
    rec.value = uint32_t(s.address);
    rec.type = type;
    m_publics.push_back(rec);
    if (lastPublic) lastPublic->next = &m_publics.back();
    lastPublic = &m_publics.back();
    if (s.file.empty()) continue;
    DbgScopeRecord* m = moduleOf(s.file);
    if (s.function) {
      m_scopes.push_back(DbgScopeRecord{});
      DbgScopeRecord* f = &m_scopes.back();
      f->kind = kDbgScopeFunction;
      f->name = rec.name;
      f->parent = m;
      DbgScopeRecord** link = &m->children;
      while (*link) link = &(*link)->next;
      *link = f;
    } else {
      m_locals.push_back(rec);
      m_locals.back().next = m->symbols;
      m->symbols = &m_locals.back();
    }
  }
  for (const auto& [file, m] : modules) AddFunctionLocals(file, m);
}

DbgSymbolRecord* GdbDialogRecords::SymbolList(const std::vector<BlockSymbol>& symbols) {
  DbgSymbolRecord* head = nullptr;
  DbgSymbolRecord** link = &head;
  for (const BlockSymbol& s : symbols) {
    const DbgTypeRecord* type = KeepType(s.type);
    DbgSymbolRecord rec{};
    rec.name = Keep(s.name);
    // A static local's address; one on the stack or in a register has
    // none gdb can name without a frame of its function.
    rec.classWord = s.isStatic ? 1 : 0;
    rec.value = uint32_t(s.address);
    rec.type = type;
    m_locals.push_back(rec);
    *link = &m_locals.back();
    link = &m_locals.back().next;
  }
  return head;
}

void GdbDialogRecords::AddFunctionLocals(const std::string& file, DbgScopeRecord* module) {
  std::vector<FunctionBlock> blocks;
  if (!m_target.FunctionLocals(file, &blocks)) return;
  for (DbgScopeRecord* f = module->children; f; f = f->next) {
    if (f->kind != kDbgScopeFunction) continue;
    for (const FunctionBlock& b : blocks) {
      if (b.function != f->name) continue;
      f->symbols = SymbolList(b.symbols);
      DbgScopeRecord** link = &f->children;
      for (const std::vector<BlockSymbol>& inner : b.blocks) {
        m_scopes.push_back(DbgScopeRecord{});
        DbgScopeRecord* scope = &m_scopes.back();
        scope->kind = kDbgScopeBlock;
        scope->name = f->name;
        scope->parent = f;
        scope->symbols = SymbolList(inner);
        *link = scope;
        link = &scope->next;
      }
      break;
    }
  }
}

DbgSymbolRecord* GdbDialogRecords::Publics() {
  ReadSymbols();
  return m_publics.empty() ? nullptr : &m_publics.front();
}

DbgScopeRecord* GdbDialogRecords::Scopes() {
  ReadSymbols();
  return m_scopes.empty() ? nullptr : &m_scopes.front();
}

void GdbDialogRecords::Forget() {
  m_symbolsRead = false;
  m_publics.clear();
  m_locals.clear();
  m_scopes.clear();
  m_lines.clear();
  m_types.clear();
  m_coverageAddress.clear();
  m_coverage.clear();
  m_functionCode.clear();
  m_functionStarts.clear();
}

void GdbDialogRecords::MemorySpace(uint32_t base, DbgMemorySpaceRecord* out) {
  *out = DbgMemorySpaceRecord{};
  if (!m_regionsRead) {
    m_regions = ElfAllocatedSectionsOfFile(m_program);
    m_regionsRead = true;
  }
  auto it = m_spaces.find(base);
  if (it == m_spaces.end()) {
    std::vector<uint16_t> attrs = ElfSpaceAttributes(m_regions, base);
    if (attrs.empty()) return;
    it = m_spaces.emplace(base, std::move(attrs)).first;
  }
  out->attributes = it->second.data();
  out->count = uint32_t(it->second.size());
}

}  // namespace pm2::gdb
