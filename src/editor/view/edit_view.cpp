#include "editor/view/edit_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLayout>
#include <algorithm>
#include <cmath>
#include <QDateTime>
#include <QDrag>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMimeData>
#include <QMetaMethod>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include "editor/view/edit_keys_qt.h"
#include "editor/view/qt_clipboard.h"
#include "editor/view/edit_view_paint.h"
#include "editor/view/margin_cursor.h"

namespace pm2 {

namespace {
// The window a running text drag started from; a drop compares itself with
// it to recognise a move inside one window. One drag runs at a time.
EditView* g_dragSource = nullptr;

constexpr int kWheelLines = 3;

// Scroll-bar actions as the engine's scroll request codes.
struct ActionRow {
  int action;
  int code;
};
constexpr ActionRow kActions[] = {
    {QAbstractSlider::SliderSingleStepSub, 0}, {QAbstractSlider::SliderSingleStepAdd, 1},
    {QAbstractSlider::SliderPageStepSub, 2},   {QAbstractSlider::SliderPageStepAdd, 3},
    {QAbstractSlider::SliderMove, 5},
};
}  // namespace

EditView::EditView(CEditTextBuffer* text, EditShared* shared, QWidget* parent)
    : QAbstractScrollArea(parent), m_text(text), m_shared(shared) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
  m_engine = std::make_unique<EditEngine>(text, shared, this);
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int a) { OnScrollAction(Qt::Vertical, a); });
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int a) { OnScrollAction(Qt::Horizontal, a); });
  ApplyTextFont();
}

EditView::~EditView() {
  if (g_dragSource == this) g_dragSource = nullptr;
  DetachShared();
}

void EditView::DetachShared() {
  if (m_shared && m_shared->pLastFocus == m_engine.get()) m_shared->pLastFocus = nullptr;
  m_shared = nullptr;
}

void EditView::ApplyTextFont() {
  QFont f(QString::fromStdString(m_text->m_fontFace));
  f.setPointSize(std::max(m_text->m_nFontSize, 1));
  f.setWeight(QFont::Weight(std::clamp(m_text->m_nFontWeight, 100, 900)));
  f.setItalic(m_text->m_bItalic != 0);
  SetEditorFont(f);
}

bool IsFixedPitchFont(const QFont& font) {
  QFontInfo info(font);
  if (info.fixedPitch() || QFontDatabase::isFixedPitch(info.family())) return true;
  // Some monospace fonts do not say so: equal advances decide.
  QFontMetricsF fm(font);
  return fm.horizontalAdvance(QLatin1Char('i')) == fm.horizontalAdvance(QLatin1Char('W'));
}

void EditView::SetEditorFont(const QFont& font) {
  QFont f = font;
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setKerning(false);
  if (!IsFixedPitchFont(f)) {
    // The system's fixed font, else the first installed fixed-pitch family:
    // a fallback that is itself proportional would give ragged columns.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!IsFixedPitchFont(fixed)) {
      const QStringList families = QFontDatabase::families();
      for (const QString& family : families)
        if (QFontDatabase::isFixedPitch(family)) {
          fixed = QFont(family);
          break;
        }
    }
    fixed.setPointSize(f.pointSize() > 0 ? f.pointSize() : fixed.pointSize());
    fixed.setWeight(f.weight());
    fixed.setItalic(f.italic());
    f = fixed;
  }
  // Cells are whole pixels: the letter spacing makes every character's
  // advance exactly one cell, so that runs drawn at cell positions meet.
  qreal advance = QFontMetricsF(f).horizontalAdvance(QLatin1Char('x'));
  int cell = std::max(int(std::ceil(advance - 0.01)), 1);
  if (cell - advance > 0.01) f.setLetterSpacing(QFont::AbsoluteSpacing, cell - advance);
  m_font = f;
  QFontMetrics fm(m_font);
  m_ascent = fm.ascent();
  m_engine->SetMetrics(cell, std::max(fm.lineSpacing(), 1));
  m_engine->SetClientSize(viewport()->width(), viewport()->height());
  m_engine->UpdateCaret();
  viewport()->update();
}

void EditView::ResetView() {
  m_engine->InitView();
  m_engine->SetClientSize(viewport()->width(), viewport()->height());
  m_engine->UpdateCaret();
  viewport()->update();
}

// ---- EditHost ----

void EditView::InvalidateAll() { viewport()->update(); }

void EditView::InvalidateRect(int x, int y, int width, int height) {
  viewport()->update(QRect(x, y, width, height));
}

void EditView::PlaceCaret(int x, int y, bool visible) {
  if (!m_engine) return;
  QRect next = visible ? QRect(x, y, 2, m_engine->State().nLineHeight) : QRect();
  if (next == m_caret) return;
  if (!m_caret.isEmpty()) viewport()->update(m_caret);
  m_caret = next;
  if (!m_caret.isEmpty()) viewport()->update(m_caret);
}

void EditView::ScrollBarsChanged() {
  if (!m_engine || m_syncingBars) return;
  m_syncingBars = true;
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, m_engine->VScrollMax());
  v->setPageStep(m_engine->VScrollPage());
  v->setSingleStep(1);
  v->setValue(m_engine->VScrollPos());
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, kMaxLineColumns);
  h->setPageStep(32);
  h->setValue(m_engine->State().nLeftCol);
  m_syncingBars = false;
}

void EditView::CaretPlaced() {
  const EditState& s = m_engine->State();
  if (s.nCaretLine == m_placedLine && s.nCaretCol == m_placedCol) return;
  m_placedLine = s.nCaretLine;
  m_placedCol = s.nCaretCol;
  emit caretMoved();
}

void EditView::ShowMessage(int id, const std::string& text) {
  // The owner that shows the message beeps with its box; a view nobody
  // listens to at least beeps.
  if (!isSignalConnected(QMetaMethod::fromSignal(&EditView::message))) QApplication::beep();
  emit message(id, QString::fromLatin1(text.data(), qsizetype(text.size())));
}

void EditView::Notify(int hint) {
  if (hint == kHintCaretMoved)
    emit caretMoved();
  else
    emit textChanged();
}

void EditView::OnScrollAction(Qt::Orientation o, int action) {
  if (m_syncingBars) return;
  int code = -1;
  for (const ActionRow& r : kActions)
    if (r.action == action) code = r.code;
  if (code < 0) return;
  QScrollBar* bar = o == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
  if (o == Qt::Vertical)
    m_engine->OnVScroll(code, bar->sliderPosition());
  else
    m_engine->OnHScroll(code, bar->sliderPosition());
  // The engine decides where the bar stands.
  bar->setSliderPosition(o == Qt::Vertical ? m_engine->VScrollPos() : m_engine->State().nLeftCol);
}

// ---- events ----

void EditView::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  PaintEditRows(p, *m_engine, e->rect(), m_font, m_ascent, m_caret, m_dropCaret, m_marginPainter);
}

void EditView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  m_engine->SetClientSize(viewport()->width(), viewport()->height());
}

bool EditView::focusNextPrevChild(bool) { return false; }  // Tab is a command here

void EditView::keyPressEvent(QKeyEvent* e) {
  // Shift+F10 asks for the context menu as the Menu key does; the platform
  // turns only the latter into a context-menu event.
  if (e->key() == Qt::Key_F10 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
    const QPoint at = KeyboardMenuPoint();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, viewport()->mapTo(this, at), viewport()->mapToGlobal(at),
                           e->modifiers());
    QCoreApplication::sendEvent(this, &menu);
    e->accept();
    return;
  }
  EditKey key = EditKeyFromQt(e->key());
  uint32_t mods = EditModsFromQt(unsigned(e->modifiers()));
  if (key != kKeyNone && m_engine->OnKey(key, mods)) {
    e->accept();
    return;
  }
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    m_engine->OnChar(13);
  } else if (e->key() == Qt::Key_Escape) {
    m_engine->OnChar(27);
  } else if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !e->text().isEmpty()) {
    for (QChar ch : e->text()) {
      ushort u = ch.unicode();
      if (u >= 32 && u <= 255) m_engine->OnChar(int(u));
    }
  } else {
    QAbstractScrollArea::keyPressEvent(e);
    return;
  }
  e->accept();
}

void EditView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  QPoint pt = e->position().toPoint();
  m_lastMouse = pt;
  bool drag = m_engine->OnLButtonDown(pt.x(), pt.y(), e->modifiers() & Qt::ShiftModifier,
                                      e->modifiers() & Qt::AltModifier);
  if (drag) {
    m_dragPending = true;
    m_pressPoint = pt;
    return;
  }
  if (m_engine->State().bCapture) m_dragTimer.start(kDragTimerMs, this);
}

void EditView::mouseMoveEvent(QMouseEvent* e) {
  QPoint pt = e->position().toPoint();
  m_lastMouse = pt;
  if (m_dragPending && (e->buttons() & Qt::LeftButton)) {
    if ((pt - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
      m_dragPending = false;
      StartTextDrag();
    }
    return;
  }
  if (m_engine->State().bCapture && (e->buttons() & Qt::LeftButton))
    m_engine->OnMouseMove(pt.x(), pt.y());
  UpdateCursorShape(pt);
}

void EditView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  QPoint pt = e->position().toPoint();
  m_dragTimer.stop();
  if (m_dragPending) {
    m_dragPending = false;
    m_engine->DragFinished(false, pt.x(), pt.y());
    return;
  }
  m_engine->OnLButtonUp(pt.x(), pt.y());
}

void EditView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  m_dragTimer.stop();
  m_engine->OnLButtonDblClk(int(e->position().x()), int(e->position().y()));
}

void EditView::wheelEvent(QWheelEvent* e) {
  int steps = e->angleDelta().y() / 120;
  for (int i = 0; i < std::abs(steps) * kWheelLines; ++i)
    steps > 0 ? m_engine->ScrollLineUp() : m_engine->ScrollLineDown();
  e->accept();
}

void EditView::timerEvent(QTimerEvent* e) {
  if (e->timerId() == m_dropScrollTimer.timerId()) {
    DropScrollTick();
    return;
  }
  if (e->timerId() != m_dragTimer.timerId()) return;
  if (!m_engine->State().bCapture) {
    m_dragTimer.stop();
    return;
  }
  m_engine->OnTimerTick(m_lastMouse.x(), m_lastMouse.y());
}

void EditView::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  m_engine->OnSetFocus();
}

void EditView::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  m_engine->OnKillFocus();
}

bool EditView::viewportEvent(QEvent* e) {
  // Wheel events go to the engine's line scrolling, not the scroll bar.
  if (e->type() == QEvent::Wheel) {
    wheelEvent(static_cast<QWheelEvent*>(e));
    return true;
  }
  return QAbstractScrollArea::viewportEvent(e);
}

void EditView::UpdateCursorShape(const QPoint& p) {
  if (m_engine->IsPointInMargin(p.x()))
    viewport()->setCursor(EditMarginCursor());
  else if (m_engine->IsPointInSelection(p.x(), p.y()))
    viewport()->setCursor(Qt::ArrowCursor);
  else
    viewport()->setCursor(Qt::IBeamCursor);
}

// ---- context menu ----

namespace {
struct MenuRow {
  int command;  // 0: a separator
  const char* label;
};
constexpr MenuRow kMenu[] = {
    {kCmdEditUndo, "&Undo"},   {kCmdEditRedo, "&Redo"},   {0, nullptr},
    {kCmdEditCut, "Cu&t"},     {kCmdEditCopy, "&Copy"},   {kCmdEditPaste, "&Paste"},
    {0, nullptr},              {kCmdToggleBookmark, "Toggle &Bookmark"},
};
}  // namespace

bool EditView::BuildContextMenu(QMenu& menu) {
  for (const MenuRow& row : kMenu) {
    if (!row.command) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(QString::fromLatin1(row.label));
    a->setData(row.command);  // the command, for whoever draws the menu
    a->setEnabled(m_engine->IsCommandEnabled(row.command));
    int id = row.command;
    connect(a, &QAction::triggered, this, [this, id] { m_engine->RunCommand(id); });
  }
  return true;
}

QPoint EditView::KeyboardMenuPoint() const {
  const EditEngine::ClientPoint caret = m_engine->CaretClientPoint();
  const int right = std::max(0, viewport()->width() - 1), bottom = std::max(0, viewport()->height() - 1);
  const int x = std::clamp(caret.x, std::min(m_engine->State().nLeftMargin, right), right);
  const int y = std::clamp(caret.y + m_engine->State().nLineHeight, 0, bottom);
  return QPoint(x, y);
}

void EditView::contextMenuEvent(QContextMenuEvent* e) {
  QPoint at = e->pos();
  if (e->reason() == QContextMenuEvent::Keyboard) {
    at = KeyboardMenuPoint();  // the caret stays where it is
  } else {
    at = viewport()->mapFrom(this, e->pos());
    m_engine->PointToCaretNearest(at.x(), at.y());
  }
  // On the heap: what the menu's loop takes up (a close posted just before
  // the click, Exit's) may close the window, and the view's children go
  // with it; a menu on this frame's stack was then freed a second time.
  QPointer<QMenu> menu = new QMenu(this);
  if (BuildContextMenu(*menu)) menu->exec(viewport()->mapToGlobal(at));
  delete menu;  // null when it went with the view
}

// ---- drag and drop ----

void EditView::StartTextDrag() {
  bool column = false;
  std::string text = m_engine->GetSelectedText(&column);
  if (column) text = std::string(kColumnBlockMarker) + "\r\n" + text;
  auto* data = new QMimeData;
  PutEditText(data, text);
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  g_dragSource = this;
  m_droppedOnSelf = false;
  Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  g_dragSource = nullptr;
  // A move into an editor window took the text away in the drop; a move
  // into another program takes it away here.
  if (action == Qt::MoveAction && !m_droppedOnSelf && m_engine->HasSelection())
    m_engine->DeleteSelection(true);
  if (action == Qt::IgnoreAction) m_engine->DragFinished(false, m_lastMouse.x(), m_lastMouse.y());
}

void EditView::dragEnterEvent(QDragEnterEvent* e) {
  if (!HasEditText(e->mimeData()) || m_text->IsReadOnly()) {
    e->ignore();
    return;
  }
  e->setDropAction(e->modifiers() & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
  e->accept();
}

void EditView::dragMoveEvent(QDragMoveEvent* e) {
  if (!HasEditText(e->mimeData()) || m_text->IsReadOnly()) {
    e->ignore();
    return;
  }
  const EditState& s = m_engine->State();
  QPoint pt = e->position().toPoint();
  // Hovering at an edge scrolls, first after a short delay, then at a
  // steady pace while the point rests there (the timer keeps it going).
  m_dropPoint = pt;
  if (DragScrollCode(pt.x(), pt.y(), viewport()->width(), viewport()->height(), kDragScrollInset) !=
      kNoDragScroll) {
    if (!m_dropScrollTimer.isActive()) m_dropScrollTimer.start(kDragScrollIntervalMs / 2, this);
    DropScrollTick();
  }
  int cw = std::max(s.nCharWidth, 1);
  int col = std::max((pt.x() - s.nLeftMargin + cw / 2) / cw, 0);
  int row = std::max(pt.y() / std::max(s.nLineHeight, 1), 0);
  if ((row + 1) * s.nLineHeight > s.nTextHeight && row > 0) --row;
  QRect next(col * cw + s.nLeftMargin, row * s.nLineHeight, 2, s.nLineHeight);
  if (next != m_dropCaret) {
    viewport()->update(m_dropCaret);
    m_dropCaret = next;
    viewport()->update(m_dropCaret);
  }
  e->setDropAction(e->modifiers() & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
  e->accept();
}

void EditView::DropScrollTick() {
  uint16_t code =
      DragScrollCode(m_dropPoint.x(), m_dropPoint.y(), viewport()->width(), viewport()->height(), kDragScrollInset);
  qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (code == kNoDragScroll) {
    m_dropScroll.Tick(code, now);
    m_dropScrollTimer.stop();
    return;
  }
  // Only when the window can scroll that way.
  int h = DragScrollHorizontal(code), v = DragScrollVertical(code);
  if (!m_engine->OnDragScroll(h, v, false)) return;
  if (m_dropScroll.Tick(code, now)) m_engine->OnDragScroll(h, v, true);
}

void EditView::dragLeaveEvent(QDragLeaveEvent*) {
  m_dropScrollTimer.stop();
  m_dropScroll.Reset();
  viewport()->update(m_dropCaret);
  m_dropCaret = QRect();
}

void EditView::dropEvent(QDropEvent* e) {
  m_dropScrollTimer.stop();
  m_dropScroll.Reset();
  viewport()->update(m_dropCaret);
  m_dropCaret = QRect();
  std::optional<std::string> text = TakeEditText(e->mimeData());
  EditView* source = g_dragSource;
  bool move = !(e->modifiers() & Qt::ControlModifier);
  QPoint pt = e->position().toPoint();
  if (!text || !m_engine->DropText(pt.x(), pt.y(), *text, move, source ? source->m_engine.get() : nullptr)) {
    e->ignore();
    return;
  }
  if (source) source->m_droppedOnSelf = true;
  e->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
  e->accept();
  setFocus();
}

// ---- the control with its own text ----

EditControl::EditControl(QWidget* parent, EditEnvironment env)
    : EditControl(std::make_unique<CEditTextBuffer>(std::move(env)), std::make_unique<EditShared>(),
                  parent) {}

EditControl::EditControl(std::unique_ptr<CEditTextBuffer> text, std::unique_ptr<EditShared> shared,
                         QWidget* parent)
    : EditView(text.get(), shared.get(), parent),
      m_ownText(std::move(text)),
      m_ownShared(std::move(shared)) {}

EditControl::~EditControl() { DetachShared(); }

void EditControl::SetLanguage(const std::string& section) {
  Text().SetProfileSection(section);
  Text().LoadSettings();
  Engine().TextChangedFrom(1);
  ApplyTextFont();
}

int EditControl::Open(const std::string& path) {
  int rc = Text().LoadFile(path);
  ResetView();
  return rc;
}

int EditControl::Save(const std::string& path) { return Text().SaveFile(path); }

bool EditControl::IsModified() const { return m_ownText->IsModified() != 0; }

void EditControl::GotoLine(int lineNumber, int column) { Engine().GotoLine(lineNumber, column); }

}  // namespace pm2

namespace pm2 {

void EditControl::keyPressEvent(QKeyEvent* e) {
  EditView::keyPressEvent(e);
  if (e->key() != Qt::Key_Escape) return;
  if (auto* dialog = qobject_cast<QDialog*>(window()); dialog && window() != this) dialog->reject();
}

}  // namespace pm2
