// The texts of the page's boxes and lists, which hold them as Unicode, in the
// program's UTF-8.
#pragma once
#include <windows.h>

#include <cstddef>

// The control's text; false, `out` untouched, when it does not fit in `size`
// bytes: a cut path would name another folder.
bool ReadControlText(HWND control, char* out, size_t size);
void ShowControlText(HWND control, const char* text);
// Sends the wide form of a message that carries a text in lParam
// (CB_INSERTSTRING, CB_FINDSTRING, LB_ADDSTRING).
LRESULT SendTextMessage(HWND control, UINT message, WPARAM wParam, const char* text);
// Entry `index` of a list box; false, `out` untouched, when it does not fit.
bool ReadListEntry(HWND list, int index, char* out, size_t size);
