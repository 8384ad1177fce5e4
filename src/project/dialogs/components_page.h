// PgPrjCmp: the project components page of the "Components, Environment
// and Books" sheet: the targets, groups and files of the sheet's copy in
// three list-box editors, "Set as Current Target" and "Add Files...".
// Every row change goes to the copy at once (component_lists.h); a refused
// change is undone in the list with a beep and the message.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>

#include "project/edit/component_lists.h"
#include "toolkit/controls/list_box_editor.h"

namespace pm2 {

// CListBoxEd: an editor whose row changes are reported to a handler; row
// data are the copy's records.
class ComponentListEditor : public SECListBoxEditor {
  Q_OBJECT
 public:
  struct Handler {
    // Each returns false when the change is refused.
    std::function<bool(int row, const std::string& text)> renamed;
    std::function<bool(int row, const std::string& text)> added;
    std::function<void(int from, int to)> moved;
    std::function<void(int row)> deleting;
    std::function<void()> changed;  // after every change
  };
  ComponentListEditor(QWidget* parent, Handler handler);

  void OnItemRenamed(int index, std::string oldText, std::string newText) override;
  void OnItemAdded(int index, std::string text) override;
  void OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) override;
  bool OnItemDeleting(int index, std::string text) override;

  // Replaces the rows (the empty last row is kept).
  void SetRows(const std::vector<std::pair<std::string, std::intptr_t>>& rows);

 private:
  Handler m_handler;
};

class ComponentsPage : public QWidget, public CommandListener {
  Q_OBJECT
 public:
  // Control ids of the page.
  static constexpr unsigned kTargetsId = 1721, kGroupsId = 1546, kFilesId = 1545;

  // `fallbackCurrent`: the open project's current target, copied for a new
  // target while the copy has none.
  ComponentsPage(ProjectSheetCopy& copy, const TargetRec* fallbackCurrent, QWidget* parent = nullptr);

  // Leaving the page: false (after the message) while the copy has no
  // target or no group.
  bool Leave();

  ComponentListEditor* Targets() const { return m_targets; }
  ComponentListEditor* Groups() const { return m_groups; }
  ComponentListEditor* Files() const { return m_files; }
  GroupRec* SelectedGroup() const;

  void OnCommand(unsigned id, int code, const void* sender) override;

  // Adds one file to the selected group as the add-files dialog does; the
  // chooser stands for the file-type dialog. True when added.
  bool AddFile(const std::string& folder, const std::string& name, const FileTypeChooser& chooser);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void FillTargets();
  void FillGroups();
  void FillFiles();
  void UpdateVisibility();
  void OnSetCurrent();
  void OnAddFiles();

  ProjectSheetCopy& m_copy;
  const TargetRec* m_fallbackCurrent;
  ComponentListEditor* m_targets = nullptr;
  ComponentListEditor* m_groups = nullptr;
  ComponentListEditor* m_files = nullptr;
  QPushButton* m_setCurrent = nullptr;
  QPushButton* m_addFiles = nullptr;
};

}  // namespace pm2
