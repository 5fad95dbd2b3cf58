#include "engine/listing.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "engine/compare.h"
#include "engine/group.h"

namespace {

constexpr int StampSize = 256;

// Local "DD.MM.YYYY  HH:MM:SS"; whatever the conversion yields is shown.
void FormatStamp(FileTime time, char (&stamp)[StampSize]) {
  CalendarTime local = {};
  FileTimeToLocalCalendar(time, &local);
  snprintf(stamp, sizeof stamp, "%02d.%02d.%d  %02d:%02d:%02d", local.day, local.month,
           local.year, local.hour, local.minute, local.second);
}

void AddFileRow(RowSink addRow, uint32_t index) {
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[index], row);
  addRow(static_cast<int32_t>(index), row);
}

// The compared length, 64 bits wide: files of 4 GiB and more are compared
// whole. Then an empty row.
void AddHeading(RowSink addRow, const FileEntry& entry) {
  char heading[64];
  snprintf(heading, sizeof heading, "-- Länge:%" PRIu64 " Byte --", ComparedLength(entry));
  addRow(TextRow, heading);
  addRow(TextRow, "");
}

void ListRunBySearching(RowSink addRow, uint32_t first, uint32_t end) {
  FileEntry* entries = fileTable.entries;
  for (uint32_t i = first; i < end; i++) {
    if (entries[i].groupId == 0) continue;
    AddFileRow(addRow, i);
    for (uint32_t j = i + 1; j < end; j++) {
      if (entries[j].groupId != entries[i].groupId) continue;
      AddFileRow(addRow, j);
      entries[j].groupId = 0;
    }
    entries[i].groupId = 0;
    AddHeading(addRow, entries[i]);
  }
}

}  // namespace

void FormatFileRow(const FileEntry& entry, char (&row)[RowTextSize]) {
  char created[StampSize];
  char written[StampSize];
  FormatStamp(entry.creationTime, created);
  FormatStamp(entry.lastWriteTime, written);
  snprintf(row, RowTextSize, "file:%s    create:%s    write:%s", entry.path, created, written);
}

void ListDuplicateGroups(RowSink addRow) {
  FileEntry* entries = fileTable.entries;
  for (uint32_t first = 0, end = 0; first < fileTable.count; first = end) {
    end = RunEnd(first);
    if (end - first < 2) continue;
    // A run's groups in one sorted sweep; without memory for it, each group
    // by a search of the rest of its run.
    uint32_t* order = static_cast<uint32_t*>(obtainCompareStorage(sizeof(uint32_t) * (end - first)));
    if (!order) {
      ListRunBySearching(addRow, first, end);
      continue;
    }
    uint32_t listed = GroupedInListOrder(first, end, order);
    for (uint32_t k = 0; k < listed; k++) {
      AddFileRow(addRow, order[k]);
      if (k + 1 == listed || entries[order[k + 1]].groupId != entries[order[k]].groupId)
        AddHeading(addRow, entries[first]);
    }
    for (uint32_t k = 0; k < listed; k++) entries[order[k]].groupId = 0;
    free(order);
  }
}

FileEntry* ListedEntry(int32_t itemData) {
  if (itemData < 0 || !fileTable.entries ||
      static_cast<uint64_t>(itemData) >= uint64_t{fileTable.capacity} + SpareRecords)
    return nullptr;
  FileEntry* entry = &fileTable.entries[itemData];
  return entry->path != nullptr && entry->path[0] != '\0' ? entry : nullptr;  // null: a cleared record
}
