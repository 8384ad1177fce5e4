// The IDE's own command language on the GDB driver: the texts the IDE, its
// windows and the event interface send to a driver ("g,main", "$=0x200",
// "R1 = 0x5", "BS main, 2, \"print n\"", "BK 1", "BL", "Include \"x.ini\"")
// turned into what the driver asks of gdb. Register names are written as the
// register page shows them (R0..R15, SP, LR, PC, CPSR) and become gdb's
// ($r0, $sp, ...); a bare function name stands for its address. No text is
// ever spliced into gdb's syntax: every piece is one argument the driver
// quotes, and a line end or NUL inside a text is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pm2::gdb {

// What a line of the command language asks for.
enum class CommandAction {
  Refuse,          // error says why; nothing reaches gdb
  Typed,           // a typed line of gdb's own (the command page only): to gdb's console as it is
  Go,              // run
  RunUntil,        // a temporary breakpoint at `location`, then run
  SetPc,           // `expression` is the new program counter
  Assign,          // `expression` is an assignment in gdb's form
  SetBreakpoint,   // at `location`; `count` passes (1: stop at the first); `command` run when hit
  KillBreakpoints, // `numbers`, or all
  EnableBreakpoints,
  DisableBreakpoints,
  ListBreakpoints,
  Include,         // run the lines of `file` as typed lines
  ShowCode,        // `expression` is a code address the disassembly window shows ("U main")
};

struct CommandTranslation {
  CommandAction action = CommandAction::Refuse;
  std::string location;    // RunUntil, SetBreakpoint: a gdb location ("main", "*0x200", "*($sp + 4)")
  std::string truth;       // SetBreakpoint instead of a location: stop when it becomes true ("U == 3")
  std::string expression;  // SetPc, Assign: a gdb expression
  uint32_t count = 1;      // SetBreakpoint: the pass count
  std::string command;     // SetBreakpoint: run when hit ("" none)
  std::vector<int> numbers;  // Kill/Enable/Disable: the command page's numbers
  bool all = false;          // Kill/Enable/Disable: "*"
  std::string file;          // Include
  std::string error;         // Refuse
};

// Where a line comes from, and so what a line that is not of the language
// may be: typed on the command page (it goes to gdb as the user wrote
// it); made by the IDE or a client of the event interface (it is
// refused); read from a file, as an Include reads the project's debug
// initialisation file or the function editor's file (it goes to gdb only
// when file_commands.h allows it: the file's author need not be the user).
enum class CommandOrigin { Typed, Ide, File };

// One line, without or with its line end ("\n" or "\r\n").
CommandTranslation TranslateCommand(std::string_view line, CommandOrigin origin);

// The command of a breakpoint ("BS main, 1, \"count = 0\"") as the gdb
// command the breakpoint runs when hit: an assignment or "$=" is printed
// ("print count = 0"), "g" continues. A breakpoint's command is kept in
// the project's options file and runs again in whatever session opens the
// project next: one typed or read from a file may give a gdb command of
// its own only as a file's line may (file_commands.h), one made by the IDE
// or a client none. False with *err.
bool BreakpointCommand(std::string_view command, CommandOrigin origin, std::string* out, std::string* err);

// An expression of the IDE in gdb's form: the register page's names become
// gdb's registers. False with *err for a text gdb must not see: a line end,
// a NUL, or a call of one of gdb's own functions ("$_shell(...)").
bool GdbExpression(std::string_view text, std::string* out, std::string* err);
// A code address of the IDE as a gdb location: a bare function name as
// itself ("main": gdb stops after its entry code), a source line as gdb
// writes it ("LED.c:13", the file's name also in quotes) as itself, a
// number or another expression as "*expression". gdb evaluates it: one that writes, calls
// or places a literal in target memory is refused (expression_effects.h).
bool GdbLocation(std::string_view text, std::string* out, std::string* err);
// False with *err when a text holds a line end or a NUL.
bool SingleLine(std::string_view text, std::string* err);

// The leading number of a value text of gdb ("0x220 <main>", "42 '*'",
// "{int (void)} 0x220 <main>", "-1"); false when it has none.
bool ValueNumber(const std::string& text, uint64_t* out);

}  // namespace pm2::gdb
