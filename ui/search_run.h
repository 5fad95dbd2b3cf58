#pragma once
#include <windows.h>

// The Start button: starts a run, or cancels the one in progress.
void RunSearch(HWND page);

// True while a run, or the winding down of a cancelled one, is on the stack:
// the folder list, the file table and the results must not change then.
bool SearchOnStack();
