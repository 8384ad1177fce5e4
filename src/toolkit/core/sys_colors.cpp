#include "toolkit/core/sys_colors.h"

namespace pm2 {
namespace {

struct ColorRow {
  SysColor index;
  Color value;
};

// The Windows-classic scheme ("Windows Standard").
constexpr ColorRow kClassicColors[] = {
    {SysColor::ScrollBar, MakeRgb(212, 208, 200)},
    {SysColor::Background, MakeRgb(58, 110, 165)},
    {SysColor::ActiveCaption, MakeRgb(10, 36, 106)},
    {SysColor::InactiveCaption, MakeRgb(128, 128, 128)},
    {SysColor::Menu, MakeRgb(212, 208, 200)},
    {SysColor::Window, MakeRgb(255, 255, 255)},
    {SysColor::WindowFrame, MakeRgb(0, 0, 0)},
    {SysColor::MenuText, MakeRgb(0, 0, 0)},
    {SysColor::WindowText, MakeRgb(0, 0, 0)},
    {SysColor::CaptionText, MakeRgb(255, 255, 255)},
    {SysColor::ActiveBorder, MakeRgb(212, 208, 200)},
    {SysColor::InactiveBorder, MakeRgb(212, 208, 200)},
    {SysColor::AppWorkspace, MakeRgb(128, 128, 128)},
    {SysColor::Highlight, MakeRgb(10, 36, 106)},
    {SysColor::HighlightText, MakeRgb(255, 255, 255)},
    {SysColor::BtnFace, MakeRgb(212, 208, 200)},
    {SysColor::BtnShadow, MakeRgb(128, 128, 128)},
    {SysColor::GrayText, MakeRgb(128, 128, 128)},
    {SysColor::BtnText, MakeRgb(0, 0, 0)},
    {SysColor::InactiveCaptionText, MakeRgb(212, 208, 200)},
    {SysColor::BtnHighlight, MakeRgb(255, 255, 255)},
    {SysColor::DkShadow3D, MakeRgb(64, 64, 64)},
    {SysColor::Light3D, MakeRgb(212, 208, 200)},
    {SysColor::InfoText, MakeRgb(0, 0, 0)},
    {SysColor::InfoBk, MakeRgb(255, 255, 225)},
    {SysColor::HotLight, MakeRgb(0, 0, 128)},
    {SysColor::GradientActiveCaption, MakeRgb(166, 202, 240)},
    {SysColor::GradientInactiveCaption, MakeRgb(192, 192, 192)},
};

struct MetricRow {
  SysMetric index;
  int value;
};

// The classic scheme at 96 DPI.
constexpr MetricRow kClassicMetrics[] = {
    {SysMetric::CxVScroll, 17}, {SysMetric::CyHScroll, 17},
    {SysMetric::CyCaption, 19}, {SysMetric::CxBorder, 1},
    {SysMetric::CyBorder, 1},   {SysMetric::CxEdge, 2},
    {SysMetric::CyEdge, 2},     {SysMetric::CxDoubleClk, 4},
    {SysMetric::CyDoubleClk, 4}, {SysMetric::CxIcon, 32},
    {SysMetric::CyIcon, 32},    {SysMetric::CxSmIcon, 16},
    {SysMetric::CySmIcon, 16},  {SysMetric::CyMenu, 19},
    {SysMetric::CxDrag, 4},     {SysMetric::CyDrag, 4},
};

}  // namespace

SysColorTable::SysColorTable() { ResetToClassic(); }

void SysColorTable::ResetToClassic() {
  for (Color& c : m_colors) c = 0;
  for (int& m : m_metrics) m = 0;
  for (const ColorRow& row : kClassicColors) m_colors[int(row.index)] = row.value;
  for (const MetricRow& row : kClassicMetrics) m_metrics[int(row.index)] = row.value;
}

Color SysColorTable::Get(SysColor c) const {
  int i = int(c);
  return (i >= 0 && i < kSysColorCount) ? m_colors[i] : 0;
}

void SysColorTable::Set(SysColor c, Color value) {
  int i = int(c);
  if (i >= 0 && i < kSysColorCount) m_colors[i] = value;
}

int SysColorTable::Metric(SysMetric m) const {
  int i = int(m);
  return (i >= 0 && i < kSysMetricCount) ? m_metrics[i] : 0;
}

SysColorTable& SysColors() {
  static SysColorTable table;
  return table;
}

}  // namespace pm2
