#include "debugger/model/margin_breakpoints.h"

#include <strings.h>

#include <unordered_map>

#include "project/files/debug_lists.h"
#include "project/model/project_records.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

BreakpointRec* FindRecord(TargetRec* target, const std::string& fileName, uint32_t line) {
  for (BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next)
    if (IsStoredLineBreakpoint(*b, fileName) && b->value1 == line) return b;
  return nullptr;
}

}  // namespace

bool IsStoredLineBreakpoint(const BreakpointRec& b, const std::string& fileName) {
  return (b.flags & kBreakKindMask) == kStoredBreakKind && !(b.flags & kBreakFlag4) && b.value1 != 0 &&
         !b.text1.empty() && strcasecmp(b.text1.c_str(), fileName.c_str()) == 0;
}

int ApplyStoredBreakpoints(CEditLine* first, const TargetRec* target, const std::string& fileName) {
  int applied = 0;
  for (const BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next) {
    if (!IsStoredLineBreakpoint(*b, fileName)) continue;
    for (CEditLine* l = first; l; l = l->m_pNext) {
      if (!(l->m_nFlags & kLineDebugWordValid) || l->m_nDebugWord != b->value1) continue;
      l->m_nFlags |= kLineBreakSet;
      if (b->flags & kBreakFlag3)
        l->m_nFlags |= kLineBreakEnabled;
      else
        l->m_nFlags &= ~uint32_t(kLineBreakEnabled);
      ++applied;
      break;
    }
  }
  return applied;
}

std::string ToggleStoredBreakpoint(CEditLine* line, TargetRec* target, const std::string& fileName) {
  if (!line || !target) return std::string();
  if (line->m_nFlags & kLineBreakSet) {
    if (BreakpointRec* b = FindRecord(target, fileName, line->m_nDebugWord)) b->flags |= kBreakFlag4;
    line->m_nFlags &= ~uint32_t(kLineBreakSet | kLineBreakEnabled);
    return std::string();
  }
  if (std::string why = BreakpointFileRefusal(fileName); !why.empty()) return why;
  auto* b = PoolNew<BreakpointRec>(kPoolDebugLists);
  b->flags = kStoredBreakKind | kBreakFlag3;
  b->value1 = line->m_nDebugWord;
  b->text1 = OptString::Pooled(fileName, kPoolDebugLists);
  b->next = target->breakpoints;
  target->breakpoints = b;
  line->m_nFlags |= kLineBreakSet | kLineBreakEnabled;
  return std::string();
}

bool ToggleStoredEnable(CEditLine* line, TargetRec* target, const std::string& fileName) {
  if (!line || !(line->m_nFlags & kLineBreakSet)) return false;
  line->m_nFlags ^= kLineBreakEnabled;
  if (BreakpointRec* b = FindRecord(target, fileName, line->m_nDebugWord)) {
    if (line->m_nFlags & kLineBreakEnabled)
      b->flags |= kBreakFlag3;
    else
      b->flags &= uint8_t(~kBreakFlag3);
  }
  return true;
}

int SettleStoredBreakpoints(const CEditLine* first, TargetRec* target, const std::string& fileName) {
  // Debugger word -> the line's number now.
  std::unordered_map<uint32_t, uint32_t> lineOfWord;
  uint32_t number = 0;
  for (const CEditLine* l = first; l; l = l->m_pNext) {
    ++number;
    if (l->m_nFlags & kLineDebugWordValid) lineOfWord.emplace(l->m_nDebugWord, number);
  }
  int purged = 0;
  for (BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next) {
    if (!IsStoredLineBreakpoint(*b, fileName)) continue;
    auto it = lineOfWord.find(b->value1);
    if (it == lineOfWord.end()) {
      b->flags |= kBreakFlag4;
      ++purged;
    } else {
      b->value1 = it->second;
    }
  }
  return purged;
}

bool DisableAllStored(TargetRec* target) {
  bool any = false;
  for (BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next)
    if (!(b->flags & kBreakFlag4) && (b->flags & kBreakFlag3)) {
      b->flags &= uint8_t(~kBreakFlag3);
      any = true;
    }
  return any;
}

bool KillAllStored(TargetRec* target) {
  bool any = false;
  for (BreakpointRec* b = target ? target->breakpoints : nullptr; b; b = b->next)
    if (!(b->flags & kBreakFlag4)) {
      b->flags |= kBreakFlag4;
      any = true;
    }
  return any;
}

}  // namespace pm2
