// The driver's request thread: a request is queued and the caller goes on
// at once, requests run one at a time in their order, and a close waits
// for them while it serves what they hand to the closing thread. A child
// process waited for with a bound is ended at the bound.
#include "debugger/gdb/target/request_thread.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "debugger/gdb/process/child_process.h"

namespace pm2::gdb {
namespace {

TEST(RequestThread, ACallerGoesOnAtOnceAndRequestsRunInTurnOnTheirOwnThread) {
  RequestThread requests;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::mutex m;
  std::vector<std::string> ran;
  std::atomic<bool> elsewhere{true};
  // The first request waits for this thread: had the post waited for it,
  // the test would never get past it.
  ASSERT_TRUE(requests.Post([&] {
    released.wait();
    elsewhere = elsewhere && requests.OnThisThread();
    std::lock_guard<std::mutex> lock(m);
    ran.push_back("run");
  }));
  ASSERT_TRUE(requests.Post([&] {
    elsewhere = elsewhere && requests.OnThisThread();
    std::lock_guard<std::mutex> lock(m);
    ran.push_back("stop");
  }));
  EXPECT_EQ(requests.Standing(), 2);
  EXPECT_FALSE(requests.OnThisThread());
  {
    std::lock_guard<std::mutex> lock(m);
    EXPECT_TRUE(ran.empty());
  }
  release.set_value();
  requests.Close();
  EXPECT_EQ(ran, (std::vector<std::string>{"run", "stop"}));
  EXPECT_TRUE(elsewhere);
  EXPECT_EQ(requests.Standing(), 0);
  EXPECT_FALSE(requests.Post([] {}));
}

// A request that hands work to the closing thread (a blocking call into the
// window's thread) gets it done while the close waits: no deadlock.
TEST(RequestThread, ACloseServesWhatARequestHandsToTheClosingThread) {
  RequestThread requests;
  std::mutex m;
  std::vector<std::function<void()>> handed;
  std::promise<void> done;
  std::future<void> served = done.get_future();
  requests.Post([&] {
    {
      std::lock_guard<std::mutex> lock(m);
      handed.push_back([&] { done.set_value(); });
    }
    served.wait();
  });
  requests.Close([&] {
    std::vector<std::function<void()>> work;
    {
      std::lock_guard<std::mutex> lock(m);
      work.swap(handed);
    }
    for (auto& w : work) w();
  });
  EXPECT_EQ(requests.Standing(), 0);
}

TEST(ChildProcessWait, AChildThatOutlivesItsBoundIsEndedAndOneThatEndsGivesItsStatus) {
  ChildProcess quick;
  std::string err;
  ASSERT_TRUE(quick.Start({"sh", "-c", "exit 3"}, false, &err)) << err;
  bool late = true;
  // The bound is a hang bound here: the child ends at once.
  EXPECT_EQ(quick.Wait(600000, &late), 3);
  EXPECT_FALSE(late);

  ChildProcess slow;
  ASSERT_TRUE(slow.Start({"sleep", "100000"}, false, &err)) << err;
  const pid_t pid = slow.Pid();
  EXPECT_EQ(slow.Wait(20, &late), -1);
  EXPECT_TRUE(late);
  // Ended and reaped: no such process any more.
  EXPECT_NE(kill(pid, 0), 0);
}

}  // namespace
}  // namespace pm2::gdb
