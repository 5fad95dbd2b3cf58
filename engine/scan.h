#pragma once

// Walks one folder tree depth first and appends every file that matches
// settings.currentFilter and is larger than settings.minSize. Stops early when
// searchState.running is cleared.
void ScanDirectory(const char* folder);
