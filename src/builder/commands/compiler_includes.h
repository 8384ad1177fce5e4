// The "Include Paths" text of each toolset family's C compiler page and the
// folders the compiler is given from it. The command lines and the editor's
// include lookup read the text through this one table, so what the editor
// offers is what the build finds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "builder/commands/command_lists.h"

namespace pm2 {

struct TargetRec;

// Where the C compiler of the toolset keeps its include text in an option
// block; null for a toolset without one.
ListText CompilerIncludeField(uint16_t toolset);

// The folders of an include text in the order given, each trimmed of
// blanks, empty pieces dropped: the ARM toolsets' "-I" folders split at ','
// and ';', the INCDIR of the other families at ';'.
std::vector<std::string> IncludeFolders(std::string_view text, uint16_t toolset);

// The folders of the target's own C compiler include text, as written (a
// relative folder is taken from the project folder, where the tools run).
std::vector<std::string> TargetIncludeFolders(const TargetRec& target);

}  // namespace pm2
