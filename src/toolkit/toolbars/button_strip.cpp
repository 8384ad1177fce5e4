#include "toolkit/toolbars/button_strip.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/controls/pixel_image.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/color_math.h"
#include "toolkit/toolbars/menu_button_text.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {
namespace {

constexpr int kBorder = 2;  // the bar's edge around its row of buttons

Point ToPoint(const QPoint& p) { return {p.x(), p.y()}; }

}  // namespace

SECButtonStrip::SECButtonStrip(SECBmpMgr* mgr, unsigned barId, QWidget* parent)
    : QWidget(parent), m_mgr(mgr), m_barId(barId) {
  if (m_mgr) m_mgr->AddRef();
  setMouseTracking(true);
  m_look.cool = true;
}

SECButtonStrip::~SECButtonStrip() {
  if (m_mgr) m_mgr->Release();
}

ButtonMetrics SECButtonStrip::Metrics() const {
  if (!m_mgr) return {};
  return m_mgr->m_bSmall ? ButtonMetrics::FromImage(m_mgr->m_cxSmall, m_mgr->m_cySmall)
                         : ButtonMetrics::FromImage(m_mgr->m_cxLarge, m_mgr->m_cyLarge);
}

void SECButtonStrip::SetLook(const BarLook& look) {
  m_look = look;
  Layout();
}

SECStdBtn* SECButtonStrip::AddButton(unsigned id, std::uint32_t style) {
  auto b = std::make_unique<SECStdBtn>();
  b->m_nID = id;
  b->m_nStyle = id == 0 ? TBBS_SEPARATOR : style;
  b->Init(this, nullptr);
  m_buttons.push_back(std::move(b));
  Layout();
  return m_buttons.back().get();
}

SECStdBtn* SECButtonStrip::AddMenuButton(const SECMenuBtnRow& row) {
  auto b = std::make_unique<SECTBMenuBtn>();
  b->InitMenu(this, row);
  m_buttons.push_back(std::move(b));
  Layout();
  return m_buttons.back().get();
}

Size SECButtonStrip::MeasureMenuText(const std::string& text) const { return MeasureMenuButtonText(text); }

void SECButtonStrip::DrawMenuText(PixelBuffer& into, int x, int y, const std::string& text, Color color) const {
  DrawMenuButtonText(into, x, y, text, color);
}

void SECButtonStrip::OpenButtonPopup(SECStdBtn& button, unsigned, unsigned) {
  repaint();
  button.m_nStyle &= ~TBBS_PRESSED;
  button.Invalidate();
}

void SECButtonStrip::SetButtons(const std::vector<unsigned>& ids, std::uint32_t style) {
  m_buttons.clear();
  m_hot = m_captured = nullptr;
  for (unsigned id : ids) AddButton(id, style);
}

SECStdBtn* SECButtonStrip::FindButton(unsigned id) const {
  for (const auto& b : m_buttons)
    if (b->m_nID == id && id != 0) return b.get();
  return nullptr;
}

void SECButtonStrip::Layout() {
  int x = kBorder;
  for (const auto& b : m_buttons) {
    b->CalcSize();
    if (b->m_nStyle & TBBS_HIDDEN) continue;
    b->SetPos(x, kBorder);
    x += b->m_cx;
  }
  updateGeometry();
  update();
}

QSize SECButtonStrip::sizeHint() const {
  int cx = 2 * kBorder;
  for (const auto& b : m_buttons)
    if (!(b->m_nStyle & TBBS_HIDDEN)) cx += b->m_cx;
  return {cx, Metrics().buttonCy + 2 * kBorder};
}

void SECButtonStrip::InvalidateButton(const Rect& r) { update(ToQRect(r)); }

void SECButtonStrip::SendNotify(const ToolbarNotify& n) {
  ToolbarNotify copy = n;
  copy.barId = m_barId;
  if (onNotify) onNotify(copy);
}

int SECButtonStrip::IndexOf(const SECStdBtn& b) const {
  for (int i = 0; i < int(m_buttons.size()); ++i)
    if (m_buttons[std::size_t(i)].get() == &b) return i;
  return -1;
}

std::vector<SECStdBtn*> SECButtonStrip::ButtonsWithId(unsigned id) {
  std::vector<SECStdBtn*> out;
  for (const auto& b : m_buttons)
    if (b->m_nID == id && !(b->m_nStyle & TBBS_SEPARATOR)) out.push_back(b.get());
  return out;
}

std::vector<SECStdBtn*> SECButtonStrip::CheckGroupOf(const SECStdBtn& b) {
  // A check group is a run of neighbouring buttons that all carry both the
  // check and the group bits; a separator or any other button ends it.
  const auto member = [&](int i) {
    return (m_buttons[std::size_t(i)]->m_nStyle & (TBBS_CHECKGROUP | TBBS_SEPARATOR)) == TBBS_CHECKGROUP;
  };
  const int at = IndexOf(b);
  if (at < 0 || !member(at)) return {};
  int first = at;
  while (first > 0 && member(first - 1)) --first;
  std::vector<SECStdBtn*> out;
  for (int i = first; i < int(m_buttons.size()) && member(i); ++i) out.push_back(m_buttons[std::size_t(i)].get());
  return out;
}

SECStdBtn* SECButtonStrip::HitTest(Point p) const {
  for (const auto& b : m_buttons)
    if (!(b->m_nStyle & (TBBS_HIDDEN | TBBS_SEPARATOR)) && b->BtnRect().Contains(p)) return b.get();
  return nullptr;
}

void SECButtonStrip::SetHot(SECStdBtn* b) {
  if (b == m_hot) return;
  if (m_hot) {
    m_hot->m_nStyle &= ~TBBS_HOT;
    m_hot->Invalidate();
  }
  m_hot = (b && !(b->m_nStyle & TBBS_DISABLED)) ? b : nullptr;
  if (m_hot) {
    m_hot->m_nStyle |= TBBS_HOT;
    m_hot->Invalidate();
  }
}

void SECButtonStrip::RefreshHotState() { SetHot(HitTest(ToPoint(mapFromGlobal(QCursor::pos())))); }

void SECButtonStrip::paintEvent(QPaintEvent* e) {
  const bool xp = SECIsXPLook();
  PixelBuffer pixels(width(), height(), xp ? SECGetXPColor(0) : GetSysColor(SysColor::BtnFace));
  const Rect visible = FromQRect(e->rect());
  for (const auto& b : m_buttons)
    if (!(b->m_nStyle & TBBS_HIDDEN)) b->Paint(pixels, visible, m_state);
  QPainter p(this);
  p.drawImage(0, 0, ToQImage(pixels, 0xFF000000u));
}

void SECButtonStrip::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  SECStdBtn* b = HitTest(ToPoint(e->position().toPoint()));
  if (b && b->OnLButtonDown(ToPoint(e->position().toPoint()))) m_captured = b;
}

void SECButtonStrip::mouseMoveEvent(QMouseEvent* e) {
  const Point p = ToPoint(e->position().toPoint());
  if (m_captured) {
    m_captured->OnMouseMove(p);
    return;
  }
  if (m_look.cool) SetHot(HitTest(p));
}

void SECButtonStrip::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !m_captured) return;
  SECStdBtn* b = m_captured;
  m_captured = nullptr;
  const unsigned id = b->OnLButtonUp(ToPoint(e->position().toPoint()));
  if (id != 0 && onCommand) onCommand(id);
}

void SECButtonStrip::leaveEvent(QEvent*) {
  if (!m_captured) SetHot(nullptr);
}

}  // namespace pm2
