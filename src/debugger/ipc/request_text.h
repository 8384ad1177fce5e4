// What a client's text may be in a debug request of the event interface.
// A register name, an address or an expression is data: one expression
// that reads and does not write. The handlers refuse, before anything
// reaches the driver to be evaluated, a text that
//   - is longer than kIpcRequestTextMax characters,
//   - holds a line end or a NUL (it would end the command it is put in),
//   - is empty,
//   - does more than read by the loaded driver's own rules (two
//     expressions side by side, an assignment, a call: what writes or
//     runs depends on the driver's expression language, so the driver is
//     asked through the interface, kDbgCtlReadOnlyFault).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr std::size_t kIpcRequestTextMax = 255;

// The driver's answer whether an expression only reads: why it does more,
// "" when it only reads.
using DriverExpressionFault = std::function<std::string(const std::string& text)>;

// Why `text` of the named request ("ReadRegister") may not be used: the
// reason with the request's name first, "" when it may. The driver is
// asked only about a text that passed the checks of the event interface.
std::string ReadOnlyExpressionRefusal(std::string_view request, std::string_view text,
                                      const DriverExpressionFault& driverFault);

// The same for a breakpoint's text ("main", "LED_On, 2, \"count = 0\""):
// its location, up to the first comma outside brackets and quotes, is
// evaluated by the driver and must write nothing; the count and the
// command after it are the driver's to check.
std::string BreakpointLocationRefusal(std::string_view request, std::string_view text,
                                      const DriverExpressionFault& driverFault);

}  // namespace pm2
