// The build and project request handlers of the event interface: build,
// stop, set a group's files, set a group's options, describe a project
// file, name the open project, describe the target's device.
//
// Refusals are answered with dtc_Make::SetStatus code 1 and the texts
// below; done is code 0 "Ok.". A request that starts no build never leaves
// its sender as the build client, so a refused or failed request can't
// block later builds.
#pragma once

#include <memory>
#include <string>

#include "ipc/event_catalog.h"
#include "shell/tools/ipc_shell.h"

namespace pm2 {

class EventHandlerRegistry;
struct FileRec;

inline constexpr char kIpcWhileDebugging[] = "Can't execute command while debugging";
inline constexpr char kIpcBuildRunning[] = "Build command is currently executing";
inline constexpr char kIpcNotAllowed[] = "Command not allowed now";
inline constexpr char kIpcNoProject[] = "Can't access the project now";
inline constexpr char kIpcBadGroup[] = "Invalid group name";
inline constexpr char kIpcUnknownGroup[] = "Group name is not defined";
inline constexpr char kIpcCantAddGroup[] = "Can't add the group";
inline constexpr char kIpcBadPath[] = "Invalid path name";
inline constexpr char kIpcBadParameter[] = "Invalid parameter given";
inline constexpr char kIpcNotInProject[] = "Given file is not in project";
inline constexpr char kIpcOk[] = "Ok.";
inline constexpr char kIpcCustomTypeLabel[] = "Cst";

// "(12)" -> 12; false for a character that is not a digit or a missing ")".
bool ParseFileIndex(const std::string& text, uint32_t* index);
// The n-th file from 0 over groups not deleted and files not removed.
FileRec* GetProjectFileByIndex(ProjectRec* project, uint32_t index);
// "C", "Asm", ... by file type; "<unknown>" for others.
std::string FileTypeLabel(uint8_t type);

class IpcBuildHandlers {
 public:
  // Registers the seven handlers with the registry (the dispatcher).
  IpcBuildHandlers(EventHandlerRegistry& registry, IpcShell& shell, IpcShellState& state, IpcSendFn send);
  ~IpcBuildHandlers();
  IpcBuildHandlers(const IpcBuildHandlers&) = delete;
  IpcBuildHandlers& operator=(const IpcBuildHandlers&) = delete;

  // The build may start: buildable target, nothing running, no session.
  bool CanStartBuild();
  // dtc_Make::SetStatus to the build client (all when none), unless muted.
  void SendStatusEvent(uint32_t code, const std::string& text);

  void OnBuild(dtc_Make::Build& e);
  void OnBuildStop(dtc_Make::BuildStop& e);
  void OnSetFileGroup(dtc_Make::SetFileGroup& e);
  void OnSetOptions(dtc_Make::SetOptions& e);
  void OnGetProjectFile(dtc_Make::GetProjectFile& e);
  void OnWhichProject(dtc_Identify::WhichProject& e);
  void OnTargetInfo(dtc_TargetInfo::GetTargetInfo& e);

 private:
  void Reply(dtc_EventBase& event, int32_t to);
  void Status(uint32_t code, const std::string& text, int32_t to);
  // Why a build can't start under the open options sheet; "" when none is.
  std::string OptionsBeingEdited();
  struct Handlers;

  IpcShell& m_shell;
  IpcShellState& m_state;
  IpcSendFn m_send;
  std::unique_ptr<Handlers> m_handlers;
};

}  // namespace pm2
