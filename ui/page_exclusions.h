// The exclusions as the user edits them: a list opened from the main page and
// "Ordner ausschließen" in the results window. The INI file keeps them at once.
#pragma once
#include <windows.h>

// The list, modal over `page`.
void ShowExclusionsDialog(HWND page);
INT_PTR CALLBACK ExclusionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Excludes the folder of the file at `path` from every later search.
void ExcludeFolderOf(const char* path);
