#include "actions/marked_files.h"

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

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
    if (IsMarkedRow(resultsWindow, j, &index) && ListedEntry(index) && !FitsAnsi(ListedEntry(index)->path))
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

FILE* CreateLogBesideProgram(const RunStamp& stamp, const char* suffix) {
  static char folder[MaxPathBytes];
  if (!ExecutableFolder(folder)) return nullptr;
  static char stem[MaxPathBytes];
  snprintf(stem, sizeof stem, "%s%s%s", folder, stamp.text, suffix);
  static char logName[MaxPathBytes];
  return CreateFreshLog(stem, ".log", logName);
}

bool TakeMarkedRows(MarkedPlan* plan, const char* verb) {
  std::vector<ListedRow> rows;
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    int32_t index = TextRow;
    bool marked = IsMarkedRow(resultsWindow, row, &index);
    rows.push_back(ListedRow{marked ? index : ItemDataOf(resultsWindow, row), marked});
  }
  *plan = PlanMarkedRows(rows);
  if (plan->groupsLosingEveryCopy == 0) return true;
  char question[512];
  snprintf(question, sizeof question,
           "%d Gruppe(n) würden jede Kopie verlieren: alle ihre Dateien sind markiert.\n\n"
           "Ja: auch diese Dateien %s\nNein: diese Gruppen behalten, die übrigen markierten Dateien %s\n"
           "Abbrechen: nichts tun",
           plan->groupsLosingEveryCopy, verb, verb);
  int answer = ShowMessage(question, "Achtung!", MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING);
  plan->everyCopyAgreed = answer == IDYES;
  return answer == IDYES || answer == IDNO;
}

int ProcessMarkedRows(const MarkedPlan& plan, MarkedFileAction act, void* context, FILE* log) {
  int stayed = 0;
  int removed = 0;  // rows above the current one that are gone
  for (int row = 0; row < static_cast<int>(plan.rows.size()); ++row) {
    RowVerdict verdict = DecideMarkedRow(plan, row, IsStillAsListed, nullptr);
    if (verdict == RowVerdict::Skip || verdict == RowVerdict::Keep) continue;
    // A list that changed under a question is not the one the plan was made for.
    if (ItemDataOf(resultsWindow, row - removed) != plan.rows[row].fileIndex) break;
    if (verdict == RowVerdict::Stays || !act(fileTable.entries[plan.rows[row].fileIndex], context)) {
      ++stayed;
      continue;
    }
    const FileEntry& entry = fileTable.entries[plan.rows[row].fileIndex];
    SendMessageA(resultsWindow, LVM_DELETEITEM, row - removed, 0);
    ++removed;
    if (log != nullptr) {
      char text[RowTextSize];
      FormatFileRow(entry, text);
      WriteLogRow(log, text);
    }
  }
  return stayed;
}

void RunConfirmedAction(const ConfirmedAction& action) {
  RunStamp stamp;
  TakeRunStamp(&stamp);
  FILE* log = CreateLogBesideProgram(stamp, action.logSuffix);
  if (log != nullptr)
    StartActionLog(log, action.logTitle, stamp);
  else
    ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);

  MarkedPlan plan;
  if (ShowMessage(action.question, "Achtung!", MB_YESNO) == IDNO || !TakeMarkedRows(&plan, action.verb)) {
    if (log != nullptr) fclose(log);
    return;
  }
  int stayed = ProcessMarkedRows(plan, action.act, nullptr, log);
  if (log != nullptr) fclose(log);
  ReportFilesThatStayed(stayed, action.stayedFormat, plan.protectedFiles);
}

void ReportFilesThatStayed(int stayed, const char* format, int protectedFiles) {
  char text[128];
  if (stayed > 0) {
    snprintf(text, sizeof text, format, stayed);
    ShowMessage(text, "Fehler!", MB_OK);
  }
  if (protectedFiles > 0) {
    snprintf(text, sizeof text, "%d markierte Datei(en) in geschützten Ordnern bleiben unberührt", protectedFiles);
    ShowMessage(text, "Achtung!", MB_OK);
  }
}
