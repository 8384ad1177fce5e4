#include "editor/engine/comment_cache.h"

#include <string>

#include "editor/text/text_buffer.h"

namespace pm2 {

int CommentCache::CarryAfter(CEditTextBuffer& buf, const CEditLine* pLine, int carryIn) {
  if (!buf.m_bColouring || !pLine) return 0;
  if (buf.CommentOpener(1).empty() && buf.CommentOpener(2).empty()) return 0;
  const char* row = pLine->Text();
  int n = buf.ContentLength(pLine);
  int carryOut = 0;
  int col = 0;
  int kind = carryIn;
  bool inside = carryIn != 0;
  while (col < n || inside) {
    int body = col;
    if (!inside) {
      int at = buf.FindCommentStart(row + col, n - col, &kind);
      if (at < 0) break;
      body = col + at + int(buf.CommentOpener(kind).size());
    }
    inside = false;
    int end = body + buf.FindCommentEnd(row + body, n - body, kind);
    carryOut = buf.m_bCommentContinues && !buf.CommentCloser(kind).empty() ? kind : 0;
    col = end > col ? end : col + 1;
  }
  return carryOut;
}

int CommentCache::CarryAt(CEditTextBuffer& buf, const CEditLine* pLine) {
  if (!pLine) return 0;
  int n = buf.LineNumber(pLine);
  if (n < 1) return 0;
  if (m_carry.empty()) m_carry.push_back(0);
  if (int(m_carry.size()) < n) {
    // Back from the line to the last known line start, then forward
    // computing the states in between.
    const CEditLine* p = pLine;
    int k = n;
    int known = int(m_carry.size());
    while (p && k > known) {
      p = p->m_pPrev;
      --k;
    }
    int carry = m_carry.back();
    for (; p && k < n; p = p->m_pNext, ++k) {
      carry = CarryAfter(buf, p, carry);
      m_carry.push_back(int8_t(carry));
    }
  }
  return m_carry[size_t(n - 1)];
}

void CommentCache::InvalidateFrom(int lineNumber) {
  // The state at the start of line n depends on lines before n only, so
  // line n's own start stays; lines after it are recomputed.
  if (lineNumber < 1) lineNumber = 1;
  if (int(m_carry.size()) > lineNumber) m_carry.resize(size_t(lineNumber));
}

}  // namespace pm2
