#include "project/devices/device_db.h"

#include "project/files/stored_file_read.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/atomic_file.h"

namespace pm2 {

namespace {

constexpr std::uint8_t kRecHeader = 0xFE;
constexpr std::uint8_t kRecBegin = 0xFD;
constexpr std::uint8_t kRecField = 0xFC;
constexpr std::uint8_t kRecEnd = 0xFB;
constexpr std::uint8_t kRecDatabaseEnd = 0x8A;
constexpr std::uint8_t kEndOfFileMark = 0x1A;
constexpr std::uint16_t kMaxHeaderLength = 241;

constexpr std::uint8_t kFieldVendor = 1;
constexpr std::uint8_t kFieldDevice = 2;
constexpr std::uint8_t kFieldFamily = 3;
constexpr std::uint8_t kFieldDescription = 4;
constexpr std::uint8_t kFieldOption = 5;

// Bytes of one record being read, with the running byte sum.
class RecordReader {
 public:
  explicit RecordReader(std::string_view data) : m_data(data) {}
  void StartRecord() {
    m_sum = 0;
    m_start = m_pos;
  }
  // Where the record being read starts in the file.
  std::size_t RecordStart() const { return m_start; }
  bool SumIsZero() const { return m_sum == 0; }
  bool Byte(std::uint8_t& b) {
    if (m_pos >= m_data.size()) return false;
    b = static_cast<std::uint8_t>(m_data[m_pos++]);
    m_sum = static_cast<std::uint8_t>(m_sum + b);
    return true;
  }
  bool U16(std::uint16_t& v) {
    std::uint8_t lo = 0, hi = 0;
    if (!Byte(lo) || !Byte(hi)) return false;
    v = static_cast<std::uint16_t>(lo | (hi << 8));
    return true;
  }
  bool String(std::string& s) {
    std::uint16_t n = 0;
    if (!U16(n)) return false;
    s.clear();
    s.reserve(n);
    for (std::uint16_t i = 0; i < n; ++i) {
      std::uint8_t c = 0;
      if (!Byte(c)) return false;
      s.push_back(static_cast<char>(c & 0x7F));
    }
    return true;
  }

 private:
  std::string_view m_data;
  std::size_t m_pos = 0;
  std::size_t m_start = 0;
  std::uint8_t m_sum = 0;
};

std::string Hex(std::uint8_t b) {
  static const char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[b >> 4] + kDigits[b & 15];
}

// One record being assembled: type, length placeholder, payload, checksum.
class RecordWriter {
 public:
  explicit RecordWriter(std::string& out) : m_out(out) {}
  void Begin(std::uint8_t type) {
    m_start = m_out.size();
    m_out.push_back(static_cast<char>(type));
    m_out.append(2, '\0');
  }
  void Byte(std::uint8_t b) { m_out.push_back(static_cast<char>(b)); }
  void U16(std::uint16_t v) {
    Byte(static_cast<std::uint8_t>(v & 0xFF));
    Byte(static_cast<std::uint8_t>(v >> 8));
  }
  void String(std::string_view s) {
    if (s.size() > 0xFFFF) m_tooLong = true;
    U16(static_cast<std::uint16_t>(s.size()));
    m_out.append(s.data(), s.size() > 0xFFFF ? 0xFFFF : s.size());
  }
  void End() {
    std::size_t length = m_out.size() - m_start - 3 + 1;
    if (length > 0xFFFF) m_tooLong = true;
    m_out[m_start + 1] = static_cast<char>(length & 0xFF);
    m_out[m_start + 2] = static_cast<char>((length >> 8) & 0xFF);
    std::uint8_t sum = 0;
    for (std::size_t i = m_start; i < m_out.size(); ++i)
      sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(m_out[i]));
    m_out.push_back(static_cast<char>(static_cast<std::uint8_t>(0u - sum)));
  }
  bool TooLong() const { return m_tooLong; }

 private:
  std::string& m_out;
  std::size_t m_start = 0;
  bool m_tooLong = false;
};

// The fields of the entry being read.
struct EntryFields {
  std::string vendor, device, description;
  std::uint16_t family = 0;
  std::vector<std::pair<std::string, std::string>> options;
};

// Forwards to a disk and notes whether creating the new file failed, which
// tells "cannot create" from "write failed".
class CreateWatchDisk : public Disk {
 public:
  explicit CreateWatchDisk(Disk& inner) : m_inner(inner) {}
  bool createFailed = false;
  int CreateNew(const std::string& path, unsigned mode, int* handle) override {
    int e = m_inner.CreateNew(path, mode, handle);
    if (e) createFailed = true;
    return e;
  }
  int Write(int h, const char* data, size_t n) override { return m_inner.Write(h, data, n); }
  int Sync(int h) override { return m_inner.Sync(h); }
  int Close(int h) override { return m_inner.Close(h); }
  int Rename(const std::string& a, const std::string& b) override { return m_inner.Rename(a, b); }
  int Link(const std::string& a, const std::string& b) override { return m_inner.Link(a, b); }
  int Remove(const std::string& p) override { return m_inner.Remove(p); }
  int SyncFolder(const std::string& f) override { return m_inner.SyncFolder(f); }
  int Stat(const std::string& p, bool* exists, unsigned* mode) override {
    return m_inner.Stat(p, exists, mode);
  }
  int ReadAll(const std::string& p, std::string* out) override { return m_inner.ReadAll(p, out); }

 private:
  Disk& m_inner;
};

}  // namespace

DeviceDatabase::DeviceDatabase(int pool, Disk* disk)
    : m_nPool(pool), m_pDisk(disk ? disk : &RealDisk()) {}

void DeviceDatabase::Free() {
  PoolFree(m_nPool);
  m_pFirst = m_pLast = nullptr;
}

std::size_t DeviceDatabase::Count() const {
  std::size_t n = 0;
  for (DeviceDbEntry* e = m_pFirst; e; e = e->pNext) ++n;
  return n;
}

DeviceDbEntry* DeviceDatabase::NewEntry(std::string_view vendor, std::string_view device,
                                        std::uint16_t family, std::string_view description) {
  DeviceDbEntry* e = PoolNew<DeviceDbEntry>(m_nPool);
  e->vendor = OptString::Pooled(vendor, m_nPool);
  e->device = OptString::Pooled(device, m_nPool);
  e->nFamily = family;
  e->description = OptString::Pooled(description, m_nPool);
  return e;
}

void DeviceDatabase::AddOption(DeviceDbEntry* entry, std::string_view key,
                               std::string_view value) {
  DeviceDbOption* o = PoolNew<DeviceDbOption>(m_nPool);
  o->key = OptString::Pooled(key, m_nPool);
  o->value = OptString::Pooled(value, m_nPool);
  if (entry->pLastOption)
    entry->pLastOption->pNext = o;
  else
    entry->pFirstOption = o;
  entry->pLastOption = o;
}

void DeviceDatabase::Append(DeviceDbEntry* entry) {
  entry->pNext = nullptr;
  if (m_pLast)
    m_pLast->pNext = entry;
  else
    m_pFirst = entry;
  m_pLast = entry;
}

void DeviceDatabase::Replace(DeviceDbEntry* entry, const DeviceDbEntry& source) {
  if (entry == &source) return;
  // Read the source's options before the entry's list is reset, in case
  // they share nodes.
  std::vector<std::pair<OptString, OptString>> options;
  for (const DeviceDbOption* o = source.pFirstOption; o; o = o->pNext)
    options.emplace_back(o->key, o->value);
  entry->vendor = OptString::Pooled(source.vendor.view(), m_nPool);
  entry->device = OptString::Pooled(source.device.view(), m_nPool);
  entry->nFamily = source.nFamily;
  entry->description = OptString::Pooled(source.description.view(), m_nPool);
  entry->pFirstOption = entry->pLastOption = nullptr;
  for (auto& [key, value] : options) AddOption(entry, key.view(), value.view());
}

DeviceDbEntry* DeviceDatabase::Find(std::string_view vendor, std::string_view device,
                                    std::uint16_t family) const {
  for (DeviceDbEntry* e = m_pFirst; e; e = e->pNext)
    if (e->nFamily == family && EqualIgnoringCase(e->vendor.view(), vendor) &&
        EqualIgnoringCase(e->device.view(), device))
      return e;
  return nullptr;
}

int DeviceDatabase::Parse(std::string_view data) {
  Free();
  m_lastReadError.clear();
  RecordReader r(data);
  auto fail = [this, &r](int result, const std::string& why) {
    Free();
    m_lastReadError = "The record at byte " + std::to_string(r.RecordStart()) + " " + why;
    return result;
  };
  if (data.empty()) return kDeviceDbOk;

  // Header.
  std::uint8_t type = 0;
  std::uint16_t length = 0;
  std::string text;
  r.StartRecord();
  if (!r.Byte(type) || type != kRecHeader || !r.U16(length) || length > kMaxHeaderLength ||
      !r.String(text) || text != kDeviceDbHeader)
    return fail(kDeviceDbBadData, "is not the header of a device database");
  std::uint8_t check = 0;
  if (!r.Byte(check) || !r.SumIsZero()) return fail(kDeviceDbBadData, "(the header) has a wrong checksum");

  EntryFields fields;
  for (;;) {
    r.StartRecord();
    if (!r.Byte(type) || type == kEndOfFileMark) break;
    if (type != kRecBegin && type != kRecField && type != kRecEnd && type != kRecDatabaseEnd)
      return fail(kDeviceDbBadRecordType, "has the unknown type " + Hex(type));
    if (!r.U16(length)) break;  // cut off: keep the complete entries
    std::uint8_t sub = 0;
    std::string a, b;
    std::uint16_t family = 0;
    if (type == kRecField) {
      if (!r.Byte(sub)) break;
      bool complete = true;
      switch (sub) {
        case kFieldVendor:
        case kFieldDevice:
        case kFieldDescription: complete = r.String(a); break;
        case kFieldFamily: complete = r.U16(family); break;
        case kFieldOption: complete = r.String(a) && r.String(b); break;
        default: return fail(kDeviceDbBadData, "holds a field of the unknown kind " + Hex(sub));
      }
      if (!complete) break;
    }
    if (!r.Byte(check)) break;
    if (!r.SumIsZero()) return fail(kDeviceDbBadData, "has a wrong checksum");

    // The record is whole and checked: apply it.
    if (type == kRecDatabaseEnd) break;
    if (type == kRecBegin) {
      fields = EntryFields();
    } else if (type == kRecField) {
      switch (sub) {
        case kFieldVendor: fields.vendor = std::move(a); break;
        case kFieldDevice: fields.device = std::move(a); break;
        case kFieldFamily: fields.family = family; break;
        case kFieldDescription: fields.description = std::move(a); break;
        default: fields.options.emplace_back(std::move(a), std::move(b)); break;
      }
    } else {  // kRecEnd
      DeviceDbEntry* e = NewEntry(fields.vendor, fields.device, fields.family, fields.description);
      // The entry is a copy: the fields stay as they are, so a second end
      // record without a begin record appends another whole copy, while
      // later option lines never reach an entry already appended.
      for (auto& [key, value] : fields.options) AddOption(e, key, value);
      Append(e);
    }
  }
  return kDeviceDbOk;
}

int DeviceDatabase::Read(const std::string& path) {
  Free();
  m_lastReadError.clear();
  std::string data;
  if (m_pDisk == &RealDisk()) {
    // Only a regular file of a size a database can have: a named pipe or a
    // link to a device must not hang or exhaust the program.
    if (!ReadStoredFile(path, kStoredTextFileMax, data, nullptr)) return kDeviceDbCannotOpen;
  } else if (m_pDisk->ReadAll(path, &data) != 0) {
    return kDeviceDbCannotOpen;
  }
  return Parse(data);
}

bool DeviceDatabase::Serialize(std::string& out) const {
  out.clear();
  RecordWriter w(out);
  w.Begin(kRecHeader);
  w.String(kDeviceDbHeader);
  w.End();
  auto field = [&w](std::uint8_t sub, std::string_view s) {
    w.Begin(kRecField);
    w.Byte(sub);
    w.String(s);
    w.End();
  };
  for (const DeviceDbEntry* e = m_pFirst; e; e = e->pNext) {
    if (e->nFlags & kDeviceDeleted) continue;
    w.Begin(kRecBegin);
    w.End();
    field(kFieldVendor, e->vendor.view());
    field(kFieldDevice, e->device.view());
    w.Begin(kRecField);
    w.Byte(kFieldFamily);
    w.U16(e->nFamily);
    w.End();
    if (!e->description.empty()) field(kFieldDescription, e->description.view());
    for (const DeviceDbOption* o = e->pFirstOption; o; o = o->pNext) {
      if (o->value.empty()) continue;
      w.Begin(kRecField);
      w.Byte(kFieldOption);
      w.String(o->key.view());
      w.String(o->value.view());
      w.End();
    }
    w.Begin(kRecEnd);
    w.End();
  }
  w.Begin(kRecDatabaseEnd);
  w.End();
  return !w.TooLong();
}

int DeviceDatabase::Write(const std::string& path, const std::string& backupPath) {
  m_lastWriteError.clear();
  std::string data;
  if (!Serialize(data)) {
    m_lastWriteError = "A device entry of '" + path + "' has a field too long for the file";
    return kDeviceDbWriteFailed;
  }
  // A read-only database stays as it is, although a rename could replace it.
  bool exists = false;
  unsigned mode = 0;
  if (m_pDisk->Stat(path, &exists, &mode) == 0 && exists && (mode & 0222) == 0) {
    m_lastWriteError = "Cannot write '" + path + "': the file is read-only";
    return kDeviceDbCannotCreate;
  }
  CreateWatchDisk disk(*m_pDisk);
  AtomicFileWriter writer(&disk);
  if (writer.Write(path, data, &m_lastWriteError, backupPath)) return kDeviceDbOk;
  return disk.createFailed ? kDeviceDbCannotCreate : kDeviceDbWriteFailed;
}

std::string DeviceDatabase::ResultText(int result, const std::string& path) {
  switch (result) {
    case kDeviceDbOk: return std::string();
    case kDeviceDbCannotOpen: return "Database file '" + path + "' not found !";
    case kDeviceDbCannotCreate: return "Cannot create database file '" + path + "' !";
    case kDeviceDbWriteFailed: return "Error while writing database file '" + path + "' !";
    default: return "Error while reading database file '" + path + "' !";
  }
}

OptString FindDeviceOptionValue(const DeviceDbEntry& entry, std::string_view key) {
  for (const DeviceDbOption* o = entry.pFirstOption; o; o = o->pNext)
    if (EqualIgnoringCase(o->key.view(), key)) return o->value;
  return OptString();
}

DeviceDatabase& TheDeviceDatabase() {
  static DeviceDatabase s_database(kPoolDeviceDb);
  return s_database;
}

int ReadDeviceDatabase(const std::string& path) { return TheDeviceDatabase().Read(path); }
int WriteDeviceDatabase(const std::string& path) { return TheDeviceDatabase().Write(path); }
void FreeDeviceDatabase() { TheDeviceDatabase().Free(); }
DeviceDbEntry* FindDeviceEntry(std::string_view vendor, std::string_view device,
                               std::uint16_t family) {
  return TheDeviceDatabase().Find(vendor, device, family);
}
void ReplaceDeviceEntry(DeviceDbEntry* entry, const DeviceDbEntry& source) {
  TheDeviceDatabase().Replace(entry, source);
}
void AppendDeviceEntry(DeviceDbEntry* entry) { TheDeviceDatabase().Append(entry); }

}  // namespace pm2
