// The platform layer on POSIX systems: listings follow the Windows wildcard
// rules and come sorted by name, as NTFS lists them; exclusive opens use an
// advisory lock, which also refuses a second open of the same file by another
// path within this process.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "engine/text.h"
#include "platform/platform.h"
#include "platform/wildcard.h"

struct DirListing {
  std::vector<DirEntry> entries;
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
  struct statx info;
  unsigned mask = STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME;
  if (statx(folder, name, 0, mask, &info) != 0 &&
      statx(folder, name, AT_SYMLINK_NOFOLLOW, mask, &info) != 0)
    return false;
  size_t length = strlen(name);
  if (length >= sizeof entry->name) return false;
  memcpy(entry->name, name, length + 1);
  entry->isDirectory = S_ISDIR(info.stx_mode);
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

DirListing* FindFirst(const char* pattern, DirEntry* entry) {
  const char* slash = strrchr(pattern, '/');
  std::string folder = slash ? std::string(pattern, slash - pattern) : std::string(".");
  if (folder.empty()) folder = "/";
  const char* mask = slash ? slash + 1 : pattern;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return nullptr;
  DirListing* listing = new DirListing{{}, 0};
  while (dirent* found = readdir(dir)) {
    if (!MatchesWildcard(mask, found->d_name)) continue;
    DirEntry described;
    if (Describe(dirfd(dir), found->d_name, &described)) listing->entries.push_back(described);
  }
  closedir(dir);
  std::stable_sort(listing->entries.begin(), listing->entries.end(), ListsBefore);
  if (listing->entries.empty()) {
    delete listing;
    return nullptr;
  }
  *entry = listing->entries[0];
  listing->next = 1;
  return listing;
}

bool FindNext(DirListing* listing, DirEntry* entry) {
  if (listing->next >= listing->entries.size()) return false;
  *entry = listing->entries[listing->next++];
  return true;
}

void FindClose(DirListing* listing) { delete listing; }

// The grouping pass keeps every compared file of a size run open until it has
// passed it, so a run of a few thousand files needs as many descriptors. The
// soft limit (often 1024) is raised to the hard one once; an open refused for
// lack of descriptors would otherwise drop a file from the comparison.
void RaiseOpenFileLimit() {
  static bool raised = false;
  if (raised) return;
  raised = true;
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

FileHandle OpenExclusive(const char* path) {
  RaiseOpenFileLimit();
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return InvalidFileHandle;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return InvalidFileHandle;
  }
  return fd;
}

bool ReadAt(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  uint32_t total = 0;
  while (total < n) {
    ssize_t got = pread(static_cast<int>(file), static_cast<char*>(dest) + total, n - total,
                        static_cast<off_t>(offset + total));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *count = total;
      return false;
    }
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
  }
  *count = total;
  return true;
}

void CloseFile(FileHandle file) { close(static_cast<int>(file)); }

int64_t ClockSeconds() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

const PlatformOps systemPlatform = {FindFirst, FindNext, FindClose, OpenExclusive,
                                    ReadAt,    CloseFile, ClockSeconds};
PlatformOps platform = systemPlatform;

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
