// Whether the output of a 51, 251 or 166 linker is up to date. The linker
// records in its output (entry_stream.h) the command input file it was run
// with (the kind-3 entry) and every file it read with its time.
#pragma once

#include <string>
#include <string_view>

#include "builder/driver/up_to_date.h"

namespace pm2 {

struct LinkStepEnv;

// Link when the output cannot be read or records no command input file,
// when that file is missing or its controls differ token by token from
// newText, or when a recorded file is missing or has another time. Stored
// paths are taken against the env's project folder.
Verdict CheckLinkOutput(const LinkStepEnv& env, const std::string& output, std::string_view newText);

}  // namespace pm2
