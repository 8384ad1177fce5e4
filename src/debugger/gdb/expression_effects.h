// Whether an expression of C, as gdb evaluates it, only reads. gdb runs
// what an expression asks for: an assignment writes the target, a call
// runs the target's code (and leaves the target stopped wherever that
// code stops). A text that must only read is one expression that
//   - is not two words side by side outside brackets ("INCLUDE x.ini",
//     "set var x", "KILL BUTTON *"),
//   - assigns nothing ("R1 = 7", "x += 1", "a <<= 2"), increments or
//     decrements nothing ("x++", "--x"),
//   - calls nothing: any bracket pair applied to a value that is no cast,
//     however the callee is written ("f(1)", "(f)(1)", "(*f)(1)",
//     "(f)(1)+R0", "(main)()", "table[1](2)", "$_shell(\"...\")").
// Comparisons ("==", "!=", "<=", ">="), casts ("(unsigned long *)(p)",
// "{int}(0x40000000)") and sizeof read. Quoted texts ('=' inside "a=b")
// are not looked into. A cast is to C's own type words or to a pointer
// ("(uint32_t *)"); a lone name in brackets may be a function and counts
// as a value ("(uint32_t)(x)" is taken for a call).
//   - places no literal in target memory: gdb keeps a string or array
//     literal ("abc", {1, 2}) in its own memory only while it is shown
//     whole, indexed ("abc"[1]) or measured (sizeof "abc"); any other use
//     ("abc" + 1, *"abc", (char *)"abc", x == "abc") has gdb call the
//     program's malloc and write the literal there.
#pragma once

#include <string>
#include <string_view>

namespace pm2::gdb {

// Why `text` does more than read ("an assignment is not allowed", "the
// function call '(LED_On)(' is not allowed", "'set var x' is not one
// expression", "the text's quotes are not closed"); "" when it only reads.
std::string ReadOnlyExpressionFault(std::string_view text);

// The same for the value of an edit ("count = <value>"): a value is read
// too, and a literal alone would be written into target memory as well
// ("p = \"abc\"").
std::string AssignedValueFault(std::string_view text);

// An edit "target = value" split at its assignment (the first '=' outside
// brackets and quotes that is no comparison): false when there is none.
bool SplitAssignment(std::string_view text, std::string_view* target, std::string_view* value);

}  // namespace pm2::gdb
