#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>

#include "engine/compare.h"
#include "engine/path_store.h"
#include "engine/group.h"
#include "engine/hooks.h"
#include "engine/listing.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"

using enginetest::Pattern;

namespace {

struct GroupingPass : enginetest::EngineTest {
  void AddFiles(int count, size_t size, uint32_t seed) {
    while (count-- > 0) AddFile(std::to_string(fileTable.count), Pattern(size, seed));
  }
};

TEST_F(GroupingPass, TheSizeSortArrangesRecordsAsThePlainPartitionSchemeWithOrderedRunsTakenFast) {
  const uint64_t g = uint64_t{1} << 32;
  const struct { std::vector<uint64_t> sizes; std::vector<int32_t> order; } cases[] = {
      {{3, 1, 3, 2, 3, 1, 2, 2, 3, 1}, {9, 1, 5, 3, 7, 6, 2, 4, 8, 0}},
      {{2, 2, 1, 1, 3, 4, 4, 5, 5, 2}, {3, 2, 1, 0, 9, 4, 6, 5, 8, 7}},
      {{1, 2, 3, 1, 2, 3, 3, 0, 4}, {7, 0, 3, 1, 4, 5, 6, 2, 8}},
      {{g + 1, 1, g, 1, g + 1, g}, {3, 1, 2, 5, 4, 0}}};
  for (const auto& c : cases) {
    for (size_t k = 0; k < c.sizes.size(); k++) {
      Entry(k) = FileEntry{};
      Entry(k).size = c.sizes[k];
      Entry(k).groupId = static_cast<int32_t>(k);
    }
    SortBySize(0, static_cast<int32_t>(c.sizes.size()) - 1);
    for (size_t k = 0; k < c.sizes.size(); k++) EXPECT_EQ(Entry(k).groupId, c.order[k]) << c.sizes[0] << " at " << k;
  }
}

TEST_F(GroupingPass, NoMemoryForARunShowsTheMessageAndEndsThePass) {
  for (size_t failing : {size_t{0}, size_t{64 * 1024}, size_t{700 * 1024}}) {
    Restart();
    static size_t smallestFailing;
    smallestFailing = failing;
    obtainCompareStorage = [](size_t bytes) { return bytes >= smallestFailing ? nullptr : malloc(bytes); };
    AddFiles(2, 300 * 1024, 1);
    AddFiles(2, 400 * 1024, 1);
    FindDuplicates();
    EXPECT_EQ(enginetest::shownMessages, (Texts{"Fehler!|Nicht mehr genug Speicher."}));
    EXPECT_EQ(Groups(), failing > 64 * 1024 ? (std::vector<int32_t>{1, 1, 0, 0}) : (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(fake::OpenHandles(), 0);
  }
}

TEST_F(GroupingPass, CancelEndsEvenOneLongComparisonAndItsFilesFormNoGroup) {
  static int64_t clock;
  static int pumps, reads;
  clock = 0;
  pumps = 0;
  reads = 0;
  platform.clockSeconds = [] { return ++clock; };
  engineHooks.pumpMessages = [] { pumps++; };
  platform.readAt = [](FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
    if (++reads < 41) return systemPlatform.readAt(file, offset, dest, n, count);
    searchState.running = 0;
    *count = 0;
    return false;
  };
  compareLimits = {8, 64, 4096};
  AddFiles(2, 100, 1);
  AddFiles(2, 64 * 1024, 2);
  FindDuplicates();
  EXPECT_EQ(reads, 41);
  EXPECT_GE(pumps, 40);
  EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 1, 0, 0}));
  EXPECT_EQ(searchState.duplicateCount, 2u);
  EXPECT_EQ(searchState.skippedFiles, 0u);
  EXPECT_EQ(fake::OpenHandles(), 0);
}

TEST_F(GroupingPass, GroupsAndCountersAreWhatComparingEveryPairWholeGives) {
  const uint64_t sizes[] = {0, 1, 7, 700, 2048, 5000, 40000};
  const char* names[] = {"a.bin", "A.BIN", "b.bin", "\xE4.bin", "\xC4.bin"};
  const CompareLimits limitSets[] = {defaultCompareLimits, {8, 512, 16384}, {8, 64, 600}, {8, 256, 40}};
  std::mt19937 random(20240611);
  const auto saved = hashBlock;
  for (int tree = 0; tree < 160; tree++) {
    SCOPED_TRACE("tree " + std::to_string(tree));
    Restart();
    std::set<std::string> broken, refused;
    for (int run = 1 + random() % 3, file = 0; run > 0; run--) {
      size_t size = sizes[random() % 7];
      Texts variants = {Pattern(size, random())};
      for (int v = random() % 6; v > 0 && size > 0; v--) {
        size_t places[] = {random() % size, size - 1, random() % std::min<size_t>(size, 520), std::min<size_t>(size - 1, 4094 + random() % 4)};
        variants.push_back(variants[random() % variants.size()]);
        variants.back()[places[random() % 4]] ^= static_cast<char>(1 + random() % 255);
      }
      Texts paths;
      for (int k = 2 + random() % 40; k > 0; k--, file++) {
        std::string name = "t" + std::to_string(tree) + "/" + std::to_string(file) + "/" + names[random() % 5];
        if (!paths.empty() && random() % 20 == 0) {
          temp.MakeFolder(name.substr(0, name.rfind('/')));
          EXPECT_EQ(link(paths[random() % paths.size()].c_str(), temp.At(name).c_str()), 0);
          paths.push_back(Entry(AddPath(temp.At(name))).path);
          continue;
        }
        const char* path = Entry(AddFile(name, variants[random() % variants.size()])).path;
        if (random() % 20 == 0) {
          fake::RefuseOpen(path);
          refused.insert(path);
        }
        if (random() % 40 == 0) {
          std::ofstream(path, std::ios::app) << "grown";
        } else if (size > 0 && random() % 15 == 0) {
          fake::BreakReads(path, random() % size, fake::ReadFault(random() % 4));
        } else {
          paths.push_back(path);
          continue;
        }
        broken.insert(path);
      }
    }
    SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
    settings.sameName = random() % 2;
    compareLimits = limitSets[random() % 4];
    heldDescriptorCap = 2 + tree % 8;
    hashBlock = [](const uint8_t* block, uint32_t n) -> uint64_t { return n ? block[0] & 1 : 0; };
    if (tree % 2) hashBlock = saved;
    FindDuplicates();
    const uint32_t n = fileTable.count;
    std::vector<std::pair<std::string, ino_t>> files;
    for (uint32_t k = 0; k < n; k++) {
      struct stat info;
      std::ifstream in(Entry(k).path, std::ios::binary);
      files.emplace_back(std::string(std::istreambuf_iterator<char>(in), {}), stat(Entry(k).path, &info) ? 0 : info.st_ino);
    }
    auto together = [&](uint32_t a, uint32_t b) {
      return a != b && Entry(a).size == Entry(b).size && (!settings.sameName || SameTextIgnoringAsciiCase(FileNameOf(Entry(a).path), FileNameOf(Entry(b).path)));
    };
    std::vector<int32_t> expected(n, 0);
    uint32_t count = 0, skipped = 0;
    float bytes = 0;
    for (uint32_t a = 0; a < n; a++) {
      bool partnered = false, held = false;
      for (uint32_t b = 0; b < n; b++) {
        partnered |= together(a, b);
        held |= b < a && together(a, b) && expected[b] == 0 && files[a].second == files[b].second;
      }
      bool refusedOpen = refused.count(Entry(a).path);
      if (partnered && (held || refusedOpen || broken.count(Entry(a).path))) {
        expected[a] = -1;
        skipped += refusedOpen;
      }
    }
    for (uint32_t a = 0; a < n; a++)
      for (uint32_t b = a + 1; b < n; b++)
        if ((expected[a] == 0 || expected[a] == int32_t(a + 1)) && expected[b] == 0 && together(a, b) && files[a].first == files[b].first) {
          count += expected[a] ? 1 : 2;
          expected[a] = expected[b] = int32_t(a + 1);
          bytes += Entry(b).size;
        }
    std::replace(expected.begin(), expected.end(), -1, 0);
    EXPECT_EQ(Groups(), expected);
    EXPECT_EQ(searchState.duplicateCount, count);
    EXPECT_EQ(searchState.duplicateBytes, bytes);
    hashBlock = saved;
    EXPECT_LE(skipped, searchState.skippedFiles);
    EXPECT_LE(searchState.skippedFiles, skipped + broken.size());
    EXPECT_TRUE(enginetest::shownMessages.empty());
    EXPECT_EQ(fake::OpenHandles(), 0);
  }
  heldDescriptorCap = 0;
}

Texts rows;

TEST_F(GroupingPass, EachGroupIsListedHeadFirstThenItsLengthAndAnEmptyRow) {
  setenv("TZ", "UTC", 1);
  tzset();
  const std::string longest(259, 'p');
  const struct { const char* path; uint64_t size; int32_t group; } files[] = {{"C:\\B\\U.jpg", 100, 1},
      {longest.c_str(), 100, 1}, {"x", 100, 0}, {"d", 4294967396, 4}, {"b", 4294967396, 5}, {"e", 4294967396, 4}, {"c", 4294967396, 5}};
  auto Row = [](int index, const std::string& path) {
    return std::to_string(index) + ":file:" + path + "    create:01.01.2001  12:00:00    write:09.07.2023  08:05:03";
  };
  RowSink collect = [](int32_t item, const char* text) { rows.push_back(std::to_string(item) + ":" + text); };
  for (int run = 0; run < 2; run++) {
    fileTable.count = 0;
    for (const auto& file : files) {
      FileEntry& entry = Entry(fileTable.count++);
      entry.path = StorePath(file.path);
      entry.size = file.size;
      entry.groupId = file.group;
      entry.creationTime = FileTime{0x5DD2A000u, 0x01C073EAu};
      entry.lastWriteTime = FileTime{0x10932180u, 0x01D9B23Cu};
    }
    if (run) obtainCompareStorage = [](size_t) -> void* { return nullptr; };
    ListDuplicateGroups(collect);
    EXPECT_EQ(rows, (Texts{Row(0, "C:\\B\\U.jpg"), Row(1, longest), "-1:-- L\xE4nge:100 Byte --", "-1:",
                           Row(3, "d"), Row(5, "e"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:",
                           Row(4, "b"), Row(6, "c"), "-1:-- L\xE4nge:4294967396 Byte --", "-1:"}));
    rows.clear();
    ListDuplicateGroups(collect);
    EXPECT_TRUE(rows.empty());
  }
  unsetenv("TZ");
  tzset();
}

}
