// Prints the lock keys as the program reads them from the X server it
// shows on ("caps num scroll", each 0 or 1), for the end-to-end test that
// presses the keys with xdotool; exit 2 when they cannot be read.
#include <QGuiApplication>
#include <cstdio>

#include "shell/frame/x_key_locks.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const std::optional<pm2::KeyLocks> locks = pm2::ReadKeyLocks();
  if (!locks) {
    std::printf("unknown\n");
    return 2;
  }
  std::printf("%d %d %d\n", locks->caps ? 1 : 0, locks->num ? 1 : 0, locks->scroll ? 1 : 0);
  return 0;
}
