#include "shell/window_program.h"

namespace pm2 {

namespace {

std::string Sibling(const std::string& program, const char* name) {
  const std::size_t slash = program.find_last_of('/');
  return (slash == std::string::npos ? std::string() : program.substr(0, slash + 1)) + name;
}

}  // namespace

std::string WindowProgramPath(const std::string& program) { return Sibling(program, kWindowProgramName); }

std::string MainProgramPath(const std::string& windowProgram) { return Sibling(windowProgram, kMainProgramName); }

}  // namespace pm2
