#include "debugger/gdb/commands/step_places.h"

#include <cstdlib>

namespace pm2::gdb {

bool LineStartsAt(const std::string& info, const std::string& address) {
  const std::string key = "starts at address ";
  const std::size_t at = info.find(key);
  if (at == std::string::npos) return false;
  char* end = nullptr;
  const unsigned long long starts = std::strtoull(info.c_str() + at + key.size(), &end, 0);
  const unsigned long long pc = std::strtoull(address.c_str(), nullptr, 0);
  return end != info.c_str() + at + key.size() && starts == pc;
}

std::string StepEndText(const std::string& frame, bool sameFrame) {
  const std::string number = "#0  ";
  const std::size_t lineEnd = frame.find('\n');
  if (frame.compare(0, number.size(), number) != 0 || lineEnd == std::string::npos) return frame;
  const std::string place = frame.substr(number.size(), lineEnd - number.size());
  const std::string source = frame.substr(lineEnd + 1);
  if (!sameFrame || source.empty()) return place + "\n" + source;
  // "0x00000270 in main () at Blinky.c:43": the address before the line.
  const std::size_t in = place.find(" in ");
  if (place.compare(0, 2, "0x") == 0 && in != std::string::npos) return place.substr(0, in) + "\t" + source;
  return source;
}

}  // namespace pm2::gdb
