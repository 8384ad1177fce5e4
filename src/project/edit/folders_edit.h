// The folders page of the sheet without a window: what it shows when it
// becomes active, and what leaving it stores in the sheet's copy (target
// folders, toolset change, filters, toolset folders, environment values).
#pragma once

#include <cstdint>
#include <string>

#include "project/edit/project_sheet_copy.h"

namespace pm2 {

struct FoldersFields {
  std::string root;        // the toolset's root folder
  std::string bin, inc, lib, reg;  // ENVBIN, ENVINC, ENVLIB, ENVREG (display form)
  bool useEnvironment = true;      // check box: USEENV 0
  bool armGnu = true;              // radio: toolset 3, else 4
  std::string gnuMaker, gnuFolder; // ARM-GNU record
  std::string adsMaker, adsFolder; // ARM-ADS record
  std::string filters[kSheetFilterCount];  // C, asm, obj, text, C++, library
  unsigned editedFilters = 0;      // bit per filter
};

// ENVREG as shown: relative to ENVINC, a "." form shown behind ENVINC.
std::string RegisterFolderDisplay(const std::string& envInc, const std::string& envReg);
// ENVREG as stored from the shown text: relative to the ENVINC shown when
// the page became active; exactly ".\" is stored empty.
std::string RegisterFolderStored(const std::string& shownInc, const std::string& text);

// The page's fields when it becomes active for the copy's current target
// (or none) and the environment's ARMSEL.
FoldersFields FoldersFieldsFor(const ProjectSheetCopy& c, int armSelect);

// True when the radio buttons ask for another ARM tool chain than the
// target has, which the page confirms with kToolsetChangeQuestion.
bool FoldersChangeToolset(const ProjectSheetCopy& c, bool armGnu);
inline constexpr const char* kToolsetChangeQuestion =
    "Changing the toolset resets all options\nin Target, Group, and File levels to default.\n\n"
    "Do you want to continue with the new Toolset?";

// Leaving the page. An invalid edited filter refuses with the filter
// message and *badFilter its index; otherwise the fields go into the copy.
bool LeaveFoldersPage(ProjectSheetCopy& c, const FoldersFields& f, std::string* message,
                      int* badFilter);

}  // namespace pm2
