// The main frame's settings of profile section "MFrame" and their stored
// forms. Read once at start-up, written once at exit; a value out of range
// or of the wrong form keeps the compiled-in default.
//
//   "OvwH"    output bar height, 1..1023 (default 130)
//   "PrjW"    project bar width, 1..1023 (default 180)
//   "WbM"     workbook mode 0/1
//   "XpStyle" visual-style flag (written, the value read is not used)
//   "LprJ"    reopen the last project at start-up (default 1)
//   "DepTR"   include dependencies in the project tree (default 1)
//   "Dbg"     the 1048-byte window-font record as 2096 upper-case hex digits
//   "WinPos"  the window placement, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d"
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

namespace pm2 {

class SettingsStore;

inline constexpr const char* kFrameSection = "MFrame";
inline constexpr std::size_t kWindowFontsSize = 1048;

// The ten fields of a window placement after its length.
struct FramePlacement {
  uint32_t flags = 0;
  uint32_t showCmd = 1;  // 1 normal, 2 minimised, 3 maximised
  int32_t minX = 0, minY = 0;
  int32_t maxX = 0, maxY = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the normal rectangle
};

struct FrameSettings {
  int outputHeight = 130;
  int projectWidth = 180;
  bool workbookMode = false;
  uint32_t visualStyle = 0;
  bool reopenLastProject = true;
  bool includeDependencies = true;
  std::string windowFonts;      // kWindowFontsSize bytes, or empty for the defaults
  bool hasPlacement = false;
  FramePlacement placement;
};

// "WinPos": false (and *out untouched) unless all ten numbers parse.
bool ParseFramePlacement(std::string_view text, FramePlacement* out);
std::string FormatFramePlacement(const FramePlacement& p);

// A rectangle of the desktop: a screen's available area, or the window.
struct ScreenArea {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const ScreenArea&, const ScreenArea&) = default;
};

// The stored normal rectangle fitted to the screens there are (the first is
// the primary one): on the screen it overlaps most, else on the primary;
// no larger than that screen and moved inside it. False when the stored
// rectangle is empty or there is no screen (the caller's default stays).
// Computed in 64 bits, so no stored value overflows.
bool FitFrameRect(const FramePlacement& p, const std::vector<ScreenArea>& screens, ScreenArea* out);

// "Dbg": true with *out holding exactly kWindowFontsSize bytes only when the
// text holds exactly that many valid hex digit pairs.
bool DecodeWindowFonts(std::string_view hex, std::string* out);
std::string EncodeWindowFonts(std::string_view bytes);

// A bar size from the profile: taken when 1..1023, else the old value.
int TakeBarSize(int stored, int current);

FrameSettings LoadFrameSettings(const SettingsStore& store);
void SaveFrameSettings(SettingsStore& store, const FrameSettings& s);

}  // namespace pm2
