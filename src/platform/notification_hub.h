// The one path from worker threads and drivers to the GUI thread: the IDE
// notification message (WM_USER+20 on the original platform). A code says
// what happened, one pointer-sized argument carries the detail.
//
// Send runs the handler on the GUI thread and blocks the caller until it has
// returned (so a text argument may live on the sender's stack); Post queues
// the notification and returns at once: the window program's hub copies
// what a text or record argument points at when it is posted
// (shell/app/posted_argument.h), as its poster may free it at once.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pm2 {

// Codes of the notification message, by meaning.
enum NotifyCode : int {
  kNotifyFindInFilesText = 2,
  kNotifySerialOutput1 = 3,
  kNotifySerialOutput2 = 4,
  kNotifyStopDebugSession = 5,
  kNotifyBuildOutputLine = 6,   // arg: const char* line
  kNotifyBuildFinished = 7,     // arg: 1 when the target was not built
  kNotifyUserToolFinished = 8,
  kNotifyLintFinished = 9,
  kNotifyIdeServiceCall = 10,
  kNotifyDriverCall = 11,
  kNotifyCommandText = 12,
  kNotifyStatusText = 13,
  kNotifyProjectFileChanged = 14,
  kNotifySerialOutput3 = 15,
  kNotifyCommandText2 = 16,
  kNotifyDebugAfterBuild = 17,
  kNotifyIpcBuildRequest = 18,
  kNotifyBeepStopBuild = 19,
};

class NotificationHub {
 public:
  virtual ~NotificationHub() = default;
  virtual intptr_t Send(int code, intptr_t arg) = 0;
  virtual void Post(int code, intptr_t arg) = 0;
};

// Runs the handler at once on the calling thread, one call at a time. Used
// where no GUI thread exists (the command-line build) and as a base for
// test doubles.
class DirectHub : public NotificationHub {
 public:
  using Handler = std::function<intptr_t(int code, intptr_t arg)>;
  explicit DirectHub(Handler handler) : handler_(std::move(handler)) {}
  intptr_t Send(int code, intptr_t arg) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return handler_ ? handler_(code, arg) : 0;
  }
  void Post(int code, intptr_t arg) override { Send(code, arg); }

 private:
  std::mutex mutex_;
  Handler handler_;
};

// Test double: records every notification; for codes whose argument is a
// text the text is copied at the time of the call.
class RecordingHub : public NotificationHub {
 public:
  struct Entry {
    int code = 0;
    intptr_t arg = 0;
    std::string text;  // copy of the argument for text codes
    bool posted = false;
  };
  intptr_t Send(int code, intptr_t arg) override { return Record(code, arg, false); }
  void Post(int code, intptr_t arg) override { Record(code, arg, true); }

  std::vector<Entry> Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
  }
  std::vector<std::string> Texts(int code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const Entry& e : entries_)
      if (e.code == code) out.push_back(e.text);
    return out;
  }
  // Result handed back to senders of this code (default 0).
  void SetResult(int code, intptr_t result) {
    std::lock_guard<std::mutex> lock(mutex_);
    results_.push_back({code, result});
  }

 private:
  static bool IsTextCode(int code) {
    return code == kNotifyFindInFilesText || code == kNotifyBuildOutputLine ||
           code == kNotifyCommandText || code == kNotifyStatusText ||
           code == kNotifyCommandText2;
  }
  intptr_t Record(int code, intptr_t arg, bool posted) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry e;
    e.code = code;
    e.arg = arg;
    e.posted = posted;
    if (IsTextCode(code) && arg) e.text = reinterpret_cast<const char*>(arg);
    entries_.push_back(std::move(e));
    for (const auto& r : results_)
      if (r.first == code) return r.second;
    return 0;
  }
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::vector<std::pair<int, intptr_t>> results_;
};

}  // namespace pm2
