#include "ui/marking_rules.h"

#include <cstdio>

#include "actions/protection.h"

namespace {

uint64_t WriteTimeOf(int32_t index) {
  const FileTime& time = fileTable.entries[index].lastWriteTime;
  return (static_cast<uint64_t>(time.high) << 32) | time.low;
}

// The row of the file a rule keeps in rows [start, end): the first file, or
// the newest or oldest one with ties going to the first.
int KeptRow(MarkRule rule, const std::vector<int32_t>& data, int start, int end) {
  int kept = start;
  for (int row = start + 1; row < end; ++row) {
    uint64_t time = WriteTimeOf(data[row]);
    uint64_t keptTime = WriteTimeOf(data[kept]);
    bool tie = rule == MarkRule::Duplicates || time == keptTime;
    bool better = tie ? data[row] < data[kept]
                      : (rule == MarkRule::AllButNewest) == (time > keptTime);
    if (better) kept = row;
  }
  return kept;
}

bool HoldsProtectedFile(const std::vector<int32_t>& data, int start, int end) {
  for (int row = start; row < end; ++row)
    if (IsProtectedPath(fileTable.entries[data[row]].path)) return true;
  return false;
}

// A group with a file in a protected folder keeps that file as its original:
// every other copy is marked, and the protected ones are unmarked below.
void MarkAllButOnePerGroup(MarkRule rule, RowMarks* rows) {
  const int count = static_cast<int>(rows->data.size());
  for (int start = 0, end = 0; start < count; start = end + 1) {
    end = start;
    while (end < count && rows->data[end] != TextRow) ++end;
    bool keepsOne = end > start && !HoldsProtectedFile(rows->data, start, end);
    int kept = keepsOne ? KeptRow(rule, rows->data, start, end) : -1;
    for (int row = start; row < end; ++row) rows->selected[row] = row != kept;
    if (end < count) rows->selected[end] = false;
  }
}

void MarkInFolderOf(int clicked, RowMarks* rows) {
  if (clicked < 0 || clicked >= static_cast<int>(rows->data.size())) return;
  if (rows->data[clicked] == TextRow) return;
  const char* folderOf = fileTable.entries[rows->data[clicked]].path;
  for (size_t row = 0; row < rows->data.size(); ++row)
    if (rows->data[row] != TextRow && InSameFolder(fileTable.entries[rows->data[row]].path, folderOf))
      rows->selected[row] = true;
}

}  // namespace

void ApplyMarkRule(MarkRule rule, int clicked, RowMarks* rows) {
  rows->selected.resize(rows->data.size());
  switch (rule) {
    case MarkRule::Duplicates:
    case MarkRule::AllButNewest:
    case MarkRule::AllButOldest:
      MarkAllButOnePerGroup(rule, rows);
      break;
    case MarkRule::InFolder:
      MarkInFolderOf(clicked, rows);
      break;
    case MarkRule::Invert:
      for (size_t row = 0; row < rows->data.size(); ++row)
        rows->selected[row] = rows->data[row] != TextRow && !rows->selected[row];
      break;
    case MarkRule::None:
    case MarkRule::EveryRow:
      rows->selected.assign(rows->data.size(), rule == MarkRule::EveryRow);
      break;
  }
  for (size_t row = 0; row < rows->data.size(); ++row)
    if (rows->data[row] != TextRow && IsProtectedPath(fileTable.entries[rows->data[row]].path))
      rows->selected[row] = false;
}

const char* ListedRowText(const FileEntry& entry, const char* fileRow, char (&buffer)[RowTextSize]) {
  if (!IsProtectedPath(entry.path)) return fileRow;
  snprintf(buffer, RowTextSize, "[geschützt] %s", fileRow);
  return buffer;
}
