// The device database: the microcontrollers a target can be built for.
//
// In memory: one list of DeviceDbEntry records in file order, every record
// and string in one pool (pool 3 for the program's database).
//
// File (byte-exact, integers little-endian, every byte belongs to a record):
//   record   = type:u8, length:u16 (payload bytes + 1), payload, checksum:u8
//              where checksum makes the byte sum of the whole record 0 mod 256
//   string   = count:u16, count characters, no terminator; the reader keeps
//              the low 7 bits of every character
//   0xFE     header: string kDeviceDbHeader (first record; length <= 241)
//   0xFD     begin of an entry (all fields cleared)
//   0xFC     field: sub-code u8, then 1 vendor string, 2 device string,
//            3 family u16, 4 description string, 5 key string + value string
//   0xFB     end of the entry: it is appended to the list
//   0x8A     end of the database
// The payload is parsed by its contents; the length is not otherwise used.
// A type byte 0x1A or the end of the data ends reading with success, keeping
// the complete entries (a record is applied only once its checksum checked,
// so a cut-off tail never adds a half entry). A bad header, sub-code or
// checksum gives 3 and an unknown record type 5; then nothing is kept.
// The writer emits per entry not marked deleted 0xFD, vendor, device,
// family, the description when not empty, one option record per option
// line whose value is not empty, and 0xFB; after the last entry 0x8A. It
// writes the whole file atomically: a failed write leaves the old file.
#ifndef PM2_PROJECT_DEVICE_DB_H
#define PM2_PROJECT_DEVICE_DB_H

#include <cstdint>
#include <string>
#include <string_view>

#include "project/text/opt_string.h"
#include "project/text/pool.h"

namespace pm2 {

class Disk;

inline constexpr const char* kDeviceDbHeader = "Pelmora2 Device Database";
// The generic database, relative to the installation root: the program's
// path with the extension "cdb".
inline constexpr const char* kGenericDeviceDbFile = "PM2/pelmora2.cdb";

// Families.
inline constexpr std::uint16_t kFamily51 = 0;
inline constexpr std::uint16_t kFamily251 = 1;
inline constexpr std::uint16_t kFamily166 = 2;
inline constexpr std::uint16_t kFamilyArm = 3;

// Entry flags.
inline constexpr std::uint8_t kDeviceDeleted = 0x01;     // the writer skips it
inline constexpr std::uint8_t kDeviceVendorNode = 0x02;  // selection-tree node only

// Results of reading and writing.
inline constexpr int kDeviceDbOk = 0;
inline constexpr int kDeviceDbCannotOpen = 1;
inline constexpr int kDeviceDbCannotCreate = 2;
inline constexpr int kDeviceDbBadData = 3;  // header, sub-code or checksum
inline constexpr int kDeviceDbBadRecordType = 5;
inline constexpr int kDeviceDbWriteFailed = 6;

struct DeviceDbOption {
  DeviceDbOption* pNext = nullptr;
  OptString key;
  OptString value;
};

struct DeviceDbEntry {
  DeviceDbEntry* pNext = nullptr;
  OptString vendor;
  OptString device;
  std::uint16_t nFamily = 0;
  std::uint8_t reserved[2] = {};  // kept with the family, not stored
  OptString description;
  // Both null or both set; pLastOption->pNext is null.
  DeviceDbOption* pFirstOption = nullptr;
  DeviceDbOption* pLastOption = nullptr;
  std::uint8_t nFlags = 0;
  std::uint32_t hTreeItem = 0;  // selection tree item (user interface state)
};

// A device database in memory. All entries and strings live in one pool;
// the object owns the list, the pool owns the memory.
class DeviceDatabase {
 public:
  // disk null: the real disk.
  explicit DeviceDatabase(int pool = kPoolDeviceDb, Disk* disk = nullptr);
  DeviceDatabase(const DeviceDatabase&) = delete;
  DeviceDatabase& operator=(const DeviceDatabase&) = delete;

  int Read(const std::string& path);
  // Parses the bytes of a database file (the list is replaced).
  int Parse(std::string_view data);
  // With a `backupPath` the old file is kept under that name.
  int Write(const std::string& path, const std::string& backupPath = std::string());
  // The bytes Write stores; false when a field is too long for a record.
  bool Serialize(std::string& out) const;
  // Releases the pool and clears the list.
  void Free();

  DeviceDbEntry* First() const { return m_pFirst; }
  std::size_t Count() const;
  DeviceDbEntry* Find(std::string_view vendor, std::string_view device,
                      std::uint16_t family) const;
  // Copies vendor, device, family, description and options of source into
  // entry (strings and option lines copied into this database's pool).
  void Replace(DeviceDbEntry* entry, const DeviceDbEntry& source);
  void Append(DeviceDbEntry* entry);

  // A new entry in the pool, not yet in the list.
  DeviceDbEntry* NewEntry(std::string_view vendor, std::string_view device,
                          std::uint16_t family, std::string_view description);
  // Appends a KEY=value option line to the entry.
  void AddOption(DeviceDbEntry* entry, std::string_view key, std::string_view value);

  // The message for a result of Read or Write naming the file; empty for 0.
  static std::string ResultText(int result, const std::string& path);
  // What was wrong with the data of the last refused Read or Parse (the
  // record and its byte offset), else empty.
  const std::string& LastReadError() const { return m_lastReadError; }
  // Details of the last failed Write (the system's reason), else empty.
  const std::string& LastWriteError() const { return m_lastWriteError; }

 private:
  int m_nPool;
  Disk* m_pDisk;
  DeviceDbEntry* m_pFirst = nullptr;
  DeviceDbEntry* m_pLast = nullptr;
  std::string m_lastWriteError;
  std::string m_lastReadError;
};

// The value of an option line (key compared ignoring case); null handle
// (g_szEmptyOpt) when missing.
OptString FindDeviceOptionValue(const DeviceDbEntry& entry, std::string_view key);

// The program's database (pool 3) and the functions over it.
DeviceDatabase& TheDeviceDatabase();
int ReadDeviceDatabase(const std::string& path);
int WriteDeviceDatabase(const std::string& path);
void FreeDeviceDatabase();
DeviceDbEntry* FindDeviceEntry(std::string_view vendor, std::string_view device,
                               std::uint16_t family);
void ReplaceDeviceEntry(DeviceDbEntry* entry, const DeviceDbEntry& source);
void AppendDeviceEntry(DeviceDbEntry* entry);

}  // namespace pm2

#endif
