#include "actions/backup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "actions/marked_files.h"
#include "engine/text.h"
#include "ui/message_box.h"

namespace {

// Splits the last component of `path` into name and extension (from its last
// dot on; a leading dot belongs to the name, as in ".profile").
void SplitFileName(const char* path, char (&name)[MaxPath], char (&ext)[MaxPath]) {
  const char* start = FileNameOf(path);
  const char* dot = strrchr(start, '.');
  if (dot == start) dot = nullptr;
  size_t nameLength = dot != nullptr ? static_cast<size_t>(dot - start) : strlen(start);
  if (nameLength >= MaxPath) nameLength = MaxPath - 1;
  memcpy(name, start, nameLength);
  name[nameLength] = '\0';
  snprintf(ext, MaxPath, "%s", dot != nullptr ? dot : "");
}

// A new folder for this run: "<stamp>", or "<stamp> (2)" and so on when an
// earlier run of the same second already has one.
bool CreateRunFolder(const char* root, const RunStamp& stamp, char (&folder)[MaxPath]) {
  char stem[2 * MaxPath];
  snprintf(stem, sizeof stem, "%s\\%s", root, stamp.text);
  for (int number = 1; number <= MaxNameNumber; ++number) {
    if (!NumberedPath(folder, stem, "", number)) return false;
    if (CreateDirectoryA(folder, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// Moves one file into the run folder under its own name, or the first free
// numbered name; an existing file there is never replaced.
bool MoveIntoRunFolder(const FileEntry& entry, void* context) {
  const char* runFolder = static_cast<const char*>(context);
  char name[MaxPath];
  char ext[MaxPath];
  SplitFileName(entry.path, name, ext);
  char stem[2 * MaxPath];
  snprintf(stem, sizeof stem, "%s\\%s", runFolder, name);
  for (int number = 1; number <= MaxNameNumber; ++number) {
    char target[MaxPath];
    if (!NumberedPath(target, stem, ext, number)) return false;
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) continue;
    if (MoveFileExA(entry.path, target, MOVEFILE_COPY_ALLOWED)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool CreateBackupRoot(char (&root)[MaxPath]) {
  char folder[MaxPath];
  if (!ExecutableFolder(folder)) return false;
  int length = snprintf(root, MaxPath, "%sBackUp", folder);
  if (length < 0 || length >= MaxPath) return false;
  CreateDirectoryA(root, nullptr);  // an existing root is the normal case
  return GetFileAttributesA(root) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void BackupMarkedFiles() {
  MarkedPlan plan;
  if (!TakeMarkedRows(&plan, "verschieben")) return;
  char root[MaxPath];
  if (!CreateBackupRoot(root)) {
    ShowMessage("Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK);
    return;
  }
  RunStamp stamp;
  TakeRunStamp(&stamp);
  char runFolder[MaxPath];
  if (!CreateRunFolder(root, stamp, runFolder)) {
    ShowMessage("Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK);
    return;
  }

  char stem[2 * MaxPath];
  snprintf(stem, sizeof stem, "%s\\backup", runFolder);
  char logName[MaxPath];
  FILE* log = CreateFreshLog(stem, ".log", logName);
  if (log != nullptr) {
    WriteLogHeader(log, "verschobene Dateien von Velo-Parvik 1.0", stamp);
  } else if (ShowMessage("Kann Logdatei nicht anlegen\nWeiter?", "Achtung!", MB_YESNO) == IDNO) {
    return;
  }

  int stayed = ProcessMarkedRows(plan, MoveIntoRunFolder, runFolder, log);
  if (log != nullptr) fclose(log);
  ReportFilesThatStayed(stayed, "Kann %d Datei(en) nicht verschieben", plan.protectedFiles);
}
