#pragma once
#include <cstdint>

// Orders fileTable.entries[lo..hi] by ascending size. The partition scheme
// (last record as pivot, non-strict scans) fixes the order of equal sizes,
// which decides which file heads a duplicate group.
void SortBySize(int32_t lo, int32_t hi);
