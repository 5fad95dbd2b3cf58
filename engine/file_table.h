// The file table: one record per accepted file, a single growable array that
// lives for the whole program, and the counters of the current search.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr uint32_t InitialCapacity = 32000;
constexpr uint32_t SpareRecords = 10;
constexpr uint32_t GrowthStep = 20000;

struct FileEntry {
  const char* path;       // in the path store; null in a cleared record
  FileHandle handle;      // InvalidFileHandle while the file is not open
  uint8_t done;           // settled: found equal to an earlier entry, or unopenable
  int32_t groupId;        // table index + 1 of the group's first member, 0 = none
  uint64_t size;          // full 64-bit size
  FileTime creationTime;
  FileTime lastWriteTime;
  uint32_t leadingTagBytes;   // an ID3v2 tag left out of the comparison, or 0
  uint32_t trailingTagBytes;  // an ID3v1 tag left out of the comparison, or 0
};

// The bytes the comparison looks at: the whole file, or the file without its
// ID3 tags when that option is on. The sort, the grouping pass and the
// comparison go by it; `size` stays the file's own size.
inline uint64_t ComparedLength(const FileEntry& entry) {
  return entry.size - entry.leadingTagBytes - entry.trailingTagBytes;
}

struct FileTable {
  FileEntry* entries;  // room for capacity + SpareRecords records
  uint32_t capacity;
  uint32_t count;
};

struct SearchState {
  int32_t running;
  uint32_t duplicateCount;
  float duplicateBytes;
  int64_t startTime;
  int64_t nowTime;
  // Files the run could not take into account: not openable, not readable,
  // changed since the scan, or with a path too long to name them.
  uint32_t skippedFiles;
  // Folders the run could not search: not listable, or with a path too long.
  uint32_t skippedFolders;
  // Folders and files the user's exclusions kept out of the run, on purpose.
  uint32_t excludedFiles;
  uint32_t excludedFolders;
};

extern FileTable fileTable;
extern SearchState searchState;

// Where table storage comes from (realloc semantics); tests replace it to make
// growth fail.
extern void* (*resizeTableStorage)(void* block, size_t bytes);

// Start-up: storage for InitialCapacity + SpareRecords records, count 0.
bool CreateFileTable();
// Start-up of either program: the table. On failure says so through the
// message hook ("Fehler Speicher Entries", caption "Fehler") and returns
// false: the program then ends without a window.
bool ObtainSearchMemory();
// Start of a search: every record of the storage, spares included, to zero.
void ClearFileTable();
// After an append: grows by GrowthStep once the first spare record is in use.
// On failure shows "Fehler Speicher Files", clears `running`, keeps the old
// storage and returns false.
bool GrowFileTableIfNeeded();
// Elapsed whole seconds after a fresh sample of the clock into `nowTime`.
int ElapsedSeconds();
// "<seconds> sec", as the page's time field shows it.
struct SecondsText {
  char text[32];
};
SecondsText FormatSeconds(int64_t seconds);
// The megabytes of duplicates, "%.2f", as the page's field 107 shows them.
struct MegabytesText {
  char text[32];
};
MegabytesText FormatMegabytes(float bytes);
