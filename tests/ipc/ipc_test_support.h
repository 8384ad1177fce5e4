// Helpers shared by the event-interface tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ipc/event_factory.h"

namespace pm2::test {

// Fills every payload member with values derived from a seed, so each type
// and each field gets something different (texts of several lengths, lists
// and blocks of several sizes, including empty ones).
struct FieldFiller {
  int seed = 1;
  void operator()(std::string& s) {
    s = "t" + std::to_string(seed) + std::string(static_cast<size_t>(seed % 11), 'x');
    ++seed;
  }
  void operator()(uint32_t& v) { v = 0x10001u * static_cast<uint32_t>(seed++) + 0x80000000u; }
  void operator()(uint8_t& v) { v = static_cast<uint8_t>(seed++ | 1); }
  void operator()(uint64_t& v) { v = 0x0123456789ull * static_cast<uint64_t>(seed++) + 0xF000000000000000ull; }
  void operator()(double& v) { v = seed++ * -0.375; }
  void operator()(PackedWords& w) {
    for (uint32_t& x : w) x = 0xA0000000u + static_cast<uint32_t>(seed++);
  }
  void operator()(TextList& list) {
    list.clear();
    int n = seed++ % 4;
    for (int i = 0; i < n; ++i) list.push_back(std::string(static_cast<size_t>(i * 5), char('a' + i)));
  }
  void operator()(DataBlock& d) {
    d.bytes.clear();
    int n = (seed++ * 7) % 23;
    for (int i = 0; i < n; ++i) d.bytes.push_back(static_cast<uint8_t>(i * 37 + seed));
  }
};

inline std::vector<uint8_t> RecordOf(const dtc_EventFactory& f, const dtc_EventBase& e, int32_t slot) {
  std::vector<uint8_t> rec(f.GetEventRecordSize(e), 0xEE);  // 0xEE shows unwritten padding
  if (!f.WriteEventRecord(e, rec.data(), rec.size(), slot)) rec.clear();
  return rec;
}

inline std::vector<uint8_t> PayloadOf(const dtc_EventFactory& f, const dtc_EventBase& e) {
  std::vector<uint8_t> rec = RecordOf(f, e, 0);
  return rec.size() >= 16 ? std::vector<uint8_t>(rec.begin() + 16, rec.end()) : std::vector<uint8_t>();
}

// "F5 F7 06 00" -> bytes.
inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> out;
  unsigned v = 0;
  int digits = 0;
  for (char c : text) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) continue;
    v = v * 16 + static_cast<unsigned>(d);
    if (++digits == 2) {
      out.push_back(static_cast<uint8_t>(v));
      v = 0;
      digits = 0;
    }
  }
  return out;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
  std::string s;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
    if (i) s += (i % 8 == 0) ? " | " : " ";
    s += buf;
  }
  return s;
}

}  // namespace pm2::test
