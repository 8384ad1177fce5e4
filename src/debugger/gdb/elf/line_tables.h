// A source file's code lines from every compilation unit that has some: a
// header's function or line is compiled once in each file that includes
// and uses it, and gdb's -symbol-list-lines answers the first unit's table
// only (often one with no code from the header at all). gdb's maintenance
// commands name each unit's table of the file:
//   maint expand-symtabs REGEX      (reads the units whose files match)
//   maint info line-table REGEX     (prints their tables)
// whose printed form (gdb 13) is parsed here:
//   symtab: /b/LED.h ((struct symtab *) 0x...)
//   linetable: ((struct linetable *) 0x...):
//   INDEX  LINE   ADDRESS            IS-STMT PROLOGUE-END
//   0      10     0x00000454         Y
//   3      END    0x00000480         Y
// ("No line table." for a unit without code from the file).
#pragma once

#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2::gdb {

// The regular expression (gdb's, anchored at the end) that names the
// tables of a file by its name: "LED\.h$" for "/b/LED.h".
std::string LineTableFilter(const std::string& file);

// Whether gdb's full name of a unit's file is the file asked for: the same
// path (or the same file under another spelling of an absolute path), or,
// for a name without a folder or a relative one, a path ending in it at a
// folder boundary ("LED.h" is "/b/LED.h", not "/b/OLDLED.h").
bool IsLineTableOf(const std::string& fullname, const std::string& file);

// The (line, address) rows of the tables printed for `file`, in the order
// printed, tables of other files left out. An END row is a pair of line 0:
// the file's code ends there (a header's copy in one unit, before the code
// of another file).
std::vector<DbgLinePair> ParseLineTables(const std::string& printed, const std::string& file);

}  // namespace pm2::gdb
