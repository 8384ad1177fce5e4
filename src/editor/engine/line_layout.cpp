#include "editor/engine/line_layout.h"

#include <algorithm>

#include "editor/engine/edit_engine.h"

namespace pm2 {

RowLayout LayoutRow(EditEngine& engine, const CEditLine* pLine) {
  RowLayout row;
  row.pLine = pLine;
  if (!pLine) return row;
  CEditTextBuffer& buf = *engine.Text();
  int carry = engine.CommentCarryAt(pLine);
  LineColours lc = ColourLine(buf, pLine, &carry);
  row.text = std::move(lc.row);
  row.cells = std::move(lc.cells);
  if (buf.m_bShowTabs) {
    int col = 0;
    int tab = std::max(buf.GetTabSize(), 1);
    int n = buf.ContentLength(pLine);
    for (int i = 0; i < n; ++i) {
      if (pLine->m_text[size_t(i)] == '\t') {
        if (size_t(col) < row.text.size()) row.text[size_t(col)] = char(0xBB);
        col += tab - col % tab;
      } else {
        ++col;
      }
    }
  }
  row.bookmark = pLine->m_nFlags & kLineBookmark;
  if (engine.State().bSelActive && engine.ShowsSelection())
    engine.GetLineSelection(pLine, int(row.text.size()), &row.selStart, &row.selWidth);
  return row;
}

int ColumnX(const EditState& s, int column) {
  return s.nLeftMargin + (column - s.nLeftCol) * s.nCharWidth;
}

int RowY(const EditState& s, int row) { return row * s.nLineHeight; }

}  // namespace pm2
