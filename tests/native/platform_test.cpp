// The platform layer on POSIX: wildcard rules, exclusive opens that never
// block nor run out of descriptors; files that change under the search.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "engine/group.h"
#include "engine/sort.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"
#include "platform/wildcard.h"

namespace {

TEST(Wildcard, FollowsTheWindowsListingRules) {
  const struct { const char *pattern, *name; bool matches; } cases[] = {
      {"*.*", "README", true}, {"*.*", ".hidden", true}, {"*", "any.thing", true},  // all names
      {"*.MP3", "song.mp3", true}, {"bild.jpg", "BILD.JPG", true}, {"\xC4rger.txt", "\xE4rger.txt", false},  // only a-z fold
      {"*.txt", "a.b.txt", true}, {"*.txt", "a.txt.bak", false}, {"*.txt", "txt", false}, {"*.mp", "s.mp3", false},
      // '?' takes one character, or none at a dot or the end; a trailing ".*" also no extension
      {"a?c", "abc", true}, {"a?c", "ac", false}, {"file?.txt", "file.txt", true}, {"ab??", "ab", true},
      {"file?.txt", "file12.txt", false}, {"readme.*", "readme", true}, {"readme.*", "readme2", false},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

// The rules as a plain backtracking matcher: exponential, but plainly right.
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
    bool expected = pattern == "*.*" || Backtracking(pattern.c_str(), name.c_str());
    ASSERT_EQ(MatchesWildcard(pattern.c_str(), name.c_str()), expected) << pattern << " ~ " << name;
  }
  std::string stars;
  for (int k = 0; k < 40; k++) stars += "*a";
  EXPECT_FALSE(MatchesWildcard((stars + "*b").c_str(), std::string(250, 'a').c_str()));
}

TEST(ExclusiveOpen, ASecondOpenOfTheSameFileFailsWhateverThePathAndNoOpenBlocks) {
  TempFolder temp;
  std::string file = temp.Write("one", "data");
  ASSERT_EQ(link(file.c_str(), temp.At("other").c_str()), 0);
  FileHandle first = platform.openExclusive(file.c_str());
  ASSERT_NE(first, InvalidFileHandle);
  for (const std::string& path : {file, temp.At("other"), temp.path + "/./one"})
    EXPECT_EQ(platform.openExclusive(path.c_str()), InvalidFileHandle) << path;
  platform.closeFile(first);
  FileHandle again = platform.openExclusive(temp.At("other").c_str());
  EXPECT_NE(again, InvalidFileHandle);
  platform.closeFile(again);
  ASSERT_EQ(mkfifo(temp.At("fifo").c_str(), 0600), 0);
  EXPECT_EQ(platform.openExclusive(temp.At("fifo").c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(temp.path.c_str()), InvalidFileHandle);
}

using Trust = enginetest::EngineTest;

// Exits with 0 when all 150 pairs were found (two counts each) and none skipped.
void GroupUnderOpenFileLimit(rlim_t most) {
  struct rlimit limit = {most, most};
  setrlimit(RLIMIT_NOFILE, &limit);
  heldDescriptorCap = 0;
  FindDuplicates();
  exit(searchState.duplicateCount == 300 && searchState.skippedFiles == 0 ? 0 : 1);
}

TEST_F(Trust, NeitherAnotherProgramsLockNorALowOpenFileLimitDropAFile) {
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

}  // namespace
