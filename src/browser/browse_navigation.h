// Going to a name's definition or first reference, and stepping to the next
// or previous occurrence of the same symbol record. The editor's variants
// show the place; the add-in's variants store it in the session's add-in
// location. Both move the session's one browse cursor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/browse_session.h"

namespace pm2 {

// Where the table comes from: the target's browse file and the folder its
// relative source names are taken against.
struct BrowseSource {
  std::string file;
  std::string baseFolder;
  // The target's compiler writes no browse records (ARM-GNU, ARM-ADS: the
  // toolset's name): every look-up says so without reading the file.
  const char* toolsWriteNone = nullptr;
};

// Picks one of several symbol records that share a name.
class BrowseChooser {
 public:
  virtual ~BrowseChooser() = default;
  // The chosen record, or null when the user cancelled.
  virtual BrowseSymbol* Choose(const BrowseName& name) = 0;
};

// What the editor's look-ups ask of the windows.
class BrowseViewer {
 public:
  virtual ~BrowseViewer() = default;
  // Shows the name in the browser window; `open` opens the window when it
  // is not open, else only an open window follows. False when no browser
  // window shows it.
  virtual bool ShowBrowseResult(bool open, BrowseName& name) = 0;
  // Opens the file in the editor at the line.
  virtual void ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) = 0;
  virtual void Beep() = 0;
};

// "Source Browser: '%s' is undefined !"
std::string UndefinedSymbolText(const std::string& name);
// "Source Browser: '%s' - undefined Definition/Reference !"
std::string UndefinedPlaceText(const std::string& name);

// The editor's go to definition (definition set) or first reference. The
// name is also tried as "_%s" and "_?%s". Several symbol records open the
// browser on the name instead; where no browser window can show it, the
// chooser picks one (a cancelled choice ends with ""). Returns "" on
// success (or when only a beep was due), else the message to show.
std::string GoToSymbol(BrowseSession& session, const BrowseSource& source, const std::string& name,
                       bool definition, BrowseViewer& viewer, BrowseChooser& chooser);
// The editor's steps; false when there is no place to show.
bool GoToNextReference(BrowseSession& session, BrowseViewer& viewer);
bool GoToPreviousReference(BrowseSession& session, BrowseViewer& viewer);

// The add-in's look-up of exactly that name; several symbol records are
// put to the chooser. Nothing when the choice was cancelled; "" when found (the
// add-in location and the cursor hold the place); else the message.
std::optional<std::string> FindSymbolLocation(BrowseSession& session, const BrowseSource& source,
                                              const std::string& name, bool definition,
                                              BrowseChooser& chooser);
// The add-in's steps: the add-in location follows the cursor; false when
// there is no cursor or the entry has no file.
bool GetNextReferenceLocation(BrowseSession& session);
bool GetPreviousReferenceLocation(BrowseSession& session);

// Puts the cursor on a symbol record's occurrence (its name becoming the
// current name); a null symbol empties the cursor and the add-in location.
void SetBrowseCursor(BrowseSession& session, BrowseSymbol* symbol, size_t index);

// One line of the choice between a name's symbol records: "%s - %s" with the
// class word and the name.
struct BrowseChoice {
  std::string text;
  BrowseSymbol* symbol = nullptr;
};
// Empty for a name with fewer than two records; records of other classes
// than the nine are left out.
std::vector<BrowseChoice> BrowseChoices(const BrowseName& name);

}  // namespace pm2
