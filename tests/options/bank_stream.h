// Bank link files written record by record for the tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace pm2::test {

// Builds a bank link stream record by record.
class BankStream {
 public:
  BankStream& Module(uint16_t index, uint8_t bank, uint32_t size, uint32_t common, const std::string& name) {
    std::string p;
    p += '\x01';
    Word(p, index);
    p += '\x07';  // kept byte
    p += '\0';
    Long(p, size);
    p += '\0';
    Long(p, common);
    p += char(bank);
    p += char(name.size());
    p += name;
    return Record(0x65, p);
  }
  BankStream& Calls(uint16_t index, std::initializer_list<std::pair<uint16_t, uint32_t>> calls) {
    std::string p;
    p += '\x02';
    Word(p, index);
    for (auto [callee, n] : calls) {
      Word(p, callee);
      Long(p, n);
      Long(p, 0);
    }
    return Record(0x65, p);
  }
  BankStream& Other() { return Record(0x30, "xyz"); }
  std::string End() const { return m_bytes + '\x1A'; }

 private:
  static void Word(std::string& p, uint16_t v) {
    p += char(v & 0xFF);
    p += char(v >> 8);
  }
  static void Long(std::string& p, uint32_t v) {
    Word(p, uint16_t(v));
    Word(p, uint16_t(v >> 16));
  }
  BankStream& Record(uint8_t type, const std::string& payload) {
    m_bytes += char(type);
    Word(m_bytes, uint16_t(payload.size() + 1));
    m_bytes += payload;
    m_bytes += '\0';  // checksum
    return *this;
  }
  std::string m_bytes;
};

}  // namespace pm2::test
