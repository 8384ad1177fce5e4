// What stands at a name that is no plain file, in the words the messages
// use. A reader that opens a named pipe waits for a writer that may never
// come, and one that reads a device may never reach an end: such a name
// is refused with what it is, so the user sees why. Header only, beside
// the driver interface: the drivers, which link nothing of the IDE's, say
// it in the same words.
#pragma once

#include <sys/stat.h>

namespace pm2 {

// "a named pipe (FIFO)", "a socket", "a character device", "a block
// device", "a folder", "a link"; null for a plain file. `mode` is a stat's
// st_mode.
inline const char* FileKindText(mode_t mode) {
  struct KindRow {
    mode_t type;
    const char* text;
  };
  static constexpr KindRow kKinds[] = {
      {S_IFIFO, "a named pipe (FIFO)"}, {S_IFSOCK, "a socket"}, {S_IFCHR, "a character device"},
      {S_IFBLK, "a block device"},      {S_IFDIR, "a folder"},  {S_IFLNK, "a link"},
  };
  for (const KindRow& k : kKinds)
    if ((mode & S_IFMT) == k.type) return k.text;
  return (mode & S_IFMT) == S_IFREG ? nullptr : "no plain file";
}

}  // namespace pm2
