// Projects of the previous generation: a binary file of records, read into
// the current records and later saved as a project file.
//
// Stored format (little-endian): a sequence of records, each a type byte,
// a 16-bit length, a body of (length - 1) bytes and a checksum byte; the
// 8-bit sum of every byte of a record, type to checksum, is 0.
// The first record has type 1 and a body that is the text
// kBinaryProjectHeader (length at most 101). Then records 2 project,
// 3 target, 4 group, 5 file, 6 target options, 7 group options (body
// starts with two 16-bit import indexes: target, group), 8 file options
// (three: target, group, file); 242 or a type byte 0x1A ends the project.
// A body is a sequence of fields: a name (8-bit length, characters), a
// type byte and a value: 0 byte, 1 u16, 2 u32, 3 eight bytes, 4 short
// string (8-bit length), 5 string (16-bit length), 6 blob (32-bit length).
// String characters are taken with their top bit cleared.
//
// Unknown fields are skipped by their type and unknown records by their
// length, so the rest of the file stays readable. A field of another type
// than its reader expects, or a blob of another size, gives error 8. A
// target, group or file name or any other converted text that the project
// or options file cannot hold (it would be saved and read back as another;
// stored_texts.h) gives error 10: the project is not taken.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

struct ProjectRec;

inline constexpr char kBinaryProjectHeader[] = "Pelmora2 Binary Project";

enum BinaryRecordType : uint8_t {
  kBinHeader = 1, kBinProject = 2, kBinTarget = 3, kBinGroup = 4, kBinFile = 5,
  kBinTargetOptions = 6, kBinGroupOptions = 7, kBinFileOptions = 8,
  kBinEndOfFile = 0x1A, kBinEndOfProject = 242,
};

enum BinaryFieldType : uint8_t {
  kFieldByte = 0, kFieldU16 = 1, kFieldU32 = 2, kFieldBytes8 = 3, kFieldShortString = 4,
  kFieldString = 5, kFieldBlob = 6,
};

// Error codes of the import (shared with the open).
enum BinaryProjectError : int {
  kBinOk = 0,
  kBinNoMemory = 1,
  kBinCannotOpen = 2,
  kBinReadOnly = 3,
  kBinBadHeader = 4,
  kBinBadChecksum = 5,
  kBinBadField = 8,
  kBinBadFolder = 9,
  kBinBadName = 10,
};

inline constexpr int kBinaryFieldNameCount = 186;
extern const char* const g_BinaryFieldNames[kBinaryFieldNameCount];

// Reads the records of data into a new project in pool 1 (debug lists in
// pool 9). *project is set whenever a project record was read, also when an
// error stopped the import (what was read stays). readOnly sets the
// project's read-only flag. baseName (the file's name up to its first '.')
// is the project's name; while the records are read the new project is the
// application's open project (the caller's is put back). With any error,
// *why (may be null) says what is wrong and where: the record (its number,
// kind and byte) and the field ("record 4 (a target) at byte 133: field
// 'Name' is a byte where a short string belongs"); with error 10 the name
// or text and what it cannot hold.
int ReadBinaryProject(std::string_view data, bool readOnly, ProjectRec** project,
                      std::string_view baseName = {}, std::string* why = nullptr);

// Builds files of the format (tests and conversions).
class BinaryProjectWriter {
 public:
  BinaryProjectWriter();  // starts with the header record
  void Begin(uint8_t type);
  void Index(uint16_t value);  // the import indexes of records 7 and 8
  void Byte(const char* name, uint8_t v);
  void U16(const char* name, uint16_t v);
  void U32(const char* name, uint32_t v);
  void ShortString(const char* name, std::string_view v);
  void String(const char* name, std::string_view v);
  void Blob(const char* name, std::string_view v);
  void End();                  // closes the record with its length and checksum
  void EndOfProject();         // a record of type 242
  const std::string& Data() const { return m_data; }

 private:
  void Name(const char* name, uint8_t type);
  void Raw(const void* p, std::size_t n) { m_data.append(static_cast<const char*>(p), n); }
  std::string m_data;
  std::size_t m_start = 0;
};

}  // namespace pm2
