// The main frame's project commands that run the project dialogs: new
// project (a name, then the device), import of a first-generation project,
// the components, environment and books sheet, the device database, the
// device of the current target, and adding files to the selected group.
// After an OK the project window, the books and the target box are filled
// again.
#pragma once

#include <functional>
#include <string>

class QDialog;

namespace pm2 {

class CMainFrame;
class ShellApp;

class ProjectCommandsExt {
 public:
  // Registers the handlers with the frame.
  ProjectCommandsExt(CMainFrame& frame, ShellApp& app);

  // The name of a new project ("" for Cancel); replaceable by tests.
  std::function<std::string()> m_chooseNewProjectName;
  // Runs a dialog modally; tests replace it to drive the dialog.
  std::function<int(QDialog&)> m_runDialog;

  void OnNewProject();
  void OnImportOldProject();
  void OnComponentsSheet();
  void OnDeviceDatabase();
  // 1 when a device was chosen, else 0.
  int OnSelectDevice();
  void OnAddFilesToGroup();
  // Raised by a new project (1) and its device (2), so the importer knows
  // both steps happened.
  int CreationCounter() const { return m_created; }

 private:
  void Refill();
  // The database to use ("" after Cancel or without one).
  std::string ChooseDatabase();

  CMainFrame& m_frame;
  ShellApp& m_app;
  int m_created = 0;
};

}  // namespace pm2
