#include "browser/browse_table.h"

#include <algorithm>

namespace pm2 {

// A table holds a million entries: each stays small.
static_assert(sizeof(BrowseOccurrence) <= 24);

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

BrowseName& BrowseModule::AddName(std::string text) {
  BrowseName& n = m_names.emplace_back();
  n.text = std::move(text);
  BrowseName*& head = m_buckets[BrowseHash(n.text)];
  n.nextInBucket = head;
  head = &n;
  return n;
}

BrowseSymbol& BrowseModule::AddSymbol(BrowseName& name, bool front) {
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

BrowseOccurrence* BrowseModule::GrowOccurrences(BrowseSymbol& symbol, size_t n) {
  static constexpr size_t kBlockEntries = 1 << 16;
  BrowseOccurrences& list = symbol.occurrences;
  const size_t total = list.m_size + n;
  BrowseOccurrence* array = nullptr;
  if (total > kBlockEntries / 4) {
    // A large array gets a block of its own.
    m_blocks.push_back(std::make_unique<BrowseOccurrence[]>(total));
    array = m_blocks.back().get();
  } else {
    if (m_freeLeft < total) {
      m_blocks.push_back(std::make_unique<BrowseOccurrence[]>(kBlockEntries));
      m_free = m_blocks.back().get();
      m_freeLeft = kBlockEntries;
    }
    array = m_free;
    m_free += total;
    m_freeLeft -= total;
  }
  std::copy(list.begin(), list.end(), array);
  list.m_data = array;
  list.m_size = static_cast<uint32_t>(total);
  return array + (total - n);
}

const BrowseFile* BrowseModule::FileByNumber(uint32_t n) const {
  if (n == 0 || n > m_files.size()) return nullptr;
  return &m_files[n - 1];
}

BrowseName* BrowseModule::FindName(std::string_view name) const {
  for (BrowseName* n = m_buckets[BrowseHash(name)]; n; n = n->nextInBucket)
    if (n->text == name) return n;
  return nullptr;
}

std::string_view BrowseModule::SpaceName(uint16_t space) const {
  return space < spaceNames.size() ? std::string_view(spaceNames[space]) : std::string_view();
}

}  // namespace pm2
