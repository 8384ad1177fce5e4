#include "project/import/old_ini_reader.h"

#include <cctype>
#include <cstdio>

#include "project/files/stored_file_read.h"

namespace pm2 {

namespace {

constexpr std::size_t kMaxLine = 1022;
constexpr std::size_t kMaxName = 79;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int OldIniProject::Open(const std::string& path) {
  Close();
  // A regular file only, as every stored file: a named pipe would block
  // the program for good, a folder would read as an empty project.
  std::string data;
  if (!ReadStoredFile(path, kStoredTextFileMax, data, nullptr)) return 1;
  m_path = path;
  m_data = std::move(data);
  m_pos = 0;
  return 0;
}

void OldIniProject::OpenText(std::string text) {
  Close();
  m_data = std::move(text);
}

void OldIniProject::Close() {
  m_data.clear();
  m_line.clear();
  m_pos = m_vpos = 0;
}

bool OldIniProject::NextLine() {
  while (m_pos < m_data.size()) {
    while (m_pos < m_data.size() && IsBlank(m_data[m_pos])) ++m_pos;
    std::string raw;
    while (m_pos < m_data.size() && m_data[m_pos] != '\n' &&
           !(m_data[m_pos] == '\r' && m_pos + 1 < m_data.size() && m_data[m_pos + 1] == '\n')) {
      if (raw.size() < kMaxLine) raw += m_data[m_pos];
      ++m_pos;
    }
    if (m_pos < m_data.size()) m_pos += m_data[m_pos] == '\r' ? 2 : 1;
    if (raw.empty()) continue;
    // Comments become one blank; an unclosed one ends the line.
    std::string line;
    for (std::size_t i = 0; i < raw.size();) {
      if (raw.compare(i, 2, "/*") == 0) {
        const std::size_t end = raw.find("*/", i + 2);
        line += ' ';
        if (end == std::string::npos) break;
        i = end + 2;
      } else {
        line += raw[i++];
      }
    }
    std::size_t b = 0, e = line.size();
    while (b < e && line[b] == ' ') ++b;
    while (e > b && line[e - 1] == ' ') --e;
    m_line = line.substr(b, e - b);
    if (m_line.empty()) {
      if (m_pos >= m_data.size()) return false;
      m_line.assign(1, ' ');
    }
    m_vpos = 0;
    return true;
  }
  m_line.clear();
  return false;
}

void OldIniProject::SkipBlanks() {
  while (m_vpos < m_line.size() && IsBlank(m_line[m_vpos])) ++m_vpos;
}

bool OldIniProject::ReadSectionName(std::string* name) {
  name->clear();
  m_vpos = 0;
  if (!IsSectionLine()) return false;
  m_vpos = 1;
  SkipBlanks();
  while (m_vpos < m_line.size()) {
    const char c = m_line[m_vpos];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') break;
    if (name->size() < kMaxName) *name += char(std::toupper(static_cast<unsigned char>(c)));
    ++m_vpos;
  }
  SkipBlanks();
  if (m_vpos < m_line.size() && m_line[m_vpos] == ']') ++m_vpos;
  SkipBlanks();
  return !name->empty();
}

bool OldIniProject::ReadKeyName(std::string* name) {
  name->clear();
  m_vpos = 0;
  SkipBlanks();
  while (m_vpos < m_line.size()) {
    const char c = m_line[m_vpos];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') break;
    if (name->size() < kMaxName) *name += char(std::toupper(static_cast<unsigned char>(c)));
    ++m_vpos;
  }
  SkipBlanks();
  if (m_vpos < m_line.size() && m_line[m_vpos] == '=') ++m_vpos;
  SkipBlanks();
  return !name->empty();
}

int64_t OldIniProject::ReadNumber() {
  SkipBlanks();
  bool neg = false;
  if (m_vpos < m_line.size() && (m_line[m_vpos] == '-' || m_line[m_vpos] == '+') && !m_forceHex) {
    neg = m_line[m_vpos] == '-';
    ++m_vpos;
  }
  int64_t value = 0;
  const auto hexRun = [&](std::size_t from) {
    std::size_t i = from;
    while (i < m_line.size() && HexValue(m_line[i]) >= 0) ++i;
    return i;
  };
  if (m_line.compare(m_vpos, 2, "0x") == 0 || m_line.compare(m_vpos, 2, "0X") == 0) {
    const std::size_t end = hexRun(m_vpos + 2);
    for (std::size_t i = m_vpos + 2; i < end; ++i) value = (value << 4 | HexValue(m_line[i])) & 0xFFFFFFFF;
    m_vpos = end;
  } else {
    const std::size_t end = hexRun(m_vpos);
    const bool suffix = end < m_line.size() && (m_line[end] == 'H' || m_line[end] == 'h');
    if (m_forceHex || suffix) {
      for (std::size_t i = m_vpos; i < end; ++i) value = (value << 4 | HexValue(m_line[i])) & 0xFFFFFFFF;
      m_vpos = end + (suffix ? 1 : 0);
    } else {
      while (m_vpos < m_line.size() && std::isdigit(static_cast<unsigned char>(m_line[m_vpos]))) {
        value = (value * 10 + (m_line[m_vpos] - '0')) & 0xFFFFFFFF;
        ++m_vpos;
      }
    }
  }
  SkipBlanks();
  return neg ? -value : value;
}

void OldIniProject::ReadRange(uint32_t* start, uint32_t* end) {
  *start = uint32_t(ReadNumber());
  *end = *start;
  if (m_vpos < m_line.size() && (m_line[m_vpos] == '-' || m_line[m_vpos] == ',')) {
    ++m_vpos;
    *end = uint32_t(ReadNumber());
  }
}

std::string OldIniProject::ReadAddressText() {
  const bool was = m_forceHex;
  m_forceHex = true;
  const uint32_t v = uint32_t(ReadNumber());
  m_forceHex = was;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", v);
  return buf;
}

int OldIniProject::ReadYesNo() {
  SkipBlanks();
  std::string word;
  while (m_vpos < m_line.size() &&
         (std::isalnum(static_cast<unsigned char>(m_line[m_vpos])) || m_line[m_vpos] == '_'))
    word += char(std::toupper(static_cast<unsigned char>(m_line[m_vpos++])));
  SkipBlanks();
  return word == "YES" ? 1 : 0;
}

std::string OldIniProject::ReadText(std::size_t limit) {
  std::string text;
  while (m_vpos < m_line.size() && static_cast<unsigned char>(m_line[m_vpos]) != 0xFF) {
    if (text.size() < limit) text += m_line[m_vpos];
    ++m_vpos;
  }
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

std::string_view OldIniProject::Rest() const {
  return m_vpos < m_line.size() ? std::string_view(m_line).substr(m_vpos) : std::string_view();
}

}  // namespace pm2
