#include "browser/browse_table.h"

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
