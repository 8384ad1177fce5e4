#include "project/dialogs/old_project_import.h"

#include "platform/win_path.h"
#include "project/dialogs/dialog_services.h"
#include "project/import/old_ini_import.h"
#include "toolkit/controls/browse_edit.h"

namespace pm2 {

bool AskOldProjectImport() { return AskYesNo(kOldIniImportQuestion); }

bool RunOldProjectImport(QWidget* owner, ProjectRec* project) {
  if (!project) {
    Beep();
    return false;
  }
  PickerRequest req;
  req.kind = PickerRequest::Kind::OpenFile;
  req.title = "Import Pelmora1 Project";
  req.filter = "Project Files (*.prj)";
  req.defaultExtension = "prj";
  req.startFolder = FromLocal(project->folder.str());
  req.owner = owner;
  const std::optional<QString> chosen = RunPicker(req);
  if (!chosen || chosen->isEmpty()) return false;
  const std::string path = ToLocal(*chosen);
  if (!SamePathIgnoringCase(FolderPart(path), project->folder.view())) {
    RefuseWithMessage(kOldIniNotInProjectFolder);
    return false;
  }
  OldIniProject file;
  if (file.Open(path) != 0) {
    RefuseWithMessage(kOldIniCannotAccess);
    return false;
  }
  const std::string failure = ImportOldIniProject(file, project);
  file.Close();
  if (!failure.empty()) {
    RefuseWithMessage(failure);
    return false;
  }
  theApp().Shell().MessageBox(kOldIniImportDone, kMbOk | kMbIconExclamation);
  return true;
}

}  // namespace pm2
