// The grouping pass's progress on the main page, about once per second, with
// the message pump: the window keeps answering and Abbruch can be clicked.
#pragma once
#include <cstdint>

// Samples the clock; when its second has changed since the last refresh,
// shows "index / count", the counters and the elapsed time, and pumps.
void RefreshProgress(uint32_t index);
