#include "engine/entry_io.h"

#include "engine/hooks.h"
#include "engine/progress.h"

bool OpenEntry(FileEntry& entry) {
  openRefusedAsHeld = false;
  entry.handle = platform.openExclusive(entry.path);
  if (entry.handle != InvalidFileHandle) return true;
  if (openRefusedAsHeld)
    entry.done = 1;
  else
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

void CloseEntry(FileEntry& entry) {
  if (entry.handle != InvalidFileHandle) platform.closeFile(entry.handle);
  entry.handle = InvalidFileHandle;
}

void ShowOutOfMemory() {
  engineHooks.showMessage("Fehler!", "Nicht mehr genug Speicher.", ButtonsOk);
}

bool ReadComparedBytes(const FileEntry& entry, uint64_t offset, void* dest, uint32_t n,
                       uint32_t* count) {
  bool read = platform.readAt(entry.handle, entry.leadingTagBytes + offset, dest, n, count);
  if (read) CountComparedBytes(*count);
  return read;
}
