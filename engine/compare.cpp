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

// Members [begin, end) of the member list agree in their first `offset` bytes.
struct Class {
  uint32_t begin;
  uint32_t end;
  uint64_t offset;
};

// A member's block after a turn: the number of the kept block it equals, or
// Unmatched (no slot was left for it: only its hash is known). Also marks a
// vacant entry of the index of kept blocks.
constexpr uint32_t Unmatched = UINT32_MAX;

// The state of one CompareFiles call. Scratch lists hold one value per member.
struct Work {
  uint32_t* members;  // table indices; every class a range of them
  uint32_t* order;    // scratch: positions within the class being split
  uint32_t* moved;    // scratch: the class's members in their new order
  uint32_t* labels;   // per position: its kept block, or Unmatched
  uint64_t* hashes;   // per position, where taken
  uint32_t* keptAt;   // per kept block: the position it was read for
  uint32_t* index;    // kept blocks by hash, open addressing
  uint32_t indexSize; // this turn's: a power of two, over twice the blocks it may keep
  Class* classes;     // a stack: at most one class per two members
  uint32_t stacked;
  uint8_t* blocks;    // the blocks of one turn
  size_t blockBytes;
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

void Push(uint32_t begin, uint32_t end, uint64_t offset) {
  if (end - begin >= 2)
    work.classes[work.stacked++] = Class{begin, end, offset};
  else if (end > begin)
    CloseEntry(Member(begin));  // differs from every other file: no group
}

// One turn of one class. Each block that differs from all blocks kept so far
// is kept in a slot of its own while slots last; every other block is
// compared with the kept one it may equal, so each member is decided for this
// block as it is read. Copies make the previous member's block the likely
// match, checked before any hash is taken.
struct Turn {
  uint32_t n;         // bytes per block
  uint32_t keepable;  // slots for kept blocks; the one behind them is for reading
  uint32_t kept;
  uint32_t guess;     // the block the previous member equalled, or Unmatched
  uint32_t trial;     // blocks kept before any is matched: fresh memory costs
  bool shared;        // a block matched one kept
};
// Where no block of a turn has matched another yet, at most this much of the
// turn's memory is filled with blocks: files that all differ (the rule for
// most files of one size) then touch little fresh memory, and a block that
// finds no slot only costs a second read if another shares its hash.
constexpr uint32_t TrialBytes = 2 * 1024 * 1024;

uint8_t* SlotOf(const Turn& t, uint32_t block) { return work.blocks + size_t{block} * t.n; }

uint32_t IndexStart(uint64_t hash) { return static_cast<uint32_t>(hash ^ hash >> 32) & (work.indexSize - 1); }

// The kept block equal to the one in `slot`; the hash only narrows the search.
uint32_t FindKept(const Turn& t, const uint8_t* slot, uint64_t hash) {
  for (uint32_t b = IndexStart(hash); work.index[b] != Unmatched; b = (b + 1) & (work.indexSize - 1)) {
    uint32_t block = work.index[b];
    if (work.hashes[work.keptAt[block]] == hash && memcmp(SlotOf(t, block), slot, t.n) == 0) return block;
  }
  return Unmatched;
}

// The label of the block just read, into the next free slot, for position k.
uint32_t Place(Turn& t, uint32_t k) {
  const uint8_t* slot = SlotOf(t, t.kept);
  if (t.guess != Unmatched && memcmp(SlotOf(t, t.guess), slot, t.n) == 0) return t.shared = true, t.guess;
  uint64_t hash = work.hashes[k] = hashBlock(slot, t.n);
  uint32_t found = FindKept(t, slot, hash);
  // After a miss the next block is looked up by its hash straight away: blocks
  // that all differ are then compared with nothing they do not hash like.
  t.guess = found;
  if (found != Unmatched) return t.shared = true, found;
  if (t.kept == t.keepable || (!t.shared && t.kept >= t.trial)) return Unmatched;
  uint32_t b = IndexStart(hash);
  while (work.index[b] != Unmatched) b = (b + 1) & (work.indexSize - 1);
  work.index[b] = t.kept;
  work.keptAt[t.kept] = k;
  if (t.kept == 0) t.guess = 0;
  return t.kept++;
}

// Members of one part after a turn: the same kept block, or, unmatched, the same hash.
bool Together(uint32_t a, uint32_t b) {
  return work.labels[a] == work.labels[b] && (work.labels[a] != Unmatched || work.hashes[a] == work.hashes[b]);
}

// Reads the next block of every member of the class and parts the class
// where the blocks differ. The members that matched a kept block move on past
// it: each of their bytes is read once. Those left without a slot (more
// different blocks than slots) read this block again, among those of their
// hash only; one whose hash no other shares differs from all and leaves.
bool Split(const Class& c) {
  const uint32_t count = c.end - c.begin;
  const CompareLimits& limits = compareLimits;
  Turn t = {};
  t.n = static_cast<uint32_t>(std::min<uint64_t>(work.length - c.offset, c.offset ? limits.block : limits.firstBlock));
  t.keepable = static_cast<uint32_t>(std::min<uint64_t>(work.blockBytes / t.n - 1, count));
  t.guess = Unmatched;
  t.trial = std::max<uint32_t>(1, TrialBytes / t.n);
  for (work.indexSize = 4; work.indexSize < 2 * (t.keepable + 1);) work.indexSize *= 2;
  for (uint32_t b = 0; b < work.indexSize; b++) work.index[b] = Unmatched;
  uint32_t live = 0, dropped = 0;
  for (uint32_t k = 0; k < count; k++) {
    uint32_t at = c.begin + k;
    if (ReadBlock(Member(at), c.offset, SlotOf(t, t.kept), t.n)) {
      work.labels[k] = Place(t, k);
      work.order[live++] = k;
    } else {
      work.moved[count - 1 - dropped++] = work.members[at];
    }
    if (!Tick(at)) return false;
  }
  const uint32_t* labels = work.labels;
  const uint64_t* hashes = work.hashes;
  std::sort(work.order, work.order + live, [labels, hashes](uint32_t a, uint32_t b) {
    return labels[a] != labels[b] ? labels[a] < labels[b] : labels[a] == Unmatched && hashes[a] < hashes[b];
  });
  for (uint32_t k = 0; k < live; k++) work.moved[k] = work.members[c.begin + work.order[k]];
  memcpy(work.members + c.begin, work.moved, sizeof(uint32_t) * count);
  for (uint32_t start = 0, k = 1; k <= live; k++) {
    if (k < live && Together(work.order[start], work.order[k])) continue;
    bool matched = labels[work.order[start]] != Unmatched;
    Push(c.begin + start, c.begin + k, matched ? c.offset + t.n : c.offset);
    start = k;
  }
  return true;
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
  work.blockBytes = static_cast<size_t>(std::max(std::min<uint64_t>(limits.budget, slot * count), 2 * slot));
  uint64_t indexLimit = 4;  // the largest index of a turn
  while (indexLimit < 2 * (uint64_t{count} + 1)) indexLimit *= 2;
  size_t lists = (sizeof(uint64_t) + sizeof(uint32_t) * 4) * count + sizeof(Class) * (count / 2 + 1) +
                 sizeof(uint32_t) * indexLimit;
  uint8_t* storage = static_cast<uint8_t*>(obtainCompareStorage(lists + work.blockBytes));
  if (!storage) return false;
  work.hashes = reinterpret_cast<uint64_t*>(storage);
  work.classes = reinterpret_cast<Class*>(work.hashes + count);
  work.order = reinterpret_cast<uint32_t*>(work.classes + count / 2 + 1);
  work.moved = work.order + count;
  work.labels = work.moved + count;
  work.keptAt = work.labels + count;
  work.index = work.keptAt + count;
  work.blocks = reinterpret_cast<uint8_t*>(work.index + indexLimit);
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
  work.classes[0] = Class{0, count, 0};
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
