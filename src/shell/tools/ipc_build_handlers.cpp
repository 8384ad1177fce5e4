#include "shell/tools/ipc_build_handlers.h"

#include <string_view>

#include "options/core/compiler_texts.h"
#include "project/edit/stored_setters.h"
#include "project/files/project_lines.h"
#include "project/model/option_block.h"
#include "project/model/project_records.h"
#include "project/text/opt_string.h"

namespace pm2 {
namespace {

// A handler object per request type, each handing its event to the owner.
template <class X, void (IpcBuildHandlers::*M)(X&)>
class Forward final : public X::Handler {
 public:
  Forward(EventHandlerRegistry& r, IpcBuildHandlers& owner) : X::Handler(r), m_owner(owner) {}
  void Handle(X& e) override { (m_owner.*M)(e); }

 private:
  IpcBuildHandlers& m_owner;
};

// Rows of the target-information codes by toolset: width, byte order.
struct TargetInfoRow {
  uint16_t toolset;
  uint32_t width, byteOrder;
};
constexpr TargetInfoRow kTargetInfo[] = {
    {kToolset51, 1, 2}, {kToolset251, 1, 2}, {kToolset166, 2, 2},
    {kToolsetArmGnu, 4, 2}, {kToolsetArmAds, 4, 2},
};

// "target 'Blinky'", "group 'Source'", "file 'main.c'".
std::string NodeLabel(const NodeRec* node) {
  switch (node->kind) {
    case kKindTarget: return "target '" + static_cast<const TargetRec*>(node)->name.str() + "'";
    case kKindGroup: return "group '" + static_cast<const GroupRec*>(node)->name.str() + "'";
    case kKindFile: return "file '" + static_cast<const FileRec*>(node)->name.str() + "'";
    default: return "the project";
  }
}

// The refusals while an options sheet is open on `node` ("" when none):
// a build is refused under any sheet, a group's options only under the
// group's own (a target's or a file's sheet does not write the group's).
std::string BuildRefusalWhileEditing(const NodeRec* node) {
  if (!node) return std::string();
  return "Can't build while the options dialog of " + NodeLabel(node) + " is open";
}

// The group's files leave the project when its list is set: an open sheet
// of one of them would write the user's changes into a file the project
// no longer holds (one named again is a new record).
std::string SetFileGroupRefusalWhileEditing(const NodeRec* node, const GroupRec* group) {
  if (!node || !group || node->kind != kKindFile || static_cast<const FileRec*>(node)->group != group)
    return std::string();
  return "Can't set the files of " + NodeLabel(group) + " while the options dialog of " + NodeLabel(node) +
         " is open";
}

constexpr char kBuildRefusalUnderComponents[] =
    "Can't build while the dialog 'Components, Environment and Books' is open";

// A change the Components sheet's OK would undo, told "Ok." first.
std::string GroupRefusalUnderComponents(const std::string& group) {
  return "Can't change group '" + group + "' while the dialog 'Components, Environment and Books' is open";
}

std::string SetOptionsRefusalWhileEditing(const NodeRec* node, const GroupRec* group) {
  if (!node || node != group) return std::string();
  return "Can't set the options of " + NodeLabel(node) + " while its options dialog is open";
}

}  // namespace

using Ev_Dt_Build = Forward<dtc_Make::Build, &IpcBuildHandlers::OnBuild>;
using Ev_Dt_BuildStop = Forward<dtc_Make::BuildStop, &IpcBuildHandlers::OnBuildStop>;
using Ev_Dt_SetFileGroup = Forward<dtc_Make::SetFileGroup, &IpcBuildHandlers::OnSetFileGroup>;
using Ev_Dt_SetOpt = Forward<dtc_Make::SetOptions, &IpcBuildHandlers::OnSetOptions>;
using Ev_Dt_GetPrj = Forward<dtc_Make::GetProjectFile, &IpcBuildHandlers::OnGetProjectFile>;
using Ev_Dt_WhichProject = Forward<dtc_Identify::WhichProject, &IpcBuildHandlers::OnWhichProject>;
using Ev_Tinfo = Forward<dtc_TargetInfo::GetTargetInfo, &IpcBuildHandlers::OnTargetInfo>;

struct IpcBuildHandlers::Handlers {
  Handlers(EventHandlerRegistry& r, IpcBuildHandlers& o)
      : build(r, o), stop(r, o), fileGroup(r, o), options(r, o), getPrj(r, o), which(r, o), info(r, o) {}
  Ev_Dt_Build build;
  Ev_Dt_BuildStop stop;
  Ev_Dt_SetFileGroup fileGroup;
  Ev_Dt_SetOpt options;
  Ev_Dt_GetPrj getPrj;
  Ev_Dt_WhichProject which;
  Ev_Tinfo info;
};

bool ParseFileIndex(const std::string& text, uint32_t* index) {
  uint32_t v = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == ')') {
      *index = v;
      return true;
    }
    if (text[i] < '0' || text[i] > '9' || v > 100000000) return false;
    v = v * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  return false;
}

FileRec* GetProjectFileByIndex(ProjectRec* project, uint32_t index) {
  if (!project || !project->curTarget) return nullptr;
  for (GroupRec* g = project->firstGroup; g; g = g->next) {
    if (g->flags & kGroupDeleted) continue;
    for (FileRec* f = g->firstFile; f; f = f->next) {
      if (f->flags & kFileRemoved) continue;
      if (index-- == 0) return f;
    }
  }
  return nullptr;
}

std::string FileTypeLabel(uint8_t type) {
  static const char* const kLabels[] = {nullptr, "C", "Asm", "Obj", "Lib", "Text", "Plm", kIpcCustomTypeLabel, "Cpp"};
  if (type >= 1 && type <= 8) return kLabels[type];
  return "<unknown>";
}

IpcBuildHandlers::IpcBuildHandlers(EventHandlerRegistry& registry, IpcShell& shell, IpcShellState& state,
                                   IpcSendFn send)
    : m_shell(shell), m_state(state), m_send(std::move(send)),
      m_handlers(std::make_unique<Handlers>(registry, *this)) {}

IpcBuildHandlers::~IpcBuildHandlers() = default;

void IpcBuildHandlers::Reply(dtc_EventBase& event, int32_t to) {
  event.m_nDestination = to;
  m_send(event);
}

void IpcBuildHandlers::Status(uint32_t code, const std::string& text, int32_t to) {
  if (m_state.muted) return;
  dtc_Make::SetStatus s(code, text);
  Reply(s, to);
}

void IpcBuildHandlers::SendStatusEvent(uint32_t code, const std::string& text) {
  int32_t client = m_state.buildClient;
  Status(code, text, client >= 0 ? client : -1);
}

bool IpcBuildHandlers::CanStartBuild() {
  return m_shell.HasTarget() && !m_shell.IsBusy() && m_shell.HasDebugRecord() && !m_shell.IsDebugging();
}

void IpcBuildHandlers::OnBuild(dtc_Make::Build& e) {
  int32_t none = -1;
  if (!m_state.buildClient.compare_exchange_strong(none, e.m_nSender)) {
    dtc_Make::SetStatus s(1, kIpcBuildRunning);
    Reply(s, e.m_nSender);
    return;
  }
  m_state.buildByEvent = 0;
  if (m_shell.IsDebugging()) {
    SendStatusEvent(1, kIpcWhileDebugging);
    m_state.buildClient = -1;
    return;
  }
  // A request that starts no build is answered with why: a client waiting
  // for the build's end would otherwise wait for good.
  if (!CanStartBuild()) {
    m_state.buildClient = -1;
    dtc_Make::SetStatus s(1, m_shell.IsBusy() ? kIpcBuildRunning : kIpcNoProject);
    Reply(s, e.m_nSender);
    return;
  }
  // Under an open options sheet the build would take what the user has
  // not confirmed (and Cancel would then leave an output built from it).
  std::string editing = OptionsBeingEdited();
  if (!editing.empty()) {
    m_state.buildClient = -1;
    dtc_Make::SetStatus s(1, editing);
    Reply(s, e.m_nSender);
    return;
  }
  m_state.buildByEvent = 1;
  if (!m_shell.RequestBuild(e.m_nMode)) {
    m_state.buildByEvent = 0;
    m_state.buildClient = -1;
    // The sheet may have opened since the look above.
    editing = OptionsBeingEdited();
    dtc_Make::SetStatus s(1, editing.empty() ? std::string(kIpcBuildRunning) : editing);
    Reply(s, e.m_nSender);
  }
}

std::string IpcBuildHandlers::OptionsBeingEdited() {
  std::string why;
  m_shell.RunOnGuiThread([&] {
    why = BuildRefusalWhileEditing(m_shell.OptionsSheetNode());
    // The Components sheet's OK replaces the groups and targets under a
    // build that started beside it.
    if (why.empty() && m_shell.ComponentsSheetOpen()) why = kBuildRefusalUnderComponents;
  });
  return why;
}

void IpcBuildHandlers::OnBuildStop(dtc_Make::BuildStop& e) {
  if (m_shell.IsDebugging()) {
    SendStatusEvent(1, kIpcWhileDebugging);
    return;
  }
  const int32_t client = m_state.buildClient;
  if (client == -1) return;
  if (e.m_nSender == client) {
    if (m_shell.HasTarget() && m_shell.HasDebugRecord() && m_shell.IsBusy()) m_shell.StopBuild();
    return;
  }
  dtc_Make::SetStatus s(1, kIpcNotAllowed);
  Reply(s, e.m_nSender);
}

void IpcBuildHandlers::OnSetFileGroup(dtc_Make::SetFileGroup& e) {
  const int32_t to = e.m_nSender;
  if (m_shell.IsDebugging()) return Status(1, kIpcWhileDebugging, to);
  if (!CanStartBuild()) return Status(1, kIpcNoProject, to);
  if (e.m_strGroup.empty()) return Status(1, kIpcBadGroup, to);
  // Stored as "Group (name)": a name that would not read back whole is refused.
  if (const std::string why = StoredComponentNameRefusal("group", e.m_strGroup); !why.empty())
    return Status(1, why, to);
  if (const std::string why = ControlCharacterRefusal("group name '" + e.m_strGroup + "'", e.m_strGroup);
      !why.empty())
    return Status(1, why, to);
  // The folder is checked before anything changes. It is one of this
  // machine: a '\' in it is part of a name, which the project would read
  // back as a separator (checked with each file below).
  if (e.m_strFolder.empty()) return Status(1, kIpcBadPath, to);
  if (const std::string why = ControlCharacterRefusal("folder '" + e.m_strFolder + "'", e.m_strFolder);
      !why.empty())
    return Status(1, why, to);
  std::string folder = e.m_strFolder;
  if (folder.back() != '/') folder += '/';
  std::string failure;
  m_shell.RunOnGuiThread([&] {
    ProjectRec* project = m_shell.Project();
    if (!project) {
      failure = kIpcNoProject;
      return;
    }
    if (m_shell.ComponentsSheetOpen()) {
      failure = GroupRefusalUnderComponents(e.m_strGroup);
      return;
    }
    // A name the project file can't hold would read back as another file:
    // the whole request is refused before the group changes.
    failure = GroupFilesRefusal(folder, e.m_strFolder, e.m_Files);
    if (!failure.empty()) return;
    bool changed = false;
    GroupRec* group = FindGroupByName(project->firstGroup, e.m_strGroup.c_str());
    failure = SetFileGroupRefusalWhileEditing(m_shell.OptionsSheetNode(), group);
    if (!failure.empty()) return;
    if (!group) {
      group = AddGroup(project, e.m_strGroup.c_str());
      if (!group) {
        failure = kIpcCantAddGroup;
        return;
      }
      changed = true;
    }
    // Files the group loses leave the project: the tree must not go on
    // showing them, even when nothing is added in their place.
    if (group->firstFile) changed = true;
    group->firstFile = group->lastFile = nullptr;
    for (const std::string& name : e.m_Files) {
      if (name.empty()) continue;
      uint8_t type = GetFileTypeOfName(name.c_str());
      if (FindProjectFile(project, name.c_str(), type)) continue;
      if (AddFileToGroup(group, name.c_str(), folder.c_str(), type)) changed = true;
    }
    if (changed) m_shell.ProjectTreeChanged();
  });
  if (!failure.empty()) return Status(1, failure, to);
  Status(0, kIpcOk, to);
}

void IpcBuildHandlers::OnSetOptions(dtc_Make::SetOptions& e) {
  const int32_t to = e.m_nSender;
  if (m_shell.IsDebugging()) return Status(1, kIpcWhileDebugging, to);
  if (!CanStartBuild()) return Status(1, kIpcNoProject, to);
  if (e.m_strGroup.empty()) return Status(1, kIpcBadGroup, to);
  // A text that would not read back whole (a define "A)B" read back as
  // "A") is refused before anything changes, as the options dialog does.
  if (const std::string why = GroupCompilerTextsRefusal(e.m_strGroup, e.m_Symbols, e.m_IncludePaths); !why.empty())
    return Status(1, why, to);
  std::string failure;
  m_shell.RunOnGuiThread([&] {
    ProjectRec* project = m_shell.Project();
    GroupRec* group = project ? FindGroupByName(project->firstGroup, e.m_strGroup.c_str()) : nullptr;
    // The group's open sheet would write its own copy over the change on OK.
    failure = SetOptionsRefusalWhileEditing(m_shell.OptionsSheetNode(), group);
    if (failure.empty() && group && m_shell.ComponentsSheetOpen()) failure = GroupRefusalUnderComponents(e.m_strGroup);
    if (!failure.empty()) return;
    if (!group) {
      failure = project ? kIpcUnknownGroup : kIpcNoProject;
      return;
    }
    // Refused as the group's compiler page refuses the same texts, before
    // the group gets a block of its own.
    const TargetRec* target = project->curTarget;
    failure = CompilerTextsRefusal(target ? target->toolset : uint16_t(kToolsetUndefined), e.m_Symbols,
                                   e.m_IncludePaths);
    if (!failure.empty()) {
      failure = "Group '" + e.m_strGroup + "': " + failure;
      return;
    }
    // A group without options of its own gets a block as its options sheet
    // makes one: it overrides nothing but these texts.
    OptionBlock* opts = NodeOptionsToEdit(group);
    if (!opts) {
      failure = kIpcNoProject;
      return;
    }
    failure = SetGroupCompilerTexts(*opts, e.m_strGroup, e.m_Symbols, e.m_IncludePaths);
  });
  if (!failure.empty()) return Status(1, failure, to);
  Status(0, kIpcOk, to);
}

void IpcBuildHandlers::OnGetProjectFile(dtc_Make::GetProjectFile& e) {
  if (m_state.muted) return;
  const int32_t to = e.m_nSender;
  const std::string& text = e.m_strFile;
  uint32_t index = 0;
  if (text.empty() || (text[0] == '(' && !ParseFileIndex(text, &index))) {
    dtc_Make::SetStatus s(1, kIpcBadParameter);
    return Reply(s, to);
  }
  bool found = false;
  dtc_Make::GetProjectFileReply reply;
  m_shell.RunOnGuiThread([&] {
    ProjectRec* project = m_shell.Project();
    if (!project) return;
    FileRec* f = text[0] == '(' ? GetProjectFileByIndex(project, index) : FindSourceFileByName(text.c_str());
    if (!f) return;
    found = true;
    reply.m_strName = f->name.str();
    reply.m_strGroup = f->group ? f->group->name.str() : "<unknown>";
    reply.m_strType = FileTypeLabel(f->type);
    std::string path = m_shell.AbsolutePath(f->path.str());
    if (path.empty()) path = f->path.str();
    size_t cut = std::min(path.size(), f->name.size());
    reply.m_strFolder = path.substr(0, path.size() - cut);
  });
  if (!found) {
    dtc_Make::SetStatus s(1, kIpcNotInProject);
    return Reply(s, to);
  }
  Reply(reply, to);
}

void IpcBuildHandlers::OnWhichProject(dtc_Identify::WhichProject&) {
  if (m_state.muted) return;
  dtc_Identify::WhichProjectReply reply("<None>", "<None>");
  m_shell.RunOnGuiThread([&] {
    if (ProjectRec* p = m_shell.Project()) {
      reply.m_strName = p->name.str();
      reply.m_strFolder = p->folder.str();
    }
  });
  Reply(reply, -1);
}

void IpcBuildHandlers::OnTargetInfo(dtc_TargetInfo::GetTargetInfo& e) {
  if (m_state.muted) return;
  bool answer = false;
  dtc_TargetInfo::TargetInfo info;
  m_shell.RunOnGuiThread([&] {
    ProjectRec* p = m_shell.Project();
    TargetRec* t = p ? p->curTarget : nullptr;
    OptionBlock* opts = t ? FindTargetOptions(t->pOpts, t) : nullptr;
    if (!opts) return;
    answer = true;
    info.m_strDevice = t->DEVICE.str();
    info.m_strVendor = t->VENDOR.str();
    for (const TargetInfoRow& row : kTargetInfo) {
      if (row.toolset != t->toolset) continue;
      info.m_nWidth = row.width;
      info.m_nByteOrder = row.byteOrder;
      if (row.width == 4 && (opts->lst.GLFLAGS & kGlFlagsBigEndian)) info.m_nByteOrder = 1;
    }
  });
  if (answer) Reply(info, e.m_nSender);
}

}  // namespace pm2
