#include "toolkit/toolbars/toolbar_resource.h"

namespace pm2 {
namespace {

unsigned Word(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (unsigned(b[at + 1]) << 8); }

void PutWord(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(std::uint8_t(v & 0xFF));
  b.push_back(std::uint8_t((v >> 8) & 0xFF));
}

}  // namespace

bool ReadToolbarResource(const std::vector<std::uint8_t>& bytes, unsigned id, bool includeSeparators,
                         ToolbarResource* out, std::string* err) {
  const auto fail = [&](const std::string& why) {
    if (err) *err = "toolbar resource " + std::to_string(id) + ": " + why;
    return false;
  };
  if (bytes.size() < 8) return fail("only " + std::to_string(bytes.size()) + " bytes, the header needs 8");
  const unsigned count = Word(bytes, 6);
  const std::size_t room = (bytes.size() - 8) / 2;
  if (count > room) {
    return fail("lists " + std::to_string(count) + " ids but holds only " + std::to_string(room));
  }
  ToolbarResource r;
  r.width = int(Word(bytes, 2));
  r.height = int(Word(bytes, 4));
  for (unsigned i = 0; i < count; ++i) {
    const unsigned cmd = Word(bytes, 8 + 2 * i);
    if (cmd != 0 || includeSeparators) r.ids.push_back(cmd);
  }
  *out = std::move(r);
  return true;
}

std::vector<std::uint8_t> WriteToolbarResource(int width, int height, const std::vector<unsigned>& ids) {
  std::vector<std::uint8_t> b;
  PutWord(b, 1);
  PutWord(b, unsigned(width));
  PutWord(b, unsigned(height));
  PutWord(b, unsigned(ids.size()));
  for (unsigned id : ids) PutWord(b, id);
  return b;
}

}  // namespace pm2
