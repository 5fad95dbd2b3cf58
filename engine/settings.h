// The user's options, current inputs and input histories. One global record,
// read by the engine and the window, loaded from and saved to the INI file by
// app/settings_file.cpp.
#pragma once
#include <cstdint>

#include "platform/platform.h"

constexpr int HistorySize = 10;
// A path or filter of up to MaxPath - 1 characters, as UTF-8 on Windows.
constexpr int MaxPathText = 3 * (MaxPath - 1) + 1;

struct Settings {
  int32_t logFile;   // write the result log after each search
  int32_t sameName;  // duplicates must also share their file name
  int32_t id3Tag;    // compare files without their ID3 tags
  char currentPath[MaxPathBytes];  // as long as the walk takes
  char pathHistory[HistorySize][MaxPathText];  // entry 0 the newest, "" a free slot
  char currentFilter[MaxPathText];
  char filterHistory[HistorySize][MaxPathText];
  uint32_t minSize;  // files must be larger than this; set only in the INI file
};

extern Settings settings;
extern char iniPath[MaxPathText];
extern char logPath[MaxPathText];
