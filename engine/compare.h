// The content comparison of two files of equal size, through per-file prefix
// caches up to CacheLimit and the four stream buffers beyond.
#pragma once
#include <cstdint>

constexpr uint32_t PrefixSize = 2048;
constexpr uint32_t ChunkSize = 2048;
constexpr uint32_t BlockSize = 32768;
constexpr uint32_t BulkThreshold = 131072;
constexpr uint32_t CacheLimit = 104857600;

// Compares the contents of fileTable entries i < j of equal size, the whole
// files however large. 1: identical, j is now done, counted and without its
// cache (its file stays open); 0: different, or names differ with sameName on,
// or j could not be opened (j is then done), or a read failed or did not
// deliver the file as scanned (the entry read is then done; when that is i,
// the caller compares i no further); -1: no memory for a cache, the message
// has been shown and the pass must end.
// Before the first call for an i: i is open, holds at least its first
// min(PrefixSize, size) bytes, and its read position is its cachedBytes.
int CompareFiles(int32_t i, int32_t j);

// What CompareFiles(i, j) does to a pair whose contents are known to differ,
// without reading: the same-name gate, then the open of j, which settles j
// when it fails. Returns 0. Used for long runs split by content, where the
// open matters: it keeps j held so that a second path to its file fails.
int CompareKnownDifferent(int32_t i, int32_t j);
