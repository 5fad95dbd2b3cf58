// What an action over the marked rows did, for the window to show: the action
// itself asks nothing and shows nothing.
#pragma once
#include <vector>

#include "engine/file_table.h"

struct ActionReport {
  std::vector<int> doneRows;           // plan rows whose file was dealt with, top first: the window removes them
  int stayed = 0;                      // files that could not be dealt with
  int protectedFiles = 0;              // marked files left alone in protected folders (from the plan)
  bool logCreated = false;             // false: no log could be made
  char logPath[MaxPathBytes] = {};     // the log written, empty when none
};
