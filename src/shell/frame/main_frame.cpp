#include "shell/frame/main_frame.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <cstdio>

#include "editor/view/edit_view.h"
#include "platform/settings_store.h"
#include "project/model/project_records.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/command_strip.h"
#include "shell/frame/frame_title.h"
#include "shell/frame/project_commands_ext.h"
#include "shell/frame/tool_commands.h"
#include "shell/frame/shell_resources.h"
#include "shell/frame/source_windows.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "project/dialogs/book_view.h"
#include "shell/windows/window_tracking.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_builder.h"

namespace pm2 {

namespace {

constexpr int kMessagePane = 0;
constexpr int kProjectMenuPopup = 3;   // "Project" in the main menu
constexpr int kMaxRecent = 10;
const CommandId kStatusPanes[] = {0, 123, 118, 59137, 59138, 59139, 59140, 395};

SECControlBar* MakeBar(CMainFrame* frame, SECControlBar* bar, const char* title, unsigned id, std::uint32_t align) {
  std::uint32_t border = (align & (CBRS_ALIGN_RIGHT | CBRS_ALIGN_LEFT)) ? CBRS_BORDER_RIGHT : CBRS_BORDER_TOP;
  if (!bar->Create(frame, title, CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC | align | border, kIdeBarExStyle, id)) return nullptr;
  bar->EnableDocking(CBRS_ALIGN_ANY);
  return bar;
}

// A file type that the translate command takes.
bool Translatable(uint8_t type) { return type == kFileC || type == kFileAsm || type == kFileCpp; }

}  // namespace

CMainFrame::CMainFrame(ShellApp& app, SettingsStore& settings, BuildPort* build, FrameSettings& frame)
    : m_app(app), m_settings(settings), m_build(build), m_frameSettings(frame) {
  setObjectName("MainFrame");
  m_sources = new SourceWindows(*this, &settings, theApp().m_programDir);
  m_progress = std::make_unique<StatusProgress>([this](const std::string& text) {
    return QFontMetrics(m_status ? m_status->font() : font()).horizontalAdvance(ToQString(text));
  });
  m_chooseProjectFile = [this](const std::string& folder) {
    return FromQString(QFileDialog::getOpenFileName(this, "Select Project File", ToQString(folder),
                                                    "Project Files (*.pm2);;Dave Project Files (*.dpt)"));
  };
}

CMainFrame::~CMainFrame() {
  // Nothing may reach this half of the frame while the rest goes away.
  disconnect(MdiClient(), nullptr, this, nullptr);
  m_tools.reset();  // its threads end before the windows they write to
  m_sources->CloseAll();
  m_app.m_windows.Forget(WindowSlot::OutputPane, m_output);
}

// ------------------------------------------------------------------ creation

bool CMainFrame::OnCreate() {
  CommandStripHost host;
  host.query = [this](CommandId id) { return QueryCommand(id); };
  host.execute = [this](CommandId id) { ExecuteCommand(id); };
  host.aboutToShow = [this](QMenu* menu, int index) {
    if (index == kProjectMenuPopup) UpdateRecentMenu(menu);
    if (m_tools) m_tools->PopupAboutToShow(menu);
  };
  host.findEntered = [this](const std::string& text) { FindEntered(text); };
  m_strip = new CommandStrip(std::move(host), this);
  SetCommandBar(m_strip);
  connect(m_strip->TargetBox(), QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { TargetChosen(index); });
  m_findHistory.Load(m_settings);
  m_strip->SetFindHistory(m_findHistory.Entries());
  CreateStatusBar();
  EnableDocking(CBRS_ALIGN_ANY);
  CreateBars();
  if (!m_projectBar || !m_outputBar || !m_watchBar || !m_memoryBar) return false;
  SetWorkbookMode(m_frameSettings.workbookMode);
  // The layout the user left; the first start keeps the places given above.
  LoadBarState(m_settings, kBuildLayout);
  RegisterCommands();
  m_projectCommands = std::make_unique<ProjectCommandsExt>(*this, m_app);
  ActiveEditorQuery editor;
  editor.path = [this] { return m_sources->Active() ? m_sources->ActivePath() : std::string(); };
  editor.caretLine = [this] { return m_sources->Active() ? m_sources->Active()->Engine().State().nCaretLine : 0; };
  editor.selection = [this] {
    return m_sources->Active() ? m_sources->Active()->Engine().GetSelectedText(nullptr) : std::string();
  };
  m_tools = std::make_unique<ToolCommands>(*this, m_app, m_settings, std::move(editor));
  RegisterKeys();
  SetCloseHook([this] { return CloseSequence(); });
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, [this] { UpdateCommandUi(); });
  idle->start(250);
  connect(MdiClient(), &QMdiArea::subWindowActivated, this, [this] { UpdateTitle(); });
  m_created = true;
  UpdateTitle();
  return true;
}

void CMainFrame::CreateStatusBar() {
  m_status = new SECStatusBar(this);
  m_status->setObjectName("StatusBar");
  m_status->SetIndicators(kStatusPanes, int(std::size(kStatusPanes)), ShellResources());
  // The strings only give the panes their widths; the panes start empty.
  for (int i = 1; i < m_status->GetCount(); ++i) m_status->SetPaneText(i, "", false);
  m_status->SetWindowText("Ready");
  SetStatusBar(m_status);
  SetMessageHandler([this](const std::string& text) { m_status->SetWindowText(text); });
}

void CMainFrame::CreateBars() {
  m_projectBar = new CPrjWin(m_app, *this);
  if (!MakeBar(this, m_projectBar, "Project Workspace", CPrjWin::kBarId, CBRS_ALIGN_LEFT)) m_projectBar = nullptr;
  m_outputBar = MakeBar(this, new SECControlBar, COutWin::Caption(), kOutputBarId, CBRS_ALIGN_BOTTOM);
  if (m_outputBar) {
    m_output = new COutWin(nullptr, theApp().Shell());
    m_output->SetJumpListener(this);
    m_outputBar->SetChild(m_output);
    TrackWindow(m_app.m_windows, WindowSlot::OutputPane, m_output);
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

void CMainFrame::RegisterKeys() {
  struct Key {
    const char* keys;
    CommandId id;
  };
  static const Key kKeys[] = {
      {"F7", cmd::kBuildTarget}, {"Ctrl+F7", cmd::kTranslate}, {"Alt+F7", cmd::kOptionsForTarget},
      {"Ctrl+O", cmd::kFileOpen}, {"Ctrl+S", cmd::kFileSave},  {"Ctrl+F5", cmd::kDebugStartStop},
      {"Alt+F4", cmd::kAppExit},
  };
  for (const Key& k : kKeys) {
    auto* s = new QShortcut(QKeySequence(k.keys), this);
    s->setContext(Qt::WindowShortcut);
    CommandId id = k.id;
    connect(s, &QShortcut::activated, this, [this, id] { ExecuteCommand(id); });
  }
}

void CMainFrame::ShowMainFrame(int showCmd) {
  const FrameSettings& s = m_frameSettings;
  QRect normal(80, 60, 1100, 760);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect avail = screen->availableGeometry();
    normal = QRect(avail.left() + avail.width() / 16, avail.top() + avail.height() / 16, avail.width() * 7 / 8,
                   avail.height() * 7 / 8);
  }
  if (s.hasPlacement && s.placement.right > s.placement.left && s.placement.bottom > s.placement.top) {
    normal = QRect(s.placement.left, s.placement.top, s.placement.right - s.placement.left,
                   s.placement.bottom - s.placement.top);
    showCmd = int(s.placement.showCmd);
  }
  setGeometry(normal);
  if (showCmd == 3)
    showMaximized();
  else if (showCmd == 2 || showCmd == 6)
    showMinimized();
  else
    show();
  RecalcLayout();
  UpdateCommandUi();
  raise();
  activateWindow();
}

// ------------------------------------------------------------------ commands

CommandContext CMainFrame::Context() const {
  CommandContext c;
  c.sessionActive = m_app.Debug().SessionActive();
  c.targetExecuting = m_app.Debug().TargetExecuting();
  c.buildRunning = m_app.HasState(kStateBusy);
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
  if (EditControl* active = m_sources->Active()) {
    (void)active;
    c.activeViewKind = 2;
    c.activeDocName = m_sources->ActiveTitle();
    if (p) {
      FileRec* f = FindSourceFileByPath(m_sources->ActivePath().c_str());
      c.activeDocTranslatable = f && f->group && Translatable(f->type);
    }
  }
  c.projectBarOpen = m_projectBar && m_projectBar->IsBarVisible();
  c.outputBarOpen = m_outputBar && m_outputBar->IsBarVisible();
  c.toolbarVisible[0] = c.toolbarVisible[1] = true;  // the command strip shows both
  c.workbookMode = IsWorkbookMode();
  c.includeDependencies = m_frameSettings.includeDependencies;
  c.findRunning = m_tools && m_tools->FindRunning();
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
    Update(s);  // the editor's and the framework's commands answer themselves
  // A command nobody here can run yet stays greyed, whatever its rule says.
  if (!HasHandler(id)) s.Enable(false);
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
        return true;  // without a session the driver's menus do nothing
      default:
        break;
    }
  }
  if (!HasHandler(id)) return false;
  CommandState s = QueryCommand(id);
  if (!s.enabled) {
    m_app.Dialogs().Beep();
    return false;
  }
  bool ran = Execute(id);
  UpdateCommandUi();
  return ran;
}

void CMainFrame::UpdateCommandUi() {
  if (m_strip) m_strip->UpdateButtons();
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
  OnCommand(cmd::kViewProjectBar, [this](CommandId) { ToggleBar(m_projectBar); });
  OnCommand(cmd::kViewOutputBar, [this](CommandId) { ToggleBar(m_outputBar); });
  OnCommand(cmd::kViewWorkbook, [this](CommandId) { ToggleWorkbookMode(); });
  OnCommand(cmd::kViewIncludeDeps, [this](CommandId) {
    m_frameSettings.includeDependencies = !m_frameSettings.includeDependencies;
    RefreshProjectTree();
  });
  OnCommand(cmd::kFileOpen, [this](CommandId) { OnFileOpen(); });
  OnCommand(cmd::kFileSave, [this](CommandId) { OnFileSave(); });
  OnCommand(cmd::kCloseAll, [this](CommandId) { SaveAndCloseTextDocuments(true, true); });
  OnCommand(cmd::kAppExit, [this](CommandId) { CloseMainWindow(); });
  OnCommand(cmd::kTargetBox, [](CommandId) {});
  OnCommand(cmd::kFindBox, [](CommandId) {});  // the box reports its text itself
  OnCommand(32789, [](CommandId) {});
  // The editor's commands go to the active editor window.
  for (CommandId id : {57634u, 57635u, 57637u, 57643u, 57644u, 45027u, 45028u, 45029u, 45030u}) {
    OnCommand(id, [this](CommandId c) {
      if (EditControl* e = m_sources->Active()) e->Engine().RunCommand(int(c));
    });
    OnUpdate(id, [this](CommandState& st) {
      EditControl* e = m_sources->Active();
      st.Enable(e && e->Engine().IsCommandEnabled(int(st.id)));
    });
  }
  OnUpdate(cmd::kFileOpen, [](CommandState& s) { s.Enable(true); });
  OnUpdate(cmd::kFileSave, [this](CommandState& s) { s.Enable(m_sources->Active() != nullptr); });
  OnUpdate(cmd::kAppExit, [](CommandState& s) { s.Enable(true); });
}

void CMainFrame::ToggleBar(SECControlBar* bar) {
  if (bar) ShowControlBar(bar, !bar->IsBarVisible(), false);
}

// ------------------------------------------------------------------ project commands

void CMainFrame::OnOpenProject() {
  std::string path = m_chooseProjectFile ? m_chooseProjectFile(m_lastProjectFolder) : std::string();
  if (path.empty()) return;
  std::size_t cut = path.find_last_of("/\\:");
  if (cut != std::string::npos) m_lastProjectFolder = path.substr(0, cut + 1);
  m_app.OpenDocumentFile(path);
  UpdateTitle();
}

void CMainFrame::OnCloseProject() {
  if (m_build) m_build->SetBuildLogFile(0, {});
  CloseBrowser();
  m_app.m_szBrowseFile.clear();
  m_app.CloseProject(true);
  RefreshProjectTree();
  UpdateTitle();
}

void CMainFrame::OnSaveAll() {
  std::string err;
  if (!m_sources->SaveModified(&err)) ShowError(m_app.Dialogs(), err);
  ProjectRec* p = m_app.Project();
  if (!p) return;
  m_app.SaveProject();
  m_app.AddRecentProject(p->folder.str() + p->name.str() + ".Pm2");
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
    m_build->StartBuild(p, p->curTarget, mode);
  } else {
    m_app.ClearState(kStateBusy);
  }
  UpdateCommandUi();
}

void CMainFrame::OnTranslateFile() {
  ProjectRec* p = m_app.Project();
  std::string path = m_sources->ActivePath();
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
  m_build->StartTranslate(p, p->curTarget, f);
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
  m_build->StartTranslate(p, p->curTarget, f);
}

void CMainFrame::OnStopBuild() {
  if (m_build && m_build->StopBuild()) m_app.ClearState(kStateBusy);
}

void CMainFrame::OnRemoveItem() {
  if (m_projectBar) m_projectBar->View()->RemoveSelected();
}

void CMainFrame::OnRecentProject(int index) {
  if (m_app.Debug().SessionActive() || m_app.HasState(kStateBusy)) {
    m_app.Dialogs().Beep();
    return;
  }
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

void CMainFrame::OnFileOpen() {
  QString path = QFileDialog::getOpenFileName(this, "Open", ToQString(m_lastProjectFolder));
  if (path.isEmpty()) return;
  if (!m_app.OpenDocumentFile(FromQString(path))) m_app.Dialogs().Beep();
  UpdateTitle();
}

void CMainFrame::OnFileSave() {
  EditControl* active = m_sources->Active();
  if (!active) return;
  std::string err;
  if (!m_sources->SaveModified(&err)) ShowError(m_app.Dialogs(), err);
}

void CMainFrame::OpenSelectedFile() {
  ProjectRec* p = m_app.Project();
  auto* f = static_cast<FileRec*>(m_app.m_pSelItem);
  static const bool kOpenable[] = {true, true, true, false, false, true, true, true, true};
  if (!p || !f || f->kind != kKindFile || f->type > 8 || !kOpenable[f->type]) {
    m_app.Dialogs().Beep();
    return;
  }
  std::string path = LocalFilePath(*p, *f);
  std::string err;
  if (path.empty() || !m_sources->Open(path, 0, &err)) {
    ShowError(m_app.Dialogs(), err.empty() ? "Cannot open file '" + f->path.str() + "'" : err);
    return;
  }
  UpdateTitle();
}

void CMainFrame::OpenIncludeFile(const std::string& localPath) {
  std::string err;
  if (!m_sources->Open(localPath, 0, &err)) ShowError(m_app.Dialogs(), err);
}

void CMainFrame::ShowProjectContextMenu(QPoint globalPos) {
  const std::vector<MenuEntry>* menu = ShellResources().Menu(kProjectContextMenuId);
  if (!menu || menu->empty()) return;
  QMenu popup(this);
  FillQMenu(&popup, menu->front().children);
  m_strip->UpdateMenu(&popup);
  QAction* chosen = popup.exec(globalPos);
  if (!chosen) return;
  bool ok = false;
  CommandId id = chosen->data().toUInt(&ok);
  if (ok && id) ExecuteCommand(id);
}

void CMainFrame::OpenFileAndShow(const std::string& file, int line, int /*column*/) {
  std::string path = file;
  if (ProjectRec* p = m_app.Project()) {
    std::string local = LocalFilePath(*p, file);
    if (!local.empty()) path = local;
  }
  std::string err;
  if (!m_sources->Open(path, line, &err)) ShowError(m_app.Dialogs(), err);
  UpdateTitle();
}

void CMainFrame::ShowToolHelp(int, const std::string&) { m_app.Dialogs().Beep(); }

// The find box: the text joins the history and is searched in the active
// editor window.
void CMainFrame::FindEntered(const std::string& text) {
  if (text.empty()) return;
  m_findHistory.Add(text);
  m_findHistory.Save(m_settings);
  m_strip->SetFindHistory(m_findHistory.Entries());
  EditControl* e = m_sources->Active();
  if (!e || !e->Engine().FindText(text, false)) m_app.Dialogs().Beep();
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
  QComboBox* box = m_strip ? m_strip->TargetBox() : nullptr;
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
  t.documentTitle = m_sources->ActiveTitle();
  setWindowTitle(ToQString(ComposeFrameTitle(t)));
  if (!m_app.Debug().SessionActive() && !m_app.HasState(kStateBusy)) FillTargetSelector();
}

void CMainFrame::EnableTargetBox(bool enable) {
  if (m_strip && m_strip->TargetBox()) m_strip->TargetBox()->setEnabled(enable);
}

void CMainFrame::ShowOutputPage(int page) {
  if (!m_output) return;
  if (m_outputBar && !m_outputBar->IsBarVisible()) ShowControlBar(m_outputBar, true, false);
  m_output->SelectPage(page);
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
  m_projectBar->View()->FillTree(1);
}

void CMainFrame::RefreshBooks() {
  if (!m_projectBar) return;
  if (auto* books = m_projectBar->findChild<BookView*>()) books->Fill(theApp().m_pEnvironment, m_app.Project());
}

bool CMainFrame::SaveAndCloseTextDocuments(bool close, bool ask) {
  if (m_sources->AnyModified()) {
    bool save = true;
    if (ask && !m_app.HasState(kStateSaveWithoutAsking) && !m_app.HasState(kStateBatchBuild)) {
      int answer = m_app.Dialogs().MessageBox("Save changes to the modified files ?", kMbYesNoCancel | kMbIconQuestion);
      if (answer == kIdCancel) return false;
      save = answer == kIdYes;
    }
    std::string err;
    if (save && !m_sources->SaveModified(&err)) {
      ShowError(m_app.Dialogs(), err);
      return false;
    }
  }
  if (close) m_sources->CloseAll();
  UpdateTitle();
  return true;
}

void* CMainFrame::OpenDocument(const std::string& path) {
  std::string err;
  EditControl* e = m_sources->Open(path, 0, &err);
  if (!e) ShowError(m_app.Dialogs(), err);
  return e;
}

std::string CMainFrame::ActiveDocumentTitle() { return m_sources->ActiveTitle(); }

// ------------------------------------------------------------------ close

bool CMainFrame::CloseSequence() {
  // 1, 2: refused while print preview runs; a second close goes straight through.
  if (m_app.HasState(kStatePrintPreview)) {
    m_app.Dialogs().Beep();
    return false;
  }
  if (m_closing) return true;
  // 3: the modified text documents (asking).
  if (!SaveAndCloseTextDocuments(false, true)) return false;
  // 4-6: refused while find in files runs; the source-control comment file goes.
  if (m_tools && !m_tools->MayClose()) return false;
  // 7: a debug session: refused while the target runs.
  if (m_app.Debug().SessionActive() && m_app.Debug().TargetExecuting()) {
    m_app.Dialogs().Beep();
    return false;
  }
  // A build still running is stopped first; its end arrives through the hub.
  if (m_app.HasState(kStateBusy) && m_build) m_build->StopBuild();
  // 8, 9: the closing flag, the bar sizes, the workbook mode and the layout.
  m_closing = true;
  SaveLayoutAndPlacement();
  // 10: "LprJ", then the project is written and closed (a failed write may
  // keep the program open).
  m_frameSettings.reopenLastProject = m_app.Project() != nullptr;
  if (m_app.Project() && !m_app.CloseProject(!m_app.HasState(kStateBatchBuild))) {
    m_closing = false;
    return false;
  }
  // 11: the placement was taken with the layout; the find history.
  m_findHistory.Save(m_settings);
  // 12: the documents close without asking.
  m_sources->CloseAll();
  return true;
}

void CMainFrame::SaveLayoutAndPlacement() {
  if (m_projectBar) m_frameSettings.projectWidth = TakeBarSize(m_app.m_projectWidth, m_frameSettings.projectWidth);
  if (m_outputBar && !m_outputBar->IsFloating())
    m_frameSettings.outputHeight = TakeBarSize(m_outputBar->height(), m_frameSettings.outputHeight);
  m_app.m_outputHeight = m_frameSettings.outputHeight;
  m_frameSettings.workbookMode = IsWorkbookMode();
  m_frameSettings.visualStyle = m_app.m_visualStyle;
  SaveBarState(m_settings, kBuildLayout);
  QRect g = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  FramePlacement& w = m_frameSettings.placement;
  w.showCmd = isMaximized() ? 3 : 1;
  w.left = g.left();
  w.top = g.top();
  w.right = g.left() + g.width();
  w.bottom = g.top() + g.height();
  m_frameSettings.hasPlacement = g.width() > 0 && g.height() > 0;
}

}  // namespace pm2
