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
  // gdb reads "$bpnum" (alone or as a range's end) as its own number,
  // which counts the driver's breakpoints too.
  if (token.find('$') != std::string::npos) {
    *err = "'" + token + "' names gdb's numbers, not those BL lists";
    return false;
  }
  const std::size_t dash = token.find('-');
  if (dash != std::string::npos && dash > 0 && IsDigits(token.substr(0, dash)) && IsDigits(token.substr(dash + 1))) {
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

// gdb's "with SETTING [VALUE] -- COMMAND" runs COMMAND with the setting
// changed for it: *at gets where COMMAND starts ("" when none follows).
bool WithPrefix(const std::string& typed, const std::string& word, std::size_t* at) {
  if (word != "with" && word != "w") return false;
  // "--" as a word of its own.
  for (std::size_t pos = typed.find("--"); pos != std::string::npos; pos = typed.find("--", pos + 2)) {
    const bool before = pos == 0 || typed[pos - 1] == ' ' || typed[pos - 1] == '\t';
    const bool after = pos + 2 == typed.size() || typed[pos + 2] == ' ' || typed[pos + 2] == '\t';
    if (!before || !after) continue;
    *at = typed.find_first_not_of(" \t", pos + 2);
    return true;
  }
  *at = std::string::npos;
  return true;
}

bool TypedBreakpointCommand(const std::string& typed, const TypedBreakpoints& b, std::string* out, std::string* err) {
  *out = typed;
  std::istringstream in(typed);
  std::string word;
  if (!(in >> word)) return true;
  if (std::size_t at = 0; WithPrefix(typed, word, &at)) {
    // Without a command gdb repeats its last one, which need not be the
    // one last typed here.
    if (at == std::string::npos) {
      *err = "'" + word + "' without '-- command' repeats gdb's last command: give the command after '--'";
      return false;
    }
    std::string inner;
    if (!TypedBreakpointCommand(typed.substr(at), b, &inner, err)) return false;
    *out = inner.empty() ? std::string() : typed.substr(0, at) + inner;
    return true;
  }
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
  if (b.running) {
    *err = std::string("'") + command->name +
           "' changes breakpoints, which gdb does not while the target runs (it would mark some changed and refuse "
           "the command): stop it first";
    return false;
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
