// Texts the walk's checks show in a message.
#pragma once

#include <sstream>
#include <string>

namespace pm2::test {

// The first line where two texts differ, shown for a message with what
// each text is.
inline std::string FirstDifference(const std::string& a, const std::string& b, const char* aIs = "written",
                                   const char* bIs = "read back as") {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int n = 1;; ++n) {
    const bool ea = !std::getline(sa, la), eb = !std::getline(sb, lb);
    if (ea && eb) return "(none)";
    if (ea != eb || la != lb)
      return "line " + std::to_string(n) + ": " + aIs + " '" + (ea ? "<end>" : la) + "', " + bIs + " '" +
             (eb ? "<end>" : lb) + "'";
  }
}

}  // namespace pm2::test
