// "Add Files to Group '%s'": a file dialog with multiple selection whose
// first button ("Add") adds the selected files and keeps the dialog open;
// the second ("Close") ends it. Built on Qt's own (non-native) file dialog
// so that it can refuse to close.
#pragma once

#include <QFileDialog>
#include <functional>
#include <string>
#include <vector>

#include "project/edit/component_lists.h"

namespace pm2 {

class AddFilesDialog : public QFileDialog {
  Q_OBJECT
 public:
  // Adds one file (folder, name); true when it was added.
  using Adder = std::function<bool(const std::string& folder, const std::string& name)>;

  AddFilesDialog(const std::string& groupName, const std::vector<FilterRow>& filters,
                 const QString& folder, QWidget* parent = nullptr);
  void SetAdder(Adder adder) { m_adder = std::move(adder); }
  int AddedCount() const { return m_added; }

  // "Add": adds every selected file; a folder among them is entered instead.
  void accept() override;

 private:
  void KeepAddLabel();

  Adder m_adder;
  int m_added = 0;
};

// The main frame's command "Add Files to Group" on the open project: runs
// the dialog for `group`; each added file is reported through `added` so
// that the shell refreshes the project and books windows.
void RunAddFilesToGroup(ProjectRec* project, GroupRec* group, QWidget* owner,
                        const std::function<void(FileRec*)>& added);

}  // namespace pm2
