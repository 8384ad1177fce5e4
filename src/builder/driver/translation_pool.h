// Worker threads that run the translations of one build side by side.
// The build thread decides, in project order, which files to translate and
// hands each tool run to the pool; it then takes the runs back in the same
// order and shows each one's output only when every earlier one's is shown,
// so the user sees what a build one file at a time would show.
//
// Workers: as many as the machine has cores; PM2_BUILD_JOBS may lower the
// number (never raise it). One worker runs jobs in the order given.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pm2 {

// The number of workers for this machine and environment (at least 1).
int TranslationWorkerCount();
// The same from a core count and the variable's text (null: not set);
// a text that is not a positive number leaves the core count.
int TranslationWorkerCount(unsigned cores, const char* variable);

// One job handed to the pool; Wait() returns once it has run.
class PoolJob {
 public:
  virtual ~PoolJob() = default;
  virtual void Execute() = 0;
  void Wait();
  bool Done();

 private:
  friend class TranslationPool;
  void MarkDone();
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
};

class TranslationPool {
 public:
  explicit TranslationPool(int workers);
  ~TranslationPool();  // runs what is queued, then joins
  TranslationPool(const TranslationPool&) = delete;
  TranslationPool& operator=(const TranslationPool&) = delete;

  void Submit(std::shared_ptr<PoolJob> job);
  int Workers() const { return int(threads_.size()); }

 private:
  void WorkerLoop();

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::shared_ptr<PoolJob>> queue_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace pm2
