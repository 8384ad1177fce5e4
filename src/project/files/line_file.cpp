#include "project/files/line_file.h"

#include <cctype>
#include <cstdio>

#include "platform/atomic_file.h"

namespace pm2 {

namespace {

enum class Pattern { kEqu, kSet, kDollarSet, kDefine };

// How a value is written into the line.
enum class ValueForm { kDecimal, kHex5H, kKilo, kHex0x, kTimesKB };

struct SyntaxRow {
  int kind;
  Pattern pattern;
  bool found;  // FindEquateLine links it to a line
  bool plain;  // written by WriteEquates
  bool arm;    // written by WriteEquatesArm
  ValueForm form;
};
// Kinds 21 and 11 are never linked by the search: the 166 import stores
// the joined bit set of all kind-21 rows in each of them, which is no value
// of any single equate. Their forms are written only for a line a caller
// linked itself.
constexpr SyntaxRow kSyntax[] = {
    {1, Pattern::kEqu, true, true, true, ValueForm::kDecimal},
    {20, Pattern::kEqu, true, true, false, ValueForm::kDecimal},
    {21, Pattern::kEqu, false, true, false, ValueForm::kDecimal},
    {161, Pattern::kEqu, true, false, true, ValueForm::kHex0x},
    {177, Pattern::kEqu, true, false, true, ValueForm::kTimesKB},
    {2, Pattern::kSet, true, true, true, ValueForm::kDecimal},
    {3, Pattern::kDollarSet, true, true, true, ValueForm::kDecimal},
    {10, Pattern::kDefine, true, true, false, ValueForm::kHex5H},
    {11, Pattern::kDefine, false, true, false, ValueForm::kKilo},
};

const SyntaxRow* FindSyntax(int kind) {
  for (const SyntaxRow& row : kSyntax)
    if (row.kind == kind) return &row;
  return nullptr;
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '?';
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A cursor over one line.
struct Cursor {
  std::string_view s;
  void SkipBlanks() {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  }
  std::string_view Name() {
    size_t n = 0;
    while (n < s.size() && IsNameChar(s[n])) ++n;
    std::string_view w = s.substr(0, n);
    s.remove_prefix(n);
    return w;
  }
  bool Take(char c) {
    SkipBlanks();
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
  }
  bool TakeWord(std::string_view w) {
    if (s.size() < w.size() || !SameIgnoringCase(s.substr(0, w.size()), w)) return false;
    s.remove_prefix(w.size());
    return true;
  }
};

bool LineDefines(std::string_view line, Pattern pattern, std::string_view name) {
  Cursor c{line};
  c.SkipBlanks();
  if (c.s.empty() || c.s.front() == ';' || c.s.front() == '\r' || c.s.front() == '\n')
    return false;
  switch (pattern) {
    case Pattern::kEqu:
    case Pattern::kSet: {
      std::string_view first = c.Name();
      c.SkipBlanks();
      std::string_view second = c.Name();
      return SameIgnoringCase(first, name) &&
             SameIgnoringCase(second, pattern == Pattern::kEqu ? "EQU" : "SET");
    }
    case Pattern::kDollarSet:
    case Pattern::kDefine: {
      if (!c.TakeWord(pattern == Pattern::kDollarSet ? "$SET" : "%DEFINE") || !c.Take('('))
        return false;
      c.SkipBlanks();
      if (!SameIgnoringCase(c.Name(), name)) return false;
      return c.Take(pattern == Pattern::kDollarSet ? '=' : ')');
    }
  }
  return false;
}

// The line's end ("\r\n", "\n" or nothing) and its text before it.
std::string_view LineEnd(std::string_view line) {
  if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") return line.substr(line.size() - 2);
  if (!line.empty() && line.back() == '\n') return line.substr(line.size() - 1);
  return std::string_view();
}

std::string CommentOf(std::string_view body) {
  size_t semi = body.find(';');
  if (semi == std::string_view::npos) return std::string();
  std::string_view c = body.substr(semi + 1);
  while (!c.empty() && (c.front() == ' ' || c.front() == '\t')) c.remove_prefix(1);
  while (!c.empty() && (c.back() == ' ' || c.back() == '\t')) c.remove_suffix(1);
  return std::string(c);
}

std::string FormatValue(ValueForm form, int32_t value) {
  char buf[32];
  switch (form) {
    case ValueForm::kDecimal: std::snprintf(buf, sizeof buf, "%d", value); break;
    case ValueForm::kHex5H: std::snprintf(buf, sizeof buf, "0%05XH", unsigned(value)); break;
    case ValueForm::kKilo: std::snprintf(buf, sizeof buf, "%dK", value); break;
    case ValueForm::kHex0x: std::snprintf(buf, sizeof buf, "0x%X", unsigned(value)); break;
    case ValueForm::kTimesKB: std::snprintf(buf, sizeof buf, "%d*KB", value); break;
  }
  return buf;
}

std::string DefinitionText(const SyntaxRow& row, const EquateSymbol& s, int32_t value) {
  ValueForm form = row.form;
  if (row.kind == 10 && s.conversion == 11) form = ValueForm::kKilo;
  std::string v = FormatValue(form, value);
  switch (row.pattern) {
    case Pattern::kEqu: return s.name + " EQU " + v;
    case Pattern::kSet: return s.name + " SET " + v;
    case Pattern::kDollarSet: return "$SET (" + s.name + " = " + v + ")";
    case Pattern::kDefine: return "%DEFINE(" + s.name + ") (" + v + ")";
  }
  return std::string();
}

// The values after their conversions (the symbols themselves stay as
// given, so a second rewrite converts the same way).
std::vector<int32_t> ConvertedValues(const std::vector<EquateSymbol>& symbols) {
  std::vector<int32_t> v(symbols.size());
  for (size_t i = 0; i < symbols.size(); ++i) v[i] = symbols[i].value;
  for (size_t i = 0; i < symbols.size(); ++i) {
    if (symbols[i].line < 0) continue;
    switch (symbols[i].conversion) {
      case 1: v[i] = ~v[i] & 0xF; break;
      case 4: if (i + 1 < v.size()) v[i + 1] = v[i]; break;
      case 10: v[i] = int32_t(uint32_t(v[i]) << 12); break;
      case 11: v[i] = (v[i] >= 0 && v[i] <= 11) ? (4 << v[i]) : 0; break;
      default: break;
    }
  }
  return v;
}

}  // namespace

int LineFile::Open(const std::string& path, std::string* err, Disk* disk) {
  m_path = path;
  m_lines.clear();
  std::string text;
  if (int e = (disk ? *disk : RealDisk()).ReadAll(path, &text)) {
    if (err) *err = FileErrorText("read", path, e);
    return 1;
  }
  SetText(text);
  return 0;
}

void LineFile::SetText(std::string_view text) {
  m_lines.clear();
  while (!text.empty()) {
    size_t nl = text.find('\n');
    size_t n = nl == std::string_view::npos ? text.size() : nl + 1;
    m_lines.emplace_back(text.substr(0, n));
    text.remove_prefix(n);
  }
}

bool LineFile::FindEquateLine(EquateSymbol& symbol) const {
  symbol.line = -1;
  const SyntaxRow* row = FindSyntax(symbol.syntax);
  if (!row || !row->found || symbol.name.empty()) return false;
  for (size_t i = 0; i < m_lines.size(); ++i) {
    if (LineDefines(m_lines[i], row->pattern, symbol.name)) {
      symbol.line = int(i);
      return true;
    }
  }
  return false;
}

void LineFile::FindEquateLines(std::vector<EquateSymbol>& symbols) const {
  for (EquateSymbol& s : symbols) FindEquateLine(s);
}

std::string LineFile::FormatEquates(const std::vector<EquateSymbol>& symbols, bool arm) const {
  std::vector<int32_t> values = ConvertedValues(symbols);
  std::vector<int> owner(m_lines.size(), -1);
  for (size_t i = 0; i < symbols.size(); ++i) {
    int l = symbols[i].line;
    if (l >= 0 && size_t(l) < m_lines.size() && owner[size_t(l)] < 0) owner[size_t(l)] = int(i);
  }
  std::string out;
  for (size_t l = 0; l < m_lines.size(); ++l) {
    const std::string& line = m_lines[l];
    const SyntaxRow* row = owner[l] >= 0 ? FindSyntax(symbols[size_t(owner[l])].syntax) : nullptr;
    if (!row || !(arm ? row->arm : row->plain)) {
      out += line;
      continue;
    }
    const EquateSymbol& s = symbols[size_t(owner[l])];
    std::string_view end = LineEnd(line);
    std::string comment = CommentOf(std::string_view(line).substr(0, line.size() - end.size()));
    if (comment.find(kEquateMarker) == std::string::npos)
      comment += comment.empty() ? kEquateMarker : std::string(" ") + kEquateMarker;
    out += DefinitionText(*row, s, values[size_t(owner[l])]) + " ; " + comment;
    out += end;
  }
  return out;
}

int LineFile::Write(const std::vector<EquateSymbol>& symbols, bool arm, std::string* err,
                    Disk* disk) const {
  AtomicFileWriter writer(disk);
  return writer.Write(m_path, FormatEquates(symbols, arm), err) ? 0 : 1;
}

int LineFile::WriteEquates(const std::vector<EquateSymbol>& symbols, std::string* err,
                           Disk* disk) const {
  return Write(symbols, false, err, disk);
}

int LineFile::WriteEquatesArm(const std::vector<EquateSymbol>& symbols, std::string* err,
                              Disk* disk) const {
  return Write(symbols, true, err, disk);
}

}  // namespace pm2
