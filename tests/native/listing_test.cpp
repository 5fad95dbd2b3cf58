// The rows of the results: file rows with local time stamps, and the groups
// listed head first with their length heading.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/listing.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

struct Row {
  int32_t itemData;
  std::string text;
  bool operator==(const Row& other) const {
    return itemData == other.itemData && text == other.text;
  }
};
std::vector<Row> rows;
void CollectRow(int32_t itemData, const char* text) { rows.push_back({itemData, text}); }

FileTime Ticks(uint64_t ticks) {
  return FileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

class ResultRows : public enginetest::TableTest {
 protected:
  void SetUp() override {
    TableTest::SetUp();
    rows.clear();
    // Time stamps are local time; pin the zone so the expected texts hold.
    const char* zone = getenv("TZ");
    savedZone = zone ? zone : "";
    hadZone = zone != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (hadZone)
      setenv("TZ", savedZone.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
    TableTest::TearDown();
  }

  // Appends a record named `path` of `size` bytes in group `groupId`.
  void Add(const std::string& path, uint64_t size, int32_t groupId) {
    FileEntry& entry = fileTable.entries[fileTable.count++];
    CopyText(entry.path, sizeof entry.path, path.c_str());
    entry.size = size;
    entry.groupId = groupId;
    entry.creationTime = Ticks(126228240000000000ULL);   // 01.01.2001 12:00:00 UTC
    entry.lastWriteTime = Ticks(133333635030000000ULL);  // 09.07.2023 08:05:03 UTC
  }
  std::string FileRow(const std::string& path) {
    return "file:" + path + "    create:01.01.2001  12:00:00    write:09.07.2023  08:05:03";
  }

  std::string savedZone;
  bool hadZone = false;
};

}  // namespace

TEST_F(ResultRows, AFileRowShowsThePathAndBothTimesInLocalTime) {
  Add("C:\\Bilder\\Urlaub.jpg", 10, 0);
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[0], row);
  EXPECT_STREQ(row, FileRow("C:\\Bilder\\Urlaub.jpg").c_str());
}

TEST_F(ResultRows, AFileRowForTheLongestPathIsKeptWhole) {
  std::string path(259, 'p');
  Add(path, 10, 0);
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[0], row);
  EXPECT_EQ(std::string(row).size(), 325u);
}

TEST_F(ResultRows, EachGroupIsListedHeadFirstThenItsLengthAndAnEmptyRow) {
  Add("a", 100, 1);
  Add("b", 100, 1);
  Add("x", 100, 0);
  Add("c", 100, 1);
  Add("y", 200, 0);
  Add("d", 300, 6);
  Add("e", 300, 6);
  ListDuplicateGroups(CollectRow);
  std::vector<Row> expected = {
      {0, FileRow("a")}, {1, FileRow("b")}, {3, FileRow("c")},
      {TextRow, "-- L\xE4nge:100 Byte --"}, {TextRow, ""},
      {5, FileRow("d")}, {6, FileRow("e")},
      {TextRow, "-- L\xE4nge:300 Byte --"}, {TextRow, ""},
  };
  EXPECT_EQ(rows, expected);
  for (uint32_t k = 0; k < fileTable.count; k++) EXPECT_EQ(fileTable.entries[k].groupId, 0) << k;
}

TEST_F(ResultRows, TwoGroupsOfOneSizeAreListedApartInTableOrder) {
  Add("a1", 50, 1);
  Add("b1", 50, 2);
  Add("a2", 50, 1);
  Add("b2", 50, 2);
  ListDuplicateGroups(CollectRow);
  std::vector<Row> expected = {
      {0, FileRow("a1")}, {2, FileRow("a2")}, {TextRow, "-- L\xE4nge:50 Byte --"}, {TextRow, ""},
      {1, FileRow("b1")}, {3, FileRow("b2")}, {TextRow, "-- L\xE4nge:50 Byte --"}, {TextRow, ""},
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(ResultRows, TheLengthOfFilesOfFourGibibytesAndMoreIsShownWhole) {
  Add("big1", 4294967396ULL, 1);
  Add("big2", 4294967396ULL, 1);
  ListDuplicateGroups(CollectRow);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2].text, "-- L\xE4nge:4294967396 Byte --");
}

TEST_F(ResultRows, NoGroupsGiveNoRows) {
  Add("a", 100, 0);
  Add("b", 100, 0);
  ListDuplicateGroups(CollectRow);
  EXPECT_TRUE(rows.empty());
}
