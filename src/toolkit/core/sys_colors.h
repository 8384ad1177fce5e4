#pragma once
// System colours and metrics with fixed Windows-classic defaults, so that
// every layout and paint decision is the same on every machine. Windows read
// from here, never from the desktop theme.

#include <cstdint>

namespace pm2 {

// 0x00RRGGBB.
using Color = std::uint32_t;
constexpr Color MakeRgb(int r, int g, int b) {
  return (Color(r & 0xFF) << 16) | (Color(g & 0xFF) << 8) | Color(b & 0xFF);
}
constexpr int RedOf(Color c) { return int((c >> 16) & 0xFF); }
constexpr int GreenOf(Color c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return int(c & 0xFF); }

// Indices keep the Windows numbering so stored values stay meaningful.
enum class SysColor : int {
  ScrollBar = 0, Background = 1, ActiveCaption = 2, InactiveCaption = 3,
  Menu = 4, Window = 5, WindowFrame = 6, MenuText = 7, WindowText = 8,
  CaptionText = 9, ActiveBorder = 10, InactiveBorder = 11, AppWorkspace = 12,
  Highlight = 13, HighlightText = 14, BtnFace = 15, BtnShadow = 16,
  GrayText = 17, BtnText = 18, InactiveCaptionText = 19, BtnHighlight = 20,
  DkShadow3D = 21, Light3D = 22, InfoText = 23, InfoBk = 24,
  HotLight = 26, GradientActiveCaption = 27, GradientInactiveCaption = 28,
};
constexpr int kSysColorCount = 29;

enum class SysMetric : int {
  CxVScroll = 2, CyHScroll = 3, CyCaption = 4, CxBorder = 5, CyBorder = 6,
  CxEdge = 45, CyEdge = 46, CxDoubleClk = 36, CyDoubleClk = 37,
  CxIcon = 11, CyIcon = 12, CxSmIcon = 49, CySmIcon = 50, CyMenu = 15,
  CxDrag = 68, CyDrag = 69,
};
constexpr int kSysMetricCount = 100;

// One table per application; tests may change entries freely.
class SysColorTable {
 public:
  SysColorTable();
  Color Get(SysColor c) const;
  void Set(SysColor c, Color value);
  void ResetToClassic();

  int Metric(SysMetric m) const;

 private:
  Color m_colors[kSysColorCount] = {};
  int m_metrics[kSysMetricCount] = {};
};

// The process-wide table the windows use.
SysColorTable& SysColors();
inline Color GetSysColor(SysColor c) { return SysColors().Get(c); }
inline int GetSystemMetric(SysMetric m) { return SysColors().Metric(m); }

}  // namespace pm2
