#include "options/pages/preview_view.h"

namespace pm2 {

PreviewView::PreviewView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAnywhere);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PreviewView::SetText(const QString& text) {
  if (text == m_text) return;
  m_text = text;
  setPlainText(text);
}

QSize PreviewView::sizeHint() const { return QSize(300, fontMetrics().height() * 5 + 6); }

}  // namespace pm2
