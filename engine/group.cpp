#include "engine/group.h"

#include <algorithm>
#include <cstdlib>

#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/progress.h"
#include "engine/settings.h"
#include "engine/text.h"

uint32_t RunEnd(uint32_t first) {
  const FileEntry* entries = fileTable.entries;
  uint32_t end = first + 1;
  while (end < fileTable.count && ComparedLength(entries[end]) == ComparedLength(entries[first])) end++;
  return end;
}

uint32_t GroupedInListOrder(uint32_t first, uint32_t end, uint32_t* out) {
  const FileEntry* entries = fileTable.entries;
  uint32_t grouped = 0;
  for (uint32_t k = first; k < end; k++)
    if (entries[k].groupId != 0) out[grouped++] = k;
  std::sort(out, out + grouped, [entries](uint32_t a, uint32_t b) {
    return entries[a].groupId != entries[b].groupId ? entries[a].groupId < entries[b].groupId : a < b;
  });
  return grouped;
}

namespace {

const char* NameOf(uint32_t index) { return FileNameOf(fileTable.entries[index].path); }

// Comparing by name as well, only files of one name are compared with each
// other, a name at a time.
CompareEnd CompareRun(uint32_t* members, uint32_t count) {
  if (!settings.sameName) return CompareFiles(members, count);
  std::sort(members, members + count, [](uint32_t a, uint32_t b) {
    int order = CompareTextIgnoringAsciiCase(NameOf(a), NameOf(b));
    return order != 0 ? order < 0 : a < b;
  });
  CompareEnd end = CompareEnd::Decided;
  for (uint32_t start = 0, stop = 0; start < count && end == CompareEnd::Decided; start = stop) {
    stop = start + 1;
    while (stop < count && SameTextIgnoringAsciiCase(NameOf(members[start]), NameOf(members[stop]))) stop++;
    if (stop - start >= 2) end = CompareFiles(members + start, stop - start);
  }
  return end;
}

// Counts the run's groups in the order of their first files, each file as
// it comes: the float sum of the sizes comes out the same on every run.
void CountGroups(uint32_t first, uint32_t end, uint32_t* members) {
  const FileEntry* entries = fileTable.entries;
  uint32_t grouped = GroupedInListOrder(first, end, members);
  for (uint32_t k = 0; k < grouped; k++) {
    searchState.duplicateCount++;
    const FileEntry& entry = entries[members[k]];
    // The later file's own size, what removing it frees, is added exactly and
    // the sum rounded once to the float.
    if (entry.groupId != static_cast<int32_t>(members[k] + 1))
      searchState.duplicateBytes = static_cast<float>(static_cast<long double>(searchState.duplicateBytes) +
                                                      static_cast<long double>(entry.size));
  }
}

// Every file of every run of two or more, read to its end: the most the
// comparison can read.
uint64_t BytesToCompare() {
  uint64_t bytes = 0;
  for (uint32_t first = 0, end = 0; first < fileTable.count; first = end) {
    end = RunEnd(first);
    if (end - first >= 2) bytes += (end - first) * ComparedLength(fileTable.entries[first]);
  }
  return bytes;
}

}  // namespace

void FindDuplicates() {
  const uint32_t count = fileTable.count;
  StartShare(BytesToCompare());
  for (uint32_t first = 0, end = 0; first < count; first = end) {
    if (!searchState.running) return;
    end = RunEnd(first);
    if (end - first >= 2) {
      uint32_t* members = static_cast<uint32_t*>(obtainCompareStorage(sizeof(uint32_t) * (end - first)));
      if (!members) {
        ShowOutOfMemory();
        return;
      }
      for (uint32_t k = first; k < end; k++) members[k - first] = k;
      CompareEnd compared = CompareRun(members, end - first);
      CountGroups(first, end, members);
      SettleRun((end - first) * ComparedLength(fileTable.entries[first]));
      free(members);
      if (compared != CompareEnd::Decided) return;
    }
    // The index of the last file finished, at most count - 2 as the pass has always shown it.
    if (count >= 2) RefreshProgress(std::min(end - 1, count - 2));
  }
}
