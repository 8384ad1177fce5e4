// A driver record whose watch slots answer from tables: expressions with
// their values, struct members, locals by scope, names of addresses, and a
// log of the assignments it was given.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "driver_abi/debug_interface.h"

namespace pm2::test {

struct FakeValue {
  uint8_t code = kDbgTypeScalar;
  bool isArray = false;
  uint8_t targetCode = 0xFF;
  uint32_t count = 0;
  uint32_t address = 0;
  std::string tag;
  std::string text;
  bool outOfScope = false;
};

struct FakeWatchDriver {
  std::map<std::string, FakeValue> values;                    // by expression
  std::map<std::string, std::vector<std::string>> members;    // by expression
  std::map<std::string, std::string> refusals;                // expression -> why it is not evaluated
  uint32_t scope = 0;
  std::vector<std::string> locals;
  std::map<uint32_t, std::string> strings;                    // by address
  std::map<uint32_t, std::string> names;                      // DbgEnum 9
  std::vector<std::string> assigned;
  std::vector<std::string> evaluated;
  std::vector<int> radixes;
  int assignResult = 0;
  std::vector<DbgCallStackEntry> stack;
  // DbgEnum 8's record (its address at byte 19; empty: none) and the first
  // byte of DbgAddressAttr's answer by address.
  std::vector<uint8_t> current;
  std::map<uint32_t, uint8_t> attrs;

  DebugInterface record{};
  DebugInterface* pointer = &record;

  // Installs the slots (one fake at a time).
  void Install();
  ~FakeWatchDriver();
};

}  // namespace pm2::test
