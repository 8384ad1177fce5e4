// Whether the program can open windows: a display server is named, or a
// window platform is chosen explicitly. The offscreen and minimal
// platforms count as no display, so that builds in scripts and tests run
// without a window.
#pragma once

#include <functional>

namespace pm2 {

// getenv: the environment lookup (null for a missing variable).
bool HasDisplay(const std::function<const char*(const char*)>& getenv);

// Whether the display HasDisplay found answers: the X server that DISPLAY
// names answers the start of a connection handshake (on its local socket,
// or its TCP port on a named host, each tried within a few seconds: a
// stopped server's socket still accepts, but nothing answers there), or
// the Wayland compositor's socket accepts a connection. A platform chosen by name other than xcb or wayland is taken
// as it is. The window library ends the process when it cannot open its
// display; a program that can go on without a window asks this first.
bool DisplayReachable(const std::function<const char*(const char*)>& getenv);

}  // namespace pm2
