// The channel between running instances started with -x or -y: every
// instance binds a Unix datagram socket "szVondSW.<uid>.<pid>" in the user's
// runtime folder and sends its texts to the sockets of the others.
//
// Message text: "%03d%03d%s": the text's length (at most 255; 999 marks a
// progress request), the kind, and at most that many characters of text.
// A receiver reads at most 256 bytes of a datagram.
//   kind 1, 2      a debugger command line, made to end in exactly one LF
//   kind 180 (999) progress request with the text
//   kind 181 (999) progress request without text
//   kind 182 (999) progress value: the digits that begin the text's first
//                  three characters, a decimal number 0..100
// Other kinds, progress kinds with another length field, messages shorter
// than 6 characters and length or kind fields that are not three digits are
// ignored.
//
// Only sockets whose file belongs to this user are written to; a socket
// nobody listens on any more (a crashed instance) is removed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pm2 {

inline constexpr char kChannelName[] = "szVondSW";
inline constexpr int kChannelTextLimit = 255;
inline constexpr size_t kChannelReceiveLimit = 256;
inline constexpr int kChannelProgressLength = 999;

enum ChannelKind : int {
  kChannelCommand1 = 1,
  kChannelCommand2 = 2,
  kChannelProgressText = 180,
  kChannelProgressClear = 181,
  kChannelProgressValue = 182,
};

// A decoded message the receiver acts on.
struct ChannelRequest {
  int kind = 0;
  std::string text;  // command line (ending in one LF) or progress text
  int value = 0;     // kind 182
};

// The text of one message; the length is limited to 255 and the text cut
// to it.
std::string FormatChannelMessage(std::string_view text, int kind, int length);
// What the receiver does with a datagram; nothing when it is ignored.
std::optional<ChannelRequest> DecodeChannelMessage(std::string_view data);

// The receiver's actions, implemented by the main frame.
class InstanceChannelHandler {
 public:
  virtual ~InstanceChannelHandler() = default;
  // Executed as if typed in the command window.
  virtual void ExecDebugCommandLine(const std::string& line) = 0;
  // The progress request of code 180, 181 or 182 (value for 182).
  virtual void ProgressRequest(int code, const std::string& text, int value) = 0;
};

class InstanceChannel {
 public:
  // `runtimeFolder` empty: $XDG_RUNTIME_DIR, else /tmp.
  explicit InstanceChannel(std::string runtimeFolder = {});
  ~InstanceChannel();
  InstanceChannel(const InstanceChannel&) = delete;
  InstanceChannel& operator=(const InstanceChannel&) = delete;

  // Opens this instance's socket; false with *err naming it.
  bool Init(std::string* err = nullptr);
  void Exit();
  bool IsOpen() const { return m_fd >= 0; }
  // For the GUI's socket notifier.
  int Fd() const { return m_fd; }
  const std::string& SocketPath() const { return m_path; }

  // Sends to every other instance; returns how many were reached. Nothing
  // while closed.
  int Send(std::string_view text, int kind, int length);
  // Handles the datagrams waiting, waiting up to timeoutMs for the first;
  // returns how many messages were acted on.
  int Poll(InstanceChannelHandler& handler, int timeoutMs);

 private:
  std::string m_folder;
  std::string m_path;
  std::string m_lastSent;
  int m_fd = -1;
};

}  // namespace pm2
