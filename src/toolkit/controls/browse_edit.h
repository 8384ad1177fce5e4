#pragma once
// Browse edits: a dialog edit with a "..." button beside it that picks a
// folder (SECBrowseDirEdit) or a file (SECBrowseFileEdit) into the edit,
// and the folder picker SECDirSelectDlg built on Qt's file dialog.

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/controls/list_box_editor.h"
#include "toolkit/core/file_system.h"

namespace pm2 {

// What a picker is asked; tests replace the dialogs through SetPicker.
struct PickerRequest {
  enum class Kind { Folder, OpenFile };
  Kind kind = Kind::Folder;
  QString title;
  QString startFolder;
  QString startFile;
  QString filter;     // Qt form ("All files (*)")
  QString defaultExtension;  // added to a typed name without one ("c", no dot)
  QWidget* owner = nullptr;
};
using PickerFunction = std::function<std::optional<QString>(const PickerRequest&)>;
// Replaces the platform pickers (null restores them).
void SetPicker(PickerFunction picker);
std::optional<QString> RunPicker(const PickerRequest& request);

// The folder picker. Mode bit 0 set: classic (the folder comes back with a
// trailing separator); clear: the shell's folder browser (without it).
class SECDirSelectDlg {
 public:
  SECDirSelectDlg(const QString& title, QWidget* owner, const QString& initialFolder, int mode = 1)
      : m_title(title), m_owner(owner), m_initial(initialFolder), m_mode(mode) {}
  // 1 (OK) or 2 (Cancel).
  int DoModal();
  QString GetFolder() const;

 private:
  QString m_title;
  QWidget* m_owner;
  QString m_initial;
  int m_mode;
  QString m_path;
};

class SECBrowseEditBase : public QLineEdit {
  Q_OBJECT
 public:
  explicit SECBrowseEditBase(QWidget* parent = nullptr);
  ~SECBrowseEditBase() override;
  // Places the "..." button: the edit keeps its position and becomes 26
  // pixels narrower; the button takes the rightmost 25 pixels of the
  // edit's former rectangle at full height, directly after it in tab order.
  bool Initialize();
  QPushButton* Button() const { return m_button; }
  void SetTitle(const QString& t) { m_title = t; }
  const QString& Title() const { return m_title; }
  SECFileSystem& FileSystem() { return m_fs; }
  virtual void OnBrowse() {}

 protected:
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

  QString m_title;
  SECFileSystem m_fs;

 private:
  QPointer<QPushButton> m_button;
};

class SECBrowseDirEdit : public SECBrowseEditBase {
  Q_OBJECT
 public:
  explicit SECBrowseDirEdit(QWidget* parent = nullptr);
  void OnBrowse() override;
  void SetMode(int mode) { m_mode = mode; }

 private:
  int m_mode = 1;
};

class SECBrowseFileEdit : public SECBrowseEditBase {
  Q_OBJECT
 public:
  explicit SECBrowseFileEdit(QWidget* parent = nullptr);
  void OnBrowse() override;
  // Filter in the stored form "Text (*.c)|*.c|All files (*.*)|*.*||".
  void SetFilter(const std::string& f) { m_filter = f; }
  // The stored filter as a Qt file-dialog filter.
  static QString ToQtFilter(const std::string& stored);

 private:
  std::string m_filter = "All files (*.*)|*.*||";
};

// The list-box editor whose "..." button picks a folder for the edited row.
class SECListBoxDirEditor : public SECListBoxEditor {
  Q_OBJECT
 public:
  explicit SECListBoxDirEditor(QWidget* parent = nullptr) : SECListBoxEditor(parent) {}
  bool Initialize(unsigned options, CommandListener* parent = nullptr, unsigned listId = 0,
                  QWidget* placeholder = nullptr) {
    return SECListBoxEditor::Initialize(options | LBE_BROWSE, parent, listId, placeholder);
  }
  void OnBrowse() override;
  SECFileSystem& FileSystem() { return m_fs; }

 private:
  SECFileSystem m_fs;
};

}  // namespace pm2
