// How the project dialogs speak to the user: through the application's
// ShellServices, so that tests record what was said and the shell decides
// how a message box looks.
#pragma once

#include <string>

class QWidget;
class QString;

namespace pm2 {

// A beep and, when text is not empty, the text with the exclamation icon.
void RefuseWithMessage(const std::string& text);
void Beep();
// Yes/No question with the question icon; true for Yes.
bool AskYesNo(const std::string& text, bool beepFirst = false);

std::string ToLocal(const QString& s);
QString FromLocal(const std::string& s);

// A sunken frame at `r` in `parent` holding `child` (trees and lists of
// the toolkit draw no border of their own).
void PlaceInSunkenFrame(QWidget* parent, int x, int y, int w, int h, QWidget* child);

// The dialog font of the project dialogs (the system's dialog font).
void UseDialogFont(QWidget* w);

}  // namespace pm2
