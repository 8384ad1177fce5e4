#include "toolkit/controls/list_edit.h"

#include <QKeyEvent>

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
  QPlainTextEdit::keyPressEvent(e);
}

void SECListEdit::focusOutEvent(QFocusEvent* e) {
  QPlainTextEdit::focusOutEvent(e);
  if (e->reason() != Qt::PopupFocusReason) m_client->EndLabelEdit(true);
}

}  // namespace pm2
