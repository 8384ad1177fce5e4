#include "shell/frame/editor_options_command.h"

#include <QDialog>

#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/window_font_qt.h"
#include "editor/document/editor_document.h"
#include "editor/options/options_session.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_keys.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/shell_resources.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "toolkit/controls/qt_bridge.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "editor/wizard_ui/shortcuts_page.h"
#include "toolkit/menus/command_list.h"

namespace pm2 {

namespace {

// The editor configuration sheet (editor options, colours and fonts,
// shortcuts) on the session's records and a copy of the frame's shortcuts.
bool ConfigurationSheet(QWidget* parent, EditorOptionsSession& session, ShortcutPageData& shortcuts) {
  CColFnt sheet(session.All(), shortcuts.table, shortcuts.commands, parent, session.Fonts());
  if (sheet.exec() != QDialog::Accepted) return false;
  if (shortcuts.table && sheet.ShortcutsPage()->Modified()) {
    shortcuts.table->Records() = sheet.ShortcutsPage()->Records();
    shortcuts.modified = true;
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
  static const EditorOptionsSheet builtIn = ConfigurationSheet;
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
  session.EditWindowFonts(&m_windowFonts);
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
  ApplyWindowSettings();
}

void CMainFrame::ApplyOutputFont() {
  if (!m_output) return;
  if (!m_windowFonts.output.IsSet()) return m_output->ApplyFont(nullptr);
  const QFont font = FontOfEntry(m_windowFonts.output, COutView::DefaultFont());
  m_output->ApplyFont(&font);
}

void CMainFrame::ApplyWindowSettings() {
  ApplyOutputFont();
  if (!m_debug) return;
  m_debug->Windows().ApplySettings(m_windowFonts);
  if (DebugDialogs* d = m_debug->Dialogs()) d->ApplySettings(m_windowFonts);
}

}  // namespace pm2
