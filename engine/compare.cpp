#include "engine/compare.h"

#include <algorithm>
#include <cstring>

#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

// How a phase of the comparison ended.
enum class Phase { GoOn, Differ, Equal, Unreadable, NoMemory };

// The earlier file streams through buffers 0 and 1, the later through 2 and 3.
// Current and next swap after every block, and the swap carries over into the
// next streaming phase.
bool streamRolesSwapped = false;

uint8_t* StreamBuffer(int pair, bool next) {
  return streamBuffers[pair * 2 + (next != streamRolesSwapped ? 1 : 0)];
}

uint32_t AtMost(uint32_t limit, uint64_t value) {
  return static_cast<uint32_t>(std::min<uint64_t>(limit, value));
}

uint64_t Above(uint64_t value, uint64_t floor) { return value > floor ? value - floor : 0; }

// An entry whose file cannot be read as it was scanned takes no further part.
void Settle(FileEntry& entry) {
  SettleUnreadable(entry);
  if (entry.cache) ReleaseCache(entry);
}

bool CollectOrSettle(FileEntry& entry, uint32_t* count) {
  bool failed = false;
  *count = CollectRead(entry, &failed);
  if (failed) Settle(entry);
  return !failed;
}

// The bytes held in the cache: what was collected into it, and what the read
// still pending delivered (it completed before anything compares).
uint64_t CacheExtent(const FileEntry& entry) {
  return std::max<uint64_t>(entry.cachedBytes,
                            entry.overlapped.offset + entry.overlapped.pendingCount);
}

// A read into the cache at the read position. Room is made first; false only
// when no memory is left.
bool IssueCacheRead(FileEntry& entry, uint32_t n) {
  if (!ReserveCache(entry, entry.overlapped.offset + n)) return false;
  IssueRead(entry, entry.cache + entry.overlapped.offset, n);
  return true;
}

bool FitsCache(const FileEntry& entry, uint64_t n) {
  return entry.overlapped.offset + n <= CacheCeiling(entry);
}

int CountEqual(FileEntry& i, FileEntry& j) {
  // A file that grew or shrank since the scan is no one's twin: the bytes
  // compared were not all of it.
  bool iChanged = !StillAsScanned(i);
  bool jChanged = !StillAsScanned(j);
  if (iChanged || jChanged) {
    if (iChanged) Settle(i);
    if (jChanged) Settle(j);
    return 0;
  }
  // The later file's own size, what removing it frees, is added exactly and
  // the sum rounded once to the float.
  searchState.duplicateBytes = static_cast<float>(
      static_cast<long double>(searchState.duplicateBytes) + static_cast<long double>(j.size));
  searchState.duplicateCount++;
  j.done = 1;
  // j is never read again; its file stays open (and exclusively held) until
  // the grouping pass passes it, but its cache is of no further use.
  if (j.cache) ReleaseCache(j);
  return 1;
}

// j in chunks of ChunkSize up to PrefixSize against the cache of i.
Phase ComparePrefix(FileEntry& i, FileEntry& j) {
  j.overlapped.offset = j.cachedBytes;
  // A full chunk even near the end of the file, as far as the cache can take.
  uint32_t room = static_cast<uint32_t>(Above(CacheCeiling(j), j.cachedBytes));
  if (!IssueCacheRead(j, std::min(ChunkSize, room))) return Phase::NoMemory;
  uint32_t count = ChunkSize;
  while (j.overlapped.offset < PrefixSize) {
    if (!CollectOrSettle(j, &count)) return Phase::Unreadable;
    if (!IssueCacheRead(j, AtMost(ChunkSize, BytesLeft(j)))) return Phase::NoMemory;
    bool same = memcmp(i.cache + j.cachedBytes, j.cache + j.cachedBytes, count) == 0;
    j.cachedBytes += count;
    if (!same) return Phase::Differ;
    if (j.overlapped.offset >= ComparedLength(j)) break;
  }
  // A short chunk is the end of the file: every byte agreed.
  return count != ChunkSize ? Phase::Equal : Phase::GoOn;
}

// Issues the next block read into the cache. False when the block phase ends
// here: *stop is then NoMemory, or GoOn when the read would pass the end of
// the cache and the streaming phase takes over.
bool ReadNextBlock(FileEntry& entry, uint32_t n, Phase* stop) {
  if (!FitsCache(entry, n)) {
    *stop = Phase::GoOn;
    return false;
  }
  if (!IssueCacheRead(entry, n)) {
    *stop = Phase::NoMemory;
    return false;
  }
  return true;
}

// Both files in blocks from their caches, up to the cache limit. GoOn means
// every byte before *streamFrom agreed and the rest is to be streamed.
Phase CompareBlocks(FileEntry& i, FileEntry& j, uint64_t* streamFrom) {
  uint64_t pos = std::min(i.cachedBytes, j.cachedBytes);
  const uint32_t jCachedAtStart = j.cachedBytes;
  Phase result = Phase::GoOn;
  bool reading = true;
  *streamFrom = pos;
  for (FileEntry* entry : {&i, &j}) {
    if (reading && entry->cachedBytes < pos + BlockSize)
      reading = ReadNextBlock(*entry, AtMost(BlockSize, BytesLeft(*entry)), &result);
  }
  uint32_t count = BlockSize;
  while (reading && i.overlapped.offset < CacheLimit) {
    if (i.cachedBytes < pos + BlockSize) {
      if (!CollectOrSettle(i, &count)) {
        result = Phase::Unreadable;
        break;
      }
      i.cachedBytes = static_cast<uint32_t>(i.overlapped.offset);
      // Past the first blocks, i reads the rest of its cacheable part at once.
      uint64_t n = pos > BulkThreshold
                       ? std::min(BytesLeft(i), Above(CacheLimit, i.overlapped.offset))
                       : std::min<uint64_t>(BlockSize, BytesLeft(i));
      if (!ReadNextBlock(i, static_cast<uint32_t>(n), &result)) break;
    }
    if (jCachedAtStart < pos + BlockSize) {
      if (!CollectOrSettle(j, &count)) {
        result = Phase::Unreadable;
        break;
      }
      if (!ReadNextBlock(j, AtMost(BlockSize, BytesLeft(j)), &result)) break;
    }
    // Both caches hold the block whenever they are in step; if not, the
    // streaming phase compares it from the files.
    if (pos + count > CacheExtent(i) || pos + count > CacheExtent(j)) break;
    if (memcmp(i.cache + pos, j.cache + pos, count) != 0) {
      result = Phase::Differ;
      break;
    }
    if (count < BlockSize) {
      // Only the end of the file settles it; a short count elsewhere means
      // the caches were out of step, and the rest is streamed.
      if (pos + count >= ComparedLength(i)) result = Phase::Equal;
      *streamFrom = pos + count;
      break;
    }
    pos += BlockSize;
    *streamFrom = pos;
  }
  i.cachedBytes = static_cast<uint32_t>(i.overlapped.offset);
  j.cachedBytes = static_cast<uint32_t>(j.overlapped.offset);
  return result;
}

// The rest of both files from `pos` through the stream buffers; the caches
// are neither read nor filled.
Phase CompareStream(FileEntry& i, FileEntry& j, uint64_t pos) {
  bool ignored = false;
  CollectRead(i, &ignored);
  CollectRead(j, &ignored);
  i.overlapped.offset = pos;
  j.overlapped.offset = pos;
  IssueRead(i, StreamBuffer(0, false), AtMost(BlockSize, BytesLeft(i)));
  IssueRead(j, StreamBuffer(1, false), AtMost(BlockSize, BytesLeft(j)));
  Phase result = Phase::GoOn;
  while (result == Phase::GoOn) {
    uint32_t count = 0;
    if (!CollectOrSettle(i, &count) || !CollectOrSettle(j, &count)) {
      result = Phase::Unreadable;
      break;
    }
    IssueRead(i, StreamBuffer(0, true), AtMost(BlockSize, BytesLeft(i)));
    IssueRead(j, StreamBuffer(1, true), AtMost(BlockSize, BytesLeft(j)));
    if (memcmp(StreamBuffer(0, false), StreamBuffer(1, false), count) != 0)
      result = Phase::Differ;
    else if (count < BlockSize)
      result = Phase::Equal;
    else
      streamRolesSwapped = !streamRolesSwapped;
  }
  for (FileEntry* entry : {&i, &j}) {
    entry->overlapped.offset = entry->cachedBytes;
    entry->overlapped.pendingCount = 0;
    entry->overlapped.pendingFailed = 0;
  }
  return result;
}

bool NamesDiffer(const FileEntry& i, const FileEntry& j) {
  return settings.sameName && !SameTextIgnoringAsciiCase(FileNameOf(i.path), FileNameOf(j.path));
}

}  // namespace

int CompareFiles(int32_t iIndex, int32_t jIndex) {
  FileEntry& i = fileTable.entries[iIndex];
  FileEntry& j = fileTable.entries[jIndex];

  if (NamesDiffer(i, j)) return 0;
  if (!j.cache && !ObtainCache(j)) {
    ShowOutOfMemory();
    return -1;
  }
  if (j.cachedBytes > 0) {
    uint32_t n = std::min(i.cachedBytes, j.cachedBytes);
    if (memcmp(i.cache, j.cache, n) != 0) return 0;
    // Equal from the caches alone only when both hold the whole file.
    if (n == ComparedLength(j)) return CountEqual(i, j);
  }
  if (j.handle == InvalidFileHandle && !OpenEntry(j)) return 0;

  uint64_t streamFrom = 0;
  Phase phase = ComparePrefix(i, j);
  if (phase == Phase::GoOn) {
    // Beyond the cache limit every later pair streams from where the later
    // file's cache ends, so a full cache of the earlier file would serve no
    // one: such files stream from the end of their prefixes.
    if (ComparedLength(i) >= CacheLimit)
      streamFrom = std::min(i.cachedBytes, j.cachedBytes);
    else
      phase = CompareBlocks(i, j, &streamFrom);
  }
  if (phase == Phase::GoOn) phase = CompareStream(i, j, streamFrom);
  switch (phase) {
    case Phase::Equal:
      return CountEqual(i, j);
    case Phase::NoMemory:
      ShowOutOfMemory();
      return -1;
    default:
      return 0;
  }
}

int CompareKnownDifferent(int32_t iIndex, int32_t jIndex) {
  FileEntry& i = fileTable.entries[iIndex];
  FileEntry& j = fileTable.entries[jIndex];
  if (NamesDiffer(i, j)) return 0;
  if (j.handle == InvalidFileHandle) OpenEntry(j);
  return 0;
}
