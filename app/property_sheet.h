#pragma once
#include <windows.h>

#include <commctrl.h>

// Shows the modal sheet "Parvik 2.3" with the main page and returns what
// PropertySheetW returned: positive after OK, 0 after Cancel, -1 on failure.
int ShowPropertySheet();

// Fills the records of the sheet and its one page (the header points at the
// page). Tests open the same sheet modeless by adding PSH_MODELESS.
void DescribePropertySheet(PROPSHEETPAGEW* page, PROPSHEETHEADERW* header);
