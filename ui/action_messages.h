// The window's side of the actions on the results: reads the rows, asks the
// questions, hands the plan to the action, removes the rows of the files it
// dealt with and shows what its report says.
#pragma once

// Backup into BackUp\<stamp> beside the executable (the page's button).
void BackupMarkedFiles();
// Deletion after one question (the page's button).
void DeleteMarkedFiles();
// The Recycle Bin after one question (the context menu and the Del key).
void RecycleMarkedFiles();

// The result log of the rows in the window, at `path`.
void WriteResultLog(const char* path);
