// Cutting a UTF-8 text to a number of characters: a limit the user sees
// ("at most 40 characters") counts characters, and a cut in the middle of
// one would keep half of it, a byte that is no character at all.
#pragma once

#include <cstddef>
#include <string_view>

namespace pm2 {

// The text's first `characters` characters (the whole text when it has
// no more). A byte that starts no character counts as one.
std::string_view CutToCharacters(std::string_view text, std::size_t characters);

}  // namespace pm2
