// The pairwise content comparison, driven directly: entry i prepared as the
// grouping pass prepares it, then CompareFiles(i, j) on real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/settings.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::EngineTest;
using enginetest::Pattern;

namespace {

constexpr uint64_t MiB = 1024 * 1024;
constexpr uint64_t LargeSize = 150 * MiB;

std::string WithLastByteFlipped(std::string bytes) {
  bytes.back() = static_cast<char>(bytes.back() ^ 1);
  return bytes;
}

class Comparison : public EngineTest {
 protected:
  // Entries 0 and 1 with these contents, entry 0 prepared as the outer entry.
  int ComparePair(const std::string& earlier, const std::string& later) {
    AddFile("a/one", earlier);
    AddFile("b/two", later);
    PrepareOuter(0);
    return CompareFiles(0, 1);
  }
  // Files of 150 MiB, zero but for `marks[k]` at 120 MiB.
  void AddLargeFiles(const std::vector<std::string>& marks) {
    const char* names[] = {"a", "b", "c"};
    for (size_t k = 0; k < marks.size(); k++) AddSparseFile(names[k], LargeSize, 120 * MiB, marks[k]);
  }
  // Opens entry j and reads its first `bytes` into its cache, as earlier
  // comparisons could have left it.
  void FillCache(uint32_t j, uint32_t bytes) {
    FileEntry& entry = Entry(j);
    ASSERT_TRUE(OpenEntry(entry));
    ASSERT_TRUE(ObtainCache(entry));
    ASSERT_TRUE(ReserveCache(entry, bytes));
    IssueRead(entry, entry.cache, bytes);
    bool failed = false;
    entry.cachedBytes = CollectRead(entry, &failed);
    ASSERT_FALSE(failed);
    ASSERT_EQ(entry.cachedBytes, bytes);
  }
};

}  // namespace

TEST_F(Comparison, TwoEmptyFilesAreEqual) {
  EXPECT_EQ(ComparePair("", ""), 1);
  EXPECT_EQ(Entry(1).done, 1);
  EXPECT_EQ(searchState.duplicateCount, 1u);
  EXPECT_EQ(searchState.duplicateBytes, 0.0f);
}

TEST_F(Comparison, FilesEndingOnAChunkBoundaryAreComparedToTheirLastByte) {
  for (size_t size : {512, 1024, 1536, 2048}) {
    SCOPED_TRACE(size);
    fake::Install();
    std::string bytes = Pattern(size, 7);
    EXPECT_EQ(ComparePair(bytes, bytes), 1);
    // The later file is read once, to its end and no further.
    EXPECT_EQ(fake::Log(Entry(1).path).BytesDelivered(), size);
    ReleaseAll();
    fileTable.count = 0;
    EXPECT_EQ(ComparePair(bytes, WithLastByteFlipped(bytes)), 0);
    EXPECT_EQ(Entry(1).done, 0);
    ReleaseAll();
    fileTable.count = 0;
  }
}

TEST_F(Comparison, ADifferenceInTheLastByteOfTheSecondChunkIsFoundThere) {
  std::string bytes = Pattern(700, 3);
  EXPECT_EQ(ComparePair(bytes, WithLastByteFlipped(bytes)), 0);
  EXPECT_EQ(Entry(1).cachedBytes, 700u);
  EXPECT_EQ(Entry(1).done, 0);
  EXPECT_EQ(searchState.duplicateCount, 0u);
}

TEST_F(Comparison, TheEarlierFilesCacheServesEveryLaterFile) {
  const size_t size = 300 * 1024;
  std::string bytes = Pattern(size, 11);
  AddFile("a", bytes);
  AddFile("b", bytes);
  AddFile("c", WithLastByteFlipped(bytes));
  AddFile("d", bytes);
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 1);
  EXPECT_EQ(Entry(0).cachedBytes, size);
  EXPECT_EQ(CompareFiles(0, 2), 0);
  EXPECT_EQ(CompareFiles(0, 3), 1);
  // The earlier file came from disk once; each later one once, apart from the
  // chunk where the prefix and block phases meet.
  EXPECT_EQ(fake::Log(Entry(0).path).BytesDelivered(), size);
  for (uint32_t j : {1u, 2u, 3u})
    EXPECT_EQ(fake::Log(Entry(j).path).BytesDelivered(), size + ChunkSize) << j;
  EXPECT_EQ(searchState.duplicateCount, 2u);
  EXPECT_EQ(searchState.duplicateBytes, 2.0f * size);
}

TEST_F(Comparison, ALaterFileCachedWholeIsFoundEqualWithoutAReadAndGivesItsCacheBack) {
  const size_t size = 40000;
  std::string bytes = Pattern(size, 5);
  AddFile("a", WithLastByteFlipped(bytes));
  AddFile("b", bytes);
  AddFile("c", bytes);
  PrepareOuter(0);
  ASSERT_EQ(CompareFiles(0, 1), 0);
  ASSERT_EQ(CompareFiles(0, 2), 0);
  ASSERT_EQ(Entry(2).cachedBytes, size);
  ReleaseEntry(Entry(0));
  PrepareOuter(1);
  size_t readsBefore = fake::TotalReads();
  EXPECT_EQ(CompareFiles(1, 2), 1);
  EXPECT_EQ(fake::TotalReads(), readsBefore);
  EXPECT_EQ(Entry(2).cache, nullptr);
  EXPECT_EQ(Entry(2).done, 1);
}

TEST_F(Comparison, AFileFoundEqualGivesItsCacheBackButKeepsItsFileOpen) {
  std::string bytes = Pattern(300 * 1024, 8);
  ASSERT_EQ(ComparePair(bytes, bytes), 1);
  EXPECT_EQ(Entry(1).cache, nullptr);
  EXPECT_EQ(Entry(1).cacheCapacity, 0u);
  EXPECT_NE(Entry(1).handle, InvalidFileHandle);
  EXPECT_EQ(fake::OpenHandles(), 2);
}

TEST_F(Comparison, CachesGrowAsTheyAreFilledAndNeverPastTheirCeiling) {
  const size_t size = 5 * MiB;
  std::string bytes = Pattern(size, 9);
  std::string early = bytes;
  early[3000] ^= 1;
  AddFile("a", bytes);
  AddFile("b", early);
  AddFile("c", WithLastByteFlipped(bytes));
  PrepareOuter(0);
  ASSERT_EQ(CompareFiles(0, 1), 0);
  // A file that differs early holds a small cache, not one for the whole file.
  EXPECT_LE(Entry(1).cacheCapacity, 128u * 1024);
  ASSERT_EQ(CompareFiles(0, 2), 0);
  for (uint32_t k : {0u, 2u}) {
    EXPECT_GE(Entry(k).cacheCapacity, Entry(k).cachedBytes) << k;
    EXPECT_LE(Entry(k).cacheCapacity, CacheCeiling(Entry(k))) << k;
    EXPECT_EQ(Entry(k).cachedBytes, size) << k;
  }
}

TEST_F(Comparison, FilesAboveTheCacheLimitAreStreamedBeyondIt) {
  AddLargeFiles({"same", "same", "diff"});
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 1);
  // The earlier file's cache ends at the limit; the block phase stopped at
  // 2048 + 6 blocks and the rest went through the stream buffers.
  EXPECT_EQ(Entry(0).cachedBytes, CacheLimit);
  EXPECT_EQ(CompareFiles(0, 2), 0);
  EXPECT_EQ(Entry(2).cachedBytes, PrefixSize);
  EXPECT_EQ(Entry(2).done, 0);
  EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(LargeSize));
}

TEST_F(Comparison, TheFirstComparisonFillsTheCachesAsFarAsTheReadOrderTakesThem) {
  AddLargeFiles({"same", "diff"});
  PrepareOuter(0);
  ASSERT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(Entry(0).cachedBytes, CacheLimit);
  EXPECT_EQ(Entry(1).cachedBytes, 198656u);
  // Past compare position 131072 the earlier file read its whole cacheable
  // rest in one read, from where its blocks had reached.
  bool bulkRead = false;
  for (const fake::ReadRecord& read : fake::Log(Entry(0).path).reads)
    bulkRead |= read.offset == 165888 && read.requested == CacheLimit - 165888;
  EXPECT_TRUE(bulkRead);
  // Between comparisons each entry's read position is its cached length.
  EXPECT_EQ(Entry(0).overlapped.offset, Entry(0).cachedBytes);
  EXPECT_EQ(Entry(1).overlapped.offset, Entry(1).cachedBytes);
}

TEST_F(Comparison, FilesOfFourGibibytesAndMoreAreComparedWhole) {
  const uint64_t size = (uint64_t{4} << 30) + 100000;
  const uint64_t beyond = (uint64_t{4} << 30) + 50000;
  AddSparseFile("a", size, beyond, "x");
  AddSparseFile("b", size, beyond, "x");
  AddSparseFile("c", size, beyond, "y");
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 2), 0);
  EXPECT_EQ(CompareFiles(0, 1), 1);
  EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(size));
}

TEST_F(Comparison, ALaterFileThatCannotBeOpenedIsSettledSilently) {
  std::string bytes = Pattern(5000, 1);
  AddFile("a", bytes);
  AddFile("b", bytes);
  fake::RefuseOpen(Entry(1).path);
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(Entry(1).done, 1);
  EXPECT_TRUE(enginetest::shown.messages.empty());
  EXPECT_EQ(searchState.duplicateCount, 0u);
}

TEST_F(Comparison, AReadThatFailsBeforeTheEndSettlesTheLaterFile) {
  const size_t size = 300 * 1024;
  std::string bytes = Pattern(size, 4);
  for (fake::ReadFault fault : {fake::ReadFault::Error, fake::ReadFault::ZeroBytes}) {
    for (uint64_t where : {uint64_t{1000}, uint64_t{100000}}) {
      SCOPED_TRACE(where);
      AddFile("a", bytes);
      AddFile("b", bytes);
      fake::BreakReads(Entry(1).path, where, fault);
      PrepareOuter(0);
      EXPECT_EQ(CompareFiles(0, 1), 0);
      EXPECT_EQ(Entry(1).done, 1);
      EXPECT_EQ(Entry(0).done, 0);
      EXPECT_EQ(Entry(0).overlapped.offset, Entry(0).cachedBytes);
      EXPECT_EQ(searchState.duplicateCount, 0u);
      ReleaseAll();
      fileTable.count = 0;
      fake::Install();
    }
  }
}

TEST_F(Comparison, AFileThatShrankSinceTheScanIsNotReportedEqual) {
  std::string bytes = Pattern(100000, 6);
  AddFile("a", bytes);
  AddFile("b", bytes);
  ASSERT_EQ(truncate(Entry(1).path, 60000), 0);
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(Entry(1).done, 1);
}

TEST_F(Comparison, WithSameNameOnlyTheAsciiLettersMatchRegardlessOfCase) {
  settings.sameName = 1;
  std::string bytes = Pattern(3000, 2);
  AddFile("x/Bild.JPG", bytes);
  AddFile("y/bild.jpg", bytes);
  AddFile("x/\xC4rger.txt", bytes);  // Ärger.txt in the ANSI code page
  AddFile("y/\xE4rger.txt", bytes);  // ärger.txt
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 1);
  PrepareOuter(2);
  EXPECT_EQ(CompareFiles(2, 3), 0);
  EXPECT_EQ(fake::Log(Entry(3).path).opens, 0);
  EXPECT_EQ(Entry(3).done, 0);
  settings.sameName = 0;
  EXPECT_EQ(CompareFiles(2, 3), 1);
}

// The caches of i and j can disagree in length in ways the read order does
// not produce by itself (here j's holds more than i's). The comparison must
// still look at every byte before it calls the files equal.
TEST_F(Comparison, ALaterCacheThatReachesFurtherStillGetsEveryByteCompared) {
  const size_t size = 50000;
  std::string bytes = Pattern(size, 12);
  std::string late = bytes;
  late[45000] ^= 1;
  for (uint32_t ahead : {10000u, 40000u}) {
    SCOPED_TRACE(ahead);
    AddFile("a", bytes);
    AddFile("b", late);
    AddFile("c", bytes);
    PrepareOuter(0);
    FillCache(1, ahead);
    FillCache(2, ahead);
    EXPECT_EQ(CompareFiles(0, 1), 0);
    EXPECT_EQ(CompareFiles(0, 2), 1);
    ReleaseAll();
    fileTable.count = 0;
  }
}

TEST_F(Comparison, ACacheNearItsCeilingIsNeverReadPast) {
  AddLargeFiles({"same", "diff", "same"});
  PrepareOuter(0);
  uint32_t nearlyFull = CacheCeiling(Entry(1)) - 100;
  FillCache(1, nearlyFull);
  FillCache(2, nearlyFull);
  EXPECT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(CompareFiles(0, 2), 1);
  EXPECT_LE(Entry(0).cacheCapacity, CacheCeiling(Entry(0)));
  EXPECT_LE(Entry(1).cacheCapacity, CacheCeiling(Entry(1)));
  EXPECT_LE(Entry(1).cachedBytes, CacheCeiling(Entry(1)));
}
