#include "options/pages/options_command.h"

#include "options/core/options_session.h"
#include "project/model/app_state.h"
#include "project/model/project_records.h"

namespace pm2 {

std::string OptionsCaption(const NodeRec* node) {
  if (!node) return "Options";
  switch (node->kind) {
    case kKindTarget: return "Options for Target '" + static_cast<const TargetRec*>(node)->name.str() + "'";
    case kKindGroup: return "Options for Group '" + static_cast<const GroupRec*>(node)->name.str() + "'";
    case kKindFile: return "Options for File '" + static_cast<const FileRec*>(node)->name.str() + "'";
    default: return "Options";
  }
}

OptionsOutcome RunOptionsCommand(const OptionsRequest& r) {
  auto say = [&](const std::string& text, int kind) {
    if (r.message) r.message(text, kind);
  };
  if (r.busy || !r.project || !r.node) {
    say("", -1);  // a plain beep
    return OptionsOutcome::kRefused;
  }
  OptionsSession session;
  std::string error;
  if (!session.Begin(r.project, r.node, &error)) {
    say(error, kMbOk | kMbIconExclamation);
    return OptionsOutcome::kRefused;
  }
  struct Editing {
    const std::function<void(NodeRec*)>& tell;
    Editing(const std::function<void(NodeRec*)>& t, NodeRec* node) : tell(t) {
      if (tell) tell(node);
    }
    ~Editing() {
      if (tell) tell(nullptr);
    }
  } editing(r.editing, r.node);
  if (r.project->flags & kProjectReadOnly)
    say("Project is [Read Only], any modifications can't be saved.", kMbOk | kMbIconExclamation);
  OptionsSheet sheet(session, r.services, QString::fromLocal8Bit(OptionsCaption(r.node).c_str()), r.parent);
  if (r.openOnFlash && !sheet.SelectInitialPage()) {
    session.Rollback();
    return OptionsOutcome::kCancelled;
  }
  const int result = r.run ? r.run(sheet) : sheet.exec();
  if (result != QDialog::Accepted) {
    session.Rollback();
    return OptionsOutcome::kCancelled;
  }
  return session.Commit() ? OptionsOutcome::kChanged : OptionsOutcome::kUnchanged;
}

}  // namespace pm2
