#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "temp_folder.h"

namespace {

class Scan : public enginetest::EngineTest {
 protected:
  std::vector<std::string> ScannedPaths(const std::string& root) {
    ScanDirectory(root.c_str());
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < fileTable.count; i++)
      paths.push_back(std::string(fileTable.entries[i].path).substr(root.size()));
    return paths;
  }

  // The file counts the scan showed, in order.
  static std::vector<std::string> CountsShown() {
    std::vector<std::string> counts;
    for (const enginetest::FieldWrite& write : enginetest::shown.fields)
      if (write.field == FieldFileCount) counts.push_back(write.text);
    return counts;
  }
};

// Plays the user who clicks "Abbruch" once fifty files are shown.
void CancelAtFifty(int field, uint32_t value) {
  if (field == FieldFileCount && value >= 50) searchState.running = 0;
}

}  // namespace

TEST_F(Scan, WalksDepthFirstWithTheFilesOfAFolderBeforeItsSubfolders) {
  temp.Write("b.txt", "b");
  temp.Write("A.txt", "a");
  temp.Write("sub2/x.txt", "x");
  temp.Write("sub1/deeper/y.txt", "y");
  temp.Write("sub1/z.txt", "z");
  EXPECT_EQ(ScannedPaths(temp.path),
            (std::vector<std::string>{"/A.txt", "/b.txt", "/sub1/z.txt", "/sub1/deeper/y.txt",
                                      "/sub2/x.txt"}));
}

TEST_F(Scan, FilterSelectsFilesButEverySubfolderIsEntered) {
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.TXT");
  temp.Write("keep.txt", "1");
  temp.Write("skip.dat", "1");
  temp.Write("folder.dat/inner.txt", "1");
  temp.Write("folder.dat/inner.dat", "1");
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"/keep.txt", "/folder.dat/inner.txt"}));
}

TEST_F(Scan, TakesOnlyFilesLargerThanMinSize) {
  temp.Write("empty", "");
  temp.Write("hundred", std::string(100, 'h'));
  temp.Write("hundred-and-one", std::string(101, 'h'));
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"/hundred", "/hundred-and-one"}));
  TableTest::SetUp();
  settings.minSize = 100;
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"/hundred-and-one"}));
}

TEST_F(Scan, RecordsStartInTheirUnopenedState) {
  std::string file = temp.Write("f", "12345");
  ScanDirectory(temp.path.c_str());
  ASSERT_EQ(fileTable.count, 1u);
  const FileEntry& entry = fileTable.entries[0];
  EXPECT_EQ(std::string(entry.path), file);
  EXPECT_EQ(entry.size, 5u);
  EXPECT_EQ(entry.handle, InvalidFileHandle);
  EXPECT_EQ(entry.cache, nullptr);
  EXPECT_EQ(entry.cachedBytes, 0u);
  EXPECT_EQ(entry.done, 0);
  EXPECT_EQ(entry.groupId, 0);
  EXPECT_EQ(entry.overlapped.offset, 0u);
  EXPECT_NE(entry.lastWriteTime.high, 0u);
}

TEST_F(Scan, HiddenFilesAndAFolderNamedThreeDotsAreTaken) {
  temp.Write(".hidden", "h");
  temp.Write(".../inside", "i");
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"/.hidden", "/.../inside"}));
}

TEST_F(Scan, MissingOrUnlistableFoldersContributeNothing) {
  temp.Write("locked/secret", "s");
  chmod(temp.At("locked").c_str(), 0);
  std::vector<std::string> paths = ScannedPaths(temp.path + "/missing");
  EXPECT_TRUE(paths.empty());
  ScanDirectory(temp.path.c_str());  // as root the locked folder may still be readable
  chmod(temp.At("locked").c_str(), 0755);
  EXPECT_LE(fileTable.count, 1u);
}

TEST_F(Scan, ShowsProgressAndPumpsAtEveryFiftiethFile) {
  for (int i = 0; i < 120; i++) temp.Write("f" + std::to_string(1000 + i), "x");
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 120u);
  EXPECT_EQ(CountsShown(), (std::vector<std::string>{"50", "100"}));
  EXPECT_EQ(enginetest::shown.pumps, 2);
}

TEST_F(Scan, SkippedFilesShowProgressWhileTheCountIsAMultipleOfFifty) {
  temp.Write("a", "");
  temp.Write("b", "");
  temp.MakeFolder("only-a-folder");
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(CountsShown(), (std::vector<std::string>{"0", "0"}));
}

TEST_F(Scan, StopsWhenRunningIsClearedAndKeepsWhatItFound) {
  for (int i = 0; i < 80; i++) temp.Write("f" + std::to_string(1000 + i), "x");
  temp.Write("z-sub/late", "x");
  engineHooks.setFieldNumber = CancelAtFifty;
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 50u);
  EXPECT_EQ(searchState.running, 0);
}

TEST_F(Scan, NamesWhosePathWouldNotFitAreSkippedNotCut) {
  std::string folder = temp.MakeFolder(std::string(200, 'd'));
  int room = MaxPath - 1 - static_cast<int>(folder.size()) - 1;  // name length that just fits
  ASSERT_GT(room, 5);
  temp.Write(std::string(200, 'd') + "/" + std::string(room, 'f'), "fits");
  temp.Write(std::string(200, 'd') + "/" + std::string(room, 'g') + "x", "too long");
  ScanDirectory(folder.c_str());
  ASSERT_EQ(fileTable.count, 1u);
  EXPECT_EQ(strlen(fileTable.entries[0].path), static_cast<size_t>(MaxPath - 1));
  EXPECT_EQ(fileTable.entries[0].path[MaxPath - 2], 'f');
}

TEST_F(Scan, FoldersWhosePatternWouldNotFitAreNotEntered) {
  // A folder path of 256 characters fits; its pattern for the subfolder pass does not.
  std::string outer(200, 'd');
  int innerLength = 256 - static_cast<int>(temp.path.size()) - 1 - 200 - 1;
  ASSERT_GT(innerLength, 0);
  std::string inner = outer + "/" + std::string(innerLength, 'e');
  temp.Write(inner + "/file", "x");
  temp.Write(outer + "/ok", "x");
  ScanDirectory(temp.path.c_str());
  ASSERT_EQ(fileTable.count, 1u);
  EXPECT_EQ(std::string(fileTable.entries[0].path), temp.At(outer + "/ok"));
}

TEST_F(Scan, FilesOfFourGibibytesAndMoreKeepTheirWholeSize) {
  const uint64_t size = (uint64_t{1} << 32) + 10;
  ASSERT_FALSE(temp.WriteSparse("big", size, size - 1, "x").empty());
  temp.Write("ten", "0123456789");
  settings.minSize = 9;
  ScanDirectory(temp.path.c_str());
  ASSERT_EQ(fileTable.count, 2u);
  EXPECT_EQ(fileTable.entries[0].size, size);
  EXPECT_EQ(fileTable.entries[1].size, 10u);
}

TEST_F(Scan, AFolderGivenTwiceIsWalkedTwice) {
  temp.Write("one", "1");
  ScanDirectory(temp.path.c_str());
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 2u);
}
