// A step of the IDE's or a typed one that one of the driver's own stops
// broke into (the UART stand-in's) goes on to where it would have ended:
// back up to the step's frame when the stop is in a call below it, then
// the same step again from there, until gdb's own step would have ended.
// A user's breakpoint met on the way ends it (OnStopped), as it ends
// gdb's own step. A typed step that ends in such a stop gets its place on
// the command page as gdb prints it.
#include <cstdlib>
#include <string>

#include "debugger/gdb/commands/background_run.h"
#include "debugger/gdb/commands/step_places.h"
#include "debugger/gdb/target/gdb_target.h"

namespace pm2::gdb {

void GdbTarget::ContinueStep(const MiRecord& r) {
  // Whatever goes on with the step goes after the counts.
  SendPendingCounts();
  const std::string thread = r.results.Str("thread-id").empty() ? "1" : r.results.Str("thread-id");
  m_gdb->Send("-stack-info-depth", [this, r, thread](MiRecord& d) {
    const int mode = m_stepMode;
    const int depth = std::atoi(d.results.Str("depth").c_str());
    // An instruction step over a call goes on only below its own frame; a
    // typed "until" steps as next does, and one to a location goes on to it.
    const bool overInstruction = mode == 4;
    const bool toLocation = mode == kTypedToLocation;
    const bool byLine = mode == 0 || mode == 1 || mode == kTypedUntil;
    if (!(byLine || mode == 2 || overInstruction || toLocation) || d.cls != "done" || depth <= 0)
      return ReportOwnStop(r);
    // Step and next end in the step's frame (or the one it returned to),
    // finish in its caller.
    const int target = mode == 2 ? m_stepDepth - 1 : m_stepDepth.load();
    if (depth > target) {
      // In a call below: finish the frame just under the target one. Its
      // "Run till exit" is the driver's, not the user's.
      HoldConsole();
      m_finishing = true;
      m_gdb->Send("-exec-finish --thread " + thread + " --frame " + std::to_string(depth - target - 1),
                  [this, r](MiRecord& f) {
                    if (f.cls == "running" || f.cls == "done") return;
                    m_finishing = false;
                    ReportOwnStop(r);
                  });
      return;
    }
    // gdb prints a finish's end with its frame, an instruction step's in
    // the step's frame as the line after the address.
    if (mode == 2 || overInstruction) return EndOwnStep(r, overInstruction);
    if (toLocation) {
      // Back in the step's frame right at the location (a call's return
      // lands on the start of its line): the step ends here, as gdb's
      // would have stopped there; anywhere else it goes on.
      const MiValue* frame = r.results.Find("frame");
      const std::string pc = frame ? frame->Str("addr") : std::string();
      std::string location;
      {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        location = m_stepLocation;
      }
      HoldConsole();
      m_gdb->Send("-interpreter-exec console " + MiQuote("info line " + location), [this, r, mode, pc](MiRecord&) {
        // gdb prints the end of a step to a location with its frame.
        if (!pc.empty() && LineStartsAt(TakeHeldConsole(), pc)) return EndOwnStep(r, false);
        m_gdb->Send(StepAgainCommand(mode), [this, r](MiRecord& s) {
          if (s.cls != "running" && s.cls != "done") ReportOwnStop(r);
        });
      });
      return;
    }
    // Stopped at the start of a line other than the step's: the step ends
    // here, as gdb's own step would have. Anywhere else the step goes on.
    const MiValue* frame = r.results.Find("frame");
    const std::string pc = frame ? frame->Str("addr") : std::string();
    HoldConsole();
    m_gdb->Send("-interpreter-exec console \"info line *" + pc + "\"", [this, r, mode, pc, depth](MiRecord&) {
      const std::string info = TakeHeldConsole();
      const MiValue* frame = r.results.Find("frame");
      const std::string file = frame ? frame->Str("fullname") : std::string();
      const int line = frame ? std::atoi(frame->Str("line").c_str()) : 0;
      bool newLine = false, sameFunction = false;
      {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        newLine = line != m_stepLine.line || file != m_stepLine.file;
        sameFunction = frame && frame->Str("func") == m_stepFunction;
      }
      // gdb prints the line alone when the step ends in its own frame.
      if (!pc.empty() && newLine && LineStartsAt(info, pc))
        return EndOwnStep(r, depth == m_stepDepth && sameFunction);
      m_gdb->Send(StepAgainCommand(mode), [this, r](MiRecord& s) {
        if (s.cls != "running" && s.cls != "done") ReportOwnStop(r);
      });
    });
  });
}


void GdbTarget::EndOwnStep(const MiRecord& r, bool sameFrame) {
  bool typed = false;
  {
    std::lock_guard<std::mutex> lock(m_stopMutex);
    typed = !m_stepAgain.empty();
  }
  // A stop request that met the stop says its own place (ReportOwnStop).
  if (!typed || m_stopAsked || !m_events.print) return ReportOwnStop(r);
  HoldConsole();
  m_gdb->Send("-interpreter-exec console frame", [this, r, sameFrame](MiRecord& a) {
    const std::string frame = TakeHeldConsole();
    if (a.cls == "done" && !frame.empty() && m_events.print) m_events.print(StepEndText(frame, sameFrame));
    ReportOwnStop(r);
  });
}

}  // namespace pm2::gdb
