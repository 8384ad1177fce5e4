#include "toolkit/frames/workbook.h"

#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/mdi_child.h"

namespace pm2 {

SECWorkbookWnd::SECWorkbookWnd(QWidget* parent) : SECMDIFrameWnd(parent) {
  QObject::connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { update(); });
}

SECWorkbookWnd::~SECWorkbookWnd() {
  DetachChildren();
  m_sheets.clear();
}

void SECWorkbookWnd::SetWorkbookMode(bool on) {
  m_workbookMode = on;
  SetWorkbookStyle(m_flat);
}

void SECWorkbookWnd::SetWorkbookStyle(bool flat) {
  m_flat = flat;
  RecalcLayout();
}

QRect SECWorkbookWnd::MdiRect() const { return m_mdi->geometry(); }

void SECWorkbookWnd::RecomputeTabWidth() {
  if (!m_sheets.empty()) m_tabWidth = WorkbookTabWidth(MdiRect().width(), int(m_sheets.size()), m_metrics);
}

void SECWorkbookWnd::RecalcLayout() {
  SECMDIFrameWnd::RecalcLayout();
  RecomputeTabWidth();
  update();
}

void SECWorkbookWnd::AddSheet(SECWorksheetWnd* sheet) {
  if (!sheet || FindWorksheet(sheet, nullptr)) return;
  m_sheets.push_back(sheet);
  RecomputeTabWidth();
  update();
}

void SECWorkbookWnd::RemoveSheet(SECWorksheetWnd* sheet) {
  int index = 0;
  if (!FindWorksheet(sheet, &index)) return;
  m_sheets.erase(m_sheets.begin() + index);
  RecomputeTabWidth();
  update();
}

bool SECWorkbookWnd::FindWorksheet(const SECWorksheetWnd* sheet, int* index) const {
  for (size_t i = 0; i < m_sheets.size(); ++i) {
    if (m_sheets[i] == sheet) {
      if (index) *index = int(i);
      return true;
    }
  }
  if (index) *index = int(m_sheets.size());
  return false;
}

int SECWorkbookWnd::SlotOf(const SECWorksheetWnd* sheet) const {
  int slot = 0;
  for (SECWorksheetWnd* s : m_sheets) {
    if (s == sheet) return slot;
    if (!s->isHidden()) ++slot;
  }
  return -1;
}

bool SECWorkbookWnd::IsRaised(const SECWorksheetWnd* sheet) const {
  return sheet->IsPressed() || m_mdi->activeSubWindow() == sheet;
}

bool SECWorkbookWnd::GetTabPolygon(const SECWorksheetWnd* sheet, TabPolygon* out) const {
  int slot = SlotOf(sheet);
  if (slot < 0 || sheet->isHidden()) return false;
  *out = WorkbookTabPolygon(slot, m_tabWidth, FromQRect(MdiRect()), IsRaised(sheet), m_flat, m_metrics);
  return true;
}

std::string SECWorkbookWnd::GetSheetLabel(const SECWorksheetWnd* sheet) const { return sheet->SheetLabel(); }

std::string SECWorkbookWnd::GetShownLabel(const SECWorksheetWnd* sheet) const {
  TabPolygon pts;
  if (!GetTabPolygon(sheet, &pts)) return {};
  Rect tr = WorkbookTabTextRect(pts, m_tabIcons ? 16 : 0);
  QFontMetrics fm(DefaultGuiFont());
  return ShortenTabLabel(GetSheetLabel(sheet), tr.Width(),
                         [&](const std::string& s) { return fm.horizontalAdvance(ToQString(s)); });
}

bool SECWorkbookWnd::IsTabLabelFullyShown(const SECWorksheetWnd* sheet) const {
  return sheet && GetShownLabel(sheet) == GetSheetLabel(sheet);
}

void SECWorkbookWnd::SetSheetIcon(SECWorksheetWnd* sheet, const QIcon& icon, bool redraw) {
  if (!sheet) return;
  sheet->SetTabIcon(icon);
  TabPolygon pts;
  if (redraw && GetTabPolygon(sheet, &pts)) update(ToQRect(WorkbookTabBounds(pts)));
}

SECWorksheetWnd* SECWorkbookWnd::SheetAt(QPoint p) const {
  for (SECWorksheetWnd* s : m_sheets) {
    TabPolygon pts;
    if (GetTabPolygon(s, &pts) && WorkbookTabContains(pts, Point{p.x(), p.y()})) return s;
  }
  return nullptr;
}

void SECWorkbookWnd::DrawTab(QPainter& p, const SECWorksheetWnd* sheet) const {
  TabPolygon pt;
  if (!GetTabPolygon(sheet, &pt)) return;
  auto line = [&](SysColor c, std::initializer_list<QPoint> pts) {
    p.setPen(SysQColor(c));
    const QPoint* prev = nullptr;
    for (const QPoint& q : pts) {
      if (prev) p.drawLine(*prev, q);
      prev = &q;
    }
  };
  if (!m_flat) {
    QPolygon poly;
    for (const Point& q : pt) poly << QPoint(q.x, q.y);
    p.setPen(Qt::NoPen);
    p.setBrush(SysQColor(SysColor::BtnFace));
    p.drawPolygon(poly, Qt::OddEvenFill);
    p.setBrush(Qt::NoBrush);
    line(SysColor::BtnShadow, {QPoint(pt[1].x + 1, pt[1].y - 1), QPoint(pt[2].x, pt[2].y - 2), QPoint(pt[3].x, pt[3].y - 2),
                               QPoint(pt[4].x - 2, pt[4].y - 1), QPoint(pt[5].x - 2, pt[5].y), QPoint(pt[5].x, pt[5].y)});
    line(SysColor::BtnHighlight, {QPoint(pt[0].x, pt[0].y + 1), QPoint(pt[1].x, pt[1].y - 1)});
    line(SysColor::WindowFrame, {QPoint(pt[2].x + 1, pt[2].y - 1), QPoint(pt[3].x, pt[3].y - 1),
                                 QPoint(pt[4].x - 1, pt[4].y - 1), QPoint(pt[5].x - 1, pt[5].y)});
    return;
  }
  if (IsRaised(sheet)) {
    p.fillRect(QRect(QPoint(pt[0].x, pt[0].y - 1), QPoint(pt[4].x - 2, pt[4].y - 1)), SysQColor(SysColor::BtnFace));
    line(SysColor::BtnHighlight, {QPoint(pt[0].x, pt[0].y - 1), QPoint(pt[0].x, pt[4].y + 1)});
    line(SysColor::WindowFrame, {QPoint(pt[0].x + 1, pt[4].y), QPoint(pt[4].x - 1, pt[4].y), QPoint(pt[4].x - 1, pt[0].y - 2)});
  } else {
    line(SysColor::BtnShadow, {QPoint(pt[4].x - 1, pt[0].y + 3), QPoint(pt[4].x - 1, pt[4].y - 3)});
  }
}

void SECWorkbookWnd::DrawTabLabel(QPainter& p, const SECWorksheetWnd* sheet) const {
  TabPolygon pt;
  if (!GetTabPolygon(sheet, &pt)) return;
  int iconWidth = m_tabIcons ? 16 : 0;
  if (m_tabIcons && !sheet->TabIcon().isNull())
    p.drawPixmap(pt[2].x + 1, pt[0].y + 4, sheet->TabIcon().pixmap(16, 16));
  Rect tr = WorkbookTabTextRect(pt, iconWidth);
  std::string label = GetShownLabel(sheet);
  if (label.empty()) return;
  p.setFont(DefaultGuiFont());
  p.setPen(SysQColor(SysColor::BtnText));
  p.drawText(ToQRect(tr), Qt::AlignCenter | Qt::TextSingleLine, ToQString(label));
}

void SECWorkbookWnd::DrawClientBorder(QPainter& p) const {
  QRect M = MdiRect();
  int ml = M.left(), mt = M.top(), mr = M.left() + M.width(), mb = M.top() + M.height();
  auto line = [&](SysColor c, int x1, int y1, int x2, int y2) {
    p.setPen(SysQColor(c));
    p.drawLine(x1, y1, x2, y2);
  };
  if (m_flat) {
    line(SysColor::BtnShadow, ml - 1, mt - 1, ml - 1, mb);
    line(SysColor::BtnShadow, ml - 1, mb, mr, mb);
    line(SysColor::BtnShadow, mr, mb, mr, mt - 1);
    line(SysColor::BtnShadow, mr, mt - 1, ml - 1, mt - 1);
    return;
  }
  int L = ml - 5, T = mt - 5, Rt = mr + 5, Bm = mb + 5;
  // Sunken well round the client, the tab row inside its lower part.
  line(SysColor::BtnShadow, L + 1, Bm - 1, Rt - 1, Bm - 1);
  line(SysColor::BtnShadow, Rt - 1, Bm - 1, Rt - 1, T + 1);
  line(SysColor::BtnHighlight, Rt - 1, T, L, T);
  line(SysColor::BtnHighlight, L, T, L, Bm);
  line(SysColor::WindowFrame, L, Bm, Rt, Bm);
  line(SysColor::WindowFrame, Rt, Bm, Rt, T);
  ClientMargins m = ClientMarginsNow();
  int y = mt - m.top;
  line(SysColor::BtnShadow, ml - m.left, y, mr + m.right, y);
  line(SysColor::BtnHighlight, ml - m.left, y + 1, mr + m.right, y + 1);
}

void SECWorkbookWnd::paintEvent(QPaintEvent* e) {
  SECMDIFrameWnd::paintEvent(e);
  if (!m_workbookMode) return;
  QPainter p(this);
  if (m_flat) {
    // The tab row lies on a lighter ground than the face above it.
    QRect M = MdiRect();
    QRect area = ClientLayoutRect();
    p.fillRect(QRect(QPoint(area.left(), M.bottom() + 4), area.bottomRight()), SysQColor(SysColor::BtnHighlight));
    p.setPen(SysQColor(SysColor::WindowFrame));
    p.drawLine(M.left(), M.bottom() + 4, M.right() + 2, M.bottom() + 4);
  }
  QMdiSubWindow* active = m_mdi->activeSubWindow();
  for (SECWorksheetWnd* s : m_sheets) {
    if (s->isHidden()) continue;
    DrawTab(p, s);
    DrawTabLabel(p, s);
  }
  DrawClientBorder(p);
  if (auto* a = dynamic_cast<SECWorksheetWnd*>(active); a && !a->isHidden() && FindWorksheet(a, nullptr)) {
    DrawTab(p, a);
    DrawTabLabel(p, a);
  }
}

void SECWorkbookWnd::mousePressEvent(QMouseEvent* e) {
  if (!m_workbookMode || e->button() != Qt::LeftButton) return SECMDIFrameWnd::mousePressEvent(e);
  QPoint pt = e->position().toPoint();
  for (SECWorksheetWnd* s : m_sheets) {
    if (s->isHidden() || s == m_mdi->activeSubWindow()) continue;
    TabPolygon poly;
    if (!GetTabPolygon(s, &poly) || !WorkbookTabContains(poly, Point{pt.x(), pt.y()})) continue;
    s->SetPressed(true);
    m_mdi->setActiveSubWindow(s);
    update();
    return;
  }
  SECMDIFrameWnd::mousePressEvent(e);
}

void SECWorkbookWnd::mouseReleaseEvent(QMouseEvent* e) {
  if (m_workbookMode) {
    for (SECWorksheetWnd* s : m_sheets) s->SetPressed(false);
    update();
  }
  SECMDIFrameWnd::mouseReleaseEvent(e);
}

bool SECWorkbookWnd::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && m_workbookMode) {
    auto* he = static_cast<QHelpEvent*>(e);
    SECWorksheetWnd* s = SheetAt(he->pos());
    if (s && !IsTabLabelFullyShown(s)) {
      TabPolygon pts;
      GetTabPolygon(s, &pts);
      QToolTip::showText(he->globalPos(), ToQString(GetSheetLabel(s)), this, ToQRect(WorkbookTabBounds(pts)));
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return SECMDIFrameWnd::event(e);
}

SECMDIChildWnd* SECWorkbookWnd::CreateFloatingMDIChild(std::uint32_t, SECControlBar*) {
  return new SECControlBarWorksheet(this);
}

}  // namespace pm2
