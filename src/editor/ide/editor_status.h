// The status panes an editor view writes into; the main frame implements
// them on its status bar.
#pragma once

#include <string>

namespace pm2 {

class EditorStatusPanes {
 public:
  virtual ~EditorStatusPanes() = default;
  // "L:%d C:%d" of the caret (the column counted from 1).
  virtual void SetCaretPosition(const std::string& text) = 0;
  // "R/O" or "R/W".
  virtual void SetReadOnly(const std::string& text) = 0;
  // "OVR" while typing overwrites, "" while it inserts.
  virtual void SetOverwrite(const std::string& /*text*/) {}
  // A passing note on the message line (what a paste could not keep).
  virtual void ShowStatusText(const std::string& /*text*/) {}
};

}  // namespace pm2
