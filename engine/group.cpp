#include "engine/group.h"

#include <algorithm>
#include <cstdio>

#include "engine/cache_pool.h"
#include "engine/compare.h"
#include "engine/entry_io.h"
#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/run_split.h"

namespace {

// The clock second of the last progress refresh. It carries over from one
// search to the next: a refresh due in that same second is skipped. Kept so
// that two quick searches show and pump exactly as the program always has.
int64_t lastRefreshSecond = 0;

enum class OuterStep { Finished, Unopenable, EndPass };


void RefreshProgress(uint32_t index) {
  searchState.nowTime = platform.clockSeconds();
  if (searchState.nowTime == lastRefreshSecond) return;
  char text[64];
  snprintf(text, sizeof text, "%d / %d", static_cast<int>(index),
           static_cast<int>(fileTable.count));
  engineHooks.setFieldText(FieldFileCount, text);
  engineHooks.setFieldNumber(FieldDuplicateCount, searchState.duplicateCount);
  snprintf(text, sizeof text, "%.2f", static_cast<double>(searchState.duplicateBytes) / 1048576.0);
  engineHooks.setFieldText(FieldMegabytes, text);
  engineHooks.setFieldText(FieldElapsed, FormatSeconds(searchState.nowTime - searchState.startTime).text);
  engineHooks.pumpMessages();
  lastRefreshSecond = searchState.nowTime;
}

// Opens the outer entry and gives it a cache. False with *step set when the
// entry takes no part or the pass must end.
bool PrepareOuter(FileEntry& outer, OuterStep* step) {
  if (outer.handle == InvalidFileHandle && !OpenEntry(outer)) {
    *step = OuterStep::Unopenable;
    return false;
  }
  if (!outer.cache && !ObtainCache(outer)) {
    ShowOutOfMemory();
    *step = OuterStep::EndPass;
    return false;
  }
  return true;
}

// Brings the outer cache up to the first PrefixSize bytes. Only the first
// comparison that reads needs them: against files known to differ, the outer
// file is never read. False when it cannot be read as scanned.
bool ReadOuterPrefix(FileEntry& outer) {
  if (outer.cachedBytes < PrefixSize) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(PrefixSize, ComparedLength(outer)));
    outer.overlapped.offset = 0;
    IssueRead(outer, outer.cache, n);
    bool failed = false;
    outer.cachedBytes = CollectRead(outer, &failed);
    if (failed) {
      // A file that cannot be read as scanned would compare garbage.
      SettleUnreadable(outer);
      return false;
    }
  }
  outer.overlapped.offset = outer.cachedBytes;
  return true;
}

// 1 equal, 0 not, -1 the pass must end, 2 the outer file cannot be read.
int Compare(uint32_t i, uint32_t j, bool* prefixRead) {
  if (KnownToDiffer(i, j))
    return CompareKnownDifferent(static_cast<int32_t>(i), static_cast<int32_t>(j));
  if (!*prefixRead && !ReadOuterPrefix(fileTable.entries[i])) return 2;
  *prefixRead = true;
  return CompareFiles(static_cast<int32_t>(i), static_cast<int32_t>(j));
}

// Compares entry i with every later, unsettled entry of its size.
OuterStep GroupLaterEntries(uint32_t i) {
  FileEntry* entries = fileTable.entries;
  FileEntry& outer = entries[i];
  OuterStep step = OuterStep::Finished;
  if (!PrepareOuter(outer, &step)) return step;
  bool startedGroup = false;
  bool prefixRead = false;
  for (uint32_t j = i + 1; j < fileTable.count; j++) {
    if (entries[j].done) continue;
    if (ComparedLength(entries[j]) != ComparedLength(outer)) break;
    int result = Compare(i, j, &prefixRead);
    if (result < 0) return OuterStep::EndPass;
    if (result == 2) break;
    if (result == 1) {
      entries[j].groupId = static_cast<int32_t>(i + 1);
      outer.groupId = static_cast<int32_t>(i + 1);
      if (!startedGroup) searchState.duplicateCount++;
      startedGroup = true;
    }
    // Its own file failed to read: the later entries go on among themselves.
    if (outer.done) break;
  }
  return OuterStep::Finished;
}

// The pass ends: every file closed, every cache and kept block freed.
void ReleaseFrom(uint32_t first) {
  for (uint32_t k = first; k < fileTable.count; k++) ReleaseEntry(fileTable.entries[k]);
  ForgetSplitRun();
  DrainCachePool();
}

}  // namespace

void FindDuplicates() {
  const uint32_t count = fileTable.count;
  if (count == 0) return;
  FileEntry* entries = fileTable.entries;
  for (uint32_t i = 0; i < count - 1; i++) {
    if (!searchState.running) {
      ReleaseFrom(i);
      return;
    }
    if (i == 0 || ComparedLength(entries[i - 1]) != ComparedLength(entries[i])) SplitRunIfLong(i);
    if (!entries[i].done && ComparedLength(entries[i]) == ComparedLength(entries[i + 1])) {
      OuterStep step = GroupLaterEntries(i);
      if (step == OuterStep::Unopenable) continue;
      if (step == OuterStep::EndPass) {
        ReleaseFrom(i);
        return;
      }
    }
    ReleaseEntry(entries[i]);
    RefreshProgress(i);
  }
  ReleaseFrom(count - 1);
}
