#pragma once

// Shows the modal sheet "Parvik 2.3" with the main page and returns what
// PropertySheetA returned: positive after OK, 0 after Cancel, -1 on failure.
int ShowPropertySheet();
