#pragma once
// The two tab strip widgets over their Qt-free models: SECTabControl (flat
// trapezoid tabs with scroll buttons) and SEC3DTabControl (bevelled tabs on
// one of four edges). Both measure with their own fonts and report to a
// TabListener (the tab window, or any owner).

#include <QFont>
#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <unordered_map>

#include <memory>
#include <vector>

#include "toolkit/models/measure_cache.h"
#include "toolkit/models/tab_layout.h"

namespace pm2 {

// The largest size from `smallest` up to `cell` whose line height (given by
// `lineHeight`, which grows with the size) fits in `cell`; `smallest` when
// none does.
int LargestSizeFitting(int cell, int smallest, const std::function<int(int)>& lineHeight);

// Measures labels with a tab strip's fonts (bold: the active-tab font).
// A strip lays out all its labels again whenever a tab comes or goes, so
// the widths are remembered until the fonts change.
class QtTabMeasurer : public TextMeasurer {
 public:
  void SetFonts(const QFont& normal, const QFont& bold);
  const QFont& Normal() const { return m_normal; }
  Size Measure(std::string_view text, FontChoice font, int maxWidth, bool singleLine) override;
  int LineHeight(FontChoice font) override;

 private:
  QFont m_normal;
  QFont m_bold;
  int m_height[2] = {-1, -1};  // line height by font (0 normal, 1 bold); -1 not yet known
  MeasureCache m_sizes;        // label sizes, forgotten when the fonts change
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
  // The system colours changed: the colour record is reloaded and the
  // brushes, shadow pen and text colours are read again (fonts stay).
  void OnSysColorChange();
  // Replaces the font of unselected (0), selected (1) or active (2) tabs
  // with a copy of `font`; the tab widths follow. With `redraw` the tabs
  // drawn in that font repaint. False for any other `which`.
  bool SetFontObject(const QFont& font, int which, bool redraw = true);
  const QFont& Font(int which) const { return m_fonts[which < 0 || which > 2 ? 0 : which]; }

 protected:
  bool event(QEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  // [0] unselected, [1] selected, [2] the active tab; widths are measured
  // in the active tab's font so that a tab keeps its width when it becomes
  // active.
  QFont m_fonts[3];
  void DrawScrollButton(QPainter& p, unsigned button);
  bool DrawThemedScrollButton(QPainter& p, const Rect& r, bool pressed, bool disabled);
  void DrawClassicScrollButton(QPainter& p, const Rect& r, bool pressed);
  void DrawScrollGlyph(QPainter& p, const Rect& r, unsigned button, bool pressed, bool disabled);
  void LoadColors();
  QTimer m_repeat;
  // [0] unselected tabs and the background, [1] selected, [2] active.
  QColor m_brush[3];
  QColor m_clrText[3];
  QColor m_penShadow;
};

class SEC3DTabControl : public QWidget, private TabMeasurerHolder, public SEC3DTabControlModel {
 public:
  SEC3DTabControl(QWidget* parent, std::uint32_t style, unsigned id = kTabStripId,
                  TabListener* listener = nullptr);
  void InvalidateTab(int) override { update(); }
  // The tab's 16 x 16 image; the strip keeps its own copy. A null icon
  // takes the image away.
  void SetTabIcon(int index, const QIcon& icon);
  // The owner is a keyboard stop: the active tab shows the focus rectangle
  // while the strip has the focus.
  void SetParentTabStop(bool tabStop) { m_bParentTabStop = tabStop; update(); }
  // Label fonts (0 inactive, 1 active); the layout follows.
  bool SetFontObject(const QFont& font, int which);
  // The system colours changed: the colour record is reloaded, the text
  // colours and the highlight and shadow pens are read again.
  void OnSysColorChange();

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
  void CreateFonts(std::uint32_t style);
  void LoadColors();
  void RelayToToolTip(const QMouseEvent* e);
  void PaintBackground(QPainter& p);
  void PaintPaneEdge(QPainter& p);
  void DrawTab(QPainter& p, int index, bool active);
  void DrawTabBorder(QPainter& p, const SEC3DTab& t, const Rect& body);
  void DrawTabContent(QPainter& p, int index, bool active);
  void DrawContentParts(QPainter& p, int index, bool active, const QColor& text);
  bool m_bDragging = false;
  bool m_bParentTabStop = false;
  QFont m_fontActive;
  QColor m_clrText, m_clrTextActive, m_penShadow, m_penHilite;
  std::vector<std::unique_ptr<QIcon>> m_icons;  // what the tabs' m_hIcon point to
};

}  // namespace pm2
