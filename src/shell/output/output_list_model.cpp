#include "shell/output/output_list_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pm2 {

void OutputListModel::Clear() {
  lines_.clear();
  selected_.clear();
  selectedCount_ = 0;
  caret_ = anchor_ = -1;
  top_ = 0;
  horz_ = 0;
  longest_ = 0;
}

void OutputListModel::AddLine(std::string text) {
  lines_.push_back(std::move(text));
  selected_.push_back(0);
  if (caret_ < 0) caret_ = anchor_ = 0;
  const int visible = VisibleLines();
  if (Count() > visible) top_ = Count() - visible;
}

void OutputListModel::SetMetrics(const OutputListMetrics& m) {
  // A pane showing the end of the output keeps showing it when it is
  // resized or its font changes, as a running build appends there.
  const bool atEnd = Count() > 0 && top_ >= MaxTop();
  metrics_ = m;
  metrics_.lineHeight = std::max(1, m.lineHeight);
  metrics_.charWidth = std::max(1, m.charWidth);
  metrics_.clientWidth = std::max(0, m.clientWidth);
  metrics_.clientHeight = std::max(0, m.clientHeight);
  if (atEnd) top_ = MaxTop();
  ClampTop();
  ClampHorz();
}

int OutputListModel::VisibleLines() const { return std::max(1, metrics_.clientHeight / metrics_.lineHeight); }

int OutputListModel::MaxTop() const { return std::max(0, Count() - VisibleLines()); }

int OutputListModel::MaxHorz() const {
  const double cw = metrics_.exactCharWidth > 0 ? metrics_.exactCharWidth : metrics_.charWidth;
  const long content = static_cast<long>(std::ceil(static_cast<double>(longest_) * cw)) + 2 * kTextMargin;
  return static_cast<int>(std::max(0L, content - metrics_.clientWidth));
}

void OutputListModel::ClampTop() { top_ = std::clamp(top_, 0, MaxTop()); }
void OutputListModel::ClampHorz() { horz_ = std::clamp(horz_, 0, MaxHorz()); }

void OutputListModel::SetTopIndex(int top) {
  top_ = top;
  ClampTop();
}

void OutputListModel::SetHorzPos(int px) {
  horz_ = px;
  ClampHorz();
}

OutputScrollRange OutputListModel::VertRange() const { return {0, MaxTop(), VisibleLines(), top_, 1}; }

OutputScrollRange OutputListModel::HorzRange() const {
  // One character per line step, five per page step.
  return {0, MaxHorz(), 5 * metrics_.charWidth, horz_, metrics_.charWidth};
}

void OutputListModel::EnsureVisible(int index) {
  if (index < 0 || index >= Count()) return;
  if (index < top_) top_ = index;
  else if (index >= top_ + VisibleLines()) top_ = index - VisibleLines() + 1;
  ClampTop();
}

Rect OutputListModel::LineRect(int index) const {
  const int y = (index - top_) * metrics_.lineHeight;
  return {0, y, metrics_.clientWidth, y + metrics_.lineHeight};
}

void OutputListModel::VisibleRange(int* first, int* last) const {
  // A partly visible line at the bottom is painted too.
  const int rows = (metrics_.clientHeight + metrics_.lineHeight - 1) / metrics_.lineHeight;
  *first = std::min(top_, Count());
  *last = std::min(Count(), top_ + rows);
}

int OutputListModel::HitTest(int y) const {
  const int row = y >= 0 ? y / metrics_.lineHeight : -1 - (-y - 1) / metrics_.lineHeight;
  const int index = top_ + row;
  if (index < 0 || index >= Count()) return -1;
  return index;
}

// ---------------------------------------------------------------- selection

bool OutputListModel::IsSelected(int index) const {
  return index >= 0 && index < Count() && selected_[static_cast<size_t>(index)];
}

void OutputListModel::SetSel(int index, bool on) {
  std::uint8_t& flag = selected_[static_cast<size_t>(index)];
  if (flag == static_cast<std::uint8_t>(on)) return;
  flag = on;
  selectedCount_ += on ? 1 : -1;
}

void OutputListModel::ClearSelection() {
  if (selectedCount_ == 0) return;
  std::fill(selected_.begin(), selected_.end(), 0);
  selectedCount_ = 0;
}

void OutputListModel::SelectRange(int a, int b, bool keepOthers) {
  if (!keepOthers) ClearSelection();
  for (int i = std::min(a, b); i <= std::max(a, b); ++i) SetSel(i, true);
}

int OutputListModel::FirstSelected() const {
  if (selectedCount_ == 0) return -1;
  auto it = std::find(selected_.begin(), selected_.end(), 1);
  return static_cast<int>(it - selected_.begin());
}

std::vector<int> OutputListModel::Selection() const {
  std::vector<int> out;
  out.reserve(static_cast<size_t>(selectedCount_));
  for (int i = 0; i < Count() && static_cast<int>(out.size()) < selectedCount_; ++i)
    if (selected_[static_cast<size_t>(i)]) out.push_back(i);
  return out;
}

int OutputListModel::CurrentLine() const { return IsSelected(caret_) ? caret_ : -1; }

void OutputListModel::Click(int index, bool shift, bool ctrl) {
  if (index < 0 || index >= Count()) return;
  if (shift) {
    if (anchor_ < 0) anchor_ = index;
    SelectRange(anchor_, index, ctrl);
  } else if (ctrl) {
    SetSel(index, !IsSelected(index));
    anchor_ = index;
  } else {
    ClearSelection();
    SetSel(index, true);
    anchor_ = index;
  }
  caret_ = index;
}

void OutputListModel::DragTo(int index) {
  if (Count() == 0) return;
  index = std::clamp(index, 0, Count() - 1);
  if (anchor_ < 0) anchor_ = index;
  SelectRange(anchor_, index, false);
  caret_ = index;
  EnsureVisible(index);
}

void OutputListModel::MoveCaret(OutputCaretMove move, bool shift, bool ctrl) {
  if (Count() == 0) return;
  const int page = std::max(1, VisibleLines() - 1);
  const int from = caret_ < 0 ? 0 : caret_;
  // Each key moves by lines and pages, or to one end (-1 first, 1 last).
  struct Step {
    OutputCaretMove move;
    int lines, pages, end;
  };
  static constexpr Step kSteps[] = {{OutputCaretMove::kUp, -1, 0, 0},    {OutputCaretMove::kDown, 1, 0, 0},
                                    {OutputCaretMove::kPageUp, 0, -1, 0}, {OutputCaretMove::kPageDown, 0, 1, 0},
                                    {OutputCaretMove::kHome, 0, 0, -1},   {OutputCaretMove::kEnd, 0, 0, 1}};
  int to = from;
  for (const Step& s : kSteps)
    if (s.move == move) to = s.end < 0 ? 0 : s.end > 0 ? Count() - 1 : from + s.lines + s.pages * page;
  to = std::clamp(to, 0, Count() - 1);
  caret_ = to;
  if (shift) {
    if (anchor_ < 0) anchor_ = from;
    SelectRange(anchor_, to, ctrl);
  } else if (!ctrl) {
    ClearSelection();
    SetSel(to, true);
    anchor_ = to;
  }
  EnsureVisible(to);
}

void OutputListModel::SpaceAtCaret(bool ctrl) {
  if (caret_ < 0) return;
  if (ctrl) {
    SetSel(caret_, !IsSelected(caret_));
  } else {
    ClearSelection();
    SetSel(caret_, true);
  }
  anchor_ = caret_;
}

void OutputListModel::SelectOnly(int index) {
  if (index < 0 || index >= Count()) return;
  ClearSelection();
  SetSel(index, true);
  caret_ = anchor_ = index;
  EnsureVisible(index);
}

std::string OutputListModel::SelectedText() const {
  std::string text;
  bool first = true;
  for (int i : Selection()) {
    if (!first) text += '\n';
    text += lines_[static_cast<size_t>(i)];
    first = false;
  }
  return text;
}

}  // namespace pm2
