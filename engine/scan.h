#pragma once
#include <cstddef>

// The longest path the walk takes, terminator included: MaxPathBytes. Tests
// lower it to reach it with real files.
extern size_t walkPathLimit;

// Walks one folder tree depth first and appends every file that matches
// settings.currentFilter and is larger than settings.minSize. Stops early when
// searchState.running is cleared. Folders named $RECYCLE.BIN, RECYCLER and
// System Volume Information are passed over unless `folder` lies inside one.
void ScanDirectory(const char* folder);
