#include "toolkit/customize/check_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {
namespace {
constexpr int kBorder = 2;  // the sunken client edge
constexpr int kBox = 13;    // a check box's side
}  // namespace

SECCheckListBox::SECCheckListBox(bool withChecks, QWidget* parent)
    : QWidget(parent), m_checks(withChecks), m_scroll(new QScrollBar(Qt::Vertical, this)) {
  m_scroll->hide();
  QObject::connect(m_scroll, &QScrollBar::valueChanged, this, [this] { update(); });
  setFont(DefaultGuiFont());
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SECCheckListBox::SetItems(std::vector<Item> items, int selected) {
  m_items = std::move(items);
  m_selected = selected >= 0 && selected < int(m_items.size()) ? selected : -1;
  UpdateScroll();
  EnsureVisible(m_selected);
  update();
}

int SECCheckListBox::VisibleRows() const { return std::max(1, (height() - 2 * kBorder) / RowHeight()); }

void SECCheckListBox::UpdateScroll() {
  // A list longer than the box scrolls by rows.
  const int extra = int(m_items.size()) - VisibleRows();
  m_scroll->setRange(0, std::max(0, extra));
  m_scroll->setPageStep(VisibleRows());
  m_scroll->setVisible(extra > 0);
  const int w = m_scroll->sizeHint().width();
  m_scroll->setGeometry(width() - kBorder - w, kBorder, w, height() - 2 * kBorder);
}

void SECCheckListBox::EnsureVisible(int row) {
  if (row < 0) return;
  if (row < m_scroll->value()) m_scroll->setValue(row);
  else if (row >= m_scroll->value() + VisibleRows()) m_scroll->setValue(row - VisibleRows() + 1);
}

void SECCheckListBox::resizeEvent(QResizeEvent*) {
  UpdateScroll();
  EnsureVisible(m_selected);
}

void SECCheckListBox::wheelEvent(QWheelEvent* e) {
  m_scroll->setValue(m_scroll->value() - e->angleDelta().y() / 40);
}

void SECCheckListBox::SetSelected(int row) {
  if (row < -1 || row >= int(m_items.size()) || row == m_selected) return;
  m_selected = row;
  EnsureVisible(row);
  update();
  if (onSelected) onSelected(row);
}

int SECCheckListBox::RowHeight() const { return std::max(fontMetrics().height() + 2, kBox + 3); }

QRect SECCheckListBox::RowRect(int row) const {
  const int scrollCx = m_scroll->isVisible() ? m_scroll->width() : 0;
  return QRect(kBorder, kBorder + (row - m_scroll->value()) * RowHeight(), width() - 2 * kBorder - scrollCx,
               RowHeight());
}

QRect SECCheckListBox::CheckRect(int row) const {
  const QRect r = RowRect(row);
  return QRect(r.left() + 2, r.top() + (r.height() - kBox) / 2, kBox, kBox);
}

int SECCheckListBox::RowAt(QPoint p) const {
  if (p.y() < kBorder) return -1;
  if (m_scroll->isVisible() && p.x() >= m_scroll->x()) return -1;
  const int row = (p.y() - kBorder) / RowHeight() + m_scroll->value();
  return row < int(m_items.size()) ? row : -1;
}

void SECCheckListBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::Window));
  // Sunken client edge.
  p.setPen(SysQColor(SysColor::BtnShadow));
  p.drawLine(0, 0, width() - 1, 0);
  p.drawLine(0, 0, 0, height() - 1);
  p.setPen(SysQColor(SysColor::DkShadow3D));
  p.drawLine(1, 1, width() - 2, 1);
  p.drawLine(1, 1, 1, height() - 2);
  p.setPen(SysQColor(SysColor::BtnHighlight));
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
  p.drawLine(width() - 1, 0, width() - 1, height() - 1);
  p.setPen(SysQColor(SysColor::Light3D));
  p.drawLine(1, height() - 2, width() - 2, height() - 2);
  p.drawLine(width() - 2, 1, width() - 2, height() - 2);
  p.setClipRect(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder));
  for (int i = m_scroll->value(); i < int(m_items.size()); ++i) {
    const QRect r = RowRect(i);
    if (r.top() >= height()) break;
    int textLeft = r.left() + 2;
    if (m_checks) {
      const QRect box = CheckRect(i);
      p.fillRect(box, SysQColor(SysColor::Window));
      p.setPen(SysQColor(SysColor::BtnShadow));
      p.drawLine(box.topLeft(), box.topRight());
      p.drawLine(box.topLeft(), box.bottomLeft());
      p.setPen(SysQColor(SysColor::BtnHighlight));
      p.drawLine(box.bottomLeft(), box.bottomRight());
      p.drawLine(box.topRight(), box.bottomRight());
      p.setPen(SysQColor(SysColor::DkShadow3D));
      p.drawLine(box.left() + 1, box.top() + 1, box.right() - 1, box.top() + 1);
      p.drawLine(box.left() + 1, box.top() + 1, box.left() + 1, box.bottom() - 1);
      if (m_items[std::size_t(i)].checked) {
        // The classic tick: a 7-pixel hook, three pixels thick.
        p.setPen(SysQColor(SysColor::WindowText));
        const int x = box.left() + 3, y = box.top() + 5;
        for (int k = 0; k < 3; ++k) {
          p.drawLine(x, y + k, x + 2, y + 2 + k);
          p.drawLine(x + 2, y + 2 + k, x + 6, y - 2 + k);
        }
      }
      textLeft = box.right() + 5;
    }
    const QRect text(textLeft, r.top(), r.right() - textLeft, r.height());
    const bool sel = i == m_selected;
    const QRect back = p.fontMetrics().boundingRect(ToQString(m_items[std::size_t(i)].text)).adjusted(-2, 0, 2, 0);
    const QRect hi(text.left() - 2, r.top(), std::min(back.width(), text.width() + 2), r.height());
    if (sel) p.fillRect(hi, SysQColor(hasFocus() ? SysColor::Highlight : SysColor::BtnFace));
    p.setPen(SysQColor(sel && hasFocus() ? SysColor::HighlightText : SysColor::WindowText));
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, ToQString(m_items[std::size_t(i)].text));
  }
}

void SECCheckListBox::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  const int row = RowAt(pt);
  if (row < 0) return;
  SetSelected(row);
  if (m_checks && CheckRect(row).adjusted(-1, -1, 1, 1).contains(pt) && onCheckClicked) onCheckClicked(row);
}

void SECCheckListBox::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up: SetSelected(std::max(0, m_selected - 1)); return;
    case Qt::Key_Down: SetSelected(std::min(int(m_items.size()) - 1, m_selected + 1)); return;
    case Qt::Key_Space:
      if (m_checks && m_selected >= 0 && onCheckClicked) onCheckClicked(m_selected);
      return;
    default: QWidget::keyPressEvent(e);
  }
}

}  // namespace pm2
