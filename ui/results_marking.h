// The results window's context menu (right click, the context-menu key,
// Shift+F10): marking rules, moving the marked files into the Recycle Bin
// (also the Del key), opening a file or showing it in Explorer, and
// protecting folders. Ctrl+A marks every row; Enter and a double click open
// the file of a row.
#pragma once
#include <windows.h>

#include "ui/marking_rules.h"

// Shows the menu at a screen point and returns the chosen item's id, or 0.
using MenuChooser = int (*)(HWND owner, HMENU menu, POINT screen);

// TrackPopupMenu, or the installed replacement (null restores it).
void RedirectResultsMenu(MenuChooser replacement);

// Makes the list answer the menu keys and clicks; called once, on creation.
void AttachResultsMenu(HWND list);

// Selects the rows `rule` selects; `clicked` is the row it was asked for.
void MarkRows(HWND list, MarkRule rule, int clicked);
