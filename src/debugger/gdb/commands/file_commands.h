// What a line read from a file may give gdb as a command of its own. The
// project's files (its debug initialisation file, the function editor's
// file, a breakpoint's command kept in the options file) come with the
// project, and whoever opens it may not have written them: such a line
// reaches gdb only as a command from a short list of those that read,
// set or run the target (print, x, info, break, continue, set var, ...).
// Nothing else: no command that reaches this computer (shell, pipe,
// python, source, make, dump, cd, file, a host command through the
// emulator's monitor), none that defines or renames commands (define,
// alias), builds one (eval, with), or makes gdb wait for further lines.
// The words are read as gdb reads them, abbreviations and aliases
// included.
#pragma once

#include <string>
#include <string_view>

namespace pm2::gdb {

// Why the line (a command of gdb's) is not sent to gdb; "" when it may be.
std::string FileCommandRefusal(std::string_view line);

// Why a line read from a file may reach one of gdb's own functions, judged
// by what gdb would call rather than by the spelling: a call of any value
// of gdb's ("$_shell(...)", "$f(...)" where "$f" was given "$_strlen",
// "$1(...)"), or a "$_" name that is not one of gdb's value variables
// ("set var $f = $_strlen"). "" when none. Every line of a file is held to
// it, whatever the command language makes of it (an assignment too).
std::string OwnFunctionFault(std::string_view line);

}  // namespace pm2::gdb
