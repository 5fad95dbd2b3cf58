#include "engine/scan.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "engine/group.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "engine_fixture.h"
#include "platform/posix_held_files.h"
#include "platform/wildcard.h"

namespace {

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

TEST(Wildcard, FollowsTheWindowsListingRulesWithoutBacktracking) {
  const struct { const char *pattern, *name; bool matches; } cases[] = {
      {"\xC4rger.txt", "\xE4rger.txt", false},
      {"file?.txt", "file.txt", true}, {"*.txt", "a.txt.bak", false}, {"readme.*", "readme", true}};
  for (const auto& c : cases) EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.name;
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

TEST(ExclusiveOpen, ASecondOpenOfTheSameFileFailsWhateverThePathAndNoOpenBlocksNorReadsAReplacedFile) {
  TempFolder temp;
  std::string file = temp.Write("one", "data");
  ASSERT_EQ(link(file.c_str(), temp.At("other").c_str()), 0);
  FileHandle first = platform.openExclusive(file.c_str());
  ASSERT_NE(first, InvalidFileHandle);
  for (const std::string& path : {file, temp.At("other"), temp.path + "/./one"})
    EXPECT_EQ(platform.openExclusive(path.c_str()), InvalidFileHandle) << path;
  heldDescriptorCap = 1;
  FileHandle again = platform.openExclusive(temp.Write("two", "old").c_str());
  ASSERT_EQ(rename(temp.Write("new", "new").c_str(), file.c_str()), 0);
  char bytes[4];
  uint32_t count = 0;
  EXPECT_FALSE(platform.readAt(first, 0, bytes, 4, &count) || platform.fileSize(first, reinterpret_cast<uint64_t*>(bytes)));
  EXPECT_TRUE(platform.readAt(again, 0, bytes, 3, &count) && count == 3 && memcmp(bytes, "old", 3) == 0);
  heldDescriptorCap = 0;
  for (FileHandle file : {first, again}) platform.closeFile(file);
  again = platform.openExclusive(temp.At("other").c_str());
  EXPECT_NE(again, InvalidFileHandle);
  platform.closeFile(again);
  ASSERT_EQ(mkfifo(temp.At("fifo").c_str(), 0600), 0);
  EXPECT_EQ(platform.openExclusive(temp.At("fifo").c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(temp.path.c_str()), InvalidFileHandle);
}

using Trust = enginetest::EngineTest;

void GroupUnderOpenFileLimit(rlim_t most) {
  struct rlimit limit = {most, most};
  setrlimit(RLIMIT_NOFILE, &limit);
  heldDescriptorCap = 0;
  FindDuplicates();
  exit(searchState.duplicateCount == 300 && searchState.skippedFiles == 0 ? 0 : 1);
}

TEST_F(Trust, NeitherAnotherProgramsLockNorALowOpenFileLimitDropAFile) {
  for (int k = 0; k < 300; k++) AddFile(std::to_string(k), enginetest::Pattern(600, k / 2));
  int locked = open(Entry(0).path, O_RDONLY);
  ASSERT_EQ(flock(locked, LOCK_EX), 0);
  EXPECT_EXIT(GroupUnderOpenFileLimit(32), ::testing::ExitedWithCode(0), "");
  close(locked);
}

struct Scan : enginetest::EngineTest {
  void Filter(const char* mask) { CopyText(settings.currentFilter, MaxPath, mask); }
  Texts ScannedPaths(const std::string& root) {
    Restart();
    ScanDirectory(root.c_str());
    Texts paths;
    for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(Entry(i).path + root.size() + 1);
    return paths;
  }
};

TEST_F(Scan, WalksDepthFirstFilesBeforeSubfoldersWithFilterAndStrictMinimumSize) {
  for (const char* name : {"b.txt", "A.txt", "empty.txt", ".hidden", "sub2.dat/x.txt", "sub1/deeper/y.txt", "sub1/z.dat", ".../i"})
    temp.Write(name, std::string(name[0] == 'b' ? 101 : name[0] == 'A' ? 100 : name[0] != 'e', 'x'));
  const uint64_t huge = (uint64_t{1} << 32) + 10;
  ASSERT_FALSE(temp.WriteSparse("big.txt", huge, huge - 1, "x").empty());
  EXPECT_EQ(ScannedPaths(temp.path), (Texts{".hidden", "A.txt", "b.txt", "big.txt", ".../i", "sub1/z.dat",
                                             "sub1/deeper/y.txt", "sub2.dat/x.txt"}));
  Filter("*.TXT");
  EXPECT_EQ(ScannedPaths(temp.path), (Texts{"A.txt", "b.txt", "big.txt", "sub1/deeper/y.txt", "sub2.dat/x.txt"}));
  settings.minSize = 100;
  EXPECT_EQ(ScannedPaths(temp.path), (Texts{"b.txt", "big.txt"}));
  EXPECT_EQ(Entry(1).size, huge);
  EXPECT_TRUE(ScannedPaths(temp.path + "/missing").empty());
}

TEST_F(Scan, FoldersWindowsKeepsForItselfArePassedOverUnlessTheSearchStartsInsideOne) {
  for (const char* name : {"$RECYCLE.BIN/a", "recycler/b", "System Volume Information/c", "sub/$Recycle.Bin/d", "sub/RECYCLER/System Volume Information/e", "RECYCLER2/f"})
    temp.Write(name, "1");
  for (const char* filter : {"*.*", "?"}) {
    Filter(filter);
    EXPECT_EQ(ScannedPaths(temp.path), Texts{"RECYCLER2/f"});
    EXPECT_EQ(ScannedPaths(temp.path + "/sub/RECYCLER"), Texts{"System Volume Information/e"});
  }
}

// Links to folders (back, up, into the tree) and to files are not followed.
TEST_F(Scan, LinksAreNotFollowed) {
  const struct { const char *link, *target; size_t files; } cases[] = {{"back", ".", 2}, {"sub/up", "..", 2}, {"again", "sub", 2}, {"z.txt", "x.txt", 2}};
  for (const auto& c : cases) {
    TempFolder tree;
    for (const char* name : {"x.txt", "sub/y.txt"}) tree.Write(name, "1");
    ASSERT_EQ(symlink(c.target, tree.At(c.link).c_str()), 0);
    EXPECT_EQ(ScannedPaths(tree.path).size(), c.files) << c.link;
  }
}

TEST_F(Scan, PathsUpToTheLimitAreTakenAndWhatDoesNotFitOrCannotBeListedIsCounted) {
  walkPathLimit = MaxPath;
  const size_t root = temp.path.size() + 1;
  for (size_t length : {MaxPath - 1, MaxPath + 0}) temp.Write(std::string(length - root, 'f'), "1");
  temp.Write(std::string(MaxPath - 5 - root, 'a') + "/x", "1");
  temp.Write(std::string(MaxPath - 4 - root, 'b') + "/x", "1");
  temp.MakeFolder(std::string(MaxPath - root, 'c'));
  for (const char* name : {"locked/x", "open/x"}) temp.Write(name, "1");
  const struct { const char* filter; uint32_t files, skippedFiles, skippedFolders; } cases[] = {
      {"*.*", 3, 1, 3}, {"*", 4, 1, 3}, {"*.none", 0, 0, 4}};
  for (const auto& c : cases) {
    Restart();
    Filter(c.filter);
    platform.folderIdentity = [](const char*, FolderIdentity* identity) { return *identity = {7, 0}, true; };
    platform.findFirst = [](const char* pattern, DirEntry* entry) {
      return strstr(pattern, "/locked/") ? (errno = EACCES, nullptr) : systemPlatform.findFirst(pattern, entry);
    };
    ScanDirectory(temp.path.c_str());
    EXPECT_EQ(std::to_string(fileTable.count) + " " + std::to_string(searchState.skippedFiles) + " " + std::to_string(searchState.skippedFolders),
              std::to_string(c.files) + " " + std::to_string(c.skippedFiles) + " " + std::to_string(c.skippedFolders)) << c.filter;
  }
  static std::string rows;
  AddRunNoteRows([](int32_t, const char* text) { rows += text + std::string("|"); }, true);
  CopyText(settings.currentPath, MaxPath, temp.At("open").c_str());
  RunSearchSteps(0, nullptr, [](int32_t, const char*) {});
  AddRunNoteRows([](int32_t, const char* text) { rows += text; }, false);
  EXPECT_EQ(rows, "Ausgelassen: 0 Datei(en) und 4 Ordner (nicht lesbar, ver\xE4ndert oder Pfad zu lang)|Abgebrochen, die Liste ist unvollst\xE4ndig|");
}

TEST_F(Scan, AListingOutOfMemoryEndsTheRunWithTheMemoryMessageAndKeepsTheRest) {
  for (const char* name : {"top.txt", "sub/below.txt"}) temp.Write(name, "1");
  platform.findFirst = [](const char* pattern, DirEntry* entry) -> DirListing* {
    if (!strstr(pattern, "/sub/")) return systemPlatform.findFirst(pattern, entry);
    errno = ENOMEM;
    return nullptr;
  };
  ScanDirectory(temp.path.c_str());
  EXPECT_EQ(fileTable.count, 1u);
  EXPECT_EQ(searchState.running, 0);
  EXPECT_EQ(enginetest::shownMessages, (Texts{"Fehler!|Nicht mehr genug Speicher."}));
}

TEST_F(Scan, TheTableGrowsAtTheFirstSpareRecordAndAFailedGrowthWarnsAndKeepsTheOldTable) {
  for (int i = 0; i < 12; i++) temp.Write("sub/f" + std::to_string(i), "x");
  temp.Write("sub2/g", "x");
  for (bool refuse : {false, true}) {
    Restart();
    FileEntry* before = fileTable.entries;
    uint32_t capacity = fileTable.capacity;
    if (refuse) resizeTableStorage = [](void*, size_t) -> void* { return nullptr; };
    fileTable.count = capacity - 5;
    ScanDirectory(temp.path.c_str());
    EXPECT_EQ(fileTable.count, refuse ? capacity + 1 : capacity + 8);
    EXPECT_EQ(fileTable.capacity, refuse ? capacity : capacity + GrowthStep);
    EXPECT_EQ(searchState.running, refuse ? 0 : 1);
    EXPECT_EQ(enginetest::shownMessages, Texts(refuse, "Fehler Speicher Files|Fehler"));
    EXPECT_TRUE(!refuse || fileTable.entries == before);
    EXPECT_STREQ(Entry(capacity).path + temp.path.size(), "/sub/f3");
  }
}

}
