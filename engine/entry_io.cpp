#include "engine/entry_io.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/cache_pool.h"
#include "engine/compare.h"
#include "engine/hooks.h"

void* (*resizeCacheStorage)(void* block, size_t bytes) = realloc;

// Enough for the prefix and its read-ahead chunk: most files of a size run
// differ within their first bytes and never need more.
constexpr uint32_t InitialCacheBytes = 4096;

uint32_t CacheCeiling(const FileEntry& entry) {
  return static_cast<uint32_t>(std::min<uint64_t>(ComparedLength(entry), CacheLimit)) + PrefixSize;
}

namespace {

// Kept blocks are memory too: when the system has none left, they go back
// before the cache gives up.
uint8_t* ResizeStorage(uint8_t* block, uint32_t bytes) {
  void* resized = resizeCacheStorage(block, bytes);
  if (!resized && PooledBytes() > 0) {
    DrainCachePool();
    resized = resizeCacheStorage(block, bytes);
  }
  return static_cast<uint8_t*>(resized);
}

// Moves the cache into a kept block, grown to `capacity` bytes if need be.
bool MoveToPooledBlock(FileEntry& entry, uint32_t capacity) {
  uint32_t held = 0;
  uint8_t* block = TakePooledBlock(capacity, CacheCeiling(entry), &held);
  if (!block) return false;
  if (held < capacity) {
    uint8_t* grown = ResizeStorage(block, capacity);
    if (!grown) {
      free(block);
      return false;
    }
    block = grown;
    held = capacity;
  }
  if (entry.cache) memcpy(block, entry.cache, entry.cacheCapacity);
  PoolCacheBlock(entry.cache, entry.cacheCapacity);
  entry.cache = block;
  entry.cacheCapacity = held;
  return true;
}

}  // namespace

bool ObtainCache(FileEntry& entry) {
  uint32_t capacity = std::min(InitialCacheBytes, CacheCeiling(entry));
  uint8_t* block = ResizeStorage(nullptr, capacity);
  if (!block) return false;
  entry.cache = block;
  entry.cacheCapacity = capacity;
  entry.cachedBytes = 0;
  return true;
}

bool ReserveCache(FileEntry& entry, uint64_t end) {
  if (end <= entry.cacheCapacity) {
    NoteCacheFill(entry.cache, end);
    return true;
  }
  uint64_t doubled = static_cast<uint64_t>(entry.cacheCapacity) * 2;
  uint32_t capacity =
      static_cast<uint32_t>(std::min<uint64_t>(std::max(end, doubled), CacheCeiling(entry)));
  if (capacity < end) return false;  // callers never ask past the ceiling
  // A large cache grows where it is: moving it would copy what it holds.
  if (capacity >= PooledBlockMinimum && entry.cacheCapacity < PooledBlockMinimum &&
      MoveToPooledBlock(entry, capacity))
    return true;
  // A lent block that is outgrown is no longer lent.
  NoteCacheFill(entry.cache, entry.cacheCapacity);
  uint8_t* block = ResizeStorage(entry.cache, capacity);
  if (!block) return false;
  entry.cache = block;
  entry.cacheCapacity = capacity;
  return true;
}

void ReleaseCache(FileEntry& entry) {
  PoolCacheBlock(entry.cache, entry.cacheCapacity);
  entry.cache = nullptr;
  entry.cacheCapacity = 0;
}

bool OpenEntry(FileEntry& entry) {
  openRefusedAsHeld = false;
  entry.handle = platform.openExclusive(entry.path);
  if (entry.handle != InvalidFileHandle && StillAsScanned(entry)) return true;
  if (entry.handle != InvalidFileHandle) {
    platform.closeFile(entry.handle);
    entry.handle = InvalidFileHandle;
  } else if (openRefusedAsHeld) {
    entry.done = 1;
    return false;
  }
  SettleUnreadable(entry);
  return false;
}

bool StillAsScanned(const FileEntry& entry) {
  uint64_t size = 0;
  return entry.handle != InvalidFileHandle && platform.fileSize(entry.handle, &size) &&
         size == entry.size;
}

void SettleUnreadable(FileEntry& entry) {
  if (!entry.done) searchState.skippedFiles++;
  entry.done = 1;
}

void ReleaseEntry(FileEntry& entry) {
  if (entry.handle != InvalidFileHandle) platform.closeFile(entry.handle);
  entry.handle = InvalidFileHandle;
  if (entry.cache) ReleaseCache(entry);
}

void ShowOutOfMemory() {
  engineHooks.showMessage("Fehler!", "Nicht mehr genug Speicher.", ButtonsOk);
}

uint64_t BytesLeft(const FileEntry& entry) {
  uint64_t length = ComparedLength(entry);
  return length > entry.overlapped.offset ? length - entry.overlapped.offset : 0;
}

bool ReadComparedBytes(FileHandle file, const FileEntry& entry, uint64_t offset, void* dest,
                       uint32_t n, uint32_t* count) {
  // Without a trailing tag a read may pass the end: a file that grew shows.
  uint64_t length = ComparedLength(entry);
  if (entry.trailingTagBytes)
    n = static_cast<uint32_t>(std::min<uint64_t>(n, length > offset ? length - offset : 0));
  return platform.readAt(file, entry.leadingTagBytes + offset, dest, n, count);
}

void IssueRead(FileEntry& entry, uint8_t* dest, uint32_t n) {
  uint32_t count = 0;
  bool ok = ReadComparedBytes(entry.handle, entry, entry.overlapped.offset, dest, n, &count);
  uint64_t expected = std::min<uint64_t>(n, BytesLeft(entry));
  entry.overlapped.pendingCount = count;
  entry.overlapped.pendingFailed = !ok || count != expected;
}

uint32_t CollectRead(FileEntry& entry, bool* failed) {
  uint32_t count = entry.overlapped.pendingCount;
  *failed = entry.overlapped.pendingFailed != 0;
  entry.overlapped.offset += count;
  entry.overlapped.pendingCount = 0;
  entry.overlapped.pendingFailed = 0;
  return count;
}
