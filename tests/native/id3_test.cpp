// The option "no ID3": generated MP3-like files around two payloads, searched
// through the engine from the scan to the listed rows.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/cli_arguments.h"
#include "engine/run_split.h"
#include "engine/scan.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::EngineTest;
using enginetest::Pattern;

namespace {

// An ID3v2 header stating `size` body bytes, then the body and an optional footer.
std::string Id3v2(uint32_t size, uint32_t seed, bool footer = false) {
  std::string tag = "ID3";
  tag += {'\x04', '\x00', static_cast<char>(footer ? 0x10 : 0)};
  for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>(size >> shift & 0x7F);
  tag += Pattern(size, seed);
  if (footer) tag += "3DI" + std::string(7, '\x01');
  return tag;
}
std::string Id3v1(uint32_t seed) { return "TAG" + Pattern(125, seed); }

// Per group: its heading and smallest name, and the names of its files.
using Groups = std::map<std::string, std::set<std::string>>;
std::vector<std::string> pending;  // head first
std::vector<std::string> heads;
Groups found;
void CollectRow(int32_t item, const char* text) {
  std::string row = text;
  size_t name = row.rfind('/') + 1;
  if (item >= 0) {
    pending.push_back(row.substr(name, row.find("    create:") - name));
  } else if (row.rfind("-- ", 0) == 0) {
    std::set<std::string> names(pending.begin(), pending.end());
    found[row + " " + *names.begin()] = names;
    heads.push_back(pending.front());
    pending.clear();
  }
}

class NoId3 : public EngineTest {
 protected:
  Groups Search(bool noId3) {
    settings.id3Tag = noId3;
    CopyText(settings.currentPath, sizeof settings.currentPath, temp.path.c_str());
    found.clear();
    heads.clear();
    fileTable.count = 0;
    searchState = SearchState{1, 0, 0, 0, 0};
    RunSearchSteps(0, nullptr, CollectRow);
    return found;
  }
  void Write(const std::string& name, const std::string& bytes) {
    temp.Write(name, bytes);
    sizes[name] = bytes.size();
  }
  std::map<std::string, size_t> sizes;
};

const std::string A = Pattern(70000, 1);
const std::string B = A.substr(0, 69999) + "!";  // other audio, same length

}  // namespace

TEST_F(NoId3, OneRecordingUnderAnyTagsIsOneGroupAndOtherAudioNever) {
  for (std::string n : {"a", "b"}) {
    const std::string& audio = n == "a" ? A : B;
    Write(n + "1-plain", audio);
    Write(n + "2-v1", audio + Id3v1(7));
    Write(n + "3-v2", Id3v2(300, 8) + audio);
    Write(n + "4-v2footer", Id3v2(4000, 9, true) + audio);
    Write(n + "5-both", Id3v2(20, 10) + audio + Id3v1(11));
    Write(n + "6-both", Id3v2(20, 10) + audio + Id3v1(11));
  }
  // Damaged headers, and files of nothing but a tag: compared whole.
  std::string claimsTooMuch = Id3v2(300, 8).substr(0, 310) + A;
  claimsTooMuch[6] = 0x7F;
  std::string badSizeByte = Id3v2(300, 8) + A;
  badSizeByte[9] = static_cast<char>(0x80 | badSizeByte[9]);
  Write("c1-claims", claimsTooMuch);
  Write("c2-claims", claimsTooMuch);
  Write("d1-badbyte", badSizeByte);
  Write("d2-badbyte", badSizeByte + Id3v1(3));
  Write("e1-tagonly", Id3v2(200, 1));
  Write("e2-tagonly", Id3v2(200, 2));
  Write("f1-tagonly", Id3v1(5));
  Write("f2-tagonly", Id3v1(6));
  // Short audio, read past its end unless reads stop before the tag.
  Write("s1-plain", A.substr(0, 300));
  Write("s2-v1", A.substr(0, 300) + Id3v1(1));
  Write("s3-v1", A.substr(0, 300) + Id3v1(2));
  // "TAG" 128 bytes before the end, inside the ID3v2 tag.
  std::string tagInTag = Id3v2(200, 4) + B.substr(0, 50);
  tagInTag.replace(tagInTag.size() - 128, 3, "TAG");
  Write("g1-tagintag", tagInTag);
  Write("g2-plain", B.substr(0, 50));

  const std::string whole = "-- Länge:" + std::to_string(claimsTooMuch.size()) + " Byte -- ";
  const std::string both = "-- Länge:" + std::to_string(A.size() + 30 + 128) + " Byte -- ";
  for (uint32_t threshold : {0u, 2u}) {  // pairwise, and long runs split by content
    SCOPED_TRACE(threshold);
    longRunThreshold = threshold;
    EXPECT_EQ(Search(true),
              (Groups{{"-- Länge:70000 Byte -- a1-plain",
                       {"a1-plain", "a2-v1", "a3-v2", "a4-v2footer", "a5-both", "a6-both"}},
                      {"-- Länge:70000 Byte -- b1-plain",
                       {"b1-plain", "b2-v1", "b3-v2", "b4-v2footer", "b5-both", "b6-both"}},
                      {whole + "c1-claims", {"c1-claims", "c2-claims"}},
                      {"-- Länge:300 Byte -- s1-plain", {"s1-plain", "s2-v1", "s3-v1"}},
                      {"-- Länge:50 Byte -- g1-tagintag", {"g1-tagintag", "g2-plain"}}}));
    // The bytes freed are those of the later files, tags included.
    float freed = 0;
    for (const auto& [key, names] : found)
      for (const std::string& name : names) freed += static_cast<float>(sizes[name]);
    for (const std::string& head : heads) freed -= static_cast<float>(sizes[head]);
    EXPECT_FLOAT_EQ(searchState.duplicateBytes, freed);
    EXPECT_EQ(Search(false), (Groups{{both + "a5-both", {"a5-both", "a6-both"}},
                                     {both + "b5-both", {"b5-both", "b6-both"}},
                                     {whole + "c1-claims", {"c1-claims", "c2-claims"}}}));
  }
  longRunThreshold = 32;
}

TEST_F(NoId3, TagsCostTwoSmallReadsPerFileAndMinSizeStaysOnTheFileSize) {
  std::vector<std::string> paths = {temp.Write("plain", A), temp.Write("tagged", A + Id3v1(1)),
                                    temp.Write("small", "ID3")};
  settings.minSize = static_cast<uint32_t>(A.size());  // "plain" is not larger
  Search(true);
  EXPECT_EQ(fileTable.count, 1u);
  settings.minSize = 0;
  for (bool noId3 : {false, true}) {
    fake::Install();
    settings.id3Tag = noId3;
    CopyText(settings.currentPath, sizeof settings.currentPath, temp.path.c_str());
    fileTable.count = 0;
    ScanDirectory(temp.path.c_str());
    for (const std::string& path : paths) {
      const fake::FileLog& log = fake::Log(path);
      EXPECT_EQ(log.reads.size(), noId3 ? (path == paths[2] ? 1u : 2u) : 0u) << path;
      for (const fake::ReadRecord& read : log.reads) EXPECT_LE(read.requested, 10u);
      EXPECT_EQ(log.opens, log.closes);
    }
  }
}

TEST(NoId3Switch, CliSwitchTurnsTheOptionOn) {
  const char* argv[] = {"parvik-cli", "--no-id3", "music"};
  CliOptions options;
  CliError error;
  ASSERT_TRUE(ParseCliArguments(3, argv, &options, &error));
  EXPECT_TRUE(options.noId3);
  ASSERT_TRUE(ParseCliArguments(2, argv + 1, &options, &error));
  EXPECT_FALSE(options.noId3);
}
