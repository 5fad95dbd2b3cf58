// The pairwise content comparison on real files, entry i prepared as the
// grouping pass prepares it: every phase against a plain byte comparison,
// what is read and cached, and files that cannot be read as scanned.
#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/settings.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::Pattern;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

std::string Flipped(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  return bytes;
}

class Comparison : public enginetest::EngineTest {
 protected:
  // Opens entry j and reads its first `bytes` into its cache, as earlier
  // comparisons could have left it.
  void FillCache(uint32_t j, uint32_t bytes) {
    ASSERT_TRUE(OpenEntry(Entry(j)) && ObtainCache(Entry(j)) && ReserveCache(Entry(j), bytes));
    IssueRead(Entry(j), Entry(j).cache, bytes);
    bool failed = false;
    Entry(j).cachedBytes = CollectRead(Entry(j), &failed);
    ASSERT_FALSE(failed);
  }
};

// Sizes around the chunk, prefix, block and bulk boundaries, each with a byte
// flipped where a phase begins or ends; later caches are sometimes filled
// ahead of the earlier one, as the read order does not do by itself.
TEST_F(Comparison, AgreesWithAPlainByteComparisonAtEveryPhaseBoundary) {
  const uint64_t sizes[] = {0, 1, 512, 700, 1536, 2048, 2049, 40000, 165000, MiB + 3};
  const uint64_t places[] = {0, 511, 512, 2047, 2048, 34815, 34816, 131071, 131072, 165887};
  for (uint64_t size : sizes) {
    std::string bytes = Pattern(size, static_cast<uint32_t>(size));
    for (uint64_t place : places) {
      for (uint32_t ahead : {0u, 10000u}) {
        if ((size == 0 && place > 0) || (size > 0 && place >= size) || (ahead && ahead >= size)) continue;
        SCOPED_TRACE(std::to_string(size) + " flipped at " + std::to_string(place));
        Restart();
        AddFile("a", bytes);
        AddFile("b", size ? Flipped(bytes, place) : bytes);
        AddFile("c", bytes);
        AddFile("d", size ? Flipped(bytes, size - 1) : bytes);
        PrepareOuter(0);
        if (ahead) FillCache(1, ahead), FillCache(2, ahead);
        EXPECT_EQ(CompareFiles(0, 1), size ? 0 : 1);
        EXPECT_EQ(CompareFiles(0, 2), 1);
        EXPECT_EQ(CompareFiles(0, 3), size ? 0 : 1);
        EXPECT_EQ(Entry(1).done, size ? 0 : 1);
        EXPECT_EQ(Entry(2).done, 1);
        EXPECT_EQ(searchState.duplicateCount, size ? 1u : 3u);
        EXPECT_EQ(searchState.duplicateBytes, size ? static_cast<float>(size) : 0.0f);
        // The earlier file came from disk about once, the later ones to their
        // end and no further (once more where the prefix and block phases meet).
        EXPECT_LE(fake::Log(Entry(0).path).BytesDelivered(), size + BlockSize);
        EXPECT_LE(fake::Log(Entry(2).path).BytesDelivered(), ahead ? size + ahead : size + ChunkSize);
        EXPECT_EQ(Entry(0).overlapped.offset, Entry(0).cachedBytes);
        for (uint32_t k = 0; k < 4; k++) EXPECT_LE(Entry(k).cacheCapacity, CacheCeiling(Entry(k)));
      }
    }
  }
}

// Beyond the cache limit the rest streams through the buffers for every pair;
// sizes of 4 GiB and more are compared whole.
TEST_F(Comparison, FilesBeyondTheCacheLimitAndFourGibibytesAreComparedWhole) {
  const uint64_t large = 150 * MiB, huge = (uint64_t{4} << 30) + 100000;
  const uint64_t marks[][2] = {{large, CacheLimit - 1}, {large, CacheLimit}, {large, CacheLimit + 40000},
                               {large, large - 1}, {huge, (uint64_t{4} << 30) + 50000}};
  for (const auto& mark : marks) {
    SCOPED_TRACE(mark[1]);
    Restart();
    AddSparseFile("a", mark[0], mark[1], "x");
    AddSparseFile("b", mark[0], mark[1], "x");
    AddSparseFile("c", mark[0], mark[1], "y");
    PrepareOuter(0);
    EXPECT_EQ(CompareFiles(0, 2), 0);
    EXPECT_EQ(CompareFiles(0, 1), 1);
    // No later pair would read the earlier file's cache past its prefix.
    EXPECT_LT(Entry(0).cacheCapacity, BulkThreshold);
    EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(mark[0]));
  }
}

TEST_F(Comparison, ACacheNearItsCeilingIsNeverReadPast) {
  for (const char* name : {"a", "b", "c"}) AddSparseFile(name, 150 * MiB, 120 * MiB, name[0] == 'b' ? "d" : "s");
  PrepareOuter(0);
  uint32_t nearlyFull = CacheCeiling(Entry(1)) - 100;
  FillCache(1, nearlyFull);
  FillCache(2, nearlyFull);
  EXPECT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(CompareFiles(0, 2), 1);
  for (uint32_t k : {0u, 1u}) EXPECT_LE(Entry(k).cacheCapacity, CacheCeiling(Entry(k)));
}

TEST_F(Comparison, AFileFoundEqualGivesItsCacheBackKeepsItsFileOpenAndIsNotReadAgain) {
  std::string bytes = Pattern(40000, 5);
  AddFile("a", Flipped(bytes, 39999));
  AddFile("b", bytes);
  AddFile("c", bytes);
  PrepareOuter(0);
  ASSERT_EQ(CompareFiles(0, 1) + CompareFiles(0, 2), 0);
  // A file that differs early holds a small cache, not one for the whole file.
  EXPECT_EQ(Entry(2).cachedBytes, 40000u);
  ReleaseEntry(Entry(0));
  PrepareOuter(1);
  size_t readsBefore = fake::TotalReads();
  EXPECT_EQ(CompareFiles(1, 2), 1);
  EXPECT_EQ(fake::TotalReads(), readsBefore);
  EXPECT_EQ(Entry(2).cache, nullptr);
  EXPECT_NE(Entry(2).handle, InvalidFileHandle);
}

TEST_F(Comparison, ALaterFileThatCannotBeOpenedReadOrThatShrankIsSettledNeverEqual) {
  std::string bytes = Pattern(300 * 1024, 4);
  const fake::ReadFault faults[] = {fake::ReadFault::Error, fake::ReadFault::ZeroBytes, fake::ReadFault::Short};
  for (int variant = 0; variant < 8; variant++) {
    SCOPED_TRACE(variant);
    Restart();
    AddFile("a", bytes);
    AddFile("b", bytes);
    if (variant < 6) fake::BreakReads(Entry(1).path, variant % 2 ? 100000 : 1000, faults[variant / 2]);
    if (variant == 6) fake::RefuseOpen(Entry(1).path);
    if (variant == 7) {
      ASSERT_EQ(truncate(Entry(1).path, 60000), 0);
    }
    PrepareOuter(0);
    EXPECT_EQ(CompareFiles(0, 1), 0);
    EXPECT_EQ(Entry(1).done, 1);
    EXPECT_EQ(Entry(0).done, 0);
    EXPECT_EQ(searchState.duplicateCount, 0u);
    EXPECT_TRUE(enginetest::shown.messages.empty());
  }
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

}  // namespace
