// The tool box's button list without a window: up to 16 buttons, each a
// label and a debugger command; add, replace by label, remove, and the
// box's size for its buttons. The shell keeps a list while the box is
// closed and the box works on the same kind of list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debugger/driver_shared/tool_box_labels.h"

namespace pm2 {

struct ToolButton {
  std::string label;
  std::string command;
  // Read from the project's options file and not yet run in this program:
  // a project made by someone else may keep any command there, so the first
  // click shows it and asks.
  bool fromProject = false;
};

// What the command window says of a button of the options file that is
// left out for taking a built-in label.
std::string BuiltInLabelRefusal(const std::string& label);

class ToolBoxButtons {
 public:
  static constexpr int kMax = 16;
  // Labels and commands from a driver are cut to this length.
  static constexpr std::size_t kTextMax = 255;

  // 1 when added or updated, 0 when full (the caller beeps).
  int Add(const std::string& label, const std::string& command);
  // n from 1 removes that button, 0xFFFFFFFF all; 0 for a bad n.
  int Remove(uint32_t n);
  const std::vector<ToolButton>& Buttons() const { return m_buttons; }
  int Count() const { return int(m_buttons.size()); }
  // Takes the list; a button of the options file with a built-in label
  // (IsBuiltInButtonLabel) is left out.
  void Assign(const std::vector<ToolButton>& list);
  // The button's command was shown and the user ran it: asked no more.
  void Confirm(int slot) {
    if (slot >= 0 && slot < Count()) m_buttons[std::size_t(slot)].fromProject = false;
  }

 private:
  std::vector<ToolButton> m_buttons;
};

struct ToolBoxSize {
  int width = 0;
  int height = 0;
};
// The box's size: the update button's bottom (below the top) plus the
// buttons' heights plus 8; the width a third wider than the button.
ToolBoxSize ToolBoxLayout(int top, int updateBottom, int buttonWidth, int buttonHeight, int count);

// The command a user button executes ("%s\n"), "" for none.
std::string ToolButtonCommand(const ToolButton& b);
// What the first click on a button the options file brought asks.
std::string StoredButtonQuestion(const std::string& label, const std::string& command);

}  // namespace pm2
