// The command page of the output window until the command window exists:
// the driver's output and the echo of typed commands in a read-only text,
// and one line where a command is typed (Enter hands it to the driver).
#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace pm2 {

class CommandStandIn : public QWidget {
 public:
  // execute: a typed line for the driver.
  CommandStandIn(std::function<void(const std::string&)> execute, QWidget* parent = nullptr);
  // Appends driver or command text; null clears.
  void Append(const char* text);
  QString Text() const;
  QLineEdit* Input() const { return m_input; }

 private:
  QPlainTextEdit* m_output;
  QLineEdit* m_input;
  std::function<void(const std::string&)> m_execute;
};

}  // namespace pm2
