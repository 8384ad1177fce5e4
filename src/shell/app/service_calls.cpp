// IDE service calls: one code and one argument from the driver, the build
// and editor code or the inter-process request handlers. The code runs on
// the GUI thread; from any other thread the call waits there through
// notification code 10.
#include <cstdlib>
#include <cstring>

#include "driver_abi/debug_interface.h"
#include "platform/notification_hub.h"
#include "project/edit/stored_setters.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

namespace {

// The most tool-box buttons the saved list keeps.
constexpr std::size_t kToolBoxMax = 16;
// The line-input dialog keeps at most this many characters.
constexpr std::size_t kLineInputMax = 77;

intptr_t ToDebugWindows(ShellApp& a, int code, intptr_t arg) { return a.Frame().DebugService(code, arg); }

}  // namespace

struct ShellApp::ServiceRow {
  int first, last;   // codes first..last
  bool guiOnly;      // refused (beep, 0) from other threads
  intptr_t (*run)(ShellApp& app, int code, intptr_t arg);
};

// Codes not listed return 0 and do nothing. Rows that name ToDebugWindows hand the
// code to the debug windows, which own what those codes act on.
const ShellApp::ServiceRow ShellApp::kServiceRows[] = {
    {1, 14, false, ToDebugWindows},
    {15, 15, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       const char* text = reinterpret_cast<const char*>(arg);
       return a.Dialogs().MessageBox(text ? text : "", kMbYesNo | kMbIconQuestion) == kIdYes;
     }},
    {16, 22, false, ToDebugWindows},
    {23, 23, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       // [prompt, buffer]: the buffer receives at most 77 characters.
       auto** words = reinterpret_cast<char**>(arg);
       if (!words || !words[1]) return 0;
       words[1][0] = '\0';
       std::string text;
       if (!a.Frame().LineInput(words[0] ? words[0] : "", &text)) return 0;
       if (text.size() > kLineInputMax) text.resize(kLineInputMax);
       std::memcpy(words[1], text.c_str(), text.size() + 1);
       return static_cast<intptr_t>(text.size());
     }},
    {24, 24, true, ToDebugWindows},
    {25, 25, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       auto* out = reinterpret_cast<int32_t*>(arg);
       if (out) {
         out[0] = a.m_cmdWindowValues[0];
         out[1] = a.m_cmdWindowValues[1];
       }
       return 0;
     }},
    {26, 31, false, ToDebugWindows},
    {32, 32, true,
     [](ShellApp& a, int code, intptr_t arg) -> intptr_t {
       auto** words = reinterpret_cast<const char**>(arg);
       // The target keeps its buttons in the options file: a label or a
       // command it could not read back as typed is refused, and said
       // where the command was typed, whether the box is open or not.
       if (words && words[0] && words[1]) {
         std::string why = DebugWindowTextRefusal(DebugWindowText::kToolBoxLabel, words[0]);
         if (why.empty()) why = DebugWindowTextRefusal(DebugWindowText::kToolBoxCommand, words[1]);
         if (!why.empty()) {
           a.PrintToCommandWindow(("*** error: " + why + "\n").c_str());
           return 0;
         }
       }
       if (a.m_windows.IsOpen(WindowSlot::ToolBox)) return ToDebugWindows(a, code, arg);
       if (!words || !words[0] || !words[1]) return 0;
       // A button of that label takes the new command, as in the open box.
       for (ToolBoxButton& b : a.m_toolBox)
         if (b.text == words[0]) {
           b.command = words[1];
           return 1;
         }
       if (a.m_toolBox.size() >= kToolBoxMax) {
         a.Dialogs().Beep();
         return 0;
       }
       a.m_toolBox.push_back({words[0], words[1]});
       return 1;
     }},
    {33, 33, true,
     [](ShellApp& a, int code, intptr_t arg) -> intptr_t {
       if (a.m_windows.IsOpen(WindowSlot::ToolBox)) return ToDebugWindows(a, code, arg);
       int n = static_cast<int>(arg);
       if (n == -1) {
         a.m_toolBox.clear();
         return 1;
       }
       if (n >= 1 && n <= static_cast<int>(a.m_toolBox.size())) {
         a.m_toolBox.erase(a.m_toolBox.begin() + (n - 1));
         return 1;
       }
       a.Dialogs().Beep();
       return 0;
     }},
    {34, 37, false, ToDebugWindows},
    {38, 38, false,
     [](ShellApp& a, int, intptr_t) -> intptr_t {
       a.PostDeferredCommand(kDeferStopDebugger);
       return 0;
     }},
    {39, 39, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       const char* text = reinterpret_cast<const char*>(arg);
       return a.Dialogs().MessageBox(text ? text : "", kMbOk | kMbIconExclamation);
     }},
    {40, 41, false, ToDebugWindows},
    {42, 42, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       a.Frame().SetWaitCursor(arg != 0);
       return 0;
     }},
    {43, 43, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       if (arg) a.Frame().ShowStatusProgress(*reinterpret_cast<const ProgressRequest*>(arg));
       return 0;
     }},
    {44, 45, false, ToDebugWindows},
    {46, 46, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       return reinterpret_cast<intptr_t>(a.GetDriverKey(reinterpret_cast<const char*>(arg)));
     }},
    {47, 47, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       auto** words = reinterpret_cast<const char**>(arg);
       return words ? a.SetDriverKey(words[0], words[1]) : 0;
     }},
    {48, 48, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       int window = static_cast<int8_t>((static_cast<uint32_t>(arg) >> 24) & 0xFF);
       uint8_t byte = static_cast<uint8_t>(arg & 0xFF);
       a.WriteSerialWindow(window, &byte, 1);
       return arg;
     }},
    {49, 49, false, ToDebugWindows},
    {310, 310, false, ToDebugWindows},
    {2048, 2050, false, ToDebugWindows},
    {2051, 2051, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       a.Ipc().SendTargetMessage(arg);
       return 0;
     }},
    {2052, 2053, false, ToDebugWindows},
    {2054, 2054, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       a.m_activeDocTitle = a.Frame().ActiveDocumentTitle();
       if (a.m_activeDocTitle.empty()) a.m_activeDocTitle = "Pm2 - unknown Document";
       if (arg) *reinterpret_cast<const char**>(arg) = a.m_activeDocTitle.c_str();
       return 0;
     }},
    {2055, 2055, false,
     [](ShellApp& a, int, intptr_t) -> intptr_t {
       a.Frame().RepaintMainWindow();
       return 0;
     }},
    {2064, 2064, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       a.Ipc().SendTargetConnection(arg != 0);
       return 0;
     }},
    {kIdeServiceRunProgramQuestion, kIdeServiceRunProgramQuestion, false,
     [](ShellApp& a, int, intptr_t arg) -> intptr_t {
       // Enter says No: the program would run with the user's rights. A
       // window-less start answers No (the services' default), so such a
       // program never runs unasked.
       const std::string text = arg ? reinterpret_cast<const char*>(arg) : "";
       if (text.empty()) return 0;
       for (const std::string& agreed : a.m_agreedRuns)
         if (agreed == text) return 1;
       if (a.Dialogs().MessageBox(text, kMbYesNo | kMbIconQuestion | kMbDefButton2) != kIdYes) return 0;
       a.m_agreedRuns.push_back(text);
       return 1;
     }},
};

namespace {

// What the event interface hears of the codes that mark the session and the
// target's execution: told before the code runs (a run or a step starts, the
// stop before the windows refresh and repaint, so that a client waits for
// the target and not for the windows; the session ends while its windows
// still save) or after it (the session start).
enum class Told { Before, After };
struct ServiceEvent {
  int code;
  Told when;
  void (*send)(ShellApp& app);
};
// A step is told only when it will run: in a session, the target halted
// (step out: only when there is a call to return from, service 12).
bool StepRuns(ShellApp& a) { return a.Debug().SessionActive() && !a.Debug().TargetExecuting(); }
void ExecutionStarted(ShellApp& a) { a.Ipc().SendExecutionStarted(a.Debug().ProgramCounter()); }
void StepStarted(ShellApp& a) {
  if (StepRuns(a)) ExecutionStarted(a);
}
void StepOutStarted(ShellApp& a) {
  if (StepRuns(a) && a.IdeServiceDispatch(12, 0) != 0) ExecutionStarted(a);
}
void ExecutionStopped(ShellApp& a) {
  a.Ipc().SendExecutionStopped(a.Debug().SessionActive(), a.Debug().TargetExecuting(), a.Debug().ProgramCounter());
}
void DebuggerStarted(ShellApp& a) { a.Ipc().SendDebuggerStarted(); }
void DebuggerStopped(ShellApp& a) { a.Ipc().SendDebuggerStopped(); }
constexpr ServiceEvent kServiceEvents[] = {
    {1, Told::Before, ExecutionStarted},   {3, Told::Before, ExecutionStarted}, {7, Told::Before, StepStarted},
    {8, Told::Before, StepStarted},        {2053, Told::Before, StepStarted},  {9, Told::Before, StepOutStarted},
    {2, Told::Before, ExecutionStopped},   {6, Told::After, DebuggerStarted},  {20, Told::Before, DebuggerStopped},
};

void TellEvent(ShellApp& a, int code, Told when) {
  for (const ServiceEvent& e : kServiceEvents)
    if (e.code == code && e.when == when) e.send(a);
}

}  // namespace

intptr_t ShellApp::IdeServiceDispatch(int code, intptr_t arg) {
  TellEvent(*this, code, Told::Before);
  intptr_t result = 0;
  for (const ServiceRow& row : kServiceRows)
    if (code >= row.first && code <= row.last) {
      result = row.run(*this, code, arg);
      break;
    }
  TellEvent(*this, code, Told::After);
  return result;
}

intptr_t ShellApp::ServiceOffGuiThread(int code, intptr_t arg, bool lock) {
  for (const ServiceRow& row : kServiceRows) {
    if (code >= row.first && code <= row.last && row.guiOnly) {
      Dialogs().Beep();
      return 0;
    }
  }
  // The driver is told that its thread waits for the GUI thread, so that it
  // does not hold what the GUI thread's work needs.
  bool control = lock && Debug().HasControl();
  if (control) Debug().Control(20, 0, 0);
  const intptr_t result = SendServiceCall(Hub(), code, arg);
  if (control) Debug().Control(20, 1, 0);
  return result;
}

intptr_t ShellApp::IdeServiceCall(int code, intptr_t arg) {
  return IsGuiThread() ? IdeServiceDispatch(code, arg) : ServiceOffGuiThread(code, arg, true);
}

intptr_t ShellApp::IdeServiceCallNoLock(int code, intptr_t arg) {
  return IsGuiThread() ? IdeServiceDispatch(code, arg) : ServiceOffGuiThread(code, arg, false);
}

void ShellApp::DdeProgressRequest(int kind, const char* text) {
  ProgressRequest& r = m_ddeProgress;
  if (kind == 180) {
    m_ddeLabel = text ? text : "<label>";
    r = ProgressRequest{kProgressStart, 0, 0, 100, m_ddeLabel.c_str(), nullptr};
  } else if (kind == 181) {
    r.kind = kProgressEnd;
  } else if (kind == 182) {
    r.kind = kProgressPosition;
    r.position = text ? std::atoi(text) : 0;
  } else {
    return;
  }
  IdeServiceCall(43, reinterpret_cast<intptr_t>(&r));
}

}  // namespace pm2
