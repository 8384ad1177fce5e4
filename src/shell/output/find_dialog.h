// The modeless find dialog of the output window (find only): the text,
// whole word, match case and the direction; "Find Next" hands them to the
// owner, which searches its active page.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "builder/runner/output_lines.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pm2 {

class OutputFindDialog : public QDialog {
 public:
  using FindHandler = std::function<void(const std::string& text, const FindOptions& options)>;
  OutputFindDialog(QWidget* parent, FindHandler onFindNext);

  // Shows the dialog with an empty text, or brings it to the front.
  void Open();
  // What the controls say now.
  std::string Text() const;
  FindOptions Options() const;

  QLineEdit* TextEdit() const { return text_; }
  QPushButton* FindNextButton() const { return findNext_; }
  QCheckBox* WholeWordBox() const { return wholeWord_; }
  QCheckBox* MatchCaseBox() const { return matchCase_; }
  QRadioButton* UpButton() const { return up_; }

 private:
  FindHandler onFindNext_;
  QLineEdit* text_;
  QCheckBox* wholeWord_;
  QCheckBox* matchCase_;
  QRadioButton* up_;
  QRadioButton* down_;
  QPushButton* findNext_;
};

}  // namespace pm2
