// Mouse selection (stream, or a column block with Alt), the drag that
// scrolls one line per timer tick beyond the text, double-click words,
// margin clicks that select a line, and the drop point.
#include <algorithm>

#include "editor/engine/edit_engine.h"

namespace pm2 {

CEditLine* EditEngine::RowLine(int row) const {
  CEditLine* p = m_s.pTopLine;
  for (int i = 0; i < row && p; ++i) p = p->m_pNext;
  return p;
}

int EditEngine::PointColumn(int x, bool withLeft) const {
  int cw = std::max(m_s.nCharWidth, 1);
  int col = (x - m_s.nLeftMargin + cw / 2) / cw + (withLeft ? m_s.nLeftCol : 0);
  return std::clamp(col, 0, kMaxLineColumns);
}

bool EditEngine::IsPointInMargin(int x) const {
  return x <= m_s.nLeftMargin - m_s.nCharWidth / 2;
}

void EditEngine::PointToCaret(int x, int y) {
  if (x < m_s.nLeftMargin) {
    x = m_s.nLeftMargin;
    if (m_s.nLeftCol > 0) {
      --m_s.nLeftCol;
      Invalidate();
    }
  }
  int lh = std::max(m_s.nLineHeight, 1);
  int row = y < 0 ? 0 : y / lh;
  // A partly visible bottom row counts as the row above.
  if ((row + 1) * lh > m_s.nTextHeight && row > 0) --row;
  CEditLine* p = m_s.pTopLine;
  int n = m_s.nTopLine;
  for (int i = 0; i < row && p->m_pNext; ++i, ++n) p = p->m_pNext;
  m_s.pCaretLine = p;
  m_s.nCaretLine = n;
  m_s.nCaretCol = FixCaretColumn(PointColumn(x, true));
  UpdateCaret();
}

void EditEngine::PointToCaretNearest(int x, int y) { PointToCaret(x, y); }

bool EditEngine::IsPointInSelection(int x, int y) const {
  if (!HasSelection()) return false;
  int lh = std::max(m_s.nLineHeight, 1);
  if (y < 0) return false;
  int row = y / lh;
  if ((row + 1) * lh > m_s.nTextHeight) return false;
  const CEditLine* p = RowLine(row);
  if (!p) return false;
  int start = 0, width = 0;
  if (!GetLineSelection(p, LineEndColumn(p), &start, &width)) return false;
  int col = PointColumn(x, true);
  return col >= start && col < start + width;
}

bool EditEngine::OnLButtonDown(int x, int y, bool shift, bool alt) {
  if (!m_s.bSelActive) {
    m_s.nSelMode = alt || m_s.nSelMode == kSelColumn ? kSelColumn : kSelStream;
    if (shift) {
      BeginSelection();  // from the old caret
      int before = m_s.nCaretLine;
      PointToCaret(x, y);
      UpdateSelection();
      InvalidateLines(before, m_s.nCaretLine);
    } else {
      PointToCaret(x, y);
      BeginSelection();
    }
  } else if (!shift) {
    if (IsPointInSelection(x, y)) return true;  // the window may start a drag
    ClearSelection();
    PointToCaret(x, y);
    m_s.nSelMode = alt ? kSelColumn : kSelStream;
    BeginSelection();
  } else {
    int before = m_s.nCaretLine;
    PointToCaret(x, y);
    UpdateSelection();
    if (m_s.nSelMode == kSelColumn)
      Invalidate();
    else
      InvalidateLines(before, m_s.nCaretLine);
    return false;  // no capture and no timer
  }
  m_s.nLastX = x;
  m_s.nLastY = y;
  m_s.bCapture = true;
  m_s.bSkipTick = true;
  return false;
}

void EditEngine::DragFinished(bool dropped, int x, int y) {
  if (dropped) return;
  ClearSelection();
  PointToCaret(x, y);
}

void EditEngine::OnMouseMove(int x, int y) {
  if (!m_s.bCapture) return;
  int before = m_s.nCaretLine;
  int top = m_s.nTopLine;
  if (y >= m_s.nTextHeight) {
    if (StepDown()) m_s.nCaretCol = FixCaretColumn(m_s.nCaretCol);
  } else if (y <= 0) {
    if (StepUp()) m_s.nCaretCol = FixCaretColumn(m_s.nCaretCol);
  } else {
    int oldCol = m_s.nCaretCol;
    PointToCaret(x, y);
    if (before == m_s.nCaretLine && oldCol == m_s.nCaretCol) {
      m_s.nLastX = x;
      m_s.nLastY = y;
      return;
    }
  }
  UpdateSelection();
  UpdateCaret();
  if (m_s.nSelMode == kSelColumn || top != m_s.nTopLine)
    Invalidate();
  else
    InvalidateLines(before, m_s.nCaretLine);
  m_s.nLastX = x;
  m_s.nLastY = y;
}

void EditEngine::OnTimerTick(int x, int y) {
  if (!m_s.bCapture) return;
  if (m_s.bSkipTick) {
    m_s.bSkipTick = false;
    return;
  }
  bool outside = x <= 0 || x >= m_s.nTextWidth || y <= 0 || y >= m_s.nTextHeight;
  if (x != m_s.nLastX || y != m_s.nLastY || outside) OnMouseMove(x, y);
}

void EditEngine::OnLButtonUp(int x, int /*y*/) {
  if (m_s.bCapture) {
    m_s.bCapture = false;
    if (HasSelection() && m_s.pSelStart == m_s.pSelEnd) {
      const CEditLine* p = m_s.pSelStart;
      int end = LineEndColumn(p);
      if (m_s.nSelStartCol == m_s.nSelEndCol ||
          (m_s.nSelMode != kSelColumn && (end == 0 || std::min(m_s.nSelStartCol, m_s.nSelEndCol) >= end)))
        ClearSelection();
    }
  }
  if (!m_s.bSelActive && IsPointInMargin(x)) {
    // A click in the margin selects the line, its line end included.
    m_s.nCaretCol = 0;
    m_s.nSelMode = kSelStream;
    BeginSelection();
    if (!StepDown()) m_s.nCaretCol = LineEndColumn(m_s.pCaretLine);
    UpdateSelection();
    UpdateCaret();
    InvalidateLines(m_pText->LineNumber(m_s.pSelStart), m_pText->LineNumber(m_s.pSelEnd));
  }
}

void EditEngine::OnLButtonDblClk(int x, int y) {
  if (m_s.bSelActive) ClearSelection();
  m_s.bCapture = false;
  // The press before a double click has placed the caret there already;
  // placing it again serves windows that deliver the double click alone.
  PointToCaret(x, y);
  const CEditLine* p = m_s.pCaretLine;
  int n = m_pText->ContentLength(p);
  int i = CaretIndex();
  auto word = [&](int k) {
    uint8_t c = uint8_t(p->m_text[size_t(k)]);
    return m_pText->IsWordChar(c) || c == '_';
  };
  if (n <= 0 || i + 1 > n || !word(i)) return;
  int s = i;
  while (s > 0 && word(s - 1) && !m_pText->m_terminatorChars[uint8_t(p->m_text[size_t(s - 1)])]) --s;
  int e = i;
  while (e < n && word(e) && !(e > s && m_pText->m_startChars[uint8_t(p->m_text[size_t(e)])])) ++e;
  m_s.nCaretCol = m_pText->IndexToColumn(p, s);
  m_s.nSelMode = kSelStream;
  BeginSelection();
  m_s.nCaretCol = m_pText->IndexToColumn(p, e);
  UpdateSelection();
  UpdateCaret();
  InvalidateCaretRow();
}

}  // namespace pm2
