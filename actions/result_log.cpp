#include "actions/result_log.h"

#include <windows.h>

#include <cstdio>

#include "engine/listing.h"
#include "platform/wide_text.h"

namespace {

bool RowsFitAnsi(const ResultRows& rows) {
  for (int row = 0; row < rows.count; ++row)
    if (!WideFitsAnsi(rows.wide(row))) return false;
  return true;
}

void WriteAnsiRows(FILE* log, const ResultRows& rows) {
  for (int row = 0; row < rows.count; ++row) {
    char text[MaxPath];
    rows.ansi(row, text);
    fprintf(log, "%s\r", text);
  }
}

// A name the ANSI code page cannot spell would be lost there: the log is then
// UTF-8 with a byte-order mark, and its rows are whole.
void WriteUtf8Rows(FILE* log, const ResultRows& rows) {
  static char text[3 * RowTextSize];
  fputs("\xEF\xBB\xBF", log);
  for (int row = 0; row < rows.count; ++row) {
    FromWide(rows.wide(row), text, sizeof text);
    fprintf(log, "%s\r", text);
  }
}

}  // namespace

bool WriteResultRows(const char* path, const ResultRows& rows) {
  // Text mode with "%s\r": only "\n" would become CR LF, so each row ends in
  // a lone CR, as readers of this log expect.
  WideText widePath;
  FILE* log = ToWidePath(path, &widePath) ? _wfopen(widePath.text, L"w") : nullptr;
  if (log == nullptr) return false;
  if (RowsFitAnsi(rows)) WriteAnsiRows(log, rows);
  else WriteUtf8Rows(log, rows);
  fclose(log);
  return true;
}
