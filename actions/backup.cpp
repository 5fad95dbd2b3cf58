#include "actions/backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "actions/marked_files.h"
#include "engine/text.h"
#include "platform/wide_text.h"

namespace {

// Splits the last component of `path` into name and extension (from its last
// dot on; a leading dot belongs to the name, as in ".profile").
void SplitFileName(const char* path, char (&name)[MaxNameBytes], char (&ext)[MaxNameBytes]) {
  const char* start = FileNameOf(path);
  const char* dot = strrchr(start, '.');
  if (dot == start) dot = nullptr;
  size_t nameLength = dot != nullptr ? static_cast<size_t>(dot - start) : strlen(start);
  if (nameLength >= sizeof name) nameLength = sizeof name - 1;
  memcpy(name, start, nameLength);
  name[nameLength] = '\0';
  snprintf(ext, sizeof ext, "%s", dot != nullptr ? dot : "");
}

bool CreateFolder(const char* path) {
  WideText widePath;
  return ToWidePath(path, &widePath) && CreateDirectoryW(widePath.text, nullptr);
}

bool Exists(const char* path) {
  WideText widePath;
  return ToWidePath(path, &widePath) && GetFileAttributesW(widePath.text) != INVALID_FILE_ATTRIBUTES;
}

// A new folder for this run: "<stamp>", or "<stamp> (2)" and so on when an
// earlier run of the same second already has one.
bool CreateRunFolder(const char* root, const RunStamp& stamp, char (&folder)[MaxPathBytes]) {
  char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s\\%s", root, stamp.text);
  for (int number = 1; number <= MaxNameNumber; ++number) {
    if (!NumberedPath(folder, stem, "", number)) return false;
    if (CreateFolder(folder)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// Moves one file into the run folder under its own name, or the first free
// numbered name; an existing file there is never replaced.
bool MoveIntoRunFolder(const FileEntry& entry, void* context) {
  const char* runFolder = static_cast<const char*>(context);
  char name[MaxNameBytes];
  char ext[MaxNameBytes];
  SplitFileName(entry.path, name, ext);
  static char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s\\%s", runFolder, name);
  WideText source;
  if (!ToWidePath(entry.path, &source)) return false;
  for (int number = 1; number <= MaxNameNumber; ++number) {
    static char target[MaxPathBytes];
    WideText wideTarget;
    if (!NumberedPath(target, stem, ext, number) || !ToWidePath(target, &wideTarget)) return false;
    if (GetFileAttributesW(wideTarget.text) != INVALID_FILE_ATTRIBUTES) continue;
    if (MoveFileExW(source.text, wideTarget.text, MOVEFILE_COPY_ALLOWED)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool CreateBackupRoot(char (&root)[MaxPathBytes]) {
  char folder[MaxPathBytes];
  if (!ExecutableFolder(folder)) return false;
  int length = snprintf(root, sizeof root, "%sBackUp", folder);
  if (length < 0 || static_cast<size_t>(length) >= sizeof root) return false;
  CreateFolder(root);  // an existing root is the normal case
  return Exists(root);
}

}  // namespace

BackupStart StartBackup(const std::vector<ListedRow>& rows, BackupRun* run) {
  static char root[MaxPathBytes];
  if (!CreateBackupRoot(root)) return BackupStart::NoFolder;
  RunStamp stamp;
  TakeRunStamp(&stamp);
  if (!CreateRunFolder(root, stamp, run->folder)) return BackupStart::NoFolder;
  static char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s\\backup", run->folder);
  if (!OpenActionLog(&run->log, stem, "verschobene Dateien von Velo-Parvik 1.0", stamp, rows)) return BackupStart::NoLog;
  return BackupStart::Ready;
}

ActionReport BackupFiles(const MarkedPlan& plan, BackupRun* run, RowStillListed listed) {
  return ProcessMarkedRows(plan, MoveIntoRunFolder, run->folder, &run->log, listed);
}
