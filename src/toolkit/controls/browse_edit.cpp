#include "toolkit/controls/browse_edit.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/core/resources.h"

namespace pm2 {
namespace {

PickerFunction& Picker() {
  static PickerFunction picker;
  return picker;
}

std::optional<QString> PlatformPicker(const PickerRequest& r) {
  QString result;
  if (r.kind == PickerRequest::Kind::Folder) {
    result = QFileDialog::getExistingDirectory(r.owner, r.title, r.startFolder);
  } else {
    const QString start = r.startFile.isEmpty() ? r.startFolder : QDir(r.startFolder).filePath(r.startFile);
    QFileDialog dlg(r.owner, r.title, start, r.filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(r.defaultExtension);
    KeepHeaderIcon(dlg);
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) result = dlg.selectedFiles().first();
  }
  if (result.isEmpty()) return std::nullopt;
  return result;
}

}  // namespace

void SetPicker(PickerFunction picker) { Picker() = std::move(picker); }

std::optional<QString> RunPicker(const PickerRequest& request) {
  return Picker() ? Picker()(request) : PlatformPicker(request);
}

// --- folder picker -------------------------------------------------------------------

int SECDirSelectDlg::DoModal() {
  PickerRequest r;
  r.kind = PickerRequest::Kind::Folder;
  r.title = m_title;
  r.startFolder = m_initial.isEmpty() ? QDir::currentPath() : m_initial;
  r.owner = m_owner;
  std::optional<QString> chosen = RunPicker(r);
  if (!chosen) return 2;
  m_path = *chosen;
  while (m_path.size() > 1 && m_path.endsWith('/')) m_path.chop(1);
  return 1;
}

QString SECDirSelectDlg::GetFolder() const {
  // Nothing chosen yet: no folder, not the root that a bare separator names.
  if (m_path.isEmpty()) return {};
  if ((m_mode & 1) && !m_path.endsWith('/')) return m_path + '/';
  return m_path;
}

// --- browse edits ----------------------------------------------------------------------

SECBrowseEditBase::SECBrowseEditBase(QWidget* parent) : QLineEdit(parent) {}

SECBrowseEditBase::~SECBrowseEditBase() {
  if (m_button) m_button->deleteLater();
}

bool SECBrowseEditBase::Initialize() {
  QWidget* dialog = parentWidget();
  if (!dialog || m_button) return false;
  const QRect r = geometry();
  setGeometry(r.x(), r.y(), r.width() - 26, r.height());
  m_button = new QPushButton("...", dialog);
  m_button->setObjectName("SECBrowseButton");
  m_button->setGeometry(r.right() - 24, r.y(), 25, r.height());
  m_button->setFocusPolicy(Qt::StrongFocus);
  m_button->setEnabled(isEnabled());
  m_button->setVisible(isVisibleTo(dialog));
  QWidget::setTabOrder(this, m_button);
  connect(m_button, &QPushButton::clicked, this, [this] { OnBrowse(); });
  return true;
}

void SECBrowseEditBase::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange && m_button) m_button->setEnabled(isEnabled());
  QLineEdit::changeEvent(e);
}

void SECBrowseEditBase::showEvent(QShowEvent* e) {
  if (m_button) m_button->show();
  QLineEdit::showEvent(e);
}

void SECBrowseEditBase::hideEvent(QHideEvent* e) {
  if (m_button) m_button->hide();
  QLineEdit::hideEvent(e);
}

SECBrowseDirEdit::SECBrowseDirEdit(QWidget* parent) : SECBrowseEditBase(parent) {
  m_title = ToQString(ToolkitResources().String(kIdsSelectFolder));
}

void SECBrowseDirEdit::OnBrowse() {
  const QString start = ToQString(m_fs.StartFolder(FromQString(text())));
  SECDirSelectDlg dlg(m_title, parentWidget(), start, m_mode);
  if (dlg.DoModal() == 1) setText(dlg.GetFolder());
}

SECBrowseFileEdit::SECBrowseFileEdit(QWidget* parent) : SECBrowseEditBase(parent) {
  m_title = ToQString(ToolkitResources().String(kIdsSelectFile));
}

QString SECBrowseFileEdit::ToQtFilter(const std::string& stored) {
  // "Text (*.c)|*.c|All (*.*)|*.*||": pairs of name and patterns.
  QStringList parts = ToQString(stored).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    patterns.replace("*.*", "*");
    QString name = parts[i];
    const int paren = name.indexOf('(');
    if (paren > 0) name = name.left(paren).trimmed();
    out << name + " (" + patterns + ")";
  }
  return out.join(";;");
}

void SECBrowseFileEdit::OnBrowse() {
  std::string folder;
  const std::string file = m_fs.StartFile(FromQString(text()), &folder);
  PickerRequest r;
  r.kind = PickerRequest::Kind::OpenFile;
  r.title = m_title;
  r.startFolder = ToQString(folder.empty() ? (file.empty() ? std::string() : FromQString(QFileInfo(ToQString(file)).absolutePath())) : folder);
  r.startFile = file.empty() ? QString() : QFileInfo(ToQString(file)).fileName();
  r.filter = ToQtFilter(m_filter);
  r.owner = this;
  if (std::optional<QString> chosen = RunPicker(r)) setText(*chosen);
}

void SECListBoxDirEditor::OnBrowse() {
  SECListBoxEdit* edit = InPlaceEdit();
  if (!edit) return;
  const QString start = ToQString(m_fs.StartFolder(FromQString(edit->text())));
  SECDirSelectDlg dlg(ToQString(ToolkitResources().String(kIdsBrowseFolder)), this, start);
  if (dlg.DoModal() == 1) {
    edit->setText(dlg.GetFolder());
    edit->selectAll();
  }
  edit->setFocus();
}

}  // namespace pm2
