#include "test_support.h"

#include <commctrl.h>

#include <cstring>

#include "actions_support.h"
#include "app/property_sheet.h"
#include "engine/file_table.h"
#include "engine/text.h"
#include "platform/platform.h"
#include "ui/main_page.h"

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

std::vector<std::string> ItemsOf(HWND box, UINT countMessage, UINT lengthMessage, UINT textMessage) {
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

void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

void Type(HWND page, int id, const std::string& text) {
  SetDlgItemTextA(page, id, text.c_str());
}

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
