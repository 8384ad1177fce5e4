#include "project/files/file_watcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "platform/notification_hub.h"
#include "project/file_test_util.h"

namespace pm2 {
namespace {

using namespace std::chrono_literals;

// A hub that keeps the paths of code-14 notifications and lets a test wait
// for them.
class WatchHub : public NotificationHub {
 public:
  std::function<void()> onChange;  // runs inside Send, on the worker
  intptr_t Send(int code, intptr_t arg) override {
    if (onChange) onChange();
    std::lock_guard<std::mutex> lock(m);
    if (code == kNotifyProjectFileChanged) paths.push_back(reinterpret_cast<const char*>(arg));
    cv.notify_all();
    return 0;
  }
  void Post(int code, intptr_t arg) override { Send(code, arg); }
  bool WaitFor(size_t n, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, limit, [&] { return paths.size() >= n; });
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(m);
    return paths.size();
  }
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::string> paths;
};

// Gives the file a write time one minute from its current one.
void SetLaterWriteTime(const std::string& path, int minutes = 1) {
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  timespec times[2] = {st.st_atim, st.st_mtim};
  times[1].tv_sec += 60 * minutes;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool WaitForBatches(FileWatch& w, int n) {
  for (int i = 0; i < 200 && w.EventBatchesSeen() < n; ++i) std::this_thread::sleep_for(5ms);
  return w.EventBatchesSeen() >= n;
}

TEST(FileWatchTest, ReportsAChangedWriteTimeOnceWithinASecond) {
  ScratchDir dir;
  std::string path = dir.File("proj.pm2");
  WriteFileText(path, "v1");
  WatchHub hub;
  FileWatch watch(hub);
  ASSERT_TRUE(watch.Watch(path));

  // One change of the write time (writing the text first would be a second
  // change that the watcher may or may not see apart from this one).
  SetLaterWriteTime(path);
  ASSERT_TRUE(hub.WaitFor(1, 1000ms));
  EXPECT_EQ(hub.paths[0], path);

  // Another file of the folder changing does not report the same time again.
  int seen = watch.EventBatchesSeen();
  WriteFileText(dir.File("other.txt"), "x");
  WriteFileText(path + ".tmp", "x");
  ASSERT_TRUE(WaitForBatches(watch, seen + 1));
  EXPECT_EQ(hub.Count(), 1u);

  SetLaterWriteTime(path, 2);
  ASSERT_TRUE(hub.WaitFor(2, 1000ms));
  watch.Stop();
  EXPECT_FALSE(watch.Active());
}

TEST(FileWatchTest, AnUnchangedWriteTimeIsNotReported) {
  ScratchDir dir;
  std::string path = dir.File("proj.pm2");
  WriteFileText(path, "v1");
  WatchHub hub;
  FileWatch watch(hub);
  ASSERT_TRUE(watch.Watch(path));
  // Opening for writing and closing without writing raises an event but
  // leaves the write time as it was.
  int fd = open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_TRUE(WaitForBatches(watch, 1));
  EXPECT_EQ(hub.Count(), 0u);
}

TEST(FileWatchTest, StartAndStopCases) {
  ScratchDir dir;
  WatchHub hub;
  FileWatch watch(hub);
  EXPECT_TRUE(watch.Watch(""));
  EXPECT_FALSE(watch.Active());
  EXPECT_FALSE(watch.Watch(dir.File("no/such/folder/p.pm2")));
  EXPECT_FALSE(watch.Active());

  // A missing file (a project not saved yet) is not made: its coming is
  // a change.
  std::string fresh = dir.File("new.pm2");
  ASSERT_TRUE(watch.Watch(fresh));
  EXPECT_FALSE(std::filesystem::exists(fresh));
  WriteFileText(fresh, "made by a save");
  ASSERT_TRUE(hub.WaitFor(1, 1000ms));

  // The handler restarts the watch from inside the notification, as the
  // shell does after a reload; this must neither deadlock nor report twice.
  hub.onChange = [&] { watch.Watch(fresh); };
  SetLaterWriteTime(fresh);
  ASSERT_TRUE(hub.WaitFor(2, 1000ms));
  hub.onChange = nullptr;
  EXPECT_TRUE(watch.Active());
  watch.Stop();
  EXPECT_EQ(hub.Count(), 2u);
}

}  // namespace
}  // namespace pm2
