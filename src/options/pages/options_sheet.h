// COptSheet: the options of one project node in a sheet of pages with OK,
// Cancel and Defaults. The pages come from BuildPageSet and are made by the
// page table (page_factory.h); they edit the session's working copies, so
// the project changes only when the caller commits the session after OK.
// A page that refuses to be left keeps the sheet on it (switching tabs and
// OK alike); Enter and Escape inside a page close nothing.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "options/core/command_preview.h"
#include "options/core/page_set.h"
#include "project/environment/environment.h"

namespace pm2 {

class CommandContext;
class DriverCaps;
class OptionPage;
class OptionsSession;

// What the pages need of the program around them.
struct SheetServices {
  const EnvironmentInfo* environment = nullptr;  // TOOLS.INI as read; may be null
  // The device databases the device page offers (the generic one first).
  std::vector<TitledPath> databases;
  DriverCaps* drivers = nullptr;                 // null: the real loader
  // The program's own folder (ends in a separator): a driver the toolset's
  // folder does not hold is looked for here, as the debug session does.
  std::string programFolder;
  // Beep and message box of a refusal; replaceable by tests.
  std::function<void(const std::string&)> refuse;
  // Beep and a note at the field that refused a key, a paste or a drop
  // while the user types (no box takes the keys that follow); replaceable
  // by tests.
  std::function<void(QWidget* field, const std::string&)> notice;
  // Beep and a message box with a title of its own (title, text).
  std::function<void(const std::string&, const std::string&)> message;
  // The file and folder questions ("" for Cancel); replaceable by tests.
  // filter in the stored form "Text (*.x)|*.x|All files (*.*)|*.*||".
  std::function<std::string(const std::string& title, const std::string& filter, const std::string& folder)>
      chooseFile;
  std::function<std::string(const std::string& title, const std::string& folder)> chooseFolder;
  // A file to create (asks before overwriting; "" for Cancel).
  std::function<std::string(const std::string& title, const std::string& filter, const std::string& folder)>
      chooseNewFile;
  // Runs a dialog a page opens modally; tests replace it to drive it.
  std::function<int(QDialog&)> runDialog;
  // Opens a file in the editor (the debug page's Edit buttons).
  std::function<void(const std::string&)> openFile;
  // The editor's tab size of the target's C files: the compilers' previews
  // write the TABS control the build writes with it.
  int cTabWidth = 4;
};

class OptionsSheet : public QDialog {
  Q_OBJECT
 public:
  OptionsSheet(OptionsSession& session, SheetServices services, const QString& caption,
               QWidget* parent = nullptr);
  ~OptionsSheet() override;

  OptionsSession& Session() const { return m_session; }
  const SheetServices& Services() const { return m_services; }
  DriverCaps& Drivers() const;
  const ToolsetInfo* ToolsetEnvironment() const;
  // The command-line buffer of the pages' previews (one per sheet).
  CommandContext& PreviewContext() const { return *m_preview; }

  QTabWidget* Tabs() const { return m_tabs; }
  int PageCount() const { return int(m_pages.size()); }
  OptionPage* Page(int index) const;
  OptionPage* FindPage(PageId id) const;
  OptionPage* CurrentPage() const;
  const PageSet& Set() const { return m_set; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* CancelButton() const { return m_cancel; }
  QPushButton* DefaultsButton() const { return m_defaults; }

  // Opens on the flash page; false when the set has none.
  bool SelectInitialPage();
  // The device page changed the device: every page but the first is made
  // again for the (maybe new) toolset; the working copies keep their edits.
  void ResetPages();
  // The properties page changed the file's type: the tool pages behind it
  // are made again.
  void RebuildFilePages();
  void ShowRefusal(const std::string& message);
  void ShowNotice(QWidget* field, const std::string& message);
  void ShowMessage(const std::string& title, const std::string& text);
  // The project's folder (ends in a separator; "" without a project).
  std::string ProjectFolder() const;
  // A path as the project stores it: relative to the project's folder.
  std::string StoredPath(const std::string& path) const;
  // The stored form of a path chosen with a Browse button for `field`, or
  // "" (the reason shown) when the project files cannot hold it.
  std::string StoredChosenPath(const std::string& chosen, const std::string& field);

  void accept() override;
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void AddPages(const std::vector<PageEntry>& pages);
  void RemovePagesFrom(int first);
  // The sheet's least width: every tab in sight, none cut.
  void FitTabs();
  bool LeaveCurrent();
  void PageChosen(int index);
  PageSetInput SetInput() const;

  OptionsSession& m_session;
  SheetServices m_services;
  std::unique_ptr<DriverCaps> m_ownDrivers;
  PreviewContextPtr m_preview;
  PageSet m_set;
  std::vector<OptionPage*> m_pages;
  QTabWidget* m_tabs = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
  QPushButton* m_defaults = nullptr;
  int m_current = -1;
  bool m_switching = false;
};

}  // namespace pm2
