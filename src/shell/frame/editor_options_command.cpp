#include "shell/frame/editor_options_command.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QTabWidget>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/document/editor_document.h"
#include "editor/options/options_session.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_keys.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/menus/assign_key_dialog.h"
#include "toolkit/menus/command_list.h"

namespace pm2 {

namespace {

// One page: the record's tab size and tab handling.
struct PageControls {
  EditFileTypeSettings* rec;
  QSpinBox* tabSize;
  QCheckBox* keepTabs;
  QCheckBox* showTabs;
};

// The shortcuts page: the commands, the keys of the chosen one, and the
// key-assignment dialog to give it another.
QWidget* ShortcutsPage(ShortcutPageData& data) {
  auto* page = new QWidget;
  auto* commands = new QListWidget(page);
  auto* keys = new QListWidget(page);
  auto* assign = new QPushButton("&Assign Key...", page);
  auto* layout = new QGridLayout(page);
  layout->addWidget(new QLabel("Commands:", page), 0, 0);
  layout->addWidget(commands, 1, 0, 2, 1);
  layout->addWidget(new QLabel("Keys:", page), 0, 1);
  layout->addWidget(keys, 1, 1);
  layout->addWidget(assign, 2, 1);
  if (!data.table || !data.commands) {
    page->setEnabled(false);
    return page;
  }
  for (const SECCommand& c : data.commands->Commands()) {
    if (c.strName.empty()) continue;
    auto* item = new QListWidgetItem(ToQString(c.strName), commands);
    item->setData(Qt::UserRole, uint(c.nID));
  }
  auto showKeys = [&data, commands, keys] {
    keys->clear();
    QListWidgetItem* item = commands->currentItem();
    if (!item) return;
    const unsigned id = item->data(Qt::UserRole).toUInt();
    for (const ACCEL& a : data.table->Records())
      if (a.cmd == id) keys->addItem(ToQString(data.table->KeyText(a)));
  };
  QObject::connect(commands, &QListWidget::currentRowChanged, page, showKeys);
  QObject::connect(assign, &QPushButton::clicked, page, [&data, commands, page, showKeys] {
    QListWidgetItem* item = commands->currentItem();
    if (!item) {
      QMessageBox::warning(page, "Options", "Select Item first !");
      return;
    }
    SECAssignKeyDlg dialog(*data.commands, *data.table, page);
    if (dialog.exec() != QDialog::Accepted || !dialog.HotKey()) return;
    data.table->AssignShortcut(dialog.HotKey(), std::uint16_t(item->data(Qt::UserRole).toUInt()));
    data.modified = true;
    showKeys();
  });
  QObject::connect(commands, &QListWidget::itemDoubleClicked, assign, &QPushButton::click);
  return page;
}

bool BuiltInSheet(QWidget* parent, EditorOptionsSession& session, ShortcutPageData& shortcuts) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Options");
  auto* tabs = new QTabWidget(&dialog);
  std::vector<PageControls> pages;
  const std::pair<const char*, EditFileTypeSettings*> kPages[] = {
      {"C/C++ Files", &session.CPage()},
      {"Assembler Files", &session.AssemblerPage()},
      {"Other Files", &session.OtherFilesPage()}};
  for (const auto& [title, rec] : kPages) {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* size = new QSpinBox(page);
    size->setRange(1, 16);
    size->setValue(rec->TabSize() ? rec->TabSize() : 4);
    auto* keep = new QCheckBox("Keep tabs", page);
    keep->setChecked(!rec->Has(kFtTabsToBlanks));
    auto* show = new QCheckBox("Show tabs", page);
    show->setChecked(rec->Has(kFtShowTabs));
    form->addRow("Tab size:", size);
    form->addRow(keep);
    form->addRow(show);
    tabs->addTab(page, title);
    pages.push_back({rec, size, keep, show});
  }
  tabs->addTab(ShortcutsPage(shortcuts), "Shortcuts");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  for (const PageControls& p : pages) {
    uint32_t f = (p.rec->flags & ~uint32_t(kFtTabSizeMask | kFtTabsToBlanks | kFtShowTabs)) |
                 uint32_t(p.tabSize->value());
    if (!p.keepTabs->isChecked()) f |= kFtTabsToBlanks;
    if (p.showTabs->isChecked()) f |= kFtShowTabs;
    p.rec->flags = f;
  }
  return true;
}

EditorOptionsSheet& Sheet() {
  static EditorOptionsSheet sheet;
  return sheet;
}

}  // namespace

void SetEditorOptionsSheet(EditorOptionsSheet sheet) { Sheet() = std::move(sheet); }

const EditorOptionsSheet& CurrentEditorOptionsSheet() {
  static const EditorOptionsSheet builtIn = BuiltInSheet;
  return Sheet() ? Sheet() : builtIn;
}

int CMainFrame::CTabWidth() const {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) return 4;
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_settings, &all);
  const int size = GetFileTypeTabSize(all, int(p->curTarget->toolset), kFileKindC);
  return size > 0 ? size : 4;
}

void CMainFrame::OnEditorOptions() {
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_settings, &all);
  ProjectRec* p = m_app.Project();
  const int toolset = p && p->curTarget ? int(p->curTarget->toolset) : -1;
  EditorOptionsSession session(all, toolset);
  // The page edits a copy of the shortcuts; the frame takes it on OK.
  ShortcutPageData shortcuts;
  std::unique_ptr<SECShortcutTable> table;
  std::unique_ptr<SCmdl> commands;
  if (m_keys) {
    table = std::make_unique<SECShortcutTable>(*m_keys, m_keys->FilePaths());
    commands = std::make_unique<SCmdl>(*m_keys, ShellResources());
    commands->BuildFromMenus();
    shortcuts.table = table.get();
    shortcuts.commands = commands.get();
  }
  if (!CurrentEditorOptionsSheet()(this, session, shortcuts)) {
    session.Cancel();
    return;
  }
  if (shortcuts.modified && table) m_keys->TakeShortcuts(*table);
  if (session.Apply())
    m_app.SetState(kStateReloadWithoutAsking);
  else
    m_app.ClearState(kStateReloadWithoutAsking);
  SaveAllEditorTypeSettings(m_settings, all);
  m_editors->SettingsChanged();
}

}  // namespace pm2
