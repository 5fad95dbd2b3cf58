// The grouping pass over a size-sorted table of real files: group numbers,
// counters, what is opened and released, progress, cancel and memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/entry_io.h"
#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/run_split.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::EngineTest;
using enginetest::Pattern;
using enginetest::shown;

namespace {

// The pass remembers the second of its last refresh across searches, so every
// test takes clock values no other test has used.
int64_t FreshSecond() {
  static int64_t next = 1000000;
  next += 1000;
  return next;
}

void CancelOnPump() {
  shown.pumps++;
  searchState.running = 0;
}

size_t smallestFailingCache = 0;
void* FailLargeCaches(void* block, size_t bytes) {
  return bytes >= smallestFailingCache ? nullptr : realloc(block, bytes);
}

class GroupingPass : public EngineTest {
 protected:
  void ExpectGroups(const std::vector<int32_t>& groupIds) {
    ASSERT_EQ(fileTable.count, groupIds.size());
    for (uint32_t k = 0; k < fileTable.count; k++) EXPECT_EQ(Entry(k).groupId, groupIds[k]) << k;
  }
  void ExpectEverythingReleased() {
    EXPECT_EQ(fake::OpenHandles(), 0);
    EXPECT_EQ(fake::TotalOpens(), fake::TotalCloses());
    for (uint32_t k = 0; k < fileTable.count; k++) {
      EXPECT_EQ(Entry(k).cache, nullptr) << k;
      EXPECT_EQ(Entry(k).handle, InvalidFileHandle) << k;
    }
  }
  std::vector<std::string> TextsOf(int field) {
    std::vector<std::string> texts;
    for (const enginetest::FieldWrite& write : shown.fields)
      if (write.field == field) texts.push_back(write.text);
    return texts;
  }
};

}  // namespace

TEST_F(GroupingPass, ThreeIdenticalFilesFormOneGroupNumberedAfterItsFirstMember) {
  std::string bytes = Pattern(5, 1);
  for (const char* name : {"a", "b", "c"}) AddFile(name, bytes);
  FindDuplicates();
  ExpectGroups({1, 1, 1});
  EXPECT_EQ(Entry(0).done, 0);
  EXPECT_EQ(Entry(1).done, 1);
  EXPECT_EQ(Entry(2).done, 1);
  EXPECT_EQ(searchState.duplicateCount, 3u);
  EXPECT_EQ(searchState.duplicateBytes, 10.0f);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, AnEarlierFileThatDiffersLeavesTheOthersToGroupUnderTheSecond) {
  AddFile("a", Pattern(5, 2));
  AddFile("b", Pattern(5, 1));
  AddFile("c", Pattern(5, 1));
  FindDuplicates();
  ExpectGroups({0, 2, 2});
  EXPECT_EQ(searchState.duplicateCount, 2u);
  EXPECT_EQ(searchState.duplicateBytes, 5.0f);
}

TEST_F(GroupingPass, OnlyEntriesOfTheSameSizeAreOpened) {
  AddFile("a", Pattern(5, 1));
  AddFile("b", Pattern(5, 1));
  AddFile("c", Pattern(7, 1));
  FindDuplicates();
  ExpectGroups({1, 1, 0});
  EXPECT_EQ(fake::Log(Entry(2).path).opens, 0);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, GroupsOfSeveralSizesAddUpTheirMembersAndFreedBytes) {
  for (const char* name : {"a1", "a2", "a3"}) AddFile(name, Pattern(3000, 1));
  AddFile("b1", Pattern(70000, 2));
  AddFile("b2", Pattern(70000, 3));
  AddFile("b3", Pattern(70000, 2));
  FindDuplicates();
  ExpectGroups({1, 1, 1, 4, 0, 4});
  EXPECT_EQ(searchState.duplicateCount, 5u);
  EXPECT_EQ(searchState.duplicateBytes, 2.0f * 3000 + 70000);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, AnEmptyTableShowsNothingAndATableOfOneOpensNothing) {
  FindDuplicates();
  EXPECT_TRUE(shown.fields.empty());
  AddFile("only", "x");
  FindDuplicates();
  EXPECT_TRUE(shown.fields.empty());
  EXPECT_EQ(fake::TotalOpens(), 0);
}

TEST_F(GroupingPass, AnOuterFileThatCannotBeOpenedLetsTheNextOneStartTheGroups) {
  int64_t second = FreshSecond();
  fake::UseClock([&second] { return ++second; });
  for (const char* name : {"a", "b", "c", "d"}) AddFile(name, Pattern(900, 4));
  fake::RefuseOpen(Entry(0).path);
  FindDuplicates();
  ExpectGroups({0, 2, 2, 2});
  EXPECT_EQ(Entry(0).done, 1);
  EXPECT_EQ(fake::Log(Entry(0).path).refusedOpens, 1);
  EXPECT_TRUE(shown.messages.empty());
  // No progress for the entry that could not be opened.
  EXPECT_EQ(TextsOf(FieldFileCount), (std::vector<std::string>{"1 / 4", "2 / 4"}));
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, ALaterFileThatCannotBeOpenedIsTriedOnceAndNeverGrouped) {
  for (const char* name : {"a", "b", "c", "d"}) AddFile(name, Pattern(900, 4));
  fake::RefuseOpen(Entry(1).path);
  FindDuplicates();
  ExpectGroups({1, 0, 1, 1});
  EXPECT_EQ(fake::Log(Entry(1).path).refusedOpens, 1);
  EXPECT_TRUE(shown.messages.empty());
}

TEST_F(GroupingPass, AFileReachedByTwoPathsNeverGroupsWithItself) {
  std::string bytes = Pattern(4000, 6);
  std::string original = temp.Write("a", bytes);
  ASSERT_EQ(link(original.c_str(), temp.At("b").c_str()), 0);
  AddPath(original);
  AddPath(temp.At("b"));
  AddFile("c", bytes);
  FindDuplicates();
  ExpectGroups({1, 0, 1});
  EXPECT_EQ(searchState.duplicateCount, 2u);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, AFolderScannedTwiceGroupsEachFileOnlyWithItsCopies) {
  std::string folder = temp.MakeFolder("twice");
  temp.Write("twice/one", Pattern(3000, 1));
  temp.Write("twice/two", Pattern(3000, 1));
  ScanDirectory(folder.c_str());
  ScanDirectory(folder.c_str());
  ASSERT_EQ(fileTable.count, 4u);
  SortBySize(0, 3);
  FindDuplicates();
  // "one" and "two" are copies; their second paths find them held open.
  ExpectGroups({1, 1, 0, 0});
  EXPECT_EQ(Entry(2).done, 1);
  EXPECT_EQ(Entry(3).done, 1);
  EXPECT_EQ(searchState.duplicateCount, 2u);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, AnOuterFileWhoseOwnReadFailsLeavesTheLaterOnesToGroupAmongThemselves) {
  std::string bytes = Pattern(300 * 1024, 3);
  for (const char* name : {"a", "b", "c"}) AddFile(name, bytes);
  fake::BreakReads(Entry(0).path, 100000, fake::ReadFault::Error);
  FindDuplicates();
  ExpectGroups({0, 2, 2});
  EXPECT_EQ(Entry(0).done, 1);
  EXPECT_EQ(searchState.duplicateCount, 2u);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, AnOuterFileWhosePrefixCannotBeReadTakesNoPart) {
  std::string bytes = Pattern(5000, 3);
  for (const char* name : {"a", "b", "c"}) AddFile(name, bytes);
  fake::BreakReads(Entry(0).path, 0, fake::ReadFault::ZeroBytes);
  FindDuplicates();
  ExpectGroups({0, 2, 2});
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, ACancelDuringTheRefreshEndsThePassBeforeTheNextEntry) {
  int64_t second = FreshSecond();
  fake::UseClock([&second] { return ++second; });
  engineHooks.pumpMessages = CancelOnPump;
  AddFile("a", Pattern(100, 1));
  AddFile("b", Pattern(100, 1));
  AddFile("c", Pattern(200, 2));
  AddFile("d", Pattern(200, 2));
  FindDuplicates();
  EXPECT_EQ(shown.pumps, 1);
  ExpectGroups({1, 1, 0, 0});
  EXPECT_EQ(fake::Log(Entry(2).path).opens, 0);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, ProgressIsShownAtMostOncePerClockSecond) {
  const int64_t start = FreshSecond();
  searchState.startTime = start - 3;
  std::vector<int64_t> clock = {start, start, start + 1, start + 1, start + 1, start + 2};
  size_t call = 0;
  fake::UseClock([&] { return clock[std::min(call++, clock.size() - 1)]; });
  for (int k = 0; k < 7; k++) AddFile("f" + std::to_string(k), Pattern(2500, k + 1));
  FindDuplicates();
  EXPECT_EQ(call, 6u);  // one sample per finished outer entry
  EXPECT_EQ(TextsOf(FieldFileCount), (std::vector<std::string>{"0 / 7", "2 / 7", "5 / 7"}));
  EXPECT_EQ(TextsOf(FieldElapsed), (std::vector<std::string>{"3 sec", "4 sec", "5 sec"}));
  EXPECT_EQ(shown.pumps, 3);
  EXPECT_EQ(searchState.nowTime, start + 2);
}

TEST_F(GroupingPass, TheRefreshShowsIndexCountDuplicatesMegabytesAndTimeThenPumps) {
  const int64_t start = FreshSecond();
  searchState.startTime = start - 12;
  fake::UseClock([start] { return start; });
  for (const char* name : {"a", "b", "c"}) AddFile(name, Pattern(768 * 1024, 9));
  FindDuplicates();
  ASSERT_EQ(shown.fields.size(), 4u);
  EXPECT_EQ(shown.fields[0].field, FieldFileCount);
  EXPECT_EQ(shown.fields[0].text, "0 / 3");
  EXPECT_EQ(shown.fields[1].field, FieldDuplicateCount);
  EXPECT_EQ(shown.fields[1].text, "3");
  EXPECT_EQ(shown.fields[2].field, FieldMegabytes);
  EXPECT_EQ(shown.fields[2].text, "1.50");
  EXPECT_EQ(shown.fields[3].field, FieldElapsed);
  EXPECT_EQ(shown.fields[3].text, "12 sec");
  EXPECT_EQ(shown.pumps, 1);
}

TEST_F(GroupingPass, NoMemoryToGrowACacheShowsTheMessageAndEndsThePass) {
  smallestFailingCache = 64 * 1024;
  resizeCacheStorage = FailLargeCaches;
  for (const char* name : {"a", "b"}) AddFile(name, Pattern(300 * 1024, 1));
  for (const char* name : {"c", "d"}) AddFile(name, Pattern(400 * 1024, 1));
  FindDuplicates();
  ASSERT_EQ(shown.messages.size(), 1u);
  EXPECT_EQ(shown.messages[0].text, "Fehler!");
  EXPECT_EQ(shown.messages[0].caption, "Nicht mehr genug Speicher.");
  EXPECT_EQ(shown.messages[0].buttons, ButtonsOk);
  ExpectGroups({0, 0, 0, 0});
  EXPECT_EQ(fake::Log(Entry(2).path).opens, 0);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, NoMemoryForTheOuterCacheShowsTheMessageAndEndsThePass) {
  smallestFailingCache = 0;
  resizeCacheStorage = FailLargeCaches;
  for (const char* name : {"a", "b"}) AddFile(name, Pattern(3000, 1));
  FindDuplicates();
  ASSERT_EQ(shown.messages.size(), 1u);
  EXPECT_EQ(shown.messages[0].text, "Fehler!");
  ExpectGroups({0, 0});
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, ALongRunLeavesNoFileOpenAndNoCacheHeldSplitOrNot) {
  for (int k = 0; k < 40; k++) AddFile("f" + std::to_string(k), Pattern(40000, k % 7));
  for (uint32_t threshold : {0u, 32u}) {
    SCOPED_TRACE(threshold);
    longRunThreshold = threshold;
    for (uint32_t k = 0; k < fileTable.count; k++) {
      Entry(k).done = 0;
      Entry(k).groupId = 0;
    }
    searchState.duplicateCount = 0;
    FindDuplicates();
    EXPECT_EQ(searchState.duplicateCount, 40u);
    ExpectEverythingReleased();
  }
  longRunThreshold = 32;
}
