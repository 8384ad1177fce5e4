// Source files in editor child windows of the main frame, one window per
// file: open (or bring to the front) at a line, the active one's title,
// save the modified ones, close them all. Kept in this one place so that
// the editor's own document and view classes take it over whole.
#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "editor/text/edit_profile.h"
#include "platform/ini_file.h"

namespace pm2 {

class EditControl;
class SECWorkbookWnd;
class SECWorksheetWnd;

class SourceWindows : public QObject {
 public:
  // The editors read their file type's settings (colours, font, tabs) from
  // `settings` and their keyword files from the program's folder.
  SourceWindows(SECWorkbookWnd& frame, SettingsStore* settings, std::string programDir);

  // Opens the file (a local path) or activates its window; a line above 0
  // is shown and selected. Null when the file cannot be read.
  EditControl* Open(const std::string& path, int line = 0, std::string* error = nullptr);
  EditControl* Find(const std::string& path) const;
  EditControl* Active() const;
  std::string ActivePath() const;
  std::string ActiveTitle() const;
  // Saves modified files; false when one could not be written.
  bool SaveModified(std::string* error);
  bool AnyModified() const;
  void CloseAll();
  int Count() const { return int(m_windows.size()); }
  const std::vector<std::string> Paths() const;

 private:
  struct Window {
    std::string path;
    SECWorksheetWnd* sheet = nullptr;
    EditControl* edit = nullptr;
  };
  void Forget(QObject* sheet);
  SECWorkbookWnd& m_frame;
  IniFiles m_keywordFiles;
  EditEnvironment m_env;
  std::vector<Window> m_windows;
};

}  // namespace pm2
