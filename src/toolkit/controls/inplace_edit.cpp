#include "toolkit/controls/inplace_edit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

constexpr int kEnter = 13, kEscape = 27;

void ApplyStart(QLineEdit* edit, int key, bool list) {
  switch (StartAction(key, list)) {
    case InPlaceStart::SelectAll:
      edit->selectAll();
      break;
    case InPlaceStart::SelectAllPassKey:
      edit->selectAll();
      if (key > 32 && key < 256) edit->insert(QString(QChar(key)));  // a typed character replaces the text
      break;
    case InPlaceStart::CaretAtEndPassKey:
      edit->end(false);
      edit->backspace();
      break;
  }
}

// Hands the result over once and lets the editor go.
void Finish(QWidget* w, InPlaceEndRecord& r, unsigned id, const InPlaceResult& result, const std::string& text) {
  if (r.ended) return;
  r.ended = true;
  // The cell's owner gets the focus back before it hears the result, so
  // that the keyboard stays where the edit was started.
  if (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()))
    if (QWidget* parent = w->parentWidget()) parent->setFocus();
  if (result) result(id, r.endKey, InPlaceFinalText(r, text));
  w->hide();
  w->deleteLater();
}

// A Tab (or Shift+Tab) press, which the editors take into their own key
// handling instead of letting it move the focus on, so that the edit ends
// with Tab as its end key; null for any other event.
QKeyEvent* TabPress(QEvent* e) {
  if (e->type() != QEvent::KeyPress) return nullptr;
  auto* k = static_cast<QKeyEvent*>(e);
  return k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab ? k : nullptr;
}

}  // namespace

int InPlaceVirtualKey(int qtKey) {
  struct Row {
    int qt, vk;
  };
  static const Row kKeys[] = {{Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},     {Qt::Key_Backtab, 9},
                              {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},  {Qt::Key_Escape, 27},
                              {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
                              {Qt::Key_End, 35},      {Qt::Key_Home, 36},   {Qt::Key_Left, 37},
                              {Qt::Key_Up, 38},       {Qt::Key_Right, 39},  {Qt::Key_Down, 40}};
  for (const Row& r : kKeys)
    if (r.qt == qtKey) return r.vk;
  return 0;
}

// ---------------------------------------------------------------- edit

CInPlaceEdit::CInPlaceEdit(QWidget* parent, const QRect& cell, unsigned id, const std::string& text, int startKey,
                           InPlaceResult result)
    : QLineEdit(parent), m_id(id), m_result(std::move(result)), m_record(StartInPlace(text, startKey, false)) {
  setGeometry(cell);
  setFont(parent ? parent->font() : font());
  setFrame(true);
  setText(ToQString(text));
  show();
  setFocus();
  ApplyStart(this, startKey, false);
  connect(this, &QLineEdit::textChanged, this, [this] { Widen(); });
}

void CInPlaceEdit::Widen() {
  QWidget* p = parentWidget();
  if (!p) return;
  int needed = fontMetrics().horizontalAdvance(text()) + 5 + 2 * frameGeometry().height() / 4;
  if (needed <= width()) return;
  int room = p->contentsRect().right() - x();
  resize(std::min(needed, room), height());
}

bool CInPlaceEdit::event(QEvent* e) {
  if (QKeyEvent* tab = TabPress(e)) {
    keyPressEvent(tab);
    return true;
  }
  return QLineEdit::event(e);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* e) {
  int vk = InPlaceVirtualKey(e->key());
  switch (InPlaceKeyDown(m_record, vk, e->modifiers() & Qt::ControlModifier, false)) {
    case InPlaceKey::End:
      End();
      return;
    case InPlaceKey::Swallow:
      return;
    case InPlaceKey::Pass:
      if (vk != 9) QLineEdit::keyPressEvent(e);
      return;
  }
}

void CInPlaceEdit::keyReleaseEvent(QKeyEvent* e) {
  if (InPlaceKeyUp(m_record, InPlaceVirtualKey(e->key())) == InPlaceKey::End) {
    End();
    return;
  }
  QLineEdit::keyReleaseEvent(e);
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  End();
}

void CInPlaceEdit::End() {
  if (m_record.endKey == kEscape) setText(ToQString(m_record.startText));
  Finish(this, m_record, m_id, m_result, FromQString(text()));
}

// ---------------------------------------------------------------- spin edit

CInPlaceSpinEdit::CInPlaceSpinEdit(QWidget* parent, const QRect& cell, unsigned id, int minimum, int maximum,
                                   const std::string& text, int startKey, InPlaceResult result)
    : QSpinBox(parent), m_id(id), m_result(std::move(result)), m_record(StartInPlace(text, startKey, false)) {
  if (minimum < maximum)
    setRange(minimum, maximum);
  else
    setRange(0, 32767);
  setGeometry(cell);
  setFont(parent ? parent->font() : font());
  lineEdit()->setText(ToQString(text));
  show();
  setFocus();
  ApplyStart(lineEdit(), startKey, false);
}

bool CInPlaceSpinEdit::event(QEvent* e) {
  if (QKeyEvent* tab = TabPress(e)) {
    keyPressEvent(tab);
    return true;
  }
  return QSpinBox::event(e);
}

void CInPlaceSpinEdit::keyPressEvent(QKeyEvent* e) {
  int vk = InPlaceVirtualKey(e->key());
  // Up and down step the number unless they end the edit.
  switch (InPlaceKeyDown(m_record, vk, e->modifiers() & Qt::ControlModifier, false)) {
    case InPlaceKey::End: End(); return;
    case InPlaceKey::Swallow: return;
    case InPlaceKey::Pass:
      if (vk != 9) QSpinBox::keyPressEvent(e);
      return;
  }
}

void CInPlaceSpinEdit::keyReleaseEvent(QKeyEvent* e) {
  if (InPlaceKeyUp(m_record, InPlaceVirtualKey(e->key())) == InPlaceKey::End) {
    End();
    return;
  }
  QSpinBox::keyReleaseEvent(e);
}

void CInPlaceSpinEdit::focusOutEvent(QFocusEvent* e) {
  QSpinBox::focusOutEvent(e);
  // A click on the arrows keeps the edit open.
  QWidget* under = QApplication::widgetAt(QCursor::pos());
  if (under == this || (under && isAncestorOf(under))) return;
  End();
}

void CInPlaceSpinEdit::End() {
  Finish(this, m_record, m_id, m_result, FromQString(lineEdit()->text()));
}

// ---------------------------------------------------------------- list

CInPlaceList::CInPlaceList(QWidget* parent, const QRect& cell, unsigned id, const std::vector<std::string>& entries,
                           const std::string& text, int startKey, InPlaceResult result)
    : QComboBox(parent), m_id(id), m_result(std::move(result)), m_record(StartInPlace(text, startKey, true)) {
  setFont(parent ? parent->font() : font());
  int widest = 0;
  for (const std::string& e : entries) {
    addItem(ToQString(e));
    widest = std::max(widest, fontMetrics().horizontalAdvance(ToQString(e)));
  }
  setMaxVisibleItems(std::max(1, int(entries.size())));
  QRect r = cell;
  int want = widest + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * fontMetrics().horizontalAdvance("  ") + 1;
  if (want > r.width()) r.setWidth(want);
  setGeometry(r);
  // A start text that no entry holds is shown as it is, with no entry
  // chosen: the first entry must not silently take its place.
  int index = findText(ToQString(text));
  setCurrentIndex(index);
  if (index < 0) setPlaceholderText(ToQString(text));
  show();
  setFocus();
}

bool CInPlaceList::event(QEvent* e) {
  if (QKeyEvent* tab = TabPress(e)) {
    keyPressEvent(tab);
    return true;
  }
  return QComboBox::event(e);
}

void CInPlaceList::keyPressEvent(QKeyEvent* e) {
  int vk = InPlaceVirtualKey(e->key());
  if (vk == kEnter && m_record.ignoreKey == kEnter) {
    m_record.ignoreKey = 0;
    return;
  }
  switch (InPlaceKeyDown(m_record, vk, e->modifiers() & Qt::ControlModifier, true)) {
    case InPlaceKey::End:
      if (m_record.endKey == kEscape) {
        int index = findText(ToQString(m_record.startText));
        if (index >= 0) setCurrentIndex(index);
      }
      End();
      return;
    case InPlaceKey::Swallow: return;
    case InPlaceKey::Pass:
      if (vk != 9) QComboBox::keyPressEvent(e);
      return;
  }
}

void CInPlaceList::focusOutEvent(QFocusEvent* e) {
  QComboBox::focusOutEvent(e);
  // The drop-down's own popup takes the focus without ending the list.
  if (view() && view()->isVisible()) return;
  End();
}

void CInPlaceList::End() {
  // Nothing chosen: the start text stands.
  Finish(this, m_record, m_id, m_result, currentIndex() < 0 ? m_record.startText : FromQString(currentText()));
}

}  // namespace pm2
