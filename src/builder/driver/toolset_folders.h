// Where a target's toolset keeps its library and include files: the folders
// the build, the dependency scan and the startup-file copy look in.
#pragma once

#include <string>

#include "project/text/path_text.h"  // StripBinFolder

namespace pm2 {

struct AppState;
struct TargetRec;
struct ToolsetInfo;
struct DepScanRequest;


// The target's library folder: its own ENVLIB when it uses its own
// environment, else "%sLIB\" with the toolset's root folder. False when
// there is none.
bool GetToolsetLibFolder(const AppState& app, const TargetRec& target, std::string* out);

// For the open project's current target, when it does not use its own
// environment: "%sINCLUDE\" with the toolset's program folder (its tools
// folder when there is none) without a final "BIN\". Returns the length
// written, 0 otherwise.
size_t GetToolsetIncludeFolder(const AppState& app, std::string* out);

// The folder of the current target's toolset that holds the system include
// file `name`: "<root>Include\" when it has the file, else
// "<root>Include\Sys\"; root is the program folder without "BIN\". Returns
// the length written, 0 when neither holds it.
size_t FindSystemIncludeFolder(const AppState& app, const std::string& name, std::string* out);

// For a target that does not use its own environment: the dependency scan
// searches "<folder>INCLUDE" of the target's toolset (its program folder,
// or its tools folder when it has none, without a final "BIN"), where the
// compiler finds its system headers. info: the target's toolset.
void AddToolsetIncludePath(const TargetRec& target, const ToolsetInfo* info, DepScanRequest& request);

}  // namespace pm2
