#include "debugger/gdb/mi/mi_parser.h"

#include <cstdio>

namespace pm2::gdb {

const MiValue* MiValue::Find(std::string_view name) const {
  for (const auto& [n, v] : items)
    if (n == name) return &v;
  return nullptr;
}

std::string MiValue::Str(std::string_view name) const {
  const MiValue* v = Find(name);
  return v && v->kind == Kind::String ? v->text : std::string();
}

bool ParseMiCString(std::string_view in, std::string* out, std::size_t* used) {
  out->clear();
  if (in.empty() || in[0] != '"') return false;
  // Most strings (memory contents above all) hold no escape: one copy.
  const std::size_t plain = in.find('"', 1);
  if (plain != std::string_view::npos && in.substr(1, plain - 1).find('\\') == std::string_view::npos) {
    out->assign(in.data() + 1, plain - 1);
    *used = plain + 1;
    return true;
  }
  out->reserve(in.size());
  for (std::size_t i = 1; i < in.size(); ++i) {
    char c = in[i];
    if (c == '"') {
      *used = i + 1;
      return true;
    }
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (++i >= in.size()) return false;
    char e = in[i];
    switch (e) {
      case 'n': out->push_back('\n'); break;
      case 't': out->push_back('\t'); break;
      case 'r': out->push_back('\r'); break;
      case 'e': out->push_back('\033'); break;
      case 'a': out->push_back('\a'); break;
      case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
        int v = 0, n = 0;
        while (n < 3 && i < in.size() && in[i] >= '0' && in[i] <= '7') {
          v = v * 8 + (in[i] - '0');
          ++i;
          ++n;
        }
        --i;
        out->push_back(char(v));
        break;
      }
      default: out->push_back(e); break;  // \" \\ and the rest stand for themselves
    }
  }
  return false;
}

std::string MiQuote(std::string_view text) {
  std::string out = "\"";
  // No control character reaches gdb's line reader as itself.
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", unsigned(static_cast<unsigned char>(c)));
      out += octal;
      continue;
    }
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view s) : m_s(s) {}
  bool AtEnd() const { return m_i >= m_s.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_s[m_i]; }
  bool Eat(char c) {
    if (Peek() != c) return false;
    ++m_i;
    return true;
  }
  std::string Name() {
    std::size_t b = m_i;
    while (!AtEnd() && m_s[m_i] != '=' && m_s[m_i] != ',' && m_s[m_i] != '}' && m_s[m_i] != ']') ++m_i;
    return std::string(m_s.substr(b, m_i - b));
  }
  bool Value(MiValue* v, int depth) {
    if (depth > 64) return Fail("nested too deep");
    if (Peek() == '"') {
      v->kind = MiValue::Kind::String;
      std::size_t used = 0;
      if (!ParseMiCString(m_s.substr(m_i), &v->text, &used)) return Fail("unclosed string");
      m_i += used;
      return true;
    }
    if (Eat('{')) {
      v->kind = MiValue::Kind::Tuple;
      if (Eat('}')) return true;
      do {
        // gdb writes a breakpoint's commands as a tuple of bare strings
        // (script={"silent","print n"}): such a value has no name.
        std::string name;
        if (Peek() != '"' && Peek() != '{' && Peek() != '[') {
          name = Name();
          if (!Eat('=')) return Fail("'=' missing after '" + name + "'");
        }
        MiValue item;
        if (!Value(&item, depth + 1)) return false;
        v->items.emplace_back(std::move(name), std::move(item));
      } while (Eat(','));
      return Eat('}') || Fail("'}' missing");
    }
    if (Eat('[')) {
      v->kind = MiValue::Kind::List;
      if (Eat(']')) return true;
      do {
        MiValue item;
        std::string name;
        if (Peek() != '"' && Peek() != '{' && Peek() != '[') {
          name = Name();
          if (!Eat('=')) return Fail("'=' missing in a list");
        }
        if (!Value(&item, depth + 1)) return false;
        v->items.emplace_back(std::move(name), std::move(item));
      } while (Eat(','));
      return Eat(']') || Fail("']' missing");
    }
    return Fail("a value expected");
  }
  bool Results(MiValue* tuple) {
    tuple->kind = MiValue::Kind::Tuple;
    while (Eat(',')) {
      // gdb follows a breakpoint of several locations with a bare tuple
      // per location (bkpt={number="1",...},{number="1.1",...}): such a
      // value has no name.
      std::string name;
      if (Peek() != '"' && Peek() != '{' && Peek() != '[') {
        name = Name();
        if (!Eat('=')) return Fail("'=' missing after '" + name + "'");
      }
      MiValue v;
      if (!Value(&v, 0)) return false;
      tuple->items.emplace_back(std::move(name), std::move(v));
    }
    return AtEnd() || Fail("text after the results");
  }
  std::string Class() {
    std::size_t b = m_i;
    while (!AtEnd() && m_s[m_i] != ',') ++m_i;
    return std::string(m_s.substr(b, m_i - b));
  }
  int64_t Token() {
    int64_t t = -1;
    while (!AtEnd() && m_s[m_i] >= '0' && m_s[m_i] <= '9') {
      t = (t < 0 ? 0 : t) * 10 + (m_s[m_i] - '0');
      ++m_i;
      if (t > (int64_t(1) << 50)) return -1;
    }
    return t;
  }
  std::string_view Rest() const { return m_s.substr(m_i); }
  void Skip(std::size_t n) { m_i += n; }
  bool Fail(std::string why) {
    if (m_error.empty()) m_error = std::move(why);
    return false;
  }
  const std::string& Error() const { return m_error; }

 private:
  std::string_view m_s;
  std::size_t m_i = 0;
  std::string m_error;
};

struct Prefix {
  char c;
  MiKind kind;
};
constexpr Prefix kRecordPrefixes[] = {{'^', MiKind::Result}, {'*', MiKind::Exec},    {'+', MiKind::Status},
                                      {'=', MiKind::Notify}, {'~', MiKind::Console}, {'@', MiKind::Target},
                                      {'&', MiKind::Log}};

}  // namespace

MiRecord ParseMiLine(std::string_view line) {
  MiRecord r;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view trimmed = line;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed == "(gdb)") {
    r.kind = MiKind::Prompt;
    return r;
  }
  Parser p(line);
  r.token = p.Token();
  const char c = p.Peek();
  MiKind kind = MiKind::Invalid;
  for (const Prefix& pre : kRecordPrefixes)
    if (pre.c == c) kind = pre.kind;
  if (kind == MiKind::Invalid) {
    r.error = "not an MI record";
    return r;
  }
  p.Skip(1);
  if (kind == MiKind::Console || kind == MiKind::Target || kind == MiKind::Log) {
    std::size_t used = 0;
    if (!ParseMiCString(p.Rest(), &r.stream, &used)) {
      r.error = "unclosed string";
      return r;
    }
    r.kind = kind;
    return r;
  }
  r.cls = p.Class();
  if (!p.Results(&r.results)) {
    r.error = p.Error();
    r.results = MiValue{};
    return r;
  }
  r.kind = kind;
  return r;
}

}  // namespace pm2::gdb
