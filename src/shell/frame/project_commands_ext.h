// The main frame's project commands that run the project dialogs: new
// project (a name, then the device and its startup file), import of a first-generation project,
// the components, environment and books sheet, the device database, the
// device of the current target, adding files to the selected group, and
// the project's file-type filters.
// After an OK the project window, the books and the target box are filled
// again.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

namespace pm2 {

class FileTypesPage;
class OptionsSheet;
struct ProjectRec;
struct TargetRec;

// The Project menu's "File Extensions..." item.
inline constexpr unsigned kCmdFileExtensions = 35140;  // 35097 is the browser's Go To Next Reference

// The file-type filters in a dialog of their own: OK stores only what the
// page accepts.
class FileTypesDialog : public QDialog {
 public:
  FileTypesDialog(ProjectRec* project, QWidget* parent);
  FileTypesPage* Page() const { return m_page; }
  void accept() override;
  void reject() override;

 private:
  FileTypesPage* m_page = nullptr;
};

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
  // While the Components sheet is open its OK puts its own copy of the
  // targets and groups in place of the project's.
  bool ComponentsSheetOpen() const { return m_componentsOpen; }
  void OnDeviceDatabase();
  // 1 when a device was chosen, else 0.
  int OnSelectDevice();
  // After a new project's device: offers to copy the device's startup file
  // into the project folder and add it to the first group; true when done.
  bool OfferStartupFile();
  // After a device change (the Select Device sheet, the options' Device
  // page): names the linker script the target keeps from `oldDevice`.
  void TellKeptLinkerScript(const std::string& oldDevice, const TargetRec& target);
  void OnAddFilesToGroup();
  // The project's file-type filters; OK stores them in the project.
  void OnFileExtensions();
  // The options sheet of the selected item (32707), of the current target
  // (35051), or of the current target on its flash page (35415); OK saves
  // the project.
  void OnOptions(bool currentTarget, bool flashPage);
  // Drives the options sheet instead of running it modally (tests).
  std::function<int(OptionsSheet&)> m_runOptionsSheet;
  // Raised by a new project (1) and its device (2), so the importer knows
  // both steps happened.
  int CreationCounter() const { return m_created; }

 private:
  void Refill();
  bool m_componentsOpen = false;
  // The database to use ("" after Cancel or without one).
  std::string ChooseDatabase();

  CMainFrame& m_frame;
  ShellApp& m_app;
  int m_created = 0;
};

}  // namespace pm2
