// What the shell asks of the user: beeps, message boxes and the save-file
// dialog. The window's implementation shows Qt message boxes (callable from
// any thread); tests record the questions and answer from a script.
#pragma once

#include <string>

#include "project/model/app_state.h"

namespace pm2 {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual void Beep() = 0;
  // kind: MessageBoxKind buttons | icon; returns a MessageBoxAnswer.
  virtual int MessageBox(const std::string& text, int kind) = 0;
  // The same, raised by one of the program's windows (`asking`, the
  // window system's object of it): the box is that window's, and the
  // keyboard goes back to it when the box closes.
  virtual int MessageBoxOf(const void* asking, const std::string& text, int kind) {
    (void)asking;
    return MessageBox(text, kind);
  }
  // A save-file dialog; filter in the "Text (*.x)|*.x||" form. False on Cancel.
  virtual bool SaveFileDialog(const std::string& title, const std::string& filter,
                              const std::string& defaultExt, std::string* path) = 0;
};

// Answers of the error form: a beep, then the message with an exclamation icon.
inline void ShowError(UserDialogs& dialogs, const std::string& text) {
  dialogs.Beep();
  dialogs.MessageBox(text, kMbOk | kMbIconExclamation);
}

}  // namespace pm2
