#include "shell/tools/user_tool_thread.h"

#include "platform/notification_hub.h"
#include "project/model/app_state.h"

namespace pm2 {

UserToolLauncher::UserToolLauncher(ExternalRunner& runner, NotificationHub& hub,
                                   std::atomic<uint32_t>& state)
    : m_runner(runner), m_hub(hub), m_state(state) {}

UserToolLauncher::~UserToolLauncher() { JoinAll(); }

bool UserToolLauncher::StartWaiting(ExternalRun run) {
  uint32_t old = m_state.fetch_or(kStateBusy);
  if (old & kStateBusy) return false;
  m_waitingActive = true;
  std::lock_guard<std::mutex> lock(m_lock);
  m_threads.emplace_back([this, r = std::move(run)] {
    m_runner.Run(r);
    m_state.fetch_and(~static_cast<uint32_t>(kStateBusy));
    m_waitingActive = false;
    m_hub.Send(kNotifyUserToolFinished, 0);
  });
  return true;
}

void UserToolLauncher::StartIndependent(ExternalRun run) {
  run.showMode |= kShowIndependent;
  std::lock_guard<std::mutex> lock(m_lock);
  m_threads.emplace_back([this, r = std::move(run)] { m_runner.Run(r); });
}

void UserToolLauncher::JoinAll() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    threads.swap(m_threads);
  }
  for (std::thread& t : threads)
    if (t.joinable()) t.join();
}

}  // namespace pm2
