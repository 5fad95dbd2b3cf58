// The only page of the sheet: inputs, options, statistics and buttons, built
// from the dialog template MAIN.
#pragma once
#include <windows.h>

extern HWND pageWindow;  // null until the page is initialised

INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the help file at `path`; tests replace it to see which file is asked for.
extern void (*showHelpFile)(HWND owner, const char* path);
