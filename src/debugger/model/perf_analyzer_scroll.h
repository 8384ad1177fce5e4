// The performance analyser's rows under the scale: which row is at the top
// and which is selected, moved by the keys and the vertical scroll bar.
#pragma once

namespace pm2 {

struct PaScroll {
  int top = 0;       // the first row shown
  int selected = 0;  // the selected row, counted from the top row
};

enum class PaKey { Up, Down, PageUp, PageDown };

// The largest top row: the last rows fill the view.
int PaMaxTop(int rows, int visible);

// A key on `rows` rows of which `visible` fit: Up and Down move the
// selection inside the shown rows and scroll one row at their edges;
// PageUp selects the first row when the view is at the top and else pages
// up; PageDown pages down when not all rows fit (and at least two are
// shown), else selects the last row.
PaScroll PaKeyMove(PaScroll s, PaKey key, int rows, int visible);

}  // namespace pm2
