// A walk over the real main frame: every command a user can reach (the
// command table, the menus, the toolbars, the context menus of the windows
// that are open) asked for its state and run when enabled, each modal
// window answered once with its default and once with Cancel, then a
// seeded random road of enabled commands. After every step the checks of
// walk_checks.h; the first failure ends the walk with the state, the seed
// and the road, written so that PM2_WALK_REPLAY runs it again.
//
// A road is a list of steps separated by ';':
//   32720       the command, its windows answered with their defaults
//   32720/c     the same, answered with Cancel
//   32720/f3    the same, each field of each page of its windows given
//               the text FieldTexts()[3] (walk_answers.h), then OK
//   32720/b     the same, their own buttons pressed, then OK
//   35041/r     the same, a row of its list chosen and the buttons that
//               act on a row pressed (Kill Selected), each judged
//   key:32720   the command's key (as the menus show it) pressed in the
//               widget that has the keyboard, as a user presses it
//   ctx:editor:Copy    the item of a window's context menu (editor,
//                      project, output, watch, memory, disassembly, command;
//                      project@target, project@group, project@file: the
//                      project window's menu opened on such a row);
//                      "/c" after it: its windows answered with Cancel,
//                      "/f3": their fields given FieldTexts()[3]
//   open:Blinky.c      the file opened in an editor, as a double click does
//   keys:Home,Shift+End  keys pressed in the active editor's text
//   caret:12           the caret put at the start of line 12 of the active
//                      editor by its keys (Ctrl+Home, then Down)
//   front:Blinky.c     the file's editor window made the active one, as its
//                      entry in the Window menu makes it
//   name:np.pm2        the name the next save dialog gets
//   device:none        what the next device sheet's OK chooses
//                      ("NXP/LPC2138"; "none": no device chosen)
//   await-stop         wait for the debug session to stand still
//   await-end          wait for the debug session to have ended
//   await-held         wait for the held build's compiler to run
//   await-session      wait for a debug session to have started
//   type:BS main, 3    typed into the Command page's line, then Enter
//   bp-session         the session ended (when one runs), started and ended
//                      again: the stored breakpoints (counts, conditions
//                      and commands included) read back identical
//   await-idle         nothing but the checks (which wait for a build or a
//                      tool to end)
//   restart            after Exit closed the frame: the program started
//                      again on the same folder and settings (the project it
//                      had open reopens), its start checks run
//   come-back          the program becomes the active one again (the user
//                      comes back from another program)
//   with:0x5A          the text the next step's window gets in its first
//                      field (the value a menu item asks for)
//   watch:1:sample, expand:1:sample, memory:1:&counter, serial:1:k,
//   await-serial:1:key: k, await-memory:5A
//                      typed into the debug windows, or waited for there
//                      (walk_debug_input.h)
//   ctx:code@counter:Add "counter" to Watch Window...>#1
//                      a place of walk_places.h right-clicked, an item of
//                      a submenu chosen; "...at*" names an item by its start
//   peer:0             a peer of the event interface asks for a build (0)
//                      or a rebuild (1); the next window the walk meets is
//                      held open until the peer has its answer
//   attach             a peer of the event interface attached from now on
//                      to the walk's end, taking the notifications a
//                      long-lived client takes; at the end it must still
//                      be answered (PeerStillAnswered)
//   select:LED.c       the project window's item with that text clicked,
//                      as a user selects it
//   target:Board       the target chosen in the Build toolbar's target box
//                      by the arrow keys, as a user chooses it
//   menu:Tools:Lint    the item of a menu of the menu bar, the menu opened
//                      by a click on its title (the items a menu gets as
//                      it opens, the user tools, are there)
//   modeless:GotoLineDialog/f3  a window left open beside the main window
//                      typed into, its buttons pressed; /x closes it
//                      (walk_modeless_windows.h); /l12 types the line
//                      12, which the caret must then stand on
//   value:pattern_step=5   where the target stands, the expression reads 5
//                      (walk_defined_breakpoints.h)
//   32797!      the command, and the next step at once, before the event
//               loop turns and the checks run
#pragma once

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "debugger/ui/debug_commands.h"
#include "debugger/dialogs/perf_analyzer_view.h"
#include "debugger/dialogs/serial_window.h"
#include "debugger/windows/command_window.h"
#include "debugger/windows/disassembly_window.h"
#include "debugger/windows/memory_window.h"
#include "debugger/windows/watch_window.h"
#include "editor/ide/editor_view.h"
#include "editor/view/edit_keys_qt.h"
#include "platform/ipc_namespace.h"
#include "editor/ide/margin_view.h"
#include "project/files/project_file.h"
#include "shell/frame/command_table.h"
#include "shell/frame/frame_accelerators.h"
#include "shell/frame/frame_bars.h"
#include "shell/frame/frame_fixture.h"
#include "shell/frame/frame_keys.h"
#include "shell/frame/offered_commands.h"
#include "shell/frame/shell_resources.h"
#include "toolkit/core/resources.h"
#include "shell/project_window/prj_view.h"
#include "shell/project_window/prj_win.h"
#include "toolkit/docking/bar_styles.h"
#include "toolkit/controls/progress_ctrl.h"
#include "toolkit/controls/tree_ctrl.h"
#include "toolkit/frames/control_bar.h"
#include "toolkit/frames/mdi_child.h"
#include "toolkit/frames/status_bar.h"
#include "toolkit/menus/menu_bar.h"
#include "toolkit/toolbars/std_btn.h"
#include "walk_answers.h"
#include "walk_checks.h"
#include "walk_counted_passes.h"
#include "walk_crash_road.h"
#include "walk_outcomes.h"
#include "walk_ran_record.h"
#include "walk_debug_input.h"
#include "walk_input_answered.h"
#include "walk_find_step.h"
#include "walk_judge.h"
#include "walk_modeless_windows.h"
#include "walk_expected_messages.h"
#include "walk_given_kept.h"
#include "walk_keys.h"
#include "walk_left_behind.h"
#include "walk_menus.h"
#include "walk_peers.h"
#include "walk_places.h"
#include "walk_project_window.h"
#include "walk_road_seed.h"

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace pm2::test {

// The walk under way, for a sanitizer's report or a crash: printed by the
// sanitizer's death callback, so a crash names its road. Never destroyed:
// a leak report comes after the program's own ends have run.
inline std::string& WalkUnderWay() {
  // Never destroyed: the leak check at the program's exit may die and
  // print it after the static objects are gone.
  static std::string* text = new std::string;
  return *text;
}
// While a walk lives, the text is made only when it is printed: the whole
// road, made at every step, took a few hundredths of the walk's time.
inline std::function<std::string()>& WalkDescriber() {
  static auto* describe = new std::function<std::string()>;
  return *describe;
}
inline void PrintWalkUnderWay() {
  const std::string text = WalkDescriber() ? WalkDescriber()() : WalkUnderWay();
  std::fprintf(stderr, "\n*** the walk died in %s\n", text.c_str());
  std::fflush(stderr);
}

// Every command id a user can reach from the table, the menus and the
// toolbars, in order.
inline std::vector<CommandId> WalkCommands() {
  const std::set<CommandId> ids = test::OfferedCommands();
  return {ids.begin(), ids.end()};
}

// The commands that take away what the state has open or set: the editor
// in front (New, Open, Close, Close All, Close Workspace) and the
// breakpoints (Disable All, Kill All). The sweep runs them with those that leave the state, so the
// commands that act on those meet them (the bookmarks after Toggle
// Bookmark, Redo after Undo, Page Setup, Enable/Disable Breakpoint after
// Insert/Remove Breakpoint).
inline bool TakesAwayTheState(CommandId id) {
  return id == cmd::kFileNew || id == cmd::kFileOpen || id == 57602 || id == cmd::kCloseAll || id == 35015 ||
         id == 35016 || id == 43012;
}

// The commands that take the walk out of its state: run after the rest
// (and Exit last of all), so the sweep sees the state it was given. Those
// that set a stopped target running (Go, Step Over, Step Out, Run to
// Cursor) are among them: a session stopped at main stays there for the
// sweep, and the running target has states of its own; so are Step Into,
// Reset CPU and Set Program Counter, which move the point it stands at
// away from main; so is Remove Item, which takes the selected file or group
// out of the project.
inline bool LeavesTheState(CommandId id) {
  static const std::set<CommandId> kLeaving = {
      cmd::kNewProject, cmd::kOpenProject, cmd::kCloseProject, cmd::kImportOld, cmd::kStopBuild, 32802, 32815, 32797,
      32791,  32795,  32741,  32796,  32794,  35020,  35413,  35414, cmd::kAppExit, cmd::kRemoveItem};
  return kLeaving.count(id) || (id >= 32804 && id <= 32813) || TakesAwayTheState(id);
}


// The commands whose windows have a list whose rows their buttons act on
// (the Breakpoints dialog's Kill Selected): answered also with a row chosen.
inline bool ActsOnRows(CommandId id) { return id == 35041; }

// The commands that start something the next step may meet while it
// runs (a build, a translation, the target, a step, a session, a tool),
// and those a user gives right after them: Stop Build, Close Project,
// Exit, the session's end.
inline bool Starts(CommandId id) {
  static const std::set<CommandId> kStarting = {cmd::kBuildTarget, cmd::kRebuildAll, cmd::kTranslate, 35403, 35092,
                                                32791,  32794,  32795,  32741,  32796, cmd::kDebugStartStop, 35105};
  return kStarting.count(id) || (id >= 32930 && id <= 32950);
}
inline const std::vector<CommandId>& Interrupting() {
  static const std::vector<CommandId> ids = {cmd::kStopBuild, cmd::kCloseProject, cmd::kAppExit,
                                             cmd::kDebugStartStop, 32797};
  return ids;
}

struct WalkCounts {
  int asked = 0;        // enable states asked
  int ran = 0;          // commands and menu items run
  int menus = 0;        // context menus opened and listed
  int random = 0;       // steps of the random road
  int keys = 0;         // commands reached by their keys
  int messages = 0;     // message boxes answered
  int restarts = 0;     // starts again after Exit on the road
};

class CommandWalk {
 public:
  // `start` names how the session was started (none, example, looping,
  // firstgen): the replay starts the same way.
  CommandWalk(CMainFrame* frame, ShellApp& app, WalkAnswers& answers, std::string state, std::string start,
              unsigned seed)
      : m_frame(frame), m_app(&app), m_answers(answers), m_state(std::move(state)), m_start(std::move(start)),
        m_seed(seed), m_files(answers.folder()) {
    if (m_start == "none" || m_start == "firstgen")
      for (const char* copied : {"Startup.s", "LPC2138.ld"}) m_files.Forget(answers.folder() + copied);
    // The program's own settings, which the session keeps beside the
    // example: written whenever the program saves its settings (an open
    // file's place in the recent list among them), never a user's file.
    m_files.Forget(answers.folder() + "settings.ini");
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(PrintWalkUnderWay);
    // Without a sanitizer nothing else prints the road a crash ends on.
    CrashRoad::Begin("state " + m_state + ", seed " + std::to_string(m_seed), m_start);
    if (!__sanitizer_set_death_callback) CrashRoad::Install();
    WalkDescriber() = [this] { return Where(); };
    m_answers.typed = [this](QLineEdit* e, const QString& text) { m_given.texts.Typed(e, text); };
    m_answers.atOk = [this](QDialog& d) {
      const ProjectRec* p = m_app->Project();
      m_given.texts.AtOk(d, p && p->curTarget ? p->curTarget->name.str() : std::string(),
                         p ? ProjectSiblingPath(*p, "Pm2") : std::string());
    };
    m_answers.takesLongText = [](QLineEdit* e) { return TypedTexts::FollowedField(*e) != nullptr; };
    m_answers.pageShown = [this](QWidget* page) { m_given.texts.PageShown(page); };
    m_answers.beforeButton = [this](QAbstractButton& b) { m_judge.BeforeButton(b, m_frame->Debugger()->Session()); };
    m_answers.afterButton = [this] { m_judge.AfterButton(); };
  }
  // A report from the session's end (a thread that outlived Exit) still
  // names the road that led there.
  ~CommandWalk() {
    m_answers.typed = nullptr;
    m_answers.atOk = nullptr;
    m_answers.takesLongText = nullptr;
    m_answers.pageShown = nullptr;
    m_answers.beforeButton = nullptr;
    m_answers.afterButton = nullptr;
    WalkDescriber() = nullptr;
    WalkUnderWay() = "the end of the session after " + Where();
  }

  // The road so far as PM2_WALK_REPLAY takes it.
  std::string Replay() const {
    std::string road = m_start + ":";
    for (size_t i = 0; i < m_road.size(); ++i) road += (i ? ";" : "") + m_road[i];
    return road;
  }
  std::string Where() const {
    return "state " + m_state + ", seed " + std::to_string(m_seed) + ", road (" + std::to_string(m_road.size()) +
           " steps):\n  PM2_WALK_REPLAY=" + ShellQuoted(Replay());
  }
  // For a shell's command line: in single quotes, a quote in the road
  // (a menu item's text) closed, escaped and opened again.
  static std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    out.reserve(text.size() + 2);
    for (char c : text) {
      if (c == '\'')
        out += "'\\''";
      else
        out += c;
    }
    return out + "'";
  }

  // Runs the steps of a road; false (with `fault`) at the first failure.
  bool RunRoad(const std::string& road) {
    size_t at = 0;
    while (at <= road.size() && !road.empty()) {
      const size_t end = std::min(road.find(';', at), road.size());
      const std::string step = road.substr(at, end - at);
      if (!step.empty() && !Run(step)) return false;
      at = end + 1;
    }
    return true;
  }

  // One step and the checks after it.
  bool Run(const std::string& step) {
    CrashRoad::Step(step);
    m_road.push_back(step);
    HangGuard guard([this, step] { return "the walk's step '" + step + "' in " + Where(); }, std::chrono::seconds(150));
    std::string name = step;
    // "!": the next step follows at once, before the event loop turns (a
    // second key the user pressed before the program took up the first).
    const bool atOnce = !name.empty() && name.back() == '!';
    if (atOnce) name.pop_back();
    Answer mode = Answer::kDefault;
    int text = 0;
    if (const size_t slash = name.rfind('/'); slash != std::string::npos && slash + 1 < name.size() &&
                                              name.find(':') == std::string::npos) {
      const std::string how = name.substr(slash + 1);
      if (how == "c") mode = Answer::kCancel;
      else if (how == "b") mode = Answer::kButtons;
      else if (how == "r") mode = Answer::kRowButtons;
      else if (how[0] == 'f') mode = Answer::kFill, text = std::atoi(how.c_str() + 1);
      name.resize(slash);
    } else if (name.size() > 2 && name.compare(name.size() - 2, 2, "/c") == 0) {
      mode = Answer::kCancel;
      name.resize(name.size() - 2);
    } else if (const size_t fill = name.rfind("/f");
               name.rfind("ctx:", 0) == 0 && fill != std::string::npos && fill + 2 < name.size() &&
               name.find_first_not_of("0123456789", fill + 2) == std::string::npos) {
      // A context menu's item whose window gets its fields changed.
      mode = Answer::kFill, text = std::atoi(name.c_str() + fill + 2);
      name.resize(fill);
    }
    // The questions of a step the checks did not follow stay for the next.
    m_passes.StepBegins(m_frame->Debugger()->Session(), name, !m_lastAtOnce);
    if (m_lastAtOnce) {
      m_carried.insert(m_carried.end(), m_answers.asked.begin(), m_answers.asked.end());
      m_carriedBoxes.insert(m_carriedBoxes.end(), m_answers.boxes.begin(), m_answers.boxes.end());
      m_carriedAnswers.insert(m_carriedAnswers.end(), m_answers.answeredWith.begin(), m_answers.answeredWith.end());
    } else {
      m_stalls.Restart();
      m_input.Restart();
      m_expected = false;
      m_given.StepBegins(m_frame);
      m_textsBefore = DocumentTexts();
      m_judge.StepBegins(m_frame);
      m_stepProjects = m_projectFiles;
    }
    m_judge.StepTaken();
    m_followsAtOnce = m_lastAtOnce;
    m_lastAtOnce = atOnce;
    NoteOpenProject();
    // A field given a text a user may leave there may be refused, with a
    // message that says so.
    if (mode == Answer::kFill || mode == Answer::kButtons || mode == Answer::kRowButtons || m_answers.Giving())
      m_expected = m_typed = true;
    m_answers.Start(mode, text);
    if (name == "await-stop") {
      DebugSession& s = m_frame->Debugger()->Session();
      // Still as a user sees it: the arrow shown in an editor.
      if (!WaitFor([&] { return s.SessionActive() && !s.TargetExecuting() && ArrowShown(); })) {
        const std::string page = m_frame->Debugger()->CommandPage()
                                     ? m_frame->Debugger()->CommandPage()->Text().toStdString()
                                     : std::string("(no command page)");
        return Fail("the debug session did not stand still (active " + std::to_string(s.SessionActive()) +
                    ", running " + std::to_string(s.TargetExecuting()) + ", arrow " + std::to_string(ArrowShown()) +
                    "); the command page:\n" + page.substr(page.size() > 2000 ? page.size() - 2000 : 0));
      }
    } else if (name == "await-end") {
      DebugSession& s = m_frame->Debugger()->Session();
      if (!WaitFor([&] { return !s.SessionActive() && SessionIdle(); })) {
        const std::string page = m_frame->Debugger()->CommandPage()
                                     ? m_frame->Debugger()->CommandPage()->Text().toStdString()
                                     : std::string("(no command page)");
        return Fail("the debug session did not end (running " + std::to_string(s.TargetExecuting()) +
                    "); the command page:\n" + page.substr(page.size() > 2000 ? page.size() - 2000 : 0));
      }
    } else if (name.rfind("type:", 0) == 0) {
      // Typed into the Command page's line, then Enter, as a user types.
      auto* page = dynamic_cast<CommandWindow*>(m_frame->Debugger()->CommandPage());
      if (!page || !page->Input()->isVisible()) return Fail("no Command page to type into");
      page->Input()->setFocus();
      QTest::keyClicks(page->Input(), QString::fromStdString(name.substr(5)));
      QTest::keyClick(page->Input(), Qt::Key_Return);
      if (Tracing()) {
        const std::string said = page->Text().toStdString();
        std::fprintf(stderr, "walk: the command page ends:\n%s\n",
                     said.substr(said.size() > 600 ? said.size() - 600 : 0).c_str());
      }
    } else if (name == "bp-session") {
      // Breakpoints a step given at once before it changed are noted first.
      if (m_chainDefines && !BreakpointsAsDefined(name, std::exchange(m_chainDefines, false))) return false;
      if (!SessionAgainKeepsBreakpoints()) return false;
    } else if (name.rfind("value:", 0) == 0) {
      if (const std::string why = ValueAsExpected(m_frame->Debugger()->Session(), name.substr(6)); !why.empty())
        return Fail(why);
    } else if (name == "await-held") {
      if (!heldCompilerRuns || !WaitFor(heldCompilerRuns)) return Fail("the held compiler did not start");
    } else if (name == "restart") {
      // After Exit: the program started again on the same folder, and the
      // project it reopened compares equal with the files Exit wrote.
      if (m_frame->isVisible()) return Fail("the program is started again while its window is still open");
      Session* again = restart ? restart() : nullptr;
      if (!again) return Fail("the program did not start again");
      m_frame = again->Frame();
      m_app = &again->App();
      ++counts.restarts;
      if (!StartMatches() || !StartKeepsWhatWasGiven()) return false;
      if (const auto rows = std::exchange(m_rowsAtClose, std::nullopt)) {
        if (const std::string kept = KeptRows(rows->memory); kept != rows->shown)
          return Fail("the rows the windows showed when a stop closed the program are not those it reopened with: " +
                      FirstDifference(rows->shown, kept, "shown", "reopened"));
      }
    } else if (name == "await-session") {
      // A session started, its driver done (a driver may show no arrow).
      DebugSession& s = m_frame->Debugger()->Session();
      if (!WaitFor([&] { return s.SessionActive() && !s.DriverBusy(); })) return Fail("no debug session started");
    } else if (name == "texts-kept") {
      // The texts the sheets were given, against the project file as the
      // program's Save All writes it now.
      ProjectRec* p = m_app->Project();
      if (p) {
        m_given.texts.ForgetRemoved(*p);
        m_frame->ExecuteCommand(cmd::kSaveAll);
        if (!WaitFor([&] { return SessionIdle(); })) return Fail("Save All did not end");
        const std::string path = ProjectSiblingPath(*p, "Pm2");
        if (!GivenKept(m_given.texts.CompareKept(
                SavedOrKept(path, UntouchedFiles::Read(path), BuildProjectFileText(*p)), "as Save All wrote it")))
          return false;
      }
    } else if (name == "await-idle") {
      // Nothing more: the checks wait for what runs to end.
    } else if (name.rfind("name:", 0) == 0) {
      m_answers.NameNextSave(name.substr(5));
      return true;
    } else if (name.rfind("device:", 0) == 0) {
      m_answers.nextDevice = name.substr(7);
      return true;
    } else if (name == "come-back") {
      // The user comes back to the program from another one.
      emit qApp->applicationStateChanged(Qt::ApplicationActive);
    } else if (name.rfind("with:", 0) == 0) {
      m_answers.GiveNext(name.substr(5));
      return true;
    } else if (name.rfind("watch:", 0) == 0 || name.rfind("expand:", 0) == 0 || name.rfind("memory:", 0) == 0 ||
               name.rfind("serial:", 0) == 0) {
      const std::string kind = name.substr(0, name.find(':'));
      int n = 0;
      std::string text;
      if (!WalkDebugInput::Split(name.substr(kind.size() + 1), kind == "memory" ? 4 : kind == "serial" ? 3 : 2, &n,
                                 &text))
        return Fail("a step '" + kind + ":' names no window");
      WalkDebugInput input(m_frame);
      // After a step that closed the frame or ended the session (or began
      // to, given at once) the windows are gone: the keys go nowhere.
      const auto there = [&] {
        return m_frame->isVisible() && m_frame->Debugger()->Session().SessionActive() && !m_followsAtOnce;
      };
      const bool wasThere = there();
      const std::string why = kind == "watch"    ? input.TypeWatchRow(n, text)
                              : kind == "expand" ? input.ExpandWatchRow(n, text)
                              : kind == "memory" ? input.TypeMemoryAddress(n, text)
                                                 : input.TypeSerial(n, text);
      if (!why.empty() && wasThere && there()) return Fail(why);
    } else if (name.rfind("await-serial:", 0) == 0) {
      int n = 0;
      std::string text;
      WalkDebugInput input(m_frame);
      if (!WalkDebugInput::Split(name.substr(13), 3, &n, &text)) return Fail("a step 'await-serial:' names no window");
      if (!WaitFor([&] { return input.SerialHas(n, text); }))
        return Fail("serial window #" + std::to_string(n) + " did not receive '" + text + "'");
    } else if (name.rfind("await-memory:", 0) == 0) {
      WalkDebugInput input(m_frame);
      if (!WaitFor([&] { return input.MemoryShows(name.substr(13)); }))
        return Fail("the memory window does not show '" + name.substr(13) + "'");
    } else if (WalkModeless::IsStep(name)) {
      // A text a user may leave in a field may be refused, with a message.
      m_expected = m_typed = true;
      const std::string rest = name.substr(9);
      const bool there = WalkModeless::Named(rest.substr(0, rest.rfind('/'))) != nullptr;
      if (const std::string why = WalkModeless::Run(rest, m_answers); !why.empty()) return Fail(why);
      if (const long line = WalkModeless::LineTyped(rest); there && line > 0) m_judge.LineJudged(m_frame, line);
    } else if (WalkFindStep::IsStep(name)) {
      m_expected = m_typed = true;
      // (Under a window that holds the main window its key runs nothing.)
      const auto open = [this] {
        if (!FrameHeld() && m_frame->Editors().Active() && m_frame->QueryCommand(57641).enabled)
          AsAnEvent([&] { m_frame->ExecuteCommand(57641); });
      };
      if (const std::string why = WalkFindStep::Run(name.substr(5), m_judge, open); !why.empty()) return Fail(why);
    } else if (name == "hold") {
      // The window that holds the main window (the print preview) stays
      // open: the state the road walks in.
      m_answers.keepHolder = true;
    } else if (name == "close-main") {
      // The main window's close button, under a window that holds it: the
      // close is refused (with a beep) and the program stays.
      const bool heldFrame = FrameHeld();
      m_frame->close();
      if (heldFrame && !m_frame->isVisible())
        return Fail("the main window closed while '" + HolderTitle() + "' holds it");
      closed = !m_frame->isVisible();
    } else if (name.rfind("peer:", 0) == 0) {
      return Holds(m_peers.StartPeer(name.substr(5), m_answers));
    } else if (name == "attach") {
      // Once: a state's road walked again keeps the peer it attached.
      if (!m_peers.Attached() && !Holds(m_peers.AttachPeer())) return false;
    } else if (name.rfind("select:", 0) == 0) {
      // Where the project window is hidden there is nothing a user could
      // click: the step is passed over.
      HTREEITEM item = Bars().ItemWithText(name.substr(7));
      if (Bars().TreeShown() && (!item || !Bars().Click(item, false)))
        return Fail("the project window shows no item '" + name.substr(7) + "'");
      m_selected = name.substr(7);
    } else if (name.rfind("target:", 0) == 0) {
      if (!Bars().ChooseTarget(name.substr(7))) return Fail("the target box offers no target '" + name.substr(7) + "'");
    } else if (name.rfind("menu:", 0) == 0) {
      const size_t colon = name.find(':', 5);
      if (colon == std::string::npos) return Fail("a menu step names no item");
      m_answers.ChooseInNextMenu(name.substr(colon + 1));
      ++counts.ran;
      if (!Bars().OpenBarMenu(name.substr(5, colon - 5), m_answers)) return Fail("the menu bar has no menu '" + name.substr(5, colon - 5) + "'");
    } else if (name.rfind("keys:", 0) == 0) {
      // Keys pressed in the active editor's text, a click into it first.
      EditorView* view = m_frame->Editors().Active();
      if (!view) return Fail("no editor to press keys in");
      EditorDocument* doc = m_frame->Editors().ActiveDocument();
      const std::string before = doc ? doc->Text().GetText() : std::string();
      view->setFocus();
      for (const QString& key : QString::fromStdString(name.substr(5)).split(',')) {
        const QKeySequence sequence(key);
        if (sequence.isEmpty()) return Fail("no key '" + key.toStdString() + "'");
        QTest::keyClick(view, sequence[0].key(), sequence[0].keyboardModifiers());
      }
      // The text the keys changed is a changed text for the judges of its
      // saves, whatever the program's mark says.
      if (doc && m_frame->Editors().ActiveDocument() == doc && doc->Text().GetText() != before)
        m_judge.TextTyped(doc);
    } else if (name.rfind("caret:", 0) == 0) {
      // The caret put at the start of a line by the keys a user presses:
      // to the text's start, then down line by line.
      EditorView* view = m_frame->Editors().Active();
      if (!view) return Fail("no editor to put the caret in");
      view->setFocus();
      QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
      for (long n = std::atol(name.c_str() + 6); n > 1 && view == m_frame->Editors().Active(); --n)
        QTest::keyClick(view, Qt::Key_Down);
    } else if (name.rfind("front:", 0) == 0) {
      // The file's window made the active one, as its entry in the Window
      // menu makes it.
      QMdiSubWindow* sheet = nullptr;
      for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
        if (!sheet && FileName(doc->Path()) == name.substr(6)) sheet = m_frame->Editors().SheetOf(doc);
      if (!sheet) return Fail("no editor window shows '" + name.substr(6) + "'");
      m_frame->MdiClient()->setActiveSubWindow(sheet);
    } else if (name.rfind("open:", 0) == 0) {
      AsAnEvent([&] { m_frame->OpenFileAndShow(m_answers.folder() + name.substr(5), 1, 0); });
    } else if (name.rfind("ctx:", 0) == 0) {
      const size_t colon = name.find(':', 4);
      if (colon == std::string::npos) return Fail("a menu step names no item");
      m_answers.ChooseInNextMenu(name.substr(colon + 1));
      ++counts.ran;
      m_judge.BeforeWatchItem(name.substr(colon + 1));
      Menus().OpenMenu(name.substr(4, colon - 4));
      if (!m_followsAtOnce && !MenuOpened(name.substr(4, colon - 4))) return false;
      if (!m_answers.chosen) m_judge.BeforeWatchItem("");
      m_judge.AfterWatchItem(m_frame->Debugger()->Session());
      if (m_answers.chosen)
        RanRecord::Line({"item", m_state, name.substr(4), std::to_string(m_answers.chosen->id), step});
    } else if (name.rfind("key:", 0) == 0) {
      const CommandId id = CommandId(std::stoul(name.substr(4)));
      const ACCEL* a = KeyOf(id);
      if (!a || QtKeyOf(a->key) == Qt::Key_unknown) return Fail("the command has no key the walk can press");
      ++counts.ran;
      ++counts.keys;
      // Where the user's key goes: the widget with the keyboard, else the
      // main window.
      QWidget* to = QApplication::focusWidget();
      if (!to || !to->isVisible()) to = m_frame;
      // Under a window that holds the main window (the print preview), the
      // key goes to the main window, as when the user clicked it and typed.
      const bool heldFrame = FrameHeld();
      if (heldFrame) to = m_frame->focusWidget() ? m_frame->focusWidget() : m_frame;
      const bool enabled = m_frame->QueryCommand(id).enabled;
      // Whether the key reached its command: an editor's own key that came
      // to the editor (a field, the find bar's included, keeps its own
      // Ctrl+Z), or one the frame took.
      const bool editorKey =
          FindKeyCommand(EditKeyFromQt(QtKeyOf(a->key)), EditModsFromQt(unsigned(QtModsOf(*a)))) == int(id);
      KeyArrival arrival(QtKeyOf(a->key));
      unsigned taken = 0;
      FrameKeys* keys = m_frame->Keys();
      const std::function<void(unsigned)> before = keys ? keys->onCommandKey : nullptr;
      if (keys)
        keys->onCommandKey = [&taken, before](unsigned c) {
          taken = c;
          if (before) before(c);
        };
      const size_t boxes = m_answers.boxes.size();
      m_judge.BeforeCommand(m_frame, id);
      QTest::keyClick(to, QtKeyOf(a->key), QtModsOf(*a));
      if (keys) keys->onCommandKey = before;
      keyReached = (editorKey && arrival.atEditor) || taken == id;
      m_judge.AfterCommand(keyReached && enabled, m_answers.boxes.size() > boxes);
      if (heldFrame && (taken != 0 || !FrameHeld()))
        return Fail("the key of command " + std::to_string(id) + " reached the main window while '" +
                    HolderTitle() + "' holds it");
      if (enabled && keyReached) RanRecord::Line({"ran", m_state, std::to_string(id), step});
    } else {
      const CommandId id = CommandId(std::stoul(name));
      ++counts.ran;
      if (Tracing() && !m_frame->QueryCommand(id).enabled) std::fprintf(stderr, "walk: %u is greyed\n", id);
      Execute(id, step);
    }
    NoteOpenProject();
    if (atOnce) {
      if (Tracing()) std::fprintf(stderr, "walk: %s (the next step at once)\n", step.c_str());
      // Breakpoints it changed are noted where the chain ends.
      m_chainDefines = m_chainDefines || DefinesBreakpoints(step);
      return true;
    }
    // An edit of a source's text moves its breakpoints with their lines,
    // and one on a line deleted goes with it (walk_given_kept.h).
    const bool edited = DocumentTexts() != m_textsBefore;
    if (edited) m_given.SourceEdited(m_frame->Debugger()->Session());
    // The questions of the chain and their answers, for the judges (the
    // checks take the carried ones); the step's own are taken after the
    // checks, whose waits turn the event loop: a close the step posted
    // (Exit's) asks its questions there.
    const std::vector<std::string> carried = m_carriedBoxes, carriedAnswers = std::exchange(m_carriedAnswers, {});
    const bool ok = Check() && Judged(carried, carriedAnswers) &&
                    BreakpointsAsDefined(step, std::exchange(m_chainDefines, false)) &&
                    GivenKept(m_passes.StepEnded(m_frame->Debugger()->Session()));
    // A text given for the step's window is not left for a later one.
    m_answers.GiveNext("");
    if (Tracing()) {
      DebugSession& s = m_frame->Debugger()->Session();
      const auto& lines = m_frame->Output()->BuildPane()->Model().Lines();
      std::fprintf(stderr, "walk: %s -> session %d, running %d, pc %x, asked %s, status '%s', build '%s'\n",
                   step.c_str(), s.SessionActive(), s.TargetExecuting(), unsigned(s.Record()->pc), ::testing::PrintToString(m_answers.asked).c_str(),
                   m_frame->Status()->GetWindowText().c_str(), lines.empty() ? "" : lines.back().c_str());
    }
    return ok;
  }

  // Every command asked, each enabled one run with Cancel (by its key
  // where the menus show one) and, when it asked something, with its
  // defaults (every page of its windows visited), then once more with the
  // fields changed or its own buttons pressed; then every item of every
  // context menu that is open to the user, the same way.
  bool Sweep() {
    // The context menus first, in the state as it was given (the commands
    // hide and close windows), then those the commands brought.
    // The editor in front when the sweep begins: brought to the front again
    // before each command where one before it put another window there
    // (the disassembly opened), as the user goes back to it.
    m_front = m_frame->Editors().Active() ? FileName(m_frame->Editors().ActivePath()) : std::string();
    if (FrameHeld()) return SweepHeld();
    std::set<std::string> listed;
    if (!SweepMenus(&listed)) return false;
    int windows = 0;
    for (CommandId id : WalkCommands()) {
      ++counts.asked;
      // A sheet's OK or Cancel refills the project window and clears its
      // selection: the user selects the item again before the next command.
      if (!Reselect() || !BackToTheFront()) return false;
      // Copy (and Cut after it) act on a selection: the caret's line
      // selected first, as the user selects it, where the commands before
      // left none.
      if (id == cmd::kEditCopy && !m_frame->QueryCommand(id).enabled && m_frame->Editors().Active() &&
          !Run("keys:Home,Shift+End"))
        return false;
      // Save and Save All given a changed text, as a user saves one: their
      // judges then have a text the file must come to hold.
      if ((id == cmd::kFileSave || id == cmd::kSaveAll) && !ChangeTheTextInFront()) return false;
      if (LeavesTheState(id) || !m_frame->QueryCommand(id).enabled) continue;
      const std::string command = std::to_string(id);
      if (!SweepRun((HasKey(id) ? "key:" + command : command) + "/c")) return false;
      // A key the widget with the keyboard kept for itself (the find box's
      // own Ctrl+Z): the command from its menu, as the user then gives it.
      if (HasKey(id) && !keyReached && m_frame->QueryCommand(id).enabled && !SweepRun(command + "/c")) return false;
      if (m_answers.Given() == 0) continue;
      if (!Reselect()) return false;
      if (!m_frame->QueryCommand(id).enabled) continue;
      const int pages = m_answers.pagesVisited;
      if (!SweepRun(command)) return false;
      const int n = windows++;
      const size_t texts = FieldTexts().size();
      const std::string changed =
          n % int(texts + 1) == int(texts) ? "/b" : "/f" + std::to_string((n + int(m_seed)) % int(texts));
      // A sheet also gets the texts every sheet is given (SheetFills).
      if (m_answers.pagesVisited > pages)
        for (const std::string& fill : SheetFills(changed))
          if (m_frame->QueryCommand(id).enabled && (!Reselect() || !SweepRun(command + fill))) return false;
      if (!Reselect()) return false;
      if (m_frame->QueryCommand(id).enabled && !SweepRun(command + changed)) return false;
      // A window whose list's rows its buttons act on: a row chosen first.
      if (ActsOnRows(id) && m_frame->QueryCommand(id).enabled && !SweepRun(command + "/r")) return false;
    }
    if (!SweepModeless()) return false;
    if (!SweepMenus(&listed)) return false;
    return CloseAChangedText();
  }
  // The text in front changed (a line added at its end, which moves no
  // breakpoint's line), then closed with Yes to "Save changes to ...?"
  // (its file must then hold it byte for byte), and opened again, so that
  // the state keeps its editor. Where the save is refused (a read-only
  // folder) the text stays open, changed.
  bool CloseAChangedText() {
    EditorDocument* doc = m_frame->Editors().ActiveDocument();
    const std::string path = doc ? doc->Path() : std::string(), folder = m_answers.folder();
    if (FrameHeld() || !doc || path.rfind(folder, 0) != 0 || !std::filesystem::exists(path)) return true;
    if (!ChangeTheTextInFront() || !m_frame->QueryCommand(57602).enabled || !SweepRun("57602")) return false;
    if (Showing(path) || !m_frame->isVisible()) return true;
    return SweepRun("open:" + path.substr(folder.size()));
  }
  // The text in front changed as a user changes it: a line added at its
  // end (no breakpoint's line moves), the caret then put back on its line
  // (the commands after it act there). False only where a step failed.
  bool ChangeTheTextInFront() {
    EditorView* view = m_frame->Editors().Active();
    if (FrameHeld() || !m_frame->isVisible() || !view) return true;
    const long line = view->Engine().State().nCaretLine;
    return Run("keys:Ctrl+End,Return") && Run("caret:" + std::to_string(line));
  }
  // Whether an editor holds that file.
  bool Showing(const std::string& path) const {
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
      if (doc->Path() == path) return true;
    return false;
  }
  // Each window the commands left open beside the main window typed into
  // (three texts of the table, which differ from state to state) and its
  // buttons pressed; left open for what follows.
  bool SweepModeless() {
    std::vector<std::string> names;
    for (const auto& [name, d] : WalkModeless::Open()) names.push_back(name);
    const size_t texts = FieldTexts().size(), from = (std::hash<std::string>()(m_state) + m_seed) % texts;
    for (const std::string& name : names)
      for (size_t k = 0; k < 3; ++k)
        if (WalkModeless::Named(name) && !SweepRun("modeless:" + name + "/f" + std::to_string((from + k) % texts)))
          return false;
    // And a word of the text searched, found and replaced.
    if ((WalkFindStep::Open() || m_frame->Editors().Active()) && !SweepRun("find:" + std::to_string(from + m_seed)))
      return false;
    // And a value that fits the field, as a user types it: a line inside
    // the file in front.
    for (const std::string& name : names)
      if (WalkModeless::TakesALine(name) && WalkModeless::Named(name) &&
          !SweepRun("modeless:" + name + "/l" + std::to_string(WalkJudge::LineInside(m_frame, m_seed + 7u))))
        return false;
    return true;
  }
  // A step of the sweep, which keeps the state it was given: one that
  // leaves it is named.
  bool SweepRun(const std::string& step) {
    if (!Run(step)) return false;
    const std::string left = sweepKeeps ? sweepKeeps() : std::string();
    return left.empty() || Fail("the sweep's step '" + step + "' left the state it was given: " + left);
  }
  // Every item of the context menu of each window open to the user,
  // except those whose menu was listed before.
  bool SweepMenus(std::set<std::string>* listed) {
    for (const std::string& target : Menus().MenuTargets()) {
      if (listed->count(target)) continue;
      // Listed again while its items enabled others (the listing back
      // from the trace view, then a breakpoint set at its line): those run
      // then.
      std::set<std::string> ran;
      for (size_t before = size_t(-1), pass = 0; pass < 3 && ran.size() != before; ++pass) {
        before = ran.size();
        if (!Reselect() || !BackToTheFront()) return false;
        const std::vector<MenuItem> items = Menus().ListMenu(target);
        if (!MenuOpened(target)) return false;
        // A window an item before took away is listed once it is back.
        if (m_answers.menuSeen) listed->insert(target);
        for (const MenuItem& item : items) {
          ++counts.asked;
          // An item that runs a command that leaves the state (Run till
          // Cursor line in the disassembly) waits for the random road.
          if (!item.enabled || (item.id != 0 && LeavesTheState(CommandId(item.id))) || !ran.insert(item.text).second)
            continue;
          // The bar's own entries that a window's menu begins with (Hide
          // among them, which would take the places after it away) are
          // walked on the bar itself.
          if (WalkPlaces::IsPlace(target) && item.id >= kIdAllowDocking && item.id <= kIdFloatInMainWindow) continue;
          const std::string step = "ctx:" + target + ":" + item.text;
          if (!SweepRun(step + "/c")) return false;
          const int pages = m_answers.pagesVisited;
          if (m_answers.Given() > 0 && !SweepRun(step)) return false;
          // A sheet the item opens (a group's or a file's options) gets the
          // texts every sheet is given, its own fields' texts judged.
          if (m_answers.pagesVisited > pages)
            for (const std::string& fill : SheetFills(""))
              if (!Reselect() || !SweepRun(step + fill)) return false;
        }
      }
    }
    return true;
  }

  // A random road of `steps` enabled commands and menu items, Exit, Close
  // Project and Stop Build among them. A command that starts something is
  // now and then followed at once by one that ends it (Stop Build, Close
  // Project, Exit, the session's end, Stop Running). Where Exit closed the
  // frame with steps left, the program is started again (where the walk
  // can: `restart`) and the road goes on.
  bool Random(int steps) {
    std::mt19937 rng(RoadSeed(m_seed, m_state));
    const std::vector<CommandId> all = WalkCommands();
    for (int n = 0; n < steps && (!closed || restart); ++n) {
      if (closed) {
        if (!Run("restart")) return false;
        closed = false;
        continue;
      }
      std::vector<std::string> choices;
      if (FrameHeld()) {
        choices = HeldChoices();
        std::string step = choices[rng() % choices.size()];
        if (WalkModeless::IsStep(step)) step = WalkModeless::StepFor(step.substr(9), rng);
        ++counts.random;
        if (!Run(step)) return false;
        closed = !m_frame->isVisible();
        continue;
      }
      for (CommandId id : all)
        if (m_frame->QueryCommand(id).enabled) choices.push_back(std::to_string(id));
      for (const std::string& target : Menus().MenuTargets()) choices.push_back("ctx:" + target);
      // A window left open beside the main window, typed into (it weighs
      // as a few commands: a user goes back to it).
      for (const auto& [name, d] : WalkModeless::Open())
        for (int w = 0; w < 4; ++w) choices.push_back("modeless:" + name);
      // Where the road chose a row of the project window, another row now
      // and then (a target, a group or a file).
      if (!m_selected.empty() && Bars().TreeShown() && !Bars().ProjectRows().empty()) choices.push_back("select:");
      // Another target, where the project has several.
      if (!Bars().OtherTargets().empty()) choices.push_back("target:");
      if (choices.empty()) return Fail("no command is enabled");
      std::string step = choices[rng() % choices.size()];
      bool starter = false;
      // Now and then the session ended and started again.
      if (m_app->Project() && rng() % 30 == 0) step = "bp-session";
      // Now and then, in a session, a text typed into a debug window.
      const DebugSession& session = m_frame->Debugger()->Session();
      if (step != "bp-session" && session.SessionActive() && rng() % 15 == 0)
        step = WalkDebugInput::TypingStep(rng, session.TargetExecuting());
      if (step == "bp-session" || WalkDebugInput::IsTyping(step)) {
      } else if (step == "select:") {
        const std::vector<std::string> rows = Bars().ProjectRows();
        step += rows[rng() % rows.size()];
      } else if (step == "target:") {
        const std::vector<std::string> others = Bars().OtherTargets();
        step += others[rng() % others.size()];
      } else if (WalkModeless::IsStep(step)) {
        const std::string window = step.substr(9);
        step = WalkModeless::StepFor(window, rng);
        if (WalkModeless::TakesALine(window) && rng() % 3 == 0)
          step = "modeless:" + window + "/l" + std::to_string(WalkJudge::LineInside(m_frame, unsigned(rng())));
        else if (window.find("EditFindDialog") != std::string::npos && rng() % 3 == 0)
          step = "find:" + std::to_string(rng() % 1000);
      } else if (step.rfind("ctx:", 0) == 0) {
        std::vector<std::string> enabled;
        for (const MenuItem& item : Menus().ListMenu(step.substr(4)))
          if (item.enabled) enabled.push_back(item.text);
        if (!MenuOpened(step.substr(4))) return false;
        if (enabled.empty()) continue;
        step += ":" + enabled[rng() % enabled.size()];
        if (rng() % 3 == 0) {
          step += "/c";
        } else if (rng() % 4 == 0) {
          // The window the item opens (an entry of values, a name) given
          // one of the texts a user may leave in a field.
          const std::string& text = WalkDebugInput::Texts()[rng() % WalkDebugInput::Texts().size()];
          if (text.find(';') == std::string::npos && !Run("with:" + text)) return false;
        }
      } else {
        const CommandId id = CommandId(std::stoul(step));
        starter = Starts(id) && rng() % 3 == 0;
        if (HasKey(id) && rng() % 2 == 0) step = "key:" + step;
        switch (rng() % 8) {
          case 0:
          case 1:
            step += "/c";
            break;
          case 2:
            if (step[0] != 'k') step += "/f" + std::to_string(rng() % FieldTexts().size());
            break;
          case 3:
            if (step[0] != 'k') step += ActsOnRows(id) && rng() % 2 == 0 ? "/r" : "/b";
            break;
          default:
            break;
        }
        // Now and then the next step follows at once, as a second key
        // pressed before the program took up the first: the roads where a
        // posted event meets what the command after it freed.
        if (starter || rng() % 8 == 0) step += "!";
      }
      ++counts.random;
      if (!Run(step)) return false;
      closed = !m_frame->isVisible();
      if (!starter || closed) continue;
      // What ends the started thing, at once or after the event loop turned.
      // Exit less often than the others: it ends the road.
      std::string end = Ender(rng);
      ++n;
      ++counts.random;
      if (!Run(end)) return false;
      closed = !m_frame->isVisible();
      // An ender given at once is followed 1 time in 2 by another (Stop
      // Running, then the session's end): what the first posted is taken up
      // after the second freed what it names.
      if (closed || end.back() != '!' || rng() % 2 != 0) continue;
      end = Ender(rng);
      ++n;
      ++counts.random;
      if (!Run(end)) return false;
      closed = !m_frame->isVisible();
    }
    return true;
  }

  // Each debug command that starts the target (Go, the steps, Run to
  // Cursor), enabled in the state, in a seeded order, with the Code
  // Coverage window open (it reads the driver's records): the command,
  // Stop Running and the session's end, each at once. A step that runs on
  // posts the driver's text, Stop Running a stop, and the session's end
  // unloads the driver behind them. `again` brings the state back after
  // each chain (the session ended); the last leaves it as it was given.
  bool Interrupt(const std::function<bool()>& again) {
    std::mt19937 rng(m_seed + 7919u);
    std::vector<CommandId> starters = {32791, 32794, 32795, 32741, 32796};
    std::shuffle(starters.begin(), starters.end(), rng);
    DebugSession& s = m_frame->Debugger()->Session();
    for (CommandId starter : starters) {
      if (closed || !s.SessionActive() || s.TargetExecuting() || !m_frame->QueryCommand(starter).enabled) continue;
      // Shown or hidden by the same command: opened only where closed.
      if (m_frame->QueryCommand(35047).check == 0 && !Run("35047/c")) return false;
      if (!Run(std::to_string(starter) + "!") || !Run("32797!") || !Run("32802")) return false;
      closed = !m_frame->isVisible();
      // The stop given at once may come before the run is under way (Stop
      // Running is greyed then), and the session's end asked for while the
      // target runs waits for its stop: the target is stopped as a user
      // then stops it, and the session ends at that stop, or is ended once
      // it stands, so that the state can be brought back.
      if (!closed && s.SessionActive()) {
        const bool endWaits = s.EndAsked();
        if (!Run("32797")) return false;
        if (endWaits ? !Run("await-end") : (!Run("await-stop") || !Run("32802"))) return false;
      }
      closed = !m_frame->isVisible();
      if (!closed && !s.SessionActive() && !again()) return false;
    }
    return true;
  }

  // The commands that move a stopped target's program counter and leave it
  // stopped (Set Program Counter at the disassembly's cursor, Reset CPU),
  // where enabled: after the sweep, which they would have taken away from
  // where the state stands.
  bool MoveTheCounter() {
    for (CommandId id : {35413u, 35020u})
      if (!closed && m_frame->QueryCommand(id).enabled && !Run(std::to_string(id) + "/c")) return false;
    return true;
  }

  // The commands that leave the state, answered with Cancel, then Exit:
  // the frame closes, or stays with the reason it gave.
  bool Tail() {
    // A held build runs on into Exit, which ends it (Stop Build is met on
    // the road).
    const bool held = Held();
    // A window that holds the main window closed first: the user reaches
    // the menus once it is gone.
    for (const auto& [name, d] : WalkModeless::Open())
      if (FrameHeld() && WalkAnswers::HoldingWindow() == d && !Run("modeless:" + name + "/x")) return false;
    if (FrameHeld()) return Fail("'" + HolderTitle() + "' did not close with its closing button");
    // Those that move a stopped target's program counter (Set Program
    // Counter at the disassembly's cursor, Reset CPU) first, while it still
    // stands: the others run it or end its session.
    std::vector<CommandId> ids = {35413, 35020};
    for (CommandId id : WalkCommands())
      if (id != 35413 && id != 35020) ids.push_back(id);
    for (CommandId id : ids)
      if (LeavesTheState(id) && id != cmd::kAppExit && !(held && id == cmd::kStopBuild) &&
          m_frame->QueryCommand(id).enabled && !Run(std::to_string(id) + "/c"))
        return false;
    // Exit given a changed text (the example's source opened again where
    // the commands before closed every editor): Yes to its question saves
    // it byte for byte.
    if (m_frame->isVisible() && !m_frame->Editors().Active() &&
        std::filesystem::exists(m_answers.folder() + "Blinky.c") && !Run("open:Blinky.c"))
      return false;
    if (!ChangeTheTextInFront()) return false;
    if (!Run(std::to_string(cmd::kAppExit))) return false;
    closed = !m_frame->isVisible();
    return true;
  }

  // At the walk's end the peer attached by "attach" is still answered
  // (walk_peers.h), having taken `peerEvents` notifications.
  bool PeerStillAnswered() {
    return Holds(m_peers.PeerStillAnswered(m_frame->Debugger()->Session(), &peerEvents));
  }

  WalkCounts counts;
  // Starts the program again after Exit closed its frame (as the user
  // starts it again on the same folder): the new session, or null.
  std::function<Session*()> restart;
  bool keyReached = false;  // the last key step's key reached its command
  int peerEvents = -1;  // what the attached peer took, once it ended
  std::string fault;
  bool closed = false;  // Exit closed the frame
  bool m_chainDefines = false;  // a step followed at once defined breakpoints
  std::string m_textsBefore;    // the open documents' texts as the chain began (DocumentTexts)
  CountedPasses m_passes;       // a counted breakpoint met again
  // The watch rows and memory pages shown when a session's end carried out
  // an Exit asked while the target ran.
  struct RowsAtClose {
    std::string shown;
    bool memory = false;
  };
  std::optional<RowsAtClose> m_rowsAtClose;
  // Whether a build the state holds runs (its compiler waits): the checks
  // do not wait for its end, and its processes are explained; and whether
  // the held compiler has started.
  std::function<bool()> buildHeld, heldCompilerRuns;
  // Why the state the sweep was given is no longer there ("" while it is):
  // checked after each of its steps.
  std::function<std::string()> sweepKeeps;
  // The texts of every message box met, for the walk's record.
  std::set<std::string> messages;
  // A window that does not answer for longer than this hangs.
  static constexpr int kStallSeconds = 5;

 private:
  bool Held() const { return buildHeld && buildHeld(); }
  // The main window held by a window of the program (disabled while the
  // print preview shows): the user reaches only that window, the main
  // window's keys and its close button, and the peers.
  bool FrameHeld() const { return !m_frame->isEnabled() && WalkAnswers::HoldingWindow(); }
  static std::string HolderTitle() {
    QWidget* holder = WalkAnswers::HoldingWindow();
    return holder ? holder->windowTitle().toStdString() : std::string("a window");
  }
  // Under a held main window: every command's key pressed in it (none may
  // run), its close button, a peer's build, then the holding window's
  // fields and buttons; the window is left open.
  bool SweepHeld() {
    for (CommandId id : WalkCommands())
      if (HasKey(id) && FrameHeld() && !SweepRun("key:" + std::to_string(id))) return false;
    if (FrameHeld() && !SweepRun("close-main")) return false;
    if (FrameHeld() && !SweepRun("peer:0")) return false;
    return SweepModeless();
  }
  // The steps a user has under a held main window.
  std::vector<std::string> HeldChoices() const {
    std::vector<std::string> choices = {"close-main", "peer:0"};
    for (CommandId id : WalkCommands())
      if (HasKey(id)) choices.push_back("key:" + std::to_string(id));
    for (const auto& [name, d] : WalkModeless::Open())
      for (int w = 0; w < 8; ++w) choices.push_back("modeless:" + name);
    return choices;
  }
  // A path as one file has it, whatever the form it was given in.
  static std::string SameFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
  }
  static std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
  // The sweep's editor brought to the front again where another window
  // took its place (while the editor is still open).
  bool BackToTheFront() {
    if (m_front.empty() || (m_frame->Editors().Active() && FileName(m_frame->Editors().ActivePath()) == m_front))
      return true;
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
      if (FileName(doc->Path()) == m_front && m_frame->Editors().SheetOf(doc)) return Run("front:" + m_front);
    return true;
  }
  // A command run as the step says, recorded (PM2_WALK_RAN) when enabled.
  void NoteRan(CommandId id, const std::string& step) {
    if (RanRecord::On() && m_frame->QueryCommand(id).enabled)
      RanRecord::Line({"ran", m_state, std::to_string(id), step});
  }
  void Execute(CommandId id, const std::string& step) {
    NoteRan(id, step);
    const size_t boxes = m_answers.boxes.size();
    m_judge.BeforeCommand(m_frame, id);
    AsAnEvent([&] { m_frame->ExecuteCommand(id); });
    m_judge.AfterCommand(true, m_answers.boxes.size() > boxes);
  }
  // An ender for what the step before started: Exit 1 time in 4 among the
  // enabled ones; given at once 1 time in 4.
  std::string Ender(std::mt19937& rng) {
    std::vector<std::string> enders;
    const bool exitToo = rng() % 4 == 0;
    for (CommandId id : Interrupting())
      if ((id != cmd::kAppExit || exitToo) && m_frame->QueryCommand(id).enabled) enders.push_back(std::to_string(id));
    if (enders.empty()) {
      rng();  // the pick among one, as the roads recorded before took it
      return "await-idle";
    }
    std::string end = enders[rng() % enders.size()];
    if (rng() % 4 == 0) end += "!";
    return end;
  }
  void NoteOpenProject() {
    if (ProjectRec* p = m_app->Project()) {
      m_openedFiles.insert(ProjectSiblingPath(*p, "Pm2"));
      m_openedFiles.insert(ProjectSiblingPath(*p, "Opt"));
    }
  }
  // What a step that did not end left running, for its failure: the busy
  // state, the modal window, the build's last lines and the processes.
  std::string WhatRuns() {
    std::string out = std::string("busy ") + (m_app->HasState(kStateBusy) ? "yes" : "no");
    if (QWidget* modal = QApplication::activeModalWidget())
      out += ", modal window " + std::string(modal->metaObject()->className()) + " '" +
             modal->windowTitle().toStdString() + "'";
    const auto& lines = m_frame->Output()->BuildPane()->Model().Lines();
    out += ", the build's last lines:";
    for (size_t i = lines.size() > 5 ? lines.size() - 5 : 0; i < lines.size(); ++i) out += "\n    " + lines[i];
    out += "\n  processes: " + ::testing::PrintToString(UnexplainedChildren(true));
    // Whether what the build's thread posted waits for the event loop: the
    // posted events sent by hand, the busy state asked again.
    QCoreApplication::sendPostedEvents();
    out += std::string("\n  after the posted events were sent by hand: busy ") +
           (m_app->HasState(kStateBusy) ? "yes" : "no") + ", loop level " +
           std::to_string(QThread::currentThread()->loopLevel());
    // PM2_WALK_STACKS: every thread's stack too, as gdb sees it.
    if (std::getenv("PM2_WALK_STACKS")) {
      const std::string gdb = "gdb -p " + std::to_string(::getpid()) +
                              " -batch -ex 'thread apply all bt 30' >&2 2>/dev/null";
      (void)std::system(gdb.c_str());
    }
    return out;
  }
  // PM2_WALK_TRACE: each step said on stderr as it ends.
  static bool Tracing() { return WalkTracing(); }
  // A check's answer: "" where it holds, else why it fails.
  bool Holds(const std::string& why) { return why.empty() || Fail(why); }
  bool Fail(const std::string& why) {
    fault = why + "\n in " + Where();
    ADD_FAILURE() << fault;
    return false;
  }

  bool Check() {
    if (!WaitFor([&] {
          return (Held() || !m_app->HasState(kStateBusy)) && !QApplication::activeModalWidget() &&
                 (m_answers.keepHolder || !WalkAnswers::HoldingWindow());
        }))
      return Fail("a build, a tool or a window did not end: " + WhatRuns());
    if (!Holds(m_peers.PeerEnds()) || !Holds(m_peers.PeerAnswered(m_answers)) || !Holds(m_peers.AttachedPeerHolds()))
      return false;
    if (m_answers.TooMany()) return Fail("the command kept asking (" + std::to_string(m_answers.Given()) + " windows)");
    if (!EventLoopTurns([](auto done) { return WaitFor(done); })) return Fail("the event loop no longer turns");
    // A window that did not answer for this long while the step ran hangs,
    // whatever ended it later.
    if (const double stall = m_stalls.Longest(); stall > kStallSeconds) {
      char said[160];
      std::snprintf(said, sizeof said, "the window did not answer for %.1f s (more than %d s: a hang)", stall,
                    kStallSeconds);
      return Fail(said);
    }
    // And it took the user's keys: timers that ran meanwhile are no answer.
    if (Tracing())
      std::fprintf(stderr, "walk: the longest wait for input %.1f s (%d keys taken)\n", m_input.Longest(), m_input.taken);
    if (const std::string unanswered = InputUnanswered(m_input.Longest(), kStallSeconds); !unanswered.empty())
      return Fail(unanswered);
    if (!m_frame->QueryCommand(cmd::kAppAbout).enabled) return Fail("the frame no longer answers a query");
    DebugSession& s = m_frame->Debugger()->Session();
    // The sessions started and ended while a peer is attached, as far as
    // the steps show them.
    m_peers.NoteSession(s.SessionActive());
    std::vector<std::string> left;
    const std::set<int> own = m_peers.Own();
    if (!WaitFor([&] {
          left = UnexplainedChildren(s.SessionActive() || s.DriverBusy(), own);
          // A build that runs explains its tools: a held one's compiler
          // (and its own children) runs on, and any other build runs to
          // its end (a later step sees what it left).
          if (Held() || m_app->HasState(kStateBusy)) left.clear();
          return left.empty();
        })) {
      EndLeftBehind(left);
      return Fail("a process is left that the state does not explain (ended now): " +
                  ::testing::PrintToString(left));
    }
    if (!MessagesExpected()) return false;
    if (!TypedTextsStored()) return false;
    if (!ProjectMatches()) return false;
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents()) m_files.Forget(doc->Path());
    for (const std::string& question : m_answers.asked) m_files.ForgetNamedIn(question);
    for (const std::string& question : m_carried) m_files.ForgetNamedIn(question);
    m_carried.clear();
    const std::string files = m_files.Check();
    if (!files.empty()) return Fail(files);
    return true;
  }

  // The outcomes judged against what the user asked for (walk_judge.h):
  // the saves of the step and its checks, and the judges the step met.
  bool Judged(std::vector<std::string> boxes, std::vector<std::string> answers) {
    boxes.insert(boxes.end(), m_answers.boxes.begin(), m_answers.boxes.end());
    answers.insert(answers.end(), m_answers.answeredWith.begin(), m_answers.answeredWith.end());
    // The program's own files, which it writes itself: the project's as
    // the step began and as it ended (the checks took them), and its
    // settings (beside the example, or beside the installation).
    std::vector<std::string> own = m_projectFiles;
    own.insert(own.end(), m_stepProjects.begin(), m_stepProjects.end());
    for (const char* settings : {"settings.ini", "root/settings.ini"}) own.push_back(m_answers.folder() + settings);
    m_judge.SavesJudged(m_frame, boxes, answers, own);
    return Holds(m_judge.Take());
  }
  bool TypedTextsStored() { return GivenKept(m_given.TypedTextsStored(m_frame, m_app, m_answers)); }
  bool StartKeepsWhatWasGiven() { return GivenKept(m_given.StartKeeps(m_frame, m_app, m_answers)); }
  bool BreakpointsAsDefined(const std::string& step, bool chainDefines) {
    return GivenKept(m_given.BreakpointsAfter(step, chainDefines, m_frame, m_app));
  }
  // The checks of what the road gave (typed texts, defined breakpoints).
  bool GivenKept(const std::string& why) { return Holds(why); }

  // The target's stored breakpoints, watch rows and memory pages as an
  // options file text holds them (the program's own, or one it wrote).
  static std::string DebugListLines(const std::string& optionsText) {
    std::istringstream options(optionsText);
    std::string out;
    for (std::string line; std::getline(options, line);)
      for (const char* key : {"OPTBB ", "OPTWA ", "OPTMM "})
        if (line.find(key) != std::string::npos) out += line + "\n";
    return out;
  }
  std::string StoredBreakpoints() {
    ProjectRec* p = m_app->Project();
    return p ? DebugListLines(BuildOptionsFileText(*p)) : std::string();
  }
  // The watch rows and memory pages as the windows show them, and as the
  // target keeps them: the same text for the same rows.
  std::string ShownRows() {
    std::string out;
    DebugBarWindow* bar = nullptr;
    for (QWidget* w : QApplication::allWidgets())
      if (auto* b = dynamic_cast<DebugBarWindow*>(w)) bar = b;
    for (int list = 0; bar && list < 2; ++list)
      for (const std::string& e : bar->Watch(list + 1)->Model().Expressions())
        out += "watch " + std::to_string(list + 1) + " (" + e + ")\n";
    if (MemoryWindow* memory = m_frame->Debugger()->Windows().Memory())
      for (int n = 0; n < 4; ++n)
        if (const std::string text = memory->Page(n)->SavedText(); !text.empty())
          out += "memory " + std::to_string(n + 1) + " " + std::to_string(memory->Page(n)->SavedFormat()) + " (" +
                 text + ")\n";
    return out;
  }
  std::string KeptRows(bool withMemory) {
    std::string out;
    ProjectRec* p = m_app->Project();
    const TargetRec* t = p ? p->curTarget : nullptr;
    for (int list = 0; t && list < 2; ++list)
      for (const WatchRec* r = t->watches[list]; r; r = r->next)
        out += "watch " + std::to_string(list + 1) + " (" + r->expression.str() + ")\n";
    for (int n = 0; t && withMemory && n < 4; ++n)
      for (const MemWindowRec* r = t->memWindows[n]; r; r = r->next)
        out += "memory " + std::to_string(n + 1) + " " + std::to_string(r->value) + " (" + r->expression.str() + ")\n";
    return out;
  }
  // A session ended (when one runs), then started and ended twice: the
  // breakpoints, watch rows and memory pages stored after the second equal
  // those after the first. The first may move a breakpoint from a line
  // without code to the next line with code, where the driver sets it;
  // from then on nothing changes (a pass count that ran down, a condition
  // or command lost, a watch row dropped, would). The rows the windows
  // showed are those the session's end keeps, and Save All writes what is
  // kept.
  bool SessionAgainKeepsBreakpoints() {
    DebugSession& s = m_frame->Debugger()->Session();
    if (s.SessionActive()) {
      const bool memory = m_frame->Debugger()->Windows().Memory() != nullptr;
      const std::string shown = ShownRows();
      if (!EndSession()) return false;
      // An Exit asked while the target ran closes the program once the
      // target stops (as the program said): the rows go into the files the
      // close writes, and are compared when the program starts again.
      if (!m_frame->isVisible()) {
        m_rowsAtClose = {shown, memory};
        return true;
      }
      if (const std::string kept = KeptRows(memory); kept != shown &&
          !GivenKept("the session's end did not keep the rows its windows showed: " +
                     FirstDifference(shown, kept, "shown", "kept")))
        return false;
      if (!SaveAllWritesTheLists() || !KeptAsDefined("after the session's end and Save All")) return false;
    }
    std::string stored[2];
    for (std::string& after : stored) {
      bool started = false;
      if (!StartAndEndSession(&started)) return false;
      if (!started) return true;  // refused (nothing built): nothing to compare
      if (!KeptAsDefined("after a session started and ended again")) return false;
      after = StoredBreakpoints();
    }
    if (Tracing()) std::fprintf(stderr, "walk: stored breakpoints:\n%sthen:\n%s", stored[0].c_str(), stored[1].c_str());
    if (stored[1] != stored[0])
      return Fail("a session's start and end changed the stored breakpoints, watch rows or memory pages: " +
                  FirstDifference(stored[0], stored[1], "after one session", "after the next"));
    return SaveAllWritesTheLists();
  }
  // The breakpoints kept are those the road defined (where a session's end
  // keeps them).
  bool KeptAsDefined(const std::string& when) { return GivenKept(m_given.KeptAsDefined(m_frame, m_app, when)); }
  // File > Save All: the options file on disk holds the lists as kept.
  bool SaveAllWritesTheLists() {
    ProjectRec* p = m_app->Project();
    if (!p || !m_frame->QueryCommand(cmd::kSaveAll).enabled) return true;
    m_frame->ExecuteCommand(cmd::kSaveAll);
    if (!WaitFor([&] { return SessionIdle(); })) return Fail("Save All did not end");
    p = m_app->Project();
    if (!p) return true;
    const std::string kept = StoredBreakpoints();
    const std::string opt = ProjectSiblingPath(*p, "Opt");
    const std::string written = DebugListLines(SavedOrKept(opt, UntouchedFiles::Read(opt), BuildOptionsFileText(*p)));
    if (written != kept)
      return Fail("Save All did not write the breakpoints, watch rows and memory pages kept: " +
                  FirstDifference(kept, written, "kept", "written"));
    return true;
  }
  bool SessionIdle() {
    DebugSession& s = m_frame->Debugger()->Session();
    return !s.DriverBusy() && !m_app->HasState(kStateBusy) && !QApplication::activeModalWidget();
  }
  bool EndSession() {
    DebugSession& s = m_frame->Debugger()->Session();
    if (s.TargetExecuting()) Execute(32797, "bp-session");
    if (!WaitFor([&] { return SessionIdle() && !s.TargetExecuting(); })) return Fail("the target did not stop");
    Execute(cmd::kDebugStartStop, "bp-session");
    if (!WaitFor([&] { return SessionIdle() && !s.SessionActive(); })) return Fail("the session did not end");
    return true;
  }
  // Started (stopped at main, at the reset address where the options ask
  // no run to main, or running where they ask a run) and ended; or refused,
  // with a message or with no more than a beep (neither a driver at work
  // nor a session: the wait's bound only decides whether anything is
  // compared, never whether the step fails).
  bool StartAndEndSession(bool* started) {
    DebugSession& s = m_frame->Debugger()->Session();
    *started = false;
    if (!m_frame->QueryCommand(cmd::kDebugStartStop).enabled) return true;
    const size_t said = m_answers.boxes.size();
    Execute(cmd::kDebugStartStop, "bp-session");
    if (!WaitFor([&] { return s.DriverBusy() || s.SessionActive() || m_answers.boxes.size() > said; }, 5000))
      return true;
    if (!WaitFor([&] { return SessionIdle() && (s.SessionActive() || m_answers.boxes.size() > said); }))
      return Fail("the session's start did not end");
    if (!s.SessionActive()) return true;
    *started = true;
    return EndSession();
  }

  // The message boxes of the step (and of the steps it followed at once):
  // recorded, and one that says something failed is a fault unless the
  // road asked for it (a field given a text to refuse) or the table of
  // messages the walk's own answers bring about names it.
  bool MessagesExpected() {
    std::vector<std::string> boxes = m_carriedBoxes;
    boxes.insert(boxes.end(), m_answers.boxes.begin(), m_answers.boxes.end());
    m_carriedBoxes.clear();
    counts.messages += int(m_answers.boxes.size());
    for (const std::string& text : boxes) {
      messages.insert(text);
      if (m_expected || !SaysItFailed(text) || (m_typed && NamesATypedText(text))) continue;
      // A file that is not there, named as such (the source browser's
      // file no build has written since the output's name changed, a book
      // the walk's own file dialog named).
      if (const std::string head = "Can't open file '";
          text.rfind(head, 0) == 0 && text.size() > head.size() + 1 && text.back() == '\'' &&
          !std::filesystem::exists(text.substr(head.size(), text.size() - head.size() - 1)))
        continue;
      bool known = false;
      for (const ExpectedMessage& e : ExpectedMessages()) known = known || text.find(e.part) != std::string::npos;
      known = known || ExpectedByTheState(text) || ProjectEditedAsText(text);
      if (!known) return Fail("a message says something failed: '" + text + "'");
    }
    return true;
  }

  // Each open document's path and a digest of its text.
  std::string DocumentTexts() const {
    std::string out;
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
      out += doc->Path() + ":" + std::to_string(std::hash<std::string>()(doc->Text().GetText())) + "\n";
    return out;
  }
  // "Cannot open project file '<name>.pm2'", or "'<name>.Opt' is damaged",
  // where the road opened that project's file or its options file as a
  // text: the user's editing (a paste, a line cut) may have left them
  // unreadable, and the refusal is the right answer.
  bool ProjectEditedAsText(const std::string& text) {
    const bool refused = text.rfind("Cannot open project file '", 0) == 0 ||
                         (text.rfind("'", 0) == 0 && text.find("' is damaged") != std::string::npos);
    const size_t from = text.find('\''), end = from == std::string::npos ? from : text.find('\'', from + 1);
    if (!refused || end == std::string::npos) return false;
    const std::string file = text.substr(from + 1, end - from - 1);
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos) return false;
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents()) m_asText.insert(SameFile(doc->Path()));
    for (const char* ext : {".pm2", ".Opt", ".PM2", ".opt"})
      if (m_asText.count(SameFile(file.substr(0, dot) + ext))) return true;
    return false;
  }

  // The open project against the records in memory: they read back as
  // they are (the read-back program). The project's files on disk, as the
  // program read them at open and as its own save wrote them, read back
  // as they are too, so a reader that damages a field shows at once. The
  // project files of a project not open (any more) keep their bytes.
  bool ProjectMatches() {
    ProjectRec* p = m_app->Project();
    std::vector<std::string> files;
    if (p) files = {ProjectSiblingPath(*p, "Pm2"), ProjectSiblingPath(*p, "Opt")};
    // Each project open at some point of the step (or of the steps it
    // followed at once) may have been saved.
    for (const std::string& f : m_projectFiles) m_files.Watch(f);
    for (const std::string& f : m_openedFiles) m_files.Watch(f);
    m_openedFiles.clear();
    for (const std::string& f : files) m_files.Watch(f);
    if (!p) {
      m_projectFiles.clear();
      m_projectTexts.clear();
      return true;
    }
    const std::string trip = ProjectRoundTrip(*p);
    if (!trip.empty()) return Fail(trip);
    const std::vector<std::string> texts = {UntouchedFiles::Read(files[0]), UntouchedFiles::Read(files[1])};
    const bool opened = files != m_projectFiles;
    // A project file the road opened as a text (a file dialog's first
    // file) holds what the user's editing left there once its editor saved
    // it (its first line cut, say): no longer the program's to read back.
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents()) m_asText.insert(SameFile(doc->Path()));
    const bool editedAsText = m_asText.count(SameFile(files[0])) || m_asText.count(SameFile(files[1]));
    if (texts[0] != "<missing>" && (opened || texts != m_projectTexts) && !editedAsText) {
      const std::string disk = ReadBack(files[0], texts[0], texts[1] == "<missing>" ? "" : texts[1]);
      if (!disk.empty())
        return Fail("'" + files[0] + "' " + (opened ? "as the program read it at open" : "as the program's save wrote it") +
                    ": " + disk);
    }
    m_projectFiles = files;
    m_projectTexts = texts;
    return true;
  }

 public:
  // At the start, before any step: the project the program opened
  // compares equal with its files.
  // The editor windows the project reopens take the places the frame
  // gives them now (a window that fills the area fills the area of this
  // start, one of them is the active one), and their records follow at
  // once: the windows' states are left out.
  bool StartMatches() {
    ProjectRec* p = m_app->Project();
    if (!p) return true;
    const std::string names[] = {ProjectSiblingPath(*p, "Pm2"), ProjectSiblingPath(*p, "Opt")};
    const std::string memory[] = {WithoutWindowPlaces(BuildProjectFileText(*p)),
                                  WithoutWindowPlaces(BuildOptionsFileText(*p))};
    for (int i = 0; i < 2; ++i)
      if (const std::string read = UntouchedFiles::Read(names[i]), disk = WithoutWindowPlaces(read);
          read != "<missing>" && disk != memory[i])
        return Fail("'" + names[i] + "' as the program read it at open differs from the project in memory: " +
                    FirstDifference(disk, memory[i], "in the file", "in memory"));
    return ProjectMatches();
  }
  // The text with its editor-window lines (a project file's "OPTFFF", an
  // other file's "ExtF") cut to the file they name: the window's state
  // (open, active, caret, top line, place) goes.
  static std::string WithoutWindowPlaces(const std::string& text) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
      const size_t key = line.find_first_not_of(' ');
      const size_t names = line.find('<'), end = line.rfind('>');
      if (key != std::string::npos && (line.compare(key, 7, "OPTFFF ") == 0 || line.compare(key, 5, "ExtF ") == 0) &&
          names != std::string::npos && end != std::string::npos && names < end)
        line = line.substr(0, line.find(' ', key)) + " " + line.substr(names, end + 1 - names);
      out += line + "\n";
    }
    return out;
  }

 private:
  // The item the road selected in the project window selected again where
  // the selection left it (a step, recorded on the road).
  bool Reselect() {
    if (m_selected.empty() || !m_app->Project() || !m_frame->ProjectBar()) return true;
    HTREEITEM item = Bars().ItemWithText(m_selected);
    if (!item || m_frame->ProjectBar()->View()->RecordOf(item) == m_app->m_pSelItem) return true;
    return Run("select:" + m_selected);
  }
  WalkProjectWindow Bars() const { return {m_frame, m_app}; }
  WalkMenus Menus() { return {m_frame, m_app, m_answers, m_selected, m_state, counts.menus}; }
  bool MenuOpened(const std::string& target) { return Holds(Menus().NotOpened(target)); }
  bool ArrowShown() const {
    for (EditorDocument* doc : m_frame->Editors().Documents().Documents())
      if (EditorView* v = m_frame->Editors().ViewOf(doc); v && v->Margin().PcLine() != 0) return true;
    return false;
  }


  CMainFrame* m_frame;
  ShellApp* m_app;  // the program's application, a new one after each start again
  WalkAnswers& m_answers;
  std::string m_state, m_start;
  unsigned m_seed;
  UntouchedFiles m_files;
  std::vector<std::string> m_road;
  WalkPeers m_peers;
  std::string m_selected;                // the project window's item "select:" chose
  bool m_lastAtOnce = false;
  bool m_followsAtOnce = false;  // the step follows one given at once
  std::vector<std::string> m_carried, m_carriedBoxes;
  std::vector<std::string> m_carriedAnswers;  // the buttons m_carriedBoxes were answered with
  StallWatch m_stalls;
  InputWatch m_input;
  bool m_expected = false;  // the step's messages may say something failed
  bool m_typed = false;  // a field was given a text of FieldTexts()
  std::vector<std::string> m_projectFiles, m_projectTexts;
  std::vector<std::string> m_stepProjects;  // the project's files as the step (its chain) began
  std::set<std::string> m_openedFiles;
  std::set<std::string> m_asText;  // the files opened in an editor so far (SameFile)
  std::string m_front;  // the file of the editor in front when the sweep began
  GivenAndKept m_given;  // the texts and breakpoints the road gave, against what is kept
  WalkJudge m_judge;     // what the user asked for, against the outcome
};

}  // namespace pm2::test
