// A list of records that never move: filled at the end in chunks of 4,096,
// read by index or in order. A table of 100,000 symbols costs some 25
// allocations (a deque would make one per few records), and pointers
// between records stay valid while the store lives.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace pm2 {

template <typename T>
class BrowseStore {
  static constexpr size_t kShift = 12;
  static constexpr size_t kChunk = size_t{1} << kShift;

  template <typename Store, typename Item>
  class Iter {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = Item*;
    using reference = Item&;
    Iter(Store* store, size_t i) : m_store(store), m_i(i) {}
    Item& operator*() const { return (*m_store)[m_i]; }
    Item* operator->() const { return &(*m_store)[m_i]; }
    Iter& operator++() {
      ++m_i;
      return *this;
    }
    bool operator==(const Iter& o) const { return m_i == o.m_i; }
    bool operator!=(const Iter& o) const { return m_i != o.m_i; }

   private:
    Store* m_store;
    size_t m_i;
  };

 public:
  using iterator = Iter<BrowseStore, T>;
  using const_iterator = Iter<const BrowseStore, const T>;

  BrowseStore() = default;
  BrowseStore(const BrowseStore&) = delete;
  BrowseStore& operator=(const BrowseStore&) = delete;
  ~BrowseStore() {
    if constexpr (!std::is_trivially_destructible_v<T>)
      for (size_t i = 0; i < m_size; ++i) (*this)[i].~T();
  }

  // A record is made where it stays, when it is added: a chunk is not
  // filled beforehand.
  T& emplace_back() {
    if (m_next == m_chunkEnd) NewChunk();
    T* record = ::new (static_cast<void*>(m_next++)) T();
    ++m_size;
    return *record;
  }
  T& operator[](size_t i) { return *std::launder(reinterpret_cast<T*>(&m_chunks[i >> kShift][i & (kChunk - 1)])); }
  const T& operator[](size_t i) const {
    return *std::launder(reinterpret_cast<const T*>(&m_chunks[i >> kShift][i & (kChunk - 1)]));
  }
  T& back() { return (*this)[m_size - 1]; }
  const T& back() const { return (*this)[m_size - 1]; }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, m_size); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, m_size); }

 private:
  struct Slot {
    alignas(T) unsigned char bytes[sizeof(T)];
  };
  void NewChunk() {
    m_chunks.push_back(std::make_unique_for_overwrite<Slot[]>(kChunk));
    m_next = m_chunks.back().get();
    m_chunkEnd = m_next + kChunk;
  }

  std::vector<std::unique_ptr<Slot[]>> m_chunks;
  Slot* m_next = nullptr;  // the next record's room in the last chunk
  Slot* m_chunkEnd = nullptr;
  size_t m_size = 0;
};

}  // namespace pm2
