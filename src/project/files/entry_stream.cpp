#include "project/files/entry_stream.h"

#include <sys/stat.h>

#include "platform/mapped_file.h"
#include "platform/win_path.h"

namespace pm2 {

namespace {

constexpr uint8_t kRecordTag = 'p';

// Little-endian reads over the data; reading past the end sets `end`.
class ByteReader {
 public:
  explicit ByteReader(std::string_view data) : m_data(data) {}
  bool AtEnd() const { return m_pos >= m_data.size(); }
  bool end = false;
  size_t pos() const { return m_pos; }

  uint8_t Byte() {
    if (m_pos >= m_data.size()) {
      end = true;
      return 0;
    }
    return uint8_t(m_data[m_pos++]);
  }
  uint16_t Word() {
    uint16_t lo = Byte();
    return uint16_t(lo | (Byte() << 8));
  }
  uint32_t DoubleWord() {
    uint32_t lo = Word();
    return lo | (uint32_t(Word()) << 16);
  }
  std::string String() {
    size_t count = Byte();
    if (count == 0) count = Word();
    if (end || m_data.size() - m_pos < count) {
      end = true;
      m_pos = m_data.size();
      return std::string();
    }
    std::string s(m_data.substr(m_pos, count));
    m_pos += count;
    return s;
  }

 private:
  std::string_view m_data;
  size_t m_pos = 0;
};

}  // namespace

int ReadDepEntries(std::string_view data, std::vector<DepEntry>* entries) {
  entries->clear();
  auto bad = [&] {
    entries->clear();
    return kEntriesBad;
  };
  ByteReader in(data);
  if (in.Byte() != kRecordTag || in.end) return bad();
  for (;;) {
    size_t length = in.Word();
    size_t recordEnd = in.pos() + length;  // just past the checksum
    if (in.end || length == 0 || recordEnd > data.size()) return bad();
    while (in.pos() + 1 < recordEnd) {
      DepEntry e;
      uint8_t kind = in.Byte();
      e.kindWord = kind;
      if (kind < 255) {
        e.kindWord |= uint32_t(in.Byte()) << 8;
        e.time = in.DoubleWord();
      }
      e.name = in.String();
      // The entry must end before the record's checksum byte.
      if (in.end || in.pos() >= recordEnd) return bad();
      entries->push_back(std::move(e));
    }
    in.Byte();  // checksum
    if (in.AtEnd() || in.Byte() != kRecordTag) break;
  }
  return entries->empty() ? bad() : kEntriesRead;
}

bool DiskFileTime(const std::string& name, uint32_t* time) {
  struct stat st;
  if (::stat(ToForwardSlashes(name).c_str(), &st) != 0) return false;
  *time = uint32_t(st.st_mtime);
  return true;
}

int ObjectFileEntries::Open(const std::string& source, const std::string& file) {
  m_entries.clear();
  MappedFileView view;
  if (!view.Open(file)) {
    switch (view.error()) {
      case MapError::kMissing:
      case MapError::kIsFolder:
      case MapError::kUnreadable:
        return 1;
      default:
        return 2;
    }
  }
  return Read(source, file, std::string_view(view.data(), view.size()));
}

int ObjectFileEntries::Read(const std::string& source, const std::string& file,
                            std::string_view data) {
  m_source = source;
  m_file = file;
  return ReadDepEntries(data, &m_entries);
}

const std::string* ObjectFileEntries::Kind3Value() const {
  for (const DepEntry& e : m_entries)
    if (e.Kind() == 3) return &e.name;
  return nullptr;
}

bool ObjectFileEntries::Changed(const DepEntry& e) const {
  uint32_t t = 0;
  return !m_fileTime(e.name, &t) || t != e.time;
}

bool ObjectFileEntries::AnySourceChanged() const {
  for (const DepEntry& e : m_entries)
    if ((e.Kind() == 1 || e.Kind() == 2) && Changed(e)) return true;
  return false;
}

bool ObjectFileEntries::AnyFileChanged() const {
  for (const DepEntry& e : m_entries) {
    int k = e.Kind();
    if (k == 0) {
      if (SamePathIgnoringCase(e.name, m_source) || SamePathIgnoringCase(e.name, m_file)) continue;
      if (Changed(e)) return true;
    } else if ((k == 1 || k == 2) && Changed(e)) {
      return true;
    }
  }
  return false;
}

}  // namespace pm2
