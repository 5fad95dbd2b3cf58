// "Backup wiederherstellen" on the main page: the user picks a run folder in
// BackUp, sees how many files go back, confirms, and learns what stayed.
#pragma once
#include <windows.h>

#include "platform/platform.h"

void RestoreBackupRun(HWND page);

// The folder browser; tests put in one that answers. False when cancelled.
extern bool (*pickRunFolder)(HWND owner, char (&folder)[MaxPathBytes]);
