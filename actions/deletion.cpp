#include "actions/deletion.h"

#include <windows.h>

#include <cstdio>

#include "actions/marked_files.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"

namespace {

bool DeleteOneFile(const FileEntry& entry, void*) {
  WideText widePath;
  return ToWidePath(entry.path, &widePath) && DeleteFileW(widePath.text) != 0;
}

// The log beside the executable, named after the moment of the request; a
// second request in the same second gets "<stamp>-del (2).log".
FILE* CreateDeletionLog(const RunStamp& stamp) {
  static char folder[MaxPathBytes];
  if (!ExecutableFolder(folder)) return nullptr;
  static char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s%s-del", folder, stamp.text);
  static char logName[MaxPathBytes];
  return CreateFreshLog(stem, ".log", logName);
}

}  // namespace

void DeleteMarkedFiles() {
  RunStamp stamp;
  TakeRunStamp(&stamp);
  // The log is made before the question, so every request leaves one.
  FILE* log = CreateDeletionLog(stamp);
  if (log != nullptr)
    StartActionLog(log, "gelöschte Dateien von Velo-Parvik 1.0", stamp);
  else
    ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);

  if (ShowMessage("Markierte Dateien löschen?\nWirklich sicher?", "Achtung!", MB_YESNO) == IDNO) {
    if (log != nullptr) fclose(log);
    return;
  }

  int stayed = ProcessMarkedRows(DeleteOneFile, nullptr, log);
  if (log != nullptr) fclose(log);
  ReportFilesThatStayed(stayed, "Kann %d Datei(en) nicht löschen");
}
