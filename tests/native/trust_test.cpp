// Off the happy path: files that change, loop, block or are locked; hostile
// names, filters and arguments; ordered runs for the sort.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "cli/arguments.h"
#include "cli/text.h"
#include "engine/compare.h"
#include "engine/group.h"
#include "engine/scan.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "fake_platform.h"
#include "platform/posix_held_files.h"
#include "platform/wildcard.h"

namespace {

using Trust = enginetest::EngineTest;

TEST_F(Trust, FilesThatGrewAreNeverEqualAndFilesLeftOutAreCounted) {
  std::string bytes = enginetest::Pattern(5000, 1);
  uint32_t a = AddFile("a", bytes), b = AddFile("b", bytes);
  PrepareOuter(a);
  std::ofstream(Entry(a).path, std::ios::app) << "grown while held open";
  EXPECT_EQ(CompareFiles(a, b), 0);
  ReleaseAll();
  fileTable.count = 0;
  searchState = SearchState{1, 0, 0, 0, 0, 0};
  AddFile("c", bytes);
  AddFile("d", bytes);  // grows before the pass opens it
  std::ofstream(Entry(1).path, std::ios::app) << "x";
  ASSERT_EQ(link(Entry(0).path, temp.At("second-path").c_str()), 0);
  AddPath(temp.At("second-path"));  // the same file again: no fault of the file
  fake::RefuseOpen(Entry(AddFile("e", bytes)).path);
  FindDuplicates();
  EXPECT_EQ(searchState.duplicateCount, 0u);
  EXPECT_EQ(searchState.skippedFiles, 2u);
}

TEST_F(Trust, FolderLoopsAreNotEnteredButASecondRouteIsWalkedAgain) {
  const struct { const char *link, *target; uint32_t files; } cases[] = {
      {"back", ".", 2}, {"sub/up", "..", 2}, {"again", "sub", 3}};
  for (const auto& c : cases) {
    TempFolder tree;
    tree.Write("x.txt", "1");
    tree.Write("sub/y.txt", "2");
    ASSERT_EQ(symlink(c.target, tree.At(c.link).c_str()), 0);
    fileTable.count = 0;
    ScanDirectory(tree.path.c_str());
    EXPECT_EQ(fileTable.count, c.files) << c.link;
  }
}

TEST_F(Trust, AListingOutOfMemoryEndsTheRunWithTheMemoryMessageAndKeepsTheRest) {
  temp.Write("top.txt", "1");
  temp.Write("sub/below.txt", "2");
  platform.findFirst = [](const char* pattern, DirEntry* entry) -> DirListing* {
    if (!strstr(pattern, "/sub/")) return systemPlatform.findFirst(pattern, entry);
    errno = ENOMEM;
    return nullptr;
  };
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 1u);
  EXPECT_EQ(searchState.running, 0);
  ASSERT_EQ(enginetest::shown.messages.size(), 1u);
  EXPECT_EQ(enginetest::shown.messages[0].caption, "Nicht mehr genug Speicher.");
}

// Exits with 0 when all 150 pairs were found (two counts each) and none skipped.
void GroupUnderOpenFileLimit(rlim_t most) {
  struct rlimit limit = {most, most};
  setrlimit(RLIMIT_NOFILE, &limit);
  heldDescriptorCap = 0;
  FindDuplicates();
  exit(searchState.duplicateCount == 300 && searchState.skippedFiles == 0 ? 0 : 1);
}

// A FIFO swapped in, another program's lock, a low open-file limit: no open
// blocks, and no file drops out.
TEST_F(Trust, OpensNeverBlockAndNeitherLocksNorTheOpenFileLimitDropAFile) {
  ASSERT_EQ(mkfifo(temp.At("fifo").c_str(), 0600), 0);
  EXPECT_EQ(platform.openExclusive(temp.At("fifo").c_str()), InvalidFileHandle);
  for (int k = 0; k < 150; k++) {
    std::string bytes = enginetest::Pattern(600, 10 + k);
    AddFile("a" + std::to_string(k), bytes);
    AddFile("b" + std::to_string(k), bytes);
  }
  int locked = open(Entry(0).path, O_RDONLY);
  ASSERT_EQ(flock(locked, LOCK_EX), 0);
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  EXPECT_EXIT(GroupUnderOpenFileLimit(32), ::testing::ExitedWithCode(0), "");
  close(locked);
}

TEST(PosixOpen, AFileReplacedWhileDetachedIsNotReadInItsPlace) {
  TempFolder temp;
  uint32_t savedCap = heldDescriptorCap;
  heldDescriptorCap = 1;  // each open detaches the file opened before
  FileHandle held = platform.openExclusive(temp.Write("held", "original").c_str());
  FileHandle other = platform.openExclusive(temp.Write("other", "x").c_str());
  ASSERT_EQ(rename(temp.Write("intruder", "intruder").c_str(), temp.At("held").c_str()), 0);
  char bytes[16];
  uint32_t count = 0;
  EXPECT_FALSE(platform.readAt(held, 0, bytes, sizeof bytes, &count));
  platform.closeFile(held);
  platform.closeFile(other);
  heldDescriptorCap = savedCap;
}

// The matcher as it stood: exponential, but plainly right.
bool Backtracking(const char* p, const char* n) {
  for (; *p; ++p, ++n) {
    if (*p == '*') {
      for (const char* rest = n;; ++rest)
        if (Backtracking(p + 1, rest) || !*rest) return Backtracking(p + 1, rest);
    }
    if (!*n) return strspn(p, "*?.") == strlen(p);
    if (*p == '?' && *n == '.' && Backtracking(p + 1, n)) return true;
    if (*p != '?' && toupper(*p) != toupper(*n)) return false;
  }
  return !*n;
}

TEST(Wildcard, AgreesWithTheBacktrackingRulesWithoutBacktracking) {
  std::mt19937 random(8);
  for (int round = 0; round < 20000; round++) {
    std::string pattern, name;
    for (int k = random() % 7; k > 0; k--) pattern += "aAb.*?"[random() % 6];
    for (int k = random() % 8; k > 0; k--) name += "aAb."[random() % 4];
    if (pattern != "*.*")
      ASSERT_EQ(MatchesWildcard(pattern.c_str(), name.c_str()),
                Backtracking(pattern.c_str(), name.c_str())) << pattern << " ~ " << name;
  }
  std::string stars;
  for (int k = 0; k < 40; k++) stars += "*a";
  EXPECT_FALSE(MatchesWildcard((stars + "*b").c_str(), std::string(250, 'a').c_str()));
}

TEST(ConsoleFrontEnd, RowsEscapeControlBytesAndArgumentsMustFitAListingPattern) {
  const char* rows[][2] = {{"a\nfile:/etc/passwd", "a%0Afile:/etc/passwd"}, {"50%", "50%25"},
                            {"\t\r\x1F\x7F", "%09%0D%1F%7F"}, {"\xFC~ ", "\xFC~ "}};
  char out[64];
  for (const auto& row : rows) {
    EXPECT_EQ(EscapeControlBytes(row[0], out, sizeof out), strlen(row[0]));
    EXPECT_STREQ(out, row[1]);
  }
  EXPECT_EQ(EscapeControlBytes("a\n\n", out, 5), 2u);  // room for one escape, not two
  EXPECT_STREQ(out, "a%0A");

  const struct { size_t folder; const char* trailing; size_t filter; bool ok; } cases[] = {
      {255, "", 0, true}, {256, "", 0, false}, {255, "//", 0, true},
      {10, "", 248, true}, {10, "", 249, false}, {256, "", 1, false}};  // "*.*" for subfolders
  for (const auto& c : cases) {
    std::string folder = std::string(c.folder, 'd') + c.trailing;
    std::string filter = c.filter ? std::string(c.filter, 'f') : "*.*";
    const char* argv[] = {"parvik-cli", "--filter", filter.c_str(), folder.c_str()};
    CliOptions options;
    CliError error;
    EXPECT_EQ(ParseCliArguments(4, argv, &options, &error), c.ok) << c.folder << "+" << c.filter;
  }
}

// The sort as it stood: the same partitions without the ordered-run check.
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

TEST(SizeSortRuns, OrderedAndEqualRunsComeOutAsThePlainSortLeavesThem) {
  ASSERT_TRUE(fileTable.entries || CreateFileTable());
  std::mt19937 random(12);
  for (int round = 0; round < 400; round++) {
    std::vector<uint64_t> sizes(random() % 60);
    for (uint64_t& size : sizes) size = random() % (round % 3 ? 40 : 3);
    if (round % 2) std::sort(sizes.begin() + random() % (sizes.size() + 1), sizes.end());
    std::vector<int32_t> order[2];
    for (int pass = 0; pass < 2; pass++) {
      for (size_t k = 0; k < sizes.size(); k++) {
        fileTable.entries[k].size = sizes[k];
        fileTable.entries[k].leadingTagBytes = fileTable.entries[k].trailingTagBytes = 0;
        fileTable.entries[k].groupId = static_cast<int32_t>(k);
      }
      int32_t last = static_cast<int32_t>(sizes.size()) - 1;
      pass ? SortBySize(0, last) : PlainSort(0, last);
      for (size_t k = 0; k < sizes.size(); k++) order[pass].push_back(fileTable.entries[k].groupId);
    }
    ASSERT_EQ(order[0], order[1]) << "round " << round;
  }
}

}  // namespace
