#include "debugger/ui/debug_commands.h"
#include "debugger/windows/disassembly_window.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "debugger/dialogs/debug_dialogs.h"
#include "debugger/dialogs/func_editor_dialog.h"
#include "debugger/session/driver_menu.h"
#include "debugger/ui/debug_bar_commands.h"
#include "debugger/ui/debug_source_path.h"
#include "debugger/ui/debug_windows.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/ui/register_page.h"
#include "debugger/ui/shell_links.h"
#include "platform/settings_store.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "builder/commands/key_sequences.h"
#include "options/core/tool_command.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/tool_commands.h"
#include "shell/frame/addin_commands.h"
#include "toolkit/frames/mdi_child.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"
#include "shell/output/out_win.h"
#include "shell/project_window/prj_win.h"
#include "shell/project_window/project_tree_model.h"
#include "toolkit/controls/tab_windows.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/toolbar_manager.h"

namespace pm2 {

namespace {

// Command ids of the run control this stage offers; the full debug command
// set comes with the debug windows.
constexpr CommandId kCmdStartStop = 32802, kCmdStopSession = 32815, kCmdGo = 32791, kCmdStepInto = 32794,
                    kCmdStepOver = 32795, kCmdStepOut = 32741, kCmdStopRunning = 32797;
constexpr CommandId kCmdFlashDownload = 35404, kCmdFlashErase = 35405, kCmdResetCpu = 35020;
// A driver's stop is shown once the target stayed halted this long (a
// person does not see the wait; a client stepping back to back is not held
// up by a refresh after each stop), and stops keep the windows waiting no
// longer than the second figure.
constexpr std::chrono::milliseconds kStopSettle{15}, kStopShownWithin{100};
// The disassembly cursor's commands: its source line, and the program
// counter set to it.
constexpr CommandId kCmdShowCursorSource = 35411, kCmdSetPc = 35413;
// The recorded history in the disassembly window; the driver's capability bit.
constexpr CommandId kCmdViewTrace = 35043;
constexpr uint32_t kOffersTrace = 0x2000;
// IDE service 22's flag of the refresh after a write.
constexpr intptr_t kRefreshAfterWrite = 0x2;

const char* const kDebugLayoutKey = "Software\\Vond\\Pelmora2\\DSTAT1";

// The base id of the driver table an id belongs to.
unsigned TableBase(unsigned id) {
  for (int t = 3; t >= 0; --t)
    if (id >= kDllMenuBases[t]) return kDllMenuBases[t];
  return kDllMenuBases[0];
}

uint32_t Word(const uint8_t* bytes) {
  uint32_t w;
  std::memcpy(&w, bytes, 4);
  return w;
}

}  // namespace

DebugCommands::DebugCommands(CMainFrame& frame, ShellApp& app, SettingsStore& settings)
    : m_frame(frame), m_app(app), m_settings(settings) {
  m_posts = std::make_unique<QObject>();
  m_session = std::make_unique<DebugSession>(app, *this);
  m_app.SetDebugPort(m_session.get());
  m_firstRun = !m_settings.KeyExists(kDebugLayoutKey);
  m_stopRefresh.setSingleShot(true);
  QObject::connect(&m_stopRefresh, &QTimer::timeout, [this] { RefreshAfterStop(); });
  InstallRegisterPage();
  m_barCommands = std::make_unique<DebugBarCommands>(frame, app, *m_session);
  m_windows = std::make_unique<DebugWindows>(frame, app, *m_session);
  // View > Disassembly Window opens the disassembly window, or closes it.
  m_barCommands->SetDisassemblyToggle([this] {
    if (m_windows) m_windows->ToggleDisassemblyWindow();
  },
                                      [this] { return m_windows && m_windows->Disassembly(); });
  m_barCommands->SetActiveDisassembly([this] { return m_windows ? m_windows->ActiveDisassembly() : nullptr; });
  m_windows->SetRegisterTie([this](int64_t item) {
    RegisterPage* registers = ShownRegisters();
    if (!registers) return;
    if (item < 0)
      registers->UpdateAll();
    else
      registers->UpdateItems(uint32_t(item));
  });
  RegisterCommands();
  m_dialogs = std::make_unique<DebugDialogs>(frame, app, *m_session, [this](const char* text) { AppendCommandOutput(text); });
  m_dialogs->SetCursorAddress([this](uint32_t* address) { return m_barCommands->CursorAddress(address); });
  // An error line double-clicked in the command page: the function editor's line.
  if (CommandWindow* command = m_windows->Command())
    command->goToError = [this](uint32_t line) {
      FunctionEditor* editor = m_dialogs ? m_dialogs->FuncEditor() : nullptr;
      if (!editor) return false;
      editor->raise();
      editor->GoTo(line);
      return true;
    };
  m_barCommands->SetKeptWindows({[this] { return m_windows ? m_windows->Memory() : nullptr; },
                                 [this] { return m_dialogs ? &m_dialogs->SymbolsState() : nullptr; }});
  m_links = new ShellLinks(frame);
}

DebugCommands::~DebugCommands() {
  // The driver's children end with it even when the frame closes mid-session.
  m_app.SetDebugPort(nullptr);
  m_app.m_windows.Forget(WindowSlot::RegTree, static_cast<QWidget*>(m_registers));
  if (CPrjWin* bar = m_frame.ProjectBar()) bar->ForgetRegisterPageShown();
  // The register page is this object's: the project bar's tabs only show it.
  delete m_registers;
  m_registers = nullptr;
  // The windows read the session's record: they go first.
  m_dialogs.reset();
  m_windows.reset();
  // The driver ends while the session is whole: its last notices read it.
  // What they posted goes with m_posts.
  m_session->EndLoadedDriver();
  m_posts.reset();
  // The debug bar keeps the watch lists when the session ends: after it.
  m_session.reset();
  m_barCommands.reset();
}

// ------------------------------------------------------------------ pages

void DebugCommands::InstallRegisterPage() {
  CPrjWin* bar = m_frame.ProjectBar();
  if (!bar || !bar->Tabs()) return;
  m_registers = new RegisterPage([this] { return m_session->SessionActive(); },
                                 [this](const std::string& text, uint64_t* value) {
                                   DebugInterface* r = m_session->Record();
                                   return r->DbgEvalExpression && r->DbgEvalExpression(1, text.c_str(), value) == 0;
                                 },
                                 [this] { m_app.Dialogs().Beep(); });
  // A register written: the disassembly window follows when the register
  // asks for it (the program counter), and the watch and memory windows
  // and the driver's own windows refresh (IDE service 31).
  m_registers->valueSet = [this](bool refreshDisassembly) {
    if (refreshDisassembly) ProgramCounterWritten();
    m_app.IdeServiceCall(31, 0);
  };
  // The page takes the place of the project bar's empty register tab; it
  // reads the target only while it is in front, and catches up as it
  // comes to the front.
  bar->SetRegisterPage(m_registers, [this] {
    if (m_registers) m_registers->UpdateAll();
  });
}

RegisterPage* DebugCommands::ShownRegisters() const {
  const bool shown = m_registers && m_app.m_windows.Get(WindowSlot::RegTree) == static_cast<QWidget*>(m_registers);
  return shown ? m_registers : nullptr;
}

CommandWindow* DebugCommands::CommandPage() const { return m_windows ? m_windows->Command() : nullptr; }

void DebugCommands::SetSyntaxTables(const void* fallback1, const void* fallback2, const void* root) {
  if (m_windows) m_windows->SetSyntaxTables(fallback1, fallback2, root);
}

void DebugCommands::StartDebugger() {
  m_session->StartDebugger();
  // Typed commands go to the driver from the start.
  if (m_session->SessionActive() && CommandPage()) CommandPage()->Input()->setFocus();
}

bool DebugCommands::EndForClose() {
  if (!m_session->SessionActive()) return true;
  m_session->StopDebugger();
  return !m_session->SessionActive();
}

void DebugCommands::RunInitFileInclude() {
  const std::string line = std::string("Include ") + m_session->Settings().initFile + "\n";
  if (m_session->SessionActive() && m_session->Settings().initFile[0]) m_app.ExecDebugCommandLine(line.c_str());
}

void DebugCommands::AppendCommandOutput(const char* text) {
  if (m_windows) m_windows->Append(text);
}

void DebugCommands::AppendCommandEcho(const char* text) {
  if (m_windows) m_windows->AppendEcho(text);
}

// ------------------------------------------------------------------ commands

void DebugCommands::RegisterCommands() {
  DebugSession& s = *m_session;
  m_frame.OnCommand(kCmdStartStop, [this](CommandId) { m_session->OnDebugStartStop(); });
  // Not while the driver starts, a build or a tool runs, or for a target
  // that cannot be debugged; pressed while a session runs.
  m_frame.OnUpdate(kCmdStartStop, [this](CommandState& st) {
    st.Enable(m_session->StartStopEnabled());
    st.SetCheck(m_session->SessionActive() ? 1 : 0);
  });
  m_frame.OnCommand(kCmdStopSession, [this](CommandId) { m_session->StopDebugger(); });
  m_frame.OnCommand(kCmdGo, [&s](CommandId) { s.Go(); });
  // Steps go through their IDE services, which tell the event interface
  // that execution starts.
  // Step into while the target runs is refused with a beep.
  m_frame.OnCommand(kCmdStepInto, [this](CommandId) {
    if (!m_session->SessionActive() || m_session->TargetExecuting()) return m_app.Dialogs().Beep();
    m_app.IdeServiceCall(7, 1);
  });
  m_frame.OnCommand(kCmdStepOver, [this](CommandId) { m_app.IdeServiceCall(8, 1); });
  // Step out goes through its IDE services: 12 says whether there is a call
  // to return from, 9 refuses with a beep when there is none.
  m_frame.OnCommand(kCmdStepOut, [this](CommandId) { m_app.IdeServiceCall(9, 1); });
  m_frame.OnUpdate(kCmdStepOut, [this](CommandState& st) {
    if (m_app.IdeServiceCall(12, 0) != 0) return st.Enable(true);
    // Greyed in a stopped session, its prompt (and its key) say why.
    if (m_session->SessionActive() && !m_session->TargetExecuting())
      return st.Grey("Cannot StepOut: no function called the one the program stopped in");
    st.Enable(false);
  });
  m_frame.OnCommand(kCmdStopRunning, [&s](CommandId) { s.StopRunning(); });
  m_frame.OnCommand(kCmdFlashDownload, [this](CommandId) { OnFlash(kCmdFlashDownload); });
  m_frame.OnCommand(kCmdFlashErase, [this](CommandId) { OnFlash(kCmdFlashErase); });
  m_frame.OnCommand(kCmdSetPc, [this](CommandId) { SetPcAtCursor(); });
  m_frame.OnUpdate(kCmdSetPc, [this](CommandState& st) {
    uint32_t at = 0;
    st.Enable(m_session->SessionActive() && !m_session->TargetExecuting() && DisassemblyCursor(&at));
  });
  m_frame.OnCommand(kCmdViewTrace, [this](CommandId) {
    if (DisassemblyView* v = m_windows->OpenDisassemblyWindow()) v->ShowTraceRecords();
  });
  m_frame.OnUpdate(kCmdViewTrace, [this](CommandState& st) {
    const DebugInterface* r = m_session->Record();
    st.Enable(m_session->SessionActive() && (r->flags & kOffersTrace) && (r->traceOn & 1) &&
              !m_session->TargetExecuting() && r->DbgTraceQuery && r->DbgTraceQuery(3, 0, 0, 0) != 0);
  });
  m_frame.OnCommand(kCmdShowCursorSource, [this](CommandId) {
    int line = 0;
    const std::string path = CursorSource(&line);
    if (!path.empty()) m_frame.OpenFileAndShow(path, line, 0);
  });
  m_frame.OnUpdate(kCmdShowCursorSource, [this](CommandState& st) {
    int line = 0;
    st.Enable(!CursorSource(&line).empty());
  });
  // The driver's four menu tables.
  for (int t = 0; t < 4; ++t) {
    const unsigned base = kDllMenuBases[t];
    m_frame.OnCommandRange(base, base + kDllMenuSizes[t] - 1, [this, base](CommandId id) {
      RunDllMenuItem(DllMenuTable(*m_session->Record(), base), int(id - base));
    });
    for (unsigned id = base; id < base + kDllMenuSizes[t]; ++id)
      m_frame.OnUpdate(id, [this, base](CommandState& st) {
        DllMenuItemState state =
            UpdateDllMenuItem(DllMenuTable(*m_session->Record(), base), int(st.id - base), m_session->SessionActive());
        st.Enable(state.enabled);
        st.SetCheck(state.checked ? 1 : 0);
      });
  }
  // The Peripherals popup lists the driver's tables after "Reset CPU" (on opening).
  if (SECMenuBar* bar = m_frame.Bars() ? m_frame.Bars()->MenuBar() : nullptr) {
    for (int i = 0; i < int(bar->Model().Rows().size()); ++i) {
      const MenuBarRow& row = bar->Model().Rows()[std::size_t(i)];
      if (!row.IsPopup()) continue;
      // The Peripherals menu: "Reset CPU" first, the driver's tables after it.
      bool peripherals = false;
      for (const MenuEntry& e : row.entry->children) peripherals |= e.id == kCmdResetCpu;
      if (!peripherals) continue;
      if (QMenu* menu = bar->PopupFor(i))
        QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] { FillDebugMenu(menu); });
    }
  }
}

bool DebugCommands::DisassemblyCursor(uint32_t* address) const {
  DisassemblyView* view = m_windows ? m_windows->Disassembly() : nullptr;
  return view && view->CursorAddress(address);
}

void DebugCommands::SetPcAtCursor() {
  uint32_t at = 0;
  DebugInterface* r = m_session->Record();
  if (!m_session->SessionActive() || m_session->TargetExecuting() || !DisassemblyCursor(&at) || !r->DbgControl) return;
  char text[32];
  std::snprintf(text, sizeof text, "$=0x%X\n", unsigned(at));
  r->DbgControl(kDbgCtlExecNow, reinterpret_cast<intptr_t>(text), 0);
  DebugService(2, 0);  // the windows show the new program counter
}

std::string DebugCommands::CursorSource(int* line) const {
  uint32_t at = 0;
  DebugInterface* r = m_session->Record();
  if (!m_session->SessionActive() || !DisassemblyCursor(&at) || !r->DbgFindSource) return std::string();
  if (r->DbgFindSource(at) != 0 || !r->srcFile) return std::string();
  const std::string path = LocalDriverSource(static_cast<const char*>(r->srcFile));
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::string();
  *line = int(r->srcLine);
  return path;
}

void DebugCommands::FillDebugMenu(QMenu* menu) {
  for (QPointer<QAction>& a : m_driverActions)
    if (a) {
      menu->removeAction(a);
      a->deleteLater();
    }
  m_driverActions.clear();
  if (!m_session->SessionActive()) return;
  auto add = [this](QMenu* to, const DllMenuRow& row) {
    QAction* a = row.kind == DllMenuRow::Kind::Separator ? to->addSeparator()
                                                         : to->addAction(QString::fromLocal8Bit(row.text.c_str()));
    a->setData(row.id);
    const unsigned base = TableBase(row.id);
    const DllMenuItemState st =
        UpdateDllMenuItem(DllMenuTable(*m_session->Record(), base), int(row.id) - int(base), true);
    if (row.kind == DllMenuRow::Kind::Item) {
      a->setCheckable(st.checked);
      a->setChecked(st.checked);
    }
    return a;
  };
  for (unsigned base : PeripheralsMenuOrder(*m_session->Record(), true)) {
    DebugMenuEntry* table = DllMenuTable(*m_session->Record(), base);
    for (const DllMenuRow& row : AppendDllMenu(table, base)) {
      if (row.kind != DllMenuRow::Kind::Popup) {
        m_driverActions.push_back(add(menu, row));
        continue;
      }
      QMenu* popup = menu->addMenu(QString::fromLocal8Bit(row.text.c_str()));
      for (const DllMenuRow& item : row.items) add(popup, item);
      m_driverActions.push_back(popup->menuAction());
    }
  }
}

bool DebugCommands::FlashEnabled(bool erase) const {
  if (m_app.HasState(kStateBusy) || m_session->SessionActive()) return false;
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget || (p->curTarget->flags & kTargetDeleted) || !p->curTarget->pOpts) return false;
  const FlashOpts& f = p->curTarget->pOpts->flash;
  const uint32_t flags = Word(f.FLASH1);
  if (erase) return !(flags & 0x2) && (Word(f.FLASH1 + 4) & 1);
  if (flags & 0x1) return !f.FLASH2.empty();
  return (flags & 0x2) && !f.FLASH3.empty();
}

void DebugCommands::OnFlash(int command) {
  ProjectRec* p = m_app.Project();
  if (!p || !p->curTarget || !p->curTarget->pOpts) {
    m_app.Dialogs().Beep();
    return;
  }
  if (Word(p->curTarget->pOpts->flash.FLASH1) & 0x1) {
    m_frame.ShowOutputPage(kOutputCommandPage);
    m_session->FlashViaDriver(command);
    return;
  }
  // Erasing is the driver's alone: without one nothing runs.
  if (command == kCmdFlashErase) return;
  // The external flash tool: its program (quoted, or up to the first
  // blank) and its arguments with their key sequences expanded.
  const FlashOpts& f = p->curTarget->pOpts->flash;
  ToolCommands* tools = m_frame.Tools();
  std::string program, arguments;
  SplitFlashCommand(f.FLASH3.str(), &program, &arguments);
  std::string expanded, failed;
  if (!tools || program.empty()) {
    m_app.Dialogs().Beep();
    return;
  }
  if (const ExpandResult filled = ExpandToolArguments(tools->Sources(), arguments, expanded, &failed);
      filled != kExpandDone) {
    m_app.Dialogs().MessageBox("'" + program + "' is not run: " + ExpandFailureText(filled, failed),
                               kMbOk | kMbIconExclamation);
    return;
  }
  if (m_app.Project()) m_app.SaveProject();
  ExternalRun run;
  run.program = program;
  run.arguments = expanded;
  if (!tools->RunExternal(std::move(run), (Word(f.FLASH1) & 0x4) != 0)) m_app.Dialogs().Beep();
}

void SplitFlashCommand(const std::string& command, std::string* program, std::string* arguments) {
  const ToolCommand c = SplitToolLine(command);
  *program = c.program;
  *arguments = c.arguments;
}

intptr_t DebugCommands::DebugService(int code, intptr_t arg) {
  intptr_t result = 0;
  if (code == 30) {  // show the program counter, as a stop does
    if (!m_session->SessionActive()) return 0;
    ShowProgramCounter();
    // An open disassembly window shows it too (wherever the user scrolled
    // it) and comes to the front.
    if (DisassemblyView* v = m_windows ? m_windows->Disassembly() : nullptr) {
      v->GotoAddress(m_session->Record()->pc);
      m_windows->OpenDisassemblyWindow();
    }
    return 1;
  }
  if (code == 21) return ShowCodeAtAddress(uint32_t(arg)) ? 1 : 0;
  // The register page follows a refresh by flags with flag 0x1, and
  // service 22 without flags.
  const bool byFlags = code == 22 || code == 31 || code == 310;
  const bool registers = (byFlags && (arg & 0x1)) || (code == 22 && !(arg & 0x8001));
  if (registers && ShownRegisters() && m_session->SessionActive()) m_registers->UpdateAll();
  // A command that moved the program counter (`$pc = ...` on the command
  // page, service 22 without flags; a watch row's edit of `$pc`, a typed
  // command of gdb's, the refresh after a write): the arrows and the status
  // bar's PC follow, as after a write of PC on the register page.
  const bool pcMoved = code == 22 && (arg == 0 || arg == kRefreshAfterWrite) && m_session->SessionActive() &&
                       !m_session->TargetExecuting() && m_session->Record()->pc != m_shownPc;
  const bool done = (m_dialogs && m_dialogs->Service(code, arg, &result)) || m_session->Service(code, arg, &result) ||
                    (m_windows && m_windows->Service(code, arg, &result)) ||
                    (m_barCommands && m_barCommands->Service(code, arg, &result));
  if (pcMoved) ProgramCounterWritten();
  return done ? result : 0;
}

// ------------------------------------------------------------------ SessionHost

void DebugCommands::WriteSerial(int window, const void* chars, int count, bool wide) {
  if (m_dialogs) m_dialogs->WriteSerial(window, chars, count, wide);
}
// The disassembly window is one of the debug windows; the others are dialogs.
bool DebugCommands::WindowOpen(DebugWindow w) {
  if (w == DebugWindow::Disassembly) return m_windows && m_windows->Disassembly();
  return m_dialogs && m_dialogs->WindowOpen(w);
}
void DebugCommands::OpenWindow(DebugWindow w) {
  if (w == DebugWindow::Disassembly) {
    if (m_windows) m_windows->OpenDisassemblyWindow();
  } else if (m_dialogs) {
    m_dialogs->OpenWindow(w);
  }
}
void DebugCommands::CloseWindow(DebugWindow w) {
  if (w == DebugWindow::Disassembly) {
    if (m_windows) m_windows->CloseDisassemblyWindow();
  } else if (m_dialogs) {
    m_dialogs->CloseWindow(w);
  }
}
void DebugCommands::SerialTerminals(bool create) {
  if (m_dialogs) m_dialogs->SerialTerminals(create);
}

void DebugCommands::SaveDockLayout(int which) {
  if (m_frame.Bars()) m_frame.Bars()->SaveState(m_settings, which ? CMainFrame::kBuildLayout : CMainFrame::kDebugLayout);
  // A debug layout exists from now on: later first sessions keep it.
  if (which == 0) m_settings.CreateKey(kDebugLayoutKey);
}

void DebugCommands::ApplyDockLayout(int which) {
  if (!m_frame.Bars()) return;
  if (which == 0 && m_frame.OutputBar()) m_frame.ShowControlBar(m_frame.OutputBar(), false, false);
  if (!m_firstRun || which == 1)
    m_frame.Bars()->LoadState(m_settings, which ? CMainFrame::kBuildLayout : CMainFrame::kDebugLayout);
}

bool DebugCommands::TakeFirstRun() {
  const bool was = m_firstRun;
  m_firstRun = false;
  return was;
}

void DebugCommands::ShowDebugToolbar() {
  FrameBars* bars = m_frame.Bars();
  if (!bars) return;
  if (bars->IsToolBarVisible(kBuildToolBarId)) bars->ToggleToolBar(kBuildToolBarId);
  if (!bars->IsToolBarVisible(kDebugToolBarId)) bars->ToggleToolBar(kDebugToolBarId);
}

void DebugCommands::AttachWatch() {
  if (m_barCommands) m_barCommands->SessionStarting();
}

void DebugCommands::ProjectBarDebugState(bool on) {
  if (!on && m_barCommands) m_barCommands->SessionEnded();
  // In a session the register page is in front; afterwards the files.
  if (CPrjWin* bar = m_frame.ProjectBar()) bar->ActivatePane(on ? CPrjWin::kRegsPageId : CPrjWin::kFilesPageId);
}

void DebugCommands::SetRegisterSet(const RegisterSet* set) {
  if (m_registers) m_registers->SetRegisterSet(set);
}

void DebugCommands::SendDebuggerAborted() { m_app.Ipc().SendDebuggerAborted(); }

void DebugCommands::SessionEnding() {
  if (AddInCommands* addIns = m_frame.AddIns(); addIns && addIns->Logic().Running())
    addIns->Logic().SendAllCommandStates(false);
}

void DebugCommands::DriverMenusChanged() { m_frame.UpdateCommandUi(); }

void DebugCommands::TargetStopped() {
  // A stop told after the target was sent on again (the start's stop at the
  // reset address before the run to main) is no stop any more.
  if (!m_session->SessionActive() || m_session->TargetExecuting()) return;
  if (!m_driverStop) {
    m_stopRefresh.stop();
    m_stopPending = true;
    RefreshAfterStop();
    return;
  }
  // The driver's stop: the client that asked for it has heard of it
  // already; the windows' refresh (each window asks the driver again)
  // waits until the target stays halted.
  const auto now = std::chrono::steady_clock::now();
  if (!m_stopPending) m_firstPendingStop = now;
  m_stopPending = true;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_firstPendingStop + kStopShownWithin - now);
  m_stopRefresh.start(int(std::clamp(left, std::chrono::milliseconds(0), kStopSettle).count()));
}

void DebugCommands::RefreshAfterStop() {
  if (!m_stopPending || !m_session->SessionActive() || m_session->TargetExecuting()) return;
  m_stopPending = false;
  if (RegisterPage* registers = ShownRegisters()) registers->UpdateAll();
  if (m_windows) m_windows->TargetStopped();
  if (m_barCommands) m_barCommands->TargetStopped();
  ShowProgramCounter();
  ShowPcStatus();
  m_frame.UpdateCommandUi();
}

void DebugCommands::ShowPcStatus() {
  char status[64];
  m_shownPc = m_session->Record()->pc;
  std::snprintf(status, sizeof status, "PC: 0x%08X", m_shownPc);
  m_frame.DriverStatusChanged(status);
}

void DebugCommands::ProgramCounterWritten() {
  if (!m_session->SessionActive()) return;
  DisassemblyView* v = m_windows ? m_windows->Disassembly() : nullptr;
  if (v) v->GotoAddress(uint32_t(m_session->Control(kDbgCtlProgramCounter, 0, 0)));
  if (m_barCommands) m_barCommands->PcMoved();
  ShowProgramCounter();
  ShowPcStatus();
}

std::string DebugCommands::PcSourceFile() {
  DebugInterface* r = m_session->Record();
  std::string file;
  if (r->DbgFindSource && r->DbgFindSource(r->pc) == 0 && r->srcFile && r->srcLine > 0)
    file = static_cast<const char*>(r->srcFile);
  return LocalDriverSource(file);
}

std::string DebugCommands::LocalDriverSource(const std::string& named) const {
  // The driver names the file as the program's debug information does
  // (relative to the project, in either separator, or in a build folder
  // that is gone): where it lies here, else the name as the project reads it.
  const std::string found = FindDriverSourceFile(m_app.Project(), named, [](const std::string& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
  });
  if (!found.empty() || named.empty()) return found;
  ProjectRec* p = m_app.Project();
  const std::string local = p ? LocalFilePath(*p, named) : std::string();
  return local.empty() ? named : local;
}

bool DebugCommands::StepByInstruction() {
  if (m_windows && m_windows->DisassemblyInFront()) return true;
  const std::string file = PcSourceFile();
  return file.empty() || !m_frame.FindTextDocument(file);
}

bool DebugCommands::DisassemblyOpen() { return m_windows && m_windows->Disassembly(); }

void DebugCommands::ShowProgramCounter() {
  // What a connected add-in hears of it (the file opened, the line) is one
  // sequence: a wait the user ends ends them all.
  std::optional<AddInLinkLogic::Sequence> addInSequence;
  if (AddInCommands* addIns = m_frame.AddIns(); addIns && addIns->Logic().Running()) addInSequence.emplace(addIns->Logic());
  DebugInterface* r = m_session->Record();
  r->shownAddress = 0xFFFFFFFFu;  // no other position is shown after a stop
  const std::string file = PcSourceFile();
  std::error_code ec;
  const bool exists = !file.empty() && std::filesystem::is_regular_file(file, ec);
  EditorDocument* doc = file.empty() ? nullptr : m_frame.FindTextDocument(file);
  const bool disassemblyInFront = m_windows && m_windows->DisassemblyInFront();
  // Opening a file for the debugger leaves the keys where the user types
  // (the command page) unless they were in an editor.
  QPointer<QWidget> focus = QApplication::focusWidget();
  const bool focusInEditors = focus && m_frame.MdiClient()->isAncestorOf(focus);
  auto openSource = [&] {
    if (!exists || !m_frame.Editors().OpenText(file)) return false;
    if (!focusInEditors && focus) focus->setFocus();
    doc = m_frame.FindTextDocument(file);
    return doc != nullptr;
  };
  if (disassemblyInFront) {
    // The disassembly window stays in front; a source it shows opens
    // behind it when some source file is open already.
    if (!doc && exists && m_frame.RunDocumentAction(kDocAnySourceOpen, {}) && openSource())
      m_windows->OpenDisassemblyWindow();
    m_frame.RunDocumentAction(kDocTargetReset, file);
  } else if (doc || openSource()) {
    m_frame.RunDocumentAction(kDocShowDebuggerPosition, file);
    // Another editor in front gives way to the file; a window of another
    // kind the user has in front (a serial window) stays there.
    EditorWindows& editors = m_frame.Editors();
    QMdiSubWindow* active = m_frame.MdiClient()->activeSubWindow();
    SECWorksheetWnd* sheet = editors.SheetOf(doc);
    if (sheet && active != sheet && (!active || editors.ActiveDocument())) {
      m_frame.MdiClient()->setActiveSubWindow(sheet);
      if (!focusInEditors && focus) focus->setFocus();
    }
    // A connected add-in hears where a C file stopped.
    if (AddInCommands* addIns = m_frame.AddIns(); addIns && doc->FileType() == kFileC)
      addIns->NotifyFile(doc->Path(), int(r->srcLine));
  } else if (m_windows) {
    m_windows->OpenDisassemblyWindow();
  }
}

bool DebugCommands::ShowCodeAtAddress(uint32_t address) {
  if (!m_session->SessionActive()) return false;
  DebugInterface* r = m_session->Record();
  std::string file;
  if (r->DbgFindSource && r->DbgFindSource(address) == 0 && r->srcFile && r->srcLine > 0)
    file = static_cast<const char*>(r->srcFile);
  file = LocalDriverSource(file);
  EditorDocument* doc = file.empty() ? nullptr : m_frame.FindTextDocument(file);
  std::error_code ec;
  if (!doc && !file.empty() && std::filesystem::is_regular_file(file, ec) && m_frame.Editors().OpenText(file))
    doc = m_frame.FindTextDocument(file);
  if (!doc) {
    // No source: the disassembly window shows the address.
    m_app.IdeServiceCall(26, reinterpret_cast<intptr_t>(&address));
    return m_windows && m_windows->Disassembly();
  }
  // Every editor shows the address with its arrow; the file's own view
  // brings its line into sight, and its window comes to the front.
  r->shownAddress = address;
  m_frame.RunDocumentAction(kDocShowShownAddress, file);
  if (SECWorksheetWnd* sheet = m_frame.Editors().SheetOf(doc)) m_frame.MdiClient()->setActiveSubWindow(sheet);
  if (DisassemblyView* v = m_windows ? m_windows->Disassembly() : nullptr) v->GotoAddress(address);
  return true;
}

void DebugCommands::PostTargetStopped() {
  // IDE service 2 on the GUI thread: the windows refresh and the event
  // interface hears that execution stopped. A stop that a run of the IDE
  // overtook while it waited (the start's stop at the reset address before
  // the run to main) is shown no more, nor one whose session ended
  // meanwhile: the windows it would refresh show records of the driver,
  // which the end has unloaded.
  const uint64_t runs = m_session->Runs();
  QMetaObject::invokeMethod(
      m_posts.get(),
      [this, runs] {
        if (m_session->Runs() != runs || !m_session->SessionActive()) return;
        m_driverStop = true;
        m_app.IdeServiceCall(2, 0);
        m_driverStop = false;
      },
      Qt::QueuedConnection);
}

void DebugCommands::PostDriverEnded() {
  QMetaObject::invokeMethod(
      m_posts.get(),
      [this] {
        if (!m_session->SessionActive()) return;
        m_session->StopDebugger();
        // The driver's message says why: the command page stays in front.
        m_frame.ShowOutputPage(kOutputCommandPage);
        m_frame.DriverStatusChanged("Debug session ended");
      },
      Qt::QueuedConnection);
}

void DebugCommands::PumpMessages() { QCoreApplication::processEvents(); }

}  // namespace pm2
