#pragma once
#include <cstdint>

// Turns the size-sorted file table into duplicate groups (groupId = index of
// the group's first member + 1), keeping the counters of searchState and
// showing progress about once per second. Every file it opened is closed when
// it returns.
void FindDuplicates();

// Where the run of files of entry `first`'s compared length ends.
uint32_t RunEnd(uint32_t first);

// The grouped entries of the run [first, end) in the order they are listed:
// group by group, in the order of their first files, each group's files in
// table order. Writes them to `out` (room for end - first) and returns how many.
uint32_t GroupedInListOrder(uint32_t first, uint32_t end, uint32_t* out);
