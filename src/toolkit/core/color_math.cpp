#include "toolkit/core/color_math.h"

#include <algorithm>
#include <cmath>

namespace pm2 {
namespace {

constexpr double kWr = 0.764706, kWg = 1.52941, kWb = 0.254902;
constexpr double kSpanR = 195, kSpanG = 390, kSpanB = 65;

struct Vec {
  double x = 0, y = 0, z = 0;
};
Vec Weighted(Color c) { return {RedOf(c) * kWr, GreenOf(c) * kWg, BlueOf(c) * kWb}; }
double Length(const Vec& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
Vec Mirror(const Vec& v) { return {kSpanR - v.x, kSpanG - v.y, kSpanB - v.z}; }
double Brightness(Color c) { return Length(Weighted(c)); }

int ClampByte(int v) { return std::clamp(v, 0, 255); }

Color g_palette[kXPColorCount] = {};
bool g_paletteBuilt = false;

int Hue(int p, int q, int h) {
  while (h < 0) h += 240;
  while (h > 240) h -= 240;
  if (h < 40) return p + ((q - p) * h + 20) / 40;
  if (h < 120) return q;
  if (h < 160) return p + ((q - p) * (160 - h) + 20) / 40;
  return p;
}

}  // namespace

Color SECMixColors(Color a, Color b, int weight) {
  weight &= 0xFF;
  const int scale = weight <= 99 ? 100 : 1000;
  auto mix = [&](int ca, int cb) { return (scale / 2 + ca * weight + cb * (scale - weight)) / scale; };
  return MakeRgb(ClampByte(mix(RedOf(a), RedOf(b))), ClampByte(mix(GreenOf(a), GreenOf(b))),
                 ClampByte(mix(BlueOf(a), BlueOf(b))));
}

Color SECLightenColor(Color c, int amount) {
  amount &= 0xFF;
  return MakeRgb(std::min(255, RedOf(c) + amount), std::min(255, GreenOf(c) + amount),
                 std::min(255, BlueOf(c) + amount));
}

double SECColorDistance(Color a, Color b) {
  Vec va = Weighted(a), vb = Weighted(b);
  return Length({va.x - vb.x, va.y - vb.y, va.z - vb.z});
}

Color SECEnsureColorContrast(Color c, Color ref, int minDistance) {
  const double refBright = Brightness(ref);
  double d = minDistance;
  if (refBright < 220) d *= 2 - refBright / 220;
  if (SECColorDistance(c, ref) > d) return c;
  if (refBright < 220) d *= 2 - refBright / 220;

  bool toWhite;
  if (Brightness(c) > refBright) toWhite = refBright < 442 - d;
  else toWhite = refBright < d;

  Vec vc = Weighted(c), vr = Weighted(ref);
  if (toWhite) {
    vc = Mirror(vc);
    vr = Mirror(vr);
  }
  const double n = std::max(Length(vc), 0.01);
  const Vec u{vc.x / n, vc.y / n, vc.z / n};
  const double t = vr.x * u.x + vr.y * u.y + vr.z * u.z;
  const double h2 = vr.x * vr.x + vr.y * vr.y + vr.z * vr.z - t * t;
  // A reference farther from the ray than d has no such point: take the
  // nearest one instead of a NaN.
  const double len = t - std::sqrt(std::max(0.0, d * d - h2));
  vc = {u.x * len, u.y * len, u.z * len};
  if (toWhite) vc = Mirror(vc);
  vc.x = std::clamp(vc.x, 0.0, kSpanR);
  vc.y = std::clamp(vc.y, 0.0, kSpanG);
  vc.z = std::clamp(vc.z, 0.0, kSpanB);
  return MakeRgb(ClampByte(int(vc.x / kWr + 0.5)), ClampByte(int(vc.y / kWg + 0.5)),
                 ClampByte(int(vc.z / kWb + 0.5)));
}

void SECBuildXPPalette(const SysColorTable& colors) {
  const Color W = colors.Get(SysColor::Window), WT = colors.Get(SysColor::WindowText),
              F = colors.Get(SysColor::BtnFace), SH = colors.Get(SysColor::BtnShadow),
              BT = colors.Get(SysColor::BtnText), H = colors.Get(SysColor::Highlight),
              G = colors.Get(SysColor::GrayText), WF = colors.Get(SysColor::WindowFrame);
  auto Mix = SECMixColors;
  auto Contrast = SECEnsureColorContrast;
  g_paletteBuilt = true;
  Color* E = g_palette;
  E[0] = Mix(W, F, 165);
  E[1] = Contrast(Mix(SH, W, 70), E[0], 50);
  E[2] = Contrast(BT, E[0], 180);
  E[3] = E[4] = E[0];
  E[5] = Contrast(Mix(H, W, 30), E[0], 50);
  E[6] = Contrast(H, E[0], 100);
  E[7] = Mix(H, W, 50);
  E[8] = H;
  E[9] = E[10] = E[0];
  E[11] = Contrast(Mix(H, Mix(F, W, 48), 7), E[0], 5);
  E[12] = H;
  E[13] = Contrast(Mix(H, W, 50), E[0], 30);
  E[14] = Contrast(H, E[13], 100);
  E[15] = Mix(F, W, 143);
  E[16] = Contrast(WT, E[15], 180);
  E[17] = E[15];
  E[18] = Contrast(Mix(G, W, 70), E[15], 80);
  E[19] = Contrast(Mix(H, W, 30), E[0], 50);
  E[20] = Contrast(H, E[0], 100);
  E[21] = Contrast(WF, E[19], 180);
  E[22] = E[15];
  E[23] = Mix(G, W, 70);
  E[24] = Contrast(H, E[0], 100);
  E[25] = Mix(W, F, 165);
  E[26] = Contrast(Mix(BT, SH, 20), E[0], 100);
  E[27] = Contrast(Mix(SH, W, 70), E[0], 50);
  E[28] = F;
  E[29] = Contrast(BT, E[0], 180);
  E[30] = Mix(0, E[5], 25);
  E[31] = Mix(SH, W, 90);
  E[32] = Contrast(Mix(SH, W, 75), E[0], 85);
}

Color SECGetXPColor(int index) {
  if (!g_paletteBuilt) SECBuildXPPalette();
  if (index < 0 || index >= kXPColorCount) return MakeRgb(255, 255, 255);
  return g_palette[index];
}

void SECRGBtoHLS(Color c, std::uint16_t* hue, std::uint16_t* lum, std::uint16_t* sat) {
  const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const int l = ((mx + mn) * 240 + 255) / 510;
  int h = 160, s = 0;
  if (mx != mn) {
    const int sum = mx + mn, diff = mx - mn;
    if (l <= 120) s = (diff * 240 + sum / 2) / sum;
    else s = (diff * 240 + (510 - sum) / 2) / (510 - sum);
    const int rd = ((mx - r) * 40 + diff / 2) / diff;
    const int gd = ((mx - g) * 40 + diff / 2) / diff;
    const int bd = ((mx - b) * 40 + diff / 2) / diff;
    if (r == mx) h = bd - gd;
    else if (g == mx) h = 80 + rd - bd;
    else h = 160 + gd - rd;
    if (h < 0) h += 240;
    if (h > 240) h -= 240;
  }
  if (hue) *hue = std::uint16_t(h);
  if (lum) *lum = std::uint16_t(l);
  if (sat) *sat = std::uint16_t(s);
}

Color SECHLStoRGB(int hue, int lum, int sat) {
  if (sat == 0) {
    const int v = ClampByte(lum * 255 / 240);
    return MakeRgb(v, v, v);
  }
  const int m2 = lum <= 120 ? (lum * (240 + sat) + 120) / 240 : lum + sat - (lum * sat + 120) / 240;
  const int m1 = 2 * lum - m2;
  const int r = (Hue(m1, m2, hue + 80) * 255 + 120) / 240;
  const int g = (Hue(m1, m2, hue) * 255 + 120) / 240;
  const int b = (Hue(m1, m2, hue - 80) * 255 + 120) / 240;
  return MakeRgb(ClampByte(r), ClampByte(g), ClampByte(b));
}

void SECSysColorRecord::LoadSysColors(const SysColorTable& colors) {
  SECBuildXPPalette(colors);
  btnFace = colors.Get(SysColor::BtnFace);
  btnShadow = colors.Get(SysColor::BtnShadow);
  btnHighlight = colors.Get(SysColor::BtnHighlight);
  windowFrame = colors.Get(SysColor::WindowFrame);
  light3D = colors.Get(SysColor::Light3D);
  dkShadow3D = colors.Get(SysColor::DkShadow3D);
  windowText = colors.Get(SysColor::WindowText);
  window = colors.Get(SysColor::Window);
  highlight = colors.Get(SysColor::Highlight);
  highlightText = colors.Get(SysColor::HighlightText);
  borderSize = 2;
}

SECSysColorRecord& TheSysColorRecord() {
  static SECSysColorRecord record = [] {
    SECSysColorRecord r;
    r.LoadSysColors();
    return r;
  }();
  return record;
}

}  // namespace pm2
