// The IDE notification message's handler and the deferred commands' effects.
#include <cstring>
#include <utility>

#include "platform/notification_hub.h"
#include "project/model/project_records.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

struct ShellApp::NotifyRow {
  int code;
  void (*handle)(ShellApp& app, intptr_t arg);
};

namespace {

const char* Text(intptr_t arg) { return reinterpret_cast<const char*>(arg); }

void SerialRecord(ShellApp& app, intptr_t arg, bool wide) {
  const auto* r = reinterpret_cast<const SerialOutputRecord*>(arg);
  if (!r) return;
  if (wide)
    app.WriteSerialWindow16(r->window, static_cast<const uint16_t*>(r->chars), r->count);
  else
    app.WriteSerialWindow(r->window, static_cast<const uint8_t*>(r->chars), r->count);
}

// Codes 15 and 48 pack a window number (signed, bits 24 to 31) and a byte.
void SerialByte(ShellApp& app, intptr_t arg) {
  int window = static_cast<int8_t>((static_cast<uint32_t>(arg) >> 24) & 0xFF);
  uint8_t byte = static_cast<uint8_t>(arg & 0xFF);
  app.WriteSerialWindow(window, &byte, 1);
}

}  // namespace

const ShellApp::NotifyRow ShellApp::kNotifyRows[] = {
    {kNotifyFindInFilesText, [](ShellApp& a, intptr_t arg) { a.OutputText2(Text(arg)); }},
    {kNotifySerialOutput1, [](ShellApp& a, intptr_t arg) { SerialRecord(a, arg, false); }},
    {kNotifySerialOutput2, [](ShellApp& a, intptr_t arg) { SerialRecord(a, arg, true); }},
    {kNotifyStopDebugSession,
     [](ShellApp& a, intptr_t) {
       if (!a.Debug().LoadedForFlash()) a.Frame().StopDebugger();
     }},
    {kNotifyBuildOutputLine,
     [](ShellApp& a, intptr_t arg) {
       a.Frame().ShowOutputPage(kOutputBuildPage);
       a.OutputText(Text(arg));
     }},
    {kNotifyBuildFinished, [](ShellApp& a, intptr_t arg) { a.BuildEnded(arg); }},
    {kNotifyUserToolFinished,
     [](ShellApp& a, intptr_t) {
       a.ClearState(kStateBusy);
       a.ReloadProjectAfterTool();
       a.Frame().ReloadChangedDocuments();
       a.Frame().IdleUpdate();
     }},
    {kNotifyLintFinished,
     [](ShellApp& a, intptr_t) {
       a.ClearState(kStateBusy);
       a.SetProjectDirectory();
     }},
    {kNotifyIdeServiceCall,
     [](ShellApp& a, intptr_t arg) {
       if (ServiceRecord* r = ServiceRecord::From(arg)) r->result = a.IdeServiceDispatch(r->code, r->arg);
     }},
    {kNotifyDriverCall,
     [](ShellApp& a, intptr_t arg) {
       const auto* r = reinterpret_cast<const DriverInputRecord*>(arg);
       if (r) a.Debug().SerialInput(r->value, r->extra);
     }},
    {kNotifyCommandText, [](ShellApp& a, intptr_t arg) { a.PrintToCommandWindow(Text(arg)); }},
    {kNotifyStatusText,
     [](ShellApp& a, intptr_t arg) {
       const char* t = Text(arg);
       a.m_szDriverStatus = t ? std::string(t, strnlen(t, 30)) : std::string();
       a.Frame().DriverStatusChanged(a.m_szDriverStatus);
     }},
    {kNotifyProjectFileChanged, [](ShellApp& a, intptr_t) { a.ProjectFileChanged(); }},
    {kNotifySerialOutput3, [](ShellApp& a, intptr_t arg) { SerialByte(a, arg); }},
    {kNotifyCommandText2, [](ShellApp& a, intptr_t arg) { a.CommandWindowText(Text(arg)); }},
    {kNotifyDebugAfterBuild,
     [](ShellApp& a, intptr_t) {
       if (!a.Debug().SessionActive()) a.Frame().OnDebugStartStop();
     }},
    {kNotifyBeepStopBuild,
     [](ShellApp& a, intptr_t) {
       a.Dialogs().Beep();
       a.Frame().RouteCommand(kCmdStopBuild);
     }},
};

intptr_t ShellApp::OnDebugNotify(int code, intptr_t arg) {
  if (code == kNotifyIpcBuildRequest) {
    // A client's build: 1 when this request started one. The command ran
    // (it is refused, greyed, while a user tool or lint holds the busy bit)
    // and left the program busy (a refused start clears the bit). Its end
    // cannot have been handled yet: that is this thread's.
    // Not under an open options sheet: the build would take the options
    // the user has not confirmed yet.
    if (m_pOptionsNode) return 0;
    const bool ran = Frame().RouteCommand((arg & 1) ? kCmdRebuildAll : kCmdBuildTarget);
    return ran && HasState(kStateBusy) ? 1 : 0;
  }
  for (const NotifyRow& row : kNotifyRows) {
    if (row.code == code) {
      row.handle(*this, arg);
      break;
    }
  }
  return 1;
}

// Code 7: the build or the single-file translation ended.
void ShellApp::BuildEnded(intptr_t notBuilt) {
  m_lastBuildEnd = notBuilt ? 1 : 0;
  // No longer busy when a client hears of the end, so that the next build
  // it asks for at once is not refused.
  ClearState(kStateBusy);
  Ipc().SendBuildEnd();
  Frame().CheckChangedSourceFiles();
  if (HasState(kStateBatchBuild) || std::exchange(m_bCloseWhenBuildEnds, false)) Frame().CloseMainWindow();
  Frame().EnableTargetBox(true);
  if (notBuilt) {
    // What the browser knew and the output it came from are stale now.
    Frame().CloseBrowser();
    CheckTargetOutputFile(nullptr, true);
  }
  Frame().IdleUpdate();
  ProjectRec* p = Project();
  // A build that had nothing to do leaves the files and their include
  // lists as the window shows them (refilling it costs a 2,000-file
  // project's next build request some 25 ms).
  const bool changed = notBuilt || !m_deps.build || m_deps.build->LastRunChangedFiles();
  if (changed && m_windows.IsOpen(WindowSlot::ProjectView) && p && p->curTarget)
    Frame().RefreshFileMarks(p->curTarget);
  if (m_bProjectChangedWhileBusy) {
    m_bProjectChangedWhileBusy = false;
    ProjectFileChanged();
  }
}

int ShellApp::BuildEndResult() const {
  if (m_deps.build && m_deps.build->LastBuildResult() < 0) return -1;
  // A translation always leaves the target not built: only its errors count.
  if (m_deps.build && m_deps.build->LastWasTranslation()) return m_deps.build->LastBuildResult() != 0 ? 1 : 0;
  return BatchExitStatus() != 0 ? 1 : 0;
}

int ShellApp::BatchExitStatus() const {
  if (m_lastBuildEnd != 0) return 1;
  return (m_deps.build && m_deps.build->LastErrorCount() != 0) ? 1 : 0;
}

// Code 14: the project file changed on disk.
void ShellApp::ProjectFileChanged() {
  if (Debug().SessionActive()) return;
  if (m_szWatchedProject.empty()) return;
  if (HasState(kStateBusy)) {
    m_bProjectChangedWhileBusy = true;
    return;
  }
  m_bProjectChangedWhileBusy = false;
  std::string path = m_szWatchedProject;
  int answer = Dialogs().MessageBox(
      "Project File '" + path + "'\n\nhas been modified externally, Reload ?",
      kMbYesNo | kMbIconQuestion);
  if (answer == kIdYes) OpenProject(path, true);
}

void ShellApp::RunDeferred(int code) {
  // The effects of the deferred commands; their intervals are DeferredCommands'.
  // 2053 and 2054 have an interval but no effect.
  struct Row {
    int code;
    void (*run)(ShellApp& app);
  };
  static const Row kRows[] = {
      {kDeferRunToCursor,
       [](ShellApp& a) {
         if (a.Debug().SessionActive() && !a.Debug().TargetExecuting()) a.Debug().RunToCursor();
       }},
      {kDeferRefreshWatch,
       [](ShellApp& a) {
         if (a.m_windows.IsOpen(WindowSlot::WatchView)) a.Frame().RefreshWatch();
       }},
      {kDeferStopDebugger, [](ShellApp& a) { a.Frame().StopDebugger(); }},
      {kDeferIncludeInitFile, [](ShellApp& a) { a.Frame().RunInitFileInclude(); }},
      {kDeferReloadCheck,
       [](ShellApp& a) {
         a.ReloadProjectAfterTool();
         a.Frame().CheckChangedSourceFiles();
       }},
      {kDeferStartDebugger, [](ShellApp& a) { a.Frame().StartDebugger(); }},
      {kDeferActivateFrame, [](ShellApp& a) { a.Frame().ActivatePendingFrame(); }},
  };
  for (const Row& row : kRows)
    if (row.code == code) row.run(*this);
}

}  // namespace pm2
