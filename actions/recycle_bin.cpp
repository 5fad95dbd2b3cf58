#include "actions/recycle_bin.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "actions/marked_files.h"
#include "engine/text.h"

namespace {

// Only fixed drives have a Recycle Bin; network, removable and optical
// drives would have the shell delete the file for good.
bool VolumeHasRecycleBin(const char* path) {
  char root[MaxPath];
  return GetVolumePathNameA(path, root, MaxPath) && GetDriveTypeA(root) == DRIVE_FIXED;
}

// A second name for the file in its folder, kept while the shell works: if
// the shell deletes the file for good instead of recycling it, the data
// lives on under this name and goes back to its place.
bool LinkKeepName(const char* path, char (&keep)[MaxPath]) {
  char stem[MaxPath];
  size_t folder = static_cast<size_t>(FileNameOf(path) - path);
  if (snprintf(stem, sizeof stem, "%.*s~parvik-keep", static_cast<int>(folder), path) >= MaxPath) return false;
  for (int number = 1; number <= MaxNameNumber; ++number) {
    if (!NumberedPath(keep, stem, ".tmp", number)) return false;
    if (CreateHardLinkA(keep, path, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

DWORD LinkCount(const char* path) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  DWORD links = GetFileInformationByHandle(file, &info) ? info.nNumberOfLinks : 0;
  CloseHandle(file);
  return links;
}

bool RecycleOneFile(const FileEntry& entry, void*) { return MoveToRecycleBin(entry.path); }

}  // namespace

int (*shellFileOperation)(SHFILEOPSTRUCTA* operation) = [](SHFILEOPSTRUCTA* operation) {
  return SHFileOperationA(operation);
};

bool MoveToRecycleBin(const char* path) {
  char keep[MaxPath];
  if (!VolumeHasRecycleBin(path) || !LinkKeepName(path, keep)) return false;
  char from[MaxPath + 1] = {};  // the shell takes a list ending in two NULs
  memcpy(from, path, strlen(path));
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from;
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  shellFileOperation(&operation);
  // Only a path that is not found any more counts: an attribute query that
  // fails for another reason says nothing.
  bool leftItsPlace = GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
                      (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
  // In the bin, the file still has its second name there besides ours.
  if (leftItsPlace && LinkCount(keep) >= 2) {
    DeleteFileA(keep);
    return true;
  }
  if (leftItsPlace) MoveFileA(keep, path);  // deleted for good: it goes back
  else DeleteFileA(keep);
  return false;
}

void RecycleMarkedFiles() {
  RunConfirmedAction({"-papierkorb", "in den Papierkorb gelegte Dateien von Velo-Parvik 1.0",
                      "Markierte Dateien in den Papierkorb legen?\nWirklich sicher?", "in den Papierkorb legen",
                      "Kann %d Datei(en) nicht in den Papierkorb legen", RecycleOneFile});
}
