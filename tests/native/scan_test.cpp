// From folders to rows: the scan (order, filter, minimum size, loops, memory),
// the growth of the file table, the size sort and the listed rows.
#include "engine/scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "engine/listing.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

class Scan : public enginetest::EngineTest {
 protected:
  std::vector<std::string> ScannedPaths(const std::string& root) {
    Restart();
    ScanDirectory(root.c_str());
    std::vector<std::string> paths;
    for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(Entry(i).path + root.size() + 1);
    return paths;
  }
};

TEST_F(Scan, WalksDepthFirstFilesBeforeSubfoldersWithFilterAndStrictMinimumSize) {
  for (const char* name : {"b.txt", "A.txt", "empty.txt", ".hidden", "sub2.dat/x.txt", "sub1/deeper/y.txt", "sub1/z.dat", ".../i"})
    temp.Write(name, std::string(name[0] == 'b' ? 101 : name[0] == 'A' ? 100 : name[0] != 'e', 'x'));
  const uint64_t huge = (uint64_t{1} << 32) + 10;  // whole, not cut to 32 bits
  ASSERT_FALSE(temp.WriteSparse("big.txt", huge, huge - 1, "x").empty());
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{".hidden", "A.txt", "b.txt", "big.txt", ".../i", "sub1/z.dat",
                                                                "sub1/deeper/y.txt", "sub2.dat/x.txt"}));
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.TXT");
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"A.txt", "b.txt", "big.txt", "sub1/deeper/y.txt", "sub2.dat/x.txt"}));
  settings.minSize = 100;
  EXPECT_EQ(ScannedPaths(temp.path), (std::vector<std::string>{"b.txt", "big.txt"}));
  EXPECT_EQ(Entry(1).size, huge);
  EXPECT_TRUE(ScannedPaths(temp.path + "/missing").empty());
}

TEST_F(Scan, FolderLoopsAreNotEnteredButASecondRouteIsWalkedAgain) {
  const struct { const char *link, *target; size_t files; } cases[] = {{"back", ".", 2}, {"sub/up", "..", 2}, {"again", "sub", 3}};
  for (const auto& c : cases) {
    TempFolder tree;
    tree.Write("x.txt", "1");
    tree.Write("sub/y.txt", "2");
    ASSERT_EQ(symlink(c.target, tree.At(c.link).c_str()), 0);
    EXPECT_EQ(ScannedPaths(tree.path).size(), c.files) << c.link;
  }
}

TEST_F(Scan, AListingOutOfMemoryEndsTheRunWithTheMemoryMessageAndKeepsTheRest) {
  temp.Write("top.txt", "1");
  temp.Write("sub/below.txt", "2");
  Restart();
  platform.findFirst = [](const char* pattern, DirEntry* entry) -> DirListing* {
    if (!strstr(pattern, "/sub/")) return systemPlatform.findFirst(pattern, entry);
    errno = ENOMEM;
    return nullptr;
  };
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 1u);
  EXPECT_EQ(searchState.running, 0);
  EXPECT_EQ(enginetest::shown.messages, (std::vector<std::string>{"Fehler!|Nicht mehr genug Speicher."}));
}

// The scan appends up to the first spare record, then the table grows.
TEST_F(Scan, TheTableGrowsAtTheFirstSpareRecordAndAFailedGrowthWarnsAndKeepsTheOldTable) {
  for (int i = 0; i < 12; i++) temp.Write("sub/f" + std::to_string(i), "x");
  temp.Write("sub2/g", "x");
  for (bool refuse : {false, true}) {
    Restart();
    FileEntry* before = fileTable.entries;
    uint32_t capacity = fileTable.capacity;
    if (refuse) allocateTableStorage = [](size_t) -> void* { return nullptr; };
    fileTable.count = capacity - 5;
    ScanDirectory(temp.path.c_str());
    EXPECT_EQ(fileTable.count, refuse ? capacity + 1 : capacity + 8);
    EXPECT_EQ(fileTable.capacity, refuse ? capacity : capacity + GrowthStep);
    EXPECT_EQ(searchState.running, refuse ? 0 : 1);
    EXPECT_EQ(enginetest::shown.messages, std::vector<std::string>(refuse, "Fehler Speicher Files|Fehler"));
    EXPECT_TRUE(!refuse || fileTable.entries == before);
    EXPECT_STREQ(Entry(capacity).path + temp.path.size(), "/sub/f3");
    ClearFileTable();
    static const FileEntry zero{};
    EXPECT_EQ(memcmp(&Entry(fileTable.capacity + SpareRecords - 1), &zero, sizeof zero), 0);
  }
}

// The partition scheme (last record as pivot, non-strict scans) decides which
// file heads a group; the program adds a shortcut for ordered runs.
void PlainSort(int32_t lo, int32_t hi) {
  if (lo >= hi) return;
  FileEntry* e = fileTable.entries;
  int32_t i = lo, j = hi;
  while (j > i) {
    while (i < j && e[i].size <= e[hi].size) i++;
    while (i < j && e[j].size >= e[hi].size) j--;
    if (j > i) std::swap(e[i], e[j]);
  }
  if (i != hi) std::swap(e[i], e[hi]);
  PlainSort(lo, i - 1);
  PlainSort(i + 1, hi);
}

TEST_F(Scan, TheSizeSortArrangesRecordsAsThePlainPartitionSchemeWithOrderedRunsTakenFast) {
  std::mt19937 random(12);
  for (int round = 0; round < 400; round++) {
    std::vector<uint64_t> sizes(random() % 60);
    for (uint64_t& size : sizes) size = random() % (round % 3 ? 40 : 3) + (random() % 3 ? 0 : uint64_t{1} << 32);
    if (round % 2) std::sort(sizes.begin() + random() % (sizes.size() + 1), sizes.end());
    std::vector<int32_t> order[2];
    for (int pass = 0; pass < 2; pass++) {
      for (size_t k = 0; k < sizes.size(); k++) Entry(k).size = sizes[k], Entry(k).groupId = k;
      int32_t last = static_cast<int32_t>(sizes.size()) - 1;
      pass ? SortBySize(0, last) : PlainSort(0, last);
      for (size_t k = 0; k < sizes.size(); k++) order[pass].push_back(Entry(k).groupId);
    }
    ASSERT_EQ(order[0], order[1]) << "round " << round;
  }
}

std::vector<std::string> rows;

TEST_F(Scan, EachGroupIsListedHeadFirstThenItsLengthAndAnEmptyRow) {
  setenv("TZ", "UTC", 1);  // time stamps are local time
  tzset();
  const std::string longest(259, 'p');
  const std::pair<const char*, uint64_t> files[] = {{"C:\\Bilder\\Urlaub.jpg", 100}, {longest.c_str(), 100},
      {"x", 100}, {"c", 100}, {"y", 200}, {"d", 4294967396}, {"b1", 4294967396}, {"e", 4294967396}, {"b2", 4294967396}};
  const int32_t groups[] = {1, 1, 0, 1, 0, 6, 7, 6, 7};
  for (uint32_t k = 0; k < 9; k++) {
    CopyText(Entry(k).path, MaxPath, files[k].first);
    Entry(k).size = files[k].second;
    Entry(k).groupId = groups[k];
    Entry(k).creationTime = FileTime{0x5DD2A000u, 0x01C073EAu};   // 01.01.2001 12:00:00 UTC
    Entry(k).lastWriteTime = FileTime{0x10932180u, 0x01D9B23Cu};  // 09.07.2023 08:05:03 UTC
  }
  fileTable.count = 9;
  auto Row = [](int index, const std::string& path) {
    return std::to_string(index) + ":file:" + path + "    create:01.01.2001  12:00:00    write:09.07.2023  08:05:03";
  };
  RowSink collect = [](int32_t item, const char* text) { rows.push_back(std::to_string(item) + ":" + text); };
  ListDuplicateGroups(collect);
  EXPECT_EQ(rows, (std::vector<std::string>{Row(0, "C:\\Bilder\\Urlaub.jpg"), Row(1, longest), Row(3, "c"),
                                            "-1:-- L\xE4nge:100 Byte --", "-1:", Row(5, "d"), Row(7, "e"),
                                            "-1:-- L\xE4nge:4294967396 Byte --", "-1:", Row(6, "b1"), Row(8, "b2"),
                                            "-1:-- L\xE4nge:4294967396 Byte --", "-1:"}));
  rows.clear();
  ListDuplicateGroups(collect);
  EXPECT_TRUE(rows.empty());  // the groups were consumed
  unsetenv("TZ");
  tzset();
}

}  // namespace
