#include "shell/frame/display_check.h"

#include <string_view>

namespace pm2 {

bool HasDisplay(const std::function<const char*(const char*)>& getenv) {
  auto value = [&](const char* name) {
    const char* v = getenv(name);
    return std::string_view(v ? v : "");
  };
  std::string_view platform = value("QT_QPA_PLATFORM");
  if (platform.starts_with("offscreen") || platform.starts_with("minimal")) return false;
  if (!value("DISPLAY").empty() || !value("WAYLAND_DISPLAY").empty()) return true;
  // Another platform chosen by name (a frame buffer, VNC ...), not xcb or
  // wayland, which need the variables above.
  return !platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

}  // namespace pm2
