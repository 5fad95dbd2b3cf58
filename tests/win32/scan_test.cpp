// The engine's scan and exclusive open on the real Windows file system.
#include "engine/scan.h"

#include <string>
#include <vector>

#include "engine/text.h"
#include "test_support.h"

namespace {

class WindowsScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearFileTable();
    fileTable.count = 0;
    ResetSettingsToDefaults();
    searchState = SearchState{};
    searchState.running = 1;
    saved = engineHooks;
    ResetEngineHooks();
  }
  void TearDown() override { engineHooks = saved; }

  std::vector<std::string> Scan(const std::string& folder) {
    ScanDirectory(folder.c_str());
    return TablePaths();
  }

  TempDir temp;
  EngineHooks saved;
};

}  // namespace

TEST_F(WindowsScan, WalksRealFoldersDepthFirstWithTheFilter) {
  CopyText(settings.currentFilter, MaxPath, "*.TXT");
  temp.Write("b.txt", "bb");
  temp.Write("a.txt", "a");
  temp.Write("c.dat", "c");
  temp.Write("sub.dat\\d.txt", "d");
  EXPECT_EQ(Scan(temp.path), (std::vector<std::string>{temp.At("a.txt"), temp.At("b.txt"),
                                                       temp.At("sub.dat\\d.txt")}));
  EXPECT_EQ(fileTable.entries[1].size, 2u);
  EXPECT_EQ(fileTable.entries[0].handle, InvalidFileHandle);
}

TEST_F(WindowsScan, ATrailingBackslashGivesTwoInARowAndUmlautsKeepTheirAnsiBytes) {
  temp.Write("\xC4rger.txt", "x");  // "Ärger.txt" in Windows-1252
  EXPECT_EQ(Scan(temp.path + "\\"), (std::vector<std::string>{temp.path + "\\\\\xC4rger.txt"}));
}

TEST_F(WindowsScan, HiddenFilesCountAndMinSizeIsStrict) {
  std::string hidden = temp.Write("hidden", std::string(10, 'h'));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  temp.Write("nine", std::string(9, 'n'));
  settings.minSize = 9;
  EXPECT_EQ(Scan(temp.path), (std::vector<std::string>{hidden}));
}

TEST_F(WindowsScan, ExclusiveOpenRefusesASecondOpener) {
  std::string file = temp.Write("held", "data");
  FileHandle first = platform.openExclusive(file.c_str());
  ASSERT_NE(first, InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(file.c_str()), InvalidFileHandle);
  char buffer[8];
  uint32_t count = 0;
  EXPECT_TRUE(platform.readAt(first, 2, buffer, 8, &count));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(std::string(buffer, 2), "ta");
  EXPECT_TRUE(platform.readAt(first, 4, buffer, 8, &count));
  EXPECT_EQ(count, 0u);
  platform.closeFile(first);
}
