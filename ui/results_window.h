// The results window: a top-level report list view, one row per file of every
// duplicate group plus separator, heading and timing rows. Rows are always
// inserted at the top. Item data is the file index of a file row, -1 otherwise.
#pragma once
#include <windows.h>

#include <cstdint>

extern HWND resultsWindow;  // null until the first search creates it

// Creates the window to the right of the page's sheet, or empties it.
void PrepareResultsWindow(HWND page);
// Inserts one row at the top; returns its position.
int AddResultRow(HWND list, int32_t itemData, const char* text);
// Replaces the text of a row, the row of the file or text row `itemData`.
void SetResultRowText(HWND list, int row, int32_t itemData, const char* text);
// While held, rows go in without a repaint or scroll-bar update each (under
// Wine that costs tens of milliseconds a row); releasing repaints once.
void HoldResultsRedraw(bool hold);
// The item data of row r: its file index, or -1.
int32_t ItemDataOf(HWND list, int row);
// Row r is marked when it is selected and is a file row; its file index then
// goes to *fileIndex.
bool IsMarkedRow(HWND list, int row, int32_t* fileIndex);
