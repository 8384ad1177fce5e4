#include "debugger/ipc/request_text.h"

namespace pm2 {

std::string ReadOnlyExpressionRefusal(std::string_view request, std::string_view text,
                                      const DriverExpressionFault& driverFault) {
  const std::string name(request);
  if (text.size() > kIpcRequestTextMax)
    return name + ": the text is longer than " + std::to_string(kIpcRequestTextMax) + " characters";
  for (char c : text) {
    if (c == '\n' || c == '\r') return name + ": the text holds a line end";
    if (c == '\0') return name + ": the text holds a NUL character";
  }
  if (text.find_first_not_of(" \t") == std::string_view::npos) return name + ": an expression expected";
  const std::string fault = driverFault ? driverFault(std::string(text)) : std::string();
  return fault.empty() ? fault : name + ": " + fault;
}

std::string BreakpointLocationRefusal(std::string_view request, std::string_view text,
                                      const DriverExpressionFault& driverFault) {
  int depth = 0;
  char quote = 0;
  std::size_t end = 0;
  for (; end < text.size(); ++end) {
    const char c = text[end];
    if (quote) {
      if (c == '\\' && end + 1 < text.size())
        ++end;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[') {
      ++depth;
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
    } else if (c == ',' && depth == 0) {
      break;
    }
  }
  // A line end or a NUL anywhere ends the command it is put in.
  for (char c : text.substr(end)) {
    if (c == '\n' || c == '\r') return std::string(request) + ": the text holds a line end";
    if (c == '\0') return std::string(request) + ": the text holds a NUL character";
  }
  return ReadOnlyExpressionRefusal(request, text.substr(0, end), driverFault);
}

}  // namespace pm2
