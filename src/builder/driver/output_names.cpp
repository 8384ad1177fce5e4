#include "builder/driver/output_names.h"

#include <unordered_set>

#include "builder/runner/command_line_split.h"

namespace pm2 {

namespace {

// What a tool writes beside a name it is given, with the same stem.
const char* const kDerivedExtensions[] = {".d", ".lst", ".map", ".hex"};

bool IsPieceBreak(char c) { return c == ',' || c == '=' || c == '(' || c == ')'; }

// The stem of a name: without its extension (a '.' after the last folder
// separator); empty when there is none to take off.
std::string_view Stem(std::string_view name) {
  const size_t dot = name.rfind('.');
  const size_t slash = name.find_last_of("/\\");
  if (dot == std::string_view::npos || dot == 0 || (slash != std::string_view::npos && dot < slash)) return {};
  if (slash != std::string_view::npos && dot == slash + 1) return {};
  return name.substr(0, dot);
}

}  // namespace

std::vector<std::string> NamesInToolArguments(std::string_view text) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  auto add = [&](std::string name) {
    // A piece that is an option's name or a number names no file; it costs
    // a look at the disk at most, so only the empty piece is left out.
    if (name.empty() || name.front() == '-' || !seen.insert(name).second) return;
    names.push_back(std::move(name));
  };
  for (const std::string& arg : SplitCommandLine(text)) {
    size_t start = 0;
    for (size_t i = 0; i <= arg.size(); ++i) {
      if (i < arg.size() && !IsPieceBreak(arg[i])) continue;
      std::string_view piece = std::string_view(arg).substr(start, i - start);
      // A quoted name inside an argument ("-Map=\"x.map\"") keeps its quotes.
      while (!piece.empty() && piece.front() == '"') piece.remove_prefix(1);
      while (!piece.empty() && piece.back() == '"') piece.remove_suffix(1);
      add(std::string(piece));
      start = i + 1;
    }
  }
  const size_t given = names.size();
  for (size_t i = 0; i < given; ++i) {
    const std::string stem(Stem(names[i]));
    if (stem.empty()) continue;
    for (const char* ext : kDerivedExtensions) add(stem + ext);
  }
  return names;
}

}  // namespace pm2
