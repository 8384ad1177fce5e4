// One row of an editor window as the painter draws it: the line with tabs
// expanded, the colour attribute of every cell, the selected span and the
// line's marks; and the geometry that painting and hit tests share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/text/line_colours.h"

namespace pm2 {

class EditEngine;
struct EditState;

struct RowLayout {
  const CEditLine* pLine = nullptr;  // null: a row below the last line
  std::string text;                  // tabs expanded, line end dropped
  std::vector<uint8_t> cells;        // CellAttribute per column of text
  int selStart = 0;                  // selected columns [selStart, selStart + selWidth)
  int selWidth = 0;
  bool bookmark = false;
};

// The row of a line (with show tabs, a tab's first cell holds 0xBB).
RowLayout LayoutRow(EditEngine& engine, const CEditLine* pLine);

// Client x of a display column and y of a row (row 0 is the top line).
int ColumnX(const EditState& s, int column);
int RowY(const EditState& s, int row);

}  // namespace pm2
