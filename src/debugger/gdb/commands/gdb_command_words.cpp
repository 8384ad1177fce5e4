#include "debugger/gdb/commands/gdb_command_words.h"

#include <cctype>
#include <cstring>

namespace pm2::gdb {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.'; }

}  // namespace

std::size_t SkipGdbBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && Blank(text[at])) ++at;
  return at;
}

std::string GdbWordAt(std::string_view text, std::size_t at, std::size_t* end) {
  if (at < text.size() && (text[at] == '!' || text[at] == '|')) {
    *end = at + 1;
    return std::string(1, text[at]);
  }
  std::size_t e = at;
  while (e < text.size() && NameChar(text[e])) ++e;
  *end = e;
  std::string word(text.substr(at, e - at));
  for (char& c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

bool Spells(std::string_view word, const GdbCommandWord& command) {
  const std::size_t length = std::strlen(command.name);
  return word.size() >= command.shortest && word.size() <= length &&
         std::string_view(command.name).substr(0, word.size()) == word;
}

}  // namespace pm2::gdb
