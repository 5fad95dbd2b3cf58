#include "platform/win32_held_files.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/identity_index.h"
#include "platform/wide_text.h"

// A few hundred: a network share caps the files a session may open, and
// every open handle costs a 32-bit process kernel memory.
uint32_t heldHandleCap = 256;

namespace {

// Who a file is and what it looked like when its handle was last given back.
struct Stamp {
  uint64_t volume;
  uint8_t id[16];  // the 128-bit file id, or the file index in its first 8 bytes
  uint64_t size;
  FILETIME lastWrite;
};

struct HeldFile {
  HANDLE handle;  // INVALID_HANDLE_VALUE while detached
  char* path;     // null: the slot is free
  Stamp stamp;
  bool stamped;   // `stamp` taken (and the slot in the hash of identities)
  int32_t nextFree;
};

// Slots by handle value; the identities of stamped slots in `heldIdentities`.
HeldFile* slots;
uint32_t slotCount, slotCapacity;
int32_t firstFree = -1;
IdentityIndex heldIdentities;
uint32_t attached;      // slots with an open handle
uint32_t detached;      // slots without one
uint32_t evictCursor;

// GetFileInformationByHandleEx with FileIdInfo (18): Windows 8 and later.
struct FileIdInfo {
  ULONGLONG volume;
  BYTE id[16];
};
using InfoByHandleEx = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

// False when the identity cannot be taken or says nothing.
bool TakeStamp(HANDLE file, Stamp* stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  *stamp = Stamp{};
  uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp->volume = info.dwVolumeSerialNumber;
  memcpy(stamp->id, &index, sizeof index);
  stamp->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp->lastWrite = info.ftLastWriteTime;
  static InfoByHandleEx byHandleEx = reinterpret_cast<InfoByHandleEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx")));
  FileIdInfo wide;
  if (byHandleEx && byHandleEx(file, 18, &wide, sizeof wide)) {
    stamp->volume = wide.volume;
    memcpy(stamp->id, wide.id, sizeof wide.id);
  }
  uint64_t low, high;
  memcpy(&low, stamp->id, 8);
  memcpy(&high, stamp->id + 8, 8);
  return IsKnownIdentity(low) || (high != 0 && high != UINT64_MAX);
}

bool SameFile(const Stamp& a, const Stamp& b) { return a.volume == b.volume && memcmp(a.id, b.id, sizeof a.id) == 0; }

uint64_t HashOf(const Stamp& stamp) {
  uint64_t key = stamp.volume * 0x9E3779B97F4A7C15ULL;
  for (int k = 0; k < 16; k += 8) {
    uint64_t part;
    memcpy(&part, stamp.id + k, 8);
    key = (key ^ part) * 0xBF58476D1CE4E5B9ULL;
  }
  return key ^ (key >> 31);
}

bool SlotHoldsStamp(int32_t slot, const void* stamp) {
  return SameFile(slots[slot].stamp, *static_cast<const Stamp*>(stamp));
}

int32_t FindHeld(const Stamp& stamp) { return FindSlot(heldIdentities, HashOf(stamp), SlotHoldsStamp, &stamp); }

void Insert(int32_t slot) { EnterSlot(&heldIdentities, HashOf(slots[slot].stamp), slot); }

void Remove(int32_t slot) { RemoveSlot(&heldIdentities, HashOf(slots[slot].stamp), slot); }

// Rebuilds the index without removed markers, with room for `capacity` slots.
bool Rehash(uint32_t capacity) {
  if (!RebuildIdentityIndex(&heldIdentities, capacity)) return false;
  for (uint32_t s = 0; s < slotCount; s++)
    if (slots[s].path && slots[s].stamped) Insert(static_cast<int32_t>(s));
  return true;
}

// Takes the slot's stamp and enters it in the hash; false when the identity
// says nothing (such a file is never detached) or memory ran out.
bool Identify(int32_t slot) {
  HeldFile& held = slots[slot];
  if (held.stamped) return true;
  if (!HasRoomForOneMore(heldIdentities) && !Rehash(slotCapacity)) return false;
  if (!TakeStamp(held.handle, &held.stamp)) return false;
  held.stamped = true;
  Insert(slot);
  return true;
}

// A slot for a new file; -1 when memory ran out.
int32_t TakeSlot() {
  if (firstFree >= 0) {
    int32_t slot = firstFree;
    firstFree = slots[slot].nextFree;
    return slot;
  }
  if (slotCount == slotCapacity) {
    uint32_t capacity = slotCapacity ? slotCapacity * 2 : 64;
    void* grown = realloc(slots, sizeof(HeldFile) * capacity);
    if (!grown) return -1;
    slots = static_cast<HeldFile*>(grown);
    slotCapacity = capacity;
  }
  return static_cast<int32_t>(slotCount++);
}

// Gives back the handle of some other held file, its stamp taken first;
// false when none can be.
bool DetachAnother(int32_t keep) {
  for (uint32_t step = 0; step < slotCount; step++) {
    int32_t s = static_cast<int32_t>(evictCursor++ % slotCount);
    if (s == keep || !slots[s].path || slots[s].handle == INVALID_HANDLE_VALUE || !Identify(s)) continue;
    CloseHandle(slots[s].handle);
    slots[s].handle = INVALID_HANDLE_VALUE;
    attached--;
    detached++;
    return true;
  }
  return false;
}

bool OutOfHandles(DWORD error) {
  return error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NO_SYSTEM_RESOURCES ||
         error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_NOT_ENOUGH_QUOTA;
}

// Opens for reading with no sharing; within the bound, and when the system
// runs short of handles, held files give theirs back first.
HANDLE OpenShareless(const wchar_t* path, int32_t keep) {
  while (attached >= heldHandleCap && DetachAnother(keep)) {
  }
  for (;;) {
    HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    // The process allows fewer than the bound: hold fewer from now on.
    if (OutOfHandles(error) && attached > 2 && attached <= heldHandleCap) heldHandleCap = attached - 1;
    if (!OutOfHandles(error) || !DetachAnother(keep)) {
      SetLastError(error);
      return INVALID_HANDLE_VALUE;
    }
  }
}

// Reading attributes is not subject to sharing, so the identity of a file
// that someone holds exclusively can still be taken.
bool IsHeldHere(const wchar_t* path) {
  HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  Stamp stamp;
  bool known = TakeStamp(file, &stamp);
  CloseHandle(file);
  if (!known) return false;
  for (uint32_t s = 0; s < slotCount; s++)
    if (slots[s].path) Identify(static_cast<int32_t>(s));
  return FindHeld(stamp) != NoSlot;
}

HeldFile* Slot(FileHandle file) {
  if (file < 0 || static_cast<uint64_t>(file) >= slotCount || !slots[file].path) return nullptr;
  return &slots[file];
}

// The slot's handle, reopened if need be; INVALID_HANDLE_VALUE when its path
// no longer leads to the file as it was when its handle was given back.
HANDLE Handle(FileHandle file) {
  HeldFile* held = Slot(file);
  if (!held) return INVALID_HANDLE_VALUE;
  if (held->handle != INVALID_HANDLE_VALUE) return held->handle;
  WideText path;
  if (!ToWidePath(held->path, &path)) return INVALID_HANDLE_VALUE;
  HANDLE handle = OpenShareless(path.text, static_cast<int32_t>(file));
  held = Slot(file);
  Stamp now;
  if (handle == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  if (!TakeStamp(handle, &now) || !SameFile(now, held->stamp) || now.size != held->stamp.size ||
      CompareFileTime(&now.lastWrite, &held->stamp.lastWrite) != 0) {
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  held->handle = handle;
  attached++;
  detached--;
  return handle;
}

}  // namespace

FileHandle OpenHeldFile(const char* path) {
  openRefusedAsHeld = false;
  WideText widePath;
  if (!ToWidePath(path, &widePath)) return InvalidFileHandle;
  HANDLE file = OpenShareless(widePath.text, -1);
  if (file == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_SHARING_VIOLATION) openRefusedAsHeld = IsHeldHere(widePath.text);
    return InvalidFileHandle;
  }
  // A second path to a file whose handle was given back opens freely: its
  // identity tells. Within the bound the refused open tells, at no cost.
  Stamp stamp;
  bool stamped = detached > 0 && TakeStamp(file, &stamp);
  if (stamped && FindHeld(stamp) != NoSlot) {
    CloseHandle(file);
    openRefusedAsHeld = true;
    return InvalidFileHandle;
  }
  int32_t slot = TakeSlot();
  char* copy = slot >= 0 ? static_cast<char*>(malloc(strlen(path) + 1)) : nullptr;
  if (!copy || (stamped && !HasRoomForOneMore(heldIdentities) && !Rehash(slotCapacity))) {
    if (slot >= 0) slots[slot] = HeldFile{INVALID_HANDLE_VALUE, nullptr, Stamp{}, false, firstFree}, firstFree = slot;
    free(copy);
    CloseHandle(file);
    return InvalidFileHandle;
  }
  strcpy(copy, path);
  slots[slot] = HeldFile{file, copy, stamp, stamped, -1};
  if (stamped) Insert(slot);
  attached++;
  return slot;
}

bool HeldFileSize(FileHandle file, uint64_t* size) {
  LARGE_INTEGER length;
  HANDLE handle = Handle(file);
  if (handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle, &length)) return false;
  *size = static_cast<uint64_t>(length.QuadPart);
  return true;
}

// Seek, then a plain synchronous read: a ReadFile with an OVERLAPPED block
// would post a completion through the Wine server on every call, while these
// two stay inside the process there (and cost two cheap calls on Windows).
bool ReadHeldFile(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  *count = 0;
  HANDLE handle = Handle(file);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (n == 0) return true;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) return false;
  DWORD got = 0;
  if (!ReadFile(handle, dest, n, &got, nullptr)) return false;
  *count = got;  // 0 at or beyond the end
  return true;
}

void CloseHeldFile(FileHandle file) {
  HeldFile* held = Slot(file);
  if (!held) return;
  if (held->handle != INVALID_HANDLE_VALUE) {
    CloseHandle(held->handle);
    attached--;
  } else {
    detached--;
  }
  if (held->stamped) Remove(static_cast<int32_t>(file));
  free(held->path);
  *held = HeldFile{INVALID_HANDLE_VALUE, nullptr, Stamp{}, false, firstFree};
  firstFree = static_cast<int32_t>(file);
}
