// The block that crosses between the IDE and its add-in, little-endian:
//   0   32  signature "EasyAddInData", NUL-filled; compared exactly
//   32  4   sender's window
//   36  4   sender's process id
//   40  4   thread id of the sender's window
//   44  4   reply address in the sender's space; never 0
//   48  4   command code: 1..7 from the add-in, 0x80000000 + code from the IDE
//   52  16  four arguments
//   68  4   path flag or length
//   72  ... path text, NUL-terminated, or zeros
// A block is 76 bytes; the file announce (0x80000002) is 464 bytes with room
// for a path of 388 characters. Fields a command does not name are zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pm2 {

inline constexpr size_t kAddInBlockSize = 76;
inline constexpr size_t kAddInFileBlockSize = 464;
inline constexpr size_t kAddInPathRoom = 388;
inline constexpr size_t kAddInSymbolRoom = 128;
inline constexpr char kAddInSignature[] = "EasyAddInData";

enum AddInCode : uint32_t {
  kAddInRegister = 1,
  kAddInDetach = 2,
  kAddInOpenFile = 3,
  kAddInWantFile = 4,
  kAddInRunCommand = 5,
  kAddInNoAction = 6,
  kAddInForgetFile = 7,
  kIdeClose = 0x80000001,
  kIdeAnnounceFile = 0x80000002,
  kIdeShowLine = 0x80000003,
  kIdeCommandState = 0x80000004,
  kIdeFileRequest = 0x80000008,
  kIdeSymbolRequest = 0x80000009,
};

struct AddInBlock {
  uint32_t window = 0;
  uint32_t processId = 0;
  uint32_t threadId = 0;
  uint32_t replyAddress = 0;
  uint32_t code = 0;
  uint32_t args[4] = {};
  uint32_t pathField = 0;
  std::string path;
};

// The bytes of a block: 76, longer when a path needs the room, and 464 for
// the file announce, whose path is cut to 388 characters.
std::vector<uint8_t> EncodeAddInBlock(const AddInBlock& block);
// A block of at least 76 bytes with the signature; nothing otherwise. The
// path is read up to its NUL within the bytes given.
std::optional<AddInBlock> DecodeAddInBlock(const uint8_t* data, size_t size);

}  // namespace pm2
