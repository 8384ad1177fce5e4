// The GDB driver's request thread: the caller hands a request over and
// goes on while it is under way; requests go one at a time in their order;
// a second request of a kind still waiting for its turn is dropped; and the
// thread's end waits for the request under way while it serves the caller,
// whom that request may be waiting for, and drops those still waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "debugger/gdb/target/request_worker.h"
#include "hang_guard.h"

namespace pm2::gdb {
namespace {

// A gate a request waits at until the test opens it.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_open = true;
    }
    m_cv.notify_all();
  }
  void Pass() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [&] { return m_open; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_open = false;
};

TEST(RequestWorkerTest, TheCallerGoesOnWhileTheRequestWaitsAndRequestsGoInTheirOrder) {
  RequestWorker worker;
  Gate gate;
  std::mutex m;
  std::vector<std::string> done;
  auto note = [&](const char* what) {
    std::lock_guard<std::mutex> lock(m);
    done.push_back(what);
  };
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> ranElsewhere{true};
  // The first request waits at the gate, which only this thread opens: a
  // Post that waited for it would never return.
  {
    test::HangGuard guard("a request handed over while it waits");
    ASSERT_TRUE(worker.Post(0, [&] {
      ranElsewhere = ranElsewhere && std::this_thread::get_id() != caller;
      gate.Pass();
      note("run");
    }));
    ASSERT_TRUE(worker.Post(1, [&] { note("stop"); }));
  }
  EXPECT_TRUE(worker.Busy());
  gate.Open();
  worker.Drain();
  EXPECT_FALSE(worker.Busy());
  EXPECT_TRUE(ranElsewhere);
  EXPECT_EQ(done, (std::vector<std::string>{"run", "stop"}));
}

TEST(RequestWorkerTest, ASecondRequestOfAKindStillWaitingIsDropped) {
  RequestWorker worker;
  Gate gate;
  std::atomic<int> stops{0}, runs{0};
  ASSERT_TRUE(worker.Post(0, [&] {
    gate.Pass();
    ++runs;
  }));
  // The run is under way (or waits): a kind of its own may still wait.
  ASSERT_TRUE(worker.Post(1, [&] { ++stops; }));
  EXPECT_FALSE(worker.Post(1, [&] { ++stops; }));
  gate.Open();
  worker.Drain();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(stops, 1);
  // Once it went, the kind is taken again.
  EXPECT_TRUE(worker.Post(1, [&] { ++stops; }));
  worker.Drain();
  EXPECT_EQ(stops, 2);
}

TEST(RequestWorkerTest, TheEndServesTheCallerWhileTheRequestUnderWayWaitsForIt) {
  RequestWorker worker;
  // The request under way waits until the caller's own queue is served
  // (a text handed to the window), as the session's end joins the thread.
  std::atomic<bool> served{false}, started{false}, laterRan{false};
  ASSERT_TRUE(worker.Post(0, [&] {
    started = true;
    while (!served) std::this_thread::yield();
  }));
  ASSERT_TRUE(worker.Post(1, [&] { laterRan = true; }));
  // The end comes with the first request under way.
  while (!started) std::this_thread::yield();
  {
    test::HangGuard guard("the end of a request that waits for the caller");
    worker.Stop([&] { served = true; });
  }
  EXPECT_TRUE(served);
  // The request still waiting when the end came was dropped.
  EXPECT_FALSE(laterRan);
  EXPECT_FALSE(worker.Busy());
  // A later request starts the thread again.
  std::atomic<bool> again{false};
  ASSERT_TRUE(worker.Post(0, [&] { again = true; }));
  worker.Drain();
  EXPECT_TRUE(again);
}

}  // namespace
}  // namespace pm2::gdb
