// The main frame's document and window commands: File New, Save As and
// Close, the Window menu (cascade, tile, arrange, split, the list of open
// windows), the Help menu's books window and support pages, the editor
// options; and the project's editor windows, kept in the options file and
// reopened with the project.
#include <QDesktopServices>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "editor/document/editor_document.h"
#include "editor/ide/editor_panes.h"
#include "editor/ide/editor_view.h"
#include "project/files/debug_lists.h"
#include "project/files/stored_texts.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/main_frame.h"
#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_commands.h"
#include "shell/frame/frame_workspace.h"
#include "shell/frame/mdi_layout.h"
#include "shell/frame/window_placement.h"
#include "shell/output/out_edv.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_win.h"
#include "shell/project_window/project_tree_model.h"
#include "shell/windows/line_input_dialog.h"
#include "toolkit/controls/kept_header_icon_model.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/menus/menu_bar.h"

namespace pm2 {

namespace {

// The framework's command ids of these menus.
constexpr CommandId kFileClose = 57602, kFileSaveAs = 57604;
constexpr CommandId kWindowArrange = 57649, kWindowCascade = 57650, kWindowTileHorz = 57651,
                    kWindowTileVert = 57652, kWindowSplit = 57653;
constexpr CommandId kFirstMdiChild = 65280, kLastMdiChild = 65280 + 8;
constexpr CommandId kBooksWindow = 35134, kPeripheralHelp = 35135, kSupportKb = 35136, kSupportContact = 35137,
                    kSupportUpdate = 35400;
constexpr CommandId kEditorOptions = 32763;

// The maker's support pages.
constexpr const char* kSupportHost = "https://www.vond.example";

// The frame the project writer asks about open editor windows.
CMainFrame* g_syncFrame = nullptr;

// The windows the Window menu lists, in the order of its items: a hidden
// one (a docking window that floats inside the main window and was
// hidden) is no window the user can go to.
QList<QMdiSubWindow*> ListedWindows(const QMdiArea* area) {
  QList<QMdiSubWindow*> listed;
  for (QMdiSubWindow* w : area->subWindowList())
    if (!w->isHidden()) listed.push_back(w);
  return listed;
}

WindowPlacementRec PlacementOf(const QMdiSubWindow* sheet) {
  WindowPlacementRec r;
  // A maximised or minimised window keeps the rectangle it had before (a
  // document window has no normal geometry of its own in Qt): without it
  // the record would be empty and the window would not come back at all.
  QRect g = sheet->geometry();
  if (sheet->isMaximized() || sheet->isMinimized()) {
    g = sheet->property(kNormalGeometryProperty).toRect();
    if (g.isEmpty() && sheet->mdiArea()) g = QRect(QPoint(0, 0), sheet->mdiArea()->viewport()->size());
  }
  r.showCmd = sheet->isMaximized() ? 3 : sheet->isMinimized() ? 2 : 1;
  r.left = g.left();
  r.top = g.top();
  r.right = g.left() + g.width();
  r.bottom = g.top() + g.height();
  return r;
}

void ApplyPlacement(QMdiSubWindow* sheet, const std::uint8_t* bytes) {
  WindowPlacementRec r;
  if (!DecodePlacement(bytes, &r)) return;
  // Saved in an area that may have been larger: the window comes back
  // inside this one, its caption buttons with it.
  AreaRect rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  if (QMdiArea* area = sheet->mdiArea()) {
    const QSize size = area->viewport()->size();
    if (size.width() > 200 && size.height() > 120) rect = FitInArea(rect, size.width(), size.height());
  }
  const QRect normal(rect.x, rect.y, rect.width, rect.height);
  if (r.showCmd == 3) {
    // Restored later, it takes the rectangle it had.
    if (sheet->isMaximized()) sheet->showNormal();
    sheet->setGeometry(normal);
    sheet->showMaximized();
    return;
  }
  sheet->showNormal();
  sheet->setGeometry(normal);
}

}  // namespace

void CMainFrame::RegisterWindowCommands() {
  m_workspace = new FrameWorkspace(*this, *m_bars, m_settings);
  auto editorActive = [this](CommandState& s) { s.Enable(m_editors->Active() != nullptr); };
  OnCommand(cmd::kFileNew, [this](CommandId) { OnFileNew(); });
  OnUpdate(cmd::kFileNew, [](CommandState& s) { s.Enable(true); });
  OnCommand(kFileSaveAs, [this](CommandId) { OnFileSaveAs(); });
  // As Save: the configuration wizard's window saves its document too.
  OnUpdate(kFileSaveAs, [this](CommandState& s) {
    EditorView* v = m_editors->Active();
    s.Enable(v ? !v->IsFindDialogOpen() : m_editors->ActiveDocument() != nullptr);
  });
  OnCommand(kFileClose, [this](CommandId) { m_editors->CloseActive(); });
  m_chooseSaveAsFile = [this](const std::string& start) {
    QFileDialog dialog(this, "Save As", ToQString(start));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    KeepHeaderIcon(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    return FromQString(dialog.selectedFiles().front());
  };
  // A new text that has to be saved (Save All, a build, the close) asks
  // for its name the same way.
  m_editors->chooseSaveAs = [this](const std::string& title) {
    ProjectRec* p = m_app.Project();
    return m_chooseSaveAsFile ? m_chooseSaveAsFile((p ? p->folder.str() : std::string()) + title) : std::string();
  };
  OnUpdate(kFileClose, [this](CommandState& s) { s.Enable(m_editors->ActiveDocument() != nullptr); });

  QMdiArea* area = MdiClient();
  // Cascade: each window a step (a caption) below and right of the one
  // behind it, as large as the area allows; the active one in front.
  OnCommand(kWindowCascade, [area](CommandId) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::StackingOrder))
      if (!w->isMinimized() && !w->isHidden()) shown.push_back(w);
    if (shown.isEmpty()) return;
    const int step = std::max(area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, shown.front()), 16);
    const QSize size = area->viewport()->size();
    const std::vector<AreaRect> rects = CascadeRects(int(shown.size()), size.width(), size.height(), step);
    for (int i = 0; i < int(shown.size()); ++i) {
      QMdiSubWindow* w = shown[i];
      if (w->isMaximized()) w->showNormal();
      w->setGeometry(rects[std::size_t(i)].x, rects[std::size_t(i)].y, rects[std::size_t(i)].width,
                     rects[std::size_t(i)].height);
      w->raise();
    }
  });
  // Tile Horizontally stacks the windows one above the other across the
  // whole width; Tile Vertically puts them side by side at full height.
  auto tile = [area](bool horizontal) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : area->subWindowList())
      if (!w->isMinimized() && !w->isHidden()) shown.push_back(w);
    const int n = int(shown.size());
    const QSize size = area->viewport()->size();
    for (int i = 0; i < n; ++i) {
      QMdiSubWindow* w = shown[i];
      if (w->isMaximized()) w->showNormal();
      if (horizontal)
        w->setGeometry(0, size.height() * i / n, size.width(), size.height() * (i + 1) / n - size.height() * i / n);
      else
        w->setGeometry(size.width() * i / n, 0, size.width() * (i + 1) / n - size.width() * i / n, size.height());
    }
  };
  OnCommand(kWindowTileHorz, [tile](CommandId) { tile(true); });
  OnCommand(kWindowTileVert, [tile](CommandId) { tile(false); });
  // Arrange: the minimised windows line up along the bottom of the area.
  OnCommand(kWindowArrange, [area](CommandId) {
    int x = 0;
    for (QMdiSubWindow* w : area->subWindowList()) {
      if (!w->isMinimized()) continue;
      const QSize size = w->size();
      w->move(x, area->viewport()->height() - size.height());
      x += size.width();
    }
  });
  auto anyWindow = [area](CommandState& s) { s.Enable(!area->subWindowList().isEmpty()); };
  for (CommandId id : {kWindowCascade, kWindowTileHorz, kWindowTileVert, kWindowArrange}) OnUpdate(id, anyWindow);
  // The editor's splitter: the active window shows two panes, or one again.
  OnCommand(kWindowSplit, [this](CommandId) {
    EditorView* v = m_editors->Active();
    auto* panes = v ? qobject_cast<EditorPanes*>(v->parentWidget()) : nullptr;
    for (QWidget* p = v; p && !panes; p = p->parentWidget()) panes = qobject_cast<EditorPanes*>(p);
    if (panes) panes->Split(panes->Rows() > 1 ? 1 : 2, panes->Columns());
  });
  OnUpdate(kWindowSplit, editorActive);
  OnCommandRange(kFirstMdiChild, kLastMdiChild, [area](CommandId id) {
    const QList<QMdiSubWindow*> list = ListedWindows(area);
    const int index = int(id - kFirstMdiChild);
    if (index >= list.size()) return;
    QMdiSubWindow* w = list[index];
    if (w->isMinimized()) w->showNormal();
    area->setActiveSubWindow(w);
  });

  OnCommand(kBooksWindow, [this](CommandId) { OnBooksWindow(); });
  OnCommand(kPeripheralHelp, [this](CommandId) {
    // The device records of this program carry no help file of their own:
    // the item is greyed, and a request that comes all the same (a key)
    // only beeps.
    m_app.Dialogs().Beep();
  });
  OnUpdate(kPeripheralHelp, [this](CommandState& s) {
    ProjectRec* p = m_app.Project();
    TargetRec* t = p ? p->curTarget : nullptr;
    const bool usable = t && !(t->flags & kTargetDeleted) && t->toolset != kToolsetUndefined;
    if (!usable) {
      s.Enable(false);
      return;
    }
    const std::string device = t->DEVICE.empty() ? t->name.str() : t->DEVICE.str();
    s.SetText("Peripheral &Help for " + device);
    s.Grey("No peripheral help file is installed for '" + device + "'");
  });
  m_openUrl = [](const std::string& url) { return QDesktopServices::openUrl(QUrl(ToQString(url))); };
  auto support = [this](const char* page) {
    return [this, page](CommandId) {
      const std::string url = std::string(kSupportHost) + page + "?P=Pelmora2&V=" PM2_VERSION "&S=Linux";
      // Without a web browser the page can't be shown: say so, with the
      // address, so that it can be opened elsewhere.
      if (!m_openUrl || !m_openUrl(url))
        m_app.Dialogs().MessageBox("Could not start a web browser to open '" + url + "'", kMbOk | kMbIconExclamation);
    };
  };
  OnCommand(kSupportKb, support("/support/kb.asp"));
  OnCommand(kSupportContact, support("/support/contact.asp"));
  OnCommand(kSupportUpdate, support("/update/check.asp"));
  OnCommand(kEditorOptions, [this](CommandId) { OnEditorOptions(); });

  // The Window menu lists the open windows after its last separator.
  SECMenuBar* menuBar = m_bars->MenuBar();
  for (int i = 0; i < int(menuBar->Model().Rows().size()); ++i) {
    const MenuBarRow& row = menuBar->Model().Rows()[std::size_t(i)];
    if (!row.IsPopup()) continue;
    bool window = false;
    for (const MenuEntry& e : row.entry->children)
      if (e.kind == MenuEntry::Kind::Item && e.id == kWindowCascade) window = true;
    if (!window) continue;
    if (QMenu* menu = menuBar->PopupFor(i))
      connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        if (m_workspace) m_workspace->FillRecentMenu(menu);
        UpdateWindowMenu(menu);
      });
  }
  g_syncFrame = this;
  SetSyncFileHook([](FileRec* file) -> int {
    file->flags &= uint8_t(~kFileActiveWindow);
    std::fill(std::begin(file->windowPlacement), std::end(file->windowPlacement), std::uint8_t(0));
    file->topLine = file->caretLine = file->caretColumn = 0;
    ProjectRec* p = g_syncFrame ? g_syncFrame->m_app.Project() : nullptr;
    if (!p) return 0;
    const std::string path = LocalFilePath(*p, *file);
    EditorDocument* doc = path.empty() ? nullptr : g_syncFrame->m_editors->Find(path);
    SECWorksheetWnd* sheet = doc ? g_syncFrame->m_editors->SheetOf(doc) : nullptr;
    EditorView* view = doc ? g_syncFrame->m_editors->ViewOf(doc) : nullptr;
    if (!sheet || !view) return 0;
    int top = 1, caret = 1, column = 1;
    if (!view->GetViewPosition(&top, &caret, &column)) top = caret = column = 1;
    file->topLine = top;
    file->caretLine = caret;
    file->caretColumn = column;
    if (g_syncFrame->MdiClient()->activeSubWindow() == sheet) file->flags |= kFileActiveWindow;
    EncodePlacement(PlacementOf(sheet), file->windowPlacement);
    return 1;
  });
}

void CMainFrame::ForgetWindowCommands() {
  // The project writer must not ask a frame that is gone.
  if (g_syncFrame == this) {
    g_syncFrame = nullptr;
    SetSyncFileHook(nullptr);
  }
}

void CMainFrame::UpdateWindowMenu(QMenu* menu) {
  // Our entries (the separator and the windows' ids) of the last opening
  // go first; each is looked at once, before any of them is deleted.
  std::vector<QAction*> stale;
  for (QAction* a : menu->actions()) {
    bool ok = false;
    const uint id = a->data().toUInt(&ok);
    if ((ok && id >= kFirstMdiChild && id <= kLastMdiChild) || a->property("pm2WindowList").toBool())
      stale.push_back(a);
  }
  for (QAction* a : stale) {
    menu->removeAction(a);
    delete a;
  }
  const QList<QMdiSubWindow*> list = ListedWindows(MdiClient());
  if (list.isEmpty()) return;
  // The windows are numbered on from the recent workspaces above them
  // ("&1 Debug", then "&2 Blinky.c"): two items with one digit would each
  // wait for a second press, and the digit would choose neither.
  int workspaces = 0;
  for (QAction* a : menu->actions())
    if (a->property("pm2RecentWorkspace").toBool() && a->isEnabled() && a->text().startsWith(QLatin1Char('&')) &&
        a->text().size() > 1 && a->text()[1].isDigit())
      ++workspaces;
  QAction* sep = menu->addSeparator();
  sep->setProperty("pm2WindowList", true);
  for (int i = 0; i < list.size() && kFirstMdiChild + CommandId(i) <= kLastMdiChild; ++i) {
    const int number = workspaces + 1 + i;
    QString title = list[i]->windowTitle();
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    QAction* a = menu->addAction(QString(number <= 9 ? "&%1 %2" : "%1 %2").arg(number).arg(title));
    a->setData(uint(kFirstMdiChild + CommandId(i)));
    // Only the active window carries a mark; the others show none (an
    // empty check box beside each would read as a mark too).
    const bool active = list[i] == MdiClient()->activeSubWindow();
    a->setCheckable(active);
    a->setChecked(active);
  }
}

void CMainFrame::OnFileNew() {
  if (m_editors->AnyFindDialogOpen()) {
    m_app.Dialogs().Beep();
    return;
  }
  EditorState();
  if (m_editors->NewDocument()) UpdateTitle();
}

void CMainFrame::OnFileSaveAs() {
  EditorState();
  EditorDocument* doc = m_editors->ActiveDocument();
  if (!doc) return;
  std::string suggested = doc->Path();
  if (m_editors->ActiveIsUntitled()) {
    ProjectRec* p = m_app.Project();
    suggested = (p ? p->folder.str() : std::string()) + doc->Title();
  }
  const std::string path = m_chooseSaveAsFile(suggested);
  if (path.empty()) return;
  m_editors->SaveActiveAs(path);
  UpdateTitle();
}

void CMainFrame::OnBooksWindow() {
  if (!m_projectBar) return;
  if (!m_projectBar->IsBarVisible()) ShowControlBar(m_projectBar, true, false);
  m_projectBar->ActivatePane(CPrjWin::kBooksPageId);
}

void CMainFrame::SaveDockLayout(int which) {
  m_app.SetState(kStateLayoutSwitch);
  m_bars->SaveState(m_settings, which ? kBuildLayout : kDebugLayout);
  m_app.ClearState(kStateLayoutSwitch);
}

void CMainFrame::ApplyDockLayout(int which) {
  m_app.SetState(kStateLayoutSwitch);
  if (!which && m_outputBar) ShowControlBar(m_outputBar, false, false);
  m_bars->LoadState(m_settings, which ? kBuildLayout : kDebugLayout);
  RecalcLayout();
  m_app.ClearState(kStateLayoutSwitch);
}

void CMainFrame::RefreshFileMarks(TargetRec* target) {
  if (!m_projectBar || !target) return;
  m_projectBar->View()->SetShowIncludes(m_frameSettings.includeDependencies);
  m_projectBar->View()->FillTree(16);
}

bool CMainFrame::LineInput(const std::string& prompt, std::string* text) {
  if (m_lineInput) return m_lineInput(prompt, text);
  return LineInputDialog::Run(prompt, text, this);
}

void CMainFrame::RefreshWatch() {
  if (m_debug) m_debug->BarCommands().RefreshWatch();
}

void CMainFrame::AppendCommandEcho(const char* text) {
  if (m_debug)
    m_debug->AppendCommandEcho(text);
  else
    AppendCommandOutput(text);
}

void CMainFrame::AppendCommandOutput(const char* text) {
  // The debugger's command page while it exists, else the output window's.
  if (m_debug) {
    m_debug->AppendCommandOutput(text);
    return;
  }
  COutEdv* pane = m_output ? m_output->EditPane() : nullptr;
  if (!pane) return;
  if (!text)
    pane->SetText("");
  else
    pane->AppendText(text);
}

void CMainFrame::ActivatePendingFrame() {
  // The window just opened takes the focus as if its caption were clicked.
  if (QMdiSubWindow* w = MdiClient()->activeSubWindow()) {
    MdiClient()->setActiveSubWindow(w);
    if (EditorView* v = m_editors->Active()) v->setFocus();
  }
}

// ------------------------------------------------------------------ the project's windows

void CMainFrame::StoreOpenEditorWindows(ProjectRec* project) {
  if (!project) return;
  // The records of the last store stay in the project's pool until it goes.
  project->editorFiles = nullptr;
  for (EditorDocument* doc : m_editors->Documents().Documents()) {
    if (FindSourceFileByPath(doc->Path().c_str())) continue;  // kept with its file record
    if (m_editors->IsUntitled(doc)) continue;  // no file to open again
    SECWorksheetWnd* sheet = m_editors->SheetOf(doc);
    EditorView* view = m_editors->ViewOf(doc);
    if (!sheet || !view) continue;
    // One the options file cannot hold would make the project unreadable
    // ("<a>b.txt>"): it is left out of the list, which only reopens it.
    if (const std::string why = EditorFileRefusal(project->folder.view(), doc->Path()); !why.empty()) {
      if (m_unkeptEditorFiles.insert(doc->Path()).second)
        ShowError(m_app.Dialogs(), why + "\n\nIt is not opened again with the project.");
      continue;
    }
    EditorFileRec* e = AppendEditorFile(&project->editorFiles);
    e->path = OptString::Pooled(doc->Path(), kPoolProject);
    int top = 1, caret = 1, column = 1;
    if (!view->GetViewPosition(&top, &caret, &column)) top = caret = 1;
    e->number1 = top;
    e->number2 = caret;
    EncodePlacement(PlacementOf(sheet), e->placement);
  }
}

// A file of the project opened from its tree: opened now, it comes back
// where the project kept its window and its view.
void CMainFrame::OpenSelectedFile() {
  ProjectRec* p = m_app.Project();
  auto* f = static_cast<FileRec*>(m_app.m_pSelItem);
  static const bool kOpenable[] = {true, true, true, false, false, true, true, true, true};
  if (!p || !f || f->kind != kKindFile || f->type > 8 || !kOpenable[f->type]) {
    m_app.Dialogs().Beep();
    return;
  }
  std::string path = LocalFilePath(*p, *f);
  if (path.empty()) {
    ShowError(m_app.Dialogs(), "Cannot open file '" + f->path.str() + "'");
    return;
  }
  EditorState();
  const bool openedNow = m_editors->Find(path) == nullptr;
  EditorView* view = m_editors->Open(path);
  if (!view) return;  // the document said why
  if (openedNow) {
    ApplyPlacement(m_editors->SheetOf(&view->Document()), f->windowPlacement);
    if (f->topLine) view->RestoreViewPosition(f->topLine, f->caretLine, f->caretColumn);
  }
  UpdateTitle();
}

void CMainFrame::RestoreEditorWindows(ProjectRec* project) {
  if (!project || m_app.HasState(kStateBatchBuild)) return;
  EditorState();
  struct Reopened {
    EditorView* view;
    const FileRec* file;
  };
  Reopened active{nullptr, nullptr};
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (FileRec* f = g->firstFile; f; f = f->next) {
      WindowPlacementRec placement;
      if ((f->flags & kFileRemoved) || !DecodePlacement(f->windowPlacement, &placement)) continue;
      const std::string path = LocalFilePath(*project, *f);
      if (path.empty()) continue;
      EditorView* view = m_editors->Open(path);
      if (!view) continue;
      if (f->flags & kFileActiveWindow) {
        active = {view, f};
        continue;
      }
      ApplyPlacement(m_editors->SheetOf(&view->Document()), f->windowPlacement);
      if (f->topLine) view->RestoreViewPosition(f->topLine, f->caretLine, f->caretColumn);
    }
  }
  for (const EditorFileRec* e = project->editorFiles; e; e = e->next) {
    const std::string path = LocalFilePath(*project, e->path.str());
    if (path.empty()) continue;
    EditorView* view = m_editors->Open(path);
    if (!view) continue;
    ApplyPlacement(m_editors->SheetOf(&view->Document()), e->placement);
    if (e->number1) view->RestoreViewPosition(e->number1, e->number2, 0);
  }
  if (active.view) {
    SECWorksheetWnd* sheet = m_editors->SheetOf(&active.view->Document());
    ApplyPlacement(sheet, active.file->windowPlacement);
    MdiClient()->setActiveSubWindow(sheet);
    if (active.file->topLine)
      active.view->RestoreViewPosition(active.file->topLine, active.file->caretLine, active.file->caretColumn);
    active.view->setFocus();
  }
  UpdateTitle();
}

}  // namespace pm2
