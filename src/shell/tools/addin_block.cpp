#include "shell/tools/addin_block.h"

#include <algorithm>
#include <cstring>

namespace pm2 {
namespace {

void PutWord(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetWord(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> EncodeAddInBlock(const AddInBlock& b) {
  const bool announce = b.code == kIdeAnnounceFile;
  size_t size = announce ? kAddInFileBlockSize : std::max(kAddInBlockSize, 72 + b.path.size() + 1);
  std::vector<uint8_t> out(size, 0);
  std::memcpy(out.data(), kAddInSignature, sizeof kAddInSignature - 1);
  PutWord(&out[32], b.window);
  PutWord(&out[36], b.processId);
  PutWord(&out[40], b.threadId);
  PutWord(&out[44], b.replyAddress);
  PutWord(&out[48], b.code);
  for (int i = 0; i < 4; ++i) PutWord(&out[52 + 4 * i], b.args[i]);
  PutWord(&out[68], b.pathField);
  const size_t room = announce ? kAddInPathRoom : b.path.size();
  std::memcpy(&out[72], b.path.data(), std::min(room, b.path.size()));
  return out;
}

std::optional<AddInBlock> DecodeAddInBlock(const uint8_t* data, size_t size) {
  if (!data || size < kAddInBlockSize) return std::nullopt;
  uint8_t signature[32] = {};
  std::memcpy(signature, kAddInSignature, sizeof kAddInSignature - 1);
  if (std::memcmp(data, signature, sizeof signature) != 0) return std::nullopt;
  AddInBlock b;
  b.window = GetWord(data + 32);
  b.processId = GetWord(data + 36);
  b.threadId = GetWord(data + 40);
  b.replyAddress = GetWord(data + 44);
  b.code = GetWord(data + 48);
  for (int i = 0; i < 4; ++i) b.args[i] = GetWord(data + 52 + 4 * i);
  b.pathField = GetWord(data + 68);
  const char* path = reinterpret_cast<const char*>(data + 72);
  b.path.assign(path, strnlen(path, size - 72));
  return b;
}

}  // namespace pm2
