// The names and texts of a backup or deletion run that need no window: the
// run's time stamp, numbered names for names already taken, the log header.
#pragma once
#include <cstdio>

#include "platform/platform.h"

// Names tried for a file or folder that is already there: "Bild (2).jpg" up
// to "Bild (999).jpg".
constexpr int MaxNameNumber = 999;

struct RunStamp {
  CalendarTime time;
  char text[32];  // DDMMYYYY-HHMMSS
};

// The stamp of a run started at `time`.
RunStamp StampOf(const CalendarTime& time);

// "<stem><ext>" for number 1, "<stem> (<number>)<ext>" after that. False when
// the path would not fit in `size` - 1 bytes.
bool NumberedPath(char* path, size_t size, const char* stem, const char* ext, int number);
template <size_t Size>
bool NumberedPath(char (&path)[Size], const char* stem, const char* ext, int number) {
  return NumberedPath(path, Size, stem, ext, number);
}

// The two header lines: the title, then the program and the run's time.
void WriteLogHeader(FILE* log, const char* title, const RunStamp& stamp);
