// Deletion of the marked files, listed in <DDMMYYYY-HHMMSS>-del.log beside the
// executable. The log is opened before the question (so that every request
// leaves one), the files go after it.
#pragma once
#include <vector>

#include "actions/marked_files.h"

// `rows`, as read from the window, decide the log's encoding.
bool OpenDeletionLog(const std::vector<ListedRow>& rows, ActionLog* log);

ActionReport DeleteFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed);
