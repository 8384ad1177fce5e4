#include "builder/runner/command_line_split.h"

namespace pm2 {

namespace {
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

std::vector<CommandLineArg> SplitCommandLineArgs(std::string_view line) {
  std::vector<CommandLineArg> args;
  size_t i = 0;
  const size_t n = line.size();
  while (true) {
    while (i < n && IsSeparator(line[i])) ++i;
    if (i >= n) break;
    CommandLineArg arg;
    arg.offset = i;
    bool quoted = false;
    while (i < n) {
      char c = line[i];
      if (!quoted && IsSeparator(c)) break;
      if (c == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') ++slashes, ++i;
        if (i < n && line[i] == '"') {
          arg.text.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg.text += '"';
            ++i;
          }
        } else {
          arg.text.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg.text += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.text += c;
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> out;
  for (auto& a : SplitCommandLineArgs(line)) out.push_back(std::move(a.text));
  return out;
}

std::string QuoteCommandLineArg(std::string_view arg) {
  if (!arg.empty() && arg.find_first_of(" \t\r\n\"") == std::string_view::npos) return std::string(arg);
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
      out += '"';
    } else {
      out.append(slashes, '\\');
      out += c;
    }
    slashes = 0;
  }
  out.append(slashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace pm2
