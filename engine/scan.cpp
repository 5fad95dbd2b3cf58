#include "engine/scan.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/id3_tags.h"
#include "engine/path_store.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

// The folder being walked: each level appends its subfolder's name and cuts
// it off again, so deep trees need no path buffer per level.
char walkPath[MaxPathBytes];
size_t walkLength;
// Listing patterns and file paths are put together here for a moment.
char joined[MaxPathBytes];

enum class Listing { Started, Empty, Unlistable };

// Starts a listing; when memory ran out the run ends with the memory message.
Listing StartListing(const char* pattern, DirEntry* found, DirListing** listing) {
  errno = 0;
  *listing = platform.findFirst(pattern, found);
  if (*listing) return Listing::Started;
  if (errno == ENOMEM) {
    ShowOutOfMemory();
    searchState.running = 0;
  }
  return errno == 0 ? Listing::Empty : Listing::Unlistable;
}

bool Stopped() { return !searchState.running || fileTable.count > fileTable.capacity; }

// "walked folder<sep>name" into `joined`; false when it does not fit, since a
// cut path would name another file or none.
bool JoinToWalked(const char* name) {
  int length = snprintf(joined, sizeof joined, "%s%c%s", walkPath, PathSeparator, name);
  return length >= 0 && static_cast<size_t>(length) < walkPathLimit;
}

// Appends "<sep>name" to the walked folder; false when it does not fit.
bool EnterSubfolder(const char* name) {
  if (!JoinToWalked(name)) return false;
  walkLength = strlen(joined);
  memcpy(walkPath, joined, walkLength + 1);
  return true;
}

void LeaveSubfolder(size_t length) {
  walkLength = length;
  walkPath[length] = '\0';
}

// A folder that cannot be searched is left out, but not in silence.
void SkipFolder() { searchState.skippedFolders++; }

void ShowScanProgress() {
  if (fileTable.count % 50 != 0) return;
  engineHooks.setFieldNumber(FieldFileCount, fileTable.count);
  engineHooks.setFieldText(FieldElapsed, FormatSeconds(ElapsedSeconds()).text);
  engineHooks.pumpMessages();
}

// Returns false when the table could not grow and the walk must end.
bool AppendFile(const DirEntry& found) {
  if (found.size <= settings.minSize) return true;
  FileEntry& entry = fileTable.entries[fileTable.count];
  if (!JoinToWalked(found.name)) {
    // A cut path would name another file or none; the file is left out, but
    // not in silence.
    searchState.skippedFiles++;
    return true;
  }
  entry.path = StorePath(joined);
  if (!entry.path) {
    ShowOutOfMemory();
    searchState.running = 0;
    return false;
  }
  entry.creationTime = found.creationTime;
  entry.lastWriteTime = found.lastWriteTime;
  entry.size = found.size;
  entry.groupId = 0;
  entry.done = 0;
  entry.handle = InvalidFileHandle;
  entry.leadingTagBytes = 0;
  entry.trailingTagBytes = 0;
  if (settings.id3Tag) MeasureTags(entry);
  fileTable.count++;
  return GrowFileTableIfNeeded();
}

// The names of the subfolders met while listing the files, in listing order,
// one after the other with their terminators.
struct FolderNames {
  char* text;  // malloc'd; null while empty
  size_t length;
  size_t capacity;
  bool complete;  // false once memory ran out: the folder is listed again
};

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Folders that Windows keeps for itself: the Recycle Bin (whose copies must
// never be the ones kept) and the restore points. Passed over unless the
// search starts inside one, where the user asked for it.
bool skipSystemFolders;

constexpr const char* SystemFolders[] = {"$RECYCLE.BIN", "RECYCLER", "System Volume Information"};

bool IsSystemFolder(const char* name) {
  for (const char* system : SystemFolders)
    if (SameTextIgnoringAsciiCase(name, system)) return true;
  return false;
}

bool LiesInSystemFolder(const char* path) {
  char part[MaxPath];
  for (const char* at = path; *at != '\0';) {
    size_t length = 0;
    while (at[length] != '\0' && at[length] != '/' && at[length] != PathSeparator) ++length;
    if (length < MaxPath) {
      CopyText(part, length + 1, at);
      if (IsSystemFolder(part)) return true;
    }
    at += length;
    if (*at != '\0') ++at;
  }
  return false;
}

// Whether the walk enters a subfolder it lists. A junction or folder link is
// not entered: what it leads to is searched where it lies, if under a
// source, and Windows' own junctions in a user folder deny listing anyway.
bool IsWalkedInto(const DirEntry& found) {
  return found.isDirectory && !found.isLink && !IsDotEntry(found.name) &&
         !(skipSystemFolders && IsSystemFolder(found.name));
}

void Remember(FolderNames* names, const char* name) {
  size_t bytes = strlen(name) + 1;
  if (!names->complete) return;
  if (names->length + bytes > names->capacity) {
    size_t grown = (names->capacity ? names->capacity * 2 : 1024) + bytes;
    char* bigger = static_cast<char*>(realloc(names->text, grown));
    if (!bigger) {
      names->complete = false;
      return;
    }
    names->text = bigger;
    names->capacity = grown;
  }
  memcpy(names->text + names->length, name, bytes);
  names->length += bytes;
}

// The files of the walked folder that match the filter; when `names` is given (the
// filter lists every entry) also the subfolders it lists. False when the
// walk must end, or the folder cannot be listed (it is then counted).
bool ScanFiles(FolderNames* names) {
  DirEntry found;
  DirListing* listing = nullptr;
  Listing started = JoinToWalked(settings.currentFilter) ? StartListing(joined, &found, &listing)
                                                         : Listing::Unlistable;
  if (started == Listing::Unlistable && searchState.running) SkipFolder();
  if (started != Listing::Started) return started == Listing::Empty && searchState.running;
  bool goOn = true;
  do {
    if (Stopped()) {
      goOn = false;
      break;
    }
    if (found.isDirectory) {
      if (names && IsWalkedInto(found)) Remember(names, found.name);
      continue;
    }
    if (found.isLink) continue;  // a link to a file: every listed path is the file's own
    if (!AppendFile(found)) {
      goOn = false;
      break;
    }
    ShowScanProgress();
  } while (platform.findNext(listing, &found));
  platform.findClose(listing);
  return goOn;
}

// One folder of the walk from its start down to the folder being listed:
// the walk keeps its own stack, so no build depends on a large thread stack.
struct WalkFrame {
  size_t pathLength;  // of the folder in walkPath
  FolderIdentity identity;
  bool known;         // false when its identity cannot be taken
  FolderNames names;  // its subfolders, when the files' listing gave them
  size_t nextName;
  DirListing* listing;  // otherwise a listing of its own, while open
  bool firstPending;    // its first entry, in `found`, is still to be taken
};
WalkFrame* frames;  // malloc'd, kept for the next walk
int frameCount;
int frameCapacity;
// The subfolder listing's current entry: taken before the walk goes deeper.
DirEntry found;

// A folder that is one of those being walked above (a loop of the file
// system, a bind mount) would repeat the walk without end.
bool IsWalkedAbove(const FolderIdentity& folder) {
  for (int k = 0; k < frameCount; k++)
    if (frames[k].known && frames[k].identity.volume == folder.volume && frames[k].identity.index == folder.index)
      return true;
  return false;
}

bool GrowFrames() {
  if (frameCount < frameCapacity) return true;
  int grown = frameCapacity ? frameCapacity * 2 : 64;
  void* bigger = realloc(frames, static_cast<size_t>(grown) * sizeof(WalkFrame));
  if (!bigger) {
    ShowOutOfMemory();
    searchState.running = 0;
    return false;
  }
  frames = static_cast<WalkFrame*>(bigger);
  frameCapacity = grown;
  return true;
}

void StartSubfolderListing(WalkFrame& frame) {
  if (!JoinToWalked("*.*")) return SkipFolder();  // its subfolders cannot be listed
  Listing started = StartListing(joined, &found, &frame.listing);
  if (started == Listing::Unlistable && searchState.running) SkipFolder();
  frame.firstPending = started == Listing::Started;
}

// The files, then the subfolders. The subfolders are listed with "*.*"; when
// that is the filter, the one listing serves both, in the same order.
void ScanFolder(WalkFrame& frame) {
  if (strcmp(settings.currentFilter, "*.*") != 0) {
    if (ScanFiles(nullptr)) StartSubfolderListing(frame);
    return;
  }
  bool goOn = ScanFiles(&frame.names);
  if (goOn && frame.names.complete) return;
  free(frame.names.text);
  frame.names = FolderNames{nullptr, 0, 0, true};
  if (goOn) StartSubfolderListing(frame);
}

// Takes the walked folder onto the stack and lists its files. False when it
// is not walked: a loop, or the walk has ended.
bool PushFolder() {
  if (Stopped()) return false;
  // With a separator after it "c:" names the root, not the drive's current
  // folder, and a bare POSIX root "" names "/". A folder whose identity cannot
  // be taken is walked all the same; its depth is bounded by the path length.
  FolderIdentity identity = {0, 0};
  bool known = JoinToWalked("") && platform.folderIdentity(joined, &identity) &&
               IsKnownIdentity(identity.index);
  if ((known && IsWalkedAbove(identity)) || !GrowFrames()) return false;
  WalkFrame& frame = frames[frameCount++];
  frame = WalkFrame{walkLength, identity, known, FolderNames{nullptr, 0, 0, true}, 0, nullptr, false};
  ScanFolder(frame);
  return true;
}

void PopFolder() {
  WalkFrame& frame = frames[--frameCount];
  free(frame.names.text);
  if (frame.listing) platform.findClose(frame.listing);
  if (frameCount > 0) LeaveSubfolder(frames[frameCount - 1].pathLength);
}

// The name of the folder's next subfolder to walk, or null after the last.
const char* NextSubfolder(WalkFrame& frame) {
  if (!frame.listing) {
    if (frame.nextName >= frame.names.length) return nullptr;
    const char* name = frame.names.text + frame.nextName;
    frame.nextName += strlen(name) + 1;
    return name;
  }
  while (frame.firstPending || platform.findNext(frame.listing, &found)) {
    frame.firstPending = false;
    if (IsWalkedInto(found)) return found.name;
    if (Stopped()) break;
  }
  return nullptr;
}

// Depth first, each folder's files before its subfolders, in listing order.
void Walk() {
  PushFolder();
  while (frameCount > 0) {
    WalkFrame& top = frames[frameCount - 1];
    const char* name = Stopped() ? nullptr : NextSubfolder(top);
    if (!name) {
      PopFolder();
      continue;
    }
    if (!EnterSubfolder(name)) {
      SkipFolder();
      continue;
    }
    if (!PushFolder()) LeaveSubfolder(frames[frameCount - 1].pathLength);
  }
}

}  // namespace

size_t walkPathLimit = MaxPathBytes;

void ScanDirectory(const char* folder) {
  skipSystemFolders = !LiesInSystemFolder(folder);
  if (strlen(folder) >= walkPathLimit || !CopyText(walkPath, sizeof walkPath, folder)) return SkipFolder();
  walkLength = strlen(walkPath);
  Walk();
}
