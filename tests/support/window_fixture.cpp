#include "window_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>

#include "actions/marked_files.h"
#include "app/property_sheet.h"
#include "engine/text.h"
#include "platform/platform.h"
#include "ui/main_page.h"
#include "ui/message_box.h"

std::vector<RecordedMessage> recordedMessages;
int dialogsAnswered;
int64_t testClockSeconds = 1000;

namespace {

std::deque<int> queuedAnswers;
FILE* (*const realCreateNewTextFile)(const char*) = createNewTextFile;
int dialogAnswer;
UINT_PTR answerTimer;
int ticksShown;  // a dialog is answered once it has been up for a few ticks

int RecordMessage(const char* text, const char* caption, unsigned buttons) {
  recordedMessages.push_back({text, caption, buttons});
  if ((buttons & 0xF) != MB_YESNO || queuedAnswers.empty()) return (buttons & 0xF) == MB_YESNO ? IDYES : IDOK;
  int answer = queuedAnswers.front();
  queuedAnswers.pop_front();
  return answer;
}

void StartRecordingMessages() {
  recordedMessages.clear();
  queuedAnswers.clear();
  RedirectMessageBoxes(RecordMessage);
}

std::vector<std::string> ItemsOf(HWND box, UINT count, UINT length, UINT get) {
  std::vector<std::string> items;
  for (int i = 0; i < static_cast<int>(SendMessageA(box, count, 0, 0)); i++) {
    char text[MaxPath] = "";
    if (SendMessageA(box, length, i, 0) < MaxPath) SendMessageA(box, get, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

BOOL CALLBACK AnswerOwnedDialog(HWND window, LPARAM) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (IsWindowVisible(window) && strcmp(className, "#32770") == 0 &&
      GetWindow(window, GW_OWNER) != nullptr && ++ticksShown == 3) {
    ticksShown = 0;
    dialogsAnswered++;
    PostMessageA(window, WM_COMMAND, dialogAnswer, 0);
  }
  return TRUE;
}

void CALLBACK LookForDialogs(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerOwnedDialog, 0);
}

int32_t AddTableEntry(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
  FileEntry& entry = fileTable.entries[fileTable.count];
  entry = FileEntry{};
  CopyText(entry.path, MaxPath, path.c_str());
  entry.handle = InvalidFileHandle;
  entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.creationTime = {data.ftCreationTime.dwLowDateTime, data.ftCreationTime.dwHighDateTime};
  entry.lastWriteTime = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
  return static_cast<int32_t>(fileTable.count++);
}

std::vector<ListRow> FileRows(const std::vector<std::string>& paths, std::vector<int32_t>* indices) {
  std::vector<ListRow> rows;
  for (const std::string& path : paths) {
    indices->push_back(AddTableEntry(path));
    rows.push_back({indices->back(), FileRowOf(indices->back())});
  }
  return rows;
}

}  // namespace

void ResetSettingsToDefaults() {
  settings = Settings{};
  CopyText(settings.currentPath, MaxPath, "c:\\");
  CopyText(settings.currentFilter, MaxPath, "*.*");
}

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string ControlText(HWND page, int id) {
  char text[1024] = "";
  GetDlgItemTextA(page, id, text, sizeof text);
  return text;
}

std::vector<std::string> ComboItems(HWND box) { return ItemsOf(box, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
std::vector<std::string> ListBoxItems(HWND list) { return ItemsOf(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }
void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }
void Type(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }

void SetHistory(History& history, const std::vector<std::string>& entries) {
  for (int n = 0; n < HistorySize; n++) CopyText(history[n], MaxPath, n < static_cast<int>(entries.size()) ? entries[n].c_str() : "");
}

std::vector<std::string> HistoryOf(const History& history) { return {std::begin(history), std::end(history)}; }

void AnswerDialogsWith(int command) {
  dialogAnswer = command;
  dialogsAnswered = ticksShown = 0;
  if (!answerTimer) answerTimer = SetTimer(nullptr, 0, 100, LookForDialogs);
}

void QueueAnswer(int answer) { queuedAnswers.push_back(answer); }

void ShowRows(const std::vector<ListRow>& rows) {
  // Rows go in at the top, so the bottom row is added first.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) AddResultRow(resultsWindow, row->itemData, row->text.c_str());
}

void SelectRow(int row) {
  LVITEMA item = {};
  item.stateMask = item.state = LVIS_SELECTED;
  SendMessageA(resultsWindow, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

std::vector<ListRow> ListedRows() {
  std::vector<ListRow> rows;
  for (int row = 0; row < static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0)); ++row) {
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

std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size) {
  std::vector<int32_t> indices;
  std::vector<ListRow> rows = {{TextRow, "end:0 sec"}, {TextRow, ""}, {TextRow, "-- L\xE4nge:" + std::to_string(size) + " Byte --"}};
  for (const ListRow& row : FileRows(paths, &indices)) rows.push_back(row);
  rows.push_back({TextRow, "---"});
  ShowRows(rows);
  return indices;
}

std::vector<int32_t> ShowMarkedFiles(const std::vector<std::string>& paths) {
  std::vector<int32_t> indices;
  ShowRows(FileRows(paths, &indices));
  for (size_t row = 0; row < paths.size(); row++) SelectRow(static_cast<int>(row));
  return indices;
}

std::vector<std::string> TablePaths() {
  std::vector<std::string> paths;
  for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(fileTable.entries[i].path);
  return paths;
}

std::string FileRowOf(int32_t index) {
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[index], row);
  return row;
}

std::string LoggedRows(const std::vector<int32_t>& indices) {
  std::string rows;
  for (int32_t index : indices) rows += FileRowOf(index) + "\r\n";
  return rows;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, strrchr(path, '\\') + 1);
}

void RemoveActionOutputs() {
  RemoveTree(ProgramFolder() + "BackUp");
  DeleteFileA((ProgramFolder() + "BackUp").c_str());
  for (const std::string& log : DeletionLogs()) DeleteFileA((ProgramFolder() + log).c_str());
}

std::vector<std::string> BackupRunFolders() { return NamesMatching(ProgramFolder() + "BackUp\\*", true); }
std::vector<std::string> DeletionLogs() { return NamesMatching(ProgramFolder() + "*-del*.log", false); }

std::vector<std::string> NewNames(const std::vector<std::string>& after, const std::vector<std::string>& before) {
  std::vector<std::string> added;
  for (const std::string& name : after)
    if (std::find(before.begin(), before.end(), name) == before.end()) added.push_back(name);
  return added;
}

std::string StampFromNow(int secondsAhead) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  FILETIME asFileTime;
  SystemTimeToFileTime(&t, &asFileTime);
  ULARGE_INTEGER ticks = {{asFileTime.dwLowDateTime, asFileTime.dwHighDateTime}};
  ticks.QuadPart += secondsAhead * 10000000ull;
  asFileTime = {ticks.LowPart, ticks.HighPart};
  FileTimeToSystemTime(&asFileTime, &t);
  char stamp[32];
  snprintf(stamp, sizeof stamp, "%02d%02d%04d-%02d%02d%02d", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute, t.wSecond);
  return stamp;
}

std::string SecondHeaderFor(const std::string& s) {
  return "Parvik 2.3, " + s.substr(0, 2) + "." + s.substr(2, 2) + "." + s.substr(4, 4) + "  " + s.substr(9, 2) + ":" +
         s.substr(11, 2) + ":" + s.substr(13, 2);
}

void MakeLogCreationFail() {
  createNewTextFile = [](const char*) -> FILE* {
    errno = EACCES;
    return nullptr;
  };
}

void ActionsTest::SetUp() {
  RemoveActionOutputs();
  fileTable.count = 0;
  resultsWindow = CreateWindowExA(0, "SysListView32", "Parvik", WS_POPUP | LVS_REPORT, 0, 0, 640, 480, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  char title[] = "Datei";
  LVCOLUMNA column = {LVCF_WIDTH | LVCF_TEXT, 0, 1200, title, 0, 0, 0, 0};
  SendMessageA(resultsWindow, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  StartRecordingMessages();
}

void ActionsTest::TearDown() {
  createNewTextFile = realCreateNewTextFile;
  RedirectMessageBoxes(nullptr);
  DestroyWindow(resultsWindow);
  resultsWindow = nullptr;
  fileTable.count = 0;
  RemoveActionOutputs();
}

void PageTest::SetUp() {
  ResetSettingsToDefaults();
  searchState = SearchState{};
  ClearFileTable();
  fileTable.count = 0;
  testClockSeconds = 1000;
  platform.clockSeconds = [] { return testClockSeconds; };
  savedHooks = engineHooks;
  StartRecordingMessages();
  ReopenSheet();
}

void PageTest::TearDown() {
  if (answerTimer) KillTimer(nullptr, answerTimer);
  answerTimer = 0;
  if (sheet && IsWindow(sheet)) DestroyWindow(sheet);
  DispatchPending();
  RedirectMessageBoxes(nullptr);
  engineHooks = savedHooks;
  platform = systemPlatform;
  searchState = SearchState{};
}

void PageTest::ReopenSheet() {
  if (sheet && IsWindow(sheet)) DestroyWindow(sheet);
  DispatchPending();
  PROPSHEETPAGEA pageRecord;
  PROPSHEETHEADERA header;
  DescribePropertySheet(&pageRecord, &header);
  header.dwFlags |= PSH_MODELESS;
  sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  ASSERT_NE(sheet, nullptr);
  page = PropSheet_GetCurrentPageHwnd(sheet);
  ASSERT_EQ(page, pageWindow);
  DispatchPending();
}

void PageTest::WriteFiles(const std::string& folder, int count, const std::string& bytes) {
  for (int i = 0; i < count; i++) temp.Write(folder + "\\f" + std::to_string(i), bytes);
}
