#include "debugger/ui/debug_bar_commands.h"

#include "debugger/windows/disassembly_window.h"

#include <QTimer>
#include <cstdio>
#include <cstring>

#include "debugger/dialogs/symbols_dialog.h"
#include "debugger/model/margin_breakpoints.h"
#include "debugger/session/debug_session.h"
#include "debugger/windows/call_stack_window.h"
#include "debugger/windows/debug_bar_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "editor/document/margin_marks.h"
#include "editor/ide/editor_view.h"
#include "project/files/debug_lists.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"
#include "shell/frame/editor_windows.h"
#include "shell/frame/main_frame.h"
#include "toolkit/frames/control_bar.h"

namespace pm2 {

namespace {

constexpr uint32_t kHintLoadLineInfo = 0x12341002, kHintPcMoved = 0x12341003, kHintStoredAgain = 0x12342100;
constexpr int kAssignRefreshMs = 100;  // deferred command 2048
// The refresh after a write of the IDE's own: the data windows read the
// target again; the disassembly stays where it is.
constexpr intptr_t kRefreshAfterWrite = 0x2;
constexpr uint32_t kResetWhileRunning = 0x20000;
// What the driver offers, in its record's flags.
constexpr uint32_t kOffersTrace = 0x2000, kOffersPeriodicUpdate = 0x800 | 0x1000;
// The symbols dialog's kept mode word: the mode, and this bit when names
// match ignoring case.
constexpr uint16_t kSymbolsIgnoreCase = 0x8000;

}  // namespace

DebugBarCommands::DebugBarCommands(CMainFrame& frame, ShellApp& app, DebugSession& session)
    : m_frame(frame), m_app(app), m_session(session) {
  DebugBarWindow::Services services;
  services.beep = [this] { Beep(); };
  // A value written in a watch window: every window that shows the
  // target reads it again (the memory window too), once the edit is over.
  services.assignmentDone = [this] {
    QTimer::singleShot(kAssignRefreshMs, m_bar, [this] {
      if (!m_session.SessionActive()) return RefreshWatch();
      m_app.IdeServiceCall(22, kRefreshAfterWrite);  // the current watch page among them
      HintAllViews(0x12341000);
    });
  };
  services.showSource = [this](uint32_t address) { return m_app.IdeServiceCall(21, intptr_t(address)) != 0; };
  services.askCallStack = [this] { m_session.RefreshCallStack(); };
  services.say = [this](const std::string& text) { m_app.Dialogs().MessageBox(text, kMbOk | kMbIconExclamation); };
  m_bar = new DebugBarWindow(&m_session.RecordSlot(), services);
  for (int i = 1; i < 3; ++i)
    m_bar->Watch(i)->SetCommandSink([this](int id) { m_frame.ExecuteCommand(CommandId(id)); });
  m_bar->Watch(0)->SetCommandSink([this](int id) { m_frame.ExecuteCommand(CommandId(id)); });
  if (SECControlBar* bar = m_frame.WatchBar()) {
    // The bar's empty stand-in makes room for the debug bar.
    QWidget* standIn = bar->Child();
    bar->SetChild(m_bar);
    if (standIn && standIn != m_bar) standIn->deleteLater();
  }
  m_frame.Editors().ViewContext().debug = this;
  m_app.m_windows.Set(WindowSlot::WatchView, m_bar);
  RegisterCommands();
}

DebugBarCommands::~DebugBarCommands() {
  m_app.m_windows.Forget(WindowSlot::WatchView, m_bar);
  if (m_frame.Editors().ViewContext().debug == this) m_frame.Editors().ViewContext().debug = nullptr;
}

void DebugBarCommands::RefreshWatch() {
  if (WatchWindow* w = m_bar->CurrentWatch()) w->Refresh();
  HintAllViews(0x12341000);
}

void DebugBarCommands::Beep() { m_app.Dialogs().Beep(); }

bool DebugBarCommands::DebugIdle() const { return m_session.SessionActive() && !m_session.TargetExecuting(); }

EditorView* DebugBarCommands::ActiveEditor() const { return m_frame.Editors().Active(); }

void DebugBarCommands::HintAllViews(uint32_t hint) {
  for (EditorDocument* doc : m_frame.Editors().Documents().Documents()) doc->UpdateAllViews(hint, nullptr);
}

void DebugBarCommands::SetDisassemblyToggle(std::function<void()> toggle, std::function<bool()> isOpen) {
  m_toggleDisassembly = std::move(toggle);
  m_disassemblyOpen = std::move(isOpen);
}

// ------------------------------------------------------------------ commands

void DebugBarCommands::Rule(unsigned id, std::function<void(CommandState&)> rule) {
  m_frame.OnUpdate(id, [rule = std::move(rule)](CommandState& s) { rule(s); });
}

void DebugBarCommands::RegisterCommands() {
  // Run to the cursor: the active editor's caret line when it has code.
  auto cursorAddress = [this](uint32_t* address) { return CursorAddress(address); };
  m_frame.OnCommand(kCmdRunToCursor, [this, cursorAddress](CommandId) {
    uint32_t address = 0;
    DebugInterface* r = m_session.Record();
    if (!DebugIdle() || !cursorAddress(&address) || !r->DbgGo) return Beep();
    r->DbgGo(address);
  });
  Rule(kCmdRunToCursor, [this, cursorAddress](CommandState& s) {
    uint32_t address = 0;
    s.Enable(DebugIdle() && cursorAddress(&address));
  });
  m_frame.OnCommand(kCmdResetCpu, [this](CommandId) {
    DebugInterface* r = m_session.Record();
    if (r->DbgResetCpu) r->DbgResetCpu(0);
  });
  Rule(kCmdResetCpu, [this](CommandState& s) {
    const DebugInterface* r = m_session.Record();
    s.Enable(m_session.SessionActive() &&
             (!m_session.TargetExecuting() || (r->flags & kResetWhileRunning)) && r->DbgResetCpu);
  });
  // Breakpoints at the cursor line of the active disassembly window, else
  // at the caret line of the active editor.
  m_frame.OnCommand(kCmdToggleBreak, [this](CommandId) {
    if (DisassemblyView* d = ActiveDisassembly()) {
      if (!d->CursorLineBreakpoint(2)) Beep();
      return HintAllViews(0x12341000);
    }
    EditorView* v = ActiveEditor();
    if (!v || !v->Margin().ToggleBreakpoint()) Beep();
  });
  Rule(kCmdToggleBreak, [this](CommandState& s) {
    if (ActiveDisassembly()) return s.Enable(m_session.SessionActive());
    EditorView* v = ActiveEditor();
    s.Enable(v && !m_session.TargetExecuting() && v->Margin().CanInsertBreakpoint());
  });
  m_frame.OnCommand(kCmdEnableBreak, [this](CommandId) {
    if (DisassemblyView* d = ActiveDisassembly()) {
      if (!d->CursorLineBreakpoint(1)) Beep();
      return HintAllViews(0x12341000);
    }
    EditorView* v = ActiveEditor();
    if (!v || !v->Margin().ToggleBreakpointEnable()) Beep();
  });
  Rule(kCmdEnableBreak, [this](CommandState& s) {
    if (DisassemblyView* d = ActiveDisassembly()) return s.Enable(d->CursorLineKind() != 0 || d->CursorHasBreakpoint());
    EditorView* v = ActiveEditor();
    s.Enable(v && !m_session.TargetExecuting() && v->Margin().CanEnableBreakpoint());
  });
  for (unsigned id : {kCmdDisableAll, kCmdKillAll})
    m_frame.OnCommand(id, [this, id](CommandId) {
      const bool kill = id == kCmdKillAll;
      if (m_session.SessionActive()) {
        intptr_t result = 0;
        Service(kill ? 11 : 10, 0, &result);
        return;
      }
      ProjectRec* p = m_app.Project();
      TargetRec* t = p ? p->curTarget : nullptr;
      if (kill ? KillAllStored(t) : DisableAllStored(t)) HintAllViews(kHintStoredAgain);
    });
  // The windows.
  m_frame.OnCommand(kCmdWatchBar, [this](CommandId) { ToggleWatchBar(); });
  Rule(kCmdWatchBar, [this](CommandState& s) {
    s.Enable(m_session.SessionActive());
    s.SetCheck(m_frame.WatchBar() && m_frame.WatchBar()->IsBarVisible() ? 1 : 0);
  });
  // The memory window's command is the memory window's own (debug_windows.cpp).
  Rule(kCmdMemoryBar, [this](CommandState& s) {
    s.Enable(m_session.SessionActive());
    s.SetCheck(m_frame.MemoryBar() && m_frame.MemoryBar()->IsBarVisible() ? 1 : 0);
  });
  m_frame.OnCommand(kCmdDisassembly, [this](CommandId) {
    if (m_toggleDisassembly)
      m_toggleDisassembly();
    else
      Beep();
  });
  Rule(kCmdDisassembly, [this](CommandState& s) {
    s.Enable(m_session.SessionActive() && m_toggleDisassembly != nullptr);
    s.SetCheck(m_disassemblyOpen && m_disassemblyOpen() ? 1 : 0);
  });
  // The next statement: the program counter shown as at a stop.
  m_frame.OnCommand(kCmdShowNext, [this](CommandId) { m_app.IdeServiceCall(30, 0); });
  // Trace recording and the periodic window update: bits of the record.
  m_frame.OnCommand(kCmdTrace, [this](CommandId) { m_session.Record()->traceOn ^= 1; });
  Rule(kCmdTrace, [this](CommandState& s) {
    const DebugInterface* r = m_session.Record();
    s.Enable(m_session.SessionActive() && (r->flags & kOffersTrace));
    s.SetCheck(r->traceOn & 1);
  });
  m_frame.OnCommand(kCmdPeriodicUpdate, [this](CommandId) { m_session.Record()->windowFlags ^= kDbgWinPeriodic; });
  Rule(kCmdPeriodicUpdate, [this](CommandState& s) {
    DebugInterface* r = m_session.Record();
    const bool offered = (r->flags & kOffersPeriodicUpdate) == kOffersPeriodicUpdate;
    // Not offered in a session: the bit goes.
    if (m_session.SessionActive() && !offered) r->windowFlags &= ~uint32_t(kDbgWinPeriodic);
    s.Enable(m_session.SessionActive() && offered);
    s.SetCheck(r->windowFlags & kDbgWinPeriodic ? 1 : 0);
  });
  // The radix of the current watch page.
  for (unsigned id : {kCmdRadixHex, kCmdRadixDecimal}) {
    const int radix = id == kCmdRadixHex ? 16 : 10;
    m_frame.OnCommand(id, [this, radix](CommandId) {
      if (WatchWindow* w = m_bar->CurrentWatch()) w->SetRadix(radix);
    });
    Rule(id, [this, radix](CommandState& s) {
      WatchWindow* w = m_bar->CurrentWatch();
      s.Enable(w != nullptr);
      s.SetCheck(w && w->Model().WindowRadix() == radix ? 1 : 0);
    });
  }
}

void DebugBarCommands::ToggleWatchBar() {
  SECControlBar* bar = m_frame.WatchBar();
  if (!bar) return;
  if (bar->IsBarVisible()) {
    m_frame.ShowControlBar(bar, false, false);
    return;
  }
  if (bar->IsFloating()) m_frame.DockControlBarEx(bar, AFX_IDW_DOCKBAR_BOTTOM, 0, 1, 0.5f, bar->height());
  m_frame.ShowControlBar(bar, true, false);
  if (m_barBehind && m_session.SessionActive() && !m_session.TargetExecuting())
    RefreshBarPages();
  else if (WatchWindow* w = m_bar->CurrentWatch())
    w->Refresh();
}

// ------------------------------------------------------------------ session

void DebugBarCommands::SessionStarting() {
  m_marksLoaded = false;
  RestoreWatchLists();
  RestoreSymbolsState();
  // The drivers leave the memory pages to the IDE.
  m_app.IdeServiceCall(29, 0);
  m_bar->SessionStarted();
}

void DebugBarCommands::SessionEnded() {
  m_bar->SessionEnded();
  m_marksLoaded = false;
  HintAllViews(kHintStoredAgain);
}

void DebugBarCommands::PcMoved() {
  if (!m_session.SessionActive()) return;
  HintAllViews(kHintPcMoved);
  // A written program counter is a new position as a stop's is: the call
  // stack and the locals are those of the new one.
  FollowPosition();
}

void DebugBarCommands::TargetStopped() {
  if (!m_session.SessionActive()) return;
  if (!m_marksLoaded) {
    m_marksLoaded = true;
    HintAllViews(kHintLoadLineInfo);
  }
  HintAllViews(kHintPcMoved);
  FollowPosition();
}

void DebugBarCommands::FollowPosition() {
  // Step out's rule reads the driver's call stack: it follows every new
  // position even while the call-stack page has never been shown (which asks
  // for it itself).
  if (!m_bar->RegisteredCallStack()) m_session.RefreshCallStack();
  // A hidden bar asks the driver nothing: it catches up when it is shown.
  SECControlBar* bar = m_frame.WatchBar();
  m_barBehind = bar && !bar->IsBarVisible();
  if (!m_barBehind) RefreshBarPages();
}

void DebugBarCommands::RefreshBarPages() {
  m_barBehind = false;
  // The watch pages re-evaluate the expressions that failed before the
  // target was there.
  for (int i = 1; i < 3; ++i)
    if (m_bar->Watch(i) != m_bar->CurrentWatch()) m_bar->Watch(i)->Model().Refresh();
  m_bar->TargetStopped();
}

TargetRec* DebugBarCommands::CurrentTarget() const {
  ProjectRec* p = m_app.Project();
  return p ? p->curTarget : nullptr;
}

void DebugBarCommands::SaveWindowState() {
  if (m_session.Settings().flags & kDbgSettingsStartFailed) return;
  SaveWatchLists();
  SaveMemoryPages();
  SaveSymbolsState();
}

void DebugBarCommands::SaveWatchLists() {
  TargetRec* t = CurrentTarget();
  if (!t) return;
  for (int list = 0; list < 2; ++list) {
    t->watches[list] = nullptr;  // the records stay in their pool until it is freed
    for (const std::string& e : m_bar->Watch(list + 1)->Model().Expressions())
      AppendWatch(t, list, OptString::Pooled(e, kPoolDebugLists));
  }
}

void DebugBarCommands::RestoreWatchLists() {
  TargetRec* t = CurrentTarget();
  for (int list = 0; list < 2; ++list) {
    WatchWindow* w = m_bar->Watch(list + 1);
    w->Rebuild();
    for (const WatchRec* r = t ? t->watches[list] : nullptr; r; r = r->next)
      if (!r->expression.empty()) w->AddExpression(r->expression.c_str());
  }
}

void DebugBarCommands::SaveMemoryPages() {
  TargetRec* t = CurrentTarget();
  MemoryWindow* memory = m_kept.memory ? m_kept.memory() : nullptr;
  // A memory window never opened has nothing newer than what the target keeps.
  if (!t || !memory) return;
  for (int n = 0; n < 4; ++n) {
    t->memWindows[n] = nullptr;  // the records stay in their pool until it is freed
    const MemoryPage* page = memory->Page(n);
    const std::string text = page->SavedText();
    if (text.empty()) continue;
    AppendMemWindowEntry(t, n, OptString::Pooled(text, kPoolDebugLists))->value = page->SavedFormat();
  }
}

void DebugBarCommands::RestoreMemoryPages() {
  MemoryWindow* memory = m_kept.memory ? m_kept.memory() : nullptr;
  if (!memory) return;
  TargetRec* t = CurrentTarget();
  for (int n = 0; n < 4; ++n) {
    const MemWindowRec* kept = t ? t->memWindows[n] : nullptr;
    memory->Page(n)->RestoreAddress(kept ? kept->expression.str() : std::string(), kept ? kept->value : 0);
  }
  memory->RefreshActive();
}

void DebugBarCommands::SaveSymbolsState() {
  TargetRec* t = CurrentTarget();
  const SymbolsDialogState* state = m_kept.symbols ? m_kept.symbols() : nullptr;
  if (!t || !state) return;
  const SymbolsDialogState plain;
  const bool isDefault = state->mask == plain.mask && state->module == plain.module && state->mode == plain.mode &&
                         state->ignoreCase == plain.ignoreCase;
  // A target that never had a choice made keeps its options file as it was.
  if (isDefault && !t->symbolsWindow) return;
  auto* rec = PoolNew<SymbolsWindowRec>(kPoolDebugLists);
  rec->text = OptString::Pooled(state->mask, kPoolDebugLists);
  rec->value = uint32_t(state->module);
  rec->value16 = uint16_t((state->mode & 0x7FFF) | (state->ignoreCase ? kSymbolsIgnoreCase : 0));
  t->symbolsWindow = rec;
}

void DebugBarCommands::RestoreSymbolsState() {
  SymbolsDialogState* state = m_kept.symbols ? m_kept.symbols() : nullptr;
  if (!state) return;
  TargetRec* t = CurrentTarget();
  const SymbolsWindowRec* kept = t ? t->symbolsWindow : nullptr;
  *state = SymbolsDialogState{};
  if (!kept) return;
  if (!kept->text.empty()) state->mask = kept->text.str();
  state->module = int32_t(kept->value);
  state->mode = kept->value16 & 0x7FFF;
  state->ignoreCase = (kept->value16 & kSymbolsIgnoreCase) != 0;
}

bool DebugBarCommands::Service(int code, intptr_t arg, intptr_t* result) {
  *result = 0;
  DebugInterface* r = m_session.Record();
  WatchWindow* current = m_bar->CurrentWatch();
  switch (code) {
    case 1: case 3: case 4:
      for (int i = 0; i < 3; ++i) m_bar->Watch(i)->ClearValues();
      return true;
    case 5:
      if (current) current->Refresh();
      m_bar->CallStack()->Clear();
      return true;
    case 20:
      // The driver keeps its own state for the next session first.
      if (!(m_session.Settings().flags & kDbgSettingsStartFailed) && r->DbgControl) r->DbgControl(6, 0, 0);
      SaveWindowState();
      m_bar->CallStack()->Clear();
      return true;
    case 29:
      RestoreMemoryPages();
      return true;
    case 10: case 11:
      if (r->DbgBreakpointList) r->DbgBreakpointList(code == 10 ? kDbgBpListDisableAll : kDbgBpListKillAll, 0, 0, nullptr);
      m_app.IdeServiceCall(14, 0);  // every view redraws its marks
      return true;
    case 14:
      // A breakpoint changed: the editors redraw their margins.
      HintAllViews(0x12341000);
      return true;
    case 24:
      // Into the watch page in front, else Watch #1.
      *result = arg && (current && current != m_bar->Watch(0) ? current : m_bar->Watch(1))
                           ->AddExpression(reinterpret_cast<const char*>(arg));
      return true;
    case 45:
      if (current) current->Refresh();
      return true;
    case 22: case 31: case 310:
      // The refresh by flags: 0x8000 leaves the watch page, 0x1 also
      // brings the call stack up to date, and so does the refresh after a
      // write (service 22 with no flag or 0x2), whatever wrote: a
      // register's or the stack's new value changes the callers.
      if (current && !(arg & 0x8000)) current->Refresh();
      if ((arg & 0x1) || (code == 22 && (arg == 0 || arg == kRefreshAfterWrite))) m_bar->CallStack()->Refresh();
      return true;
    case 49:
      for (int i = 0; i < 3; ++i) m_bar->Watch(i)->Rebuild();
      return true;
    default:
      return false;
  }
}

// ------------------------------------------------------------------ EditorDebugLink

DebugInterface* DebugBarCommands::SessionRecord() { return m_session.SessionActive() ? m_session.Record() : nullptr; }

uint32_t DebugBarCommands::ShownPosition() { return m_session.Record()->shownAddress; }

bool DebugBarCommands::InProject(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (FindSourceFileByName(name.c_str())) return true;
  DebugInterface* r = SessionRecord();
  if (!r || !r->DbgLineTable) return false;
  const auto* table = static_cast<const DbgLineTableRecord*>(r->DbgLineTable(path.c_str()));
  return table && table->count > 0;
}

bool DebugBarCommands::DebugInfoOn() {
  ProjectRec* p = m_app.Project();
  TargetRec* t = p ? p->curTarget : nullptr;
  return t && t->pOpts && t->pOpts->out.flags.DEBUG;
}

void DebugBarCommands::ApplyStored(CEditLine* first, const std::string& fileName) {
  ProjectRec* p = m_app.Project();
  ApplyStoredBreakpoints(first, p ? p->curTarget : nullptr, fileName);
}

void DebugBarCommands::ToggleStored(CEditLine* line, const std::string& fileName) {
  ProjectRec* p = m_app.Project();
  if (const std::string why = ToggleStoredBreakpoint(line, p ? p->curTarget : nullptr, fileName); !why.empty())
    ShowError(m_app.Dialogs(), why);
}

bool DebugBarCommands::ToggleStoredEnable(CEditLine* line, const std::string& fileName) {
  ProjectRec* p = m_app.Project();
  return pm2::ToggleStoredEnable(line, p ? p->curTarget : nullptr, fileName);
}

void DebugBarCommands::SettleStored(const CEditLine* first, const std::string& fileName) {
  ProjectRec* p = m_app.Project();
  SettleStoredBreakpoints(first, p ? p->curTarget : nullptr, fileName);
}

void DebugBarCommands::ClearShownPosition() { m_session.Record()->shownAddress = 0; }

void DebugBarCommands::BreakpointsChanged() {
  // Other views of the same files redraw their margins, and in a session
  // the disassembly window its lines (service 14).
  if (m_session.SessionActive())
    m_app.IdeServiceCall(14, 0);
  else
    HintAllViews(kHintStoredAgain);
}

void DebugBarCommands::ShowDisassemblyAt(uint32_t address) {
  if (!m_session.SessionActive()) return Beep();
  m_app.IdeServiceCall(26, reinterpret_cast<intptr_t>(&address));
}

void DebugBarCommands::SetProgramCounter(uint32_t address) {
  if (!DebugIdle() || !m_session.HasControl()) return Beep();
  char text[32];
  std::snprintf(text, sizeof text, "$=0x%X\n", unsigned(address));
  m_session.Control(kDbgCtlExecNow, reinterpret_cast<intptr_t>(text), 0);
  // The windows show the new program counter as after a stop.
  m_app.IdeServiceCall(2, 0);
}

void DebugBarCommands::RunToAddress(uint32_t address) {
  if (!DebugIdle()) return Beep();
  m_session.Go(address);
}

void DebugBarCommands::ClearCoverage() {
  DebugInterface* r = m_session.Record();
  if (!m_session.SessionActive() || !r->DbgEnum) return Beep();
  m_frame.SetWaitCursor(true);
  r->DbgEnum(7, 0, 0);
  m_frame.SetWaitCursor(false);
  m_app.IdeServiceCall(14, 0);  // the marks of executed code go
}

bool DebugBarCommands::AddToWatch(int page, const std::string& expression) {
  if (!m_session.SessionActive() || (page != 1 && page != 2) || expression.empty()) return false;
  return m_bar->Watch(page)->AddExpression(expression);
}

bool DebugBarCommands::CursorAddress(uint32_t* address) const {
  if (DisassemblyView* d = ActiveDisassembly()) return d->CursorAddress(address);
  EditorView* v = ActiveEditor();
  return v && v->Margin().CaretLineAddress(address);
}

DisassemblyView* DebugBarCommands::ActiveDisassembly() const {
  return m_activeDisassembly && m_session.SessionActive() ? m_activeDisassembly() : nullptr;
}

}  // namespace pm2
