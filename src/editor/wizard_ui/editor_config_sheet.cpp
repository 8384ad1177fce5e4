#include "editor/wizard_ui/editor_config_sheet.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "editor/options/options_session.h"
#include "editor/options/sheet_rules.h"
#include "editor/wizard_ui/colours_fonts_page.h"
#include "editor/wizard_ui/editor_options_page.h"
#include "editor/wizard_ui/section_colours_dialog.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "platform/settings_store.h"
#include "toolkit/menus/shortcut_table.h"

namespace pm2 {

CColFnt::CColFnt(EditorTypeSettings& records, const SECShortcutTable* shortcuts, const SECCommandList* commands,
                 QWidget* parent, WindowFonts* fonts)
    : QDialog(parent),
      m_records(records),
      m_fonts(fonts),
      m_tabs(new QTabWidget(this)),
      m_editor(new CPgEdOpt(records, m_tabs)),
      m_colours(new CPgColFnt(records, fonts, m_tabs)),
      m_shortcuts(new CPgScut(shortcuts, commands, m_tabs)),
      m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this)),
      m_defaults(new QPushButton("Defaults", this)) {
  setWindowTitle("Options");
  setObjectName("EditorConfigurationSheet");
  m_tabs->addTab(m_editor, "Editor");
  m_tabs->addTab(m_colours, "Colors && Fonts");
  m_tabs->addTab(m_shortcuts, "Shortcuts");
  // Without the program's shortcut table there is nothing to edit there.
  m_tabs->setTabEnabled(2, shortcuts && commands);
  connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (m_tabs->widget(index) == m_editor) m_editor->Activate();
    if (m_tabs->widget(index) == m_colours) m_colours->Activate();
  });
  // Cancel in the middle, OK to its left, the third button to its right.
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  buttons->addStretch(1);
  for (QPushButton* b : {m_ok, m_cancel, m_defaults}) {
    b->setFixedWidth(86);
    buttons->addWidget(b);
  }
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs, 1);
  layout->addLayout(buttons);
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_defaults, &QPushButton::clicked, this, &CColFnt::RestoreDefaults);
  resize(560, 430);
}

// The defaults of the page in front: the records as a profile without the
// editor's sections gives them; the shortcuts page has none to give.
void CColFnt::RestoreDefaults() {
  if (m_tabs->currentWidget() == m_shortcuts) {
    QApplication::beep();
    return;
  }
  struct Rec {
    int record;
    const char* section;
    int caseDefault, colouringDefault;
  };
  static const Rec kRecs[] = {{kFtRecCFiles, "Editor\\C Files", 1, 1},
                              {kFtRecAsmPage, "Editor\\Assembler", 0, 1},
                              {kFtRecDefault, "Editor\\Default Files", 0, 0}};
  SettingsStore empty{std::string()};
  for (const Rec& r : kRecs) {
    EditFileTypeSettings fresh;
    LoadEditorTypeSettings(empty, &fresh, r.section, r.caseDefault, r.colouringDefault);
    EditFileTypeSettings& rec = m_records[size_t(r.record)];
    if (m_tabs->currentWidget() == m_editor) {
      rec.flags = fresh.flags;
    } else {
      const EditFileTypeSettings keepFlags = rec;
      rec = fresh;
      rec.flags = keepFlags.flags;
    }
  }
  if (m_fonts && m_tabs->currentWidget() == m_colours) RestoreWindowColoursAndFonts(*m_fonts);
  m_editor->Activate();
  m_colours->Activate();
}

void CColFnt::UseProfile(SettingsStore* store, int toolset) {
  if (!store) {
    m_colours->SetSectionDialog(nullptr, nullptr);
    return;
  }
  m_colours->SetSectionDialog(
      [toolset](int kindRow) {
        return kindRow >= 0 && kindRow < kEditorWindowKindCount
                   ? EditorKindSection(kEditorWindowKinds[kindRow], toolset)
                   : std::string();
      },
      [this, store](const std::string& section) -> std::optional<SectionColours> {
        CEditOpt dialog(*store, section, this);
        const bool ok = execSectionDialog ? execSectionDialog(dialog) : dialog.exec() == QDialog::Accepted;
        if (!ok) return std::nullopt;
        return LoadSectionColours(*store, section);
      });
}

bool RunEditorConfigurationSheet(QWidget* parent, const EditorConfigurationContext& ctx) {
  if (!ctx.settings) return false;
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(*ctx.settings, &all);
  EditorOptionsSession session(all, ctx.toolset);
  session.EditWindowFonts(ctx.windowFonts);
  CColFnt sheet(all, ctx.shortcuts, ctx.commands, parent, ctx.windowFonts);
  sheet.UseProfile(ctx.settings, ctx.toolset);
  const bool ok = ctx.exec ? ctx.exec(sheet) : sheet.exec() == QDialog::Accepted;
  if (!ok) {
    session.Cancel();
    return false;
  }
  const bool reload = session.Apply();
  SaveAllEditorTypeSettings(*ctx.settings, all);
  if (ctx.shortcuts && sheet.ShortcutsPage()->Modified()) {
    ctx.shortcuts->Records() = sheet.ShortcutsPage()->Records();
    if (ctx.shortcutsEdited) {
      ctx.shortcutsEdited(*ctx.shortcuts);
    } else {
      ctx.shortcuts->Save();
      ctx.shortcuts->CreateAccelTable();
    }
  }
  if (ctx.applied) ctx.applied(reload);
  return true;
}

}  // namespace pm2
