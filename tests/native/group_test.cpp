// From the size sort to the rows: the sort, the grouping pass (groups, counters,
// failures, memory), long runs split against the pairwise pass, the rows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <set>

#include "engine/entry_io.h"
#include "engine/group.h"
#include "engine/listing.h"
#include "engine/run_split.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine/text.h"
#include "engine_fixture.h"

using enginetest::Pattern;

namespace {

struct GroupingPass : enginetest::EngineTest {
  std::vector<int32_t> Groups() {
    std::vector<int32_t> ids;
    for (uint32_t k = 0; k < fileTable.count; k++) ids.push_back(Entry(k).groupId);
    return ids;
  }
  // Files named by the letters, `size` bytes of the pattern `seed`; "!" flips a byte at `flip`.
  void AddFiles(const char* names, size_t size, uint32_t seed, size_t flip = 0) {
    for (; *names; names++) {
      std::string bytes = Pattern(size, seed);
      if (*names == '!') bytes[flip] ^= 1;
      AddFile(std::to_string(fileTable.count), bytes);
    }
  }
};

// The partition scheme (last record as pivot, non-strict scans) decides which file heads a group.
void PlainSort(int32_t lo, int32_t hi) {
  if (lo >= hi) return;
  FileEntry* e = fileTable.entries;
  int32_t i = lo, j = hi;
  while (j > i) {
    while (i < j && ComparedLength(e[i]) <= ComparedLength(e[hi])) i++;
    while (i < j && ComparedLength(e[j]) >= ComparedLength(e[hi])) j--;
    if (j > i) std::swap(e[i], e[j]);
  }
  if (i != hi) std::swap(e[i], e[hi]);
  PlainSort(lo, i - 1);
  PlainSort(i + 1, hi);
}

TEST_F(GroupingPass, TheSizeSortArrangesRecordsAsThePlainPartitionSchemeWithOrderedRunsTakenFast) {
  std::mt19937 random(12);
  for (int round = 0; round < 400; round++) {
    std::vector<uint64_t> sizes(random() % 60);
    for (uint64_t& size : sizes) size = random() % (round % 3 ? 40 : 3) + (random() % 3 ? 0 : uint64_t{1} << 32);
    if (round % 2) std::sort(sizes.begin() + random() % (sizes.size() + 1), sizes.end());
    std::vector<int32_t> order[2];
    for (int pass = 0; pass < 2; pass++) {
      for (size_t k = 0; k < sizes.size(); k++) Entry(k).size = sizes[k], Entry(k).groupId = k;
      for (size_t k = 0; k < sizes.size(); k++) Entry(k).trailingTagBytes = round % 4 ? 0 : std::min<uint64_t>(sizes[k], k * 5 % 7);
      int32_t last = static_cast<int32_t>(sizes.size()) - 1;
      pass ? SortBySize(0, last) : PlainSort(0, last);
      for (size_t k = 0; k < sizes.size(); k++) order[pass].push_back(Entry(k).groupId);
    }
    ASSERT_EQ(order[0], order[1]) << "round " << round;
  }
}

// Files as (size, content seed), sorted by size: groups, duplicate count and bytes.
TEST_F(GroupingPass, GroupsAreNumberedAfterTheirFirstMemberAndCounted) {
  const struct { std::vector<std::pair<size_t, uint32_t>> files; std::vector<int32_t> groups; uint32_t count; float bytes; } cases[] = {
      {{{5, 1}, {5, 1}, {5, 1}}, {1, 1, 1}, 3, 10}, {{{5, 2}, {5, 1}, {5, 1}}, {0, 2, 2}, 2, 5},
      {{{5, 1}, {5, 1}, {7, 1}}, {1, 1, 0}, 2, 5}, {{{900, 1}, {900, 2}, {900, 1}, {900, 2}}, {1, 2, 1, 2}, 4, 1800},
      {{{3000, 1}, {3000, 1}, {3000, 1}, {70000, 2}, {70000, 3}, {70000, 2}}, {1, 1, 1, 4, 0, 4}, 5, 76000}, {{{0, 0}, {0, 0}}, {1, 1}, 2, 0},
  };
  for (const auto& c : cases) {
    Restart();
    for (auto [size, seed] : c.files) AddFiles("f", size, seed);
    FindDuplicates();
    EXPECT_EQ(Groups(), c.groups);
    EXPECT_EQ(searchState.duplicateCount, c.count);
    EXPECT_EQ(searchState.duplicateBytes, c.bytes);
    EXPECT_EQ(fake::OpenHandles(), 0);
  }
}

// An outer file that cannot be opened, grew since the scan or whose reads fail
// takes no part and the rest group among themselves; a later one is never
// grouped. No message, but each is counted as skipped.
TEST_F(GroupingPass, AFileThatCannotBeOpenedOrReadOrThatChangedTakesNoPartAndIsCountedAsSkipped) {
  // breakAt -1: the open is refused; -2: the file grows.
  using Fault = fake::ReadFault;
  const struct { uint32_t file; int64_t breakAt; Fault fault; std::vector<int32_t> groups; } cases[] = {
      {0, -1, Fault::Error, {0, 2, 2, 2}}, {1, -1, Fault::Error, {1, 0, 1, 1}}, {0, 0, Fault::Error, {0, 2, 2, 2}},
      {0, 0, Fault::ZeroBytes, {0, 2, 2, 2}}, {0, 1000, Fault::Short, {0, 2, 2, 2}}, {0, 100000, Fault::Error, {0, 2, 2, 2}},
      {2, 100000, Fault::Short, {1, 1, 0, 1}}, {0, -2, Fault::Error, {0, 2, 2, 2}}, {3, -2, Fault::Error, {1, 1, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.file) + " at " + std::to_string(c.breakAt));
    Restart();
    AddFiles("abcd", 300 * 1024, 4);
    if (c.breakAt == -1) fake::RefuseOpen(Entry(c.file).path);
    if (c.breakAt == -2) std::ofstream(Entry(c.file).path, std::ios::app) << "grown";
    if (c.breakAt >= 0) fake::BreakReads(Entry(c.file).path, static_cast<uint64_t>(c.breakAt), c.fault);
    FindDuplicates();
    EXPECT_EQ(Groups(), c.groups);
    EXPECT_EQ(searchState.duplicateCount, 3u);
    EXPECT_EQ(searchState.skippedFiles, 1u);
    EXPECT_TRUE(enginetest::shownMessages.empty());
    EXPECT_EQ(fake::OpenHandles(), 0);
  }
}

TEST_F(GroupingPass, AFileReachedByTwoPathsNeverGroupsWithItself) {
  AddFiles("a", 4000, 6);
  ASSERT_EQ(link(Entry(0).path, temp.At("b").c_str()), 0);
  AddPath(temp.At("b"));
  AddFiles("c", 4000, 6);
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 0, 1}));
  EXPECT_EQ(searchState.skippedFiles, 0u);  // no fault of the file
}

TEST_F(GroupingPass, NoMemoryForACacheShowsTheMessageAndEndsThePass) {
  for (size_t failing : {size_t{0}, size_t{64 * 1024}}) {
    Restart();
    static size_t smallestFailing;
    smallestFailing = failing;
    resizeCacheStorage = [](void* block, size_t bytes) { return bytes >= smallestFailing ? nullptr : realloc(block, bytes); };
    AddFiles("ab", 300 * 1024, 1);
    AddFiles("cd", 400 * 1024, 1);
    FindDuplicates();
    EXPECT_EQ(enginetest::shownMessages, (std::vector<std::string>{"Fehler!|Nicht mehr genug Speicher."}));
    EXPECT_EQ(Groups(), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(fake::OpenHandles(), 0);
  }
}

TEST_F(GroupingPass, ALongRunSplitsIntoFilesWhoseBlocksAllAgreeAndUnreadableOnesTakeNoPart) {
  const size_t size = 200000;
  AddFiles("a!", size, 1, 5);              // differs in the first block
  AddFiles("!aaaaaa", size, 1, size - 1);  // in the last
  fake::RefuseOpen(Entry(5).path);
  fake::BreakReads(Entry(6).path, 100000, fake::ReadFault::Short);
  fake::BreakReads(Entry(7).path, size - 1, fake::ReadFault::ZeroBytes);
  fake::BreakReads(Entry(8).path, 5000, fake::ReadFault::Error);
  int32_t parts[9];
  ASSERT_TRUE(SplitRunByContent(0, 9, parts));
  EXPECT_EQ(std::set<int32_t>({parts[0], parts[3], parts[4]}).size(), 1u);
  EXPECT_EQ(std::set<int32_t>({parts[0], parts[1], parts[2]}).size(), 3u);
  for (int k : {5, 6, 7, 8}) EXPECT_EQ(parts[k], UnknownPart) << k;
  longRunThreshold = 2;
  FindDuplicates();
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 0, 0, 1, 1, 0, 0, 0, 0}));
  for (int k : {5, 6, 7, 8}) EXPECT_EQ(Entry(k).done, 1) << k;
}

// Random runs of copies of a few variants differing early, midway or at the
// end; refused opens, broken reads, second paths, names in both cases.
TEST_F(GroupingPass, SplittingLongRunsGivesExactlyWhatThePairwisePassGives) {
  const uint64_t sizes[] = {0, 1, 700, 2048, 5000, 40000, 140000, 300000};
  const char* names[] = {"a.bin", "A.BIN", "b.bin", "\xE4.bin", "\xC4.bin"};
  std::mt19937 random(20240611);
  for (int tree = 0; tree < 120; tree++) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    Restart();
    std::set<std::string> broken;  // which pass settles these depends on how far each reads
    for (int run = 1 + random() % 3, file = 0; run > 0; run--) {
      size_t size = sizes[random() % 8];
      std::vector<std::string> variants = {Pattern(size, random())};
      for (int v = random() % 6; v > 0 && size > 0; v--) {
        size_t places[] = {random() % size, size - 1, random() % std::min<size_t>(size, 3000), size / 2 + random() % ((size + 1) / 2)};
        variants.push_back(variants[random() % variants.size()]);
        variants.back()[places[random() % 4]] ^= static_cast<char>(1 + random() % 255);
      }
      std::vector<std::string> paths;
      for (int k = 2 + random() % 30; k > 0; k--, file++) {
        std::string name = "t" + std::to_string(tree) + "/" + std::to_string(file) + "/" + names[random() % 5];
        if (!paths.empty() && random() % 20 == 0) {
          temp.MakeFolder(name.substr(0, name.rfind('/')));
          EXPECT_EQ(link(paths[random() % paths.size()].c_str(), temp.At(name).c_str()), 0);
          paths.push_back(Entry(AddPath(temp.At(name))).path);
          continue;
        }
        const char* path = Entry(AddFile(name, variants[random() % variants.size()])).path;
        if (random() % 20 == 0) fake::RefuseOpen(path);
        if (size > 0 && random() % 15 == 0) fake::BreakReads(path, random() % size, fake::ReadFault(random() % 3)), broken.insert(path);
        else paths.push_back(path);  // reads break by path: no second path leads to a broken file
      }
    }
    SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
    settings.sameName = random() % 2;
    std::vector<FileEntry> table(fileTable.entries, fileTable.entries + fileTable.count);
    std::vector<std::string> results[2];
    for (int split = 0; split < 2; split++) {
      std::copy(table.begin(), table.end(), fileTable.entries);
      searchState = SearchState{1, 0, 0, 0, 0, 0, 0};
      longRunThreshold = split ? 2 : 0;
      FindDuplicates();
      for (uint32_t k = 0; k < fileTable.count; k++)
        results[split].push_back(std::to_string(Entry(k).groupId) + (broken.count(Entry(k).path) ? "" : Entry(k).done ? "+" : "-"));
      results[split].push_back(std::to_string(searchState.duplicateCount) + " " + std::to_string(searchState.duplicateBytes));
      EXPECT_EQ(fake::OpenHandles(), 0);
    }
    EXPECT_EQ(results[1], results[0]);
  }
}

std::vector<std::string> rows;

TEST_F(GroupingPass, EachGroupIsListedHeadFirstThenItsLengthAndAnEmptyRow) {
  setenv("TZ", "UTC", 1);  // time stamps are local time
  tzset();
  const std::string longest(259, 'p');
  const struct { const char* path; uint64_t size; int32_t group; } files[] = {{"C:\\Bilder\\Urlaub.jpg", 100, 1},
      {longest.c_str(), 100, 1}, {"x", 100, 0}, {"d", 4294967396, 4}, {"b", 4294967396, 5}, {"e", 4294967396, 4}, {"c", 4294967396, 5}};
  for (const auto& file : files) {
    FileEntry& entry = Entry(fileTable.count++);
    CopyText(entry.path, MaxPath, file.path);
    entry.size = file.size;
    entry.groupId = file.group;
    entry.creationTime = FileTime{0x5DD2A000u, 0x01C073EAu};   // 01.01.2001 12:00:00 UTC
    entry.lastWriteTime = FileTime{0x10932180u, 0x01D9B23Cu};  // 09.07.2023 08:05:03 UTC
  }
  auto Row = [](int index, const std::string& path) {
    return std::to_string(index) + ":file:" + path + "    create:01.01.2001  12:00:00    write:09.07.2023  08:05:03";
  };
  RowSink collect = [](int32_t item, const char* text) { rows.push_back(std::to_string(item) + ":" + text); };
  ListDuplicateGroups(collect);
  EXPECT_EQ(rows, (std::vector<std::string>{Row(0, "C:\\Bilder\\Urlaub.jpg"), Row(1, longest), "-1:-- L\xE4nge:100 Byte --", "-1:",
                                            Row(3, "d"), Row(5, "e"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:",
                                            Row(4, "b"), Row(6, "c"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:"}));
  rows.clear();
  ListDuplicateGroups(collect);
  EXPECT_TRUE(rows.empty());  // the groups were consumed
  unsetenv("TZ");
  tzset();
}

}  // namespace
