// What the tools of the shell (user tools, source control, lint, find in
// files) ask of the main frame. The frame implements it on the GUI thread;
// tests pass a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pm2 {

// One item a tools popup ends with: the frame deletes its dynamic items
// and appends these in order.
struct ToolMenuItem {
  uint32_t id = 0;         // command id; 0 for a separator
  std::string text;        // expanded text, or the stored text when greyed
  bool separator = false;
  bool greyed = false;     // the text's key sequences could not be filled
};

// Source-control texts the query dialog asks for.
struct SccQueryFlags {
  bool comment = false;
  bool revision = false;
  bool checkPoint = false;
};

class ToolFrame {
 public:
  virtual ~ToolFrame() = default;
  virtual void Beep() = 0;
  // A message box with the system's text; returns the button (app_state.h).
  virtual int MessageBox(const std::string& text, int kind) = 0;
  // "Application - %s" with the program and its expanded argument line;
  // the edited line after OK, nothing after Cancel.
  virtual std::optional<std::string> PromptArguments(const std::string& program,
                                                     const std::string& arguments) = 0;
  // The source-control query dialog, prefilled with and writing back the
  // three texts (comment, revision, check-point); false after Cancel.
  virtual bool QuerySccTexts(const SccQueryFlags& flags, std::string* comment,
                             std::string* revision, std::string* checkPoint) = 0;
  // Saves the open project (no-op without one).
  virtual void SaveProject() = 0;
  // Empties the build page of the output window; the lint thread calls it
  // from its own thread, so the frame posts it to the GUI thread.
  virtual void ClearBuildPage() = 0;
};

}  // namespace pm2
