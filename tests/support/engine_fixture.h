// Shared set-up for the engine tests: a fresh temporary folder, an empty file
// table, default settings, hooks that record what the engine shows, and a
// double of the platform layer that counts opens and injects failures.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/file_table.h"
#include "temp_folder.h"

namespace fake {

enum class ReadFault {
  Error,      // the read reports failure after delivering nothing
  ZeroBytes,  // the read reports success with 0 bytes
  Short,      // the read reports success with the bytes before the break only
};

// Puts the double into `platform`, with nothing counted or injected.
void Install();
int Opens(const std::string& path);  // successful opens of the path
int OpenHandles();                   // opened and not yet closed
void RefuseOpen(const std::string& path);
// Every read of `path` that reaches `fromOffset` fails as `fault`.
void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault);
void UseClock(std::function<int64_t()> clock);

}  // namespace fake

namespace enginetest {

// What the engine showed: messages as "text|caption", fields as "field:text".
struct Shown {
  std::vector<std::string> messages;
  std::vector<std::string> fields;
  int pumps = 0;
};
extern Shown shown;

// `size` bytes that differ from file to file with `seed`.
std::string Pattern(size_t size, uint32_t seed);

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the file and appends it to the table as the scan would.
  uint32_t AddFile(const std::string& name, const std::string& bytes);
  // Zero but `bytes` at `offset`; in memory where the system offers it.
  uint32_t AddSparseFile(const std::string& name, uint64_t size, uint64_t offset, const std::string& bytes);
  uint32_t AddPath(const std::string& path);
  FileEntry& Entry(uint32_t index) { return fileTable.entries[index]; }
  // Opens entry i and reads its prefix as the grouping pass does before it
  // compares i with later entries.
  void PrepareOuter(uint32_t i);
  void ReleaseAll();
  // An empty table, zero counters, nothing shown, nothing injected.
  void Restart();
  // Searches `temp` as the front ends do; each group listed as its file names
  // (relative to `temp`, each followed by a space), then "|" and its length.
  std::vector<std::string> SearchGroups();

  TempFolder temp;
  TempFolder memory{"/dev/shm"};
};

}  // namespace enginetest
