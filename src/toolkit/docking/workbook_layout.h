#pragma once
// Geometry of the workbook's sheet tabs under the MDI client: tab width,
// the seven-point tab outline, the label rectangle, label shortening and
// the client margins of the two styles. M is the MDI client's rectangle in
// frame client coordinates.

#include <array>
#include <functional>
#include <string>

#include "toolkit/core/geometry.h"

namespace pm2 {

struct WorkbookMetrics {
  int tabHeight = 23;     // H
  int bevel = 2;          // B
  int activeWiden = 4;    // A
  int activeRaise = 2;    // R
  int maxTabWidth = 90;
};

struct ClientMargins {
  int left = 0, right = 0, top = 0, bottom = 0;
  friend bool operator==(const ClientMargins&, const ClientMargins&) = default;
};

ClientMargins WorkbookMargins(bool workbookMode, bool flat);

// W = min((width + 5) / count, 90); 90 for no sheets.
int WorkbookTabWidth(int clientWidth, int sheetCount, const WorkbookMetrics& m = {});

using TabPolygon = std::array<Point, 7>;
// `slot` is the sheet's place among the visible sheets; `raised` is true
// for the active or pressed sheet.
TabPolygon WorkbookTabPolygon(int slot, int tabWidth, const Rect& mdi, bool raised, bool flat,
                              const WorkbookMetrics& m = {});
Rect WorkbookTabTextRect(const TabPolygon& pts, int iconWidth);
Rect WorkbookTabBounds(const TabPolygon& pts);
bool WorkbookTabContains(const TabPolygon& pts, Point p);

// Cuts the last four characters and appends "..." while the text is longer
// than 3 characters and wider than `width`.
std::string ShortenTabLabel(std::string label, int width, const std::function<int(const std::string&)>& measure);

}  // namespace pm2
