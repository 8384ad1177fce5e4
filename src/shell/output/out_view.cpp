#include "shell/output/out_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "builder/runner/build_log.h"
#include "project/model/app_state.h"
#include "shell/output/out_view_paint.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

COutView::COutView(PaneKind kind, BuildLog* log, ShellServices& shell, QWidget* parent)
    : QWidget(parent), kind_(kind), log_(log), shell_(shell), rules_(kind, *this, log), font_(DefaultFont()) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Relayout();
}

COutView::~COutView() {
  if (kind_ == PaneKind::kBuild && log_) log_->CloseWithoutTrailer();
}

QFont COutView::DefaultFont() {
  QFont f("DejaVu Sans Mono");
  f.setStyleHint(QFont::TypeWriter);
  f.setPixelSize(12);
  return f;
}

void COutView::ApplyFont(const QFont* font) {
  font_ = font && !font->family().isEmpty() ? *font : DefaultFont();
  Relayout();
}

void COutView::Relayout() {
  const QFontMetrics fm(font_);
  OutputListMetrics m;
  m.lineHeight = fm.height() + 1;
  m.charWidth = fm.averageCharWidth();
  m.exactCharWidth = QFontMetricsF(font_).averageCharWidth();
  m.clientWidth = width();
  m.clientHeight = height();
  model_.SetMetrics(m);
  SyncScrollBars();
  update();
}

// ---------------------------------------------------------------- sink

void COutView::Clear() {
  model_.Clear();
  redraw_ = true;
  dirty_ = false;
  update();
  SyncScrollBars();
}

void COutView::SetRedraw(bool on) {
  if (redraw_ == on) return;
  redraw_ = on;
  if (on && dirty_) {
    dirty_ = false;
    SyncScrollBars();
    update();
  }
}

void COutView::AddLine(std::string text) {
  model_.AddLine(std::move(text));
  Changed();
}

void COutView::LongestLineChanged(size_t chars) {
  model_.SetLongest(chars);
  Changed();
}

void COutView::Changed() {
  if (!redraw_) {
    dirty_ = true;
    return;
  }
  SyncScrollBarsLater();
}

void COutView::SyncScrollBarsLater() {
  // The first change of a lot asks for the repaint as well; the paint reads
  // the model as it is then.
  if (barsPending_) return;
  barsPending_ = true;
  update();
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!barsPending_) return;
        SyncScrollBars();
        update();
      },
      Qt::QueuedConnection);
}

// ---------------------------------------------------------------- bars

QScrollBar* COutView::Bar(int bar) const {
  auto* tabs = dynamic_cast<SECTabWnd*>(parentWidget());
  if (!tabs || tabs->GetActiveWnd() != this) return nullptr;
  return tabs->GetScrollBar(bar, const_cast<COutView*>(this));
}

void COutView::SyncScrollBars() {
  barsPending_ = false;
  syncing_ = true;
  auto put = [](QScrollBar* bar, const OutputScrollRange& r) {
    if (!bar) return;
    if (bar->minimum() != r.min || bar->maximum() != r.max) bar->setRange(r.min, r.max);
    if (bar->pageStep() != r.page) bar->setPageStep(r.page);
    if (bar->singleStep() != r.singleStep) bar->setSingleStep(r.singleStep);
    if (bar->value() != r.pos) bar->setValue(r.pos);
  };
  put(Bar(0), model_.HorzRange());
  put(Bar(1), model_.VertRange());
  syncing_ = false;
}

void COutView::OnTabWndScroll(int bar, int value) {
  if (syncing_) return;
  if (bar == 0) model_.SetHorzPos(value);
  else model_.SetTopIndex(value);
  // Moved before the queued sync: the bars still have the ranges from
  // before the last lines arrived.
  if (barsPending_) SyncScrollBars();
  update();
}

// ---------------------------------------------------------------- commands

void COutView::JumpToMessageSource(int index, int mode) {
  if (!jump_) {
    if (mode == 0) shell_.Beep();
    return;
  }
  pm2::JumpToMessageSource(model_.Lines(), index, mode, shell_, *jump_);
}

bool COutView::Copy() {
  if (model_.SelectedCount() == 0) return false;
  QApplication::clipboard()->setText(ToQString(model_.SelectedText()));
  return true;
}

bool COutView::FindNext(const std::string& text, const FindOptions& options) {
  const int hit = FindOutputLine(model_.Lines(), model_.FirstSelected(), text, options, shell_);
  if (hit < 0) return false;
  model_.SelectOnly(hit);
  SyncScrollBars();
  update();
  return true;
}

// ---------------------------------------------------------------- events

void COutView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  PaintOutputLines(p, model_, font_, e->rect(), hasFocus());
}

void COutView::resizeEvent(QResizeEvent*) { Relayout(); }

void COutView::showEvent(QShowEvent*) {
  // The bars were another page's while this one was hidden.
  SyncScrollBars();
}

void COutView::keyPressEvent(QKeyEvent* e) {
  static constexpr struct {
    int key;
    OutputCaretMove move;
  } kMoves[] = {{Qt::Key_Up, OutputCaretMove::kUp},         {Qt::Key_Down, OutputCaretMove::kDown},
                {Qt::Key_PageUp, OutputCaretMove::kPageUp}, {Qt::Key_PageDown, OutputCaretMove::kPageDown},
                {Qt::Key_Home, OutputCaretMove::kHome},     {Qt::Key_End, OutputCaretMove::kEnd}};
  const bool shift = e->modifiers() & Qt::ShiftModifier, ctrl = e->modifiers() & Qt::ControlModifier;
  for (const auto& m : kMoves) {
    if (m.key != e->key()) continue;
    model_.MoveCaret(m.move, shift, ctrl);
    SyncScrollBars();
    update();
    return;
  }
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      SyncScrollBars();
      JumpToMessageSource(model_.CurrentLine(), 0);
      return;
    case Qt::Key_Space:
      model_.SpaceAtCaret(ctrl);
      update();
      return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int step = model_.Metrics().charWidth * (e->key() == Qt::Key_Left ? -1 : 1);
      model_.SetHorzPos(model_.HorzPos() + step);
      SyncScrollBars();
      update();
      return;
    }
    case Qt::Key_F1:
      e->accept();  // the help runs when the key is released
      return;
    default:
      QWidget::keyPressEvent(e);
  }
}

void COutView::keyReleaseEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1 && !e->isAutoRepeat()) {
    JumpToMessageSource(model_.CurrentLine(), 1);
    return;
  }
  QWidget::keyReleaseEvent(e);
}

void COutView::mousePressEvent(QMouseEvent* e) {
  setFocus(Qt::MouseFocusReason);
  if (e->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(e);
    return;
  }
  const int index = model_.HitTest(int(e->position().y()));
  if (index < 0) return;
  model_.Click(index, e->modifiers() & Qt::ShiftModifier, e->modifiers() & Qt::ControlModifier);
  dragging_ = !(e->modifiers() & Qt::ControlModifier);
  update();
}

void COutView::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return;
  const int y = int(e->position().y());
  int index = model_.HitTest(y);
  if (index < 0) index = y < 0 ? model_.TopIndex() - 1 : model_.Count() - 1;
  model_.DragTo(index);
  SyncScrollBars();
  update();
}

void COutView::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void COutView::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press selects like the first, then the line is followed.
  mousePressEvent(e);
  if (e->button() != Qt::LeftButton || model_.HitTest(int(e->position().y())) < 0) return;
  dragging_ = false;
  JumpToMessageSource(model_.CurrentLine(), 0);
}

void COutView::wheelEvent(QWheelEvent* e) {
  const int notches = e->angleDelta().y() / 120;
  if (notches == 0) return;
  const int step = (e->modifiers() & Qt::ControlModifier) ? model_.VisibleLines() : 1;
  model_.SetTopIndex(model_.TopIndex() - notches * step);
  SyncScrollBars();
  update();
}

void COutView::focusInEvent(QFocusEvent*) { update(); }
void COutView::focusOutEvent(QFocusEvent*) { update(); }

}  // namespace pm2
