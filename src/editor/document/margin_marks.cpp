#include "editor/document/margin_marks.h"

namespace pm2 {

void ResetMarginMarks(CEditLine* first) {
  int n = 1;
  for (CEditLine* l = first; l; l = l->m_pNext, ++n) {
    l->m_nDebugWord = uint32_t(n);
    l->m_nFlags = (l->m_nFlags & ~uint32_t(kLineBreakEnabled | kLineBreakSet | kLineHasCode)) | kLineDebugWordValid;
  }
}

void ClearBreakMarks(CEditLine* first) {
  for (CEditLine* l = first; l; l = l->m_pNext)
    l->m_nFlags &= ~uint32_t(kLineBreakEnabled | kLineBreakSet | kLineHasCode);
}

uint32_t FreshDebugWord(const CEditLine* first, uint32_t numberedLines) {
  uint32_t top = numberedLines;
  for (const CEditLine* l = first; l; l = l->m_pNext)
    if ((l->m_nFlags & kLineDebugWordValid) && l->m_nDebugWord > top) top = l->m_nDebugWord;
  return top + 1;
}

int LineOfDebugWord(const CEditLine* first, uint32_t word) {
  int n = 1;
  for (const CEditLine* l = first; l; l = l->m_pNext, ++n)
    if ((l->m_nFlags & kLineDebugWordValid) && l->m_nDebugWord == word) return n;
  return 0;
}

int ApplyLineTable(CEditLine* first, const CodeLines& lines) {
  if (lines.Empty()) return 0;
  int marked = 0;
  for (CEditLine* l = first; l; l = l->m_pNext) {
    uint32_t address = 0;
    if (!(l->m_nFlags & kLineDebugWordValid) || !lines.Address(l->m_nDebugWord, &address)) continue;
    if (!(l->m_nFlags & kLineHasCode)) ++marked;
    l->m_nFlags |= kLineHasCode;
    l->m_nCodeAddress = address;
  }
  return marked;
}

int ApplyLineTable(CEditLine* first, const DbgLineTableRecord* table) { return ApplyLineTable(first, CodeLines(table)); }

void CodeLineRange(const CEditLine* line, uint32_t* begin, uint32_t* end) {
  *begin = line->m_nCodeAddress;
  *end = 0;
  const CEditLine* next = line->m_pNext;
  while (next && !(next->m_nFlags & kLineHasCode)) next = next->m_pNext;
  if (!next) return;
  const CEditLine* after = next->m_pNext;
  while (after && !(after->m_nFlags & kLineHasCode)) after = after->m_pNext;
  if (after && after->m_nCodeAddress < next->m_nCodeAddress) return;
  *end = next->m_nCodeAddress;
}

MarginCell SessionMarginCell(const CEditLine& line, uint32_t state, uint32_t pcLine, uint32_t shown) {
  MarginCell c;
  const bool code = (line.m_nFlags & kLineHasCode) != 0;
  if (code) {
    c.codeFill = true;
    c.executed = (state & 0xC) != 0;
    c.box = (state & 0x3) != 0;
    c.boxEnabled = (state & 0x1) != 0;
  }
  c.bookmark = (line.m_nFlags & kLineBookmark) != 0;
  if (pcLine && (line.m_nFlags & kLineDebugWordValid) && line.m_nDebugWord == pcLine) {
    c.arrow = MarginArrow::ProgramCounter;
  } else if (code) {
    uint32_t begin = 0, end = 0;
    CodeLineRange(&line, &begin, &end);
    if (shown >= begin && (end == 0 ? shown == begin : shown < end)) c.arrow = MarginArrow::Shown;
  } else if ((line.m_nFlags & kLineDebugWordValid) && shown && line.m_nDebugWord == shown) {
    c.arrow = MarginArrow::Shown;
  }
  return c;
}

MarginCell StoredMarginCell(const CEditLine& line, uint32_t shown) {
  MarginCell c;
  c.box = (line.m_nFlags & kLineBreakSet) != 0;
  c.boxEnabled = c.box && (line.m_nFlags & kLineBreakEnabled);
  c.bookmark = (line.m_nFlags & kLineBookmark) != 0;
  if ((line.m_nFlags & kLineDebugWordValid) && shown && line.m_nDebugWord == shown) c.arrow = MarginArrow::Shown;
  return c;
}

std::array<std::array<int, 2>, 8> MarginArrowPolygon(int top, int h, int w) {
  const int m = top + h / 2, a = h * 5 / 36, b = (w - 1) * 5 / 9, d = h * 7 / 18;
  return {{{1, m + a}, {1, m - a}, {b, m - a}, {b, m - d}, {b + d, m}, {b, m + d}, {b, m + a}, {1, m + a}}};
}

MarginHint LookUpMarginHint(uint32_t hint) {
  static const MarginHint kHints[] = {
      {0x12341000, MarginHintAction::Repaint, false},
      {0x12341001, MarginHintAction::ProgramCounter, true},
      {0x12341003, MarginHintAction::ProgramCounter, false},
      {0x12341002, MarginHintAction::LoadLineInfo, false},
      {0x12341004, MarginHintAction::RememberPosition, false},
      {0x12342000, MarginHintAction::ResetMarks, false},
      {0x12342100, MarginHintAction::ReloadStored, false},
      {0x12342110, MarginHintAction::BeforeSave, false},
      {0x12342111, MarginHintAction::BeforeClose, false},
      {0x12345678, MarginHintAction::SettingsChanged, false},
      {0x12348000, MarginHintAction::ShowAddress, true},
      {0x12348001, MarginHintAction::ShowLine, true},
      {0x12348002, MarginHintAction::ShowLine, true},
  };
  for (const MarginHint& h : kHints)
    if (h.hint == hint) return h;
  return MarginHint{hint, MarginHintAction::None, false};
}

}  // namespace pm2
