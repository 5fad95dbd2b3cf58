#include "engine_fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/hooks.h"
#include "engine/path_store.h"
#include "engine/scan.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace fake {
namespace {

struct State {
  std::map<FileHandle, std::string> openPaths;
  std::map<std::string, bool> refused;
  std::map<std::string, std::pair<uint64_t, ReadFault>> faults;
  std::map<std::string, std::pair<uint64_t, uint32_t>> reads;
} state;

FileHandle CountedOpen(const char* path) {
  FileHandle file = state.refused.count(path) ? InvalidFileHandle : systemPlatform.openExclusive(path);
  if (file != InvalidFileHandle) state.openPaths[file] = path;
  return file;
}

bool BreakableRead(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  const std::string& path = state.openPaths[file];
  auto& [asked, largest] = state.reads[path];
  asked += n, largest = std::max(largest, n);
  auto fault = state.faults.find(path);
  if (fault == state.faults.end() || offset + n <= fault->second.first || n == 0)
    return systemPlatform.readAt(file, offset, dest, n, count);
  auto [from, how] = fault->second;
  if (how == ReadFault::Grows) {
    state.faults.erase(fault);
    bool ok = systemPlatform.readAt(file, offset, dest, n, count);
    std::ofstream(path, std::ios::app) << '+';
    return ok;
  }
  *count = 0;
  if (how == ReadFault::Short && from > offset) return systemPlatform.readAt(file, offset, dest, from - offset, count);
  return how != ReadFault::Error;
}

}

void Install() {
  state = State{};
  platform = systemPlatform;
  platform.openExclusive = CountedOpen;
  platform.readAt = BreakableRead;
  platform.closeFile = [](FileHandle file) { state.openPaths.erase(file), systemPlatform.closeFile(file); };
}

int OpenHandles() { return static_cast<int>(state.openPaths.size()); }
void RefuseOpen(const std::string& path) { state.refused[path] = true; }
void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault) { state.faults[path] = {fromOffset, fault}; }
uint64_t BytesRead(const std::string& path) { return state.reads[path].first; }
uint32_t LargestRead(const std::string& path) { return state.reads[path].second; }

}

namespace enginetest {

Texts shownMessages;

namespace {

std::string groupNames;
Texts groupsFound;
size_t rootLength;

void CollectGroups(int32_t item, const char* text) {
  std::string row = text;
  if (item >= 0) groupNames += row.substr(6 + rootLength, row.find("    create:") - 6 - rootLength) + " ";
  if (item < 0 && row.rfind("-- L", 0) == 0) groupsFound.push_back(groupNames + "|" + row.substr(9, row.find(" Byte") - 9));
  if (item < 0) groupNames.clear();
}

}

std::string Pattern(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 12345u;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 23);
  return bytes;
}

std::string MpegFrames(std::string bytes) {
  const std::string header("\xFF\xFB\x14\x00", 4);
  return bytes.replace(0, 4, header).replace(96, 4, header);
}

void EngineTest::SetUp() {
  ASSERT_TRUE(fileTable.entries || CreateFileTable());
  settings = Settings{};
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.*");
  engineHooks.showMessage = [](const char* text, const char* caption, unsigned) {
    shownMessages.push_back(std::string(text) + "|" + caption);
    return AnswerOk;
  };
  Restart();
}

void EngineTest::TearDown() {
  Restart();
  platform = systemPlatform;
  ResetEngineHooks();
  resizeTableStorage = realloc;
  compareLimits = defaultCompareLimits;
  walkPathLimit = MaxPathBytes;
  settings = Settings{};
}

uint32_t EngineTest::AddPath(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  FileEntry& entry = fileTable.entries[fileTable.count];
  entry = FileEntry{};
  entry.path = StorePath(path.c_str());
  entry.size = static_cast<uint64_t>(info.st_size);
  entry.handle = InvalidFileHandle;
  return fileTable.count++;
}

uint32_t EngineTest::AddFile(const std::string& name, const std::string& bytes) { return AddPath(temp.Write(name, bytes)); }

uint32_t EngineTest::AddSparseFile(const std::string& name, uint64_t size, uint64_t offset, const std::string& bytes) {
  return AddPath((memory.path.empty() ? temp : memory).WriteSparse(name, size, offset, bytes));
}

std::vector<int32_t> EngineTest::Groups() {
  std::vector<int32_t> ids;
  for (uint32_t k = 0; k < fileTable.count; k++) ids.push_back(Entry(k).groupId);
  return ids;
}

void EngineTest::Restart() {
  for (uint32_t k = 0; k < fileTable.count; k++) CloseEntry(fileTable.entries[k]);
  ClearFileTable();
  fileTable.count = 0;
  searchState = SearchState{1, 0, 0, 0, 0, 0, 0, 0, 0};
  shownMessages.clear();
  obtainCompareStorage = malloc;
  fake::Install();
}

Texts EngineTest::SearchGroups() {
  Restart();
  CopyText(settings.currentPath, sizeof settings.currentPath, temp.path.c_str());
  rootLength = temp.path.size();
  groupsFound.clear();
  RunSearchSteps(0, nullptr, CollectGroups);
  EXPECT_EQ(fake::OpenHandles(), 0);
  return groupsFound;
}

}
