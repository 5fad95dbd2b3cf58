// Marking many rows of the results window at once: its context menu (right
// click, the context-menu key, Shift+F10) with "Alle Duplikate markieren" and
// "Markierung aufheben", and Ctrl+A for every row. The menu and the Del key
// also move the marked files into the Recycle Bin.
#pragma once
#include <windows.h>

// Shows the menu at a screen point and returns the chosen item's id, or 0.
using MenuChooser = int (*)(HWND owner, HMENU menu, POINT screen);

// TrackPopupMenu, or the installed replacement (null restores it).
void RedirectResultsMenu(MenuChooser replacement);

// Makes the list answer the menu keys and clicks; called once, on creation.
void AttachResultsMenu(HWND list);

// Selects every file row except each group's first file (its lowest file
// index; groups are the file rows between two text rows) and nothing else.
void MarkAllDuplicates(HWND list);
// Selects no row.
void ClearMarks(HWND list);
// Selects every row; text rows carry no file, so the actions pass over them.
void MarkAllRows(HWND list);
