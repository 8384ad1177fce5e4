// The steps of start-up and shut-down that belong to other parts of the
// program (profile, editor defaults, splash, document templates, the main
// frame, the event interface, shortcuts, the instance channel, help). The
// application object calls them in its fixed order (ShellApp::InitInstance,
// ShellApp::ExitInstance); the program implements them, tests record the
// order.
#pragma once

namespace pm2 {

class StartupPorts {
 public:
  virtual ~StartupPorts() = default;
  // 1: the profile key of the maker "Vond" (settings store loaded).
  virtual void SetUpProfile() {}
  // 2: the editor's defaults for every file type.
  virtual void LoadEditorDefaults() {}
  // 3: clears the add-in link.
  virtual void ClearAddInLink() {}
  // 4: section "MFrame" (sets kStateReopenLastProject from "LprJ") and the
  // visual-style switch handed to the menu bar.
  virtual void LoadFrameSettings() {}
  // 8: splash bitmap 123 for 3000 ms, shown and painted at once.
  virtual void ShowSplash(int /*bitmap*/, int /*ms*/) {}
  // 9: the five document templates in their order.
  virtual void RegisterDocumentTemplates() {}
  // 10: creates and loads the main frame (resource 120); false ends start-up.
  virtual bool CreateMainFrame() { return true; }
  // 11: the framework's own command-line processing; false ends start-up.
  virtual bool ProcessShellCommand() { return true; }
  // 12: shows the frame with its saved placement, paints it, focuses it.
  virtual void ShowMainFrame() {}
  // 14: registers the request handlers and starts the event interface.
  virtual void StartEventInterface() {}
  // 16: the keyboard-shortcut table, installed when its file loads.
  virtual void LoadShortcutTable() {}
  // 17: with -x or -y, the channel to other running instances.
  virtual void OpenInstanceChannel() {}
  // 18: help owner and help initialisation.
  virtual void InitHelp() {}

  // Shut-down, in this order: goodbye event, help, instance channel (with
  // -x/-y), "MFrame" values; the application then saves its recent list
  // and the settings store and frees every pool.
  virtual void SendGoodbye() {}
  virtual void CloseHelp() {}
  virtual void CloseInstanceChannel() {}
  virtual void SaveFrameSettings() {}
};

}  // namespace pm2
