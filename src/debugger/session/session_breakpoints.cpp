#include "debugger/session/session_breakpoints.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

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
// The list's types of a conditional and of an access breakpoint.
constexpr uint32_t kBpTypeConditional = 1, kBpTypeAccess = 2;

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

uint8_t KindOf(const BreakpointRec& b) { return b.flags & kBreakKindMask; }

// A stored breakpoint of a kind defined again from its texts, still kept.
bool IsStoredDefinition(const BreakpointRec& b) {
  if (b.flags & kBreakFlag4) return false;
  switch (KindOf(b)) {
    case kStoredConditionalKind:
    case kStoredAccessKind:
      return !b.text2.empty();
    case kStoredPlaceKind:
      return !b.text1.empty();
    default:
      return false;
  }
}

// A line breakpoint defined by its line, defined by it again.
bool IsStoredByLine(const BreakpointRec& b) {
  return KindOf(b) == kStoredBreakKind && (b.value2 & kStoredByLine) && IsStoredLineBreakpoint(b, b.text1.str());
}

// The driver's breakpoint defined from a stored record (the breakpoints
// dialog's way), disabled where it is stored so (the record's enabled bit
// cleared, then the list's close hands it on); false when the driver
// refused it.
// The driver's definition of `expression` with the stored record's count
// and command. The options file comes with the project, and a command the
// driver may not give gdb (one that reaches this computer) is refused: the
// breakpoint then stands without it, and `say` names it with `where`.
DbgBreakpointRequest DefineWithCommand(DebugInterface& record, const std::string& expression, const BreakpointRec& b,
                                       int access, uint32_t size, const std::string& where, const SayFn& say) {
  const std::string command = b.inlineText.str();
  auto define = [&](bool withCommand) {
    DbgBreakpointRequest q{};
    q.expression = expression.c_str();
    q.passCount = q.passCount2 = b.value5 > 1 ? b.value5 : 1;
    q.command = withCommand && !command.empty() ? command.c_str() : nullptr;
    q.access = uint8_t(access);
    q.size = access ? size : 0;
    q.unitBytes = 1;
    record.DbgBreakpointDefine(0, 0, 0, &q);
    return q;
  };
  DbgBreakpointRequest q = define(true);
  if (!q.error || command.empty()) return q;
  q = define(false);
  if (!q.error && say)
    say("*** error: the command '" + command + "' of the breakpoint " + where +
        " kept in the project's options file is not given to gdb; the breakpoint is set without it\n");
  return q;
}

bool DefineStored(DebugInterface& record, const std::string& expression, const BreakpointRec& b,
                  const std::string& where, const SayFn& say, int access = 0, uint32_t size = 0) {
  DbgBreakpointRequest q = DefineWithCommand(record, expression, b, access, size, where, say);
  if (q.error || !q.result) return false;
  if (!(b.flags & kBreakFlag3) && record.DbgBreakpointList) {
    q.result->flags &= ~uint32_t(kBpEnabled);
    record.DbgBreakpointList(kDbgBpListClose, 0, 0, nullptr);
  }
  return true;
}

std::string AddressText(uint32_t address) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08X", address);
  return text;
}

// A stored code place with its condition, as a definition takes it.
std::string WithCondition(const std::string& place, const BreakpointRec& b) {
  return b.text2.empty() ? place : place + " if " + b.text2.str();
}

// Where a stored line breakpoint stands, as the command page names it.
std::string LineWhere(const BreakpointRec& b) {
  return "at " + FileNameOf(b.text1.str()) + ", line " + std::to_string(b.value1);
}

bool DefineFromTexts(DebugInterface& record, const BreakpointRec& b, const SayFn& say) {
  if (KindOf(b) == kStoredConditionalKind) return DefineStored(record, b.text2.str(), b, "'" + b.text2.str() + "'", say);
  if (KindOf(b) == kStoredAccessKind)
    return DefineStored(record, b.text2.str(), b, "'" + b.text2.str() + "'", say, int(b.value2 & 3), b.value3);
  if (KindOf(b) == kStoredPlaceKind)
    return DefineStored(record, WithCondition(b.text1.str(), b), b, "'" + b.text1.str() + "'", say);
  return DefineStored(record, WithCondition(b.text1.str() + ":" + std::to_string(b.value1), b), b, LineWhere(b), say);
}

// The driver's breakpoint at `address` with the stored record's details;
// the state at the address afterwards (0 when it was not set).
uint32_t DefineWithDetails(DebugInterface& record, uint32_t address, const BreakpointRec& b, const SayFn& say) {
  const DbgBreakpointRequest q =
      DefineWithCommand(record, WithCondition(AddressText(address), b), b, 0, 0, LineWhere(b), say);
  return q.error ? 0 : record.DbgBreakpoint(address, kBpState);
}

// True when a place names the source line ("LED.c:13", also with the
// file's path or in quotes) the breakpoint stands on.
bool PlaceIsLine(const std::string& place, const std::string& fileName, uint32_t line) {
  const std::size_t colon = place.rfind(':');
  if (colon == std::string::npos || fileName.empty() || place.substr(colon + 1) != std::to_string(line)) return false;
  std::string file = place.substr(0, colon);
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
  return strcasecmp(FileNameOf(file).c_str(), fileName.c_str()) == 0;
}

// True for a place that is a number (an address: "0x378", "888").
bool PlaceIsAddress(const std::string& place) {
  if (place.empty()) return false;
  char* end = nullptr;
  std::strtoull(place.c_str(), &end, 0);
  return end && *end == '\0';
}

// The stored kind of a breakpoint the driver lists, and whether a line
// breakpoint is defined by its line; false when it cannot be kept.
bool StoredKindOf(const SourceBreakpoint& s, uint8_t* kind, bool* byLine) {
  *byLine = false;
  if (s.conditional) *kind = kStoredConditionalKind;
  else if (s.access) *kind = kStoredAccessKind;
  else if (!s.fileName.empty() && (s.place.empty() || PlaceIsAddress(s.place)))
    *kind = kStoredBreakKind;
  else if (!s.fileName.empty() && PlaceIsLine(s.place, s.fileName, s.line))
    *kind = kStoredBreakKind, *byLine = true;
  else if (!s.place.empty())
    *kind = kStoredPlaceKind;
  else
    return false;
  return true;
}

// True when the stored record is the same breakpoint as the one found.
bool SameBreakpoint(const BreakpointRec& b, uint8_t kind, const SourceBreakpoint& s) {
  if (KindOf(b) != kind) return false;
  switch (kind) {
    case kStoredBreakKind:
      return IsStoredLineBreakpoint(b, s.fileName) && b.value1 == s.line;
    case kStoredPlaceKind:
      return IsStoredDefinition(b) && b.text1.str() == s.place;
    case kStoredAccessKind:
      return IsStoredDefinition(b) && b.text2.str() == s.condition && int(b.value2 & 3) == s.access;
    default:
      return IsStoredDefinition(b) && b.text2.str() == s.condition;
  }
}

// True when the options file holds each text of the breakpoint as it is.
bool TextsFit(const SourceBreakpoint& s) {
  return FieldTextFault(s.place).empty() && FieldTextFault(s.condition).empty() &&
         FieldTextFault(s.command, FieldBrackets::kAngles).empty() && BreakpointFileRefusal(s.fileName).empty();
}

}  // namespace

std::vector<const BreakpointRec*> SetStoredBreakpoints(DebugInterface& record, const TargetRec* target,
                                                       const SourcePathFn& sourcePath, const SayFn& say,
                                                       std::vector<const BreakpointRec*>* covered) {
  std::vector<const BreakpointRec*> applied;
  std::set<uint32_t> setHere;  // the addresses a stored line breakpoint set in this pass
  if (!target || !record.DbgBreakpoint || !record.DbgLineTable) return applied;
  // The line's address as the editor's margin takes it; a line without
  // code takes the next line that has some. A file that is none of the
  // project's (a header) is one of the program's: the driver knows its
  // lines by its name.
  const auto lineAddress = [&](const BreakpointRec& b, uint32_t* address) {
    std::string path = sourcePath(b.text1.str());
    if (path.empty()) path = b.text1.str();
    const CodeLines lines(static_cast<const DbgLineTableRecord*>(record.DbgLineTable(path.c_str())));
    return lines.AddressAtOrAfter(b.value1, address);
  };
  for (const BreakpointRec* b = target->breakpoints; b; b = b->next) {
    const bool byLine = IsStoredByLine(*b);
    uint32_t address = 0;
    const bool onLine = (byLine || IsStoredLineBreakpoint(*b, b->text1.str())) && lineAddress(*b, &address);
    // A second of one line with nothing of its own is the first's.
    if (onLine && !HasDetails(*b) && setHere.count(address) && record.DbgBreakpoint(address, kBpState) != 0) {
      if (covered) covered->push_back(b);
      continue;
    }
    if (IsStoredDefinition(*b) || byLine) {
      if (record.DbgBreakpointDefine && DefineFromTexts(record, *b, say)) {
        applied.push_back(b);
        if (onLine) setHere.insert(address);
      }
      continue;
    }
    if (!onLine) continue;
    // One already there (two stored lines on one address) is not set
    // twice; a second with details of its own is.
    uint32_t state = record.DbgBreakpoint(address, kBpState);
    if (state != 0 && HasDetails(*b) && record.DbgBreakpointDefine) {
      if (DefineStored(record, WithCondition(AddressText(address), *b), *b, LineWhere(*b), say)) applied.push_back(b);
      continue;
    }
    if (state == 0 && HasDetails(*b) && record.DbgBreakpointDefine) {
      state = DefineWithDetails(record, address, *b, say);
    } else if (state == 0 && record.DbgBreakpoint(address, kBpToggle) != uint32_t(-1)) {
      state = record.DbgBreakpoint(address, kBpState);
    }
    if (state != 1 && state != 2) continue;
    const bool enabled = (b->flags & kBreakFlag3) != 0;
    if (enabled != (state == 1)) record.DbgBreakpoint(address, kBpFlipEnable);
    setHere.insert(address);
    applied.push_back(b);
  }
  return applied;
}

std::vector<SourceBreakpoint> DriverSourceBreakpoints(DebugInterface& record) {
  std::vector<SourceBreakpoint> found;
  if (!record.DbgBreakpointList) return found;
  auto* head = reinterpret_cast<const DbgBreakpointRecord*>(record.DbgBreakpointList(kDbgBpListHead, 0, 0, nullptr));
  for (const DbgBreakpointRecord* b = head; b; b = b->next) {
    const uint32_t type = b->flags & kBpTypeMask;
    SourceBreakpoint s;
    s.enabled = (b->flags & kBpEnabled) != 0;
    s.passCount = b->passCount > 1 ? b->passCount : 1;
    if (b->command) s.command = RequestCommand(b->command);
    if (type == kBpTypeConditional || type == kBpTypeAccess) {
      if (!b->expression || !*b->expression) continue;
      // An expression that does more than read ("x++") is one the next
      // session's definition refuses: it ends with this one.
      char why[256] = {};
      if (record.DbgControl && record.DbgControl(kDbgCtlReadOnlyFault, reinterpret_cast<intptr_t>(b->expression),
                                                 reinterpret_cast<intptr_t>(why)) != 0)
        continue;
      s.conditional = type == kBpTypeConditional;
      s.access = s.conditional ? 0 : (b->access & 3) != 0 ? (b->access & 3) : 2;
      s.size = s.conditional ? 0 : b->length;
      s.condition = b->expression;
      found.push_back(std::move(s));
      continue;
    }
    if (type != 0) continue;
    if (b->expression) s.condition = b->expression;
    char place[kDbgDefinitionSize] = {};
    if (record.DbgControl && record.DbgControl(kDbgCtlBreakpointPlace, reinterpret_cast<intptr_t>(b),
                                               reinterpret_cast<intptr_t>(place)) != 0)
      s.place = place;
    if (record.DbgFindSource && record.DbgFindSource(b->address) == 0 && record.srcFile && record.srcLine != 0) {
      s.fileName = FileNameOf(static_cast<const char*>(record.srcFile));
      s.line = record.srcLine;
    }
    if (s.fileName.empty() && s.place.empty()) continue;
    found.push_back(std::move(s));
  }
  return found;
}

int KeepSessionBreakpoints(TargetRec* target, const std::vector<const BreakpointRec*>& applied,
                           const std::vector<SourceBreakpoint>& found,
                           const std::vector<const BreakpointRec*>& covered) {
  if (!target) return 0;
  const std::set<const BreakpointRec*> replaced(applied.begin(), applied.end());
  // A breakpoint of a kind the editor does not show that was killed
  // outside a session goes: no line shows it.
  const auto killedDefinition = [](const BreakpointRec& b) {
    return (b.flags & kBreakFlag4) && KindOf(b) >= kStoredConditionalKind && KindOf(b) <= kStoredAccessKind;
  };
  for (BreakpointRec** link = &target->breakpoints; *link;)
    if (killedDefinition(**link))
      *link = (*link)->next;
    else
      link = &(*link)->next;
  // Each stored record takes the place of one breakpoint found at most: a
  // record set at the start takes the one the driver still has of it (so
  // the list keeps its order session after session), else a stored one
  // the driver never had; one covered by another at the start takes none.
  std::set<const BreakpointRec*> taken(covered.begin(), covered.end());
  const auto sameIn = [&](uint8_t kind, const SourceBreakpoint& s, bool setAtStart) -> BreakpointRec* {
    for (BreakpointRec* b = target->breakpoints; b; b = b->next)
      if (!taken.count(b) && replaced.count(b) == (setAtStart ? 1u : 0u) && SameBreakpoint(*b, kind, s)) return b;
    return nullptr;
  };
  for (const SourceBreakpoint& s : found) {
    uint8_t kind = 0;
    bool byLine = false;
    if (!StoredKindOf(s, &kind, &byLine) || !TextsFit(s)) continue;
    BreakpointRec* same = sameIn(kind, s, true);
    if (same) {
      // Written afresh in its place, as a new record would be.
      BreakpointRec* next = same->next;
      *same = BreakpointRec{};
      same->next = next;
    } else {
      same = sameIn(kind, s, false);
    }
    BreakpointRec* b = same ? same : AppendBreakpoint(target);
    taken.insert(b);
    b->flags = uint8_t(kind | (s.enabled ? kBreakFlag3 : 0));
    b->value5 = s.passCount > 1 ? s.passCount : 0;
    b->inlineText = s.command.empty() ? OptString() : OptString::Pooled(s.command, kPoolDebugLists);
    const auto pooled = [](const std::string& text) {
      return text.empty() ? OptString() : OptString::Pooled(text, kPoolDebugLists);
    };
    b->text2 = pooled(s.condition);
    if (kind == kStoredBreakKind) {
      b->value1 = s.line;
      b->text1 = pooled(s.fileName);
      b->value2 = byLine ? kStoredByLine : 0;
    } else if (kind == kStoredPlaceKind) {
      b->value1 = 0;
      b->text1 = pooled(s.place);
      b->value2 = 0;
    } else if (kind == kStoredAccessKind) {
      b->value1 = 0;
      b->text1 = OptString();
      b->value2 = uint32_t(s.access);
      b->value3 = s.size;
    }
  }
  // The records set at the start that the driver no longer has leave the
  // list (their memory stays in the pool until the project is freed).
  for (BreakpointRec** link = &target->breakpoints; *link;)
    if (replaced.count(*link) && !taken.count(*link))
      *link = (*link)->next;
    else
      link = &(*link)->next;
  int kept = 0;
  for (const BreakpointRec* b = target->breakpoints; b; b = b->next)
    if (IsStoredLineBreakpoint(*b, b->text1.str()) || IsStoredDefinition(*b)) ++kept;
  return kept;
}

}  // namespace pm2
