#include "actions/result_log.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "platform/platform.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

void WriteResultLog(const char* path) {
  // Text mode with "%s\r": only "\n" would become CR LF, so each row ends in
  // a lone CR, as readers of this log expect.
  FILE* log = fopen(path, "w");
  if (log == nullptr) {
    ShowMessage("Kann Logdatei nicht schreiben", "Fehler!", MB_OK);
    return;
  }
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char text[MaxPath];
    text[0] = '\0';
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(resultsWindow, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    text[sizeof text - 1] = '\0';  // some list views fill a cut text to the brim
    fprintf(log, "%s\r", text);
  }
  fclose(log);
}
