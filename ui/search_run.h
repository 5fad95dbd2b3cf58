#pragma once
#include <windows.h>

// The Start button: starts a run, or cancels the one in progress. A click
// that would start a second run while one is still winding down only beeps.
void RunSearch(HWND page);

// True while a run, or the winding down of a cancelled one, is on the stack:
// the folder list, the file table and the results must not change then.
bool SearchOnStack();

// The sheet's OK (PSBTN_OK) or Cancel (PSBTN_CANCEL) arrived during a run:
// stops the run and presses that button of the page's sheet once the run has
// wound down.
void CloseSheetAfterRun(HWND page, int sheetButton);
