#include "engine/file_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/hooks.h"

FileTable fileTable;
SearchState searchState;
uint8_t* streamBuffers[StreamBufferCount];

void* (*allocateTableStorage)(size_t bytes) = malloc;

static FileEntry* AllocateRecords(uint32_t capacity) {
  size_t records = static_cast<size_t>(capacity) + SpareRecords;
  if (records > SIZE_MAX / sizeof(FileEntry)) return nullptr;
  return static_cast<FileEntry*>(allocateTableStorage(records * sizeof(FileEntry)));
}

bool CreateFileTable() {
  fileTable.capacity = InitialCapacity;
  fileTable.count = 0;
  fileTable.entries = AllocateRecords(fileTable.capacity);
  return fileTable.entries != nullptr;
}

bool ObtainStreamBuffers() {
  for (uint8_t*& buffer : streamBuffers) {
    buffer = static_cast<uint8_t*>(malloc(StreamBufferSize));
    if (!buffer) return false;
  }
  return true;
}

bool ObtainSearchMemory() {
  if (!ObtainStreamBuffers()) {
    engineHooks.showMessage("Fehler Speicher large content", "Fehler", ButtonsOk);
    return false;
  }
  if (!CreateFileTable()) {
    engineHooks.showMessage("Fehler Speicher Entries", "Fehler", ButtonsOk);
    return false;
  }
  return true;
}

void ClearFileTable() {
  memset(fileTable.entries, 0,
         (static_cast<size_t>(fileTable.capacity) + SpareRecords) * sizeof(FileEntry));
}

bool GrowFileTableIfNeeded() {
  if (fileTable.count <= fileTable.capacity) return true;
  uint32_t oldCapacity = fileTable.capacity;
  FileEntry* grown = oldCapacity <= UINT32_MAX - GrowthStep - SpareRecords
                         ? AllocateRecords(oldCapacity + GrowthStep)
                         : nullptr;
  if (!grown) {
    // The old storage, capacity and records stay, so the run can still sort
    // and list what it has and later searches reuse the table.
    engineHooks.showMessage("Fehler Speicher Files", "Fehler", ButtonsOk);
    searchState.running = 0;
    return false;
  }
  size_t oldRecords = static_cast<size_t>(oldCapacity) + SpareRecords;
  memcpy(grown, fileTable.entries, oldRecords * sizeof(FileEntry));
  memset(grown + oldRecords, 0, static_cast<size_t>(GrowthStep) * sizeof(FileEntry));
  free(fileTable.entries);
  fileTable.entries = grown;
  fileTable.capacity = oldCapacity + GrowthStep;
  return true;
}

SecondsText FormatSeconds(int64_t seconds) {
  SecondsText shown;
  snprintf(shown.text, sizeof shown.text, "%d sec", static_cast<int>(seconds));
  return shown;
}

int ElapsedSeconds() {
  searchState.nowTime = platform.clockSeconds();
  return static_cast<int>(searchState.nowTime - searchState.startTime);
}
