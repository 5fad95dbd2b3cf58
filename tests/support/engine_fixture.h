#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "temp_folder.h"

namespace fake {
enum class ReadFault { Error, ZeroBytes, Short, Grows };
void Install();
int OpenHandles();
void RefuseOpen(const std::string& path);
void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault);
uint64_t BytesRead(const std::string& path);
uint32_t LargestRead(const std::string& path);
}

namespace enginetest {

extern Texts shownMessages;

std::string Pattern(size_t size, uint32_t seed);
std::string MpegFrames(std::string bytes);  // two MPEG audio frame headers, 96 bytes apart

struct EngineTest : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  uint32_t AddFile(const std::string& name, const std::string& bytes);
  uint32_t AddSparseFile(const std::string& name, uint64_t size, uint64_t offset, const std::string& bytes);
  uint32_t AddPath(const std::string& path);
  FileEntry& Entry(uint32_t index) { return fileTable.entries[index]; }
  std::vector<int32_t> Groups();
  void Restart();
  Texts SearchGroups();
  TempFolder temp;
  TempFolder memory{"/dev/shm"};
};

}
