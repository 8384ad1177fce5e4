// gdb's command words as gdb reads them at the start of a line: a word of
// letters, digits, '-', '_' and '.', or one of the one-character commands
// '!' and '|'. gdb takes a command by its name, by one of its aliases, or
// by a beginning of its name that no other command shares; the judgements
// of what a line would make gdb do (nested_input.h, file_commands.h) read
// the word as gdb would.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pm2::gdb {

// A command (or an alias, a row of its own) and the shortest beginning of
// its name that gdb takes for it alone; a shorter one is ambiguous or
// another command's.
struct GdbCommandWord {
  const char* name;
  std::size_t shortest;
};

// The command word at `at` in lower case, *end set after it; "" when the
// text there starts no word.
std::string GdbWordAt(std::string_view text, std::size_t at, std::size_t* end);
// The first position from `at` that is not a blank.
std::size_t SkipGdbBlanks(std::string_view text, std::size_t at);
// Whether `word` (lower case) is the command's name or a beginning of it
// gdb takes for it.
bool Spells(std::string_view word, const GdbCommandWord& command);
template <std::size_t N>
bool SpellsAny(std::string_view word, const GdbCommandWord (&commands)[N]) {
  for (const GdbCommandWord& c : commands)
    if (Spells(word, c)) return true;
  return false;
}

}  // namespace pm2::gdb
