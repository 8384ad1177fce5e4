#include "project/dialogs/add_files_dialog.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "project/dialogs/dialog_services.h"
#include "project/dialogs/file_type_dialog.h"

namespace pm2 {

namespace {

// "C Source file (*.c;*.h)" -> "C Source file (*.c *.h)" for Qt's filter form.
QString QtFilter(const FilterRow& row) {
  QString patterns = FromLocal(row.pattern);
  patterns.replace(';', ' ');
  QString title = FromLocal(row.title);
  const int open = title.lastIndexOf('(');
  if (open > 0) title = title.left(open).trimmed();
  return title + " (" + patterns + ")";
}

}  // namespace

AddFilesDialog::AddFilesDialog(const std::string& groupName, const std::vector<FilterRow>& filters,
                               const QString& folder, QWidget* parent)
    : QFileDialog(parent) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::ReadOnly, true);
  setFileMode(QFileDialog::ExistingFiles);
  setAcceptMode(QFileDialog::AcceptOpen);
  setWindowTitle(FromLocal("Add Files to Group '" + groupName + "'"));
  QStringList list;
  for (const FilterRow& r : filters) list << QtFilter(r);
  setNameFilters(list);
  if (!folder.isEmpty()) setDirectory(folder);
  setLabelText(QFileDialog::Accept, "Add");
  setLabelText(QFileDialog::Reject, "Close");
  setSizeGripEnabled(true);
  // Qt renames its accept button "Open" whenever the selection names a
  // folder, which it does as soon as Add has cleared the name. The label
  // is put back once Qt has finished with it.
  auto later = [this] { QTimer::singleShot(0, this, &AddFilesDialog::KeepAddLabel); };
  connect(this, &QFileDialog::currentChanged, this, later);
  connect(this, &QFileDialog::directoryEntered, this, later);
  if (QLineEdit* name = findChild<QLineEdit*>("fileNameEdit")) connect(name, &QLineEdit::textChanged, this, later);
  for (QAbstractItemView* view : findChildren<QAbstractItemView*>())
    if (view->selectionModel())
      connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, later);
}

void AddFilesDialog::KeepAddLabel() {
  auto* box = findChild<QDialogButtonBox*>("buttonBox");
  QPushButton* button = box ? box->button(QDialogButtonBox::Open) : nullptr;
  if (button && button->text() != "Add") button->setText("Add");
}

void AddFilesDialog::accept() {
  const QStringList files = selectedFiles();
  // A folder alone is entered; the dialog stays open. A folder that the view
  // still holds selected beside typed or chosen files is passed over, so
  // the files are added rather than the folder entered.
  if (files.size() == 1 && QFileInfo(files.front()).isDir()) {
    QFileDialog::accept();
    return;
  }
  for (const QString& f : files) {
    QFileInfo info(f);
    if (info.isDir()) continue;
    if (!info.exists()) {
      Beep();
      continue;
    }
    if (m_adder && m_adder(ToLocal(info.absolutePath() + "/"), ToLocal(info.fileName()))) ++m_added;
  }
  // The dialog stays open in the same folder for the next choice.
  if (QLineEdit* name = findChild<QLineEdit*>()) name->clear();
  KeepAddLabel();
}

void RunAddFilesToGroup(ProjectRec* project, GroupRec* group, QWidget* owner,
                        const std::function<void(FileRec*)>& added) {
  if (!project || !group) {
    Beep();
    return;
  }
  const bool is166 = project->curTarget && project->curTarget->toolset == 2;
  AddFilesDialog dlg(group->name.str(), ProjectAddFilesFilter(project, is166),
                     FromLocal(project->folder.str()), owner);
  dlg.SetAdder([&](const std::string& folder, const std::string& name) {
    AddFileOutcome o = AddFileToGroupChecked(
        project, group, folder, name,
        [&](const std::string& path) { return FileTypeDialog::Ask(path, is166, &dlg); },
        AddFileStyle::kFrame);
    if (!o.file) {
      RefuseWithMessage(o.message);
      return false;
    }
    if (added) added(o.file);
    return true;
  });
  dlg.exec();
}

}  // namespace pm2
