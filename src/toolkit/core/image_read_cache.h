#pragma once
// The read cache of the image classes: a buffer between a byte source (a
// file, or anything tests stand in for one) and the image reader, so that
// many small reads cost few reads of the source. Without a buffer set up,
// reads go to the source directly.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace pm2 {

class ImageByteSource {
 public:
  virtual ~ImageByteSource() = default;
  // Up to `size` bytes into `out`; the count read, 0 at the end or on an
  // error.
  virtual std::size_t Read(void* out, std::size_t size) = 0;
};

// A file opened for reading; closed with the object.
class FileByteSource : public ImageByteSource {
 public:
  explicit FileByteSource(const std::string& path);
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;
  bool IsOpen() const { return m_file != nullptr; }
  std::size_t Read(void* out, std::size_t size) override;

 private:
  std::FILE* m_file = nullptr;
};

class ImageReadCache {
 public:
  explicit ImageReadCache(ImageByteSource& source) : m_source(source) {}
  // Sets up a buffer of `size` bytes (dropping an older one and what it
  // held); with `fill` reads up to `size` bytes of the source into it at
  // once. False for a size of 0.
  bool Init(std::size_t size, bool fill);
  bool IsSet() const { return !m_buffer.empty(); }
  // Copies up to `size` bytes to `out`, refilling the buffer from the
  // source as it runs out; the count delivered (less than asked only at
  // the source's end).
  std::size_t Read(void* out, std::size_t size);
  // Drops the buffer; later reads go to the source directly.
  void Free();
  // Bytes held and not yet delivered.
  std::size_t Buffered() const { return m_filled - m_pos; }

 private:
  void Fill();
  ImageByteSource& m_source;
  std::vector<char> m_buffer;
  std::size_t m_filled = 0;  // bytes in the buffer
  std::size_t m_pos = 0;     // next byte to deliver
};

}  // namespace pm2
