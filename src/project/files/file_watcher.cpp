#include "project/files/file_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/notification_hub.h"

namespace pm2 {

struct FileWatch::State {
  NotificationHub* hub = nullptr;
  std::string path;
  std::string name;    // file-name part, matched against event names
  int inotifyFd = -1;
  int stopFd = -1;     // eventfd that wakes the worker to stop
  timespec reference{};  // write time at the start, then the last reported one
  bool referenceExists = false;
  std::atomic<int> batches{0};

  std::mutex mutex;    // guards stop and inSend
  bool stop = false;
  bool inSend = false;

  ~State() {
    if (inotifyFd >= 0) ::close(inotifyFd);
    if (stopFd >= 0) ::close(stopFd);
  }
};

namespace {

bool WriteTime(const std::string& path, timespec* t) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *t = st.st_mtim;
  return true;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// True when the batch of events concerns the watched file (or events were
// lost, so it might).
bool ConcernsFile(const char* buf, ssize_t n, const std::string& name) {
  for (ssize_t off = 0; off < n;) {
    const inotify_event* ev = reinterpret_cast<const inotify_event*>(buf + off);
    if (ev->mask & IN_Q_OVERFLOW) return true;
    if (ev->len > 0 && name == ev->name) return true;
    off += ssize_t(sizeof(inotify_event) + ev->len);
  }
  return false;
}

void WatchLoop(std::shared_ptr<FileWatch::State> s) {
  // Below normal priority, as the watch is never urgent.
  ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), 5);
  alignas(inotify_event) char buf[4096];
  for (;;) {
    pollfd fds[2] = {{s->inotifyFd, POLLIN, 0}, {s->stopFd, POLLIN, 0}};
    int r = ::poll(fds, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || (fds[1].revents & POLLIN)) return;
    bool relevant = false;
    for (;;) {
      ssize_t n = ::read(s->inotifyFd, buf, sizeof buf);
      if (n <= 0) break;
      relevant = relevant || ConcernsFile(buf, n, s->name);
    }
    if (relevant) {
      timespec now{};
      bool exists = WriteTime(s->path, &now);
      bool changed = exists && (!s->referenceExists || !SameTime(now, s->reference));
      if (changed) {
        {
          std::lock_guard<std::mutex> lock(s->mutex);
          if (s->stop) return;
          s->inSend = true;
        }
        s->reference = now;
        s->referenceExists = true;
        s->hub->Send(kNotifyProjectFileChanged, reinterpret_cast<intptr_t>(s->path.c_str()));
        std::lock_guard<std::mutex> lock(s->mutex);
        s->inSend = false;
        if (s->stop) return;
      }
    }
    s->batches.fetch_add(1);
  }
}

}  // namespace

bool FileWatch::Watch(const std::string& path) {
  Stop();
  if (path.empty()) return true;
  auto s = std::make_shared<State>();
  s->hub = &m_hub;
  s->path = path;
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  s->name = slash == std::string::npos ? path : path.substr(slash + 1);

  // Watching makes no file: a missing one (or a link to a missing file,
  // which a project made elsewhere may hold) is watched for its coming.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    s->reference = st.st_mtim;
    s->referenceExists = true;
  } else if (errno != ENOENT) {
    return false;
  }

  s->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  s->stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (s->inotifyFd < 0 || s->stopFd < 0) return false;
  uint32_t mask = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;
  if (::inotify_add_watch(s->inotifyFd, folder.c_str(), mask) < 0) return false;

  m_state = s;
  m_thread = std::thread(WatchLoop, std::move(s));
  return true;
}

void FileWatch::Stop() {
  if (!m_state) return;
  bool busy;
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->stop = true;
    busy = m_state->inSend;
  }
  uint64_t one = 1;
  ssize_t w = ::write(m_state->stopFd, &one, sizeof one);
  (void)w;
  // A worker inside Send may be waiting for this very thread: let it end
  // by itself (it holds its own reference to the state).
  if (busy || m_thread.get_id() == std::this_thread::get_id())
    m_thread.detach();
  else
    m_thread.join();
  m_state.reset();
}

int FileWatch::EventBatchesSeen() const { return m_state ? m_state->batches.load() : 0; }

}  // namespace pm2
