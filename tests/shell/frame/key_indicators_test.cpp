// The key indicators: the X keyboard's LED mask read as lock keys, and
// which indicator pane shows its text for which locks.
#include <gtest/gtest.h>

#include "shell/frame/key_indicators.h"

namespace pm2 {
namespace {

constexpr unsigned kCap = 59137, kNum = 59138, kScrl = 59139;

struct LedRow {
  const char* name;
  std::uint32_t mask;
  bool cap, num, scrl;  // the panes that show their text
};

const LedRow kLedRows[] = {
    {"NoLed", 0x0, false, false, false},
    {"CapsLockOnLedOne", 0x1, true, false, false},
    {"NumLockOnLedTwo", 0x2, false, true, false},
    {"ScrollLockOnLedThree", 0x4, false, false, true},
    {"AllThree", 0x7, true, true, true},
    // LEDs past the third (a compose or kana light) light no indicator.
    {"OtherLedsAlone", 0xFFFFFFF8u, false, false, false},
    {"NumAmongOthers", 0x80000012u, false, true, false},
};

TEST(KeyIndicators, TheLedMaskLightsThePanesOfItsLocks) {
  for (const LedRow& row : kLedRows) {
    SCOPED_TRACE(row.name);
    const std::optional<KeyLocks> locks = KeyLocksFromLedMask(row.mask);
    EXPECT_EQ(KeyIndicatorLit(kCap, locks), row.cap);
    EXPECT_EQ(KeyIndicatorLit(kNum, locks), row.num);
    EXPECT_EQ(KeyIndicatorLit(kScrl, locks), row.scrl);
  }
}

TEST(KeyIndicators, UnknownLocksAndOtherPanesShowNothing) {
  for (unsigned id : {kCap, kNum, kScrl}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(IsKeyIndicatorPane(id));
    EXPECT_FALSE(KeyIndicatorLit(id, std::nullopt));
  }
  // The overwrite pane beside them and the message pane are not indicators.
  const std::optional<KeyLocks> all = KeyLocksFromLedMask(0x7);
  for (unsigned id : {0u, 59140u, 123u}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(IsKeyIndicatorPane(id));
    EXPECT_FALSE(KeyIndicatorLit(id, all));
  }
}

}  // namespace
}  // namespace pm2
