#include "debugger/dialogs/breakpoints_check_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <algorithm>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

BpCheckList::BpCheckList(QWidget* parent) : QAbstractScrollArea(parent) {
  QFont bold = font();
  bold.setWeight(QFont::Bold);
  setFont(bold);
  setFocusPolicy(Qt::StrongFocus);
  UpdateBars();
}

int BpCheckList::LineHeight() const { return QFontMetrics(font()).height() + 2; }

QRect BpCheckList::LineRect(int index) const {
  const int h = LineHeight();
  return QRect(-horizontalScrollBar()->value(), index * h - verticalScrollBar()->value() * h, kExtent, h);
}

QRect BpCheckList::BoxRect(int index) const {
  const QRect line = LineRect(index);
  const int s = std::min(13, line.height() - 2);
  return QRect(line.left() + 2, line.top() + (line.height() - s) / 2, s, s);
}

int BpCheckList::RowAt(const QPoint& p) const {
  const int row = p.y() / LineHeight() + verticalScrollBar()->value();
  return row >= 0 && row < Count() ? row : -1;
}

void BpCheckList::UpdateBars() {
  const int rows = std::max(1, viewport()->height() / LineHeight());
  verticalScrollBar()->setRange(0, std::max(0, Count() - rows));
  verticalScrollBar()->setPageStep(rows);
  horizontalScrollBar()->setRange(0, std::max(0, kExtent - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  viewport()->update();
}

void BpCheckList::Clear() {
  m_lines.clear();
  m_selected = -1;
  UpdateBars();
}

void BpCheckList::Insert(int at, const Line& line) {
  if (at < 0 || at > Count()) at = Count();
  m_lines.insert(m_lines.begin() + at, line);
  if (m_selected >= at) ++m_selected;
  UpdateBars();
}

void BpCheckList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  m_lines.erase(m_lines.begin() + index);
  if (m_selected == index) m_selected = -1;
  else if (m_selected > index) --m_selected;
  UpdateBars();
}

void BpCheckList::SetChecked(int index, bool on) {
  if (index < 0 || index >= Count()) return;
  m_lines[std::size_t(index)].checked = on;
  viewport()->update();
}

void BpCheckList::Select(int index) {
  m_selected = index >= 0 && index < Count() ? index : -1;
  viewport()->update();
}

void BpCheckList::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.save();
  p.fillRect(viewport()->rect(), SysQColor(SysColor::Window));
  const QFontMetrics fm(font());
  for (int i = verticalScrollBar()->value(); i < Count(); ++i) {
    const QRect r = LineRect(i);
    if (r.top() > viewport()->height()) break;
    const bool sel = i == m_selected;
    const QRect box = BoxRect(i);
    QRect textRect(box.right() + 4, r.top(), r.width() - box.width() - 6, r.height());
    if (sel) p.fillRect(textRect, SysQColor(SysColor::Highlight));
    QStyleOptionButton opt;
    opt.rect = box;
    opt.state = QStyle::State_Enabled | (m_lines[std::size_t(i)].checked ? QStyle::State_On : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, this);
    p.setPen(sel ? SysQColor(SysColor::HighlightText) : SysQColor(SysColor::WindowText));
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, QString::fromLocal8Bit(m_lines[std::size_t(i)].text.c_str()));
  }
  p.restore();
}

void BpCheckList::mousePressEvent(QMouseEvent* e) {
  const int row = RowAt(e->position().toPoint());
  if (row < 0) return;
  if (BoxRect(row).adjusted(-2, -2, 2, 2).contains(e->position().toPoint()))
    m_lines[std::size_t(row)].checked = !m_lines[std::size_t(row)].checked;
  Select(row);
  if (selectionChanged) selectionChanged();
}

void BpCheckList::mouseDoubleClickEvent(QMouseEvent* e) {
  const int row = RowAt(e->position().toPoint());
  if (row >= 0 && doubleClicked) doubleClicked(row);
}

void BpCheckList::keyPressEvent(QKeyEvent* e) {
  int row = m_selected;
  switch (e->key()) {
    case Qt::Key_Up: row = std::max(0, row - 1); break;
    case Qt::Key_Down: row = std::min(Count() - 1, row + 1); break;
    case Qt::Key_Space:
      if (row >= 0) m_lines[std::size_t(row)].checked = !m_lines[std::size_t(row)].checked;
      break;
    default:
      return QAbstractScrollArea::keyPressEvent(e);
  }
  if (row < 0) return;
  Select(row);
  if (selectionChanged) selectionChanged();
}

void BpCheckList::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateBars();
}

}  // namespace pm2
