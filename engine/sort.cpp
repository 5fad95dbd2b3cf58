#include "engine/sort.h"

#include "engine/file_table.h"

static FileEntry scratchEntry;

static void SwapEntries(FileEntry& x, FileEntry& y) {
  if (&x == &y) return;  // a record copied onto itself stays as it is
  scratchEntry = x;
  x = y;
  y = scratchEntry;
}

static int32_t Partition(int32_t lo, int32_t hi) {
  FileEntry* entries = fileTable.entries;
  const uint64_t pivot = ComparedLength(entries[hi]);
  int32_t i = lo;
  int32_t j = hi;
  while (j > i) {
    while (i < j && ComparedLength(entries[i]) <= pivot) i++;
    while (i < j && ComparedLength(entries[j]) >= pivot) j--;
    if (j > i) SwapEntries(entries[i], entries[j]);
  }
  SwapEntries(entries[i], entries[hi]);
  return i;
}

// True when the compared lengths of entries[lo..hi], the key the partition
// sorts by, never descend. Partitioning such a range moves nothing (the pivot
// is its largest length and every scan stops at it), so the whole sort would
// leave it as it stands, one record per pass.
static bool AlreadyOrdered(int32_t lo, int32_t hi) {
  const FileEntry* entries = fileTable.entries;
  for (int32_t k = lo; k < hi; k++)
    if (ComparedLength(entries[k]) > ComparedLength(entries[k + 1])) return false;
  return true;
}

void SortBySize(int32_t lo, int32_t hi) {
  // The two parts are disjoint, so sorting the smaller one first by recursion
  // and the larger one by looping gives the same arrangement with a stack
  // depth of at most log2(n).
  while (lo < hi) {
    if (AlreadyOrdered(lo, hi)) return;
    int32_t p = Partition(lo, hi);
    if (p - lo < hi - p) {
      SortBySize(lo, p - 1);
      lo = p + 1;
    } else {
      SortBySize(p + 1, hi);
      hi = p - 1;
    }
  }
}
