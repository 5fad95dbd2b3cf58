#include "engine/compare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/progress.h"

// Header-only: the build names the header by its full path.
#define XXH_INLINE_ALL
#include XXHASH_HEADER

// A megabyte per file and turn keeps a disk head on one file for a while and
// the blocks of a few files in the processor's caches.
const CompareLimits defaultCompareLimits = {4096, 1024 * 1024, 32 * 1024 * 1024};
CompareLimits compareLimits = defaultCompareLimits;
void* (*obtainCompareStorage)(size_t bytes) = malloc;
uint64_t (*hashBlock)(const uint8_t* block, uint32_t n) = [](const uint8_t* block, uint32_t n) -> uint64_t {
  return XXH3_64bits(block, n);
};

namespace {

// Members [begin, end) of the member list agree in their first `offset`
// bytes; `hashed`: also in the hash of the block read at `offset`.
struct Class {
  uint32_t begin;
  uint32_t end;
  uint64_t offset;
  bool hashed;
};

// The state of one CompareFiles call. Scratch lists hold one value per member.
struct Work {
  uint32_t* members;  // table indices; every class a range of them
  uint32_t* order;    // scratch: positions within the class being split
  uint32_t* moved;    // scratch: the class's members in their new order
  uint64_t* hashes;
  Class* classes;     // a stack: at most one class per two members
  uint32_t stacked;
  uint8_t* blocks;    // the blocks of one turn
  uint64_t length;    // the compared length of every member
  bool opening;       // the first turn opens each file just before its read
} work;

FileEntry& Member(uint32_t at) { return fileTable.entries[work.members[at]]; }

// The progress and the pump at least once a second; false once cancelled.
bool Tick(uint32_t at) {
  RefreshProgress(work.members[at]);
  return searchState.running != 0;
}

// The file takes no further part: it could not be read as scanned.
void Drop(FileEntry& entry) {
  SettleUnreadable(entry);
  CloseEntry(entry);
}

// On the first turn, opens the file: every file is opened before any is
// closed, so a second path to a file held already is refused and no file is
// compared with itself. One that fails to open is settled by OpenEntry.
bool Opened(FileEntry& entry) { return !work.opening || OpenEntry(entry); }

// Reads n compared bytes at `offset` into dest. A file that cannot be opened,
// or delivers other than n bytes, takes no further part; a read cut short by
// Ctrl+C is no fault of the file.
bool ReadBlock(FileEntry& entry, uint64_t offset, uint8_t* dest, uint32_t n) {
  if (!Opened(entry)) return false;
  uint32_t count = 0;
  if (ReadComparedBytes(entry, offset, dest, n, &count) && count == n) return true;
  if (searchState.running) Drop(entry);
  return false;
}

void Push(uint32_t begin, uint32_t end, uint64_t offset, bool hashed) {
  if (end - begin >= 2)
    work.classes[work.stacked++] = Class{begin, end, offset, hashed};
  else if (end > begin)
    CloseEntry(Member(begin));  // differs from every other file: no group
}

// Reads the block at the class's offset of each member k of the class into a
// slot of its own, or, with `shared`, all into the first slot; with `hash`
// keeps its hash. The positions k read go to `order`, the members dropped to
// the back of `moved`. False once cancelled.
bool ReadClass(const Class& c, uint32_t n, bool shared, bool hash, uint32_t* live) {
  const uint32_t count = c.end - c.begin;
  uint32_t dropped = 0;
  *live = 0;
  for (uint32_t k = 0; k < count; k++) {
    uint32_t at = c.begin + k;
    uint8_t* slot = work.blocks + (shared ? 0 : k * size_t{n});
    if (ReadBlock(Member(at), c.offset, slot, n)) {
      if (hash) work.hashes[k] = hashBlock(slot, n);
      work.order[(*live)++] = k;
    } else {
      work.moved[count - 1 - dropped++] = work.members[at];
    }
    if (!Tick(at)) return false;
  }
  return true;
}

// Puts the class's members in the order of `order`, the dropped ones last, and
// gives each stretch of members that `same` finds alike a class of its own.
template <typename Same>
void PartClass(const Class& c, uint32_t live, uint64_t offset, bool hashed, Same same) {
  for (uint32_t k = 0; k < live; k++) work.moved[k] = work.members[c.begin + work.order[k]];
  memcpy(work.members + c.begin, work.moved, sizeof(uint32_t) * (c.end - c.begin));
  uint32_t start = 0;
  for (uint32_t k = 1; k <= live; k++) {
    if (k < live && same(work.order[start], work.order[k])) continue;
    Push(c.begin + start, c.begin + k, offset, hashed);
    start = k;
  }
}

// Reads every member's block into a slot of its own and parts the members
// where the blocks differ: a few by sorting them by their bytes; more by
// their hashes first, which compares each block once instead of log k times.
bool SplitBySorting(const Class& c, uint32_t n) {
  uint32_t live = 0;
  const bool hash = c.end - c.begin > 4;
  if (!ReadClass(c, n, false, hash, &live)) return false;
  const uint8_t* blocks = work.blocks;
  auto bytes = [blocks, n](uint32_t a, uint32_t b) { return memcmp(blocks + size_t{a} * n, blocks + size_t{b} * n, n); };
  uint32_t* order = work.order;
  if (!hash) {
    std::sort(order, order + live, [bytes](uint32_t a, uint32_t b) { return bytes(a, b) < 0; });
    PartClass(c, live, c.offset + n, false, [bytes](uint32_t a, uint32_t b) { return bytes(a, b) == 0; });
    return true;
  }
  uint64_t* hashes = work.hashes;
  std::sort(order, order + live, [hashes](uint32_t a, uint32_t b) { return hashes[a] < hashes[b]; });
  // Blocks that hash alike are equal but for a collision: each stretch is
  // parted into those equal to its first block and the rest, until none is
  // left. The hash of each member then makes way for the number of its part.
  for (uint32_t start = 0, end = 0; start < live; start = end) {
    while (end < live && hashes[order[end]] == hashes[order[start]]) end++;
    for (uint32_t first = start; first < end;) {
      uint32_t same = first + 1;
      for (uint32_t k = first + 1; k < end; k++)
        if (bytes(order[first], order[k]) == 0) std::swap(order[same++], order[k]);
      for (uint32_t k = first; k < same; k++) hashes[order[k]] = first;
      first = same;
    }
  }
  PartClass(c, live, c.offset + n, false, [hashes](uint32_t a, uint32_t b) { return hashes[a] == hashes[b]; });
  return true;
}

// For a class too large to hold a block per member: the block's hash parts
// it without moving on. Files with a hash of their own differ from all others;
// the rest are compared byte by byte at the same offset next.
bool SplitByHash(const Class& c, uint32_t n) {
  uint32_t live = 0;
  if (!ReadClass(c, n, true, true, &live)) return false;
  const uint64_t* hashes = work.hashes;
  std::sort(work.order, work.order + live, [hashes](uint32_t a, uint32_t b) { return hashes[a] < hashes[b]; });
  PartClass(c, live, c.offset, true, [hashes](uint32_t a, uint32_t b) { return hashes[a] == hashes[b]; });
  return true;
}

// For a class too large to hold a block per member whose blocks all hashed
// alike: each member against the first, two blocks at a time. Those that
// differ (a hash collision) stay together at this offset.
bool SplitByFirst(const Class& c, uint32_t n) {
  const uint32_t count = c.end - c.begin;
  uint8_t* first = work.blocks;
  uint8_t* other = work.blocks + n;
  uint32_t same = 0, differing = 0, dropped = 0;
  for (uint32_t k = 0; k < count; k++) {
    uint32_t at = c.begin + k;
    if (!ReadBlock(Member(at), c.offset, same ? other : first, n))
      work.moved[count - 1 - dropped++] = work.members[at];
    else if (same == 0 || memcmp(first, other, n) == 0)
      work.moved[same++] = work.members[at];
    else
      work.order[differing++] = work.members[at];
    if (!Tick(at)) return false;
  }
  memcpy(work.moved + same, work.order, sizeof(uint32_t) * differing);
  memcpy(work.members + c.begin, work.moved, sizeof(uint32_t) * count);
  Push(c.begin, c.begin + same, c.offset + n, false);
  Push(c.begin + same, c.begin + same + differing, c.offset, true);
  return true;
}

// One turn: the next block of every member of the class. A class too large
// to hold a block per member is parted by hash first: most of its files then
// leave it, each block read once. The files whose blocks hash alike read the
// block again, in shorter pieces side by side, or against the first of them.
bool Split(const Class& c) {
  const uint32_t count = c.end - c.begin;
  const CompareLimits& limits = compareLimits;
  uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(work.length - c.offset, c.offset ? limits.block : limits.firstBlock));
  if (uint64_t{count} * n <= limits.budget) return SplitBySorting(c, n);
  if (!c.hashed) return SplitByHash(c, n);
  uint32_t perMember = limits.budget / count;
  return perMember >= limits.firstBlock ? SplitBySorting(c, perMember) : SplitByFirst(c, n);
}

// A class at the end of its files: those still as scanned form a group.
void Finish(const Class& c) {
  uint32_t head = UINT32_MAX, kept = 0;
  for (uint32_t at = c.begin; at < c.end; at++) {
    if (!Opened(Member(at))) continue;
    // Sizes are looked at last: a file that changed while it was read is
    // no one's twin, and the others stay a group without it.
    if (!StillAsScanned(Member(at))) {
      Drop(Member(at));
      continue;
    }
    kept++;
    head = std::min(head, work.members[at]);
  }
  for (uint32_t at = c.begin; at < c.end; at++) {
    FileEntry& entry = Member(at);
    if (kept >= 2 && !entry.done) {
      entry.groupId = static_cast<int32_t>(head + 1);
      if (work.members[at] != head) entry.done = 1;
    }
    CloseEntry(entry);
  }
}

// One block for the members' lists, one for the blocks of a turn.
bool ObtainStorage(uint32_t count) {
  const CompareLimits& limits = compareLimits;
  uint64_t slot = std::min<uint64_t>(work.length, std::max(limits.firstBlock, limits.block));
  size_t blockBytes = static_cast<size_t>(std::max(std::min<uint64_t>(limits.budget, slot * count), 2 * slot));
  size_t lists = (sizeof(uint32_t) * 2 + sizeof(uint64_t) + sizeof(Class)) * count;
  uint8_t* storage = static_cast<uint8_t*>(obtainCompareStorage(lists + blockBytes));
  if (!storage) return false;
  work.hashes = reinterpret_cast<uint64_t*>(storage);
  work.classes = reinterpret_cast<Class*>(work.hashes + count);
  work.order = reinterpret_cast<uint32_t*>(work.classes + count);
  work.moved = work.order + count;
  work.blocks = reinterpret_cast<uint8_t*>(work.moved + count);
  return true;
}

}  // namespace

CompareEnd CompareFiles(uint32_t* members, uint32_t count) {
  work.members = members;
  work.stacked = 0;
  work.length = ComparedLength(fileTable.entries[members[0]]);
  if (!ObtainStorage(count)) {
    ShowOutOfMemory();
    return CompareEnd::NoMemory;
  }
  CompareEnd end = CompareEnd::Decided;
  work.classes[0] = Class{0, count, 0, false};
  work.stacked = 1;
  work.opening = true;
  while (work.stacked > 0 && end == CompareEnd::Decided) {
    Class c = work.classes[--work.stacked];
    if (c.offset == work.length)
      Finish(c);
    else if (!Split(c))
      end = CompareEnd::Cancelled;
    work.opening = false;
  }
  for (uint32_t k = 0; k < count; k++) CloseEntry(fileTable.entries[members[k]]);
  free(work.hashes);
  return end;
}
