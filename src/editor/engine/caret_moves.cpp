// Caret movement and keyboard selection. Each plain move ends an active
// selection first; the Sel commands run the same move as an extension of
// the selection between the fixed anchor and the moving caret.
#include <algorithm>

#include "editor/engine/edit_engine.h"

namespace pm2 {

// A plain move ends the selection; a move that runs inside a selection
// command keeps it.
void EditEngine::EndSelectionForMove() {
  if (m_s.bSelActive && !m_bExtending) ClearSelection();
}

void EditEngine::MoveDown() {
  EndSelectionForMove();
  if (!StepDown()) return;
  m_s.nCaretCol = FixCaretColumn(m_s.nCaretCol);
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveUp() {
  EndSelectionForMove();
  if (!StepUp()) return;
  m_s.nCaretCol = FixCaretColumn(m_s.nCaretCol);
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveLeft() {
  EndSelectionForMove();
  if (m_s.nCaretCol > 0) {
    int col = m_s.nCaretCol - 1;
    int index = IndexOfColumn(m_s.pCaretLine, col);
    if (index < m_pText->ContentLength(m_s.pCaretLine) &&
        m_s.pCaretLine->m_text[size_t(index)] == '\t')
      col = m_pText->IndexToColumn(m_s.pCaretLine, index);
    m_s.nCaretCol = col;
  } else {
    if (!StepUp()) return;
    Notify(kHintCaretMoved);
    m_s.nCaretCol = LineEndColumn(m_s.pCaretLine);
  }
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveRight() {
  EndSelectionForMove();
  MoveRightAfterInsert();  // the line-length refusal is silent for a plain move
}

void EditEngine::PageUp() {
  EndSelectionForMove();
  if (!m_s.pCaretLine->m_pPrev) return;
  bool topMoved = false;
  for (int i = 0; i < Rows(); ++i) {
    if (m_s.pTopLine->m_pPrev) {
      m_s.pTopLine = m_s.pTopLine->m_pPrev;
      --m_s.nTopLine;
      m_s.pCaretLine = m_s.pCaretLine->m_pPrev;
      --m_s.nCaretLine;
      topMoved = true;
    } else if (m_s.pCaretLine->m_pPrev) {
      m_s.pCaretLine = m_s.pCaretLine->m_pPrev;
      --m_s.nCaretLine;
    }
  }
  if (topMoved) Invalidate();
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::PageDown() {
  EndSelectionForMove();
  if (!m_s.pCaretLine->m_pNext) return;
  for (int i = 0; i < Rows() && m_s.pCaretLine->m_pNext; ++i) {
    m_s.pCaretLine = m_s.pCaretLine->m_pNext;
    ++m_s.nCaretLine;
    if (m_s.pTopLine->m_pNext) {
      m_s.pTopLine = m_s.pTopLine->m_pNext;
      ++m_s.nTopLine;
    }
  }
  Invalidate();
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveHome() {
  EndSelectionForMove();
  m_s.nCaretCol = 0;
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveToLineEnd() {
  EndSelectionForMove();
  m_s.nCaretCol = LineEndColumn(m_s.pCaretLine);
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveTop() {
  EndSelectionForMove();
  if (m_s.pCaretLine == m_pText->FirstLine() && m_s.nCaretCol == 0) return;
  SyncLineCount();
  m_s.pCaretLine = m_s.pTopLine = m_pText->FirstLine();
  m_s.nCaretLine = m_s.nTopLine = 1;
  m_s.nCaretCol = m_s.nLeftCol = 0;
  Invalidate();
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::MoveBottom() {
  EndSelectionForMove();
  int count = SyncLineCount();
  CEditLine* pLast = LastEditLine(m_pText->FirstLine());
  m_s.pCaretLine = m_s.pTopLine = pLast;
  m_s.nCaretLine = m_s.nTopLine = count;
  for (int i = 1; i < Rows() && m_s.pTopLine->m_pPrev; ++i) {
    m_s.pTopLine = m_s.pTopLine->m_pPrev;
    --m_s.nTopLine;
  }
  m_s.nLeftCol = 0;
  m_s.nCaretCol = LineEndColumn(pLast);
  Invalidate();
  UpdateCaret();
  Notify(kHintCaretMoved);
}

namespace {
// Word characters of the word moves: the language's, underscore and full
// stop (so that "a.b" moves as one word).
bool IsMoveWordChar(const CEditTextBuffer& t, uint8_t c) { return t.IsWordChar(c) || c == '.'; }
}  // namespace

void EditEngine::WordLeft() {
  EndSelectionForMove();
  if (m_s.nCaretCol == 0) {
    if (!StepUp()) return;
    Notify(kHintCaretMoved);
    m_s.nCaretCol = LineEndColumn(m_s.pCaretLine);
  }
  const CEditLine* pLine = m_s.pCaretLine;
  int i = std::min(CaretIndex(), m_pText->ContentLength(pLine));
  // Back over blanks and punctuation, then over the word; a word that
  // starts the line is reached at index 0.
  while (i > 0 && !IsMoveWordChar(*m_pText, uint8_t(pLine->m_text[size_t(i - 1)]))) --i;
  while (i > 0 && IsMoveWordChar(*m_pText, uint8_t(pLine->m_text[size_t(i - 1)]))) --i;
  m_s.nCaretCol = m_pText->IndexToColumn(pLine, i);
  UpdateCaret();
  Notify(kHintCaretMoved);
}

void EditEngine::WordRight() {
  EndSelectionForMove();
  const CEditLine* pLine = m_s.pCaretLine;
  int end = LineEndColumn(pLine);
  if (m_s.nCaretCol < end) {
    int n = m_pText->ContentLength(pLine);
    int i = CaretIndex();
    auto word = [&](int k) { return IsMoveWordChar(*m_pText, uint8_t(pLine->m_text[size_t(k)])); };
    if (i < n && word(i))
      while (i < n && word(i)) ++i;
    while (i < n && !word(i)) ++i;
    if (i < n) {
      m_s.nCaretCol = m_pText->IndexToColumn(pLine, i);
    } else if (StepDown()) {
      m_s.nCaretCol = 0;
    }
  } else if (!pLine->m_pNext) {
    m_s.nCaretCol = end;
  } else {
    StepDown();
    m_s.nCaretCol = 0;
  }
  UpdateCaret();
  Notify(kHintCaretMoved);
}

// ---- keyboard selection ----

void EditEngine::Extend(void (EditEngine::*move)()) {
  if (!m_s.bSelActive) {
    // A keyboard selection continues a column block only while one is
    // being made; otherwise it is a stream.
    if (m_s.nSelMode != kSelColumn) m_s.nSelMode = kSelStream;
    BeginSelection();
  }
  int before = m_s.nCaretLine;
  int top = m_s.nTopLine;
  m_bExtending = true;
  (this->*move)();
  m_bExtending = false;
  UpdateSelection();
  if (m_s.nSelMode == kSelColumn || top != m_s.nTopLine)
    Invalidate();
  else
    InvalidateLines(before, m_s.nCaretLine);
}

void EditEngine::SelUp() { Extend(&EditEngine::MoveUp); }
void EditEngine::SelDown() { Extend(&EditEngine::MoveDown); }
void EditEngine::SelLeft() { Extend(&EditEngine::MoveLeft); }
void EditEngine::SelRight() { Extend(&EditEngine::MoveRight); }
void EditEngine::SelLineEnd() { Extend(&EditEngine::MoveToLineEnd); }
void EditEngine::SelLineStart() { Extend(&EditEngine::MoveHome); }
void EditEngine::SelPageDown() { Extend(&EditEngine::PageDown); }
void EditEngine::SelPageUp() { Extend(&EditEngine::PageUp); }
void EditEngine::SelWordLeft() { Extend(&EditEngine::WordLeft); }
void EditEngine::SelWordRight() { Extend(&EditEngine::WordRight); }
void EditEngine::SelBottom() { Extend(&EditEngine::MoveBottom); }
void EditEngine::SelTop() { Extend(&EditEngine::MoveTop); }

void EditEngine::SelectAll() {
  if (m_s.bSelActive) ClearSelection();
  MoveTop();
  m_s.nSelMode = kSelStream;
  BeginSelection();
  int count = SyncLineCount();
  CEditLine* pLast = LastEditLine(m_pText->FirstLine());
  m_s.pCaretLine = m_s.pTopLine = pLast;
  m_s.nCaretLine = m_s.nTopLine = count;
  for (int i = 1; i < Rows() && m_s.pTopLine->m_pPrev; ++i) {
    m_s.pTopLine = m_s.pTopLine->m_pPrev;
    --m_s.nTopLine;
  }
  m_s.nLeftCol = 0;
  m_s.nCaretCol = LineEndColumn(pLast);
  UpdateSelection();
  Invalidate();
  UpdateCaret();
}

}  // namespace pm2
