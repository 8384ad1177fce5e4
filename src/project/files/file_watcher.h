// Watches the open project file for changes made by other programs.
//
// A watch takes the file's last-write time when it starts, then a worker
// thread (below-normal priority) waits for change events on the file's
// folder (inotify, not subfolders). When the file's write time differs from
// the time taken at the start, the worker sends notification code 14
// (kNotifyProjectFileChanged) synchronously through the hub, with the
// watched path (const char*, valid during the call) as its argument. Each
// new write time is reported once; events that leave the time as it was
// (or concern other files) report nothing.
//
// Start and Stop are called from the GUI thread. Stop ends the worker
// promptly; it may also be called from inside the handler of the worker's
// own notification (the shell restarts the watch after a reload) - the
// worker then finishes on its own once the handler returns.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace pm2 {

class NotificationHub;

class FileWatch {
 public:
  // `hub` must outlive the watch and any worker it started.
  explicit FileWatch(NotificationHub& hub) : m_hub(hub) {}
  ~FileWatch() { Stop(); }
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  // Stops an earlier watch and watches `path`, creating an empty file when
  // none exists. An empty path starts nothing and succeeds. False when the
  // file cannot be opened or its folder cannot be watched.
  bool Watch(const std::string& path);
  void Stop();
  bool Active() const { return m_state != nullptr; }

  // For tests: how many batches of folder events the worker has examined.
  int EventBatchesSeen() const;

  struct State;  // shared with the worker thread

 private:
  NotificationHub& m_hub;
  std::shared_ptr<State> m_state;
  std::thread m_thread;
};

}  // namespace pm2
