// A named POSIX shared-memory object mapped read/write into this process.
// Created exclusively with mode 0600 (and then zero-filled by the kernel);
// an existing object is opened only when this user owns it. Another process
// of the user may cut the object short at any time, which would make every
// access past its new end a bus error: the mapping is guarded against that
// (mapping_cut_guard.h), and its owner looks for cuts (IntactSize,
// TakeMendedCut).
//
// Its users lock single bytes of the object itself (open-file-description
// locks, given up by the kernel with the process): unlike lock files beside
// it, which can be removed by hand, they stay with the object, so they tell
// who uses it for as long as it exists. A byte past the object's end can be
// locked as well; the locks never hinder an access to the mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm2 {

class ShmRegion {
 public:
  ShmRegion() = default;
  ~ShmRegion();
  ShmRegion(const ShmRegion&) = delete;
  ShmRegion& operator=(const ShmRegion&) = delete;

  bool Create(const std::string& name, size_t size, std::string* err);
  // Opens an existing object; one cut shorter than `size` is first brought
  // back to it (the part that was cut reads zero). A larger one is mapped
  // for its first `size` bytes.
  bool Open(const std::string& name, size_t size, std::string* err);
  // Opens the object, or creates it when it does not exist (*created).
  bool OpenOrCreate(const std::string& name, size_t size, bool* created, std::string* err);
  void Unmap();

  // True when the object still has the mapped size. A shorter one is
  // brought back to it (the part that was cut then reads zero); *foundSize
  // says what it was, and false tells the caller that the contents are
  // damaged. False too when it cannot be restored (*restored false).
  bool IntactSize(size_t* foundSize, bool* restored);
  // The size the object had been cut to when an access found it cut and it
  // was brought back since the last call; -1 when none was.
  long long TakeMendedCut();

  uint8_t* Data() const { return m_data; }
  size_t Size() const { return m_size; }
  // True when the name still gives the object that is mapped (not one that
  // another process made after the name was removed).
  bool StillNamed() const;

  // Locks the byte at offset `at`, shared or exclusive, without waiting:
  // false when another process holds a lock that stands against it.
  bool LockByte(size_t at, bool exclusive);
  void UnlockByte(size_t at);
  // True when another process holds a lock on the byte (any lock when
  // `exclusive`, else an exclusive one); this process's own do not count.
  bool ByteLockedByOthers(size_t at, bool exclusive) const;
  // The same for the object of that name, without mapping it: false when
  // there is none.
  static bool NamedByteLocked(const std::string& name, size_t at, bool exclusive);

  // True when an object of that name exists.
  static bool Exists(const std::string& name);
  static void Unlink(const std::string& name);

 private:
  bool MapFd(int fd, const std::string& name, size_t size, std::string* err);

  uint8_t* m_data = nullptr;
  size_t m_size = 0;
  int m_fd = -1;  // kept open for the size checks and the identity
  std::string m_name;
  int m_guard = -1;  // the bus-error guard's token
};

}  // namespace pm2
