// What the road gave the program, against what the program keeps of it:
// the texts left in the fields of a sheet given OK (walk_typed_texts.h)
// and the breakpoints as defined (walk_defined_breakpoints.h). Each check
// returns why it failed, or an empty text.
#pragma once

#include <QApplication>

#include <string>

#include "debugger/ui/debug_commands.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_fixture.h"
#include "walk_answers.h"
#include "walk_checks.h"
#include "walk_code_lines.h"
#include "walk_defined_breakpoints.h"
#include "walk_expected_messages.h"
#include "walk_typed_texts.h"

namespace pm2::test {

class GivenAndKept {
 public:
  TypedTexts texts;

  // A step begins (not one that follows another given at once).
  void StepBegins(CMainFrame* frame) { m_sessionBefore = frame->Debugger()->Session().SessionActive(); }

  // The texts left in the followed fields of a sheet given OK: after the
  // program's own Save All, the project file on disk holds each as the
  // field held it.
  std::string TypedTextsStored(CMainFrame* frame, ShellApp* app, WalkAnswers& answers) {
    ProjectRec* p = app->Project();
    const std::string path = p ? ProjectSiblingPath(*p, "Pm2") : std::string();
    texts.Forget(path);
    if (p) texts.ForgetRemoved(*p);
    if (!texts.Due() || !p) return {};
    std::vector<std::string> boxes = answers.boxes;
    if (const std::string why = SaveAll(frame, app); !why.empty()) return why;
    boxes.insert(boxes.end(), answers.boxes.begin(), answers.boxes.end());
    if (app->Project() != p) return {};
    return texts.CompareDue(path, SavedOrKept(path, UntouchedFiles::Read(path), BuildProjectFileText(*p)), boxes);
  }

  // After a start again: the project file Exit wrote, which the program
  // read, holds each text given before as it was given, and so does the
  // file its Save All writes from what it read; the breakpoints kept are
  // those defined.
  std::string StartKeeps(CMainFrame* frame, ShellApp* app, WalkAnswers&) {
    ProjectRec* p = app->Project();
    const std::string path = p ? ProjectSiblingPath(*p, "Pm2") : std::string();
    texts.Forget(path);
    if (!p) return {};
    texts.ForgetRemoved(*p);
    // A project whose saves were refused (a read-only folder) starts again
    // from the files as they were: what the refused saves held is gone, as
    // their messages said.
    if (WriteRefused(path)) {
      texts.ForgetAll();
      m_defined.Forget();
      return {};
    }
    if (std::string why = texts.CompareKept(UntouchedFiles::Read(path), "as Exit wrote it and the start read it");
        !why.empty())
      return why;
    if (std::string why = m_defined.Check(p->curTarget, "after the program was started again", CodeOf(p));
        !why.empty())
      return why;
    if (const std::string why = SaveAll(frame, app); !why.empty()) return why;
    if (app->Project() != p) return {};
    return texts.CompareKept(UntouchedFiles::Read(path), "as Save All wrote it after a start again");
  }

  // After a step: the breakpoints noted as defined where it defined or
  // changed them, and outside a session as the editors keep them; a
  // session's end that keeps breakpoints must have kept them as defined.
  // A source's text changed. Outside a session its breakpoints are taken
  // again from the editors after the step; in a session the driver's list
  // still names the lines the program was built from, while the editors
  // move the breakpoints with the edited lines (and one on a line deleted
  // goes with it): what the user defined is what the editors keep at the
  // session's end, so that end is not compared.
  void SourceEdited(DebugSession& session) {
    if (session.SessionActive()) m_editedInSession = true;
  }
  // `chainDefines`: a step the chain followed at once defined or changed
  // them.
  std::string BreakpointsAfter(const std::string& step, bool chainDefines, CMainFrame* frame, ShellApp* app) {
    ProjectRec* p = app->Project();
    const TargetRec* target = p ? p->curTarget : nullptr;
    const std::string where = p ? ProjectSiblingPath(*p, "Pm2") + "\n" + (target ? target->name.str() : "") : "";
    if (where != m_definedWhere) m_defined.Forget();
    m_definedWhere = where;
    DebugSession& s = frame->Debugger()->Session();
    const bool ended = m_sessionBefore && !s.SessionActive() && !s.DriverBusy();
    // A chain that changed them and ended the session before the walk could
    // read them: what was defined last is not known, and is not compared.
    if (ended && std::exchange(m_editedInSession, false)) chainDefines = true;
    if (ended && !chainDefines && (s.Settings().flags & kDbgSettingsKeepBreakpoints))
      if (std::string why = m_defined.Check(target, "after the session's end", CodeOf(p)); !why.empty()) return why;
    // Outside a session the editor's stored breakpoints are the user's (a
    // line deleted takes its breakpoint along): a session must keep them.
    if (chainDefines || DefinesBreakpoints(step) || m_defined.Pending() || (!s.SessionActive() && !s.DriverBusy()))
      m_defined.Take(s, target);
    return {};
  }

  // Where a session's end keeps breakpoints: those kept are those defined.
  std::string KeptAsDefined(CMainFrame* frame, ShellApp* app, const std::string& when) {
    ProjectRec* p = app->Project();
    // The session's end after an edit keeps what the editors hold: taken
    // as defined from here on.
    if (std::exchange(m_editedInSession, false) && p) {
      m_defined.Take(frame->Debugger()->Session(), p->curTarget);
      return {};
    }
    if (!p || !(frame->Debugger()->Session().Settings().flags & kDbgSettingsKeepBreakpoints)) return {};
    return m_defined.Check(p->curTarget, when, CodeOf(p));
  }

 private:
  // File > Save All, as a user gives it, to its end.
  static std::string SaveAll(CMainFrame* frame, ShellApp* app) {
    if (!frame->QueryCommand(cmd::kSaveAll).enabled) return {};
    QObject target;
    QMetaObject::invokeMethod(&target, [frame] { frame->ExecuteCommand(cmd::kSaveAll); }, Qt::QueuedConnection);
    QCoreApplication::sendPostedEvents(&target, QEvent::MetaCall);
    const bool ended = WaitFor([&] {
      DebugSession& s = frame->Debugger()->Session();
      return !s.DriverBusy() && !app->HasState(kStateBusy) && !QApplication::activeModalWidget();
    });
    return ended ? std::string() : "Save All did not end";
  }

  // The lines with code of the program the current target's sessions run,
  // as the walk reads them from its program file.
  CodeLinesOf CodeOf(const ProjectRec* project) {
    const std::string program =
        project && project->curTarget ? ProgramFileOf(*project, *project->curTarget) : std::string();
    return [this, program](const std::string& file) { return m_code.Of(program, file); };
  }

  DefinedBreakpoints m_defined;  // the breakpoints as the road defined them
  ProgramCodeLines m_code;       // the lines with code of the program files read
  std::string m_definedWhere;    // the project file and target they belong to
  bool m_sessionBefore = false;  // a session ran when the step (or its chain) began
  bool m_editedInSession = false;  // a source's text changed while the session ran
};

}  // namespace pm2::test
