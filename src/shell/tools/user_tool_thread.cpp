#include "shell/tools/user_tool_thread.h"

#include "platform/notification_hub.h"
#include "project/model/app_state.h"

namespace pm2 {

UserToolLauncher::UserToolLauncher(ExternalRunner& runner, NotificationHub& hub,
                                   std::atomic<uint32_t>& state, GuiCallServer serve)
    : m_runner(runner), m_hub(hub), m_state(state), m_serve(std::move(serve)) {}

UserToolLauncher::~UserToolLauncher() { JoinAll(); }

bool UserToolLauncher::StartWaiting(ExternalRun run) {
  uint32_t old = m_state.fetch_or(kStateBusy);
  if (old & kStateBusy) return false;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_waitingProgram = run.program;
  }
  Launch([this, r = std::move(run)] {
    m_runner.Run(r);
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_waitingProgram.clear();
    }
    m_state.fetch_and(~static_cast<uint32_t>(kStateBusy));
    m_hub.Send(kNotifyUserToolFinished, 0);
  });
  return true;
}

void UserToolLauncher::StartIndependent(ExternalRun run) {
  run.showMode |= kShowIndependent;
  Launch([this, r = std::move(run)] { m_runner.Run(r); });
}

void UserToolLauncher::Launch(std::function<void()> body) {
  std::lock_guard<std::mutex> lock(m_lock);
  ReapLocked();
  auto done = std::make_shared<std::atomic<bool>>(false);
  m_threads.push_back({std::thread([body = std::move(body), done] {
                         body();
                         *done = true;
                       }),
                       done});
}

void UserToolLauncher::ReapLocked() {
  for (auto it = m_threads.begin(); it != m_threads.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = m_threads.erase(it);
    } else {
      ++it;
    }
  }
}

std::string UserToolLauncher::WaitingProgram() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_waitingProgram;
}

void UserToolLauncher::JoinAll() {
  std::vector<Run> threads;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    threads.swap(m_threads);
  }
  for (Run& r : threads) JoinServing(r.thread, m_serve);
}

}  // namespace pm2
