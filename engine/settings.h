// The user's options, current inputs and input histories. One global record,
// read by the engine and the window, loaded from and saved to the INI file by
// app/settings_file.cpp.
#pragma once
#include <cstdint>

#include "platform/platform.h"

constexpr int HistorySize = 10;

struct Settings {
  int32_t logFile;   // write the result log after each search
  int32_t sameName;  // duplicates must also share their file name
  int32_t id3Tag;    // compare files without their ID3 tags
  char currentPath[MaxPath];
  char pathHistory[HistorySize][MaxPath];  // entry 0 the newest, "" a free slot
  char currentFilter[MaxPath];
  char filterHistory[HistorySize][MaxPath];
  uint32_t minSize;  // files must be larger than this; set only in the INI file
};

extern Settings settings;
extern char iniPath[MaxPath];
extern char logPath[MaxPath];
