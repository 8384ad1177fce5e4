#include "editor/view/edit_view_paint.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <vector>

#include "editor/engine/edit_engine.h"
#include "editor/engine/line_layout.h"
#include "editor/view/qt_clipboard.h"
#include "toolkit/core/sys_colors.h"

namespace pm2 {

namespace {
QColor FromBgr(EditColour c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
QColor FromSys(SysColor c) {
  Color v = GetSysColor(c);
  return QColor(RedOf(v), GreenOf(v), BlueOf(v));
}

// The margin's 8 x 8 checkerboard: set bits in the margin colour, clear
// bits in the text's background.
QBrush MarginBrush(const EditPaintColours& c) {
  QPixmap pm(8, 8);
  pm.fill(c.background);
  QPainter p(&pm);
  for (int y = 0; y < 8; ++y)
    for (int x = (y & 1); x < 8; x += 2) p.fillRect(x, y, 1, 1, c.margin);
  return QBrush(pm);
}

const QColor& CellColour(const EditPaintColours& c, uint8_t a) {
  if (a & kCellComment) return c.comment;
  if (a & kCellString) return c.quote;
  if (a & kCellKeyword) return c.keyword;
  return c.text;
}

// The bookmark: a blue circle in the margin row.
void DrawLineMarks(QPainter& p, const QRect& row, int leftMargin) {
  int d = leftMargin / 2;
  int size = 2 * d - 2;
  int top = row.top() + row.height() / 2 - (size - 2) / 2;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(0, 0, 128), 1));
  p.setBrush(QColor(0, 0, 255));
  p.drawEllipse(QRectF(2, top, std::max(size - 2, 2), std::max(size - 2, 2)));
  p.restore();
}
}  // namespace

EditPaintColours EditColoursOf(const EditEngine& engine) {
  const CEditTextBuffer& t = *engine.Text();
  EditPaintColours c;
  c.text = FromBgr(t.m_crText);
  c.background = FromBgr(t.m_crBackground);
  c.keyword = FromBgr(t.m_crKeyword);
  c.quote = FromBgr(t.m_crQuote);
  c.comment = FromBgr(t.m_crComment);
  c.margin = FromSys(SysColor::ScrollBar);
  c.highlight = FromSys(SysColor::Highlight);
  c.highlightText = FromSys(SysColor::HighlightText);
  c.caret = FromSys(SysColor::WindowText);
  return c;
}

void PaintEditRows(QPainter& p, EditEngine& engine, const QRect& area, const QFont& font,
                   int ascent, const QRect& caret, const QRect& dropCaret, const MarginPainter& painter) {
  const EditState& s = engine.State();
  if (!s.pTopLine || s.nLineHeight <= 0 || s.nCharWidth <= 0) return;
  p.save();
  EditPaintColours c = EditColoursOf(engine);
  // The brush is made once per set of colours, not on every paint.
  static QBrush margin;
  static QColor marginColour, marginBackground;
  if (margin.style() == Qt::NoBrush || marginColour != c.margin || marginBackground != c.background) {
    margin = MarginBrush(c);
    marginColour = c.margin;
    marginBackground = c.background;
  }
  p.setFont(font);
  int width = std::max(s.nTextWidth, area.right() + 1);
  // Row by row: a fill of the whole window at once would be handed to
  // worker threads, which costs more than it saves for one window.
  int firstRow = std::max(area.top() / s.nLineHeight, 0);
  int top = RowY(s, firstRow);
  int bottom = area.bottom() + 1;
  for (int y = top; y < bottom; y += s.nLineHeight) {
    p.fillRect(QRect(0, y, s.nLeftMargin, s.nLineHeight), margin);
    p.fillRect(QRect(s.nLeftMargin, y, width - s.nLeftMargin, s.nLineHeight), c.background);
  }
  const CEditLine* pLine = s.pTopLine;
  for (int row = 0; row < firstRow && pLine; ++row) pLine = pLine->m_pNext;
  std::vector<int> marks;  // rows whose line has a bookmark
  std::vector<std::pair<int, const CEditLine*>> cells;  // rows for the margin painter
  p.setClipRect(QRect(s.nLeftMargin, top, width - s.nLeftMargin, bottom - top));
  for (int row = firstRow; RowY(s, row) <= area.bottom() && pLine; ++row, pLine = pLine->m_pNext) {
    int y = RowY(s, row);
    RowLayout r = LayoutRow(engine, pLine);
    if (painter)
      cells.emplace_back(y, pLine);
    else if (r.bookmark)
      marks.push_back(y);
    int selA = r.selWidth > 0 ? r.selStart : 0;
    int selB = r.selWidth > 0 ? r.selStart + r.selWidth : 0;
    if (selB > selA) {
      int x0 = ColumnX(s, std::max(selA, s.nLeftCol));
      int x1 = ColumnX(s, selB);
      if (x1 > x0) p.fillRect(QRect(x0, y, x1 - x0, s.nLineHeight), c.highlight);
    }
    int n = int(r.text.size());
    int visibleEnd = std::min(n, s.nLeftCol + s.nTextWidth / s.nCharWidth + 2);
    // Runs of cells with one colour, the selection splitting them.
    for (int col = s.nLeftCol; col < visibleEnd;) {
      uint8_t a = r.cells[size_t(col)];
      bool sel = col >= selA && col < selB;
      int end = col + 1;
      while (end < visibleEnd && r.cells[size_t(end)] == a && (end >= selA && end < selB) == sel) ++end;
      p.setPen(sel ? c.highlightText : CellColour(c, a));
      p.drawText(ColumnX(s, col), y + ascent, EditPaintText(r.text.data() + col, qsizetype(end - col)));
      col = end;
    }
  }
  p.setClipping(false);
  for (int y : marks) DrawLineMarks(p, QRect(0, y, s.nLeftMargin, s.nLineHeight), s.nLeftMargin);
  for (const auto& [y, line] : cells) painter(p, QRect(0, y, s.nLeftMargin, s.nLineHeight), *line);
  if (!caret.isEmpty() && caret.intersects(area)) p.fillRect(caret, c.caret);
  if (!dropCaret.isEmpty() && dropCaret.intersects(area)) p.fillRect(dropCaret, Qt::gray);
  p.restore();
}

}  // namespace pm2
