#include "platform/posix_held_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/identity_index.h"

uint32_t heldDescriptorCap = 0;  // 0: derived from the open-file limit on first use

namespace {

struct HeldFile {
  dev_t device;
  ino_t inode;
  int fd;      // -1 while detached; in a free slot, the next free slot
  char* path;  // null: the slot is free
  off_t size;  // size and last write when opened: a file written since is
  struct timespec written;  // no longer the one that was read
};

bool Unchanged(const HeldFile& held, const struct stat& info) {
  return info.st_size == held.size && info.st_mtim.tv_sec == held.written.tv_sec &&
         info.st_mtim.tv_nsec == held.written.tv_nsec;
}

// Slots by handle; their identities in `heldIdentities`.
HeldFile* slots;
uint32_t slotCount;     // slots ever taken, in use or free
uint32_t slotCapacity;
int32_t firstFree = -1;  // a chain through the free slots
IdentityIndex heldIdentities;
uint32_t attached;      // slots with a real descriptor
uint32_t evictCursor;   // where the search for a descriptor to close goes on

uint32_t DescriptorCap() {
  if (heldDescriptorCap == 0) {
    struct rlimit limit;
    rlim_t soft = getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 64;
    // A quarter of the limit leaves room for listings, logs and the caller.
    heldDescriptorCap = static_cast<uint32_t>(std::min<rlim_t>(256, std::max<rlim_t>(2, soft / 4)));
  }
  return heldDescriptorCap;
}

uint64_t HashOf(dev_t device, ino_t inode) {
  uint64_t key = (static_cast<uint64_t>(device) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(inode);
  key ^= key >> 31;
  key *= 0xBF58476D1CE4E5B9ULL;
  return key ^ (key >> 29);
}

struct Identity {
  dev_t device;
  ino_t inode;
};

bool SlotIsFile(int32_t slot, const void* wanted) {
  const Identity& file = *static_cast<const Identity*>(wanted);
  return slots[slot].device == file.device && slots[slot].inode == file.inode;
}

int32_t FindHeld(dev_t device, ino_t inode) {
  Identity file = {device, inode};
  return FindSlot(heldIdentities, HashOf(device, inode), SlotIsFile, &file);
}

void Insert(int32_t slot) { EnterSlot(&heldIdentities, HashOf(slots[slot].device, slots[slot].inode), slot); }

void Remove(int32_t slot) { RemoveSlot(&heldIdentities, HashOf(slots[slot].device, slots[slot].inode), slot); }

// Rebuilds the index without the markers of removed slots, with room for
// `capacity` slots.
bool Rehash(uint32_t capacity) {
  if (!RebuildIdentityIndex(&heldIdentities, capacity)) return false;
  for (uint32_t s = 0; s < slotCount; s++)
    if (slots[s].path) Insert(static_cast<int32_t>(s));
  return true;
}

// A slot for a new file, with room in the hash; -1 when memory ran out.
int32_t TakeSlot() {
  if (firstFree < 0 && slotCount == slotCapacity) {
    uint32_t capacity = slotCapacity ? slotCapacity * 2 : 64;
    void* grown = realloc(slots, sizeof(HeldFile) * capacity);
    if (!grown) return -1;
    slots = static_cast<HeldFile*>(grown);
    slotCapacity = capacity;
  }
  if (!HasRoomForOneMore(heldIdentities) && !Rehash(slotCapacity)) return -1;
  if (firstFree >= 0) {
    int32_t slot = firstFree;
    firstFree = slots[slot].fd;
    return slot;
  }
  slots[slotCount].path = nullptr;
  return static_cast<int32_t>(slotCount++);
}

// Closes the descriptor of some other held file; false when none has one.
bool DetachAnother(int32_t keep) {
  for (uint32_t step = 0; step < slotCount; step++) {
    uint32_t s = evictCursor++ % slotCount;
    // Without a known identity a reattached descriptor could not be checked.
    if (static_cast<int32_t>(s) == keep || slots[s].fd < 0 || !slots[s].path ||
        !IsKnownIdentity(slots[s].inode))
      continue;
    close(slots[s].fd);
    slots[s].fd = -1;
    attached--;
    return true;
  }
  return false;
}

// Opens without waiting for a writer (a FIFO) or taking a terminal; when the
// process is out of descriptors, held files give theirs back first.
int OpenRegular(const char* path, struct stat* info, int32_t keep) {
  while (attached >= DescriptorCap() && DetachAnother(keep)) {
  }
  int fd;
  while ((fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) < 0) {
    if ((errno != EMFILE && errno != ENFILE) || !DetachAnother(keep)) return -1;
  }
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

HeldFile* Slot(FileHandle file) {
  if (file < 0 || static_cast<uint64_t>(file) >= slotCount || !slots[file].path) return nullptr;
  return &slots[file];
}

// The slot's descriptor, reattached if need be; -1 when its path no longer
// leads to the file that was opened, or that file was written since.
int Descriptor(FileHandle file) {
  HeldFile* held = Slot(file);
  if (!held) return -1;
  if (held->fd >= 0) return held->fd;
  struct stat info;
  int fd = OpenRegular(held->path, &info, static_cast<int32_t>(file));
  if (fd < 0) return -1;
  if (!IsKnownIdentity(held->inode) || info.st_dev != held->device || info.st_ino != held->inode ||
      !Unchanged(*held, info)) {
    close(fd);
    return -1;
  }
  held->fd = fd;
  attached++;
  return fd;
}

}  // namespace

FileHandle OpenHeldFile(const char* path) {
  openRefusedAsHeld = false;
  struct stat info;
  int fd = OpenRegular(path, &info, -1);
  if (fd < 0) return InvalidFileHandle;
  if (IsKnownIdentity(info.st_ino) && FindHeld(info.st_dev, info.st_ino) != NoSlot) {
    close(fd);
    openRefusedAsHeld = true;
    return InvalidFileHandle;
  }
  int32_t slot = TakeSlot();
  char* copy = slot >= 0 ? strdup(path) : nullptr;
  if (!copy) {
    close(fd);
    return InvalidFileHandle;
  }
  slots[slot] = HeldFile{info.st_dev, info.st_ino, fd, copy, info.st_size, info.st_mtim};
  attached++;
  Insert(slot);
  return slot;
}

bool HeldFileSize(FileHandle file, uint64_t* size) {
  int fd = Descriptor(file);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0 || info.st_mtim.tv_sec != slots[file].written.tv_sec ||
      info.st_mtim.tv_nsec != slots[file].written.tv_nsec)
    return false;
  *size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool ReadHeldFile(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  *count = 0;
  int fd = Descriptor(file);
  if (fd < 0) return false;
  uint32_t total = 0;
  while (total < n) {
    ssize_t got = pread(fd, static_cast<char*>(dest) + total, n - total,
                        static_cast<off_t>(offset + total));
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

void CloseHeldFile(FileHandle file) {
  HeldFile* held = Slot(file);
  if (!held) return;
  if (held->fd >= 0) {
    close(held->fd);
    attached--;
  }
  Remove(static_cast<int32_t>(file));
  free(held->path);
  *held = HeldFile{0, 0, firstFree, nullptr, 0, {}};
  firstFree = static_cast<int32_t>(file);
}
