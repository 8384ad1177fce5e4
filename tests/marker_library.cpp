// A library a hostile project names as its driver. It is built for the
// tests only and never copied into an installation: a test puts it in a
// folder outside the installation under a driver's name. Should anything
// ever load it, its constructor leaves "<library file>.ran" beside it, so
// the test sees that the project's code ran; it answers the capability
// export as an ARM driver would, so nothing but the folder it lies in
// tells it apart.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace {

__attribute__((constructor)) void LeaveMarker() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&LeaveMarker), &info) || !info.dli_fname) return;
  const std::string marker = std::string(info.dli_fname) + ".ran";
  const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, "ran\n", 4);
  (void)written;
  ::close(fd);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t DllPm3Cap(int32_t code, void*) { return code == 2 ? 7 : 1; }
