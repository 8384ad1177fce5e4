// A process the checks found left behind ("name (pid)", as
// UnexplainedChildren names it) is ended once it is named: the walk's
// failure says what was left, and nothing of it runs on into the rest of
// the test program, the next state's walk or the test runner.
#pragma once

#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace pm2::test {

// The process id a name of UnexplainedChildren ends with, or 0.
inline int PidOfNamed(const std::string& named) {
  const size_t open = named.rfind(" (");
  if (open == std::string::npos || named.empty() || named.back() != ')') return 0;
  return std::atoi(named.c_str() + open + 2);
}

// Ends each process named (the test's own descendants only: the names come
// from the walk's own tree of processes).
inline void EndLeftBehind(const std::vector<std::string>& left) {
  for (const std::string& named : left)
    if (const int pid = PidOfNamed(named); pid > 1) ::kill(pid, SIGKILL);
}

}  // namespace pm2::test
