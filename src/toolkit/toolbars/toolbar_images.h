#pragma once
// The toolbar strips drawn for the program (src/resources/toolbar_<id>.png),
// compiled in: one PNG per toolbar resource id.

#include <string_view>
#include <vector>

namespace pm2 {

struct ToolbarImage {
  unsigned id = 0;
  std::string_view png;
};
const std::vector<ToolbarImage>& ToolbarImages();

}  // namespace pm2
