#include "actions/deletion.h"

#include <windows.h>

#include "actions/marked_files.h"
#include "platform/wide_text.h"

namespace {

bool DeleteOneFile(const FileEntry& entry, void*) {
  WideText widePath;
  return ToWidePath(entry.path, &widePath) && DeleteFileW(widePath.text) != 0;
}

}  // namespace

void DeleteMarkedFiles() {
  RunConfirmedAction({"-del", "gelöschte Dateien von Velo-Parvik 1.0", "Markierte Dateien löschen?\nWirklich sicher?",
                      "löschen", "Kann %d Datei(en) nicht löschen", DeleteOneFile});
}
