// The checks of the GDB driver's settings text. The text comes from the
// project's options file, which someone else may have made: each word
// whose value reaches gdb's or the emulator's command line or a gdb
// command must be a plain value there, never syntax of that program (a
// gdb target "|program" runs the program; a machine "virt,dumpdtb=FILE"
// has the emulator write the file). The settings form and the session's
// start use the same checks, so a text the form would refuse never starts
// anything.
#pragma once

#include <string>
#include <vector>

namespace pm2::gdb {

// Each check answers "" for a value it takes, else why not, in words that
// follow "is 'value', " ("not a host and a port from 1 to 65535").
// A GDB server: "host:port" (a name or address, "[v6 address]", an
// optional "tcp:", "tcp4:" or "tcp6:" before it), port 1 to 65535.
std::string RemoteFault(const std::string& value);
// An emulator's machine: a name of letters, digits, '.', '-' and '_'.
std::string MachineFault(const std::string& value);
// The gdb or emulator program: one word, not an option. A name without a
// folder is looked up on PATH; one with a folder is the project's own
// program (NamedByPath), which runs only when the user agrees.
std::string ProgramFault(const std::string& value);
bool NamedByPath(const std::string& program);
// The UART stand-in's address (a number up to 0xFFFFFFFF) or "none".
std::string UartFault(const std::string& value);
// The connection's timeout: 1 to 600 seconds.
std::string TimeoutFault(const std::string& value);

// The first word of a settings text whose value the driver does not take:
// the word ("-remote"), its value as written and why; an empty word when
// every value passes. A word without its value is refused too. Words the
// driver does not know are none of its business and pass.
struct ParamsFault {
  std::string word;
  std::string value;
  std::string why;
};
ParamsFault CheckTargetParams(const std::string& text);

// The machine names in the output of "<emulator> -machine help".
std::vector<std::string> MachineNames(const std::string& helpOutput);

}  // namespace pm2::gdb
