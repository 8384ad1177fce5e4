#include "debugger/session/session_breakpoints.h"

#include <strings.h>

#include <cstdio>

#include <set>

#include "driver_abi/debug_records.h"
#include "debugger/model/margin_breakpoints.h"
#include "editor/document/code_lines.h"
#include "project/files/debug_lists.h"
#include "project/files/stored_texts.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

// DbgBreakpoint operations: 1 the state at an address (0 none, 1 enabled,
// 2 disabled), 2 flip enabled, 3 insert or remove.
constexpr int32_t kBpState = 1, kBpFlipEnable = 2, kBpToggle = 3;
constexpr uint32_t kBpTypeMask = 0xF, kBpEnabled = 0x10;

std::string FileNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A breakpoint's command lines (as the driver lists them, one a line) in
// the form the breakpoints dialog hands a definition: quotes and
// backslashes escaped, a line end as backslash, backslash, n.
std::string RequestCommand(const std::string& lines) {
  std::string out;
  for (char c : lines) {
    if (c == '\n')
      out += "\\\\n";
    else if (c == '"' || c == '\'' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out;
}

// True when the stored line breakpoint carries more than its place.
bool HasDetails(const BreakpointRec& b) { return b.value5 > 1 || !b.text2.empty() || !b.inlineText.empty(); }

// Defines the stored breakpoint `expression` with its count and command.
// The options file comes with the project, and a command the driver may
// not give gdb (one that reaches this computer) is refused: the
// breakpoint then stands without it, and `say` names it with `place`.
DbgBreakpointRequest DefineStored(DebugInterface& record, const std::string& expression, const BreakpointRec& b,
                                  const std::string& place, const SayFn& say) {
  const std::string command = b.inlineText.str();
  DbgBreakpointRequest q{};
  q.expression = expression.c_str();
  q.passCount = q.passCount2 = b.value5 > 1 ? b.value5 : 1;
  q.command = command.empty() ? nullptr : command.c_str();
  record.DbgBreakpointDefine(0, 0, 0, &q);
  if (!q.error || command.empty()) return q;
  q = DbgBreakpointRequest{};
  q.expression = expression.c_str();
  q.passCount = q.passCount2 = b.value5 > 1 ? b.value5 : 1;
  record.DbgBreakpointDefine(0, 0, 0, &q);
  if (!q.error && say)
    say("*** error: the command '" + command + "' of the breakpoint " + place +
        " kept in the project's options file is not given to gdb; the breakpoint is set without it\n");
  return q;
}

// The driver's breakpoint at `address` with the stored record's details;
// the state at the address afterwards (0 when it was not set).
uint32_t DefineWithDetails(DebugInterface& record, uint32_t address, const BreakpointRec& b, const SayFn& say) {
  char place[24];
  std::snprintf(place, sizeof place, "0x%08X", address);
  std::string expression = place;
  if (!b.text2.empty()) expression += " if " + b.text2.str();
  const std::string where = "at " + FileNameOf(b.text1.str()) + ", line " + std::to_string(b.value1);
  const DbgBreakpointRequest q = DefineStored(record, expression, b, where, say);
  return q.error ? 0 : record.DbgBreakpoint(address, kBpState);
}

// A stored conditional breakpoint that is still kept.
bool IsStoredConditional(const BreakpointRec& b) {
  return (b.flags & kBreakKindMask) == kStoredConditionalKind && !(b.flags & kBreakFlag4) && !b.text2.empty();
}

// The driver's conditional breakpoint from a stored record, disabled where
// it is stored so (the breakpoints dialog's way: the record's enabled bit
// cleared, then the list's close hands it on); false when the driver
// refused it.
bool DefineConditional(DebugInterface& record, const BreakpointRec& b, const SayFn& say) {
  const std::string expression = b.text2.str();
  DbgBreakpointRequest q = DefineStored(record, expression, b, "'" + expression + "'", say);
  if (q.error || !q.result) return false;
  if (!(b.flags & kBreakFlag3) && record.DbgBreakpointList) {
    q.result->flags &= ~uint32_t(kBpEnabled);
    record.DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  }
  return true;
}

}  // namespace

std::vector<const BreakpointRec*> SetStoredBreakpoints(DebugInterface& record, const TargetRec* target,
                                                       const SourcePathFn& sourcePath, const SayFn& say) {
  std::vector<const BreakpointRec*> applied;
  if (!target || !record.DbgBreakpoint || !record.DbgLineTable) return applied;
  for (const BreakpointRec* b = target->breakpoints; b; b = b->next) {
    if (IsStoredConditional(*b)) {
      if (record.DbgBreakpointDefine && DefineConditional(record, *b, say)) applied.push_back(b);
      continue;
    }
    if (!IsStoredLineBreakpoint(*b, b->text1.str())) continue;
    // A file that is none of the project's (a header) is one of the
    // program's: the driver knows its lines by its name.
    std::string path = sourcePath(b->text1.str());
    if (path.empty()) path = b->text1.str();
    // The line's address as the editor's margin takes it; a line without
    // code takes the next line that has some.
    uint32_t address = 0;
    const CodeLines lines(static_cast<const DbgLineTableRecord*>(record.DbgLineTable(path.c_str())));
    if (!lines.AddressAtOrAfter(b->value1, &address)) continue;
    // One already there (two stored lines on one address) is not removed.
    uint32_t state = record.DbgBreakpoint(address, kBpState);
    if (state == 0 && HasDetails(*b) && record.DbgBreakpointDefine)
      state = DefineWithDetails(record, address, *b, say);
    else if (state == 0 && record.DbgBreakpoint(address, kBpToggle) != uint32_t(-1))
      state = record.DbgBreakpoint(address, kBpState);
    if (state != 1 && state != 2) continue;
    const bool enabled = (b->flags & kBreakFlag3) != 0;
    if (enabled != (state == 1)) record.DbgBreakpoint(address, kBpFlipEnable);
    applied.push_back(b);
  }
  return applied;
}

std::vector<SourceBreakpoint> DriverSourceBreakpoints(DebugInterface& record) {
  std::vector<SourceBreakpoint> found;
  if (!record.DbgBreakpointList || !record.DbgFindSource) return found;
  auto* head = reinterpret_cast<const DbgBreakpointRecord*>(record.DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  std::set<std::pair<std::string, uint32_t>> seen;
  std::set<std::string> seenConditions;
  for (const DbgBreakpointRecord* b = head; b; b = b->next) {
    if ((b->flags & kBpTypeMask) == kStoredConditionalKind && b->expression) {
      SourceBreakpoint s;
      s.conditional = true;
      s.condition = b->expression;
      s.enabled = (b->flags & kBpEnabled) != 0;
      s.passCount = b->passCount > 1 ? b->passCount : 1;
      if (b->command) s.command = RequestCommand(b->command);
      if (s.condition.empty() || !seenConditions.insert(s.condition).second) continue;
      found.push_back(std::move(s));
      continue;
    }
    if ((b->flags & kBpTypeMask) != 0) continue;  // an access breakpoint has no source line
    if (record.DbgFindSource(b->address) != 0 || !record.srcFile || record.srcLine == 0) continue;
    SourceBreakpoint s;
    s.fileName = FileNameOf(static_cast<const char*>(record.srcFile));
    s.line = record.srcLine;
    s.enabled = (b->flags & kBpEnabled) != 0;
    if (b->expression) s.condition = b->expression;
    s.passCount = b->passCount > 1 ? b->passCount : 1;
    if (b->command) s.command = RequestCommand(b->command);
    if (s.fileName.empty() || !seen.insert({s.fileName, s.line}).second) continue;
    found.push_back(std::move(s));
  }
  return found;
}

int KeepSessionBreakpoints(TargetRec* target, const std::vector<const BreakpointRec*>& applied,
                           const std::vector<SourceBreakpoint>& found) {
  if (!target) return 0;
  const std::set<const BreakpointRec*> replaced(applied.begin(), applied.end());
  // The replaced records leave the list (their memory stays in the pool
  // until the project is freed), so the options file does not grow by a
  // session's worth each time.
  // A conditional breakpoint killed outside a session goes too: it has no
  // editor line that would show it.
  const auto killedConditional = [](const BreakpointRec& b) {
    return (b.flags & kBreakKindMask) == kStoredConditionalKind && (b.flags & kBreakFlag4);
  };
  for (BreakpointRec** link = &target->breakpoints; *link;)
    if (replaced.count(*link) || killedConditional(**link))
      *link = (*link)->next;
    else
      link = &(*link)->next;
  int kept = 0;
  for (const SourceBreakpoint& s : found) {
    if (s.conditional) {
      // What the options file cannot hold in its brackets is not kept: an
      // expression that cannot is no breakpoint without it.
      if (!FieldTextFault(s.condition).empty()) continue;
      BreakpointRec* same = nullptr;
      for (BreakpointRec* b = target->breakpoints; b && !same; b = b->next)
        if (IsStoredConditional(*b) && b->text2.str() == s.condition) same = b;
      BreakpointRec* b = same ? same : AppendBreakpoint(target);
      b->flags = uint8_t(kStoredConditionalKind | (s.enabled ? kBreakFlag3 : 0));
      b->text2 = OptString::Pooled(s.condition, kPoolDebugLists);
      b->value5 = s.passCount > 1 ? s.passCount : 0;
      const bool commandFits = FieldTextFault(s.command, FieldBrackets::kAngles).empty();
      b->inlineText = commandFits && !s.command.empty() ? OptString::Pooled(s.command, kPoolDebugLists) : OptString();
      continue;
    }
    // The session may stop in a file whose name the options file cannot
    // keep: its breakpoints end with the session.
    if (!BreakpointFileRefusal(s.fileName).empty()) continue;
    BreakpointRec* same = nullptr;
    for (BreakpointRec* b = target->breakpoints; b && !same; b = b->next)
      if (IsStoredLineBreakpoint(*b, s.fileName) && b->value1 == s.line) same = b;
    BreakpointRec* b = same ? same : AppendBreakpoint(target);
    if (!same) {
      b->value1 = s.line;
      b->text1 = OptString::Pooled(s.fileName, kPoolDebugLists);
    }
    b->flags = uint8_t(kStoredBreakKind | (s.enabled ? kBreakFlag3 : 0));
    // What the options file cannot hold in its brackets is not kept.
    b->value5 = s.passCount > 1 ? s.passCount : 0;
    const bool conditionFits = FieldTextFault(s.condition).empty();
    const bool commandFits = FieldTextFault(s.command, FieldBrackets::kAngles).empty();
    b->text2 = conditionFits && !s.condition.empty() ? OptString::Pooled(s.condition, kPoolDebugLists) : OptString();
    b->inlineText = commandFits && !s.command.empty() ? OptString::Pooled(s.command, kPoolDebugLists) : OptString();
  }
  for (const BreakpointRec* b = target->breakpoints; b; b = b->next)
    if (IsStoredLineBreakpoint(*b, b->text1.str()) || IsStoredConditional(*b)) ++kept;
  return kept;
}

}  // namespace pm2
