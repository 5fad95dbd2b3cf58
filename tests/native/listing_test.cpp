// The rows of the results: file rows with local time stamps, and the groups
// listed head first with their length heading.
#include "engine/listing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "engine/text.h"
#include "engine_fixture.h"

namespace {

std::vector<std::string> rows;
void CollectRow(int32_t itemData, const char* text) {
  rows.push_back(std::to_string(itemData) + ":" + text);
}

class ResultRows : public enginetest::TableTest {
 protected:
  void SetUp() override {
    TableTest::SetUp();
    rows.clear();
    // Time stamps are local time; pin the zone so the expected texts hold.
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
    TableTest::TearDown();
  }
  void Add(const std::string& path, uint64_t size, int32_t groupId) {
    FileEntry& entry = fileTable.entries[fileTable.count++];
    CopyText(entry.path, sizeof entry.path, path.c_str());
    entry.size = size;
    entry.groupId = groupId;
    entry.creationTime = FileTime{0x5DD2A000u, 0x01C073EAu};  // 01.01.2001 12:00:00 UTC
    entry.lastWriteTime = FileTime{0x10932180u, 0x01D9B23Cu};  // 09.07.2023 08:05:03 UTC
  }
  static std::string Row(int index, const std::string& path) {
    return std::to_string(index) + ":file:" + path +
           "    create:01.01.2001  12:00:00    write:09.07.2023  08:05:03";
  }
};

TEST_F(ResultRows, EachGroupIsListedHeadFirstThenItsLengthAndAnEmptyRowAndIsConsumed) {
  const std::string longest(259, 'p');
  Add("C:\\Bilder\\Urlaub.jpg", 100, 1);
  Add(longest, 100, 1);
  Add("x", 100, 0);
  Add("c", 100, 1);
  Add("y", 200, 0);
  Add("d", 4294967396ULL, 6);
  Add("b1", 4294967396ULL, 7);
  Add("e", 4294967396ULL, 6);
  Add("b2", 4294967396ULL, 7);
  ListDuplicateGroups(CollectRow);
  EXPECT_EQ(rows, (std::vector<std::string>{
                      Row(0, "C:\\Bilder\\Urlaub.jpg"), Row(1, longest) /* kept whole */, Row(3, "c"),
                      "-1:-- L\xE4nge:100 Byte --", "-1:",
                      Row(5, "d"), Row(7, "e"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:",
                      Row(6, "b1"), Row(8, "b2"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:"}));
  for (uint32_t k = 0; k < fileTable.count; k++) EXPECT_EQ(fileTable.entries[k].groupId, 0) << k;
  rows.clear();
  ListDuplicateGroups(CollectRow);
  EXPECT_TRUE(rows.empty());
}

}  // namespace
