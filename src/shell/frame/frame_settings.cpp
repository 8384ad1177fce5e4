#include "shell/frame/frame_settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/settings_store.h"

namespace pm2 {

namespace {

// One decimal field (an optional sign, then digits) followed by `sep` or
// the end; advances `p`.
bool ReadNumber(std::string_view text, std::size_t* p, bool isSigned, int64_t* out, char sep) {
  std::size_t i = *p;
  bool neg = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (!isSigned && text[i] == '-') return false;
    neg = text[i] == '-';
    ++i;
  }
  std::size_t start = i;
  int64_t v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    v = v * 10 + (text[i] - '0');
    if (v > int64_t(std::numeric_limits<uint32_t>::max())) return false;
    ++i;
  }
  if (i == start) return false;
  if (sep) {
    if (i >= text.size() || text[i] != sep) return false;
    ++i;
  } else if (i != text.size()) {
    return false;
  }
  if (isSigned && v > int64_t(std::numeric_limits<int32_t>::max()) + (neg ? 1 : 0)) return false;
  *out = neg ? -v : v;
  *p = i;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ParseFramePlacement(std::string_view text, FramePlacement* out) {
  int64_t v[10];
  std::size_t p = 0;
  for (int i = 0; i < 10; ++i)
    if (!ReadNumber(text, &p, i >= 2, &v[i], i < 9 ? ',' : '\0')) return false;
  FramePlacement w;
  w.flags = uint32_t(v[0]);
  w.showCmd = uint32_t(v[1]);
  w.minX = int32_t(v[2]);
  w.minY = int32_t(v[3]);
  w.maxX = int32_t(v[4]);
  w.maxY = int32_t(v[5]);
  w.left = int32_t(v[6]);
  w.top = int32_t(v[7]);
  w.right = int32_t(v[8]);
  w.bottom = int32_t(v[9]);
  *out = w;
  return true;
}

bool FitFrameRect(const FramePlacement& p, const std::vector<ScreenArea>& screens, ScreenArea* out) {
  const int64_t left = p.left, top = p.top, width = int64_t(p.right) - p.left, height = int64_t(p.bottom) - p.top;
  if (width <= 0 || height <= 0 || screens.empty()) return false;
  auto overlap = [&](const ScreenArea& s) {
    const int64_t w = std::min<int64_t>(left + width, int64_t(s.x) + s.width) - std::max<int64_t>(left, s.x);
    const int64_t h = std::min<int64_t>(top + height, int64_t(s.y) + s.height) - std::max<int64_t>(top, s.y);
    return w > 0 && h > 0 ? w * h : 0;
  };
  const ScreenArea* best = &screens.front();
  int64_t bestArea = 0;
  for (const ScreenArea& s : screens) {
    const int64_t a = overlap(s);
    if (a > bestArea) {
      bestArea = a;
      best = &s;
    }
  }
  const int64_t w = std::min<int64_t>(width, best->width), h = std::min<int64_t>(height, best->height);
  const int64_t x = std::clamp<int64_t>(left, best->x, int64_t(best->x) + best->width - w);
  const int64_t y = std::clamp<int64_t>(top, best->y, int64_t(best->y) + best->height - h);
  *out = {int(x), int(y), int(w), int(h)};
  return w > 0 && h > 0;
}

std::string FormatFramePlacement(const FramePlacement& p) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX,
                p.maxY, p.left, p.top, p.right, p.bottom);
  return buf;
}

bool DecodeWindowFonts(std::string_view hex, std::string* out) {
  if (hex.size() != 2 * kWindowFontsSize) return false;
  std::string bytes(kWindowFontsSize, '\0');
  for (std::size_t i = 0; i < kWindowFontsSize; ++i) {
    int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = char(hi * 16 + lo);
  }
  *out = std::move(bytes);
  return true;
}

std::string EncodeWindowFonts(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

int TakeBarSize(int stored, int current) { return stored >= 1 && stored <= 1023 ? stored : current; }

FrameSettings LoadFrameSettings(const SettingsStore& store) {
  FrameSettings s;
  s.outputHeight = TakeBarSize(store.GetProfileInt(kFrameSection, "OvwH", s.outputHeight), s.outputHeight);
  s.projectWidth = TakeBarSize(store.GetProfileInt(kFrameSection, "PrjW", s.projectWidth), s.projectWidth);
  s.workbookMode = store.GetProfileInt(kFrameSection, "WbM", 0) != 0;
  s.reopenLastProject = store.GetProfileInt(kFrameSection, "LprJ", 1) != 0;
  s.includeDependencies = store.GetProfileInt(kFrameSection, "DepTR", 1) != 0;
  std::string fonts;
  if (DecodeWindowFonts(store.GetProfileString(kFrameSection, "Dbg"), &fonts)) s.windowFonts = fonts;
  s.hasPlacement = ParseFramePlacement(store.GetProfileString(kFrameSection, "WinPos"), &s.placement);
  return s;
}

void SaveFrameSettings(SettingsStore& store, const FrameSettings& s) {
  store.WriteProfileInt(kFrameSection, "OvwH", s.outputHeight);
  store.WriteProfileInt(kFrameSection, "PrjW", s.projectWidth);
  store.WriteProfileInt(kFrameSection, "WbM", s.workbookMode ? 1 : 0);
  store.WriteProfileInt(kFrameSection, "XpStyle", int(s.visualStyle));
  store.WriteProfileInt(kFrameSection, "LprJ", s.reopenLastProject ? 1 : 0);
  store.WriteProfileInt(kFrameSection, "DepTR", s.includeDependencies ? 1 : 0);
  if (s.windowFonts.size() == kWindowFontsSize)
    store.WriteProfileString(kFrameSection, "Dbg", EncodeWindowFonts(s.windowFonts).c_str());
  if (s.hasPlacement)
    store.WriteProfileString(kFrameSection, "WinPos", FormatFramePlacement(s.placement).c_str());
}

}  // namespace pm2
