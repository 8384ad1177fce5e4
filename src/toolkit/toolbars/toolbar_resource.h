#pragma once
// The toolbar resource (resource type 241): the command ids of a toolbar in
// image order, beside a bitmap resource of the same id holding the strip.
// Layout, little-endian 16-bit words:
//   offset 0  version (written as 1, not read)
//   offset 2  image width
//   offset 4  image height
//   offset 6  count
//   offset 8  count command ids; 0 is a separator and has no image
// A resource cut short of its ids is refused rather than read past its end.

#include <cstdint>
#include <string>
#include <vector>

namespace pm2 {

constexpr unsigned kRtToolbar = 241;

struct ToolbarResource {
  int width = 0;
  int height = 0;
  std::vector<unsigned> ids;  // separators only when asked for
};

// Reads resource `id`'s bytes; separators are kept when `includeSeparators`.
bool ReadToolbarResource(const std::vector<std::uint8_t>& bytes, unsigned id, bool includeSeparators,
                         ToolbarResource* out, std::string* err);
std::vector<std::uint8_t> WriteToolbarResource(int width, int height, const std::vector<unsigned>& ids);

}  // namespace pm2
