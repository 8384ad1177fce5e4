// A named POSIX shared-memory object mapped read/write into this process.
// Created exclusively with mode 0600 (and then zero-filled by the kernel);
// an existing object is opened only when this user owns it and it has the
// expected size.
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
  bool Open(const std::string& name, size_t size, std::string* err);
  void Unmap();

  uint8_t* Data() const { return m_data; }
  size_t Size() const { return m_size; }

  static void Unlink(const std::string& name);

 private:
  bool MapFd(int fd, const std::string& name, size_t size, std::string* err);

  uint8_t* m_data = nullptr;
  size_t m_size = 0;
};

}  // namespace pm2
