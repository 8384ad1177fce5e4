// CColFnt: the editor configuration sheet "Options" with the pages
// "Editor" (CPgEdOpt), "Colors & Fonts" (CPgColFnt) and "Shortcuts"
// (CPgScut). The pages work on working copies of the file-type records and
// of the shared window settings; OK keeps them, Cancel drops them.
//
// RunEditorConfigurationSheet is the program's command: it reads the
// records from the "Editor\..." sections, opens the sheet on the current
// toolset's records, and after OK writes the sections back and tells the
// program (reload changed files without asking, editors take the new
// settings); a changed shortcut table is saved and installed.
#pragma once

#include <QDialog>
#include <functional>

#include "toolkit/core/window_fonts.h"
#include "editor/options/file_type_settings.h"

class QPushButton;
class QTabWidget;

namespace pm2 {

class CEditOpt;
class CPgColFnt;
class CPgEdOpt;
class CPgScut;
class SECCommandList;
class SECShortcutTable;
class SettingsStore;

class CColFnt : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kDefaultsButton = 1329;

  // fonts: the window settings the colours page edits for the IDE's other
  // windows (null: editors only).
  CColFnt(EditorTypeSettings& records, const SECShortcutTable* shortcuts, const SECCommandList* commands,
          QWidget* parent = nullptr, WindowFonts* fonts = nullptr);

  QTabWidget* Tabs() const { return m_tabs; }
  CPgEdOpt* EditorPage() const { return m_editor; }
  CPgColFnt* ColoursPage() const { return m_colours; }
  CPgScut* ShortcutsPage() const { return m_shortcuts; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* CancelButton() const { return m_cancel; }
  QPushButton* DefaultsButton() const { return m_defaults; }
  // The window settings the colours page edits (null: editors only).
  WindowFonts* Fonts() const { return m_fonts; }
  // The profile the colours page's "Section Colors..." reads and writes,
  // and the toolset whose sections the editor kinds use.
  void UseProfile(SettingsStore* store, int toolset);
  // Runs the section colour dialog in place of its exec() (tests); true
  // stands for OK.
  std::function<bool(CEditOpt&)> execSectionDialog;

 private:
  void RestoreDefaults();

  EditorTypeSettings& m_records;
  WindowFonts* m_fonts;
  QTabWidget* m_tabs;
  CPgEdOpt* m_editor;
  CPgColFnt* m_colours;
  CPgScut* m_shortcuts;
  QPushButton* m_ok;
  QPushButton* m_cancel;
  QPushButton* m_defaults;
};

struct EditorConfigurationContext {
  SettingsStore* settings = nullptr;   // the "Editor\..." sections
  int toolset = 100;                   // the current target's; another value: no project
  SECShortcutTable* shortcuts = nullptr;       // null: the program has no table
  // After OK with changed shortcuts, `shortcuts` holds them and this takes
  // them over (saves and installs them); without it the table saves and
  // installs itself.
  std::function<void(const SECShortcutTable&)> shortcutsEdited;
  const SECCommandList* commands = nullptr;
  WindowFonts* windowFonts = nullptr;  // null: the editors' settings only
  // After OK: whether changed files reload without asking; the editors
  // then read their settings again.
  std::function<void(bool reloadWithoutAsking)> applied;
  // Replaceable by tests: runs the sheet, true on OK.
  std::function<bool(CColFnt&)> exec;
};

// True when the sheet was confirmed.
bool RunEditorConfigurationSheet(QWidget* parent, const EditorConfigurationContext& ctx);

}  // namespace pm2
