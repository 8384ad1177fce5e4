#include "shell/frame/browser_commands.h"

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QMdiArea>
#include <QMenu>

#include "browser/browse_file_name.h"
#include "browser/ui/browser_images.h"
#include "editor/ide/editor_view.h"
#include "project/model/app_state.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/app/shell_app.h"
#include "shell/app/state_bits.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"
#include "browser/ui/browse_result_dialog.h"
#include "toolkit/controls/list_ctrl.h"
#include "toolkit/controls/qt_bridge.h"
#include "toolkit/frames/mdi_child.h"

namespace pm2 {
namespace {

constexpr size_t kMaxWordLength = 120;
constexpr int kMbOkStop = kMbOk | kMbIconStop;

bool BrowsableToolset(int toolset) { return toolset >= kToolset51 && toolset <= kToolset166; }

}  // namespace

BrowserCommands::BrowserCommands(CMainFrame& frame, ShellApp& app, BrowseSession& session)
    : m_frame(frame), m_app(app), m_session(session) {
  m_runDialog = [](QDialog& d) { return d.exec(); };
  // Another file's table replacing this one (a look-up on another target)
  // takes the window that shows its records with it.
  m_session.m_beforeFree = [this] { CloseWindow(); };
  m_frame.OnCommand(kCmdSourceBrowser, [this](CommandId) { OnSourceBrowser(); });
  m_frame.OnUpdate(kCmdSourceBrowser, [this](CommandState& s) {
    s.SetCheck(m_window ? 1 : 0);
    ProjectRec* p = m_app.Project();
    const bool target = p && p->curTarget && p->curTarget->toolset < 5;
    if (const char* none = target ? ToolsetWithoutBrowseInfo(p->curTarget->toolset) : nullptr) {
      s.Grey(NoBrowseInfoText(none));
      return;
    }
    s.Enable(!m_app.HasState(kStateBusy) && !m_app.m_szBrowseFile.empty() && target);
  });
  // Stepping through the current symbol's references needs a place found
  // before by a look-up.
  for (const auto& [id, next] : {std::pair{kCmdNextReference, true}, std::pair{kCmdPreviousReference, false}}) {
    m_frame.OnCommand(id, [this, next = next](CommandId) { StepReference(next); });
    m_frame.OnUpdate(id, [this](CommandState& s) {
      const BrowseModule* m = m_session.Module();
      s.Enable(m && m->cursor.symbol);
    });
  }
  m_frame.Editors().ViewContext().browserMenu = [this](EditorView& view, QMenu& menu) {
    AddEditorMenuItems(view, menu);
  };
  m_frame.Editors().ViewContext().goToSymbol = [this](const std::string& word, bool definition) {
    GoToSymbol(word, definition);
  };
}

BrowserCommands::~BrowserCommands() {
  m_session.m_beforeFree = nullptr;
  m_frame.Editors().ViewContext().browserMenu = nullptr;
  m_frame.Editors().ViewContext().goToSymbol = nullptr;
  if (m_sheet) delete m_sheet.data();
}

BrowserWindow* BrowserCommands::Window() const { return m_window.data(); }

BrowseSource BrowserCommands::Source() const {
  BrowseSource source;
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget) return source;
  source.file = TargetBrowseFile(*p, *p->curTarget);
  source.baseFolder = p->folder.str();
  source.toolsWriteNone = ToolsetWithoutBrowseInfo(p->curTarget->toolset);
  return source;
}

void BrowserCommands::OnSourceBrowser() {
  if (m_sheet) {
    m_sheet->close();
    return;
  }
  const BrowseSource source = Source();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string err = m_session.Open(source.file, source.baseFolder);
  QApplication::restoreOverrideCursor();
  if (!err.empty()) {
    m_app.Dialogs().MessageBox(err, kMbOkStop);
    return;
  }
  if (!OpenWindow()) return;
  m_window->Refresh();
  m_window->List()->setFocus();
}

bool BrowserCommands::OpenWindow() {
  if (m_window) return true;
  if (!m_session.Module()) return false;
  ProjectRec* p = m_app.Project();
  const int toolset = p && p->curTarget ? int(p->curTarget->toolset) : 100;
  auto* sheet = new SECWorksheetWnd(&m_frame);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setObjectName("SourceBrowserFrame");
  static const QIcon kIcon(BrowserResultImages().images[3]);  // the browser's own mark, in its tab too
  sheet->setWindowIcon(kIcon);
  sheet->SetTabIcon(kIcon);
  auto* window = new BrowserWindow(m_session, *this, m_filters, m_layout, toolset);
  sheet->setWidget(window);
  sheet->setWindowTitle(ToQString(window->Title()));
  QObject::connect(window, &BrowserWindow::titleChanged, sheet,
                   [sheet, window] { sheet->setWindowTitle(ToQString(window->Title())); });
  // Closing keeps the column widths and the split for the next window.
  sheet->installEventFilter(window);
  QObject::connect(window, &QObject::destroyed, &m_frame, [this] { m_window = nullptr; });
  m_frame.MdiClient()->addSubWindow(sheet);
  const std::array<int, 4>& at = m_layout.placement;
  if (at[2] > 0)
    sheet->setGeometry(at[0], at[1], at[2], at[3]);  // where it was when it closed
  else
    sheet->resize(760, 600);
  // A maximised request shows the window normally.
  sheet->showNormal();
  m_frame.MdiClient()->setActiveSubWindow(sheet);
  m_sheet = sheet;
  m_window = window;
  return true;
}

void BrowserCommands::CloseWindow() {
  if (m_window) m_window->SaveLayout();
  if (!m_sheet) return;
  const QRect r = m_sheet->geometry();
  m_layout.placement = {r.x(), r.y(), r.width(), r.height()};
  SECWorksheetWnd* sheet = m_sheet.data();
  m_sheet = nullptr;
  m_window = nullptr;
  m_frame.MdiClient()->removeSubWindow(sheet);
  delete sheet;
}

void BrowserCommands::Close() {
  CloseWindow();
  m_session.Free();
}

void BrowserCommands::GoToSymbol(const std::string& word, bool definition) {
  DialogBrowseChooser chooser(&m_frame, m_runDialog);
  const std::string text = pm2::GoToSymbol(m_session, Source(), word, definition, *this, chooser);
  if (text.empty()) return;
  Beep();
  m_app.Dialogs().MessageBox(text, kMbOkStop);
}

void BrowserCommands::StepReference(bool next) {
  const bool shown = next ? GoToNextReference(m_session, *this) : GoToPreviousReference(m_session, *this);
  if (!shown) Beep();
}

void BrowserCommands::AddEditorMenuItems(EditorView& view, QMenu& menu) {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget || !BrowsableToolset(int(p->curTarget->toolset))) return;
  std::string word;
  if (!view.GetWordAtCaret(&word) || word.empty() || word.size() >= kMaxWordLength) return;
  const QString w = ToQString(word);
  menu.addSeparator();
  QObject::connect(menu.addAction(QStringLiteral("Go To Definition Of '%1'").arg(w)), &QAction::triggered, &m_frame,
                   [this, word] { GoToSymbol(word, true); });
  QObject::connect(menu.addAction(QStringLiteral("Go To Reference To '%1'").arg(w)), &QAction::triggered, &m_frame,
                   [this, word] { GoToSymbol(word, false); });
  // Stepping needs a place found before.
  const BrowseModule* m = m_session.Module();
  const bool cursor = m && m->cursor.symbol;
  QAction* next = menu.addAction(QStringLiteral("Go To Next Reference"));
  next->setEnabled(cursor);
  QObject::connect(next, &QAction::triggered, &m_frame, [this] { m_frame.ExecuteCommand(kCmdNextReference); });
  QAction* prev = menu.addAction(QStringLiteral("Go To Previous Reference"));
  prev->setEnabled(cursor);
  QObject::connect(prev, &QAction::triggered, &m_frame, [this] { m_frame.ExecuteCommand(kCmdPreviousReference); });
}

void BrowserCommands::BrowseSymbolKind(bool open, uint32_t kinds) {
  if (m_window) {
    m_window->SetSymbolKind(kinds);
    return;
  }
  const BrowseSource source = Source();
  const std::string err = m_session.Open(source.file, source.baseFolder);
  if (!err.empty()) {
    m_app.Dialogs().MessageBox(err, kMbOkStop);
    return;
  }
  if (!open || !OpenWindow()) return;
  m_window->Refresh();
  m_window->SetSymbolKind(kinds);
}

bool BrowserCommands::ShowBrowseResult(bool open, BrowseName& name) {
  if (m_window) {
    m_window->SelectName(&name);
    return true;
  }
  if (!open || !OpenWindow()) return false;
  m_window->ShowName(&name);
  return true;
}

void BrowserCommands::ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) {
  m_frame.OpenFileAndShow(path, static_cast<int>(line), 0);
  if (EditorView* v = m_frame.Editors().Active()) v->ShowLineAtWord(static_cast<int>(line), name);
}

void BrowserCommands::Beep() { m_app.Dialogs().Beep(); }

bool BrowserCommands::FrameMayClose() const { return !m_app.HasState(kStateLayoutSwitch); }

}  // namespace pm2
