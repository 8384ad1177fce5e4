// The bounded undo log of a text buffer: 2048 records, the oldest 512
// dropped when full, groups tied by a stamp, runs of typed characters on
// one line undone together.
#include <algorithm>
#include <atomic>

#include "editor/text/text_buffer.h"

namespace pm2 {

namespace {
// Group stamps come from a counter, not a clock: two groups opened within
// one clock tick must not merge.
std::atomic<uint32_t> g_nextGroupStamp{0};

uint32_t NextGroupStamp() {
  uint32_t s = ++g_nextGroupStamp;
  if (s == 0) s = ++g_nextGroupStamp;
  return s;
}

bool IsCharType(int type) {
  return type == kUndoCharInserted || type == kUndoCharDeleted || type == kUndoCharOverwritten;
}

// Whether undoing or redoing `done` carries on with `next`.
bool Continues(const CEditUndoRecord& done, const CEditUndoRecord& next) {
  if (done.m_nGroup != 0 && done.m_nGroup == next.m_nGroup) return true;
  return IsCharType(done.m_nType) && next.m_nType == done.m_nType && next.m_nLine == done.m_nLine;
}
}  // namespace

void CEditTextBuffer::FreeUndoFrom(int from, int to) {
  for (int i = std::max(from, 0); i < to && i < int(m_undo.size()); ++i) m_undo[size_t(i)] = {};
}

void CEditTextBuffer::ResetUndo() {
  m_nUndoReserved1 = m_nUndoCurrent = m_nUndoTop = m_nUndoReserved2 = 0;
  m_nUndoGroupStamp = 0;
  m_nSavedUndo = m_bModified ? -1 : 0;
}

int CEditTextBuffer::SetModified(int b) {
  if (!b)
    m_nSavedUndo = m_nUndoCurrent;
  else if (!m_bModified)
    m_nSavedUndo = -1;  // a change the log does not hold: undo cannot reach the saved text
  return m_bModified = b;
}

void CEditTextBuffer::FreeUndo() {
  for (CEditUndoRecord& r : m_undo) r = {};
  ResetUndo();
}

void CEditTextBuffer::DropOldestUndo() {
  // With most of the log undone there are fewer than 512 steps to drop:
  // the redo part goes instead, which makes room and keeps the index valid.
  if (m_nUndoCurrent < kUndoDrop) {
    FreeUndoFrom(m_nUndoCurrent, m_nUndoTop);
    m_nUndoTop = m_nUndoCurrent;
    if (m_nSavedUndo > m_nUndoCurrent) m_nSavedUndo = -1;
    return;
  }
  m_nSavedUndo = m_nSavedUndo >= kUndoDrop ? m_nSavedUndo - kUndoDrop : -1;
  std::move(m_undo.begin() + kUndoDrop, m_undo.end(), m_undo.begin());
  for (size_t i = m_undo.size() - kUndoDrop; i < m_undo.size(); ++i) m_undo[i] = {};
  m_nUndoCurrent -= kUndoDrop;
  m_nUndoTop -= kUndoDrop;
}

int CEditTextBuffer::AddUndoRecord(CEditUndoRecord&& record) {
  if (m_undo.empty()) return 0;
  if (m_nSavedUndo > m_nUndoCurrent) m_nSavedUndo = -1;  // it lay in the redo part
  if (m_nUndoTop >= kUndoSlots) DropOldestUndo();
  if (m_nUndoCurrent >= kUndoSlots) DropOldestUndo();
  record.m_nGroup = m_nUndoGroupStamp;
  m_undo[size_t(m_nUndoCurrent)] = std::move(record);
  FreeUndoFrom(m_nUndoCurrent + 1, m_nUndoTop);
  m_nUndoTop = m_nUndoCurrent = m_nUndoCurrent + 1;
  return 1;
}

int CEditTextBuffer::AddUndo(const CEditUndoRecord& request, std::string_view text) {
  if (m_undo.empty()) return 0;
  if (m_nSavedUndo > m_nUndoCurrent) m_nSavedUndo = -1;  // it lay in the redo part
  if (m_nUndoTop >= kUndoSlots) DropOldestUndo();
  if (m_nUndoCurrent >= kUndoSlots) DropOldestUndo();
  CEditUndoRecord& r = m_undo[size_t(m_nUndoCurrent)];
  r = {};
  r.m_nType = request.m_nType;
  r.m_nLine = request.m_nLine;
  r.m_nColumn = request.m_nColumn;
  r.m_nGroup = m_nUndoGroupStamp;
  switch (request.m_nType) {
    case kUndoCharInserted:
    case kUndoCharDeleted:
      r.m_ch = request.m_ch;
      break;
    case kUndoCharOverwritten:
      r.m_ch = request.m_ch;
      r.m_ch2 = request.m_ch2;
      break;
    case kUndoLineSplit:
    case kUndoLinesJoined:
      r.m_nEndLine = request.m_nEndLine;
      r.m_nEndColumn = request.m_nEndColumn;
      break;
    default:
      if (UndoTypeHasText(request.m_nType)) {
        r.m_nEndLine = request.m_nEndLine;
        r.m_nEndColumn = request.m_nEndColumn;
        if (r.m_nLine != r.m_nEndLine || r.m_nColumn != r.m_nEndColumn) r.m_text = text;
        r.m_rowStarts = request.m_rowStarts;
        if (r.m_nLine > r.m_nEndLine) {
          std::swap(r.m_nLine, r.m_nEndLine);
          std::swap(r.m_nColumn, r.m_nEndColumn);
        }
      }
      break;
  }
  FreeUndoFrom(m_nUndoCurrent + 1, m_nUndoTop);
  m_nUndoTop = m_nUndoCurrent = m_nUndoCurrent + 1;
  return 1;
}

void CEditTextBuffer::BeginUndoGroup(int open) {
  if (open) {
    if (m_nUndoNesting++ == 0) m_nUndoGroupStamp = NextGroupStamp();
  } else if (m_nUndoNesting > 0 && --m_nUndoNesting == 0) {
    m_nUndoGroupStamp = 0;
  }
}

void CEditTextBuffer::ReplayUndo(CEditUndoRecord& r, bool redo) {
  if (r.m_nType == kUndoLinesReplaced) {
    SwapLineContents(r);
    return;
  }
  EditPos start{GetLine(r.m_nLine), r.m_nColumn};
  EditPos end{GetLine(r.m_nEndLine), r.m_nEndColumn};
  switch (r.m_nType) {
    case kUndoCharInserted:
      if (redo) InsertChar(start, r.m_ch, true, false);
      else RemoveInsertedChar(start, r.m_ch);
      break;
    case kUndoCharDeleted:
      if (redo) DeleteChar(start, false);
      else InsertChar(start, r.m_ch, true, false);
      break;
    case kUndoTextDeleted:
      if (redo) DeleteRange(start, end, false);
      else InsertTextImpl(start, r.m_text, false);
      break;
    case kUndoTextInserted:
      if (redo) InsertTextImpl(start, r.m_text, false);
      else DeleteRange(start, end, false);
      break;
    case kUndoLineSplit:
      // The split was made at most at the content's end; joining back
      // there adds no padding even when later steps shortened the line.
      if (redo) {
        SplitLine(start, false);
      } else if (start.pLine) {
        start.nIndex = std::min(start.nIndex, ContentLength(start.pLine));
        JoinLines(start, false);
      }
      break;
    case kUndoLinesJoined:
      if (redo) JoinLines(start, false);
      else SplitLine(start, false);
      break;
    case kUndoCharOverwritten:
      if (redo) InsertChar(start, r.m_ch, false, false);
      else if (r.m_ch2 == kUndoOverwroteLineEnd) RemoveInsertedChar(start, r.m_ch);
      else InsertChar(start, r.m_ch2, false, false);
      break;
    case kUndoBlockDeleted:
      if (redo) DeleteColumnBlock(start, end, false);
      else InsertColumnRows(start, r.m_text.data(), int(r.m_text.size()), false, &r.m_rowStarts);
      break;
    case kUndoBlockInserted:
      if (redo) {
        InsertColumnText(start, r.m_text.data(), int(r.m_text.size()), false);
      } else if (!r.m_rowStarts.empty()) {
        // Rows went in at byte indexes that the block column alone cannot
        // tell when it falls inside a tab.
        RemoveColumnRows(r.m_nLine, r.m_text, r.m_rowStarts);
      } else {
        int endLine = r.m_nEndLine != r.m_nLine ? r.m_nEndLine - 1 : r.m_nEndLine;
        DeleteColumnBlock(start, {GetLine(endLine), r.m_nEndColumn}, false);
      }
      break;
    default:
      break;
  }
}

// Takes back a character that an insert put at pos. A typed line-end byte
// can make the line look as if it ended there, which DeleteChar would
// refuse, so the byte is checked and removed directly.
void CEditTextBuffer::RemoveInsertedChar(EditPos pos, uint8_t ch) {
  if (m_bReadOnly || !pos.pLine) return;
  std::string& t = pos.pLine->m_text;
  if (pos.nIndex >= 0 && size_t(pos.nIndex) < t.size() && uint8_t(t[size_t(pos.nIndex)]) == ch) {
    t.erase(size_t(pos.nIndex), 1);
    m_bModified = 1;
    NoteChange(pos.pLine);
  } else {
    DeleteChar(pos, false);
  }
}

int CEditTextBuffer::Undo() {
  if (m_nUndoCurrent <= 0) return 0;
  for (;;) {
    CEditUndoRecord& done = m_undo[size_t(m_nUndoCurrent - 1)];
    ReplayUndo(done, false);
    --m_nUndoCurrent;
    if (m_nUndoCurrent == 0 || !Continues(done, m_undo[size_t(m_nUndoCurrent - 1)])) break;
  }
  m_bModified = m_nUndoCurrent == m_nSavedUndo ? 0 : 1;
  return 1;
}

int CEditTextBuffer::Redo() {
  if (m_nUndoTop == 0 || m_nUndoCurrent >= m_nUndoTop) return 0;
  for (;;) {
    CEditUndoRecord& done = m_undo[size_t(m_nUndoCurrent)];
    ReplayUndo(done, true);
    ++m_nUndoCurrent;
    if (m_nUndoCurrent >= m_nUndoTop || !Continues(done, m_undo[size_t(m_nUndoCurrent)])) break;
  }
  m_bModified = m_nUndoCurrent == m_nSavedUndo ? 0 : 1;
  return 1;
}

void CEditTextBuffer::SwapLineContents(CEditUndoRecord& r) {
  if (m_bReadOnly || r.m_lines.empty()) return;
  // One walk down the text: the numbers rise.
  CEditLine* p = GetLine(r.m_lines.front());
  int k = r.m_lines.front();
  for (size_t i = 0; i < r.m_lines.size() && p; ++i) {
    while (k < r.m_lines[i] && p->m_pNext) {
      p = p->m_pNext;
      ++k;
    }
    std::string& old = r.m_lineTexts[i];
    std::string lineEnd = p->m_text.substr(size_t(ContentLength(p)));
    old += lineEnd;
    p->m_text.swap(old);
    old.resize(old.size() - lineEnd.size());
  }
  m_bModified = 1;
  NoteChange(r.m_lines.front());
}

int CEditTextBuffer::ReplaceLineContents(std::vector<LineEdit>& edits, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (edits.empty()) return kEditOk;
  CEditUndoRecord r;
  r.m_nType = kUndoLinesReplaced;
  r.m_nLine = r.m_nEndLine = LineNumber(edits.front().pLine);
  int k = r.m_nLine;
  const CEditLine* walked = edits.front().pLine;
  r.m_lines.reserve(edits.size());
  r.m_lineTexts.reserve(edits.size());
  for (LineEdit& e : edits) {
    // Numbers by walking on from the previous edit: the edits come in text
    // order, so the whole pass is one walk.
    while (walked && walked != e.pLine) {
      walked = walked->m_pNext;
      ++k;
    }
    std::string lineEnd = e.pLine->m_text.substr(size_t(ContentLength(e.pLine)));
    e.content += lineEnd;
    e.pLine->m_text.swap(e.content);
    e.content.resize(e.content.size() - lineEnd.size());
    if (recordUndo) {
      r.m_lines.push_back(k);
      r.m_lineTexts.push_back(e.content);
    }
  }
  m_bModified = 1;
  NoteChange(r.m_nLine);
  if (recordUndo) AddUndoRecord(std::move(r));
  return kEditOk;
}

EditPos CEditTextBuffer::UndoCaret() const {
  if (m_nUndoCurrent >= int(m_undo.size())) return {};
  const CEditUndoRecord& r = m_undo[size_t(m_nUndoCurrent)];
  return {GetLine(r.m_nLine), r.m_nColumn};
}

EditPos CEditTextBuffer::RedoCaret() const {
  if (m_nUndoCurrent <= 0) return {};
  const CEditUndoRecord& r = m_undo[size_t(m_nUndoCurrent - 1)];
  return {GetLine(r.m_nLine), r.m_nColumn + (r.m_nType == kUndoCharInserted ? 1 : 0)};
}

}  // namespace pm2
