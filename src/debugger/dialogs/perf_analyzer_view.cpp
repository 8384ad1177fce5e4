#include "debugger/dialogs/perf_analyzer_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "toolkit/controls/window_font_qt.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {
const char* const kNoAnalyser = "The debugger driver of this session offers no performance analysis.";
}

PerfAnalyzerView::PerfAnalyzerView(DebugDialogContext ctx, QWidget* parent)
    : QWidget(parent), m_ctx(std::move(ctx)), m_vbar(new QScrollBar(Qt::Vertical, this)) {
  setObjectName("PerformanceAnalyzer");
  m_vbar->setObjectName("AnalyserRows");
  connect(m_vbar, &QScrollBar::valueChanged, this, [this](int top) {
    if (top == m_scroll.top) return;
    m_scroll.top = top;
    update();
  });
  setWindowTitle("Performance Analyzer");
  setFocusPolicy(Qt::StrongFocus);
  m_ownFont = font();
  const WindowFonts defaults;
  for (std::size_t i = 0; i < m_colours.size(); ++i) m_colours[i] = ColourOfRecord(defaults.analyserColours[i]);
  if (DebugInterface* r = m_ctx.R()) {
    m_base = r->cycles;
    if (r->DbgEnum) r->DbgEnum(kDbgEnumPaPrepare, 0, 0);
  }
  Layout();
  Compute();
}

void PerfAnalyzerView::ApplySettings(const WindowFonts& settings) {
  for (std::size_t i = 0; i < m_colours.size(); ++i) m_colours[i] = ColourOfRecord(settings.analyserColours[i]);
  setFont(FontOfEntry(settings.analyser, m_ownFont));
  Layout();
  update();
}

bool PerfAnalyzerView::Available() const {
  DebugInterface* r = m_ctx.R();
  return r && r->analyserRest;
}

double PerfAnalyzerView::ToSeconds(uint64_t cycles) const {
  DebugInterface* r = m_ctx.R();
  uint8_t rec[16] = {};
  std::memcpy(rec, &cycles, 8);
  if (r && r->DbgEnum) r->DbgEnum(kDbgEnumCyclesToSeconds, 0, reinterpret_cast<intptr_t>(rec));
  double s = 0;
  std::memcpy(&s, rec + 8, 8);
  return s;
}

void PerfAnalyzerView::Compute() {
  m_rows.clear();
  DebugInterface* r = m_ctx.R();
  if (!r || !r->analyserRest) return;
  const uint64_t now = (r->analyserFlags & 0x08) ? r->cycles : r->frozenCycles;
  if (r->cycles < m_base && r->DbgEnum) r->DbgEnum(kDbgEnumPaClear, 0, 0);
  auto* rest = static_cast<DbgPaRangeRecord*>(r->analyserRest);
  rest->next = static_cast<DbgPaRangeRecord*>(r->analyserRanges);
  m_rows = PaComputeRows(rest, rest->next, now, m_base);
  if (m_rows.empty() || Selected() >= int(m_rows.size())) m_scroll.selected = 0;
  m_stats = PaStatsText{};
  if ((r->analyserFlags & 0x10) && Selected() < int(m_rows.size()))
    m_stats = PaStatistics(m_rows[std::size_t(Selected())], [this](uint64_t c) { return ToSeconds(c); });
}

void PerfAnalyzerView::Layout() {
  const QFontMetrics fm(font());
  m_rowHeight = fm.height() + 2;
  m_charWidth = std::max(1, fm.averageCharWidth());
  m_scaleHeight = m_rowHeight + 4;
  m_statsHeight = m_rowHeight + 4;
  int widest = 0;
  for (const PaRow& row : m_rows) widest = std::max(widest, fm.horizontalAdvance(QString::fromLocal8Bit(row.name.c_str())));
  m_nameWidth = m_rows.empty() ? 120 : widest + 6;
  const int barWidth = m_vbar->sizeHint().width();
  const int left = m_nameWidth + m_charWidth, right = width() - barWidth - 3 * m_charWidth;
  m_scale = QRect(left, 0, right - left, m_scaleHeight);
  m_vbar->setGeometry(width() - barWidth, m_scaleHeight, barWidth,
                      std::max(0, height() - m_scaleHeight - m_statsHeight));
  ApplyScroll();
}

int PerfAnalyzerView::VisibleRows() const {
  return std::max(1, (height() - m_scaleHeight - m_statsHeight) / std::max(1, m_rowHeight));
}

void PerfAnalyzerView::ApplyScroll() {
  const int rows = int(m_rows.size()), visible = VisibleRows();
  const int maxTop = PaMaxTop(rows, visible);
  // All rows shown: from the first; a selection past the rows goes to it.
  m_scroll.top = std::clamp(m_scroll.top, 0, maxTop);
  if (m_scroll.selected >= visible || Selected() >= rows) m_scroll.selected = 0;
  const QSignalBlocker block(m_vbar);
  m_vbar->setRange(0, std::max(1, maxTop));
  m_vbar->setPageStep(visible);
  m_vbar->setValue(m_scroll.top);
  m_vbar->setEnabled(rows - visible >= 1);
}

QRect PerfAnalyzerView::BarBox(int i) const {
  const int y = m_scaleHeight + (i - m_scroll.top) * m_rowHeight;
  const int inset = m_rowHeight > 8 ? 3 : 0;
  return QRect(m_scale.left() + 1, y + inset, std::max(0, m_scale.width() - 2), m_rowHeight - 2 * inset);
}

int PerfAnalyzerView::BarWidth(int i) const {
  const double ppp = m_scale.width() > 0 ? m_scale.width() * 0.01 : 0.0;
  return PaBarWidth(m_rows[std::size_t(i)].percent, ppp, BarBox(i).width());
}

void PerfAnalyzerView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.save();
  const QColor back = m_colours[kPaBack], text = m_colours[kPaText], bar = m_colours[kPaBar],
               selBack = m_colours[kPaSelectedBack];
  p.fillRect(rect(), back);
  if (!Available()) {
    p.setPen(SysQColor(SysColor::GrayText));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, kNoAnalyser);
    p.restore();
    return;
  }
  // The scale strip.
  p.fillRect(QRect(0, 0, width(), m_scaleHeight), QColor(192, 192, 192));
  p.setPen(Qt::black);
  p.drawLine(0, m_scaleHeight - 2, width(), m_scaleHeight - 2);
  p.setPen(Qt::white);
  p.drawLine(0, m_scaleHeight - 1, width(), m_scaleHeight - 1);
  if (m_scale.width() > 0) {
    static const char* const kLabels[] = {"0%", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100%"};
    p.setPen(Qt::black);
    for (int t = 0; t <= 10; ++t) {
      const int x = m_scale.left() + m_scale.width() * t / 10;
      p.drawLine(x, m_scaleHeight - 6, x, m_scaleHeight - 2);
      const QString label = kLabels[t];
      p.drawText(x - label.size() * m_charWidth / 2, m_rowHeight - 2, label);
    }
  }
  const int statsTop = height() - m_statsHeight;
  for (int i = m_scroll.top; i < int(m_rows.size()); ++i) {
    const int y = m_scaleHeight + (i - m_scroll.top) * m_rowHeight;
    if (y >= statsTop) break;
    const QRect name(0, y, m_nameWidth, m_rowHeight);
    const bool sel = i == Selected();
    p.fillRect(name, sel ? selBack : back);
    p.setPen(sel ? Qt::white : text);
    p.drawText(name.adjusted(0, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromLocal8Bit(m_rows[std::size_t(i)].name.c_str()));
    if (m_scale.width() > 0) {
      const QRect box = BarBox(i);
      const int filled = BarWidth(i);
      p.fillRect(QRect(box.left(), box.top(), filled, box.height()), bar);
      p.fillRect(QRect(box.left() + filled, box.top(), box.width() - filled, box.height()), back);
    }
  }
  // The statistics line of the selected range.
  p.fillRect(QRect(0, statsTop, width(), m_statsHeight), SysQColor(SysColor::BtnFace));
  p.setPen(SysQColor(SysColor::BtnText));
  const QString stats = QString("%1 %  count: %2  min: %3  max: %4  avg: %5  total: %6")
                            .arg(QString::fromStdString(m_stats.percent), QString::fromStdString(m_stats.count),
                                 QString::fromStdString(m_stats.minimum), QString::fromStdString(m_stats.maximum),
                                 QString::fromStdString(m_stats.average), QString::fromStdString(m_stats.total));
  p.drawText(QRect(4, statsTop, width() - 8, m_statsHeight), Qt::AlignVCenter | Qt::AlignLeft, stats);
  p.restore();
}

void PerfAnalyzerView::resizeEvent(QResizeEvent*) { Layout(); }

void PerfAnalyzerView::Refresh() {
  Compute();
  Layout();
  update();
}

void PerfAnalyzerView::ResetCounts() {
  DebugInterface* r = m_ctx.R();
  if (!r) return;
  m_base = r->cycles;
  r->frozenCycles = r->cycles;
  if (r->DbgEnum) r->DbgEnum(kDbgEnumPaClear, 0, 0);
  Refresh();
}

void PerfAnalyzerView::RestartTimeBase() {
  DebugInterface* r = m_ctx.R();
  if (!r) return;
  m_base = r->cycles;
  r->frozenCycles = r->cycles;
  Refresh();
}

void PerfAnalyzerView::ToggleActive() {
  DebugInterface* r = m_ctx.R();
  if (!r) return;
  r->analyserFlags ^= 0x08;
  const bool active = (r->analyserFlags & 0x08) != 0;
  r->frozenCycles = r->cycles;
  int n = 0;
  for (auto* range = static_cast<DbgPaRangeRecord*>(r->analyserRanges); range && n < kPaMaxRanges;
       range = range->next, ++n) {
    if (r->DbgAddressAttr) {
      auto* attr = reinterpret_cast<uint16_t*>(r->DbgAddressAttr(reinterpret_cast<void*>(uintptr_t(range->start))));
      if (attr) *attr = active ? uint16_t(*attr | 0x80) : uint16_t(*attr & ~0x80);
    }
    range->active = uint8_t((range->active & ~1) | (active ? 1 : 0));
  }
  if (r->word16C != 0xFFFFFFFFu && r->DbgAddressAttr) {
    auto* attr = reinterpret_cast<uint16_t*>(r->DbgAddressAttr(reinterpret_cast<void*>(uintptr_t(r->word16C))));
    if (attr) *attr = uint16_t(*attr & ~0x80);
    r->word16C = 0xFFFFFFFFu;
  }
  r->word158[0] = 0xFFFFFFFFu;
  Refresh();
}

void PerfAnalyzerView::ToggleStatistics() {
  if (DebugInterface* r = m_ctx.R()) r->analyserFlags ^= 0x10;
  Refresh();
}

void PerfAnalyzerView::mousePressEvent(QMouseEvent* e) {
  const int y = int(e->position().y());
  if (e->button() != Qt::LeftButton || y < m_scaleHeight) return;
  const int shown = (y - m_scaleHeight) / m_rowHeight;
  if (y < height() - m_statsHeight && shown < VisibleRows() && m_scroll.top + shown < int(m_rows.size())) {
    m_scroll.selected = shown;
    Refresh();
  }
}

void PerfAnalyzerView::keyPressEvent(QKeyEvent* e) {
  static const struct {
    int key;
    PaKey move;
  } kKeys[] = {{Qt::Key_Up, PaKey::Up},         {Qt::Key_Left, PaKey::Up},         {Qt::Key_Down, PaKey::Down},
               {Qt::Key_Right, PaKey::Down},    {Qt::Key_PageUp, PaKey::PageUp},   {Qt::Key_Home, PaKey::PageUp},
               {Qt::Key_PageDown, PaKey::PageDown}, {Qt::Key_End, PaKey::PageDown}};
  for (const auto& k : kKeys)
    if (k.key == e->key()) {
      m_scroll = PaKeyMove(m_scroll, k.move, int(m_rows.size()), VisibleRows());
      Refresh();
      return;
    }
  QWidget::keyPressEvent(e);
}

void PerfAnalyzerView::wheelEvent(QWheelEvent* e) {
  m_vbar->setValue(m_vbar->value() + (e->angleDelta().y() < 0 ? 1 : -1));
}

void PerfAnalyzerView::contextMenuEvent(QContextMenuEvent* e) {
  DebugInterface* r = m_ctx.R();
  QMenu menu(this);
  QAction* reset = menu.addAction("Reset");
  QAction* active = menu.addAction("Activate/Deactivate");
  active->setCheckable(true);
  active->setChecked(r && (r->analyserFlags & 0x08));
  QAction* times = menu.addAction("Show Times");
  times->setCheckable(true);
  times->setChecked(r && (r->analyserFlags & 0x10));
  for (QAction* a : {reset, active, times}) a->setEnabled(Available());
  QAction* chosen = menu.exec(e->globalPos());
  if (chosen == reset) ResetCounts();
  if (chosen == active) ToggleActive();
  if (chosen == times) ToggleStatistics();
}

}  // namespace pm2
