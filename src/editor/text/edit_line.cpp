#include "editor/text/edit_line.h"

namespace pm2 {

CEditLine* NewEditLine(int n) {
  auto* pLine = new CEditLine;
  if (n > 0) pLine->m_text.reserve(static_cast<size_t>(n));
  return pLine;
}

void FreeEditLine(CEditLine* pLine) { delete pLine; }

void FreeEditLineList(CEditLine* pLine) {
  CEditLine* p = FirstEditLine(pLine);
  while (p) {
    CEditLine* pNext = p->m_pNext;
    delete p;
    p = pNext;
  }
}

CEditLine* FirstEditLine(CEditLine* pLine, int* pCount) {
  int n = 0;
  if (pLine) {
    n = 1;
    while (pLine->m_pPrev) {
      pLine = pLine->m_pPrev;
      ++n;
    }
  }
  if (pCount) *pCount = n;
  return pLine;
}

CEditLine* LastEditLine(CEditLine* pLine) {
  if (!pLine) return nullptr;
  while (pLine->m_pNext) pLine = pLine->m_pNext;
  return pLine;
}

int NumberEditLines(CEditLine* pLine) {
  int n = 0;
  for (CEditLine* p = FirstEditLine(pLine); p; p = p->m_pNext) p->m_nLine = ++n;
  return n;
}

int GetEditLineNumber(const CEditLine* pLine) { return pLine ? pLine->m_nLine : 0; }

void InsertEditLineBefore(CEditLine* pNew, CEditLine* pLine) {
  pNew->m_pPrev = pLine->m_pPrev;
  pNew->m_pNext = pLine;
  if (pLine->m_pPrev) pLine->m_pPrev->m_pNext = pNew;
  pLine->m_pPrev = pNew;
}

void InsertEditLinesAfter(CEditLine* pList, CEditLine* pLine) {
  CEditLine* pFirst = FirstEditLine(pList);
  CEditLine* pLast = LastEditLine(pList);
  pLast->m_pNext = pLine->m_pNext;
  if (pLine->m_pNext) pLine->m_pNext->m_pPrev = pLast;
  pLine->m_pNext = pFirst;
  pFirst->m_pPrev = pLine;
  if (pLine->m_text == "\r\n" && (pLine->m_nFlags & kLineBookmark)) {
    pLine->m_nFlags &= ~kLineBookmark;
    pLast->m_nFlags |= kLineBookmark;
  }
}

void UnlinkEditLine(CEditLine* pLine) {
  if (pLine->m_pPrev) pLine->m_pPrev->m_pNext = pLine->m_pNext;
  if (pLine->m_pNext) pLine->m_pNext->m_pPrev = pLine->m_pPrev;
  pLine->m_pPrev = pLine->m_pNext = nullptr;
}

void MoveDebuggerMarks(CEditLine* from, CEditLine* to) {
  to->m_nFlags = (to->m_nFlags & ~kLineDebuggerMarks) | (from->m_nFlags & kLineDebuggerMarks);
  to->m_nDebugWord = from->m_nDebugWord;
  to->m_nCodeAddress = from->m_nCodeAddress;
  from->m_nFlags &= ~kLineDebuggerMarks;
  from->m_nDebugWord = 0;
  from->m_nCodeAddress = 0;
}

bool JoinTakesNextMarks(const CEditLine& line, int contentLength, const CEditLine& next) {
  if (!(next.m_nFlags & (kLineDebugWordValid | kLineBreakSet))) return false;
  return contentLength == 0 || !(line.m_nFlags & kLineDebugWordValid) ||
         ((next.m_nFlags & kLineBreakSet) && !(line.m_nFlags & kLineBreakSet));
}

}  // namespace pm2
