#include "project/text/pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace pm2 {
namespace {

bool AllZero(const void* p, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i)
    if (b[i]) return false;
  return true;
}

TEST(MemoryPool, PackedRequestsFollowEachOtherAndFillAWholeBlock) {
  MemoryPool pool;
  char* a = static_cast<char*>(pool.Alloc(3, 1));
  char* b = static_cast<char*>(pool.Alloc(5, 1));
  EXPECT_EQ(b, a + 3);
  char* c = static_cast<char*>(pool.Alloc(kPoolBlockSize - 8, 1));
  EXPECT_EQ(c, b + 5);
  EXPECT_EQ(pool.BlockCount(), 1u);
  pool.Alloc(1, 1);  // block is full now
  EXPECT_EQ(pool.BlockCount(), 2u);
}

TEST(MemoryPool, DefaultAllocationsAreMaxAligned) {
  MemoryPool pool;
  for (std::size_t size : {1u, 3u, 17u, 100u, 5000u}) {
    auto addr = reinterpret_cast<std::uintptr_t>(pool.Alloc(size));
    EXPECT_EQ(addr % alignof(std::max_align_t), 0u) << size;
  }
  auto odd = reinterpret_cast<std::uintptr_t>(pool.Alloc(1, 1));
  auto four = reinterpret_cast<std::uintptr_t>(pool.Alloc(4, 4));
  EXPECT_EQ(four % 4, 0u);
  EXPECT_GT(four, odd);
}

TEST(MemoryPool, ExactBlockSizeIsOrdinaryLargerGetsOwnBlockAtHead) {
  MemoryPool pool;
  pool.Alloc(kPoolBlockSize, 1);
  EXPECT_EQ(pool.BlockCount(), 1u);

  MemoryPool mixed;
  char* small1 = static_cast<char*>(mixed.Alloc(10, 1));
  char* large = static_cast<char*>(mixed.Alloc(kPoolBlockSize + 1, 1));
  char* small2 = static_cast<char*>(mixed.Alloc(10, 1));
  EXPECT_EQ(mixed.BlockCount(), 2u);
  EXPECT_EQ(small2, small1 + 10);  // the tail keeps serving small requests
  EXPECT_TRUE(AllZero(large, kPoolBlockSize + 1));
}

TEST(MemoryPool, LargeFirstBlockThenSmallRequests) {
  MemoryPool pool;
  pool.Alloc(10000, 1);
  char* a = static_cast<char*>(pool.Alloc(8, 1));
  char* b = static_cast<char*>(pool.Alloc(8, 1));
  EXPECT_EQ(b, a + 8);
  EXPECT_EQ(pool.BlockCount(), 2u);
}

TEST(MemoryPool, TwoRequestsThatDoNotFitShareNoBlock) {
  MemoryPool pool;
  char* a = static_cast<char*>(pool.Alloc(3000, 1));
  char* b = static_cast<char*>(pool.Alloc(3000, 1));
  EXPECT_EQ(pool.BlockCount(), 2u);
  EXPECT_TRUE(b < a || b >= a + 3000);
  EXPECT_TRUE(AllZero(b, 3000));
}

TEST(MemoryPool, StrDupCopiesWithTerminator) {
  MemoryPool pool;
  EXPECT_EQ(pool.StrDup(static_cast<const char*>(nullptr)), nullptr);
  const char* empty = "";
  char* e = pool.StrDup(empty);
  ASSERT_NE(e, nullptr);
  EXPECT_NE(e, empty);
  EXPECT_STREQ(e, "");
  char* s = pool.StrDup("abc");
  EXPECT_STREQ(s, "abc");
  char* t = pool.StrDup(std::string_view("xyz123", 3));
  EXPECT_STREQ(t, "xyz");
}

TEST(NumberedPools, FreeReleasesOnlyThatPoolAndRefillsZeroed) {
  PoolFree(kPoolScratch);
  PoolFree(kPoolOptionPages);
  auto* p = static_cast<unsigned char*>(PoolAlloc(64, kPoolScratch));
  std::memset(p, 0xAB, 64);
  PoolAlloc(16, kPoolOptionPages);
  PoolFree(kPoolScratch);
  EXPECT_TRUE(Pool(kPoolScratch).IsEmpty());
  EXPECT_FALSE(Pool(kPoolOptionPages).IsEmpty());
  EXPECT_TRUE(AllZero(PoolAlloc(64, kPoolScratch), 64));
  PoolFreeAll();
  for (int i = 0; i < kPoolCount; ++i) EXPECT_TRUE(Pool(i).IsEmpty()) << i;
}

TEST(NumberedPoolsDeathTest, ImpossibleRequestStopsWithMessage) {
  EXPECT_DEATH(PoolAlloc(SIZE_MAX - 8, kPoolScratch), "out of memory");
  EXPECT_DEATH(PoolAlloc(1, kPoolCount), "bad pool number");
}

}  // namespace
}  // namespace pm2
