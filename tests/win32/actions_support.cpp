#include "actions_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>

#include "actions/marked_files.h"
#include "temp_dir.h"
#include "ui/message_box.h"

std::vector<RecordedMessage> recordedMessages;

namespace {

std::deque<int> queuedAnswers;
HWND savedResultsWindow;
FILE* (*const realCreateNewTextFile)(const char*) = createNewTextFile;

FILE* RefuseToCreate(const char*) {
  errno = EACCES;
  return nullptr;
}

int RecordMessage(const char* text, const char* caption, unsigned buttons) {
  recordedMessages.push_back({text, caption, buttons});
  if ((buttons & 0xF) != MB_YESNO) return IDOK;
  if (queuedAnswers.empty()) return IDYES;
  int answer = queuedAnswers.front();
  queuedAnswers.pop_front();
  return answer;
}

std::vector<std::string> NamesMatching(const std::string& pattern, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE listing = FindFirstFileA(pattern.c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name != "." && name != ".." && isFolder == folders) names.push_back(name);
  } while (FindNextFileA(listing, &found));
  FindClose(listing);
  return names;
}

SYSTEMTIME LocalTimeFromNow(int secondsAhead) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME asFileTime;
  SystemTimeToFileTime(&now, &asFileTime);
  ULARGE_INTEGER ticks;
  ticks.LowPart = asFileTime.dwLowDateTime;
  ticks.HighPart = asFileTime.dwHighDateTime;
  ticks.QuadPart += static_cast<ULONGLONG>(secondsAhead) * 10000000u;
  asFileTime.dwLowDateTime = ticks.LowPart;
  asFileTime.dwHighDateTime = ticks.HighPart;
  SYSTEMTIME later;
  FileTimeToSystemTime(&asFileTime, &later);
  return later;
}

}  // namespace

void QueueAnswer(int answer) { queuedAnswers.push_back(answer); }

void StartRecordingMessages() {
  recordedMessages.clear();
  queuedAnswers.clear();
  RedirectMessageBoxes(RecordMessage);
}

void StopRecordingMessages() { RedirectMessageBoxes(nullptr); }

void ExpectMessage(const RecordedMessage& message, const char* text, const char* caption,
                   unsigned buttons) {
  EXPECT_EQ(message.text, text);
  EXPECT_EQ(message.caption, caption);
  EXPECT_EQ(message.buttons, buttons);
}

void CreateTestResultsList() {
  InitCommonControls();
  savedResultsWindow = resultsWindow;
  resultsWindow = CreateWindowExA(0, "SysListView32", "Parvik", WS_POPUP | LVS_REPORT, 0, 0, 640,
                                  480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(resultsWindow, nullptr);
  char title[] = "Datei";
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = 1200;
  column.pszText = title;
  SendMessageA(resultsWindow, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

void DestroyTestResultsList() {
  if (resultsWindow != nullptr) DestroyWindow(resultsWindow);
  resultsWindow = savedResultsWindow;
}

void ShowRows(const std::vector<ListRow>& rows) {
  // Rows go in at the top, so the bottom row is added first.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    AddResultRow(resultsWindow, row->itemData, row->text.c_str());
}

void SelectRow(int row) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendMessageA(resultsWindow, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size) {
  std::vector<int32_t> indices;
  std::vector<ListRow> rows = {{TextRow, "end:0 sec"}, {TextRow, ""}};
  rows.push_back({TextRow, "-- Länge:" + std::to_string(size) + " Byte --"});
  for (const std::string& path : paths) {
    indices.push_back(AddTableEntry(path));
    rows.push_back({indices.back(), FileRowOf(indices.back())});
  }
  rows.push_back({TextRow, "---"});
  ShowRows(rows);
  return indices;
}

std::vector<ListRow> ListedRows() {
  std::vector<ListRow> rows;
  int count = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char text[RowTextSize] = "";
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(resultsWindow, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    rows.push_back({static_cast<int32_t>(item.lParam), text});
  }
  return rows;
}

int32_t AddTableEntry(const std::string& path) {
  if (fileTable.entries == nullptr) {
    EXPECT_TRUE(CreateFileTable());
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
  FileEntry& entry = fileTable.entries[fileTable.count];
  entry = FileEntry{};
  snprintf(entry.path, sizeof entry.path, "%s", path.c_str());
  entry.handle = InvalidFileHandle;
  entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.creationTime = {data.ftCreationTime.dwLowDateTime, data.ftCreationTime.dwHighDateTime};
  entry.lastWriteTime = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
  return static_cast<int32_t>(fileTable.count++);
}

std::string FileRowOf(int32_t index) {
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[index], row);
  return row;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\') + 1);
}

void RemoveActionOutputs() {
  std::string backup = ProgramFolder() + "BackUp";
  RemoveTree(backup);
  DeleteFileA(backup.c_str());
  for (const std::string& log : DeletionLogs()) DeleteFileA((ProgramFolder() + log).c_str());
}

std::vector<std::string> BackupRunFolders() {
  return NamesMatching(ProgramFolder() + "BackUp\\*", true);
}

std::vector<std::string> DeletionLogs() {
  return NamesMatching(ProgramFolder() + "*-del*.log", false);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  return NamesMatching(folder + "\\*", false);
}

std::vector<std::string> NewNames(const std::vector<std::string>& after,
                                  const std::vector<std::string>& before) {
  std::vector<std::string> added;
  for (const std::string& name : after)
    if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
  return added;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::string StampFromNow(int secondsAhead) {
  SYSTEMTIME t = LocalTimeFromNow(secondsAhead);
  char stamp[32];
  snprintf(stamp, sizeof stamp, "%02d%02d%04d-%02d%02d%02d", t.wDay, t.wMonth, t.wYear, t.wHour,
           t.wMinute, t.wSecond);
  return stamp;
}

std::string SecondHeaderFor(const std::string& stamp) {
  if (stamp.size() < 15) return "";
  return "Parvik 2.3, " + stamp.substr(0, 2) + "." + stamp.substr(2, 2) + "." +
         stamp.substr(4, 4) + "  " + stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" +
         stamp.substr(13, 2);
}

HeldOpenFile::HeldOpenFile(const std::string& path)
    : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path;
}

HeldOpenFile::~HeldOpenFile() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void ActionsTest::SetUp() {
  RemoveActionOutputs();
  if (fileTable.entries == nullptr) {
    ASSERT_TRUE(CreateFileTable());
  }
  fileTable.count = 0;
  CreateTestResultsList();
  StartRecordingMessages();
}

void MakeLogCreationFail() { createNewTextFile = RefuseToCreate; }

void ActionsTest::TearDown() {
  createNewTextFile = realCreateNewTextFile;
  StopRecordingMessages();
  DestroyTestResultsList();
  fileTable.count = 0;
  RemoveActionOutputs();
}
