#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "temp_dir.h"

namespace {

class WindowsScan : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fileTable.entries) {
      ASSERT_TRUE(CreateFileTable());
    }
    ClearFileTable();
    fileTable.count = 0;
    settings = Settings{};
    CopyText(settings.currentFilter, MaxPath, "*.*");
    searchState = SearchState{};
    searchState.running = 1;
    saved = engineHooks;
    ResetEngineHooks();
  }
  void TearDown() override { engineHooks = saved; }

  std::vector<std::string> Scan(const std::string& folder) {
    ScanDirectory(folder.c_str());
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(fileTable.entries[i].path);
    return paths;
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

TEST_F(WindowsScan, ATrailingBackslashGivesTwoInARow) {
  temp.Write("f", "x");
  EXPECT_EQ(Scan(temp.path + "\\"), (std::vector<std::string>{temp.path + "\\\\f"}));
}

TEST_F(WindowsScan, HiddenFilesCountAndMinSizeIsStrict) {
  std::string hidden = temp.Write("hidden", std::string(10, 'h'));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  temp.Write("nine", std::string(9, 'n'));
  settings.minSize = 9;
  EXPECT_EQ(Scan(temp.path), (std::vector<std::string>{hidden}));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsScan, UmlautNamesKeepTheirAnsiBytes) {
  std::string name = "\xC4rger.txt";  // "Ärger.txt" in Windows-1252
  temp.Write(name, "x");
  std::vector<std::string> paths = Scan(temp.path);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0], temp.At(name));
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
