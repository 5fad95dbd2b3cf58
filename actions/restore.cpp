#include "actions/restore.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "actions/marked_files.h"
#include "actions/restore_plan.h"
#include "engine/text.h"
#include "platform/wide_text.h"
#include "platform/wildcard.h"

namespace {

std::string InRunFolder(const RestoreRun& run, const std::string& name) { return run.folder + "\\" + name; }

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  WideText wide;
  return ToWidePath(path.c_str(), &wide) && GetFileAttributesExW(wide.text, GetFileExInfoStandard, data);
}

RunFileState StateOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Attributes(path, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return RunFileState{false, 0, {}};
  return RunFileState{true, uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow,
                      FileTime{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
}

bool Exists(const char* path, void*) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return Attributes(path, &data);
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  WideText wide;
  FILE* file = ToWidePath(path.c_str(), &wide) ? _wfopen(wide.text, L"rb") : nullptr;
  if (file == nullptr) return false;
  char block[65536];
  size_t count;
  while ((count = fread(block, 1, sizeof block, file)) > 0) text->append(block, count);
  bool whole = !ferror(file);
  fclose(file);
  return whole;
}

bool CreateFolders(const std::string& path) {
  for (const std::string& folder : MissingFolders(path, FolderExists{Exists, nullptr})) {
    WideText wide;
    if (!ToWidePath(folder.c_str(), &wide) ||
        (!CreateDirectoryW(wide.text, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
      return false;
  }
  return true;
}

// Never over a file: a path taken between the look and the move fails here.
bool MoveBack(const std::string& from, const std::string& to) {
  WideText wideFrom, wideTo;
  return ToWidePath(from.c_str(), &wideFrom) && ToWidePath(to.c_str(), &wideTo) &&
         MoveFileExW(wideFrom.text, wideTo.text, MOVEFILE_COPY_ALLOWED);
}

bool IsRunName(const RestoreRun& run, const char* name) {
  for (const OriginLine& line : run.lines)
    if (SameTextIgnoringAsciiCase(line.name.c_str(), name)) return true;
  return false;
}

// What the run itself put there: its list, its log, the restore logs.
bool IsRunBookkeeping(const RestoreRun& run, const char* name) {
  return !IsRunName(run, name) && (SameTextIgnoringAsciiCase(name, OriginListName) ||
                                   SameTextIgnoringAsciiCase(name, "backup.log") ||
                                   MatchesWildcard("wiederhergestellt*.log", name));
}

// The folder goes when it holds nothing but its bookkeeping; anything else
// in it, a file of the run or not, keeps it and all of that.
bool RemoveEmptiedFolder(const RestoreRun& run) {
  std::vector<std::string> bookkeeping;
  WideText pattern;
  WIN32_FIND_DATAW found;
  HANDLE listing = ToWidePath((run.folder + "\\*").c_str(), &pattern) ? FindFirstFileW(pattern.text, &found)
                                                                      : INVALID_HANDLE_VALUE;
  if (listing == INVALID_HANDLE_VALUE) return false;
  bool onlyBookkeeping = true;
  do {
    char name[MaxNameBytes];
    if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
    if (!FromWide(found.cFileName, name, sizeof name) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !IsRunBookkeeping(run, name))
      onlyBookkeeping = false;
    else
      bookkeeping.push_back(InRunFolder(run, name));
  } while (onlyBookkeeping && FindNextFileW(listing, &found));
  FindClose(listing);
  if (!onlyBookkeeping) return false;
  for (const std::string& file : bookkeeping) {
    WideText wide;
    if (!ToWidePath(file.c_str(), &wide) || !DeleteFileW(wide.text)) return false;
  }
  WideText wide;
  return ToWidePath(run.folder.c_str(), &wide) && RemoveDirectoryW(wide.text);
}

void WriteLine(FILE* log, const char* text) {
  if (log != nullptr) fprintf(log, "%s\n", text);
}

}  // namespace

RestoreStart StartRestore(const char* folder, RestoreRun* run) {
  run->folder = folder;
  while (run->folder.size() > 1 && (run->folder.back() == '\\' || run->folder.back() == '/')) run->folder.pop_back();
  std::string text;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Attributes(InRunFolder(*run, OriginListName), &data)) return RestoreStart::NoList;
  if (!ReadWholeFile(InRunFolder(*run, OriginListName), &text) ||
      !ParseOriginList(text, &run->lines, &run->unreadableLines))
    return RestoreStart::NotAList;
  run->waiting = 0;
  run->waitingBytes = 0;
  for (const OriginLine& line : run->lines) {
    RunFileState state = StateOf(InRunFolder(*run, line.name));
    if (!state.present) continue;
    run->waiting++;
    run->waitingBytes += state.size;
  }
  return run->waiting > 0 ? RestoreStart::Ready : RestoreStart::NothingThere;
}

RestoreReport RestoreFiles(const RestoreRun& run) {
  RestoreReport report;
  RunStamp stamp;
  TakeRunStamp(&stamp);
  FILE* log = CreateFreshLog((run.folder + "\\wiederhergestellt").c_str(), ".log", report.logPath);
  report.logCreated = log != nullptr;
  if (log != nullptr) {
    fputs("\xEF\xBB\xBF", log);  // UTF-8, as the paths are
    WriteLogHeader(log, "zur\xC3\xBC" "ckgelegte Dateien", stamp);
  }
  for (const OriginLine& line : run.lines) {
    std::string from = InRunFolder(run, line.name);
    RestoreVerdict verdict = DecideRestore(line, StateOf(from), Exists(line.path.c_str(), nullptr));
    if (verdict == RestoreVerdict::Gone) continue;
    std::string row;
    bool foldersThere = verdict == RestoreVerdict::Restore && CreateFolders(line.path);
    if (foldersThere && MoveBack(from, line.path)) {
      report.restored++;
      row = "zur\xC3\xBC" "ck: " + line.path;
    } else {
      report.stayed++;
      const char* reason = verdict != RestoreVerdict::Restore ? RestoreReason(verdict)
                           : foldersThere ? "Windows verweigert das Verschieben"
                                          : "der Ordner l\xE4sst sich nicht anlegen";
      char utf8Reason[96];
      AnsiToUtf8(reason, utf8Reason, sizeof utf8Reason);
      row = "geblieben: " + line.name + " -> " + line.path + " (" + utf8Reason + ")";
    }
    WriteLine(log, row.c_str());
  }
  if (log != nullptr) fclose(log);
  if (report.stayed == 0) report.folderRemoved = RemoveEmptiedFolder(run);
  return report;
}
