#include "ui/main_page.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>

#include "actions/marked_files.h"
#include "app/module.h"
#include "engine/file_table.h"
#include "engine/settings.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "ui/action_messages.h"
#include "ui/control_text.h"
#include "ui/history.h"
#include "ui/page_folders.h"
#include "ui/search_run.h"

HWND pageWindow;

namespace {

void ShowWithHtmlHelp(HWND owner, const char* path) {
  // Loaded by name so that the program starts where HTML Help is missing.
  using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  constexpr UINT DisplayTopic = 0;  // HH_DISPLAY_TOPIC
  static HMODULE library = LoadLibraryA("hhctrl.ocx");
  if (!library) return;
  FARPROC function = GetProcAddress(library, "HtmlHelpW");
  WideText widePath;
  if (!function || !ToWide(path, &widePath)) return;
  auto htmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(function));
  htmlHelp(owner, widePath.text, DisplayTopic, 0);
}

}  // namespace

void (*showHelpFile)(HWND owner, const char* path) = ShowWithHtmlHelp;

namespace {

void OnInitDialog(HWND page) {
  pageWindow = page;
  SetDlgItemInt(page, IDC_FILES, fileTable.count, FALSE);
  SetDlgItemInt(page, IDC_DUPLICATES, searchState.duplicateCount, FALSE);
  if (settings.logFile) CheckDlgButton(page, IDC_LOG_FILE, BST_CHECKED);
  if (settings.sameName) CheckDlgButton(page, IDC_SAME_NAME, BST_CHECKED);
  if (settings.id3Tag) CheckDlgButton(page, IDC_ID3_TAG, BST_CHECKED);
  HICON open = LoadIconA(moduleInstance, RES_OPEN_ICON);
  SendDlgItemMessageA(page, IDC_BROWSE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(open));
  // A path as long as the walk takes; longer ones are refused, never cut.
  SendDlgItemMessageA(page, IDC_PATH, CB_LIMITTEXT, 0, 0);
  ShowPathHistory(GetDlgItem(page, IDC_PATH));
  ShowFilterHistory(GetDlgItem(page, IDC_FILTER));
}

// Commands that would change what a running search works on (the folder
// list, the path, the table and the results) only beep until it has ended.
bool RefusedDuringSearch() {
  if (!SearchOnStack()) return false;
  MessageBeep(MB_OK);
  return true;
}

// The options flip their lowest bit, like their check boxes. Kept so: an INI
// file edited by hand to 5 still reads as on, and is saved back as it was
// apart from that bit.
void ToggleOption(int32_t& option) { option ^= 1; }

void OnCommand(HWND page, int id) {
  switch (id) {
    case IDC_START:
      RunSearch(page);
      break;
    case IDC_BROWSE:
      if (!RefusedDuringSearch()) BrowseForSourceFolder(page);
      break;
    case IDC_BACKUP:
      if (!RefusedDuringSearch()) BackupMarkedFiles();
      break;
    case IDC_DELETE:
      if (!RefusedDuringSearch()) DeleteMarkedFiles();
      break;
    case IDC_LOG_FILE:
      ToggleOption(settings.logFile);
      break;
    case IDC_SAME_NAME:
      ToggleOption(settings.sameName);
      break;
    case IDC_ID3_TAG:
      ToggleOption(settings.id3Tag);
      break;
    case IDC_ADD:
      if (!RefusedDuringSearch()) AddPathToFolderList(page);
      break;
    case IDC_CLEAR:
      if (!RefusedDuringSearch()) ClearFolderList(page);
      break;
    default:
      break;
  }
}

// The help file stands beside the program; a bare name would be looked for
// in whatever folder the program was started from.
void OpenHelpFile() {
  char folder[MaxPathBytes];
  char path[MaxPathBytes];
  if (!ExecutableFolder(folder) || snprintf(path, sizeof path, "%sparvik.chm", folder) >= MaxPathBytes)
    snprintf(path, sizeof path, "parvik.chm");
  showHelpFile(pageWindow, path);
}

// OK or Cancel while a search is on the stack: the sheet stays until the run
// has wound down, then the same button is pressed again.
INT_PTR PostponeClose(HWND page, int sheetButton) {
  CloseSheetAfterRun(page, sheetButton);
  SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_HELP:
      OpenHelpFile();
      return 0;
    case PSN_KILLACTIVE:
      // Sent when the sheet is confirmed: the path in the box is what is saved.
      if (SearchOnStack()) return PostponeClose(page, PSBTN_OK);
      ReadControlText(GetDlgItem(page, IDC_PATH), settings.currentPath, sizeof settings.currentPath);
      return 0;
    case PSN_QUERYCANCEL:
      if (SearchOnStack()) return PostponeClose(page, PSBTN_CANCEL);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(page);
      return 0;
    case WM_COMMAND:
      OnCommand(page, LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    default:
      return 0;
  }
}
