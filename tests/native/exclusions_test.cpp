// Exclusions: what the walk skips at every depth and how it is counted.
#include <gtest/gtest.h>

#include "engine/exclusions.h"
#include "engine/scan.h"
#include "engine_fixture.h"

namespace {

struct Exclude : enginetest::EngineTest {
  void TearDown() override {
    exclusions.count = 0;
    EngineTest::TearDown();
  }
  // The files left out, as "name name ... excludedFiles/excludedFolders".
  std::string Skipped(const std::vector<std::string>& entries) {
    exclusions.count = 0;
    for (const std::string& entry : entries) AddExclusion(entry.c_str());
    Restart();
    ScanDirectory(temp.path.c_str());
    std::string skipped;
    for (const char* name : names) {
      bool found = false;
      for (uint32_t i = 0; i < fileTable.count; i++) found |= Entry(i).path == temp.At(name);
      if (!found) skipped += std::string(name) + " ";
    }
    return skipped + std::to_string(searchState.excludedFiles) + "/" + std::to_string(searchState.excludedFolders);
  }
  const std::vector<const char*> names = {"x.tmp", "node_modules/m", "s/node_modules/deep/m", "s/t/u/node_modules/m",
                                          "s/t/b.TMP", "s/t/u/v.tmp/in", "G/g", "G2/g", "s/G/g"};
};

TEST_F(Exclude, FoldersAndNamePatternsAreSkippedAtEveryDepthAndCounted) {
  for (const char* name : names) temp.Write(name, "1");
  const struct { const char* name; std::vector<std::string> entries; const char* skipped; } cases[] = {
      {"nothing", {"*.none"}, "0/0"},
      {"a folder name at any depth", {"node_modules"}, "node_modules/m s/node_modules/deep/m s/t/u/node_modules/m 0/3"},
      {"a pattern for files and folders", {"*.tmp"}, "x.tmp s/t/b.TMP s/t/u/v.tmp/in 2/1"},
      {"folders by path, not namesakes; doubled separators", {temp.At("G/"), temp.path + "/s//t"}, "s/t/u/node_modules/m s/t/b.TMP s/t/u/v.tmp/in G/g 0/2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Skipped(c.entries), c.skipped) << c.name;
}

}  // namespace
