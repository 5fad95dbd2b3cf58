// What the grouping pass and the content comparison do to one table entry:
// open and close its file, hold its prefix cache, and read it at its read
// position with the count left pending until it is collected.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/file_table.h"

// Where cache storage comes from (realloc semantics); tests replace it to make
// growth fail.
extern void* (*resizeCacheStorage)(void* block, size_t bytes);

// The most a cache may ever hold: the cacheable part of the file plus the
// prefix slack, min(compared length, CacheLimit) + PrefixSize.
uint32_t CacheCeiling(const FileEntry& entry);

// Gives the entry an empty cache (cachedBytes 0) of modest capacity; it grows
// as it is filled. False when no memory is left.
bool ObtainCache(FileEntry& entry);

// Makes room for the first `end` bytes (end <= CacheCeiling), at least doubling
// the capacity so that filling a cache block by block costs few copies; a small
// cache that outgrows a megabyte moves into a kept block (cache_pool.h). False
// when no memory is left; the cache is then unchanged.
bool ReserveCache(FileEntry& entry, uint64_t end);

// Gives the cache's block to the pool of kept blocks, which frees small ones.
void ReleaseCache(FileEntry& entry);

// Opens the entry's file exclusively. False when it cannot be opened or its
// size is no longer the scanned one; the entry is then settled, and counted
// as skipped unless this run holds the same file by another path.
bool OpenEntry(FileEntry& entry);

// True while the open file still has its scanned size. Other programs may
// write to a file this process holds open on POSIX, so equality is only
// declared for files that end exactly where the scan saw them end.
bool StillAsScanned(const FileEntry& entry);

// Settles an entry whose file could not be read as it was scanned, and counts
// it as skipped (once).
void SettleUnreadable(FileEntry& entry);

// Closes the entry's file and releases its cache, whichever it holds.
void ReleaseEntry(FileEntry& entry);

// "Fehler!" / "Nicht mehr genug Speicher.", the one memory message of the pass.
void ShowOutOfMemory();

// Compared bytes from the read position to their end; 0 at or beyond it.
uint64_t BytesLeft(const FileEntry& entry);

// Reads up to n of the entry's compared bytes from `offset` of them: reads
// start behind a leading tag and stop before a trailing one.
bool ReadComparedBytes(FileHandle file, const FileEntry& entry, uint64_t offset, void* dest,
                       uint32_t n, uint32_t* count);

// Reads up to n bytes at the read position into dest; the count stays pending
// (replacing an older pending count) until the entry is collected.
void IssueRead(FileEntry& entry, uint8_t* dest, uint32_t n);

// Adds the pending count to the read position, clears it and returns it.
// `*failed` is set when that read failed or delivered other than exactly the
// bytes the file holds there by its scanned size (it shrank, grew or broke).
uint32_t CollectRead(FileEntry& entry, bool* failed);
