// The engine tests' set-up: a fresh temporary folder, an empty file table,
// default settings, recorded messages, and a platform double that counts open
// files and injects failures.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "temp_folder.h"

namespace fake {
// Error: fails, nothing read; ZeroBytes: succeeds with 0 bytes; Short: only the bytes before the break;
// Grows: reads as asked, then the file grows by a byte.
enum class ReadFault { Error, ZeroBytes, Short, Grows };
void Install();  // into `platform`, with nothing counted or injected
int OpenHandles();  // opened and not yet closed
void RefuseOpen(const std::string& path);
void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault);  // reads reaching the offset
uint64_t BytesRead(const std::string& path);
uint32_t LargestRead(const std::string& path);
}  // namespace fake

namespace enginetest {

extern Texts shownMessages;  // "text|caption"

std::string Pattern(size_t size, uint32_t seed);  // bytes that differ with the seed
// The bytes as MPEG audio: two headers of 96-byte frames (MPEG-1 layer III, 32 kbit/s, 48 kHz) at 0 and 96.
std::string MpegFrames(std::string bytes);

struct EngineTest : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  // Writes the file (sparse: zero but `bytes` at `offset`) and appends it as the scan would.
  uint32_t AddFile(const std::string& name, const std::string& bytes);
  uint32_t AddSparseFile(const std::string& name, uint64_t size, uint64_t offset, const std::string& bytes);
  uint32_t AddPath(const std::string& path);
  FileEntry& Entry(uint32_t index) { return fileTable.entries[index]; }
  std::vector<int32_t> Groups();  // the groupId of every entry
  void Restart();  // an empty table, zero counters, nothing shown or injected
  // Searches `temp` as the front ends do; each group as its names (relative to
  // `temp`, each followed by a space), "|" and its length.
  Texts SearchGroups();
  TempFolder temp;
  TempFolder memory{"/dev/shm"};  // for sparse files, where there is one
};

}  // namespace enginetest
