#include "actions/marked_files.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "engine/listing.h"
#include "engine/text.h"
#include "platform/wide_text.h"

namespace {

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

bool MarkedPathsFitAnsi(const std::vector<ListedRow>& rows) {
  for (const ListedRow& row : rows) {
    const FileEntry* entry = row.marked ? ListedEntry(row.fileIndex) : nullptr;
    if (entry != nullptr && !FitsAnsi(entry->path)) return false;
  }
  return true;
}

// One row of the log, in the log's encoding.
void WriteLogRow(const ActionLog& log, const char* row) {
  static char ansi[2 * RowTextSize];
  if (log.utf8 || !ToAnsi(row, ansi, sizeof ansi)) {
    fprintf(log.file, "%s\n", row);
    return;
  }
  fprintf(log.file, "%s\n", ansi);
}

bool IsStillAsListed(int32_t index, void*) {
  const FileEntry* entry = ListedEntry(index);
  return entry != nullptr && StillAsListed(*entry);
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

bool OpenActionLog(ActionLog* log, const char* stem, const char* title, const RunStamp& stamp,
                   const std::vector<ListedRow>& rows) {
  log->file = CreateFreshLog(stem, ".log", log->path);
  if (log->file == nullptr) return false;
  log->utf8 = !MarkedPathsFitAnsi(rows);
  if (!log->utf8) {
    WriteLogHeader(log->file, title, stamp);
    return true;
  }
  char utf8Title[256];
  AnsiToUtf8(title, utf8Title, sizeof utf8Title);
  fputs("\xEF\xBB\xBF", log->file);
  WriteLogHeader(log->file, utf8Title, stamp);
  return true;
}

bool OpenLogBesideProgram(ActionLog* log, const char* suffix, const char* title, const std::vector<ListedRow>& rows) {
  RunStamp stamp;
  TakeRunStamp(&stamp);
  static char folder[MaxPathBytes];
  if (!ExecutableFolder(folder)) return false;
  static char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s%s%s", folder, stamp.text, suffix);
  return OpenActionLog(log, stem, title, stamp, rows);
}

void CloseActionLog(ActionLog* log) {
  if (log->file != nullptr) fclose(log->file);
  log->file = nullptr;
}

ActionReport ProcessMarkedRows(const MarkedPlan& plan, MarkedFileAction act, void* context, ActionLog* log,
                               RowStillListed listed) {
  ActionReport report;
  report.protectedFiles = plan.protectedFiles;
  for (int row = 0; row < static_cast<int>(plan.rows.size()); ++row) {
    RowVerdict verdict = DecideMarkedRow(plan, row, IsStillAsListed, nullptr);
    if (verdict == RowVerdict::Skip || verdict == RowVerdict::Keep) continue;
    if (!listed(row, plan.rows[row].fileIndex)) break;
    const FileEntry& entry = fileTable.entries[plan.rows[row].fileIndex];
    if (verdict == RowVerdict::Stays || !act(entry, context)) {
      ++report.stayed;
      continue;
    }
    report.doneRows.push_back(row);
    if (log->file != nullptr) {
      char text[RowTextSize];
      FormatFileRow(entry, text);
      WriteLogRow(*log, text);
    }
  }
  report.logCreated = log->file != nullptr;
  if (report.logCreated) snprintf(report.logPath, sizeof report.logPath, "%s", log->path);
  CloseActionLog(log);
  return report;
}
