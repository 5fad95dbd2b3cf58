#include "ui/search_run.h"

#include <commctrl.h>

#include <cstdio>

#include "engine/file_table.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "res/resource.h"
#include "ui/action_messages.h"
#include "ui/control_text.h"
#include "ui/history.h"
#include "ui/marking_rules.h"
#include "ui/message_box.h"
#include "ui/path_check.h"
#include "ui/results_window.h"
#include "ui/run_progress.h"

namespace {

bool runOnStack;
bool cancelled;           // the user stopped the run: its list is not complete
int sheetButtonAfterRun;  // 0, or the sheet button to press when the run is over
HWND folderList;          // read by ReadListedFolder during the scan

// The closing steps of every run; also the whole effect of a cancel click.
void ShowTotals(HWND page) {
  SetDlgItemInt(page, IDC_FILES, fileTable.count, FALSE);
  SetDlgItemInt(page, IDC_DUPLICATES, searchState.duplicateCount, FALSE);
  SetDlgItemTextA(page, IDC_MEGABYTES, FormatMegabytes(searchState.duplicateBytes).text);
  SetDlgItemTextA(page, IDC_ELAPSED, FormatSeconds(ElapsedSeconds()).text);
  SetDlgItemTextA(page, IDC_START, "&Start");
  EndRunProgress(page, !cancelled);
  searchState.running = 0;
}

void ResetCounters(HWND page) {
  fileTable.count = 0;
  searchState.duplicateCount = 0;
  searchState.duplicateBytes = 0.0f;
  SetDlgItemInt(page, IDC_DUPLICATES, 0, FALSE);
  SetDlgItemTextA(page, IDC_MEGABYTES, "0");
  SetDlgItemTextA(page, IDC_START, "&Abbruch");
}

bool RefuseInputs(HWND page) {
  ShowMessage("Falscher Pfad", "Fehler!", MB_OK);
  SetDlgItemTextA(page, IDC_START, "&Start");
  searchState.running = 0;
  return false;
}

// Takes path and filter from the page into settings and their histories.
// False (after telling the user) when the path is too short to name a folder.
bool TakeInputs(HWND page) {
  if (!ReadControlText(GetDlgItem(page, IDC_PATH), settings.currentPath, sizeof settings.currentPath) ||
      !IsSearchablePath(settings.currentPath))
    return RefuseInputs(page);
  HWND pathBox = GetDlgItem(page, IDC_PATH);
  int position = RememberInHistory(pathBox, settings.pathHistory, settings.currentPath);
  if (position >= 0) SendMessageA(pathBox, CB_SETCURSEL, position, 0);

  HWND filterBox = GetDlgItem(page, IDC_FILTER);
  // A filter too long to read whole would make every listing pattern too long.
  if (!ReadControlText(filterBox, settings.currentFilter, sizeof settings.currentFilter)) return RefuseInputs(page);
  RememberInHistory(filterBox, settings.filterHistory, settings.currentFilter);

  // "c:\" is scanned as "c:"; the history keeps the text as typed.
  DropTrailingBackslash(settings.currentPath);

  LRESULT found = SendTextMessage(filterBox, CB_FINDSTRING, 0, settings.currentFilter);
  SendMessageA(filterBox, CB_SETCURSEL, found, 0);
  return true;
}

void ReadListedFolder(int index, char* folder) {
  // A listed folder always fits: the list takes only what the path box held.
  ReadListEntry(folderList, index, folder, sizeof settings.currentPath);
}

void AddRowToResults(int32_t itemData, const char* text) {
  char listed[RowTextSize];
  if (itemData != TextRow) text = ListedRowText(fileTable.entries[itemData], text, listed);
  AddResultRow(resultsWindow, itemData, text);
}

void RunOnce(HWND page) {
  ResetCounters(page);
  if (!TakeInputs(page)) return;
  ShowListingActivity(page);
  PrepareResultsWindow(page);
  folderList = GetDlgItem(page, IDC_FOLDERS);
  int folders = static_cast<int>(SendMessageA(folderList, LB_GETCOUNT, 0, 0));
  FindDuplicateGroups(folders, ReadListedFolder, AddRowToResults);
  HoldResultsRedraw(true);
  AddGroupRows(AddRowToResults);
  AddRunNoteRows(AddRowToResults, cancelled);
  HoldResultsRedraw(false);
  if (settings.logFile) WriteResultLog(logPath);
  ShowTotals(page);
}

}  // namespace

bool SearchOnStack() { return runOnStack; }

void RunSearch(HWND page) {
  if (searchState.running) {
    cancelled = true;
    ShowTotals(page);  // cancel: the interrupted run winds down by itself
    return;
  }
  if (runOnStack) {
    // A new run now would clear the table under the one still winding down.
    MessageBeep(MB_OK);
    return;
  }
  searchState.running = 1;
  runOnStack = true;
  cancelled = false;
  RunOnce(page);
  runOnStack = false;
  if (sheetButtonAfterRun) {
    PostMessageA(GetParent(page), PSM_PRESSBUTTON, sheetButtonAfterRun, 0);
    sheetButtonAfterRun = 0;
  }
}

void CloseSheetAfterRun(HWND page, int sheetButton) {
  sheetButtonAfterRun = sheetButton;
  if (searchState.running) {
    cancelled = true;
    ShowTotals(page);
  }
}
