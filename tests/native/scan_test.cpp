// The directory scan on real folders: order, filter, minimum size, the path
// length limits, progress, cancel and sizes of 4 GiB and more.
#include "engine/scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "engine/hooks.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

class Scan : public enginetest::EngineTest {
 protected:
  std::vector<std::string> ScannedPaths(const std::string& root) {
    ClearFileTable();
    fileTable.count = 0;
    ScanDirectory(root.c_str());
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < fileTable.count; i++)
      paths.push_back(std::string(fileTable.entries[i].path).substr(root.size()));
    return paths;
  }
  static std::vector<std::string> CountsShown() {
    std::vector<std::string> counts;
    for (const enginetest::FieldWrite& write : enginetest::shown.fields)
      if (write.field == FieldFileCount) counts.push_back(write.text);
    return counts;
  }
};

TEST_F(Scan, WalksDepthFirstFilesBeforeSubfoldersWithFilterAndStrictMinimumSize) {
  temp.Write("b.txt", std::string(101, 'b'));
  temp.Write("A.txt", std::string(100, 'a'));
  temp.Write("empty.txt", "");
  temp.Write(".hidden", "h");
  temp.Write("sub2.dat/x.txt", "x");
  temp.Write("sub1/deeper/y.txt", "y");
  temp.Write("sub1/z.dat", "z");
  temp.Write(".../inside", "i");
  EXPECT_EQ(ScannedPaths(temp.path),
            (std::vector<std::string>{"/.hidden", "/A.txt", "/b.txt", "/.../inside", "/sub1/z.dat",
                                      "/sub1/deeper/y.txt", "/sub2.dat/x.txt"}));
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.TXT");
  EXPECT_EQ(ScannedPaths(temp.path),
            (std::vector<std::string>{"/A.txt", "/b.txt", "/sub1/deeper/y.txt", "/sub2.dat/x.txt"}));
  settings.minSize = 100;
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"/b.txt"}));
  const FileEntry& entry = fileTable.entries[0];
  EXPECT_EQ(entry.size, 101u);
  EXPECT_EQ(entry.handle, InvalidFileHandle);
  EXPECT_NE(entry.lastWriteTime.high, 0u);
  EXPECT_TRUE(ScannedPaths(temp.path + "/missing").empty());
}

TEST_F(Scan, PathsThatWouldNotFitAreSkippedNotCut) {
  std::string outer(200, 'd');
  std::string folder = temp.MakeFolder(outer);
  int room = MaxPath - 1 - static_cast<int>(folder.size()) - 1;  // name length that just fits
  ASSERT_GT(room, 5);
  temp.Write(outer + "/" + std::string(room, 'f'), "fits");
  temp.Write(outer + "/" + std::string(room, 'g') + "x", "too long");
  // A folder path of 256 characters fits; its pattern for the subfolder pass does not.
  int innerLength = 256 - static_cast<int>(folder.size()) - 1;
  temp.Write(outer + "/" + std::string(innerLength, 'e') + "/file", "x");
  std::vector<std::string> paths = ScannedPaths(folder);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(strlen(fileTable.entries[0].path), static_cast<size_t>(MaxPath - 1));
  EXPECT_EQ(paths[0].back(), 'f');
}

TEST_F(Scan, ShowsProgressAndPumpsAtEveryFiftiethFileAndStopsWhenCancelled) {
  for (int i = 0; i < 120; i++) temp.Write("f" + std::to_string(1000 + i), "x");
  temp.Write("z-sub/late", "x");
  EXPECT_EQ(ScannedPaths(temp.path).size(), 121u);
  EXPECT_EQ(CountsShown(), (std::vector<std::string>{"50", "100"}));
  EXPECT_EQ(enginetest::shown.pumps, 2);
  // Skipped files show the count again while it is a multiple of fifty.
  enginetest::shown = enginetest::Shown{};
  settings.minSize = 1;
  EXPECT_TRUE(ScannedPaths(temp.path).empty());
  EXPECT_EQ(CountsShown(), std::vector<std::string>(121, "0"));
  settings.minSize = 0;
  engineHooks.setFieldNumber = [](int field, uint32_t value) {
    if (field == FieldFileCount && value >= 50) searchState.running = 0;
  };
  EXPECT_EQ(ScannedPaths(temp.path).size(), 50u);
  EXPECT_EQ(searchState.running, 0);
}

TEST_F(Scan, FilesOfFourGibibytesAndMoreKeepTheirWholeSizeAndAFolderGivenTwiceIsWalkedTwice) {
  const uint64_t size = (uint64_t{1} << 32) + 10;
  ASSERT_FALSE(temp.WriteSparse("big", size, size - 1, "x").empty());
  settings.minSize = 9;
  ScanDirectory(temp.path.c_str());
  ScanDirectory(temp.path.c_str());
  ASSERT_EQ(fileTable.count, 2u);
  EXPECT_EQ(fileTable.entries[1].size, size);
}

}  // namespace
