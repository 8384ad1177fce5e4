// The arguments of a debug command line (BS, G and the like), split as the
// command language reads them. The front end splits a typed line with the
// same rule before it asks the driver, so both see the same pieces.
#pragma once

#include <string_view>
#include <vector>

namespace pm2 {

// The text without leading and trailing blanks and tabs.
std::string_view TrimCommandBlanks(std::string_view s);

// The pieces of a text split at commas outside quotes and brackets, each
// trimmed of blanks; a backslash in quotes takes the next character.
std::vector<std::string_view> SplitCommandArguments(std::string_view s);

}  // namespace pm2
