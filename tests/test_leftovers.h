// What a test process leaves behind when it ends without its clean-up (its
// runner's timeout sends SIGKILL, a crash): the event interface's objects
// in /dev/shm and its work folders. Every test process keeps them under
// names that carry its mark, "<pid>s<start>" (OwnMark: the process id and
// the process's start time, so that a later process given the same id
// never takes a leftover's names for its own while a reaper removes them):
//   /dev/shm objects: "<base>.<uid><suffix>", "sem.<base>.<uid><suffix>" and
//     the lock folder "pm2.<uid><suffix>.locks", where the suffix is a
//     test's own, "-pm2t<mark>" with an optional "-<tag>" after it
//     (TestSuffix: "-pm2t4242s9137", "-pm2t4242s9137-t3");
//   work folder: "<TMPDIR>/pm2t-<mark>", the TMPDIR of the process and of
//     everything it starts, so every temporary file of the test lies in it;
//     its "run" folder is their XDG_RUNTIME_DIR.
// The reaper removes what belongs to this user's test processes that have
// ended; it runs at the start of every test program and once more after
// the last test of a run (a CTest fixture), so a killed test's leftovers
// go. Any other suffix is a user's (PM2_IPC_SUFFIX of a running program,
// "_x32767", "-dev12"), whatever digits it ends in: the reaper never takes
// its trailing number for a process id and leaves its objects alone.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <string>

namespace pm2::test {

// The process that left a name: its id, and its start time when the name
// carries one ("" otherwise).
struct NameOwner {
  pid_t pid = 0;
  std::string start;
};
// This process's mark, "<pid>s<start>".
std::string OwnMark();
// An event-interface suffix of this process's own, "-pm2t<mark>", with
// "-<tag>" after it when a tag is given (one process's several namespaces).
std::string TestSuffix(const std::string& tag = "");
// The test process that an event-interface name suffix names: only a
// test's own suffix ("-pm2t<pid>s<start>", alone or before "-<tag>") names
// one; any other has none (pid 0).
NameOwner OwnerOfSuffix(const std::string& suffix);
// Whether the owner has ended: no process has its id, or the one that has
// it started at another time.
bool OwnerEnded(const NameOwner& owner);
// The name suffix of a /dev/shm entry of user `uid` ("-pm2t42s7" of
// "sem.guard3.1000-pm2t42s7"), or "" when the entry is not one of the event
// interface's or carries no suffix (a user's own objects).
std::string SuffixOfShmEntry(const std::string& entry, unsigned uid);

// Removes the /dev/shm entries of this user whose suffix names a test
// process that has ended, and the work folders "pm2t-<mark>" in
// `tempFolder` of ended processes.
// Returns how many it removed.
int ReapLeftovers(const std::string& tempFolder);
// The same with the entries looked for in `shmFolder` instead of /dev/shm
// (a test's own folder, which no other test program's reaper sees).
int ReapLeftovers(const std::string& tempFolder, const std::string& shmFolder);
// Removes this user's /dev/shm entries with exactly this suffix.
int RemoveShmEntries(const std::string& suffix);

// The folder temporary files go to: $TMPDIR, else /tmp.
inline std::string TempFolder() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? std::string(t) : std::string("/tmp");
}

// For the length of a test program: reaps what ended tests left, makes
// the work folder "pm2t-<mark>" and points TMPDIR (and XDG_RUNTIME_DIR at
// its "run" folder, mode 0700; HOME at its "home" folder, and
// XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME and XDG_STATE_HOME at
// their places in it) at it, and gives the program an
// event-interface namespace of its own (TestSuffix()) unless its runner
// chose one. On destruction, removes both.
class TestProcessScope {
 public:
  TestProcessScope();
  ~TestProcessScope();
  TestProcessScope(const TestProcessScope&) = delete;
  TestProcessScope& operator=(const TestProcessScope&) = delete;

 private:
  std::string folder_;
  std::string suffix_;  // set by this scope: its objects go with it
};

}  // namespace pm2::test
