#include "shell/frame/editor_options_command.h"

#include <cctype>

#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "toolkit/controls/window_font_qt.h"
#include "editor/document/editor_document.h"
#include "editor/options/options_session.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_keys.h"
#include "shell/frame/main_frame.h"
#include "shell/frame/shell_resources.h"
#include "shell/output/out_view.h"
#include "shell/output/out_win.h"
#include "toolkit/controls/qt_bridge.h"
#include "editor/wizard_ui/editor_config_sheet.h"
#include "toolkit/menus/command_list.h"

namespace pm2 {

namespace {

// The program keeps each command's status-line prompt in its command table,
// not in the string table: the shortcuts page describes a command by it.
class FrameCommandList final : public SCmdl {
 public:
  using SCmdl::SCmdl;

  // Every command of the frame's table that the frame handles and can
  // describe may get a key, also one that no menu or default key lists;
  // such a command is named after its row's menu and what it does. Rows of
  // a window's own menu, a bar's control or the status bar are left out.
  void AddHandledCommands(const CommandTarget& frame) {
    for (const CommandRow& row : CommandTable()) {
      const std::string menu = row.menu;
      if (menu.empty() || !std::isupper(static_cast<unsigned char>(menu[0]))) continue;
      for (CommandId id = row.first; id <= row.last; ++id) {
        const std::string what = CommandPrompt(id);
        if (!frame.HasHandler(id) || what.empty()) continue;
        AddCommand(id, menu + ":" + what, what);
      }
    }
  }

 protected:
  bool CommandString(std::uint32_t id, std::string* text) const override {
    if (SCmdl::CommandString(id, text)) return true;
    *text = CommandPrompt(CommandId(id));
    return !text->empty();
  }
};

EditorOptionsSheet& Sheet() {
  static EditorOptionsSheet sheet;
  return sheet;
}

}  // namespace

void SetEditorOptionsSheet(EditorOptionsSheet sheet) { Sheet() = std::move(sheet); }

int CMainFrame::CTabWidth() const {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) return 4;
  EditorTypeSettings all{};
  LoadAllEditorTypeSettings(m_settings, &all);
  const int size = GetFileTypeTabSize(all, int(p->curTarget->toolset), kFileKindC);
  return size > 0 ? size : 4;
}

void CMainFrame::OnEditorOptions() {
  ProjectRec* p = m_app.Project();
  EditorConfigurationContext ctx;
  ctx.settings = &m_settings;
  ctx.toolset = p && p->curTarget ? int(p->curTarget->toolset) : -1;
  ctx.windowFonts = &m_windowFonts;
  // The page edits a copy of the shortcuts; the frame takes it on OK.
  std::unique_ptr<SECShortcutTable> table;
  std::unique_ptr<FrameCommandList> commands;
  if (m_keys) {
    table = std::make_unique<SECShortcutTable>(*m_keys, m_keys->FilePaths());
    commands = std::make_unique<FrameCommandList>(*m_keys, ShellResources());
    commands->BuildFromMenus();
    commands->AddHandledCommands(*this);
    ctx.shortcuts = table.get();
    ctx.commands = commands.get();
    ctx.shortcutsEdited = [this](const SECShortcutTable& edited) {
      // The keys work at once either way; unsaved, the next start would lose
      // them without a word.
      if (!m_keys->TakeShortcuts(edited))
        ShowError(m_app.Dialogs(), "The keyboard shortcuts could not be saved: " + m_keys->Shortcuts()->LastError());
    };
  }
  ctx.applied = [this](bool reloadWithoutAsking) {
    if (reloadWithoutAsking)
      m_app.SetState(kStateReloadWithoutAsking);
    else
      m_app.ClearState(kStateReloadWithoutAsking);
    m_editors->SettingsChanged();
    ApplyWindowSettings();
  };
  ctx.exec = Sheet();
  RunEditorConfigurationSheet(this, ctx);
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
