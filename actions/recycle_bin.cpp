#include "actions/recycle_bin.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "engine/text.h"
#include "platform/wide_text.h"

namespace {

// Only fixed drives have a Recycle Bin; network, removable and optical
// drives would have the shell delete the file for good.
bool VolumeHasRecycleBin(const wchar_t* path) {
  wchar_t root[MaxPath];
  if (!GetVolumePathNameW(path, root, MaxPath)) return false;
  bool longForm = wcsncmp(root, L"\\\\?\\", 4) == 0 && root[4] != L'\0' && root[5] == L':';
  return GetDriveTypeW(longForm ? root + 4 : root) == DRIVE_FIXED;
}

// A second name for the file in its folder, kept while the shell works: if
// the shell deletes the file for good instead of recycling it, the data
// lives on under this name and goes back to its place.
bool LinkKeepName(const char* path, const wchar_t* widePath, WideText* keep) {
  static char stem[MaxPathBytes];
  static char keepName[MaxPathBytes];
  size_t folder = static_cast<size_t>(FileNameOf(path) - path);
  if (snprintf(stem, sizeof stem, "%.*s~parvik-keep", static_cast<int>(folder), path) >= MaxPathBytes) return false;
  for (int number = 1; number <= MaxNameNumber; ++number) {
    if (!NumberedPath(keepName, stem, ".tmp", number) || !ToWidePath(keepName, keep)) return false;
    if (CreateHardLinkW(keep->text, widePath, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

DWORD LinkCount(const wchar_t* path) {
  HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  DWORD links = GetFileInformationByHandle(file, &info) ? info.nNumberOfLinks : 0;
  CloseHandle(file);
  return links;
}

// In the bin the file keeps its links (ours included) under the bin's own
// name; deleted for good it lost the name the shell was given. A file that
// had other hard links before keeps some either way, so only the count as
// it was plus our second name says "in the bin".
bool IsInRecycleBin(const wchar_t* widePath, const wchar_t* keep, DWORD linksBefore) {
  // Only a path that is not found any more counts: an attribute query that
  // fails for another reason says nothing.
  bool leftItsPlace = GetFileAttributesW(widePath) == INVALID_FILE_ATTRIBUTES &&
                      (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
  return leftItsPlace && linksBefore != 0 && LinkCount(keep) == linksBefore + 1;
}

bool RecycleOneFile(const FileEntry& entry, void*) { return MoveToRecycleBin(entry.path); }

}  // namespace

int (*shellFileOperation)(SHFILEOPSTRUCTW* operation) = [](SHFILEOPSTRUCTW* operation) {
  return SHFileOperationW(operation);
};

bool MoveToRecycleBin(const char* path) {
  WideText widePath, keep, plain;
  if (!ToWidePath(path, &widePath) || !VolumeHasRecycleBin(widePath.text)) return false;
  // The shell takes no "\\?\" form: a file with a longer path stays where it is.
  if (!ToWide(path, &plain) || wcslen(plain.text) >= MaxPath) return false;
  DWORD linksBefore = LinkCount(widePath.text);
  if (!LinkKeepName(path, widePath.text, &keep)) return false;
  wchar_t from[MaxPath + 1] = {};  // the shell takes a list ending in two NULs
  wcscpy(from, plain.text);
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from;
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  shellFileOperation(&operation);
  if (IsInRecycleBin(widePath.text, keep.text, linksBefore)) {
    DeleteFileW(keep.text);
    return true;
  }
  // Deleted for good, it goes back; left in place, our second name goes.
  if (GetFileAttributesW(widePath.text) == INVALID_FILE_ATTRIBUTES) MoveFileW(keep.text, widePath.text);
  else DeleteFileW(keep.text);
  return false;
}

bool OpenRecycleLog(const std::vector<ListedRow>& rows, ActionLog* log) {
  return OpenLogBesideProgram(log, "-papierkorb", "in den Papierkorb gelegte Dateien von Velo-Parvik 1.0", rows);
}

ActionReport RecycleFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed) {
  return ProcessMarkedRows(plan, RecycleOneFile, nullptr, log, listed);
}
