#pragma once

// Turns the size-sorted file table into duplicate groups (groupId = index of
// the group's first member + 1), keeping the counters of searchState and
// showing progress about once per second. Every file and cache it opened is
// released when it returns.
void FindDuplicates();
