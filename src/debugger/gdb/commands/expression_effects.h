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

// Whether a literal may be the whole text: gdb shows "abc" from its own
// memory, but assigns it ("p = \"abc\"", a value edit) or gives its
// address (the watch window shows an array from its address) only once it
// has placed it in target memory.
enum class WholeLiteral { Allowed, Refused };

// Why `text` does more than read ("an assignment is not allowed", "the
// function call '(LED_On)(' is not allowed", "'set var x' is not one
// expression", "the text's quotes are not closed", "the literal '"abc"'
// is not allowed: gdb would write it into target memory"); "" when it
// only reads.
std::string ReadOnlyExpressionFault(std::string_view text, WholeLiteral whole = WholeLiteral::Allowed);

// An edit "target = value" split at its assignment (the first '=' outside
// brackets and quotes that is no comparison): false when there is none.
bool SplitAssignment(std::string_view text, std::string_view* target, std::string_view* value);

}  // namespace pm2::gdb
