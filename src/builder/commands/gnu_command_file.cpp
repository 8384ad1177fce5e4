#include "builder/commands/gnu_command_file.h"

#include <vector>

#include "builder/runner/command_line_split.h"

namespace pm2 {

std::string GnuCommandFileText(const std::string& controls, const std::string& file) {
  std::vector<std::string> args = SplitCommandLine(controls);
  if (!file.empty()) args.push_back(file);
  std::string text;
  bool symbolFollows = false;
  for (std::string& a : args) {
    const bool define = symbolFollows || a.compare(0, 2, "-D") == 0 || a == "--defsym";
    symbolFollows = a == "--defsym";
    if (!define)
      for (char& c : a)
        if (c == '\\') c = '/';
    if (!text.empty()) text += ' ';
    for (char c : a) {
      if (c == ' ' || c == '\t' || c == '\\' || c == '"' || c == '\'') text += '\\';
      text += c;
    }
  }
  return text;
}

}  // namespace pm2
