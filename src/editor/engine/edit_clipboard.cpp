// Copy, cut, paste (line text and column blocks), dropped text, and the
// undo and redo commands. A column block travels as plain text led by the
// marker line "*SECEdit Column Block*" CR LF.
#include <algorithm>
#include <cstring>
#include <memory>

#include "editor/engine/edit_engine.h"
#include "editor/engine/undo_group.h"

namespace pm2 {

namespace {
constexpr size_t kMarkerLength = sizeof kColumnBlockMarker - 1;  // 22
constexpr size_t kMarkerLineLength = kMarkerLength + 2;           // with CR LF

bool IsColumnBlockText(const std::string& text) {
  return text.size() > kMarkerLength - 1 && text.compare(0, kMarkerLength, kColumnBlockMarker) == 0;
}

// The rows of a column block text, the marker line skipped.
std::string BlockRows(const std::string& text) {
  size_t skip = std::min(kMarkerLineLength, text.size());
  // A marker followed by a lone CR or LF loses only that byte.
  if (skip == kMarkerLineLength && text[kMarkerLength + 1] != '\n' && text[kMarkerLength + 1] != '\r')
    skip = kMarkerLength + 1;
  return text.substr(skip);
}

}  // namespace

int EditEngine::CopySelection() {
  bool column = false;
  std::string text = GetSelectedText(&column);
  if (column) text = std::string(kColumnBlockMarker) + "\r\n" + text;
  m_pHost->Clipboard().SetText(text);  // a clipboard that cannot be opened copies nothing
  return kEditOk;
}

void EditEngine::Copy() {
  if (!HasSelection()) return;
  Report(CopySelection());
}

void EditEngine::Cut() {
  if (!HasSelection()) return;
  int rc = CopySelection();
  if (rc == kEditOk && !m_pText->IsReadOnly()) rc = DeleteSelection(true);
  Report(rc);
}

void EditEngine::Paste() {
  if (m_pText->IsReadOnly()) return;
  std::optional<std::string> clip = m_pHost->Clipboard().GetText();
  if (!clip) {
    Report(kEditClipboardEmpty);
    return;
  }
  // One group: Undo takes back the pasted text and the selection it
  // replaced together.
  UndoGroup group(m_pText);
  if (HasSelection()) DeleteSelection(true);
  if (IsColumnBlockText(*clip)) {
    Report(PasteColumnBlock(true));
    return;
  }
  const std::string& text = *clip;
  if (text.empty()) return;
  if (text.find_first_of("\r\n") == std::string::npos) {
    Report(InsertAtCaret(text, true));
    return;
  }
  // Where the insertion ends: the caret line's tail after the caret moves
  // down with the inserted lines, so the end is the tail's new start.
  CEditLine* pLine = m_s.pCaretLine;
  int index = CaretIndex();
  int tail = std::max(m_pText->ContentLength(pLine) - index, 0);
  int before = m_pText->GetLineCount();
  int firstLine = m_pText->LineNumber(pLine);
  int rc = m_pText->InsertText({pLine, index}, text.data(), int(text.size()), true);
  if (rc) {
    Report(rc);
    return;
  }
  int count = SyncLineCount();
  CEditLine* pEnd = WalkTo(pLine, firstLine + (count - before));
  int endIndex = m_pText->ContentLength(pEnd) - tail;
  SetCaret(pEnd, m_pText->IndexToColumn(pEnd, endIndex));
  ResolveTop();
  if (m_s.nCaretLine >= m_s.nTopLine + Rows() && Rows() > 0) {
    m_s.nTopLine = std::max(m_s.nCaretLine - Rows() + 1, 1);
    m_s.pTopLine = WalkTo(pEnd, m_s.nTopLine);
  }
  TextChangedFrom(firstLine);
  UpdateCaret();
  Invalidate();
  Notify(kHintTextChanged);
}

int EditEngine::PasteColumnBlock(bool recordUndo) {
  std::optional<std::string> clip = m_pHost->Clipboard().GetText();
  if (!clip) return kEditClipboardEmpty;
  UndoGroup group(m_pText);
  if (HasSelection()) DeleteSelection(recordUndo);
  std::string rows = IsColumnBlockText(*clip) ? BlockRows(*clip) : *clip;
  if (rows.find_first_of("\r\n") != std::string::npos) {
    int rc = m_pText->InsertColumnText(CaretPos(), rows.data(), int(rows.size()), recordUndo);
    if (rc) return rc;
    SyncLineCount();
    TextChangedFrom(m_s.nCaretLine);
    UpdateCaret();
    Invalidate();
    Notify(kHintTextChanged);
    return kEditOk;
  }
  return InsertAtCaret(rows, recordUndo);
}

int EditEngine::InsertDroppedText(const std::string& text) {
  EditPos pos = CaretPos();
  if (IsColumnBlockText(text)) {
    std::string rows = BlockRows(text);
    if (rows.find_first_of("\r\n") != std::string::npos)
      return m_pText->InsertColumnText(pos, rows.data(), int(rows.size()), true);
    return m_pText->InsertString(pos, rows, true, true);
  }
  if (text.find_first_of("\r\n") == std::string::npos)
    return m_pText->InsertString(pos, text, true, true);
  return m_pText->InsertText(pos, text.data(), int(text.size()), true);
}

bool EditEngine::DropText(int x, int y, const std::string& text, bool move, EditEngine* source) {
  if (m_pText->IsReadOnly()) return false;
  if (HasSelection() && IsPointInSelection(x, y)) return false;  // onto itself
  bool fromSelf = source == this;
  bool moving = move && source && source->HasSelection() && !source->m_pText->IsReadOnly();
  bool sameText = moving && source->m_pText == m_pText;
  PointToCaretNearest(x, y);
  // Where the text goes, as a line number and a byte index taken before
  // anything changes: the source's selection may lie before it in the
  // same text, seen from this window or from another.
  int dropLine = m_s.nCaretLine;
  int b = CaretIndex();
  if (sameText) {
    const EditState& src = source->m_s;
    int startLine = m_pText->LineNumber(src.pSelStart), endLine = m_pText->LineNumber(src.pSelEnd);
    if (src.nSelMode == kSelColumn) {
      int top = std::min(startLine, endLine), bottom = std::max(startLine, endLine);
      int left = std::min(src.nSelStartCol, src.nSelEndCol);
      int right = std::max(src.nSelStartCol, src.nSelEndCol);
      if (dropLine >= top && dropLine <= bottom) {
        int l = IndexOfColumn(m_s.pCaretLine, left), r = IndexOfColumn(m_s.pCaretLine, right);
        if (b > l && b < r) return false;  // into the block that goes away
        if (b >= r) b -= r - l;
      }
    } else {
      int startIdx = source->IndexOfColumn(src.pSelStart, src.nSelStartCol);
      int endIdx = source->IndexOfColumn(src.pSelEnd, src.nSelEndCol);
      bool after = dropLine > endLine || (dropLine == endLine && b >= endIdx);
      bool before = dropLine < startLine || (dropLine == startLine && b <= startIdx);
      if (!after && !before) return false;  // into the text that goes away
      if (after) {
        if (dropLine == endLine) {
          b += startIdx - endIdx;
          dropLine = startLine;
        } else {
          dropLine -= endLine - startLine;
        }
      }
    }
  }
  if (!fromSelf && HasSelection()) ClearSelection();
  UndoGroup group(m_pText);
  if (moving) {
    std::unique_ptr<UndoGroup> sourceGroup;
    if (!sameText) sourceGroup = std::make_unique<UndoGroup>(source->m_pText);
    int rc = source->DeleteSelection(true);
    if (rc) return false;
    if (!fromSelf) {
      source->Invalidate();
      source->UpdateCaret();
    }
    if (sameText) {
      // This window's own line pointers may have gone with the deleted
      // lines: the caret is found again by number, the top line after it.
      CEditLine* pLine = m_pText->GetLine(dropLine);
      m_s.pCaretLine = pLine;
      m_s.nCaretLine = m_pText->LineNumber(pLine);
      if (!fromSelf) RepairLinePointers();
      SetCaret(pLine, m_pText->IndexToColumn(pLine, std::max(b, 0)));
    }
  }
  if (HasSelection()) ClearSelection();
  int firstLine = m_s.nCaretLine;
  int rc = InsertDroppedText(text);
  SyncLineCount();
  ResolveTop();
  TextChangedFrom(firstLine);
  Invalidate();
  UpdateCaret();
  Notify(kHintTextChanged);
  Report(rc);
  return rc == kEditOk;
}

// ---- undo commands ----

void EditEngine::Undo() {
  if (m_s.bSelActive) ClearSelection();
  if (!m_pText->Undo()) return;
  ShowUndoneStep(m_pText->UndoCaret());  // the text knows whether this is the saved state
}

void EditEngine::Redo() {
  if (m_s.bSelActive) ClearSelection();
  if (!m_pText->Redo()) return;
  ShowUndoneStep(m_pText->RedoCaret());
}

// After an undo or redo: the caret goes where the step was made, scrolling
// up to it when it lies above the top row.
void EditEngine::ShowUndoneStep(EditPos pos) {
  if (!pos.pLine) pos = {m_pText->FirstLine(), 0};
  SyncLineCount();
  SetCaret(pos.pLine, m_pText->IndexToColumn(pos.pLine, pos.nIndex));
  if (m_s.nCaretLine < m_s.nTopLine) {
    m_s.pTopLine = m_s.pCaretLine;
    m_s.nTopLine = m_s.nCaretLine;
  } else {
    ResolveTop();
  }
  Invalidate();
  UpdateCaret();
  Notify(kHintTextChanged);
}

}  // namespace pm2
