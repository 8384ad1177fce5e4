// The performance analyser: for each address range the driver measures,
// the share of the elapsed target time as a bar on a percent scale, the
// time outside all ranges first, and the statistics of the selected range
// below. With a driver that measures nothing it says so.
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <array>
#include <vector>

#include "debugger/dialogs/dialog_context.h"
#include "debugger/model/perf_analyzer_scroll.h"
#include "debugger/model/perf_analyzer_stats.h"
#include "toolkit/core/window_fonts.h"

class QLabel;
class QScrollBar;

namespace pm2 {

class PerfAnalyzerView : public QWidget {
 public:
  PerfAnalyzerView(DebugDialogContext ctx, QWidget* parent = nullptr);

  void ResetCounts();
  void RestartTimeBase();
  void ToggleActive();
  void ToggleStatistics();
  void Refresh();
  // The analyser's font and four colours of the shared window settings.
  void ApplySettings(const WindowFonts& settings);
  QColor Colour(int index) const { return m_colours[std::size_t(index)]; }
  const std::vector<PaRow>& Rows() const { return m_rows; }
  int Selected() const { return m_scroll.top + m_scroll.selected; }
  int TopRow() const { return m_scroll.top; }
  int VisibleRows() const;
  QScrollBar* VerticalBar() const { return m_vbar; }
  const PaStatsText& Statistics() const { return m_stats; }
  bool Available() const;
  // The bar box and the filled part of row i (for tests and painting).
  QRect BarBox(int i) const;
  int BarWidth(int i) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  void contextMenuEvent(QContextMenuEvent*) override;
  void wheelEvent(QWheelEvent*) override;

 private:
  // The one geometry: scale strip, name column, rows, statistics line.
  void Layout();
  void Compute();
  double ToSeconds(uint64_t cycles) const;

  DebugDialogContext m_ctx;
  std::array<QColor, kPaColours> m_colours;
  QFont m_ownFont;  // the font when the settings name none
  std::vector<PaRow> m_rows;
  PaStatsText m_stats;
  uint64_t m_base = 0;
  PaScroll m_scroll;  // the top row and the selection under it
  QScrollBar* m_vbar;
  // Keeps the top row and the selection inside the rows; sets the bar.
  void ApplyScroll();
  int m_rowHeight = 16, m_charWidth = 8, m_nameWidth = 120, m_scaleHeight = 20, m_statsHeight = 20;
  QRect m_scale;
};

}  // namespace pm2
