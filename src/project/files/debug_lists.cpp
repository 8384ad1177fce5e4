#include "project/files/debug_lists.h"

#include "project/files/project_lines.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

template <class R>
R* AppendTo(R*& head, ListTails* tails, int pool = kPoolDebugLists) {
  R* rec = PoolNew<R>(pool);
  if (tails) {
    tails->Link(head, rec);
  } else if (R* last = LastOf(head)) {
    last->next = rec;
  } else {
    head = rec;
  }
  return rec;
}

SyncFileHook g_syncFileHook = nullptr;

}  // namespace

bool IsWrittenBreakpoint(const BreakpointRec& b) {
  return (b.flags & kBreakKindMask) != kBreakKindLine || !(b.flags & kBreakFlag4);
}

bool BreakpointFileInInlinePlace(const BreakpointRec& b) {
  return (b.flags & kBreakKindMask) == kBreakKindLine && b.inlineText.empty() &&
         !ParenthesisedTextFault(b.text1.view()).empty();
}

std::string BreakpointFileRefusal(std::string_view fileName) {
  if (ParenthesisedTextFault(fileName).empty()) return std::string();
  const std::string fault = BracketedTextFault(fileName, '<', '>');
  if (fault.empty()) return fault;
  return "A breakpoint in '" + std::string(fileName) + "' cannot be kept with the project: its name holds " + fault +
         ".";
}

BreakpointRec* AppendBreakpoint(TargetRec* target, ListTails* tails) {
  return AppendTo(target->breakpoints, tails);
}

WatchRec* AppendWatch(TargetRec* target, int list, OptString expression, ListTails* tails) {
  WatchRec* w = AppendTo(target->watches[list == 0 ? 0 : 1], tails);
  w->expression = expression;
  return w;
}

MemWindowRec* AppendMemWindowEntry(TargetRec* target, int window, OptString expression, ListTails* tails) {
  if (window < 0 || window > 3) return nullptr;
  MemWindowRec* m = AppendTo(target->memWindows[window], tails);
  m->expression = expression;
  return m;
}

ToolboxButtonRec* AppendToolboxButton(TargetRec* target, OptString text1, OptString text2, ListTails* tails) {
  ToolboxButtonRec* b = AppendTo(target->toolbox, tails);
  b->text1 = text1;
  b->text2 = text2;
  return b;
}

PerfRangeRec* AppendPerfRange(TargetRec* target, OptString text, ListTails* tails) {
  PerfRangeRec* p = AppendTo(target->perfRanges, tails);
  p->text = text;
  return p;
}

EditorFileRec* AppendEditorFile(EditorFileRec** list, ListTails* tails) {
  return AppendTo(*list, tails, kPoolProject);
}

void SetSyncFileHook(SyncFileHook hook) { g_syncFileHook = hook; }

int SyncFileWithOpenDocuments(FileRec* file) {
  return g_syncFileHook ? g_syncFileHook(file) : 0;
}

}  // namespace pm2
