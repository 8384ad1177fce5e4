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

// "type address = v1, v2, ..." -> one gdb assignment per value
// ("*((int*)(0x40000000) + 1) = 2"); a quoted text stands for its
// characters. False when the text is not of that form.
bool TypedWriteAssignments(const std::string& text, std::vector<std::string>* out);

}  // namespace pm2::gdb
