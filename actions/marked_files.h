// What backup, deletion and the Recycle Bin share: the folder of the
// executable, the run's time stamp, logs that are always new files, and the
// walk over the marked rows of a plan. Nothing here asks or shows: the window
// reads the rows, asks, and shows the report.
#pragma once
#include <cstdio>
#include <vector>

#include "actions/action_report.h"
#include "actions/marked_names.h"
#include "actions/marked_plan.h"
#include "engine/file_table.h"
#include "platform/platform.h"

// The drive and folder of the running executable, ending in a backslash.
bool ExecutableFolder(char (&folder)[MaxPathBytes]);

// The local time now, as the run's stamp.
void TakeRunStamp(RunStamp* stamp);

// Creates a text-mode file that did not exist before; null (errno EEXIST when
// the name is taken) otherwise. Tests replace it to make creation fail.
extern FILE* (*createNewTextFile)(const char* path);

// Creates the log "<stem><ext>", or "<stem> (2)<ext>" and so on when that
// name is taken, so an earlier log is never emptied. The name chosen goes to
// `path`. Null when no log could be created.
FILE* CreateFreshLog(const char* stem, const char* ext, char (&path)[MaxPathBytes]);

// An action's log between its two steps; `file` is null when none could be made.
struct ActionLog {
  FILE* file = nullptr;
  bool utf8 = false;  // the encoding of its rows
  char path[MaxPathBytes] = {};
};

// Creates the log "<stem>.log" (numbered when taken) and writes its header.
// A log stays in the ANSI code page, unless a file marked in `rows` has a name
// that code page cannot spell: then the log, rows included, is UTF-8 with a
// byte-order mark, so that nothing is lost and Notepad reads it.
bool OpenActionLog(ActionLog* log, const char* stem, const char* title, const RunStamp& stamp,
                   const std::vector<ListedRow>& rows);

// The log "<stamp><suffix>.log" beside the executable, named after the moment
// of the request; a second request in the same second gets "... (2).log".
bool OpenLogBesideProgram(ActionLog* log, const char* suffix, const char* title, const std::vector<ListedRow>& rows);

// Closes the log of a run the user called off.
void CloseActionLog(ActionLog* log);

// Does the action to one file; true when it was done.
using MarkedFileAction = bool (*)(const FileEntry& entry, void* context);

// Whether plan row `row` still shows file `fileIndex` in the window: a list
// that changed under a question is not the one the plan was made for.
using RowStillListed = bool (*)(int row, int32_t fileIndex);

// Applies `act` to the file of every marked row that the plan lets go (see
// DecideMarkedRow), top row first, and stops at a row that is no longer
// listed. The row text of each file dealt with goes to the log, which is then
// closed. `stayed` counts the files that stayed, not the last copies the user
// chose to keep.
ActionReport ProcessMarkedRows(const MarkedPlan& plan, MarkedFileAction act, void* context, ActionLog* log,
                               RowStillListed listed);
