#include "project/dialogs/components_page.h"

#include <QKeyEvent>

#include "project/dialogs/add_files_dialog.h"
#include "project/dialogs/dialog_services.h"
#include "project/dialogs/file_type_dialog.h"

namespace pm2 {

// ---------------------------------------------------------------- editor

ComponentListEditor::ComponentListEditor(QWidget* parent, Handler handler)
    : SECListBoxEditor(parent), m_handler(std::move(handler)) {}

void ComponentListEditor::OnItemRenamed(int index, std::string oldText, std::string newText) {
  std::string trimmed = newText;
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
  SECListBoxEditor::OnItemRenamed(index, oldText, newText);
  // A name emptied by the user deleted the row in the editor's own handling.
  if (trimmed.empty() || index >= GetCount()) return;
  if (!m_handler.renamed || !m_handler.renamed(index, GetText(index))) SetItemText(index, oldText);
  if (m_handler.changed) m_handler.changed();
}

void ComponentListEditor::OnItemAdded(int index, std::string text) {
  SECListBoxEditor::OnItemAdded(index, text);
  if (index >= GetCount() || GetText(index).empty()) return;
  // A refused row leaves the list as it was before the edit, the row
  // selected then selected again (for groups: its files still shown).
  if (!m_handler.added || !m_handler.added(index, GetText(index))) RefuseAddedRow(index);
  if (m_handler.changed) m_handler.changed();
}

void ComponentListEditor::OnItemMoved(int oldIndex, int newIndex, std::string text, bool dragged) {
  if (m_handler.moved) m_handler.moved(oldIndex, newIndex);
  SECListBoxEditor::OnItemMoved(oldIndex, newIndex, text, dragged);
  if (m_handler.changed) m_handler.changed();
}

bool ComponentListEditor::OnItemDeleting(int index, std::string text) {
  if (m_handler.deleting) m_handler.deleting(index);
  SECListBoxEditor::OnItemDeleting(index, text);
  if (m_handler.changed) QMetaObject::invokeMethod(this, [this] { m_handler.changed(); }, Qt::QueuedConnection);
  return true;
}

void ComponentListEditor::SetRows(const std::vector<std::pair<std::string, std::intptr_t>>& rows) {
  while (GetItemCount() > 0) DeleteString(0);
  int at = 0;
  for (const auto& [text, data] : rows) InsertString(at++, text, data);
  update();
}

// ---------------------------------------------------------------- page

namespace {

// Typing on a target or group row starts editing its name; files are only
// added through "Add Files...", so typing on them starts nothing.
constexpr unsigned kEditorOptions = LBE_BUTTONS | LBE_TOOLTIPS | LBE_SHORTCUTS | LBE_DRAG;
constexpr unsigned kNameEditorOptions = kEditorOptions | LBE_TYPETOEDIT;

}  // namespace

ComponentsPage::ComponentsPage(ProjectSheetCopy& copy, const TargetRec* fallbackCurrent, QWidget* parent)
    : QWidget(parent), m_copy(copy), m_fallbackCurrent(fallbackCurrent) {
  UseDialogFont(this);
  ComponentListEditor::Handler targets;
  targets.renamed = [this](int row, const std::string& text) {
    EditResult r = RenameTarget(m_copy, row, text);
    if (!r.ok) RefuseWithMessage(r.message);
    else m_targets->SetItemText(row, m_copy.targets[row]->name.str());
    return r.ok;
  };
  targets.added = [this](int row, const std::string& text) {
    EditResult r = AddTarget(m_copy, row, text, m_fallbackCurrent);
    if (!r.ok) {
      RefuseWithMessage(r.message);
      return false;
    }
    m_targets->InsertString(row, m_copy.targets[row]->name.str(), std::intptr_t(m_copy.targets[row]));
    m_targets->DeleteString(row + 1);
    m_targets->SetCurSel(row);
    return true;
  };
  targets.moved = [this](int from, int to) { MoveTarget(m_copy, from, to); };
  targets.deleting = [this](int row) { DeleteTarget(m_copy, row); };
  targets.changed = [this] { UpdateVisibility(); };
  m_targets = new ComponentListEditor(this, targets);
  m_targets->SetCaption("Project Targets:");
  m_targets->Initialize(kNameEditorOptions, this, kTargetsId);
  m_targets->SetSpacesThatEnd(kLbeBlanksInNames);

  ComponentListEditor::Handler groups;
  groups.renamed = [this](int row, const std::string& text) {
    EditResult r = RenameGroup(m_copy, row, text);
    if (!r.ok) RefuseWithMessage(r.message);
    return r.ok;
  };
  groups.added = [this](int row, const std::string& text) {
    EditResult r = AddGroup(m_copy, row, text);
    if (!r.ok) {
      RefuseWithMessage(r.message);
      return false;
    }
    m_groups->InsertString(row, m_copy.groups[row]->name.str(), std::intptr_t(m_copy.groups[row]));
    m_groups->DeleteString(row + 1);
    m_groups->SetCurSel(row);
    FillFiles();
    return true;
  };
  groups.moved = [this](int from, int to) { MoveGroup(m_copy, from, to); };
  groups.deleting = [this](int row) { DeleteGroup(m_copy, row); };
  groups.changed = [this] {
    FillFiles();
    UpdateVisibility();
  };
  m_groups = new ComponentListEditor(this, groups);
  m_groups->SetCaption("Groups:");
  m_groups->Initialize(kNameEditorOptions, this, kGroupsId);
  m_groups->SetSpacesThatEnd(kLbeBlanksInNames);

  ComponentListEditor::Handler files;
  files.renamed = [](int, const std::string&) {
    Beep();  // files are renamed only by removing and adding them
    return false;
  };
  files.added = [](int, const std::string&) {
    Beep();  // files come in through "Add Files..."
    return false;
  };
  files.moved = [this](int from, int to) { MoveGroupFile(SelectedGroup(), from, to); };
  files.deleting = [this](int row) { DeleteGroupFile(SelectedGroup(), row); };
  m_files = new ComponentListEditor(this, files);
  m_files->SetCaption("Files:");
  m_files->Initialize(kEditorOptions, this, kFilesId);
  m_files->SetSpacesThatEnd(kLbeBlanksInNames);
  m_files->SetButtons(0x200 | 0x400 | 0x800);

  m_setCurrent = new QPushButton("Set as Current Target", this);
  m_addFiles = new QPushButton("Add Files...", this);
  connect(m_setCurrent, &QPushButton::clicked, this, &ComponentsPage::OnSetCurrent);
  connect(m_addFiles, &QPushButton::clicked, this, &ComponentsPage::OnAddFiles);

  FillTargets();
  FillGroups();
  FillFiles();
  UpdateVisibility();
  resize(560, 290);
}

void ComponentsPage::resizeEvent(QResizeEvent*) {
  const int margin = 10, gap = 10, buttonH = 23;
  const int w = (width() - 2 * margin - 2 * gap) / 3;
  const int listH = height() - 2 * margin - buttonH - 8;
  m_targets->setGeometry(margin, margin, w, listH);
  m_groups->setGeometry(margin + w + gap, margin, w, listH);
  m_files->setGeometry(margin + 2 * (w + gap), margin, w, listH);
  const int by = margin + listH + 8;
  m_setCurrent->setGeometry(margin, by, w, buttonH);
  m_addFiles->setGeometry(margin + 2 * (w + gap), by, w, buttonH);
}

void ComponentsPage::FillTargets() {
  std::vector<std::pair<std::string, std::intptr_t>> rows;
  int cur = -1;
  for (TargetRec* t : m_copy.targets) {
    if (t == m_copy.current) cur = int(rows.size());
    rows.emplace_back(t->name.str(), std::intptr_t(t));
  }
  m_targets->SetRows(rows);
  m_targets->SetCurSel(cur);
}

void ComponentsPage::FillGroups() {
  std::vector<std::pair<std::string, std::intptr_t>> rows;
  for (GroupRec* g : m_copy.groups) rows.emplace_back(g->name.str(), std::intptr_t(g));
  m_groups->SetRows(rows);
  m_groups->SetCurSel(rows.empty() ? -1 : 0);
}

GroupRec* ComponentsPage::SelectedGroup() const {
  const int row = m_groups->GetCurSel();
  if (row < 0 || row >= int(m_copy.groups.size()) || m_groups->IsEmptyLastRow(row)) return nullptr;
  return m_copy.groups[row];
}

void ComponentsPage::FillFiles() {
  std::vector<std::pair<std::string, std::intptr_t>> rows;
  for (FileRec* f : GroupFileRows(SelectedGroup())) rows.emplace_back(f->name.str(), std::intptr_t(f));
  m_files->SetRows(rows);
  m_files->SetCurSel(-1);
}

void ComponentsPage::UpdateVisibility() {
  const bool groups = m_copy.FirstTarget() != nullptr;
  const bool files = groups && m_copy.FirstGroup() != nullptr;
  m_groups->setVisible(groups);
  m_files->setVisible(files);
  m_addFiles->setVisible(files);
}

void ComponentsPage::OnCommand(unsigned id, int code, const void*) {
  if (id == kGroupsId && code == kLbnSelChange) FillFiles();
}

void ComponentsPage::OnSetCurrent() {
  const int row = m_targets->GetCurSel();
  if (row < 0 || m_targets->IsEmptyLastRow(row) || !SetCurrentTarget(m_copy, row)) Beep();
}

void ComponentsPage::OnAddFiles() {
  GroupRec* group = SelectedGroup();
  if (!group) {
    Beep();
    return;
  }
  const bool is166 = m_copy.current && m_copy.current->toolset == 2;
  std::string patterns[6] = {m_copy.filters[kSheetFilterC],       m_copy.filters[kSheetFilterAsm],
                             m_copy.filters[kSheetFilterObject],  m_copy.filters[kSheetFilterLibrary],
                             m_copy.filters[kSheetFilterText],    m_copy.filters[kSheetFilterCpp]};
  AddFilesDialog dlg(group->name.str(), BuildAddFilesFilter(patterns, is166),
                     FromLocal(m_copy.project ? m_copy.project->folder.str() : std::string()), this);
  dlg.SetAdder([this, is166](const std::string& folder, const std::string& name) {
    return AddFile(folder, name, [this, is166](const std::string& path) {
      return FileTypeDialog::Ask(path, is166, this);
    });
  });
  dlg.exec();
}

bool ComponentsPage::AddFile(const std::string& folder, const std::string& name, const FileTypeChooser& chooser) {
  GroupRec* group = SelectedGroup();
  if (!group || !m_copy.project) {
    Beep();
    return false;
  }
  AddFileOutcome o = AddFileToGroupChecked(m_copy.project, group, folder, name, chooser, AddFileStyle::kSheet);
  if (!o.file) {
    RefuseWithMessage(o.message);
    return false;
  }
  m_files->InsertString(m_files->GetCount() - 1, o.file->name.str(), std::intptr_t(o.file));
  return true;
}

bool ComponentsPage::Leave() {
  std::string m = CheckComponentsComplete(m_copy);
  if (m.empty()) return true;
  theApp().Shell().MessageBox(m, kMbOk | kMbIconExclamation);
  return false;
}

void ComponentsPage::keyPressEvent(QKeyEvent* e) {
  // Enter and Escape outside the in-place edit must not close the sheet.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace pm2
