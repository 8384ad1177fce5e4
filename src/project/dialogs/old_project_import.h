// The shell's command "Import Pelmora1 Project" around the importer
// (project/import/old_ini_import.h):
//   if (!AskOldProjectImport()) return;
//   ... create the new project, the user names it and chooses a device ...
//   if (RunOldProjectImport(mainWindow, theApp().m_pProject)) {
//     ... make the project folder current, refresh project and books windows ...
//   }
#pragma once

class QWidget;

namespace pm2 {

struct ProjectRec;

// The Yes/No question that starts the command; true for Yes.
bool AskOldProjectImport();

// Asks for the ".prj" file (the picker of browse_edit.h), refuses one
// outside the project's folder, imports it into the current target and
// reports the outcome in the system's texts. True when imported.
bool RunOldProjectImport(QWidget* owner, ProjectRec* project);

}  // namespace pm2
