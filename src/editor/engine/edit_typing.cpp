// Typing, new line with automatic indentation, block indent and unindent,
// and the deletions. An operation made of several text edits brackets them
// in one undo group, closed on every exit.
#include <algorithm>

#include "editor/engine/edit_engine.h"
#include "editor/engine/undo_group.h"

namespace pm2 {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

bool EditEngine::IsDelimiterChar(uint8_t ch) const {
  auto last = [](const std::string& s) { return s.empty() ? -1 : int(uint8_t(s.back())); };
  const std::string& o1 = m_pText->CommentOpener(1);
  const std::string& c1 = m_pText->CommentCloser(1);
  const std::string& o2 = m_pText->CommentOpener(2);
  const std::string& c2 = m_pText->CommentCloser(2);
  // A line-comment opener matters as much as a block opener: typing its
  // last character turns the rest of the line into a comment.
  return ch == last(c1) || ch == last(o1) || ch == last(c2) || ch == last(o2) ||
         (!o2.empty() && ch == uint8_t(o2.front())) || (!c2.empty() && ch == uint8_t(c2.front()));
}

bool EditEngine::InBlockComment() {
  // The painting's own comment state, kept per line: no walk back over the
  // lines above on every key.
  return m_pText->m_bColouring && m_comments.CarryAt(*m_pText, m_s.pCaretLine) != 0;
}

void EditEngine::RepaintAfterCharChange(uint8_t ch, bool inBlockComment) {
  bool quote = ch == '"' || ch == '\'';
  if (inBlockComment || (m_pText->m_bColouring && (quote || IsDelimiterChar(ch))))
    Invalidate();
  else
    InvalidateCaretRow();
}

void EditEngine::OnChar(int ch) {
  if (m_pText->IsReadOnly()) return;
  if (ch == 13) {
    UndoGroup group(m_pText);
    if (HasSelection()) {
      int rc = CopySelection();
      if (rc == kEditOk) rc = DeleteSelection(true);
      Report(rc);
    }
    Report(NewLine(true));
    return;
  }
  if (ch == 27) {
    if (m_s.bSelActive) ClearSelection();
    return;
  }
  if (ch < 32 || ch == 127 || ch > 255) return;
  UndoGroup group(m_pText);
  if (LineWidth(m_s.pCaretLine) >= kMaxLineColumns) {
    Report(kEditLineTooLong);
    return;
  }
  if (HasSelection()) DeleteSelection(true);
  bool inComment = InBlockComment();
  int rc = m_pText->InsertChar(CaretPos(), uint8_t(ch), m_pText->GetInsertMode(), true);
  if (rc == kEditOk) {
    TextChangedFrom(m_s.nCaretLine);
    RepaintAfterCharChange(uint8_t(ch), inComment);
    Notify(kHintTextChanged);
    MoveRightAfterInsert();
  }
  Report(rc);
}

int EditEngine::MoveRightAfterInsert() {
  if (m_s.nCaretCol >= kMaxLineColumns) return kEditLineTooLong;
  const CEditLine* pLine = m_s.pCaretLine;
  int index = CaretIndex();
  int tab = std::max(m_pText->GetTabSize(), 1);
  int col = m_s.nCaretCol + 1;
  if (index < m_pText->ContentLength(pLine) && pLine->m_text[size_t(index)] == '\t')
    col = (m_pText->IndexToColumn(pLine, index) / tab + 1) * tab;
  int fixed = FixCaretColumn(col);
  if (fixed == m_s.nCaretCol && pLine->m_pNext) {
    StepDown();
    Notify(kHintCaretMoved);
    fixed = 0;
  }
  m_s.nCaretCol = fixed;
  UpdateCaret();
  Notify(kHintCaretMoved);
  return kEditOk;
}

int EditEngine::NewLine(bool recordUndo) {
  UndoGroup group(m_pText);
  if (m_pText->IsReadOnly()) return kEditReadOnly;
  UpdateCaret();
  int rc = m_pText->SplitLine(CaretPos(), recordUndo);
  if (rc) return rc;
  TextChangedFrom(m_s.nCaretLine);
  StepDown();
  m_s.nCaretCol = 0;
  UpdateCaret();
  Notify(kHintCaretMoved);
  if (m_pText->m_bAutoIndent) AutoIndent(recordUndo);
  InvalidateRowsFrom(m_s.nCaretLine - m_s.nTopLine - 1);
  SyncLineCount();
  UpdateCaret();
  Notify(kHintTextChanged);
  return kEditOk;
}

void EditEngine::AutoIndent(bool recordUndo) {
  // The reference is the nearest line above that holds more than blanks.
  const CEditLine* pRef = m_s.pCaretLine->m_pPrev;
  int refIndex = -1;
  for (; pRef; pRef = pRef->m_pPrev) {
    int n = m_pText->ContentLength(pRef);
    int i = 0;
    while (i < n && IsBlank(pRef->m_text[size_t(i)])) ++i;
    if (i < n) {
      refIndex = i;
      break;
    }
  }
  if (!pRef) return;
  int want = m_pText->IndexToColumn(pRef, refIndex);
  CEditLine* pLine = m_s.pCaretLine;
  int n = m_pText->ContentLength(pLine);
  int m = 0;
  while (m < n && IsBlank(pLine->m_text[size_t(m)])) ++m;
  if (m == n) {
    m_s.nCaretCol = want;  // free space after the line's end; no text added
    return;
  }
  int have = m_pText->IndexToColumn(pLine, m);
  if (have != want) {
    // The leading blanks are replaced whole, so that tabs and blanks of
    // the old indent cannot leave the text between two columns.
    if (m > 0) m_pText->DeleteChars({pLine, 0}, m, recordUndo);
    std::string indent;
    int tab = std::max(m_pText->GetTabSize(), 1);
    if (m_pText->m_bKeepTabs)
      indent = std::string(size_t(want / tab), '\t') + std::string(size_t(want % tab), ' ');
    else
      indent.assign(size_t(want), ' ');
    if (!indent.empty()) m_pText->InsertString({pLine, 0}, indent, true, recordUndo);
  }
  m_s.nCaretCol = want;
}

int EditEngine::ShiftBlock(int direction, bool recordUndo) {
  UndoGroup group(m_pText);
  if (!m_s.pSelStart || !m_s.pSelEnd) return kEditNoText;
  if (m_s.nSelMode == kSelColumn) return kEditStreamOnly;
  if (m_pText->IsReadOnly()) return kEditReadOnly;
  CEditLine* pStart = m_s.pSelStart;
  CEditLine* pEnd = m_s.pSelEnd;
  int endCol = m_s.nSelEndCol;
  if (endCol != 0) {
    if (pEnd->m_pNext) {
      pEnd = pEnd->m_pNext;
      endCol = 0;
    } else {
      endCol = LineEndColumn(pEnd);
    }
  }
  CEditLine* pStop = endCol == 0 ? pEnd : pEnd->m_pNext;  // first line not shifted
  m_s.bSelActive = false;
  int tab = std::max(m_pText->GetTabSize(), 1);
  int rc = kEditOk;
  for (CEditLine* p = pStart; p && p != pStop; p = p->m_pNext) {
    if (direction == 0) {
      if (m_pText->m_bKeepTabs) {
        if (LineWidth(p) + tab < kMaxLineColumns) m_pText->InsertChar({p, 0}, '\t', true, recordUndo);
      } else {
        m_pText->InsertString({p, 0}, std::string(size_t(tab), ' '), true, recordUndo);
      }
    } else {
      for (int k = 0; k < tab && m_pText->ContentLength(p) > 0; ++k) {
        char c = p->m_text[0];
        if (c != ' ' && c != '\t') break;
        rc = m_pText->DeleteChar({p, 0}, recordUndo);
        if (c == '\t') break;
      }
    }
  }
  m_s.bSelActive = true;
  m_s.pAnchorLine = pEnd;
  m_s.nAnchorCol = endCol != 0 ? LineEndColumn(pEnd) : 0;
  SetCaret(pStart, 0);
  m_s.nSelMode = kSelStream;
  UpdateSelection();
  TextChangedFrom(m_pText->LineNumber(pStart));
  Invalidate();
  UpdateCaret();
  Notify(kHintTextChanged);
  return rc;
}

int EditEngine::DeleteSelection(bool recordUndo) {
  if (!m_s.pSelStart || !m_s.pSelEnd) return kEditNoText;
  if (m_s.pSelStart == m_s.pSelEnd && m_s.nSelStartCol == m_s.nSelEndCol) return kEditNoText;
  if (m_pText->IsReadOnly()) return kEditReadOnly;
  CEditLine* pCaret = nullptr;
  int caretCol = 0;
  if (m_s.nSelMode == kSelColumn) {
    CEditLine* pTop =
        m_pText->LineNumber(m_s.pSelStart) <= m_pText->LineNumber(m_s.pSelEnd) ? m_s.pSelStart : m_s.pSelEnd;
    CEditLine* pBottom = pTop == m_s.pSelStart ? m_s.pSelEnd : m_s.pSelStart;
    int left = std::min(m_s.nSelStartCol, m_s.nSelEndCol);
    int right = std::max(m_s.nSelStartCol, m_s.nSelEndCol);
    // Both indexes are taken on the top line: the text engine deletes as
    // many bytes as they differ from that line's column on every line.
    int rc = m_pText->DeleteColumnBlock({pTop, IndexOfColumn(pTop, left)},
                                        {pBottom, IndexOfColumn(pTop, right)}, recordUndo);
    if (rc) return rc;
    pCaret = pTop;
    caretCol = left;
  } else {
    EditPos from{m_s.pSelStart, IndexOfColumn(m_s.pSelStart, m_s.nSelStartCol)};
    EditPos to{m_s.pSelEnd, IndexOfColumn(m_s.pSelEnd, m_s.nSelEndCol)};
    from.nIndex = std::min(from.nIndex, m_pText->ContentLength(from.pLine));
    int rc = m_pText->DeleteRange(from, to, recordUndo);
    if (rc == kEditNothingSelected) rc = kEditOk;  // both ends past the line's end
    if (rc) return rc;
    pCaret = from.pLine;
    caretCol = m_pText->IndexToColumn(from.pLine, from.nIndex);
  }
  m_s.pSelStart = m_s.pSelEnd = m_s.pAnchorLine = nullptr;
  m_s.bSelActive = false;
  m_s.nSelMode = kSelStream;
  SetCaret(pCaret, caretCol);
  SyncLineCount();
  ResolveTop();
  TextChangedFrom(m_s.nCaretLine);
  Notify(kHintLinesDeleted);
  Invalidate();
  UpdateCaret();
  return kEditOk;
}

int EditEngine::DeleteAtCaret(bool recordUndo) {
  if (m_pText->IsReadOnly()) return kEditReadOnly;
  if (m_s.bSelActive && HasSelection()) return DeleteSelection(recordUndo);
  UpdateCaret();
  bool inComment = InBlockComment();
  EditPos pos = CaretPos();
  uint8_t ch = pos.nIndex < m_s.pCaretLine->Length()
                   ? uint8_t(m_s.pCaretLine->m_text[size_t(pos.nIndex)])
                   : 0;
  int rc = m_pText->DeleteChar(pos, recordUndo);
  if (rc == kEditEndOfLine) {
    rc = m_pText->JoinLines(pos, recordUndo);
    if (rc == kEditOk) {
      SyncLineCount();
      ResolveTop();
      TextChangedFrom(m_s.nCaretLine);
      InvalidateRowsFrom(m_s.nCaretLine - m_s.nTopLine);
      UpdateCaret();
      Notify(kHintLinesDeleted);
    }
    return rc == kEditEndOfFile ? kEditOk : rc;
  }
  if (rc) return rc;
  TextChangedFrom(m_s.nCaretLine);
  UpdateCaret();
  RepaintAfterCharChange(ch, inComment);
  PlaceCaret();
  Notify(kHintLinesDeleted);
  return kEditOk;
}

int EditEngine::JoinLineAtCaret(bool recordUndo) {
  int rc = m_pText->JoinLines(CaretPos(), recordUndo);
  if (rc == kEditOk) {
    SyncLineCount();
    ResolveTop();
    TextChangedFrom(m_s.nCaretLine);
    InvalidateRowsFrom(m_s.nCaretLine - m_s.nTopLine);
    UpdateCaret();
    Notify(kHintLinesDeleted);
  }
  return rc;
}

int EditEngine::InsertAtCaret(const std::string& text, bool recordUndo) {
  UndoGroup group(m_pText);
  if (m_pText->IsReadOnly()) return kEditReadOnly;
  if (LineWidth(m_s.pCaretLine) + int(text.size()) >= kMaxLineColumns) return kEditLineTooLong;
  if (HasSelection()) DeleteSelection(recordUndo);
  int rc = m_pText->InsertString(CaretPos(), text, true, recordUndo);
  if (rc == kEditOk) {
    m_s.nCaretCol += int(text.size());
    TextChangedFrom(m_s.nCaretLine);
    InvalidateCaretRow();
    UpdateCaret();
    Notify(kHintTextChanged);
  }
  return rc;
}

void EditEngine::Delete() {
  if (m_pText->IsReadOnly()) return;
  Report(DeleteAtCaret(true));
}

void EditEngine::Backspace() {
  if (m_pText->IsReadOnly()) return;
  if (m_s.bSelActive && HasSelection()) {
    Report(DeleteSelection(true));
    return;
  }
  auto join = [&]() -> int {
    if (!StepUp()) return kEditOk;
    Notify(kHintCaretMoved);
    m_s.nCaretCol = LineEndColumn(m_s.pCaretLine);
    return JoinLineAtCaret(true);
  };
  if (m_s.nCaretCol == 0) {
    Report(join());
    return;
  }
  int index = CaretIndex();
  if (index > m_pText->ContentLength(m_s.pCaretLine)) {
    --m_s.nCaretCol;  // free space: only the caret moves
    UpdateCaret();
    Notify(kHintCaretMoved);
    return;
  }
  if (index == 0) {
    Report(join());
    return;
  }
  bool inComment = InBlockComment();
  uint8_t ch = uint8_t(m_s.pCaretLine->m_text[size_t(index - 1)]);
  int rc = m_pText->DeleteChar({m_s.pCaretLine, index - 1}, true);
  if (rc == kEditEndOfLine) {
    Report(join());
    return;
  }
  if (rc == kEditOk) {
    m_s.nCaretCol = m_pText->IndexToColumn(m_s.pCaretLine, index - 1);
    TextChangedFrom(m_s.nCaretLine);
    RepaintAfterCharChange(ch, inComment);
    UpdateCaret();
    Notify(kHintTextChanged);
  }
  Report(rc);
}

void EditEngine::Tab() {
  if (m_pText->IsReadOnly()) return;
  if (m_s.bSelActive && HasSelection()) {
    Report(ShiftBlock(0, true));
    return;
  }
  int tab = std::max(m_pText->GetTabSize(), 1);
  int rc = kEditOk;
  if (m_pText->m_bKeepTabs) {
    if (LineWidth(m_s.pCaretLine) + tab >= kMaxLineColumns) {
      Report(kEditLineTooLong);
      return;
    }
    rc = m_pText->InsertChar(CaretPos(), '\t', true, true);
    if (rc == kEditOk) m_s.nCaretCol = (m_s.nCaretCol + tab) / tab * tab;
  } else {
    // Counted from the column, so that the caret always lands on a stop
    // even when tabs stand before it.
    int n = tab - m_s.nCaretCol % tab;
    rc = m_pText->InsertString(CaretPos(), std::string(size_t(n), ' '), true, true);
    if (rc == kEditOk) m_s.nCaretCol += n;
  }
  if (rc == kEditOk) {
    TextChangedFrom(m_s.nCaretLine);
    InvalidateCaretRow();
    UpdateCaret();
    Notify(kHintTextChanged);
  }
  Report(rc);
}

void EditEngine::BackTab() {
  if (m_s.bSelActive && HasSelection()) {
    if (m_pText->IsReadOnly()) return;
    Report(ShiftBlock(1, true));
    return;
  }
  int tab = std::max(m_pText->GetTabSize(), 1);
  int col = m_s.nCaretCol;
  col = col % tab == 0 ? col - tab : col - col % tab;
  m_s.nCaretCol = std::max(col, 0);
  UpdateCaret();
}

}  // namespace pm2
