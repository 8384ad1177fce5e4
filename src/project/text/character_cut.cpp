#include "project/text/character_cut.h"

namespace pm2 {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string_view CutToCharacters(std::string_view text, std::size_t characters) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < text.size() && n < characters; ++n) {
    // A character is its first byte and the continuation bytes after it.
    const bool lead = !IsContinuation(text[i]);
    ++i;
    while (lead && i < text.size() && IsContinuation(text[i])) ++i;
  }
  return text.substr(0, i);
}

}  // namespace pm2
