#include "debugger/gdb/breakpoints/typed_breakpoint_numbers.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace pm2::gdb {

namespace {

// How a command takes its numbers: a list (each a number, a range or a
// location number "1.2"), or one number with the rest of the line its own.
enum class Takes { List, First };

struct NumberCommand {
  const char* name;
  std::size_t shortest;  // the shortest prefix gdb takes for it
  const char* alias;     // a shorter word gdb takes for it, or null
  Takes takes;
  bool modes;  // enable's "once", "delete", "count N"
  // The shortest prefix of its "breakpoints" subcommand that gdb takes
  // ("disable b" is "disable breakpoints"; "delete b" is ambiguous with
  // "delete bookmark"), 0 where it has none.
  std::size_t breakpointsShortest;
};

const NumberCommand kCommands[] = {
    {"delete", 3, "d", Takes::List, false, 2},      {"disable", 3, nullptr, Takes::List, false, 1},
    {"enable", 2, nullptr, Takes::List, true, 1},   {"condition", 4, nullptr, Takes::First, false, 0},
    {"ignore", 2, nullptr, Takes::First, false, 0}, {"commands", 4, nullptr, Takes::List, false, 0},
};

bool IsDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

const NumberCommand* CommandOf(const std::string& word) {
  for (const NumberCommand& c : kCommands) {
    const std::string name = c.name;
    if (c.alias && word == c.alias) return &c;
    if (word.size() >= c.shortest && word.size() <= name.size() && name.compare(0, word.size(), word) == 0) return &c;
  }
  return nullptr;
}

// One number argument as gdb's: "3" -> "4", "2.1" -> "3.1", "1-3" -> the
// user's breakpoints in the range. False with *err for what gdb would read
// as its own number.
bool MapNumber(const std::string& token, const TypedBreakpoints& b, std::vector<std::string>* out, std::string* err) {
  if (token[0] == '$') {
    *err = "'" + token + "' is gdb's number, not one BL lists";
    return false;
  }
  const std::size_t dash = token.find('-');
  if (dash != std::string::npos && dash > 0 && IsDigits(token.substr(0, dash)) && IsDigits(token.substr(dash + 1))) {
    if (!b.listed) {
      *err = "'" + token + "' names the breakpoints BL lists, and gdb lists none while the target runs: stop it first";
      return false;
    }
    const long from = std::atol(token.substr(0, dash).c_str()), to = std::atol(token.substr(dash + 1).c_str());
    for (int user : b.userNumbers)
      if (user >= from && user <= to) out->push_back(std::to_string(b.gdbNumber(user)));
    return true;
  }
  const std::size_t dot = token.find('.');
  const std::string whole = token.substr(0, dot);
  if (!IsDigits(whole) || whole.size() > 9) {
    out->push_back(token);  // gdb says what is wrong with it
    return true;
  }
  out->push_back(std::to_string(b.gdbNumber(std::atoi(whole.c_str()))) +
                 (dot == std::string::npos ? std::string() : token.substr(dot)));
  return true;
}

}  // namespace

bool TypedBreakpointCommand(const std::string& typed, const TypedBreakpoints& b, std::string* out, std::string* err) {
  *out = typed;
  std::istringstream in(typed);
  std::string word;
  if (!(in >> word)) return true;
  const NumberCommand* command = CommandOf(word);
  if (!command) return true;
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  std::size_t at = 0;
  std::string head = command->name;
  // "delete breakpoints 1"; another subcommand ("delete display 1",
  // "disable mem 2") names no breakpoint.
  if (command->takes == Takes::List && at < words.size() && !words[at].empty() &&
      std::isalpha(static_cast<unsigned char>(words[at][0]))) {
    const std::string sub = words[at];
    const bool breakpoints = command->breakpointsShortest > 0 && sub.size() >= command->breakpointsShortest &&
                             sub.size() <= 11 && std::string("breakpoints").compare(0, sub.size(), sub) == 0;
    const bool mode = command->modes && (sub == "once" || sub == "delete" || sub == "count");
    if (!breakpoints && !mode) return true;
    if (breakpoints) {
      head += " " + sub;
      ++at;
    }
  }
  // enable's modes come before the numbers.
  if (command->modes && at < words.size() && (words[at] == "once" || words[at] == "delete" || words[at] == "count")) {
    head += " " + words[at];
    if (words[at++] == "count" && at < words.size()) head += " " + words[at++];
  }
  // condition's "-force" before its number.
  while (command->takes == Takes::First && at < words.size() && words[at][0] == '-' && words[at].size() > 1 &&
         !std::isdigit(static_cast<unsigned char>(words[at][1])))
    head += " " + words[at++];
  std::vector<std::string> numbers;
  if (at == words.size()) {
    if (command->takes == Takes::First) return true;  // gdb asks for the number
    // No number: each of the user's breakpoints, none of the driver's.
    if (!b.listed) {
      *err = std::string("'") + command->name + "' without a number names every breakpoint BL lists, and gdb lists none while "
             "the target runs: stop it first";
      return false;
    }
    for (int user : b.userNumbers) numbers.push_back(std::to_string(b.gdbNumber(user)));
    if (numbers.empty()) {
      out->clear();
      return true;
    }
  } else if (command->takes == Takes::First) {
    if (!MapNumber(words[at++], b, &numbers, err)) return false;
    if (numbers.empty()) {
      out->clear();
      return true;
    }
    // The rest of the line as typed (a condition's own blanks kept).
    std::string rest;
    std::size_t skip = 0, pos = 0;
    const std::size_t wordsBefore = at + 1;  // the command word, then the words used
    while (skip < wordsBefore) {
      pos = typed.find_first_not_of(" \t", pos);
      pos = typed.find_first_of(" \t", pos);
      ++skip;
    }
    if (pos != std::string::npos) rest = typed.substr(pos);
    *out = head + " " + numbers[0] + rest;
    return true;
  } else {
    for (; at < words.size(); ++at)
      if (!MapNumber(words[at], b, &numbers, err)) return false;
    if (numbers.empty()) {
      out->clear();
      return true;
    }
  }
  *out = head;
  for (const std::string& n : numbers) *out += " " + n;
  return true;
}

}  // namespace pm2::gdb
