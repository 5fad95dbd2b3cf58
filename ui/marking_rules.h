// What the marking rules of the results window select, apart from the window:
// the rows as their item data (a file index or TextRow), top first, and which
// are selected. A group is the file rows between two text rows; its first file
// is the one with the lowest file index, the one the others were compared with.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/listing.h"

enum class MarkRule {
  Duplicates,    // every file but each group's first
  AllButNewest,  // every file but each group's newest (last write; ties: the first)
  AllButOldest,  // every file but each group's oldest (ties: the first)
  InFolder,      // adds every file directly in the clicked file's folder
  Invert,        // file rows flip
  None,          // nothing
  EveryRow,      // Ctrl+A: every row, text rows too
};

struct RowMarks {
  std::vector<int32_t> data;
  std::vector<char> selected;
};

// Applies `rule`; `clicked` is the row the menu was opened on (-1: none).
// Files in protected folders end up unselected whatever the rule; they are
// the originals, so a group that holds one keeps it in place of the file the
// rule would keep.
void ApplyMarkRule(MarkRule rule, int clicked, RowMarks* rows);

// The text the window lists for a file row whose FormatFileRow text is
// `fileRow`: a protected file's row begins with "[geschützt] " so that it
// stands out. Returns `fileRow` itself or `buffer`.
const char* ListedRowText(const FileEntry& entry, const char* fileRow, char (&buffer)[RowTextSize]);
