// Off the happy path: files that change, vanish, loop or block; hostile names,
// filters and arguments; ordered runs for the sort.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/cli_arguments.h"
#include "app/cli_text.h"
#include "engine/compare.h"
#include "engine/file_table.h"
#include "engine/group.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "fake_platform.h"
#include "platform/platform.h"
#include "platform/posix_held_files.h"
#include "platform/wildcard.h"

namespace {

using enginetest::EngineTest;

void Append(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::app | std::ios::binary) << bytes;
}

int GroupedEntries() {
  int grouped = 0;
  for (uint32_t k = 0; k < fileTable.count; k++) grouped += fileTable.entries[k].groupId != 0;
  return grouped;
}

class Trust : public EngineTest {};

TEST_F(Trust, AFileThatGrewSinceTheScanIsNeverEqualAndCountsAsSkipped) {
  const std::string bytes = enginetest::Pattern(5000, 1);
  // Grown before the pass opens it, and grown while the pass holds it open.
  for (bool whileOpen : {false, true}) {
    ReleaseAll();
    fileTable.count = 0;
    searchState.skippedFiles = 0;
    uint32_t a = AddFile("a" + std::to_string(whileOpen), bytes);
    uint32_t b = AddFile("b" + std::to_string(whileOpen), bytes);
    if (whileOpen) {
      PrepareOuter(a);
      Append(Entry(a).path, "more");
      EXPECT_EQ(CompareFiles(a, b), 0);
    } else {
      Append(Entry(b).path, "more");
      FindDuplicates();
      EXPECT_EQ(GroupedEntries(), 0);
    }
    EXPECT_EQ(searchState.skippedFiles, 1u) << whileOpen;
    EXPECT_EQ(searchState.duplicateCount, 0u);
  }
}

TEST_F(Trust, SkippedCountsRefusedFilesButNotASecondPathToAHeldOne) {
  std::string bytes = enginetest::Pattern(3000, 2);
  AddFile("one", bytes);
  std::string other = temp.At("hard-link");
  ASSERT_EQ(link(Entry(0).path, other.c_str()), 0);
  AddPath(other);
  AddFile("locked", bytes);
  fake::RefuseOpen(Entry(2).path);
  FindDuplicates();
  EXPECT_EQ(GroupedEntries(), 0);
  EXPECT_EQ(searchState.skippedFiles, 1u);
}

TEST_F(Trust, FolderLoopsAreNotEnteredButASecondRouteIsWalkedAgain) {
  struct Case {
    const char* link;
    const char* target;
    uint32_t files;
  };
  const Case cases[] = {
      {"back", ".", 2},       // a link to the folder itself
      {"sub/up", "..", 2},    // a link from below to the folder above
      {"again", "sub", 3},    // another way into sub: walked twice, as always
  };
  for (const Case& c : cases) {
    TempFolder tree;
    tree.Write("x.txt", "1");
    tree.Write("sub/y.txt", "2");
    ASSERT_EQ(symlink(c.target, tree.At(c.link).c_str()), 0);
    fileTable.count = 0;
    ScanDirectory(tree.path.c_str());
    EXPECT_EQ(fileTable.count, c.files) << c.link;
  }
}

DirListing* OutOfMemoryBelowTop(const char* pattern, DirEntry* entry) {
  if (strstr(pattern, "/sub/")) {
    errno = ENOMEM;
    return nullptr;
  }
  return systemPlatform.findFirst(pattern, entry);
}

TEST_F(Trust, AListingThatRunsOutOfMemoryEndsTheRunWithTheMemoryMessage) {
  temp.Write("top.txt", "1");
  temp.Write("sub/below.txt", "2");
  temp.Write("tail/after.txt", "3");
  platform.findFirst = OutOfMemoryBelowTop;
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 1u);  // what was gathered stays
  EXPECT_EQ(searchState.running, 0);
  ASSERT_EQ(enginetest::shown.messages.size(), 1u);
  EXPECT_EQ(enginetest::shown.messages[0].caption, "Nicht mehr genug Speicher.");
}

// Hostile neighbours of an open: none of them may block or drop the file.
TEST(PosixOpen, NeverBlocksOnAFifoAndIgnoresOtherProgramsLocks) {
  TempFolder temp;
  std::string fifo = temp.At("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(platform.openExclusive(fifo.c_str()), InvalidFileHandle);

  std::string file = temp.Write("locked", "data");
  int other = open(file.c_str(), O_RDONLY);
  ASSERT_EQ(flock(other, LOCK_EX), 0);
  FileHandle handle = platform.openExclusive(file.c_str());
  EXPECT_NE(handle, InvalidFileHandle);
  platform.closeFile(handle);
  close(other);
}

TEST(PosixOpen, ADetachedFileReplacedOnDiskIsNotReadInItsPlace) {
  TempFolder temp;
  std::string first = temp.Write("first", "original");
  std::string second = temp.Write("second", "intruder");
  uint32_t savedCap = heldDescriptorCap;
  heldDescriptorCap = 1;  // opening the second detaches the first
  FileHandle a = platform.openExclusive(first.c_str());
  FileHandle b = platform.openExclusive(second.c_str());
  ASSERT_NE(b, InvalidFileHandle);
  char bytes[16];
  uint32_t count = 0;
  EXPECT_TRUE(platform.readAt(a, 0, bytes, sizeof bytes, &count));  // reattached
  EXPECT_EQ(std::string(bytes, count), "original");
  platform.closeFile(b);
  ASSERT_EQ(rename(second.c_str(), first.c_str()), 0);
  FileHandle c = platform.openExclusive(temp.Write("third", "x").c_str());  // detaches a
  EXPECT_FALSE(platform.readAt(a, 0, bytes, sizeof bytes, &count));
  platform.closeFile(a);
  platform.closeFile(c);
  heldDescriptorCap = savedCap;
}

// Exits with 0 when every file of the table found its twin and none was skipped.
void GroupUnderOpenFileLimit(rlim_t most) {
  struct rlimit limit = {most, most};
  setrlimit(RLIMIT_NOFILE, &limit);
  heldDescriptorCap = 0;
  FindDuplicates();
  bool all = GroupedEntries() == static_cast<int>(fileTable.count);
  exit(all && searchState.skippedFiles == 0 ? 0 : 1);
}

// 150 identical pairs under an open-file limit of 32, in a child process.
TEST_F(Trust, ALowOpenFileLimitDropsNoFile) {
  for (int k = 0; k < 150; k++) {
    std::string bytes = enginetest::Pattern(600, 10 + k);
    AddFile("a" + std::to_string(k), bytes);
    AddFile("b" + std::to_string(k), bytes);
  }
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  EXPECT_EXIT(GroupUnderOpenFileLimit(32), ::testing::ExitedWithCode(0), "");
}

// The matcher as it stood, exponential but plainly right, for comparison.
bool ReferenceMatch(const char* p, const char* n) {
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  while (*p) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      for (const char* rest = n;; ++rest) {
        if (ReferenceMatch(p, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*n) return strspn(p, "*?.") == strlen(p);
    if (*p == '?') {
      if (*n == '.' && ReferenceMatch(p + 1, n)) return true;
    } else if (upper(*p) != upper(*n)) {
      return false;
    }
    ++p;
    ++n;
  }
  return !*n;
}

TEST(Wildcard, AgreesWithTheBacktrackingRulesAndNeverBacktracks) {
  std::mt19937 random(8);
  const char alphabet[] = "aAb.*?";
  for (int round = 0; round < 20000; round++) {
    std::string pattern, name;
    for (int k = random() % 7; k > 0; k--) pattern += alphabet[random() % 6];
    for (int k = random() % 8; k > 0; k--) name += alphabet[random() % 3 + (random() % 4 == 0)];
    if (pattern == "*.*") continue;
    ASSERT_EQ(MatchesWildcard(pattern.c_str(), name.c_str()),
              ReferenceMatch(pattern.c_str(), name.c_str()))
        << pattern << " ~ " << name;
  }
  // Backtracking would take ages here.
  std::string stars;
  for (int k = 0; k < 40; k++) stars += "*a";
  EXPECT_FALSE(MatchesWildcard((stars + "*b").c_str(), std::string(250, 'a').c_str()));
}

TEST(ConsoleRows, ControlBytesAndTheEscapeCharacterAreEscaped) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\nfile:/etc/passwd", "a%0Afile:/etc/passwd"}, {"50%", "50%25"},
      {"tab\there\r", "tab%09here%0D"}, {"\x1F\x7F", "%1F%7F"},
      {"\xFCml aut~", "\xFCml aut~"},  // every other byte as it is
  };
  for (const auto& c : cases) {
    char out[64];
    EXPECT_EQ(EscapeControlBytes(c.first, out, sizeof out), strlen(c.first));
    EXPECT_STREQ(out, c.second);
  }
  char small[5];  // room for "ab" and one escape, not two
  EXPECT_EQ(EscapeControlBytes("a\n\n", small, sizeof small), 2u);
  EXPECT_STREQ(small, "a%0A");
}

TEST(CliArguments, FoldersAndFiltersWhoseListingPatternWouldNotFitAreRefused) {
  struct Case {
    size_t folder;
    const char* trailing;
    size_t filter;  // 0: the default "*.*"
    bool ok;
  };
  const Case cases[] = {
      {255, "", 0, true},   {256, "", 0, false},  {255, "//", 0, true},
      {10, "", 248, true},  {10, "", 249, false}, {1, "", 257, true},
  };
  for (const Case& c : cases) {
    std::string folder = std::string(c.folder, 'd') + c.trailing;
    std::string filter = c.filter ? std::string(c.filter, 'f') : "*.*";
    const char* argv[] = {"parvik-cli", "--filter", filter.c_str(), folder.c_str()};
    CliOptions options;
    CliError error;
    EXPECT_EQ(ParseCliArguments(4, argv, &options, &error), c.ok) << c.folder << "+" << c.filter;
  }
}

// The sort as it stood: the same partitions without the ordered-run check.
void ReferenceSort(int32_t lo, int32_t hi) {
  if (lo >= hi) return;
  FileEntry* e = fileTable.entries;
  uint64_t pivot = e[hi].size;
  int32_t i = lo, j = hi;
  while (j > i) {
    while (i < j && e[i].size <= pivot) i++;
    while (i < j && e[j].size >= pivot) j--;
    if (j > i) std::swap(e[i], e[j]);
  }
  if (i != hi) std::swap(e[i], e[hi]);
  ReferenceSort(lo, i - 1);
  ReferenceSort(i + 1, hi);
}

class OrderedRuns : public enginetest::TableTest {};

TEST_F(OrderedRuns, SortLeavesTheSameArrangementAsBefore) {
  std::mt19937 random(12);
  for (int round = 0; round < 400; round++) {
    uint32_t count = random() % 60;
    std::vector<uint64_t> sizes(count);
    for (uint64_t& size : sizes) size = random() % (round % 3 == 0 ? 3 : 40);
    // Ordered stretches of every kind: ascending, equal, ascending tails.
    uint32_t from = count ? random() % count : 0;
    if (round % 2) std::sort(sizes.begin() + from, sizes.end());
    if (round % 5 == 0) std::sort(sizes.begin(), sizes.end());
    std::vector<int32_t> expected;
    for (int pass = 0; pass < 2; pass++) {
      for (uint32_t k = 0; k < count; k++) {
        fileTable.entries[k].size = sizes[k];
        fileTable.entries[k].groupId = static_cast<int32_t>(k);
      }
      fileTable.count = count;
      pass == 0 ? ReferenceSort(0, static_cast<int32_t>(count) - 1)
                : SortBySize(0, static_cast<int32_t>(count) - 1);
      for (uint32_t k = 0; k < count; k++) {
        if (pass == 0) expected.push_back(fileTable.entries[k].groupId);
        else ASSERT_EQ(fileTable.entries[k].groupId, expected[k]) << "round " << round;
      }
    }
  }
}

}  // namespace
