#include <gtest/gtest.h>

#include <map>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine/id3_tags.h"
#include "engine/settings.h"
#include "engine_fixture.h"

using enginetest::Pattern;

namespace {

constexpr uint64_t MiB = 1024 * 1024;
const CompareLimits limitSets[] = {defaultCompareLimits, {8, 64, 4096}, {8, 32, 200}, {8, 32, 30}};

using Comparison = enginetest::EngineTest;

TEST_F(Comparison, EachFileIsReadOnceInWholeBlocksWithinTheBudget) {
  static size_t largest;
  largest = 0;
  obtainCompareStorage = [](size_t bytes) { return largest = std::max(largest, bytes), malloc(bytes); };
  const uint64_t size = 3 * MiB + 5;
  for (int k = 0; k < 21; k++) AddSparseFile(std::to_string(k), size, size - 1, k % 5 ? "s" : "d");
  FindDuplicates();
  EXPECT_EQ(searchState.duplicateCount, 21u);
  for (uint32_t k = 0; k < 21; k++) {
    EXPECT_EQ(fake::BytesRead(Entry(k).path), size);
    EXPECT_EQ(fake::LargestRead(Entry(k).path), MiB);
  }
  EXPECT_LE(largest, 21 * MiB + 1024);
}

TEST_F(Comparison, FilesOfFourGibibytesAndMoreAreComparedWhole) {
  const uint64_t huge = (uint64_t{4} << 30) + 100000;
  for (const char* name : {"x", "y", "xx"}) AddSparseFile(name, huge, huge - 50000, std::string(name, 1));
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 0, 1}));
  EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(huge));
}

std::string Id3v2(uint32_t size, uint32_t seed, const char* footer = "", char version = 4) {
  std::string tag = {'I', 'D', '3', version, 0, static_cast<char>(*footer ? 0x10 : 0)};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  return tag + Pattern(size, seed) + (*footer ? footer + std::string(7, 1) : "");
}
std::string Id3v1(uint32_t seed) { return "TAG" + Pattern(125, seed); }
std::string Ape(uint32_t items, bool header, uint32_t claimed = 0) {
  auto Le = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto Part = [&](uint32_t flags) { return "APETAGEX" + Le(2000) + Le(claimed ? claimed : items + 32) + Le(3) + Le(flags) + std::string(8, 0); };
  return (header ? Part(0xA0000000u) : "") + Pattern(items, 5) + Part(header ? 0x80000000u : 0);
}

TEST(Tags, LeadingAndTrailingTagsAreFoundOnlyWhereTheirVersionAndMarksSaySo) {
  const std::string a = Pattern(1000, 1);
  const struct { std::string file; uint32_t leading, trailing; } cases[] = {
      {Id3v2(20, 1, "3DI") + a, 40, 0}, {Id3v2(20, 1, "xyz") + a, 30, 0},
      {Id3v2(20, 1, "3DI", 3) + a, 30, 0}, {Id3v2(20, 1, "", 2) + a, 30, 0},
      {Id3v2(20, 1, "", 5) + a + Id3v1(1), 0, 0},
      {a + Ape(100, true), 0, 164}, {a + Ape(100, false), 0, 132}, {a + Ape(100, true) + Id3v1(2), 0, 292},
      {Id3v2(20, 1) + a + Ape(40, false) + Id3v1(2), 30, 200}, {a + Ape(100, true, 5000), 0, 0},
      {a + Ape(100, false, 20), 0, 0}, {Id3v1(3), 0, 0}, {"ID3", 0, 0}, {"", 0, 0}, {Id3v2(400, 1), 0, 0},
      {Id3v2(300, 8).replace(6, 1, "\x7F") + a, 0, 0}, {Id3v2(300, 8).replace(9, 1, "\x80") + a + Id3v1(3), 0, 0},
      {Id3v2(400, 4).replace(332, 3, "TAG") + a.substr(0, 50), 410, 0}};
  for (const auto& c : cases) {
    auto fromMemory = [](void* file, uint64_t at, uint8_t* dest, uint32_t n) { const std::string& bytes = *static_cast<std::string*>(file);
      return at + n <= bytes.size() && (memcpy(dest, bytes.data() + at, n), true); };
    TagSpan span = FindTags(c.file.size(), fromMemory, const_cast<std::string*>(&c.file));
    EXPECT_EQ(std::to_string(span.leading) + " " + std::to_string(span.trailing), std::to_string(c.leading) + " " + std::to_string(c.trailing));
  }
  EXPECT_EQ(FindTags(1128, [](void*, uint64_t, uint8_t*, uint32_t) { return false; }, nullptr).trailing, 0u);
}

using NoId3 = enginetest::EngineTest;

TEST_F(NoId3, OneRecordingUnderAnyTagsIsOneGroupAndOtherFilesAreComparedWhole) {
  const std::string a = enginetest::MpegFrames(Pattern(70000, 1)), b = enginetest::MpegFrames(Pattern(70000, 2)), s = a.substr(0, 300);
  const std::map<std::string, std::string> files = {
      {"a1", a}, {"a2", a + Id3v1(7)}, {"a3", Id3v2(300, 8) + a}, {"a4", Id3v2(4000, 9, "3DI") + a},
      {"a5", Id3v2(20, 1) + a + Id3v1(2)}, {"a6", Id3v2(20, 1) + a + Id3v1(2)}, {"a7", a + Ape(60, true) + Id3v1(4)},
      {"b1", b}, {"b2", b + Id3v1(7)}, {"b3", Id3v2(300, 8) + b}, {"b4", Id3v2(4000, 9, "3DI") + b},
      {"s1", s}, {"s2", s + Id3v1(1)}, {"s3", s + Id3v1(2)}};
  for (const auto& [name, bytes] : files) temp.Write(name + (name == "a6" ? ".mp3.bak" : name == "b2" ? "" : ".mp3"), bytes);  // renamed copies
  for (const char* name : {"t1.txt", "t2.txt"}) temp.Write(name, Pattern(70000, 1) + Id3v1(name[1]));
  settings.minSize = 300;
  for (const CompareLimits& limits : limitSets) {
    compareLimits = limits;
    settings.id3Tag = 1;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"s3.mp3 s2.mp3 |300", "a3.mp3 a4.mp3 a5.mp3 a6.mp3.bak a7.mp3 a2.mp3 a1.mp3 |70000",
                                                        "b1.mp3 b2 b3.mp3 b4.mp3 |70000"}));
    size_t freed = 0;
    for (const char* name : {"s2", "a4", "a5", "a6", "a7", "a2", "a1", "b2", "b3", "b4"}) freed += files.at(name).size();
    EXPECT_EQ(searchState.duplicateBytes, freed);
    settings.id3Tag = 0;
    EXPECT_EQ(SearchGroups(), (std::vector<std::string>{"a5.mp3 a6.mp3.bak |70158"}));
  }
}

}
