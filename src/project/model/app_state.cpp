#include "project/model/app_state.h"

#include <cstdarg>
#include <cstdio>

namespace pm2 {

int ShellServices::MessageBox(const std::string& text, int kind) {
  std::fprintf(stderr, "%s\n", text.c_str());
  int buttons = kind & 0xF;
  if (kind & kMbDefButton2) return buttons == kMbOkCancel ? kIdCancel : kIdNo;
  return (buttons == kMbYesNo || buttons == kMbYesNoCancel) ? kIdYes : kIdOk;
}

void ShellServices::PostOutputText(const std::string& line) {
  std::fprintf(stdout, "%s\n", line.c_str());
}

ShellServices& AppState::Shell() {
  static ShellServices fallback;
  return m_pShell ? *m_pShell : fallback;
}

static AppState g_app;

AppState& theApp() { return g_app; }

void ResetAppState() {
  g_app.m_pProject = nullptr;
  g_app.m_pEditTargetOpts = g_app.m_pEditGroupOpts = g_app.m_pEditFileOpts = nullptr;
  g_app.m_nState = 0;
  for (auto& t : g_app.m_pToolsetInfo) t = nullptr;
  g_app.m_pEnvironment = nullptr;
  g_app.m_programDir.clear();
  g_app.m_installRoot.clear();
  g_app.m_vspawnPath.clear();
  g_app.m_toolsIniPath.clear();
  g_app.m_pShell = nullptr;
}

void PrintToOutput(int flag, const char* format, ...) {
  char text[1025];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  ShellServices& shell = theApp().Shell();
  if (flag == 0) {
    shell.PostOutputText(text);
  } else {
    shell.Beep();
    shell.MessageBox(text, kMbOk | kMbIconExclamation);
  }
}

}  // namespace pm2
