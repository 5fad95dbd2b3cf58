#include <algorithm>

#include "engine/compare.h"
#include "engine/search.h"
#include "platform/win32_held_files.h"
#include "window_fixture.h"

namespace {

std::string touched;
bool (*readOn)(FileHandle, uint64_t, void*, uint32_t, uint32_t*);

TEST_F(PageTest, PastTheHandleBoundTheGroupsAreThoseOfWholeFiles) {
  for (int k = 0; k < 40; k++) temp.Write("data\\d" + std::to_string(k % 3) + "\\f" + std::to_string(k), std::string(300, 'a' + k % 10));
  ASSERT_TRUE(CreateHardLinkA(temp.At("data\\link").c_str(), temp.At("data\\d2\\f38").c_str(), nullptr));
  touched = temp.At("data\\d1\\f7");
  heldHandleCap = 3;
  compareLimits = {8, 64, 1024};
  readOn = platform.readAt;
  platform.readAt = [](FileHandle file, uint64_t at, void* dest, uint32_t n, uint32_t* count) {
    const FILETIME later = {0, 0x01E00000};
    HANDLE handle = at && !touched.empty() ? CreateFileA(touched.c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, 0, nullptr) : INVALID_HANDLE_VALUE;
    if (handle != INVALID_HANDLE_VALUE) SetFileTime(handle, nullptr, nullptr, &later), CloseHandle(handle), touched.clear();
    return readOn(file, at, dest, n, count);
  };
  Search(0);
  std::vector<std::string> kinds = {""}, expected;
  for (const std::string& row : ListedRows())
    if (row[0] != '-') kinds.back() += ReadWholeFile(fileTable.entries[std::stoi(row)].path)[0];
    else if (!kinds.back().empty()) kinds.push_back("");
  kinds.pop_back();
  std::sort(kinds.begin(), kinds.end());
  for (char kind = 'a'; kind <= 'j'; kind++) expected.push_back(std::string(kind == 'h' ? 3 : 4, kind));
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(searchState.skippedFiles, 1u);
  platform = systemPlatform;
  heldHandleCap = 256;
  compareLimits = defaultCompareLimits;
}

}  // namespace
