// The add-in's connection: the IDE listens on a Unix stream socket
// "EasyAddIn.<uid>.<pid>" in the user's runtime folder and starts the add-in
// as "\"%s\" /AddIn=%d" with its own process id; the add-in connects there.
// Only a connection from the started process, of the same user (as the
// socket reports its peer), is taken.
//
// Framing, both ways: u32 little-endian length of what follows, then one
// kind byte (0 a block, 1 an answer) and the payload: a block's bytes, or
// an answer's u32 reply word followed, for the symbol request, by the
// 128-byte text area. A frame longer than 1024 bytes, or a block the link
// refuses, is answered 0 (a malformed frame ends the connection). A block
// the add-in sends while the IDE waits for an answer is handled after it.
// Any other connection to the socket (a second add-in, a stranger) is
// accepted and closed at once, so none stays pending on it.
//
// Frames are read as far as they have come, never waiting for the rest
// outside a wait for an answer: an add-in that stops in the middle of a
// frame holds nothing up. The wait for an answer serves the caller's thread
// (the window keeps painting) and ends after the reply time: the add-in is
// then detached and, once the wait is over, the timeout handler told. The user may end it sooner (the wait server
// says so): the request then counts as unanswered, the add-in stays, and
// its late answer is dropped when it comes, as is the answer to a block
// sent unawaited.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "shell/tools/addin_link.h"

namespace pm2 {

inline constexpr char kAddInSocketName[] = "EasyAddIn";
inline constexpr size_t kAddInFrameLimit = 1024;

class AddInServer : public AddInPeer {
 public:
  // `runtimeFolder` empty: $XDG_RUNTIME_DIR, else /tmp. `replyTimeoutMs`:
  // how long a call waits for the add-in's answer.
  AddInServer(AddInLinkLogic& logic, std::string runtimeFolder = {}, int replyTimeoutMs = 10000);
  ~AddInServer() override;
  AddInServer(const AddInServer&) = delete;
  AddInServer& operator=(const AddInServer&) = delete;

  bool Listen(std::string* err = nullptr);
  const std::string& SocketPath() const { return m_path; }
  // Starts the add-in and waits up to timeoutMs for its connection, then
  // sends the command states. False with *err "Cannot run '%s' !".
  bool StartAddIn(const std::string& program, bool debugging, int timeoutMs, std::string* err);
  // The sockets the GUI watches.
  int ListenFd() const { return m_listenFd; }
  int ConnectionFd() const { return m_connFd; }
  // Handles what arrived, waiting up to timeoutMs for the first.
  void Poll(int timeoutMs);
  // Waits for the add-in process to end (tests and shut-down).
  int WaitForExit(int timeoutMs);

  AddInSendResult Send(const std::vector<uint8_t>& block, AddInReply* reply) override;
  bool SendUnawaited(const std::vector<uint8_t>& block) override;

  // Called every few milliseconds while an answer is awaited (the window
  // program delivers its paint and timer events); may be empty. False: the
  // user ended the wait.
  void SetWaitServer(std::function<bool()> serve) { m_serve = std::move(serve); }
  // Told when a wait for an answer begins (true, with the add-in's program)
  // and when it ends (false).
  void SetWaitNotice(std::function<void(bool waiting, const std::string& program)> notice) {
    m_notice = std::move(notice);
  }
  // Told "The add-in '<program>' gave no answer within <n> seconds ..."
  // when an answer did not come in time, and "... took nothing of what was
  // sent to it within <n> seconds ..." when it stopped reading.
  void SetTimeoutHandler(std::function<void(const std::string&)> handler) { m_onTimeout = std::move(handler); }
  // Told when a wait for an answer read more than the answer (the add-in's
  // own blocks): they are handled at the next Poll, which the socket no
  // longer asks for.
  void SetPendingHandler(std::function<void()> handler) { m_onPending = std::move(handler); }
  // Blocks read and not yet handled.
  bool HasPending() const;

 private:
  bool AcceptFrom(uint32_t pid, int timeoutMs);
  // Adds what the connection holds to the input without waiting; false
  // when the connection ended or failed.
  bool ReadAvailable();
  // One whole frame off the input: 1 taken, 0 not whole yet, -1 malformed.
  int TakeFrame(uint8_t* kind, std::vector<uint8_t>* payload);
  // Waits for the answer to the request just written, serving meanwhile.
  bool AwaitAnswer(AddInReply* reply, bool* timedOut, bool* ended);
  bool WriteFrame(uint8_t kind, const std::vector<uint8_t>& payload);
  void HandleIncoming(const std::vector<uint8_t>& payload);
  void Drop();
  // Closes every connection waiting on the listening socket.
  void RefuseWaitingConnections();
  // Waits for the connection to be readable, serving meanwhile; false on
  // a timeout (*timedOut set) or a failed connection.
  bool WaitReadable(int timeoutMs, bool* timedOut, bool* ended);

  AddInLinkLogic& m_logic;
  std::string m_folder;
  std::string m_path;
  int m_listenFd = -1;
  int m_connFd = -1;
  uint32_t m_peerPid = 0;
  int m_childPid = -1;
  std::deque<std::vector<uint8_t>> m_queued;  // blocks that came while we waited
  std::vector<uint8_t> m_input;  // bytes read, not yet a whole frame
  std::string m_program;
  std::function<bool()> m_serve;
  std::function<void(bool, const std::string&)> m_notice;
  int m_lateAnswers = 0;  // answers to waits the user ended, still to come
  std::function<void(const std::string&)> m_onTimeout;
  std::function<void()> m_onPending;
  int m_replyTimeoutMs;
  int m_exitCleanup = 0;  // removes the socket file at the end by a signal
  bool m_inSend = false;  // an answer is awaited: Poll and another Send keep off the connection
};

}  // namespace pm2
