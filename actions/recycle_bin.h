// The Recycle Bin for the marked files, listed in
// <DDMMYYYY-HHMMSS>-papierkorb.log beside the executable; the log is opened
// before the question, as for deletion. A file the Recycle Bin cannot take
// stays where it is.
#pragma once
#include <vector>

#include "actions/marked_files.h"

bool OpenRecycleLog(const std::vector<ListedRow>& rows, ActionLog* log);

ActionReport RecycleFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed);

// Moves one file into the Recycle Bin of its volume. False, with the file
// where it was, when the bin cannot take it: never deleted for good instead.
bool MoveToRecycleBin(const char* path);

// The shell's file operation; tests put in one that deletes for good, as the
// shell does where a bin cannot take a file.
struct _SHFILEOPSTRUCTW;
extern int (*shellFileOperation)(_SHFILEOPSTRUCTW* operation);
