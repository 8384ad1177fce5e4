#include "shell/frame/frame_workspace.h"

#include "platform/settings_store.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/main_frame.h"
#include "toolkit/frames/doc_template.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/workspace/mdi_workspace_host.h"
#include "toolkit/workspace/workspace_list.h"

namespace pm2 {

namespace {

// The section of the settings store the workspaces are kept under.
constexpr const char* kWorkspaceKey = "Workspaces";

}  // namespace

// Layout only: no template, no document window belongs to a workspace.
class FrameWorkspace::Host : public MdiWorkspaceHost, public TemplateApp {
 public:
  Host(CMainFrame& frame, FrameBars& bars) : MdiWorkspaceHost(&frame), m_bars(bars) {
    saveBarManager = [&bars](SECPersistentTreeNode* root) {
      if (bars.Manager()) bars.Manager()->SaveStateToNode(root);
    };
    loadBarManager = [&bars](const SECPersistentTreeNode* root) {
      if (bars.Manager()) bars.Manager()->LoadStateFromNode(root);
    };
  }
  std::vector<DocTemplate*> Templates() const override { return {}; }
  TemplateMainFrame* MainFrame() const override { return nullptr; }
  const TemplateApp* App() const override { return this; }
  QMdiSubWindow* FrameWindow(const TemplateFrame*) const override { return nullptr; }
  TemplateFrame* FrameOf(const QMdiSubWindow*) const override { return nullptr; }
  bool PrepareDocumentForSave(TemplateFrame*, TemplateDocument*) override { return true; }
  std::string DocumentPath(const TemplateDocument*) const override { return {}; }
  TemplateDocument* OpenDocument(DocTemplate*, const std::string&) override { return nullptr; }
  TemplateFrame* CreateAdditionalFrame(DocTemplate*, TemplateDocument*, TemplateFrame*) override { return nullptr; }
  void InitialUpdateFrame(DocTemplate*, TemplateFrame*, TemplateDocument*) override {}
  // The editor windows are the project's: a workspace closes none of them.
  bool CloseFrame(TemplateFrame*) override { return true; }
  // Toolbars made again by the layout bring new find and target boxes.
  bool RestoreDockState(const SECPersistentTreeNode* root) override {
    const bool ok = MdiWorkspaceHost::RestoreDockState(root);
    m_bars.WireBoxes();
    return ok;
  }

 private:
  FrameBars& m_bars;
};

FrameWorkspace::FrameWorkspace(CMainFrame& frame, FrameBars& bars, SettingsStore& settings)
    : QObject(&frame), m_frame(frame) {
  m_host = std::make_unique<Host>(frame, bars);
  m_prompts = std::make_unique<QtWorkspacePrompts>(&frame);
  m_manager = std::make_unique<SECWorkspaceManagerEx>(settings, *m_host, *m_prompts);
  m_manager->Init(kWorkspaceKey, true);
  AttachWorkspaceManager(&frame, m_manager.get());
  // The frame's routing asks its own table first: the workspace commands
  // are handed on from there.
  for (CommandId id = kIdWorkspaceNew; id <= kIdWorkspaceRecentLast; ++id) {
    if (!m_manager->HasHandler(id)) continue;
    frame.OnCommand(id, [this](CommandId c) { m_manager->Execute(c); });
    frame.OnUpdate(id, [this](CommandState& s) {
      if (!m_manager->Update(s)) s.Enable(true);
    });
  }
}

// The frame goes first (this object is its child): it asks the manager
// nothing more by then.
FrameWorkspace::~FrameWorkspace() = default;

void FrameWorkspace::FillRecentMenu(QMenu* menu) { FillRecentWorkspaceMenu(menu, &m_frame, *m_manager); }

}  // namespace pm2
