// The page's source-folder commands: the folder browser for the path box and
// the folder list with Add and CLR.
#pragma once
#include <windows.h>

// Opens the folder browser at the path in box 101; a chosen folder replaces
// the box's text, a cancelled browse leaves it.
void BrowseForSourceFolder(HWND page);
int CALLBACK BrowseCallback(HWND browser, UINT event, LPARAM eventParam, LPARAM callerData);

// Adds the text of box 101, as typed, unless it is empty or the list already
// holds it (only a-z match regardless of case).
void AddPathToFolderList(HWND page);
void ClearFolderList(HWND page);
