#include "toolkit/frames/status_bar.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/controls/sys_color_change.h"
#include "toolkit/frames/status_bar_paint.h"

namespace pm2 {

namespace {

StatusBarMetrics ClassicMetrics() {
  StatusBarMetrics m;
  m.cxBorder = GetSystemMetric(SysMetric::CxBorder);
  m.cyBorder = GetSystemMetric(SysMetric::CyBorder);
  m.cxVScroll = GetSystemMetric(SysMetric::CxVScroll);
  return m;
}

// A window whose minimum and maximum sizes agree has no sizing border.
bool IsResizable(const QWidget* w) { return w->minimumSize() != w->maximumSize(); }

}  // namespace

SECStatusBar::SECStatusBar(QWidget* parent) : QWidget(parent), m_model(this, ClassicMetrics()) {
  setFont(DefaultGuiFont());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setMouseTracking(true);
  m_sizeGripStyle = !parent || IsResizable(parent->window());
  Relayout();
}

SECStatusBar::~SECStatusBar() = default;

bool SECStatusBar::GripShown() const {
  if (!m_sizeGripStyle) return false;
  const QWidget* top = window();
  return !(top->isMaximized() || top->isFullScreen());
}

bool SECStatusBar::SetIndicators(const CommandId* ids, int count, const ResourceTables& strings) {
  QtTextMeasurer measurer(font());
  const QScreen* s = screen();
  const int screenWidth = s ? s->geometry().width() : 1024;
  m_model.SetWindow({width(), height()}, GripShown());
  const bool ok = m_model.SetIndicators(ids, count, strings, measurer, screenWidth);
  PlaceProgress();
  update();
  return ok;
}

QRect SECStatusBar::GetItemRect(int index) const { return ToQRect(m_model.GetItemRect(index)); }

void SECStatusBar::SetMinHeight(int height) {
  m_model.SetMinHeight(height);
  updateGeometry();
}

SECProgressCtrl* SECStatusBar::ShowProgress(int index) {
  if (index < 0 || index >= m_model.GetCount()) return nullptr;
  if (!m_progress) {
    m_progress = new SECProgressCtrl(this);
    m_progress->SetBarStyle(progress::kDefault | progress::kPercent);
  }
  m_progressPane = index;
  PlaceProgress();
  m_progress->show();
  return m_progress;
}

void SECStatusBar::HideProgress() {
  m_progressPane = -1;
  if (m_progress) m_progress->hide();
}

void SECStatusBar::PlaceProgress() {
  if (!m_progress || m_progressPane < 0) return;
  if (m_progressPane >= m_model.GetCount()) {
    HideProgress();
    return;
  }
  // Inside the pane's one-pixel border.
  m_progress->setGeometry(GetItemRect(m_progressPane).adjusted(1, 1, -1, -1));
}

void SECStatusBar::Relayout() {
  m_model.SetWindow({width(), height()}, GripShown());
  m_model.UpdateAllPanes(true, false);
  PlaceProgress();
  update();
}

QSize SECStatusBar::sizeHint() const {
  // No internal leading is taken off: the accents and descenders of the
  // fonts used here fill the whole line height.
  const QFontMetrics fm(font());
  const Size fixed = m_model.CalcFixedLayout(true, fm.height(), 0);
  int width = 0;
  for (int i = 0; i < m_model.GetCount(); ++i) width += m_model.Pane(i).cxText + kStatusPanePadding + m_model.Metrics().borders.gap;
  if (m_sizeGripStyle) width += m_model.Metrics().cxVScroll;
  return {std::max(width, 100), fixed.cy};
}

QSize SECStatusBar::minimumSizeHint() const { return {0, sizeHint().height()}; }

void SECStatusBar::paintEvent(QPaintEvent*) {
  // Texts set without update show now, once.
  m_painting = true;
  m_model.UpdateAllPanes(false, true);
  m_painting = false;
  QPainter p(this);
  PaintStatusBar(p, m_model, rect(), font());
  for (int i = 0; i < m_model.GetCount(); ++i) {
    if (!(m_model.Pane(i).shownStyle & sbps::kOwnerDraw)) continue;
    p.save();
    DrawItem(p, i, GetItemRect(i).adjusted(1, 1, -1, -1));
    p.restore();
  }
}

void SECStatusBar::resizeEvent(QResizeEvent*) { Relayout(); }

void SECStatusBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && m_model.GripRect().Contains({e->position().toPoint().x(), e->position().toPoint().y()})) {
    if (QWindow* w = window()->windowHandle()) w->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
    e->accept();
    return;
  }
  QWidget::mousePressEvent(e);
}

void SECStatusBar::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  setCursor(m_model.GripRect().Contains({p.x(), p.y()}) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
  QWidget::mouseMoveEvent(e);
}

bool SECStatusBar::event(QEvent* e) {
  if (IsSysColorChange(e)) {
    ReloadSysColorRecord();
    update();
  }
  return QWidget::event(e);
}

void SECStatusBar::TextSent(int index) {
  if (!m_painting) update(GetItemRect(index));
}

void SECStatusBar::PartsSet(const std::vector<int>&) {
  PlaceProgress();
  if (!m_painting) update();
}

}  // namespace pm2
