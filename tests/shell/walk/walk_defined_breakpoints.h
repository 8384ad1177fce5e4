// The breakpoints as the road defined them, against what the program keeps:
// after each step that defines or changes breakpoints (a line typed on the
// Command page, the Breakpoints dialog, the editor's Insert/Remove,
// Enable/Disable, Disable All, Kill All) the walk notes them as the user
// gave them (place, pass count, condition, command, enabled); every
// session's end, Save All and start again must then keep each as defined:
// a pass count as given, not as it stood when the session ended.
//
// The kinds followed are those a session keeps (KeptKinds): on a source
// line, at a place as typed ("LED_On"), conditional and access ones.
//
// A counted breakpoint met more than once is judged by what the program
// did between its stops: the step "value:<expression>=<n>" requires the
// expression to read n where the target stands (pattern_step counts the
// passes of the example's LED_On).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "debugger/model/margin_breakpoints.h"
#include "debugger/session/debug_session.h"
#include "debugger/session/session_breakpoints.h"
#include "project/files/debug_lists.h"
#include "project/model/project_records.h"

namespace pm2::test {

// The kinds of breakpoints a session keeps over its end, which the check
// follows: a breakpoint on a source line, one at a place as the user typed
// it (a function's name: kept by that name, set where it stands when the
// next session starts), a conditional one (an expression that stops the
// target while it holds) and an access one (an expression whose reads or
// writes stop it). Not yet followed: a disabled one (a disabled line
// breakpoint set beside the disassembly's was seen lost at the session's
// end).
enum class KeptKind { kLine, kPlace, kConditional, kAccess };
inline const std::vector<KeptKind>& KeptKinds() {
  static const std::vector<KeptKind> kinds = {KeptKind::kLine, KeptKind::kPlace, KeptKind::kConditional,
                                              KeptKind::kAccess};
  return kinds;
}
inline constexpr bool kFollowsDisabled = false;
// Lines whose breakpoints are not followed yet: main's closing line in the
// walk's looping programs, after a call that never returns (a breakpoint
// there was seen lost at a session's start and end).
struct UnfollowedLine {
  const char* file;
  uint32_t line;
};
inline const std::vector<UnfollowedLine>& UnfollowedLines() {
  static const std::vector<UnfollowedLine> lines = {{"Blinky.c", 6}, {"Blinky.c", 11}};
  return lines;
}

// A breakpoint as the user defined it.
struct DefinedBreakpoint {
  KeptKind kind = KeptKind::kLine;
  std::string file;       // a line breakpoint's file name
  uint32_t line = 0;      // and line
  std::string place;      // a place breakpoint's place as typed
  int access = 0;         // an access one's reads (1), writes (2) or both (3)
  std::string condition;  // a conditional one's expression, a line one's condition ("" none)
  uint32_t count = 1;     // the pass count (1: stops at the first pass)
  std::string command;    // "" none
  bool enabled = true;

  std::string Text() const {
    std::string out = kind == KeptKind::kLine    ? file + ":" + std::to_string(line)
                      : kind == KeptKind::kPlace  ? "at " + place
                      : kind == KeptKind::kAccess ? "access " + std::to_string(access) + " (" + condition + ")"
                                                  : "when (" + condition + ")";
    if ((kind == KeptKind::kLine || kind == KeptKind::kPlace) && !condition.empty()) out += " if (" + condition + ")";
    out += ", count " + std::to_string(count);
    if (!command.empty()) out += ", command <" + command + ">";
    return out + (enabled ? "" : ", disabled");
  }
  bool SamePlace(const DefinedBreakpoint& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
      case KeptKind::kLine: return file == o.file && line == o.line;
      case KeptKind::kPlace: return place == o.place;
      case KeptKind::kAccess: return condition == o.condition && access == o.access;
      default: return condition == o.condition;
    }
  }
  bool operator==(const DefinedBreakpoint& o) const {
    return SamePlace(o) && condition == o.condition && count == o.count && command == o.command &&
           enabled == o.enabled;
  }
};

inline bool Followed(const DefinedBreakpoint& d) {
  if (!d.enabled && !kFollowsDisabled) return false;
  for (const UnfollowedLine& l : UnfollowedLines())
    if (d.kind == KeptKind::kLine && d.file == l.file && d.line == l.line) return false;
  for (KeptKind k : KeptKinds())
    if (k == d.kind) return true;
  return false;
}

// True when a place as defined names a code address or the breakpoint's
// own source line ("0x378", "*0x378", "LED.c:13"): such a breakpoint is
// kept on its line, any other place ("LED_On") by its name.
inline bool PlaceIsAddressOrLine(const SourceBreakpoint& s) {
  std::string place = s.place;
  if (!place.empty() && place[0] == '*') place.erase(0, 1);
  char* end = nullptr;
  std::strtoull(place.c_str(), &end, 0);
  if (place.empty() || (end && *end == '\0')) return true;
  const size_t colon = place.rfind(':');
  return colon != std::string::npos && place.substr(colon + 1) == std::to_string(s.line);
}

// The driver's breakpoints of the kinds followed, as it lists them.
inline std::vector<DefinedBreakpoint> FromDriver(const std::vector<SourceBreakpoint>& list) {
  std::vector<DefinedBreakpoint> out;
  for (const SourceBreakpoint& s : list) {
    DefinedBreakpoint d;
    d.kind = s.conditional                                       ? KeptKind::kConditional
             : s.access                                          ? KeptKind::kAccess
             : !s.fileName.empty() && PlaceIsAddressOrLine(s)    ? KeptKind::kLine
             : !s.place.empty()                                  ? KeptKind::kPlace
                                                                 : KeptKind::kLine;
    d.file = d.kind == KeptKind::kLine ? s.fileName : std::string();
    d.line = d.kind == KeptKind::kLine ? s.line : 0;
    d.place = d.kind == KeptKind::kPlace ? s.place : std::string();
    d.access = s.access;
    d.condition = s.condition;
    d.count = s.passCount > 1 ? s.passCount : 1;
    d.command = s.command;
    d.enabled = s.enabled;
    // A file whose name the options file cannot keep: its breakpoints end
    // with the session, as the program says.
    if (d.kind == KeptKind::kLine && !BreakpointFileRefusal(d.file).empty()) continue;
    if (Followed(d)) out.push_back(d);
  }
  return out;
}

// The target's stored breakpoints of the kinds followed (as its options
// file keeps them: a line one's count in value5, its condition in text2,
// its command in inlineText).
inline std::vector<DefinedBreakpoint> FromTarget(const TargetRec* target) {
  std::vector<DefinedBreakpoint> out;
  for (const BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next) {
    DefinedBreakpoint d;
    const uint8_t kind = b->flags & kBreakKindMask;
    if (kind == kStoredConditionalKind && !(b->flags & kBreakFlag4) && !b->text2.empty()) {
      d.kind = KeptKind::kConditional;
    } else if (kind == kStoredAccessKind && !(b->flags & kBreakFlag4) && !b->text2.empty()) {
      d.kind = KeptKind::kAccess;
      d.access = int(b->value2 & 3);
    } else if (kind == kStoredPlaceKind && !(b->flags & kBreakFlag4) && !b->text1.empty()) {
      d.kind = KeptKind::kPlace;
      d.place = b->text1.str();
    } else if (kind == kStoredBreakKind && IsStoredLineBreakpoint(*b, b->text1.str())) {
      d.kind = KeptKind::kLine;
      d.file = b->text1.str();
      d.line = b->value1;
    } else {
      continue;
    }
    d.condition = b->text2.str();
    d.count = b->value5 > 1 ? b->value5 : 1;
    d.command = b->inlineText.str();
    d.enabled = (b->flags & kBreakFlag3) != 0;
    if (Followed(d)) out.push_back(d);
  }
  return out;
}

// The lines of a source file that hold code in the program the sessions
// ran (walk_code_lines.h); empty when they are not known.
using CodeLinesOf = std::function<std::set<uint32_t>(const std::string& file)>;

// The line a session sets a breakpoint defined on `line` at: that line when
// it holds code, else the next line of its file that does, as gdb sets a
// breakpoint asked for on a line without code (a line with none after it
// is not set, and stays where it was defined).
inline uint32_t LineASessionSets(const std::set<uint32_t>& code, uint32_t line) {
  const auto at = code.lower_bound(line);
  return at == code.end() ? line : *at;
}

// Why the kept breakpoints are not those defined ("" when they are): each
// defined one must be kept as defined, at its place; a line breakpoint
// defined on a line without code (outside a session: the editor's margin
// takes any line) at the line a session sets it on, the next line with
// code as `code` tells for its file. Where the lines with code are not
// known (a build rewriting the program file as the session ended) the
// line kept nearest after it in its file is taken for the one a session
// set. `moved` (when given) takes the defined ones at the lines where they
// are kept.
inline std::string KeptAsDefined(const std::vector<DefinedBreakpoint>& defined,
                                 const std::vector<DefinedBreakpoint>& kept,
                                 std::vector<DefinedBreakpoint>* moved = nullptr, const CodeLinesOf& code = {}) {
  std::vector<DefinedBreakpoint> out;
  std::string keptList;
  for (const DefinedBreakpoint& k : kept) keptList += (keptList.empty() ? "" : "; ") + k.Text();
  for (const DefinedBreakpoint& d : defined) {
    // Two may stand at one place (two on one line, one expression with two
    // counts): the one kept exactly as defined is its own.
    const DefinedBreakpoint* at = nullptr;
    for (const DefinedBreakpoint& k : kept)
      if (k == d) at = &k;
    for (const DefinedBreakpoint& k : kept)
      if (!at && k.SamePlace(d)) at = &k;
    // A line one not kept on its own line: where a session set it.
    uint32_t set = d.line;
    bool known = false;  // the lines with code of its file are known
    if (!at && d.kind == KeptKind::kLine) {
      const std::set<uint32_t> lines = code ? code(d.file) : std::set<uint32_t>();
      known = !lines.empty();
      if (known) set = LineASessionSets(lines, d.line);
      for (const DefinedBreakpoint& k : kept)
        if (!known && k.kind == KeptKind::kLine && k.file == d.file && k.line > d.line &&
            (set == d.line || k.line < set))
          set = k.line;
      DefinedBreakpoint there = d;
      there.line = set;
      for (const DefinedBreakpoint& k : kept)
        if (set != d.line && k == there) at = &k;
      for (const DefinedBreakpoint& k : kept)
        if (set != d.line && !at && k.SamePlace(there)) at = &k;
    }
    if (!at && known && set != d.line)
      return "the breakpoint " + d.Text() + " was defined on a line without code, and is not kept on line " +
             std::to_string(set) + ", the next line with code, where a session sets it (kept: " + keptList + ")";
    if (!at) return "the breakpoint " + d.Text() + " was defined, and is not kept (kept: " + keptList + ")";
    DefinedBreakpoint there = d;
    there.line = at->line;
    if (!(there == *at))
      return "the breakpoint " + d.Text() + " was defined, and is kept as " + at->Text() + " (kept: " + keptList + ")";
    out.push_back(there);
  }
  if (moved) *moved = out;
  return {};
}

// Whether a step defines or changes breakpoints: a line typed on the
// Command page, the Breakpoints dialog, the editor's Insert/Remove,
// Enable/Disable, Disable All and Kill All (by their key or a menu item).
inline bool DefinesBreakpoints(const std::string& step) {
  if (step.rfind("type:", 0) == 0) return true;
  if (step.rfind("ctx:", 0) == 0) return step.find("reakpoint") != std::string::npos;
  const std::string id = step.substr(step.rfind("key:", 0) == 0 ? 4 : 0, 5);
  for (const char* defining : {"35041", "35012", "35017", "35015", "35016"})
    if (id == defining) return true;
  return false;
}

class DefinedBreakpoints {
 public:
  // After a step that defined or changed breakpoints: in a session standing
  // still the driver's list, outside one the target's stored list, as
  // the user now has them.
  // A change made while the target runs (Kill All, say) is taken once it
  // stands again (Pending); until then what is defined is not known.
  void Take(DebugSession& session, const TargetRec* target) {
    if (session.SessionActive()) {
      m_pending = session.TargetExecuting() || session.DriverBusy() || !session.Record();
      if (m_pending) return;
      m_defined = FromDriver(DriverSourceBreakpoints(*session.Record()));
    } else {
      m_pending = false;
      m_defined = FromTarget(target);
    }
    m_any = true;
  }
  bool Pending() const { return m_pending; }
  // The target's kept breakpoints against those defined; a line one a
  // session set on the next line with code (`code`) is defined there from
  // now on.
  std::string Check(const TargetRec* target, const std::string& when, const CodeLinesOf& code) {
    if (!m_any || m_pending) return {};
    const std::string why = KeptAsDefined(m_defined, FromTarget(target), &m_defined, code);
    return why.empty() ? why : why + " " + when;
  }
  // Another project (or none): nothing defined in it yet.
  void Forget() {
    m_defined.clear();
    m_any = m_pending = false;
  }
  const std::vector<DefinedBreakpoint>& Defined() const { return m_defined; }

 private:
  std::vector<DefinedBreakpoint> m_defined;
  bool m_any = false;      // a step defined breakpoints in this project
  bool m_pending = false;  // a step changed them while they could not be read
};

// The step "value:<expression>=<n>": where the target stands, the driver
// reads the expression as n. Why not, or "".
inline std::string ValueAsExpected(DebugSession& session, const std::string& spec) {
  const size_t is = spec.rfind('=');
  if (is == std::string::npos) return "a step 'value:' names no value";
  const std::string expression = spec.substr(0, is);
  const uint64_t expected = std::strtoull(spec.c_str() + is + 1, nullptr, 0);
  DebugInterface* record = session.Record();
  if (!session.SessionActive() || session.TargetExecuting() || !record || !record->DbgEvalExpression)
    return "no session stands still to read '" + expression + "'";
  uint64_t value = 0;
  if (record->DbgEvalExpression(1, expression.c_str(), &value) != 0)
    return "the driver could not read '" + expression + "'";
  if (value != expected)
    return "'" + expression + "' reads " + std::to_string(value) + " where the target stopped, not " +
           std::to_string(expected) + " (a counted breakpoint stopped after another number of passes)";
  return {};
}

}  // namespace pm2::test
