// What the GDB driver adds to gdb's own commands for the IDE: the syntax
// table of the commands it accepts (for the command window's help and
// completion), and the typed memory writes of the memory window
// ("int 0x40000000 = 1, 2") turned into gdb assignments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver_abi/syntax_table_builder.h"

namespace pm2::gdb {

struct GdbSyntax {
  const SyntaxTableBuilder::Word* root = nullptr;
  const SyntaxTableBuilder::Word* fallback = nullptr;
};
// Builds the tables into the builder (which owns them).
GdbSyntax BuildGdbSyntax(SyntaxTableBuilder& b);

// A typed line for gdb with the gdb command the help offers (and INFO's
// item) written as gdb takes it: "STEP" -> "step", "INFO REGISTERS" ->
// "info registers". Anything else stays as typed.
std::string GdbSpelling(const std::string& typed);

// "type address = v1, v2, ...": the type word, the address and the
// values, a quoted text standing for its characters. False when the text
// is not of that form; *err (if given) then says why when the text is of
// that form but its values are not (a quote left open): such a text is
// refused, not taken for something else.
struct TypedWrite {
  std::string type;                 // "int", "unsigned short"
  std::string address;              // as the IDE wrote it
  std::vector<std::string> values;  // one a value, as typed
};
bool ParseTypedWrite(const std::string& text, TypedWrite* out, std::string* err = nullptr);
// Value i of a typed write as a gdb assignment ("*(((int*)(0x40000000)) + 1) = 2").
std::string TypedWriteAssignment(const TypedWrite& write, std::size_t i);
// Every value's assignment.
bool TypedWriteAssignments(const std::string& text, std::vector<std::string>* out);

}  // namespace pm2::gdb
