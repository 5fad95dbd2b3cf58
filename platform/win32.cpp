// The platform layer on Windows: the kernel's own listing, exclusive opens
// (share mode 0) and positioned reads on synchronous handles. Paths arrive as
// UTF-8 and reach the system through the wide calls, long ones in "\\?\" form.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/platform.h"
#include "platform/wide_text.h"

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

// The files this process holds open, by handle value, so that a refused open
// can tell "held by us" (the same file by a second path) from "held by another
// program". Handle values are small multiples of four. An identity is taken
// only when a refused open asks for it: under Wine the volume serial costs a
// round trip to a driver process, too much to pay on every open.
struct HeldFile {
  HANDLE handle;
  DWORD volume, indexHigh, indexLow;
  bool held, identified;
};
HeldFile* heldFiles;
size_t heldFileCapacity;

// False when the file's identity cannot be taken or says nothing.
bool IdentityOf(HANDLE file, DWORD* volume, DWORD* indexHigh, DWORD* indexLow) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  *volume = info.dwVolumeSerialNumber;
  *indexHigh = info.nFileIndexHigh;
  *indexLow = info.nFileIndexLow;
  return IsKnownIdentity((static_cast<uint64_t>(*indexHigh) << 32) | *indexLow);
}

size_t SlotOf(HANDLE file) { return reinterpret_cast<uintptr_t>(file) / 4; }

void RememberHeld(HANDLE file) {
  size_t slot = SlotOf(file);
  if (slot >= heldFileCapacity) {
    size_t capacity = slot + 1024;
    void* grown = realloc(heldFiles, capacity * sizeof(HeldFile));
    if (!grown) return;  // such a file merely counts as held by another program
    heldFiles = static_cast<HeldFile*>(grown);
    memset(heldFiles + heldFileCapacity, 0, (capacity - heldFileCapacity) * sizeof(HeldFile));
    heldFileCapacity = capacity;
  }
  heldFiles[slot] = HeldFile{file, 0, 0, 0, true, false};
}

// Reading attributes is not subject to sharing, so the identity of a file
// that someone holds exclusively can still be taken.
bool IsHeldHere(const wchar_t* path) {
  HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD volume, indexHigh, indexLow;
  bool known = IdentityOf(file, &volume, &indexHigh, &indexLow);
  CloseHandle(file);
  for (size_t k = 0; known && k < heldFileCapacity; k++) {
    HeldFile& held = heldFiles[k];
    if (!held.held) continue;
    if (!held.identified) {
      if (!IdentityOf(held.handle, &held.volume, &held.indexHigh, &held.indexLow)) continue;
      held.identified = true;
    }
    if (held.volume == volume && held.indexHigh == indexHigh && held.indexLow == indexLow)
      return true;
  }
  return false;
}

FileHandle OpenExclusive(const char* path) {
  openRefusedAsHeld = false;
  WideText widePath;
  if (!ToWidePath(path, &widePath)) return InvalidFileHandle;
  HANDLE file = CreateFileW(widePath.text, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_SHARING_VIOLATION) openRefusedAsHeld = IsHeldHere(widePath.text);
    return InvalidFileHandle;
  }
  RememberHeld(file);
  return reinterpret_cast<FileHandle>(file);
}

bool FileSize(FileHandle file, uint64_t* size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &length)) return false;
  *size = static_cast<uint64_t>(length.QuadPart);
  return true;
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

// Seek, then a plain synchronous read: a ReadFile with an OVERLAPPED block
// would post a completion through the Wine server on every call, while these
// two stay inside the process there (and cost two cheap calls on Windows).
bool ReadAt(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  HANDLE handle = reinterpret_cast<HANDLE>(file);
  *count = 0;
  if (n == 0) return true;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) return false;
  DWORD got = 0;
  if (!ReadFile(handle, dest, n, &got, nullptr)) return false;
  *count = got;  // 0 at or beyond the end
  return true;
}

void CloseFile(FileHandle file) {
  size_t slot = SlotOf(reinterpret_cast<HANDLE>(file));
  if (slot < heldFileCapacity) heldFiles[slot].held = false;
  CloseHandle(reinterpret_cast<HANDLE>(file));
}

int64_t ClockSeconds() { return static_cast<int64_t>(time(nullptr)); }

void ToCalendar(const SYSTEMTIME& time, CalendarTime* local) {
  *local = CalendarTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

}  // namespace

const PlatformOps systemPlatform = {FindFirst, FindNext,  FindCloseListing, OpenExclusive,
                                    FileSize,  ReadAt,    CloseFile,        FolderIdentityOf,
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
