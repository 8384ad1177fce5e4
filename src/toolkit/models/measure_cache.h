#pragma once
// Sizes a text measurer gave, remembered by text, font, width and line
// mode. Laying out a list measures every label; a window refilled with
// the same names (a project tree after each change) then shapes each text
// once instead of on every fill. The owner clears it whenever the
// measurer or its fonts may have changed.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "toolkit/core/geometry.h"
#include "toolkit/models/list_host.h"

namespace pm2 {

class MeasureCache {
 public:
  // At most this many texts are kept; one more starts the cache afresh.
  static constexpr std::size_t kMaxTexts = 20000;

  const Size* Find(std::string_view text, FontChoice font, int maxWidth, bool singleLine) const;
  void Add(std::string_view text, FontChoice font, int maxWidth, bool singleLine, Size size);
  void Clear() { m_sizes.clear(); }
  std::size_t TextCount() const { return m_sizes.size(); }

 private:
  struct Entry {
    int font = 0;
    bool bold = false;
    bool singleLine = false;
    int maxWidth = 0;  // a single line ignores it: stored as 0
    Size size;
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  static Entry KeyOf(FontChoice font, int maxWidth, bool singleLine);

  std::unordered_map<std::string, std::vector<Entry>, TextHash, std::equal_to<>> m_sizes;
};

}  // namespace pm2
