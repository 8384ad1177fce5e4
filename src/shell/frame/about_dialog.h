// The About box: the program's version and the current toolset's tools in
// one read-only text, copied to the clipboard when it already holds text.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace pm2 {

class AboutDialog : public QDialog {
 public:
  AboutDialog(const std::string& text, QWidget* parent = nullptr);
  QPlainTextEdit* Text() const { return m_text; }

 private:
  QPlainTextEdit* m_text = nullptr;
};

}  // namespace pm2
