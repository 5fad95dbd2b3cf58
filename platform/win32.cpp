// The platform layer on Windows: the kernel's own listing, exclusive opens
// (share mode 0, a bounded number at once: win32_held_files.cpp) and
// positioned reads on synchronous handles. Paths arrive as UTF-8 and reach the
// system through the wide calls, long ones in "\\?\" form.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/platform.h"
#include "platform/wide_text.h"
#include "platform/win32_held_files.h"

bool openRefusedAsHeld = false;

struct DirListing {
  HANDLE find;
};

namespace {

FileTime FromFiletime(const FILETIME& time) { return FileTime{time.dwLowDateTime, time.dwHighDateTime}; }

void Describe(const WIN32_FIND_DATAW& data, DirEntry* entry) {
  FromWide(data.cFileName, entry->name, sizeof entry->name);  // 255 units always fit
  entry->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A listing gives a reparse point's tag in dwReserved0; Wine gives none (0,
  // a tag Windows never uses) for the Unix links it shows as reparse points.
  DWORD tag = data.dwReserved0;
  entry->isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                  (tag == IO_REPARSE_TAG_MOUNT_POINT || tag == IO_REPARSE_TAG_SYMLINK || tag == 0);
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry->creationTime = FromFiletime(data.ftCreationTime);
  entry->lastWriteTime = FromFiletime(data.ftLastWriteTime);
}

DirListing* FindFirst(const char* pattern, DirEntry* entry) {
  WIN32_FIND_DATAW data;
  WideText widePattern;
  if (!ToWidePath(pattern, &widePattern)) {
    errno = ENOMEM;
    return nullptr;
  }
  HANDLE find = FindFirstFileW(widePattern.text, &data);
  if (find == INVALID_HANDLE_VALUE) {
    // Nothing matched, or the folder itself could not be listed.
    DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? 0 : EACCES;
    return nullptr;
  }
  Describe(data, entry);
  DirListing* listing = new (std::nothrow) DirListing{find};
  if (!listing) {
    FindClose(find);
    errno = ENOMEM;
  }
  return listing;
}

bool FindNext(DirListing* listing, DirEntry* entry) {
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(listing->find, &data)) return false;
  Describe(data, entry);
  return true;
}

void FindCloseListing(DirListing* listing) {
  FindClose(listing->find);
  delete listing;
}

// Junctions and links are followed: the identity is that of the folder reached.
bool FolderIdentityOf(const char* path, FolderIdentity* identity) {
  WideText widePath;
  if (!ToWidePath(path, &widePath)) return false;
  HANDLE folder = CreateFileW(widePath.text, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(folder, &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(folder);
  if (!ok) return false;
  *identity = FolderIdentity{info.dwVolumeSerialNumber,
                             (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return true;
}

int64_t ClockSeconds() { return static_cast<int64_t>(time(nullptr)); }

void ToCalendar(const SYSTEMTIME& time, CalendarTime* local) {
  *local = CalendarTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

}  // namespace

const PlatformOps systemPlatform = {FindFirst,    FindNext,     FindCloseListing, OpenHeldFile,
                                    HeldFileSize, ReadHeldFile, CloseHeldFile,    FolderIdentityOf,
                                    ClockSeconds};
PlatformOps platform = systemPlatform;

bool FileTimeToLocalCalendar(FileTime time, CalendarTime* local) {
  FILETIME utc = {time.low, time.high};
  FILETIME localTime;
  SYSTEMTIME fields = {};
  bool ok = FileTimeToLocalFileTime(&utc, &localTime) && FileTimeToSystemTime(&localTime, &fields);
  ToCalendar(fields, local);
  return ok;
}

void LocalNow(CalendarTime* local) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  ToCalendar(now, local);
}
