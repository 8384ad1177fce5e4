#pragma once
// The rules of the key-assignment dialog without its window: the hot-key
// control's combination rules, what the dialog says about a key, and which
// keys it refuses.

#include <cstdint>
#include <string>

#include "toolkit/menus/accel.h"

namespace pm2 {

class SECCommandList;

// Combination bits of the invalid-combination rule.
constexpr std::uint16_t HKCOMB_NONE = 0x01, HKCOMB_S = 0x02, HKCOMB_C = 0x04, HKCOMB_A = 0x08;
constexpr std::uint16_t HKCOMB_SC = 0x10, HKCOMB_SA = 0x20, HKCOMB_CA = 0x40, HKCOMB_SCA = 0x80;

// A key typed into the hot-key control: a combination the rules call
// invalid takes the default modifiers instead.
std::uint32_t ApplyHotKeyRules(std::uint32_t hotKey, std::uint16_t invalid, std::uint16_t defaultModifiers);

// What the dialog shows for the key in its control.
struct AssignKeyView {
  bool clearControl = false;    // Pause, Num Lock and Scroll Lock are no keys here
  bool showAssignment = false;  // the two texts naming the current command
  bool okEnabled = false;
  std::string assignedTo;       // the command's name, or the string for none
};
AssignKeyView DescribeHotKey(std::uint32_t hotKey, const AccelTable& table, const SECCommandList& commands,
                             const std::string& noDescription, const std::string& unassigned);

// F1 in any form, and F4 and F6 with a modifier, stay the system's.
bool IsReservedKey(std::uint32_t hotKey);

}  // namespace pm2
