// What the output pages of every toolset share: the output name as it is
// stored, the texts of the executable and library buttons (which show the
// folder and name), and the browse button of a user program's command.
#pragma once

#include <QString>
#include <string>

class QAbstractButton;
class QLineEdit;

namespace pm2 {

class OptionsSheet;

inline constexpr const char* kBadOutputNameMessage = "Bad or missing Name of Executable !";

// The name field's text, blanks trimmed ("" refuses).
std::string OutputNameOf(const QLineEdit& name);
// A user program's command as typed, blanks trimmed ("" clears its run
// box).
std::string ProgramCommandOf(const QLineEdit& program);
// The two buttons' texts show the folder and name; `exeCaption` may mark
// the executable button's key (a page whose other controls leave it free).
void ShowOutputKinds(QAbstractButton& exe, QAbstractButton& lib, const std::string& folder, const QLineEdit& name,
                     const char* exeCaption = "Create Executable:  ");
// The chooser of the folder for objects: true when one was chosen, which
// folder then holds as the project stores it.
bool ChooseOutputFolder(OptionsSheet& sheet, std::string& folder);
// The folder picker ("Browse for Folder") opened on `current`: the chosen
// folder as the project stores it, "" for Cancel and for a folder whose
// name the project file could not give back (refused with a message that
// names `field`).
std::string PickStoredFolder(OptionsSheet& sheet, const std::string& current, const char* field);
// The file chooser for a user program: the command for the chosen path (in
// double quotes when it holds a blank), "" when cancelled.
QString ChooseProgram(const OptionsSheet& sheet);

}  // namespace pm2
