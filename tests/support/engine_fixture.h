// Shared set-up for the tests of the comparison, the grouping pass and the
// listing: a fresh temporary folder, an empty file table, default settings,
// hooks that record what the engine shows, and the counting platform double.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_table.h"
#include "temp_folder.h"

namespace enginetest {

struct Message {
  std::string text;
  std::string caption;
  unsigned buttons;
};

struct FieldWrite {
  int field;
  std::string text;  // numbers as decimal text
};

// What the engine showed through its hooks during the current test.
struct Shown {
  std::vector<Message> messages;
  std::vector<FieldWrite> fields;
  int pumps = 0;
};
extern Shown shown;

// `size` bytes that differ from file to file with `seed`.
std::string Pattern(size_t size, uint32_t seed);

// An empty file table, and nothing else.
class TableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

class EngineTest : public TableTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the file and appends it to the table as the scan would.
  uint32_t AddFile(const std::string& name, const std::string& bytes);
  // A sparse file of `size` bytes, zero except `bytes` at `offset`. Kept in
  // memory where the system offers it: reading gigabytes of holes from a disk
  // file system costs seconds.
  uint32_t AddSparseFile(const std::string& name, uint64_t size, uint64_t offset,
                         const std::string& bytes);
  // Appends an existing file under the path given.
  uint32_t AddPath(const std::string& path);
  FileEntry& Entry(uint32_t index) { return fileTable.entries[index]; }
  // Opens entry i and reads its prefix as the grouping pass does before it
  // compares i with later entries.
  void PrepareOuter(uint32_t i);
  // Closes every file and releases every cache still held by the table.
  void ReleaseAll();
  // Starts over within a test: an empty table, zero counters, nothing shown,
  // fresh counts and no injected faults.
  void Restart();

  TempFolder temp;
  TempFolder memory{"/dev/shm"};  // for sparse files; empty where there is none
};

}  // namespace enginetest
