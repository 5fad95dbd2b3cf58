// What is compared: every phase against a plain byte comparison, cache
// ceilings, 4 GiB sizes, the same-name rule, and the option "no ID3".
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/run_split.h"
#include "engine/settings.h"
#include "engine_fixture.h"

using enginetest::Pattern;

namespace {

constexpr uint64_t MiB = 1024 * 1024;

std::string Flipped(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 1);
  return bytes;
}

struct Comparison : enginetest::EngineTest {
  // Reads the first `bytes` of entry j into its cache, as earlier comparisons may have left it.
  void FillCache(uint32_t j, uint32_t bytes) {
    ASSERT_TRUE(OpenEntry(Entry(j)) && ObtainCache(Entry(j)) && ReserveCache(Entry(j), bytes));
    IssueRead(Entry(j), Entry(j).cache, bytes);
    bool failed = false;
    Entry(j).cachedBytes = CollectRead(Entry(j), &failed);
    ASSERT_FALSE(failed);
  }
};

// Sizes around the chunk, prefix, block and bulk boundaries, a byte flipped
// where a phase begins or ends and at the last byte; later caches sometimes
// filled ahead of the earlier one.
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
        for (const std::string& file : {bytes, size ? Flipped(bytes, place) : bytes, bytes, size ? Flipped(bytes, size - 1) : bytes})
          AddFile(std::to_string(fileTable.count), file);
        PrepareOuter(0);
        if (ahead) FillCache(1, ahead), FillCache(2, ahead);
        EXPECT_EQ(CompareFiles(0, 1), size ? 0 : 1);
        EXPECT_EQ(CompareFiles(0, 2), 1);
        EXPECT_EQ(CompareFiles(0, 3), size ? 0 : 1);
        EXPECT_EQ(searchState.duplicateCount, size ? 1u : 3u);
        EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(size));
        for (uint32_t k = 0; k < 4; k++) EXPECT_LE(Entry(k).cacheCapacity, CacheCeiling(Entry(k)));
      }
    }
  }
}

// Beyond the cache limit the rest streams; sizes of 4 GiB and more are compared whole.
TEST_F(Comparison, FilesBeyondTheCacheLimitAndFourGibibytesAreComparedWhole) {
  const uint64_t large = 150 * MiB, huge = (uint64_t{4} << 30) + 100000;
  const uint64_t marks[][2] = {{large, CacheLimit - 1}, {large, CacheLimit}, {large, CacheLimit + 40000},
                               {large, large - 1}, {huge, (uint64_t{4} << 30) + 50000}};
  for (const auto& mark : marks) {
    SCOPED_TRACE(mark[1]);
    Restart();
    for (const char* name : {"x", "y", "xx"}) AddSparseFile(name, mark[0], mark[1], std::string(name, 1));
    PrepareOuter(0);
    EXPECT_EQ(CompareFiles(0, 1), 0);
    EXPECT_EQ(CompareFiles(0, 2), 1);
    // No later pair would read the earlier file's cache past its prefix.
    EXPECT_LT(Entry(0).cacheCapacity, BulkThreshold);
    EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(mark[0]));
  }
}

TEST_F(Comparison, ACacheNearItsCeilingIsNeverReadPast) {
  for (const char* name : {"a", "b", "c"}) AddSparseFile(name, 150 * MiB, 120 * MiB, name[0] == 'b' ? "d" : "s");
  PrepareOuter(0);
  uint32_t nearlyFull = CacheCeiling(Entry(1)) - 100;
  for (uint32_t j : {1u, 2u}) FillCache(j, nearlyFull);
  EXPECT_EQ(CompareFiles(0, 1), 0);
  EXPECT_EQ(CompareFiles(0, 2), 1);
  for (uint32_t k : {0u, 1u}) EXPECT_LE(Entry(k).cacheCapacity, CacheCeiling(Entry(k)));
}

TEST_F(Comparison, AFileThatGrewWhileHeldOpenIsNeverEqual) {
  for (const char* name : {"a", "b"}) AddFile(name, Pattern(5000, 1));
  PrepareOuter(0);
  std::ofstream(Entry(0).path, std::ios::app) << "grown";
  EXPECT_EQ(CompareFiles(0, 1), 0);
}

TEST_F(Comparison, WithSameNameOnlyTheAsciiLettersMatchRegardlessOfCase) {
  settings.sameName = 1;
  std::string bytes = Pattern(3000, 2);
  // Ärger.txt and ärger.txt in the ANSI code page
  for (const char* name : {"x/Bild.JPG", "y/bild.jpg", "x/\xC4rger.txt", "y/\xE4rger.txt"}) AddFile(name, bytes);
  PrepareOuter(0);
  EXPECT_EQ(CompareFiles(0, 1), 1);
  PrepareOuter(2);
  EXPECT_EQ(CompareFiles(2, 3), 0);
  EXPECT_EQ(Entry(3).done, 0);
  settings.sameName = 0;
  EXPECT_EQ(CompareFiles(2, 3), 1);
}

// A header stating `size` body bytes (`flags` 0x10: a footer follows the body).
std::string Id3v2(uint32_t size, uint32_t seed, char flags = 0) {
  std::string tag = {'I', 'D', '3', 4, 0, flags};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  return tag + Pattern(size, seed) + (flags ? "3DI" + std::string(7, 1) : "");
}
std::string Id3v1(uint32_t seed) { return "TAG" + Pattern(125, seed); }

using NoId3 = enginetest::EngineTest;

TEST_F(NoId3, OneRecordingUnderAnyTagsIsOneGroupAndOtherAudioNever) {
  const std::string a = Pattern(70000, 1), b = a.substr(1) + "!", s = a.substr(0, 300);
  std::string claimsTooMuch = Id3v2(300, 8).substr(0, 310) + a, badByte = Id3v2(300, 8) + a;
  claimsTooMuch[6] = 0x7F;
  badByte[9] |= 0x80;
  std::string tagInTag = Id3v2(400, 4) + b.substr(0, 50);  // "TAG" inside the ID3v2 tag
  tagInTag.replace(tagInTag.size() - 128, 3, "TAG");
  const std::map<std::string, std::string> files = {
      {"a1", a}, {"a2", a + Id3v1(7)}, {"a3", Id3v2(300, 8) + a}, {"a4", Id3v2(4000, 9, 0x10) + a},
      {"a5", Id3v2(20, 1) + a + Id3v1(2)}, {"a6", Id3v2(20, 1) + a + Id3v1(2)},
      {"b1", b}, {"b2", b + Id3v1(7)}, {"b3", Id3v2(300, 8) + b}, {"b4", Id3v2(4000, 9, 0x10) + b},
      {"c1", claimsTooMuch}, {"c2", claimsTooMuch}, {"d1", badByte}, {"d2", badByte + Id3v1(3)},
      {"e1", Id3v2(400, 1)}, {"e2", Id3v2(400, 2)}, {"s1", s}, {"s2", s + Id3v1(1)},
      {"s3", s + Id3v1(2)}, {"g1", tagInTag}, {"g2", Id3v2(300, 8) + b.substr(0, 50)}};
  for (const auto& [name, bytes] : files) temp.Write(name, bytes);
  settings.minSize = 300;  // on the file size: s1 is not larger, s2 and s3 are
  for (uint32_t threshold : {0u, 2u}) {  // pairwise, and long runs split by content
    longRunThreshold = threshold;
    settings.id3Tag = 1;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"g2 g1 |50", "s3 s2 |300", "b1 b2 b3 b4 |70000",
                                                        "a4 a6 a5 a3 a1 a2 |70000", "c2 c1 |70310"}));
    // What removing the files after each group's head frees: their whole sizes.
    size_t freed = 0;
    for (const char* name : {"g1", "s2", "b2", "b3", "b4", "a6", "a5", "a3", "a1", "a2", "c1"}) freed += files.at(name).size();
    EXPECT_EQ(searchState.duplicateBytes, freed);
    settings.id3Tag = 0;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"a6 a5 |70158", "c2 c1 |70310"}));
  }
}

}  // namespace
