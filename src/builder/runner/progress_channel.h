// The linkers' progress records: a Unix datagram socket
// "<runtime folder>/Pm2_mailslot_XL" stands in for the original's mailslot.
//
// Record layout (280 bytes, little-endian, written field by field):
//   0 u32 kind (1 start, 2 end, 3 position, 4 start second style,
//          5 position and text)
//   4 u32 position   8 u32 lower bound   12 u32 upper bound
//  16 u32 text reference    20 u32 second text reference
//     (addresses in the sender's process: never followed here)
//  24 char[256] text, zero-terminated
// A datagram shorter than 24 bytes is dropped; a shorter text part is
// read up to its end, a longer datagram up to 280 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm2 {

class NotificationHub;

constexpr size_t kProgressRecordSize = 280;
constexpr size_t kProgressHeaderSize = 24;
constexpr int kServiceProgress = 43;
extern const char kProgressChannelName[];  // "Pm2_mailslot_XL"

struct ProgressRecord {
  uint32_t kind = 0;
  uint32_t position = 0;
  uint32_t lower = 0;
  uint32_t upper = 0;
  uint32_t textRef = 0;   // as received; kept only for the record
  uint32_t text2Ref = 0;  // likewise
  std::string text;       // at most 255 characters
};

bool DecodeProgressRecord(const unsigned char* data, size_t size, ProgressRecord& out);
// Hands a record to the status bar: service 43 with its status-bar request
// (the label is the record's own text, which the bar also shows for kind 5),
// through the notification hub's service record. Nothing without a hub.
void ShowProgressRecord(NotificationHub* hub, const ProgressRecord& record);
void EncodeProgressRecord(const ProgressRecord& record, unsigned char out[kProgressRecordSize]);

// $XDG_RUNTIME_DIR, else /tmp; with a final '/'.
std::string DefaultRuntimeFolder();
std::string ProgressChannelPath(const std::string& runtimeFolder);

// Sends one record to the channel; false when nobody listens.
bool SendProgressRecord(const std::string& runtimeFolder, const ProgressRecord& record);

class ProgressChannel {
 public:
  ProgressChannel() = default;
  ProgressChannel(const ProgressChannel&) = delete;
  ProgressChannel& operator=(const ProgressChannel&) = delete;
  ~ProgressChannel() { Close(); }

  // Binds the socket; a stale one left by a crashed IDE is replaced, one in
  // use by a running IDE is left alone (false).
  bool Open(const std::string& runtimeFolder);
  // Hands every waiting record to the hub (ShowProgressRecord); the count.
  int Drain(NotificationHub* hub);
  void Close();
  int Fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace pm2
