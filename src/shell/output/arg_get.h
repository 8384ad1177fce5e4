// CArgGet: the dialog a user tool shows before it runs when it asks for
// its arguments. The caption names the tool; the edit starts with the
// argument line prepared from the tool's settings. Typing can't make the
// line longer than 255 characters, but a longer prepared line is shown
// whole. OK keeps at most 511 characters; Cancel leaves the result empty.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QValidator;

namespace pm2 {

class CArgGet : public QDialog {
 public:
  static constexpr int kEditId = 1529;
  static constexpr int kEditLimit = 255;
  static constexpr size_t kResultMax = 511;

  explicit CArgGet(QWidget* parent = nullptr);

  // Filled by the caller before the dialog opens.
  std::string m_toolName;
  std::string m_prepared;
  // Filled on OK.
  std::string m_result;
  int m_resultLength = 0;

  QLineEdit* Edit() const { return edit_; }
  void accept() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent*) override;

 private:
  void OnInitDialog();
  QLineEdit* edit_;
  QValidator* limit_;
  bool initialised_ = false;
};

}  // namespace pm2
