#include "project/files/debug_lists.h"

#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

template <class R>
R* AppendTo(R*& head) {
  R* rec = PoolNew<R>(kPoolDebugLists);
  if (R* last = LastOf(head)) {
    last->next = rec;
  } else {
    head = rec;
  }
  return rec;
}

SyncFileHook g_syncFileHook = nullptr;

}  // namespace

BreakpointRec* AppendBreakpoint(TargetRec* target) { return AppendTo(target->breakpoints); }

WatchRec* AppendWatch(TargetRec* target, int list, OptString expression) {
  WatchRec* w = AppendTo(target->watches[list == 0 ? 0 : 1]);
  w->expression = expression;
  return w;
}

MemWindowRec* AppendMemWindowEntry(TargetRec* target, int window, OptString expression) {
  if (window < 0 || window > 3) return nullptr;
  MemWindowRec* m = AppendTo(target->memWindows[window]);
  m->expression = expression;
  return m;
}

ToolboxButtonRec* AppendToolboxButton(TargetRec* target, OptString text1, OptString text2) {
  ToolboxButtonRec* b = AppendTo(target->toolbox);
  b->text1 = text1;
  b->text2 = text2;
  return b;
}

PerfRangeRec* AppendPerfRange(TargetRec* target, OptString text) {
  PerfRangeRec* p = AppendTo(target->perfRanges);
  p->text = text;
  return p;
}

EditorFileRec* AppendEditorFile(EditorFileRec** list) {
  EditorFileRec* rec = PoolNew<EditorFileRec>(kPoolProject);
  if (EditorFileRec* last = LastOf(*list)) {
    last->next = rec;
  } else {
    *list = rec;
  }
  return rec;
}

void SetSyncFileHook(SyncFileHook hook) { g_syncFileHook = hook; }

int SyncFileWithOpenDocuments(FileRec* file) {
  return g_syncFileHook ? g_syncFileHook(file) : 0;
}

}  // namespace pm2
