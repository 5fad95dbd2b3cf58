// The platform layer on POSIX systems: listings follow the Windows wildcard
// rules and come sorted by name, as NTFS lists them. Exclusive opens are kept
// inside the process (see held_files below): advisory locks would let another
// program, or a second run, make files vanish from the comparison.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/text.h"
#include "platform/platform.h"
#include "platform/posix_held_files.h"
#include "platform/wildcard.h"

bool openRefusedAsHeld = false;

struct DirListing {
  DirEntry* entries;  // malloc'd, so that running out of memory is an answer
  size_t count;
  size_t next;
};

namespace {

constexpr uint64_t UnixEpochAsFileTime = 116444736000000000ULL;  // 1970 in 100 ns since 1601

FileTime ToFileTime(int64_t seconds, long nanoseconds) {
  uint64_t ticks = UnixEpochAsFileTime + static_cast<uint64_t>(seconds) * 10000000ULL +
                   static_cast<uint64_t>(nanoseconds) / 100;
  return FileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

bool Describe(int folder, const char* name, DirEntry* entry) {
  struct statx info, target;
  unsigned mask = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME;
  if (statx(folder, name, AT_SYMLINK_NOFOLLOW, mask, &info) != 0) return false;
  bool isLink = S_ISLNK(info.stx_mode);
  if (isLink && statx(folder, name, 0, mask, &target) == 0) info = target;  // what it leads to, if anything
  size_t length = strlen(name);
  if (length >= sizeof entry->name) return false;
  memcpy(entry->name, name, length + 1);
  entry->isDirectory = S_ISDIR(info.stx_mode);
  entry->isLink = isLink;
  entry->size = info.stx_size;
  entry->lastWriteTime = ToFileTime(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
  entry->creationTime = (info.stx_mask & STATX_BTIME)
                            ? ToFileTime(info.stx_btime.tv_sec, info.stx_btime.tv_nsec)
                            : entry->lastWriteTime;
  return true;
}

// Windows keeps no separate sort key; NTFS lists names in upper-case order.
bool ListsBefore(const DirEntry& a, const DirEntry& b) {
  for (size_t k = 0;; ++k) {
    unsigned char x = static_cast<unsigned char>(AsciiUpper(a.name[k]));
    unsigned char y = static_cast<unsigned char>(AsciiUpper(b.name[k]));
    if (x != y || x == 0) return x < y;
  }
}

void FreeListing(DirListing* listing) {
  if (!listing) return;
  free(listing->entries);
  free(listing);
}

// Appends one entry; false when memory ran out.
bool Append(DirListing* listing, size_t* capacity, const DirEntry& entry) {
  if (listing->count == *capacity) {
    size_t grown = *capacity ? *capacity * 2 : 64;
    void* bigger = grown <= SIZE_MAX / sizeof(DirEntry)
                       ? realloc(listing->entries, grown * sizeof(DirEntry))
                       : nullptr;
    if (!bigger) return false;
    listing->entries = static_cast<DirEntry*>(bigger);
    *capacity = grown;
  }
  listing->entries[listing->count++] = entry;
  return true;
}

DirListing* FindFirst(const char* pattern, DirEntry* entry) {
  static char folder[MaxPathBytes];
  const char* slash = strrchr(pattern, '/');
  size_t folderLength = slash ? static_cast<size_t>(slash - pattern) : 0;
  if (folderLength >= sizeof folder) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  memcpy(folder, pattern, folderLength);
  folder[folderLength] = '\0';
  if (!slash || folderLength == 0) snprintf(folder, sizeof folder, "%s", slash ? "/" : ".");
  const char* mask = slash ? slash + 1 : pattern;
  DIR* dir = opendir(folder);
  if (!dir) return nullptr;
  DirListing* listing = static_cast<DirListing*>(calloc(1, sizeof(DirListing)));
  size_t capacity = 0;
  bool complete = listing != nullptr;
  while (complete) {
    dirent* found = readdir(dir);
    if (!found) break;
    if (!MatchesWildcard(mask, found->d_name)) continue;
    DirEntry described;
    if (Describe(dirfd(dir), found->d_name, &described))
      complete = Append(listing, &capacity, described);
  }
  closedir(dir);
  if (!complete) {
    FreeListing(listing);
    errno = ENOMEM;
    return nullptr;
  }
  std::stable_sort(listing->entries, listing->entries + listing->count, ListsBefore);
  if (listing->count == 0) {
    FreeListing(listing);
    errno = 0;  // nothing matched; the folder itself was listed
    return nullptr;
  }
  *entry = listing->entries[0];
  listing->next = 1;
  return listing;
}

bool FindNext(DirListing* listing, DirEntry* entry) {
  if (listing->next >= listing->count) return false;
  *entry = listing->entries[listing->next++];
  return true;
}

void FindClose(DirListing* listing) { FreeListing(listing); }

bool FolderIdentityOf(const char* path, FolderIdentity* identity) {
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  *identity = FolderIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  return true;
}

int64_t ClockSeconds() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

const PlatformOps systemPlatform = {FindFirst,     FindNext,         FindClose,   OpenHeldFile,
                                    HeldFileSize,  ReadHeldFile,     CloseHeldFile, FolderIdentityOf,
                                    ClockSeconds};
PlatformOps platform = systemPlatform;

bool SameFileName(const char* a, size_t aBytes, const char* b, size_t bBytes) {
  return aBytes == bBytes && memcmp(a, b, aBytes) == 0;
}

bool FileTimeToLocalCalendar(FileTime time, CalendarTime* local) {
  uint64_t ticks = (static_cast<uint64_t>(time.high) << 32) | time.low;
  int64_t seconds = static_cast<int64_t>(ticks / 10000000ULL) -
                    static_cast<int64_t>(UnixEpochAsFileTime / 10000000ULL);
  time_t asTime = static_cast<time_t>(seconds);
  struct tm fields;
  if (!localtime_r(&asTime, &fields)) return false;
  *local = CalendarTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                        fields.tm_hour, fields.tm_min, fields.tm_sec};
  return true;
}

void LocalNow(CalendarTime* local) {
  time_t now = time(nullptr);
  struct tm fields;
  localtime_r(&now, &fields);
  *local = CalendarTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                        fields.tm_hour, fields.tm_min, fields.tm_sec};
}
