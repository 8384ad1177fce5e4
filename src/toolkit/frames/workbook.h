#pragma once
// SECWorkbookWnd: the MDI frame with a row of sheet tabs under the MDI
// client, one per worksheet, drawn by the frame in the margin it keeps
// around the client (3-D style: 13, 13, 13, 33). A click on a tab
// activates its sheet; a label cut to fit shows whole in a tip.

#include <vector>

#include "toolkit/frames/mdi_frame.h"

namespace pm2 {

class SECWorksheetWnd;

class SECWorkbookWnd : public SECMDIFrameWnd {
 public:
  explicit SECWorkbookWnd(QWidget* parent = nullptr);
  ~SECWorkbookWnd() override;

  void SetWorkbookMode(bool on);
  void ToggleWorkbookMode() { SetWorkbookMode(!m_workbookMode); }
  bool IsWorkbookMode() const { return m_workbookMode; }
  void SetWorkbookStyle(bool flat);

  void AddSheet(SECWorksheetWnd* sheet);
  void RemoveSheet(SECWorksheetWnd* sheet);
  bool FindWorksheet(const SECWorksheetWnd* sheet, int* index) const;
  const std::vector<SECWorksheetWnd*>& Sheets() const { return m_sheets; }
  int TabWidth() const { return m_tabWidth; }
  // The sheet's tab outline (frame client coordinates); false when the
  // sheet is hidden or unknown.
  bool GetTabPolygon(const SECWorksheetWnd* sheet, TabPolygon* out) const;
  bool IsTabLabelFullyShown(const SECWorksheetWnd* sheet) const;
  std::string GetSheetLabel(const SECWorksheetWnd* sheet) const;
  // The label as drawn (shortened to fit).
  std::string GetShownLabel(const SECWorksheetWnd* sheet) const;
  SECWorksheetWnd* SheetAt(QPoint p) const;
  // A null sheet does nothing; without redraw nothing is repainted.
  void SetSheetIcon(SECWorksheetWnd* sheet, const QIcon& icon, bool redraw);
  void SheetChanged() { update(); }

  ClientMargins ClientMarginsNow() const override { return WorkbookMargins(m_workbookMode, m_flat); }
  void RecalcLayout() override;
  SECMDIChildWnd* CreateFloatingMDIChild(std::uint32_t style, SECControlBar* bar) override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  bool event(QEvent*) override;

 private:
  QRect MdiRect() const;
  int SlotOf(const SECWorksheetWnd* sheet) const;
  bool IsRaised(const SECWorksheetWnd* sheet) const;
  void DrawTab(QPainter& p, const SECWorksheetWnd* sheet) const;
  void DrawTabLabel(QPainter& p, const SECWorksheetWnd* sheet) const;
  void DrawClientBorder(QPainter& p) const;
  void RecomputeTabWidth();

  std::vector<SECWorksheetWnd*> m_sheets;
  bool m_workbookMode = false;
  bool m_flat = false;
  bool m_tabIcons = true;
  int m_tabWidth = 100;
  WorkbookMetrics m_metrics;
};

}  // namespace pm2
