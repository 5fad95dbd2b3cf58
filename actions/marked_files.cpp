#include "actions/marked_files.h"

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "engine/listing.h"
#include "engine/text.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

namespace {

// The encoding of the rows of the log being written.
bool logInUtf8;

// Exclusive creation, so that a log of an earlier run is never emptied.
FILE* CreateNewTextFileOnDisk(const char* path) {
  WideText widePath;
  if (!ToWidePath(path, &widePath)) return nullptr;
  int fd = _wopen(widePath.text, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  FILE* file = _fdopen(fd, "w");
  if (file == nullptr) _close(fd);
  return file;
}

bool IsPathTaken(const char* path) {
  if (errno == EEXIST) return true;
  WideText widePath;
  return ToWidePath(path, &widePath) && GetFileAttributesW(widePath.text) != INVALID_FILE_ATTRIBUTES;
}

// The records of the table stay intact until the next search clears them,
// also after a refused search has set `count` to 0 while the rows stay listed.
bool IsStoredRecord(int32_t index) {
  return index >= 0 &&
         static_cast<uint64_t>(index) <
             static_cast<uint64_t>(fileTable.capacity) + SpareRecords &&
         fileTable.entries[index].path != nullptr;
}

// A file that was replaced or written to since the search is no longer the
// duplicate its row claims it to be, and is left alone.
bool StillAsListed(const FileEntry& entry) {
  WIN32_FILE_ATTRIBUTE_DATA now;
  WideText widePath;
  if (!ToWidePath(entry.path, &widePath) ||
      !GetFileAttributesExW(widePath.text, GetFileExInfoStandard, &now))
    return false;
  uint64_t size = (static_cast<uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
  return !(now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && size == entry.size &&
         now.ftLastWriteTime.dwLowDateTime == entry.lastWriteTime.low &&
         now.ftLastWriteTime.dwHighDateTime == entry.lastWriteTime.high;
}

bool MarkedPathsFitAnsi() {
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int j = 0; j < count; ++j) {
    int32_t index = TextRow;
    if (IsMarkedRow(resultsWindow, j, &index) && IsStoredRecord(index) &&
        !FitsAnsi(fileTable.entries[index].path))
      return false;
  }
  return true;
}

// One row of the log, in the log's encoding.
void WriteLogRow(FILE* log, const char* row) {
  static char ansi[2 * RowTextSize];
  if (logInUtf8 || !ToAnsi(row, ansi, sizeof ansi)) {
    fprintf(log, "%s\n", row);
    return;
  }
  fprintf(log, "%s\n", ansi);
}

}  // namespace

FILE* (*createNewTextFile)(const char* path) = CreateNewTextFileOnDisk;

bool ExecutableFolder(char (&folder)[MaxPathBytes]) {
  wchar_t wide[MaxPath];
  DWORD length = GetModuleFileNameW(nullptr, wide, MaxPath);
  if (length == 0 || length >= MaxPath || !FromWide(wide, folder, sizeof folder)) {
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

void StartActionLog(FILE* log, const char* title, const RunStamp& stamp) {
  logInUtf8 = !MarkedPathsFitAnsi();
  if (!logInUtf8) {
    WriteLogHeader(log, title, stamp);
    return;
  }
  char utf8Title[256];
  AnsiToUtf8(title, utf8Title, sizeof utf8Title);
  fputs("\xEF\xBB\xBF", log);
  WriteLogHeader(log, utf8Title, stamp);
}

FILE* CreateFreshLog(const char* stem, const char* ext, char (&path)[MaxPathBytes]) {
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

int ProcessMarkedRows(MarkedFileAction act, void* context, FILE* log) {
  int failed = 0;
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int j = 0; j < count; ++j) {
    int32_t index = TextRow;
    if (!IsMarkedRow(resultsWindow, j, &index)) continue;
    if (!IsStoredRecord(index)) continue;
    const FileEntry& entry = fileTable.entries[index];
    if (!StillAsListed(entry) || !act(entry, context)) {
      ++failed;
      continue;
    }
    SendMessageA(resultsWindow, LVM_DELETEITEM, j, 0);
    --j;  // the next row has moved up into place j
    --count;
    if (log != nullptr) {
      char row[RowTextSize];
      FormatFileRow(entry, row);
      WriteLogRow(log, row);
    }
  }
  return failed;
}

void ReportFilesThatStayed(int stayed, const char* format) {
  if (stayed <= 0) return;
  char text[64];
  snprintf(text, sizeof text, format, stayed);
  ShowMessage(text, "Fehler!", MB_OK);
}
