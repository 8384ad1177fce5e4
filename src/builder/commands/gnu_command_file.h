// The GNU tools read their command input files ("@file") with backslash as
// an escape character, so a control string in the Windows form the builders
// make (double quotes, '\' separators from stored paths) is rewritten:
// split with Windows quoting rules, '\' in paths turned into '/', and each
// argument written with GNU escapes.
#pragma once

#include <string>

namespace pm2 {

// The controls, then `file` when it is not empty, as one GNU command-file
// line. Define arguments ("-D...", and the symbol after "--defsym") keep
// their backslashes: they are text for the program, not paths.
std::string GnuCommandFileText(const std::string& controls, const std::string& file = std::string());

}  // namespace pm2
