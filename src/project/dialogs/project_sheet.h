// CPrjSheet: "Components, Environment and Books". Works on a copy of the
// open project and of "TOOLS.INI" (project_sheet_copy.h); the open project
// changes only through ApplyToProject after OK.
//
// The shell's command:
//   ProjectSheet sheet(theApp().m_pProject, theApp().m_toolsIniPath,
//                      theApp().m_pEnvironment, mainWindow);
//   if (sheet.exec() == QDialog::Accepted) {
//     SheetApplyResult r = sheet.ApplyToProject();
//     if (r.envChanged) ... read "TOOLS.INI" anew ...
//     ... select r.newCurrent again, refill project and books windows,
//     PoolFree(kPoolScratch) ...
//   }
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>

#include "project/edit/project_sheet_copy.h"

namespace pm2 {

class ComponentsPage;
class FoldersPage;
class BooksPage;

class ProjectSheet : public QDialog {
  Q_OBJECT
 public:
  ProjectSheet(ProjectRec* open, const std::string& toolsIniPath, EnvironmentInfo* startup,
               QWidget* parent = nullptr);

  // After OK: applies the copy (a failed environment write is reported with
  // a beep and the writer's message) and returns what changed.
  SheetApplyResult ApplyToProject();

  ProjectSheetCopy& Copy() { return m_copy; }
  ComponentsPage* Components() const { return m_components; }
  FoldersPage* Folders() const { return m_folders; }
  BooksPage* Books() const { return m_books; }
  QTabWidget* Tabs() const { return m_tabs; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* CancelButton() const { return m_cancel; }

  void accept() override;

 private:
  bool LeavePage(int index);

  ProjectRec* m_open;
  std::string m_toolsIniPath;
  EnvironmentInfo* m_startup;
  ProjectSheetCopy m_copy;
  QTabWidget* m_tabs = nullptr;
  ComponentsPage* m_components = nullptr;
  FoldersPage* m_folders = nullptr;
  BooksPage* m_books = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
  QPushButton* m_apply = nullptr;
  int m_current = 0;
  bool m_switching = false;
};

}  // namespace pm2
