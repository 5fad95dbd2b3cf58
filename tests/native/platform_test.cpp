#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/wildcard.h"
#include "temp_folder.h"

TEST(Wildcard, FollowsTheWindowsListingRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      // "*.*" and "*" take every name, also names without a dot.
      {"*.*", "README", true}, {"*.*", "a.b.c", true}, {"*.*", ".hidden", true},
      {"*", "anything.at.all", true},
      // Only the letters a-z fold case; umlauts match only themselves.
      {"*.MP3", "song.mp3", true}, {"bild.jpg", "BILD.JPG", true},
      {"\xC4rger.txt", "\xE4rger.txt", false}, {"*.mp3", "song.mp4", false},
      // An extension pattern needs the whole extension at the end.
      {"*.txt", "a.b.txt", true}, {"*.txt", "a.txt.bak", false}, {"*.txt", "txt", false},
      {"*.mp", "song.mp3", false},
      // '?' takes one character, or nothing at a dot or at the end.
      {"a?c", "abc", true}, {"a?c", "ac", false}, {"file?.txt", "file1.txt", true},
      {"file?.txt", "file.txt", true}, {"ab??", "ab", true}, {"file?.txt", "file12.txt", false},
      // A trailing ".*" also takes names without an extension.
      {"readme.*", "readme", true}, {"readme.*", "README.md", true}, {"readme.*", "readme2", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

namespace {
std::vector<std::string> ListNames(const std::string& pattern) {
  std::vector<std::string> names;
  DirEntry entry;
  DirListing* listing = platform.findFirst(pattern.c_str(), &entry);
  if (!listing) return names;
  do names.push_back(entry.name);
  while (platform.findNext(listing, &entry));
  platform.findClose(listing);
  return names;
}
}  // namespace

TEST(Listing, ListsMatchingNamesInUpperCaseOrderWithDotEntries) {
  TempFolder temp;
  temp.Write("b.txt", "1");
  temp.Write("A.TXT", "1");
  temp.Write("c.dat", "1");
  temp.MakeFolder("sub.txt");
  EXPECT_EQ(ListNames(temp.path + "/*.txt"), (std::vector<std::string>{"A.TXT", "b.txt", "sub.txt"}));
  EXPECT_EQ(ListNames(temp.path + "/*.*"),
            (std::vector<std::string>{".", "..", "A.TXT", "b.txt", "c.dat", "sub.txt"}));
}

TEST(Listing, ReportsDirectoriesSizesAndTimes) {
  TempFolder temp;
  temp.Write("five", "12345");
  temp.MakeFolder("folder");
  DirEntry entry;
  DirListing* listing = platform.findFirst((temp.path + "/five").c_str(), &entry);
  ASSERT_NE(listing, nullptr);
  EXPECT_FALSE(entry.isDirectory);
  EXPECT_EQ(entry.size, 5u);
  // 2020 and later, in 100 ns since 1601: the high half is well above 0x01D5.
  EXPECT_GT(entry.lastWriteTime.high, 0x01D50000u);
  EXPECT_GT(entry.creationTime.high, 0x01D50000u);
  EXPECT_FALSE(platform.findNext(listing, &entry));
  platform.findClose(listing);
  listing = platform.findFirst((temp.path + "/folder").c_str(), &entry);
  ASSERT_NE(listing, nullptr);
  EXPECT_TRUE(entry.isDirectory);
  platform.findClose(listing);
}

TEST(Listing, MissingFolderOrNoMatchGivesNoListing) {
  TempFolder temp;
  DirEntry entry;
  EXPECT_EQ(platform.findFirst((temp.path + "/missing/*.*").c_str(), &entry), nullptr);
  EXPECT_EQ(platform.findFirst((temp.path + "/*.none").c_str(), &entry), nullptr);
}

TEST(Listing, SizesOfFourGibibytesAndMoreAreKeptWhole) {
  TempFolder temp;
  const uint64_t size = (uint64_t{1} << 32) + 10;
  ASSERT_FALSE(temp.WriteSparse("big", size, 0, "x").empty());
  DirEntry entry;
  DirListing* listing = platform.findFirst((temp.path + "/big").c_str(), &entry);
  ASSERT_NE(listing, nullptr);
  EXPECT_EQ(entry.size, size);
  platform.findClose(listing);
}

TEST(ExclusiveOpen, SecondOpenOfTheSameFileFailsWhateverThePath) {
  TempFolder temp;
  std::string file = temp.Write("one", "data");
  std::string other = temp.At("other-name");
  ASSERT_EQ(link(file.c_str(), other.c_str()), 0);
  FileHandle first = platform.openExclusive(file.c_str());
  ASSERT_NE(first, InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(file.c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(other.c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive((temp.path + "/./one").c_str()), InvalidFileHandle);
  platform.closeFile(first);
  FileHandle again = platform.openExclusive(other.c_str());
  EXPECT_NE(again, InvalidFileHandle);
  platform.closeFile(again);
}

TEST(ExclusiveOpen, FoldersAndMissingFilesCannotBeOpened) {
  TempFolder temp;
  EXPECT_EQ(platform.openExclusive(temp.path.c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(temp.At("missing").c_str()), InvalidFileHandle);
}

TEST(PositionedRead, ReadsAtTheOffsetAndStopsAtTheEnd) {
  TempFolder temp;
  std::string file = temp.Write("f", "0123456789");
  FileHandle handle = platform.openExclusive(file.c_str());
  ASSERT_NE(handle, InvalidFileHandle);
  char buffer[16] = {};
  uint32_t count = 99;
  EXPECT_TRUE(platform.readAt(handle, 3, buffer, 4, &count));
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(std::string(buffer, 4), "3456");
  EXPECT_TRUE(platform.readAt(handle, 8, buffer, 16, &count));
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(platform.readAt(handle, 10, buffer, 16, &count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(platform.readAt(handle, 100, buffer, 16, &count));
  EXPECT_EQ(count, 0u);
  platform.closeFile(handle);
}

TEST(PositionedRead, ReachesBeyondFourGibibytes) {
  TempFolder temp;
  const uint64_t offset = (uint64_t{1} << 32) + 5;
  std::string file = temp.WriteSparse("big", offset + 3, offset, "end");
  FileHandle handle = platform.openExclusive(file.c_str());
  ASSERT_NE(handle, InvalidFileHandle);
  char buffer[8] = {};
  uint32_t count = 0;
  EXPECT_TRUE(platform.readAt(handle, offset, buffer, 8, &count));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(std::string(buffer, 3), "end");
  platform.closeFile(handle);
}

TEST(LocalTime, FileTimesConvertToCalendarFields) {
  // 1 January 2001 12:00:00 UTC; local time differs by at most a day.
  uint64_t ticks = 116444736000000000ULL + 978350400ULL * 10000000ULL;
  CalendarTime local = {};
  ASSERT_TRUE(FileTimeToLocalCalendar(FileTime{static_cast<uint32_t>(ticks),
                                               static_cast<uint32_t>(ticks >> 32)}, &local));
  EXPECT_EQ(local.year, 2001);
  EXPECT_EQ(local.month, 1);
  EXPECT_EQ(local.minute, 0);
  EXPECT_EQ(local.second, 0);
}

TEST(ExclusiveOpen, ThousandsOfFilesCanBeHeldOpenAtOnce) {
  // A size run of a few thousand files is held open together by the grouping pass.
  TempFolder temp;
  std::vector<FileHandle> handles;
  for (int i = 0; i < 3000; i++) {
    std::string file = temp.Write("f" + std::to_string(i), "x");
    handles.push_back(platform.openExclusive(file.c_str()));
  }
  size_t opened = 0;
  for (FileHandle handle : handles)
    if (handle != InvalidFileHandle) {
      opened++;
      platform.closeFile(handle);
    }
  struct rlimit limit;
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_max < 4000) GTEST_SKIP() << "hard limit of open files is " << limit.rlim_max;
  EXPECT_EQ(opened, handles.size());
}
