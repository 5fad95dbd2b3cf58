#include "test_support.h"

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

}  // namespace

void QueueAnswer(int answer) { queuedAnswers.push_back(answer); }

void StartRecordingMessages() {
  recordedMessages.clear();
  queuedAnswers.clear();
  RedirectMessageBoxes(RecordMessage);
}

void StopRecordingMessages() { RedirectMessageBoxes(nullptr); }

void ExpectMessages(const std::vector<RecordedMessage>& expected) {
  ASSERT_EQ(recordedMessages.size(), expected.size());
  for (size_t n = 0; n < expected.size(); n++) {
    EXPECT_EQ(recordedMessages[n].text, expected[n].text) << "message " << n;
    EXPECT_EQ(recordedMessages[n].caption, expected[n].caption) << "message " << n;
    EXPECT_EQ(recordedMessages[n].buttons, expected[n].buttons) << "message " << n;
  }
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

namespace {

// A table entry and a file row for each of the files, top first.
std::vector<ListRow> AddFileRows(const std::vector<std::string>& paths,
                                 std::vector<int32_t>* indices) {
  std::vector<ListRow> rows;
  for (const std::string& path : paths) {
    indices->push_back(AddTableEntry(path));
    rows.push_back({indices->back(), FileRowOf(indices->back())});
  }
  return rows;
}

}  // namespace

std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size) {
  std::vector<int32_t> indices;
  std::vector<ListRow> rows = {{TextRow, "end:0 sec"},
                               {TextRow, ""},
                               {TextRow, "-- Länge:" + std::to_string(size) + " Byte --"}};
  for (const ListRow& row : AddFileRows(paths, &indices)) rows.push_back(row);
  rows.push_back({TextRow, "---"});
  ShowRows(rows);
  return indices;
}

std::vector<int32_t> ShowMarkedFiles(const std::vector<std::string>& paths) {
  std::vector<int32_t> indices;
  ShowRows(AddFileRows(paths, &indices));
  for (size_t row = 0; row < paths.size(); row++) SelectRow(static_cast<int>(row));
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

void ExpectRows(const std::vector<ListRow>& expected) {
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t r = 0; r < rows.size(); r++) {
    EXPECT_EQ(rows[r].itemData, expected[r].itemData) << "row " << r;
    EXPECT_EQ(rows[r].text, expected[r].text) << "row " << r;
  }
}

std::vector<std::string> TablePaths() {
  std::vector<std::string> paths;
  for (uint32_t i = 0; i < fileTable.count; i++) paths.push_back(fileTable.entries[i].path);
  return paths;
}

int32_t AddTableEntry(const std::string& path) {
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

std::string LoggedRows(const std::vector<int32_t>& indices) {
  std::string rows;
  for (int32_t index : indices) rows += FileRowOf(index) + "\r\n";
  return rows;
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

std::vector<std::string> NewNames(const std::vector<std::string>& after,
                                  const std::vector<std::string>& before) {
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
  snprintf(stamp, sizeof stamp, "%02d%02d%04d-%02d%02d%02d", t.wDay, t.wMonth, t.wYear, t.wHour,
           t.wMinute, t.wSecond);
  return stamp;
}

std::string SecondHeaderFor(const std::string& stamp) {
  if (stamp.size() < 15) return "";
  return "Parvik 2.3, " + stamp.substr(0, 2) + "." + stamp.substr(2, 2) + "." + stamp.substr(4, 4) +
         "  " + stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
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

int64_t testClockSeconds = 1000;

int64_t TestClock() { return testClockSeconds; }

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

namespace {

std::vector<std::string> ItemsOf(HWND box, UINT countMessage, UINT lengthMessage,
                                 UINT textMessage) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendMessageA(box, countMessage, 0, 0));
  for (int i = 0; i < count; i++) {
    char text[MaxPath] = "";
    if (SendMessageA(box, lengthMessage, i, 0) < MaxPath)
      SendMessageA(box, textMessage, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

}  // namespace

std::vector<std::string> ComboItems(HWND box) {
  return ItemsOf(box, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::string> ListBoxItems(HWND list) {
  return ItemsOf(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

void SetHistory(History& history, const std::vector<std::string>& entries) {
  for (int n = 0; n < HistorySize; n++) history[n][0] = '\0';
  for (size_t n = 0; n < entries.size(); n++) CopyText(history[n], MaxPath, entries[n].c_str());
}

std::vector<std::string> HistoryOf(const History& history) {
  return std::vector<std::string>(std::begin(history), std::end(history));
}

void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

void Type(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }

int dialogsAnswered;

namespace {

int dialogAnswer;
UINT_PTR answerTimer;
int ticksShown;  // a dialog is answered once it has been up for a few ticks

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

}  // namespace

void AnswerDialogsWith(int command) {
  dialogAnswer = command;
  dialogsAnswered = 0;
  ticksShown = 0;
  if (!answerTimer) answerTimer = SetTimer(nullptr, 0, 100, LookForDialogs);
}

void StopAnsweringDialogs() {
  if (answerTimer) KillTimer(nullptr, answerTimer);
  answerTimer = 0;
}

void PageTest::SetUp() {
  ResetSettingsToDefaults();
  searchState = SearchState{};
  fileTable.count = 0;
  ClearFileTable();
  testClockSeconds = 1000;
  platform.clockSeconds = TestClock;
  savedHooks = engineHooks;
  StartRecordingMessages();
  OpenSheet();
}

void PageTest::TearDown() {
  StopAnsweringDialogs();
  CloseSheet();
  StopRecordingMessages();
  engineHooks = savedHooks;
  platform = systemPlatform;
  searchState = SearchState{};
}

void PageTest::ReopenSheet() {
  CloseSheet();
  OpenSheet();
}

void PageTest::WriteFiles(const std::string& folder, int count, const std::string& bytes) {
  for (int i = 0; i < count; i++) temp.Write(folder + "\\f" + std::to_string(i), bytes);
}

void PageTest::OpenSheet() {
  PROPSHEETPAGEA pageRecord;
  PROPSHEETHEADERA header;
  DescribePropertySheet(&pageRecord, &header);
  header.dwFlags |= PSH_MODELESS;
  sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  ASSERT_NE(sheet, nullptr);
  page = PropSheet_GetCurrentPageHwnd(sheet);
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page, pageWindow);
  DispatchPending();
}

void PageTest::CloseSheet() {
  if (sheet && IsWindow(sheet)) DestroyWindow(sheet);
  sheet = nullptr;
  page = nullptr;
  DispatchPending();
}
