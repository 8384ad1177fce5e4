// The GNU tools read their command input files ("@file") with backslash as
// an escape character, so a control string in the Windows form the builders
// make (double quotes, '\' separators from stored paths) is rewritten:
// split with Windows quoting rules, '\' in paths turned into '/', and each
// argument written with GNU escapes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

// The controls, then `file` when it is not empty, as one GNU command-file
// line; a language names the file's language ahead of it ("-x c"). Define
// arguments ("-D...", and the symbol after "--defsym") keep their
// backslashes: they are text for the program, not paths.
std::string GnuCommandFileText(const std::string& controls, const std::string& file = std::string(),
                               std::string_view language = {});

// The language gcc is told for a source of the project's file type, so that
// the case of its name on disk never decides it (gcc takes "LED.C" for
// C++). Empty for the GNU assembler, which reads any file as assembler
// source, and for the file types gcc is never handed.
std::string_view GnuSourceLanguage(uint8_t fileType, bool assembler);

}  // namespace pm2
