// Find Next, the programmatic find and go-to-line, the selection interface
// the IDE's view uses, and bookmarks.
#include <algorithm>

#include "editor/engine/edit_engine.h"
#include "editor/text/regexp.h"
#include "editor/engine/undo_group.h"
#include "editor/text/line_search.h"

namespace pm2 {

bool EditEngine::SearchFrom(EditPos& pos, const EditFindOptions& opt, int* pLength,
                            std::string* pSubstituted) {
  SearchRequest req;
  req.pattern = opt.text;
  req.replacement = m_pShared->replacement;
  req.nFlags = (opt.matchCase ? uint32_t(kSearchMatchCase) : 0u) |
               (opt.forward ? uint32_t(kSearchDown) : 0u) | (opt.regex ? uint32_t(kSearchRegex) : 0u);
  // No limit line: the search runs to the end (or start) of the text
  // without walking the list to find it first.
  if (!m_pText->Search(pos, EditPos{}, req)) return false;
  *pLength = req.nMatchLength;
  if (pSubstituted) *pSubstituted = req.substituted;
  return true;
}

std::string EditEngine::ReplacementFor(const std::string& substituted) const {
  return m_pShared->find.regex ? substituted : m_pShared->replacement;
}

std::string EditEngine::CurrentReplacement(EditPos at, int length) {
  if (!m_pShared->find.regex) return m_pShared->replacement;
  // The template as it stands now, substituted with the selected match.
  EditFindOptions opt = m_pShared->find;
  opt.forward = true;
  EditPos pos = at;
  int found = 0;
  std::string substituted;
  if (SearchFrom(pos, opt, &found, &substituted) && pos.pLine == at.pLine && pos.nIndex == at.nIndex &&
      found == length)
    return substituted;
  return m_pShared->replacement;
}

void EditEngine::FindNextCommand() {
  // The open Find dialog holds the search the user is making; the key
  // brings it forward instead of repeating an older search behind it.
  if (m_pHost->IsFindOnlyDialogOpen()) {
    m_s.bFound = false;
    m_pHost->RequestDialog(kCmdEditFind);
    return;
  }
  FindNext();
}

void EditEngine::FindNext() {
  m_s.bFound = false;
  // A restarted program repeats the search the profile kept.
  EditFindOptions stored;
  if (m_pHost->LoadFindOptions(&stored)) m_pShared->find = stored;
  if (m_pShared->find.text.empty()) {
    m_pHost->RequestDialog(kCmdFindNext);
    return;
  }
  SearchNext(false);
}

EditEngine::FindOutcome EditEngine::SearchNext(bool replacing) {
  m_s.bFound = false;
  const EditFindOptions& opt = m_pShared->find;
  if (ReportInvalidExpression(opt)) return FindOutcome::kNotFound;
  if (m_s.bSelActive && HasSelection()) {
    // From the selection's far end, so that the same match is not found again.
    if (opt.forward)
      SetCaret(m_s.pSelEnd, m_s.nSelEndCol);
    else
      SetCaret(m_s.pSelStart, m_s.nSelStartCol);
    ClearSelection();
  }
  EditPos start = CaretPos();
  // A pending replacement belongs to the pass of its search text: another
  // text begins a pass of its own.
  if (replacing && opt.text != m_passText) replacing = false;
  if (!replacing) {
    // A new pass begins here; it has seen every match once a wrapped
    // search comes back to this point.
    m_nPassLine = m_s.nCaretLine;
    m_nPassIndex = start.nIndex;
    m_bPassWrapped = false;
    m_passText = opt.text;
  }
  EditPos pos = start;
  int length = 0;
  std::string substituted;
  bool found = SearchFrom(pos, opt, &length, &substituted);
  if (!found && opt.wrap) {
    CEditLine* pFrom = opt.forward ? m_pText->FirstLine() : m_pText->LastLine();
    pos = {pFrom, opt.forward ? 0 : m_pText->ContentLength(pFrom)};
    found = SearchFrom(pos, opt, &length, &substituted);
    m_bPassWrapped = true;
  }
  if (found && replacing && m_bPassWrapped) {
    int line = m_pText->LineNumber(pos.pLine);
    bool passed = opt.forward ? (line > m_nPassLine || (line == m_nPassLine && pos.nIndex >= m_nPassIndex))
                              : (line < m_nPassLine || (line == m_nPassLine && pos.nIndex < m_nPassIndex));
    if (passed) found = false;
  }
  if (!found) {
    m_bReplacePending = false;
    if (replacing) {
      Report(kEditSearchDone, opt.text);
      m_pHost->RequestDialog(kCmdCloseFindDialog);
      return FindOutcome::kPassDone;
    }
    Report(kEditNotFound, opt.text);
    return FindOutcome::kNotFound;
  }
  int startCol = m_pText->IndexToColumn(pos.pLine, pos.nIndex);
  SelectText(pos, m_pText->IndexToColumn(pos.pLine, pos.nIndex + length) - startCol);
  m_s.bFound = true;
  m_matchText = pos.pLine->m_text.substr(size_t(pos.nIndex), size_t(length));
  return FindOutcome::kFound;
}

EditEngine::FindOutcome EditEngine::FindFromDialog() {
  if (m_pShared->find.text.empty()) return FindOutcome::kNotFound;
  FindOutcome outcome = SearchNext(m_bReplacePending);
  m_bReplacePending = outcome == FindOutcome::kFound;
  return outcome;
}

EditEngine::FindOutcome EditEngine::ReplaceNext() {
  if (m_pText->IsReadOnly() || m_pShared->find.text.empty()) return FindOutcome::kNotFound;
  // The match of another search text is not this one's to replace.
  if (m_pShared->find.text != m_passText) m_bReplacePending = false;
  bool replaced = false;
  if (m_bReplacePending && HasSelection() && GetSelectedText(nullptr) == m_matchText) {
    EditPos a, b;
    bool column = false;
    GetSelection(&a, &b, &column);
    // The replacement the Replace box holds now, not the one of the search
    // that found the match.
    std::string with = CurrentReplacement(a, int(m_matchText.size()));
    if (LineWidth(m_s.pCaretLine) + int(with.size()) < kMaxLineColumns) {
      UndoGroup group(m_pText);
      DeleteSelection(true);
      if (!with.empty()) InsertAtCaret(with, true);
      replaced = true;
      // The pass's starting point keeps its place in the text.
      if (m_pText->LineNumber(a.pLine) == m_nPassLine && a.nIndex < m_nPassIndex)
        m_nPassIndex += int(with.size()) - int(m_matchText.size());
    } else {
      ClearSelection();  // a line that would grow too long keeps its match
    }
  }
  FindOutcome outcome = SearchNext(replaced || m_bReplacePending);
  m_bReplacePending = outcome == FindOutcome::kFound;
  return outcome;
}

void EditEngine::FindDialogClosed() {
  m_bReplacePending = false;
  m_matchText.clear();
}

SearchRequest EditEngine::PassRequest() const {
  SearchRequest req;
  req.pattern = m_pShared->find.text;
  req.replacement = m_pShared->replacement;
  req.nFlags = kSearchDown | (m_pShared->find.matchCase ? uint32_t(kSearchMatchCase) : 0u) |
               (m_pShared->find.regex ? uint32_t(kSearchRegex) : 0u);
  return req;
}

bool EditEngine::ReportInvalidExpression(const EditFindOptions& opt) {
  if (!opt.regex || opt.text.empty()) return false;
  const std::string why = InvalidExpressionText(opt.text);
  if (why.empty()) return false;
  // Not "cannot find": the text was never searched.
  m_bReplacePending = false;
  Report(kEditBadExpression, why);
  return true;
}

int EditEngine::ReplaceAll() {
  if (m_pText->IsReadOnly() || m_pShared->find.text.empty()) return 0;
  if (ReportInvalidExpression(m_pShared->find)) return 0;
  EditPos oldCaret = CaretPos();
  if (m_s.bSelActive) ClearSelection();
  LineSearch search;
  int count = search.Prepare(PassRequest()) ? ReplaceAllLines(search) : 0;
  m_bReplacePending = false;
  // Matches lie within one line and no line is removed, so the caret's
  // line lives on; it stays where it stood.
  SetCaret(oldCaret.pLine, m_pText->IndexToColumn(oldCaret.pLine, oldCaret.nIndex));
  if (count == 0) {
    Report(kEditNotFound, m_pShared->find.text);
    return 0;
  }
  SyncLineCount();
  ResolveTop();
  m_s.nCaretCol = FixCaretColumn(m_s.nCaretCol);
  Invalidate();
  UpdateCaret();
  Notify(kHintTextChanged);
  // The pass is over, and so is the dialog's part in it.
  m_pHost->RequestDialog(kCmdCloseFindDialog);
  return count;
}

// One pass down the text: each line with matches gets its new content in
// one go, and all of them go into the text as one undo step.
int EditEngine::ReplaceAllLines(LineSearch& search) {
  bool regex = m_pShared->find.regex;
  const std::string& plain = m_pShared->replacement;
  // A replacement that holds a line end would split lines: such a pass
  // replaces match by match instead.
  if (plain.find_first_of("\r\n") != std::string::npos) return ReplaceAllByMatch(search);
  bool tabs = plain.find('\t') != std::string::npos;
  std::vector<CEditTextBuffer::LineEdit> edits;
  std::string out, substituted;
  int count = 0;
  for (CEditLine* p = m_pText->FirstLine(); p; p = p->m_pNext) {
    std::string_view line(p->m_text.data(), size_t(m_pText->ContentLength(p)));
    int length = 0;
    int at = search.Forward(line, 0, int(line.size()), &length, regex ? &substituted : nullptr);
    if (at < 0) continue;
    bool lineTabs = tabs || line.find('\t') != std::string_view::npos;
    out.clear();
    size_t done = 0;  // bytes of the line already in `out`
    int replaced = 0;
    while (at >= 0) {
      const std::string& with = regex ? substituted : plain;
      std::string_view rest = line.substr(done);
      // The line as it would stand, measured as the display measures it
      // (bytes are columns unless a tab is involved).
      int width = int(out.size() + rest.size()) - length + int(with.size());
      if (lineTabs) {
        std::string probe = out;
        probe.append(line.substr(done, size_t(at) - done)).append(with).append(line.substr(size_t(at + length)));
        width = m_pText->TextColumns(probe.data(), int(probe.size()));
      }
      int next = at + std::max(length, 1);
      if (width < kMaxLineColumns) {
        out.append(line.substr(done, size_t(at) - done));
        out.append(with);
        done = size_t(at + length);
        ++replaced;
        // The search goes on after the match, so replacing a text by itself
        // ends; an empty match moves on by one character.
        if (length == 0 && size_t(at) < line.size()) {
          out += line[size_t(at)];
          done = size_t(at) + 1;
        }
        next = at + std::max(length, 1);
      }
      if (next > int(line.size())) break;
      at = search.Forward(line, next, int(line.size()), &length, regex ? &substituted : nullptr);
    }
    if (replaced == 0) continue;
    out.append(line.substr(std::min(done, line.size())));
    edits.push_back({p, out});
    count += replaced;
  }
  if (count) m_pText->ReplaceLineContents(edits, true);
  return count;
}

int EditEngine::ReplaceAllByMatch(LineSearch& search) {
  bool redraw = m_s.bRedraw;
  m_s.bRedraw = false;
  int count = 0;
  {
    // One undo step takes back the whole pass.
    UndoGroup group(m_pText);
    EditPos pos{m_pText->FirstLine(), 0};
    std::string substituted;
    while (pos.pLine) {
      std::string_view line(pos.pLine->m_text.data(), size_t(m_pText->ContentLength(pos.pLine)));
      int length = 0;
      int at = search.Forward(line, pos.nIndex, int(line.size()), &length, &substituted);
      if (at < 0) {
        pos = {pos.pLine->m_pNext, 0};
        continue;
      }
      pos.nIndex = at;
      std::string with = ReplacementFor(substituted);
      int next = pos.nIndex + std::max(length, 1);
      if (LineWidth(pos.pLine) - length + int(with.size()) < kMaxLineColumns) {
        if (length > 0) m_pText->DeleteChars(pos, length, true);
        CEditLine* pAfter = pos.pLine->m_pNext;
        if (!with.empty()) m_pText->InsertString(pos, with, true, true);
        ++count;
        // After the inserted lines, on the line that holds the old tail.
        CEditLine* pTail = pAfter ? pAfter->m_pPrev : m_pText->LastLine();
        int tail = int(line.size()) - at - length;
        pos = {pTail, m_pText->ContentLength(pTail) - tail + (length == 0 ? 1 : 0)};
        if (pos.nIndex > m_pText->ContentLength(pTail)) pos = {pTail->m_pNext, 0};
        continue;
      }
      pos.nIndex = next;
      if (next > int(line.size())) pos = {pos.pLine->m_pNext, 0};
    }
  }
  m_s.bRedraw = redraw;
  return count;
}

int EditEngine::MarkAll() {
  if (m_pShared->find.text.empty()) return 0;
  // Told as Find tells it: no line was looked at, so none is marked.
  if (ReportInvalidExpression(m_pShared->find)) return -1;
  LineSearch search;
  int marked = 0;
  if (search.Prepare(PassRequest())) {
    for (CEditLine* p = m_pText->FirstLine(); p; p = p->m_pNext) {
      int length = 0;
      std::string_view line(p->m_text.data(), size_t(m_pText->ContentLength(p)));
      if (search.Forward(line, 0, int(line.size()), &length, nullptr) < 0) continue;
      if (!(p->m_nFlags & kLineBookmark)) {
        p->m_nFlags |= kLineBookmark;
        ++m_pShared->nBookmarks;
      }
      ++marked;
    }
  }
  m_bReplacePending = false;
  if (marked) {
    if (m_s.bSelActive) ClearSelection();
    MoveTop();
    if (!(m_s.pCaretLine->m_nFlags & kLineBookmark)) NextBookmark();
    Invalidate();
  }
  return marked;
}

bool EditEngine::FindText(const std::string& text, bool matchCase) {
  m_pHost->StoreFindText(text, matchCase);
  m_pShared->find.text = text;
  m_pShared->find.matchCase = matchCase;
  FindNext();
  return m_s.bFound;
}

void EditEngine::SelectText(EditPos pos, int length) {
  if (m_s.bSelActive) ClearSelection();
  SetCaret(pos.pLine, m_pText->IndexToColumn(pos.pLine, pos.nIndex));
  int startCol = m_s.nCaretCol;
  m_s.nSelMode = kSelStream;
  BeginSelection();
  m_s.nCaretCol += length;
  if (m_s.nTextWidth > 0 && m_s.nCharWidth > 0) {
    int v = (m_s.nTextWidth - m_s.nLeftMargin) / m_s.nCharWidth;
    if (m_s.nCaretCol + 3 < v)
      m_s.nLeftCol = 0;
    else if (startCol < m_s.nLeftCol)
      m_s.nLeftCol = std::max(startCol - 10, 0);
    else if (m_s.nCaretCol >= m_s.nLeftCol + v)
      m_s.nLeftCol = std::max(m_s.nCaretCol - v + 10, 0);
  }
  UpdateSelection();
  // The match is shown a few rows below the top when it was off screen.
  UpdateCaret();
  Invalidate();
}

void EditEngine::GotoLine(int lineNumber, int column) {
  CEditLine* pLine = m_pText->GetLine(std::max(lineNumber, 1));
  SetCaret(pLine, std::max(column, 0));
  int rows = std::max(Rows(), 1);
  if (m_s.nCaretLine < m_s.nTopLine) {
    m_s.pTopLine = pLine;
    m_s.nTopLine = m_s.nCaretLine;
  } else if (m_s.nCaretLine >= m_s.nTopLine + rows) {
    m_s.nTopLine = std::max(m_s.nCaretLine - rows + 1, 1);
    m_s.pTopLine = WalkTo(pLine, m_s.nTopLine);
  }
  Invalidate();
  UpdateCaret();
  Notify(kHintCaretMoved);
}

bool EditEngine::GetSelection(EditPos* pStart, EditPos* pEnd, bool* pColumn) const {
  if (!HasSelection()) {
    *pStart = *pEnd = CaretPos();
    *pColumn = false;
    return false;
  }
  *pStart = {m_s.pSelStart, IndexOfColumn(m_s.pSelStart, m_s.nSelStartCol)};
  *pEnd = {m_s.pSelEnd, IndexOfColumn(m_s.pSelEnd, m_s.nSelEndCol)};
  *pColumn = m_s.nSelMode == kSelColumn;
  return true;
}

void EditEngine::SetSelection(EditPos start, EditPos end, bool column) {
  if (m_s.bSelActive) ClearSelection();
  if (!start.pLine || !end.pLine) return;
  SetCaret(start.pLine, m_pText->IndexToColumn(start.pLine, start.nIndex));
  UpdateCaret();
  m_s.nSelMode = column ? kSelColumn : kSelStream;
  BeginSelection();
  SetCaret(end.pLine, m_pText->IndexToColumn(end.pLine, end.nIndex));
  UpdateCaret();
  UpdateSelection();
  Invalidate();
  Notify(kHintTextChanged);
}

std::string EditEngine::GetSelectedText(bool* pColumn) const {
  EditPos a, b;
  bool column = false;
  if (!GetSelection(&a, &b, &column)) {
    if (pColumn) *pColumn = false;
    return {};
  }
  if (pColumn) *pColumn = column;
  if (!column) return m_pText->CopyRange(a, b);
  // A block's corners: both columns are taken on the top line.
  const CEditLine* pTop = m_pText->LineNumber(a.pLine) <= m_pText->LineNumber(b.pLine) ? a.pLine : b.pLine;
  const CEditLine* pBottom = pTop == a.pLine ? b.pLine : a.pLine;
  int left = std::min(m_s.nSelStartCol, m_s.nSelEndCol);
  int right = std::max(m_s.nSelStartCol, m_s.nSelEndCol);
  return m_pText->GetRangeText({const_cast<CEditLine*>(pTop), IndexOfColumn(pTop, left)},
                               {const_cast<CEditLine*>(pBottom), IndexOfColumn(pTop, right)});
}

bool EditEngine::GetFindText(std::string* pOut) const {
  pOut->clear();
  if (HasSelection() && m_s.pSelStart == m_s.pSelEnd && m_s.nSelEndCol < kMaxLineColumns) {
    const CEditLine* p = m_s.pSelStart;
    int a = std::min(IndexOfColumn(p, m_s.nSelStartCol), m_pText->ContentLength(p));
    int b = std::min(IndexOfColumn(p, m_s.nSelEndCol), m_pText->ContentLength(p));
    if (b > a) {
      *pOut = p->m_text.substr(size_t(a), size_t(b - a));
      return true;
    }
  }
  const CEditLine* p = m_s.pCaretLine;
  int n = m_pText->ContentLength(p);
  int i = CaretIndex();
  auto word = [&](int k) {
    uint8_t c = uint8_t(p->m_text[size_t(k)]);
    return m_pText->IsWordChar(c) || c == '_';
  };
  if (n == 0 || i >= n || !word(i)) return false;
  int s = i, e = i;
  while (s > 0 && word(s - 1)) --s;
  while (e < n && word(e)) ++e;
  *pOut = p->m_text.substr(size_t(s), size_t(e - s));
  return true;
}

// ---- bookmarks ----

void EditEngine::ToggleBookmark() {
  CEditLine* p = m_s.pCaretLine;
  p->m_nFlags ^= kLineBookmark;
  m_pShared->nBookmarks += (p->m_nFlags & kLineBookmark) ? 1 : -1;
  if (m_pShared->nBookmarks < 0) m_pShared->nBookmarks = 0;
  InvalidateCaretRow();
  Notify(kHintTextChanged);
}

namespace {
CEditLine* FindMarked(CEditLine* p, bool forward) {
  for (; p; p = forward ? p->m_pNext : p->m_pPrev)
    if (p->m_nFlags & kLineBookmark) return p;
  return nullptr;
}
}  // namespace

void EditEngine::NextBookmark() {
  if (m_pShared->nBookmarks == 0) return;
  CEditLine* p = FindMarked(m_s.pCaretLine->m_pNext, true);
  if (!p) p = FindMarked(m_pText->FirstLine(), true);
  if (p) GoToBookmark(p);
}

void EditEngine::PrevBookmark() {
  if (m_pShared->nBookmarks == 0) return;
  CEditLine* p = FindMarked(m_s.pCaretLine->m_pPrev, false);
  if (!p) p = FindMarked(m_pText->LastLine(), false);
  if (p) GoToBookmark(p);
}

// The caret on a bookmarked line; a line out of the window is shown in its
// middle.
void EditEngine::GoToBookmark(CEditLine* p) {
  if (m_s.bSelActive) ClearSelection();
  SetCaret(p, 0);
  int rows = std::max(Rows(), 1);
  if (m_s.nCaretLine < m_s.nTopLine || m_s.nCaretLine >= m_s.nTopLine + rows) {
    m_s.pTopLine = p;
    m_s.nTopLine = m_s.nCaretLine;
    while (m_s.pTopLine->m_pPrev && m_s.nCaretLine - m_s.nTopLine < rows / 2) {
      m_s.pTopLine = m_s.pTopLine->m_pPrev;
      --m_s.nTopLine;
    }
    Invalidate();
  }
  UpdateCaret();
}

void EditEngine::ClearBookmarks() {
  for (CEditLine* p = m_pText->FirstLine(); p; p = p->m_pNext) p->m_nFlags &= ~kLineBookmark;
  m_pShared->nBookmarks = 0;
  Invalidate();
  Notify(kHintTextChanged);
}

}  // namespace pm2
