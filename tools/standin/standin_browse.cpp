#include "standin_browse.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>

namespace standin {
namespace {

// ---- record writing: type, u16 length (contents + checksum), contents,
// checksum; 32-bit values as two 16-bit words, low first.

void U16(std::string& c, unsigned v) {
  c += char(v & 0xFF);
  c += char((v >> 8) & 0xFF);
}
void U32(std::string& c, uint32_t v) {
  U16(c, v & 0xFFFF);
  U16(c, v >> 16);
}
void Name(std::string& c, const std::string& s) {
  const size_t n = s.size() > 255 ? 255 : s.size();
  c += char(n);
  c.append(s, 0, n);
}
void Record(std::string& out, unsigned type, const std::string& contents) {
  out += char(type);
  U16(out, unsigned(contents.size() + 1));
  unsigned sum = type + unsigned(contents.size() + 1) + (unsigned(contents.size() + 1) >> 8);
  for (char ch : contents) sum += static_cast<unsigned char>(ch);
  out += contents;
  out += char(-sum & 0xFF);
}

// ---- the source, reduced to tokens

struct Token {
  std::string text;
  int line = 0;
};

bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Identifiers, numbers and punctuation (two-character operators joined);
// comments and string and character literals dropped; a "#define NAME"
// line gives the tokens "#define" and NAME.
std::vector<Token> Tokens(const std::string& text) {
  std::vector<Token> out;
  int line = 1;
  size_t i = 0;
  bool lineStart = true;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      i += 2;
      while (i + 1 < text.size() && !(text[i] == '*' && text[i + 1] == '/')) {
        if (text[i] == '\n') ++line;
        ++i;
      }
      i += 2;
      continue;
    }
    if (c == '"' || c == '\'') {
      ++i;
      while (i < text.size() && text[i] != c && text[i] != '\n') i += text[i] == '\\' ? 2 : 1;
      ++i;
      lineStart = false;
      continue;
    }
    if (c == '#' && lineStart) {
      size_t e = i + 1;
      while (e < text.size() && (text[e] == ' ' || text[e] == '\t')) ++e;
      size_t w = e;
      while (w < text.size() && IdentChar(text[w])) ++w;
      const std::string directive = text.substr(e, w - e);
      if (directive == "define") {
        out.push_back({"#define", line});
        i = w;
        lineStart = false;
        continue;
      }
      while (i < text.size() && text[i] != '\n') ++i;  // other directives
      continue;
    }
    lineStart = false;
    if (IdentStart(c)) {
      size_t e = i;
      while (e < text.size() && IdentChar(text[e])) ++e;
      out.push_back({text.substr(i, e - i), line});
      i = e;
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t e = i;
      while (e < text.size() && IdentChar(text[e])) ++e;
      out.push_back({"0", line});
      i = e;
      continue;
    }
    static const char* const kTwo[] = {"==", "!=", "<=", ">=", "&&", "||", "++", "--", "+=", "-=",
                                       "*=", "/=", "|=", "&=", "^=", "<<", ">>", "->"};
    std::string op(1, c);
    for (const char* two : kTwo)
      if (text.compare(i, 2, two) == 0) op = two;
    out.push_back({op, line});
    i += op.size();
  }
  return out;
}

const std::set<std::string> kKeywords = {
    "if",     "else",   "while",  "for",    "do",     "switch", "case",     "default", "return",  "break",
    "continue", "goto", "sizeof", "int",    "char",   "long",   "short",    "unsigned", "signed", "void",
    "float",  "double", "struct", "union",  "enum",   "typedef", "static",  "extern",  "const",   "volatile",
    "bit",    "sbit",   "sfr",    "sfr16",  "data",   "idata",  "xdata",    "pdata",   "code",    "bdata",
    "interrupt", "using", "reentrant", "register", "auto"};

// Memory spaces, name 0 first.
const char* const kSpaces[] = {"", "CODE", "DATA", "IDATA", "XDATA", "BIT", "SFR"};
enum Space : uint16_t { kNone, kCode, kData, kIdata, kXdata, kBitSpace, kSfrSpace };

// Occurrence kinds as the browser reads them: 2 where a name is defined, 1
// where it is used, 3 and 4 the two ends of a call.
enum OccKind : uint16_t { kUse = 1, kDefine = 2, kCalls = 3, kCalledBy = 4 };

struct Occ {
  uint16_t kind;
  uint32_t line;
  uint32_t access;
  int ref;  // symbol index, -1 none
};

struct Sym {
  std::string name;
  uint16_t cls = 0, space = 0, type = 0, kind = 0;
  std::vector<Occ> occs;
};

class Scanner {
 public:
  explicit Scanner(const std::string& text) : m_t(Tokens(text)) {}
  std::vector<Sym> Run();

 private:
  int Find(const std::string& name) const {
    auto it = m_index.find(name);
    return it == m_index.end() ? -1 : it->second;
  }
  int Add(const std::string& name, uint16_t cls, uint16_t space, uint16_t type, uint16_t kind) {
    int at = Find(name);
    if (at >= 0) return at;
    m_syms.push_back(Sym{name, cls, space, type, kind, {}});
    m_index[name] = int(m_syms.size()) - 1;
    return int(m_syms.size()) - 1;
  }
  const std::string& T(size_t i) const {
    static const std::string kEmpty;
    return i < m_t.size() ? m_t[i].text : kEmpty;
  }
  void Definitions();
  void Uses();
  void Declaration(size_t from, size_t to);

  std::vector<Token> m_t;
  std::vector<Sym> m_syms;
  std::map<std::string, int> m_index;
  std::set<size_t> m_bodies;  // token index of each function's '{'
};

// A declaration at file level from token `from` to the ';' at `to`.
void Scanner::Declaration(size_t from, size_t to) {
  uint16_t type = 4, space = kData;
  bool isUnsigned = false, sfr = false, sbit = false;
  for (size_t i = from; i < to; ++i) {
    const std::string& w = T(i);
    if (w == "typedef" || w == "extern" || w == "struct" || w == "union" || w == "enum") return;
    if (w == "unsigned") isUnsigned = true;
    if (w == "char") type = isUnsigned ? 3 : 2;
    if (w == "int") type = isUnsigned ? 5 : 4;
    if (w == "long") type = isUnsigned ? 7 : 6;
    if (w == "float") type = 8;
    if (w == "bit") type = 1, space = kBitSpace;
    if (w == "idata") space = kIdata;
    if (w == "xdata" || w == "pdata") space = kXdata;
    if (w == "code") space = kCode;
    if (w == "sfr" || w == "sfr16") sfr = true;
    if (w == "sbit") sbit = true;
  }
  // The names: the identifier before each '=', '[', ',' or the end at
  // the declaration's own level.
  for (size_t i = from + 1; i <= to; ++i) {
    const std::string& w = T(i);
    if (w != "=" && w != "[" && w != "," && i != to) continue;
    const std::string& name = T(i - 1);
    if (!IdentStart(name[0]) || kKeywords.count(name)) continue;
    int s = sfr || sbit ? Add(name, 2, kSfrSpace, sbit ? 1 : 3, 3) : Add(name, 4, space, type, 0);
    m_syms[size_t(s)].occs.push_back({kDefine, uint32_t(m_t[i - 1].line), 0, -1});
    if (w == "=") {  // skip the initialiser
      while (i < to && T(i) != ",") ++i;
    }
  }
}

void Scanner::Definitions() {
  int depth = 0;
  size_t start = 0;  // first token of the current file-level statement
  for (size_t i = 0; i < m_t.size(); ++i) {
    const std::string& w = T(i);
    if (w == "#define") {
      if (IdentStart(T(i + 1)[0])) {
        int s = Add(T(i + 1), 1, 0, 0, 0);
        m_syms[size_t(s)].occs.push_back({kDefine, uint32_t(m_t[i + 1].line), 0, -1});
      }
      ++i;
      start = i + 1;
      continue;
    }
    if (w == "{") {
      if (depth == 0) {
        // A function: the identifier before the statement's first '('.
        for (size_t k = start; k + 1 < i; ++k)
          if (T(k + 1) == "(" && IdentStart(T(k)[0]) && !kKeywords.count(T(k))) {
            int s = Add(T(k), 8, kCode, 17, 0);
            m_syms[size_t(s)].occs.push_back({kDefine, uint32_t(m_t[k].line), 0, -1});
            m_bodies.insert(i);
            break;
          }
      }
      ++depth;
      continue;
    }
    if (w == "}") {
      if (depth > 0) --depth;
      if (depth == 0) start = i + 1;
      continue;
    }
    if (w == ";" && depth == 0) {
      bool prototype = false;
      for (size_t k = start; k < i; ++k) prototype = prototype || T(k) == "(";
      if (!prototype && i > start) Declaration(start, i);
      start = i + 1;
    }
  }
}

void Scanner::Uses() {
  int depth = 0;
  int function = -1;
  for (size_t i = 0; i < m_t.size(); ++i) {
    const std::string& w = T(i);
    if (w == "{") {
      if (depth == 0 && m_bodies.count(i)) {
        for (size_t k = i; k-- > 0;)
          if (T(k + 1) == "(" && Find(T(k)) >= 0 && m_syms[size_t(Find(T(k)))].cls == 8) {
            function = Find(T(k));
            break;
          }
      }
      ++depth;
      continue;
    }
    if (w == "}") {
      if (depth > 0 && --depth == 0) function = -1;
      continue;
    }
    if (depth == 0 || function < 0 || !IdentStart(w[0]) || kKeywords.count(w) || T(i - 1) == "." ||
        T(i - 1) == "->")
      continue;
    const uint32_t line = uint32_t(m_t[i].line);
    if (T(i + 1) == "(") {
      int callee = Find(w);
      if (callee < 0) callee = Add(w, 8, kCode, 17, 0);  // defined elsewhere
      if (m_syms[size_t(callee)].cls != 8) continue;   // a function-like macro
      m_syms[size_t(function)].occs.push_back({kCalls, line, 0, callee});
      m_syms[size_t(callee)].occs.push_back({kCalledBy, line, 0, function});
      m_syms[size_t(callee)].occs.push_back({kUse, line, 0, -1});
      continue;
    }
    const int s = Find(w);
    if (s < 0 || m_syms[size_t(s)].cls == 8) continue;
    uint32_t access = 0;
    if (m_syms[size_t(s)].cls != 1) {
      const std::string& next = T(i + 1);
      const std::string& before = T(i - 1);
      if (before == "&" && !(i >= 2 && (IdentChar(T(i - 2)[0]) || T(i - 2) == ")"))) access |= 4;
      if (next == "=") access |= 2;
      else if (next == "++" || next == "--" || next == "+=" || next == "-=" || next == "|=" || next == "&=" ||
               next == "^=" || next == "*=" || next == "/=" || before == "++" || before == "--")
        access |= 3;
      else if (!(access & 4)) access |= 1;
    }
    m_syms[size_t(s)].occs.push_back({kUse, line, access, -1});
  }
}

std::vector<Sym> Scanner::Run() {
  Definitions();
  Uses();
  return m_syms;
}

// The records of one object's browse section: from its header to its end.
std::vector<std::pair<unsigned, std::string>> SectionRecords(const std::string& bytes) {
  std::vector<std::pair<unsigned, std::string>> out;
  size_t pos = 0;
  bool first = true;
  while (pos + 3 <= bytes.size()) {
    const unsigned type = static_cast<unsigned char>(bytes[pos]);
    const size_t len = size_t(static_cast<unsigned char>(bytes[pos + 1])) |
                       size_t(static_cast<unsigned char>(bytes[pos + 2])) << 8;
    if (len == 0 || pos + 3 + len > bytes.size()) break;
    if (!first && (type == 0x04 || type == 0x1A)) break;
    if (type >= 0x60 && type <= 0x64) out.emplace_back(type, bytes.substr(pos + 3, len - 1));
    first = false;
    pos += 3 + len;
  }
  return out;
}

}  // namespace

std::string BrowseObject(const std::string& path, const std::string& text) {
  std::vector<Sym> syms = Scanner(text).Run();
  std::string out, c;
  std::string module = path.substr(path.find_last_of("/\\") + 1);
  module = module.substr(0, module.find('.'));
  for (char& ch : module) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  Name(c, module);
  Record(out, 0x02, c);
  c.clear();
  U16(c, 0x0200);  // version
  U16(c, 0);
  U32(c, uint32_t(syms.size()));
  U16(c, unsigned(std::size(kSpaces)));
  for (const char* s : kSpaces) Name(c, s);
  Record(out, 0x60, c);
  c.clear();
  U32(c, 0);
  U16(c, 0);
  Name(c, path);
  Record(out, 0x61, c);
  for (const Sym& s : syms) {
    c.clear();
    U32(c, 0);
    Name(c, s.name);
    Record(out, 0x62, c);
    c.clear();
    for (unsigned v : {s.cls, s.space, s.type, s.kind}) U16(c, v);
    U32(c, 0);
    Record(out, 0x63, c);
    if (s.occs.empty()) continue;
    c.clear();
    U32(c, uint32_t(s.occs.size()));
    for (const Occ& o : s.occs) {
      U16(c, o.kind);
      U16(c, 1);
      U32(c, o.line);
      U32(c, o.access);
      U32(c, o.ref < 0 ? 0xFFFFFFFFu : uint32_t(o.ref));
    }
    Record(out, 0x64, c);
  }
  Record(out, 0x04, std::string(1, '\0'));
  return out;
}

bool HasBrowseSection(const std::string& bytes) {
  if (bytes.empty() || static_cast<unsigned char>(bytes[0]) != 0x02) return false;
  for (const auto& r : SectionRecords(bytes))
    if (r.first == 0x60) return true;
  return false;
}

std::string LinkBrowseSections(const std::vector<std::string>& objects) {
  std::string out, c;
  bool any = false;
  for (const std::string& object : objects) {
    if (!HasBrowseSection(object)) continue;
    if (!any) {
      Name(c, "LINKED");
      Record(out, 0x02, c);
    }
    for (const auto& [type, contents] : SectionRecords(object)) {
      // Later sections carry no memory-space names: their header is cut
      // after the symbol count.
      Record(out, type, type == 0x60 && any ? contents.substr(0, 8) : contents);
    }
    any = true;
  }
  if (!any) return std::string();
  Record(out, 0x04, std::string(1, '\0'));
  return out;
}

}  // namespace standin
