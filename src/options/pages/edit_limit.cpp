#include "options/pages/edit_limit.h"

#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <algorithm>

namespace pm2 {

namespace {

constexpr const char* kGuardName = "pm2EditLimit";

}  // namespace

EditLimit::EditLimit(QLineEdit* edit, std::function<void(int)> typed, std::function<void(int)> put)
    : QObject(edit), m_edit(edit), m_base(edit->maxLength()), m_typed(std::move(typed)), m_put(std::move(put)) {
  setObjectName(kGuardName);
  m_before = edit->text();
  m_cursorBefore = edit->cursorPosition();
  // Qt tells a cut insertion by inputRejected while the cut text is being
  // inserted, before textChanged: what the edit held before is still known.
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (m_pending) return;
    m_before = text;
    m_cursorBefore = m_edit->cursorPosition();
  });
  connect(edit, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
    if (!m_pending) m_cursorBefore = now;
  });
  connect(edit, &QLineEdit::inputRejected, this, &EditLimit::Rejected);
  // A page fills its edits with their signals blocked: the text is taken
  // again when the user starts an input.
  edit->installEventFilter(this);
}

bool EditLimit::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::FocusIn:
      if (!m_pending) {
        m_before = m_edit->text();
        m_cursorBefore = m_edit->cursorPosition();
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

EditLimit* EditLimit::Of(const QLineEdit* edit) {
  return edit ? edit->findChild<EditLimit*>(kGuardName, Qt::FindDirectChildrenOnly) : nullptr;
}

void EditLimit::FitTo(const QString& text) { m_edit->setMaxLength(std::max(m_base, int(text.size()))); }

bool EditLimit::Put(const QString& text) {
  if (text.size() > m_edit->maxLength()) {
    // The field's own limit is named, not the length of a longer stored
    // text the edit was widened to hold.
    m_put(m_base);
    return false;
  }
  m_edit->setText(text);
  return true;
}

void EditLimit::Rejected() {
  // A validator's refusal leaves the text as it was and short of the
  // limit; only an insertion that met the limit is given back.
  if (m_pending || m_edit->text().size() < m_edit->maxLength()) return;
  m_pending = true;
  QMetaObject::invokeMethod(this, &EditLimit::GiveBack, Qt::QueuedConnection);
}

void EditLimit::GiveBack() {
  if (m_edit->text() != m_before) {
    m_edit->setText(m_before);
    m_edit->setCursorPosition(std::min(m_cursorBefore, int(m_before.size())));
  }
  m_pending = false;
  m_typed(m_base);
}

}  // namespace pm2
