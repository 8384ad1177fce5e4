#include "builder/driver/translation_pool.h"

#include <cstdlib>

namespace pm2 {

int TranslationWorkerCount(unsigned cores, const char* variable) {
  int n = cores > 0 ? int(cores) : 1;
  if (variable && *variable) {
    char* end = nullptr;
    long wanted = std::strtol(variable, &end, 10);
    if (end && *end == '\0' && wanted > 0 && wanted < n) n = int(wanted);
  }
  return n;
}

int TranslationWorkerCount() {
  return TranslationWorkerCount(std::thread::hardware_concurrency(), std::getenv("PM2_BUILD_JOBS"));
}

void PoolJob::Wait() {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [this] { return done_; });
}

bool PoolJob::Done() {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

void PoolJob::MarkDone() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  cv_.notify_all();
}

TranslationPool::TranslationPool(int workers) {
  if (workers < 1) workers = 1;
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

TranslationPool::~TranslationPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  cv_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TranslationPool::Submit(std::shared_ptr<PoolJob> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(job));
  }
  cv_.notify_one();
}

void TranslationPool::WorkerLoop() {
  for (;;) {
    std::shared_ptr<PoolJob> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      cv_.wait(lock, [this] { return closing_ || !queue_.empty(); });
      if (queue_.empty()) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    job->Execute();
    job->MarkDone();
  }
}

}  // namespace pm2
