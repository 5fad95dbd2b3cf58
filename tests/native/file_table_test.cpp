// The file table: growth by a fixed step once the spare records are reached,
// zeroed records, and the warning that ends the search when growth fails.
#include "engine/file_table.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/hooks.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"

namespace {

std::string lastMessage;
void* RefuseStorage(void*, size_t) { return nullptr; }

class Table : public ::testing::Test {
 protected:
  void SetUp() override {
    free(fileTable.entries);
    ASSERT_TRUE(CreateFileTable());
    ClearFileTable();
    searchState = SearchState{};
    searchState.running = 1;
    lastMessage.clear();
    ResetEngineHooks();
    engineHooks.showMessage = [](const char* text, const char* caption, unsigned) {
      lastMessage = std::string(text) + "|" + caption;
      return AnswerOk;
    };
  }
  void TearDown() override {
    resizeTableStorage = realloc;
    ResetEngineHooks();
  }
  // Appends records the way the scan does, each followed by the growth check.
  bool AppendUpTo(uint32_t count) {
    while (fileTable.count < count) {
      FileEntry& entry = fileTable.entries[fileTable.count];
      entry.size = ++fileTable.count;
      if (!GrowFileTableIfNeeded()) return false;
    }
    return true;
  }
  void ExpectZeroFrom(uint32_t first) {
    static const FileEntry zero{};
    for (uint32_t i = first; i < fileTable.capacity + SpareRecords; i++)
      ASSERT_EQ(memcmp(&fileTable.entries[i], &zero, sizeof zero), 0) << i;
  }
};

TEST_F(Table, GrowsAtTheFirstRecordPastTheCapacityKeepingContentsAndZeroingTheRest) {
  ASSERT_TRUE(AppendUpTo(InitialCapacity));
  EXPECT_EQ(fileTable.capacity, InitialCapacity);
  ASSERT_TRUE(AppendUpTo(InitialCapacity + 1));
  EXPECT_EQ(fileTable.capacity, InitialCapacity + GrowthStep);
  for (uint32_t i = 0; i < fileTable.count; i++) ASSERT_EQ(fileTable.entries[i].size, i + 1u);
  ExpectZeroFrom(fileTable.count);
  ClearFileTable();
  EXPECT_EQ(fileTable.capacity, InitialCapacity + GrowthStep);
  ExpectZeroFrom(0);
}

TEST_F(Table, FailedGrowthWarnsStopsTheSearchAndKeepsTheOldTable) {
  ASSERT_TRUE(AppendUpTo(InitialCapacity));
  FileEntry* before = fileTable.entries;
  resizeTableStorage = RefuseStorage;
  EXPECT_FALSE(AppendUpTo(InitialCapacity + 1));
  EXPECT_EQ(lastMessage, "Fehler Speicher Files|Fehler");
  EXPECT_EQ(searchState.running, 0);
  EXPECT_EQ(fileTable.entries, before);
  EXPECT_EQ(fileTable.capacity, InitialCapacity);
  EXPECT_EQ(fileTable.entries[InitialCapacity].size, InitialCapacity + 1u);
}

TEST_F(Table, ScanStopsAtEveryLevelWhenTheTableCannotGrow) {
  TempFolder temp;
  for (int i = 0; i < 12; i++) temp.Write("sub/f" + std::to_string(i), "x");
  temp.Write("sub2/g", "x");
  settings = Settings{};
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.*");
  fileTable.count = InitialCapacity - 5;  // room for five more, then the spare
  resizeTableStorage = RefuseStorage;
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, InitialCapacity + 1);
  EXPECT_EQ(searchState.running, 0);
  EXPECT_EQ(lastMessage, "Fehler Speicher Files|Fehler");
}

}  // namespace
