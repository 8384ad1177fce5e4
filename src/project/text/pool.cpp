#include "project/text/pool.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pm2 {

namespace {

[[noreturn]] void Fatal(const char* what, std::size_t size) {
  std::fprintf(stderr, "Pelmora2: %s (request of %zu bytes) - the program must stop.\n", what,
               size);
  std::fflush(stderr);
  std::abort();
}

constexpr std::size_t kMaxAlign = alignof(std::max_align_t);

}  // namespace

// Header of every block. Its size is a multiple of kMaxAlign, so the data
// that follows starts max-aligned (calloc returns max-aligned memory).
struct alignas(std::max_align_t) MemoryPool::Block {
  Block* pNext = nullptr;
  std::size_t nUsed = 0;  // bytes handed out; for a large block its size
  std::size_t nSize = 0;  // data bytes in this block
  unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
};

MemoryPool::~MemoryPool() { Release(); }

MemoryPool::Block* MemoryPool::NewBlock(std::size_t dataSize) {
  if (dataSize > SIZE_MAX - sizeof(Block)) Fatal("out of memory", dataSize);
  void* p = std::calloc(1, sizeof(Block) + dataSize);
  if (!p) Fatal("out of memory", dataSize);
  Block* b = ::new (p) Block();
  b->nSize = dataSize;
  return b;
}

void* MemoryPool::Alloc(std::size_t size, std::size_t align) {
  if (align == 0 || align > kMaxAlign || (align & (align - 1)) != 0)
    Fatal("bad pool alignment", align);
  if (size > kPoolBlockSize) {
    Block* b = NewBlock(size);
    b->nUsed = size;
    if (!m_pHead) {
      m_pHead = m_pTail = b;
    } else {
      b->pNext = m_pHead;  // in front of the head; the tail keeps serving
      m_pHead = b;
    }
    return b->Data();
  }
  auto append = [this] {
    Block* b = NewBlock(kPoolBlockSize);
    if (!m_pHead)
      m_pHead = b;
    else
      m_pTail->pNext = b;
    m_pTail = b;
  };
  if (!m_pTail || m_pTail->nSize != kPoolBlockSize) append();
  std::size_t start = (m_pTail->nUsed + align - 1) & ~(align - 1);
  if (start + size > kPoolBlockSize) {
    append();
    start = 0;
  }
  m_pTail->nUsed = start + size;
  return m_pTail->Data() + start;
}

char* MemoryPool::StrDup(const char* text) {
  if (!text) return nullptr;
  return StrDup(std::string_view(text));
}

char* MemoryPool::StrDup(std::string_view text) {
  char* p = static_cast<char*>(Alloc(text.size() + 1, 1));
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  return p;  // terminator is already zero
}

void MemoryPool::Release() {
  Block* b = m_pHead;
  while (b) {
    Block* next = b->pNext;
    std::free(b);
    b = next;
  }
  m_pHead = m_pTail = nullptr;
}

std::size_t MemoryPool::BlockCount() const {
  std::size_t n = 0;
  for (Block* b = m_pHead; b; b = b->pNext) ++n;
  return n;
}

bool MemoryPool::Holds(const void* p) const {
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  for (Block* b = m_pHead; b; b = b->pNext) {
    const auto start = reinterpret_cast<std::uintptr_t>(b->Data());
    if (at >= start && at < start + b->nUsed) return true;
  }
  return false;
}

MemoryPool& Pool(int pool) {
  static MemoryPool s_pools[kPoolCount];
  if (pool < 0 || pool >= kPoolCount) Fatal("bad pool number", static_cast<std::size_t>(pool));
  return s_pools[pool];
}

void* PoolAlloc(std::size_t size, int pool) { return Pool(pool).Alloc(size); }
void* PoolAllocAligned(std::size_t size, std::size_t align, int pool) {
  return Pool(pool).Alloc(size, align);
}
char* PoolStrDup(const char* text, int pool) { return Pool(pool).StrDup(text); }
char* PoolStrDup(std::string_view text, int pool) { return Pool(pool).StrDup(text); }
void PoolFree(int pool) { Pool(pool).Release(); }
bool PoolHolds(int pool, const void* p) { return Pool(pool).Holds(p); }
void PoolFreeAll() {
  for (int i = 0; i < kPoolCount; ++i) Pool(i).Release();
}

}  // namespace pm2
