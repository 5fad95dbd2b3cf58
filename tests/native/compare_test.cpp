// What is compared: every phase against a plain byte comparison, cache
// ceilings, 4 GiB sizes, the same-name rule, and the option "no ID3".
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/id3_tags.h"
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

// A header of `version` stating `size` body bytes; with `footer` (flag 0x10) those bytes follow the body.
std::string Id3v2(uint32_t size, uint32_t seed, const char* footer = "", char version = 4) {
  std::string tag = {'I', 'D', '3', version, 0, static_cast<char>(*footer ? 0x10 : 0)};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  return tag + Pattern(size, seed) + (*footer ? footer + std::string(7, 1) : "");
}
std::string Id3v1(uint32_t seed) { return "TAG" + Pattern(125, seed); }
// An APE tag of `items` bytes: footer flags 0x80000000 when its header is there too.
std::string Ape(uint32_t items, bool header, uint32_t claimed = 0) {
  auto Le = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };  // little-endian
  auto Part = [&](uint32_t flags) { return "APETAGEX" + Le(2000) + Le(claimed ? claimed : items + 32) + Le(3) + Le(flags) + std::string(8, 0); };
  return (header ? Part(0xA0000000u) : "") + Pattern(items, 5) + Part(header ? 0x80000000u : 0);
}

TEST(Tags, LeadingAndTrailingTagsAreFoundOnlyWhereTheirVersionAndMarksSaySo) {
  const std::string a = Pattern(1000, 1);
  const struct { std::string file; uint32_t leading, trailing; } cases[] = {
      {Id3v2(20, 1, "3DI") + a, 40, 0}, {Id3v2(20, 1, "xyz") + a, 30, 0},  // a 2.4 footer only where "3DI" stands
      {Id3v2(20, 1, "3DI", 3) + a, 30, 0}, {Id3v2(20, 1, "", 2) + a, 30, 0},  // 0x10 means nothing before 2.4
      {Id3v2(20, 1, "", 5) + a + Id3v1(1), 0, 0}, {Id3v2(20, 1, "", 1) + a, 0, 0},  // unknown versions: whole
      {a + Ape(100, true), 0, 164}, {a + Ape(100, false), 0, 132}, {a + Ape(100, true) + Id3v1(2), 0, 292},
      {Id3v2(20, 1) + a + Ape(40, false) + Id3v1(2), 30, 200}, {a + Ape(100, true, 5000), 0, 0},
      {a + Ape(100, false, 20), 0, 0}, {Id3v1(3), 0, 0}, {"ID3", 0, 0}, {"", 0, 0}, {Id3v2(400, 1), 0, 0},  // tags only: whole
      {Id3v2(300, 8).replace(6, 1, "\x7F") + a, 0, 0}, {Id3v2(300, 8).replace(9, 1, "\x80") + a + Id3v1(3), 0, 0},  // claims too much; a bad byte
      {Id3v2(400, 4).replace(332, 3, "TAG") + a.substr(0, 50), 410, 0}};  // "TAG" inside the ID3v2 tag
  for (const auto& c : cases) {
    auto fromMemory = [](void* file, uint64_t at, uint8_t* dest, uint32_t n) { const std::string& bytes = *static_cast<std::string*>(file);
      return at + n <= bytes.size() && (memcpy(dest, bytes.data() + at, n), true); };
    TagSpan span = FindTags(c.file.size(), fromMemory, const_cast<std::string*>(&c.file));
    EXPECT_EQ(std::to_string(span.leading) + " " + std::to_string(span.trailing), std::to_string(c.leading) + " " + std::to_string(c.trailing));
  }
  EXPECT_EQ(FindTags(1128, [](void*, uint64_t, uint8_t*, uint32_t) { return false; }, nullptr).trailing, 0u);  // a failed read: whole
  for (auto [name, audio] : {std::pair{"x/Lied.MP3", true}, {"a.mp2", true}, {"d.Mpga", true}, {"a.mp3.txt", false}, {"mp3", false}, {"x.mp3/b", false}})
    EXPECT_EQ(IsMpegAudioName(name), audio) << name;
}

using NoId3 = enginetest::EngineTest;

TEST_F(NoId3, OneRecordingUnderAnyTagsIsOneGroupAndOtherFilesAreComparedWhole) {
  const std::string a = Pattern(70000, 1), b = a.substr(1) + "!", s = a.substr(0, 300);
  const std::map<std::string, std::string> files = {
      {"a1", a}, {"a2", a + Id3v1(7)}, {"a3", Id3v2(300, 8) + a}, {"a4", Id3v2(4000, 9, "3DI") + a},
      {"a5", Id3v2(20, 1) + a + Id3v1(2)}, {"a6", Id3v2(20, 1) + a + Id3v1(2)}, {"a7", a + Ape(60, true) + Id3v1(4)},
      {"b1", b}, {"b2", b + Id3v1(7)}, {"b3", Id3v2(300, 8) + b}, {"b4", Id3v2(4000, 9, "3DI") + b},
      {"s1", s}, {"s2", s + Id3v1(1)}, {"s3", s + Id3v1(2)}};
  for (const auto& [name, bytes] : files) temp.Write(name + ".mp3", bytes);
  for (const char* name : {"t1.txt", "t2.txt"}) temp.Write(name, a + Id3v1(name[1]));  // documents are never audio
  settings.minSize = 300;  // on the file size: s1 is not larger, s2 and s3 are
  for (uint32_t threshold : {0u, 2u}) {  // pairwise, and long runs split by content
    longRunThreshold = threshold;
    settings.id3Tag = 1;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"s3.mp3 s2.mp3 |300", "a3.mp3 a4.mp3 a5.mp3 a6.mp3 a7.mp3 a2.mp3 a1.mp3 |70000",
                                                        "b1.mp3 b2.mp3 b3.mp3 b4.mp3 |70000"}));
    // What removing the files after each group's head frees: their whole sizes.
    size_t freed = 0;
    for (const char* name : {"s2", "a4", "a5", "a6", "a7", "a2", "a1", "b2", "b3", "b4"}) freed += files.at(name).size();
    EXPECT_EQ(searchState.duplicateBytes, freed);
    settings.id3Tag = 0;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"a5.mp3 a6.mp3 |70158"}));
  }
}

}  // namespace
