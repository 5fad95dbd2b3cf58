#include "actions/hard_link.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "actions/protection.h"
#include "engine/listing.h"
#include "engine/text.h"
#include "platform/wide_text.h"

namespace {

HANDLE OpenForReading(const char* path, DWORD share) {
  WideText wide;
  if (!ToWidePath(path, &wide)) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.text, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool FileInformation(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(file, info) != 0;
  CloseHandle(file);
  return known;
}

// The volume root of `path` ("C:\\"), also of a path in the long form.
const wchar_t* VolumeRoot(const char* path, wchar_t (&root)[MaxPath]) {
  WideText wide;
  if (!ToWidePath(path, &wide) || !GetVolumePathNameW(wide.text, root, MaxPath)) return nullptr;
  bool longForm = wcsncmp(root, L"\\\\?\\", 4) == 0 && root[4] != L'\0' && root[5] == L':';
  return longForm ? root + 4 : root;
}

bool SameNtfsVolumeOnDisk(const char* file, const char* kept) {
  BY_HANDLE_FILE_INFORMATION a, b;
  wchar_t buffer[MaxPath];
  wchar_t fileSystem[MAX_PATH + 1] = L"";
  const wchar_t* root = nullptr;
  if (!FileInformation(file, &a) || !FileInformation(kept, &b) || a.dwVolumeSerialNumber != b.dwVolumeSerialNumber ||
      (root = VolumeRoot(file, buffer)) == nullptr || GetDriveTypeW(root) == DRIVE_REMOTE)
    return false;
  // "\\server\share\": a share, whatever file system the server has.
  if (root[0] == L'\\' && root[1] == L'\\') return false;
  return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1) &&
         wcscmp(fileSystem, L"NTFS") == 0;
}

bool SameFileOnDisk(const char* file, const char* kept) {
  BY_HANDLE_FILE_INFORMATION a, b;
  return FileInformation(file, &a) && FileInformation(kept, &b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool IsReadOnlyOnDisk(const char* file) {
  WideText wide;
  DWORD attributes = ToWidePath(file, &wide) ? GetFileAttributesW(wide.text) : INVALID_FILE_ATTRIBUTES;
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY);
}

// The marked file is opened so that no one may write to it while it is
// read; one that someone has open for writing cannot be opened so.
bool SameContentOnDisk(const char* file, const char* kept) {
  HANDLE a = OpenForReading(file, FILE_SHARE_READ);
  HANDLE b = OpenForReading(kept, FILE_SHARE_READ);
  bool same = a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE;
  LARGE_INTEGER sizeA, sizeB;
  same = same && GetFileSizeEx(a, &sizeA) && GetFileSizeEx(b, &sizeB) && sizeA.QuadPart == sizeB.QuadPart;
  static char blockA[65536], blockB[65536];
  for (DWORD readA = 1, readB; same && readA > 0;) {
    same = ReadFile(a, blockA, sizeof blockA, &readA, nullptr) && ReadFile(b, blockB, sizeof blockB, &readB, nullptr) &&
           readA == readB && memcmp(blockA, blockB, readA) == 0;
  }
  if (a != INVALID_HANDLE_VALUE) CloseHandle(a);
  if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  return same;
}

bool CreateLinkOnDisk(const char* link, const char* target) {
  WideText wideLink, wideTarget;
  return ToWidePath(link, &wideLink) && ToWidePath(target, &wideTarget) &&
         CreateHardLinkW(wideLink.text, wideTarget.text, nullptr);
}

bool ReplaceOnDisk(const char* from, const char* to) {
  WideText wideFrom, wideTo;
  return ToWidePath(from, &wideFrom) && ToWidePath(to, &wideTo) &&
         MoveFileExW(wideFrom.text, wideTo.text, MOVEFILE_REPLACE_EXISTING);
}

bool RemoveOnDisk(const char* path) {
  WideText wide;
  return ToWidePath(path, &wide) && DeleteFileW(wide.text);
}

struct LinkRun {
  const MarkedPlan* plan;
  std::unordered_map<int32_t, int> rowOf;  // file index to plan row
  LinkReport* result;
  int noKeptCopyFound = 0;  // among the files the walk counted as stayed
};

// The first unmarked copy of the row's group outside protected folders that
// is still as listed; null when there is none.
const FileEntry* KeptCopy(const MarkedPlan& plan, int row) {
  int group = plan.groupOf[row];
  for (int r = plan.firstRowOf[group]; r < plan.firstRowOf[group] + plan.filesInGroup[group]; ++r) {
    const FileEntry* entry = plan.rows[r].marked ? nullptr : ListedEntry(plan.rows[r].fileIndex);
    if (entry != nullptr && !IsProtectedPath(entry->path) && StillAsListed(*entry)) return entry;
  }
  return nullptr;
}

// The link is made under a free name beside the file and then takes the
// file's place in one step; until then the file is as it was, and a link
// that cannot take its place goes again.
bool ReplaceByLink(const char* path, const char* kept) {
  static char stem[MaxPathBytes];
  static char temporary[MaxPathBytes];
  size_t folder = static_cast<size_t>(FileNameOf(path) - path);
  if (snprintf(stem, sizeof stem, "%.*s~parvik-link", static_cast<int>(folder), path) >= MaxPathBytes) return false;
  for (int number = 1; number <= MaxNameNumber; ++number) {
    WideText probe;
    if (!NumberedPath(temporary, stem, ".tmp", number) || !ToWidePath(temporary, &probe)) return false;
    if (GetFileAttributesW(probe.text) != INVALID_FILE_ATTRIBUTES) continue;
    if (!linkOps.createLink(temporary, kept)) return false;
    if (linkOps.replace(temporary, path)) return true;
    linkOps.remove(temporary);
    return false;
  }
  return false;
}

bool LinkOne(const FileEntry& entry, void* context) {
  LinkRun& run = *static_cast<LinkRun*>(context);
  int row = run.rowOf[static_cast<int32_t>(&entry - fileTable.entries)];
  const FileEntry* kept = KeptCopy(*run.plan, row);
  if (kept == nullptr) {
    run.noKeptCopyFound++;
    return false;
  }
  if (linkOps.sameFile(entry.path, kept->path)) return true;  // linked before: nothing to do
  if (!linkOps.sameNtfsVolume(entry.path, kept->path)) {
    run.result->otherVolume++;
    return false;
  }
  // Size and time are not enough: linking merges the two contents into one.
  if (linkOps.isReadOnly(entry.path) || !linkOps.sameContent(entry.path, kept->path)) return false;
  return ReplaceByLink(entry.path, kept->path);
}

}  // namespace

const LinkOps systemLinkOps = {SameNtfsVolumeOnDisk, SameFileOnDisk, IsReadOnlyOnDisk, SameContentOnDisk,
                               CreateLinkOnDisk,     ReplaceOnDisk,  RemoveOnDisk};
LinkOps linkOps = systemLinkOps;

bool OpenLinkLog(const std::vector<ListedRow>& rows, ActionLog* log) {
  return OpenLogBesideProgram(log, "-verknuepft", "durch Verknüpfungen ersetzte Dateien von Velo-Parvik 1.0", rows);
}

LinkReport LinkFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed) {
  LinkReport result;
  // Never the last copies: a group whose every file is marked has nothing to link to.
  MarkedPlan keepEveryCopy = plan;
  keepEveryCopy.everyCopyAgreed = false;
  LinkRun run = {&keepEveryCopy, {}, &result};
  for (int row = 0; row < static_cast<int>(plan.rows.size()); ++row) {
    if (plan.rows[row].fileIndex < 0) continue;
    run.rowOf[plan.rows[row].fileIndex] = row;
    int group = plan.groupOf[row];
    if (plan.rows[row].marked && plan.markedInGroup[group] == plan.filesInGroup[group]) result.noKeptCopy++;
  }
  result.report = ProcessMarkedRows(keepEveryCopy, LinkOne, &run, log, listed);
  result.report.stayed -= result.otherVolume + run.noKeptCopyFound;
  result.noKeptCopy += run.noKeptCopyFound;
  return result;
}
