// Which file holds a target's browse information: the linker's output.
#pragma once

#include <string>

namespace pm2 {

struct OptionBlock;
struct ProjectRec;
struct TargetRec;

// The output of the target's link: "%s%s" of the output folder (nothing
// for the project folder) and the output name, with ".elf" for ARM-GNU and
// ".axf" for ARM-ADS (the 51, 251 and 166 linkers add no extension), as a
// path of this machine taken against the project folder. Empty when the
// target has no options.
std::string TargetBrowseFile(const ProjectRec& project, const TargetRec& target);

// The toolsets whose compilers write no browse information (ARM-GNU and
// ARM-ADS): their name ("ARM-GNU"), else null.
const char* ToolsetWithoutBrowseInfo(int toolset);
// Why a target of such a toolset has no source browser: the status line's
// prompt of the greyed command and the look-ups' message.
std::string NoBrowseInfoText(const char* toolsetName);

}  // namespace pm2
