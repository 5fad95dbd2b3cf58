// What backup and deletion share: the folder of the executable, the run's time
// stamp, logs that are always new files, and the walk over the marked rows of
// the results window.
#pragma once
#include <cstdio>

#include "engine/file_table.h"
#include "actions/marked_names.h"
#include "platform/platform.h"

// The drive and folder of the running executable, ending in a backslash.
bool ExecutableFolder(char (&folder)[MaxPath]);

// The local time now, as the run's stamp.
void TakeRunStamp(RunStamp* stamp);

// Creates a text-mode file that did not exist before; null (errno EEXIST when
// the name is taken) otherwise. Tests replace it to make creation fail.
extern FILE* (*createNewTextFile)(const char* path);

// Creates the log "<stem><ext>", or "<stem> (2)<ext>" and so on when that
// name is taken, so an earlier log is never emptied. The name chosen goes to
// `path`. Null when no log could be created.
FILE* CreateFreshLog(const char* stem, const char* ext, char (&path)[MaxPath]);

// Does the action to one file; true when it was done.
using MarkedFileAction = bool (*)(const FileEntry& entry, void* context);

struct MarkedRowsOutcome {
  int stayed;          // could not be dealt with, or changed since the search
  int protectedFiles;  // in a protected folder: never touched
};

// Applies `act` to the file of every marked row of the results window, top
// row first, unless it lies in a protected folder, and only if it still has
// the size and last-write time of its row (else it stays). The row of a file
// that was dealt with is removed and, with a log, its row text is written as
// one line; every other file keeps its row.
MarkedRowsOutcome ProcessMarkedRows(MarkedFileAction act, void* context, FILE* log);

// After the walk: tells how many files stayed, with `format` holding one %d,
// and how many were left alone for their protection.
void ReportMarkedRowsOutcome(const MarkedRowsOutcome& outcome, const char* format);
