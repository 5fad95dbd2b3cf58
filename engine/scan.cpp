#include "engine/scan.h"

#include <cstdio>
#include <cstring>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/id3_tags.h"
#include "engine/settings.h"

namespace {

bool Stopped() { return !searchState.running || fileTable.count > fileTable.capacity; }

// "folder<sep>name" into a MaxPath buffer; false when it does not fit, since a
// cut path would name another file or none.
bool JoinPath(char* out, const char* folder, const char* name) {
  int length = snprintf(out, MaxPath, "%s%c%s", folder, PathSeparator, name);
  return length >= 0 && length < MaxPath;
}

void ShowScanProgress() {
  if (fileTable.count % 50 != 0) return;
  engineHooks.setFieldNumber(FieldFileCount, fileTable.count);
  engineHooks.setFieldText(FieldElapsed, FormatSeconds(ElapsedSeconds()).text);
  engineHooks.pumpMessages();
}

// Returns false when the table could not grow and the walk must end.
bool AppendFile(const char* folder, const DirEntry& found) {
  if (found.size <= settings.minSize) return true;
  FileEntry& entry = fileTable.entries[fileTable.count];
  if (!JoinPath(entry.path, folder, found.name)) return true;
  entry.creationTime = found.creationTime;
  entry.lastWriteTime = found.lastWriteTime;
  entry.size = found.size;
  entry.groupId = 0;
  entry.cachedBytes = 0;
  entry.done = 0;
  entry.handle = InvalidFileHandle;
  entry.cache = nullptr;
  entry.cacheCapacity = 0;
  entry.leadingTagBytes = 0;
  entry.trailingTagBytes = 0;
  if (settings.id3Tag) MeasureTags(entry);
  fileTable.count++;
  return GrowFileTableIfNeeded();
}

// The files of `folder` that match the filter. False when the walk must end.
bool ScanFiles(const char* folder) {
  char pattern[MaxPath];
  if (!JoinPath(pattern, folder, settings.currentFilter)) return true;
  DirEntry found;
  DirListing* listing = platform.findFirst(pattern, &found);
  if (!listing) return true;
  bool goOn = true;
  do {
    if (Stopped()) {
      goOn = false;
      break;
    }
    if (found.isDirectory) continue;
    if (!AppendFile(folder, found)) {
      goOn = false;
      break;
    }
    ShowScanProgress();
  } while (platform.findNext(listing, &found));
  platform.findClose(listing);
  return goOn;
}

void ScanSubfolders(const char* folder) {
  char path[MaxPath];
  if (!JoinPath(path, folder, "*.*")) return;
  DirEntry found;
  DirListing* listing = platform.findFirst(path, &found);
  if (!listing) return;
  do {
    if (Stopped()) break;
    if (!found.isDirectory || strcmp(found.name, ".") == 0 || strcmp(found.name, "..") == 0)
      continue;
    if (JoinPath(path, folder, found.name)) ScanDirectory(path);
  } while (platform.findNext(listing, &found));
  platform.findClose(listing);
}

}  // namespace

void ScanDirectory(const char* folder) {
  if (Stopped()) return;
  if (ScanFiles(folder)) ScanSubfolders(folder);
}
