#pragma once
// SECWorkspaceManagerEx: saves and opens workspaces (the open document
// windows with their places, the main window's placement and title, the
// dock state and the bar manager's settings) as one settings tree, in a
// "*.wsp" file (file mode) or below a key of the settings store (registry
// mode); keeps the recent list and its menu; runs the workspace commands.
// Window work goes through WorkspaceFrameHost and questions to the user
// through WorkspacePrompts, so the manager itself has no window.
//
// Tree (root "WorkState_v1_2"; "WorkState_v1_1" is read the same way, its
// "DocumentString" naming the template's file-type name instead of its id):
//   DockState ...                         (the dock state's own form)
//   Frames
//     MainFrame: WindowPlacement (44 bytes), Title
//     ChildFrames
//       Document-<d>                      (all documents, template order)
//         ViewFrame-<f>: DocPathName, DocumentString, DocTemplateIndex,
//             WindowPlacement | DockedViewBarID [+ DockedViewFloating,
//             DockedViewFloatingWP], IsActiveChildFrame, IsFrameVisible
//           AdditionalViewPerFrame-<n>: DocumentString, DocTemplateIndex
//                                       (n counts over the whole save)

#include <memory>
#include <string>
#include <vector>

#include "toolkit/core/commands.h"
#include "toolkit/docking/dock_state.h"
#include "toolkit/frames/doc_template.h"
#include "toolkit/workspace/workspace_list.h"
#include "toolkit/workspace/workspace_names.h"

namespace pm2 {

class SettingsStore;
class SECPersistentTreeNode;
class SECPTNFactory;
class SECPTNStrategy;

constexpr char kWorkspaceRoot[] = "WorkState_v1_2";
constexpr char kWorkspaceRootV11[] = "WorkState_v1_1";

// The windows a workspace is made of.
class WorkspaceFrameHost {
 public:
  virtual ~WorkspaceFrameHost() = default;
  virtual const TemplateApp* App() const = 0;
  virtual bool IsMdiFrame() const { return true; }

  // The main window. `showCmd` 0 applies the placement without showing.
  virtual WindowPlacement MainPlacement() const = 0;
  virtual void SetMainPlacement(const WindowPlacement& wp, int showCmd) = 0;
  virtual std::string MainTitle() const = 0;
  virtual void SetMainTitle(const std::string& title) = 0;
  virtual void ShowMainWindow(int showCmd) = 0;

  // Dock state and the bar manager's node, under the workspace root.
  virtual bool SaveDockState(SECPersistentTreeNode* root) = 0;
  virtual bool RestoreDockState(const SECPersistentTreeNode* root) = 0;
  virtual void HideControlBars() = 0;

  // Document windows.
  virtual TemplateFrame* ActiveChild() const = 0;
  virtual void ActivateFrame(TemplateFrame* frame, int showCmd) = 0;
  virtual void ActivateFirstChild() = 0;
  virtual bool IsFrameVisible(const TemplateFrame* frame) const = 0;
  virtual void ShowFrame(TemplateFrame* frame, bool show) = 0;
  virtual WindowPlacement FramePlacement(const TemplateFrame* frame) const = 0;
  virtual void SetFramePlacement(TemplateFrame* frame, const WindowPlacement& wp) = 0;
  // Called only after SaveModifiedDocuments said yes: a document the user
  // chose not to save closes without a second question.
  virtual bool CloseFrame(TemplateFrame* frame) = 0;
  // Before a workspace closes the document windows: every modified
  // document is asked about (and saved on Yes); false when the user
  // cancelled, and then no window closes.
  virtual bool SaveModifiedDocuments() = 0;

  // Documents: a modified or untitled one is saved first (false: not
  // saved, the user cancelled); its path afterwards.
  virtual bool PrepareDocumentForSave(TemplateFrame* frame, TemplateDocument* doc) = 0;
  virtual std::string DocumentPath(const TemplateDocument* doc) const = 0;
  // Opens (an empty path: a new document) without showing; null on failure.
  virtual TemplateDocument* OpenDocument(DocTemplate* t, const std::string& path) = 0;
  virtual TemplateFrame* CreateAdditionalFrame(DocTemplate* t, TemplateDocument* doc, TemplateFrame* previous) = 0;
  virtual void InitialUpdateFrame(DocTemplate* t, TemplateFrame* frame, TemplateDocument* doc) = 0;

  // Views docked in dockable frames; hosts without them keep the defaults.
  virtual bool IsDockableFrame(const TemplateFrame*) const { return false; }
  // The bar id holding the frame, whether it floats and the floating
  // window's placement.
  virtual unsigned DockedBarId(const TemplateFrame*) const { return 0; }
  virtual bool DockedFloating(const TemplateFrame*, WindowPlacement*) const { return false; }
  virtual TemplateDocument* OpenDockedView(DocTemplate*, const std::string&, unsigned /*barId*/) { return nullptr; }
  virtual TemplateFrame* CreateAdditionalDockedView(DocTemplate*, TemplateDocument*, unsigned) { return nullptr; }
  virtual void FloatDockedView(TemplateFrame*, const Rect&) {}
  virtual void ActivateDockableFrame(TemplateFrame*) {}
};

// Questions to the user.
class WorkspacePrompts {
 public:
  virtual ~WorkspacePrompts() = default;
  // A file to open or save as; false when cancelled.
  virtual bool PromptForFileName(bool forSave, const std::string& filter, std::string* name) = 0;
  // The workspace dialog on the lists; false unless it ended with OK.
  virtual bool RunWorkspaceDialog(WorkspaceNameLists* lists, std::string* chosen, bool forOpen, bool forSave) = 0;
  // `reason`, when given, says what is wrong with the workspace named.
  virtual void ShowError(unsigned stringId, const std::string& name, const std::string& reason) = 0;
};

// Moves the stored trees for the dialog's changes: every tree that changes
// its name is read first, then the deleted keys and the old keys are
// removed, then the trees are saved under their new names; a tree that
// cannot be read stays where it is. `errors` lists what failed.
bool ApplyWorkspaceListChanges(SettingsStore& store, const std::string& baseKey,
                               const std::vector<std::string>& oldNames, std::vector<std::string>* newNames,
                               const std::vector<std::string>& deleted, std::vector<std::string>* errors = nullptr);

class SECWorkspaceManagerEx : public CommandTarget {
 public:
  SECWorkspaceManagerEx(SettingsStore& store, WorkspaceFrameHost& host, WorkspacePrompts& prompts);
  ~SECWorkspaceManagerEx() override;

  void Init(const std::string& baseKey, bool registryMode, bool useApplicationKey = false);
  void SetStorageMode(bool registryMode, bool useApplicationKey);
  const std::string& CurrentName() const { return m_current; }
  bool IsOpen() const { return m_open; }
  const std::string& FileFilter() const { return m_filter; }

  bool SaveWorkspace(std::string name);
  bool SaveCurrentWorkspace() { return SaveWorkspace(m_current); }
  bool OpenWorkspace(std::string name, bool silent);
  bool OpenDefaultWorkspace(bool useMostRecent, bool silent);
  // Cancel on a modified document keeps every document window, the open
  // flag and the current name as they were (false).
  bool CloseWorkspace();
  bool PromptForName(std::string* name, bool forSave);
  // Shows the last error when a command's save or open failed.
  void SayIfFailed(bool done);

  bool ReadWorkspaceList(std::vector<std::string>* list) const;
  bool WriteWorkspaceList(const std::vector<std::string>& list);
  bool RemoveFromWorkspaceList(const std::string& name);
  std::vector<RecentMenuItem> RecentMenu() const;
  // The last error of a save or open ("Cannot write ...").
  const std::string& LastError() const { return m_error; }

  // Hooks for derived managers.
  virtual void SaveCustomData(SECPersistentTreeNode*, const std::string&) {}
  virtual void LoadCustomData(const SECPersistentTreeNode*, const std::string&) {}

  // The tree parts, public for tests and derived managers.
  std::unique_ptr<SECPTNStrategy> CreateStrategy(const std::string& name, class IniDocument* fileDoc) const;
  bool SaveFrames(SECPersistentTreeNode* root);
  bool RestoreFrames(const SECPersistentTreeNode* root, bool v11, TemplateFrame** active);

 private:
  // Closes every document window without asking (the documents were asked
  // about); the workspace is closed.
  bool CloseDocumentFrames();
  // What kept the workspace from being read ("The file '...' holds no
  // section [WorkState_v1_2]", the system's reason it did not read).
  std::string UnreadReason(const std::string& name, const SECPTNStrategy& strategy) const;
  bool SaveChildFrames(SECPersistentTreeNode* frames, TemplateFrame* active);
  SECPersistentTreeNode* SaveViewFrame(TemplateDocument* doc, TemplateFrame* frame, TemplateFrame* active,
                                       const std::vector<const TemplateFrame*>& visible,
                                       SECPersistentTreeNode* docNode, int index);
  bool SaveAdditionalView(TemplateDocument* doc, const TemplateView* view, const TemplateFrame* frame,
                          SECPersistentTreeNode* frameNode, int index);
  bool RestoreViewFrame(const SECPersistentTreeNode* node, bool v11, TemplateDocument** doc, TemplateFrame** frame,
                        TemplateFrame** active);
  bool PromptForRegistryName(std::string* name, bool forOpen, bool forSave);
  void ShowMainWindow();
  bool WriteTree(const std::string& name, SECPersistentTreeNode* root);

  SettingsStore& m_store;
  WorkspaceFrameHost& m_host;
  WorkspacePrompts& m_prompts;
  WorkspaceListPlace m_place{"Software\\Ruzorezu\\DefWorkspace\\", false, false};
  std::string m_current;
  bool m_open = false;
  std::string m_filter = "*.wsp";
  int m_restoredShow = 1;
  int m_appShow = 1;
  std::string m_error;
};

}  // namespace pm2
