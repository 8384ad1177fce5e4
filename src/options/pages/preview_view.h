// The read-only view of a tool's command line on the compiler, assembler
// and linker pages: the whole line, wrapped anywhere (a command line has
// few blanks to break at), with a scroll bar when it is longer than the
// view; its text can be selected and copied. Setting the same text again
// costs nothing, and a new text replaces only the characters that differ,
// so a preview rebuilt on every key press lays its line out once (the view
// then shows what setPlainText would: no selection, at the start).
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace pm2 {

class PreviewView : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit PreviewView(QWidget* parent = nullptr);
  void SetText(const QString& text);
  const QString& Text() const { return m_text; }
  QSize sizeHint() const override;

 private:
  QString m_text;
};

}  // namespace pm2
