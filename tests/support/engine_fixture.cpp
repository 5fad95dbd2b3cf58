#include "engine_fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "engine/cache_pool.h"
#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/hooks.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "fake_platform.h"

namespace enginetest {

Shown shown;

namespace {

void RecordText(int field, const char* text) { shown.fields.push_back({field, text}); }
void RecordNumber(int field, uint32_t value) {
  shown.fields.push_back({field, std::to_string(value)});
}
void RecordPump() { shown.pumps++; }
int RecordMessage(const char* text, const char* caption, unsigned buttons) {
  shown.messages.push_back({text, caption, buttons});
  return AnswerOk;
}

}  // namespace

std::string Pattern(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 12345u;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 23);
  }
  return bytes;
}

void TableTest::SetUp() {
  if (!fileTable.entries) {
    ASSERT_TRUE(CreateFileTable());
  }
  ClearFileTable();
  fileTable.count = 0;
}

void TableTest::TearDown() {
  ClearFileTable();
  fileTable.count = 0;
}

void EngineTest::SetUp() {
  TableTest::SetUp();
  if (!streamBuffers[0]) {
    ASSERT_TRUE(ObtainStreamBuffers());
  }
  settings = Settings{};
  CopyText(settings.currentFilter, sizeof settings.currentFilter, "*.*");
  searchState = SearchState{};
  searchState.running = 1;
  shown = Shown{};
  ResetEngineHooks();
  engineHooks.setFieldText = RecordText;
  engineHooks.setFieldNumber = RecordNumber;
  engineHooks.pumpMessages = RecordPump;
  engineHooks.showMessage = RecordMessage;
  resizeCacheStorage = realloc;
  fake::Install();
  ASSERT_FALSE(temp.path.empty());
}

void EngineTest::TearDown() {
  ReleaseAll();
  DrainCachePool();
  fake::Restore();
  ResetEngineHooks();
  resizeCacheStorage = realloc;
  settings = Settings{};
  TableTest::TearDown();
}

uint32_t EngineTest::AddPath(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  FileEntry& entry = fileTable.entries[fileTable.count];
  entry = FileEntry{};
  CopyText(entry.path, sizeof entry.path, path.c_str());
  entry.size = static_cast<uint64_t>(info.st_size);
  entry.handle = InvalidFileHandle;
  entry.creationTime = FileTime{fileTable.count, 1};
  entry.lastWriteTime = FileTime{fileTable.count, 2};
  return fileTable.count++;
}

uint32_t EngineTest::AddFile(const std::string& name, const std::string& bytes) {
  return AddPath(temp.Write(name, bytes));
}

uint32_t EngineTest::AddSparseFile(const std::string& name, uint64_t size, uint64_t offset,
                                   const std::string& bytes) {
  std::string path = (memory.path.empty() ? temp : memory).WriteSparse(name, size, offset, bytes);
  EXPECT_FALSE(path.empty()) << name;
  return AddPath(path);
}

void EngineTest::PrepareOuter(uint32_t i) {
  FileEntry& outer = Entry(i);
  if (outer.handle == InvalidFileHandle) {
    ASSERT_TRUE(OpenEntry(outer));
  }
  if (!outer.cache) {
    ASSERT_TRUE(ObtainCache(outer));
  }
  if (outer.cachedBytes < PrefixSize) {
    outer.overlapped.offset = 0;
    IssueRead(outer, outer.cache, static_cast<uint32_t>(std::min<uint64_t>(PrefixSize, outer.size)));
    bool failed = false;
    outer.cachedBytes = CollectRead(outer, &failed);
    ASSERT_FALSE(failed);
  }
  outer.overlapped.offset = outer.cachedBytes;
}

void EngineTest::Restart() {
  ReleaseAll();
  fileTable.count = 0;
  searchState.duplicateCount = 0;
  searchState.duplicateBytes = 0;
  shown = Shown{};
  fake::Install();
}

void EngineTest::ReleaseAll() {
  for (uint32_t k = 0; k < fileTable.count; k++) ReleaseEntry(fileTable.entries[k]);
}

}  // namespace enginetest
