#include "debugger/gdb/commands/nested_input.h"

#include <cstddef>
#include <string_view>

#include "debugger/gdb/commands/gdb_command_words.h"

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
    {"compile", 5, Reads::WithoutCode, "the code up to 'end'", kCompileCode},
    {"expression", 4, Reads::WithoutCode, "the code up to 'end'", kCompileCode},
};

// Commands that run another command of the line: "with SETTING -- CMD"
// (gdb's alias "w"), "pipe CMD | SHELL" ("|"), and the apply commands
// ("frame apply all CMD", "faas CMD"); what they run is judged as typed.
constexpr GdbCommandWord kWith[] = {{"with", 2}, {"w", 1}};
constexpr GdbCommandWord kPipe[] = {{"pipe", 3}, {"|", 1}};
constexpr GdbCommandWord kApplyAlone[] = {{"faas", 2}, {"taas", 3}, {"tfaas", 3}};
constexpr GdbCommandWord kApplyPrefix[] = {{"frame", 1}, {"thread", 1}};
constexpr GdbCommandWord kApply = {"apply", 2};
// A command under a name of the user's: gdb would run whatever it stands
// for, which the command page no longer sees.
constexpr GdbCommandWord kAlias = {"alias", 5};
// Commands whose command gdb builds only as it runs them.
constexpr GdbCommandWord kBuilt[] = {{"eval", 2}, {"interpreter-exec", 6}};

std::string Judge(std::string_view typed);

// "with SETTING [VALUE] -- CMD" runs what follows "--", which gdb finds
// also where it touches the words around it ("with language c --define
// x"): the text after every "--" is judged.
std::string JudgeWith(std::string_view typed, std::size_t from) {
  for (std::size_t at = typed.find("--", from); at != std::string_view::npos; at = typed.find("--", at + 2))
    if (std::string why = Judge(typed.substr(at + 2)); !why.empty()) return why;
  return "";
}

// The gdb command of "pipe CMD | SHELL" or "pipe -d DELIM CMD DELIM SHELL".
std::string_view PipeCommand(std::string_view typed, std::size_t from) {
  std::string_view rest = typed.substr(SkipGdbBlanks(typed, from));
  std::string_view delimiter = "|";
  if (rest.substr(0, 3) == "-d " || rest.substr(0, 3) == "-d\t") {
    rest = rest.substr(SkipGdbBlanks(rest, 3));
    const std::size_t end = rest.find_first_of(" \t");
    delimiter = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  }
  return rest.substr(0, delimiter.empty() ? rest.size() : rest.find(delimiter));
}

// Any command that starts at a word of the rest (an apply's frames,
// threads and flags come before its command).
std::string JudgeEveryWord(std::string_view typed, std::size_t from) {
  for (std::size_t at = SkipGdbBlanks(typed, from); at < typed.size();) {
    if (std::string why = Judge(typed.substr(at)); !why.empty()) return why;
    while (at < typed.size() && typed[at] != ' ' && typed[at] != '\t') ++at;
    at = SkipGdbBlanks(typed, at);
  }
  return "";
}

std::string Judge(std::string_view typed) {
  const std::size_t at = SkipGdbBlanks(typed, 0);
  std::size_t end = at;
  const std::string word = GdbWordAt(typed, at, &end);
  if (word.empty()) return "";
  if (SpellsAny(word, kWith)) return JudgeWith(typed, end);
  if (SpellsAny(word, kPipe)) return Judge(PipeCommand(typed, end));
  if (SpellsAny(word, kApplyAlone)) return JudgeEveryWord(typed, end);
  if (SpellsAny(word, kApplyPrefix)) {
    std::size_t subEnd = end;
    if (Spells(GdbWordAt(typed, SkipGdbBlanks(typed, end), &subEnd), kApply)) return JudgeEveryWord(typed, subEnd);
  }
  if (Spells(word, kAlias))
    return "'" + word +
           "' is not sent to gdb: a command under a name of its own would get past the command page's check of "
           "what makes gdb wait for further lines; type the command under its own name";
  if (SpellsAny(word, kBuilt))
    return "'" + word +
           "' is not sent to gdb: gdb builds the command it runs only as it runs it, and that command could make "
           "gdb wait for further lines; type the command itself";
  const std::size_t rest = SkipGdbBlanks(typed, end);
  for (const NestedCommand& c : kNested) {
    if (!Spells(word, {c.name, c.shortest})) continue;
    bool operand = rest < typed.size();
    if (c.reads == Reads::WithoutCode && operand) {
      std::size_t after = rest;
      const std::string sub = GdbWordAt(typed, rest, &after);
      operand = sub.empty() || std::string("code").compare(0, sub.size(), sub) != 0 ||
                SkipGdbBlanks(typed, after) < typed.size();
    }
    if (c.reads != Reads::Always && operand) return "";
    std::string why = "'" + word + "' is not sent to gdb: gdb would then wait for further lines (" + c.what +
                      "), and the command page sends it one line at a time";
    if (*c.instead) why += std::string("; ") + c.instead;
    return why;
  }
  return "";
}

}  // namespace

std::string NestedInputRefusal(const std::string& typed) { return Judge(typed); }

}  // namespace pm2::gdb
