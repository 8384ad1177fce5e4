#include <gtest/gtest.h>

#include <random>

#include "editor/text/text_buffer.h"

namespace pm2 {
namespace {

struct Caret {
  int line;
  int index;
  bool operator==(const Caret&) const = default;
};
Caret At(const CEditTextBuffer& b, const EditPos& p) { return {b.LineNumber(p.pLine), p.nIndex}; }

// Each row makes one recorded edit on the same start text; undo must give
// the start text back with the caret where the edit began, and redo the
// edited text with the caret after it.
TEST(Undo, EachEditUndoesAndRedoesExactly) {
  const std::string start = "alpha beta\r\ngamma\r\ndelta epsilon\r\n";
  struct Row {
    const char* name;
    int (*edit)(CEditTextBuffer&);
    Caret undoCaret;
    Caret redoCaret;
  };
  const Row rows[] = {
      {"insert char", [](CEditTextBuffer& b) { return b.InsertChar({b.GetLine(2), 2}, 'Q', true, true); },
       {2, 2}, {2, 3}},
      {"overwrite char", [](CEditTextBuffer& b) { return b.InsertChar({b.GetLine(2), 1}, 'Q', false, true); },
       {2, 1}, {2, 1}},
      {"overwrite at end", [](CEditTextBuffer& b) { return b.InsertChar({b.GetLine(2), 5}, 'Q', false, true); },
       {2, 5}, {2, 5}},
      {"delete char", [](CEditTextBuffer& b) { return b.DeleteChar({b.GetLine(1), 0}, true); }, {1, 0}, {1, 0}},
      {"delete chars", [](CEditTextBuffer& b) { return b.DeleteChars({b.GetLine(3), 2}, 4, true); }, {3, 2}, {3, 2}},
      {"insert text", [](CEditTextBuffer& b) { return b.InsertText({b.GetLine(1), 3}, "x\r\ny\r\nz", 7, true); },
       {1, 3}, {1, 3}},
      {"insert text at end", [](CEditTextBuffer& b) { return b.InsertText({b.GetLine(3), 13}, "!\r\n", 3, true); },
       {3, 13}, {3, 13}},
      {"delete range", [](CEditTextBuffer& b) { return b.DeleteRange({b.GetLine(1), 3}, {b.GetLine(3), 4}, true); },
       {1, 3}, {1, 3}},
      {"split", [](CEditTextBuffer& b) { return b.SplitLine({b.GetLine(1), 5}, true); }, {1, 5}, {1, 5}},
      {"split past end", [](CEditTextBuffer& b) { return b.SplitLine({b.GetLine(2), 9}, true); }, {2, 5}, {2, 5}},
      {"join", [](CEditTextBuffer& b) { return b.JoinLines({b.GetLine(2), 5}, true); }, {2, 5}, {2, 5}},
      {"join with padding", [](CEditTextBuffer& b) { return b.JoinLines({b.GetLine(2), 8}, true); }, {2, 5}, {2, 8}},
      {"insert string", [](CEditTextBuffer& b) { return b.InsertString({b.GetLine(1), 20}, "far", true, true); },
       {1, 10}, {1, 20}},
      {"overwrite string", [](CEditTextBuffer& b) { return b.InsertString({b.GetLine(1), 4}, "ZZZZZZZZ", false, true); },
       {1, 4}, {1, 11}},
      {"column block insert", [](CEditTextBuffer& b) {
         return b.InsertColumnText({b.GetLine(2), 7}, "12\r\n34\r\n56\r\n78\r\n", 16, true); }, {2, 5}, {2, 7}},
      {"column block delete", [](CEditTextBuffer& b) {
         return b.DeleteColumnBlock({b.GetLine(1), 2}, {b.GetLine(3), 7}, true); }, {1, 2}, {1, 2}},
  };
  for (const Row& r : rows) {
    CEditTextBuffer b;
    b.m_bKeepTabs = 0;
    ASSERT_EQ(0, b.LoadFromBytes(start));
    ASSERT_EQ(0, r.edit(b)) << r.name;
    std::string edited = b.GetText();
    int lines = b.GetLineCount();
    ASSERT_NE(start, edited) << r.name;
    ASSERT_EQ(1, b.Undo()) << r.name;
    EXPECT_EQ(start, b.GetText()) << r.name;
    EXPECT_EQ(0, b.GetUndoIndex()) << r.name << ": one step undoes the whole edit";
    EXPECT_EQ(r.undoCaret, At(b, b.UndoCaret())) << r.name;
    ASSERT_EQ(1, b.Redo()) << r.name;
    EXPECT_EQ(edited, b.GetText()) << r.name;
    EXPECT_EQ(lines, b.GetLineCount()) << r.name;
    EXPECT_EQ(r.redoCaret, At(b, b.RedoCaret())) << r.name;
    EXPECT_EQ(0, b.Redo()) << r.name;
  }
}

TEST(Undo, TypedRunsUndoPerLineAndNewEditDropsRedo) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("\r\n\r\n"));
  for (int i = 0; i < 3; ++i) b.InsertChar({b.GetLine(1), i}, uint8_t('a' + i), true, true);
  for (int i = 0; i < 2; ++i) b.InsertChar({b.GetLine(2), i}, uint8_t('x' + i), true, true);
  ASSERT_EQ(1, b.Undo());
  EXPECT_EQ("abc\r\n\r\n", b.GetText());
  ASSERT_EQ(1, b.Undo());
  EXPECT_EQ("\r\n\r\n", b.GetText());
  b.Redo();
  EXPECT_EQ("abc\r\n\r\n", b.GetText());
  b.InsertChar({b.GetLine(2), 0}, 'n', true, true);
  EXPECT_EQ(0, b.Redo());
}

TEST(Undo, GroupsUndoTogetherAndSeparateGroupsDoNot) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("one\r\ntwo\r\n"));
  // Two groups opened back to back (within the same clock tick) must stay
  // two steps.
  b.BeginUndoGroup(1);
  uint32_t first = b.GetUndoGroupStamp();
  b.InsertText({b.GetLine(1), 0}, "A", 1, true);
  b.InsertText({b.GetLine(2), 0}, "B", 1, true);
  b.BeginUndoGroup(0);
  EXPECT_EQ(0u, b.GetUndoGroupStamp());
  b.BeginUndoGroup(1);
  EXPECT_NE(first, b.GetUndoGroupStamp());
  b.BeginUndoGroup(1);  // nested: same group
  b.InsertText({b.GetLine(1), 0}, "C", 1, true);
  b.BeginUndoGroup(0);
  b.InsertText({b.GetLine(2), 0}, "D", 1, true);
  b.BeginUndoGroup(0);
  EXPECT_EQ("CAone\r\nDBtwo\r\n", b.GetText());
  b.Undo();
  EXPECT_EQ("Aone\r\nBtwo\r\n", b.GetText());
  b.Undo();
  EXPECT_EQ("one\r\ntwo\r\n", b.GetText());
  b.Redo();
  EXPECT_EQ("Aone\r\nBtwo\r\n", b.GetText());
}

TEST(Undo, FullLogDropsOldestQuarterAndStillUndoes) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("\r\n"));
  // Alternate lines so that no two steps merge.
  ASSERT_EQ(0, b.SplitLine({b.FirstLine(), 0}, false));
  for (int i = 0; i < kUndoSlots; ++i)
    b.InsertChar({b.GetLine(1 + i % 2), 0}, uint8_t('a' + i % 26), true, true);
  EXPECT_EQ(kUndoSlots, b.GetUndoTop());
  std::string before = b.GetText();
  b.InsertChar({b.GetLine(1), 0}, 'Z', true, true);
  EXPECT_EQ(kUndoSlots - kUndoDrop + 1, b.GetUndoIndex());
  EXPECT_EQ(kUndoSlots - kUndoDrop + 1, b.GetUndoTop());
  b.Undo();
  EXPECT_EQ(before, b.GetText());
  int steps = 0;
  while (b.Undo()) ++steps;
  EXPECT_EQ(kUndoSlots - kUndoDrop, steps);
  // What is left is the text after the first 512 edits.
  EXPECT_EQ(256u + 256u + 4u, b.GetText().size());
}

TEST(Undo, FullLogMostlyUndoneDropsRedoInsteadOfUnderflowing) {
  CEditTextBuffer b;
  ASSERT_EQ(0, b.LoadFromBytes("\r\n\r\n"));
  for (int i = 0; i < kUndoSlots; ++i)
    b.InsertChar({b.GetLine(1 + i % 2), 0}, 'q', true, true);
  for (int i = 0; i < kUndoSlots - 100; ++i) ASSERT_EQ(1, b.Undo());
  EXPECT_EQ(100, b.GetUndoIndex());
  std::string mid = b.GetText();
  b.DropOldestUndo();
  EXPECT_EQ(100, b.GetUndoIndex());
  EXPECT_EQ(100, b.GetUndoTop());
  // Dropping touches only the log: the text stays, and with the redo part
  // gone there is nothing to redo.
  EXPECT_EQ(mid, b.GetText());
  EXPECT_EQ(0, b.Redo());
  b.InsertChar({b.GetLine(1), 0}, 'N', true, true);
  EXPECT_EQ(101, b.GetUndoIndex());
  int steps = 0;
  while (b.Undo()) ++steps;
  EXPECT_EQ(101, steps);
  EXPECT_EQ("\r\n\r\n", b.GetText());
}

// Thousands of random edits: undoing all gives the original back, redoing
// all gives the final text.
TEST(Undo, SeededRandomStress) {
  for (unsigned seed : {1u, 7u, 42u}) {
    std::mt19937 rng(seed);
    CEditTextBuffer b;
    b.SetTabSize(4);
    std::string original = "int main()\r\n{\r\n\treturn 0;\r\n}\r\n";
    ASSERT_EQ(0, b.LoadFromBytes(original));
    auto pick = [&](int n) { return int(rng() % unsigned(std::max(n, 1))); };
    int steps = 0;
    for (int i = 0; i < 1500; ++i) {
      CEditLine* l = b.GetLine(1 + pick(b.GetLineCount()));
      int len = b.ContentLength(l);
      EditPos p{l, pick(len + 3)};
      bool group = pick(8) == 0;
      if (group) b.BeginUndoGroup(1);
      switch (pick(11)) {
        case 0: b.InsertChar(p, uint8_t('a' + pick(26)), true, true); break;
        case 1: b.InsertChar(p, uint8_t('A' + pick(26)), false, true); break;
        case 2: b.DeleteChar(p, true); break;
        case 3: b.DeleteChars(p, 1 + pick(4), true); break;
        case 4: b.SplitLine(p, true); break;
        case 5: b.JoinLines(p, true); break;
        case 6: b.InsertText(p, "xy\r\nz\tw", 7, true); break;
        case 7: {
          CEditLine* l2 = b.GetLine(b.LineNumber(l) + pick(3));
          b.DeleteRange(p, {l2, pick(b.ContentLength(l2) + 1)}, true);
          break;
        }
        case 8: b.InsertString(p, "str", pick(2) != 0, true); break;
        case 9: {
          CEditLine* l2 = b.GetLine(b.LineNumber(l) + pick(3));
          b.DeleteColumnBlock({l, pick(len + 1)}, {l2, pick(6)}, true);
          break;
        }
        default: b.InsertColumnText(p, "AB\r\nCD\r\n", 8, true); break;
      }
      if (group) b.BeginUndoGroup(0);
      steps = b.GetUndoIndex();
      // Numbers kept lazily agree with the list, asked for in any order.
      int count = 0;
      for (const CEditLine* q = b.FirstLine(); q; q = q->m_pNext) ++count;
      ASSERT_EQ(count, b.GetLineCount()) << "seed " << seed << " edit " << i;
      int k = 1 + pick(count);
      const CEditLine* walked = b.FirstLine();
      for (int j = 1; j < k; ++j) walked = walked->m_pNext;
      ASSERT_EQ(k, b.LineNumber(walked)) << "seed " << seed << " edit " << i;
      ASSERT_EQ(walked, b.GetLine(k)) << "seed " << seed << " edit " << i;
    }
    // Keep the log from wrapping so that every edit is undoable.
    ASSERT_LT(steps, kUndoSlots) << "seed " << seed;
    std::string final = b.GetText();
    while (b.Undo()) {}
    EXPECT_EQ(original, b.GetText()) << "seed " << seed;
    while (b.Redo()) {}
    EXPECT_EQ(final, b.GetText()) << "seed " << seed;
  }
}

}  // namespace
}  // namespace pm2
