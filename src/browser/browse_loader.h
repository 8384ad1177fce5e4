// Reads the browse table out of an output file's bytes.
//
// Browse records (see browse_records.h for the record frame), contents in
// order:
//   0x60 header, opens a section: u16 version (512 or more), u16 second
//        word, u32 number of symbol records (0x63) in the section; in the
//        first section only also u16 M and M memory-space names.
//   0x61 source file: u32, u16, file name. Files count 1, 2, 3 ...
//   0x62 name: u32 (unused), the name; the 0x63 records after it are its.
//   0x63 symbol record: u16 class, u16 memory space, u16 type, u16 kind,
//        u32 (unused). Numbered 0, 1, 2 ... within the section.
//   0x64 occurrences of the last symbol record: u32 N, then N entries of
//        u16 kind, u16 file number, u32 line, u32 access flags, u32
//        referenced symbol number (0xFFFFFFFF: none). Several in a row add up.
// Any other record closes an open section and is skipped. The first section
// to close builds the module; later ones (other modules linked into the
// file) are merged into it (browse_merge.h).
//
// The end of the data, also inside a record whose length runs past it, ends
// the reading like an end record: the open section is closed and what was
// read is used. Damaged contents are refused as a whole: a field running
// past its record, a browse record outside a section or before its name or
// symbol record, more symbol records than the header counts, or a reference
// to a symbol number the header does not count: code 3, and no table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "browser/browse_table.h"

namespace pm2 {

enum BrowseError : int {
  kBrowseOk = 0,
  kBrowseCantOpen = 1,  // "Can't open file '%s'"
  kBrowseInvalid = 2,   // "Invalid file '%s'": not a module, or an old version
  kBrowseDamaged = 3,   // "Invalid file '%s'": damaged or cut-off records
  kBrowseNoMemory = 4,  // "Out of memory loading '%s'"
  kBrowseNoInfo = 5,    // no browse section in the file
};

inline constexpr uint16_t kMinBrowseVersion = 512;

// The message of an error code for a file; empty for kBrowseOk.
std::string BrowseErrorText(int code, const std::string& file);

// Reads the table from `data`. Source file names are made full paths
// against `baseFolder` (the folder the tools ran in). On success *out holds
// the table (its occurrences ordered, counts set); on any error *out is
// empty.
int LoadBrowseInfo(const uint8_t* data, size_t size, std::string_view baseFolder,
                   std::unique_ptr<BrowseModule>* out);
// The same over bytes that the table takes over: its arrays are decoded
// from them when first read, so the bytes are not copied.
int LoadBrowseInfo(std::unique_ptr<uint8_t[]> bytes, size_t size, std::string_view baseFolder,
                   std::unique_ptr<BrowseModule>* out);

}  // namespace pm2
