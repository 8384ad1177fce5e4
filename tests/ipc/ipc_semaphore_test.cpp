// The named semaphores behind the slot guards and the queue-filled events.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/ipc_semaphore.h"

namespace pm2 {
namespace {

// Named as the event interface's objects of this test process are, so that
// the reaper of ended tests' leftovers removes it after a kill.
std::string UniqueName(const char* what) {
  return "/pm2_sem_test_" + std::string(what) + "." + std::to_string(getuid()) + "-pt" + std::to_string(getpid());
}

TEST(IpcSemaphore, ReleaseNeverRaisesTheCountAboveOne) {
  struct Row {
    const char* name;
    unsigned initial;
    int releases;
  };
  const Row rows[] = {
      {"free guard released again", 1, 1},
      {"held guard released twice", 0, 2},
      {"event set three times", 0, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string name = UniqueName("cap");
    IpcSemaphore::Unlink(name);
    IpcSemaphore sem;
    std::string err;
    ASSERT_TRUE(sem.Create(name, row.initial, &err)) << err;
    for (int i = 0; i < row.releases; ++i) sem.Release();
    // One waiter gets in; the second finds it taken.
    EXPECT_EQ(sem.Wait(100), IpcWaitResult::Acquired);
    EXPECT_FALSE(sem.TryWait());
    IpcSemaphore::Unlink(name);
  }
}

TEST(IpcSemaphore, GuardTakenOverFromAStoppedHolderStaysExclusive) {
  std::string name = UniqueName("guard");
  IpcSemaphore::Unlink(name);
  IpcSemaphore holder, claimer, writer;
  std::string err;
  ASSERT_TRUE(holder.Create(name, 1, &err)) << err;
  ASSERT_TRUE(claimer.Open(name, &err)) << err;
  ASSERT_TRUE(writer.Open(name, &err)) << err;
  ASSERT_EQ(holder.Wait(100), IpcWaitResult::Acquired);
  // The claimer gives up waiting and releases anyway; the holder resumes
  // and releases too: still only one writer may enter.
  EXPECT_EQ(claimer.Wait(20), IpcWaitResult::TimedOut);
  claimer.Release();
  holder.Release();
  EXPECT_EQ(writer.Wait(100), IpcWaitResult::Acquired);
  EXPECT_EQ(claimer.Wait(20), IpcWaitResult::TimedOut);
  IpcSemaphore::Unlink(name);
}

}  // namespace
}  // namespace pm2
