// A second instance on the channel between running instances, written from
// the message layout alone: binds "szVondSW.<uid>.<pid>" in the folder given,
// prints "ready", waits for one datagram and prints it as "got:<bytes>",
// then sends its second argument as is to every other socket of the user.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static bool Address(const std::string& path, sockaddr_un* a) {
  std::memset(a, 0, sizeof *a);
  a->sun_family = AF_UNIX;
  if (path.size() >= sizeof a->sun_path) return false;
  std::memcpy(a->sun_path, path.c_str(), path.size());
  return true;
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string folder = argv[1];
  if (folder.back() != '/') folder += '/';
  const std::string prefix = "szVondSW." + std::to_string(getuid()) + ".";
  const std::string own = folder + prefix + std::to_string(getpid());
  int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un a;
  if (fd < 0 || !Address(own, &a) || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 3;
  std::printf("ready\n");
  std::fflush(stdout);
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 10000) <= 0) {
    unlink(own.c_str());
    return 4;
  }
  char buf[512];
  ssize_t n = recv(fd, buf, sizeof buf, 0);
  std::printf("got:%.*s\n", static_cast<int>(n > 0 ? n : 0), buf);
  std::fflush(stdout);
  DIR* d = opendir(folder.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0 || folder + name == own) continue;
    if (Address(folder + name, &a))
      sendto(fd, argv[2], std::strlen(argv[2]), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  if (d) closedir(d);
  unlink(own.c_str());
  return 0;
}
