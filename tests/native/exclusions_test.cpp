// Exclusions: what the walk skips at every depth, how it is counted and said,
// and the entries as the user gives them.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/arguments.h"
#include "engine/exclusions.h"
#include "engine/scan.h"
#include "engine/search.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

struct Exclude : enginetest::EngineTest {
  void TearDown() override {
    exclusions.count = 0;
    EngineTest::TearDown();
  }
  std::vector<std::string> Scanned(const std::vector<std::string>& entries) {
    exclusions.count = 0;
    for (const std::string& entry : entries) AddExclusion(entry.c_str());
    Restart();
    ScanDirectory(temp.path.c_str());
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(Entry(i).path + temp.path.size() + 1);
    std::sort(paths.begin(), paths.end());
    return paths;
  }
  std::string Counts() { return std::to_string(searchState.excludedFiles) + "/" + std::to_string(searchState.excludedFolders); }
};

TEST_F(Exclude, FoldersAndNamePatternsAreSkippedAtEveryDepthAndCounted) {
  for (const char* name : {"a.txt", "x.tmp", "node_modules/m", "s/node_modules/deep/m", "s/t/u/node_modules/m", "s/t/b.TMP",
                           "s/t/keep", "s/t/u/v.tmp/inside", "Spiele/g", "Spiele2/g", "s/Spiele/g"})
    temp.Write(name, "1");
  const std::vector<std::string> all = Scanned({});
  EXPECT_EQ(all.size(), 11u);
  EXPECT_EQ(Counts(), "0/0");
  const struct { const char* name; std::vector<std::string> entries; std::vector<std::string> kept; const char* counts; } cases[] = {
      {"name of a folder at any depth", {"node_modules"}, {"Spiele/g", "Spiele2/g", "a.txt", "s/Spiele/g", "s/t/b.TMP", "s/t/keep", "s/t/u/v.tmp/inside", "x.tmp"}, "0/3"},
      {"pattern for files and folders alike", {"*.tmp"}, {"Spiele/g", "Spiele2/g", "a.txt", "node_modules/m", "s/Spiele/g", "s/node_modules/deep/m", "s/t/keep", "s/t/u/node_modules/m"}, "2/1"},
      {"one folder by its path, not its namesakes", {temp.path + "/Spiele/"}, {"Spiele2/g", "a.txt", "node_modules/m", "s/Spiele/g", "s/node_modules/deep/m", "s/t/b.TMP", "s/t/keep", "s/t/u/node_modules/m", "s/t/u/v.tmp/inside", "x.tmp"}, "0/1"},
      {"a deep folder, spelled in other case with doubled separators", {temp.path + "/S//T"}, {"Spiele/g", "Spiele2/g", "a.txt", "node_modules/m", "s/Spiele/g", "s/node_modules/deep/m", "x.tmp"}, "0/1"},
      {"everything together", {"node_modules", "?.tmp", temp.path + "/s"}, {"Spiele/g", "Spiele2/g", "a.txt"}, "1/2"},
      {"the source folder itself", {temp.path}, {}, "0/1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Scanned(c.entries), c.kept) << c.name;
    EXPECT_EQ(Counts(), c.counts) << c.name;
  }
}

TEST_F(Exclude, ARunSaysInOneRowWhatItSkippedOnlyWhenItDid) {
  temp.Write("a.tmp", "1");
  temp.Write("b.txt", "1");
  static std::string rows;
  for (const char* entry : {"*.none", "*.tmp"}) {
    exclusions.count = 0;
    AddExclusion(entry);
    Restart();
    CopyText(settings.currentPath, MaxPath, temp.path.c_str());
    RunSearchSteps(0, nullptr, [](int32_t, const char*) {});
    AddRunNoteRows([](int32_t, const char* text) { rows += text + std::string("|"); }, false);
  }
  EXPECT_EQ(rows, "Ausgeschlossen: 1 Datei(en) und 0 Ordner|");
}

TEST(Exclusions, EntriesAreTrimmedKeptOnceAndBounded) {
  exclusions.count = 0;
  const std::string tooLong(MaxPath, 'x');
  const struct { const char* entry; ExcludeResult result; const char* stored; } cases[] = {
      {"  *.tmp ", ExcludeResult::Added, "*.tmp"},
      {"*.TMP", ExcludeResult::AlreadyExcluded, nullptr},
      {"/data/games//", ExcludeResult::Added, "/data/games"},
      {"/data/Games", ExcludeResult::AlreadyExcluded, nullptr},
      {"/", ExcludeResult::Added, "/"},
      {"D:\\", ExcludeResult::Added, "D:\\"},
      {"   ", ExcludeResult::Invalid, nullptr},
      {tooLong.c_str(), ExcludeResult::Invalid, nullptr},
  };
  for (const auto& c : cases) {
    int before = exclusions.count;
    EXPECT_EQ(AddExclusion(c.entry), c.result) << c.entry;
    if (c.stored) {
      EXPECT_STREQ(exclusions.entry[before], c.stored);
    }
  }
  RemoveExclusion(0);
  EXPECT_STREQ(exclusions.entry[0], "/data/games");
  EXPECT_EQ(exclusions.count, 3);
  while (AddExclusion(std::to_string(exclusions.count).c_str()) == ExcludeResult::Added) {}
  EXPECT_EQ(exclusions.count, MaxExclusions);
  EXPECT_EQ(AddExclusion("one more"), ExcludeResult::Full);
  exclusions.count = 0;
}

TEST(Exclusions, TheConsoleTakesExcludeAsOftenAsGiven) {
  CliOptions options;
  CliError error;
  const char* argv[] = {"parvik-cli", "--exclude", "node_modules", "--exclude=*.tmp", "dir"};
  ASSERT_TRUE(ParseCliArguments(5, argv, &options, &error));
  EXPECT_EQ(options.exclusions, (std::vector<std::string>{"node_modules", "*.tmp"}));
  const char* empty[] = {"parvik-cli", "--exclude=", "dir"};
  EXPECT_FALSE(ParseCliArguments(3, empty, &options, &error));
  const char* missing[] = {"parvik-cli", "dir", "--exclude"};
  EXPECT_FALSE(ParseCliArguments(3, missing, &options, &error));
}

}  // namespace
