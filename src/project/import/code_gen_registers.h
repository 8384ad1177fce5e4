// The register settings of a code-generator project and the equates of the
// 166 startup file they set.
//
// Two tables, one per startup file: the classic 166 devices
// ("Start167.w66", 106 rows) and the XC16x devices ("Start_V2.W66", 168
// rows). A row ties an equate of the startup file to the register field
// the ".dpt" file's "Registers" section names. Its kind is the equate's
// syntax (see line_file.h): 1 "EQU", 2 "SET", 3 "$SET (...)" (a whole value
// or a group switch), 10 "%DEFINE", 20 and 21 members of a joined bit set,
// 161 an address and 177 a size (XC16x). Its number is, by kind: for 1, 2,
// 3, 10, 161 and 177 the value conversion of the equate writer (1 inverted
// wait states, 4 also the next row's value, 10 an address in 4 KB pages, 11
// a size index); for 20 and 21 the row's bit in the joined set.
//
// Values, from the ".dpt" register lines:
// - a line "FIELD = number" sets every row of that field;
// - XC16x: a row of a register of a group ("SYSCON1" -> "INIT_SYSCON1",
//   "SYSCON3", "RSTCON", "WDTCON" -> "WATCHDOG", "FOCON", "EBCMOD0" and
//   "EBCMOD1" -> "CONFIG_EBC", "ADDRSELn", "FCONCSn", "TCONCSn" ->
//   "CONFIG_CSn"; "CPUCON1" and "CPUCON2" belong to none) switches its group
//   row to 1 when its value is not zero;
// - classic: the bits of the kind-20 rows whose value is not zero are
//   joined and stored in every kind-20 row, the same for kind 21;
//   "INIT_XPERCON" and "ADVANCED_SYSCON" become 1 when their set is not
//   empty, else 0.
// Only equates whose value the ".dpt" file gave (directly, through a group
// or set it fed, or through a conversion-4 row before them) are rewritten;
// the startup file's other equates keep their lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "project/files/line_file.h"

namespace pm2 {

class Disk;

struct RegisterRow {
  std::string equate;  // the startup file's symbol
  std::string field;   // the ".dpt" register field; empty for a group row
  int kind = 1;
  uint32_t number = 0;
  int group = -1;      // index of the row's group row (XC16x); -1 none
};

// The tables, made once on first use.
const std::vector<RegisterRow>& ClassicRegisterTable();
const std::vector<RegisterRow>& Xc16xRegisterTable();

struct RegisterValue {
  uint32_t value = 0;
  bool given = false;  // the ".dpt" file set it, directly or not
};

// The rows' values from the register lines (field names in upper case).
std::vector<RegisterValue> ResolveRegisterValues(const std::vector<RegisterRow>& table,
                                                 const std::map<std::string, uint32_t>& registers,
                                                 bool xc16x);

// The equate symbols of the rows whose value was given, in table order.
std::vector<EquateSymbol> StartupEquates(const std::vector<RegisterRow>& table,
                                         const std::vector<RegisterValue>& values);

// Rewrites the equates of the startup file at `path` from the register
// lines: WriteEquatesArm for XC16x devices, WriteEquates for the classic
// ones. Empty on success; else "Error: can't read file '%s' !" when the
// file cannot be read, "File write error on '%s'" when it cannot be
// written (the file is then as it was).
std::string WriteStartupEquates(const std::string& path, bool xc16x,
                                const std::map<std::string, uint32_t>& registers, Disk* disk = nullptr);

}  // namespace pm2
