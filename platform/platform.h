// Everything the portable engine asks of the operating system: directory
// listings with Windows wildcard rules, exclusive opens, positioned reads and
// the clock. One record of function pointers so tests can count calls and
// inject failures; win32.cpp and posix.cpp fill it with the real system.
#pragma once
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
constexpr char PathSeparator = '\\';
#else
constexpr char PathSeparator = '/';
#endif

constexpr int MaxPath = 260;  // buffer size, terminator included
// The longest path the program handles, in bytes of its text (UTF-8 on
// Windows, where the wide calls reach 32,767 characters), terminator included.
constexpr int MaxPathBytes = 32768;
// The longest name in a folder: 255 UTF-16 units take up to 765 UTF-8 bytes.
constexpr int MaxNameBytes = PathSeparator == '\\' ? 3 * 255 + 1 : MaxPath;

// 100-nanosecond intervals since 1 January 1601 UTC, low half first.
struct FileTime {
  uint32_t low;
  uint32_t high;
};

struct CalendarTime {
  int year, month, day, hour, minute, second;
};

struct DirEntry {
  char name[MaxNameBytes];
  bool isDirectory;
  // A junction or symbolic link, to a folder or a file: on Windows a reparse
  // point of those kinds (not a cloud or deduplicated file, which is the file).
  bool isLink;
  uint64_t size;
  FileTime creationTime;
  FileTime lastWriteTime;
};

// Which folder a path leads to, however it is reached: volume and file index
// on Windows, device and inode on POSIX.
struct FolderIdentity {
  uint64_t volume;
  uint64_t index;
};

// Some file systems and network drives report an index of 0 (or all bits
// set) for every file: such an identity says nothing, and is never taken as
// "the same folder" or "already held".
constexpr bool IsKnownIdentity(uint64_t index) { return index != 0 && index != UINT64_MAX; }

struct DirListing;                 // opaque, owned by the platform layer
using FileHandle = intptr_t;
constexpr FileHandle InvalidFileHandle = -1;  // all bits set

struct PlatformOps {
  // Starts a listing of `pattern` (folder, separator, wildcard name). Fills the
  // first entry and returns the listing, or null with errno 0 when nothing
  // matches; null with errno set when the folder cannot be listed (ENOMEM when
  // memory ran out). "." and ".." are listed like any other name.
  DirListing* (*findFirst)(const char* pattern, DirEntry* entry);
  bool (*findNext)(DirListing* listing, DirEntry* entry);
  void (*findClose)(DirListing* listing);

  // Opens a regular file for reading, exclusively: while the handle is open, a
  // second open of the same file (by any path) fails, and sets
  // openRefusedAsHeld. Never blocks. InvalidFileHandle on failure. Only a
  // bounded number of files is open in the system's sense at once: the others
  // are reopened by path when next read, and a read or size fails when the
  // path then leads to another file, or to the file changed in size or last write.
  FileHandle (*openExclusive)(const char* path);
  // The file's size now, through the open handle. False when it cannot tell,
  // or the file was written since it was opened.
  bool (*fileSize)(FileHandle file, uint64_t* size);
  // Reads up to `n` bytes at `offset` into `dest`; `*count` gets the bytes read
  // (fewer at the end of the file, 0 at or beyond it). False on a read error.
  bool (*readAt)(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count);
  void (*closeFile)(FileHandle file);

  // The folder `path` leads to, links followed. False when it cannot tell.
  bool (*folderIdentity)(const char* path, FolderIdentity* identity);

  // Whole seconds of the wall clock, as the C library's time().
  int64_t (*clockSeconds)();
};

extern PlatformOps platform;           // the real system
// Set by a refused openExclusive when this process already holds that file:
// the same file reached by a second path, which is no fault of the file.
extern bool openRefusedAsHeld;
extern const PlatformOps systemPlatform;  // pristine copy, for tests to restore

// Whether two names (of `aBytes` and `bBytes` bytes, not terminated) are one
// name to the file system: on Windows with case folded in every script as it
// folds it (ordinal, so "ß" is no "SS"), on POSIX byte for byte.
bool SameFileName(const char* a, size_t aBytes, const char* b, size_t bBytes);
// The longest text SameFileName folds, terminator included: a path's part.
constexpr int MaxNameText = 1024;

// Converts a file time to local calendar fields. False when it cannot.
bool FileTimeToLocalCalendar(FileTime time, CalendarTime* local);
// The current local time.
void LocalNow(CalendarTime* local);
