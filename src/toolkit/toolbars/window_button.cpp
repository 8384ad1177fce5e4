#include "toolkit/toolbars/window_button.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

SECWndBtn::~SECWndBtn() { delete m_wnd.data(); }

void SECWndBtn::Init(ButtonHost* host, const unsigned* extra) {
  m_pToolBar = host;
  std::uint32_t style = 0;
  if (extra) {
    m_controlId = extra[0];
    style = extra[1];
    m_cxWnd = int(extra[2] & 0xFFFF);
    m_cxMin = int(extra[2] >> 16);
    m_cyWnd = int(extra[3]);
  }
  if (m_cxWnd <= 0) m_cxWnd = 100;
  auto* parent = host ? static_cast<QWidget*>(host->NativeParent()) : nullptr;
  if (parent) {
    m_wnd = CreateWnd(parent, style);
    if (m_wnd) {
      m_wnd->installEventFilter(this);
      for (QWidget* child : m_wnd->findChildren<QWidget*>()) child->installEventFilter(this);
      m_wnd->setEnabled(!(m_nStyle & TBBS_DISABLED));
      m_wnd->show();
    }
  }
  CalcSize();
  NotifyOwner(kWndNotifyCreated);
}

void SECWndBtn::NotifyOwner(int code) {
  if (!m_pToolBar) return;
  ToolbarNotify n;
  n.code = code;
  n.item = m_nID;
  n.index = m_pToolBar->IndexOf(*this);
  n.param1 = int(m_controlId);
  m_pToolBar->SendNotify(n);
}

void SECWndBtn::CalcSize() {
  if (!m_pToolBar) return;
  const ButtonMetrics m = m_pToolBar->Metrics();
  m_cx = m_bWndMode ? m_cxWnd : m.buttonCx;
  m_cy = m.buttonCy;
  m_pToolBar->RaiseLargestButton(m_cx, m_cy);
}

void SECWndBtn::SetVertical(bool vertical) {
  if (m_bWndMode == !vertical) return;
  m_bWndMode = !vertical;
  CalcSize();
  if (m_wnd) m_wnd->setVisible(m_bWndMode && !(m_nStyle & TBBS_HIDDEN));
  PlaceWnd();
}

void SECWndBtn::SetStyle(std::uint32_t style) {
  const bool changed = (style ^ m_nStyle) & TBBS_DISABLED;
  SECStdBtn::SetStyle(style);
  if (changed && m_wnd) m_wnd->setEnabled(!(style & TBBS_DISABLED));
}

void SECWndBtn::SetPos(int x, int y) {
  SECStdBtn::SetPos(x, y);
  PlaceWnd();
}

void SECWndBtn::PlaceWnd() {
  if (!m_wnd || !m_bWndMode) return;
  const int real = m_wnd->sizeHint().height();
  m_wnd->setGeometry(m_x, m_y + (m_cy - real) / 2, m_cxWnd, real);
}

void SECWndBtn::Invalidate(bool erase) {
  if (!m_bWndMode || !m_wnd) SECStdBtn::Invalidate(erase);
}

void SECWndBtn::Paint(PixelBuffer& dc, const Rect& visible, SECBtnDrawState& state) {
  if (m_bWndMode && m_wnd) return;  // the control paints itself
  SECStdBtn::Paint(dc, visible, state);
}

unsigned SECWndBtn::OnLButtonUp(Point p) {
  const unsigned id = SECStdBtn::OnLButtonUp(p);
  if (id == 0 || m_bWndMode || !m_pToolBar) return id;
  auto* bar = static_cast<QWidget*>(m_pToolBar->NativeParent());
  // Beside the button, away from the column.
  if (bar && PopUpChoices(bar->mapToGlobal(QPoint(m_x + m_cx, m_y)))) return 0;
  return id;
}

void SECWndBtn::OnHiddenChanged() {
  if (m_wnd) m_wnd->setVisible(m_bWndMode && !(m_nStyle & TBBS_HIDDEN));
}

std::string SECWndBtn::GetPersistData() const {
  const unsigned w = unsigned(m_cxWnd) & 0xFFFF;
  return std::string{char(w & 0xFF), char(w >> 8)};
}

void SECWndBtn::SetPersistData(const std::uint8_t* data, std::size_t size) {
  if (size != 2) return;  // anything else is not ours
  m_cxWnd = int(data[0] | (data[1] << 8));
  CalcSize();
  PlaceWnd();
}

bool SECWndBtn::ResizeTo(int width) {
  if (m_cxMin == 0 || width < m_cxMin) return false;
  m_cxWnd = width;
  CalcSize();
  PlaceWnd();
  if (m_pToolBar) m_pToolBar->ButtonSizeChanged();
  return true;
}

void SECWndBtn::Forward(QEvent* event) {
  auto* bar = dynamic_cast<QWidget*>(m_pToolBar);
  if (!bar) return;
  auto* m = static_cast<QMouseEvent*>(event);
  const QPointF global = m->globalPosition();
  QMouseEvent copy(m->type(), bar->mapFromGlobal(global), global, m->button(), m->buttons(), m->modifiers());
  QApplication::sendEvent(bar, &copy);
}

bool SECWndBtn::eventFilter(QObject* watched, QEvent* event) {
  if (!m_wnd) return false;
  const bool customizing = m_pToolBar && m_pToolBar->Look().customizing;
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(event);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        NotifyOwner(kWndNotifyEnter);
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(event);
      const bool alt = m->modifiers() & Qt::AltModifier;
      if (!customizing && !alt) return false;
      const QPoint p = m_wnd->mapFromGlobal(m->globalPosition().toPoint());
      // Only the button selected while customising is widened (its last
      // pixels); Alt alone drags the button.
      if (customizing && !alt && (m_nStyle & TBBS_CUSTOMIZESEL) && m_cxMin != 0 &&
          p.x() >= m_wnd->width() - kWndResizeGrip) {
        m_resizing = true;
        return true;
      }
      // A customising click never reaches the control: it takes the button.
      m_forwarding = true;
      Forward(event);
      return true;
    }
    case QEvent::MouseMove: {
      if (m_forwarding) {
        Forward(event);
        return true;
      }
      if (!m_resizing) return false;
      auto* m = static_cast<QMouseEvent*>(event);
      const QPoint p = m_wnd->mapFromGlobal(m->globalPosition().toPoint());
      ResizeTo(std::max(m_cxMin, p.x()));
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (m_forwarding) {
        m_forwarding = false;
        Forward(event);
        return true;
      }
      if (!m_resizing) return false;
      m_resizing = false;
      return true;
    default: break;
  }
  (void)watched;
  return false;
}

const SECButtonClass* SECComboBtn::GetButtonClass() const {
  static const SECButtonClass kClass{[]() -> SECStdBtn* { return new SECComboBtn; }};
  return &kClass;
}

QComboBox* SECComboBtn::Combo() const { return qobject_cast<QComboBox*>(GetWnd()); }

bool SECComboBtn::PopUpChoices(QPoint screenPos) {
  QComboBox* combo = Combo();
  if (!combo || combo->count() == 0) return false;
  auto* menu = new QMenu(combo);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setObjectName("ComboChoices");
  for (int i = 0; i < combo->count(); ++i) {
    QAction* a = menu->addAction(combo->itemText(i));
    a->setCheckable(true);
    a->setChecked(i == combo->currentIndex());
    QPointer<QComboBox> box(combo);
    QObject::connect(a, &QAction::triggered, combo, [box, i] {
      if (!box || i >= box->count()) return;
      box->setCurrentIndex(i);
      emit box->activated(i);
    });
  }
  menu->popup(screenPos);
  return true;
}

QWidget* SECComboBtn::CreateWnd(QWidget* parent, std::uint32_t style) {
  auto* combo = new QComboBox(parent);
  // No combo type bits means a drop-down list.
  combo->setEditable((style & 0x3) == CBS_DROPDOWN);
  combo->setFont(DefaultGuiFont());
  combo->setMaxVisibleItems(std::max(4, m_cyWnd / 16));
  return combo;
}

}  // namespace pm2
