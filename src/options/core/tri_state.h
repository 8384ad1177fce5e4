// Yes/no options that a group or file may override are 2-bit fields:
// 0 off, 1 on, 2 inherit (the level above decides). A target's box has two
// states; a group's or file's box has three and cycles unchecked, checked,
// inherit (grey), unchecked.
#pragma once

#include <cstdint>

namespace pm2 {

inline constexpr uint32_t kTriOff = 0, kTriOn = 1, kTriInherit = 2;

// The state after a click on a box showing value.
uint32_t NextTriState(uint32_t value, bool threeState);

// The 2-bit field at bit position `shift` of a word.
uint32_t GetTriField(uint32_t word, int shift);
uint32_t SetTriField(uint32_t word, int shift, uint32_t value);

// Any-width bit field of a word (masks out the field, ors in the value).
uint32_t GetBitField(uint32_t word, int shift, int width);
uint32_t SetBitField(uint32_t word, int shift, int width, uint32_t value);

}  // namespace pm2
