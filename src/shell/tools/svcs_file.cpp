#include "shell/tools/svcs_file.h"

#include <algorithm>
#include <cstdio>

#include "platform/ascii_case.h"
#include "platform/atomic_file.h"

namespace pm2 {
namespace {

constexpr const char* kKeyNames[] = {
    "MenuItem",     "Command",      "Arguments",     "Environment",     "RunMinimized",
    "DataBase",     "QueryComment", "QueryRevision", "QueryCheckPoint",
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Comments become one blank; blanks at both ends are removed.
std::string CleanLine(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '/' && i + 1 < raw.size() && raw[i + 1] == '*') {
      size_t end = raw.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      out += ' ';
      i = end + 1;
      continue;
    }
    out += raw[i];
  }
  size_t b = 0, e = out.size();
  while (b < e && IsBlank(out[b])) ++b;
  while (e > b && IsBlank(out[e - 1])) --e;
  return out.substr(b, e - b);
}

std::string TextValue(std::string_view v, size_t limit) {
  size_t end = 0;
  while (end < v.size() && v[end] != '\0' && static_cast<unsigned char>(v[end]) != 0xFF) ++end;
  // Cut first, so that blanks the cut leaves at the end go too and a
  // written value reads back the same.
  v = v.substr(0, std::min(end, limit));
  while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
  return std::string(v);
}

}  // namespace

int LookupSvcsKey(std::string_view name) {
  for (int i = 0; i < static_cast<int>(std::size(kKeyNames)); ++i)
    if (EqualIgnoringCase(name, kKeyNames[i])) return i;
  return -1;
}

std::vector<std::string> SplitSvcsLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    while (pos < bytes.size() && IsBlank(bytes[pos])) ++pos;
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    raw = raw.substr(0, kSvcsLineLimit);
    pos = end + 1;
    std::string line = CleanLine(raw);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

bool ParseSvcsNumber(std::string_view t, uint32_t* value) {
  uint32_t v = 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    for (char c : t.substr(2)) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint32_t>(d);
    }
  } else if (t.size() > 1 && (t.back() == 'h' || t.back() == 'H')) {
    for (char c : t.substr(0, t.size() - 1)) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint32_t>(d);
    }
  } else {
    if (t.empty()) return false;
    for (char c : t) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + static_cast<uint32_t>(c - '0');
    }
  }
  *value = v;
  return true;
}

std::vector<SvcsSection> ParseSvcs(std::string_view bytes) {
  std::vector<SvcsSection> sections;
  const std::vector<std::string> lines = SplitSvcsLines(bytes);
  size_t i = 0;
  while (i < lines.size() && lines[i][0] == '[') {
    const std::string& head = lines[i++];
    size_t close = head.find(']');
    SvcsSection section;
    section.name = head.substr(1, close == std::string::npos ? std::string::npos : close - 1)
                       .substr(0, kSvcsNameLimit);
    for (; i < lines.size() && lines[i][0] != '['; ++i) {
      std::string_view line = lines[i];
      size_t n = 0;
      while (n < line.size() && IsNameChar(line[n])) ++n;
      if (n == 0 || n > kSvcsNameLimit) continue;
      int code = LookupSvcsKey(line.substr(0, n));
      size_t p = n;
      while (p < line.size() && IsBlank(line[p])) ++p;
      if (code < 0 || p >= line.size() || line[p] != '=') continue;
      ++p;
      while (p < line.size() && IsBlank(line[p])) ++p;
      std::string_view value = line.substr(p);
      if (code == kSvcsMenuItem) {
        section.entries.emplace_back();
        section.entries.back().menuText = TextValue(value, kSvcsMenuTextLimit);
        continue;
      }
      if (code == kSvcsDataBase) {
        section.dataBase = TextValue(value, kSvcsTextLimit);
        continue;
      }
      if (section.entries.empty()) continue;
      SvcsEntry& e = section.entries.back();
      uint32_t number = 0;
      switch (code) {
        case kSvcsCommand: e.command = TextValue(value, kSvcsTextLimit); break;
        case kSvcsArguments: e.arguments = TextValue(value, kSvcsTextLimit); break;
        case kSvcsEnvironment: e.environment = TextValue(value, kSvcsTextLimit); break;
        default: {
          uint8_t* flag = code == kSvcsRunMinimized   ? &e.runMinimized
                          : code == kSvcsQueryComment ? &e.queryComment
                          : code == kSvcsQueryRevision ? &e.queryRevision
                                                       : &e.queryCheckPoint;
          if (ParseSvcsNumber(TextValue(value, kSvcsTextLimit), &number))
            *flag = static_cast<uint8_t>(number);
          break;
        }
      }
    }
    sections.push_back(std::move(section));
  }
  return sections;
}

std::string SerializeSvcs(const std::vector<SvcsSection>& sections) {
  std::string out;
  auto line = [&out](const char* indent, const char* key, const std::string& value) {
    out += indent;
    out += key;
    out += '=';
    out += value;
    out += "\r\n";
  };
  for (const SvcsSection& s : sections) {
    out += "[" + s.name + "]\r\n";
    line("  ", "DataBase", s.dataBase);
    for (const SvcsEntry& e : s.entries) {
      if (e.deleted || e.menuText.empty()) continue;
      line("  ", "MenuItem", e.menuText);
      line("    ", "Command", e.command);
      line("    ", "Arguments", e.arguments);
      line("    ", "Environment", e.environment);
      line("    ", "RunMinimized", std::to_string(e.runMinimized));
      line("    ", "QueryComment", std::to_string(e.queryComment));
      line("    ", "QueryRevision", std::to_string(e.queryRevision));
      line("    ", "QueryCheckPoint", std::to_string(e.queryCheckPoint));
    }
  }
  return out;
}

bool ReadSvcsFile(const std::string& path, std::vector<SvcsSection>* sections, std::string* err) {
  sections->clear();
  std::string bytes;
  if (!ReadWholeFile(path, bytes, err)) return false;
  *sections = ParseSvcs(bytes);
  return true;
}

bool WriteSvcsFile(const std::string& path, const std::vector<SvcsSection>& sections,
                   std::string* err) {
  if (WriteFileAtomically(path, SerializeSvcs(sections), nullptr)) return true;
  if (err) *err = "Can't write to file '" + path + "' !";
  return false;
}

}  // namespace pm2
