// The option "no ID3": MP3-like files around two payloads, searched through
// the engine from the scan to the listed rows.
#include <map>

#include "engine/run_split.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine_fixture.h"

namespace {

// A header stating `size` body bytes (`flags` 0x10: a footer follows the body).
std::string Id3v2(uint32_t size, uint32_t seed, char flags = 0) {
  std::string tag = {'I', 'D', '3', 4, 0, flags};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  return tag + enginetest::Pattern(size, seed) + (flags ? "3DI" + std::string(7, 1) : "");
}
std::string Id3v1(uint32_t seed) { return "TAG" + enginetest::Pattern(125, seed); }

using NoId3 = enginetest::EngineTest;

TEST_F(NoId3, OneRecordingUnderAnyTagsIsOneGroupAndOtherAudioNever) {
  const std::string a = enginetest::Pattern(70000, 1), b = a.substr(1) + "!", s = a.substr(0, 300);
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
  longRunThreshold = 32;
}

TEST_F(NoId3, AFileWhoseTagsCannotBeReadIsComparedWhole) {
  std::string path = temp.Write("song", std::string(500, 'x') + Id3v1(1));
  settings.id3Tag = 1;
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(ComparedLength(Entry(0)), 500u);
  fake::BreakReads(path, 0, fake::ReadFault::ZeroBytes);
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(ComparedLength(Entry(1)), 628u);
}

}  // namespace
