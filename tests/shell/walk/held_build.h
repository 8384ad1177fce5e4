// The held build of the walk's BuildRunning state, read from the stand-in's
// meeting file ("meet FILE 2 SECONDS"): each tool run appends "start SOURCE
// PID" as it begins and waits there until a second run has begun. The
// first run to begin is the one held; every run after it goes on at once.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pm2::test {

// The start lines of the meeting file, oldest first; a line still being
// written (no line end yet) ends in '?'.
inline std::vector<std::string> MeetingStarts(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::string> starts;
  std::string line;
  while (std::getline(text, line)) {
    if (text.eof()) line += '?';
    if (line.rfind("start ", 0) == 0) starts.push_back(line);
  }
  return starts;
}

// Whether the process lives (a zombie, killed but not yet reaped, does not).
inline bool ProcessLives(int pid) {
  if (pid <= 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return false;
  const char state = line[close + 2];
  return state != 'Z' && state != 'X';
}

// Whether a build that runs now is held: no run has begun yet (the build's
// first tool will wait), or the first run to begin still lives and no
// second has begun. Once that first run was stopped, the next build's run
// is the second to begin and goes on at once: that build is not held, even
// before its run has said it began. A start line still being written is a
// run that lives.
inline bool HeldRunWaits(const std::string& meetFile) {
  const std::vector<std::string> starts = MeetingStarts(meetFile);
  if (starts.empty()) return true;
  if (starts.size() >= 2) return false;
  const std::string& first = starts.front();
  const std::size_t blank = first.rfind(' ');
  const std::string pid = first.substr(blank + 1);
  if (blank < 6 || pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) return true;
  return ProcessLives(std::atoi(pid.c_str()));
}

}  // namespace pm2::test
