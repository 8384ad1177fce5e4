#include "debugger/model/tool_box_buttons.h"

namespace pm2 {

std::string BuiltInLabelRefusal(const std::string& label) {
  return "*** the button '" + label +
         "' of the project's options file is left out: it takes the name of the tool box's own button\n";
}

int ToolBoxButtons::Add(const std::string& labelIn, const std::string& commandIn) {
  const std::string label = labelIn.substr(0, kTextMax);
  const std::string command = commandIn.substr(0, kTextMax);
  for (ToolButton& b : m_buttons)
    if (b.label == label) {
      if (b.command != command) b.command = command;
      b.fromProject = false;  // the user's own definition now
      return 1;
    }
  if (Count() >= kMax) return 0;
  m_buttons.push_back(ToolButton{label, command, false});
  return 1;
}

int ToolBoxButtons::Remove(uint32_t n) {
  if (n == 0xFFFFFFFFu) {
    m_buttons.clear();
    return 1;
  }
  if (n == 0 || n > uint32_t(Count())) return 0;
  m_buttons.erase(m_buttons.begin() + int(n - 1));
  return 1;
}

void ToolBoxButtons::Assign(const std::vector<ToolButton>& list) {
  m_buttons.clear();
  for (const ToolButton& b : list) {
    if (Count() >= kMax) break;
    if (b.fromProject && IsBuiltInButtonLabel(b.label)) continue;
    m_buttons.push_back(ToolButton{b.label.substr(0, kTextMax), b.command.substr(0, kTextMax), b.fromProject});
  }
}

ToolBoxSize ToolBoxLayout(int top, int updateBottom, int buttonWidth, int buttonHeight, int count) {
  const int base = updateBottom > top ? updateBottom - top : 0;
  ToolBoxSize s;
  s.height = base + count * buttonHeight + 8;
  s.width = buttonWidth + buttonWidth / 3;
  return s;
}

std::string ToolButtonCommand(const ToolButton& b) { return b.command.empty() ? std::string() : b.command + "\n"; }

std::string StoredButtonQuestion(const std::string& label, const std::string& command) {
  std::string shown = command;
  while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
  return "The button '" + label + "' was kept in the project's options file. It gives the debugger the command\n\n" +
         shown + "\n\nRun it?";
}

}  // namespace pm2
