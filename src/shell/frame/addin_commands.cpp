#include "shell/frame/addin_commands.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMetaObject>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <unistd.h>

#include "browser/browse_file_name.h"
#include "platform/settings_store.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"
#include "shell/app/debug_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/document_lookup.h"
#include "shell/frame/main_frame.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/frames/status_bar.h"
#include "shell/tools/addin_browse.h"
#include "shell/tools/addin_socket.h"
#include "browser/ui/browse_result_dialog.h"
#include "shell/tools/ui/lint_options_dialog.h"

namespace pm2 {

namespace {

// The add-in shows its first window before it connects; a slow start
// must not be taken for a failure.
constexpr int kStartTimeoutMs = 10000;

}  // namespace

// Input while an add-in's answer is awaited: Esc is noted, the rest of the
// keyboard and the mouse do nothing.
class AddInWaitFilter : public QObject {
 public:
  bool Escaped() const { return m_escaped; }
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::ShortcutOverride:
        // Accepted: the key then comes as a key press rather than as a
        // shortcut of the window (Esc has one), which would take it first.
        e->accept();
        [[fallthrough]];
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) m_escaped = true;
        return true;
      case QEvent::KeyRelease:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
        return true;
      default:
        return QObject::eventFilter(watched, e);
    }
  }

 private:
  bool m_escaped = false;
};

AddInCommands::AddInCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings)
    : m_frame(frame),
      m_app(app),
      m_settings(settings),
      m_logic(*this, static_cast<uint32_t>(::getpid())),
      m_server(std::make_unique<AddInServer>(m_logic)) {
  m_runDialog = [](QDialog& d) { return d.exec(); };
  // Waiting for an answer, the window keeps painting and the status bar
  // names the add-in; the keyboard and the mouse do nothing but Esc, which
  // ends the wait (the request is then unanswered). An add-in that does not
  // answer at all is detached with a message.
  m_server->SetWaitNotice([this](bool waiting, const std::string& program) { AddInWait(waiting, program); });
  m_server->SetWaitServer([this] {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !(m_waitFilter && m_waitFilter->Escaped());
  });
  m_server->SetTimeoutHandler([this](const std::string& text) { MessageBox(text, kMbOk | kMbIconExclamation); });
  m_server->SetPendingHandler(
      [this] { QMetaObject::invokeMethod(&m_frame, [this] { PollSockets(); }, Qt::QueuedConnection); });
  m_logic.Link().programPath = ProgramPath();
  Register();
}

void AddInCommands::AddInWait(bool waiting, const std::string& program) {
  SECStatusBar* status = m_frame.Status();
  if (waiting) {
    m_waitFilter = std::make_unique<AddInWaitFilter>();
    qApp->installEventFilter(m_waitFilter.get());
    const std::string name = QFileInfo(QString::fromStdString(program)).fileName().toStdString();
    if (status) status->SetWindowText("Waiting for the add-in '" + name + "' to answer (Esc ends the wait)");
    return;
  }
  if (m_waitFilter) qApp->removeEventFilter(m_waitFilter.get());
  m_waitFilter.reset();
  if (status) status->SetWindowText("Ready");
}

AddInCommands::~AddInCommands() {
  m_listenNotifier.reset();
  m_connNotifier.reset();
}

void AddInCommands::Register() {
  m_frame.OnCommand(kCmdSetupAddIn, [this](CommandId) { OnSetup(); });
  m_frame.OnCommand(kCmdToggleAddIn, [this](CommandId) { OnToggle(); });
  m_frame.OnCommand(kCmdShowInAddIn, [this](CommandId) { OnShowInAddIn(); });
  m_frame.OnUpdate(kCmdToggleAddIn, [this](CommandState& s) {
    s.Enable(m_logic.Running() || !ProgramPath().empty());
    s.SetCheck(m_logic.Running() ? 1 : 0);
  });
  m_frame.OnUpdate(kCmdShowInAddIn, [this](CommandState& s) {
    SourcePosition at;
    const bool editor = m_frame.GetActiveSourceFile(&at) != 0;
    s.SetText(ShowInAddInText(editor ? at.path : std::string(), at.line));
    s.Enable(editor && m_logic.Running() && !ProgramPath().empty());
  });
}

std::string AddInCommands::ProgramPath() const {
  return QString::fromStdString(m_settings.GetProfileString("Settings\\EasyCase", "Bin")).trimmed().toStdString();
}

bool AddInCommands::Start() {
  m_logic.Link().programPath = ProgramPath();
  std::string err;
  if (m_server->ListenFd() < 0 && !m_server->Listen(&err)) {
    MessageBox(err, kMbOk | kMbIconStop);
    return false;
  }
  const bool ok = m_server->StartAddIn(m_logic.Link().programPath, IsDebugging(), kStartTimeoutMs, &err);
  if (!ok) MessageBox(err, kMbOk | kMbIconStop);
  WatchSockets();
  return ok;
}

void AddInCommands::WatchSockets() {
  if (!m_listenNotifier && m_server->ListenFd() >= 0) {
    m_listenNotifier = std::make_unique<QSocketNotifier>(m_server->ListenFd(), QSocketNotifier::Read);
    QObject::connect(m_listenNotifier.get(), &QSocketNotifier::activated, [this] { PollSockets(); });
  }
  if (m_server->ConnectionFd() == m_watchedConn) return;
  m_connNotifier.reset();
  m_watchedConn = m_server->ConnectionFd();
  if (m_watchedConn < 0) return;
  m_connNotifier = std::make_unique<QSocketNotifier>(m_watchedConn, QSocketNotifier::Read);
  QObject::connect(m_connNotifier.get(), &QSocketNotifier::activated, [this] { PollSockets(); });
}

void AddInCommands::PollSockets() {
  // A block handled here may open a document and spin the event loop; the
  // socket is read again once that is done.
  if (m_polling) return;
  m_polling = true;
  m_server->Poll(0);
  m_polling = false;
  WatchSockets();
  if (!m_logic.Running()) m_server->WaitForExit(0);
}

void AddInCommands::NotifyClose() { m_logic.NotifyClose(); }

void AddInCommands::NotifyFile(const std::string& file, int line) {
  m_logic.NotifyFile(file, line);
  WatchSockets();
}

void AddInCommands::OnSetup() {
  AddInSetupDialog dialog(m_settings, &m_frame);
  if (m_runDialog(dialog) != QDialog::Accepted) return;
  m_logic.Link().programPath = dialog.Path();
}

void AddInCommands::OnToggle() {
  if (m_logic.Running()) {
    m_logic.NotifyClose();  // the add-in detaches itself
    return;
  }
  Start();
}

void AddInCommands::OnShowInAddIn() {
  SourcePosition at;
  if (!m_frame.GetActiveSourceFile(&at)) {
    Beep();
    return;
  }
  NotifyFile(at.path, at.line);
}

// ---- AddInFrame

void AddInCommands::Beep() { m_app.Dialogs().Beep(); }

int AddInCommands::MessageBox(const std::string& text, int kind) { return m_app.Dialogs().MessageBox(text, kind); }

void AddInCommands::ShowProjectFile(const std::string& path) {
  if (FindSourceFileByPath(path.c_str())) m_frame.OpenDocument(path);
}

void AddInCommands::OpenFileAndShow(const std::string& path, int line) { m_frame.OpenFileAndShow(path, line, 0); }

bool AddInCommands::LeftButtonDown() { return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0; }

bool AddInCommands::IsDebugging() { return m_app.Debug().SessionActive(); }

bool AddInCommands::TargetRunning() { return m_app.Debug().TargetExecuting(); }

void AddInCommands::RunTarget() { m_app.Debug().ExecCommand("g", 1); }

intptr_t AddInCommands::IdeServiceCall(int code, intptr_t arg) { return m_app.IdeServiceCall(code, arg); }

// The current target's linker output, whose browse records name the places;
// relative source names in it are the project folder's.
static BrowseSource CurrentBrowseSource(ShellApp& app) {
  BrowseSource source;
  ProjectRec* p = app.Project();
  if (!p || !p->curTarget) return source;
  source.file = TargetBrowseFile(*p, *p->curTarget);
  source.baseFolder = p->folder.str();
  source.toolsWriteNone = ToolsetWithoutBrowseInfo(p->curTarget->toolset);
  return source;
}

std::optional<std::string> AddInCommands::FindSymbolLocation(const std::string& symbol, bool definition,
                                                             BrowseLocation* location) {
  DialogBrowseChooser chooser(&m_frame, m_runDialog);
  return FindAddInSymbol(m_browse, CurrentBrowseSource(m_app), chooser, symbol, definition, location);
}

bool AddInCommands::StepReference(bool next, BrowseLocation* location) {
  return StepAddInReference(m_browse, next, location);
}

}  // namespace pm2
