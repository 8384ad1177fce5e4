// Recording fakes of the frame and the external runner for the tool tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notification_hub.h"
#include "shell/tools/tool_frame.h"
#include "shell/tools/user_tool_thread.h"

namespace pm2 {

class FakeToolFrame : public ToolFrame {
 public:
  void Beep() override { events.push_back("beep"); }
  int MessageBox(const std::string& text, int) override {
    events.push_back("box:" + text);
    return 1;
  }
  std::optional<std::string> PromptArguments(const std::string& program,
                                             const std::string& arguments) override {
    events.push_back("prompt:" + program + "|" + arguments);
    return promptAnswer;
  }
  bool QuerySccTexts(const SccQueryFlags& flags, std::string* comment, std::string* revision,
                     std::string* checkPoint) override {
    events.push_back(std::string("query:") + (flags.comment ? "c" : "") +
                     (flags.revision ? "r" : "") + (flags.checkPoint ? "p" : ""));
    if (!queryOk) return false;
    *comment = flags.comment ? queryComment : "";
    *revision = flags.revision ? queryRevision : "";
    *checkPoint = flags.checkPoint ? queryCheckPoint : "";
    return true;
  }
  void SaveProject() override { events.push_back("save"); }
  void ClearBuildPage() override { events.push_back("clear"); }

  std::vector<std::string> events;
  std::optional<std::string> promptAnswer;
  bool queryOk = true;
  std::string queryComment, queryRevision, queryCheckPoint;
};

// Records each run; a run may block until released, to hold a tool open.
class FakeExternalRunner : public ExternalRunner {
 public:
  void Run(const ExternalRun& run) override {
    {
      std::lock_guard<std::mutex> lock(m);
      runs.push_back(run);
      seenFile = run.arguments.empty() ? "" : ReadIfFile(run.arguments);
    }
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [this] { return !hold; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m);
    hold = false;
    cv.notify_all();
  }
  std::vector<ExternalRun> Runs() {
    std::lock_guard<std::mutex> lock(m);
    return runs;
  }
  static std::string ReadIfFile(const std::string& path);

  std::mutex m;
  std::condition_variable cv;
  bool hold = false;
  std::vector<ExternalRun> runs;
  std::string seenFile;  // contents of a file named by the arguments at run time
};

inline std::string FakeExternalRunner::ReadIfFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "";
  std::string out;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

// The GUI thread's queue as a worker sees it: Call blocks the worker until
// the thread standing for the GUI thread serves the call.
class HandOverGate {
 public:
  void Call(const std::function<void()>& fn) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return !pending_; });  // one call at a time, as a queue
    pending_ = &fn;
    cv_.notify_all();
    cv_.wait(lock, [this, &fn] { return pending_ != &fn; });
  }
  // Runs the waiting call, if any, on the calling thread.
  void Serve() {
    std::unique_lock<std::mutex> lock(m_);
    if (!pending_) return;
    (*pending_)();
    pending_ = nullptr;
    ++served_;
    cv_.notify_all();
  }
  // Waits until a worker waits in Call; false after `guard`.
  bool WaitForCaller(std::chrono::seconds guard = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, guard, [this] { return pending_ != nullptr; });
  }
  int Served() {
    std::lock_guard<std::mutex> lock(m_);
    return served_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  const std::function<void()>* pending_ = nullptr;
  int served_ = 0;
};

// A hub whose sent notifications wait until they are handed over, as with
// the GUI thread's hub; posted ones are recorded at once.
class HandOverHub : public NotificationHub {
 public:
  intptr_t Send(int code, intptr_t arg) override {
    gate.Call([this, code, arg] { Record(code, arg); });
    return 0;
  }
  void Post(int code, intptr_t arg) override {
    std::lock_guard<std::mutex> lock(m_);
    Record(code, arg);
  }
  std::vector<int> Codes() {
    std::lock_guard<std::mutex> lock(m_);
    return codes_;
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(m_);
    return texts_;
  }
  HandOverGate gate;

 private:
  void Record(int code, intptr_t arg) {
    codes_.push_back(code);
    if (code == kNotifyFindInFilesText && arg) texts_.push_back(reinterpret_cast<const char*>(arg));
  }
  std::mutex m_;
  std::vector<int> codes_;
  std::vector<std::string> texts_;
};

// Runs `wait` on a thread standing for the GUI thread and fails when it has
// not returned within `guard`. A thread that hangs cannot be taken back, so
// the test program then ends at once: a regression fails instead of hanging.
inline void ExpectReturnsWithin(std::chrono::seconds guard, const std::function<void()>& wait) {
  std::promise<void> returned;
  std::future<void> done = returned.get_future();
  std::thread gui([&] {
    wait();
    returned.set_value();
  });
  if (done.wait_for(guard) != std::future_status::ready) {
    std::fprintf(stderr, "%s: the wait did not return within %d s\n",
                 ::testing::UnitTest::GetInstance()->current_test_info()->name(), int(guard.count()));
    std::fflush(stderr);
    std::_Exit(1);
  }
  gui.join();
}

}  // namespace pm2
