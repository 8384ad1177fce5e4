#include "debugger/session/debug_session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "driver_abi/debug_records.h"
#include "debugger/model/command_output.h"
#include "debugger/model/tool_box_buttons.h"
#include "debugger/session/session_breakpoints.h"
#include "debugger/session/typed_breakpoint_texts.h"
#include "platform/notification_hub.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/files/debug_lists.h"
#include "project/model/key_values.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/deferred_commands.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

namespace {

DebugSession* g_active = nullptr;

// A message for a peer's status line: one line, without the "*** " mark
// and the line end the command page's texts carry.
std::string TrimmedReason(std::string text) {
  if (text.compare(0, 4, "*** ") == 0) text.erase(0, 4);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

constexpr uint32_t kNotifyMessage = 0x414;  // the notification message
constexpr uint32_t kMainWindowId = 1;

// The window-flag bits a session closes, with the window each stands for.
struct WindowBit {
  uint32_t bit;
  DebugWindow window;
};
constexpr WindowBit kCloseOrder[] = {
    {kDbgWinSymbols, DebugWindow::Symbols},   {0, DebugWindow::InlineAsm},
    {0, DebugWindow::FuncEditor},             {kDbgWinCoverage, DebugWindow::Coverage},
    {kDbgWinToolBox, DebugWindow::ToolBox},   {kDbgWinDisassembly, DebugWindow::Disassembly},
    {kDbgWinAnalyser, DebugWindow::Analyser}, {kDbgWinSerial1, DebugWindow::Serial1},
    {kDbgWinSerial2, DebugWindow::Serial2},   {kDbgWinSerial3, DebugWindow::Serial3},
};
// Opened between BootDll codes 3 and 4, then after code 4.
constexpr WindowBit kOpenBeforeStart[] = {{kDbgWinDisassembly, DebugWindow::Disassembly},
                                          {kDbgWinSerial1, DebugWindow::Serial1},
                                          {kDbgWinSerial2, DebugWindow::Serial2},
                                          {kDbgWinSerial3, DebugWindow::Serial3}};
constexpr WindowBit kOpenAfterStart[] = {{kDbgWinAnalyser, DebugWindow::Analyser},
                                         {kDbgWinSymbols, DebugWindow::Symbols},
                                         {kDbgWinCoverage, DebugWindow::Coverage}};

// Window-flag bits kept in the target's flag word at their own places; bit
// 0x40000 (the third serial window's hex mode) is restored as well as saved.
constexpr uint32_t kSameBits = 0x380 | 0x3C00 | 0x4000 | 0x8000 | 0x10000 | 0x20000 | 0x40000 | 0x80000;
// Window bits 0x2..0x20 sit one place higher in the target's word. The
// periodic-update bit (0x1) is left out: the target keeps another flag in
// its bit 0x2.
constexpr uint32_t kShiftedBits = 0x3E;
// The settings' option bit that keeps the tool-box buttons past a session,
// and how many buttons the box holds.
constexpr uint32_t kDbgSettingsKeepToolBox = 0x80;
// The settings' option bits "Load Application at Startup" and "Go till
// main()" (the second is offered only with the first).
constexpr uint32_t kDbgSettingsLoadApp = 0x2, kDbgSettingsGoMain = 0x4;
constexpr std::size_t kToolBoxButtonsKept = 16;

// ---- the IDE's callbacks in the record

ShellApp* App() { return g_active ? &g_active->App() : nullptr; }

void CbPump() {
  if (g_active) g_active->Host().PumpMessages();
}
intptr_t CbService(int32_t code, intptr_t arg) { return App() ? App()->IdeServiceCall(code, arg) : 0; }
void CbPrint(const char* text) {
  if (g_active) g_active->Printed(text);
  if (App()) App()->PrintToCommandWindow(text);
}
void CbDriverOutput(const char* text) {
  if (App()) App()->DriverCommandOutput(text);
}

// The driver's pools: blocks freed all at once per pool.
std::mutex g_poolMutex;
std::map<int, std::vector<void*>> g_pools;
void CbPoolFree(int32_t pool) {
  std::lock_guard<std::mutex> lock(g_poolMutex);
  for (void* p : g_pools[pool]) std::free(p);
  g_pools.erase(pool);
}
void* CbPoolAlloc(uint32_t size, int32_t pool) {
  void* p = std::calloc(1, size ? size : 1);
  if (!p) return nullptr;
  std::lock_guard<std::mutex> lock(g_poolMutex);
  g_pools[pool].push_back(p);
  return p;
}
char* CbPoolStrDup(const char* text, int32_t pool) {
  const std::size_t n = text ? std::strlen(text) : 0;
  auto* p = static_cast<char*>(CbPoolAlloc(uint32_t(n + 1), pool));
  if (p && n) std::memcpy(p, text, n);
  return p;
}
int32_t CbSerial(int32_t window, const uint8_t* bytes, int32_t count) {
  return App() ? App()->WriteSerialWindow(window, bytes, count) : -1;
}
int32_t CbSerial16(int32_t window, const uint16_t* chars, int32_t count) {
  return App() ? App()->WriteSerialWindow16(window, chars, count) : -1;
}
void CbSyntaxTables(const void* a, const void* b, const void* c) {
  if (g_active) g_active->Host().SetSyntaxTables(a, b, c);
}
void CbPostNotify(int32_t code, intptr_t arg) {
  if (code == kDbgNotifyTargetStopped) {
    if (g_active) g_active->Host().PostTargetStopped();
    return;
  }
  if (code == kDbgNotifyDriverEnded) {
    if (g_active) {
      g_active->DriverEnded((arg & kDbgEndedListsBreakpoints) != 0);
      g_active->Host().PostDriverEnded();
    }
    return;
  }
  // A driver's command-page text lives in the driver, which the session's
  // end may unload before the post is handled: it goes into the IDE's own
  // pool of command texts, as the IDE's posted texts do.
  if (code == kDbgNotifyCommandText) {
    if (App()) App()->PrintToCommandWindow(reinterpret_cast<const char*>(arg));
    return;
  }
  if (App()) App()->Hub().Post(code, arg);
}

}  // namespace

DebugSession* DebugSession::Active() { return g_active; }

DebugSession::DebugSession(ShellApp& app, SessionHost& host) : m_app(app), m_host(host) {
  g_active = this;
  InitDebugInterface(app.m_familyWord, app.m_familyWord2);
  m_mirror.mainWindow = kMainWindowId;
  m_mirror.notifyMessage = kNotifyMessage;
}

DebugSession::~DebugSession() {
  EndLoadedDriver();
  if (g_active == this) g_active = nullptr;
}

void DebugSession::EndLoadedDriver() {
  AllowAnyThreadReads(false);
  if (m_pRecord != &m_mirror && m_pRecord->DbgExit) m_pRecord->DbgExit();
  // The record lived in the driver: nothing reads it once it is unloaded.
  m_pRecord = &m_mirror;
  UnloadDebugDll(&m_driver);
}

void DebugSession::InitDebugInterface(uint16_t family, uint16_t version) {
  std::memset(&m_mirror, 0, sizeof m_mirror);
  m_mirror.size = sizeof(DebugInterface);
  m_mirror.family = family;
  m_mirror.version = version;
  m_mirror.PumpPendingMessages = CbPump;
  m_mirror.IdeServiceCall = CbService;
  m_mirror.PrintToCommandWindow = CbPrint;
  m_mirror.DriverCommandOutput = CbDriverOutput;
  m_mirror.PoolFree = CbPoolFree;
  m_mirror.PoolAlloc = CbPoolAlloc;
  m_mirror.PoolStrDup = CbPoolStrDup;
  m_mirror.WriteSerialWindow = CbSerial;
  m_mirror.WriteSerialWindow16 = CbSerial16;
  m_mirror.SetCommandSyntaxTables = CbSyntaxTables;
  m_mirror.PostNotify = CbPostNotify;
  if (m_settings.flags & kDbgSettingsTargetDriver) m_mirror.flags |= kDbgFlagTargetDriver;
}

TargetRec* DebugSession::CurrentTarget() const {
  ProjectRec* p = m_app.Project();
  return p ? p->curTarget : nullptr;
}

// ------------------------------------------------------------------ start

bool DebugSession::StartStopEnabled() const {
  if (m_driverBusy || m_app.HasState(kStateBusy)) return false;
  // A session that runs can always be ended (unless the driver is busy).
  if (SessionActive()) return true;
  TargetRec* t = CurrentTarget();
  // A toolset outside 0-4 cannot be debugged.
  if (!t || (t->flags & kTargetDeleted) || t->toolset > 4 || !FindTargetOptions(t->pOpts, t)) return false;
  return true;
}

void DebugSession::OnDebugStartStop() {
  if (!SessionActive()) {
    m_app.PostDeferredCommand(kDeferStartDebugger);
    return;
  }
  if (TargetExecuting()) {
    m_endAsked = true;
    SayTargetRuns("the debug session ends", [this] { m_app.PostDeferredCommand(kDeferStopDebugger); });
    return;
  }
  StopDebugger();
}

void DebugSession::SayTargetRuns(const std::string& what, std::function<void()> then) {
  m_onceStopped = std::move(then);
  m_app.Dialogs().Beep();
  m_app.PrintToCommandWindow(("*** the target runs: " + what +
                              " once it has stopped (Esc or Debug > Stop Running stops it)\n")
                                 .c_str());
  m_app.m_szDriverStatus = "Target runs: stop it";
  m_app.Frame().DriverStatusChanged(m_app.m_szDriverStatus);
}

bool DebugSession::PrepareDriver(int toolset, int mode, std::string* err) {
  ProjectRec* p = m_app.Project();
  TargetRec* t = CurrentTarget();
  if (!p || !t) return false;
  const ToolsetInfo* family = theApp().m_pToolsetInfo[toolset];
  if (!BuildDebugSettings(*p, *t, toolset, family, mode, &m_settings, &m_words, err)) return false;
  m_settings.projectFolder = nullptr;
  return LoadDebugDll(m_settings, ToolsetDriverFolders(family, m_app.m_szProgramFolder), &m_driver, err);
}

void DebugSession::FillRecordForStart(int toolset) {
  InitDebugInterface(uint16_t(toolset), m_app.m_familyWord2);
  ExchangeTargetDebugState(true);
  m_mirror.mainWindow = kMainWindowId;
  m_mirror.flags |= kDbgFlagsAtStart;
  m_mirror.version = m_app.m_familyWord2;
  m_mirror.device32 = m_words.device32;
  m_mirror.device16 = m_words.device16;
  m_mirror.selector = m_words.selector;
  m_mirror.notifyMessage = kNotifyMessage;
}

void DebugSession::CopyDriverRecord() {
  // Without a driver record the IDE's own is the active one: nothing to copy.
  if (m_pRecord != &m_mirror) std::memcpy(&m_mirror, m_pRecord, sizeof m_mirror);
}

void DebugSession::StartDebugger() {
  if (SessionActive()) {
    m_host.SendDebuggerAborted();
    StopDebugger();
    return;
  }
  m_refusals = 0;
  m_driverEnded = false;
  m_endedWithBreakpoints = false;
  m_callStackStop = kNoStop;  // the new driver's stack is asked for first
  m_app.Frame().ForAllDocuments(kDocBeforeSaveOrTargetChange);
  std::memset(&m_settings, 0, sizeof m_settings);

  const int toolset = m_app.GetTargetToolset();
  std::string err;
  if (toolset < 0 || toolset > 4 || !PrepareDriver(toolset, kSettingsDebug, &err)) {
    // A peer that asked for the session hears why there is none.
    m_app.Ipc().SendDebugStatusText(err.empty() ? "The debug session can't start" : TrimmedReason(err).c_str());
    m_host.SendDebuggerAborted();
    m_app.Dialogs().Beep();
    if (!err.empty()) m_app.Dialogs().MessageBox(err, kMbOk | kMbIconExclamation);
    return;
  }
  m_settings.projectFolder = m_app.Project()->folder.c_str();

  m_app.SetState(kStateLayoutSwitch);
  m_host.SaveDockLayout(1);
  m_host.ApplyDockLayout(0);
  m_app.ClearState(kStateLayoutSwitch);
  if (m_host.TakeFirstRun()) m_host.ShowDebugToolbar();
  m_app.Frame().EnableTargetBox(false);
  m_app.Frame().ShowOutputPage(kOutputCommandPage);
  m_host.ProjectBarDebugState(true);
  m_host.SerialTerminals(true);

  FillRecordForStart(toolset);
  if (m_mirror.windowFlags & kDbgWinToolBox) m_host.OpenWindow(DebugWindow::ToolBox);
  m_driverBusy = true;
  m_mirror.optionBits &= ~0x4u;
  if (TargetRec* t = CurrentTarget(); t && (t->debugFlags & 0x80000000u)) m_mirror.optionBits |= 0x4;

  m_driver.boot(1, &m_mirror);
  m_driver.boot(2, &m_pRecord);
  m_driver.boot(3, &m_settings);
  CopyDriverRecord();
  m_host.DriverMenusChanged();

  bool failed = (m_settings.flags & kDbgSettingsStartFailed) != 0;
  if (!failed) {
    m_host.AttachWatch();
    for (const WindowBit& w : kOpenBeforeStart)
      if ((m_pRecord->windowFlags & w.bit) && !m_host.WindowOpen(w.window)) m_host.OpenWindow(w.window);
    m_driver.boot(4, &m_settings);
    CopyDriverRecord();
    failed = (m_settings.flags & kDbgSettingsStartFailed) != 0;
    if (!failed) AllowAnyThreadReads(true);
    // With a run to main to come, the start's own stop at the reset
    // address is not shown (it would open the disassembly window first).
    m_mainAddress.reset();
    uint32_t main = 0;
    if (!failed && RunsToMain() && FindPublic("main", &main)) {
      m_mainAddress = main;
      ++m_runs;
    }
  }
  m_driverBusy = false;
  if (!failed) {
    for (const WindowBit& w : kOpenAfterStart)
      if (m_pRecord->windowFlags & w.bit) m_host.OpenWindow(w.window);
    if (m_app.m_windows.IsOpen(WindowSlot::CommandPage) && m_app.HasState(kStateDebugOnStart) &&
        !(m_settings.flags & 0x2) && m_settings.initFile[0])
      m_app.PostDeferredCommand(kDeferIncludeInitFile);
    m_host.DriverMenusChanged();
    AfterStart();
    return;
  }
  m_app.Ipc().SendDebugStatusText(TrimmedReason(std::string("Error: ") + m_settings.errorText).c_str());
  m_host.SendDebuggerAborted();
  Stop(true);
  m_app.Dialogs().MessageBox(std::string("Error: ") + m_settings.errorText + "\nDebugger aborted !",
                             kMbOk | kMbIconExclamation);
}

void DebugSession::AfterStart() {
  m_appliedBreakpoints.clear();
  m_coveredBreakpoints.clear();
  if (m_settings.flags & kDbgSettingsKeepBreakpoints) {
    m_appliedBreakpoints = SetStoredBreakpoints(
        *m_pRecord, CurrentTarget(), [this](const std::string& name) { return SourcePath(name); },
        [this](const std::string& text) { m_app.PrintToCommandWindow(text.c_str()); }, &m_coveredBreakpoints);
    if (!m_appliedBreakpoints.empty()) m_app.IdeServiceCall(14, 0);  // the margins show them
  }
  m_app.IdeServiceCall(6, 0);
  GoTillMain();
}

bool DebugSession::RunsToMain() const {
  return (m_settings.flags & (kDbgSettingsLoadApp | kDbgSettingsGoMain)) == (kDbgSettingsLoadApp | kDbgSettingsGoMain);
}

void DebugSession::GoTillMain() {
  if (!RunsToMain()) return;
  if (!m_mainAddress) {
    m_app.PrintToCommandWindow("*** Go till main(): the program has no function 'main'; it stays where it starts\n");
    return;
  }
  Go(*m_mainAddress);
}

bool DebugSession::FindPublic(const std::string& name, uint32_t* address) const {
  if (!m_pRecord->DbgEnum) return false;
  DbgSymbolRecord* head = nullptr;
  m_pRecord->DbgEnum(kDbgEnumPublics, 0, reinterpret_cast<intptr_t>(&head));
  // Class words of code and data addresses (the symbols window's own).
  constexpr uint32_t kAddressClasses = 0x1 | 0x2 | 0x8 | 0x200;
  for (const DbgSymbolRecord* s = head; s; s = s->next)
    if (s->name && name == s->name && (s->classWord & kAddressClasses)) {
      *address = s->value;
      return true;
    }
  return false;
}

std::string DebugSession::SourcePath(const std::string& fileName) const {
  ProjectRec* p = m_app.Project();
  const FileRec* file = p ? FindSourceFileByName(fileName.c_str()) : nullptr;
  if (!file) return {};
  static const DriveMap kNoDrives;
  std::string folder = ToForwardSlashes(p->folder.str()), local, why;
  if (folder.empty()) folder = "./";
  return ToLocalPath(file->path.view(), folder, kNoDrives, &local, &why) ? local : std::string();
}

void DebugSession::KeepBreakpoints() {
  if (!(m_settings.flags & kDbgSettingsKeepBreakpoints) || (m_settings.flags & kDbgSettingsStartFailed)) return;
  // A driver that ended abnormally lists its breakpoints only when it
  // said so; otherwise the stored ones stay as they are.
  if (m_driverEnded && !m_endedWithBreakpoints) {
    m_appliedBreakpoints.clear();
    m_coveredBreakpoints.clear();
    return;
  }
  KeepSessionBreakpoints(CurrentTarget(), m_appliedBreakpoints, DriverSourceBreakpoints(*m_pRecord),
                         m_coveredBreakpoints);
  m_appliedBreakpoints.clear();
  m_coveredBreakpoints.clear();
}

// ------------------------------------------------------------------ stop

void DebugSession::Stop(bool afterFailedStart) {
  m_onceStopped = nullptr;
  m_endAsked = false;
  m_stepsLeft = 0;
  // A start that failed tears down without asking the driver.
  if (!afterFailedStart) {
    if (SessionActive()) m_host.SessionEnding();
    if (!m_pRecord->DbgControl) return;
    char reason[1024] = {};
    m_pRecord->DbgControl(kDbgCtlBeforeStop, 0, 0);
    if (m_pRecord->DbgControl(kDbgCtlMayStop, reinterpret_cast<intptr_t>(reason), 0) != 0) {
      if (++m_refusals > 2) {
        m_refusals = 2;
        m_app.Dialogs().Beep();
        m_app.Dialogs().MessageBox(reason, kMbOk | kMbIconExclamation);
      }
      return;
    }
    KeepBreakpoints();
  }
  AllowAnyThreadReads(false);
  m_appliedBreakpoints.clear();
  m_coveredBreakpoints.clear();
  CloseDebugWindows();
  m_app.SetState(kStateLayoutSwitch);
  m_host.SaveDockLayout(0);
  m_host.ApplyDockLayout(1);
  m_app.ClearState(kStateLayoutSwitch);
  m_app.Frame().EnableTargetBox(true);
  m_host.SetRegisterSet(nullptr);
  m_app.Frame().ShowOutputPage(kOutputBuildPage);
  m_host.ProjectBarDebugState(false);

  m_pRecord->flags &= ~uint32_t(kDbgFlagActive);
  CopyDriverRecord();
  DbgExitFn exitFn = m_mirror.DbgExit;
  // The driver may pump the GUI thread's messages while it ends its
  // threads: no new session starts under it.
  m_driverBusy = true;
  if (m_pRecord != &m_mirror) {
    if (exitFn) exitFn();
    std::memset(m_pRecord, 0, sizeof *m_pRecord);
  }
  InitDebugInterface(m_app.m_familyWord, m_app.m_familyWord2);
  m_mirror.mainWindow = kMainWindowId;
  UnloadDriver();
  m_pRecord = &m_mirror;
  m_mirror.notifyMessage = kNotifyMessage;
  m_driverBusy = false;

  m_app.Frame().ForAllDocuments(4);
  m_app.Frame().ForAllDocuments(kDocReloadStoredBreakpoints);
  m_app.m_szDriverStatus.clear();
  m_app.Frame().DriverStatusChanged("");
  // A code-generator project that changed during the session is asked
  // about now.
  if (m_app.TakeImportChangePending() && m_app.CheckImportedProjectChanged(m_app.Project()) == 1)
    m_app.Frame().RefreshProjectTree();
  m_host.DriverMenusChanged();
  if (m_app.HasState(kStateDebugOnStart)) m_app.Frame().CloseMainWindow();
}

// The command window's syntax tables live in the driver library: they go
// before it does, so that no later layout or key reads them.
void DebugSession::UnloadDriver() {
  m_host.SetSyntaxTables(nullptr, nullptr, nullptr);
  UnloadDebugDll(&m_driver);
}

void DebugSession::CloseDebugWindows() {
  uint32_t& flags = m_pRecord->windowFlags;
  for (const WindowBit& w : kCloseOrder) flags &= ~w.bit;
  m_app.IdeServiceCall(20, 0);
  for (const WindowBit& w : kCloseOrder) {
    if (!m_host.WindowOpen(w.window)) continue;
    flags |= w.bit;
    m_host.CloseWindow(w.window);
  }
  ExchangeTargetDebugState(false);
  m_host.SerialTerminals(false);
}

void DebugSession::ExchangeTargetDebugState(bool toSession) {
  TargetRec* t = CurrentTarget();
  if (t && toSession) {
    // The tool box's buttons: the shell keeps them while the box is closed.
    // A button read from the options file asks before its first run; one
    // the user defined or ran in this program (kept from the session
    // before) does not ask again.
    std::vector<ShellApp::ToolBoxButton> buttons;
    for (const ToolboxButtonRec* b = t->toolbox; b && buttons.size() < kToolBoxButtonsKept; b = b->next) {
      bool known = false;
      for (const ShellApp::ToolBoxButton& k : m_app.SavedToolBox())
        known |= !k.fromProject && k.text == b->text1.str() && k.command == b->text2.str();
      // One that would pass for the box's own button is not taken.
      if (!known && IsBuiltInButtonLabel(b->text1.str())) {
        m_app.PrintToCommandWindow(BuiltInLabelRefusal(b->text1.str()).c_str());
        continue;
      }
      buttons.push_back({b->text1.str(), b->text2.str(), !known});
    }
    m_app.SetSavedToolBox(std::move(buttons));
    m_mirror.traceOn = (m_mirror.traceOn & ~1u) | (t->debugFlags & 1u);
    m_mirror.windowFlags = (m_mirror.windowFlags & ~(kShiftedBits | kSameBits)) |
                           ((t->debugFlags >> 1) & kShiftedBits) | (t->debugFlags & kSameBits);
  } else if (t && !(m_settings.flags & kDbgSettingsStartFailed)) {
    const uint32_t wf = m_pRecord->windowFlags;
    t->debugFlags = (t->debugFlags & ~(1u | (kShiftedBits << 1) | kSameBits)) | (m_pRecord->traceOn & 1u) |
                    ((wf & kShiftedBits) << 1) | (wf & kSameBits);
    // A target driver's settings text, as the driver left it, is kept under
    // the driver's name for the next session.
    if ((m_settings.flags & kDbgSettingsTargetDriver) && m_settings.targetDriverBase[0] && t->pOpts) {
      OptionBlock* o = t->pOpts;
      if (GetKeyValue(o->dbg.OPTKEY, m_settings.targetDriverBase) != m_settings.targetDriverText)
        o->dbg.OPTKEY = SetKeyValue(o->dbg.OPTKEY, m_settings.targetDriverBase, m_settings.targetDriverText, kPoolProject);
    }
    // Without the tool-box option the buttons end with the session.
    if (!(m_settings.flags & kDbgSettingsKeepToolBox)) m_app.SetSavedToolBox({});
    t->toolbox = nullptr;  // the records stay in their pool until it is freed
    for (const ShellApp::ToolBoxButton& b : m_app.SavedToolBox())
      AppendToolboxButton(t, OptString::Pooled(b.text, kPoolDebugLists), OptString::Pooled(b.command, kPoolDebugLists));
  }
  m_mirror.mainWindow = kMainWindowId;
  m_mirror.notifyMessage = kNotifyMessage;
}

// ------------------------------------------------------------------ flash

void DebugSession::FlashViaDriver(int command) {
  std::memset(&m_settings, 0, sizeof m_settings);
  const int toolset = m_app.GetTargetToolset();
  std::string err;
  if (toolset < 0 || toolset > 4 || !PrepareDriver(toolset, kSettingsFlash, &err)) {
    m_app.Dialogs().Beep();
    if (!err.empty()) m_app.Dialogs().MessageBox(err, kMbOk | kMbIconExclamation);
    return;
  }
  m_settings.projectFolder = m_app.Project()->folder.c_str();
  m_app.Frame().EnableTargetBox(false);
  FillRecordForStart(toolset);
  m_mirror.word0A |= 0x20;
  m_flashSession = true;
  m_driver.boot(1, &m_mirror);
  m_driver.boot(2, &m_pRecord);
  m_driver.boot(5, &m_settings);
  const int result = m_driver.boot(command == 35405 ? 7 : 6, &m_settings);
  CopyDriverRecord();
  if (result != 0) {
    m_flashSession = false;
    m_app.Dialogs().Beep();
    m_app.Dialogs().MessageBox(std::string(command == 35405 ? "Error: Flash Erase failed  -  "
                                                            : "Error: Flash Download failed  -  ") +
                                   m_settings.errorText,
                               kMbOk | kMbIconExclamation);
  }
  m_pRecord->word0A &= ~0x20u;
  AllowAnyThreadReads(false);
  // EndFlashSession
  m_app.Frame().EnableTargetBox(true);
  m_app.Frame().ShowOutputPage(kOutputBuildPage);
  m_pRecord->flags &= ~uint32_t(kDbgFlagActive);
  CopyDriverRecord();
  if (m_pRecord != &m_mirror) {
    if (m_mirror.DbgExit) m_mirror.DbgExit();
    std::memset(m_pRecord, 0, sizeof *m_pRecord);
  }
  InitDebugInterface(uint16_t(toolset), m_app.m_familyWord2);
  UnloadDriver();
  m_pRecord = &m_mirror;
  m_mirror.mainWindow = kMainWindowId;
  m_mirror.notifyMessage = kNotifyMessage;
  m_host.SetRegisterSet(nullptr);
  m_flashSession = false;
}

// ------------------------------------------------------------------ run control

void DebugSession::Go(uint32_t stopAddress) {
  if (!SessionActive() || TargetExecuting() || !m_pRecord->DbgGo) return;
  m_app.IdeServiceCall(1, 0);  // execution starts
  ++m_runs;
  EndRefusedRun(m_pRecord->DbgGo(stopAddress));
}

void DebugSession::Step(int mode) {
  if (!SessionActive() || TargetExecuting() || !m_pRecord->DbgStep) return;
  ++m_runs;
  EndRefusedRun(m_pRecord->DbgStep(mode));
}

void DebugSession::EndRefusedRun(int32_t driverResult) {
  if (driverResult != 0 && SessionActive() && !TargetExecuting()) m_app.IdeServiceCall(2, 0);
}

void DebugSession::Step(int mode, int count) {
  m_stepsLeft = 0;
  for (int i = 0; i < std::max(count, 1) && SessionActive() && !TargetExecuting(); ++i) {
    Step(mode);
    if (TargetExecuting()) {
      m_stepsLeft = std::max(count, 1) - i - 1;
      m_stepsMode = mode;
      return;
    }
  }
}

void DebugSession::RefreshCallStack() {
  if (!SessionActive() || TargetExecuting()) return;
  Control(kDbgCtlBeforeCallStack, 0, 0);
  m_callStackStop = m_stops;
}

bool DebugSession::StepOutPossible() {
  if (!SessionActive() || TargetExecuting()) return false;
  if (m_callStackStop != m_stops) RefreshCallStack();
  const auto* entries = static_cast<const DbgCallStackEntry*>(m_pRecord->callStack);
  if (!entries || m_pRecord->callStackTop < 0) return false;
  const DbgCallStackEntry& innermost = entries[m_pRecord->callStackTop];
  return innermost.calling != 0 && innermost.leavable != 0;
}

void DebugSession::StopRunning() {
  m_stepsLeft = 0;
  if (SessionActive() && TargetExecuting() && m_pRecord->DbgStopExecution) m_pRecord->DbgStopExecution();
}

bool DebugSession::Service(int code, intptr_t arg, intptr_t* result) {
  *result = 0;
  switch (code) {
    case 2:  // the target stopped
      ++m_stops;
      m_host.TargetStopped();
      // A session's end or the program's close waited for this stop.
      if (m_onceStopped && SessionActive() && !TargetExecuting()) {
        m_stepsLeft = 0;
        std::exchange(m_onceStopped, nullptr)();
      }
      // The next of a counted step's steps.
      if (m_stepsLeft > 0 && SessionActive() && !TargetExecuting()) {
        --m_stepsLeft;
        Step(m_stepsMode);
      }
      return true;
    case 9:
      // Step out returns from the innermost call; without one it is refused
      // with the reason for the clients (and a beep when only the call is
      // missing).
      if (StepOutPossible()) {
        Step(kDbgStepOut);
        *result = 1;
        return true;
      }
      m_app.Ipc().SendDebugStatusText("Cannot StepOut");
      if (SessionActive() && !TargetExecuting()) m_app.Dialogs().Beep();
      return true;
    case 12:
      *result = StepOutPossible() ? 1 : 0;
      return true;
    case 13:
      *result = m_host.DisassemblyOpen() ? 1 : 0;
      return true;
    case 7: case 8: case 2053: {
      // The argument is the number of steps. Into and over go by source
      // line, or by instruction where no source line is in view.
      if (!SessionActive() || TargetExecuting()) return true;
      const bool instruction = code == 2053 || m_host.StepByInstruction();
      int mode = code == 7 ? kDbgStepInto : kDbgStepOver;
      if (instruction) mode = code == 8 ? kDbgStepOverInstruction : kDbgStepInstruction;
      Step(mode, int(arg));
      return true;
    }
    case 34:
      m_commandRefusal.clear();
      if (SessionActive() && arg && RefusedBreakpointText(reinterpret_cast<const char*>(arg), -1)) {
        *result = 1;
        return true;
      }
      m_capturingThread = std::this_thread::get_id();
      m_capturing = true;
      *result = SessionActive() ? Control(kDbgCtlExecNow, arg, 0) : 1;
      m_capturing = false;
      return true;
    case 44: {
      const auto* set = reinterpret_cast<const RegisterSet*>(arg);
      const bool empty = !set || (set->groupCount == 0 && set->registerCount == 0);
      m_host.SetRegisterSet(empty ? nullptr : set);
      return true;
    }
    case 2048: case 2049: case 2050: case 2052:
      *result = SessionActive() ? Control(kDbgCtlIpcEvaluate + (code - 2048), arg, 0) : 1;
      if (code == 2048) {
        // A request that came as the session ended: nothing was evaluated.
        if (*result != 0 && arg) reinterpret_cast<DriverExpressionRecord*>(arg)->error = 1;
        *result = 0;
      }
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------------ DebugPort

void DebugSession::Printed(const char* text) {
  // Only the command's own thread: the reader thread's texts are not its answer.
  if (!m_capturing || !text || std::this_thread::get_id() != m_capturingThread) return;
  std::string reason = DriverRefusal(text);
  if (!reason.empty()) m_commandRefusal = std::move(reason);
}

std::string DebugSession::RefusalOf(const std::function<void()>& call) {
  m_commandRefusal.clear();
  m_capturingThread = std::this_thread::get_id();
  m_capturing = true;
  call();
  m_capturing = false;
  return m_commandRefusal;
}

void DebugSession::Log(int kind, const char* data, int count) {
  if (m_pRecord->DbgLog) m_pRecord->DbgLog(kind, data, count);
}

bool DebugSession::RefusedBreakpointText(const char* text, int length) {
  const std::string line = length < 0 ? std::string(text) : std::string(text, std::size_t(length));
  const std::string why = TypedBreakpointTextRefusal(line);
  if (why.empty()) return false;
  // Said as the driver says its own refusals, so the Command page, a
  // peer's reply and a dialog read it alike.
  m_commandRefusal = why;
  m_app.PrintToCommandWindow(("*** error: " + why + "\n").c_str());
  return true;
}

int DebugSession::ExecCommand(const char* text, int length) {
  if (text && m_pRecord->DbgExecCommand && RefusedBreakpointText(text, length)) return 1;
  return m_pRecord->DbgExecCommand ? m_pRecord->DbgExecCommand(text, length) : 0;
}

void DebugSession::SerialInput(uint32_t value, uint16_t extra) {
  if (m_pRecord->DbgSerialInput) m_pRecord->DbgSerialInput(value, extra);
}

void DebugSession::AllowAnyThreadReads(bool allow) {
  int32_t allowed = 0;
  if (allow && m_pRecord->DbgControl) m_pRecord->DbgControl(kDbgCtlAnyThreadReads, 0, reinterpret_cast<intptr_t>(&allowed));
  std::lock_guard<std::mutex> lock(m_anyThreadMutex);
  m_anyThreadReads = allowed == 1;
}

bool DebugSession::EvaluateOnCallingThread(intptr_t record) {
  std::lock_guard<std::mutex> lock(m_anyThreadMutex);
  if (!m_anyThreadReads || !record || !m_pRecord->DbgControl) return false;
  const uint32_t flags = __atomic_load_n(&m_pRecord->flags, __ATOMIC_ACQUIRE);
  if (!(flags & kDbgFlagActive) || (flags & kDbgFlagExecuting)) return false;
  m_pRecord->DbgControl(kDbgCtlIpcEvaluate, record, 0);
  return true;
}

namespace {

// The driver's answer to kDbgCtlReadOnlyFault: "" when the text only reads.
std::string AskReadOnlyFault(DebugInterface* record, const std::string& text) {
  char why[256] = {};
  if (record->DbgControl(kDbgCtlReadOnlyFault, reinterpret_cast<intptr_t>(text.c_str()),
                         reinterpret_cast<intptr_t>(why)) == 0)
    return std::string();
  why[sizeof why - 1] = '\0';
  // A refusal without its reason still names what was refused.
  return why[0] ? std::string(why) : "the driver refuses the expression '" + text + "'";
}

}  // namespace

std::string DebugSession::ExpressionFault(const std::string& text) {
  if (!SessionActive() || !m_pRecord->DbgControl) return std::string();
  return AskReadOnlyFault(m_pRecord, text);
}

bool DebugSession::ExpressionFaultOnCallingThread(const std::string& text, std::string* why) {
  // Asked where the driver's reads may be: the question reads nothing of
  // the target, and the session cannot end meanwhile (the lock).
  std::lock_guard<std::mutex> lock(m_anyThreadMutex);
  if (!m_anyThreadReads || !m_pRecord->DbgControl) return false;
  const uint32_t flags = __atomic_load_n(&m_pRecord->flags, __ATOMIC_ACQUIRE);
  if (!(flags & kDbgFlagActive) || (flags & kDbgFlagExecuting)) return false;
  *why = AskReadOnlyFault(m_pRecord, text);
  return true;
}

intptr_t DebugSession::Control(int code, intptr_t a, intptr_t b) {
  return m_pRecord->DbgControl ? m_pRecord->DbgControl(code, a, b) : 0;
}

}  // namespace pm2
