#include "engine/scan.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/id3_tags.h"
#include "engine/settings.h"

namespace {

// The folders of the walk from its start down to the folder being listed.
// Each level adds at least a separator and a character to a path of at most
// MaxPath - 1, which bounds the depth.
constexpr int MaxDepth = MaxPath / 2 + 1;
FolderIdentity walkedFolders[MaxDepth];
int walkDepth = 0;

// A folder that is one of those being walked above (a link or junction back
// up the tree) would repeat the walk without end.
bool IsWalkedAbove(const FolderIdentity& folder) {
  for (int k = 0; k < walkDepth; k++)
    if (walkedFolders[k].volume == folder.volume && walkedFolders[k].index == folder.index)
      return true;
  return false;
}

// Starts a listing; when memory ran out the run ends with the memory message.
DirListing* StartListing(const char* pattern, DirEntry* found) {
  errno = 0;
  DirListing* listing = platform.findFirst(pattern, found);
  if (!listing && errno == ENOMEM) {
    ShowOutOfMemory();
    searchState.running = 0;
  }
  return listing;
}

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
  if (!JoinPath(entry.path, folder, found.name)) {
    // A cut path would name another file or none; the file is left out, but
    // not in silence.
    searchState.skippedFiles++;
    return true;
  }
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
  DirListing* listing = StartListing(pattern, &found);
  if (!listing) return searchState.running != 0;
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

void Walk(const char* folder);

void ScanSubfolders(const char* folder) {
  char path[MaxPath];
  if (!JoinPath(path, folder, "*.*")) return;
  DirEntry found;
  DirListing* listing = StartListing(path, &found);
  if (!listing) return;
  do {
    if (Stopped()) break;
    if (!found.isDirectory || strcmp(found.name, ".") == 0 || strcmp(found.name, "..") == 0)
      continue;
    if (JoinPath(path, folder, found.name)) Walk(path);
  } while (platform.findNext(listing, &found));
  platform.findClose(listing);
}

// A folder whose identity cannot be taken is walked all the same, as it was
// before loops were looked for; its depth stays bounded by the path length.
void Walk(const char* folder) {
  if (Stopped()) return;
  // With a separator after it "c:" names the root, not the drive's current
  // folder, and a bare POSIX root "" names "/".
  char probe[MaxPath + 1];
  snprintf(probe, sizeof probe, "%s%c", folder, PathSeparator);
  FolderIdentity identity;
  bool known = platform.folderIdentity(probe, &identity);
  if (known && IsWalkedAbove(identity)) return;
  if (known && walkDepth < MaxDepth) walkedFolders[walkDepth++] = identity;
  else known = false;
  if (ScanFiles(folder)) ScanSubfolders(folder);
  if (known) walkDepth--;
}

}  // namespace

void ScanDirectory(const char* folder) {
  walkDepth = 0;
  Walk(folder);
}
