#include "engine/run_split.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/settings.h"

// Header-only: the build names the header by its full path.
#define XXH_INLINE_ALL
#include XXHASH_HEADER

uint32_t longRunThreshold = 32;

namespace {

// The parts of the run the pass is in, when it was split.
struct SplitRun {
  uint32_t first;
  uint32_t length;
  int32_t* parts;  // null: the run is compared pairwise throughout
};
SplitRun splitRun = {0, 0, nullptr};

// Small first blocks settle files that differ early after a few kilobytes;
// doubling keeps the number of rounds (one open per file each) logarithmic.
constexpr uint32_t FirstBlock = 4096;
constexpr uint32_t LargestBlock = 4 * 1024 * 1024;

struct Member {
  uint32_t index;  // into parts
  int32_t part;
  uint64_t hash;
};

// The file stays open for the later rounds and for the pass, which opens every
// file of the run next, in table order, as the split does: a second path to an
// open file is refused just as the pass alone finds it refused. Comparing by
// name as well, the pass opens only files of the same name and so in another
// order; the split then holds each file only for the moment of one read.
bool ReadBlock(FileEntry& entry, uint64_t offset, uint8_t* block, uint32_t n) {
  // A plain open: a file the split cannot open or read is left to the pass,
  // which settles it in its own order.
  if (entry.handle == InvalidFileHandle) {
    entry.handle = platform.openExclusive(entry.path);
    if (entry.handle == InvalidFileHandle) return false;
  }
  uint32_t count = 0;
  bool ok = ReadComparedBytes(entry.handle, entry, offset, block, n, &count) && count == n;
  if (!ok || settings.sameName) {
    platform.closeFile(entry.handle);
    entry.handle = InvalidFileHandle;
  }
  return ok;
}

bool ByPartThenHash(const Member& a, const Member& b) {
  return a.part != b.part ? a.part < b.part : a.hash < b.hash;
}

// Gives every set of members with equal part and hash a part of its own and
// keeps only the members that still share their part. Returns how many.
uint32_t Regroup(Member* members, uint32_t live, int32_t* parts, int32_t* nextPart) {
  std::sort(members, members + live, ByPartThenHash);
  uint32_t kept = 0;
  for (uint32_t start = 0, end = 0; start < live; start = end) {
    end = start + 1;
    while (end < live && members[end].part == members[start].part &&
           members[end].hash == members[start].hash)
      end++;
    int32_t part = (*nextPart)++;
    for (uint32_t k = start; k < end; k++) {
      parts[members[k].index] = part;
      members[k].part = part;
      if (end - start > 1) members[kept++] = members[k];
    }
  }
  return kept;
}

}  // namespace

bool SplitRunByContent(uint32_t first, uint32_t length, int32_t* parts) {
  FileEntry* entries = fileTable.entries + first;
  const uint64_t size = ComparedLength(entries[0]);
  Member* members = static_cast<Member*>(malloc(sizeof(Member) * length));
  uint8_t* block = static_cast<uint8_t*>(malloc(std::min<uint64_t>(LargestBlock, size) + 1));
  if (!members || !block) {
    free(members);
    free(block);
    return false;
  }
  for (uint32_t k = 0; k < length; k++) {
    parts[k] = 0;
    members[k] = Member{k, 0, 0};
  }
  int32_t nextPart = 1;
  uint32_t live = length;
  uint64_t offset = 0;
  uint32_t blockSize = FirstBlock;
  while (live > 1 && offset < size) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(blockSize, size - offset));
    uint32_t readable = 0;
    for (uint32_t k = 0; k < live; k++) {
      Member member = members[k];
      if (!ReadBlock(entries[member.index], offset, block, n)) {
        parts[member.index] = UnknownPart;
        continue;
      }
      // Equal blocks hash alike; unequal ones almost never do, and when they
      // do the files merely stay together for the pairwise comparison.
      member.hash = XXH3_64bits(block, n);
      members[readable++] = member;
    }
    live = Regroup(members, readable, parts, &nextPart);
    offset += n;
    blockSize = std::min(blockSize * 2, LargestBlock);
  }
  free(members);
  free(block);
  return true;
}

void SplitRunIfLong(uint32_t first) {
  ForgetSplitRun();
  uint32_t end = first + 1;
  while (end < fileTable.count &&
         ComparedLength(fileTable.entries[end]) == ComparedLength(fileTable.entries[first]))
    end++;
  uint32_t length = end - first;
  if (longRunThreshold == 0 || length < longRunThreshold) return;
  int32_t* parts = static_cast<int32_t*>(malloc(sizeof(int32_t) * length));
  if (!parts) return;
  if (!SplitRunByContent(first, length, parts)) {
    free(parts);
    return;
  }
  splitRun = SplitRun{first, length, parts};
}

bool KnownToDiffer(uint32_t i, uint32_t j) {
  if (!splitRun.parts || i < splitRun.first || j >= splitRun.first + splitRun.length) return false;
  int32_t a = splitRun.parts[i - splitRun.first];
  int32_t b = splitRun.parts[j - splitRun.first];
  return a != UnknownPart && b != UnknownPart && a != b;
}

void ForgetSplitRun() {
  free(splitRun.parts);
  splitRun = SplitRun{0, 0, nullptr};
}
