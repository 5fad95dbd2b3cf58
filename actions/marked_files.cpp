#include "actions/marked_files.h"

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "actions/protection.h"
#include "engine/listing.h"
#include "engine/text.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

namespace {

// Exclusive creation, so that a log of an earlier run is never emptied.
FILE* CreateNewTextFileOnDisk(const char* path) {
  int fd = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  FILE* file = _fdopen(fd, "w");
  if (file == nullptr) _close(fd);
  return file;
}

bool IsPathTaken(const char* path) {
  return errno == EEXIST || GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A file that was replaced or written to since the search is no longer the
// duplicate its row claims it to be, and is left alone.
bool StillAsListed(const FileEntry& entry) {
  WIN32_FILE_ATTRIBUTE_DATA now;
  if (!GetFileAttributesExA(entry.path, GetFileExInfoStandard, &now)) return false;
  uint64_t size = (static_cast<uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
  return !(now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && size == entry.size &&
         now.ftLastWriteTime.dwLowDateTime == entry.lastWriteTime.low &&
         now.ftLastWriteTime.dwHighDateTime == entry.lastWriteTime.high;
}

}  // namespace

FILE* (*createNewTextFile)(const char* path) = CreateNewTextFileOnDisk;

bool ExecutableFolder(char (&folder)[MaxPath]) {
  DWORD length = GetModuleFileNameA(nullptr, folder, MaxPath);
  if (length == 0 || length >= MaxPath) {
    folder[0] = '\0';
    return false;
  }
  char* end = folder + (FileNameOf(folder) - folder);
  if (end == folder) {
    folder[0] = '\0';
    return false;
  }
  *end = '\0';
  return true;
}

void TakeRunStamp(RunStamp* stamp) {
  CalendarTime now;
  LocalNow(&now);
  *stamp = StampOf(now);
}

FILE* CreateFreshLog(const char* stem, const char* ext, char (&path)[MaxPath]) {
  for (int number = 1; number <= MaxNameNumber; ++number) {
    if (!NumberedPath(path, stem, ext, number)) break;
    errno = 0;
    FILE* log = createNewTextFile(path);
    if (log != nullptr) return log;
    if (!IsPathTaken(path)) break;
  }
  path[0] = '\0';
  return nullptr;
}

MarkedRowsOutcome ProcessMarkedRows(MarkedFileAction act, void* context, FILE* log) {
  MarkedRowsOutcome outcome = {0, 0};
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int j = 0; j < count; ++j) {
    int32_t index = TextRow;
    if (!IsMarkedRow(resultsWindow, j, &index)) continue;
    const FileEntry* listed = ListedEntry(index);
    if (!listed) continue;
    const FileEntry& entry = *listed;
    if (IsProtectedPath(entry.path)) {
      ++outcome.protectedFiles;
      continue;
    }
    if (!StillAsListed(entry) || !act(entry, context)) {
      ++outcome.stayed;
      continue;
    }
    SendMessageA(resultsWindow, LVM_DELETEITEM, j, 0);
    --j;  // the next row has moved up into place j
    --count;
    if (log != nullptr) {
      char row[RowTextSize];
      FormatFileRow(entry, row);
      fprintf(log, "%s\n", row);
    }
  }
  return outcome;
}

void ReportMarkedRowsOutcome(const MarkedRowsOutcome& outcome, const char* format) {
  char text[96];
  if (outcome.stayed > 0) {
    snprintf(text, sizeof text, format, outcome.stayed);
    ShowMessage(text, "Fehler!", MB_OK);
  }
  if (outcome.protectedFiles > 0) {
    snprintf(text, sizeof text, "%d markierte Datei(en) in geschützten Ordnern bleiben unberührt",
             outcome.protectedFiles);
    ShowMessage(text, "Achtung!", MB_OK);
  }
}
