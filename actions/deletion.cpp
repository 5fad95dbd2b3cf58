#include "actions/deletion.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace {

bool DeleteOneFile(const FileEntry& entry, void*) {
  WideText widePath;
  return ToWidePath(entry.path, &widePath) && DeleteFileW(widePath.text) != 0;
}

}  // namespace

bool OpenDeletionLog(const std::vector<ListedRow>& rows, ActionLog* log) {
  return OpenLogBesideProgram(log, "-del", "gelöschte Dateien von Velo-Parvik 1.0", rows);
}

ActionReport DeleteFiles(const MarkedPlan& plan, ActionLog* log, RowStillListed listed) {
  return ProcessMarkedRows(plan, DeleteOneFile, nullptr, log, listed);
}
