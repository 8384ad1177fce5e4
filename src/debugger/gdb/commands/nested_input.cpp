#include "debugger/gdb/commands/nested_input.h"

#include <cctype>
#include <cstddef>

namespace pm2::gdb {

namespace {

enum class Reads {
  Always,         // whatever follows the command word
  WithoutOperand,  // only when nothing follows it (else the operand is the one line)
  WithoutCode      // only when nothing follows it but its subcommand "code"
};

constexpr const char* kCompileCode = "the one-line form 'compile code <code>' is taken";

struct NestedCommand {
  const char* name;         // gdb's name of the command (or an alias of it)
  std::size_t shortest;     // the shortest abbreviation gdb takes for it alone
  Reads reads;
  const char* what;         // what gdb would wait for
  const char* instead;      // the way that works from the command page ("" none)
};

// The abbreviations are gdb's own: a shorter one is ambiguous ("def":
// define or define-prefix) or another command ("wh" is winheight).
constexpr NestedCommand kNested[] = {
    {"commands", 4, Reads::Always, "a breakpoint's command list up to 'end'",
     "give a breakpoint its command in the Breakpoints dialog or with BS ..., \"command\""},
    {"define", 6, Reads::Always, "the new command's lines up to 'end'", ""},
    {"document", 3, Reads::Always, "the documentation up to 'end'", ""},
    {"while", 5, Reads::Always, "the loop's body up to 'end'", ""},
    {"if", 2, Reads::Always, "the lines to run up to 'end'", ""},
    {"while-stepping", 7, Reads::Always, "a tracepoint's actions up to 'end'", ""},
    {"stepping", 5, Reads::Always, "a tracepoint's actions up to 'end'", ""},
    {"ws", 2, Reads::Always, "a tracepoint's actions up to 'end'", ""},
    {"actions", 2, Reads::Always, "a tracepoint's actions up to 'end'", ""},
    {"python", 6, Reads::WithoutOperand, "a script up to 'end'", "the one-line form 'python <statement>' is taken"},
    {"py", 2, Reads::WithoutOperand, "a script up to 'end'", "the one-line form 'python <statement>' is taken"},
    {"python-interactive", 8, Reads::WithoutOperand, "lines of its interactive prompt",
     "the one-line form 'python-interactive <statement>' is taken"},
    {"pi", 2, Reads::WithoutOperand, "lines of its interactive prompt",
     "the one-line form 'pi <statement>' is taken"},
    {"guile", 5, Reads::WithoutOperand, "a script up to 'end'", "the one-line form 'guile <expression>' is taken"},
    {"gu", 2, Reads::WithoutOperand, "a script up to 'end'", "the one-line form 'guile <expression>' is taken"},
    {"guile-repl", 7, Reads::Always, "lines of its interactive prompt", ""},
    {"gr", 2, Reads::Always, "lines of its interactive prompt", ""},
    {"compile", 7, Reads::WithoutCode, "the code up to 'end'", kCompileCode},
    {"expression", 4, Reads::WithoutCode, "the code up to 'end'", kCompileCode},
};

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The word at `at` (letters, digits, '-' and '_' as gdb's command names
// have them) and where the text after it starts.
std::string WordAt(const std::string& text, std::size_t at, std::size_t* end) {
  std::size_t e = at;
  while (e < text.size() && (std::isalnum(static_cast<unsigned char>(text[e])) || text[e] == '-' || text[e] == '_'))
    ++e;
  *end = e;
  std::string word = text.substr(at, e - at);
  for (char& c : word) c = char(std::tolower(static_cast<unsigned char>(c)));
  return word;
}

std::size_t SkipBlanks(const std::string& text, std::size_t at) {
  while (at < text.size() && Blank(text[at])) ++at;
  return at;
}

}  // namespace

std::string NestedInputRefusal(const std::string& typed) {
  std::size_t at = SkipBlanks(typed, 0);
  std::size_t end = at;
  std::string word = WordAt(typed, at, &end);
  // "with SETTING [VALUE] -- COMMAND" runs COMMAND.
  if (!word.empty() && std::string("with").compare(0, word.size(), word) == 0 && word.size() >= 2) {
    const std::size_t dashes = typed.find(" -- ", end);
    if (dashes == std::string::npos) return "";
    at = SkipBlanks(typed, dashes + 4);
    word = WordAt(typed, at, &end);
  }
  if (word.empty()) return "";
  const std::size_t rest = SkipBlanks(typed, end);
  for (const NestedCommand& c : kNested) {
    const std::string name = c.name;
    if (word.size() < c.shortest || name.compare(0, word.size(), word) != 0) continue;
    bool operand = rest < typed.size();
    if (c.reads == Reads::WithoutCode && operand) {
      std::size_t after = rest;
      const std::string sub = WordAt(typed, rest, &after);
      operand = sub.empty() || std::string("code").compare(0, sub.size(), sub) != 0 ||
                SkipBlanks(typed, after) < typed.size();
    }
    if (c.reads != Reads::Always && operand) return "";
    std::string why = "'" + word + "' is not sent to gdb: gdb would then wait for further lines (" + c.what +
                      "), and the command page sends it one line at a time";
    if (*c.instead) why += std::string("; ") + c.instead;
    return why;
  }
  return "";
}

}  // namespace pm2::gdb
