#pragma once
// The workspace manager on the docking MDI frame: MdiWorkspaceHost does the
// window work of a workspace on the frame (placements of the main window
// and of the document windows, the dock state, showing and closing); the
// application adds its documents by deriving from it. QtWorkspacePrompts
// asks through the file dialog, the workspace dialog and a message box.
//
// What the main frame does:
//   host = new AppWorkspaceHost(frame, ...);          // documents
//   prompts = new QtWorkspacePrompts(frame);
//   mgr = new SECWorkspaceManagerEx(store, *host, *prompts);
//   mgr->Init(key, registryMode);
//   AttachWorkspaceManager(frame, mgr);               // commands 43007..43039
//   FillRecentWorkspaceMenu(menu, frame, *mgr);       // before the menu shows
//   at start: mgr->OpenDefaultWorkspace(true, true);
//   in the closing hook: if (mgr->IsOpen()) mgr->SaveCurrentWorkspace();

#include <functional>

#include "toolkit/workspace/workspace_manager.h"

class QMenu;
class QMdiSubWindow;
class QWidget;

namespace pm2 {

class SECDockableFrame;
class SECMDIFrameWnd;
class SECPersistentTreeNode;

class MdiWorkspaceHost : public WorkspaceFrameHost {
 public:
  explicit MdiWorkspaceHost(SECMDIFrameWnd* frame) : m_frame(frame) {}

  // The document window of a frame; null when it has none.
  virtual QMdiSubWindow* FrameWindow(const TemplateFrame* frame) const = 0;
  virtual TemplateFrame* FrameOf(const QMdiSubWindow* window) const = 0;
  // The dockable frame that shows a frame's view (null for a document
  // window), and back. The application opens documents into dockable
  // frames (OpenDockedView, CreateAdditionalDockedView); the host saves
  // and restores where they are: the bar's id and its floating window,
  // while the dock state puts a docked bar back at its side.
  virtual SECDockableFrame* DockableFrame(const TemplateFrame*) const { return nullptr; }
  virtual TemplateFrame* FrameOfDockable(const SECDockableFrame*) const { return nullptr; }
  // The bar manager's own node under the root (the toolbar manager).
  std::function<void(SECPersistentTreeNode*)> saveBarManager;
  std::function<void(const SECPersistentTreeNode*)> loadBarManager;

  WindowPlacement MainPlacement() const override;
  void SetMainPlacement(const WindowPlacement& wp, int showCmd) override;
  std::string MainTitle() const override;
  void SetMainTitle(const std::string& title) override;
  void ShowMainWindow(int showCmd) override;
  bool SaveDockState(SECPersistentTreeNode* root) override;
  bool RestoreDockState(const SECPersistentTreeNode* root) override;
  void HideControlBars() override;
  TemplateFrame* ActiveChild() const override;
  void ActivateFrame(TemplateFrame* frame, int showCmd) override;
  void ActivateFirstChild() override;
  bool IsFrameVisible(const TemplateFrame* frame) const override;
  void ShowFrame(TemplateFrame* frame, bool show) override;
  WindowPlacement FramePlacement(const TemplateFrame* frame) const override;
  void SetFramePlacement(TemplateFrame* frame, const WindowPlacement& wp) override;
  bool CloseFrame(TemplateFrame* frame) override;
  bool IsDockableFrame(const TemplateFrame* frame) const override { return DockableFrame(frame) != nullptr; }
  unsigned DockedBarId(const TemplateFrame* frame) const override;
  bool DockedFloating(const TemplateFrame* frame, WindowPlacement* wp) const override;
  void FloatDockedView(TemplateFrame* frame, const Rect& rect) override;
  void ActivateDockableFrame(TemplateFrame* frame) override;

  SECMDIFrameWnd* Frame() const { return m_frame; }

 private:
  SECMDIFrameWnd* m_frame;
};

class QtWorkspacePrompts : public WorkspacePrompts {
 public:
  explicit QtWorkspacePrompts(QWidget* parent) : m_parent(parent) {}
  bool PromptForFileName(bool forSave, const std::string& filter, std::string* name) override;
  bool RunWorkspaceDialog(WorkspaceNameLists* lists, std::string* chosen, bool forOpen, bool forSave) override;
  void ShowError(unsigned stringId, const std::string& name, const std::string& reason) override;

 private:
  QWidget* m_parent;
};

// The file dialog's filter list: "Workspace Files (*.wsp)", "All Files (*.*)".
std::string WorkspaceFileFilters(const std::string& filter);

// The manager sees the frame's commands after the active document window.
void AttachWorkspaceManager(SECMDIFrameWnd* frame, SECWorkspaceManagerEx* mgr);
// Replaces the recent-workspace items of `menu` (ids 43031..43039 and the
// "more" item) with the current list; each item routes through the frame.
void FillRecentWorkspaceMenu(QMenu* menu, SECMDIFrameWnd* frame, const SECWorkspaceManagerEx& mgr);

}  // namespace pm2
