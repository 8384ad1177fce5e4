#include "toolkit/dockable/max_child_buttons.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

// The maximised child as the filters see it: its styles from its window
// flags, its state, and the system commands it carries out. Held as a
// widget: once its destruction has begun it is no sub-window any more.
class MaxChildCaptionButtons::ChildWindow : public FilterWindow {
 public:
  explicit ChildWindow(QMdiSubWindow* w) : m_w(w) {}
  QMdiSubWindow* Window() const { return qobject_cast<QMdiSubWindow*>(m_w.data()); }

  std::uint32_t Style() const override {
    if (!m_w) return 0;
    const Qt::WindowFlags f = m_w->windowFlags();
    // A child without any button hint has them all.
    const bool all = !(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint));
    std::uint32_t s = WS_CAPTION_BITS | WS_SYSMENU_BIT | WS_THICKFRAME_BIT;
    if (all || (f & Qt::WindowMinimizeButtonHint)) s |= WS_MINIMIZEBOX_BIT;
    if (all || (f & Qt::WindowMaximizeButtonHint)) s |= WS_MAXIMIZEBOX_BIT;
    return s;
  }
  std::uint32_t ExStyle() const override { return 0; }
  bool IsIconic() const override { return m_w && m_w->isMinimized(); }
  bool IsZoomed() const override { return m_w && m_w->isMaximized(); }
  bool IsCloseDisabled() const override {
    if (!m_w) return true;
    const Qt::WindowFlags f = m_w->windowFlags();
    const bool any = f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    return any && !(f & Qt::WindowCloseButtonHint);
  }
  bool Exists() const override { return !m_w.isNull(); }
  Size WindowSize() const override { return m_w ? Size{m_w->width(), m_w->height()} : Size{}; }
  const CaptionMetrics& Metrics() const override { return m_metrics; }
  void PostMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t) override {
    QPointer<QMdiSubWindow> w = Window();
    if (!w || msg != wm::SysCommand) return;
    QTimer::singleShot(0, w, [w, wParam] {
      if (!w) return;
      if (wParam == SC_MINIMIZE_CMD) w->showMinimized();
      else if (wParam == SC_MAXIMIZE_CMD) w->showMaximized();
      else if (wParam == SC_RESTORE_CMD) w->showNormal();
      else if (wParam == SC_CLOSE_CMD) w->close();
    });
  }
  std::intptr_t SendMessage(unsigned, std::uintptr_t, std::intptr_t) override { return 0; }
  std::unique_ptr<FilterTimer> StartTimer(int, std::function<void()>) override { return nullptr; }

 private:
  QPointer<QWidget> m_w;
  CaptionMetrics m_metrics;
};

MaxChildCaptionButtons::MaxChildCaptionButtons(QWidget* frame, QMdiArea* mdi)
    : QWidget(frame), m_frame(frame), m_mdi(mdi), m_place(this, 0, 0), m_wnd(&m_place, this) {
  m_place.SetSender([](unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; },
                    [](unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
  m_filters = std::make_unique<SECMsgFilter>(&m_wnd, -1);
  m_filters->ApplyDescriptors(MdiFrameDescriptors(nullptr, this), true);
  // A maximised child leaves its title bar to the frame, which shows its
  // buttons here.
  frame->setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar);
  frame->installEventFilter(this);
  QObject::connect(mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    Watch(w);
    Reposition();
  });
  hide();
}

MaxChildCaptionButtons::~MaxChildCaptionButtons() {
  if (m_frame) m_frame->removeEventFilter(this);
}

void MaxChildCaptionButtons::Watch(QMdiSubWindow* w) {
  if (m_watched == w) return;
  if (m_watched) m_watched->removeEventFilter(this);
  m_watched = w;
  m_child = std::make_unique<ChildWindow>(w);
  if (w) w->installEventFilter(this);
}

FilterWindow* MaxChildCaptionButtons::MaximisedChild() const {
  return m_child && m_child->Window() && m_child->Window()->isMaximized() ? m_child.get() : nullptr;
}

SECCaptionControlListMsgFilter* MaxChildCaptionButtons::List() const {
  return dynamic_cast<SECCaptionControlListMsgFilter*>(m_filters->FindFilter(256, nullptr, 0));
}

QPoint MaxChildCaptionButtons::WindowInFrame() const {
  const CaptionMetrics& mt = m_place.Metrics();
  return QPoint(-mt.cxFrame, -(mt.cyFrame + mt.cyCaption));
}

void MaxChildCaptionButtons::PlaceWindow(QPoint strip) {
  // The child's window stands around the frame's client area with its
  // caption just above it, so the buttons land in the first row of the
  // frame (the menu row), 2 pixels in from the right.
  const QPoint w = WindowInFrame();
  const int bx = -w.x(), by = -w.y();
  m_place.SetWindowOffset(w - strip);
  m_place.SetClientOffset(strip - w);
  m_place.SetExtraSize(QSize(m_frame->width() - width() + 2 * bx, m_frame->height() - height() + by + m_place.Metrics().cyFrame));
}

QRect MaxChildCaptionButtons::ButtonRect(int kind) const {
  SECCaptionControlListMsgFilter* list = List();
  if (!list || !MaximisedChild()) return {};
  list->LayoutControls();
  auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(list->FindFilter(kind, nullptr, 0));
  if (!ctl || !ctl->IsEnabled() || ctl->ButtonRect().IsEmpty()) return {};
  return ToQRect(ctl->ButtonRect()).translated(WindowInFrame());
}

void MaxChildCaptionButtons::SetMenuBarMode(bool on) {
  m_menuBarMode = on;
  Reposition();
}

void MaxChildCaptionButtons::Reposition() {
  SECCaptionControlListMsgFilter* list = List();
  if (m_menuBarMode || !list || !MaximisedChild()) {
    hide();
    return;
  }
  // Lay out, then move the strip over the buttons (frame coordinates).
  setGeometry(0, 0, 0, 0);
  PlaceWindow(QPoint(0, 0));
  list->LayoutControls();
  QRect all;
  for (const auto& c : list->Children()) {
    auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
    if (ctl && ctl->IsEnabled() && !ctl->ButtonRect().IsEmpty()) all |= ToQRect(ctl->ButtonRect());
  }
  if (all.isEmpty()) {
    hide();
    return;
  }
  setGeometry(all.translated(WindowInFrame()));
  PlaceWindow(pos());
  list->LayoutControls();
  show();
  raise();
  update();
}

void MaxChildCaptionButtons::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), SysQColor(SysColor::BtnFace));
  SECCaptionControlListMsgFilter* list = List();
  if (!list) return;
  for (const auto& c : list->Children()) {
    auto* ctl = dynamic_cast<SECCaptionControlMsgFilter*>(c.get());
    if (ctl && ctl->IsEnabled() && !ctl->ButtonRect().IsEmpty())
      PaintCaptionButton(p, ToQRect(ctl->ButtonRect()).translated(WindowInFrame() - pos()), ctl->Type(), ctl->State());
  }
}

unsigned MaxChildCaptionButtons::Give(unsigned msg, std::uintptr_t wParam, QPoint point) {
  return m_filters->Filter(FilterMessage{msg, wParam, 0, Point{point.x(), point.y()}}, nullptr);
}

void MaxChildCaptionButtons::mousePressEvent(QMouseEvent* e) {
  const unsigned msg = e->button() == Qt::RightButton ? wm::NcRButtonDown : wm::NcLButtonDown;
  Give(msg, kHitMenu, e->globalPosition().toPoint());
}

void MaxChildCaptionButtons::mouseMoveEvent(QMouseEvent* e) { Give(wm::MouseMove, 0, e->position().toPoint()); }

void MaxChildCaptionButtons::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) Give(wm::LButtonUp, 0, e->position().toPoint());
}

void MaxChildCaptionButtons::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) Give(wm::NcRButtonDblClk, kHitMenu, e->globalPosition().toPoint());
  else mousePressEvent(e);
}

bool MaxChildCaptionButtons::eventFilter(QObject* o, QEvent* e) {
  const QEvent::Type t = e->type();
  if ((o == m_frame && t == QEvent::Resize) ||
      (o == m_watched && (t == QEvent::WindowStateChange || t == QEvent::Hide || t == QEvent::Show ||
                          t == QEvent::ParentChange))) {
    // After Qt has finished with the state change.
    QTimer::singleShot(0, this, [this] { Reposition(); });
  }
  return QWidget::eventFilter(o, e);
}

}  // namespace pm2
