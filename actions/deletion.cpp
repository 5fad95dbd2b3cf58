#include "actions/deletion.h"

#include <windows.h>

#include <cstdio>

#include "actions/marked_files.h"
#include "ui/message_box.h"

namespace {

bool DeleteOneFile(const FileEntry& entry, void*) { return DeleteFileA(entry.path) != 0; }

// The log beside the executable, named after the moment of the request; a
// second request in the same second gets "<stamp>-del (2).log".
FILE* CreateDeletionLog(const RunStamp& stamp) {
  char folder[MaxPath];
  if (!ExecutableFolder(folder)) return nullptr;
  char stem[2 * MaxPath];
  snprintf(stem, sizeof stem, "%s%s-del", folder, stamp.text);
  char logName[MaxPath];
  return CreateFreshLog(stem, ".log", logName);
}

}  // namespace

void DeleteMarkedFiles() {
  RunStamp stamp;
  TakeRunStamp(&stamp);
  // The log is made before the question, so every request leaves one.
  FILE* log = CreateDeletionLog(stamp);
  if (log != nullptr)
    WriteLogHeader(log, "gelöschte Dateien von Velo-Parvik 1.0", stamp);
  else
    ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);

  if (ShowMessage("Markierte Dateien löschen?\nWirklich sicher?", "Achtung!", MB_YESNO) == IDNO) {
    if (log != nullptr) fclose(log);
    return;
  }

  MarkedRowsOutcome outcome = ProcessMarkedRows(DeleteOneFile, nullptr, log);
  if (log != nullptr) fclose(log);
  ReportMarkedRowsOutcome(outcome, "Kann %d Datei(en) nicht löschen");
}
