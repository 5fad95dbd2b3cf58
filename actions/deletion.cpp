#include "actions/deletion.h"

#include <windows.h>

#include <cstdio>

#include "actions/marked_files.h"
#include "ui/message_box.h"

namespace {

bool DeleteOneFile(const FileEntry& entry, void*) { return DeleteFileA(entry.path) != 0; }

}  // namespace

void DeleteMarkedFiles() {
  RunStamp stamp;
  TakeRunStamp(&stamp);
  // The log is made before the question, so every request leaves one.
  FILE* log = CreateLogBesideProgram(stamp, "-del");
  if (log != nullptr)
    WriteLogHeader(log, "gelöschte Dateien von Velo-Parvik 1.0", stamp);
  else
    ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);

  if (ShowMessage("Markierte Dateien löschen?\nWirklich sicher?", "Achtung!", MB_YESNO) == IDNO) {
    if (log != nullptr) fclose(log);
    return;
  }

  MarkedPlan plan;
  if (!TakeMarkedRows(&plan, "löschen")) {
    if (log != nullptr) fclose(log);
    return;
  }
  int stayed = ProcessMarkedRows(plan, DeleteOneFile, nullptr, log);
  if (log != nullptr) fclose(log);
  ReportFilesThatStayed(stayed, "Kann %d Datei(en) nicht löschen");
}
