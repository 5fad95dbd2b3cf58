// The option "no ID3": MP3-like files around two payloads, searched through
// the engine from the scan to the listed rows.
#include <map>
#include <set>

#include "engine/run_split.h"
#include "engine/scan.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "fake_platform.h"

namespace {

// A header stating `size` body bytes (`flags` 0x10: a footer follows the body).
std::string Id3v2(uint32_t size, uint32_t seed, char flags = 0) {
  std::string tag = {'I', 'D', '3', 4, 0, flags};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  return tag + enginetest::Pattern(size, seed) + (flags ? "3DI" + std::string(7, 1) : "");
}
std::string Id3v1(uint32_t seed) { return "TAG" + enginetest::Pattern(125, seed); }

// Heading and first name of each group, and the names in it; the file each
// group's rows begin with, the one the others were compared with.
std::map<std::string, std::set<std::string>> groups;
std::set<std::string> pending;
std::vector<std::string> heads;
void CollectRow(int32_t item, const char* text) {
  std::string row = text;
  size_t name = row.rfind('/') + 1;
  std::string file = row.substr(name, row.find(' ') - name);
  if (item >= 0 && pending.empty()) heads.push_back(file);
  if (item >= 0) pending.insert(file);
  if (row.rfind("-- ", 0) == 0) groups[row + *pending.begin()] = pending;
  if (item < 0) pending.clear();
}

class NoId3 : public enginetest::EngineTest {
 protected:
  void Search(bool noId3) {
    settings.id3Tag = noId3;
    CopyText(settings.currentPath, sizeof settings.currentPath, temp.path.c_str());
    groups.clear();
    heads.clear();
    fileTable.count = 0;
    searchState = SearchState{1, 0, 0, 0, 0};
    RunSearchSteps(0, nullptr, CollectRow);
  }
};

}  // namespace

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
    Search(true);
    EXPECT_EQ(groups, (decltype(groups){{"-- Länge:70000 Byte --a1", {"a1", "a2", "a3", "a4", "a5", "a6"}},
                                        {"-- Länge:70000 Byte --b1", {"b1", "b2", "b3", "b4"}},
                                        {"-- Länge:70310 Byte --c1", {"c1", "c2"}},
                                        {"-- Länge:300 Byte --s2", {"s2", "s3"}},
                                        {"-- Länge:50 Byte --g1", {"g1", "g2"}}}));
    // What removing the later files frees: their whole sizes.
    size_t freed = 0;
    for (const auto& [heading, names] : groups)
      for (const std::string& name : names) freed += files.at(name).size();
    for (const std::string& head : heads) freed -= files.at(head).size();
    EXPECT_EQ(searchState.duplicateBytes, freed);
    Search(false);
    EXPECT_EQ(groups, (decltype(groups){{"-- Länge:70158 Byte --a5", {"a5", "a6"}},
                                        {"-- Länge:70310 Byte --c1", {"c1", "c2"}}}));
  }
  longRunThreshold = 32;
}

TEST_F(NoId3, FindingTheTagsCostsTwoSmallReadsPerFile) {
  std::string path = temp.Write("song", std::string(500, 'x') + Id3v1(1));
  for (bool noId3 : {false, true}) {
    fake::Install();
    settings.id3Tag = noId3;
    ScanDirectory(temp.path.c_str());
    EXPECT_EQ(fake::Log(path).reads.size(), noId3 ? 2u : 0u);
    for (const fake::ReadRecord& read : fake::Log(path).reads) EXPECT_LE(read.requested, 10u);
  }
  EXPECT_EQ(ComparedLength(fileTable.entries[fileTable.count - 1]), 500u);
  fake::BreakReads(path, 0, fake::ReadFault::ZeroBytes);  // a file it cannot read: compared whole
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(ComparedLength(fileTable.entries[fileTable.count - 1]), 628u);
}
