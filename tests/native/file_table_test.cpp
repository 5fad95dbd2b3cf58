#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "temp_folder.h"

namespace {

std::string lastMessage;
int RecordMessage(const char* text, const char* caption, unsigned) {
  lastMessage = std::string(text) + "|" + caption;
  return AnswerOk;
}
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
    engineHooks.showMessage = RecordMessage;
  }
  void TearDown() override {
    resizeTableStorage = realloc;
    ResetEngineHooks();
  }

  // Appends a record the way the scan does and runs the growth check.
  bool Append(uint32_t mark) {
    FileEntry& entry = fileTable.entries[fileTable.count];
    snprintf(entry.path, sizeof entry.path, "file%u", mark);
    entry.size = mark;
    fileTable.count++;
    return GrowFileTableIfNeeded();
  }
};

bool AllZero(const FileEntry& entry) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&entry);
  for (size_t k = 0; k < sizeof entry; k++)
    if (bytes[k]) return false;
  return true;
}

}  // namespace

TEST_F(Table, ExactlyTheCapacityDoesNotGrow) {
  for (uint32_t i = 0; i < InitialCapacity; i++) ASSERT_TRUE(Append(i + 1));
  EXPECT_EQ(fileTable.capacity, InitialCapacity);
}

TEST_F(Table, TheFirstSpareRecordTriggersGrowthKeepingContentsAndZeroTail) {
  for (uint32_t i = 0; i <= InitialCapacity; i++) ASSERT_TRUE(Append(i + 1));
  EXPECT_EQ(fileTable.count, InitialCapacity + 1);
  EXPECT_EQ(fileTable.capacity, InitialCapacity + GrowthStep);
  for (uint32_t i = 0; i < fileTable.count; i++) {
    ASSERT_EQ(fileTable.entries[i].size, i + 1u);
    ASSERT_EQ(std::string(fileTable.entries[i].path), "file" + std::to_string(i + 1));
  }
  for (uint32_t i = fileTable.count; i < fileTable.capacity + SpareRecords; i++)
    ASSERT_TRUE(AllZero(fileTable.entries[i])) << i;
}

TEST_F(Table, AClearAfterGrowthKeepsTheCapacityAndZeroesEveryRecord) {
  for (uint32_t i = 0; i <= InitialCapacity; i++) ASSERT_TRUE(Append(i + 1));
  ClearFileTable();
  EXPECT_EQ(fileTable.capacity, InitialCapacity + GrowthStep);
  for (uint32_t i = 0; i < fileTable.capacity + SpareRecords; i++)
    ASSERT_TRUE(AllZero(fileTable.entries[i])) << i;
}

TEST_F(Table, FailedGrowthWarnsStopsTheSearchAndKeepsTheOldTable) {
  for (uint32_t i = 0; i < InitialCapacity; i++) ASSERT_TRUE(Append(i + 1));
  FileEntry* before = fileTable.entries;
  resizeTableStorage = RefuseStorage;
  EXPECT_FALSE(Append(InitialCapacity + 1));
  EXPECT_EQ(lastMessage, "Fehler Speicher Files|Fehler");
  EXPECT_EQ(searchState.running, 0);
  EXPECT_EQ(fileTable.entries, before);
  EXPECT_EQ(fileTable.capacity, InitialCapacity);
  EXPECT_EQ(fileTable.count, InitialCapacity + 1);
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
