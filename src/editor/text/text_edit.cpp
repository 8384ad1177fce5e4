// The editing primitives of the text buffer. Each refuses while the buffer
// is read-only and adds its undo record only when asked.
#include <algorithm>

#include "editor/text/text_buffer.h"

namespace pm2 {

namespace {
CEditUndoRecord MakeRecord(int type, int line, int column) {
  CEditUndoRecord r;
  r.m_nType = type;
  r.m_nLine = line;
  r.m_nColumn = column;
  return r;
}
}  // namespace

void CEditTextBuffer::JoinRaw(CEditLine* pLine) {
  CEditLine* pNext = pLine->m_pNext;
  if (!pNext) return;
  LineNumber(pLine);
  if ((pNext->m_nFlags & kLineBookmark) && pLine->m_text == GetLineEnd())
    pLine->m_nFlags |= kLineBookmark;
  if (JoinTakesNextMarks(*pLine, ContentLength(pLine), *pNext)) MoveDebuggerMarks(pNext, pLine);
  pLine->m_text.resize(size_t(ContentLength(pLine)));
  pLine->m_text += pNext->m_text;
  UnlinkEditLine(pNext);
  FreeEditLine(pNext);
  --m_nLineCount;
  ++m_nRemovedSerial;
  m_pCursor = nullptr;
  NumbersChangedAfter(pLine);
  NoteChange(pLine);
}

int CEditTextBuffer::PadLine(EditPos& pos, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  CEditLine* pLine = pos.pLine;
  if (!pLine) return kEditNothingSelected;
  int content = ContentLength(pLine);
  int gap = pos.nIndex - content;
  if (gap <= 0) return kEditOk;
  std::string padding;
  if (!m_bKeepTabs || m_bBlankPadding || gap < m_nTabSize || m_nTabSize <= 0) {
    padding.assign(size_t(gap), ' ');
  } else {
    int target = TextColumns(pLine->Text(), content) + gap;
    padding.assign(size_t(gap / m_nTabSize), '\t');
    std::string probe = pLine->m_text.substr(0, size_t(content)) + padding;
    int column = TextColumns(probe.data(), int(probe.size()));
    if (target > column) padding.append(size_t(target - column), ' ');
  }
  pLine->m_text.insert(size_t(content), padding);
  pos.nIndex = content + int(padding.size());
  m_bModified = 1;
  NoteChange(pLine);
  if (recordUndo) {
    int line = LineNumber(pLine);
    CEditUndoRecord r = MakeRecord(kUndoTextInserted, line, content);
    r.m_nEndLine = line;
    r.m_nEndColumn = pos.nIndex;
    AddUndo(r, padding);
  }
  return kEditOk;
}

int CEditTextBuffer::InsertChar(EditPos pos, uint8_t ch, bool insertMode, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (!pos.pLine) return kEditNothingSelected;
  // A line's content never holds CR or LF (they would read back as a line
  // end): such a character starts a new line instead.
  if (ch == '\r' || ch == '\n') return SplitLine(pos, recordUndo);
  pos.nIndex = std::max(pos.nIndex, 0);  // no byte lies before the line
  // Padding in free space is undone together with the character.
  bool pads = recordUndo && pos.nIndex > ContentLength(pos.pLine);
  if (pads) BeginUndoGroup(1);
  int rc = InsertCharAt(pos, ch, insertMode, recordUndo);
  if (pads) BeginUndoGroup(0);
  return rc;
}

int CEditTextBuffer::InsertCharAt(EditPos pos, uint8_t ch, bool insertMode, bool recordUndo) {
  int rc = PadLine(pos, recordUndo);
  if (rc) return rc;
  CEditLine* pLine = pos.pLine;
  int content = ContentLength(pLine);
  size_t at = size_t(pos.nIndex);
  bool lengthens = insertMode || pos.nIndex >= content;
  if (recordUndo) {
    CEditUndoRecord r =
        MakeRecord(insertMode ? kUndoCharInserted : kUndoCharOverwritten, LineNumber(pLine), pos.nIndex);
    r.m_ch = ch;
    if (!insertMode)
      r.m_ch2 = lengthens ? kUndoOverwroteLineEnd : uint8_t(pLine->m_text[at]);
    AddUndo(r, {});
  }
  if (lengthens)
    pLine->m_text.insert(at, 1, char(ch));
  else
    pLine->m_text[at] = char(ch);
  // A line without line end (the last line of a file without a final one)
  // stays without: adding one would make the edit impossible to undo.
  m_bModified = 1;
  NoteChange(pLine);
  return kEditOk;
}

int CEditTextBuffer::DeleteChar(EditPos pos, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  CEditLine* pLine = pos.pLine;
  if (!pLine || pLine->m_text.empty()) return kEditOk;
  if (pos.nIndex < 0 || pos.nIndex >= ContentLength(pLine)) return kEditEndOfLine;
  if (recordUndo) {
    CEditUndoRecord r = MakeRecord(kUndoCharDeleted, LineNumber(pLine), pos.nIndex);
    r.m_ch = uint8_t(pLine->m_text[size_t(pos.nIndex)]);
    AddUndo(r, {});
  }
  m_bModified = 1;
  NoteChange(pLine);
  pLine->m_text.erase(size_t(pos.nIndex), 1);
  return kEditOk;
}

int CEditTextBuffer::DeleteChars(EditPos pos, int count, bool recordUndo) {
  if (count == 1) return DeleteChar(pos, recordUndo);
  if (m_bReadOnly) return kEditReadOnly;
  CEditLine* pLine = pos.pLine;
  if (!pLine || count <= 0) return kEditOk;
  if (pos.nIndex < 0) return kEditEndOfLine;  // as DeleteChar: nothing there
  // Only what is there is deleted, and exactly that is recorded, so undo
  // gives back what went even when count ran past the line's end.
  int content = ContentLength(pLine);
  int avail = std::max(0, content - pos.nIndex);
  int n = std::min(count, avail);
  if (n > 0) {
    std::string removed = pLine->m_text.substr(size_t(pos.nIndex), size_t(n));
    pLine->m_text.erase(size_t(pos.nIndex), size_t(n));
    m_bModified = 1;
    NoteChange(pLine);
    if (recordUndo) {
      int line = LineNumber(pLine);
      CEditUndoRecord r = MakeRecord(kUndoTextDeleted, line, pos.nIndex);
      r.m_nEndLine = line;
      r.m_nEndColumn = pos.nIndex + n;
      AddUndo(r, removed);
    }
  }
  return n < count ? kEditEndOfLine : kEditOk;
}

int CEditTextBuffer::InsertString(EditPos pos, std::string_view text, bool insertMode,
                                  bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (insertMode && text.find_first_of("\r\n") != std::string_view::npos)
    return InsertText(pos, text.data(), int(text.size()), recordUndo);
  BeginUndoGroup(1);
  int rc = InsertStringAt(pos, text, insertMode, recordUndo);
  BeginUndoGroup(0);
  return rc;
}

int CEditTextBuffer::InsertStringAt(EditPos pos, std::string_view text, bool insertMode,
                                    bool recordUndo) {
  if (!pos.pLine) return kEditNothingSelected;
  pos.nIndex = std::max(pos.nIndex, 0);
  int rc = PadLine(pos, recordUndo);
  if (rc) return rc;
  if (text.empty()) return kEditOk;
  // Overwriting records each character with the one it replaced; a single
  // "inserted" record would lose the old characters on undo.
  if (!insertMode) {
    for (size_t i = 0; i < text.size() && !rc; ++i)
      rc = InsertChar({pos.pLine, pos.nIndex + int(i)}, uint8_t(text[i]), false, recordUndo);
    return rc;
  }
  pos.pLine->m_text.insert(size_t(pos.nIndex), text);
  m_bModified = 1;
  NoteChange(pos.pLine);
  if (recordUndo) {
    int line = LineNumber(pos.pLine);
    CEditUndoRecord r = MakeRecord(kUndoTextInserted, line, pos.nIndex);
    r.m_nEndLine = line;
    r.m_nEndColumn = pos.nIndex + int(text.size());
    AddUndo(r, text);
  }
  return kEditOk;
}

int CEditTextBuffer::SplitLine(EditPos pos, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  CEditLine* pLine = pos.pLine;
  if (!pLine) return kEditNothingSelected;
  // Past the content's end the split happens at the end; the record keeps
  // that index so that joining back adds no padding.
  int index = std::clamp(pos.nIndex, 0, ContentLength(pLine));
  int line = LineNumber(pLine);
  CEditLine* pNew = NewEditLine(pLine->Length() - index + m_nLineEndLength + 1);
  pNew->m_text = pLine->m_text.substr(size_t(index));
  pLine->m_text.resize(size_t(index));
  pLine->m_text.append(GetLineEnd());
  InsertEditLinesAfter(pNew, pLine);
  // Split before its first character, the line's text is the new line's.
  if (index == 0 && ContentLength(pNew) > 0) MoveDebuggerMarks(pLine, pNew);
  ++m_nLineCount;
  NumbersChangedAfter(pLine);
  pNew->m_nLine = line + 1;
  pNew->m_nNumberStamp = m_nGeneration;
  m_bModified = 1;
  NoteChange(line);
  if (recordUndo) {
    CEditUndoRecord r = MakeRecord(kUndoLineSplit, line, index);
    r.m_nEndLine = line + 1;
    AddUndo(r, {});
  }
  return kEditOk;
}

int CEditTextBuffer::JoinLines(EditPos pos, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  CEditLine* pLine = pos.pLine;
  if (!pLine) return kEditNothingSelected;
  CEditLine* pNext = pLine->m_pNext;
  if (!pNext) return kEditEndOfFile;
  int head = std::max(IndexToColumn(pLine, std::max(pos.nIndex, 0)),
                      TextColumns(pLine->Text(), ContentLength(pLine)));
  if (head + TextColumns(pNext->Text(), ContentLength(pNext)) > kMaxLineColumns)
    return kEditLineTooLong;
  BeginUndoGroup(1);
  int rc = PadLine(pos, recordUndo);
  if (rc == kEditOk) {
    // The lines meet at the content's end whatever index was given; the
    // record keeps that point so that undo splits exactly there.
    int joinAt = ContentLength(pLine);
    JoinRaw(pLine);
    m_bModified = 1;
    if (recordUndo) AddUndo(MakeRecord(kUndoLinesJoined, LineNumber(pLine), joinAt), {});
  }
  BeginUndoGroup(0);
  return rc;
}

int CEditTextBuffer::InsertText(EditPos pos, const char* text, int n, bool recordUndo,
                                int* pOutN) {
  if (m_bReadOnly) return kEditReadOnly;
  std::string copy(text ? text : "", text ? size_t(std::max(n, 0)) : 0);
  int mode = DetectLineEnd(copy.data(), int(copy.size()));
  if (mode >= 0 && mode != m_nLineEndMode) ConvertLineEnds(copy, m_nLineEndMode);
  if (pOutN) *pOutN = int(copy.size());
  return InsertTextImpl(pos, copy, recordUndo);
}

int CEditTextBuffer::InsertTextImpl(EditPos pos, const std::string& text, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (!pos.pLine) return kEditNothingSelected;
  if (text.empty()) return kEditOk;
  BeginUndoGroup(1);
  int rc = InsertLines(pos, text, recordUndo);
  BeginUndoGroup(0);
  return rc;
}

int CEditTextBuffer::InsertLines(EditPos pos, const std::string& text, bool recordUndo) {
  int rc = PadLine(pos, recordUndo);
  if (rc) return rc;
  CEditLine* pHead = pos.pLine;
  int count = 0;
  CEditLine* pNew = TextToLines(text.data(), int(text.size()), &count);
  if (!pNew) return kEditOk;
  CEditLine* pLast = LastEditLine(pNew);
  bool lastHasEnd = HasLineEnd(pLast);

  // Refuse before changing anything when a joined line would be too wide.
  int headCols = TextColumns(pHead->Text(), pos.nIndex);
  int tailCols = TextColumns(pHead->Text() + pos.nIndex, ContentLength(pHead) - pos.nIndex);
  int firstCols = TextColumns(pNew->Text(), ContentLength(pNew));
  int lastCols = TextColumns(pLast->Text(), ContentLength(pLast));
  bool tooWide = count == 1 && !lastHasEnd
                     ? headCols + firstCols + tailCols > kMaxLineColumns
                     : headCols + firstCols > kMaxLineColumns ||
                           (!lastHasEnd && lastCols + tailCols > kMaxLineColumns);
  if (tooWide) {
    FreeEditLineList(pNew);
    return kEditLineTooLong;
  }

  int startLine = LineNumber(pHead);
  int endLine = startLine + count - 1;
  int endColumn = lastHasEnd ? 0 : pLast->Length() + (count == 1 ? pos.nIndex : 0);
  if (lastHasEnd) ++endLine;

  SplitLine(pos, false);
  InsertEditLinesAfter(pNew, pHead);
  m_nLineCount += count;
  NumbersChangedAfter(pHead);
  // The new lines are numbered after the head; the lines after them wait.
  int k = startLine;
  for (CEditLine* p = pNew;; p = p->m_pNext) {
    p->m_nLine = ++k;
    p->m_nNumberStamp = m_nGeneration;
    if (p == pLast) break;
  }
  JoinRaw(pHead);
  if (!lastHasEnd) JoinRaw(count == 1 ? pHead : pLast);
  m_bModified = 1;
  NoteChange(startLine);
  if (recordUndo) {
    CEditUndoRecord r = MakeRecord(kUndoTextInserted, startLine, pos.nIndex);
    r.m_nEndLine = endLine;
    r.m_nEndColumn = endColumn;
    AddUndo(r, text);
  }
  return kEditOk;
}

std::string CEditTextBuffer::CopyRangeRaw(EditPos from, EditPos to) const {
  if (!from.pLine || !to.pLine) return {};
  if (from.pLine == to.pLine) {
    int content = ContentLength(from.pLine);
    int a = std::clamp(from.nIndex, 0, content);
    int b = std::clamp(to.nIndex, 0, content);
    if (b <= a) return {};
    return from.pLine->m_text.substr(size_t(a), size_t(b - a));
  }
  std::string out;
  int a = std::clamp(from.nIndex, 0, ContentLength(from.pLine));
  out = from.pLine->m_text.substr(size_t(a));
  const CEditLine* p = from.pLine->m_pNext;
  for (; p && p != to.pLine; p = p->m_pNext) out += p->m_text;
  if (p) out.append(p->m_text, 0, size_t(std::clamp(to.nIndex, 0, ContentLength(p))));
  return out;
}

std::string CEditTextBuffer::CopyRange(EditPos from, EditPos to) const {
  std::string out = CopyRangeRaw(from, to);
  if (m_nLineEndMode != kLineEndCrLf) ConvertLineEnds(out, kLineEndCrLf);
  return out;
}

int CEditTextBuffer::DeleteRange(EditPos from, EditPos to, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (!from.pLine || !to.pLine) return kEditNothingSelected;
  if (from.pLine == to.pLine && from.nIndex == to.nIndex) return kEditNothingSelected;
  if (!IsPositionBefore(from, to)) std::swap(from, to);
  CEditLine* pFirst = from.pLine;
  CEditLine* pLast = to.pLine;
  // Nothing lies beyond a line's content, so both ends are taken at most
  // there; the undo record keeps the positions actually used.
  from.nIndex = std::clamp(from.nIndex, 0, ContentLength(pFirst));
  to.nIndex = std::clamp(to.nIndex, 0, ContentLength(pLast));
  if (pFirst != pLast) {
    int joined = TextColumns(pFirst->Text(), from.nIndex) +
                 TextColumns(pLast->Text() + to.nIndex, ContentLength(pLast) - to.nIndex);
    if (joined > kMaxLineColumns) return kEditLineTooLong;
  }
  std::string removed;
  if (recordUndo) removed = CopyRangeRaw(from, to);
  int fromLine = LineNumber(pFirst);
  int toLine = LineNumber(pLast);
  if (pFirst == pLast) {
    pFirst->m_text.erase(size_t(from.nIndex), size_t(to.nIndex - from.nIndex));
  } else {
    pFirst->m_text.resize(size_t(from.nIndex));
    pLast->m_text.erase(0, size_t(to.nIndex));
    while (pFirst->m_pNext != pLast) {
      CEditLine* pGone = pFirst->m_pNext;
      UnlinkEditLine(pGone);
      FreeEditLine(pGone);
      --m_nLineCount;
    }
    ++m_nRemovedSerial;
    m_pCursor = nullptr;
    NumbersChangedAfter(pFirst);
    JoinRaw(pFirst);
  }
  m_bModified = 1;
  NoteChange(fromLine);
  if (recordUndo) {
    CEditUndoRecord r = MakeRecord(kUndoTextDeleted, fromLine, from.nIndex);
    r.m_nEndLine = toLine;
    r.m_nEndColumn = to.nIndex;
    AddUndo(r, removed);
  }
  return kEditOk;
}

}  // namespace pm2
