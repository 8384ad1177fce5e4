// A file's whole bytes, for comparing what the program wrote; empty when
// the file cannot be read.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace pm2::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace pm2::test
