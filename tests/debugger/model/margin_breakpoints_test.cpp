#include "debugger/model/margin_breakpoints.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "debugger/session/session_breakpoints.h"
#include "editor/document/margin_marks.h"
#include "project/files/debug_lists.h"
#include "project/model/project_records.h"

namespace pm2 {
namespace {

// A text of n lines, numbered and reset like a view's marks.
struct Lines {
  std::vector<std::unique_ptr<CEditLine>> lines;
  explicit Lines(int n) {
    for (int i = 0; i < n; ++i) {
      lines.push_back(std::make_unique<CEditLine>());
      if (i) {
        lines[std::size_t(i - 1)]->m_pNext = lines.back().get();
        lines.back()->m_pPrev = lines[std::size_t(i - 1)].get();
      }
    }
    ResetMarginMarks(First());
  }
  CEditLine* First() { return lines[0].get(); }
  CEditLine* At(int number) { return lines[std::size_t(number - 1)].get(); }
};

int Count(const TargetRec& t, bool live) {
  int n = 0;
  for (const BreakpointRec* b = t.breakpoints; b; b = b->next)
    if (!live || !(b->flags & kBreakFlag4)) ++n;
  return n;
}

TEST(StoredBreakpoints, ToggleAddsAtTheHeadAndMarksRemoved) {
  TargetRec target;
  Lines text(10);
  ToggleStoredBreakpoint(text.At(3), &target, "LED.c");
  ToggleStoredBreakpoint(text.At(7), &target, "LED.c");
  ASSERT_EQ(Count(target, true), 2);
  EXPECT_EQ(target.breakpoints->value1, 7u);  // the newest first
  EXPECT_EQ(target.breakpoints->flags & kBreakKindMask, 0);
  EXPECT_TRUE(target.breakpoints->flags & kBreakFlag3);
  EXPECT_STREQ(target.breakpoints->text1.c_str(), "LED.c");
  EXPECT_EQ(text.At(3)->m_nFlags & (kLineBreakSet | kLineBreakEnabled), kLineBreakSet | kLineBreakEnabled);
  ToggleStoredBreakpoint(text.At(3), &target, "LED.c");
  EXPECT_EQ(Count(target, true), 1);
  EXPECT_EQ(Count(target, false), 2);  // kept, marked removed
  EXPECT_FALSE(text.At(3)->m_nFlags & kLineBreakSet);
}

// The options file keeps a line breakpoint's file between parentheses or,
// when they cannot hold it, between angle brackets: a name neither can
// hold gets no breakpoint, so that no later save fails on it.
TEST(StoredBreakpoints, AFileNameTheOptionsFileCannotKeepGetsNoBreakpoint) {
  struct Row {
    const char* name;
    const char* file;
    bool kept;
  };
  const Row rows[] = {
      {"plain", "LED.c", true},
      {"unmatched parenthesis", "x)y.c", true},
      {"unmatched angle", "x>y.c", true},
      {"both unmatched", "x)y>.c", false},
  };
  for (const Row& r : rows) {
    TargetRec target;
    Lines text(4);
    const std::string why = ToggleStoredBreakpoint(text.At(2), &target, r.file);
    EXPECT_EQ(why.empty(), r.kept) << r.name << ": " << why;
    EXPECT_EQ(Count(target, true), r.kept ? 1 : 0) << r.name;
    EXPECT_EQ(bool(text.At(2)->m_nFlags & kLineBreakSet), r.kept) << r.name;
    if (!r.kept) {
      EXPECT_NE(why.find(std::string("'") + r.file + "'"), std::string::npos) << why;
    }
  }
}

// What a session leaves set is kept as line breakpoints, but not in a file
// whose name the options file cannot keep: a save would fail on it.
TEST(StoredBreakpoints, ASessionKeepsNoBreakpointTheOptionsFileCannotHold) {
  TargetRec target;
  std::vector<SourceBreakpoint> found(3);
  found[0].fileName = "x)y>.c", found[0].line = 4;
  found[1].fileName = "x)y.c", found[1].line = 5;
  found[2].fileName = "LED.c", found[2].line = 6, found[2].enabled = false;
  EXPECT_EQ(KeepSessionBreakpoints(&target, {}, found), 2);
  std::vector<std::string> files;
  for (const BreakpointRec* b = target.breakpoints; b; b = b->next) files.push_back(b->text1.str());
  EXPECT_EQ(files, (std::vector<std::string>{"x)y.c", "LED.c"}));
}

// Each breakpoint the driver lists is stored by the kind its definition
// needs, none folded into another of the same place or expression.
TEST(StoredBreakpoints, EachListedBreakpointIsStoredByItsKind) {
  struct Row {
    const char* name;
    SourceBreakpoint found;
    uint8_t kind;
    const char* text1;
    uint32_t value1, value2;
    const char* text2;
  };
  const auto line = [](const char* place, const char* file, uint32_t n) {
    SourceBreakpoint s;
    s.place = place, s.fileName = file, s.line = n;
    return s;
  };
  SourceBreakpoint conditional, access, unnamed;
  conditional.conditional = true, conditional.condition = "calls == 20", conditional.passCount = 4;
  access.access = 1, access.condition = "pattern_step", access.size = 4;
  unnamed.place = "";
  const Row rows[] = {
      {"margin address", line("0x378", "LED.c", 13), 0, "LED.c", 13, 0, ""},
      {"no place said", line("", "LED.c", 13), 0, "LED.c", 13, 0, ""},
      {"source line", line("LED.c:13", "LED.c", 13), 0, "LED.c", 13, kStoredByLine, ""},
      {"source line in quotes with a path", line("\"src/led.c\":13", "LED.c", 13), 0, "LED.c", 13, kStoredByLine, ""},
      {"another line's name", line("LED.c:12", "LED.c", 13), kStoredPlaceKind, "LED.c:12", 0, 0, ""},
      {"function", line("LED_On", "LED.c", 13), kStoredPlaceKind, "LED_On", 0, 0, ""},
      {"function without source", line("LED_On", "", 0), kStoredPlaceKind, "LED_On", 0, 0, ""},
      {"conditional", conditional, kStoredConditionalKind, "", 0, 0, "calls == 20"},
      {"read access", access, kStoredAccessKind, "", 0, 1, "pattern_step"},
  };
  for (const Row& r : rows) {
    TargetRec target;
    // Twice: the second is a breakpoint of its own.
    ASSERT_EQ(KeepSessionBreakpoints(&target, {}, {r.found, r.found}), 2) << r.name;
    for (const BreakpointRec* b = target.breakpoints; b; b = b->next) {
      EXPECT_EQ(b->flags & kBreakKindMask, r.kind) << r.name;
      EXPECT_EQ(b->text1.str(), r.text1) << r.name;
      EXPECT_EQ(b->value1, r.value1) << r.name;
      EXPECT_EQ(b->value2, r.value2) << r.name;
      EXPECT_EQ(b->text2.str(), r.text2) << r.name;
    }
  }
  TargetRec target;
  EXPECT_EQ(KeepSessionBreakpoints(&target, {}, {unnamed}), 0) << "no place and no line";
}

// A stored breakpoint the session could not set takes the place of one
// found that is the same, once: a second found is a record of its own.
TEST(StoredBreakpoints, AStoredOneTheSessionDidNotSetIsNotDoubled) {
  TargetRec target;
  SourceBreakpoint s;
  s.place = "LED_On";
  ASSERT_EQ(KeepSessionBreakpoints(&target, {}, {s}), 1);
  EXPECT_EQ(KeepSessionBreakpoints(&target, {}, {s}), 1);
  EXPECT_EQ(KeepSessionBreakpoints(&target, {}, {s, s}), 2);
}

TEST(StoredBreakpoints, AppliedByFileNameIgnoringCase) {
  TargetRec target;
  Lines a(10), b(10);
  ToggleStoredBreakpoint(a.At(4), &target, "LED.c");
  ASSERT_TRUE(ToggleStoredEnable(a.At(4), &target, "LED.c"));
  ToggleStoredBreakpoint(a.At(5), &target, "Other.c");
  EXPECT_EQ(ApplyStoredBreakpoints(b.First(), &target, "led.C"), 1);
  EXPECT_EQ(b.At(4)->m_nFlags & (kLineBreakSet | kLineBreakEnabled), kLineBreakSet);
  EXPECT_FALSE(b.At(5)->m_nFlags & kLineBreakSet);
  EXPECT_FALSE(ToggleStoredEnable(b.At(6), &target, "LED.c"));
}

TEST(StoredBreakpoints, ALineDeletedLaterIsPurgedBeforeASave) {
  TargetRec target;
  Lines text(10);
  ToggleStoredBreakpoint(text.At(9), &target, "LED.c");
  // The text lost its last two lines: no debugger word 9 is left.
  text.At(8)->m_pNext = nullptr;
  EXPECT_EQ(SettleStoredBreakpoints(text.First(), &target, "LED.c"), 1);
  Lines again(8);
  EXPECT_EQ(ApplyStoredBreakpoints(again.First(), &target, "LED.c"), 0);
}

TEST(StoredBreakpoints, ASavedTextStoresTheLineTheBreakpointNowMarks) {
  TargetRec target;
  Lines text(6);
  ToggleStoredBreakpoint(text.At(4), &target, "LED.c");
  ToggleStoredBreakpoint(text.At(2), &target, "Other.c");
  // Two lines typed above line 4 (they have no debugger word yet).
  CEditLine typed[2];
  for (CEditLine& l : typed) {
    CEditLine* before = text.At(3);
    l.m_pPrev = before;
    l.m_pNext = before->m_pNext;
    before->m_pNext->m_pPrev = &l;
    before->m_pNext = &l;
  }
  EXPECT_EQ(SettleStoredBreakpoints(text.First(), &target, "LED.c"), 0);
  const BreakpointRec* other = target.breakpoints;
  const BreakpointRec* led = other->next;
  EXPECT_EQ(led->value1, 6u) << "line 4 is line 6 now";
  EXPECT_EQ(other->value1, 2u) << "another file's breakpoint stays";
  for (CEditLine& l : typed) {
    l.m_pPrev->m_pNext = l.m_pNext;
    l.m_pNext->m_pPrev = l.m_pPrev;
  }
}

TEST(StoredBreakpoints, DisableAndKillAllReportAChange) {
  TargetRec target;
  EXPECT_FALSE(DisableAllStored(&target));
  EXPECT_FALSE(KillAllStored(&target));
  Lines text(5);
  ToggleStoredBreakpoint(text.At(2), &target, "LED.c");
  EXPECT_TRUE(DisableAllStored(&target));
  EXPECT_FALSE(DisableAllStored(&target));  // nothing left enabled
  EXPECT_TRUE(KillAllStored(&target));
  EXPECT_FALSE(KillAllStored(&target));
  EXPECT_EQ(Count(target, true), 0);
}

}  // namespace
}  // namespace pm2
