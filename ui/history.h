// The path and filter histories behind the page's two combo boxes: ten
// entries each, entry 0 the newest, "" a free slot.
#pragma once
#include <windows.h>

#include "ui/history_list.h"

// Remembers `value` in `history` unless an entry already equals it (only a-z
// match regardless of case); a new value goes to entry 0, the oldest entry is
// dropped and `box` is filled again. Returns the entry that holds the value:
// the highest matching one, 0 for a new value, or -1 for a value too long to
// keep (more than MaxPath - 1 characters), which leaves the history as it was.
int RememberInHistory(HWND box, History& history, const char* value);

// Empties the list of `box` and lists the non-empty entries, entry 0 first.
void ListHistory(HWND box, const History& history);

// Fill the two boxes from settings when the page opens: the path box selects
// the lowest entry equal to currentPath, the filter box the first entry that
// begins with currentFilter (CB_FINDSTRING from position 1 round to 0). The
// two rules differ and are kept: users know which entry each box shows.
void ShowPathHistory(HWND box);
void ShowFilterHistory(HWND box);
