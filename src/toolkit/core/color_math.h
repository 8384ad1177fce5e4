#pragma once
// Colour arithmetic shared by the painting code: mixing, lightening, a
// perceptual distance and a contrast rule, the 33-colour XP palette derived
// from the system colours, and conversion between RGB and hue/luminance/
// saturation on a 0..240 scale. Colours are pm2::Color (0x00RRGGBB).

#include <cstdint>

#include "toolkit/core/sys_colors.h"

namespace pm2 {

// (scale/2 + a*w + b*(scale-w)) / scale per channel; the scale is 100 for a
// weight up to 99, else 1000 (165 means 16.5 % of a).
Color SECMixColors(Color a, Color b, int weight);
// Adds `amount` to each channel, clamping at 255.
Color SECLightenColor(Color c, int amount);
// Weighted distance (R 195/255, G 390/255, B 65/255); at most about 442.
double SECColorDistance(Color a, Color b);
// `c` moved along its ray until it lies at least `minDistance` (scaled for
// dark references) from `ref`; unchanged when it already does.
Color SECEnsureColorContrast(Color c, Color ref, int minDistance);

// 77 R + 153 G + 26 B: 256 times a 0..255 luminance.
inline int Luminance256(Color c) { return 77 * RedOf(c) + 153 * GreenOf(c) + 26 * BlueOf(c); }

constexpr int kXPColorCount = 33;
// Recomputes the palette from `colors`.
void SECBuildXPPalette(const SysColorTable& colors = SysColors());
// Entry `index`, white for an index outside 0..32.
Color SECGetXPColor(int index);

// Hue, luminance and saturation on 0..240 (grey: S 0, H 160).
void SECRGBtoHLS(Color c, std::uint16_t* hue, std::uint16_t* lum, std::uint16_t* sat);
Color SECHLStoRGB(int hue, int lum, int sat);

// The process-wide copy of the colours the frames paint with. Reloading
// rebuilds the XP palette first.
struct SECSysColorRecord {
  Color btnFace = 0;
  Color btnShadow = 0;
  Color btnHighlight = 0;
  Color windowFrame = 0;
  Color light3D = 0;
  Color dkShadow3D = 0;
  Color windowText = 0;
  Color window = 0;
  Color highlight = 0;
  Color highlightText = 0;
  int borderSize = 2;

  void LoadSysColors(const SysColorTable& colors = SysColors());
};
SECSysColorRecord& TheSysColorRecord();

}  // namespace pm2
