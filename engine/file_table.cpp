#include "engine/file_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/hooks.h"
#include "engine/path_store.h"

FileTable fileTable;
SearchState searchState;

void* (*resizeTableStorage)(void* block, size_t bytes) = realloc;

// Resizing in place (large blocks are remapped, not copied, where the system
// can) means a growing table is never held twice.
static FileEntry* ResizeRecords(FileEntry* records, uint32_t capacity) {
  size_t count = static_cast<size_t>(capacity) + SpareRecords;
  if (count > SIZE_MAX / sizeof(FileEntry)) return nullptr;
  return static_cast<FileEntry*>(resizeTableStorage(records, count * sizeof(FileEntry)));
}

bool CreateFileTable() {
  fileTable.capacity = InitialCapacity;
  fileTable.count = 0;
  fileTable.entries = ResizeRecords(nullptr, fileTable.capacity);
  return fileTable.entries != nullptr;
}

bool ObtainSearchMemory() {
  if (!CreateFileTable()) {
    engineHooks.showMessage("Fehler Speicher Entries", "Fehler", ButtonsOk);
    return false;
  }
  return true;
}

void ClearFileTable() {
  ClearPathStore();
  memset(fileTable.entries, 0,
         (static_cast<size_t>(fileTable.capacity) + SpareRecords) * sizeof(FileEntry));
}

bool GrowFileTableIfNeeded() {
  if (fileTable.count <= fileTable.capacity) return true;
  uint32_t oldCapacity = fileTable.capacity;
  FileEntry* grown = oldCapacity <= UINT32_MAX - GrowthStep - SpareRecords
                         ? ResizeRecords(fileTable.entries, oldCapacity + GrowthStep)
                         : nullptr;
  if (!grown) {
    // The old storage, capacity and records stay, so the run can still sort
    // and list what it has and later searches reuse the table.
    engineHooks.showMessage("Fehler Speicher Files", "Fehler", ButtonsOk);
    searchState.running = 0;
    return false;
  }
  size_t oldRecords = static_cast<size_t>(oldCapacity) + SpareRecords;
  memset(grown + oldRecords, 0, static_cast<size_t>(GrowthStep) * sizeof(FileEntry));
  fileTable.entries = grown;
  fileTable.capacity = oldCapacity + GrowthStep;
  return true;
}

SecondsText FormatSeconds(int64_t seconds) {
  SecondsText shown;
  snprintf(shown.text, sizeof shown.text, "%d sec", static_cast<int>(seconds));
  return shown;
}

MegabytesText FormatMegabytes(float bytes) {
  MegabytesText shown;
  snprintf(shown.text, sizeof shown.text, "%.2f", static_cast<double>(bytes) / 1048576.0);
  return shown;
}

int ElapsedSeconds() {
  searchState.nowTime = platform.clockSeconds();
  return static_cast<int>(searchState.nowTime - searchState.startTime);
}
