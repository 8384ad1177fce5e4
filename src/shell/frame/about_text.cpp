#include "shell/frame/about_text.h"


namespace pm2 {

const char* const kAboutNoTarget = "No project or target is selected: the tool versions cannot be shown.";

namespace {

struct ToolRow {
  int toolset;
  const char* title;
  const char* program;
};

// The programs the build runs for each toolset, in build order.
constexpr ToolRow kTools[] = {
    {0, "C Compiler:", "Q51"},       {0, "Assembler:", "W51"},     {0, "Linker/Locator:", "NB51"},
    {0, "Librarian:", "ARX51"},      {0, "Hex Converter:", "HZ51"},
    {1, "C Compiler:", "Q251"},      {1, "Assembler:", "W251"},    {1, "Linker/Locator:", "N251"},
    {1, "Librarian:", "ARX251"},     {1, "Hex Converter:", "HZ251"},
    {2, "C Compiler:", "Q166"},      {2, "Assembler:", "W166"},    {2, "Linker/Locator:", "N166"},
    {2, "Librarian:", "ARX166"},     {2, "Hex Converter:", "HZ166"},
    {3, "C Compiler:", "arm-uclibc-gcc"}, {3, "Assembler:", "arm-uclibc-as"},
    {3, "Hex Converter:", "arm-uclibc-objcopy"}, {3, "Librarian:", "arm-uclibc-ar"},
    {4, "C Compiler:", "ArmCC"},     {4, "Assembler:", "ArmAsm"},  {4, "Linker:", "ArmLink"},
    {4, "Hex Converter:", "fromelf"}, {4, "Librarian:", "ArmAr"},
};


}  // namespace

std::string VersionFromBanner(const std::string& line) {
  std::string found, word;
  auto take = [&] {
    bool digits = !word.empty(), dot = false;
    for (std::size_t i = 0; i < word.size() && digits; ++i) {
      if (word[i] == '.') {
        dot = true;
        digits = i > 0 && i + 1 < word.size() && word[i - 1] != '.';
      } else {
        digits = word[i] >= '0' && word[i] <= '9';
      }
    }
    if (digits && dot) found = word;
    word.clear();
  };
  for (char c : line) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
      take();
    else
      word += c;
  }
  take();
  return found;
}

std::vector<AboutTool> AboutToolsOf(int toolset) {
  std::vector<AboutTool> tools;
  for (const ToolRow& r : kTools)
    if (r.toolset == toolset) tools.push_back({r.title, r.program, {}});
  return tools;
}

std::string AboutText(const AboutInfo& info) {
  std::string raw = info.version + "\n";
  if (info.hasTarget) {
    // The lines "Toolchain Path:\t%s", "%s\t%s  \t V%s" (or without the
    // version) and "Target DLL:     %s", put together without a formatter
    // so that a '%' in a folder stays as it is. The programs keep their
    // names as they are here: no ".Exe".
    raw += "Toolchain Path:\t" + info.toolchainPath + "\n";
    for (const AboutTool& t : info.tools)
      raw += t.title + "\t" + t.program + (t.version.empty() ? "" : "  \t V" + t.version) + "\n";
    if (!info.targetDll.empty()) raw += "Target DLL:     " + info.targetDll + "\n";
  }
  std::string text;
  for (char c : raw) {
    if (c == '\t')
      text += "    ";
    else
      text += c;
  }
  if (text.size() > kAboutTextLimit) text.resize(kAboutTextLimit);
  return text;
}

}  // namespace pm2
