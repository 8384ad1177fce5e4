#include "toolkit/frames/status_bar_model.h"

#include <algorithm>

#include "toolkit/core/resources.h"
#include "toolkit/models/list_host.h"

namespace pm2 {

SECStatusBarModel::SECStatusBarModel(StatusBarSink* sink, StatusBarMetrics metrics)
    : m_sink(sink), m_metrics(metrics) {}

StatusPane* SECStatusBarModel::At(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  return &m_panes[std::size_t(index)];
}

bool SECStatusBarModel::SetIndicators(const CommandId* ids, int count, const ResourceTables& strings,
                                      TextMeasurer& measurer, int screenWidth) {
  m_panes.assign(std::size_t(std::max(0, count)), StatusPane{});
  if (ids == nullptr) {
    UpdateAllPanes(true, true);
    return true;
  }
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    StatusPane& pane = m_panes[std::size_t(i)];
    pane.id = ids[i];
    pane.needsSend = true;
    if (pane.id != 0) {
      const std::string& text = strings.String(pane.id);
      pane.cxText = measurer.Measure(text, FontChoice{}, 0, true).cx;
      ok = SetPaneText(i, text, false);
    } else {
      pane.cxText = screenWidth / 4;
      if (i == 0) pane.style |= sbps::kNoBorders | sbps::kStretch;
    }
  }
  UpdateAllPanes(true, true);
  return ok;
}

int SECStatusBarModel::CommandToIndex(CommandId id) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_panes[std::size_t(i)].id == id) return i;
  return -1;
}

std::uint32_t SECStatusBarModel::GetPaneStyle(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[std::size_t(index)].style : 0;
}

void SECStatusBarModel::SetPaneStyle(int index, std::uint32_t style) {
  StatusPane* pane = At(index);
  if (!pane || pane->style == style) return;
  const bool stretchChanged = ((pane->style ^ style) & sbps::kStretch) != 0;
  pane->style = style;
  if (stretchChanged) UpdateAllPanes(true, false);
  pane->needsSend = true;
  const std::string text = pane->text;
  SetPaneText(index, text, true);
}

bool SECStatusBarModel::SetPaneText(int index, std::string_view text, bool update) {
  StatusPane* pane = At(index);
  if (!pane) return false;
  if (!pane->needsSend && pane->text == text) return true;
  pane->text.assign(text);
  if (!update) {
    pane->needsSend = true;
    return true;
  }
  Send(index);
  return true;
}

const std::string& SECStatusBarModel::GetPaneText(int index) const {
  static const std::string empty;
  return index >= 0 && index < GetCount() ? m_panes[std::size_t(index)].text : empty;
}

void SECStatusBarModel::Send(int index) {
  StatusPane& pane = m_panes[std::size_t(index)];
  pane.needsSend = false;
  pane.shown = (pane.style & sbps::kDisabled) ? std::string() : pane.text;
  pane.shownStyle = pane.style & sbps::kDrawMask;
  if (m_sink) m_sink->TextSent(index);
}

int SECStatusBarModel::SetWindowText(std::string_view text) {
  const int index = CommandToIndex(0);
  if (index < 0) return -1;
  return SetPaneText(index, text, true) ? 0 : -1;
}

std::string SECStatusBarModel::GetWindowText() const {
  const int index = CommandToIndex(0);
  return index < 0 ? std::string() : m_panes[std::size_t(index)].text;
}

int SECStatusBarModel::GetWindowTextLength() const { return int(GetWindowText().size()); }

void SECStatusBarModel::SetWindow(Size size, bool sizeGrip) {
  m_window = size;
  m_sizeGrip = sizeGrip;
}

Rect SECStatusBarModel::InsideRect() const {
  Rect r{0, 0, m_window.cx, m_window.cy};
  r.left += m_metrics.insetLeft;
  r.top += m_metrics.insetTop;
  r.right -= m_metrics.insetRight;
  r.bottom -= m_metrics.insetBottom;
  if (m_sizeGrip) r.right -= m_metrics.cxBorder * 2 + m_metrics.borders.horizontal + m_metrics.cxVScroll;
  return r;
}

Rect SECStatusBarModel::GripRect() const {
  if (!m_sizeGrip) return {};
  // A square as wide as a scroll bar, lower when the bar is lower.
  const int side = std::max(0, std::min(m_metrics.cxVScroll, m_window.cy - m_metrics.insetTop));
  return {m_window.cx - side, m_window.cy - side, m_window.cx, m_window.cy};
}

void SECStatusBarModel::UpdateAllPanes(bool rects, bool texts) {
  if (rects) {
    const Rect inside = InsideRect();
    const StatusBorders& b = m_metrics.borders;
    int extra = inside.Width() + b.gap;
    int stretchLeft = 0;
    for (const StatusPane& p : m_panes) {
      extra -= p.cxText + kStatusPanePadding + b.gap;
      if (p.style & sbps::kStretch) ++stretchLeft;
    }
    std::vector<int> rights;
    rights.reserve(m_panes.size());
    int right = inside.left;
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
      StatusPane& p = m_panes[i];
      const int left = right + (i == 0 ? b.horizontal : b.gap);
      right = left + kStatusPanePadding + p.cxText;
      if ((p.style & sbps::kStretch) && extra > 0) {
        const int share = extra / stretchLeft;
        right += share;
        extra -= share;
      }
      if (p.style & sbps::kStretch) --stretchLeft;
      p.rect = {left, inside.top + b.vertical, right, inside.bottom - b.vertical};
      rights.push_back(right);
    }
    if (m_sink) m_sink->PartsSet(rights);
  }
  if (texts) {
    for (int i = 0; i < GetCount(); ++i)
      if (m_panes[std::size_t(i)].needsSend) Send(i);
  }
}

Rect SECStatusBarModel::GetItemRect(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[std::size_t(index)].rect : Rect{};
}

Size SECStatusBarModel::CalcFixedLayout(bool horizontal, int fontHeight, int internalLeading) const {
  if (!horizontal) return {};
  const int insets = m_metrics.insetTop + m_metrics.insetBottom;
  const int height = (m_metrics.cyBorder + m_metrics.borders.vertical) * 2 + insets + fontHeight - internalLeading - 1;
  return {32767, std::max(height, m_minHeight)};
}

void SECStatusBarModel::UpdateCmdUI(const CommandRouter& router, bool disableIfNoHandler) {
  for (int i = 0; i < GetCount(); ++i) {
    const CommandId id = m_panes[std::size_t(i)].id;
    if (id == 0) continue;
    const CommandState state = router.QueryState(id);
    if (state.enableSet || disableIfNoHandler) {
      const std::uint32_t style = GetPaneStyle(i) & ~sbps::kDisabled;
      SetPaneStyle(i, state.enabled ? style : style | sbps::kDisabled);
    }
    if (state.handled) {
      const std::uint32_t style = GetPaneStyle(i) & ~sbps::kPopout;
      SetPaneStyle(i, state.check ? style | sbps::kPopout : style);
    }
    if (state.textSet) SetPaneText(i, state.text, true);
  }
}

}  // namespace pm2
