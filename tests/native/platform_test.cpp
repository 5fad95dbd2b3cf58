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

TEST(Listing, ListsMatchingNamesInUpperCaseOrderWithKindSizeAndTimes) {
  TempFolder temp;
  temp.Write("b.txt", "12345");
  temp.Write("A.TXT", "1");
  temp.Write("c.dat", "1");
  temp.MakeFolder("sub.txt");
  const uint64_t size = (uint64_t{1} << 32) + 10;
  ASSERT_FALSE(temp.WriteSparse("big", size, 0, "x").empty());
  EXPECT_EQ(ListNames(temp.path + "/*.txt"), (std::vector<std::string>{"A.TXT", "b.txt", "sub.txt"}));
  EXPECT_EQ(ListNames(temp.path + "/*.*"),
            (std::vector<std::string>{".", "..", "A.TXT", "b.txt", "big", "c.dat", "sub.txt"}));
  DirEntry entry;
  EXPECT_EQ(platform.findFirst((temp.path + "/missing/*.*").c_str(), &entry), nullptr);
  EXPECT_EQ(platform.findFirst((temp.path + "/*.none").c_str(), &entry), nullptr);
  for (const char* name : {"b.txt", "sub.txt", "big"}) {
    DirListing* listing = platform.findFirst((temp.path + "/" + name).c_str(), &entry);
    ASSERT_NE(listing, nullptr);
    EXPECT_EQ(entry.isDirectory, name[0] == 's');
    EXPECT_EQ(entry.size, name[0] == 's' ? entry.size : name[1] == '.' ? 5u : size);
    // 2020 and later, in 100 ns since 1601: the high half is well above 0x01D5.
    EXPECT_GT(entry.lastWriteTime.high, 0x01D50000u);
    EXPECT_GT(entry.creationTime.high, 0x01D50000u);
    EXPECT_FALSE(platform.findNext(listing, &entry));
    platform.findClose(listing);
  }
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

TEST(PositionedRead, ReadsAtTheOffsetBeyondFourGibibytesAndStopsAtTheEnd) {
  TempFolder temp;
  EXPECT_EQ(platform.openExclusive(temp.path.c_str()), InvalidFileHandle);
  EXPECT_EQ(platform.openExclusive(temp.At("missing").c_str()), InvalidFileHandle);
  const uint64_t far = (uint64_t{1} << 32) + 5;
  std::string file = temp.WriteSparse("big", far + 10, far, "0123456789");
  FileHandle handle = platform.openExclusive(file.c_str());
  ASSERT_NE(handle, InvalidFileHandle);
  const struct {
    uint64_t offset;
    uint32_t count;
    const char* bytes;
  } reads[] = {{far + 3, 4, "3456"}, {far + 8, 2, "89"}, {far + 10, 0, ""}, {far + 100, 0, ""}};
  for (const auto& read : reads) {
    char buffer[16] = {};
    uint32_t count = 99;
    EXPECT_TRUE(platform.readAt(handle, read.offset, buffer, read.count == 4 ? 4 : 16, &count));
    EXPECT_EQ(count, read.count);
    EXPECT_EQ(std::string(buffer, count), read.bytes);
  }
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
