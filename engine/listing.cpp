#include "engine/listing.h"

#include <cinttypes>
#include <cstdio>

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
  const uint32_t count = fileTable.count;
  for (uint32_t i = 0; i < count; i++) {
    FileEntry& head = entries[i];
    if (head.groupId == 0) continue;
    AddFileRow(addRow, i);
    for (uint32_t j = i + 1; j < count && ComparedLength(entries[j]) == ComparedLength(head); j++) {
      if (entries[j].groupId != head.groupId) continue;
      AddFileRow(addRow, j);
      entries[j].groupId = 0;
    }
    head.groupId = 0;
    // The compared length, 64 bits wide: files of 4 GiB and more are compared whole.
    char heading[64];
    snprintf(heading, sizeof heading, "-- Länge:%" PRIu64 " Byte --", ComparedLength(head));
    addRow(TextRow, heading);
    addRow(TextRow, "");
  }
}

FileEntry* ListedEntry(int32_t itemData) {
  if (itemData < 0 || !fileTable.entries ||
      static_cast<uint64_t>(itemData) >= uint64_t{fileTable.capacity} + SpareRecords)
    return nullptr;
  FileEntry* entry = &fileTable.entries[itemData];
  return entry->path[0] != '\0' ? entry : nullptr;
}
