// The seed of a state's random road: the walk's seed mixed with the state's
// name, so that states which reach the same project and commands do not
// walk one road between them.
#pragma once

#include <cstdint>
#include <string>

namespace pm2::test {

// FNV-1a over the name, from the seed: the same on every compiler and
// machine, so a seed printed by CI walks the same roads anywhere.
inline unsigned RoadSeed(unsigned seed, const std::string& state) {
  uint32_t h = 2166136261u ^ seed;
  for (char c : state) {
    h ^= uint8_t(c);
    h *= 16777619u;
  }
  return h;
}

}  // namespace pm2::test
