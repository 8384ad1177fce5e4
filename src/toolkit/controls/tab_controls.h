#pragma once
// The two tab strip widgets over their Qt-free models: SECTabControl (flat
// trapezoid tabs with scroll buttons) and SEC3DTabControl (bevelled tabs on
// one of four edges). Both measure with their own fonts and report to a
// TabListener (the tab window, or any owner).

#include <QFont>
#include <QTimer>
#include <QWidget>

#include "toolkit/core/tab_layout.h"

namespace pm2 {

// Measures labels with a tab strip's fonts (bold: the active-tab font).
class QtTabMeasurer : public TextMeasurer {
 public:
  QFont normal;
  QFont bold;
  Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) override;
  int LineHeight(FontChoice font) override;
};

struct TabMeasurerHolder {
  QtTabMeasurer m_measurer;
};

class SECTabControl : public QWidget, private TabMeasurerHolder, public SECTabControlModel {
 public:
  SECTabControl(QWidget* parent, std::uint32_t style, unsigned id = kTabStripId, TabListener* listener = nullptr);
  void InvalidateTab(int) override { update(); }
  void OnScrolled(int) override { update(); }
  void InvalidateButtons() override { update(); }
  QSize sizeHint() const override { return QSize(200, m_nStripHeight); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void DrawScrollButton(QPainter& p, unsigned button);
  QTimer m_repeat;
};

class SEC3DTabControl : public QWidget, private TabMeasurerHolder, public SEC3DTabControlModel {
 public:
  SEC3DTabControl(QWidget* parent, std::uint32_t style, unsigned id = kTabStripId,
                  TabListener* listener = nullptr);
  void InvalidateTab(int) override { update(); }
  void SetOrientation(std::uint32_t style);

 protected:
  bool event(QEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  void DrawTab(QPainter& p, int index, bool active);
  bool m_bDragging = false;
};

}  // namespace pm2
