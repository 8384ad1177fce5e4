#include "debugger/gdb/commands/file_commands.h"

#include <cctype>

#include "debugger/gdb/commands/gdb_command_words.h"

namespace pm2::gdb {

namespace {

// What may follow an allowed command.
enum class Follows {
  Anything,     // its arguments (expressions, locations, numbers)
  SetOnly,      // "set": only the subcommands of kSettable
  NoApply,      // "frame": anything but "apply" (which runs a command of the line)
};

struct AllowedCommand {
  GdbCommandWord word;
  Follows follows;
};

// The abbreviations are gdb's own (gdb 13): a shorter beginning is
// ambiguous or another command's.
constexpr AllowedCommand kAllowed[] = {
    // Values and memory, read or written in the target.
    {{"print", 5}, Follows::Anything},       {{"p", 1}, Follows::Anything},
    {{"inspect", 3}, Follows::Anything},     {{"output", 2}, Follows::Anything},
    {{"call", 3}, Follows::Anything},        {{"x", 1}, Follows::Anything},
    {{"display", 4}, Follows::Anything},     {{"undisplay", 3}, Follows::Anything},
    {{"echo", 2}, Follows::Anything},        {{"printf", 6}, Follows::Anything},
    {{"ptype", 2}, Follows::Anything},       {{"whatis", 3}, Follows::Anything},
    {{"info", 3}, Follows::Anything},        {{"i", 1}, Follows::Anything},
    {{"show", 3}, Follows::Anything},        {{"set", 3}, Follows::SetOnly},
    // Breakpoints.
    {{"break", 1}, Follows::Anything},       {{"tbreak", 2}, Follows::Anything},
    {{"hbreak", 2}, Follows::Anything},      {{"thbreak", 3}, Follows::Anything},
    {{"watch", 2}, Follows::Anything},       {{"rwatch", 2}, Follows::Anything},
    {{"awatch", 2}, Follows::Anything},      {{"delete", 1}, Follows::Anything},
    {{"clear", 2}, Follows::Anything},       {{"disable", 3}, Follows::Anything},
    {{"enable", 2}, Follows::Anything},      {{"condition", 4}, Follows::Anything},
    {{"ignore", 2}, Follows::Anything},
    // Running and stepping the target.
    {{"continue", 1}, Follows::Anything},    {{"fg", 2}, Follows::Anything},
    {{"next", 1}, Follows::Anything},        {{"step", 1}, Follows::Anything},
    {{"stepi", 5}, Follows::Anything},       {{"si", 2}, Follows::Anything},
    {{"nexti", 5}, Follows::Anything},       {{"ni", 2}, Follows::Anything},
    {{"finish", 3}, Follows::Anything},      {{"until", 1}, Follows::Anything},
    {{"advance", 3}, Follows::Anything},     {{"jump", 1}, Follows::Anything},
    // The stack and the code.
    {{"backtrace", 2}, Follows::Anything},   {{"bt", 2}, Follows::Anything},
    {{"where", 3}, Follows::Anything},       {{"frame", 1}, Follows::NoApply},
    {{"up", 2}, Follows::Anything},          {{"down", 2}, Follows::Anything},
    {{"list", 1}, Follows::Anything},        {{"disassemble", 5}, Follows::Anything},
};

// gdb's settings a file may change: variables of the target and how
// values are printed.
constexpr GdbCommandWord kSettable[] = {{"variable", 3}, {"print", 1}, {"output-radix", 12}, {"input-radix", 11}};

constexpr GdbCommandWord kApply = {"apply", 2};

constexpr const char* kWhatIsAllowed =
    "a line read from a file may only read, set or run the target (print, x, info, break, continue, set var, ...)";

std::string Refused(const std::string& what) { return "'" + what + "' is not sent to gdb: " + kWhatIsAllowed; }

// gdb's own variables that begin "$_" and hold values, never a function
// (gdb 13 and 14): a line may name these. Any other "$_" name may be one
// of gdb's functions ("$_strlen", gdb 14's "$_shell"), which reach this
// computer or gdb's own settings, and would pass through a variable
// ("set var $f = $_shell", then "print $f(...)").
constexpr const char* kValueVariables[] = {
    "$_",           "$__",           "$_exitcode",        "$_exitsignal",     "$_siginfo",
    "$_exception",  "$_probe_argc",  "$_probe_arg0",      "$_probe_arg1",     "$_probe_arg2",
    "$_probe_arg3", "$_probe_arg4",  "$_probe_arg5",      "$_probe_arg6",     "$_probe_arg7",
    "$_probe_arg8", "$_probe_arg9",  "$_probe_arg10",     "$_probe_arg11",    "$_sdata",
    "$_tlb",        "$_thread",      "$_gthread",         "$_inferior",       "$_inferior_thread_count",
    "$_gdb_major",  "$_gdb_minor",   "$_shell_exitcode",  "$_shell_exitsignal",
    "$_linker_namespace",            "$_linker_namespace_count",
};

bool IsValueVariable(std::string_view name) {
  for (const char* v : kValueVariables)
    if (name == v) return true;
  return false;
}

bool IsDollarNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

}  // namespace

// What gdb would call or hand on from a "$" word outside quotes: a value
// of gdb's called ("$f (...)", "$1(...)", "$$(...)", "$_shell(...)":
// whatever the variable holds, gdb calls it, and it may hold one of gdb's
// functions), or a "$_" name that is none of gdb's value variables
// (one of its functions, which an assignment would hand to a variable).
std::string OwnFunctionFault(std::string_view line) {
  char quote = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote) {
      if (c == '\\') ++i;
      else if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c != '$') continue;
    std::size_t end = i + 1;
    while (end < line.size() && IsDollarNameChar(line[end])) ++end;
    const std::string_view word = line.substr(i, end - i);
    const std::size_t next = SkipGdbBlanks(line, end);
    const bool called = next < line.size() && line[next] == '(';
    const bool named = word.size() > 2 && word[1] == '_' && !IsValueVariable(word);
    if (called)
      return "'" + std::string(word) +
             "(...)' is not sent to gdb: a line read from a file may not call a value of gdb's own (one of its "
             "functions, or a variable that may hold one)";
    if (named)
      return "'" + std::string(word) +
             "' is not sent to gdb: a line read from a file may not name gdb's own functions, nor a variable "
             "of gdb's that is none of its values ($_exitcode, $_siginfo, ...)";
    i = end - 1;
  }
  return "";
}

std::string FileCommandRefusal(std::string_view line) {
  const std::size_t at = SkipGdbBlanks(line, 0);
  std::size_t end = at;
  const std::string word = GdbWordAt(line, at, &end);
  // The word ends the line, or a blank or a format ("x/4x") follows it;
  // gdb's one-character commands need nothing after them ("!ls").
  const bool wordAlone = word == "!" || word == "|" || end == line.size() || line[end] == ' ' ||
                         line[end] == '\t' || line[end] == '/';
  const AllowedCommand* allowed = nullptr;
  for (const AllowedCommand& a : kAllowed)
    if (!word.empty() && wordAlone && Spells(word, a.word)) allowed = &a;
  if (!allowed) return Refused(word.empty() || !wordAlone ? std::string(line.substr(at, 20)) : word);
  std::size_t subEnd = end;
  const std::string sub = GdbWordAt(line, SkipGdbBlanks(line, end), &subEnd);
  const bool subAlone = subEnd == line.size() || line[subEnd] == ' ' || line[subEnd] == '\t';
  if (allowed->follows == Follows::SetOnly && (!subAlone || !SpellsAny(sub, kSettable)))
    return Refused(word + " " + sub);
  if (allowed->follows == Follows::NoApply && Spells(sub, kApply)) return Refused(word + " " + sub);
  return OwnFunctionFault(line);
}

}  // namespace pm2::gdb
