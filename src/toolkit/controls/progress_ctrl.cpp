#include "toolkit/controls/progress_ctrl.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <algorithm>
#include <cstdint>

#include "toolkit/controls/mem_dc.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/sys_color_change.h"

namespace pm2 {

SECProgressCtrl::SECProgressCtrl(QWidget* parent) : QWidget(parent) {
  m_timer.callOnTimeout([this] {
    StepIt(true);
    if (m_nPos >= m_nUpper) m_timer.stop();
  });
}

void SECProgressCtrl::SetBarStyle(std::uint32_t style) {
  m_dwStyle = style;
  update();
}

void SECProgressCtrl::SetRange(int lower, int upper) {
  m_nLower = lower;
  m_nUpper = upper;
  update();
}

void SECProgressCtrl::Changed(bool pump) {
  update();
  if (pump && isVisible()) repaint();
}

int SECProgressCtrl::SetPos(int pos, bool pump) {
  const int old = m_nPos;
  m_nPos = pos;
  Changed(pump);
  return old;
}

int SECProgressCtrl::OffsetPos(int delta, bool pump) {
  // Stepping on at the top of the int range stays there instead of wrapping
  // to an empty bar.
  const std::int64_t sum = std::int64_t(m_nPos) + delta;
  return SetPos(int(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX)), pump);
}

int SECProgressCtrl::SetStep(int step) {
  const int old = m_nStep;
  m_nStep = step;
  return old;
}

int SECProgressCtrl::StepIt(bool pump) { return OffsetPos(m_nStep, pump); }

void SECProgressCtrl::Reset() { SetPos(m_nLower, true); }

void SECProgressCtrl::SetColors(Color bar, Color background) {
  m_clrBar = bar;
  m_clrBk = background;
  update();
}

bool SECProgressCtrl::SetTimerSpeed(int periodMs) {
  if (m_nPos >= m_nUpper) {
    m_timer.stop();
    return false;
  }
  if (periodMs > 0) m_timer.start(periodMs);
  else m_timer.stop();
  return true;
}

double SECProgressCtrl::GetPercent() const {
  // In 64 bits: a range over the whole int span would overflow in int.
  const std::int64_t clamped = std::clamp(m_nPos, std::min(m_nLower, m_nUpper), std::max(m_nLower, m_nUpper));
  const std::int64_t span = m_nUpper == m_nLower ? 1 : std::int64_t(m_nUpper) - m_nLower;
  return double(clamped - m_nLower) / double(span) * 100.0;
}

void SECProgressCtrl::CalcBarRects(double percent, Rect* filled, Rect* empty) const {
  const Rect c{0, 0, width(), height()};
  const double f = percent * 0.01;
  if (m_dwStyle & progress::kVertical) {
    const int extent = int(c.Height() * f);
    if (m_dwStyle & progress::kFromTop) {
      *filled = {c.left, c.top, c.right, c.top + extent};
      *empty = {c.left, c.top + extent, c.right, c.bottom};
    } else {
      *filled = {c.left, c.bottom - extent, c.right, c.bottom};
      *empty = {c.left, c.top, c.right, c.bottom - extent};
    }
  } else {
    const int extent = int(c.Width() * f);
    if (m_dwStyle & progress::kFromRight) {
      *filled = {c.right - extent, c.top, c.right, c.bottom};
      *empty = {c.left, c.top, c.right - extent, c.bottom};
    } else {
      *filled = {c.left, c.top, c.left + extent, c.bottom};
      *empty = {c.left + extent, c.top, c.right, c.bottom};
    }
  }
}

QString SECProgressCtrl::BarText(double percent) const {
  if (m_dwStyle & progress::kPercent) return QString("%1 %").arg(std::min(100, int(percent + 0.5)));
  if (m_dwStyle & progress::kCaption) return m_strCaption;
  return {};
}

void SECProgressCtrl::showEvent(QShowEvent*) { m_bVisible = true; }
void SECProgressCtrl::hideEvent(QHideEvent*) { m_bVisible = false; }

void SECProgressCtrl::paintEvent(QPaintEvent*) {
  if (!m_bVisible) return;
  QPainter target(this);
  if (m_dwStyle & progress::kNative) {
    QStyleOptionProgressBar opt;
    opt.initFrom(this);
    opt.minimum = m_nLower;
    opt.maximum = m_nUpper;
    opt.progress = std::clamp(m_nPos, m_nLower, std::max(m_nLower, m_nUpper));
    style()->drawControl(QStyle::CE_ProgressBar, &opt, &target, this);
    return;
  }
  const double p = GetPercent();
  Rect filled, empty;
  CalcBarRects(p, &filled, &empty);
  SECMemDC dc(&target, rect());
  dc.fillRect(ToQRect(empty), ToQColor(m_clrBk));
  dc.fillRect(ToQRect(filled), ToQColor(m_clrBar));
  QString text = BarText(p);
  if (text.isEmpty()) return;
  FormatText(text);
  // One line, as a caption with a line feed must not grow out of the bar.
  const int align = Qt::TextSingleLine | Qt::AlignVCenter | ((m_dwStyle & progress::kTextLeft)    ? Qt::AlignLeft
                                        : (m_dwStyle & progress::kTextRight) ? Qt::AlignRight
                                                                             : Qt::AlignHCenter);
  dc.save();
  dc.setClipRect(ToQRect(filled));
  dc.setPen(ToQColor(m_clrBk));
  dc.drawText(rect(), align, text);
  dc.setClipRect(ToQRect(empty));
  dc.setPen(ToQColor(m_clrBar));
  dc.drawText(rect(), align, text);
  dc.restore();
}

void SECProgressCtrl::OnSysColorChange() {
  ReloadSysColorRecord();
  update();
}

// Qt 6 passes the application-wide change to event() only.
bool SECProgressCtrl::event(QEvent* e) {
  if (IsSysColorChange(e)) OnSysColorChange();
  return QWidget::event(e);
}

}  // namespace pm2
