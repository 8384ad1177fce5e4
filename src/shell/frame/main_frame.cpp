#include "shell/frame/main_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalBlocker>
#include <QEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <optional>

#include "editor/document/editor_document.h"
#include "editor/document/view_commands.h"
#include "editor/ide/editor_view.h"
#include "editor/ide/message_box_questions.h"
#include "shell/app/deferred_commands.h"
#include "platform/settings_store.h"
#include "project/files/project_file.h"
#include "project/files/debug_lists.h"
#include "project/model/project_records.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/build_stop_wait.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_keys.h"
#include "shell/frame/frame_workspace.h"
#include "shell/frame/frame_title.h"
#include "debugger/ui/debug_commands.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/disassembly_window.h"
#include "shell/frame/addin_commands.h"
#include "shell/frame/browser_commands.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/frame/tool_commands.h"
#include "shell/tools/scc_commands.h"
#include "shell/tools/user_tools.h"
#include "shell/frame/shell_resources.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "project/dialogs/book_view.h"
#include "shell/windows/window_tracking.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mini_dock_frame.h"
#include "toolkit/frames/status_bar.h"
#include "shell/frame/x_key_locks.h"
#include "toolkit/menus/bmp_menu.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/menus/menu_builder.h"
#include "builder/commands/compiler_includes.h"
#include "builder/driver/toolset_folders.h"
#include "toolkit/toolbars/bmp_mgr.h"
#include "toolkit/toolbars/custom_toolbar.h"
#include "toolkit/toolbars/qt_resource_module.h"
#include "toolkit/toolbars/toolbar_manager.h"
#include "toolkit/toolbars/xp_look.h"

namespace pm2 {

namespace {

constexpr int kMessagePane = 0;
constexpr int kMaxRecent = 10;
const CommandId kStatusPanes[] = {0, 123, 118, 59137, 59138, 59139, 59140, 395};
constexpr CommandId kCaretPane = 118, kReadOnlyPane = 395, kOverwritePane = 59140;
// The default toolbars by their View menu commands.
constexpr struct {
  CommandId command;
  unsigned bar;
} kToolBarToggles[] = {{cmd::kViewFileBar, kFileToolBarId},
                       {cmd::kViewBuildBar, kBuildToolBarId},
                       {cmd::kViewDebugBar, kDebugToolBarId}};

SECControlBar* MakeBar(CMainFrame* frame, SECControlBar* bar, const char* title, unsigned id, std::uint32_t align) {
  std::uint32_t border = (align & (CBRS_ALIGN_RIGHT | CBRS_ALIGN_LEFT)) ? CBRS_BORDER_RIGHT : CBRS_BORDER_TOP;
  if (!bar->Create(frame, title, CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC | align | border, kIdeBarExStyle, id)) return nullptr;
  bar->EnableDocking(CBRS_ALIGN_ANY);
  return bar;
}

// Runs `update` once, as the window is first exposed and before anything in
// it is drawn: the start opens the project after the frame is shown, so the
// buttons and menus it allows come on at once, not with the next periodic
// update.
class BeforeFirstDrawing : public QObject {
 public:
  BeforeFirstDrawing(QObject* owner, QWindow* window, std::function<void()> update)
      : QObject(owner), m_update(std::move(update)) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      m_update();
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void()> m_update;
};

// A file type that the translate command takes.
bool Translatable(uint8_t type) { return type == kFileC || type == kFileAsm || type == kFileCpp; }

}  // namespace

CMainFrame::CMainFrame(ShellApp& app, SettingsStore& settings, BuildPort* build, FrameSettings& frame)
    : m_app(app),
      m_settings(settings),
      m_build(build),
      m_frameSettings(frame),
      m_windowFonts(DecodeWindowFontsRecord(frame.windowFonts)) {
  setObjectName("MainFrame");
  m_readKeyLocks = [] { return ReadKeyLocks(); };
  m_messageBoxes = std::make_unique<MessageBoxQuestions>(this);
  m_questions.SetTarget(m_messageBoxes.get());
  EditorWindowServices services;
  services.settings = &settings;
  services.programDir = theApp().m_programDir;
  services.questions = &m_questions;
  services.shell = this;
  services.status = this;
  services.appState = &m_editorState;
  m_editors = new EditorWindows(*this, std::move(services));
  connect(m_editors, &EditorWindows::titleChanged, this, [this] { UpdateTitle(); });
  connect(m_editors, &EditorWindows::fileNamed, this,
          [this](const QString& path) { m_app.AddRecentFile(FromQString(path)); });
  EditorViewContext& ctx = m_editors->ViewContext();
  m_contextMenuImages = std::make_unique<SECBmpMenuPlugIn>(ToolkitResourceModule());
  m_contextMenuImages->LoadToolBarBitmap(kMainToolbarImages);
  ctx.menuImages = [this](QMenu& menu) { m_contextMenuImages->Track(&menu); };
  ctx.openDocument = [this](const std::string& path) { OpenFileAndShow(path, 0, 0); };
  ctx.goToLineDialog = [this] { ShowGotoLineDialog(); };
  ctx.announceOpen = [this](const std::string& path) {
    if (m_addIns) m_addIns->Logic().NotifyOpen(path);
  };
  // The context menu's Open Linker COD File.
  ctx.linkerCodPath = [] {
    std::string path;
    return GetLinkerCodFilePath(&path) ? path : std::string();
  };
  // The context menu's Insert '#include <...>': the current target's
  // register header (its device's REGFILE).
  ctx.registerHeader = [this] {
    ProjectRec* p = m_app.Project();
    return p && p->curTarget ? p->curTarget->RGF.str() : std::string();
  };
  ctx.showListingLine = [this](const std::string& path, int n, const std::string& quotedName) {
    OpenFileAndShow(path, 0, 0);
    EditorDocument* doc = FindTextDocument(path);
    for (DocumentView* v : doc ? doc->Views() : std::vector<DocumentView*>{})
      if (auto* view = dynamic_cast<EditorView*>(v)) return view->GotoListingLine(n, quotedName) != 0;
    return false;
  };
  // Include files of the context menu: looked for in the project's folders
  // and the current target's toolset (its INC folder, the device's folder
  // below it, and the system include folder beside its programs), then the
  // target's own include folders as its compiler is given them.
  ctx.includeContext = [this](IncludeContext* inc) {
    ProjectRec* p = m_app.Project();
    if (!p || !p->curTarget) return false;
    const TargetRec& t = *p->curTarget;
    inc->projectFolder = p->folder.str();
    inc->toolset = int(t.toolset);
    const AppState& app = m_app.State();
    if (t.toolset < kToolsetCount && app.m_pToolsetInfo[t.toolset])
      inc->toolsetRoot = app.m_pToolsetInfo[t.toolset]->rootFolder;
    std::string device = !t.ORGREG.empty() ? t.ORGREG.str() : t.ENVREG.str();
    if (!device.empty()) inc->includeSub1 = device + "\\";
    std::string system;
    if (GetToolsetIncludeFolder(app, &system)) inc->systemIncludeFolder = inc->toolsetIncludeFolder = system;
    inc->includeFolders = TargetIncludeFolders(t);
    return true;
  };
  ctx.openStored = [this](const std::string& stored, std::string* local) {
    ProjectRec* p = m_app.Project();
    *local = p ? LocalFilePath(*p, stored) : std::string();
    return !local->empty() && StatFile(*local).exists;
  };
  ctx.addFindHistory = [this](const std::string& text) { AddFindHistory(text); };
  m_progress = std::make_unique<StatusProgress>([this](const std::string& text) {
    return QFontMetrics(m_status ? m_status->font() : font()).horizontalAdvance(ToQString(text));
  });
  m_chooseProjectFile = [this](const std::string& folder) {
    return FromQString(QFileDialog::getOpenFileName(this, "Select Project File", ToQString(folder),
                                                    "Project Files (*.pm2);;Dave Project Files (*.dpt)"));
  };
}

CMainFrame::~CMainFrame() {
  // Nothing may reach this half of the frame while the rest goes away:
  // no key, no workspace command.
  ForgetWindowCommands();
  if (m_bars) m_bars->ForgetHost();
  delete m_keys;
  m_keys = nullptr;
  SetWorkspaceHook(nullptr);
  delete m_workspace;
  m_workspace = nullptr;
  disconnect(MdiClient(), nullptr, this, nullptr);
  m_tools.reset();  // its threads end before the windows they write to
  m_browser.reset();
  m_addIns.reset();
  m_editors->CloseAll();
  m_app.m_windows.Forget(WindowSlot::OutputPane, m_output);
}

// ------------------------------------------------------------------ creation

bool CMainFrame::OnCreate() {
  m_findHistory.Load(m_settings);
  FrameBarsHost host;
  host.findEntered = [this](const std::string& text) { FindEntered(text); };
  // A history entry chosen from the list moves to the front; a text typed
  // and left joins the history, an empty box shows the latest entry again.
  host.findChosen = [this](const std::string& text) { AddFindHistory(text); };
  host.findLeft = [this](const std::string& text) {
    QComboBox* box = m_bars ? m_bars->FindBox() : nullptr;
    if (!box) return;
    if (text.empty()) {
      if (box->count() > 0) box->setCurrentIndex(0);
      return;
    }
    if (box->findText(ToQString(text), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) AddFindHistory(text);
  };
  host.targetChosen = [this](int index) { TargetChosen(index); };
  host.boxesCreated = [this] {
    if (QComboBox* box = m_bars->FindBox(); box && box->count() == 0) {
      for (const std::string& e : m_findHistory.Entries()) box->addItem(ToQString(e));
      if (box->count()) box->setCurrentIndex(0);
    }
    if (m_created) FillTargetSelector();
  };
  std::string err;
  m_bars = new FrameBars(this, std::move(host), {kMainMenuId, kEditorMenuId}, &err);
  if (!m_bars->Ok()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return false;
  }
  // The Project menu (the frame's and the editor window's) lists the
  // recent projects after its last separator; the Tools and SVCS popups
  // list the user tools and the source-control commands as they stand when
  // they open. Only those popups are made now; the others are made when
  // they first open, as nothing is added to them.
  SECMenuBar* menuBar = m_bars->MenuBar();
  for (int i = 0; i < int(menuBar->Model().Rows().size()); ++i) {
    const MenuBarRow& row = menuBar->Model().Rows()[std::size_t(i)];
    if (!row.IsPopup()) continue;
    auto has = [&row](CommandId id) {
      for (const MenuEntry& e : row.entry->children)
        if (e.kind == MenuEntry::Kind::Item && e.id == id) return true;
      return false;
    };
    const bool recent = has(cmd::kNewProject);
    const bool recentFiles = has(cmd::kFileOpen);
    if (!recent && !recentFiles && !has(kCmdCustomizeTools) && !has(kCmdConfigureScc)) continue;
    QMenu* menu = menuBar->PopupFor(i);
    if (!menu) continue;
    if (recentFiles) connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateRecentFilesMenu(menu); });
    if (recent) connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateRecentMenu(menu); });
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
      if (m_tools) m_tools->PopupAboutToShow(menu);
    });
  }
  CreateStatusBar();
  EnableDocking(CBRS_ALIGN_ANY);
  CreateBars();
  if (!m_projectBar || !m_outputBar || !m_watchBar || !m_memoryBar) return false;
  SetWorkbookMode(m_frameSettings.workbookMode);
  // The layout the user left with the toolbars; the first start keeps the
  // places given above and makes the default toolbars.
  m_bars->LoadState(m_settings, kBuildLayout);
  ApplyVisualStyle();
  RegisterCommands();
  RegisterWindowCommands();
  m_projectCommands = std::make_unique<ProjectCommandsExt>(*this, m_app);
  ActiveEditorQuery editor;
  editor.path = [this] { return m_editors->Active() ? m_editors->ActivePath() : std::string(); };
  editor.caretLine = [this] { return m_editors->Active() ? m_editors->Active()->Engine().State().nCaretLine : 0; };
  editor.caretColumn = [this] {
    return m_editors->Active() ? m_editors->Active()->Engine().State().nCaretCol + 1 : 0;
  };
  editor.caretOf = [this](const std::string& path, int* line, int* column) {
    EditorDocument* doc = m_editors->Find(path);
    EditorView* view = doc ? m_editors->ViewOf(doc) : nullptr;
    if (!view) return false;
    *line = view->Engine().State().nCaretLine;
    *column = view->Engine().State().nCaretCol + 1;
    return true;
  };
  editor.selection = [this] {
    return m_editors->Active() ? m_editors->Active()->Engine().GetSelectedText(nullptr) : std::string();
  };
  m_tools = std::make_unique<ToolCommands>(*this, m_app, m_settings, std::move(editor));
  m_addIns = std::make_unique<AddInCommands>(*this, m_app, m_settings);
  m_browser = std::make_unique<BrowserCommands>(*this, m_app, m_addIns->Browse());
  m_debug = std::make_unique<DebugCommands>(*this, m_app, m_settings);
  RegisterKeys();
  SetCloseHook([this] { return CloseSequence(); });
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, [this] { UpdateCommandUi(); });
  idle->start(250);
  connect(MdiClient(), &QMdiArea::subWindowActivated, this, [this] { ActiveEditorChanged(); });
  // Coming back to the program: files changed meanwhile are offered for
  // reload (one check waits at a time; a second activation adds none). The
  // check waits on a timer of its own: the deferred command's one place is
  // for what the user asks, and the click that brings the program back may
  // be Start/Stop Debug Session, which waits there.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive || m_app.HasState(kStateBusy) || m_app.HasState(kStateCreatingFrame)) return;
    if (m_reloadCheckWaits) return;
    m_reloadCheckWaits = true;
    QTimer::singleShot(DeferredCommands::IntervalFor(kDeferReloadCheck), this, [this] {
      m_reloadCheckWaits = false;
      m_app.ReloadProjectAfterTool();
      CheckChangedSourceFiles();
    });
  });
  m_created = true;
  UpdateTitle();
  return true;
}

void CMainFrame::CreateStatusBar() {
  m_status = new SECStatusBar(this);
  m_status->setObjectName("StatusBar");
  m_status->SetIndicators(kStatusPanes, int(std::size(kStatusPanes)), ShellResources());
  // The strings only give the panes their widths; the panes start empty,
  // but for the key indicators, which keep their text and show it while
  // their lock is on.
  for (int i = 1; i < m_status->GetCount(); ++i)
    if (!IsKeyIndicatorPane(m_status->Model().Pane(i).id)) m_status->SetPaneText(i, "", false);
  UpdateKeyIndicators();
  m_status->SetWindowText("Ready");
  SetStatusBar(m_status);
  SetMessageHandler([this](const std::string& text) { m_status->SetWindowText(text); });
  SetPromptSource([this](unsigned id) {
    // A greyed command that can tell why says so instead.
    const CommandState s = QueryCommand(id);
    return !s.enabled && !s.greyedReason.empty() ? s.greyedReason : CommandPrompt(id);
  });
}

void CMainFrame::CreateBars() {
  m_projectBar = new CPrjWin(m_app, *this);
  if (!MakeBar(this, m_projectBar, "Project Workspace", CPrjWin::kBarId, CBRS_ALIGN_LEFT)) m_projectBar = nullptr;
  m_outputBar = MakeBar(this, new SECControlBar, COutWin::Caption(), kOutputBarId, CBRS_ALIGN_BOTTOM);
  if (m_outputBar) {
    m_output = new COutWin(nullptr, theApp().Shell());
    m_output->SetJumpListener(this);
    m_output->SetBarMenu([bar = m_outputBar] { return bar->BuildContextMenu(); });
    m_outputBar->SetChild(m_output);
    TrackWindow(m_app.m_windows, WindowSlot::OutputPane, m_output);
    ApplyOutputFont();
    // Floated, the window is wide enough to show its page tabs whole.
    Size& floating = m_outputBar->State().szFloat;
    floating.cx = std::max(floating.cx, m_output->TabWnd()->FullStripWidth());
  }
  m_watchBar = MakeBar(this, new SECControlBar, "Watches", kWatchBarId, CBRS_ALIGN_BOTTOM);
  m_memoryBar = MakeBar(this, new SECControlBar, "Memory", kMemoryBarId, CBRS_ALIGN_BOTTOM);
  if (!m_projectBar || !m_outputBar || !m_watchBar || !m_memoryBar) return;
  m_watchBar->SetChild(new QWidget);
  m_memoryBar->SetChild(new QWidget);
  const int width = m_frameSettings.projectWidth, height = m_frameSettings.outputHeight;
  m_projectBar->State().szVert = {width, 400};
  m_outputBar->State().szHorz = {600, height};
  m_watchBar->State().szHorz = {300, height};
  m_memoryBar->State().szHorz = {300, height};
  DockControlBarEx(m_projectBar, AFX_IDW_DOCKBAR_LEFT, 0, 0, 1.0f, width);
  DockControlBarEx(m_outputBar, AFX_IDW_DOCKBAR_BOTTOM, 0, 0, 1.0f, height);
  DockControlBarEx(m_watchBar, AFX_IDW_DOCKBAR_BOTTOM, 0, 1, 0.5f, height);
  DockControlBarEx(m_memoryBar, AFX_IDW_DOCKBAR_BOTTOM, 0, 2, 0.5f, height);
  ShowControlBar(m_watchBar, false, false);
  ShowControlBar(m_memoryBar, false, false);
}

void CMainFrame::RegisterKeys() { m_keys = new FrameKeys(*this, m_settings.FilePath()); }

void CMainFrame::InstallShortcutTable() {
  if (m_keys) m_keys->Install();
}

void CMainFrame::SetHelpReady(bool ready) {
  if (m_keys) m_keys->SetHelpReady(ready);
}

constexpr int kFloatingReshowMs = 150;

void CMainFrame::ShowMainFrame(int showCmd) {
  const FrameSettings& s = m_frameSettings;
  QRect normal(80, 60, 1100, 760);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect avail = screen->availableGeometry();
    normal = QRect(avail.left() + avail.width() / 16, avail.top() + avail.height() / 16, avail.width() * 7 / 8,
                   avail.height() * 7 / 8);
  }
  // The stored place is fitted to the screens there are now: one that is
  // gone, or values past any screen, must not open the window out of sight.
  std::vector<ScreenArea> screens;
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect a = primary->availableGeometry();
    screens.push_back({a.x(), a.y(), a.width(), a.height()});
  }
  for (QScreen* screen : QGuiApplication::screens()) {
    const QRect a = screen->availableGeometry();
    screens.push_back({a.x(), a.y(), a.width(), a.height()});
  }
  ScreenArea fitted;
  if (s.hasPlacement && FitFrameRect(s.placement, screens, &fitted)) {
    normal = QRect(fitted.x, fitted.y, fitted.width, fitted.height);
    showCmd = int(s.placement.showCmd);
  }
  setGeometry(normal);
  // Bars restored floating were shown with the layout, before the frame:
  // held off the screen until it is up.
  if (m_bars) m_bars->HoldFloatingFrames();
  if (showCmd == 3)
    showMaximized();
  else if (showCmd == 2 || showCmd == 6)
    showMinimized();
  else
    show();
  RecalcLayout();
  UpdateCommandUi();
  if (QWindow* window = windowHandle()) new BeforeFirstDrawing(this, window, [this] { UpdateCommandUi(); });
  raise();
  activateWindow();
  // Shown again once the window manager has taken the frame and the bars'
  // withdrawal (shown again at once, a manager could still be withdrawing
  // them and lose them).
  QTimer::singleShot(kFloatingReshowMs, this, [this] {
    if (m_bars) m_bars->ShowHeldFloatingFrames();
  });
}

// ------------------------------------------------------------------ commands

CommandUpdateContext CMainFrame::Context() const {
  CommandUpdateContext c;
  c.sessionActive = m_app.Debug().SessionActive();
  c.targetExecuting = m_app.Debug().TargetExecuting();
  c.buildRunning = m_app.HasState(kStateBusy);
  // The busy state covers the user tools and the lint runs too, which Stop
  // Build does not stop: it would wait for their end, however long.
  c.stopBlocked = m_tools && !m_tools->RunningTool().empty();
  ProjectRec* p = m_app.Project();
  c.hasProject = p != nullptr;
  if (p) {
    c.projectReadOnly = (p->flags & kProjectReadOnly) != 0;
    c.hasTarget = p->curTarget != nullptr;
    if (p->curTarget) {
      c.targetName = p->curTarget->name.str();
      c.currentTargetHidden = (p->curTarget->flags & kTargetDeleted) != 0;
      c.currentTargetHasOptions = p->curTarget->pOpts != nullptr;
    }
  }
  if (NodeRec* sel = m_app.m_pSelItem; sel && p) {
    c.selectedKind = sel->kind;
    if (sel->kind == kKindTarget) c.selectedName = static_cast<TargetRec*>(sel)->name.str();
    if (sel->kind == kKindGroup) c.selectedName = static_cast<GroupRec*>(sel)->name.str();
    if (sel->kind == kKindFile) {
      auto* f = static_cast<FileRec*>(sel);
      c.selectedName = f->name.str();
      c.selectedFileType = f->type;
      c.selectedIsInclude = f->group == nullptr;
    }
  }
  if (m_debug && m_debug->Windows().ActiveDisassembly()) c.activeViewKind = 1;
  if (EditorView* active = m_editors->Active()) {
    c.activeViewKind = 2;
    c.viewHasSelection = active->HasSelectionShown();
    c.activeDocName = m_editors->ActiveTitle();
    if (p) {
      FileRec* f = FindSourceFileByPath(m_editors->ActivePath().c_str());
      c.activeDocTranslatable = f && f->group && Translatable(f->type);
    }
  }
  c.projectBarOpen = m_projectBar && m_projectBar->IsBarVisible();
  c.outputBarOpen = m_outputBar && m_outputBar->IsBarVisible();
  for (int i = 0; i < 3; ++i) c.toolbarVisible[i] = m_bars && m_bars->IsToolBarVisible(kToolBarToggles[i].bar);
  c.workbookMode = IsWorkbookMode();
  c.includeDependencies = m_frameSettings.includeDependencies;
  c.visualStyle = m_app.m_visualStyle != 0;
  c.findRunning = m_tools && m_tools->FindRunning();
  c.flashDownloadReady = m_debug && m_debug->FlashEnabled(false);
  c.flashEraseReady = m_debug && m_debug->FlashEnabled(true);
  c.recentCount = 0;
  for (int i = 0; i < kMaxRecent; ++i)
    if (!m_app.m_recent.At(i).empty()) ++c.recentCount;
  return c;
}

CommandState CMainFrame::QueryCommand(CommandId id) {
  CommandState s;
  s.id = id;
  const CommandRow* row = FindCommandRow(id);
  if (row && row->update)
    s = EvaluateCommand(id, Context());
  else
    CommandTarget::Update(s);  // the editor's and the framework's commands answer themselves
  // A command nobody here can run yet stays greyed, whatever its rule says;
  // so does every command while a stopped build's end is awaited.
  if (!HasHandler(id) || BuildStopWait::Waiting()) s.Enable(false);
  return s;
}

bool CMainFrame::ExecuteCommand(CommandId id, bool fromControl) {
  if (!fromControl) {
    int index = 0, table = 0;
    switch (ClassifyRuntimeId(id, &index, &table)) {
      case RuntimeRange::UserTool:
      case RuntimeRange::SourceControl:
        if (m_tools) m_tools->RunRuntimeCommand(id);
        return true;
      case RuntimeRange::DriverMenu:
        // Without a session the driver's menus do nothing; in one they run
        // the driver's entries (debugger/ui).
        if (HasHandler(id) && m_app.Debug().SessionActive()) break;
        return true;
      default:
        break;
    }
  }
  if (!HasHandler(id)) return false;
  CommandState s = QueryCommand(id);
  if (!s.enabled) {
    m_app.Dialogs().Beep();
    // A key's greyed command says why, as its menu item's prompt does.
    if (!s.greyedReason.empty()) ShowStatusText(s.greyedReason);
    return false;
  }
  bool ran = CommandTarget::Execute(id);
  UpdateCommandUi();
  return ran;
}

void CMainFrame::UpdateKeyIndicators() {
  if (!m_status) return;
  const std::optional<KeyLocks> locks = m_readKeyLocks ? m_readKeyLocks() : std::nullopt;
  for (const KeyIndicatorPane& pane : KeyIndicatorPanes()) {
    const int index = m_status->CommandToIndex(pane.id);
    if (index < 0) continue;
    const std::uint32_t style = m_status->GetPaneStyle(index) & ~sbps::kDisabled;
    m_status->SetPaneStyle(index, KeyIndicatorLit(pane.id, locks) ? style : style | sbps::kDisabled);
  }
}

void CMainFrame::UpdateCommandUi() {
  if (m_bars) m_bars->UpdateButtons();
  UpdateKeyIndicators();
  UpdateControlBars();
  EditorState();  // the editor's focus bit reaches the application
  if (!m_editors->Active()) {  // no editor: the editor's panes are empty
    SetCaretPosition("");
    SetReadOnly("");
    SetOverwrite("");
  }
  if (m_buildProgress && !m_app.HasState(kStateBusy)) {
    m_buildProgress = false;
    ProgressRequest end;
    end.kind = kProgressEnd;
    ShowStatusProgress(end);
  }
}

void CMainFrame::StartBuildProgress(const std::string& label, int steps) {
  m_buildLabel = label;
  m_buildSteps = std::max(1, steps);
  m_buildStep = 0;
  m_buildProgress = true;
  ProgressRequest start;
  start.kind = kProgressStart;
  start.low = 0;
  start.high = m_buildSteps;
  start.label = m_buildLabel.c_str();
  ShowStatusProgress(start);
}

// A tool's first line ("compiling x.c...", "assembling ...", "linking...")
// is one step of the build.
void CMainFrame::BuildProgressLine(const char* text) {
  if (!m_buildProgress || !text) return;
  std::string_view line(text);
  if (!line.starts_with("compiling ") && !line.starts_with("assembling ") && !line.starts_with("linking"))
    return;
  ProgressRequest step;
  step.kind = kProgressPosition;
  step.low = 0;
  step.high = m_buildSteps;
  step.position = ++m_buildStep;
  ShowStatusProgress(step);
}

void CMainFrame::RegisterCommands() {
  OnCommand(cmd::kOpenProject, [this](CommandId) { OnOpenProject(); });
  OnCommand(cmd::kCloseProject, [this](CommandId) { OnCloseProject(); });
  OnCommand(cmd::kSaveAll, [this](CommandId) { OnSaveAll(); });
  OnCommand(cmd::kBuildTarget, [this](CommandId) { OnBuild(0); });
  OnCommand(cmd::kRebuildAll, [this](CommandId) { OnBuild(1); });
  OnCommand(cmd::kTranslate, [this](CommandId) { OnTranslateFile(); });
  OnCommand(cmd::kTranslateNamed, [this](CommandId) { OnTranslateSelected(); });
  OnCommand(cmd::kTranslateNamed2, [this](CommandId) { OnTranslateSelected(); });
  OnCommand(cmd::kStopBuild, [this](CommandId) { OnStopBuild(); });
  OnCommand(cmd::kOpenSelectedFile, [this](CommandId) { OpenSelectedFile(); });
  OnCommand(cmd::kRemoveItem, [this](CommandId) { OnRemoveItem(); });
  OnCommandRange(cmd::kRecentFirst, cmd::kRecentLast,
                 [this](CommandId id) { OnRecentProject(int(id - cmd::kRecentFirst)); });
  OnCommandRange(cmd::kRecentFileFirst, cmd::kRecentFileLast,
                 [this](CommandId id) { OnRecentFile(int(id - cmd::kRecentFileFirst)); });
  OnCommand(cmd::kViewProjectBar, [this](CommandId) { ToggleBar(m_projectBar); });
  OnCommand(cmd::kViewOutputBar, [this](CommandId) { ToggleBar(m_outputBar); });
  OnCommand(cmd::kViewWorkbook, [this](CommandId) { ToggleWorkbookMode(); });
  OnCommand(cmd::kViewIncludeDeps, [this](CommandId) {
    m_frameSettings.includeDependencies = !m_frameSettings.includeDependencies;
    RefreshProjectTree();
  });
  OnCommand(cmd::kViewVisualStyle, [this](CommandId) {
    m_app.m_visualStyle = m_app.m_visualStyle ? 0 : 1;
    ApplyVisualStyle();
  });
  OnCommand(cmd::kFileOpen, [this](CommandId) { OnFileOpen(); });
  OnCommand(cmd::kFileSave, [this](CommandId) { OnFileSave(); });
  // Each project file first takes its window's position, so that the
  // project keeps where each was; then every text is saved (asking) and
  // closed.
  OnCommand(cmd::kCloseAll, [this](CommandId) {
    if (ProjectRec* p = m_app.Project())
      for (GroupRec* g = p->firstGroup; g; g = g->next) {
        if (g->flags & kGroupDeleted) continue;
        for (FileRec* f = g->firstFile; f; f = f->next)
          if (!(f->flags & kFileRemoved)) SyncFileWithOpenDocuments(f);
      }
    SaveAndCloseTextDocuments(true, true);
  });
  OnCommand(cmd::kAppExit, [this](CommandId) { CloseMainWindow(); });
  OnCommand(cmd::kAppAbout, [this](CommandId) { ShowAboutBox(); });
  OnCommand(cmd::kTargetBox, [](CommandId) {});
  OnCommand(cmd::kFindBox, [](CommandId) {});  // the box reports its text itself
  // The toolbars' boxes follow their controls' rules: the find box while an
  // editor is active, the target box while no build or session runs.
  OnCommand(kFindBoxButton, [](CommandId) {});
  OnUpdate(kFindBoxButton, [this](CommandState& s) { s.Enable(EvaluateCommand(cmd::kFindBox, Context()).enabled); });
  OnCommand(kTargetBoxButton, [](CommandId) {});
  OnUpdate(kTargetBoxButton, [this](CommandState& s) {
    s.Enable(!m_app.Debug().SessionActive() && !m_app.HasState(kStateBusy));
  });
  OnCommand(32789, [](CommandId) {});
  for (const auto& t : kToolBarToggles) {
    const unsigned bar = t.bar;
    OnCommand(t.command, [this, bar](CommandId) { m_bars->ToggleToolBar(bar); });
  }
  RegisterEditorCommands();
  OnUpdate(cmd::kFileOpen, [](CommandState& s) { s.Enable(true); });
  OnUpdate(cmd::kAppAbout, [](CommandState& s) { s.Enable(true); });
  // Save is refused while the window's find or replace dialog is open.
  OnUpdate(cmd::kFileSave, [this](CommandState& s) {
    EditorView* v = m_editors->Active();
    s.Enable(v ? !v->IsFindDialogOpen() : m_editors->ActiveDocument() != nullptr);  // or the wizard's document
  });
  OnUpdate(cmd::kAppExit, [](CommandState& s) { s.Enable(true); });
}

// The Edit menu's commands, find and replace, printing, bookmarks and the
// view's own commands go to the active editor view.
void CMainFrame::RegisterEditorCommands() {
  static const CommandId kViewCommands[] = {
      cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste, cmd::kEditUndo, cmd::kEditRedo, cmd::kEditFind,
      kCmdEditReplace, kCmdFindNext, cmd::kPrint, kCmdPrintPreview, kCmdPageSetup, 45027, 45028, 45029, 45030,
      kCmdIndentBlock, kCmdUnindentBlock, kCmdMatchBracket, kCmdFindWordForward, kCmdFindWordBackward, kCmdCutLine,
      kCmdGoToLine, kCmdDefinitionAtCaret, kCmdReferenceAtCaret};
  // Copy and Find go to the output window while it has the keyboard.
  auto outputFocused = [this] {
    QWidget* focus = QApplication::focusWidget();
    return m_output && focus && m_output->isAncestorOf(focus);
  };
  // The active disassembly window copies and finds in its listing.
  auto disassembly = [this]() -> DisassemblyView* {
    return m_debug ? m_debug->Windows().ActiveDisassembly() : nullptr;
  };
  for (CommandId id : kViewCommands) {
    const bool outputToo = id == cmd::kEditCopy || id == cmd::kEditFind;
    OnCommand(id, [this, outputToo, outputFocused, disassembly](CommandId c) {
      if (outputToo && outputFocused()) {
        m_output->Commands().Execute(c);
        return;
      }
      if (DisassemblyView* d = outputToo ? disassembly() : nullptr) {
        if (c == cmd::kEditCopy)
          d->Copy();
        else
          d->FindText(std::string());
        return;
      }
      if (EditorView* v = m_editors->Active()) v->RunViewCommand(int(c));
    });
    // Indent and unindent keep their table rule (kind 2 with a selection).
    if (id == kCmdIndentBlock || id == kCmdUnindentBlock) continue;
    OnUpdate(id, [this, outputToo, outputFocused, disassembly](CommandState& st) {
      if (outputToo && outputFocused()) {
        m_output->Commands().Update(st);
        return;
      }
      if (DisassemblyView* d = outputToo ? disassembly() : nullptr) {
        st.Enable(st.id != cmd::kEditCopy || d->CanCopy());
        return;
      }
      EditorView* v = m_editors->Active();
      st.Enable(v && v->IsViewCommandEnabled(int(st.id)));
    });
  }
  // The status panes follow the active view; without one they are empty.
  OnUpdate(kCaretPane, [](CommandState& s) { s.Enable(true); });
  OnUpdate(kReadOnlyPane, [](CommandState& s) { s.Enable(true); });
}

// One modeless dialog; a second request brings it to the front.
void CMainFrame::ShowGotoLineDialog() {
  if (!m_gotoLine) {
    m_gotoLine = new GotoLineDialog(*m_editors, [this] { m_app.Dialogs().Beep(); }, this);
    TrackWindow(m_app.m_windows, WindowSlot::GotoLineDlg, m_gotoLine.data());
  }
  m_gotoLine->show();
  m_gotoLine->raise();
  m_gotoLine->activateWindow();
}

void CMainFrame::ActiveEditorChanged() {
  if (EditorView* v = m_editors->Active()) {
    m_editors->ViewContext().lastCaretStatus.clear();
    v->UpdateStatus();
  }
  UpdateTitle();
}

bool CMainFrame::Update(CommandState& state) {
  const CommandId id = state.id;
  state = QueryCommand(id);
  state.handled = true;
  return true;
}

uint32_t* CMainFrame::EditorState() {
  // The documents read the reload, layout and preview bits; the views write
  // the focus bit. The save bit is the editor's own, set by the documents'
  // Save All for its walk: taken from the application's word (where it is
  // never set), an update between two files (the idle update, during an
  // add-in's wait) would clear it and the next file would ask.
  // The print preview is the editor's too: it sets the bit in its word
  // while it shows, and the application (its close) reads it from there.
  constexpr uint32_t kShared = kStateLayoutSwitch | kStateReloadWithoutAsking;
  const uint32_t app = theApp().m_nState.load();
  m_editorState = (m_editorState & ~kShared) | (app & kShared);
  for (uint32_t bit : {kStateEditorFocus, kStatePrintPreview}) {
    if (m_editorState & bit)
      m_app.SetState(bit);
    else
      m_app.ClearState(bit);
  }
  return &m_editorState;
}

void CMainFrame::SetCaretPosition(const std::string& text) {
  if (!m_status) return;
  int index = m_status->CommandToIndex(kCaretPane);
  if (index >= 0) m_status->SetPaneText(index, text);
}

void CMainFrame::SetReadOnly(const std::string& text) {
  if (!m_status) return;
  int index = m_status->CommandToIndex(kReadOnlyPane);
  if (index >= 0) m_status->SetPaneText(index, text);
}

void CMainFrame::SetOverwrite(const std::string& text) {
  if (!m_status) return;
  int index = m_status->CommandToIndex(kOverwritePane);
  if (index >= 0) m_status->SetPaneText(index, text);
}

void CMainFrame::ShowStatusText(const std::string& text) {
  if (m_status) m_status->SetWindowText(text);
}

// The toolset whose editor settings (keywords, colours) a document takes:
// the current target's. Without one, the ARM tool chain the environment
// selects, so a C or assembler file opened on its own is coloured too.
int CMainFrame::TargetToolset() const {
  ProjectRec* p = m_app.Project();
  if (p && p->curTarget) return int(p->curTarget->toolset);
  const EnvironmentInfo* env = m_app.State().m_pEnvironment;
  return env && env->armSelect == 1 ? kToolsetArmAds : kToolsetArmGnu;
}

int CMainFrame::FileTypeOfName(const std::string& path) const {
  return m_app.Project() ? int(GetFileTypeOfName(path.c_str())) : 0;
}

void CMainFrame::SetDocumentQuestions(DocumentQuestions* questions) {
  m_questions.SetTarget(questions ? questions : m_messageBoxes.get());
}

void CMainFrame::CheckChangedSourceFiles() {
  EditorState();
  m_editors->CheckChangedFiles();
}

void CMainFrame::ReloadChangedDocuments() {
  EditorState();
  m_editors->ReloadChanged();
}

void CMainFrame::CloseBrowser() {
  if (m_browser) m_browser->Close();
  if (m_addIns) m_addIns->FreeBrowseInfo();
}

void CMainFrame::StartDebugger() {
  if (m_debug) m_debug->StartDebugger();
}
void CMainFrame::StopDebugger() {
  if (m_debug) m_debug->StopDebugger();
}
void CMainFrame::OnDebugStartStop() {
  if (m_debug) m_debug->OnDebugStartStop();
}
intptr_t CMainFrame::DebugService(int code, intptr_t arg) { return m_debug ? m_debug->DebugService(code, arg) : 0; }
void CMainFrame::WriteSerial(int window, const void* chars, int count, bool wide) {
  if (m_debug) m_debug->WriteSerial(window, chars, count, wide);
}
void CMainFrame::RunInitFileInclude() {
  if (m_debug) m_debug->RunInitFileInclude();
}

void CMainFrame::ToggleBar(SECControlBar* bar) {
  if (bar) ShowControlBar(bar, !bar->IsBarVisible(), false);
}

// ------------------------------------------------------------------ project commands

void CMainFrame::OnOpenProject() {
  // The dialog starts where the open project lies (the folder the program
  // works in), else in the folder chosen last.
  ProjectRec* open = m_app.Project();
  const std::string start = open && !open->folder.empty() ? open->folder.str() : m_lastProjectFolder;
  std::string path = m_chooseProjectFile ? m_chooseProjectFile(start) : std::string();
  if (path.empty()) return;
  std::size_t cut = path.find_last_of("/\\:");
  if (cut != std::string::npos) m_lastProjectFolder = path.substr(0, cut + 1);
  m_app.OpenDocumentFile(path);
  UpdateTitle();
}

void CMainFrame::OnCloseProject() {
  // The modified texts are asked about once, before anything is closed;
  // Cancel keeps the project and the texts open.
  if (!SaveAndCloseTextDocuments(false, true)) return;
  m_documentsAsked = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{m_documentsAsked};
  if (m_build) m_build->SetBuildLogFile(0, {});
  CloseBrowser();
  m_app.m_szBrowseFile.clear();
  m_app.CloseProject(true);
  RefreshProjectTree();
  UpdateTitle();
}

void CMainFrame::OnSaveAll() {
  EditorState();
  ProjectRec* p = m_app.Project();
  if (!p) {
    // The add-in's notices of the files saved are one wait for the user.
    std::optional<AddInLinkLogic::Sequence> addInNotices;
    if (m_addIns) addInNotices.emplace(m_addIns->Logic());
    m_editors->SaveAllModified(false);
    return;
  }
  // The project's save writes the documents first, once: a second pass
  // here would say twice why a file could not be written.
  m_app.SaveProject();
  // The name as it is on disk: a list entry in another case would not open
  // after a restart.
  m_app.AddRecentProject(ProjectSiblingPath(*p, "pm2"));
}

void CMainFrame::OnBuild(int mode) {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget || !m_build) return;
  CloseBrowser();
  m_app.SetState(kStateBusy);
  ShowOutputPage(kOutputBuildPage);
  SaveAndCloseTextDocuments(false, false);
  if (m_output) m_output->ClearBuildPage();
  if (p->curTarget->toolset <= 5) {
    EnableTargetBox(false);
    int steps = 1;  // the link
    for (GroupRec* g = p->firstGroup; g; g = g->next)
      for (FileRec* file = g->firstFile; file && !(g->flags & kGroupDeleted); file = file->next)
        if (!(file->flags & kFileRemoved) && Translatable(file->type)) ++steps;
    StartBuildProgress((mode ? "Rebuild target '" : "Build target '") + p->curTarget->name.str() + "'", steps);
    m_build->SetCTabWidth(CTabWidth());
    // The user programs' "E" and "F" are the files of the moment the build
    // starts: the build thread does not look at the windows.
    if (m_tools) {
      const KeySequenceSources src = m_tools->Sources();
      m_build->SetUserProgramFiles(src.activeEditorFile(), src.fileToTranslate());
    }
    // A refused start (a build still ends) sends no end: nothing stays busy.
    if (!m_build->StartBuild(p, p->curTarget, mode)) BuildNotStarted();
  } else {
    m_app.ClearState(kStateBusy);
  }
  UpdateCommandUi();
}

void CMainFrame::BuildNotStarted() {
  m_app.ClearState(kStateBusy);
  EnableTargetBox(true);
}

void CMainFrame::OnTranslateFile() {
  ProjectRec* p = m_app.Project();
  std::string path = m_editors->ActivePath();
  if (!p || !p->curTarget || path.empty() || !m_build) {
    m_app.Dialogs().Beep();
    return;
  }
  SaveAndCloseTextDocuments(false, false);
  FileRec* f = FindSourceFileByPath(path.c_str());
  if (!f || !f->group || !Translatable(f->type)) {
    m_app.Dialogs().Beep();
    return;
  }
  m_app.SetState(kStateBusy);
  ShowOutputPage(kOutputBuildPage);
  if (m_output) m_output->ClearBuildPage();
  EnableTargetBox(false);
  m_build->SetCTabWidth(CTabWidth());
  if (!m_build->StartTranslate(p, p->curTarget, f)) BuildNotStarted();
}

void CMainFrame::OnTranslateSelected() {
  ProjectRec* p = m_app.Project();
  auto* f = static_cast<FileRec*>(m_app.m_pSelItem);
  if (!p || !p->curTarget || !f || f->kind != kKindFile || !f->group || !Translatable(f->type) || !m_build) {
    m_app.Dialogs().Beep();
    return;
  }
  SaveAndCloseTextDocuments(false, false);
  m_app.SetState(kStateBusy);
  ShowOutputPage(kOutputBuildPage);
  if (m_output) m_output->ClearBuildPage();
  EnableTargetBox(false);
  m_build->SetCTabWidth(CTabWidth());
  if (!m_build->StartTranslate(p, p->curTarget, f)) BuildNotStarted();
}

void CMainFrame::OnStopBuild() {
  if (!m_build || !m_build->StopBuild()) return;
  // The stopped build's thread reads the project until its end is told
  // (its tools are ended at once): what the user does next (Close
  // Project, Exit, another project) may free the project.
  BuildStopWait::Run([this] { return !m_build->Running(); });
  m_app.ClearState(kStateBusy);
}

void CMainFrame::OnRemoveItem() {
  if (m_projectBar) m_projectBar->View()->RemoveSelected();
}

void CMainFrame::OnRecentProject(int index) {
  if (!m_app.MayReplaceProject()) return;
  std::string path = m_app.m_recent.At(index);
  if (path.empty()) return;
  if (ProjectRec* p = m_app.Project()) {
    std::string open = p->folder.str() + p->name.str();
    std::string chosen = path.substr(0, path.find_last_of('.'));
    if (QFileInfo(ToQString(open)).absoluteFilePath() == QFileInfo(ToQString(chosen)).absoluteFilePath()) return;
    OnCloseProject();
  }
  m_app.OpenDocumentFile(path);
  UpdateTitle();
}

void CMainFrame::UpdateRecentMenu(QMenu* menu) {
  // The recent projects follow the menu's last separator.
  QList<QAction*> actions = menu->actions();
  int last = -1;
  for (int i = 0; i < actions.size(); ++i)
    if (actions[i]->isSeparator()) last = i;
  for (int i = last + 1; i < actions.size(); ++i) {
    menu->removeAction(actions[i]);
    delete actions[i];
  }
  const bool greyed = m_app.Debug().SessionActive() || m_app.HasState(kStateBusy);
  for (int i = 0; i < kMaxRecent; ++i) {
    std::string path = m_app.m_recent.At(i);
    if (path.empty()) break;
    QAction* a = menu->addAction(QString("&%1 %2").arg(i + 1).arg(ToQString(path)));
    a->setData(uint(cmd::kRecentFirst + i));
    a->setEnabled(!greyed);
    if (i == 0 && m_app.Project()) {
      a->setCheckable(true);
      a->setChecked(true);
    }
  }
}

void CMainFrame::UpdateRecentFilesMenu(QMenu* menu) {
  // The recent documents stand between Print and Exit, with a separator
  // of their own; the earlier ones go first.
  QAction* exit = nullptr;
  for (QAction* a : menu->actions()) {
    const uint id = a->data().toUInt();
    if (a->property("pm2RecentFiles").toBool()) {
      menu->removeAction(a);
      delete a;
    } else if (id == uint(cmd::kAppExit)) {
      exit = a;
    }
  }
  if (!exit) return;
  std::vector<QAction*> added;
  for (int i = 0; i <= int(cmd::kRecentFileLast - cmd::kRecentFileFirst); ++i) {
    const std::string path = m_app.m_recentFiles.At(i);
    if (path.empty()) break;
    auto* a = new QAction(QString("&%1 %2").arg(i + 1).arg(ToQString(path)), menu);
    a->setData(uint(cmd::kRecentFileFirst + i));
    added.push_back(a);
  }
  if (added.empty()) return;
  auto* separator = new QAction(menu);
  separator->setSeparator(true);
  added.push_back(separator);
  for (QAction* a : added) {
    a->setProperty("pm2RecentFiles", true);
    menu->insertAction(exit, a);
  }
}

void CMainFrame::OnRecentFile(int index) {
  const std::string path = m_app.m_recentFiles.At(index);
  if (path.empty()) return;
  // A file gone since is taken out of the list, as a project is.
  if (!QFileInfo::exists(ToQString(path))) {
    m_app.m_recentFiles.Remove(path);
    ShowError(m_app.Dialogs(), "Cannot open file '" + path + "'\n\nThe file does not exist.");
    return;
  }
  OpenFileAndShow(path, 0, 0);
}

void CMainFrame::OnFileSave() {
  // A new text has no file yet: Save asks for its name as Save As does.
  if (m_editors->ActiveIsUntitled()) {
    OnFileSaveAs();
    return;
  }
  EditorState();
  m_editors->SaveActive();
}

void CMainFrame::OpenIncludeFile(const std::string& localPath) {
  EditorState();
  m_editors->Open(localPath);
}

void CMainFrame::ShowProjectContextMenu(QPoint globalPos) {
  const std::vector<MenuEntry>* menu = ShellResources().Menu(kProjectContextMenuId);
  if (!menu || menu->empty()) return;
  QMenu popup(this);
  FillQMenu(&popup, menu->front().children);
  for (QAction* a : popup.actions()) {
    bool ok = false;
    CommandId id = a->data().toUInt(&ok);
    if (!ok || id == 0) continue;
    CommandState st = QueryCommand(id);
    a->setEnabled(st.enabled);
    a->setCheckable(st.check != 0);
    a->setChecked(st.check != 0);
    if (st.textSet) a->setText(ToQString(st.text));
  }
  m_contextMenuImages->Track(&popup);
  // The entries name the record selected when the menu opened. A peer's
  // change may refill the tree while the menu is open, and the selection
  // then moves elsewhere: an entry acts on its own record while the tree
  // still shows it, and on nothing once it has left the project.
  NodeRec* const shownFor = m_app.m_pSelItem;
  QAction* chosen = popup.exec(globalPos);
  if (!chosen) return;
  bool ok = false;
  CommandId id = chosen->data().toUInt(&ok);
  if (!ok || !id) return;
  if (shownFor && m_app.m_pSelItem != shownFor) {
    CPrjView* view = m_projectBar ? m_projectBar->View() : nullptr;
    HTREEITEM item = view && shownFor ? view->ItemOf(shownFor) : nullptr;
    if (!item) {
      m_app.Dialogs().Beep();
      return;
    }
    view->Tree()->SelectItem(item);
    m_app.m_pSelItem = shownFor;
  }
  ExecuteCommand(id);
}

void CMainFrame::OpenFileAndShow(const std::string& file, int line, int column) {
  std::string path = file;
  if (ProjectRec* p = m_app.Project()) {
    std::string local = LocalFilePath(*p, file);
    if (!local.empty()) path = local;
  }
  EditorState();
  m_app.SetState(kStateOpeningDocument);
  m_editors->Open(path, line, std::max(column, 0));
  m_app.ClearState(kStateOpeningDocument);
  UpdateTitle();
}

// The find box: the text joins the history and is searched in the active
// editor window.
void CMainFrame::AddFindHistory(const std::string& text) {
  m_findHistory.Add(text);
  m_findHistory.Save(m_settings);
  if (QComboBox* box = m_bars ? m_bars->FindBox() : nullptr) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& e : m_findHistory.Entries()) box->addItem(ToQString(e));
    box->setCurrentIndex(0);
  }
}

void CMainFrame::FindEntered(const std::string& text) {
  if (text.empty()) return;
  AddFindHistory(text);
  // The active disassembly window searches its listing.
  if (DisassemblyView* d = m_debug ? m_debug->Windows().ActiveDisassembly() : nullptr) return d->FindText(text);
  EditorView* v = m_editors->Active();
  if (!v || !v->Engine().FindText(text, false)) m_app.Dialogs().Beep();
}

void CMainFrame::TargetChosen(int index) {
  ProjectRec* p = m_app.Project();
  if (!p) return;
  int n = 0;
  for (TargetRec* t = p->firstTarget; t; t = t->next) {
    if (t->flags & kTargetDeleted) continue;
    if (n++ == index) {
      if (t != p->curTarget) m_app.SelectTarget(t);
      break;
    }
  }
  UpdateTitle();
}

void CMainFrame::FillTargetSelector() {
  QComboBox* box = m_bars ? m_bars->TargetBox() : nullptr;
  if (!box) return;
  box->clear();
  ProjectRec* p = m_app.Project();
  if (!p) return;
  int n = 0;
  for (TargetRec* t = p->firstTarget; t; t = t->next) {
    if (t->flags & kTargetDeleted) continue;
    box->addItem(ToQString(t->name.str()));
    if (t == p->curTarget) box->setCurrentIndex(n);
    ++n;
  }
}

// ------------------------------------------------------------------ FrameHooks

void CMainFrame::CloseMainWindow() {
  QTimer::singleShot(0, this, [this] { close(); });
}

void CMainFrame::UpdateTitle() {
  FrameTitleParts t;
  if (ProjectRec* p = m_app.Project()) {
    t.hasProject = true;
    t.projectName = p->name.str();
    t.readOnly = (p->flags & kProjectReadOnly) != 0;
  }
  t.documentTitle = m_editors->ActiveTitle();
  setWindowTitle(ToQString(ComposeFrameTitle(t)));
  if (!m_app.Debug().SessionActive() && !m_app.HasState(kStateBusy)) FillTargetSelector();
}

void CMainFrame::EnableTargetBox(bool enable) {
  if (m_bars && m_bars->TargetBox()) m_bars->TargetBox()->setEnabled(enable);
}

void CMainFrame::ShowOutputPage(int page) {
  if (!m_output) return;
  // Showing a page is no reason to take the keyboard from where the user
  // types: edit, F7, edit needs no click.
  QPointer<QWidget> focus = QApplication::focusWidget();
  if (m_outputBar && !m_outputBar->IsBarVisible()) ShowControlBar(m_outputBar, true, false);
  m_output->SelectPage(page);
  if (focus && QApplication::focusWidget() != focus) focus->setFocus();
}

void CMainFrame::SetWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void CMainFrame::ShowStatusProgress(const ProgressRequest& request) {
  if (!m_status) return;
  switch (m_progress->Apply(request)) {
    case StatusProgress::Result::Ignored: return;
    case StatusProgress::Result::Changed: break;
    case StatusProgress::Result::EndPending:
      QTimer::singleShot(StatusProgress::kEndDelayMs, this, [this] {
        m_progress->FinishEnd();
        RenderProgress();
      });
      break;
  }
  RenderProgress();
}

void CMainFrame::RenderProgress() {
  m_status->SetWindowText(m_progress->Message());
  if (!m_progress->Shown()) {
    m_status->HideProgress();
    return;
  }
  if (SECProgressCtrl* bar = m_status->ShowProgress(kMessagePane)) {
    bar->SetRange(m_progress->Low(), m_progress->High());
    bar->SetPos(m_progress->Position());
    QRect pane = m_status->GetItemRect(kMessagePane);
    bar->setGeometry(pane.left() + m_progress->BarX(), pane.top() + 1,
                     std::min(StatusProgress::kBarWidth, pane.width() - m_progress->BarX()), pane.height() - 2);
  }
}

void CMainFrame::DriverStatusChanged(const std::string& text) {
  if (!m_status) return;
  int index = m_status->CommandToIndex(123);
  if (index >= 0) m_status->SetPaneText(index, text);
}

void CMainFrame::AppendOutputLine(int page, const char* text) {
  if (!m_output) return;
  if (page == kOutputFindPage)
    m_output->OutputText2(text);
  else if (page == kOutputBuildPage) {
    m_output->OutputText(text);
    BuildProgressLine(text);
  }
  // A build started from the command line also prints what it shows, as
  // the build without a window does.
  if (page == kOutputBuildPage && text && m_app.HasState(kStateBatchBuild)) {
    std::string_view line(text);
    std::size_t i = 0;
    while (i < line.size() && static_cast<unsigned char>(line[i]) >= 249) ++i;
    line.remove_prefix(i);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (i == 0 || !line.empty()) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
    }
  }
}

void CMainFrame::RefreshProjectTree() {
  if (!m_projectBar) return;
  m_projectBar->View()->SetShowIncludes(m_frameSettings.includeDependencies);
  if (m_build)
    m_projectBar->View()->SetIncludeScanner(
        [this](ProjectRec* p, TargetRec* t, FileRec* f) { m_build->ScanFileIncludes(p, t, f); });
  m_projectBar->View()->FillTree(1);
}

void CMainFrame::RefreshBooks() {
  if (!m_projectBar) return;
  if (auto* books = m_projectBar->findChild<BookView*>()) books->Fill(theApp().m_pEnvironment, m_app.Project());
}

bool CMainFrame::SaveAndCloseTextDocuments(bool close, bool ask) {
  // Each modified document asks its own question; a batch build saves them.
  EditorState();
  // A close that has asked already neither asks again nor saves what the
  // user chose not to save.
  if (m_documentsAsked) {
    if (close) m_editors->CloseAll();
    UpdateTitle();
    return true;
  }
  {
    std::optional<AddInLinkLogic::Sequence> addInNotices;  // one wait, as for Save All
    if (m_addIns) addInNotices.emplace(m_addIns->Logic());
    if (!m_editors->SaveAllModified(ask && !m_app.HasState(kStateBatchBuild))) return false;
  }
  if (close) m_editors->CloseAll();
  UpdateTitle();
  return true;
}

void* CMainFrame::OpenDocument(const std::string& path) {
  EditorState();
  EditorView* v = m_editors->Open(path);
  return v ? &v->Document() : nullptr;
}

std::string CMainFrame::ActiveDocumentTitle() { return m_editors->ActiveTitle(); }

// ------------------------------------------------------------------ close

bool CMainFrame::CloseSequence() {
  // 1, 2: refused while print preview runs or while the driver starts or
  // ends (it may pump messages with the session half built); a second
  // close goes straight through.
  EditorState();  // the editor's preview bit reaches the application
  // Refused as well while a modal window is open (Exit's close comes from
  // the event loop, so it may arrive while a sheet a later key opened is
  // up): closing would free the project that window edits.
  if (m_app.HasState(kStatePrintPreview) || (m_debug && m_debug->Session().DriverBusy()) ||
      (!m_closing && QApplication::activeModalWidget())) {
    m_app.Dialogs().Beep();
    return false;
  }
  if (m_closing) return true;
  // 3: the modified text documents (asking, once for each).
  if (!SaveAndCloseTextDocuments(false, true)) return false;
  m_documentsAsked = true;
  // 4-6: refused while find in files runs; the source-control comment file goes.
  if (m_tools && !m_tools->MayClose()) {
    m_documentsAsked = false;
    return false;
  }
  // 7: a debug session: refused while the target runs.
  if (m_app.Debug().SessionActive() && m_app.Debug().TargetExecuting()) {
    m_documentsAsked = false;
    if (m_debug)
      m_debug->Session().SayTargetRuns("the program closes", [this] {
        // Closed from the event loop, as File > Exit closes.
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
      });
    else
      m_app.Dialogs().Beep();
    return false;
  }
  // A halted session ends first (its layout goes back to the build one); a
  // driver that refuses keeps the program open.
  if (m_debug && !m_debug->EndForClose()) return false;
  // A tool still running ends (the user agreed above), and so does a build;
  // the build's end arrives through the hub.
  if (m_tools) m_tools->EndRuns();
  if (m_app.HasState(kStateBusy) && m_build) {
    if (!m_build->StopBuild()) {
      // The build links, and a link is not stopped: the program closes
      // when the build's end is told. Until then the window stays in the
      // user's hands (a linker that never ends would otherwise hold it).
      m_documentsAsked = false;
      m_app.m_bCloseWhenBuildEnds = true;
      ShowStatusText("The target is being linked: Pelmora2 closes when the link has ended");
      return false;
    }
    // The build's thread reads the project until its end is told: the
    // project is closed (and its memory freed) only after that end.
    BuildStopWait::Run([this] { return !m_app.HasState(kStateBusy); });
  }
  // 8, 9: the closing flag, the bar sizes, the workbook mode and the layout.
  m_closing = true;
  SaveLayoutAndPlacement();
  // 10: "LprJ", then the project is written and closed (a failed write may
  // keep the program open).
  m_frameSettings.reopenLastProject = m_app.Project() != nullptr;
  if (m_app.Project() && !m_app.CloseProject(!m_app.HasState(kStateBatchBuild))) {
    m_closing = false;
    m_documentsAsked = false;
    return false;
  }
  // 11: the placement was taken with the layout; the find history.
  m_findHistory.Save(m_settings);
  if (m_addIns) m_addIns->NotifyClose();
  // 12: the documents close without asking.
  m_editors->CloseAll();
  return true;
}

void CMainFrame::ApplyVisualStyle() {
  const bool xp = m_app.m_visualStyle != 0;
  if (xp == SECIsXPLook()) return;
  SECSetXPLook(xp);
  SECToolBarManager* mgr = m_bars ? m_bars->Manager() : nullptr;
  if (!mgr) return;
  if (SECBmpMgr* images = mgr->BmpMgr()) images->ReloadBitmaps();
  for (SECCustomToolBar* bar : mgr->ToolBars()) bar->update();
}

void CMainFrame::SaveLayoutAndPlacement() {
  if (m_projectBar) m_frameSettings.projectWidth = TakeBarSize(m_app.m_projectWidth, m_frameSettings.projectWidth);
  if (m_outputBar && !m_outputBar->IsFloating())
    m_frameSettings.outputHeight = TakeBarSize(m_outputBar->height(), m_frameSettings.outputHeight);
  m_app.m_outputHeight = m_frameSettings.outputHeight;
  m_frameSettings.workbookMode = IsWorkbookMode();
  m_frameSettings.visualStyle = m_app.m_visualStyle;
  // The layout in use goes into its own slot: the debug layout while a
  // session runs, the build layout otherwise.
  SaveDockLayout(m_app.Debug().SessionActive() ? 0 : 1);
  QRect g = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  FramePlacement& w = m_frameSettings.placement;
  w.showCmd = isMaximized() ? 3 : 1;
  w.left = g.left();
  w.top = g.top();
  w.right = g.left() + g.width();
  w.bottom = g.top() + g.height();
  m_frameSettings.hasPlacement = g.width() > 0 && g.height() > 0;
  m_frameSettings.windowFonts = EncodeWindowFontsRecord(m_windowFonts);
}

}  // namespace pm2
