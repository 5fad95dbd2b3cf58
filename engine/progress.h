// The grouping pass's progress on the main page, about once per second, with
// the message pump: the window keeps answering and Abbruch can be clicked.
#pragma once
#include <cstdint>

// Samples the clock; when its second has changed since the last refresh,
// shows "index / count", the counters, the elapsed time and the share done,
// and pumps.
void RefreshProgress(uint32_t index);

// The share of the comparison done: the bytes compared against the bytes that
// at most remain to compare, every file of a run of equal lengths read to its
// end. It starts after the size sort with the sum of those runs.
void StartShare(uint64_t bytesToCompare);
// Bytes the comparison read.
void CountComparedBytes(uint64_t bytes);
// A run of `runBytes` is decided: what it left unread is no longer to come.
void SettleRun(uint64_t runBytes);

struct Share {
  int permille;     // 0 to 1000
  int secondsLeft;  // -1 until the comparison has run long enough to tell
};
Share ShareAt(int64_t nowSeconds);

// "noch etwa 3 min", "noch weniger als 1 min"; empty for -1.
struct TimeLeftText {
  char text[40];
};
TimeLeftText FormatTimeLeft(int seconds);
