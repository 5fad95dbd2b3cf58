// The scan and the exclusive open on the real Windows file system.
#include "engine/scan.h"

#include "engine/text.h"
#include "window_fixture.h"

TEST(WindowsScan, TakesHiddenFilesAboveMinSizeKeepsAnsiNamesAndDoublesATrailingBackslash) {
  TempFolder temp;
  ClearFileTable();
  fileTable.count = 0;
  ResetSettingsToDefaults();
  searchState.running = 1;
  EngineHooks saved = engineHooks;
  ResetEngineHooks();
  std::string hidden = temp.Write("\xC4rger.txt", std::string(10, 'h'));  // "Ärger.txt"
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  temp.Write("nine.txt", std::string(9, 'n'));
  temp.Write("sub\\ten.dat", std::string(10, 't'));
  CopyText(settings.currentFilter, MaxPath, "*.TXT");
  settings.minSize = 9;
  ScanDirectory((temp.path + "\\").c_str());
  engineHooks = saved;
  EXPECT_EQ(TablePaths(), std::vector<std::string>{temp.path + "\\\\\xC4rger.txt"});
  EXPECT_EQ(fileTable.entries[0].size, 10u);

  FileHandle first = platform.openExclusive(hidden.c_str());
  ASSERT_NE(first, InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(hidden.c_str()), InvalidFileHandle);
  char buffer[16];
  uint32_t count = 0;
  EXPECT_TRUE(platform.readAt(first, 8, buffer, 16, &count));
  EXPECT_EQ(count, 2u);
  platform.closeFile(first);
  fileTable.count = 0;
}
