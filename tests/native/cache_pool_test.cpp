// Released cache blocks kept for the next caches: reuse, the budget, and that
// nothing stays behind when the grouping pass ends or memory runs short.
#include "engine/cache_pool.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/entry_io.h"
#include "engine/group.h"
#include "engine/settings.h"
#include "engine_fixture.h"

namespace {

constexpr uint32_t MiB = 1024 * 1024;
constexpr uint32_t Big = static_cast<uint32_t>(CachePoolBudget * 2 / 5);  // two fit the budget, three do not
int largeAllocations = 0;

using CachePool = enginetest::EngineTest;

TEST_F(CachePool, AKeptBlockServesTheNextCacheThatGrowsKeepingItsBytes) {
  FileEntry& first = Entry(AddFile("a", std::string(512 * 1024, 'x')));
  ASSERT_TRUE(ObtainCache(first) && ReserveCache(first, 512 * 1024));
  ReleaseCache(first);
  EXPECT_EQ(PooledBlockCount(), 0);  // small caches are not kept
  PoolCacheBlock(static_cast<uint8_t*>(malloc(4 * MiB)), 4 * MiB);
  FileEntry& second = Entry(AddFile("b", std::string(3 * MiB, 'x')));
  ASSERT_TRUE(ObtainCache(second));
  memcpy(second.cache, "kept", 4);
  ASSERT_TRUE(ReserveCache(second, PooledBlockMinimum));
  EXPECT_EQ(second.cacheCapacity, CacheCeiling(second));  // cut down to what it may hold
  EXPECT_EQ(memcmp(second.cache, "kept", 4), 0);
  EXPECT_EQ(PooledBytes(), 0u);
}

TEST_F(CachePool, KeptBlocksStayWithinTheBudgetKeepingTheLargest) {
  PoolCacheBlock(static_cast<uint8_t*>(malloc(2 * MiB)), 2 * MiB);
  for (int k = 0; k < 3; k++) PoolCacheBlock(static_cast<uint8_t*>(malloc(Big)), Big);
  EXPECT_EQ(PooledBytes(), 2ull * Big);
}

TEST_F(CachePool, LaterCachesOfThePassReuseTheFirstOnesAndNothingIsKeptAfterIt) {
  int forCopies[2];
  for (int round = 0; round < 2; round++) {
    ReleaseAll();
    fileTable.count = 0;
    for (int k = 0; k < (round ? 8 : 3); k++) AddFile("copy" + std::to_string(k), enginetest::Pattern(3 * MiB, 4));
    largeAllocations = 0;
    resizeCacheStorage = [](void* block, size_t bytes) {
      largeAllocations += bytes >= PooledBlockMinimum;
      return realloc(block, bytes);
    };
    FindDuplicates();
    forCopies[round] = largeAllocations;
    EXPECT_EQ(PooledBytes(), 0u);
  }
  EXPECT_EQ(forCopies[1], forCopies[0]);
  // When memory runs short the kept blocks go back first.
  PoolCacheBlock(static_cast<uint8_t*>(malloc(2 * MiB)), 2 * MiB);
  resizeCacheStorage = [](void* block, size_t bytes) { return PooledBytes() > 0 ? nullptr : realloc(block, bytes); };
  ReleaseAll();
  EXPECT_TRUE(ObtainCache(Entry(0)));
  EXPECT_EQ(PooledBytes(), 0u);
}

}  // namespace
