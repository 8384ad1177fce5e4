#include "toolkit/controls/list_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>

#include "toolkit/models/list_client.h"

namespace pm2 {

SECListEdit::SECListEdit(SECListClient* client, QWidget* parent) : QPlainTextEdit(parent), m_client(client) {
  setObjectName("SECListEdit");
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setTabChangesFocus(false);
  document()->setDocumentMargin(1);
}

void SECListEdit::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !m_client->IsLabelWrap()) {
    m_client->EndLabelEdit(true);
    return;
  }
  if (e->key() == Qt::Key_Escape) {
    m_client->EndLabelEdit(false);
    return;
  }
  const QString typed = e->text();
  if (m_limit > 0 && !typed.isEmpty() && typed[0].isPrint() && !(e->modifiers() & Qt::ControlModifier) &&
      int(typed.size()) > Room()) {
    QApplication::beep();
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

int SECListEdit::Room() const {
  const int selected = int(textCursor().selectedText().size());
  return m_limit - (int(toPlainText().size()) - selected);
}

void SECListEdit::insertFromMimeData(const QMimeData* source) {
  if (m_limit <= 0 || !source || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  const QString text = source->text().left(std::max(0, Room()));
  if (text.size() < source->text().size()) QApplication::beep();
  textCursor().insertText(text);
}

void SECListEdit::focusOutEvent(QFocusEvent* e) {
  QPlainTextEdit::focusOutEvent(e);
  if (e->reason() != Qt::PopupFocusReason) m_client->EndLabelEdit(true);
}

}  // namespace pm2
