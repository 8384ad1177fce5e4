// A peer written from the shared-memory layout alone, for the tests of
// peers that die or misbehave: it uses only a named POSIX semaphore of the
// event interface, none of the lock files or marks of our own processes.
//   ipc_layout_peer take <semaphore name>
//     takes the semaphore, prints "holding" and keeps it until SIGUSR1
//     (then gives it back, prints "released" and exits 0) or until killed
//   ipc_layout_peer post <semaphore name>
//     posts the semaphore once, prints "posted" and exits 0
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ipc_layout_peer take|post <semaphore name>\n");
    return 2;
  }
  // Blocked before anything is printed: a SIGUSR1 sent as soon as
  // "holding" is read waits for sigwait instead of ending the program.
  sigset_t usr1;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &usr1, nullptr);
  const std::string command = argv[1];
  sem_t* sem = sem_open(argv[2], 0);
  if (sem == SEM_FAILED) {
    std::fprintf(stderr, "cannot open the semaphore '%s': %s\n", argv[2], std::strerror(errno));
    return 1;
  }
  if (command == "post") {
    sem_post(sem);
    std::printf("posted\n");
    return 0;
  }
  if (command != "take") return 2;
  // Bounded only so that a test that went wrong leaves no process behind.
  timespec deadline {};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += 60;
  while (sem_timedwait(sem, &deadline) != 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "the semaphore '%s' was not had: %s\n", argv[2], std::strerror(errno));
      return 1;
    }
  }
  std::printf("holding\n");
  std::fflush(stdout);
  int sig = 0;
  sigwait(&usr1, &sig);
  sem_post(sem);
  std::printf("released\n");
  return 0;
}
