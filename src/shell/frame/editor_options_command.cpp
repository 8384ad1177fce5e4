#include "shell/frame/editor_options_command.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor/document/editor_document.h"
#include "editor/options/options_session.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"

namespace pm2 {

namespace {

// One page: the record's tab size and tab handling.
struct PageControls {
  EditFileTypeSettings* rec;
  QSpinBox* tabSize;
  QCheckBox* keepTabs;
  QCheckBox* showTabs;
};

bool BuiltInSheet(QWidget* parent, EditorOptionsSession& session) {
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

void CMainFrame::OnEditorOptions() {
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_settings, &all);
  ProjectRec* p = m_app.Project();
  const int toolset = p && p->curTarget ? int(p->curTarget->toolset) : -1;
  EditorOptionsSession session(all, toolset);
  if (!CurrentEditorOptionsSheet()(this, session)) {
    session.Cancel();
    return;
  }
  if (session.Apply())
    m_app.SetState(kStateReloadWithoutAsking);
  else
    m_app.ClearState(kStateReloadWithoutAsking);
  SaveAllEditorTypeSettings(m_settings, all);
  m_editors->SettingsChanged();
}

}  // namespace pm2
