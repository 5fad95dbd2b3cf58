#include "window_fixture.h"

#include <commctrl.h>

#include "actions/protection.h"
#include "app/module.h"
#include "app/property_sheet.h"
#include "engine/hooks.h"
#include "engine/path_store.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/message_box.h"
#include "ui/pump.h"
#include "ui/results_marking.h"
#include "ui/window_hooks.h"

Texts shownMessages;
const char askDelete[] = "Achtung!|Markierte Dateien l\xF6schen?\nWirklich sicher?|4";
int yesNoAnswer, yesNoCancelAnswer;
void (*atFirstPump)(HWND page);
int pumpCalls;

static EngineHooks savedHooks;

static int RecordMessage(const char* text, const char* caption, unsigned buttons) {
  shownMessages.push_back(std::string(caption) + "|" + text + "|" + std::to_string(buttons));
  return (buttons & 0xF) == MB_YESNOCANCEL ? yesNoCancelAnswer : (buttons & 0xF) == MB_YESNO ? yesNoAnswer : IDOK;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, strrchr(path, '\\') + 1);
}

Texts BackupRuns() { return NamesMatching(ProgramFolder() + "BackUp\\*", true); }
std::string BackupLog(const std::string& run) { return ReadWholeFile(ProgramFolder() + "BackUp\\" + run + "\\backup.log"); }

static void RemoveActionOutputs() {
  RemoveTree(ProgramFolder() + "BackUp");
  DeleteFileA((ProgramFolder() + "BackUp").c_str());
  for (const char* logs : {"*-del*.log", "*-papierkorb*.log"}) {
    for (const std::string& log : NamesMatching(ProgramFolder() + logs, false)) DeleteFileA((ProgramFolder() + log).c_str());
  }
}

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

std::string ControlText(HWND window, int id) {
  char text[1024] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }
void Type(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }

void ShowRows(const std::vector<std::pair<int32_t, std::string>>& rows) {
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) AddResultRow(resultsWindow, row->first, row->second.c_str());
}

void SelectRow(int row) { ListView_SetItemState(resultsWindow, row, LVIS_SELECTED, LVIS_SELECTED); }

LPARAM RowPoint(int row) {
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(resultsWindow, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
  return MAKELPARAM(bounds.left + 5, bounds.top + 2);
}

Texts ListedRows() {
  Texts rows;
  for (int row = 0; row < static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0)); ++row) {
    char text[RowTextSize] = "";
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = row;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ListView_GetItem(resultsWindow, &item);
    rows.push_back(std::to_string(item.lParam) + " " + text);
  }
  return rows;
}

std::string ListedFileRow(int32_t index) {
  char row[RowTextSize];
  FormatFileRow(fileTable.entries[index], row);
  return std::to_string(index) + " " + row;
}

std::vector<int32_t> ShowOneGroup(const Texts& paths) {
  std::vector<int32_t> indices;
  std::vector<std::pair<int32_t, std::string>> rows = {{TextRow, "end:0 sec"}, {TextRow, "-- L\xE4nge:4 Byte --"}};
  for (const std::string& path : paths) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    EXPECT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) << path;
    FileEntry& entry = fileTable.entries[fileTable.count];
    entry.path = StorePath(path.c_str());
    entry.size = data.nFileSizeLow;
    entry.lastWriteTime = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime};
    char row[RowTextSize];
    FormatFileRow(entry, row);
    indices.push_back(static_cast<int32_t>(fileTable.count++));
    rows.push_back({indices.back(), row});
  }
  ShowRows(rows);
  return indices;
}

void PageTest::SetUp() {
  settings = Settings{};
  CopyText(settings.currentFilter, MaxPath, "*.*");
  fileTable.count = 0;
  platform.clockSeconds = [] { return int64_t{1000}; };
  savedHooks = engineHooks;
  atFirstPump = nullptr;
  engineHooks.pumpMessages = [] {
    if (pumpCalls++ == 0 && atFirstPump) atFirstPump(pageWindow);
    PumpMessages();
  };
  CopyText(logPath, MaxPath, temp.At("Parvik.LOG").c_str());
  shownMessages.clear();
  yesNoAnswer = IDYES, yesNoCancelAnswer = IDNO;
  RedirectMessageBoxes(RecordMessage);
  RemoveActionOutputs();
  ReopenSheet();
  PrepareResultsWindow(page);
}

void PageTest::TearDown() {
  RedirectResultsMenu(nullptr);
  protectedFolders.count = iniPath[0] = 0;
  DestroyWindow(sheet);
  DispatchPending();
  RedirectMessageBoxes(nullptr);
  engineHooks = savedHooks;
  platform = systemPlatform;
  searchState = SearchState{};
  RemoveActionOutputs();
}

void PageTest::ReopenSheet() {
  DestroyWindow(sheet);
  DispatchPending();
  PROPSHEETPAGEW pageRecord;
  PROPSHEETHEADERW header;
  DescribePropertySheet(&pageRecord, &header);
  header.dwFlags |= PSH_MODELESS;
  sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
  page = PropSheet_GetCurrentPageHwnd(sheet);
  ASSERT_TRUE(page != nullptr && page == pageWindow);
}

void PageTest::Search(int files, const std::string& path) {
  for (int i = 0; i < files; i++) temp.Write("data\\f" + std::to_string(i), "all the same");
  pumpCalls = 0;
  Type(page, IDC_PATH, path.empty() ? temp.At("data") : path);
  Click(page, IDC_START);
}

int main(int argc, char** argv) {
  moduleInstance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!CreateFileTable()) return 2;
  InstallWindowHooks();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
