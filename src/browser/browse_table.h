// The in-memory browse table of one output file: the module with its source
// files, its names hashed into 211 buckets, one or more symbol records per
// name and each record's occurrences, plus the browse cursor that the
// look-ups move. The table never changes once loaded except for the cursor.
//
// Records live in deques owned by the module, so pointers between them stay
// valid while the module lives and nothing is freed one by one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

// What an occurrence records. The look-ups take 1 and 6 for a definition
// request and 2 and 5 for a reference request; 5 and 6 refer to the struct
// or union tag the name is a member of; 3 and 4 are call relations whose
// referenced symbol is the other end (3: the symbol calls it, 4: it calls
// the symbol).
enum BrowseOccurrenceKind : uint16_t {
  kOccDefinition = 1,
  kOccReference = 2,
  kOccCalls = 3,
  kOccCalledBy = 4,
  kOccMemberReference = 5,
  kOccMemberDefinition = 6,
};

// Symbol classes, one bit each.
enum BrowseSymbolClass : uint16_t {
  kClassMacro = 1,
  kClassLocalData = 2,  // an sfr when the kind is 3, an sfr bit when also the type is 1
  kClassData = 4,
  kClassFunction = 8,
  kClassMember = 16,
  kClassTag = 32,
  kClassTypedef = 64,
  kClassEnum = 128,
  kClassParameter = 256,
};

// Access flags of an occurrence.
enum BrowseAccess : uint32_t { kAccessRead = 1, kAccessWritten = 2, kAccessAddress = 4 };

// Occurrence flags.
enum BrowseOccurrenceFlag : uint8_t {
  kOccResolved = 1,  // `ref` holds the referenced symbol (or none)
  kOccRemapped = 2,  // merged from a later module of the file
};

inline constexpr uint32_t kNoSymbolNumber = 0xFFFFFFFF;
inline constexpr size_t kBrowseBuckets = 211;

struct BrowseSymbol;

struct BrowseFile {
  uint32_t value32 = 0;  // the record's values, kept as read
  uint16_t value16 = 0;
  std::string path;      // full path
};

// 24 bytes: a table holds a million of them.
struct BrowseOccurrence {
  uint16_t kind = 0;
  uint8_t flags = 0;
  uint8_t access = 0;   // BrowseAccess bits (the file's word has no others)
  uint32_t file = 0;    // 1-based file number; 0 or above the count: no file
  uint32_t line = 0;
  // The number read from the file (kNoSymbolNumber: none); once resolved,
  // `ref` is the symbol record it names (null for none).
  uint32_t refNumber = kNoSymbolNumber;
  BrowseSymbol* ref = nullptr;
};

// A record's occurrences: an array in its module's store (blocks of many
// records' entries, freed with the module), so that a table of a million
// entries costs a few allocations, not one per record.
class BrowseOccurrences {
 public:
  BrowseOccurrence* begin() { return m_data; }
  BrowseOccurrence* end() { return m_data + m_size; }
  const BrowseOccurrence* begin() const { return m_data; }
  const BrowseOccurrence* end() const { return m_data + m_size; }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  BrowseOccurrence& operator[](size_t i) { return m_data[i]; }
  const BrowseOccurrence& operator[](size_t i) const { return m_data[i]; }
  // Keeps the first n entries (n at most the size).
  void Truncate(size_t n) { m_size = n < m_size ? static_cast<uint32_t>(n) : m_size; }

 private:
  friend class BrowseModule;
  BrowseOccurrence* m_data = nullptr;
  uint32_t m_size = 0;
};

struct BrowseName {
  std::string text;
  BrowseSymbol* first = nullptr;        // its symbol records
  BrowseSymbol* last = nullptr;
  BrowseName* nextInBucket = nullptr;
};

struct BrowseSymbol {
  BrowseSymbol* next = nullptr;  // next record of the same name
  uint16_t cls = 0;              // BrowseSymbolClass
  uint16_t space = 0;            // index into the memory-space names
  uint16_t type = 0;
  uint16_t kind = 0;
  uint32_t number = 0;           // in its module's section
  // Definitions and references (kinds 1, 2, 5, 6), set after loading.
  uint32_t defRefCount = 0;
  // After loading: kinds 2 to 5 in file order, then kinds 1 and 6.
  BrowseOccurrences occurrences;
  BrowseName* owner = nullptr;
};

// Where the look-ups stand: a name, one of its symbol records and an index
// into that record's occurrences. Empty after loading.
struct BrowseCursor {
  BrowseName* name = nullptr;
  BrowseSymbol* symbol = nullptr;
  size_t index = 0;
};

// Bucket of a name: over its characters taken as signed bytes,
// h = (h << 4) + c, the top nibble folded back in; h mod 211.
size_t BrowseHash(std::string_view name);

class BrowseModule {
 public:
  BrowseModule() = default;
  BrowseModule(const BrowseModule&) = delete;
  BrowseModule& operator=(const BrowseModule&) = delete;

  uint16_t version = 0;
  uint16_t headerWord = 0;
  uint32_t symbolCount = 0;              // as the first header says
  std::vector<std::string> spaceNames;   // memory-space names, name 0 first
  std::string fileName;                  // the file the table was read from
  bool loaded = false;
  BrowseCursor cursor;

  // ---- building
  BrowseFile& AddFile();
  // A new name at the end of the list and in front of its bucket.
  BrowseName& AddName(std::string text);
  // A new symbol record of `name`, at the end of its records or in front.
  BrowseSymbol& AddSymbol(BrowseName& name, bool front);
  // Grows a record's occurrences by n entries (a new array of old + n, the
  // old ones copied) and returns the first new one.
  BrowseOccurrence* GrowOccurrences(BrowseSymbol& symbol, size_t n);

  // ---- reading
  size_t FileCount() const { return m_files.size(); }
  // The file numbered n (1-based); null for 0 or above the count.
  const BrowseFile* FileByNumber(uint32_t n) const;
  // The name, compared exactly; null when not in the table.
  BrowseName* FindName(std::string_view name) const;
  // Names in list order.
  std::deque<BrowseName>& Names() { return m_names; }
  const std::deque<BrowseName>& Names() const { return m_names; }
  std::deque<BrowseSymbol>& Symbols() { return m_symbols; }
  // The memory-space name of a symbol; empty when the index has none.
  std::string_view SpaceName(uint16_t space) const;

 private:
  std::deque<BrowseFile> m_files;
  std::deque<BrowseName> m_names;
  std::deque<BrowseSymbol> m_symbols;
  // The store of the occurrence arrays: blocks handed out front to back.
  std::vector<std::unique_ptr<BrowseOccurrence[]>> m_blocks;
  BrowseOccurrence* m_free = nullptr;
  size_t m_freeLeft = 0;
  std::array<BrowseName*, kBrowseBuckets> m_buckets{};
};

}  // namespace pm2
