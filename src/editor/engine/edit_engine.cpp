// The engine's state, set-up, command dispatch and the selection basics
// that every other concern file uses.
#include "editor/engine/edit_engine.h"

#include <algorithm>

namespace pm2 {

namespace {
struct StatusRow {
  int code;
  const char* text;
};
constexpr StatusRow kEngineTexts[] = {
    {kEditClipboardEmpty, "The clipboard is empty or cannot be opened."},
    {kEditStartOfText, "Start of the text."},
    {kEditNoText, "No text is selected."},
    {kEditStreamOnly, "This works on a stream selection only, not on a column block."},
    {kEditNotFound, "Cannot find the string '%s'."},
    {kEditSearchDone, "The search for '%s' is finished."},
    {kEditBadExpression, "The regular expression %s"},
};
}  // namespace

const char* EditEngineStatusText(int code) {
  for (const StatusRow& r : kEngineTexts)
    if (r.code == code) return r.text;
  return EditStatusText(code);
}

EditEngine::EditEngine(CEditTextBuffer* pText, EditShared* pShared, EditHost* pHost)
    : m_pText(pText), m_pShared(pShared), m_pHost(pHost) {
  InitView();
}

void EditEngine::InitView() {
  EditState fresh;
  fresh.nTextWidth = m_s.nTextWidth;
  fresh.nTextHeight = m_s.nTextHeight;
  fresh.nCharWidth = m_s.nCharWidth;
  fresh.nLineHeight = m_s.nLineHeight;
  fresh.nLeftMargin = m_s.nLeftMargin;
  fresh.bFreeColumn = m_s.bFreeColumn;
  m_s = fresh;
  m_s.pTopLine = m_s.pCaretLine = m_pText->FirstLine();
  int marks = 0;
  for (const CEditLine* p = m_pText->FirstLine(); p; p = p->m_pNext)
    if (p->m_nFlags & kLineBookmark) ++marks;
  m_pShared->nBookmarks = marks;
  m_comments.Clear();
  SyncLineCount();
  m_pHost->ScrollBarsChanged();
}

void EditEngine::SetMetrics(int charWidth, int lineHeight) {
  m_s.nCharWidth = charWidth;
  m_s.nLineHeight = lineHeight;
  m_s.nLeftMargin = lineHeight;  // the margin is one line height wide
  m_pHost->ScrollBarsChanged();
}

void EditEngine::SetClientSize(int width, int height) {
  m_s.nTextWidth = std::max(width, 0);
  m_s.nTextHeight = std::max(height, 0);
  // A text that now fits the window while scrolled scrolls back to line 1.
  if (Rows() >= m_pText->GetLineCount() && m_s.nTopLine > 1) {
    m_s.pTopLine = m_pText->FirstLine();
    m_s.nTopLine = 1;
    Invalidate();
  }
  m_pHost->ScrollBarsChanged();
}

int EditEngine::Rows() const { return m_s.nLineHeight > 0 ? m_s.nTextHeight / m_s.nLineHeight : 0; }

int EditEngine::VisibleColumns() const {
  return m_s.nCharWidth > 0 ? m_s.nTextWidth / m_s.nCharWidth : 0;
}

// ---- commands ----

bool EditEngine::RunCommand(int id) {
  const EditCommand* c = FindEditCommand(id);
  if (!c) return false;
  if (c->enabled && !(this->*c->enabled)()) return false;
  (this->*c->run)();
  return true;
}

bool EditEngine::IsCommandEnabled(int id) const {
  const EditCommand* c = FindEditCommand(id);
  if (!c) return false;
  return !c->enabled || (this->*c->enabled)();
}

bool EditEngine::OnKey(EditKey key, uint32_t mods) {
  int id = FindKeyCommand(key, mods);
  if (!id) return false;
  RunCommand(id);
  return true;
}

bool EditEngine::IsWritable() const { return !m_pText->IsReadOnly(); }
bool EditEngine::CanCopy() const { return HasSelection() && !m_s.bCapture; }
bool EditEngine::CanCut() const { return CanCopy() && IsWritable(); }
bool EditEngine::CanPaste() const { return IsWritable() && m_pHost->Clipboard().HasText(); }
bool EditEngine::CanUndo() const { return m_pText->GetUndoIndex() > 0; }
bool EditEngine::CanRedo() const {
  return m_pText->GetUndoTop() > 0 && m_pText->GetUndoIndex() < m_pText->GetUndoTop();
}
bool EditEngine::CanFindNext() const {
  // The search Find Next repeats: the profile's newest entry when the
  // window keeps one, else this program run's last search.
  EditFindOptions stored;
  if (m_pHost->LoadFindOptions(&stored)) return !stored.text.empty();
  return !m_pShared->find.text.empty();
}
bool EditEngine::HasBookmarks() const { return m_pShared->nBookmarks > 0; }

void EditEngine::ToggleOverwrite() {
  m_pText->SetInsertMode(!m_pText->GetInsertMode());
  Notify(kHintCaretMoved);  // the window's indicators follow
}

// ---- reports and repaints ----

void EditEngine::Report(int code, const std::string& arg) {
  if (!code || !m_s.bRedraw) return;
  // Only a text made for one string argument is used as a format.
  std::string format = EditEngineStatusText(code);
  size_t at = format.find("%s");
  if (at != std::string::npos) format.replace(at, 2, arg);
  m_pHost->ShowMessage(code, format);
}

void EditEngine::Invalidate() {
  if (m_s.bRedraw) m_pHost->InvalidateAll();
}

void EditEngine::InvalidateCaretRow() {
  if (!m_s.bRedraw) return;
  int row = m_s.nCaretLine - m_s.nTopLine;
  m_pHost->InvalidateRect(0, row * m_s.nLineHeight, m_s.nTextWidth, m_s.nLineHeight);
}

void EditEngine::InvalidateRowsFrom(int row) {
  if (!m_s.bRedraw) return;
  int y = std::max(row, 0) * m_s.nLineHeight;
  m_pHost->InvalidateRect(0, y, m_s.nTextWidth, std::max(m_s.nTextHeight - y, 0));
}

void EditEngine::InvalidateLines(int a, int b) {
  if (!m_s.bRedraw) return;
  if (a > b) std::swap(a, b);
  int first = std::max(a - m_s.nTopLine, 0);
  int last = std::min(b - m_s.nTopLine, Rows());
  if (last < first) return;
  m_pHost->InvalidateRect(0, first * m_s.nLineHeight, m_s.nTextWidth,
                          (last - first + 1) * m_s.nLineHeight);
}

void EditEngine::Notify(int hint) { m_pHost->Notify(hint); }

// ---- lines and columns ----

CEditLine* EditEngine::WalkTo(CEditLine* p, int n) const {
  if (!p) return nullptr;
  int k = m_pText->LineNumber(p);
  while (k < n && p->m_pNext) {
    p = p->m_pNext;
    ++k;
  }
  while (k > n && p->m_pPrev) {
    p = p->m_pPrev;
    --k;
  }
  return p;
}

void EditEngine::ResolveTop() {
  int count = m_pText->GetLineCount();
  m_s.nCaretLine = m_pText->LineNumber(m_s.pCaretLine);
  m_s.nTopLine = std::clamp(m_s.nTopLine, 1, std::max(count, 1));
  m_s.pTopLine = WalkTo(m_s.pCaretLine, m_s.nTopLine);
}

int EditEngine::LineEndColumn(const CEditLine* pLine) const {
  if (!pLine) return 0;
  return m_pText->IndexToColumn(pLine, m_pText->ContentLength(pLine));
}

int EditEngine::LineWidth(const CEditLine* pLine) const {
  return m_pText->TextColumns(pLine->Text(), pLine->Length());
}

int EditEngine::IndexOfColumn(const CEditLine* pLine, int column) const {
  return m_pText->ColumnToIndex(pLine, column);
}

int EditEngine::CaretIndex() const { return IndexOfColumn(m_s.pCaretLine, m_s.nCaretCol); }

void EditEngine::SetCaret(CEditLine* pLine, int column) {
  m_s.pCaretLine = pLine;
  m_s.nCaretLine = m_pText->LineNumber(pLine);
  m_s.nCaretCol = column;
}

int EditEngine::FixCaretColumn(int column) const {
  const CEditLine* pLine = m_s.pCaretLine;
  int index = IndexOfColumn(pLine, column);
  if (index < m_pText->ContentLength(pLine) && pLine->m_text[size_t(index)] == '\t')
    column = m_pText->IndexToColumn(pLine, index);  // a tab's start column
  if (m_s.bFreeColumn || (m_s.bSelActive && m_s.nSelMode == kSelColumn)) return column;
  return std::min(column, LineEndColumn(pLine));
}

bool EditEngine::StepDown() {
  CEditLine* pNext = m_s.pCaretLine->m_pNext;
  if (!pNext) return false;
  // Leaving the bottom row scrolls by one line.
  if (m_s.nCaretLine - m_s.nTopLine >= Rows() - 1 && m_s.pTopLine->m_pNext) {
    m_s.pTopLine = m_s.pTopLine->m_pNext;
    ++m_s.nTopLine;
    Invalidate();
  }
  m_s.pCaretLine = pNext;
  ++m_s.nCaretLine;
  return true;
}

bool EditEngine::StepUp() {
  CEditLine* pPrev = m_s.pCaretLine->m_pPrev;
  if (!pPrev) return false;
  if (m_s.nCaretLine <= m_s.nTopLine && m_s.pTopLine->m_pPrev) {
    m_s.pTopLine = m_s.pTopLine->m_pPrev;
    --m_s.nTopLine;
    Invalidate();
  }
  m_s.pCaretLine = pPrev;
  --m_s.nCaretLine;
  return true;
}

// ---- selection basics ----

void EditEngine::ClearSelection() {
  bool had = m_s.pSelStart && m_s.pSelEnd;
  bool wasActive = m_s.bSelActive;
  m_s.bSelActive = false;
  m_s.bCapture = false;
  if (had && wasActive) {
    if (m_s.nSelMode == kSelColumn)
      Invalidate();
    else
      InvalidateLines(m_pText->LineNumber(m_s.pSelStart), m_pText->LineNumber(m_s.pSelEnd));
  }
  m_s.pSelStart = m_s.pSelEnd = nullptr;
  m_s.nSelStartCol = m_s.nSelEndCol = 0;
  m_s.nSelMode = kSelStream;
  PlaceCaret();
}

void EditEngine::BeginSelection() {
  m_s.pAnchorLine = m_s.pSelStart = m_s.pSelEnd = m_s.pCaretLine;
  m_s.nAnchorCol = m_s.nSelStartCol = m_s.nSelEndCol = m_s.nCaretCol;
  m_s.bSelActive = true;
  PlaceCaret();
}

void EditEngine::UpdateSelection() {
  if (!m_s.pAnchorLine) return;
  m_s.pSelStart = m_s.pAnchorLine;
  m_s.nSelStartCol = m_s.nAnchorCol;
  m_s.pSelEnd = m_s.pCaretLine;
  m_s.nSelEndCol = m_s.nCaretCol;
  if (m_s.nSelMode == kSelColumn) return;
  int a = m_pText->LineNumber(m_s.pSelStart), b = m_pText->LineNumber(m_s.pSelEnd);
  if (b < a || (a == b && m_s.nSelEndCol < m_s.nSelStartCol)) {
    std::swap(m_s.pSelStart, m_s.pSelEnd);
    std::swap(m_s.nSelStartCol, m_s.nSelEndCol);
  }
}

bool EditEngine::GetLineSelection(const CEditLine* pLine, int e, int* pStart, int* pWidth) const {
  *pStart = *pWidth = 0;
  if (!m_s.pSelStart || !m_s.pSelEnd || !pLine) return false;
  int n = m_pText->LineNumber(pLine);
  int a = m_pText->LineNumber(m_s.pSelStart), b = m_pText->LineNumber(m_s.pSelEnd);
  if (m_s.nSelMode == kSelColumn) {
    if (n < std::min(a, b) || n > std::max(a, b)) return false;
    *pStart = std::min(m_s.nSelStartCol, m_s.nSelEndCol);
    *pWidth = std::abs(m_s.nSelStartCol - m_s.nSelEndCol);
    return true;
  }
  int start = 0, end = 0;
  if (n == a) {
    start = std::min(m_s.nSelStartCol, e);
    end = n == b ? std::min(m_s.nSelEndCol, e) : e;
  } else if (n == b) {
    end = std::min(m_s.nSelEndCol, e);
  } else if (n > a && n < b) {
    end = e;
  } else {
    return false;
  }
  *pStart = start;
  *pWidth = std::max(end - start, 0);
  return true;
}

bool EditEngine::ShowsSelection() const {
  return !m_pShared->pLastFocus || m_pShared->pLastFocus == this;
}

int EditEngine::CommentCarryAt(const CEditLine* pLine) {
  // Edits made through any window of the text since the cache was last
  // brought up to date: only the lines from the lowest one are redone.
  if (int lowest = m_pText->LowestChangeSince(m_nCommentsSeen)) m_comments.InvalidateFrom(lowest);
  m_nCommentsSeen = m_pText->EditSerial();
  return m_comments.CarryAt(*m_pText, pLine);
}

void EditEngine::TextChangedFrom(int lineNumber) { m_comments.InvalidateFrom(lineNumber); }

void EditEngine::OnSetFocus() {
  m_pShared->pLastFocus = this;
  if (m_s.bSelActive) Invalidate();
  PlaceCaret();
}

void EditEngine::OnKillFocus() {
  if (m_s.bSelActive) Invalidate();
  PlaceCaret();
}

}  // namespace pm2
