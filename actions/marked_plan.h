// Which marked files an action may touch, decided without a window. The
// groups are the file rows between two text rows of the results window.
// A file in a protected folder is never touched: it counts as unmarked, and so
// as a copy its group keeps. A group whose every file is marked keeps its
// files unless the user agreed to lose every copy; any other marked file goes
// only while it is still as listed and at least one unmarked file of its
// group is too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct ListedRow {
  int32_t fileIndex;  // -1 for a text row
  bool marked;        // selected, and a file row
};

struct MarkedPlan {
  std::vector<ListedRow> rows;
  std::vector<int> groupOf;  // per row: its group, -1 for a text row
  std::vector<int> firstRowOf;  // per group; its rows follow each other
  std::vector<int> filesInGroup;
  std::vector<int> markedInGroup;
  int groupsLosingEveryCopy;  // groups whose every file is marked
  bool everyCopyAgreed;       // the user said yes to losing those copies
  int protectedFiles;         // marked, but in a protected folder
};

MarkedPlan PlanMarkedRows(const std::vector<ListedRow>& rows);

enum class RowVerdict {
  Skip,   // not a marked file row
  Keep,   // the last copies of its group, which the user chose to keep
  Stays,  // changed since the search, or no unmarked copy is still there
  Go,
};

// Whether the file of `row` still has the size and last-write time of its row.
using StillAsListedCheck = bool (*)(int32_t fileIndex, void* context);

RowVerdict DecideMarkedRow(const MarkedPlan& plan, int row, StillAsListedCheck stillAsListed, void* context);
