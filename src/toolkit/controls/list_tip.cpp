#include "toolkit/controls/list_tip.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QTimerEvent>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/models/list_client.h"
#include "toolkit/models/list_engine.h"

namespace pm2 {
namespace {
bool g_requireActive = true;
}  // namespace

void SECListTip::SetRequireActiveWindow(bool on) { g_requireActive = on; }

SECListTip::SECListTip(SECListClient* client, QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), m_client(client), m_owner(owner) {
  setObjectName("SECListTip");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  hide();
}

bool SECListTip::Show(unsigned hitFlags, int item, int column, Point) {
  const int sub = column == -1 ? -1 : m_client->GetColumnSubItem(column);
  const Rect view = m_client->GetInsideRect();
  const bool onText = (hitFlags & LVHT_ONITEMLABEL) || ((hitFlags & LVHT_ONROW) && sub >= 1);
  if (!onText || item == -1 || column == -1 || (g_requireActive && !QApplication::activeWindow())) {
    Hide();
    return false;
  }
  Rect cell;
  if (!m_client->GetCellRect(item, column, &cell, 0)) return false;
  cell.right -= 5;
  Rect text;
  if (!m_client->GetCellRect(item, column, &text, 2)) return false;
  const int limit = std::min(cell.right, view.Width());
  const bool clipped = text.right > limit || (text.left < view.left && view.left < text.right);
  if (!clipped) {
    Hide();
    return false;
  }
  if (item == m_item && sub == m_subItem && isVisible()) return true;
  Hide();
  text.Inflate(2, 0, 2, 2);
  m_item = item;
  m_rcItem = cell;
  m_subItem = sub;
  std::string t = m_client->GetCellText(item, std::max(0, sub));
  if (t.empty()) return false;
  size_t nl = t.find('\n');
  if (nl != std::string::npos) t.resize(nl);
  if (t.size() > 259) t.resize(259);
  m_text = ToQString(t);
  const Rect screen = m_client->ClientToScreen(text);
  setGeometry(screen.left - 1, screen.top, text.Width() + 3, cell.Height());
  show();
  raise();
  m_timer.start(500, this);
  update();
  return true;
}

void SECListTip::Hide() {
  if (isVisible()) {
    hide();
    m_owner->update(ToQRect(m_rcItem));
    m_timer.stop();
  }
  m_item = -1;
  m_subItem = -1;
  m_rcItem = {};
}

void SECListTip::Refresh() {
  if (isVisible()) repaint();
}

void SECListTip::timerEvent(QTimerEvent* e) {
  if (e->timerId() != m_timer.timerId()) return;
  if (!m_owner->rect().contains(m_owner->mapFromGlobal(QCursor::pos()))) Hide();
}

void SECListTip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (m_item == -1) return;
  const bool sel = m_client->IsItemSelected(m_item);
  // The tip continues the row it covers, so it takes that row's colours.
  const QColor fg = ToQColor(sel ? m_client->GetSelTextColor() : m_client->GetTextColor());
  const QColor bg = ToQColor(sel ? m_client->GetSelTextBkColor() : m_client->GetTextBkColor());
  // The one-pixel border is the window's frame; text and fill go inside it,
  // so the text starts where the row drew it.
  p.setPen(SysQColor(SysColor::WindowFrame));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect client = rect().adjusted(1, 1, -1, -1);
  p.fillRect(client, bg);
  QFont f = m_owner->font();
  if (m_client->GetRowState(m_item, 0x18) & 0x10) f.setBold(true);
  p.setFont(f);
  p.setPen(fg);
  p.drawText(client.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs, m_text);
}

}  // namespace pm2
