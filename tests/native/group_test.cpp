// The grouping pass over a size-sorted table of real files: group numbers,
// counters, files that fail, what is opened and released, progress, cancel
// and memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/entry_io.h"
#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/run_split.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "fake_platform.h"

using enginetest::Pattern;
using enginetest::shown;

namespace {

// The pass remembers the second of its last refresh across searches, so every
// test takes clock values no other test has used.
int64_t FreshSecond() {
  static int64_t next = 1000000;
  return next += 1000;
}

size_t smallestFailingCache = 0;
void* FailLargeCaches(void* block, size_t bytes) {
  return bytes >= smallestFailingCache ? nullptr : realloc(block, bytes);
}

class GroupingPass : public enginetest::EngineTest {
 protected:
  std::vector<int32_t> Groups() {
    std::vector<int32_t> ids;
    for (uint32_t k = 0; k < fileTable.count; k++) ids.push_back(Entry(k).groupId);
    return ids;
  }
  void ExpectEverythingReleased() {
    EXPECT_EQ(fake::OpenHandles(), 0);
    for (uint32_t k = 0; k < fileTable.count; k++) EXPECT_EQ(Entry(k).cache, nullptr) << k;
  }
  std::vector<std::string> TextsOf(int field) {
    std::vector<std::string> texts;
    for (const enginetest::FieldWrite& write : shown.fields)
      if (write.field == field) texts.push_back(write.text);
    return texts;
  }
};

// Files as (size, content seed), sorted by size; the groups, the duplicate
// count and the bytes the pass reports.
TEST_F(GroupingPass, GroupsAreNumberedAfterTheirFirstMemberAndCounted) {
  struct Case {
    std::vector<std::pair<size_t, uint32_t>> files;
    std::vector<int32_t> groups;
    uint32_t count;
    float bytes;
  };
  const Case cases[] = {
      {{{5, 1}, {5, 1}, {5, 1}}, {1, 1, 1}, 3, 10},
      {{{5, 2}, {5, 1}, {5, 1}}, {0, 2, 2}, 2, 5},
      {{{5, 1}, {5, 1}, {7, 1}}, {1, 1, 0}, 2, 5},
      {{{3000, 1}, {3000, 1}, {3000, 1}, {70000, 2}, {70000, 3}, {70000, 2}}, {1, 1, 1, 4, 0, 4}, 5, 76000},
      {{{900, 1}, {900, 2}, {900, 1}, {900, 2}}, {1, 2, 1, 2}, 4, 1800},
      {{{0, 0}, {0, 0}}, {1, 1}, 2, 0},
      {{{8, 1}}, {0}, 0, 0},
  };
  for (const Case& c : cases) {
    Restart();
    for (size_t k = 0; k < c.files.size(); k++) AddFile("f" + std::to_string(k), Pattern(c.files[k].first, c.files[k].second));
    FindDuplicates();
    EXPECT_EQ(Groups(), c.groups);
    EXPECT_EQ(searchState.duplicateCount, c.count);
    EXPECT_EQ(searchState.duplicateBytes, c.bytes);
    for (uint32_t k = 0; k < fileTable.count; k++)
      EXPECT_EQ(Entry(k).done, c.groups[k] != 0 && c.groups[k] != static_cast<int32_t>(k + 1)) << k;
    // Only entries with a partner of their size are opened.
    for (uint32_t k = 0; k < fileTable.count; k++)
      if ((k == 0 || Entry(k - 1).size != Entry(k).size) &&
          (k + 1 == fileTable.count || Entry(k + 1).size != Entry(k).size)) {
        EXPECT_EQ(fake::Log(Entry(k).path).opens, 0) << k;
      }
    ExpectEverythingReleased();
  }
}

// Which file fails and how: an outer file that cannot be opened or whose own
// reads fail takes no part and the rest group among themselves; a later file
// is tried once and never grouped. Nothing is shown for any of them.
TEST_F(GroupingPass, AFileThatCannotBeOpenedOrReadTakesNoPart) {
  struct Case {
    int file;
    int64_t breakAt;  // -1: the open is refused
    fake::ReadFault fault;
    std::vector<int32_t> groups;
  };
  const Case cases[] = {
      {0, -1, fake::ReadFault::Error, {0, 2, 2, 2}},
      {1, -1, fake::ReadFault::Error, {1, 0, 1, 1}},
      {0, 0, fake::ReadFault::Error, {0, 2, 2, 2}},
      {0, 0, fake::ReadFault::ZeroBytes, {0, 2, 2, 2}},
      {0, 1000, fake::ReadFault::Short, {0, 2, 2, 2}},
      {0, 100000, fake::ReadFault::Error, {0, 2, 2, 2}},
      {2, 100000, fake::ReadFault::Short, {1, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.file) + " at " + std::to_string(c.breakAt));
    Restart();
    int64_t second = FreshSecond();
    fake::UseClock([&second] { return ++second; });
    for (const char* name : {"a", "b", "c", "d"}) AddFile(name, Pattern(300 * 1024, 4));
    const std::string& path = Entry(static_cast<uint32_t>(c.file)).path;
    if (c.breakAt < 0) fake::RefuseOpen(path);
    else fake::BreakReads(path, static_cast<uint64_t>(c.breakAt), c.fault);
    FindDuplicates();
    EXPECT_EQ(Groups(), c.groups);
    EXPECT_EQ(Entry(static_cast<uint32_t>(c.file)).done, 1);
    EXPECT_EQ(searchState.duplicateCount, 3u);
    EXPECT_EQ(fake::Log(path).refusedOpens, c.breakAt < 0 ? 1 : 0);
    EXPECT_TRUE(shown.messages.empty());
    ExpectEverythingReleased();
    // No progress for an outer entry that could not be opened.
    if (&c == cases) {
      EXPECT_EQ(TextsOf(FieldFileCount), (std::vector<std::string>{"1 / 4", "2 / 4"}));
    }
  }
}

TEST_F(GroupingPass, AFileReachedByTwoPathsOrScannedTwiceNeverGroupsWithItself) {
  std::string bytes = Pattern(4000, 6);
  AddPath(temp.Write("a", bytes));
  ASSERT_EQ(link(Entry(0).path, temp.At("b").c_str()), 0);
  AddPath(temp.At("b"));
  AddFile("c", bytes);
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 0, 1}));
  Restart();
  std::string folder = temp.MakeFolder("twice");
  temp.Write("twice/one", Pattern(3000, 1));
  temp.Write("twice/two", Pattern(3000, 1));
  ScanDirectory(folder.c_str());
  ScanDirectory(folder.c_str());
  SortBySize(0, 3);
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 0, 0}));
  EXPECT_EQ(searchState.duplicateCount, 2u);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, ProgressShowsAtMostOncePerClockSecondAndACancelThereEndsThePass) {
  const int64_t start = FreshSecond();
  searchState.startTime = start - 3;
  std::vector<int64_t> clock = {start, start, start + 1, start + 1, start + 1, start + 2};
  size_t call = 0;
  fake::UseClock([&] { return clock[std::min(call++, clock.size() - 1)]; });
  for (int k = 0; k < 7; k++) AddFile("f" + std::to_string(k), Pattern(768 * 1024, k % 2));
  FindDuplicates();
  EXPECT_EQ(call, 6u);  // one sample per finished outer entry
  EXPECT_EQ(TextsOf(FieldFileCount), (std::vector<std::string>{"0 / 7", "2 / 7", "5 / 7"}));
  EXPECT_EQ(TextsOf(FieldDuplicateCount), (std::vector<std::string>{"4", "7", "7"}));
  EXPECT_EQ(TextsOf(FieldMegabytes), (std::vector<std::string>{"2.25", "3.75", "3.75"}));
  EXPECT_EQ(TextsOf(FieldElapsed), (std::vector<std::string>{"3 sec", "4 sec", "5 sec"}));
  EXPECT_EQ(shown.pumps, 3);
  EXPECT_EQ(searchState.nowTime, start + 2);

  Restart();
  int64_t second = FreshSecond();
  fake::UseClock([&second] { return ++second; });
  engineHooks.pumpMessages = [] { shown.pumps++, searchState.running = 0; };
  for (int k = 0; k < 4; k++) AddFile("g" + std::to_string(k), Pattern(100 * (k / 2 + 1), 1));
  FindDuplicates();
  EXPECT_EQ(shown.pumps, 1);
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 0, 0}));
  EXPECT_EQ(fake::Log(Entry(2).path).opens, 0);
  ExpectEverythingReleased();
}

TEST_F(GroupingPass, NoMemoryForACacheShowsTheMessageAndEndsThePass) {
  for (size_t failing : {size_t{0}, size_t{64 * 1024}}) {
    Restart();
    smallestFailingCache = failing;
    resizeCacheStorage = FailLargeCaches;
    for (const char* name : {"a", "b"}) AddFile(name, Pattern(300 * 1024, 1));
    for (const char* name : {"c", "d"}) AddFile(name, Pattern(400 * 1024, 1));
    FindDuplicates();
    ASSERT_EQ(shown.messages.size(), 1u);
    EXPECT_EQ(shown.messages[0].text, "Fehler!");
    EXPECT_EQ(shown.messages[0].caption, "Nicht mehr genug Speicher.");
    EXPECT_EQ(shown.messages[0].buttons, ButtonsOk);
    EXPECT_EQ(Groups(), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(fake::Log(Entry(2).path).opens, 0);
    ExpectEverythingReleased();
  }
}

}  // namespace
