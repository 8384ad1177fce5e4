// The in-memory browse table of one output file: the module with its source
// files, its names hashed into 211 buckets, one or more symbol records per
// name and each record's occurrences, plus the browse cursor that the
// look-ups move. The table never changes once loaded except for the cursor
// and the arrays and buckets it fills when they are first read.
//
// Records live in stores owned by the module, so pointers between them stay
// valid while the module lives and nothing is freed one by one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browser/browse_store.h"

namespace pm2 {

// What an occurrence records. 2 is where the name is defined and 1 where
// it is used, for every reader alike: Go To Definition and Go To
// Reference, the results view's D and R, the graphs' root place and the
// file filter (the symbols a file defines). 5 and 6 are the same for a
// member, referring to the struct or union tag it is a member of; 3 and 4
// are call relations whose referenced symbol is the other end (3: the
// symbol calls it, 4: it calls the symbol).
enum BrowseOccurrenceKind : uint16_t {
  kOccReference = 1,
  kOccDefinition = 2,
  kOccCalls = 3,
  kOccCalledBy = 4,
  kOccMemberDefinition = 5,
  kOccMemberReference = 6,
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

// Bytes of one occurrence entry in the file (browse_loader.h).
inline constexpr size_t kOccurrenceEntryBytes = 16;
// An entry as the file holds it, its reference not yet resolved.
BrowseOccurrence DecodeOccurrence(const uint8_t* entry);
// The kinds whose referenced symbol is a record of the table (3 to 6).
inline bool IsCallOrMemberKind(uint16_t kind) { return kind >= kOccCalls && kind <= kOccMemberReference; }

class BrowseModule;

// A record's occurrences: an array in its module's store (blocks of many
// records' entries, freed with the module), so that a table of a million
// entries costs a few allocations, not one per record.
//
// A loaded table leaves most arrays in the file's bytes that its module
// keeps: the entries are decoded, ordered and their references resolved
// the first time the array is read, so loading pays only for a check of
// each entry. Reading may thus fill the array through a const table; the
// table serves one thread.
class BrowseOccurrences {
 public:
  BrowseOccurrence* begin() { return Decoded(); }
  BrowseOccurrence* end() { return Decoded() + m_size; }
  const BrowseOccurrence* begin() const { return Decoded(); }
  const BrowseOccurrence* end() const { return Decoded() + m_size; }
  size_t size() const {
    Decoded();
    return m_size;
  }
  bool empty() const { return size() == 0; }
  BrowseOccurrence& operator[](size_t i) { return Decoded()[i]; }
  const BrowseOccurrence& operator[](size_t i) const { return Decoded()[i]; }
  // Keeps the first n entries (n at most the size).
  void Truncate(size_t n) {
    Decoded();
    m_size = n < m_size ? static_cast<uint32_t>(n) : m_size;
  }
  // Definitions and references (kinds 1, 2, 5 and 6) once the table is
  // loaded.
  uint32_t DefRefCount() const {
    Decoded();
    return m_defRefs;
  }

 private:
  friend class BrowseModule;
  BrowseOccurrence* Decoded() const;

  mutable BrowseOccurrence* m_data = nullptr;
  // While not decoded: the entries in the file's bytes, in file order.
  mutable const uint8_t* m_raw = nullptr;
  mutable uint32_t m_size = 0;     // once decoded
  mutable uint32_t m_defRefs = 0;  // once decoded and ordered
  uint32_t m_rawCount = 0;
  bool m_listed = false;  // decoded while loading: ordered after it
  BrowseModule* m_module = nullptr;
};

struct BrowseName {
  std::string_view text;  // in the module's name store
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
  // After loading: kinds 2 to 5 in file order, then kinds 1 and 6.
  BrowseOccurrences occurrences;
  BrowseName* owner = nullptr;
  // Definitions and references (kinds 1, 2, 5, 6).
  uint32_t DefRefCount() const { return occurrences.DefRefCount(); }
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
  // A new name at the end of the list and in front of its bucket; its
  // characters are copied into the table's name store.
  BrowseName& AddName(std::string_view text);
  // A new symbol record of `name`, at the end of its records or in front.
  BrowseSymbol& AddSymbol(BrowseName& name, bool front);
  // Leaves a record's `count` entries in the file's bytes (16 each, the
  // table's own section numbering their references) for the first read
  // to decode. The bytes must outlive the table (KeepBytes).
  void LeaveOccurrences(BrowseSymbol& symbol, const uint8_t* entries, uint32_t count);
  // Grows a record's occurrences by n entries (a new array of old + n, the
  // old ones copied, all in file order) and returns the first new one.
  BrowseOccurrence* GrowOccurrences(BrowseSymbol& symbol, size_t n);
  // Decodes a record's entries in file order while loading, as growing
  // does (ordered at the end of loading).
  void DecodeInFileOrder(BrowseSymbol& symbol);
  // The table's own section is read whole: its symbol numbers now name
  // their records, and the references of the entries decoded so far are
  // resolved.
  void CloseNumbers();
  // After the last record: the arrays decoded while loading are ordered
  // (kinds 2 to 5 in their order, then kinds 1 and 6, others dropped) and
  // their definitions and references counted; arrays decoded later are
  // ordered as they are decoded.
  void FinishOccurrences();
  // The file's bytes that undecoded arrays point into, kept with the table.
  void KeepBytes(std::unique_ptr<uint8_t[]> bytes) { m_bytes = std::move(bytes); }

  // ---- reading
  size_t FileCount() const { return m_files.size(); }
  // The file numbered n (1-based); null for 0 or above the count.
  const BrowseFile* FileByNumber(uint32_t n) const;
  // The name, compared exactly; null when not in the table. The first
  // look-up enters the names in their buckets (in list order, each in
  // front of its bucket, as if entered when added): loading need not hash
  // a hundred thousand names that a window may only list.
  BrowseName* FindName(std::string_view name) const;
  // Names in list order.
  BrowseStore<BrowseName>& Names() { return m_names; }
  const BrowseStore<BrowseName>& Names() const { return m_names; }
  BrowseStore<BrowseSymbol>& Symbols() { return m_symbols; }
  // The record numbered n in the table's own section; null when the
  // section had no such record.
  BrowseSymbol* SymbolByNumber(uint32_t n) { return n < m_numbered ? &m_symbols[n] : nullptr; }
  // The memory-space name of a symbol; empty when the index has none.
  std::string_view SpaceName(uint16_t space) const;

 private:
  friend class BrowseOccurrences;
  BrowseOccurrence* Allocate(size_t n);
  // Decodes an undecoded array, in file order or in the table's order.
  void Decode(BrowseOccurrences& list, bool fileOrder);
  void Resolve(BrowseOccurrences& list);

  std::deque<BrowseFile> m_files;
  BrowseStore<BrowseName> m_names;
  BrowseStore<BrowseSymbol> m_symbols;
  uint32_t m_numbered = 0;  // records of the table's own section
  bool m_numbersClosed = false;
  bool m_finished = false;
  // Records whose arrays were decoded or grown while loading.
  std::vector<BrowseSymbol*> m_decoded;
  std::unique_ptr<uint8_t[]> m_bytes;
  // The store of the occurrence arrays: blocks handed out front to back.
  std::vector<std::unique_ptr<BrowseOccurrence[]>> m_blocks;
  BrowseOccurrence* m_free = nullptr;
  size_t m_freeLeft = 0;
  void FillBuckets();
  // The names' characters one after another in a few blocks: a look-up or
  // a mask that goes over every name reads them in a row, not one cache
  // line of the file per name.
  std::string_view KeepText(std::string_view text) {
    if (text.size() > m_textLeft) NewTextBlock(text.size());
    char* at = m_textFree;
    // Names are short: a plain copy, without a block move's start-up.
    const size_t n = text.size();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) std::memcpy(at + i, text.data() + i, 8);
    for (; i < n; ++i) at[i] = text[i];
    m_textFree += text.size();
    m_textLeft -= text.size();
    return std::string_view(at, text.size());
  }
  void NewTextBlock(size_t least);
  std::array<BrowseName*, kBrowseBuckets> m_buckets{};
  bool m_bucketsFilled = false;
  std::vector<std::unique_ptr<char[]>> m_textBlocks;
  char* m_textFree = nullptr;
  size_t m_textLeft = 0;
};

// A table is a hundred thousand names and records: adding them is inline.
inline BrowseName& BrowseModule::AddName(std::string_view text) {
  BrowseName& n = m_names.emplace_back();
  n.text = KeepText(text);
  if (m_bucketsFilled) {
    BrowseName*& head = m_buckets[BrowseHash(n.text)];
    n.nextInBucket = head;
    head = &n;
  }
  return n;
}

inline BrowseSymbol& BrowseModule::AddSymbol(BrowseName& name, bool front) {
  BrowseSymbol& s = m_symbols.emplace_back();
  s.owner = &name;
  if (!name.first) {
    name.first = name.last = &s;
  } else if (front) {
    s.next = name.first;
    name.first = &s;
  } else {
    name.last->next = &s;
    name.last = &s;
  }
  return s;
}

inline BrowseOccurrence* BrowseOccurrences::Decoded() const {
  if (m_raw) m_module->Decode(const_cast<BrowseOccurrences&>(*this), false);
  return m_data;
}

}  // namespace pm2
