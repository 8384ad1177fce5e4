#include "browser/browse_table.h"

#include <algorithm>

namespace pm2 {

// A table holds a million entries: each stays small.
static_assert(sizeof(BrowseOccurrence) <= 24);

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

}  // namespace

size_t BrowseHash(std::string_view name) {
  uint32_t h = 0;
  for (char ch : name) {
    h = (h << 4) + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(ch)));
    const uint32_t g = h & 0xF0000000u;
    if (g) h ^= g ^ (g >> 24);
  }
  return h % kBrowseBuckets;
}

BrowseFile& BrowseModule::AddFile() { return m_files.emplace_back(); }

void BrowseModule::NewTextBlock(size_t least) {
  static constexpr size_t kTextBlock = 1 << 16;
  const size_t size = least > kTextBlock ? least : kTextBlock;
  m_textBlocks.push_back(std::make_unique_for_overwrite<char[]>(size));
  m_textFree = m_textBlocks.back().get();
  m_textLeft = size;
}

void BrowseModule::FillBuckets() {
  for (BrowseName& n : m_names) {
    BrowseName*& head = m_buckets[BrowseHash(n.text)];
    n.nextInBucket = head;
    head = &n;
  }
  m_bucketsFilled = true;
}

BrowseOccurrence DecodeOccurrence(const uint8_t* entry) {
  BrowseOccurrence o;
  o.kind = Le16(entry);
  o.file = Le16(entry + 2);
  o.line = Le32(entry + 4);
  o.access = static_cast<uint8_t>(Le32(entry + 8) & (kAccessRead | kAccessWritten | kAccessAddress));
  o.refNumber = Le32(entry + 12);
  return o;
}

BrowseOccurrence* BrowseModule::Allocate(size_t n) {
  static constexpr size_t kBlockEntries = 1 << 16;
  if (n > kBlockEntries / 4) {
    // A large array gets a block of its own.
    m_blocks.push_back(std::make_unique_for_overwrite<BrowseOccurrence[]>(n));
    return m_blocks.back().get();
  }
  if (m_freeLeft < n) {
    m_blocks.push_back(std::make_unique_for_overwrite<BrowseOccurrence[]>(kBlockEntries));
    m_free = m_blocks.back().get();
    m_freeLeft = kBlockEntries;
  }
  BrowseOccurrence* array = m_free;
  m_free += n;
  m_freeLeft -= n;
  return array;
}

void BrowseModule::LeaveOccurrences(BrowseSymbol& symbol, const uint8_t* entries, uint32_t count) {
  BrowseOccurrences& list = symbol.occurrences;
  list.m_module = this;
  list.m_data = nullptr;
  list.m_raw = entries;
  list.m_rawCount = count;
  list.m_size = 0;
}

void BrowseModule::Decode(BrowseOccurrences& list, bool fileOrder) {
  const uint8_t* raw = list.m_raw;
  const uint32_t n = list.m_rawCount;
  size_t room = n;
  uint32_t calls = 0;
  if (!fileOrder) {
    // Only the kinds kept take room.
    room = 0;
    for (uint32_t i = 0; i < n; ++i) {
      const uint16_t kind = Le16(raw + i * kOccurrenceEntryBytes);
      room += kind >= kOccReference && kind <= kOccMemberReference;
      calls += kind == kOccCalls || kind == kOccCalledBy;
    }
  }
  BrowseOccurrence* array = Allocate(room);
  size_t k = 0;
  if (fileOrder) {
    for (uint32_t i = 0; i < n; ++i) array[k++] = DecodeOccurrence(raw + i * kOccurrenceEntryBytes);
  } else {
    // Definitions and calls first in their order (kinds 2 to 5), then the
    // references.
    for (int pass = 0; pass < 2; ++pass)
      for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* entry = raw + i * kOccurrenceEntryBytes;
        const uint16_t kind = Le16(entry);
        const bool early = kind >= kOccDefinition && kind <= kOccMemberDefinition;
        const bool reference = kind == kOccReference || kind == kOccMemberReference;
        if (pass == 0 ? early : reference) array[k++] = DecodeOccurrence(entry);
      }
  }
  list.m_data = array;
  list.m_raw = nullptr;
  list.m_size = static_cast<uint32_t>(k);
  // In file order (while loading) the count is taken when the array is
  // ordered (FinishOccurrences).
  list.m_defRefs = static_cast<uint32_t>(k) - calls;
  if (m_numbersClosed) Resolve(list);
}

void BrowseModule::Resolve(BrowseOccurrences& list) {
  // Call and member references name their records; a number the header
  // counts whose record never came (a cut file) names none.
  for (uint32_t i = 0; i < list.m_size; ++i) {
    BrowseOccurrence& o = list.m_data[i];
    if (IsCallOrMemberKind(o.kind) && !(o.flags & kOccResolved)) {
      o.ref = SymbolByNumber(o.refNumber);
      o.flags |= kOccResolved;
    }
  }
}

void BrowseModule::DecodeInFileOrder(BrowseSymbol& symbol) {
  BrowseOccurrences& list = symbol.occurrences;
  list.m_module = this;
  // Only loading keeps file order: a finished table's arrays are ordered.
  if (list.m_raw) Decode(list, !m_finished);
  if (!m_finished && !list.m_listed) {
    list.m_listed = true;
    m_decoded.push_back(&symbol);
  }
}

BrowseOccurrence* BrowseModule::GrowOccurrences(BrowseSymbol& symbol, size_t n) {
  DecodeInFileOrder(symbol);
  BrowseOccurrences& list = symbol.occurrences;
  const size_t total = list.m_size + n;
  BrowseOccurrence* array = Allocate(total);
  std::copy(list.m_data, list.m_data + list.m_size, array);
  list.m_data = array;
  list.m_size = static_cast<uint32_t>(total);
  return array + (total - n);
}

void BrowseModule::CloseNumbers() {
  m_numbered = static_cast<uint32_t>(m_symbols.size());
  m_numbersClosed = true;
  for (BrowseSymbol* s : m_decoded) Resolve(s->occurrences);
}

namespace {

// Kinds 2 to 5 first in their order, then kinds 1 and 6; others dropped.
// The definitions and calls are moved forward in place and the references
// kept in one scratch buffer shared by all records. Returns the number of
// definitions and references (kinds 1, 2, 5 and 6).
uint32_t OrderOccurrences(BrowseOccurrences& list, std::vector<BrowseOccurrence>& defs) {
  defs.clear();
  size_t refs = 0;
  uint32_t calls = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const uint16_t k = list[i].kind;
    if (k >= kOccDefinition && k <= kOccMemberDefinition) {
      if (refs != i) list[refs] = list[i];
      ++refs;
      calls += k == kOccCalls || k == kOccCalledBy;
    } else if (k == kOccReference || k == kOccMemberReference) {
      defs.push_back(list[i]);
    }
  }
  std::copy(defs.begin(), defs.end(), list.begin() + refs);
  list.Truncate(refs + defs.size());
  return static_cast<uint32_t>(list.size()) - calls;
}

}  // namespace

void BrowseModule::FinishOccurrences() {
  std::vector<BrowseOccurrence> defs;
  for (BrowseSymbol* s : m_decoded) s->occurrences.m_defRefs = OrderOccurrences(s->occurrences, defs);
  m_decoded = std::vector<BrowseSymbol*>();
  m_finished = true;
}

const BrowseFile* BrowseModule::FileByNumber(uint32_t n) const {
  if (n == 0 || n > m_files.size()) return nullptr;
  return &m_files[n - 1];
}

BrowseName* BrowseModule::FindName(std::string_view name) const {
  // The table is built once and read by one thread.
  if (!m_bucketsFilled) const_cast<BrowseModule*>(this)->FillBuckets();
  for (BrowseName* n = m_buckets[BrowseHash(name)]; n; n = n->nextInBucket)
    if (n->text == name) return n;
  return nullptr;
}

std::string_view BrowseModule::SpaceName(uint16_t space) const {
  return space < spaceNames.size() ? std::string_view(spaceNames[space]) : std::string_view();
}

}  // namespace pm2
