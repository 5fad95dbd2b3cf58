// Puts the files of one Backup run back where they came from, as its origin
// list tells: a file goes back only to a free path and only as it was moved;
// what stays is listed with its reason in a restore log in the run folder. A
// run folder left with nothing of the run's files is removed with its list.
#pragma once
#include <string>
#include <vector>

#include "actions/origin_list.h"
#include "platform/platform.h"

struct RestoreRun {
  std::string folder;               // the run folder, without a trailing separator
  std::vector<OriginLine> lines;    // of the origin list
  int waiting = 0;                  // files of the list still in the run folder
  uint64_t waitingBytes = 0;
  int unreadableLines = 0;
};

enum class RestoreStart { Ready, NoList, NotAList, NothingThere };

// Reads the origin list of `folder` and counts what waits there.
RestoreStart StartRestore(const char* folder, RestoreRun* run);

struct RestoreReport {
  int restored = 0;
  int stayed = 0;              // with their reasons in the restore log
  bool logCreated = false;
  bool folderRemoved = false;  // every file went back: the folder is gone, the log with it
  char logPath[MaxPathBytes] = {};
};

RestoreReport RestoreFiles(const RestoreRun& run);
