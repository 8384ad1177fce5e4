// What a client's text may be in a debug request of the event interface.
// A register name, an address or an expression is data: one expression
// that reads and does not write. The handlers refuse, before anything
// reaches the driver, a text that
//   - is longer than kIpcRequestTextMax characters,
//   - holds a line end or a NUL (it would end the command it is put in),
//   - is empty,
//   - is not one expression: two words side by side outside brackets
//     ("INCLUDE x.ini", "DEFINE BUTTON ...", "KILL BUTTON *", "set var x"),
//   - writes: an assignment ("R1 = 7", "x += 1", "a <<= 2"), an increment
//     or decrement ("x++", "--x"),
//   - calls a function ("f(1)", "$_shell(\"...\")"), which runs code.
// Comparisons ("==", "!=", "<=", ">="), casts and sizeof are reading.
// Quoted texts ('=' inside "a=b") are not looked into.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr std::size_t kIpcRequestTextMax = 255;

// Why `text` of the named request ("ReadRegister") may not be used: the
// reason with the request's name first, "" when it may.
std::string ReadOnlyExpressionRefusal(std::string_view request, std::string_view text);

}  // namespace pm2
