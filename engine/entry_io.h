// What the comparison does to one table entry: open its file, read its
// compared bytes, check it against the scan, settle it, close it.
#pragma once
#include <cstdint>

#include "engine/file_table.h"

// Opens the entry's file exclusively. False when it cannot be opened; the
// entry is then settled, and counted as skipped unless this run holds the
// same file by another path. Whether it changed since the scan shows where it
// matters: a short read, or its size when its comparison ends.
bool OpenEntry(FileEntry& entry);

// True while the open file still has its scanned size. Other programs may
// write to a file this process holds open on POSIX, so equality is only
// declared for files that end exactly where the scan saw them end.
bool StillAsScanned(const FileEntry& entry);

// Settles an entry whose file could not be read as it was scanned, and counts
// it as skipped (once).
void SettleUnreadable(FileEntry& entry);

// Closes the entry's file if it is open.
void CloseEntry(FileEntry& entry);

// "Fehler!" / "Nicht mehr genug Speicher.", the one memory message of a run.
void ShowOutOfMemory();

// Reads up to n of the open entry's compared bytes from `offset` of them,
// which start behind a leading tag.
bool ReadComparedBytes(const FileEntry& entry, uint64_t offset, void* dest, uint32_t n,
                       uint32_t* count);
