// The cell editors' key rules in named rows: how an edit starts and which
// keys end it.
#include <gtest/gtest.h>

#include "toolkit/models/inplace_rules.h"

namespace pm2 {
namespace {

struct StartRow {
  const char* name;
  int key;
  bool list;
  InPlaceStart action;
  bool navigationEnds;
};

const StartRow kStarts[] = {
    {"Mouse", kInPlaceMouse, false, InPlaceStart::SelectAll, false},
    {"Enter", 13, false, InPlaceStart::SelectAll, true},
    {"Backspace", 8, false, InPlaceStart::CaretAtEndPassKey, true},
    {"Space", 32, false, InPlaceStart::SelectAll, true},
    {"ArrowDown", 40, false, InPlaceStart::SelectAll, true},
    {"Digit", '7', false, InPlaceStart::SelectAllPassKey, true},
    {"ListSpaceIsTyped", 32, true, InPlaceStart::SelectAllPassKey, false},
    {"ListArrow", 38, true, InPlaceStart::SelectAll, false},
};

class Start : public ::testing::TestWithParam<StartRow> {};

TEST_P(Start, ActionAndRecord) {
  const StartRow& r = GetParam();
  EXPECT_EQ(StartAction(r.key, r.list), r.action);
  InPlaceEndRecord rec = StartInPlace("old", r.key, r.list);
  EXPECT_EQ(rec.navigationEnds, r.navigationEnds);
  EXPECT_EQ(rec.ignoreKey, r.key);
  EXPECT_EQ(rec.startText, "old");
}

INSTANTIATE_TEST_SUITE_P(Rows, Start, ::testing::ValuesIn(kStarts),
                         [](const ::testing::TestParamInfo<StartRow>& i) { return std::string(i.param.name); });

struct KeyRow {
  const char* name;
  int startKey;
  bool list;
  int key;
  bool ctrl;
  InPlaceKey result;
  int endKey;
};

const KeyRow kKeys[] = {
    {"ArrowEndsAKeyStartedEdit", '5', false, 40, false, InPlaceKey::End, 40},
    {"ArrowMovesInAMouseStartedEdit", kInPlaceMouse, false, 37, false, InPlaceKey::Pass, 0},
    {"CtrlArrowEndsAMouseStartedEdit", kInPlaceMouse, false, 37, true, InPlaceKey::End, 37},
    {"EscapeEnds", kInPlaceMouse, false, 27, false, InPlaceKey::End, 27},
    {"EnterEnds", kInPlaceMouse, false, 13, false, InPlaceKey::End, 13},
    {"EnterThatStartedIsIgnored", 13, false, 13, false, InPlaceKey::Swallow, 0},
    {"HomeIsNoEndKey", '5', false, 36, false, InPlaceKey::Pass, 0},
    {"ListArrowMoves", kInPlaceMouse, true, 40, false, InPlaceKey::Pass, 0},
    {"ListCtrlArrowEnds", kInPlaceMouse, true, 40, true, InPlaceKey::End, 40},
    {"ListTabEnds", kInPlaceMouse, true, 9, false, InPlaceKey::End, 9},
    {"LetterPasses", kInPlaceMouse, false, 'A', false, InPlaceKey::Pass, 0},
};

class KeyDown : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyDown, EndsOrPasses) {
  const KeyRow& r = GetParam();
  InPlaceEndRecord rec = StartInPlace("old", r.startKey, r.list);
  EXPECT_EQ(InPlaceKeyDown(rec, r.key, r.ctrl, r.list), r.result);
  EXPECT_EQ(rec.endKey, r.endKey);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeyDown, ::testing::ValuesIn(kKeys),
                         [](const ::testing::TestParamInfo<KeyRow>& i) { return std::string(i.param.name); });

TEST(InPlaceKeys, TheStartKeysReleaseIsSwallowedOnce) {
  InPlaceEndRecord rec = StartInPlace("old", 13, false);
  EXPECT_EQ(InPlaceKeyUp(rec, 13), InPlaceKey::Swallow);
  EXPECT_EQ(rec.endKey, 0);
  EXPECT_EQ(InPlaceKeyUp(rec, 13), InPlaceKey::End);
  EXPECT_EQ(rec.endKey, 13);
}

TEST(InPlaceKeys, EscapeGivesBackTheStartText) {
  InPlaceEndRecord rec = StartInPlace("old", kInPlaceMouse, false);
  ASSERT_EQ(InPlaceKeyDown(rec, 27, false, false), InPlaceKey::End);
  EXPECT_EQ(InPlaceFinalText(rec, "typed"), "old");
  InPlaceEndRecord enter = StartInPlace("old", kInPlaceMouse, false);
  InPlaceKeyDown(enter, 13, false, false);
  EXPECT_EQ(InPlaceFinalText(enter, "typed"), "typed");
}

}  // namespace
}  // namespace pm2
