// The dependency records that the 51, 251 and 166 translators leave in
// their object files, and the checks the up-to-date decision makes with
// them.
//
// Stream layout (little-endian), as read from the start of the data:
//   record  'p' (0x70), u16 length (the bytes that follow, up to and
//           including the checksum), entries, one checksum byte (not checked)
//   entry   u8 kind; when kind < 255: one more byte and a u32 time stamp
//           (low 16 bits first); then a string
//   string  u8 count; a count of 0 is followed by a u16 count; then the
//           characters
// Records follow each other while the next byte is 'p'; anything else ends
// the stream. Entry kinds: 0 the file itself or another source, 1 and 2
// included files, 3 the control string of the translation.
//
// A stream that does not begin with 'p', that ends inside an entry, or whose
// entries overrun their record's length gives result 3 and no entries.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct DepEntry {
  uint32_t kindWord = 0;  // kind in the low byte, the extra byte above it
  uint32_t time = 0;      // 0 for kind 255
  std::string name;
  int Kind() const { return int(kindWord & 0xFF); }
};

enum EntryStreamResult : int {
  kEntriesRead = 0,
  kEntriesBad = 3,
};

// Reads the records of `data` into *entries (cleared first).
int ReadDepEntries(std::string_view data, std::vector<DepEntry>* entries);

// The modification time of a file as the translators record it (seconds,
// low 32 bits); false when the file is missing. The default looks at the
// disk.
using FileTimeFn = std::function<bool(const std::string& name, uint32_t* time)>;
bool DiskFileTime(const std::string& name, uint32_t* time);

// One object file's entries with the checks of the up-to-date decision.
class ObjectFileEntries {
 public:
  explicit ObjectFileEntries(FileTimeFn fileTime = DiskFileTime)
      : m_fileTime(std::move(fileTime)) {}

  // Maps `file` (the translator's output for `source`; source may be
  // empty) and reads its entries. 0 read; 1 the file cannot be opened;
  // 2 it cannot be mapped (for instance it is empty); 3 its records are bad.
  int Open(const std::string& source, const std::string& file);
  // The same for data in memory.
  int Read(const std::string& source, const std::string& file, std::string_view data);

  const std::vector<DepEntry>& Entries() const { return m_entries; }

  // The name of the first kind-3 entry, or null.
  const std::string* Kind3Value() const;
  // True when an entry of kind 1 or 2 names a file that is missing or whose
  // time differs from the entry's time stamp.
  bool AnySourceChanged() const;
  // The same, and also for kind-0 entries other than the source and the
  // object file themselves (names compared ignoring case).
  bool AnyFileChanged() const;

 private:
  bool Changed(const DepEntry& e) const;

  FileTimeFn m_fileTime;
  std::string m_source;
  std::string m_file;
  std::vector<DepEntry> m_entries;
};

}  // namespace pm2
