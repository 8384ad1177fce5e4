#include "toolkit/customize/rect_tracker.h"

#include <algorithm>

#include "toolkit/frames/drag_overlay.h"

namespace pm2 {

SECToolBarRectTracker::SECToolBarRectTracker() = default;
SECToolBarRectTracker::~SECToolBarRectTracker() = default;

void SECToolBarRectTracker::BeginMove(const QRect& screenRect, QPoint screenGrab) {
  m_mode = Mode::Move;
  m_start = m_rect = screenRect;
  m_offset = screenGrab - screenRect.topLeft();
  Show();
}

bool SECToolBarRectTracker::BeginResize(const QRect& screenRect, int minWidth) {
  if (m_mode != Mode::None) return false;
  m_mode = Mode::Resize;
  m_start = m_rect = screenRect;
  m_minWidth = std::max(1, minWidth);
  Show();
  return true;
}

void SECToolBarRectTracker::MoveTo(QPoint p) {
  switch (m_mode) {
    case Mode::None: return;
    case Mode::Move: m_rect.moveTopLeft(p - m_offset); break;
    case Mode::Resize: m_rect.setRight(std::max(p.x(), m_rect.left() + m_minWidth - 1)); break;
  }
  Show();
}

bool SECToolBarRectTracker::End(QRect* rect) {
  const bool changed = m_mode != Mode::None && m_rect != m_start;
  if (rect) *rect = m_rect;
  m_mode = Mode::None;
  if (m_overlay) m_overlay->hide();
  return changed;
}

void SECToolBarRectTracker::Cancel() {
  m_rect = m_start;
  End(nullptr);
}

void SECToolBarRectTracker::Show() {
  if (!m_overlay) m_overlay = std::make_unique<DragOverlay>();
  // The frame is drawn one pixel inside the rectangle.
  m_overlay->ShowRect(m_rect, DragOverlay::Look::Float);
}

}  // namespace pm2
