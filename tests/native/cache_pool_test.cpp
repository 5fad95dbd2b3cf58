// Released cache blocks kept for the next caches: reuse, the budget, and that
// nothing stays behind when the grouping pass ends or memory runs short.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/cache_pool.h"
#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/group.h"
#include "engine_fixture.h"

using enginetest::EngineTest;
using enginetest::Pattern;

namespace {

constexpr uint32_t MiB = 1024 * 1024;
// Two of these fit the budget, three do not.
constexpr uint32_t Big = static_cast<uint32_t>(CachePoolBudget * 2 / 5);

int largeAllocations = 0;
void* CountLargeAllocations(void* block, size_t bytes) {
  if (bytes >= PooledBlockMinimum) largeAllocations++;
  return realloc(block, bytes);
}

void* FailWhileBlocksAreKept(void* block, size_t bytes) {
  return PooledBytes() > 0 ? nullptr : realloc(block, bytes);
}

uint8_t* Block(uint32_t bytes) { return static_cast<uint8_t*>(malloc(bytes)); }

class CachePool : public EngineTest {
 protected:
  // An entry of `size` bytes whose cache holds room for `bytes`.
  FileEntry& EntryWithCache(const std::string& name, uint32_t size, uint32_t bytes) {
    FileEntry& entry = Entry(AddFile(name, std::string(size, 'x')));
    EXPECT_TRUE(ObtainCache(entry));
    EXPECT_TRUE(ReserveCache(entry, bytes));
    return entry;
  }
  // Runs the pass over `copies` identical files of 3 MiB and returns how many
  // blocks of pool size it had to get from the system.
  int LargeAllocationsForCopies(int copies) {
    ReleaseAll();
    fileTable.count = 0;
    for (int k = 0; k < copies; k++) AddFile("copy" + std::to_string(k), Pattern(3 * MiB, 4));
    largeAllocations = 0;
    searchState.duplicateCount = 0;
    resizeCacheStorage = CountLargeAllocations;
    FindDuplicates();
    resizeCacheStorage = realloc;
    EXPECT_EQ(searchState.duplicateCount, static_cast<uint32_t>(copies));
    return largeAllocations;
  }
};

}  // namespace

TEST_F(CachePool, ALargeCacheGivenBackServesTheNextCacheThatGrows) {
  FileEntry& first = EntryWithCache("a", 3 * MiB, 3 * MiB);
  uint8_t* block = first.cache;
  uint32_t capacity = first.cacheCapacity;
  ReleaseCache(first);
  EXPECT_EQ(PooledBytes(), capacity);

  FileEntry& second = EntryWithCache("b", 3 * MiB, 8192);
  memcpy(second.cache, "kept", 4);
  ASSERT_TRUE(ReserveCache(second, PooledBlockMinimum));
  EXPECT_EQ(second.cache, block);
  EXPECT_EQ(second.cacheCapacity, capacity);
  EXPECT_EQ(memcmp(second.cache, "kept", 4), 0);
  EXPECT_EQ(PooledBytes(), 0u);
}

TEST_F(CachePool, KeptBlocksStayWithinTheBudgetKeepingTheLargestAndNoSmallOnes) {
  FileEntry& entry = EntryWithCache("a", 512 * 1024, 512 * 1024);
  ReleaseCache(entry);
  EXPECT_EQ(PooledBlockCount(), 0);
  PoolCacheBlock(Block(2 * MiB), 2 * MiB);
  PoolCacheBlock(Block(Big), Big);
  PoolCacheBlock(Block(Big), Big);
  EXPECT_EQ(PooledBytes(), 2ull * Big + 2 * MiB);
  // The third does not fit: the small one makes way, then nothing smaller is left.
  PoolCacheBlock(Block(Big), Big);
  EXPECT_EQ(PooledBytes(), 2ull * Big);
  EXPECT_LE(PooledBytes(), CachePoolBudget);
}

TEST_F(CachePool, RoomLentBeyondWhatACacheAskedForCountsUntilItIsFilled) {
  PoolCacheBlock(Block(Big), Big);
  uint32_t capacity = 0;
  uint8_t* lent = TakePooledBlock(MiB, Big, &capacity);
  ASSERT_NE(lent, nullptr);
  EXPECT_EQ(capacity, Big);
  // The room lent but not asked for, plus two blocks, would pass the budget.
  PoolCacheBlock(Block(Big), Big);
  PoolCacheBlock(Block(Big), Big);
  EXPECT_EQ(PooledBlockCount(), 1);
  NoteCacheFill(lent, Big);
  PoolCacheBlock(Block(Big), Big);
  EXPECT_EQ(PooledBlockCount(), 2);
  PoolCacheBlock(lent, capacity);
  EXPECT_LE(PooledBytes(), CachePoolBudget);
}

TEST_F(CachePool, AKeptBlockIsCutDownOrGrownToWhatTheCacheMayHold) {
  PoolCacheBlock(Block(4 * MiB), 4 * MiB);
  uint32_t capacity = 0;
  uint8_t* block = TakePooledBlock(MiB, 2 * MiB, &capacity);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(capacity, 2 * MiB);
  PoolCacheBlock(block, capacity);
  FileEntry& entry = EntryWithCache("a", 3 * MiB, 4096);
  memcpy(entry.cache, "kept", 4);
  ASSERT_TRUE(ReserveCache(entry, 3 * MiB));
  EXPECT_EQ(entry.cacheCapacity, 3 * MiB);
  EXPECT_EQ(memcmp(entry.cache, "kept", 4), 0);
  EXPECT_EQ(PooledBlockCount(), 0);
}

TEST_F(CachePool, LaterCachesOfTheGroupingPassReuseTheFirstOnesAndNothingIsKeptAfterIt) {
  int forThree = LargeAllocationsForCopies(3);
  EXPECT_EQ(PooledBytes(), 0u);
  EXPECT_EQ(LargeAllocationsForCopies(8), forThree);
  EXPECT_EQ(PooledBytes(), 0u);
  for (uint32_t k = 0; k < fileTable.count; k++) EXPECT_EQ(Entry(k).cache, nullptr) << k;
}

TEST_F(CachePool, WhenMemoryRunsShortTheKeptBlocksGoBackFirst) {
  PoolCacheBlock(Block(2 * MiB), 2 * MiB);
  resizeCacheStorage = FailWhileBlocksAreKept;
  FileEntry& entry = Entry(AddFile("a", "abc"));
  ASSERT_TRUE(ObtainCache(entry));
  EXPECT_EQ(PooledBytes(), 0u);
}
