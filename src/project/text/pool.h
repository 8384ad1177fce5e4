// Numbered memory pools: arenas released as a whole, never piece by piece.
//
// There are 15 pools (0..14). Each is a list of blocks; an ordinary block
// serves 4096 data bytes handed out back to back, a request larger than
// that gets a block of its own linked at the head while small requests
// keep being served from the tail block. All memory is zero-filled.
//
// Alignment: PoolAlloc rounds the start of every allocation up to
// alignof(std::max_align_t), so any record of ours may be placed in it.
// PoolAllocPacked keeps the original no-rounding bump (byte strings and
// packed byte images stay contiguous); PoolAllocAligned takes an explicit
// power-of-two alignment up to alignof(std::max_align_t).
//
// Out of memory: the failure is reported on standard error and the process
// terminates; pools are not released behind the back of their users.
//
// Threads: a pool has no lock. The GUI thread owns the pools, except that
// the build thread uses pools 2, 13 and 14 while the busy bit is set.
#ifndef PM2_PROJECT_POOL_H
#define PM2_PROJECT_POOL_H

#include <cstddef>
#include <new>
#include <string_view>
#include <type_traits>

namespace pm2 {

inline constexpr int kPoolCount = 15;
inline constexpr std::size_t kPoolBlockSize = 4096;

// What each pool number is for.
inline constexpr int kPoolEnvironment = 0;   // environment lists; freed at exit
inline constexpr int kPoolProject = 1;       // the open project
inline constexpr int kPoolScratch = 2;       // working copies, build strings
inline constexpr int kPoolDeviceDb = 3;      // the device database in memory
inline constexpr int kPoolOptionPages = 4;   // temporary data of option pages
inline constexpr int kPoolDebugLists = 9;    // per-target debug lists
inline constexpr int kPoolFindInFiles = 10;  // find-in-files results
inline constexpr int kPoolPreprocessor = 13; // dependency-scan preprocessor
inline constexpr int kPoolDependencies = 14; // dependency file in memory

// One arena. Owns its blocks; not copyable.
class MemoryPool {
 public:
  MemoryPool() = default;
  ~MemoryPool();
  MemoryPool(const MemoryPool&) = delete;
  MemoryPool& operator=(const MemoryPool&) = delete;

  // size zeroed bytes starting at a multiple of align (power of two,
  // 1..alignof(std::max_align_t)).
  void* Alloc(std::size_t size, std::size_t align = alignof(std::max_align_t));
  // A copy of text with its terminator (alignment 1); null gives null.
  char* StrDup(const char* text);
  char* StrDup(std::string_view text);
  // Releases every block; the pool is empty afterwards.
  void Release();

  std::size_t BlockCount() const;
  bool IsEmpty() const { return m_pHead == nullptr; }
  // Whether p points into memory this pool has handed out (a record that
  // must outlive another pool's release can be checked against it).
  bool Holds(const void* p) const;

 private:
  struct Block;
  Block* NewBlock(std::size_t dataSize);

  // Invariant: both null or both set; m_pTail is the ordinary block that
  // small requests are served from (a large block is never the tail unless
  // it was the first block of the pool).
  Block* m_pHead = nullptr;
  Block* m_pTail = nullptr;
};

// The process-wide numbered pools. A bad pool number terminates with a
// message (it is a programming error, not user input).
MemoryPool& Pool(int pool);

void* PoolAlloc(std::size_t size, int pool);
void* PoolAllocAligned(std::size_t size, std::size_t align, int pool);
char* PoolStrDup(const char* text, int pool);
char* PoolStrDup(std::string_view text, int pool);
void PoolFree(int pool);
void PoolFreeAll();
bool PoolHolds(int pool, const void* p);

// Constructs a default-initialised record in a pool. Records in pools are
// never destroyed one by one, so they must not need a destructor.
template <class T>
T* PoolNew(int pool) {
  static_assert(std::is_trivially_destructible_v<T>,
                "pool records are released with their pool, never destroyed");
  return ::new (PoolAllocAligned(sizeof(T), alignof(T), pool)) T();
}

}  // namespace pm2

#endif
