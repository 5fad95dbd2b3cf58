// What backup and deletion share: the folder of the executable, the run's time
// stamp, logs that are always new files, and the walk over the marked rows of
// the results window.
#pragma once
#include <cstdio>

#include "engine/file_table.h"
#include "actions/marked_names.h"
#include "actions/marked_plan.h"
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
// Writes the log's header. A log stays in the ANSI code page, unless a marked
// file has a name that code page cannot spell: then the log, rows included, is
// UTF-8 with a byte-order mark, so that nothing is lost and Notepad reads it.
void StartActionLog(FILE* log, const char* title, const RunStamp& stamp);

// The log "<stamp><suffix>.log" beside the executable, named after the moment
// of the request; a second request in the same second gets "... (2).log".
FILE* CreateLogBesideProgram(const RunStamp& stamp, const char* suffix);

// Does the action to one file; true when it was done.
using MarkedFileAction = bool (*)(const FileEntry& entry, void* context);

// Reads the rows of the results window. When every file of some group is
// marked, asks whether those groups may lose every copy (`verb` names the
// action: "löschen"); No, the default, keeps them. False when the user
// cancels the whole action.
bool TakeMarkedRows(MarkedPlan* plan, const char* verb);

// Applies `act` to the file of every marked row that the plan lets go (see
// DecideMarkedRow), top row first. The row of a file that was dealt with is
// removed and, with a log, its row text is written as one line; a file that
// stayed keeps its row. Returns how many files stayed; the last copies the
// user chose to keep are not counted.
int ProcessMarkedRows(const MarkedPlan& plan, MarkedFileAction act, void* context, FILE* log);

// Deletion and the Recycle Bin: the log "<stamp><logSuffix>.log" beside the
// program, made before the question so that every request leaves one; the
// question; the walk over the marked rows; how many files stayed.
struct ConfirmedAction {
  const char* logSuffix;
  const char* logTitle;
  const char* question;
  const char* verb;          // for the question about the last copies
  const char* stayedFormat;  // "Kann %d Datei(en) nicht ..."
  MarkedFileAction act;
};
void RunConfirmedAction(const ConfirmedAction& action);

// After the walk: tells how many files stayed, with `format` holding one %d,
// and how many marked files were left alone in protected folders.
void ReportFilesThatStayed(int stayed, const char* format, int protectedFiles);
