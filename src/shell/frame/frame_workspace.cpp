#include "shell/frame/frame_workspace.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>

#include "debugger/session/debug_session.h"
#include "debugger/ui/debug_commands.h"
#include "platform/settings_store.h"
#include "shell/frame/command_table.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/frames/mdi_child.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/main_frame.h"
#include "toolkit/core/persistent_tree.h"
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

// The editor's text documents as the workspace manager sees them: one
// template, a document per open file, each shown in one document window.
// The records live as long as their window; they are found again by it, so
// the manager's pointers stay valid across one save or restore.
const FrameClassInfo kTextDocumentClass{"EditorDocument"};
const FrameClassInfo kTextViewClass{"EditorView"};
const FrameClassInfo kTextFrameClass{"SECWorksheetWnd"};

class TextFrame : public TemplateFrame {
 public:
  explicit TextFrame(SECWorksheetWnd* sheet) : sheet(sheet) {}
  const FrameClassInfo* RuntimeClass() const override { return &kTextFrameClass; }
  TemplateWindow* ParentWindow() const override { return nullptr; }
  bool IsShownAlone() const override { return sheet && !sheet->isHidden(); }
  unsigned ResourceId() const override { return kEditorMenuId; }
  QPointer<SECWorksheetWnd> sheet;
};

class TextView : public TemplateView {
 public:
  explicit TextView(TextFrame* frame) : m_frame(frame) {}
  const FrameClassInfo* RuntimeClass() const override { return &kTextViewClass; }
  TemplateWindow* ParentWindow() const override { return m_frame; }
  bool IsShownAlone() const override { return m_frame->IsShownAlone(); }
  TemplateFrame* ParentFrame() const override { return m_frame; }

 private:
  TextFrame* m_frame;
};

class TextDocument : public TemplateDocument {
 public:
  TextDocument(DocTemplate* t, const EditorDocument* doc, SECWorksheetWnd* sheet)
      : doc(doc), frame(sheet), m_template(t), m_view(&frame) {}
  const FrameClassInfo* RuntimeClass() const override { return &kTextDocumentClass; }
  DocTemplate* Template() const override { return m_template; }
  std::vector<TemplateView*> Views() const override { return {const_cast<TextView*>(&m_view)}; }
  const EditorDocument* doc;
  TextFrame frame;

 private:
  DocTemplate* m_template;
  TextView m_view;
};

class TextTemplate : public DocTemplate {
 public:
  explicit TextTemplate(EditorWindows& editors) : m_editors(editors) {}
  std::string GetDocString(DocString index) const override {
    switch (index) {
      case DocString::RegFileTypeId: return "Pelmora2.TextDocument";
      case DocString::RegFileTypeName: return "Text Document";
      case DocString::DocName: return "Text";
      default: return {};
    }
  }
  const FrameClassInfo* DocClass() const override { return &kTextDocumentClass; }
  const FrameClassInfo* ViewClass() const override { return &kTextViewClass; }
  const FrameClassInfo* FrameClass() const override { return &kTextFrameClass; }
  unsigned ResourceId() const override { return kEditorMenuId; }
  // The open documents in the order they were opened.
  std::vector<TemplateDocument*> Documents() const override {
    Prune();
    std::vector<TemplateDocument*> out;
    for (const EditorDocument* d : m_editors.Documents().Documents())
      if (TextDocument* r = Record(d)) out.push_back(r);
    return out;
  }
  TextDocument* Record(const EditorDocument* d) const {
    SECWorksheetWnd* sheet = d ? m_editors.SheetOf(d) : nullptr;
    if (!sheet) return nullptr;
    for (const auto& r : m_records)
      if (r->frame.sheet == sheet && r->doc == d) return r.get();
    m_records.push_back(std::make_unique<TextDocument>(const_cast<TextTemplate*>(this), d, sheet));
    return m_records.back().get();
  }
  TextFrame* FrameOf(const QMdiSubWindow* w) const {
    Prune();
    for (const EditorDocument* d : m_editors.Documents().Documents())
      if (m_editors.SheetOf(d) == w) return &Record(d)->frame;
    return nullptr;
  }

 private:
  // Records whose window has gone (closed with its document).
  void Prune() const {
    std::erase_if(m_records, [this](const std::unique_ptr<TextDocument>& r) {
      return !r->frame.sheet || m_editors.SheetOf(r->doc) != r->frame.sheet.data();
    });
  }
  EditorWindows& m_editors;
  mutable std::vector<std::unique_ptr<TextDocument>> m_records;
};

// A workspace is the layout and the open text documents: which files, where
// their windows are and which is active. An untitled text has no file and
// is not kept.
class FrameWorkspace::Host : public MdiWorkspaceHost, public TemplateApp {
 public:
  Host(CMainFrame& frame, FrameBars& bars) : MdiWorkspaceHost(&frame), m_main(frame), m_bars(bars),
                                             m_text(frame.Editors()) {
    saveBarManager = [&bars](SECPersistentTreeNode* root) {
      if (bars.Manager()) bars.Manager()->SaveStateToNode(root);
    };
    loadBarManager = [&bars](const SECPersistentTreeNode* root) {
      if (bars.Manager()) bars.Manager()->LoadStateFromNode(root);
    };
  }
  std::vector<DocTemplate*> Templates() const override { return {const_cast<TextTemplate*>(&m_text)}; }
  TemplateMainFrame* MainFrame() const override { return nullptr; }
  const TemplateApp* App() const override { return this; }
  QMdiSubWindow* FrameWindow(const TemplateFrame* frame) const override {
    auto* f = dynamic_cast<const TextFrame*>(frame);
    return f ? f->sheet.data() : nullptr;
  }
  TemplateFrame* FrameOf(const QMdiSubWindow* window) const override { return m_text.FrameOf(window); }
  // The texts are asked about once, all before any window closes.
  bool SaveModifiedDocuments() override { return m_main.SaveAndCloseTextDocuments(false, true); }
  bool CloseFrame(TemplateFrame* frame) override {
    if (auto* text = dynamic_cast<TextFrame*>(frame); text && text->sheet)
      return m_main.Editors().CloseAsked(text->sheet);
    return MdiWorkspaceHost::CloseFrame(frame);
  }
  // A modified text is saved first, and a new one is offered a name (the
  // Save command on its window): a workspace reopens files, not the texts
  // the user had in the windows. A new text left without a name has no
  // file and is not kept.
  bool PrepareDocumentForSave(TemplateFrame* frame, TemplateDocument* doc) override {
    auto* d = dynamic_cast<TextDocument*>(doc);
    if (!d || !d->doc || (!d->doc->IsModified() && !m_main.Editors().IsUntitled(d->doc))) return true;
    ActivateFrame(frame, 0);
    m_main.RouteCommand(cmd::kFileSave);
    return true;
  }
  std::string DocumentPath(const TemplateDocument* doc) const override {
    auto* d = dynamic_cast<const TextDocument*>(doc);
    if (!d || !d->doc || m_main.Editors().IsUntitled(d->doc)) return {};
    return d->doc->Path();
  }
  // A file that is gone is skipped: the rest of the workspace opens.
  TemplateDocument* OpenDocument(DocTemplate*, const std::string& path) override {
    if (path.empty() || !StatFile(path).exists) return nullptr;
    m_main.OpenFileAndShow(path, 0, 0);
    return m_text.Record(m_main.Editors().Find(path));
  }
  // A document has one window.
  TemplateFrame* CreateAdditionalFrame(DocTemplate*, TemplateDocument*, TemplateFrame*) override { return nullptr; }
  void InitialUpdateFrame(DocTemplate*, TemplateFrame*, TemplateDocument*) override {}
  // A session swaps the Build toolbar for the Debug toolbar and its end
  // swaps them back: a layout records which of the two it was saved with,
  // and opened in the other mode it takes that mode's toolbar instead.
  bool SaveDockState(SECPersistentTreeNode* root) override {
    const bool ok = MdiWorkspaceHost::SaveDockState(root);
    root->SetKeyValueBool(kSavedInSession, InSession());
    return ok;
  }
  // Toolbars made again by the layout bring new find and target boxes.
  bool RestoreDockState(const SECPersistentTreeNode* root) override {
    const bool ok = MdiWorkspaceHost::RestoreDockState(root);
    m_bars.WireBoxes();
    bool savedInSession = false;
    root->GetKeyValueBool(kSavedInSession, &savedInSession, false);
    if (savedInSession != InSession()) {
      const unsigned shown = InSession() ? kDebugToolBarId : kBuildToolBarId;
      const unsigned hidden = InSession() ? kBuildToolBarId : kDebugToolBarId;
      if (m_bars.IsToolBarVisible(hidden)) m_bars.ToggleToolBar(hidden);
      if (!m_bars.IsToolBarVisible(shown)) m_bars.ToggleToolBar(shown);
    }
    return ok;
  }

 private:
  static constexpr const char* kSavedInSession = "SavedInDebugSession";
  bool InSession() const { return m_main.Debugger() && m_main.Debugger()->Session().SessionActive(); }

  CMainFrame& m_main;
  FrameBars& m_bars;
  TextTemplate m_text;
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
