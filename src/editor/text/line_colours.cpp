#include "editor/text/line_colours.h"

namespace pm2 {

EditColour LineColours::ColourAt(const CEditTextBuffer& buf, size_t column) const {
  uint8_t a = column < cells.size() ? cells[column] : uint8_t(kCellPlain);
  if (a & kCellComment) return buf.m_crComment;
  if (a & kCellString) return buf.m_crQuote;
  if (a & kCellKeyword) return buf.m_crKeyword;
  return buf.m_crText;
}

LineColours ColourLine(CEditTextBuffer& buf, const CEditLine* pLine, int* pCarry) {
  LineColours out;
  if (!pLine) return out;
  out.row = buf.ExpandTabs(pLine->Text(), buf.ContentLength(pLine), buf.GetLineEndLength());
  int n = int(out.row.size());
  out.cells.assign(size_t(n), kCellPlain);
  if (!buf.m_bColouring) {
    if (pCarry) *pCarry = kCarryNone;
    return out;
  }
  const char* row = out.row.c_str();

  // Keywords.
  for (int from = 0; from < n;) {
    int start = 0, end = 0;
    if (!buf.FindNextKeyword(out.row, &from, &start, &end)) break;
    for (int i = start; i < end && i < n; ++i) out.cells[size_t(i)] |= kCellKeyword;
    from = end;
  }

  // Comments: the line may begin inside a block comment of an earlier line.
  int carryOut = kCarryNone;
  int col = 0;
  int kind = 0;
  bool inside = false;
  if (pCarry && *pCarry != kCarryUnknown) {
    inside = *pCarry != kCarryNone;
    kind = *pCarry;
  } else {
    inside = buf.FindCommentKind(pLine, &kind) != 0;
  }
  while (col < n || inside) {
    int start = col;
    int body = col;
    if (!inside) {
      int at = buf.FindCommentStart(row + col, n - col, &kind);
      if (at < 0) break;
      start = col + at;
      body = start + int(buf.CommentOpener(kind).size());
    }
    inside = false;
    int end = body + buf.FindCommentEnd(row + body, n - body, kind);
    for (int i = start; i < end && i < n; ++i) out.cells[size_t(i)] |= kCellComment;
    if (buf.m_bCommentContinues && !buf.CommentCloser(kind).empty()) carryOut = kind;
    col = end > col ? end : col + 1;
  }
  if (pCarry) *pCarry = carryOut;

  // Strings: a quote outside a comment opens one, the same quote outside a
  // comment closes it, a backslash skips the next character; an unclosed
  // string marks nothing.
  for (int i = 0; i < n; ++i) {
    char q = row[i];
    if ((q != '"' && q != '\'') || (out.cells[size_t(i)] & kCellComment)) continue;
    int j = i + 1;
    for (; j < n; ++j) {
      if (out.cells[size_t(j)] & kCellComment) continue;
      if (row[j] == '\\') {
        ++j;
        continue;
      }
      if (row[j] == q) break;
    }
    if (j >= n) continue;
    for (int k = i + 1; k < j; ++k) out.cells[size_t(k)] |= kCellString;
    i = j;
  }
  return out;
}

}  // namespace pm2
