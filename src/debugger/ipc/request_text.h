// What a client's text may be in a debug request of the event interface.
// A register name, an address or an expression is data: one expression
// that reads and does not write. The handlers refuse, before anything
// reaches the driver, a text that
//   - is longer than kIpcRequestTextMax characters,
//   - holds a line end or a NUL (it would end the command it is put in),
//   - is empty,
//   - does more than read: two expressions side by side, an assignment,
//     an increment, a call in any form (gdb::ReadOnlyExpressionFault).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr std::size_t kIpcRequestTextMax = 255;

// Why `text` of the named request ("ReadRegister") may not be used: the
// reason with the request's name first, "" when it may.
std::string ReadOnlyExpressionRefusal(std::string_view request, std::string_view text);

// The same for a breakpoint's text ("main", "LED_On, 2, \"count = 0\""):
// its location, up to the first comma outside brackets and quotes, is
// evaluated by the driver and must write nothing; the count and the
// command after it are the driver's to check.
std::string BreakpointLocationRefusal(std::string_view request, std::string_view text);

}  // namespace pm2
