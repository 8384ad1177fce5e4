// Rectangular (column) blocks: copying, deleting and inserting the same
// display columns on a run of lines.
#include <algorithm>

#include "editor/text/text_buffer.h"

namespace pm2 {

namespace {
// Splits a block text into rows at its line ends (any of the four kinds);
// a final line end does not start another row.
std::vector<std::string> SplitRows(const char* text, int n) {
  std::vector<std::string> rows;
  std::string row;
  for (int i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      rows.push_back(std::move(row));
      row.clear();
      char partner = c == '\r' ? '\n' : '\r';
      if (i + 1 < n && text[i + 1] == partner) ++i;
    } else {
      row += c;
    }
  }
  if (!row.empty()) rows.push_back(std::move(row));
  return rows;
}
}  // namespace

std::string CEditTextBuffer::GetRangeText(EditPos from, EditPos to) const {
  if (!from.pLine || !to.pLine) return {};
  if (!IsPositionBefore(from, to) && from.pLine != to.pLine) std::swap(from, to);
  int left = IndexToColumn(from.pLine, std::min(from.nIndex, to.nIndex));
  int right = IndexToColumn(from.pLine, std::max(from.nIndex, to.nIndex));
  size_t width = size_t(right - left);
  std::string out;
  for (const CEditLine* p = from.pLine; p; p = p->m_pNext) {
    std::string expanded = ExpandTabs(p->Text(), ContentLength(p), m_nLineEndLength);
    std::string row = size_t(left) < expanded.size() ? expanded.substr(size_t(left), width)
                                                     : std::string();
    row.resize(width, ' ');
    out += row;
    if (p == to.pLine) break;
    out.append(GetLineEnd());
  }
  if (m_nLineEndMode != kLineEndCrLf) ConvertLineEnds(out, kLineEndCrLf);
  return out;
}

int CEditTextBuffer::DeleteColumnBlock(EditPos from, EditPos to, bool recordUndo) {
  if (m_bReadOnly) return kEditReadOnly;
  if (!from.pLine || !to.pLine) return kEditNothingSelected;
  if (!IsPositionBefore(from, to) && from.pLine != to.pLine) std::swap(from, to);
  int leftIndex = std::min(from.nIndex, to.nIndex);
  int count = std::abs(from.nIndex - to.nIndex);
  int column = IndexToColumn(from.pLine, leftIndex);
  // The undo text holds exactly the bytes taken from each line (a short
  // line gives an empty row), so inserting it back restores every line as
  // it was, without padding.
  std::string removed;
  std::vector<int> starts;
  for (CEditLine* p = from.pLine; p; p = p->m_pNext) {
    int at = ColumnToIndex(p, column);
    starts.push_back(at);
    int content = ContentLength(p);
    int n = std::clamp(content - at, 0, count);
    if (n > 0) {
      removed.append(p->m_text, size_t(at), size_t(n));
      p->m_text.erase(size_t(at), size_t(n));
      m_bModified = 1;
      NoteChange(p);
    }
    if (p == to.pLine) break;
    removed += "\r\n";
  }
  if (recordUndo) {
    CEditUndoRecord r;
    r.m_nType = kUndoBlockDeleted;
    r.m_nLine = LineNumber(from.pLine);
    r.m_nColumn = ColumnToIndex(from.pLine, column);
    r.m_nEndLine = LineNumber(to.pLine);
    r.m_nEndColumn = r.m_nColumn + count;
    r.m_rowStarts = std::move(starts);
    AddUndo(r, removed);
  }
  return kEditOk;
}

int CEditTextBuffer::InsertColumnText(EditPos pos, const char* text, int n, bool recordUndo) {
  return InsertColumnRows(pos, text, n, recordUndo, nullptr);
}

int CEditTextBuffer::InsertColumnRows(EditPos pos, const char* text, int n, bool recordUndo,
                                      const std::vector<int>* pRowStarts) {
  if (m_bReadOnly) return kEditReadOnly;
  if (!pos.pLine) return kEditNothingSelected;
  std::vector<std::string> rows = SplitRows(text ? text : "", text ? n : 0);
  if (rows.empty()) return kEditOk;
  m_bModified = 1;
  NoteChange(pos.pLine);
  int column = IndexToColumn(pos.pLine, pos.nIndex);
  // The record's width is the first row's; a longer row still goes in
  // whole, since cutting it would lose pasted text, and a shorter one is
  // not padded. Undo takes out exactly what each row put in.
  int width = int(rows.front().size());
  // Padding and new lines are recorded in the same group as the block, so
  // undo takes them away again.
  BeginUndoGroup(1);
  int rc = kEditOk;
  int firstIndex = pos.nIndex;
  std::vector<int> starts(rows.size(), -1);
  CEditLine* pLine = pos.pLine;
  CEditLine* pPrev = nullptr;
  for (size_t i = 0; i < rows.size() && rc == kEditOk; ++i) {
    if (i > 0) pLine = pLine ? pLine->m_pNext : nullptr;
    if (rows[i].empty()) {
      if (!pLine) pLine = pPrev;  // an empty row needs no line of its own
      pPrev = pLine;
      continue;
    }
    if (!pLine) {
      CEditLine* pLastLine = LastLine();
      rc = SplitLine({pLastLine, ContentLength(pLastLine)}, recordUndo);
      if (rc) break;
      pLine = pLastLine->m_pNext;
    }
    int lineCols = TextColumns(pLine->Text(), ContentLength(pLine));
    if (std::max(lineCols, column) + int(rows[i].size()) > kMaxLineColumns) {
      rc = kEditLineTooLong;
      break;
    }
    EditPos at{pLine, ColumnToIndex(pLine, column)};
    // Putting back a deleted block: each row returns to the index it was
    // taken from.
    if (pRowStarts && i < pRowStarts->size())
      at.nIndex = std::min((*pRowStarts)[i], ContentLength(pLine));
    rc = PadLine(at, recordUndo);
    if (rc == kEditOk) {
      pLine->m_text.insert(size_t(at.nIndex), rows[i]);
      starts[i] = at.nIndex;
      if (i == 0) firstIndex = at.nIndex;
    }
    pPrev = pLine;
  }
  if (recordUndo && rc == kEditOk) {
    CEditUndoRecord r;
    r.m_nType = kUndoBlockInserted;
    r.m_nLine = LineNumber(pos.pLine);
    r.m_nColumn = firstIndex;
    r.m_nEndLine = LineNumber(pos.pLine) + int(rows.size());
    r.m_nEndColumn = firstIndex + width;
    r.m_rowStarts = std::move(starts);
    std::string kept(text, size_t(n));
    AddUndo(r, kept);
  }
  BeginUndoGroup(0);
  return rc;
}

}  // namespace pm2

namespace pm2 {

void CEditTextBuffer::RemoveColumnRows(int firstLine, const std::string& text,
                                       const std::vector<int>& rowStarts) {
  if (m_bReadOnly) return;
  std::vector<std::string> rows = SplitRows(text.data(), int(text.size()));
  CEditLine* pLine = GetLine(firstLine);
  for (size_t i = 0; i < rows.size() && pLine; ++i, pLine = pLine->m_pNext) {
    if (i >= rowStarts.size() || rowStarts[i] < 0 || rows[i].empty()) continue;
    int at = rowStarts[i];
    int n = std::clamp(ContentLength(pLine) - at, 0, int(rows[i].size()));
    if (n > 0) pLine->m_text.erase(size_t(at), size_t(n));
  }
  m_bModified = 1;
  NoteChange(firstLine);
}

}  // namespace pm2
