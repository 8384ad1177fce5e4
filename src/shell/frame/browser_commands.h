// The frame's side of the source browser: the "Source Browser" command
// that opens and closes its window, the window in a workbook child, the
// editor's look-ups (Go To Definition, Go To Reference, next and previous
// reference) on the same browse session as the add-in's, and closing the
// window whenever the browse information may be stale.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "browser/browse_navigation.h"
#include "browser/browse_symbol_list.h"
#include "browser/ui/browser_window.h"

class QDialog;
class QMenu;

namespace pm2 {

class CMainFrame;
class EditorView;
class SECWorksheetWnd;
class ShellApp;

inline constexpr unsigned kCmdSourceBrowser = 35096;
// The editor's steps through the current browse symbol's references.
inline constexpr unsigned kCmdNextReference = 35097, kCmdPreviousReference = 35098;

class BrowserCommands : public BrowserHost, public BrowseViewer {
 public:
  // Registers the command, its update rule and the editor's menu items.
  BrowserCommands(CMainFrame& frame, ShellApp& app, BrowseSession& session);
  ~BrowserCommands() override;
  BrowserCommands(const BrowserCommands&) = delete;
  BrowserCommands& operator=(const BrowserCommands&) = delete;

  // Runs a dialog modally (the choice between symbol records); tests
  // replace it.
  std::function<int(QDialog&)> m_runDialog;

  // The command: closes an open window, else loads the browse information
  // and opens the window (an error is shown in a message box).
  void OnSourceBrowser();
  // Closes the window (its layout kept for the next one) and drops the
  // browse information.
  void Close();
  // Closes the window only.
  void CloseWindow();
  BrowserWindow* Window() const;
  // The current target's browse file and base folder.
  BrowseSource Source() const;

  // Hands the open browser a kind filter (kind bits of the filter bar);
  // without one loads the browse information and, with `open`, opens the
  // browser with that filter.
  void BrowseSymbolKind(bool open, uint32_t kinds);
  // The editor's look-ups; a failure beeps and shows the message.
  void GoToSymbol(const std::string& word, bool definition);
  void StepReference(bool next);
  // The editor's context-menu items for the word at the caret.
  void AddEditorMenuItems(EditorView& view, QMenu& menu);

  // ---- BrowseViewer, BrowserHost
  bool ShowBrowseResult(bool open, BrowseName& name) override;
  void ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) override;
  void Beep() override;
  bool FrameMayClose() const override;

 private:
  bool OpenWindow();

  CMainFrame& m_frame;
  ShellApp& m_app;
  BrowseSession& m_session;
  BrowseFilterMemory m_filters;
  BrowserLayoutMemory m_layout;
  QPointer<SECWorksheetWnd> m_sheet;
  QPointer<BrowserWindow> m_window;
};

}  // namespace pm2
