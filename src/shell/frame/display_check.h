// Whether the program can open windows: a display server is named, or a
// window platform is chosen explicitly. The offscreen and minimal
// platforms count as no display, so that builds in scripts and tests run
// without a window.
#pragma once

#include <functional>

namespace pm2 {

// getenv: the environment lookup (null for a missing variable).
bool HasDisplay(const std::function<const char*(const char*)>& getenv);

}  // namespace pm2
