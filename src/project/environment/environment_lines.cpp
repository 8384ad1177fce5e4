#include "project/environment/environment_lines.h"

#include <cctype>

namespace pm2 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsKeyChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

struct BookKindRow {
  const char* name;
  int kind;
};
constexpr BookKindRow kBookKinds[] = {
    {"C", kBookC},         {"A", kBookAsm},       {"CPP", kBookCpp},     {"L", kBookLinker},
    {"DEV", kBookDevice},  {"TOOL", kBookTool},   {"GEN", kBookGeneral},
};

}  // namespace

bool NextEnvLine(std::string_view& rest, std::string_view* line) {
  if (rest.empty()) return false;
  size_t end = rest.find('\n');
  std::string_view l = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
  *line = l;
  return true;
}

EnvLine ParseEnvLine(std::string_view line) {
  EnvLine out;
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  out.text = line;
  if (TrimBlanks(line).empty()) {
    out.kind = EnvLineKind::kEmpty;
    return out;
  }
  if (line.front() == '[') {
    size_t close = line.find(']');
    if (close == std::string_view::npos) return out;
    std::string_view name = TrimBlanks(line.substr(1, close - 1));
    for (char c : name)
      if (!IsKeyChar(c)) return out;
    out.kind = EnvLineKind::kSection;
    out.name = name;
    return out;
  }
  size_t n = 0;
  while (n < line.size() && IsKeyChar(line[n])) ++n;
  if (n == 0 || n > kMaxEnvKeyLength) return out;
  out.name = line.substr(0, n);
  std::string_view rest = line.substr(n);
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
  out.value = TrimBlanks(rest);
  out.kind = EnvLineKind::kEntry;
  return out;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperChar(c);
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

int BookKindFromName(std::string_view name) {
  name = TrimBlanks(name);
  for (const BookKindRow& row : kBookKinds)
    if (EqualsIgnoringCase(name, row.name)) return row.kind;
  return kBookGeneral;
}

const char* BookKindName(int kind) {
  for (const BookKindRow& row : kBookKinds)
    if (row.kind == kind) return row.name;
  return "GEN";
}

bool ParseTitledValue(std::string_view value, TitledValue* out) {
  value = TrimBlanks(value);
  if (value.empty() || value.back() != ')') return false;
  // The title opens at the last '(' followed (after blanks) by a quote.
  size_t open = std::string_view::npos;
  for (size_t i = value.size(); i-- > 0;) {
    if (value[i] != '(') continue;
    size_t j = i + 1;
    while (j < value.size() && IsBlank(value[j])) ++j;
    if (j < value.size() && value[j] == '"') {
      open = i;
      break;
    }
  }
  if (open == std::string_view::npos) return false;
  std::string_view inner = value.substr(open + 1, value.size() - open - 2);
  inner = TrimBlanks(inner);
  size_t endQuote = inner.find('"', 1);
  if (endQuote == std::string_view::npos) return false;
  std::string_view title = inner.substr(1, endQuote - 1);
  std::string_view after = TrimBlanks(inner.substr(endQuote + 1));
  std::string_view kind;
  if (!after.empty()) {
    if (after.front() != ',') return false;
    kind = TrimBlanks(after.substr(1));
  }
  out->path = std::string(TrimBlanks(value.substr(0, open)));
  out->title = std::string(title);
  out->kind = std::string(kind);
  return true;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  if (!value.empty() && value.front() == '"') return value.substr(1);
  return value;
}

std::string WithoutQuotes(std::string_view value) {
  std::string out;
  for (char c : value)
    if (c != '"') out += c;
  return out;
}

std::string WithTrailingSeparator(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || out.back() == '\\' || out.back() == '/') return out;
  bool unixForm = out.find('/') != std::string::npos && out.find('\\') == std::string::npos;
  out += unixForm ? '/' : '\\';
  return out;
}

std::string SubFolder(std::string_view folder, std::string_view sub) {
  std::string out = WithTrailingSeparator(folder);
  char sep = (!out.empty() && out.back() == '/') ? '/' : '\\';
  for (char c : sub) out += (c == '\\' || c == '/') ? sep : c;
  return out;
}

}  // namespace pm2
