#include "debugger/gdb/commands/command_language.h"

#include "debugger/driver_shared/command_arguments.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "debugger/gdb/breakpoints/breakpoint_expression.h"
#include "debugger/gdb/commands/expression_effects.h"
#include "debugger/gdb/commands/file_commands.h"
#include "debugger/gdb/mi/mi_parser.h"

namespace pm2::gdb {

namespace {

// The register page's names and gdb's.
struct RegisterName {
  const char* shown;
  const char* gdb;
};
constexpr RegisterName kRegisters[] = {
    {"R0", "$r0"},   {"R1", "$r1"},   {"R2", "$r2"},   {"R3", "$r3"}, {"R4", "$r4"},   {"R5", "$r5"},
    {"R6", "$r6"},   {"R7", "$r7"},   {"R8", "$r8"},   {"R9", "$r9"}, {"R10", "$r10"}, {"R11", "$r11"},
    {"R12", "$r12"}, {"R13", "$sp"},  {"R14", "$lr"},  {"R15", "$pc"}, {"SP", "$sp"},   {"LR", "$lr"},
    {"PC", "$pc"},   {"CPSR", "$cpsr"}};

// A register's name in any case ("r0", "Sp", "PC").
const char* GdbRegister(std::string_view word) {
  for (const RegisterName& r : kRegisters) {
    if (word.size() != std::strlen(r.shown)) continue;
    bool same = true;
    for (std::size_t i = 0; i < word.size() && same; ++i)
      same = std::toupper(static_cast<unsigned char>(word[i])) == r.shown[i];
    if (same) return r.gdb;
  }
  return nullptr;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string_view Trim(std::string_view s) { return TrimCommandBlanks(s); }

bool IsIdentifier(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!IsWordChar(c)) return false;
  return true;
}

bool IsNumber(std::string_view s) {
  if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!IsWordChar(c)) return false;
  return true;
}

std::vector<std::string_view> SplitArguments(std::string_view s) { return SplitCommandArguments(s); }

bool ParseCount(std::string_view s, uint32_t* out) {
  const std::string t(s);
  char* end = nullptr;
  const unsigned long long v = std::strtoull(t.c_str(), &end, 0);
  if (t.empty() || !end || *end != '\0' || v == 0 || v > 0xFFFFFFFFull) return false;
  *out = uint32_t(v);
  return true;
}

// A quoted text of the language ("C:\\a\\b.ini", "print n") unquoted; a
// text without quotes stands as it is.
bool Unquote(std::string_view s, std::string* out) {
  if (s.empty() || s[0] != '"') {
    out->assign(s);
    return true;
  }
  std::size_t used = 0;
  return ParseMiCString(s, out, &used) && used == s.size();
}

CommandTranslation Refused(std::string why) {
  CommandTranslation t;
  t.action = CommandAction::Refuse;
  t.error = std::move(why);
  return t;
}

// The breakpoint numbers of BK, BD and BE: "*" or numbers split at commas.
CommandTranslation Numbers(CommandAction action, const char* word, std::string_view rest) {
  CommandTranslation t;
  t.action = action;
  if (rest == "*") {
    t.all = true;
    return t;
  }
  for (std::string_view piece : SplitArguments(rest)) {
    uint32_t n = 0;
    if (!IsNumber(piece) || !ParseCount(piece, &n) || n > 0x7FFFFFFF)
      return Refused(std::string(word) + ": a breakpoint number or * expected, not '" + std::string(piece) + "'");
    t.numbers.push_back(int(n));
  }
  return t;
}

CommandTranslation Go(std::string_view rest) {
  CommandTranslation t;
  if (rest.empty()) {
    t.action = CommandAction::Go;
    return t;
  }
  if (rest[0] != ',') return Refused("G: ',' and a stop address expected, not '" + std::string(rest) + "'");
  std::string err;
  if (!GdbLocation(Trim(rest.substr(1)), &t.location, &err)) return Refused("G: " + err);
  t.action = CommandAction::RunUntil;
  return t;
}

CommandTranslation SetBreakpoint(std::string_view rest) {
  const std::vector<std::string_view> args = SplitArguments(rest);
  if (args.size() > 3) return Refused("BS: at most an address, a count and a command");
  CommandTranslation t;
  std::string err;
  std::string gdbForm;
  if (GdbExpression(args[0], &gdbForm, &err) && IsTruthExpression(gdbForm)) {
    // gdb evaluates a conditional breakpoint's expression at every step.
    if (std::string fault = ReadOnlyExpressionFault(gdbForm, WholeLiteral::Refused); !fault.empty())
      return Refused("BS: " + fault);
    t.truth = gdbForm;
  } else if (!GdbLocation(args[0], &t.location, &err)) {
    return Refused("BS: " + err);
  }
  if (args.size() > 1 && !ParseCount(args[1], &t.count))
    return Refused("BS: the count must be a number from 1, not '" + std::string(args[1]) + "'");
  if (args.size() > 2) {
    if (args[2].empty() || args[2][0] != '"' || !Unquote(args[2], &t.command))
      return Refused("BS: the command must be a quoted text, not '" + std::string(args[2]) + "'");
    if (!SingleLine(t.command, &err)) return Refused("BS: the command " + err);
  }
  t.action = CommandAction::SetBreakpoint;
  return t;
}

CommandTranslation Include(std::string_view rest) {
  CommandTranslation t;
  if (rest.empty()) return Refused("Include: a file name expected");
  if (!Unquote(rest, &t.file)) return Refused("Include: the file name's quotes are not closed");
  std::string err;
  if (t.file.empty() || !SingleLine(t.file, &err)) return Refused("Include: the file name " + err);
  t.action = CommandAction::Include;
  return t;
}

// "U address": the code there, in the disassembly window. The address is
// only read.
CommandTranslation ShowCode(std::string_view rest) {
  CommandTranslation t;
  std::string err;
  if (!GdbExpression(rest, &t.expression, &err)) return Refused("U: " + err);
  if (std::string fault = ReadOnlyExpressionFault(t.expression); !fault.empty()) return Refused("U: " + fault);
  t.action = CommandAction::ShowCode;
  return t;
}

// The words of the language, compared ignoring case.
struct Word {
  const char* name;
  const char* what;  // "the command that ...", for a line that reads like an assignment to it
  CommandTranslation (*translate)(std::string_view rest);
};
const Word kWords[] = {
    {"G", "runs the program", Go},
    {"BS", "sets a breakpoint", SetBreakpoint},
    {"BK", "kills breakpoints", [](std::string_view r) { return Numbers(CommandAction::KillBreakpoints, "BK", r); }},
    {"BD", "disables breakpoints",
     [](std::string_view r) { return Numbers(CommandAction::DisableBreakpoints, "BD", r); }},
    {"BE", "enables breakpoints",
     [](std::string_view r) { return Numbers(CommandAction::EnableBreakpoints, "BE", r); }},
    {"BL", "lists the breakpoints",
     [](std::string_view r) {
       if (!r.empty()) return Refused("BL: no arguments expected");
       CommandTranslation t;
       t.action = CommandAction::ListBreakpoints;
       return t;
     }},
    {"INCLUDE", "runs the lines of a file", Include},
    {"U", "shows the code at an address", ShowCode},
};
// Words the IDE sends that the GDB driver has no counterpart for.
const char* const kWithoutCounterpart[] = {"MAP", "PA", "LOAD"};

// True when `rest` opens with an assignment operator ("= 5", "+= 1",
// "<<= 2"), not a comparison ("== 5").
bool OpensWithAssignment(std::string_view rest) {
  static const char* const kOperators[] = {"<<=", ">>=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "="};
  for (const char* op : kOperators) {
    const std::size_t n = std::strlen(op);
    if (rest.substr(0, n) == op) return n > 1 || rest.size() == 1 || rest[1] != '=';
  }
  return false;
}

bool SameWord(std::string_view a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  return true;
}

// The position of an assignment's '=' at bracket depth 0 ("==", "<=", ">=",
// "!=" are comparisons), or npos. The left side is one expression: two
// words side by side outside brackets ("set var x = 1", "print x = 1") make
// the line a command of gdb's instead.
std::size_t AssignmentAt(std::string_view s) {
  int depth = 0;
  char quote = 0;
  bool wordEnded = false, sawWord = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quote) {
      if (c == '\\' && i + 1 < s.size()) ++i;
      else if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c == '(' || c == '[') ++depth;
    if ((c == ')' || c == ']') && depth > 0) --depth;
    if (depth == 0) {
      if (IsWordChar(c) || c == '$') {
        if (wordEnded && sawWord) return std::string_view::npos;
        sawWord = true;
        wordEnded = false;
      } else if (c == ' ' || c == '\t') {
        wordEnded = sawWord;
      } else {
        sawWord = false;
        wordEnded = false;
      }
    }
    if (c != '=' || depth != 0) continue;
    const char before = i > 0 ? s[i - 1] : '\0';
    const char after = i + 1 < s.size() ? s[i + 1] : '\0';
    if (after == '=' || before == '=' || before == '<' || before == '>' || before == '!') return std::string_view::npos;
    return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool SingleLine(std::string_view text, std::string* err) {
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      *err = "holds a line end";
      return false;
    }
    if (c == '\0') {
      *err = "holds a NUL character";
      return false;
    }
  }
  return true;
}

bool GdbExpression(std::string_view text, std::string* out, std::string* err) {
  out->clear();
  if (!SingleLine(text, err)) {
    *err = "the expression " + *err;
    return false;
  }
  char quote = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (quote) {
      out->push_back(c);
      if (c == '\\' && i + 1 < text.size()) out->push_back(text[++i]);
      else if (c == quote) quote = 0;
      ++i;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      out->push_back(c);
      ++i;
      continue;
    }
    if (!IsWordChar(c) && c != '$') {
      out->push_back(c);
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    while (end < text.size() && IsWordChar(text[end])) ++end;
    const std::string_view word = text.substr(i, end - i);
    // A member (".PC", "->SP") keeps its name.
    const bool member = (i > 0 && text[i - 1] == '.') || (i > 1 && text[i - 1] == '>' && text[i - 2] == '-');
    if (word.size() > 2 && word[0] == '$' && word[1] == '_') {
      std::size_t next = end;
      while (next < text.size() && text[next] == ' ') ++next;
      if (next < text.size() && text[next] == '(') {
        *err = "gdb's own function '" + std::string(word) + "' is not allowed in an expression";
        return false;
      }
    }
    const char* reg = member || std::isdigit(static_cast<unsigned char>(c)) ? nullptr : GdbRegister(word);
    out->append(reg ? std::string_view(reg) : word);
    i = end;
  }
  if (quote) {
    *err = "the expression's quotes are not closed";
    return false;
  }
  if (Trim(*out).empty()) {
    *err = "an expression expected";
    return false;
  }
  return true;
}

namespace {

// A character of a source file's name in gdb's "file:line" ("LED.c",
// "src/Timer.c"): nothing gdb's location would read otherwise.
bool IsFileNameChar(char c) { return IsWordChar(c) || c == '.' || c == '/' || c == '-' || c == '+'; }

// gdb's own "file:line" ("LED.c:13"), the file's name also in quotes
// ("\"LED.c\":13", as gdb's own break takes it): no expression of C has
// that form. *out gets gdb's location, the name unquoted.
bool SourceLineLocation(std::string_view t, std::string* out) {
  const std::size_t colon = t.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == t.size()) return false;
  std::string_view file = t.substr(0, colon);
  const std::string_view line = t.substr(colon + 1);
  for (char c : line)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  if (file.size() >= 2 && (file.front() == '"' || file.front() == '\'') && file.back() == file.front())
    file = file.substr(1, file.size() - 2);
  if (file.empty() || std::isdigit(static_cast<unsigned char>(file[0]))) return false;
  for (char c : file)
    if (!IsFileNameChar(c)) return false;
  const unsigned long number = std::strtoul(std::string(line).c_str(), nullptr, 10);
  if (number == 0 || line.size() > 9) return false;
  *out = std::string(file) + ":" + std::to_string(number);
  return true;
}

}  // namespace

bool GdbLocation(std::string_view text, std::string* out, std::string* err) {
  const std::string_view t = Trim(text);
  if (SourceLineLocation(t, out)) return true;
  if (IsIdentifier(t) && !GdbRegister(t)) {
    if (!SingleLine(t, err)) return false;
    out->assign(t);
    return true;
  }
  std::string expression;
  if (!GdbExpression(t, &expression, err)) return false;
  // gdb evaluates the location as it sets the breakpoint: it only reads.
  // A location is an address, which a lone literal ("main" in quotes) has
  // only once gdb placed it in target memory.
  if (std::string fault = ReadOnlyExpressionFault(expression, WholeLiteral::Refused); !fault.empty()) {
    *err = std::move(fault);
    return false;
  }
  const bool single = IsNumber(expression) || (expression[0] == '$' && IsIdentifier(expression.substr(1)));
  *out = single ? "*" + expression : "*(" + expression + ")";
  return true;
}

bool ValueNumber(const std::string& text, uint64_t* out) {
  std::string_view t = text;
  // A function's value names its type first ("{int (void)} 0x220 <main>"),
  // and so do the stack's and program counter's ("(void *) 0x40007f48",
  // "(void (*)()) 0x230 <main+16>").
  if (!t.empty() && (t[0] == '{' || t[0] == '(')) {
    const char open = t[0], close = open == '{' ? '}' : ')';
    int depth = 0;
    std::size_t end = std::string_view::npos;
    for (std::size_t i = 0; i < t.size() && end == std::string_view::npos; ++i) {
      if (t[i] == open) ++depth;
      if (t[i] == close && --depth == 0) end = i;
    }
    if (end == std::string_view::npos || end + 1 >= t.size() || t[end + 1] != ' ') return false;
    t.remove_prefix(end + 2);
  }
  const std::string number(t.substr(0, t.find(' ')));
  if (number.empty()) return false;
  char* end = nullptr;
  const char* s = number.c_str();
  if (number[0] == '-')
    *out = uint64_t(std::strtoll(s, &end, 0));
  else if (number.size() > 1 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X'))
    *out = std::strtoull(s + 2, &end, 16);
  else
    *out = std::strtoull(s, &end, 10);
  return end && end != s && *end == '\0';
}

CommandTranslation TranslateCommand(std::string_view line, CommandOrigin origin) {
  // One line end closes a command; any other is refused.
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string err;
  if (!SingleLine(line, &err)) return Refused("the command " + err);
  line = Trim(line);
  if (line.empty()) return Refused("an empty command");
  // Whatever the line becomes (an assignment, a word of the language, a
  // command of gdb's), gdb evaluates its expressions: from a file none may
  // reach one of gdb's own functions.
  if (origin == CommandOrigin::File)
    if (std::string why = OwnFunctionFault(line); !why.empty()) return Refused(std::move(why));
  // "$=address": the program counter.
  if (line[0] == '$') {
    const std::string_view rest = Trim(line.substr(1));
    if (!rest.empty() && rest[0] == '=' && (rest.size() == 1 || rest[1] != '=')) {
      CommandTranslation t;
      if (!GdbExpression(Trim(rest.substr(1)), &t.expression, &err)) return Refused("$=: " + err);
      t.action = CommandAction::SetPc;
      return t;
    }
  }
  std::size_t wordEnd = 0;
  while (wordEnd < line.size() && IsWordChar(line[wordEnd])) ++wordEnd;
  const std::string_view word = line.substr(0, wordEnd);
  const std::string_view rest = Trim(line.substr(wordEnd));
  // A word of the language stands alone or before a blank, a comma or a quote.
  const bool wordAlone = !word.empty() && (rest.empty() || wordEnd == line.size() || line[wordEnd] == ' ' ||
                                           line[wordEnd] == '\t' || line[wordEnd] == ',' || line[wordEnd] == '"');
  if (wordAlone) {
    for (const Word& w : kWords) {
      if (!SameWord(word, w.name)) continue;
      // "U = 5" reads as the command U; the program's variable of that
      // name is set in brackets. The line can't be taken for the variable
      // here: the disassembly window's Show Code at Address sends "U " and
      // the user's address text, and what it sends must only read.
      if (OpensWithAssignment(rest)) {
        const std::string name(word);
        return Refused(name + " " + std::string(rest) + ": " + name + " is the command that " + w.what +
                       "; to set the variable " + name + ", write (" + name + ") " + std::string(rest));
      }
      return w.translate(rest);
    }
    for (const char* w : kWithoutCounterpart)
      if (SameWord(word, w)) return Refused("the GDB driver has no " + std::string(w) + " command");
  }
  const std::size_t eq = AssignmentAt(line);
  if (eq != std::string_view::npos) {
    std::string left, right;
    if (!GdbExpression(Trim(line.substr(0, eq)), &left, &err) ||
        !GdbExpression(Trim(line.substr(eq + 1)), &right, &err))
      return Refused("assignment: " + err);
    CommandTranslation t;
    t.action = CommandAction::Assign;
    t.expression = left + " = " + right;
    return t;
  }
  if (origin == CommandOrigin::File)
    if (std::string why = FileCommandRefusal(line); !why.empty()) return Refused(std::move(why));
  if (origin != CommandOrigin::Ide) {
    CommandTranslation t;
    t.action = CommandAction::Typed;
    t.expression.assign(line);
    return t;
  }
  return Refused("'" + std::string(line.substr(0, 40)) + "' is not a command the GDB driver knows");
}

bool BreakpointCommand(std::string_view command, CommandOrigin origin, std::string* out, std::string* err) {
  const CommandTranslation t =
      TranslateCommand(command, origin == CommandOrigin::Ide ? CommandOrigin::Ide : CommandOrigin::File);
  switch (t.action) {
    case CommandAction::Typed: *out = t.expression; return true;
    case CommandAction::Go: *out = "continue"; return true;
    case CommandAction::Assign: *out = "print " + t.expression; return true;
    case CommandAction::SetPc: *out = "print $pc = " + t.expression; return true;
    case CommandAction::Refuse: *err = t.error; return false;
    default:
      *err = "'" + std::string(Trim(command)) + "' can't run at a breakpoint";
      return false;
  }
}

}  // namespace pm2::gdb
