#include "options/pages/output_fields.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "options/core/field_text.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/text/path_text.h"

namespace pm2 {

std::string OutputNameOf(const QLineEdit& name) { return std::string(TrimBlanks(FromQ(name.text()))); }

std::string ProgramCommandOf(const QLineEdit& program) { return std::string(TrimBlanks(FromQ(program.text()))); }

void ShowOutputKinds(QAbstractButton& exe, QAbstractButton& lib, const std::string& folder, const QLineEdit& name,
                     const char* exeCaption) {
  const QString path = Literally(ToQ(folder) + name.text().left(258));
  exe.setText(QString(exeCaption) + path);
  lib.setText(QString("Create Library:  %1.LIB").arg(path));
}

bool ChooseOutputFolder(OptionsSheet& sheet, std::string& folder) {
  const std::string chosen = PickStoredFolder(sheet, folder, "Folder for Objects");
  if (chosen.empty()) return false;
  folder = chosen;
  return true;
}

std::string PickStoredFolder(OptionsSheet& sheet, const std::string& current, const char* field) {
  const std::string chosen = sheet.Services().chooseFolder("Browse for Folder", sheet.ProjectFolder() + current);
  if (chosen.empty()) return chosen;
  return sheet.StoredChosenPath(chosen, field);
}

QString ChooseProgram(const OptionsSheet& sheet) {
  const std::string chosen = sheet.Services().chooseFile(
      "Select an executable file", "Executables (*.exe;*.bat)|*.exe;*.bat|All files (*.*)|*.*||",
      sheet.ProjectFolder());
  if (chosen.empty()) return QString();
  return ToQ(chosen.find(' ') == std::string::npos ? chosen : "\"" + chosen + "\"");
}

}  // namespace pm2
