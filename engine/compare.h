#pragma once
#include <cstdint>

constexpr uint32_t PrefixSize = 2048;
constexpr uint32_t ChunkSize = 512;
constexpr uint32_t BlockSize = 32768;
constexpr uint32_t BulkThreshold = 131072;
constexpr uint32_t CacheLimit = 104857600;

// Compares the contents of fileTable entries i < j of equal size.
// 1: identical, j is now done and counted; 0: different (or names differ with
// sameName on, or j could not be read: j is then done); -1: no memory for j's
// cache, the message has been shown and the pass must end.
int CompareFiles(int32_t i, int32_t j);
