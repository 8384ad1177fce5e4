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
#include <string>
#include <string_view>

namespace pm2 {

class PreviewView : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit PreviewView(QWidget* parent = nullptr);
  void SetText(const QString& text);
  // The line as the builder made it (local 8-bit): the same bytes as the
  // last line cost a comparison, not a conversion.
  void SetLine(std::string_view line);
  const QString& Text() const { return m_text; }
  QSize sizeHint() const override;

 private:
  void Show(const QString& text);

  QString m_text;
  std::string m_line;  // the bytes m_text came from ("" after SetText)
};

}  // namespace pm2
