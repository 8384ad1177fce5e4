#include "options/pages/preview_view.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

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
  // The view is read-only: the edits SetText makes are not kept for undo.
  document()->setUndoRedoEnabled(false);
}

namespace {

// A text whose characters stand one to one at the document's positions:
// "\r\n" (and a lone "\r") would become one paragraph break.
bool OneToOne(const QString& text) { return !text.contains(QLatin1Char('\r')); }

}  // namespace

void PreviewView::SetLine(std::string_view line) {
  if (!m_line.empty() && line == m_line) return;
  Show(QString::fromLocal8Bit(line.data(), qsizetype(line.size())));
  m_line.assign(line);
}

void PreviewView::SetText(const QString& text) {
  m_line.clear();
  Show(text);
}

void PreviewView::Show(const QString& text) {
  if (text == m_text) return;
  // A key press changes a few characters of a long line. Replacing only
  // those lays the line out once; setPlainText empties the document first
  // and lays the new line out twice.
  if (!OneToOne(text) || !OneToOne(m_text) || document()->characterCount() != m_text.size() + 1) {
    m_text = text;
    setPlainText(text);
    return;
  }
  const qsizetype most = std::min(text.size(), m_text.size());
  qsizetype head = 0;
  while (head < most && text[head] == m_text[head]) ++head;
  qsizetype tail = 0;
  while (tail < most - head && text[text.size() - 1 - tail] == m_text[m_text.size() - 1 - tail]) ++tail;
  QTextCursor change(document());
  change.setPosition(int(head));
  change.setPosition(int(m_text.size() - tail), QTextCursor::KeepAnchor);
  change.insertText(text.mid(head, text.size() - head - tail));
  m_text = text;
  // As after setPlainText: no selection, the cursor and the view at the start.
  if (textCursor().position() != 0 || textCursor().hasSelection()) setTextCursor(QTextCursor(document()));
  if (verticalScrollBar()->value() != 0) verticalScrollBar()->setValue(0);
}

QSize PreviewView::sizeHint() const { return QSize(300, fontMetrics().height() * 5 + 6); }

}  // namespace pm2
