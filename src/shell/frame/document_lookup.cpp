#include "shell/frame/document_lookup.h"

#include <algorithm>
#include <cctype>

namespace pm2 {

const char* const kOpenFileFilter =
    "Source (*.c; *.h; *.a*; *.inc; *.src)|*.c;*.h;*.a*;*.inc;*.src|Text (*.txt)|*.txt|"
    "Listing (*.lst; *.m*)|*.lst;*.m*|C Source (*.c)|*.c|C Header (*.h)|*.h|Asm Source (*.a*)|*.a*|"
    "Asm Header (*.inc)|*.inc|All Files (*.*)|*.*||";

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::string BareName(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Hints of the document actions: the hint for every document, the one for
// the document holding the debugger's file, and one sent before them.
struct ActionHints {
  uint32_t before;
  uint32_t hint;
  uint32_t matchHint;
};
constexpr uint32_t kNone = 0;
constexpr ActionHints kActionHints[] = {
    {kNone, 0x12341000, 0x12341001},        // 0 debugger position
    {kNone, 0x12341002, 0x12341002},        // 1 session started
    {kNone, 0x12341000, 0x12341003},        // 2 debugger position, second form
    {kNone, 0x12341000, 0x12341000},        // 3 breakpoints changed
    {0x12342000, 0x12341000, 0x12341000},   // 4 breakpoints reloaded
    {kNone, 0x12348000, 0x12348000},        // 5 go to the debugger's address
    {kNone, 0x12342100, 0x12342100},        // 6 stored breakpoints
    {kNone, 0x12342110, 0x12342110},        // 7 before save or target change
};

constexpr const char* kHelpBase[] = {"Dbg51", "Dbg251", "Dbg166", "", ""};

}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter) {
  std::vector<FileFilterEntry> entries;
  std::vector<std::string> parts = Split(filter, '|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() || parts[i + 1].empty()) break;
    FileFilterEntry e;
    e.label = parts[i];
    for (std::string p : Split(parts[i + 1], ';')) {
      p.erase(0, p.find_first_not_of(' '));
      p.erase(p.find_last_not_of(' ') + 1);
      if (!p.empty()) e.patterns.push_back(p);
    }
    if (e.patterns.empty()) break;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string DialogNameFilter(const FileFilterEntry& entry) {
  // The dialog reads the patterns from the parentheses, split at blanks.
  std::string label = entry.label.substr(0, entry.label.find('('));
  label.erase(label.find_last_not_of(' ') + 1);
  std::string patterns;
  for (const std::string& p : entry.patterns) {
    if (!patterns.empty()) patterns += ' ';
    patterns += p == "*.*" ? "*" : p;
  }
  return label + " (" + patterns + ")";
}

uint32_t SourceFileId(int fileType, std::size_t pathLength) {
  if (pathLength == 0) return 0;
  return (uint32_t(fileType & 0xFFFF) << 16) | uint32_t(std::min<std::size_t>(pathLength, 0xFFFF));
}

std::vector<uint32_t> DocumentActionHints(int action, bool matches) {
  if (action < 0 || action >= int(std::size(kActionHints))) return {};
  const ActionHints& a = kActionHints[action];
  std::vector<uint32_t> hints;
  if (a.before != kNone) hints.push_back(a.before);
  hints.push_back(matches ? a.matchHint : a.hint);
  return hints;
}

bool IsDebuggerFile(const std::string& documentPath, const std::string& debuggerFile) {
  if (debuggerFile.empty()) return false;
  return Lower(BareName(documentPath)) == Lower(BareName(debuggerFile));
}

std::string ToolHelpBase(int toolset) {
  return toolset >= 0 && toolset < int(std::size(kHelpBase)) ? kHelpBase[toolset] : "";
}

ToolHelpRequest ToolHelpFor(int code, const std::string& text, int toolset, const std::string& toolsFolder) {
  ToolHelpRequest r;
  if (code == kHelpFile) {
    r.file = text;
    return r;
  }
  if (code != kHelpToolTopic && code != kHelpErrorMessage) return r;
  const std::string base = code == kHelpErrorMessage ? std::string("Errors") : ToolHelpBase(toolset);
  if (toolsFolder.empty() || base.empty()) return r;
  std::string folder = toolsFolder;
  const char sep = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos ? '\\' : '/';
  if (folder.back() != '/' && folder.back() != '\\') folder += sep;
  r.file = folder + "HLP" + sep + base + ".chm";
  r.keyword = text;
  return r;
}

}  // namespace pm2
