#include "toolkit/core/image_read_cache.h"

#include <algorithm>
#include <cstring>

namespace pm2 {

FileByteSource::FileByteSource(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}

FileByteSource::~FileByteSource() {
  if (m_file) std::fclose(m_file);
}

std::size_t FileByteSource::Read(void* out, std::size_t size) {
  return m_file ? std::fread(out, 1, size, m_file) : 0;
}

bool ImageReadCache::Init(std::size_t size, bool fill) {
  Free();
  if (size == 0) return false;
  m_buffer.assign(size, 0);
  if (fill) Fill();
  return true;
}

void ImageReadCache::Fill() {
  m_pos = 0;
  m_filled = m_source.Read(m_buffer.data(), m_buffer.size());
}

std::size_t ImageReadCache::Read(void* out, std::size_t size) {
  if (!IsSet()) return m_source.Read(out, size);
  char* dst = static_cast<char*>(out);
  std::size_t done = 0;
  while (done < size) {
    if (m_pos == m_filled) {
      Fill();
      if (m_filled == 0) break;
    }
    const std::size_t n = std::min(size - done, m_filled - m_pos);
    std::memcpy(dst + done, m_buffer.data() + m_pos, n);
    m_pos += n;
    done += n;
  }
  return done;
}

void ImageReadCache::Free() {
  m_buffer.clear();
  m_buffer.shrink_to_fit();
  m_filled = m_pos = 0;
}

}  // namespace pm2
