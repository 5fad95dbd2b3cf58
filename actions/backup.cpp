#include "actions/backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "actions/marked_files.h"
#include "actions/origin_list.h"
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

// Written, flushed and on the disk: a power cut after this still leaves the
// line that tells where the file went.
bool RecordOrigin(FILE* origins, const char* target, const FileEntry& entry) {
  if (origins == nullptr) return false;
  std::string line = FormatOriginLine(OriginLine{FileNameOf(target), entry.path, entry.size, entry.lastWriteTime});
  if (fwrite(line.data(), 1, line.size(), origins) != line.size() || fflush(origins) != 0) return false;
  return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(origins)))) != 0;
}

// A new file, in binary mode: the lines end in CR LF as written.
FILE* CreateOriginList(const char* path) {
  WideText widePath;
  if (!ToWidePath(path, &widePath)) return nullptr;
  int fd = _wopen(widePath.text, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (fd >= 0 && file == nullptr) _close(fd);
  if (file != nullptr) fputs(OriginListHeader, file);
  return file;
}

// Moves one file into the run folder under its own name, or the first free
// numbered name; an existing file there is never replaced.
bool MoveIntoRunFolder(const FileEntry& entry, void* context) {
  const BackupRun* run = static_cast<const BackupRun*>(context);
  const char* runFolder = run->folder;
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
    if (!RecordOrigin(run->origins, target, entry)) return false;
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
  static char path[MaxPathBytes];
  snprintf(path, sizeof path, "%s\\%s", run->folder, OriginListName);
  run->origins = CreateOriginList(path);
  ActionReport report = ProcessMarkedRows(plan, MoveIntoRunFolder, run, &run->log, listed);
  if (run->origins != nullptr) fclose(run->origins);
  run->origins = nullptr;
  return report;
}
