// Test double of the user interface: records beeps, message boxes and output
// lines, and answers message boxes with a chosen button.
#pragma once

#include <string>
#include <vector>

#include "project/model/app_state.h"

namespace pm2 {

class RecordingShell : public ShellServices {
 public:
  int beeps = 0;
  std::vector<std::string> boxes;
  std::vector<std::string> lines;
  int answer = kIdYes;

  void Beep() override { ++beeps; }
  int MessageBox(const std::string& text, int) override {
    boxes.push_back(text);
    return answer;
  }
  void PostOutputText(const std::string& line) override { lines.push_back(line); }
};

// Installs a RecordingShell on the application state for one test.
struct ScopedRecordingShell {
  RecordingShell shell;
  ScopedRecordingShell() { theApp().m_pShell = &shell; }
  ~ScopedRecordingShell() { theApp().m_pShell = nullptr; }
};

}  // namespace pm2
