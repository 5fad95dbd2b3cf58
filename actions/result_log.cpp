#include "actions/result_log.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "engine/listing.h"
#include "platform/platform.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

namespace {

wchar_t wideRow[RowTextSize];

const wchar_t* WideRow(int row) {
  wideRow[0] = L'\0';
  LVITEMW item = {};
  item.iSubItem = 0;
  item.pszText = wideRow;
  item.cchTextMax = RowTextSize;
  SendMessageW(resultsWindow, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  wideRow[RowTextSize - 1] = L'\0';
  return wideRow;
}

bool RowsFitAnsi(int count) {
  for (int row = 0; row < count; ++row)
    if (!WideFitsAnsi(WideRow(row))) return false;
  return true;
}

// Each row as the list gives it in the ANSI code page, cut to 259 bytes.
void WriteAnsiRows(FILE* log, int count) {
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
}

// A name the ANSI code page cannot spell would be lost there: the log is then
// UTF-8 with a byte-order mark, and its rows are whole.
void WriteUtf8Rows(FILE* log, int count) {
  static char text[3 * RowTextSize];
  fputs("\xEF\xBB\xBF", log);
  for (int row = 0; row < count; ++row) {
    FromWide(WideRow(row), text, sizeof text);
    fprintf(log, "%s\r", text);
  }
}

}  // namespace

void WriteResultLog(const char* path) {
  // Text mode with "%s\r": only "\n" would become CR LF, so each row ends in
  // a lone CR, as readers of this log expect.
  WideText widePath;
  FILE* log = ToWidePath(path, &widePath) ? _wfopen(widePath.text, L"w") : nullptr;
  if (log == nullptr) {
    ShowMessage("Kann Logdatei nicht schreiben", "Fehler!", MB_OK);
    return;
  }
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  if (RowsFitAnsi(count)) WriteAnsiRows(log, count);
  else WriteUtf8Rows(log, count);
  fclose(log);
}
