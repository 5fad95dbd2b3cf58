// The platform layer on Windows: the kernel's own listing, exclusive opens
// (share mode 0) and positioned reads on synchronous handles.
#include <windows.h>

#include <cstring>
#include <ctime>

#include "platform/platform.h"

struct DirListing {
  HANDLE find;
};

namespace {

FileTime FromFiletime(const FILETIME& time) { return FileTime{time.dwLowDateTime, time.dwHighDateTime}; }

void Describe(const WIN32_FIND_DATAA& data, DirEntry* entry) {
  memcpy(entry->name, data.cFileName, sizeof entry->name);
  entry->name[sizeof entry->name - 1] = '\0';
  entry->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry->creationTime = FromFiletime(data.ftCreationTime);
  entry->lastWriteTime = FromFiletime(data.ftLastWriteTime);
}

DirListing* FindFirst(const char* pattern, DirEntry* entry) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  Describe(data, entry);
  return new DirListing{find};
}

bool FindNext(DirListing* listing, DirEntry* entry) {
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(listing->find, &data)) return false;
  Describe(data, entry);
  return true;
}

void FindCloseListing(DirListing* listing) {
  FindClose(listing->find);
  delete listing;
}

FileHandle OpenExclusive(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  return file == INVALID_HANDLE_VALUE ? InvalidFileHandle : reinterpret_cast<FileHandle>(file);
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

void CloseFile(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

int64_t ClockSeconds() { return static_cast<int64_t>(time(nullptr)); }

void ToCalendar(const SYSTEMTIME& time, CalendarTime* local) {
  *local = CalendarTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

}  // namespace

const PlatformOps systemPlatform = {FindFirst, FindNext, FindCloseListing, OpenExclusive,
                                    ReadAt,    CloseFile, ClockSeconds};
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
