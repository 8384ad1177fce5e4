// The life of the process: start-up in its fixed order, the program's own
// command line, the installation paths, and shut-down.
#include "platform/settings_store.h"
#include "platform/win_path.h"
#include "project/environment/environment.h"
#include "project/environment/install_paths.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"
#include "shell/app/frame_hooks.h"
#include "shell/app/shell_app.h"
#include "shell/app/settings_flush.h"
#include "shell/app/startup_ports.h"
#include "shell/app/user_dialogs.h"
#include "shell/command_line_build.h"

namespace pm2 {

namespace {

constexpr int kSplashBitmap = 123;
constexpr int kSplashMs = 3000;

}  // namespace

void ShellApp::ParseCommandLine(const std::string& text) {
  ClearState(kStateInstanceChannel);
  m_bMirrorCommands = false;
  const CommandLineArgs args = pm2::ParseCommandLine(text);
  m_szProjectArg = args.project;
  m_szTargetArg = args.target;
  m_szOutputArg = args.output;
  if (args.debug) SetState(kStateDebugOnStart);
  if (args.rebuild) SetState(kStateRebuildOnStart);
  if (args.build) SetState(kStateBuildOnStart);
  if (args.channel) SetState(kStateInstanceChannel);
  m_bMirrorCommands = args.mirror;
  if (m_szProjectArg.empty()) {
    m_szTargetArg.clear();
    ClearState(kStateDebugOnStart | kStateRebuildOnStart | kStateBuildOnStart);
  }
}

bool ShellApp::FindToolsIni(const std::string& programPath) {
  AppState& app = theApp();
  SetupInstallPaths(app, programPath);
  m_szProgramFolder = app.m_programDir;
  m_szSpawnPath = app.m_vspawnPath;
  // The program's path with its extension (if any) replaced by "cdb".
  m_szDeviceDbPath = ChangeExtension(programPath, "cdb");
  std::string err;
  if (!LoadStartupEnvironment(app, &err)) {
    ShowError(Dialogs(), "Can't read the environment file '" + app.m_toolsIniPath + "' !");
    return false;
  }
  return true;
}

bool ShellApp::InitInstance(StartupPorts& ports, const std::string& commandLine,
                            const std::string& programPath) {
  ports.SetUpProfile();                                  // 1
  ports.LoadEditorDefaults();                            // 2
  ports.ClearAddInLink();                                // 3
  ports.LoadFrameSettings();                             // 4
  LoadRecentProjects();                                  // 5
  m_recentFiles.Load(Settings());                        // 6
  FindToolsIni(programPath);                             // 7
  ports.ShowSplash(kSplashBitmap, kSplashMs);            // 8
  ports.RegisterDocumentTemplates();                     // 9
  SetState(kStateCreatingFrame);                         // 10
  if (!ports.CreateMainFrame()) return false;
  if (!ports.ProcessShellCommand()) return false;        // 11
  ports.ShowMainFrame();                                 // 12
  ParseCommandLine(commandLine);                         // 13
  ClearState(kStateCreatingFrame);
  // Settings that were damaged or could not be read are said once, over
  // the window; a build started from the command line shows it among its
  // output instead of waiting for an answer.
  const std::string damage = Settings().DamageReport();
  if (!damage.empty()) {
    if (HasState(kStateBuildOnStart | kStateRebuildOnStart)) PostOutputText((damage + "\n").c_str());
    else ShowError(Dialogs(), damage);
  }
  ports.StartEventInterface();                           // 14

  // 15: the project, and the build or debug session the command line asks for.
  if (HasState(kStateDebugOnStart)) {
    OpenProject(m_szProjectArg);
    if (Project() && Project()->curTarget)
      Frame().RouteCommand(kCmdDebugStartStop);
    else
      ClearState(kStateDebugOnStart);
  } else if (!m_szProjectArg.empty()) {
    m_bHoldOpenError = true;
    OpenProject(m_szProjectArg);
    m_bHoldOpenError = false;
    if (Project() && Project()->curTarget) {
      if (HasState(kStateBuildOnStart)) {
        Frame().RouteCommand(kCmdBuildTarget);
        return true;
      }
      if (HasState(kStateRebuildOnStart)) {
        Frame().RouteCommand(kCmdRebuildAll);
        return true;
      }
    }
    // A project that did not open is tried once more (a file that was still
    // being written, a share that came up late); only the last attempt's
    // failure is shown.
    if (!Project()) OpenProject(m_szProjectArg);
  } else if (!m_recent.At(0).empty() && HasState(kStateReopenLastProject)) {
    OpenProject(m_recent.At(0));
  }

  ports.LoadShortcutTable();                             // 16
  if (HasState(kStateInstanceChannel)) ports.OpenInstanceChannel();  // 17
  ports.InitHelp();                                      // 18
  return true;
}

int ShellApp::ExitInstance(StartupPorts& ports) {
  ports.SendGoodbye();
  ports.CloseHelp();
  if (HasState(kStateInstanceChannel)) ports.CloseInstanceChannel();
  ports.SaveFrameSettings();
  SaveRecentProjects();
  m_recentFiles.Save(Settings());
  std::string err;
  if (!SaveSettingsIfChanged(Settings(), &err)) ShowError(Dialogs(), err);
  // Nothing may point into the pools once they are gone.
  theApp().m_pProject = nullptr;
  m_pSelItem = nullptr;
  PoolFreeAll();
  return 0;
}

}  // namespace pm2
