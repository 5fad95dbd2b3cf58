// What is compared and how: files read once in whole blocks within a bounded
// memory, 4 GiB sizes, and the option "no ID3" with the comparison's limits as
// shipped and small.
#include <gtest/gtest.h>

#include <map>

#include "engine/compare.h"
#include "engine/group.h"
#include "engine/settings.h"
#include "engine_fixture.h"

using enginetest::Pattern;

namespace {

constexpr uint64_t MiB = 1024 * 1024;
// As shipped; blocks held side by side; shorter blocks for larger classes;
// classes parted by hash first, then member by member.
const CompareLimits limitSets[] = {defaultCompareLimits, {8, 64, 4096}, {8, 32, 200}, {8, 32, 30}};

using Comparison = enginetest::EngineTest;

// 21 files that agree up to their last byte: each read about once, in blocks
// of a megabyte after the first; the memory asked for does not grow with them.
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

// Sizes of 4 GiB and more are compared whole.
TEST_F(Comparison, FilesOfFourGibibytesAndMoreAreComparedWhole) {
  const uint64_t huge = (uint64_t{4} << 30) + 100000;
  for (const char* name : {"x", "y", "xx"}) AddSparseFile(name, huge, huge - 50000, std::string(name, 1));
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 0, 1}));
  EXPECT_EQ(searchState.duplicateBytes, static_cast<float>(huge));
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
  for (const CompareLimits& limits : limitSets) {
    compareLimits = limits;
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
