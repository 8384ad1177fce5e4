// The Options command: opens the sheet on a project node and applies its
// result. Refused while a build runs, without a project or selection, and
// for a group or file of a target without options; a read-only project is
// warned about and opened all the same. OK commits the session (the caller
// then saves the project); Cancel rolls it back.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "options/pages/options_sheet.h"

namespace pm2 {

struct NodeRec;
struct ProjectRec;

struct OptionsRequest {
  ProjectRec* project = nullptr;
  NodeRec* node = nullptr;
  bool busy = false;         // a build or tool run is under way
  bool openOnFlash = false;  // the flash command: open on the flash page
  QWidget* parent = nullptr;
  SheetServices services;
  // Beep and message box (text, MessageBoxKind flags).
  std::function<void(const std::string&, int)> message;
  // Runs the sheet modally; tests replace it to drive the sheet.
  std::function<int(OptionsSheet&)> run;
  // Told the node once its working copies are taken, and null once OK or
  // Cancel has settled them: in between, a change made to the node's
  // options elsewhere would be overwritten or built unconfirmed.
  std::function<void(NodeRec*)> editing;
};

enum class OptionsOutcome { kRefused, kCancelled, kUnchanged, kChanged };

// "Options for Target 'x'", "Options for Group 'x'", "Options for File 'x'".
std::string OptionsCaption(const NodeRec* node);

OptionsOutcome RunOptionsCommand(const OptionsRequest& request);

}  // namespace pm2
