// Output from any thread: on the GUI thread the helpers act at once; on
// any other thread they send (or, for command-window texts, post) the IDE
// notification message and let the GUI thread act.
#include <cstdarg>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/notification_hub.h"
#include "shell/app/build_port.h"
#include "shell/app/debug_port.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/ipc_port.h"
#include "shell/app/shell_app.h"
#include "shell/app/user_dialogs.h"

namespace pm2 {

int ShellApp::PrintToOutput(int mode, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n < 1) return n;
  if (n >= static_cast<int>(sizeof text)) n = sizeof text - 1;
  if (mode != 0) {
    Dialogs().Beep();
    Dialogs().MessageBox(text, kMbOk | kMbIconExclamation);
  } else if (IsGuiThread()) {
    OutputText(text);
  } else {
    Hub().Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(text));
  }
  return n;
}

void ShellApp::PostOutputText(const char* text) {
  if (IsGuiThread())
    OutputText(text);
  else
    Hub().Send(kNotifyBuildOutputLine, reinterpret_cast<intptr_t>(text));
}

void ShellApp::OutputText(const char* text) {
  Ipc().SendBuildInfo(text);
  if (!m_windows.IsOpen(WindowSlot::OutputPane)) return;
  Frame().AppendOutputLine(kOutputBuildPage, text);
  if (m_deps.build && text) m_deps.build->LogOutputLine(text);
  WriteOutputCopy(text);
}

// The -o file gets the line as the pane shows it: without the pane's own
// leading control bytes (249 to 255), and ending in exactly one line end
// whether or not the line brought its own.
void ShellApp::WriteOutputCopy(const char* text) {
  if (!m_pOutputFile || !text) return;
  std::string_view line(text);
  std::size_t i = 0;
  while (i < line.size() && static_cast<unsigned char>(line[i]) >= 249) ++i;
  line.remove_prefix(i);
  if (line.empty()) return;  // only a switch of the pane's redrawing
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::fwrite(line.data(), 1, line.size(), m_pOutputFile);
  std::fputc('\n', m_pOutputFile);
  std::fflush(m_pOutputFile);
}

void ShellApp::CloseOutputCopy() {
  if (m_pOutputFile) std::fclose(m_pOutputFile);
  m_pOutputFile = nullptr;
}

void ShellApp::OutputText2(const char* text) {
  if (m_windows.IsOpen(WindowSlot::OutputPane2)) Frame().AppendOutputLine(kOutputFindPage, text);
}

void ShellApp::PrintToCommandWindow(const char* text) {
  if (IsGuiThread()) {
    CommandWindowText(text);
    return;
  }
  const char* copy = m_cmdTextPool.Get(text);
  if (!copy) return;
  Hub().Post(kNotifyCommandText2, reinterpret_cast<intptr_t>(copy));
  std::this_thread::yield();
}

void ShellApp::CommandWindowText(const char* text) {
  // Copied whole: the pool's buffer is given back before the window takes it.
  const std::string owned = text ? text : "";
  const char* copy = owned.c_str();
  const bool echo = text && m_cmdTextPool.IsEcho(text);
  // A pool buffer is given back even when the window is gone: otherwise
  // every text posted while it is closed would keep its buffer for good.
  if (text) m_cmdTextPool.Release(text);
  if (echo) {
    DriverCommandOutput(copy);
    return;
  }
  if (!m_windows.IsOpen(WindowSlot::CommandPage)) return;
  Frame().AppendCommandOutput(text ? copy : nullptr);
  if (!text) return;
  if (Debug().SessionActive() && Debug().CommandLogOn()) Debug().Log(0, copy, -1);
  if (m_bMirrorActive) Ipc().ChannelSend(2, copy);
}

int ShellApp::ExecDebugCommandLine(const char* text) {
  if (!m_windows.IsOpen(WindowSlot::CommandPage) || !Debug().SessionActive()) return -1;
  if (text && Debug().CommandLogOn()) Debug().Log(0, text, -1);
  Frame().MarkCommandOutput(true);
  PrintToCommandWindow(text);
  m_bMirrorActive = true;
  Debug().ExecCommand(text, text ? static_cast<int>(std::strlen(text)) : 0);
  if (!m_bMirrorCommands) m_bMirrorActive = false;
  return 1;
}

int ShellApp::ExecDebugCommand(const char* text, int length) {
  if (Debug().SessionActive()) {
    Debug().ExecCommand(text, length == -1 && text ? static_cast<int>(std::strlen(text)) : length);
  } else if (length > 1) {
    PrintToCommandWindow("*** Error: not in debugging mode !\n");
    Dialogs().Beep();
  }
  return 0;
}

void ShellApp::DriverCommandOutput(const char* text) {
  if (!IsGuiThread()) {
    // Posted with its echo flag, so it lands as on the GUI thread.
    const char* copy = m_cmdTextPool.Get(text, true);
    if (!copy) return;
    Hub().Post(kNotifyCommandText2, reinterpret_cast<intptr_t>(copy));
    std::this_thread::yield();
    return;
  }
  if (!m_windows.IsOpen(WindowSlot::CommandPage)) return;
  Frame().MarkCommandOutput(false);
  Frame().AppendCommandEcho(text);
  if (text && Debug().CommandLogOn()) Debug().Log(0, text, -1);
}

int ShellApp::WriteSerialWindow(int window, const uint8_t* bytes, int count) {
  if (window < 0 || window > 2) return -1;
  Frame().WriteSerial(window, bytes, count, false);
  if (Debug().SerialLogOn()) Debug().Log(1, reinterpret_cast<const char*>(bytes), count);
  return 0;
}

int ShellApp::WriteSerialWindow16(int window, const uint16_t* chars, int count) {
  if (window < 0 || window > 2) return -1;
  Frame().WriteSerial(window, chars, count, true);
  if (Debug().SerialLogOn()) Debug().Log(1, reinterpret_cast<const char*>(chars), count);
  return 0;
}

}  // namespace pm2
