#include "toolkit/controls/list_box_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleHints>
#include <QToolTip>

#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"

namespace pm2 {
namespace {

constexpr int kBitmapW = 16;
constexpr int kBitmapH = 14;
constexpr unsigned kTipIds[4] = {kIdsListEditNew, kIdsListEditDelete, kIdsListEditUp, kIdsListEditDown};

// The strip's glyphs, drawn in the classic colours.
void DrawGlyph(QPainter& p, SECListBoxEditor::Button b, const QRect& r) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  const QPoint c = r.center();
  switch (b) {
    case SECListBoxEditor::kNew: {
      // A dotted box with a star: a new entry.
      QPen pen(SysQColor(SysColor::BtnText));
      pen.setStyle(Qt::DotLine);
      p.setPen(pen);
      p.drawRect(QRect(c.x() - 6, c.y() - 3, 10, 7));
      p.setPen(QColor(200, 150, 0));
      p.drawLine(c.x() + 3, c.y() - 6, c.x() + 3, c.y() - 2);
      p.drawLine(c.x() + 1, c.y() - 4, c.x() + 5, c.y() - 4);
      p.drawLine(c.x() + 1, c.y() - 6, c.x() + 5, c.y() - 2);
      p.drawLine(c.x() + 1, c.y() - 2, c.x() + 5, c.y() - 6);
      break;
    }
    case SECListBoxEditor::kDelete: {
      QPen pen(QColor(192, 0, 0), 2);
      p.setPen(pen);
      p.drawLine(c.x() - 4, c.y() - 4, c.x() + 3, c.y() + 3);
      p.drawLine(c.x() + 3, c.y() - 4, c.x() - 4, c.y() + 3);
      break;
    }
    case SECListBoxEditor::kUp:
    case SECListBoxEditor::kDown: {
      const int dir = b == SECListBoxEditor::kUp ? -1 : 1;
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 96, 0));
      QPolygon tri;
      tri << QPoint(c.x() - 4, c.y() - dir) << QPoint(c.x() + 4, c.y() - dir) << QPoint(c.x(), c.y() + 4 * dir - dir);
      if (dir < 0) tri = QPolygon() << QPoint(c.x() - 4, c.y() + 1) << QPoint(c.x() + 4, c.y() + 1) << QPoint(c.x(), c.y() - 3);
      p.drawPolygon(tri);
      p.fillRect(QRect(c.x() - 1, dir < 0 ? c.y() + 1 : c.y() - 4, 3, 4), QColor(0, 96, 0));
      break;
    }
  }
  p.restore();
}

}  // namespace

// --- in-place edit ----------------------------------------------------------------------

SECListBoxEdit::SECListBoxEdit(SECListBoxEditor* editor, QWidget* parent) : QLineEdit(parent), m_editor(editor) {
  setObjectName("SECListBoxEdit");
}

void SECListBoxEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      m_editor->AcceptEdit(FromQString(text()));
      return;
    case Qt::Key_Escape:
      m_editor->CancelEdit();
      return;
    case Qt::Key_F2:
      if (m_editor->BrowseButton()) {
        m_editor->BrowseButton()->setFocus();
        m_editor->BrowseButton()->click();
      }
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!(e->modifiers() & Qt::ShiftModifier) || e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
        m_editor->AcceptAndForward(e);
        return;
      }
      break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      const bool back = e->key() == Qt::Key_Backtab;
      m_editor->AcceptEdit(FromQString(text()));
      m_editor->MoveFocusFromList(back);
      return;
    }
    case Qt::Key_Space: {
      if (m_editor->SpacesAllowed()) break;
      const bool hadSelection = hasSelectedText();
      const int caret = cursorPosition();
      QLineEdit::keyPressEvent(e);
      if (m_editor->SpaceEndsEntry(FromQString(text()), caret, hadSelection)) {
        m_editor->AcceptEdit(FromQString(text()));
        m_editor->MoveFocusFromList(false);
      }
      return;
    }
    default:
      break;
  }
  QLineEdit::keyPressEvent(e);
}

void SECListBoxEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  QWidget* to = QApplication::focusWidget();
  if (m_editor->IsEditing() && to != m_editor->BrowseButton() && e->reason() != Qt::PopupFocusReason) {
    m_editor->AcceptEdit(FromQString(text()));
  }
}

// --- editor ----------------------------------------------------------------------------------

SECListBoxEditor::SECListBoxEditor(QWidget* parent) : QWidget(parent) {
  setObjectName("SECListBoxEditor");
  setFont(DefaultGuiFont());
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  m_vbar = new QScrollBar(Qt::Vertical, this);
  m_vbar->setFocusPolicy(Qt::NoFocus);
  m_vbar->hide();
  connect(m_vbar, &QScrollBar::valueChanged, this, [this](int v) {
    m_top = v;
    update();
  });
  SetEditorHost(this);
}

SECListBoxEditor::~SECListBoxEditor() { SetEditorHost(nullptr); }

bool SECListBoxEditor::Initialize(unsigned options, CommandListener* parent, unsigned listId, QWidget* placeholder,
                                  bool multiSelect) {
  if (placeholder) {
    if (placeholder->parentWidget() != parentWidget()) setParent(placeholder->parentWidget());
    setGeometry(placeholder->geometry());
    placeholder->hide();
  }
  SetParent(parent, listId);
  InitializeModel(options, multiSelect);
  LayoutButtons();
  show();
  return true;
}

void SECListBoxEditor::SetCaption(const QString& text) {
  m_caption = text;
  delete m_captionKey;
  m_captionKey = nullptr;
  const QKeySequence key = QKeySequence::mnemonic(text);
  if (!key.isEmpty()) {
    m_captionKey = new QShortcut(key, this);
    connect(m_captionKey, &QShortcut::activated, this, [this] { setFocus(Qt::ShortcutFocusReason); });
  }
  update();
}

void SECListBoxEditor::SetButtons(unsigned mask) {
  for (int i = 0; i < 4; ++i) m_shown[i] = (mask & (0x100u << i)) != 0;
  LayoutButtons();
  update();
}

int SECListBoxEditor::CalcStripHeight() const {
  return std::max(fontMetrics().height() + 4 * GetSystemMetric(SysMetric::CyBorder), kBitmapH + 2 + 4);
}

int SECListBoxEditor::RowHeight() const { return fontMetrics().height() + 2; }

QRect SECListBoxEditor::ListRect() const {
  const int strip = CalcStripHeight();
  return QRect(0, strip + 2, width(), height() - strip - 2);
}

QRect SECListBoxEditor::RowRect(int row) const {
  const QRect list = ListRect().adjusted(2, 2, -2 - (m_vbar->isVisible() ? m_vbar->width() : 0), -2);
  return QRect(list.left(), list.top() + (row - m_top) * RowHeight(), list.width(), RowHeight());
}

int SECListBoxEditor::RowAt(const QPoint& p) const {
  const QRect list = ListRect().adjusted(2, 2, -2, -2);
  if (!list.contains(p)) return -1;
  const int row = m_top + (p.y() - list.top()) / RowHeight();
  return row < GetCount() ? row : -1;
}

void SECListBoxEditor::LayoutButtons() {
  const int strip = CalcStripHeight();
  int right = width();
  const Button order[] = {kDown, kUp, kDelete, kNew};
  for (Button b : order) {
    if (!m_shown[b]) {
      m_buttonRects[b] = QRect();
      continue;
    }
    const int w = kBitmapW + 6;
    m_buttonRects[b] = QRect(right - w, 0, w, strip);
    right -= w;
  }
  UpdateScrollBar();
}

void SECListBoxEditor::UpdateScrollBar() {
  const QRect list = ListRect().adjusted(2, 2, -2, -2);
  const int visible = std::max(1, list.height() / RowHeight());
  const bool need = GetCount() > visible;
  m_vbar->setVisible(need);
  m_vbar->setGeometry(list.right() - 15, list.top(), 16, list.height());
  m_vbar->setRange(0, std::max(0, GetCount() - visible));
  m_vbar->setPageStep(visible);
  if (!need) m_top = 0;
}

void SECListBoxEditor::EnsureVisible(int row) {
  const QRect list = ListRect().adjusted(2, 2, -2, -2);
  const int visible = std::max(1, list.height() / RowHeight());
  if (row < m_top) m_top = row;
  else if (row >= m_top + visible) m_top = row - visible + 1;
  UpdateScrollBar();
  m_vbar->setValue(m_top);
  update();
}

void SECListBoxEditor::Select(int row) {
  if (row < 0 || row >= GetCount() || row == GetCurSel()) return;
  SetCurSel(row);
  EnsureVisible(row);
  NotifySelChange();
}

void SECListBoxEditor::resizeEvent(QResizeEvent*) { LayoutButtons(); }

// --- painting ---------------------------------------------------------------------------------

void SECListBoxEditor::PaintButton(QPainter& p, Button b, bool pressed) {
  const QRect r = m_buttonRects[b];
  if (r.isNull()) return;
  p.fillRect(r, SysQColor(SysColor::BtnFace));
  QRect glyph = r.adjusted(3, 2, -3, -2);
  if (pressed) glyph.translate(1, 1);
  DrawGlyph(p, b, glyph);
  DrawClassicFrame(p, r, pressed);
}

void SECListBoxEditor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  UpdateScrollBar();
  const int strip = CalcStripHeight();
  p.fillRect(QRect(0, 0, width(), strip + 2), SysQColor(SysColor::BtnFace));
  p.setPen(SysQColor(SysColor::WindowText));
  p.drawText(QRect(2 * GetSystemMetric(SysMetric::CxBorder) + 2, 0, width(), strip),
             Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, m_caption);
  if (Options() & LBE_BUTTONS) {
    for (int b = 0; b < 4; ++b) PaintButton(p, Button(b), b == m_pressed && m_pressedInside);
  }
  const QRect list = ListRect();
  p.fillRect(list, SysQColor(SysColor::Window));
  DrawClassicFrame(p, list, true);
  p.save();
  p.setClipRect(list.adjusted(2, 2, -2, -2));
  for (int row = m_top; row < GetCount(); ++row) {
    const QRect r = RowRect(row);
    if (r.top() > list.bottom()) break;
    const bool sel = IsSelected(row) && !(IsEditing() && row == EditRow());
    if (sel) p.fillRect(r, SysQColor(hasFocus() ? SysColor::Highlight : SysColor::BtnFace));
    p.setPen(SysQColor(sel && hasFocus() ? SysColor::HighlightText : SysColor::WindowText));
    p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(ToQString(GetText(row)), Qt::ElideRight, r.width() - 4));
    if (row == GetCurSel() && hasFocus() && !IsEditing()) {
      QPen pen(SysQColor(SysColor::WindowText));
      pen.setStyle(Qt::DotLine);
      p.setPen(pen);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    }
  }
  if (m_drag.active && m_drag.began && m_drag.target != -2) {
    // The drop mark: a gray line at the top of the target row.
    const int row = m_drag.target == -1 ? GetItemCount() : m_drag.target;
    const QRect r = RowRect(row);
    p.fillRect(QRect(r.left() + 2, r.top() - 1, r.width() - 1, 2), QColor(0x80, 0x80, 0x80));
  }
  p.restore();
}

// --- mouse ------------------------------------------------------------------------------------

void SECListBoxEditor::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (e->button() != Qt::LeftButton) return;
  if (pt.y() < CalcStripHeight()) {
    if (IsEditing() || !(Options() & LBE_BUTTONS)) return;
    for (int b = 0; b < 4; ++b) {
      if (m_buttonRects[b].contains(pt)) {
        m_pressed = b;
        m_pressedInside = true;
        update();
        return;
      }
    }
    return;
  }
  if (IsEditing()) {
    // A click ends the edit: as Enter with text, as Escape without.
    const QString t = m_edit ? m_edit->text() : QString();
    if (t.isEmpty()) CancelEdit();
    else AcceptEdit(FromQString(t));
  }
  setFocus(Qt::MouseFocusReason);
  const int row = RowAt(pt);
  if (row < 0) return;
  if (IsMultiSelect() && (e->modifiers() & Qt::ShiftModifier)) {
    ExtendSelectionTo(row);
    NotifySelChange();
  } else if (IsMultiSelect() && (e->modifiers() & Qt::ControlModifier)) {
    SetSelected(row, !IsSelected(row));
    NotifySelChange();
  } else {
    Select(row);
  }
  if (CanStartDrag()) {
    m_drag = Drag{};
    m_drag.active = true;
    m_drag.from = row;
    m_drag.start = pt;
    m_drag.held.start();
  }
}

void SECListBoxEditor::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (m_pressed >= 0) {
    const bool inside = m_buttonRects[m_pressed].contains(pt);
    if (inside != m_pressedInside) {
      m_pressedInside = inside;
      update();
    }
    return;
  }
  if (!m_drag.active) {
    for (int b = 0; b < 4; ++b) {
      if ((Options() & LBE_TOOLTIPS) && m_buttonRects[b].contains(pt)) {
        setToolTip(ToQString(ToolkitResources().String(kTipIds[b])));
        return;
      }
    }
    setToolTip(QString());
    return;
  }
  const int dist = QApplication::styleHints()->startDragDistance();
  if (!m_drag.began && (pt - m_drag.start).manhattanLength() < dist) return;
  if (!m_drag.began) setCursor(Qt::DragMoveCursor);
  m_drag.began = true;
  const QRect list = ListRect().adjusted(2, 2, -2, -2);
  m_drag.scrollDir = pt.y() < list.top() ? -1 : pt.y() > list.bottom() ? 1 : 0;
  if (m_drag.scrollDir && !m_scrollTimer.isActive()) {
    m_drag.scrollDelay = 300;
    m_scrollTimer.start(m_drag.scrollDelay, this);
  }
  const int row = RowAt(pt);
  if (row >= 0) {
    const bool lower = pt.y() >= RowRect(row).center().y();
    m_drag.target = DragTarget(row, lower);
  } else if (!m_drag.scrollDir) {
    m_drag.target = -1;
  }
  update();
}

void SECListBoxEditor::timerEvent(QTimerEvent* e) {
  if (e->timerId() != m_scrollTimer.timerId()) return;
  if (!m_drag.active || !m_drag.scrollDir || m_drag.held.elapsed() <= 250) {
    if (!m_drag.active || !m_drag.scrollDir) m_scrollTimer.stop();
    return;
  }
  // One row per step; each step comes 50 ms sooner, down to 50 ms.
  const int row = m_drag.scrollDir < 0 ? std::max(0, m_top - 1) : std::min(GetItemCount() - 1, m_top + 1);
  EnsureVisible(m_drag.scrollDir < 0 ? row : std::min(GetItemCount() - 1, row + m_vbar->pageStep() - 1));
  m_drag.target = DragTarget(m_drag.scrollDir < 0 ? m_top : std::min(GetItemCount() - 1, m_top + m_vbar->pageStep() - 1),
                             m_drag.scrollDir > 0);
  m_drag.scrollDelay = std::max(50, m_drag.scrollDelay - 50);
  m_scrollTimer.start(m_drag.scrollDelay, this);
  update();
}

void SECListBoxEditor::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (m_pressed >= 0) {
    const Button b = Button(m_pressed);
    const bool inside = m_buttonRects[b].contains(pt);
    m_pressed = -1;
    update();
    if (inside) RunButton(b);
    return;
  }
  if (m_drag.active) {
    Drag d = m_drag;
    m_drag = Drag{};
    m_scrollTimer.stop();
    unsetCursor();
    FinishDrag(d.from, d.target == -2 ? d.from : d.target, int(d.held.elapsed()), d.began, false);
    update();
  }
}

void SECListBoxEditor::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && RowAt(e->position().toPoint()) >= 0) StartEditing(0);
}

void SECListBoxEditor::RunButton(Button b) {
  switch (b) {
    case kNew: OnNewItem(); break;
    case kDelete: OnDeleteItems(); break;
    case kUp: OnMoveUp(); break;
    case kDown: OnMoveDown(); break;
  }
  update();
}

// --- keys -------------------------------------------------------------------------------------

void SECListBoxEditor::keyPressEvent(QKeyEvent* e) {
  if (m_drag.active && e->key() == Qt::Key_Escape) {
    m_drag = Drag{};
    m_scrollTimer.stop();
    unsetCursor();
    update();
    return;
  }
  const bool alt = e->modifiers() & Qt::AltModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  struct KeyRow {
    int qt;
    unsigned vk;
  };
  static constexpr KeyRow kKeys[] = {{Qt::Key_Insert, vk::Insert}, {Qt::Key_Delete, vk::Delete},
                                     {Qt::Key_Up, vk::Up},         {Qt::Key_Down, vk::Down},
                                     {Qt::Key_F2, vk::F2}};
  for (const KeyRow& k : kKeys) {
    // Insert is the New button's key: without the button there is no new row.
    if (k.qt == Qt::Key_Insert && !m_shown[kNew]) continue;
    if (k.qt == e->key() && OnListKey(k.vk, alt, ctrl)) {
      update();
      return;
    }
  }
  const int cur = GetCurSel();
  const int page = std::max(1, m_vbar->pageStep());
  if (IsMultiSelect() && (e->modifiers() & Qt::ShiftModifier)) {
    // Shift with a movement key extends the range from the anchor.
    int to = -1;
    switch (e->key()) {
      case Qt::Key_Up: to = std::max(0, cur - 1); break;
      case Qt::Key_Down: to = std::min(GetCount() - 1, cur + 1); break;
      case Qt::Key_PageUp: to = std::max(0, cur - page); break;
      case Qt::Key_PageDown: to = std::min(GetCount() - 1, cur + page); break;
      case Qt::Key_Home: to = 0; break;
      case Qt::Key_End: to = GetCount() - 1; break;
      default: break;
    }
    if (to >= 0) {
      ExtendSelectionTo(to);
      EnsureVisible(to);
      NotifySelChange();
      return;
    }
  }
  switch (e->key()) {
    case Qt::Key_Up: Select(std::max(0, cur - 1)); return;
    case Qt::Key_Down: Select(std::min(GetCount() - 1, cur + 1)); return;
    case Qt::Key_PageUp: Select(std::max(0, cur - page)); return;
    case Qt::Key_PageDown: Select(std::min(GetCount() - 1, cur + page)); return;
    case Qt::Key_Home: Select(0); return;
    case Qt::Key_End: Select(GetCount() - 1); return;
    default: break;
  }
  const QString t = e->text();
  if (t.size() == 1 && OnListText(FromQString(t), ctrl)) return;
  QWidget::keyPressEvent(e);
}

void SECListBoxEditor::wheelEvent(QWheelEvent* e) {
  m_vbar->setValue(m_vbar->value() - e->angleDelta().y() / 120);
}

void SECListBoxEditor::AcceptAndForward(QKeyEvent* e) {
  AcceptEdit(FromQString(m_edit ? m_edit->text() : QString()));
  setFocus();
  QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
  keyPressEvent(&copy);
}

// --- host -------------------------------------------------------------------------------------

void SECListBoxEditor::OpenEdit(int row, const std::string& text, bool caretAtEnd) {
  EnsureVisible(row);
  QRect r = RowRect(row).adjusted(0, -2, 0, 2);
  if (Options() & LBE_BROWSE) {
    m_browse = new QPushButton("...", this);
    m_browse->setObjectName("SECListBoxEditorBrowse");
    const int w = fontMetrics().horizontalAdvance("...") + 10;
    m_browse->setGeometry(r.right() - w + 1, r.top(), w, r.height());
    connect(m_browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    m_browse->show();
    r.setRight(r.right() - w);
  }
  m_edit = new SECListBoxEdit(this, this);
  m_edit->setGeometry(r);
  m_edit->setFont(font());
  m_edit->setText(ToQString(text));
  if (caretAtEnd) m_edit->end(false);
  else m_edit->selectAll();
  m_edit->show();
  m_edit->setFocus(Qt::OtherFocusReason);
  update();
}

void SECListBoxEditor::CloseEdit() {
  if (m_browse) {
    m_browse->hide();
    m_browse->deleteLater();
    m_browse = nullptr;
  }
  if (m_edit) {
    SECListBoxEdit* e = m_edit;
    m_edit = nullptr;
    const bool hadFocus = e->hasFocus();
    e->hide();
    e->deleteLater();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
  }
  update();
}

void SECListBoxEditor::MoveFocusFromList(bool previous) {
  QWidget* w = previous ? previousInFocusChain() : nextInFocusChain();
  while (w && w != this && (!(w->focusPolicy() & Qt::TabFocus) || isAncestorOf(w))) {
    w = previous ? w->previousInFocusChain() : w->nextInFocusChain();
  }
  if (!w || w == this) return;
  w->setFocus(previous ? Qt::BacktabFocusReason : Qt::TabFocusReason);
  if (auto* le = qobject_cast<QLineEdit*>(w)) le->selectAll();
}

}  // namespace pm2
