// Backup of the marked files into BackUp\<DDMMYYYY-HHMMSS> beside the
// executable, listed in backup.log there. Two steps, so the window can ask
// between them whether to go on without a log.
#pragma once
#include <vector>

#include "actions/marked_files.h"

struct BackupRun {
  char folder[MaxPathBytes] = {};  // this run's folder
  ActionLog log;
};

enum class BackupStart {
  Ready,
  NoFolder,  // neither BackUp nor the run's folder could be made: nothing to do
  NoLog,     // the run's folder is there, its log is not
};

// Makes the run's folder and its log; `rows`, as read from the window, decide
// the log's encoding (see OpenActionLog).
BackupStart StartBackup(const std::vector<ListedRow>& rows, BackupRun* run);

// Moves every file the plan lets go into the run's folder under its own name,
// or the first free numbered one; an existing file there is never replaced.
ActionReport BackupFiles(const MarkedPlan& plan, BackupRun* run, RowStillListed listed);
