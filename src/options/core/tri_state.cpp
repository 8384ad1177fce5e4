#include "options/core/tri_state.h"

namespace pm2 {

uint32_t NextTriState(uint32_t value, bool threeState) {
  if (!threeState) return value == kTriOn ? kTriOff : kTriOn;
  switch (value) {
    case kTriOff: return kTriOn;
    case kTriOn: return kTriInherit;
    default: return kTriOff;  // inherit, and anything unexpected, becomes off
  }
}

uint32_t GetBitField(uint32_t word, int shift, int width) {
  const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1);
  return (word >> shift) & mask;
}

uint32_t SetBitField(uint32_t word, int shift, int width, uint32_t value) {
  const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1);
  return (word & ~(mask << shift)) | ((value & mask) << shift);
}

uint32_t GetTriField(uint32_t word, int shift) { return GetBitField(word, shift, 2); }
uint32_t SetTriField(uint32_t word, int shift, uint32_t value) { return SetBitField(word, shift, 2, value); }

}  // namespace pm2
