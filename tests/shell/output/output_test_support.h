// Fakes and helpers shared by the output window's widget tests.
#pragma once

#include <QApplication>
#include <string>
#include <vector>

#include "builder/runner/output_lines.h"
#include "project/model/app_state.h"

namespace pm2 {

inline QApplication* TestApp() {
  static QApplication* app = [] {
    static int argc = 1;
    static char name[] = "shell_output_test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return app;
}

// Records beeps and questions; answers every question with `answer`.
class FakeShell : public ShellServices {
 public:
  int beeps = 0;
  std::vector<std::string> asked;
  int answer = kIdYes;
  void Beep() override { ++beeps; }
  int MessageBox(const std::string& text, int) override {
    asked.push_back(text);
    return answer;
  }
};

// Records where a jump went.
class FakeJump : public MessageJumpTarget {
 public:
  struct Open {
    std::string file;
    int line, column;
  };
  std::vector<Open> opened;
  std::vector<std::string> topics;
  void OpenFileAndShow(const std::string& file, int line, int column) override {
    opened.push_back({file, line, column});
  }
  void ShowToolHelp(int code, const std::string& topic) override {
    if (code == 100) topics.push_back(topic);
  }
};

}  // namespace pm2
