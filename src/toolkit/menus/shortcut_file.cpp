#include "toolkit/menus/shortcut_file.h"

namespace pm2 {
namespace {

constexpr char kTag[4] = {'M', 'A', 'C', 'R'};
constexpr unsigned kVersion = 1;
constexpr std::size_t kRecord = 6;

void Put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

std::uint32_t Get(std::string_view b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= std::uint32_t(static_cast<unsigned char>(b[at + std::size_t(i)])) << (8 * i);
  return v;
}

}  // namespace

std::string EncodeShortcutFile(const AccelTable& table) {
  std::string out(kTag, 4);
  Put(out, kVersion, 2);
  if (table.size() < 0xFFFF) {
    Put(out, std::uint32_t(table.size()), 2);
  } else {
    Put(out, 0xFFFF, 2);
    Put(out, std::uint32_t(table.size()), 4);
  }
  for (const ACCEL& a : table) {
    Put(out, a.fVirt, 1);
    Put(out, 0, 1);
    Put(out, a.key, 2);
    Put(out, a.cmd, 2);
  }
  return out;
}

bool DecodeShortcutFile(std::string_view b, std::string_view fileName, AccelTable* table, std::string* err) {
  const auto fail = [&](const std::string& why) {
    if (err) *err = "'" + std::string(fileName) + "' " + why;
    return false;
  };
  if (b.size() < 6 || b.substr(0, 4) != std::string_view(kTag, 4)) return fail("is not a shortcut file");
  if (Get(b, 4, 2) != kVersion) return fail("has shortcut file version " + std::to_string(Get(b, 4, 2)) + ", not 1");
  if (b.size() < 8) return fail("ends before its record count");
  std::size_t at = 8;
  std::uint64_t count = Get(b, 6, 2);
  if (count == 0xFFFF) {
    if (b.size() < 12) return fail("ends before its record count");
    count = Get(b, 8, 4);
    at = 12;
  }
  // The count is checked against the bytes there before anything is sized
  // by it: a damaged count must not claim memory the file cannot fill.
  if (count > (b.size() - at) / kRecord) {
    return fail("counts " + std::to_string(count) + " shortcuts but holds only " +
                std::to_string((b.size() - at) / kRecord));
  }
  AccelTable out(static_cast<std::size_t>(count));
  for (ACCEL& a : out) {
    a.fVirt = std::uint8_t(Get(b, at, 1));
    a.key = std::uint16_t(Get(b, at + 2, 2));
    a.cmd = std::uint16_t(Get(b, at + 4, 2));
    at += kRecord;
  }
  *table = std::move(out);
  return true;
}

}  // namespace pm2
