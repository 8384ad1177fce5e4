#include "debugger/model/watch_model.h"

#include <gtest/gtest.h>

#include "debugger/model/watch_format.h"
#include "fake_watch_driver.h"

namespace pm2 {
namespace {

using test::FakeValue;
using test::FakeWatchDriver;

class WatchModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drv.Install();
    drv.values["count"] = FakeValue{kDbgTypeScalar, false, 0xFF, 0, 0, "", "5"};
    drv.values["ch"] = FakeValue{kDbgTypeChar, false, 0xFF, 0, 0, "", "10"};
    drv.values["hi"] = FakeValue{kDbgTypeChar, false, 0xFF, 0, 0, "", "200"};
    drv.values["big"] = FakeValue{kDbgTypePointer, true, kDbgTypeScalar, 1000, 0x40000100, "", ""};
    drv.values["name"] = FakeValue{kDbgTypePointer, true, kDbgTypeChar, 16, 0x40000200, "", ""};
    drv.values["msg"] = FakeValue{kDbgTypePointer, false, kDbgTypeChar, 0, 0x40000200, "", "0x40000200"};
    drv.values["pt"] = FakeValue{kDbgTypeStruct, false, 0xFF, 0, 0x40000300, "point", ""};
    drv.values["u"] = FakeValue{kDbgTypeUnion, false, 0xFF, 0, 0x40000400, "", ""};
    drv.values["(pt).x"] = FakeValue{kDbgTypeScalar, false, 0xFF, 0, 0, "", "3"};
    drv.values["(pt).y"] = FakeValue{kDbgTypeScalar, false, 0xFF, 0, 0, "", "4"};
    drv.members["pt"] = {"x", "y"};
    drv.refusals["count = 5"] = "an assignment is not allowed";
    drv.strings[0x40000200] = "hello";
    for (int i = 0; i <= 300; ++i)
      drv.values["(big)[" + std::to_string(i) + "]"] = FakeValue{kDbgTypeScalar, false, 0xFF, 0, 0, "", "0"};
  }
  WatchItem* Add(WatchModel& m, const std::string& expression) {
    m.AddExpression(expression);
    return m.Rows()[m.Rows().size() - 2].get();
  }

  FakeWatchDriver drv;
  int beeps = 0, deferred = 0;
  WatchEnvironment env{[this] { ++beeps; }, [this] { ++deferred; }, {}};
};

struct FormatRow {
  const char* name;
  const char* expression;
  const char* value;
  uint8_t flags;  // of kWatchEditable | kWatchExpandable
};
class WatchRowFormat : public WatchModelTest, public ::testing::WithParamInterface<FormatRow> {};
TEST_P(WatchRowFormat, ValueAndFlags) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, GetParam().expression);
  EXPECT_EQ(row->value, GetParam().value);
  EXPECT_EQ(row->flags & (kWatchEditable | kWatchExpandable | kWatchFailed), GetParam().flags);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, WatchRowFormat,
    ::testing::Values(FormatRow{"Scalar", "count", "5", kWatchEditable},
                      FormatRow{"CharNewLine", "ch", "10 '\\n'", kWatchEditable},
                      FormatRow{"CharWithoutForm", "hi", "200", kWatchEditable},
                      FormatRow{"ArrayOfInts", "big", "0x40000100 [ ... ]", kWatchExpandable},
                      FormatRow{"ArrayOfChars", "name", "0x40000200 []  hello", kWatchExpandable},
                      FormatRow{"PointerToChars", "msg", "0x40000200 hello", kWatchEditable | kWatchExpandable},
                      FormatRow{"Struct", "pt", "struct point { ... }", kWatchExpandable},
                      FormatRow{"UnionWithoutTag", "u", "union <notag> { ... }", kWatchExpandable},
                      FormatRow{"NotEvaluated", "nosuch", "????????", kWatchFailed},
                      FormatRow{"RefusedWithItsReason", "count = 5", "???????? (an assignment is not allowed)",
                                kWatchFailed}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(WatchModelTest, AWatchWindowEndsWithThePlaceholder) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  ASSERT_EQ(m.Rows().size(), 1u);
  EXPECT_TRUE(m.Rows()[0]->placeholder);
  EXPECT_EQ(m.Rows()[0]->name, "<type F2 to edit>");
  EXPECT_EQ(m.Rows()[0]->flags, kWatchNoValue | kWatchTopLevel);
  // Typing over the placeholder makes it a row and appends a new one.
  m.EndNameEdit(m.Rows()[0].get(), "count");
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_EQ(m.Rows()[0]->value, "5");
  EXPECT_TRUE(m.Rows()[1]->placeholder);
  // An empty text over the placeholder restores it; over a row deletes it.
  m.EndNameEdit(m.Rows()[1].get(), "");
  EXPECT_EQ(m.Rows()[1]->name, "<type F2 to edit>");
  m.EndNameEdit(m.Rows()[0].get(), "<type F2 to edit>");
  ASSERT_EQ(m.Rows().size(), 1u);
  EXPECT_TRUE(m.Rows()[0]->placeholder);
  // A text that begins with a blank is an expression.
  m.EndNameEdit(m.Rows()[0].get(), " count");
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_FALSE(m.Rows()[0]->placeholder);
  EXPECT_EQ(m.Expressions(), std::vector<std::string>{"count"});
}

TEST_F(WatchModelTest, AChangedValueIsMarkedForOneRefresh) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, "count");
  EXPECT_FALSE(row->flags & kWatchChanged);
  drv.values["count"].text = "6";
  m.Refresh();
  EXPECT_EQ(row->value, "6");
  EXPECT_TRUE(row->flags & kWatchChanged);
  m.Refresh();
  EXPECT_FALSE(row->flags & kWatchChanged);
}

TEST_F(WatchModelTest, OutOfScopeAndBackIsNoChange) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, "pt");
  ASSERT_TRUE(m.Expand(row));
  drv.values["pt"].outOfScope = true;
  m.Refresh();
  EXPECT_EQ(row->value, "<out ot scope>");
  EXPECT_EQ(row->children[0]->value, "<out ot scope>");
  drv.values["pt"].outOfScope = false;
  m.Refresh();
  EXPECT_EQ(row->value, "struct point { ... }");
  EXPECT_FALSE(row->flags & kWatchChanged);
}

TEST_F(WatchModelTest, ChildrenByType) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* big = Add(m, "big");
  ASSERT_TRUE(m.Expand(big));
  ASSERT_EQ(big->children.size(), 301u);
  EXPECT_EQ(big->children[300]->name, "[ ... ]");
  EXPECT_EQ(big->children[299]->expression, "(big)[299]");
  // Children are built once.
  const WatchItem* first = big->children[0].get();
  m.Collapse(big);
  m.Expand(big);
  EXPECT_EQ(big->children[0].get(), first);
  WatchItem* pt = Add(m, "pt");
  ASSERT_TRUE(m.Expand(pt));
  ASSERT_EQ(pt->children.size(), 2u);
  EXPECT_EQ(pt->children[1]->name, "y");
  EXPECT_EQ(pt->children[1]->value, "4");
  WatchItem* msg = Add(m, "msg");
  ASSERT_TRUE(m.Expand(msg));
  ASSERT_EQ(msg->children.size(), 1u);
  EXPECT_EQ(msg->children[0]->name, "*msg");
  EXPECT_EQ(msg->children[0]->expression, "*(msg)");
}

TEST_F(WatchModelTest, ValueEditAssignsThroughTheDriver) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* pt = Add(m, "pt");
  m.Expand(pt);
  ASSERT_TRUE(m.MayEditValue(pt->children[0].get()));
  EXPECT_TRUE(m.EndValueEdit(pt->children[0].get(), "7"));
  ASSERT_EQ(drv.assigned.size(), 1u);
  EXPECT_EQ(drv.assigned[0], " `pt.x = 7\n");
  EXPECT_EQ(deferred, 1);
  // A struct row is not editable; a refused assignment beeps.
  EXPECT_FALSE(m.MayEditValue(pt));
  drv.assignResult = 1;
  EXPECT_FALSE(m.EndValueEdit(pt->children[1].get(), "8"));
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(deferred, 1);
}

TEST_F(WatchModelTest, ClearingValuesKeepsTheExpressions) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, "pt");
  m.Expand(row);
  m.ClearValues();
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_TRUE(row->children.empty());
  EXPECT_EQ(row->value, "");
  m.Refresh();
  EXPECT_EQ(row->value, "struct point { ... }");
  EXPECT_EQ(m.Expressions(), std::vector<std::string>{"pt"});
  // The locals go whole.
  drv.scope = 1;
  drv.locals = {"count"};
  WatchModel locals(true, &drv.pointer, env);
  locals.Attach();
  locals.ClearValues();
  EXPECT_TRUE(locals.Rows().empty());
}

TEST_F(WatchModelTest, EditsRefusedWithoutASession) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, "count");
  drv.record.flags = 0;
  EXPECT_FALSE(m.MayEditName(row));
  EXPECT_FALSE(m.MayEditValue(row));
  EXPECT_EQ(beeps, 2);
  // The placeholder cannot be deleted; a row can.
  drv.record.flags = kDbgFlagActive;
  EXPECT_FALSE(m.DeleteRow(m.Rows().back().get()));
  EXPECT_TRUE(m.DeleteRow(row));
  EXPECT_EQ(m.Rows().size(), 1u);
}

TEST_F(WatchModelTest, RadixCommandRewritesTheSuffix) {
  WatchModel m(false, &drv.pointer, env);
  m.Attach();
  WatchItem* row = Add(m, "count,0x10");
  EXPECT_EQ(row->value, "0x5");
  m.SetContextRow(row);
  EXPECT_EQ(m.WindowRadix(), 16);
  m.SetRadix(10);
  EXPECT_EQ(row->name, "count,0x0A");
  EXPECT_EQ(row->value, "5");
  EXPECT_EQ(m.ContextRow(), nullptr);
}

TEST_F(WatchModelTest, LocalsFollowTheScope) {
  drv.scope = 0x100;
  drv.locals = {"count", "ch"};
  WatchModel m(true, &drv.pointer, env);
  m.Attach();
  ASSERT_EQ(m.Rows().size(), 2u);
  EXPECT_EQ(m.Rows()[0]->name, "count");
  const WatchItem* first = m.Rows()[0].get();
  // Same scope and count: rows kept and updated.
  drv.values["count"].text = "9";
  m.Refresh();
  EXPECT_EQ(m.Rows()[0].get(), first);
  EXPECT_TRUE(first->flags & kWatchChanged);
  // Another scope: rebuilt.
  drv.scope = 0x200;
  drv.locals = {"pt"};
  m.Refresh();
  ASSERT_EQ(m.Rows().size(), 1u);
  EXPECT_EQ(m.Rows()[0]->value, "struct point { ... }");
  // While the target runs the locals cannot be read: empty.
  drv.record.flags |= kDbgFlagExecuting;
  m.Refresh();
  EXPECT_TRUE(m.Rows().empty());
  EXPECT_TRUE(m.Expressions().empty());
}

TEST_F(WatchModelTest, LocalsUseTheWindowRadix) {
  drv.scope = 0x100;
  drv.locals = {"count"};
  WatchModel m(true, &drv.pointer, env);
  m.Attach();
  m.SetContextRow(m.Rows()[0].get());
  m.SetRadix(16);
  EXPECT_EQ(m.Rows()[0]->name, "count");
  EXPECT_EQ(m.Rows()[0]->value, "0x5");
}

}  // namespace
}  // namespace pm2
