#include "project/files/project_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "project/text/pool.h"

namespace pm2 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool HasProjectBanner(std::string_view text) {
  return text.size() >= kProjectBannerSize &&
         text.substr(0, kProjectBannerSize) ==
             std::string_view(kProjectHeader, kProjectBannerSize);
}

bool IsCutBanner(std::string_view text) {
  return !text.empty() && text.size() < kProjectBannerSize &&
         std::string_view(kProjectHeader, kProjectBannerSize).substr(0, text.size()) == text;
}

std::string BannerFault(std::string_view text, const char* kind) {
  const std::string banner(kProjectHeader, kProjectBannerSize - 2);
  if (text.empty()) return std::string("the ") + kind + " file is empty";
  if (IsCutBanner(text))
    return std::string("the ") + kind + " file is cut off inside its first line, the header '" + banner + "'";
  return std::string("the first line is not the header of a ") + kind + " file, '" + banner + "'";
}

// ------------------------------------------------------------------ reader

bool ProjectLineReader::NextLine() {
  while (m_next < m_text.size()) {
    std::size_t lf = m_text.find('\n', m_next);
    std::size_t end = lf == std::string_view::npos ? m_text.size() : lf;
    std::size_t stop = end;
    if (lf != std::string_view::npos && stop > m_next && m_text[stop - 1] == '\r') --stop;
    std::string_view raw = m_text.substr(m_next, stop - m_next);
    m_next = lf == std::string_view::npos ? m_text.size() : lf + 1;
    ++m_lineNo;

    // Comments become one blank each; inside a value in brackets "/*" is
    // the value's own text (a typed "FOO /* BAR" reads back as it was).
    m_line.clear();
    std::size_t i = 0;
    int depth = 0;
    char open = 0, close = 0;
    while (i < raw.size()) {
      const char c = raw[i];
      if (depth > 0) {
        if (c == open) ++depth;
        else if (c == close) --depth;
      } else if (c == '(' || c == '<') {
        depth = 1;
        open = c;
        close = c == '(' ? ')' : '>';
      } else if (c == '/' && i + 1 < raw.size() && raw[i + 1] == '*') {
        m_line.push_back(' ');
        const std::size_t end = raw.find("*/", i + 2);
        i = end == std::string_view::npos ? raw.size() : end + 2;
        continue;
      }
      m_line.push_back(c);
      ++i;
    }
    std::size_t b = 0, e = m_line.size();
    while (b < e && IsBlank(m_line[b])) ++b;
    while (e > b && IsBlank(m_line[e - 1])) --e;
    if (b == e) continue;
    m_line = m_line.substr(b, e - b);

    m_pos = 0;
    m_key.clear();
    while (m_pos < m_line.size() && IsKeyChar(m_line[m_pos])) {
      if (m_key.size() < kMaxKeyLength) {
        char c = m_line[m_pos];
        m_key.push_back(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c);
      }
      ++m_pos;
    }
    SkipBlanks();
    if (m_pos < m_line.size() && m_line[m_pos] == '=') ++m_pos;
    SkipBlanks();
    return true;
  }
  m_line.clear();
  m_key.clear();
  m_pos = 0;
  return false;
}

std::string ProjectLineReader::Described() const {
  constexpr std::size_t kShown = 80;
  const std::string shown = m_line.size() > kShown ? m_line.substr(0, kShown) + "..." : m_line;
  return "line " + std::to_string(m_lineNo) + ": '" + shown + "'";
}

void ProjectLineReader::SkipBlanks() {
  while (m_pos < m_line.size() && IsBlank(m_line[m_pos])) ++m_pos;
}

int32_t ProjectLineReader::Number() {
  SkipBlanks();
  bool negative = false;
  if (m_pos < m_line.size() && m_line[m_pos] == '-') {
    negative = true;
    ++m_pos;
    SkipBlanks();
  }
  uint32_t base = 10;
  bool hForm = false;
  std::size_t p = m_pos;
  if (p + 1 < m_line.size() && m_line[p] == '0' && (m_line[p + 1] == 'x' || m_line[p + 1] == 'X')) {
    base = 16;
    p += 2;
  } else {
    std::size_t e = p;
    while (e < m_line.size() && HexValue(m_line[e]) >= 0) ++e;
    if (e > p && e < m_line.size() && (m_line[e] == 'H' || m_line[e] == 'h')) {
      base = 16;
      hForm = true;
    }
  }
  uint32_t value = 0;
  uint64_t whole = 0;
  m_numberOverflowed = false;
  const std::size_t digitsFrom = p;
  while (p < m_line.size()) {
    int d = HexValue(m_line[p]);
    if (d < 0 || (base == 10 && d > 9)) break;
    value = value * base + uint32_t(d);
    whole = whole * base + uint64_t(d);
    if (whole > 0xFFFFFFFFull) {
      m_numberOverflowed = true;
      whole = 0xFFFFFFFFull + 1;  // stays over the bound
    }
    ++p;
  }
  m_numberValid = p > digitsFrom;
  if (hForm) ++p;  // the H of the trailing-H form
  m_pos = p;
  SkipBlanks();
  return int32_t(negative ? 0u - value : value);
}

void ProjectLineReader::SkipComma() {
  SkipBlanks();
  if (m_pos < m_line.size() && m_line[m_pos] == ',') {
    ++m_pos;
    SkipBlanks();
  }
}

int32_t ProjectLineReader::NumberComma() {
  int32_t v = Number();
  SkipComma();
  return v;
}

bool ProjectLineReader::AtFieldsEnd() const {
  return m_pos >= m_line.size() || m_line.compare(m_pos, 2, "//") == 0;
}

std::string ProjectLineReader::StringText() {
  SkipBlanks();
  std::string value;
  m_stringClosed = false;
  if (m_pos >= m_line.size()) return value;
  char open = m_line[m_pos];
  char close;
  if (open == '(') {
    close = ')';
  } else if (open == '<') {
    close = '>';
  } else {
    return value;
  }
  ++m_pos;
  int depth = 1;
  while (m_pos < m_line.size()) {
    char c = m_line[m_pos];
    if (c == close && --depth == 0) {
      ++m_pos;
      m_stringClosed = true;
      break;
    }
    if (c == open) ++depth;
    if (c == '\\' && m_pos + 1 < m_line.size() && m_line[m_pos + 1] == '~') {
      value.append("\r\n");
      m_pos += 2;
      continue;
    }
    value.push_back(c);
    ++m_pos;
  }
  if (m_pos < m_line.size() && m_line[m_pos] == ',') ++m_pos;
  SkipBlanks();
  return value;
}

OptString ProjectLineReader::String(int pool) {
  std::string value = StringText();
  if (value.empty()) return OptString();
  return OptString(PoolStrDup(std::string_view(value), pool));
}

void ProjectLineReader::ByteList(uint8_t* field, std::size_t n) {
  SkipBlanks();
  if (m_pos >= m_line.size() || m_line[m_pos] != '{') return;
  ++m_pos;
  for (std::size_t i = 0; i < n; ++i) {
    SkipBlanks();
    if (m_pos >= m_line.size()) break;
    char c = m_line[m_pos];
    if (c != '-' && HexValue(c) < 0) break;
    field[i] = uint8_t(Number());
    SkipComma();
  }
  std::size_t close = m_line.find('}', m_pos);
  m_pos = close == std::string::npos ? m_line.size() : close + 1;
  SkipBlanks();
}

// ------------------------------------------------------------------ writer

void ProjectLineWriter::Line(std::string_view text) {
  if (text.find('\n') == std::string_view::npos) {
    m_out.append(text);
  } else {
    // A line break inside a line would split it: write it as "\~", which
    // reads back as CR LF.
    for (std::size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        m_out.append("\\~");
        ++i;
      } else if (c == '\n') {
        m_out.append("\\~");
      } else {
        m_out.push_back(c);
      }
    }
  }
  m_out.append("\r\n");
}

void ProjectLineWriter::Linef(const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    va_end(copy);
    return;
  }
  if (std::size_t(n) < sizeof small) {
    va_end(copy);
    Line(std::string_view(small, std::size_t(n)));
    return;
  }
  std::string big(std::size_t(n) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  big.resize(std::size_t(n));
  Line(big);
}

void ProjectLineWriter::NumberLine(const char* key, int64_t value) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, " %s=%lld", key, static_cast<long long>(value));
  m_out.append(buf, std::size_t(n));
  m_out.append("\r\n");
}

void ProjectLineWriter::StringLine(const char* key, std::string_view value) {
  std::string text;
  text.reserve(value.size() + std::strlen(key) + 4);
  text.push_back(' ');
  text.append(key);
  text.append(" (");
  text.append(value);
  text.push_back(')');
  Line(text);
}

void ProjectLineWriter::BytesLine(const char* key, const uint8_t* bytes, std::size_t n) {
  m_out.push_back(' ');
  m_out.append(key);
  m_out.push_back(' ');
  m_out.append(FormatByteList(bytes, n));
  m_out.append("\r\n");
}

std::string FormatByteList(const uint8_t* bytes, std::size_t n) {
  std::string s = "{ ";
  char buf[8];
  for (std::size_t i = 0; i < n; ++i) {
    int len = std::snprintf(buf, sizeof buf, i ? ",%u" : "%u", unsigned(bytes[i]));
    s.append(buf, std::size_t(len));
  }
  s.append(" }");
  return s;
}

std::string BracketedTextFault(std::string_view text, char open, char close) {
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == open) ++depth;
    if (c == close && --depth < 0) return std::string("a '") + close + "' without its '" + open + "'";
    // A line break is written as "\~", which reads back as CR LF.
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) return "a line break without a carriage return";
    if (c == '\\' && next == '~') return "the characters \"\\~\"";
  }
  if (depth > 0) return std::string("a '") + open + "' without its '" + close + "'";
  return std::string();
}

std::string ParenthesisedTextFault(std::string_view text) { return BracketedTextFault(text, '(', ')'); }

std::string FirstControlCharacter(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", unsigned(b));
      return code;
    }
  }
  return std::string();
}

std::string StoredFileNameRefusal(std::string_view path, std::string_view name) {
  std::string fault = BracketedTextFault(name, '<', '>');
  if (fault.empty()) fault = BracketedTextFault(path, '<', '>');
  if (fault.empty() && name.find('\\') != std::string_view::npos)
    fault = "a '\\', which the project reads as a folder separator";
  if (fault.empty()) {
    std::string code = FirstControlCharacter(path);
    if (code.empty()) code = FirstControlCharacter(name);
    if (!code.empty()) fault = "the control character " + code;
  }
  if (fault.empty()) return fault;
  return "The file '" + std::string(path) + "' cannot be stored in the project: its name holds " + fault + ".";
}

std::string LocalFolderRefusal(std::string_view storedPath, std::string_view localFolder) {
  if (localFolder.find('\\') == std::string_view::npos) return std::string();
  return "The file '" + std::string(storedPath) +
         "' cannot be stored in the project: its folder holds a '\\', which the project reads as a folder "
         "separator.";
}

std::string TargetFileNameFault(std::string_view name) {
  for (const char separator : {'/', '\\'})
    if (name.find(separator) != std::string_view::npos)
      return std::string("a '") + separator + "', which would make a folder of the files the build names after it";
  if (const std::string code = FirstControlCharacter(name); !code.empty())
    return "the control character " + code + ", which the files the build names after it cannot hold";
  return std::string();
}

std::string StoredComponentNameRefusal(std::string_view kind, std::string_view name) {
  std::string fault = ParenthesisedTextFault(name);
  if (fault.empty() && kind == "target") fault = TargetFileNameFault(name);
  if (fault.empty()) return fault;
  return "The " + std::string(kind) + " name '" + std::string(name) + "' cannot be stored: it holds " +
         fault + ".";
}

}  // namespace pm2
