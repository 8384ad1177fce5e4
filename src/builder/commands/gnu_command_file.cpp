#include "builder/commands/gnu_command_file.h"

#include <vector>

#include "builder/commands/arm_controls.h"
#include "builder/runner/command_line_split.h"
#include "project/model/project_records.h"

namespace pm2 {

namespace {

struct LanguageRow {
  uint8_t fileType;
  bool assembler;  // the GNU assembler's line, not the compiler's
  std::string_view language;
};

// The C compiler takes C sources only; the assembler needs no name.
constexpr LanguageRow kLanguages[] = {
    {kFileC, false, "c"},
};

}  // namespace

std::string_view GnuSourceLanguage(uint8_t fileType, bool assembler) {
  for (const LanguageRow& row : kLanguages)
    if (row.fileType == fileType && row.assembler == assembler) return row.language;
  return {};
}

std::string GnuCommandFileText(const std::string& controls, const std::string& file, std::string_view language) {
  std::vector<std::string> args = SplitCommandLine(controls);
  if (!file.empty() && !language.empty()) {
    args.push_back("-x");
    args.emplace_back(language);
  }
  if (!file.empty()) args.push_back(NotAnOption(file));
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
