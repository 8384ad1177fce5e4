// A folder of a fuzz run's own in $TMPDIR (else /tmp) holding the one file
// through which a target feeds its reader. It goes when the run ends, and
// also when the run is interrupted (SIGINT, SIGTERM, SIGHUP): the folder is
// removed first, then the handler that was there before (libFuzzer's own)
// runs as it would have.
//
// A folder that cannot be made (a TMPDIR that does not exist, one the run
// may not write) ends the run at once with the reason and status 1: a run
// whose reader never sees an input tests nothing.
//
// Made on the first input (a function-local static), after libFuzzer has
// set up its handlers, so that they are the ones passed on to.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace pm2::fuzz {

class ScratchFolder {
 public:
  // prefix: the folder's name before its random tail ("pm2fuzz_pp_");
  // file: the name of the file in it.
  ScratchFolder(const char* prefix, const char* file) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp ? tmp : "/tmp";
    std::string folder = base + "/" + prefix + "XXXXXX";
    if (folder.size() + std::strlen(file) + 2 > sizeof s_file) {
      std::fprintf(stderr, "the fuzz run cannot keep its input in '%s': the path is too long\n", base.c_str());
      ::_exit(1);
    }
    if (!::mkdtemp(folder.data())) {
      std::fprintf(stderr, "the fuzz run cannot make its scratch folder in '%s' (TMPDIR): %s\n", base.c_str(),
                   std::strerror(errno));
      ::_exit(1);
    }
    std::snprintf(s_folder, sizeof s_folder, "%s", folder.c_str());
    std::snprintf(s_file, sizeof s_file, "%s/%s", folder.c_str(), file);
    folder_ = folder + "/";
    file_ = s_file;
    for (int sig : kSignals) {
      struct sigaction before {};
      if (::sigaction(sig, nullptr, &before) != 0 || (!(before.sa_flags & SA_SIGINFO) && before.sa_handler == SIG_IGN))
        continue;  // a signal the run ignores ends nothing
      s_before[sig] = before;
      struct sigaction mine {};
      mine.sa_sigaction = OnSignal;
      mine.sa_flags = SA_SIGINFO;
      sigemptyset(&mine.sa_mask);
      ::sigaction(sig, &mine, nullptr);
    }
  }
  ~ScratchFolder() { Remove(); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a trailing '/', and the file's path; both "" when no
  // folder could be made.
  const std::string& Folder() const { return folder_; }
  const std::string& File() const { return file_; }

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

  // Only calls a signal handler may make (unlink, rmdir).
  static void Remove() {
    if (s_file[0]) ::unlink(s_file);
    if (s_folder[0]) ::rmdir(s_folder);
  }

  static void OnSignal(int sig, siginfo_t* info, void* context) {
    Remove();
    const struct sigaction& before = s_before[sig];
    if (before.sa_flags & SA_SIGINFO) {
      if (before.sa_sigaction) before.sa_sigaction(sig, info, context);
      return;
    }
    if (before.sa_handler != SIG_DFL) {
      before.sa_handler(sig);
      return;
    }
    // No handler before: the signal ends the run as it would have.
    ::sigaction(sig, &before, nullptr);
    ::raise(sig);
  }

  static inline char s_folder[4096] = {};
  static inline char s_file[4096] = {};
  static inline struct sigaction s_before[NSIG] = {};
  std::string folder_, file_;
};

}  // namespace pm2::fuzz
