// The translations of an ARM-GNU build side by side: the build thread
// decides in project order and hands each tool run to the pool; it takes
// the runs back in the same order, showing each run's output, counting it
// and recording its item just as a build one file at a time would.
#include <unistd.h>

#include <atomic>

#include "builder/driver/build_driver_impl.h"

namespace pm2 {

using namespace driver_detail;

namespace {

// Keeps a worker's output until the build thread shows it.
class BufferShell : public ShellServices {
 public:
  void PostOutputText(const std::string& line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};

// One tool run on a worker.
class TranslationJob : public PoolJob {
 public:
  void Execute() override {
    if (cancelled.load()) return;
    runner->RunBuildStep(request);
    // The tool has read its command file: gone now, on this worker, while
    // it was written so lately that the disk holds no block of it yet.
    if (!request.commandFile.empty()) commandFileDeleted = ::unlink(request.commandFile.c_str()) == 0;
  }
  ToolRunRequest request;
  BufferShell shell;
  std::unique_ptr<ToolRunner> runner;
  std::atomic<bool> cancelled{false};
  bool commandFileDeleted = false;
  int step = 0;  // the journal's step
};

}  // namespace

struct BuildDriver::Impl::Pending {
  ToolRunRequest request;  // as it stands when the item is recorded
  GroupRec* group = nullptr;
  FileRec* file = nullptr;
  uint16_t stopCode = 0;
  std::shared_ptr<TranslationJob> job;  // null: the file needs no run
};

bool BuildDriver::Impl::Poolable(GroupRec* group, FileRec* file, int mode) {
  if (poolWorkers_ == 0 || (file->type != kFileC && file->type != kFileAsm)) return false;
  const OptionBlock* gopts = group ? FindTargetOptions(group->pOpts, target_) : nullptr;
  const OptionBlock* fopts = FindTargetOptions(file->pOpts, target_);
  // Generated assembler source goes through two tools in a row.
  return ResolveBuildProperties(gopts, fopts, mode).genAsm == 0;
}

// The request is the item's from here on (the caller's step is done).
void BuildDriver::Impl::Record(GroupRec* group, FileRec* file) {
  if (pending_.empty()) {
    RecordBuildItem(s_, target_, group, file, std::move(s_.request));
    s_.request = ToolRunRequest{};
    return;
  }
  auto p = std::make_shared<Pending>();
  p->request = std::move(s_.request);
  s_.request = ToolRunRequest{};
  p->group = group;
  p->file = file;
  pending_.push_back(std::move(p));
}

void BuildDriver::Impl::SubmitTranslation(GroupRec* group, FileRec* file, uint16_t stopCode) {
  toolsRan_ = true;
  auto job = std::make_shared<TranslationJob>();
  job->request = s_.request;
  // Named in the journal before the tool can start writing it.
  const std::string object = WithoutQuotes(job->request.objectFile);
  job->step = journal_.StepStarting(object.empty() ? std::vector<std::string>{} : std::vector<std::string>{object});
  ReplaceLinksAtOutputs(job->request);
  ToolRunnerDeps rd = runnerDeps_;
  rd.shell = &job->shell;
  rd.batch = nullptr;
  const int step = job->step;
  rd.onCaptureFile = [this, step](const std::string& name) { journal_.CaptureStarting(step, name); };
  job->runner = std::make_unique<ToolRunner>(rd);
  auto p = std::make_shared<Pending>();
  p->group = group;
  p->file = file;
  p->stopCode = stopCode;
  p->job = job;
  pending_.push_back(p);
  if (!pool_) pool_ = std::make_unique<TranslationPool>(poolWorkers_);
  pool_->Submit(job);
  ++pendingRuns_;
  while (pendingRuns_ >= window_) CompleteOldest();
}

void BuildDriver::Impl::CompleteOldest() {
  std::shared_ptr<Pending> p = std::move(pending_.front());
  pending_.pop_front();
  ToolRunRequest current = std::move(s_.request);  // the caller's step, if any
  if (p->job) {
    --pendingRuns_;
    TranslationJob& job = *p->job;
    job.Wait();
    // A run that a stop ended leaves no half-written object behind.
    if (job.runner->WasStopped()) {
      const std::string object = WithoutQuotes(job.request.objectFile);
      if (!object.empty()) ::unlink(Local(object).c_str());
    }
    journal_.StepDone(job.step);
    // The tool wrote its object (GNU tools write nothing else).
    ForgetObject(job.request.objectFile);
    if (job.commandFileDeleted) deletedCommandFiles_.insert(job.request.commandFile);
    for (const std::string& line : job.shell.lines) shell_.PostOutputText(line);
    s_.request = std::move(job.request);
    s_.AddCounts();
    const ToolRunRequest& r = s_.request;
    if (p->stopCode != 0 && r.exitCode >= p->stopCode) s_.SetFlags(kBuildFailed);
    if (r.exitCode > 1) s_.SetFlags(kBuildError);
  } else {
    s_.request = std::move(p->request);
  }
  RecordBuildItem(s_, target_, p->group, p->file, std::move(s_.request));
  s_.request = std::move(current);
}

void BuildDriver::Impl::CompleteAll() {
  while (!pending_.empty()) {
    if (s_.Flags() & kBuildStopAfterError) {
      DiscardPending();
      return;
    }
    // The run a stop request meets is finished and shown, as the file that
    // was being translated in a build one file at a time.
    CompleteOldest();
    if (s_.Flags() & kBuildStopRequested) {
      DiscardPending();
      return;
    }
  }
}

void BuildDriver::Impl::DiscardPending() {
  for (const auto& p : pending_) {
    if (!p->job) continue;
    p->job->cancelled = true;
    p->job->runner->RequestStop();
  }
  for (const auto& p : pending_) {
    if (!p->job) continue;
    TranslationJob& job = *p->job;
    job.Wait();
    // Whole or not, the object does not match what this build recorded of
    // its file: the next build makes it again.
    const std::string object = WithoutQuotes(job.request.objectFile);
    if (!object.empty()) ::unlink(Local(object).c_str());
    ForgetObject(object);
    if (!job.request.commandFile.empty()) ::unlink(job.request.commandFile.c_str());
    journal_.StepDone(job.step);
  }
  pending_.clear();
  pendingRuns_ = 0;
}

}  // namespace pm2
