// Keeping the caret visible, placing it, and scrolling by lines, pages,
// columns and the scroll-bar thumb. The vertical bar counts in steps of
// ScrollFactor lines so that a bar with 16-bit positions covers any text.
#include <algorithm>

#include "editor/engine/edit_engine.h"

namespace pm2 {

namespace {
constexpr int kHPage = 32;
}  // namespace

int EditEngine::ScrollFactor(int lineCount) { return std::max(lineCount - 1, 0) / 65535 + 1; }

int EditEngine::VScrollMax() const {
  return std::max(m_pText->GetLineCount() - 1, 0) / m_s.nScrollFactor;
}
int EditEngine::VScrollPage() const { return std::max(Rows() / m_s.nScrollFactor, 1); }
int EditEngine::VScrollPos() const { return (m_s.nTopLine - 1) / m_s.nScrollFactor; }

void EditEngine::UpdateCaret() {
  if (m_s.nCharWidth == 0 || m_s.nLineHeight == 0) return;
  if (m_s.nCaretCol < 0) m_s.nCaretCol = 0;
  // A column inside a tab becomes the tab's start column.
  m_s.nCaretCol = m_pText->IndexToColumn(m_s.pCaretLine, CaretIndex());
  int c = VisibleColumns();
  int r = Rows();
  if (c == 0 || r == 0) return;
  int oldTop = m_s.nTopLine;
  int oldLeft = m_s.nLeftCol;
  int tab = std::max(m_pText->GetTabSize(), 1);
  while (m_s.nLeftCol > m_s.nCaretCol) m_s.nLeftCol -= std::min(tab, m_s.nLeftCol);
  while (m_s.nCaretCol - m_s.nLeftCol >= c - 1 && m_s.nLeftCol < kMaxLineColumns)
    m_s.nLeftCol += tab;
  if (m_s.nCaretLine < m_s.nTopLine || m_s.nCaretLine - m_s.nTopLine >= r) {
    m_s.pTopLine = m_s.pCaretLine;
    m_s.nTopLine = m_s.nCaretLine;
  }
  if (m_s.nDialogTop != m_s.nDialogBottom) {
    int lh = m_s.nLineHeight;
    int y = (m_s.nCaretLine - m_s.nTopLine) * lh;
    if (y > m_s.nDialogTop && y + lh < m_s.nDialogBottom) {
      if (m_s.nDialogTop / lh > (m_s.nTextHeight - m_s.nDialogBottom) / lh) {
        m_s.pTopLine = m_s.pCaretLine;  // more room above the dialog
        m_s.nTopLine = m_s.nCaretLine;
      } else {
        while (y < m_s.nDialogBottom && m_s.pTopLine->m_pPrev) {
          m_s.pTopLine = m_s.pTopLine->m_pPrev;
          --m_s.nTopLine;
          y = (m_s.nCaretLine - m_s.nTopLine) * lh;
        }
      }
    }
    m_s.nDialogTop = m_s.nDialogBottom = 0;
  }
  if (!m_s.bRedraw) return;
  ScrollBackWhenTextFits();
  if (oldTop != m_s.nTopLine || oldLeft != m_s.nLeftCol) Invalidate();
  m_s.nScrollFactor = ScrollFactor(m_pText->GetLineCount());
  m_pHost->ScrollBarsChanged();
  PlaceCaret();
  m_pHost->CaretPlaced();
}

EditEngine::ClientPoint EditEngine::CaretClientPoint() const {
  return {(m_s.nCaretCol - m_s.nLeftCol) * m_s.nCharWidth + m_s.nLeftMargin,
          (m_s.nCaretLine - m_s.nTopLine) * m_s.nLineHeight};
}

void EditEngine::PlaceCaret() {
  auto [x, y] = CaretClientPoint();
  if (x < m_s.nLeftMargin) x = -10;  // parked outside the window
  m_pHost->PlaceCaret(x, y, !m_s.bSelActive && m_pHost->HasFocus() && x >= 0);
}

// A text that now fits into the window (lines were deleted, here or in
// another window) is shown from its first line.
void EditEngine::ScrollBackWhenTextFits() {
  int rows = Rows();
  if (rows <= 0 || m_s.nTopLine <= 1 || rows < m_pText->GetLineCount()) return;
  m_s.pTopLine = m_pText->FirstLine();
  m_s.nTopLine = 1;
  Invalidate();
  PlaceCaret();
}

int EditEngine::SyncLineCount() {
  // The text keeps its count as lines come and go; nothing is walked.
  int count = m_pText->GetLineCount();
  int before = m_nShownLineCount;
  m_nShownLineCount = count;
  if (count != before) ScrollBackWhenTextFits();
  m_s.nScrollFactor = ScrollFactor(count);
  if (count != before) m_pHost->ScrollBarsChanged();
  return count;
}

void EditEngine::RepairLinePointers() {
  // The caret line still belongs to the text when no line was taken out
  // since the last check, or when walking from the first line meets it;
  // addresses are compared, never read.
  bool caretLives = LinesUnchangedSinceCheck();
  for (const CEditLine* p = m_pText->FirstLine(); p && !caretLives; p = p->m_pNext)
    if (p == m_s.pCaretLine) caretLives = true;
  if (caretLives) {
    m_s.nCaretLine = m_pText->LineNumber(m_s.pCaretLine);
    ResolveTop();
    if (m_s.nTopLine > m_s.nCaretLine) {
      m_s.pTopLine = m_s.pCaretLine;
      m_s.nTopLine = m_s.nCaretLine;
    }
    return;
  }
  m_s.pCaretLine = m_s.pTopLine = m_pText->GetLine(std::max(m_s.nCaretLine, 1));
  m_s.nCaretLine = m_s.nTopLine = m_pText->LineNumber(m_s.pCaretLine);
}

void EditEngine::SetDialogRect(int top, int bottom) {
  m_s.nDialogTop = top;
  m_s.nDialogBottom = bottom;
}

bool EditEngine::OnDragScroll(int horizontal, int vertical, bool doScroll) {
  bool possible = false;
  if (horizontal == 0 || horizontal == 1) {
    possible = horizontal == 0 ? m_s.nLeftCol > 0 : m_s.nLeftCol < kMaxLineColumns;
    if (possible && doScroll) OnHScroll(horizontal, 0);
  }
  if (vertical == 0) {
    possible = m_s.pTopLine->m_pPrev != nullptr;
    if (possible && doScroll) ScrollLineUp();
  } else if (vertical == 1) {
    possible = m_s.pCaretLine->m_pNext != nullptr && m_s.pTopLine->m_pNext != nullptr;
    if (possible && doScroll) ScrollLineDown();
  }
  return possible;
}

void EditEngine::OnOtherViewChanged(int hint) {
  if (hint == kHintCaretMoved) return;
  // The colouring state follows the text by itself (CommentCarryAt). Lines
  // may have gone: unless none was taken out since the last check, every
  // line pointer of this window is checked against the text in one walk
  // (addresses are compared, never read).
  bool unchanged = LinesUnchangedSinceCheck();
  bool selStartLives = unchanged, selEndLives = unchanged, anchorLives = unchanged || !m_s.pAnchorLine;
  for (const CEditLine* p = m_pText->FirstLine(); p && !(selStartLives && selEndLives && anchorLives);
       p = p->m_pNext) {
    selStartLives = selStartLives || p == m_s.pSelStart;
    selEndLives = selEndLives || p == m_s.pSelEnd;
    anchorLives = anchorLives || p == m_s.pAnchorLine;
  }
  if (m_s.pSelStart && (!selStartLives || !selEndLives || !anchorLives)) {
    m_s.pSelStart = m_s.pSelEnd = m_s.pAnchorLine = nullptr;
    m_s.bSelActive = false;
    m_s.nSelMode = kSelStream;
  }
  RepairLinePointers();
  m_nRemovedSeen = m_pText->LinesRemovedSerial();
  SyncLineCount();
  Invalidate();
  PlaceCaret();
}

bool EditEngine::LinesUnchangedSinceCheck() const {
  return m_nRemovedSeen == m_pText->LinesRemovedSerial();
}

int EditEngine::ScrollLineUp() {
  if (!m_s.pTopLine->m_pPrev) return kEditStartOfText;
  m_s.pTopLine = m_s.pTopLine->m_pPrev;
  --m_s.nTopLine;
  Invalidate();
  m_pHost->ScrollBarsChanged();
  PlaceCaret();
  return kEditOk;
}

int EditEngine::ScrollLineDown() {
  if (!m_s.pTopLine->m_pNext) return kEditEndOfFile;
  m_s.pTopLine = m_s.pTopLine->m_pNext;
  ++m_s.nTopLine;
  Invalidate();
  m_pHost->ScrollBarsChanged();
  PlaceCaret();
  return kEditOk;
}

void EditEngine::SetTopLine(int n) {
  CEditLine* p = m_pText->FirstLine();
  int walked = 1;
  for (; walked < n && p->m_pNext; ++walked) p = p->m_pNext;
  m_s.pTopLine = p;
  m_s.nTopLine = walked;
  Invalidate();
  PlaceCaret();
}

void EditEngine::OnVScroll(int code, int position) {
  int r = Rows();
  switch (code) {  // the bar's request codes, one action each
    case 0:
      ScrollLineUp();
      return;
    case 1:
      ScrollLineDown();
      return;
    case 2:
      if (m_s.pTopLine->m_pPrev) {
        for (int i = 0; i < r && m_s.pTopLine->m_pPrev; ++i) {
          m_s.pTopLine = m_s.pTopLine->m_pPrev;
          --m_s.nTopLine;
        }
        Invalidate();
        Notify(kHintCaretMoved);
        PlaceCaret();
      }
      break;
    case 3:
      if (m_s.pTopLine->m_pNext) {
        for (int i = 0; i < r && m_s.pTopLine->m_pNext; ++i) {
          m_s.pTopLine = m_s.pTopLine->m_pNext;
          ++m_s.nTopLine;
        }
        Invalidate();
        PlaceCaret();
      }
      break;
    case 4:
    case 5: {
      int n = std::max(position, 0) * m_s.nScrollFactor;
      // Walk from the nearer of the top line and the first line.
      CEditLine* from = std::abs(n + 1 - m_s.nTopLine) < n ? m_s.pTopLine : m_pText->FirstLine();
      m_s.pTopLine = WalkTo(from, n + 1);
      m_s.nTopLine = m_pText->LineNumber(m_s.pTopLine);
      Invalidate();
      PlaceCaret();
      break;
    }
    default:
      return;
  }
  m_pHost->ScrollBarsChanged();
}

void EditEngine::OnHScroll(int code, int position) {
  int left = m_s.nLeftCol;
  switch (code) {
    case 0: left = std::max(left - 1, 0); break;
    case 1: left = std::min(left + 1, kMaxLineColumns); break;
    case 2: left = std::max(left - kHPage, 0); break;
    case 3: left = std::min(left + kHPage, kMaxLineColumns); break;
    case 4:
    case 5: left = std::clamp(position, 0, kMaxLineColumns); break;
    default: break;
  }
  if (left == m_s.nLeftCol) return;
  m_s.nLeftCol = left;
  Invalidate();
  m_pHost->ScrollBarsChanged();
  PlaceCaret();
}

}  // namespace pm2
